// The colour picker: a field with a round swatch and the hexadecimal value that opens a popup
// with a saturation/value square, a hue bar and eight preset swatches; and the HSV conversions
// it edits through. The hue is kept per picker, so it survives while saturation or value is 0.
#pragma once

#include "qel/types.h"

// --- Picker ---

// True when *colour changed during the call. A colour edited by the square, the bar or a swatch
// becomes opaque; until then its alpha is kept. A null colour shows black and changes nothing.
bool qel_color_picker(qel_context* ctx, const char* label, qel_color* colour);
// Opens the picker of id (qel_id of its label) from elsewhere, with its HSV taken from colour.
void qel_color_picker_open(qel_context* ctx, uint32_t picker_id, qel_color colour);

// --- Conversions ---

// Hue in degrees (taken modulo 360, so 360 is 0), saturation and value 0..1; alpha 255.
qel_color qel_hsv_to_rgb(float hue, float saturation, float value);
// Hue 0..360 (0 for greys), saturation and value 0..1; null outputs are skipped.
void qel_rgb_to_hsv(uint8_t r, uint8_t g, uint8_t b, float* hue, float* saturation, float* value);
