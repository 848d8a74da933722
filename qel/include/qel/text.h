// Measuring, hit testing, wrapping and drawing text in a font handle and size (logical units,
// the size being the em). Everything walks the glyph iterator of font.h, so measuring and drawing
// agree; an invalid handle means font 0, and without any font widths are 0 and nothing is drawn.
#pragma once

#include "qel/types.h"

// --- Records ---

// One line of wrapped text: bytes [start, end); the blanks at a break belong to neither line.
struct qel_text_line {
    int32_t start;
    int32_t end;
    float width;
};

struct qel_text_metrics {
    float width;    // widest line
    float height;   // lines x 1.45 x size
    float ascent;
    float descent;  // negative
    float line_height;
};

// --- Measuring ---

// Width of the widest line (every line feed closes one); length -1 means NUL-terminated; 0 for
// null text. A line's width is the pen position at its end: kerning and tracking of its glyphs
// count, the line feed does not.
float qel_text_width(qel_context* ctx, int32_t handle, float size, const char* text, int32_t length,
                     uint8_t tabular_digits);

// The same on a font index.
float qel_text_width_font(qel_context* ctx, int32_t font, float size, const char* text, int32_t length,
                          uint8_t tabular_digits);

// (ascent - descent) x size for a text font; size for an icon font or without fonts.
float qel_line_height(qel_context* ctx, int32_t handle, float size);

// Ascent x size; size without fonts.
float qel_font_ascent(qel_context* ctx, int32_t handle, float size);

// Width (tabular digits off), height of all lines at 1.45 x size, ascent, descent and line height.
qel_text_metrics qel_text_size(qel_context* ctx, int32_t handle, float size, const char* text, int32_t length);

// The byte offset for a click at x: the start of the first character whose middle lies right of
// x; 0 for x <= 0, length when x is past them all.
int32_t qel_text_hit(qel_context* ctx, int32_t handle, float size, const char* text, int32_t length, float x);

// The widest word (runs between spaces, tabs and line feeds); 0 for a negative length.
float qel_text_max_word_width(qel_context* ctx, int32_t handle, float size, const char* text, int32_t length);

// --- Wrapping ---

// Breaks text into lines no wider than max_width: at blanks where it can, inside a word where it
// must; headings (size 20 and up) of two to four lines are balanced, and a lone last word gets a
// companion when the line count allows. Writes up to max_lines records (lines may be null) and
// returns the full line count.
int32_t qel_text_wrap(qel_context* ctx, int32_t handle, float size, const char* text, int32_t length, float max_width,
                      qel_text_line* lines, int32_t max_lines);

// --- Drawing ---

// One line with its top-left at (x, y); length -1 means NUL-terminated.
void qel_draw_text(qel_context* ctx, int32_t handle, float size, float x, float y, qel_color color, const char* text,
                   int32_t length, uint8_t tabular_digits);
void qel_draw_text_at(qel_context* ctx, int32_t handle, float size, qel_vec2 position, qel_color color,
                      const char* text, int32_t length);

// The text whole when it fits max_width (+0.5), else as much as fits followed by "…"; nothing
// when not even the ellipsis fits.
void qel_draw_text_ellipsis(qel_context* ctx, int32_t handle, float size, float x, float y, float max_width,
                            qel_color color, const char* text, int32_t length, uint8_t tabular_digits);

// Icon text in the icon font with its em square centred in r.
void qel_draw_text_in_rect(qel_context* ctx, const char* icon_text, const qel_rect* r, float size, qel_color color);

// NUL-terminated text around (x, y): align 1 centres it, 2 ends it at x, anything else starts it
// there; y is the vertical centre of the line.
void qel_draw_text_aligned(qel_context* ctx, int32_t handle, float size, float x, float y, uint32_t align,
                           qel_color color, const char* text, uint8_t tabular_digits);
