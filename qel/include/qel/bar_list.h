// The bar list: a ranked list, one row per item, each a rounded translucent bar as long as the
// item's value against the largest, with its label inside and its value at the row's end. Rows
// sort largest first unless the caller keeps its order, may be limited to the first rows, and
// glide to new places when values change; each row's motion is kept under its label. The row
// under the pointer is highlighted and a click returns its item.
#pragma once

#include <cstdint>

#include "qel/chart_frame.h"
#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_bar_list; null means all zero. Packed: the colour sits unaligned right after
// keep_order, where callers of this record place it.
#pragma pack(push, 1)
struct qel_bar_list_options {
    uint32_t reserved;
    qel_size width;  // kind 0: grow 1
    uint32_t reserved2;
    const char* format;  // values
    int32_t max_rows;    // < 1 or more than the items: all
    uint8_t keep_order;  // no sorting
    qel_color color;     // a literal or token colours every bar
};
#pragma pack(pop)

// What each row keeps under its label.
struct qel_bar_list_row_state {
    float y[2];         // spring
    float fraction[2];  // spring
    float hover;
    uint8_t set;
};

// One drawn row.
struct qel_bar_list_row {
    const char* label;
    const char* value_text;
    float y, fraction, hover;
    qel_color color;
};

// What the draw callback reads.
struct qel_bar_list_payload {
    qel_bar_list_row* rows;
    int32_t count;
    float widest_value;
};

// --- Widget ---

// Returns the clicked item's index in the caller's array, or -1. The items are copied; their label
// texts are not, and must stay valid until the frame ends: the draw pass reads them there.
int32_t qel_bar_list(qel_context* ctx, const char* label, const qel_chart_item* items, int32_t count,
                     const qel_bar_list_options* options);

// user is a qel_bar_list_payload.
void qel_bar_list_draw(qel_context* ctx, const qel_node* node, void* user);
