// The bubble chart: point copies, the nearest-point hit test, the tooltip of coordinates, and the
// drawing of grid, labels, titles, crosshair, bubbles and legend on the XY layout.
#include "qel/bubble_chart.h"

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

static const float REACH = 24, DEFAULT_HEIGHT = 280;

float qel_bubble_radius(const float* sizes, int32_t i, float largest_size)
{
    if (!sizes || !(largest_size > 0)) return 4.5f;
    return std::sqrt(std::fmax(sizes[i], 0.0f) / largest_size) * 11 + 3.5f;
}

static qel_vec2 map_point(const qel_chart_axes& a, float x, float y)
{
    const qel_rect& p = a.plot;
    return {p.x + (x - a.x_lower) / (a.x_upper - a.x_lower) * p.w,
            p.y + p.h - (y - a.y_lower) / (a.y_upper - a.y_lower) * p.h};
}

static void copy_series(qel_context* ctx, qel_bubble_payload* p, const qel_xy_series* series)
{
    p->series = (qel_xy_series*)qel_arena_alloc(ctx, sizeof(qel_xy_series) * (size_t)std::max(p->series_count, 1));
    for (int32_t s = 0; s < p->series_count; s++) {
        qel_xy_series& c = p->series[s];
        c = series[s];
        c.count = std::max(c.count, 0);
        c.label = c.label ? c.label : "";
        c.xy = qel_chart_copy_values(ctx, series[s].xy, 2 * c.count);
        if (c.sizes) c.sizes = qel_chart_copy_values(ctx, series[s].sizes, c.count);
    }
}

static qel_color series_color(qel_context* ctx, const qel_bubble_payload* p, int32_t s)
{
    return qel_chart_indexed_color(ctx, p->series[s].color, s);
}

static float legend_height(qel_context* ctx, const qel_bubble_payload* p, float width, bool draw, float x, float y,
                           int32_t highlighted)
{
    auto* labels = (const char**)qel_arena_alloc(ctx, sizeof(char*) * (size_t)std::max(p->series_count, 1));
    auto* colors = (qel_color*)qel_arena_alloc(ctx, sizeof(qel_color) * (size_t)std::max(p->series_count, 1));
    for (int32_t s = 0; s < p->series_count; s++) {
        labels[s] = p->series[s].label;
        colors[s] = series_color(ctx, p, s);
    }
    return qel_chart_legend(ctx, x, y, width, labels, colors, p->series_count, highlighted, draw);
}

static bool with_legend(const qel_bubble_payload* p)
{
    return p->series_count >= 2 && !p->options.hide_legend;
}

// The flat index of the point nearest m, bigger bubbles reaching further; -1 beyond reach.
static int32_t hit_point(qel_context* ctx, const qel_bubble_payload* p, const qel_rect& r, qel_vec2 m)
{
    qel_chart_axes a = qel_chart_xy_axes(ctx, &r, p->series, p->series_count, &p->options, p->legend_height);
    int32_t best = -1, flat = 0;
    float best_score = REACH * REACH;
    for (int32_t s = 0; s < p->series_count; s++) {
        const qel_xy_series& sr = p->series[s];
        for (int32_t i = 0; i < sr.count; i++, flat++) {
            qel_vec2 at = map_point(a, sr.xy[2 * i], sr.xy[2 * i + 1]);
            float r0 = qel_bubble_radius(sr.sizes, i, a.largest_size);
            float score = (at.x - m.x) * (at.x - m.x) + (at.y - m.y) * (at.y - m.y) - 0.6f * r0 * r0;
            if (score < best_score) {
                best = flat;
                best_score = score;
            }
        }
    }
    return best;
}

static void fill_tip(qel_context* ctx, qel_bubble_payload* p)
{
    int32_t s = 0, i = p->view.hovered;
    while (i >= p->series[s].count) i -= p->series[s++].count;
    p->hovered_series = s;
    p->hovered_point = i;
    const qel_xy_series& sr = p->series[s];
    const qel_bubble_options& o = p->options;
    qel_chart_tip* tip = &p->view.tip;
    tip->title = sr.label;
    qel_chart_tip_add(tip, o.x_title ? o.x_title : "x", qel_chart_format_value(ctx, o.x_format, sr.xy[2 * i]),
                      series_color(ctx, p, s));
    qel_chart_tip_add(tip, o.y_title ? o.y_title : "y", qel_chart_format_value(ctx, o.y_format, sr.xy[2 * i + 1]), 0);
    if (sr.sizes) qel_chart_tip_add(tip, "Size", qel_chart_format_value(ctx, nullptr, sr.sizes[i]), 0);
}

int32_t qel_bubble_chart(qel_context* ctx, const char* label, const qel_xy_series* series, int32_t series_count,
                         const qel_bubble_options* options)
{
    const qel_bubble_options none = {};
    qel_chart_entry e = qel_chart_entry_begin(ctx, label);
    auto* p = (qel_bubble_payload*)qel_arena_alloc(ctx, sizeof(qel_bubble_payload));
    p->series_count = series ? std::max(series_count, 0) : 0;
    p->options = options ? *options : none;
    copy_series(ctx, p, series);
    if (with_legend(p)) p->legend_height = legend_height(ctx, p, e.rect.w > 0 ? e.rect.w : 500, false, 0, 0, -1) + 12;
    int32_t points = 0;
    for (int32_t s = 0; s < p->series_count; s++) points += p->series[s].count;
    int32_t hit = qel_chart_entry_hovering(&e) ? hit_point(ctx, p, e.rect, e.pointer) : -1;
    qel_chart_entry_view(ctx, &e, hit, points, &p->view);
    p->hovered_series = p->hovered_point = -1;
    if (p->view.hovered >= 0) fill_tip(ctx, p);
    qel_size width = p->options.width.kind ? p->options.width : qel_size{QEL_SIZE_GROW, 1};
    float height = p->options.height > 0 ? p->options.height : DEFAULT_HEIGHT;
    qel_chart_entry_node(ctx, &e, width, {QEL_SIZE_FIXED, height}, qel_bubble_chart_draw, p, true);
    return qel_chart_entry_clicked(&e);
}

static void draw_grid(qel_context* ctx, const qel_bubble_payload* p, const qel_chart_axes& a)
{
    float fs = qel_chart_xs_size(ctx);
    const qel_rect& P = a.plot;
    qel_color muted = qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED);
    int32_t ys = qel_chart_tick_count(a.y_lower, a.y_upper, a.y_step);
    for (int32_t k = 0; k < ys; k++) {
        float t = a.y_lower + (float)k * a.y_step, y = map_point(a, a.x_lower, t).y;
        qel_rect line = {P.x, y - 0.5f, P.w, 1};
        qel_draw_rect(ctx, &line, nullptr, qel_theme_color(ctx, k == 0 ? QEL_COLOR_BORDER : QEL_COLOR_BORDER_SUBTLE));
        qel_draw_text_aligned(ctx, QEL_FONT_BODY, fs, P.x - 8, y, 2, muted,
                              qel_chart_format_value(ctx, p->options.y_format, t), 1);
    }
    int32_t xs = qel_chart_tick_count(a.x_lower, a.x_upper, a.x_step);
    for (int32_t k = 0; k < xs; k++) {
        float t = a.x_lower + (float)k * a.x_step;
        qel_draw_text_aligned(ctx, QEL_FONT_BODY, fs, map_point(a, t, a.y_lower).x, P.y + P.h + 14, 1, muted,
                              qel_chart_format_value(ctx, p->options.x_format, t), 1);
    }
    qel_color secondary = qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY);
    if (p->options.x_title)
        qel_draw_text_aligned(ctx, QEL_FONT_MEDIUM, fs, P.x + P.w / 2, P.y + P.h + 36, 1, secondary,
                              p->options.x_title, 0);
}

static void draw_crosshair(qel_context* ctx, const qel_bubble_payload* p, const qel_chart_axes& a)
{
    const qel_xy_series& sr = p->series[p->hovered_series];
    qel_vec2 at = map_point(a, sr.xy[2 * p->hovered_point], sr.xy[2 * p->hovered_point + 1]);
    qel_color c = qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG), p->view.tip_alpha);
    qel_draw_line(ctx, at, {at.x, a.plot.y + a.plot.h}, 1, c);
    qel_draw_line(ctx, {a.plot.x, at.y}, at, 1, c);
}

static void draw_bubbles(qel_context* ctx, const qel_bubble_payload* p, const qel_chart_axes& a)
{
    const qel_rect& P = a.plot;
    qel_rect clip = {P.x - 30, P.y - 30, P.w + 60, P.h + 30};
    qel_draw_push_clip(ctx, &clip);
    qel_color surface = qel_theme_color(ctx, QEL_COLOR_SURFACE);
    for (int32_t s = 0; s < p->series_count; s++) {
        const qel_xy_series& sr = p->series[s];
        bool other = p->hovered_series >= 0 && p->hovered_series != s;
        qel_color c = series_color(ctx, p, s);
        qel_color fill = qel_color_alpha(c, (sr.sizes ? 0.42f : 1.0f) * (other ? 0.45f : 1.0f));
        for (int32_t i = 0; i < sr.count; i++) {
            qel_vec2 at = map_point(a, sr.xy[2 * i], sr.xy[2 * i + 1]);
            float g = qel_chart_stagger(p->view.intro, (at.x - P.x) / std::fmax(1.0f, P.w), 0.6f);
            float r = qel_bubble_radius(sr.sizes, i, a.largest_size) * g;
            if (r <= 0.2f) continue;
            if (s == p->hovered_series && i == p->hovered_point) r += 1.5f;
            qel_draw_circle(ctx, at, r + 1.5f, surface);
            qel_draw_circle(ctx, at, r, fill);
            if (sr.sizes)
                qel_draw_arc(ctx, at, r - 0.5f, 0, 6.2831853f, 1, qel_color_alpha(c, other ? 0.5f : 1.0f));
        }
    }
    qel_draw_pop_clip(ctx);
}

void qel_bubble_chart_draw(qel_context* ctx, const qel_node* node, void* user)
{
    auto* p = (const qel_bubble_payload*)user;
    const qel_rect& r = node->rect;
    qel_chart_axes a = qel_chart_xy_axes(ctx, &r, p->series, p->series_count, &p->options, p->legend_height);
    draw_grid(ctx, p, a);
    if (p->options.y_title)
        qel_draw_text_aligned(ctx, QEL_FONT_MEDIUM, qel_chart_xs_size(ctx), r.x, a.plot.y - 14, 0,
                              qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), p->options.y_title, 0);
    if (p->hovered_series >= 0) draw_crosshair(ctx, p, a);
    draw_bubbles(ctx, p, a);
    if (with_legend(p)) legend_height(ctx, p, r.w, true, r.x, r.y, p->view.hovered >= 0 ? p->hovered_series : -1);
    if (p->view.hovered >= 0 && p->view.tip.title) qel_chart_tooltip(ctx, &p->view.tip);
}
