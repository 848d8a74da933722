// Toolbars: measuring the items against the bar's width of the last frame, the buttons and
// separators that fit, the overflow entries of those that do not, and the "More tools" button
// with its popup whose choice clicks the item in the next frame. The bar row and slots are
// menubar's; buttons, popups and menu rows are their modules'.
#include "qel/toolbar.h"

#include <cmath>

#include "widgets/basic/bar_slots.h"
#include "core/core.h"
#include "qel/arena.h"
#include "qel/button.h"
#include "qel/font.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/menu.h"
#include "qel/popup.h"
#include "qel/state.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/scopes.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

static const uint32_t POPUP_KEY = 0xf10fu;
static const float UNKNOWN_WIDTH = 1e9f, EDGE = 12.0f, ITEM_GAP = 2.0f;
static const char DEFAULT_GLYPH[] = QEL_ICON_CIRCLE;
static const char MORE_GLYPH[] = QEL_ICON_ELLIPSIS;

void qel_toolbar_begin(qel_context* ctx, const char* label, const qel_toolbar_opts* options)
{
    const qel_toolbar_opts zero = {};
    const qel_toolbar_opts* o = options ? options : &zero;
    uint32_t id = qel_id(ctx, label);
    auto* r = qel_scope_push<qel_toolbar_record>(ctx);
    r->id = id;
    r->state = qel_state_record_of<qel_toolbar_state>(ctx, id, "qel_toolbar_state");
    r->available = UNKNOWN_WIDTH;
    r->reserved = qel_control_height(ctx, 1);
    if (qel_id_seen(ctx, id)) {
        float w = qel_id_rect(ctx, id).w - EDGE;
        if (r->state->last_used > w + 0.5f) r->available = w - (ITEM_GAP + r->reserved);
    }
    qel_node_push(ctx, qel_bar_row_node(ctx, id, !o->no_border, false));
    qel_push_id(ctx, label);
}

// Counts an item of width into the bar; true while the items still fit. Once one does not, it and
// every later item overflow.
static bool count_item(qel_toolbar_record* r, float width)
{
    if (!r) return true;
    r->used += width + (r->counted ? ITEM_GAP : 0.0f);
    r->counted = 1;
    if (!r->overflowing && r->used > r->available) r->overflowing = 1;
    return !r->overflowing;
}

static void add_entry(qel_context* ctx, qel_toolbar_record* r, const qel_toolbar_entry& e)
{
    if (r->entry_count >= QEL_TOOLBAR_MAX_OVERFLOW) return;
    qel_toolbar_entry& out = r->entries[r->entry_count++];
    out = e;
    out.text = qel_arena_strdup(ctx, e.text ? e.text : "", -1);
}

static float item_width(qel_context* ctx, const char* icon, const char* label)
{
    if (!label || !label[0]) return qel_control_height(ctx, 1);
    float width = qel_text_width_measured(ctx, QEL_FONT_MEDIUM, qel_text_small_scaled(ctx), label, -1, false) + 22;
    return icon ? width + 20 : width;
}

bool qel_toolbar_button(qel_context* ctx, const char* icon, const qel_toolbar_item_opts* options)
{
    const qel_toolbar_item_opts zero = {};
    const qel_toolbar_item_opts* o = options ? options : &zero;
    qel_toolbar_record* r = qel_scope_find<qel_toolbar_record>(ctx);
    bool disabled = qel_item_disabled(ctx, o->disabled);
    int32_t index = r ? r->items++ : 0;
    bool chosen = false;
    if (r && r->state->pending == index + 1) {
        r->state->pending = 0;
        chosen = !disabled;
    }
    bool labelled = o->label && o->label[0];
    if (!count_item(r, item_width(ctx, icon, o->label))) {
        add_entry(ctx, r, {labelled ? o->label : o->tooltip, icon, disabled, (uint8_t)(o->toggle && *o->toggle), 0, index});
    } else {
        qel_button_opts b = {};
        b.variant = QEL_BUTTON_GHOST;
        b.size = 1;
        b.disabled = disabled;
        b.selected = o->toggle && *o->toggle;
        b.tooltip = o->tooltip;
        b.shortcut = o->shortcut;
        if (labelled) {
            b.leading_icon = icon;
            chosen |= qel_button(ctx, o->label, &b);
        } else {
            if (!b.tooltip) b.tooltip = o->label;
            chosen |= qel_icon_button(ctx, icon ? icon : DEFAULT_GLYPH, &b);
        }
    }
    if (chosen && o->toggle) *o->toggle = !*o->toggle;
    return chosen;
}

void qel_toolbar_separator(qel_context* ctx)
{
    qel_toolbar_record* r = qel_scope_find<qel_toolbar_record>(ctx);
    if (!count_item(r, 11.0f)) {  // 13 with the gap before it
        add_entry(ctx, r, {nullptr, nullptr, 0, 0, 1, -1});
        return;
    }
    int32_t box = qel_node_open(ctx, 0);
    qel_node* n = qel_node_at(ctx, box);
    n->align_self = QEL_ALIGN_CENTER;
    n->pad_left = n->pad_right = 5;
    qel_node_push(ctx, box);
    int32_t line = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, 1}, {QEL_SIZE_FIXED, roundf(0.55f * qel_control_height(ctx, 1))});
    qel_node_at(ctx, line)->fill = qel_theme_color(ctx, QEL_COLOR_BORDER);
    qel_node_pop(ctx);
}

// The overflow popup's rows: separators only between two items, runs of them as one.
static void overflow_rows(qel_context* ctx, qel_toolbar_record* r)
{
    bool pending_separator = false, any_item = false;
    for (int32_t k = 0; k < r->entry_count; k++) {
        const qel_toolbar_entry& e = r->entries[k];
        if (e.separator) {
            pending_separator = any_item;
            continue;
        }
        if (pending_separator) qel_menu_separator(ctx);
        pending_separator = false;
        any_item = true;
        qel_menu_item_options row = {};
        row.icon = e.icon;
        row.disabled = e.disabled;
        row.checked = e.checked;
        qel_push_id_int(ctx, e.item);
        if (qel_menu_item(ctx, e.text[0] ? e.text : "Tool", &row)) r->state->pending = e.item + 1;
        qel_pop_id(ctx);
    }
}

static void overflow_menu(qel_context* ctx, qel_toolbar_record* r)
{
    uint32_t popup = r->id ^ POPUP_KEY;
    qel_popup_slot* slot = qel_popup_find(ctx, popup, true);
    bool open = slot && slot->open;
    qel_button_opts b = {};
    b.variant = QEL_BUTTON_GHOST;
    b.size = 1;
    b.selected = open;
    b.tooltip = "More tools";
    bool clicked = qel_icon_button(ctx, MORE_GLYPH, &b);
    uint32_t button = qel_last_item_id(ctx);
    if (!slot) return;
    const qel_interaction_state* in = &ctx->interaction;
    bool keyboard = in->focused == button && in->focus_visible;
    bool by_key = keyboard && (qel_key_pressed(ctx, QEL_KEY_ENTER) || qel_key_pressed(ctx, QEL_KEY_SPACE) ||
                               qel_key_pressed(ctx, QEL_KEY_DOWN));
    if (by_key) qel_popup_set_open(ctx, popup, true);
    else if (clicked) qel_popup_set_open(ctx, popup, !open);
    slot->at_point = 0;
    if (!qel_popup_begin(ctx, popup, button, QEL_PLACE_BELOW_END, 0, 6, 0, true)) return;
    overflow_rows(ctx, r);
    qel_popup_end(ctx);
}

void qel_toolbar_end(qel_context* ctx)
{
    qel_toolbar_record* r = qel_scope_find<qel_toolbar_record>(ctx);
    if (!r) return;
    r->state->last_used = r->used;
    if (r->entry_count > 0) overflow_menu(ctx, r);
    qel_pop_id(ctx);
    qel_node_pop(ctx);
    qel_scope_pop<qel_toolbar_record>(ctx);
}
