// Result-code words, message buffers and the version text of the engine.
#include "errors.h"

#include <cstdarg>
#include <cstdio>

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
