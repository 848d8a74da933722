// The icon navigation bar, a bottom bar of icon items with labels and count badges over which a
// pill-shaped indicator slides to the selected item (the arrow keys move the selection), and the
// toggle tile, a large tile with an icon circle, a label and an "On"/"Off" line that switches a
// caller's boolean.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// One item of a navigation bar, in the caller's array.
struct qel_icon_nav_item {
    const char* icon;   // a glyph of the icon font; null: a circle
    const char* label;  // null: none
    int32_t badge;      // a count above 0 shows in a badge ("9+" above 9)
};

// Options of qel_icon_nav_bar; null means all zero.
struct qel_icon_nav_options {
    uint32_t reserved;
    qel_size width;      // kind 0: grow 1
    uint8_t label_mode;  // 1: only the selected item shows its label
};

// Options of qel_toggle_tile; null means all zero.
struct qel_toggle_tile_options {
    uint64_t reserved;
    const char* icon;    // null: a power glyph
    const char* status;  // shown in place of "On" and "Off"
    qel_color color;     // the tile's colour when on; 0: the accent, or the primary colour
    qel_size width;      // kind 0: grow 1
    uint8_t row_layout;  // 1: the icon beside the texts; 0: above them
};

// --- Widgets ---

// A bar of count items under id's label; *selected (null: 0, not kept) is the selected index.
// True in the frame the selection changed.
bool qel_icon_nav_bar(qel_context* ctx, const char* id, const qel_icon_nav_item* items, int32_t count,
                      int32_t* selected, const qel_icon_nav_options* options);

// A tile switching *on (null: it shows off and never toggles); true in the frame it toggled.
bool qel_toggle_tile(qel_context* ctx, const char* label, bool* on, const qel_toggle_tile_options* options);
