// The feel widgets share: per-id hover, press and focus motion, clickable nodes with their cursor
// and disabled look, and the focus ring, gloss and underline draw callbacks. Widgets decide what
// to build; the interaction itself is interact.cpp's.
#include "qel/widget_feel.h"

#include <cmath>
#include <cstring>

#include "core/core.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/state.h"
#include "qel/theme.h"

static const float EASE_SECONDS = 0.14f;
static const float PRESS_PERIOD = 0.26f, PRESS_BOUNCE = 0.12f;
static const float DISABLED_OPACITY = 0.45f;
static const float VISIBLE = 0.01f;

static float unit(float t)
{
    return fminf(fmaxf(t, 0.0f), 1.0f);  // NaN gives 0
}

// --- Colour and size rules ---

float qel_control_height(qel_context* ctx, uint32_t size)
{
    const qel_theme* t = &ctx->theme.current;
    float h = size == 1 ? t->control_height_small : size == 2 ? t->control_height_large : t->control_height_medium;
    return h * t->ui_scale;
}

qel_color qel_border_color(qel_context* ctx, float t)
{
    return qel_color_mix(qel_theme_color(ctx, QEL_COLOR_BORDER), qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG),
                         0.35f + 0.65f * unit(t));
}

qel_color qel_field_border_color(qel_context* ctx, float t)
{
    return qel_color_mix(qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG), qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED),
                         0.5f * unit(t));
}

qel_color qel_focus_color(qel_context* ctx)
{
    return qel_theme_color(ctx, qel_theme_get_accent(ctx) ? QEL_COLOR_ACCENT : QEL_COLOR_TEXT_SECONDARY);
}

// --- Interaction ---

bool qel_item_disabled(qel_context* ctx, uint8_t own_disabled)
{
    return own_disabled || qel_is_disabled(ctx);
}

qel_interaction qel_interact_item(qel_context* ctx, uint32_t id, uint32_t interact_flags, bool disabled)
{
    qel_push_disabled(ctx, disabled);
    qel_interaction it = qel_interact(ctx, id, interact_flags);
    qel_pop_disabled(ctx);
    return it;
}

qel_widget_motion qel_widget_motion_update(qel_context* ctx, uint32_t id, const qel_interaction* it,
                                           float pressed_scale)
{
    bool engaged = it->hovered || it->held || it->focused;
    qel_widget_motion scratch = {};
    auto* m = (qel_widget_motion*)qel_state_find(ctx, id, sizeof(qel_widget_motion), engaged);
    if (!m) m = &scratch;
    if (m->press[0] == 0.0f) m->press[0] = 1.0f;
    qel_anim_exp(ctx, &m->hover, it->hovered ? 1.0f : 0.0f, EASE_SECONDS);
    qel_anim_exp(ctx, &m->focus, it->focused && it->focus_visible ? 1.0f : 0.0f, EASE_SECONDS);
    qel_anim_spring(ctx, m->press, it->held ? pressed_scale : 1.0f, PRESS_PERIOD, PRESS_BOUNCE);
    return *m;
}

// --- Nodes ---

void qel_node_clickable(qel_context* ctx, int32_t node, uint32_t id, bool disabled)
{
    qel_node* n = qel_node_at(ctx, node);
    if (!n) return;
    qel_node_mark_interactive(ctx, node, QEL_INTERACT_FOCUSABLE);
    const qel_interaction_state* s = &ctx->interaction;
    bool pointer_over = s->hovered == id && (!s->active || s->active == id);
    if (disabled) n->opacity = DISABLED_OPACITY;
    if (pointer_over) qel_set_cursor(ctx, disabled ? QEL_CURSOR_NOT_ALLOWED : QEL_CURSOR_HAND);
}

void qel_node_draw_with(qel_context* ctx, int32_t node, qel_draw_fn fn, const void* payload, size_t size, bool after)
{
    qel_node* n = qel_node_at(ctx, node);
    if (!n) return;
    void* copy = payload && size ? qel_arena_alloc(ctx, size) : nullptr;
    if (copy) memcpy(copy, payload, size);
    n->draw = fn;
    n->draw_user = copy;
    if (after) n->flags |= QEL_NODE_DRAW_AFTER;
    else n->flags &= ~(uint32_t)QEL_NODE_DRAW_AFTER;
}

static void focus_ring_draw(qel_context* ctx, const qel_node* node, void* user)
{
    qel_draw_focus_ring(ctx, &node->rect, node->radii, *(const float*)user);
}

void qel_focus_ring(qel_context* ctx, int32_t node, float visibility)
{
    if (visibility > VISIBLE) qel_node_draw_with(ctx, node, focus_ring_draw, &visibility, sizeof visibility, true);
}

void qel_focus_ring_full_draw(qel_context* ctx, const qel_node* node, void*)
{
    qel_draw_focus_ring(ctx, &node->rect, node->radii, 1.0f);
}

void qel_gloss_draw(qel_context* ctx, const qel_node* node, void* user)
{
    qel_draw_top_highlight_small(ctx, &node->rect, node->radii, user ? *(const float*)user : 1.0f);
}

void qel_node_gloss(qel_context* ctx, int32_t node, float strength)
{
    qel_node_draw_with(ctx, node, qel_gloss_draw, &strength, sizeof strength, false);
}

struct underline_payload {
    float amount;
    qel_color color;
    float focus;
};

static void underline_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* u = (const underline_payload*)user;
    const qel_rect& r = node->rect;
    if (u->amount > VISIBLE) {
        qel_rect line = {r.x + node->pad_left, r.y + r.h * 0.5f + 0.32f * r.h,
                         (r.w - node->pad_left - node->pad_right) * u->amount, 1.0f};
        qel_draw_rect(ctx, &line, nullptr, u->color);
    }
    qel_draw_focus_ring(ctx, &r, node->radii, u->focus);
}

void qel_node_underline(qel_context* ctx, int32_t node, float amount, qel_color color, float focus)
{
    underline_payload u = {amount, color, focus};
    qel_node_draw_with(ctx, node, underline_draw, &u, sizeof u, true);
}
