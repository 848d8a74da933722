// The flame graph driven as a user drives it: the sort with numbers and NaNs, the empty and
// degenerate extents, wheel zoom and pan within their bounds, thin spans merged yet hittable,
// clicks on bars and on the axis, double clicks, Escape, the arrow keys, the tooltip's
// reference, and where qel_flame_span_rect says a span was drawn.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "qel/qel.h"
#include "support/widget_rig.h"

namespace {

// A window as wide as the widget: plot from x 8, 624 wide, rows from y 29.
struct flame_rig {
    widget_rig rig{640, 300};
    std::vector<qel_flame_span> spans;
    qel_flame_view view = {0, 0, 0};
    int32_t selected = -1;
    qel_flame_options options = {};
    qel_flame_result result = {};

    flame_rig()
    {
        rig.h.ui = [this](qel_context* ctx) {
            result = qel_flame_graph(ctx, "trace", spans.data(), (int32_t)spans.size(), &view, &selected, &options);
        };
    }
    uint32_t id() { return qel_id(rig.h.ctx, "trace"); }
    // The x of time t and the y in the middle of row depth, in the current view.
    float x_of(double t) const { return (float)(8 + (t - view.start) / (view.end - view.start) * 624); }
    float y_of(int32_t depth) const { return 29 + 20.0f * (float)depth + 9 - view.scroll; }
    void focus()
    {
        qel_set_focus(rig.h.ctx, id(), true);
        rig.h.run();
    }
};

// Three levels: main over two children, the first child over a grandchild.
std::vector<qel_flame_span> call_tree()
{
    return {{"main", 0, 10, 0, 0}, {"load", 0, 4, 1, 0}, {"", 5, 9, 1, 0}, {"parse", 1, 3, 2, 0}, {"emit", 6, 8, 2, 0}};
}

// Every text node of the last frame joined, for tooltips split over lines.
std::string all_text(qel_context* ctx)
{
    std::string out;
    for (int32_t i = 0; i < inspect_node_count(ctx); i++) {
        const qel_node* n = inspect_node(ctx, i);
        if ((n->flags & QEL_NODE_TEXT) && n->text) out.append(n->text, (size_t)n->text_length).append("\n");
    }
    return out;
}

}  // namespace

TEST(FlameSort, NaNsGoLastInTheirDepthAndNumberedSpansKeepTheirOrder)
{
    std::mt19937 random(7);
    for (int round = 0; round < 50; round++) {
        std::vector<qel_flame_span> spans;
        for (int i = 0; i < 200; i++) {
            double s = (double)(random() % 50), e = s + (double)(random() % 5);
            if (random() % 9 == 0) s = NAN;
            if (random() % 11 == 0) e = NAN;
            spans.push_back({nullptr, s, e, (int32_t)(random() % 4), (uint32_t)i + 1});
        }
        std::vector<qel_flame_span> sorted = spans;
        qel_flame_sort_spans(sorted.data(), (int32_t)sorted.size());
        std::vector<int> seen(spans.size(), 0);
        for (const auto& s : sorted) seen[s.color_key - 1]++;
        for (int n : seen) ASSERT_EQ(n, 1) << "not a permutation";
        for (size_t i = 1; i < sorted.size(); i++) {
            const auto &a = sorted[i - 1], &b = sorted[i];
            ASSERT_LE(a.depth, b.depth);
            if (a.depth != b.depth) continue;
            bool na = !std::isnan(a.start) && !std::isnan(a.end), nb = !std::isnan(b.start) && !std::isnan(b.end);
            ASSERT_FALSE(!na && nb) << "a span without numbers before one with them at " << i;
            if (na && nb) {
                ASSERT_TRUE(a.start < b.start || (a.start == b.start && a.end >= b.end)) << i;
            }
        }
    }
}

TEST(FlameGraph, NoSpansShowsNothingHoveredOrZoomed)
{
    flame_rig f;
    f.spans = {{"a", 1, 2, -1, 0}};
    f.selected = 0;
    f.rig.h.run();
    f.rig.h.click(300, 60);
    f.rig.h.run();
    EXPECT_EQ(f.result.hovered, -1);
    EXPECT_EQ(f.result.zoomed, -1);
    EXPECT_EQ(f.selected, -1);
    qel_headless h(400, 300);
    h.ui = [](qel_context* ctx) {
        qel_flame_result r = qel_flame_graph(ctx, nullptr, nullptr, 5, nullptr, nullptr, nullptr);
        EXPECT_EQ(r.hovered, -1);
        EXPECT_EQ(r.zoomed, -1);
    };
    h.run(2);
}

TEST(FlameGraph, DegenerateExtents)
{
    flame_rig f;
    f.spans = {{"tick", 3, 3, 0, 0}};
    f.rig.h.run();
    EXPECT_NEAR(f.view.end - f.view.start, 1e-8, 1e-15);
    EXPECT_NEAR((f.view.start + f.view.end) / 2, 3, 1e-12);
    // Widths that do not fit in a double leave the widget empty instead of a view of infinity.
    f.spans = {{"huge", -1e308, -1e307, 0, 0}, {"huge", 1e307, 1e308, 0, 0}};
    f.view = {0, 0, 0};
    f.rig.h.run();
    EXPECT_EQ(f.view.start, 0);
    EXPECT_EQ(f.view.end, 0);
    // A huge depth counts as the last row without overflowing.
    f.spans = {{"deep", 0, 1, INT32_MAX, 0}};
    f.options.height = 200;
    f.rig.h.run(2);
    EXPECT_EQ(f.view.end - f.view.start, 1);
    // A view scrolled far above the first row, pressed on the plot: no row is hit.
    f.spans = call_tree();
    f.rig.h.move(300, 60);
    f.rig.h.run(2);
    f.view.scroll = -20 * 0x1p80f;  // whole rows, so the row found lies far above the first
    f.rig.h.button(0, true);
    f.rig.h.run();
    EXPECT_EQ(f.view.scroll, 0);
}

TEST(FlameGraph, WheelZoomKeepsThePointersTimeAndStaysWithinItsBounds)
{
    flame_rig f;
    f.spans = call_tree();
    f.options.min_span = 0.5;
    f.rig.h.run(2);
    ASSERT_EQ(f.view.start, 0);
    ASSERT_EQ(f.view.end, 10);
    float x = f.x_of(7);
    f.rig.h.move(x, f.y_of(0));
    f.rig.h.wheel(0, 3);
    f.rig.h.run();
    double w = f.view.end - f.view.start;
    EXPECT_NEAR(w, 10 / std::pow(1.12, 3), 1e-9);
    EXPECT_NEAR(f.view.start + (x - 8) / 624.0 * w, 7, 1e-6) << "the time under the pointer stays";
    EXPECT_TRUE(f.result.view_changed);
    for (int i = 0; i < 40; i++) {
        f.rig.h.wheel(0, 5);
        f.rig.h.run();
    }
    EXPECT_NEAR(f.view.end - f.view.start, 0.5, 1e-12) << "never below min_span";
    for (int i = 0; i < 40; i++) {
        f.rig.h.wheel(0, -5);
        f.rig.h.run();
    }
    EXPECT_EQ(f.view.start, 0);
    EXPECT_EQ(f.view.end, 10) << "never beyond the extent";
    f.view = {2, 4, 0};
    for (int i = 0; i < 60; i++) {
        f.rig.h.wheel(-5, 0);
        f.rig.h.run();
    }
    EXPECT_NEAR(f.view.end, 10, 1e-12) << "panning stops at the end";
    EXPECT_NEAR(f.view.start, 8, 1e-12);
    f.rig.h.key(QEL_KEY_NONE, true, QEL_MOD_SHIFT);
    for (int i = 0; i < 60; i++) {
        f.rig.h.wheel(0, 5);
        f.rig.h.run();
    }
    EXPECT_NEAR(f.view.start, 0, 1e-12) << "Shift turns the wheel into a pan";
}

TEST(FlameGraph, ThinSpansMergeYetStayHittableWithinAPixel)
{
    flame_rig f;
    // 1000 s over 624 px: 0.3 px is about 0.48 s.
    f.spans = {{"wide", 0, 1000, 0, 0},        {"thin", 500, 500.48, 1, 0},   {"thin2", 500.6, 501.08, 1, 0},
               {"thin3", 501.2, 501.68, 1, 0}, {"thin4", 501.8, 502.3, 1, 0}, {"alone", 800, 800.48, 1, 0}};
    f.rig.h.run(2);
    float x = f.x_of(800.24);
    f.rig.h.move(x + 0.9f, f.y_of(1));
    f.rig.h.run();
    EXPECT_EQ(f.result.hovered, 5) << "a lone 0.3 px span is hit from under a pixel away";
    f.rig.h.move(x + 2.5f, f.y_of(1));
    f.rig.h.run();
    EXPECT_EQ(f.result.hovered, -1);
    qel_rect r = qel_flame_span_rect(f.rig.h.ctx, f.id(), &f.spans[5]);
    EXPECT_NEAR(r.w, 0.3, 0.01);
    f.rig.h.move(x, f.y_of(0) + 10.5f);
    f.rig.h.run();
    EXPECT_EQ(f.result.hovered, -1) << "the gap between rows hits nothing";
}

TEST(FlameGraph, ClicksSelectAndTheAxisLeavesTheSelection)
{
    flame_rig f;
    f.spans = call_tree();
    f.rig.h.run(2);
    f.rig.h.click(f.x_of(2), f.y_of(2));
    f.rig.h.run();
    EXPECT_EQ(f.selected, 3);
    f.rig.h.click(f.x_of(5), 12);
    f.rig.h.run();
    EXPECT_EQ(f.selected, 3) << "a click on the axis strip";
    f.rig.h.click(f.x_of(4.5), f.y_of(2));
    f.rig.h.run();
    EXPECT_EQ(f.selected, -1) << "a click on no span clears";
}

TEST(FlameGraph, DoubleClickZoomsOntoASpanAndOnTheAxisBackToTheWhole)
{
    flame_rig f;
    f.spans = call_tree();
    f.rig.h.run(2);
    float x = f.x_of(6), y = f.y_of(1);
    f.rig.h.click(x, y);
    f.rig.h.click(x, y);
    EXPECT_EQ(f.result.zoomed, 2);
    f.rig.h.run(2);
    EXPECT_NEAR(f.view.start, 5 - 0.2, 1e-9);
    EXPECT_NEAR(f.view.end, 5 + 4.2, 1e-9);
    f.rig.h.click(300, 12);
    f.rig.h.click(300, 12);
    f.rig.h.run(2);
    EXPECT_EQ(f.view.start, 0);
    EXPECT_EQ(f.view.end, 10);
    EXPECT_EQ(f.selected, 2);
}

TEST(FlameGraph, EscapeFirstResetsTheViewThenClearsTheSelection)
{
    flame_rig f;
    f.spans = call_tree();
    f.rig.h.run(2);
    f.focus();
    f.rig.h.tap(QEL_KEY_DOWN);
    EXPECT_EQ(f.selected, 0);
    f.rig.h.tap(QEL_KEY_ENTER);
    f.rig.h.run();
    EXPECT_NEAR(f.view.end - f.view.start, 10, 1e-9) << "a span as wide as the extent";
    f.view = {2, 4, 0};
    f.rig.h.tap(QEL_KEY_ESCAPE);
    f.rig.h.run();
    EXPECT_EQ(f.view.start, 0);
    EXPECT_EQ(f.view.end, 10);
    EXPECT_EQ(f.selected, 0);
    f.rig.h.tap(QEL_KEY_ESCAPE);
    EXPECT_EQ(f.selected, -1);
}

TEST(FlameGraph, ArrowsWalkParentsChildrenAndSiblings)
{
    flame_rig f;
    f.spans = call_tree();
    f.rig.h.run(2);
    f.focus();
    struct step {
        int32_t key;
        int32_t want;
    };
    const step steps[] = {{QEL_KEY_RIGHT, 0}, {QEL_KEY_DOWN, 1}, {QEL_KEY_RIGHT, 2},
                          {QEL_KEY_DOWN, 4},  {QEL_KEY_LEFT, 3}, {QEL_KEY_LEFT, 3},
                          {QEL_KEY_UP, 1},    {QEL_KEY_UP, 0},   {QEL_KEY_UP, 0}};
    for (const step& s : steps) {
        f.rig.h.tap(s.key);
        EXPECT_EQ(f.selected, s.want) << s.key;
    }
    f.view = {0, 2, 0};
    f.rig.h.run();
    f.rig.h.tap(QEL_KEY_DOWN);
    f.rig.h.tap(QEL_KEY_RIGHT);
    EXPECT_EQ(f.selected, 2);
    EXPECT_NEAR((f.view.start + f.view.end) / 2, 7, 1e-9) << "the view centres on a span outside it";
    EXPECT_NEAR(f.view.end - f.view.start, 2, 1e-9);
}

TEST(FlameGraph, TooltipNamesTheParentOrTheView)
{
    flame_rig f;
    f.spans = call_tree();
    f.rig.h.run(2);
    struct tip {
        double t;
        int32_t depth;
        const char* want;
    };
    const tip tips[] = {{5, 0, "main\n10.0 s · 100% of view"},
                        {6, 2, "emit\n2.00 s · 50% of parent"},
                        {2, 2, "parse\n2.00 s · 50% of load"}};
    for (const tip& t : tips) {
        f.rig.h.move(f.x_of(t.t), f.y_of(t.depth));
        f.rig.h.run(60);
        EXPECT_NE(all_text(f.rig.h.ctx).find(t.want), std::string::npos) << all_text(f.rig.h.ctx);
        f.rig.h.move(630, 290);
        f.rig.h.run(3);
    }
}

TEST(FlameGraph, SpanRectIsWhereTheBarWasDrawn)
{
    flame_rig f;
    f.spans = call_tree();
    f.view = {0, 5, 0};
    f.rig.h.run(2);
    qel_rect r = qel_flame_span_rect(f.rig.h.ctx, f.id(), &f.spans[1]);
    EXPECT_NEAR(r.x, 8, 1e-3);
    EXPECT_NEAR(r.w, 624 * 0.8, 1e-3);
    EXPECT_NEAR(r.y, 49, 1e-3);
    EXPECT_NEAR(r.h, 19, 1e-3);
    qel_rect none = qel_flame_span_rect(f.rig.h.ctx, f.id(), &f.spans[4]);
    EXPECT_EQ(none.w, 0) << "right of the view";
    EXPECT_EQ(qel_flame_span_rect(f.rig.h.ctx, qel_id(f.rig.h.ctx, "other"), &f.spans[1]).w, 0);
}
