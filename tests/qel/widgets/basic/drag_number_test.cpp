// The drag number over scripted frames: dragging by steps (a tenth with Shift) after a 3-unit
// threshold, keys, clamping, and the text field a click opens, which takes only finite numbers and
// keeps the value on Escape.
#include <gtest/gtest.h>

#include "qel/qel.h"
#include "support/widget_rig.h"

// A drag number "Width" over min..max, its value open to the test.
struct drag_rig {
    widget_rig rig{400, 120};
    float value = 10, min = 0, max = 100;
    qel_drag_number_opts opts = {};
    int changes = 0;
    uint32_t id = 0;

    drag_rig()
    {
        opts.step = 1;
        rig.h.ui = [this](qel_context* ctx) { changes += qel_drag_number(ctx, "Width", &value, min, max, &opts); };
        rig.h.run(2);
        id = qel_id(rig.h.ctx, "Width");
    }
    bool editing() { return node_with_id(rig.h.ctx, id ^ PART_DRAG_NUMBER_EDIT) != nullptr; }
    void drag(float dx, uint32_t mods = 0)
    {
        qel_vec2 c = rig.centre(id);
        rig.h.move(c.x, c.y);
        rig.h.run();
        rig.h.button(0, true);
        rig.h.run();
        if (mods) rig.h.key(QEL_KEY_NONE, true, mods);
        rig.h.move(c.x + dx, c.y);
        rig.h.run();
        rig.h.button(0, false);
        rig.h.key(QEL_KEY_NONE, false, 0);
        rig.h.run();
    }
    void type_and(const char* text, int32_t key)
    {
        drag(0);
        rig.h.run();
        ASSERT_TRUE(editing());
        rig.h.type(text);  // over the whole text, selected as the field opened
        rig.h.run();
        if (key) rig.h.tap(key);
        else rig.h.click(390, 110);
        rig.h.run(2);
    }
};

TEST(DragNumber, DragsOneStepPerUnitAfterTheThreshold)
{
    const struct {
        const char* name;
        float min, max, step, dx;
        uint32_t mods;
        float value;
    } cases[] = {
        {"step 1", 0, 100, 1, 50, 0, 60},
        {"a tenth with Shift", 0, 100, 1, 50, QEL_MOD_SHIFT, 15},
        {"a hundredth of the range", 0, 200, 0, 10, 0, 30},
        {"step 1 over an empty range", 10, 10, 0, 10, 0, 10},
        {"clamped at the maximum", 0, 100, 1, 200, 0, 100},
        {"leftwards", 0, 100, 1, -30, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        drag_rig d;
        d.min = c.min, d.max = c.max, d.opts.step = c.step;
        d.drag(c.dx, c.mods);
        EXPECT_FLOAT_EQ(d.value, c.value);
        EXPECT_FALSE(d.editing()) << "a drag opens no text field";
    }
}

TEST(DragNumber, ASmallMoveIsAClickThatOpensTheTextField)
{
    drag_rig d;
    d.drag(3);
    d.rig.h.run();
    EXPECT_EQ(d.value, 10);
    ASSERT_TRUE(d.editing());
    EXPECT_EQ(qel_focused_id(d.rig.h.ctx), d.id ^ PART_DRAG_NUMBER_EDIT);
}

TEST(DragNumber, TakesOnlyFiniteTypedNumbers)
{
    const struct {
        const char* typed;
        int32_t key;
        float value;
    } cases[] = {
        {"42.5", QEL_KEY_ENTER, 42.5f}, {"1e9", QEL_KEY_ENTER, 100}, {"-7", QEL_KEY_ENTER, 0},
        {"abc", QEL_KEY_ENTER, 10},     {"nan", QEL_KEY_ENTER, 10},  {"inf", QEL_KEY_ENTER, 10},
        {"1e99", QEL_KEY_ENTER, 100},    {"55", QEL_KEY_ESCAPE, 10},  {"33", 0, 33},  // a click elsewhere
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        drag_rig d;
        d.type_and(c.typed, c.key);
        EXPECT_FLOAT_EQ(d.value, c.value);
        EXPECT_FALSE(d.editing());
        if (c.key != 0) {
            EXPECT_EQ(qel_focused_id(d.rig.h.ctx), d.id) << "the focus comes back";
        }
    }
}

TEST(DragNumber, KeysStepAndEnterEdits)
{
    drag_rig d;
    d.rig.h.tap(QEL_KEY_TAB);
    d.rig.h.run();
    const struct {
        int32_t key;
        uint32_t mods;
        float value;
    } steps[] = {{QEL_KEY_RIGHT, 0, 11}, {QEL_KEY_UP, QEL_MOD_SHIFT, 21}, {QEL_KEY_LEFT, 0, 20},
                 {QEL_KEY_DOWN, QEL_MOD_SHIFT, 10}, {QEL_KEY_DOWN, QEL_MOD_SHIFT, 0}};
    for (const auto& k : steps) {
        d.rig.h.tap(k.key, k.mods);
        d.rig.h.run();
        EXPECT_FLOAT_EQ(d.value, k.value);
    }
    d.rig.h.tap(QEL_KEY_ENTER);
    d.rig.h.run(2);
    EXPECT_TRUE(d.editing());
}

TEST(DragNumber, TheTrackShowsWhereTheValueLies)
{
    drag_rig d;
    auto fraction = [&] {
        return ((const qel_drag_number_record*)node_with_draw(d.rig.h.ctx, qel_drag_number_draw)->draw_user)->fraction;
    };
    EXPECT_FLOAT_EQ(fraction(), 0.1f);
    d.value = -20;
    d.rig.h.run();
    EXPECT_EQ(fraction(), 0) << "below the minimum the track is empty";
    EXPECT_FLOAT_EQ(d.rig.h.rect(d.id).w, 160) << "160 wide by default";
}
