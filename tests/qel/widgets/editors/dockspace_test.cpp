// The dockspace driven over scripted frames: panels placed on their first frames, names and
// titles from labels, closing and reopening by the close box and the caller's flag, the narrow
// one-strip mode, a dockspace too small to build, a name begun twice, split resizing, and a
// loaded layout that leaves out a declared panel.
#include <gtest/gtest.h>

#include <cmath>

#include "dock_rig.h"

TEST(Dockspace, FirstFramesPlaceThePanelsAndDrawOnlyTheSelectedOne)
{
    dock_rig d;
    d.add("A");
    d.add("B");
    d.run();
    EXPECT_TRUE(d.drawn.empty()) << "no panel draws in the first frame";
    EXPECT_EQ(d.saved(), "dock1 [*A]");
    d.run();
    EXPECT_EQ(d.saved(), "dock1 [*A,B]") << "B joins A's group as the second tab";
    d.run();
    EXPECT_EQ(d.drawn, std::vector<std::string>{"A"});
    qel_rect a = d.tab_rect("A"), b = d.tab_rect("B");
    EXPECT_GT(b.x, a.x);
    EXPECT_EQ(a.y, b.y);
    d.rig.h.click(b.x + b.w / 2, b.y + b.h / 2);
    d.run();
    EXPECT_EQ(d.drawn, std::vector<std::string>{"B"});
    EXPECT_EQ(d.saved(), "dock1 [A,*B]");
}

TEST(Dockspace, NamesComeAfterTheMarkerAndAreCutOnCharacterBoundaries)
{
    dock_rig d;
    d.add("Files###left");
    d.add("Files###right");
    std::string long_label = std::string(62, 'x') + "\xc3\xa9tail";  // the 64th byte is inside the e-acute
    d.add(long_label.c_str());
    d.run(3);
    EXPECT_EQ(d.saved(), "dock1 [*left,right," + std::string(62, 'x') + "]");
    EXPECT_STREQ(d.ds()->panels[d.panel("left")].title, "Files###left");
    EXPECT_NE(d.tab("left"), d.tab("right"));
    EXPECT_GT(d.tab_rect("right").w, 0);
}

TEST(Dockspace, TheCloseBoxClosesAndTheFlagReopensInTheOldGroup)
{
    dock_rig d;
    ASSERT_TRUE(d.load("dock1 h0.5([a],[*b,c])"));
    d.add("a");
    d.add("b", true);
    d.add("c", true);
    d.run(3);
    EXPECT_TRUE(d.was_drawn("b"));
    d.rig.click_on(d.tab("b") ^ PART_TAB_CLOSE);
    d.run();
    EXPECT_FALSE(d.panels[1].open) << "the caller's flag is cleared";
    EXPECT_FALSE(d.was_drawn("b"));
    EXPECT_TRUE(d.was_drawn("c")) << "the group shows its other tab";
    EXPECT_EQ(d.saved(), "dock1 h0.5([*a],[-b,*c])");
    d.run(3);
    EXPECT_FALSE(d.was_drawn("b")) << "closed stays closed";
    d.panels[1].open = true;
    d.run(2);
    EXPECT_TRUE(d.was_drawn("b"));
    EXPECT_EQ(d.saved(), "dock1 h0.5([*a],[*b,c])") << "back in its old place, selected";
}

TEST(Dockspace, ANarrowDockspaceShowsEveryPanelInOneStrip)
{
    dock_rig d(400, 300);  // 2 x 120 + 180 > 400
    ASSERT_TRUE(d.load("dock1 h0.5([*a],v0.5([*b],[c]))"));
    d.add("a");
    d.add("b");
    d.add("c");
    d.run(3);
    qel_rect a = d.tab_rect("a", true), b = d.tab_rect("b", true), c = d.tab_rect("c", true);
    ASSERT_GT(a.w, 0);
    EXPECT_EQ(a.y, b.y);
    EXPECT_EQ(b.y, c.y);
    EXPECT_LT(a.x, b.x);
    EXPECT_LT(b.x, c.x);
    EXPECT_EQ(d.drawn, std::vector<std::string>{"a"});
    d.rig.h.click(c.x + c.w / 2, c.y + c.h / 2);
    d.run();
    EXPECT_EQ(d.drawn, std::vector<std::string>{"c"});
    EXPECT_EQ(d.ds()->narrow_panel, d.panel("c"));
    EXPECT_EQ(d.ds()->focus_leaf, d.leaf_of("c"));
    EXPECT_EQ(d.saved(), "dock1 h0.5([*a],v0.5([*b],[*c]))") << "the tree is kept";
}

TEST(Dockspace, MinimumSizesThatAreNoNumbersTakeTheDefaults)
{
    dock_rig d(600, 300);
    d.opts.min_panel_width = INFINITY;
    d.opts.min_panel_height = NAN;
    ASSERT_TRUE(d.load("dock1 h0.5([a],[b])"));
    d.add("a");
    d.add("b");
    d.run(3);
    EXPECT_EQ(d.drawn.size(), 2u) << "not narrow: both groups show";
}

TEST(Dockspace, ATinyDockspaceBuildsNothingAndAsksForNoFrames)
{
    dock_rig d;
    d.add("A");
    d.add("B");
    d.run(3);
    d.opts.width = fixed(10);
    d.run(2);
    EXPECT_TRUE(d.drawn.empty());
    EXPECT_EQ(node_with_id(d.ctx(), d.tab("A")), nullptr);
    EXPECT_FALSE(inspect_redraw_requested(d.ctx()));
    d.opts.width = {};
    d.run(2);
    EXPECT_EQ(d.drawn, std::vector<std::string>{"A"});
}

TEST(Dockspace, ANameBegunTwiceInAFrameDrawsOnce)
{
    dock_rig d;
    d.add("A");
    d.add("A");
    d.run(3);
    EXPECT_EQ(d.drawn, std::vector<std::string>{"A"});
    EXPECT_EQ(d.saved(), "dock1 [*A]");
}

TEST(Dockspace, DraggingTheSplitterStoresARatioWithinTheLeastSizes)
{
    dock_rig d(600, 300);
    ASSERT_TRUE(d.load("dock1 h0.5([a],[b])"));
    d.add("a");
    d.add("b");
    d.run(3);
    qel_rect dock = d.dock_rect();
    qel_rect left = d.leaf_rect(d.leaf_of("a"));
    float x = left.x + left.w + 0.5f, y = dock.y + dock.h / 2;
    d.rig.h.move(x, y);
    d.rig.h.run();
    d.rig.h.button(0, true);
    d.rig.h.run();
    d.rig.h.move(dock.x + 20, y);  // far past the least width of a group
    d.rig.h.run();
    d.rig.h.button(0, false);
    d.rig.h.run();
    float ratio = d.ds()->nodes[d.ds()->root].ratio;
    EXPECT_NEAR(ratio, 120.0f / dock.w, 0.01f);
    EXPECT_GT(d.leaf_rect(d.leaf_of("a")).w, 118.0f);
}

TEST(Dockspace, APanelLeftOutOfALoadedLayoutIsPlacedAgain)
{
    dock_rig d;
    d.add("a");
    d.add("b");
    d.run(3);
    ASSERT_TRUE(d.load("dock1 [a]"));
    EXPECT_EQ(d.leaf_of("b"), -1);
    d.run(3);
    EXPECT_EQ(d.saved(), "dock1 [*a,b]");
}

TEST(Dockspace, TheInitialLayoutIsAppliedOnlyByTheBeginThatCreatesTheDockspace)
{
    dock_rig d;
    d.opts.layout = "dock1 h0.4([a],[b])";
    d.add("a");
    d.add("b");
    d.run(3);
    EXPECT_EQ(d.saved(), "dock1 h0.4([*a],[*b])");
    EXPECT_EQ(d.drawn.size(), 2u);

    dock_rig loaded;
    ASSERT_TRUE(loaded.load("dock1 [b,a]"));
    loaded.opts.layout = "dock1 h0.4([a],[b])";
    loaded.add("a");
    loaded.add("b");
    loaded.run(3);
    EXPECT_EQ(loaded.saved(), "dock1 [*b,a]") << "a layout loaded before the first begin is the one it finds";
}

TEST(Dockspace, TitlesAndIconsAreCutOnCharacterBoundaries)
{
    dock_rig d;
    std::string label = std::string(126, 't') + "\xc3\xa9###p";  // the title's 128th byte is inside the e-acute
    d.add(label.c_str());
    d.panels[0].icon = "\xf0\x9f\x93\x81\xf0\x9f\x93\x82";  // two 4-byte glyphs: only one fits in 7 bytes
    d.run(3);
    const qel_dock_panel& p = d.ds()->panels[d.panel("p")];
    EXPECT_EQ(std::string(p.title), std::string(126, 't'));
    EXPECT_STREQ(p.icon, "\xf0\x9f\x93\x81");
}

TEST(Dockspace, KeyboardShortcutsWorkInTheFocusedGroupOnly)
{
    dock_rig d;
    d.opts.keyboard = 1;
    ASSERT_TRUE(d.load("dock1 h0.5([*a,b],[*c,e])"));
    for (const char* name : {"a", "b", "c", "e"}) d.add(name);
    d.run(3);
    qel_vec2 p = d.in_body("c", 0.5f, 0.5f);
    d.rig.h.click(p.x, p.y);
    EXPECT_EQ(d.ds()->focus_leaf, d.leaf_of("c"));
    d.rig.h.tap(QEL_KEY_TAB, QEL_MOD_CTRL);
    d.run(2);
    EXPECT_EQ(d.saved(), "dock1 h0.5([*a,b],[c,*e])");
    d.opts.keyboard = 0;
    d.rig.h.tap(QEL_KEY_TAB, QEL_MOD_CTRL);
    d.run(2);
    EXPECT_EQ(d.saved(), "dock1 h0.5([*a,b],[c,*e])") << "off without the option";
}
