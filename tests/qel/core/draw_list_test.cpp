#include <gtest/gtest.h>

#include <cmath>

#include "qel/draw.h"
#include "support/qel_fixture.h"

class DrawListTest : public QelTest {
protected:
    const qel_draw_list& list() const { return ctx->draw; }
    const qel_vertex& vertex(uint32_t i) const { return ctx->draw.vertices[i]; }
    void rect(float x, float y, float w, float h, qel_color c = 0xFF00FF00)
    {
        qel_rect r = {x, y, w, h};
        qel_draw_rect(ctx, &r, nullptr, c);
    }
};

TEST_F(DrawListTest, EqualClipAndTextureShareOneCommand)
{
    rect(0, 0, 10, 10);
    rect(20, 0, 10, 10);
    ASSERT_EQ(list().command_count, 1u);
    EXPECT_EQ(list().commands[0].index_count, 12u);
    EXPECT_EQ(list().index_count, 12u);
    EXPECT_EQ(list().vertex_count, 8u);
    const uint32_t second_quad[6] = {4, 5, 6, 4, 6, 7};
    for (int i = 0; i < 6; i++) EXPECT_EQ(list().indices[6 + i], second_quad[i]);

    // A clip pushed and popped with nothing drawn leaves no trace.
    qel_rect clip = {0, 0, 50, 50};
    qel_draw_push_clip(ctx, &clip);
    qel_draw_pop_clip(ctx);
    rect(40, 0, 10, 10);
    EXPECT_EQ(list().command_count, 1u);

    // A clip between two draws splits them; an image between them makes three commands.
    qel_draw_push_clip(ctx, &clip);
    rect(0, 20, 10, 10);
    qel_draw_pop_clip(ctx);
    EXPECT_EQ(list().command_count, 2u);
    qel_rect r = {0, 40, 10, 10};
    qel_draw_image(ctx, 5, &r, nullptr, nullptr, 0);
    rect(0, 60, 10, 10);
    ASSERT_EQ(list().command_count, 4u);
    EXPECT_EQ(list().commands[2].texture, 5u);
    // Every command's range follows the previous one and the last ends at the index count.
    uint32_t next = 0;
    for (uint32_t i = 0; i < list().command_count; i++) {
        EXPECT_EQ(list().commands[i].first_index, next);
        next += list().commands[i].index_count;
    }
    EXPECT_EQ(next, list().index_count);
}

TEST_F(DrawListTest, ShapesOutsideTheClipAddNothing)
{
    qel_rect inside = {100, 100, 50, 50};
    qel_draw_push_clip(ctx, &inside);
    rect(0, 0, 10, 10);
    rect(160, 160, 10, 10);
    EXPECT_EQ(list().vertex_count, 0u);
    rect(149, 149, 10, 10);  // a pad pixel inside is enough
    EXPECT_EQ(list().vertex_count, 4u);
    qel_rect outside = {500, 500, 10, 10};  // outside its parent: a clip of no size
    qel_draw_push_clip(ctx, &outside);
    EXPECT_EQ(list().clip[2].w, 0);
    rect(120, 120, 10, 10);
    rect(500, 500, 10, 10);
    EXPECT_EQ(list().vertex_count, 4u);
    EXPECT_EQ(list().command_count, 1u);
}

TEST_F(DrawListTest, ClipsSnapOutwardToWholePixelsWithinTheirParent)
{
    qel_rect r = {10.2f, 10.7f, 5.1f, 5.1f};
    qel_draw_push_clip(ctx, &r);
    const qel_rect& c = list().clip[1];
    EXPECT_EQ(c.x, 10);
    EXPECT_EQ(c.y, 10);
    EXPECT_EQ(c.w, 6);
    EXPECT_EQ(c.h, 6);
    qel_rect wide = {-5, 12, 100, 100};
    qel_draw_push_clip(ctx, &wide);
    EXPECT_EQ(list().clip[2].x, 10);
    EXPECT_EQ(list().clip[2].y, 12);
    EXPECT_EQ(list().clip[2].w, 6);
    EXPECT_EQ(list().clip[2].h, 4);

    qel_ctx_set_display(ctx, 400, 300, 2);
    next_frame();
    EXPECT_EQ(list().clip[0].w, 800);  // the base clip is the framebuffer
    qel_draw_push_clip(ctx, &r);       // logical units times the scale
    EXPECT_EQ(list().clip[1].x, 20);
    EXPECT_EQ(list().clip[1].y, 21);
    EXPECT_EQ(list().clip[1].w, 11);
}

TEST_F(DrawListTest, PushesPastTheDepthAreCountedAndUndoneFirst)
{
    for (int i = 1; i < 64; i++) {
        qel_rect r = {(float)i, 0, 500, 500};
        qel_draw_push_clip(ctx, &r);
    }
    qel_rect last = {100, 0, 500, 500};
    qel_draw_push_clip(ctx, &last);  // the 65th level: ignored
    qel_draw_push_clip(ctx, &last);
    EXPECT_EQ(list().clip_depth.depth, 64);
    EXPECT_EQ(list().clip[63].x, 63);
    qel_draw_pop_clip(ctx);
    qel_draw_pop_clip(ctx);
    EXPECT_EQ(list().clip_depth.depth, 64);  // the enclosing entry stays
    for (int i = 0; i < 100; i++) qel_draw_pop_clip(ctx);
    EXPECT_EQ(list().clip_depth.depth, 1);  // the base stays too
    EXPECT_EQ(list().clip[0].w, 800);

    for (int i = 1; i < 32; i++) qel_draw_push_transform(ctx, 1, 0, 0, 1, 1, 0);
    EXPECT_EQ(list().transform[31].offset_x, 31);
    qel_draw_push_transform(ctx, 1, 0, 0, 1, 1000, 0);
    EXPECT_EQ(list().transform_depth.depth, 32);
    qel_draw_pop_transform(ctx);
    EXPECT_EQ(list().transform_depth.depth, 32);
    for (int i = 0; i < 40; i++) qel_draw_pop_transform(ctx);
    EXPECT_EQ(list().transform_depth.depth, 1);
    EXPECT_EQ(list().transform[0].scale, 1);
}

TEST_F(DrawListTest, TransformsScaleAboutThePivotThenMove)
{
    qel_ctx_set_display(ctx, 400, 300, 2);
    next_frame();
    qel_draw_push_transform(ctx, 2, 10, 10, 0.5f, 5, 0);
    // Framebuffer p maps to q + 2 (p - q) + d with q = (20, 20) and d = (10, 0).
    const qel_vec2 in[2] = {{10, 10}, {15, 10}};
    qel_vec2* out = qel_draw_transform_points(ctx, in, 2);
    EXPECT_FLOAT_EQ(out[0].x, 30);
    EXPECT_FLOAT_EQ(out[0].y, 20);
    EXPECT_FLOAT_EQ(out[1].x, 50);
    qel_draw_push_transform(ctx, 1, 0, 0, 0.5f, 0, 0);
    EXPECT_FLOAT_EQ(list().transform[2].alpha, 0.25f);
    qel_draw_pop_transform(ctx);

    // Shapes take the transform: centre, half size, radii and border width scale; alpha fades.
    const float radii[4] = {2, 2, 2, 2};
    qel_rect r = {10, 10, 10, 10};
    qel_draw_rect_bordered(ctx, &r, radii, 0xFF0000FF, 0x010000FF, 1);
    const qel_vertex& v = vertex(0);
    EXPECT_FLOAT_EQ(v.half[0], 20);
    EXPECT_FLOAT_EQ(v.radii[0], 8);
    EXPECT_FLOAT_EQ(v.param, 4);
    EXPECT_FLOAT_EQ(v.pos[0] - v.local[0], 50);  // centre 15 logical, 30 px, 2 x 30 - 10
    EXPECT_EQ(v.fill >> 24, 128u);
    EXPECT_EQ(v.border >> 24, 1u);  // 0.5 + 0.5 rounds up
}

TEST_F(DrawListTest, RadiiAreLimitedToHalfTheSmallerSideExceptForShadows)
{
    const float radii[4] = {50, 50, 50, 50};
    qel_rect r = {0, 0, 20, 10};
    qel_draw_rect(ctx, &r, radii, 0xFFFFFFFF);
    qel_draw_box_shadow(ctx, &r, radii, 4, 0, {0, 0}, 0xFF000000);
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(vertex(0).radii[i], 5);
        EXPECT_EQ(vertex(4).radii[i], 50);
    }
    // Quad corners run top-left, top-right, bottom-right, bottom-left around the padded box.
    const float xs[4] = {-1, 21, 21, -1}, ys[4] = {-1, -1, 11, 11};
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(vertex(i).pos[0], xs[i]);
        EXPECT_EQ(vertex(i).pos[1], ys[i]);
        EXPECT_EQ(vertex(i).kind, (float)QEL_SHAPE_ROUNDED_BOX);
    }
}

TEST_F(DrawListTest, ImagesSpreadTheirCoordinatesOverThePad)
{
    qel_rect r = {0, 0, 10, 10}, uv = {0.5f, 0, 0.5f, 1};
    qel_draw_image(ctx, 3, &r, &uv, nullptr, 0);
    // One pixel of pad outside a 10-pixel image is a tenth of its texture span.
    EXPECT_FLOAT_EQ(vertex(0).uv[0], 0.45f);
    EXPECT_FLOAT_EQ(vertex(0).uv[1], -0.1f);
    EXPECT_FLOAT_EQ(vertex(2).uv[0], 1.05f);
    EXPECT_FLOAT_EQ(vertex(2).uv[1], 1.1f);
}

TEST_F(DrawListTest, ArraysStartAt64AndGrowByDoubling)
{
    uint32_t first;
    qel_draw_reserve(ctx, 1, 1, &first);
    EXPECT_EQ(list().vertex_capacity, 64u);
    EXPECT_EQ(list().index_capacity, 64u);
    EXPECT_EQ(list().command_capacity, 64u);
    qel_vertex* v = qel_draw_reserve(ctx, 200, 0, &first);
    EXPECT_EQ(first, 1u);
    EXPECT_EQ(list().vertex_capacity, 256u);
    for (int i = 0; i < 200; i++) ASSERT_EQ(v[i].kind + v[i].pos[0] + (float)v[i].fill, 0);  // cleared
}

TEST_F(DrawListTest, CoordinatesThatAreNotFiniteNeverReachTheList)
{
    const float bad[] = {NAN, INFINITY, -INFINITY};
    for (float b : bad) {
        rect(b, 0, 10, 10);
        rect(0, 0, b, 10);
        qel_draw_glyph(ctx, 0, b, 10, 10, 0, 0, 1, 1, 0xFFFFFFFF);
        qel_draw_push_transform(ctx, b, 0, 0, 1, 0, 0);
        rect(0, 0, 10, 10);
        qel_draw_pop_transform(ctx);
        qel_draw_push_transform(ctx, 1, 0, 0, b, 0, 0);  // alpha
        rect(0, 0, 10, 10);
        qel_draw_pop_transform(ctx);
    }
    // Lines and polygons whose vertices would overflow are taken back whole.
    const qel_vec2 far[2] = {{3.4e38f, 0}, {3.4e38f, 10}}, nan_points[3] = {{NAN, 0}, {1, 1}, {0, 1}};
    qel_draw_polyline(ctx, far, 2, 1e38f, 0xFF0000FF, 0);
    qel_draw_convex_polygon(ctx, nan_points, 3, 0xFF0000FF);
    qel_draw_polyline(ctx, nan_points, 3, 1, 0xFF0000FF, 1);
    qel_draw_line(ctx, {0, 0}, {1, 1}, NAN, 0xFF0000FF);
    // Only the shapes under a strange alpha stay: NaN and -inf count as 0, +inf as 1.
    ASSERT_EQ(list().vertex_count, 12u);
    EXPECT_EQ(vertex(0).fill >> 24, 0u);
    EXPECT_EQ(vertex(4).fill >> 24, 0xFFu);
    EXPECT_EQ(vertex(8).fill >> 24, 0u);
    qel_rect broken = {NAN, 0, 10, 10};
    qel_draw_push_clip(ctx, &broken);
    rect(0, 0, 10, 10);
    EXPECT_EQ(list().vertex_count, 12u);
    qel_draw_pop_clip(ctx);
    rect(0, 0, 10, 10);
    EXPECT_EQ(list().vertex_count, 16u);
}
