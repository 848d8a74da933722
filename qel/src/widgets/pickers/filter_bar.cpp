// The filter bar: the search field, the chips with their checklist popups, the add menu and
// "Clear all". Popups and menus are the popup layer's, the field the text input's and the check
// boxes the data table's.
#include "qel/filter_bar.h"

#include <algorithm>
#include <bit>

#include "core/core.h"
#include "widgets/pickers/picker_nodes.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/button.h"
#include "qel/color.h"
#include "qel/data_table.h"
#include "qel/font.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/menu.h"
#include "qel/popup.h"
#include "qel/state.h"
#include "qel/text_input.h"
#include "qel/text_units.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

static const uint32_t POPUP_KEY = 0x3e40, CHECK_KEY = 0xCB;
static const float CHIP_HEIGHT = 30, REMOVE_SIZE = 22, POPUP_MIN_WIDTH = 220, OPTION_HEIGHT = 32;
static const float CHIP_FLASH = 0.14f, OPTION_FLASH = 0.1f;
static const char SEARCH_ICON[] = QEL_ICON_SEARCH;
static const char REMOVE_ICON[] = QEL_ICON_X;
static const char FILTER_ICON[] = QEL_ICON_FUNNEL;

static int32_t text(qel_context* ctx, const char* s, uint32_t font, float size, qel_color color, float line_height)
{
    return qel_text_leaf(ctx, s, qel_label_visible_len(s), font, size, color, false, line_height);
}

// The chip's value: "any", the one option chosen, or how many are.
static void chip_value(qel_context* ctx, const qel_filter_def& f, uint32_t value)
{
    float size = qel_text_small_scaled(ctx);
    qel_color strong = qel_theme_color(ctx, QEL_COLOR_TEXT), muted = qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED);
    int32_t chosen = std::popcount(value);
    if (chosen >= 2) {
        text(ctx, qel_arena_sprintf(ctx, "%d selected", chosen), QEL_FONT_MEDIUM, size, strong, 1.2f);
        return;
    }
    int32_t bit = chosen == 1 ? std::countr_zero(value) : -1;
    bool named = bit >= 0 && bit < std::min(f.option_count, 32) && f.options && f.options[bit];
    text(ctx, named ? f.options[bit] : "any", QEL_FONT_MEDIUM, size, named ? strong : muted, 1.2f);
}

// The remove button, 22 units square; true when clicked.
static bool remove_button(qel_context* ctx)
{
    qel_button_opts b = {};
    b.size = 1;
    b.tooltip = "Remove filter";
    b.width = {QEL_SIZE_FIXED, REMOVE_SIZE};
    bool clicked = qel_icon_button(ctx, REMOVE_ICON, &b);
    qel_node* n = qel_node_at(ctx, qel_node_at(ctx, qel_node_parent(ctx))->last_child);
    n->width = n->height = {QEL_SIZE_FIXED, REMOVE_SIZE};
    return clicked;
}

// One option of a chip's popup; true when its bit was toggled.
static bool option_row(qel_context* ctx, const char* label, int32_t index, uint32_t* value)
{
    qel_push_id_int(ctx, index);
    uint32_t id = qel_id(ctx, label);
    qel_pop_id(ctx);
    qel_interaction it = qel_interact(ctx, id, 0);
    if (it.clicked) *value ^= 1u << index;
    float flash = qel_anim_flash(ctx, id, it.hovered, OPTION_FLASH);
    qel_picker_check_row(ctx, id, OPTION_HEIGHT, flash, it.hovered);
    qel_data_table_checkbox(ctx, id ^ CHECK_KEY, (*value >> index) & 1u, false);
    text(ctx, label, QEL_FONT_BODY, qel_text_body_scaled(ctx), qel_theme_color(ctx, QEL_COLOR_TEXT), 1.3f);
    qel_node_pop(ctx);
    return it.clicked;
}

static bool chip_popup(qel_context* ctx, uint32_t popup, uint32_t chip, const qel_filter_def& f, uint32_t* value)
{
    if (!qel_popup_begin(ctx, popup, chip, QEL_PLACE_BELOW_START, 0, 6, 0, false)) return false;
    qel_node* panel = qel_node_at(ctx, qel_node_parent(ctx));
    panel->min_w = std::max(panel->min_w, POPUP_MIN_WIDTH);
    qel_menu_label(ctx, f.name);
    bool changed = false;
    int32_t options = f.options ? std::min(f.option_count, 32) : 0;
    for (int32_t j = 0; j < options; j++) changed |= option_row(ctx, f.options[j] ? f.options[j] : "", j, value);
    qel_popup_end(ctx);
    return changed;
}

// A chip for filter i: its name, "is" and the value, a remove button and the checklist popup.
// Returns true when the value changed; clears the shown bit when removed.
static bool chip(qel_context* ctx, const qel_filter_def& f, int32_t i, uint32_t* value, uint32_t* shown)
{
    qel_push_id_int(ctx, i);
    uint32_t id = qel_id(ctx, "chip"), popup = id ^ POPUP_KEY;
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
    const qel_popup_slot* slot = qel_popup_find(ctx, popup, it.clicked);
    bool open = slot && slot->open;
    if (it.clicked) qel_popup_set_open(ctx, popup, !open);
    float flash = qel_anim_flash(ctx, id, it.hovered || open, CHIP_FLASH);

    int32_t index = qel_node_pill_row(ctx, id, CHIP_HEIGHT, 10, 6, std::min(ctx->theme.current.radius_small, 15.0f));
    qel_node* n = qel_node_at(ctx, index);
    n->pad_right = 4;
    n->border = qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG);
    n->border_width = 1;
    n->fill = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_SURFACE), qel_theme_color(ctx, QEL_COLOR_TEXT),
                            0.04f + 0.04f * flash);
    qel_node_clickable(ctx, index, id, false);
    if (it.focused && it.focus_visible) qel_focus_ring(ctx, index, 1);
    qel_node_push(ctx, index);
    qel_color secondary = qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY);
    float small = qel_text_small_scaled(ctx);
    if (f.icon) qel_icon_glyph(ctx, f.icon, 14, secondary);
    text(ctx, f.name, QEL_FONT_BODY, small, secondary, 1.2f);
    text(ctx, "is", QEL_FONT_BODY, small, qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), 1.2f);
    chip_value(ctx, f, *value);
    bool changed = false;
    if (remove_button(ctx)) {
        *value = 0;
        *shown &= ~(1u << i);
        changed = true;
    }
    qel_node_pop(ctx);
    changed |= chip_popup(ctx, popup, id, f, value);
    qel_pop_id(ctx);
    return changed;
}

// The menu of filters not shown yet; a pick shows the filter's chip.
static void add_menu(qel_context* ctx, int32_t bar, const qel_filter_def* filters, int32_t count,
                     const uint32_t* values, uint32_t* shown)
{
    qel_dropdown_options d = {};
    d.icon = FILTER_ICON;
    d.variant = QEL_BUTTON_GHOST;
    bool open = qel_dropdown_begin(ctx, "Filter##add", &d);
    qel_node* trigger = qel_node_at(ctx, qel_node_at(ctx, bar)->last_child);
    trigger->height = {QEL_SIZE_FIXED, CHIP_HEIGHT};
    if (!open) return;
    for (int32_t i = 0; i < count; i++) {
        if (values[i] || (*shown >> i & 1u)) continue;
        qel_menu_item_options m = {};
        m.icon = filters[i].icon;
        qel_push_id_int(ctx, i);
        if (qel_menu_item(ctx, filters[i].name, &m)) *shown |= 1u << i;
        qel_pop_id(ctx);
    }
    qel_dropdown_end(ctx);
}

static bool search_field(qel_context* ctx, char* search, int32_t capacity)
{
    qel_text_input_opts o = {};
    o.placeholder = "Search";
    o.clear_button = 1;
    o.size = 1;
    o.width = {QEL_SIZE_FIXED, 200};
    uint32_t r = qel_input_text_ex(ctx, qel_id(ctx, "#search"), search, capacity, &o, false, false, SEARCH_ICON);
    return (r & QEL_INPUT_CHANGED) != 0;
}

bool qel_filter_bar(qel_context* ctx, const char* label, const qel_filter_def* filters, int32_t filter_count,
                    uint32_t* values, char* search, int32_t search_capacity)
{
    uint32_t id = qel_id(ctx, label);
    uint32_t* shown = qel_state_record_of<uint32_t>(ctx, id, "filter_bar");
    int32_t count = filters && values ? std::clamp(filter_count, 0, (int32_t)QEL_FILTER_BAR_MAX) : 0;
    qel_push_id(ctx, label);
    int32_t bar = qel_node_sized(ctx, id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node* n = qel_node_at(ctx, bar);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->gap = 8;
    n->flags |= QEL_NODE_WRAP;
    qel_node_push(ctx, bar);

    bool with_search = search && search_capacity >= 1;
    bool changed = with_search && search_field(ctx, search, search_capacity);
    bool any_active = false, any_hidden = false;
    for (int32_t i = 0; i < count; i++) {
        any_active |= values[i] != 0;
        if (values[i] || (*shown >> i & 1u)) changed |= chip(ctx, filters[i], i, &values[i], shown);
        else any_hidden = true;
    }
    if (any_hidden) add_menu(ctx, bar, filters, count, values, shown);
    qel_button_opts link = {};
    link.variant = QEL_BUTTON_LINK;
    link.size = 1;
    if ((any_active || (with_search && search[0])) && qel_button(ctx, "Clear all", &link)) {
        std::fill(values, values + count, 0u);
        *shown = 0;
        if (with_search) search[0] = 0;
        changed = true;
    }
    qel_node_pop(ctx);
    qel_pop_id(ctx);
    qel_set_last_item(ctx, id);
    return changed;
}
