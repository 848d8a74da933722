// The waffle chart: shares as a grid of equal squares (10 x 10 by default, one square a
// percent), each item getting a whole number of squares by the largest remainders, filled column
// by column from the bottom left, with a legend of items and percentages beside the grid or under
// it when narrow. It stands on the chart frame; hovering a square or a legend row selects its
// item, and a click returns it.
#pragma once

#include <cstdint>

#include "qel/chart_frame.h"
#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_waffle_chart; null means all zero.
struct qel_waffle_options {
    uint32_t reserved;
    float cell_size;     // <= 0: 18 with gap 3; a given size has gap 3 from 12 on, else 2
    int32_t columns;     // 1..60; < 1: 10
    int32_t rows;        // 1..60; < 1: 10
    const char* format;  // tooltip values
};

// What the draw callback reads.
struct qel_waffle_payload {
    qel_chart_item* items;
    int32_t count;
    int32_t* squares;  // item of each square, -1 empty
    int32_t columns, rows;
    float cell, gap;
    float total;
    const char* format;
    qel_chart_view view;
    float min_width;
    uint8_t stacked;  // legend under the grid
};

// --- Widget ---

// The items and the format are copied; the items' label texts are not, and must stay valid until
// the frame ends: the draw pass reads them there.
int32_t qel_waffle_chart(qel_context* ctx, const char* label, const qel_chart_item* items, int32_t count,
                         const qel_waffle_options* options);

// Gives n squares out in proportion to the values: each item its whole share, then one more each
// by largest remainder (the first on a tie) until all are given; item 0's squares first. Squares
// stay empty (-1) when the values sum to nothing. Works in the frame arena.
void qel_chart_waffle_squares(qel_context* ctx, const qel_chart_item* items, int32_t count, int32_t n,
                              int32_t* squares);

// user is a qel_waffle_payload.
void qel_waffle_chart_draw(qel_context* ctx, const qel_node* node, void* user);
