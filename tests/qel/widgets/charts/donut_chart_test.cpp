// The donut chart: the slice at an angle, hover only on the ring's band, all-zero data, and the
// legend moving under the ring in a narrow container.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "chart_rig.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

static const float PI = 3.14159265f;

TEST(Donut, SliceAtAnAngleWalksTheSharesClockwiseFromTheTop)
{
    const float values[4] = {1, 0, 1, 2};
    EXPECT_EQ(qel_donut_slice_at(values, 4, 4, 0.1f), 0);
    EXPECT_EQ(qel_donut_slice_at(values, 4, 4, 1.5707f), 0);
    EXPECT_EQ(qel_donut_slice_at(values, 4, 4, PI / 2 + 0.01f), 2) << "a zero slice takes no angle";
    EXPECT_EQ(qel_donut_slice_at(values, 4, 4, 2 * PI - 0.01f), 3);
    EXPECT_EQ(qel_donut_slice_at(values, 4, 0, 1), -1);
}

struct donut_scene {
    widget_rig rig;
    const float* values;
    const char* const* labels;
    int32_t count;
    explicit donut_scene(float width, const float* v, const char* const* l, int32_t n)
        : rig(width, 320), values(v), labels(l), count(n)
    {
        rig.h.ui = [this](qel_context* ctx) { qel_donut_chart(ctx, "mix", values, labels, count, nullptr); };
        rig.h.run(2);
    }
    uint32_t ring() { return qel_id(rig.h.ctx, "mix") ^ PART_DONUT_RING; }
    const qel_donut_payload* payload() { return (const qel_donut_payload*)node_with_id(rig.h.ctx, ring())->draw_user; }
    int32_t hovered_at(float dx, float dy)
    {
        qel_vec2 c = rig.centre(ring());
        rig.h.move(c.x + dx, c.y + dy);
        rig.h.run();
        return payload()->hovered;
    }
};

TEST(Donut, OnlyTheRingBandHovers)
{
    static const float values[3] = {3, 1, 2};
    static const char* const names[3] = {"Green", "Black", nullptr};
    donut_scene s(600, values, names, 3);
    float half = s.rig.h.rect(s.ring()).w / 2;
    EXPECT_EQ(s.hovered_at(0.01f, -0.4f * half * 2), 0) << "just right of the top";
    EXPECT_EQ(s.hovered_at(-0.4f * half * 2, -0.01f), 2) << "just above the left";
    EXPECT_EQ(s.hovered_at(0, 0.3f * half * 2), 1);
    EXPECT_EQ(s.hovered_at(0, 0.2f * half * 2), -1) << "the hole";
    EXPECT_EQ(s.hovered_at(half - 1, half - 1), -1) << "the corner outside the ring";
    EXPECT_EQ(s.payload()->total, 6);
    EXPECT_EQ(node_with_id(s.rig.h.ctx, qel_id(s.rig.h.ctx, "mix"))->direction, QEL_DIR_ROW) << "legend beside";
    EXPECT_NE(node_with_text(s.rig.h.ctx, "50%"), nullptr);
}

TEST(Donut, AllZeroOrMissingValuesDrawNoSlicesAndHoverNothing)
{
    static const float values[3] = {0, -4, NaN};
    static const char* const names[3] = {"a", "b", "c"};
    donut_scene s(600, values, names, 3);
    EXPECT_EQ(s.payload()->total, 0);
    EXPECT_EQ(s.hovered_at(0, -0.4f * s.rig.h.rect(s.ring()).w), -1);
    for (int i = 0; i < 3; i++)
        EXPECT_FALSE(
            solid_in(s.rig.h.draw_data(), qel_theme_color(s.rig.h.ctx, (qel_theme_slot)(QEL_COLOR_CHART1 + i))));
    EXPECT_NE(node_with_text(s.rig.h.ctx, "0%"), nullptr) << "shares of nothing read 0%";
}

TEST(Donut, ANarrowContainerPutsTheLegendUnderTheRing)
{
    static const float values[2] = {3, 1};
    static const char* const names[2] = {"A rather long slice name", "Another long slice name"};
    donut_scene s(260, values, names, 2);
    const qel_node* outer = node_with_id(s.rig.h.ctx, qel_id(s.rig.h.ctx, "mix"));
    EXPECT_EQ(outer->direction, QEL_DIR_COLUMN);
    EXPECT_GE(s.rig.h.rect(s.ring()).w, 120);
    EXPECT_LE(s.rig.h.rect(s.ring()).w, 180);
}
