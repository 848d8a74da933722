// Line and bar charts: numeric series over a shared index axis with round value ticks, optional
// category labels, a legend row for two or more series, and a hover crosshair or highlighted bar
// group with a tooltip of every series' value. Both are one body in two modes; they keep their
// own state and report no click. Axis arithmetic is chart_values.h's.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// One series; the caller's, read during the call.
struct qel_line_series {
    const char* label;    // legend and tooltip; null is empty
    const float* values;  // count values, one per index
    int32_t count;        // series may differ in length
    qel_color color;      // 0: chart colour 1 + series index mod 6; else a token or literal
};

// Options of the line, bar and donut charts; null means all zero.
struct qel_series_chart_options {
    uint32_t reserved;
    qel_size width;  // kind 0: grow 1
    float height;    // of the plot; <= 0: 220
    const char* const* x_labels;  // one category label per index, optional
    int32_t x_label_count;        // <= 0: the longest series' count
    uint8_t area;                 // line: fill under the first series
    uint8_t hide_grid;
    uint8_t hide_legend;  // 1 hides the legend row
    uint8_t stacked;      // bar: stack the series at each index
    uint8_t smooth;       // line: monotone curves
    const char* format;   // axis labels and tooltip values
    float y_min, y_max;   // a fixed value range when they differ
};

// What the chart keeps under its label's id between frames.
struct qel_series_chart_state {
    float intro[2];      // spring toward 1
    float crosshair[2];  // x and its spring's velocity
    float hover_alpha;
    int32_t hovered;
    uint8_t crosshair_set;
    float plot_left;   // offset from the node's left, written back by the drawing
    float plot_width;
};

// The plot node's payload: copies of everything the drawing reads. Its options hold copies of the
// format and the category labels, with the labels' count settled (0 without labels).
struct qel_series_chart_payload {
    qel_line_series* series;
    int32_t series_count;
    qel_series_chart_options options;
    float intro;
    int32_t hovered;  // -1 unless the hover shows
    float hover_alpha;
    int32_t mode;  // 0 line, 1 bar
    qel_series_chart_state* state;
    float crosshair_x;
};

// --- Charts ---

void qel_line_chart(qel_context* ctx, const char* label, const qel_line_series* series, int32_t count,
                    const qel_series_chart_options* options);
void qel_bar_chart(qel_context* ctx, const char* label, const qel_line_series* series, int32_t count,
                   const qel_series_chart_options* options);

// The body of both: mode 0 line, 1 bar.
void qel_chart_series_core(qel_context* ctx, const char* label, const qel_line_series* series, int32_t count,
                           const qel_series_chart_options* options, int32_t mode);

// --- Value axis ---

// The value axis of a series chart: the bounds and step over every value (every running sum when
// stacked), or the fixed range with a round step. False when no series has a value.
bool qel_chart_series_range(const qel_series_chart_payload* p, float* lower, float* upper, float* step);

// --- Drawing ---

// The plot node's draw callback; user is a qel_series_chart_payload.
void qel_chart_series_draw(qel_context* ctx, const qel_node* node, void* user);

// The tooltip of an index, beside the anchor and kept near the plot.
void qel_chart_series_tooltip(qel_context* ctx, const qel_series_chart_payload* p, const qel_rect* plot,
                              float anchor_x, float anchor_y, int32_t index);
