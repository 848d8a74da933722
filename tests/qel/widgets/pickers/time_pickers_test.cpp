// The time, wheel and clock pickers driven over scripted frames: picks in the time popup's
// columns and halves of the day, keys, wheel notches, drags and flings of the drum with and
// without wrapping, the clamps of index and options, and pointing at the clock face for an hour
// on either ring and then a minute.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "qel/qel.h"
#include "qel/time_pickers.h"
#include "support/widget_rig.h"

static const char* const MONTHS[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

struct wheel_rig {
    widget_rig rig;
    int32_t index = 0;
    int changes = 0;
    int32_t count = 12;
    qel_wheel_picker_options opts = {};

    explicit wheel_rig(bool wrap = false, int32_t start = 0) : rig(300, 300), index(start)
    {
        opts.wrap = wrap;
        rig.h.ui = [this](qel_context* ctx) { changes += qel_wheel_picker(ctx, "month", MONTHS, count, &index, &opts); };
        rig.h.run(2);
    }
    uint32_t id() { return qel_id(rig.h.ctx, "month"); }
    // The drum's position in items, as drawn.
    float position() { return ((const float*)qel_state_find(rig.h.ctx, id(), sizeof(float), false))[0]; }
    void drag_by(float dy, int frames)
    {
        qel_vec2 c = rig.centre(id());
        rig.h.move(c.x, c.y);
        rig.h.run();
        rig.h.button(0, true);
        rig.h.run();
        for (int f = 1; f <= frames; f++) {
            rig.h.move(c.x, c.y + dy * (float)f / (float)frames);
            rig.h.run();
        }
    }
};

TEST(WheelPicker, KeysStepTheFocusedWheelAndStopAtTheEndsUnlessItWraps)
{
    wheel_rig w;
    w.rig.h.tap(QEL_KEY_TAB);
    w.rig.h.run();
    ASSERT_EQ(qel_focused_id(w.rig.h.ctx), w.id());
    w.rig.h.tap(QEL_KEY_UP);
    w.rig.h.run();
    EXPECT_EQ(w.index, 0);
    w.rig.h.tap(QEL_KEY_DOWN);
    w.rig.h.run();
    EXPECT_EQ(w.index, 1);
    EXPECT_EQ(w.changes, 1);
    EXPECT_FLOAT_EQ(w.position(), 1.0f);

    wheel_rig round(true);
    round.rig.h.tap(QEL_KEY_TAB);
    round.rig.h.run();
    round.rig.h.tap(QEL_KEY_UP);
    round.rig.h.run();
    EXPECT_EQ(round.index, 11);
    EXPECT_FLOAT_EQ(round.position(), -1.0f) << "the drum turns one row back, not round the list";
}

TEST(WheelPicker, WheelNotchesStepAtLeastOneItem)
{
    const struct {
        float notches;
        int32_t expected;
    } cases[] = {{-1, 6}, {1, 4}, {-0.3f, 6}, {0.3f, 4}, {-2.6f, 7}, {NAN, 5}};
    for (const auto& c : cases) {
        wheel_rig w(false, 5);
        w.rig.move_to(w.id());
        w.rig.h.run();
        w.rig.h.wheel(0, c.notches);
        w.rig.h.run();
        EXPECT_EQ(w.index, c.expected) << c.notches;
    }
}

TEST(WheelPicker, DraggingFollowsThePointerAndAFlingStaysInsideTheList)
{
    wheel_rig w(false, 3);
    w.rig.h.step = 0.5f;  // a slow hand: hardly any fling
    w.drag_by(-68, 4);    // two rows up: later items come to the middle
    EXPECT_EQ(w.index, 5);
    w.rig.h.button(0, false);
    w.rig.h.run(2);
    EXPECT_EQ(w.index, 5);

    wheel_rig fast(false, 3);
    fast.drag_by(-400, 2);  // far past the end, quickly
    EXPECT_EQ(fast.index, 11);
    EXPECT_LT(fast.position(), 11.0f + (400.0f / 34 - 8) * 0.3f + 0.01f) << "the overshoot is damped";
    fast.rig.h.button(0, false);
    fast.rig.h.run(2);
    EXPECT_EQ(fast.index, 11);
    EXPECT_FLOAT_EQ(fast.position(), 11.0f);

    wheel_rig back(true, 1);
    back.drag_by(68, 4);  // two rows down on a wrapping list
    EXPECT_EQ(back.index, 11);
}

TEST(WheelPicker, OptionsAndIndexAreClamped)
{
    const struct {
        int32_t rows;
        float height;
    } cases[] = {{0, 170}, {4, 170}, {7, 238}, {1000, 99 * 34}, {-3, 170}};
    for (const auto& c : cases) {
        wheel_rig w;
        w.opts.visible_rows = c.rows;
        w.rig.h.run();
        EXPECT_FLOAT_EQ(w.rig.h.rect(w.id()).h, c.height) << c.rows;
    }
    wheel_rig w(false, 40);
    EXPECT_EQ(w.index, 11);
    EXPECT_EQ(w.changes, 1);
    w.count = 1;
    w.rig.h.run();
    EXPECT_EQ(w.index, 0);
    w.count = 0;
    int before = w.changes;
    w.rig.h.run();
    EXPECT_EQ(w.changes, before);
    EXPECT_EQ(node_with_id(w.rig.h.ctx, w.id()), nullptr) << "nothing is built for an empty list";
}

struct clock_rig {
    widget_rig rig;
    int32_t hour, minute;
    int changes = 0;

    clock_rig(int32_t h, int32_t m) : rig(400, 400), hour(h), minute(m)
    {
        rig.h.ui = [this](qel_context* ctx) { changes += qel_clock_picker(ctx, "alarm", &hour, &minute, 0); };
        rig.h.run(2);
    }
    qel_rect face() { return rig.h.rect(qel_id(rig.h.ctx, "alarm") ^ PART_CLOCK_FACE); }
    // A click at an angle (0 at twelve o'clock, clockwise) and a distance from the face's centre.
    void click_at(float degrees, float distance)
    {
        qel_rect f = face();
        float a = degrees * 3.14159265f / 180;
        rig.h.click(f.x + f.w / 2 + sinf(a) * distance, f.y + f.h / 2 - cosf(a) * distance);
        rig.h.run();
    }
};

TEST(ClockPicker, PointingPicksTheHourOnEitherRingThenTheMinute)
{
    clock_rig c(9, 41);
    ASSERT_FLOAT_EQ(c.face().w, 248);
    c.click_at(0, 110);  // outer ring, twelve o'clock
    EXPECT_EQ(c.hour, 12);
    c.click_at(90, 110);  // minutes now: three o'clock
    EXPECT_EQ(c.minute, 15);
    EXPECT_EQ(c.hour, 12);

    clock_rig inner(9, 0);
    inner.click_at(0, 60);
    EXPECT_EQ(inner.hour, 0);
    clock_rig evening(9, 0);
    evening.click_at(150, 60);  // five o'clock, inner ring
    EXPECT_EQ(evening.hour, 17);
    EXPECT_EQ(evening.changes, 1);
}

TEST(ClockPicker, TheHeaderChoosesTheModeAndValuesAreClamped)
{
    clock_rig c(30, -4);
    EXPECT_EQ(c.hour, 23);
    EXPECT_EQ(c.minute, 0);
    EXPECT_EQ(c.changes, 1);
    uint32_t minutes = qel_hash_bytes("\1\0\0\0", 4, qel_id(c.rig.h.ctx, "alarm"));
    qel_vec2 m = c.rig.centre(minutes);
    c.rig.h.click(m.x, m.y);
    c.rig.h.run();
    c.click_at(180, 110);
    EXPECT_EQ(c.minute, 30);
    EXPECT_EQ(c.hour, 23);
}

struct time_rig {
    widget_rig rig;
    int32_t hour, minute;
    int picks = 0;
    qel_time_picker_options opts = {};

    time_rig(int32_t h, int32_t m, bool twelve, int32_t step = 0) : rig(400, 400), hour(h), minute(m)
    {
        opts.twelve_hour = twelve;
        opts.minute_step = step;
        rig.h.ui = [this](qel_context* ctx) { picks += qel_time_picker(ctx, "start", &hour, &minute, &opts); };
        rig.h.run(2);
    }
    uint32_t field() { return qel_id(rig.h.ctx, "start"); }
    // An id inside the popup's scope.
    uint32_t inside(const char* name)
    {
        qel_push_id_int(rig.h.ctx, (int32_t)(field() ^ PART_TIME_POPUP));
        uint32_t id = qel_id(rig.h.ctx, name);
        qel_pop_id(rig.h.ctx);
        return id;
    }
    uint32_t row(const char* column, int32_t value) { return qel_hash_bytes(&value, sizeof value, inside(column)); }
    void open()
    {
        rig.h.click(rig.centre(field()).x, rig.centre(field()).y);
        rig.h.run(2);
    }
    void click(uint32_t id)
    {
        rig.h.click(rig.centre(id).x, rig.centre(id).y);
        rig.h.run();
    }
};

TEST(TimePicker, TwelveHourTextsAndPicksKeepTheHalfOfTheDay)
{
    const struct {
        int32_t hour;
        const char* text;
    } texts[] = {{0, "12:05 AM"}, {12, "12:05 PM"}, {15, "3:05 PM"}, {11, "11:05 AM"}};
    for (const auto& t : texts) {
        time_rig r(t.hour, 5, true);
        EXPECT_NE(node_with_text(r.rig.h.ctx, t.text), nullptr) << t.text;
    }
    time_rig r(14, 5, true);
    r.open();
    ASSERT_GT(r.rig.h.rect(r.row("#h", 3)).w, 0);
    r.click(r.row("#h", 3));
    EXPECT_EQ(r.hour, 15);
    EXPECT_EQ(r.picks, 1);
    r.click(qel_hash_bytes("\0\0\0\0", 4, r.field() ^ PART_TIME_HALF));  // AM
    EXPECT_EQ(r.hour, 3);
    EXPECT_EQ(r.picks, 2);
    EXPECT_NE(node_with_text(r.rig.h.ctx, "3:05 AM"), nullptr);
}

TEST(TimePicker, TheMinuteColumnFollowsItsStepAndScrollsToTheValue)
{
    time_rig r(9, 7, false, 15);
    r.open();
    for (int32_t m : {0, 15, 30, 45}) EXPECT_GT(r.rig.h.rect(r.row("#m", m)).h, 0) << m;
    EXPECT_EQ(r.rig.h.rect(r.row("#m", 5)).h, 0);
    EXPECT_EQ(r.minute, 7) << "a minute off the step stays until a pick";
    const auto* hours = (const qel_scroll_state*)qel_state_find(r.rig.h.ctx, r.inside("#h"), sizeof(qel_scroll_state), false);
    ASSERT_NE(hours, nullptr);
    EXPECT_FLOAT_EQ(hours->scroll_y, 9 * 34);
    r.click(r.row("#m", 30));
    EXPECT_EQ(r.minute, 30);
    EXPECT_NE(node_with_text(r.rig.h.ctx, "09:30"), nullptr);

    time_rig wild(40, -3, false);
    EXPECT_EQ(wild.hour, 40) << "values are only kept in range while the popup is open";
    wild.open();
    EXPECT_EQ(wild.hour, 23);
    EXPECT_EQ(wild.minute, 0);
    EXPECT_EQ(wild.picks, 0);
}
