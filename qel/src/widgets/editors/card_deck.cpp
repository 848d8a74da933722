// The card deck: the top card's drag, throw and spring back, the fly-out that reports a swipe,
// the pop-in of the cards below, and the stacking of the cards with the top one drawn last.
#include "kit/state_records.h"
#include "qel/card_deck.h"

#include <algorithm>
#include <cmath>

#include "core/core.h"
#include "kit/scopes.h"
#include "kit/widget_nodes.h"
#include "qel/anim.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/theme.h"
#include "widgets/pickers/picker_nodes.h"

struct deck_state {
    float x[2], y[2], pop[2];  // offsets and the pop-in, each with its spring's velocity
    qel_picker_drag drag;      // its value the x offset, its fling in pixels a second
    float start_y;
    uint8_t flying;
    int32_t direction;  // -1 left, 1 right
};

namespace {

// The deck open in this frame.
struct deck_record {
    uint32_t id;
    int32_t count, visible;
    float card_width, card_height;
    deck_state* s;
    int32_t result;
    int32_t node;
    bool dragging;  // shown while hovered: the move cursor
};

}  // namespace

static const uint32_t TOP_CARD = 0x70B;
static const float THROW_SPEED = 900, CARD_STEP = 12;

static void deck_fly(deck_state* s, int32_t direction)
{
    s->flying = 1;
    s->direction = direction;
}

// A released card flies out when dragged far or thrown fast, toward where it was heading; never
// straight up.
static void deck_release(deck_state* s, float card_width)
{
    s->drag.dragging = 0;
    float x = s->x[0], v = s->drag.fling;
    if (!(std::fabs(x) > 0.35f * card_width || std::fabs(v) > THROW_SPEED)) return;
    float heading = x + 0.1f * v;
    deck_fly(s, heading != 0 ? (heading > 0 ? 1 : -1) : x < 0 ? -1 : 1);
}

// The top card follows the pointer while it holds the press and the pointer is in the window; a
// release, seen or not, ends the drag.
static void deck_drag(qel_context* ctx, deck_record* d, const qel_interaction& it)
{
    deck_state* s = d->s;
    qel_vec2 m = qel_mouse_pos(ctx);
    bool inside = qel_mouse_in_window(ctx);
    if (it.hovered && qel_mouse_pressed(ctx, 0) && inside && d->count > 0 && !s->flying) {
        qel_picker_drag_press(ctx, &s->drag, m.x, 0);
        s->start_y = m.y;
    }
    if (!s->drag.dragging) return;
    if (!it.held) return deck_release(s, d->card_width);
    if (inside) {
        s->x[0] = qel_picker_drag_move(ctx, &s->drag, m.x, -1);
        s->y[0] = (m.y - s->start_y) * 0.3f;
    }
    s->x[1] = s->y[1] = 0;
    qel_request_redraw(ctx);
}

static void deck_settle(qel_context* ctx, deck_record* d)
{
    deck_state* s = d->s;
    if (s->flying) {
        qel_anim_spring(ctx, s->x, (1.5f * d->card_width + 80) * (float)s->direction, 0.32f, 0);
        if (std::fabs(s->x[0]) > 1.3f * d->card_width) {
            d->result = s->direction;
            s->flying = 0;
            s->x[0] = s->x[1] = s->y[0] = s->y[1] = 0;
            s->pop[0] = 1;
            s->pop[1] = 0;
        }
    } else if (!s->drag.dragging) {
        qel_anim_spring(ctx, s->x, 0, 0.26f, 0.12f);
        qel_anim_spring(ctx, s->y, 0, 0.26f, 0.12f);
    }
    qel_anim_spring(ctx, s->pop, 0, 0.38f, 0);
}

void qel_card_deck_begin(qel_context* ctx, const char* label, int32_t count, const qel_card_deck_opts* options)
{
    const qel_card_deck_opts none = {};
    const qel_card_deck_opts* o = options ? options : &none;
    auto* d = qel_scope_push<deck_record>(ctx);
    d->id = qel_id(ctx, label);
    d->count = std::max(count, 0);
    d->visible = o->visible >= 1 ? o->visible : 3;
    float measured = qel_id_rect(ctx, d->id ^ TOP_CARD).w;
    d->card_width = measured > 0 ? measured : 300;
    d->card_height = o->card_height > 0 ? o->card_height : 320;
    d->s = qel_state_record_of<deck_state>(ctx, d->id, "deck_state");
    qel_interaction it = qel_interact(ctx, d->id ^ TOP_CARD, QEL_INTERACT_FOCUSABLE | QEL_INTERACT_HOLD_OUTSIDE);
    deck_drag(ctx, d, it);
    if (it.focused && d->count > 0) {
        if (qel_key_take(ctx, QEL_KEY_LEFT)) deck_fly(d->s, -1);
        if (qel_key_take(ctx, QEL_KEY_RIGHT)) deck_fly(d->s, 1);
    }
    d->dragging = d->s->drag.dragging;
    deck_settle(ctx, d);
    qel_size width = o->width.kind != QEL_SIZE_FIT ? o->width : qel_size{QEL_SIZE_FIXED, 320};
    d->node = qel_node_sized(ctx, d->id, width, {QEL_SIZE_FIXED, (float)(d->visible - 1) * CARD_STEP + d->card_height});
    qel_node* n = qel_node_at(ctx, d->node);
    n->direction = QEL_DIR_STACK;
    n->align_self = QEL_ALIGN_OWN_SIZE;
    qel_node_push(ctx, d->node);
}

void qel_card_deck_card_begin(qel_context* ctx, int32_t depth)
{
    auto* d = qel_scope_find<deck_record>(ctx);
    if (!d) {
        qel_node_push(ctx, qel_node_open(ctx, 0));
        return;
    }
    const deck_state* s = d->s;
    float depth_shown = (float)depth + s->pop[0];
    bool top = depth == 0;
    uint32_t id = top ? d->id ^ TOP_CARD : 0;
    int32_t card = qel_node_sized(ctx, id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, d->card_height});
    qel_node* n = qel_node_at(ctx, card);
    n->fill = qel_color_token(QEL_COLOR_ELEVATED);
    qel_node_round(n, ctx->theme.current.radius_medium + 4);
    n->border = qel_dark_mode(ctx) ? 0x1AFFFFFFu : 0x16000000u;
    n->border_width = 1;
    n->flags |= QEL_NODE_CLIP;
    n->scale = 1 - 0.05f * depth_shown;
    n->translate_y = CARD_STEP * depth_shown;
    n->opacity = depth < d->visible ? std::max(0.001f, 1 - 0.12f * depth_shown) : 0.001f;
    if (top) {
        n->translate_x = s->x[0];
        n->translate_y += s->y[0];
        n->elevation = 3;
        n->elevation_strength = 0.6f + 0.4f * std::min(std::fabs(s->x[0]) / 120, 1.0f);
        qel_node_mark_interactive(ctx, card, QEL_INTERACT_FOCUSABLE);
        if (qel_hovered_id(ctx) == id) qel_set_cursor(ctx, d->dragging ? QEL_CURSOR_MOVE : QEL_CURSOR_HAND);
    } else {
        n->elevation = 1;
        n->elevation_strength = 1;
    }
    qel_node_push(ctx, card);
}

void qel_card_deck_card_end(qel_context* ctx)
{
    qel_node_pop(ctx);
}

// The deck's children in the opposite order, so that the card declared first is drawn last.
static void reverse_children(qel_context* ctx, int32_t parent)
{
    qel_node* p = qel_node_at(ctx, parent);
    int32_t previous = -1, c = p->first_child;
    p->last_child = c;
    while (c >= 0) {
        qel_node* n = qel_node_at(ctx, c);
        int32_t next = n->next_sibling;
        n->next_sibling = previous;
        previous = c;
        c = next;
    }
    qel_node_at(ctx, parent)->first_child = previous;
}

int32_t qel_card_deck_end(qel_context* ctx)
{
    auto* d = qel_scope_find<deck_record>(ctx);
    if (!d) return 0;
    qel_node_pop(ctx);
    reverse_children(ctx, d->node);
    qel_scope_pop<deck_record>(ctx);
    qel_set_last_item(ctx, d->id);
    return d->result;
}
