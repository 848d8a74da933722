// The emoji picker: a search field, a skin-tone selector, category tabs, a scrolling grid of the
// built-in catalogue (1,914 emoji in nine categories, only those the emoji font can draw) with
// sticky section headers, and a footer naming the hovered emoji. It keeps a list of recently
// chosen emoji, its own or the caller's. Emoji are drawn through qel/emoji.h.
#pragma once

#include <cstdint>

#include "qel/types.h"

// --- Records ---

// Options; null means all defaults, and 0 or null in a field its default.
struct qel_emoji_picker_options {
    uint64_t reserved;            // not read
    float grid_height;            // 280
    float emoji_size;             // 26
    char* recent;                 // "a b c": newest first, space-separated; null: the picker's own
    uint64_t recent_capacity;     // bytes of recent, terminator included
    int32_t* skin_tone;           // 0 none, 1..5 the five tones; null: the picker's own
    const char* placeholder;      // "Search emoji"
    const char* empty_text;       // "No emoji found"
    const char* footer_hint;      // "Pick an emoji"
    const char* const* tab_labels;  // 10: "Recent" and the nine categories
    uint8_t hide_search;
    uint8_t hide_footer;
    uint8_t hide_skin_tones;
};

// --- Widget ---

// The picker under label (null: "emoji"). Returns the emoji chosen this frame as UTF-8 in the
// frame arena (valid until the next frame begins), or null. A choice goes to the front of the
// recent list (at most 24 items), and a caller's recent buffer is rewritten only when the choice
// and its terminator fit.
const char* qel_emoji_picker(qel_context* ctx, const char* label, const qel_emoji_picker_options* options);
