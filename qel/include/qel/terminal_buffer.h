// The terminal buffer: the scrollback of a terminal-style view in two rings the caller owns (text
// bytes and line records), fed a UTF-8 byte stream with control characters and ANSI escape
// sequences. Line feed, carriage return, tab and backspace are interpreted; colour sequences stay
// in the line text for the widget to apply; erase-line and clear-screen are honoured; every other
// control and sequence is dropped. Full rings drop the oldest lines. Nothing is allocated.
#pragma once

#include <cstdint>

// One held line, in the caller's line ring.
struct qel_terminal_line {
    uint32_t start;    // offset of its first byte in the text ring
    uint32_t length;   // bytes, stored sequences included; no terminator
    uint32_t columns;  // cells: one per byte outside 0x80..0xbf, none for stored sequences
};

enum { QEL_TERMINAL_SEQUENCE = 30 };

// The buffer; the caller owns it and both rings. A usable buffer holds at least one line, the
// last being the current line that text goes to. Line i (0 = oldest) has the id
// line_total - count + i.
struct qel_terminal_buffer {
    char* text;
    uint32_t text_capacity;  // at most 0x7fffffff
    qel_terminal_line* lines;
    int32_t line_capacity;  // 0: unusable, every write ignored
    int32_t head;           // ring index of the oldest line
    int32_t count;
    uint32_t write_offset;  // the end of the current line
    uint64_t line_total;    // lines begun since init, from 1; line feeds and clears add 1
    uint8_t state;          // 0 text, 1 after ESC, 2 control sequence, 3 OS command, 4 ESC in one
    uint8_t sequence_length;
    char sequence[QEL_TERMINAL_SEQUENCE];  // the control sequence so far, from ESC "["
    uint8_t cr_pending;
};

// Zeroes the record and installs the rings: usable with a text ring of at least 64 bytes and at
// least 2 line records, then holding one empty line; otherwise line_capacity is 0.
void qel_terminal_init(qel_terminal_buffer* buffer, char* text, uint32_t text_capacity, qel_terminal_line* lines,
                       int32_t line_capacity);

// Empties a usable buffer to one empty line; the line total still advances, so ids are not reused.
void qel_terminal_clear(qel_terminal_buffer* buffer);

// Feeds length bytes (< 0: up to the NUL) to the intake. Sequences split across writes are still
// recognised. A printable run longer than the text ring is dropped whole.
void qel_terminal_write(qel_terminal_buffer* buffer, const char* bytes, int32_t length);

// Formats into a 2048-byte buffer and writes the result (at most 2047 bytes).
[[gnu::format(printf, 2, 3)]] void qel_terminal_printf(qel_terminal_buffer* buffer, const char* format, ...);
