// The hex viewer's geometry and editing, apart from its frame: the row layout for a digit width,
// its fitting to a width, the hit test of a pointer, and hex digits typed over bytes.
#pragma once

#include <cstdint>

#include "qel/hex_view.h"

struct qel_hex_layout {
    float c;  // digit width
    float pad, hex_x, hex_end, ascii_x, width;
    int32_t digits;  // of the offsets
    int32_t per_row;
    uint8_t ascii, compact;
};

// Hex digits of the largest offset shown, rounded up to even, at least 4; 16 when it overflows.
int32_t qel_hex_offset_digits(uint64_t base, uint64_t size);

qel_hex_layout qel_hex_layout_for(float c, int32_t digits, int32_t per_row, bool ascii, bool compact);

// Byte i's cell in the hex block, and in the ASCII column.
float qel_hex_byte_x(const qel_hex_layout* l, int32_t i);
float qel_hex_ascii_x(const qel_hex_layout* l, int32_t i);

// The requested layout halved while too wide, then without ASCII, compact, and at 4 bytes.
qel_hex_layout qel_hex_fit(float c, int32_t digits, int32_t per_row, bool ascii, float available);

// The offset under (x, y), measured from the list's top left with rows starting 4 below it at
// row scroll; -1 outside the cells or the data, and past 2^63 - 1. While dragging it clamps to the
// row and the data.
int64_t qel_hex_hit(const qel_hex_layout* l, double scroll, float row_height, float x, float y, uint64_t size,
                    bool dragging, bool* in_ascii);

// Typed hex digits over data at the cursor: the first replaces the high nibble and is
// remembered in *first_nibble (at *nibble_at), the second the low one and moves on. Other
// characters are skipped. Returns whether bytes changed, with the span touched.
bool qel_hex_type(uint8_t* data, uint64_t size, qel_hex_selection* sel, uint8_t* first_nibble, uint64_t* nibble_at,
                  const char* text, int32_t length, uint64_t* edit_start, uint64_t* edit_length);

// A region clipped to the data: bytes [start, end) in the semantic colour kind.
struct qel_hex_span {
    uint64_t start, end;
    int32_t color;
};

// What the list draws: the visible rows' bytes copied, the selection, hover and regions.
struct qel_hex_draw_payload {
    qel_hex_layout l;
    float size, row_height;
    double scroll;
    uint64_t first_row;
    int32_t row_count;
    uint64_t size_bytes, base;
    const uint8_t* bytes;  // row_count rows from first_row, cut at the data's end
    qel_hex_selection sel;
    int64_t hovered;
    const qel_hex_span* regions;
    int32_t region_count;
    uint64_t rows;
    double visible;
    float bar_fade;
    uint8_t bar_hovered, focused;
    uint32_t list_id;
};

// A background over bytes a..b (columns of one row) in the hex block and the ASCII column.
void qel_hex_draw_span(qel_context* ctx, const qel_hex_draw_payload* p, float x0, float row_y, int32_t a, int32_t b,
                       qel_color color);
void qel_hex_draw(qel_context* ctx, const qel_node* node, void* user);
void qel_hex_draw_header(qel_context* ctx, const qel_node* node, void* user);
