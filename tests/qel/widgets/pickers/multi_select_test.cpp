// The multi-select driven over scripted frames: chips and the badge of the rest, removing a chip,
// rows toggled by click and by keys, Select all and Clear, the search that folds ASCII letters,
// Space typed into the search box staying text, and an empty list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qel/icons.h"
#include "qel/multi_select.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

static const char* const FRUIT[] = {"Apple", "Banana", "Grape", "Cherry##c", "Lemon", "Melon", "Blood orange"};

struct multi_rig {
    widget_rig rig;
    std::vector<uint8_t> flags;
    int32_t count = 7;
    int changes = 0;
    qel_multi_select_options opts = {};

    explicit multi_rig(std::vector<uint8_t> start = std::vector<uint8_t>(7, 0), bool searchable = false)
        : rig(520, 480), flags(std::move(start))
    {
        opts.searchable = searchable;
        rig.h.ui = [this](qel_context* ctx) {
            board_begin(ctx);
            changes += qel_multi_select(ctx, "fruit", FRUIT, count, flags.data(), &opts);
            qel_container_end(ctx);
        };
        rig.h.run(2);
    }
    uint32_t field() { return qel_id(rig.h.ctx, "fruit"); }
    uint32_t popup() { return field() ^ PART_MULTI_SELECT_POPUP; }
    uint32_t row(int32_t i)
    {
        qel_push_id_int(rig.h.ctx, (int32_t)popup());
        qel_push_id_int(rig.h.ctx, i);
        uint32_t id = qel_id(rig.h.ctx, FRUIT[i]);
        qel_pop_id(rig.h.ctx);
        qel_pop_id(rig.h.ctx);
        return id;
    }
    uint32_t in_popup(const char* name)
    {
        qel_push_id_int(rig.h.ctx, (int32_t)popup());
        uint32_t id = qel_id(rig.h.ctx, name);
        qel_pop_id(rig.h.ctx);
        return id;
    }
    bool open() { return qel_popup_find(rig.h.ctx, popup(), false) && qel_popup_find(rig.h.ctx, popup(), false)->open; }
    void click(uint32_t id)
    {
        rig.h.click(rig.centre(id).x, rig.centre(id).y);
        rig.h.run();
    }
    void open_popup()
    {
        click(field());
        rig.h.run(2);
    }
};

TEST(MultiSelect, ChipsShowTheChoiceUpToTheLimitAndRemovingOneKeepsThePopupClosed)
{
    multi_rig m({1, 1, 0, 1, 1, 1, 0});
    EXPECT_NE(node_with_text(m.rig.h.ctx, "Apple"), nullptr);
    EXPECT_NE(node_with_text(m.rig.h.ctx, "Cherry"), nullptr);
    EXPECT_EQ(node_with_text(m.rig.h.ctx, "Lemon"), nullptr);
    EXPECT_NE(node_with_text(m.rig.h.ctx, "+2"), nullptr);
    qel_push_id(m.rig.h.ctx, "fruit");
    qel_push_id_int(m.rig.h.ctx, 1);
    uint32_t remove = qel_id(m.rig.h.ctx, QEL_ICON_X);
    qel_pop_id(m.rig.h.ctx);
    qel_pop_id(m.rig.h.ctx);
    EXPECT_FLOAT_EQ(m.rig.h.rect(remove).w, 18);
    m.click(remove);
    EXPECT_EQ(m.flags, (std::vector<uint8_t>{1, 0, 0, 1, 1, 1, 0}));
    EXPECT_EQ(m.changes, 1);
    EXPECT_FALSE(m.open());
    m.rig.h.run();
    EXPECT_NE(node_with_text(m.rig.h.ctx, "Lemon"), nullptr);
    EXPECT_NE(node_with_text(m.rig.h.ctx, "+1"), nullptr);
}

TEST(MultiSelect, RowsToggleByClickAndKeysAndTheHeaderChoosesAllOrNone)
{
    multi_rig m;
    m.open_popup();
    ASSERT_TRUE(m.open());
    EXPECT_NE(node_with_text(m.rig.h.ctx, "None selected"), nullptr);
    m.click(m.row(2));
    EXPECT_EQ(m.flags[2], 1);
    EXPECT_TRUE(m.open()) << "the popup stays open for more";
    EXPECT_NE(node_with_text(m.rig.h.ctx, "1 selected"), nullptr);
    m.rig.h.tap(QEL_KEY_DOWN);  // the row under the pointer was highlighted; Down moves on
    m.rig.h.run();
    m.rig.h.tap(QEL_KEY_ENTER);
    m.rig.h.run();
    EXPECT_EQ(m.flags[3], 1);
    m.rig.h.tap(QEL_KEY_SPACE);
    m.rig.h.run();
    EXPECT_EQ(m.flags[3], 0);
    m.click(m.in_popup("Select all##ms"));
    EXPECT_EQ(m.flags, std::vector<uint8_t>(7, 1));
    m.rig.h.run();
    m.click(m.in_popup("Clear##ms"));
    EXPECT_EQ(m.flags, std::vector<uint8_t>(7, 0));
}

TEST(MultiSelect, SearchFoldsAsciiLettersAndSpaceInItIsText)
{
    multi_rig m(std::vector<uint8_t>(7, 0), true);
    m.open_popup();
    uint32_t search = m.in_popup("#q");
    ASSERT_EQ(qel_focused_id(m.rig.h.ctx), search);
    m.rig.h.type("ap");
    m.rig.h.run(2);
    EXPECT_GT(m.rig.h.rect(m.row(0)).h, 0);
    EXPECT_GT(m.rig.h.rect(m.row(2)).h, 0);
    EXPECT_EQ(node_with_id(m.rig.h.ctx, m.row(1)), nullptr) << "Banana holds no \"ap\"";
    EXPECT_EQ(node_with_id(m.rig.h.ctx, m.row(6)), nullptr);

    multi_rig spaced(std::vector<uint8_t>(7, 0), true);
    spaced.open_popup();
    spaced.rig.h.type("blood");  // "Blood orange" only
    spaced.rig.h.run(2);
    ASSERT_NE(node_with_id(spaced.rig.h.ctx, spaced.row(6)), nullptr);
    spaced.rig.h.move(spaced.rig.centre(spaced.row(6)).x, spaced.rig.centre(spaced.row(6)).y);
    spaced.rig.h.run();
    spaced.rig.h.key(QEL_KEY_SPACE, true);
    spaced.rig.h.type(" ");
    spaced.rig.h.run();
    spaced.rig.h.key(QEL_KEY_SPACE, false);
    spaced.rig.h.run();
    EXPECT_EQ(spaced.flags[6], 0) << "Space typed into the search box toggles nothing";
    EXPECT_NE(node_with_id(spaced.rig.h.ctx, spaced.row(6)), nullptr) << "\"blood \" still lists it";
    spaced.rig.h.type("x");
    spaced.rig.h.run(2);
    EXPECT_NE(node_with_text(spaced.rig.h.ctx, "No results"), nullptr);

    multi_rig upper(std::vector<uint8_t>(7, 0), true);
    upper.open_popup();
    upper.rig.h.type("APP");
    upper.rig.h.run(2);
    EXPECT_NE(node_with_id(upper.rig.h.ctx, upper.row(0)), nullptr);
    EXPECT_EQ(node_with_id(upper.rig.h.ctx, upper.row(2)), nullptr);
}

TEST(MultiSelect, AnEmptyListCountsAsAllChosen)
{
    multi_rig m;
    m.count = 0;
    m.rig.h.run();
    EXPECT_NE(node_with_text(m.rig.h.ctx, "Select"), nullptr);
    m.open_popup();
    EXPECT_NE(node_with_text(m.rig.h.ctx, "None selected"), nullptr);
    EXPECT_NE(node_with_text(m.rig.h.ctx, "Clear"), nullptr);
    EXPECT_NE(node_with_text(m.rig.h.ctx, "No results"), nullptr);
    m.click(m.in_popup("Clear##ms"));
    EXPECT_EQ(m.changes, 0);
}
