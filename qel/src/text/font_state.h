// The font system's record in the context (fonts, glyph cache, atlas, glyph colour hook) and the
// calls the context and the frame cycle make on it.
#pragma once

#include <cstdint>

#include "qel/font.h"
#include "stb_truetype.h"
#include "text/text_cache.h"

struct qel_font {
    stbtt_fontinfo info;
    const uint8_t* data;
    uint8_t owns_data;  // freed at shutdown
    float units_per_em;
    float ascent, descent, line_gap, cap_height;  // per em; descent negative
    uint8_t icon;
    int32_t fallbacks[QEL_FONT_MAX_FALLBACKS];
    int32_t fallback_count;
    int32_t ascii_glyph[128];
    float ascii_advance[128];  // per em; 0 for a missing glyph
    float widest_digit;        // per em
    float* ascii_kern;         // 95 x 95 per em for the printable pairs, made on first use
};

// One rasterised glyph: key (glyph, font, size in quarter pixels, third-of-a-pixel phase).
struct qel_glyph {
    uint32_t glyph;
    uint16_t font;
    uint16_t size_q;
    uint8_t phase;
    uint32_t last_used;  // frame number
    int16_t x_offset, y_offset;  // of the bitmap from pen and baseline, pixels, y down
    uint16_t width, height;      // 0 for glyphs without pixels
    uint16_t atlas_x, atlas_y;
    int32_t next;  // in the hash chain; -1 ends it
};

enum { QEL_ATLAS_START_SIZE = 1024, QEL_ATLAS_MAX_SIZE = 4096, QEL_GLYPH_CHAINS = 4096, QEL_GLYPH_RECENT = 256 };

// Where the next box goes: along the current shelf, or on a new shelf below it.
struct qel_shelf_packer {
    int32_t cursor_x, cursor_y, shelf_height;
};

// One coverage byte per texel, square; packed in shelves with one texel of gap.
struct qel_glyph_atlas {
    uint8_t* pixels;
    int32_t width, height;
    qel_shelf_packer packer;
    uint8_t dirty;
    int32_t dirty_x0, dirty_y0, dirty_x1, dirty_y1;  // x1, y1 exclusive
    uint8_t overflowed;
    uint64_t texture;  // 0: none yet
    int32_t texture_width, texture_height;
};

// While fn is set, every text run asks it for the colour of each glyph it draws.
struct qel_glyph_color_hook {
    qel_glyph_color_fn fn;
    void* user;
    int32_t base_offset;
    float line_top;
};

struct qel_font_state {
    qel_font* fonts;
    int32_t font_count, font_capacity;
    int32_t roles[QEL_FONT_ROLE_COUNT];  // font indices; -1 unbound
    qel_glyph* glyphs;
    int32_t glyph_count, glyph_capacity;
    int32_t chains[QEL_GLYPH_CHAINS];  // -1 empty
    // In front of the chains: the cache index last found for a key's cheap hash, checked
    // against the entry there before use (stale after a clear or a shrink: then a miss).
    int32_t recent[QEL_GLYPH_RECENT];
    uint64_t last_compaction;          // frame number
    qel_glyph_atlas atlas;
    qel_glyph_color_hook color_hook;
    qel_text_cache texts;
};

// Steps over the printable ASCII characters ahead that the run's own text font has, leaving the
// walk as qel_glyph_iter_next would, one call per character; returns how many. Measuring wants
// only where the pen ends, so it need not stop at each of them.
int32_t qel_glyph_iter_skip_ascii(qel_glyph_iter* it);

// Context creation and destruction. load_embedded inflates and binds the five embedded fonts.
void qel_fonts_init(qel_context* ctx, uint8_t load_embedded);
void qel_fonts_shutdown(qel_context* ctx);

// Frame begin: clears an atlas that overflowed, or shrinks one whose live glyphs fit a smaller one.
void qel_atlas_compact(qel_context* ctx);

// Frame end: creates, re-creates or updates the atlas texture through the renderer interface.
void qel_atlas_upload(qel_context* ctx);

// The renderer interface is about to change: deletes the atlas texture through the old one and
// marks the whole atlas for upload through the new one.
void qel_atlas_renderer_changed(qel_context* ctx);

// Font shutdown: frees the atlas pixels and deletes its texture.
void qel_atlas_release(qel_context* ctx);
