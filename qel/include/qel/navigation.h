// Navigation widgets that show where the user is and let them move: items of a navigation list
// sharing one sliding selection highlight, with section headings; a breadcrumb trail, page
// numbers between previous and next buttons with long ranges folded behind ellipses, and a
// numbered steps indicator. What a crumb, a page or a step stands for is the caller's.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Where a step stands against the current one; the payload of qel_step_draw.
enum qel_step_state : uint32_t {
    QEL_STEP_DONE = 0,
    QEL_STEP_CURRENT = 1,
    QEL_STEP_UPCOMING = 2,
};

// Null options are the defaults.
struct qel_nav_item_opts {
    uint64_t reserved;
    const char* icon;      // icon-font glyphs before the label
    const char* trailing;  // a short text at the right end, such as a count
    uint8_t selected;
    const char* group;  // id text of the list the item belongs to; null: "#nav"
};

// --- Navigation lists ---

// Draws one item of a navigation list; returns 1 when it was clicked. Consecutive items of the
// same group share the highlight, which springs to the selected item.
int32_t qel_nav_list(qel_context* ctx, const char* label, const qel_nav_item_opts* options);

// A section heading inside a navigation list.
void qel_header_row_end(qel_context* ctx, const char* label);

// The highlight's draw callback: a rounded rectangle in the active colour over the node.
void qel_nav_item_draw(qel_context* ctx, const qel_node* node, void* user);

// --- Breadcrumbs ---

// Draws the trail: every crumb but the last clickable and followed by a chevron, the last plain.
// Returns the index of the crumb clicked this frame, or -1 (also when count < 1).
int32_t qel_breadcrumbs(qel_context* ctx, const char* const labels[], int32_t count);

// --- Pagination ---

// Draws pages 1..count (count < 1 counts as 1) with *page (0-based) current, under an id scope of
// label. Returns 1 when *page changed this frame, including when it was outside 0..count-1 and
// has been clamped; 0 when page is null.
int32_t qel_pagination(qel_context* ctx, const char* label, int32_t* page, int32_t count);

// --- Steps ---

// Draws steps 1..count with step current (0-based) as the current one: earlier steps done, later
// ones upcoming; current >= count shows every step done. Labels give way to numbered circles,
// the current step's label kept, when the row is too narrow for them all.
void qel_steps(qel_context* ctx, const char* const labels[], int32_t count, int32_t current);

// The step circle over the node: user points to a uint32_t qel_step_state.
void qel_step_draw(qel_context* ctx, const qel_node* node, void* user);
