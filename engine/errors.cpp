// Result-code words, message buffers and the version text of the engine.
#include "errors.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

const char* engine_error_text(int code)
{
    static const char* const texts[] = {
        "ok", "invalid input", "out of range", "out of memory", "i/o error", "unrecognised file",
        "the built-in font has no glyph for this text",
    };
    if (code < 0 || code >= (int)(sizeof texts / sizeof texts[0])) return "unknown";
    return texts[code];
}

const char* engine_version()
{
    return "0.9.0-beta.3 (2026-11-10, b6c6179)";
}

void engine_message_clear(char* msg, size_t msg_size)
{
    if (msg && msg_size > 0) msg[0] = '\0';
}

void engine_message(char* msg, size_t msg_size, const char* fmt, ...)
{
    if (!msg || msg_size == 0) return;
    va_list args;
    va_start(args, fmt);
    vsnprintf(msg, msg_size, fmt, args);
    va_end(args);
}

namespace {

// The bytes of the well-formed UTF-8 character at p; 0 when p holds none.
size_t utf8_length(const unsigned char* p)
{
    if (*p < 0x80) return 1;
    if (*p < 0xC2 || *p > 0xF4) return 0;
    const size_t n = *p >= 0xF0 ? 4 : *p >= 0xE0 ? 3 : 2;
    // The second byte's range rules out long forms, surrogates and code points past U+10FFFF.
    const unsigned lo = *p == 0xE0 ? 0xA0 : *p == 0xF0 ? 0x90 : 0x80;
    const unsigned hi = *p == 0xED ? 0x9F : *p == 0xF4 ? 0x8F : 0xBF;
    if (p[1] < lo || p[1] > hi) return 0;
    for (size_t i = 2; i < n; i++)
        if ((p[i] & 0xC0) != 0x80) return 0;
    return n;
}

// How the character of `length` bytes at p (0: a byte that is not UTF-8) is shown, into unit;
// the bytes of that.
size_t shown_as(const unsigned char* p, size_t length, char* unit, size_t unit_size)
{
    const unsigned c = *p;
    const char* named = c == '\n' ? "n" : c == '\r' ? "r" : c == '\t' ? "t" : nullptr;
    if (named) return (size_t)snprintf(unit, unit_size, "\\%s", named);
    if (length == 0 || c < 0x20 || c == 0x7F) return (size_t)snprintf(unit, unit_size, "\\x%02x", c);
    // U+0080 to U+009F, which terminals take as controls too.
    if (length == 2 && c == 0xC2 && p[1] < 0xA0) return (size_t)snprintf(unit, unit_size, "\\u%04x", p[1]);
    memcpy(unit, p, length);
    return length;
}

}  // namespace

size_t engine_message_escape(char* out, size_t out_size, const char* text)
{
    if (!out || out_size == 0) return 0;
    size_t used = 0;
    for (const unsigned char* p = (const unsigned char*)(text ? text : ""); *p;) {
        char unit[8];
        const size_t length = utf8_length(p);
        const size_t n = shown_as(p, length, unit, sizeof unit);
        if (used + n >= out_size) break;
        memcpy(out + used, unit, n);
        used += n;
        p += length > 0 ? length : 1;
    }
    out[used] = '\0';
    return used;
}
