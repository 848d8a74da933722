// The swipe row over scripted frames: resistance without actions, snapping open or closed by the
// swipe's length, a long swipe that takes the first action, vertical drags left alone, the wheel,
// clicks on uncovered actions and the end call without a row.
#include <gtest/gtest.h>

#include "qel/qel.h"
#include "support/widget_rig.h"

// A row "mail" 400 wide with the leading and trailing actions the test gives.
struct swipe_rig {
    widget_rig rig{400, 200};
    qel_swipe_action leading[2] = {{QEL_ICON_ARROW_LEFT, "Read", QEL_SEMANTIC_INFO}, {QEL_ICON_ARROW_RIGHT, "Pin", 0}};
    qel_swipe_action trailing[1] = {{QEL_ICON_CHECK, "Delete", QEL_SEMANTIC_DANGER}};
    int32_t leading_count, trailing_count;
    int32_t result = -1, taken = -1;
    uint32_t id = 0;

    swipe_rig(int32_t l, int32_t t) : leading_count(l), trailing_count(t)
    {
        rig.h.ui = [this](qel_context* ctx) {
            qel_swipe_row(ctx, "mail", leading, leading_count, trailing, trailing_count);
            qel_text_ex(ctx, "Invoice for March", nullptr);
            result = qel_swipe_row_end(ctx);
            if (result >= 0) taken = result;
        };
        rig.h.run(2);
        id = qel_id(rig.h.ctx, "mail");
    }
    float offset() { return node_with_id(rig.h.ctx, id ^ PART_SWIPE_CONTENT)->translate_x; }
    void drag(float dx, float dy)
    {
        qel_vec2 c = rig.centre(id);
        rig.h.move(c.x, c.y);
        rig.h.run();
        rig.h.button(0, true);
        rig.h.run();
        for (int i = 1; i <= 4; i++) {
            rig.h.move(c.x + dx * (float)i / 4, c.y + dy * (float)i / 4);
            rig.h.run();
        }
    }
    void release()
    {
        rig.h.button(0, false);
        rig.h.run();
    }
};

TEST(SwipeRow, ResistsWhereThereAreNoActionsAndSpringsBack)
{
    swipe_rig s(2, 0);
    s.drag(-80, 0);
    EXPECT_FLOAT_EQ(s.offset(), -20) << "a quarter of the pointer's way";
    s.release();
    s.rig.h.run(3);
    EXPECT_EQ(s.offset(), 0);
    EXPECT_EQ(s.taken, -1);
}

TEST(SwipeRow, SnapsOpenOrClosedByTheSwipesLength)
{
    const struct {
        float dx, rest;
    } cases[] = {{80, 152}, {60, 0}, {-50, -76}, {-30, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dx);
        swipe_rig s(2, 1);
        s.drag(c.dx, 0);
        EXPECT_FLOAT_EQ(s.offset(), c.dx) << "follows the pointer";
        s.release();
        s.rig.h.run(3);
        EXPECT_FLOAT_EQ(s.offset(), c.rest);
        EXPECT_EQ(s.taken, -1);
    }
}

TEST(SwipeRow, ALongSwipeTakesTheFirstActionOfItsSide)
{
    swipe_rig s(2, 1);
    s.drag(-260, 0);
    s.release();
    EXPECT_EQ(s.result, QEL_SWIPE_TRAILING) << "in the release frame";
    s.rig.h.run(3);
    EXPECT_EQ(s.offset(), 0) << "and the row closes";
    s.drag(250, 0);
    s.release();
    EXPECT_EQ(s.taken, 0);
}

TEST(SwipeRow, AMostlyVerticalDragNeverMovesTheRow)
{
    swipe_rig s(2, 1);
    s.drag(20, 40);
    EXPECT_EQ(s.offset(), 0);
    s.release();
    EXPECT_EQ(s.offset(), 0);
}

TEST(SwipeRow, UncoveredActionsTakeClicksAndTheRowCloses)
{
    swipe_rig s(2, 1);
    s.drag(80, 0);
    s.release();
    s.rig.h.run(3);
    int32_t pin = 1;
    uint32_t pin_id = qel_hash_bytes(&pin, 4, s.id);
    qel_rect r = s.rig.h.rect(pin_id);
    EXPECT_FLOAT_EQ(r.w, 76);
    s.rig.h.click(r.x + r.w / 2, r.y + r.h / 2);
    EXPECT_EQ(s.result, 1);
    s.rig.h.run(3);
    EXPECT_EQ(s.offset(), 0);
}

TEST(SwipeRow, TheWheelMovesItAndSettlesAfterAPause)
{
    swipe_rig s(0, 1);
    s.rig.move_to(s.id);
    s.rig.h.run();
    s.rig.h.wheel(-2, 0);
    s.rig.h.run();
    EXPECT_FLOAT_EQ(s.offset(), -60);
    s.rig.h.wheel(3, 0);
    s.rig.h.run();
    EXPECT_FLOAT_EQ(s.offset(), 0) << "no leading actions: kept at or below 0";
    s.rig.h.wheel(-2, 0);
    s.rig.h.run(12);
    EXPECT_FLOAT_EQ(s.offset(), -76) << "settled open after 0.14 s";
}

TEST(SwipeRow, EndWithoutARowReturnsNothing)
{
    widget_rig rig;
    int32_t result = 0;
    rig.h.ui = [&](qel_context* ctx) { result = qel_swipe_row_end(ctx); };
    rig.h.run();
    EXPECT_EQ(result, -1);
}
