// Buttons that change what they say: the confirm button (a first click arms it and shows a warning
// face with a shrinking countdown line, a second within the time limit confirms) and the async
// button (idle, busy with a spinner, done, failed, as the caller's task goes). Both stand on one
// body that cross-fades between two faces: its width follows the face shown, the old face slides
// up and out, the new one in from below. The variant palettes are button.h's.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// One face of a cross-fading button; literal colours.
struct qel_face {
    const char* icon;  // icon glyphs, "spin" for the spinner, or null
    const char* text;  // its visible part is shown; null: none
    qel_color fill, hover, press, text_color, border;
};

// What the body keeps; the first record of each button's state.
struct qel_crossfade_state {
    float width[2];  // spring
    float scale[2];  // spring
    float hover, focus;
    uint8_t started;
};

// Options of qel_confirm_button; null means all defaults.
struct qel_confirm_opts {
    uint64_t reserved;
    const char* confirm_text;  // null: "Click to confirm"
    const char* icon;          // icon glyphs of the first face
    uint32_t variant;          // qel_button_variant; 0: secondary
    uint32_t size;             // 0 medium, 1 small, 2 large
    float time_limit;          // seconds armed; <= 0: 3
};

enum qel_async_phase : int32_t {
    QEL_ASYNC_IDLE = 0,
    QEL_ASYNC_BUSY = 1,
    QEL_ASYNC_DONE = 2,
    QEL_ASYNC_FAILED = 3,
};

// Options of qel_async_button; null means all defaults.
struct qel_async_opts {
    uint64_t reserved;
    const char* busy_text;    // null: the label's visible part and "…"
    const char* done_text;    // null: "Done"
    const char* failed_text;  // null: "Failed"
    const char* icon;         // icon glyphs of the idle face
    uint32_t variant;         // qel_button_variant; 0: primary, done filled in the success colour
    uint32_t size;            // 0 medium, 1 small, 2 large
};

// --- Buttons ---

// True on the click that confirms. Escape (focused or hovered), a press elsewhere or the time
// limit running out disarms it without a report.
bool qel_confirm_button(qel_context* ctx, const char* label, const qel_confirm_opts* options);

// Shows the face of phase (a qel_async_phase), sliding over from the last one when it changes. True
// when clicked while idle and enabled; a busy button is drawn a little faded.
bool qel_async_button(qel_context* ctx, const char* label, int32_t phase, const qel_async_opts* options);

// --- The shared body ---

// The width a face wants at size (1 small, 2 large, else medium).
float qel_label_width(qel_context* ctx, const qel_face* face, uint32_t size);

// Builds the button node under id showing a (faded out by t) and b (faded in by t), as wide as b
// when show_b_width, else a; countdown > 0 draws the line along its bottom edge at that fraction.
void qel_crossfade_body(qel_context* ctx, uint32_t id, qel_crossfade_state* state, bool hovered, bool held,
                        bool focus_visible, const qel_face* a, const qel_face* b, float t, bool show_b_width,
                        uint32_t size, float countdown);
