// The waffle chart: square assignment, the entry's hit test of squares and legend rows, and the
// drawing of squares filling in order and the legend. Shares are worked in double.
#include "qel/waffle_chart.h"

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
#include "kit/widget_nodes.h"

static const float LEGEND_ROW = 26;

void qel_chart_waffle_squares(qel_context* ctx, const qel_chart_item* items, int32_t count, int32_t n,
                              int32_t* squares)
{
    for (int32_t k = 0; k < n; k++) squares[k] = -1;
    double total = qel_chart_items_total(items, count);
    if (!(total > 0) || count < 1) return;
    int32_t given = 0, next = 0;
    auto* share = (int32_t*)qel_arena_alloc(ctx, sizeof(int32_t) * (size_t)count);
    auto* remainder = (double*)qel_arena_alloc(ctx, sizeof(double) * (size_t)count);
    for (int32_t i = 0; i < count; i++) {
        double exact = items[i].value / total * n;
        share[i] = std::min((int32_t)std::floor(exact), n - given);
        remainder[i] = exact - std::floor(exact);
        given += share[i];
    }
    while (given < n) {
        int32_t best = count == 1 ? 0 : -1;
        for (int32_t i = 0; i < count; i++)
            if (remainder[i] >= 0 && (best < 0 || remainder[i] > remainder[best])) best = i;
        if (best < 0) break;
        remainder[best] = -1;
        share[best]++;
        given++;
    }
    for (int32_t i = 0; i < count; i++)
        for (int32_t s = 0; s < share[i] && next < n; s++) squares[next++] = i;
}

static int32_t clamp_cells(int32_t v)
{
    return v < 1 ? 10 : v > 60 ? 60 : v;
}

static float grid_width(const qel_waffle_payload* p)
{
    return (float)p->columns * (p->cell + p->gap) - p->gap;
}

static float grid_height(const qel_waffle_payload* p)
{
    return (float)p->rows * (p->cell + p->gap) - p->gap;
}

static float legend_width(qel_context* ctx, const qel_waffle_payload* p)
{
    float size = qel_text_small_scaled(ctx), widest = 0;
    for (int32_t i = 0; i < p->count; i++)
        widest = std::fmax(widest,
                           qel_text_width(ctx, QEL_FONT_BODY, size, p->items[i].label ? p->items[i].label : "", -1, 0));
    return widest + 96;
}

// The item under m: a square's, or a legend row's beside or under the grid.
static int32_t hit_item(const qel_waffle_payload* p, const qel_rect& r, qel_vec2 m)
{
    float pitch = p->cell + p->gap, gh = grid_height(p);
    double col = std::floor((m.x - r.x) / pitch), row = std::floor((m.y - r.y) / pitch);
    if (col >= 0 && col < p->columns && row >= 0 && row < p->rows)
        return p->squares[(int32_t)col * p->rows + (p->rows - 1 - (int32_t)row)];
    double legend_row = -1;
    if (p->stacked && m.y > r.y + gh + 12) legend_row = std::floor((m.y - r.y - gh - 16) / LEGEND_ROW);
    if (!p->stacked && m.x > r.x + grid_width(p) + 10) legend_row = std::floor((m.y - r.y) / LEGEND_ROW);
    return legend_row >= 0 && legend_row < p->count ? (int32_t)legend_row : -1;
}

static qel_color item_color(qel_context* ctx, const qel_waffle_payload* p, int32_t i)
{
    return qel_chart_indexed_color(ctx, p->items[i].color, i);
}

int32_t qel_waffle_chart(qel_context* ctx, const char* label, const qel_chart_item* items, int32_t count,
                         const qel_waffle_options* options)
{
    const qel_waffle_options none = {};
    const qel_waffle_options* o = options ? options : &none;
    if (!items || count < 0) count = 0;
    qel_chart_entry e = qel_chart_entry_begin(ctx, label);
    auto* p = (qel_waffle_payload*)qel_arena_alloc(ctx, sizeof(qel_waffle_payload));
    p->items = qel_chart_copy_items(ctx, items, (uint32_t)count);
    p->count = count;
    p->columns = clamp_cells(o->columns);
    p->rows = clamp_cells(o->rows);
    p->cell = o->cell_size > 0 ? o->cell_size : 18;
    p->gap = o->cell_size > 0 && o->cell_size < 12 ? 2 : 3;
    int32_t n = p->columns * p->rows;
    p->squares = (int32_t*)qel_arena_alloc(ctx, sizeof(int32_t) * (size_t)n);
    qel_chart_waffle_squares(ctx, p->items, count, n, p->squares);
    p->total = (float)qel_chart_items_total(p->items, count);
    p->format = qel_arena_strdup(ctx, o->format, -1);
    float lw = legend_width(ctx, p), gw = grid_width(p), gh = grid_height(p);
    p->min_width = std::fmax(gw, lw - 18);
    p->stacked = e.rect.w > 0 && lw + gw - 0.5f > e.rect.w;
    int32_t hit = qel_chart_entry_hovering(&e) ? hit_item(p, e.rect, e.pointer) : -1;
    qel_chart_entry_view(ctx, &e, hit, count, &p->view);
    if (p->view.hovered >= 0)
        qel_chart_tip_value_share(ctx, &p->view.tip, p->items[p->view.hovered].label, p->format,
                                  p->items[p->view.hovered].value, p->total, item_color(ctx, p, p->view.hovered));
    float rows_h = (float)count * LEGEND_ROW;
    float height = p->stacked ? gh + 16 + rows_h : std::fmax(gh, rows_h);
    int32_t index = qel_chart_entry_node(ctx, &e, {QEL_SIZE_FIT, 0}, {QEL_SIZE_FIXED, height}, qel_waffle_chart_draw, p,
                                         false);
    qel_node* node = qel_node_at(ctx, index);
    qel_node_set_width(node, {QEL_SIZE_FIT, 0}, lw + gw);
    node->flags |= QEL_NODE_MIN_FLOOR;
    node->min_w = p->min_width;
    return qel_chart_entry_clicked(&e);
}

static void draw_squares(qel_context* ctx, const qel_waffle_payload* p, float x, float y)
{
    float pitch = p->cell + p->gap, radius = 0.22f * p->cell;
    const float radii[4] = {radius, radius, radius, radius};
    int32_t n = p->columns * p->rows;
    qel_color empty = qel_chart_empty_color(ctx);
    for (int32_t k = 0; k < n; k++) {
        int32_t item = p->squares[k];
        qel_color c = qel_chart_dim_others(ctx, &p->view, item, item >= 0 ? item_color(ctx, p, item) : empty, 0.55f);
        float fade = qel_chart_stagger(p->view.intro, (float)k / (float)n, 1);
        qel_rect sq = {x + (float)(k / p->rows) * pitch, y + (float)(p->rows - 1 - k % p->rows) * pitch, p->cell,
                       p->cell};
        qel_draw_rect(ctx, &sq, radii, qel_color_mix(empty, c, fade));
    }
}

static void draw_legend(qel_context* ctx, const qel_waffle_payload* p, const qel_rect& r)
{
    float pitch = p->cell + p->gap, size = qel_text_small_scaled(ctx);
    float ox = p->stacked ? r.x : r.x + (float)p->columns * pitch + 18;
    float oy = p->stacked ? r.y + grid_height(p) + 16 : r.y + 4;
    float right = p->stacked ? r.x + std::fmin(r.w, p->min_width) : r.x + r.w;
    const float radii[4] = {3, 3, 3, 3};
    for (int32_t i = 0; i < p->count; i++) {
        float f = p->view.hovered >= 0 && i != p->view.hovered ? 0.5f : 1.0f, cy = oy + LEGEND_ROW * (float)i + 9;
        qel_rect swatch = {ox, cy - 5, 10, 10};
        qel_draw_rect(ctx, &swatch, radii, qel_color_alpha(item_color(ctx, p, i), f));
        qel_draw_text_aligned(ctx, QEL_FONT_BODY, size, ox + 18, cy, 0,
                              qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), f),
                              p->items[i].label ? p->items[i].label : "", 0);
        qel_draw_text_aligned(ctx, QEL_FONT_MEDIUM, size, right, cy, 2,
                              qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_TEXT), f),
                              qel_chart_percent_text(ctx, p->items[i].value, p->total), 1);
    }
}

void qel_waffle_chart_draw(qel_context* ctx, const qel_node* node, void* user)
{
    auto* p = (const qel_waffle_payload*)user;
    draw_squares(ctx, p, node->rect.x, node->rect.y);
    draw_legend(ctx, p, node->rect);
    if (p->view.hovered >= 0 && p->view.tip.title) qel_chart_tooltip(ctx, &p->view.tip);
}
