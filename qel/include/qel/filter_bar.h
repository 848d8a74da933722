// The filter bar above a list or a table: an optional search field, one chip per active filter
// showing its choice and opening a checklist of its options, a menu that adds filters not shown
// yet, and "Clear all". The caller defines the filters and owns their values, one bit mask each;
// filtering the data is the caller's too.
#pragma once

#include <cstdint>

#include "qel/types.h"

// --- Records ---

enum { QEL_FILTER_BAR_MAX = 32 };

// One filter; at most 32 filters and 32 options each are used. Bit j of its value selects option j.
struct qel_filter_def {
    const char* name;              // chip and menu label (visible part before "##")
    const char* icon;              // optional icon glyphs
    const char* const* options;    // option labels
    int32_t option_count;
};

// --- The bar ---

// Edits values (one per filter) and the search text (null: no search field; a capacity below 1
// shows none either). True in the frame a value or the search text changed; adding a filter
// through the menu is no change. The bar becomes the last item.
bool qel_filter_bar(qel_context* ctx, const char* label, const qel_filter_def* filters, int32_t filter_count,
                    uint32_t* values, char* search, int32_t search_capacity);
