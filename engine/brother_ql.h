// The Brother QL raster writer: every label rendered and sent as uncompressed, mirrored raster
// lines under the printer's ESC i commands, each page ended by its print command. Counting
// labels and choosing the writer are job.h's.
#pragma once

#include <cstddef>
#include <cstdint>

#include "byte_buffer.h"
#include "csv.h"
#include "job.h"
#include "label_model.h"

enum {
    BROTHER_QL_MAX_LINE_BYTES = 162,
    BROTHER_QL_MAX_MEDIA_MM = 255,        // the print-information command holds one byte each
    BROTHER_QL_MAX_FEED_MARGIN = 65535,   // two bytes
};

// What the writer refuses before any row: a label whose raster cannot be made, more than 162
// line bytes, media wider or longer than 255 mm, a feed margin over 65,535 dots, or a label
// wider than the line. 0, or 2 with the reason in msg.
engine_error brother_ql_check(const label_model* model, const job_options* options, char* msg, size_t msg_size);

// Writes the job for rows first_row .. first_row + row_count - 1 (see job_write): the start
// sequence, one page per label (a row of count n gives n pages from one rendering), each page
// ended by its print command (FF, and Control-Z after the last; a job without pages ends with
// Control-Z alone). The options give the line length (90 bytes unless set), the media and the
// feed margin. 1 for a NULL argument or a bad quantity; brother_ql_check's 2; the renderer's
// code; the sink's code when bytes were lost.
engine_error brother_ql_write_job(const label_model* model, const csv_table* table, int32_t first_row,
                                  int32_t row_count, const job_options* options, byte_sink* sink);

// The job's size in bytes, known from the label's size and the labels of the rows; 0 when a
// quantity is bad.
size_t brother_ql_job_size(const label_model* model, const csv_table* table, int32_t first_row, int32_t row_count,
                           const job_options* options);
