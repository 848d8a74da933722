// The date-range picker driven over scripted frames: month grids laid out as Python's calendar
// has them (first weekday and length, five or six rows), picking a range across months by clicks
// (an end before the start swaps them, one day twice is a one-day range), month steps across year
// ends, presets including last month in leap years and in January, the one- or two-month popup by
// the display's width, and the field's texts.
#include <gtest/gtest.h>

#include <string>

#include "qel/date_range_picker.h"
#include "qel/icons.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

struct range_rig {
    widget_rig rig;
    qel_date_range range = {};
    qel_date_range_options opts = {};
    int changes = 0;

    explicit range_rig(float width = 760, float height = 560) : rig(width, height)
    {
        rig.h.ui = [this](qel_context* ctx) {
            board_begin(ctx);
            changes += qel_date_range_picker(ctx, "dates", &range, &opts);
            qel_container_end(ctx);
        };
        rig.h.run(2);
    }
    uint32_t field() { return qel_id(rig.h.ctx, "dates"); }
    uint32_t popup() { return field() ^ PART_RANGE_POPUP; }
    uint32_t calendar()
    {
        qel_push_id_int(rig.h.ctx, (int32_t)popup());
        uint32_t id = qel_id(rig.h.ctx, "#rcal");
        qel_pop_id(rig.h.ctx);
        return id;
    }
    uint32_t day(qel_date d)
    {
        int32_t n = qel_days_from_civil(d);
        return qel_hash_bytes(&n, sizeof n, calendar());
    }
    qel_range_calendar_state* state()
    {
        return (qel_range_calendar_state*)qel_state_find(rig.h.ctx, calendar(), sizeof(qel_range_calendar_state), false);
    }
    bool open()
    {
        const qel_popup_slot* s = qel_popup_find(rig.h.ctx, popup(), false);
        return s && s->open;
    }
    void click(uint32_t id)
    {
        rig.h.click(rig.centre(id).x, rig.centre(id).y);
        rig.h.run();
    }
    // Opens the popup on a month.
    void show(int32_t year, int32_t month)
    {
        if (!open()) click(field());
        rig.h.run();
        qel_range_calendar_state* s = state();
        ASSERT_NE(s, nullptr);
        s->view_year = year;
        s->view_month = month;
        rig.h.run(2);
    }
    uint32_t preset(const char* label, int32_t index)
    {
        qel_push_id_int(rig.h.ctx, (int32_t)popup());
        qel_push_id_int(rig.h.ctx, index);
        uint32_t id = qel_id(rig.h.ctx, label);
        qel_pop_id(rig.h.ctx);
        qel_pop_id(rig.h.ctx);
        return id;
    }
};

static bool same(qel_date a, qel_date b)
{
    return a.year == b.year && a.month == b.month && a.day == b.day;
}

TEST(MonthCalendar, GridsFollowPythonsCalendar)
{
    // calendar.monthrange(year, month): the weekday of the 1st (Monday 0) and the month's length.
    const struct {
        int32_t year, month, first_weekday, days;
    } months[] = {{2026, 2, 6, 28}, {2026, 3, 6, 31}, {2021, 2, 0, 28}, {2000, 2, 1, 29}, {1900, 2, 3, 28},
                  {1, 1, 0, 31},    {9999, 12, 2, 31}, {2024, 12, 6, 31}, {2025, 1, 2, 31}};
    range_rig r(540);  // one month without presets
    r.opts.no_presets = 1;
    for (const auto& m : months) {
        r.show(m.year, m.month);
        qel_rect first = r.rig.h.rect(r.day({m.year, m.month, 1}));
        ASSERT_GT(first.w, 0) << m.year << "-" << m.month;
        for (int32_t d = 1; d <= m.days; d++) {
            int32_t cell = m.first_weekday + d - 1;
            qel_rect c = r.rig.h.rect(r.day({m.year, m.month, d}));
            EXPECT_NEAR(c.x, first.x + (float)(cell % 7 - m.first_weekday) * first.w, 1.0f) << m.year << "-" << m.month << "-" << d;
            EXPECT_NEAR(c.y, first.y + (float)(cell / 7) * first.h, 1.0f) << m.year << "-" << m.month << "-" << d;
        }
        EXPECT_EQ(r.rig.h.rect(r.day({m.year, m.month, m.days + 1})).w, 0) << "the next month's first is not in the grid";
    }
}

TEST(DateRangePicker, ClicksPickARangeAcrossMonthsAndSwapAnEndBeforeTheStart)
{
    range_rig r;
    r.show(2025, 12);
    r.click(r.day({2025, 12, 20}));
    EXPECT_TRUE(same(r.range.start, {2025, 12, 20}));
    EXPECT_EQ(r.range.end.year, 0);
    EXPECT_TRUE(r.open());
    r.rig.move_to(r.day({2026, 1, 9}));  // the second month: January of the next year
    r.rig.h.run();
    r.click(r.day({2026, 1, 9}));
    EXPECT_TRUE(same(r.range.end, {2026, 1, 9}));
    EXPECT_FALSE(r.open()) << "a complete range closes the popup";
    EXPECT_NE(node_with_text(r.rig.h.ctx, "Dec 20, 2025 \xE2\x80\x93 Jan 9, 2026"), nullptr);
    EXPECT_EQ(r.changes, 2);

    r.show(2026, 3);
    r.click(r.day({2026, 3, 18}));
    r.click(r.day({2026, 3, 4}));
    EXPECT_TRUE(same(r.range.start, {2026, 3, 4}));
    EXPECT_TRUE(same(r.range.end, {2026, 3, 18}));
    EXPECT_NE(node_with_text(r.rig.h.ctx, "Mar 4 \xE2\x80\x93 Mar 18, 2026"), nullptr);

    r.show(2026, 3);
    r.click(r.day({2026, 3, 7}));
    r.click(r.day({2026, 3, 7}));
    EXPECT_TRUE(same(r.range.start, r.range.end)) << "one day twice is a one-day range";
}

TEST(DateRangePicker, MonthStepsCrossYearEnds)
{
    range_rig r;
    r.show(2026, 1);
    qel_push_id_int(r.rig.h.ctx, (int32_t)r.popup());
    uint32_t previous = qel_hash_str(QEL_ICON_CHEVRON_LEFT, qel_id(r.rig.h.ctx, "Previous month"));
    uint32_t next = qel_hash_str(QEL_ICON_CHEVRON_RIGHT, qel_id(r.rig.h.ctx, "Next month"));
    qel_pop_id(r.rig.h.ctx);
    r.click(previous);
    r.rig.h.run();
    EXPECT_EQ(r.state()->view_year, 2025);
    EXPECT_EQ(r.state()->view_month, 12);
    EXPECT_NE(node_with_text(r.rig.h.ctx, "January 2026"), nullptr);
    r.click(next);
    r.click(next);
    EXPECT_EQ(r.state()->view_year, 2026);
    EXPECT_EQ(r.state()->view_month, 2);
}

TEST(DateRangePicker, PresetsWriteTheirRangesAndKeepThePopupOpen)
{
    range_rig r;
    r.click(r.field());
    r.rig.h.run();
    qel_date today = qel_today(nullptr);
    r.click(r.preset("Last 7 days", 2));
    EXPECT_TRUE(r.open());
    EXPECT_TRUE(same(r.range.end, today));
    EXPECT_EQ(qel_days_from_civil(r.range.end) - qel_days_from_civil(r.range.start), 6);
    r.click(r.preset("Last month", 5));
    EXPECT_EQ(r.range.start.day, 1);
    int32_t length = qel_days_from_civil(r.range.end) - qel_days_from_civil(r.range.start) + 1;
    EXPECT_GE(length, 28);
    EXPECT_LE(length, 31);
    EXPECT_EQ(qel_days_from_civil(r.range.end) + 1,
              qel_days_from_civil({today.year, today.month, 1})) << "last month ends the day before this one began";
    EXPECT_EQ(r.changes, 2);
}

TEST(DateRangePicker, ThePopupShowsTwoMonthsOnlyWhenTheDisplayHasRoom)
{
    for (float width : {700.0f, 729.0f}) {
        range_rig r(width);
        r.show(2026, 5);
        bool two = r.rig.h.rect(r.day({2026, 6, 10})).w > 0;
        EXPECT_EQ(two, width >= 729) << width;
    }
}
