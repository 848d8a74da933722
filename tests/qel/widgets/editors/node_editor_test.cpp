// The node editor's canvas as users drive it: node geometry and the link curve, the view written
// back (zoom about the pointer, fit, keys, minimap, sound values for unsound ones), selection by
// click, box and keys, Delete through the queues, and gestures whose pointer leaves the window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "node_editor_rig.h"
#include "widgets/editors/node_editor_parts.h"

static const float NOT_A_NUMBER = std::numeric_limits<float>::quiet_NaN();
static const float ENDLESS = std::numeric_limits<float>::infinity();

// --- Geometry ---

TEST(NodeEditorGeometry, NodesAreAsHighAsTheirRows)
{
    editor_rig e;
    e.nodes = two_nodes();
    e.nodes.push_back({3, 40, 300, {}});
    e.settle();
    EXPECT_FLOAT_EQ(e.node_rect(3).h, 36);
    EXPECT_FLOAT_EQ(e.node_rect(1).h, 100);
    EXPECT_FLOAT_EQ(e.node_rect(1).w, 184);
    e.view.zoom = 1.5f;
    e.settle();
    EXPECT_FLOAT_EQ(e.node_rect(1).h, 150);
    EXPECT_FLOAT_EQ(e.node_rect(2).h, (40 + 3 * 26 + 8) * 1.5f);
    e.nodes[2].block = true;  // a 24-unit block: 3 + 24 + 6 below the first row
    e.settle(3);
    EXPECT_FLOAT_EQ(e.node_rect(3).h, (40 + 24 + 6 + 8) * 1.5f);
}

TEST(NodeEditorGeometry, LinkCurvesHoldTheirPointCounts)
{
    qel_vec2 points[QEL_NODE_EDITOR_CURVE_MAX];
    struct {
        qel_vec2 to;
        int32_t count;
    } cases[] = {
        {{10, 0}, 13},                  // short
        {{5000, 3000}, 96},             // long
        {{1e30f, 1e30f}, 96},           // beyond any integer
        {{ENDLESS, 0}, 96},
        {{NOT_A_NUMBER, 0}, 13},
        {{100, 0}, 40 + 1},             // (2 * 50 + 100) / 5
    };
    for (const auto& c : cases) EXPECT_EQ(qel_node_editor_curve({0, 0}, c.to, 1, points), c.count) << c.to.x;
    int32_t n = qel_node_editor_curve({0, 0}, {300, 80}, 1, points);
    EXPECT_FLOAT_EQ(points[0].x, 0);
    EXPECT_FLOAT_EQ(points[n - 1].x, 300);
    EXPECT_FLOAT_EQ(points[n - 1].y, 80);
}

// The rightmost x of the cubic through the four x values, sampled finely: an oracle apart from
// the editor's own point count.
static float bezier_rightmost(float x0, float x1, float x2, float x3)
{
    float best = x0;
    for (int i = 0; i <= 10000; i++) {
        float t = (float)i / 10000, u = 1 - t;
        best = std::max(best, u * u * u * x0 + 3 * u * u * t * x1 + 3 * u * t * t * x2 + t * t * t * x3);
    }
    return best;
}

TEST(NodeEditorGeometry, AnInputLeftOfItsOutputBowsOutByAtMost160TimesTheZoom)
{
    qel_vec2 points[QEL_NODE_EDITOR_CURVE_MAX];
    for (float zoom : {0.5f, 1.0f, 2.0f}) {
        for (float dy : {40.0f, 400.0f, 4000.0f}) {
            int32_t n = qel_node_editor_curve({500, 0}, {480, dy}, zoom, points);
            float reach = 0;
            for (int32_t i = 0; i < n; i++) reach = std::max(reach, points[i].x - 500);
            float length = std::hypot(20.0f, dy);
            float k = std::max(std::max(10.0f, std::min(40 * zoom, length / 2)), std::min(dy / 4 + 10, 160 * zoom));
            EXPECT_NEAR(reach, bezier_rightmost(500, 500 + k, 480 - k, 480) - 500, 0.5f) << zoom << " " << dy;
            EXPECT_GT(reach, 0) << "it leaves the output to the right";
            EXPECT_LE(reach, 160 * zoom);
        }
        int32_t n = qel_node_editor_curve({500, 0}, {480, 1e6f}, zoom, points);
        float reach = 0;
        for (int32_t i = 0; i < n; i++) reach = std::max(reach, points[i].x - 500);
        EXPECT_NEAR(reach, bezier_rightmost(500, 500 + 160 * zoom, 480 - 160 * zoom, 480) - 500, 0.5f)
            << "a long link reaches the whole 160 x zoom";
    }
}

// --- The view ---

TEST(NodeEditorView, ZoomAboutThePointerKeepsTheCanvasPointUnderIt)
{
    editor_rig e;
    e.nodes = two_nodes();
    e.settle();
    qel_rect c = e.canvas();
    qel_vec2 p = {c.x + 310, c.y + 170};
    e.move(p);
    e.settle();
    for (float step : {1.0f, 1.0f, 2.5f, -1.0f, -4.0f, -9.0f, 3.0f, 20.0f, -0.3f}) {
        float zoom = e.view.zoom;
        float cx = (p.x - c.x - e.view.pan_x) / zoom, cy = (p.y - c.y - e.view.pan_y) / zoom;
        e.rig.h.wheel(0, step);
        e.settle(1);
        EXPECT_FLOAT_EQ(e.view.zoom, std::clamp(zoom * std::pow(1.12f, step), 0.25f, 2.0f));
        EXPECT_NEAR((p.x - c.x - e.view.pan_x) / e.view.zoom, cx, 1e-3f) << step;
        EXPECT_NEAR((p.y - c.y - e.view.pan_y) / e.view.zoom, cy, 1e-3f) << step;
    }
    float pan = e.view.pan_x;
    e.rig.h.wheel(2, 0);
    e.settle(1);
    EXPECT_FLOAT_EQ(e.view.pan_x, pan + 80);
}

TEST(NodeEditorView, UnsoundViewsAndOptionsAreWrittenBackSound)
{
    editor_rig e;
    struct {
        qel_node_editor_view view;
        float min_zoom, max_zoom;
        qel_node_editor_view expected;
    } cases[] = {
        {{5, 6, 0}, 0, 0, {5, 6, 1}},
        {{5, 6, -3}, 0, 0, {5, 6, 1}},
        {{5, 6, NOT_A_NUMBER}, 0, 0, {5, 6, 1}},
        {{5, 6, ENDLESS}, 0, 0, {5, 6, 1}},
        {{5, 6, 9}, 0, 0, {5, 6, 2}},                   // maximum 0 gives 2
        {{5, 6, 0}, 1.5f, 0, {5, 6, 1.5f}},             // 1 held to the range 1.5 .. 2
        {{5, 6, 0}, 3, 0, {5, 6, 3}},                   // the maximum follows a minimum above 2
        {{5, 6, 0.1f}, NOT_A_NUMBER, ENDLESS, {5, 6, 0.25f}},
        {{NOT_A_NUMBER, -ENDLESS, 1}, 0, 0, {0, 0, 1}},
        {{1e30f, -1e30f, 1}, 0, 0, {1e30f, -1e30f, 1}},  // far, but finite: kept, and the grid ends
    };
    for (const auto& c : cases) {
        e.view = c.view;
        e.opts.min_zoom = c.min_zoom;
        e.opts.max_zoom = c.max_zoom;
        e.settle(1);
        EXPECT_FLOAT_EQ(e.view.zoom, c.expected.zoom) << c.view.zoom;
        EXPECT_FLOAT_EQ(e.view.pan_x, c.expected.pan_x) << c.view.pan_x;
        EXPECT_FLOAT_EQ(e.view.pan_y, c.expected.pan_y) << c.view.pan_y;
    }
}

TEST(NodeEditorView, FitTakesTheNodesOfTheLastFrameAndCtrlFDoesNot)
{
    editor_rig e;
    e.nodes = two_nodes();
    e.click(e.at(300, 380));  // focus on the canvas
    e.rig.h.tap(QEL_KEY_A + 5, QEL_MOD_CTRL);
    e.settle(1);
    EXPECT_FLOAT_EQ(e.view.zoom, 1);
    EXPECT_FLOAT_EQ(e.view.pan_x, 0);
    e.rig.h.tap(QEL_KEY_A + 5);
    e.settle(1);
    // The box 40..584 x 40..186: it fits at 1 and is centred.
    qel_rect c = e.canvas();
    EXPECT_FLOAT_EQ(e.view.zoom, 1);
    EXPECT_FLOAT_EQ(e.view.pan_x, c.w / 2 - 312);
    EXPECT_FLOAT_EQ(e.view.pan_y, c.h / 2 - 113);
    e.nodes.push_back({3, 1500, 900, {}});
    e.settle(1);
    e.rig.h.tap(QEL_KEY_A + 5);
    e.settle(1);
    EXPECT_NEAR(e.view.zoom, std::min((c.w - 80) / 1644, (c.h - 80) / 896), 1e-6f);
    e.nodes.push_back({4, 9000, 9000, {}});
    e.settle(1);
    e.rig.h.tap(QEL_KEY_A + 5);
    e.settle(1);
    EXPECT_FLOAT_EQ(e.view.zoom, 0.25f) << "held to the zoom range";

    editor_rig empty;
    empty.click(empty.at(300, 300));
    empty.view.pan_x = 7;
    empty.rig.h.tap(QEL_KEY_A + 5);
    empty.settle(1);
    EXPECT_FLOAT_EQ(empty.view.pan_x, 7) << "nothing to fit";
}

TEST(NodeEditorView, ZoomKeysZoomAboutTheCentre)
{
    editor_rig e;
    e.click(e.at(300, 300));
    e.rig.h.tap(QEL_KEY_EQUAL);
    e.settle(1);
    EXPECT_FLOAT_EQ(e.view.zoom, 1.25f);
    e.rig.h.tap(QEL_KEY_MINUS);
    e.rig.h.tap(QEL_KEY_MINUS);
    e.settle(1);
    EXPECT_FLOAT_EQ(e.view.zoom, 0.8f);
    e.rig.h.tap(QEL_KEY_0);
    e.settle(1);
    EXPECT_FLOAT_EQ(e.view.zoom, 1);
    EXPECT_NEAR(e.view.pan_x, 0, 1e-4f) << "back about the same centre";
}

TEST(NodeEditorView, DraggingOnTheMinimapCentresTheViewThere)
{
    editor_rig e;
    e.opts.show_minimap = true;
    e.nodes = two_nodes();
    e.nodes.push_back({3, 2000, 1200, {}});
    e.settle(3);
    auto state = [](editor_rig& r) {
        return (const qel_node_editor_state*)qel_state_find(r.rig.h.ctx, r.editor_id(), sizeof(qel_node_editor_state),
                                                            false);
    };
    const qel_node_editor_state* s = state(e);
    ASSERT_TRUE(s && s->minimap_valid);
    qel_rect m = s->minimap_rect;
    qel_vec2 p = {m.x + m.w * 0.7f, m.y + m.h * 0.6f};
    e.drag({m.x + 5, m.y + 5}, p, 3);
    // Once the view lies inside the nodes' box the minimap stays as it is: the last drag step
    // went through the geometry read here.
    s = state(e);
    float wx = (p.x - s->minimap_origin_x) / s->minimap_scale + s->minimap_world_x;
    float wy = (p.y - s->minimap_origin_y) / s->minimap_scale + s->minimap_world_y;
    qel_rect c = e.canvas();
    EXPECT_NEAR(e.view.pan_x, c.w / 2 - wx, 0.01f);
    EXPECT_NEAR(e.view.pan_y, c.h / 2 - wy, 0.01f);
    EXPECT_TRUE(e.selected.empty()) << "the press went to the minimap, not the canvas";

    editor_rig none;
    none.opts.show_minimap = true;
    none.settle(3);
    s = state(none);
    ASSERT_NE(s, nullptr);
    EXPECT_FALSE(s->minimap_valid) << "no nodes, no minimap";
    EXPECT_FALSE(none.rig.h.rect(none.editor_id() ^ 0x313a9u).w > 0);
}

// --- Selection ---

TEST(NodeEditorSelection, ClicksSelectAndEmptyCanvasClearsUnlessShifted)
{
    editor_rig e;
    e.nodes = two_nodes();
    e.settle();
    e.click(e.title_at(e.nodes[0]));
    e.settle(1);
    EXPECT_EQ(e.selected, (std::vector<uint32_t>{1}));
    e.modifiers(QEL_MOD_SHIFT);
    e.click(e.title_at(e.nodes[1]));
    e.settle(1);
    EXPECT_EQ(e.selected, (std::vector<uint32_t>{1, 2}));
    e.click(e.at(300, 380));
    e.settle(1);
    EXPECT_EQ(e.selected.size(), 2u) << "Shift keeps the selection on an empty-canvas click";
    e.modifiers(QEL_MOD_CTRL);
    e.click(e.title_at(e.nodes[0]));
    e.settle(1);
    EXPECT_EQ(e.selected, (std::vector<uint32_t>{2})) << "Ctrl takes a selected node out";
    e.modifiers(0);
    e.click(e.at(300, 380));
    e.settle(1);
    EXPECT_TRUE(e.selected.empty());
    e.modifiers(QEL_MOD_CTRL);
    e.rig.h.tap(QEL_KEY_A, QEL_MOD_CTRL);
    e.settle(1);
    EXPECT_EQ(e.selected, (std::vector<uint32_t>{1, 2}));
    e.rig.h.tap(QEL_KEY_ESCAPE);
    e.settle(1);
    EXPECT_TRUE(e.selected.empty());
}

TEST(NodeEditorSelection, BoxWithCtrlKeepsTheBaseAndDropsOnlyWhatItAdded)
{
    editor_rig e;
    e.nodes = {{1, 40, 40, {}}, {2, 300, 40, {}}, {3, 40, 250, {}}, {4, 300, 250, {}}};
    e.settle();
    e.click(e.title_at(e.nodes[3]));
    e.modifiers(QEL_MOD_CTRL);
    qel_vec2 from = e.at(10, 10);
    e.move(from);
    e.settle(1);
    e.rig.h.button(0, true);
    e.settle(1);
    // The box follows the pointer; the selection it gives shows a frame later.
    e.move(e.at(600, 100));  // over 1 and 2
    e.settle(2);
    EXPECT_EQ(e.selected.size(), 3u);
    e.move(e.at(600, 400));  // all four
    e.settle(2);
    EXPECT_EQ(e.selected.size(), 4u);
    e.move(e.at(100, 30));  // nothing under the box
    e.settle(2);
    EXPECT_EQ(e.selected, (std::vector<uint32_t>{4})) << "the base stays, the added ones go";
    e.move(e.at(100, 100));
    e.settle(2);
    e.rig.h.button(0, false);
    e.modifiers(0);
    e.settle(1);
    std::vector<uint32_t> got = e.selected;
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, (std::vector<uint32_t>{1, 4}));
}

TEST(NodeEditorSelection, ArrowsAndDragsMoveTheCallersPositions)
{
    editor_rig e;
    e.nodes = two_nodes();
    e.settle();
    e.rig.h.tap(QEL_KEY_RIGHT);  // nothing focused, nothing selected
    e.click(e.title_at(e.nodes[0]));
    e.rig.h.tap(QEL_KEY_RIGHT);
    e.rig.h.tap(QEL_KEY_DOWN, QEL_MOD_SHIFT);
    e.settle(1);
    EXPECT_FLOAT_EQ(e.nodes[0].x, 50);
    EXPECT_FLOAT_EQ(e.nodes[0].y, 41);
    EXPECT_FLOAT_EQ(e.nodes[1].x, 400) << "only the selected node moves";
    e.rig.h.key(QEL_KEY_LEFT, true);
    e.rig.h.key(QEL_KEY_LEFT, true);  // an auto-repeat in the same frame
    e.settle(1);
    e.rig.h.key(QEL_KEY_LEFT, false);
    EXPECT_FLOAT_EQ(e.nodes[0].x, 30);

    e.view.zoom = 2;
    e.settle(1);
    e.drag(e.title_at(e.nodes[0]), {e.title_at(e.nodes[0]).x + 100, e.title_at(e.nodes[0]).y + 40}, 5);
    // Five steps of (20, 8) px at zoom 2; the first only starts the drag.
    EXPECT_FLOAT_EQ(e.nodes[0].x, 30 + 40);
    EXPECT_FLOAT_EQ(e.nodes[0].y, 41 + 16);
}

TEST(NodeEditorSelection, DeleteReportsTheNodeAndEachOfItsLinksOnce)
{
    editor_rig e;
    e.nodes = two_nodes();
    e.links = {{100, 12, 21}, {101, 12, 22}, {102, 23, 11}};
    e.nodes.push_back({3, 40, 300, {{31, true, 0, "o"}}});
    e.links.push_back({103, 31, 22});
    e.settle();
    e.click(e.title_at(e.nodes[0]));
    e.rig.h.tap(QEL_KEY_DELETE);
    e.settle(1);
    EXPECT_EQ(e.after.deleted, (std::vector<uint32_t>{1}));
    EXPECT_EQ(e.after.destroyed, (std::vector<uint32_t>{100, 101, 102}));
    e.settle(1);
    EXPECT_TRUE(e.before.empty()) << "the next frame's queries before its begin see nothing";

    // The selected link is one of the selected node's: reported once.
    editor_rig f;
    f.nodes = two_nodes();
    f.links = {{100, 12, 21}, {101, 12, 22}};
    f.read_inside = true;
    f.settle();
    f.click(f.title_at(f.nodes[0]));
    qel_vec2 a = f.pin_at(f.nodes[0], 1), b = f.pin_at(f.nodes[1], 0);
    f.modifiers(QEL_MOD_SHIFT);
    f.click({(a.x + b.x) / 2, (a.y + b.y) / 2});
    f.modifiers(0);
    f.settle(1);
    EXPECT_EQ(f.selected_links, (std::vector<uint32_t>{100}));
    EXPECT_EQ(f.selected, (std::vector<uint32_t>{1})) << "Shift keeps the node with the link";
    f.rig.h.tap(QEL_KEY_BACKSPACE);
    f.settle(1);
    EXPECT_EQ(f.inside.deleted, (std::vector<uint32_t>{1}));
    EXPECT_EQ(f.inside.destroyed, (std::vector<uint32_t>{100, 101}));
    EXPECT_TRUE(f.after.empty());
}

TEST(NodeEditorQueues, QueriesAnswerNothingInAFrameWithoutTheEditor)
{
    editor_rig e;
    e.nodes = two_nodes();
    e.settle();
    e.click(e.title_at(e.nodes[0]));
    e.present = false;
    e.rig.h.tap(QEL_KEY_DELETE);
    e.settle(1);
    EXPECT_TRUE(e.after.empty());
    uint32_t a = 7, b = 7;
    EXPECT_EQ(qel_node_editor_link_created(e.rig.h.ctx, &a, &b), 0);
    EXPECT_EQ(qel_node_editor_node_deleted(e.rig.h.ctx, &a), 0);
    EXPECT_EQ(qel_node_editor_link_destroyed(e.rig.h.ctx, nullptr), 0);
    EXPECT_EQ(a, 7u);
    EXPECT_EQ(qel_node_editor_find(e.rig.h.ctx), nullptr);
}

TEST(NodeEditorQueues, ASecondEditorInOneFrameIsRefusedAndNodeCallsOutsideBalance)
{
    qel_headless h;
    qel_node_editor_view v = {0, 0, 1};
    int32_t opened[2] = {-1, -1}, selected = -1, pin = -1;
    h.ui = [&](qel_context* ctx) {
        float x = 0, y = 0;
        selected = qel_node_editor_node_begin(ctx, 1, &x, &y, "lone", nullptr);
        pin = qel_node_editor_input_pin(ctx, 5, "p", nullptr);
        qel_node_editor_content_begin(ctx);
        qel_node_editor_content_end(ctx);
        qel_node_editor_node_end(ctx);
        opened[0] = qel_node_editor_begin(ctx, "one", &v, nullptr);
        opened[1] = qel_node_editor_begin(ctx, "two", &v, nullptr);
        qel_node_editor_node_begin(ctx, 1, &x, nullptr, "no y", nullptr);
        EXPECT_EQ(qel_node_editor_output_pin(ctx, 6, "p", nullptr), 0);
        qel_node_editor_node_end(ctx);
        qel_node_editor_node_begin(ctx, 2, &x, &y, "outer", nullptr);
        qel_node_editor_node_begin(ctx, 3, &x, &y, "inner", nullptr);
        qel_node_editor_node_end(ctx);
        qel_node_editor_content_begin(ctx);
        EXPECT_EQ(qel_node_editor_input_pin(ctx, 7, "in a block", nullptr), 0);
        qel_node_editor_content_end(ctx);
        qel_node_editor_node_end(ctx);
        qel_node_editor_end(ctx);
        EXPECT_EQ(inspect_open_parents(ctx), 1) << "only the root stays open";
    };
    h.run(2);
    EXPECT_EQ(selected, 0);
    EXPECT_EQ(pin, 0);
    EXPECT_EQ(opened[0], 1);
    EXPECT_EQ(opened[1], 0);
    EXPECT_EQ(qel_node_editor_begin(h.ctx, "one", nullptr, nullptr), 0);
}

TEST(NodeEditorQueues, AnEditorNeverEndedDrawsNothingOfItsGraphAndTheNextFrameStartsClean)
{
    widget_rig rig;
    qel_node_editor_view v = {0, 0, 1};
    bool end = false;
    float x = 10, y = 10;
    rig.h.ui = [&](qel_context* ctx) {
        if (!qel_node_editor_begin(ctx, "loose", &v, nullptr)) return;
        qel_node_editor_node_begin(ctx, 1, &x, &y, "left open", nullptr);
        qel_node_editor_input_pin(ctx, 2, "in", nullptr);
        qel_node_editor_node_end(ctx);
        qel_node_editor_link(ctx, 3, 4, 2);
        if (end) qel_node_editor_end(ctx);
    };
    rig.h.run(3);
    end = true;
    rig.h.run(2);
    uint32_t node = 1;
    EXPECT_FLOAT_EQ(rig.h.rect(qel_hash_bytes(&node, sizeof node, qel_id(rig.h.ctx, "loose") ^ 0x4e0du)).h, 40 + 26 + 8);
}

// --- Gestures that leave the window ---

TEST(NodeEditorGestures, APointerOutsideTheWindowHoldsDragsAndPans)
{
    editor_rig e;
    e.nodes = two_nodes();
    e.settle();
    qel_vec2 t = e.title_at(e.nodes[0]);
    e.move(t);
    e.settle(1);
    e.rig.h.button(0, true);
    e.settle(1);
    e.move({t.x + 30, t.y + 10});
    e.settle(1);
    e.move({t.x + 50, t.y + 10});
    e.settle(1);
    float x = e.nodes[0].x, y = e.nodes[0].y;
    qel_input_mouse_leave(e.rig.h.ctx);
    e.settle(2);
    EXPECT_FLOAT_EQ(e.nodes[0].x, x);
    EXPECT_FLOAT_EQ(e.nodes[0].y, y);
    e.rig.h.button(0, false);  // released outside
    e.settle(2);
    EXPECT_FLOAT_EQ(e.nodes[0].x, x);
    EXPECT_FLOAT_EQ(e.nodes[0].y, y);

    // A middle-button pan held while the pointer is away.
    qel_vec2 p = e.at(300, 380);
    e.move(p);
    e.settle(1);
    e.rig.h.button(2, true);
    e.settle(1);
    e.move({p.x + 25, p.y - 5});
    e.settle(1);
    EXPECT_FLOAT_EQ(e.view.pan_x, 25);
    qel_input_mouse_leave(e.rig.h.ctx);
    e.settle(2);
    EXPECT_FLOAT_EQ(e.view.pan_x, 25);
    EXPECT_FLOAT_EQ(e.view.pan_y, -5);
    e.move({p.x + 35, p.y - 5});
    e.settle(1);
    EXPECT_FLOAT_EQ(e.view.pan_x, 35) << "back inside, it carries on from where it left";
    e.rig.h.button(2, false);
    e.settle(1);
    e.move({p.x + 100, p.y});
    e.settle(1);
    EXPECT_FLOAT_EQ(e.view.pan_x, 35);
}

TEST(NodeEditorGestures, SpaceWithTheLeftButtonPans)
{
    editor_rig e;
    e.nodes = two_nodes();
    e.settle();
    e.rig.h.key(QEL_KEY_SPACE, true);
    e.drag(e.at(300, 380), e.at(260, 400), 2);
    e.rig.h.key(QEL_KEY_SPACE, false);
    EXPECT_FLOAT_EQ(e.view.pan_x, -40);
    EXPECT_FLOAT_EQ(e.view.pan_y, 20);
    EXPECT_TRUE(e.selected.empty());
}

TEST(NodeEditorSelection, TabReachesNodesAndSelectsEachAlone)
{
    editor_rig e;
    e.nodes = two_nodes();
    e.settle();
    e.click(e.at(300, 380));
    e.rig.h.tap(QEL_KEY_TAB);
    e.settle(1);
    EXPECT_EQ(e.selected, (std::vector<uint32_t>{1}));
    e.rig.h.tap(QEL_KEY_TAB);
    e.settle(1);
    EXPECT_EQ(e.selected, (std::vector<uint32_t>{2}));
    e.rig.h.tap(QEL_KEY_RIGHT);
    e.settle(1);
    EXPECT_FLOAT_EQ(e.nodes[1].x, 410) << "the focused node's editor takes the arrows";
}

// What a widget block's widgets see of the pointer.
static qel_vec2 pointer_in_block;

static void record_pointer(qel_context* ctx)
{
    pointer_in_block = qel_mouse_pos(ctx);
    qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, 24});
}

TEST(NodeEditorBlocks, WidgetsInABlockSeeThePointerInTheirOwnUnscaledUnits)
{
    editor_rig e;
    e.view = {10, 20, 1.5f};
    e.nodes = {{1, 40, 40, {{11, false, 0, "in"}}, true}};
    e.block_ui = record_pointer;
    e.settle();
    // The block's top-left: 14 in, below the title bar, one pin row and 3 units.
    qel_vec2 origin = e.at(40 + 14, 40 + 40 + 26 + 3);
    qel_vec2 p = {origin.x + 30, origin.y + 12};
    e.move(p);
    e.settle(1);
    EXPECT_FLOAT_EQ(pointer_in_block.x, origin.x + 20);
    EXPECT_FLOAT_EQ(pointer_in_block.y, origin.y + 8);
    EXPECT_EQ(qel_mouse_pos(e.rig.h.ctx).x, p.x) << "restored after the block";
}
