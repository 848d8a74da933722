// Collapsing headers and tree nodes driven over scripted frames: opening and closing by click and
// by key, the closing body that is shown but does not react, the body clipped to its animated
// height once it is known, dividers between headers, nesting that stays balanced, and tree nodes
// that open only as branches with a flag, indent their children and move by the arrow keys only
// while their focus ring shows.
#include <gtest/gtest.h>

#include <cmath>

#include "qel/icons.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

static uint32_t header_id(qel_context* ctx, const char* label)
{
    return qel_id(ctx, label) ^ PART_COLLAPSING_HEADER;
}

static uint32_t tree_id(qel_context* ctx, const char* label)
{
    return qel_id(ctx, label) ^ PART_TREE_NODE;
}

// One header "Details" whose body holds a text and a button.
struct header_rig {
    widget_rig rig;
    bool open = false;
    bool built = false, body_disabled = false, button_clicked = false;

    explicit header_rig(bool reduced_motion = true) : rig(400, 300, QEL_THEME_LIGHT, reduced_motion)
    {
        rig.h.ui = [this](qel_context* ctx) {
            built = qel_collapsing_header(ctx, "Details", &open);
            button_clicked = false;
            if (built) {
                body_disabled = qel_is_disabled(ctx);
                qel_text_ex(ctx, "Body text", nullptr);
                button_clicked = qel_button(ctx, "Inside", nullptr);
                qel_collapsing_header_end(ctx);
            }
        };
        rig.h.run(2);
    }
    void click_header()
    {
        qel_vec2 c = rig.centre(header_id(rig.h.ctx, "Details"));
        rig.h.click(c.x, c.y);
    }
};

TEST(CollapsingHeader, AClickOpensAndClosesTheBody)
{
    header_rig r;
    EXPECT_FALSE(r.built);
    EXPECT_EQ(node_with_text(r.rig.h.ctx, "Body text"), nullptr) << "a settled closed header adds no body";
    r.click_header();
    EXPECT_TRUE(r.open);
    EXPECT_TRUE(r.built);
    EXPECT_FALSE(r.body_disabled);
    ASSERT_NE(node_with_text(r.rig.h.ctx, "Body text"), nullptr);
    EXPECT_EQ(qel_cursor(qel_requested_cursor(r.rig.h.ctx)), QEL_CURSOR_HAND);
    r.click_header();
    EXPECT_FALSE(r.open);
    EXPECT_FALSE(r.built);
    EXPECT_EQ(node_with_text(r.rig.h.ctx, "Body text"), nullptr);
    EXPECT_FALSE(qel_is_disabled(r.rig.h.ctx));
}

TEST(CollapsingHeader, EnterOnTheFocusedHeaderToggles)
{
    header_rig r;
    r.rig.h.tap(QEL_KEY_TAB);
    EXPECT_EQ(qel_focused_id(r.rig.h.ctx), header_id(r.rig.h.ctx, "Details"));
    EXPECT_NE(node_with_draw(r.rig.h.ctx, qel_focus_ring_full_draw), nullptr);
    r.rig.h.tap(QEL_KEY_ENTER);
    EXPECT_TRUE(r.open);
}

TEST(CollapsingHeader, TheClosingBodyIsShownButDoesNotReact)
{
    header_rig r(false);
    r.open = true;
    r.rig.h.run(40);
    r.click_header();
    EXPECT_FALSE(r.open);
    ASSERT_TRUE(r.built) << "still closing";
    EXPECT_TRUE(r.body_disabled);
    EXPECT_FALSE(qel_is_disabled(r.rig.h.ctx)) << "the end call pops the scope";
    int frames = 0;
    while (r.built && frames < 120) {
        r.rig.h.run();
        frames++;
    }
    EXPECT_FALSE(r.built);
    EXPECT_GT(frames, 3) << "the body fades out over several frames";
}

TEST(CollapsingHeader, TheBodyIsClippedToItsAnimatedHeightOnceKnown)
{
    header_rig r(false);
    r.click_header();
    qel_context* ctx = r.rig.h.ctx;
    uint32_t body = qel_id(ctx, "Details") ^ PART_COLLAPSING_BODY;
    const qel_node* b = node_with_id(ctx, body);
    ASSERT_NE(b, nullptr);
    const qel_node* clip = inspect_node(ctx, b->parent);
    EXPECT_TRUE(clip->flags & QEL_NODE_CLIP);
    float full = r.rig.h.rect(body).h;
    ASSERT_GT(full, 0);
    r.rig.h.run();
    b = node_with_id(ctx, body);
    clip = inspect_node(ctx, b->parent);
    ASSERT_EQ(clip->height.kind, uint32_t(QEL_SIZE_FIXED));
    EXPECT_GT(clip->height.value, 0);
    EXPECT_LT(clip->height.value, full);
    EXPECT_NEAR(clip->opacity, 0.25f + 0.75f * clip->height.value / full, 1e-3f);
    r.rig.h.run(60);
    b = node_with_id(ctx, body);
    clip = inspect_node(ctx, b->parent);
    EXPECT_NE(clip->height.kind, uint32_t(QEL_SIZE_FIXED)) << "settled open: no limit";
    EXPECT_FLOAT_EQ(clip->opacity, 1.0f);
}

TEST(CollapsingHeader, HeadersAfterTheFirstDrawADividerAndNestBalanced)
{
    widget_rig rig;
    bool outer = true, inner = true, second = false;
    bool disabled_after = true;
    int32_t depth_after = -1;
    rig.h.ui = [&](qel_context* ctx) {
        if (qel_collapsing_header(ctx, "Outer", &outer)) {
            if (qel_collapsing_header(ctx, "Inner", &inner)) {
                qel_text_ex(ctx, "Deep", nullptr);
                qel_collapsing_header_end(ctx);
            }
            qel_collapsing_header_end(ctx);
        }
        if (qel_collapsing_header(ctx, "Second", &second)) qel_collapsing_header_end(ctx);
        disabled_after = qel_is_disabled(ctx);
        depth_after = inspect_open_parents(ctx);
    };
    rig.h.run(2);
    EXPECT_FALSE(disabled_after);
    EXPECT_EQ(depth_after, 1) << "only the root is open";
    qel_context* ctx = rig.h.ctx;
    auto wrapper_of = [&](const char* label) {
        const qel_node* row = node_with_id(ctx, header_id(ctx, label));
        return inspect_node(ctx, row->parent);
    };
    const qel_node* first = wrapper_of("Outer");
    EXPECT_EQ(inspect_node(ctx, first->first_child)->id, header_id(ctx, "Outer")) << "no divider above the first";
    const qel_node* later = wrapper_of("Second");
    const qel_node& line = *inspect_node(ctx, later->first_child);
    EXPECT_EQ(line.height.kind, uint32_t(QEL_SIZE_FIXED));
    EXPECT_EQ(line.height.value, 1);
    EXPECT_EQ(line.fill, qel_theme_color(ctx, QEL_COLOR_BORDER_SUBTLE));
    EXPECT_NE(node_with_text(ctx, "Deep"), nullptr);
    EXPECT_EQ(inspect_open_scopes(ctx), 0);
}

TEST(CollapsingHeader, NestingPastCapacityStaysBalanced)
{
    widget_rig rig;
    bool open = true;
    bool disabled_after = true;
    rig.h.ui = [&](qel_context* ctx) {
        for (int i = 0; i < 40; i++) {
            qel_push_id_int(ctx, i);
            qel_collapsing_header(ctx, "Level", &open);
        }
        for (int i = 0; i < 40; i++) {
            qel_collapsing_header_end(ctx);
            qel_pop_id(ctx);
        }
        disabled_after = qel_is_disabled(ctx);
    };
    rig.h.run(2);
    EXPECT_FALSE(disabled_after);
    EXPECT_EQ(inspect_open_scopes(rig.h.ctx), 0);
}

TEST(Chevron, PointsWhereItsAngleSays)
{
    widget_rig rig(100, 100);
    float angle = 0;
    rig.h.ui = [&](qel_context* ctx) { qel_chevron_icon(ctx, angle, 16, 0xFF000000u); };
    const struct {
        float angle;
        bool tip_below, tip_right;
    } cases[] = {{0, true, false}, {-3.14159265f / 2, false, true}, {3.14159265f, false, false}};
    for (const auto& c : cases) {
        angle = c.angle;
        rig.h.run();
        const qel_node* n = node_with_draw(rig.h.ctx, qel_chevron_draw);
        ASSERT_NE(n, nullptr);
        EXPECT_EQ(n->rect.w, 16);
        picture p = rig.shot();
        float cx = n->rect.x + 8, cy = n->rect.y + 8;
        // Ink at the tip's side of the centre and none opposite it.
        auto ink = [&](float x, float y) { return p.rgba[((size_t)y * p.width + (size_t)x) * 4] < 128; };
        float dx = c.tip_right ? 2.8f : 0, dy = c.tip_right ? 0 : (c.tip_below ? 2.8f : -2.8f);
        EXPECT_TRUE(ink(cx + dx, cy + dy)) << c.angle;
        EXPECT_FALSE(ink(cx - dx, cy - dy)) << c.angle;
    }
}

// --- Tree nodes ---

// A small tree: "Labels" (branch) holding "Prices" (branch) holding a leaf, and a leaf at the top.
struct tree_rig {
    widget_rig rig;
    bool labels = false, prices = false;
    bool leaf_open = true;
    bool labels_built = false, prices_built = false, leaf_built = false;
    uint8_t leaf_clicked = 0;

    tree_rig() : rig(400, 300)
    {
        rig.h.ui = [this](qel_context* ctx) {
            labels_built = qel_tree_node(ctx, "Labels", &labels, nullptr);
            if (labels_built) {
                prices_built = qel_tree_node(ctx, "Prices", &prices, nullptr);
                if (prices_built) {
                    qel_tree_node_opts leaf = {};
                    leaf.leaf = 1;
                    qel_tree_node(ctx, "tea.csv", nullptr, &leaf);
                    qel_tree_node_end(ctx);
                }
                qel_tree_node_end(ctx);
            }
            qel_tree_node_opts leaf = {};
            leaf.leaf = 1;
            leaf_built = qel_tree_node(ctx, "readme", &leaf_open, &leaf);
            leaf_clicked = qel_tree_node_clicked(ctx);
        };
        rig.h.run(2);
    }
    void click(uint32_t id)
    {
        qel_vec2 c = rig.centre(id);
        rig.h.click(c.x, c.y);
    }
};

TEST(TreeNode, ABranchOpensByClickAndIndentsItsChildren)
{
    tree_rig t;
    qel_context* ctx = t.rig.h.ctx;
    EXPECT_FALSE(t.labels_built);
    uint32_t labels = tree_id(ctx, "Labels");
    t.click(labels);
    EXPECT_TRUE(t.labels);
    EXPECT_TRUE(t.labels_built);
    qel_push_id(ctx, "Labels");
    uint32_t prices = tree_id(ctx, "Prices");
    qel_pop_id(ctx);
    ASSERT_NE(node_with_id(ctx, prices), nullptr) << "children are built under the label's scope";
    t.click(prices);
    EXPECT_TRUE(t.prices_built);
    EXPECT_EQ(node_with_id(ctx, labels)->pad_left, 6);
    EXPECT_EQ(node_with_id(ctx, prices)->pad_left, 22);
    EXPECT_NE(node_with_text(ctx, "tea.csv"), nullptr);
    const qel_node* leaf = node_with_text(ctx, "tea.csv");
    EXPECT_EQ(inspect_node(ctx, leaf->parent)->pad_left, 38);
    EXPECT_EQ(inspect_open_scopes(ctx), 0);
    EXPECT_EQ(qel_last_item_id(ctx), tree_id(ctx, "readme"));
    // The icons: an open branch, a closed one and a file.
    EXPECT_NE(node_with_text(ctx, QEL_ICON_FOLDER_OPEN), nullptr);
    EXPECT_NE(node_with_text(ctx, QEL_ICON_FILE), nullptr);
    t.click(labels);
    EXPECT_FALSE(t.labels_built);
    EXPECT_EQ(node_with_id(ctx, prices), nullptr);
    EXPECT_NE(node_with_text(ctx, QEL_ICON_FOLDER), nullptr);
}

TEST(TreeNode, LeavesAndNodesWithoutAFlagNeverOpenButReportTheirClick)
{
    tree_rig t;
    uint32_t leaf = tree_id(t.rig.h.ctx, "readme");
    qel_vec2 c = t.rig.centre(leaf);
    t.rig.h.move(c.x, c.y);
    t.rig.h.run();
    t.rig.h.button(0, true);
    t.rig.h.run();
    t.rig.h.button(0, false);
    t.rig.h.run();
    EXPECT_EQ(t.leaf_clicked, 1);
    EXPECT_FALSE(t.leaf_built);
    EXPECT_TRUE(t.leaf_open) << "a leaf leaves the caller's flag alone";
    t.rig.h.run();
    EXPECT_EQ(t.leaf_clicked, 0);

    widget_rig rig;
    bool built = true;
    uint8_t clicked = 0;
    rig.h.ui = [&](qel_context* ctx) {
        built = qel_tree_node(ctx, "Loose", nullptr, nullptr);
        clicked = qel_tree_node_clicked(ctx);
    };
    rig.h.run(2);
    c = rig.centre(tree_id(rig.h.ctx, "Loose"));
    rig.h.move(c.x, c.y);
    rig.h.run();
    rig.h.button(0, true);
    rig.h.run();
    rig.h.button(0, false);
    rig.h.run();
    EXPECT_EQ(clicked, 1);
    EXPECT_FALSE(built);
}

TEST(TreeNode, ArrowKeysOpenAndCloseOnlyWhileTheRingShows)
{
    tree_rig t;
    qel_context* ctx = t.rig.h.ctx;
    uint32_t labels = tree_id(ctx, "Labels");
    t.click(labels);  // opens it and focuses it without a ring
    ASSERT_TRUE(t.labels);
    t.labels = false;
    t.rig.h.run();
    EXPECT_EQ(qel_focused_id(ctx), labels);
    // Right also makes the ring visible, but only from the next frame on.
    t.rig.h.tap(QEL_KEY_RIGHT);
    t.rig.h.run();
    EXPECT_TRUE(inspect_focus_visible(ctx));
    t.rig.h.tap(QEL_KEY_RIGHT);
    EXPECT_TRUE(t.labels);
    EXPECT_NE(node_with_draw(ctx, qel_focus_ring_full_draw), nullptr);
    t.rig.h.tap(QEL_KEY_LEFT);
    EXPECT_FALSE(t.labels);
    // Tab walks the rows like any focusable items.
    t.rig.h.tap(QEL_KEY_TAB);
    EXPECT_EQ(qel_focused_id(ctx), tree_id(ctx, "readme"));
}

TEST(TreeNode, SelectedRowsAndOwnIconsShow)
{
    widget_rig rig;
    rig.h.ui = [](qel_context* ctx) {
        qel_tree_node_opts o = {};
        o.selected = 1;
        o.icon = QEL_ICON_ARROW_LEFT;
        bool open = false;
        qel_tree_node(ctx, "Chosen", &open, &o);
    };
    rig.h.run(2);
    qel_context* ctx = rig.h.ctx;
    const qel_node* row = node_with_id(ctx, tree_id(ctx, "Chosen"));
    EXPECT_EQ(row->fill, qel_theme_color(ctx, QEL_COLOR_ACTIVE));
    EXPECT_EQ(row->height.value, 30);
    const qel_node* icon = node_with_text(ctx, QEL_ICON_ARROW_LEFT);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->text_color, qel_theme_color(ctx, QEL_COLOR_TEXT));
    EXPECT_EQ(node_with_text(ctx, "Chosen")->font, uint32_t(QEL_FONT_MEDIUM));
}
