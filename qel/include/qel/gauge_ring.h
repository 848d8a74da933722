// The gauge ring: one fraction between 0 and 1 as a three-quarter ring whose value arc turns
// from the primary colour to warning and danger as it fills, with the percentage in the middle
// and an optional caption. The value glides between frames; there is no interaction.
#pragma once

#include "qel/layout.h"
#include "qel/types.h"

// What the ring's draw callback reads.
struct qel_gauge_ring_payload {
    float value;          // as shown
    const char* caption;  // frame arena; null: none
};

// label names the id and is the caption; null keeps the id of "gauge" and shows no caption. size
// is the square's side, <= 0: 140.
void qel_gauge_ring(qel_context* ctx, const char* label, float value, float size);

// user is a qel_gauge_ring_payload.
void qel_gauge_ring_draw(qel_context* ctx, const qel_node* node, void* user);
