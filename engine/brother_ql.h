// The Brother QL raster writer: every label rendered and sent as uncompressed, mirrored raster
// lines under the printer's ESC i commands, the whole job assembled before any of it is
// written. Counting labels and choosing the writer are job.h's.
#pragma once

#include <cstdint>

#include "byte_buffer.h"
#include "csv.h"
#include "job.h"
#include "label_model.h"

enum { BROTHER_QL_MAX_LINE_BYTES = 162 };

// Writes the job for rows first_row .. first_row + row_count - 1 (see job_write): the start
// sequence, one page per label (a row of count n gives n pages from one rendering) and the
// final print byte. The options give the line length (90 bytes unless set, at most 162), the
// media and the feed margin. 1 for a NULL argument or a bad quantity; 2 for more than 162 line
// bytes or a label wider than the line; the renderer's code; 3 when memory runs out; the sink's
// code when the job could not be written. Nothing reaches the sink unless all succeeded.
engine_error brother_ql_write_job(const label_model* model, const csv_table* table, int32_t first_row,
                                  int32_t row_count, const job_options* options, byte_sink* sink);
