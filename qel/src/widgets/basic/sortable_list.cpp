// The sortable list: the drag on the last frame's item rectangles (the kit's drag to reorder),
// the drop that moves a key in the caller's array, the slide of the other items and the lifted
// look of the dragged one. An open list is a record on the scope stack.
#include "qel/sortable_list.h"

#include <cmath>
#include <cstring>

#include "core/core.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/icons.h"
#include "qel/layout.h"
#include "qel/frame.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "kit/reorder.h"
#include "kit/scopes.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

enum { MAX_ITEMS = 256 };

static const uint32_t ITEM_KEY = 0x5e0du;
static const char GRIP_GLYPH[] = QEL_ICON_GRIP_VERTICAL;

struct qel_sortable_record {
    uint32_t id;
    uint32_t* keys;
    qel_reorder* drag;  // kept under the list's id
    float top[MAX_ITEMS], height[MAX_ITEMS];  // of the last frame
    qel_reorder_items items;
    uint8_t order_changed;
};

static uint32_t item_id(const qel_sortable_record* r, int32_t i)
{
    return qel_hash_bytes(&r->keys[i], sizeof r->keys[i], r->id ^ ITEM_KEY);
}

// Where an item's slide offset and its spring's velocity are kept.
static float* slide_of(qel_context* ctx, const qel_sortable_record* r, int32_t i)
{
    return (float*)qel_state_get(ctx, item_id(r, i) ^ 1, 2 * sizeof(float));
}

// The key moves from the dragged slot to the target and the others close up; the moved item
// lands from where it was dropped.
static void drop(qel_context* ctx, qel_sortable_record* r, int32_t from, int32_t to, float top)
{
    if (to == from) {
        slide_of(ctx, r, from)[0] = top - r->top[from];
        return;
    }
    uint32_t key = r->keys[from];
    if (from < to) memmove(&r->keys[from], &r->keys[from + 1], (size_t)(to - from) * sizeof key);
    else memmove(&r->keys[to + 1], &r->keys[to], (size_t)(from - to) * sizeof key);
    r->keys[to] = key;
    r->order_changed = 1;
    for (int32_t i = 0; i < r->items.count; i++) slide_of(ctx, r, i)[0] = 0;
    slide_of(ctx, r, to)[0] = top - r->top[to];
}

// The dragged item's centre against the others' middles picks its slot.
static void track_pointer(qel_context* ctx, qel_sortable_record* r)
{
    qel_reorder* s = r->drag;
    float y = qel_mouse_pos(ctx).y;
    bool down = qel_mouse_down(ctx, 0);
    if (!qel_reorder_follow(s, &r->items, y, down)) return;
    float top = y - s->grab, centre = top + r->height[s->dragged] * 0.5f;
    s->target = qel_reorder_target(&r->items, s->dragged, centre, centre);
    if (down) {
        ctx->interaction.active = r->id;
        return;
    }
    drop(ctx, r, s->dragged, s->target, top);
    s->dragged = -1;
}

void qel_sortable_begin(qel_context* ctx, const char* label, uint32_t* keys, int32_t count)
{
    auto* r = qel_scope_push<qel_sortable_record>(ctx);
    r->id = qel_id(ctx, label);
    r->keys = keys;
    int32_t n = !keys || count < 0 ? 0 : count < MAX_ITEMS ? count : MAX_ITEMS;
    r->items = {r->top, r->height, n, true};
    r->drag = qel_state_record_of<qel_reorder>(ctx, r->id, "qel_reorder");
    qel_reorder_begin(r->drag, n);
    for (int32_t i = 0; i < n; i++) {
        uint32_t id = item_id(r, i);
        qel_rect rect = qel_id_rect(ctx, id);
        r->items.all_known &= qel_id_seen(ctx, id);
        r->top[i] = rect.y;
        r->height[i] = rect.h;
    }
    track_pointer(ctx, r);
    qel_reorder_lift(ctx, r->drag);

    int32_t node = qel_node_sized(ctx, r->id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node_at(ctx, node)->gap = 6;
    qel_node_push(ctx, node);
}

// How far item i slides this frame: the dragged one follows the pointer, the ones it has passed
// make room for it, the rest settle back.
static float slide(qel_context* ctx, const qel_sortable_record* r, int32_t i)
{
    const qel_reorder* s = r->drag;
    float* spring = slide_of(ctx, r, i);
    int32_t d = s->dragged;
    if (d == i) {
        spring[0] = qel_mouse_pos(ctx).y - s->grab - r->top[i];
        spring[1] = 0;
        qel_request_redraw(ctx);
        return spring[0];
    }
    float shift = 0;
    if (d >= 0) {
        float gap = r->items.count > 1 ? r->top[1] - (r->top[0] + r->height[0]) : 0.0f;
        shift = r->height[d] + gap;
    }
    return qel_reorder_slide(ctx, s, i, spring, shift);
}

void qel_sortable_item(qel_context* ctx, int32_t index)
{
    qel_sortable_record* r = qel_scope_find<qel_sortable_record>(ctx);
    if (!r || index < 0 || index >= r->items.count) {
        int32_t plain = qel_node_open(ctx, 0);
        qel_node_at(ctx, plain)->direction = QEL_DIR_ROW;
        qel_node_push(ctx, plain);
        qel_push_id_int(ctx, index);
        return;
    }
    qel_reorder* s = r->drag;
    uint32_t id = item_id(r, index);
    qel_interaction it = qel_interact(ctx, id, 0);
    if (it.hovered && qel_mouse_pressed(ctx, 0)) qel_reorder_press(s, index, qel_mouse_pos(ctx).y);
    float offset = slide(ctx, r, index);

    int32_t node = qel_node_open(ctx, id);
    qel_node* n = qel_node_at(ctx, node);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->pad_top = n->pad_bottom = 10;
    n->pad_left = 8;
    n->pad_right = 14;
    n->gap = 10;
    n->fill = qel_theme_color(ctx, QEL_COLOR_SURFACE);
    n->border_width = 1;
    n->border = qel_theme_color(ctx, QEL_COLOR_BORDER);
    qel_node_round(n, ctx->theme.current.radius_small - 4);
    n->translate_y = offset;
    qel_node_mark_interactive(ctx, node, 0);
    if (s->dragged == index) {
        n->flags |= QEL_NODE_ON_TOP;
        n->elevation = 3;
        n->elevation_strength = s->lift[0];
        n->scale = 1 + 0.015f * s->lift[0];
        qel_set_cursor(ctx, QEL_CURSOR_MOVE);
    } else if (it.hovered) {
        qel_set_cursor(ctx, QEL_CURSOR_HAND);
    }
    qel_node_push(ctx, node);
    qel_icon_glyph(ctx, GRIP_GLYPH, 16, qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED));
    qel_push_id_int(ctx, (int32_t)r->keys[index]);
}

void qel_sortable_item_end(qel_context* ctx)
{
    qel_pop_id(ctx);
    qel_node_pop(ctx);
}

bool qel_sortable_end(qel_context* ctx)
{
    const auto* r = qel_scope_find<qel_sortable_record>(ctx);
    if (!r) return false;
    qel_scope_pop<qel_sortable_record>(ctx);
    qel_node_pop(ctx);
    return r->order_changed;
}
