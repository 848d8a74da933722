// The fader: a mixing-desk slider for a float value, a thin track with a rectangular thumb,
// vertical by default, with optional scale marks, a value text, a caption and a built-in level
// meter beside the track. It maps, steps and takes keys and the wheel as the knob does, and its
// meter runs the level meter's ballistics and bars.
#pragma once

#include <cstdint>

#include "qel/types.h"

// Options of qel_fader; null means all zero, and a zero field its default.
struct qel_fader_opts {
    const char* caption;  // null: the label's visible part
    const char* format;   // printf format of the value text; null: "%.1f"
    const char* unit;     // appended after a space when not empty
    float length;         // track length when above 0; else 160
    uint8_t horizontal;   // left to right; else bottom to top
    float step;           // value step when above 0
    float default_value;  // restored by double-click, Delete and Backspace
    const float* marks;   // values with a scale mark (null: none)
    int32_t mark_count;   // at most 32 are drawn
    const float* meter_levels;  // linear amplitudes of the built-in meter (null: no meter)
    int32_t meter_channels;     // at most 8
    uint8_t hide_value;
    uint8_t disabled;  // also inside an open disabled scope
};

// A fader for *value on min..max (max not above min becomes min + 1). Pressing the track away from
// the thumb jumps there and keeps dragging; Shift drags a tenth as fast. Returns true when *value
// changed during the call; null value does nothing. A range with a bound that is not finite, or
// that stays empty, is drawn but never changes *value.
bool qel_fader(qel_context* ctx, const char* label, float* value, float min, float max,
               const qel_fader_opts* options);
