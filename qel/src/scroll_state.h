// The per-id record of a scroll container. The layout writes its content and view sizes; hover
// resolution reads them to route the wheel; the scroll container itself owns the rest.
#pragma once

#include <cstdint>

#include "qel/types.h"

struct qel_scroll_state {
    float scroll_x, scroll_y;  // animated offsets the layout uses
    float target_x, target_y;
    float content_w, content_h;
    float view_w, view_h;
    float bar_visibility;
    double last_activity;  // seconds; 0 none
    uint8_t dragging;
    float grab_offset;
    uint8_t thumb_hovered;
    qel_color fade_color;
};
