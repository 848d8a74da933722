// The tree view driven over scripted frames: expanding and collapsing by keys and by the
// expander, a lazy load requested, shown as "Loading" and filled, '*' expanding siblings,
// type-ahead, Down passing over a "Loading" row, clicks selecting into the node flags, the stable
// sort of sibling lists, indentation that stops for deep nodes, broken and cyclic forests that
// still end, and the outline row.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "qel/qel.h"
#include "support/widget_rig.h"

// Node labels and their forest: fruit (apple, banana, cherry) and veg (kale), then nuts, which
// loads its children on request.
struct tree_rig {
    widget_rig rig;
    std::vector<std::string> labels = {"fruit", "apple", "banana", "cherry", "veg", "kale", "nuts"};
    std::vector<qel_tree_view_node> nodes = {
        {-1, 1, 4, 0}, {0, -1, 2, 0}, {0, -1, 3, 0}, {0, -1, -1, 0}, {-1, 5, 6, 0}, {4, -1, -1, 0}, {-1, -1, -1, 1},
    };
    qel_tree_view_options opts = {};
    int32_t cursor = -1;
    std::vector<int32_t> drawn;
    std::vector<int32_t> depths;  // of the rows drawn, then one read after the tree's end
    qel_tree_view_result result = {};
    std::vector<qel_tree_view_result> results;  // their load requests are gone with their frame
    std::vector<int32_t> loads;                  // every request made
    std::vector<qel_data_table_column> columns = {{"Name", 300, 0, 0, 0, 0}, {"Size", 80, 2, 0, 0, 0}};

    explicit tree_rig(float width = 480) : rig(width, 400)
    {
        opts.cursor = &cursor;
        opts.label = [](void* user, int32_t node) { return ((tree_rig*)user)->labels[(size_t)node].c_str(); };
        opts.label_user = this;
        rig.h.ui = [this](qel_context* ctx) { frame(ctx); };
        rig.h.run(2);
    }

    void frame(qel_context* ctx)
    {
        drawn.clear();
        depths.clear();
        qel_tree_view_begin(ctx, "files", columns.data(), (int32_t)columns.size(), nodes.data(), (int32_t)nodes.size(),
                            &opts);
        for (int32_t n; (n = qel_tree_view_next(ctx)) >= 0;) {
            drawn.push_back(n);
            depths.push_back(qel_tree_view_depth(ctx));
            qel_tree_view_row(ctx, labels[(size_t)n].c_str(), nullptr);
            qel_data_table_cell_text(ctx, "1 kB");
        }
        result = qel_tree_view_end(ctx);
        depths.push_back(qel_tree_view_depth(ctx));
        results.push_back(result);
        loads.insert(loads.end(), result.load_requests, result.load_requests + result.load_request_count);
    }

    qel_context* ctx() { return rig.h.ctx; }
    uint32_t id() { return qel_id(ctx(), "files"); }
    uint32_t row(int32_t r) { return qel_hash_bytes(&r, sizeof r, id() ^ PART_ROW); }
    uint32_t expander(int32_t node) { return qel_hash_bytes(&node, sizeof node, id() ^ PART_TREE_EXPANDER); }
    void tap(int32_t key, uint32_t mods = 0)
    {
        rig.h.tap(key, mods);
        rig.h.run();
    }
    void type(const char* text)
    {
        rig.h.type(text);
        rig.h.run();
    }
    void focus() { qel_set_focus(ctx(), id(), true); }
    bool any(bool (*pick)(const qel_tree_view_result&))
    {
        for (const auto& r : results)
            if (pick(r)) return true;
        return false;
    }
    std::vector<int32_t> selected()
    {
        std::vector<int32_t> out;
        for (size_t i = 0; i < nodes.size(); i++)
            if (nodes[i].flags & QEL_TREE_SELECTED) out.push_back((int32_t)i);
        return out;
    }
};

using nodes_t = std::vector<int32_t>;

TEST(TreeView, KeysExpandCollapseAndMoveBetweenParentAndChild)
{
    tree_rig t;
    EXPECT_EQ(t.drawn, (nodes_t{0, 4, 6}));
    t.focus();
    const struct {
        int32_t key;
        nodes_t drawn;
        int32_t cursor;
    } steps[] = {
        {QEL_KEY_RIGHT, {0, 1, 2, 3, 4, 6}, -1},  // expands the first row's node
        {QEL_KEY_RIGHT, {0, 1, 2, 3, 4, 6}, 1},   // into its first child
        {QEL_KEY_DOWN, {0, 1, 2, 3, 4, 6}, 2},
        {QEL_KEY_LEFT, {0, 1, 2, 3, 4, 6}, 0},    // a leaf: to its parent
        {QEL_KEY_LEFT, {0, 4, 6}, 0},             // an expanded node collapses
    };
    for (const auto& s : steps) {
        t.results.clear();
        t.tap(s.key);
        EXPECT_EQ(t.drawn, s.drawn) << "key " << s.key;
        if (s.cursor >= 0) {
            EXPECT_EQ(t.cursor, s.cursor) << "key " << s.key;
            EXPECT_EQ(t.selected(), nodes_t{s.cursor}) << "key " << s.key;
        }
    }
    EXPECT_TRUE(t.any([](const qel_tree_view_result& r) { return r.collapsed == 0; }));
    t.tap(QEL_KEY_ENTER);
    EXPECT_TRUE(t.any([](const qel_tree_view_result& r) { return r.activated == 0; }));
}

TEST(TreeView, ALazyNodeRequestsALoadShowsLoadingAndShowsItsChildrenOnceFilled)
{
    tree_rig t;
    qel_vec2 c = t.rig.centre(t.expander(6));
    t.rig.h.click(c.x, c.y);
    t.rig.h.run();
    EXPECT_EQ(t.loads, nodes_t{6});
    EXPECT_TRUE(t.any([](const qel_tree_view_result& r) { return r.expanded == 6; }));
    EXPECT_EQ(t.nodes[6].flags, (uint32_t)(QEL_TREE_HAS_CHILDREN | QEL_TREE_EXPANDED | QEL_TREE_LOAD_REQUESTED));
    EXPECT_EQ(t.drawn, (nodes_t{0, 4, 6})) << "the Loading row is drawn inside, not handed out";
    EXPECT_NE(node_with_text(t.ctx(), "Loading"), nullptr);
    EXPECT_EQ(qel_focused_id(t.ctx()), t.id()) << "the expander gives the tree the keyboard";

    // Down from nuts onto its Loading row, the last row: the cursor stays on a real row.
    t.cursor = 6;
    t.rig.h.run();
    t.tap(QEL_KEY_DOWN);
    EXPECT_EQ(t.cursor, 6);

    // The caller loads: a child "almond", and the request flag cleared.
    t.labels.push_back("almond");
    t.nodes.push_back({6, -1, -1, 0});
    t.nodes[6].first_child = 7;
    t.nodes[6].flags &= ~(uint32_t)QEL_TREE_LOAD_REQUESTED;
    t.rig.h.run();
    EXPECT_EQ(t.drawn, (nodes_t{0, 4, 6, 7}));
    EXPECT_EQ(node_with_text(t.ctx(), "Loading"), nullptr);
}

TEST(TreeView, DownPassesOverALoadingRowInTheMiddle)
{
    tree_rig t;
    t.nodes[4].first_child = -1;  // veg loses its loaded child and must load again
    t.nodes[4].flags = QEL_TREE_HAS_CHILDREN | QEL_TREE_EXPANDED | QEL_TREE_LOAD_REQUESTED;
    t.cursor = 4;
    t.rig.h.run();
    t.focus();
    t.tap(QEL_KEY_DOWN);
    EXPECT_EQ(t.cursor, 6);
    EXPECT_EQ(t.selected(), nodes_t{6});
    t.tap(QEL_KEY_UP);
    EXPECT_EQ(t.cursor, 4);
}

TEST(TreeView, ASixtyFifthLoadInOneFrameIsRefused)
{
    tree_rig t;
    t.labels.clear();
    t.nodes.clear();
    for (int32_t i = 0; i < 65; i++) {
        t.labels.push_back("lazy " + std::to_string(i));
        t.nodes.push_back({-1, -1, i + 1 < 65 ? i + 1 : -1, QEL_TREE_HAS_CHILDREN});
    }
    t.rig.h.run();
    t.focus();
    t.type("*");
    EXPECT_TRUE(t.any([](const qel_tree_view_result& r) { return r.load_request_count == 64; }));
    EXPECT_EQ(t.nodes[63].flags & QEL_TREE_EXPANDED, QEL_TREE_EXPANDED);
    EXPECT_EQ(t.nodes[64].flags, (uint32_t)QEL_TREE_HAS_CHILDREN) << "the 65th stays collapsed";
}

TEST(TreeView, StarExpandsTheNodeAndAllItsSiblings)
{
    tree_rig t;
    t.focus();
    t.type("*");
    EXPECT_EQ(t.drawn, (nodes_t{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(t.loads, nodes_t{6}) << "nuts loads";
    EXPECT_EQ(t.depths, (nodes_t{0, 1, 1, 1, 0, 1, 0, 0})) << "each row's level, then none outside the tree";
}

TEST(TreeView, TypeAheadFindsLabelsFromTheCursorAndStartsAnewAfterASecond)
{
    tree_rig t;
    t.focus();
    t.type("*");
    const struct {
        const char* text;
        bool pause;
        int32_t cursor;
    } steps[] = {
        {"b", true, 2},   // banana
        {"C", false, 2},  // "bC" matches nothing: the cursor stays
        {"c", true, 3},   // cherry, ignoring case
        {"k", true, 5},   // kale
        {"a", true, 1},   // wraps round to apple
        {"a", true, 1},   // one letter again: starts one row on, wraps back to apple
        {"P", false, 1},  // "ap" from apple itself
    };
    for (const auto& s : steps) {
        if (s.pause) {
            t.rig.h.step = 0.25f;  // the clock's longest step
            t.rig.h.run(5);
            t.rig.h.step = 1.0f / 60.0f;
        }
        t.type(s.text);
        EXPECT_EQ(t.cursor, s.cursor) << s.text;
    }
}

TEST(TreeView, ClicksSelectIntoTheNodeFlagsAndEscapeClearsThem)
{
    tree_rig t;
    t.focus();
    t.type("*");
    t.results.clear();
    qel_vec2 c = t.rig.centre(t.row(2));
    t.rig.h.click(c.x, c.y);
    EXPECT_EQ(t.selected(), nodes_t{2});
    EXPECT_TRUE(t.any([](const qel_tree_view_result& r) { return r.selection_changed != 0; }));
    t.rig.h.key(QEL_KEY_NONE, true, QEL_MOD_CTRL);
    qel_vec2 d = t.rig.centre(t.row(5));
    t.rig.h.click(d.x, d.y);
    t.rig.h.key(QEL_KEY_NONE, false, 0);
    EXPECT_EQ(t.selected(), (nodes_t{2, 5}));
    t.rig.h.click(d.x, d.y);
    t.rig.h.click(d.x, d.y);
    EXPECT_EQ(t.selected(), nodes_t{5});
    EXPECT_TRUE(t.any([](const qel_tree_view_result& r) { return r.activated == 5; })) << "a double-click opens";
    t.tap(QEL_KEY_ESCAPE);
    EXPECT_TRUE(t.selected().empty());
}

static int32_t by_first_letter(void* user, int32_t a, int32_t b)
{
    const auto* labels = (const std::vector<std::string>*)user;
    return (*labels)[(size_t)a][0] - (*labels)[(size_t)b][0];
}

TEST(TreeView, SortingOrdersEverySiblingListAndKeepsEqualSiblingsInOrder)
{
    std::vector<std::string> labels = {"b1", "c", "a", "b2", "b3", "x", "y"};
    // Roots 0, 1, 2, 3, 4; node 1 has children 6, 5.
    std::vector<qel_tree_view_node> nodes = {{-1, -1, 1, 0}, {-1, 6, 2, 0}, {-1, -1, 3, 0}, {-1, -1, 4, 0},
                                             {-1, -1, -1, 0}, {1, -1, -1, 0}, {1, -1, 5, 0}};
    int32_t root = qel_tree_view_sort(nodes.data(), (int32_t)nodes.size(), 0, by_first_letter, &labels);
    std::vector<int32_t> order;
    for (int32_t n = root; n >= 0; n = nodes[(size_t)n].next_sibling) order.push_back(n);
    EXPECT_EQ(order, (nodes_t{2, 0, 3, 4, 1}));
    EXPECT_EQ(nodes[1].first_child, 5);
    EXPECT_EQ(nodes[5].next_sibling, 6);
    EXPECT_EQ(nodes[6].next_sibling, -1);
    EXPECT_EQ(qel_tree_view_sort(nodes.data(), (int32_t)nodes.size(), 9, by_first_letter, &labels), 9);
    EXPECT_EQ(qel_tree_view_sort(nodes.data(), 0, 0, by_first_letter, &labels), 0);
}

TEST(TreeView, BrokenAndCyclicForestsStillEnd)
{
    tree_rig t;
    // A child list that runs in a circle, a parent link out of the array, and a root that is
    // its own child.
    t.nodes = {{-1, 1, 99, QEL_TREE_EXPANDED}, {0, -1, 2, 0}, {70, 0, 1, QEL_TREE_EXPANDED}, {-1, 3, -5, 2}};
    t.labels.resize(4);
    t.opts.label = [](void*, int32_t) -> const char* { return nullptr; };  // reads as empty
    t.rig.h.run();
    EXPECT_LE(t.drawn.size(), 2 * 4 + 2u);
    t.focus();
    t.type("*a");
    t.tap(QEL_KEY_END);
    t.tap(QEL_KEY_LEFT);
    auto cmp = [](void*, int32_t a, int32_t b) { return b - a; };
    qel_tree_view_sort(t.nodes.data(), 4, 0, cmp, nullptr);
    t.opts.root = 3;
    t.rig.h.run();
    SUCCEED() << "every walk ended";
}

TEST(TreeView, AbsurdRowHeightsKeepTheRowsCountable)
{
    for (float height : {1e-30f, 1e30f}) {
        tree_rig t;
        t.opts.row_height = height;
        t.rig.h.run(2);
        EXPECT_FALSE(t.drawn.empty()) << height;
        EXPECT_TRUE(std::isfinite(t.rig.h.rect(t.id()).h)) << height;
    }
}

TEST(TreeView, DeepNodesStopIndentingToKeepRoomForTheLabel)
{
    tree_rig t;  // a column of 300: 300 - 24 - 82 leaves room for 12 levels of 16
    t.nodes.clear();
    t.labels.clear();
    for (int32_t i = 0; i < 15; i++) {
        t.nodes.push_back({i - 1, i + 1 < 15 ? i + 1 : -1, -1, i + 1 < 15 ? (uint32_t)QEL_TREE_EXPANDED : 0u});
        t.labels.push_back("level " + std::to_string(i));
    }
    t.rig.h.run(3);
    qel_rect top = node_with_text(t.ctx(), "level 0")->rect;
    qel_rect twelve = node_with_text(t.ctx(), "level 12")->rect, deep = node_with_text(t.ctx(), "level 14")->rect;
    EXPECT_FLOAT_EQ(twelve.x - top.x, 192);
    EXPECT_FLOAT_EQ(deep.x, twelve.x);
}

TEST(OutlineRow, TogglesItsFlagAndNeverWithoutOne)
{
    widget_rig rig;
    uint8_t open = 0;
    int toggles = 0, null_toggles = 0;
    rig.h.ui = [&](qel_context* ctx) {
        toggles += qel_outline_row(ctx, "Section", 0, true, &open, nullptr);
        null_toggles += qel_outline_row(ctx, "Loose", 1, true, nullptr, nullptr);
    };
    rig.h.run(2);
    qel_vec2 a = rig.centre(qel_id(rig.h.ctx, "Section")), b = rig.centre(qel_id(rig.h.ctx, "Loose"));
    rig.h.click(a.x, a.y);
    EXPECT_EQ(open, 1);
    rig.h.click(b.x, b.y);
    EXPECT_EQ(toggles, 1);
    EXPECT_EQ(null_toggles, 0);
    EXPECT_GT(b.x, a.x) << "a deeper row is indented";
}
