// The hex viewer's geometry and typing: where each byte's cells stand, how the rows fit a width,
// which byte a pointer is over, and hex digits written over the bytes at the cursor.
#include <algorithm>
#include <cmath>

#include "widgets/rich/hex_view_parts.h"

qel_hex_layout qel_hex_layout_for(float c, int32_t digits, int32_t per_row, bool ascii, bool compact)
{
    qel_hex_layout l = {};
    l.c = c;
    l.digits = digits;
    l.per_row = per_row;
    l.ascii = ascii;
    l.compact = compact;
    l.pad = compact ? 8 : 12;
    l.hex_x = l.pad + (float)digits * c + (compact ? 1.5f : 2.0f) * c;
    l.hex_end = qel_hex_byte_x(&l, per_row - 1) + 2 * c;
    l.ascii_x = l.hex_end + 2 * c;
    l.width = (ascii ? l.ascii_x + (float)per_row * c : l.hex_end) + l.pad;
    return l;
}

int32_t qel_hex_offset_digits(uint64_t base, uint64_t size)
{
    uint64_t last = size ? base + (size - 1) : base;
    if (last < base) return 16;
    int32_t digits = 0;
    for (uint64_t v = last; v; v >>= 4) digits++;
    digits = (digits + 1) & ~1;
    return digits < 4 ? 4 : digits;
}

float qel_hex_byte_x(const qel_hex_layout* l, int32_t i)
{
    return l->hex_x + (float)i * 3 * l->c + (float)(i / 8) * l->c;
}

float qel_hex_ascii_x(const qel_hex_layout* l, int32_t i)
{
    return l->ascii_x + (float)i * l->c;
}

qel_hex_layout qel_hex_fit(float c, int32_t digits, int32_t per_row, bool ascii, float available)
{
    qel_hex_layout l = qel_hex_layout_for(c, digits, per_row, ascii, false);
    while (l.width > available && per_row >= 9) l = qel_hex_layout_for(c, digits, per_row /= 2, ascii, false);
    if (l.width > available && ascii) l = qel_hex_layout_for(c, digits, 8, false, false);
    if (l.width > available) l = qel_hex_layout_for(c, digits, 8, false, true);
    if (l.width > available) l = qel_hex_layout_for(c, digits, 4, false, true);
    return l;
}

// The column under x, -1 outside the cells; the boundary between two hex cells lies halfway
// between the first's digits and the next.
static int32_t column_at(const qel_hex_layout* l, float x, bool dragging, bool* in_ascii)
{
    int32_t n = l->per_row;
    *in_ascii = l->ascii && x >= l->ascii_x - l->c;
    if (*in_ascii) {
        float k = floorf((x - l->ascii_x) / l->c);
        if (!dragging && (k < 0 || k >= (float)n)) return -1;
        return k < 0 ? 0 : k >= (float)n ? n - 1 : (int32_t)k;
    }
    if (!dragging && (x < l->hex_x - l->c / 2 || x >= l->hex_end + l->c / 2)) return -1;
    for (int32_t i = 0; i + 1 < n; i++)
        if (x < (qel_hex_byte_x(l, i) + 2 * l->c + qel_hex_byte_x(l, i + 1)) / 2) return i;
    return n - 1;
}

int64_t qel_hex_hit(const qel_hex_layout* l, double scroll, float row_height, float x, float y, uint64_t size,
                    bool dragging, bool* in_ascii)
{
    *in_ascii = false;
    if (size == 0 || !(row_height > 0)) return -1;
    int32_t column = column_at(l, x, dragging, in_ascii);
    double row = floor(scroll + (double)(y - 4) / row_height);
    uint64_t rows = (size - 1) / (uint64_t)l->per_row + 1;
    if (column < 0 || !(row == row)) return -1;
    if (row < 0 || row >= (double)rows) {
        if (!dragging) return -1;
        row = row < 0 ? 0 : (double)(rows - 1);
    }
    uint64_t first = std::min((uint64_t)row, rows - 1) * (uint64_t)l->per_row;  // no wrap: first <= size - 1
    uint64_t offset = (uint64_t)column > size - 1 - first ? (dragging ? size - 1 : UINT64_MAX) : first + (uint64_t)column;
    return offset > (uint64_t)INT64_MAX ? -1 : (int64_t)offset;  // beyond what the result can name
}

static int32_t hex_value(char ch)
{
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    return -1;
}

bool qel_hex_type(uint8_t* data, uint64_t size, qel_hex_selection* sel, uint8_t* first_nibble, uint64_t* nibble_at,
                  const char* text, int32_t length, uint64_t* edit_start, uint64_t* edit_length)
{
    bool edited = false;
    uint64_t lo = 0, hi = 0;
    for (int32_t i = 0; i < length && size > 0; i++) {
        int32_t v = hex_value(text[i]);
        if (v < 0) continue;
        uint64_t at = sel->cursor < size ? sel->cursor : size - 1;
        if (*first_nibble && *nibble_at == at) {
            data[at] = (uint8_t)((data[at] & 0xF0) | v);
            *first_nibble = 0;
            sel->cursor = at + 1 < size ? at + 1 : at;
        } else {
            data[at] = (uint8_t)((data[at] & 0x0F) | v << 4);
            *first_nibble = 1;
            *nibble_at = at;
            sel->cursor = at;
        }
        if (!edited || at < lo) lo = at;
        if (!edited || at > hi) hi = at;
        edited = true;
    }
    if (!edited) return false;
    sel->start = sel->cursor;
    sel->length = 1;
    *edit_start = lo;
    *edit_length = hi - lo + 1;
    return true;
}
