// The multi-select: the trigger field with its chips, and the popup with search, count line,
// Select all or Clear, and check-box rows that Up, Down, Enter and Space drive. The popup, the
// trigger field and the rows' navigation record are the popup layer's.
#include "qel/multi_select.h"

#include <cmath>

#include "core/core.h"
#include "widgets/pickers/picker_nodes.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/badges_avatars.h"
#include "qel/button.h"
#include "qel/color.h"
#include "qel/data_table.h"
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

static const uint32_t POPUP_KEY = 0x3517u;
static const float ROW_HEIGHT = 32.0f, LIST_MAX_HEIGHT = 280.0f, CHIP_HEIGHT = 24.0f, REMOVE_SIZE = 18.0f;
static const char REMOVE_GLYPH[] = QEL_ICON_X;
static const char CHEVRON_GLYPH[] = QEL_ICON_CHEVRONS_UP_DOWN;
static const char SEARCH_GLYPH[] = QEL_ICON_SEARCH;

struct multi_select_state {
    float hover;
    char search[96];
};

struct row_state {
    float highlight, check;
};

static int32_t count_chosen(const uint8_t* selected, int32_t count)
{
    int32_t chosen = 0;
    for (int32_t i = 0; i < count; i++) chosen += selected[i] ? 1 : 0;
    return chosen;
}

// --- The closed field ---

static bool chip(qel_context* ctx, const char* item, int32_t index)
{
    int32_t node = qel_node_pill_row(ctx, 0, CHIP_HEIGHT, 9, 1, 12);
    qel_node* n = qel_node_at(ctx, node);
    n->fill = qel_theme_color(ctx, QEL_COLOR_ACTIVE);
    n->pad_right = 3;
    qel_node_push(ctx, node);
    qel_text_leaf(ctx, item, qel_label_visible_len(item), QEL_FONT_MEDIUM,
                  qel_text_small_scaled(ctx), qel_theme_color(ctx, QEL_COLOR_TEXT), false, 1.2f);
    qel_push_id_int(ctx, index);
    qel_button_opts remove = {};
    remove.size = 1;
    bool removed = qel_icon_button(ctx, REMOVE_GLYPH, &remove);
    if (qel_node* b = qel_node_at(ctx, qel_node_latest_with_id(ctx, qel_id(ctx, REMOVE_GLYPH)))) {
        b->width = b->height = {QEL_SIZE_FIXED, REMOVE_SIZE};
        qel_node_round(b, REMOVE_SIZE * 0.5f);
    }
    qel_pop_id(ctx);
    qel_node_pop(ctx);
    return removed;
}

static bool chip_row(qel_context* ctx, const char* label, const char* const* items, int32_t count, uint8_t* selected,
                     int32_t chosen, const qel_multi_select_options* o)
{
    int32_t max_chips = o->max_chips < 1 ? 3 : o->max_chips;
    qel_style s = {};
    s.width = {QEL_SIZE_GROW, 1};
    s.gap = 4;
    s.min_h = qel_control_height(ctx, 0) - 8;
    s.clip = 1;
    if (chosen == 0) s.padding_left = 2;
    qel_row_begin(ctx, &s);
    qel_push_id(ctx, label);
    bool changed = false;
    int32_t shown = 0;
    for (int32_t i = 0; i < count && shown < max_chips; i++) {
        if (!selected[i]) continue;
        shown++;
        if (chip(ctx, items[i] ? items[i] : "", i)) {
            selected[i] = 0;
            changed = true;
        }
    }
    if (chosen > shown) {
        qel_badge_opts more = {};
        more.size = 1;
        qel_badge(ctx, qel_arena_sprintf(ctx, "+%d", chosen - shown), &more);
    }
    if (chosen == 0)
        qel_text_leaf(ctx, o->placeholder ? o->placeholder : "Select", -1, QEL_FONT_BODY,
                      qel_text_body_scaled(ctx), qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED),
                      false, 1.3f);
    qel_pop_id(ctx);
    qel_container_end(ctx);
    return changed;
}

// --- The popup ---

static void search_box(qel_context* ctx, const qel_popup_slot* slot, multi_select_state* st, uint32_t field)
{
    qel_style box = {};
    box.padding_top = 2;
    box.padding_bottom = 4;
    box.width = {QEL_SIZE_GROW, 1};
    qel_container_begin(ctx, &box);
    if (slot->opened_frame + 1 == ctx->clock.frame_count) qel_set_focus(ctx, field, false);
    qel_text_input_opts in = {};
    in.placeholder = "Search";
    in.clear_button = 1;
    qel_input_text_ex(ctx, field, st->search, (int32_t)sizeof st->search, &in, false, false, SEARCH_GLYPH);
    qel_container_end(ctx);
}

// The count line and the button that chooses every item, or none once all are chosen.
static bool header(qel_context* ctx, uint8_t* selected, int32_t count, int32_t chosen)
{
    qel_style row = {};
    row.padding_top = row.padding_right = row.padding_bottom = 2;
    row.padding_left = 10;
    row.width = {QEL_SIZE_GROW, 1};
    qel_row_begin(ctx, &row);
    const char* line = chosen > 0 ? qel_arena_sprintf(ctx, "%d selected", chosen) : "None selected";
    int32_t text = qel_text_leaf(ctx, line, -1, QEL_FONT_MEDIUM, qel_text_small_scaled(ctx),
                                 qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), false, 1.3f);
    qel_node_at(ctx, text)->width = {QEL_SIZE_GROW, 1};
    bool all = chosen == count;
    qel_button_opts ghost = {};
    ghost.variant = QEL_BUTTON_GHOST;
    ghost.size = 1;
    const char* name = all ? "Clear##ms" : "Select all##ms";
    bool pressed = qel_button(ctx, name, &ghost);
    if (qel_node* b = qel_node_at(ctx, qel_node_latest_with_id(ctx, qel_id(ctx, name)))) b->height = {QEL_SIZE_FIXED, 24};
    qel_container_end(ctx);
    if (!pressed) return false;
    for (int32_t i = 0; i < count; i++) selected[i] = all ? 0 : 1;
    return count > 0;
}

// One listed row; true when its flag flipped.
static bool item_row(qel_context* ctx, qel_popup_nav* nav, int32_t ordinal, const char* item, const char* icon,
                     uint8_t* flag, bool space_toggles)
{
    uint32_t id = qel_id(ctx, item);
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_KEEP_FOCUS);
    if (it.hovered && (qel_mouse_moved(ctx) || !nav->moved_by_keyboard)) {
        nav->highlighted = ordinal;
        nav->moved_by_keyboard = 0;
    }
    bool highlighted = nav->highlighted == ordinal;
    bool flip = it.clicked ||
                (highlighted && (qel_key_pressed(ctx, QEL_KEY_ENTER) || (space_toggles && qel_key_pressed(ctx, QEL_KEY_SPACE))));
    if (flip) *flag = *flag ? 0 : 1;
    auto* s = qel_state_record_of<row_state>(ctx, id, "row_state");
    qel_anim_exp(ctx, &s->highlight, highlighted ? 1.0f : 0.0f, 0.1f);
    qel_anim_exp(ctx, &s->check, *flag ? 1.0f : 0.0f, 0.18f);

    int32_t node = qel_picker_check_row(ctx, id, ROW_HEIGHT, s->highlight, it.hovered);
    qel_node_at(ctx, node)->align_self = QEL_ALIGN_STRETCH;
    int32_t box = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, 16}, {QEL_SIZE_FIXED, 16});
    qel_node_at(ctx, box)->align_self = QEL_ALIGN_CENTER;
    const float look[2] = {s->check, 0.0f};  // checked, never indeterminate
    qel_node_draw_with(ctx, box, qel_data_table_checkbox_draw, look, sizeof look, false);
    if (icon) qel_icon_glyph(ctx, icon, 16, qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY));
    int32_t text = qel_text_leaf(ctx, item, qel_label_visible_len(item), QEL_FONT_BODY,
                                 qel_text_body_scaled(ctx), qel_theme_color(ctx, QEL_COLOR_TEXT),
                                 false, 1.3f);
    qel_node_at(ctx, text)->width = {QEL_SIZE_GROW, 1};
    qel_node_pop(ctx);
    return flip;
}

static bool item_list(qel_context* ctx, qel_popup_nav* nav, const char* const* items, int32_t count, uint8_t* selected,
                      const qel_multi_select_options* o, const char* search, bool space_toggles)
{
    qel_style list = {};
    list.max_h = LIST_MAX_HEIGHT;
    list.width = {QEL_SIZE_GROW, 1};
    int32_t node = qel_scroll_begin(ctx, qel_id(ctx, "#list"), &list, false);
    qel_node* n = qel_node_at(ctx, node);
    n->height = {QEL_SIZE_FIT, 0};
    n->min_h = 0;
    bool changed = false;
    int32_t listed = 0;
    for (int32_t i = 0; i < count; i++) {
        const char* item = items[i] ? items[i] : "";
        if (o->searchable && search[0] && !qel_str_contains_nocase(item, search)) continue;
        nav->rows++;
        qel_push_id_int(ctx, i);
        changed |= item_row(ctx, nav, listed++, item, o->icons ? o->icons[i] : nullptr, &selected[i], space_toggles);
        qel_pop_id(ctx);
    }
    if (listed == 0) {
        qel_style box = {};
        box.padding_top = box.padding_bottom = box.padding_left = 10;
        qel_container_begin(ctx, &box);
        qel_text_leaf(ctx, "No results", -1, QEL_FONT_BODY, qel_text_body_scaled(ctx),
                      qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), false, 1.45f);
        qel_container_end(ctx);
    }
    qel_scroll_end(ctx);
    return changed;
}

int32_t qel_multi_select(qel_context* ctx, const char* label, const char* const* items, int32_t count,
                         uint8_t* selected, const qel_multi_select_options* options)
{
    const qel_multi_select_options none = {};
    const qel_multi_select_options* o = options ? options : &none;
    if (!items || !selected || count < 0) count = 0;
    qel_picker_field f = qel_picker_field_interact(ctx, label, POPUP_KEY, sizeof(multi_select_state));
    auto* st = (multi_select_state*)f.hover;
    qel_popup_slot* slot = f.slot;
    if (slot && f.it.clicked && !(slot->open && f.it.activated_by_key)) {
        qel_popup_set_open(ctx, f.popup, !slot->open);
        st->search[0] = 0;
    } else if (slot && !slot->open && f.it.focused && f.it.focus_visible && qel_key_pressed(ctx, QEL_KEY_DOWN)) {
        qel_popup_set_open(ctx, f.popup, true);
    }

    int32_t node = qel_picker_field_begin(ctx, &f, o->label, o->width, 300);
    bool changed = chip_row(ctx, label, items, count, selected, count_chosen(selected, count), o);
    qel_icon_glyph(ctx, CHEVRON_GLYPH, 16, qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED));
    qel_picker_field_end(ctx, &f, o->label, o->width, node);
    if (!slot || !qel_popup_begin(ctx, f.popup, f.id, QEL_PLACE_BELOW_START, 0, 6, 0, true)) return changed ? 1 : 0;

    uint32_t search = qel_id(ctx, "#q");
    if (o->searchable) search_box(ctx, slot, st, search);
    // Counted again: a chip's remove button may have cleared a flag.
    changed |= header(ctx, selected, count, count_chosen(selected, count));
    // Space typed into the search box is text, not a toggle.
    bool space_toggles = !(o->searchable && qel_focused_id(ctx) == search);
    changed |= item_list(ctx, qel_popup_nav_of(ctx, f.popup), items, count, selected, o, st->search, space_toggles);
    qel_popup_end(ctx);
    return changed ? 1 : 0;
}
