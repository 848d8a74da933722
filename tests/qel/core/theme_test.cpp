#include "qel/theme.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "qel/color.h"
#include "qel/frame.h"
#include "support/qel_fixture.h"

// Fixed palette colours as a double-precision model of the colour space gives them.
struct slot_value {
    int index;
    qel_color light, dark;
};

static const slot_value FIXED[] = {
    {QEL_COLOR_BACKGROUND, 0xFFFFFFFF, 0xFF121212},     {QEL_COLOR_SURFACE, 0xFFFFFFFF, 0xFF181818},
    {QEL_COLOR_ELEVATED, 0xFFFFFFFF, 0xFF1F1F1F},       {QEL_COLOR_SUBTLE, 0xFFF8F8F8, 0xFF242424},
    {QEL_COLOR_TEXT, 0xFF0B0B0B, 0xFFF2F2F2},           {QEL_COLOR_TEXT_SECONDARY, 0xFF585858, 0xFFB4B4B4},
    {QEL_COLOR_TEXT_MUTED, 0xFF767676, 0xFF8C8C8C},     {QEL_COLOR_BORDER, 0xFFE3E3E3, 0xFF2B2B2B},
    {QEL_COLOR_BORDER_SUBTLE, 0xFFF0F0F0, 0xFF222222},  {QEL_COLOR_BORDER_STRONG, 0xFF949494, 0xFF676767},
    {QEL_COLOR_TRACK, 0xFFDCDCDC, 0xFF353535},          {QEL_COLOR_TRACK_HOVER, 0xFFD1D1D1, 0xFF404040},
    {QEL_COLOR_THUMB, 0xFFFFFFFF, 0xFFF5F5F5},          {QEL_COLOR_DANGER, 0xFF2D30C9, 0xFF6C71F2},
    {35, 0xFF9E6D13, 0xFFF0C47C},                       {36, 0xFF677400, 0xFFC1D537},
    {37, 0xFF4D7700, 0xFF9FD655},                       {38, 0xFF02629F, 0xFF68BDF2},
    {39, 0xFF542CBB, 0xFF8F73F0},                       {40, 0xFFA23F94, 0xFFE98FDD},
    {41, 0xFFB95068, 0xFFF49DAA},                       {QEL_COLOR_SCRIM, 0x520C0A0A, 0x8C000000},
    // Neutral accent.
    {QEL_COLOR_ACCENT, 0xFF353535, 0xFFBEBEBE},         {QEL_COLOR_ACCENT_TINT, 0x1A353535, 0x21BEBEBE},
    {QEL_COLOR_FOCUS_RING, 0xE6CF7D1F, 0xE6FFAD55},
};

TEST(Theme, BuildsBothPalettesFromTheirDefinitions)
{
    for (uint32_t mode : {QEL_THEME_LIGHT, QEL_THEME_DARK}) {
        qel_theme t;
        qel_theme_build(&t, mode, QEL_ACCENT_NEUTRAL);
        const qel_color* c = t.color;
        for (const slot_value& s : FIXED)
            EXPECT_LE(channel_distance(c[s.index], mode ? s.dark : s.light), 1) << "mode " << mode << ", " << s.index;
        EXPECT_EQ(c[0], 0u);
        EXPECT_EQ(c[QEL_COLOR_SUCCESS], c[37]);
        EXPECT_EQ(c[QEL_COLOR_WARNING], c[38]);
        EXPECT_EQ(c[QEL_COLOR_INFO], c[35]);
        EXPECT_EQ(c[QEL_COLOR_ON_ACCENT], c[QEL_COLOR_BACKGROUND]);
        EXPECT_EQ(c[QEL_COLOR_HOVER], (c[QEL_COLOR_TEXT] & 0xFFFFFF) | 13u << 24);
        EXPECT_EQ(c[QEL_COLOR_ACTIVE], (c[QEL_COLOR_TEXT] & 0xFFFFFF) | 19u << 24);
        EXPECT_EQ(c[QEL_COLOR_CHART1], mode ? 0xFFED9248u : 0xFFD6782Au);  // neutral starts the series
        EXPECT_EQ(t.control_height_medium, 36);
        EXPECT_EQ(t.heading[0], 36);
        EXPECT_EQ(t.motion_scale, 1);
    }
    qel_theme light, dark;
    qel_theme_build(&light, QEL_THEME_LIGHT, 0);
    qel_theme_build(&dark, QEL_THEME_DARK, 0);
    EXPECT_EQ(light.shadow[2][0].spread, -4);
    EXPECT_FLOAT_EQ(light.shadow[1][1].alpha, 0.035f);
    EXPECT_FLOAT_EQ(dark.shadow[1][1].alpha, 0);  // no second layer
    EXPECT_FLOAT_EQ(dark.shadow[2][0].alpha, 0.40f);
}

TEST(Theme, PresetAccentsTakeTheirTableColours)
{
    qel_theme t;
    qel_theme_build(&t, QEL_THEME_DARK, QEL_ACCENT_VIOLET);
    EXPECT_EQ(t.color[QEL_COLOR_ACCENT], 0xFFFF8BA7u);
    EXPECT_EQ(t.color[QEL_COLOR_ACCENT_STRONG], 0xFFFFB7C7u);
    EXPECT_EQ(t.color[QEL_COLOR_ACCENT_TINT], 0x38FF4777u);  // the light-mode colour, dark tint alpha
    EXPECT_EQ(t.color[QEL_COLOR_ON_ACCENT], 0xFF2B1015u);
    EXPECT_EQ(t.color[QEL_COLOR_PRIMARY], 0xFFFF668Au);
    EXPECT_EQ(t.color[QEL_COLOR_THUMB_ON], 0xFFFFFFFFu);
    EXPECT_EQ(t.color[QEL_COLOR_CHART1], 0xFFE67F8Eu);
    EXPECT_EQ(t.color[QEL_COLOR_FOCUS_RING],
              qel_color_mix(t.color[QEL_COLOR_ACCENT], t.color[QEL_COLOR_BACKGROUND], 0.35f));

    qel_theme_build(&t, QEL_THEME_LIGHT, QEL_ACCENT_AMBER);
    EXPECT_EQ(t.color[QEL_COLOR_ACCENT_TINT], 0x2920ADF3u);
    EXPECT_EQ(t.color[QEL_COLOR_ON_PRIMARY], 0xFF031C2Au);
    EXPECT_EQ(t.color[QEL_COLOR_FOCUS_RING],
              qel_color_mix(t.color[QEL_COLOR_ACCENT], t.color[QEL_COLOR_BACKGROUND], 0.45f));
}

TEST(Theme, ChartSeriesStartNearestTheAccentHue)
{
    static const qel_color light[6] = {0xFFD6782A, 0xFF3468EB, 0xFF7AAF1B, 0xFFD65062, 0xFF00A1ED, 0xFFA47BE8};
    static const qel_color dark[6] = {0xFFED9248, 0xFF2E67E8, 0xFF7AAB20, 0xFFE67F8E, 0xFF007FD1, 0xFF9761DD};
    // Start index per accent 0..7, light and dark: only orange differs.
    static const int start_light[8] = {0, 3, 0, 2, 4, 1, 1, 5};
    static const int start_dark[8] = {0, 3, 0, 2, 4, 4, 1, 5};
    for (uint32_t accent = 0; accent < 8; accent++) {
        for (uint32_t mode : {QEL_THEME_LIGHT, QEL_THEME_DARK}) {
            qel_theme t;
            qel_theme_build(&t, mode, accent);
            const qel_color* series = mode ? dark : light;
            int start = mode ? start_dark[accent] : start_light[accent];
            for (int k = 0; k < 6; k++)
                EXPECT_EQ(t.color[QEL_COLOR_CHART1 + k], series[(start + k) % 6]) << accent << ", " << mode;
        }
    }
}

using ThemeContext = QelTest;

TEST_F(ThemeContext, TokensResolveToTheCurrentPalette)
{
    EXPECT_EQ(qel_color_token(QEL_COLOR_TEXT), 0x001DC505u);
    EXPECT_EQ(qel_color_resolve(ctx, 0x001DC505), qel_theme_color(ctx, QEL_COLOR_TEXT));
    EXPECT_EQ(qel_color_resolve(ctx, 0x001DC523), 0u);          // slot 35 is no palette slot
    EXPECT_EQ(qel_color_resolve(ctx, 0x001DC500), 0x001DC500u);  // a transparent literal
    EXPECT_EQ(qel_color_resolve(ctx, 0xFF123456), 0xFF123456u);
    EXPECT_EQ(qel_theme_color(ctx, 0), 0u);
    EXPECT_EQ(qel_theme_color(ctx, 35), 0u);
    EXPECT_FALSE(qel_color_is_token(0x011DC505));

    const struct {
        uint32_t kind;
        int index;
    } semantic[] = {{QEL_SEMANTIC_INFO, 35},   {QEL_SEMANTIC_SUCCESS, 15}, {QEL_SEMANTIC_WARNING, 16},
                    {QEL_SEMANTIC_DANGER, 17}, {QEL_SEMANTIC_VIOLET, 41},  {QEL_SEMANTIC_TEAL, 36},
                    {QEL_SEMANTIC_PINK, 40},   {QEL_SEMANTIC_ACCENT, 11},  {0, 6},
                    {99, 6}};
    const qel_color* palette = qel_theme_block_get(ctx)->color;
    for (auto s : semantic) EXPECT_EQ(qel_color_semantic(ctx, s.kind), palette[s.index]) << s.kind;
}

TEST_F(ThemeContext, UnknownAccentBuildsNeutralButIsKept)
{
    qel_theme neutral;
    qel_theme_build(&neutral, QEL_THEME_LIGHT, QEL_ACCENT_NEUTRAL);
    qel_theme_set_reduced_motion(ctx, 1);
    qel_theme_set_accent(ctx, 9);
    qel_theme_update_fade(ctx);
    EXPECT_EQ(qel_theme_get_accent(ctx), 9u);
    EXPECT_EQ(memcmp(qel_theme_block_get(ctx)->color, neutral.color, sizeof neutral.color), 0);
    EXPECT_STREQ(qel_theme_accent_name(9), "neutral");
    EXPECT_STREQ(qel_theme_accent_name(QEL_ACCENT_CORAL), "coral");
}

TEST_F(ThemeContext, FadeEasesOverAThirdOfASecond)
{
    qel_theme light = *qel_theme_block_get(ctx), dark;
    qel_theme_build(&dark, QEL_THEME_DARK, 0);
    qel_theme_block_get(ctx)->radius_medium = 20;  // adjustments survive a change
    qel_theme_set_mode(ctx, QEL_THEME_DARK);
    EXPECT_EQ(qel_theme_get_mode(ctx), (uint32_t)QEL_THEME_DARK);

    ctx->clock.dt = 0.16f;  // half of 0.32 s: eased 1 - 0.5^3
    qel_theme_update_fade(ctx);
    const qel_theme* now = qel_theme_block_get(ctx);
    for (int i = 0; i < 42; i++) EXPECT_EQ(now->color[i], qel_color_mix(light.color[i], dark.color[i], 0.875f)) << i;
    EXPECT_EQ(memcmp(now->shadow, dark.shadow, sizeof dark.shadow), 0);  // shadows switch at once
    EXPECT_TRUE(ctx->clock.redraw_requested);

    ctx->clock.redraw_requested = 0;
    qel_theme_update_fade(ctx);
    EXPECT_EQ(memcmp(now->color, dark.color, sizeof dark.color), 0);
    EXPECT_FALSE(ctx->clock.redraw_requested);
    EXPECT_EQ(now->radius_medium, 20);

    qel_theme_set_mode(ctx, QEL_THEME_DARK);  // unchanged: no new fade
    EXPECT_EQ(ctx->theme.fade, 1.0f);
}

TEST_F(ThemeContext, ReducedMotionShowsTheNewPaletteOnTheNextFrame)
{
    qel_theme_set_reduced_motion(ctx, 1);
    qel_theme_set_mode(ctx, QEL_THEME_DARK);
    EXPECT_EQ(qel_theme_block_get(ctx)->motion_scale, 0);  // carried into the new target
    ctx->clock.dt = 0.001f;
    ctx->clock.redraw_requested = 0;  // as the frame begin does before the fade
    qel_theme_update_fade(ctx);
    qel_theme dark;
    qel_theme_build(&dark, QEL_THEME_DARK, 0);
    EXPECT_EQ(memcmp(qel_theme_block_get(ctx)->color, dark.color, sizeof dark.color), 0);
    EXPECT_FALSE(ctx->clock.redraw_requested);
    qel_theme_set_reduced_motion(ctx, 0);
    EXPECT_EQ(qel_theme_block_get(ctx)->motion_scale, 1);
}

// The window may idle between frames: a new mode or accent must ask for the frame that shows it,
// with or without the fade.
TEST_F(ThemeContext, ChangesBetweenFramesAskForAFrame)
{
    auto settle = [this] {
        for (int i = 0; i < 100 && qel_needs_redraw(ctx); i++) {
            qel_begin_frame(ctx, 1.0f / 60.0f);
            qel_end_frame(ctx);
        }
        ASSERT_FALSE(qel_needs_redraw(ctx));
    };
    for (uint8_t reduced : {0, 1}) {
        qel_theme_set_reduced_motion(ctx, reduced);
        settle();
        qel_theme_set_mode(ctx, qel_theme_get_mode(ctx) == QEL_THEME_DARK ? QEL_THEME_LIGHT : QEL_THEME_DARK);
        EXPECT_TRUE(qel_needs_redraw(ctx)) << "mode, reduced motion " << (int)reduced;
        settle();
        qel_theme_set_accent(ctx, qel_theme_get_accent(ctx) + 1);
        EXPECT_TRUE(qel_needs_redraw(ctx)) << "accent, reduced motion " << (int)reduced;
        settle();
    }
}
