// The overlay layer's record, kept in the context through its frame hooks: the popup slots and
// the stack of begun popups, the z counter that popups and modal sheets share, the sheet stack,
// the toast queue and the installed date names; and what the layer's modules share.
#pragma once

#include <cstdint>

#include "core/stack_depth.h"
#include "qel/layout.h"
#include "qel/popup.h"

enum {
    QEL_POPUP_SLOT_CAPACITY = 32,
    QEL_POPUP_STACK_CAPACITY = 16,
    QEL_SHEET_STACK_CAPACITY = 8,
    QEL_TOAST_CAPACITY = 16,
};

struct qel_toast {
    uint32_t id;
    char title[128];
    char body[256];
    char action[48];
    uint32_t kind;
    float duration;  // seconds; below 0 never expires
    float elapsed;
    uint8_t dismissed;
    uint8_t action_clicked;
    uint8_t countdown_bar;
    float visibility[2];  // springs: value, velocity
    float y[2];
    float swipe[2];  // offset in pixels
    float grab_x;
    float drag_velocity;  // pixels per second
    uint8_t dragging;
    float height;
};

struct qel_overlay_state {
    qel_popup_slot slots[QEL_POPUP_SLOT_CAPACITY];
    int32_t slot_count;  // only grows
    uint32_t stack[QEL_POPUP_STACK_CAPACITY];  // ids of the begun popups
    qel_stack_depth depth;
    uint32_t z_counter;
    uint8_t press;  // a pointer press of this frame, kept when an outside press was consumed
    qel_stack_depth sheet_depth;  // begun sheets, so an unmatched end call does nothing
    uint32_t top_sheet, last_top_sheet;  // the topmost open sheet of this frame and the last
    int32_t top_sheet_z, last_top_sheet_z;
    qel_toast toasts[QEL_TOAST_CAPACITY];
    int32_t toast_count;
    uint32_t toast_ids;  // the last id given
    const char* const* date_names;
};

// The overlay layer's record, registering the layer's frame hooks at the first call: frame begin
// empties its begin/end stacks and consumes a press that will close an open popup; frame end
// ends popups left open and adds the toasts; and keys stay away from items under a popup or a
// modal layer.
qel_overlay_state* qel_overlays(qel_context* ctx);

// --- Shared by the modal layers (sheets and the command palette) ---

// Whether the modal id was the topmost in the last frame and no popup is open above it.
bool qel_modal_is_topmost(qel_context* ctx, uint32_t id);
// Makes the modal the frame's topmost when its z is above the others', and the layer Tab cycles
// in; one opened this frame takes the keyboard focus from the page.
void qel_modal_claim_top(qel_context* ctx, uint32_t id, int32_t z, bool opened_now);
// Opens the overlay layer with the scrim over the whole display at alpha t, as a stack that
// places the modal's panel, and pushes it; *clicked when the scrim was clicked.
int32_t qel_scrim_begin(qel_context* ctx, uint32_t layer, int32_t z, float t, bool* clicked);
void qel_scrim_end(qel_context* ctx);
// The look of a floating panel (popups, sheets, the palette): elevated fill, the border (black at light_border_alpha in the light
// theme), the radius, elevation 3, opaque to the pointer.
void qel_overlay_panel_style(qel_context* ctx, qel_node* n, float radius, float light_border_alpha);

// Moves a layer's open amount spring (value, velocity) towards open over the period of its
// direction, with *t the amount within 0..1; false once a closed layer has faded out.
bool qel_overlay_fade(qel_context* ctx, float spring[2], bool open, float open_period, float close_period, float* t);
