// Creating and destroying the context, the allocator hooks, the installed interfaces and the
// clock's getters. Each module's own state is set up and released by that module.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "core/core.h"

static_assert(std::is_trivially_copyable_v<qel_context>, "the context is created by zeroing it");

static void* system_malloc(size_t size, void*)
{
    return malloc(size);
}

static void* system_realloc(void* ptr, size_t size, void*)
{
    return realloc(ptr, size);
}

static void system_free(void* ptr, void*)
{
    free(ptr);
}

// A config's hooks are taken only as a complete set: half a set would pair one allocator's
// blocks with another's free, or call a null hook.
static qel_allocator choose_allocator(const qel_config* config)
{
    if (config && config->malloc_fn && config->realloc_fn && config->free_fn)
        return {config->malloc_fn, config->realloc_fn, config->free_fn, config->alloc_user};
    return {system_malloc, system_realloc, system_free, nullptr};
}

qel_context* qel_ctx_create(const qel_config* config)
{
    qel_allocator alloc = choose_allocator(config);
    qel_context* ctx = (qel_context*)alloc.malloc_fn(sizeof(qel_context), alloc.user);
    if (!ctx) return nullptr;
    memset(ctx, 0, sizeof *ctx);
    ctx->alloc = alloc;
    if (config) {
        ctx->renderer = config->renderer;
        ctx->clock.root_direction = config->root_direction;
    }
    ctx->clock.display_w = 800.0f;
    ctx->clock.display_h = 600.0f;
    ctx->clock.scale = 1.0f;
    ctx->clock.input_frames = 2;
    ctx->clock.wake_timeout = -1.0f;
    qel_state_init(ctx);
    qel_input_init(ctx);
    qel_theme_init(ctx, config ? config->theme_mode : 0, config ? config->accent : 0);
    qel_fonts_init(ctx, !(config && config->no_embedded_fonts));
    // Drawing is valid before the first frame: base clip and transform are in place.
    qel_draw_reset(ctx);
    return ctx;
}

void qel_ctx_destroy(qel_context* ctx)
{
    if (!ctx) return;
    qel_raise_event(ctx, QEL_EVENT_DESTROY);
    qel_frame_hooks_destroy(ctx);
    qel_fonts_shutdown(ctx);
    qel_state_release(ctx);
    qel_input_release(ctx);
    qel_layout_tree_release(ctx);
    qel_draw_release(ctx);
    qel_arena_release(ctx);
    // The hook lives inside the record it frees.
    qel_allocator alloc = ctx->alloc;
    alloc.free_fn(ctx, alloc.user);
}

void qel_ctx_set_renderer(qel_context* ctx, const qel_renderer* r)
{
    qel_raise_event(ctx, QEL_EVENT_RENDERER_CHANGED);
    qel_atlas_renderer_changed(ctx);
    qel_frame_hooks_renderer_changed(ctx);
    ctx->renderer = r ? *r : qel_renderer{};
}

void qel_ctx_set_platform(qel_context* ctx, const qel_platform* p)
{
    ctx->platform = p ? *p : qel_platform{};
}

// Limits under which size x scale stays far inside the framebuffer's integer sizes.
static const float QEL_MAX_DISPLAY_SIZE = 1e6f, QEL_MAX_SCALE = 64.0f;

static float clamp_display_size(float v)
{
    return v > 0.0f ? fminf(v, QEL_MAX_DISPLAY_SIZE) : 0.0f;  // NaN too gives 0
}

void qel_ctx_set_display(qel_context* ctx, float width, float height, float scale)
{
    width = clamp_display_size(width);
    height = clamp_display_size(height);
    scale = scale > 0.0f ? fminf(scale, QEL_MAX_SCALE) : 1.0f;
    qel_frame_clock* c = &ctx->clock;
    if (width != c->display_w || height != c->display_h || scale != c->scale) {
        if (c->input_frames < 2) c->input_frames = 2;
    }
    c->display_w = width;
    c->display_h = height;
    c->scale = scale;
}

void qel_ctx_set_event_hook(qel_context* ctx, qel_event_hook hook)
{
    ctx->event_hook = hook;
}

void qel_ctx_set_user(qel_context* ctx, void* user)
{
    ctx->user = user;
}

void* qel_ctx_user(qel_context* ctx)
{
    return ctx->user;
}

qel_vec2 qel_ctx_display_size(qel_context* ctx)
{
    return {ctx->clock.display_w, ctx->clock.display_h};
}

float qel_ctx_scale(qel_context* ctx)
{
    return ctx->clock.scale;
}

double qel_ctx_time(qel_context* ctx)
{
    return ctx->clock.time;
}

float qel_ctx_delta_time(qel_context* ctx)
{
    return ctx->clock.dt;
}

uint64_t qel_ctx_frame_count(qel_context* ctx)
{
    return ctx->clock.frame_count;
}

qel_cursor qel_requested_cursor(qel_context* ctx)
{
    return ctx->cursor;
}

float qel_wake_timeout(qel_context* ctx)
{
    return ctx->clock.wake_timeout;
}

void qel_request_redraw(qel_context* ctx)
{
    ctx->clock.redraw_requested = 1;
}

bool qel_needs_redraw(qel_context* ctx)
{
    return ctx->clock.redraw_requested || ctx->clock.input_frames > 0;
}

void* qel_mem_alloc(qel_context* ctx, size_t size)
{
    void* p = ctx->alloc.malloc_fn(size, ctx->alloc.user);
    if (!p && size) qel_out_of_memory();
    return p;
}

void* qel_mem_realloc(qel_context* ctx, void* ptr, size_t size)
{
    void* p = ctx->alloc.realloc_fn(ptr, size, ctx->alloc.user);
    if (!p && size) qel_out_of_memory();
    return p;
}

void qel_mem_free(qel_context* ctx, void* ptr)
{
    if (ptr) ctx->alloc.free_fn(ptr, ctx->alloc.user);
}

void qel_out_of_memory()
{
    fputs("qel: out of memory\n", stderr);
    abort();
}
