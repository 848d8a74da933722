// Menu rows, separators and captions inside popups, and the searchable select. Opening, closing
// and navigation are the popup layer's; the select's trigger field is the kit's.
#include "qel/menu.h"

#include <cmath>
#include <cstring>

#include "core/core.h"
#include "overlays/overlay_state.h"
#include "kit/field_trigger.h"
#include "qel/anim.h"
#include "qel/color.h"
#include "qel/font.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/popup.h"
#include "qel/scroll_container.h"
#include "qel/state.h"
#include "qel/text_input.h"
#include "qel/text_units.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

static const uint32_t SELECT_KEY = 0x5E1Eu;
static const float ICON_SIZE = 16.0f, ROW_HEIGHT = 32.0f, LIST_MAX_HEIGHT = 300.0f;
static const float FADE = 0.14f;

static const qel_theme* theme(qel_context* ctx)
{
    return qel_theme_block_get(ctx);
}

// --- Menu rows ---

// The navigation of the popup the row is built in, when one is begun and its id was stored.
static qel_popup_nav* current_popup_nav(qel_context* ctx)
{
    qel_overlay_state* o = qel_overlays(ctx);
    if (o->depth.depth == 0 || o->depth.overflow > 0) return nullptr;
    return qel_popup_nav_of(ctx, o->stack[o->depth.depth - 1]);
}

static void menu_row_content(qel_context* ctx, const char* label, const qel_menu_item_options* o)
{
    qel_color strong = qel_color_token(o->destructive ? QEL_COLOR_DANGER : QEL_COLOR_TEXT);
    if (o->icon) qel_icon(ctx, o->icon, ICON_SIZE, o->destructive ? strong : qel_color_token(QEL_COLOR_TEXT_SECONDARY));
    int32_t text = qel_text_leaf(ctx, label, qel_label_visible_len(label), QEL_FONT_BODY, qel_text_body_scaled(ctx),
                                 strong, false, 1.3f);
    qel_node_at(ctx, text)->width = {QEL_SIZE_GROW, 1};
    if (o->shortcut)
        qel_text_leaf_scaled(ctx, o->shortcut, QEL_FONT_BODY, theme(ctx)->text_small,
                             qel_color_token(QEL_COLOR_TEXT_MUTED), 1.3f);
    if (o->checked) qel_icon(ctx, QEL_ICON_CHECK, ICON_SIZE, qel_color_token(QEL_COLOR_TEXT));
}

bool qel_menu_item(qel_context* ctx, const char* label, const qel_menu_item_options* options)
{
    const qel_menu_item_options none = {};
    const qel_menu_item_options* o = options ? options : &none;
    if (!label) label = "";
    qel_popup_nav* nav = current_popup_nav(ctx);
    int32_t row = nav ? nav->rows++ : -1;
    uint32_t id = qel_id(ctx, label);
    bool disabled = qel_item_disabled(ctx, o->disabled);
    qel_interaction it = qel_interact_item(ctx, id, 0, disabled);
    if (nav && it.hovered && (qel_mouse_moved(ctx) || !nav->moved_by_keyboard)) {
        nav->highlighted = row;
        nav->moved_by_keyboard = 0;
    }
    bool highlighted = nav && nav->highlighted == row;
    float amount = qel_anim_flash(ctx, id, highlighted && !disabled, 0.1f);

    int32_t index = qel_node_open(ctx, id);
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->width = {QEL_SIZE_GROW, 1};
    n->height = {QEL_SIZE_FIXED, ROW_HEIGHT};
    n->pad_left = n->pad_right = 10;
    n->gap = 10;
    n->align_self = QEL_ALIGN_STRETCH;
    qel_node_round(n, qel_row_radius(ctx));
    qel_color tint = o->destructive ? qel_color_alpha(qel_color_resolve(ctx, qel_color_token(QEL_COLOR_DANGER)), 0.1f)
                                    : qel_color_resolve(ctx, qel_color_token(QEL_COLOR_ACTIVE));
    n->fill = qel_color_alpha(tint, amount);
    n->opacity = disabled ? 0.45f : 1.0f;
    qel_node_mark_interactive(ctx, index, 0);
    if (!disabled && it.hovered) qel_set_cursor(ctx, QEL_CURSOR_HAND);
    qel_node_push(ctx, index);
    menu_row_content(ctx, label, o);
    qel_node_pop(ctx);
    qel_set_last_item(ctx, id);

    if (disabled || !(it.clicked || (highlighted && qel_key_pressed(ctx, QEL_KEY_ENTER)))) return false;
    qel_popup_close_all(ctx);
    ctx->input.key_presses[QEL_KEY_ENTER] = 0;
    return true;
}

void qel_menu_separator(qel_context* ctx)
{
    qel_style box = {};
    box.padding = 4;
    box.width = {QEL_SIZE_GROW, 1};
    qel_container_begin(ctx, &box);
    int32_t line = qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, 1});
    qel_node_at(ctx, line)->fill = qel_color_token(QEL_COLOR_BORDER);
    qel_container_end(ctx);
}

void qel_menu_label(qel_context* ctx, const char* text)
{
    qel_style box = {};
    box.padding_top = 8;
    box.padding_bottom = 4;
    box.padding_left = 10;
    qel_container_begin(ctx, &box);
    qel_text_leaf_scaled(ctx, text, QEL_FONT_MEDIUM, theme(ctx)->text_small, qel_color_token(QEL_COLOR_TEXT_MUTED),
                         1.3f);
    qel_container_end(ctx);
}

// --- Select ---

struct select_state {
    float hover;
    char search[96];
};

static void select_open_close(qel_context* ctx, qel_popup_slot* slot, select_state* st, const qel_interaction& it)
{
    if (it.clicked && !(slot->open && it.activated_by_key)) {
        qel_popup_set_open(ctx, slot->id, !slot->open);
        slot->at_point = 0;
        st->search[0] = 0;
    } else if (!slot->open && it.focused && it.focus_visible &&
               (qel_key_pressed(ctx, QEL_KEY_DOWN) || qel_key_pressed(ctx, QEL_KEY_UP))) {
        qel_popup_set_open(ctx, slot->id, true);
        st->search[0] = 0;
        ctx->input.key_presses[QEL_KEY_UP] = 0;
    }
}

static void select_trigger_content(qel_context* ctx, const char* const* items, uint32_t count, int32_t selected,
                                   const qel_select_options* o)
{
    float size = qel_text_body_scaled(ctx);
    int32_t text;
    if (selected < 0 || (uint32_t)selected >= count || !items) {
        text = qel_text_leaf(ctx, o->placeholder ? o->placeholder : "Select", -1, QEL_FONT_BODY, size,
                             qel_color_token(QEL_COLOR_TEXT_MUTED), false, 1.3f);
    } else {
        const char* icon = o->item_icons ? o->item_icons[selected] : nullptr;
        if (icon) qel_icon(ctx, icon, ICON_SIZE, qel_color_token(QEL_COLOR_TEXT_SECONDARY));
        text = qel_text_leaf(ctx, items[selected] ? items[selected] : "", -1, QEL_FONT_BODY, size,
                             qel_color_token(QEL_COLOR_TEXT), false, 1.3f);
    }
    qel_node_at(ctx, text)->width = {QEL_SIZE_GROW, 1};
    qel_icon(ctx, QEL_ICON_CHEVRONS_UP_DOWN, ICON_SIZE, qel_color_token(QEL_COLOR_TEXT_MUTED));
}

static void select_search(qel_context* ctx, const qel_popup_slot* slot, select_state* st)
{
    qel_style box = {};
    box.padding_top = 2;
    box.padding_bottom = 4;
    box.width = {QEL_SIZE_GROW, 1};
    qel_container_begin(ctx, &box);
    uint32_t field = qel_id(ctx, "#q");
    if (slot->opened_frame + 1 == ctx->clock.frame_count) qel_set_focus(ctx, field, false);
    qel_text_input_opts in = {};
    in.placeholder = "Search";
    in.autofocus = 1;
    in.size = 1;
    qel_input_text_ex(ctx, field, st->search, (int32_t)sizeof st->search, &in, false, false, QEL_ICON_SEARCH);
    qel_container_end(ctx);
}

// The rows of the items that match the search, or a line saying there are none.
static void select_list(qel_context* ctx, const char* const* items, uint32_t count, int32_t* selected,
                        const qel_select_options* o, const char* search)
{
    qel_style list = {};
    list.max_h = LIST_MAX_HEIGHT;
    list.width = {QEL_SIZE_GROW, 1};
    qel_scroll_begin(ctx, qel_id(ctx, "#list"), &list, false);
    bool shown = false;
    for (uint32_t i = 0; i < count && items; i++) {
        const char* text = items[i] ? items[i] : "";
        if (o->searchable && !qel_str_contains_nocase(text, search)) continue;
        shown = true;
        qel_push_id_int(ctx, (int32_t)i);
        qel_menu_item_options row = {};
        row.icon = o->item_icons ? o->item_icons[i] : nullptr;
        row.checked = (int64_t)i == *selected;
        if (qel_menu_item(ctx, text, &row)) *selected = (int32_t)i;
        qel_pop_id(ctx);
    }
    if (!shown) {
        qel_style box = {};
        box.padding_top = box.padding_bottom = box.padding_left = 10;
        qel_container_begin(ctx, &box);
        qel_text_leaf_scaled(ctx, "No results", QEL_FONT_BODY, theme(ctx)->text_body,
                             qel_color_token(QEL_COLOR_TEXT_MUTED), 1.3f);
        qel_container_end(ctx);
    }
    qel_scroll_end(ctx);
}

bool qel_select(qel_context* ctx, const char* label, const char* const* items, uint32_t count, int32_t* selected,
                const qel_select_options* options)
{
    const qel_select_options none = {};
    const qel_select_options* o = options ? options : &none;
    int32_t scratch = -1;
    if (!selected) selected = &scratch;
    int32_t before = *selected;
    uint32_t id = qel_id(ctx, label);
    qel_popup_slot* slot = qel_popup_find(ctx, id ^ SELECT_KEY, true);
    select_state* st = qel_state_record_of<select_state>(ctx, id, "select_state");
    bool disabled = qel_item_disabled(ctx, o->disabled);
    qel_interaction it = qel_interact_item(ctx, id, QEL_INTERACT_FOCUSABLE, disabled);
    if (slot) select_open_close(ctx, slot, st, it);
    bool open = slot && slot->open;
    qel_anim_exp(ctx, &st->hover, it.hovered ? 1.0f : 0.0f, FADE);

    qel_field_trigger f = {id, o->label, o->width, st->hover, open, disabled, 12, 10};
    int32_t node = qel_field_trigger_begin(ctx, &f);
    select_trigger_content(ctx, items, count, *selected, o);
    qel_field_trigger_end(ctx, &f, node, it.focused && it.focus_visible ? 1.0f : 0.0f);
    qel_set_last_item(ctx, id);
    if (!slot || !qel_popup_begin(ctx, slot->id, id, QEL_PLACE_BELOW_START, 0, 6, 0, true)) return *selected != before;
    if (o->searchable) select_search(ctx, slot, st);
    select_list(ctx, items, count, selected, o, st->search);
    qel_popup_end(ctx);
    return *selected != before;
}
