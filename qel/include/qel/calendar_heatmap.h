// The calendar heatmap: one value per day as a grid of weeks, Monday at the top and time running
// left to right, months named over their first Mondays and Monday, Wednesday and Friday at the
// left; cells in five shades, a legend from "Less" to "More" with an optional total, and the
// oldest weeks dropped when the chart is too narrow. It stands on the chart frame and returns
// the clicked day.
#pragma once

#include <cstdint>

#include "qel/chart_frame.h"
#include "qel/civil_date.h"
#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_calendar_heatmap; null means all zero.
struct qel_calendar_heatmap_options {
    uint32_t reserved;
    float cell_size;  // <= 0: 11
    qel_color color;  // ramp base; 0: the automatic series colour
    uint32_t reserved2;
    const char* format;       // tooltip and total
    const char* value_label;  // the tooltip row's name (null: "Value") and the word after the total (null: no total)
};

// What the draw callback reads.
struct qel_calendar_heatmap_payload {
    float* values;  // the shown days
    int32_t count;
    int32_t first_weekday;  // of the first shown day, 0 Monday
    int32_t weeks;
    int32_t first_day;  // day number of the first shown day
    float largest;
    double sum;  // of the positive values
    float cell, gap;
    qel_color base;  // resolved
    qel_calendar_heatmap_options options;
    qel_chart_view view;
};

// --- Widget ---

// values holds one value per day from start on. Returns the clicked day's index counted from the
// first shown day, or -1. The values are copied; the options' format and value label are not, and
// must stay valid until the frame ends: the draw pass reads them there.
int32_t qel_calendar_heatmap(qel_context* ctx, const char* label, const qel_date* start, const float* values,
                             int32_t count, const qel_calendar_heatmap_options* options);

// The shade level of a value against the largest: 0 empty (nothing positive), else 1 up to a
// quarter of the largest, 2 up to a half, 3 up to three quarters, 4 above.
int32_t qel_chart_calendar_level(float value, float largest);

// user is a qel_calendar_heatmap_payload.
void qel_calendar_heatmap_draw(qel_context* ctx, const qel_node* node, void* user);
