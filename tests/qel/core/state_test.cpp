#include "qel/state.h"

#include <gtest/gtest.h>

#include <cstring>

#include "qel/anim.h"
#include "support/qel_fixture.h"

class StateTest : public QelTest {
protected:
    // The entry's data size, or UINT64_MAX when the id has no entry; touches nothing.
    uint64_t find_size(uint32_t id)
    {
        const qel_state_table& t = ctx->state;
        for (int32_t i = t.buckets[id & (uint32_t)(t.bucket_count - 1)]; i >= 0; i = t.entries[i].next)
            if (t.entries[i].id == id) return t.entries[i].blob_size;
        return UINT64_MAX;
    }
};

TEST_F(StateTest, BlobsGrowKeepingTheirBytesAndNeverShrink)
{
    EXPECT_EQ(qel_state_get(ctx, 5, 0), nullptr);  // no size, no data
    auto* p = (uint8_t*)qel_state_get(ctx, 5, 4);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(memcmp(p, "\0\0\0\0", 4), 0);
    memcpy(p, "abcd", 4);
    p = (uint8_t*)qel_state_get(ctx, 5, 64);
    EXPECT_EQ(memcmp(p, "abcd", 4), 0);
    for (int i = 4; i < 64; i++) ASSERT_EQ(p[i], 0) << i;
    EXPECT_EQ(qel_state_get(ctx, 5, 8), p);
    EXPECT_EQ(qel_state_get(ctx, 5, 0), p);
    EXPECT_EQ(find_size(5), 64u);

    // Without create, only a blob at least as big as asked is handed out.
    EXPECT_EQ(qel_state_find(ctx, 5, 65, false), nullptr);
    EXPECT_EQ(find_size(5), 64u);
    EXPECT_EQ(qel_state_find(ctx, 5, 64, false), p);
    EXPECT_EQ(qel_state_find(ctx, 6, 1, false), nullptr);
    EXPECT_EQ(ctx->state.count, 1);  // nothing was created
    EXPECT_NE(qel_state_find(ctx, 6, 1, true), nullptr);
}

TEST_F(StateTest, RectanglesAreReadWithoutTouching)
{
    EXPECT_FALSE(qel_id_seen(ctx, 9));
    qel_rect r = qel_id_rect(ctx, 9);
    EXPECT_EQ(r.x + r.y + r.w + r.h, 0);
    EXPECT_EQ(ctx->state.count, 0);

    qel_state_entry* e = qel_state_find_or_add(ctx, 9);
    e->x = 1;
    e->y = 2;
    e->w = 3;
    e->h = 4;
    r = qel_id_rect(ctx, 9);
    EXPECT_EQ(r.w, 0);  // not valid yet
    e->rect_valid = 1;
    qel_id_rect_of(&r, ctx, 9);
    EXPECT_EQ(r.x, 1);
    EXPECT_EQ(r.h, 4);
    EXPECT_TRUE(qel_id_seen(ctx, 9));
    EXPECT_EQ(e->touched, 0u);
    for (int i = 0; i < 10; i++) next_frame();
    qel_id_rect(ctx, 9);
    EXPECT_EQ(e->touched, 0u);
}

static int g_destructions;
static void count_state_destruction(qel_context*, void*)
{
    g_destructions++;
}

// Entries last touched at frame 1 are collected at the first multiple of 60 at which they are
// at least their age limit old.
TEST_F(StateTest, UnseenEntriesAreCollectedAfterTheirAgeLimit)
{
    g_destructions = 0;
    next_frame();  // frame 1
    qel_state_find_or_add(ctx, 1);                          // bare: 30 frames
    qel_state_get(ctx, 2, 8);                               // data: 300 frames
    qel_state_set_destructor(ctx, 3, count_state_destruction);    // a destructor alone: 300 frames
    qel_state_get(ctx, 4, 8);
    qel_state_set_destructor(ctx, 4, count_state_destruction);
    const struct {
        uint32_t id;
        uint64_t gone_at;
    } expected[] = {{1, 60}, {2, 360}, {3, 360}, {4, 360}};
    for (uint64_t frame = 2; frame <= 400; frame++) {
        next_frame();
        qel_state_get(ctx, 100, 4);  // used every frame: never collected
        for (auto e : expected) {
            bool alive = find_size(e.id) != UINT64_MAX;
            ASSERT_EQ(alive, frame < e.gone_at) << "id " << e.id << " frame " << frame;
        }
    }
    EXPECT_EQ(g_destructions, 1);  // only the entry with both a destructor and data
    EXPECT_NE(qel_state_find(ctx, 100, 4, false), nullptr);
    // A collected id starts again from zeroed data, in a slot the collection freed.
    int32_t count = ctx->state.count;
    EXPECT_EQ(*(uint64_t*)qel_state_get(ctx, 2, 8), 0u);
    EXPECT_EQ(ctx->state.count, count);
}

TEST_F(StateTest, TheSafeDestructorSetterIgnoresANullContext)
{
    g_destructions = 0;
    qel_state_set_destructor_safe(nullptr, 5, count_state_destruction);
    qel_state_get(ctx, 5, 8);
    qel_state_set_destructor_safe(ctx, 5, count_state_destruction);
    qel_ctx_destroy(ctx);
    ctx = nullptr;
    EXPECT_EQ(g_destructions, 1);
}

// Destructors may use the table themselves; collection must not trip over that.
static void reenter(qel_context* ctx, void*)
{
    for (uint32_t id = 1000; id < 1200; id++) qel_state_get(ctx, id, 16);
    g_destructions++;
}

TEST_F(StateTest, DestructorsMayAddEntriesWhileTheTableIsCollected)
{
    g_destructions = 0;
    for (uint32_t id = 1; id <= 40; id++) {
        qel_state_get(ctx, id, 8);
        qel_state_set_destructor(ctx, id, reenter);
    }
    for (int i = 0; i < 360; i++) next_frame();
    EXPECT_EQ(g_destructions, 40);
    EXPECT_NE(qel_state_find(ctx, 1100, 16, false), nullptr);
}

TEST_F(StateTest, BucketsDoubleAndLargeEmptyTablesAreCompacted)
{
    for (uint32_t id = 1; id <= 1024; id++) qel_state_find_or_add(ctx, id * 7919);
    EXPECT_EQ(ctx->state.bucket_count, 1024);
    qel_state_find_or_add(ctx, 1025 * 7919);
    EXPECT_EQ(ctx->state.bucket_count, 2048);
    for (uint32_t id = 1; id <= 1025; id++) ASSERT_NE(find_size(id * 7919), UINT64_MAX) << id;

    for (uint32_t id = 1026; id <= 5000; id++) qel_state_find_or_add(ctx, id * 7919);
    for (int frame = 0; frame < 60; frame++) {
        next_frame();
        for (uint32_t id = 1; id <= 100; id++) qel_state_get(ctx, id * 7919, 4);
    }
    EXPECT_EQ(ctx->state.count, 100);
    EXPECT_EQ(ctx->state.capacity, 256);
    EXPECT_EQ(ctx->state.bucket_count, 1024);
    EXPECT_EQ(ctx->state.free_head, -1);
    for (uint32_t id = 1; id <= 100; id++) ASSERT_NE(qel_state_find(ctx, id * 7919, 4, false), nullptr) << id;
}

// Id 0 names no item: whatever asks for its data, nothing is kept, found again or leaked.
TEST_F(StateTest, IdZeroKeepsNothing)
{
    for (int i = 0; i < 1000; i++) {
        auto* p = (uint8_t*)qel_state_get(ctx, 0, 64);
        ASSERT_NE(p, nullptr);
        for (int b = 0; b < 64; b++) ASSERT_EQ(p[b], 0) << "call " << i;
        memset(p, 0xAB, 64);
        qel_state_set_destructor(ctx, 0, count_state_destruction);
        qel_anim_flash(ctx, 0, true, 0.2f);
    }
    EXPECT_EQ(qel_state_get(ctx, 0, 0), nullptr);
    EXPECT_EQ(qel_state_find(ctx, 0, 1, false), nullptr);
    EXPECT_EQ(ctx->state.count, 0);
    g_destructions = 0;
    for (int i = 0; i < 400; i++) next_frame();
    EXPECT_EQ(g_destructions, 0);
}
