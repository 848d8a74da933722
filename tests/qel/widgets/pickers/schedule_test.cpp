// The week schedule as a user drives it: blocks dragged to other days and times and pinned to
// the grid, bottom edges dragged, arrow keys in quarter hours, clicks, overlapping events side by
// side or cascaded, and the week in light and dark.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "qel/qel.h"
#include "support/widget_rig.h"
#include "planning_gestures.h"

// A week far from today's, so that no current-time line shows.
static const qel_date MONDAY = {2030, 3, 4};

struct schedule_driver {
    widget_rig rig;
    std::vector<qel_schedule_event> events;
    qel_schedule_options options = {};
    std::vector<int32_t> clicks;

    explicit schedule_driver(uint32_t mode = QEL_THEME_LIGHT) : rig(900, 620, mode)
    {
        options.hour_height = 30;  // 7:00 to 21:00 in 421 pixels: the whole day in view
        events = {{"Delivery", "Back door", 1, 9, 10, 2}};
        rig.h.ui = [this](qel_context* ctx) {
            board_begin(ctx);
            int32_t c = qel_schedule(ctx, "week", &MONDAY, events.data(), (int32_t)events.size(), &options);
            if (c >= 0) clicks.push_back(c);
            qel_container_end(ctx);
        };
        rig.h.run(2);
    }
    uint32_t week() { return qel_hash_str("week", 0x9e3779b9u); }
    qel_rect block(int32_t index) { return rig.h.rect(qel_hash_bytes(&index, 4, week() ^ PART_SCHEDULE_BLOCK)); }
    qel_rect body() { return rig.h.rect(week() ^ PART_SCHEDULE_BODY); }
    // Presses at (dx, dy) from the block's top-left, moves to (x, y) in steps and lets go.
    void drag(int32_t index, float dx, float dy, float x, float y)
    {
        qel_rect r = block(index);
        drag_along(rig.h, {r.x + dx, r.y + dy}, {x, y}, 4);
    }
    float hour_y(float hour) { return body().y + (hour - 7) * 30; }
    float day_x(int32_t day) { return body().x + 60 + ((float)day + 0.5f) * (body().w - 60) / 7; }
};

TEST(WeekSchedule, BlocksDragInQuarterHoursAndStayOnTheGrid)
{
    struct {
        const char* what;
        float at;             // where the block is held, from its top; < 0: its bottom edge
        int32_t day;          // where it is let go
        float hour;
        int32_t to_day;
        float start, end;
    } cases[] = {
        {"move", 10, 3, 13.1f, 3, 13, 14},
        {"move to a quarter", 10, 0, 11.45f, 0, 11.5f, 12.5f},
        {"to the top", 10, 2, 6.0f, 2, 7, 8},
        {"below the grid", 10, 5, 25.0f, 5, 20, 21},
        {"longer", -2, 1, 11.6f, 1, 9, 11.5f},
        {"above the start", -2, 1, 7.5f, 1, 9, 9.25f},
    };
    for (const auto& c : cases) {
        schedule_driver s;
        qel_rect r = s.block(0);
        float at = c.at < 0 ? r.h + c.at : c.at;
        // The pointer keeps its grab offset for a move; an edge follows the pointer itself.
        float y = s.hour_y(c.hour) + (c.at < 0 ? 0 : at);
        s.drag(0, 30, at, s.day_x(c.day), std::min(y, 615.0f));
        EXPECT_EQ(s.events[0].day, c.to_day) << c.what;
        EXPECT_FLOAT_EQ(s.events[0].start, c.start) << c.what;
        EXPECT_FLOAT_EQ(s.events[0].end, c.end) << c.what;
        EXPECT_TRUE(s.clicks.empty()) << c.what;
    }
}

TEST(WeekSchedule, ShortPressesClickAlsoWhenReadOnly)
{
    for (uint8_t read_only : {0, 1}) {
        schedule_driver s;
        s.options.read_only = read_only;
        s.rig.h.run();
        qel_rect r = s.block(0);
        s.drag(0, 30, 10, r.x + 32, r.y + 12);  // 4 pixels of travel
        EXPECT_EQ(s.clicks, std::vector<int32_t>{0});
        s.drag(0, 30, 10, r.x + 30, r.y + 200);
        EXPECT_FLOAT_EQ(s.events[0].start, read_only ? 9.0f : 15.25f);  // 190 pixels down: 6.33 hours
        EXPECT_EQ(s.clicks.size(), 1u);
    }
}

TEST(WeekSchedule, PointerOutsideTheWindowIsNoTime)
{
    schedule_driver s;
    qel_rect r = s.block(0);
    press_and_leave(s.rig.h, {r.x + 20, r.y + 10}, {r.x + 20, r.y + 40});
    EXPECT_FLOAT_EQ(s.events[0].start, 10);
    EXPECT_EQ(s.events[0].day, 1);
    drop_outside(s.rig.h);
    EXPECT_TRUE(std::isfinite(s.events[0].end));
    EXPECT_TRUE(s.clicks.empty());
}

TEST(WeekSchedule, KeysMoveInQuarterHours)
{
    schedule_driver s;
    qel_set_focus(s.rig.h.ctx, qel_hash_bytes(&(const int32_t&)0, 4, s.week() ^ PART_SCHEDULE_BLOCK), true);
    s.rig.h.run();
    struct {
        int32_t key;
        uint32_t mods;
        int32_t day;
        float start, end;
    } steps[] = {
        {QEL_KEY_DOWN, 0, 1, 9.25f, 10.25f},           {QEL_KEY_UP, 0, 1, 9, 10},
        {QEL_KEY_DOWN, QEL_MOD_SHIFT, 1, 9, 10.25f},   {QEL_KEY_UP, QEL_MOD_SHIFT, 1, 9, 10},
        {QEL_KEY_RIGHT, 0, 2, 9, 10},                  {QEL_KEY_LEFT, 0, 1, 9, 10},
    };
    for (const auto& k : steps) {
        s.rig.h.tap(k.key, k.mods);
        s.rig.h.run();
        EXPECT_EQ(s.events[0].day, k.day) << k.key;
        EXPECT_FLOAT_EQ(s.events[0].start, k.start) << k.key;
        EXPECT_FLOAT_EQ(s.events[0].end, k.end) << k.key;
    }
    for (int i = 0; i < 8; i++) s.rig.h.tap(QEL_KEY_RIGHT);
    s.rig.h.run();
    EXPECT_EQ(s.events[0].day, 6);
    for (int i = 0; i < 6; i++) s.rig.h.tap(QEL_KEY_UP, QEL_MOD_SHIFT);
    s.rig.h.run();
    EXPECT_FLOAT_EQ(s.events[0].end, 9.25f);
    s.clicks.clear();
    s.rig.h.tap(QEL_KEY_ENTER);
    s.rig.h.run();
    EXPECT_EQ(s.clicks, std::vector<int32_t>{0});
}

TEST(WeekSchedule, AFocusedBlockKeepsItsStripAndGainsARing)
{
    schedule_driver s;
    qel_rect r = s.block(0);
    // On the colour strip at the block's left; and just below the block.
    float x = r.x + 4, y = r.y + r.h / 2, below = r.y + r.h + 2;
    picture before = s.rig.shot();
    qel_set_focus(s.rig.h.ctx, qel_hash_bytes(&(const int32_t&)0, 4, s.week() ^ PART_SCHEDULE_BLOCK), true);
    s.rig.h.run(2);
    picture after = s.rig.shot();
    EXPECT_EQ(pixel_at(after, x, y), pixel_at(before, x, y)) << "the strip is still drawn";
    EXPECT_NE(pixel_at(after, r.x + r.w / 2, below), pixel_at(before, r.x + r.w / 2, below)) << "the ring shows around it";
}

TEST(WeekSchedule, OverlapsSitSideBySideOrCascade)
{
    schedule_driver s;
    s.events = {{"A", nullptr, 0, 9, 10, 1},   {"B", nullptr, 0, 9.25f, 10.5f, 2},
                {"C", nullptr, 2, 9, 11, 3},   {"D", nullptr, 2, 10, 11, 4},
                {"Lost", nullptr, 3, NAN, 11, 5}, {"Gone", nullptr, 7, 9, 10, 5}};
    s.rig.h.run(2);
    float dw = (s.body().w - 60) / 7;
    qel_rect a = s.block(0), b = s.block(1), c = s.block(2), d = s.block(3);
    EXPECT_NEAR(a.w, (dw - 6) / 2 - 2, 0.01);
    EXPECT_NEAR(b.x - a.x, (dw - 6) / 2, 0.01);
    float shift = std::min(0.3f * dw, 32.0f);
    EXPECT_NEAR(d.x - c.x, shift, 0.01);
    EXPECT_NEAR(d.w, dw - 6 - shift - 2, 0.01);
    EXPECT_NEAR(c.w, dw - 6 - 2, 0.01);
    EXPECT_EQ(s.block(4).w, 0);
    EXPECT_EQ(s.block(5).w, 0);
}

TEST(WeekSchedule, HoursFallBackAndTimesRoundWhole)
{
    schedule_driver s;
    for (float bad : {6.0f, NAN}) {
        s.options.first_hour = 22;
        s.options.last_hour = bad;
        s.rig.h.run(2);
        EXPECT_FLOAT_EQ(s.body().h, 14 * 30 + 1) << bad;
    }
    s.options.hour_height = NAN;
    s.options.body_height = {QEL_SIZE_FIXED, 900};
    s.events[0].start = 9.999f;
    s.events[0].end = 11.2f;
    s.rig.h.run(2);
    EXPECT_FLOAT_EQ(s.body().h, 14 * 52 + 1);
    EXPECT_NE(node_with_text(s.rig.h.ctx, "10:00 \xE2\x80\x93 11:12"), nullptr);
}

class SchedulePictures : public ::testing::TestWithParam<uint32_t> {};

TEST_P(SchedulePictures, WeekWithOverlappingBlocks)
{
    schedule_driver s(GetParam());
    s.events = {{"Delivery", "Back door", 0, 8.5f, 10, 2},  {"Price check", "Aisle 3", 0, 9, 10.5f, 1},
                {"Reprint tags", nullptr, 1, 10, 10.5f, 8}, {"Stocktake", "Whole shop", 2, 9, 12.5f, 4},
                {"Supplier call", nullptr, 2, 11, 12, 5},   {"Team lunch", "Cafe", 3, 12, 13, 6},
                {"Shelf labels", "Tea wall", 4, 14, 16.25f, 3}, {"Close early", nullptr, 5, 16, 17, 7}};
    s.rig.h.run(2);
    s.rig.h.move(s.block(6).x + 20, s.block(6).y + 20);
    s.rig.h.run(2);
    EXPECT_TRUE(picture_matches(s.rig.shot(), themed_picture("qel/planning_", "schedule", GetParam()), PICTURE_TOLERANCE));
}

INSTANTIATE_TEST_SUITE_P(Themes, SchedulePictures, theme_modes(), theme_name);
