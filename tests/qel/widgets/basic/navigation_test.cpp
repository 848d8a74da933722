// Navigation lists, breadcrumbs, pagination and steps driven over scripted frames: the shared
// highlight following the selected item, which page numbers show for the
// width and the current page, clicks on pages and on the previous and next buttons, pages out of
// range, crumbs that report their index while the last one stays plain text, and steps that mark
// what is done and drop labels when narrow.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qel/icons.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

static const char ELLIPSIS[] = QEL_ICON_ELLIPSIS;

struct pagination_rig {
    widget_rig rig;
    int32_t page;
    int32_t count;
    int32_t changes = 0;

    pagination_rig(float width, int32_t count_, int32_t page_) : rig(width, 120), page(page_), count(count_)
    {
        rig.h.ui = [this](qel_context* ctx) { changes += qel_pagination(ctx, "pages", &page, count); };
    }
    qel_context* ctx() { return rig.h.ctx; }

    // The entries shown, page numbers and ellipses, in order.
    std::string shown()
    {
        std::string out;
        for (int32_t i = 0; i < inspect_node_count(ctx()); i++) {
            const qel_node& n = *inspect_node(ctx(), i);
            if (!(n.flags & QEL_NODE_TEXT) || !n.text) continue;
            std::string text(n.text, n.text_length >= 0 ? (size_t)n.text_length : strlen(n.text));
            if (text == ELLIPSIS) text = "...";
            else if (text.empty() || (text[0] != '.' && (text[0] < '0' || text[0] > '9'))) continue;
            out += (out.empty() ? "" : " ") + text;
        }
        return out;
    }
    uint32_t scoped(const char* label)
    {
        qel_push_id(ctx(), "pages");
        uint32_t id = qel_id(ctx(), label);
        qel_pop_id(ctx());
        return id;
    }
    // The buttons take their id from the tooltip and the glyph.
    uint32_t previous() { return qel_hash_str(QEL_ICON_CHEVRON_LEFT, scoped("Previous page")); }
    uint32_t next() { return qel_hash_str(QEL_ICON_CHEVRON_RIGHT, scoped("Next page")); }
    uint32_t page_id(int32_t index)
    {
        return qel_hash_bytes(&index, sizeof index, scoped("#page"));
    }
    void click(uint32_t id)
    {
        qel_vec2 c = rig.centre(id);
        rig.h.click(c.x, c.y);
        rig.h.run();
    }
};

TEST(Pagination, ShowsThePagesThatFitTheWidth)
{
    struct example {
        float width;
        int32_t count, page;
        const char* shown;
    };
    const example examples[] = {
        {800, 7, 3, "1 2 3 4 5 6 7"},
        {800, 20, 10, "1 ... 10 11 12 ... 20"},
        {800, 20, 0, "1 2 3 4 ... 20"},
        {800, 20, 18, "1 ... 17 18 19 20"},
        {300, 20, 0, "1 ... 20"},
        {300, 20, 1, "1 2 ... 20"},
        {300, 20, 10, "1 ... 11 ... 20"},
        {300, 20, 19, "1 ... 20"},
        {800, 0, 0, "1"},
    };
    for (const example& e : examples) {
        pagination_rig p(e.width, e.count, e.page);
        p.rig.h.run();
        EXPECT_EQ(p.shown(), e.shown) << e.count << " pages at index " << e.page << ", width " << e.width;
        EXPECT_EQ(p.changes, 0);
    }
}

// A narrow column of a wide window folds the pages as a narrow window does, whether the column
// was opened with a name or without one.
TEST(Pagination, TheEnclosingColumnDecidesTheWidth)
{
    for (const char* name : {(const char*)nullptr, "side"}) {
        pagination_rig p(800, 20, 1);
        p.rig.h.ui = [&p, name](qel_context* ctx) {
            qel_style s = {};
            s.name = name;
            s.width = {QEL_SIZE_FIXED, 280};
            s.padding_x = 8;
            qel_column_begin(ctx, &s);
            p.changes += qel_pagination(ctx, "pages", &p.page, p.count);
            qel_container_end(ctx);
        };
        p.rig.h.run(2);
        EXPECT_EQ(p.shown(), "1 2 ... 20") << (name ? name : "anonymous");
    }
}

TEST(Pagination, PagesAndButtonsMoveThePage)
{
    pagination_rig p(800, 20, 0);
    p.rig.h.run(2);
    p.click(p.page_id(2));
    EXPECT_EQ(p.page, 2);
    EXPECT_EQ(p.changes, 1);
    EXPECT_NE(node_with_text(p.ctx(), "3"), nullptr);
    EXPECT_TRUE(node_with_text(p.ctx(), "3")->flags & QEL_NODE_TABULAR);
    p.click(p.next());
    EXPECT_EQ(p.page, 3);
    p.click(p.previous());
    p.click(p.previous());
    EXPECT_EQ(p.page, 1);
    EXPECT_EQ(p.changes, 4);
    // The keyboard reaches the pages too: the clicked previous button has the focus, and Tab
    // moves on to the first page.
    p.rig.h.tap(QEL_KEY_TAB);
    p.rig.h.tap(QEL_KEY_ENTER);
    p.rig.h.run();
    EXPECT_EQ(p.page, 0);
}

TEST(Pagination, TheEndsDisableTheirButton)
{
    pagination_rig first(800, 5, 0);
    first.rig.h.run(2);
    ASSERT_GT(first.rig.h.rect(first.previous()).w, 0);
    first.click(first.previous());
    EXPECT_EQ(first.page, 0);
    EXPECT_EQ(first.changes, 0);

    pagination_rig last(800, 5, 4);
    last.rig.h.run(2);
    ASSERT_GT(last.rig.h.rect(last.next()).w, 0);
    last.click(last.next());
    EXPECT_EQ(last.page, 4);
    EXPECT_EQ(last.changes, 0);
}

TEST(Pagination, PagesOutOfRangeAreClampedAsAChange)
{
    const int32_t cases[][3] = {{20, 25, 19}, {20, -3, 0}, {0, 5, 0}, {-4, 1, 0}};
    for (const auto& c : cases) {
        pagination_rig p(800, c[0], c[1]);
        p.rig.h.run();
        EXPECT_EQ(p.page, c[2]) << c[0] << " pages from " << c[1];
        EXPECT_EQ(p.changes, 1);
        p.rig.h.run();
        EXPECT_EQ(p.changes, 1) << "a clamped page is reported once";
    }
    int32_t unused = 0;
    pagination_rig p(800, 3, 0);
    p.rig.h.ui = [&unused](qel_context* ctx) { unused += qel_pagination(ctx, "pages", nullptr, 3); };
    p.rig.h.run();
    EXPECT_EQ(unused, 0);
}

struct crumbs_rig {
    widget_rig rig{600, 100};
    std::vector<const char*> labels{"Shop", "Shelves", "Price labels"};
    std::vector<int32_t> results;

    crumbs_rig()
    {
        rig.h.ui = [this](qel_context* ctx) {
            results.push_back(qel_breadcrumbs(ctx, labels.data(), (int32_t)labels.size()));
        };
    }
    qel_context* ctx() { return rig.h.ctx; }
};

TEST(Breadcrumbs, ClickingACrumbReturnsItsIndex)
{
    crumbs_rig b;
    b.rig.h.run(2);
    uint32_t shelves = qel_id(b.ctx(), "Shelves");
    qel_vec2 c = b.rig.centre(shelves);
    b.rig.h.click(c.x, c.y);
    EXPECT_EQ(b.results.back(), 1);
    b.results.clear();
    // The last crumb is where the user is: plain text, no chevron after it, no click.
    const qel_node* last = node_with_text(b.ctx(), "Price labels");
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->id, 0u);
    b.rig.h.click(last->rect.x + 2, last->rect.y + last->rect.h / 2);
    b.rig.h.run();
    for (int32_t r : b.results) EXPECT_EQ(r, -1);
}

TEST(Breadcrumbs, OneOrNoLabels)
{
    crumbs_rig b;
    b.labels = {"Shop"};
    b.rig.h.run(2);
    ASSERT_NE(node_with_text(b.ctx(), "Shop"), nullptr);
    EXPECT_EQ(node_with_text(b.ctx(), QEL_ICON_CHEVRON_RIGHT), nullptr);
    EXPECT_EQ(b.results.back(), -1);
    b.labels.clear();
    b.rig.h.run();
    EXPECT_EQ(b.results.back(), -1);
}

struct steps_rig {
    widget_rig rig;
    const char* labels[4] = {"Open sheet", "Pick columns", "Choose printer", "Print"};
    int32_t current = 1;

    explicit steps_rig(float width) : rig(width, 100)
    {
        rig.h.ui = [this](qel_context* ctx) { qel_steps(ctx, labels, 4, current); };
    }
    qel_context* ctx() { return rig.h.ctx; }

    // The states the circles were drawn with, in order.
    std::vector<uint32_t> states()
    {
        std::vector<uint32_t> out;
        for (int32_t i = 0; i < inspect_node_count(ctx()); i++) {
            const qel_node& n = *inspect_node(ctx(), i);
            if (n.draw == qel_step_draw) out.push_back(*(const uint32_t*)n.draw_user);
        }
        return out;
    }
};

TEST(Steps, MarkWhatIsDoneAndNumberTheRest)
{
    steps_rig s(800);
    s.rig.h.run(2);
    EXPECT_EQ(s.states(), (std::vector<uint32_t>{QEL_STEP_DONE, QEL_STEP_CURRENT, QEL_STEP_UPCOMING, QEL_STEP_UPCOMING}));
    EXPECT_EQ(node_with_text(s.ctx(), "1"), nullptr) << "a done step shows its check, not its number";
    ASSERT_NE(node_with_text(s.ctx(), "2"), nullptr);
    for (const char* label : s.labels) EXPECT_NE(node_with_text(s.ctx(), label), nullptr) << label;
    EXPECT_EQ(node_with_text(s.ctx(), "Pick columns")->font, (uint32_t)QEL_FONT_MEDIUM);

    s.current = 4;
    s.rig.h.run();
    EXPECT_EQ(s.states(), std::vector<uint32_t>(4, QEL_STEP_DONE)) << "current = count: every step done";
}

TEST(Steps, NarrowRowsKeepOnlyTheCurrentLabel)
{
    steps_rig s(300);
    s.rig.h.run();
    EXPECT_NE(node_with_text(s.ctx(), "Open sheet"), nullptr) << "the first frame knows no width yet";
    s.rig.h.run();
    EXPECT_EQ(node_with_text(s.ctx(), "Open sheet"), nullptr);
    EXPECT_EQ(node_with_text(s.ctx(), "Print"), nullptr);
    EXPECT_NE(node_with_text(s.ctx(), "Pick columns"), nullptr);
    EXPECT_EQ(s.states().size(), 4u);
}

struct nav_rig {
    widget_rig rig{300, 300};
    const char* labels[3] = {"Sheets", "Printers", "Templates"};
    int32_t selected = 0, clicked = -1;

    nav_rig()
    {
        rig.h.ui = [this](qel_context* ctx) {
            board_begin(ctx);
            qel_header_row_end(ctx, "Library");
            for (int32_t i = 0; i < 3; i++) {
                qel_nav_item_opts o = {};
                o.icon = QEL_ICON_ARROW_LEFT;
                o.trailing = i == 1 ? "12" : nullptr;
                o.selected = i == selected;
                if (qel_nav_list(ctx, labels[i], &o)) clicked = i, selected = i;
            }
            qel_container_end(ctx);
        };
    }
    qel_context* ctx() { return rig.h.ctx; }
    uint32_t item(int32_t i) { return qel_id(ctx(), labels[i]) ^ PART_NAV_ITEM; }
};

TEST(NavList, TheHighlightFollowsTheSelectedItem)
{
    nav_rig n;
    n.rig.h.run(3);
    const qel_node* highlight = node_with_draw(n.ctx(), qel_nav_item_draw);
    ASSERT_NE(highlight, nullptr);
    qel_rect first = n.rig.h.rect(n.item(0));
    EXPECT_FLOAT_EQ(highlight->rect.y, first.y);
    EXPECT_FLOAT_EQ(highlight->rect.w, first.w);
    EXPECT_FLOAT_EQ(highlight->rect.x, first.x) << "across the whole item";

    qel_vec2 c = n.rig.centre(n.item(2));
    n.rig.h.click(c.x, c.y);
    EXPECT_EQ(n.clicked, 2);
    n.rig.h.run(60);
    highlight = node_with_draw(n.ctx(), qel_nav_item_draw);
    ASSERT_NE(highlight, nullptr);
    EXPECT_NEAR(highlight->rect.y, n.rig.h.rect(n.item(2)).y, 0.5f);
    EXPECT_NEAR(highlight->rect.h, 32, 0.5f);
    EXPECT_EQ(node_with_text(n.ctx(), "Templates")->font, (uint32_t)QEL_FONT_MEDIUM);
    EXPECT_EQ(node_with_text(n.ctx(), "Sheets")->font, (uint32_t)QEL_FONT_BODY);
    EXPECT_TRUE(node_with_text(n.ctx(), "12")->flags & QEL_NODE_TABULAR);
    ASSERT_NE(node_with_text(n.ctx(), "Library"), nullptr);
}

TEST(NavList, NoSelectionNoHighlight)
{
    nav_rig n;
    n.selected = -1;
    n.rig.h.run(3);
    EXPECT_EQ(node_with_draw(n.ctx(), qel_nav_item_draw), nullptr);
    // The keyboard reaches the items: Tab to the first and Enter clicks it.
    n.rig.h.tap(QEL_KEY_TAB);
    n.rig.h.tap(QEL_KEY_ENTER);
    n.rig.h.run();
    EXPECT_EQ(n.clicked, 0);
}

// --- Pictures ---

static void navigation_board(qel_context* ctx)
{
    static int32_t page = 10;
    board_begin(ctx);
    qel_style columns = {};
    columns.gap = 16;
    columns.width = {QEL_SIZE_GROW, 1};
    columns.align = QEL_ALIGN_START;
    qel_row_begin(ctx, &columns);
    qel_style side = {};
    side.width = {QEL_SIZE_FIXED, 170};
    qel_column_begin(ctx, &side);
    qel_header_row_end(ctx, "Library");
    qel_nav_item_opts o = {};
    o.icon = QEL_ICON_ARROW_LEFT;
    o.selected = 1;
    o.trailing = "12";
    qel_nav_list(ctx, "Sheets", &o);
    o.icon = QEL_ICON_ARROW_RIGHT;
    o.selected = 0;
    o.trailing = nullptr;
    qel_nav_list(ctx, "Printers", &o);
    o.icon = QEL_ICON_CHECK;
    qel_nav_list(ctx, "Templates", &o);
    qel_container_end(ctx);
    qel_style main = {};
    main.width = {QEL_SIZE_GROW, 1};
    main.gap = 14;
    qel_column_begin(ctx, &main);
    const char* crumbs[] = {"Shop", "Shelves", "Price labels"};
    qel_breadcrumbs(ctx, crumbs, 3);
    const char* steps[] = {"Sheet", "Columns", "Print"};
    qel_steps(ctx, steps, 3, 1);
    qel_container_end(ctx);
    qel_container_end(ctx);
    qel_pagination(ctx, "pages", &page, 20);
    qel_container_end(ctx);
}

class NavigationPictures : public ::testing::TestWithParam<uint32_t> {};

TEST_P(NavigationPictures, ListCrumbsStepsAndPages)
{
    widget_rig rig(560, 250, GetParam());
    rig.h.ui = navigation_board;
    rig.h.run(3);
    EXPECT_TRUE(picture_matches(rig.shot(), themed_picture("qel/basic_", "navigation", GetParam()), PICTURE_TOLERANCE));
}

INSTANTIATE_TEST_SUITE_P(Themes, NavigationPictures, theme_modes(), theme_name);
