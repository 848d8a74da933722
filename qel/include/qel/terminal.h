// The terminal widget: a qel_terminal_buffer (terminal_buffer.h) shown as a monospace character
// grid with soft-wrapped lines, ANSI colours and attributes, selection with copy, a scroll bar
// and an input line with a prompt and a command history. It runs nothing: it returns the command
// line the user submitted and whether Ctrl+C was pressed, and the caller writes the output back.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/terminal_buffer.h"
#include "qel/types.h"

// Options of qel_terminal; null means all defaults.
struct qel_terminal_opts {
    qel_size width;       // kind fit: grow 1
    float height;         // < 0 grow 1, 0 a fixed 320, else fixed
    float font_size;      // <= 0: 13; times the UI scale
    const char* prompt;   // null: "$ "
    uint8_t hide_input;   // a read-only view without the input line
};

// What the user did this frame.
struct qel_terminal_result {
    const char* submitted;  // the command line, valid until the next frame begins; null: none
    uint8_t interrupted;    // Ctrl+C without a selection
};

// Draws the terminal for this frame under the label's id ("terminal" for a null label). A null or
// unusable buffer shows an empty view; the input still works but nothing is echoed. The input
// line (the view when it is hidden) becomes the last item.
qel_terminal_result qel_terminal(qel_context* ctx, const char* label, qel_terminal_buffer* buffer,
                                 const qel_terminal_opts* options);
