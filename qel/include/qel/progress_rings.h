// Progress rings: up to eight progress values as concentric rings, outermost first, each filling
// clockwise from the top with its own spring, a shadow where a value past a full turn overlaps
// itself, optional centre texts and an optional legend of names and percentages at the right.
// It stands on the chart frame; a hovered ring or legend row shows a tooltip and a click returns it.
#pragma once

#include <cstdint>

#include "qel/chart_frame.h"
#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

enum { QEL_PROGRESS_RINGS = 8 };

// Options of qel_progress_list; null means all zero.
struct qel_progress_list_options {
    uint32_t reserved;
    float size;       // outer ring's diameter; <= 0: 150; a given size below 96 marks the chart compact
    float thickness;  // <= 0: max(8, a tenth of the size)
    uint32_t reserved2;
    const char* center_text;     // large, in the middle; null: none
    const char* center_caption;  // small, under it; null: none
    uint8_t show_legend;
};

// What qel_progress_list keeps beside its chart state: each ring's value and velocity.
struct qel_progress_state {
    float springs[QEL_PROGRESS_RINGS][2];
};

// What the draw callback reads.
struct qel_progress_payload {
    qel_chart_item* items;
    int32_t count;  // 0..8
    qel_progress_list_options options;
    float size, thickness;
    float values[QEL_PROGRESS_RINGS];  // animated, 0..4 turns
    float widest_label;
    float small_size;  // legend text size
    qel_chart_view view;
};

// --- Widget ---

// Items are fractions (1 is a full ring); only the first eight are used. Returns the ring or legend
// row clicked this frame, else -1. The items are copied; their label texts and the options' centre
// text and caption are not, and must stay valid until the frame ends: the draw pass reads them
// there.
int32_t qel_progress_list(qel_context* ctx, const char* label, const qel_chart_item* items, int32_t count,
                          const qel_progress_list_options* options);

// --- Helpers ---

// value as a percentage: one decimal below 10 % when not whole ("5.5%"), else none ("12%").
const char* qel_progress_percent_text(qel_context* ctx, float value);

// Radius of ring k's centre line in a chart of size s and thickness t; rings at or under t / 2 are
// not drawn, and neither are those inside them.
float qel_progress_ring_radius(float s, float t, int32_t k);

// user is a qel_progress_payload.
void qel_progress_list_draw(qel_context* ctx, const qel_node* node, void* user);
