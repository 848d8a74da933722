// The animated number: the short way from 9 to 10, groups of thousands with and without
// decimals, a fixed sign, a first frame in place, thousands of rolls that keep rolling, and
// texts longer than its buffers.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "qel/qel.h"
#include "support/widget_rig.h"

struct number_scene {
    widget_rig rig;
    double value;
    qel_animated_number_opts o = {};
    explicit number_scene(double first, bool moving = true) : rig(900, 200, QEL_THEME_LIGHT, !moving), value(first)
    {
        rig.h.ui = [this](qel_context* ctx) { qel_animated_number(ctx, "n", value, &o); };
    }
    // The digit cells' spring values, left to right.
    std::vector<float> cells()
    {
        std::vector<float> out;
        for (int32_t i = 0; i < inspect_node_count(rig.h.ctx); i++) {
            const qel_node* n = inspect_node(rig.h.ctx, i);
            if (n->draw == qel_rolling_digit_draw) out.push_back(((const qel_rolling_digit_payload*)n->draw_user)->value);
        }
        return out;
    }
    // The row's children as text: digits from their cells (rounded), the rest as they are.
    std::string shown()
    {
        std::string out;
        const qel_node* row = node_with_id(rig.h.ctx, qel_id(rig.h.ctx, "n"));
        for (int32_t c = row ? row->first_child : -1; c >= 0; c = inspect_node(rig.h.ctx, c)->next_sibling) {
            const qel_node* n = inspect_node(rig.h.ctx, c);
            if (n->draw == qel_rolling_digit_draw) {
                float v = ((const qel_rolling_digit_payload*)n->draw_user)->value;
                out += (char)('0' + ((int)std::lround(v) % 10 + 10) % 10);
            } else {
                out.append(n->text, (size_t)n->text_length);
            }
        }
        return out;
    }
};

TEST(AnimatedNumber, NineToTenRollsTheShortWayAndTheFirstFrameStandsStill)
{
    number_scene s(9);
    s.rig.h.run();
    ASSERT_EQ(s.cells(), std::vector<float>({9})) << "in place on the first frame";
    s.value = 10;
    for (int i = 0; i < 20; i++) {
        s.rig.h.run();
        std::vector<float> c = s.cells();
        ASSERT_EQ(c.size(), 2u);
        EXPECT_GE(c[0], -0.01f) << "the tens from 0 up to 1";
        EXPECT_LE(c[0], 1.1f);
        EXPECT_GE(c[1], 8.99f) << "the ones from 9 up through 10, never back through 8";
        EXPECT_LE(c[1], 10.1f);
    }
    s.rig.h.run(60);
    EXPECT_EQ(s.shown(), "10");
}

TEST(AnimatedNumber, GroupsThousandsAndKeepsSignsAndSeparatorsFixed)
{
    struct group_case {
        double value;
        const char* format;
        uint8_t group;
        const char* shown;
    };
    const group_case cases[] = {
        {1234567, nullptr, 1, "1,234,567"}, {1234.5, "%.2f", 1, "1,234.50"}, {-42, nullptr, 0, "-42"},
        {-1234, "%.0f kg", 1, "-1,234 kg"}, {1234567, nullptr, 0, "1234567"},
        {5, "%s", 0, "5"},  // a format that does not take a double falls back to %.0f
        {1e300, nullptr, 1, nullptr},  // longer than 48 bytes: cut, never overrun
    };
    for (const group_case& c : cases) {
        number_scene s(c.value, false);
        s.o.format = c.format;
        s.o.group_thousands = c.group;
        s.rig.h.run(2);
        if (c.shown) EXPECT_EQ(s.shown(), c.shown);
        else EXPECT_LE(s.shown().size(), 46u);
    }
}

TEST(AnimatedNumber, ThousandsOfRollsKeepRolling)
{
    number_scene s(0);
    s.rig.h.step = 0.05f;
    for (int i = 1; i <= 1500; i++) {
        s.value = i % 10;  // the ones digit goes round and round, always up
        s.rig.h.run();
    }
    std::vector<float> c = s.cells();
    ASSERT_EQ(c.size(), 1u);
    EXPECT_LT(std::fabs(c[0]), 20) << "the spring stays near its digit";
    s.value = 1;
    s.rig.h.run(40);
    s.value = 2;
    s.rig.h.run();
    float mid = s.cells()[0];
    EXPECT_GT(std::fmod(mid, 10.0f), 1.01f) << "it still rolls rather than snapping";
    EXPECT_LT(std::fmod(mid, 10.0f), 1.99f);
}
