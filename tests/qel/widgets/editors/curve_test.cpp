#include "qel/curve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

const float CURVE_NAN = std::numeric_limits<float>::quiet_NaN();

qel_curve_key key(float x, float y, uint8_t mode = QEL_CURVE_SMOOTH)
{
    return {x, y, 0, 0, 0, 0, mode};
}

qel_curve_key free_key(float x, float y, float out_dx, float out_dy)
{
    return {x, y, 0, 0, out_dx, out_dy, QEL_CURVE_FREE};
}

float at(const std::vector<qel_curve_key>& k, float x)
{
    return qel_curve_evaluate(k.data(), (int32_t)k.size(), x);
}

}  // namespace

TEST(CurveEvaluate, WorkedValues)
{
    std::vector<qel_curve_key> bump = {key(0, 0), key(1, 1), key(2, 0)};
    EXPECT_FLOAT_EQ(qel_curve_auto_slope(bump.data(), 1), 0);
    EXPECT_NEAR(at(bump, 0.5f), 0.5f, 1e-6);
    EXPECT_NEAR(at(bump, 1.5f), 0.5f, 1e-6);

    std::vector<qel_curve_key> limited = {key(0, 0), key(1, 1), key(2, 1.1f)};
    EXPECT_NEAR(qel_curve_auto_slope(limited.data(), 1), 0.3f, 1e-6);

    std::vector<qel_curve_key> jump = {key(0, 0), key(1, 5), key(1, 7), key(2, 0)};
    EXPECT_FLOAT_EQ(at(jump, 1), 7);
    EXPECT_NEAR(at(jump, 0.9999f), 5, 1e-3);
    std::vector<qel_curve_key> first_pair = {key(1, 3), key(1, 4), key(2, 0)};
    EXPECT_FLOAT_EQ(at(first_pair, 1), 3);

    std::vector<qel_curve_key> free_short = {free_key(0, 0, 0.9f, 0), key(1, 1)};
    EXPECT_NEAR(at(free_short, 0.5f), 0.1658f, 1e-4);
    EXPECT_NEAR(at(free_short, 0.25f), 0.0313f, 1e-4);
    float ohx, ohy, ihx, ihy;
    qel_curve_segment_handles(free_short.data(), 2, 0, &ohx, &ohy, &ihx, &ihy);
    EXPECT_FLOAT_EQ(ihx, -1.0f / 3);
    EXPECT_FLOAT_EQ(ihy, 0);

    std::vector<qel_curve_key> free_long = {free_key(0, 0, 2, 1), key(1, 1)};
    EXPECT_NEAR(at(free_long, 0.5f), 0.3363f, 1e-4);
    qel_curve_segment_handles(free_long.data(), 2, 0, &ohx, &ohy, &ihx, &ihy);
    EXPECT_FLOAT_EQ(ohx, 1);
    EXPECT_FLOAT_EQ(ohy, 0.5f);
    EXPECT_EQ(free_long[0].out_dx, 2);  // the stored handle stays
    EXPECT_EQ(free_long[0].out_dy, 1);
}

TEST(CurveEvaluate, EndsStepsLinesAndEmptyArrays)
{
    std::vector<qel_curve_key> one = {key(3, 4)};
    for (float x : {-1e30f, 3.0f, 9.0f, CURVE_NAN}) EXPECT_FLOAT_EQ(at(one, x), 4);

    std::vector<qel_curve_key> k = {key(0, 1, QEL_CURVE_STEP), key(1, 3, QEL_CURVE_LINEAR), key(3, 7), key(4, 0)};
    EXPECT_FLOAT_EQ(at(k, -1), 1);
    EXPECT_FLOAT_EQ(at(k, CURVE_NAN), 1);
    EXPECT_FLOAT_EQ(at(k, 0.999f), 1);
    EXPECT_FLOAT_EQ(at(k, 1), 3);
    EXPECT_FLOAT_EQ(at(k, 2), 5);
    EXPECT_FLOAT_EQ(at(k, 4), 0);
    EXPECT_FLOAT_EQ(at(k, 100), 0);
    EXPECT_EQ(qel_curve_evaluate(nullptr, 3, 1), 0);
    EXPECT_EQ(qel_curve_evaluate(k.data(), 0, 1), 0);
    EXPECT_EQ(qel_curve_evaluate(k.data(), -4, 1), 0);

    // Any unknown mode runs as Smooth.
    std::vector<qel_curve_key> odd = {key(0, 0, 9), key(1, 1), key(2, 0)};
    EXPECT_NEAR(at(odd, 0.5f), 0.5f, 1e-6);
}

TEST(CurveEvaluate, FiniteKeysGiveFiniteValues)
{
    const float big = std::numeric_limits<float>::max(), tiny = std::numeric_limits<float>::denorm_min();
    std::vector<qel_curve_key> k = {key(0, -big), key(tiny, big), key(2 * tiny, -big), free_key(1, big, 1e30f, big),
                                    key(2, -big)};
    k[4].mode = QEL_CURVE_FREE;
    k[4].in_dx = -std::numeric_limits<float>::infinity();  // used as 0
    k[4].in_dy = CURVE_NAN;
    for (float x : {0.5f * tiny, 1.5f * tiny, 0.5f, 1.0f, 1.5f, 1.999f}) EXPECT_TRUE(std::isfinite(at(k, x))) << x;
}

TEST(CurveMoveKey, StaysWithinRangesAndNeighbours)
{
    std::vector<qel_curve_key> k = {key(0, 0), key(1, 1), key(2, 0)};
    qel_curve_key* p = k.data();
    EXPECT_EQ(qel_curve_move_key(p, 3, 1, 0, 2, 0, 1, 5, 0.5f), 1);  // stops at the next key
    EXPECT_FLOAT_EQ(k[1].x, 2);
    EXPECT_FLOAT_EQ(k[1].y, 0.5f);
    EXPECT_EQ(qel_curve_move_key(p, 3, 1, 0, 2, 0, 1, 2, 0.5f), 0);  // where it is
    EXPECT_EQ(qel_curve_move_key(p, 3, 1, 0, 2, 0, 1, -3, -3), 1);
    EXPECT_FLOAT_EQ(k[1].x, 0);
    EXPECT_FLOAT_EQ(k[1].y, 0);

    // A NaN coordinate keeps the key's own, whatever the ranges.
    k[1] = key(1, 1);
    EXPECT_EQ(qel_curve_move_key(p, 3, 1, 0, 2, 0, 1, CURVE_NAN, 0.25f), 1);
    EXPECT_FLOAT_EQ(k[1].x, 1);
    EXPECT_EQ(qel_curve_move_key(p, 3, 1, 0, 2, 0, 1, 1.5f, CURVE_NAN), 1);
    EXPECT_FLOAT_EQ(k[1].x, 1.5f);
    EXPECT_FLOAT_EQ(k[1].y, 0.25f);
    EXPECT_EQ(qel_curve_move_key(p, 3, 1, 0, 2, CURVE_NAN, CURVE_NAN, CURVE_NAN, CURVE_NAN), 0);

    // A key outside a tighter range keeps its x; y still moves.
    EXPECT_EQ(qel_curve_move_key(p, 3, 2, 0, 1, 0, 1, 1.8f, 1), 1);
    EXPECT_FLOAT_EQ(k[2].x, 2);
    EXPECT_FLOAT_EQ(k[2].y, 1);

    std::vector<qel_curve_key> before = k;
    for (int32_t index : {-1, 3, 1000}) EXPECT_EQ(qel_curve_move_key(p, 3, index, 0, 2, 0, 1, 0.5f, 0.5f), 0);
    EXPECT_EQ(qel_curve_move_key(nullptr, 3, 0, 0, 2, 0, 1, 0.5f, 0.5f), 0);
    for (size_t i = 0; i < k.size(); i++) EXPECT_EQ(k[i].x, before[i].x);
}

TEST(CurveMakeFree, KeepsTheShape)
{
    std::vector<qel_curve_key> k = {key(0, 0), key(0.3f, 0.8f), key(1, 0.9f), key(1.7f, 0.2f), key(2, 1)};
    std::vector<float> before;
    for (int s = 0; s < 200; s++) before.push_back(at(k, 2.0f * (float)s / 199));
    for (int32_t i = 0; i < 5; i++) {
        qel_curve_key_make_free(k.data(), 5, i);
        EXPECT_EQ(k[i].mode, QEL_CURVE_FREE);
    }
    EXPECT_EQ(k[0].in_dx, 0);
    EXPECT_EQ(k[4].out_dx, 0);
    for (int s = 0; s < 200; s++) EXPECT_NEAR(at(k, 2.0f * (float)s / 199), before[(size_t)s], 1e-5) << s;

    std::vector<qel_curve_key> untouched = {key(0, 0), key(1, 1)};
    qel_curve_key_make_free(untouched.data(), 2, 2);
    qel_curve_key_make_free(untouched.data(), 2, -1);
    EXPECT_EQ(untouched[0].mode, QEL_CURVE_SMOOTH);
    EXPECT_EQ(untouched[1].mode, QEL_CURVE_SMOOTH);
    float h[4] = {9, 9, 9, 9};
    qel_curve_segment_handles(untouched.data(), 2, 1, &h[0], &h[1], &h[2], &h[3]);
    for (float v : h) EXPECT_EQ(v, 0);
}
