// The editing model behind every text field: a caller-owned UTF-8 buffer of fixed capacity edited
// in place, the caret and selection anchor, word rules, an undo history of whole-text snapshots
// and the line table of multi-line text. Input, scrolling and drawing belong to the widgets that
// drive it (text_input.h).
#pragma once

#include "qel/text.h"
#include "qel/types.h"

// --- Records ---

// What an edit was, for undo: runs of typing, or of deleting, within a second coalesce into one
// step; any other change is a step of its own.
enum qel_text_edit_kind : uint32_t {
    QEL_EDIT_TYPING = 1,
    QEL_EDIT_DELETING = 2,  // Backspace or Delete without a selection
    QEL_EDIT_OTHER = 3,     // paste, cut, replacing a selection, new line, clearing, undo
};

enum { QEL_TEXT_UNDO_DEPTH = 48 };

// A field's per-id state, created zeroed. Offsets are bytes into the buffer and always rest on a
// character start.
struct qel_text_input_state {
    int32_t caret;
    int32_t anchor;  // the selection lies between anchor and caret
    float scroll_x;  // single-line
    float scroll_y;  // multi-line
    float preferred_x;  // for moving up and down; -1: none
    uint8_t dragging;
    float hover, focus;  // the widget's animations
    char* undo_text[QEL_TEXT_UNDO_DEPTH];  // the text before each edit, context allocations
    int32_t undo_caret[QEL_TEXT_UNDO_DEPTH];
    int32_t undo_count;
    int32_t undo_position;  // the next snapshot to write; below the count while redo is possible
    double last_edit_time;  // context time, seconds
    uint32_t last_edit_kind;
    int32_t caret_after_edit;
    uint8_t focused_last_frame, initialised, password_shown;
};

// --- Buffer edits ---
// buffer holds capacity bytes including its terminator; length is its text length, updated. An
// insert stores what fits and never a part of a character; carriage returns and NUL bytes are
// never stored. Offsets are clamped to the text and moved back to a character start.

// Inserts at offset and returns the bytes stored. Single-line mode turns tabs and line feeds into
// spaces.
int32_t qel_text_insert_raw(char* buffer, int32_t* length, int32_t capacity, int32_t offset, const char* text,
                            int32_t text_length, bool multiline);
// The same in multi-line mode.
int32_t qel_text_insert(char* buffer, int32_t* length, int32_t capacity, int32_t offset, const char* text,
                        int32_t text_length);

// Removes [from, to); nothing when from >= to.
void qel_text_delete(char* buffer, int32_t* length, int32_t from, int32_t to);

// --- Characters and words ---
// Word characters are ASCII letters, digits, underscore and every byte from 0x80 up, so all
// non-ASCII text counts as word text.

// 1 for a word character, 0 otherwise.
int32_t qel_text_char_class(uint8_t byte);

// Past the non-word characters at offset, then past the word after them (at most length).
int32_t qel_text_next_word(const char* text, int32_t length, int32_t offset);
// Back over non-word characters before offset, then to the start of the word before them.
int32_t qel_text_prev_word(const char* text, int32_t offset);

// offset clamped to 0..length and moved back to the start of the character it falls in.
int32_t qel_text_char_start(const char* text, int32_t length, int32_t offset);

// --- State and undo ---

// Once per state: marks it initialised, clears the preferred x and registers the destructor that
// frees the snapshots when the id's state is collected.
void qel_text_state_init(qel_context* ctx, uint32_t id, qel_text_input_state* state);

// Call before changing the text: snapshots the text as it is and the caret (unless the edit
// continues a run of the same kind), drops any redo steps and, past 48 snapshots, the oldest.
// After the change the caller stores the caret in caret_after_edit. Returns the snapshot count.
int32_t qel_text_push_undo(qel_context* ctx, qel_text_input_state* state, const char* text, uint32_t kind);

// Undoes (or redoes) one step into buffer, cut to capacity at a whole character, and puts caret
// and anchor where the step left them. 1 when the buffer was replaced, 0 when there was nothing
// to undo or redo.
int32_t qel_text_undo(qel_context* ctx, qel_text_input_state* state, char* buffer, int32_t capacity, bool redo);

// --- Lines ---
// A line table splits text for multi-line editing: lines cover the text in order, a soft-wrapped
// line keeps the blanks at its break, and a text ending in a line feed gets an empty last line
// for the caret to stand on.

// Wraps text at wrap_width (taken as 1 when not positive) into a table in the frame arena;
// returns the line count, at least 1.
int32_t qel_text_build_lines(qel_context* ctx, int32_t font, float size, const char* text, int32_t length,
                             float wrap_width, qel_text_line** out);

// The line that holds offset: a caret at a soft break stands at the start of the next line.
// -1 for an empty table.
int32_t qel_text_line_index(const qel_text_line* lines, int32_t count, int32_t offset);
