// How many labels each row prints, and the job's total under the limits of one row and one job.
// The messages are the user's; the writers ask per row without them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "csv.h"
#include "job.h"

enum { QUANTITY_MAX_PER_ROW = 500, QUANTITY_MAX_PER_JOB = 5000 };

// Labels for data row `row` (0-based): a positive count, 0 to skip the row, or -1. The count is
// the row's cell in the options' quantity column, or the copy count when there is no such
// column. -1 for a NULL table or a row outside it (no message), for a quantity that is not a
// whole number from 0 to 500, and for more than 500 copies. NULL options give 1.
int32_t quantity_for_row(const csv_table* table, int32_t row, const job_options* options, char* msg,
                         size_t msg_size);

// The labels of rows first_row .. first_row + count - 1 (rows past the table's end are not
// visited), or -1: a NULL table or a negative first_row or count (no message), a quantity
// column the table does not have, any row's refusal, or more than 5000 labels in all. `skipped`
// counts the rows of quantity 0 and `printed_once` those with a blank quantity cell; either may
// be NULL.
int32_t quantity_job_total(const csv_table* table, int32_t first_row, int32_t count, const job_options* options,
                           char* msg, size_t msg_size, int32_t* skipped, int32_t* printed_once);
