// The layout tree's record: the frame's nodes, the open parents, the overlay roots and the
// overlay layers their subtrees are drawn in, and the calls the frame cycle makes on it.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "core/stack_depth.h"

enum { QEL_PARENT_STACK_CAPACITY = 256, QEL_LAYER_STACK_CAPACITY = 32 };

struct qel_layout_tree {
    qel_node* nodes;
    int32_t count, capacity;
    int32_t parents[QEL_PARENT_STACK_CAPACITY];
    qel_stack_depth parent_depth;
    int32_t* overlays;  // node indices of the overlay roots in creation order
    int32_t overlay_count, overlay_capacity;
    int32_t last_opened;  // -1: none
    uint32_t layers[QEL_LAYER_STACK_CAPACITY];  // the layers the open overlays replaced
    qel_stack_depth layer_depth;
    uint32_t current_layer;  // 0: the base
};

// Empties the tree and opens the root over the display as the current parent.
void qel_layout_tree_begin(qel_context* ctx);

void qel_layout_tree_release(qel_context* ctx);

// An id for an anonymous scroll container: a counter per id-stack level with the parent's id, so
// containers of one scope differ and the same ones come back every frame.
uint32_t qel_layout_automatic_id(qel_context* ctx);
