// The kanban board: columns of cards whose contents the caller builds with any widgets between a
// card's call and qel_kanban_pop. A card is picked up with the pointer (a press moved more than
// 5 px) or with Space, the target column makes room, and a drop is reported for the caller to
// carry out in its own data; cards then glide into place. Cards are named by the caller's ids,
// columns by their order; the board keeps no card data.
#pragma once

#include "qel/types.h"

// --- Records ---

struct qel_kanban_column_options {
    uint32_t reserved;
    qel_color color;  // of a dot before the title; none when alpha 0 and not a token
    int32_t limit;    // >= 1: the count shows "cards / limit", in the danger colour above it
    float width;      // <= 0: 280
};

// A card dropped on a column: the caller moves it there.
struct qel_kanban_move {
    uint32_t card_id;
    int32_t from_column;
    int32_t to_column;
    int32_t index;  // among the target column's other cards, 0 the top
};

// --- Building a board, in this order each frame ---

// Opens the board under label; boards may nest.
void qel_kanban_begin(qel_context* ctx, const char* label);

// Opens the next column and its header with the card count; true when its "Add card" button was
// clicked.
int32_t qel_kanban_column_begin(qel_context* ctx, const char* title, int32_t card_count,
                                const qel_kanban_column_options* options);

// Opens a card (ids 0 to 2^31 - 1, unique within the board); the caller's widgets that follow go
// inside it until qel_kanban_pop. True when it was clicked while no card is lifted.
int32_t qel_kanban_card(qel_context* ctx, uint32_t card_id);
void qel_kanban_pop(qel_context* ctx);

void qel_kanban_column_end(qel_context* ctx);

// Closes the board; 1 when a card was dropped on a column this frame, with *move filled (move
// may be null), else 0.
int32_t qel_kanban_end(qel_context* ctx, qel_kanban_move* move);
