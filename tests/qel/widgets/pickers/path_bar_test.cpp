// The path bar over scripted frames: picking segments, entering edit mode by click and Ctrl+L,
// typed paths on Enter, Escape giving the focus back, the ellipsis menu of a narrow bar, the
// separator popups, read-only bars, and pictures in light and dark.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qel/icons.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

static const char HOME_ICON[] = QEL_ICON_HOUSE;

struct path_rig {
    widget_rig rig;
    std::vector<const char*> segments = {"home", "ann", "labels"};
    qel_path_bar_options o = {};
    qel_path_bar_result last = {};
    std::vector<int32_t> clicks;
    std::string typed;
    int32_t popup_segment = -1;
    bool with_other_field = false;
    char other[32] = "";

    explicit path_rig(float width = 480) : rig(width, 200)
    {
        rig.h.ui = [this](qel_context* ctx) {
            board_begin(ctx);
            if (with_other_field) qel_input_text(ctx, "other", other, sizeof other, nullptr);
            last = qel_path_bar(ctx, "path", segments.data(), (int32_t)segments.size(), &o);
            if (last.clicked >= 0) clicks.push_back(last.clicked);
            if (last.typed_path) typed = last.typed_path;
            popup_segment = -1;
            if (qel_path_bar_popup_begin(ctx, "path", &popup_segment)) {
                qel_menu_item(ctx, "sibling", nullptr);
                qel_path_bar_popup_end(ctx);
            }
            qel_container_end(ctx);
        };
        rig.h.run(3);
    }
    qel_context* ctx() { return rig.h.ctx; }
    uint32_t scoped(const char* name, int32_t index)
    {
        qel_push_id(ctx(), "path");
        if (index >= 0) qel_push_id_int(ctx(), index);
        uint32_t id = qel_id(ctx(), name);
        if (index >= 0) qel_pop_id(ctx());
        qel_pop_id(ctx());
        return id;
    }
    void click_id(uint32_t id)
    {
        ASSERT_NE(node_with_id(ctx(), id), nullptr);
        qel_vec2 c = rig.centre(id);
        rig.h.click(c.x, c.y);
        rig.h.run(2);
    }
    void click_text(const char* text)
    {
        const qel_node* n = node_with_text(ctx(), text);
        ASSERT_NE(n, nullptr) << text;
        rig.h.click(n->rect.x + n->rect.w / 2, n->rect.y + n->rect.h / 2);
        rig.h.run(2);
    }
    bool editing() { return last.editing; }
};

TEST(PathBar, SegmentsReportTheirIndexAndTheLastOneEntersEditMode)
{
    path_rig p;
    p.click_id(p.scoped("seg", 1));
    p.click_id(p.scoped("seg", 0));
    EXPECT_EQ(p.clicks, (std::vector<int32_t>{1, 0}));
    EXPECT_FALSE(p.editing());

    p.click_id(p.scoped("seg", 2));
    EXPECT_EQ(p.clicks.size(), 2u) << "the last segment never reports an index";
    ASSERT_TRUE(p.editing());
    EXPECT_EQ(qel_focused_id(p.ctx()), qel_id(p.ctx(), "path") ^ PART_TEXT_AREA) << "the field takes the focus";
    p.rig.h.tap(QEL_KEY_END);
    p.rig.h.type("/old");
    p.rig.h.tap(QEL_KEY_ENTER);
    p.rig.h.run(1);
    EXPECT_EQ(p.typed, "home/ann/labels/old") << "the segments joined by '/' plus what was typed";
    EXPECT_FALSE(p.editing());
    EXPECT_NE(node_with_text(p.ctx(), "labels"), nullptr) << "the segments show again";
}

TEST(PathBar, CtrlLStartsWithTheFullPathAndEscapeGivesTheFocusBack)
{
    path_rig p;
    p.with_other_field = true;
    p.o.full_path = "/home/ann/labels";
    p.rig.h.run(2);
    p.click_id(qel_id(p.ctx(), "other"));
    uint32_t other = qel_focused_id(p.ctx());
    p.rig.h.tap(QEL_KEY_A + ('L' - 'A'), QEL_MOD_CTRL);
    p.rig.h.run(2);
    EXPECT_FALSE(p.editing()) << "Ctrl+L belongs to the active text field";

    qel_set_focus(p.ctx(), 0, false);
    p.rig.h.run(3);
    p.rig.h.tap(QEL_KEY_A + ('L' - 'A'), QEL_MOD_CTRL);
    p.rig.h.run(2);
    ASSERT_TRUE(p.editing());
    qel_set_focus(p.ctx(), 0, false);
    p.rig.h.run(2);
    EXPECT_FALSE(p.editing()) << "losing the focus leaves edit mode";
    EXPECT_TRUE(p.typed.empty());

    p.click_id(other);
    p.click_id(p.scoped("seg", 2));
    ASSERT_TRUE(p.editing());
    p.rig.h.type("x");
    p.rig.h.tap(QEL_KEY_ESCAPE);
    p.rig.h.run(1);
    EXPECT_FALSE(p.editing());
    EXPECT_TRUE(p.typed.empty()) << "Escape reports nothing";
    EXPECT_EQ(qel_focused_id(p.ctx()), p.scoped("seg", 2)) << "the focus goes back to the pill that was clicked";
}

TEST(PathBar, ANarrowBarHidesTheMiddleBehindTheEllipsisMenu)
{
    path_rig p(260);
    p.segments = {"home", "ann", "documents", "spreadsheets", "labels"};
    p.rig.h.run(3);
    uint32_t more = p.scoped("more", -1);
    ASSERT_NE(node_with_id(p.ctx(), more), nullptr);
    EXPECT_NE(node_with_text(p.ctx(), "labels"), nullptr) << "the last segment always shows";
    EXPECT_EQ(node_with_text(p.ctx(), "ann"), nullptr);
    p.click_id(more);
    ASSERT_NE(node_with_text(p.ctx(), "ann"), nullptr) << "the menu lists the hidden segments";
    p.click_text("ann");
    EXPECT_EQ(p.clicks, (std::vector<int32_t>{1}));

    p.segments = {"a-rather-long-folder-name", "another-long-folder-name"};
    p.rig.h.run(3);
    EXPECT_EQ(node_with_text(p.ctx(), "a-rather-long-folder-name"), nullptr);
    p.click_id(more);
    p.click_text("a-rather-long-folder-name");
    EXPECT_EQ(p.clicks, (std::vector<int32_t>{1, 0}));
}

TEST(PathBar, SeparatorButtonsOpenThePopupOfTheSegmentBeforeThem)
{
    path_rig p;
    p.o.separator_menus = 1;
    p.rig.h.run(2);
    p.click_id(p.scoped("sep", 1));
    EXPECT_EQ(p.popup_segment, 1);
    EXPECT_NE(node_with_text(p.ctx(), "sibling"), nullptr);
    p.click_id(p.scoped("sep", 0));
    EXPECT_EQ(p.popup_segment, -1) << "the press outside the popup only closes it";
    p.click_id(p.scoped("sep", 0));
    EXPECT_EQ(p.popup_segment, 0) << "another separator moves the popup";
    p.click_id(p.scoped("sep", 0));
    p.rig.h.run(10);
    EXPECT_EQ(p.popup_segment, -1) << "clicking the open one closes it";
    EXPECT_TRUE(p.clicks.empty());
}

TEST(PathBar, ReadOnlyAndEmptyBars)
{
    path_rig p;
    p.o.read_only = 1;
    p.rig.h.run(2);
    p.click_id(p.scoped("seg", 2));
    p.click_id(qel_id(p.ctx(), "path"));
    p.rig.h.tap(QEL_KEY_A + ('L' - 'A'), QEL_MOD_CTRL);
    p.rig.h.run(2);
    EXPECT_FALSE(p.editing()) << "a read-only bar never edits";

    p.o.read_only = 0;
    p.segments.clear();
    p.rig.h.run(2);
    p.click_id(qel_id(p.ctx(), "path"));
    EXPECT_TRUE(p.editing()) << "an empty bar still enters edit mode on a click";
}

class PathBarPictures : public ::testing::TestWithParam<uint32_t> {};

TEST_P(PathBarPictures, SegmentsCollapsedAndEditing)
{
    widget_rig rig(420, 170, GetParam());
    const char* long_path[] = {"/", "home", "ann", "documents", "shop", "labels"};
    const char* short_path[] = {"C:", "Users", "ann"};
    char text[64] = "/home/ann/labels";
    rig.h.ui = [&](qel_context* ctx) {
        board_begin(ctx);
        qel_path_bar_options a = {};
        a.icon = HOME_ICON;
        a.separator_menus = 1;
        qel_path_bar(ctx, "short", short_path, 3, &a);
        qel_path_bar_options b = {};
        b.width = {QEL_SIZE_FIXED, 300};
        qel_path_bar(ctx, "long", long_path, 6, &b);
        qel_path_bar_options c = {};
        c.full_path = text;
        c.size = 1;
        qel_path_bar(ctx, "typed", long_path, 6, &c);
        qel_container_end(ctx);
    };
    rig.h.run(3);
    qel_vec2 c = rig.centre(qel_id(rig.h.ctx, "typed"));
    rig.h.click(c.x + 170, c.y);
    rig.h.run(3);
    EXPECT_TRUE(picture_matches(rig.shot(), themed_picture("qel/path_bar_", "bars", GetParam()), PICTURE_TOLERANCE));
}

INSTANTIATE_TEST_SUITE_P(Themes, PathBarPictures, theme_modes(), theme_name);
