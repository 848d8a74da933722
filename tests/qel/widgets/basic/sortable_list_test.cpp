// The sortable list driven over scripted frames: drags that start only past a small movement and
// once every item is known, a drop that moves the key in the caller's array and reports it once,
// the items that make room while dragging, a drop in place that slides back, and lists of more
// than 256 keys.
#include <gtest/gtest.h>

#include <vector>

#include "qel/qel.h"
#include "support/widget_rig.h"

struct sortable_rig {
    widget_rig rig;
    std::vector<uint32_t> keys;
    int changes = 0;
    bool built_first_frame = false;

    explicit sortable_rig(int32_t n = 4, bool reduced_motion = true) : rig(400, 400, QEL_THEME_LIGHT, reduced_motion)
    {
        for (int32_t i = 0; i < n; i++) keys.push_back(100 + (uint32_t)i);
        rig.h.ui = [this](qel_context* ctx) {
            qel_sortable_begin(ctx, "steps", keys.data(), (int32_t)keys.size());
            for (int32_t i = 0; i < (int32_t)keys.size(); i++) {
                qel_sortable_item(ctx, i);
                qel_textf(ctx, "Step %u", keys[(size_t)i]);
                qel_sortable_item_end(ctx);
            }
            changes += qel_sortable_end(ctx);
        };
    }
    uint32_t item(uint32_t key)
    {
        return qel_hash_bytes(&key, sizeof key, qel_id(rig.h.ctx, "steps") ^ PART_SORTABLE_ITEM);
    }
    // Presses on the item of key and moves the pointer by dy in steps of a frame each.
    void drag(uint32_t key, float dy, int steps = 4)
    {
        qel_vec2 c = rig.centre(item(key));
        rig.h.move(c.x, c.y);
        rig.h.run();
        rig.h.button(0, true);
        rig.h.run();
        for (int i = 1; i <= steps; i++) {
            rig.h.move(c.x, c.y + dy * (float)i / (float)steps);
            rig.h.run();
        }
    }
    void release()
    {
        rig.h.button(0, false);
        rig.h.run();
    }
    float offset_of(uint32_t key) { return node_with_id(rig.h.ctx, item(key))->translate_y; }
};

TEST(SortableList, DraggingTheFirstItemBelowTheLastMovesItsKeyToTheEnd)
{
    sortable_rig s;
    s.rig.h.run(2);
    float pitch = s.rig.h.rect(s.item(101)).y - s.rig.h.rect(s.item(100)).y;
    s.drag(100, pitch * 3 + 10);
    EXPECT_EQ(s.keys, (std::vector<uint32_t>{100, 101, 102, 103})) << "nothing moves before the drop";
    EXPECT_TRUE(node_with_id(s.rig.h.ctx, s.item(100))->flags & QEL_NODE_ON_TOP);
    EXPECT_FLOAT_EQ(s.offset_of(100), pitch * 3 + 10);
    EXPECT_FLOAT_EQ(s.offset_of(101), -pitch) << "the passed items make room";
    EXPECT_FLOAT_EQ(s.offset_of(103), -pitch);
    EXPECT_EQ(qel_requested_cursor(s.rig.h.ctx), QEL_CURSOR_MOVE);
    s.release();
    EXPECT_EQ(s.keys, (std::vector<uint32_t>{101, 102, 103, 100}));
    EXPECT_EQ(s.changes, 1);
    s.rig.h.run(3);
    EXPECT_EQ(s.changes, 1) << "reported in the frame of the drop only";
    EXPECT_LT(s.rig.h.rect(s.item(101)).y, s.rig.h.rect(s.item(100)).y);
}

TEST(SortableList, ADropInPlaceLeavesTheKeysAndSlidesBack)
{
    sortable_rig s(4, false);
    s.rig.h.run(2);
    s.drag(101, 12);
    s.release();
    EXPECT_EQ(s.keys, (std::vector<uint32_t>{100, 101, 102, 103}));
    EXPECT_EQ(s.changes, 0);
    float landed = s.offset_of(101);
    EXPECT_GT(landed, 6) << "it lands where it was dropped";
    s.rig.h.run(60);
    EXPECT_NEAR(s.offset_of(101), 0, 0.5f);
}

TEST(SortableList, SmallMovesAndTheFirstFrameStartNoDrag)
{
    sortable_rig s;
    s.rig.h.run(2);
    s.drag(100, 4);
    EXPECT_FALSE(node_with_id(s.rig.h.ctx, s.item(100))->flags & QEL_NODE_ON_TOP) << "4 px is no drag";
    s.release();

    sortable_rig fresh;
    fresh.rig.h.run();  // items laid out once: known from the next frame
    qel_context* ctx = fresh.rig.h.ctx;
    auto* st = (int32_t*)qel_state_get(ctx, qel_id(ctx, "steps"), 4);
    EXPECT_EQ(st[0], -1);
    // A press recorded before any rectangle was known never turns into a drag.
    sortable_rig early;
    early.rig.h.move(50, 20);
    early.rig.h.button(0, true);
    early.rig.h.run();
    early.rig.h.move(50, 200);
    early.rig.h.run();
    early.rig.h.button(0, false);
    early.rig.h.run();
    EXPECT_EQ(early.changes, 0);
    EXPECT_EQ(early.keys, (std::vector<uint32_t>{100, 101, 102, 103}));
}

TEST(SortableList, OnlyTheFirst256KeysTakePart)
{
    sortable_rig s(300);
    s.rig.h.run(2);
    EXPECT_NE(node_with_id(s.rig.h.ctx, s.item(100 + 255)), nullptr);
    EXPECT_EQ(node_with_id(s.rig.h.ctx, s.item(100 + 256)), nullptr) << "built as a plain row";
    EXPECT_NE(node_with_text(s.rig.h.ctx, "Step 356"), nullptr);
    EXPECT_EQ(inspect_open_scopes(s.rig.h.ctx), 0);
}
