// The icon dock: a floating bar of square icon tiles that grow under the pointer, the growth
// falling off with distance, with press feedback, running dots, count badges and tooltips.
// Between qel_icon_dock_begin and qel_icon_dock_end the caller declares its items and separators.
#pragma once

#include <cstdint>

#include "qel/types.h"

// --- Records ---

// Options of qel_icon_dock_begin; null means all zero.
struct qel_icon_dock_options {
    uint32_t reserved;
    float icon_size;      // not above 0: 46
    float magnification;  // the largest scale of a tile; not above 0: 1.55
};

// Options of qel_icon_dock_item; null means all zero.
struct qel_icon_dock_item_options {
    uint32_t reserved;
    qel_color color;  // the tile's colour, its glyph then white; 0: the theme's tile
    uint8_t running;  // a dot under the tile
    int32_t badge;    // a count above 0 shows in a badge ("99+" above 99)
};

// --- Widgets ---

// Opens the dock under id's label. When the items of the last frame do not fit the display's
// width, the tiles shrink (to no less than 24) and stop growing.
void qel_icon_dock_begin(qel_context* ctx, const char* id, const qel_icon_dock_options* options);

// A tile of icon (a glyph of the icon font) with label as its tooltip (null: none); true when
// clicked or activated by key. Outside a dock it does nothing and returns false.
bool qel_icon_dock_item(qel_context* ctx, const char* icon, const char* label, const qel_icon_dock_item_options* options);

// A thin upright rule between tiles (1 x 30 outside a dock).
void qel_icon_dock_separator(qel_context* ctx);

// Closes the dock; nothing without an open one.
void qel_icon_dock_end(qel_context* ctx);
