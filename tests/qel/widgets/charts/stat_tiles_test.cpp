// Sparklines and stat tiles: where the line and its end dot land, a flat series along the bottom,
// too few values drawing nothing, and the tile's change row and trend colour for every sign.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "chart_rig.h"
#include "qel/icons.h"
#include "qel/qel.h"
#include "support/widget_rig.h"


// The end dot of the only sparkline drawn: a 6 x 6 box.
static drawn_box end_dot(widget_rig& rig)
{
    for (const drawn_box& b : drawn_boxes(rig.h.draw_data()))
        if (b.w == 6 && b.h == 6) return b;
    ADD_FAILURE() << "no end dot";
    return {};
}

TEST(Sparkline, MapsValuesIntoItsInsetBox)
{
    widget_rig rig(300, 100);
    static const float rising[3] = {0, 5, 10}, flat[3] = {4, 4, 4};
    const float* values = rising;
    rig.h.ui = [&](qel_context* ctx) { qel_sparkline(ctx, values, 3, {}, 0, 0); };
    rig.h.run();
    const qel_node* n = node_with_draw(rig.h.ctx, qel_sparkline_draw);
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->rect.w, 120);
    EXPECT_EQ(n->rect.h, 32);
    drawn_box dot = end_dot(rig);
    EXPECT_EQ(dot.x + 3, n->rect.x + 118) << "2 in from the right";
    EXPECT_EQ(dot.y + 3, n->rect.y + 3) << "the largest value 3 below the top";
    EXPECT_EQ(dot.fill, qel_theme_color(rig.h.ctx, QEL_COLOR_CHART1));
    values = flat;
    rig.h.run();
    EXPECT_EQ(end_dot(rig).y + 3, n->rect.y + 29) << "a flat series runs 3 above the bottom";
}

TEST(Sparkline, FewerThanTwoValuesDrawNothing)
{
    widget_rig rig(300, 100);
    static const float one[1] = {3};
    rig.h.ui = [&](qel_context* ctx) {
        qel_sparkline(ctx, one, 1, {}, 0, 0);
        qel_sparkline(ctx, nullptr, 5, {}, 0, 0);
        qel_sparkline(ctx, one, -4, {}, 0, 0);
    };
    rig.h.run();
    EXPECT_EQ(rig.h.draw_data().vertex_count, 0u);
}

struct tile_case {
    float delta;
    const char* text;
    uint8_t lower_is_better;
    const char* arrow;  // null: no change row
    qel_theme_slot color, trend;
};

TEST(StatTile, ChangeRowAndTrendFollowTheSignAndWhatCountsAsGood)
{
    const char* up = QEL_ICON_TRENDING_UP;
    const char* down = QEL_ICON_TRENDING_DOWN;
    const tile_case cases[] = {
        {0, nullptr, 0, nullptr, QEL_COLOR_SUCCESS, QEL_COLOR_CHART1},
        {NaN, nullptr, 0, nullptr, QEL_COLOR_SUCCESS, QEL_COLOR_CHART1},
        {0, "steady", 0, up, QEL_COLOR_SUCCESS, QEL_COLOR_CHART1},
        {2.5f, nullptr, 0, up, QEL_COLOR_SUCCESS, QEL_COLOR_CHART1},
        {-3, nullptr, 0, down, QEL_COLOR_DANGER, QEL_COLOR_DANGER},
        {-2.5f, nullptr, 1, down, QEL_COLOR_SUCCESS, QEL_COLOR_CHART1},
        {2.5f, nullptr, 1, up, QEL_COLOR_DANGER, QEL_COLOR_DANGER},
    };
    static const float trend[4] = {3, 5, 4, 6};
    for (const tile_case& c : cases) {
        widget_rig rig(400, 300);
        rig.h.ui = [&](qel_context* ctx) {
            qel_stat_tile_options o = {};
            o.delta = c.delta;
            o.delta_text = c.text;
            o.lower_is_better = c.lower_is_better;
            o.trend_values = trend;
            o.trend_count = 4;
            qel_stat_tile(ctx, "Labels printed", "1,284", &o);
        };
        rig.h.run();
        qel_context* ctx = rig.h.ctx;
        std::string what = std::to_string(c.delta) + (c.text ? c.text : "") + std::to_string(c.lower_is_better);
        ASSERT_NE(node_with_text(ctx, "1,284"), nullptr);
        EXPECT_TRUE(node_with_text(ctx, "1,284")->flags & QEL_NODE_TABULAR);
        EXPECT_EQ(node_with_text(ctx, up) != nullptr, c.arrow == up) << what;
        EXPECT_EQ(node_with_text(ctx, down) != nullptr, c.arrow == down) << what;
        if (c.arrow) {
            EXPECT_EQ(node_with_text(ctx, c.arrow)->text_color, qel_theme_color(ctx, c.color)) << what;
        }
        const qel_node* spark = node_with_draw(ctx, qel_sparkline_draw);
        ASSERT_NE(spark, nullptr);
        EXPECT_EQ(((const qel_sparkline_payload*)spark->draw_user)->color, qel_theme_color(ctx, c.trend)) << what;
        EXPECT_EQ(spark->rect.h, 36);
    }
}

TEST(StatTile, TextsAndAShortTrend)
{
    widget_rig rig(400, 300);
    static const float trend[1] = {3};
    rig.h.ui = [](qel_context* ctx) {
        qel_stat_tile_options o = {};
        o.delta = -1.25f;
        o.trend_values = trend;
        o.trend_count = 1;
        qel_stat_tile(ctx, "Returns", "12", &o);
    };
    rig.h.run();
    EXPECT_NE(node_with_text(rig.h.ctx, "-1.2%"), nullptr);
    EXPECT_NE(node_with_text(rig.h.ctx, "Returns"), nullptr);
    EXPECT_EQ(node_with_draw(rig.h.ctx, qel_sparkline_draw), nullptr) << "one trend value shows no sparkline";
}

TEST(GaugeRing, ArcColourFollowsTheValue)
{
    struct {
        float value;
        qel_theme_slot arc;
    } cases[] = {{0.3f, QEL_COLOR_PRIMARY}, {0.75f, QEL_COLOR_PRIMARY}, {0.76f, QEL_COLOR_WARNING},
                 {0.9f, QEL_COLOR_WARNING}, {0.91f, QEL_COLOR_DANGER},  {7, QEL_COLOR_DANGER}};
    for (auto c : cases) {
        widget_rig rig(300, 200);
        rig.h.ui = [&](qel_context* ctx) { qel_gauge_ring(ctx, "Disk", c.value, 0); };
        rig.h.run();
        qel_context* ctx = rig.h.ctx;
        const qel_node* n = node_with_draw(ctx, qel_gauge_ring_draw);
        EXPECT_EQ(n->rect.w, 140);
        EXPECT_STREQ(((const qel_gauge_ring_payload*)n->draw_user)->caption, "Disk");
        EXPECT_TRUE(solid_in(rig.h.draw_data(), qel_theme_color(ctx, c.arc))) << c.value;
        EXPECT_EQ(boxes_filled(rig.h.draw_data(), qel_theme_color(ctx, c.arc)).size(), 2u) << "two round caps";
    }
}

TEST(GaugeRing, ZeroShowsOnlyTheTrackCapAndValuesGlide)
{
    widget_rig rig(300, 200, QEL_THEME_LIGHT, false);
    float value = NaN;
    rig.h.ui = [&](qel_context* ctx) { qel_gauge_ring(ctx, nullptr, value, 100); };
    rig.h.run();
    qel_context* ctx = rig.h.ctx;
    auto shown = [&] {
        return ((const qel_gauge_ring_payload*)node_with_draw(ctx, qel_gauge_ring_draw)->draw_user)->value;
    };
    EXPECT_EQ(shown(), 0);
    EXPECT_EQ(((const qel_gauge_ring_payload*)node_with_draw(ctx, qel_gauge_ring_draw)->draw_user)->caption, nullptr);
    EXPECT_EQ(boxes_filled(rig.h.draw_data(), qel_theme_color(ctx, QEL_COLOR_TRACK)).size(), 1u);
    EXPECT_FALSE(solid_in(rig.h.draw_data(), qel_theme_color(ctx, QEL_COLOR_PRIMARY)));
    value = 0.8f;
    rig.h.run();
    EXPECT_GT(shown(), 0);
    EXPECT_LT(shown(), 0.8f) << "a changed value glides";
    rig.h.run(120);
    EXPECT_NEAR(shown(), 0.8f, 0.002f);
}
