// The speed dial: a round floating action button that opens a short stack of further round action
// buttons, each with an optional label chip, springing out one after another; choosing one closes
// the stack. Where the button sits is the caller's; the stack floats on the overlay layer.
#pragma once

#include <cstdint>

#include "qel/types.h"

// --- Records ---

// An action of the stack (the caller's array).
struct qel_speed_dial_action {
    const char* icon;   // icon glyphs
    const char* label;  // null: no chip
};

// Options of qel_speed_dial; null means all defaults.
struct qel_speed_dial_options {
    uint64_t reserved;
    const char* icon;     // the closed button's glyphs; null: U+E13D
    uint32_t placement;   // qel_placement of the stack; 0: above, end-aligned
    const char* tooltip;  // of the closed button; null: none
};

// --- Speed dial ---

// The button, and its stack while open (up to 16 actions). Returns the action chosen this frame,
// else -1.
int32_t qel_speed_dial(qel_context* ctx, const char* label, const qel_speed_dial_action* actions, int32_t count,
                       const qel_speed_dial_options* options);
