// The diff viewer: the difference of two texts in a frame, unified or side by side, with line
// numbers, markers, tinted rows, word highlights, syntax colours, folded unchanged runs that open
// on a click, and hunk navigation by keys, clicks and a two-way binding.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Null means all zero.
struct qel_diff_view_options {
    uint32_t reserved;
    uint32_t unified;        // always unified; else side by side when wide enough
    const char* language;    // syntax colours by a language name; null or "" plain
    const char* old_title;   // the header shows when either title is given
    const char* new_title;
    int32_t* current_hunk;   // two-way binding, -1 none; null keeps it inside
    int32_t context_lines;   // unchanged lines around each hunk; below 1: 3
    uint8_t expand_all;      // never fold
    uint8_t ignore_line_endings;
    float split_min_width;   // below it unified; 0 or less: 560
    qel_size width;          // fit: grow 1
    float height;            // above 0 fixed, below 0 grow, 0 automatic
    float font_size;         // before the UI scale; 0 or less: 12
};

enum qel_diff_row_kind : uint8_t {
    QEL_DIFF_ROW_CONTEXT = 0,
    QEL_DIFF_ROW_REMOVED = 1,
    QEL_DIFF_ROW_ADDED = 2,
    QEL_DIFF_ROW_CHANGED = 3,  // side by side: an old and a new line on one row
    QEL_DIFF_ROW_FOLD = 4,
};

// One display row; line indexes from 0, -1 where the row has none.
struct qel_diff_row {
    int32_t old_line;
    int32_t new_line;
    int32_t hunk;    // -1 for unchanged rows and folds
    int32_t gap;     // a fold's gap: gap g lies before hunk g, the last after the last hunk
    int32_t folded;  // a fold's hidden lines
    uint8_t kind;    // qel_diff_row_kind
};

struct qel_diff_view_result {
    int32_t lines_added;
    int32_t lines_removed;
    int32_t hunk_count;
    int32_t current_hunk;
    uint8_t hunk_changed;  // since the start of the call
    uint32_t unified;      // the rows are shown unified
    int32_t folds;
    int32_t folded_lines;
    uint8_t limit_reached;
};

// --- Widget ---

// Declares the viewer for this frame over two NUL-terminated texts (null is empty). The diff is
// computed again only when a text or the line-ending option changes. Keys, while the list has
// the focus: N and P (or Alt+Down and Alt+Up) next and previous hunk, arrows, pages, Home and
// End scroll, E opens every fold and Shift+E closes them, Escape clears the current hunk.
qel_diff_view_result qel_diff_view(qel_context* ctx, const char* label, const char* old_text, const char* new_text,
                                   const qel_diff_view_options* options);

// The viewer's rows from first, at most max, as five values each: kind, old line, new line,
// hunk, folded. Returns the row count, 0 when the viewer has none yet; copies nothing unless out
// is given, max is at least 1 and first is a row.
int32_t qel_diff_view_rows(qel_context* ctx, const char* label, int32_t* out, int32_t first, int32_t max);
