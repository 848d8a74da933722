// A text field's behaviour inside the widget that frames it: focus and the editing step (pointer,
// keys, clipboard, undo), keeping the caret in view, and the text area node that draws text,
// selection, caret and placeholder; the small buttons fields carry.
#pragma once

#include <cstdint>

#include "qel/button.h"
#include "qel/input.h"
#include "qel/text_input.h"

struct qel_text_draw;

// One field in one frame: what the editing step found and the drawing needs.
struct qel_text_field {
    qel_context* ctx;
    uint32_t id;
    qel_text_input_state* st;
    char* buffer;
    int32_t capacity, length;
    const qel_text_input_opts* opts;
    uint8_t multiline, masked, editable, disabled, focused;
    int32_t font;
    float size, row_height;
    qel_rect area;  // the text area as laid out last frame
    qel_interaction it;
    uint32_t result;  // qel_text_input_result bits
    // The text as shown (bullets when masked) and its lines; rebuilt after the text changes.
    uint8_t stale;
    const char* shown;
    int32_t shown_length;
    qel_text_line* lines;
    int32_t line_count;
    qel_text_draw* draw;  // the text area's record, once it is built
};

// The text area's id, derived from the field's.
constexpr uint32_t qel_text_area_id(uint32_t field_id)
{
    return field_id ^ 0xED17u;
}

// The field's frame up to its nodes: state, interaction (the field box is the caller's node with
// the field's id), font, the editing step while focused, animations and the wheel. opts must not
// be null. Returns the result bits so far.
uint32_t qel_text_field_begin(qel_text_field* f, qel_context* ctx, uint32_t id, char* buffer, int32_t capacity,
                              const qel_text_input_opts* opts, bool multiline);

// Opens the text area node, sized for the field, with the draw callback. Returns its index.
int32_t qel_text_field_area(qel_text_field* f);

// Empties the field as its clear button does: one undo step, the focus taken, CHANGED reported.
void qel_text_field_clear(qel_text_field* f);
