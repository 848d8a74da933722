// The image viewer: a texture in a rounded viewport that the user zooms and pans with the wheel,
// by dragging, by double-click, with the keyboard and with a small floating toolbar. The zoom and
// the image point at the viewport's centre live in a view record the caller may own, so that it
// can save, restore or drive them.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// What the viewer shows.
struct qel_image_view {
    float zoom;  // screen pixels per image pixel; 0 or below: fit mode, the whole image fitted
    float centre_x, centre_y;  // the image point (image pixels) at the viewport's centre
};

// Options of qel_image_viewer; null means all zero.
struct qel_image_viewer_opts {
    uint32_t reserved;
    qel_size width;   // kind 0: grow 1
    qel_size height;  // kind 0: fixed 360
    float max_zoom;   // 0 or below (or not finite): 16
    bool hide_toolbar;
    bool checkerboard;  // a checkerboard behind the image
};

// --- Widget ---

// Shows texture of width x height pixels (below 1 counts as 1) under view (null: a record of its
// own); the wheel zooms about the pointer, a drag pans, double-click toggles fit and 100 %, and
// with the focus "=", "-", "0", "1" and the arrow keys zoom, fit and pan. Returns 1 when the view's
// zoom or centre differ from what they were on entry. The viewer becomes the last item.
int32_t qel_image_viewer(qel_context* ctx, const char* label, uint64_t texture, int32_t width, int32_t height,
                         qel_image_view* view, const qel_image_viewer_opts* options);
