// The OpenGL renderer on a real driver (Mesa under Wine): a WGL 3.3 core context on the shell's
// window, draw data built with the drawing primitives, and the pixels read back.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/shell_win32.h"
#include "qel/soft_renderer.h"
#include "qel/frame.h"
#include "support/qel_fixture.h"

namespace {

const int32_t GL_WIDTH = 200, GL_HEIGHT = 100;
const qel_color CLEAR = 0xFF302010;  // R 0x10, G 0x20, B 0x30

struct rgb {
    int r, g, b;
};

class GlWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        _putenv_s("QEL_RENDERER", "opengl");
        qel_app_config config = {};
        config.width = GL_WIDTH;
        config.height = GL_HEIGHT;
        app = qel_app_create(&config);
        ASSERT_NE(app, nullptr);
        // OpenGL takes over once the first frame is on the screen.
        ASSERT_TRUE(qel_app_frame(app));
        ASSERT_TRUE(qel_app_frame(app));
        qel_end_frame(app->ctx);
        app->frame_open = 0;
        ASSERT_NE(app->gl, nullptr);
        gl = app->gl;
        ctx = app->ctx;
        qel_ctx_set_display(ctx, (float)GL_WIDTH, (float)GL_HEIGHT, 1.0f);
        qel_draw_reset(ctx);
    }

    void TearDown() override
    {
        qel_app_destroy(app);
        _putenv_s("QEL_RENDERER", "");
    }

    // Renders what was drawn and reads the frame back.
    void render(uint64_t atlas)
    {
        qel_draw_data dd = recorded_frame(ctx, CLEAR, atlas);
        qel_gl_render(gl, &dd, true);
        pixels.assign((size_t)GL_WIDTH * GL_HEIGHT, 0);
        qel_gl_read_pixels(gl, GL_WIDTH, GL_HEIGHT, pixels.data());
    }

    void expect_pixel(int x, int y, rgb want, int tolerance = 2)
    {
        uint32_t p = pixels[(size_t)y * GL_WIDTH + (size_t)x];
        rgb got = {(int)(p & 0xFF), (int)(p >> 8 & 0xFF), (int)(p >> 16 & 0xFF)};
        EXPECT_LE(abs(got.r - want.r), tolerance) << "at " << x << "," << y;
        EXPECT_LE(abs(got.g - want.g), tolerance) << "at " << x << "," << y;
        EXPECT_LE(abs(got.b - want.b), tolerance) << "at " << x << "," << y;
    }

    qel_app* app = nullptr;
    qel_gl_renderer* gl = nullptr;
    qel_context* ctx = nullptr;
    std::vector<uint32_t> pixels;
};

}  // namespace

TEST_F(GlWindow, RunsOnMesaThroughWgl)
{
    EXPECT_TRUE(qel_gl_is_software(gl)) << "Wine's OpenGL here is llvmpipe";
    EXPECT_EQ(gl->es, 0);
}

TEST_F(GlWindow, DrawsShapesTexturesAndClips)
{
    const rgb clear = {0x10, 0x20, 0x30};
    // A glyph atlas of half coverage and a green image.
    std::vector<uint8_t> coverage(16, 128);
    std::vector<uint32_t> green(4, 0xFF00FF00);
    uint64_t atlas = qel_gl_texture_create(gl, 4, 4, 1, coverage.data());
    uint64_t image = qel_gl_texture_create(gl, 2, 2, 4, green.data());

    qel_rect red = {10, 10, 50, 30};
    qel_draw_rect(ctx, &red, nullptr, 0xFF0000FF);
    qel_rect boxed = {80, 10, 60, 40};
    const float radii[4] = {8, 8, 8, 8};
    qel_draw_rect_bordered(ctx, &boxed, radii, 0xFF00FF00, 0xFFFF0000, 4);
    qel_rect clip = {150, 10, 20, 20}, white = {140, 0, 50, 50};
    qel_draw_push_clip(ctx, &clip);
    qel_draw_rect(ctx, &white, nullptr, 0xFFFFFFFF);
    qel_draw_pop_clip(ctx);
    qel_draw_glyph(ctx, 10, 60, 30, 80, 0, 0, 1, 1, 0xFFFFFFFF);
    qel_rect picture = {40, 60, 20, 20};
    qel_draw_image(ctx, image, &picture, nullptr, nullptr, 0);
    const qel_triangle_vertex corners[3] = {{100, 60, 0xFF00FFFF}, {180, 60, 0xFF00FFFF}, {100, 95, 0xFF00FFFF}};
    const uint32_t triangle[3] = {0, 1, 2};
    qel_draw_triangles(ctx, corners, 3, triangle, 3);
    render(atlas);

    expect_pixel(5, 5, clear);
    expect_pixel(30, 25, {255, 0, 0});
    expect_pixel(110, 30, {0, 255, 0});  // fill inside the border
    expect_pixel(81, 30, {0, 0, 255});   // within the 4-pixel border
    expect_pixel(80, 10, clear, 40);     // the rounded corner leaves the clear colour (nearly)
    expect_pixel(160, 20, {255, 255, 255});
    expect_pixel(145, 20, clear);  // the clip cuts the white square
    expect_pixel(175, 20, clear);
    // Half coverage of white over the clear colour, premultiplied "over".
    expect_pixel(20, 70, {128 + 8, 128 + 16, 128 + 24}, 3);
    expect_pixel(50, 70, {0, 255, 0});
    expect_pixel(110, 65, {255, 255, 0});
    expect_pixel(175, 90, clear);
}

TEST_F(GlWindow, ShadowsFadeOutwards)
{
    qel_rect card = {60, 30, 80, 40};
    qel_draw_box_shadow(ctx, &card, nullptr, 12, 0, {0, 0}, 0xFF000000);
    render(0);
    // Black over the clear colour: darkest inside, half at the edge, gone three sigmas (18 px) out.
    auto red_at = [&](int x) { return (int)(pixels[(size_t)50 * GL_WIDTH + (size_t)x] & 0xFF); };
    EXPECT_LE(red_at(100), 1);
    EXPECT_NEAR(red_at(60), 0x10 / 2, 2);
    EXPECT_NEAR(red_at(55), 13, 2);  // five pixels out: 0.5 (1 - erf(5 / (6 sqrt 2))) of black
    EXPECT_LT(red_at(60), red_at(55));
    EXPECT_EQ(red_at(30), 0x10);
}

// A small image whose transparent texels carry a colour of their own, scaled up and tinted: both
// renderers filter premultiplied colour, so the transparent texels lend nothing and the two
// pictures agree as closely as their other shapes do.
TEST_F(GlWindow, ScaledTranslucentImagesMatchTheSoftwareRenderer)
{
    const uint32_t texels[16] = {0x00FF00FF, 0x800000FF, 0xFFFF0000, 0x00FFFF00,  // R, G, B, A bytes
                                 0x40FFFFFF, 0xFF00FF00, 0xC0FF00FF, 0x000000FF,
                                 0xFF000000, 0x10FF0000, 0xFFFFFFFF, 0x8000FF00,
                                 0x00FFFFFF, 0xFF808080, 0x0000FF00, 0xFF0000FF};
    qel_soft_renderer* soft = qel_soft_create();
    ASSERT_NE(soft, nullptr);
    uint64_t image = qel_gl_texture_create(gl, 4, 4, 4, texels);
    // The glyph atlas came before it in OpenGL: the software renderer's slots catch up.
    uint64_t soft_image = 0;
    while (soft_image < image) soft_image = qel_soft_texture_create(soft, 4, 4, 4, texels);
    ASSERT_EQ(soft_image, image) << "both renderers name it alike";
    const float radii[4] = {6, 6, 6, 6};
    const qel_rect places[] = {{8, 8, 8, 8}, {24, 8, 32, 32}, {64, 6, 37, 45}, {110, 10, 80, 80}};
    for (const qel_rect& r : places) qel_draw_image(ctx, image, &r, nullptr, nullptr, 0);
    qel_rect tinted = {10, 56, 40, 40};
    qel_draw_image(ctx, image, &tinted, nullptr, radii, 0xC080FF40);
    render(0);

    qel_draw_data dd = recorded_frame(ctx, CLEAR, 0);
    std::vector<uint32_t> software((size_t)GL_WIDTH * GL_HEIGHT);
    qel_soft_render(soft, &dd, software.data(), GL_WIDTH, GL_HEIGHT, GL_WIDTH * 4, QEL_SOFT_RGBA);
    int worst = 0;
    for (size_t i = 0; i < software.size(); i++) worst = std::max(worst, channel_distance(pixels[i] | 0xFF000000, software[i]));
    EXPECT_LE(worst, 2);
    qel_soft_destroy(soft);
}
