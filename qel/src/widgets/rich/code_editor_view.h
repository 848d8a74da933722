// What the code editor's frame hands its drawing: the visible lines copied into the frame arena
// with the comment state at the first, and where caret, selection, matches and brackets lie.
#pragma once

#include <cstdint>

#include "qel/code.h"
#include "qel/types.h"

struct qel_code_editor_view {
    qel_code_lang lang;
    uint8_t json;
    const char* text;       // the visible lines, from the first one's start
    const int32_t* starts;  // visible line count + 1 entries, relative to text; the last past the end
    int32_t base;           // the text offset of text[0]
    int32_t first_line, lines, line_count;
    uint8_t comment_state;  // at the first visible line's start
    int32_t caret, anchor, caret_line;
    int32_t bracket, matching_bracket;
    const char* find;  // null while no matches are shown
    int32_t find_length;
    const char* placeholder;
    uint8_t focused, empty, numbers, accent;
    int32_t tab_width;
    float size, line_height, char_width, gutter;
    double scroll_y;
    float scroll_x;
    uint32_t region_id;
    float view_h, view_w;        // the scrolled views
    float content_h, content_w;  // for the scroll bars
    float bar_fade;
    int32_t bar_drag;
    double caret_time;
};

// Text rows start this far below the text area's top, and text this far right of the gutter;
// the scroll bars' zones are this wide along the right and bottom edges.
constexpr float QEL_CODE_EDITOR_TOP = 6, QEL_CODE_EDITOR_TEXT_GAP = 8, QEL_CODE_EDITOR_BAR_ZONE = 12;

// A scroll bar's track and thumb along one axis, from the track's start.
struct qel_code_editor_bar {
    float track_start, track, thumb_start, thumb;
};

// The bar of a view of view pixels over content pixels scrolled by scroll, on a side of the text
// area from start, side long; shortened by a corner when the other bar shows too.
qel_code_editor_bar qel_code_editor_bar_of(float start, float side, bool corner, float view, float content,
                                           float scroll);
