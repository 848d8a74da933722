// The generated tables of the built-in font (bitmap_font_data.cpp, made by
// tools/bitmap_font_gen.py); only the font module reads them.
#pragma once

#include <cstdint>

#include "bitmap_font.h"

enum { BITMAP_FONT_SIZES = 14, BITMAP_FONT_FIRST = 32, BITMAP_FONT_CHARS = 95 };

// One rung of the size ladder, in dots.
struct bitmap_font_size {
    uint8_t px;
    uint8_t ascent;
    uint8_t descent;
};

// Ascending by px.
extern const bitmap_font_size bitmap_font_sizes[BITMAP_FONT_SIZES];

// Indexed by size index * BITMAP_FONT_CHARS + (character - BITMAP_FONT_FIRST).
extern const bitmap_glyph bitmap_font_glyphs[BITMAP_FONT_SIZES * BITMAP_FONT_CHARS];

extern const uint32_t bitmap_font_bitmap_size;
extern const uint8_t bitmap_font_bitmaps[];
