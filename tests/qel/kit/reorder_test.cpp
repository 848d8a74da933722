#include "kit/reorder.h"

#include <gtest/gtest.h>

// Four items 40 long with 10 between them: starts 0, 50, 100, 150; middles 20, 70, 120, 170.
static const float STARTS[] = {0, 50, 100, 150}, SIZES[] = {40, 40, 40, 40};
static const qel_reorder_items ITEMS = {STARTS, SIZES, 4, true};

TEST(Reorder, TheTargetIsTheSlotTheDraggedItemHasPassed)
{
    const struct {
        int32_t dragged;
        float lead, trail;
        int32_t target;
    } cases[] = {
        {1, 60, 60, 1},    // still over its own slot
        {1, 19, 19, 0},    // past the middle of the one before
        {1, 121, 121, 2},  // past the middle of the one after
        {1, 171, 171, 3},  // past the last
        {0, -50, -50, 0},  // nothing before the first
        {2, 90, 130, 2},   // a tab's edges: left not past 70, right not past 170
        {2, 69, 109, 1},   // its left edge past the middle before it
        {1, 80, 121, 2},   // its right edge past the middle after it
    };
    for (const auto& c : cases)
        EXPECT_EQ(qel_reorder_target(&ITEMS, c.dragged, c.lead, c.trail), c.target)
            << c.dragged << " " << c.lead << " " << c.trail;
}

TEST(Reorder, APressLiftsOnlyPastTheThresholdOverKnownPlaces)
{
    qel_reorder r = {};
    qel_reorder_begin(&r, 4);
    EXPECT_EQ(r.dragged, -1);
    qel_reorder_press(&r, 2, 110);
    EXPECT_FALSE(qel_reorder_follow(&r, &ITEMS, 114, true)) << "4 units is no drag";
    qel_reorder_items unknown = ITEMS;
    unknown.all_known = false;
    EXPECT_FALSE(qel_reorder_follow(&r, &unknown, 130, true)) << "no lift without the items' places";
    EXPECT_TRUE(qel_reorder_follow(&r, &ITEMS, 115, true));
    EXPECT_EQ(r.dragged, 2);
    EXPECT_EQ(r.grab, 10) << "held where it was pressed";
    EXPECT_FALSE(qel_reorder_follow(&r, &unknown, 115, true));
    EXPECT_EQ(r.dragged, 2) << "a drag over places gone unknown waits for the release";
    EXPECT_FALSE(qel_reorder_follow(&r, &unknown, 115, false));
    EXPECT_EQ(r.dragged, -1);
    qel_reorder_press(&r, 3, 160);
    qel_reorder_begin(&r, 3);  // the pressed item is gone
    EXPECT_FALSE(qel_reorder_follow(&r, &ITEMS, 200, true));
    EXPECT_EQ(r.dragged, -1);
}
