// The popup layer: one life cycle for every floating panel (dropdowns, popovers, context menus
// and the panels other widgets build on it). Slots opened by id or label are drawn between a
// begin and an end call as an overlay layer, fade and scale in and out, close on an outside press
// or Escape, and may count their rows for Up and Down. The rows themselves are menu.h's.
#pragma once

#include "qel/types.h"

// --- Records ---

// One popup of the context's table of 32.
struct qel_popup_slot {
    uint32_t id;
    uint32_t anchor;   // the item it opens beside; 0 none
    uint8_t open;
    uint8_t at_point;  // opens at x, y instead of beside its anchor
    float x, y;        // logical pixels
    uint64_t opened_frame;
    int32_t z;  // 0 until first given
    uint64_t begun_frame;
    float spring[2];  // open amount 0..1 and its velocity
};

// Keyboard navigation of a popup, kept under popup id ^ QEL_POPUP_NAV_KEY.
struct qel_popup_nav {
    int32_t highlighted;  // row; -1 none
    int32_t rows;         // counted this frame
    int32_t last_rows;    // counted in the last frame
    int32_t moved_by_keyboard;
};

enum : uint32_t { QEL_POPUP_NAV_KEY = 0x4E4156 };

// Null options are the defaults.
struct qel_popover_options {
    uint32_t placement;  // qel_placement
    float width;         // > 0: fixed
    float padding;       // 0: 16
    float gap;           // 0: 10
};

struct qel_dropdown_options {
    const char* icon;  // null: the default menu glyph
    uint32_t variant;  // qel_button_variant
    uint32_t placement;
    float width;
    uint8_t icon_only;  // an icon button with the label as its tooltip
};

// --- Opening and closing ---

// The slot of id; with create a free one is taken when it has none (a closed slot whose fade has
// ended and that was not begun in the last 3 frames, else a new one). Null when all are busy.
qel_popup_slot* qel_popup_find(qel_context* ctx, uint32_t id, bool create);
// Opening a closed popup stamps the frame, gives it the next z order and clears its navigation.
void qel_popup_set_open(qel_context* ctx, uint32_t id, bool open);
void qel_popup_close_all(qel_context* ctx);
// By label (qel_id); close and toggle create the slot too.
void qel_popup_open(qel_context* ctx, const char* label);
void qel_popup_close(qel_context* ctx, const char* label);
void qel_popup_toggle(qel_context* ctx, const char* label);
// Never creates a slot.
bool qel_popup_is_open(qel_context* ctx, const char* label);
// The popup's navigation record, created when missing.
qel_popup_nav* qel_popup_nav_of(qel_context* ctx, uint32_t popup_id);
// Whether an open popup lies above the z order z.
bool qel_popup_open_above(qel_context* ctx, int32_t z);
// The next z order of the counter that popups and modal layers share (1001 and up): a layer of
// a widget's own takes one to open over those opened before it.
int32_t qel_overlay_next_z(qel_context* ctx);

// --- Building ---

// True when the contents are to be built now (open, or fading out with its contents disabled);
// every true needs one qel_popup_end. width > 0 is fixed, else at least the anchor's last width;
// with keyboard navigation at least 180 wide. Ids inside are scoped by the popup id.
bool qel_popup_begin(qel_context* ctx, uint32_t id, uint32_t anchor, uint32_t placement, float width,
                     float padding, float gap, bool keyboard);
// Ends the innermost begun popup; nothing when none is begun.
void qel_popup_end(qel_context* ctx);

// A popover exists once qel_popup_open was called with its label; it sits beside the item drawn
// just before it.
bool qel_popover_begin(qel_context* ctx, const char* label, const qel_popover_options* options);
void qel_popover_end(qel_context* ctx);

// A button with a chevron (or an icon button) that opens a menu popup under qel_id(label) ^ 0x3E40
// on a click, or from the keyboard on Enter, Space or Down.
bool qel_dropdown_begin(qel_context* ctx, const char* label, const qel_dropdown_options* options);
void qel_dropdown_end(qel_context* ctx);

// A menu at the pointer for the item drawn just before it, opened by a secondary press on it.
bool qel_context_menu_begin(qel_context* ctx, const char* label);
void qel_context_menu_end(qel_context* ctx);
