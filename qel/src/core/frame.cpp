// The frame cycle: frame begin prepares time, memory, hover and focus and an empty tree under
// the root; frame finish lays out and draws the tree, clears the frame's input, collects stale
// state and fills the draw data. Modules above the layout take part through their frame hooks.
// Buffers that one large frame grew are trimmed every 600 frames.
#include <cmath>

#include "core/core.h"
#include "qel/frame.h"
#include "qel/id.h"
#include "qel/layout.h"
#include "qel/theme.h"

static const float MAX_FRAME_STEP = 0.25f;
static const uint64_t TRIM_EVERY = 600, COLLECT_EVERY = 60;
static const size_t TRIM_MIN_BYTES = 65536;

// Shrinks an array whose capacity is more than twice what recent frames needed (at least
// minimum elements) and which takes at least 64 KiB.
template <typename T, typename C>
static void trim_array(qel_context* ctx, T** array, C* capacity, int64_t mark, int64_t minimum)
{
    int64_t target = 2 * mark > minimum ? 2 * mark : minimum;
    if ((int64_t)*capacity <= 2 * target || (size_t)*capacity * sizeof(T) < TRIM_MIN_BYTES) return;
    *array = (T*)qel_mem_realloc(ctx, *array, (size_t)target * sizeof(T));
    *capacity = (C)target;
}

static void raise_marks_and_trim(qel_context* ctx)
{
    qel_frame_marks* m = &ctx->frame.marks;
    qel_draw_list* d = &ctx->draw;
    if ((int64_t)d->vertex_count > m->vertices) m->vertices = (int32_t)d->vertex_count;
    if ((int64_t)d->index_count > m->indices) m->indices = (int32_t)d->index_count;
    if ((int64_t)d->command_count > m->commands) m->commands = (int32_t)d->command_count;
    if (ctx->tree.count > m->nodes) m->nodes = ctx->tree.count;
    if (ctx->arena.used > m->arena_bytes) m->arena_bytes = ctx->arena.used;
    if (ctx->clock.frame_count - m->trim_frame < TRIM_EVERY) return;
    trim_array(ctx, &d->vertices, &d->vertex_capacity, m->vertices, 256);
    trim_array(ctx, &d->indices, &d->index_capacity, m->indices, 4096);
    trim_array(ctx, &d->commands, &d->command_capacity, m->commands, 512);
    trim_array(ctx, &ctx->tree.nodes, &ctx->tree.capacity, m->nodes, 48);
    qel_arena_trim(ctx, m->arena_bytes);
    *m = {};
    m->trim_frame = ctx->clock.frame_count;
}

static void fill_draw_data(qel_context* ctx)
{
    const qel_draw_list* d = &ctx->draw;
    const qel_frame_clock* c = &ctx->clock;
    qel_draw_data* out = &ctx->frame.draw_data;
    out->vertices = d->vertices;
    out->vertex_count = d->vertex_count;
    out->indices = d->indices;
    out->index_count = d->index_count;
    out->commands = d->commands;
    out->command_count = d->command_count;
    out->framebuffer_width = (int32_t)(c->display_w * c->scale + 0.5f);
    out->framebuffer_height = (int32_t)(c->display_h * c->scale + 0.5f);
    out->clear_color = qel_theme_color(ctx, QEL_COLOR_BACKGROUND);
    out->atlas_texture = ctx->fonts.atlas.texture;
}

static void finish_frame(qel_context* ctx)
{
    qel_frame_hooks_end(ctx);
    ctx->tree.parent_depth = {};  // whatever the widget code left open is closed
    qel_layout_run(ctx);
    qel_layout_draw(ctx);
    qel_text_fields_end_frame(ctx);
    qel_input_end_frame(ctx);
    if (ctx->platform.set_cursor) ctx->platform.set_cursor(ctx->platform.user, ctx->cursor);
    if (ctx->clock.frame_count % COLLECT_EVERY == 0) qel_state_collect(ctx);
    qel_atlas_upload(ctx);
    ctx->clock.frame_open = 0;
    fill_draw_data(ctx);
}

void qel_begin_frame(qel_context* ctx, float dt)
{
    qel_frame_clock* c = &ctx->clock;
    if (c->frame_open) finish_frame(ctx);
    dt = dt > 0.0f ? fminf(dt, MAX_FRAME_STEP) : 0.0f;
    c->wake_timeout = -1.0f;
    c->frame_open = 1;
    c->redraw_requested = 0;
    c->frame_count++;
    c->dt = dt;
    c->time += dt;
    ctx->cursor = QEL_CURSOR_ARROW;
    if (c->input_frames > 0) c->input_frames--;
    raise_marks_and_trim(ctx);
    qel_arena_reset(ctx);
    qel_interaction_begin_frame(ctx);
    qel_theme_update_fade(ctx);
    qel_atlas_compact(ctx);
    qel_raise_event(ctx, QEL_EVENT_FRAME);
    qel_draw_reset(ctx);
    ctx->ids.depth = {};
    *qel_id_stack_counter(&ctx->ids) = 0;
    qel_text_fields_begin_frame(ctx);
    qel_layout_tree_begin(ctx);
    qel_frame_hooks_begin(ctx);
}

void qel_end_frame(qel_context* ctx)
{
    if (ctx->clock.frame_open) finish_frame(ctx);
}

const qel_draw_data* qel_get_draw_data(qel_context* ctx)
{
    return &ctx->frame.draw_data;
}

void qel_request_redraw_in(qel_context* ctx, float seconds)
{
    if (!(seconds > 0.0f)) seconds = 0.0f;
    float* wake = &ctx->clock.wake_timeout;
    if (*wake < 0.0f || *wake > seconds) *wake = seconds;
}

void qel_request_redraw_in_safe(qel_context* ctx, float seconds)
{
    if (ctx) qel_request_redraw_in(ctx, seconds);
}
