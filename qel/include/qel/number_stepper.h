// A numeric field that edits a double through its text, with decrease and increase buttons, Up
// and Down keys (ten steps with Shift) and clamping to a range. Numbers are read and written with
// a decimal point whatever the C locale says, and only finite ones are taken.
#pragma once

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_number_stepper; null means all defaults.
struct qel_number_stepper_opts {
    uint64_t reserved;  // not read
    const char* label;  // above the stepper
    double step;        // <= 0: 1
    int32_t decimals;   // shown after the point, 0 to 17
    uint8_t disabled;
    qel_size width;     // kind 0: 160 preferred
    const char* unit;   // muted text after the number
};

// --- The stepper ---

// Edits *value within [min, max] (a minimum above the maximum is taken as the other way round; a
// bound that is no number is no bound). Typed text becomes the value as soon as it reads as a
// number; Enter or leaving the field commits it, and leaving shows the value again as formatted.
// True in the frame the value changed.
bool qel_number_stepper(qel_context* ctx, const char* label, double* value, double min, double max,
                        const qel_number_stepper_opts* opts);
