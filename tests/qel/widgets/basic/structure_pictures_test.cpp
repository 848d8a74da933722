// Collapsibles, lists, tables, bars, form widgets and the sortable list as a person sees them, in
// light and dark, compared with committed pictures drawn by the software renderer.
#include <gtest/gtest.h>

#include "qel/icons.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

static void tree_board(qel_context* ctx)
{
    static bool printing = true, fonts = false, labels = true, prices = false;
    board_begin(ctx);
    wide_row_begin(ctx, 16);
    qel_style half = {};
    half.width = {QEL_SIZE_GROW, 1};
    qel_column_begin(ctx, &half);
    if (qel_collapsing_header(ctx, "Printing", &printing)) {
        qel_text_muted(ctx, "Darkness, speed and the gap between labels.");
        qel_collapsing_header_end(ctx);
    }
    if (qel_collapsing_header(ctx, "Fonts", &fonts)) qel_collapsing_header_end(ctx);
    qel_container_end(ctx);
    qel_column_begin(ctx, &half);
    if (qel_tree_node(ctx, "Labels", &labels, nullptr)) {
        if (qel_tree_node(ctx, "Prices", &prices, nullptr)) qel_tree_node_end(ctx);
        qel_tree_node_opts file = {};
        file.leaf = 1;
        file.selected = 1;
        qel_tree_node(ctx, "tea.csv", nullptr, &file);
        file.selected = 0;
        qel_tree_node(ctx, "coffee.csv", nullptr, &file);
        qel_tree_node_end(ctx);
    }
    qel_tree_node_opts own = {};
    own.icon = QEL_ICON_ARROW_LEFT;
    qel_tree_node(ctx, "Templates", nullptr, &own);
    qel_container_end(ctx);
    qel_container_end(ctx);
    qel_container_end(ctx);
}

static void list_board(qel_context* ctx)
{
    board_begin(ctx);
    qel_style columns = {};
    columns.gap = 16;
    columns.width = {QEL_SIZE_GROW, 1};
    columns.height = {QEL_SIZE_GROW, 1};
    columns.align = QEL_ALIGN_START;
    qel_row_begin(ctx, &columns);
    qel_style half = {};
    half.width = {QEL_SIZE_GROW, 1};
    qel_column_begin(ctx, &half);
    qel_list_item_opts file = {};
    file.icon = QEL_ICON_ARROW_RIGHT;
    file.subtitle = "20 rows, 4 columns";
    file.trailing = "1.2 kB";
    qel_list_item(ctx, "tea.csv", &file);
    qel_list_item_opts chosen = {};
    chosen.avatar = "Grace Hopper";
    chosen.selected = 1;
    qel_list_item(ctx, "Grace Hopper", &chosen);
    qel_list_item_opts plain = {};
    plain.icon = QEL_ICON_ARROW_LEFT;
    plain.trailing = "3";
    qel_list_item(ctx, "Hovered row", &plain);
    qel_container_end(ctx);
    qel_column_begin(ctx, &half);
    int32_t first = 0, last = 0;
    qel_virtual_list_begin(ctx, "rows", 100000, 28, {QEL_SIZE_FIXED, 190}, &first, &last);
    for (int32_t i = first; i < last; i++) {
        qel_style row = {};
        row.height = {QEL_SIZE_FIXED, 28};
        row.width = {QEL_SIZE_GROW, 1};
        row.padding_x = 10;
        row.align = QEL_ALIGN_CENTER;
        qel_row_begin(ctx, &row);
        qel_textf(ctx, "Row %d of 100000", i + 1);
        qel_container_end(ctx);
    }
    qel_virtual_list_end(ctx);
    qel_container_end(ctx);
    qel_container_end(ctx);
    qel_container_end(ctx);
}

static void table_board(qel_context* ctx)
{
    static qel_table_sort sort = {1, 1};
    static const qel_table_column columns[4] = {
        {"Product", {QEL_SIZE_FIT, 0}, 0, 1},
        {"Price", {QEL_SIZE_FIXED, 80}, 2, 1},
        {"Qty", {QEL_SIZE_FIXED, 60}, 2, 0},
        {"Barcode", {QEL_SIZE_FIXED, 130}, 0, 0},
    };
    static const char* rows[5][4] = {
        {"Green tea", "4.20", "12", "4006381333931"}, {"Oolong", "6.80", "3", "4006381333948"},
        {"Sencha", "5.10", "40", "4006381333955"},    {"Rooibos", "3.90", "7", nullptr},
        {"Chai", "4.60", "1", "4006381333979"},
    };
    board_begin(ctx);
    qel_table_opts o = {};
    o.sort = &sort;
    o.zebra = 1;
    o.clickable_rows = 1;
    o.height = {QEL_SIZE_FIXED, 220};
    qel_table_begin(ctx, "products", columns, 4, &o);
    for (int32_t r = 0; r < 5; r++) {
        qel_table_next_row(ctx, r == 2);
        for (int32_t c = 0; c < 4 && rows[r][c]; c++) qel_table_cell_text(ctx, rows[r][c]);
    }
    qel_table_end(ctx);
    qel_container_end(ctx);
}

static void form_board(qel_context* ctx)
{
    static uint32_t stock = 1;
    static char tags[128] = "tea, green, loose leaf";
    static char code[8] = "4829";
    static const qel_radio_card_item stocks[3] = {
        {"Roll", "Continuous labels on a core", QEL_ICON_ARROW_LEFT, nullptr},
        {"Fanfold", "Stacked labels", QEL_ICON_ARROW_RIGHT, "New"},
        {"Tags", nullptr, nullptr, nullptr},
    };
    board_begin(ctx);
    qel_radio_cards_opts three = {};
    three.columns = 3;
    qel_radio_cards(ctx, "stock", stocks, 3, &stock, &three);
    qel_tag_input_opts o = {};
    o.label = "Keywords";
    qel_tag_input(ctx, "tags", tags, sizeof tags, &o);
    qel_otp_input(ctx, "code", code, 6);
    qel_password_strength(ctx, "abc");
    qel_password_strength(ctx, "abcdEfgh");
    qel_password_strength(ctx, "aB3$efghij");
    qel_container_end(ctx);
}

static uint32_t sort_keys[4] = {1, 2, 3, 4};

static void sortable_board(qel_context* ctx)
{
    static const char* const steps[5] = {"", "Open the spreadsheet", "Pick a label stock", "Check the preview",
                                         "Print"};
    board_begin(ctx);
    qel_sortable_begin(ctx, "steps", sort_keys, 4);
    for (int32_t i = 0; i < 4; i++) {
        qel_sortable_item(ctx, i);
        qel_text_ex(ctx, steps[sort_keys[i]], nullptr);
        qel_sortable_item_end(ctx);
    }
    qel_sortable_end(ctx);
    qel_container_end(ctx);
}

static void menubar_board(qel_context* ctx)
{
    qel_menubar_begin(ctx, "bar", nullptr);
    if (qel_menubar_menu(ctx, "File", nullptr)) {
        qel_menu_item_options open = {};
        open.shortcut = "Ctrl+O";
        qel_menu_item(ctx, "Open spreadsheet", &open);
        qel_menu_item(ctx, "Save job", nullptr);
        qel_menu_separator(ctx);
        qel_menu_item(ctx, "Quit", nullptr);
    }
    qel_menubar_menu_end(ctx);
    qel_menubar_menu(ctx, "Edit", nullptr);
    qel_menubar_menu_end(ctx);
    qel_menu_opts off = {};
    off.disabled = 1;
    qel_menubar_menu(ctx, "Printer", &off);
    qel_menubar_menu_end(ctx);
    qel_menubar_spacer(ctx);
    qel_menubar_menu(ctx, "Help", nullptr);
    qel_menubar_menu_end(ctx);
    qel_menubar_end(ctx);
}

static void statusbar_board(qel_context* ctx)
{
    qel_style page = {};
    page.width = {QEL_SIZE_GROW, 1};
    page.height = {QEL_SIZE_GROW, 1};
    qel_column_begin(ctx, &page);
    qel_spacer(ctx);
    qel_statusbar_begin(ctx, "status", nullptr);
    qel_status_text_opts rows = {};
    rows.icon = QEL_ICON_ARROW_LEFT;
    qel_status_text(ctx, "20 rows", &rows);
    qel_status_text(ctx, "2x1 in, 203 dpi", nullptr);
    qel_status_spacer(ctx);
    qel_status_progress_opts busy = {};
    busy.label = "Waiting";
    busy.indeterminate = 1;
    qel_status_progress(ctx, 0, &busy);
    qel_status_progress_opts sending = {};
    sending.label = "Sending";
    qel_status_progress(ctx, 0.6f, &sending);
    qel_status_item_opts printer = {};
    printer.icon = QEL_ICON_ARROW_RIGHT;
    printer.kind = QEL_SEMANTIC_SUCCESS;
    qel_status_item(ctx, "Printer ready", &printer);
    qel_statusbar_end(ctx);
    qel_container_end(ctx);
}

static void toolbar_board(qel_context* ctx)
{
    static uint8_t bold = 1, wrap = 0;
    qel_toolbar_begin(ctx, "tools", nullptr);
    qel_toolbar_item_opts open = {};
    open.label = "Open";
    qel_toolbar_button(ctx, QEL_ICON_ARROW_LEFT, &open);
    qel_toolbar_item_opts print = {};
    print.tooltip = "Print";
    qel_toolbar_button(ctx, QEL_ICON_ARROW_RIGHT, &print);
    qel_toolbar_separator(ctx);
    qel_toolbar_item_opts b = {};
    b.tooltip = "Bold";
    b.toggle = &bold;
    qel_toolbar_button(ctx, QEL_ICON_CHECK, &b);
    qel_menubar_spacer(ctx);
    qel_toolbar_item_opts w = {};
    w.label = "Wrap text";
    w.toggle = &wrap;
    qel_toolbar_button(ctx, nullptr, &w);
    qel_toolbar_separator(ctx);
    qel_toolbar_item_opts help = {};
    help.label = "Help";
    help.disabled = 1;
    qel_toolbar_button(ctx, nullptr, &help);
    qel_toolbar_end(ctx);
}

static void tabbar_board(qel_context* ctx)
{
    static const qel_tab_item tabs[4] = {{"labels.csv", QEL_ICON_ARROW_LEFT, nullptr, 0},
                                         {"prices.csv", QEL_ICON_ARROW_LEFT, nullptr, 1},
                                         {"Preview", QEL_ICON_ARROW_RIGHT, nullptr, 0},
                                         {"notes.txt", nullptr, nullptr, 1}};
    static uint32_t selected = 0;
    qel_tab_bar_opts o = {};
    o.shortcuts = 1;
    qel_tab_bar(ctx, "docs", tabs, 4, &selected, &o);
}

class StructurePictures : public themed_pictures {
protected:
    StructurePictures() : themed_pictures("qel/basic_") {}
};

TEST_P(StructurePictures, CollapsingHeadersAndTreeNodes)
{
    widget_rig rig(560, 230, GetParam());
    rig.h.ui = tree_board;
    rig.h.run(2);
    qel_set_focus(rig.h.ctx, qel_id(rig.h.ctx, "Templates") ^ PART_TREE_NODE, true);
    rig.move_to(qel_id(rig.h.ctx, "Fonts") ^ PART_COLLAPSING_HEADER);
    rig.h.run(2);
    EXPECT_TRUE(shows(rig, "tree"));
}

TEST_P(StructurePictures, ListItemsAndAVirtualList)
{
    widget_rig rig(560, 220, GetParam());
    rig.h.ui = list_board;
    rig.h.run(2);
    auto* s = (qel_scroll_state*)qel_state_get(rig.h.ctx, qel_id(rig.h.ctx, "rows"), sizeof(qel_scroll_state));
    s->target_y = 28 * 50000;
    rig.move_to(qel_id(rig.h.ctx, "Hovered row") ^ PART_LIST_ITEM);
    rig.h.run(3);
    EXPECT_TRUE(shows(rig, "lists"));
}

TEST_P(StructurePictures, ATableWithSortingZebraAndSelection)
{
    widget_rig rig(520, 250, GetParam());
    rig.h.ui = table_board;
    rig.h.run(2);
    int32_t row = 0;
    rig.move_to(qel_hash_bytes(&row, sizeof row, qel_id(rig.h.ctx, "products") ^ PART_ROW));
    rig.h.run(2);
    EXPECT_TRUE(shows(rig, "table"));
}

TEST_P(StructurePictures, RadioCardsTagsCodeAndPasswordStrength)
{
    widget_rig rig(640, 420, GetParam());
    rig.h.ui = form_board;
    rig.h.run(2);
    rig.click_on(qel_id(rig.h.ctx, "code"));
    rig.h.run();
    EXPECT_TRUE(shows(rig, "forms"));
}

TEST_P(StructurePictures, ASortableListWhileDragging)
{
    widget_rig rig(420, 250, GetParam());
    for (uint32_t i = 0; i < 4; i++) sort_keys[i] = i + 1;
    rig.h.ui = sortable_board;
    rig.h.run(2);
    uint32_t key = 1;
    uint32_t first = qel_hash_bytes(&key, sizeof key, qel_id(rig.h.ctx, "steps") ^ PART_SORTABLE_ITEM);
    qel_vec2 c = rig.centre(first);
    rig.h.move(c.x, c.y);
    rig.h.run();
    rig.h.button(0, true);
    rig.h.run();
    rig.h.move(c.x + 6, c.y + 70);
    rig.h.run(3);
    EXPECT_TRUE(shows(rig, "sortable"));
}

TEST_P(StructurePictures, AMenuBarInKeyboardMode)
{
    widget_rig rig(460, 200, GetParam());
    rig.h.ui = menubar_board;
    rig.h.run(2);
    rig.h.key(QEL_KEY_NONE, true, QEL_MOD_ALT);
    rig.h.run();
    rig.h.tap(QEL_KEY_A + ('F' - 'A'), QEL_MOD_ALT);
    rig.h.key(QEL_KEY_NONE, false, 0);
    rig.h.run(3);
    EXPECT_TRUE(shows(rig, "menubar"));
}

TEST_P(StructurePictures, AStatusBar)
{
    widget_rig rig(600, 60, GetParam());
    rig.h.ui = statusbar_board;
    rig.h.run(2);
    rig.move_to(scoped_id(rig.h.ctx, "status", "Printer ready"));
    rig.h.run(2);
    EXPECT_TRUE(shows(rig, "statusbar"));
}

TEST_P(StructurePictures, AToolbarWithItsOverflowMenu)
{
    widget_rig rig(260, 200, GetParam());
    rig.h.ui = toolbar_board;
    rig.h.run(2);
    rig.click_on(qel_hash_str(QEL_ICON_ELLIPSIS, scoped_id(rig.h.ctx, "tools", "More tools")));
    rig.h.run(3);
    EXPECT_TRUE(shows(rig, "toolbar"));
}

TEST_P(StructurePictures, ATabBar)
{
    widget_rig rig(520, 70, GetParam());
    rig.h.ui = tabbar_board;
    rig.h.run(2);
    rig.move_to(scoped_id(rig.h.ctx, "docs", "Preview"));
    rig.h.run(2);
    EXPECT_TRUE(shows(rig, "tabbar"));
}

INSTANTIATE_TEST_SUITE_P(Themes, StructurePictures, theme_modes(), theme_name);
