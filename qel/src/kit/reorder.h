// Drag to reorder, for the widgets whose items the user moves along one axis (the tab bar, the
// sortable list, the dock's tabs): a press on an item that then moves past a threshold lifts it,
// the lifted item follows the pointer, the slot it has passed becomes the target and the items
// between make room for it. Items are known by their start and size along the axis in the last
// frame; what a drop does is the widget's.
#pragma once

#include <cstdint>

#include "qel/types.h"

// Kept in the widget's per-id state; a zeroed record is set up by qel_reorder_begin.
struct qel_reorder {
    int32_t dragged, target;  // item indices; dragged is -1 while nothing is lifted
    float grab;               // from the dragged item's start to the pointer as the drag began
    float press;              // where along the axis the press landed
    uint8_t pressed;
    int32_t pressed_index;
    float lift[2];  // spring toward 1 while an item is lifted
    uint8_t started;
};

// Where the items lay along the axis in the last frame.
struct qel_reorder_items {
    const float* start;
    const float* size;
    int32_t count;
    bool all_known;  // every item had a place: no drag starts, and one going on ends at release
};

// The widget's frame begin: sets up a new record and forgets a drag or press of an item gone.
void qel_reorder_begin(qel_reorder* r, int32_t count);

// A press on item index at pointer, along the axis.
void qel_reorder_press(qel_reorder* r, int32_t index, float pointer);

// Follows the pointer and button: forgets a press let go, lifts the pressed item once the pointer
// has moved more than 4 units from the press, and drops a lifted item of unknown place at
// release. True while an item is lifted over known places: the widget then finds the target and
// acts on the drop itself.
bool qel_reorder_follow(qel_reorder* r, const qel_reorder_items* items, float pointer, bool down);

// The slot the dragged item has passed: the first before it whose middle lies past lead, else
// the furthest after it whose middle lies before trail.
int32_t qel_reorder_target(const qel_reorder_items* items, int32_t dragged, float lead, float trail);

// Eases the lift toward whether an item is lifted; returns its amount.
float qel_reorder_lift(qel_context* ctx, qel_reorder* r);

// Moves the spring (offset, velocity) of item i, not the dragged one, toward the room it makes:
// back by shift when the dragged item passed it going forward, forward by shift going back, else
// its own place. Returns the offset.
float qel_reorder_slide(qel_context* ctx, const qel_reorder* r, int32_t i, float spring[2], float shift);
