// The engine's result codes, their words, caller-buffer messages and the version text.
// Every engine module reports through these; what to show the user is left to the programs.
#pragma once

#include <cstddef>

enum engine_error : int {
    ERR_OK = 0,
    ERR_INVALID = 1,
    ERR_RANGE = 2,
    ERR_NOMEM = 3,
    ERR_IO = 4,
    ERR_FORMAT = 5,
    ERR_NO_GLYPH = 6,
};

// Words for a result code; "unknown" for a value outside the table.
const char* engine_error_text(int code);

// The engine's version, shown by both programs.
const char* engine_version();

// Sets a caller's message buffer to "" (when both are given).
void engine_message_clear(char* msg, size_t msg_size);

// mingw's own printf, which the build selects, takes the C99 formats (%zu, %lld) that the
// attribute's default there, the Microsoft one, does not know.
#ifdef __MINGW32__
#define ENGINE_PRINTF gnu_printf
#else
#define ENGINE_PRINTF printf
#endif

// Writes one printf-style message into a caller's buffer, cut to its size.
// Does nothing without a buffer or with size 0.
[[gnu::format(ENGINE_PRINTF, 3, 4)]] void engine_message(char* msg, size_t msg_size, const char* fmt, ...);

// Copies a message for showing into out, with its control characters escaped ("\n", "\t",
// "\x1b", "\u009b") and bytes that are not UTF-8 as "\xNN", so that text from a spreadsheet
// keeps a message on its one line and cannot drive the user's terminal. The copy is cut to
// out_size at a whole character or escape; an escape takes at most 4 bytes a byte of text.
// Returns the bytes written; does nothing without a buffer or with size 0.
size_t engine_message_escape(char* out, size_t out_size, const char* text);
