// Fonts and the glyph walk: the registry of font roles, fonts added at run time and their
// fallbacks, the iterator that turns UTF-8 into positioned glyphs, and the drawing of one text run
// through the glyph atlas. Measuring, wrapping and the text drawing entry points are text.h's.
#pragma once

#include "qel/types.h"

// A bare outline font over data of the caller's, for a module that rasterises glyphs itself.
struct qel_font_info;

// --- Records ---

// Font handles 0 to 4 name these roles; 16 + i names added font i; anything else means font 0.
enum qel_font_role : int32_t {
    QEL_FONT_BODY = 0,
    QEL_FONT_MEDIUM = 1,
    QEL_FONT_HEADING = 2,
    QEL_FONT_MONO = 3,
    QEL_FONT_ICON = 4,
};

enum { QEL_FONT_ROLE_COUNT = 5, QEL_FONT_HANDLE_BASE = 16, QEL_FONT_MAX_FALLBACKS = 4 };

// A per-glyph colour, asked for while a text run is drawn: byte_offset is the glyph's offset
// plus the hook's base, x its logical position, line_top the hook's line top. The result colours
// the glyph (alpha 0 skips it); *y_shift (0 on entry) moves it down in logical units.
typedef qel_color (*qel_glyph_color_fn)(qel_context* ctx, void* user, int32_t byte_offset, float x, float line_top,
                                        float* y_shift, qel_color run_color);

// One walk over a text. Set it up with qel_glyph_iter_init; each qel_glyph_iter_next fills the
// fields of the character it stepped over.
struct qel_glyph_iter {
    qel_context* ctx;
    int32_t font;  // the run's font index
    float size;
    uint8_t tabular_digits;
    const char* text;
    int32_t length;
    int32_t position;  // byte position of the next character
    float pen_x;
    uint32_t prev_code_point;
    int32_t prev_glyph;
    int32_t prev_font;  // -1 at the start: nothing to kern against
    // The character just stepped over.
    uint32_t code_point;
    int32_t glyph;       // 0: none in any font; not drawn, its advance still counts
    int32_t glyph_font;  // the font that supplied the glyph
    float pen_before;    // pen position before the glyph, kerning applied
    float size_used;     // the run size, or 1.15 times it for an icon from the icon font
    float advance;
    float x_offset;  // tabular centring and half the tracking
    int32_t byte_start, byte_end;
    float tracking;
};

// --- Adding fonts ---

// Adds a TrueType, OpenType (CFF) or collection font (its first font) from memory. With copy the
// data is copied into a toolkit allocation the font owns; without, the caller keeps it alive for
// the context's life. Returns the font's handle (index + 16), or -1, with nothing kept, when it
// is not a font or a damaged one: fonts are untrusted input, and one whose tables, outlines or
// charstrings would lead the rasteriser outside the data (or round in circles) is refused.
int32_t qel_font_add_memory(qel_context* ctx, const uint8_t* data, int32_t size, uint8_t copy);

// Reads a whole font file (UTF-8 path) and adds it; the font owns the buffer. -1 on failure,
// with nothing kept.
int32_t qel_font_add_file(qel_context* ctx, const char* path);

// Binds a role (0 to 4; others are ignored) to a font handle, or to font 0 for an invalid handle.
// The font bound to the icon role becomes an icon font, a font bound to another role a text font.
void qel_font_set_role(qel_context* ctx, int32_t role, int32_t handle);

// Characters missing from the font are looked up in its fallbacks, at most four, in order.
void qel_font_add_fallback(qel_context* ctx, int32_t handle, int32_t fallback_handle);

// The font index a handle stands for: a bound role, an added font, else font 0; -1 without fonts.
int32_t qel_font_resolve(qel_context* ctx, int32_t handle);

// --- Walking and drawing text ---

// Starts a walk over length bytes of text in a font index at size (logical units).
void qel_glyph_iter_init(qel_glyph_iter* it, qel_context* ctx, int32_t font, float size, const char* text,
                         int32_t length, uint8_t tabular_digits);

// Steps over the next character; false at the end of the text or for a font index out of range.
bool qel_glyph_iter_next(qel_glyph_iter* it);

// Draws one line of length bytes with its top-left at (x, y), logical units. Tabs, spaces and
// line feeds advance but draw nothing; a line feed does not start a new line.
void qel_draw_text_run(qel_context* ctx, int32_t handle, float size, float x, float y, qel_color color,
                       const char* text, int32_t length, uint8_t tabular_digits);

// --- Fonts of other modules (colour emoji) ---

// A font-info record over the caller's data (which must outlive it), allocated through the
// context; null when the font is rejected. Free it with qel_mem_free.
qel_font_info* qel_font_info_create(qel_context* ctx, const uint8_t* data, int32_t font_offset);

// The hhea ascender and descender in font units; either pointer may be null.
void qel_font_info_vmetrics(const qel_font_info* info, int32_t* ascent, int32_t* descent);

// The glyph's bitmap box at scale, no subpixel shift; true when it has pixels.
bool qel_font_info_glyph_box(const qel_font_info* info, int32_t glyph, float scale, int32_t* x0, int32_t* y0,
                             int32_t* x1, int32_t* y1);

// Renders the glyph's coverage at scale into width x height bytes with the given stride.
void qel_font_info_glyph_bitmap(const qel_font_info* info, int32_t glyph, float scale, uint8_t* out, int32_t width,
                                int32_t height, int32_t stride);
