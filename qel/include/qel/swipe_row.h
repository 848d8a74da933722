// The swipe row: a list row whose content slides sideways under the pointer (or a sideways wheel)
// to uncover action buttons on its leading and trailing sides. A short swipe snaps the row open on
// the actions; a long one, past 60 % of the row, takes the side's first action at once. The
// caller builds the content between qel_swipe_row and qel_swipe_row_end; rows may nest.
#pragma once

#include <cstdint>

#include "qel/types.h"

// --- Records ---

// One action; the caller's.
struct qel_swipe_action {
    const char* icon;   // icon glyph text or null
    const char* label;  // or null
    uint32_t kind;      // qel_semantic 1 to 8 for its colour; 0: the muted text colour
};

// Action indexes: leading actions count from 0, trailing ones from QEL_SWIPE_TRAILING.
enum { QEL_SWIPE_TRAILING = 100 };

// --- The row ---

// Opens the row and an id scope of the label for the caller's content.
void qel_swipe_row(qel_context* ctx, const char* label, const qel_swipe_action* leading, int32_t leading_count,
                   const qel_swipe_action* trailing, int32_t trailing_count);

// Closes the innermost open row. Returns the index of the action taken this frame (by a click on
// it or by a long swipe), or -1; -1 also when no row is open.
int32_t qel_swipe_row_end(qel_context* ctx);

// --- Pieces ---

// The uncovered strip of one side of the row with id row_id: revealed units wide, its actions
// packed toward the row's outer edge. *clicked (may be null) gets the index of a clicked action.
void qel_action_row(qel_context* ctx, uint32_t row_id, const qel_swipe_action* actions, int32_t count, bool leading,
                    float revealed, int32_t* clicked);
