// The cache of measured widths and walked glyph runs: two generations of open-addressed tables
// over pools of the texts and their glyphs. Measuring and drawing (text.cpp, glyph_atlas.cpp)
// ask it first; the font registry empties it whenever what a walk would give may change.
#include "text/text_cache.h"

#include <cstring>

#include "core/array_grow.h"
#include "core/core.h"

namespace {

// Eight bytes at a time: a kept text is hashed at every look-up, so the hash must cost less
// than the walk it saves.
uint64_t qel_text_hash(const char* text, int32_t length, uint64_t seed)
{
    uint64_t h = seed;
    int32_t i = 0;
    for (; i + 8 <= length; i += 8) {
        uint64_t w;
        memcpy(&w, text + i, 8);
        h = (h ^ w) * 0xff51afd7ed558ccdull;
        h ^= h >> 32;
    }
    uint64_t tail = 0;
    memcpy(&tail, text + i, (size_t)(length - i));
    h = (h ^ tail ^ (uint64_t)length) * 0xc4ceb9fe1a85ec53ull;
    return h ^ (h >> 29);
}

bool qel_text_matches(const qel_text_generation* g, const qel_text_entry* e, const qel_text_key* key)
{
    return e->hash == key->hash && e->font == key->font && e->kind == key->kind && e->length == key->length &&
           memcmp(&e->size, &key->size, sizeof(float)) == 0 && memcmp(g->bytes + e->text, key->text, (size_t)key->length) == 0;
}

int32_t qel_text_find(const qel_text_generation* g, const qel_text_key* key)
{
    if (!g->slot_count) return -1;
    uint32_t mask = (uint32_t)g->slot_count - 1;
    for (uint32_t s = (uint32_t)key->hash & mask;; s = (s + 1) & mask) {
        int32_t index = g->slots[s];
        if (index < 0 || qel_text_matches(g, &g->entries[index], key)) return index;
    }
}

void qel_text_link(qel_text_generation* g, int32_t index)
{
    uint32_t mask = (uint32_t)g->slot_count - 1;
    uint32_t s = (uint32_t)g->entries[index].hash & mask;
    while (g->slots[s] >= 0) s = (s + 1) & mask;
    g->slots[s] = index;
}

void qel_text_generation_reset(qel_text_generation* g)
{
    g->count = g->bytes_used = g->glyph_count = 0;
    for (int32_t s = 0; s < g->slot_count; s++) g->slots[s] = -1;
}

bool qel_text_generation_has_room(const qel_text_generation* g, int32_t bytes, int32_t glyphs)
{
    return g->count < QEL_TEXT_GEN_ENTRIES && g->bytes_used + bytes <= QEL_TEXT_GEN_BYTES &&
           g->glyph_count + glyphs <= QEL_TEXT_GEN_GLYPHS;
}

// The newer generation with room for an entry of so many bytes and glyphs: when it is full, the
// older is emptied and becomes the newer.
qel_text_generation* qel_text_generation_for(qel_context* ctx, int32_t bytes, int32_t glyphs)
{
    qel_text_cache* c = &ctx->fonts.texts;
    if (!qel_text_generation_has_room(&c->generations[c->newer], bytes, glyphs)) {
        c->newer ^= 1;
        qel_text_generation_reset(&c->generations[c->newer]);
    }
    qel_text_generation* g = &c->generations[c->newer];
    g->bytes = qel_array_grow(ctx, g->bytes, &g->bytes_capacity, g->bytes_used + (int64_t)bytes, 4096);
    g->glyphs = qel_array_grow(ctx, g->glyphs, &g->glyph_capacity, g->glyph_count + (int64_t)glyphs, 256);
    int32_t capacity = g->capacity;
    g->entries = qel_array_grow(ctx, g->entries, &g->capacity, g->count + 1ll, 256);
    if (g->capacity != capacity) {
        // Half the slots stay free, so a probe ends soon.
        g->slot_count = g->capacity * 2;
        g->slots = (int32_t*)qel_mem_realloc(ctx, g->slots, sizeof(int32_t) * (size_t)g->slot_count);
        for (int32_t s = 0; s < g->slot_count; s++) g->slots[s] = -1;
        for (int32_t i = 0; i < g->count; i++) qel_text_link(g, i);
    }
    return g;
}

// A new entry of the newer generation for the key, with its text copied and room for glyphs.
qel_text_entry* qel_text_add(qel_context* ctx, const qel_text_key* key, int32_t glyphs)
{
    qel_text_generation* g = qel_text_generation_for(ctx, key->length, glyphs);
    int32_t index = g->count++;
    qel_text_entry* e = &g->entries[index];
    *e = {key->hash, key->font, key->size, key->kind, key->length, g->bytes_used, 0, g->glyph_count, 0};
    memcpy(g->bytes + g->bytes_used, key->text, (size_t)key->length);
    g->bytes_used += key->length;
    qel_text_link(g, index);
    return e;
}

// The entry of a key: from the newer generation, else from the older, copied into the newer
// while it has room (when it has none, the next addition drops the older anyway).
const qel_text_entry* qel_text_lookup(qel_context* ctx, const qel_text_key* key, const qel_run_glyph** run)
{
    qel_text_cache* c = &ctx->fonts.texts;
    qel_text_generation* newer = &c->generations[c->newer];
    const qel_text_generation* older = &c->generations[c->newer ^ 1];
    int32_t index = qel_text_find(newer, key);
    if (index >= 0) {
        *run = newer->glyphs + newer->entries[index].run;
        return &newer->entries[index];
    }
    index = qel_text_find(older, key);
    if (index < 0) return nullptr;
    const qel_text_entry* found = &older->entries[index];
    *run = older->glyphs + found->run;
    if (!qel_text_generation_has_room(newer, found->length, found->run_count)) return found;
    qel_text_entry* moved = qel_text_add(ctx, key, found->run_count);
    moved->width = found->width;
    moved->run_count = found->run_count;
    newer->glyph_count += found->run_count;
    memcpy(newer->glyphs + moved->run, *run, sizeof(qel_run_glyph) * (size_t)found->run_count);
    *run = newer->glyphs + moved->run;
    return moved;
}

void qel_text_generation_free(qel_context* ctx, qel_text_generation* g)
{
    qel_mem_free(ctx, g->entries);
    qel_mem_free(ctx, g->slots);
    qel_mem_free(ctx, g->bytes);
    qel_mem_free(ctx, g->glyphs);
    *g = {};
}

}  // namespace

qel_run_glyph qel_run_glyph_of(const qel_glyph_iter* it)
{
    uint32_t c = it->code_point;
    bool drawn = c != '\t' && c != '\n' && c != ' ';
    return {drawn ? (uint32_t)it->glyph : 0, it->glyph_font, it->pen_before, it->x_offset, it->size_used, it->byte_start};
}

bool qel_text_key_make(qel_text_key* key, int32_t font, float size, uint8_t run, uint8_t tabular_digits,
                       const char* text, int32_t length)
{
    if (font < 0 || !text || length < 1 || length > QEL_TEXT_KEPT_BYTES) return false;
    uint32_t size_bits;
    memcpy(&size_bits, &size, sizeof size_bits);
    int32_t kind = 2 * (run ? 1 : 0) + (tabular_digits ? 1 : 0);
    uint64_t seed = ((uint64_t)size_bits << 32 | (uint32_t)font) * 0x9e3779b97f4a7c15ull + (uint64_t)kind;
    *key = {qel_text_hash(text, length, seed), font, size, kind, text, length};
    return true;
}

bool qel_text_cache_find_width(qel_context* ctx, const qel_text_key* key, float* width)
{
    const qel_run_glyph* run;
    const qel_text_entry* e = qel_text_lookup(ctx, key, &run);
    if (e) *width = e->width;
    return e != nullptr;
}

void qel_text_cache_put_width(qel_context* ctx, const qel_text_key* key, float width)
{
    qel_text_add(ctx, key, 0)->width = width;
}

const qel_run_glyph* qel_text_cache_run(qel_context* ctx, const qel_text_key* key, int32_t* count)
{
    const qel_run_glyph* run;
    const qel_text_entry* e = qel_text_lookup(ctx, key, &run);
    if (e) {
        *count = e->run_count;
        return run;
    }
    // A character takes a byte at least, so the text's length bounds its glyphs.
    qel_text_entry* added = qel_text_add(ctx, key, key->length);
    qel_text_generation* g = &ctx->fonts.texts.generations[ctx->fonts.texts.newer];
    qel_run_glyph* out = g->glyphs + added->run;
    qel_glyph_iter it;
    qel_glyph_iter_init(&it, ctx, key->font, key->size, key->text, key->length, (uint8_t)(key->kind & 1));
    int32_t n = 0;
    while (qel_glyph_iter_next(&it)) out[n++] = qel_run_glyph_of(&it);
    added->run_count = n;
    g->glyph_count += n;
    *count = n;
    return out;
}

void qel_text_cache_clear(qel_context* ctx)
{
    for (qel_text_generation& g : ctx->fonts.texts.generations) qel_text_generation_reset(&g);
}

void qel_text_cache_release(qel_context* ctx)
{
    for (qel_text_generation& g : ctx->fonts.texts.generations) qel_text_generation_free(ctx, &g);
}
