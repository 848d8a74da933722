#include "qel/chart_values.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "chart_rig.h"
#include "support/qel_fixture.h"

namespace {

struct range {
    float lower, upper, step;
};

range nice(float min, float max, int ticks)
{
    range r;
    qel_chart_nice_range(min, max, ticks, &r.lower, &r.upper, &r.step);
    return r;
}

// Texts come from a context's frame arena.
using ChartText = QelTest;

}  // namespace

TEST(NiceRange, RoundsOutwardToANiceStep)
{
    const struct {
        float min, max;
        int ticks;
        range expected;
    } cases[] = {
        {0, 87, 5, {0, 100, 20}},
        {-3, 7, 4, {-5, 7.5f, 2.5f}},
        {5, 5, 5, {5, 6, 0.2f}},     // a flat range runs to min + 1
        {5, 2, 5, {5, 6, 0.2f}},     // and so does one upside down
        {0, 7.5f, 5, {0, 8, 2}},     // r exactly 1.5 takes the next factor
        {0, 37.5f, 5, {0, 40, 10}},  // and so does r exactly 7.5
        {0, 1, 4, {0, 1, 0.25f}},
        {0.5f, 0.5f, 4, {0.5f, 1.5f, 0.25f}},
        {-120, -30, 4, {-125, -25, 25}},
        {0, 1e6f, 5, {0, 1e6f, 2e5f}},
    };
    for (const auto& c : cases) {
        range r = nice(c.min, c.max, c.ticks);
        EXPECT_FLOAT_EQ(r.lower, c.expected.lower) << c.min << ".." << c.max;
        EXPECT_FLOAT_EQ(r.upper, c.expected.upper) << c.min << ".." << c.max;
        EXPECT_FLOAT_EQ(r.step, c.expected.step) << c.min << ".." << c.max;
    }
}

TEST(NiceRange, EveryInputGivesFiniteBoundsAndAStepThatAdvances)
{
    const struct {
        float min, max;
        int ticks;
    } cases[] = {
        {1e8f, 1e8f, 5},         {1e8f, 1e8f + 8, 5},  {-3e9f, -3e9f, 4}, {1e30f, 1e30f, 4},
        {3e38f, 3e38f, 4},       {-3e38f, 3e38f, 5},  {0, 1e-38f, 4},     {1e-20f, 1e-20f, 5},
        {NaN, 5, 4},             {5, NaN, 4},         {NaN, NaN, 4},      {-INF, INF, 4},
        {INF, INF, 4},           {0, 10, 0},          {0, 10, -3},        {0, 10, 2147483647},
    };
    for (const auto& c : cases) {
        range r = nice(c.min, c.max, c.ticks);
        SCOPED_TRACE(std::to_string(c.min) + ".." + std::to_string(c.max) + " over " + std::to_string(c.ticks));
        ASSERT_TRUE(std::isfinite(r.lower) && std::isfinite(r.upper) && std::isfinite(r.step));
        EXPECT_GT(r.step, 0);
        EXPECT_LT(r.lower, r.upper);
        EXPECT_NE(r.lower + r.step, r.lower);
        EXPECT_NE(r.upper - r.step, r.upper);
        int32_t ticks = qel_chart_tick_count(r.lower, r.upper, r.step);
        EXPECT_GE(ticks, 2);
        EXPECT_LE(ticks, QEL_CHART_MAX_TICKS);
    }
}

TEST(TickCount, CountsTicksUpToHalfAStepPastTheUpperBound)
{
    const struct {
        float lower, upper, step;
        int32_t count;
    } cases[] = {
        {0, 100, 20, 6},  {-5, 7.5f, 2.5f, 6}, {0, 1, 0.25f, 5}, {0, 0.99f, 0.25f, 5}, {0, 0.8f, 0.25f, 4},
        {5, 5, 1, 1},     {5, 4, 1, 0},        {0, 10, 0, 0},    {0, 10, -1, 0},       {0, 10, NaN, 0},
        {NaN, 10, 1, 0},  {0, INF, 1, 0},      {0, 1e9f, 1, QEL_CHART_MAX_TICKS},
        {1e8f, 1e8f + 16, 1e-3f, QEL_CHART_MAX_TICKS},  // a step below the bounds' precision still ends
    };
    for (const auto& c : cases)
        EXPECT_EQ(qel_chart_tick_count(c.lower, c.upper, c.step), c.count) << c.lower << ".." << c.upper << " by " << c.step;
}

TEST_F(ChartText, CompactFormatsByMagnitude)
{
    const struct {
        float value;
        const char* text;
    } cases[] = {
        {999.5f, "999.5"}, {1000, "1.0k"},  {9999, "10.0k"},  {10000, "10k"},  {2.5e6f, "2.5M"},
        {3e9f, "3.0B"},    {-1500, "-1.5k"}, {0.5f, "0.50"},  {12.5f, "12.5"}, {42, "42"},
        {0, "0"},          {-7, "-7"},      {-2.25f, "-2.25"}, {-1e10f, "-10.0B"},
    };
    for (const auto& c : cases) EXPECT_STREQ(qel_chart_format_value(ctx, nullptr, c.value), c.text) << c.value;
}

TEST_F(ChartText, CallerFormatsGroupCurrencyAndDropTheUnitOfZero)
{
    const struct {
        const char* format;
        float value;
        const char* text;
    } cases[] = {
        {"$%.2f", 1234.5f, "$1,234.50"},
        {"$%.0f", 1234, "$1,234"},
        {"%.0f", 1234, "1234"},
        {"\u20AC%.0f", -1234, "\u20AC-1,234"},
        {"%.0f \u20AC", 999, "999 \u20AC"},
        {"\u00A3%.0f", 1234567, "\u00A31,234,567"},
        {"$%.2f", 1e9f, "$1,000,000,000.00"},
        {"$%.0f", 0, "$0"},
        {"%.0fk", 0, "0"},
        {"%.1fk", 0, "0.0"},
        {"%.1fM", 0, "0.0"},
        {"%.0fk", 5, "5k"},
        {"%.1f%%", 12.5f, "12.5%"},
        {"%+08.3lf", 1.5f, "+001.500"},
        {"%g ms", 0.25f, "0.25 ms"},
    };
    for (const auto& c : cases) EXPECT_STREQ(qel_chart_format_value(ctx, c.format, c.value), c.text) << c.format;
}

TEST_F(ChartText, AFormatThatIsNotOneFloatingConversionIsNotUsed)
{
    // Each of these would read an argument that is not there or of another type, or print pages.
    for (const char* format : {"%d", "%s", "%f %f", "%*f", "%.*f", "%Lf", "%n", "plain", "%%", "%", "%5", "%f%", "%999999999f", "%.100f"})
        EXPECT_STREQ(qel_chart_format_value(ctx, format, 1500), "1.5k") << format;
}

TEST_F(ChartText, NonFiniteValuesReadAsMissing)
{
    for (float v : {NaN, INF, -INF}) {
        EXPECT_STREQ(qel_chart_format_value(ctx, nullptr, v), "\u2014");
        EXPECT_STREQ(qel_chart_format_value(ctx, "$%.2f", v), "\u2014");
    }
}

TEST_F(ChartText, PercentTexts)
{
    const struct {
        float part, total;
        const char* text;
    } cases[] = {
        {0.25f, 10, "2.5%"}, {3, 100, "3%"},   {1, 3, "33%"},   {9.96f, 100, "10.0%"}, {10, 100, "10%"},
        {5, 0, "0%"},        {5, -2, "0%"},   {0, 0, "0%"},    {0, 10, "0%"},        {NaN, 10, "0%"},
        {INF, 10, "0%"},     {5, NaN, "0%"},  {5, INF, "0%"},  {20, 10, "200%"},
    };
    for (const auto& c : cases) EXPECT_STREQ(qel_chart_percent_text(ctx, c.part, c.total), c.text) << c.part << " of " << c.total;
}
