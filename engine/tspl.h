// The TSPL writer: each label goes as two 1-bit images in hexadecimal text, first the graphics
// (rules and barcodes) over a cleared image buffer, then the text combined into it. Counting
// labels and choosing the writer are job.h's.
#pragma once

#include <cstddef>
#include <cstdint>

#include "byte_buffer.h"
#include "csv.h"
#include "job.h"
#include "label_model.h"
#include "raster.h"

// What the writer refuses before any row: a label whose raster cannot be made. 0, or 2 with
// the reason in msg.
engine_error tspl_check(const label_model* model, const job_options* options, char* msg, size_t msg_size);

// Writes the job for rows first_row .. first_row + row_count - 1 (see job_write): per printing
// row the size, gap and reference commands, both images and a print command for its count.
// 1 for a NULL argument or a bad quantity; tspl_check's 2; a rendering pass's code; the sink's
// code when bytes were lost.
engine_error tspl_write_job(const label_model* model, const csv_table* table, int32_t first_row, int32_t row_count,
                            const job_options* options, byte_sink* sink);

// The job's size in bytes: every label's commands and images are as long as the label's size
// makes them, only the print count differs. 0 when a quantity is bad.
size_t tspl_job_size(const label_model* model, const csv_table* table, int32_t first_row, int32_t row_count,
                     const job_options* options);

// Writes one BITMAP command at 0,0 with the raster's bytes as upper-case hexadecimal, rows
// from the top, in `mode` (0 overwrite, 1 OR). 0, 1 for a NULL raster or one without bits, or
// the sink's code when bytes were lost.
engine_error tspl_write_bitmap(byte_sink* sink, const raster* r, int mode);
