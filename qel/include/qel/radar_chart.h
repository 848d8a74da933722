// The radar chart: series of values on axes round a circle, with polygon rings as the value grid,
// a spoke and a name per axis, ring values along the clearest spoke, one polygon per series with a
// dot on every axis, a legend for several series, and a tooltip for the axis nearest the pointer's
// angle. It stands on the chart frame; a click returns the hovered axis.
#pragma once

#include <cstdint>

#include "qel/chart_frame.h"
#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// One series; the caller's, read during the call only.
struct qel_radar_series {
    const char* label;     // null reads as empty
    const float* values;   // one per axis; null reads as zeros
    int32_t count;         // axes at or past count read as 0, and "-" in the tooltip
    qel_color color;       // 0: the chart colour of its index
};

// Options of qel_radar_chart; null means all zero.
struct qel_radar_options {
    float reserved;
    float size;  // diameter; <= 0: 260
    float max;   // outer ring's value; <= 0: a round value over the data
    uint32_t reserved2;
    const char* format;  // values; null: compact
    uint8_t hide_legend;
};

// What the draw callback reads.
struct qel_radar_payload {
    qel_radar_series* series;  // values copied
    const char** axis_labels;  // null without axis names
    int32_t series_count, axis_count;
    float max, step;
    qel_radar_options options;
    float diameter;
    qel_chart_view view;
};

// --- Widget ---

// Returns the axis clicked this frame, else -1; fewer than three axes draw nothing. The values are
// copied; the series' labels, the axis label texts and the options' format are not, and they must
// stay valid until the frame ends: the draw pass reads them there.
int32_t qel_radar_chart(qel_context* ctx, const char* label, const qel_radar_series* series, int32_t series_count,
                        const char* const* axis_labels, int32_t axis_count, const qel_radar_options* options);

// The axis of n nearest the direction (dx, dy) from the centre; axis 0 points up, clockwise.
int32_t qel_radar_axis_at(float dx, float dy, int32_t n);

// user is a qel_radar_payload.
void qel_radar_chart_draw(qel_context* ctx, const qel_node* node, void* user);
