// The compare slider: a before-and-after comparison of two images filling one box, the "before"
// image left of a vertical divider and the "after" image right of it. The user drags the round
// handle or presses the arrow keys to move the divider; each side carries a small pill label.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_compare_slider; null means all zero, and a zero field its default.
struct qel_compare_slider_opts {
    uint32_t reserved;
    qel_size width;            // kind 0: grow 1
    float height;              // not above 0: 280
    const char* before_label;  // null: "Before"
    const char* after_label;   // null: "After"
    float image_aspect;        // width / height of the images; not above 0: stretched to the box
};

// What the box is drawn from, copied into the frame arena.
struct qel_compare_slider_paint {
    uint64_t before, after;  // textures; 0 none
    float position, hover, image_aspect;
    const char* before_label;  // frame arena
    const char* after_label;
    qel_color handle, divider, pill_fill, pill_text;
    uint8_t focus_ring;
};

// --- Widget ---

// before and after (textures) split at *position, 0 (all after) to 1 (all before), which the user
// moves; a null position reads as 0 and is not written. Returns true when the position changed.
bool qel_compare_slider(qel_context* ctx, const char* label, uint64_t before, uint64_t after, float* position,
                        const qel_compare_slider_opts* options);

// --- Drawing ---

// The draw callback of the box; user is a qel_compare_slider_paint.
void qel_compare_slider_draw(qel_context* ctx, const qel_node* node, void* user);

// A label pill with its top-left at (x, y), or its top-right when right_aligned, in the paint's
// pill colours.
void qel_pill(qel_context* ctx, const char* text, float x, float y, bool right_aligned,
              const qel_compare_slider_paint* paint);
