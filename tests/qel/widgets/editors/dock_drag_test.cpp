// Tabs dragged over a dockspace by a scripted pointer: reordering on the strip, drops into the
// middle of a group, at a group's side, at the dockspace's outer buttons, Escape and a focus loss
// that cancel, a full node pool, and edge drops nested as deep as a layout text may go.
#include <gtest/gtest.h>

#include "dock_rig.h"

static void three_panels(dock_rig& d, const char* layout)
{
    ASSERT_TRUE(d.load(layout));
    d.add("a");
    d.add("b");
    d.add("c");
    d.run(3);
}

TEST(DockDrag, ATabMovesAlongItsOwnStrip)
{
    dock_rig d;
    three_panels(d, "dock1 [*a,b,c]");
    qel_rect a = d.tab_rect("a"), c = d.tab_rect("c");
    float y = a.y + a.h / 2;
    d.rig.h.move(a.x + a.w / 2, y);
    d.rig.h.run();
    d.rig.h.button(0, true);
    d.rig.h.run();
    for (float x = a.x + a.w / 2; x < c.x + c.w; x += 10) {
        d.rig.h.move(x, y);
        d.rig.h.run();
    }
    d.rig.h.button(0, false);
    d.rig.h.run(2);
    EXPECT_EQ(d.saved(), "dock1 [b,c,*a]");
    EXPECT_EQ(d.ds()->drag.phase, 0);
    // Out of the strip and back onto it: a drop between the tabs, shown by the marker.
    qel_rect b = d.tab_rect("b");
    d.drag_to("a", b.x + 3, b.y + b.h / 2);
    EXPECT_EQ(d.ds()->drag.phase, 2);
    EXPECT_EQ(d.ds()->drag.before, d.panel("b"));
    EXPECT_TRUE(d.ds()->drag.zone == 1);
    d.rig.h.button(0, false);
    d.rig.h.run(2);
    EXPECT_EQ(d.saved(), "dock1 [*a,b,c]");
}

TEST(DockDrag, DropsIntoTheMiddleAndAtTheSidesOfGroups)
{
    dock_rig d;
    three_panels(d, "dock1 h0.5([*a,b],[*c])");
    qel_vec2 p = d.in_body("c", 0.5f, 0.5f);
    d.drop_at("b", p.x, p.y);
    EXPECT_EQ(d.saved(), "dock1 h0.5([*a],[c,*b])");
    EXPECT_EQ(d.ds()->focus_leaf, d.leaf_of("b"));
    d.run();
    EXPECT_EQ(d.drawn, (std::vector<std::string>{"a", "b"}));

    p = d.in_body("b", 0.5f, 0.95f);
    d.drop_at("c", p.x, p.y);
    EXPECT_EQ(d.saved(), "dock1 h0.5([*a],v0.5([*b],[*c]))") << "the group first, the new one below";
    d.run();
    EXPECT_EQ(d.drawn.size(), 3u);
}

TEST(DockDrag, TheLeftOuterButtonSplitsTheRootAtAQuarter)
{
    dock_rig d(600, 400);
    three_panels(d, "dock1 h0.5([*a,b],[*c])");
    qel_rect r = d.dock_rect();
    d.drag_to("b", r.x + 8 + 14, r.y + r.h / 2);
    EXPECT_EQ(d.ds()->drag.drop_kind, 2);
    EXPECT_EQ(d.ds()->drag.zone, 2);
    d.rig.h.button(0, false);
    d.rig.h.run(2);
    EXPECT_EQ(d.saved(), "dock1 h0.25([*b],h0.5([*a],[*c]))");
}

TEST(DockDrag, EscapeAndALostFocusCancelTheDrag)
{
    dock_rig d;
    three_panels(d, "dock1 h0.5([*a,b],[*c])");
    qel_vec2 p = d.in_body("c", 0.5f, 0.5f);
    d.drag_to("b", p.x, p.y);
    d.rig.h.tap(QEL_KEY_ESCAPE);
    d.rig.h.run();
    EXPECT_EQ(d.ds()->drag.phase, 3);
    d.rig.h.button(0, false);
    d.rig.h.run(2);
    EXPECT_EQ(d.ds()->drag.phase, 0);
    EXPECT_EQ(d.saved(), "dock1 h0.5([a,*b],[*c])") << "the press chose the tab, and nothing else happened";

    d.drag_to("b", p.x, p.y);
    qel_input_focus(d.ctx(), false);
    d.rig.h.run(2);
    EXPECT_EQ(d.ds()->drag.phase, 0);
    EXPECT_EQ(d.saved(), "dock1 h0.5([a,*b],[*c])") << "a release by focus loss drops nothing";
}

TEST(DockDrag, TheOnlyTabOfTheOnlyGroupHasNowhereToGo)
{
    dock_rig d;
    ASSERT_TRUE(d.load("dock1 [a]"));
    d.add("a");
    d.run(3);
    qel_rect r = d.dock_rect();
    d.drag_to("a", r.x + 22, r.y + r.h / 2);
    EXPECT_EQ(d.ds()->drag.drop_kind, 0);
    d.rig.h.button(0, false);
    d.rig.h.run(2);
    EXPECT_EQ(d.saved(), "dock1 [*a]");
}

// 48 groups in a balanced tree use 95 nodes; only three of them show.
static std::string full_pool(int32_t lo, int32_t hi)
{
    if (hi - lo == 1) return "[x" + std::to_string(lo) + "]";
    int32_t mid = (lo + hi) / 2;
    return "h0.5(" + full_pool(lo, mid) + "," + full_pool(mid, hi) + ")";
}

TEST(DockDrag, WithNinetyFiveNodesInUseOnlyCentreDropsWork)
{
    dock_rig d;
    ASSERT_TRUE(d.load(("dock1 " + full_pool(0, 48)).c_str()));
    d.add("x0");
    d.add("x1");
    d.add("x47");
    d.run(3);
    std::string before = d.saved();
    qel_vec2 p = d.in_body("x47", 0.5f, 0.95f);
    d.drop_at("x0", p.x, p.y);
    EXPECT_EQ(d.saved(), before) << "an edge drop needs two free nodes";
    p = d.in_body("x47", 0.5f, 0.5f);
    d.drop_at("x0", p.x, p.y);
    EXPECT_EQ(d.leaf_of("x0"), d.leaf_of("x47"));
}

TEST(DockDrag, EdgeDropsNestNoDeeperThanALayoutTextLoads)
{
    dock_rig d(2000, 500);
    d.opts.min_panel_width = 40;
    std::string layout = "dock1 [";
    for (int32_t i = 0; i < 42; i++) {
        layout += (i ? ",p" : "p") + std::to_string(i);
        d.add(("p" + std::to_string(i)).c_str());
    }
    ASSERT_TRUE(d.load((layout + "]").c_str()));
    d.run(3);
    for (int32_t i = 0; i < 41; i++) {
        qel_rect r = d.dock_rect();
        d.drop_at(("p" + std::to_string(i)).c_str(), r.x + r.w - 22, r.y + r.h / 2);
    }
    qel_dockspace* ds = d.ds();
    int32_t deepest = 0;
    for (int32_t i = 0; i < QEL_DOCK_MAX_NODES; i++) {
        int32_t depth = 0;
        for (int32_t n = i; ds->nodes[i].kind && ds->nodes[n].parent >= 0; n = ds->nodes[n].parent) depth++;
        deepest = std::max(deepest, depth);
    }
    EXPECT_EQ(deepest, 40) << "the last drop offers no target";
    std::string saved = d.saved();
    EXPECT_EQ(d.leaf_of("p40"), d.leaf_of("p41"));
    ASSERT_TRUE(d.load(saved.c_str()));
    EXPECT_EQ(d.saved(), saved);
}
