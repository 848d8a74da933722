// A table of contents for a long scrolling page with scroll-spy: the page marks each section with
// an invisible anchor; the list highlights the section at the top of the scroll container, shows
// the reading progress on a thin track with an indicator beside the active entry, and scrolls the
// page to a section when its entry is clicked. The page and its scroll container are the caller's.
#pragma once

#include <cstdint>

#include "qel/types.h"

// --- Records ---

// An entry of the contents (the caller's array, read every frame).
struct qel_toc_entry {
    const char* title;
    const char* anchor;  // the name given to qel_toc_anchor
    int32_t level;       // indentation: 12 units a level from 1, 48 from 4 up; <= 0 none
};

// --- Building ---

// Marks the start of a section at the current place in the page: a zero-high node growing in
// width, whose id comes from the name alone so it meets its entry wherever each is drawn.
// Returns the node.
int32_t qel_toc_anchor(qel_context* ctx, const char* name);

// The contents of the scroll container named scroll_label; up to 64 entries show. Returns the
// active entry (or the one clicked this frame, after which the page glides to it), -1 without
// entries.
int32_t qel_toc(qel_context* ctx, const char* scroll_label, const qel_toc_entry* entries, int32_t count);
