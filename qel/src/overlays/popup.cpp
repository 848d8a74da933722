// The popup layer: the slot table and its life cycle, the begin and end of a popup's overlay with
// its fade, outside press, Escape and Up/Down navigation, the popover, dropdown and context menu
// entries, and the frame cycle's hooks that empty the begin/end stacks and close what callers
// left open. The rows inside popups are menu.cpp's; toasts and tooltips draw themselves.
#include "qel/popup.h"

#include <cmath>
#include <cstring>

#include "core/core.h"
#include "overlays/overlay_state.h"
#include "qel/anim.h"
#include "qel/button.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/theme.h"
#include "qel/toast.h"
#include "kit/widget_nodes.h"

static const uint32_t DROPDOWN_KEY = 0x3E40u, CONTEXT_MENU_KEY = 0xC7Cu;
static const int32_t Z_BASE = 1001;
static const float OPEN_PERIOD = 0.28f, CLOSE_PERIOD = 0.16f;
static const float ANCHOR_GAP = 6.0f, SLIDE = 6.0f, MAX_HEIGHT = 420.0f, KEYBOARD_MIN_WIDTH = 180.0f;

int32_t qel_overlay_next_z(qel_context* ctx)
{
    return Z_BASE + (int32_t)qel_overlays(ctx)->z_counter++;
}

bool qel_overlay_fade(qel_context* ctx, float spring[2], bool open, float open_period, float close_period, float* t)
{
    float v = qel_anim_spring(ctx, spring, open ? 1.0f : 0.0f, open ? open_period : close_period, 0);
    if (!open && v <= 0.01f) {
        spring[0] = spring[1] = 0;
        return false;
    }
    *t = fminf(fmaxf(v, 0.0f), 1.0f);
    return true;
}

// --- Slots ---

qel_popup_slot* qel_popup_find(qel_context* ctx, uint32_t id, bool create)
{
    qel_overlay_state* o = qel_overlays(ctx);
    for (int32_t i = 0; i < o->slot_count; i++)
        if (o->slots[i].id == id) return &o->slots[i];
    if (!create) return nullptr;
    uint64_t frame = ctx->clock.frame_count;
    qel_popup_slot* s = nullptr;
    for (int32_t i = 0; i < o->slot_count && !s; i++) {
        qel_popup_slot* old = &o->slots[i];
        if (!old->open && old->spring[0] <= 0.001f && frame - old->begun_frame >= 3) s = old;
    }
    if (!s && o->slot_count < QEL_POPUP_SLOT_CAPACITY) s = &o->slots[o->slot_count++];
    if (!s) return nullptr;
    *s = {};
    s->id = id;
    return s;
}

qel_popup_nav* qel_popup_nav_of(qel_context* ctx, uint32_t popup_id)
{
    return (qel_popup_nav*)qel_state_get(ctx, popup_id ^ QEL_POPUP_NAV_KEY, sizeof(qel_popup_nav));
}

void qel_popup_set_open(qel_context* ctx, uint32_t id, bool open)
{
    qel_popup_slot* s = qel_popup_find(ctx, id, true);
    if (!s) return;
    if (open && !s->open) {
        s->opened_frame = ctx->clock.frame_count;
        s->z = qel_overlay_next_z(ctx);
        qel_popup_nav* nav = qel_popup_nav_of(ctx, id);
        nav->highlighted = -1;
        nav->moved_by_keyboard = 0;
    }
    s->open = open;
}

void qel_popup_close_all(qel_context* ctx)
{
    qel_overlay_state* o = qel_overlays(ctx);
    for (int32_t i = 0; i < o->slot_count; i++) o->slots[i].open = 0;
}

void qel_popup_open(qel_context* ctx, const char* label)
{
    qel_popup_set_open(ctx, qel_id(ctx, label), true);
}

void qel_popup_close(qel_context* ctx, const char* label)
{
    qel_popup_set_open(ctx, qel_id(ctx, label), false);
}

void qel_popup_toggle(qel_context* ctx, const char* label)
{
    qel_popup_slot* s = qel_popup_find(ctx, qel_id(ctx, label), true);
    if (s) qel_popup_set_open(ctx, s->id, !s->open);
}

bool qel_popup_is_open(qel_context* ctx, const char* label)
{
    const qel_popup_slot* s = qel_popup_find(ctx, qel_id(ctx, label), false);
    return s && s->open;
}

// An open popup opened after s (a higher z), so s is not the topmost.
static const qel_popup_slot* later_open_popup(qel_context* ctx, const qel_popup_slot* s)
{
    qel_overlay_state* o = qel_overlays(ctx);
    for (int32_t i = 0; i < o->slot_count; i++) {
        const qel_popup_slot* other = &o->slots[i];
        if (other != s && other->open && other->z > s->z) return other;
    }
    return nullptr;
}

// The open popup whose layer is id; null when none.
static const qel_popup_slot* open_popup_of_layer(qel_context* ctx, uint32_t layer)
{
    const qel_popup_slot* s = layer ? qel_popup_find(ctx, layer, false) : nullptr;
    return s && s->open ? s : nullptr;
}

// Whether a pointer press of this frame closes the open popup s: it lands outside the popup and
// outside every popup opened after it, and not on its anchor, which toggles it itself.
static bool press_closes(qel_context* ctx, const qel_popup_slot* s)
{
    const qel_interaction_state* in = &ctx->interaction;
    if (in->hover_layer == s->id) return false;
    const qel_popup_slot* under = open_popup_of_layer(ctx, in->hover_layer);
    if (under && under->z >= s->z) return false;
    if (s->anchor && in->hovered == s->anchor) return false;
    return s->opened_frame != ctx->clock.frame_count;
}

// --- Building ---

static void style_panel(qel_context* ctx, int32_t index, const qel_popup_slot* s, uint32_t placement,
                        float width, float padding, float gap, bool keyboard, float t)
{
    const qel_theme* th = qel_theme_block_get(ctx);
    qel_rect anchor = qel_id_rect(ctx, s->anchor);
    bool anchor_seen = s->anchor && qel_id_seen(ctx, s->anchor);
    qel_node* n = qel_node_at(ctx, index);
    qel_overlay_panel_style(ctx, n, th->radius_medium, 0.07f);
    n->pad_top = n->pad_right = n->pad_bottom = n->pad_left = padding;
    n->gap = gap;
    n->opacity = t;
    n->scale = 0.96f + 0.04f * t;
    bool above = placement >= QEL_PLACE_ABOVE_START && placement <= QEL_PLACE_ABOVE_END && !s->at_point;
    n->translate_y = (1 - t) * SLIDE * (above ? 1 : -1);
    if (width > 0) n->width = {QEL_SIZE_FIXED, width};
    else if (anchor_seen) n->min_w = anchor.w;
    if (keyboard && n->min_w < KEYBOARD_MIN_WIDTH && width <= 0) n->min_w = KEYBOARD_MIN_WIDTH;
    n->max_h = MAX_HEIGHT;
}

// Up and Down over the rows the popup counted in the last frame, wrapping.
static void navigate(qel_context* ctx, const qel_popup_slot* s, qel_popup_nav* nav)
{
    if (!s->open || later_open_popup(ctx, s) || nav->last_rows <= 0) return;
    if (qel_key_pressed(ctx, QEL_KEY_DOWN)) {
        nav->moved_by_keyboard = 1;
        nav->highlighted = (nav->highlighted + 1) % nav->last_rows;
        if (nav->highlighted < 0) nav->highlighted = 0;
    }
    if (qel_key_pressed(ctx, QEL_KEY_UP)) {
        nav->moved_by_keyboard = 1;
        nav->highlighted = nav->highlighted > 0 ? nav->highlighted - 1 : nav->last_rows - 1;
    }
}

// Escape and outside presses close the slot; the spring follows. False once it has faded out.
static bool advance(qel_context* ctx, qel_popup_slot* s, float* t)
{
    qel_overlay_state* o = qel_overlays(ctx);
    if (s->open && !later_open_popup(ctx, s) && qel_key_take(ctx, QEL_KEY_ESCAPE)) s->open = 0;
    if (s->open && o->press && press_closes(ctx, s)) s->open = 0;
    return qel_overlay_fade(ctx, s->spring, s->open, OPEN_PERIOD, CLOSE_PERIOD, t);
}

bool qel_popup_begin(qel_context* ctx, uint32_t id, uint32_t anchor, uint32_t placement, float width,
                     float padding, float gap, bool keyboard)
{
    qel_popup_slot* s = qel_popup_find(ctx, id, false);
    if (!s) return false;
    s->begun_frame = ctx->clock.frame_count;
    float t = 0;
    if (!advance(ctx, s, &t)) return false;
    s->anchor = anchor;
    if (!s->z) s->z = qel_overlay_next_z(ctx);
    int32_t index = s->at_point ? qel_overlay_begin(ctx, id, s->z, 0, QEL_PLACE_AT, 0)
                                : qel_overlay_begin(ctx, id, s->z, anchor, (uint8_t)placement, ANCHOR_GAP);
    if (s->at_point) {
        qel_node* n = qel_node_at(ctx, index);
        n->x = s->x;
        n->y = s->y;
    }
    style_panel(ctx, index, s, placement, width, padding, gap, keyboard, t);
    qel_interaction_state* in = &ctx->interaction;
    if (s->open && s->z > in->top_layer_z) {
        in->top_layer = id;
        in->top_layer_z = s->z;
    }
    qel_overlay_state* o = qel_overlays(ctx);
    if (qel_stack_push(&o->depth, QEL_POPUP_STACK_CAPACITY)) o->stack[o->depth.depth - 1] = id;
    qel_push_disabled(ctx, !s->open);  // a fading popup's contents take no input
    qel_push_id_int(ctx, (int32_t)id);
    qel_popup_nav* nav = qel_popup_nav_of(ctx, id);
    nav->last_rows = nav->rows;
    nav->rows = 0;
    if (keyboard) navigate(ctx, s, nav);
    return true;
}

void qel_popup_end(qel_context* ctx)
{
    qel_overlay_state* o = qel_overlays(ctx);
    if (o->depth.depth == 0 && o->depth.overflow == 0) return;
    qel_stack_pop(&o->depth, 0);
    qel_pop_id(ctx);
    qel_pop_disabled(ctx);
    qel_overlay_end(ctx);
}

bool qel_popover_begin(qel_context* ctx, const char* label, const qel_popover_options* options)
{
    const qel_popover_options none = {};
    const qel_popover_options* op = options ? options : &none;
    qel_popup_slot* s = qel_popup_find(ctx, qel_id(ctx, label), false);
    if (!s) return false;
    if (!s->anchor || ctx->clock.frame_count - s->opened_frame <= 1) s->anchor = qel_last_item_id(ctx);
    return qel_popup_begin(ctx, s->id, s->anchor, op->placement, op->width, op->padding > 0 ? op->padding : 16,
                           op->gap > 0 ? op->gap : 10, false);
}

void qel_popover_end(qel_context* ctx)
{
    qel_popup_end(ctx);
}

static uint32_t dropdown_trigger(qel_context* ctx, const char* label, const qel_dropdown_options* op, bool open,
                                 bool* clicked)
{
    qel_button_opts b = {};
    b.variant = op->variant;
    b.selected = open;
    if (op->icon_only) {
        b.tooltip = label;
        *clicked = qel_icon_button(ctx, op->icon ? op->icon : QEL_ICON_ELLIPSIS, &b);
    } else {
        b.trailing_icon = QEL_ICON_CHEVRON_DOWN;
        *clicked = qel_button(ctx, label, &b);
    }
    uint32_t trigger = qel_last_item_id(ctx);
    qel_node* n = qel_node_at(ctx, qel_node_latest_with_id(ctx, trigger));
    if (n) n->scale = 1;
    return trigger;
}

bool qel_dropdown_begin(qel_context* ctx, const char* label, const qel_dropdown_options* options)
{
    const qel_dropdown_options none = {};
    const qel_dropdown_options* op = options ? options : &none;
    uint32_t id = qel_id(ctx, label) ^ DROPDOWN_KEY;
    qel_popup_slot* s = qel_popup_find(ctx, id, true);
    bool clicked = false;
    uint32_t trigger = dropdown_trigger(ctx, label, op, s && s->open, &clicked);
    if (!s) return false;
    const qel_interaction_state* in = &ctx->interaction;
    bool keyboard_focus = in->focused == trigger && in->focus_visible;
    if (keyboard_focus && (qel_key_pressed(ctx, QEL_KEY_ENTER) || qel_key_pressed(ctx, QEL_KEY_SPACE))) {
        if (!s->open && clicked) qel_popup_set_open(ctx, id, true);
    } else if (clicked) {
        qel_popup_set_open(ctx, id, !s->open);
    }
    s->at_point = 0;
    if (!s->open && keyboard_focus && qel_key_pressed(ctx, QEL_KEY_DOWN)) qel_popup_set_open(ctx, id, true);
    return qel_popup_begin(ctx, id, trigger, op->placement, op->width, 6, 0, true);
}

void qel_dropdown_end(qel_context* ctx)
{
    qel_popup_end(ctx);
}

bool qel_context_menu_begin(qel_context* ctx, const char* label)
{
    uint32_t id = qel_id(ctx, label) ^ CONTEXT_MENU_KEY;
    uint32_t item = qel_last_item_id(ctx);
    if (item && item == qel_hovered_id(ctx) && qel_mouse_pressed(ctx, 1)) {
        qel_popup_close_all(ctx);
        qel_popup_set_open(ctx, id, true);
        qel_popup_slot* s = qel_popup_find(ctx, id, false);
        if (s) {
            qel_vec2 p = qel_mouse_pos(ctx);
            s->at_point = 1;
            s->x = p.x;
            s->y = p.y;
        }
    }
    if (!qel_popup_find(ctx, id, false)) return false;
    return qel_popup_begin(ctx, id, item, 0, 0, 6, 0, true);
}

void qel_context_menu_end(qel_context* ctx)
{
    qel_popup_end(ctx);
}

// --- Frame hooks ---

// A press this frame that an open popup will close is taken from the frame's input, so the item
// beneath does not act on it; the popups themselves still see it.
static void consume_outside_press(qel_context* ctx)
{
    qel_overlay_state* o = qel_overlays(ctx);
    qel_input* in = &ctx->input;
    o->press = in->pressed[0] || in->pressed[1];
    if (!o->press) return;
    for (int32_t i = 0; i < o->slot_count; i++) {
        const qel_popup_slot* s = &o->slots[i];
        if (!s->open || s->begun_frame + 1 < ctx->clock.frame_count || !press_closes(ctx, s)) continue;
        in->pressed[0] = in->pressed[1] = 0;
        ctx->interaction.hovered = 0;
        return;
    }
}

// The z order of the overlay layer being built; 0 for the base.
static int32_t current_layer_z(qel_context* ctx)
{
    const qel_layout_tree* t = &ctx->tree;
    if (!t->current_layer) return 0;
    for (int32_t k = t->overlay_count - 1; k >= 0; k--) {
        const qel_node* n = &t->nodes[t->overlays[k]];
        if (n->id == t->current_layer) return n->z;
    }
    return 0;
}

bool qel_popup_open_above(qel_context* ctx, int32_t z)
{
    const qel_overlay_state* o = qel_overlays(ctx);
    for (int32_t i = 0; i < o->slot_count; i++)
        if (o->slots[i].open && o->slots[i].z > z) return true;
    return false;
}

// --- The layer's frame hooks ---

// Frame begin, after the root is opened: empties the begin/end stacks and consumes a press that
// will close an open popup, so nothing beneath the popup acts on it.
static void frame_begin(qel_context* ctx, void* record)
{
    auto* o = (qel_overlay_state*)record;
    o->depth = {};
    o->sheet_depth = {};
    o->last_top_sheet = o->top_sheet;
    o->last_top_sheet_z = o->top_sheet_z;
    o->top_sheet = 0;
    o->top_sheet_z = 0;
    consume_outside_press(ctx);
}

// Frame finish, first: ends the popups left open, then adds the toasts.
static void frame_end(qel_context* ctx, void* record)
{
    const auto* o = (const qel_overlay_state*)record;
    while (o->depth.depth > 0 || o->depth.overflow > 0) qel_popup_end(ctx);
    qel_toast_draw_stack(ctx);
}

// An open modal layer above the layer being built keeps every key from its items, an open popup
// above it keyboard navigation.
static int32_t keys_blocked(qel_context* ctx, void* record)
{
    const auto* o = (const qel_overlay_state*)record;
    int32_t z = current_layer_z(ctx);
    if (o->last_top_sheet && o->last_top_sheet_z > z) return 2;
    return qel_popup_open_above(ctx, z) ? 1 : 0;
}

// Before the tooltip, which is drawn over everything.
static const qel_frame_hooks OVERLAY_HOOKS = {100, sizeof(qel_overlay_state), frame_begin, frame_end, nullptr, nullptr,
                                              keys_blocked};

qel_overlay_state* qel_overlays(qel_context* ctx)
{
    return (qel_overlay_state*)qel_frame_hooks_record(ctx, &OVERLAY_HOOKS);
}
