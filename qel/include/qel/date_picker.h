// Dates in the toolkit: the replaceable table of month and weekday names that every date display
// reads (English unless an application installs its own), today's date from the local clock, the
// month calendar, and the date field that opens it in a popup. Date arithmetic is civil_date.h's.
#pragma once

#include "qel/civil_date.h"
#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// The application's names, indexed as below; any null entry falls back to the English word.
// 0..11 months, 12..23 short months, 24..30 weekdays from Monday, 31..37 short weekdays, 38..44
// narrow weekdays, 45 the word for today.
enum { QEL_DATE_NAME_COUNT = 46 };

// Null options are the defaults.
struct qel_date_picker_options {
    const char* label;        // field label above
    const char* placeholder;  // null: "Pick a date"
    qel_size width;           // kind fit: not given
};

// --- Names ---

// Installs a table of QEL_DATE_NAME_COUNT entries, kept by pointer: it must outlive its
// installation. Null restores English.
void qel_date_names_set(qel_context* ctx, const char* const* table);
const char* const* qel_date_names_get(qel_context* ctx);
// Month index modulo 12 (0 January, -1 December); weekday index modulo 7 (0 Monday).
const char* qel_month_name(qel_context* ctx, int32_t index);
const char* qel_month_name_short(qel_context* ctx, int32_t index);
const char* qel_weekday_name(qel_context* ctx, int32_t index);
const char* qel_weekday_name_short(qel_context* ctx, int32_t index);
const char* qel_weekday_name_narrow(qel_context* ctx, int32_t index);
const char* qel_today_label(qel_context* ctx);

// --- Today ---

// The local date now, written to out and returned; out may be null.
qel_date qel_today(qel_date* out);

// --- Calendar and field ---
// A date with year 0 or less is no date. Both return true in the frame a day was picked, and
// then write it to *date; a null date picks nothing.

bool qel_date_picker_calendar(qel_context* ctx, const char* label, qel_date* date);
bool qel_date_picker(qel_context* ctx, const char* label, qel_date* date, const qel_date_picker_options* options);
