// The table widgets as a person sees them, in light and dark: a striped data table with a sorted
// column, selected rows, the keyboard cursor and a hidden column; a folder tree with guides, an
// open branch, a loading one and a selected file; a filter bar with a checklist open. Compared with committed pictures
// drawn by the software renderer.
#include <gtest/gtest.h>


#include "qel/qel.h"
#include "support/widget_rig.h"

static const char* const NAMES[] = {"Assam breakfast", "Darjeeling first flush", "Earl Grey", "Gunpowder",
                                    "Jasmine pearls", "Lapsang souchong", "Oolong", "Rooibos"};
static const char* const PRICES[] = {"4.20", "12.50", "5.90", "3.75", "9.10", "6.40", "8.00", "4.95"};

static void table_board(qel_context* ctx)
{
    static const qel_data_table_column columns[] = {
        {"Product", 200, 0, 1, 0, 0}, {"Price", 90, 2, 1, 1, 0}, {"Stock##hidden", 400, 0, 0, 0, 1}};
    static uint8_t selection[8] = {0, 1, 1, 0, 0, 0, 0, 0};
    static qel_data_table_sort sort = {1, 1};
    static int32_t cursor = 4;
    board_begin(ctx);
    qel_data_table_options o = {};
    o.selection = selection;
    o.sort = &sort;
    o.cursor = &cursor;
    o.striped = 1;
    o.row_height = 34;
    int32_t first = 0, last = 0;
    qel_data_table_begin(ctx, "teas", columns, 3, 8, &first, &last, &o);
    for (int32_t r = first; r < last; r++) {
        qel_data_table_row(ctx, r);
        qel_data_table_cell_text(ctx, NAMES[r]);
        qel_data_table_cell_text(ctx, PRICES[r]);
        qel_data_table_cell_text(ctx, "in stock");
    }
    qel_data_table_end(ctx);
    qel_container_end(ctx);
}

// A folder tree: guides, icons, an open branch, one loading and a selected file.
static void tree_board(qel_context* ctx)
{
    static const char* const labels[] = {"labels", "stocks.csv", "price tags", "shelf.csv", "archive", "2025",
                                         "notes.txt"};
    static qel_tree_view_node nodes[] = {{-1, 1, 4, 3},  {0, -1, 2, 0},  {0, 3, -1, 3}, {2, -1, -1, 4},
                                         {-1, -1, 6, 11}, {-1, -1, -1, 0}, {-1, -1, -1, 0}};
    static const qel_data_table_column columns[] = {{"Name", 260, 0, 1, 0, 0}, {"Size", 90, 2, 0, 0, 0}};
    static qel_data_table_sort sort = {0, 0};
    board_begin(ctx);
    qel_tree_view_options o = {};
    o.guides = 1;
    o.sort = &sort;
    qel_tree_view_begin(ctx, "files", columns, 2, nodes, 7, &o);
    for (int32_t n; (n = qel_tree_view_next(ctx)) >= 0;) {
        bool folder = nodes[n].flags & QEL_TREE_HAS_CHILDREN;
        qel_tree_view_row(ctx, labels[n], folder ? QEL_ICON_ARROW_LEFT : QEL_ICON_ARROW_RIGHT);
        qel_data_table_cell_text(ctx, folder ? "" : "2 kB");
    }
    qel_tree_view_end(ctx);
    qel_container_end(ctx);
}

// A filter bar with a search, a chip of two choices with its checklist open and one of one.
static void filter_board(qel_context* ctx)
{
    static const char* const kinds[] = {"Black tea", "Green tea", "Herbal"};
    static const char* const stock[] = {"In stock", "Sold out"};
    static const qel_filter_def filters[] = {{"Kind", QEL_ICON_ARROW_LEFT, kinds, 3}, {"Stock", nullptr, stock, 2},
                                             {"Origin", nullptr, nullptr, 0}};
    static uint32_t values[] = {5, 1, 0};
    static char search[32] = "earl";
    board_begin(ctx);
    qel_filter_bar(ctx, "filters", filters, 3, values, search, sizeof search);
    qel_container_end(ctx);
}

class TablePictures : public themed_pictures {
protected:
    TablePictures() : themed_pictures("qel/tables_") {}
};

TEST_P(TablePictures, DataTable)
{
    widget_rig rig(420, 300, GetParam());
    rig.h.ui = table_board;
    rig.h.run(3);
    // The keyboard shows the cursor row's bar.
    qel_set_focus(rig.h.ctx, qel_id(rig.h.ctx, "teas"), true);
    rig.h.run(2);
    EXPECT_TRUE(shows(rig, "data_table"));
}

TEST_P(TablePictures, TreeView)
{
    EXPECT_TRUE(board_matches(tree_board, 420, 300, "tree_view", 3));
}

TEST_P(TablePictures, FilterBar)
{
    widget_rig rig(560, 240, GetParam());
    rig.h.ui = filter_board;
    rig.h.run(2);
    qel_push_id(rig.h.ctx, "filters");
    qel_push_id_int(rig.h.ctx, 0);
    qel_vec2 chip = rig.centre(qel_id(rig.h.ctx, "chip"));
    qel_pop_id(rig.h.ctx);
    qel_pop_id(rig.h.ctx);
    rig.h.click(chip.x, chip.y);
    rig.h.run(3);
    EXPECT_TRUE(shows(rig, "filter_bar"));
}

INSTANTIATE_TEST_SUITE_P(Themes, TablePictures, theme_modes(), theme_name);
