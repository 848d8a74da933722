// The context's record of text fields: the field being edited this frame and whether one was in
// the last, the caret blink's clock, a field asked to select its whole text and a font for the
// next field; and the calls the frame cycle makes on it. The fields themselves are the editing
// level's; widgets of any level read this record.
#pragma once

#include <cstdint>

#include "qel/text_edit.h"

// The caret shows for this long, then hides for as long.
constexpr double QEL_CARET_BLINK_SECONDS = 0.53;

struct qel_text_fields {
    qel_text_input_state* active;  // the focused field of this frame; null: none
    uint8_t active_last_frame;
    double caret_time;    // the last caret activity: the blink starts over from it
    uint32_t select_all;  // the field asked to select its whole text when next built focused
    uint8_t override_set;  // a font for the next field only
    int32_t override_font;
    float override_size;
};

// Frame begin forgets the active field; frame end remembers whether one was active and schedules
// the caret's next blink.
void qel_text_fields_begin_frame(qel_context* ctx);
void qel_text_fields_end_frame(qel_context* ctx);
