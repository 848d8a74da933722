// Split panes dragged by their divider: the ratio follows the pointer, stops at each pane's
// minimum and never leaves 0.02..0.98, in both orientations and right to left.
#include <gtest/gtest.h>

#include <cmath>

#include "qel/qel.h"
#include "support/widget_rig.h"

// A 600 x 300 window filled by one split.
struct split_rig {
    qel_config config = {};
    qel_headless h;
    float ratio;
    qel_split_options options = {};

    explicit split_rig(float start, uint8_t stacked = 0, uint32_t root_direction = 0)
        : config(with_direction(root_direction)), h(600, 300, 1, &config), ratio(start)
    {
        options.stacked = stacked;
        h.ui = [this](qel_context* ctx) {
            qel_split_begin(ctx, "split", &ratio, &options);
            qel_splitter(ctx);
            qel_split_end(ctx);
        };
        h.run(2);
    }
    static qel_config with_direction(uint32_t root_direction)
    {
        qel_config c = {};
        c.root_direction = root_direction;
        return c;
    }
    uint32_t id() { return qel_id(h.ctx, "split"); }
    // Presses on the middle of the divider and drags the pointer to (x, y).
    void drag_to(float x, float y)
    {
        qel_rect line = h.rect(id() ^ PART_SPLIT_LINE);
        h.move(line.x + line.w / 2, line.y + line.h / 2);
        h.run();
        h.button(0, true);
        h.run();
        h.move(x, y);
        h.run();
    }
};

TEST(SplitPane, TheDividerStopsAtEachPanesMinimum)
{
    const struct {
        const char* name;
        uint8_t stacked;
        uint32_t root_direction;
        float x, y, ratio;
        qel_cursor cursor;
    } cases[] = {
        {"past the left edge", 0, 0, -50, 150, 120.0f / 600, QEL_CURSOR_RESIZE_EW},
        {"past the right edge", 0, 0, 650, 150, 480.0f / 600, QEL_CURSOR_RESIZE_EW},
        {"in between", 0, 0, 300, 150, 0.5f, QEL_CURSOR_RESIZE_EW},
        {"stacked, to the top", 1, 0, 300, 0, 120.0f / 300, QEL_CURSOR_RESIZE_NS},
        {"stacked, in between", 1, 0, 300, 150, 0.5f, QEL_CURSOR_RESIZE_NS},
        {"right to left: the first pane is on the right", 0, 2, 200, 150, 400.0f / 600, QEL_CURSOR_RESIZE_EW},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        split_rig s(0.3f, c.stacked, c.root_direction);
        s.drag_to(c.x, c.y);
        EXPECT_FLOAT_EQ(s.ratio, c.ratio);
        EXPECT_EQ(qel_requested_cursor(s.h.ctx), c.cursor);
        s.h.button(0, false);
        s.h.run();
        EXPECT_FLOAT_EQ(s.ratio, c.ratio) << "kept after the release";
    }
}

TEST(SplitPane, TheRatioNeverLeavesItsRange)
{
    for (float start : {5.0f, -1.0f, NAN, 0.5f}) {
        split_rig s(start);
        EXPECT_GE(s.ratio, 0.02f) << start;
        EXPECT_LE(s.ratio, 0.98f) << start;
    }
    split_rig tiny(0.5f);
    tiny.options.first_min = tiny.options.second_min = 400;  // more than the room
    tiny.drag_to(599, 150);
    EXPECT_LE(tiny.ratio, 0.98f);
    EXPECT_GE(tiny.ratio, 0.02f);
}

TEST(SplitPane, PanesShareTheRoomByTheRatioAndTheGripLiesOverTheLine)
{
    split_rig s(0.25f);
    s.h.ui = [&s](qel_context* ctx) {
        qel_split_begin(ctx, "split", &s.ratio, nullptr);
        qel_splitter(ctx);
        qel_canvas(ctx, "second", {QEL_SIZE_GROW, 1}, {QEL_SIZE_GROW, 1}, nullptr, nullptr, 0);
        qel_split_end(ctx);
    };
    s.h.run(2);
    qel_rect line = s.h.rect(s.id() ^ PART_SPLIT_LINE), grip = s.h.rect(s.id() ^ PART_SPLIT_HANDLE);
    EXPECT_NEAR(line.x, 599 * 0.25f, 0.01f);
    EXPECT_EQ(line.w, 1);
    EXPECT_EQ(line.h, 300);
    EXPECT_EQ(grip.x, line.x - 4);
    EXPECT_EQ(grip.w, 9);
    EXPECT_EQ(grip.h, 300);
    s.h.move(grip.x + 8, 150);  // over the canvas in the second pane, under the grip drawn on top
    s.h.run();
    EXPECT_EQ(qel_hovered_id(s.h.ctx), s.id() ^ PART_SPLIT_HANDLE);
}

// A widget of another kind under the split's name grows the record they share within the frame:
// the split reads nothing through the record's old place (the sanitizer sees it freed), and
// starts afresh from its own record.
TEST(SplitPane, SurvivesAnotherWidgetOfItsNameGrowingItsRecord)
{
    split_rig s(0.5f, 0, 2);
    size_t grown = 64;
    s.h.ui = [&](qel_context* ctx) {
        qel_split_begin(ctx, "split", &s.ratio, nullptr);
        qel_state_get(ctx, s.id(), grown += 64);
        qel_splitter(ctx);
        qel_split_end(ctx);
    };
    s.h.run(2);
    s.drag_to(450, 150);
    EXPECT_GE(s.ratio, 0.0f);
    EXPECT_LE(s.ratio, 1.0f);
}
