#include "qel/gradient.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

const qel_color OPAQUE_RED = 0xff0000ffu, OPAQUE_BLUE = 0xffff0000u, HALF_GREEN = 0x8000ff00u;

qel_color colour_at(const std::vector<qel_gradient_stop>& s, float t)
{
    return qel_gradient_evaluate(s.data(), (int32_t)s.size(), t);
}

}  // namespace

TEST(GradientEvaluate, InterpolatesEachChannel)
{
    std::vector<qel_gradient_stop> s = {{0, OPAQUE_RED}, {1, OPAQUE_BLUE}};
    EXPECT_EQ(colour_at(s, 0.5f), 0xff800080u);  // 127.5 + 0.5 truncated
    EXPECT_EQ(colour_at(s, -1), OPAQUE_RED);
    EXPECT_EQ(colour_at(s, 2), OPAQUE_BLUE);
    EXPECT_EQ(colour_at(s, 1), OPAQUE_BLUE);
    EXPECT_EQ(colour_at(s, NAN), OPAQUE_RED);

    // Alpha interpolates straight, like the colour channels.
    std::vector<qel_gradient_stop> fade = {{0, OPAQUE_RED}, {1, 0x000000ffu}};
    EXPECT_EQ(colour_at(fade, 0.25f), 0xbf0000ffu);  // 191.25 + 0.5

    std::vector<qel_gradient_stop> unsorted = {{1, OPAQUE_BLUE}, {0.5f, HALF_GREEN}, {0, OPAQUE_RED}};
    std::vector<qel_gradient_stop> sorted = {{0, OPAQUE_RED}, {0.5f, HALF_GREEN}, {1, OPAQUE_BLUE}};
    for (float t : {-0.1f, 0.0f, 0.2f, 0.5f, 0.7f, 1.0f, 1.3f}) EXPECT_EQ(colour_at(unsorted, t), colour_at(sorted, t));

    EXPECT_EQ(qel_gradient_evaluate(nullptr, 2, 0.5f), 0u);
    EXPECT_EQ(qel_gradient_evaluate(s.data(), 0, 0.5f), 0u);
    std::vector<qel_gradient_stop> one = {{0.3f, HALF_GREEN}};
    for (float t : {-5.0f, 0.3f, 7.0f}) EXPECT_EQ(colour_at(one, t), HALF_GREEN);
}

TEST(GradientEvaluate, EarliestOfEqualPositionsWins)
{
    std::vector<qel_gradient_stop> s = {{0, OPAQUE_RED}, {0.5f, HALF_GREEN}, {0.5f, OPAQUE_BLUE}, {1, OPAQUE_RED}};
    EXPECT_EQ(colour_at(s, 0.5f), HALF_GREEN);
    // Just above, the interpolation starts from the earlier of the two toward the next stop.
    qel_color above = colour_at(s, 0.75f);
    EXPECT_EQ(above & 0xffu, 128u);       // red: 0 .. 255
    EXPECT_EQ(above >> 8 & 0xffu, 128u);  // green: 255 .. 0
    EXPECT_EQ(above >> 24, 192u);         // alpha: 128 .. 255
}

TEST(GradientResort, MovesOneStopToItsPlace)
{
    std::vector<qel_gradient_stop> s = {{0, OPAQUE_RED}, {0.5f, HALF_GREEN}, {1, OPAQUE_BLUE}};
    s[1].pos = 1.2f;
    EXPECT_EQ(qel_gradient_stop_resort(s.data(), 3, 1), 2);
    EXPECT_EQ(s[2].color, HALF_GREEN);
    EXPECT_EQ(s[1].color, OPAQUE_BLUE);
    s[2].pos = -1;
    EXPECT_EQ(qel_gradient_stop_resort(s.data(), 3, 2), 0);
    EXPECT_EQ(s[0].color, HALF_GREEN);

    // Equal positions keep their order.
    std::vector<qel_gradient_stop> ties = {{0.5f, OPAQUE_RED}, {0.5f, HALF_GREEN}, {0.5f, OPAQUE_BLUE}};
    EXPECT_EQ(qel_gradient_stop_resort(ties.data(), 3, 1), 1);
    EXPECT_EQ(ties[1].color, HALF_GREEN);

    for (int32_t index : {-1, 3, 99}) EXPECT_EQ(qel_gradient_stop_resort(ties.data(), 3, index), index);
    EXPECT_EQ(qel_gradient_stop_resort(nullptr, 3, 1), 1);
}
