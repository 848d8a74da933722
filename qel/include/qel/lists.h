// List rows and virtual lists: the row of one or two lines of text with a leading icon or avatar
// and a trailing text, and the list that builds only the rows that can be seen inside a scroll
// container, standing in for the rest with spacers so its scroll height stays whole. Scrolling
// itself is the scroll container's.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_list_item; null means all zero.
struct qel_list_item_opts {
    uint64_t reserved;
    const char* icon;      // icon glyphs before the text
    const char* subtitle;  // a second, smaller line
    const char* trailing;  // small text at the end
    uint8_t selected;
    const char* avatar;  // a name whose avatar replaces the icon
};

// --- List rows ---

// A row showing the label's visible part; true in the frame it is clicked (or activated by a key
// while focused).
bool qel_list_item(qel_context* ctx, const char* label, const qel_list_item_opts* options);

// --- Virtual lists ---

// Opens a vertical scroll container under the label's id, height as given (kind fit: grow 1), and
// writes the half-open range [*first, *last) of the count items the caller builds this frame,
// each exactly item_height tall (0 or less: 36). The range covers the last frame's view (400 before
// the first layout) and two items beyond each end. Close with qel_virtual_list_end. The
// container's qel_scroll_state (under the same id) may be read and set to bring an item into view.
// Lists nest 8 deep; deeper ones still open and close but reserve no space below their rows.
void qel_virtual_list_begin(qel_context* ctx, const char* label, int32_t count, float item_height, qel_size height,
                            int32_t* first, int32_t* last);
void qel_virtual_list_end(qel_context* ctx);
