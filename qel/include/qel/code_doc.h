// The text model under the code editor: a view, rebuilt each frame, of a caller-owned text
// buffer together with the editor's edit state. It keeps the line starts and the longest line,
// answers the editor's questions of lines, words and columns, finds text case-insensitively with
// wrap-around, tells the block-comment state of partly scanned lines, and makes every edit
// through one insert that refuses what would overflow the buffer and records undo steps.
#pragma once

#include <cstdint>

#include "qel/code.h"
#include "qel/text_edit.h"
#include "qel/types.h"

// --- Records ---

enum { QEL_CODE_FIND_MAX = 127 };

// How Enter indents: 0 keeps the line's indentation, 1 adds a unit after an opening bracket
// (C-like languages), 2 after a colon (Python).
enum qel_code_indent_style : uint8_t {
    QEL_CODE_INDENT_NONE = 0,
    QEL_CODE_INDENT_BRACKETS = 1,
    QEL_CODE_INDENT_COLON = 2,
};

enum { QEL_CODE_MAX_TAB_WIDTH = 16 };

// Nothing in it outlives the frame but what it points to.
struct qel_code_doc {
    qel_context* ctx;
    qel_text_input_state* edit;  // caret, anchor, undo; the editor's per-id state
    int32_t* remembered_column;  // the editor's column for Up and Down; -1 none
    const char* find_text;       // at most 127 bytes, terminated
    char* text;                  // the caller's buffer, terminated at length
    int64_t capacity;            // bytes, the terminator included
    int32_t length;
    int32_t* line_starts;  // frame arena; line_count + 1 entries, the last length + 1
    int32_t line_count;
    int32_t longest_line;  // bytes
    int32_t tab_width;     // columns, 1 to QEL_CODE_MAX_TAB_WIDTH
    uint8_t use_tabs, read_only;
    uint8_t changed;            // the text changed this frame
    uint8_t refused;            // an edit did not fit the buffer
    uint8_t scroll_to_caret;    // the caret must be scrolled into view
    uint8_t center_caret;       // and its line centred
};

// --- Lines ---

// Counts the lines, fills the line-start table from the frame arena and measures the longest.
void qel_code_doc_index_lines(qel_code_doc* doc);

// The line holding offset: the last whose start is at or before it.
int32_t qel_code_doc_line_of(const qel_code_doc* doc, int32_t offset);

// The line's first byte that is neither a space nor a tab, or the line's end.
int32_t qel_code_doc_line_indent(const char* text, const int32_t* line_starts, int32_t line);

// The block-comment state (0 or 1) at to when a scan of a language with block comments starts
// at from in state: for the part of a line the tokenizer did not reach.
uint8_t qel_code_doc_comment_state(const qel_code_lang* lang, const char* text, int32_t from, int32_t to,
                                   uint8_t state);

// --- Words and columns ---

// The word or blank run around position, or the one character there; on a line feed or at the
// end, the one before; empty at a line's start.
void qel_code_doc_word_bounds(const qel_code_doc* doc, int32_t position, int32_t* start, int32_t* end);

// The byte offset in the line (clamped to the document) nearest to the visual column.
int32_t qel_code_doc_column_to_offset(const qel_code_doc* doc, int32_t line, float column);

// The visual column of offset in its line, tabs expanded.
int32_t qel_code_doc_column_of(const qel_code_doc* doc, int32_t offset);

// --- Finding ---

// 1 when needle occurs at position under ASCII case folding; 0 for an empty needle, a negative
// position or a needle running past length.
int32_t qel_code_doc_match_at(const char* text, int32_t length, int32_t position, const char* needle,
                              int32_t needle_length);

// Searches for the find text from from, forward for direction 1 and backward otherwise, wrapping
// around; a match is selected (anchor at its start, caret at its end) and centred.
void qel_code_doc_find(qel_code_doc* doc, int32_t from, int32_t direction);

// --- Edits ---

// Replaces [start, end) (ordered and clamped) with count bytes, carriage returns dropped, as an
// undo step of kind. 1 when the text changed. An edit that does not fit sets refused and changes
// nothing; a read-only document is never edited.
int32_t qel_code_doc_insert(qel_code_doc* doc, int32_t start, int32_t end, const char* bytes, int32_t count,
                            uint32_t kind);

// Enter: a line feed and the line's indentation, one unit more after an opener of the style,
// and between an opener and its closer the closer on a line of its own.
void qel_code_doc_newline(qel_code_doc* doc, uint8_t indent_style);

// Tab and Shift+Tab over the selected lines, the selection kept on the same text.
void qel_code_doc_indent_lines(qel_code_doc* doc, bool outdent);

// Typed bytes replacing the selection; with the brackets style a "}" typed into a line's
// indentation takes one unit off it.
void qel_code_doc_type(qel_code_doc* doc, const char* bytes, int32_t count, uint8_t indent_style);
