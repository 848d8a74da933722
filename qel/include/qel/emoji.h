// Colour emoji: one colour-emoji font per context (from memory, a file or the system's emoji
// font), emoji sequences mapped to glyphs, rasterised once per pixel size from COLR outlines or
// CBDT and sbix PNG bitmaps into a per-context atlas, and drawn from it. Without a font the
// platform's emoji renderer, when it has one, supplies the pixels.
#pragma once

#include <cstdint>

#include "qel/types.h"

// --- Fonts ---

// Uses the font in data (size 12 .. 2^31 - 1), in place or as a private copy; releases the
// current font first. True when the font can draw emoji; a frame or two more are asked for.
// Bad arguments change nothing; a refused font leaves no font loaded.
bool qel_emoji_font_from_memory(qel_context* ctx, const uint8_t* data, uint64_t size, bool copy);

// The same from a file (UTF-8 path), whose tables are read as needed. A file that cannot be
// opened or holds fewer than 12 bytes keeps the current font.
bool qel_emoji_font_from_file(qel_context* ctx, const char* path);

// The system's emoji font, %WINDIR%\Fonts\seguiemj.ttf (C:\Windows when unset).
bool qel_emoji_font_system(qel_context* ctx);

// True when emoji can be drawn: a font is loaded or the platform renders emoji. Without
// either, tries the system font once per context.
bool qel_emoji_font_ensure(qel_context* ctx);

// Whether the UTF-8 sequence (length < 0: up to the terminator) maps to a glyph of the loaded
// font; true for any sequence when only the platform renders emoji.
bool qel_emoji_can_render(qel_context* ctx, const char* text, int32_t length);

// --- Drawing ---

// Draws the emoji in the square of side min(w, h) centred in r, at full opacity.
void qel_emoji_draw(qel_context* ctx, const char* text, int32_t length, qel_rect r);

// Draws at the opacity; true when drawn this frame. missing (may be null) becomes 1 when the
// emoji cannot be drawn at all (no source, or the sequence fails at this size), else 0 (drawn,
// or left to a later frame: at most 12 emoji are rasterised per frame).
bool qel_emoji_draw_ex(qel_context* ctx, const char* text, int32_t length, qel_rect r, float alpha,
                       uint8_t* missing);

// A leaf node of size x size (20 when size <= 0) that draws the emoji (up to 63 bytes of it,
// cut at a code point). Returns the node.
int32_t qel_emoji_image(qel_context* ctx, const char* text, float size);
