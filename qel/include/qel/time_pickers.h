// Picking from short cyclic or bounded lists: the wheel picker, an always-visible drum of strings
// that is dragged, flung, scrolled or stepped with the keys and settles on a spring, and the
// clock picker, an analog face on which the hour and then the minute are chosen by pointing.
// Both read and write the caller's integers in place.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_wheel_picker; null means all defaults.
struct qel_wheel_picker_options {
    uint32_t reserved;      // not read
    int32_t visible_rows;   // < 1: 5; an even count shows one more row; at most 99
    qel_size width;         // kind fit: fixed 84
    uint8_t wrap;           // the list is cyclic
    uint8_t joined_left;    // the selection band runs to the left edge, square (wheels side by side)
    uint8_t joined_right;   // the same on the right
};

// --- Wheel picker ---

// A drum of count items (labels: the text before "##" is shown) with *index in the middle band.
// Returns 1 when *index differs from its value at entry, an out-of-range index clamped included;
// nothing is built and 0 returned for count < 1.
int32_t qel_wheel_picker(qel_context* ctx, const char* label, const char* const* items, int32_t count,
                         int32_t* index, const qel_wheel_picker_options* options);

// --- Clock picker ---

// A face of size (<= 0: 248) with the hour (0..23) and minute (0..59), both clamped and written
// back, above it: the hour is pointed at first (the inner ring for 0 and 13..23), then the minute.
// Returns 1 when either differs from its value at entry.
int32_t qel_clock_picker(qel_context* ctx, const char* label, int32_t* hour, int32_t* minute, float size);
