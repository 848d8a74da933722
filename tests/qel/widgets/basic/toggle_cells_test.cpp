// Toggle cells, the theme controls and counter chips over scripted frames: cells flipped alone or
// as a single choice, keyboard moves between cells; segments and the toggle that set the mode;
// chips that count their clicks and roll their counts.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "qel/icons.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

static uint32_t indexed_id(uint32_t base, int32_t i)
{
    return qel_hash_bytes(&i, sizeof i, base);
}

// Toggle cells "levels" over count flags.
struct cells_rig {
    widget_rig rig{600, 100, QEL_THEME_LIGHT, false};
    std::vector<uint8_t> flags;
    const char* texts[40] = {};
    qel_toggle_cells_opts opts = {};
    int32_t count;
    int clicks = 0;
    uint32_t id = 0;

    explicit cells_rig(int32_t n, std::vector<uint8_t> start) : flags(std::move(start)), count(n)
    {
        for (auto& t : texts) t = "Info";
        rig.h.ui = [this](qel_context* ctx) { clicks += qel_code_input(ctx, "levels", texts, count, flags.data(), &opts); };
        rig.h.run();
        id = qel_id(rig.h.ctx, "levels");
    }
    uint32_t cell(int32_t i) const { return indexed_id(id, i); }
    void click(int32_t i)
    {
        qel_vec2 c = rig.centre(cell(i));
        rig.h.click(c.x, c.y);
    }
};

TEST(ToggleCells, FlipAloneOrChooseOne)
{
    cells_rig filters(3, {1, 0, 1});
    filters.click(1);
    filters.click(1);
    EXPECT_EQ(filters.clicks, 2);
    EXPECT_EQ(filters.flags, (std::vector<uint8_t>{1, 0, 1})) << "two clicks restore the flag";
    filters.click(0);
    EXPECT_EQ(filters.flags, (std::vector<uint8_t>{0, 0, 1}));

    cells_rig choice(3, {0, 1, 0});
    choice.opts.single = 1;
    choice.click(1);
    EXPECT_EQ(choice.clicks, 1) << "clicking the one on still reports";
    EXPECT_EQ(choice.flags, (std::vector<uint8_t>{0, 1, 0}));
    choice.click(2);
    EXPECT_EQ(choice.flags, (std::vector<uint8_t>{0, 0, 1}));
}

TEST(ToggleCells, AppearInTheirFinalColoursAndCapAt32)
{
    std::vector<uint8_t> flags(40, 0);
    flags[0] = 1;
    flags[35] = 7;
    cells_rig r(40, flags);
    qel_context* ctx = r.rig.h.ctx;
    EXPECT_EQ(node_with_id(ctx, r.cell(0))->fill, qel_theme_color(ctx, QEL_COLOR_ACTIVE)) << "no fade in";
    EXPECT_NE(node_with_id(ctx, r.cell(31)), nullptr);
    EXPECT_EQ(node_with_id(ctx, r.cell(32)), nullptr);
    r.opts.single = 1;
    r.click(3);
    EXPECT_EQ(r.flags[35], 7) << "flags past 32 are never touched";
    EXPECT_EQ(r.flags[3], 1);
    EXPECT_EQ(r.flags[0], 0);
}

TEST(ToggleCells, ArrowsMoveTheFocusWithinTheRow)
{
    cells_rig r(3, {0, 0, 0});
    r.rig.h.tap(QEL_KEY_TAB);
    r.rig.h.run();
    ASSERT_EQ(qel_focused_id(r.rig.h.ctx), r.cell(0));
    const struct {
        int32_t key, cell;
    } moves[] = {{QEL_KEY_LEFT, 0}, {QEL_KEY_RIGHT, 1}, {QEL_KEY_RIGHT, 2}, {QEL_KEY_RIGHT, 2}, {QEL_KEY_LEFT, 1}};
    for (const auto& m : moves) {
        r.rig.h.tap(m.key);
        r.rig.h.run();
        EXPECT_EQ(qel_focused_id(r.rig.h.ctx), r.cell(m.cell));
    }
    r.rig.h.tap(QEL_KEY_SPACE);
    r.rig.h.run();
    EXPECT_EQ(r.flags[1], 1);
}

TEST(ToggleCells, IconOnlyCellsDropTheirText)
{
    cells_rig r(2, {0, 0});
    const char* icons[] = {QEL_ICON_ARROW_LEFT, nullptr};
    r.opts.icons = icons;
    r.opts.icon_only = 1;
    r.texts[1] = "Plain";
    r.rig.h.run();
    EXPECT_FLOAT_EQ(r.rig.h.rect(r.cell(0)).w, r.rig.h.rect(r.cell(0)).h) << "a square";
    EXPECT_GT(r.rig.h.rect(r.cell(1)).w, r.rig.h.rect(r.cell(1)).h) << "no icon: the text stays";
    EXPECT_EQ(node_with_text(r.rig.h.ctx, "Info"), nullptr);
    r.rig.move_to(r.cell(0));
    r.rig.h.run(60);
    EXPECT_NE(node_with_text(r.rig.h.ctx, "Info"), nullptr) << "its text is its tooltip";
    r.count = 0;
    r.rig.h.run();
    EXPECT_EQ(node_with_id(r.rig.h.ctx, r.id), nullptr);
}

TEST(ThemeControls, TheSwitcherSetsLightOrDarkAndLeavesSystemToTheCaller)
{
    widget_rig rig(300, 80);
    uint32_t choice = 2;
    bool system = false, picked = false;
    rig.h.ui = [&](qel_context* ctx) { picked = qel_theme_switcher(ctx, &choice, system); };
    rig.h.run();
    EXPECT_EQ(choice, 0u) << "system is not offered: the current mode";
    uint32_t control = qel_id(rig.h.ctx, "##theme-switcher");
    rig.h.click(rig.centre(indexed_id(control, 1)).x, rig.centre(indexed_id(control, 1)).y);
    EXPECT_TRUE(picked);
    EXPECT_EQ(qel_theme_get_mode(rig.h.ctx), (uint32_t)QEL_THEME_DARK);
    system = true;
    rig.h.run(2);
    rig.h.click(rig.centre(indexed_id(control, 2)).x, rig.centre(indexed_id(control, 2)).y);
    EXPECT_TRUE(picked);
    EXPECT_EQ(choice, 2u);
    EXPECT_EQ(qel_theme_get_mode(rig.h.ctx), (uint32_t)QEL_THEME_DARK) << "system changes no mode";
}

TEST(ThemeControls, TheToggleFlipsTheMode)
{
    widget_rig rig(300, 80, QEL_THEME_DARK);
    int clicks = 0;
    rig.h.ui = [&](qel_context* ctx) { clicks += qel_theme_toggle(ctx); };
    rig.h.run();
    qel_push_id(rig.h.ctx, "##theme-toggle");
    uint32_t to_light = qel_hash_str(QEL_ICON_SUN, qel_id(rig.h.ctx, "Switch to light"));
    qel_pop_id(rig.h.ctx);
    ASSERT_NE(node_with_text(rig.h.ctx, QEL_ICON_SUN), nullptr) << "the sun in dark mode";
    rig.h.click(rig.centre(to_light).x, rig.centre(to_light).y);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(qel_theme_get_mode(rig.h.ctx), (uint32_t)QEL_THEME_LIGHT);
    rig.h.run();
    EXPECT_NE(node_with_text(rig.h.ctx, QEL_ICON_MOON), nullptr);
}

// Counter chips "reactions" over two items.
struct chips_rig {
    widget_rig rig{400, 100, QEL_THEME_LIGHT, false};
    qel_counter_item items[2] = {{QEL_ICON_ARROW_LEFT, 0, 0}, {QEL_ICON_ARROW_RIGHT, 4, 1}};
    std::vector<int32_t> results;
    uint32_t id = 0;

    chips_rig()
    {
        rig.h.ui = [this](qel_context* ctx) { results.push_back(qel_counter_chips(ctx, "reactions", items, 2)); };
        rig.h.run();
        id = qel_id(rig.h.ctx, "reactions");
    }
    void click(int32_t i)
    {
        results.clear();
        qel_vec2 c = rig.centre(indexed_id(id, i));
        rig.h.click(c.x, c.y);
    }
    const qel_node* count(const char* text) { return node_with_text(rig.h.ctx, text); }
};

TEST(CounterChips, CountClicksAndNeverGoBelowZero)
{
    chips_rig c;
    c.click(0);
    EXPECT_EQ(c.results, (std::vector<int32_t>{-1, -1, 0}));
    EXPECT_EQ(c.items[0].count, 1);
    EXPECT_EQ(c.items[0].on, 1);
    c.click(1);
    EXPECT_EQ(c.items[1].count, 3);
    EXPECT_EQ(c.items[1].on, 0);
    c.items[0] = {QEL_ICON_ARROW_LEFT, 0, 1};
    c.click(0);
    EXPECT_EQ(c.items[0].count, 0) << "a chip at 0 switched off stays at 0";
    c.items[1] = {QEL_ICON_ARROW_RIGHT, INT32_MAX, 0};
    c.click(1);
    EXPECT_EQ(c.items[1].count, INT32_MAX) << "the largest count does not wrap";
}

TEST(CounterChips, CountsRollInTheirDirection)
{
    chips_rig c;
    c.click(0);  // 0 -> 1
    const qel_node* old = c.count("0");
    const qel_node* now = c.count("1");
    ASSERT_NE(old, nullptr);
    ASSERT_NE(now, nullptr);
    EXPECT_LT(old->translate_y, 0) << "the old count leaves upward";
    EXPECT_GT(now->translate_y, 0) << "the new one comes from below";
    EXPECT_GT(node_with_text(c.rig.h.ctx, QEL_ICON_ARROW_LEFT)->scale, 1.0f) << "the icon pops";
    c.rig.h.run(60);
    EXPECT_EQ(c.count("0"), nullptr);
    c.items[1].count = 2;  // by the caller: rolls down, no pop
    c.rig.h.run();
    EXPECT_GT(c.count("4")->translate_y, 0);
    EXPECT_LT(c.count("2")->translate_y, 0);
    EXPECT_FLOAT_EQ(node_with_text(c.rig.h.ctx, QEL_ICON_ARROW_RIGHT)->scale, 1.0f);
}
