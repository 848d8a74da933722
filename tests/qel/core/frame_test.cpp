#include "qel/frame.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/core.h"
#include "support/qel_fixture.h"
#include "qel_headless.h"

TEST(Frame, TimeStepIsClamped)
{
    const struct {
        float dt, advance;
    } cases[] = {{-1, 0}, {2, 0.25f}, {0.016f, 0.016f}, {NAN, 0}};
    for (const auto& c : cases) {
        qel_headless h;
        h.step = c.dt;
        h.run();
        EXPECT_FLOAT_EQ((float)qel_ctx_time(h.ctx), c.advance) << c.dt;
        EXPECT_FLOAT_EQ(qel_ctx_delta_time(h.ctx), c.advance);
    }
}

TEST(Frame, BeginAndEndPairUp)
{
    qel_headless h;
    qel_end_frame(h.ctx);  // without a begin: nothing
    EXPECT_EQ(qel_ctx_frame_count(h.ctx), 0u);
    EXPECT_EQ(qel_get_draw_data(h.ctx)->framebuffer_width, 0);
    qel_begin_frame(h.ctx, 0.01f);
    qel_node_at(h.ctx, qel_node_sized(h.ctx, 1, {QEL_SIZE_FIXED, 30}, {QEL_SIZE_FIXED, 30}))->fill = 0xFF0000FF;
    qel_column_begin(h.ctx, nullptr);  // left open
    qel_begin_frame(h.ctx, 0.01f);     // finishes the first frame
    EXPECT_EQ(qel_ctx_frame_count(h.ctx), 2u);
    EXPECT_EQ(h.rect(1).w, 30);
    EXPECT_GT(qel_get_draw_data(h.ctx)->vertex_count, 0u);
    EXPECT_EQ(qel_node_parent(h.ctx), 0);  // the new frame starts at the root
    EXPECT_EQ(h.ctx->ids.depth.depth, 0);
    qel_end_frame(h.ctx);
    qel_end_frame(h.ctx);
    EXPECT_FALSE(h.ctx->clock.frame_open);
}

TEST(Frame, DrawDataDescribesTheFrame)
{
    qel_headless h(101.3f, 50.2f, 1.5f);
    h.ui = [](qel_context* ctx) {
        qel_node_at(ctx, qel_node_sized(ctx, 1, {QEL_SIZE_FIXED, 30}, {QEL_SIZE_FIXED, 30}))->fill = 0xFF0000FF;
    };
    h.run();
    const qel_draw_data& d = h.draw_data();
    EXPECT_EQ(d.framebuffer_width, 152);  // 151.95 rounded
    EXPECT_EQ(d.framebuffer_height, 75);  // 75.3
    EXPECT_EQ(d.clear_color, qel_theme_color(h.ctx, QEL_COLOR_BACKGROUND));
    EXPECT_EQ(d.vertices, h.ctx->draw.vertices);
    EXPECT_EQ(d.vertex_count, 4u);
    EXPECT_EQ(d.index_count, 6u);
    EXPECT_EQ(d.command_count, 1u);
}

static std::vector<int32_t> g_events;

TEST(Frame, HooksAndPlatformCallsOncePerFrame)
{
    qel_headless h;
    g_events.clear();
    qel_ctx_set_event_hook(h.ctx, [](qel_context* ctx, int32_t event) {
        g_events.push_back(event);
        EXPECT_TRUE(ctx->clock.frame_open);
    });
    std::vector<qel_cursor> cursors;
    qel_platform p = {};
    p.user = &cursors;
    p.set_cursor = [](void* user, qel_cursor c) { ((std::vector<qel_cursor>*)user)->push_back(c); };
    qel_ctx_set_platform(h.ctx, &p);
    int frame = 0;
    h.ui = [&](qel_context* ctx) {
        if (frame++ == 1) qel_set_cursor(ctx, QEL_CURSOR_HAND);
        EXPECT_EQ(qel_requested_cursor(ctx), frame == 2 ? QEL_CURSOR_HAND : QEL_CURSOR_ARROW);
    };
    h.run(3);
    EXPECT_EQ(g_events, (std::vector<int32_t>{QEL_EVENT_FRAME, QEL_EVENT_FRAME, QEL_EVENT_FRAME}));
    EXPECT_EQ(cursors, (std::vector<qel_cursor>{QEL_CURSOR_ARROW, QEL_CURSOR_HAND, QEL_CURSOR_ARROW}));
    qel_ctx_set_event_hook(h.ctx, nullptr);
}

TEST(Frame, InputKeepsTwoFramesRunning)
{
    qel_headless h;
    h.run(3);
    EXPECT_FALSE(qel_needs_redraw(h.ctx));
    h.move(5, 5);
    EXPECT_TRUE(qel_needs_redraw(h.ctx));
    h.run();
    EXPECT_TRUE(qel_needs_redraw(h.ctx));
    h.run();
    EXPECT_FALSE(qel_needs_redraw(h.ctx));
    h.move(5, 5);  // nothing moved: no frames
    EXPECT_FALSE(qel_needs_redraw(h.ctx));
    h.type(std::string(300, 'x').c_str());  // rejected whole: no frames either
    EXPECT_FALSE(qel_needs_redraw(h.ctx));
    h.ui = [](qel_context* ctx) { qel_request_redraw(ctx); };
    h.run();
    EXPECT_TRUE(qel_needs_redraw(h.ctx));
    h.ui = nullptr;
    h.run();
    EXPECT_FALSE(qel_needs_redraw(h.ctx));
}

TEST(Frame, WakeTimeoutIsTheEarliestRequest)
{
    const struct {
        std::vector<float> requests;
        float wake;
    } cases[] = {{{0.5f, 0.2f}, 0.2f}, {{0.2f, 0.5f}, 0.2f}, {{-3}, 0}, {{}, -1}};
    for (const auto& c : cases) {
        qel_headless h;
        h.ui = [&](qel_context* ctx) {
            for (float s : c.requests) qel_request_redraw_in(ctx, s);
        };
        h.run();
        EXPECT_FLOAT_EQ(qel_wake_timeout(h.ctx), c.wake);
        h.ui = nullptr;
        h.run();
        EXPECT_LT(qel_wake_timeout(h.ctx), 0);  // reset every frame
    }
    qel_request_redraw_in_safe(nullptr, 1);
}

TEST(Frame, StateOfIdsNotLaidOutIsCollected)
{
    qel_headless h;
    bool show = true;
    h.ui = [&](qel_context* ctx) {
        if (show) qel_node_sized(ctx, 42, {QEL_SIZE_FIXED, 10}, {QEL_SIZE_FIXED, 10});
    };
    h.run(10);
    EXPECT_TRUE(qel_id_seen(h.ctx, 42));
    show = false;
    h.run(29);
    EXPECT_TRUE(qel_id_seen(h.ctx, 42));  // its last rectangle, until collected
    h.run(60);
    EXPECT_FALSE(qel_id_seen(h.ctx, 42));
}

class FrameTrim : public QelTest {};

TEST_F(FrameTrim, OneLargeFrameIsTrimmedAfterSixHundredSmallOnes)
{
    bool large = true;
    auto frame = [&] {
        qel_begin_frame(ctx, 0.01f);
        int n = large ? 25000 : 10;  // 4 vertices and 6 indices a box
        for (int i = 0; i < n; i++) {
            int32_t b = qel_node_floating(ctx, 0, (float)(i % 100), (float)(i / 100 % 60), 5, 5);
            qel_node_at(ctx, b)->fill = 0xFF0000FF;
        }
        qel_arena_alloc(ctx, large ? 1u << 20 : 1000);
        qel_end_frame(ctx);
    };
    frame();
    large = false;
    frame();  // the arena's main block grows at the frame begin after the large frame
    uint32_t big_vertices = ctx->draw.vertex_capacity;
    int32_t big_nodes = ctx->tree.capacity;
    uint64_t big_arena = ctx->arena.capacity;
    EXPECT_GE(big_vertices, 100000u);
    EXPECT_GE(big_arena, 1u << 20);
    // The trim at frame 600 still counts the large frame among the last 600; the next does not.
    for (int i = 0; i < 1197; i++) frame();
    EXPECT_EQ(ctx->draw.vertex_capacity, big_vertices);
    EXPECT_EQ(ctx->arena.capacity, big_arena);
    frame();
    EXPECT_EQ(qel_ctx_frame_count(ctx), 1200u);
    EXPECT_EQ(ctx->draw.vertex_capacity, 256u);  // twice the small frames' 40 is below the least size
    EXPECT_EQ(ctx->draw.index_capacity, 4096u);
    EXPECT_EQ(ctx->tree.capacity, 48);
    EXPECT_LT(ctx->tree.capacity, big_nodes);
    EXPECT_EQ(ctx->arena.capacity, 65536u);
    EXPECT_EQ(ctx->draw.vertex_count, 40u);  // and the frame after the trim drew as before
}
