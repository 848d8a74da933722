// The shell on a real window under Wine and Xvfb: screenshots through the software renderer and
// through OpenGL (Mesa), both themes and a doubled display scale, and a repaint of the software
// picture. The PNGs are decoded by stb_image, a decoder apart from the encoder.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "qel/app.h"
#include "qel/qel.h"
#include "qel/text.h"
#include "qel/textures.h"
#include "support/picture.h"
#include "support/scratch.h"

namespace {

const int32_t WIDTH = 320, HEIGHT = 200;

// The pixel at (x, y) as one word of R, G, B, A bytes.
uint32_t at(const picture& p, int32_t x, int32_t y)
{
    uint32_t pixel;
    memcpy(&pixel, &p.rgba[((size_t)y * (size_t)p.width + (size_t)x) * 4], 4);
    return pixel;
}

// A card with a border and a shadow, an accent bar, a literal red square and a line of text.
void draw_scene(qel_context* ctx, void*)
{
    const float radii[4] = {12, 12, 12, 12};
    qel_rect card = {20, 20, 200, 120};
    qel_draw_elevation(ctx, &card, radii, 2, 1.0f);
    qel_draw_rect_bordered(ctx, &card, radii, qel_color_token(QEL_COLOR_SURFACE), qel_color_token(QEL_COLOR_BORDER),
                           1);
    qel_rect bar = {40, 40, 160, 24};
    qel_draw_rect(ctx, &bar, nullptr, qel_color_token(QEL_COLOR_ACCENT));
    qel_rect square = {250, 30, 40, 40};
    qel_draw_rect(ctx, &square, nullptr, 0xFF0000FF);
    qel_draw_text(ctx, 0, 18, 40, 90, qel_color_token(QEL_COLOR_TEXT), "Tagmoor labels", -1, 0);
}

void set_env(const char* name, const char* value)
{
    _putenv_s(name, value ? value : "");  // an empty value removes the variable
}

// Runs the shell in screenshot mode with the given environment and decodes what it saved.
picture screenshot(const char* renderer, const char* theme, const char* scale)
{
    std::string path = scratch_path(std::string("shot-") + renderer + "-" + theme + "-" + (scale ? scale : "1") + ".png");
    set_env("QEL_SCREENSHOT", path.c_str());
    set_env("QEL_SCREENSHOT_FRAMES", "3");
    set_env("QEL_RENDERER", renderer);
    set_env("QEL_THEME", theme);
    set_env("QEL_SCALE", scale);
    qel_app_config config = {};
    config.title = "qel screenshot";
    config.width = WIDTH;
    config.height = HEIGHT;
    EXPECT_EQ(qel_app_run(&config, draw_scene, nullptr), 0);
    for (const char* name : {"QEL_SCREENSHOT", "QEL_SCREENSHOT_FRAMES", "QEL_RENDERER", "QEL_THEME", "QEL_SCALE"})
        set_env(name, nullptr);

    picture p;
    EXPECT_TRUE(picture_read_png(path, &p)) << path;
    return p;
}

// A shell of the scene's size on the renderer that QEL_RENDERER names, rendering every step.
qel_app* continuous_shell(const char* renderer)
{
    set_env("QEL_RENDERER", renderer);
    qel_app_config config = {};
    config.width = WIDTH;
    config.height = HEIGHT;
    config.continuous = 1;
    return qel_app_create(&config);
}

int rgb_distance(uint32_t a, uint32_t b)
{
    int worst = 0;
    for (int shift = 0; shift < 24; shift += 8)
        worst = std::max(worst, abs((int)(a >> shift & 0xFF) - (int)(b >> shift & 0xFF)));
    return worst;
}

int luma(uint32_t c)
{
    return ((int)(c & 0xFF) * 3 + (int)(c >> 8 & 0xFF) * 6 + (int)(c >> 16 & 0xFF)) / 10;
}

qel_color theme_color(uint32_t mode, uint32_t slot)
{
    qel_theme theme;
    qel_theme_build(&theme, mode, QEL_ACCENT_NEUTRAL);
    return theme.color[slot];
}

}  // namespace

TEST(ShellWindow, SoftwareDrawsTheFirstFrameAndOnlyAskedForOpenGLFollowsOnMesa)
{
    for (const char* renderer : {"", "opengl", "software"}) {
        set_env("QEL_RENDERER", renderer);
        qel_app_config config = {};
        config.start_hidden = 1;
        qel_app* app = qel_app_create(&config);
        ASSERT_NE(app, nullptr);
        EXPECT_TRUE(qel_app_is_software(app)) << renderer;
        EXPECT_STREQ(qel_app_backend_name(), "win32");
        qel_vec2 size = qel_app_logical_size(app);
        EXPECT_FLOAT_EQ(size.x, 1080.0f);
        EXPECT_FLOAT_EQ(size.y, 720.0f);
        ASSERT_TRUE(qel_app_frame(app));
        ASSERT_TRUE(qel_app_frame(app));  // the first frame is presented, then OpenGL is tried
        EXPECT_EQ(qel_app_is_software(app), strcmp(renderer, "opengl") != 0) << renderer;
        qel_app_destroy(app);
    }
    set_env("QEL_RENDERER", nullptr);
}

// A texture made while the software renderer drew is drawn by OpenGL under the same handle.
TEST(ShellWindow, TexturesMadeBeforeOpenGLTakesOverStayGood)
{
    qel_app* app = continuous_shell("opengl");
    ASSERT_NE(app, nullptr);
    qel_context* ctx = qel_app_context(app);
    std::vector<uint8_t> green(16 * 16 * 4);
    for (size_t i = 0; i < green.size(); i += 4) green[i + 1] = green[i + 3] = 255;
    const uint64_t dropped = qel_texture_create(ctx, 4, 4, green.data());
    const uint64_t image = qel_texture_create(ctx, 16, 16, green.data());
    qel_texture_release(ctx, dropped);  // a free slot before it
    std::vector<uint32_t> pixels((size_t)WIDTH * HEIGHT);
    for (int i = 0; i < 4; i++) {
        ASSERT_TRUE(qel_app_frame(app));
        draw_scene(ctx, nullptr);
        const qel_rect where = {100, 150, 40, 40}, whole = {0, 0, 1, 1};
        qel_draw_image(ctx, image, &where, &whole, nullptr, 0xFFFFFFFF);
    }
    EXPECT_FALSE(qel_app_is_software(app));
    ASSERT_EQ(qel_app_capture(app, pixels.data(), WIDTH, HEIGHT), 1);
    EXPECT_EQ(pixels[(size_t)170 * WIDTH + 120], 0xFF00FF00u);  // R, G, B, A bytes
    EXPECT_EQ(pixels[(size_t)50 * WIDTH + 270], 0xFF0000FFu) << "the scene around it";
    qel_app_destroy(app);
    set_env("QEL_RENDERER", nullptr);
}

TEST(ShellWindow, BothRenderersDrawTheSceneAlike)
{
    for (const char* theme : {"dark", "light"}) {
        uint32_t mode = strcmp(theme, "dark") == 0 ? QEL_THEME_DARK : QEL_THEME_LIGHT;
        picture soft = screenshot("software", theme, nullptr);
        picture gl = screenshot("opengl", theme, nullptr);
        ASSERT_EQ(soft.width, WIDTH);
        ASSERT_EQ(soft.height, HEIGHT);
        ASSERT_EQ(gl.width, WIDTH);
        ASSERT_EQ(gl.height, HEIGHT);
        for (const picture* p : {&soft, &gl}) {
            EXPECT_LE(rgb_distance(at(*p, 5, 190), theme_color(mode, QEL_COLOR_BACKGROUND)), 1) << theme;
            EXPECT_LE(rgb_distance(at(*p, 120, 52), theme_color(mode, QEL_COLOR_ACCENT)), 1) << theme;
            EXPECT_LE(rgb_distance(at(*p, 270, 50), 0xFF0000FF), 1) << theme;
            EXPECT_LE(rgb_distance(at(*p, 200, 120), theme_color(mode, QEL_COLOR_SURFACE)), 1) << theme;
        }
        if (mode == QEL_THEME_DARK) EXPECT_LT(luma(at(soft, 5, 190)), 80);
        else EXPECT_GT(luma(at(soft, 5, 190)), 200);

        // The two renderers shade alike: every pixel close, nearly all of them equal.
        int worst = 0, differing = 0, text_pixels = 0;
        for (int32_t y = 0; y < HEIGHT; y++)
            for (int32_t x = 0; x < WIDTH; x++) {
                int d = rgb_distance(at(soft, x, y), at(gl, x, y));
                worst = std::max(worst, d);
                differing += d > 2;
            }
        for (int32_t y = 90; y < 112; y++)
            for (int32_t x = 40; x < 180; x++) text_pixels += rgb_distance(at(soft, x, y), at(soft, 30, 130)) > 40;
        EXPECT_LE(worst, 12) << theme;
        EXPECT_LT(differing, WIDTH * HEIGHT / 200) << theme;
        EXPECT_GT(text_pixels, 100) << "the text line was drawn";
    }
}

TEST(ShellWindow, ScaleTwoDoublesThePicture)
{
    picture one = screenshot("software", "light", nullptr);
    picture two = screenshot("software", "light", "2");
    ASSERT_EQ(two.width, 2 * one.width);
    ASSERT_EQ(two.height, 2 * one.height);
    // Away from edges every logical pixel is a 2 x 2 block of the same colour.
    for (auto [x, y] : {std::pair{5, 190}, {120, 52}, {270, 50}, {200, 120}, {100, 30}}) {
        EXPECT_LE(rgb_distance(at(two, 2 * x, 2 * y), at(one, x, y)), 2) << x << "," << y;
        EXPECT_LE(rgb_distance(at(two, 2 * x + 1, 2 * y + 1), at(one, x, y)), 2) << x << "," << y;
    }
}

TEST(ShellWindow, SoftwareRepaintShowsTheLastFrameAgain)
{
    qel_app* app = continuous_shell("software");
    ASSERT_NE(app, nullptr);
    for (int i = 0; i < 4; i++) {
        ASSERT_TRUE(qel_app_frame(app));
        draw_scene(qel_app_context(app), nullptr);
    }
    ASSERT_TRUE(qel_app_frame(app));
    HWND window = (HWND)qel_app_native_handle(app);
    HDC dc = GetDC(window);
    const COLORREF red = RGB(255, 0, 0);
    EXPECT_EQ(GetPixel(dc, 270, 50), red);

    // Something covered the window and went: the unchanged frame has no tiles to redraw, so only
    // the repaint can bring the picture back.
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, (HBRUSH)GetStockObject(BLACK_BRUSH));
    EXPECT_EQ(GetPixel(dc, 270, 50), RGB(0, 0, 0));
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    EXPECT_EQ(GetPixel(dc, 270, 50), red);
    // An unchanged frame is not blitted at all.
    FillRect(dc, &client, (HBRUSH)GetStockObject(BLACK_BRUSH));
    draw_scene(qel_app_context(app), nullptr);
    ASSERT_TRUE(qel_app_frame(app));
    EXPECT_EQ(GetPixel(dc, 270, 50), RGB(0, 0, 0));
    ReleaseDC(window, dc);
    qel_app_destroy(app);
    set_env("QEL_RENDERER", nullptr);
}
