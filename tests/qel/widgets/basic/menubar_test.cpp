// The menu bar driven over scripted frames: titles that open and close their menus by click,
// hover switching while a menu is open, keyboard mode entered by a lone Alt tap or F10 with the
// focus given back on leaving, Alt mnemonics and their underlines, arrow travel that skips
// disabled menus, Escape inside a menu, the 16-menu limit, and a bar that ignores keys while a
// popup lies above it.
#include <gtest/gtest.h>

#include "qel/qel.h"
#include "support/widget_rig.h"

struct menubar_rig {
    widget_rig rig;
    int menus = 3;
    bool edit_disabled = false;
    bool file_built = false, edit_built = false, view_built = false;
    int opened_chosen = 0;
    bool seventeenth = true;
    bool popover = false;

    menubar_rig() : rig(500, 300)
    {
        rig.h.ui = [this](qel_context* ctx) {
            qel_menubar_begin(ctx, "bar", nullptr);
            file_built = qel_menubar_menu(ctx, "File", nullptr);
            if (file_built) {
                if (qel_menu_item(ctx, "Open", nullptr)) opened_chosen++;
                qel_menu_item(ctx, "Save", nullptr);
            }
            qel_menubar_menu_end(ctx);
            qel_menu_opts edit = {};
            edit.disabled = edit_disabled;
            edit_built = qel_menubar_menu(ctx, "Edit", &edit);
            if (edit_built) qel_menu_item(ctx, "Copy", nullptr);
            qel_menubar_menu_end(ctx);
            view_built = qel_menubar_menu(ctx, "View", nullptr);
            if (view_built) qel_menu_item(ctx, "Zoom", nullptr);
            qel_menubar_menu_end(ctx);
            for (int i = 3; i < menus; i++) {
                qel_push_id_int(ctx, i);
                bool built = qel_menubar_menu(ctx, "More", nullptr);
                if (i == 16) seventeenth = built;
                qel_menubar_menu_end(ctx);
                qel_pop_id(ctx);
            }
            qel_menubar_end(ctx);
            qel_button(ctx, "Focused", nullptr);
            if (popover) {
                qel_popup_open(ctx, "above");
                if (qel_popover_begin(ctx, "above", nullptr)) {
                    qel_text_ex(ctx, "Popover", nullptr);
                    qel_popover_end(ctx);
                }
            }
        };
        rig.h.run(2);
    }
    qel_context* ctx() { return rig.h.ctx; }
    qel_menubar_state* state() { return (qel_menubar_state*)qel_state_get(ctx(), qel_id(ctx(), "bar"), sizeof(qel_menubar_state)); }
    uint32_t title(const char* label)
    {
        qel_push_id(ctx(), "bar");
        uint32_t id = qel_id(ctx(), label);
        qel_pop_id(ctx());
        return id;
    }
    void click(uint32_t id)
    {
        qel_vec2 c = rig.centre(id);
        rig.h.click(c.x, c.y);
    }
    void alt_tap()
    {
        rig.h.key(QEL_KEY_NONE, true, QEL_MOD_ALT);
        rig.h.run();
        rig.h.key(QEL_KEY_NONE, false, 0);
        rig.h.run();
    }
};

TEST(MenuBar, TitlesOpenAndCloseTheirMenusAndRowsAreChosen)
{
    menubar_rig m;
    m.click(m.title("File"));
    EXPECT_TRUE(m.file_built);
    EXPECT_EQ(m.state()->open, 0);
    EXPECT_EQ(node_with_id(m.ctx(), m.title("File"))->fill, qel_theme_color(m.ctx(), QEL_COLOR_ACTIVE));
    m.rig.h.run(2);
    // Hovering another title switches the open menu.
    m.rig.move_to(m.title("View"));
    m.rig.h.run(2);
    EXPECT_EQ(m.state()->open, 2);
    EXPECT_TRUE(m.view_built);
    // Pressing the open menu's title closes it.
    m.click(m.title("View"));
    EXPECT_EQ(m.state()->open, -1);
    m.click(m.title("File"));
    m.rig.h.run(2);
    const qel_node* open_row = node_with_text(m.ctx(), "Open");
    ASSERT_NE(open_row, nullptr);
    qel_vec2 c = {open_row->rect.x + open_row->rect.w / 2, open_row->rect.y + open_row->rect.h / 2};
    m.rig.h.click(c.x, c.y);
    EXPECT_EQ(m.opened_chosen, 1);
    m.rig.h.run();
    EXPECT_EQ(m.state()->open, -1);
    EXPECT_FALSE(qel_popup_find(m.ctx(), m.title("File") ^ PART_MENUBAR_POPUP, false)->open);
}

TEST(MenuBar, ALoneAltTapEntersKeyboardModeAndGivesTheFocusBack)
{
    menubar_rig m;
    uint32_t button = qel_id(m.ctx(), "Focused");
    qel_set_focus(m.ctx(), button, true);
    m.alt_tap();
    EXPECT_TRUE(m.state()->keyboard);
    EXPECT_EQ(m.state()->highlighted, 0);
    EXPECT_EQ(qel_focused_id(m.ctx()), 0u);
    m.rig.h.run();
    const qel_node* file = node_with_text(m.ctx(), "File");
    EXPECT_EQ(file->draw, qel_menubar_title_draw) << "mnemonics are underlined in keyboard mode";
    m.alt_tap();
    EXPECT_FALSE(m.state()->keyboard);
    EXPECT_EQ(qel_focused_id(m.ctx()), button);
    // F10 toggles as well; Escape leaves.
    m.rig.h.tap(QEL_KEY_F1 + 9);
    EXPECT_TRUE(m.state()->keyboard);
    m.rig.h.tap(QEL_KEY_ESCAPE);
    EXPECT_FALSE(m.state()->keyboard);
}

TEST(MenuBar, AltThenAClickDoesNotToggle)
{
    menubar_rig m;
    m.rig.h.key(QEL_KEY_NONE, true, QEL_MOD_ALT);
    m.rig.h.run();
    m.rig.h.button(0, true);
    m.rig.h.run();
    m.rig.h.button(0, false);
    m.rig.h.run();
    m.rig.h.key(QEL_KEY_NONE, false, 0);
    m.rig.h.run();
    EXPECT_FALSE(m.state()->keyboard);
}

TEST(MenuBar, MnemonicsOpenMenusWithTheirFirstRowHighlighted)
{
    menubar_rig m;
    m.rig.h.key(QEL_KEY_NONE, true, QEL_MOD_ALT);
    m.rig.h.run();
    EXPECT_EQ(node_with_text(m.ctx(), "View")->draw, qel_menubar_title_draw) << "underlined while Alt is held";
    m.rig.h.tap(QEL_KEY_A + ('V' - 'A'), QEL_MOD_ALT);
    m.rig.h.key(QEL_KEY_NONE, false, 0);
    m.rig.h.run();
    EXPECT_EQ(m.state()->open, 2);
    EXPECT_TRUE(m.state()->keyboard);
    EXPECT_EQ(qel_popup_nav_of(m.ctx(), m.title("View") ^ PART_MENUBAR_POPUP)->highlighted, 0);
    m.rig.h.tap(QEL_KEY_LEFT);
    EXPECT_EQ(m.state()->open, 1) << "Left opens the menu before";
    m.rig.h.tap(QEL_KEY_ESCAPE);
    EXPECT_EQ(m.state()->open, -1);
    EXPECT_TRUE(m.state()->keyboard) << "Escape in a menu stays in keyboard mode";
    EXPECT_EQ(m.state()->highlighted, 1);
    // A disabled menu is skipped by arrows and mnemonics, and faded.
    m.edit_disabled = true;
    m.rig.h.run();
    m.rig.h.tap(QEL_KEY_HOME);
    m.rig.h.tap(QEL_KEY_RIGHT);
    EXPECT_EQ(m.state()->highlighted, 2);
    EXPECT_EQ(node_with_id(m.ctx(), m.title("Edit"))->opacity, 0.45f);
    m.rig.h.tap(QEL_KEY_A + ('E' - 'A'));
    EXPECT_EQ(m.state()->open, -1);
    m.rig.h.tap(QEL_KEY_A + ('F' - 'A'));
    EXPECT_EQ(m.state()->open, 0) << "in keyboard mode a bare letter opens its menu";
}

TEST(MenuBar, ASeventeenthMenuIsNotBuilt)
{
    menubar_rig m;
    m.menus = 17;
    m.rig.h.run(2);
    EXPECT_FALSE(m.seventeenth);
    EXPECT_EQ(m.state()->last_count, 16);
}

TEST(MenuBar, KeysDoNotReachTheBarUnderAPopup)
{
    menubar_rig m;
    m.popover = true;
    m.rig.h.run(2);
    m.alt_tap();
    EXPECT_FALSE(m.state()->keyboard);
    m.rig.h.tap(QEL_KEY_F1 + 9);
    EXPECT_FALSE(m.state()->keyboard);
}

TEST(MenuBar, ALabelWithoutLettersHasNoMnemonic)
{
    widget_rig rig;
    qel_menubar_state* s = nullptr;
    rig.h.ui = [&](qel_context* ctx) {
        s = (qel_menubar_state*)qel_state_get(ctx, qel_id(ctx, "bar"), sizeof(qel_menubar_state));
        qel_menubar_begin(ctx, "bar", nullptr);
        qel_menubar_menu(ctx, "? #", nullptr);
        qel_menubar_menu_end(ctx);
        qel_menubar_menu(ctx, "--Tools", nullptr);
        qel_menubar_menu_end(ctx);
        qel_menubar_end(ctx);
    };
    rig.h.run(2);
    EXPECT_EQ(s->mnemonic[0], 0);
    EXPECT_EQ(s->mnemonic[1], 'T');
}
