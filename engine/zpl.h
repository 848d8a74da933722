// The ZPL writer: each label element becomes a printer field, so that the printer draws text
// with its own scalable font and barcodes with its own symbology commands, each placed where
// row rendering places it. Counting labels and choosing the writer are job.h's.
#pragma once

#include <cstddef>
#include <cstdint>

#include "byte_buffer.h"
#include "csv.h"
#include "job.h"
#include "label_model.h"

// What the writer refuses before any row: a label whose raster cannot be made (the other
// languages cannot render it either). 0, or 2 with the reason in msg.
engine_error zpl_check(const label_model* model, const job_options* options, char* msg, size_t msg_size);

// Writes the job for rows first_row .. first_row + row_count - 1 (see job_write): one label
// format a printing row in UTF-8, with a print quantity when its count is not 1. Every field
// is placed from the element's layout (render.h) and refused as rendering refuses it. 1 for a
// NULL argument or a bad quantity; zpl_check's 2; the layouts' codes. A row count below 1
// writes nothing.
engine_error zpl_write_job(const label_model* model, const csv_table* table, int32_t first_row, int32_t row_count,
                           const job_options* options, byte_sink* sink);

// Writes a field's text for a field opened with ^FH\^FD: backslash, caret and tilde become
// their hexadecimal escapes (\5C, \5E, \7E); every other byte goes as it is.
void zpl_write_field_data(byte_sink* sink, const char* text);
