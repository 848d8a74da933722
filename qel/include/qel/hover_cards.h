// Two small widgets on the popup layer: the delayed tooltip (a rich card beside the last item that
// opens after the pointer rests on it, stays while the pointer moves into it and closes a moment
// after the pointer leaves both) and the confirm popover (a title, a message and Cancel/Confirm
// beside a guarding button). Placement, motion and dismissal are the popup layer's.
#pragma once

#include <cstdint>

#include "qel/types.h"

// --- Records ---

// Options of qel_tooltip_delayed_begin; null means all defaults.
struct qel_tooltip_delayed_options {
    uint32_t placement;  // qel_placement
    float width;         // 0: 300
    float delay;         // seconds; 0: 0.45
};

// Options of qel_confirm_buttons; null means all defaults.
struct qel_confirm_options {
    const char* title;    // null: none
    const char* message;  // null: none
    const char* confirm;  // null: "Confirm"
    const char* cancel;   // null: "Cancel"
    uint8_t destructive;  // Confirm in the danger variant
    uint32_t placement;   // qel_placement
};

// --- Delayed tooltip ---

// Call right after the item it belongs to. True while the card is to be built; then the caller
// builds its contents and calls qel_tooltip_delayed_end.
bool qel_tooltip_delayed_begin(qel_context* ctx, const char* label, const qel_tooltip_delayed_options* options);
void qel_tooltip_delayed_end(qel_context* ctx);

// --- Confirm popover ---

// Exists once qel_popup_open(label) was called (typically when the guarded button is clicked) and
// sits beside the item drawn before it. Confirm holds the focus when it opens, so Enter confirms.
// True in the frame the user confirmed.
bool qel_confirm_buttons(qel_context* ctx, const char* label, const qel_confirm_options* options);
