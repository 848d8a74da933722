// The signature pad driven over scripted frames: dots and strokes as the caller gets them back,
// widths that follow the pointer's speed, the drawing kept in pad units when the pad narrows, two
// pads that keep their own strokes, and the Clear button.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "qel/qel.h"
#include "qel/signature_pad.h"
#include "support/widget_rig.h"

struct pad_rig {
    widget_rig rig;
    float width = 400;
    int changes = 0;

    pad_rig() : rig(440, 440)
    {
        rig.h.ui = [this](qel_context* ctx) {
            qel_signature_options o = {};
            o.width = {QEL_SIZE_FIXED, width};
            changes += qel_signature_pad(ctx, "sign", &o);
            changes += qel_signature_pad(ctx, "initials", nullptr);
        };
        rig.h.run(2);
    }
    qel_rect canvas(const char* label = "sign") { return rig.h.rect(qel_id(rig.h.ctx, label) ^ PART_SIGNATURE_CANVAS); }
    // A stroke of points points, steps apart, each frame step seconds.
    void stroke(float x, float y, int points, float step_px, const char* label = "sign")
    {
        qel_rect c = canvas(label);
        rig.h.move(c.x + x, c.y + y);
        rig.h.run();
        rig.h.button(0, true);
        rig.h.run();
        for (int i = 1; i < points; i++) {
            rig.h.move(c.x + x + step_px * (float)i, c.y + y);
            rig.h.run();
        }
        rig.h.button(0, false);
        rig.h.run();
    }
    std::vector<int32_t> ends(const char* label = "sign")
    {
        const int32_t* e = nullptr;
        int32_t n = 0;
        qel_signature_strokes(rig.h.ctx, label, nullptr, &e, &n);
        return std::vector<int32_t>(e, e + n);
    }
};

TEST(SignaturePad, StrokesComeBackAsPointsAndEnds)
{
    pad_rig p;
    EXPECT_EQ(qel_signature_strokes(p.rig.h.ctx, "sign", nullptr, nullptr, nullptr), 0);
    EXPECT_TRUE(p.ends().empty());
    p.stroke(20, 40, 10, 5);
    p.stroke(20, 80, 5, 5);
    p.stroke(20, 120, 7, 5);
    const float* points = nullptr;
    EXPECT_EQ(qel_signature_strokes(p.rig.h.ctx, "sign", &points, nullptr, nullptr), 22);
    EXPECT_EQ(p.ends(), (std::vector<int32_t>{10, 15, 22}));
    ASSERT_NE(points, nullptr);
    EXPECT_FLOAT_EQ(points[0], 20);
    EXPECT_FLOAT_EQ(points[1], 40);
    EXPECT_FLOAT_EQ(points[2 * 21], 50);

    p.stroke(200, 60, 1, 0);  // a click without movement: a dot
    EXPECT_EQ(p.ends(), (std::vector<int32_t>{10, 15, 22, 23}));
    EXPECT_TRUE(p.ends("initials").empty()) << "each pad keeps its own strokes";
    p.stroke(30, 30, 3, 4, "initials");
    EXPECT_EQ(p.ends("initials"), (std::vector<int32_t>{3}));
    EXPECT_EQ(p.ends().back(), 23);
}

TEST(SignaturePad, WidthsFollowTheSpeedAndChangeGently)
{
    pad_rig fast;
    fast.stroke(10, 50, 10, 40);  // 2400 px a second
    pad_rig slow;
    slow.rig.h.step = 0.5f;
    slow.stroke(10, 50, 30, 3);  // 6 px a second
    auto widths = [](pad_rig& p) {
        // The widths are not handed out: read them from the pad's state.
        struct view {
            float* points;
            int32_t count, capacity;
            float* widths;
        };
        const auto* v = (const view*)qel_state_find(p.rig.h.ctx, qel_id(p.rig.h.ctx, "sign"), sizeof(view), false);
        return std::vector<float>(v->widths, v->widths + v->count);
    };
    std::vector<float> f = widths(fast), s = widths(slow);
    ASSERT_EQ(f.size(), 10u);
    EXPECT_FLOAT_EQ(f[0], 2.6f);
    EXPECT_LT(f.back(), 1.2f);
    EXPECT_GT(s.back(), 3.3f);
    for (size_t i = 1; i < f.size(); i++) EXPECT_NEAR(f[i] - f[i - 1], (1.1f - f[i - 1]) * 0.35f, 1e-4f) << i;
}

TEST(SignaturePad, ANarrowedPadRecordsInTheUnitsOfItsFirstWidth)
{
    pad_rig p;
    float first = p.canvas().w;
    p.stroke(100, 40, 1, 0);
    p.width = 200;
    p.rig.h.run(2);
    qel_rect c = p.canvas();
    ASSERT_LT(c.w, first);
    float base = 0.72f * c.h;
    p.stroke(100, base - 20, 1, 0);
    const float* points = nullptr;
    ASSERT_EQ(qel_signature_strokes(p.rig.h.ctx, "sign", &points, nullptr, nullptr), 2);
    float s = c.w / first;
    EXPECT_NEAR(points[2], 100 / s, 0.01f);
    EXPECT_NEAR(points[3], base - 20 / s, 0.01f) << "scaled about the baseline";
    p.width = 600;
    p.rig.h.run(2);
    p.stroke(100, 40, 1, 0);
    qel_signature_strokes(p.rig.h.ctx, "sign", &points, nullptr, nullptr);
    EXPECT_FLOAT_EQ(points[4], 100) << "a wider pad never scales up";
}

TEST(SignaturePad, ClearEmptiesThePadAndHidesItself)
{
    pad_rig p;
    qel_push_id(p.rig.h.ctx, "sign");
    uint32_t clear = qel_id(p.rig.h.ctx, "Clear");
    qel_pop_id(p.rig.h.ctx);
    EXPECT_EQ(node_with_id(p.rig.h.ctx, clear), nullptr);
    p.stroke(20, 40, 4, 6);
    ASSERT_NE(node_with_id(p.rig.h.ctx, clear), nullptr);
    int before = p.changes;
    qel_vec2 c = p.rig.centre(clear);
    p.rig.h.click(c.x, c.y);
    p.rig.h.run();
    EXPECT_EQ(p.changes, before + 1);
    EXPECT_EQ(qel_signature_strokes(p.rig.h.ctx, "sign", nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(node_with_id(p.rig.h.ctx, clear), nullptr);
    p.stroke(20, 40, 2, 6);
    EXPECT_EQ(p.ends(), (std::vector<int32_t>{2}));
    qel_signature_clear(p.rig.h.ctx, "sign");
    EXPECT_EQ(qel_signature_strokes(p.rig.h.ctx, "sign", nullptr, nullptr, nullptr), 0);
}
