// The curve editor: a caller's keyframe curve (curve.h) edited in place on a plot with a grid and
// axis labels. Keys are dragged (Shift or the snap option rounds to half grid steps), added by
// double-clicking the plot, moved by the arrow keys, removed by Delete, Backspace or the Remove
// button; the selected key shows its Bezier handles and a panel with its mode and its x and y.
#pragma once

#include <cstdint>

#include "qel/curve.h"
#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_curve_editor; null or a zero field means its default.
struct qel_curve_editor_opts {
    float x_min, x_max;  // horizontal range; 0 and 1
    float y_min, y_max;  // vertical range; 0 and 1
    // A range with a bound that is not finite runs 0 to 1, one whose maximum is not above its
    // minimum to minimum + 1, and one still not a positive finite width (bounds of 2^24 and
    // beyond) 0 to 1.
    qel_size width;            // kind 0: grow 1
    float plot_height;         // <= 0: 220
    const char* x_format;      // printf format of x values, used when it takes one double;
    const char* y_format;      // null: fixed-point with as many decimals as the range needs
    const char* x_name;        // in the read-outs and number fields; null: "X"
    const char* y_name;        // null: "Y"
    int32_t* selected;         // the selected key, held by the caller; null: kept by the editor
    uint8_t snap;              // always snap while dragging and adding (Shift snaps too)
    uint8_t show_marker;       // draw a vertical marker at marker_x
    float marker_x;
};

// What happened in one frame.
struct qel_curve_editor_result {
    uint8_t changed;  // a key moved, was added or removed, or its mode or handles changed
    int32_t added;    // index of the key added this frame, -1
    int32_t removed;  // index of the key removed this frame, -1
    int32_t selected;  // after this frame, -1 for none
    uint8_t hovering;  // the pointer is over the plot: hover_x and hover_y are valid
    float hover_x, hover_y;  // the pointer's x and the curve's value there
};

// --- The editor ---

// Edits keys[0 .. *count) in place (kept sorted by x), adding keys while *count < capacity. Null
// keys show an empty plot; a null count adds nothing. The label is the id; it is not shown.
qel_curve_editor_result qel_curve_editor(qel_context* ctx, const char* label, qel_curve_key* keys, int32_t* count,
                                         int32_t capacity, const qel_curve_editor_opts* options);
