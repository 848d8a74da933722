// Text at the Windows boundary: UTF-8 to UTF-16 and back into fixed buffers, titles cut at a
// character boundary, the open and save dialogs' filter list, and clipboard line ends. UTF-16 is
// held as uint16_t so that this builds and is tested anywhere.
#pragma once

#include <cstddef>
#include <cstdint>

// UTF-16 surrogates: the high half (D800..DBFF) comes first, the low half (DC00..DFFF) second,
// and the two make one code point above U+FFFF.
bool qel_utf16_is_high(uint32_t unit);
bool qel_utf16_is_low(uint32_t unit);
uint32_t qel_utf16_join(uint32_t high, uint32_t low);

// Converts NUL-terminated UTF-8 into at most capacity - 1 units and a NUL, stopping before a
// character that does not fit (a surrogate pair is never split). Broken bytes become U+FFFD.
// *complete (may be null) tells whether all of it fitted. Returns the units written before the
// NUL; capacity must be at least 1.
int32_t qel_utf16_from_utf8(const char* text, uint16_t* out, int32_t capacity, bool* complete);

// The reverse, of length units (-1: up to a NUL); a lone surrogate becomes U+FFFD. A buffer of
// 3 x units + 1 bytes always suffices.
int32_t qel_utf8_from_utf16(const uint16_t* text, int32_t length, char* out, int32_t capacity, bool* complete);

// A heap copy (release with free()) of units of UTF-16 as NUL-terminated UTF-8, converted as
// above; null when memory is short or the text too long to convert.
char* qel_utf8_alloc_from_utf16(const uint16_t* text, size_t units);

// Copies text (null: empty) into capacity bytes with its NUL, cut at a character boundary.
void qel_utf8_copy_cut(char* out, size_t capacity, const char* text);

// The dialogs' filter: the pair (name, "*.png;*.jpg") built from "png;jpg", then ("All files",
// "*.*"), each string NUL-terminated, and a final NUL. When both pairs do not fit, or without
// extensions, only the second pair; when that does not fit either, the list is empty. Returns
// the units written, 0 when even the final NUL does not fit.
int32_t qel_file_filter_build(const char* name, const char* extensions, uint16_t* out, int32_t capacity);

// Turns CR LF and lone CR into LF in place.
void qel_text_unix_line_ends(char* text);
