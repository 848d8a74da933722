// The knob driven by the pointer, keys and wheel: the logarithmic mapping, step snapping, a value
// out of range, the drag with and without Shift, the wheel only with focus, double-click reset,
// the pointer leaving the window, and ranges and values it must not turn into NaN.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "qel/qel.h"
#include "support/widget_rig.h"

struct knob_scene {
    widget_rig rig;
    float value;
    float min, max;
    qel_knob_opts o = {};
    int changes = 0;
    bool last = false;
    knob_scene(float v, float lo, float hi) : rig(300, 200), value(v), min(lo), max(hi)
    {
        rig.h.ui = [this](qel_context* ctx) {
            last = qel_knob(ctx, "Gain", &value, min, max, &o);
            changes += last;
        };
    }
    uint32_t item() { return qel_id(rig.h.ctx, "Gain") ^ 0x4b0bu; }
    void press()
    {
        rig.move_to(item());
        rig.h.run();
        rig.h.button(0, true);
        rig.h.run();
    }
    void drag_by(float dy)
    {
        qel_vec2 c = rig.centre(item());
        rig.h.move(c.x, c.y + dy);
        rig.h.run();
    }
};

TEST(Knob, MappingIsLogarithmicOnlyAboveZeroAndSnapsToSteps)
{
    EXPECT_NEAR(qel_knob_denorm(0.5, 20, 20000, 0, true), 632.456f, 0.01f);
    EXPECT_NEAR(qel_knob_norm(632.456, 20, 20000, true), 0.5, 1e-6);
    EXPECT_NEAR(qel_knob_denorm(0.5, 0, 20000, 0, true), 10000, 1e-3) << "min 0: linear";
    EXPECT_EQ(qel_knob_denorm(0.43, 0, 100, 5, false), 45);
    EXPECT_EQ(qel_knob_norm(std::nanf(""), 0, 100, false), 0);
    EXPECT_EQ(qel_knob_norm(5, 3, 3, false), 0) << "empty range";
    // A tiny step whose quotient overflows a float still lands on the grid, not the maximum.
    EXPECT_NEAR(qel_knob_denorm(0.25, 0, 1e30, 1e-20, false), 2.5e29f, 1e24f);
}

TEST(Knob, ClampsAnOutOfRangeValueOnceAndTurnsByDragAndShiftDrag)
{
    knob_scene s(150, 0, 100);
    s.rig.h.run();
    EXPECT_EQ(s.value, 100);
    EXPECT_TRUE(s.last);
    s.rig.h.run(3);
    EXPECT_EQ(s.changes, 1);
    s.value = 20;
    s.press();
    s.drag_by(-100);
    EXPECT_NEAR(s.value, 70, 1e-3) << "100 px upward moves half the range";
    s.rig.h.key(QEL_KEY_NONE, true, QEL_MOD_SHIFT);
    s.drag_by(-200);
    EXPECT_NEAR(s.value, 75, 1e-3) << "with Shift 100 px more move 5";
    s.rig.h.button(0, false);
    s.rig.h.key(QEL_KEY_NONE, false, 0);
    s.rig.h.run();
}

TEST(Knob, StepsHoldWhileDraggingAndKeysMoveByOneStep)
{
    knob_scene s(50, 0, 100);
    s.o.step = 5;
    s.press();
    for (int dy = 1; dy < 40; dy += 3) {
        s.drag_by((float)-dy);
        EXPECT_EQ(std::fmod(s.value, 5.0f), 0) << dy;
    }
    s.rig.h.button(0, false);
    s.rig.h.run();
    s.value = 50;
    s.rig.h.tap(QEL_KEY_RIGHT);
    EXPECT_EQ(s.value, 55);
    s.rig.h.tap(QEL_KEY_PAGE_DOWN);
    EXPECT_EQ(s.value, 5);
    s.rig.h.tap(QEL_KEY_END);
    EXPECT_EQ(s.value, 100);
    s.o.default_value = 42;
    s.rig.h.tap(QEL_KEY_DELETE);
    EXPECT_EQ(s.value, 40) << "the default snaps to the grid";
}

TEST(Knob, WheelTurnsItOnlyWithFocusAndDoubleClickResets)
{
    knob_scene s(50, 0, 100);
    s.rig.move_to(s.item());
    s.rig.h.run(2);
    s.rig.h.wheel(0, 1);
    s.rig.h.run(2);
    EXPECT_EQ(s.value, 50) << "no focus, no wheel";
    EXPECT_EQ(inspect_input(s.rig.h.ctx)->wheel_y, 0);
    s.rig.click_on(s.item());
    s.rig.h.run(2);
    s.rig.h.wheel(0, 2);
    s.rig.h.run(2);
    EXPECT_NEAR(s.value, 52, 1e-4);
    s.o.default_value = 10;
    s.rig.click_on(s.item());
    s.rig.click_on(s.item());
    s.rig.h.run();
    EXPECT_EQ(s.value, 10);
}

TEST(Knob, PointerOutsideTheWindowHoldsTheValue)
{
    knob_scene s(50, 0, 100);
    s.press();
    s.drag_by(-20);
    float held = s.value;
    qel_input_mouse_leave(s.rig.h.ctx);
    s.rig.h.run(3);
    EXPECT_EQ(s.value, held);
    s.rig.h.button(0, false);
    s.rig.h.run();
    EXPECT_EQ(s.value, held);
}

TEST(Knob, NaNValuesAndUnusableRangesNeverWriteNaN)
{
    const float inf = std::numeric_limits<float>::infinity();
    knob_scene nan_value(std::nanf(""), 0, 100);
    nan_value.rig.h.run(4);
    EXPECT_EQ(nan_value.value, 0);
    EXPECT_EQ(nan_value.changes, 1);
    struct {
        float min, max;
    } bad[] = {{0, inf}, {-inf, 0}, {std::nanf(""), 1}, {3e7f, 3e7f}};
    for (auto b : bad) {
        knob_scene s(5, b.min, b.max);
        s.press();
        s.drag_by(-60);
        s.rig.h.tap(QEL_KEY_UP);
        EXPECT_EQ(s.value, 5) << b.min << " " << b.max;
        EXPECT_EQ(s.changes, 0);
    }
}
