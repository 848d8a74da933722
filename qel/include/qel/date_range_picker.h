// The date-range picker: a form field showing a chosen range of dates that opens a popup of
// preset ranges and one or two month grids, in which the user clicks a start day and an end day.
// The month grid is its building block. Dates are counted with civil_date.h; weeks start on
// Monday.
#pragma once

#include <cstdint>

#include "qel/civil_date.h"
#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// A range the caller owns, read and written in place. A date whose year is 0 is not set; a range
// is complete when both ends are set; while only a start is picked, end is all zero.
struct qel_date_range {
    qel_date start;
    qel_date end;
};

// Options of qel_date_range_picker; null means all defaults.
struct qel_date_range_options {
    uint64_t reserved;        // not read
    const char* label;        // label line above the field; null: none
    const char* placeholder;  // shown while no start is set; null: "Pick a date range"
    qel_size width;           // field width; not read when a label is shown
    uint8_t no_presets;       // a popup without the preset list
};

// What the picker keeps between frames for its month grids.
struct qel_range_calendar_state {
    int32_t view_year, view_month;  // the first month shown, 1..12
    uint8_t initialised;
    uint8_t selecting;     // a start was clicked; the end is awaited
    int32_t hovered_day;   // day number under the pointer last frame; 0 none
};

// --- The picker ---

// The field under the label's id (options->label is what is shown above it). Returns 1 in a
// frame in which the range changed (a preset or a day was clicked). A click on a day before the
// start swaps the two; the popup closes once a range is complete.
int32_t qel_date_range_picker(qel_context* ctx, const char* label, qel_date_range* range,
                              const qel_date_range_options* options);

// --- The month grid ---

// One month (year and month; a month outside 1..12 is carried into the year) as the picker's
// popup shows it, with previous and next buttons when asked (they step the state's view month).
// Sets *changed to 1 when a day was clicked and writes the day number under the pointer to
// *hovered_day (left alone when none). today is today's day number.
void qel_month_calendar(qel_context* ctx, uint32_t calendar_id, qel_range_calendar_state* state, int32_t year,
                        int32_t month, qel_date_range* range, uint8_t* changed, uint8_t show_previous,
                        uint8_t show_next, int32_t today, int32_t* hovered_day);
