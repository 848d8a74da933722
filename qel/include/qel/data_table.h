// The data table: large virtualised tables built row by row by the caller, with a sticky header of
// sortable and resizable columns, columns that hide by priority when room is short, a check column
// with select-all, selection by mouse and keyboard, a keyboard cursor, stripes and in-place
// editing of text cells. The caller owns the rows, the selection flags and the sort record and
// reorders nothing on the table's word; scrolling is the scroll container's.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

enum { QEL_DATA_TABLE_MAX_COLUMNS = 32 };

// One column; at most 32 are used.
struct qel_data_table_column {
    const char* title;      // visible part before "##"; null: empty
    float width;            // initial width; <= 0: 150
    uint32_t alignment;     // header and cells: 0 start, 1 centre, 2 end
    uint8_t sortable;       // the header cell is a focusable button that sets the sort record
    uint8_t fixed_width;    // no resize handle
    int32_t hide_priority;  // > 0: may hide when the table is too narrow, higher first
};

// The caller's sort record: the sorted column and its direction.
struct qel_data_table_sort {
    int32_t column;
    uint8_t descending;
};

// Options of qel_data_table_begin; null means all defaults, and 0 in a field its default.
struct qel_data_table_options {
    uint64_t reserved;
    qel_size width;              // kind fit: grow 1
    qel_size height;             // kind fit: grow 1
    float row_height;            // <= 0: 40
    uint8_t* selection;          // one flag per row; enables the check column and multi-selection
    qel_data_table_sort* sort;   // read and written by header clicks
    uint8_t striped;             // odd rows get a faint stripe
    int32_t* cursor;             // keyboard cursor row: read at begin (>= 0 moves it), written back
    uint8_t hide_checks;         // no check column even with a selection
    int32_t* anchor;             // range anchor row: read at begin (>= 0), written back
};

// The table being built this frame; the context holds it between begin and end.
struct qel_data_table;

// --- Building a table, once per frame ---
// Order: begin; for each row from *first to *last (exclusive): row, then one cell call per column
// in column order (hidden columns take theirs too and show nothing); end. Only one table is open
// at a time.

// Lays out the table, takes the keyboard and draws the header; writes the rows to build this
// frame. A negative row count counts as 0. Returns true. The calls up to the end read columns and
// the options' pointers again: they must stay valid until then.
bool qel_data_table_begin(qel_context* ctx, const char* label, const qel_data_table_column* columns,
                          int32_t column_count, int32_t row_count, int32_t* first, int32_t* last,
                          const qel_data_table_options* options);

// Closes the open row and opens row (an index into the caller's data). True when it was clicked
// this frame; false without an open table.
bool qel_data_table_row(qel_context* ctx, int32_t row);

// The next cell of the current row; the caller adds its content.
void qel_data_table_cell(qel_context* ctx);

// The next cell with one line of text (null: empty), in tabular digits in end-aligned columns.
void qel_data_table_cell_text(qel_context* ctx, const char* text);

// Makes the cell opened last an editable text cell over the caller's NUL-terminated buffer.
// Editing starts with a double-click on the cell or Enter on the cursor row, ends with Enter,
// Escape (which restores the text) or the focus leaving. True in the frame an edit is committed.
bool qel_data_table_cell_edit(qel_context* ctx, char* buffer, int32_t capacity);

// qel_data_table_cell followed by qel_data_table_cell_edit.
bool qel_data_table_next_cell_edit(qel_context* ctx, char* buffer, int32_t capacity);

// Closes the current row, filling cells not opened with empty space. The next row and the end
// call it; callers never need to.
void qel_data_table_row_end(qel_context* ctx, qel_data_table* table);

// Closes the table (showing "No rows" when it has none); the table becomes the last item.
void qel_data_table_end(qel_context* ctx);

// --- Shared with other widgets ---

// A 16 x 16 check box leaf whose checked and indeterminate looks ease in, kept under id.
void qel_data_table_checkbox(qel_context* ctx, uint32_t id, bool checked, bool indeterminate);

// Its draw callback; user points to two f32: checked and indeterminate, 0..1.
void qel_data_table_checkbox_draw(qel_context* ctx, const qel_node* node, void* user);
