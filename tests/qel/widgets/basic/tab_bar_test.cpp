// The tab bar driven over scripted frames: choosing by click and by arrow keys, close requests by
// the close box, the middle button and Ctrl+W, shortcuts that wrap and do nothing without tabs,
// moves by Shift+arrow and by dragging that the selection follows, a drop in place, and the
// tooltips of close boxes and tabs.
#include <gtest/gtest.h>

#include <vector>

#include "qel/qel.h"
#include "support/widget_rig.h"

struct tab_rig {
    widget_rig rig;
    std::vector<qel_tab_item> tabs = {{"labels.csv", nullptr, nullptr, 0},
                                      {"prices.csv", nullptr, nullptr, 1},
                                      {"", nullptr, nullptr, 0},
                                      {"notes.txt", nullptr, nullptr, 0}};
    uint32_t selected = 0;
    qel_tab_bar_opts opts = {};
    qel_tab_bar_result last = {};
    int closes = -1, moves_from = -1, moves_to = -1;

    tab_rig() : rig(600, 120)
    {
        opts.shortcuts = 1;
        rig.h.ui = [this](qel_context* ctx) {
            last = qel_tab_bar(ctx, "docs", tabs.data(), (int32_t)tabs.size(), &selected, &opts);
            if (last.close >= 0) closes = last.close;
            if (last.move_from >= 0) moves_from = last.move_from, moves_to = last.move_to;
        };
        rig.h.run(2);
    }
    qel_context* ctx() { return rig.h.ctx; }
    uint32_t tab(int32_t i)
    {
        uint32_t bar = qel_id(ctx(), "docs");
        qel_push_id(ctx(), "docs");
        uint32_t id = tabs[(size_t)i].label[0] ? qel_id(ctx(), tabs[(size_t)i].label)
                                               : qel_hash_bytes(&i, sizeof i, bar ^ PART_UNNAMED_TAB);
        qel_pop_id(ctx());
        return id;
    }
    void click(uint32_t id, uint32_t button = 0)
    {
        qel_vec2 c = rig.centre(id);
        rig.h.click(c.x, c.y, button);
    }
};

TEST(TabBar, ClicksChooseTabsAndCloseBoxesRequestClosing)
{
    tab_rig t;
    qel_rect unnamed = t.rig.h.rect(t.tab(2));
    t.rig.h.click(unnamed.x + 6, unnamed.y + 16);
    EXPECT_EQ(t.selected, 2u) << "a tab without a label is named by its index";
    t.click(t.tab(3) ^ PART_TAB_CLOSE);
    EXPECT_EQ(t.closes, 3);
    EXPECT_EQ(t.tabs.size(), 4u) << "closing is only reported";
    t.closes = -1;
    t.click(t.tab(1), 2);
    EXPECT_EQ(t.closes, 1) << "the middle button closes";
    t.rig.h.tap(QEL_KEY_A + ('W' - 'A'), QEL_MOD_CTRL);
    EXPECT_EQ(t.closes, 2) << "Ctrl+W closes the selected tab";
}

TEST(TabBar, ShortcutsWrapAndDoNothingWithoutTabs)
{
    tab_rig t;
    t.selected = 3;
    t.rig.h.tap(QEL_KEY_TAB, QEL_MOD_CTRL);
    EXPECT_EQ(t.selected, 0u);
    t.rig.h.tap(QEL_KEY_PAGE_UP, QEL_MOD_CTRL);
    EXPECT_EQ(t.selected, 3u);
    t.rig.h.tap(QEL_KEY_TAB, QEL_MOD_CTRL | QEL_MOD_SHIFT);
    EXPECT_EQ(t.selected, 2u);
    t.selected = 9;
    t.rig.h.tap(QEL_KEY_PAGE_DOWN, QEL_MOD_CTRL);
    EXPECT_EQ(t.selected, 0u) << "from no valid tab the first";
    t.tabs.resize(1);
    t.rig.h.tap(QEL_KEY_TAB, QEL_MOD_CTRL);
    EXPECT_EQ(t.selected, 0u);
    t.tabs.clear();
    t.rig.h.tap(QEL_KEY_TAB, QEL_MOD_CTRL);
    t.rig.h.tap(QEL_KEY_TAB, QEL_MOD_CTRL | QEL_MOD_SHIFT);
    EXPECT_EQ(t.selected, 0u);
    EXPECT_FALSE(t.last.changed);
}

TEST(TabBar, ArrowsTravelAndShiftArrowsMove)
{
    tab_rig t;
    t.click(t.tab(1));
    t.rig.h.tap(QEL_KEY_RIGHT);
    EXPECT_EQ(t.selected, 2u);
    EXPECT_EQ(qel_focused_id(t.ctx()), t.tab(2));
    t.rig.h.tap(QEL_KEY_HOME);
    EXPECT_EQ(t.selected, 0u);
    t.rig.h.tap(QEL_KEY_RIGHT, QEL_MOD_SHIFT);
    EXPECT_EQ(t.moves_from, 0);
    EXPECT_EQ(t.moves_to, 1);
    EXPECT_EQ(t.selected, 1u) << "the selection follows its tab";
    EXPECT_TRUE(t.last.changed == 0 || t.selected == 1u);
}

TEST(TabBar, DraggingReordersAndADropInPlaceSlidesBack)
{
    tab_rig t;
    qel_vec2 c = t.rig.centre(t.tab(0));
    float far = t.rig.centre(t.tab(2)).x - c.x + 20;
    t.rig.h.move(c.x, c.y);
    t.rig.h.run();
    t.rig.h.button(0, true);
    t.rig.h.run();
    for (int i = 1; i <= 4; i++) {
        t.rig.h.move(c.x + far * (float)i / 4, c.y);
        t.rig.h.run();
    }
    EXPECT_TRUE(node_with_id(t.ctx(), t.tab(0))->flags & QEL_NODE_ON_TOP);
    t.rig.h.button(0, false);
    t.rig.h.run();
    EXPECT_EQ(t.moves_from, 0);
    EXPECT_EQ(t.moves_to, 2);
    EXPECT_EQ(t.selected, 2u);

    tab_rig still;
    c = still.rig.centre(still.tab(1));
    still.rig.h.move(c.x, c.y);
    still.rig.h.run();
    still.rig.h.button(0, true);
    still.rig.h.run();
    still.rig.h.move(c.x + 10, c.y);
    still.rig.h.run();
    still.rig.h.button(0, false);
    still.rig.h.run();
    EXPECT_EQ(still.moves_from, -1);
    EXPECT_EQ(still.selected, 1u);
}

TEST(TabBar, TooltipsNameTheCloseBoxWithItsShortcutAndTheTab)
{
    tab_rig t;
    t.tabs[3].tooltip = "notes.txt in the shop folder";
    t.rig.move_to(t.tab(0) ^ PART_TAB_CLOSE);
    t.rig.h.run(60);
    EXPECT_NE(node_with_text(t.ctx(), "Close"), nullptr);
    EXPECT_NE(node_with_text(t.ctx(), "Ctrl"), nullptr) << "the selected tab's close box names Ctrl+W";

    t.rig.move_to(t.tab(3) ^ PART_TAB_CLOSE);
    t.rig.h.run(60);
    EXPECT_NE(node_with_text(t.ctx(), "Close"), nullptr);
    EXPECT_EQ(node_with_text(t.ctx(), "Ctrl"), nullptr) << "another tab's close box only says Close";

    qel_rect tab = t.rig.h.rect(t.tab(3));
    t.rig.h.move(tab.x + 10, tab.y + tab.h / 2);
    t.rig.h.run(60);
    EXPECT_NE(node_with_text(t.ctx(), "notes.txt in the shop folder"), nullptr);
}
