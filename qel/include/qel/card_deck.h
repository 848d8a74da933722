// The card deck: a stack of cards that the user swipes away left or right. The caller declares
// the cards still in the deck, the top one first, between qel_card_deck_begin and
// qel_card_deck_end, each between qel_card_deck_card_begin and qel_card_deck_card_end; the end
// reports a completed swipe, and the caller then drops the top card from its list.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_card_deck_begin; null means all zero.
struct qel_card_deck_opts {
    uint32_t reserved;
    qel_size width;     // kind 0: 320
    float card_height;  // not above 0: 320
    int32_t visible;    // cards shown under one another; below 1: 3
};

// --- Widgets ---

// Opens a deck of count cards under label's id.
void qel_card_deck_begin(qel_context* ctx, const char* label, int32_t count, const qel_card_deck_opts* options);

// A card at depth (0 the top card); outside a deck a plain node. Its contents go in between.
void qel_card_deck_card_begin(qel_context* ctx, int32_t depth);
void qel_card_deck_card_end(qel_context* ctx);

// Closes the deck: -1 when the top card was swiped left in this frame, 1 right, else 0 (also
// without an open deck).
int32_t qel_card_deck_end(qel_context* ctx);
