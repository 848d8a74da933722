// Big-endian numbers read from bounded stretches of bytes, for the checks that run before the
// rasteriser sees a font. Callers test that what they read fits before they read it.
#pragma once

#include <cstdint>

// A stretch of a font: a table, a subtable, a CFF index or DICT.
struct qel_span {
    const uint8_t* p;
    uint32_t length;
};

inline bool qel_span_fits(qel_span s, uint64_t from, uint64_t n)
{
    return from <= s.length && n <= s.length - from;
}

inline uint16_t qel_span_u16(qel_span s, uint64_t at)
{
    return (uint16_t)(s.p[at] << 8 | s.p[at + 1]);
}

inline uint32_t qel_span_u32(qel_span s, uint64_t at)
{
    return (uint32_t)s.p[at] << 24 | (uint32_t)s.p[at + 1] << 16 | (uint32_t)s.p[at + 2] << 8 | s.p[at + 3];
}
