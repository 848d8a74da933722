#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "core/core.h"
#include "qel/scroll_container.h"
#include "qel_headless.h"

static const qel_color RED = 0xFF0000FF, BLUE = 0xFFFF0000, GREEN = 0xFF00FF00, GREY = 0xFF808080;

// A box node of the given size and fill.
static int32_t box(qel_context* ctx, uint32_t id, float w, float h, qel_color fill)
{
    int32_t i = qel_node_sized(ctx, id, fixed(w), fixed(h));
    qel_node_at(ctx, i)->fill = fill;
    return i;
}

// Index of the first vertex filled with the colour, -1 when none.
static int64_t first_with_fill(const qel_draw_data& d, qel_color fill)
{
    for (uint32_t i = 0; i < d.vertex_count; i++)
        if (d.vertices[i].fill == fill) return i;
    return -1;
}

static std::vector<qel_hit_rect> hits(qel_context* ctx)
{
    const qel_hit_list& l = ctx->interaction.hits;
    return std::vector<qel_hit_rect>(l.rects, l.rects + l.count);
}

TEST(LayoutDraw, OpacityFadesTheWholeSubtree)
{
    for (float opacity : {0.5f, 0.9995f}) {
        qel_headless h;
        int32_t depth_inside = 0;
        h.ui = [&](qel_context* ctx) {
            qel_style s = {};
            s.opacity = opacity;
            s.fill = GREY;
            qel_column_begin(ctx, &s);
            box(ctx, 1, 50, 50, RED);
            qel_node_at(ctx, box(ctx, 2, 50, 50, 0))->draw = [](qel_context* c, const qel_node*, void* user) {
                *(int32_t*)user = c->draw.transform_depth.depth;
            };
            qel_node_at(ctx, ctx->tree.last_opened)->draw_user = &depth_inside;
            qel_container_end(ctx);
        };
        h.run();
        const qel_draw_data& d = h.draw_data();
        ASSERT_GT(d.vertex_count, 0u);
        uint32_t want = opacity < 0.999f ? 128 : 255;
        for (uint32_t i = 0; i < d.vertex_count; i++) EXPECT_EQ(d.vertices[i].fill >> 24, want);
        EXPECT_EQ(depth_inside, opacity < 0.999f ? 2 : 1);
    }
}

TEST(LayoutDraw, HitRectanglesAreClippedAndLayered)
{
    qel_headless h;
    h.ui = [](qel_context* ctx) {
        qel_style clip = {};
        clip.width = fixed(100);
        clip.height = fixed(100);
        clip.clip = 1;
        qel_column_begin(ctx, &clip);
        qel_node_mark_interactive(ctx, box(ctx, 1, 150, 40, 0), 0);
        qel_node_at(ctx, box(ctx, 2, 150, 40, 0))->flags |= QEL_NODE_BLOCKING;
        box(ctx, 3, 10, 10, RED);  // draws, but takes no hit rectangle
        qel_container_end(ctx);
        qel_overlay_begin(ctx, 77, 1001, 0, QEL_PLACE_AT, 0);
        qel_node_at(ctx, ctx->tree.last_opened)->x = 300;
        qel_node_mark_interactive(ctx, box(ctx, 4, 20, 20, 0), QEL_INTERACT_FOCUSABLE);
        qel_overlay_end(ctx);
    };
    h.run();
    std::vector<qel_hit_rect> r = hits(h.ctx);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].id, 1u);
    EXPECT_EQ(r[0].w, 100);  // cut to the clipping parent
    EXPECT_EQ(r[0].flags, (uint32_t)QEL_NODE_INTERACTIVE);
    EXPECT_EQ(r[1].id, 2u);
    EXPECT_EQ(r[1].w, 150);  // blocking: the whole rectangle
    EXPECT_EQ(r[2].id, 4u);
    EXPECT_EQ(r[2].layer, 77u);
    EXPECT_EQ(r[2].flags, (uint32_t)(QEL_NODE_INTERACTIVE | QEL_NODE_FOCUSABLE));
    for (size_t i = 0; i < r.size(); i++) EXPECT_EQ(r[i].sequence, i + 1);
    EXPECT_EQ(r[0].layer, 0u);
}

TEST(LayoutDraw, OutsideTheClipNothingIsDrawnExceptUnderEmptyContainers)
{
    qel_headless h;
    h.ui = [](qel_context* ctx) {
        qel_node* off = qel_node_at(ctx, qel_node_floating(ctx, 1, 900, 0, 50, 50));
        off->fill = RED;
        qel_style empty = {};
        empty.width = fixed(0);
        qel_column_begin(ctx, &empty);
        box(ctx, 2, 50, 50, BLUE);  // overflows its zero-wide parent
        qel_container_end(ctx);
    };
    h.run();
    EXPECT_EQ(first_with_fill(h.draw_data(), RED), -1);
    EXPECT_GE(first_with_fill(h.draw_data(), BLUE), 0);
}

TEST(LayoutDraw, PaintingOrder)
{
    qel_headless h;
    std::vector<int> calls;
    h.ui = [&](qel_context* ctx) {
        qel_style s = {};
        s.fill = GREY;
        s.border = GREEN;
        s.border_width = 2;
        s.clip = 1;
        s.elevation = 1;
        s.width = fixed(200);
        s.height = fixed(200);
        qel_column_begin(ctx, &s);
        qel_node* n = qel_node_at(ctx, ctx->tree.last_opened);
        n->draw = [](qel_context*, const qel_node*, void* user) { ((std::vector<int>*)user)->push_back(1); };
        n->draw_user = &calls;
        qel_node_at(ctx, box(ctx, 1, 50, 50, RED))->flags |= QEL_NODE_ON_TOP;
        qel_node* after = qel_node_at(ctx, box(ctx, 2, 50, 50, BLUE));
        after->flags |= QEL_NODE_DRAW_AFTER;
        after->draw = [](qel_context*, const qel_node*, void* user) { ((std::vector<int>*)user)->push_back(2); };
        after->draw_user = &calls;
        qel_container_end(ctx);
        for (int32_t z : {2000, 1500}) {
            qel_overlay_begin(ctx, 50 + (uint32_t)z, z, 0, QEL_PLACE_CENTER, 0);
            box(ctx, 0, 10, 10, z == 2000 ? 0xFF111111 : 0xFF222222);
            qel_overlay_end(ctx);
        }
    };
    h.run();
    const qel_draw_data& d = h.draw_data();
    int64_t shadow = -1;
    for (uint32_t i = 0; i < d.vertex_count && shadow < 0; i++)
        if (d.vertices[i].kind == (float)QEL_SHAPE_SHADOW) shadow = i;
    int64_t fill = first_with_fill(d, GREY), red = first_with_fill(d, RED), blue = first_with_fill(d, BLUE);
    int64_t border = -1;
    for (uint32_t i = 0; i < d.vertex_count; i++)
        if (d.vertices[i].border == GREEN) border = i;
    ASSERT_GE(shadow, 0);
    EXPECT_LT(shadow, fill);
    EXPECT_LT(fill, blue);   // the container's fill under its children
    EXPECT_LT(blue, red);    // the on-top child after its sibling
    EXPECT_LT(red, border);  // a clipping container's border over its children
    EXPECT_EQ(d.vertices[border].fill >> 24, 0u);
    EXPECT_LT(first_with_fill(d, 0xFF222222), first_with_fill(d, 0xFF111111));  // by z, not creation
    EXPECT_EQ(calls, (std::vector<int>{1, 2}));
}

TEST(LayoutDraw, TextIsAlignedInItsNode)
{
    const struct {
        uint8_t content_align, direction_mode;
        bool at_right;
    } cases[] = {{0, 1, false}, {0, 2, true}, {2, 1, true}, {3, 2, false}, {4, 2, false}, {4, 1, true}};
    for (const auto& c : cases) {
        qel_headless h;
        h.ui = [&](qel_context* ctx) {
            qel_style s = {};
            s.width = fixed(400);
            s.direction_mode = c.direction_mode;
            qel_column_begin(ctx, &s);
            qel_node* t = qel_node_at(ctx, qel_node_text(ctx, "Tea", -1, QEL_FONT_BODY, 14, RED, false));
            t->content_align = c.content_align;
            qel_container_end(ctx);
        };
        h.run();
        const qel_draw_data& d = h.draw_data();
        ASSERT_GT(d.vertex_count, 0u);
        float left = 1e9f, right = 0;
        for (uint32_t i = 0; i < d.vertex_count; i++) {
            EXPECT_EQ(d.vertices[i].kind, (float)QEL_SHAPE_GLYPH);
            left = std::min(left, d.vertices[i].pos[0]);
            right = std::max(right, d.vertices[i].pos[0]);
        }
        EXPECT_EQ(right > 380, c.at_right) << (int)c.content_align << " " << (int)c.direction_mode;
        EXPECT_EQ(left < 20, !c.at_right);
    }
}

TEST(LayoutDraw, TransformRectAndClippedScrollRectangles)
{
    qel_headless h(800, 600, 2);
    qel_rect r = {10, 20, 30, 40}, out;
    qel_transform_rect(&out, h.ctx, r);
    EXPECT_EQ(out.x, 10);
    qel_draw_push_transform(h.ctx, 2, 100, 100, 1, 5, 0);
    qel_transform_rect(&out, h.ctx, r);
    EXPECT_FLOAT_EQ(out.x, 2 * 10 - 100 + 5);
    EXPECT_FLOAT_EQ(out.y, 2 * 20 - 100);
    EXPECT_FLOAT_EQ(out.w, 60);
    qel_draw_pop_transform(h.ctx);

    qel_rect clip = {0, 0, 100, 100};
    qel_draw_push_clip(h.ctx, &clip);
    qel_hit_rect_add_clipped(h.ctx, 9, {50, 50, 100, 30});
    qel_draw_pop_clip(h.ctx);
    const qel_hit_rect& hit = h.ctx->interaction.hits.rects[0];
    EXPECT_EQ(hit.w, 50);
    EXPECT_EQ(hit.h, 30);
    EXPECT_EQ(hit.flags, (uint32_t)(QEL_NODE_SCROLL_X | QEL_NODE_SCROLL_Y));
    auto* s = (qel_scroll_state*)qel_state_find(h.ctx, 9, sizeof(qel_scroll_state), false);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->view_w, 100);
    EXPECT_GT(s->content_h, s->view_h + 1000);
}

// A text node whose size is no number is laid out and drawn without a glyph, and hurts nothing.
TEST(LayoutDraw, TextOfNoSizeDrawsNothing)
{
    for (bool wrap : {false, true}) {
        qel_headless h;
        h.ui = [&](qel_context* ctx) {
            qel_column_begin(ctx, nullptr);
            qel_node_text(ctx, "Print 12 labels", -1, QEL_FONT_BODY, std::numeric_limits<float>::quiet_NaN(),
                          0xFFFFFFFF, wrap);
            qel_container_end(ctx);
        };
        h.run(2);
        EXPECT_EQ(h.draw_data().vertex_count, 0u) << wrap;
    }
}
