#include "qel/color.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "support/qel_fixture.h"

static void oklab_of(float lab[3], qel_color c)
{
    qel_color_to_oklab(lab, (uint8_t)c, (uint8_t)(c >> 8), (uint8_t)(c >> 16));
}

static qel_color round_trip(qel_color c)
{
    float lab[3];
    oklab_of(lab, c);
    return qel_color_from_oklab(lab, (c >> 24) / 255.0f);
}

TEST(Color, OklabMatchesPublishedValuesAndPacksChannels)
{
    float lab[3];
    // sRGB red in OKLab, from the colour space's published reference.
    qel_color_to_oklab(lab, 255, 0, 0);
    EXPECT_NEAR(lab[0], 0.627955f, 1e-4f);
    EXPECT_NEAR(lab[1], 0.224863f, 1e-4f);
    EXPECT_NEAR(lab[2], 0.125846f, 1e-4f);

    const float white[3] = {1, 0, 0}, dark[3] = {0.18f, 0, 0};
    EXPECT_EQ(qel_color_from_oklab(white, 1), 0xFFFFFFFFu);
    EXPECT_EQ(qel_color_from_oklab(dark, 1), 0xFF121212u);
    EXPECT_EQ(qel_color_from_oklab(dark, -1), 0x00121212u);
    EXPECT_EQ(qel_color_from_oklab(dark, 7) >> 24, 0xFFu);
    // Out of gamut clips per channel; NaN does not reach a conversion.
    const float beyond[3] = {2, 1, -1}, nan[3] = {NAN, 0, 0};
    EXPECT_EQ(qel_color_from_oklab(beyond, NAN) >> 24, 0u);
    EXPECT_EQ(qel_color_from_oklab(nan, 1), 0xFF000000u);
    const float half_grey[3] = {0.5f, 0, 0};
    EXPECT_EQ(qel_color_oklch(0.5f, 0, 123, 1), qel_color_from_oklab(half_grey, 1));
}

TEST(Color, OklabRoundTripKeepsEveryChannelWithinOneStep)
{
    int worst = 0;
    for (int r = 0; r < 256; r += 5)
        for (int g = 0; g < 256; g += 5)
            for (int b = 0; b < 256; b += 5) {
                qel_color c = 0xFF000000u | (uint32_t)r | (uint32_t)g << 8 | (uint32_t)b << 16;
                worst = std::max(worst, channel_distance(c, round_trip(c)));
            }
    EXPECT_LE(worst, 1);
    for (qel_color c : {0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u, 0xFFFFFFFFu, 0xFF000000u}) EXPECT_EQ(round_trip(c), c);
}

TEST(Color, LuminanceFollowsWcag)
{
    EXPECT_FLOAT_EQ(qel_color_luminance(255, 255, 255), 1.0f);
    EXPECT_FLOAT_EQ(qel_color_luminance(0, 0, 0), 0.0f);
    EXPECT_NEAR(qel_color_luminance(255, 0, 0), 0.2126f, 1e-6f);
    EXPECT_NEAR(qel_color_luminance(0, 0, 255), 0.0722f, 1e-6f);
    // 0x80 is 0.2158605 in linear light.
    EXPECT_NEAR(qel_color_luminance(128, 128, 128), 0.2158605f, 1e-5f);
}

TEST(Color, MixIsPremultipliedInOklab)
{
    const qel_color red = 0xFF0000FF, blue = 0xFFFF0000, clear_blue = 0x00FF0000;
    // A transparent end lends no hue.
    EXPECT_EQ(qel_color_mix(red, clear_blue, 0.5f), 0x800000FFu);
    EXPECT_EQ(qel_color_mix(0x000000FF, clear_blue, 0.5f), 0u);
    const struct {
        float t;
        qel_color expected;
    } ends[] = {{-1, red}, {0, red}, {NAN, red}, {1, blue}, {5, blue}};
    for (auto e : ends) EXPECT_EQ(qel_color_mix(red, blue, e.t), e.expected) << e.t;
    // Halfway lies halfway in OKLab lightness.
    float a[3], b[3], m[3];
    qel_color mid = qel_color_mix(0xFF000000, 0xFFFFFFFF, 0.5f);
    qel_color_to_oklab(a, 0, 0, 0);
    qel_color_to_oklab(b, 255, 255, 255);
    oklab_of(m, mid);
    EXPECT_NEAR(m[0], (a[0] + b[0]) / 2, 0.005f);
}

static float luminance_of(qel_color c)
{
    return qel_color_luminance((uint8_t)c, (uint8_t)(c >> 8), (uint8_t)(c >> 16));
}

static float contrast(qel_color a, qel_color b)
{
    float ya = luminance_of(a), yb = luminance_of(b);
    return (std::max(ya, yb) + 0.05f) / (std::min(ya, yb) + 0.05f);
}

TEST(Color, ContrastMovesLightnessAwayFromTheBackground)
{
    const qel_color white = 0xFFFFFFFF, black = 0xFF000000, grey = 0xC0909090;
    EXPECT_EQ(qel_color_contrast(black, white, 4.5f), black);  // already enough: unchanged

    qel_color on_white = qel_color_contrast(grey, white, 4.5f);
    EXPECT_GE(contrast(on_white, white), 4.5f);
    EXPECT_LT(on_white & 0xFF, grey & 0xFF);
    EXPECT_EQ(on_white >> 24, 0xC0u);  // alpha kept

    qel_color on_black = qel_color_contrast(0xFF303030, black, 7.0f);
    EXPECT_GE(contrast(on_black, black), 7.0f);
    EXPECT_GT(on_black & 0xFF, 0x30u);

    // An unreachable ratio stops after 24 steps of 0.025 in lightness.
    float before[3], after[3];
    qel_color far = qel_color_contrast(0xFFE0E0E0, white, 100.0f);
    qel_color_to_oklab(before, 0xE0, 0xE0, 0xE0);
    oklab_of(after, far);
    EXPECT_NEAR(before[0] - after[0], 24 * 0.025f, 0.01f);
}

TEST(Color, ToneAndAlpha)
{
    float lab[3];
    qel_color toned = qel_color_tone(0x80FF8040, 0.3f, 0);
    oklab_of(lab, toned);
    EXPECT_NEAR(lab[0], 0.3f, 0.005f);
    EXPECT_NEAR(lab[1], 0, 0.005f);
    EXPECT_EQ(toned >> 24, 0x80u);

    const struct {
        qel_color in;
        float factor;
        qel_color out;
    } cases[] = {
        {0x80FF0000, 0.5f, 0x40FF0000}, {0x80FF0000, 3, 0xFFFF0000}, {0x80FF0000, -1, 0x00FF0000},
        {0x80FF0000, NAN, 0x00FF0000},  {0xFF123456, 0.05f, 0x0D123456}, {0xFF123456, 0.075f, 0x13123456},
    };
    for (auto c : cases) EXPECT_EQ(qel_color_alpha(c.in, c.factor), c.out) << c.factor;
}
