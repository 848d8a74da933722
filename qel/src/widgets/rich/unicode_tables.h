// The Unicode properties that bidirectional text and shaping look up, generated from Unicode 17.0
// by tools/make_unicode_tables.py. Every table is sorted by code point for binary search.
#pragma once

#include <cstdint>

enum {
    QEL_UNICODE_BIDI_RANGES = 1267,
    QEL_UNICODE_BRACKETS = 128,
    QEL_UNICODE_MIRRORS = 428,
    QEL_UNICODE_JOINING_TYPES = 526,
    QEL_UNICODE_COMBINING_CLASSES = 343,
};

struct qel_unicode_bracket {
    uint16_t code_point;
    uint16_t pair;
    uint16_t opening;  // 1 opening, 0 closing
};

struct qel_unicode_mirror {
    uint16_t code_point;
    uint16_t mirrored;
};

// Joining types: 1 left, 2 right, 3 dual (join-causing included), 4 transparent; unlisted code
// points do not join.
struct qel_unicode_joining {
    uint32_t first;
    uint16_t span;  // last - first
    uint16_t type;
};

// The non-zero canonical combining classes from U+0300 to U+08FF.
struct qel_unicode_combining {
    uint16_t code_point;
    uint8_t combining_class;
};

// (first code point << 5) | bidi class; a range runs to the next one's first code point.
extern const uint32_t qel_unicode_bidi_ranges[QEL_UNICODE_BIDI_RANGES];
extern const qel_unicode_bracket qel_unicode_brackets[QEL_UNICODE_BRACKETS];
extern const qel_unicode_mirror qel_unicode_mirrors[QEL_UNICODE_MIRRORS];
extern const qel_unicode_joining qel_unicode_joining_types[QEL_UNICODE_JOINING_TYPES];
extern const qel_unicode_combining qel_unicode_combining_classes[QEL_UNICODE_COMBINING_CLASSES];
