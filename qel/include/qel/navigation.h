// Navigation widgets that show where the user is and let them move: a breadcrumb trail and page
// numbers between previous and next buttons, long ranges folded behind ellipses. What a crumb or
// a page stands for is the caller's.
#pragma once

#include <cstdint>

#include "qel/types.h"

// --- Breadcrumbs ---

// Draws the trail: every crumb but the last clickable and followed by a chevron, the last plain.
// Returns the index of the crumb clicked this frame, or -1 (also when count < 1).
int32_t qel_breadcrumbs(qel_context* ctx, const char* const labels[], int32_t count);

// --- Pagination ---

// Draws pages 1..count (count < 1 counts as 1) with *page (0-based) current, under an id scope of
// label. Returns 1 when *page changed this frame, including when it was outside 0..count-1 and
// has been clamped; 0 when page is null.
int32_t qel_pagination(qel_context* ctx, const char* label, int32_t* page, int32_t count);
