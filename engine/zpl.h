// The ZPL writer: each label element becomes a printer field, so that the printer draws text
// with its own scalable font and barcodes with its own symbology commands. Counting labels and
// choosing the writer are job.h's.
#pragma once

#include <cstdint>

#include "byte_buffer.h"
#include "csv.h"
#include "job.h"
#include "label_model.h"

// Writes the job for rows first_row .. first_row + row_count - 1 (see job_write): one label
// format a printing row, with a print quantity when its count is not 1. 1 for a NULL argument
// or a bad quantity; 2 for a label under 1 dot or a barcode wider than its room; an encoder's
// code for a value it cannot encode. A row count below 1 writes nothing.
engine_error zpl_write_job(const label_model* model, const csv_table* table, int32_t first_row, int32_t row_count,
                           const job_options* options, byte_sink* sink);

// Writes a field's text for a field opened with ^FH\^FD: backslash, caret and tilde become
// their hexadecimal escapes (\5C, \5E, \7E); every other byte goes as it is.
void zpl_write_field_data(byte_sink* sink, const char* text);
