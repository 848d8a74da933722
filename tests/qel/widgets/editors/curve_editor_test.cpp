// The curve editor driven over scripted frames: keys added on the line by a double-click, dragged
// between their neighbours and the ranges, handles grabbed, keys removed, the hint at capacity,
// and drags that hold while the pointer is outside the window.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "qel/qel.h"
#include "support/widget_rig.h"

namespace {

qel_curve_key smooth(float x, float y)
{
    return {x, y, 0, 0, 0, 0, QEL_CURVE_SMOOTH};
}

struct curve_rig {
    widget_rig rig;
    std::vector<qel_curve_key> keys;
    int32_t count;
    qel_curve_editor_opts options = {};
    qel_curve_editor_result last = {};
    int32_t changes = 0;

    curve_rig(std::vector<qel_curve_key> start, int32_t capacity) : rig(560, 420), keys(start), count((int32_t)start.size())
    {
        keys.resize((size_t)capacity);
        rig.h.ui = [this](qel_context* ctx) {
            last = qel_curve_editor(ctx, "curve", keys.data(), &count, (int32_t)keys.size(), &options);
            changes += last.changed;
        };
        rig.h.run(3);
    }
    uint32_t id() { return qel_id(rig.h.ctx, "curve"); }
    uint32_t key_item(int32_t index) { return qel_hash_bytes(&index, 4, id() ^ PART_CURVE_KEY_SEED); }
    qel_vec2 key_centre(int32_t index) { return rig.centre(key_item(index)); }
    // The screen point of curve coordinates, from where keys 0 and `other` are drawn.
    qel_vec2 screen(float x, float y, int32_t other)
    {
        qel_vec2 a = key_centre(0), b = key_centre(other);
        float kx = (b.x - a.x) / (keys[(size_t)other].x - keys[0].x), ky = (b.y - a.y) / (keys[(size_t)other].y - keys[0].y);
        return {a.x + (x - keys[0].x) * kx, a.y + (y - keys[0].y) * ky};
    }
    float value(float x) { return qel_curve_evaluate(keys.data(), count, x); }
    void press_at(qel_vec2 p)
    {
        rig.h.move(p.x, p.y);
        rig.h.run();
        rig.h.button(0, true);
        rig.h.run();
    }
    void drag_to(qel_vec2 p)
    {
        rig.h.move(p.x, p.y);
        rig.h.run();
    }
    void release()
    {
        rig.h.button(0, false);
        rig.h.run();
    }
    void double_click(qel_vec2 p)
    {
        rig.h.click(p.x, p.y);
        rig.h.click(p.x, p.y);
    }
};

}  // namespace

TEST(CurveEditor, DoubleClickOnTheLineAddsAKeyOnTheCurve)
{
    curve_rig c({smooth(0, 0), smooth(1, 1)}, 8);
    std::vector<qel_curve_key> before(c.keys.begin(), c.keys.begin() + 2);
    float x = 0.3f;
    qel_vec2 p = c.screen(x, qel_curve_evaluate(before.data(), 2, x), 1);
    c.double_click({p.x, p.y + 4});
    ASSERT_EQ(c.count, 3);
    EXPECT_EQ(c.last.selected, 1);
    EXPECT_NEAR(c.keys[1].x, x, 0.01f);
    EXPECT_FLOAT_EQ(c.keys[1].y, qel_curve_evaluate(before.data(), 2, c.keys[1].x)) << "exactly on the curve";
    EXPECT_EQ(qel_focused_id(c.rig.h.ctx), c.key_item(1));

    // Away from the line the key lands under the pointer, rounded to half grid steps with Shift.
    qel_vec2 off = c.screen(0.79f, 0.27f, 2);
    c.rig.h.key(QEL_KEY_NONE, true, QEL_MOD_SHIFT);
    c.double_click(off);
    ASSERT_EQ(c.count, 4);
    EXPECT_EQ(c.last.selected, 2);
    EXPECT_FLOAT_EQ(c.keys[2].x, 0.8f);
    EXPECT_FLOAT_EQ(c.keys[2].y, 0.25f);  // the y grid steps by 0.25 here
}

TEST(CurveEditor, DraggedKeysStopAtTheirNeighboursAndTheRange)
{
    curve_rig c({smooth(0, 0), smooth(0.5f, 0.5f), smooth(1, 1)}, 8);
    qel_vec2 from = c.key_centre(1);
    c.press_at(from);
    EXPECT_EQ(c.last.selected, 1);
    c.drag_to({from.x + 400, from.y - 20});
    EXPECT_FLOAT_EQ(c.keys[1].x, 1) << "reaches the next key, never passes it";
    EXPECT_GT(c.keys[1].y, 0.5f);
    c.drag_to({from.x - 900, from.y + 900});
    EXPECT_FLOAT_EQ(c.keys[1].x, 0);
    EXPECT_FLOAT_EQ(c.keys[1].y, 0) << "held within the y range";
    c.release();
    EXPECT_FLOAT_EQ(c.keys[2].x, 1);
    EXPECT_GT(c.changes, 0);

    // A flat range runs to minimum + 1, a range with an infinite bound 0 to 1, and so does one
    // whose width is still no positive number (minimum + 1 is the minimum from 2^24 on, or the
    // width overflows).
    const struct {
        float min, max, right;
    } ranges[] = {{5, 5, 6}, {-INFINITY, 3, 1}, {3e7f, 3e7f, 1}, {-3e38f, 3e38f, 1}};
    for (const auto& r : ranges) {
        curve_rig flat({smooth(0.5f, 0.5f)}, 4);
        flat.options.x_min = r.min;
        flat.options.x_max = r.max;
        flat.keys[0].x = r.right - 0.5f;
        flat.rig.h.run(2);
        qel_vec2 at = flat.key_centre(0);
        flat.press_at(at);
        flat.drag_to({at.x + 800, at.y});
        EXPECT_FLOAT_EQ(flat.keys[0].x, r.right) << r.min << ".." << r.max;
    }
}

TEST(CurveEditor, GrabbingASmoothHandleMakesItFreeWithoutMovingTheCurve)
{
    curve_rig c({smooth(0, 0.1f), smooth(0.4f, 0.7f), smooth(1, 0.9f)}, 8);
    std::vector<float> before;
    for (int s = 0; s < 200; s++) before.push_back(c.value((float)s / 199));
    c.rig.click_on(c.key_item(1));
    c.rig.h.run();
    qel_rect handle = c.rig.h.rect(c.id() ^ PART_CURVE_OUT_HANDLE);
    ASSERT_GT(handle.w, 0) << "the selected key shows its handles";
    c.press_at({handle.x + handle.w / 2, handle.y + handle.h / 2});
    EXPECT_EQ(c.keys[1].mode, QEL_CURVE_FREE);
    for (int s = 0; s < 200; s++) EXPECT_NEAR(c.value((float)s / 199), before[(size_t)s], 1e-5) << s;
    // Dragging the handle up raises the curve after the key.
    c.drag_to({handle.x + handle.w / 2, handle.y - 30});
    c.release();
    EXPECT_GT(c.value(0.55f), before[(size_t)(0.55f * 199)]);
    EXPECT_GT(c.keys[1].out_dx, 0);
}

TEST(CurveEditor, DeleteRemovesOnlyWhileThreeKeysRemain)
{
    curve_rig two({smooth(0, 0), smooth(1, 1)}, 8);
    two.rig.click_on(two.key_item(0));
    two.rig.h.tap(QEL_KEY_DELETE);
    EXPECT_EQ(two.count, 2);
    EXPECT_EQ(two.last.removed, -1);

    curve_rig three({smooth(0, 0), smooth(0.5f, 0.2f), smooth(1, 1)}, 8);
    three.rig.click_on(three.key_item(2));
    three.rig.h.tap(QEL_KEY_BACKSPACE);
    EXPECT_EQ(three.count, 2);
    EXPECT_EQ(three.changes, 1);
    EXPECT_FLOAT_EQ(three.keys[1].x, 0.5f);
    three.rig.h.run();
    EXPECT_EQ(three.last.selected, 1) << "the selection moves to the key now last";
    EXPECT_EQ(qel_focused_id(three.rig.h.ctx), three.key_item(1));

    // The keyboard moves the focused key by a hundredth of the range.
    three.rig.h.tap(QEL_KEY_LEFT);
    EXPECT_FLOAT_EQ(three.keys[1].x, 0.49f);
    three.rig.h.tap(QEL_KEY_UP);
    EXPECT_FLOAT_EQ(three.keys[1].y, 0.21f);
}

TEST(CurveEditor, AtCapacityTheHintSaysSelectAndDoubleClicksAddNothing)
{
    curve_rig c({smooth(0, 0), smooth(1, 1)}, 2);
    EXPECT_NE(node_with_text(c.rig.h.ctx, "Select a key to edit it."), nullptr);
    c.double_click(c.screen(0.5f, 0.5f, 1));
    EXPECT_EQ(c.count, 2);
    EXPECT_EQ(c.last.added, -1);

    curve_rig room({smooth(0, 0), smooth(1, 1)}, 3);
    EXPECT_NE(node_with_text(room.rig.h.ctx, "Double-click the plot to add a key, or select one to edit it."), nullptr);
}

TEST(CurveEditor, ACallersFormatIsUsedOnlyWhenItTakesOneDouble)
{
    curve_rig c({smooth(0, 0.3f), smooth(1, 1)}, 4);
    c.options.x_format = "%s";  // would read a string where a double is passed
    c.options.y_format = "%.1f V";
    c.rig.click_on(c.key_item(0));
    c.rig.h.run(2);
    EXPECT_NE(node_with_text(c.rig.h.ctx, "0.3 V"), nullptr);
    EXPECT_NE(node_with_text(c.rig.h.ctx, "0.00"), nullptr) << "x keeps the range's decimals";
}

TEST(CurveEditor, ADragHoldsWhileThePointerIsOutsideTheWindow)
{
    curve_rig c({smooth(0, 0), smooth(0.5f, 0.5f), smooth(1, 1)}, 8);
    qel_vec2 from = c.key_centre(1);
    c.press_at(from);
    c.drag_to({from.x + 10, from.y - 10});
    qel_curve_key held = c.keys[1];
    qel_input_mouse_leave(c.rig.h.ctx);
    c.rig.h.run(2);
    EXPECT_EQ(c.keys[1].x, held.x);
    EXPECT_EQ(c.keys[1].y, held.y);
    c.drag_to({from.x + 20, from.y});
    EXPECT_GT(c.keys[1].x, held.x);
    c.release();
}

TEST(CurveEditor, NarrowPanelsStackTheirControls)
{
    enum { ONE_ROW, FIELDS_BELOW, ALL_STACKED };
    const struct {
        float width;
        int layout;
    } cases[] = {{560, ONE_ROW}, {400, FIELDS_BELOW}, {300, ALL_STACKED}};
    for (const auto& w : cases) {
        curve_rig c({smooth(0, 0), smooth(1, 1)}, 4);
        c.options.width = fixed(w.width);
        c.rig.h.run(2);
        c.rig.click_on(c.key_item(0));
        c.rig.h.run(2);
        qel_context* ctx = c.rig.h.ctx;
        qel_rect mode = c.rig.h.rect(scoped_id(ctx, "curve", "##mode"));
        qel_rect x = c.rig.h.rect(scoped_id(ctx, "curve", "X##cv-x")), y = c.rig.h.rect(scoped_id(ctx, "curve", "Y##cv-y"));
        // An icon button's id is its glyph hashed over its tooltip's.
        qel_rect remove = c.rig.h.rect(qel_hash_str(QEL_ICON_TRASH_2, scoped_id(ctx, "curve", "Remove key")));
        SCOPED_TRACE(w.width);
        ASSERT_GT(x.w, 0);
        EXPECT_EQ(remove.y + remove.h / 2, mode.y + mode.h / 2) << "Remove stays beside the mode";
        EXPECT_LE(remove.x + remove.w, c.rig.h.rect(c.id()).x + w.width);
        if (w.layout == ONE_ROW) {
            EXPECT_EQ(x.y, mode.y);
        } else {
            EXPECT_GT(x.y, mode.y + mode.h);
        }
        if (w.layout == ALL_STACKED) {
            EXPECT_GT(y.y, x.y + x.h);
        } else {
            EXPECT_EQ(y.y, x.y);
        }
    }
}

TEST(CurveEditor, TheReadOutFollowsThePointerOverThePlot)
{
    curve_rig c({smooth(0, 0), smooth(0.5f, 0.8f), smooth(1, 0.3f)}, 4);
    qel_vec2 p = c.screen(0.3f, 0.1f, 1);
    c.drag_to(p);
    ASSERT_TRUE(c.last.hovering);
    EXPECT_NEAR(c.last.hover_x, 0.3f, 0.005f);
    EXPECT_FLOAT_EQ(c.last.hover_y, c.value(c.last.hover_x)) << "the curve's value, wherever the pointer's y";
    qel_rect plot = c.rig.h.rect(c.id() ^ PART_CURVE_PLOT);
    c.drag_to({plot.x + 4, p.y});  // over the y labels
    EXPECT_FALSE(c.last.hovering);
    c.press_at(c.key_centre(1));
    c.drag_to({p.x, p.y});
    EXPECT_FALSE(c.last.hovering) << "not while a key is dragged";
    c.release();
}

TEST(CurveEditor, ACallersSelectionOutsideTheKeysReadsAsNone)
{
    curve_rig c({smooth(0, 0), smooth(1, 1)}, 4);
    int32_t selected = 5;
    c.options.selected = &selected;
    c.rig.h.run();
    EXPECT_EQ(selected, -1);
    EXPECT_EQ(c.last.selected, -1);
    c.rig.click_on(c.key_item(1));
    EXPECT_EQ(selected, 1) << "written back to the caller";
}

// Chooses row of the selected key's mode list by keyboard, the list opened for the first time.
static void choose_mode(curve_rig& c, int row)
{
    qel_set_focus(c.rig.h.ctx, scoped_id(c.rig.h.ctx, "curve", "##mode"), true);
    c.rig.h.tap(QEL_KEY_DOWN);  // opens the list
    c.rig.h.run();
    for (int i = 0; i <= row; i++) c.rig.h.tap(QEL_KEY_DOWN);
    c.rig.h.tap(QEL_KEY_ENTER);
    c.rig.h.run();
}

TEST(CurveEditor, ChoosingFreeKeepsTheShapeAndOtherModesOnlySetTheMode)
{
    curve_rig c({smooth(0, 0.1f), smooth(0.4f, 0.7f), smooth(1, 0.9f)}, 4);
    std::vector<float> before;
    for (int s = 0; s < 200; s++) before.push_back(c.value((float)s / 199));
    c.rig.click_on(c.key_item(1));
    choose_mode(c, QEL_CURVE_FREE);
    ASSERT_EQ(c.keys[1].mode, QEL_CURVE_FREE);
    for (int s = 0; s < 200; s++) EXPECT_NEAR(c.value((float)s / 199), before[(size_t)s], 1e-5) << s;

    qel_curve_key free = {0.4f, 0.7f, -0.1f, 0.2f, 0.2f, -0.3f, QEL_CURVE_FREE};
    curve_rig l({smooth(0, 0.1f), free, smooth(1, 0.9f)}, 4);
    l.rig.click_on(l.key_item(1));
    choose_mode(l, QEL_CURVE_LINEAR);
    EXPECT_EQ(l.keys[1].mode, QEL_CURVE_LINEAR);
    EXPECT_EQ(l.keys[1].out_dx, free.out_dx) << "the handles stay for a later Free";
    EXPECT_EQ(l.keys[1].in_dy, free.in_dy);
    EXPECT_FLOAT_EQ(l.value(0.7f), 0.8f);
}
