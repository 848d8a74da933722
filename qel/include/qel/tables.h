// Tables: a bordered data table with a header row, optional click-to-sort headers, zebra rows,
// hoverable and selectable rows, sideways scrolling when the columns are wider than the space and
// an optional vertically scrolling body. The caller drives it row by row and cell by cell; the
// table fills the cells a row leaves out. Sorting the data and keeping the selection are the
// caller's; scrolling is the scroll container's.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

struct qel_table_column {
    const char* title;  // null: empty
    qel_size width;     // kind fit: cells grow with weight 1; any other kind as given
    uint32_t align;     // content alignment: 0 none, 1 centre, 2 right, 3 left, 4 end
    uint8_t sortable;
};

// The caller's sort state, changed by clicks on sortable headers.
struct qel_table_sort {
    uint32_t column;
    uint8_t descending;
};

// Options of qel_table_begin; null means all zero.
struct qel_table_opts {
    uint64_t reserved;
    qel_table_sort* sort;  // null: plain headers
    qel_size height;       // kind fit: the table grows with its rows; else fixed, the body scrolls
    uint8_t zebra;         // odd rows tinted
    uint8_t compact;       // rows at least 36 high instead of 44
    uint8_t clickable_rows;
};

// An open table, on the scope stack.
struct qel_table_record {
    uint32_t id;
    const qel_table_column* columns;
    int32_t column_count;
    int32_t cell;  // cells opened in the current row
    int32_t rows;  // rows begun
    uint8_t row_open, compact, zebra, clickable_rows, body_open;
};

// --- Building a table ---
// Calling order: begin; per row next_row, then next_cell or cell_text for each column; end.

// Opens the table under the label's id and builds its header row. Always true. The cell calls up
// to the end read columns again: it must stay valid until then.
bool qel_table_begin(qel_context* ctx, const char* label, const qel_table_column* columns, int32_t count,
                     const qel_table_opts* options);

// Closes the open row and opens the next; true when that row was clicked this frame. False
// without an open table.
bool qel_table_next_row(qel_context* ctx, bool selected);

// Closes the open cell and opens the next of the row; cells beyond the columns are plain nodes.
void qel_table_next_cell(qel_context* ctx);

// The next cell holding a text (outside a table the text alone is added).
void qel_table_cell_text(qel_context* ctx, const char* text);
[[gnu::format(printf, 2, 3)]] void qel_table_cell_textf(qel_context* ctx, const char* format, ...);

// Closes the open cell, adds empty cells for the remaining columns and closes the row.
void qel_table_flush_cells(qel_context* ctx, qel_table_record* record);

void qel_table_end(qel_context* ctx);
