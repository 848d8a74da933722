// The sortable list: a vertical list whose items the user reorders by dragging. The caller owns
// an array of item keys in display order, which the list reorders in place on a drop; while an
// item is dragged the others slide out of its way and it is lifted with a shadow. What an item
// shows is the caller's.
#pragma once

#include <cstdint>

#include "qel/types.h"

// Opens the list under the label's id over count keys (at most 256 take part). Item positions come
// from the last frame, so a drag starts only once every item has been laid out.
void qel_sortable_begin(qel_context* ctx, const char* label, uint32_t* keys, int32_t count);

// Opens item index: a row with a grip icon after which the caller builds its content, under an id
// scope of its key. Every call is closed by qel_sortable_item_end, also outside a list or for an
// index out of range.
void qel_sortable_item(qel_context* ctx, int32_t index);
void qel_sortable_item_end(qel_context* ctx);

// Closes the list; true in the frame a drop changed the order of the keys.
bool qel_sortable_end(qel_context* ctx);
