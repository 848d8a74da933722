// The knob: a rotary control for a float value, a 270-degree arc around a raised face with a
// pointer, its value text and a caption. It turns by vertical dragging (fine with Shift), the
// arrow, page, Home and End keys and, while focused, the wheel; double-click, Delete and Backspace
// restore its default. Its value mapping and its key and wheel handling serve the fader too.
#pragma once

#include <cstdint>

#include "qel/types.h"

// --- Records ---

// Options of qel_knob; null means all zero, and a zero field its default.
struct qel_knob_opts {
    const char* caption;  // under the knob; null: the label's visible part
    const char* format;   // printf format of the value text; null: "%.0f"
    const char* unit;     // appended after a space when not empty
    float size;           // diameter when above 0; else 48
    float step;           // value step when above 0
    float default_value;  // restored by double-click, Delete and Backspace
    uint8_t bipolar;      // the value arc starts at the middle of the range
    uint8_t logarithmic;  // only when min > 0
    uint8_t hide_value;
    uint8_t disabled;     // also inside an open disabled scope
    qel_color color;      // value arc; not given: the theme's primary colour
};

// --- Widget ---

// A knob for *value on min..max (max not above min becomes min + 1). Returns true when *value
// changed during the call; null value does nothing. A range with a bound that is not finite, or
// that stays empty, is drawn but never changes *value.
bool qel_knob(qel_context* ctx, const char* label, float* value, float min, float max, const qel_knob_opts* options);

// --- Shared with the fader ---

// The position 0..1 of value on min..max, linear or, with min > 0, logarithmic; 0 for an empty
// range and for NaN.
double qel_knob_norm(double value, double min, double max, bool logarithmic);

// The value at position pos (held to 0..1), snapped to min + a whole number of steps when step
// is above 0, and held to the range.
float qel_knob_denorm(double pos, double min, double max, double step, bool logarithmic);

// The position after this frame's keys (with focused) and wheel (over the hit rectangle wheel_id):
// one step, or 1 % without a step, per arrow press (ten with Shift), ten per page key, the ends
// for Home and End, default_pos for Delete, Backspace and reset; the wheel by a step per notch (a
// quarter with Shift). Keys and wheel it uses are taken from later widgets. Held to 0..1.
double qel_knob_keys(qel_context* ctx, bool reset, bool focused, uint32_t wheel_id, double pos, double min,
                     double max, double step, double default_pos);

// The widest value text that format (and " unit") gives on min..max in the medium font at size,
// rounded up.
float qel_knob_value_width(qel_context* ctx, float size, const char* format, const char* unit, float min, float max);

// A centred text node of grow width with line height 1.3: value texts and captions.
int32_t qel_knob_caption(qel_context* ctx, const char* text, float size, qel_color color, uint32_t font);
