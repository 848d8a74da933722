// The log buffer: the newest lines of an application's log, kept in two rings the caller owns (line
// records and their text) and never allocated. Full rings drop the oldest lines, so the buffer
// always holds a contiguous tail of everything appended; a running total numbers the lines.
#pragma once

#include <cstdarg>
#include <cstdint>

enum qel_log_level : uint8_t {
    QEL_LOG_TRACE = 0,
    QEL_LOG_DEBUG = 1,
    QEL_LOG_INFO = 2,
    QEL_LOG_WARN = 3,
    QEL_LOG_ERROR = 4,
};

// One held line, in the caller's record array.
struct qel_log_entry {
    uint32_t text_offset;  // in the text ring; the text is contiguous and followed by a NUL
    uint32_t length;       // bytes, the NUL not counted
    double time;           // seconds
    uint8_t level;         // qel_log_level
};

// The buffer; the caller owns it and both rings. Line i (0 = oldest) is record (head + i) mod
// entry_capacity and has the sequence number total - count + i.
struct qel_log {
    double now;  // the time formatted appends stamp; set by the caller, never changed here
    qel_log_entry* entries;
    int32_t entry_capacity;
    char* text;
    uint32_t text_capacity;  // at most 0x7fffffff
    uint32_t head;
    uint32_t count;
    uint32_t write_offset;
    uint64_t total;  // lines appended since init; clear keeps it
    uint32_t level_counts[5];
};

// Zeroes the record, then installs the rings when both are given with non-zero capacities (the
// text capacity clamped to 0x7fffffff). Without them the log stays empty and ignores appends.
void qel_log_init(qel_log* log, qel_log_entry* entries, int32_t entry_capacity, char* text, uint32_t text_capacity);

// Appends one line of length bytes (< 0: up to the NUL; null text: empty), cut to the text
// capacity - 1, trailing CR and LF dropped, other control bytes and 0x7f turned to spaces. A level
// outside 0..4 is stored as info. Ignored for a null log or one without rings.
void qel_log_append(qel_log* log, int32_t level, double time, const char* text, int32_t length);

// Formats as vsnprintf does and appends the result stamped with log->now; a formatting failure
// or a null format appends nothing.
[[gnu::format(printf, 3, 0)]] void qel_log_vappend(qel_log* log, int32_t level, const char* format, va_list args);
[[gnu::format(printf, 3, 4)]] void qel_log_printf(qel_log* log, int32_t level, const char* format, ...);

// Empties the log; rings, capacities, now and the running total stay.
void qel_log_clear(qel_log* log);

// Line index (0 = oldest): its record and, through text when given, its NUL-terminated text; null
// for an index out of range (and null stored through text). Valid until the next append or clear.
const qel_log_entry* qel_log_line(const qel_log* log, int32_t index, const char** text);
