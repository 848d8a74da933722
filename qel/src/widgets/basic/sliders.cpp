// Sliders, range sliders and ratings: the pointer and key handling of the track, the springs of
// thumbs, rubber and stars, and their drawing. The label row is shared by both sliders; clickable
// looks and focus rings are widget_feel's and the draw primitives'.
#include "qel/sliders.h"

#include <cmath>
#include <cstdio>

#include "core/core.h"
#include "text/number_text.h"
#include "qel/anim.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/id.h"
#include "qel/state.h"
#include "qel/text_units.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

static const uint32_t SLIDER_KEY = 81, RANGE_KEY = 82, HIDDEN_LABEL_ID = 0x41D3E1u;
static const float THUMB_RADIUS = 9, TRACK_HEIGHT = 22;
static const float RUBBER_MAX = 22, RUBBER_REACH = 70;
static const float EASE_SECONDS = 0.14f;
static const int32_t MAX_STARS = 16;

// Both sliders' state opens with the flag the drawing refreshes from its node.
struct slider_state {
    uint8_t mirrored;
    float position[2];
    float rubber[2];
    float hover, focus, press;
    uint8_t dragging, initialised;
};

struct range_state {
    uint8_t mirrored;
    uint32_t which;  // 0 low, 1 high
    float low[2], high[2];
    float press;
    uint8_t initialised;
};

static float fraction(float value, float min, float max)
{
    return qel_unit_clamp((value - min) / (max - min));
}

// The track's usable span of last frame and where the pointer lies on it (mirrored in a
// right-to-left layout); false while the track has no width yet.
struct track_span {
    float left, right, t;
    float past;  // units beyond the nearer end, signed toward it; 0 inside
};

static bool pointer_on_track(qel_context* ctx, uint32_t id, bool mirrored, track_span* out)
{
    qel_rect r = qel_id_rect(ctx, id);
    if (!(r.w > 2 * THUMB_RADIUS)) return false;
    float x = qel_mouse_pos(ctx).x;
    if (mirrored) x = 2 * r.x + r.w - x;
    out->left = r.x + THUMB_RADIUS;
    out->right = r.x + r.w - THUMB_RADIUS;
    out->t = (x - out->left) / (out->right - out->left);
    out->past = x < out->left ? x - out->left : x > out->right ? x - out->right : 0.0f;
    return true;
}

static int32_t track_node(qel_context* ctx, uint32_t id, const qel_slider_record& record)
{
    int32_t index = qel_node_sized(ctx, id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, TRACK_HEIGHT});
    qel_node_mark_interactive(ctx, index, QEL_INTERACT_FOCUSABLE);
    qel_node_at(ctx, index)->align_self = QEL_ALIGN_STRETCH;
    qel_node_draw_with(ctx, index, qel_slider_draw, &record, sizeof record, false);
    return index;
}

static void column_begin(qel_context* ctx, uint32_t id, qel_size width, bool disabled)
{
    int32_t index = qel_node_open(ctx, id);
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_COLUMN;
    n->gap = 6;
    n->width = width.kind == QEL_SIZE_FIT ? qel_size{QEL_SIZE_GROW, 1} : width;
    if (disabled) n->opacity = 0.45f;
    qel_node_push(ctx, index);
}

void qel_slider_label_row(qel_context* ctx, const char* label, const char* value_text)
{
    float size = qel_text_body_scaled(ctx);
    qel_style s = {};
    s.width = {QEL_SIZE_GROW, 1};
    qel_row_begin(ctx, &s);
    int32_t visible = qel_label_visible_len(label);
    if (visible > 0) qel_node_text(ctx, label, visible, QEL_FONT_BODY, size, qel_color_token(QEL_COLOR_TEXT), false);
    qel_spacer(ctx);
    if (value_text) {
        int32_t v = qel_node_text(ctx, value_text, -1, QEL_FONT_BODY, size, qel_color_token(QEL_COLOR_TEXT_SECONDARY),
                                  false);
        qel_node* n = qel_node_at(ctx, v);
        n->line_height = 1.3f;
        n->flags |= QEL_NODE_TABULAR;
    }
    qel_container_end(ctx);
}

// --- Slider ---

// The fraction the keys ask for this frame, or -1 when none was pressed.
static float key_fraction(qel_context* ctx, float t, float step_fraction, bool mirrored)
{
    float step = step_fraction * (qel_modifiers(ctx) & QEL_MOD_SHIFT ? 10.0f : 1.0f);
    bool left = qel_key_pressed(ctx, QEL_KEY_LEFT), right = qel_key_pressed(ctx, QEL_KEY_RIGHT);
    bool down = qel_key_pressed(ctx, QEL_KEY_DOWN) || (mirrored ? right : left);
    bool up = qel_key_pressed(ctx, QEL_KEY_UP) || (mirrored ? left : right);
    float next = t;
    if (down) next -= step;
    if (up) next += step;
    if (qel_key_pressed(ctx, QEL_KEY_HOME)) next = 0;
    if (qel_key_pressed(ctx, QEL_KEY_END)) next = 1;
    return down || up || qel_key_pressed(ctx, QEL_KEY_HOME) || qel_key_pressed(ctx, QEL_KEY_END) ? qel_unit_clamp(next) : -1;
}

// Drags the thumb; returns the pointer's fraction, or -1 when not dragging. Sets *jump on the
// press that lands away from the thumb.
static float drag_fraction(qel_context* ctx, slider_state* s, uint32_t id, const qel_interaction& it, bool* jump)
{
    track_span span;
    if (!it.active || !qel_mouse_down(ctx, 0) || !pointer_on_track(ctx, id, s->mirrored, &span)) {
        s->dragging = 0;
        return -1;
    }
    if (!s->dragging) {
        s->dragging = 1;
        *jump = fabsf(span.t - s->position[0]) > 0.02f;
    }
    if (span.past != 0) {
        s->rubber[0] = copysignf(RUBBER_MAX * (1 - expf(-fabsf(span.past) / RUBBER_REACH)), span.past);
        s->rubber[1] = 0;
    }
    return qel_unit_clamp(span.t);
}

static float stepped(float t, float min, float max, float step)
{
    float value = min + t * (max - min);
    if (step > 0) value = min + step * roundf((value - min) / step);
    return fminf(fmaxf(value, min), max);
}

bool qel_slider(qel_context* ctx, const char* label, float* value, float min, float max,
                const qel_slider_opts* options)
{
    const qel_slider_opts none = {};
    const qel_slider_opts* o = options ? options : &none;
    if (!(max > min)) max = min + 1;
    uint32_t state_id = qel_id(ctx, label ? label : "slider"), id = state_id ^ SLIDER_KEY;
    bool disabled = qel_item_disabled(ctx, o->disabled);
    qel_interaction it = qel_interact_item(ctx, id, QEL_INTERACT_FOCUSABLE | QEL_INTERACT_HOLD_OUTSIDE, disabled);
    float own = min;
    float* v = value ? value : &own;
    float before = *v;

    auto* s = qel_state_record_of<slider_state>(ctx, state_id, "slider_state");
    if (!s->initialised) {
        s->position[0] = fraction(*v, min, max);
        s->initialised = 1;
    }
    bool jump = false;
    float t = drag_fraction(ctx, s, id, it, &jump);
    if (t < 0 && it.focused) {
        float step_fraction = o->step > 0 ? o->step / (max - min) : 0.01f;
        t = key_fraction(ctx, fraction(*v, min, max), step_fraction, s->mirrored);
    }
    if (t >= 0) *v = stepped(t, min, max, o->step);

    float target = fraction(*v, min, max);
    if (!s->dragging) qel_anim_spring(ctx, s->rubber, 0, 0.5f, 0.35f);
    if (!s->dragging || jump) {
        qel_anim_spring(ctx, s->position, target, 0.3f, 0);
    } else {
        s->position[0] = target;
        s->position[1] = 0;
    }
    bool engaged = it.hovered || it.active;
    qel_anim_exp(ctx, &s->hover, engaged ? 1.0f : 0.0f, EASE_SECONDS);
    qel_anim_exp(ctx, &s->press, it.active ? 1.0f : 0.0f, 0.18f);
    qel_anim_exp(ctx, &s->focus, it.focused && it.focus_visible ? 1.0f : 0.0f, EASE_SECONDS);
    if (engaged) qel_set_cursor(ctx, QEL_CURSOR_HAND);

    column_begin(ctx, state_id, o->width, disabled);
    bool has_label = label && qel_label_visible_len(label) > 0;
    if (has_label || o->show_value) {
        qel_slider_label_row(ctx, label, o->show_value ? qel_format_number(ctx, o->format, *v) : nullptr);
    }
    track_node(ctx, id, {state_id, 0, 0, s->position[0], s->rubber[0], s->hover, s->press, s->focus});
    qel_container_end(ctx);
    qel_set_last_item(ctx, id);
    return *v != before;
}

// --- Range slider ---

// The next range slider builds no label row when this frame is the one kept under a fixed id.
void qel_range_slider_hide_next_label(qel_context* ctx)
{
    *(uint64_t*)qel_state_get(ctx, HIDDEN_LABEL_ID, sizeof(uint64_t)) = ctx->clock.frame_count;
}

// Takes the hiding of the next label: true when it was asked for in this frame.
static bool take_hidden_label(qel_context* ctx)
{
    auto* frame = (uint64_t*)qel_state_find(ctx, HIDDEN_LABEL_ID, sizeof(uint64_t), false);
    if (!frame || *frame != ctx->clock.frame_count) return false;
    *frame = 0;
    return true;
}

bool qel_range_slider(qel_context* ctx, const char* label, float* low, float* high, float min, float max)
{
    if (!(max > min)) max = min + 1;
    uint32_t state_id = qel_id(ctx, label ? label : "range"), id = state_id ^ RANGE_KEY;
    bool disabled = qel_is_disabled(ctx);
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE | QEL_INTERACT_HOLD_OUTSIDE);
    float own_low = min, own_high = max;
    float* lo = low ? low : &own_low;
    float* hi = high ? high : &own_high;
    float before_low = *lo, before_high = *hi;

    auto* s = qel_state_record_of<range_state>(ctx, state_id, "range_state");
    float lo_t = fraction(*lo, min, max), hi_t = fraction(*hi, min, max);
    if (!s->initialised) {
        s->low[0] = lo_t, s->high[0] = hi_t;
        s->initialised = 1;
    }
    track_span span;
    if (it.active && qel_mouse_down(ctx, 0) && pointer_on_track(ctx, id, s->mirrored, &span)) {
        float t = qel_unit_clamp(span.t);
        if (qel_mouse_pressed(ctx, 0)) s->which = fabsf(t - lo_t) < fabsf(t - hi_t) ? 0 : 1;
        if (s->which == 0) lo_t = fminf(t, hi_t);
        else hi_t = fmaxf(t, lo_t);
        *lo = min + lo_t * (max - min);
        *hi = min + hi_t * (max - min);
    }
    qel_anim_spring(ctx, s->low, lo_t, 0.22f, 0);
    qel_anim_spring(ctx, s->high, hi_t, 0.22f, 0);
    qel_anim_exp(ctx, &s->press, it.active || it.hovered ? 1.0f : 0.0f, EASE_SECONDS);
    if (it.hovered || it.active) qel_set_cursor(ctx, QEL_CURSOR_HAND);

    column_begin(ctx, state_id, {QEL_SIZE_GROW, 1}, disabled);
    if (!take_hidden_label(ctx)) {
        char text[96];
        snprintf(text, sizeof text, "%.0f \xE2\x80\x93 %.0f", (double)*lo, (double)*hi);
        qel_slider_label_row(ctx, label, text);
    }
    float focus = it.focused && it.focus_visible ? 1.0f : 0.0f;
    track_node(ctx, id, {state_id, 1, s->low[0], s->high[0], 0, s->press, 0, focus});
    qel_container_end(ctx);
    qel_set_last_item(ctx, id);
    return *lo != before_low || *hi != before_high;
}

// --- Drawing the track ---

static void draw_thumb(qel_context* ctx, float x, float cy, const qel_slider_record* r, bool ring, bool dark)
{
    float d = 2 * THUMB_RADIUS * (1 + 0.08f * r->hover - 0.06f * r->press);
    qel_rect thumb = {x - d / 2, cy - d / 2, d, d};
    float radii[4] = {d / 2, d / 2, d / 2, d / 2};
    qel_draw_box_shadow(ctx, &thumb, radii, 2, 0, {0, 1}, (dark ? 90u : 38u) << 24);
    qel_draw_box_shadow(ctx, &thumb, radii, 6, 0, {0, 2}, (dark ? 50u : 16u) << 24);
    qel_draw_rect_bordered(ctx, &thumb, radii, qel_theme_color(ctx, QEL_COLOR_THUMB), 22u << 24, 0.5f);
    if (ring) qel_draw_focus_ring(ctx, &thumb, radii, r->focus);
}

// A span along the track in unmirrored units, as a rectangle mirrored when the layout is.
static qel_rect span_rect(const qel_rect& track, bool rtl, float a, float b, float y, float h)
{
    if (rtl) {
        float mirrored_a = 2 * track.x + track.w - b;
        b = 2 * track.x + track.w - a;
        a = mirrored_a;
    }
    return {a, y, b - a, h};
}

void qel_slider_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* r = (const qel_slider_record*)user;
    if (auto* mirrored = (uint8_t*)qel_state_find(ctx, r->state_id, 1, false)) *mirrored = node->rtl;
    const qel_rect& box = node->rect;
    bool rtl = node->rtl != 0;
    float cy = box.y + box.h / 2;
    float start = box.x + THUMB_RADIUS, end = box.x + box.w - THUMB_RADIUS;
    float line = 4 - fminf(0.05f * fabsf(r->rubber), 1.2f);
    float radii[4] = {line / 2, line / 2, line / 2, line / 2};
    qel_rect track = span_rect(box, rtl, start + fminf(r->rubber, 0.0f), end + fmaxf(r->rubber, 0.0f), cy - line / 2,
                               line);
    qel_color base = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_TRACK), qel_theme_color(ctx, QEL_COLOR_TRACK_HOVER),
                                   r->hover);
    qel_draw_rect(ctx, &track, radii, base);
    float low_x = start + qel_unit_clamp(r->low) * (end - start), high_x = start + qel_unit_clamp(r->high) * (end - start);
    qel_rect filled = span_rect(box, rtl, r->range ? low_x : start, high_x, cy - line / 2, line);
    qel_draw_rect(ctx, &filled, radii, qel_theme_color(ctx, QEL_COLOR_PRIMARY));
    bool dark = qel_dark_mode(ctx);
    auto place = [&](float x) { return rtl ? 2 * box.x + box.w - x : x; };
    if (r->range) draw_thumb(ctx, place(low_x), cy, r, true, dark);
    draw_thumb(ctx, place(high_x), cy, r, !r->range, dark);
}

// --- Rating ---

static qel_color amber()
{
    return qel_color_oklch(0.8f, 0.16f, 80.0f, 1.0f);
}

void qel_rating_star_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* star = (const qel_star_record*)user;
    const qel_rect& r = node->rect;
    float cx = r.x + r.w / 2, cy = r.y + r.h / 2 + 0.5f;
    float outer = 0.47f * r.w * star->scale, inner = 0.45f * outer;
    qel_triangle_vertex v[11];
    qel_vec2 outline[10];
    v[0] = {cx, cy, star->color};
    for (int32_t k = 0; k < 10; k++) {
        float angle = -1.5707963f + (float)k * 0.62831853f;
        float radius = k % 2 ? inner : outer;
        outline[k] = {cx + radius * cosf(angle), cy + radius * sinf(angle)};
        v[k + 1] = {outline[k].x, outline[k].y, star->color};
    }
    uint32_t indices[30];
    for (uint32_t k = 0; k < 10; k++) {
        indices[3 * k] = 0;
        indices[3 * k + 1] = k + 1;
        indices[3 * k + 2] = (k + 1) % 10 + 1;
    }
    qel_draw_triangles(ctx, v, 11, indices, 30);
    qel_draw_polyline(ctx, outline, 10, 1, star->color, 1);
}

bool qel_rating(qel_context* ctx, const char* label, int32_t* value, int32_t stars)
{
    int32_t n = stars < 1 ? 5 : stars > MAX_STARS ? MAX_STARS : stars;
    uint32_t id = qel_id(ctx, label);
    int32_t own = 0;
    int32_t* rating = value ? value : &own;
    auto* springs = *qel_state_record_of<float[MAX_STARS][2]>(ctx, id, "rating");
    uint32_t ids[MAX_STARS];
    int32_t hovered = -1;
    bool clicked = false;
    for (int32_t i = 0; i < n; i++) {
        ids[i] = qel_hash_bytes(&i, sizeof i, id);
        qel_interaction it = qel_interact(ctx, ids[i], 0);
        if (it.hovered) hovered = i;
        if (!it.clicked) continue;
        *rating = *rating == i + 1 ? 0 : i + 1;
        springs[i][1] = 6;
        clicked = true;
    }
    if (hovered >= 0) qel_set_cursor(ctx, QEL_CURSOR_HAND);

    qel_style row = {};
    row.direction = QEL_DIR_ROW;
    row.gap = 2;
    row.name = label;
    qel_row_begin(ctx, &row);
    qel_color lit = amber();
    qel_color unlit = qel_theme_color(ctx, QEL_COLOR_TRACK);
    for (int32_t i = 0; i < n; i++) {
        if (springs[i][0] == 0 && springs[i][1] == 0) springs[i][0] = 1;  // first seen
        float scale = qel_anim_spring(ctx, springs[i], 1, 0.35f, 0.45f);
        int32_t node = qel_node_sized(ctx, ids[i], {QEL_SIZE_FIXED, 22}, {QEL_SIZE_FIXED, 22});
        qel_node_mark_interactive(ctx, node, 0);
        bool on = i < *rating;
        qel_star_record record = {scale,
                                  on ? lit : qel_color_mix(unlit, qel_color_alpha(lit, 0.7f), hovered >= i ? 1.0f : 0.0f)};
        qel_node_draw_with(ctx, node, qel_rating_star_draw, &record, sizeof record, false);
    }
    qel_container_end(ctx);
    qel_set_last_item(ctx, id);
    return clicked;
}
