// The heatmap: grid layout, range, hit test and tooltip in the entry, and the drawing of labels,
// cells fading in column by column, the hover ring and the gradient legend. Cell counts are
// multiplied in 64 bits; a grid too large to index counts as empty.
#include "qel/heatmap.h"

#include <algorithm>
#include <cmath>

#include "widgets/charts/chart_parts.h"
#include "core/core.h"
#include "qel/arena.h"
#include "qel/chart_values.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/text.h"
#include "qel/theme.h"

static const int32_t LEGEND_STEPS = 24;

static const char* row_label(const qel_heatmap_options* o, int32_t row)
{
    return o->row_labels && o->row_labels[row] ? o->row_labels[row] : nullptr;
}

qel_heatmap_layout qel_chart_heatmap_layout(qel_context* ctx, float x, float y, float width, int32_t rows,
                                            int32_t columns, const qel_heatmap_options* o)
{
    const qel_heatmap_options none = {};
    if (!o) o = &none;
    qel_heatmap_layout l = {};
    float size = qel_chart_xs_size(ctx);
    if (o->row_labels && rows > 0) {
        for (int32_t r = 0; r < rows; r++) {
            const char* text = row_label(o, r);
            l.label_width = std::fmax(l.label_width, qel_text_width(ctx, QEL_FONT_BODY, size, text ? text : "", -1, 0));
        }
        l.label_width += 12;
    }
    float cols = (float)(columns > 0 ? columns : 1);
    float available = (width > 0 ? width : 480) - l.label_width;
    l.gap = 3;
    if (o->cell_size > 0) {
        l.cell = o->cell_size;
    } else {
        float c = (available - 3 * (cols - 1)) / cols;
        l.cell = c < 12 ? 12 : std::fmin(c, 56.0f);
        if (width > 0 && cols * (l.cell + 3) + l.label_width - 3 > width + 0.5f) {
            l.gap = 2;
            c = (available - 2 * (cols - 1)) / cols;
            l.cell = c < 6 ? 6 : std::fmin(c, 12.0f);
        }
    }
    l.grid_left = x + l.label_width;
    l.grid_top = y;
    l.grid_height = std::fmax(0.0f, (float)rows * (l.cell + l.gap) - l.gap);
    return l;
}

// The colour range: the caller's when it is one, else the data's (widened to a unit when flat).
static void value_range(const qel_heatmap_options* o, const float* values, int64_t cells, float* lo, float* hi)
{
    if (o->max > o->min && std::isfinite(o->min) && std::isfinite(o->max)) {
        *lo = o->min, *hi = o->max;
        return;
    }
    if (cells < 1) {
        *lo = 0, *hi = 1;
        return;
    }
    float mn = values[0], mx = values[0];
    for (int64_t i = 1; i < cells; i++) mn = std::fmin(mn, values[i]), mx = std::fmax(mx, values[i]);
    if (!(mx > mn)) mx = mn + std::fmax(1.0f, std::fabs(mn) * 1e-6f);
    *lo = mn, *hi = mx;
}

static qel_color cell_color(qel_context* ctx, const qel_heatmap_payload* p, int64_t cell)
{
    return qel_chart_color_ramp(ctx, p->base, (p->values[cell] - p->min) / (p->max - p->min));
}

// The cell under (px, py), -1 when none; the gap after a cell belongs to it.
static int32_t hit_cell(const qel_heatmap_layout& l, int32_t rows, int32_t columns, float px, float py)
{
    float pitch = l.cell + l.gap;
    double row = std::floor((py - l.grid_top) / pitch), col = std::floor((px - l.grid_left) / pitch);
    if (!(row >= 0 && row < rows && col >= 0 && col < columns)) return -1;
    return (int32_t)row * columns + (int32_t)col;
}

static void fill_tip(qel_context* ctx, qel_heatmap_payload* p, int32_t cell)
{
    int32_t row = cell / p->columns, col = cell % p->columns;
    const qel_heatmap_options* o = &p->options;
    const char* row_name = row_label(o, row) ? row_label(o, row) : qel_arena_sprintf(ctx, "Row %d", row + 1);
    const char* col_name = o->column_labels && o->column_labels[col] ? o->column_labels[col]
                                                                       : qel_arena_sprintf(ctx, "%d", col + 1);
    p->view.tip.title = qel_arena_sprintf(ctx, "%s \xC2\xB7 %s", row_name, col_name);
    qel_chart_tip_add(&p->view.tip, "Value", qel_chart_format_value(ctx, o->format, p->values[cell]),
                      cell_color(ctx, p, cell));
}

int32_t qel_heatmap(qel_context* ctx, const char* label, const float* values, int32_t rows, int32_t columns,
                    const qel_heatmap_options* options)
{
    const qel_heatmap_options none = {};
    const qel_heatmap_options* o = options ? options : &none;
    int64_t cells = (int64_t)(rows > 0 ? rows : 0) * (columns > 0 ? columns : 0);
    if (!values || cells > INT32_MAX) cells = 0;
    if (cells == 0) rows = columns = 0;
    qel_chart_entry e = qel_chart_entry_begin(ctx, label);
    auto* p = (qel_heatmap_payload*)qel_arena_alloc(ctx, sizeof(qel_heatmap_payload));
    p->values = qel_chart_copy_values(ctx, values, (int32_t)cells);
    p->rows = rows, p->columns = columns;
    p->options = *o;
    p->base = qel_chart_series_color(ctx, o->color);
    value_range(o, p->values, cells, &p->min, &p->max);
    qel_heatmap_layout l = qel_chart_heatmap_layout(ctx, e.rect.x, e.rect.y, e.rect.w, rows, columns, o);
    int32_t hit = qel_chart_entry_hovering(&e) && cells > 0 ? hit_cell(l, rows, columns, e.pointer.x, e.pointer.y) : -1;
    qel_chart_entry_view(ctx, &e, hit, (int32_t)cells, &p->view);
    if (p->view.hovered >= 0) fill_tip(ctx, p, p->view.hovered);
    qel_size width = {QEL_SIZE_GROW, 1};
    if (o->width.kind != QEL_SIZE_FIT) width = o->width;
    else if (o->cell_size > 0) width = {QEL_SIZE_FIXED, l.label_width + (float)columns * (l.cell + l.gap) - l.gap};
    float height = 30 + l.grid_height + (o->column_labels ? 22.0f : 0.0f);
    qel_chart_entry_node(ctx, &e, width, {QEL_SIZE_FIXED, height}, qel_heatmap_draw, p, true);
    return qel_chart_entry_clicked(&e);
}

static void draw_row_labels(qel_context* ctx, const qel_heatmap_payload* p, const qel_heatmap_layout& l, float size)
{
    if (!p->options.row_labels) return;
    float pitch = l.cell + l.gap, line = qel_line_height(ctx, QEL_FONT_BODY, size);
    int32_t k = std::max(1, (int32_t)std::ceil(line / pitch));
    for (int32_t r = 0; r < p->rows; r += k) {
        const char* text = row_label(&p->options, r);
        qel_draw_text_aligned(ctx, QEL_FONT_BODY, size, l.grid_left - 10, l.grid_top + (float)r * pitch + l.cell / 2, 2,
                              qel_color_token(QEL_COLOR_TEXT_SECONDARY), text ? text : "", 0);
    }
}

static void draw_cells(qel_context* ctx, const qel_heatmap_payload* p, const qel_heatmap_layout& l)
{
    float pitch = l.cell + l.gap, radius = l.cell < 18 ? 2.5f : 4.0f;
    const float radii[4] = {radius, radius, radius, radius};
    qel_color empty = qel_chart_empty_color(ctx);
    for (int32_t r = 0; r < p->rows; r++)
        for (int32_t c = 0; c < p->columns; c++) {
            float fade = qel_chart_stagger(p->view.intro, (float)c / (float)p->columns, 0.8f);
            qel_rect cell = {l.grid_left + (float)c * pitch, l.grid_top + (float)r * pitch, l.cell, l.cell};
            qel_draw_rect(ctx, &cell, radii,
                          qel_color_mix(empty, cell_color(ctx, p, (int64_t)r * p->columns + c), fade));
        }
    if (p->view.hovered < 0 || !(p->view.tip_alpha > 0.01f)) return;
    int32_t r = p->view.hovered / p->columns, c = p->view.hovered % p->columns;
    qel_chart_cell_ring(ctx, l.grid_left + (float)c * pitch, l.grid_top + (float)r * pitch, l.cell, radius,
                        p->view.tip_alpha);
}

// Column names centred under their columns, leaving out one that would crowd the one before.
static void draw_column_labels(qel_context* ctx, const qel_heatmap_payload* p, const qel_heatmap_layout& l, float size)
{
    float pitch = l.cell + l.gap, last_end = -INFINITY, y = l.grid_top + l.grid_height + 13;
    for (int32_t c = 0; c < p->columns; c++) {
        const char* text = p->options.column_labels[c] ? p->options.column_labels[c] : "";
        float w = qel_text_width(ctx, QEL_FONT_BODY, size, text, -1, 0);
        float cx = l.grid_left + (float)c * pitch + l.cell / 2;
        if (cx - w / 2 < last_end + 6) continue;
        qel_draw_text_aligned(ctx, QEL_FONT_BODY, size, cx, y, 1, qel_color_token(QEL_COLOR_TEXT_MUTED), text, 0);
        last_end = cx + w / 2;
    }
}

// The ramp as a strip of 24 steps between the range's two ends, under the grid's right end.
static void draw_legend(qel_context* ctx, const qel_heatmap_payload* p, const qel_heatmap_layout& l, float size)
{
    const char* lo = qel_chart_format_value(ctx, p->options.format, p->min);
    const char* hi = qel_chart_format_value(ctx, p->options.format, p->max);
    // On the pixel grid: each step's extra half pixel then covers the next one's edge whole, and
    // no row of the strip is a partly covered edge that the overlaps darken.
    float y = std::round(l.grid_top + l.grid_height + (p->options.column_labels ? 22.0f : 0.0f) + 12);
    float grid_right = l.grid_left + (float)p->columns * (l.cell + l.gap) - l.gap;
    float x0 = std::round(grid_right - qel_text_width(ctx, QEL_FONT_BODY, size, hi, -1, 1) - 8 - 120);
    for (int32_t k = 0; k < LEGEND_STEPS; k++) {
        float radii[4] = {0, 0, 0, 0};
        if (k == 0) radii[0] = radii[3] = 4;
        if (k == LEGEND_STEPS - 1) radii[1] = radii[2] = 4;
        qel_rect step = {x0 + 5 * (float)k, y, 5.5f, 8};  // overlapping, so no seams show
        qel_draw_rect(ctx, &step, radii, qel_chart_color_ramp(ctx, p->base, ((float)k + 0.5f) / LEGEND_STEPS));
    }
    qel_color muted = qel_color_token(QEL_COLOR_TEXT_MUTED);
    qel_draw_text_aligned(ctx, QEL_FONT_BODY, size, x0 - 8, y + 4, 2, muted, lo, 1);
    qel_draw_text_aligned(ctx, QEL_FONT_BODY, size, x0 + 128, y + 4, 0, muted, hi, 1);
}

void qel_heatmap_draw(qel_context* ctx, const qel_node* node, void* user)
{
    auto* p = (const qel_heatmap_payload*)user;
    qel_rect r = node->rect;
    qel_heatmap_layout l = qel_chart_heatmap_layout(ctx, r.x, r.y, r.w, p->rows, p->columns, &p->options);
    float size = qel_chart_xs_size(ctx);
    draw_row_labels(ctx, p, l, size);
    draw_cells(ctx, p, l);
    if (p->options.column_labels) draw_column_labels(ctx, p, l, size);
    draw_legend(ctx, p, l, size);
    if (p->view.hovered >= 0 && p->view.tip.title) qel_chart_tooltip(ctx, &p->view.tip);
}
