// The one built-in font: a sans-serif pre-rendered at 14 pixel sizes for printable ASCII, with
// measuring, line drawing and word wrapping into a raster. Every size argument is snapped to the
// nearest size of the ladder. Where texts go on a label is left to row rendering.
#pragma once

#include <cstdint>

#include "raster.h"

// One glyph of one size. Its bitmap is `height` rows of (width + 7) / 8 bytes, most significant
// bit first, a set bit inked; the space and other empty glyphs have no rows.
struct bitmap_glyph {
    uint32_t offset;   // of the bitmap in the font's shared bitmap block
    uint8_t width;     // bitmap size in dots
    uint8_t height;
    int8_t x_offset;   // from the pen position
    int8_t y_offset;   // of the top row from the baseline; negative is above
    uint8_t advance;   // how far the pen moves
};

// --- Sizes ---

// The ladder size nearest round(max(px, 1)); a tie goes to the smaller size.
int bitmap_font_size_for_height(float px);

// The ladder size of a text mm millimetres high printed at dpi: the size for mm * dpi / 25.4
// dots, unrounded, so that the preview and the printer's own font agree.
int bitmap_font_size_for_mm(float mm, int32_t dpi);

// Metrics of the ladder size nearest px, in dots (the descent is positive).
int bitmap_font_ascent(int px);
int bitmap_font_descent(int px);
int bitmap_font_line_height(int px);

// --- Measuring ---

// Width in dots: the sum of the advances at the nearest size. CR and LF add nothing; bytes
// outside 32..126 count as the question mark.
int bitmap_font_measure(const char* text, int px);

// As bitmap_font_measure, with NULL giving 0.
int bitmap_font_text_width(const char* text, int px);

// How many bytes the font cannot show: any byte other than TAB, LF, CR and 32..126, so each
// byte of a multi-byte UTF-8 character counts. NULL gives 0.
int bitmap_font_missing_count(const char* text);

// The box a line's inked dots cover when bitmap_font_draw_line draws it from pen 0 on baseline
// 0 into a raster large enough: left and right from the pen, top and bottom from the baseline
// (negative is above), ends exclusive; all 0 for a line without ink.
struct bitmap_font_ink {
    int64_t left, top, right, bottom;
};
bitmap_font_ink bitmap_font_line_ink(const char* text, int px, int bold);

// --- Drawing (clipped to the raster) ---

// The glyph of byte c at the nearest size; bytes outside 32..126 give the question mark.
const bitmap_glyph* bitmap_font_glyph(int px, unsigned char c);

// Sets the glyph's inked dots with its bitmap's top-left corner at (x, y).
void bitmap_font_draw_glyph(raster* r, const bitmap_glyph* glyph, int32_t x, int32_t y);

// Draws one line from pen position x on baseline_y. Every byte outside 32..126 (TAB, CR and LF
// included) draws the question mark. Bold draws each glyph again one dot to the right without
// widening the line.
void bitmap_font_draw_line(raster* r, int32_t x, int32_t baseline_y, int px, const char* text, int bold);

// Wraps the text into left-aligned lines no wider than box_width (breaking at the last space
// that fits, else before the character that overflows) and draws at most max_lines of them, the
// first on baseline_y and each next one a line height lower; the rest is dropped. Returns the
// number of lines; 0 for a NULL or empty text. A NULL raster only counts.
int bitmap_font_draw_box(raster* r, int32_t x, int32_t baseline_y, int px, int32_t box_width, const char* text,
                         int bold, int max_lines);
