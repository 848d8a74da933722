// Two buttons that open a menu on the popup layer: the split button (a main action joined to a
// chevron that opens further actions) and the account menu (an avatar button whose menu, headed
// by the account, the caller fills). Panels and rows are popup.h's and menu.h's.
#pragma once

#include <cstdint>

#include "qel/types.h"

// --- Records ---

// Options of qel_split_button; null means all defaults.
struct qel_split_button_options {
    uint32_t reserved;
    uint32_t variant;               // qel_button_variant; 0: primary
    uint32_t size;                  // as qel_button_opts
    const char* icon;               // of the main button
    const char* const* item_icons;  // one glyph per menu entry; null allowed
    const char* shortcut;           // handed to the main button unchanged
};

// Options of qel_account_menu; null means all zero.
struct qel_account_menu_options {
    uint32_t reserved;
    const char* subtitle;
    const char* presence;  // as qel_avatar_opts
    uint64_t texture;      // 0: initials
    uint8_t compact;       // the avatar only
    uint32_t placement;    // qel_placement; 0: above start, or below end when compact
    float width;           // of the menu; <= 0: 248
};

// --- Split button ---

// -1 when nothing happened, 0 when the main part was clicked, i + 1 when menu entry i was chosen.
int32_t qel_split_button(qel_context* ctx, const char* label, const char* const* items, int32_t count,
                         const qel_split_button_options* options);

// --- Account menu ---

// True when the menu is to be built this frame: the caller adds qel_menu_item rows, then calls
// qel_account_menu_end.
bool qel_account_menu(qel_context* ctx, const char* name, const qel_account_menu_options* options);
void qel_account_menu_end(qel_context* ctx);
