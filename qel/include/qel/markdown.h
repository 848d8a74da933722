// The Markdown viewer: one call per frame draws a Markdown text as a column of blocks
// (paragraphs, headings, quotes, bullet, ordered and task lists, pipe tables, code blocks, rules)
// and reports the link clicked or hovered and the task box toggled. The text is parsed again
// every frame into the frame arena; only the links', boxes', tables' and code blocks' per-id
// state lasts.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Null means all zero.
struct qel_markdown_options {
    uint32_t reserved;
    qel_size width;  // fixed: the wrap width; any kind but fit: the root's width; fit: grow 1
    uint8_t fit;     // the widget as wide as its content
    int32_t length;  // below 1: the text is NUL-terminated
    float font_size;  // of body text; 0 or less: the theme's body size
    qel_color color;  // 0: theme colours; given when its alpha is not 0 or it is a token
    uint8_t streaming;  // the text still grows at its end
    uint8_t compact;    // tighter spacing, smaller headings
};

struct qel_markdown_result {
    const char* clicked;  // URL of the link activated this frame (frame arena), or null
    const char* hovered;  // URL of the link under the pointer, or null
    int32_t task_offset;  // source offset of the box character toggled this frame; -1 none
    int32_t task_line;    // 1-based line of that character
    uint8_t task_checked;  // the box's new state
};

// --- Widget ---

// Draws the text (null: empty) under the label's id (null: "markdown").
qel_markdown_result qel_markdown(qel_context* ctx, const char* label, const char* text,
                                 const qel_markdown_options* options);

// Writes a toggle the result reports into the caller's source: the box character becomes "x" or
// a space. False, with the source unchanged, when no toggle is reported, the offset lies at or
// beyond the source's end, or the bytes there are not "[", a box character and "]".
bool qel_markdown_toggle_task(char* source, const qel_markdown_result* result);
