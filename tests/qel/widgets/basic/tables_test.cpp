// Tables driven over scripted frames: columns that keep their widths in every row whether the
// caller fills the cells or not, headers that sort on click only with a sort state, zebra and
// selected rows, clickable rows, the scrolling body of a table of fixed height, sideways
// scrolling of narrow tables, and tables nested in cells.
#include <gtest/gtest.h>

#include "qel/icons.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

static uint32_t indexed(int32_t i, uint32_t seed)
{
    return qel_hash_bytes(&i, sizeof i, seed);
}

static const qel_table_column COLUMNS[3] = {
    {"Product", {QEL_SIZE_FIT, 0}, 0, 1},
    {"Price", {QEL_SIZE_FIXED, 90}, 2, 1},
    {"Code", {QEL_SIZE_FIXED, 120}, 0, 0},
};

// A table "items" of three rows: the first full, the second short of two cells, the third with a
// surplus cell.
struct table_rig {
    widget_rig rig;
    qel_table_opts opts = {};
    qel_table_sort sort = {0, 0};
    bool with_sort = true;
    int32_t selected = -1;
    int clicked[3] = {};
    int32_t depth_after = -1;

    explicit table_rig(float width = 500) : rig(width, 300)
    {
        rig.h.ui = [this](qel_context* ctx) {
            opts.sort = with_sort ? &sort : nullptr;
            qel_table_begin(ctx, "items", COLUMNS, 3, &opts);
            clicked[0] += qel_table_next_row(ctx, selected == 0);
            qel_table_cell_text(ctx, "Green tea");
            qel_table_cell_textf(ctx, "%.2f", 4.2);
            qel_table_cell_text(ctx, "4006381333931");
            clicked[1] += qel_table_next_row(ctx, selected == 1);
            qel_table_cell_text(ctx, "Oolong");
            clicked[2] += qel_table_next_row(ctx, selected == 2);
            for (const char* t : {"Sencha", "3.10", "12345", "surplus"}) qel_table_cell_text(ctx, t);
            qel_table_end(ctx);
            depth_after = qel_scope_find<qel_table_record>(ctx) ? -1 : inspect_open_parents(ctx);
        };
        rig.h.run(2);
    }
    qel_context* ctx() { return rig.h.ctx; }
    uint32_t table() { return qel_id(ctx(), "items"); }
    uint32_t row(int32_t i) { return indexed(i, table() ^ PART_ROW); }
    uint32_t header(int32_t i) { return indexed(i, table() ^ PART_TABLE_HEADER); }
    const qel_node* row_node(int32_t i) { return node_with_id(ctx(), row(i)); }
    void click(uint32_t id)
    {
        qel_vec2 c = rig.centre(id);
        rig.h.click(c.x, c.y);
    }
};

TEST(Table, CellsKeepTheirColumnWidthsInEveryRow)
{
    table_rig t;
    qel_context* ctx = t.ctx();
    for (int32_t i = 0; i < 3; i++) {
        SCOPED_TRACE(i);
        const qel_node* row = t.row_node(i);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->child_count, i == 2 ? 4 : 3) << "short rows are completed, surplus cells kept";
        const qel_node* price = inspect_node(ctx, inspect_node(ctx, row->first_child)->next_sibling);
        EXPECT_EQ(price->rect.w, 90);
        EXPECT_EQ(inspect_node(ctx, price->next_sibling)->rect.w, 120);
        if (i < 2) {
            EXPECT_EQ(price->rect.x, t.rig.h.rect(t.header(1)).x) << "cells line up with their headers";
        }
        EXPECT_GE(row->rect.h, 44);
    }
    const qel_node* surplus = inspect_node(ctx, t.row_node(2)->last_child);
    EXPECT_EQ(surplus->width.kind, uint32_t(QEL_SIZE_FIT)) << "a surplus cell takes no column's width";
    EXPECT_TRUE(node_with_text(ctx, "4.20")->flags & QEL_NODE_TABULAR) << "right-aligned numbers";
    EXPECT_FALSE(node_with_text(ctx, "Green tea")->flags & QEL_NODE_TABULAR);
    EXPECT_EQ(t.depth_after, 1) << "every node the table opened is closed";
}

TEST(Table, SortableHeadersCycleAscendingAndDescending)
{
    table_rig t;
    const struct {
        int32_t click;
        uint32_t column;
        uint8_t descending;
        const char* icon;
    } steps[] = {
        {1, 1, 0, QEL_ICON_ARROW_UP},  // a new column sorts ascending
        {1, 1, 1, QEL_ICON_ARROW_DOWN},  // then descending
        {1, 1, 0, QEL_ICON_ARROW_UP},  // then ascending again
        {0, 0, 0, QEL_ICON_ARROW_UP},
        {2, 0, 0, QEL_ICON_ARROW_UP},  // not sortable: nothing
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.click);
        t.click(t.header(s.click));
        EXPECT_EQ(t.sort.column, s.column);
        EXPECT_EQ(t.sort.descending, s.descending);
        const qel_node* sorted = node_with_id(t.ctx(), t.header((int32_t)s.column));
        EXPECT_STREQ(inspect_node(t.ctx(), sorted->last_child)->text, s.icon);
    }
    // The other sortable column shows the neutral icon; the unsortable none.
    EXPECT_NE(node_with_text(t.ctx(), QEL_ICON_CHEVRONS_UP_DOWN), nullptr);
    EXPECT_EQ(node_with_id(t.ctx(), t.header(2))->child_count, 1);
}

TEST(Table, WithoutASortStateHeadersArePlain)
{
    table_rig t;
    t.with_sort = false;
    t.rig.h.run();
    for (int32_t i = 0; i < 3; i++) {
        const qel_node* h = node_with_id(t.ctx(), t.header(i));
        EXPECT_EQ(h->child_count, 1);
        EXPECT_FALSE(h->flags & QEL_NODE_INTERACTIVE);
    }
    t.click(t.header(1));
    EXPECT_EQ(t.sort.column, 0u);
}

TEST(Table, ZebraTintsOddRowsAndSelectionWins)
{
    table_rig t;
    t.opts.zebra = 1;
    t.selected = 2;
    t.rig.h.run();
    qel_context* ctx = t.ctx();
    EXPECT_EQ(t.row_node(0)->fill, 0u);
    EXPECT_EQ(t.row_node(1)->fill, qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_TEXT), 0.018f));
    EXPECT_EQ(t.row_node(2)->fill, qel_theme_color(ctx, QEL_COLOR_ACCENT_TINT));
    t.opts.compact = 1;
    t.rig.h.run(2);
    EXPECT_LT(t.row_node(0)->rect.h, 44);
    EXPECT_GE(t.row_node(0)->rect.h, 36);
}

TEST(Table, ClickableRowsReportTheirClicks)
{
    table_rig t;
    EXPECT_FALSE(t.row_node(1)->flags & QEL_NODE_FOCUSABLE) << "rows are not clickable by default";
    t.opts.clickable_rows = 1;
    t.rig.h.run();
    t.click(t.row(1));
    EXPECT_EQ(t.clicked[1], 1);
    EXPECT_EQ(t.clicked[0] + t.clicked[2], 0);
    EXPECT_EQ(qel_focused_id(t.ctx()), t.row(1));
}

TEST(Table, AFixedHeightScrollsTheBodyAndNarrowTablesScrollSideways)
{
    table_rig t(600);
    qel_context* ctx = t.ctx();
    qel_push_id(ctx, "items");
    uint32_t body = qel_id(ctx, "#body");
    qel_pop_id(ctx);
    EXPECT_FALSE(qel_id_seen(ctx, body)) << "a growing table has no body scroller";
    t.opts.height = {QEL_SIZE_FIXED, 120};
    t.rig.h.run(2);
    EXPECT_EQ(t.rig.h.rect(t.table()).h, 120);
    ASSERT_TRUE(qel_id_seen(ctx, body));
    auto* s = (qel_scroll_state*)qel_state_get(ctx, body, sizeof(qel_scroll_state));
    EXPECT_GT(s->content_h, s->view_h);
    qel_rect header = t.rig.h.rect(t.header(0));
    t.rig.h.move(300, t.rig.h.rect(t.row(1)).y + 10);
    t.rig.h.wheel(0, -2);
    t.rig.h.run(30);
    EXPECT_GT(s->scroll_y, 0);
    EXPECT_EQ(t.rig.h.rect(t.header(0)).y, header.y) << "the header stays";

    table_rig narrow(200);
    auto* side = (qel_scroll_state*)qel_state_get(narrow.ctx(), narrow.table() ^ PART_TABLE_SCROLL, sizeof(qel_scroll_state));
    EXPECT_EQ(side->content_w, 16 + 96 + 90 + 120);
    EXPECT_GT(side->content_w, side->view_w);
}

TEST(Table, TablesNestInCells)
{
    widget_rig rig(600, 300);
    qel_table_record* after = reinterpret_cast<qel_table_record*>(1);
    int32_t inner_rows = -1, depth_after = -1;
    rig.h.ui = [&](qel_context* ctx) {
        qel_table_begin(ctx, "outer", COLUMNS, 3, nullptr);
        qel_table_next_row(ctx, false);
        qel_table_next_cell(ctx);
        qel_table_begin(ctx, "inner", COLUMNS, 2, nullptr);
        qel_table_next_row(ctx, false);
        qel_table_cell_text(ctx, "Inner cell");
        inner_rows = qel_scope_find<qel_table_record>(ctx)->rows;
        qel_table_end(ctx);
        qel_table_cell_text(ctx, "Outer cell");
        qel_table_end(ctx);
        after = qel_scope_find<qel_table_record>(ctx);
        depth_after = inspect_open_parents(ctx);
        EXPECT_FALSE(qel_table_next_row(ctx, false)) << "no table open";
    };
    rig.h.run(2);
    EXPECT_EQ(after, nullptr);
    EXPECT_EQ(inner_rows, 1);
    EXPECT_EQ(depth_after, 1);
    const qel_node* outer_cell = node_with_text(rig.h.ctx, "Outer cell");
    ASSERT_NE(outer_cell, nullptr);
    EXPECT_EQ(inspect_node(rig.h.ctx, outer_cell->parent)->rect.w, 90) << "the second outer column";
}
