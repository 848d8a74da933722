// The flame graph: a trace's spans as coloured bars, one row per depth, on a time axis. The user
// zooms and pans the time range, scrolls the rows, selects spans with the pointer or the arrow
// keys, zooms onto a span and reads its share of its parent in a tooltip.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// One span of the caller's array, which the widget reads and never keeps.
struct qel_flame_span {
    const char* name;    // null or empty: no label, "Unnamed span" in the tooltip
    double start, end;   // seconds
    int32_t depth;       // row, 0 at the top; negative depths are ignored
    uint32_t color_key;  // 0: derived from the name
};

// The visible time range and the rows' scroll.
struct qel_flame_view {
    double start, end;
    float scroll;  // pixels
};

// Options of qel_flame_graph; null means all zero.
struct qel_flame_options {
    uint32_t reserved;
    qel_size width;    // kind 0 and value 0: grow 1
    float height;      // <= 0: min(360, max(3, rows) x row height + 33)
    float row_height;  // <= 0: 20
    double min_span;   // the narrowest view; <= 0: 1e-8
};

struct qel_flame_result {
    uint8_t selection_changed;
    uint8_t view_changed;  // start, end or scroll
    int32_t hovered;       // span index, -1 none
    int32_t zoomed;        // span zoomed onto this frame, -1 none
};

// --- Widget ---

// The spans must be in qel_flame_sort_spans's order and must not overlap within a depth. A null
// view or selected keeps them in the widget's state; a selected index out of range reads as -1.
// The id is qel_id of label (null: "flame").
qel_flame_result qel_flame_graph(qel_context* ctx, const char* label, const qel_flame_span* spans, int32_t count,
                                 qel_flame_view* view, int32_t* selected, const qel_flame_options* options);

// Sorts into the widget's order: depth ascending, then start ascending, then end descending.
// Within a depth, spans whose start or end is not a number go after the others.
void qel_flame_sort_spans(qel_flame_span* spans, int32_t count);

// Where the span was drawn in the last frame by the flame graph of id (qel_id of its label), in
// window pixels and not cut to the plot; all zeros when it was not drawn there.
qel_rect qel_flame_span_rect(qel_context* ctx, uint32_t id, const qel_flame_span* span);
