// Toolbars driven over scripted frames: nothing overflows in the first frame, items move into
// the "More tools" popup as the bar narrows (and every item after the first that does not fit),
// a choice there clicks its item once in the next frame, overflow separators only stand between
// items, and at most 64 entries are listed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qel/icons.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

struct toolbar_rig {
    widget_rig rig;
    std::vector<std::string> labels = {"Open", "Save", "|", "Print", "|", "Bold"};
    std::vector<int> clicks = std::vector<int>(6, 0);
    uint8_t bold = 0;
    int overflow_items = 0;

    explicit toolbar_rig(float width) : rig(width, 240)
    {
        rig.h.ui = [this](qel_context* ctx) {
            qel_toolbar_begin(ctx, "tools", nullptr);
            for (size_t i = 0; i < labels.size(); i++) {
                if (labels[i] == "|") {
                    qel_toolbar_separator(ctx);
                    continue;
                }
                qel_toolbar_item_opts o = {};
                o.label = labels[i].c_str();
                if (labels[i] == "Bold") o.toggle = &bold;
                clicks[i] += qel_toolbar_button(ctx, QEL_ICON_ARROW_LEFT, &o);
            }
            qel_menubar_spacer(ctx);
            qel_toolbar_end(ctx);
        };
    }
    qel_context* ctx() { return rig.h.ctx; }
    uint32_t more()
    {
        qel_push_id(ctx(), "tools");
        uint32_t id = qel_hash_str(QEL_ICON_ELLIPSIS, qel_id(ctx(), "More tools"));
        qel_pop_id(ctx());
        return id;
    }
    bool in_bar(const char* label) { return node_with_text(ctx(), label) != nullptr; }
    void resize(float width)
    {
        qel_ctx_set_display(ctx(), width, 240, 1);
        rig.h.run(2);
    }
    void open_more()
    {
        qel_vec2 c = rig.centre(more());
        rig.h.click(c.x, c.y);
        rig.h.run(2);
    }
};

TEST(Toolbar, ItemsMoveToTheOverflowMenuAsTheBarNarrows)
{
    toolbar_rig t(600);
    t.rig.h.run();
    EXPECT_TRUE(t.in_bar("Bold"));
    t.rig.h.run();
    EXPECT_FALSE(qel_id_seen(t.ctx(), t.more())) << "everything fits";
    t.resize(260);
    EXPECT_TRUE(t.in_bar("Open"));
    EXPECT_FALSE(t.in_bar("Bold"));
    ASSERT_TRUE(qel_id_seen(t.ctx(), t.more()));
    qel_rect bar = t.rig.h.rect(qel_id(t.ctx(), "tools")), more = t.rig.h.rect(t.more());
    EXPECT_LE(more.x + more.w, bar.x + bar.w) << "the overflow button fits";
    t.open_more();
    EXPECT_TRUE(t.in_bar("Bold")) << "listed in the popup";

    // An item that does not fit takes all later ones with it, even short ones.
    toolbar_rig later(600);
    later.labels = {"Open", "A rather long label", "X"};
    later.rig.h.run(2);
    later.resize(220);
    EXPECT_TRUE(later.in_bar("Open"));
    EXPECT_FALSE(later.in_bar("X"));
}

TEST(Toolbar, AChoiceInTheOverflowMenuClicksItsItemOnce)
{
    toolbar_rig t(600);
    t.rig.h.run(2);
    t.resize(200);
    t.open_more();
    const qel_node* bold = node_with_text(t.ctx(), "Bold");
    ASSERT_NE(bold, nullptr);
    t.rig.h.click(bold->rect.x + 4, bold->rect.y + bold->rect.h / 2);
    t.rig.h.run(3);
    EXPECT_EQ(t.clicks[5], 1);
    EXPECT_EQ(t.bold, 1) << "the toggle flips";
    for (size_t i = 0; i < 5; i++) EXPECT_EQ(t.clicks[i], 0);
}

TEST(Toolbar, OverflowSeparatorsOnlyStandBetweenItems)
{
    toolbar_rig t(600);
    t.labels = {"Open", "|", "Save", "|", "|", "Print", "Bold", "|"};
    t.clicks.assign(8, 0);
    t.rig.h.run(2);
    t.resize(120);  // only "Open" fits: the first overflow entry is a separator
    t.open_more();
    const qel_node* save = node_with_text(t.ctx(), "Save");
    const qel_node* print = node_with_text(t.ctx(), "Print");
    ASSERT_NE(save, nullptr);
    ASSERT_NE(print, nullptr);
    // Between the rows of Save and Print lies one separator; none before Save or after Bold.
    const qel_node* save_row = inspect_node(t.ctx(), save->parent);
    const qel_node* panel = inspect_node(t.ctx(), save_row->parent);
    EXPECT_FALSE(t.in_bar("Open") && node_with_text(t.ctx(), "Open")->rect.y > save->rect.y) << "Open stays in the bar";
    int separators = 0, rows = 0;
    bool last_was_separator = false;
    for (int32_t c = panel->first_child; c >= 0; c = inspect_node(t.ctx(), c)->next_sibling) {
        bool row = inspect_node(t.ctx(), c)->id != 0;
        EXPECT_FALSE(!row && last_was_separator) << "a run of separators collapses";
        last_was_separator = !row;
        rows += row;
        separators += !row;
    }
    EXPECT_EQ(rows, 3);
    EXPECT_EQ(separators, 1);
    EXPECT_NE(inspect_node(t.ctx(), panel->first_child)->id, 0u) << "no separator first";
    EXPECT_NE(inspect_node(t.ctx(), panel->last_child)->id, 0u) << "no separator last";
}

TEST(Toolbar, AtMost64EntriesAreListed)
{
    toolbar_rig t(600);
    t.labels.clear();
    for (int i = 0; i < 70; i++) t.labels.push_back("T" + std::to_string(i));
    t.clicks.assign(70, 0);
    t.rig.h.run(2);
    t.resize(120);
    t.open_more();
    EXPECT_EQ(t.in_bar("T69"), false);
    int listed = 0;
    for (int i = 0; i < 70; i++) listed += t.in_bar(("T" + std::to_string(i)).c_str());
    EXPECT_LE(listed, 64 + 2);
    EXPECT_GE(listed, 64);
}
