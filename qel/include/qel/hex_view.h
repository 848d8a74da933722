// The hex viewer: bytes of any 64-bit size as rows of an offset, hexadecimal values and ASCII
// characters, with a cursor, a selection, labelled regions, keyboard navigation, copying as hex
// or text, and typing hex digits over a writable buffer. Only the visible rows are visited.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// A coloured span of the data; color is a semantic kind 1 to 8 (qel_semantic).
struct qel_hex_region {
    uint64_t start;
    uint64_t length;
    int32_t color;
    const char* label;  // shown in the tooltip; null or "" none
};

// Null means all zero.
struct qel_hex_view_options {
    uint32_t reserved;
    qel_size width;        // fit: grow 1
    float height;          // above 0 fixed, below 0 grow, 0 automatic
    uint64_t base_offset;  // the offset shown for byte 0
    int32_t bytes_per_row; // 8 or 32; anything else 16
    const qel_hex_region* regions;
    int32_t region_count;  // negative: none
    uint8_t* editable;     // when set, shown instead of the data, and typing edits it
    uint8_t hide_ascii;
    uint8_t hide_header;
    float font_size;       // before the UI scale; 0 or less: 12
};

// A selection of length bytes from start (0: none) and the cursor.
struct qel_hex_selection {
    uint64_t start;
    uint64_t length;
    uint64_t cursor;
};

struct qel_hex_view_result {
    uint64_t start, length, cursor;  // the selection after this frame
    uint8_t selection_changed;
    uint8_t edited;  // typed digits changed bytes this frame
    uint64_t edit_start, edit_length;
    int64_t hovered;  // offset under the pointer, -1 none
    uint8_t copied;
};

// --- Widget ---

// Declares the viewer for this frame over size bytes of data (ignored when options->editable is
// set). A null selection keeps one inside. Keys, while focused: arrows, pages, Home and End (to
// the ends with Ctrl) move the cursor, Shift extends, Ctrl+A selects all, Ctrl+C copies as hex
// and Ctrl+Shift+C as text (at most 4 MiB), Escape clears; hex digits edit.
qel_hex_view_result qel_hex_view(qel_context* ctx, const char* label, const uint8_t* data, uint64_t size,
                                 qel_hex_selection* selection, const qel_hex_view_options* options);

// Asks the viewer of label to put its cursor on offset and bring it into view in its next frame.
void qel_hex_view_scroll_to(qel_context* ctx, const char* label, uint64_t offset);
