// Sparklines and stat tiles: a tiny line of a value series in a fixed box (no axes, id, state or
// interaction), and a card showing one statistic with its caption, its change as a coloured arrow
// and percentage, and an optional sparkline of recent values.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_stat_tile; null means all zero.
struct qel_stat_tile_options {
    float reserved;
    float delta;                // change in percent; its sign picks the arrow and colour
    const char* delta_text;     // beside the arrow; null: "%+.1f%%" of delta
    const float* trend_values;  // for the sparkline, optional
    int32_t trend_count;        // the sparkline needs more than 1
    const char* icon;           // icon glyph before the caption, optional
    qel_size width;             // kind 0: grow 1
    uint8_t lower_is_better;    // a falling value counts as good
};

// What a sparkline's draw callback reads.
struct qel_sparkline_payload {
    float* values;  // frame arena
    int32_t count;
    qel_color color;  // resolved
};

// --- Widgets ---

// width kind 0: fixed 120; height <= 0: 32; color 0: chart colour 1. Fewer than two values draw
// nothing.
void qel_sparkline(qel_context* ctx, const float* values, int32_t count, qel_size width, float height,
                   qel_color color);

void qel_stat_tile(qel_context* ctx, const char* caption, const char* value, const qel_stat_tile_options* options);

// --- Draw callbacks ---

// user is a qel_sparkline_payload.
void qel_sparkline_draw(qel_context* ctx, const qel_node* node, void* user);
