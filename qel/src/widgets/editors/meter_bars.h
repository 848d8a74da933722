// The level meter's bars and clip cells as the meter and the fader's built-in meter draw them.
#pragma once

#include <cstdint>

#include "qel/level_meter.h"
#include "qel/types.h"

enum { QEL_METER_MAX_CHANNELS = 8 };

// What the bars are drawn from, copied into the frame arena.
struct qel_meter_paint {
    qel_meter_channel channels[QEL_METER_MAX_CHANNELS];
    int32_t count;
    float floor_db, ceil_db;
    float thickness, scale_width;  // the scale's strip before the bars (vertical)
    uint8_t horizontal, show_scale, segmented;
    qel_color subtle, success, warning, danger, muted;
    float label_size;
};

// Fills the paint's colours and label size from the theme.
void qel_meter_paint_colors(qel_context* ctx, qel_meter_paint* p);

// The cross size of count bars of thickness, 2 px apart.
float qel_meter_cross_size(int32_t count, float thickness);

// Draws the bars (and the scale when asked) in r.
void qel_meter_bars(qel_context* ctx, const qel_meter_paint* p, qel_rect r);
