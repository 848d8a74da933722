// Choice controls laid out as a row of clickable items: the toggle chip (one on/off pill), the
// toggle group (several on/off items on one track), the segmented control (one of several on a
// tinted track, the selection a raised slab sliding between items) and the tab strip (one of
// several, with a sliding underline or pill, scrolling sideways when the tabs do not fit). The
// segmented control and the tab strip share one body. Hover, press and focus feel are
// widget_feel's; the strip's scrolling is the scroll container's.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_segmented; null means all defaults.
struct qel_segmented_opts {
    uint32_t reserved;
    uint32_t size;        // 0 medium, 1 small, 2 large
    uint8_t full_width;   // the items share the parent's whole width
    const char** icons;   // one icon glyph text or null per item; null: no icons
};

enum qel_tab_variant : uint32_t {
    QEL_TABS_UNDERLINE = 0,  // any value but QEL_TABS_PILLS
    QEL_TABS_PILLS = 1,
};

// Options of qel_tab_strip; null means all defaults.
struct qel_tab_strip_opts {
    uint32_t reserved;
    uint32_t variant;     // qel_tab_variant
    const char** icons;   // as qel_segmented_opts
    uint8_t full_width;   // pills only: the tabs share the whole width instead of scrolling
};

// Options of qel_toggle_group; null means all defaults.
struct qel_toggle_group_opts {
    uint32_t reserved;
    const char* const* icons;  // one icon glyph text or null per item; null: no icons
};

// Options of qel_toggle_chip; null means all defaults.
struct qel_chip_opts {
    uint64_t reserved;
    const char* icon;   // icon glyphs shown while the chip is off
    uint8_t disabled;   // 0: as the enclosing disabled scope
};

// How qel_segmented_body draws its items and selection.
enum qel_segmented_mode : uint32_t {
    QEL_SEGMENTED_TRACK = 0,      // a tinted track with a raised selection; also any unknown mode
    QEL_SEGMENTED_UNDERLINE = 1,  // tabs with a bar under the selected one
    QEL_SEGMENTED_PILLS = 2,      // tabs with a filled pill behind the selected one
};

// --- Choosing one of several ---
// labels holds count texts (their visible part shown; null or empty with an icon makes an
// icon-only item). At most 32 items are shown. *selected is the chosen index: clamped into the
// items, moved by a click, and by Left and Right while an item has the keyboard focus. Each
// returns true in the frame *selected changed (a clamp counts); count < 1 builds nothing. The
// control becomes the last item.

bool qel_segmented(qel_context* ctx, const char* label, const char* const* labels, int32_t count, int32_t* selected,
                   const qel_segmented_opts* options);

// Tabs that do not fit scroll sideways; a tab chosen while cut off by the strip's edge is brought
// into view with 24 units to spare.
bool qel_tab_strip(qel_context* ctx, const char* label, const char* const* labels, int32_t count, int32_t* selected,
                   const qel_tab_strip_opts* options);

// The body both share: mode is a qel_segmented_mode, size 0 medium, 1 small, 2 large; icons may be
// null.
bool qel_segmented_body(qel_context* ctx, const char* label, const char* const* labels, const char* const* icons,
                        int32_t count, int32_t* selected, uint32_t mode, uint32_t size, bool full_width);

// --- On and off ---

// Items on the segmented track, each with a flag of its own in flags (count of them): a click
// flips it, and items on show raised. At most 32 items are shown. True in the frame a flag
// flipped; count < 1 or null flags build nothing. The group becomes the last item.
bool qel_toggle_group(qel_context* ctx, const char* label, const char* const* labels, int32_t count, bool* flags,
                      const qel_toggle_group_opts* options);

// A pill that toggles *value (may be null: it then reports clicks but never shows as on). True in
// the frame it is clicked while enabled, after *value was flipped.
bool qel_toggle_chip(qel_context* ctx, const char* label, bool* value, const qel_chip_opts* options);

// --- Draw callbacks ---

// The sliding selection; user is the frame's selection look.
void qel_segmented_draw(qel_context* ctx, const qel_node* node, void* user);

// A 1-unit baseline along the node's bottom; user points to its qel_color.
void qel_tab_strip_draw(qel_context* ctx, const qel_node* node, void* user);
