// The image cropper: a whole image fitted into a dark viewport with a crop rectangle on it. The
// user moves the rectangle, resizes it by its corners and edges, draws a new one by dragging
// outside it, or nudges it with the arrow keys; an aspect ratio or the round (circle) mode
// constrain it. The rectangle is in image pixels and belongs to the caller.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_image_cropper; null means all zero.
struct qel_image_cropper_opts {
    uint32_t reserved;
    qel_size width;   // kind 0: grow 1
    qel_size height;  // kind 0: fixed 360
    float aspect;     // width / height; 0 or below (or not finite): free
    bool circle;      // a round crop: aspect 1, no edge handles
    float min_size;   // image pixels; 0 or below (or not finite): 16; at most the smaller image side
};

// Where the pointer is on the crop, for hover and for drags.
enum qel_image_cropper_zone : uint32_t {
    QEL_CROP_NONE = 0,
    QEL_CROP_MOVE = 1,
    QEL_CROP_NEW = 2,
    QEL_CROP_TOP = 3,
    QEL_CROP_BOTTOM = 4,
    QEL_CROP_RIGHT = 5,
    QEL_CROP_LEFT = 6,
    QEL_CROP_TOP_RIGHT = 7,
    QEL_CROP_TOP_LEFT = 8,
    QEL_CROP_BOTTOM_RIGHT = 9,
    QEL_CROP_BOTTOM_LEFT = 10,
};

// --- Widget ---

// Crops texture of width x height pixels (below 1 counts as 1) to crop, four floats x, y, width,
// height in image pixels (null: a rectangle of its own). A rectangle without area, or with a
// field that is not finite, becomes the default: the middle 80 %, or the largest rectangle of the
// aspect at 86 %, centred. The rectangle is held within the image and at least the minimum size.
// Returns 1 when it differs from what it was on entry. The cropper becomes the last item.
int32_t qel_image_cropper(qel_context* ctx, const char* label, uint64_t texture, int32_t width, int32_t height,
                          float* crop, const qel_image_cropper_opts* options);
