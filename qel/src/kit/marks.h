// Marks repeated along a line (dashes, ticks, grid lines), counted before they are drawn: a float
// stepped along a very long line stops moving once the step falls below its precision, and marks
// outside the clip would only fill the draw list.
#pragma once

#include <cstdint>

#include "qel/types.h"

// A run of marks at first + k * pitch for k below count.
struct qel_mark_run {
    double first;
    int32_t count;
};

enum { QEL_MARKS_MAX = 1 << 16 };

// The marks at start + k * pitch (k >= 0, logical units) that lie before end and within the
// current clip's horizontal extent (vertical with vertical), keeping the pattern's phase; at most
// QEL_MARKS_MAX. None for a pitch that is not a positive number.
qel_mark_run qel_marks_in_view(qel_context* ctx, double start, double end, double pitch, bool vertical);
