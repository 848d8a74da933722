// The icon dock: tiles fitted to a narrow display, magnification under the pointer, clicks,
// badges and their widths, and items or ends outside a dock.
#include <gtest/gtest.h>

#include "../charts/chart_rig.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

struct dock_scene {
    widget_rig rig;
    int32_t count;
    int32_t badge = 0;
    int32_t clicked = -1;
    dock_scene(float width, int32_t items) : rig(width, 200, QEL_THEME_LIGHT, false), count(items)
    {
        rig.h.ui = [this](qel_context* ctx) {
            qel_icon_dock_begin(ctx, "dock", nullptr);
            for (int32_t i = 0; i < count; i++) {
                qel_icon_dock_item_options o = {};
                o.badge = i == 0 ? badge : 0;
                o.running = i == 1;
                if (qel_icon_dock_item(ctx, QEL_ICON_ARROW_LEFT, "Item", &o)) clicked = i;
            }
            qel_icon_dock_separator(ctx);
            qel_icon_dock_end(ctx);
        };
        rig.h.run(2);
    }
    uint32_t item(int32_t i)
    {
        return qel_hash_bytes(&i, sizeof i, qel_id(rig.h.ctx, "dock") ^ 0xd0cu);
    }
    float tile(int32_t i) { return rig.h.rect(item(i)).w; }
};

TEST(IconDock, FitsTheDisplayAndGrowsTilesUnderThePointer)
{
    dock_scene six(480, 6);
    EXPECT_EQ(six.tile(2), 46) << "s = floor((431 - 48) / 6) = 63 leaves room for 46";
    six.rig.move_to(six.item(2));
    six.rig.h.run(40);
    EXPECT_NEAR(six.tile(2), 46 * 1.55f, 0.5f);
    EXPECT_GT(six.tile(1), 46);
    EXPECT_LT(six.tile(1), six.tile(2));
    six.rig.h.move(5, 5);
    six.rig.h.run(60);
    EXPECT_EQ(six.tile(2), 46);
    dock_scene twenty(480, 20);
    EXPECT_EQ(twenty.tile(0), 24) << "s = 17 with gap 4, never below 24";
    twenty.rig.move_to(twenty.item(5));
    twenty.rig.h.run(30);
    EXPECT_EQ(twenty.tile(5), 24) << "no magnification";
    EXPECT_EQ(twenty.rig.h.rect(qel_id(twenty.rig.h.ctx, "dock")).h, 44);
}

TEST(IconDock, ClicksAndBadges)
{
    dock_scene s(640, 3);
    s.rig.click_on(s.item(1));
    s.rig.h.run(2);
    EXPECT_EQ(s.clicked, 1);
    qel_color danger = qel_theme_color(s.rig.h.ctx, QEL_COLOR_DANGER);
    EXPECT_TRUE(boxes_filled(s.rig.h.draw_data(), danger).empty());
    s.badge = 5;
    s.rig.h.run();
    std::vector<drawn_box> badges = boxes_filled(s.rig.h.draw_data(), danger);
    ASSERT_EQ(badges.size(), 1u);
    EXPECT_EQ(badges[0].w, 18);
    qel_rect tile = s.rig.h.rect(s.item(0));
    EXPECT_NEAR(badges[0].x, tile.x + tile.w - 10.8f, 0.01f);
    s.badge = 150;
    s.rig.h.run();
    badges = boxes_filled(s.rig.h.draw_data(), danger);
    ASSERT_EQ(badges.size(), 1u);
    float wide = qel_text_width(s.rig.h.ctx, QEL_FONT_MEDIUM, 11, "99+", -1, 0) + 10;
    EXPECT_FLOAT_EQ(badges[0].w, wide) << "99+ for counts above 99";
}

TEST(IconDock, ItemsAndEndsOutsideADockDoNothing)
{
    widget_rig rig(300, 200);
    bool clicked = true;
    int32_t nodes = 0, open = 0;
    rig.h.ui = [&](qel_context* ctx) {
        clicked = qel_icon_dock_item(ctx, QEL_ICON_ARROW_LEFT, "Lost", nullptr);
        nodes = inspect_node_count(ctx);
        qel_icon_dock_end(ctx);
        open = inspect_open_parents(ctx);
    };
    rig.h.run();
    EXPECT_FALSE(clicked);
    EXPECT_EQ(nodes, 1) << "the root alone";
    EXPECT_EQ(open, 1);
}
