// Colour mathematics on packed colours: WCAG luminance, OKLab and OKLCH, perceptual mixing,
// contrast correction and alpha scaling. Pure functions; the palette made from them is theme.h's.
#pragma once

#include "qel/types.h"

// --- Channels and colour spaces ---

// WCAG relative luminance of sRGB bytes, 0..1.
float qel_color_luminance(uint8_t r, uint8_t g, uint8_t b);

// OKLab lightness and the a, b axes of sRGB bytes (L about 0..1, a and b about -0.4..0.4).
void qel_color_to_oklab(float out[3], uint8_t r, uint8_t g, uint8_t b);

// The sRGB colour of an OKLab triple; channels out of gamut are clipped to 0..1. A negative
// alpha gives alpha byte 0, one above 1 counts as 1.
qel_color qel_color_from_oklab(const float lab[3], float alpha);

// OKLCH: lightness, chroma and hue in degrees.
qel_color qel_color_oklch(float L, float C, float hue_degrees, float alpha);

// --- Deriving colours ---

// Mixes in OKLab with premultiplied alpha, so a transparent end lends no hue. t is clamped to
// 0..1; two transparent ends give 0.
qel_color qel_color_mix(qel_color from, qel_color to, float t);

// Moves the colour's lightness (darker on light backgrounds, lighter on dark ones) until its WCAG
// contrast ratio against the background reaches ratio, giving up after 24 steps.
qel_color qel_color_contrast(qel_color color, qel_color background, float ratio);

// The colour with its OKLab lightness replaced by L and its chroma scaled; alpha kept.
qel_color qel_color_tone(qel_color color, float L, float chroma_scale);

// The colour with its alpha multiplied by factor, rounded and limited to 0..255.
qel_color qel_color_alpha(qel_color color, float factor);
