// Input and interaction records in the context: the raw input of the frame, the interaction ids
// with the hit rectangles and focus orders of this frame and the last, disabled scopes and
// dropped files; and the calls the frame cycle makes on them.
#pragma once

#include <cstdint>

#include "qel/input.h"
#include "qel/layout.h"
#include "core/stack_depth.h"

struct qel_input {
    float mouse_x, mouse_y;  // -1e6 each while the pointer is outside
    float prev_mouse_x, prev_mouse_y;  // where the last frame saw it
    uint8_t mouse_inside;
    uint8_t down[3];
    uint8_t pressed[3];  // went down since the last frame
    uint8_t released[3];
    uint8_t release_cancelled;  // button 0 was let go by focus loss: no click
    int32_t click_count;  // of button 0
    double last_press_time;
    float last_press_x, last_press_y;
    float wheel_x, wheel_y;  // steps since the last frame
    uint8_t key_down[QEL_KEY_COUNT];
    uint8_t key_presses[QEL_KEY_COUNT];  // auto-repeats count, saturating
    uint32_t modifiers;
    char text[256];  // typed since the last frame
    int32_t text_length;
    uint8_t window_focused;
    uint8_t changed;
};

struct qel_hit_list {
    qel_hit_rect* rects;
    int32_t count, capacity;
};

// Focusable items in registration order, with the overlay layer each was built in.
struct qel_focus_order {
    uint32_t* ids;
    uint32_t* layers;
    int32_t count, capacity;
};

enum { QEL_DISABLED_STACK_CAPACITY = 32, QEL_DROP_MAX_PATHS = 64 };

struct qel_interaction_state {
    uint32_t hovered;
    uint32_t last_hovered;  // of the last frame
    uint32_t hover_layer;
    uint32_t scroll_target;
    uint32_t active;  // pressed with button 0 and still held
    uint32_t focused;
    uint8_t focus_visible;  // reached by keyboard: rings are drawn
    uint32_t focus_request;
    qel_hit_list hits, last_hits;
    qel_focus_order focus, last_focus;
    // Written by the popup layer: the topmost popup's layer of this frame (with its z) and the last.
    uint32_t top_layer;
    int32_t top_layer_z;
    uint32_t last_top_layer;
    uint32_t tab_keeper;  // a field that keeps Tab for itself this frame
    uint32_t last_item;
    int32_t disabled_count;
    uint8_t disabled[QEL_DISABLED_STACK_CAPACITY];
    qel_stack_depth disabled_depth;
};

struct qel_dropped_files {
    char* buffer;  // the paths, NUL-terminated one after another
    uint32_t used, capacity;
    uint32_t offsets[QEL_DROP_MAX_PATHS];
    int32_t count;
    float x, y;
    uint8_t consumed;
    uint8_t taken;  // a drop zone took the drop: other zones leave it, its paths stay readable
    uint8_t drag_hovering;
    float drag_x, drag_y;
};

// Context creation: the window starts focused, the pointer outside.
void qel_input_init(qel_context* ctx);
void qel_input_release(qel_context* ctx);

// Frame begin: this frame's hit rectangles and focus order become the last frame's, then hover,
// the wheel's target, the active item's release, the Tab cycle and click-away focus loss are
// resolved from them.
void qel_interaction_begin_frame(qel_context* ctx);

// Frame end: clears what lasts one frame (presses, releases, wheel, key presses, text, drops).
void qel_input_end_frame(qel_context* ctx);
