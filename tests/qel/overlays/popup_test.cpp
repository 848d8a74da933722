// The popup layer driven as a user drives it: opening and closing by click, Escape and outside
// presses (which nothing beneath sees), nested popups, Up and Down over the rows, the fade that
// keeps a closing popup drawn but deaf, the size limits, the slot table's bounds, context menus
// at the pointer, begin/end stacks that stay balanced whatever callers leave open, and null
// arguments across the overlay widgets.
#include <gtest/gtest.h>

#include "qel/qel.h"
#include "support/widget_rig.h"

// A dropdown "File" of three rows with a big button "Behind" beneath and beside it, and a child
// popover "More" that the second row's button opens.
struct menu_rig {
    widget_rig rig;
    int behind_clicks = 0;
    int chosen = -1;
    bool child_open = false;

    explicit menu_rig(bool reduced_motion = true) : rig(500, 400, QEL_THEME_LIGHT, reduced_motion)
    {
        rig.h.ui = [this](qel_context* ctx) {
            board_begin(ctx);
            if (qel_dropdown_begin(ctx, "File", nullptr)) {
                if (qel_menu_item(ctx, "Open", nullptr)) chosen = 0;
                if (qel_button(ctx, "More", nullptr)) qel_popup_open(ctx, "more");
                child_open = qel_popover_begin(ctx, "more", nullptr);
                if (child_open) {
                    qel_button(ctx, "Inside", nullptr);
                    qel_popover_end(ctx);
                }
                if (qel_menu_item(ctx, "Save", nullptr)) chosen = 1;
                if (qel_menu_item(ctx, "Quit", nullptr)) chosen = 2;
                qel_dropdown_end(ctx);
            }
            qel_button_opts wide = {};
            wide.width = {QEL_SIZE_FIXED, 300};
            behind_clicks += qel_button(ctx, "Behind", &wide);
            qel_container_end(ctx);
        };
        rig.h.run(2);
    }
    qel_context* ctx() { return rig.h.ctx; }
    uint32_t popup() { return qel_id(ctx(), "File") ^ PART_DROPDOWN; }
    bool open() { return qel_popup_find(ctx(), popup(), false)->open != 0; }
    void click(uint32_t id)
    {
        qel_vec2 c = rig.centre(id);
        rig.h.click(c.x, c.y);
    }
    void click_trigger() { click(qel_id(ctx(), "File")); }
    uint32_t inner(const char* label)
    {
        qel_push_id_int(ctx(), (int32_t)popup());
        uint32_t id = qel_id(ctx(), label);
        qel_pop_id(ctx());
        return id;
    }
    qel_popup_nav* nav() { return qel_popup_nav_of(ctx(), popup()); }
};

TEST(Popup, ToggleOpensAClosedPopupAndClosesAnOpenOne)
{
    widget_rig rig;
    qel_popup_toggle(rig.h.ctx, "tip");  // no slot yet: made and opened
    EXPECT_TRUE(qel_popup_is_open(rig.h.ctx, "tip"));
    qel_popup_toggle(rig.h.ctx, "tip");
    EXPECT_FALSE(qel_popup_is_open(rig.h.ctx, "tip"));
}

TEST(Popup, TheTriggerTogglesItAndAnOutsidePressClosesItUnseenByTheItemBeneath)
{
    menu_rig m;
    m.click_trigger();
    ASSERT_TRUE(m.open());
    m.rig.h.run();
    m.click(qel_id(m.ctx(), "Behind"));
    EXPECT_FALSE(m.open());
    EXPECT_EQ(m.behind_clicks, 0) << "the press that closed the menu reached the button beneath";
    m.click(qel_id(m.ctx(), "Behind"));
    EXPECT_EQ(m.behind_clicks, 1);

    m.click_trigger();
    ASSERT_TRUE(m.open());
    m.click_trigger();
    EXPECT_FALSE(m.open()) << "a press on the anchor is left to the trigger's own toggle";
}

TEST(Popup, APressInTheFrameOfOpeningLeavesItOpen)
{
    widget_rig rig(400, 300);
    bool shown = false, open_now = false;
    rig.h.ui = [&](qel_context* ctx) {
        qel_button(ctx, "Anchor", nullptr);
        if (open_now) qel_popup_open(ctx, "tip");
        open_now = false;
        shown = qel_popover_begin(ctx, "tip", nullptr);
        if (shown) {
            qel_text_ex(ctx, "Hello", nullptr);
            qel_popover_end(ctx);
        }
    };
    rig.h.run(2);
    rig.h.move(390, 290);
    rig.h.run();
    rig.h.button(0, true);
    open_now = true;
    rig.h.run();
    EXPECT_TRUE(qel_popup_is_open(rig.h.ctx, "tip"));
    rig.h.button(0, false);
    rig.h.run();
    rig.h.button(0, true);
    rig.h.run();
    EXPECT_FALSE(qel_popup_is_open(rig.h.ctx, "tip"));
}

TEST(Popup, NestedPopupsCloseFromTheTopOneEscapeAtATime)
{
    menu_rig m;
    m.click_trigger();
    m.click(m.inner("More"));
    ASSERT_TRUE(m.open());
    ASSERT_TRUE(m.child_open);
    qel_popup_slot* child = qel_popup_find(m.ctx(), m.inner("more"), false);
    ASSERT_NE(child, nullptr);
    qel_push_id_int(m.ctx(), (int32_t)m.popup());
    qel_push_id_int(m.ctx(), (int32_t)child->id);
    uint32_t inside = qel_id(m.ctx(), "Inside");
    qel_pop_id(m.ctx());
    qel_pop_id(m.ctx());
    m.click(inside);
    EXPECT_TRUE(m.open());
    EXPECT_TRUE(child->open) << "a press inside the child keeps both";

    m.rig.h.tap(QEL_KEY_ESCAPE);
    EXPECT_FALSE(child->open);
    EXPECT_TRUE(m.open());
    m.rig.h.tap(QEL_KEY_ESCAPE);
    EXPECT_FALSE(m.open());
}

TEST(Popup, UpAndDownWrapOverTheRowsOfTheLastFrame)
{
    struct step {
        int32_t from;
        int32_t key;
        int32_t to;
    };
    const step steps[] = {{-1, QEL_KEY_DOWN, 0}, {2, QEL_KEY_DOWN, 0}, {0, QEL_KEY_UP, 2}, {-1, QEL_KEY_UP, 2}};
    for (const step& s : steps) {
        menu_rig m;
        m.click_trigger();
        m.rig.h.move(499, 399);  // away from the rows, so none takes the highlight
        m.rig.h.run();
        m.nav()->highlighted = s.from;
        m.rig.h.tap(s.key);
        EXPECT_EQ(m.nav()->highlighted, s.to) << "from " << s.from << " key " << s.key;
    }
    menu_rig m;
    m.click_trigger();
    m.rig.h.move(499, 399);
    m.rig.h.run();
    m.rig.h.tap(QEL_KEY_DOWN);
    m.rig.h.tap(QEL_KEY_DOWN);
    m.rig.h.tap(QEL_KEY_ENTER);
    EXPECT_EQ(m.chosen, 1) << "Enter chooses the highlighted row";
    EXPECT_FALSE(m.open());
}

TEST(Popup, AClosingPopupIsDrawnWithDeafContentsUntilItHasFaded)
{
    menu_rig m(false);
    m.click_trigger();
    m.rig.h.run(30);
    m.rig.h.tap(QEL_KEY_ESCAPE);
    ASSERT_FALSE(m.open());
    int fading = 0;
    bool deaf = true;
    m.rig.h.ui = [&](qel_context* ctx) {
        if (qel_dropdown_begin(ctx, "File", nullptr)) {
            fading++;
            deaf = deaf && qel_is_disabled(ctx);
            qel_dropdown_end(ctx);
        }
    };
    m.rig.h.run(60);
    EXPECT_GT(fading, 2);
    EXPECT_LT(fading, 30);
    EXPECT_TRUE(deaf);
    EXPECT_EQ(qel_popup_find(m.ctx(), m.popup(), false)->spring[0], 0.0f);
}

TEST(Popup, SizeLimitsFollowTheKindOfPopup)
{
    widget_rig rig(600, 800);
    rig.h.ui = [&](qel_context* ctx) {
        if (qel_dropdown_begin(ctx, "A", nullptr)) {
            qel_text_ex(ctx, "x", nullptr);
            qel_dropdown_end(ctx);
        }
        qel_button(ctx, "B", nullptr);
        if (qel_popover_begin(ctx, "tall", nullptr)) {
            qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, 20}, {QEL_SIZE_FIXED, 900});
            qel_popover_end(ctx);
        }
    };
    rig.h.run();
    qel_popup_set_open(rig.h.ctx, qel_id(rig.h.ctx, "A") ^ PART_DROPDOWN, true);
    qel_popup_open(rig.h.ctx, "tall");
    rig.h.run(2);
    EXPECT_GE(rig.h.rect(qel_id(rig.h.ctx, "A") ^ PART_DROPDOWN).w, 180.0f);
    EXPECT_LE(rig.h.rect(qel_id(rig.h.ctx, "tall")).h, 420.0f);
}

TEST(Popup, TheSlotTableHasBoundsAndQueriesCreateNothing)
{
    widget_rig rig;
    qel_context* ctx = rig.h.ctx;
    rig.h.run();
    EXPECT_FALSE(qel_popup_is_open(ctx, "never"));
    EXPECT_EQ(qel_popup_find(ctx, qel_id(ctx, "never"), false), nullptr);
    qel_popup_close(ctx, "never");
    ASSERT_NE(qel_popup_find(ctx, qel_id(ctx, "never"), false), nullptr);
    for (int32_t i = 0; i < 40; i++) qel_popup_set_open(ctx, 1000u + (uint32_t)i, true);
    EXPECT_EQ(qel_popup_find(ctx, 1039u, true), nullptr) << "all 32 slots are busy";
    qel_popup_open(ctx, "late");
    EXPECT_FALSE(qel_popup_is_open(ctx, "late"));
}

TEST(Popup, DeepAndUnendedPopupsLeaveNoScopeOpen)
{
    widget_rig rig;
    qel_context* ctx = rig.h.ctx;
    for (uint32_t i = 0; i < 20; i++) qel_popup_set_open(ctx, 500u + i, true);
    int32_t begun = 0;
    rig.h.ui = [&](qel_context* c) {
        begun = 0;
        for (uint32_t i = 0; i < 20; i++) begun += qel_popup_begin(c, 500u + i, 0, 0, 0, 6, 0, true);
        for (int32_t i = 0; i < 18; i++) qel_popup_end(c);
        qel_popup_end(c);
        qel_popup_end(c);
        qel_popup_end(c);  // one too many does nothing
        qel_text_ex(c, "after", nullptr);
        for (uint32_t i = 0; i < 3; i++) qel_popup_begin(c, 500u + i, 0, 0, 0, 6, 0, true);
    };
    rig.h.run(2);
    EXPECT_EQ(begun, 20);
    EXPECT_EQ(inspect_current_layer(ctx), 0u) << "frame end closed the three left open";
    EXPECT_EQ(inspect_begun_popups(ctx), 0);
    EXPECT_EQ(inspect_disabled_scopes(ctx), 0);
    const qel_node* after = node_with_text(ctx, "after");
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->parent, 0) << "text after the balanced popups lands on the root";
}

TEST(Popup, AContextMenuOpensAtThePointerOnASecondaryPress)
{
    widget_rig rig(400, 300);
    bool shown = false;
    rig.h.ui = [&](qel_context* ctx) {
        board_begin(ctx);
        qel_button(ctx, "Target", nullptr);
        shown = qel_context_menu_begin(ctx, "ctx");
        if (shown) {
            qel_menu_item(ctx, "Copy", nullptr);
            qel_context_menu_end(ctx);
        }
        qel_container_end(ctx);
    };
    rig.h.run(2);
    qel_vec2 c = rig.centre(qel_id(rig.h.ctx, "Target"));
    EXPECT_FALSE(shown);
    rig.h.click(c.x + 3, c.y + 2, 1);
    rig.h.run();
    ASSERT_TRUE(shown);
    qel_rect menu = rig.h.rect(qel_id(rig.h.ctx, "ctx") ^ PART_CONTEXT_MENU);
    EXPECT_NEAR(menu.x, c.x + 3, 0.5f);
    EXPECT_NEAR(menu.y, c.y + 2, 0.5f);
}

TEST(Overlays, NullLabelsItemsAndOutPointersAreTolerated)
{
    widget_rig rig(400, 300);
    qel_context* ctx = rig.h.ctx;
    rig.h.ui = [](qel_context* c) {
        if (qel_dropdown_begin(c, nullptr, nullptr)) {
            qel_menu_item(c, nullptr, nullptr);
            qel_menu_label(c, nullptr);
            qel_dropdown_end(c);
        }
        qel_select(c, nullptr, nullptr, 3, nullptr, nullptr);
        qel_tooltip(c, nullptr);
        qel_tooltip_for(c, 0, nullptr);
        if (qel_dialog_begin(c, nullptr, nullptr, nullptr)) qel_dialog_end(c);
        qel_date_picker(c, nullptr, nullptr, nullptr);
        qel_color_picker(c, nullptr, nullptr);
        qel_command_palette(c, nullptr, nullptr, 5);
    };
    rig.h.run(2);
    qel_popup_open(ctx, nullptr);
    qel_popup_set_open(ctx, qel_id(ctx, nullptr) ^ PART_DROPDOWN, true);
    qel_popup_set_open(ctx, qel_id(ctx, nullptr) ^ PART_SELECT, true);
    qel_popup_set_open(ctx, qel_id(ctx, nullptr) ^ PART_DATE_POPUP, true);
    qel_color_picker_open(ctx, qel_id(ctx, nullptr), 0);
    qel_toast_push(ctx, nullptr, nullptr);
    EXPECT_FALSE(qel_toast_action_clicked(ctx, 99));
    rig.h.run(3);
    EXPECT_EQ(inspect_current_layer(ctx), 0u);
}
