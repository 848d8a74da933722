// Links made and broken by dragging between pins, as the program learns them from the queues:
// which pins are targets, picking a link up off an input, an input taking one link, links that
// exist already, and drags that end without a report.
#include <gtest/gtest.h>

#include "node_editor_rig.h"

using link_pairs = std::vector<std::pair<uint32_t, uint32_t>>;

// Three nodes: a (input 11, output 12), b (inputs 21, 22, output 23) and c (input 31, output 32).
static std::vector<graph_node> three_nodes(int32_t a_type, int32_t b_type)
{
    std::vector<graph_node> nodes = two_nodes(a_type, b_type);
    nodes.push_back({3, 400, 300, {{31, false, 0, "in"}, {32, true, 0, "out"}}});
    return nodes;
}

struct pin_ref {
    size_t node, pin;
};

struct link_case {
    const char* name;
    int32_t a_type, b_type;
    std::vector<graph_link> links;
    pin_ref from;
    bool onto_pin;     // else onto empty canvas at (300, 420)
    pin_ref to;
    link_pairs created;
    std::vector<uint32_t> destroyed;
};

TEST(NodeEditorLinks, DragsBetweenPinsReportWhatTheyMakeAndBreak)
{
    const link_case cases[] = {
        {"output to input", 0, 0, {}, {0, 1}, true, {1, 0}, {{12, 21}}, {}},
        {"input to output", 0, 0, {}, {1, 1}, true, {0, 1}, {{12, 22}}, {}},
        {"same node", 0, 0, {}, {0, 1}, true, {0, 0}, {}, {}},
        {"output to output", 0, 0, {}, {0, 1}, true, {1, 2}, {}, {}},
        {"other positive type", 1, 2, {}, {0, 1}, true, {1, 0}, {}, {}},
        {"wildcard meets a type", 1, 0, {}, {0, 1}, true, {1, 0}, {{12, 21}}, {}},
        {"picked up onto another input", 0, 0, {{100, 12, 21}}, {1, 0}, true, {2, 0}, {{12, 31}}, {100}},
        {"picked up onto empty canvas", 0, 0, {{100, 12, 21}}, {1, 0}, false, {}, {}, {100}},
        {"an input takes one link", 0, 0, {{101, 32, 22}}, {0, 1}, true, {1, 1}, {{12, 22}}, {101}},
        {"made again", 0, 0, {{100, 12, 21}}, {0, 1}, true, {1, 0}, {}, {}},
    };
    for (const link_case& c : cases) {
        editor_rig e;
        e.nodes = three_nodes(c.a_type, c.b_type);
        e.links = c.links;
        e.settle();
        qel_vec2 from = e.pin_at(e.nodes[c.from.node], c.from.pin);
        qel_vec2 to = c.onto_pin ? e.pin_at(e.nodes[c.to.node], c.to.pin) : e.at(300, 420);
        e.drag(from, to, 5);
        EXPECT_EQ(e.after.created, c.created) << c.name;
        EXPECT_EQ(e.after.destroyed, c.destroyed) << c.name;
        EXPECT_TRUE(e.after.deleted.empty()) << c.name;
        EXPECT_TRUE(e.before.empty()) << c.name;
    }
}

TEST(NodeEditorLinks, APickedUpLinkDroppedBackOrHeldStillStays)
{
    editor_rig e;
    e.nodes = three_nodes(0, 0);
    e.links = {{100, 12, 21}};
    e.settle();
    qel_vec2 pin = e.pin_at(e.nodes[1], 0);
    EXPECT_EQ(e.connected[21], 1);
    EXPECT_EQ(e.connected[12], 1);
    e.press_and_move(pin, e.at(300, 420), 3);
    EXPECT_EQ(e.connected[21], 0) << "a link being dragged off does not count";
    EXPECT_EQ(e.connected[12], 0);
    e.move_in_steps(e.at(300, 420), pin, 3);
    e.release();
    EXPECT_TRUE(e.after.empty()) << "dropped back on its own input";

    e.press_and_move(pin, {pin.x + 2, pin.y + 1}, 2);
    e.release();
    EXPECT_TRUE(e.after.empty()) << "released within 3 px";
    EXPECT_EQ(e.connected[21], 1);
}

TEST(NodeEditorLinks, QueuesReadInsideTheFrameAreReadOnce)
{
    editor_rig e;
    e.nodes = three_nodes(0, 0);
    e.links = {{101, 32, 22}};
    e.read_inside = true;
    e.settle();
    e.drag(e.pin_at(e.nodes[0], 1), e.pin_at(e.nodes[1], 1), 4);
    EXPECT_EQ(e.inside.created, (link_pairs{{12, 22}}));
    EXPECT_EQ(e.inside.destroyed, (std::vector<uint32_t>{101}));
    EXPECT_TRUE(e.after.empty());
}

TEST(NodeEditorLinks, DragsEndingWithoutAReleaseReportNothing)
{
    editor_rig e;
    e.nodes = three_nodes(0, 0);
    e.links = {{100, 12, 21}};
    e.settle();
    // Another window takes the press: the core releases it as no click.
    e.press_and_move(e.pin_at(e.nodes[1], 0), e.pin_at(e.nodes[2], 0), 3);
    qel_input_focus(e.rig.h.ctx, false);
    e.settle(1);
    qel_input_focus(e.rig.h.ctx, true);
    e.settle(1);
    EXPECT_TRUE(e.after.empty());
    EXPECT_EQ(e.connected[21], 1);

    // Escape ends the drag; the release after it reports nothing.
    e.click(e.at(300, 420));  // the editor takes the keyboard
    e.press_and_move(e.pin_at(e.nodes[0], 1), e.pin_at(e.nodes[1], 1), 3);
    e.rig.h.tap(QEL_KEY_ESCAPE);
    e.release();
    EXPECT_TRUE(e.after.empty());

    // The start pin vanishes mid-drag.
    e.press_and_move(e.pin_at(e.nodes[0], 1), e.pin_at(e.nodes[1], 1), 3);
    e.nodes[0].pins.pop_back();
    e.settle(1);
    e.release();
    EXPECT_TRUE(e.after.empty());
}

TEST(NodeEditorLinks, AClickOnALinkSelectsItUntilItIsNoLongerSubmitted)
{
    editor_rig e;
    e.nodes = three_nodes(0, 0);
    e.links = {{100, 12, 21}, {102, 23, 31}};
    e.settle();
    qel_vec2 a = e.pin_at(e.nodes[1], 2), b = e.pin_at(e.nodes[2], 0);
    e.click({(a.x + b.x) / 2, (a.y + b.y) / 2});
    e.settle(1);
    EXPECT_EQ(e.selected_links, (std::vector<uint32_t>{102}));
    e.links.pop_back();
    e.settle(1);
    e.links.push_back({102, 23, 31});
    e.settle(1);
    EXPECT_TRUE(e.selected_links.empty());
}
