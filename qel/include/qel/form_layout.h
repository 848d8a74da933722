// The form layout: a two-column property form with labels on the left and fields on the right,
// a draggable splitter between the columns, collapsible sections and typed field calls. Number
// fields scrub when their label is dragged sideways. Below 380 units wide, labels stand above
// their fields and the splitter goes. Immediate mode: qel_form_begin, sections and fields,
// qel_form_end, every frame.
#pragma once

#include <cstddef>
#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_form_begin; null means all defaults.
struct qel_form_options {
    uint32_t reserved;  // not read
    qel_size width;     // kind fit: grow 1
    float label_width;  // the label column's first width; <= 0: 38 % of the form (120 before it is laid out)
};

// Options shared by every field call; null means all defaults.
struct qel_form_field_options {
    uint32_t reserved;        // not read
    float min, max;           // number fields are bounded only when max > min
    float step;               // drag and scrub step; <= 0: derived from the bounds
    const char* format;       // printf format of number fields (one double); null: from the step
    const char* suffix;       // after a number or text field (a unit)
    const char* placeholder;  // of text and enumeration fields
    const char* help;         // tooltip of the label
    uint8_t disabled;         // the row is disabled
    uint8_t use_checkbox;     // boolean fields: a check box instead of a switch
};

// --- The form ---

// Opens the form under the label's id; returns 1.
int32_t qel_form_begin(qel_context* ctx, const char* label, const qel_form_options* options);

// Closes an open section and the form, and draws the splitter.
void qel_form_end(qel_context* ctx);

// A section titled title. Returns 1 when its body is shown this frame (open, or still closing,
// when its fields take no input); the fields follow only then. A null open makes a fixed section
// that is always open; otherwise a click, or Right and Left from the keyboard, open and close it.
int32_t qel_form_section(qel_context* ctx, const char* title, uint8_t* open);

// --- Rows and fields ---
// Each field call builds a row with the field in it and returns 1 when the value changed this
// frame. Outside a form a row has a 120-unit label column.

// Opens a row with its label and field cell and returns the label cell's id; the field calls use
// it and close the row again.
uint32_t qel_form_row(qel_context* ctx, const char* label, const qel_form_field_options* options, uint8_t scrub);

// A text field editing the buffer in place; nothing for a null buffer or a capacity of 0.
int32_t qel_form_text(qel_context* ctx, const char* label, char* buffer, size_t capacity,
                      const qel_form_field_options* options);

// A float in a drag number. Bounded: the step is options' or a hundredth of the range (0.1 when
// that is not above 0); unbounded: +-1e30 and 0.1. Without a format: "%.0f" for steps from 1,
// "%.1f" from 0.1, "%.2f" from 0.01, else "%.3f". The label scrubs it unless the row is disabled.
int32_t qel_form_float(qel_context* ctx, const char* label, float* value, const qel_form_field_options* options);

// An integer, stepped in double so whole 32-bit values stay exact: steps are whole (at least 1, a
// hundredth of the range when none is given); unbounded, the range is +-2147483520; the format
// defaults to "%.0f". A changed value is clamped to the range and rounded.
int32_t qel_form_int(qel_context* ctx, const char* label, int32_t* value, const qel_form_field_options* options);

// count (clamped to 1..4) components as X, Y, Z and W boxes with letters in the categorical red,
// green, blue and violet; bounds, step and format as for floats; no label scrubbing.
int32_t qel_form_vector(qel_context* ctx, const char* label, float* components, int32_t count,
                        const qel_form_field_options* options);

// A switch, or a check box with use_checkbox.
int32_t qel_form_bool(qel_context* ctx, const char* label, uint8_t* value, const qel_form_field_options* options);

// A colour picker filling the field cell.
int32_t qel_form_color(qel_context* ctx, const char* label, qel_color* colour, const qel_form_field_options* options);

// One of count items (a searchable select).
int32_t qel_form_enum(qel_context* ctx, const char* label, const char* const* items, int32_t count, int32_t* index,
                      const qel_form_field_options* options);

// Dragging the label cell sideways moves *value one step per unit (a tenth of a step with Shift)
// once it moved more than 3 units, rounded to the step and clamped to min..max. True in the frame
// the value changed.
bool qel_form_drag_value(qel_context* ctx, uint32_t label_cell, float* value, float min, float max, float step);
