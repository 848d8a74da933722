// The shell's start-up decisions: defaults, environment values and the renderer choice.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "platform/app_settings.h"
#include "qel/theme.h"

TEST(AppSettings, NullFieldsTakeTheDefaults)
{
    qel_app_config config = {};
    config.height = -5;
    qel_app_settings_defaults(&config);
    EXPECT_STREQ(config.title, "QEL");
    EXPECT_EQ(config.width, 1080);
    EXPECT_EQ(config.height, 720);
    EXPECT_EQ(config.min_width, 360);
    EXPECT_EQ(config.min_height, 280);
    EXPECT_EQ(config.renderer, (uint32_t)QEL_RENDERER_AUTO);
    EXPECT_EQ(config.vsync_off, 0);

    qel_app_config given = {"Labels", 800, 600, 400, 300, 0, 0, 0, 0, 0, 0, 0, 0};
    qel_app_settings_defaults(&given);
    EXPECT_STREQ(given.title, "Labels");
    EXPECT_EQ(given.width * 10000 + given.height, 800 * 10000 + 600);
    EXPECT_EQ(given.min_width * 10000 + given.min_height, 400 * 10000 + 300);
}

TEST(AppSettings, ThemeTakesConfigThenSystemThenEnvironment)
{
    struct row {
        uint32_t configured;
        bool follow;
        int32_t system;
        const char* env;
        uint32_t expected;
    };
    const row rows[] = {
        {QEL_THEME_DARK, false, 0, nullptr, QEL_THEME_DARK},  // the system is asked only when followed
        {QEL_THEME_LIGHT, true, 1, nullptr, QEL_THEME_DARK},
        {QEL_THEME_DARK, true, 0, nullptr, QEL_THEME_LIGHT},
        {QEL_THEME_DARK, true, -1, nullptr, QEL_THEME_DARK},  // unknown keeps the configured mode
        {QEL_THEME_DARK, true, 1, "light", QEL_THEME_LIGHT},  // the environment wins over both
        {QEL_THEME_LIGHT, false, 0, "dark", QEL_THEME_DARK},
        {QEL_THEME_DARK, true, 1, "Light", QEL_THEME_DARK},  // exact, case-sensitive
        {QEL_THEME_LIGHT, false, 0, "", QEL_THEME_LIGHT},
    };
    for (const row& r : rows) {
        EXPECT_EQ(qel_app_settings_theme(r.configured, r.follow, r.system, r.env), r.expected)
            << r.configured << " " << r.follow << " " << r.system << " " << (r.env ? r.env : "(unset)");
    }
}

TEST(AppSettings, AccentByExactPresetName)
{
    const char* names[] = {"neutral", "violet", "blue", "green", "amber", "orange", "coral", "rose"};
    for (uint32_t i = 0; i < 8; i++) EXPECT_EQ(qel_app_settings_accent(5, names[i]), i) << names[i];
    for (const char* other : {(const char*)nullptr, "", "Blue", "blue ", "red"})
        EXPECT_EQ(qel_app_settings_accent(5, other), 5u) << (other ? other : "(unset)");
}

TEST(AppSettings, ScaleFromEnvironmentWithinExclusiveBoundsElseDpi)
{
    struct row {
        const char* env;
        uint32_t dpi;
        float expected;
    };
    const row rows[] = {
        {"1.5", 96, 1.5f}, {"1.5", 192, 1.5f}, {"0.25", 144, 1.5f}, {"8", 96, 1.0f},  {"7.5", 96, 7.5f},
        {"0.3", 96, 0.3f}, {"abc", 120, 1.25f}, {"-2", 96, 1.0f},   {nullptr, 0, 1.0f}, {nullptr, 288, 3.0f},
    };
    for (const row& r : rows) {
        float scale = qel_app_settings_scale(r.env, r.dpi);
        EXPECT_FLOAT_EQ(scale, r.expected) << (r.env ? r.env : "(unset)") << " at " << r.dpi << " dpi";
        EXPECT_GT(scale, 0.0f);
    }
}

TEST(AppSettings, FirstWindowFitsTheWorkArea)
{
    // (wanted, least, frame, room) -> client pixels of one side
    const int32_t sides[][5] = {
        {1120, 900, 16, 1920, 1120},  // fits as wanted
        {760, 620, 39, 728, 689},     // 1366 x 768 less a taskbar: as much as fits
        {1140, 930, 58, 1040, 982},   // 1920 x 1080 at 150 %
        {1680, 1350, 24, 1366, 1350}, // not even the least fits: the least
        {320, 360, 16, 1920, 320},    // below the least by choice
    };
    for (const auto& r : sides) EXPECT_EQ(qel_app_settings_fit(r[0], r[1], r[2], r[3]), r[4]) << r[0] << " in " << r[3];
    // (start, size, low, high) -> start
    const int32_t places[][5] = {
        {26, 1136, 0, 1366, 26}, {300, 1136, 0, 1366, 230}, {-50, 100, 0, 1366, 0}, {10, 1400, 0, 1366, 0},
        {1950, 800, 1920, 3840, 1950},  // a second monitor's work area
    };
    for (const auto& r : places) EXPECT_EQ(qel_app_settings_place(r[0], r[1], r[2], r[3]), r[4]) << r[0];
}

TEST(AppSettings, ScreenshotModeNeedsAPath)
{
    EXPECT_EQ(qel_app_settings_screenshot_path(nullptr), nullptr);
    EXPECT_EQ(qel_app_settings_screenshot_path(""), nullptr);  // set but empty is unset
    EXPECT_STREQ(qel_app_settings_screenshot_path("shot.png"), "shot.png");
}

TEST(AppSettings, ScreenshotFramesDefaultTo90)
{
    EXPECT_EQ(qel_app_settings_screenshot_frames(nullptr), 90);
    EXPECT_EQ(qel_app_settings_screenshot_frames("3"), 3);
    EXPECT_EQ(qel_app_settings_screenshot_frames("0"), 0);
    EXPECT_EQ(qel_app_settings_screenshot_frames("-4"), -4);
    EXPECT_EQ(qel_app_settings_screenshot_frames("many"), 0);
}

TEST(AppSettings, RendererChoice)
{
    // Whether OpenGL is tried at all.
    EXPECT_TRUE(qel_app_settings_try_opengl(QEL_RENDERER_AUTO, nullptr));
    EXPECT_TRUE(qel_app_settings_try_opengl(QEL_RENDERER_OPENGL, "Software"));
    EXPECT_FALSE(qel_app_settings_try_opengl(QEL_RENDERER_SOFTWARE, nullptr));
    EXPECT_FALSE(qel_app_settings_try_opengl(QEL_RENDERER_OPENGL, "software"));

    // Whether a working OpenGL renderer is kept.
    struct row {
        uint32_t renderer;
        bool software_driver;
        const char* backend;
        const char* env;
        bool keep;
    };
    const row rows[] = {
        {QEL_RENDERER_AUTO, false, "win32", nullptr, true},
        {QEL_RENDERER_AUTO, true, "win32", nullptr, false},  // llvmpipe under Wine lands here
        {QEL_RENDERER_AUTO, true, "x11", nullptr, false},
        {QEL_RENDERER_AUTO, true, "web", nullptr, true},  // not a desktop backend
        {QEL_RENDERER_AUTO, true, "win32", "opengl", true},
        {QEL_RENDERER_AUTO, true, "win32", "OpenGL", false},
        {QEL_RENDERER_OPENGL, true, "win32", nullptr, true},  // asked for by the program
    };
    for (const row& r : rows) {
        EXPECT_EQ(qel_app_settings_keep_opengl(r.renderer, r.software_driver, r.backend, r.env), r.keep)
            << r.renderer << " " << r.software_driver << " " << r.backend << " " << (r.env ? r.env : "(unset)");
    }
}
