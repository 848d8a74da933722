// The carousel: a horizontal slide show. The caller declares its slides between
// qel_carousel_begin and qel_carousel_end, each between qel_carousel_slide_begin and
// qel_carousel_slide_end; one slide fills the viewport, and the user drags or flicks it, scrolls
// sideways, presses the arrow keys, the Previous and Next buttons or the page dots, or lets it
// advance on a timer.
#pragma once

#include <cstdint>

#include "qel/types.h"

// --- Records ---

// Options of qel_carousel_begin; null means all zero.
struct qel_carousel_opts {
    uint32_t reserved;
    float height;    // not above 0: 220
    float autoplay;  // seconds a slide stays; not above 0: no autoplay
    float gap;       // between slides; not above 0: 12
    uint8_t hide_arrows, hide_dots;
    uint8_t wrap;  // the arrow keys, wheel and buttons go round from the last slide to the first
};

// --- Widgets ---

// Opens a carousel of count slides under label's id; *index (null: kept by the carousel) is the
// slide shown, clamped into the slides. Returns true.
bool qel_carousel_begin(qel_context* ctx, const char* label, int32_t count, int32_t* index,
                        const qel_carousel_opts* options);

// One slide as wide as the viewport (600 outside a carousel); its contents go in between.
void qel_carousel_slide_begin(qel_context* ctx);
void qel_carousel_slide_end(qel_context* ctx);

// The arrows and page dots; closes the carousel. Nothing without an open carousel.
void qel_carousel_end(qel_context* ctx);
