// The radar chart: axes by angle, the scale from the data or the options, the diameter fitted to a
// narrow parent, hover and tooltip with short series, and charts of fewer than three axes.
#include <gtest/gtest.h>

#include <vector>

#include "chart_rig.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

TEST(RadarAxes, TheNearestAxisByAngleClockwiseFromTheTop)
{
    const struct {
        float dx, dy;
        int32_t n, axis;
    } cases[] = {{0, -1, 5, 0}, {1, 0, 4, 1}, {0, 1, 4, 2}, {-1, 0, 4, 3}, {-1, -5, 4, 0}, {1, -0.2f, 6, 1}};
    for (const auto& c : cases) EXPECT_EQ(qel_radar_axis_at(c.dx, c.dy, c.n), c.axis) << c.dx << "," << c.dy;
}

static const char* const AXES[5] = {"Price", "Taste", "Aroma", "Stock", "Margin"};

struct radar_scene : chart_scene<qel_radar_payload> {
    std::vector<float> tea = {87, 60, 40, 20, 70}, coffee = {50, 90};
    std::vector<qel_radar_series> series;
    qel_radar_options options = {};
    int32_t axes = 5;
    int32_t clicked = -1;
    explicit radar_scene(float width) : chart_scene(width, 500, "radar")
    {
        series = {{"Tea", tea.data(), 5, 0}, {"Coffee", coffee.data(), 2, 0}};
        rig.h.ui = [this](qel_context* ctx) {
            int32_t c = qel_radar_chart(ctx, "radar", series.data(), (int32_t)series.size(), AXES, axes, &options);
            if (c >= 0) clicked = c;
        };
        rig.h.run(2);
    }
    // The pointer reach from the chart's centre toward axis 0 (up) or along +x.
    int32_t hover_from_centre(float dx, float dy)
    {
        qel_rect r = rig.h.rect(id());
        return hovered_at(r.w / 2 + dx, 26 + payload()->diameter / 2 + dy);
    }
};

TEST(Radar, TheScaleIsRoundOrTheGivenMaximum)
{
    radar_scene s(600);
    EXPECT_EQ(s.payload()->max, 100);
    EXPECT_EQ(s.payload()->step, 25);
    EXPECT_EQ(s.payload()->diameter, 260);
    EXPECT_EQ(s.rig.h.rect(s.id()).h, 260 + 52 + 30) << "room for the legend of two series";
    s.options.max = 200;
    s.rig.h.run();
    EXPECT_EQ(s.payload()->step, 50);
    s.series.clear();
    s.options.max = 0;
    s.rig.h.run();
    EXPECT_EQ(s.payload()->max, 1) << "nothing to show reads as a range up to one";
    EXPECT_EQ(s.rig.h.rect(s.id()).h, 260 + 52);
}

TEST(Radar, HoverNamesTheAxisAndShortSeriesShowADash)
{
    radar_scene s(600);
    EXPECT_EQ(s.hover_from_centre(0, -100), 0);
    const qel_chart_tip& tip = s.payload()->view.tip;
    EXPECT_STREQ(tip.title, "Price");
    ASSERT_EQ(tip.row_count, 2);
    EXPECT_STREQ(tip.row_values[0], "87");
    EXPECT_EQ(s.hover_from_centre(-60, 80), 3);
    EXPECT_STREQ(s.payload()->view.tip.row_values[1], "-") << "coffee has two values";
    EXPECT_EQ(s.hover_from_centre(0, -(130 + 37)), -1) << "beyond the margin round the rings";
    qel_rect r = s.rig.h.rect(s.id());
    s.rig.h.click(r.x + r.w / 2 + 100, r.y + 26 + 130 - 30);
    s.rig.h.run();
    EXPECT_EQ(s.clicked, 1);
    EXPECT_TRUE(all_vertices_finite(s.rig.h.draw_data()));
}

TEST(Radar, ANarrowParentShrinksTheDiameterNotBelowItsSmallest)
{
    radar_scene s(300);
    float d = s.payload()->diameter;
    EXPECT_LT(d, 260);
    EXPECT_GE(d, 110);
    radar_scene tiny(120);
    EXPECT_EQ(tiny.payload()->diameter, 110);
}

TEST(Radar, FewerThanThreeAxesDrawNothingAndNeverHover)
{
    radar_scene s(600);
    s.axes = 2;
    s.rig.h.run();
    EXPECT_EQ(s.hover_from_centre(0, -100), -1);
    EXPECT_EQ(s.rig.h.rect(s.id()).h, 260 + 52 + 30) << "laid out with its height";
    EXPECT_TRUE(solid_points(s.rig.h.draw_data()).empty());
}
