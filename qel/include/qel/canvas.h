// Canvases: a box in the layout that the caller paints with the drawing primitives, clipped to
// the box, and that reports the pointer over it. What is drawn is the caller's; the box is laid
// out like any node.
#pragma once

#include <cstddef>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Paints the canvas during the draw pass; rect is its laid-out rectangle.
typedef void (*qel_canvas_fn)(qel_context* ctx, qel_rect rect, const void* user);

// What a canvas saw this frame, judged against its rectangle of the last frame.
struct qel_canvas_result {
    float x, y, width, height;  // last frame's rectangle; zeros on the first frame
    uint8_t hovered;
    uint8_t held;  // also while a press that began on it is dragged outside
    uint8_t clicked;
    float pointer_x, pointer_y;  // relative to the rectangle's top-left
};

// --- Canvases ---

// A box of the given sizes under the label's id ("canvas" for null) that draw paints, if given.
// With user and user_size both non-zero the user bytes are copied for the frame, so the caller's
// buffer may go away at once; otherwise the pointer is passed as it is. The canvas becomes the
// last item.
qel_canvas_result qel_canvas(qel_context* ctx, const char* label, qel_size width, qel_size height, qel_canvas_fn draw,
                             const void* user, size_t user_size);
