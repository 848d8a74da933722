// The calendar heatmap: shade levels, a first week that starts mid-week, the oldest weeks dropped
// in a narrow chart so the shown days start on a Monday, the tooltip's date, and hover kept off
// the name rows.
#include <gtest/gtest.h>

#include <vector>

#include "chart_rig.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

TEST(CalendarLevels, QuartersOfTheLargestValue)
{
    EXPECT_EQ(qel_chart_calendar_level(8, 8), 4);
    EXPECT_EQ(qel_chart_calendar_level(2, 8), 1) << "exactly a quarter";
    EXPECT_EQ(qel_chart_calendar_level(2.1f, 8), 2);
    EXPECT_EQ(qel_chart_calendar_level(6, 8), 3);
    EXPECT_EQ(qel_chart_calendar_level(0.001f, 8), 1);
    EXPECT_EQ(qel_chart_calendar_level(0, 8), 0);
    EXPECT_EQ(qel_chart_calendar_level(-1, 8), 0);
    EXPECT_EQ(qel_chart_calendar_level(3, 0), 0);
    EXPECT_EQ(qel_chart_calendar_level(80, 8), 4);
}

struct calendar_scene : chart_scene<qel_calendar_heatmap_payload> {
    qel_date start;
    std::vector<float> values;
    qel_calendar_heatmap_options options = {};
    int32_t clicked = -1;
    calendar_scene(float width, qel_date from, int32_t days) : chart_scene(width, 200, "days"), start(from)
    {
        for (int32_t i = 0; i < days; i++) values.push_back((float)(i % 9));
        rig.h.ui = [this](qel_context* ctx) {
            int32_t c = qel_calendar_heatmap(ctx, "days", &start, values.data(), (int32_t)values.size(), &options);
            if (c >= 0) clicked = c;
        };
        rig.h.run(2);
    }
};

TEST(CalendarHeatmap, AThursdayStartLeavesTheFirstWeeksTopEmpty)
{
    calendar_scene s(600, {2026, 1, 1}, 70);
    EXPECT_EQ(s.payload()->first_weekday, 3);
    EXPECT_EQ(s.payload()->weeks, 11);
    int cells = 0;
    for (const drawn_box& b : drawn_boxes(s.rig.h.draw_data())) cells += b.w == 11 && b.x >= 32 && b.y >= 20;
    EXPECT_EQ(cells, 70 + 5) << "the days and the legend's five shades";
    EXPECT_EQ(s.hovered_at(32 + 2, 20 + 2), -1) << "Monday before the first day";
    EXPECT_EQ(s.hovered_at(32 + 2, 20 + 3 * 14 + 2), 0);
    EXPECT_STREQ(s.payload()->view.tip.title, "Thu, Jan 1, 2026");
    EXPECT_STREQ(s.payload()->view.tip.row_labels[0], "Value");
    EXPECT_EQ(s.hovered_at(32 + 10 * 14 + 2, 20 + 2 * 14 + 2), 69) << "the last day";
    EXPECT_EQ(s.hovered_at(32 + 10 * 14 + 2, 20 + 3 * 14 + 2), -1) << "after it";
    EXPECT_EQ(s.hovered_at(10, 20 + 2), -1) << "the weekday column";
    EXPECT_EQ(s.hovered_at(32 + 2, 5), -1) << "the month row";
}

TEST(CalendarHeatmap, ANarrowChartShowsTheLatestWeeksFromAMonday)
{
    calendar_scene s(400, {2025, 1, 1}, 365);
    s.rig.h.run();
    const qel_calendar_heatmap_payload* p = s.payload();
    EXPECT_EQ(p->weeks, 26);
    EXPECT_EQ(p->first_weekday, 0);
    EXPECT_EQ(((p->first_day + 3) % 7 + 7) % 7, 0) << "a Monday";
    EXPECT_EQ(p->first_day + p->count - 1, qel_days_from_civil({2025, 12, 31})) << "the last day stays";
    qel_rect r = s.rig.h.rect(s.id());
    s.rig.h.click(r.x + 32 + 2, r.y + 20 + 2);
    EXPECT_EQ(s.clicked, 0) << "counted from that Monday";
}

TEST(CalendarHeatmap, AllZeroDaysAreEmpty)
{
    calendar_scene s(600, {2026, 3, 2}, 20);
    s.values.assign(20, 0);
    s.options.value_label = "labels";
    s.rig.h.run();
    EXPECT_EQ(s.payload()->sum, 0);
    qel_color empty = qel_color_mix(qel_theme_color(s.rig.h.ctx, QEL_COLOR_SURFACE),
                                    qel_theme_color(s.rig.h.ctx, QEL_COLOR_TEXT), 0.055f);
    EXPECT_EQ(boxes_filled(s.rig.h.draw_data(), empty).size(), 20u + 1) << "every day and the legend's empty shade";
    EXPECT_EQ(s.hovered_at(32 + 2, 20 + 2), 0);
    EXPECT_STREQ(s.payload()->view.tip.row_labels[0], "labels");
}
