// The segmented bar: the parts of a whole as one thin rounded bar of coloured segments with 2-unit
// gaps, growing in from the left, with a wrapping legend of each item's name, value and share.
// Hovering a segment or a legend entry highlights its item and shows a tooltip. It stands on the
// chart frame and returns the clicked item.
#pragma once

#include <cstdint>

#include "qel/chart_frame.h"
#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_segmented_bar; null means all zero.
struct qel_segmented_bar_options {
    uint32_t reserved;
    qel_size width;      // kind 0: grow 1
    float bar_height;    // <= 0: 10
    const char* format;  // values
    uint8_t hide_legend;
};

// What the draw callback reads.
struct qel_segmented_bar_payload {
    qel_chart_item* items;
    int32_t count;
    float total;
    qel_segmented_bar_options options;
    float height;  // of the bar
    qel_chart_view view;
};

// --- Widget ---

// The items and the format are copied; the items' label texts are not, and must stay valid until
// the frame ends: the draw pass reads them there.
int32_t qel_segmented_bar(qel_context* ctx, const char* label, const qel_chart_item* items, int32_t count,
                          const qel_segmented_bar_options* options);

// One rectangle per item along the bar at (x, y), width wide and height high, the positive items
// sharing the width less 2-unit gaps in proportion to their values, grown to t (0..1).
void qel_chart_segment_layout(float x, float y, float width, const qel_chart_item* items, int32_t count, float total,
                              float height, float t, qel_rect* out);

// user is a qel_segmented_bar_payload.
void qel_segmented_bar_draw(qel_context* ctx, const qel_node* node, void* user);
