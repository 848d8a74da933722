// The loader, a small looping activity indicator in five styles drawn from the clock, and the
// glow card, a card whose background lights up under the pointer and whose border glows near
// it, optionally with a light running around the border.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

enum qel_loader_style : uint32_t {
    QEL_LOADER_DOTS = 0,
    QEL_LOADER_BARS = 1,
    QEL_LOADER_PULSE = 2,
    QEL_LOADER_ORBIT = 3,
    QEL_LOADER_GRID = 4,  // other values keep the box and draw nothing
};

// Options of qel_loader; null means all zero.
struct qel_loader_options {
    uint32_t reserved;
    uint32_t style;   // qel_loader_style
    float size;       // not above 0: 24
    qel_color color;  // 0: the secondary text colour
};

// Options of qel_glow_card_begin; null means all zero.
struct qel_glow_card_options {
    uint32_t reserved;
    qel_size width;   // kind 0: grow 1
    qel_size height;  // kind 0: the content's
    float padding;    // not above 0: 20
    float gap;        // not above 0: 10
    qel_color color;  // of the glow; 0: the accent, or the text colour without an accent preset
    uint8_t animate;  // a light runs around the border
};

// An open glow card: the node its background glow is drawn in.
struct qel_glow_card_entry {
    int32_t glow_layer;
};

// --- Widgets ---

// A size x size box (size x size / 2 for dots), centred in its parent, animating while motion
// runs.
void qel_loader(qel_context* ctx, const qel_loader_options* options);

// Opens a glow card under id's label; the caller adds its contents and closes it with
// qel_glow_card_end, which does nothing without an open card.
const qel_glow_card_entry* qel_glow_card_begin(qel_context* ctx, const char* id, const qel_glow_card_options* options);
void qel_glow_card_end(qel_context* ctx);
