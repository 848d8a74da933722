// The multi-select: a dropdown field for choosing any number of items from a list of strings. The
// closed field shows the chosen items as removable chips (up to a limit, then a badge counting the
// rest); its popup lists every item with a check box, an optional search box, a count line and a
// "Select all" or "Clear" button. The choice lives in the caller's byte array.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_multi_select; null means all defaults.
struct qel_multi_select_options {
    uint64_t reserved;         // not read
    const char* label;         // label line above the field; null: none
    const char* placeholder;   // shown while nothing is chosen; null: "Select"
    const char* const* icons;  // an icon glyph per item for the popup rows; null: none
    uint8_t searchable;        // a search box heads the popup
    int32_t max_chips;         // chips shown in the field; < 1: 3
    qel_size width;            // field width; not read when a label is shown
};

// --- The field ---

// count items (labels: the text before "##" is shown; the whole string names the row and is
// searched) with selected[i] 1 when item i is chosen; flags are only ever set to 0 or 1. Returns
// 1 in a frame in which any flag changed (a chip removed, a row toggled, Select all or Clear).
// Up and Down move over the rows, Enter (and Space, unless the search box has the keyboard)
// toggles the highlighted one.
int32_t qel_multi_select(qel_context* ctx, const char* label, const char* const* items, int32_t count,
                         uint8_t* selected, const qel_multi_select_options* options);
