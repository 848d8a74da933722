// The colour-emoji state of a context and the font half of it: reading the font's tables from
// memory or an open file, the character map, the GSUB ligatures and the mapping of a sequence
// to one glyph. Rasterising and the atlas are emoji_cache.cpp's, the pixels emoji_raster.cpp's.
#pragma once

#include <cstdint>
#include <cstdio>

#include "qel/types.h"

struct qel_font_info;
struct qel_emoji_entry;

enum {
    QEL_EMOJI_MAX_CODE_POINTS = 24,
    QEL_EMOJI_MAX_STRIKES = 16,
    QEL_EMOJI_CACHE_CELLS = 1024,
};

enum qel_emoji_cell_state : uint8_t { QEL_EMOJI_CELL_EMPTY = 0, QEL_EMOJI_CELL_READY = 1, QEL_EMOJI_CELL_FAILED = 2 };

// One atlas cell. tint: a white single-colour glyph drawn in the theme's text colour.
struct qel_emoji_cache_entry {
    uint32_t key;
    uint16_t pixel_size;
    uint8_t state;
    uint8_t tint;
    uint64_t frame;
};

struct qel_emoji_state {
    // The font: in memory (borrowed or owned) or read from the open file.
    const uint8_t* data;
    uint64_t size;
    uint8_t owned;
    FILE* file;
    uint32_t collection_offset;
    // Tables copied out of it, and where the big ones start in it.
    uint8_t* cmap;
    uint32_t cmap_length, cmap_subtable, cmap_format;
    uint8_t* gsub;
    uint32_t gsub_length;
    uint8_t* cblc;
    uint32_t cblc_length;
    uint32_t cbdt_offset;
    uint32_t sbix_offset;
    uint32_t strike_offset[QEL_EMOJI_MAX_STRIKES];
    uint16_t strike_ppem[QEL_EMOJI_MAX_STRIKES];
    uint32_t strike_count;
    uint8_t *colr, *cpal;
    uint32_t colr_length, cpal_length;
    qel_font_info* outline;
    uint8_t outline_only;
    uint32_t glyph_count;
    uint8_t loaded;
    uint8_t system_tried;
    // The atlas.
    uint64_t texture;
    int32_t atlas_side, cell_side, cells_per_row, cell_capacity;
    uint64_t last_use;
    qel_emoji_cache_entry cells[QEL_EMOJI_CACHE_CELLS];
    // Rasterisations left in budget_frame.
    uint64_t budget_frame;
    int32_t budget_left;
    // The picker's catalogue (emoji_catalogue.h), inflated once, and one flag per entry telling
    // whether the loaded font draws it; renderable_checked: the flags follow the loaded font.
    // The generation counts the passes (never 0), so that a picker built over one font's flags
    // sees that another font's replaced them.
    char* catalogue;
    qel_emoji_entry* entries;
    int32_t entry_count;
    uint8_t* renderable;
    uint8_t renderable_checked;
    uint8_t renderable_generation;
    uint8_t catalogue_tried;
};

// The context's state, made (zeroed) at the first call; it lives until the context ends.
qel_emoji_state* qel_emoji_state_of(qel_context* ctx);

// Up to max code points of the UTF-8 text; a sequence cut off by the end stops decoding.
int32_t qel_emoji_decode_utf8(const char* text, int32_t length, uint32_t* out, int32_t max);

// length bytes of the font at offset into out; false past the font's end or on a read error.
bool qel_emoji_font_read(qel_emoji_state* st, uint64_t offset, uint32_t length, uint8_t* out);

// The glyph of an emoji sequence, 0 for none.
uint32_t qel_emoji_glyph_for_sequence(const qel_emoji_state* st, const char* text, int32_t length);

// Applies the GSUB ligatures to the glyphs in place; returns the new count.
int32_t qel_emoji_apply_ligatures(const qel_emoji_state* st, uint32_t* glyphs, int32_t count);

// Empties every cell and drops the texture.
void qel_emoji_cache_release(qel_context* ctx, qel_emoji_state* st);

// The loaded font's pixels of a glyph or the platform's of a sequence, into the p x p square at
// (1, 1) of a zeroed c x c RGBA buffer; false when the emoji cannot be drawn at this size.
bool qel_emoji_rasterise(qel_context* ctx, qel_emoji_state* st, const char* text, int32_t length, int32_t p,
                         int32_t c, uint8_t* rgba, uint8_t* tint);
