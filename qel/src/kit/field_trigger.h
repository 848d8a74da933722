// The trigger field that opens a popup list or calendar (the select and the date picker): an
// optional label above, a surface row bordered by hover and by the open popup's focus colour.
#pragma once

#include "qel/layout.h"

struct qel_field_trigger {
    uint32_t id;
    const char* label;  // null or empty: none
    qel_size width;     // kind fit: grow beside a label, else fit with 220 preferred
    float hover;        // 0..1
    bool open;
    bool disabled;
    float pad_left, pad_right;
};

// Opens the label column (when there is a label) and the trigger row, and pushes the row;
// returns its node.
int32_t qel_field_trigger_begin(qel_context* ctx, const qel_field_trigger* f);
// Closes the row (with the focus ring at focus_ring) and the label column.
void qel_field_trigger_end(qel_context* ctx, const qel_field_trigger* f, int32_t node, float focus_ring);
