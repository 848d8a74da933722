// The image cropper driven by the pointer and keys: the default rectangles, edges that stop at the
// image border and at the minimum size, circle mode without edge handles, Shift+Right at the
// border, new rectangles from a click and from the margin, the pointer leaving the window,
// options and rectangles it must repair, and the dimming outside the crop.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "qel/qel.h"
#include "support/test_images.h"
#include "support/widget_rig.h"

// A 1000 x 500 image in a 528 x 278 viewport: half size, 14 px in from the viewport's corner.
struct cropper_scene {
    widget_rig rig;
    uint64_t texture = 0;
    int32_t iw = 1000, ih = 500;
    float crop[4] = {};
    qel_image_cropper_opts o = {};
    int changes = 0;
    cropper_scene() : rig(560, 310)
    {
        o.width = {QEL_SIZE_FIXED, 528};
        o.height = {QEL_SIZE_FIXED, 278};
        rig.h.ui = [this](qel_context* ctx) {
            board_begin(ctx);
            changes += qel_image_cropper(ctx, "crop", texture, iw, ih, crop, &o);
            qel_container_end(ctx);
        };
    }
    uint32_t id() { return qel_id(rig.h.ctx, "crop"); }
    qel_vec2 screen(float x, float y)
    {
        qel_rect r = rig.h.rect(id());
        return {r.x + 14 + x * 0.5f, r.y + 14 + y * 0.5f};
    }
    void set(float x, float y, float w, float h)
    {
        crop[0] = x, crop[1] = y, crop[2] = w, crop[3] = h;
        rig.h.run();
    }
    void drag(float x0, float y0, float x1, float y1)
    {
        qel_vec2 a = screen(x0, y0), b = screen(x1, y1);
        rig.h.move(a.x, a.y);
        rig.h.run();
        rig.h.button(0, true);
        rig.h.run();
        rig.h.move(b.x, b.y);
        rig.h.run();
        rig.h.button(0, false);
        rig.h.run();
    }
    void expect(float x, float y, float w, float h, const char* what)
    {
        EXPECT_NEAR(crop[0], x, 0.5f) << what;
        EXPECT_NEAR(crop[1], y, 0.5f) << what;
        EXPECT_NEAR(crop[2], w, 0.5f) << what;
        EXPECT_NEAR(crop[3], h, 0.5f) << what;
    }
};

TEST(ImageCropper, DefaultRectanglesAndRepairs)
{
    const float nan = std::nanf(""), inf = std::numeric_limits<float>::infinity();
    cropper_scene s;
    s.rig.h.run();
    s.expect(100, 50, 800, 400, "free");
    EXPECT_EQ(s.changes, 1);
    cropper_scene square;
    square.o.aspect = 1;
    square.rig.h.run();
    square.expect(285, 35, 430, 430, "aspect 1");
    square.set(10, nan, 100, 100);
    square.expect(285, 35, 430, 430, "a NaN field");
    cropper_scene odd;
    odd.o.aspect = inf;
    odd.o.min_size = nan;
    odd.rig.h.run();
    odd.expect(100, 50, 800, 400, "an aspect that is not finite is free");
    odd.set(990, 490, 2, 2);
    odd.expect(984, 484, 16, 16, "the minimum of 16, inside the image");
}

TEST(ImageCropper, EdgesStopAtTheBorderAndTheMinimumSize)
{
    cropper_scene s;
    s.rig.h.run(2);
    s.set(100, 50, 800, 400);
    s.drag(900, 250, 1200, 250);
    s.expect(100, 50, 900, 400, "the right edge stops at the border");
    s.drag(1000, 250, -300, 250);
    s.expect(100, 50, 16, 400, "and at the minimum size past the left edge");
    cropper_scene a;
    a.o.aspect = 2;
    a.rig.h.run(2);
    a.set(300, 150, 200, 100);
    a.drag(400, 250, 400, 330);
    a.expect(220, 150, 360, 180, "the bottom edge: the width follows, centred");
}

TEST(ImageCropper, CircleModeResizesOnlyByCornersAndStaysSquare)
{
    cropper_scene s;
    s.o.circle = 1;
    s.rig.h.run(2);
    s.set(300, 100, 200, 200);
    s.drag(500, 200, 560, 200);  // the right edge's middle moves it
    s.expect(360, 100, 200, 200, "no edge handles");
    s.drag(560, 300, 600, 360);
    s.expect(360, 100, 260, 260, "a corner keeps it square");
}

TEST(ImageCropper, ShiftRightNudgesWithinTheImage)
{
    cropper_scene s;
    s.rig.h.run(2);
    s.set(100, 50, 800, 400);
    s.rig.click_on(s.id());
    s.set(100, 50, 800, 400);
    s.rig.h.tap(QEL_KEY_RIGHT, QEL_MOD_SHIFT);
    s.expect(110, 50, 800, 400, "10 px");
    s.set(195, 50, 800, 400);
    s.rig.h.tap(QEL_KEY_RIGHT, QEL_MOD_SHIFT);
    s.expect(200, 50, 800, 400, "never past the border");
    s.rig.h.tap(QEL_KEY_DOWN);
    s.expect(200, 51, 800, 400, "1 px");
}

TEST(ImageCropper, NewRectanglesFromAClickAndFromTheMargin)
{
    cropper_scene s;
    s.rig.h.run(2);
    s.set(100, 50, 200, 100);
    s.drag(700, 300, 700, 300);
    s.expect(700, 300, 16, 16, "a click leaves a square of the minimum size");
    s.drag(600, 100, 800, 400);
    s.expect(600, 100, 200, 300, "dragged out");
    s.drag(-20, -20, 100, 60);  // pressed in the margin, up and left of the image
    s.expect(0, 0, 100, 60, "starts at the press held into the image");
    cropper_scene a;
    a.o.aspect = 2;
    a.rig.h.run(2);
    a.set(100, 50, 100, 50);
    a.drag(900, 400, 1100, 450);
    a.expect(900, 400, 100, 50, "limited to the room, keeping the aspect");
}

TEST(ImageCropper, PointerLeavingTheWindowHoldsTheRectangle)
{
    cropper_scene s;
    s.rig.h.run(2);
    s.set(100, 50, 200, 100);
    qel_vec2 a = s.screen(200, 100), b = s.screen(300, 150);
    s.rig.h.move(a.x, a.y);
    s.rig.h.run();
    s.rig.h.button(0, true);
    s.rig.h.run();
    s.rig.h.move(b.x, b.y);
    s.rig.h.run();
    qel_input_mouse_leave(s.rig.h.ctx);
    s.rig.h.run(2);
    s.rig.h.button(0, false);
    s.rig.h.run();
    s.expect(200, 100, 200, 100, "moved, then held");
}

TEST(ImageCropper, DimsExactlyOutsideTheCrop)
{
    cropper_scene s;
    uint32_t w, h;
    ASSERT_EQ(qel_image_load(s.rig.h.ctx, image_path("flat100x50.png").c_str(), &s.texture, &w, &h), QEL_IMAGE_OK);
    s.iw = (int32_t)w, s.ih = (int32_t)h;  // 100 x 50 at 5x
    s.rig.h.run(2);
    s.set(20, 10, 40, 20);
    picture p = s.rig.shot();
    qel_rect r = s.rig.h.rect(s.id());
    auto pixel = [&](float ix, float iy) {
        int x = (int)(r.x + 14 + ix * 5), y = (int)(r.y + 14 + iy * 5);
        return &p.rgba[((size_t)y * (size_t)p.width + (size_t)x) * 4];
    };
    const uint8_t source[3] = {0x80, 0xa0, 0xc0};
    int wrong_inside = 0, wrong_outside = 0;
    for (float iy = 0.5f; iy < 50; iy += 1)
        for (float ix = 0.5f; ix < 100; ix += 1) {
            bool inside = ix > 21 && ix < 59 && iy > 11 && iy < 29, outside = ix < 19 || ix > 61 || iy < 9 || iy > 31;
            const uint8_t* px = pixel(ix, iy);
            for (int c = 0; c < 3; c++) {
                int dimmed = (int)std::lround(source[c] * (1 - 0x8c / 255.0));
                if (inside) wrong_inside += px[c] != source[c];
                if (outside) wrong_outside += std::abs(px[c] - dimmed) > 1;
            }
        }
    EXPECT_EQ(wrong_inside, 0) << "inside, away from the handles";
    EXPECT_EQ(wrong_outside, 0);
}
