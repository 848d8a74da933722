// The rows that fill popups (menu rows with icon, shortcut and check mark, separators and section
// captions) and the searchable select built from a trigger field and a popup list of menu rows.
// Rows count themselves in the popup they are built in, so Up and Down move over them; opening,
// closing and the panel are popup.h's.
#pragma once

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Null options are the defaults.
struct qel_menu_item_options {
    const char* icon;      // glyphs at 16 px
    const char* shortcut;  // text at the right
    uint8_t destructive;
    uint8_t disabled;  // 0: the enclosing disabled scope decides
    uint8_t checked;
};

struct qel_select_options {
    const char* label;                    // field label above the trigger
    const char* placeholder;              // null: "Select"
    const char* const* item_icons;        // one glyph per item; null entries allowed
    uint8_t searchable;
    uint8_t disabled;  // 0: the enclosing disabled scope decides
    qel_size width;    // kind fit: not given
};

// --- Menu rows ---

// True in the frame the row is chosen by a click or by Enter while highlighted; every popup is
// closed by then. A disabled row never is.
bool qel_menu_item(qel_context* ctx, const char* label, const qel_menu_item_options* options);
void qel_menu_separator(qel_context* ctx);
void qel_menu_label(qel_context* ctx, const char* text);

// --- Select ---

// True in the frame *selected changed. An index outside 0..count-1 chooses nothing; null items
// or a null selected show an empty list.
bool qel_select(qel_context* ctx, const char* label, const char* const* items, uint32_t count, int32_t* selected,
                const qel_select_options* options);
