// The ruler dial driven over scripted frames: dragging by ticks with overscroll that never leaves
// the bounds, a fling that settles on a step, wheel notches of at least one step, keys with and
// without Shift, and bounds, steps and spacings that are no numbers or absurd. The range
// histogram: bars coloured by their centres, none for empty bins, the slider under them.
#include <gtest/gtest.h>

#include <cmath>

#include "qel/qel.h"
#include "qel/ruler_histogram.h"
#include "support/widget_rig.h"

struct ruler_rig {
    widget_rig rig;
    float value;
    float min = 0, max = 100;
    int changes = 0;
    qel_ruler_options opts = {};

    explicit ruler_rig(float start, float step = 5) : rig(400, 200), value(start)
    {
        opts.step = step;
        rig.h.ui = [this](qel_context* ctx) { changes += qel_ruler_dial(ctx, "Width", &value, min, max, &opts); };
        rig.h.run(2);
    }
    uint32_t ruler() { return qel_id(rig.h.ctx, "Width") ^ PART_RULER; }
    float position() { return ((const float*)qel_state_find(rig.h.ctx, qel_id(rig.h.ctx, "Width"), 4, false))[0]; }
    void press() {
        rig.move_to(ruler());
        rig.h.run();
        rig.h.button(0, true);
        rig.h.run();
    }
    void drag_by(float dx, int frames)
    {
        qel_vec2 c = rig.centre(ruler());
        for (int f = 1; f <= frames; f++) {
            rig.h.move(c.x + dx * (float)f / (float)frames, c.y);
            rig.h.run();
        }
    }
};

TEST(RulerDial, DraggingMovesOneStepPerSpacingAndOverscrollsOnlyTheRuler)
{
    ruler_rig r(50);
    r.rig.h.step = 0.5f;  // slowly: no fling to speak of
    r.press();
    r.drag_by(-9, 1);
    EXPECT_FLOAT_EQ(r.value, 55);
    r.drag_by(-27, 1);
    EXPECT_FLOAT_EQ(r.value, 65);
    r.rig.h.run(6);  // held still, the fling dies away
    r.rig.h.button(0, false);
    r.rig.h.run(2);
    EXPECT_FLOAT_EQ(r.value, 65);
    EXPECT_FLOAT_EQ(r.position(), 65);

    ruler_rig far(90);
    far.rig.h.step = 0.5f;
    far.press();
    far.drag_by(-300, 3);
    EXPECT_FLOAT_EQ(far.value, 100);
    EXPECT_FLOAT_EQ(far.position(), 115) << "three steps of overscroll";
    far.rig.h.button(0, false);
    far.rig.h.run(2);
    EXPECT_FLOAT_EQ(far.value, 100);
    EXPECT_FLOAT_EQ(far.position(), 100);
}

TEST(RulerDial, AFlingCarriesOnAndSettlesOnAStep)
{
    ruler_rig r(50, 1);
    r.press();
    r.drag_by(-45, 3);  // 15 px a frame at 60 frames a second: a fling of 100 steps a second
    float before = r.value;
    r.rig.h.button(0, false);
    r.rig.h.run(2);
    EXPECT_GT(r.value, before + 5);
    EXPECT_LE(r.value, before + 60 * 0.18f + 1);
    EXPECT_EQ(r.value, std::round(r.value));
}

TEST(RulerDial, WheelNotchesAndKeysStepTheValue)
{
    const struct {
        float notches;
        float start, expected;
    } wheel[] = {{-1, 50, 55}, {-0.2f, 50, 55}, {0.2f, 50, 45}, {-2, 50, 60}, {-1, 100, 100}, {1, 0, 0}};
    for (const auto& c : wheel) {
        ruler_rig r(c.start);
        r.rig.move_to(r.ruler());
        r.rig.h.run();
        r.rig.h.wheel(0, c.notches);
        r.rig.h.run();
        EXPECT_FLOAT_EQ(r.value, c.expected) << c.notches << " from " << c.start;
    }

    ruler_rig keys(20, 0.5f);
    keys.opts.major_every = 10;
    keys.rig.h.tap(QEL_KEY_TAB);
    keys.rig.h.run();
    ASSERT_EQ(qel_focused_id(keys.rig.h.ctx), keys.ruler());
    keys.rig.h.tap(QEL_KEY_RIGHT, QEL_MOD_SHIFT);
    keys.rig.h.run();
    EXPECT_FLOAT_EQ(keys.value, 25);
    keys.rig.h.tap(QEL_KEY_DOWN);
    keys.rig.h.run();
    EXPECT_FLOAT_EQ(keys.value, 24.5f);
}

TEST(RulerDial, BoundsStepsAndSpacingsThatAreNoNumbersTakeDefaults)
{
    ruler_rig r(NAN);
    EXPECT_FLOAT_EQ(r.value, 0) << "a value that is no number starts at min";
    EXPECT_EQ(r.changes, 1);
    r.min = NAN;
    r.max = -INFINITY;
    r.opts.step = NAN;
    r.opts.pixels_per_step = 1e-30f;
    r.value = 1e30f;
    r.rig.h.run(2);
    r.rig.move_to(r.ruler());
    r.rig.h.run();
    r.rig.h.wheel(0, -1);
    r.rig.h.run();
    EXPECT_FLOAT_EQ(r.value, 1) << "bounds 0..1, step 1";
}

// Ticks are counted over the part of the ruler in view, however wide the ruler is laid out.
TEST(RulerDial, AVeryWideRulerDrawsTheTicksInView)
{
    for (float width : {400.0f, 1e9f}) {
        ruler_rig r(50, 0.001f);
        r.max = 1e6f;
        r.opts.width = {QEL_SIZE_FIXED, width};
        r.rig.h.run(2);
        EXPECT_FLOAT_EQ(r.value, 50) << width;
        EXPECT_LT(r.rig.h.draw_data().vertex_count, 100000u) << width;
    }
}

// A histogram of ten bins over 0..100 and the bars' pixels as drawn.
struct histogram_rig {
    widget_rig rig;
    float bins[10] = {1, 4, 9, 3, 7, 2, 8, 5, 6, 2};
    int32_t count = 10;
    float low = 25, high = 65;
    int changes = 0;

    histogram_rig() : rig(420, 200)
    {
        rig.h.ui = [this](qel_context* ctx) {
            board_begin(ctx);
            changes += qel_range_histogram(ctx, "Price", bins, count, &low, &high, 0, 100, nullptr);
            qel_container_end(ctx);
        };
        rig.h.run(3);
    }
    // The bar area: the node after the header row in the histogram's column.
    qel_rect bars()
    {
        const qel_node* column = node_with_id(rig.h.ctx, qel_id(rig.h.ctx, "Price") ^ PART_HISTOGRAM_COLUMN);
        const qel_node* header = inspect_node(rig.h.ctx, column->first_child);
        return inspect_node(rig.h.ctx, header->next_sibling)->rect;
    }
    // The darkness of the pixel at the bottom of bar i (0 white .. 255 black), in the light theme.
    int darkness(const picture& p, int i)
    {
        qel_rect r = bars();
        float pitch = (r.w - 18) / (float)count;
        int x = (int)(r.x + 9 + ((float)i + 0.5f) * pitch), y = (int)(r.y + r.h - 1);
        const uint8_t* px = &p.rgba[(size_t)(y * p.width + x) * 4];
        return 255 - (px[0] + px[1] + px[2]) / 3;
    }
};

TEST(RangeHistogram, BinsInsideTheRangeByTheirCentresTakeTheRangeColour)
{
    histogram_rig h;
    EXPECT_NE(node_with_text(h.rig.h.ctx, "25 \xE2\x80\x93 65"), nullptr);
    picture p = h.rig.shot();
    for (int i = 0; i < 10; i++) {
        float centre = ((float)i + 0.5f) / 10;
        bool inside = 0.25f <= centre && centre <= 0.65f;
        EXPECT_EQ(h.darkness(p, i) > 128, inside) << "bar " << i << " darkness " << h.darkness(p, i);
    }
    for (float& b : h.bins) b = 0;
    h.rig.h.run();
    p = h.rig.shot();
    for (int i = 0; i < 10; i++) EXPECT_LT(h.darkness(p, i), 10) << "no bars when every bin is 0";
}

TEST(RangeHistogram, TheSliderUnderTheBarsMovesTheRange)
{
    histogram_rig h;
    const qel_node* track = node_with_id(h.rig.h.ctx, qel_id(h.rig.h.ctx, "Price") ^ PART_RANGE_SLIDER);  // the range slider's track
    ASSERT_NE(track, nullptr);
    EXPECT_FLOAT_EQ(track->translate_y, -6) << "drawn 6 units up, touching the bars";
    qel_rect t = track->rect;
    float x = t.x + 9 + 0.25f * (t.w - 18), y = t.y + t.h / 2;
    h.rig.h.move(x, y);
    h.rig.h.run();
    h.rig.h.button(0, true);
    h.rig.h.run();
    h.rig.h.move(x - 40, y);
    h.rig.h.run();
    h.rig.h.button(0, false);
    h.rig.h.run();
    EXPECT_LT(h.low, 25);
    EXPECT_EQ(h.changes, 1);
    h.count = -4;
    h.low = NAN;
    h.rig.h.run(2);
}
