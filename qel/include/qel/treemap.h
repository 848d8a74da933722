// The treemap: items as rectangles whose areas follow their values, laid out squarified so that
// tiles stay near square, largest first from the top left. Tiles grow in one after another,
// show their label and value when large enough, dim while another is hovered, and a tooltip
// gives the value and share. It stands on the chart frame and returns the clicked item.
#pragma once

#include <cstdint>

#include "qel/chart_frame.h"
#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_treemap; null means all zero.
struct qel_treemap_options {
    uint32_t reserved;
    qel_size width;      // kind 0: grow 1
    float height;        // <= 0: 300
    const char* format;  // values
};

// What the draw callback reads.
struct qel_treemap_payload {
    qel_chart_item* items;
    int32_t count;
    int32_t* order;  // largest first
    float total;
    const char* format;
    qel_chart_view view;
};

// --- Widget ---

// The items and the format are copied; the items' label texts are not, and must stay valid until
// the frame ends: the draw pass reads them there.
int32_t qel_treemap(qel_context* ctx, const char* label, const qel_chart_item* items, int32_t count,
                    const qel_treemap_options* options);

// One rectangle per position of order (n of them, areas in proportion to the values out of
// total), squarified into r; positions without area get an empty rectangle at r's corner.
// Frame arena.
qel_rect* qel_chart_treemap_layout(qel_context* ctx, const qel_rect* r, const qel_chart_item* items,
                                   const int32_t* order, int32_t n, float total);

// user is a qel_treemap_payload.
void qel_treemap_draw(qel_context* ctx, const qel_node* node, void* user);
