// The week schedule: seven day columns under a header of weekday names and dates, an hour grid
// on the left, and the caller's timed events as blocks that are dragged to another day and time,
// lengthened by their bottom edge or moved with the arrow keys, always in quarter hours. Today's
// column is marked with a line at the current time. The widget edits the caller's events in place.
#pragma once

#include "qel/civil_date.h"
#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// One event of the caller's array, read and written in place.
struct qel_schedule_event {
    const char* title;
    const char* subtitle;  // a second line on tall blocks; null: none
    int32_t day;           // column 0..6 from the week's start date; other days are not shown
    float start;           // hours, 9.25 = 9:15
    float end;
    uint32_t color;        // qel_semantic kind; 0 reads as 8, the accent
};

struct qel_schedule_options {
    uint32_t reserved;
    float first_hour;     // the grid's top; when last_hour is not above it both become 7 and 21
    float last_hour;      // the grid's bottom
    float hour_height;    // pixels per hour; <= 0: 52
    qel_size body_height;  // of the scrolling hour area; kind 0: fixed 460
    uint8_t read_only;     // no dragging, resizing or keyboard editing
};

// --- The widget ---

// One frame of the week from *start (column 0); returns the index of the event clicked or
// activated by key this frame, else -1. The week always runs left to right.
int32_t qel_schedule(qel_context* ctx, const char* label, const qel_date* start, qel_schedule_event* events,
                     int32_t count, const qel_schedule_options* options);

// The same, leaving the writing direction to the enclosing containers.
int32_t qel_schedule_ex(qel_context* ctx, const char* label, const qel_date* start, qel_schedule_event* events,
                        int32_t count, const qel_schedule_options* options);
