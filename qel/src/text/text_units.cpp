// UTF-8 stepping and label rules at the byte level. Decoding never fails: anything malformed
// becomes U+FFFD one byte at a time, so callers always make progress.
#include <cstring>

#include "qel/text_units.h"

static const uint32_t REPLACEMENT = 0xFFFD;

static bool is_continuation(uint8_t b)
{
    return (b & 0xC0) == 0x80;
}

int32_t qel_utf8_decode(const uint8_t* text, int32_t bytes_left, uint32_t* code_point)
{
    if (bytes_left <= 0) {
        *code_point = 0;
        return 1;
    }
    uint8_t lead = text[0];
    int32_t need;
    uint32_t cp;
    if (lead < 0x80) {
        *code_point = lead;
        return 1;
    } else if (lead >= 0xC0 && lead <= 0xDF) {
        need = 2;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 3;
        cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF7) {
        need = 4;
        cp = lead & 0x07;
    } else {
        *code_point = REPLACEMENT;
        return 1;
    }
    if (bytes_left < need) {
        *code_point = REPLACEMENT;
        return 1;
    }
    for (int32_t i = 1; i < need; i++) {
        if (!is_continuation(text[i])) {
            *code_point = REPLACEMENT;
            return 1;
        }
        cp = cp << 6 | (text[i] & 0x3F);
    }
    *code_point = cp;
    return need;
}

int32_t qel_utf8_encode(uint32_t code_point, uint8_t* out)
{
    if (code_point < 0x80) {
        out[0] = (uint8_t)code_point;
        return 1;
    }
    int32_t n = code_point < 0x800 ? 2 : code_point < 0x10000 ? 3 : 4;
    static const uint8_t lead_mark[5] = {0, 0, 0xC0, 0xE0, 0xF0};
    for (int32_t i = n - 1; i > 0; i--) {
        out[i] = (uint8_t)(0x80 | (code_point & 0x3F));
        code_point >>= 6;
    }
    out[0] = (uint8_t)(lead_mark[n] | code_point);
    return n;
}

int32_t qel_utf8_prev(const char* text, int32_t position)
{
    if (position < 2) return 0;
    int32_t i = position - 1;
    while (i > 0 && is_continuation((uint8_t)text[i])) i--;
    return i;
}

int32_t qel_utf8_next(const char* text, int32_t length, int32_t position)
{
    if (position >= length) return length;
    int32_t i = position + 1;
    while (i < length && is_continuation((uint8_t)text[i])) i++;
    return i;
}

int32_t qel_utf8_fit(const char* text, int32_t length, int32_t max_bytes)
{
    int32_t kept = 0;
    for (int32_t next; kept < length && (next = qel_utf8_next(text, length, kept)) <= max_bytes;) kept = next;
    return kept;
}

int32_t qel_utf8_copy(char* out, int32_t capacity, const char* text)
{
    if (capacity < 1) return 0;
    int32_t length = text ? qel_utf8_fit(text, (int32_t)strnlen(text, (size_t)capacity), capacity - 1) : 0;
    memcpy(out, text ? text : "", (size_t)length);
    out[length] = 0;
    return length;
}

int32_t qel_label_visible_len(const char* label)
{
    if (!label) return 0;
    const char* marker = strstr(label, "##");
    return (int32_t)(marker ? (size_t)(marker - label) : strlen(label));
}

char qel_ascii_lower(char c)
{
    return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
}

bool qel_str_contains_nocase(const char* haystack, const char* needle)
{
    if (!needle || !*needle) return true;
    if (!haystack) return false;
    for (; *haystack; haystack++) {
        size_t i = 0;
        while (needle[i] && qel_ascii_lower(haystack[i]) == qel_ascii_lower(needle[i])) i++;
        if (!needle[i]) return true;
    }
    return false;
}
