// Line and bar charts: the entry with its hover and crosshair, the legend row of nodes, and the
// plot's drawing: value axis, grid, category labels, lines (straight or monotone curves, with an
// area), grouped or stacked bars, and the tooltip. The tick loop counts ticks rather than adding
// steps, and curves are limited so that they never leave the range of their data.
#include "qel/series_charts.h"

#include <algorithm>
#include <cmath>

#include "widgets/charts/chart_parts.h"
#include "core/core.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/chart_values.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/theme.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

static const uint32_t PLOT_ID = 0x9107;
static const float DEFAULT_HEIGHT = 220, INTRO_PERIOD = 0.9f, CROSSHAIR_PERIOD = 0.22f;
static const int32_t CURVE_SAMPLES = 8;
static const float SWATCH_RADIUS = 2.5f;

enum { MODE_LINE = 0, MODE_BAR = 1 };

// A series' usable length: a null array holds nothing, whatever its count says.
static int32_t series_length(const qel_line_series& s)
{
    return s.values && s.count > 0 ? s.count : 0;
}

static int32_t longest(const qel_line_series* series, int32_t count)
{
    int32_t n = 0;
    for (int32_t s = 0; s < count; s++) n = std::max(n, series_length(series[s]));
    return n;
}

// --- Entry ---

// Where the plot lies within last frame's rectangle: as the drawing reported it, else a guess.
static void plot_span(const qel_series_chart_state* st, const qel_rect& r, float* left, float* width)
{
    bool drawn = st->plot_width > 0;
    *left = r.x + (drawn ? st->plot_left : 40);
    *width = drawn ? st->plot_width : r.w - 42;
}

// The index under the pointer, the nearest point in line mode and the slot in bar mode.
static int32_t index_at(float u, int32_t n, int32_t mode)
{
    double k = mode == MODE_BAR ? std::floor(n * (double)u) : std::floor((n - 1) * (double)u + 0.5);
    if (!(k >= 0)) return 0;
    return k > n - 1 ? n - 1 : (int32_t)k;
}

static void update_hover(qel_context* ctx, qel_series_chart_state* st, const qel_interaction& it, const qel_rect& r,
                         int32_t n, int32_t mode)
{
    float left, width;
    plot_span(st, r, &left, &width);
    bool hover = it.hovered && n >= 1 && r.w > 0 && width > 0 && st->plot_width >= 0;
    if (hover) st->hovered = index_at((qel_mouse_pos(ctx).x - left) / width, n, mode);
    qel_anim_spring(ctx, st->intro, 1.0f, INTRO_PERIOD, 0);
    qel_anim_exp(ctx, &st->hover_alpha, hover ? 1.0f : 0.0f, hover ? 0.12f : 0.2f);
}

static void update_crosshair(qel_context* ctx, qel_series_chart_state* st, const qel_rect& r, int32_t n)
{
    if (!(r.w > 0) || n <= 1) return;
    float left, width;
    plot_span(st, r, &left, &width);
    int32_t index = std::min(std::max(st->hovered, 0), n - 1);
    float target = left + (float)index * width / (float)(n - 1);
    if (!std::isfinite(target)) return;
    if (!st->crosshair_set || st->hover_alpha < 0.05f) {
        st->crosshair[0] = target;
        st->crosshair[1] = 0;
        st->crosshair_set = 1;
    }
    qel_anim_spring(ctx, st->crosshair, target, CROSSHAIR_PERIOD, 0);
}

static qel_series_chart_payload* make_payload(qel_context* ctx, const qel_line_series* series, int32_t count,
                                              const qel_series_chart_options* o, qel_series_chart_state* st,
                                              int32_t n, int32_t mode)
{
    auto* p = (qel_series_chart_payload*)qel_arena_alloc(ctx, sizeof(qel_series_chart_payload));
    p->series = (qel_line_series*)qel_arena_alloc(ctx, sizeof(qel_line_series) * (size_t)std::max(count, 1));
    for (int32_t s = 0; s < count; s++) {
        int32_t len = series_length(series[s]);
        p->series[s].label = qel_arena_strdup(ctx, series[s].label ? series[s].label : "", -1);
        p->series[s].values = qel_chart_copy_values(ctx, series[s].values, len);
        p->series[s].count = len;
        p->series[s].color = qel_chart_indexed_color(ctx, series[s].color, s);
    }
    p->series_count = count;
    p->options = *o;
    p->options.format = qel_arena_strdup(ctx, o->format, -1);
    p->options.x_label_count = o->x_labels ? (o->x_label_count > 0 ? o->x_label_count : n) : 0;
    if (o->x_labels) {
        int32_t k = p->options.x_label_count;
        auto** labels = (const char**)qel_arena_alloc(ctx, sizeof(char*) * (size_t)std::max(k, 1));
        for (int32_t i = 0; i < k; i++) labels[i] = qel_arena_strdup(ctx, o->x_labels[i] ? o->x_labels[i] : "", -1);
        p->options.x_labels = labels;
    }
    p->intro = st->intro[0];
    p->hover_alpha = st->hover_alpha;
    p->hovered = st->hover_alpha > 0.01f && st->hovered >= 0 && st->hovered < n ? st->hovered : -1;
    p->mode = mode;
    p->state = st;
    p->crosshair_x = st->crosshair[0];
    return p;
}

static void legend_row(qel_context* ctx, const qel_series_chart_payload* p)
{
    qel_style row = {};
    row.direction = QEL_DIR_ROW;
    row.wrap = 1;
    row.gap = 16;
    qel_container_begin(ctx, &row);
    for (int32_t s = 0; s < p->series_count; s++) {
        qel_style entry = {};
        entry.direction = QEL_DIR_ROW;
        entry.gap = 6;
        qel_container_begin(ctx, &entry);
        int32_t swatch = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, 8}, {QEL_SIZE_FIXED, 8});
        qel_node_at(ctx, swatch)->fill = p->series[s].color;
        qel_node_round(qel_node_at(ctx, swatch), SWATCH_RADIUS);
        qel_text_leaf(ctx, p->series[s].label, -1, QEL_FONT_BODY, qel_text_small_scaled(ctx),
                      qel_color_token(QEL_COLOR_TEXT_SECONDARY), false, 1.3f);
        qel_container_end(ctx);
    }
    qel_container_end(ctx);
}

void qel_chart_series_core(qel_context* ctx, const char* label, const qel_line_series* series, int32_t count,
                           const qel_series_chart_options* options, int32_t mode)
{
    const qel_series_chart_options none = {};
    const qel_series_chart_options* o = options ? options : &none;
    if (!series || count < 0) count = 0;
    uint32_t id = qel_id(ctx, label), plot_id = id ^ PLOT_ID;
    auto* st = qel_state_record_of<qel_series_chart_state>(ctx, id, "qel_series_chart_state");
    qel_interaction it = qel_interact(ctx, plot_id, 0);
    qel_rect r = qel_id_rect(ctx, plot_id);
    int32_t n = longest(series, count);
    update_hover(ctx, st, it, r, n, mode);
    if (mode == MODE_LINE) update_crosshair(ctx, st, r, n);
    qel_series_chart_payload* p = make_payload(ctx, series, count, o, st, n, mode);

    int32_t outer = qel_node_open(ctx, id);
    qel_style column = {};
    column.direction = QEL_DIR_COLUMN;
    column.gap = 12;
    column.width = o->width.kind != QEL_SIZE_FIT ? o->width : qel_size{QEL_SIZE_GROW, 1};
    qel_node_apply_style(ctx, outer, &column);
    qel_node_push(ctx, outer);
    if (o->hide_legend != 1 && count >= 2) legend_row(ctx, p);
    float height = o->height > 0 ? o->height : DEFAULT_HEIGHT;
    int32_t plot = qel_node_sized(ctx, plot_id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, height});
    qel_node* pn = qel_node_at(ctx, plot);
    pn->align_self = QEL_ALIGN_STRETCH;
    pn->draw = qel_chart_series_draw;
    pn->draw_user = p;
    qel_node_mark_interactive(ctx, plot, 0);
    qel_node_pop(ctx);
    qel_set_last_item(ctx, plot_id);
}

void qel_line_chart(qel_context* ctx, const char* label, const qel_line_series* series, int32_t count,
                    const qel_series_chart_options* options)
{
    qel_chart_series_core(ctx, label, series, count, options, MODE_LINE);
}

void qel_bar_chart(qel_context* ctx, const char* label, const qel_line_series* series, int32_t count,
                   const qel_series_chart_options* options)
{
    qel_chart_series_core(ctx, label, series, count, options, MODE_BAR);
}

// --- Value axis ---

// A round step for a fixed range: n = span / step whole (within 0.001) and between 2.5 and 6.5,
// the closest to 4 winning. False when no step of 1, 2, 2.5 or 5 times a power of ten fits.
static bool fixed_step(float min, float max, float* step)
{
    double span = (double)max - min;
    if (!(span > 0) || !std::isfinite(span)) return false;
    double m = std::pow(10.0, std::floor(std::log10(span)) - 1);
    const double factors[4] = {1, 2, 2.5, 5};
    double best = 0, best_distance = INFINITY;
    for (double scale : {m, 10 * m, 100 * m})
        for (double f : factors) {
            double n = span / (f * scale);
            if (n < 2.5 || n > 6.5 || std::fabs(n - std::round(n)) > 0.001) continue;
            if (std::fabs(n - 4) < best_distance) best_distance = std::fabs(n - 4), best = f * scale;
        }
    if (!(best > 0)) return false;
    *step = (float)best;
    return true;
}

bool qel_chart_series_range(const qel_series_chart_payload* p, float* lower, float* upper, float* step)
{
    double lo = INFINITY, hi = -INFINITY;
    int32_t n = longest(p->series, p->series_count);
    bool stacked = p->mode == MODE_BAR && p->options.stacked;
    for (int32_t i = 0; stacked && i < n; i++) {
        double sum = 0;
        for (int32_t s = 0; s < p->series_count; s++) {
            if (i >= series_length(p->series[s])) continue;
            sum += p->series[s].values[i];
            lo = std::fmin(lo, sum), hi = std::fmax(hi, sum);
        }
    }
    for (int32_t s = 0; !stacked && s < p->series_count; s++)
        for (int32_t i = 0; i < series_length(p->series[s]); i++)
            lo = std::fmin(lo, p->series[s].values[i]), hi = std::fmax(hi, p->series[s].values[i]);
    if (!(lo <= hi)) return false;
    float y_min = p->options.y_min, y_max = p->options.y_max;
    if (y_min != y_max && std::isfinite(y_min) && std::isfinite(y_max)) {
        *lower = y_min, *upper = y_max;
        if (fixed_step(y_min, y_max, step)) return true;
        qel_chart_nice_range(y_min, y_max, 4, lower, upper, step);
        return true;
    }
    if (p->mode == MODE_LINE && lo >= 0 && lo <= 0.45 * hi) lo = 0;
    if (p->mode == MODE_BAR && lo > 0) lo = 0;
    qel_chart_nice_range((float)lo, (float)hi, 4, lower, upper, step);
    return true;
}

// --- Drawing ---

// The plot of one frame: where values land and how wide an index's slot is.
struct plot_frame {
    float left, top, width, height;
    float lower, upper;
    float slot;
    float label_size;
};

static float value_y(const plot_frame& f, double v)
{
    return (float)(f.top + f.height - (v - f.lower) / ((double)f.upper - f.lower) * f.height);
}

static float baseline_y(const plot_frame& f)
{
    return value_y(f, std::fmin(std::fmax(0.0f, f.lower), f.upper));
}

// The value axis's tick texts, formatted once a frame for both the measure and the drawing.
static const char** tick_texts(qel_context* ctx, const plot_frame& f, float step, const char* format, int32_t ticks,
                               float* widest)
{
    auto** texts = (const char**)qel_arena_alloc(ctx, sizeof(char*) * (size_t)std::max(ticks, 1));
    *widest = 0;
    for (int32_t i = 0; i < ticks; i++) {
        texts[i] = qel_chart_format_value(ctx, format, f.lower + (float)i * step);
        *widest = std::fmax(*widest, qel_text_width(ctx, QEL_FONT_BODY, f.label_size, texts[i], -1, 1));
    }
    return texts;
}

static void draw_grid(qel_context* ctx, const plot_frame& f, float step, int32_t ticks, const char* const* texts,
                      const qel_series_chart_payload* p)
{
    float scale = ctx->clock.scale;
    for (int32_t i = 0; i < ticks; i++) {
        float tick = f.lower + (float)i * step;
        float y = std::round(value_y(f, tick) * scale) / scale + 0.5f / scale;
        if (!p->options.hide_grid) {
            qel_color c = qel_color_token(std::fabs(tick) < 0.01f * step ? QEL_COLOR_BORDER : QEL_COLOR_BORDER_SUBTLE);
            qel_rect line = {f.left, y - 0.5f, f.width, 1};
            qel_draw_rect(ctx, &line, nullptr, c);
        }
        qel_draw_text_aligned(ctx, QEL_FONT_BODY, f.label_size, f.left - 10, y, 2,
                              qel_color_token(QEL_COLOR_TEXT_MUTED), texts[i], 1);
    }
}

// Category labels under the plot, each centred on its index; line charts keep the first and
// last (or only) label within reach of the ends, and a label too close to the one before is
// left out.
static void draw_x_labels(qel_context* ctx, const plot_frame& f, const qel_series_chart_payload* p, int32_t n)
{
    int32_t shown = std::min(p->options.x_label_count, n);
    float last_end = -INFINITY;
    for (int32_t i = 0; i < shown; i++) {
        float cx = f.left + ((float)i + (p->mode == MODE_BAR ? 0.5f : 0.0f)) * f.slot;
        const char* label = p->options.x_labels[i];
        float w = qel_text_width(ctx, QEL_FONT_BODY, f.label_size, label, -1, 0);
        float start = cx - w / 2;
        if (p->mode == MODE_LINE && i == shown - 1) start = cx + std::fmin(w / 2, 4.0f) - w;
        else if (p->mode == MODE_LINE && i == 0) start = cx - std::fmin(w / 2, 4.0f);
        if (start < last_end + 8) continue;
        qel_draw_text(ctx, QEL_FONT_BODY, f.label_size, start, f.top + f.height + 8,
                      qel_color_token(QEL_COLOR_TEXT_MUTED), label, -1, 0);
        last_end = start + w;
    }
}

// Tangents of a monotone cubic through the points' y: centred differences, set to 0 against the
// segment's direction (and on a flat segment), and at most three times the segment's rise, which
// keeps every curve within its two end points.
static float centred_tangent(const qel_vec2* pts, int32_t n, int32_t k)
{
    if (k == 0) return (pts[1].y - pts[0].y) / 2;
    if (k == n - 1) return (pts[n - 1].y - pts[n - 2].y) / 2;
    return (pts[k + 1].y - pts[k - 1].y) / 2;
}

static void segment_tangents(const qel_vec2* pts, int32_t n, int32_t i, float* m0, float* m1)
{
    float d = pts[i + 1].y - pts[i].y, limit = 3 * std::fabs(d);
    auto limited = [&](float m) {
        if (d == 0 || (d > 0 && m < 0) || (d < 0 && m > 0)) return 0.0f;
        return std::fmin(std::fmax(m, -limit), limit);
    };
    *m0 = limited(centred_tangent(pts, n, i));
    *m1 = limited(centred_tangent(pts, n, i + 1));
}

// 8 samples per segment on a cubic Hermite curve, then the last point: 8n - 7 points.
static qel_vec2* smooth_points(qel_context* ctx, const qel_vec2* pts, int32_t n, int32_t* out_count)
{
    int32_t total = CURVE_SAMPLES * (n - 1) + 1;
    auto* out = (qel_vec2*)qel_arena_alloc(ctx, sizeof(qel_vec2) * (size_t)total);
    for (int32_t i = 0; i + 1 < n; i++) {
        float m0, m1;
        segment_tangents(pts, n, i, &m0, &m1);
        for (int32_t k = 0; k < CURVE_SAMPLES; k++) {
            float s = (float)k / CURVE_SAMPLES, s2 = s * s, s3 = s2 * s;
            float y = (2 * s3 - 3 * s2 + 1) * pts[i].y + (s3 - 2 * s2 + s) * m0 + (-2 * s3 + 3 * s2) * pts[i + 1].y +
                      (s3 - s2) * m1;
            out[i * CURVE_SAMPLES + k] = {pts[i].x + s * (pts[i + 1].x - pts[i].x), y};
        }
    }
    out[total - 1] = pts[n - 1];
    *out_count = total;
    return out;
}

static void draw_area(qel_context* ctx, const plot_frame& f, const qel_vec2* pts, int32_t n, qel_color color,
                      int32_t series_count)
{
    float a = (series_count > 1 ? 0.16f : 0.2f) * 0.6f;
    if (qel_dark_mode(ctx)) a *= 1.2f;
    qel_color fill = qel_color_alpha(color, a);
    float base = baseline_y(f);
    auto* v = (qel_triangle_vertex*)qel_arena_alloc(ctx, sizeof(qel_triangle_vertex) * 2 * (size_t)n);
    auto* idx = (uint32_t*)qel_arena_alloc(ctx, sizeof(uint32_t) * 6 * (size_t)(n - 1));
    for (int32_t i = 0; i < n; i++) {
        v[2 * i] = {pts[i].x, pts[i].y, fill};
        v[2 * i + 1] = {pts[i].x, base, fill};
    }
    for (int32_t i = 0; i + 1 < n; i++) {
        uint32_t k = (uint32_t)(2 * i);
        const uint32_t quad[6] = {k, k + 1, k + 2, k + 2, k + 1, k + 3};
        for (int j = 0; j < 6; j++) idx[6 * i + j] = quad[j];
    }
    qel_draw_triangles(ctx, v, 2 * n, idx, 6 * (n - 1));
}

static qel_vec2* series_points(qel_context* ctx, const plot_frame& f, const qel_line_series& s)
{
    auto* pts = (qel_vec2*)qel_arena_alloc(ctx, sizeof(qel_vec2) * (size_t)s.count);
    for (int32_t i = 0; i < s.count; i++) pts[i] = {f.left + (float)i * f.slot, value_y(f, s.values[i])};
    return pts;
}

static void draw_lines(qel_context* ctx, const plot_frame& f, const qel_rect& r, const qel_series_chart_payload* p)
{
    float t = std::fmin(std::fmax(p->intro, 0.0f), 1.0f);
    qel_rect clip = {f.left - 4, r.y, (f.width + 8) * t, r.h};
    qel_draw_push_clip(ctx, &clip);
    for (int32_t s = 0; s < p->series_count; s++) {
        const qel_line_series& sr = p->series[s];
        if (sr.count < 1) continue;
        int32_t n = sr.count;
        qel_vec2* pts = series_points(ctx, f, sr);
        if (p->options.smooth && n > 2) pts = smooth_points(ctx, pts, sr.count, &n);
        if (p->options.area && s == 0 && n >= 2) draw_area(ctx, f, pts, n, sr.color, p->series_count);
        qel_draw_polyline(ctx, pts, n, 2, sr.color, 0);
    }
    qel_draw_pop_clip(ctx);
    if (p->hovered < 0 || !(p->hover_alpha > 0.01f)) return;
    qel_rect cross = {p->crosshair_x - 0.5f, f.top, 1, f.height};
    qel_draw_rect(ctx, &cross, nullptr, qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG), p->hover_alpha));
    float top_dot = INFINITY;
    for (int32_t s = 0; s < p->series_count; s++) {
        const qel_line_series& sr = p->series[s];
        if (p->hovered >= sr.count) continue;
        qel_vec2 c = {f.left + (float)p->hovered * f.slot, value_y(f, sr.values[p->hovered])};
        qel_draw_circle(ctx, c, 5.5f, qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_SURFACE), p->hover_alpha));
        qel_draw_circle(ctx, c, 3.5f, qel_color_alpha(sr.color, p->hover_alpha));
        top_dot = std::fmin(top_dot, c.y);
    }
    qel_rect plot = {f.left, f.top, f.width, f.height};
    if (std::isfinite(top_dot)) qel_chart_series_tooltip(ctx, p, &plot, p->crosshair_x, top_dot + 30, p->hovered);
}

static void bar_radii(float radii[4], float r, bool positive, bool rounded)
{
    for (int i = 0; i < 4; i++) radii[i] = 0;
    if (!rounded) return;
    if (positive) radii[0] = radii[1] = r;
    else radii[2] = radii[3] = r;
}

static void draw_bars(qel_context* ctx, const plot_frame& f, const qel_series_chart_payload* p, int32_t n)
{
    int32_t sc = p->series_count;
    bool stacked = p->options.stacked;
    float bw = stacked ? std::fmin(std::fmax(f.slot * 0.72f, 2.0f), 44.0f)
                       : std::fmin(std::fmax(f.slot * 0.72f / (float)sc - 3, 2.0f), 28.0f);
    float group = (float)sc * bw + 3 * (float)(sc - 1);
    float t = std::fmin(std::fmax(p->intro, 0.0f), 1.0f), radius = std::fmin(0.3f * bw, 4.0f);
    float base = baseline_y(f);
    for (int32_t i = 0; i < n; i++) {
        float centre = f.left + ((float)i + 0.5f) * f.slot;
        float fade = p->hovered >= 0 && i != p->hovered ? 1 - p->hover_alpha * 0.55f : 1.0f;
        double sum = 0;
        for (int32_t s = 0; s < sc; s++) {
            const qel_line_series& sr = p->series[s];
            if (i >= sr.count) continue;
            double v = (double)sr.values[i] * t;
            float x = stacked ? centre - bw / 2 : centre - group / 2 + (float)s * (bw + 3);
            float y0 = stacked ? value_y(f, sum) : base, y1 = value_y(f, stacked ? sum + v : v);
            sum += v;
            float radii[4];
            bar_radii(radii, radius, v >= 0, !stacked || v < 0 || s == sc - 1);
            qel_rect bar = {x, std::fmin(y0, y1), bw, std::fabs(y1 - y0)};
            qel_draw_rect(ctx, &bar, radii, qel_color_alpha(sr.color, fade));
        }
    }
    if (p->hovered < 0) return;
    qel_rect plot = {f.left, f.top, f.width, f.height};
    qel_chart_series_tooltip(ctx, p, &plot, f.left + ((float)p->hovered + 0.5f) * f.slot + 0.25f * f.slot,
                             f.top + 0.4f * f.height, p->hovered);
}

void qel_chart_series_draw(qel_context* ctx, const qel_node* node, void* user)
{
    auto* p = (qel_series_chart_payload*)user;
    qel_rect r = node->rect;
    plot_frame f = {};
    float step;
    if (!qel_chart_series_range(p, &f.lower, &f.upper, &step)) return;
    f.label_size = ctx->theme.current.text_xs + 0.5f;
    int32_t ticks = qel_chart_tick_count(f.lower, f.upper, step);
    float widest;
    const char** texts = tick_texts(ctx, f, step, p->options.format, ticks, &widest);
    f.left = r.x + widest + 10;
    f.width = r.w - widest - 12;
    f.top = r.y + 6;
    f.height = r.h - (p->options.x_labels ? 22.0f : 4.0f) - 8;
    if (f.width <= 10 || f.height <= 10) {
        p->state->plot_width = -1;  // too small: nothing to hover either
        return;
    }
    p->state->plot_left = widest + 10;
    p->state->plot_width = f.width;
    int32_t n = longest(p->series, p->series_count);
    f.slot = p->mode == MODE_BAR ? f.width / (float)std::max(n, 1) : n < 2 ? f.width : f.width / (float)(n - 1);
    draw_grid(ctx, f, step, ticks, texts, p);
    if (p->options.x_labels) draw_x_labels(ctx, f, p, n);
    if (p->mode == MODE_LINE) draw_lines(ctx, f, r, p);
    else draw_bars(ctx, f, p, n);
}

void qel_chart_series_tooltip(qel_context* ctx, const qel_series_chart_payload* p, const qel_rect* plot,
                              float anchor_x, float anchor_y, int32_t index)
{
    if (!(p->hover_alpha > 0.01f) || index < 0) return;
    qel_chart_tip tip = {};
    tip.alpha = p->hover_alpha;
    const qel_series_chart_options& o = p->options;
    tip.title = o.x_labels && index < o.x_label_count ? o.x_labels[index] : qel_arena_sprintf(ctx, "#%d", index + 1);
    for (int32_t s = 0; s < p->series_count; s++)
        if (index < p->series[s].count)
            qel_chart_tip_add(&tip, p->series[s].label,
                              qel_chart_format_value(ctx, p->options.format, p->series[s].values[index]),
                              qel_color_resolve(ctx, p->series[s].color));
    float w, h;
    qel_chart_tip_size(ctx, &tip, &w, &h);
    float x = anchor_x + 14, y = anchor_y - h / 2;
    if (x + w > plot->x + plot->w) x = anchor_x - 14 - w;
    x = std::fmax(x, plot->x - 40);
    y = std::fmax(y, plot->y - 8);
    if (y + h > plot->y + plot->h + 8) y = plot->y + plot->h + 8 - h;
    qel_chart_tip_box(ctx, &tip, x, y, w, h);
}
