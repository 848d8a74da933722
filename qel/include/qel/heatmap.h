// The heatmap: rows x columns of values as cells on the chart colour ramp, with row and column
// labels, a gradient legend of the range's ends, a ring round the hovered cell and a tooltip
// naming it. It stands on the chart frame and returns the clicked cell.
#pragma once

#include <cstdint>

#include "qel/chart_frame.h"
#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_heatmap; null means all zero.
struct qel_heatmap_options {
    uint64_t reserved;
    const char* const* row_labels;     // one per row, optional; null entries allowed
    const char* const* column_labels;  // one per column, optional
    float cell_size;                   // <= 0: automatic
    float min, max;                    // the colour range when max > min, else the data's
    qel_color color;                   // ramp base; 0: the automatic series colour
    const char* format;                // legend ends and tooltip
    qel_size width;  // kind 0: grow 1, or fixed to the grid with a cell size
};

// Where the grid lies.
struct qel_heatmap_layout {
    float label_width;
    float cell, gap;
    float grid_left, grid_top, grid_height;
};

// What the draw callback reads.
struct qel_heatmap_payload {
    float* values;  // rows x columns, row after row
    int32_t rows, columns;
    float min, max;
    qel_heatmap_options options;
    qel_color base;  // resolved
    qel_chart_view view;
};

// --- Widget ---

// values holds rows x columns values, the value of row r and column c at r x columns + c; negative
// counts and a null array count as none. Returns the clicked cell's index, or -1. The values are
// copied; the options' row and column labels and format are not, and must stay valid until the
// frame ends: the draw pass reads them there.
int32_t qel_heatmap(qel_context* ctx, const char* label, const float* values, int32_t rows, int32_t columns,
                    const qel_heatmap_options* options);

// The grid at (x, y) in width (<= 0: unknown): cells of at most 56 with gap 3, tightened to cells
// of 6..12 with gap 2 when the columns would not fit. Null options mean defaults.
qel_heatmap_layout qel_chart_heatmap_layout(qel_context* ctx, float x, float y, float width, int32_t rows,
                                            int32_t columns, const qel_heatmap_options* options);

// user is a qel_heatmap_payload.
void qel_heatmap_draw(qel_context* ctx, const qel_node* node, void* user);
