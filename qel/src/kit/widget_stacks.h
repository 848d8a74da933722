// The begin/end stacks of the foundation widgets in the context. Their records live in the frame
// arena, so frame begin empties the stacks with it.
#pragma once

#include <cstdint>

#include "core/stack_depth.h"

struct qel_split_record;
struct qel_swipe_record;
struct qel_table_record;
struct qel_sortable_record;
struct qel_statusbar_record;
struct qel_data_table;
struct qel_kanban_record;

enum { QEL_HEADER_NEST_CAPACITY = 32, QEL_VIRTUAL_LIST_CAPACITY = 8 };

// What an open virtual list's end call needs to reserve the space below its built rows.
struct qel_virtual_list_frame {
    int32_t count;
    float item_height;
    int32_t first;
};

struct qel_widget_stacks {
    qel_split_record* split;     // the innermost open split pane
    int32_t button_group_depth;  // open button groups: plain buttons inside them turn ghost
    uint8_t hide_range_label;    // the next range slider builds no label row
    const void* key_capture;     // a widget that takes every key this frame; later shortcut handling stands back
    qel_swipe_record* swipe;     // the innermost open swipe row
    // Collapsing headers: open levels and, per level, whether its body is built while closing
    // (and so sits in a disabled scope its end call pops).
    int32_t header_depth;
    uint8_t header_closing[QEL_HEADER_NEST_CAPACITY];
    int32_t tree_depth;          // open tree nodes, for indentation
    uint8_t tree_node_clicked;   // of the latest tree node
    qel_virtual_list_frame virtual_lists[QEL_VIRTUAL_LIST_CAPACITY];
    qel_stack_depth virtual_list_depth;
    qel_table_record* table;  // the innermost open table
    qel_sortable_record* sortable;  // the innermost open sortable list
    qel_statusbar_record* statusbar;  // the innermost open status bar
    qel_data_table* data_table;  // the open data table; tables do not nest
    qel_kanban_record* kanban;   // the innermost open kanban board
};
