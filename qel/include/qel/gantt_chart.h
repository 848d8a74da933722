// The Gantt chart: the caller's tasks on a day grid, a task column on the left and, scrolling
// beside it, a month and day header over one row per task with its bar, progress, milestone
// diamonds, arrows from predecessors, shaded weekends and a marker day. Bars are dragged or moved
// with the arrow keys in whole days; the widget edits the caller's tasks in place.
#pragma once

#include "qel/civil_date.h"
#include "qel/types.h"

// --- Records ---

// One task of the caller's array, read and written in place.
struct qel_gantt_task {
    const char* title;
    const char* assignee;  // null: no avatar
    int32_t start;         // first day, counted from the chart's start date
    int32_t end;           // the day after the last one
    float progress;        // 0..1 of the bar filled from the left
    uint32_t color;        // qel_semantic kind; 0 reads as 8, the accent
    int32_t depends_on;    // index of the predecessor; anything else but a valid other index: none
    uint8_t milestone;     // a diamond at its start
};

struct qel_gantt_options {
    uint32_t reserved;
    float day_width;   // <= 0: 30
    float row_height;  // <= 0: 40
    uint64_t reserved2;
    int32_t marker_day;  // a day marked as today; below 1: none
    uint8_t read_only;   // no dragging and no keyboard editing
};

// --- The widget ---

// One frame of the chart under label over days day columns from *start; returns the index of
// the task clicked or activated by key this frame, else -1. The chart always runs left to right.
int32_t qel_gantt(qel_context* ctx, const char* label, qel_gantt_task* tasks, int32_t count, const qel_date* start,
                  int32_t days, const qel_gantt_options* options);

// The same, leaving the writing direction to the enclosing containers.
int32_t qel_gantt_ex(qel_context* ctx, const char* label, qel_gantt_task* tasks, int32_t count,
                     const qel_date* start, int32_t days, const qel_gantt_options* options);
