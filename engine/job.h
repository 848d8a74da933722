// Printer jobs: the per-job settings, the checks a job must pass before its rows are written,
// the choice of writer by printer language, and building a whole job in memory. The languages'
// bytes are their writers' (zpl.h, tspl.h, brother_ql.h, dymo.h); counting labels is
// quantity.h's; sending a job to a file or a queue is spool.h's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "byte_buffer.h"
#include "csv.h"
#include "errors.h"
#include "label_model.h"

// Per-job settings, filled by the caller; a NULL pointer means all defaults, one label a row.
struct job_options {
    int32_t copies;               // labels a row without a quantity column; below 1 means 1
    const char* quantity_column;  // header of the per-row quantity column; NULL for none; borrowed
    int32_t media_width_mm;       // Brother QL: media width; below 1 derives it from line_bytes
    int32_t media_length_mm;      // Brother QL: die-cut label length; below 1 is continuous tape
    int32_t line_bytes;           // Brother QL: bytes per raster line; below 1 means 90, at most 162
    int32_t feed_margin_dots;     // Brother QL: feed margin; below 1 means 35
};

// --- Checking ---

// What the language's writer refuses before it looks at any row, with the reason in msg: a
// label whose raster cannot be made (outside 1 x 1 to 32768 x 65535 dots), and the language's
// own limits (Brother QL: the line length, the media and feed margin its header holds, a label
// wider than the line; DYMO: a line of more than 255 bytes, a length outside 1 to 65,534
// dots). 0; 1 for a NULL model or an unknown language; 2 with a message.
engine_error job_check(uint32_t language, const label_model* model, const job_options* options, char* msg,
                       size_t msg_size);

// Renders every printing row of the run as the writers would, without writing anything: the
// first failure (1 for a bad quantity, else the renderer's code), or 0. For a caller that must
// know the job will go through before it starts sending it.
engine_error job_check_rows(const label_model* model, const csv_table* table, int32_t first_row, int32_t row_count,
                            const job_options* options);

// --- Jobs ---
// A job covers the data rows first_row .. first_row + row_count - 1 (0-based; rows past the
// table's end are left out), each printed as many times as quantity_for_row says; `language` is
// a printer_lang.

// Writes the job to a stream open for writing bytes. 1 for a NULL model, table or stream, a
// negative first row or row count, or an unknown language; else the writer's result, or 4 when
// the stream did not take every byte. After a failure part of the job may be on the stream.
engine_error job_write(uint32_t language, const label_model* model, const csv_table* table, int32_t first_row,
                       int32_t row_count, const job_options* options, FILE* stream);
engine_error job_write_plain(uint32_t language, const label_model* model, const csv_table* table, int32_t first_row,
                             int32_t row_count, FILE* stream);

// Writes the job through a sink, as it is made: peak memory is one label's. As job_write; the
// sink's `written` counts the job's bytes.
engine_error job_write_sink(uint32_t language, const label_model* model, const csv_table* table, int32_t first_row,
                            int32_t row_count, const job_options* options, byte_sink* sink);

// Builds the same bytes in memory, in one block allocated once where the language's job size is
// known ahead (TSPL, Brother QL). On success *data is a heap block of *length bytes that the
// caller releases with free(); a job without bytes gives NULL and 0. 1 for a NULL out-pointer,
// 3 when memory runs out, else as job_write; nothing is handed out on failure.
engine_error job_build(uint32_t language, const label_model* model, const csv_table* table, int32_t first_row,
                       int32_t row_count, const job_options* options, uint8_t** data, size_t* length);
engine_error job_build_plain(uint32_t language, const label_model* model, const csv_table* table, int32_t first_row,
                             int32_t row_count, uint8_t** data, size_t* length);

// --- For the writers ---

// Prints one data row as `labels` labels (at least 1); 0 or a failure code.
typedef engine_error (*job_row_printer)(void* writer, int32_t row, int32_t labels);

// Walks the run of rows in order, asking quantity_for_row for each: a row of 0 labels is
// skipped, any other goes to `print`. 1 at the first bad quantity, else the first failure of
// `print`, else 0.
engine_error job_each_row(const csv_table* table, int32_t first_row, int32_t row_count, const job_options* options,
                          job_row_printer print, void* writer);

// The check every language shares: the label's raster can be made.
engine_error job_check_label_size(const label_model* model, char* msg, size_t msg_size);

// The labels of the run of rows, as job_each_row walks them; -1 at a bad quantity.
int64_t job_count_labels(const csv_table* table, int32_t first_row, int32_t row_count, const job_options* options);
