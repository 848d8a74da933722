// The desktop menu bar: a row of menu titles, each opening a popup menu whose rows the caller
// builds with menu.h's rows, with Alt mnemonics, a keyboard mode entered by a lone Alt or F10,
// arrow travel between titles and hover switching while a menu is open. Also the bar row that
// toolbars and status bars share, and the rule that tells whether an overlay lies above the
// layer being built. The popups themselves are popup.h's.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

enum { QEL_MENUBAR_MAX_MENUS = 16 };

// The bar's state, under the id of its label.
struct qel_menubar_state {
    uint8_t started;
    int32_t open;         // open menu; -1 none
    int32_t highlighted;  // in keyboard mode
    uint8_t keyboard;     // keyboard mode
    uint8_t alt_held;
    uint8_t alt_alone;    // no other key or mouse button since Alt went down
    uint8_t escape;       // Escape pressed this frame
    uint8_t underlines;   // mnemonics shown
    int32_t last_count;   // menus of the last frame
    uint32_t title[QEL_MENUBAR_MAX_MENUS];
    uint32_t popup[QEL_MENUBAR_MAX_MENUS];
    uint8_t mnemonic[QEL_MENUBAR_MAX_MENUS];
    uint8_t disabled[QEL_MENUBAR_MAX_MENUS];
    uint32_t saved_focus;  // the keyboard focus as keyboard mode began
    int32_t counted;       // menus this frame
    int32_t last_menu;     // the menu built last
    uint8_t last_menu_open;
};

// What qel_bar_edge_draw draws: a hairline of color along the top (top) or bottom edge.
struct qel_bar_edge_payload {
    qel_color color;
    uint8_t top;
};

// Options of qel_menubar_begin; null means all zero.
struct qel_menubar_opts {
    uint32_t reserved;
    uint8_t no_border;  // no hairline under the bar
};

// Options of qel_menubar_menu; null means all zero.
struct qel_menu_opts {
    uint32_t reserved;
    uint8_t mnemonic;   // 0: the first ASCII letter or digit of the label's visible part
    float min_width;    // of the popup
    uint8_t disabled;   // 0: the enclosing disabled scope decides
};

// --- The menu bar ---

void qel_menubar_begin(qel_context* ctx, const char* label, const qel_menubar_opts* options);
void qel_menubar_end(qel_context* ctx);

// A menu title; true when its popup is open and its rows are to be built. Every call, true or
// false, is followed by qel_menubar_menu_end. At most 16 menus; later ones return false.
bool qel_menubar_menu(qel_context* ctx, const char* label, const qel_menu_opts* options);
void qel_menubar_menu_end(qel_context* ctx);

// A growing space that pushes later titles or items to the far end (nothing inside a toolbar
// whose items overflow).
void qel_menubar_spacer(qel_context* ctx);

// Opens menu index (-1 closes the open one) under its title; by keyboard its first row is
// highlighted.
void qel_menubar_switch(qel_context* ctx, qel_menubar_state* state, int32_t index, bool by_keyboard);

// --- Shared by bars ---

// The bar row under id: clipped, row, centred, gap 2, full width, padding 3 and 6; with an edge
// line, a hairline along its top (top) or bottom edge. Not pushed. Returns its index.
int32_t qel_bar_row_node(qel_context* ctx, uint32_t id, bool edge_line, bool top_edge);

// True when an open popup or modal sheet lies above the overlay layer being built.
bool qel_overlay_above(qel_context* ctx);

// --- Draw callbacks ---

// The hairline of a bar row; user is its frame-arena payload.
void qel_bar_edge_draw(qel_context* ctx, const qel_node* node, void* user);

// The mnemonic underline under a title's text node; user is its frame-arena payload.
void qel_menubar_title_draw(qel_context* ctx, const qel_node* node, void* user);
