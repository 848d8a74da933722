// Spreadsheets saved as delimited text, parsed into a rectangular table of owned UTF-8 strings,
// with cell and column access. What the columns mean is left to the label model.
#pragma once

#include <cstddef>
#include <cstdint>

#include "errors.h"

// A parsed spreadsheet: the first record is the header, every further record one data row.
// Its strings are NUL-terminated and lie in one block that the table owns; cells that the text
// does not supply are "" and cost nothing of their own. A table is thus about its text's size
// plus one pointer a cell.
struct csv_table {
    int32_t columns;  // header fields, at least 1 in a parsed table
    int32_t rows;     // data rows, may be 0
    char** header;    // `columns` strings
    char** cells;     // rows * columns strings, row-major; never NULL
    char* strings;    // the block holding the strings
};

enum {
    CSV_MAX_FILE_SIZE = 64 * 1024 * 1024,
    // Cells of a table, the header's and those padding short rows included: 128 MiB of
    // pointers at most.
    CSV_MAX_CELLS = 16 * 1024 * 1024,
};

// --- Reading ---

// Parses `length` bytes (need not be NUL-terminated): optional UTF-8 byte-order mark, delimiter
// detected from the first line (comma, TAB or semicolon), double-quoted fields. The table is
// zeroed first and stays so on failure. 0 ok; 2 with a message for a table of more than
// CSV_MAX_CELLS cells; 3 out of memory; 5 with a message for text that is not UTF-8 (UTF-16,
// or NUL bytes).
engine_error csv_parse(csv_table* table, const char* text, size_t length, char* msg, size_t msg_size);

// As csv_parse, but 1 for a NULL table or text.
engine_error csv_parse_memory(csv_table* table, const char* text, size_t length, char* msg, size_t msg_size);

// Reads and parses a whole regular file of at most 64 MiB. 1 NULL arguments; 4 with "cannot
// open %s", a message for a folder, device or pipe (refused without waiting on it), "unusable
// file size" or "cannot read %s"; 3 with "not enough memory to read %s"; else as csv_parse.
engine_error csv_read_file(csv_table* table, const char* path, char* msg, size_t msg_size);

// A table of one row under the header Name, Price, Barcode (NULL values read as "").
engine_error csv_table_one_label(csv_table* table, const char* name, const char* price, const char* barcode);

// --- Releasing ---

// Frees the strings and both arrays and zeroes the record; csv_table_free also takes NULL.
void csv_table_clear(csv_table* table);
void csv_table_free(csv_table* table);

// --- Looking up ---

// The text of a cell; "" outside the table or for a NULL table.
const char* csv_cell(const csv_table* table, int32_t row, int32_t column);

// The first header field equal to name, else the first equal ignoring ASCII case, else -1.
int32_t csv_find_column(const csv_table* table, const char* name);
