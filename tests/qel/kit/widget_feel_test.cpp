// The feel widgets share and the services of the last frame they read: the focus ring's
// threshold, the colour and size rules of controls, the pointer and hovered item of the last
// frame, focus moved by a widget, the last item and the embedder's pointer.
#include <gtest/gtest.h>

#include "qel/qel.h"
#include "support/widget_rig.h"

TEST(WidgetFeel, FocusRingOnlyAboveItsThreshold)
{
    widget_rig rig;
    for (float visibility : {0.0f, 0.01f, 0.0101f, 1.0f}) {
        rig.h.ui = [&](qel_context* ctx) {
            int32_t n = qel_node_sized(ctx, 1, {QEL_SIZE_FIXED, 10}, {QEL_SIZE_FIXED, 10});
            qel_focus_ring(ctx, n, visibility);
        };
        rig.h.run();
        const qel_node* n = node_with_id(rig.h.ctx, 1);
        bool ring = visibility > 0.01f;
        EXPECT_EQ(n->draw != nullptr, ring) << visibility;
        EXPECT_EQ((n->flags & QEL_NODE_DRAW_AFTER) != 0, ring) << visibility;
    }
}

TEST(WidgetFeel, ColourAndSizeRules)
{
    widget_rig rig;
    qel_context* ctx = rig.h.ctx;
    const qel_color token = qel_color_token(QEL_COLOR_ACCENT);
    EXPECT_EQ(qel_color_arg(0x80112233u, 7), 0x80112233u);
    EXPECT_EQ(qel_color_arg(token, 7), token);
    EXPECT_EQ(qel_color_arg(0x001DC500u, 7), 7u) << "the token base names no slot";
    EXPECT_EQ(qel_color_arg(0x00FFFFFFu, 7), 7u);
    qel_color border = qel_theme_color(ctx, QEL_COLOR_BORDER), strong = qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG);
    EXPECT_EQ(qel_border_color(ctx, -1), qel_color_mix(border, strong, 0.35f));
    EXPECT_EQ(qel_border_color(ctx, 5), strong);
    EXPECT_EQ(qel_field_border_color(ctx, 2), qel_color_mix(strong, qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), 0.5f));
    EXPECT_EQ(qel_focus_color(ctx), qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY));
    qel_theme_set_accent(ctx, QEL_ACCENT_BLUE);
    rig.h.run();
    EXPECT_EQ(qel_focus_color(ctx), qel_theme_color(ctx, QEL_COLOR_ACCENT));
    const float heights[4][2] = {{0, 36}, {1, 30}, {2, 44}, {9, 36}};
    for (const auto& h : heights) EXPECT_EQ(qel_control_height(ctx, (uint32_t)h[0]), h[1]);
}

TEST(WidgetFeel, WhatTheLastFrameSawAndWhatWidgetsSet)
{
    widget_rig rig;
    int user = 0;
    EXPECT_EQ(qel_ctx_user(rig.h.ctx), nullptr);
    qel_ctx_set_user(rig.h.ctx, &user);
    EXPECT_EQ(qel_ctx_user(rig.h.ctx), &user);
    qel_vec2 previous = {};
    rig.h.ui = [&](qel_context* ctx) {
        previous = qel_mouse_prev_pos(ctx);
        qel_button(ctx, "One", nullptr);
        qel_button(ctx, "Two", nullptr);
    };
    rig.h.run(2);
    uint32_t one = qel_id(rig.h.ctx, "One"), two = qel_id(rig.h.ctx, "Two");
    EXPECT_EQ(previous.x, -1e6f) << "outside until the pointer came";
    rig.move_to(one);
    rig.h.run();
    qel_vec2 at_one = rig.centre(one);
    rig.move_to(two);
    rig.h.run();
    EXPECT_EQ(qel_hovered_id(rig.h.ctx), two);
    EXPECT_EQ(qel_last_hovered_id(rig.h.ctx), one);
    EXPECT_EQ(previous.y, at_one.y) << "during the frame: where the last frame saw it";
    EXPECT_EQ(qel_last_item_id(rig.h.ctx), two) << "the last button built";
    qel_set_last_item(rig.h.ctx, one);
    EXPECT_EQ(qel_last_item_rect(rig.h.ctx).y, rig.h.rect(one).y);

    qel_set_focus(rig.h.ctx, two, true);
    rig.h.run();
    EXPECT_EQ(qel_focused_id(rig.h.ctx), two);
    EXPECT_TRUE(node_with_id(rig.h.ctx, two)->flags & QEL_NODE_DRAW_AFTER) << "its ring shows";
    qel_set_focus(rig.h.ctx, 0, true);
    rig.h.run();
    EXPECT_FALSE(node_with_id(rig.h.ctx, two)->flags & QEL_NODE_DRAW_AFTER);
}
