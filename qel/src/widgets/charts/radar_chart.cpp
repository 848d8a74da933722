// The radar chart: the scale, the diameter fitted to last frame's width, the hit test by angle,
// and the drawing of rings, spokes, axis names, ring values, series polygons, legend and tooltip.
#include "qel/radar_chart.h"

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

static const float PI = 3.14159265f, TAU = 2 * PI;
static const float DEFAULT_SIZE = 260, SMALLEST = 110, SIDES = 180, TOP_ROOM = 26, HOVER_MARGIN = 36;
static const float LEGEND_ROOM = 30, MOST_REACH = 1.15f;

int32_t qel_radar_axis_at(float dx, float dy, int32_t n)
{
    float angle = std::atan2(dy, dx) + PI / 2;
    if (angle < 0) angle += TAU;
    return (int32_t)(std::lround(angle / TAU * (float)n) % n);
}

static qel_vec2 unit(int32_t i, int32_t n)
{
    float a = (float)i * TAU / (float)n - PI / 2;
    return {std::cos(a), std::sin(a)};
}

static float value_at(const qel_radar_series& s, int32_t axis)
{
    return axis < s.count ? s.values[axis] : 0;
}

// Room at each side for the names of the axes that point sideways.
static float side_padding(qel_context* ctx, const char* const* labels, int32_t n, float fs)
{
    float q = 0;
    for (int32_t i = 0; labels && i < n; i++)
        if (labels[i] && std::fabs(unit(i, n).x) > 0.3f)
            q = std::fmax(q, qel_text_width(ctx, QEL_FONT_MEDIUM, fs, labels[i], -1, 0) + 18);
    return q;
}

static void copy_input(qel_context* ctx, qel_radar_payload* p, const qel_radar_series* series,
                       const char* const* labels)
{
    p->series = (qel_radar_series*)qel_arena_alloc(ctx, sizeof(qel_radar_series) * (size_t)std::max(p->series_count, 1));
    for (int32_t s = 0; s < p->series_count; s++) {
        p->series[s] = series[s];
        p->series[s].count = std::max(series[s].count, 0);
        p->series[s].values = qel_chart_copy_values(ctx, series[s].values, p->series[s].count);
        p->series[s].label = series[s].label ? series[s].label : "";
    }
    if (!labels) return;
    p->axis_labels = (const char**)qel_arena_alloc(ctx, sizeof(char*) * (size_t)std::max(p->axis_count, 1));
    for (int32_t i = 0; i < p->axis_count; i++) p->axis_labels[i] = labels[i];
}

static void scale(qel_radar_payload* p)
{
    float vmax = 0, lower = 0;
    for (int32_t s = 0; s < p->series_count; s++)
        for (int32_t i = 0; i < std::min(p->series[s].count, p->axis_count); i++)
            vmax = std::fmax(vmax, p->series[s].values[i]);
    if (p->options.max > 0) {
        p->max = p->options.max;
        p->step = p->options.max * 0.25f;
        return;
    }
    qel_chart_nice_range(0, vmax > 0 ? vmax : 1, 4, &lower, &p->max, &p->step);
}

static qel_color series_color(qel_context* ctx, const qel_radar_payload* p, int32_t s)
{
    return qel_chart_indexed_color(ctx, p->series[s].color, s);
}

static void fill_tip(qel_context* ctx, qel_radar_payload* p)
{
    int32_t axis = p->view.hovered;
    p->view.tip.title = p->axis_labels && p->axis_labels[axis] ? p->axis_labels[axis] : "";
    for (int32_t s = 0; s < p->series_count; s++) {
        const qel_radar_series& rs = p->series[s];
        const char* text = axis < rs.count ? qel_chart_format_value(ctx, p->options.format, rs.values[axis]) : "-";
        qel_chart_tip_add(&p->view.tip, rs.label, text, series_color(ctx, p, s));
    }
}

int32_t qel_radar_chart(qel_context* ctx, const char* label, const qel_radar_series* series, int32_t series_count,
                        const char* const* axis_labels, int32_t axis_count, const qel_radar_options* options)
{
    const qel_radar_options none = {};
    qel_chart_entry e = qel_chart_entry_begin(ctx, label);
    auto* p = (qel_radar_payload*)qel_arena_alloc(ctx, sizeof(qel_radar_payload));
    p->series_count = series ? std::max(series_count, 0) : 0;
    p->axis_count = std::max(axis_count, 0);
    p->options = options ? *options : none;
    copy_input(ctx, p, series, axis_labels);
    scale(p);
    float s = p->options.size > 0 ? p->options.size : DEFAULT_SIZE, smallest = std::fmin(s, SMALLEST);
    float q = side_padding(ctx, axis_labels, p->axis_count, qel_chart_xs_size(ctx));
    p->diameter = e.rect.w > 0 && e.rect.w < s + SIDES ? std::fmin(s, std::fmax(smallest, std::floor(e.rect.w - 2 * q)))
                                                        : s;
    int32_t hit = -1;
    if (qel_chart_entry_hovering(&e) && p->axis_count >= 3) {
        float dx = e.pointer.x - (e.rect.x + e.rect.w / 2), dy = e.pointer.y - (e.rect.y + TOP_ROOM + p->diameter / 2);
        if (std::hypot(dx, dy) < p->diameter / 2 + HOVER_MARGIN) hit = qel_radar_axis_at(dx, dy, p->axis_count);
    }
    qel_chart_entry_view(ctx, &e, hit, p->axis_count, &p->view);
    if (p->view.hovered >= 0) fill_tip(ctx, p);
    bool legend = p->series_count >= 2 && !p->options.hide_legend;
    int32_t index = qel_chart_entry_node(ctx, &e, {QEL_SIZE_FIT, 0},
                                         {QEL_SIZE_FIXED, p->diameter + 52 + (legend ? LEGEND_ROOM : 0)},
                                         qel_radar_chart_draw, p, false);
    qel_node* node = qel_node_at(ctx, index);
    qel_node_set_width(node, {QEL_SIZE_FIT, 0}, s + SIDES);
    node->flags |= QEL_NODE_MIN_FLOOR;
    node->min_w = std::fmin(2 * q + smallest, s + SIDES);
    return qel_chart_entry_clicked(&e);
}

struct radar_geometry {
    qel_vec2 centre;
    float r, fs;
    int32_t levels;
};

static qel_vec2 along(const radar_geometry& g, qel_vec2 u, float reach)
{
    return {g.centre.x + u.x * reach, g.centre.y + u.y * reach};
}

// The spoke for the ring values: away from series vertices near a ring, and near the vertical.
static int32_t value_spoke(const qel_radar_payload* p, int32_t levels)
{
    int32_t best = 0;
    float best_score = 0;
    for (int32_t j = 0; j < p->axis_count; j++) {
        float score = 0.6f * std::fabs(unit(j, p->axis_count).x);
        for (int32_t s = 0; s < p->series_count; s++) {
            float f = value_at(p->series[s], j) / p->max;
            for (int32_t k = 1; k < levels; k++)
                score += std::fmax(0.0f, 1 - std::fabs(f - (float)k / (float)levels) / 0.2f);
        }
        if (j == 0 || score < best_score - 0.0001f) {
            best = j;
            best_score = score;
        }
    }
    return best;
}

static void draw_rings(qel_context* ctx, const qel_radar_payload* p, const radar_geometry& g)
{
    int32_t n = p->axis_count;
    auto* points = (qel_vec2*)qel_arena_alloc(ctx, sizeof(qel_vec2) * (size_t)n);
    for (int32_t k = 1; k <= g.levels; k++) {
        for (int32_t i = 0; i < n; i++) points[i] = along(g, unit(i, n), (float)k * g.r / (float)g.levels);
        qel_draw_polyline(ctx, points, n, 1, qel_theme_color(ctx, k == g.levels ? QEL_COLOR_BORDER : QEL_COLOR_BORDER_SUBTLE),
                          1);
    }
}

static void draw_spokes(qel_context* ctx, const qel_radar_payload* p, const radar_geometry& g)
{
    int32_t n = p->axis_count;
    for (int32_t i = 0; i < n; i++) {
        qel_vec2 u = unit(i, n);
        bool hovered = i == p->view.hovered;
        qel_color subtle = qel_theme_color(ctx, QEL_COLOR_BORDER_SUBTLE);
        qel_draw_line(ctx, g.centre, along(g, u, g.r), hovered ? 1.5f : 1,
                      hovered ? qel_color_mix(subtle, qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG), p->view.tip_alpha)
                              : subtle);
        if (!p->axis_labels || !p->axis_labels[i]) continue;
        float x = g.centre.x + (g.r + 14) * u.x, y = g.centre.y + (g.r + 12) * u.y;
        uint32_t align = u.x > 0.3f ? 0 : u.x < -0.3f ? 2 : 1;
        if (align == 1) y += 4 * u.y;
        qel_draw_text_aligned(ctx, hovered ? QEL_FONT_MEDIUM : QEL_FONT_BODY, g.fs, x, y, align,
                              qel_theme_color(ctx, hovered ? QEL_COLOR_TEXT : QEL_COLOR_TEXT_SECONDARY),
                              p->axis_labels[i], 0);
    }
}

static void draw_ring_values(qel_context* ctx, const qel_radar_payload* p, const radar_geometry& g)
{
    qel_vec2 u = unit(value_spoke(p, g.levels), p->axis_count);
    float size = g.fs * 0.92f;
    const float radii[4] = {7, 7, 7, 7};
    for (int32_t k = 1; k < g.levels; k++) {
        const char* text = qel_chart_format_value(ctx, p->options.format, p->step * (float)k);
        float w = qel_text_width(ctx, QEL_FONT_BODY, size, text, -1, 1);
        qel_vec2 at = along(g, u, (float)k * g.r / (float)g.levels);
        at.x -= w / 2;
        qel_rect pill = {at.x - 3, at.y - 7, w + 6, 14};
        qel_draw_rect(ctx, &pill, radii, qel_theme_color(ctx, QEL_COLOR_SURFACE));
        qel_draw_text_aligned(ctx, QEL_FONT_BODY, size, at.x, at.y, 0, qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), text,
                              1);
    }
}

// Only the last series is filled, lighter when it shares the chart with others.
static float fill_factor(qel_context* ctx, const qel_radar_payload* p, int32_t s)
{
    if (s != p->series_count - 1) return 0;
    float factor = p->series_count == 1 ? 0.18f : 0.14f;
    return qel_dark_mode(ctx) ? factor * 1.3f : factor;
}

static void draw_series(qel_context* ctx, const qel_radar_payload* p, const radar_geometry& g, int32_t s)
{
    int32_t n = p->axis_count;
    float grown = std::clamp(p->view.intro, 0.0f, 1.0f);
    qel_color c = series_color(ctx, p, s), fill = qel_color_alpha(c, fill_factor(ctx, p, s));
    auto* fan = (qel_triangle_vertex*)qel_arena_alloc(ctx, sizeof(qel_triangle_vertex) * (size_t)(n + 1));
    auto* points = (qel_vec2*)qel_arena_alloc(ctx, sizeof(qel_vec2) * (size_t)n);
    auto* indices = (uint32_t*)qel_arena_alloc(ctx, sizeof(uint32_t) * 3 * (size_t)n);
    fan[0] = {g.centre.x, g.centre.y, fill};
    for (int32_t i = 0; i < n; i++) {
        float v = value_at(p->series[s], i), f = v > 0 ? std::fmin(v / p->max, MOST_REACH) : 0;
        points[i] = along(g, unit(i, n), g.r * f * grown);
        fan[i + 1] = {points[i].x, points[i].y, fill};
        indices[3 * i] = 0;
        indices[3 * i + 1] = (uint32_t)i + 1;
        indices[3 * i + 2] = (uint32_t)((i + 1) % n + 1);
    }
    if (fill >> 24) qel_draw_triangles(ctx, fan, n + 1, indices, 3 * n);
    qel_draw_polyline(ctx, points, n, 2, c, 1);
    for (int32_t i = 0; i < n; i++) {
        bool hovered = i == p->view.hovered;
        qel_draw_circle(ctx, points[i], hovered ? 6 : 4.5f, qel_theme_color(ctx, QEL_COLOR_SURFACE));
        qel_draw_circle(ctx, points[i], hovered ? 4.5f : 3, c);
    }
}

static void draw_legend(qel_context* ctx, const qel_radar_payload* p, const radar_geometry& g, const qel_rect& r)
{
    auto* labels = (const char**)qel_arena_alloc(ctx, sizeof(char*) * (size_t)p->series_count);
    auto* colors = (qel_color*)qel_arena_alloc(ctx, sizeof(qel_color) * (size_t)p->series_count);
    float width = -16;
    for (int32_t s = 0; s < p->series_count; s++) {
        labels[s] = p->series[s].label;
        colors[s] = series_color(ctx, p, s);
        width += qel_text_width(ctx, QEL_FONT_BODY, g.fs, labels[s], -1, 0) + 14 + 16;
    }
    width = std::fmin(width, r.w);
    qel_chart_legend(ctx, r.x + (r.w - width) / 2, g.centre.y + g.r + 34, width + 1, labels, colors, p->series_count,
                     -1, true);
}

void qel_radar_chart_draw(qel_context* ctx, const qel_node* node, void* user)
{
    auto* p = (const qel_radar_payload*)user;
    if (p->axis_count < 3) return;
    const qel_rect& r = node->rect;
    radar_geometry g = {};
    g.r = p->diameter / 2;
    g.centre = {r.x + r.w / 2, r.y + TOP_ROOM + g.r};
    g.fs = qel_chart_xs_size(ctx);
    g.levels = std::clamp((int32_t)std::lround(p->max / p->step), 1, 8);
    draw_rings(ctx, p, g);
    draw_spokes(ctx, p, g);
    draw_ring_values(ctx, p, g);
    for (int32_t s = 0; s < p->series_count; s++) draw_series(ctx, p, g, s);
    if (p->series_count >= 2 && !p->options.hide_legend) draw_legend(ctx, p, g, r);
    if (p->view.hovered >= 0 && p->view.tip.title) qel_chart_tooltip(ctx, &p->view.tip);
}
