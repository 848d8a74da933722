// The chart frame: copies that turn missing and negative values into 0, the series colour and
// the ramp, the legend's measure, the tooltip box's placement near its chart's edges, and the
// plot and XY layouts on flat, empty and non-finite data.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "chart_rig.h"
#include "qel/qel.h"
#include "support/widget_rig.h"


TEST(ChartCopies, MissingAndNegativeValuesBecomeZero)
{
    qel_headless h;
    h.ui = [](qel_context* ctx) {
        const float values[4] = {1.5f, NaN, -INF, -2};
        float* v = qel_chart_copy_values(ctx, values, 4);
        EXPECT_EQ(v[0], 1.5f);
        EXPECT_EQ(v[1], 0);
        EXPECT_EQ(v[2], 0);
        EXPECT_EQ(v[3], -2) << "plain values keep their sign";
        EXPECT_EQ(qel_chart_copy_values(ctx, nullptr, 3)[2], 0);
        EXPECT_EQ(qel_chart_copy_values(ctx, values, -5)[0], 0) << "one zeroed float for no values";

        const qel_chart_item items[4] = {{"a", 3, 0}, {"b", -1, 0}, {nullptr, NaN, 0}, {"d", INF, 0xFF0000FFu}};
        qel_chart_item* c = qel_chart_copy_items(ctx, items, 4);
        EXPECT_EQ(c[0].value, 3);
        EXPECT_EQ(c[1].value, 0);
        EXPECT_EQ(c[2].value, 0);
        EXPECT_EQ(c[3].value, 0);
        EXPECT_EQ(c[3].color, 0xFF0000FFu);
        EXPECT_STREQ(c[0].label, "a");
        EXPECT_EQ(qel_chart_copy_items(ctx, nullptr, 2)[1].value, 0);
        EXPECT_EQ(qel_chart_copy_items(ctx, items, 0)[0].label, nullptr);
    };
    h.run();
}

TEST(ChartColors, SeriesColourFollowsTheAccentAndTheRampRunsThroughBase)
{
    qel_headless h;
    qel_context* ctx = h.ctx;
    EXPECT_EQ(qel_chart_series_color(ctx, 0), qel_theme_color(ctx, QEL_COLOR_CHART1));
    EXPECT_EQ(qel_chart_series_color(ctx, qel_color_token(QEL_COLOR_DANGER)), qel_theme_color(ctx, QEL_COLOR_DANGER));
    EXPECT_EQ(qel_chart_series_color(ctx, 0xFF102030u), 0xFF102030u);
    qel_theme_set_accent(ctx, QEL_ACCENT_GREEN);
    h.run(40);  // past the theme's cross-fade
    EXPECT_EQ(qel_chart_series_color(ctx, 0), qel_theme_color(ctx, QEL_COLOR_ACCENT));

    qel_color base = 0xFF3366CCu;
    EXPECT_EQ(qel_chart_color_ramp(ctx, base, 0.6f), base);
    EXPECT_EQ(qel_chart_color_ramp(ctx, base, -3), qel_chart_color_ramp(ctx, base, 0));
    EXPECT_EQ(qel_chart_color_ramp(ctx, base, 7), qel_chart_color_ramp(ctx, base, 1));
    EXPECT_EQ(qel_chart_color_ramp(ctx, base, NaN), qel_chart_color_ramp(ctx, base, 0));
    EXPECT_NE(qel_chart_color_ramp(ctx, base, 0), qel_chart_color_ramp(ctx, base, 1));

    const qel_chart_item items[3] = {{"a", 10, 0}, {"b", 5, 0}, {"c", 1, 0xFF00FF00u}};
    const int32_t order[3] = {0, 1, 2};
    qel_color auto_base = qel_chart_series_color(ctx, 0);
    EXPECT_EQ(qel_chart_item_color(ctx, items, order, 0), qel_chart_color_ramp(ctx, auto_base, 1.0f));
    EXPECT_EQ(qel_chart_item_color(ctx, items, order, 1), qel_chart_color_ramp(ctx, auto_base, 0.56f));
    EXPECT_EQ(qel_chart_item_color(ctx, items, order, 2), 0xFF00FF00u);
}

TEST(ChartLegend, MeasuresOneOrTwoLinesAndNeverWrapsBeforeTheFirstEntry)
{
    qel_headless h;
    qel_context* ctx = h.ctx;
    const char* labels[3] = {"Tea", "Coffee", nullptr};
    const qel_color colors[3] = {1, 2, 3};
    EXPECT_EQ(qel_chart_legend(ctx, 0, 0, 400, labels, colors, 0, -1, false), 0);
    EXPECT_EQ(qel_chart_legend(ctx, 0, 0, 400, labels, colors, 3, -1, false), 18);
    float tea = qel_text_width(ctx, QEL_FONT_BODY, 11, "Tea", -1, 0);
    EXPECT_EQ(qel_chart_legend(ctx, 5, 0, tea + 30, labels, colors, 2, -1, false), 40) << "Coffee wraps";
    EXPECT_EQ(qel_chart_legend(ctx, 5, 0, 2, labels, colors, 1, -1, false), 18) << "a first entry stays on line 1";
}

// Draws one tooltip for a chart at (100, 100, 200 x 150), the pointer at (px, py); returns the box.
static drawn_box tooltip_box(float px, float py, int rows)
{
    widget_rig rig(600, 400);
    static float pointer[2];
    static int row_count;
    pointer[0] = px, pointer[1] = py, row_count = rows;
    rig.h.ui = [](qel_context* ctx) {
        qel_canvas(ctx, "tip", {QEL_SIZE_GROW, 1}, {QEL_SIZE_GROW, 1},
                   [](qel_context* c, qel_rect, const void*) {
                       qel_chart_tip tip = {};
                       tip.alpha = 1;
                       tip.anchor_x = pointer[0], tip.anchor_y = pointer[1];
                       tip.bounds_x = 100, tip.bounds_y = 100, tip.bounds_w = 200, tip.bounds_h = 150;
                       tip.title = "Oolong";
                       for (int i = 0; i < row_count; i++) qel_chart_tip_add(&tip, "Row", "12", 0xFF0000FFu);
                       EXPECT_LE(tip.row_count, QEL_CHART_TIP_ROWS);
                       qel_chart_tooltip(c, &tip);
                   },
                   nullptr, 0);
    };
    rig.h.run();
    auto boxes = boxes_filled(rig.h.draw_data(), qel_theme_color(rig.h.ctx, QEL_COLOR_ELEVATED));
    EXPECT_EQ(boxes.size(), 1u);
    return boxes.empty() ? drawn_box{} : boxes[0];
}

TEST(ChartTooltip, OpensAboveRightAndFlipsNearTheEdges)
{
    drawn_box plain = tooltip_box(150, 200, 2);
    EXPECT_EQ(plain.x, 164);
    EXPECT_EQ(plain.h, 3 * 18 + 22);
    EXPECT_EQ(plain.y, 200 - plain.h - 10);
    drawn_box right = tooltip_box(290, 200, 2);
    EXPECT_EQ(right.x + right.w, 290 - 14) << "near the right edge it opens to the left";
    drawn_box top = tooltip_box(150, 110, 2);
    EXPECT_EQ(top.y, 128) << "near the top it opens below the pointer";
    drawn_box nine = tooltip_box(150, 300, 9);
    EXPECT_EQ(nine.h, 9 * 18 + 22) << "eight rows at most";
    EXPECT_EQ(tooltip_box(150, 300, 0).h, 38);
}

TEST(ChartLayouts, PlotRectanglesAndXyAxesStayFinite)
{
    qel_rect r = {10, 20, 300, 200};
    qel_chart_plot p = qel_chart_plot_rect(&r, 50, 10, true);
    EXPECT_EQ(p.full.y, 26);
    EXPECT_EQ(p.full.w, 250);
    EXPECT_EQ(p.full.h, 172);
    float band = std::fmax(24.0f, 0.18f * 172);
    EXPECT_FLOAT_EQ(p.band.h, band);
    EXPECT_FLOAT_EQ(p.plot.h, 172 - 8 - band);
    EXPECT_EQ(p.slot_width, 25);
    qel_rect tiny = {0, 0, 4, 4};
    EXPECT_EQ(qel_chart_plot_rect(&tiny, 50, 0, false).plot.w, 10);

    qel_headless h;
    const float flat[4] = {1e8f, 1e8f, 1e8f, 1e8f};
    const float odd[6] = {NaN, 1, 2, INF, 3, 4};
    const qel_xy_series cases[3] = {
        {"flat", flat, nullptr, 2, 0}, {"none", nullptr, nullptr, 5, 0}, {"odd", odd, odd, 3, 0}};
    for (const qel_xy_series& s : cases) {
        qel_bubble_options o = {};
        o.x_title = "x";
        qel_chart_axes a = qel_chart_xy_axes(h.ctx, &r, &s, 1, &o, 0);
        EXPECT_TRUE(a.x_step > 0 && a.y_step > 0 && a.x_upper > a.x_lower && a.y_upper > a.y_lower) << s.label;
        EXPECT_TRUE(std::isfinite(a.plot.w) && a.plot.h == 200 - 6 - 46) << s.label;
    }
    qel_chart_axes a = qel_chart_xy_axes(h.ctx, &r, &cases[2], 1, nullptr, 0);
    EXPECT_TRUE(a.x_lower <= 3 && a.x_upper >= 3 && a.y_lower <= 4 && a.y_upper >= 4);
    EXPECT_EQ(a.largest_size, 2) << "sizes of points with a missing coordinate do not count";
}
