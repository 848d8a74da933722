// Scroll containers: the wheel, thumb dragging and gliding that move the per-id scroll state, the
// container node with its content offset, scroll areas from options, and the fades, bars and
// thumb hit strip drawn after the content. Which container the wheel goes to is decided by the
// interaction module; content and view sizes are written by the layout's position pass.
#include "qel/scroll_container.h"

#include <cmath>

#include "core/core.h"
#include "qel/anim.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/frame.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/theme.h"

static const float WHEEL_STEP = 44.0f;
static const float GLIDE_SECONDS = 0.14f, SNAP_DISTANCE = 0.25f;
static const double BARS_LINGER = 0.9;
static const float BAR_SHOW_SECONDS = 0.12f, BAR_HIDE_SECONDS = 0.3f;
static const float THUMB_MIN = 28.0f, TRACK_INSET = 3.0f, BAR_WIDTH = 6.0f, BAR_WIDTH_HOT = 8.0f;
static const float THUMB_STRIP = 12.0f;
static const float OVERFLOW_SLACK = 0.5f;
static const float FADE_MAX = 36.0f;
static const uint32_t THUMB_KEY = 0x5c5c5c5cu;

static qel_scroll_state* state_of(qel_context* ctx, uint32_t id)
{
    return (qel_scroll_state*)qel_state_get(ctx, id, sizeof(qel_scroll_state));
}

static float clamp_to(float v, float lo, float hi)
{
    return fminf(fmaxf(v, lo), hi);
}

static float thumb_length(float view, float content)
{
    return fmaxf(THUMB_MIN, view * view / content);
}

// --- Moving ---

static void take_wheel(qel_context* ctx, uint32_t id, qel_scroll_state* s, bool horizontal, float max_x,
                       float max_y)
{
    qel_input* in = &ctx->input;
    if (ctx->interaction.scroll_target != id || (in->wheel_x == 0 && in->wheel_y == 0)) return;
    bool shift = (in->modifiers & QEL_MOD_SHIFT) != 0;
    if (shift && in->wheel_x == 0 && horizontal) {
        if (max_x > 0) s->target_x -= in->wheel_y * WHEEL_STEP;
    } else {
        if (max_y > 0) s->target_y -= in->wheel_y * WHEEL_STEP;
        if (horizontal && max_x > 0) s->target_x -= in->wheel_x * WHEEL_STEP;
    }
    s->last_activity = ctx->clock.time;
    in->wheel_x = in->wheel_y = 0;  // no outer container scrolls with it
}

// The vertical thumb follows the pointer at once, held where it was grabbed (or by its middle
// when the press landed on the track beside it).
static void drag_thumb(qel_context* ctx, uint32_t id, qel_scroll_state* s, qel_rect r, float max_y)
{
    qel_interaction thumb = qel_interact(ctx, id ^ THUMB_KEY, QEL_INTERACT_HOLD_OUTSIDE | QEL_INTERACT_KEEP_FOCUS);
    s->thumb_hovered = thumb.hovered;
    if (!(max_y > 0) || !(r.h > 0)) {
        s->dragging = 0;
        return;
    }
    float length = thumb_length(r.h, s->content_h), track = r.h - length - 2 * TRACK_INSET;
    float pointer = qel_mouse_pos(ctx).y;
    if (thumb.held && qel_mouse_pressed(ctx, 0)) {
        float top = s->scroll_y / max_y * track + r.y + TRACK_INSET;
        bool on_thumb = pointer >= top && pointer < top + length;
        s->dragging = 1;
        s->grab_offset = on_thumb ? pointer - top : length * 0.5f;
    }
    if (!s->dragging) return;
    if (!qel_mouse_down(ctx, 0)) {
        s->dragging = 0;
        return;
    }
    s->target_y = clamp_to((pointer - r.y - TRACK_INSET - s->grab_offset) / fmaxf(track, 1.0f) * max_y, 0, max_y);
    s->scroll_y = s->target_y;
    s->last_activity = ctx->clock.time;
}

static void glide(qel_context* ctx, float* value, float target)
{
    qel_anim_exp(ctx, value, target, GLIDE_SECONDS);
    if (fabsf(*value - target) < SNAP_DISTANCE) *value = target;
}

// The bars show while the content moves and linger a while after; a hovered or held thumb keeps
// its bar.
static void update_bars(qel_context* ctx, qel_scroll_state* s)
{
    double elapsed = ctx->clock.time - s->last_activity;
    if (s->last_activity > 0 && elapsed < BARS_LINGER) {
        qel_request_redraw_in(ctx, (float)(BARS_LINGER - elapsed) + 0.01f);
        qel_anim_exp(ctx, &s->bar_visibility, 1.0f, BAR_SHOW_SECONDS);
    } else if (s->thumb_hovered || s->dragging) {
        qel_anim_exp(ctx, &s->bar_visibility, 1.0f, BAR_SHOW_SECONDS);
    } else {
        qel_anim_exp(ctx, &s->bar_visibility, 0.0f, BAR_HIDE_SECONDS);
    }
}

// --- Containers ---

int32_t qel_scroll_begin(qel_context* ctx, uint32_t id, const qel_style* style, bool horizontal)
{
    qel_scroll_state* s = state_of(ctx, id);
    qel_rect r = qel_id_rect(ctx, id);
    float max_x = fmaxf(0, s->content_w - s->view_w), max_y = fmaxf(0, s->content_h - s->view_h);
    take_wheel(ctx, id, s, horizontal, max_x, max_y);
    drag_thumb(ctx, id, s, r, max_y);
    s->target_x = clamp_to(s->target_x, 0, max_x);
    s->target_y = clamp_to(s->target_y, 0, max_y);
    glide(ctx, &s->scroll_x, s->target_x);
    glide(ctx, &s->scroll_y, s->target_y);
    update_bars(ctx, s);

    int32_t index = qel_node_open(ctx, id);
    qel_node_apply_style(ctx, index, style);
    qel_node* n = qel_node_at(ctx, index);
    n->flags |= QEL_NODE_SCROLL_Y | (horizontal ? (uint32_t)QEL_NODE_SCROLL_X : 0u);
    // Whole device pixels, so scrolled text stays crisp.
    float k = ctx->clock.scale;
    n->content_offset_x = roundf(s->scroll_x * k) / k;
    n->content_offset_y = roundf(s->scroll_y * k) / k;
    qel_node_push(ctx, index);
    return index;
}

void qel_scroll_end(qel_context* ctx)
{
    qel_node_pop(ctx);
}

void qel_scroll_area_begin(qel_context* ctx, const qel_scroll_area_options* options)
{
    const qel_scroll_area_options none = {};
    const qel_scroll_area_options* o = options ? options : &none;
    qel_style style = {};
    style.width = o->width;
    style.height = o->height.kind == QEL_SIZE_FIT ? qel_size{QEL_SIZE_GROW, 1} : o->height;
    style.padding = o->padding;
    style.gap = o->gap;
    uint32_t id = o->name ? qel_id(ctx, o->name) : qel_layout_automatic_id(ctx);
    state_of(ctx, id)->fade_color = o->fades ? qel_color_arg(o->fade_color, qel_inherited_background(ctx)) : 0;
    qel_scroll_begin(ctx, id, &style, o->horizontal != 0);
}

void qel_scroll_area_end(qel_context* ctx)
{
    qel_scroll_end(ctx);
}

void qel_scroll_to_y(qel_context* ctx, const char* name, float y)
{
    state_of(ctx, qel_id(ctx, name))->target_y = fmaxf(y, 0.0f);
}

qel_color qel_inherited_background(qel_context* ctx)
{
    for (const qel_node* n = qel_node_at(ctx, qel_node_parent(ctx)); n; n = qel_node_at(ctx, n->parent)) {
        qel_color fill = qel_color_resolve(ctx, n->fill);
        if ((fill >> 24) == 0xFF) return fill;
    }
    return qel_theme_color(ctx, QEL_COLOR_BACKGROUND);
}

// --- Decorations ---

enum fade_edge { FADE_TOP, FADE_BOTTOM, FADE_LEFT, FADE_RIGHT };

// A band of r in color at strength along one edge, clear at the opposite one.
static void draw_fade(qel_context* ctx, qel_rect r, qel_color color, float strength, fade_edge edge)
{
    if (!(strength > 0)) return;
    qel_color strong = qel_color_alpha(color, strength), clear = qel_color_alpha(color, 0);
    bool top = edge == FADE_TOP, bottom = edge == FADE_BOTTOM, left = edge == FADE_LEFT, right = edge == FADE_RIGHT;
    const qel_triangle_vertex v[4] = {{r.x, r.y, top || left ? strong : clear},
                                      {r.x + r.w, r.y, top || right ? strong : clear},
                                      {r.x + r.w, r.y + r.h, bottom || right ? strong : clear},
                                      {r.x, r.y + r.h, bottom || left ? strong : clear}};
    static const uint32_t QUAD[6] = {0, 1, 2, 0, 2, 3};
    qel_draw_triangles(ctx, v, 4, QUAD, 6);
}

static void draw_fades(qel_context* ctx, const qel_scroll_state* s, qel_rect r, float max_x, float max_y)
{
    qel_color color = qel_color_resolve(ctx, s->fade_color);
    if (!(color >> 24)) return;
    if (max_y > OVERFLOW_SLACK) {
        float size = fminf(0.2f * s->view_h, FADE_MAX);
        draw_fade(ctx, {r.x, r.y, r.w, size}, color, clamp_to(s->scroll_y / size, 0, 1), FADE_TOP);
        draw_fade(ctx, {r.x, r.y + r.h - size, r.w, size}, color, clamp_to((max_y - s->scroll_y) / size, 0, 1),
                  FADE_BOTTOM);
    }
    if (max_x > OVERFLOW_SLACK) {
        float size = fminf(0.15f * s->view_w, FADE_MAX);
        draw_fade(ctx, {r.x, r.y, size, r.h}, color, clamp_to(s->scroll_x / size, 0, 1), FADE_LEFT);
        draw_fade(ctx, {r.x + r.w - size, r.y, size, r.h}, color, clamp_to((max_x - s->scroll_x) / size, 0, 1),
                  FADE_RIGHT);
    }
}

static void draw_vertical_bar(qel_context* ctx, const qel_scroll_state* s, qel_rect r, float max_y)
{
    if (!(s->bar_visibility > 0.01f)) return;
    bool hot = s->thumb_hovered || s->dragging;
    float length = thumb_length(s->view_h, s->content_h), width = hot ? BAR_WIDTH_HOT : BAR_WIDTH;
    float y = clamp_to(s->scroll_y / max_y, 0, 1) * (s->view_h - length - 2 * TRACK_INSET) + r.y + TRACK_INSET;
    qel_rect bar = {r.x + r.w - TRACK_INSET - width, y, width, length};
    float radius = width * 0.5f;
    const float radii[4] = {radius, radius, radius, radius};
    qel_color text = qel_theme_color(ctx, QEL_COLOR_TEXT);
    qel_draw_rect(ctx, &bar, radii, qel_color_alpha(text, (hot ? 0.38f : 0.26f) * s->bar_visibility));
}

static void draw_horizontal_bar(qel_context* ctx, const qel_scroll_state* s, qel_rect r, float max_x, bool rtl)
{
    if (!(s->bar_visibility > 0.01f)) return;
    float length = thumb_length(s->view_w, s->content_w);
    float along = clamp_to(s->scroll_x / max_x, 0, 1);
    if (rtl) along = 1 - along;
    qel_rect bar = {along * (s->view_w - length - 2 * TRACK_INSET) + r.x + TRACK_INSET,
                    r.y + r.h - 3 * TRACK_INSET, length, BAR_WIDTH};
    const float radii[4] = {3, 3, 3, 3};
    qel_draw_rect(ctx, &bar, radii, qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_TEXT), 0.26f * s->bar_visibility));
}

void qel_scroll_decorations(qel_context* ctx, const qel_node* node, qel_rect r)
{
    auto* s = (const qel_scroll_state*)qel_state_find(ctx, node->id, sizeof(qel_scroll_state), false);
    if (!s) return;
    float max_x = fmaxf(0, s->content_w - s->view_w), max_y = fmaxf(0, s->content_h - s->view_h);
    draw_fades(ctx, s, r, max_x, max_y);
    if (max_y > OVERFLOW_SLACK) {
        qel_hit_rect_add_visible(ctx, node->id ^ THUMB_KEY, {r.x + r.w - THUMB_STRIP, r.y, THUMB_STRIP, r.h},
                                 QEL_NODE_INTERACTIVE);
        draw_vertical_bar(ctx, s, r, max_y);
    }
    if ((node->flags & QEL_NODE_SCROLL_X) && max_x > OVERFLOW_SLACK) draw_horizontal_bar(ctx, s, r, max_x, node->rtl);
}
