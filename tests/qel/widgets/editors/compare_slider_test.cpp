// The compare slider: a position out of range drawn clamped but left alone, the arrow keys at the
// end, the drag with the pointer leaving the window, the images cut to the box's shape, and a box
// without images.
#include <gtest/gtest.h>

#include <vector>

#include "qel/qel.h"
#include "support/widget_rig.h"

struct compare_scene {
    widget_rig rig;
    uint64_t before = 0, after = 0;
    float position = 0.5f;
    qel_compare_slider_opts o = {};
    int changes = 0;
    explicit compare_scene(float width = 400, float height = 200) : rig(width + 40, height + 40)
    {
        std::vector<uint8_t> red(16 * 4, 0), blue(16 * 4, 0);
        for (int i = 0; i < 16; i++) red[i * 4] = 255, red[i * 4 + 3] = 255, blue[i * 4 + 2] = 255, blue[i * 4 + 3] = 255;
        before = qel_texture_create(rig.h.ctx, 4, 4, red.data());
        after = qel_texture_create(rig.h.ctx, 4, 4, blue.data());
        o.width = {QEL_SIZE_FIXED, width};
        o.height = height;
        rig.h.ui = [this](qel_context* ctx) {
            board_begin(ctx);
            changes += qel_compare_slider(ctx, "cmp", before, after, &position, &o);
            qel_container_end(ctx);
        };
        rig.h.run(2);
    }
    qel_rect box() { return rig.h.rect(qel_id(rig.h.ctx, "cmp")); }
    // The smallest and largest texture coordinates of the images drawn (their quads reach a pixel
    // beyond the image, so within 1/200 of it).
    bool image_uv(float* u0, float* u1, float* v0, float* v1)
    {
        const qel_draw_data& d = rig.h.draw_data();
        *u0 = *v0 = 9, *u1 = *v1 = -9;
        bool any = false;
        for (uint32_t i = 0; i < d.vertex_count; i++) {
            const qel_vertex& v = d.vertices[i];
            if ((int)v.kind != QEL_SHAPE_IMAGE) continue;
            any = true;
            *u0 = std::min(*u0, v.uv[0]), *u1 = std::max(*u1, v.uv[0]);
            *v0 = std::min(*v0, v.uv[1]), *v1 = std::max(*v1, v.uv[1]);
        }
        return any;
    }
};

TEST(CompareSlider, PositionOutOfRangeIsDrawnClampedAndWrittenOnlyByTheUser)
{
    compare_scene s;
    s.position = 1.3f;
    s.rig.h.run(2);
    EXPECT_EQ(s.position, 1.3f);
    EXPECT_EQ(s.changes, 0);
    picture p = s.rig.shot();
    qel_rect b = s.box();
    const uint8_t* right = &p.rgba[((size_t)(b.y + b.h - 30) * (size_t)p.width + (size_t)(b.x + b.w - 40)) * 4];
    EXPECT_GT(right[0], 200) << "all before: red up to the right edge";
    s.rig.click_on(qel_id(s.rig.h.ctx, "cmp"));
    s.position = 0.98f;
    s.changes = 0;
    s.rig.h.tap(QEL_KEY_RIGHT);
    EXPECT_EQ(s.position, 1.0f);
    EXPECT_EQ(s.changes, 1);
}

TEST(CompareSlider, DragFollowsThePointerAndHoldsOutsideTheWindow)
{
    compare_scene s;
    qel_rect b = s.box();
    s.rig.h.move(b.x + b.w * 0.5f, b.y + 50);
    s.rig.h.run();
    s.rig.h.button(0, true);
    s.rig.h.run();
    s.rig.h.move(b.x + b.w * 0.2f, b.y + 50);
    s.rig.h.run();
    EXPECT_NEAR(s.position, 0.2f, 0.01f);
    qel_input_mouse_leave(s.rig.h.ctx);
    s.rig.h.run(2);
    EXPECT_NEAR(s.position, 0.2f, 0.01f);
    s.rig.h.button(0, false);
    s.rig.h.run();
}

TEST(CompareSlider, ImagesAreCutToTheBoxShape)
{
    struct {
        float w, h, u0, u1, v0, v1;
    } cases[] = {{400, 200, 0, 1, 0, 1}, {300, 200, 0.125f, 0.875f, 0, 1}, {400, 100, 0, 1, 0.25f, 0.75f}};
    for (auto c : cases) {
        compare_scene s(c.w, c.h);
        s.o.image_aspect = 2;
        s.rig.h.run();
        float u0, u1, v0, v1;
        ASSERT_TRUE(s.image_uv(&u0, &u1, &v0, &v1));
        EXPECT_NEAR(u0, c.u0, 6e-3) << c.w << "x" << c.h;
        EXPECT_NEAR(u1, c.u1, 6e-3) << c.w << "x" << c.h;
        EXPECT_NEAR(v0, c.v0, 6e-3) << c.w << "x" << c.h;
        EXPECT_NEAR(v1, c.v1, 6e-3) << c.w << "x" << c.h;
    }
    compare_scene none;
    none.before = none.after = 0;
    none.rig.h.run();
    float u0, u1, v0, v1;
    EXPECT_FALSE(none.image_uv(&u0, &u1, &v0, &v1));
}
