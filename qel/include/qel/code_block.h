// The read-only code block: highlighted lines in the monospace font inside the content viewers'
// box, with an optional header (icon, title or language, language badge, copy button), line
// numbers, a highlighted range of lines and a maximum height beyond which it scrolls.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Null means all zero.
struct qel_code_block_opts {
    const char* language;  // a name for qel_code_language, "json", or null
    const char* title;
    uint8_t show_line_numbers;
    int32_t highlight_first;  // 1-based; 0 none
    int32_t highlight_last;   // below 1: the first
    float max_height;         // pixels; 0 none
    float font_size;          // before the UI scale; 0 gives 13
    uint8_t hide_header;
};

// --- Widget ---

// Declares the block for this frame; null code is the empty text. The header shows when a
// title or a language is given and it is not hidden; only the header has the copy button.
// Afterwards the block is the last item.
void qel_code_block(qel_context* ctx, const char* label, const char* code, const qel_code_block_opts* options);

// --- Draw callback ---

// The body leaf's: user points to the block's frame payload.
void qel_code_block_draw(qel_context* ctx, const qel_node* node, void* user);
