// Picking from short cyclic or bounded lists: the time picker, a field whose popup holds scrolling
// hour and minute columns (12-hour with AM and PM, or 24-hour); the wheel picker, an
// always-visible drum of strings that is dragged, flung, scrolled or stepped with the keys and
// settles on a spring; and the clock picker, an analog face on which the hour and then the minute
// are chosen by pointing. All read and write the caller's integers in place.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_time_picker; null means all defaults.
struct qel_time_picker_options {
    uint64_t reserved;    // not read
    const char* label;    // label line above the field; null: none
    uint8_t twelve_hour;  // 12-hour display with AM and PM
    int32_t minute_step;  // step of the minute column; <= 0: 5
    qel_size width;       // field width; not read when a label is shown
};

// Options of qel_wheel_picker; null means all defaults.
struct qel_wheel_picker_options {
    uint32_t reserved;      // not read
    int32_t visible_rows;   // < 1: 5; an even count shows one more row; at most 99
    qel_size width;         // kind fit: fixed 84
    uint8_t wrap;           // the list is cyclic
    uint8_t joined_left;    // the selection band runs to the left edge, square (wheels side by side)
    uint8_t joined_right;   // the same on the right
};

// --- Time picker ---

// A field showing the hour (0..23) and minute (0..59) that opens a popup of hour and minute
// columns scrolled to them; while it is open both are kept clamped. Returns 1 in a frame in which
// a value was picked. A minute off the column's step marks no row and stays until a pick.
int32_t qel_time_picker(qel_context* ctx, const char* label, int32_t* hour, int32_t* minute,
                        const qel_time_picker_options* options);

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
