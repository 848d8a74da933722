// The ruler dial (dragging with fling and overscroll, wheel and keys, the sprung ruler drawn with
// faded ticks and labels under a fixed mark) and the range histogram (bars over the basic range
// slider, coloured inside the range). Value texts go through number_text's safe formats.
#include "qel/ruler_histogram.h"

#include <cmath>

#include "core/core.h"
#include "text/number_text.h"
#include "widgets/pickers/picker_nodes.h"
#include "qel/anim.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/arena.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/sliders.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/text_units.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/marks.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

static const uint32_t RULER_KEY = 0x2017u;
static const float RULER_HEIGHT = 52.0f;
static const float OVERSCROLL_STEPS = 3.0f, FLING_STEPS = 60.0f, FLING_SECONDS = 0.18f;
static const float MIN_SPACING = 2.0f, MAX_SPACING = 1000.0f;
static const float BOUND_LIMIT = 1e30f;

// Bounds the caller gave, made usable: numbers, ordered, max above min.
static void usable_bounds(float* min, float* max)
{
    if (!std::isfinite(*min)) *min = 0;
    *min = fminf(fmaxf(*min, -BOUND_LIMIT), BOUND_LIMIT);
    if (!std::isfinite(*max) || *max <= *min) *max = *min + 1;
}

// --- Ruler dial ---

struct ruler_state {
    float spring[2];  // position (the value shown) and its velocity
    uint8_t initialised;
    qel_picker_drag drag;  // horizontal; its fling in value units per second
    float highlight;
};

struct ruler_setup {
    float min, max, step, spacing;
    int32_t major_every;
    const char* format;
};

struct ruler_payload {
    double position, min, max, step;
    float spacing;
    int32_t major_every;
    const char* format;
    qel_color minor, major, label, mark;
    float label_size, focus;
};

static ruler_setup setup_of(const qel_ruler_options* o, float min, float max)
{
    ruler_setup r = {min, max, o->step, o->pixels_per_step, o->major_every < 1 ? 10 : o->major_every, o->format};
    usable_bounds(&r.min, &r.max);
    if (!(r.step > 0) || !std::isfinite(r.step)) r.step = 1;
    if (!(r.spacing > 0) || !std::isfinite(r.spacing)) r.spacing = 9;
    r.spacing = fminf(fmaxf(r.spacing, MIN_SPACING), MAX_SPACING);
    return r;
}

static float clamp_value(const ruler_setup& r, float v)
{
    return fminf(fmaxf(v, r.min), r.max);
}

static float snap(const ruler_setup& r, float v)
{
    return clamp_value(r, (float)(r.min + std::round(((double)v - r.min) / r.step) * r.step));
}

static void ruler_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const ruler_payload*)user;
    const qel_rect& r = node->rect;
    float cx = r.x + r.w * 0.5f, half_w = r.w * 0.5f;
    double half = half_w / p->spacing + 2;
    qel_draw_push_clip(ctx, &r);
    double first = std::floor((p->position - p->min) / p->step - half);
    // Counted, not stepped: far from min a step of k may fall below its precision. Only the ticks
    // in view are counted, however wide the ruler is laid out.
    double x0 = cx + (first - (p->position - p->min) / p->step) * p->spacing;
    qel_mark_run ticks = qel_marks_in_view(ctx, x0, x0 + (2 * half + 3) * p->spacing, p->spacing, false);
    first += std::round((ticks.first - x0) / p->spacing);
    for (int32_t i = 0; i < ticks.count; i++) {
        double k = first + i;
        double v = p->min + k * p->step;
        if (v < p->min - 0.01 * p->step || v > p->max + 0.01 * p->step) continue;
        float x = cx + (float)((v - p->position) / p->step) * p->spacing;
        float t = 1 - fminf(fabsf(x - cx) / half_w, 1.0f);
        float a = t * t * (3 - 2 * t);
        double major = std::fmod(k, (double)p->major_every);
        if (major == 0) {
            qel_rect tick = {x - 0.5f, r.y + 8, 1, 18};
            const float radii[4] = {0.5f, 0.5f, 0.5f, 0.5f};
            qel_draw_rect(ctx, &tick, radii, qel_color_alpha(p->major, a));
            const char* text = qel_format_number(ctx, p->format, v);
            float line = qel_line_height(ctx, QEL_FONT_BODY, p->label_size);
            qel_draw_text_aligned(ctx, QEL_FONT_BODY, p->label_size, x, r.y + 32 + line * 0.5f, 1,
                                  qel_color_alpha(p->label, a), text, 0);
        } else {
            bool half_major = p->major_every >= 2 && std::fmod(k, (double)(p->major_every / 2)) == 0;
            qel_rect tick = {x - 0.5f, r.y + 8, 1, half_major ? 12.0f : 8.0f};
            qel_draw_rect(ctx, &tick, nullptr, qel_color_alpha(p->minor, a));
        }
    }
    qel_draw_pop_clip(ctx);
    qel_rect bar = {cx - 1, r.y + 2, 2, 28};
    const float bar_radii[4] = {1, 1, 1, 1};
    qel_draw_rect(ctx, &bar, bar_radii, p->mark);
    const qel_vec2 triangle[3] = {{cx - 5, r.y}, {cx + 5, r.y}, {cx, r.y + 6}};
    qel_draw_convex_polygon(ctx, triangle, 3, p->mark);
    qel_draw_focus_ring(ctx, &r, node->radii, p->focus);
}

static void ruler_drag(qel_context* ctx, ruler_state* s, const ruler_setup& r, float* value)
{
    float v = qel_picker_drag_move(ctx, &s->drag, qel_mouse_pos(ctx).x, r.step / r.spacing);
    v = fminf(fmaxf(v, r.min - OVERSCROLL_STEPS * r.step), r.max + OVERSCROLL_STEPS * r.step);
    s->spring[0] = v;
    s->spring[1] = 0;
    *value = snap(r, v);
}

// Wheel notches (the horizontal ones when given) move at least one step each way.
static void ruler_wheel(qel_context* ctx, const ruler_setup& r, float* value)
{
    float w = ctx->input.wheel_x != 0 ? ctx->input.wheel_x : ctx->input.wheel_y;
    if (w == 0 || !std::isfinite(w)) return;
    float d = -w * r.step;
    if (fabsf(d) < r.step) d = d < 0 ? -r.step : r.step;
    *value = snap(r, clamp_value(r, *value + d));
    ctx->input.wheel_x = ctx->input.wheel_y = 0;
}

static void ruler_keys(qel_context* ctx, const ruler_setup& r, float* value)
{
    float amount = (qel_modifiers(ctx) & QEL_MOD_SHIFT) ? (float)r.major_every * r.step : r.step;
    if (qel_key_pressed(ctx, QEL_KEY_RIGHT) || qel_key_pressed(ctx, QEL_KEY_UP)) *value = clamp_value(r, *value + amount);
    if (qel_key_pressed(ctx, QEL_KEY_LEFT) || qel_key_pressed(ctx, QEL_KEY_DOWN)) *value = clamp_value(r, *value - amount);
}

static void ruler_layout(qel_context* ctx, const char* label, uint32_t id, uint32_t ruler, const qel_ruler_options* o,
                         const ruler_setup& r, const ruler_state* s, float value, float focus, bool hot)
{
    int32_t column = qel_node_open(ctx, id);
    qel_node* n = qel_node_at(ctx, column);
    n->gap = 6;
    n->align = QEL_ALIGN_CENTER;
    n->width = o->width.kind ? o->width : qel_size{QEL_SIZE_GROW, 1};
    qel_node_push(ctx, column);
    const qel_theme* t = &ctx->theme.current;
    int32_t visible = qel_label_visible_len(label);
    if (visible > 0)
        qel_text_leaf(ctx, label, visible, QEL_FONT_MEDIUM, qel_text_small_scaled(ctx),
                      qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), false, 1.3f);
    int32_t row = qel_node_open(ctx, 0);
    n = qel_node_at(ctx, row);
    n->direction = QEL_DIR_ROW;
    n->gap = 4;
    n->align = QEL_ALIGN_END;
    qel_node_push(ctx, row);
    qel_text_leaf(ctx, qel_format_number(ctx, r.format, value), -1, QEL_FONT_HEADING, qel_scaled(ctx, 30),
                  qel_theme_color(ctx, QEL_COLOR_TEXT), false, 1.1f);
    if (o->unit)
        qel_text_leaf(ctx, o->unit, -1, QEL_FONT_BODY, qel_text_body_scaled(ctx),
                      qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), false, 1.5f);
    qel_node_pop(ctx);

    int32_t leaf = qel_node_sized(ctx, ruler, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, RULER_HEIGHT});
    qel_node_at(ctx, leaf)->align_self = QEL_ALIGN_STRETCH;
    qel_node_mark_interactive(ctx, leaf, QEL_INTERACT_FOCUSABLE);
    if (hot) qel_set_cursor(ctx, QEL_CURSOR_RESIZE_EW);
    ruler_payload p = {s->spring[0],
                       r.min,
                       r.max,
                       r.step,
                       r.spacing,
                       r.major_every,
                       r.format,
                       qel_field_border_color(ctx, s->highlight),
                       qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY),
                       qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED),
                       qel_picker_accent(ctx, QEL_COLOR_TEXT),
                       qel_scaled(ctx, t->text_xs),
                       focus};
    qel_node_draw_with(ctx, leaf, ruler_draw, &p, sizeof p, false);
    qel_node_pop(ctx);
}

int32_t qel_ruler_dial(qel_context* ctx, const char* label, float* value, float min, float max,
                       const qel_ruler_options* options)
{
    if (!value) return 0;
    const qel_ruler_options none = {};
    const qel_ruler_options* o = options ? options : &none;
    ruler_setup r = setup_of(o, min, max);
    float entry = *value;
    if (!std::isfinite(*value)) *value = r.min;
    uint32_t id = qel_id(ctx, label), ruler = id ^ RULER_KEY;
    auto* s = qel_state_record_of<ruler_state>(ctx, id, "ruler_state");
    if (!s->initialised) {
        s->spring[0] = *value;
        s->initialised = 1;
    }
    qel_interaction it = qel_interact(ctx, ruler, QEL_INTERACT_FOCUSABLE | QEL_INTERACT_HOLD_OUTSIDE);
    if (it.active && qel_mouse_pressed(ctx, 0)) qel_picker_drag_press(ctx, &s->drag, qel_mouse_pos(ctx).x, s->spring[0]);
    if (s->drag.dragging && it.active && qel_mouse_down(ctx, 0)) {
        ruler_drag(ctx, s, r, value);
    } else if (s->drag.dragging) {
        s->drag.dragging = 0;
        float f = fminf(fmaxf(s->drag.fling, -FLING_STEPS * r.step), FLING_STEPS * r.step);
        *value = snap(r, s->spring[0] + FLING_SECONDS * f);
    }
    if (it.hovered && !s->drag.dragging) ruler_wheel(ctx, r, value);
    if (it.focused) ruler_keys(ctx, r, value);
    if (!s->drag.dragging) qel_anim_spring(ctx, s->spring, *value, 0.4f, 0);
    qel_anim_exp(ctx, &s->highlight, it.hovered || s->drag.dragging ? 1.0f : 0.0f, 0.14f);

    float focus = it.focused && it.focus_visible ? 1.0f : 0.0f;
    ruler_layout(ctx, label, id, ruler, o, r, s, *value, focus, it.hovered || s->drag.dragging);
    qel_set_last_item(ctx, ruler);
    bool same = *value == entry || (std::isnan(*value) && std::isnan(entry));
    return same ? 0 : 1;
}

// --- Range histogram ---

static const uint32_t HISTOGRAM_KEY = 0x4156u, HISTOGRAM_COLUMN_KEY = 0x4157u;
static const float THUMB_REACH = 9.0f;

struct histogram_payload {
    const float* bins;
    int32_t count;
    float low, high, largest;
    qel_color inside, outside;
};

static void histogram_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const histogram_payload*)user;
    if (p->count < 1 || !(p->largest > 0)) return;
    const qel_rect& r = node->rect;
    float pitch = (r.w - 2 * THUMB_REACH) / (float)p->count;
    const float radii[4] = {2, 2, 0, 0};
    for (int32_t i = 0; i < p->count; i++) {
        float bin = std::isfinite(p->bins[i]) ? fmaxf(p->bins[i], 0.0f) : 0.0f;
        float h = fmaxf(fminf(bin / p->largest, 1.0f) * (r.h - 2), 1.5f);
        qel_rect bar = {r.x + THUMB_REACH + (float)i * pitch + 1, r.y + r.h - h, fmaxf(pitch - 2, 1.0f), h};
        float centre = ((float)i + 0.5f) / (float)p->count;
        qel_draw_rect(ctx, &bar, radii, p->low <= centre && centre <= p->high ? p->inside : p->outside);
    }
}

static float fraction_of(float v, float min, float max)
{
    float f = (v - min) / (max - min);
    return std::isfinite(f) ? f : 0.0f;
}

int32_t qel_range_histogram(qel_context* ctx, const char* label, const float* bins, int32_t count, float* low,
                            float* high, float min, float max, const qel_range_histogram_options* options)
{
    if (!low || !high) return 0;
    const qel_range_histogram_options none = {};
    const qel_range_histogram_options* o = options ? options : &none;
    usable_bounds(&min, &max);
    if (!bins || count < 0) count = 0;
    uint32_t id = qel_id(ctx, label);
    auto* shown = (float*)qel_state_get(ctx, id ^ HISTOGRAM_KEY, 2 * sizeof(float));

    int32_t node = qel_node_sized(ctx, id ^ HISTOGRAM_COLUMN_KEY, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node_at(ctx, node)->gap = 8;
    qel_node_push(ctx, node);
    qel_style header = {};
    header.width = {QEL_SIZE_GROW, 1};
    qel_row_begin(ctx, &header);
    qel_text_leaf(ctx, label, qel_label_visible_len(label), QEL_FONT_MEDIUM, qel_text_body_scaled(ctx),
                  qel_theme_color(ctx, QEL_COLOR_TEXT), false, 1.35f);
    qel_spacer(ctx);
    const char* range = qel_arena_sprintf(ctx, "%s \xE2\x80\x93 %s", qel_format_number(ctx, o->format, *low),
                                          qel_format_number(ctx, o->format, *high));
    qel_text_leaf(ctx, range, -1, QEL_FONT_BODY, qel_text_body_scaled(ctx),
                  qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), false, 1.35f);
    qel_container_end(ctx);

    float largest = 0;
    for (int32_t i = 0; i < count; i++)
        if (std::isfinite(bins[i])) largest = fmaxf(largest, bins[i]);
    float lo = fraction_of(*low, min, max), hi = fraction_of(*high, min, max);
    if (shown[0] == 0 && shown[1] == 0) {
        shown[0] = lo;
        shown[1] = hi;
    }
    qel_anim_exp(ctx, &shown[0], lo, 0.1f);
    qel_anim_exp(ctx, &shown[1], hi, 0.1f);

    float height = o->height > 0 && std::isfinite(o->height) ? fminf(o->height, 1e5f) : 56.0f;
    int32_t leaf = qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, height});
    qel_node_at(ctx, leaf)->align_self = QEL_ALIGN_STRETCH;
    auto* copy = (float*)qel_arena_alloc(ctx, (size_t)count * sizeof(float));
    for (int32_t i = 0; i < count; i++) copy[i] = bins[i];
    histogram_payload p = {copy, count, shown[0], shown[1], largest, qel_picker_accent(ctx, QEL_COLOR_TEXT),
                           qel_theme_color(ctx, QEL_COLOR_TRACK)};
    qel_node_draw_with(ctx, leaf, histogram_draw, &p, sizeof p, false);

    qel_range_slider_hide_next_label(ctx);
    bool changed = qel_range_slider(ctx, label, low, high, min, max);
    qel_node* track = qel_node_at(ctx, ctx->tree.count - 1);
    track->translate_y = -6;
    qel_node_pop(ctx);
    return changed ? 1 : 0;
}
