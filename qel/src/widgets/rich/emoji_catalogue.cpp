// The emoji catalogue: inflating and parsing the text once per context, the per-font renderable
// flags, skin tones and name matching.
#include "emoji_catalogue.h"

#include <cstring>

#include "core/core.h"
#include "text/inflate.h"

namespace {

// Bytes that belong to a sequence: every byte of 0x80 or more, and the keycap bases.
bool sequence_byte(uint8_t b)
{
    return b >= 0x80 || b == '#' || b == '*' || (b >= '0' && b <= '9');
}

// Splits the text into lines (terminated in place) and fills the entries.
void parse(qel_emoji_state* st)
{
    char* text = st->catalogue;
    int32_t categories = 0, count = 0;
    uint32_t at = 0;
    while (at < QEL_EMOJI_CATALOGUE_BYTES && count < QEL_EMOJI_CATALOGUE_ENTRIES) {
        char* end = (char*)memchr(text + at, '\n', QEL_EMOJI_CATALOGUE_BYTES - at);
        uint32_t line_end = end ? (uint32_t)(end - text) : (uint32_t)QEL_EMOJI_CATALOGUE_BYTES;
        text[line_end] = '\0';
        uint8_t first = (uint8_t)text[at];
        if (first == '#' && (uint8_t)text[at + 1] < 0x80) {
            categories++;
        } else if (line_end > at) {
            qel_emoji_entry e = {};
            uint32_t p = at;
            e.skin_tone = text[p] == '+';
            if (e.skin_tone) p++;
            e.sequence = p;
            while (p < line_end && sequence_byte((uint8_t)text[p])) p++;
            e.sequence_length = (uint8_t)(p - e.sequence);
            e.version = p < line_end ? (uint8_t)(text[p] - 'A') : 0;
            e.name = p < line_end ? p + 1 : line_end;
            e.name_length = (uint8_t)(line_end - e.name < 255 ? line_end - e.name : 255);
            e.category = (uint8_t)(categories > 0 ? categories - 1 : 0);
            st->entries[count++] = e;
        }
        at = line_end + 1;
    }
    st->entry_count = count;
}

void check_renderable(qel_emoji_state* st)
{
    for (int32_t i = 0; i < st->entry_count; i++) {
        const qel_emoji_entry& e = st->entries[i];
        st->renderable[i] = qel_emoji_glyph_for_sequence(st, st->catalogue + e.sequence, e.sequence_length) != 0;
    }
    st->renderable_checked = 1;
    st->renderable_generation = (uint8_t)(st->renderable_generation % 255 + 1);
}

// The code points that take a skin-tone modifier, as inclusive ranges.
const uint32_t TONE_RANGES[][2] = {
    {0x261D, 0x261D},   {0x26F9, 0x26F9},   {0x270A, 0x270D},   {0x1F385, 0x1F385}, {0x1F3C2, 0x1F3C4},
    {0x1F3C7, 0x1F3C7}, {0x1F3CA, 0x1F3CC}, {0x1F442, 0x1F443}, {0x1F446, 0x1F450}, {0x1F466, 0x1F469},
    {0x1F46B, 0x1F478}, {0x1F47C, 0x1F47C}, {0x1F481, 0x1F483}, {0x1F485, 0x1F487}, {0x1F48F, 0x1F48F},
    {0x1F491, 0x1F491}, {0x1F4AA, 0x1F4AA}, {0x1F574, 0x1F575}, {0x1F57A, 0x1F57A}, {0x1F590, 0x1F590},
    {0x1F595, 0x1F596}, {0x1F645, 0x1F647}, {0x1F64B, 0x1F64F}, {0x1F6A3, 0x1F6A3}, {0x1F6B4, 0x1F6B6},
    {0x1F6C0, 0x1F6C0}, {0x1F6CC, 0x1F6CC}, {0x1F90C, 0x1F90C}, {0x1F90F, 0x1F90F}, {0x1F918, 0x1F91F},
    {0x1F926, 0x1F926}, {0x1F930, 0x1F939}, {0x1F93C, 0x1F93E}, {0x1F977, 0x1F977}, {0x1F9B5, 0x1F9B6},
    {0x1F9B8, 0x1F9B9}, {0x1F9BB, 0x1F9BB}, {0x1F9CD, 0x1F9CF}, {0x1F9D1, 0x1F9DD}, {0x1FAC3, 0x1FAC5},
    {0x1FAF0, 0x1FAF8},
};

bool takes_tone(uint32_t cp)
{
    for (const auto& r : TONE_RANGES)
        if (cp >= r[0] && cp <= r[1]) return true;
    return false;
}

const uint32_t HANDSHAKE = 0x1F91D, TONE_BASE = 0x1F3FA, SELECTOR = 0xFE0F;

void append_code_point(qel_emoji_text* out, uint32_t cp)
{
    char* p = out->text + out->length;
    if (cp < 0x80) {
        p[0] = (char)cp;
        out->length += 1;
    } else if (cp < 0x800) {
        p[0] = (char)(0xC0 | cp >> 6);
        p[1] = (char)(0x80 | (cp & 0x3F));
        out->length += 2;
    } else if (cp < 0x10000) {
        p[0] = (char)(0xE0 | cp >> 12);
        p[1] = (char)(0x80 | (cp >> 6 & 0x3F));
        p[2] = (char)(0x80 | (cp & 0x3F));
        out->length += 3;
    } else {
        p[0] = (char)(0xF0 | (cp >> 18 & 0x07));
        p[1] = (char)(0x80 | (cp >> 12 & 0x3F));
        p[2] = (char)(0x80 | (cp >> 6 & 0x3F));
        p[3] = (char)(0x80 | (cp & 0x3F));
        out->length += 4;
    }
}

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
}

bool word_start(const char* name, int32_t at)
{
    if (at == 0) return true;
    char b = name[at - 1];
    return b == ' ' || b == '(' || b == '-' || b == ':';
}

bool starts_at(const char* name, int32_t name_length, int32_t at, const char* word, int32_t length)
{
    if (at + length > name_length) return false;
    for (int32_t k = 0; k < length; k++)
        if (lower(name[at + k]) != lower(word[k])) return false;
    return true;
}

}  // namespace

bool qel_emoji_catalogue_ready(qel_context* ctx, qel_emoji_state* st)
{
    if (!st->catalogue_tried) {
        st->catalogue_tried = 1;
        st->catalogue = (char*)qel_mem_alloc(ctx, QEL_EMOJI_CATALOGUE_BYTES + 1);
        st->entries = (qel_emoji_entry*)qel_mem_alloc(ctx, QEL_EMOJI_CATALOGUE_ENTRIES * sizeof(qel_emoji_entry));
        st->renderable = (uint8_t*)qel_mem_alloc(ctx, QEL_EMOJI_CATALOGUE_ENTRIES);
        uint64_t n = qel_inflate(qel_emoji_catalogue_deflated, QEL_EMOJI_CATALOGUE_DEFLATED, (uint8_t*)st->catalogue,
                                 QEL_EMOJI_CATALOGUE_BYTES);
        if (n != QEL_EMOJI_CATALOGUE_BYTES) {
            qel_emoji_catalogue_release(ctx, st);
            return false;
        }
        st->catalogue[QEL_EMOJI_CATALOGUE_BYTES] = '\0';
        parse(st);
        memset(st->renderable, 1, QEL_EMOJI_CATALOGUE_ENTRIES);
    }
    if (!st->catalogue) return false;
    if (st->loaded && !st->renderable_checked) check_renderable(st);
    return true;
}

void qel_emoji_catalogue_release(qel_context* ctx, qel_emoji_state* st)
{
    qel_mem_free(ctx, st->catalogue);
    qel_mem_free(ctx, st->entries);
    qel_mem_free(ctx, st->renderable);
    st->catalogue = nullptr;
    st->entries = nullptr;
    st->renderable = nullptr;
    st->entry_count = 0;
}

qel_emoji_text qel_emoji_apply_skin_tone(const char* sequence, int32_t length, int32_t tone)
{
    uint32_t cps[QEL_EMOJI_MAX_CODE_POINTS];
    int32_t n = qel_emoji_decode_utf8(sequence, length, cps, QEL_EMOJI_MAX_CODE_POINTS);
    qel_emoji_text out = {};
    bool after_modifier = false;
    for (int32_t i = 0; i < n && out.length <= QEL_EMOJI_TONE_LIMIT; i++) {
        if (cps[i] == SELECTOR && after_modifier) {
            after_modifier = false;
            continue;
        }
        append_code_point(&out, cps[i]);
        after_modifier = takes_tone(cps[i]) && (cps[i] != HANDSHAKE || i == 0);
        if (after_modifier && out.length <= QEL_EMOJI_TONE_LIMIT) append_code_point(&out, TONE_BASE + (uint32_t)tone);
    }
    out.text[out.length] = '\0';
    return out;
}

bool qel_emoji_name_matches(const char* name, int32_t name_length, const char* query)
{
    const char* q = query;
    while (*q) {
        while (*q == ' ') q++;
        int32_t length = 0;
        while (q[length] && q[length] != ' ') length++;
        if (length == 0) break;
        if (length > name_length) return false;
        bool found = false;
        for (int32_t at = 0; at + length <= name_length && !found; at++)
            found = word_start(name, at) && starts_at(name, name_length, at, q, length);
        if (!found) return false;
        q += length;
    }
    return true;
}
