// The dock layout text: what is accepted and refused, what is written back, cut and measured
// output, the model's tree edits, and a refused text leaving the dockspace as it was.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "qel/qel.h"
#include "support/qel_headless.h"

static std::string saved_layout(qel_context* ctx, const char* name = nullptr)
{
    char buf[4096];
    uint64_t n = qel_dock_layout_save(ctx, name, buf, sizeof buf);
    EXPECT_EQ(n, strlen(buf));
    return buf;
}

struct layout_case {
    const char* text;
    const char* saved;  // null: refused
};

TEST(DockLayout, TextsAreAcceptedOrRefusedAsTheGrammarSays)
{
    const std::string name63(63, 'n'), name64(64, 'n');
    const std::string text63 = "dock1 [" + name63 + "]", text64 = "dock1 [" + name64 + "]";
    const layout_case cases[] = {
        {"dock1 [a]", "dock1 [a]"},
        {"dock1     [a]", "dock1 [a]"},
        {"dock1[a]", nullptr},
        {"dock2 [a]", nullptr},
        {"dock1 ", nullptr},
        {"dock1 [a]\r\n", "dock1 [a]"},
        {"dock1 [a] \t", "dock1 [a]"},
        {"dock1 [a] x", nullptr},
        {"dock1 h0.3(v1(*a,-b),[c])", nullptr},
        {"dock1 h0.3(v1([*a,-b],[c]),[d])", "dock1 h0.3(v0.99([*a,-b],[c]),[d])"},
        {"dock1 h0.1234567([a],[b])", nullptr},
        {"dock1 h0.123456([a],[b])", "dock1 h0.1235([a],[b])"},
        {"dock1 h0.([a],[b])", nullptr},
        {"dock1 h2([a],[b])", nullptr},
        {"dock1 h1.0001([a],[b])", nullptr},
        {"dock1 h1.0([a],[b])", "dock1 h0.99([a],[b])"},
        {"dock1 h0([a],[b])", "dock1 h0.01([a],[b])"},
        {"dock1 v0.05([a],[b])", "dock1 v0.05([a],[b])"},
        {"dock1 h0.5([a], [b])", nullptr},
        {"dock1 []", nullptr},
        {"dock1 [a,]", nullptr},
        {"dock1 [*]", nullptr},
        {"dock1 [a][b]", nullptr},
        {"dock1 [a,a]", nullptr},
        {"dock1 h0.5([a],[a])", nullptr},
        {"dock1 [ab,a\\b]", nullptr},
        {"dock1 [*a,*b]", nullptr},
        {"dock1 h0.5([*a],[*b])", "dock1 h0.5([*a],[*b])"},
        {"dock1 [**x]", "dock1 [*\\*x]"},
        {"dock1 [-*x,*-y]", nullptr},
        {"dock1 [-*x,y]", "dock1 [*-x,y]"},
        {"dock1 [\\-\\-x]", "dock1 [\\--x]"},
        {"dock1 [a\\,b]", "dock1 [a\\,b]"},
        {"dock1 [a\\\tb]", "dock1 [a\\\tb]"},
        {"dock1 [a\tb]", nullptr},
        {"dock1 [a(b]", nullptr},
        {"dock1 [a\\(b]", "dock1 [a\\(b]"},
        {"dock1 [a", nullptr},
        {"dock1 [a\\", nullptr},
        {"dock1 h0.5([a],[b]", nullptr},
        {"dock1 [caf\xc3\xa9 \xe2\x82\xac]", "dock1 [caf\xc3\xa9 \xe2\x82\xac]"},
        {text63.c_str(), text63.c_str()},
        {text64.c_str(), nullptr},
    };
    for (const layout_case& c : cases) {
        qel_headless h;
        EXPECT_EQ(qel_dock_layout_load(h.ctx, nullptr, c.text), c.saved ? 1 : 0) << c.text;
        EXPECT_EQ(saved_layout(h.ctx), c.saved ? c.saved : "") << c.text;
    }
}

// A chain of n splits, each holding a leaf on the left and the rest on the right.
static std::string nested(int32_t splits)
{
    std::string text = "dock1 ";
    for (int32_t i = 0; i < splits; i++) text += "h0.5([p" + std::to_string(i) + "],";
    text += "[last]";
    return text + std::string((size_t)splits, ')');
}

static std::string one_leaf(int32_t names)
{
    std::string text = "dock1 [";
    for (int32_t i = 0; i < names; i++) text += (i ? ",n" : "n") + std::to_string(i);
    return text + "]";
}

// A balanced tree of leaves lo..hi - 1, each holding one name.
static std::string balanced(int32_t lo, int32_t hi)
{
    if (hi - lo == 1) return "[x" + std::to_string(lo) + "]";
    int32_t mid = (lo + hi) / 2;
    return "v0.5(" + balanced(lo, mid) + "," + balanced(mid, hi) + ")";
}

static std::string leaves(int32_t count)
{
    return "dock1 " + balanced(0, count);
}

TEST(DockLayout, LimitsOfDepthNamesAndNodesAreEachPassedByOne)
{
    qel_headless h;
    EXPECT_EQ(qel_dock_layout_load(h.ctx, nullptr, nested(40).c_str()), 1);
    EXPECT_EQ(saved_layout(h.ctx), nested(40));
    EXPECT_EQ(qel_dock_layout_load(h.ctx, nullptr, nested(41).c_str()), 0);
    EXPECT_EQ(qel_dock_layout_load(h.ctx, nullptr, one_leaf(48).c_str()), 1);
    EXPECT_EQ(qel_dock_layout_load(h.ctx, nullptr, one_leaf(49).c_str()), 0);
    EXPECT_EQ(saved_layout(h.ctx), one_leaf(48));
    // 48 leaves take 95 nodes; the node limit is reached through the entry limit first.
    EXPECT_EQ(qel_dock_layout_load(h.ctx, nullptr, leaves(48).c_str()), 1);
    EXPECT_EQ(saved_layout(h.ctx), leaves(48));
    EXPECT_EQ(qel_dock_layout_load(h.ctx, nullptr, leaves(49).c_str()), 0);
}

TEST(DockLayout, SavingCutsMeasuresAndKnowsNoUnsetDockspace)
{
    qel_headless h;
    char buf[16] = "junk";
    EXPECT_EQ(qel_dock_layout_save(h.ctx, nullptr, buf, sizeof buf), 0u);
    EXPECT_STREQ(buf, "") << "a never begun dockspace saves nothing";
    ASSERT_EQ(qel_dock_layout_load(h.ctx, "side", "dock1 h0.25([*a],[-b])"), 1);
    EXPECT_EQ(qel_dock_layout_save(h.ctx, nullptr, buf, sizeof buf), 0u) << "another name is another dockspace";
    EXPECT_EQ(qel_dock_layout_save(h.ctx, "side", buf, 4), 22u);
    EXPECT_STREQ(buf, "doc");
    EXPECT_EQ(qel_dock_layout_save(h.ctx, "side", nullptr, 0), 22u);
    EXPECT_EQ(qel_dock_layout_save(h.ctx, "side", buf, 1), 22u);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(saved_layout(h.ctx, "side"), "dock1 h0.25([*a],[-b])");
    EXPECT_EQ(qel_dock_layout_load(h.ctx, "empty", nullptr), 0);
    EXPECT_EQ(qel_dock_layout_save(h.ctx, "empty", buf, sizeof buf), 0u) << "set up, but empty";
}

TEST(DockLayout, RatiosAreWrittenToFourPlacesAndNeverAsNoNumber)
{
    const struct {
        float ratio;
        const char* text;
    } cases[] = {{0.5f, "0.5"}, {0.25f, "0.25"}, {0.05f, "0.05"}, {0.3333f, "0.3333"}, {0.12345f, "0.1235"},
                 {-1.0f, "0"}, {0.00001f, "0"}, {0.99999f, "1"}, {2.0f, "1"}, {NAN, "0.5"}, {INFINITY, "1"}};
    qel_headless h;
    ASSERT_EQ(qel_dock_layout_load(h.ctx, nullptr, "dock1 h0.5([a],[b])"), 1);
    qel_dockspace* ds = qel_dockspace_get(h.ctx, nullptr, nullptr);
    for (const auto& c : cases) {
        ds->nodes[ds->root].ratio = c.ratio;
        EXPECT_EQ(saved_layout(h.ctx), std::string("dock1 h") + c.text + "([a],[b])") << c.ratio;
        EXPECT_EQ(qel_dock_layout_load(h.ctx, nullptr, saved_layout(h.ctx).c_str()), 1);
    }
}

TEST(DockLayout, NamesAreEscapedWhereTheGrammarNeeds)
{
    qel_headless h;
    qel_dockspace* ds = qel_dockspace_get(h.ctx, nullptr, nullptr);
    const char* names[] = {"-x", "a,b", "t\tb", "*y", "m-*", "(\\)"};
    int32_t leaf = qel_dock_node_alloc(ds, QEL_DOCK_LEAF);
    ds->root = leaf;
    for (const char* name : names) qel_dock_panel_insert(ds, qel_dock_panel_alloc(ds, name), leaf, -1);
    ds->panels[0].declared = 1;  // declared and not open: closed
    EXPECT_EQ(saved_layout(h.ctx), "dock1 [-\\-x,a\\,b,t\\\tb,\\*y,m-*,\\(\\\\\\)]");
    EXPECT_EQ(qel_dock_layout_load(h.ctx, nullptr, saved_layout(h.ctx).c_str()), 1);
    for (int32_t i = 0; i < 6; i++) EXPECT_EQ(qel_dock_panel_find(ds, names[i]), i) << "slots are kept by name";
}

TEST(DockLayout, ARefusedTextLeavesTheDockspaceAsItWas)
{
    qel_headless h;
    ASSERT_EQ(qel_dock_layout_load(h.ctx, nullptr, "dock1 v0.4([*a,b],[c])"), 1);
    qel_dockspace* ds = qel_dockspace_get(h.ctx, nullptr, nullptr);
    ds->drag.phase = 2;
    ds->panels[qel_dock_panel_find(ds, "a")].declared = 1;
    std::string before((const char*)ds, sizeof *ds);
    EXPECT_EQ(qel_dock_layout_load(h.ctx, nullptr, "dock1 v0.4([*a,b],[c,d,e,a])"), 0);
    EXPECT_EQ(before, std::string((const char*)ds, sizeof *ds));
    EXPECT_EQ(qel_dock_layout_load(h.ctx, nullptr, "dock1 [c]"), 1);
    EXPECT_EQ(ds->drag.phase, 3) << "a load during a drag cancels it";
    EXPECT_EQ(ds->layout_generation, 2);
    EXPECT_EQ(ds->panels[qel_dock_panel_find(ds, "a")].node, -1) << "a declared panel is kept without a leaf";
    EXPECT_EQ(qel_dock_panel_find(ds, "b"), -1) << "one never declared is released";
}

TEST(DockLayout, ALoadReleasesUndeclaredPanelsFirstAndResetsIndices)
{
    qel_headless h;
    ASSERT_EQ(qel_dock_layout_load(h.ctx, nullptr, one_leaf(48).c_str()), 1);
    qel_dockspace* ds = qel_dockspace_get(h.ctx, nullptr, nullptr);
    for (int32_t i = 0; i < 48; i += 2) ds->panels[i].declared = 1;
    ds->narrow_panel = ds->focus_panel = ds->focus_leaf = 3;
    ASSERT_EQ(qel_dock_layout_load(h.ctx, nullptr, "dock1 [new1,n0,new2]"), 1);
    EXPECT_EQ(ds->narrow_panel, -1);
    EXPECT_EQ(ds->focus_panel, -1);
    EXPECT_EQ(ds->focus_leaf, -1);
    EXPECT_EQ(qel_dock_panel_find(ds, "n2"), 2) << "a declared panel keeps its slot while there is room";
    EXPECT_EQ(qel_dock_panel_find(ds, "n1"), -1) << "undeclared panels outside the text are released";
    EXPECT_EQ(qel_dock_panel_find(ds, "new1"), 1);
    // With every slot declared, declared panels outside the text give way in slot order.
    ASSERT_EQ(qel_dock_layout_load(h.ctx, nullptr, one_leaf(48).c_str()), 1);
    for (qel_dock_panel& p : ds->panels) p.declared = 1;
    ASSERT_EQ(qel_dock_layout_load(h.ctx, nullptr, "dock1 [n5,x,y]"), 1);
    EXPECT_EQ(qel_dock_panel_find(ds, "x"), 0);
    EXPECT_EQ(qel_dock_panel_find(ds, "y"), 1);
    EXPECT_EQ(qel_dock_panel_find(ds, "n2"), 2);
}

TEST(DockLayout, DetachingTheLastTabRemovesTheLeafAndLiftsItsSibling)
{
    qel_headless h;
    ASSERT_EQ(qel_dock_layout_load(h.ctx, nullptr, "dock1 h0.3([a],v0.6([*b,c],[d]))"), 1);
    qel_dockspace* ds = qel_dockspace_get(h.ctx, nullptr, nullptr);
    qel_dock_panel_detach(ds, qel_dock_panel_find(ds, "d"));
    EXPECT_EQ(saved_layout(h.ctx), "dock1 h0.3([a],[*b,c])");
    qel_dock_panel_detach(ds, qel_dock_panel_find(ds, "b"));
    EXPECT_EQ(saved_layout(h.ctx), "dock1 h0.3([a],[c])") << "the active tab left";
    qel_dock_panel_insert(ds, qel_dock_panel_find(ds, "b"), ds->panels[qel_dock_panel_find(ds, "c")].node,
                          qel_dock_panel_find(ds, "c"));
    EXPECT_EQ(saved_layout(h.ctx), "dock1 h0.3([a],[b,c])");
    qel_dock_panel_detach(ds, qel_dock_panel_find(ds, "a"));
    EXPECT_EQ(saved_layout(h.ctx), "dock1 [b,c]");
    EXPECT_EQ(ds->nodes[ds->root].parent, -1);
    qel_dock_panel_detach(ds, qel_dock_panel_find(ds, "b"));
    qel_dock_panel_detach(ds, qel_dock_panel_find(ds, "c"));
    EXPECT_EQ(ds->root, -1);
    EXPECT_EQ(qel_dock_layout_save(h.ctx, nullptr, nullptr, 0), 0u);
}
