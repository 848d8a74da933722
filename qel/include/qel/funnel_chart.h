// The funnel chart: stages as centred bars, widths by value, joined by translucent trapezoids,
// with stage names at the left, each value on or beside its bar and the shares of the first and
// previous stages at the right. It stands on the chart frame; a hovered row shows the stage's
// count and shares in a tooltip and a click returns it.
#pragma once

#include <cstdint>

#include "qel/chart_frame.h"
#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_funnel_chart; null means all zero.
struct qel_funnel_options {
    uint32_t reserved;
    qel_size width;  // kind 0: grow 1
    uint32_t reserved2;
    const char* format;  // values; null: compact
    qel_color color;     // automatic stages' base; 0: the theme's chart colour
    uint32_t reserved3;
};

// What the draw callback reads.
struct qel_funnel_payload {
    qel_chart_item* items;
    int32_t count;
    float vmax;
    qel_funnel_options options;
    qel_color base;
    float label_width;
    qel_chart_view view;
};

// --- Widget ---

// Returns the stage row clicked this frame, else -1. The items are copied; their label texts and
// the options' format are not, and must stay valid until the frame ends: the draw pass reads them
// there.
int32_t qel_funnel_chart(qel_context* ctx, const char* label, const qel_chart_item* items, int32_t count,
                         const qel_funnel_options* options);

// The row under y, measured from the chart's top: rows 40 tall, 54 apart, each taking the gap
// above the next and 7 above itself; -1 outside count rows.
int32_t qel_funnel_row_at(float y, int32_t count);

// user is a qel_funnel_payload.
void qel_funnel_chart_draw(qel_context* ctx, const qel_node* node, void* user);
