// The segmented bar: segment widths and gaps, the gap split between neighbours' hit areas, the
// legend's hover and wrapping height, and a bar of nothing.
#include <gtest/gtest.h>

#include <vector>

#include "chart_rig.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

TEST(SegmentLayout, PositiveItemsShareTheWidthLessTheGaps)
{
    const qel_chart_item items[4] = {{"a", 1, 0}, {"b", 0, 0}, {"c", 3, 0}, {"d", 0, 0}};
    qel_rect out[4];
    qel_chart_segment_layout(10, 5, 102, items, 4, 4, 8, 1, out);
    EXPECT_EQ(out[0].x, 10);
    EXPECT_EQ(out[0].w, 25);
    EXPECT_EQ(out[1].w, 0);
    EXPECT_EQ(out[2].x, 37);
    EXPECT_EQ(out[2].w, 75);
    EXPECT_EQ(out[2].h, 8);
    qel_chart_segment_layout(10, 5, 102, items, 4, 4, 8, 0.5f, out);
    EXPECT_EQ(out[2].x, 10 + 12.5f + 1);
    qel_chart_segment_layout(10, 5, 102, items, 4, 0, 8, 1, out);
    EXPECT_EQ(out[2].w, 0);
}

struct segmented_scene : chart_scene<qel_segmented_bar_payload> {
    std::vector<qel_chart_item> items = {{"Used", 1, 0}, {"Free", 3, 0}};
    qel_segmented_bar_options options = {};
    segmented_scene() : chart_scene(402, 200, "disk")
    {
        rig.h.ui = [this](qel_context* ctx) {
            qel_segmented_bar(ctx, "disk", items.data(), (int32_t)items.size(), &options);
        };
        rig.h.run(2);
    }
};

TEST(SegmentedBar, EachSegmentReachesHalfTheGapBeyondItsEnds)
{
    segmented_scene s;
    float first = s.rig.h.rect(s.id()).w - 2;  // both share the width less one gap
    float end = first / 4;
    EXPECT_EQ(s.hovered_at(end + 0.5f, 5), 0);
    EXPECT_EQ(s.hovered_at(end + 1.5f, 5), 1);
    EXPECT_EQ(s.hovered_at(5, 10 + 14 + 5), 0) << "the first legend entry";
    EXPECT_STREQ(s.payload()->view.tip.row_values[0], "1");
    EXPECT_STREQ(s.payload()->view.tip.row_values[1], "25%");
    EXPECT_EQ(s.hovered_at(300, 10 + 14 + 5), -1) << "past the legend entries";
}

TEST(SegmentedBar, HeightFollowsTheLegend)
{
    segmented_scene s;
    EXPECT_EQ(s.rig.h.rect(s.id()).h, 10 + 34);
    s.options.hide_legend = 1;
    s.rig.h.run(2);
    EXPECT_EQ(s.rig.h.rect(s.id()).h, 10);
    s.options.hide_legend = 0;
    for (int i = 0; i < 12; i++) s.items.push_back({"Another part", 1, 0});
    s.rig.h.run(2);
    EXPECT_GT(s.rig.h.rect(s.id()).h, 10 + 34 + 26) << "wrapped lines 26 apart";
    s.items.clear();
    s.rig.h.run(2);
    EXPECT_EQ(s.rig.h.rect(s.id()).h, 10 + 14);
}

TEST(SegmentedBar, AllZeroShowsTheTrackAndZeroShares)
{
    segmented_scene s;
    s.items = {{"a", 0, 0}, {"b", -3, 0}};
    s.rig.h.run();
    qel_context* ctx = s.rig.h.ctx;
    EXPECT_EQ(boxes_filled(s.rig.h.draw_data(), qel_theme_color(ctx, QEL_COLOR_CHART1)).size(), 1u) << "a swatch only";
    EXPECT_EQ(s.hovered_at(20, 5), -1);
}
