// The funnel chart: rows by pitch with the gap counted to the row above, the tooltip's shares,
// all-zero data, and stages that stay apart from the surface however many there are.
#include <gtest/gtest.h>

#include <vector>

#include "chart_rig.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

TEST(FunnelRows, GapsCountTowardTheRowAbove)
{
    const struct {
        float y;
        int32_t row;
    } cases[] = {{-8, -1}, {-7, 0}, {39, 0}, {46.9f, 0}, {47, 1}, {100, 1}, {101, 2}, {155, -1}};
    for (const auto& c : cases) EXPECT_EQ(qel_funnel_row_at(c.y, 3), c.row) << c.y;
    EXPECT_EQ(qel_funnel_row_at(0, 0), -1);
}

struct funnel_scene : chart_scene<qel_funnel_payload> {
    std::vector<qel_chart_item> items = {{"Visitors", 1000, 0}, {"Sign-ups", 400, 0}, {"Orders", 100, 0}};
    int32_t clicked = -1;
    funnel_scene() : chart_scene(600, 700, "funnel")
    {
        rig.h.ui = [this](qel_context* ctx) {
            int32_t c = qel_funnel_chart(ctx, "funnel", items.data(), (int32_t)items.size(), nullptr);
            if (c >= 0) clicked = c;
        };
        rig.h.run(60);
    }
    std::vector<drawn_box> bars()
    {
        std::vector<drawn_box> out;
        for (const drawn_box& b : drawn_boxes(rig.h.draw_data()))
            if (b.h == 40) out.push_back(b);
        return out;
    }
};

TEST(Funnel, TheHoveredStageShowsItsCountAndShares)
{
    funnel_scene s;
    EXPECT_EQ(s.rig.h.rect(s.id()).h, 3 * 40 + 2 * 14);
    EXPECT_EQ(s.hovered_at(10, 2 * 54 + 5), 2);
    const qel_chart_tip& tip = s.payload()->view.tip;
    EXPECT_STREQ(tip.title, "Orders");
    ASSERT_EQ(tip.row_count, 3);
    EXPECT_STREQ(tip.row_labels[1], "Of the first stage");
    EXPECT_STREQ(tip.row_values[1], "10%");
    EXPECT_STREQ(tip.row_labels[2], "From the stage before");
    EXPECT_STREQ(tip.row_values[2], "25%");
    EXPECT_EQ(s.hovered_at(10, 5), 0);
    EXPECT_EQ(s.payload()->view.tip.row_count, 2) << "the first stage has no stage before";
    qel_rect r = s.rig.h.rect(s.id());
    s.rig.h.click(r.x + 10, r.y + 54 + 5);
    s.rig.h.run();
    EXPECT_EQ(s.clicked, 1);
    auto bars = s.bars();
    ASSERT_EQ(bars.size(), 3u);
    EXPECT_NEAR(bars[1].w, 0.4f * bars[0].w, 0.5f);
}

TEST(Funnel, AllZeroStagesDrawThinBarsAndZeroShares)
{
    funnel_scene s;
    s.items = {{"a", 0, 0}, {"b", -5, 0}, {"c", 0, 0}};
    s.rig.h.run();
    for (const drawn_box& b : s.bars()) EXPECT_NEAR(b.w, 6, 0.5f);
    EXPECT_EQ(s.hovered_at(10, 54 + 5), 1);
    EXPECT_STREQ(s.payload()->view.tip.row_values[1], "0%");
    s.items.clear();
    s.rig.h.run();
    EXPECT_EQ(s.rig.h.rect(s.id()).h, 0);
    EXPECT_TRUE(s.bars().empty());
}

TEST(Funnel, ManyStagesStayApartFromTheSurface)
{
    funnel_scene s;
    s.items.assign(12, {"stage", 10, 0});
    s.rig.h.run();
    auto bars = s.bars();
    ASSERT_EQ(bars.size(), 12u);
    qel_color surface = qel_theme_color(s.rig.h.ctx, QEL_COLOR_SURFACE);
    EXPECT_NE(bars.back().fill, surface);
    EXPECT_EQ(bars.back().fill, bars[6].fill) << "the fade toward the surface is capped";
}
