// The bubble chart: series of (x, y) points on numeric axes, as bubbles whose area follows a size
// per point or as plain dots, with a grid, tick labels, axis titles, a legend, a crosshair to the
// hovered point and a tooltip of its coordinates. It stands on the chart frame's XY layout; the
// point nearest the pointer is hovered and a click returns its flat index.
#pragma once

#include <cstdint>

#include "qel/chart_frame.h"
#include "qel/layout.h"
#include "qel/types.h"

// What the draw callback reads.
struct qel_bubble_payload {
    qel_xy_series* series;  // points and sizes copied
    int32_t series_count;
    qel_bubble_options options;
    float legend_height;
    qel_chart_view view;  // hovered is the flat index
    int32_t hovered_series, hovered_point;
};

// --- Widget ---

// Returns the flat index (earlier series' counts plus the point's own) of the point clicked this
// frame, else -1. The points and sizes are copied; the series' labels and the options' titles and
// formats are not, and must stay valid until the frame ends: the draw pass reads them there.
int32_t qel_bubble_chart(qel_context* ctx, const char* label, const qel_xy_series* series, int32_t series_count,
                         const qel_bubble_options* options);

// A point's radius before the intro: by the square root of its share of the largest size (3.5 to
// 14.5), or 4.5 for a dot.
float qel_bubble_radius(const float* sizes, int32_t i, float largest_size);

// user is a qel_bubble_payload.
void qel_bubble_chart_draw(qel_context* ctx, const qel_node* node, void* user);
