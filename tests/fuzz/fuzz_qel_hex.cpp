// The hex viewer's hit test and typing over random layouts: a hit is -1 or an offset inside the
// data, never a wrapped one, and clamps into the data while dragging; typed digits keep the
// cursor and the edited span inside the data and touch no other byte.
//
// Input: layout bytes (digit width, offset digits, bytes per row, flags), a size, a scroll, a
// point, then typed text over a small buffer.
#include <cstdlib>
#include <cstring>

#include "widgets/rich/hex_view_parts.h"

template <typename T> static T take(const uint8_t*& p, const uint8_t* end)
{
    T v = {};
    size_t n = (size_t)(end - p) < sizeof v ? (size_t)(end - p) : sizeof v;
    memcpy(&v, p, n);
    p += n;
    return v;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const uint8_t* p = data;
    const uint8_t* end = data + size;
    float c = 1 + (float)take<uint8_t>(p, end) / 16;
    int32_t digits = 4 + take<uint8_t>(p, end) % 13;
    static const int32_t per_rows[] = {4, 8, 16, 32};
    uint8_t flags = take<uint8_t>(p, end);
    qel_hex_layout l = qel_hex_layout_for(c, digits, per_rows[flags & 3], flags & 4, flags & 8);
    uint64_t bytes = take<uint64_t>(p, end);
    double scroll = (double)take<uint32_t>(p, end) * 1024.0 * (flags & 16 ? 1e6 : 1);
    float x = (float)take<int16_t>(p, end), y = (float)take<int16_t>(p, end);
    bool dragging = flags & 32, ascii = false;
    int64_t hit = qel_hex_hit(&l, scroll, 20, x, y, bytes, dragging, &ascii);
    if (hit < -1 || (hit >= 0 && (uint64_t)hit >= bytes)) abort();
    if (dragging && bytes > 0 && bytes <= (uint64_t)INT64_MAX && hit < 0) abort();

    uint8_t buffer[64], before[64];
    uint64_t length = 1 + take<uint8_t>(p, end) % 64;
    memcpy(buffer, data, size < sizeof buffer ? size : sizeof buffer);
    memcpy(before, buffer, sizeof buffer);
    qel_hex_selection sel = {0, 0, take<uint8_t>(p, end) % length};
    uint8_t nibble = 0;
    uint64_t nibble_at = 0, edit_start = 0, edit_length = 0;
    if (qel_hex_type(buffer, length, &sel, &nibble, &nibble_at, (const char*)p, (int32_t)(end - p), &edit_start,
                     &edit_length)) {
        if (edit_length < 1 || edit_start + edit_length > length || sel.cursor >= length || sel.length != 1) abort();
        for (uint64_t i = 0; i < sizeof buffer; i++)
            if ((i < edit_start || i >= edit_start + edit_length) && buffer[i] != before[i]) abort();
    }
    return 0;
}
