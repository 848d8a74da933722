// The node editor as a person sees it, in light and dark, against committed pictures drawn by the
// software renderer: a graph of typed pins with a selected node and the minimap while a link is
// dragged onto a target (its halo, the other candidates' rings), and a node holding widgets at
// zoom 1.5 beside a selected link.
#include <gtest/gtest.h>

#include "node_editor_rig.h"
#include "qel/button.h"
#include "qel/icons.h"

static std::vector<graph_node> typed_graph()
{
    return {{1, 30, 40, {{11, false, 0, "any"}, {12, true, 1, "text"}, {13, true, 2, "price"}}, false, "Source"},
            {2,
             330,
             20,
             {{21, false, 1, "name"}, {22, false, 2, "amount"}, {24, false, 0, "extra"}, {23, true, 3, "label"}},
             false,
             "Format"},
            {3, 330, 210, {{31, false, 1, "caption"}, {32, true, 3, "label"}}, false, "Caption"}};
}

static void price_block(qel_context* ctx)
{
    qel_button(ctx, "Reprice", nullptr);
}

class EditorPictures : public themed_pictures {
protected:
    EditorPictures() : themed_pictures("qel/node_editor_") {}
};

TEST_P(EditorPictures, LinkDragOverTypedPinsWithTheMinimap)
{
    editor_rig e(720, 460, GetParam());
    e.opts.show_minimap = true;
    e.opts.height = {QEL_SIZE_FIXED, 420};
    e.nodes = typed_graph();
    e.links = {{100, 12, 21}, {101, 13, 22}};
    e.settle();
    e.click(e.title_at(e.nodes[1]));
    qel_vec2 target = e.pin_at(e.nodes[2], 0);
    e.press_and_move(e.pin_at(e.nodes[0], 1), {target.x - 8, target.y + 6}, 4);
    e.settle(2);
    EXPECT_TRUE(shows(e.rig, "drag"));
}

TEST_P(EditorPictures, WidgetsInANodeAtZoomOneAndAHalf)
{
    editor_rig e(600, 400, GetParam());
    e.opts.height = {QEL_SIZE_FIXED, 360};
    e.view = {-20, -30, 1.5f};
    e.nodes = {{1, 30, 40, {{12, true, 4, "total"}}, false, "Order"},
               {2, 260, 60, {{21, false, 4, "amount"}}, true, "Reprice"}};
    e.links = {{100, 12, 21}};
    e.block_ui = price_block;
    e.settle(3);
    qel_vec2 a = e.pin_at(e.nodes[0], 0), b = e.pin_at(e.nodes[1], 0);
    e.click({(a.x + b.x) / 2, (a.y + b.y) / 2});
    e.settle(2);
    EXPECT_EQ(e.selected_links, (std::vector<uint32_t>{100}));
    EXPECT_TRUE(shows(e.rig, "zoomed"));
}

INSTANTIATE_TEST_SUITE_P(Themes, EditorPictures, theme_modes(), theme_name);
