// Segmented controls, tab strips and chips driven over scripted frames: choosing by click and by
// the arrow keys, the clamp of the chosen index, the selection that springs with its leading edge
// first and then lets the window idle, padding that tightens only while room is short, a chosen
// tab scrolled into view, and chips that toggle only while enabled.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "qel/qel.h"
#include "support/widget_rig.h"

static uint32_t item_of(qel_context* ctx, const char* label, int32_t index)
{
    return qel_hash_bytes(&index, sizeof index, qel_id(ctx, label));
}

// One segmented control "zoom" over labels, counting the frames that reported a change.
struct segmented_rig {
    widget_rig rig;
    std::vector<const char*> labels;
    int32_t selected = 0;
    int changes = 0;
    qel_segmented_opts opts = {};

    explicit segmented_rig(bool reduced_motion = true, std::vector<const char*> items = {"Fit", "1:1", "2x"})
        : rig(400, 120, QEL_THEME_LIGHT, reduced_motion), labels(std::move(items))
    {
        rig.h.ui = [this](qel_context* ctx) {
            changes += qel_segmented(ctx, "zoom", labels.data(), (int32_t)labels.size(), &selected, &opts);
        };
        rig.h.run(2);
    }
    uint32_t item(int32_t i) { return item_of(rig.h.ctx, "zoom", i); }
    qel_rect selection() { return node_with_draw(rig.h.ctx, qel_segmented_draw)->rect; }
};

TEST(Segmented, AClickChoosesAnItemAndReportsItOnce)
{
    segmented_rig s;
    qel_vec2 c = s.rig.centre(s.item(2));
    s.rig.h.click(c.x, c.y);
    EXPECT_EQ(s.selected, 2);
    EXPECT_EQ(s.changes, 1);
    s.rig.h.run(3);
    EXPECT_EQ(s.changes, 1);
    EXPECT_EQ(qel_last_item_id(s.rig.h.ctx), qel_id(s.rig.h.ctx, "zoom"));
    qel_rect item = s.rig.h.rect(s.item(2)), slab = s.selection();
    EXPECT_FLOAT_EQ(slab.x, item.x);
    EXPECT_FLOAT_EQ(slab.w, item.w);
}

TEST(Segmented, ArrowKeysMoveFocusAndChoiceWithoutWrapping)
{
    segmented_rig s;
    s.rig.h.tap(QEL_KEY_RIGHT);
    s.rig.h.run();
    EXPECT_EQ(s.selected, 0) << "no item has the focus yet";
    s.rig.h.tap(QEL_KEY_TAB);
    s.rig.h.run();
    ASSERT_EQ(qel_focused_id(s.rig.h.ctx), s.item(0));
    EXPECT_EQ(node_with_id(s.rig.h.ctx, s.item(0))->draw, qel_focus_ring_full_draw);
    const struct {
        int32_t key;
        int32_t expected;
    } steps[] = {{QEL_KEY_LEFT, 0}, {QEL_KEY_RIGHT, 1}, {QEL_KEY_RIGHT, 2}, {QEL_KEY_RIGHT, 2}, {QEL_KEY_LEFT, 1}};
    int expected_changes = 0;
    int32_t last = 0;
    for (const auto& step : steps) {
        s.rig.h.tap(step.key);
        s.rig.h.run();
        expected_changes += step.expected != last;
        last = step.expected;
        EXPECT_EQ(s.selected, step.expected);
        EXPECT_EQ(qel_focused_id(s.rig.h.ctx), s.item(step.expected)) << "the focus goes along";
        EXPECT_EQ(node_with_id(s.rig.h.ctx, s.item(step.expected))->draw, qel_focus_ring_full_draw);
    }
    EXPECT_EQ(s.changes, expected_changes);
}

TEST(Segmented, TheChoiceIsClampedIntoTheShownItems)
{
    std::vector<const char*> forty(40, "x");
    const struct {
        int32_t count, start, expected;
        bool changed;
    } cases[] = {{3, -3, 0, true}, {3, 7, 2, true}, {3, 1, 1, false}, {40, 35, 31, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " items from " << c.start);
        widget_rig rig;
        int32_t selected = c.start;
        bool changed = false;
        rig.h.ui = [&](qel_context* ctx) { changed = qel_segmented(ctx, "s", forty.data(), c.count, &selected, nullptr); };
        rig.h.run();
        EXPECT_EQ(selected, c.expected);
        EXPECT_EQ(changed, c.changed);
        rig.h.run();
        EXPECT_FALSE(changed);
        EXPECT_NE(node_with_id(rig.h.ctx, item_of(rig.h.ctx, "s", c.expected)), nullptr);
        EXPECT_EQ(node_with_id(rig.h.ctx, item_of(rig.h.ctx, "s", 32)), nullptr) << "at most 32 items";
    }
    widget_rig rig;
    int32_t selected = 5;
    rig.h.ui = [&](qel_context* ctx) { EXPECT_FALSE(qel_segmented(ctx, "s", forty.data(), 0, &selected, nullptr)); };
    rig.h.run(2);
    EXPECT_EQ(node_with_id(rig.h.ctx, qel_id(rig.h.ctx, "s")), nullptr);
    EXPECT_EQ(selected, 5);
}

TEST(Segmented, TheSelectionStretchesTowardsItsTargetAndThenRests)
{
    segmented_rig s(false, {"One", "Two", "A longer third"});
    qel_rect from = s.selection(), to = s.rig.h.rect(s.item(2));
    EXPECT_EQ(from.x, s.rig.h.rect(s.item(0)).x) << "the first frame jumps into place";
    EXPECT_EQ(from.w, s.rig.h.rect(s.item(0)).w);
    s.selected = 2;
    s.rig.h.run(4);
    qel_rect mid = s.selection();
    float left_share = (mid.x - from.x) / (to.x - from.x);
    float right_share = (mid.x + mid.w - (from.x + from.w)) / (to.x + to.w - (from.x + from.w));
    EXPECT_GT(right_share, left_share) << "the leading edge runs ahead";
    EXPECT_GT(mid.w, from.w);
    s.rig.h.run(90);
    EXPECT_NEAR(s.selection().x, to.x, 0.01f);
    EXPECT_NEAR(s.selection().w, to.w, 0.01f);
    EXPECT_FALSE(inspect_redraw_requested(s.rig.h.ctx)) << "an idle control asks for no frames";
}

TEST(Segmented, PaddingTightensWhileRoomIsShortAndComesBack)
{
    float room = 600;
    widget_rig rig(700, 100);
    const char* labels[] = {"From a spreadsheet", "One typed label", "A template"};
    int32_t selected = 0;
    rig.h.ui = [&](qel_context* ctx) {
        qel_style box = {};
        box.width = {QEL_SIZE_FIXED, room};
        qel_row_begin(ctx, &box);
        qel_segmented(ctx, "source", labels, 3, &selected, nullptr);
        qel_container_end(ctx);
    };
    auto pad = [&] { return node_with_id(rig.h.ctx, item_of(rig.h.ctx, "source", 1))->pad_left; };
    rig.h.run(3);
    EXPECT_EQ(pad(), 14);
    room = 300;
    rig.h.run(3);
    EXPECT_EQ(pad(), 8);
    EXPECT_LE(rig.h.rect(qel_id(rig.h.ctx, "source")).w, 300);
    room = 600;
    rig.h.run(3);
    EXPECT_EQ(pad(), 14) << "the full padding returns once there is room";
}

// A strip of eight tabs in a 240-unit column.
struct strip_rig {
    widget_rig rig{300, 120};
    std::vector<const char*> labels = {"General", "Printing", "Fonts", "Advanced", "Network", "Queues", "About", "Help"};
    int32_t selected;
    int changes = 0;
    qel_tab_strip_opts opts = {};

    explicit strip_rig(int32_t first = 0) : selected(first)
    {
        rig.h.ui = [this](qel_context* ctx) {
            qel_style box = {};
            box.width = {QEL_SIZE_FIXED, 240};
            qel_column_begin(ctx, &box);
            changes += qel_tab_strip(ctx, "tabs", labels.data(), (int32_t)labels.size(), &selected, &opts);
            qel_container_end(ctx);
        };
        rig.h.run(3);
    }
    qel_rect tab(int32_t i) { return rig.h.rect(item_of(rig.h.ctx, "tabs", i)); }
    qel_rect view() { return rig.h.rect(qel_id(rig.h.ctx, "tabs") ^ PART_TAB_STRIP); }
};

TEST(TabStrip, AChosenTabCutOffByTheStripIsScrolledIntoView)
{
    strip_rig s;
    ASSERT_GT(s.tab(6).x + s.tab(6).w, s.view().x + s.view().w) << "the tab starts out of view";
    s.selected = 6;
    s.rig.h.run(3);
    EXPECT_NEAR(s.tab(6).x + s.tab(6).w + 24, s.view().x + s.view().w, 0.6f) << "24 units to spare";
    float scrolled = s.tab(0).x;
    s.selected = 5;  // in view already: nothing moves
    s.rig.h.run(3);
    EXPECT_EQ(s.tab(0).x, scrolled);
    s.selected = 0;
    s.rig.h.run(3);
    EXPECT_FLOAT_EQ(s.tab(0).x, s.view().x) << "cut on the left: back to the start";

    qel_vec2 c = s.rig.centre(item_of(s.rig.h.ctx, "tabs", 1));
    s.rig.h.click(c.x, c.y);
    EXPECT_EQ(s.selected, 1);
    EXPECT_EQ(s.changes, 1);
}

TEST(TabStrip, ATabChosenFromTheStartIsShown)
{
    strip_rig s(6);
    EXPECT_NEAR(s.tab(6).x + s.tab(6).w + 24, s.view().x + s.view().w, 0.6f);
}

TEST(TabStrip, VariantsDrawTheirOwnMarks)
{
    strip_rig underline;
    const qel_node* strip = node_with_id(underline.rig.h.ctx, qel_id(underline.rig.h.ctx, "tabs") ^ PART_TAB_STRIP);
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->draw, qel_tab_strip_draw) << "a baseline under underline tabs";
    EXPECT_FALSE(strip->flags & QEL_NODE_SCROLL_Y);
    qel_rect bar = node_with_draw(underline.rig.h.ctx, qel_segmented_draw)->rect, tab = underline.tab(0);
    EXPECT_FLOAT_EQ(bar.x, tab.x + 10);
    EXPECT_FLOAT_EQ(bar.w, tab.w - 20);
    EXPECT_FLOAT_EQ(bar.y + bar.h, tab.y + tab.h);

    strip_rig pills;
    pills.opts.variant = QEL_TABS_PILLS;
    pills.opts.full_width = 1;
    pills.rig.h.run(3);
    EXPECT_EQ(node_with_id(pills.rig.h.ctx, qel_id(pills.rig.h.ctx, "tabs") ^ PART_TAB_STRIP), nullptr)
        << "full-width pills share the width instead of scrolling";
    EXPECT_NEAR(pills.rig.h.rect(qel_id(pills.rig.h.ctx, "tabs")).w, 240, 0.01f);
}

TEST(ToggleChip, AClickFlipsTheValueOnlyWhileEnabled)
{
    const struct {
        const char* name;
        bool has_value;
        uint8_t disabled;
        bool scope;
        int clicks;
        bool value;
    } cases[] = {
        {"enabled", true, 0, false, 1, true},
        {"without a value", false, 0, false, 1, false},
        {"disabled", true, 1, false, 0, false},
        {"in a disabled scope", true, 0, true, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        widget_rig rig;
        bool value = false;
        int clicks = 0;
        rig.h.ui = [&](qel_context* ctx) {
            qel_chip_opts o = {};
            o.disabled = c.disabled;
            qel_push_disabled(ctx, c.scope);
            clicks += qel_toggle_chip(ctx, "Barcode", c.has_value ? &value : nullptr, &o);
            qel_pop_disabled(ctx);
        };
        rig.h.run(2);
        qel_vec2 p = rig.centre(qel_id(rig.h.ctx, "Barcode") ^ PART_CHIP);
        rig.h.click(p.x, p.y);
        rig.h.run();
        EXPECT_EQ(clicks, c.clicks);
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(node_with_text(rig.h.ctx, QEL_ICON_CHECK) != nullptr, c.value) << "the check mark shows only while on";
    }
}

TEST(ToggleGroup, EachClickFlipsItsOwnFlagAndItemsOnShowRaised)
{
    widget_rig rig(400, 120);
    const char* labels[] = {"Trace", "Debug", "Info"};
    bool flags[3] = {true, false, true};
    int flips = 0;
    rig.h.ui = [&](qel_context* ctx) { flips += qel_toggle_group(ctx, "levels", labels, 3, flags, nullptr); };
    rig.h.run(2);
    rig.click_on(item_of(rig.h.ctx, "levels", 1));
    rig.click_on(item_of(rig.h.ctx, "levels", 0));
    EXPECT_EQ(flips, 2);
    EXPECT_FALSE(flags[0]);
    EXPECT_TRUE(flags[1]);
    EXPECT_TRUE(flags[2]) << "a click leaves the other items alone";
    EXPECT_EQ(qel_last_item_id(rig.h.ctx), qel_id(rig.h.ctx, "levels"));
    qel_color off = node_with_id(rig.h.ctx, item_of(rig.h.ctx, "levels", 0))->fill;
    qel_color on = node_with_id(rig.h.ctx, item_of(rig.h.ctx, "levels", 1))->fill;
    EXPECT_EQ(off >> 24, 0u);
    EXPECT_EQ(on, qel_theme_color(rig.h.ctx, QEL_COLOR_ELEVATED));
}
