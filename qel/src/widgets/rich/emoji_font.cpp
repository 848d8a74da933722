// The colour-emoji font: loading from memory, a file or the system folder, the tables it keeps,
// and the sequence-to-glyph mapping through the character map and the GSUB ligatures. The state
// is a frame-hooks record of the context, so the application's user pointer and event hook stay
// its own.
#include "emoji_font.h"

#include <cstdlib>
#include <cstring>

#include "core/core.h"
#include "core/frame_hooks.h"
#include "emoji_catalogue.h"
#include "files/file_io.h"
#include "opentype.h"
#include "qel/emoji.h"
#include "qel/font.h"
#include "text/font_check.h"

namespace {

const uint32_t MAX_TABLE = 64u << 20;            // a copied table
const uint64_t MAX_OUTLINE_FILE = 96ull << 20;   // a file brought into memory for its outlines
const uint32_t MAX_FILE_SIZE = 0x7FFFFFFF;       // what fseek reaches everywhere
const int32_t MAX_LIGATURE_CHECKS = 100000;      // per sequence: counts in a font may repeat offsets
const uint32_t VARIATION_SELECTOR_16 = 0xFE0F;

void frame_begin(qel_context* ctx, void* record)
{
    auto* st = (qel_emoji_state*)record;
    if (st->texture && qel_ctx_frame_count(ctx) > st->last_use + 600) qel_emoji_cache_release(ctx, st);
}

void renderer_changed(qel_context* ctx, void* record)
{
    qel_emoji_cache_release(ctx, (qel_emoji_state*)record);
}

void font_release(qel_context* ctx, qel_emoji_state* st);

void destroy(qel_context* ctx, void* record)
{
    auto* st = (qel_emoji_state*)record;
    qel_emoji_cache_release(ctx, st);
    font_release(ctx, st);
    qel_emoji_catalogue_release(ctx, st);
}

const qel_frame_hooks EMOJI_HOOKS = {300, sizeof(qel_emoji_state), frame_begin, nullptr, renderer_changed, destroy,
                                     nullptr};

void font_release(qel_context* ctx, qel_emoji_state* st)
{
    qel_mem_free(ctx, st->cmap);
    qel_mem_free(ctx, st->gsub);
    qel_mem_free(ctx, st->cblc);
    qel_mem_free(ctx, st->colr);
    qel_mem_free(ctx, st->cpal);
    qel_mem_free(ctx, st->outline);
    if (st->owned) qel_mem_free(ctx, (void*)st->data);
    if (st->file) fclose(st->file);
    uint8_t system_tried = st->system_tried;
    // The cache stays laid out; only its cells go, since they hold the old font's glyphs.
    for (qel_emoji_cache_entry& cell : st->cells) cell.state = QEL_EMOJI_CELL_EMPTY;
    st->data = nullptr;
    st->size = 0;
    st->owned = 0;
    st->file = nullptr;
    st->collection_offset = 0;
    st->cmap = st->gsub = st->cblc = st->colr = st->cpal = nullptr;
    st->cmap_length = st->cmap_subtable = st->cmap_format = st->gsub_length = st->cblc_length = 0;
    st->cbdt_offset = st->sbix_offset = st->strike_count = st->colr_length = st->cpal_length = 0;
    st->outline = nullptr;
    st->outline_only = st->loaded = st->renderable_checked = 0;
    st->glyph_count = 0;
    st->system_tried = system_tried;
}

struct table_entry {
    uint32_t offset, length;
    bool present;
};

bool read_u32(qel_emoji_state* st, uint64_t at, uint32_t* value)
{
    uint8_t b[4];
    if (!qel_emoji_font_read(st, at, 4, b)) return false;
    *value = qel_span_u32({b, 4}, 0);
    return true;
}

bool read_u16(qel_emoji_state* st, uint64_t at, uint16_t* value)
{
    uint8_t b[2];
    if (!qel_emoji_font_read(st, at, 2, b)) return false;
    *value = qel_span_u16({b, 2}, 0);
    return true;
}

// A private copy of a table of 1 .. max bytes; false (nothing kept) otherwise.
bool copy_table(qel_context* ctx, qel_emoji_state* st, const table_entry& t, uint32_t max, uint8_t** out,
                uint32_t* length)
{
    if (!t.present || t.length == 0 || t.length > max) return false;
    uint8_t* copy = (uint8_t*)qel_mem_alloc(ctx, t.length);
    if (!qel_emoji_font_read(st, t.offset, t.length, copy)) {
        qel_mem_free(ctx, copy);
        return false;
    }
    *out = copy;
    *length = t.length;
    return true;
}

enum table_index { CMAP, GSUB, CBLC, CBDT, SBIX, COLR, CPAL, MAXP, GLYF, CFF, TABLE_COUNT };
const char TAGS[TABLE_COUNT][5] = {"cmap", "GSUB", "CBLC", "CBDT", "sbix", "COLR", "CPAL", "maxp", "glyf", "CFF "};

bool read_directory(qel_emoji_state* st, table_entry* tables)
{
    uint8_t head[12];
    if (!qel_emoji_font_read(st, 0, 12, head)) return false;
    if (memcmp(head, "ttcf", 4) == 0) {
        if (!read_u32(st, 12, &st->collection_offset) || !qel_emoji_font_read(st, st->collection_offset, 12, head))
            return false;
    }
    uint32_t count = qel_span_u16({head, 12}, 4);
    if (count < 1 || count > 200) return false;
    uint8_t directory[200 * 16];
    if (!qel_emoji_font_read(st, (uint64_t)st->collection_offset + 12, count * 16, directory)) return false;
    for (uint32_t i = 0; i < count; i++) {
        const uint8_t* record = directory + i * 16;
        for (int t = 0; t < TABLE_COUNT; t++) {
            if (tables[t].present || memcmp(record, TAGS[t], 4) != 0) continue;
            tables[t] = {qel_span_u32({record, 16}, 8), qel_span_u32({record, 16}, 12), true};
        }
    }
    return tables[CMAP].present;
}

void read_strikes(qel_emoji_state* st, const table_entry& sbix)
{
    uint32_t count;
    if (!read_u32(st, (uint64_t)sbix.offset + 4, &count)) return;
    if (count > QEL_EMOJI_MAX_STRIKES) count = QEL_EMOJI_MAX_STRIKES;
    st->sbix_offset = sbix.offset;
    for (uint32_t i = 0; i < count; i++) {
        uint32_t offset;
        uint16_t ppem;
        if (!read_u32(st, (uint64_t)sbix.offset + 8 + 4 * i, &offset)) return;
        uint64_t strike = (uint64_t)sbix.offset + offset;
        if (strike > UINT32_MAX || !read_u16(st, strike, &ppem)) return;
        st->strike_offset[st->strike_count] = (uint32_t)strike;
        st->strike_ppem[st->strike_count] = ppem;
        st->strike_count++;
    }
}

// The whole font in memory with an outline record over it; the rasteriser trusts the font, so
// it passes the font check first.
bool make_outline(qel_context* ctx, qel_emoji_state* st)
{
    if (!st->data) {
        if (st->size > MAX_OUTLINE_FILE) return false;
        uint8_t* whole = (uint8_t*)qel_mem_alloc(ctx, (size_t)st->size);
        if (!qel_emoji_font_read(st, 0, (uint32_t)st->size, whole)) {
            qel_mem_free(ctx, whole);
            return false;
        }
        fclose(st->file);
        st->file = nullptr;
        st->data = whole;
        st->owned = 1;
    }
    int32_t offset, units_per_em;
    if (!qel_font_check(ctx, st->data, (int32_t)st->size, &offset, &units_per_em)) return false;
    st->outline = qel_font_info_create(ctx, st->data, (int32_t)st->collection_offset);
    return st->outline != nullptr;
}

bool parse(qel_context* ctx, qel_emoji_state* st)
{
    table_entry tables[TABLE_COUNT] = {};
    if (!read_directory(st, tables)) return false;
    uint16_t glyphs;
    if (tables[MAXP].present && read_u16(st, (uint64_t)tables[MAXP].offset + 4, &glyphs)) st->glyph_count = glyphs;
    if (!copy_table(ctx, st, tables[CMAP], MAX_TABLE, &st->cmap, &st->cmap_length)) return false;
    qel_span cmap = {st->cmap, st->cmap_length};
    st->cmap_subtable = qel_opentype_cmap_subtable(cmap, 0);
    if (!st->cmap_subtable) return false;
    st->cmap_format = qel_opentype_u16(cmap, st->cmap_subtable);
    copy_table(ctx, st, tables[GSUB], MAX_TABLE, &st->gsub, &st->gsub_length);
    if (tables[CBDT].present && copy_table(ctx, st, tables[CBLC], MAX_TABLE, &st->cblc, &st->cblc_length))
        st->cbdt_offset = tables[CBDT].offset;
    if (tables[SBIX].present && st->glyph_count) read_strikes(st, tables[SBIX]);
    if (copy_table(ctx, st, tables[COLR], MAX_TABLE, &st->colr, &st->colr_length) &&
        copy_table(ctx, st, tables[CPAL], MAX_TABLE, &st->cpal, &st->cpal_length)) {
        if (st->colr_length < 4 || qel_span_u16({st->colr, st->colr_length}, 2) == 0) {
            qel_mem_free(ctx, st->colr);
            qel_mem_free(ctx, st->cpal);
            st->colr = st->cpal = nullptr;
            st->colr_length = st->cpal_length = 0;
        }
    } else {
        qel_mem_free(ctx, st->colr);
        st->colr = nullptr;
        st->colr_length = 0;
    }
    bool outlines = tables[GLYF].present || tables[CFF].present;
    if (st->cblc || st->strike_count) return true;
    if (!outlines || !make_outline(ctx, st)) return false;
    st->outline_only = st->colr == nullptr;
    return true;
}

// Parses the font set up in the state; a refused font is released.
bool load(qel_context* ctx, qel_emoji_state* st)
{
    if (parse(ctx, st)) {
        st->loaded = 1;
        if (ctx->clock.input_frames < 2) ctx->clock.input_frames = 2;
        return true;
    }
    font_release(ctx, st);
    return false;
}

}  // namespace

qel_emoji_state* qel_emoji_state_of(qel_context* ctx)
{
    return (qel_emoji_state*)qel_frame_hooks_record(ctx, &EMOJI_HOOKS);
}

int32_t qel_emoji_decode_utf8(const char* text, int32_t length, uint32_t* out, int32_t max)
{
    const uint8_t* s = (const uint8_t*)text;
    int32_t count = 0, at = 0;
    while (at < length && count < max) {
        uint8_t lead = s[at];
        int32_t n = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : 4;
        if (at + n > length) break;
        uint32_t cp = n == 1 ? lead : n == 2 ? lead & 0x1Fu : n == 3 ? lead & 0x0Fu : lead & 0x07u;
        for (int32_t k = 1; k < n; k++) cp = cp << 6 | (s[at + k] & 0x3Fu);
        out[count++] = cp;
        at += n;
    }
    return count;
}

bool qel_emoji_font_read(qel_emoji_state* st, uint64_t offset, uint32_t length, uint8_t* out)
{
    if (offset > st->size || length > st->size - offset) return false;
    if (st->data) {
        memcpy(out, st->data + offset, length);
        return true;
    }
    return st->file && fseek(st->file, (long)offset, SEEK_SET) == 0 && fread(out, 1, length, st->file) == length;
}

// --- Ligatures ---

namespace {

struct ligature_walk {
    qel_span gsub;
    uint32_t* glyphs;
    int32_t count;
    int32_t checks;  // left before the walk gives up
};

// Tries one ligature substitution subtable at position at; true when it replaced a run.
bool try_subtable(ligature_walk* w, uint32_t sub, int32_t at)
{
    if (qel_opentype_u16(w->gsub, sub) != 1) return false;
    uint32_t coverage = qel_opentype_offset16(w->gsub, sub, (uint64_t)sub + 2);
    int32_t index = coverage ? qel_opentype_coverage(w->gsub, coverage, w->glyphs[at]) : -1;
    if (index < 0) return false;
    uint32_t set = qel_opentype_ligature_set(w->gsub, sub, index);
    uint32_t n = qel_opentype_ligature_count(w->gsub, set);
    for (uint32_t i = 0; i < n; i++) {
        if (--w->checks < 0) return false;
        qel_opentype_ligature lig;
        if (!qel_opentype_ligature_at(w->gsub, set, i, &lig)) continue;
        if (lig.components < 1 || lig.components > (uint32_t)(w->count - at)) continue;
        uint32_t k = 1;
        while (k < lig.components && qel_opentype_u16(w->gsub, lig.rest + 2 * (k - 1)) == w->glyphs[at + k]) k++;
        if (k < lig.components) continue;
        w->glyphs[at] = lig.glyph;
        memmove(w->glyphs + at + 1, w->glyphs + at + lig.components,
                (size_t)(w->count - at - (int32_t)lig.components) * sizeof(uint32_t));
        w->count -= (int32_t)lig.components - 1;
        return true;
    }
    return false;
}

// The ligature substitution subtable behind subtable j of a lookup of type 4 or 7; 0 for none.
uint32_t ligature_subtable(qel_span gsub, uint32_t lookup, uint16_t type, uint32_t j)
{
    uint32_t sub = qel_opentype_offset16(gsub, lookup, (uint64_t)lookup + 6 + 2 * j);
    if (!sub || type == 4) return sub;
    if (qel_opentype_u16(gsub, sub) != 1 || qel_opentype_u16(gsub, (uint64_t)sub + 2) != 4) return 0;
    uint64_t target = (uint64_t)sub + qel_opentype_u32(gsub, (uint64_t)sub + 4);
    return target > sub && target < gsub.length ? (uint32_t)target : 0;
}

void run_lookup(ligature_walk* w, uint32_t lookup)
{
    uint16_t type = qel_opentype_u16(w->gsub, lookup);
    if (type != 4 && type != 7) return;
    uint16_t subtables = qel_opentype_u16(w->gsub, (uint64_t)lookup + 4);
    for (int32_t at = 0; at < w->count && w->count > 1 && w->checks >= 0; at++) {
        for (uint32_t j = 0; j < subtables && w->checks >= 0; j++) {
            if (--w->checks < 0) return;
            uint32_t sub = ligature_subtable(w->gsub, lookup, type, j);
            if (sub && try_subtable(w, sub, at)) break;
        }
    }
}

}  // namespace

int32_t qel_emoji_apply_ligatures(const qel_emoji_state* st, uint32_t* glyphs, int32_t count)
{
    if (count < 2 || !st->gsub) return count;
    uint32_t work[QEL_EMOJI_MAX_CODE_POINTS];
    memcpy(work, glyphs, (size_t)count * sizeof(uint32_t));
    ligature_walk w = {{st->gsub, st->gsub_length}, work, count, MAX_LIGATURE_CHECKS};
    uint32_t list = qel_opentype_offset16(w.gsub, 0, 8);
    uint16_t lookups = list ? qel_opentype_u16(w.gsub, list) : 0;
    for (uint32_t i = 0; i < lookups && w.count > 1 && w.checks >= 0; i++) {
        uint32_t lookup = qel_opentype_offset16(w.gsub, list, (uint64_t)list + 2 + 2 * i);
        if (lookup) run_lookup(&w, lookup);
    }
    // A walk cut short by its bound makes no ligature.
    if (w.checks < 0) return count;
    memcpy(glyphs, work, (size_t)w.count * sizeof(uint32_t));
    return w.count;
}

// --- Sequences ---

namespace {

// The glyphs of the code points, selectors left out when asked; false when a code point other
// than a selector has none.
bool map_code_points(const qel_emoji_state* st, const uint32_t* cps, int32_t n, bool keep_selectors,
                     uint32_t* glyphs, int32_t* count)
{
    qel_span cmap = {st->cmap, st->cmap_length};
    *count = 0;
    for (int32_t i = 0; i < n; i++) {
        if (cps[i] == VARIATION_SELECTOR_16 && !keep_selectors) continue;
        uint32_t g = qel_opentype_cmap_glyph(cmap, st->cmap_subtable, cps[i]);
        if (!g && cps[i] != VARIATION_SELECTOR_16) return false;
        glyphs[(*count)++] = g;
    }
    return true;
}

}  // namespace

uint32_t qel_emoji_glyph_for_sequence(const qel_emoji_state* st, const char* text, int32_t length)
{
    if (!st->cmap_subtable) return 0;
    uint32_t cps[QEL_EMOJI_MAX_CODE_POINTS], glyphs[QEL_EMOJI_MAX_CODE_POINTS];
    int32_t n = qel_emoji_decode_utf8(text, length, cps, QEL_EMOJI_MAX_CODE_POINTS), count;
    if (!map_code_points(st, cps, n, true, glyphs, &count)) return 0;
    if (count == 2 && cps[n - 1] == VARIATION_SELECTOR_16) {
        uint32_t first = glyphs[0];
        return qel_emoji_apply_ligatures(st, glyphs, 2) == 1 ? glyphs[0] : first;
    }
    if (qel_emoji_apply_ligatures(st, glyphs, count) == 1 && glyphs[0]) return glyphs[0];
    if (!map_code_points(st, cps, n, false, glyphs, &count)) return 0;
    return qel_emoji_apply_ligatures(st, glyphs, count) == 1 ? glyphs[0] : 0;
}

// --- Loading ---

bool qel_emoji_font_from_memory(qel_context* ctx, const uint8_t* data, uint64_t size, bool copy)
{
    if (!ctx || !data || size < 12 || size > MAX_FILE_SIZE) return false;
    qel_emoji_state* st = qel_emoji_state_of(ctx);
    font_release(ctx, st);
    if (copy) {
        uint8_t* own = (uint8_t*)qel_mem_alloc(ctx, (size_t)size);
        memcpy(own, data, (size_t)size);
        data = own;
        st->owned = 1;
    }
    st->data = data;
    st->size = size;
    return load(ctx, st);
}

bool qel_emoji_font_from_file(qel_context* ctx, const char* path)
{
    if (!ctx || !path) return false;
    FILE* f = nullptr;
    if (file_open_read(path, &f) != FILE_READ_OPENED) return false;
    int64_t size = file_size_from_end(f);
    if (size < 12 || size > MAX_FILE_SIZE) {
        fclose(f);
        return false;
    }
    qel_emoji_state* st = qel_emoji_state_of(ctx);
    font_release(ctx, st);
    st->file = f;
    st->size = (uint64_t)size;
    return load(ctx, st);
}

bool qel_emoji_font_system(qel_context* ctx)
{
    if (!ctx) return false;
    qel_emoji_state_of(ctx)->system_tried = 1;
    const char* windir = getenv("WINDIR");
    char path[300];
    snprintf(path, sizeof path, "%s\\Fonts\\seguiemj.ttf", windir ? windir : "C:\\Windows");
    return qel_emoji_font_from_file(ctx, path);
}

bool qel_emoji_font_ensure(qel_context* ctx)
{
    if (!ctx) return false;
    qel_emoji_state* st = qel_emoji_state_of(ctx);
    bool platform = ctx->platform.render_emoji != nullptr;
    if (st->loaded || platform) return true;
    if (st->system_tried) return false;
    return qel_emoji_font_system(ctx) || platform;
}

bool qel_emoji_can_render(qel_context* ctx, const char* text, int32_t length)
{
    if (!ctx || !text || !qel_emoji_font_ensure(ctx)) return false;
    qel_emoji_state* st = qel_emoji_state_of(ctx);
    if (!st->loaded) return true;
    return qel_emoji_glyph_for_sequence(st, text, length < 0 ? (int32_t)strlen(text) : length) != 0;
}
