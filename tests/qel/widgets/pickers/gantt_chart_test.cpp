// The Gantt chart as a user drives it: bars dragged by their body and edges in whole days and
// pinned to the chart, short presses that click, arrow keys, a drag that leaves the window, and
// the chart with dependencies, a milestone and a marker in light and dark.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "qel/qel.h"
#include "support/widget_rig.h"
#include "planning_gestures.h"

static const qel_date START = {2026, 12, 21};  // a Monday; the month turns after 11 days

struct gantt_driver {
    widget_rig rig;
    std::vector<qel_gantt_task> tasks;
    qel_gantt_options options = {};
    int32_t days = 20;
    std::vector<int32_t> clicks;

    explicit gantt_driver(uint32_t mode = QEL_THEME_LIGHT) : rig(900, 360, mode)
    {
        tasks = {{"Collect prices", "Ana Ruiz", 2, 5, 1, 2, -1, 0},
                 {"Print labels", "Ben Okafor", 4, 9, 0.6f, 1, 0, 0},
                 {"Shelf check", nullptr, 6, 8, 0.2f, 5, 1, 0},
                 {"Go live", nullptr, 12, 12, 0, 4, 1, 1}};
        options.marker_day = 7;
        rig.h.ui = [this](qel_context* ctx) {
            board_begin(ctx);
            int32_t c = qel_gantt(ctx, "plan", tasks.data(), (int32_t)tasks.size(), &START, days, &options);
            if (c >= 0) clicks.push_back(c);
            qel_container_end(ctx);
        };
        rig.h.run(2);
    }
    qel_rect bar(int32_t index)
    {
        return rig.h.rect(qel_hash_bytes(&index, 4, qel_hash_str("plan", 0x9e3779b9u) ^ PART_GANTT_BAR));
    }
    // Presses at a point of the bar (0 its left edge, 1 its right edge), moves dx in steps, lets go.
    void drag(int32_t index, float at, float dx)
    {
        qel_rect r = bar(index);
        float x = r.x + 2 + at * (r.w - 4), y = r.y + r.h / 2;
        drag_along(rig.h, {x, y}, {x + dx, y}, 4);
    }
};

TEST(GanttChart, DragsSnapToDaysAndStayOnTheChart)
{
    struct {
        float at, dx;  // where the bar is held and how far it is dragged, in pixels
        int32_t start, end;
    } cases[] = {
        {0.5f, 44, 3, 6},      // 1.47 days round to one
        {0.5f, -40, 1, 4},     // -1.33 to -1
        {0.5f, -400, 0, 3},    // pinned at day 0
        {0.5f, 900, 17, 20},   // and at the last day
        {0.0f, 31, 3, 5},      // the left edge
        {0.0f, 200, 4, 5},     // to or past the end leaves one day
        {1.0f, 60, 2, 7},      // the right edge
        {1.0f, -200, 2, 3},    // never before the start
        {1.0f, 900, 2, 20},
    };
    for (const auto& c : cases) {
        gantt_driver g;
        g.drag(0, c.at, c.dx);
        EXPECT_EQ(g.tasks[0].start, c.start) << c.at << " " << c.dx;
        EXPECT_EQ(g.tasks[0].end, c.end) << c.at << " " << c.dx;
        EXPECT_TRUE(g.clicks.empty());
    }
    // A milestone only moves, whichever part of it is held.
    gantt_driver g;
    g.drag(3, 0, 60);
    EXPECT_EQ(g.tasks[3].start, 14);
    EXPECT_EQ(g.tasks[3].end, 14);
    // Read only: the drag reports nothing and changes nothing.
    g.options.read_only = 1;
    g.drag(1, 0.5f, 90);
    EXPECT_EQ(g.tasks[1].start, 4);
    EXPECT_TRUE(g.clicks.empty());
}

TEST(GanttChart, ShortPressesClickAndKeysEdit)
{
    gantt_driver g;
    g.drag(1, 0.5f, 3);
    EXPECT_EQ(g.clicks, std::vector<int32_t>{1});
    EXPECT_EQ(g.tasks[1].start, 4);
    EXPECT_EQ(g.tasks[1].end, 9);

    uint32_t bar = qel_hash_bytes(&(const int32_t&)1, 4, qel_hash_str("plan", 0x9e3779b9u) ^ PART_GANTT_BAR);
    qel_set_focus(g.rig.h.ctx, bar, true);
    g.rig.h.run();
    struct {
        int32_t key;
        uint32_t mods;
        int32_t start, end;
    } steps[] = {{QEL_KEY_RIGHT, 0, 5, 10},           {QEL_KEY_RIGHT, QEL_MOD_SHIFT, 5, 11},
                 {QEL_KEY_LEFT, QEL_MOD_SHIFT, 5, 10}, {QEL_KEY_LEFT, 0, 4, 9}};
    for (const auto& s : steps) {
        g.rig.h.tap(s.key, s.mods);
        g.rig.h.run();
        EXPECT_EQ(g.tasks[1].start, s.start) << s.key << " " << s.mods;
        EXPECT_EQ(g.tasks[1].end, s.end) << s.key << " " << s.mods;
    }
    g.clicks.clear();
    g.rig.h.tap(QEL_KEY_ENTER);
    g.rig.h.run();
    EXPECT_EQ(g.clicks, std::vector<int32_t>{1});
}

TEST(GanttChart, AFocusedBarKeepsItsFillAndGainsARing)
{
    gantt_driver g;
    qel_rect r = g.bar(1);
    // Inside the progress part, left of the title; and just outside the bar's right end.
    float x = r.x + 5, y = r.y + r.h / 2, out_x = r.x + r.w + 2;
    picture before = g.rig.shot();
    qel_set_focus(g.rig.h.ctx, qel_hash_bytes(&(const int32_t&)1, 4, qel_hash_str("plan", 0x9e3779b9u) ^ PART_GANTT_BAR), true);
    g.rig.h.run(2);
    picture after = g.rig.shot();
    EXPECT_EQ(pixel_at(after, x, y), pixel_at(before, x, y)) << "the bar is still drawn";
    EXPECT_NE(pixel_at(after, out_x, y), pixel_at(before, out_x, y)) << "the ring shows around it";
}

TEST(GanttChart, PointerOutsideTheWindowIsNoPlace)
{
    gantt_driver g;
    qel_rect r = g.bar(0);
    press_and_leave(g.rig.h, {r.x + r.w / 2, r.y + r.h / 2}, {r.x + r.w / 2 + 60, r.y + r.h / 2});
    EXPECT_EQ(g.tasks[0].start, 4);
    EXPECT_EQ(g.tasks[0].end, 7);
    drop_outside(g.rig.h);
    EXPECT_TRUE(g.clicks.empty());
}

TEST(GanttChart, SizesAndDaysFallBackToDefaults)
{
    gantt_driver g;
    for (float bad : {0.0f, -5.0f, NAN, INFINITY}) {
        g.options.day_width = bad;
        g.options.row_height = bad;
        g.rig.h.run(2);
        EXPECT_FLOAT_EQ(g.bar(0).w, 3 * 30 - 4) << bad;
        EXPECT_FLOAT_EQ(g.bar(0).h, 40 - 16) << bad;
    }
    // The month turns inside the range: two month cells.
    EXPECT_NE(node_with_text(g.rig.h.ctx, "December 2026"), nullptr);
    EXPECT_NE(node_with_text(g.rig.h.ctx, "January 2027"), nullptr);
    g.days = 0;
    g.rig.h.run(2);
    EXPECT_EQ(node_with_text(g.rig.h.ctx, "December 2026"), nullptr);
    g.days = -3;
    g.rig.h.run(2);
}

class GanttPictures : public ::testing::TestWithParam<uint32_t> {};

TEST_P(GanttPictures, TasksWithDependenciesAndAMarker)
{
    gantt_driver g(GetParam());
    g.rig.h.run(2);
    EXPECT_TRUE(picture_matches(g.rig.shot(), themed_picture("qel/planning_", "gantt", GetParam()), PICTURE_TOLERANCE));
}

INSTANTIATE_TEST_SUITE_P(Themes, GanttPictures, theme_modes(), theme_name);
