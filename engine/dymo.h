// The DYMO LabelWriter raster writer: every label rendered and sent line by line under the
// printer's ESC commands, each line cut to its inked bytes and run-length compressed when that
// is shorter, the whole job assembled before any of it is written. Counting labels and choosing
// the writer are job.h's.
#pragma once

#include <cstdint>

#include "byte_buffer.h"
#include "csv.h"
#include "job.h"
#include "label_model.h"

// The protocol counts a line's bytes in one byte.
enum { DYMO_MAX_LINE_BYTES = 255 };

// Writes the job for rows first_row .. first_row + row_count - 1 (see job_write): the start
// sequence, then per label its length, its inked lines and a form feed (a row of count n gives
// n labels from one rendering). 1 for a NULL argument, a negative first row or count, or a bad
// quantity; 2 for a label under 1 dot wide, wider than 255 bytes a line, or outside 1..65534
// dots long; the renderer's code; 4 when memory runs out or the sink cannot take the job.
// Nothing reaches the sink unless all succeeded. Each call keeps its own scratch space.
engine_error dymo_write_job(const label_model* model, const csv_table* table, int32_t first_row, int32_t row_count,
                            const job_options* options, byte_sink* sink);
