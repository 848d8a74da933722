// Spreadsheets saved as delimited text, parsed into a rectangular table of owned UTF-8 strings,
// with cell and column access. What the columns mean is left to the label model.
#pragma once

#include <cstddef>
#include <cstdint>

#include "errors.h"

// A parsed spreadsheet: the first record is the header, every further record one data row.
// Every string is its own NUL-terminated allocation owned by the table; missing cells are "".
struct csv_table {
    int32_t columns;  // header fields, at least 1 in a parsed table
    int32_t rows;     // data rows, may be 0
    char** header;    // `columns` strings
    char** cells;     // rows * columns strings, row-major
};

enum { CSV_MAX_FILE_SIZE = 64 * 1024 * 1024 };

// --- Reading ---

// Parses `length` bytes (need not be NUL-terminated): optional UTF-8 byte-order mark, delimiter
// detected from the first line (comma, TAB or semicolon), double-quoted fields. The table is
// zeroed first. 0 ok; 3 out of memory (table zeroed).
engine_error csv_parse(csv_table* table, const char* text, size_t length, char* msg, size_t msg_size);

// As csv_parse, but 1 for a NULL table or text.
engine_error csv_parse_memory(csv_table* table, const char* text, size_t length, char* msg, size_t msg_size);

// Reads and parses a whole file of at most 64 MiB. 1 NULL arguments; 4 with "cannot open %s",
// "unusable file size" or "cannot read %s"; 3 out of memory; else the parse result.
engine_error csv_read_file(csv_table* table, const char* path, char* msg, size_t msg_size);

// A table of one row under the header Name, Price, Barcode (NULL values read as "").
engine_error csv_table_one_label(csv_table* table, const char* name, const char* price, const char* barcode);

// --- Releasing ---

// Frees every string and both arrays and zeroes the record; csv_table_free also takes NULL.
void csv_table_clear(csv_table* table);
void csv_table_free(csv_table* table);

// --- Looking up ---

// The text of a cell; "" outside the table or for a NULL table.
const char* csv_cell(const csv_table* table, int32_t row, int32_t column);

// The first header field equal to name, else the first equal ignoring ASCII case, else -1.
int32_t csv_find_column(const csv_table* table, const char* name);
