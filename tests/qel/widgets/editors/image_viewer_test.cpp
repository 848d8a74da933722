// The image viewer driven by wheel, drags, double-clicks, keys and its toolbar: fit and its bounds,
// the centre held within the image, views and options it must repair, and the source pixels shown
// exactly at 100 %.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "qel/qel.h"
#include "support/test_images.h"
#include "support/widget_rig.h"

struct viewer_scene {
    widget_rig rig;
    uint64_t texture = 0;
    int32_t iw, ih;
    qel_image_view view = {};
    qel_image_viewer_opts o = {};
    int changes = 0;
    viewer_scene(int32_t w, int32_t h, float vw = 400, float vh = 300, bool reduced = true)
        : rig(vw + 28, vh + 28, QEL_THEME_LIGHT, reduced), iw(w), ih(h)
    {
        o.width = {QEL_SIZE_FIXED, vw};
        o.height = {QEL_SIZE_FIXED, vh};
        rig.h.ui = [this](qel_context* ctx) {
            board_begin(ctx);
            changes += qel_image_viewer(ctx, "pic", texture, iw, ih, &view, &o);
            qel_container_end(ctx);
        };
        rig.h.run(2);
    }
    uint32_t id() { return qel_id(rig.h.ctx, "pic"); }
    void focus()
    {
        rig.h.move(rig.centre(id()).x, rig.centre(id()).y);
        rig.h.run();
        qel_set_focus(rig.h.ctx, id(), false);
        rig.h.run();
    }
    void tap_n(int32_t key, int n)
    {
        for (int i = 0; i < n; i++) rig.h.tap(key);
    }
};

TEST(ImageViewer, FitAndItsBounds)
{
    viewer_scene big(800, 600);
    EXPECT_EQ(big.view.zoom, 0) << "fit mode";
    EXPECT_EQ(big.view.centre_x, 400);
    big.focus();
    big.tap_n(QEL_KEY_MINUS, 3);
    EXPECT_FLOAT_EQ(big.view.zoom, 0.5f) << "the minimum is the fit";
    big.tap_n(QEL_KEY_EQUAL, 12);
    EXPECT_FLOAT_EQ(big.view.zoom, 16);
    big.rig.h.tap(QEL_KEY_0);
    big.rig.h.tap(QEL_KEY_0 + 1);
    EXPECT_FLOAT_EQ(big.view.zoom, 1) << "100 % about the centre";
    EXPECT_FLOAT_EQ(big.view.centre_x, 400);
    viewer_scene small(100, 50);
    small.focus();
    small.tap_n(QEL_KEY_MINUS, 6);
    EXPECT_FLOAT_EQ(small.view.zoom, 1) << "fit 4, minimum 1";
    small.tap_n(QEL_KEY_LEFT, 3);
    EXPECT_FLOAT_EQ(small.view.centre_x, 50) << "an image narrower than the viewport does not pan";
    small.tap_n(QEL_KEY_EQUAL, 20);
    EXPECT_FLOAT_EQ(small.view.zoom, 16);
}

TEST(ImageViewer, WheelZoomsAboutThePointerAndDoubleClickToggles)
{
    viewer_scene s(800, 600);
    qel_rect r = s.rig.h.rect(s.id());
    s.rig.h.move(r.x + 100, r.y + 75);
    s.rig.h.run();
    s.rig.h.wheel(0, 2);
    s.rig.h.run();
    EXPECT_FLOAT_EQ(s.view.zoom, 0.5f * 1.44f);
    // The image point under the pointer, (200, 150), stays there.
    EXPECT_NEAR(s.view.centre_x + (100 - 200) / s.view.zoom, 200, 0.01f);
    EXPECT_NEAR(s.view.centre_y + (75 - 150) / s.view.zoom, 150, 0.01f);
    s.rig.h.click(r.x + 100, r.y + 75);
    s.rig.h.click(r.x + 100, r.y + 75);
    EXPECT_FLOAT_EQ(s.view.zoom, 1);
    s.rig.h.run(40);  // no triple click
    s.rig.h.click(r.x + 100, r.y + 75);
    s.rig.h.click(r.x + 100, r.y + 75);
    EXPECT_EQ(s.view.zoom, 0) << "at 100 % a double-click fits";
}

TEST(ImageViewer, DragPansAndHoldsOutsideTheWindow)
{
    viewer_scene s(800, 600);
    s.view = {1, 400, 300};
    s.rig.h.run();
    qel_rect r = s.rig.h.rect(s.id());
    s.rig.h.move(r.x + 200, r.y + 100);
    s.rig.h.run();
    s.rig.h.button(0, true);
    s.rig.h.run();
    s.rig.h.move(r.x + 150, r.y + 80);
    s.rig.h.run();
    EXPECT_FLOAT_EQ(s.view.centre_x, 450);
    EXPECT_FLOAT_EQ(s.view.centre_y, 320);
    qel_input_mouse_leave(s.rig.h.ctx);
    s.rig.h.run(2);
    EXPECT_FLOAT_EQ(s.view.centre_x, 450);
    s.rig.h.button(0, false);
    s.rig.h.run();
}

TEST(ImageViewer, ToolbarShowsTheTargetZoom)
{
    viewer_scene s(800, 600, 400, 300, false);
    s.focus();
    s.rig.h.tap(QEL_KEY_0 + 1);
    EXPECT_NE(node_with_text(s.rig.h.ctx, "100%"), nullptr);
    s.rig.h.run(30);
    // An icon button's id: its tooltip's in the viewer's scope, seeding its glyphs' hash.
    auto button = [&](const char* tooltip, const char* icon) {
        qel_push_id_int(s.rig.h.ctx, (int32_t)s.id());
        uint32_t id = qel_hash_str(icon, qel_id(s.rig.h.ctx, tooltip));
        qel_pop_id(s.rig.h.ctx);
        return id;
    };
    s.rig.click_on(button("Zoom in", QEL_ICON_PLUS));
    s.rig.h.run();
    EXPECT_NE(node_with_text(s.rig.h.ctx, "150%"), nullptr);
    EXPECT_FLOAT_EQ(s.view.zoom, 1.5f);
    s.rig.h.run(30);
    s.rig.click_on(button("Fit", QEL_ICON_MAXIMIZE_2));
    EXPECT_EQ(s.view.zoom, 0);
}

TEST(ImageViewer, RepairsViewsAndOptionsThatCannotFit)
{
    const float nan = std::nanf(""), inf = std::numeric_limits<float>::infinity();
    viewer_scene s(800, 600);
    s.view = {nan, 3, 3};
    s.rig.h.run();
    EXPECT_EQ(s.view.zoom, 0);
    EXPECT_EQ(s.view.centre_x, 400);
    s.view = {2, nan, inf};
    s.rig.h.run();
    EXPECT_FLOAT_EQ(s.view.zoom, 2);
    EXPECT_EQ(s.view.centre_x, 400);
    EXPECT_EQ(s.view.centre_y, 300);
    s.o.max_zoom = inf;
    s.view.zoom = 1e9f;
    s.rig.h.run();
    EXPECT_FLOAT_EQ(s.view.zoom, 16);
    viewer_scene flat(800, 600);
    flat.o.height = {QEL_SIZE_FIXED, 0};
    flat.view = {0, 0, 0};
    flat.rig.h.run(3);
    EXPECT_EQ(flat.view.zoom, 0);
    EXPECT_TRUE(std::isfinite(flat.view.centre_x) && std::isfinite(flat.view.centre_y));
    flat.focus();
    flat.rig.h.tap(QEL_KEY_EQUAL);
    EXPECT_TRUE(std::isfinite(flat.view.zoom) && flat.view.zoom > 0);
}

TEST(ImageViewer, ShowsTheSourcePixelsExactlyAtFullSize)
{
    viewer_scene s(40, 30, 200, 150);
    int w, h;
    std::vector<uint8_t> rgb;
    ASSERT_TRUE(read_ppm(image_path("ramp40x30.png.ppm"), &w, &h, &rgb));
    uint32_t iw, ih;
    ASSERT_EQ(qel_image_load(s.rig.h.ctx, image_path("ramp40x30.png").c_str(), &s.texture, &iw, &ih), QEL_IMAGE_OK);
    ASSERT_EQ((int)iw, w);
    s.view = {1, 20, 15};
    s.rig.h.run(2);
    picture p = s.rig.shot();
    qel_rect r = s.rig.h.rect(s.id());
    int x0 = (int)(r.x + r.w / 2 - 20), y0 = (int)(r.y + r.h / 2 - 15), wrong = 0;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            wrong += memcmp(&p.rgba[((size_t)(y0 + y) * (size_t)p.width + (size_t)(x0 + x)) * 4],
                            &rgb[((size_t)y * (size_t)w + (size_t)x) * 3], 3) != 0;
    EXPECT_EQ(wrong, 0);
}

// A checkerboard behind an image a billion pixels wide draws the squares in view, and returns.
TEST(ImageViewer, CheckerboardOfAVastViewDrawsWhatShows)
{
    viewer_scene s(800, 600);
    s.o.checkerboard = true;
    s.rig.h.run();
    const int32_t small = s.rig.h.draw_data().vertex_count;
    s.o.width = {QEL_SIZE_FIXED, 1e9f};
    s.iw = 2000000000;
    s.rig.h.run(2);
    EXPECT_GT(s.rig.h.draw_data().vertex_count, 0);
    EXPECT_LT(s.rig.h.draw_data().vertex_count, 4 * small);
}
