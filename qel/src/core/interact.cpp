// Item interaction: hover and the wheel's target resolved once per frame from the rectangles the
// last frame drew, the pressed item held until its release, keyboard focus with its Tab cycle,
// and qel_interact, which widgets call with their id to learn what happened to them.
#include <utility>

#include "core/array_grow.h"
#include "core/core.h"
#include "qel/layout.h"
#include "qel/state.h"

static const float SCROLL_SLACK = 0.5f;

void qel_node_mark_interactive(qel_context* ctx, int32_t node, uint32_t interact_flags)
{
    qel_node* n = qel_node_at(ctx, node);
    if (!n) return;
    n->flags |= QEL_NODE_INTERACTIVE;
    if (interact_flags & QEL_INTERACT_FOCUSABLE) n->flags |= QEL_NODE_FOCUSABLE;
}

// --- Frame begin ---

enum wheel_axis { WHEEL_NONE, WHEEL_X, WHEEL_Y };

static wheel_axis wheel_direction(const qel_input* in)
{
    bool shift = (in->modifiers & QEL_MOD_SHIFT) != 0;
    if (in->wheel_x != 0 || (in->wheel_y != 0 && shift)) return WHEEL_X;
    if (in->wheel_y != 0) return WHEEL_Y;
    return WHEEL_NONE;
}

static bool contains(const qel_hit_rect& r, float x, float y)
{
    return r.x <= x && x < r.x + r.w && r.y <= y && y < r.y + r.h;
}

// Whether a scrollable rectangle can move along the wheel's axis.
static bool can_scroll(qel_context* ctx, const qel_hit_rect& r, wheel_axis axis)
{
    const qel_scroll_state* s = (const qel_scroll_state*)qel_state_find(ctx, r.id, sizeof(qel_scroll_state), false);
    if (!s) return false;
    if (axis == WHEEL_X) return (r.flags & QEL_NODE_SCROLL_X) && s->content_w > s->view_w + SCROLL_SLACK;
    return (r.flags & QEL_NODE_SCROLL_Y) && s->content_h > s->view_h + SCROLL_SLACK;
}

// Walks last frame's rectangles front to back. Two searches run together: the hover (the
// frontmost interactive, blocking or opaque rectangle) and the wheel's target (the frontmost
// scrollable rectangle that can move along the wheel's axis, else the frontmost scrollable one).
static void resolve_hover(qel_context* ctx)
{
    qel_interaction_state* s = &ctx->interaction;
    const qel_input* in = &ctx->input;
    s->hovered = s->hover_layer = s->scroll_target = 0;
    if (!in->mouse_inside) return;
    wheel_axis axis = wheel_direction(in);
    bool hover_found = false, scroll_open = true;
    for (int32_t k = s->last_hits.count - 1; k >= 0; k--) {
        const qel_hit_rect& r = s->last_hits.rects[k];
        if (!contains(r, in->mouse_x, in->mouse_y)) continue;
        bool blocking = (r.flags & QEL_NODE_BLOCKING) != 0;
        bool scrollable = (r.flags & (QEL_NODE_SCROLL_X | QEL_NODE_SCROLL_Y)) != 0;
        if (scrollable && scroll_open) {
            if (axis == WHEEL_NONE || can_scroll(ctx, r, axis)) {
                s->scroll_target = r.id;
                scroll_open = false;
            } else if (!s->scroll_target) {
                s->scroll_target = r.id;  // a fallback; a rectangle further back may still take it
            }
        } else if (scrollable && hover_found) {
            break;
        }
        if (hover_found) {
            if (blocking || !scroll_open) break;
            continue;
        }
        if (!(r.flags & (QEL_NODE_INTERACTIVE | QEL_NODE_BLOCKING | QEL_NODE_HOVER_OPAQUE))) continue;
        if (r.flags & QEL_NODE_INTERACTIVE) s->hovered = r.id;
        s->hover_layer = r.layer;
        if (blocking || !scroll_open) break;
        hover_found = true;
    }
}

// Tab moves the focus through last frame's focusable items (those of the topmost popup while one
// is open); Shift+Tab backwards.
static void cycle_focus(qel_context* ctx)
{
    qel_interaction_state* s = &ctx->interaction;
    qel_input* in = &ctx->input;
    if (!in->key_presses[QEL_KEY_TAB] || (in->modifiers & QEL_MOD_CTRL) || s->last_focus.count == 0) return;
    if (s->tab_keeper && s->focused == s->tab_keeper) return;
    const qel_focus_order& order = s->last_focus;
    uint32_t* ids = (uint32_t*)qel_arena_alloc(ctx, (size_t)order.count * sizeof(uint32_t));
    int32_t count = 0, current = -1;
    for (int32_t k = 0; k < order.count; k++) {
        if (s->last_top_layer && order.layers[k] != s->last_top_layer) continue;
        if (order.ids[k] == s->focused) current = count;
        ids[count++] = order.ids[k];
    }
    if (count == 0) return;
    bool back = (in->modifiers & QEL_MOD_SHIFT) != 0;
    int32_t next = current < 0 ? (back ? count - 1 : 0) : (current + (back ? count - 1 : 1)) % count;
    s->focused = ids[next];
    s->focus_visible = 1;
    in->key_presses[QEL_KEY_TAB] = 0;
}

void qel_interaction_begin_frame(qel_context* ctx)
{
    qel_interaction_state* s = &ctx->interaction;
    const qel_input* in = &ctx->input;
    std::swap(s->hits, s->last_hits);
    s->hits.count = 0;
    std::swap(s->focus, s->last_focus);
    s->focus.count = 0;
    s->last_top_layer = s->top_layer;
    s->top_layer = 0;
    s->top_layer_z = 0;
    s->last_hovered = s->hovered;
    resolve_hover(ctx);
    if (s->active && !in->down[0] && !in->pressed[0] && !in->released[0]) s->active = 0;
    cycle_focus(ctx);
    s->tab_keeper = 0;
    if (in->pressed[0] && !s->hovered) s->focused = 0;
    s->disabled_count = 0;
    s->disabled_depth = {};
    s->last_item = 0;
}

// --- Items ---

uint32_t qel_hovered_id(qel_context* ctx)
{
    return ctx->interaction.hovered;
}

uint32_t qel_last_hovered_id(qel_context* ctx)
{
    return ctx->interaction.last_hovered;
}

uint32_t qel_focused_id(qel_context* ctx)
{
    return ctx->interaction.focused;
}

void qel_set_focus(qel_context* ctx, uint32_t id, bool visible)
{
    ctx->interaction.focused = id;
    ctx->interaction.focus_visible = id && visible;
}

static void register_focusable(qel_context* ctx, uint32_t id)
{
    qel_interaction_state* s = &ctx->interaction;
    qel_focus_order* f = &s->focus;
    int32_t capacity = f->capacity;  // the two arrays share one capacity
    f->ids = qel_array_grow(ctx, f->ids, &capacity, f->count + 1ll);
    f->layers = qel_array_grow(ctx, f->layers, &f->capacity, f->count + 1ll);
    f->ids[f->count] = id;
    f->layers[f->count++] = ctx->tree.current_layer;
    if (s->focus_request == id) {
        s->focused = id;
        s->focus_request = 0;
    }
}

static void pointer(qel_context* ctx, uint32_t id, uint32_t flags, qel_interaction* r)
{
    qel_interaction_state* s = &ctx->interaction;
    const qel_input* in = &ctx->input;
    if (s->hovered != id) {
        r->active = s->active == id;
        if (r->active) {
            r->held = (in->down[0] || in->pressed[0]) && (flags & QEL_INTERACT_HOLD_OUTSIDE);
            r->released = in->released[0];
        }
        return;
    }
    if (s->active && s->active != id) return;
    r->hovered = 1;
    r->right_pressed = in->pressed[1];
    if (in->pressed[0]) {
        s->active = id;
        if (flags & QEL_INTERACT_FOCUSABLE) {
            s->focused = id;
            s->focus_visible = 0;
        } else if (!(flags & QEL_INTERACT_KEEP_FOCUS)) {
            s->focused = 0;
        }
        r->double_clicked = in->click_count > 1;
        r->active = r->held = 1;
    } else {
        r->active = s->active == id;
        if (r->active) r->held = in->down[0];
    }
    if (r->active && in->released[0]) {
        r->released = 1;
        r->clicked = !in->release_cancelled;
    }
}

// Keys for the focused item. Under an open popup only Enter and Space reach it, and only with its
// focus already visible; under a modal layer nothing does.
static void keyboard(qel_context* ctx, uint32_t flags, qel_interaction* r)
{
    qel_interaction_state* s = &ctx->interaction;
    int32_t blocked = qel_keys_blocked(ctx);
    if (blocked == 2) return;
    bool keys = !(flags & QEL_INTERACT_NO_KEYS);
    static const int32_t NAVIGATION[] = {QEL_KEY_ENTER, QEL_KEY_SPACE, QEL_KEY_LEFT, QEL_KEY_RIGHT,
                                         QEL_KEY_UP,    QEL_KEY_DOWN,  QEL_KEY_HOME, QEL_KEY_END};
    if (keys && !blocked && !s->focus_visible)
        for (int32_t key : NAVIGATION) s->focus_visible |= qel_key_pressed(ctx, key);
    r->focus_visible = s->focus_visible;
    if (keys && s->focus_visible && (qel_key_pressed(ctx, QEL_KEY_ENTER) || qel_key_pressed(ctx, QEL_KEY_SPACE)))
        r->clicked = r->activated_by_key = 1;
}

qel_interaction qel_interact(qel_context* ctx, uint32_t id, uint32_t flags)
{
    qel_interaction_state* s = &ctx->interaction;
    qel_interaction r = {};
    if (!id) return r;  // 0 names no item; it would match "nothing hovered"
    if (s->disabled_count > 0) {
        if (s->focused == id) s->focused = 0;
        if (s->active == id) s->active = 0;
        return r;
    }
    if (flags & QEL_INTERACT_FOCUSABLE) register_focusable(ctx, id);
    pointer(ctx, id, flags, &r);
    r.focused = s->focused == id;
    if (r.focused) keyboard(ctx, flags, &r);
    return r;
}
