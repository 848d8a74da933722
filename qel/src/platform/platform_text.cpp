// Conversions are our own rather than the system's so that cutting and failure follow one rule
// everywhere, and so that they are tested natively.
#include "platform/platform_text.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "qel/text_units.h"

static const uint32_t REPLACEMENT = 0xFFFD;

bool qel_utf16_is_high(uint32_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool qel_utf16_is_low(uint32_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

uint32_t qel_utf16_join(uint32_t high, uint32_t low)
{
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

static bool is_surrogate(uint32_t c)
{
    return qel_utf16_is_high(c) || qel_utf16_is_low(c);
}

int32_t qel_utf16_from_utf8(const char* text, uint16_t* out, int32_t capacity, bool* complete)
{
    const uint8_t* p = (const uint8_t*)(text ? text : "");
    int32_t left = (int32_t)strlen((const char*)p);
    int32_t used = 0;
    bool fits = true;
    while (left > 0) {
        uint32_t c;
        int32_t step = qel_utf8_decode(p, left, &c);
        // A decoded 0 can only be an overlong form; as a unit it would end the text early.
        if (c == 0 || is_surrogate(c) || c > 0x10FFFF) c = REPLACEMENT;
        int32_t units = c >= 0x10000 ? 2 : 1;
        if (used + units > capacity - 1) {
            fits = false;
            break;
        }
        if (units == 2) {
            out[used++] = (uint16_t)(0xD800 + ((c - 0x10000) >> 10));
            out[used++] = (uint16_t)(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out[used++] = (uint16_t)c;
        }
        p += step;
        left -= step;
    }
    out[used] = 0;
    if (complete) *complete = fits;
    return used;
}

int32_t qel_utf8_from_utf16(const uint16_t* text, int32_t length, char* out, int32_t capacity, bool* complete)
{
    int32_t used = 0;
    bool fits = true;
    for (int32_t i = 0; length < 0 ? text[i] != 0 : i < length; i++) {
        uint32_t c = text[i];
        bool pair = qel_utf16_is_high(c) && (length < 0 || i + 1 < length) && qel_utf16_is_low(text[i + 1]);
        if (pair) c = qel_utf16_join(c, text[i + 1]);
        else if (is_surrogate(c)) c = REPLACEMENT;
        uint8_t bytes[4];
        int32_t n = qel_utf8_encode(c, bytes);
        if (used + n > capacity - 1) {
            fits = false;
            break;
        }
        memcpy(out + used, bytes, (size_t)n);
        used += n;
        i += pair ? 1 : 0;
    }
    out[used] = 0;
    if (complete) *complete = fits;
    return used;
}

char* qel_utf8_alloc_from_utf16(const uint16_t* text, size_t units)
{
    if (units >= INT32_MAX / 3) return nullptr;
    size_t bytes = units * 3 + 1;  // three bytes a unit at the most
    char* utf8 = (char*)malloc(bytes);
    if (utf8) qel_utf8_from_utf16(text, (int32_t)units, utf8, (int32_t)bytes, nullptr);
    return utf8;
}

void qel_utf8_copy_cut(char* out, size_t capacity, const char* text)
{
    const char* src = text ? text : "";
    int32_t length = (int32_t)strlen(src);
    int32_t end = 0;
    while (end < length) {
        int32_t next = qel_utf8_next(src, length, end);
        if ((size_t)next > capacity - 1) break;
        end = next;
    }
    memcpy(out, src, (size_t)end);
    out[end] = 0;
}

// "png;jpg" as "*.png;*.jpg"; an item that does not fit whole ends the list, empty items are
// skipped.
static void build_patterns(const char* extensions, char* out, size_t capacity)
{
    size_t used = 0;
    out[0] = 0;
    for (const char* item = extensions; *item;) {
        size_t length = strcspn(item, ";");
        if (length) {
            size_t separator = used ? 1 : 0;
            if (used + separator + 2 + length + 1 > capacity) break;
            if (separator) out[used++] = ';';
            memcpy(out + used, "*.", 2);
            memcpy(out + used + 2, item, length);
            used += 2 + length;
            out[used] = 0;
        }
        item += length;
        if (*item == ';') item++;
    }
}

// Appends both strings with their NULs, keeping room for the list's final NUL; on failure the
// buffer is as before.
static bool append_pair(uint16_t* out, int32_t capacity, int32_t* used, const char* first, const char* second)
{
    int32_t at = *used;
    for (const char* text : {first, second}) {
        if (at >= capacity - 1) return false;
        bool fits;
        at += qel_utf16_from_utf8(text, out + at, capacity - 1 - at, &fits) + 1;
        if (!fits || at > capacity - 1) return false;
    }
    *used = at;
    return true;
}

int32_t qel_file_filter_build(const char* name, const char* extensions, uint16_t* out, int32_t capacity)
{
    if (capacity < 1) return 0;
    char patterns[400];
    build_patterns(extensions ? extensions : "", patterns, sizeof patterns);
    // "All files" comes first in importance: the own pair goes in only when both fit.
    int32_t used = 0;
    bool both = patterns[0] && append_pair(out, capacity, &used, name ? name : "Files", patterns) &&
                append_pair(out, capacity, &used, "All files", "*.*");
    if (!both) {
        used = 0;
        append_pair(out, capacity, &used, "All files", "*.*");
    }
    out[used++] = 0;
    return used;
}

void qel_text_unix_line_ends(char* text)
{
    char* to = text;
    for (const char* from = text; *from; from++) {
        if (*from == '\r') {
            *to++ = '\n';
            if (from[1] == '\n') from++;
        } else {
            *to++ = *from;
        }
    }
    *to = 0;
}
