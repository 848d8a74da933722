// Numbers as text: read and written with a decimal point whatever the C locale says, for the
// fields that edit numbers, and shown through a caller's printf format only when that format is
// safe to print one double with.
#pragma once

#include <cstddef>
#include <cstdint>

#include "qel/types.h"

// "%.*f" of value with decimals (0 to 17) into out of size bytes (at least 2); a number too long
// for it in its shortest exact form, or cut.
void qel_number_format(char* out, size_t size, double value, int32_t decimals);

// The number the text starts with, after blanks and a plus sign, as strtod reads it; false when
// none is there or it is not finite.
bool qel_number_read(const char* text, double* out);

// True when format consumes exactly one double (widths and precisions of at most two digits), so
// that printing one value through it is sound.
bool qel_format_takes_one_double(const char* format);

// The value through format when it takes one double, else through "%.0f"; in the frame arena.
const char* qel_format_number(qel_context* ctx, const char* format, double value);

// text with "," put into its first run of more than three digits, between each group of three
// from the run's end; text itself when there is none, else a copy in the frame arena.
char* qel_group_thousands(qel_context* ctx, char* text);
