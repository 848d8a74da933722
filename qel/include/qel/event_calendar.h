// The event calendar: one month of the caller's events as week rows, multi-day and all-day
// events as bars across their days, timed events as chips, and a "+N more" chip where a day is
// full; below 520 pixels a compact grid of dots over an agenda of the chosen day. The caller
// owns the events, the shown month and the selected date; the widget keeps a cursor day.
#pragma once

#include "qel/civil_date.h"
#include "qel/types.h"

// --- Records ---

// One event of the caller's array, read only.
struct qel_calendar_event {
    const char* title;  // null reads as empty
    qel_date start;
    qel_date end;          // last day, inclusive; year 0 or before start: a one-day event
    float start_hour;      // 9.5 = 9:30; orders timed events and makes their time label
    uint8_t all_day;
    uint32_t color;        // qel_semantic kind; 0 reads as 1
};

struct qel_event_calendar_options {
    uint64_t reserved;
    qel_date* selected;     // in/out; null or year 0: nothing selected
    int32_t first_weekday;  // the grid's first column, 0 = Monday .. 6 = Sunday
    float cell_height;      // of a week row; <= 0: 104
    const char* const* month_names;    // 12 names, or null for the built-in ones
    const char* const* weekday_names;  // 7 names from Monday, or null
    uint8_t twelve_hour;               // 9a and 9:30p rather than 9:00 and 21:30
    qel_date today;                    // year 0: the local clock's
};

// The shown month; year 0 becomes today's month on the first call.
struct qel_calendar_view {
    int32_t year;
    int32_t month;
};

struct qel_event_calendar_result {
    int32_t clicked_event;  // index into the caller's array, -1 none
    uint8_t date_changed;
    uint8_t date_activated;  // double click or Enter on a day
    uint8_t month_changed;
};

enum qel_calendar_segment_kind : uint8_t {
    QEL_SEGMENT_BAR = 0,
    QEL_SEGMENT_CHIP = 1,
    QEL_SEGMENT_MORE = 2,
    QEL_SEGMENT_DROPPED = 255,
};

// A piece of the month's layout: an event's bar within one week, a timed chip, or a more chip.
struct qel_calendar_segment {
    int16_t row;
    int16_t first_col, last_col;  // 0..6, inclusive
    int16_t lane;
    uint8_t kind;  // qel_calendar_segment_kind
    uint8_t continues_before, continues_after;
    int32_t event;   // -1 for a more chip
    int32_t hidden;  // events a more chip stands for
    int32_t first_day;
};

// A timed event placed on its start day.
struct qel_calendar_chip {
    int32_t day;
    float start_hour;
    int32_t event;
};

enum { QEL_CALENDAR_SEGMENT_MAX = 512, QEL_CALENDAR_LANE_MAX = 64 };

// --- The widget ---

// One frame of the calendar under label ("month" for null). view null: the calendar keeps the
// month it shows itself. A negative count or null events read as none.
qel_event_calendar_result qel_event_calendar(qel_context* ctx, const char* label, qel_calendar_view* view,
                                             const qel_calendar_event* events, int32_t count,
                                             const qel_event_calendar_options* options);

// --- Pieces ---

// An hour as a time label in the frame arena: "9:30", or "9:30a" and "12p" on the twelve-hour
// clock. Negative and not-a-number hours read as midnight, 24 and above as 24.
const char* qel_event_time_label(qel_context* ctx, float hour, bool twelve_hour);

// The grid of a month: its first day number and its week rows (4 to 6).
void qel_event_calendar_grid(int32_t year, int32_t month, int32_t first_weekday, int32_t* grid_start,
                             int32_t* rows);

// The timed events starting within days [first, first + days), in the frame arena, ordered by
// day, then hour (not-a-number last), then index; *n gets their number.
qel_calendar_chip* qel_event_calendar_collect_timed(qel_context* ctx, int32_t first, int32_t days,
                                                    const qel_calendar_event* events, int32_t count, int32_t* n);

// Lays the bars and chips of rows weeks from grid_start into lanes (lanes visible per cell),
// writing at most QEL_CALENDAR_SEGMENT_MAX segments; returns their number.
int32_t qel_event_calendar_layout(qel_calendar_segment* out, int32_t grid_start, int32_t rows, int32_t lanes,
                                  const qel_calendar_event* events, int32_t count, const qel_calendar_chip* chips,
                                  int32_t chip_count);

// A segment's rectangle on a grid whose top-left is (x0, y0), columns cw wide, rows rh high.
qel_rect qel_event_segment_rect(const qel_calendar_segment* s, float x0, float y0, float cw, float rh);
