// What the emoji picker's parts share: its per-id state, the grid's geometry (sections of
// results, cells, the header pinned at the top) and the drawing of the grid and the tabs.
#pragma once

#include <cstdint>

#include "emoji_catalogue.h"
#include "qel/types.h"

enum {
    QEL_EMOJI_RECENT_MAX = 24,
    QEL_EMOJI_RECENT_ITEM = 64,  // bytes of a slot: items of up to 63 bytes
    QEL_EMOJI_RECENT_BYTES = 768,
    QEL_EMOJI_MAX_SECTIONS = 11,
    QEL_EMOJI_LABEL_RECENT = 0,
    QEL_EMOJI_LABEL_SEARCH = 10,
    QEL_EMOJI_TABS = 10,
};

// A run of results under one header: label 0 "Recent", 1..9 a category + 1, 10 the search
// results (no header).
struct qel_emoji_section {
    int32_t first, count, label;
};

// A result is an entry index, or -1 - k for recent item k.
struct qel_emoji_picker_state {
    char query[64];
    char previous_query[64];
    uint32_t recent_count, recent_hash;
    uint8_t results_valid;
    uint8_t renderable_mark;
    int32_t* results;
    uint32_t result_count, result_capacity;
    qel_emoji_section sections[QEL_EMOJI_MAX_SECTIONS];
    uint32_t section_count;
    char recent[QEL_EMOJI_RECENT_BYTES];
    int32_t skin_tone;
    float scroll, scroll_target;
    uint8_t scroll_animating;
    int32_t highlight;  // -1 none
    uint8_t highlight_moved;
    uint8_t dragging, drag_started;
    float press_y, scroll_at_press;
    int32_t pressed_cell;
    uint8_t tone_list_open;
    int32_t tab_after_clear;  // tab + 1, 0 none
};

// The recent list read into slots.
struct qel_emoji_recent {
    char items[QEL_EMOJI_RECENT_MAX][QEL_EMOJI_RECENT_ITEM];
    int32_t count;
    uint32_t hash;
};

// Reads a recent list (capacity bytes at most): items of 1..63 bytes, the first 24 of them.
void qel_emoji_recent_read(const char* text, uint64_t capacity, qel_emoji_recent* out);
// Writes the choice followed by the earlier items that differ from it, while they fit; a buffer
// that cannot hold the choice and its terminator (or of 7 bytes or fewer) is left as it was.
void qel_emoji_recent_write(const qel_emoji_recent* recent, const qel_emoji_text& chosen, char* buffer,
                            uint64_t capacity);

// The grid's geometry for one frame.
struct qel_emoji_grid_layout {
    float emoji_size;  // S
    float cell;        // K = S + 12
    float width, height;
    float margin;  // M
    int32_t columns;
    float content_height, max_scroll;
};

// A cell's place: its section (-1 when the result is in none) and its top-left inside the content.
struct qel_emoji_cell_pos {
    int32_t section;
    float x, y;
};

float qel_emoji_section_header(const qel_emoji_section& s);
float qel_emoji_section_height(const qel_emoji_grid_layout& g, const qel_emoji_section& s);
// The content y of a section's top.
float qel_emoji_section_top(const qel_emoji_grid_layout& g, const qel_emoji_picker_state* ps, int32_t section);
qel_emoji_grid_layout qel_emoji_grid_layout_of(const qel_emoji_picker_state* ps, float width, float height,
                                               float emoji_size);
qel_emoji_cell_pos qel_emoji_grid_cell_pos(const qel_emoji_grid_layout& g, const qel_emoji_picker_state* ps,
                                           int32_t result);
// The result under a point inside the grid (grid-relative), -1 for none.
int32_t qel_emoji_grid_hit(const qel_emoji_grid_layout& g, const qel_emoji_picker_state* ps, float x, float y);

// The text of a result with the tone applied where the entry takes one.
qel_emoji_text qel_emoji_entry_text(const qel_emoji_state* st, const qel_emoji_recent* recent, int32_t result,
                                    int32_t tone);

// What the grid's draw callback is given (a frame-arena copy).
struct qel_emoji_grid_paint {
    qel_emoji_grid_layout layout;
    qel_emoji_section sections[QEL_EMOJI_MAX_SECTIONS];
    int32_t section_count;
    const int32_t* results;  // frame arena
    const qel_emoji_recent* recent;  // frame arena
    const qel_emoji_state* st;
    int32_t hovered, highlighted;
    uint8_t show_highlight, focus_ring, available;
    float scroll;
    int32_t tone;
    const char* const* labels;
    const char* empty_text;
    qel_color hover, focus, text, muted, pinned_fill;
};

void qel_emoji_grid_draw_cb(qel_context* ctx, const qel_node* node, void* user);

// A tab or tone button: a leaf of the size drawing text as an emoji or, as_text, an icon glyph.
int32_t qel_emoji_tab_node(qel_context* ctx, uint32_t id, bool hovered, float width, float height, const char* text,
                           bool as_text, float alpha, bool current);
