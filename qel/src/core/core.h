// The context record. The core, text and layout levels keep their records in it by value: it is
// the one place where the core sees the other two. A module above them keeps its record through
// the frame hooks (core/frame_hooks.h) and is named nowhere here.
#pragma once

#include <cstdint>

#include "core/draw_list.h"
#include "core/frame_arena.h"
#include "core/frame_cycle.h"
#include "core/frame_hooks.h"
#include "core/id_stack.h"
#include "core/input_state.h"
#include "core/state_table.h"
#include "core/theme_state.h"
#include "layout/layout_tree.h"
#include "qel/context.h"
#include "text/font_state.h"
#include "text/text_fields.h"

struct qel_allocator {
    qel_malloc_fn malloc_fn;
    qel_realloc_fn realloc_fn;
    qel_free_fn free_fn;
    void* user;
};

struct qel_frame_clock {
    float display_w, display_h;  // logical pixels
    float scale;                 // framebuffer pixels per logical pixel
    uint32_t root_direction;
    double time;  // seconds, the sum of clamped frame steps
    float dt;
    uint64_t frame_count;
    uint8_t frame_open;
    uint8_t redraw_requested;
    int32_t input_frames;  // frames still to run after input or a resize
    float wake_timeout;    // seconds; negative: none
};

struct qel_context {
    void* user;  // the embedder's
    qel_event_hook event_hook;
    qel_allocator alloc;
    qel_renderer renderer;
    qel_platform platform;
    qel_frame_clock clock;
    qel_frame_arena arena;
    qel_layout_tree tree;
    qel_id_stack ids;
    qel_state_table state;
    qel_interaction_state interaction;
    qel_cursor cursor;  // asked for in the current frame
    qel_input input;
    qel_theme_state theme;
    qel_font_state fonts;
    qel_draw_list draw;
    qel_frame_state frame;
    qel_dropped_files drops;
    qel_text_fields text_fields;
    qel_frame_hook_table hooks;
};

// Calls the embedder's event hook, when one is installed.
inline void qel_raise_event(qel_context* ctx, qel_hook_event event)
{
    if (ctx->event_hook) ctx->event_hook(ctx, event);
}
