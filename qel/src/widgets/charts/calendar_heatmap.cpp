// The calendar heatmap: weeks and dropped weeks from last frame's width, the day under the
// pointer and its tooltip, and the drawing of names, shaded days and the legend. Day numbers are
// civil_date.h's and names the core's; day arithmetic runs in 64 bits.
#include "qel/calendar_heatmap.h"

#include <algorithm>
#include <cmath>

#include "widgets/charts/chart_parts.h"
#include "core/core.h"
#include "qel/arena.h"
#include "qel/chart_values.h"
#include "qel/color.h"
#include "qel/date_picker.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/text.h"
#include "qel/theme.h"

static const float WEEKDAY_COLUMN = 32, MONTH_ROW = 20;
static const float LEVEL_POSITIONS[4] = {0.08f, 0.38f, 0.68f, 1.0f};

int32_t qel_chart_calendar_level(float value, float largest)
{
    if (!(value > 0) || !(largest > 0)) return 0;
    double level = std::floor((double)value / largest * 4 - 0.0001) + 1;
    return level < 1 ? 1 : level > 4 ? 4 : (int32_t)level;
}

static qel_color level_color(qel_context* ctx, qel_color base, int32_t level)
{
    return level == 0 ? qel_chart_empty_color(ctx) : qel_chart_color_ramp(ctx, base, LEVEL_POSITIONS[level - 1]);
}

static qel_color day_shade(qel_context* ctx, const qel_calendar_heatmap_payload* p, int32_t day)
{
    return level_color(ctx, p->base, qel_chart_calendar_level(p->values[day], p->largest));
}

static int32_t weekday_of(int64_t day)
{
    return (int32_t)(((day + 3) % 7 + 7) % 7);
}

static qel_date date_of(int64_t day)
{
    return qel_civil_from_days((int32_t)std::clamp<int64_t>(day, INT32_MIN, INT32_MAX));
}

static int32_t hit_day(const qel_calendar_heatmap_payload* p, const qel_rect& r, qel_vec2 m)
{
    float pitch = p->cell + p->gap;
    double col = std::floor((m.x - r.x - WEEKDAY_COLUMN) / pitch), row = std::floor((m.y - r.y - MONTH_ROW) / pitch);
    if (!(col >= 0 && col < p->weeks && row >= 0 && row <= 6)) return -1;
    int64_t index = (int64_t)col * 7 - p->first_weekday + (int64_t)row;
    return index >= 0 && index < p->count ? (int32_t)index : -1;
}

static void fill_tip(qel_context* ctx, qel_calendar_heatmap_payload* p)
{
    int32_t index = p->view.hovered;
    int64_t day = (int64_t)p->first_day + index;
    qel_date d = date_of(day);
    p->view.tip.title = qel_arena_sprintf(ctx, "%s, %s %d, %d", qel_weekday_name_short(ctx, weekday_of(day)),
                                          qel_month_name_short(ctx, d.month - 1), d.day, d.year);
    const char* name = p->options.value_label ? p->options.value_label : "Value";
    qel_chart_tip_add(&p->view.tip, name, qel_chart_format_value(ctx, p->options.format, p->values[index]),
                      day_shade(ctx, p, index));
}

int32_t qel_calendar_heatmap(qel_context* ctx, const char* label, const qel_date* start, const float* values,
                             int32_t count, const qel_calendar_heatmap_options* options)
{
    const qel_calendar_heatmap_options none = {};
    const qel_calendar_heatmap_options* o = options ? options : &none;
    if (!values || count < 0) count = 0;
    qel_chart_entry e = qel_chart_entry_begin(ctx, label);
    auto* p = (qel_calendar_heatmap_payload*)qel_arena_alloc(ctx, sizeof(qel_calendar_heatmap_payload));
    p->cell = o->cell_size > 0 ? o->cell_size : 11;
    p->gap = p->cell >= 10 ? 3 : 2;
    float pitch = p->cell + p->gap;
    int64_t first = start ? qel_days_from_civil(*start) : 0;
    int32_t w0 = weekday_of(first);
    int64_t weeks = ((int64_t)count + w0 + 6) / 7;
    float needed = (float)weeks * pitch + WEEKDAY_COLUMN - p->gap;
    if (e.rect.w > 0 && needed > e.rect.w + 0.5f) {
        int64_t visible = std::max<int64_t>(1, (int64_t)std::floor((e.rect.w - WEEKDAY_COLUMN + p->gap) / pitch));
        if (weeks > visible) {
            int64_t skip = (weeks - visible) * 7 - w0;  // the oldest weeks, so the first shown day is a Monday
            values += skip;
            count -= (int32_t)skip;
            first += skip;
            w0 = 0;
            weeks = visible;
        }
    }
    p->values = qel_chart_copy_values(ctx, values, count);
    p->count = count;
    p->first_weekday = w0;
    p->weeks = (int32_t)weeks;
    p->first_day = (int32_t)std::clamp<int64_t>(first, INT32_MIN, INT32_MAX);
    for (int32_t i = 0; i < count; i++) {
        p->largest = std::fmax(p->largest, p->values[i]);
        if (p->values[i] > 0) p->sum += p->values[i];
    }
    p->base = qel_chart_series_color(ctx, o->color);
    p->options = *o;
    int32_t hit = qel_chart_entry_hovering(&e) ? hit_day(p, e.rect, e.pointer) : -1;
    qel_chart_entry_view(ctx, &e, hit, count, &p->view);
    if (p->view.hovered >= 0) fill_tip(ctx, p);
    float height = MONTH_ROW + 7 * pitch - p->gap + 12 + std::fmin(p->cell, 12.0f) + 2;
    int32_t node = qel_chart_entry_node(ctx, &e, {QEL_SIZE_FIT, 0}, {QEL_SIZE_FIXED, height},
                                        qel_calendar_heatmap_draw, p, false);
    qel_node_set_width(qel_node_at(ctx, node), {QEL_SIZE_FIT, 0}, needed);
    return qel_chart_entry_clicked(&e);
}

// Names of Monday, Wednesday and Friday, and of each month over its first Monday.
static void draw_names(qel_context* ctx, const qel_calendar_heatmap_payload* p, float x, float y, float size)
{
    float pitch = p->cell + p->gap, gx = x + WEEKDAY_COLUMN, gy = y + MONTH_ROW;
    qel_color muted = qel_color_token(QEL_COLOR_TEXT_MUTED);
    for (int32_t row = 0; row <= 4; row += 2)
        qel_draw_text_aligned(ctx, QEL_FONT_BODY, size, x, gy + (float)row * pitch + p->cell / 2, 0, muted,
                              qel_weekday_name_short(ctx, row), 0);
    float last_end = -INFINITY;
    for (int32_t c = 0; c + 1 < p->weeks; c++) {
        qel_date d = date_of((int64_t)p->first_day + std::max(c * 7 - p->first_weekday, 0));
        if (c > 0 && d.day > 7) continue;
        float mx = gx + (float)c * pitch;
        if (mx < last_end + 4) continue;
        const char* name = qel_month_name_short(ctx, d.month - 1);
        qel_draw_text_aligned(ctx, QEL_FONT_BODY, size, mx, y + 8, 0, muted, name, 0);
        last_end = mx + qel_text_width(ctx, QEL_FONT_BODY, size, name, -1, 0);
    }
}

static void draw_days(qel_context* ctx, const qel_calendar_heatmap_payload* p, float gx, float gy, float radius)
{
    float pitch = p->cell + p->gap;
    const float radii[4] = {radius, radius, radius, radius};
    qel_color empty = qel_chart_empty_color(ctx);
    for (int32_t c = 0; c < p->weeks; c++) {
        float fade = qel_chart_stagger(p->view.intro, (float)c / (float)p->weeks, 0.8f);
        for (int32_t row = 0; row < 7; row++) {
            int64_t index = (int64_t)c * 7 - p->first_weekday + row;
            if (index < 0 || index >= p->count) continue;
            qel_rect cell = {gx + (float)c * pitch, gy + (float)row * pitch, p->cell, p->cell};
            qel_draw_rect(ctx, &cell, radii, qel_color_mix(empty, day_shade(ctx, p, (int32_t)index), fade));
        }
    }
    int32_t hovered = p->view.hovered;
    if (hovered < 0 || !(p->view.tip_alpha > 0.01f)) return;
    int32_t slot = hovered + p->first_weekday;
    qel_chart_cell_ring(ctx, gx + (float)(slot / 7) * pitch, gy + (float)(slot % 7) * pitch, p->cell, radius,
                        p->view.tip_alpha);
}

// The five shades between "Less" and "More" at the grid's right end, and the total at its left;
// the words give way when the total needs their room.
static void draw_legend(qel_context* ctx, const qel_calendar_heatmap_payload* p, float gx, float gy, float radius,
                        float size)
{
    float pitch = p->cell + p->gap, s = std::fmin(p->cell, 12.0f), ly = gy + 7 * pitch + 12, cy = ly + s / 2;
    float right = gx + (float)p->weeks * pitch - p->gap, swatches = 5 * s + 4 * 3;
    float more_x = right - qel_text_width(ctx, QEL_FONT_BODY, size, "More", -1, 0);
    float less_x = more_x - 6 - swatches - 3 - qel_text_width(ctx, QEL_FONT_BODY, size, "Less", -1, 0);
    const char* total = nullptr;
    float total_w = 0;
    if (p->options.value_label) {
        total = qel_arena_sprintf(ctx, "%s %s", qel_chart_format_value(ctx, p->options.format, (float)p->sum),
                                  p->options.value_label);
        total_w = qel_text_width(ctx, QEL_FONT_BODY, size, total, -1, 1);
    }
    bool words = !total || gx + total_w + 12 <= less_x;
    float swatch_right = words ? more_x - 6 : right;
    qel_color muted = qel_color_token(QEL_COLOR_TEXT_MUTED);
    if (words) {
        qel_draw_text_aligned(ctx, QEL_FONT_BODY, size, right, cy, 2, muted, "More", 0);
        qel_draw_text_aligned(ctx, QEL_FONT_BODY, size, swatch_right - swatches - 3, cy, 2, muted, "Less", 0);
    }
    const float radii[4] = {radius, radius, radius, radius};
    for (int32_t level = 4; level >= 0; level--) {
        qel_rect swatch = {swatch_right - (float)(5 - level) * (s + 3) + 3, ly, s, s};
        qel_draw_rect(ctx, &swatch, radii, level_color(ctx, p->base, level));
    }
    if (total && gx + total_w <= swatch_right - swatches - 9)
        qel_draw_text_aligned(ctx, QEL_FONT_BODY, size, gx, cy, 0, qel_color_token(QEL_COLOR_TEXT_SECONDARY), total, 1);
}

void qel_calendar_heatmap_draw(qel_context* ctx, const qel_node* node, void* user)
{
    auto* p = (const qel_calendar_heatmap_payload*)user;
    qel_rect r = node->rect;
    float size = qel_chart_xs_size(ctx), radius = p->cell < 12 ? 2.0f : 3.0f;
    float gx = r.x + WEEKDAY_COLUMN, gy = r.y + MONTH_ROW;
    draw_names(ctx, p, r.x, r.y, size);
    draw_days(ctx, p, gx, gy, radius);
    draw_legend(ctx, p, gx, gy, radius, size);
    if (p->view.hovered >= 0 && p->view.tip.title) qel_chart_tooltip(ctx, &p->view.tip);
}
