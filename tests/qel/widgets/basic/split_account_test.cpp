// Split buttons and account menus over scripted frames: the main part answers 0, the chevron or
// Down opens the menu whose entries answer their index + 1 once, Escape closes it; the account
// button toggles its menu once per press and fills it under a header.
#include <gtest/gtest.h>

#include <vector>

#include "qel/qel.h"
#include "support/widget_rig.h"

static const char* const ITEMS[] = {"Save as", "Export"};

struct split_scene {
    widget_rig rig;
    int32_t count;
    std::vector<int32_t> answers;  // every frame's, in order
    uint8_t account_rows = 0;
    qel_account_menu_options account = {};

    explicit split_scene(int32_t items = 2, uint32_t mode = QEL_THEME_LIGHT) : rig(480, 500, mode), count(items)
    {
        account.subtitle = "Store manager";
        rig.h.ui = [this](qel_context* ctx) {
            qel_style page = {};
            page.padding = 20;
            page.gap = 20;
            page.justify = QEL_JUSTIFY_CENTER;
            page.align = QEL_ALIGN_END;
            page.width = {QEL_SIZE_GROW, 1};
            page.height = {QEL_SIZE_GROW, 1};
            qel_column_begin(ctx, &page);
            answers.push_back(qel_split_button(ctx, "Save", ITEMS, count, nullptr));
            if (qel_account_menu(ctx, "Ada Moss", &account)) {
                account_rows++;
                qel_menu_item(ctx, "Sign out", nullptr);
                qel_account_menu_end(ctx);
            }
            qel_container_end(ctx);
        };
        rig.h.run(2);
    }
    const qel_node* group_node()
    {
        qel_context* ctx = rig.h.ctx;
        for (int32_t i = 0; i < inspect_node_count(ctx); i++)
            if (inspect_node(ctx, i)->id == (qel_id(ctx, "Save") ^ PART_SPLIT_BUTTON_GROUP)) return inspect_node(ctx, i);
        return nullptr;
    }
    qel_rect group() { return rig.h.rect(qel_id(rig.h.ctx, "Save") ^ PART_SPLIT_BUTTON_GROUP); }
    void click_main() { rig.h.click(group().x + 12, group().y + group().h / 2); }
    void click_chevron() { rig.h.click(group().x + group().w - 8, group().y + group().h / 2); }
    // The one answer given since the last call; -100 when more frames than one answered.
    int32_t answered()
    {
        int32_t found = -1, seen = 0;
        for (int32_t a : answers)
            if (a != -1) found = a, seen++;
        answers.clear();
        return seen > 1 ? -100 : found;
    }
};

TEST(SplitButton, MainPartAnswersZeroAndTheChevronOpensTheMenuBelowTheGroup)
{
    split_scene s;
    qel_context* ctx = s.rig.h.ctx;
    qel_button_style primary;
    qel_button_palette(&primary, ctx, QEL_BUTTON_PRIMARY, false);
    const qel_node* g = s.group_node();
    ASSERT_NE(g, nullptr);
    ASSERT_EQ(g->child_count, 2);
    EXPECT_EQ(inspect_node(ctx, g->first_child)->fill, primary.background) << "null options: a primary main part";
    EXPECT_EQ(inspect_node(ctx, g->last_child)->fill, primary.background) << "and a primary chevron";
    EXPECT_FLOAT_EQ(inspect_node(ctx, g->last_child)->rect.w, qel_control_height(ctx, 0) - 4);
    s.click_main();
    EXPECT_EQ(s.answered(), 0);
    EXPECT_EQ(node_with_text(ctx, "Export"), nullptr) << "the main part opens nothing";

    s.click_chevron();
    s.rig.h.run(20);
    EXPECT_EQ(s.answered(), -1) << "opening the menu is no answer";
    const qel_node* row = node_with_text(ctx, "Export");
    ASSERT_NE(row, nullptr);
    EXPECT_GE(row->rect.y, s.group().y + s.group().h) << "the menu sits below the group";

    s.click_chevron();
    s.rig.h.run(30);
    EXPECT_EQ(node_with_text(ctx, "Export"), nullptr) << "the chevron toggles it shut";
}

TEST(SplitButton, ChoosingAnEntryAnswersItsIndexPlusOneOnce)
{
    split_scene s;
    qel_context* ctx = s.rig.h.ctx;
    s.click_chevron();
    s.rig.h.run(20);
    const qel_node* row = node_with_text(ctx, "Export");
    ASSERT_NE(row, nullptr);
    s.answered();
    s.rig.h.click(row->rect.x + row->rect.w / 2, row->rect.y + row->rect.h / 2);
    s.rig.h.run(30);
    EXPECT_EQ(s.answered(), 2) << "one answer in the frame of the choice, -1 afterwards";
    EXPECT_EQ(node_with_text(ctx, "Export"), nullptr) << "choosing closes the menu";
}

TEST(SplitButton, DownOnTheFocusedChevronOpensOnceAndEscapeCloses)
{
    split_scene s;
    qel_context* ctx = s.rig.h.ctx;
    s.rig.h.tap(QEL_KEY_TAB);
    s.rig.h.tap(QEL_KEY_TAB);
    s.rig.h.tap(QEL_KEY_DOWN);
    s.rig.h.run(20);
    EXPECT_NE(node_with_text(ctx, "Save as"), nullptr) << "Down opens the menu from the chevron";
    s.rig.h.tap(QEL_KEY_DOWN);
    s.rig.h.run(20);
    EXPECT_NE(node_with_text(ctx, "Save as"), nullptr) << "Down again keeps it open";
    s.rig.h.tap(QEL_KEY_ESCAPE);
    s.rig.h.run(30);
    EXPECT_EQ(node_with_text(ctx, "Save as"), nullptr);
    EXPECT_EQ(s.answered(), -1);
}

TEST(SplitButton, NoEntriesStillOpenAnEmptyMenu)
{
    split_scene s(0);
    s.click_chevron();
    s.rig.h.run(20);
    qel_popup_slot* slot = qel_popup_find(s.rig.h.ctx, qel_id(s.rig.h.ctx, "Save") ^ PART_SPLIT_BUTTON_MENU, false);
    ASSERT_NE(slot, nullptr);
    EXPECT_TRUE(slot->open);
}

TEST(AccountMenu, ClickOpensAHeadedMenuAndKeysToggleOncePerPress)
{
    split_scene s;
    qel_context* ctx = s.rig.h.ctx;
    uint32_t trigger = qel_id(ctx, "Ada Moss") ^ PART_ACCOUNT_TRIGGER;
    EXPECT_EQ(s.account_rows, 0);
    qel_vec2 c = s.rig.centre(trigger);
    s.rig.h.click(c.x, c.y);
    s.rig.h.run(20);
    ASSERT_NE(node_with_text(ctx, "Sign out"), nullptr);
    EXPECT_NE(node_with_text(ctx, "Store manager"), nullptr);
    EXPECT_LT(node_with_text(ctx, "Sign out")->rect.y, s.rig.h.rect(trigger).y) << "it opens above";
    s.rig.h.click(c.x, c.y);
    s.rig.h.run(30);
    EXPECT_EQ(node_with_text(ctx, "Sign out"), nullptr);

    s.rig.h.tap(QEL_KEY_TAB);
    s.rig.h.tap(QEL_KEY_TAB);
    s.rig.h.tap(QEL_KEY_TAB);
    ASSERT_EQ(qel_focused_id(ctx), trigger);
    s.rig.h.tap(QEL_KEY_ENTER);
    s.rig.h.run(20);
    EXPECT_NE(node_with_text(ctx, "Sign out"), nullptr) << "Enter opens it";
    s.rig.h.key(QEL_KEY_SPACE, true);
    s.rig.h.run();
    s.rig.h.key(QEL_KEY_SPACE, false);
    s.rig.h.run(30);
    EXPECT_EQ(node_with_text(ctx, "Sign out"), nullptr) << "Space closes it";
}

TEST(AccountMenu, CompactShowsOnlyTheAvatarAndOpensBelowTheEnd)
{
    split_scene s;
    s.account.compact = 1;
    s.rig.h.run(2);
    qel_context* ctx = s.rig.h.ctx;
    uint32_t trigger = qel_id(ctx, "Ada Moss") ^ PART_ACCOUNT_TRIGGER;
    EXPECT_EQ(node_with_text(ctx, "Store manager"), nullptr);
    qel_rect t = s.rig.h.rect(trigger);
    EXPECT_FLOAT_EQ(t.w, 28 + 6 + 8);
    s.rig.h.click(t.x + t.w / 2, t.y + t.h / 2);
    s.rig.h.run(20);
    const qel_node* row = node_with_text(ctx, "Sign out");
    ASSERT_NE(row, nullptr);
    EXPECT_GT(row->rect.y, t.y + t.h) << "below";
}

class SplitAccountPictures : public ::testing::TestWithParam<uint32_t> {};

TEST_P(SplitAccountPictures, AnOpenSplitMenuOverTheAccountButton)
{
    split_scene s(2, GetParam());
    s.click_chevron();
    s.rig.h.move(10, 10);
    s.rig.h.run(30);
    EXPECT_TRUE(
        picture_matches(s.rig.shot(), themed_picture("qel/basic_", "splitaccount", GetParam()), PICTURE_TOLERANCE));
}

INSTANTIATE_TEST_SUITE_P(Themes, SplitAccountPictures, theme_modes(), theme_name);
