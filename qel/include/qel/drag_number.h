// The drag number: one float in a field changed by dragging sideways (one step per unit moved),
// by the arrow keys, or by typing after a click. A thin track along its bottom edge shows where the
// value lies between its bounds. The text field it turns into is text_input.h's.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_drag_number; null means all defaults.
struct qel_drag_number_opts {
    uint64_t reserved;
    float step;          // <= 0: a hundredth of the range, or 1 when the range is empty
    const char* format;  // printf format of the value; null: "%.0f"
    const char* suffix;  // muted text after the value; null: none
    const char* icon;    // icon glyphs shown instead of the label; null: the label
    qel_size width;      // all zero: fixed 160
};

// What qel_drag_number_draw paints.
struct qel_drag_number_record {
    float fraction;  // of the track filled, 0..1
    float hover;
    float focus;     // of the focus ring
    qel_color fill, track;
};

// --- The field ---

// Dragging more than 3 units moves the value from where the press found it by one step per unit
// (a tenth of a step with Shift), rounded to the step and clamped to min..max; a click without a drag, or Enter on its keyboard focus, opens the
// text field with the value selected, where Enter or leaving takes a finite number (clamped) and
// Escape keeps the value. Right and Up add a step, Left and Down take one (ten with Shift). True
// in the frame *value changed.
bool qel_drag_number(qel_context* ctx, const char* label, float* value, float min, float max,
                     const qel_drag_number_opts* options);

// --- Draw callbacks ---

// The range track along the bottom and the focus ring; user points to a qel_drag_number_record.
void qel_drag_number_draw(qel_context* ctx, const qel_node* node, void* user);
