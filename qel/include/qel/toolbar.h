// Toolbars: a bar row of small ghost buttons (icon-only or labelled, optionally toggles),
// separators and spacers. Items that do not fit the bar's width of the last frame move into a
// "More tools" popup at the bar's end; choosing one there clicks that item in the next frame.
// The bar row is menubar's, the popup and its rows the popup layer's.
#pragma once

#include <cstdint>

#include "qel/types.h"

// --- Records ---

// Options of qel_toolbar_begin; null means all zero.
struct qel_toolbar_opts {
    uint32_t reserved;
    uint8_t no_border;  // no hairline under the bar
};

// Options of qel_toolbar_button; null means all zero.
struct qel_toolbar_item_opts {
    uint64_t reserved;
    const char* label;     // null or empty: an icon button
    const char* tooltip;
    const char* shortcut;  // shown in the tooltip
    uint8_t* toggle;       // the on state of a toggle; null: a plain button
    uint8_t disabled;      // 0: the enclosing disabled scope decides
};

// --- Toolbars ---

void qel_toolbar_begin(qel_context* ctx, const char* label, const qel_toolbar_opts* options);

// True when clicked in the bar or chosen in the overflow popup; a toggle flips at the same time.
bool qel_toolbar_button(qel_context* ctx, const char* icon, const qel_toolbar_item_opts* options);

void qel_toolbar_separator(qel_context* ctx);

// Ends the toolbar, with the overflow button and its popup when items overflowed.
void qel_toolbar_end(qel_context* ctx);
