// The loader's boxes and drawings, and the glow card: no glow until hovered, the running light
// with and without motion, the glow following the pointer, and an end without a begin.
#include <gtest/gtest.h>

#include "../charts/chart_rig.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

static int shapes_of_kind(const qel_draw_data& dd, qel_shape_kind kind)
{
    int n = 0;
    for (uint32_t i = 0; i + 3 < dd.vertex_count; i += 4) n += dd.vertices[i].kind == (float)kind;
    return n;
}

TEST(Loader, DefaultsToThreeDotsInA24By12BoxAndUnknownStylesDrawNothing)
{
    widget_rig rig(200, 100, QEL_THEME_LIGHT, false);
    qel_loader_options o = {};
    const qel_loader_options* options = nullptr;
    rig.h.ui = [&](qel_context* ctx) {
        qel_push_id(ctx, "loader");
        qel_loader(ctx, options);
        qel_pop_id(ctx);
    };
    rig.h.run(2);
    const qel_node* n = inspect_node(rig.h.ctx, 1);
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->rect.w, 24);
    EXPECT_EQ(n->rect.h, 12);
    EXPECT_EQ(drawn_boxes(rig.h.draw_data()).size(), 3u);
    EXPECT_TRUE(qel_needs_redraw(rig.h.ctx));
    o.style = 7;
    options = &o;
    rig.h.run();
    n = inspect_node(rig.h.ctx, 1);
    EXPECT_EQ(n->rect.w, 24);
    EXPECT_EQ(n->rect.h, 24);
    EXPECT_EQ(rig.h.draw_data().vertex_count, 0u);
    for (uint32_t style : {1u, 2u, 3u, 4u}) {
        o.style = style;
        rig.h.run();
        EXPECT_GT(rig.h.draw_data().vertex_count, 0u) << style;
        EXPECT_TRUE(all_vertices_finite(rig.h.draw_data()));
    }
}

struct glow_scene {
    widget_rig rig;
    qel_glow_card_options o = {};
    explicit glow_scene(bool moving) : rig(400, 300, QEL_THEME_DARK, !moving)
    {
        o.width = {QEL_SIZE_FIXED, 200};
        o.height = {QEL_SIZE_FIXED, 120};
        rig.h.ui = [this](qel_context* ctx) {
            qel_glow_card_begin(ctx, "glow", &o);
            qel_textf(ctx, "Inside");
            qel_glow_card_end(ctx);
        };
        rig.h.run(3);
    }
    int shadows() { return shapes_of_kind(rig.h.draw_data(), QEL_SHAPE_SHADOW); }
    size_t boxes() { return drawn_boxes(rig.h.draw_data()).size(); }
};

TEST(GlowCard, NeverHoveredDrawsNoGlowButItsLightRunsWithMotion)
{
    glow_scene plain(true);
    EXPECT_EQ(plain.shadows(), 0);
    size_t card_only = plain.boxes();
    EXPECT_FALSE(qel_needs_redraw(plain.rig.h.ctx));
    plain.o.animate = 1;
    plain.rig.h.run(2);
    EXPECT_EQ(plain.shadows(), 0);
    EXPECT_EQ(plain.boxes(), card_only + 12) << "one glow point of 12 layers";
    EXPECT_TRUE(qel_needs_redraw(plain.rig.h.ctx));
    glow_scene still(false);
    still.o.animate = 1;
    still.rig.h.run(2);
    EXPECT_EQ(still.boxes(), card_only);
    EXPECT_FALSE(qel_needs_redraw(still.rig.h.ctx));
}

TEST(GlowCard, GlowsUnderAndAroundThePointerAndFadesWhenItLeaves)
{
    glow_scene s(true);
    size_t card_only = s.boxes();
    uint32_t id = qel_id(s.rig.h.ctx, "glow");
    qel_rect r = s.rig.h.rect(id);
    s.rig.h.move(r.x + 40, r.y + 30);
    s.rig.h.run(30);
    EXPECT_EQ(s.shadows(), 1);
    EXPECT_EQ(s.boxes(), card_only + 12);
    EXPECT_EQ(qel_last_item_id(s.rig.h.ctx), id);
    qel_input_mouse_leave(s.rig.h.ctx);
    s.rig.h.run(60);
    EXPECT_EQ(s.shadows(), 0);
    EXPECT_FALSE(qel_needs_redraw(s.rig.h.ctx));
}

TEST(GlowCard, EndWithoutBeginDoesNothing)
{
    widget_rig rig(300, 200);
    int32_t open = -1;
    rig.h.ui = [&](qel_context* ctx) {
        qel_column_begin(ctx, nullptr);
        qel_glow_card_end(ctx);
        open = inspect_open_parents(ctx);
        qel_container_end(ctx);
    };
    rig.h.run();
    EXPECT_EQ(open, 2) << "the column stays open";
}
