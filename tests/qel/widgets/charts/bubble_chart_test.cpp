// The bubble chart: radii by size, the nearest point within reach hovered with its tooltip, a
// click returning the flat index, and the legend's room.
#include <gtest/gtest.h>

#include <vector>

#include "chart_rig.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

TEST(BubbleRadius, AreaFollowsTheSizeWithinItsBounds)
{
    const float sizes[4] = {100, 25, 0, -5};
    const struct {
        const float* sizes;
        int32_t i;
        float largest, r;
    } cases[] = {{sizes, 0, 100, 14.5f}, {sizes, 1, 100, 9}, {sizes, 2, 100, 3.5f},
                 {sizes, 3, 100, 3.5f},  {sizes, 0, 0, 4.5f}, {nullptr, 0, 100, 4.5f}};
    for (const auto& c : cases) EXPECT_FLOAT_EQ(qel_bubble_radius(c.sizes, c.i, c.largest), c.r) << c.i;
}

struct bubble_scene : chart_scene<qel_bubble_payload> {
    std::vector<float> a = {1, 10, 5, 20}, b = {3, 15}, b_sizes = {40};
    std::vector<qel_xy_series> series;
    qel_bubble_options options = {};
    int32_t clicked = -1;
    bubble_scene() : chart_scene(600, 400, "bubbles")
    {
        series = {{"Shop", a.data(), nullptr, 2, 0}, {"Web", b.data(), b_sizes.data(), 1, 0}};
        options.x_title = "Price";
        rig.h.ui = [this](qel_context* ctx) {
            int32_t c = qel_bubble_chart(ctx, "bubbles", series.data(), (int32_t)series.size(), &options);
            if (c >= 0) clicked = c;
        };
        rig.h.run(60);
    }
    // Where a point is drawn, in the chart's own coordinates.
    qel_vec2 point(float x, float y)
    {
        qel_rect r = rig.h.rect(id());
        const qel_bubble_payload* p = payload();
        qel_chart_axes ax = qel_chart_xy_axes(rig.h.ctx, &r, p->series, p->series_count, &p->options,
                                              p->legend_height);
        return {ax.plot.x - r.x + (x - ax.x_lower) / (ax.x_upper - ax.x_lower) * ax.plot.w,
                ax.plot.y - r.y + ax.plot.h - (y - ax.y_lower) / (ax.y_upper - ax.y_lower) * ax.plot.h};
    }
};

TEST(Bubble, TheNearestPointWithinReachIsHoveredAndClicked)
{
    bubble_scene s;
    EXPECT_GT(s.payload()->legend_height, 12) << "two series have a legend";
    qel_vec2 web = s.point(3, 15);
    EXPECT_EQ(s.hovered_at(web.x + 3, web.y), 2) << "flat index: after the two shop points";
    const qel_chart_tip& tip = s.payload()->view.tip;
    EXPECT_STREQ(tip.title, "Web");
    ASSERT_EQ(tip.row_count, 3);
    EXPECT_STREQ(tip.row_labels[0], "Price");
    EXPECT_STREQ(tip.row_labels[1], "y");
    EXPECT_STREQ(tip.row_labels[2], "Size");
    qel_vec2 shop = s.point(5, 20);
    EXPECT_EQ(s.hovered_at(shop.x, shop.y + 20), 1);
    EXPECT_EQ(s.payload()->view.tip.row_count, 2) << "dots have no size row";
    EXPECT_EQ(s.hovered_at(shop.x, shop.y + 30), -1) << "beyond reach of a dot";
    qel_rect r = s.rig.h.rect(s.id());
    s.rig.h.click(r.x + shop.x, r.y + shop.y);
    s.rig.h.run();
    EXPECT_EQ(s.clicked, 1);
    EXPECT_EQ(r.h, 280);
}

TEST(Bubble, OneSeriesHasNoLegendAndEqualXsStayFinite)
{
    bubble_scene s;
    s.series.resize(1);
    s.a = {4, 1, 4, 9};
    s.series[0].xy = s.a.data();
    s.rig.h.run();
    EXPECT_EQ(s.payload()->legend_height, 0);
    qel_vec2 top = s.point(4, 9);
    EXPECT_EQ(s.hovered_at(top.x, top.y), 1);
    EXPECT_TRUE(all_vertices_finite(s.rig.h.draw_data()));
}
