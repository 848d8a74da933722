// The filter bar driven over scripted frames: filters added through the menu showing "any",
// options chosen in a chip's checklist, the chip's text for one and for several, removing a chip,
// "Clear all" with filters and with a search, the limit of 32 filters and options, and a search
// buffer without room.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "qel/qel.h"
#include "support/widget_rig.h"

static const char* const COLOURS[] = {"Red", "Green", "Blue"};
static const char* const SIZES[] = {"Small", "Large"};

struct filter_rig {
    widget_rig rig;
    std::vector<qel_filter_def> filters = {{"Colour", QEL_ICON_ARROW_LEFT, COLOURS, 3}, {"Size", nullptr, SIZES, 2}};
    std::vector<uint32_t> values;
    char search[64] = "";
    int32_t capacity = 64;
    bool with_search = true;
    int changes = 0;

    filter_rig() : rig(640, 360), values(2)
    {
        rig.h.ui = [this](qel_context* ctx) {
            changes += qel_filter_bar(ctx, "filters", filters.data(), (int32_t)filters.size(), values.data(),
                                      with_search ? search : nullptr, capacity);
        };
        rig.h.run(2);
    }
    qel_context* ctx() { return rig.h.ctx; }
    uint32_t chip(int32_t i)
    {
        qel_push_id(ctx(), "filters");
        qel_push_id_int(ctx(), i);
        uint32_t id = qel_id(ctx(), "chip");
        qel_pop_id(ctx());
        qel_pop_id(ctx());
        return id;
    }
    bool shows(const char* text) { return node_with_text(ctx(), text) != nullptr; }
    // Clicks the node showing a text, then lets the bar settle.
    void click_text(const char* text)
    {
        const qel_node* n = node_with_text(ctx(), text);
        ASSERT_NE(n, nullptr) << text;
        qel_rect r = n->rect;
        rig.h.click(r.x + r.w / 2, r.y + r.h / 2);
        rig.h.run(2);
    }
    void click_id(uint32_t id)
    {
        qel_vec2 c = rig.centre(id);
        rig.h.click(c.x, c.y);
        rig.h.run(2);
    }
};

TEST(FilterBar, AFilterAddedThroughTheMenuShowsAnyAndOptionsFillIn)
{
    filter_rig f;
    EXPECT_FALSE(f.shows("is")) << "no filter is active or added";
    f.click_text("Filter");
    f.click_text("Size");
    EXPECT_TRUE(f.shows("is"));
    EXPECT_TRUE(f.shows("any"));
    EXPECT_EQ(f.changes, 0) << "adding a filter is no change";
    EXPECT_TRUE(f.shows("Filter")) << "Colour can still be added";

    f.click_id(f.chip(1));
    f.click_text("Large");
    EXPECT_EQ(f.values[1], 2u);
    EXPECT_TRUE(f.shows("Large"));
    f.click_text("Small");
    EXPECT_EQ(f.values[1], 3u);
    EXPECT_TRUE(f.shows("2 selected"));
    EXPECT_EQ(f.changes, 2);
    f.click_text("Small");  // the checklist stays open between clicks
    EXPECT_EQ(f.values[1], 2u);
}

TEST(FilterBar, RemovingAChipClearsItsValueAndClearAllClearsEverything)
{
    filter_rig f;
    f.values = {5, 1};
    f.rig.h.run();
    EXPECT_TRUE(f.shows("2 selected"));
    EXPECT_TRUE(f.shows("Small"));
    EXPECT_FALSE(f.shows("Filter")) << "nothing left to add";
    const qel_node* chip = node_with_id(f.ctx(), f.chip(0));
    ASSERT_NE(chip, nullptr);
    const qel_node* remove = inspect_node(f.ctx(), chip->last_child);
    f.rig.h.click(remove->rect.x + remove->rect.w / 2, remove->rect.y + remove->rect.h / 2);
    f.rig.h.run();
    EXPECT_EQ(f.values, (std::vector<uint32_t>{0, 1}));
    EXPECT_EQ(node_with_id(f.ctx(), f.chip(0)), nullptr);
    EXPECT_EQ(f.changes, 1);
    f.click_text("Clear all");
    EXPECT_EQ(f.values, (std::vector<uint32_t>{0, 0}));
    EXPECT_FALSE(f.shows("Clear all"));
    EXPECT_EQ(f.changes, 2);
}

TEST(FilterBar, ASearchAloneShowsClearAllWhichEmptiesIt)
{
    filter_rig f;
    f.filters.clear();
    f.values.clear();
    f.rig.h.run();
    EXPECT_FALSE(f.shows("Clear all"));
    qel_set_focus(f.ctx(), [&] {
        qel_push_id(f.ctx(), "filters");
        uint32_t id = qel_id(f.ctx(), "#search");
        qel_pop_id(f.ctx());
        return id;
    }(), true);
    f.rig.h.type("tea");
    f.rig.h.run(2);
    EXPECT_STREQ(f.search, "tea");
    EXPECT_EQ(f.changes, 1);
    f.click_text("Clear all");
    EXPECT_STREQ(f.search, "");
    EXPECT_EQ(f.changes, 2);
}

TEST(FilterBar, FiltersAndOptionsPastThe32ndAreIgnored)
{
    filter_rig f;
    std::vector<std::string> names;
    for (int i = 0; i < 34; i++) names.push_back("Filter " + std::to_string(i));
    std::vector<const char*> options(40, "Option");
    options[32] = "Past the end";
    f.filters.clear();
    for (const auto& n : names) f.filters.push_back({n.c_str(), nullptr, options.data(), 40});
    f.values.assign(34, 0);
    f.values[33] = 1;
    f.values[0] = 1u << 31;
    f.rig.h.run();
    auto options_shown = [&] {
        int32_t n = 0;
        for (int32_t i = 0; i < inspect_node_count(f.ctx()); i++) {
            const qel_node& node = *inspect_node(f.ctx(), i);
            n += (node.flags & QEL_NODE_TEXT) && node.text && strcmp(node.text, "Option") == 0;
        }
        return n;
    };
    EXPECT_FALSE(f.shows("Filter 33"));
    EXPECT_EQ(options_shown(), 1) << "the chip names option 31, its one choice";
    f.click_id(f.chip(0));
    EXPECT_TRUE(f.shows("Filter 0"));
    EXPECT_EQ(options_shown(), 1 + 32) << "the open checklist lists the first 32 options";
    EXPECT_FALSE(f.shows("Past the end"));
    f.rig.h.tap(QEL_KEY_ESCAPE);
    f.rig.h.run(2);
    f.click_text("Clear all");
    EXPECT_EQ(f.values[0], 0u);
    EXPECT_EQ(f.values[33], 1u) << "left alone";
}

TEST(FilterBar, ASearchBufferWithoutRoomShowsNoField)
{
    filter_rig f;
    f.capacity = 0;
    f.search[0] = 'x';
    f.rig.h.run(2);
    EXPECT_FALSE(f.shows("Search"));
    EXPECT_FALSE(f.shows("Clear all"));
    EXPECT_EQ(f.changes, 0);
}
