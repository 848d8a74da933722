// The donut chart: shares of a whole as a ring of slices with small gaps, a large number in the
// middle (the total, the hovered slice, or the largest slice for percentage formats) and an
// optional legend beside or under the ring. Slices light up under the pointer; no click is
// reported. Its options are the series charts' record.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/series_charts.h"
#include "qel/types.h"

// What the donut keeps under its label's id.
struct qel_donut_state {
    float intro[2];  // spring toward 1
    float hover_alpha;
    int32_t hovered;
};

// What the ring's draw callback reads.
struct qel_donut_payload {
    float* values;  // negatives and missing values made 0
    int32_t count;
    float intro;
    int32_t hovered;  // -1 unless a slice's hover shows
    float hover_alpha;
    double total;
    const char* format;
    const char** labels;  // null: no slice names
};

// Reads of the options: width (kind 0: fits its content), height as the ring size (<= 0: 180),
// hide legend (1 hides it) and format (the centre number).
void qel_donut_chart(qel_context* ctx, const char* label, const float* values, const char* const* slice_labels,
                     int32_t count, const qel_series_chart_options* options);

// The slice at angle (radians clockwise from the top, 0..2 pi) of values summing to total > 0;
// -1 when none reaches it.
int32_t qel_donut_slice_at(const float* values, int32_t count, double total, float angle);

// user is a qel_donut_payload.
void qel_donut_chart_draw(qel_context* ctx, const qel_node* node, void* user);
