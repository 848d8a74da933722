// A context for toolkit tests whose allocations go through counting hooks, so every test also
// proves that destroying the context returns everything it took; and what a context drew, as
// draw data for a renderer.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "core/core.h"

struct alloc_counter {
    int64_t live = 0;   // blocks taken and not yet returned
    int64_t calls = 0;  // hook calls of any kind
};

inline void* counting_malloc(size_t size, void* user)
{
    auto* c = (alloc_counter*)user;
    c->calls++;
    void* p = malloc(size ? size : 1);
    if (p) c->live++;
    return p;
}

inline void* counting_realloc(void* ptr, size_t size, void* user)
{
    auto* c = (alloc_counter*)user;
    c->calls++;
    void* p = realloc(ptr, size ? size : 1);
    if (p && !ptr) c->live++;
    return p;
}

inline void counting_free(void* ptr, void* user)
{
    auto* c = (alloc_counter*)user;
    c->calls++;
    c->live--;
    free(ptr);
}

inline qel_config counting_config(alloc_counter* counter)
{
    qel_config config = {};
    config.malloc_fn = counting_malloc;
    config.realloc_fn = counting_realloc;
    config.free_fn = counting_free;
    config.alloc_user = counter;
    return config;
}

// The largest difference between two colours in any one channel, alpha included.
inline int channel_distance(qel_color a, qel_color b)
{
    int worst = 0;
    for (int shift = 0; shift < 32; shift += 8)
        worst = std::max(worst, abs((int)(a >> shift & 0xFF) - (int)(b >> shift & 0xFF)));
    return worst;
}

// What the context recorded since its last reset, as the frame's end hands it to a renderer.
inline qel_draw_data recorded_frame(qel_context* ctx, qel_color clear, uint64_t atlas = 0)
{
    const qel_draw_list& d = ctx->draw;
    float s = ctx->clock.scale;
    return {d.vertices,
            d.vertex_count,
            d.indices,
            d.index_count,
            d.commands,
            d.command_count,
            (int32_t)(ctx->clock.display_w * s + 0.5f),
            (int32_t)(ctx->clock.display_h * s + 0.5f),
            clear,
            atlas};
}

class QelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qel_config config = counting_config(&counter);
        ctx = qel_ctx_create(&config);
        ASSERT_NE(ctx, nullptr);
    }

    void TearDown() override
    {
        qel_ctx_destroy(ctx);
        EXPECT_EQ(counter.live, 0) << "blocks leaked";
    }

    // What the frame cycle does to the modules under test between two frames.
    void next_frame()
    {
        ctx->clock.frame_count++;
        qel_arena_reset(ctx);
        qel_draw_reset(ctx);
        if (ctx->clock.frame_count % 60 == 0) qel_state_collect(ctx);
    }

    alloc_counter counter;
    qel_context* ctx = nullptr;
};
