// The DYMO LabelWriter raster writer: every label rendered and sent line by line under the
// printer's ESC commands, each line cut to its inked bytes and run-length compressed when that
// is shorter. Counting labels and choosing the writer are job.h's.
#pragma once

#include <cstddef>
#include <cstdint>

#include "byte_buffer.h"
#include "csv.h"
#include "job.h"
#include "label_model.h"

// The protocol counts a line's bytes in one byte.
enum { DYMO_MAX_LINE_BYTES = 255 };

// What the writer refuses before any row: a label whose raster cannot be made, wider than 255
// bytes a line, or outside 1 to 65,534 dots long. 0, or 2 with the reason in msg.
engine_error dymo_check(const label_model* model, const job_options* options, char* msg, size_t msg_size);

// Writes the job for rows first_row .. first_row + row_count - 1 (see job_write): the start
// sequence, then per label its length, its inked lines and a form feed (a row of count n gives
// n labels from one rendering). 1 for a NULL argument, a negative first row or count, or a bad
// quantity; dymo_check's 2; the renderer's code; the sink's code when bytes were lost. Each
// call keeps its own scratch space.
engine_error dymo_write_job(const label_model* model, const csv_table* table, int32_t first_row, int32_t row_count,
                            const job_options* options, byte_sink* sink);
