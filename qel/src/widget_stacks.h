// The begin/end stacks of the foundation widgets in the context. Their records live in the frame
// arena, so frame begin empties the stacks with it.
#pragma once

#include <cstdint>

struct qel_split_record;

struct qel_widget_stacks {
    qel_split_record* split;     // the innermost open split pane
    int32_t button_group_depth;  // open button groups: plain buttons inside them turn ghost
    uint8_t hide_range_label;    // the next range slider builds no label row
    const void* key_capture;     // a widget that takes every key this frame; later shortcut handling stands back
};
