// The fader driven by the pointer and keys: the jump to a press on the track and the drag that
// follows, a press on the thumb, the Shift drag, double-click reset onto the step grid, the
// pointer leaving the window, the marks and meter channels it caps, its meter's own range, and
// null or empty arrays it must not read.
#include <gtest/gtest.h>

#include <cmath>

#include "guard_page.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

struct fader_scene {
    widget_rig rig;
    float value;
    float min, max;
    qel_fader_opts o = {};
    int changes = 0;
    fader_scene(float v, float lo, float hi) : rig(320, 300), value(v), min(lo), max(hi)
    {
        rig.h.ui = [this](qel_context* ctx) {
            board_begin(ctx);
            row_begin(ctx, 0);
            changes += qel_fader(ctx, "Level", &value, min, max, &o);
            qel_container_end(ctx);
            qel_container_end(ctx);
        };
        rig.h.run(2);
    }
    uint32_t item() { return qel_id(rig.h.ctx, "Level") ^ 0xfad0u; }
    qel_rect node() { return rig.h.rect(item()); }
    // The pointer's y at a position of the travel.
    float y_at(float pos)
    {
        qel_rect r = node();
        return r.y + r.h - 8 - pos * (r.h - 16);
    }
    void press_at(float x, float y)
    {
        rig.h.move(x, y);
        rig.h.run();
        rig.h.button(0, true);
        rig.h.run();
    }
    void move(float x, float y)
    {
        rig.h.move(x, y);
        rig.h.run();
    }
};

TEST(Fader, PressOnTheTrackJumpsAndKeepsDraggingAndThePressOnTheThumbHolds)
{
    fader_scene s(0, 0, 100);
    float x = s.node().x + 15;
    s.press_at(x, s.y_at(0.75f));
    EXPECT_NEAR(s.value, 75, 0.01f);
    s.move(x, s.y_at(0.5f));
    EXPECT_NEAR(s.value, 50, 0.01f) << "the same press drags on";
    s.rig.h.button(0, false);
    s.rig.h.run();
    s.press_at(x, s.y_at(0.5f) + 9);
    EXPECT_NEAR(s.value, 50, 0.01f) << "within 10 px of the thumb: no jump";
    s.rig.h.button(0, false);
    s.rig.h.run();
}

TEST(Fader, ShiftDragMovesATenthAndTheWindowEdgeHoldsTheValue)
{
    fader_scene s(50, 0, 100);
    ASSERT_EQ(s.node().h, 160);
    float x = s.node().x + 15, y = s.y_at(0.5f);
    s.rig.h.key(QEL_KEY_NONE, true, QEL_MOD_SHIFT);
    s.press_at(x, y);
    s.move(x, y - 100);
    EXPECT_NEAR(s.value - 50, 100 * 100.0f / 144 * 0.1f, 0.01f) << "about 0.069 of the range";
    float held = s.value;
    qel_input_mouse_leave(s.rig.h.ctx);
    s.rig.h.run(3);
    EXPECT_EQ(s.value, held) << "a pointer outside is no place: a vertical fader would jump to its maximum";
    s.rig.h.button(0, false);
    s.rig.h.key(QEL_KEY_NONE, false, 0);
    s.rig.h.run();
    EXPECT_EQ(s.value, held);
}

TEST(Fader, KeysWheelAndResetOnTheStepGrid)
{
    fader_scene s(50, 0, 100);
    s.o.step = 7;
    s.o.default_value = 30;
    s.rig.click_on(s.item());
    s.rig.h.run();
    EXPECT_EQ(s.value, 49) << "snapped on the first frame";
    s.rig.h.tap(QEL_KEY_UP);
    EXPECT_EQ(s.value, 56);
    s.rig.h.wheel(0, -1);
    s.rig.h.run(2);
    EXPECT_EQ(s.value, 49);
    s.rig.click_on(s.item());
    s.rig.click_on(s.item());
    s.rig.h.run();
    EXPECT_EQ(s.value, 28) << "the default snapped to the grid";
}

TEST(Fader, CapsMarksAndChannelsAndReadsNoNullOrEmptyArray)
{
    float marks[40], levels[12];
    for (int i = 0; i < 40; i++) marks[i] = i < 32 ? (float)i : -123456;  // a wide label past the 32nd
    for (float& l : levels) l = 0.5f;
    float widths[2];
    for (int k = 0; k < 2; k++) {
        fader_scene s(0, -60, 6);
        s.o.marks = marks;
        s.o.mark_count = k ? 40 : 32;
        s.o.meter_levels = levels;
        s.o.meter_channels = k ? 12 : 8;
        s.rig.h.run(2);
        widths[k] = s.node().w;
    }
    EXPECT_EQ(widths[0], widths[1]) << "32 marks and 8 channels";
    EXPECT_GT(widths[0], 30 + 8 * 4 + 7 * 2 + 6);
    fader_scene none(0, 0, 100);
    none.o.mark_count = 5;  // marks null
    guard_page_block empty(0);
    none.o.meter_levels = (const float*)empty.data;
    none.o.meter_channels = 0;
    none.rig.h.run(2);
    EXPECT_EQ(none.node().w, 30) << "no marks, no meter";
}

TEST(Fader, UnusableRangesAndNaNNeverWriteNaN)
{
    fader_scene nan_value(std::nanf(""), -60, 6);
    nan_value.rig.h.run(3);
    EXPECT_EQ(nan_value.value, -60);
    EXPECT_EQ(nan_value.changes, 1);
    fader_scene wide(5, 1e30f, INFINITY);
    wide.press_at(wide.node().x + 15, wide.y_at(0.9f));
    wide.rig.h.tap(QEL_KEY_END);
    EXPECT_EQ(wide.value, 5);
    EXPECT_EQ(wide.changes, 0);
}

TEST(Fader, BuiltInMeterTakesTheFadersDecibelsOnlyBelowZero)
{
    // -27 dB lies half way up -60..6 dB, a tenth of the way up -30..0 dB.
    const float level = std::pow(10.0f, -27.0f / 20);
    struct {
        float min, max;
        bool lit_at_40_percent;
    } cases[] = {{0, 1, true}, {-60, 6, true}, {-30, 0, false}};
    for (auto c : cases) {
        fader_scene s(c.min, c.min, c.max);
        s.o.meter_levels = &level;
        s.o.meter_channels = 1;
        s.rig.h.run(3);
        picture p = s.rig.shot();
        qel_rect r = s.node();
        auto at = [&](float f) {
            int x = (int)(r.x + 30 + 6 + 2), y = (int)(r.y + r.h - 8 - f * (r.h - 16));
            const uint8_t* px = &p.rgba[((size_t)y * (size_t)p.width + (size_t)x) * 4];
            return px[0] * 65536 + px[1] * 256 + px[2];
        };
        EXPECT_EQ(at(0.05f) != at(0.4f), !c.lit_at_40_percent) << c.min << ".." << c.max;
        EXPECT_NE(at(0.05f), at(0.6f)) << c.min << ".." << c.max;
    }
}
