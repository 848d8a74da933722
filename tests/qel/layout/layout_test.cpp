#include "qel/layout.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/core.h"
#include "qel_headless.h"

static qel_size grow(float weight = 1)
{
    return {QEL_SIZE_GROW, weight};
}

static qel_size percent(float p)
{
    return {QEL_SIZE_PERCENT, p};
}

static const qel_size FIT = {QEL_SIZE_FIT, 0};

static void expect_rect(qel_rect r, float x, float y, float w, float h)
{
    EXPECT_NEAR(r.x, x, 0.01f);
    EXPECT_NEAR(r.y, y, 0.01f);
    EXPECT_NEAR(r.w, w, 0.01f);
    EXPECT_NEAR(r.h, h, 0.01f);
}

// A child of a distributed row: its width rule and limits.
struct row_child {
    qel_size width;
    float min_w = 0, max_w = 0;
    float preferred = 0;  // a fit child's preferred width
};

struct distribution_case {
    const char* name;
    float gap;
    std::vector<row_child> children;
    std::vector<float> widths;
};

TEST(Layout, RowDistributesWidths)
{
    const distribution_case cases[] = {
        {"weights share the free room", 0, {{fixed(100)}, {grow(1)}, {grow(2)}}, {100, 66.67f, 133.33f}},
        {"a grow child is frozen at its minimum",
         0,
         {{fixed(100)}, {grow(1), 150}, {grow(2)}},
         {100, 150, 50}},
        {"a grow child is frozen at its maximum", 0, {{grow(1), 0, 50}, {grow(1)}}, {50, 250}},
        {"a weight of zero counts as one", 0, {{grow(0)}, {grow(1)}}, {150, 150}},
        {"percent of the room before gaps", 20, {{percent(50)}, {grow(1)}}, {150, 130}},
        {"fit children shrink toward their floor in proportion",
         0,
         {{fixed(100)}, {FIT, 50, 1e9f, 200}, {FIT, 50, 1e9f, 100}},
         {100, 125, 75}},
        {"fixed children never shrink", 0, {{fixed(250)}, {fixed(100)}}, {250, 100}},
    };
    for (const distribution_case& c : cases) {
        SCOPED_TRACE(c.name);
        qel_headless h;
        h.ui = [&](qel_context* ctx) {
            qel_style row = {};
            row.width = fixed(300);
            row.gap = c.gap;
            qel_row_begin(ctx, &row);
            for (size_t i = 0; i < c.children.size(); i++) {
                const row_child& k = c.children[i];
                qel_node* n = qel_node_at(ctx, qel_node_sized(ctx, 100 + (uint32_t)i, k.width, fixed(10)));
                if (k.min_w > 0) n->min_w = k.min_w;
                if (k.max_w > 0) n->max_w = k.max_w;
                if (k.preferred > 0) qel_node_set_width(n, FIT, k.preferred);
            }
            qel_container_end(ctx);
        };
        h.run();
        for (size_t i = 0; i < c.widths.size(); i++) EXPECT_NEAR(h.rect(100 + (uint32_t)i).w, c.widths[i], 0.01f);
    }
}

TEST(Layout, FitTextsShrinkButNotBelowTheirMinimum)
{
    qel_headless h;
    const char* long_text = "A label far too long for the narrow row it has to live in";
    h.ui = [&](qel_context* ctx) {
        qel_style row = {};
        row.name = "#row";
        row.width = fixed(200);
        qel_row_begin(ctx, &row);
        qel_node_text(ctx, long_text, -1, QEL_FONT_BODY, 14, 0xFF000000, false);
        qel_node_at(ctx, qel_node_text(ctx, long_text, -1, QEL_FONT_BODY, 14, 0xFF000000, false))->id = 7;
        qel_node_sized(ctx, 8, fixed(40), fixed(10));
        qel_container_end(ctx);
    };
    h.run();
    const qel_node* a = qel_node_at(h.ctx, 2);
    const qel_node* b = qel_node_at(h.ctx, 3);
    EXPECT_GT(a->measured_w, 200);
    EXPECT_NEAR(a->rect.w + b->rect.w, 160, 0.02f);
    EXPECT_NEAR(a->rect.w, b->rect.w, 0.01f);
    EXPECT_GE(a->rect.w, a->measured_min_w - 0.01f);
    EXPECT_NEAR(h.rect(8).w, 40, 0.001f);
    EXPECT_NEAR(h.rect(8).x, 160, 0.02f);
}

// The node of the last frame's tree with this id.
static const qel_node* find_node(qel_context* ctx, uint32_t id)
{
    for (int32_t i = 0; i < ctx->tree.count; i++)
        if (ctx->tree.nodes[i].id == id) return &ctx->tree.nodes[i];
    return nullptr;
}

static void tag_last(qel_context* ctx, uint32_t id)
{
    qel_node_at(ctx, ctx->tree.last_opened)->id = id;
}

TEST(Layout, SpacerDividerAndGap)
{
    qel_headless h;
    h.ui = [](qel_context* ctx) {
        qel_style row = {};
        row.width = fixed(400);
        row.height = fixed(30);
        qel_row_begin(ctx, &row);
        qel_node_sized(ctx, 1, fixed(50), fixed(10));
        qel_spacer(ctx);
        qel_node_sized(ctx, 2, fixed(50), fixed(10));
        qel_container_end(ctx);
        qel_style column = {};
        column.width = fixed(300);
        column.padding = 10;
        qel_column_begin(ctx, &column);
        qel_gap(ctx, 12);
        qel_divider(ctx);
        tag_last(ctx, 3);
        qel_container_end(ctx);
    };
    h.run();
    expect_rect(h.rect(1), 0, 10, 50, 10);  // centred in the 30-high row
    expect_rect(h.rect(2), 350, 10, 50, 10);
    expect_rect(h.rect(3), 10, 30 + 10 + 12, 280, 1);
    EXPECT_EQ(find_node(h.ctx, 3)->fill, qel_theme_color(h.ctx, QEL_COLOR_BORDER));
}

TEST(Layout, StyleFieldsAndDefaults)
{
    qel_headless h;
    h.ui = [](qel_context* ctx) {
        qel_style s = {};
        s.name = "#styled";
        s.padding = 8;
        s.padding_left = 20;
        s.radius = 6;
        s.radius_top_left = 2;
        s.fill = qel_color_token(QEL_COLOR_SURFACE);
        qel_container_begin(ctx, &s);
        qel_container_end(ctx);
        qel_style axes = {};
        axes.name = "#axes";
        axes.direction = QEL_DIR_COLUMN;
        axes.padding = 3;
        axes.padding_y = 5;
        axes.border = qel_color_token(QEL_COLOR_ACCENT);
        axes.wrap = 1;  // ignored on a column
        qel_container_begin(ctx, &axes);
        qel_container_end(ctx);
    };
    h.run();
    const qel_node* s = find_node(h.ctx, qel_id(h.ctx, "#styled"));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->pad_top, 8);
    EXPECT_EQ(s->pad_right, 8);
    EXPECT_EQ(s->pad_bottom, 8);
    EXPECT_EQ(s->pad_left, 20);
    EXPECT_EQ(s->radii[0], 2);
    EXPECT_EQ(s->radii[1], 6);
    EXPECT_EQ(s->fill, qel_theme_color(h.ctx, QEL_COLOR_SURFACE));
    EXPECT_EQ(s->border, qel_theme_color(h.ctx, QEL_COLOR_BORDER));  // alpha 0: the theme's border
    EXPECT_EQ(s->max_w, 1e9f);
    EXPECT_EQ(s->opacity, 1.0f);
    const qel_node* a = find_node(h.ctx, qel_id(h.ctx, "#axes"));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->pad_top, 5);
    EXPECT_EQ(a->pad_left, 3);
    EXPECT_EQ(a->border, qel_theme_color(h.ctx, QEL_COLOR_ACCENT));
    EXPECT_FALSE(a->flags & QEL_NODE_WRAP);
}

TEST(Layout, JustifyAndCrossAlignment)
{
    const struct {
        uint32_t justify;
        float x0, x1;
    } cases[] = {
        {QEL_JUSTIFY_START, 0, 50},     {QEL_JUSTIFY_CENTER, 100, 150}, {QEL_JUSTIFY_END, 200, 250},
        {QEL_JUSTIFY_BETWEEN, 0, 250},  {QEL_JUSTIFY_AROUND, 50, 200},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.justify);
        qel_headless h;
        h.ui = [&](qel_context* ctx) {
            qel_style row = {};
            row.width = fixed(300);
            row.height = fixed(40);
            row.justify = c.justify;
            row.align = QEL_ALIGN_END;
            qel_row_begin(ctx, &row);
            qel_node_sized(ctx, 1, fixed(50), fixed(10));
            qel_node_sized(ctx, 2, fixed(50), FIT);
            qel_node_at(ctx, ctx->tree.last_opened)->align_self = QEL_ALIGN_STRETCH;
            qel_container_end(ctx);
        };
        h.run();
        expect_rect(h.rect(1), c.x0, 30, 50, 10);
        expect_rect(h.rect(2), c.x1, 0, 50, 40);
    }
}

TEST(Layout, ColumnsStretchFitChildrenAndPercentHeights)
{
    qel_headless h;
    h.ui = [](qel_context* ctx) {
        qel_style column = {};
        column.width = fixed(300);
        column.height = fixed(400);
        column.padding = 10;
        qel_column_begin(ctx, &column);
        qel_node_sized(ctx, 1, FIT, percent(25));
        qel_node_sized(ctx, 2, fixed(50), grow());
        qel_node_at(ctx, ctx->tree.last_opened)->max_h = 100;
        int32_t own = qel_node_sized(ctx, 3, FIT, fixed(20));
        qel_node_set_width(qel_node_at(ctx, own), FIT, 60);
        qel_container_end(ctx);
    };
    h.run();
    expect_rect(h.rect(1), 10, 10, 280, 95);  // 25 % of the 380 inner height
    expect_rect(h.rect(2), 10, 105, 50, 100);
    expect_rect(h.rect(3), 10, 205, 60, 20);  // keeps its own width
}

TEST(Layout, WrapRowBreaksIntoLines)
{
    qel_headless h;
    h.ui = [](qel_context* ctx) {
        qel_style row = {};
        row.width = fixed(320);
        row.gap = 10;
        row.wrap = 1;
        qel_row_begin(ctx, &row);
        for (uint32_t i = 0; i < 5; i++) qel_node_sized(ctx, 10 + i, fixed(100), fixed(20 + 5.0f * (float)i));
        qel_container_end(ctx);
    };
    h.run();
    expect_rect(h.rect(10), 0, 5, 100, 20);  // centred in its 30-high line
    expect_rect(h.rect(11), 110, 2.5f, 100, 25);
    expect_rect(h.rect(12), 220, 0, 100, 30);
    expect_rect(h.rect(13), 0, 40 + 2.5f, 100, 35);
    expect_rect(h.rect(14), 110, 40, 100, 40);
    for (uint32_t i = 0; i < 5; i++)
        EXPECT_EQ((find_node(h.ctx, 10 + i)->flags & QEL_NODE_LINE_START) != 0, i == 0 || i == 3) << i;
    EXPECT_NEAR(qel_node_at(h.ctx, 1)->rect.h, 30 + 10 + 40, 0.01f);
}

TEST(Layout, GridColumnsFromTheCellWidth)
{
    qel_headless h;
    h.ui = [](qel_context* ctx) {
        qel_style grid = {};
        grid.direction = QEL_DIR_GRID;
        grid.width = fixed(330);
        grid.gap = 10;
        grid.grid_cell_width = 100;
        qel_container_begin(ctx, &grid);
        for (uint32_t i = 0; i < 4; i++) qel_node_sized(ctx, 10 + i, FIT, fixed(i == 1 ? 30.0f : 20.0f));
        qel_container_end(ctx);
    };
    h.run();
    EXPECT_EQ(qel_node_at(h.ctx, 1)->resolved_columns, 3);
    expect_rect(h.rect(10), 0, 0, 103.33f, 20);
    expect_rect(h.rect(12), 226.67f, 0, 103.33f, 20);
    expect_rect(h.rect(13), 0, 40, 103.33f, 20);  // below the first row's tallest
    EXPECT_NEAR(qel_node_at(h.ctx, 1)->rect.h, 30 + 10 + 20, 0.01f);
}

TEST(Layout, StackPlacesEachChildAtTheOrigin)
{
    qel_headless h;
    h.ui = [](qel_context* ctx) {
        qel_style stack = {};
        stack.direction = QEL_DIR_STACK;
        stack.width = fixed(200);
        stack.height = fixed(100);
        stack.align = QEL_ALIGN_END;
        stack.justify = QEL_JUSTIFY_CENTER;
        qel_container_begin(ctx, &stack);
        qel_node_sized(ctx, 1, fixed(40), fixed(20));
        qel_node_sized(ctx, 2, fixed(40), FIT);
        qel_node_at(ctx, ctx->tree.last_opened)->align_self = QEL_ALIGN_STRETCH;
        qel_node_sized(ctx, 3, fixed(40), fixed(20));
        qel_node_at(ctx, ctx->tree.last_opened)->align_self = QEL_ALIGN_CENTER;
        qel_container_end(ctx);
    };
    h.run();
    expect_rect(h.rect(1), 160, 40, 40, 20);
    expect_rect(h.rect(2), 0, 0, 40, 100);
    expect_rect(h.rect(3), 80, 40, 40, 20);
}

TEST(Layout, RightToLeftMirrorsRows)
{
    for (uint8_t mode : {1, 2}) {
        qel_headless h;
        h.ui = [&](qel_context* ctx) {
            qel_style row = {};
            row.width = fixed(300);
            row.direction_mode = mode;
            qel_row_begin(ctx, &row);
            qel_node_sized(ctx, 1, fixed(50), fixed(10));
            qel_node_sized(ctx, 2, fixed(70), fixed(10));
            qel_container_end(ctx);
        };
        h.run();
        EXPECT_EQ(h.rect(1).x, mode == 2 ? 250 : 0);
        EXPECT_EQ(h.rect(2).x, mode == 2 ? 180 : 50);
    }
    qel_config config = {};
    config.root_direction = 2;
    qel_headless h(800, 600, 1, &config);
    h.ui = [](qel_context* ctx) { qel_node_sized(ctx, 1, fixed(50), fixed(10)); };
    h.run();
    EXPECT_EQ(h.rect(1).x, 750);
}

TEST(Layout, WrappedTextTakesLinesOfItsWidth)
{
    qel_headless h;
    h.ui = [](qel_context* ctx) {
        qel_style column = {};
        column.width = fixed(120);
        qel_column_begin(ctx, &column);
        qel_node_text(ctx, "one two three four five six seven eight nine ten", -1, QEL_FONT_BODY, 14, 0xFF000000,
                      true);
        tag_last(ctx, 1);
        qel_container_end(ctx);
    };
    h.run();
    const qel_node* t = find_node(h.ctx, 1);
    ASSERT_GT(t->line_count, 2);
    for (int32_t i = 0; i < t->line_count; i++) EXPECT_LE(t->lines[i].width, 120.5f);
    EXPECT_NEAR(t->rect.h, (float)t->line_count * 14 * 1.45f, 0.01f);
    EXPECT_EQ(t->rect.w, 120);
}

TEST(Layout, FloatingNodesMoveWithTheirParent)
{
    qel_headless h;
    h.ui = [](qel_context* ctx) {
        qel_style box = {};
        box.name = "#box";
        box.width = fixed(100);
        box.height = fixed(100);
        box.padding = 10;
        qel_gap(ctx, 50);
        qel_container_begin(ctx, &box);
        qel_node_floating(ctx, 1, 5, 6, 30, 40);
        qel_node_sized(ctx, 2, fixed(20), fixed(20));
        qel_container_end(ctx);
    };
    h.run();
    expect_rect(h.rect(1), 15, 50 + 16, 30, 40);
    expect_rect(h.rect(2), 10, 60, 20, 20);  // the floating node takes no room
}

TEST(Layout, OverlaysArePlacedAgainstTheirAnchor)
{
    const struct {
        const char* name;
        qel_rect anchor;
        uint8_t placement;
        float w, h;
        float x, y;
    } cases[] = {
        {"below", {100, 100, 80, 20}, QEL_PLACE_BELOW_START, 100, 100, 100, 124},
        {"below, centred", {100, 100, 80, 20}, QEL_PLACE_BELOW_CENTER, 100, 100, 90, 124},
        {"below flips above near the bottom", {100, 560, 80, 20}, QEL_PLACE_BELOW_END, 100, 100, 80, 456},
        {"no room either way: pushed inside", {100, 300, 80, 20}, QEL_PLACE_BELOW_START, 100, 400, 100, 192},
        {"above flips below near the top", {100, 20, 80, 20}, QEL_PLACE_ABOVE_START, 100, 100, 100, 44},
        {"right flips left near the edge", {750, 100, 40, 20}, QEL_PLACE_RIGHT_TOP, 100, 50, 646, 100},
        {"left, centred", {300, 100, 40, 20}, QEL_PLACE_LEFT_CENTER, 100, 50, 196, 85},
        {"left edge clamps to 8", {0, 100, 40, 20}, QEL_PLACE_BELOW_END, 100, 50, 8, 124},
        {"centre of the display", {}, QEL_PLACE_CENTER, 200, 100, 300, 250},
        {"fill", {}, QEL_PLACE_FILL, 50, 50, 0, 0},
        {"unknown placement", {}, 50, 100, 100, 8, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        qel_headless h;
        h.ui = [&](qel_context* ctx) {
            qel_node_floating(ctx, 1, c.anchor.x, c.anchor.y, c.anchor.w, c.anchor.h);
            int32_t o = qel_overlay_begin(ctx, 77, 1001, 1, c.placement, 4);
            qel_node* n = qel_node_at(ctx, o);
            n->width = fixed(c.w);
            n->height = fixed(c.h);
            qel_overlay_end(ctx);
        };
        h.run(2);  // the anchor's rectangle comes from the frame before
        qel_rect r = h.rect(77);
        if (c.placement == QEL_PLACE_FILL) expect_rect(r, 0, 0, 800, 600);
        else expect_rect(r, c.x, c.y, c.w, c.h);
    }
}

TEST(Layout, OverlayTakesNoRoomInItsContainer)
{
    qel_headless h;
    h.ui = [](qel_context* ctx) {
        qel_column_begin(ctx, nullptr);
        qel_row_begin(ctx, nullptr);
        qel_overlay_begin(ctx, 77, 1001, 0, QEL_PLACE_AT, 0);
        qel_node_at(ctx, ctx->tree.last_opened)->x = 500;
        qel_node_sized(ctx, 2, fixed(300), fixed(50));
        qel_overlay_end(ctx);
        qel_node_sized(ctx, 1, fixed(20), fixed(20));
        qel_container_end(ctx);
        qel_container_end(ctx);
    };
    h.run();
    EXPECT_EQ(h.rect(1).x, 0);
    EXPECT_EQ(qel_node_at(h.ctx, 2)->measured_w, 20);  // the row holds only the small node
    expect_rect(h.rect(77), 492, 8, 300, 50);       // kept 8 from the right edge
    expect_rect(h.rect(2), 492, 8, 300, 50);
}

TEST(Layout, DeepNestingIsCountedNotStored)
{
    qel_headless h;
    h.ui = [](qel_context* ctx) {
        for (int i = 0; i < 300; i++) qel_column_begin(ctx, nullptr);
        qel_node_sized(ctx, 1, fixed(10), fixed(10));
        for (int i = 0; i < 300; i++) qel_container_end(ctx);
        EXPECT_EQ(qel_node_parent(ctx), 0);  // back at the root
        qel_node_sized(ctx, 2, fixed(10), fixed(10));
        for (int i = 0; i < 40; i++) qel_overlay_begin(ctx, 100 + (uint32_t)i, 1001, 0, QEL_PLACE_AT, 0);
        for (int i = 0; i < 40; i++) qel_overlay_end(ctx);
        EXPECT_EQ(ctx->tree.current_layer, 0u);
    };
    h.run();
    EXPECT_EQ(h.rect(1).w, 10);
    EXPECT_EQ(h.rect(2).y, 10);
}

TEST(Layout, AnonymousScrollContainersGetStableDistinctIds)
{
    qel_headless h;
    std::vector<uint32_t> ids;
    h.ui = [&](qel_context* ctx) {
        qel_style s = {};
        s.scroll_y = 1;
        ids.push_back(qel_container_begin(ctx, &s));
        qel_container_end(ctx);
        ids.push_back(qel_container_begin(ctx, &s));
        qel_container_end(ctx);
        qel_push_id(ctx, "#scope");
        ids.push_back(qel_container_begin(ctx, &s));
        qel_container_end(ctx);
        qel_pop_id(ctx);
        ids.push_back(qel_container_begin(ctx, nullptr));
        qel_container_end(ctx);
    };
    h.run(2);
    ASSERT_EQ(ids.size(), 8u);
    EXPECT_NE(ids[0], 0u);
    EXPECT_NE(ids[0], ids[1]);
    EXPECT_NE(ids[2], ids[0]);
    EXPECT_EQ(ids[3], 0u);  // anonymous without scrolling
    EXPECT_EQ(std::vector<uint32_t>(ids.begin(), ids.begin() + 4), std::vector<uint32_t>(ids.begin() + 4, ids.end()));
}
