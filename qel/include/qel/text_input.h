// Text fields: the one text input of the toolkit, single- or multi-line, with its options, and the
// hooks by which the frame cycle and other editors share the keyboard with text fields (the
// active field, the caret's blink, who keeps Tab). The editing model itself is text_edit.h's.
#pragma once

#include "qel/layout.h"
#include "qel/text_edit.h"
#include "qel/types.h"

// --- Records ---

// Options of a text field; null means all defaults, and 0 in a field its default.
struct qel_text_input_opts {
    uint64_t reserved;        // not read
    const char* label;        // above the field
    const char* placeholder;  // shown while the text is empty
    const char* icon;         // leading icon glyphs
    const char* help;         // the line below
    const char* error;        // the line below and a danger border, when not empty
    uint8_t password;         // masked, with a reveal button
    uint8_t disabled;         // 0: the enclosing disabled scope decides
    uint8_t clear_button;
    uint8_t autofocus;  // takes the focus the first time it is built
    uint8_t read_only;  // selects and copies, never edits
    uint32_t size;      // 1 small, anything else medium
    qel_size width;     // kind 0: grow
    float multiline_height;  // 0: 96; below 0: grow to fill, at least 80
    const char* prefix;      // muted text before the text
    const char* suffix;      // and after it
};

// What happened to a field this frame (bits).
enum qel_text_input_result : uint32_t {
    QEL_INPUT_CHANGED = 1,
    QEL_INPUT_SUBMITTED = 2,  // Enter; Ctrl+Enter in a multi-line field
    QEL_INPUT_FOCUS_GAINED = 4,
    QEL_INPUT_FOCUS_LOST = 8,  // Escape without a selection, or the focus went elsewhere
};

// --- Sharing the keyboard ---

// True while a text field owns the keyboard (this frame or the last), so that dialogs leave
// Enter to it.
bool qel_text_edit_active(qel_context* ctx);

// Focuses the field with this id and has it select its whole text the next time it is built.
void qel_text_activate(qel_context* ctx, uint32_t id);

// The next field built draws and measures in this font and size instead of its own; for widgets
// that embed a field.
void qel_text_font_override(qel_context* ctx, int32_t font, float size);

// For editors of their own: the focused editor's state as the frame's active text field (its caret
// blinks, and qel_text_edit_active holds), and the caret's blink restarted after a move.
void qel_text_set_active(qel_context* ctx, qel_text_input_state* state);
void qel_text_caret_moved(qel_context* ctx);

// While the item with this id has the focus, Tab in the next frame is left to it instead of
// moving the focus; an editor that takes Tab as indentation asks for it every frame.
void qel_keep_tab(qel_context* ctx, uint32_t id);

// --- Fields ---
// Each edits the caller's NUL-terminated buffer of capacity bytes in place and returns
// qel_text_input_result bits. A null buffer or a capacity below 1 builds nothing and returns 0.

// The one-line field under the label's id (the label names it; opts->label is what is shown).
uint32_t qel_input_text(qel_context* ctx, const char* label, char* buffer, int32_t capacity,
                        const qel_text_input_opts* opts);
// The same with line feeds: Enter breaks the line, Ctrl+Enter submits.
uint32_t qel_input_multiline(qel_context* ctx, const char* label, char* buffer, int32_t capacity,
                             const qel_text_input_opts* opts);

// A one-line field with a search glyph, a clear button and "Search" as its default placeholder.
uint32_t qel_search_box(qel_context* ctx, const char* label, char* buffer, int32_t capacity,
                        const qel_text_input_opts* opts);

// The field in full, under an explicit id. A frameless field draws no frame, label, hint line or
// focus ring: the widget that embeds it frames it. icon is the leading icon when opts gives none.
uint32_t qel_input_text_ex(qel_context* ctx, uint32_t id, char* buffer, int32_t capacity,
                           const qel_text_input_opts* opts, bool multiline, bool frameless, const char* icon);
