// The log viewer: a qel_log (log.h) as a scrolling list of one-line monospace rows (optional
// time of day, level name, message) under a toolbar that filters by level and text, follows new
// lines, copies lines to the clipboard and clears the log. Rows are selected with the pointer and
// the keyboard. Only visible rows are built, and the lines passing the filters are found
// incrementally as they arrive.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/log.h"
#include "qel/types.h"

// Options of qel_log_view; null means all defaults.
struct qel_log_view_opts {
    qel_size width;  // kind fit: grow 1
    float height;    // < 0 grow 1, 0 a fixed 320, else fixed
    uint8_t show_timestamps;
    uint8_t hide_toolbar;
    float font_size;  // <= 0: 12; times the UI scale
};

// Draws the viewer for this frame; a null log shows as an empty one. The widget's id becomes the
// last item.
void qel_log_view_ex(qel_context* ctx, const char* label, qel_log* log, const qel_log_view_opts* options);

// The same, its box kept left to right when it would inherit the direction, so log text keeps
// its order inside a right-to-left interface.
void qel_log_view(qel_context* ctx, const char* label, qel_log* log, const qel_log_view_opts* options);
