// The path bar: a path shown as clickable segments with chevrons between them, collapsing the
// middle behind an ellipsis menu when narrow, and turning into a text field for typing a path.
// It deals in segment strings only; what a segment or a typed path means is the caller's.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Null options are the defaults.
struct qel_path_bar_options {
    const char* icon;         // leading glyphs at 16 px, and the edit field's icon
    const char* full_path;    // what the edit field starts with; null: the segments joined by "/"
    const char* placeholder;  // of the edit field; null: "Type a path"
    uint32_t size;            // 0 medium, 1 small, 2 large: the bar is a control of this height
    qel_size width;           // kind fit: grow 1
    uint8_t separator_menus;  // separators are buttons opening the segment popup
    uint8_t read_only;        // never enters edit mode
};

struct qel_path_bar_result {
    int32_t clicked;         // segment picked this frame (pill or ellipsis menu), -1 none
    const char* typed_path;  // text submitted with Enter this frame (frame arena), else null
    uint8_t editing;         // in edit mode after this frame
};

// --- The bar ---

// Shows count segments (null entries show empty; the visible part before "##" is shown); a null
// array or a negative count is no segment. Ctrl+L (while no text field is active), a click on the
// background or on the last segment enters edit mode; Enter reports the typed path, Escape or
// losing the focus leaves without one, and the focus goes back where it was. The bar becomes the
// last item.
qel_path_bar_result qel_path_bar(qel_context* ctx, const char* label, const char** segments, int32_t count,
                                 const qel_path_bar_options* options);

// --- The segment popup (separator menus) ---

// True while the popup of a separator of the bar with this label is open and to be filled; the
// segment before that separator goes to *segment when not null. Call after qel_path_bar, and
// qel_path_bar_popup_end after a true.
bool qel_path_bar_popup_begin(qel_context* ctx, const char* label, int32_t* segment);
void qel_path_bar_popup_end(qel_context* ctx);
