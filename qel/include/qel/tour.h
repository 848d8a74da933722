// The guided tour: the screen dimmed but for a rounded spotlight around the widget a step
// explains, and a card beside it with the step's title and text, a counter, progress dots and
// Back, Next and Done. Called once a frame after the window is built; it advances and ends itself.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// One step, in the caller's array.
struct qel_tour_step {
    uint32_t target;    // id of the widget to highlight (as its own code computes it); 0: none
    const char* title;  // null or empty: none
    const char* body;   // null or empty: none
    int32_t placement;  // qel_placement of the card beside the target
};

// Null means all zero.
struct qel_tour_options {
    uint32_t reserved;
    float width;           // <= 0: min(300, viewport width - 24); never more than that width - 24
    float padding;         // around the target inside the spotlight; <= 0: 6
    uint8_t block_target;  // the highlighted widget cannot be clicked either
    const char* next_label;      // null: "Next"
    const char* back_label;      // null: "Back"
    const char* done_label;      // null: "Done"
    const char* counter_format;  // two int conversions, the 1-based step and the count; else "%d of %d"
};

enum qel_tour_action : int32_t {
    QEL_TOUR_NONE = 0,
    QEL_TOUR_NEXT = 1,
    QEL_TOUR_BACK = 2,
    QEL_TOUR_DONE = 3,  // finished on the last step
    QEL_TOUR_END = 4,   // closed early
};

// Shows step *current of count (one at or past the count shows the last). Next adds one to
// *current, Back takes one away, Done and End set it to -1. Null steps, a count below 1, a null
// or negative current leave the tour inactive: nothing is drawn and QEL_TOUR_NONE returned. A
// null label is "tour".
qel_tour_action qel_tour(qel_context* ctx, const char* label, const qel_tour_step* steps, int32_t count,
                         int32_t* current, const qel_tour_options* options);

// The draw callback of the scrim layer: the dimmed screen around the spotlight hole and its ring.
void qel_tour_spotlight_draw(qel_context* ctx, const qel_node* node, void* payload);
