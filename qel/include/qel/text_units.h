// Byte-level UTF-8 and the label conventions: the visible part of a label that also carries an
// id, and case-insensitive matching for filters. Measuring and drawing text are the font modules'.
#pragma once

#include "qel/types.h"

// --- UTF-8 ---

// Decodes one code point, returning the bytes consumed (always at least 1). A cut or broken
// sequence, a stray continuation byte or a lead byte 0xF8-0xFF gives U+FFFD and 1; overlong
// forms and surrogates pass as decoded. No bytes left gives code point 0 and 1.
int32_t qel_utf8_decode(const uint8_t* text, int32_t bytes_left, uint32_t* code_point);

// Writes 1 to 4 bytes (no terminator) and returns how many.
int32_t qel_utf8_encode(uint32_t code_point, uint8_t* out);

// Start of the character before position; 0 when position < 2.
int32_t qel_utf8_prev(const char* text, int32_t position);

// Position after the character at position, never past length.
int32_t qel_utf8_next(const char* text, int32_t length, int32_t position);
// Bytes of the whole characters of text (length bytes) that fit in max_bytes.
int32_t qel_utf8_fit(const char* text, int32_t length, int32_t max_bytes);
// Copies the whole characters of text that fit in capacity - 1 bytes and terminates the copy;
// null text copies nothing. Returns the bytes copied; nothing at all for capacity < 1.
int32_t qel_utf8_copy(char* out, int32_t capacity, const char* text);

// --- Labels ---

// Bytes of the label shown on screen: everything before the first "##" (0 for null).
int32_t qel_label_visible_len(const char* label);

// The byte with A to Z made a to z; every other byte, UTF-8 included, as it is.
char qel_ascii_lower(char c);

// True when needle occurs in haystack, ASCII letters compared without case. A null or empty
// needle matches anything.
bool qel_str_contains_nocase(const char* haystack, const char* needle);
