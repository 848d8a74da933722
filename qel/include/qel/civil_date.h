// Calendar dates and day numbers, the count every calendar-like widget steps, compares and
// ranges over. Pure arithmetic on the proleptic Gregorian calendar; reading today's date and
// naming months and weekdays are the core's.
#pragma once

#include <cstdint>

// A date by value: astronomical year (the year before 1 is 0), month 1 to 12, day 1 to 31.
struct qel_date {
    int32_t year;
    int32_t month;
    int32_t day;
};

// Day numbers count days from 1970-01-01 (day 0); earlier dates are negative, and consecutive
// dates have consecutive numbers. Weeks start on Monday: the weekday of day d is (d + 3) mod 7,
// taken non-negative, with 0 for Monday.

// The day number of a date. Month and day may lie outside their ranges and are counted on from
// the nearest valid date: day 0 is the last of the month before, 2024-02-30 is 2024-03-01, month
// 0 is December of the year before and month 14 February of the year after. Dates whose day
// number does not fit give the nearest number that does.
int32_t qel_days_from_civil(qel_date date);

// The date of a day number; every day number has one. Inverse of qel_days_from_civil for every
// valid date.
qel_date qel_civil_from_days(int32_t days);

// The weekday of a day number, 0 for Monday to 6 for Sunday.
int32_t qel_weekday(int32_t days);

// The days of a month (1 to 12) of a year: 28 to 31, February 29 in a Gregorian leap year.
int32_t qel_days_in_month(int32_t year, int32_t month);
