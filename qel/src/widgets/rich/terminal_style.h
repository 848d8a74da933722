// The look a terminal line's stored colour sequences give its text: the two 16-colour palettes,
// the 256-colour set and the attributes each parameter turns on and off.
#pragma once

#include <cstdint>

#include "qel/types.h"

// The attributes in force at a point of a line; a line starts from all zero.
struct qel_terminal_attrs {
    qel_color fg, bg;
    uint8_t has_fg, has_bg, bold, dim, underline, inverse;
};

// Palette entry 0..15 of the light or dark table, opaque.
qel_color qel_terminal_palette(int32_t index, bool dark);

// Colour n of the 256-colour set (0..255): the palette, the 6x6x6 cube, then 24 greys.
qel_color qel_terminal_color_256(uint32_t n, bool dark);

// Applies one stored sequence (ESC "[" parameters "m", length bytes) to the attributes.
void qel_terminal_apply_sgr(qel_terminal_attrs* attrs, const char* sequence, int32_t length, bool dark);
