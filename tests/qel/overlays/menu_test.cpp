// Menu rows and the select driven as a user drives them: disabled rows that never fire, the
// highlight shared by the keys and a pointer that only takes it back when it moves, and the
// select's placeholder, choice, search with its empty result, and its keyboard opening.
#include <gtest/gtest.h>

#include <cstring>

#include "qel/qel.h"
#include "support/widget_rig.h"

static uint32_t scoped_id(qel_context* ctx, uint32_t scope, const char* label)
{
    qel_push_id_int(ctx, (int32_t)scope);
    uint32_t id = qel_id(ctx, label);
    qel_pop_id(ctx);
    return id;
}

TEST(MenuItem, ADisabledRowNeverFiresAndThePointerTakesTheHighlightOnlyWhenItMoves)
{
    widget_rig rig(400, 300);
    int fired = 0;
    rig.h.ui = [&](qel_context* ctx) {
        if (qel_dropdown_begin(ctx, "Edit", nullptr)) {
            qel_menu_item_options off = {};
            off.disabled = 1;
            fired += qel_menu_item(ctx, "Cut", &off);
            qel_menu_item(ctx, "Copy", nullptr);
            qel_menu_item(ctx, "Paste", nullptr);
            qel_dropdown_end(ctx);
        }
    };
    rig.h.run(2);
    qel_context* ctx = rig.h.ctx;
    uint32_t popup = qel_id(ctx, "Edit") ^ PART_DROPDOWN;
    qel_popup_set_open(ctx, popup, true);
    rig.h.run(2);
    qel_popup_nav* nav = qel_popup_nav_of(ctx, popup);
    qel_vec2 last = rig.centre(scoped_id(ctx, popup, "Paste"));
    rig.h.move(last.x, last.y);
    rig.h.run(2);
    EXPECT_EQ(nav->highlighted, 2);
    rig.h.tap(QEL_KEY_DOWN);
    EXPECT_EQ(nav->highlighted, 0);
    rig.h.run();
    rig.h.tap(QEL_KEY_DOWN);
    rig.h.run();
    EXPECT_EQ(nav->highlighted, 1) << "the resting pointer does not take the highlight back";
    rig.h.move(last.x + 1, last.y);
    rig.h.run();
    EXPECT_EQ(nav->highlighted, 2);

    nav->highlighted = 0;
    nav->moved_by_keyboard = 1;
    rig.h.tap(QEL_KEY_ENTER);
    rig.h.run();
    EXPECT_EQ(fired, 0);
    EXPECT_TRUE(qel_popup_find(ctx, popup, false)->open);
    qel_vec2 cut = rig.centre(scoped_id(ctx, popup, "Cut"));
    rig.h.click(cut.x, cut.y);
    EXPECT_EQ(fired, 0);
}

// One select "Printer" over four items, counting the frames that reported a change.
struct select_rig {
    widget_rig rig;
    const char* items[4] = {"Zebra", "Brother", "Dymo", "Citizen"};
    int32_t selected = -1;
    int changes = 0;
    qel_select_options opts = {};

    select_rig() : rig(400, 400)
    {
        opts.searchable = 1;
        rig.h.ui = [this](qel_context* ctx) {
            board_begin(ctx);
            changes += qel_select(ctx, "Printer", items, 4, &selected, &opts);
            qel_container_end(ctx);
        };
        rig.h.run(2);
    }
    qel_context* ctx() { return rig.h.ctx; }
    uint32_t id() { return qel_id(ctx(), "Printer"); }
    uint32_t popup() { return id() ^ PART_SELECT; }
    bool open() { return qel_popup_find(ctx(), popup(), false)->open != 0; }
    void click_trigger()
    {
        qel_vec2 c = rig.centre(id());
        rig.h.click(c.x, c.y);
    }
    uint32_t row(int32_t index, const char* text)
    {
        qel_push_id_int(ctx(), (int32_t)popup());
        qel_push_id_int(ctx(), index);
        uint32_t r = qel_id(ctx(), text);
        qel_pop_id(ctx());
        qel_pop_id(ctx());
        return r;
    }
};

TEST(Select, ShowsThePlaceholderAndChoosesByClick)
{
    select_rig s;
    const qel_node* placeholder = node_with_text(s.ctx(), "Select");
    ASSERT_NE(placeholder, nullptr);
    EXPECT_EQ(placeholder->text_color, qel_color_resolve(s.ctx(), qel_color_token(QEL_COLOR_TEXT_MUTED)));
    s.click_trigger();
    ASSERT_TRUE(s.open());
    s.rig.h.run();
    qel_vec2 dymo = s.rig.centre(s.row(2, "Dymo"));
    s.rig.h.click(dymo.x, dymo.y);
    EXPECT_EQ(s.selected, 2);
    EXPECT_EQ(s.changes, 1);
    EXPECT_FALSE(s.open());

    s.click_trigger();
    s.rig.h.run();
    dymo = s.rig.centre(s.row(2, "Dymo"));
    s.rig.h.click(dymo.x, dymo.y);
    EXPECT_FALSE(s.open()) << "choosing the chosen row closes the popup";
    EXPECT_EQ(s.changes, 1) << "and reports no change";
}

TEST(Select, SearchFiltersTheRowsAndAnEmptyResultLeavesNothingToNavigate)
{
    select_rig s;
    s.click_trigger();
    s.rig.h.run();
    s.rig.h.type("O");
    s.rig.h.run(2);
    EXPECT_NE(node_with_text(s.ctx(), "Brother"), nullptr);
    EXPECT_NE(node_with_text(s.ctx(), "Dymo"), nullptr);
    EXPECT_EQ(node_with_text(s.ctx(), "Zebra"), nullptr);
    EXPECT_EQ(node_with_text(s.ctx(), "Citizen"), nullptr);
    s.rig.h.tap(QEL_KEY_DOWN);
    s.rig.h.tap(QEL_KEY_ENTER);
    s.rig.h.run();
    EXPECT_EQ(s.selected, 1) << "Down highlights the first shown row";

    s.click_trigger();
    s.rig.h.run();
    EXPECT_EQ(node_with_text(s.ctx(), "O"), nullptr) << "opening empties the search";
    s.rig.h.type("xyz");
    s.rig.h.run(2);
    EXPECT_NE(node_with_text(s.ctx(), "No results"), nullptr);
    qel_popup_nav* nav = qel_popup_nav_of(s.ctx(), s.popup());
    s.rig.h.tap(QEL_KEY_DOWN);
    s.rig.h.tap(QEL_KEY_UP);
    s.rig.h.run();
    EXPECT_EQ(nav->last_rows, 0);
    EXPECT_EQ(nav->highlighted, -1);
}

TEST(Select, TheKeyboardOpensItAndEnterLeavesItOpen)
{
    select_rig s;
    s.opts.searchable = 0;
    qel_set_focus(s.ctx(), s.id(), true);
    s.rig.h.tap(QEL_KEY_DOWN);
    s.rig.h.run();
    ASSERT_TRUE(s.open());
    EXPECT_EQ(qel_popup_nav_of(s.ctx(), s.popup())->highlighted, -1);
    s.rig.h.tap(QEL_KEY_DOWN);
    s.rig.h.tap(QEL_KEY_ENTER);
    s.rig.h.run();
    EXPECT_EQ(s.selected, 0) << "Enter chose the highlighted row";
    EXPECT_FALSE(s.open());

    qel_set_focus(s.ctx(), s.id(), true);
    s.rig.h.tap(QEL_KEY_UP);
    s.rig.h.run();
    ASSERT_TRUE(s.open());
    EXPECT_EQ(qel_popup_nav_of(s.ctx(), s.popup())->highlighted, -1) << "Up opens with nothing highlighted";
    qel_set_focus(s.ctx(), s.id(), true);
    s.rig.h.tap(QEL_KEY_SPACE);
    s.rig.h.run();
    EXPECT_TRUE(s.open()) << "Space on the focused trigger leaves it open";
}
