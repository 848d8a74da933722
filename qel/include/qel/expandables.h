// Content that opens further on request: the show-more text (a paragraph clipped to a few lines
// with a faded last line and a "Show more" / "Show less" link) and the expandable card (a header
// that toggles a body growing open with a spring). The open flags are the caller's; the motion
// is kept per id.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_show_more_text; null means all defaults.
struct qel_show_more_options {
    int32_t max_lines;   // < 1: 3
    float text_size;     // <= 0: the theme's body size (times the UI scale)
    qel_color text;      // neither literal nor token: the text colour
    qel_color fade;      // neither literal nor token: the background colour
};

// Options of qel_expandable_card; null means all defaults.
struct qel_expandable_card_options {
    const char* subtitle;  // null: none
    const char* icon;      // icon glyphs; null: none
    const char* badge;     // null: none
    uint32_t badge_kind;   // qel_semantic
};

// --- Show-more text ---

// The text wrapped to the width given it, clipped to the maximum lines until expanded; true in
// the frame the link was clicked.
bool qel_show_more_text(qel_context* ctx, const char* label, const char* text, const qel_show_more_options* options);

// --- Expandable card ---

// A card whose header (click, Enter or Space) toggles *expanded. True while the body is to be
// built: open, or still closing (then it takes no input); the caller builds it and calls
// qel_expandable_card_end. False when fully shut; then nothing is to be called. Cards nest with the
// collapsing headers, 32 deep.
bool qel_expandable_card(qel_context* ctx, const char* label, uint8_t* expanded,
                         const qel_expandable_card_options* options);
void qel_expandable_card_end(qel_context* ctx);
