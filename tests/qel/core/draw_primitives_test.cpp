#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "qel/draw.h"
#include "qel/theme.h"
#include "support/qel_fixture.h"

class PrimitiveTest : public QelTest {
protected:
    const qel_vertex& vertex(uint32_t i) const { return ctx->draw.vertices[i]; }
    uint32_t vertices() const { return ctx->draw.vertex_count; }
    uint32_t indices() const { return ctx->draw.index_count; }
};

static const qel_rect BOX = {10, 10, 40, 20};
static const qel_color RED = 0xFF0000FF;

struct count_case {
    const char* name;
    std::function<void(qel_context*)> draw;
    uint32_t vertices, indices;
};

TEST_F(PrimitiveTest, VertexAndIndexCounts)
{
    const qel_vec2 tri[3] = {{0, 0}, {10, 0}, {5, 8}};
    const qel_vec2 pentagon[5] = {{0, 0}, {10, 0}, {12, 8}, {5, 12}, {-2, 8}};
    const qel_triangle_vertex tv[3] = {{0, 0, RED}, {10, 0, RED}, {5, 8, RED}};
    const uint32_t some_bad[8] = {0, 1, 2, 0, 2, 5, 1, 2};  // one good, one past the end, one cut
    const uint32_t all_bad[3] = {3, 0, 1};
    const qel_rect empty = {10, 10, 0, 20}, narrow = {10, 10, 3, 20};
    const count_case cases[] = {
        {"rect", [](qel_context* c) { qel_draw_rect(c, &BOX, nullptr, RED); }, 4, 6},
        {"rect clear", [](qel_context* c) { qel_draw_rect(c, &BOX, nullptr, 0x00FFFFFF); }, 0, 0},
        {"rect token 35", [](qel_context* c) { qel_draw_rect(c, &BOX, nullptr, 0x001DC523); }, 0, 0},
        {"rect empty", [&](qel_context* c) { qel_draw_rect(c, &empty, nullptr, RED); }, 0, 0},
        {"bordered", [](qel_context* c) { qel_draw_rect_bordered(c, &BOX, nullptr, 0, RED, 1); }, 4, 6},
        {"gradient clear", [](qel_context* c) { qel_draw_rect_gradient(c, &BOX, nullptr, 0, 0); }, 4, 6},
        {"shadow", [](qel_context* c) { qel_draw_box_shadow(c, &BOX, nullptr, 8, 2, {0, 4}, RED); }, 4, 6},
        {"shadow spread away", [](qel_context* c) { qel_draw_box_shadow(c, &BOX, nullptr, 8, -10, {}, RED); }, 0, 0},
        {"image", [](qel_context* c) { qel_draw_image(c, 9, &BOX, nullptr, nullptr, 0); }, 4, 6},
        {"image no texture", [](qel_context* c) { qel_draw_image(c, 0, &BOX, nullptr, nullptr, 0); }, 0, 0},
        {"circle", [](qel_context* c) { qel_draw_circle(c, {20, 20}, 5, RED); }, 4, 6},
        {"glyph", [](qel_context* c) { qel_draw_glyph(c, 0, 0, 8, 12, 0, 0, 0.1f, 0.1f, RED); }, 4, 6},
        {"polyline open", [&](qel_context* c) { qel_draw_polyline(c, tri, 3, 2, RED, 0); }, 20, 72},
        {"polyline closed", [&](qel_context* c) { qel_draw_polyline(c, tri, 3, 2, RED, 1); }, 12, 54},
        {"polyline one point", [&](qel_context* c) { qel_draw_polyline(c, tri, 1, 2, RED, 0); }, 0, 0},
        {"line", [](qel_context* c) { qel_draw_line(c, {0, 0}, {10, 10}, 1, RED); }, 16, 54},
        {"polygon", [&](qel_context* c) { qel_draw_convex_polygon(c, pentagon, 5, RED); }, 10, 39},
        {"polygon two points", [&](qel_context* c) { qel_draw_convex_polygon(c, pentagon, 2, RED); }, 0, 0},
        {"arc tiny", [](qel_context* c) { qel_draw_arc(c, {50, 50}, 20, 0, 0.00005f, 1, RED); }, 0, 0},
        {"arc small: 8 segments", [](qel_context* c) { qel_draw_arc(c, {50, 50}, 1, 0, 1, 1, RED); }, 44, 180},
        {"arc huge: 256 segments", [](qel_context* c) { qel_draw_arc(c, {50, 50}, 1e4f, 0, 3, 1, RED); }, 1036, 4644},
        {"arc full turn is closed", [](qel_context* c) { qel_draw_arc(c, {50, 50}, 10, 0, 6.2825f, 1, RED); }, 80, 360},
        {"arc backwards", [](qel_context* c) { qel_draw_arc(c, {50, 50}, 1, 1, 0, 1, RED); }, 44, 180},
        {"triangles", [&](qel_context* c) { qel_draw_triangles(c, tv, 3, some_bad, 8); }, 3, 3},
        {"triangles none usable", [&](qel_context* c) { qel_draw_triangles(c, tv, 3, all_bad, 3); }, 0, 0},
        {"top highlight", [](qel_context* c) { qel_draw_top_highlight(c, &BOX, nullptr, 1); }, 40, 60},
        {"top highlight narrow", [&](qel_context* c) { qel_draw_top_highlight(c, &narrow, nullptr, 1); }, 0, 0},
        {"top highlight small", [&](qel_context* c) { qel_draw_top_highlight_small(c, &narrow, nullptr, 1); }, 32, 48},
        {"checkmark done", [](qel_context* c) { qel_draw_checkmark(c, &BOX, 1, 2, RED); }, 20, 72},
        {"checkmark not started", [](qel_context* c) { qel_draw_checkmark(c, &BOX, 0.001f, 2, RED); }, 0, 0},
        {"focus ring", [](qel_context* c) { qel_draw_focus_ring(c, &BOX, nullptr, 1); }, 4, 6},
        {"focus ring faded out", [](qel_context* c) { qel_draw_focus_ring(c, &BOX, nullptr, 0.01f); }, 0, 0},
        {"elevation 0", [](qel_context* c) { qel_draw_elevation(c, &BOX, nullptr, 0, 1); }, 0, 0},
        {"elevation 1: one layer", [](qel_context* c) { qel_draw_elevation(c, &BOX, nullptr, 1, 1); }, 4, 6},
        {"elevation 7: level 3", [](qel_context* c) { qel_draw_elevation(c, &BOX, nullptr, 7, 1); }, 8, 12},
        {"elevation no strength", [](qel_context* c) { qel_draw_elevation(c, &BOX, nullptr, 2, 0); }, 0, 0},
    };
    for (const count_case& c : cases) {
        next_frame();
        c.draw(ctx);
        EXPECT_EQ(vertices(), c.vertices) << c.name;
        EXPECT_EQ(indices(), c.indices) << c.name;
        // Every index names a vertex of the list and every command range lies inside.
        for (uint32_t i = 0; i < indices(); i++) ASSERT_LT(ctx->draw.indices[i], vertices()) << c.name;
        uint32_t end = 0;
        for (uint32_t i = 0; i < ctx->draw.command_count; i++) end += ctx->draw.commands[i].index_count;
        EXPECT_EQ(end, indices()) << c.name;
    }
}

TEST_F(PrimitiveTest, ColoursAreResolvedAndBordersAtLeastAPixel)
{
    qel_draw_rect(ctx, &BOX, nullptr, qel_color_token(QEL_COLOR_TEXT));
    EXPECT_EQ(vertex(0).fill, qel_theme_color(ctx, QEL_COLOR_TEXT));

    qel_draw_rect_bordered(ctx, &BOX, nullptr, 0x001DC502, RED, 0.3f);
    EXPECT_EQ(vertex(4).param, 1);
    EXPECT_EQ(vertex(4).fill, qel_theme_color(ctx, QEL_COLOR_SURFACE));
    EXPECT_EQ(vertex(4).border, RED);
    qel_draw_rect_bordered(ctx, &BOX, nullptr, 0xFF00FF00, 0x000000FF, 3);  // invisible border
    EXPECT_EQ(vertex(8).param, 0);
    EXPECT_EQ(vertex(8).border, 0xFF00FF00u);

    qel_draw_rect_gradient(ctx, &BOX, nullptr, RED, 0xFFFF0000);
    const qel_color corners[4] = {RED, RED, 0xFFFF0000, 0xFFFF0000};
    for (int i = 0; i < 4; i++) EXPECT_EQ(vertex(12 + i).fill, corners[i]);
    EXPECT_EQ(vertex(12).border, RED);

    qel_draw_image(ctx, 4, &BOX, nullptr, nullptr, 0);
    EXPECT_EQ(vertex(16).fill, 0xFFFFFFFFu);  // no tint shows the image as it is
    EXPECT_EQ(vertex(16).kind, (float)QEL_SHAPE_IMAGE);
}

TEST_F(PrimitiveTest, ShadowsSpreadBlurAndMove)
{
    const float radii[4] = {4, 4, 4, 4};
    qel_ctx_set_display(ctx, 800, 600, 2);
    next_frame();
    qel_draw_box_shadow(ctx, &BOX, radii, 6, 2, {1, 3}, RED);
    const qel_vertex& v = vertex(0);
    EXPECT_FLOAT_EQ(v.half[0], 44);  // (20 + 2) x 2
    EXPECT_FLOAT_EQ(v.half[1], 24);
    EXPECT_FLOAT_EQ(v.param, 6);    // sigma = 3 x 2
    EXPECT_FLOAT_EQ(v.radii[0], 12);
    EXPECT_FLOAT_EQ(v.pos[0] - v.local[0], 62);  // (30 + 1) x 2
    EXPECT_FLOAT_EQ(v.pos[1] - v.local[1], 46);
    EXPECT_FLOAT_EQ(v.local[0], -44 - 18);  // pad of three sigma
}

TEST_F(PrimitiveTest, ThinLinesAreOnePixelWideAndFainter)
{
    qel_draw_line(ctx, {0, 10}, {10, 10}, 0.5f, RED);
    // Across the start point, top to bottom: fringe, edge, edge, fringe.
    const float ys[4] = {8.5f, 9.5f, 10.5f, 11.5f};
    const uint32_t alphas[4] = {0, 127, 127, 0};
    for (int k = 0; k < 4; k++) {
        EXPECT_FLOAT_EQ(vertex(k).pos[0], 0);
        EXPECT_FLOAT_EQ(vertex(k).pos[1], ys[k]);
        EXPECT_EQ(vertex(k).fill >> 24, alphas[k]);
        EXPECT_EQ(vertex(k).fill & 0xFFFFFF, RED & 0xFFFFFF);
        EXPECT_EQ(vertex(k).kind, (float)QEL_SHAPE_SOLID);
    }
    // The end caps sit one pixel beyond each end.
    EXPECT_FLOAT_EQ(vertex(8).pos[0], -1);
    EXPECT_FLOAT_EQ(vertex(12).pos[0], 11);
    EXPECT_EQ(vertex(12).fill >> 24, 0u);
}

TEST_F(PrimitiveTest, PolygonFringesLieOutsideWhicheverWayRound)
{
    const qel_vec2 clockwise[4] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const qel_vec2 anticlockwise[4] = {{0, 0}, {0, 10}, {10, 10}, {10, 0}};
    for (const qel_vec2* square : {clockwise, anticlockwise}) {
        next_frame();
        qel_draw_convex_polygon(ctx, square, 4, RED);
        for (int i = 0; i < 4; i++) {
            const qel_vertex &inner = vertex(2 * i), &outer = vertex(2 * i + 1);
            EXPECT_GT(fabsf(outer.pos[0] - 5), 5);
            EXPECT_LT(fabsf(inner.pos[0] - 5), 5);
            EXPECT_EQ(inner.fill >> 24, 0xFFu);
            EXPECT_EQ(outer.fill >> 24, 0u);
        }
    }
}

TEST_F(PrimitiveTest, CheckmarkGrowsAlongItsPath)
{
    const qel_rect box = {0, 0, 100, 100};
    // Progress 0.2 of a path whose first leg is a third of it ends partway along that leg.
    qel_draw_checkmark(ctx, &box, 0.2f, 2, RED);
    ASSERT_EQ(vertices(), 16u);
    float l1 = hypotf(20, 19), l2 = hypotf(36, 40), t = 0.2f * (l1 + l2);
    float end_x = (vertex(5).pos[0] + vertex(6).pos[0]) / 2, end_y = (vertex(5).pos[1] + vertex(6).pos[1]) / 2;
    EXPECT_NEAR(end_x, 22 + 20 * t / l1, 1e-3f);
    EXPECT_NEAR(end_y, 53 + 19 * t / l1, 1e-3f);
}

TEST_F(PrimitiveTest, TrianglesKeepOnlyUsableOnesAndOffsetTheirIndices)
{
    qel_draw_rect(ctx, &BOX, nullptr, RED);
    const qel_color text = qel_color_token(QEL_COLOR_TEXT);
    const qel_triangle_vertex tv[4] = {{0, 0, RED}, {10, 0, text}, {5, 8, RED}, {NAN, 0, RED}};
    const uint32_t idx[9] = {0, 1, 2, 1, 3, 2, 2, 1, 0};
    qel_draw_triangles(ctx, tv, 4, idx, 9);
    ASSERT_EQ(indices(), 12u);
    const uint32_t want[6] = {4, 5, 6, 6, 5, 4};
    for (int i = 0; i < 6; i++) EXPECT_EQ(ctx->draw.indices[6 + i], want[i]);
    EXPECT_EQ(vertex(5).fill, qel_theme_color(ctx, QEL_COLOR_TEXT));
    EXPECT_EQ(vertex(5).kind, (float)QEL_SHAPE_SOLID);
    EXPECT_EQ(ctx->draw.command_count, 1u);  // both on the atlas texture, one command
}

TEST_F(PrimitiveTest, CompositionsUseTheTheme)
{
    const float radii[4] = {4, 4, 4, 4};
    qel_draw_focus_ring(ctx, &BOX, radii, 0.5f);
    const qel_vertex& ring = vertex(0);
    EXPECT_EQ(ring.border, qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_FOCUS_RING), 0.5f));
    EXPECT_EQ(ring.fill, 0u);
    EXPECT_EQ(ring.param, 2);
    EXPECT_EQ(ring.half[0], 23);
    EXPECT_EQ(ring.radii[0], 7);

    next_frame();
    qel_draw_elevation(ctx, &BOX, nullptr, 3, 0.5f);
    const qel_shadow_layer* pair = qel_theme_block_get(ctx)->shadow[2];
    // The second layer is drawn first.
    EXPECT_EQ(vertex(0).fill >> 24, (uint32_t)(int)(pair[1].alpha * 255 * 0.5f));
    EXPECT_EQ(vertex(4).fill >> 24, (uint32_t)(int)(pair[0].alpha * 255 * 0.5f));
    EXPECT_EQ(vertex(4).fill & 0xFFFFFF, 0u);

    next_frame();
    ctx->clock.redraw_requested = 0;
    qel_draw_spinner(ctx, {50, 50}, 10, 2, qel_color_token(QEL_COLOR_ACCENT));
    EXPECT_TRUE(qel_needs_redraw(ctx));
    // The faint ring is the resolved colour at 0.18 of its alpha, not a faded token.
    EXPECT_EQ(vertex(1).fill, qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_ACCENT), 0.18f));
}

TEST_F(PrimitiveTest, GlyphsFollowTheTransform)
{
    qel_draw_glyph(ctx, 1, 2, 9, 14, 0.1f, 0.2f, 0.3f, 0.4f, RED);
    EXPECT_EQ(vertex(2).pos[0], 9);
    EXPECT_EQ(vertex(2).pos[1], 14);
    EXPECT_EQ(vertex(2).uv[0], 0.3f);
    EXPECT_EQ(vertex(3).uv[1], 0.4f);
    EXPECT_EQ(vertex(0).kind, (float)QEL_SHAPE_GLYPH);
    EXPECT_EQ(vertex(0).half[0] + vertex(0).local[0], 0);  // only position, uv, kind and colour

    qel_draw_push_transform(ctx, 2, 0, 0, 0.5f, 10, 0);
    qel_draw_glyph(ctx, 1, 2, 9, 14, 0, 0, 1, 1, RED);
    EXPECT_EQ(vertex(4).pos[0], 12);
    EXPECT_EQ(vertex(4).pos[1], 4);
    EXPECT_EQ(vertex(4).fill >> 24, 128u);
}
