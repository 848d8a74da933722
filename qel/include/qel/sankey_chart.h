// The Sankey diagram: nodes in columns from left to right, derived from the links, and a ribbon
// per link as thick as its value, stacked at both ends of every node, with labels and values beside
// the nodes. It stands on the chart frame; hovering a node or ribbon highlights it with a tooltip,
// and a click on a node returns it.
#pragma once

#include <cstdint>

#include "qel/chart_frame.h"
#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// A flow of value from node source to node target.
struct qel_sankey_link {
    int32_t source, target;
    float value;
};

// Options of qel_sankey_chart; null means all zero.
struct qel_sankey_options {
    uint32_t reserved;
    qel_size width;  // kind 0: grow 1
    float height;    // <= 0: 300
    const char* format;  // values; null: compact
    float node_width;    // <= 0: 12
    uint32_t reserved2;
};

// Where everything stands; arrays in the frame arena.
struct qel_sankey_layout {
    int32_t node_count, link_count;  // link_count counts the valid links
    const char* const* labels;
    qel_sankey_link* links;  // valid ones: both ends in range and apart, value > 0; input order
    qel_rect* nodes;
    float* source_y;  // top of each ribbon at its source
    float* target_y;  // and at its target
    float scale;      // pixels per value unit
    float* inflow;
    float* outflow;
    int32_t* column;
    int32_t last_column;
    int32_t* sink_rank;  // ends with inflow by decreasing inflow from 0; -1 others
};

// What the draw callback reads.
struct qel_sankey_payload {
    int32_t node_count, link_count;
    const char* const* labels;
    qel_sankey_link* links;  // the caller's, copied
    const char* format;
    float node_width;
    qel_chart_view view;  // hovered: a node below node_count, else node_count + valid ribbon
};

// --- Widget ---

// Returns the node clicked this frame, else -1 (also for a ribbon). The links and the format are
// copied; node_labels and its texts are not, and must stay valid until the frame ends: the draw
// pass reads them there.
int32_t qel_sankey_chart(qel_context* ctx, const char* label, const char* const* node_labels, int32_t node_count,
                         const qel_sankey_link* links, int32_t link_count, const qel_sankey_options* options);

// --- Layout ---

// Lays the diagram out in r: columns (cycles stop at node_count - 1), a right margin for the last
// column's labels, one scale fitting every column, nodes centred per column and ribbon ends.
void qel_chart_sankey_layout(qel_context* ctx, const qel_rect* r, const char* const* labels, int32_t node_count,
                             const qel_sankey_link* links, int32_t link_count, float node_width, const char* format,
                             qel_sankey_layout* out);

// user is a qel_sankey_payload.
void qel_sankey_chart_draw(qel_context* ctx, const qel_node* node, void* user);
