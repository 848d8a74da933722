// The gradient editor: a caller's colour gradient (gradient.h) edited in place. A rounded bar
// shows the gradient (over a checkerboard when a stop is translucent) above a track of stop
// markers; pressing the bar or the track adds a stop of the colour there, markers are dragged or
// moved by the arrow keys, and dragged away from the bar, Delete, Backspace or the Remove button
// take a stop out while three or more remain. The selected stop gets a colour picker and
// "Location" and "Opacity" fields; a double-click, Enter or Space on a marker opens the picker.
#pragma once

#include <cstdint>

#include "qel/gradient.h"
#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_gradient_editor; null or a zero field means its default.
struct qel_gradient_editor_opts {
    qel_size width;      // kind 0: grow 1
    float bar_height;    // <= 0: 28
    int32_t* selected;   // the selected stop, held by the caller; null: kept by the editor
};

// What happened in one frame.
struct qel_gradient_editor_result {
    uint8_t changed;   // a stop moved, was added, removed or recoloured
    int32_t added;     // index of the stop added this frame, -1
    int32_t removed;   // index of the stop removed this frame, -1
    int32_t selected;  // after this frame; -1 only when there are no stops
};

// --- The editor ---

// Edits stops[0 .. *count) in place (kept sorted by position, 0 to 1), adding stops while
// *count < capacity. While stops exist one is always selected (an index outside them reads as
// 0). Null stops show nothing to edit; a null count adds nothing. The label is the id; it is
// not shown.
qel_gradient_editor_result qel_gradient_editor(qel_context* ctx, const char* label, qel_gradient_stop* stops,
                                               int32_t* count, int32_t capacity,
                                               const qel_gradient_editor_opts* options);
