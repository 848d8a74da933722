// What the image viewer and the image cropper share: the image drawn clipped to a viewport with
// matching corner rounding, and the checkerboard backdrop.
#pragma once

#include <cstdint>

#include "qel/types.h"

// The part of image (a screen rectangle) inside viewport, with texture coordinates of only that
// part; a corner of it takes radius where it fills that corner of the rounded viewport. Nothing
// for an empty image or intersection.
void qel_draw_image_in_viewport(qel_context* ctx, uint64_t texture, qel_rect image, qel_rect viewport, float radius,
                                qel_color tint);

// 10 px squares on alternate cells over r, in the light or dark pair of greys.
void qel_draw_checkerboard(qel_context* ctx, qel_rect r, bool dark);

// a within b; zero width or height when they do not meet.
qel_rect qel_rect_intersect(qel_rect a, qel_rect b);
