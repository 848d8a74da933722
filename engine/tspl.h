// The TSPL writer: each label goes as two 1-bit images in hexadecimal text, first the graphics
// (rules and barcodes) over a cleared image buffer, then the text combined into it. Counting
// labels and choosing the writer are job.h's.
#pragma once

#include <cstdint>

#include "byte_buffer.h"
#include "csv.h"
#include "job.h"
#include "label_model.h"
#include "raster.h"

// Writes the job for rows first_row .. first_row + row_count - 1 (see job_write): per printing
// row the size, gap and reference commands, both images and a print command for its count.
// 1 for a NULL argument or a bad quantity; 2 for a label under 1 dot wide; a rendering pass's
// code; the sink's code (4 for a stream, 3 for memory) when bytes were lost.
engine_error tspl_write_job(const label_model* model, const csv_table* table, int32_t first_row, int32_t row_count,
                            const job_options* options, byte_sink* sink);

// Writes one BITMAP command at 0,0 with the raster's bytes as upper-case hexadecimal, rows
// from the top, in `mode` (0 overwrite, 1 OR). 0, 1 for a NULL raster or one without bits, or
// the sink's code when bytes were lost.
engine_error tspl_write_bitmap(byte_sink* sink, const raster* r, int mode);
