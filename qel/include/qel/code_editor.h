// The source-code editor over a text buffer the caller owns: highlighting, a line-number gutter,
// a caret with selection by character, word and line, keyboard editing with smart indentation,
// undo and redo, the clipboard, a find bar with match counting, a go-to-line bar, current-line
// and bracket highlights, and its own scroll bars. The text model and its edits are
// code_doc.h's. The application calls it once per frame with the same label and buffer.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/text_edit.h"
#include "qel/types.h"

// --- Records ---

// Null means all zero.
struct qel_code_editor_opts {
    const char* language;  // for qel_code_language; "json" selects JSON mode
    qel_size width;        // kind 0: grow with weight 1
    float height;          // 0: 320; below 0: grow with weight 1
    float font_size;       // before the UI scale; 0 or less: 13
    int32_t tab_width;     // below 1: 4; above 16: 16
    uint8_t use_tabs;      // indent with tab bytes
    uint8_t read_only;     // every edit refused; motion, selection, copy and find still work
    uint8_t hide_line_numbers;
    uint8_t autofocus;  // the text area takes the focus on first use
    const char* placeholder;
};

// The editor's per-id state, under the label's id XOR 0xed17c0de.
struct qel_code_editor_state {
    qel_text_input_state edit;  // caret, anchor, undo
    double scroll_y;
    float scroll_x;
    int32_t remembered_column;  // -1 none
    int32_t mouse_mode;         // 1 characters, 2 words, 3 lines
    int32_t first_start, first_end;  // the word or line a word or line selection began on
    int32_t bar_drag;                // 0 none, 1 vertical, 2 horizontal
    float grab;                      // within the thumb
    float bar_fade;
    double last_scroll;
    int32_t bar_mode;  // 0 none, 1 find, 2 go to line
    char find_text[128];
    char goto_text[24];
    uint8_t released;  // Escape gave up the text-input slot
    uint8_t focus_field, pending_select, pending_goto, pending_find, initialised;
    int32_t request_anchor, request_caret;
    int32_t request_line, request_column;
    float focus;
};

struct qel_code_editor_result {
    uint8_t changed;  // the text changed this frame
    uint8_t refused;  // an edit did not fit the buffer
    uint8_t focused;  // the text area, the find field or the go-to field has the focus
    int32_t caret, anchor;
    int32_t line, column;  // of the caret, from 1; the column with tabs expanded
    int32_t line_count, length;
    int32_t bracket, matching_bracket;  // offsets; -1 none
    int32_t match_count;    // of the find text; 0 with the bar closed or the text empty
    int32_t current_match;  // 1-based number of the selected match; 0 when it is none
};

// --- Widget ---

// Edits buffer (capacity bytes with its terminator; without a NUL inside it the last byte
// becomes one). A null buffer or capacity 0 edits an empty text.
qel_code_editor_result qel_code_editor(qel_context* ctx, const char* label, char* buffer, int32_t capacity,
                                       const qel_code_editor_opts* options);

// --- Requests, taken at the start of the editor's next call ---

// Moves the caret to the 1-based line (clamped) and visual column, centred in the view.
void qel_code_editor_goto(qel_context* ctx, const char* label, int32_t line, int32_t column);
// Selects from anchor to caret (clamped into the text), centred in the view.
void qel_code_editor_set_selection(qel_context* ctx, const char* label, int32_t anchor, int32_t caret);
// Opens the find bar on text (cut at 127 bytes) and finds forward; null closes the bar.
void qel_code_editor_find(qel_context* ctx, const char* label, const char* text);

// --- Draw callback ---

// The text area's: user points to the editor's frame payload.
void qel_code_editor_draw(qel_context* ctx, const qel_node* node, void* user);
