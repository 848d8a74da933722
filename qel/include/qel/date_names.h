// The names of months and weekdays, the word for today and today's date from the local clock,
// for every widget that shows a calendar. Counting days is civil_date.h's.
#pragma once

#include "qel/civil_date.h"
#include "qel/types.h"

// --- Names ---
// Indices wrap: a month index is taken modulo 12 (0 = January), a weekday modulo 7 (0 = Monday);
// negative indices count back from the end.

const char* qel_month_name(qel_context* ctx, int32_t index);        // "January"
const char* qel_month_name_short(qel_context* ctx, int32_t index);  // "Jan"
const char* qel_weekday_name(qel_context* ctx, int32_t index);        // "Monday"
const char* qel_weekday_name_short(qel_context* ctx, int32_t index);  // "Mon"
const char* qel_weekday_name_narrow(qel_context* ctx, int32_t index);  // "Mo"
const char* qel_today_label(qel_context* ctx);                         // "Today"

// --- Today ---

// Today's date by the local clock.
qel_date qel_today();
