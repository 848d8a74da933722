// Collapsibles, lists, tables, bars, form widgets and the sortable list as a person sees them, in
// light and dark, compared with committed pictures drawn by the software renderer.
#include <gtest/gtest.h>

#include <string>

#include "qel/qel.h"
#include "qel/widget_rig.h"

static void tree_board(qel_context* ctx)
{
    static bool printing = true, fonts = false, labels = true, prices = false;
    board_begin(ctx);
    qel_style columns = {};
    columns.gap = 16;
    columns.width = {QEL_SIZE_GROW, 1};
    columns.align = QEL_ALIGN_START;
    qel_row_begin(ctx, &columns);
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
    own.icon = ICON_A;
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
    file.icon = ICON_B;
    file.subtitle = "20 rows, 4 columns";
    file.trailing = "1.2 kB";
    qel_list_item(ctx, "tea.csv", &file);
    qel_list_item_opts chosen = {};
    chosen.avatar = "Grace Hopper";
    chosen.selected = 1;
    qel_list_item(ctx, "Grace Hopper", &chosen);
    qel_list_item_opts plain = {};
    plain.icon = ICON_A;
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

class StructurePictures : public ::testing::TestWithParam<uint32_t> {
protected:
    std::string name(const char* scene) const { return themed_picture("qel/basic_", scene, GetParam()); }
};

TEST_P(StructurePictures, CollapsingHeadersAndTreeNodes)
{
    widget_rig rig(560, 230, GetParam());
    rig.h.ui = tree_board;
    rig.h.run(2);
    qel_set_focus(rig.h.ctx, qel_id(rig.h.ctx, "Templates") ^ 0x7eee0007u, true);
    rig.move_to(qel_id(rig.h.ctx, "Fonts") ^ 0xacc00006u);
    rig.h.run(2);
    EXPECT_TRUE(picture_matches(rig.shot(), name("tree"), PICTURE_TOLERANCE));
}

TEST_P(StructurePictures, ListItemsAndAVirtualList)
{
    widget_rig rig(560, 220, GetParam());
    rig.h.ui = list_board;
    rig.h.run(2);
    auto* s = (qel_scroll_state*)qel_state_get(rig.h.ctx, qel_id(rig.h.ctx, "rows"), sizeof(qel_scroll_state));
    s->target_y = 28 * 50000;
    rig.move_to(qel_id(rig.h.ctx, "Hovered row") ^ 0x115e0008u);
    rig.h.run(3);
    EXPECT_TRUE(picture_matches(rig.shot(), name("lists"), PICTURE_TOLERANCE));
}

INSTANTIATE_TEST_SUITE_P(Themes, StructurePictures, ::testing::Values(QEL_THEME_LIGHT, QEL_THEME_DARK),
                         [](const auto& p) { return p.param == QEL_THEME_DARK ? "Dark" : "Light"; });
