// Reading a terminal buffer's lines as the intake wrote them: the line records in age order, and
// the walk over a line's bytes that splits it into cells and stored sequences by the same rules
// that counted its columns and ended its sequences, so binary or cut UTF-8 keeps them in step.
#pragma once

#include <cstdint>

#include "qel/terminal_buffer.h"

// Line index (0 = oldest) of a usable buffer; the caller keeps index within the count.
inline const qel_terminal_line& qel_terminal_line_of(const qel_terminal_buffer* b, int32_t index)
{
    return b->lines[(b->head + index) % b->line_capacity];
}

// The ring index after ring, for walks over every held line without a division each.
inline int32_t qel_terminal_ring_next(const qel_terminal_buffer* b, int32_t ring)
{
    return ring + 1 == b->line_capacity ? 0 : ring + 1;
}

// A byte that takes a cell of its own: any byte outside 0x80..0xbf.
inline bool qel_terminal_cell_start(uint8_t byte)
{
    return byte < 0x80 || byte > 0xBF;
}

// The end of the character or stored sequence at p (before end): a sequence runs from ESC "["
// to the first byte 0x40..0x7e after it; a character is a cell-starting byte with the
// continuation bytes after it. *sequence tells which it was.
inline const char* qel_terminal_next(const char* p, const char* end, bool* sequence)
{
    *sequence = *p == 27;
    if (*sequence) {
        p = end - p > 2 ? p + 2 : end;
        while (p < end && !(*p >= 0x40 && *p <= 0x7E)) p++;
        return p < end ? p + 1 : end;
    }
    for (p++; p < end && !qel_terminal_cell_start((uint8_t)*p); p++) {}
    return p;
}
