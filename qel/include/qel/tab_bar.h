// The document tab bar over a caller's array of tabs: the selected tab, close boxes (a modified
// tab shows a dot there until hovered), keyboard shortcuts, arrow travel, reordering by dragging
// or Shift+arrow with slide animations, and a sideways scrolling strip that keeps the selected
// tab in view. The caller's array is never changed: close requests and moves are reported, and
// the selected index follows a reported move. Scrolling is the scroll container's.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

struct qel_tab_item {
    const char* label;    // null: empty
    const char* icon;     // null: none
    const char* tooltip;  // null: none
    uint8_t modified;
};

// Options of qel_tab_bar; null means all zero.
struct qel_tab_bar_opts {
    uint32_t reserved;
    uint8_t shortcuts;     // Ctrl+Tab, Ctrl+PageDown, Ctrl+Shift+Tab, Ctrl+PageUp, Ctrl+W
    uint8_t not_closable;  // no close boxes
    uint8_t no_reorder;
};

struct qel_tab_bar_result {
    uint8_t changed;       // *selected was written
    int32_t close;         // the tab asked to close; -1 none
    int32_t move_from;     // a tab moved to a new place; -1 none
    int32_t move_to;
};

// --- The tab bar ---

// Tabs are named by qel_id of their labels under the bar's scope, or by their index when the
// label is empty. A null array or a negative count is no tabs; selected may be null.
qel_tab_bar_result qel_tab_bar(qel_context* ctx, const char* label, const qel_tab_item* tabs, int32_t count,
                               uint32_t* selected, const qel_tab_bar_opts* options);

// --- Draw callbacks ---

// A tab's shape; user is its frame-arena payload.
void qel_tab_draw(qel_context* ctx, const qel_node* node, void* user);

// The dot of a modified tab; user is its frame-arena payload.
void qel_tab_modified_dot_draw(qel_context* ctx, const qel_node* node, void* user);
