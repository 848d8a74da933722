// Split panes: two panes side by side or one above the other, with a thin divider the user drags
// to share the room between them. The caller keeps the share (the first pane's ratio); the panes
// are ordinary clipping containers for any content.
#pragma once

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_split_begin; null means all defaults.
struct qel_split_options {
    uint32_t reserved;
    uint8_t stacked;   // 0: side by side; 1: one above the other
    float first_min;   // least size of the first pane along the split; <= 0: 120
    float second_min;  // of the second; <= 0: 120
    qel_size width;    // kind fit: grow 1
    qel_size height;   // kind fit: grow 1
};

// --- Splitting ---

// Opens the split and its first pane. *ratio is the first pane's share, kept within 0.02..0.98
// and written while the user drags the divider (never leaving either pane below its minimum);
// a null ratio splits in half. The name makes the split's id.
void qel_split_begin(qel_context* ctx, const char* name, float* ratio, const qel_split_options* options);

// Closes the first pane, places the divider (a 9-unit grip with a resize cursor) and opens the
// second pane.
void qel_splitter(qel_context* ctx);

// Closes the second pane and the split. Splits nest; each begin is matched by one splitter and
// one end.
void qel_split_end(qel_context* ctx);
