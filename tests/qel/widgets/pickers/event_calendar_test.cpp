// The event calendar as a user drives it: the month's lanes and more chips, days chosen by
// pointer and keys, the compact grid's agenda, and the calendar in light and dark.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "qel/icons.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

static int32_t day_of(int32_t y, int32_t m, int32_t d)
{
    return qel_days_from_civil({y, m, d});
}

static qel_calendar_event all_day(const char* title, qel_date start, uint32_t color = 1)
{
    return {title, start, {0, 0, 0}, 0, 1, color};
}

static qel_calendar_event span(const char* title, qel_date start, qel_date end, uint32_t color = 2)
{
    return {title, start, end, 0, 0, color};
}

static qel_calendar_event timed(const char* title, qel_date start, float hour, uint32_t color = 3)
{
    return {title, start, {0, 0, 0}, hour, 0, color};
}

// The month's segments laid out as the widget lays them out.
struct month_layout {
    int32_t grid_start = 0, rows = 0;
    std::vector<qel_calendar_segment> segments;
};

static month_layout lay_out(qel_context* ctx, int32_t year, int32_t month, int32_t lanes,
                            const std::vector<qel_calendar_event>& events)
{
    month_layout m;
    qel_event_calendar_grid(year, month, 0, &m.grid_start, &m.rows);
    int32_t chip_count = 0;
    const qel_calendar_event* e = events.data();
    int32_t n = (int32_t)events.size();
    qel_calendar_chip* chips = qel_event_calendar_collect_timed(ctx, m.grid_start, m.rows * 7, e, n, &chip_count);
    m.segments.resize(QEL_CALENDAR_SEGMENT_MAX);
    m.segments.resize((size_t)qel_event_calendar_layout(m.segments.data(), m.grid_start, m.rows, lanes, e, n, chips,
                                                        chip_count));
    return m;
}

TEST(EventCalendarLayout, GridsRunFourToSixWeeks)
{
    struct {
        int32_t year, month, first_weekday, rows, start_day;
    } cases[] = {
        {2021, 2, 0, 4, 1},     // 28 days from a Monday
        {2021, 8, 0, 6, 26},    // 31 days from a Sunday, the last column
        {2021, 8, 6, 5, 1},     // the same month with Sunday first
        {2024, 2, 0, 5, 29},    // a leap February from a Thursday: 29 January starts the grid
    };
    for (const auto& c : cases) {
        int32_t start = 0, rows = 0;
        qel_event_calendar_grid(c.year, c.month, c.first_weekday, &start, &rows);
        EXPECT_EQ(rows, c.rows) << c.year << "-" << c.month;
        EXPECT_EQ(qel_civil_from_days(start).day, c.start_day) << c.year << "-" << c.month;
        EXPECT_EQ(((start + 3) % 7 + 7) % 7, c.first_weekday);
    }
}

TEST(EventCalendarLayout, TimeLabelsRoundWholeMinutes)
{
    qel_headless h;
    struct {
        float hour;
        bool twelve;
        const char* label;
    } cases[] = {
        {0, true, "12a"},        {9.5f, true, "9:30a"},     {12, true, "12p"},     {23.99f, true, "11:59p"},
        {16.5f, true, "4:30p"},  {24, false, "0:00"},       {25, false, "0:00"},   {-1, false, "0:00"},
        {NAN, false, "0:00"},    {NAN, true, "12a"},        {9.999f, false, "10:00"}, {21.5f, false, "21:30"},
        {23.9999f, false, "0:00"}, {INFINITY, false, "0:00"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(qel_event_time_label(h.ctx, c.hour, c.twelve), c.label) << c.hour << (c.twelve ? " 12h" : " 24h");
}

TEST(EventCalendarLayout, FullDayGetsTwoBarsAndAMoreChip)
{
    qel_headless h;
    std::vector<qel_calendar_event> events;
    for (int i = 0; i < 5; i++) events.push_back(all_day("Stocktake", {2026, 12, 9}));
    month_layout m = lay_out(h.ctx, 2026, 12, 3, events);
    ASSERT_EQ(m.segments.size(), 3u);
    for (int lane = 0; lane < 2; lane++) {
        EXPECT_EQ(m.segments[lane].kind, QEL_SEGMENT_BAR);
        EXPECT_EQ(m.segments[lane].lane, lane);
        EXPECT_EQ(m.segments[lane].event, lane);
    }
    const qel_calendar_segment& more = m.segments[2];
    EXPECT_EQ(more.kind, QEL_SEGMENT_MORE);
    EXPECT_EQ(more.lane, 2);
    EXPECT_EQ(more.hidden, 3);
    EXPECT_EQ(more.first_day, day_of(2026, 12, 9));
}

TEST(EventCalendarLayout, BarsAcrossWeeksAndMonthsContinue)
{
    qel_headless h;
    // From the 30th of November to the 2nd of December: the end of one grid, the start of the next.
    std::vector<qel_calendar_event> events = {span("Fair", {2026, 11, 30}, {2026, 12, 2}),
                                              span("Inventory", {2026, 12, 5}, {2026, 12, 16})};
    month_layout nov = lay_out(h.ctx, 2026, 11, 3, events);
    month_layout dec = lay_out(h.ctx, 2026, 12, 3, events);
    // November 2026 starts on a Sunday: the 30th opens the sixth row and the fair runs to its end.
    ASSERT_EQ(nov.segments.size(), 2u);  // the fair, and the inventory's first two days
    EXPECT_EQ(nov.segments[0].row, 5);
    EXPECT_EQ(nov.segments[0].first_col, 0);
    EXPECT_EQ(nov.segments[0].last_col, 2);
    // December's grid starts on the same Monday, so the fair shows whole there too.
    ASSERT_EQ(dec.segments.size(), 4u);
    EXPECT_EQ(dec.segments[0].event, 0);
    EXPECT_FALSE(dec.segments[0].continues_before);
    // The inventory runs from Saturday over a whole week into a third: continued on the cut sides.
    struct {
        int16_t row, first, last;
        uint8_t before, after;
    } parts[] = {{0, 5, 6, 0, 1}, {1, 0, 6, 1, 1}, {2, 0, 2, 1, 0}};
    for (int i = 0; i < 3; i++) {
        const qel_calendar_segment& s = dec.segments[(size_t)i + 1];
        EXPECT_EQ(s.event, 1);
        EXPECT_EQ(s.row, parts[i].row);
        EXPECT_EQ(s.first_col, parts[i].first);
        EXPECT_EQ(s.last_col, parts[i].last);
        EXPECT_EQ(s.continues_before, parts[i].before);
        EXPECT_EQ(s.continues_after, parts[i].after);
        EXPECT_EQ(s.first_day, dec.grid_start + 7 * s.row + s.first_col);
    }
}

TEST(EventCalendarLayout, MoreChipSplitsTheBarInTheLastLane)
{
    qel_headless h;
    // Two bars fill lanes 0 and 1 from Monday to Sunday; a third in lane 2 runs Tuesday to Friday,
    // and Wednesday holds a timed event that no lane has room for.
    std::vector<qel_calendar_event> events = {
        span("Week A", {2026, 12, 7}, {2026, 12, 13}), span("Week B", {2026, 12, 7}, {2026, 12, 13}),
        span("Sale", {2026, 12, 8}, {2026, 12, 11}), timed("Delivery", {2026, 12, 9}, 9),
        timed("Call", {2026, 12, 9}, 14)};
    month_layout m = lay_out(h.ctx, 2026, 12, 3, events);
    std::vector<const qel_calendar_segment*> sale;
    const qel_calendar_segment* more = nullptr;
    for (const auto& s : m.segments) {
        if (s.event == 2) sale.push_back(&s);
        if (s.kind == QEL_SEGMENT_MORE) more = &s;
        EXPECT_NE(s.event, 3);
        EXPECT_NE(s.event, 4);
    }
    ASSERT_NE(more, nullptr);
    EXPECT_EQ(more->hidden, 3);  // the two timed events and the sale's Wednesday
    EXPECT_EQ(more->first_col, 2);
    ASSERT_EQ(sale.size(), 2u);
    EXPECT_EQ(sale[0]->first_col, 1);
    EXPECT_EQ(sale[0]->last_col, 1);
    EXPECT_TRUE(sale[0]->continues_after);
    EXPECT_FALSE(sale[0]->continues_before);
    EXPECT_EQ(sale[1]->first_col, 3);
    EXPECT_EQ(sale[1]->last_col, 4);
    EXPECT_TRUE(sale[1]->continues_before);
    EXPECT_FALSE(sale[1]->continues_after);
    EXPECT_EQ(sale[1]->first_day, day_of(2026, 12, 10));
}

TEST(EventCalendarLayout, SegmentTableNeverOverflows)
{
    qel_headless h;
    // 64 lanes: week one nearly full of chips (447), week two 64 full-week bars, so the table
    // holds 511 when Wednesday's hidden chip wants the last lane's bar split in two.
    std::vector<qel_calendar_event> events;
    for (int d = 0; d < 7; d++)
        for (int k = 0; k < (d == 6 ? 63 : 64); k++) events.push_back(timed("x", {2026, 11, 30 + d}, (float)k / 8));
    for (int k = 0; k < 64; k++) events.push_back(span("bar", {2026, 12, 7}, {2026, 12, 13}));
    events.push_back(timed("late", {2026, 12, 9}, 20));
    month_layout m = lay_out(h.ctx, 2026, 12, 64, events);
    ASSERT_LE(m.segments.size(), (size_t)QEL_CALENDAR_SEGMENT_MAX);
    for (const auto& s : m.segments) {
        EXPECT_LE(s.first_col, s.last_col);
        if (s.row == 1 && s.lane == 63) {
            EXPECT_TRUE(s.first_col == 0 && s.last_col == 6) << "the last bar was cut";
        }
    }
    // Far more events than the table holds are counted, never written past its end.
    std::vector<qel_calendar_event> many(3000, timed("x", {2026, 12, 9}, 8));
    month_layout tall = lay_out(h.ctx, 2026, 12, 600, many);
    EXPECT_EQ(tall.segments.size(), (size_t)QEL_CALENDAR_SEGMENT_MAX);
}

// --- Driven as a user drives it ---

static const qel_date TODAY = {2026, 12, 9};

struct calendar_driver {
    widget_rig rig;
    qel_calendar_view view = {2026, 12};
    qel_date selected = {0, 0, 0};
    std::vector<qel_calendar_event> events;
    qel_event_calendar_options options = {};
    qel_event_calendar_result result = {};
    std::vector<qel_event_calendar_result> results;

    explicit calendar_driver(float width = 760, float height = 700, uint32_t mode = QEL_THEME_LIGHT)
        : rig(width, height, mode)
    {
        options.selected = &selected;
        options.today = TODAY;
        rig.h.ui = [this](qel_context* ctx) {
            result = qel_event_calendar(ctx, "cal", &view, events.data(), (int32_t)events.size(), &options);
            results.push_back(result);
        };
        rig.h.run(2);
    }
    qel_rect grid()
    {
        const qel_node* n = node_with_id(rig.h.ctx, qel_hash_str("cal", 0x9e3779b9u) ^ PART_CALENDAR_GRID);
        return n ? n->rect : qel_rect{};
    }
    // The centre of a day's cell, or of a point in its lane band.
    qel_vec2 cell(int32_t day, float dy = 0)
    {
        qel_rect g = grid();
        int32_t start = 0, rows = 0;
        qel_event_calendar_grid(view.year, view.month, 0, &start, &rows);
        int32_t k = day - start;
        float rh = g.h / (float)rows;
        return {g.x + (float)(k % 7) * g.w / 7 + g.w / 14, g.y + (float)(k / 7) * rh + (dy ? dy : rh / 2)};
    }
    void click(qel_vec2 p)
    {
        results.clear();
        rig.h.click(p.x, p.y);
        rig.h.run();
    }
    bool any(uint8_t qel_event_calendar_result::* flag)
    {
        for (const auto& r : results)
            if (r.*flag) return true;
        return false;
    }
    int32_t clicked_event()
    {
        for (const auto& r : results)
            if (r.clicked_event >= 0) return r.clicked_event;
        return -1;
    }
    void tap(int32_t key)
    {
        results.clear();
        rig.h.tap(key);
        rig.h.run();
    }
};

TEST(EventCalendar, ClicksChooseDaysAndReportEvents)
{
    calendar_driver d;
    d.events = {span("Fair", {2026, 12, 14}, {2026, 12, 16}), timed("Delivery", {2026, 12, 3}, 9.5f)};
    d.rig.h.run(2);
    d.click(d.cell(day_of(2026, 12, 22)));
    EXPECT_TRUE(d.any(&qel_event_calendar_result::date_changed));
    EXPECT_FALSE(d.any(&qel_event_calendar_result::date_activated));
    EXPECT_EQ(d.selected.year, 2026);
    EXPECT_EQ(d.selected.month, 12);
    EXPECT_EQ(d.selected.day, 22);

    // The bar's middle day and the chip report their events and leave the selection.
    d.click(d.cell(day_of(2026, 12, 15), 26 + 8));
    EXPECT_EQ(d.clicked_event(), 0);
    d.click(d.cell(day_of(2026, 12, 3), 26 + 8));
    EXPECT_EQ(d.clicked_event(), 1);
    EXPECT_EQ(d.selected.day, 22);

    // A second click in quick succession activates the day.
    qel_vec2 p = d.cell(day_of(2026, 12, 23));
    d.results.clear();
    d.rig.h.click(p.x, p.y);
    d.rig.h.click(p.x, p.y);
    d.rig.h.run();
    EXPECT_TRUE(d.any(&qel_event_calendar_result::date_activated));
    EXPECT_EQ(d.selected.day, 23);

    // A day of the next month on the grid's last row is chosen and the view follows it.
    d.click(d.cell(day_of(2027, 1, 2)));
    EXPECT_EQ(d.selected.year, 2027);
    EXPECT_EQ(d.view.month, 1);
    EXPECT_TRUE(d.any(&qel_event_calendar_result::month_changed));
}

TEST(EventCalendar, MoreChipListsTheDay)
{
    calendar_driver d;
    for (int i = 0; i < 4; i++) d.events.push_back(all_day(i == 3 ? "Last one" : "Stocktake", TODAY));
    d.events.push_back(timed("Tea delivery", TODAY, 9.5f));
    d.events.push_back(span("Elsewhere", {2026, 12, 1}, {2026, 12, 2}));
    d.rig.h.run(2);
    // The third lane of the day holds the more chip.
    d.click(d.cell(day_of(2026, 12, 9), 26 + 2 * 19 + 8));
    EXPECT_EQ(d.clicked_event(), -1);
    EXPECT_FALSE(d.any(&qel_event_calendar_result::date_changed));
    d.rig.h.run(2);
    ASSERT_NE(node_with_text(d.rig.h.ctx, "December 9"), nullptr);
    EXPECT_NE(node_with_text(d.rig.h.ctx, "9:30"), nullptr);
    EXPECT_EQ(node_with_text(d.rig.h.ctx, "Elsewhere"), nullptr);
    const qel_node* last = node_with_text(d.rig.h.ctx, "Last one");
    ASSERT_NE(last, nullptr);
    d.click({last->rect.x + 4, last->rect.y + last->rect.h / 2});
    EXPECT_EQ(d.clicked_event(), 3);
    d.rig.h.run(20);
    EXPECT_EQ(node_with_text(d.rig.h.ctx, "December 9"), nullptr);
}

TEST(EventCalendar, KeysMoveTheCursorAndTheMonth)
{
    calendar_driver d;
    d.view = {2027, 1};
    d.rig.h.run(2);
    d.click(d.cell(day_of(2027, 1, 31)));
    ASSERT_EQ(d.selected.day, 31);
    d.tap(QEL_KEY_PAGE_DOWN);  // clamped to the month's length; the view follows the cursor
    EXPECT_EQ(d.selected.month, 2);
    EXPECT_EQ(d.selected.day, 28);
    EXPECT_EQ(d.view.month, 2);
    EXPECT_TRUE(d.any(&qel_event_calendar_result::month_changed));
    struct {
        int32_t key;
        qel_date date;
    } steps[] = {{QEL_KEY_RIGHT, {2027, 3, 1}}, {QEL_KEY_UP, {2027, 2, 22}},      {QEL_KEY_LEFT, {2027, 2, 21}},
                 {QEL_KEY_DOWN, {2027, 2, 28}}, {QEL_KEY_PAGE_UP, {2027, 1, 28}}, {QEL_KEY_HOME, TODAY}};
    for (const auto& s : steps) {
        d.tap(s.key);
        EXPECT_EQ(d.selected.year, s.date.year) << s.key;
        EXPECT_EQ(d.selected.month, s.date.month) << s.key;
        EXPECT_EQ(d.selected.day, s.date.day) << s.key;
        EXPECT_EQ(d.view.month, s.date.month) << s.key;
    }
    d.tap(QEL_KEY_ENTER);
    EXPECT_TRUE(d.any(&qel_event_calendar_result::date_activated));
    // A leap year's February keeps its 29th.
    d.selected = {2024, 1, 31};
    d.view = {2024, 1};
    d.click(d.cell(day_of(2024, 1, 31)));
    d.tap(QEL_KEY_PAGE_DOWN);
    EXPECT_EQ(d.selected.day, 29);
}

TEST(EventCalendar, HeaderButtonsStepTheMonth)
{
    calendar_driver d;
    d.view = {2027, 3};
    d.rig.h.run(2);
    const qel_node* today = node_with_text(d.rig.h.ctx, "Today");
    ASSERT_NE(today, nullptr);
    qel_rect r = today->rect;
    d.click({r.x + r.w / 2, r.y + r.h / 2});
    EXPECT_EQ(d.view.year, 2026);
    EXPECT_EQ(d.view.month, 12);
    EXPECT_TRUE(d.any(&qel_event_calendar_result::month_changed));
    d.rig.h.run();
    EXPECT_NE(node_with_text(d.rig.h.ctx, "December 2026"), nullptr);
    // Next month, then a press on one of its days: the view stays on the month stepped to.
    const qel_node* next = node_with_text(d.rig.h.ctx, QEL_ICON_CHEVRON_RIGHT);
    ASSERT_NE(next, nullptr);
    d.click({next->rect.x + next->rect.w / 2, next->rect.y + next->rect.h / 2});
    EXPECT_EQ(d.view.month, 1);
    d.click(d.cell(day_of(2027, 1, 20)));
    EXPECT_EQ(d.view.month, 1);
    EXPECT_EQ(d.selected.day, 20);
}

TEST(EventCalendar, WithoutAViewEachCalendarKeepsItsOwnMonth)
{
    widget_rig rig(760, 1500);
    qel_event_calendar_options o = {};
    o.today = TODAY;
    rig.h.ui = [&o](qel_context* ctx) {
        qel_event_calendar(ctx, "first", nullptr, nullptr, 0, &o);
        qel_event_calendar(ctx, "second", nullptr, nullptr, 0, &o);
    };
    rig.h.run(2);
    const qel_node* next = node_with_text(rig.h.ctx, QEL_ICON_CHEVRON_RIGHT);  // the first calendar's
    ASSERT_NE(next, nullptr);
    rig.h.click(next->rect.x + next->rect.w / 2, next->rect.y + next->rect.h / 2);
    rig.h.run(2);
    EXPECT_NE(node_with_text(rig.h.ctx, "January 2027"), nullptr);
    EXPECT_NE(node_with_text(rig.h.ctx, "December 2026"), nullptr) << "the second calendar stays on its month";
}

// In the full grid each weekday name starts where the day numbers of its column start, 8 px in
// (a text node is drawn from its rectangle's left edge).
TEST(EventCalendar, WeekdayNamesSitOverTheirDayNumbers)
{
    calendar_driver d;
    qel_rect g = d.grid();
    ASSERT_GT(g.w, 0);
    const char* names[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    for (int32_t c = 0; c < 7; c++) {
        const qel_node* n = node_with_text(d.rig.h.ctx, names[c]);
        ASSERT_NE(n, nullptr) << names[c];
        EXPECT_NEAR(n->rect.x, g.x + (float)c * g.w / 7 + 8, 0.5f) << names[c];
    }
}

TEST(EventCalendar, CompactBelow520ShowsTheAgenda)
{
    for (float width : {519.0f, 520.0f}) {
        calendar_driver d(width, 800);
        d.events = {timed("Late delivery", TODAY, 16), span("Fair", {2026, 12, 8}, {2026, 12, 10}),
                    timed("Early call", TODAY, 8.25f), all_day("Stocktake", TODAY),
                    timed("Also early", TODAY, 8.25f)};
        d.selected = TODAY;
        d.rig.h.run(2);
        bool compact = node_with_text(d.rig.h.ctx, "Wednesday, 9 December") != nullptr;
        EXPECT_EQ(compact, width < 520) << width;
        if (!compact) continue;
        // Bars first in array order, then timed events by hour, equal hours in array order.
        const char* order[] = {"Fair", "Stocktake", "Early call", "Also early", "Late delivery"};
        float y = -1;
        for (const char* title : order) {
            const qel_node* n = node_with_text(d.rig.h.ctx, title);
            ASSERT_NE(n, nullptr) << title;
            EXPECT_GT(n->rect.y, y) << title;
            y = n->rect.y;
        }
        EXPECT_NE(node_with_text(d.rig.h.ctx, "3 days"), nullptr);
        EXPECT_NE(node_with_text(d.rig.h.ctx, "All day"), nullptr);
        EXPECT_NE(node_with_text(d.rig.h.ctx, "8:15"), nullptr);
        const qel_node* late = node_with_text(d.rig.h.ctx, "Late delivery");
        d.click({late->rect.x + 2, late->rect.y + 2});
        EXPECT_EQ(d.clicked_event(), 0);
        d.selected = {2026, 12, 1};
        d.rig.h.run(2);
        EXPECT_NE(node_with_text(d.rig.h.ctx, "No events"), nullptr);
    }
}

// --- Pictures ---

class EventCalendarPictures : public ::testing::TestWithParam<uint32_t> {};

TEST_P(EventCalendarPictures, MonthWithBarsChipsAndMore)
{
    calendar_driver d(788, 640, GetParam());
    d.rig.h.ui = [&d](qel_context* ctx) {
        board_begin(ctx);
        qel_event_calendar(ctx, "cal", &d.view, d.events.data(), (int32_t)d.events.size(), &d.options);
        qel_container_end(ctx);
    };
    d.events = {span("Winter fair", {2026, 11, 30}, {2026, 12, 2}, 5),
                span("Inventory", {2026, 12, 12}, {2026, 12, 16}, 2),
                all_day("Price update", {2026, 12, 9}, 3),
                all_day("Stocktake", {2026, 12, 9}, 4),
                timed("Tea delivery", {2026, 12, 9}, 9.5f, 6),
                timed("Label reprint", {2026, 12, 9}, 14, 1),
                timed("Supplier call", {2026, 12, 18}, 11, 7),
                timed("Late shift", {2026, 12, 23}, 17.25f, 8),
                all_day("Closed", {2026, 12, 25}, 4)};
    d.selected = {2026, 12, 18};
    d.rig.h.run(2);
    d.click(d.cell(day_of(2026, 12, 9), 26 + 2 * 19 + 8));
    d.rig.h.move(d.cell(day_of(2026, 12, 14), 26 + 8).x, d.cell(day_of(2026, 12, 14), 26 + 8).y);
    d.rig.h.run(20);
    EXPECT_TRUE(picture_matches(d.rig.shot(), themed_picture("qel/planning_", "calendar", GetParam()), PICTURE_TOLERANCE));
}

INSTANTIATE_TEST_SUITE_P(Themes, EventCalendarPictures, theme_modes(), theme_name);
