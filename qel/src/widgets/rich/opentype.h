// Reads of the OpenType structures that the shaper and the colour-emoji font share: the table
// directory, the character map, coverage and class definition tables, and ligature sets. Each
// read takes the span its offsets count from (a whole font, or one table copied out of it) and
// checks what it reads against it: a read that would leave the span yields 0, or -1 for a
// coverage index.
#pragma once

#include <cstdint>

#include "text/byte_span.h"

// A 16- or 32-bit big-endian value, 0 when it does not lie inside the span.
inline uint16_t qel_opentype_u16(qel_span s, uint64_t at)
{
    return qel_span_fits(s, at, 2) ? qel_span_u16(s, at) : 0;
}

inline uint32_t qel_opentype_u32(qel_span s, uint64_t at)
{
    return qel_span_fits(s, at, 4) ? qel_span_u32(s, at) : 0;
}

// The structure that the 16-bit offset at `at` points to, counted from `base`: its position in
// the span, or 0 when the offset is 0 or leads outside the span.
inline uint32_t qel_opentype_offset16(qel_span s, uint32_t base, uint64_t at)
{
    uint32_t offset = qel_opentype_u16(s, at);
    if (offset == 0 || (uint64_t)base + offset >= s.length) return 0;
    return base + offset;
}

// Finds the first table with the tag in the table directory at `directory`. True when it is
// there with a non-zero offset and lies inside the span (sums taken in 64 bits).
bool qel_opentype_table(qel_span s, uint32_t directory, const char tag[4], uint32_t* offset, uint32_t* length);

// The character-map subtable to use from the cmap table at `cmap`: of the encoding records of
// platform 0 (any encoding) or platform 3 with encoding 1 or 10, the first of format 12, else the
// first of format 4. Its position in the span, 0 when there is none.
uint32_t qel_opentype_cmap_subtable(qel_span s, uint32_t cmap);

// The glyph of a code point in a subtable of format 12 or 4 (format 4 maps up to U+FFFF only);
// 0 when it has none.
uint32_t qel_opentype_cmap_glyph(qel_span s, uint32_t subtable, uint32_t code_point);

// The coverage index of a glyph in the coverage table at `coverage` (formats 1 and 2), -1 when
// the glyph is not covered.
int32_t qel_opentype_coverage(qel_span s, uint32_t coverage, uint32_t glyph);

// The class of a glyph in the class definition table at `class_def` (formats 1 and 2); 0 when
// the glyph is not listed or the table is absent.
uint32_t qel_opentype_class(qel_span s, uint32_t class_def, uint32_t glyph);

// One ligature of a ligature set: the glyph it makes, its component count (the first component
// included) and where its further components' glyph ids begin.
struct qel_opentype_ligature {
    uint32_t glyph;
    uint32_t components;
    uint32_t rest;
};

// The ligature set for a coverage index of the ligature substitution subtable at `subtable`
// (format 1), 0 when absent, and the number of ligatures in a set.
uint32_t qel_opentype_ligature_set(qel_span s, uint32_t subtable, int32_t coverage_index);
uint32_t qel_opentype_ligature_count(qel_span s, uint32_t set);

// Ligature `index` of a set; false when it is absent, has no component or does not fit in the
// span. Component k (1 to components - 1, after the first) is qel_opentype_u16(s, rest + 2 (k - 1)).
bool qel_opentype_ligature_at(qel_span s, uint32_t set, uint32_t index, qel_opentype_ligature* out);
