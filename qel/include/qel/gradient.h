// Colour gradients: a caller's array of colour stops, the gradient's colour at any position, and
// the re-sort after one stop moved. Pure computations: nothing is allocated, no toolkit state is
// read.
#pragma once

#include <cstdint>

#include "qel/types.h"

// --- Records ---

// One stop: a position (0 to 1 in the editor) and a straight-alpha colour (0xAABBGGRR).
struct qel_gradient_stop {
    float pos;
    qel_color color;
};

// --- Evaluation ---

// The colour at t: each channel (alpha too, not premultiplied) interpolated between the nearest
// stops at or below and at or above t, rounded half up. Before the first stop the first stop's
// colour, after the last the last's; of stops at one position the earliest in the array counts.
// The order of the array does not matter otherwise; stops whose position is NaN are passed over.
// 0 (transparent black) for null stops or a count below 1.
qel_color qel_gradient_evaluate(const qel_gradient_stop* stops, int32_t count, float t);

// The same for a caller that vouches for count >= 1: with a NaN t, the first stop's colour.
qel_color qel_gradient_eval_stops(const qel_gradient_stop* stops, int32_t count, float t);

// --- Edits ---

// Moves the stop at index to its sorted place after its position changed, past neighbours that
// are strictly out of order only (equal positions keep their order), and returns its new index.
// An index outside the array is returned as it is, and nothing moves.
int32_t qel_gradient_stop_resort(qel_gradient_stop* stops, int32_t count, int32_t index);
