// The tree view: a caller-owned forest shown as the rows of a data table, one column holding the
// indented tree cell (guides, the expander, an icon and the label) and the others ordinary cells;
// children loaded lazily on request, keyboard moves through the hierarchy, type-ahead over the
// labels, selection kept in the node flags, and a stable sort of every sibling list. Also the
// outline row, a one-call disclosure row for outlines that need no table. Loading children and
// labelling nodes are the caller's.
#pragma once

#include <cstdint>

#include "qel/data_table.h"
#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

enum qel_tree_view_flags : uint32_t {
    QEL_TREE_HAS_CHILDREN = 1,  // they may not be loaded yet
    QEL_TREE_EXPANDED = 2,
    QEL_TREE_SELECTED = 4,
    QEL_TREE_LOAD_REQUESTED = 8,
};

// One node of the caller's array; indices are node numbers, -1 (or any number outside the array)
// means none.
struct qel_tree_view_node {
    int32_t parent;        // -1 for a root
    int32_t first_child;   // -1 while none is loaded
    int32_t next_sibling;  // -1 for the last under its parent
    uint32_t flags;        // qel_tree_view_flags
};

// A node's label for type-ahead; null reads as empty.
typedef const char* (*qel_tree_view_label_fn)(void* user, int32_t node);

// Negative when a goes before b.
typedef int32_t (*qel_tree_view_compare_fn)(void* user, int32_t a, int32_t b);

// Options of qel_tree_view_begin; null means all defaults, and 0 in a field its default.
struct qel_tree_view_options {
    uint64_t reserved;
    qel_size width;             // kind fit: grow 1
    qel_size height;            // kind fit: grow 1
    float row_height;           // <= 0: 32
    int32_t root;               // the first root; the roots are its sibling chain
    qel_data_table_sort* sort;  // the header's sort record, handed to the table
    int32_t* cursor;            // cursor node: read at begin (a valid node moves it), written at end
    uint8_t guides;             // indent guide lines
    qel_tree_view_label_fn label;  // no type-ahead without it
    void* label_user;
};

enum { QEL_TREE_MAX_LOADS = 64 };

// What the frame did; the load requests are valid until the next frame.
struct qel_tree_view_result {
    int32_t activated;  // opened with Enter or a double-click, -1 none
    int32_t expanded;   // first node expanded this frame, -1 none
    int32_t collapsed;  // first node collapsed this frame, -1 none
    const int32_t* load_requests;  // nodes whose children the caller is to load
    int32_t load_request_count;    // 0..64
    uint8_t selection_changed;
    uint8_t sort_changed;
};

// --- Building a tree, once per frame ---
// Order: begin; next until it returns -1, and for each node the tree cell in the tree column and
// data table cells for the others, in column order; end; then load the requested children. Only
// one tree view is built at a time.

// A null node array or a count below 1 is an empty tree. The calls up to the end read columns,
// nodes and the options' pointers again: they must stay valid until then.
void qel_tree_view_begin(qel_context* ctx, const char* label, const qel_data_table_column* columns,
                         int32_t column_count, qel_tree_view_node* nodes, int32_t node_count,
                         const qel_tree_view_options* options);

// The next node to draw, or -1 when the rows in view are done (or no tree is open). "Loading"
// rows are drawn inside and skipped.
int32_t qel_tree_view_next(qel_context* ctx);

// The current row's depth, 0 for roots and when there is none.
int32_t qel_tree_view_depth(qel_context* ctx);

// The tree cell of the current row (null label: empty; icon optional); a plain text cell when
// there is no current row.
void qel_tree_view_row(qel_context* ctx, const char* label, const char* icon);

// Ends the table, writes the selection into the node flags and reports. Without an open tree:
// activated, expanded and collapsed -1, the rest zero.
qel_tree_view_result qel_tree_view_end(qel_context* ctx);

// --- Sorting ---

// Sorts every sibling list stably with compare and returns the new first root (root as given when
// it is no valid node). Nothing for a count below 1 or a null array or compare.
int32_t qel_tree_view_sort(qel_tree_view_node* nodes, int32_t count, int32_t root, qel_tree_view_compare_fn compare,
                           void* user);

// --- Outline rows ---

// A disclosure row indented by depth; open is the caller's flag (null: shown closed, never
// toggled). True in the frame the user toggled it.
bool qel_outline_row(qel_context* ctx, const char* label, int32_t depth, bool expandable, uint8_t* open,
                     const char* icon);
