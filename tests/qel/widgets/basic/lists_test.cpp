// List rows and virtual lists driven over scripted frames: rows that click, take the keyboard and
// keep their least heights; virtual lists that build only the rows in view, keep the whole scroll
// height through their spacers, reach the end of a million rows, and stay balanced when nested
// past their capacity.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "qel/qel.h"
#include "support/widget_rig.h"

static uint32_t item_id(qel_context* ctx, const char* label)
{
    return qel_id(ctx, label) ^ PART_LIST_ITEM;
}

TEST(ListItem, RowsClickTakeTheKeyboardAndKeepTheirHeights)
{
    widget_rig rig;
    int clicks[3] = {};
    rig.h.ui = [&](qel_context* ctx) {
        qel_list_item_opts two = {};
        two.subtitle = "12 rows, 3 columns";
        two.trailing = "4.2 kB";
        two.icon = QEL_ICON_ARROW_LEFT;
        clicks[0] += qel_list_item(ctx, "tea.csv", &two);
        qel_list_item_opts person = {};
        person.avatar = "Ada Lovelace";
        person.selected = 1;
        clicks[1] += qel_list_item(ctx, "Ada", &person);
        clicks[2] += qel_list_item(ctx, "Plain", nullptr);
    };
    rig.h.run(2);
    qel_context* ctx = rig.h.ctx;
    EXPECT_GE(rig.h.rect(item_id(ctx, "tea.csv")).h, 52);
    EXPECT_GE(rig.h.rect(item_id(ctx, "Plain")).h, 38);
    EXPECT_LT(rig.h.rect(item_id(ctx, "Plain")).h, 52);
    EXPECT_EQ(node_with_id(ctx, item_id(ctx, "Ada"))->fill, qel_theme_color(ctx, QEL_COLOR_ACTIVE));
    EXPECT_TRUE(node_with_text(ctx, "4.2 kB")->flags & QEL_NODE_TABULAR);
    EXPECT_NE(node_with_text(ctx, "AL"), nullptr) << "the avatar's initials";

    qel_vec2 c = rig.centre(item_id(ctx, "Plain"));
    rig.h.click(c.x, c.y);
    EXPECT_EQ(clicks[2], 1);
    EXPECT_EQ(clicks[0] + clicks[1], 0);
    EXPECT_EQ(qel_last_item_id(ctx), item_id(ctx, "Plain"));

    // Tab walks the rows; Enter activates the focused one and shows its ring.
    rig.h.tap(QEL_KEY_TAB);
    EXPECT_EQ(qel_focused_id(ctx), item_id(ctx, "tea.csv"));
    rig.h.tap(QEL_KEY_TAB);
    rig.h.tap(QEL_KEY_ENTER);
    EXPECT_EQ(clicks[1], 1);
    EXPECT_NE(node_with_draw(ctx, qel_focus_ring_full_draw), nullptr);
}

// A virtual list "rows" of count rows, each a text node, in a 400 x 300 window.
struct list_rig {
    widget_rig rig;
    int32_t count;
    float item_height;
    int32_t first = -1, last = -1;
    int built = 0;

    list_rig(int32_t n, float h) : rig(400, 300), count(n), item_height(h)
    {
        rig.h.ui = [this](qel_context* ctx) {
            qel_virtual_list_begin(ctx, "rows", count, item_height, {QEL_SIZE_FIT, 0}, &first, &last);
            built = 0;
            for (int32_t i = first; i < last; i++) {
                qel_push_id_int(ctx, i);
                int32_t row = qel_node_sized(ctx, qel_id(ctx, "row"), {QEL_SIZE_GROW, 1},
                                             {QEL_SIZE_FIXED, item_height > 0 ? item_height : 36});
                qel_node_push(ctx, row);
                qel_textf(ctx, "Row %d", i);
                qel_node_pop(ctx);
                qel_pop_id(ctx);
                built++;
            }
            qel_virtual_list_end(ctx);
        };
    }
    qel_scroll_state* scroll() { return (qel_scroll_state*)qel_state_get(rig.h.ctx, qel_id(rig.h.ctx, "rows"), sizeof(qel_scroll_state)); }
};

TEST(VirtualList, TheFirstFrameCoversA400PixelViewThenTheRealOne)
{
    const struct {
        int32_t count;
        float height;
        int32_t last;
    } cases[] = {
        {1000, 20, 22},  // ceil(400 / 20) + 2
        {1000, 0, 14},   // 36 high: ceil(400 / 36) + 2
        {1000, -5, 14},
        {5, 20, 5},
        {0, 20, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        list_rig l(c.count, c.height);
        l.rig.h.run();
        EXPECT_EQ(l.first, 0);
        EXPECT_EQ(l.last, c.last);
        EXPECT_EQ(l.built, c.last);
    }
    list_rig l(1000, 20);
    l.rig.h.run(2);
    EXPECT_EQ(l.scroll()->view_h, 300);
    EXPECT_EQ(l.last, 17) << "ceil(300 / 20) + 2";
    EXPECT_EQ(l.scroll()->content_h, 1000 * 20) << "the spacer below keeps the whole height";
}

TEST(VirtualList, AnEmptyListHasAnItemsNodeOfNoHeight)
{
    list_rig l(0, 20);
    l.rig.h.run(2);
    EXPECT_EQ(l.first, 0);
    EXPECT_EQ(l.last, 0);
    EXPECT_EQ(l.scroll()->content_h, 0);
}

TEST(VirtualList, ScrollingBuildsOnlyTheRowsInViewAndKeepsTheHeight)
{
    list_rig l(1000, 20);
    l.rig.h.run(2);
    qel_context* ctx = l.rig.h.ctx;
    // Within the first three rows no space is reserved above.
    l.scroll()->target_y = 50;
    l.rig.h.run(30);
    EXPECT_EQ(l.first, 0);
    const qel_node* list = node_with_id(ctx, qel_id(ctx, "rows"));
    EXPECT_EQ(inspect_node(ctx, list->first_child)->height.value, float(l.last * 20)) << "the items node comes first";

    l.scroll()->target_y = 5010;
    l.rig.h.run(30);
    EXPECT_EQ(l.scroll()->scroll_y, 5010);
    EXPECT_EQ(l.first, 248);  // floor(5010 / 20) - 2
    EXPECT_EQ(l.last, 268);   // ceil(5310 / 20) + 2
    EXPECT_EQ(l.built, 20);
    EXPECT_EQ(l.scroll()->content_h, 20000);
    // Row 250 sits where the whole list would put it.
    qel_push_id_int(ctx, 250);
    uint32_t row = qel_id(ctx, "row");
    qel_pop_id(ctx);
    EXPECT_FLOAT_EQ(l.rig.h.rect(row).y, 250 * 20 - 5010);
}

TEST(VirtualList, TheWheelReachesTheEndOfAMillionRows)
{
    list_rig l(1000000, 24);
    l.rig.h.run(2);
    l.scroll()->target_y = 1e12f;  // beyond the end stops at the end
    l.rig.h.run(30);
    EXPECT_EQ(l.last, 1000000);
    EXPECT_LE(l.built, 300 / 24 + 6);
    EXPECT_FLOAT_EQ(l.scroll()->content_h, 24e6f);
    EXPECT_LT(inspect_node_count(l.rig.h.ctx), 200) << "a million rows cost what a screenful costs";
    // The last row is laid out at the view's bottom.
    qel_context* ctx = l.rig.h.ctx;
    qel_push_id_int(ctx, 999999);
    uint32_t row = qel_id(ctx, "row");
    qel_pop_id(ctx);
    qel_rect r = l.rig.h.rect(row);
    EXPECT_NEAR(r.y + r.h, 300, 4);  // floats at 24 million units keep quarter pixels
    l.rig.h.move(200, 150);
    l.rig.h.wheel(0, 3);
    l.rig.h.run(30);
    EXPECT_LT(l.last, 1000000);
}

TEST(VirtualList, ARangeNeverRunsPastAShrunkenCount)
{
    list_rig l(1000, 20);
    l.rig.h.run(2);
    l.scroll()->target_y = 19700;
    l.rig.h.run(30);
    l.count = 10;
    l.rig.h.run();
    EXPECT_LE(l.first, 10);
    EXPECT_LE(l.last, 10);
    l.rig.h.run(30);
    EXPECT_EQ(l.first, 0);
    EXPECT_EQ(l.last, 10) << "the list scrolls back to what remains";
}

TEST(VirtualList, NestingPastEightStaysBalanced)
{
    widget_rig rig(400, 300);
    int32_t depth_after = -1, innermost_last = -1;
    rig.h.ui = [&](qel_context* ctx) {
        for (int i = 0; i < 12; i++) {
            int32_t first = 0, last = 0;
            qel_push_id_int(ctx, i);
            qel_virtual_list_begin(ctx, "nested", 3, 20, {QEL_SIZE_FIXED, 200}, &first, &last);
            innermost_last = last;
        }
        qel_text_ex(ctx, "Deep", nullptr);
        for (int i = 0; i < 12; i++) {
            qel_virtual_list_end(ctx);
            qel_pop_id(ctx);
        }
        depth_after = inspect_open_parents(ctx);
    };
    rig.h.run(2);
    EXPECT_EQ(depth_after, 1);
    EXPECT_EQ(innermost_last, 3);
    EXPECT_EQ(inspect_open_scopes(rig.h.ctx), 0);
}
