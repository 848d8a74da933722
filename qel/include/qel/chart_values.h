// Turning chart numbers into axis bounds, tick counts and short texts: the arithmetic every chart
// and plot shares. Texts come from the frame arena and live until the next frame begins; drawing
// them is the charts' own.
#pragma once

#include <cstdint>

#include "qel/types.h"

// The most ticks one axis shows, whatever its range and step.
#define QEL_CHART_MAX_TICKS 256

// --- Axes ---

// Rounds [min, max] outward to a step of 1, 2, 2.5 or 5 times a power of ten that gives about
// ticks intervals (0..87 over 5 gives 0..100 by 20). A range with max not above min runs from min
// to min + 1; a range whose intervals would be narrower than two millionths of its magnitude is
// widened to that, so large values still get a step that advances. A value that is not finite
// counts as missing (the other end stands in for it; 0 for both), values lie within +-1e37, and
// ticks within 1 to QEL_CHART_MAX_TICKS.
void qel_chart_nice_range(float min, float max, int ticks, float* lower, float* upper, float* step);

// The ticks of an axis from lower by step, lower + i x step for i = 0, 1... while the tick stays
// within upper plus half a step; at most QEL_CHART_MAX_TICKS, and none for a step that is not
// positive or a value that is not finite. Axes count their ticks with this, never by adding
// steps, which stalls once a step falls below the values' precision.
int32_t qel_chart_tick_count(float lower, float upper, float step);

// --- Texts ---

// A value as short text. With no format: 1.5k, 10k, 2.5M, 3.0B, whole numbers as they are, 0.50
// below ten, 12.5 otherwise. A caller's printf format is used when it holds exactly one floating
// conversion (%f, %e, %g or %a, with flags and a width and precision of up to two digits), else
// the value is written without it. With "$", "€" or "£" in the format the first run of more than
// three digits gets thousands separators ("$1,234.50"); zero loses a unit letter that follows a
// 0 ("%.0fk" prints "0"). A value that is not finite is missing and reads "—".
const char* qel_chart_format_value(qel_context* ctx, const char* format, float value);

// part of total as a percentage: "2.5%" below 10 unless whole, "33%" from 10 on. "0%" when the
// total is not positive or either number, or their ratio, is not finite.
const char* qel_chart_percent_text(qel_context* ctx, float part, float total);
