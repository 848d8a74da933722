// Counter chips: a row of pill-shaped chips, each an icon and a count, that the user switches on
// and off as reactions under a message are. Switching one on adds one to its count with a small
// pop, switching it off takes one away, and the count rolls to its new value.
#pragma once

#include <cstdint>

#include "qel/types.h"

// --- Records ---

// One chip; the caller's, changed by clicks.
struct qel_counter_item {
    const char* icon;  // icon glyph text
    int32_t count;
    uint8_t on;
};

// --- Chips ---

// A click flips the chip's on and moves its count by one (never below 0). A count changed by the
// caller rolls too, without the pop. Returns the index of the chip clicked this frame, or -1.
int32_t qel_counter_chips(qel_context* ctx, const char* label, qel_counter_item* items, int32_t count);
