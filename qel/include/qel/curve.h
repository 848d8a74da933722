// Keyframe curves: a caller's array of keys sorted by x, each starting a step, linear, smooth or
// free Bezier segment; the curve's value at any x, and the two edits the curve editor applies to
// keys. Pure computations on the caller's array: nothing is allocated, no toolkit state is read.
#pragma once

#include <cstdint>

// --- Records ---

// How the segment that starts at a key runs. Labels in the editor: "Smooth", "Free", "Linear",
// "Step". Any other value behaves like Smooth.
enum qel_curve_mode : uint8_t {
    QEL_CURVE_SMOOTH = 0,  // cubic Bezier with automatic, monotone-preserving tangents
    QEL_CURVE_FREE = 1,    // cubic Bezier with the key's stored handles
    QEL_CURVE_LINEAR = 2,  // straight line to the next key
    QEL_CURVE_STEP = 3,    // holds this key's y until the next key
};

// One key. The handles are offsets from the key, read only when mode is Free: the incoming one is
// used with its dx clamped to -segment width .. 0, the outgoing one to 0 .. segment width, the dy
// scaled in proportion; the stored values are never rewritten by that. A handle offset that is
// not finite is used as 0.
struct qel_curve_key {
    float x, y;
    float in_dx, in_dy;
    float out_dx, out_dy;
    uint8_t mode;  // qel_curve_mode
};

// --- Evaluation ---

// The curve's value at x: the first key's y up to and at its x (also for a NaN x), the last key's
// y from its x on; a key whose x equals x starts the segment used, so of two keys at one x the
// later wins. 0 for null keys or a count below 1. Keys must be sorted by x; finite keys always
// give a finite value.
float qel_curve_evaluate(const qel_curve_key* keys, int32_t count, float x);

// The smooth slope (dy/dx) at key index, for 0 < index < count - 1: the central slope, 0 at a
// local extremum or next to a flat or zero-width side, limited to three times the gentler side.
float qel_curve_auto_slope(const qel_curve_key* keys, int32_t index);

// The handle offsets of the segment from key index to index + 1, each relative to its own key:
// the outgoing handle of the first key and the incoming handle of the second, as evaluation uses
// them. All four are 0 when index + 1 is not inside the array.
void qel_curve_segment_handles(const qel_curve_key* keys, int32_t count, int32_t index, float* out_hx, float* out_hy,
                               float* in_hx, float* in_hy);

// --- Edits ---

// Moves key index toward (x, y): x within x_min .. x_max and between its neighbours (which it may
// reach but not pass; a key already outside a tighter range keeps its x), y within y_min .. y_max.
// A NaN coordinate keeps the key's own. Returns 1 when the key moved, 0 when it stayed or index
// is not inside the array.
int32_t qel_curve_move_key(qel_curve_key* keys, int32_t count, int32_t index, float x_min, float x_max, float y_min,
                           float y_max, float x, float y);

// Makes key index Free with the handles its automatic tangent gives now, so the curve keeps its
// shape (as long as the key was Smooth). Nothing happens when index is not inside the array.
void qel_curve_key_make_free(qel_curve_key* keys, int32_t count, int32_t index);
