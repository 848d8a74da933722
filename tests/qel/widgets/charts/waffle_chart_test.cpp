// The waffle chart: squares by largest remainder (worked and as a property), counts read within
// their limits, the legend moving under a narrow grid, and legend rows hovering like squares.
#include <gtest/gtest.h>

#include <vector>

#include "chart_rig.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

static std::vector<int32_t> squares_of(qel_context* ctx, std::vector<float> values, int32_t n)
{
    std::vector<qel_chart_item> items;
    for (float v : values) items.push_back({"x", v, 0});
    std::vector<int32_t> squares((size_t)n);
    qel_chart_waffle_squares(ctx, items.data(), (int32_t)items.size(), n, squares.data());
    std::vector<int32_t> counts(values.size() + 1);
    for (int32_t s : squares) counts[(size_t)(s + 1)]++;  // [0] counts empty squares
    return counts;
}

TEST(WaffleSquares, LargestRemaindersGiveOutEverySquare)
{
    qel_headless h;
    EXPECT_EQ(squares_of(h.ctx, {1, 1, 1}, 100), (std::vector<int32_t>{0, 34, 33, 33}));
    EXPECT_EQ(squares_of(h.ctx, {0, 0}, 100), (std::vector<int32_t>{100, 0, 0}));
    EXPECT_EQ(squares_of(h.ctx, {7}, 100), (std::vector<int32_t>{0, 100}));
    const std::vector<std::vector<float>> cases = {{3, 3, 3, 3, 3, 3, 3}, {0.1f, 99.9f}, {1e9f, 1, 1, 1}, {5, 0, 2.5f}};
    for (const auto& values : cases)
        for (int32_t n : {1, 7, 100, 3600}) {
            auto counts = squares_of(h.ctx, values, n);
            int32_t given = 0;
            for (size_t i = 1; i < counts.size(); i++) given += counts[i];
            EXPECT_EQ(counts[0], 0);
            EXPECT_EQ(given, n);
        }
}

struct waffle_scene : chart_scene<qel_waffle_payload> {
    std::vector<qel_chart_item> items = {{"Green", 50, 0}, {"Black", 30, 0}, {"Oolong", 20, 0}};
    qel_waffle_options options = {};
    explicit waffle_scene(float width) : chart_scene(width, 400, "waffle")
    {
        rig.h.ui = [this](qel_context* ctx) {
            qel_waffle_chart(ctx, "waffle", items.data(), (int32_t)items.size(), &options);
        };
        rig.h.run(2);
    }
};

TEST(Waffle, CountsAreReadWithinTheirLimits)
{
    waffle_scene s(600);
    s.options.columns = 0;
    s.options.rows = 100;
    s.rig.h.run();
    EXPECT_EQ(s.payload()->columns, 10);
    EXPECT_EQ(s.payload()->rows, 60);
    s.options.cell_size = 8;
    s.rig.h.run();
    EXPECT_EQ(s.payload()->gap, 2);
}

TEST(Waffle, SquaresAndLegendRowsHoverTheirItem)
{
    waffle_scene s(600);
    EXPECT_FALSE(s.payload()->stacked);
    float pitch = 21;
    EXPECT_EQ(s.hovered_at(2, 9 * pitch + 2), 0) << "the bottom left square";
    EXPECT_EQ(s.hovered_at(9 * pitch + 2, 2), 2) << "the top right square";
    EXPECT_EQ(s.hovered_at(10 * pitch + 40, 26 + 5), 1) << "the second legend row";
    EXPECT_STREQ(s.payload()->view.tip.row_values[1], "30%");
    EXPECT_EQ(s.hovered_at(10 * pitch + 40, 3 * 26 + 5), -1) << "below the last legend row";
}

TEST(Waffle, ANarrowContainerPutsTheLegendUnderTheGrid)
{
    waffle_scene s(240);
    EXPECT_TRUE(s.payload()->stacked);
    qel_rect r = s.rig.h.rect(s.id());
    EXPECT_GE(r.w, 10 * 21 - 3) << "never narrower than the grid";
    EXPECT_EQ(r.h, 10 * 21 - 3 + 16 + 3 * 26);
    EXPECT_EQ(s.hovered_at(5, 10 * 21 - 3 + 16 + 2 * 26 + 5), 2);
    s.items.assign(3, {"none", 0, 0});
    s.rig.h.run();
    EXPECT_EQ(s.hovered_at(5, 5), -1) << "all squares empty";
}
