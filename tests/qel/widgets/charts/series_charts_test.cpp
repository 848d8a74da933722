// Line and bar charts: the value axis over worked ranges, the legend row, the index under the
// pointer at both ends of the plot, bars and curves landing where their values say, stacks that
// stay inside the plot, and data that is huge, missing or too small to draw.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "chart_rig.h"
#include "qel/qel.h"
#include "support/widget_rig.h"


struct range_case {
    const char* name;
    int32_t mode;
    std::vector<std::vector<float>> values;
    uint8_t stacked;
    float y_min, y_max;
    float lower, upper, step;
};

TEST(SeriesChartRange, WorkedRanges)
{
    const range_case cases[] = {
        {"line 50..100 keeps 50", 0, {{50, 100}}, 0, 0, 0, 50, 100, 10},
        {"line 30..100 starts at 0", 0, {{30, 100}}, 0, 0, 0, 0, 100, 25},
        {"bars include 0", 1, {{20, 87}}, 0, 0, 0, 0, 100, 20},
        {"negative bars keep their minimum", 1, {{-50, -10}}, 0, 0, 0, -50, -10, 10},
        {"fixed 0..100", 0, {{5}}, 0, 0, 100, 0, 100, 25},
        {"fixed 0..70 falls back", 0, {{5}}, 0, 0, 70, 0, 80, 20},
        {"stacks cover every running sum", 1, {{10, 10}, {-30, 5}, {25, 0}}, 1, 0, 0, -20, 20, 10},
        {"grouped bars of the same", 1, {{10, 10}, {-30, 5}, {25, 0}}, 0, 0, 0, -30, 30, 10},
    };
    for (const range_case& c : cases) {
        std::vector<qel_line_series> series;
        for (const auto& v : c.values) series.push_back({"s", v.data(), (int32_t)v.size(), 0});
        qel_series_chart_payload p = {};
        p.series = series.data();
        p.series_count = (int32_t)series.size();
        p.mode = c.mode;
        p.options.stacked = c.stacked;
        p.options.y_min = c.y_min;
        p.options.y_max = c.y_max;
        float lower, upper, step;
        ASSERT_TRUE(qel_chart_series_range(&p, &lower, &upper, &step)) << c.name;
        EXPECT_EQ(lower, c.lower) << c.name;
        EXPECT_EQ(upper, c.upper) << c.name;
        EXPECT_EQ(step, c.step) << c.name;
    }
    qel_series_chart_payload empty = {};
    float lower, upper, step;
    EXPECT_FALSE(qel_chart_series_range(&empty, &lower, &upper, &step));
}

static const float TEA[5] = {12, 30, 18, 44, 25};
static const float COFFEE[5] = {8, 14, 22, 16, 30};

// A chart of the given series under the label "sales", alone in a 400 x 300 window.
struct series_scene {
    widget_rig rig{400, 300};
    std::vector<qel_line_series> series;
    qel_series_chart_options options = {};
    int32_t mode = 0;

    series_scene()
    {
        rig.h.ui = [this](qel_context* ctx) {
            qel_chart_series_core(ctx, "sales", series.data(), (int32_t)series.size(), &options, mode);
        };
    }
    uint32_t plot_id() { return qel_id(rig.h.ctx, "sales") ^ PART_CHART_PLOT; }
    const qel_series_chart_payload* payload()
    {
        return (const qel_series_chart_payload*)node_with_id(rig.h.ctx, plot_id())->draw_user;
    }
    const qel_series_chart_state* state()
    {
        return (const qel_series_chart_state*)qel_state_find(rig.h.ctx, qel_id(rig.h.ctx, "sales"), 0, false);
    }
    qel_rect plot() { return rig.h.rect(plot_id()); }
};

TEST(SeriesChart, ALegendRowShowsForTwoSeriesUnlessHidden)
{
    series_scene s;
    s.series = {{"Tea", TEA, 5, 0}};
    s.rig.h.run();
    EXPECT_EQ(node_with_text(s.rig.h.ctx, "Tea"), nullptr) << "one series has no legend";
    s.series.push_back({"Coffee", COFFEE, 5, 0});
    s.rig.h.run();
    EXPECT_NE(node_with_text(s.rig.h.ctx, "Tea"), nullptr);
    EXPECT_NE(node_with_text(s.rig.h.ctx, "Coffee"), nullptr);
    s.options.hide_legend = 1;
    s.rig.h.run();
    EXPECT_EQ(node_with_text(s.rig.h.ctx, "Coffee"), nullptr);
}

TEST(SeriesChart, ThePointerPicksTheIndexAcrossThePlot)
{
    for (int32_t mode : {0, 1}) {
        series_scene s;
        s.mode = mode;
        s.series = {{"Tea", TEA, 5, 0}, {"Coffee", COFFEE, 3, 0}};
        s.rig.h.run(2);
        qel_rect r = s.plot();
        float left = r.x + s.state()->plot_left, right = left + s.state()->plot_width;
        s.rig.h.move(right - 1, r.y + r.h / 2);
        s.rig.h.run();
        EXPECT_EQ(s.payload()->hovered, 4) << "far right, mode " << mode;
        s.rig.h.move(left + 1, r.y + r.h / 2);
        s.rig.h.run();
        EXPECT_EQ(s.payload()->hovered, 0) << "far left, mode " << mode;
        s.rig.h.move(r.x + r.w + 1, r.y + r.h / 2);  // inside the window, off the chart
        s.rig.h.run(2);
        EXPECT_EQ(s.payload()->hovered, -1);
    }
}

TEST(SeriesChart, HoverShowsTheTooltipAndDimsOtherBars)
{
    series_scene s;
    s.mode = 1;
    s.series = {{"Tea", TEA, 5, 0}};
    s.rig.h.run(2);
    qel_context* ctx = s.rig.h.ctx;
    qel_color chart1 = qel_theme_color(ctx, QEL_COLOR_CHART1);
    EXPECT_EQ(boxes_filled(s.rig.h.draw_data(), chart1).size(), 5u);
    qel_rect r = s.plot();
    float left = r.x + s.state()->plot_left, slot = s.state()->plot_width / 5;
    s.rig.h.move(left + 2.5f * slot, r.y + r.h / 2);
    s.rig.h.run();
    int full = 0;
    for (const drawn_box& b : boxes_filled(s.rig.h.draw_data(), chart1)) full += b.w > 8;  // not the tooltip's swatch
    EXPECT_EQ(full, 1) << "only the hovered bar at full strength";
    EXPECT_EQ(boxes_filled(s.rig.h.draw_data(), qel_theme_color(ctx, QEL_COLOR_ELEVATED)).size(), 1u);
}

TEST(SeriesChart, TheTooltipHoldsARowForEachSeriesThatReachesTheIndex)
{
    for (int32_t mode : {0, 1}) {
        series_scene s;
        s.mode = mode;
        s.series = {{"Tea", TEA, 5, 0}, {"Coffee", COFFEE, 3, 0}};
        s.rig.h.run(2);
        qel_context* ctx = s.rig.h.ctx;
        qel_rect r = s.plot();
        float left = r.x + s.state()->plot_left, right = left + s.state()->plot_width;
        const struct {
            float x;
            float height;
        } cases[] = {{left + 1, 3 * 18 + 22}, {right - 1, 2 * 18 + 22}};
        for (const auto& c : cases) {
            s.rig.h.move(c.x, r.y + r.h / 2);
            s.rig.h.run(2);
            std::vector<drawn_box> boxes;  // the point dots share the fill in the light theme
            for (const drawn_box& b : boxes_filled(s.rig.h.draw_data(), qel_theme_color(ctx, QEL_COLOR_ELEVATED)))
                if (b.w > 20) boxes.push_back(b);
            ASSERT_EQ(boxes.size(), 1u) << "mode " << mode;
            EXPECT_EQ(boxes[0].h, c.height) << "mode " << mode << " at " << c.x - left;
        }
    }
}

TEST(SeriesChart, BarsStandOnTheBaselineAsTallAsTheirValues)
{
    static const float values[3] = {25, 50, 100};
    series_scene s;
    s.mode = 1;
    s.series = {{"Tea", values, 3, 0}};
    s.rig.h.run(2);
    auto bars = boxes_filled(s.rig.h.draw_data(), qel_theme_color(s.rig.h.ctx, QEL_COLOR_CHART1));
    ASSERT_EQ(bars.size(), 3u);
    qel_rect r = s.plot();
    float top = r.y + 6, height = r.h - 4 - 8;  // axis 0..100, no category labels
    for (int i = 0; i < 3; i++) {
        EXPECT_NEAR(bars[i].y + bars[i].h, top + height, 0.01f) << i;
        EXPECT_NEAR(bars[i].h, values[i] / 100 * height, 0.01f) << i;
    }
    EXPECT_NEAR(bars[1].x - bars[0].x, s.state()->plot_width / 3, 0.01f);
}

TEST(SeriesChart, SmoothLinesStayWithinTheirData)
{
    static const float values[7] = {0, 100, 0, 0, 100, 100, 0};
    series_scene s;
    s.series = {{"Tea", values, 7, 0}};
    s.options.smooth = 1;
    s.options.hide_grid = 1;
    s.rig.h.run(2);
    qel_rect r = s.plot();
    float top = r.y + 6, bottom = top + r.h - 12;
    auto points = solid_points(s.rig.h.draw_data());
    ASSERT_GT(points.size(), 100u) << "8 samples a segment";
    for (const qel_vec2& p : points) {
        EXPECT_GE(p.y, top - 4);  // the line's half width, its fringe and its joins
        EXPECT_LE(p.y, bottom + 4);
    }
}

TEST(SeriesChart, StacksWithNegativeValuesStayInsideThePlot)
{
    static const float a[3] = {10, 10, 40}, b[3] = {-30, 5, -10}, c[3] = {25, 0, 5};
    series_scene s;
    s.mode = 1;
    s.options.stacked = 1;
    s.series = {{"A", a, 3, 0}, {"B", b, 3, 0}, {"C", c, 3, 0}};
    s.rig.h.run(2);
    qel_rect r = s.plot();
    float top = r.y + 6, bottom = top + r.h - 12;
    auto boxes = drawn_boxes(s.rig.h.draw_data());
    int bars = 0;
    for (const drawn_box& box : boxes) {
        if (box.w > 44 || box.w == 8) continue;  // grid lines and legend swatches
        bars++;
        EXPECT_GE(box.y, top - 0.01f);
        EXPECT_LE(box.y + box.h, bottom + 0.01f);
    }
    EXPECT_EQ(bars, 8) << "one bar of C is 0";
}

TEST(SeriesChart, HugeMissingAndTinyRangesDrawFiniteFrames)
{
    static const float odd[5] = {NaN, INF, 1e8f, 1e8f, -INF};
    static const float flat[3] = {3e37f, 3e37f, 3e37f};
    for (int32_t mode : {0, 1})
        for (float span : {0.0f, 1e-7f, -5.0f}) {
            series_scene s;
            s.mode = mode;
            s.series = {{"odd", odd, 5, 0}, {"flat", flat, 3, 0}, {"none", nullptr, 4, 0}};
            s.options.y_min = 1;
            s.options.y_max = 1 + span;
            s.options.smooth = 1;
            s.options.area = 1;
            s.rig.h.run(2);
            qel_rect r = s.plot();
            s.rig.h.move(r.x + r.w / 2, r.y + r.h / 2);
            s.rig.h.run();
            EXPECT_TRUE(all_vertices_finite(s.rig.h.draw_data())) << mode << " " << span;
        }
}

TEST(SeriesChart, APlotTooSmallDrawsAndHoversNothing)
{
    series_scene s;
    s.series = {{"Tea", TEA, 5, 0}};
    s.options.height = 20;
    s.rig.h.run(2);
    EXPECT_EQ(s.rig.h.draw_data().vertex_count, 0u);
    qel_rect r = s.plot();
    s.rig.h.move(r.x + r.w / 2, r.y + r.h / 2);
    s.rig.h.run(2);
    EXPECT_EQ(s.payload()->hovered, -1);
    EXPECT_EQ(s.rig.h.draw_data().vertex_count, 0u);
}
