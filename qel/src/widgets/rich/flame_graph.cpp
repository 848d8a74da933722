// The flame graph: the spans' extent and rows, the view's wheel, drag, key and zoom animation,
// the hit test that keeps sub-pixel bars reachable, the bar records with merged thin runs, the
// time axis, the tooltip, and the layout saved for qel_flame_span_rect.
#include "kit/state_records.h"
#include "qel/flame_graph.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/core.h"
#include "kit/widget_nodes.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/text_input.h"
#include "qel/theme.h"
#include "qel/tooltip.h"
#include "qel/widget_feel.h"

namespace {

const uint32_t STATE_KEY = 0xF1A3, HIT_KEY = 0xF1A5C011, TIP_KEY = 0x7111;
const float AXIS_H = 24, PLOT_TOP = 29, INSET = 8;
const int32_t MAX_ROWS = 100000;
const int32_t KEY_F = QEL_KEY_A + 5;

struct flame_layout {
    float left, width, top, scroll;
    qel_rect clip;
    double start, end;
    float row_h;
    uint8_t valid;
};

struct flame_state {
    uint8_t pointer;  // 0 idle, 1 pressed, 2 dragging
    uint8_t press_double;
    uint8_t animating;
    uint8_t initialised;
    float press_x, press_y, last_x, last_y;
    int32_t press_hit;
    float spring[2];
    double from_start, from_end, to_start, to_end;
    float focus;
    qel_flame_view own_view;
    int32_t own_selected;
    flame_layout layout;
};

struct flame_bar {
    double start, end;
    uint32_t index;  // span, or row of a merged bar
    uint8_t kind;    // 0 normal, 1 hovered, 2 merged
    qel_color fill, ink;
    const char* label;
    int32_t label_length;
};

struct flame_frame {
    const qel_flame_span* spans;
    int32_t count, first, rows;
    double lo, hi, min_span;
    float row_h;
    float left, width, top, height;  // the plot
    qel_flame_view* view;
    flame_state* s;
    bool empty;
};

struct flame_payload {
    flame_state* s;
    const qel_flame_span* spans;
    uint32_t hit_id;
    qel_flame_view view;
    double lo;
    float row_h, scroll, content_h;
    uint8_t empty;
    flame_bar* bars;
    int32_t bar_count;
    flame_bar selected;
    uint8_t has_selected;
    float focus;
};

bool numbered(const qel_flame_span& s)
{
    return s.start == s.start && s.end == s.end;
}

}  // namespace

void qel_flame_sort_spans(qel_flame_span* spans, int32_t count)
{
    if (!spans || count < 2) return;
    std::sort(spans, spans + count, [](const qel_flame_span& a, const qel_flame_span& b) {
        if (a.depth != b.depth) return a.depth < b.depth;
        bool na = numbered(a), nb = numbered(b);
        if (na != nb) return na;
        if (!na) return false;
        if (a.start != b.start) return a.start < b.start;
        return a.end > b.end;
    });
}

// --- Rows ---

// The first index in [from, to) whose depth is at least d (above: more than d).
static int32_t depth_bound(const qel_flame_span* spans, int32_t from, int32_t to, int64_t d, bool above)
{
    while (from < to) {
        int32_t mid = from + (to - from) / 2;
        if (above ? spans[mid].depth <= d : spans[mid].depth < d) from = mid + 1;
        else to = mid;
    }
    return from;
}

static void row_range(const flame_frame& f, int64_t d, int32_t* a, int32_t* b)
{
    *a = depth_bound(f.spans, f.first, f.count, d, false);
    *b = depth_bound(f.spans, *a, f.count, d, true);
}

// The first index in [a, b) whose start or end (the field) is after t.
static int32_t first_after(const qel_flame_span* spans, int32_t a, int32_t b, double t, double qel_flame_span::*field)
{
    auto before = [&](const qel_flame_span& span) { return span.*field <= t; };
    return (int32_t)(std::partition_point(spans + a, spans + b, before) - spans);
}

static int32_t first_ending_after(const qel_flame_span* spans, int32_t a, int32_t b, double t)
{
    return first_after(spans, a, b, t, &qel_flame_span::end);
}

static int32_t first_starting_after(const qel_flame_span* spans, int32_t a, int32_t b, double t)
{
    return first_after(spans, a, b, t, &qel_flame_span::start);
}

static void find_extent(flame_frame* f)
{
    f->first = depth_bound(f->spans, 0, f->count, 0, false);
    double lo = INFINITY, hi = -INFINITY;
    int32_t last_depth = 0;
    for (int32_t i = f->first; i < f->count;) {
        int32_t j = depth_bound(f->spans, i, f->count, f->spans[i].depth, true);
        double s = f->spans[i].start, e = f->spans[j - 1].end;
        if (s < lo || s != s) lo = lo != lo ? lo : s;
        if (e > hi || e != e) hi = hi != hi ? hi : e;
        last_depth = f->spans[i].depth;
        i = j;
    }
    f->rows = std::min(last_depth, MAX_ROWS - 1) + 1;
    f->empty = f->first >= f->count || !(hi >= lo) || !std::isfinite(hi - lo);
    if (f->empty) return;
    if (hi - lo < f->min_span) {
        double c = lo / 2 + hi / 2;
        lo = c - f->min_span / 2, hi = c + f->min_span / 2;
    }
    f->empty = !std::isfinite(hi - lo);
    f->lo = lo, f->hi = hi;
}

static int32_t parent_of(const flame_frame& f, int32_t i)
{
    if (i < f.first || i >= f.count || f.spans[i].depth < 1) return -1;
    int32_t a, b;
    row_range(f, (int64_t)f.spans[i].depth - 1, &a, &b);
    int32_t p = first_starting_after(f.spans, a, b, f.spans[i].start) - 1;
    return p >= a && f.spans[p].end >= f.spans[i].end ? p : -1;
}

static int32_t hit_test(const flame_frame& f, float x, float y)
{
    const qel_flame_view& v = *f.view;
    if (f.empty || !(f.width > 0) || y < f.top || x < f.left - 1 || x > f.left + f.width + 1) return -1;
    float within = y - f.top + v.scroll;
    float row = std::floor(within / f.row_h);
    if (!(row >= 0 && row < (float)f.rows) || within - row * f.row_h >= f.row_h - 1) return -1;
    int32_t a, b;
    row_range(f, (int64_t)row, &a, &b);
    double vw = v.end - v.start, p = vw / f.width, t = v.start + (x - f.left) / f.width * vw;
    int32_t cand = first_starting_after(f.spans, a, b, t) - 1;
    double reach = p;
    if (cand >= a) {
        if (f.spans[cand].end >= t) return cand;
        if (t - f.spans[cand].end <= p) reach = t - f.spans[cand].end;
        else cand = -1;
    } else {
        cand = -1;
    }
    int32_t next = cand >= 0 ? cand + 1 : first_starting_after(f.spans, a, b, t);
    if (next < b && f.spans[next].start - t <= reach) return next;
    return cand;
}

// --- View ---

static double extent_width(const flame_frame& f)
{
    return f.hi - f.lo;
}

static double clamp_width(const flame_frame& f, double w)
{
    return std::clamp(w, f.min_span, extent_width(f));
}

static void place(const flame_frame& f, double start, double width)
{
    f.view->start = start;
    f.view->end = start + width;
}

static void user_view(flame_frame* f, double start, double width)
{
    place(*f, start, width);
    f->s->animating = 0;
}

static void pan(flame_frame* f, double by)
{
    user_view(f, f->view->start + by, f->view->end - f->view->start);
}

static void zoom_about(flame_frame* f, double width, float x)
{
    double vw = f->view->end - f->view->start, u = (x - f->left) / f->width;
    double t = f->view->start + u * vw, w = clamp_width(*f, width);
    user_view(f, t - u * w, w);
}

static void animate_to(flame_frame* f, double start, double end)
{
    flame_state* s = f->s;
    s->animating = 1;
    s->spring[0] = s->spring[1] = 0;
    s->from_start = f->view->start, s->from_end = f->view->end;
    s->to_start = start, s->to_end = end;
}

static void animate_whole(flame_frame* f)
{
    animate_to(f, f->lo, f->hi);
}

static void zoom_to_span(flame_frame* f, int32_t i)
{
    const qel_flame_span& sp = f->spans[i];
    double d = std::max(sp.end - sp.start, f->min_span);
    double w = clamp_width(*f, 1.1 * d), start = std::max(sp.start - 0.05 * d, f->lo);
    if (start + w > f->hi) start = f->hi - w;
    animate_to(f, start, start + w);
}

static void step_animation(qel_context* ctx, flame_frame* f)
{
    flame_state* s = f->s;
    if (!s->animating) return;
    float t = qel_anim_spring(ctx, s->spring, 1, 0.32f, 0);
    if (t == 1 && s->spring[1] == 0) {
        place(*f, s->to_start, s->to_end - s->to_start);
        s->animating = 0;
        return;
    }
    double w0 = s->from_end - s->from_start, w1 = s->to_end - s->to_start;
    if (w0 > 0 && w1 > 0 && std::fabs(w1 - w0) > 1e-6 * w0) {
        double fixed = (s->to_start * w0 - s->from_start * w1) / (w0 - w1), u = (fixed - s->from_start) / w0;
        double w = std::exp(std::log(w0) + (std::log(w1) - std::log(w0)) * t);
        place(*f, fixed - u * w, w);
    } else {
        place(*f, s->from_start + (s->to_start - s->from_start) * t, w0 + (w1 - w0) * t);
    }
}

static void clamp_view(flame_frame* f)
{
    qel_flame_view* v = f->view;
    double w = v->end - v->start;
    w = w > 0 ? clamp_width(*f, w) : extent_width(*f);
    // A wheel step that is not a number must not carry the view with it.
    double start = std::isfinite(v->start) ? std::max(v->start, f->lo) : f->lo;
    if (start + w > f->hi) start = f->hi - w;
    place(*f, start, w);
    float most = std::max(0.0f, (float)f->rows * f->row_h - f->height);
    v->scroll = std::clamp(v->scroll == v->scroll ? v->scroll : 0.0f, 0.0f, most);
}

// Equal, or both not a number: a view left alone has not changed.
static bool same(double a, double b)
{
    return a == b || (a != a && b != b);
}

static bool view_invalid(const qel_flame_view& v)
{
    return !(v.end > v.start) || !std::isfinite(v.start) || !std::isfinite(v.end);
}

// --- Input ---

static void take_wheel(qel_context* ctx, flame_frame* f, uint32_t hit_id)
{
    qel_input* in = &ctx->input;
    if (ctx->interaction.scroll_target != hit_id || (in->wheel_x == 0 && in->wheel_y == 0)) return;
    double vw = f->view->end - f->view->start;
    if (in->wheel_x != 0) pan(f, -in->wheel_x * 40 / f->width * vw);
    if (in->wheel_y != 0) {
        if (in->modifiers & QEL_MOD_SHIFT) pan(f, -in->wheel_y * 40 / f->width * vw);
        else zoom_about(f, vw / std::pow(1.12, in->wheel_y), qel_mouse_pos(ctx).x);
    }
    in->wheel_x = in->wheel_y = 0;
}

static void release(flame_frame* f, int32_t* selected, int32_t* zoomed)
{
    flame_state* s = f->s;
    if (s->press_y < f->top - 4) {
        if (s->press_double) animate_whole(f);
        return;
    }
    *selected = s->press_hit;
    if (!s->press_double) return;
    if (s->press_hit >= 0) {
        zoom_to_span(f, s->press_hit);
        *zoomed = s->press_hit;
    } else {
        animate_whole(f);
    }
}

static void pointer(qel_context* ctx, flame_frame* f, const qel_interaction& it, int32_t* selected, int32_t* zoomed)
{
    flame_state* s = f->s;
    qel_vec2 m = qel_mouse_pos(ctx);
    if (s->pointer == 0 && it.hovered && ctx->input.pressed[0]) {
        s->pointer = 1;
        s->press_x = s->last_x = m.x, s->press_y = s->last_y = m.y;
        s->press_hit = hit_test(*f, m.x, m.y);
        s->press_double = ctx->input.click_count >= 2;
        return;
    }
    if (s->pointer == 0) return;
    if (!ctx->input.down[0]) {
        if (s->pointer == 1) release(f, selected, zoomed);
        s->pointer = 0;
        return;
    }
    if (s->pointer == 1 && std::hypot(m.x - s->press_x, m.y - s->press_y) > 3) s->pointer = 2;
    if (s->pointer == 2) {
        float dx = m.x - s->last_x, dy = m.y - s->last_y;
        if (dx != 0) pan(f, -dx / f->width * (f->view->end - f->view->start));
        if (dy != 0) {
            f->view->scroll -= dy;
            s->animating = 0;
        }
        qel_set_cursor(ctx, QEL_CURSOR_MOVE);
    }
    s->last_x = m.x, s->last_y = m.y;
}

static int32_t arrow_target(const flame_frame& f, int32_t key, int32_t sel)
{
    if (sel < 0) {
        int32_t a, b;
        row_range(f, f.spans[f.first].depth, &a, &b);
        int32_t i = first_ending_after(f.spans, a, b, f.view->start);
        return i < b ? i : a < b ? a : -1;
    }
    const qel_flame_span& sp = f.spans[sel];
    if (key == QEL_KEY_LEFT) return sel > f.first && f.spans[sel - 1].depth == sp.depth ? sel - 1 : -1;
    if (key == QEL_KEY_RIGHT) return sel + 1 < f.count && f.spans[sel + 1].depth == sp.depth ? sel + 1 : -1;
    if (key == QEL_KEY_UP) return parent_of(f, sel);
    int32_t a, b;
    row_range(f, (int64_t)sp.depth + 1, &a, &b);
    int32_t i = first_ending_after(f.spans, a, b, sp.start);
    return i < b && f.spans[i].start >= sp.start && f.spans[i].start <= sp.end ? i : -1;
}

// Brings the newly selected span into the view and its row into the plot.
static void reveal(flame_frame* f, int32_t i)
{
    const qel_flame_span& sp = f->spans[i];
    double vw = f->view->end - f->view->start;
    if (sp.end < f->view->start || sp.start > f->view->end) {
        double w = clamp_width(*f, vw), start = std::max((sp.start + sp.end) / 2 - w / 2, f->lo);
        if (start + w > f->hi) start = f->hi - w;
        user_view(f, start, w);
    }
    float top = (float)sp.depth * f->row_h, scroll = f->view->scroll;
    if (top < scroll) scroll = top;
    else if (top + f->row_h > scroll + f->height) scroll = top + f->row_h - f->height;
    f->view->scroll = scroll;
}

static bool at_whole(const flame_frame& f)
{
    double tol = 1e-15 + 1e-9 * extent_width(f);
    return std::fabs(f.view->start - f.lo) <= tol && std::fabs(f.view->end - f.hi) <= tol;
}

static void keys(qel_context* ctx, flame_frame* f, int32_t* selected, int32_t* zoomed)
{
    bool shift = qel_modifiers(ctx) & QEL_MOD_SHIFT;
    double vw = f->view->end - f->view->start;
    const int32_t arrows[4] = {QEL_KEY_LEFT, QEL_KEY_RIGHT, QEL_KEY_UP, QEL_KEY_DOWN};
    for (int32_t key : arrows) {
        if (!qel_key_take(ctx, key)) continue;
        if (shift && (key == QEL_KEY_LEFT || key == QEL_KEY_RIGHT)) {
            pan(f, (key == QEL_KEY_LEFT ? -0.1 : 0.1) * vw);
            continue;
        }
        if (shift) continue;
        int32_t next = arrow_target(*f, key, *selected);
        if (next < 0 || next == *selected) continue;
        *selected = next;
        reveal(f, next);
    }
    float centre = f->left + f->width / 2;
    if (qel_key_take(ctx, QEL_KEY_EQUAL)) zoom_about(f, vw * 0.8, centre);
    if (qel_key_take(ctx, QEL_KEY_MINUS)) zoom_about(f, vw * 1.25, centre);
    bool enter = qel_key_take(ctx, QEL_KEY_ENTER);
    if ((qel_key_take(ctx, QEL_KEY_SPACE) || enter) && *selected >= 0) {
        zoom_to_span(f, *selected);
        *zoomed = *selected;
    }
    bool home = qel_key_take(ctx, QEL_KEY_HOME);
    if (!(qel_modifiers(ctx) & QEL_MOD_CTRL) && qel_key_pressed(ctx, KEY_F)) home = qel_key_take(ctx, KEY_F);
    if (home) animate_whole(f);
    if (qel_key_take(ctx, QEL_KEY_ESCAPE)) {
        if (!at_whole(*f) || f->s->animating) animate_whole(f);
        else *selected = -1;
    }
}

// --- Bars ---

static qel_color chart_color(qel_context* ctx, uint32_t key)
{
    return qel_theme_color(ctx, QEL_COLOR_CHART1 + (int32_t)(key % 6));
}

// The fill and label colours of the 18 hue and shade pairs, plain and hovered, worked out once a
// frame on first use: mixing in OKLab per bar would cost more than the bars.
struct flame_colors {
    qel_color fill[2][18], ink[2][18];
    uint8_t ready[2][18];
    qel_color merged;  // runs of thin spans
};

static void span_colors(qel_context* ctx, flame_colors* colors, const qel_flame_span& sp, bool hovered, flame_bar* bar)
{
    uint32_t key = sp.color_key ? sp.color_key : qel_hash_str(sp.name ? sp.name : "", STATE_KEY);
    uint32_t shade = (key / 6) % 3, h = hovered ? 1 : 0, pair = key % 6 + 6 * shade;
    if (!colors->ready[h][pair]) {
        static const float light[3] = {0.30f, 0.38f, 0.46f}, dark[3] = {0.34f, 0.42f, 0.50f};
        float mix = (qel_dark_mode(ctx) ? dark : light)[shade] + (hovered ? 0.12f : 0);
        qel_color chart = chart_color(ctx, key);
        qel_color fill = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_SURFACE), chart, mix);
        qel_color text = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_TEXT), chart, 0.3f);
        colors->fill[h][pair] = fill;
        colors->ink[h][pair] = qel_color_contrast(text, fill, 4.5f);
        colors->ready[h][pair] = 1;
    }
    bar->fill = colors->fill[h][pair];
    bar->ink = colors->ink[h][pair];
}

static flame_bar span_bar(qel_context* ctx, const flame_frame& f, flame_colors* colors, int32_t i, bool hovered,
                          double px)
{
    const qel_flame_span& sp = f.spans[i];
    flame_bar bar = {sp.start, sp.end, (uint32_t)i, (uint8_t)(hovered ? 1 : 0), 0, 0, nullptr, 0};
    span_colors(ctx, colors, sp, hovered, &bar);
    if (sp.name && *sp.name && (sp.end - sp.start) * px >= 40) {
        bar.label = sp.name;
        bar.label_length = (int32_t)std::strlen(sp.name);
    }
    return bar;
}

struct bar_list {
    flame_bar* items;
    int32_t count, capacity;
};

static void bar_add(qel_context* ctx, bar_list* list, const flame_bar& bar)
{
    if (list->count == list->capacity) {
        int32_t capacity = list->capacity ? list->capacity * 2 : 256;
        auto* items = (flame_bar*)qel_arena_alloc(ctx, sizeof(flame_bar) * (size_t)capacity);
        if (list->count) std::memcpy(items, list->items, sizeof(flame_bar) * (size_t)list->count);
        list->items = items, list->capacity = capacity;
    }
    list->items[list->count++] = bar;
}

static void row_bars(qel_context* ctx, const flame_frame& f, flame_colors* colors, int32_t row, int32_t hovered,
                     bar_list* list)
{
    const qel_flame_view& v = *f.view;
    double px = f.width / (v.end - v.start);
    int32_t a, b;
    row_range(f, row, &a, &b);
    for (int32_t i = first_ending_after(f.spans, a, b, v.start); i < b && f.spans[i].start < v.end;) {
        if ((f.spans[i].end - f.spans[i].start) * px >= 1) {
            bar_add(ctx, list, span_bar(ctx, f, colors, i, i == hovered, px));
            i++;
            continue;
        }
        double run_start = f.spans[i].start, run_end = f.spans[i].end;
        for (i++; i < b && f.spans[i].start < v.end && (f.spans[i].end - f.spans[i].start) * px < 1 &&
                  (f.spans[i].start - run_end) * px <= 1;
             i++)
            run_end = std::max(run_end, f.spans[i].end);
        if ((run_end - run_start) * px >= 1)
            bar_add(ctx, list, {run_start, run_end, (uint32_t)row, 2, colors->merged, 0, nullptr, 0});
    }
}

static void build_bars(qel_context* ctx, const flame_frame& f, int32_t hovered, int32_t selected, flame_payload* p)
{
    bar_list list = {};
    float scroll = f.view->scroll;
    double last = f.rows - 1;
    auto from = (int64_t)std::clamp(std::floor((double)scroll / f.row_h), 0.0, last);
    auto to = (int64_t)std::clamp(std::floor((double)(f.height + scroll) / f.row_h), -1.0, last);
    flame_colors colors = {};
    colors.merged = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_SURFACE), qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED),
                                  qel_dark_mode(ctx) ? 0.32f : 0.26f);
    for (int64_t row = from; row <= to; row++) row_bars(ctx, f, &colors, (int32_t)row, hovered, &list);
    p->bars = list.items, p->bar_count = list.count;
    if (selected < 0) return;
    const qel_flame_span& sp = f.spans[selected];
    bool visible = sp.depth >= from && sp.depth <= to && sp.end >= f.view->start && sp.start <= f.view->end;
    if (!visible) return;
    p->selected = span_bar(ctx, f, &colors, selected, selected == hovered, f.width / (f.view->end - f.view->start));
    p->has_selected = 1;
}

// --- Tooltip ---

static const char* duration_text(qel_context* ctx, double d)
{
    const char* unit = "s";
    double v = d;
    if (d < 1e-6) v = d * 1e9, unit = "ns";
    else if (d < 0.001) v = d * 1e6, unit = "µs";
    else if (d < 1) v = d * 1000, unit = "ms";
    int decimals = v < 10 ? 2 : v < 100 ? 1 : 0;
    char text[64];
    std::snprintf(text, sizeof text, "%.*f %s", decimals, v, unit);
    return qel_arena_strdup(ctx, text, -1);
}

static const char* tooltip_text(qel_context* ctx, const flame_frame& f, int32_t i)
{
    const qel_flame_span& sp = f.spans[i];
    int32_t parent = parent_of(f, i);
    double d = sp.end - sp.start, ref = f.view->end - f.view->start;
    const char* ref_name = "view";
    if (parent >= 0) {
        const qel_flame_span& ps = f.spans[parent];
        ref = ps.end - ps.start;
        ref_name = ps.name && *ps.name ? ps.name : "parent";
    }
    double share = ref > 0 ? d / ref * 100 : 0;
    int decimals = ref > 0 && share >= 10 ? 0 : 1;
    const char* name = sp.name && *sp.name ? sp.name : "Unnamed span";
    const char* dur = duration_text(ctx, d);
    int n = std::snprintf(nullptr, 0, "%s\n%s · %.*f%% of %s", name, dur, decimals, share, ref_name);
    auto* text = (char*)qel_arena_alloc(ctx, (size_t)n + 1);
    std::snprintf(text, (size_t)n + 1, "%s\n%s · %.*f%% of %s", name, dur, decimals, share, ref_name);
    return text;
}

static void tooltip(qel_context* ctx, const flame_frame& f, uint32_t id, int32_t hovered, qel_rect r)
{
    if (hovered < 0 || ctx->input.down[0] || ctx->interaction.active) return;
    uint32_t anchor = qel_hash_bytes(&hovered, sizeof hovered, id ^ TIP_KEY);
    float y = (float)f.spans[hovered].depth * f.row_h + PLOT_TOP - f.view->scroll;
    qel_node_floating(ctx, anchor, qel_mouse_pos(ctx).x - r.x, y, 2, f.row_h - 1);
    qel_tooltip_for(ctx, anchor, tooltip_text(ctx, f, hovered));
}

// --- Drawing ---

static double nice_step(double x)
{
    double p = std::pow(10.0, std::floor(std::log10(x))), r = x / p;
    return r <= 1 ? p : r <= 2 ? 2 * p : r <= 5 ? 5 * p : 10 * p;
}

struct axis_unit {
    const char* name;
    double divisor;
    int decimals;
};

static axis_unit unit_of(double step)
{
    axis_unit u = step >= 0.1    ? axis_unit{"s", 1, 0}
                  : step >= 1e-5 ? axis_unit{"ms", 1e-3, 0}
                  : step >= 1e-8 ? axis_unit{"µs", 1e-6, 0}
                                 : axis_unit{"ns", 1e-9, 0};
    u.decimals = (int)std::clamp(std::ceil(-std::log10(step / u.divisor) - 1e-9), 0.0, 3.0);
    return u;
}

static int axis_label(char* out, size_t size, double value, const axis_unit& u)
{
    double v = value / u.divisor;
    int n = std::snprintf(out, size, "%.*f %s", u.decimals, std::fabs(v) < 1e-9 ? 0.0 : v, u.name);
    return std::clamp(n, 0, (int)size - 1);
}

static void draw_axis(qel_context* ctx, const flame_payload* p, qel_rect r, float left, float width, float top,
                      float height)
{
    const qel_theme* th = qel_theme_block_get(ctx);
    float xs = th->text_xs * th->ui_scale;
    double vw = p->view.end - p->view.start, s = width / vw;
    double step = nice_step(vw * 72 / width);
    axis_unit u = unit_of(step);
    char text[64];
    for (int tries = 0; tries < 4 && std::isfinite(step) && step > 0; tries++) {
        int n = axis_label(text, sizeof text, p->view.end - p->lo, u);
        if (step * s >= qel_text_width(ctx, QEL_FONT_BODY, xs, text, n, 0) + 16) break;
        step = nice_step(2.02 * step);
        u = unit_of(step);
    }
    if (!std::isfinite(step) || !(step > 0)) return;
    double first = std::ceil((p->view.start - p->lo) / step - 1e-9),
           last = std::floor((p->view.end - p->lo) / step + 1e-9);
    qel_color grid = qel_theme_color(ctx, QEL_COLOR_BORDER_SUBTLE);
    if (qel_dark_mode(ctx)) grid = qel_color_alpha(grid, 0.8f);
    qel_color tick = qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG), ink = qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED);
    float line_h = qel_line_height(ctx, QEL_FONT_BODY, xs);
    for (int k = 0; k < 400 && first + k <= last; k++) {
        double i = first + k;
        float x = (float)std::floor((p->lo + i * step - p->view.start) * s) + left;
        qel_rect g = {x, top, 1, height}, t = {x, r.y + AXIS_H - 5, 1, 5};
        qel_draw_rect(ctx, &g, nullptr, grid);
        qel_draw_rect(ctx, &t, nullptr, tick);
        int n = axis_label(text, sizeof text, i * step, u);
        float w = qel_text_width(ctx, QEL_FONT_BODY, xs, text, n, 0);
        if (x + 4 + w <= r.x + r.w - 6)
            qel_draw_text(ctx, QEL_FONT_BODY, xs, x + 4, r.y + (20 - line_h) / 2, ink, text, n, 0);
    }
}

static void draw_bar(qel_context* ctx, const flame_payload* p, const flame_bar& bar, float left, float width, float top,
                     bool selected)
{
    double s = width / (p->view.end - p->view.start);
    float x0 = (float)((bar.start - p->view.start) * s) + left, x1 = (float)((bar.end - p->view.start) * s) + left;
    if (selected && x1 - x0 < 3) {
        float c = (x0 + x1) / 2;
        x0 = c - 1.5f, x1 = c + 1.5f;
    }
    float visible_left = std::max(x0, left - 1), visible_right = std::min(x1, left + width + 1);
    x0 = std::max(x0, left - 4), x1 = std::min(x1, left + width + 4);
    float w = x1 - x0;
    if (w >= 2) w -= 1;
    if (w <= 0) return;
    float depth = bar.kind == 2 ? (float)bar.index : (float)p->spans[bar.index].depth;
    qel_rect rect = {x0, depth * p->row_h + top - p->scroll, w, p->row_h - 1};
    float radius = std::min(3.0f, std::min(rect.w, rect.h) / 2);
    const float radii[4] = {radius, radius, radius, radius};
    if (selected) qel_draw_rect_bordered(ctx, &rect, radii, bar.fill, qel_theme_color(ctx, QEL_COLOR_ACCENT), 1.5f);
    else qel_draw_rect(ctx, &rect, radii, bar.fill);
    float room = visible_right - visible_left - 12;
    if (!bar.label || room < 28) return;
    const qel_theme* th = qel_theme_block_get(ctx);
    float xs = th->text_xs * th->ui_scale;
    float y = rect.y + (rect.h - qel_line_height(ctx, QEL_FONT_BODY, xs)) / 2;
    qel_draw_text_ellipsis(ctx, QEL_FONT_BODY, xs, visible_left + 6, y, room, bar.ink, bar.label, bar.label_length, 0);
}

static void draw_thumb(qel_context* ctx, const flame_payload* p, qel_rect r, float top, float height)
{
    if (!(p->content_h > height) || !(height > 8)) return;
    float h = std::max(16.0f, height * height / p->content_h);
    float y = top + (height - h) * std::clamp(p->scroll / (p->content_h - height), 0.0f, 1.0f);
    qel_rect thumb = {r.x + r.w - 5 - 3, y, 3, h};
    const float radii[4] = {1.5f, 1.5f, 1.5f, 1.5f};
    qel_draw_rect(ctx, &thumb, radii, qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), 0.4f));
}

static void flame_draw(qel_context* ctx, const qel_node* node, void* user)
{
    auto* p = (const flame_payload*)user;
    const qel_theme* th = qel_theme_block_get(ctx);
    qel_rect r = node->rect;
    float left = r.x + INSET, width = std::max(1.0f, r.w - 2 * INSET), top = r.y + PLOT_TOP;
    float height = std::max(1.0f, r.h - AXIS_H - 1 - INSET);
    float corner = std::max(0.0f, th->radius_medium - 1);
    const float strip_radii[4] = {corner, corner, 0, 0};
    qel_rect strip = {r.x, r.y, r.w, AXIS_H}, rule = {r.x, r.y + AXIS_H, r.w, 1};
    qel_draw_rect(ctx, &strip, strip_radii, qel_theme_color(ctx, QEL_COLOR_SUBTLE));
    qel_draw_rect(ctx, &rule, nullptr, qel_theme_color(ctx, QEL_COLOR_BORDER));
    qel_rect plot = {left, top, width, height};
    if (!p->empty) {
        draw_axis(ctx, p, r, left, width, top, height);
        qel_draw_push_clip(ctx, &plot);
        for (int32_t i = 0; i < p->bar_count; i++) draw_bar(ctx, p, p->bars[i], left, width, top, false);
        if (p->has_selected) draw_bar(ctx, p, p->selected, left, width, top, true);
        qel_draw_pop_clip(ctx);
    } else {
        float size = th->text_small * th->ui_scale;
        const char* text = "No spans";
        float w = qel_text_width(ctx, QEL_FONT_BODY, size, text, -1, 0);
        qel_draw_text(ctx, QEL_FONT_BODY, size, left + (width - w) / 2,
                      top + (height - qel_line_height(ctx, QEL_FONT_BODY, size)) / 2,
                      qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), text, -1, 0);
    }
    draw_thumb(ctx, p, r, top, height);
    if (p->focus > 0.01f) {
        float radius = th->radius_medium;
        const float radii[4] = {radius, radius, radius, radius};
        qel_draw_rect_bordered(ctx, &r, radii, 0, qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_FOCUS_RING), p->focus),
                               2);
    }
    qel_hit_rect_add_clipped(ctx, p->hit_id, r);
    double vw = p->view.end - p->view.start;
    p->s->layout = {
        left, width, top, p->scroll, r, p->view.start, p->view.end, p->row_h, (uint8_t)(!p->empty && width / vw > 0)};
}

// --- Widget ---

static flame_state* state_of(qel_context* ctx, uint32_t id)
{
    auto* s = qel_state_record_of<flame_state>(ctx, id ^ STATE_KEY, "flame_state");
    if (!s->initialised) {
        s->initialised = 1;
        s->own_selected = -1;
    }
    return s;
}

static void read_geometry(qel_context* ctx, uint32_t id, flame_frame* f)
{
    if (!qel_id_seen(ctx, id)) {
        f->left = INSET, f->top = PLOT_TOP, f->width = 600, f->height = 200;
        return;
    }
    qel_rect r = qel_id_rect(ctx, id);
    f->left = r.x + INSET, f->top = r.y + PLOT_TOP;
    f->width = std::max(1.0f, r.w - 2 * INSET);
    f->height = std::max(1.0f, r.h - AXIS_H - 1 - INSET);
}

static void reset_when_empty(flame_frame* f, int32_t* selected)
{
    f->s->pointer = 0;
    f->s->animating = 0;
    *selected = -1;
}

static void run_input(qel_context* ctx, flame_frame* f, uint32_t id, const qel_interaction& it, int32_t* selected,
                      qel_flame_result* res)
{
    if (view_invalid(*f->view)) {
        place(*f, f->lo, extent_width(*f));
        f->s->animating = 0;
    }
    take_wheel(ctx, f, id ^ HIT_KEY);
    pointer(ctx, f, it, selected, &res->zoomed);
    if (qel_focused_id(ctx) == id && !qel_text_edit_active(ctx)) keys(ctx, f, selected, &res->zoomed);
    step_animation(ctx, f);
    clamp_view(f);
    qel_vec2 m = qel_mouse_pos(ctx);
    qel_rect r = qel_id_rect(ctx, id);
    if (it.hovered && f->s->pointer != 2 && qel_rect_contains(r, m)) res->hovered = hit_test(*f, m.x, m.y);
}

static int32_t open_node(qel_context* ctx, uint32_t id, const qel_flame_options& o, const flame_frame& f)
{
    qel_size width = o.width.kind == 0 && o.width.value == 0 ? qel_size{QEL_SIZE_GROW, 1} : o.width;
    float height = o.height > 0 && std::isfinite(o.height)
                       ? o.height
                       : std::min(360.0f, (float)std::max(3, f.rows) * f.row_h + 33);
    int32_t node = qel_node_sized_pushed(ctx, id, width, {QEL_SIZE_FIXED, height});
    qel_style style = {};
    style.width = width;
    style.height = {QEL_SIZE_FIXED, height};
    style.fill = qel_color_token(QEL_COLOR_SURFACE);
    style.border = qel_color_token(QEL_COLOR_BORDER);
    style.border_width = 1;
    style.radius = qel_theme_block_get(ctx)->radius_medium;
    style.clip = 1;
    qel_node_apply_style(ctx, node, &style);
    qel_node_mark_interactive(ctx, node, QEL_INTERACT_FOCUSABLE);
    return node;
}

qel_flame_result qel_flame_graph(qel_context* ctx, const char* label, const qel_flame_span* spans, int32_t count,
                                 qel_flame_view* view, int32_t* selected, const qel_flame_options* options)
{
    const qel_flame_options none = {};
    const qel_flame_options& o = options ? *options : none;
    uint32_t id = qel_id(ctx, label ? label : "flame");
    flame_state* s = state_of(ctx, id);
    flame_frame f = {};
    f.spans = spans;
    f.count = spans && count > 0 ? count : 0;
    f.row_h = o.row_height > 0 && std::isfinite(o.row_height) ? o.row_height : 20;
    f.min_span = o.min_span > 0 && std::isfinite(o.min_span) ? o.min_span : 1e-8;
    f.view = view ? view : &s->own_view;
    f.s = s;
    if (!selected) selected = &s->own_selected;
    if (*selected < -1 || *selected >= f.count) *selected = -1;
    const qel_flame_view entry_view = *f.view;
    const int32_t entry_selected = *selected;
    find_extent(&f);
    read_geometry(ctx, id, &f);
    qel_flame_result res = {0, 0, -1, -1};
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE | QEL_INTERACT_HOLD_OUTSIDE);
    if (f.empty) reset_when_empty(&f, selected);
    else run_input(ctx, &f, id, it, selected, &res);
    s->focus = qel_anim_exp(ctx, &s->focus, it.focused && it.focus_visible ? 1.0f : 0.0f, 0.14f);
    int32_t node = open_node(ctx, id, o, f);
    auto* p = (flame_payload*)qel_arena_alloc(ctx, sizeof(flame_payload));
    *p = {};
    p->s = s, p->spans = spans, p->hit_id = id ^ HIT_KEY, p->view = *f.view, p->lo = f.lo, p->row_h = f.row_h;
    p->scroll = f.view->scroll, p->content_h = (float)f.rows * f.row_h, p->empty = f.empty, p->focus = s->focus;
    if (!f.empty) {
        build_bars(ctx, f, res.hovered, *selected, p);
        tooltip(ctx, f, id, res.hovered, qel_id_rect(ctx, id));
    }
    qel_node_at(ctx, node)->draw = flame_draw;
    qel_node_at(ctx, node)->draw_user = p;
    qel_node_pop(ctx);
    qel_set_last_item(ctx, id);
    res.selection_changed = *selected != entry_selected;
    res.view_changed = !same(f.view->start, entry_view.start) || !same(f.view->end, entry_view.end) ||
                       !same(f.view->scroll, entry_view.scroll);
    return res;
}

qel_rect qel_flame_span_rect(qel_context* ctx, uint32_t id, const qel_flame_span* span)
{
    auto* s = (const flame_state*)qel_state_find(ctx, id ^ STATE_KEY, sizeof(flame_state), false);
    if (!span || !s || !qel_id_seen(ctx, id) || !s->layout.valid || span->depth < 0) return {};
    const flame_layout& l = s->layout;
    double vw = l.end - l.start;
    if (!(vw > 0)) return {};
    double scale = l.width / vw;
    float x = (float)((span->start - l.start) * scale) + l.left;
    float w = (float)((span->end - l.start) * scale) + l.left - x;
    float y = (float)span->depth * l.row_h + l.top - l.scroll, h = l.row_h - 1;
    const qel_rect& c = l.clip;
    if (x + w < c.x || x > c.x + c.w || y + h < c.y || y > c.y + c.h) return {};
    return {x, y, w, h};
}
