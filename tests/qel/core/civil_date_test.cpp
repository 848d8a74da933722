// Day numbers at the worked dates, across month, year and era edges and at the ends of the range.
// Every day of years 1 to 9999 is compared with Python's calendar by dates_vs_python.py.
#include "qel/civil_date.h"

#include <gtest/gtest.h>

#include <cstdint>

static bool same(qel_date a, qel_date b)
{
    return a.year == b.year && a.month == b.month && a.day == b.day;
}

TEST(CivilDate, WorkedDatesHaveTheirDayNumbers)
{
    const struct {
        qel_date date;
        int32_t days;
    } cases[] = {
        {{1970, 1, 1}, 0},        {{1969, 12, 31}, -1},     {{2000, 2, 29}, 11016},  {{2000, 3, 1}, 11017},
        {{1900, 2, 28}, -25509},  {{1900, 3, 1}, -25508},   {{1, 1, 1}, -719162},    {{0, 3, 1}, -719468},
        {{2026, 12, 9}, 20796},   {{2024, 2, 29}, 19782},   {{0, 2, 29}, -719469},   {{-1, 12, 31}, -719529},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qel_days_from_civil(c.date), c.days) << c.date.year << "-" << c.date.month << "-" << c.date.day;
        EXPECT_TRUE(same(qel_civil_from_days(c.days), c.date)) << c.days;
    }
}

TEST(CivilDate, MonthsAndDaysOutOfRangeCountOnFromTheNearestDate)
{
    const struct {
        qel_date given;
        qel_date meant;
    } cases[] = {
        {{2024, 2, 30}, {2024, 3, 1}},   {{2024, 3, 0}, {2024, 2, 29}},  {{1900, 2, 29}, {1900, 3, 1}},
        {{2024, 0, 15}, {2023, 12, 15}}, {{2024, 13, 1}, {2025, 1, 1}},  {{2024, 14, 29}, {2025, 3, 1}},
        {{2024, -1, 1}, {2023, 11, 1}},  {{2024, -12, 5}, {2022, 12, 5}}, {{2024, 25, 1}, {2026, 1, 1}},
        {{2024, 1, -30}, {2023, 12, 1}}, {{2024, 1201, 1}, {2124, 1, 1}},  {{2024, -1199, 1}, {1924, 1, 1}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qel_days_from_civil(c.given), qel_days_from_civil(c.meant)) << c.given.year << "-" << c.given.month << "-" << c.given.day;
}

TEST(CivilDate, DaysRoundTripAndStayConsecutiveOverTheWholeRange)
{
    auto check_span = [](int64_t first, int64_t last) {
        qel_date previous = qel_civil_from_days((int32_t)first);
        for (int64_t d = first; d <= last; d++) {
            qel_date date = qel_civil_from_days((int32_t)d);
            ASSERT_EQ(qel_days_from_civil(date), d);
            ASSERT_GE(date.month, 1);
            ASSERT_LE(date.month, 12);
            ASSERT_GE(date.day, 1);
            if (d > first && date.day != previous.day + 1) {
                ASSERT_EQ(date.day, 1) << d;
                ASSERT_TRUE(date.month == previous.month + 1 || (date.month == 1 && previous.month == 12 && date.year == previous.year + 1)) << d;
            }
            previous = date;
        }
    };
    check_span(-800000, 800000);
    check_span(INT32_MIN, INT32_MIN + 1000);
    check_span(INT32_MAX - 1000, INT32_MAX);
    for (int64_t d = INT32_MIN; d <= INT32_MAX - 99991; d += 99991) check_span(d, d + 3);
}

TEST(CivilDate, DatesBeyondTheRangeGiveItsNearestEnd)
{
    EXPECT_EQ(qel_days_from_civil({INT32_MAX, 12, 31}), INT32_MAX);
    EXPECT_EQ(qel_days_from_civil({INT32_MIN, 1, 1}), INT32_MIN);
    qel_date last = qel_civil_from_days(INT32_MAX);
    EXPECT_EQ(qel_days_from_civil({last.year, last.month, last.day + 1}), INT32_MAX);
}

TEST(CivilDate, WeekdaysFollowFromDayNumbers)
{
    // 1970-01-01 was a Thursday; weeks start on Monday.
    EXPECT_EQ(qel_weekday(qel_days_from_civil({1970, 1, 1})), 3);
    EXPECT_EQ(qel_weekday(qel_days_from_civil({2026, 3, 1})), 6);
    EXPECT_EQ(qel_weekday(qel_days_from_civil({1, 1, 1})), 0);
    EXPECT_EQ(qel_weekday(qel_days_from_civil({1969, 12, 29})), 0);
    for (int32_t d = -800; d < 800; d++) EXPECT_EQ(qel_weekday(d + 1), (qel_weekday(d) + 1) % 7) << d;
    // The ends of the range, where d + 3 would overflow in 32 bits.
    EXPECT_EQ(qel_weekday(INT32_MAX), (int32_t)(((int64_t)INT32_MAX + 3) % 7));
    EXPECT_EQ(qel_weekday(INT32_MIN), (int32_t)((((int64_t)INT32_MIN + 3) % 7 + 7) % 7));
}

TEST(CivilDate, MonthLengthsFollowTheLeapRules)
{
    struct {
        int32_t year, month, days;
    } cases[] = {{2026, 1, 31}, {2026, 4, 30}, {2026, 2, 28}, {2024, 2, 29}, {2000, 2, 29},
                 {1900, 2, 28}, {0, 2, 29},    {-4, 2, 29},   {-100, 2, 28}, {2026, 12, 31}};
    for (const auto& c : cases) {
        EXPECT_EQ(qel_days_in_month(c.year, c.month), c.days) << c.year << "-" << c.month;
        // The day after the month's last is the first of the next.
        EXPECT_EQ(qel_days_from_civil({c.year, c.month, c.days}) + 1, qel_days_from_civil({c.year, c.month + 1, 1}));
    }
}
