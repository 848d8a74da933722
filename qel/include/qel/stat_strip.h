// Key figures in a line: the stat strip lays out items (label, value, signed percent change)
// separated by small dots, and the stat ticker scrolls that strip from right to left without
// end, pausing under the pointer and fading out at both edges.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// One figure, in the caller's array.
struct qel_stat_item {
    const char* label;
    const char* value;        // null: not shown
    float delta;              // percent change; 0: not shown
    uint8_t lower_is_better;  // a fall is good news
};

// Options of qel_stat_ticker; null means all zero.
struct qel_stat_ticker_opts {
    uint32_t reserved;
    float speed;   // pixels a second; not above 0: 40
    float height;  // not above 0: 40
};

// What the ticker's edge fade reads.
struct qel_ticker_fade_payload {
    qel_color color;
    float width;
};

// --- Widgets ---

// One strip of count items in a row under id (0: anonymous).
void qel_stat_strip(qel_context* ctx, uint32_t id, const qel_stat_item* items, int32_t count);

// The strip as a ticker under label's id, filling its parent's width.
void qel_stat_ticker(qel_context* ctx, const char* label, const qel_stat_item* items, int32_t count,
                     const qel_stat_ticker_opts* options);

// --- Draw callbacks ---

// The ticker's edges fading into the payload's colour; user is a qel_ticker_fade_payload.
void qel_ticker_fade_draw(qel_context* ctx, const qel_node* node, void* user);
