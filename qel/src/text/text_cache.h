// Widths and glyph runs of the texts measured and drawn lately, kept from frame to frame, so that
// a text shown in every frame is walked once. Two generations bound the memory: when the newer is
// full the older is dropped, and what is still in use moves up as it is found again.
#pragma once

#include <cstdint>

struct qel_context;
struct qel_glyph_iter;

// One character of a walked run, as the glyph walk left it.
struct qel_run_glyph {
    uint32_t glyph;  // 0: advances, draws nothing (blanks, line feeds, missing glyphs)
    int32_t font;
    float pen_before, x_offset, size_used;
    int32_t byte_start;
};

// The character the walk just stepped over.
qel_run_glyph qel_run_glyph_of(const qel_glyph_iter* it);

// What a text was kept for, under which font, size and text; the text is the caller's.
struct qel_text_key {
    uint64_t hash;
    int32_t font;
    float size;
    int32_t kind;  // 2 x (0 width, 1 run) + tabular digits
    const char* text;
    int32_t length;
};

struct qel_text_entry {
    uint64_t hash;
    int32_t font;
    float size;
    int32_t kind;
    int32_t length;
    int32_t text;  // offset in the generation's bytes
    float width;
    int32_t run, run_count;  // offset in the generation's glyphs
};

struct qel_text_generation {
    qel_text_entry* entries;
    int32_t count, capacity;
    int32_t* slots;  // entry indices, open addressing; -1 empty; twice the entry capacity
    int32_t slot_count;
    char* bytes;
    int32_t bytes_used, bytes_capacity;
    qel_run_glyph* glyphs;
    int32_t glyph_count, glyph_capacity;
};

struct qel_text_cache {
    qel_text_generation generations[2];
    int32_t newer;
};

enum {
    QEL_TEXT_KEPT_BYTES = 512,        // longer texts are walked each time
    QEL_TEXT_GEN_ENTRIES = 16384,     // per generation
    QEL_TEXT_GEN_BYTES = 256 * 1024,  // per generation
    QEL_TEXT_GEN_GLYPHS = 16384,      // per generation
};

// The key of a text's width (run 0) or glyph run (run 1); false when the text is not kept (too
// long, empty, or no font).
bool qel_text_key_make(qel_text_key* key, int32_t font, float size, uint8_t run, uint8_t tabular_digits,
                       const char* text, int32_t length);

bool qel_text_cache_find_width(qel_context* ctx, const qel_text_key* key, float* width);
void qel_text_cache_put_width(qel_context* ctx, const qel_text_key* key, float width);

// The glyph run of a run key, found or walked and kept; *count characters. Valid until the next
// call into the cache.
const qel_run_glyph* qel_text_cache_run(qel_context* ctx, const qel_text_key* key, int32_t* count);

// Every kept text: the fonts, their roles or fallbacks changed.
void qel_text_cache_clear(qel_context* ctx);
void qel_text_cache_release(qel_context* ctx);
