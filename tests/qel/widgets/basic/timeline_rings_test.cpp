// Timeline entries and progress rings over scripted frames: a ring's size, clamped and eased
// value and label, and the last entry's rail without a connector or bottom spacing.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "qel/qel.h"
#include "support/widget_rig.h"

static const qel_ring_record* ring_record(qel_context* ctx)
{
    const qel_node* n = node_with_draw(ctx, qel_ring_draw);
    return n ? (const qel_ring_record*)n->draw_user : nullptr;
}

TEST(ProgressRing, SizeValueAndLabel)
{
    struct row {
        const char* label;
        float value, size;
        float shown, side;
        const char* visible;
    } rows[] = {
        {nullptr, 0.25f, 0, 0.25f, 96, nullptr},
        {"Done##a", 1.7f, 40, 1, 40, "Done"},
        {"##b", -0.5f, -3, 0, 96, nullptr},
        {"Half", std::numeric_limits<float>::quiet_NaN(), 60, 0, 60, "Half"},
    };
    for (const row& r : rows) {
        widget_rig rig;
        rig.h.ui = [&](qel_context* ctx) { qel_progress_ring(ctx, r.label, r.value, r.size); };
        rig.h.run(2);
        const qel_node* n = node_with_draw(rig.h.ctx, qel_ring_draw);
        ASSERT_NE(n, nullptr);
        EXPECT_EQ(n->rect.w, r.side);
        EXPECT_EQ(n->rect.h, r.side);
        EXPECT_FLOAT_EQ(ring_record(rig.h.ctx)->value, r.shown);
        if (r.visible)
            EXPECT_STREQ(ring_record(rig.h.ctx)->label, r.visible);
        else
            EXPECT_EQ(ring_record(rig.h.ctx)->label, nullptr);
    }
}

TEST(ProgressRing, EasesToANewValueWhileMotionIsOn)
{
    widget_rig rig(400, 300, QEL_THEME_LIGHT, false);
    float value = 0;
    rig.h.ui = [&](qel_context* ctx) { qel_progress_ring(ctx, "Sync", value, 0); };
    rig.h.run(2);
    EXPECT_FLOAT_EQ(ring_record(rig.h.ctx)->value, 0);
    value = 1;
    rig.h.run(3);
    float midway = ring_record(rig.h.ctx)->value;
    EXPECT_GT(midway, 0);
    EXPECT_LT(midway, 1);
    EXPECT_TRUE(inspect_redraw_requested(rig.h.ctx));
    rig.h.run(120);
    EXPECT_FLOAT_EQ(ring_record(rig.h.ctx)->value, 1);
}

TEST(Timeline, OnlyTheLastEntryDropsItsConnectorAndSpacing)
{
    widget_rig rig;
    rig.h.ui = [&](qel_context* ctx) {
        qel_timeline_opts o = {};
        o.time = "09:10";
        qel_timeline_entry(ctx, "Printed", &o);
        o.last = 1;
        o.kind = 2;
        qel_timeline_entry(ctx, "Shipped", &o);
    };
    rig.h.run(2);
    qel_context* ctx = rig.h.ctx;
    for (const char* title : {"Printed", "Shipped"}) {
        bool last = title[0] == 'S';
        const qel_node* content = inspect_node(ctx, inspect_node(ctx, node_with_text(ctx, title)->parent)->parent);
        const qel_node* entry = inspect_node(ctx, content->parent);
        const qel_node* rail = inspect_node(ctx, entry->first_child);
        EXPECT_EQ(rail->child_count, last ? 1 : 2) << title;
        EXPECT_EQ(rail->pad_bottom, last ? 0 : 4) << title;
        EXPECT_EQ(content->pad_bottom, last ? 0 : 18) << title;
        EXPECT_EQ(rail->rect.h, content->rect.h) << "the rail runs along the content of " << title;
    }
}
