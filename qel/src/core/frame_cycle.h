// The frame cycle's record: the high-water marks by which buffers that one large frame grew are
// trimmed back, and the draw data of the last finished frame.
#pragma once

#include <cstdint>

#include "qel/draw.h"

struct qel_frame_marks {
    int32_t vertices, indices, commands, nodes;
    uint64_t arena_bytes;
    uint64_t trim_frame;  // frame number of the last trim
};

struct qel_frame_state {
    qel_frame_marks marks;
    qel_draw_data draw_data;
};
