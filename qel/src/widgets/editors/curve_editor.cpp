// The curve editor: key and handle drags, keys, double-click adds and removal judged against last
// frame's plot, the key panel, and the plot drawn from a frame copy of the keys. Ranges are
// settled so no mapping divides by zero; a drag holds still while the pointer is outside the
// window, where the core's position is no place on the plot.
#include "kit/state_records.h"
#include "qel/curve_editor.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/core.h"
#include "kit/widget_nodes.h"
#include "text/number_text.h"
#include "widgets/editors/editor_panel.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/chart_values.h"
#include "qel/color.h"
#include "qel/drag_number.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/menu.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/theme.h"
#include "qel/tooltip.h"
#include "qel/widget_feel.h"

static const uint32_t PLOT_KEY = 0x9107c0u, READOUT_KEY = 0x7199u, STATE_KEY = 0x5c0eu, KEY_SEED = 0xc0e7u;
static const uint32_t HOVER_KEY = 0x40u, IN_HANDLE_KEY = 0x4a11u, OUT_HANDLE_KEY = 0x4a12u;
static const float PLOT_HEIGHT = 220, KEY_NODE = 22, HANDLE_NODE = 18, HANDLE_LENGTH = 18;
static const float PLOT_GROW = 6, ON_CURVE = 10, COMPACT_BELOW = 440, NARROW_BELOW = 320;
static const int32_t MAX_GRID_LINES = 64;
static const char* const MODE_LABELS[] = {"Smooth", "Free", "Linear", "Step"};

struct curve_editor_state {
    int32_t selected;
    float grab_x, grab_y;
    uint8_t initialised;
};

// One axis: its range, the decimals its values need, and its grid step with that step's decimals.
struct curve_axis {
    float min, max;
    int32_t decimals;
    float step;
    int32_t step_decimals;
    const char* format;  // the caller's, when it takes one double
};

// What a frame works with: both axes on last frame's plot rectangle.
struct curve_view {
    curve_axis x, y;
    qel_rect node, plot;
    float label_size, line_height;
};

// --- Ranges and layout ---

static void settle_range(float* min, float* max)
{
    if (!std::isfinite(*min) || !std::isfinite(*max)) *min = 0, *max = 1;
    if (!(*max > *min)) *max = *min + 1;
    // From 2^24 on, minimum + 1 is the minimum again; an overflowing width is no width either.
    float width = *max - *min;
    if (!(width > 0) || !std::isfinite(width)) *min = 0, *max = 1;
}

static int32_t range_decimals(float width)
{
    double d = std::ceil(-std::log10((double)width / 100) - 0.0001);
    return (int32_t)std::clamp(d, 0.0, 6.0);
}

static int32_t step_decimals(float step)
{
    double s = step;
    int32_t d = 0;
    while (d < 6 && std::fabs(s - std::round(s)) > 0.001 * std::fmax(std::fabs(s), 1.0)) s *= 10, d++;
    return d;
}

static curve_axis axis_of(float min, float max, const char* format)
{
    curve_axis a = {min, max, 0, 0, 0, format && qel_format_takes_one_double(format) ? format : nullptr};
    settle_range(&a.min, &a.max);
    a.decimals = range_decimals(a.max - a.min);
    return a;
}

static void axis_step(curve_axis* a, int32_t ticks)
{
    float lower, upper;
    qel_chart_nice_range(a->min, a->max, ticks, &lower, &upper, &a->step);
    a->step_decimals = step_decimals(a->step);
}

// The first multiple of step at or above the axis minimum, and how many multiples lie within the
// range: the tick counter's half-step allowance past the end is taken off the end it is given.
static int32_t axis_ticks(const curve_axis* a, float step, float* first)
{
    *first = std::ceil(a->min / step - 0.0001f) * step;
    int32_t n = qel_chart_tick_count(*first, a->max - 0.4999f * step, step);
    return std::min(n, MAX_GRID_LINES);
}

static const char* qel_curve_format_value(qel_context* ctx, const char* format, int32_t decimals, double value)
{
    if (std::fabs(value) < 0.5 * std::pow(10.0, -decimals)) value = 0;
    return format ? qel_format_number(ctx, format, value) : qel_arena_sprintf(ctx, "%.*f", (int)decimals, value);
}

static const char* tick_label(qel_context* ctx, const curve_axis* a, float value)
{
    return qel_curve_format_value(ctx, a->format, a->step_decimals, value);
}

static curve_view qel_curve_plot_layout(qel_context* ctx, qel_rect node, const qel_curve_editor_opts* o)
{
    curve_view v = {};
    v.x = axis_of(o->x_min, o->x_max ? o->x_max : 1, o->x_format);
    v.y = axis_of(o->y_min, o->y_max ? o->y_max : 1, o->y_format);
    v.node = node;
    v.label_size = ctx->theme.current.text_xs + 0.5f;
    v.line_height = qel_line_height(ctx, QEL_FONT_BODY, v.label_size);
    float ah = node.h - 12 - (v.line_height + 14);
    axis_step(&v.y, (int32_t)std::clamp(std::trunc(ah / 44), 2.0f, 8.0f));
    float column = 20, first;
    int32_t ticks = axis_ticks(&v.y, v.y.step, &first);
    for (int32_t i = 0; i < ticks; i++) {
        const char* text = tick_label(ctx, &v.y, first + (float)i * v.y.step);
        column = std::fmax(column, qel_text_width(ctx, QEL_FONT_BODY, v.label_size, text, -1, 0) + 20);
    }
    float aw = node.w - column - 14;
    axis_step(&v.x, (int32_t)std::clamp(std::trunc(aw / 84), 2.0f, 10.0f));
    v.plot = {node.x + column, node.y + 12, std::fmax(1.0f, aw), std::fmax(1.0f, ah)};
    return v;
}

// --- Mapping ---

static float screen_x(const curve_view* v, float x)
{
    return v->plot.x + (x - v->x.min) / (v->x.max - v->x.min) * v->plot.w;
}

static float screen_y(const curve_view* v, float y)
{
    return v->plot.y + v->plot.h - (y - v->y.min) / (v->y.max - v->y.min) * v->plot.h;
}

static qel_vec2 screen_of(const curve_view* v, float x, float y)
{
    return {screen_x(v, x), screen_y(v, y)};
}

static float curve_x(const curve_view* v, float sx)
{
    return v->x.min + (sx - v->plot.x) / v->plot.w * (v->x.max - v->x.min);
}

static float curve_y(const curve_view* v, float sy)
{
    return v->y.min + (v->plot.y + v->plot.h - sy) / v->plot.h * (v->y.max - v->y.min);
}

static float snapped(float value, float step)
{
    float half = step / 2;
    return half > 0 ? std::round(value / half) * half : value;
}

// --- Handles ---

static bool has_handles(uint8_t mode)
{
    return mode != QEL_CURVE_LINEAR && mode != QEL_CURVE_STEP;
}

// Where handle `which` (0 incoming, 1 outgoing) of key i is, as an offset from the key in curve
// units; false when the key shows no such handle.
static bool handle_offset(const qel_curve_key* k, int32_t n, int32_t i, int which, float* dx, float* dy)
{
    if (!has_handles(k[i].mode)) return false;
    int32_t first = which ? i : i - 1;
    if (first < 0 || first + 1 >= n || !has_handles(k[first].mode)) return false;
    if (!(k[first + 1].x > k[first].x)) return false;
    float ohx, ohy, ihx, ihy;
    qel_curve_segment_handles(k, n, first, &ohx, &ohy, &ihx, &ihy);
    *dx = which ? ohx : ihx;
    *dy = which ? ohy : ihy;
    return true;
}

// The handle's drawn place: at least 18 px from its key, pointing the handle's way (sideways
// when it has no length on screen).
static bool qel_curve_handle_screen_pos(const curve_view* v, const qel_curve_key* k, int32_t n, int32_t i, int which,
                                        qel_vec2* out)
{
    float dx, dy;
    if (!handle_offset(k, n, i, which, &dx, &dy)) return false;
    qel_vec2 key = screen_of(v, k[i].x, k[i].y), h = screen_of(v, k[i].x + dx, k[i].y + dy);
    float ex = h.x - key.x, ey = h.y - key.y, length = std::hypot(ex, ey);
    if (!(length >= 0.01f)) {
        *out = {key.x + (which ? HANDLE_LENGTH : -HANDLE_LENGTH), key.y};
    } else if (length < HANDLE_LENGTH) {
        *out = {key.x + ex / length * HANDLE_LENGTH, key.y + ey / length * HANDLE_LENGTH};
    } else {
        *out = h;
    }
    return true;
}

// --- One frame's input ---

struct curve_frame {
    uint32_t id;
    const uint32_t* ids;  // of the key items
    qel_curve_key* keys;
    int32_t n;
    int32_t* count;
    int32_t capacity;
    const curve_view* view;
    curve_editor_state* state;
    int32_t selected;
    int32_t remove;  // key asked to be removed, -1
    bool snap;
    qel_curve_editor_result result;
};

// The item ids of key indices 0 .. n (one more for a key added this frame), hashed once a frame:
// they follow the index, not the key, so adding or removing a key leaves them right.
static const uint32_t* key_ids(qel_context* ctx, uint32_t id, int32_t n)
{
    auto* ids = (uint32_t*)qel_arena_alloc(ctx, (size_t)(n + 1) * sizeof(uint32_t));
    for (int32_t i = 0; i <= n; i++) ids[i] = qel_hash_bytes(&i, 4, id ^ KEY_SEED);
    return ids;
}

static uint32_t handle_id(uint32_t id, int which)
{
    return id ^ (which ? OUT_HANDLE_KEY : IN_HANDLE_KEY);
}

static bool move_key(curve_frame* f, int32_t i, float x, float y)
{
    const curve_view* v = f->view;
    if (!qel_curve_move_key(f->keys, f->n, i, v->x.min, v->x.max, v->y.min, v->y.max, x, y)) return false;
    f->result.changed = 1;
    return true;
}

static int32_t active_key(const curve_frame* f, uint32_t active)
{
    for (int32_t i = 0; active && i < f->n; i++)
        if (f->ids[i] == active) return i;
    return -1;
}

static void drag_handle(qel_context* ctx, curve_frame* f, int which, qel_vec2 p)
{
    const curve_view* v = f->view;
    qel_curve_key& k = f->keys[f->selected];
    float dx = curve_x(v, p.x + f->state->grab_x) - k.x, dy = curve_y(v, p.y + f->state->grab_y) - k.y;
    float* hx = which ? &k.out_dx : &k.in_dx;
    float* hy = which ? &k.out_dy : &k.in_dy;
    dx = which ? std::fmax(dx, 0.0f) : std::fmin(dx, 0.0f);
    if (dx != *hx || dy != *hy) f->result.changed = 1;
    *hx = dx;
    *hy = dy;
    qel_set_cursor(ctx, QEL_CURSOR_MOVE);
}

static void drag(qel_context* ctx, curve_frame* f)
{
    if (!f->keys || !qel_mouse_down(ctx, 0) || qel_mouse_pressed(ctx, 0) || !qel_mouse_in_window(ctx)) return;
    uint32_t active = ctx->interaction.active;
    qel_vec2 p = qel_mouse_pos(ctx);
    const curve_view* v = f->view;
    int32_t i = active_key(f, active);
    if (i >= 0) {
        float x = curve_x(v, p.x + f->state->grab_x), y = curve_y(v, p.y + f->state->grab_y);
        if (f->snap) x = snapped(x, v->x.step), y = snapped(y, v->y.step);
        move_key(f, i, x, y);
        f->selected = i;
        return;
    }
    if (f->selected < 0) return;
    for (int which = 0; which < 2; which++)
        if (active == handle_id(f->id, which)) drag_handle(ctx, f, which, p);
}

static void key_keys(qel_context* ctx, curve_frame* f, int32_t i)
{
    const curve_view* v = f->view;
    float fraction = qel_modifiers(ctx) & QEL_MOD_SHIFT ? 0.001f : 0.01f;
    float sx = (v->x.max - v->x.min) * fraction, sy = (v->y.max - v->y.min) * fraction;
    const qel_curve_key k = f->keys[i];
    if (qel_key_take(ctx, QEL_KEY_LEFT)) move_key(f, i, k.x - sx, k.y);
    if (qel_key_take(ctx, QEL_KEY_RIGHT)) move_key(f, i, k.x + sx, k.y);
    if (qel_key_take(ctx, QEL_KEY_DOWN)) move_key(f, i, k.x, k.y - sy);
    if (qel_key_take(ctx, QEL_KEY_UP)) move_key(f, i, k.x, k.y + sy);
}

static const char* point_text(qel_context* ctx, const qel_curve_editor_opts* o, const curve_view* v, float x, float y)
{
    return qel_arena_sprintf(ctx, "%s %s, %s %s", o->x_name ? o->x_name : "X",
                             qel_curve_format_value(ctx, v->x.format, v->x.decimals, x), o->y_name ? o->y_name : "Y",
                             qel_curve_format_value(ctx, v->y.format, v->y.decimals, y));
}

// Presses, cursors, keys and tooltips of the keys; true when one of them took the press.
static bool key_items(qel_context* ctx, curve_frame* f, const qel_curve_editor_opts* o)
{
    bool pressed = false;
    qel_vec2 p = qel_mouse_pos(ctx);
    for (int32_t i = 0; i < f->n; i++) {
        uint32_t id = f->ids[i];
        qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE | QEL_INTERACT_HOLD_OUTSIDE);
        if (it.hovered && it.active && qel_mouse_pressed(ctx, 0)) {
            qel_vec2 at = screen_of(f->view, f->keys[i].x, f->keys[i].y);
            f->selected = i;
            f->state->grab_x = at.x - p.x;
            f->state->grab_y = at.y - p.y;
            pressed = true;
        }
        if (it.active) qel_set_cursor(ctx, QEL_CURSOR_MOVE);
        else if (it.hovered) qel_set_cursor(ctx, QEL_CURSOR_HAND);
        if (it.focus_visible) key_keys(ctx, f, i);
        if (it.focused && (qel_key_take(ctx, QEL_KEY_DELETE) || qel_key_take(ctx, QEL_KEY_BACKSPACE))) f->remove = i;
        if (it.hovered && !ctx->interaction.active)
            qel_tooltip_for(ctx, id, point_text(ctx, o, f->view, f->keys[i].x, f->keys[i].y));
    }
    return pressed;
}

static bool handle_items(qel_context* ctx, curve_frame* f)
{
    bool pressed = false;
    int32_t i = f->selected;
    for (int which = 0; which < 2 && i >= 0; which++) {
        float dx, dy;
        if (!handle_offset(f->keys, f->n, i, which, &dx, &dy)) continue;
        qel_interaction it = qel_interact(ctx, handle_id(f->id, which), QEL_INTERACT_HOLD_OUTSIDE);
        if (it.hovered && it.active && qel_mouse_pressed(ctx, 0)) {
            if (f->keys[i].mode != QEL_CURVE_FREE) {
                qel_curve_key_make_free(f->keys, f->n, i);
                f->result.changed = 1;
            }
            // Held where the handle truly is, so a short handle drawn longer does not jump.
            qel_vec2 p = qel_mouse_pos(ctx), at = screen_of(f->view, f->keys[i].x + dx, f->keys[i].y + dy);
            f->state->grab_x = at.x - p.x;
            f->state->grab_y = at.y - p.y;
            pressed = true;
        }
        if (it.active) qel_set_cursor(ctx, QEL_CURSOR_MOVE);
        else if (it.hovered) qel_set_cursor(ctx, QEL_CURSOR_HAND);
    }
    return pressed;
}

static qel_rect grown(qel_rect r, float by)
{
    return {r.x - by, r.y - by, r.w + 2 * by, r.h + 2 * by};
}

static void add_key(qel_context* ctx, curve_frame* f, qel_vec2 p)
{
    const curve_view* v = f->view;
    float x = std::clamp(curve_x(v, p.x), v->x.min, v->x.max), y = curve_y(v, p.y);
    float on = f->n > 0 ? qel_curve_evaluate(f->keys, f->n, x) : 0;
    if (f->n > 0 && std::fabs(screen_y(v, on) - p.y) <= ON_CURVE) {
        y = on;
    } else if (f->snap) {
        x = snapped(x, v->x.step);
        y = snapped(y, v->y.step);
    }
    x = std::clamp(x, v->x.min, v->x.max);
    y = std::clamp(y, v->y.min, v->y.max);
    int32_t at = 0;
    while (at < f->n && f->keys[at].x <= x) at++;
    uint8_t before = at > 0 ? f->keys[at - 1].mode : (uint8_t)QEL_CURVE_SMOOTH;
    uint8_t mode = before == QEL_CURVE_LINEAR || before == QEL_CURVE_STEP ? before : (uint8_t)QEL_CURVE_SMOOTH;
    memmove(&f->keys[at + 1], &f->keys[at], (size_t)(f->n - at) * sizeof(qel_curve_key));
    f->keys[at] = {x, y, 0, 0, 0, 0, mode};
    *f->count = ++f->n;
    f->selected = at;
    qel_set_focus(ctx, f->ids[at], false);
    f->result.changed = 1;
    f->result.added = at;
}

static void plot_item(qel_context* ctx, curve_frame* f, bool taken)
{
    uint32_t plot = f->id ^ PLOT_KEY;
    qel_interaction it = qel_interact(ctx, plot, 0);
    if (taken || !it.hovered || !it.active || !qel_mouse_pressed(ctx, 0)) return;
    f->selected = -1;
    qel_vec2 p = qel_mouse_pos(ctx);
    if (it.double_clicked && qel_rect_contains(grown(f->view->plot, PLOT_GROW), p) && f->keys && f->count &&
        f->n < f->capacity)
        add_key(ctx, f, p);
}

static void hover_readout(qel_context* ctx, curve_frame* f)
{
    const curve_view* v = f->view;
    qel_vec2 p = qel_mouse_pos(ctx);
    if (qel_hovered_id(ctx) != (f->id ^ PLOT_KEY) || ctx->interaction.active || f->n < 1 || !qel_mouse_in_window(ctx))
        return;
    if (!(p.x >= v->plot.x && p.x <= v->plot.x + v->plot.w)) return;
    f->result.hovering = 1;
    f->result.hover_x = curve_x(v, p.x);
    f->result.hover_y = qel_curve_evaluate(f->keys, f->n, f->result.hover_x);
}

static void remove_key(qel_context* ctx, curve_frame* f, int32_t i)
{
    if (i < 0 || i >= f->n || f->n < 3 || !f->count) return;
    uint32_t focused = qel_focused_id(ctx);
    bool had_focus = !focused || focused == f->ids[i];
    memmove(&f->keys[i], &f->keys[i + 1], (size_t)(f->n - i - 1) * sizeof(qel_curve_key));
    *f->count = --f->n;
    f->result.removed = i;
    f->result.changed = 1;
    f->selected = std::min(i, f->n - 1);
    if (had_focus) qel_set_focus(ctx, f->ids[f->selected], false);
}

// --- Drawing ---

struct curve_paint {
    curve_view view;
    const qel_curve_key* keys;
    const float* hover;  // per key, 0..1
    int32_t n, selected, focus_ring;
    int32_t handle_active, handle_hovered;  // 0 incoming, 1 outgoing, -1
    uint8_t hovering, show_marker;
    float hover_x, hover_y, marker_x, scale;
    qel_color curve, surface, grid, border, muted, text, secondary, focus;
};

static float pixel_line(float v, float scale)
{
    return (std::floor(v * scale) + 0.5f) / scale;
}

static void grid_lines(qel_context* ctx, const curve_paint* p, const curve_axis* a, bool vertical)
{
    const curve_view* v = &p->view;
    float span = vertical ? v->plot.w : v->plot.h, step = a->step;
    float half_px = step / 2 / (a->max - a->min) * span;
    float lines = half_px >= 18 ? step / 2 : step, first;
    int32_t n = axis_ticks(a, lines, &first);
    for (int32_t i = 0; i < n; i++) {
        float value = first + (float)i * lines, whole = value / step;
        bool major = std::fabs(whole - std::round(whole)) <= 0.001f;
        qel_color c = major ? p->grid : qel_color_alpha(p->grid, 0.55f);
        if (vertical) {
            float x = pixel_line(screen_x(v, value), p->scale);
            qel_draw_line(ctx, {x, v->plot.y}, {x, v->plot.y + v->plot.h}, 1, c);
        } else {
            float y = pixel_line(screen_y(v, value), p->scale);
            qel_draw_line(ctx, {v->plot.x, y}, {v->plot.x + v->plot.w, y}, 1, c);
        }
    }
}

static void axis_labels(qel_context* ctx, const curve_paint* p)
{
    const curve_view* v = &p->view;
    float first, last = -1e30f;
    int32_t n = axis_ticks(&v->y, v->y.step, &first);
    for (int32_t i = 0; i < n; i++) {
        float value = first + (float)i * v->y.step, y = screen_y(v, value);
        if (i > 0 && std::fabs(y - last) < v->line_height + 2) continue;
        qel_draw_text_aligned(ctx, QEL_FONT_BODY, v->label_size, v->plot.x - 8, y, 2, p->muted,
                              tick_label(ctx, &v->y, value), 1);
        last = y;
    }
    float end = -1e30f, top = v->plot.y + v->plot.h + 6;
    n = axis_ticks(&v->x, v->x.step, &first);
    for (int32_t i = 0; i < n; i++) {
        float value = first + (float)i * v->x.step;
        const char* text = tick_label(ctx, &v->x, value);
        float w = qel_text_width(ctx, QEL_FONT_BODY, v->label_size, text, -1, 1);
        float x = std::fmax(v->node.x + 4, std::fmin(screen_x(v, value) - w / 2, v->node.x + v->node.w - 4 - w));
        if (x < end + 10) continue;
        qel_draw_text(ctx, QEL_FONT_BODY, v->label_size, x, top, p->muted, text, -1, 1);
        end = x + w;
    }
}

// A polyline that leaves out points within half a pixel of the last one kept: thousands of keys
// on a few hundred pixels sample far below a pixel, which would only cost vertices.
struct curve_polyline {
    qel_vec2* points;
    int32_t count;
    float least;  // squared distance, logical units
};

static void polyline_add(curve_polyline* line, qel_vec2 p)
{
    if (line->count > 0) {
        qel_vec2 q = line->points[line->count - 1];
        if ((p.x - q.x) * (p.x - q.x) + (p.y - q.y) * (p.y - q.y) < line->least) return;
    }
    line->points[line->count++] = p;
}

// A segment on screen: its four control points (Bezier) and how many points it adds after its
// start (1 for a line, 2 for a step).
struct curve_segment {
    qel_vec2 c[4];
    int32_t points;
};

static curve_segment segment_of(const curve_paint* p, int32_t i)
{
    const curve_view* v = &p->view;
    const qel_curve_key &a = p->keys[i], &b = p->keys[i + 1];
    curve_segment s = {{screen_of(v, a.x, a.y), {}, {}, screen_of(v, b.x, b.y)}, 1};
    if (a.mode == QEL_CURVE_STEP) {
        s.points = 2;
    } else if (a.mode != QEL_CURVE_LINEAR && b.x > a.x) {
        float ohx, ohy, ihx, ihy;
        qel_curve_segment_handles(p->keys, p->n, i, &ohx, &ohy, &ihx, &ihy);
        s.c[1] = screen_of(v, a.x + ohx, a.y + ohy);
        s.c[2] = screen_of(v, b.x + ihx, b.y + ihy);
        // As many samples as the control polygon's legs are long on average, 8 to 64.
        float legs = 0;
        for (int k = 0; k < 3; k++) {
            float dx = s.c[k + 1].x - s.c[k].x, dy = s.c[k + 1].y - s.c[k].y;
            legs += std::sqrt(dx * dx + dy * dy);
        }
        float mean = legs / 3;
        s.points = mean > 8 ? (int32_t)std::fmin(mean, 64.0f) : 8;
    }
    return s;
}

static void segment_add(curve_polyline* line, const curve_segment& s, uint8_t mode)
{
    if (mode == QEL_CURVE_STEP) polyline_add(line, {s.c[3].x, s.c[0].y});
    for (int32_t k = 1; k < s.points && mode != QEL_CURVE_STEP; k++) {
        float t = (float)k / (float)s.points, u = 1 - t;
        float w0 = u * u * u, w1 = 3 * u * u * t, w2 = 3 * u * t * t, w3 = t * t * t;
        polyline_add(line, {w0 * s.c[0].x + w1 * s.c[1].x + w2 * s.c[2].x + w3 * s.c[3].x,
                            w0 * s.c[0].y + w1 * s.c[1].y + w2 * s.c[2].y + w3 * s.c[3].y});
    }
    polyline_add(line, s.c[3]);
}

static void curve_line(qel_context* ctx, const curve_paint* p)
{
    const curve_view* v = &p->view;
    const qel_curve_key &first = p->keys[0], &last = p->keys[p->n - 1];
    qel_color faint = qel_color_alpha(p->curve, 0.4f);
    qel_draw_line(ctx, {v->plot.x, screen_y(v, first.y)}, screen_of(v, first.x, first.y), 1.5f, faint);
    qel_draw_line(ctx, screen_of(v, last.x, last.y), {v->plot.x + v->plot.w, screen_y(v, last.y)}, 1.5f, faint);
    auto* segments = (curve_segment*)qel_arena_alloc(ctx, (size_t)p->n * sizeof(curve_segment));
    int32_t most = 1;
    for (int32_t i = 0; i + 1 < p->n; i++) {
        segments[i] = segment_of(p, i);
        most += segments[i].points;
    }
    float half = 1.0f / p->scale;
    curve_polyline line = {(qel_vec2*)qel_arena_alloc(ctx, (size_t)most * sizeof(qel_vec2)), 0, half * half};
    polyline_add(&line, screen_of(v, first.x, first.y));
    for (int32_t i = 0; i + 1 < p->n; i++) segment_add(&line, segments[i], p->keys[i].mode);
    // The line ends on the last key, whose point may have been left out as too near.
    line.points[line.count - 1] = screen_of(v, last.x, last.y);
    qel_draw_polyline(ctx, line.points, line.count, 2, p->curve, 0);
}

static void marker_and_readout(qel_context* ctx, const curve_paint* p)
{
    const curve_view* v = &p->view;
    if (p->show_marker && p->marker_x >= v->x.min && p->marker_x <= v->x.max) {
        float x = pixel_line(screen_x(v, p->marker_x), p->scale);
        qel_rect line = {x - 0.75f, v->plot.y, 1.5f, v->plot.h};
        float radii[4] = {0.75f, 0.75f, 0.75f, 0.75f};
        qel_draw_rect(ctx, &line, radii, qel_color_alpha(p->text, 0.55f));
        if (p->n > 0) {
            qel_vec2 at = {x, screen_y(v, qel_curve_evaluate(p->keys, p->n, p->marker_x))};
            qel_draw_circle(ctx, at, 5, p->surface);
            qel_draw_circle(ctx, at, 3.5f, p->text);
        }
    }
    if (p->hovering) {
        float x = pixel_line(screen_x(v, p->hover_x), p->scale);
        qel_draw_line(ctx, {x, v->plot.y}, {x, v->plot.y + v->plot.h}, 1, p->border);
        qel_vec2 at = screen_of(v, p->hover_x, p->hover_y);
        qel_draw_circle(ctx, at, 4.5f, p->surface);
        qel_draw_circle(ctx, at, 3, p->curve);
    }
}

static void handles_draw(qel_context* ctx, const curve_paint* p)
{
    int32_t i = p->selected;
    if (i < 0) return;
    qel_vec2 key = screen_of(&p->view, p->keys[i].x, p->keys[i].y);
    for (int which = 0; which < 2; which++) {
        qel_vec2 h;
        if (!qel_curve_handle_screen_pos(&p->view, p->keys, p->n, i, which, &h)) continue;
        qel_draw_line(ctx, key, h, 1, qel_color_alpha(p->muted, 0.8f));
        qel_draw_circle(ctx, h, 4.75f, p->surface);
        qel_color centre = p->handle_active == which    ? p->curve
                           : p->handle_hovered == which ? p->text
                                                        : p->secondary;
        qel_draw_circle(ctx, h, 3.5f, centre);
    }
}

// Key discs, thousands a frame. The core shapes the first of each kind, and the others copy its
// quad moved to their own centres, found as the core finds them, so the vertices are the same;
// they go into one reservation, from which what the clip culled is given back.
struct disc_stamp {
    float radius;
    qel_color color;
    bool ready;
    qel_vertex quad[4];
};

static const int32_t RUN_KEYS = 4096;  // a bound on what one reservation takes and may give back

struct disc_run {
    uint32_t first;      // vertex
    int32_t room, used;  // discs
    float scale, transform_scale, offset_x, offset_y;  // the core's mapping, in its order
};

static void disc_shape(qel_context* ctx, disc_stamp* d, qel_vec2 at, qel_color color)
{
    uint32_t first = ctx->draw.vertex_count;
    qel_draw_circle(ctx, at, d->radius, color);
    if (d->ready || color != d->color || ctx->draw.vertex_count != first + 4) return;
    memcpy(d->quad, &ctx->draw.vertices[first], sizeof d->quad);
    d->ready = true;
}

static void disc_stamp_at(qel_context* ctx, const disc_stamp* d, disc_run* run, qel_vec2 at)
{
    float r = d->radius, w = 2 * r;
    float cx = ((at.x - r) + w * 0.5f) * run->scale * run->transform_scale + run->offset_x;
    float cy = ((at.y - r) + w * 0.5f) * run->scale * run->transform_scale + run->offset_y;
    const qel_vertex* q = d->quad;
    if (qel_draw_culled(ctx, cx + q[0].local[0], cy + q[0].local[1], cx + q[2].local[0], cy + q[2].local[1])) return;
    uint32_t b = run->first + 4 * (uint32_t)run->used++;
    qel_vertex* v = &ctx->draw.vertices[b];
    memcpy(v, q, sizeof d->quad);
    for (int k = 0; k < 4; k++) {
        v[k].pos[0] = cx + q[k].local[0];
        v[k].pos[1] = cy + q[k].local[1];
    }
    qel_draw_quad_indices(ctx, b);
}

static void disc_run_begin(qel_context* ctx, disc_run* run, int32_t discs)
{
    ctx->draw.texture = 0;
    qel_draw_reserve_whole(ctx, 4 * discs, 6 * discs, &run->first);
    run->room = discs;
    run->used = 0;
    const qel_transform* t = qel_draw_top_transform(ctx);
    run->scale = ctx->clock.scale;
    run->transform_scale = t->scale;
    run->offset_x = t->offset_x;
    run->offset_y = t->offset_y;
}

static void disc_run_end(qel_context* ctx, disc_run* run)
{
    if (run->room > run->used)
        qel_draw_take_back(ctx, run->first + 4 * (uint32_t)run->used, 6 * (uint32_t)(run->room - run->used));
    run->room = run->used = 0;
}

static void keys_draw(qel_context* ctx, const curve_paint* p)
{
    disc_stamp ring = {4.75f, p->curve, false, {}}, centre = {3, p->surface, false, {}};
    disc_run run = {};
    for (int32_t i = 0; i < p->n; i++) {
        if (i == p->selected) continue;
        qel_vec2 at = screen_of(&p->view, p->keys[i].x, p->keys[i].y);
        qel_color fill = qel_color_mix(p->surface, p->curve, 0.35f * p->hover[i]);
        if (!ring.ready || !centre.ready || fill != centre.color) {
            disc_run_end(ctx, &run);
            disc_shape(ctx, &ring, at, p->curve);
            disc_shape(ctx, &centre, at, fill);
            continue;
        }
        if (run.used == run.room) disc_run_begin(ctx, &run, 2 * std::min(p->n - i, RUN_KEYS));
        disc_stamp_at(ctx, &ring, &run, at);
        disc_stamp_at(ctx, &centre, &run, at);
    }
    disc_run_end(ctx, &run);
    if (p->selected >= 0) {
        qel_vec2 at = screen_of(&p->view, p->keys[p->selected].x, p->keys[p->selected].y);
        qel_draw_circle(ctx, at, 6.5f, p->surface);
        qel_draw_circle(ctx, at, 5, p->curve);
    }
    if (p->focus_ring >= 0) {
        // The core's ring grows 3 px around what it is given: an 18 px ring of radius 9.
        qel_vec2 at = screen_of(&p->view, p->keys[p->focus_ring].x, p->keys[p->focus_ring].y);
        qel_rect r = {at.x - 6, at.y - 6, 12, 12};
        float radii[4] = {6, 6, 6, 6};
        qel_draw_focus_ring(ctx, &r, radii, 1);
    }
}

static void qel_curve_editor_draw(qel_context* ctx, const qel_node*, void* user)
{
    const auto* p = (const curve_paint*)user;
    const curve_view* v = &p->view;
    grid_lines(ctx, p, &v->x, true);
    grid_lines(ctx, p, &v->y, false);
    qel_rect frame = grown(v->plot, 0.5f);
    qel_draw_rect_bordered(ctx, &frame, nullptr, 0, p->border, 1);
    axis_labels(ctx, p);
    qel_draw_push_clip(ctx, &v->plot);
    if (p->n > 0) curve_line(ctx, p);
    marker_and_readout(ctx, p);
    qel_draw_pop_clip(ctx);
    handles_draw(ctx, p);
    keys_draw(ctx, p);
}

// --- Nodes ---

static const char* field_format(qel_context* ctx, const curve_axis* a)
{
    return a->format ? a->format : qel_arena_sprintf(ctx, "%%.%df", (int)a->decimals);
}

// One number field of the selected key, which moves it within the ranges and its neighbours.
static void coordinate_field(qel_context* ctx, curve_frame* f, const curve_axis* a, const char* name, const char* key,
                             bool grow, bool is_y)
{
    qel_curve_key& k = f->keys[f->selected];
    float value = is_y ? k.y : k.x;
    qel_drag_number_opts field = {};
    field.step = (a->max - a->min) / 100;
    field.format = field_format(ctx, a);
    field.width = qel_editor_size(grow, 132);
    const char* label = qel_arena_sprintf(ctx, "%s##%s", name, key);
    if (qel_drag_number(ctx, label, &value, a->min, a->max, &field))
        move_key(f, f->selected, is_y ? k.x : value, is_y ? value : k.y);
}

static void remove_button(qel_context* ctx, curve_frame* f)
{
    if (qel_editor_remove_button(ctx, "Remove key", f->n < 3)) f->remove = f->selected;
}

static void key_panel(qel_context* ctx, curve_frame* f, const qel_curve_editor_opts* o, bool compact, bool narrow)
{
    qel_curve_key& k = f->keys[f->selected];
    int32_t mode = k.mode < 4 ? k.mode : (uint8_t)QEL_CURVE_SMOOTH;
    qel_select_options select = {};
    select.width = qel_editor_size(compact, 128);
    if (compact) qel_editor_panel_row(ctx, QEL_DIR_ROW);
    if (qel_select(ctx, "##mode", MODE_LABELS, 4, &mode, &select)) {
        if (mode == QEL_CURVE_FREE && k.mode != QEL_CURVE_FREE) qel_curve_key_make_free(f->keys, f->n, f->selected);
        k.mode = (uint8_t)mode;
        f->result.changed = 1;
    }
    if (compact) {
        remove_button(ctx, f);
        qel_container_end(ctx);
        if (!narrow) qel_editor_panel_row(ctx, QEL_DIR_ROW);
    }
    coordinate_field(ctx, f, &f->view->x, o->x_name ? o->x_name : "X", "cv-x", compact, false);
    coordinate_field(ctx, f, &f->view->y, o->y_name ? o->y_name : "Y", "cv-y", compact, true);
    if (compact) {
        if (!narrow) qel_container_end(ctx);
        return;
    }
    qel_spacer(ctx);
    remove_button(ctx, f);
}

static void panel(qel_context* ctx, curve_frame* f, const qel_curve_editor_opts* o, float last_width)
{
    bool compact = last_width > 0 && last_width <= COMPACT_BELOW, narrow = compact && last_width < NARROW_BELOW;
    qel_style s = {};
    s.width = {QEL_SIZE_GROW, 1};
    s.padding_x = 12;
    s.padding_y = 10;
    s.gap = 8;
    s.min_h = compact ? (narrow ? 144.0f : 100.0f) : 56.0f;
    s.align = compact ? QEL_ALIGN_STRETCH : QEL_ALIGN_CENTER;
    if (compact) qel_column_begin(ctx, &s);
    else qel_row_begin(ctx, &s);
    if (f->keys && f->selected >= 0) {
        key_panel(ctx, f, o, compact, narrow);
    } else {
        const char* hint = f->n < f->capacity ? "Double-click the plot to add a key, or select one to edit it."
                                              : "Select a key to edit it.";
        qel_text_leaf_scaled(ctx, hint, QEL_FONT_BODY, ctx->theme.current.text_small,
                             qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), 1.4f);
    }
    qel_container_end(ctx);
}

// The invisible hit areas over the plot: every key, the selected key's handles, the read-out's
// tooltip anchor. Offsets are from the plot node's corner.
static void hit_nodes(qel_context* ctx, const curve_frame* f, const qel_curve_editor_opts* o)
{
    const curve_view* v = f->view;
    for (int32_t i = 0; i < f->n; i++) {
        qel_vec2 at = screen_of(v, f->keys[i].x, f->keys[i].y);
        int32_t node = qel_node_floating(ctx, f->ids[i], at.x - v->node.x - KEY_NODE / 2,
                                         at.y - v->node.y - KEY_NODE / 2, KEY_NODE, KEY_NODE);
        qel_node_mark_interactive(ctx, node, QEL_INTERACT_FOCUSABLE);
    }
    for (int which = 0; which < 2 && f->selected >= 0 && f->result.added < 0; which++) {
        qel_vec2 h;
        if (!qel_curve_handle_screen_pos(v, f->keys, f->n, f->selected, which, &h)) continue;
        int32_t node = qel_node_floating(ctx, handle_id(f->id, which), h.x - v->node.x - HANDLE_NODE / 2,
                                         h.y - v->node.y - HANDLE_NODE / 2, HANDLE_NODE, HANDLE_NODE);
        qel_node_mark_interactive(ctx, node, 0);
    }
    if (f->result.hovering) {
        qel_vec2 at = screen_of(v, f->result.hover_x, f->result.hover_y);
        uint32_t readout = f->id ^ READOUT_KEY;
        qel_node_floating(ctx, readout, at.x - v->node.x - 1, at.y - v->node.y - 1, 2, 2);
        qel_tooltip_for(ctx, readout, point_text(ctx, o, v, f->result.hover_x, f->result.hover_y));
    }
}

// Each key's hover amount, eased toward hovered; a key at rest keeps no state.
static float* hover_amounts(qel_context* ctx, const curve_frame* f)
{
    auto* amounts = (float*)qel_arena_alloc(ctx, (size_t)std::max(f->n, 1) * sizeof(float));
    uint32_t hovered = qel_hovered_id(ctx);
    for (int32_t i = 0; i < f->n; i++) {
        uint32_t id = f->ids[i];
        bool over = hovered == id;
        auto* amount = (float*)qel_state_find(ctx, id ^ HOVER_KEY, sizeof(float), over);
        amounts[i] = amount ? qel_anim_exp(ctx, amount, over ? 1.0f : 0.0f, 0.14f) : 0.0f;
    }
    return amounts;
}

static int32_t focus_ring_key(qel_context* ctx, const curve_frame* f)
{
    if (!ctx->interaction.focus_visible) return -1;
    for (int32_t i = 0; i < f->n; i++)
        if (f->ids[i] == ctx->interaction.focused) return i;
    return -1;
}

static void paint(qel_context* ctx, int32_t plot_node, const curve_frame* f, const qel_curve_editor_opts* o)
{
    curve_paint p = {};
    p.view = *f->view;
    auto* keys = (qel_curve_key*)qel_arena_alloc(ctx, (size_t)std::max(f->n, 1) * sizeof(qel_curve_key));
    if (f->n > 0) memcpy(keys, f->keys, (size_t)f->n * sizeof(qel_curve_key));
    p.keys = keys;
    p.hover = hover_amounts(ctx, f);
    p.n = f->n;
    p.selected = f->selected;
    p.focus_ring = focus_ring_key(ctx, f);
    p.handle_active = p.handle_hovered = -1;
    for (int which = 0; which < 2; which++) {
        if (ctx->interaction.active == handle_id(f->id, which)) p.handle_active = which;
        if (qel_hovered_id(ctx) == handle_id(f->id, which)) p.handle_hovered = which;
    }
    p.hovering = f->result.hovering;
    p.hover_x = f->result.hover_x;
    p.hover_y = f->result.hover_y;
    p.show_marker = o->show_marker;
    p.marker_x = o->marker_x;
    p.scale = qel_ctx_scale(ctx);
    bool accent = qel_theme_get_accent(ctx) != QEL_ACCENT_NEUTRAL;
    p.curve = qel_theme_color(ctx, accent ? QEL_COLOR_ACCENT : QEL_COLOR_TEXT);
    p.surface = qel_theme_color(ctx, QEL_COLOR_SURFACE);
    p.grid = qel_theme_color(ctx, QEL_COLOR_BORDER_SUBTLE);
    p.border = qel_theme_color(ctx, QEL_COLOR_BORDER);
    p.muted = qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED);
    p.text = qel_theme_color(ctx, QEL_COLOR_TEXT);
    p.secondary = qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY);
    qel_node_draw_with(ctx, plot_node, qel_curve_editor_draw, &p, sizeof p, false);
}

qel_curve_editor_result qel_curve_editor(qel_context* ctx, const char* label, qel_curve_key* keys, int32_t* count,
                                         int32_t capacity, const qel_curve_editor_opts* options)
{
    const qel_curve_editor_opts none = {};
    const qel_curve_editor_opts* o = options ? options : &none;
    uint32_t id = qel_id(ctx, label), plot = id ^ PLOT_KEY;
    auto* s = qel_state_record_of<curve_editor_state>(ctx, id ^ STATE_KEY, "curve_editor_state");
    if (!s->initialised) {
        s->selected = -1;
        s->initialised = 1;
    }
    curve_view view = qel_curve_plot_layout(ctx, qel_id_rect(ctx, plot), o);
    curve_frame f = {};
    f.id = id;
    f.keys = keys;
    f.n = keys && count ? std::max(*count, 0) : 0;
    f.ids = key_ids(ctx, id, f.n);
    f.count = count;
    f.capacity = capacity;
    f.view = &view;
    f.state = s;
    f.selected = o->selected ? *o->selected : s->selected;
    if (f.selected < -1 || f.selected >= f.n) f.selected = -1;
    f.remove = -1;
    f.snap = o->snap || (qel_modifiers(ctx) & QEL_MOD_SHIFT);
    f.result = {0, -1, -1, -1, 0, 0, 0};

    drag(ctx, &f);
    bool taken = key_items(ctx, &f, o);
    taken |= handle_items(ctx, &f);
    plot_item(ctx, &f, taken);
    hover_readout(ctx, &f);

    qel_rect last = qel_id_rect(ctx, id);
    int32_t outer = qel_node_sized(ctx, id, o->width.kind ? o->width : qel_size{QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node* n = qel_node_at(ctx, outer);
    n->fill = qel_theme_color(ctx, QEL_COLOR_SURFACE);
    n->border = qel_theme_color(ctx, QEL_COLOR_BORDER);
    n->border_width = 1;
    qel_node_round(n, ctx->theme.current.radius_medium);
    qel_node_push(ctx, outer);
    float height = o->plot_height > 0 ? std::fmin(o->plot_height, 1e5f) : PLOT_HEIGHT;
    int32_t plot_node = qel_node_sized(ctx, plot, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, height});
    qel_node_at(ctx, plot_node)->direction = QEL_DIR_STACK;
    qel_node_mark_interactive(ctx, plot_node, 0);
    int32_t divider = qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, 1});
    qel_node_at(ctx, divider)->fill = qel_theme_color(ctx, QEL_COLOR_BORDER_SUBTLE);
    qel_push_id(ctx, label);
    panel(ctx, &f, o, last.w);
    qel_pop_id(ctx);
    qel_node_pop(ctx);

    remove_key(ctx, &f, f.remove);
    qel_node_push(ctx, plot_node);
    hit_nodes(ctx, &f, o);
    qel_node_pop(ctx);
    paint(ctx, plot_node, &f, o);

    if (o->selected) *o->selected = f.selected;
    else s->selected = f.selected;
    f.result.selected = f.selected;
    qel_set_last_item(ctx, id);
    return f.result;
}
