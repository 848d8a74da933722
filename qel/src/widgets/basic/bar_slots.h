// What the bars being built share: the records of an open menu bar or toolbar on the scope stack,
// which menus, toolbar items and spacers find. The bars themselves are menubar's and toolbar's.
#pragma once

#include <cstdint>

#include "qel/menubar.h"
#include "qel/types.h"

enum { QEL_TOOLBAR_MAX_OVERFLOW = 64 };

// An item of a toolbar's overflow popup.
struct qel_toolbar_entry {
    const char* text;  // frame arena; empty for none
    const char* icon;
    uint8_t disabled, checked, separator;
    int32_t item;  // -1 for separators
};

struct qel_toolbar_state {
    float last_used;  // width the items took in the last frame
    int32_t pending;  // item index + 1 chosen in the overflow popup; 0 none
};

// A toolbar being built, on the scope stack.
struct qel_toolbar_record {
    uint32_t id;
    qel_toolbar_state* state;
    float used, available, reserved;  // available is 1e9 while unknown
    int32_t items;
    uint8_t overflowing, counted;
    int32_t entry_count;
    qel_toolbar_entry entries[QEL_TOOLBAR_MAX_OVERFLOW];
};

// A menu bar being built, on the scope stack.
struct qel_menubar_record {
    qel_menubar_state* state;
};
