// Scroll containers driven over scripted frames: a wheel step glides 44 units, bars show and hide,
// the thumb drags the content at once, the ends clamp, nested lists keep the wheel, a list that
// fits ignores it, and an unnamed list keeps its place when earlier nodes come and go.
#include <gtest/gtest.h>

#include <cmath>

#include "qel/qel.h"
#include "support/widget_rig.h"

// A list of 20-unit rows in a 300 x 200 scroll container named "list", opened through a style
// with scrolling as a program would.
struct list_rig {
    widget_rig rig;
    int rows = 100;

    explicit list_rig(int row_count = 100, bool reduced_motion = false)
        : rig(400, 400, QEL_THEME_LIGHT, reduced_motion), rows(row_count)
    {
        rig.h.ui = [this](qel_context* ctx) {
            qel_style s = {};
            s.name = "list";
            s.width = {QEL_SIZE_FIXED, 300};
            s.height = {QEL_SIZE_FIXED, 200};
            s.scroll_y = 1;
            qel_container_begin(ctx, &s);
            for (int i = 0; i < rows; i++) qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, 20});
            qel_container_end(ctx);
        };
        rig.h.run(2);
    }
    uint32_t id() { return qel_id(rig.h.ctx, "list"); }
    qel_scroll_state* state()
    {
        return (qel_scroll_state*)qel_state_find(rig.h.ctx, id(), sizeof(qel_scroll_state), false);
    }
    bool thumb_strip_registered()
    {
        const qel_hit_list& hits = rig.h.ctx->interaction.hits;
        for (int32_t i = 0; i < hits.count; i++)
            if (hits.rects[i].id == (id() ^ PART_SCROLL_THUMB)) return true;
        return false;
    }
};

TEST(ScrollContainer, OneWheelStepGlidesAndTheBarsHideAfterwards)
{
    list_rig l;
    ASSERT_NE(l.state(), nullptr);
    EXPECT_EQ(l.state()->content_h, 2000);
    EXPECT_EQ(l.state()->view_h, 200);
    EXPECT_TRUE(node_with_id(l.rig.h.ctx, l.id())->flags & QEL_NODE_SCROLL_Y);
    l.rig.move_to(l.id());
    l.rig.h.wheel(0, -1);
    l.rig.h.run();
    EXPECT_EQ(l.state()->target_y, 44);
    EXPECT_GT(l.state()->scroll_y, 0);
    EXPECT_LT(l.state()->scroll_y, 44) << "it glides";
    float wake = qel_wake_timeout(l.rig.h.ctx);
    EXPECT_GT(wake, 0.85f);
    EXPECT_LE(wake, 0.91f) << "a frame is asked for when the bars are to hide";
    l.rig.h.run(9);  // 0.167 s in all
    EXPECT_EQ(l.state()->scroll_y, 44);
    EXPECT_EQ(node_with_id(l.rig.h.ctx, l.id())->content_offset_y, 44);
    EXPECT_GT(l.state()->bar_visibility, 0.99f);
    l.rig.h.run(45);  // 0.92 s after the step: the bars begin to hide
    EXPECT_GT(l.state()->bar_visibility, 0.5f);
    l.rig.h.run(30);
    EXPECT_LT(l.state()->bar_visibility, 0.01f);
}

TEST(ScrollContainer, ContentExactlyAsTallAsTheViewIgnoresTheWheel)
{
    list_rig l(10);
    EXPECT_EQ(l.state()->content_h, l.state()->view_h);
    l.rig.move_to(l.id());
    l.rig.h.wheel(0, -1);
    l.rig.h.run(3);
    EXPECT_EQ(l.state()->target_y, 0);
    EXPECT_FALSE(l.thumb_strip_registered());
    l.rows = 11;
    l.rig.h.run(2);
    EXPECT_TRUE(l.thumb_strip_registered());
}

TEST(ScrollContainer, TargetsStopAtBothEnds)
{
    list_rig l(100, true);
    l.rig.move_to(l.id());
    l.rig.h.wheel(0, -100);
    l.rig.h.run();
    EXPECT_EQ(l.state()->target_y, 1800);
    EXPECT_EQ(l.state()->scroll_y, 1800);
    const struct {
        float to, expected;
    } cases[] = {{-50, 0}, {900, 900}, {1e9f, 1800}, {NAN, 0}};
    for (const auto& c : cases) {
        qel_scroll_to_y(l.rig.h.ctx, "list", c.to);
        l.rig.h.run();
        EXPECT_EQ(l.state()->scroll_y, c.expected) << c.to;
    }
}

TEST(ScrollContainer, DraggingTheThumbMovesTheContentAtOnce)
{
    list_rig l;
    qel_rect r = l.rig.h.rect(l.id());
    // Thumb 28 long (200^2 / 2000 is less), track 200 - 28 - 6 = 166 for 1800 of scrolling.
    float x = r.x + r.w - 5, top = r.y + 3;
    l.rig.h.move(x, top + 10);
    l.rig.h.run();
    l.rig.h.button(0, true);
    l.rig.h.run();
    EXPECT_TRUE(l.state()->dragging);
    EXPECT_EQ(l.state()->grab_offset, 10);
    l.rig.h.move(x + 60, top + 10 + 83);  // half the track, and off the strip sideways
    l.rig.h.run();
    EXPECT_FLOAT_EQ(l.state()->scroll_y, 900) << "no glide while dragging";
    EXPECT_EQ(node_with_id(l.rig.h.ctx, l.id())->content_offset_y, 900);
    l.rig.h.move(x, r.y + 1000);
    l.rig.h.run();
    EXPECT_EQ(l.state()->scroll_y, 1800);
    l.rig.h.button(0, false);
    l.rig.h.run();
    EXPECT_FALSE(l.state()->dragging);

    // A press on the track beside the thumb brings the thumb's middle under the pointer.
    l.rig.h.move(x, top + 14 + 83);
    l.rig.h.run();
    l.rig.h.button(0, true);
    l.rig.h.run();
    EXPECT_EQ(l.state()->grab_offset, 14);
    EXPECT_FLOAT_EQ(l.state()->scroll_y, 900);
}

TEST(ScrollContainer, TheInnerListKeepsTheWheelEvenAtItsEnd)
{
    widget_rig rig(400, 400, QEL_THEME_LIGHT, true);
    float wheel_left = 0;
    rig.h.ui = [&](qel_context* ctx) {
        qel_scroll_area_options outer = {};
        outer.name = "outer";
        outer.height = {QEL_SIZE_FIXED, 300};
        qel_scroll_area_begin(ctx, &outer);
        qel_scroll_area_options inner = {};
        inner.name = "inner";
        inner.height = {QEL_SIZE_FIXED, 150};
        qel_scroll_area_begin(ctx, &inner);
        for (int i = 0; i < 20; i++) qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, 20});
        qel_scroll_area_end(ctx);
        for (int i = 0; i < 40; i++) qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, 20});
        qel_scroll_area_end(ctx);
        wheel_left += ctx->input.wheel_y;
    };
    rig.h.run(2);
    auto scroll = [&](const char* name) {
        return ((qel_scroll_state*)qel_state_find(rig.h.ctx, qel_id(rig.h.ctx, name), sizeof(qel_scroll_state),
                                                  false))
            ->scroll_y;
    };
    rig.move_to(qel_id(rig.h.ctx, "inner"));
    for (int step = 0; step < 6; step++) {
        rig.h.wheel(0, -1);
        rig.h.run();
    }
    EXPECT_EQ(scroll("inner"), 250) << "400 of rows in 150";
    EXPECT_EQ(scroll("outer"), 0);
    EXPECT_EQ(wheel_left, 0) << "no widget after the list sees the wheel";
}

TEST(ScrollContainer, AnUnnamedAreaKeepsItsPlaceWhenEarlierNodesComeAndGo)
{
    widget_rig rig(400, 400, QEL_THEME_LIGHT, true);
    bool banner = false;
    rig.h.ui = [&](qel_context* ctx) {
        if (banner) qel_text_muted(ctx, "A banner above the list");
        qel_scroll_area_options a = {};
        a.height = {QEL_SIZE_FIXED, 200};
        qel_scroll_area_begin(ctx, &a);
        for (int i = 0; i < 50; i++) qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, 20});
        qel_scroll_area_end(ctx);
    };
    rig.h.run(2);
    auto area = [&]() -> const qel_node* {
        for (int32_t i = 0; i < rig.h.ctx->tree.count; i++)
            if (rig.h.ctx->tree.nodes[i].flags & QEL_NODE_SCROLL_Y) return &rig.h.ctx->tree.nodes[i];
        return nullptr;
    };
    qel_rect r = rig.h.rect(area()->id);
    rig.h.move(r.x + 20, r.y + 20);
    rig.h.wheel(0, -2);
    rig.h.run();
    ASSERT_EQ(area()->content_offset_y, 88);
    for (bool shown : {true, false, true}) {
        banner = shown;
        rig.h.run();
        EXPECT_EQ(area()->content_offset_y, 88) << shown;
    }
}

TEST(ScrollContainer, FadesFollowTheInheritedBackground)
{
    widget_rig rig(400, 400, QEL_THEME_LIGHT, true);
    qel_color seen[3] = {};
    rig.h.ui = [&](qel_context* ctx) {
        seen[0] = qel_inherited_background(ctx);
        qel_style card = {};
        card.fill = 0xFF102030;
        qel_column_begin(ctx, &card);
        qel_style glass = {};
        glass.fill = 0x80FFFFFF;
        qel_column_begin(ctx, &glass);
        seen[1] = qel_inherited_background(ctx);
        qel_scroll_area_options a = {};
        a.name = "faded";
        a.fades = 1;
        qel_scroll_area_begin(ctx, &a);
        seen[2] = qel_inherited_background(ctx);
        qel_scroll_area_end(ctx);
        qel_container_end(ctx);
        qel_container_end(ctx);
    };
    rig.h.run();
    EXPECT_EQ(seen[0], qel_theme_color(rig.h.ctx, QEL_COLOR_BACKGROUND));
    EXPECT_EQ(seen[1], 0xFF102030u) << "the translucent fill is passed over";
    EXPECT_EQ(seen[2], 0xFF102030u);
    auto* s = (qel_scroll_state*)qel_state_find(rig.h.ctx, qel_id(rig.h.ctx, "faded"), sizeof(qel_scroll_state), false);
    EXPECT_EQ(s->fade_color, 0xFF102030u);
}
