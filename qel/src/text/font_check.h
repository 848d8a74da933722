// Whether a font's bytes may be handed to the rasteriser. It trusts every offset and length it
// reads, so each one it will follow (table directory, cmap subtable, hmtx, loca and glyf or the
// CFF indexes and charstrings, kern and GPOS pair tables) must lie inside the data, and no glyph
// may send it in circles or past the limits below. Parsing and drawing stay the rasteriser's;
// registering fonts is font.cpp's.
#pragma once

#include <cstdint>

#include "qel/types.h"

enum {
    QEL_FONT_MAX_COMPONENT_DEPTH = 16,      // composite glyphs nested in one another
    QEL_FONT_MAX_GLYPH_VERTICES = 1 << 16,  // outline points of one glyph, components included
    QEL_FONT_MAX_GLYPH_OUTLINES = 1 << 12,  // outlines read to draw one glyph, components included
};

// True when the font may be used; then the offset of the font inside the data (0, or a
// collection's first font) and its units per em (at least 1) are set.
bool qel_font_check(qel_context* ctx, const uint8_t* data, int32_t size, int32_t* font_offset,
                    int32_t* units_per_em);
