// What tests read of a context beyond the toolkit's public interface: the last frame's nodes,
// what a frame left open, the toasts, and the ids widgets derive for their parts. Widget tests
// read the context through these alone, so a change to its records touches this file only.
#pragma once

#include <cstring>

#include "core/core.h"
#include "kit/scopes.h"
#include "overlays/overlay_state.h"
#include "qel/id.h"

// --- Part ids ---

// A widget gives the parts it is made of its label's id XOR a constant of its own, and hashes
// per-item ids seeded with such a part id; tests find the parts by these names.
enum qel_part : uint32_t {
    PART_SCROLL_THUMB = 0x5C5C5C5Cu,  // layout: the scroll container's vertical thumb
    PART_LINK = 0x11AC0009u,  // foundation: a link
    PART_SPLIT_HANDLE = 0x77u,  // foundation: the split pane's handle
    PART_SPLIT_LINE = 0x78u,  // foundation: the split pane's divider line
    PART_TEXT_AREA = 0xED17u,  // editing: a text field's text area
    PART_STEPPER_TEXT = 0x4E554Du,  // editing: the number stepper's text
    PART_DROPDOWN = 0x3E40u,  // overlays: a dropdown's popup
    PART_CONTEXT_MENU = 0xC7Cu,  // overlays: a context menu's popup
    PART_SELECT = 0x5E1Eu,  // overlays: the select's popup
    PART_DATE_POPUP = 0xDA7Eu,  // overlays: the date picker's popup
    PART_COLOR_POPUP = 0xC010Eu,  // overlays: the colour picker's popup
    PART_DIALOG = 0xD1A106u,  // overlays: a dialog
    PART_SIDE_SHEET = 0x5EE7u,  // overlays: a side sheet
    PART_PANEL = 0x9A4Eu,  // overlays: a modal layer's panel (sheets, the command palette)
    PART_TOOLTIP_LAYER = 0x7001718u,  // kit: the tooltip's layer
    PART_TOAST_LAYER = 0x70A57u,  // overlays: the toasts' layer
    PART_CHECKBOX = 0xC0EC0001u,  // basic: a checkbox
    PART_SWITCH = 0x5D17C002u,  // basic: a switch
    PART_RADIO = 0x4AD10003u,  // basic: a radio
    PART_SLIDER = 0x51u,  // basic: a slider
    PART_RANGE_SLIDER = 0x52u,  // basic: a range slider
    PART_CHIP = 0xC41B0004u,  // basic: a toggle chip
    PART_TAB_STRIP = 0x7AB5u,  // basic: a tab strip
    PART_NAV_ITEM = 0x4A570005u,  // basic: a navigation item
    PART_LIST_ITEM = 0x115E0008u,  // basic: a list item
    PART_COLLAPSING_HEADER = 0xACC00006u,  // basic: a collapsing header
    PART_COLLAPSING_BODY = 0xACC000C6u,  // basic: a collapsing header's body
    PART_TREE_NODE = 0x7EEE0007u,  // basic: a tree node
    PART_TABLE_HEADER = 0x4EADu,  // basic: a table's header
    PART_ROW = 0x20Bu,  // basic, pickers: the rows of tables, data tables and tree views
    PART_TABLE_SCROLL = 0x7AB1E5u,  // basic: a table's scroller
    PART_SWIPE_CONTENT = 0x5F1Fu,  // basic: a swipe row's content
    PART_ALERT = 0xA1E70010u,  // basic: an alert
    PART_MENUBAR_POPUP = 0x3E40B4u,  // basic: a menu bar's popups
    PART_TITLE_EDIT = 0x1D17u,  // basic: the editable title's field
    PART_CURRENCY_TEXT = 0x3077u,  // basic: the currency field's text
    PART_DRAG_NUMBER_EDIT = 0x5C2Bu,  // basic: the drag number's field
    PART_SPLIT_BUTTON_GROUP = 0x5B17u,  // basic: the split button's group
    PART_SPLIT_BUTTON_MENU = 0x6557u,  // basic: the split button's menu
    PART_ACCOUNT_TRIGGER = 0x5E4u,  // basic: the account menu's trigger
    PART_UNNAMED_TAB = 0xD7Bu,  // basic: an unnamed tab
    PART_TAB_CLOSE = 0xC105Eu,  // basic: a tab's close box
    PART_TIMELINE_CIRCLE = 0xC1u,  // basic: a timeline entry's circle
    PART_BANNER = 0xBA22u,  // basic: a banner
    PART_BANNER_STRIP = 0xBA23u,  // basic: a banner's strip
    PART_TAG_FIELD = 0x7A6u,  // basic: the tag input's field
    PART_SORTABLE_ITEM = 0x5E0Du,  // basic: a sortable list's items
    PART_SHOW_MORE = 0xC11Fu,  // basic: the show-more text
    PART_EXPANDABLE_HEADER = 0xEC4Du,  // basic: an expandable card's header
    PART_BUTTON_GROUP = 0xB6A0u,  // basic: a button group
    PART_HOVER_CARD = 0x4C4Du,  // basic: the confirm popover's card
    PART_HEADER_CELL = 0x4E1u,  // pickers: a data table's header cells
    PART_COLUMN_HANDLE = 0x7E5u,  // pickers: a data table's column handles
    PART_SELECT_ALL = 0xA11u,  // pickers: a data table's select-all box
    PART_ROW_CHECK = 0xC4Eu,  // pickers: a data table row's check box
    PART_DATA_TABLE_SCROLL = 0x5C011u,  // pickers: a data table's scroller
    PART_CELL_FIELD = 0xF1Du,  // pickers: a data table cell's field
    PART_TREE_EXPANDER = 0xC4E7u,  // pickers: a tree view row's expander
    PART_SIGNATURE_CANVAS = 0x5161u,  // pickers: the signature pad's canvas
    PART_FORM_SPLITTER = 0x1E5A7u,  // pickers: the form layout's splitter
    PART_FORM_SECTION_HEADER = 0x6A0B9u,  // pickers: a form section's header
    PART_FORM_SECTION_BODY = 0x6106Eu,  // pickers: a form section's body
    PART_RANGE_POPUP = 0xDA7Fu,  // pickers: the date-range picker's popup
    PART_RULER = 0x2017u,  // pickers: the ruler dial
    PART_HISTOGRAM_COLUMN = 0x4157u,  // pickers: the range histogram's columns
    PART_GANTT_BAR = 0x6A7u,  // pickers: the Gantt chart's bars
    PART_MULTI_SELECT_POPUP = 0x3517u,  // pickers: the multi-select's popup
    PART_SCHEDULE_BLOCK = 0xE7u,  // pickers: the week schedule's event blocks
    PART_SCHEDULE_BODY = 0x6E1Du,  // pickers: the week schedule's body
    PART_FILE_LIST = 0x115Du,  // pickers: the file browser's list
    PART_CLOCK_FACE = 0xFACEu,  // pickers: the clock picker's face
    PART_TIME_POPUP = 0x7177u,  // pickers: the time picker's popup
    PART_TIME_HALF = 0xA9u,  // pickers: the time picker's AM and PM
    PART_KANBAN_CARD = 0xCA2Du,  // pickers: a kanban card
    PART_KANBAN_COLUMN = 0xC01u,  // pickers: a kanban column
    PART_CALENDAR_GRID = 0x6A1Du,  // pickers: the event calendar's grid
    PART_CHART_PLOT = 0x9107u,  // charts: a chart's plot
    PART_DONUT_RING = 0xD0u,  // charts: a donut's ring
    PART_CURVE_PLOT = 0x9107C0u,  // editors: the curve editor's plot
    PART_CURVE_KEY_SEED = 0xC0E7u,  // editors: hashed with a key's index, the curve editor's keys
    PART_CURVE_OUT_HANDLE = 0x4A12u,  // editors: a curve key's outgoing handle
    PART_GRADIENT_BAR = 0x7A3Bu,  // editors: the gradient editor's bar
    PART_GRADIENT_TRACK = 0x7AC4u,  // editors: the gradient editor's stop track
    PART_GRADIENT_STOP_SEED = 0x6A57u,  // editors: hashed with a stop's index, the gradient stops
    PART_TOUR_CARD = 0x70CAu,  // editors: the guided tour's card
    PART_TOUR_DOT = 0x70D0u,  // editors: the guided tour's step dots
};

// --- The last frame's tree ---

inline int32_t inspect_node_count(qel_context* ctx)
{
    return ctx->tree.count;
}

inline const qel_node* inspect_node(qel_context* ctx, int32_t index)
{
    return index >= 0 && index < ctx->tree.count ? &ctx->tree.nodes[index] : nullptr;
}

// Nodes of the last frame's tree, found by id or by their whole text; null when none.
inline const qel_node* node_with_id(qel_context* ctx, uint32_t id)
{
    for (int32_t i = 0; i < ctx->tree.count; i++)
        if (ctx->tree.nodes[i].id == id) return &ctx->tree.nodes[i];
    return nullptr;
}

inline const qel_node* node_with_text(qel_context* ctx, const char* text)
{
    for (int32_t i = 0; i < ctx->tree.count; i++) {
        const qel_node& n = ctx->tree.nodes[i];
        if ((n.flags & QEL_NODE_TEXT) && n.text && strcmp(n.text, text) == 0) return &n;
    }
    return nullptr;
}

// The first node of the last frame that a draw callback paints; null when none.
inline const qel_node* node_with_draw(qel_context* ctx, qel_draw_fn draw)
{
    for (int32_t i = 0; i < ctx->tree.count; i++)
        if (ctx->tree.nodes[i].draw == draw) return &ctx->tree.nodes[i];
    return nullptr;
}

// The id of label inside the scope a widget named scope opens.
inline uint32_t scoped_id(qel_context* ctx, const char* scope, const char* label)
{
    qel_push_id(ctx, scope);
    uint32_t id = qel_id(ctx, label);
    qel_pop_id(ctx);
    return id;
}

// --- What a frame leaves open ---

// Containers still open: the root alone once every begin met its end.
inline int32_t inspect_open_parents(qel_context* ctx)
{
    return ctx->tree.parent_depth.depth;
}

// The overlay layer being built; 0 the base.
inline uint32_t inspect_current_layer(qel_context* ctx)
{
    return ctx->tree.current_layer;
}

// Records on the scope stack, of every type.
inline int32_t inspect_open_scopes(qel_context* ctx)
{
    int32_t count = 0;
    for (const qel_scope_header* h = qel_scope_innermost(ctx); h; h = h->outer) count++;
    return count;
}

// Popups begun and not yet ended.
inline int32_t inspect_begun_popups(qel_context* ctx)
{
    return qel_overlays(ctx)->depth.depth;
}

// Disabled scopes open.
inline int32_t inspect_disabled_scopes(qel_context* ctx)
{
    return ctx->interaction.disabled_count;
}

// --- What the frame asked for and holds ---

// Another frame asked for at once (not for input or a deadline).
inline bool inspect_redraw_requested(qel_context* ctx)
{
    return ctx->clock.redraw_requested != 0;
}

// The keyboard moved the focus, so focus rings show.
inline bool inspect_focus_visible(qel_context* ctx)
{
    return ctx->interaction.focus_visible != 0;
}

// The frame's input as the widgets left it (what they took is gone).
inline const qel_input* inspect_input(qel_context* ctx)
{
    return &ctx->input;
}

// The active text field, the caret blink's clock and the field asked to select its whole text.
inline const qel_text_fields* inspect_text_fields(qel_context* ctx)
{
    return &ctx->text_fields;
}

// --- Toasts ---

inline int32_t inspect_toast_count(qel_context* ctx)
{
    return qel_overlays(ctx)->toast_count;
}

inline const qel_toast* inspect_toast(qel_context* ctx, int32_t index)
{
    return &qel_overlays(ctx)->toasts[index];
}
