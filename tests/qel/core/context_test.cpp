#include "qel/context.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "qel/arena.h"
#include "qel/state.h"
#include "support/qel_fixture.h"

TEST(Context, NullConfigGivesDefaults)
{
    qel_context* ctx = qel_ctx_create(nullptr);
    ASSERT_NE(ctx, nullptr);
    qel_vec2 size = qel_ctx_display_size(ctx);
    EXPECT_EQ(size.x, 800);
    EXPECT_EQ(size.y, 600);
    EXPECT_EQ(qel_ctx_scale(ctx), 1);
    EXPECT_EQ(qel_ctx_time(ctx), 0);
    EXPECT_EQ(qel_ctx_frame_count(ctx), 0u);
    EXPECT_EQ(qel_requested_cursor(ctx), QEL_CURSOR_ARROW);
    EXPECT_LT(qel_wake_timeout(ctx), 0);
    EXPECT_TRUE(qel_needs_redraw(ctx));  // the first frames always run
    EXPECT_EQ(qel_theme_get_mode(ctx), (uint32_t)QEL_THEME_LIGHT);
    qel_ctx_destroy(ctx);
    qel_ctx_destroy(nullptr);
}

TEST(Context, AllocatorHooksAreTakenOnlyAsACompleteSet)
{
    alloc_counter counter;
    qel_config config = counting_config(&counter);
    config.theme_mode = QEL_THEME_DARK;
    config.accent = QEL_ACCENT_ROSE;
    config.root_direction = 2;

    // Without the malloc hook (or with any hook missing) the system allocator serves all three.
    qel_config partials[3] = {config, config, config};
    partials[0].malloc_fn = nullptr;
    partials[1].realloc_fn = nullptr;
    partials[2].free_fn = nullptr;
    for (const qel_config& partial : partials) {
        qel_context* ctx = qel_ctx_create(&partial);
        qel_state_get(ctx, 1, 100);
        qel_ctx_destroy(ctx);
        EXPECT_EQ(counter.calls, 0);
    }

    qel_context* ctx = qel_ctx_create(&config);
    EXPECT_GT(counter.live, 0);
    EXPECT_EQ(qel_theme_get_mode(ctx), (uint32_t)QEL_THEME_DARK);
    EXPECT_EQ(qel_theme_get_accent(ctx), (uint32_t)QEL_ACCENT_ROSE);
    EXPECT_EQ(ctx->clock.root_direction, 2u);
    qel_ctx_destroy(ctx);
    EXPECT_EQ(counter.live, 0);
}

static void* failing_malloc(size_t, void*)
{
    return nullptr;
}

TEST(Context, FailingAllocatorStopsOrRefuses)
{
    alloc_counter counter;
    qel_config config = counting_config(&counter);
    config.malloc_fn = failing_malloc;
    EXPECT_EQ(qel_ctx_create(&config), nullptr);  // the record itself: a refusal, no stop

    qel_context* ctx = qel_ctx_create(nullptr);
    qel_allocator system = ctx->alloc;
    ctx->alloc.malloc_fn = failing_malloc;
    EXPECT_DEATH(qel_mem_alloc(ctx, 16), "^qel: out of memory\n$");
    EXPECT_DEATH(qel_arena_alloc(ctx, 16), "^qel: out of memory\n$");
    qel_mem_free(ctx, nullptr);
    ctx->alloc = system;
    qel_ctx_destroy(ctx);
}

using ContextTest = QelTest;

TEST_F(ContextTest, DisplayChangesAskForTwoFrames)
{
    ctx->clock.input_frames = 0;
    qel_ctx_set_display(ctx, 800, 600, 1);
    EXPECT_FALSE(qel_needs_redraw(ctx));
    qel_ctx_set_display(ctx, 1024, 600, 1);
    EXPECT_EQ(ctx->clock.input_frames, 2);
    ctx->clock.input_frames = 0;
    qel_ctx_set_display(ctx, 1024, 600, 0);  // scale 0 is stored as 1: no change
    EXPECT_EQ(ctx->clock.input_frames, 0);
    EXPECT_EQ(qel_ctx_scale(ctx), 1);

    // Values that cannot become framebuffer pixels are made sane.
    const struct {
        float w, h, s;
        float want_w, want_h, want_s;
    } cases[] = {{NAN, -5, NAN, 0, 0, 1}, {INFINITY, 3e30f, INFINITY, 1e6f, 1e6f, 64}, {640, 480, -2, 640, 480, 1}};
    for (auto c : cases) {
        qel_ctx_set_display(ctx, c.w, c.h, c.s);
        EXPECT_EQ(qel_ctx_display_size(ctx).x, c.want_w);
        EXPECT_EQ(qel_ctx_display_size(ctx).y, c.want_h);
        EXPECT_EQ(qel_ctx_scale(ctx), c.want_s);
    }
    qel_request_redraw(ctx);
    ctx->clock.input_frames = 0;
    EXPECT_TRUE(qel_needs_redraw(ctx));
}

static std::vector<int32_t> g_events;
static void record_event(qel_context*, int32_t event)
{
    g_events.push_back(event);
}

static uint64_t fake_create(void*, int32_t, int32_t, int32_t, const void*)
{
    return 7;
}

static const char* fake_clipboard(void* user)
{
    return (const char*)user;
}

TEST_F(ContextTest, InterfacesAreCopiedAndCleared)
{
    g_events.clear();
    qel_ctx_set_event_hook(ctx, record_event);
    qel_renderer r = {&counter, fake_create, nullptr, nullptr};
    qel_ctx_set_renderer(ctx, &r);
    r.create = nullptr;  // a copy was taken
    EXPECT_EQ(ctx->renderer.create, fake_create);
    EXPECT_EQ(ctx->renderer.user, &counter);
    qel_ctx_set_renderer(ctx, nullptr);
    EXPECT_EQ(ctx->renderer.create, nullptr);
    EXPECT_EQ(g_events, (std::vector<int32_t>{QEL_EVENT_RENDERER_CHANGED, QEL_EVENT_RENDERER_CHANGED}));

    qel_platform p = {};
    p.user = (void*)"text";
    p.get_clipboard = fake_clipboard;
    qel_ctx_set_platform(ctx, &p);
    EXPECT_STREQ(ctx->platform.get_clipboard(ctx->platform.user), "text");
    qel_ctx_set_platform(ctx, nullptr);
    EXPECT_EQ(ctx->platform.get_clipboard, nullptr);
    qel_ctx_set_event_hook(ctx, nullptr);
}

static int g_destroyed_blobs;
static void count_destruction(qel_context*, void* blob)
{
    // The hook ran before any state was released.
    EXPECT_EQ(g_events.size(), 1u);
    EXPECT_EQ(*(int*)blob, 42);
    g_destroyed_blobs++;
}

TEST(Context, DestroyRaisesTheHookFirstThenRunsEachDestructorOnce)
{
    alloc_counter counter;
    qel_config config = counting_config(&counter);
    qel_context* ctx = qel_ctx_create(&config);
    g_events.clear();
    g_destroyed_blobs = 0;
    qel_ctx_set_event_hook(ctx, record_event);
    for (uint32_t id = 1; id <= 3; id++) {
        *(int*)qel_state_get(ctx, id, sizeof(int)) = 42;
        qel_state_set_destructor(ctx, id, count_destruction);
    }
    qel_state_set_destructor(ctx, 9, count_destruction);  // no blob: not called
    qel_arena_sprintf(ctx, "%d", 5);
    qel_ctx_destroy(ctx);
    EXPECT_EQ(g_events, std::vector<int32_t>{QEL_EVENT_DESTROY});
    EXPECT_EQ(g_destroyed_blobs, 3);
    EXPECT_EQ(counter.live, 0);
}

// --- Frame arena ---

using ArenaTest = QelTest;

static bool aligned16(const void* p)
{
    return ((uintptr_t)p & 15) == 0;
}

TEST_F(ArenaTest, AllocationsAreValidZeroedAndAlignedFromTheFirstFrame)
{
    // Before any frame begin has sized the main block.
    void* empty = qel_arena_alloc(ctx, 0);
    EXPECT_NE(empty, nullptr);
    EXPECT_EQ(ctx->arena.used, 0u);
    for (size_t size : {1, 17, 100, 5000}) {
        auto* p = (uint8_t*)qel_arena_alloc(ctx, size);
        EXPECT_TRUE(aligned16(p));
        for (size_t i = 0; i < size; i++) ASSERT_EQ(p[i], 0);
        memset(p, 0xAB, size);
    }
    next_frame();
    EXPECT_EQ(ctx->arena.capacity, 65536u);
    EXPECT_EQ(ctx->arena.overflow, nullptr);
    auto* p = (uint8_t*)qel_arena_alloc(ctx, 64);
    EXPECT_TRUE(aligned16(p));
    EXPECT_EQ(p[0], 0);  // reused memory comes back zeroed
}

// Hooks whose blocks start 8 bytes past the system allocator's 16-byte boundary.
static void* misaligned_malloc(size_t size, void*)
{
    auto* p = (uint8_t*)malloc(size + 8);
    return p ? p + 8 : nullptr;
}

static void* misaligned_realloc(void* ptr, size_t size, void*)
{
    auto* p = (uint8_t*)realloc(ptr ? (uint8_t*)ptr - 8 : nullptr, size + 8);
    return p ? p + 8 : nullptr;
}

static void misaligned_free(void* ptr, void*)
{
    free((uint8_t*)ptr - 8);
}

TEST(Arena, AlignmentDoesNotDependOnTheAllocator)
{
    qel_config config = {};
    config.malloc_fn = misaligned_malloc;
    config.realloc_fn = misaligned_realloc;
    config.free_fn = misaligned_free;
    qel_context* ctx = qel_ctx_create(&config);
    for (int frame = 0; frame < 2; frame++) {
        for (size_t size : {0, 1, 24, 100000}) EXPECT_TRUE(aligned16(qel_arena_alloc(ctx, size)));
        qel_arena_reset(ctx);
    }
    qel_ctx_destroy(ctx);
}

TEST_F(ArenaTest, OverflowingFrameKeepsWorkingAndSizesTheNextBlock)
{
    const struct {
        size_t demand;
        uint64_t capacity;
    } steps[] = {{1000, 65536}, {100000, 131072}, {300000, 524288}, {1000, 524288}};
    for (auto s : steps) {
        for (size_t done = 0; done < s.demand; done += 1000) {
            auto* p = (uint8_t*)qel_arena_alloc(ctx, 1000);
            memset(p, 1, 1000);
        }
        next_frame();
        EXPECT_EQ(ctx->arena.capacity, s.capacity) << s.demand;
    }
    // The same demand again fits the main block: no overflow block is made.
    for (int i = 0; i < 300; i++) qel_arena_alloc(ctx, 1000);
    EXPECT_EQ(ctx->arena.overflow, nullptr);
}

TEST_F(ArenaTest, StringsAreCopiedAndFormatted)
{
    EXPECT_STREQ(qel_arena_strdup(ctx, "abc", -1), "abc");
    EXPECT_STREQ(qel_arena_strdup(ctx, "abcdef", 2), "ab");
    EXPECT_EQ(qel_arena_strdup(ctx, nullptr, 5), nullptr);
    // Measured, then formatted from the same arguments.
    EXPECT_STREQ(qel_arena_sprintf(ctx, "%s %d %s %d %s %d %.1f %s", "a", 1, "b", 2, "c", 3, 4.5, "end"),
                 "a 1 b 2 c 3 4.5 end");
    EXPECT_STREQ(qel_arena_sprintf(ctx, "%s", ""), "");
    std::string big(70000, 'x');
    EXPECT_EQ(strlen(qel_arena_sprintf(ctx, "%s!", big.c_str())), 70001u);
}
