// The navigation bar driven by clicks and arrow keys, its badges, label mode and sliding
// indicator; the toggle tile with and without the caller's boolean, and its status text.
#include <gtest/gtest.h>

#include "../charts/chart_rig.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

struct nav_scene {
    widget_rig rig;
    qel_icon_nav_item items[3] = {{nullptr, "Home", 12}, {nullptr, "Search", 0}, {nullptr, "Profile", 3}};
    qel_icon_nav_options o = {};
    int32_t selected = 0;
    bool changed = false;
    nav_scene() : rig(480, 200, QEL_THEME_LIGHT, false)
    {
        rig.h.ui = [this](qel_context* ctx) { changed = qel_icon_nav_bar(ctx, "nav", items, 3, &selected, &o); };
        rig.h.run(2);
    }
    uint32_t item(int32_t i) { return qel_hash_bytes(&i, sizeof i, qel_id(rig.h.ctx, "nav") ^ 0x7abu); }
    void tap(int32_t key)
    {
        rig.h.tap(key);
        rig.h.run();
    }
};

TEST(IconNavBar, ArrowKeysMoveTheSelectionAndStopAtTheEnds)
{
    nav_scene s;
    s.rig.click_on(s.item(2));
    s.rig.h.run();
    EXPECT_EQ(s.selected, 2);
    s.tap(QEL_KEY_RIGHT);
    EXPECT_EQ(s.selected, 2) << "Right on the last item changes nothing";
    EXPECT_FALSE(s.changed);
    s.rig.h.key(QEL_KEY_LEFT, true);
    s.rig.h.run();
    EXPECT_TRUE(s.changed);
    EXPECT_EQ(s.selected, 1) << "one step, though the focus moved on to the next item";
    EXPECT_EQ(qel_focused_id(s.rig.h.ctx), s.item(1));
    s.rig.h.key(QEL_KEY_LEFT, false);
    s.tap(QEL_KEY_LEFT);
    s.tap(QEL_KEY_LEFT);
    EXPECT_EQ(s.selected, 0) << "Left on the first item changes nothing";
    EXPECT_FALSE(s.changed);
}

TEST(IconNavBar, BadgesLabelsAndTheIndicator)
{
    nav_scene s;
    EXPECT_NE(node_with_text(s.rig.h.ctx, "9+"), nullptr) << "12 shows 9+";
    EXPECT_NE(node_with_text(s.rig.h.ctx, "3"), nullptr);
    EXPECT_EQ(node_with_text(s.rig.h.ctx, "0"), nullptr) << "0 shows no badge";
    EXPECT_NE(node_with_text(s.rig.h.ctx, "Search"), nullptr);
    s.o.label_mode = 1;
    s.rig.h.run();
    EXPECT_NE(node_with_text(s.rig.h.ctx, "Home"), nullptr);
    EXPECT_EQ(node_with_text(s.rig.h.ctx, "Search"), nullptr);
    EXPECT_EQ(node_with_text(s.rig.h.ctx, "Profile"), nullptr);
    qel_color tint = qel_color_alpha(qel_theme_color(s.rig.h.ctx, QEL_COLOR_TEXT), 0.07f);
    auto indicator_x = [&]() {
        std::vector<drawn_box> b = boxes_filled(s.rig.h.draw_data(), tint);
        return b.size() == 1 ? b[0].x : -1;
    };
    EXPECT_EQ(indicator_x(), s.rig.h.rect(s.item(0)).x);
    s.rig.click_on(s.item(2));
    s.rig.h.run(3);
    float gliding = indicator_x();
    EXPECT_GT(gliding, s.rig.h.rect(s.item(0)).x);
    EXPECT_LT(gliding, s.rig.h.rect(s.item(2)).x);
    s.rig.h.run(60);
    EXPECT_EQ(indicator_x(), s.rig.h.rect(s.item(2)).x);
}

TEST(ToggleTile, FlipsTheCallersBooleanAndWithoutOneStaysOff)
{
    widget_rig rig(400, 300);
    bool lamp = false;
    int32_t toggles = 0, loose_toggles = 0;
    qel_toggle_tile_options o = {};
    rig.h.ui = [&](qel_context* ctx) {
        toggles += qel_toggle_tile(ctx, "Lamp", &lamp, &o);
        loose_toggles += qel_toggle_tile(ctx, "Loose", nullptr, nullptr);
    };
    rig.h.run();
    EXPECT_NE(node_with_text(rig.h.ctx, "Off"), nullptr);
    rig.click_on(qel_id(rig.h.ctx, "Lamp"));
    rig.h.run();
    EXPECT_TRUE(lamp);
    EXPECT_EQ(toggles, 1);
    EXPECT_NE(node_with_text(rig.h.ctx, "On"), nullptr);
    rig.click_on(qel_id(rig.h.ctx, "Loose"));
    rig.h.run();
    EXPECT_EQ(loose_toggles, 0);
    int32_t offs = 0;
    for (int32_t i = 0; i < inspect_node_count(rig.h.ctx); i++) {
        const qel_node* n = inspect_node(rig.h.ctx, i);
        offs += (n->flags & QEL_NODE_TEXT) && n->text && strcmp(n->text, "Off") == 0;
    }
    EXPECT_EQ(offs, 1) << "the loose tile shows off";
    o.status = "Armed";
    rig.h.run();
    EXPECT_NE(node_with_text(rig.h.ctx, "Armed"), nullptr);
    qel_set_focus(rig.h.ctx, qel_id(rig.h.ctx, "Lamp"), true);
    rig.h.tap(QEL_KEY_ENTER);
    rig.h.run();
    EXPECT_FALSE(lamp) << "Enter on the focused tile";
    EXPECT_NE(node_with_text(rig.h.ctx, "Armed"), nullptr);
}
