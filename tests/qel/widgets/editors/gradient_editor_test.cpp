// The gradient editor driven over scripted frames: stops dragged past their neighbours, dragged
// off the bar, added by pressing the bar, recoloured through the Opacity field, and drags that
// hold while the pointer is outside the window.
#include <gtest/gtest.h>

#include <vector>

#include "qel/qel.h"
#include "support/widget_rig.h"

namespace {

const qel_color RED = 0xff0000ffu, GREEN = 0xff00ff00u, BLUE = 0xffff0000u;

struct gradient_rig {
    widget_rig rig;
    std::vector<qel_gradient_stop> stops;
    int32_t count;
    int32_t* selected = nullptr;
    qel_gradient_editor_result last = {};

    gradient_rig(std::vector<qel_gradient_stop> start, int32_t capacity, int frames = 3)
        : rig(560, 360), stops(start), count((int32_t)start.size())
    {
        stops.resize((size_t)capacity);
        rig.h.ui = [this](qel_context* ctx) {
            qel_gradient_editor_opts o = {};
            o.selected = selected;
            last = qel_gradient_editor(ctx, "gradient", stops.data(), &count, (int32_t)stops.size(), &o);
        };
        rig.h.run(frames);
    }
    uint32_t id() { return qel_id(rig.h.ctx, "gradient"); }
    qel_rect bar() { return rig.h.rect(id() ^ PART_GRADIENT_BAR); }
    qel_rect track() { return rig.h.rect(id() ^ PART_GRADIENT_TRACK); }
    uint32_t stop_item(int32_t index) { return qel_hash_bytes(&index, 4, id() ^ PART_GRADIENT_STOP_SEED); }
    // The point on the track under position t.
    qel_vec2 at(float t) { return {bar().x + t * bar().w, track().y + 14}; }
    void press(qel_vec2 p)
    {
        rig.h.move(p.x, p.y);
        rig.h.run();
        rig.h.button(0, true);
        rig.h.run();
    }
    void move(qel_vec2 p)
    {
        rig.h.move(p.x, p.y);
        rig.h.run();
    }
    void release()
    {
        rig.h.button(0, false);
        rig.h.run();
    }
};

}  // namespace

TEST(GradientEditor, ADraggedStopSwapsPastItsNeighboursAndKeepsDragging)
{
    gradient_rig g({{0.1f, RED}, {0.5f, GREEN}, {0.9f, BLUE}}, 8);
    g.press(g.at(0.1f));
    EXPECT_EQ(g.last.selected, 0);
    g.move(g.at(0.7f));
    EXPECT_EQ(g.stops[1].color, RED);
    EXPECT_NEAR(g.stops[1].pos, 0.7f, 0.005f);
    EXPECT_EQ(g.last.selected, 1);
    g.move(g.at(0.95f));
    EXPECT_EQ(g.stops[2].color, RED) << "the same drag goes on under the new index";
    EXPECT_NEAR(g.stops[2].pos, 0.95f, 0.005f);
    g.move(g.at(2));
    EXPECT_EQ(g.stops[2].pos, 1);
    g.release();
    EXPECT_EQ(g.count, 3);
    EXPECT_EQ(g.stops[0].color, GREEN);
    EXPECT_EQ(g.stops[1].color, BLUE);
}

TEST(GradientEditor, DraggingOffRemovesOnlyWhileThreeStopsRemain)
{
    gradient_rig three({{0, RED}, {0.5f, GREEN}, {1, BLUE}}, 8);
    three.press(three.at(0.5f));
    three.move({three.at(0.3f).x, three.track().y + three.track().h + 60});
    EXPECT_EQ(three.stops[1].pos, 0.5f) << "dragged off, the stop keeps its place";
    three.release();
    EXPECT_EQ(three.count, 2);
    EXPECT_EQ(three.last.removed, 1);
    EXPECT_EQ(three.last.selected, 1);
    EXPECT_EQ(three.stops[1].color, BLUE);

    gradient_rig two({{0, RED}, {1, BLUE}}, 8);
    two.press(two.at(1));
    two.move({two.at(0.6f).x, two.track().y + two.track().h + 60});
    EXPECT_NEAR(two.stops[1].pos, 0.6f, 0.005f) << "with two stops it moves as usual";
    two.release();
    EXPECT_EQ(two.count, 2);

    // Delete on a focused stop, likewise only with three.
    two.rig.click_on(two.stop_item(0));
    two.rig.h.tap(QEL_KEY_DELETE);
    EXPECT_EQ(two.count, 2);
    gradient_rig keys({{0, RED}, {0.5f, GREEN}, {1, BLUE}}, 8);
    keys.rig.click_on(keys.stop_item(1));
    keys.rig.h.tap(QEL_KEY_RIGHT);
    EXPECT_FLOAT_EQ(keys.stops[1].pos, 0.51f);
    keys.rig.h.tap(QEL_KEY_BACKSPACE);
    EXPECT_EQ(keys.count, 2);
    EXPECT_EQ(keys.stops[1].color, BLUE);
}

TEST(GradientEditor, PressingTheBarAddsAStopOfTheColourThere)
{
    gradient_rig g({{0, RED}, {1, BLUE}}, 4);
    std::vector<qel_gradient_stop> before(g.stops.begin(), g.stops.begin() + 2);
    qel_rect b = g.bar();
    g.press({b.x + 0.25f * b.w, b.y + b.h / 2});
    ASSERT_EQ(g.count, 3);
    EXPECT_EQ(g.last.added, 1);
    EXPECT_EQ(g.last.selected, 1);
    EXPECT_FLOAT_EQ(g.stops[1].pos, 0.25f);
    EXPECT_EQ(g.stops[1].color, qel_gradient_evaluate(before.data(), 2, 0.25f)) << "the bar looks unchanged";
    g.move({b.x + 0.4f * b.w, b.y + b.h / 2});
    EXPECT_NEAR(g.stops[1].pos, 0.4f, 0.005f) << "the same press drags the new stop";
    g.release();
    EXPECT_EQ(g.count, 3);

    // At capacity a press adds nothing.
    g.press({b.x + 0.8f * b.w, b.y + b.h / 2});
    g.release();
    EXPECT_EQ(g.count, 4);
    g.press({b.x + 0.6f * b.w, b.y + b.h / 2});
    g.release();
    EXPECT_EQ(g.count, 4);
}

TEST(GradientEditor, NothingIsAddedBeforeTheBarHasAWidth)
{
    gradient_rig g({{0, RED}, {1, BLUE}}, 8, 0);
    g.rig.h.move(100, 20);
    g.rig.h.button(0, true);
    g.rig.h.run();
    g.rig.h.button(0, false);
    g.rig.h.run();
    EXPECT_EQ(g.count, 2);
}

TEST(GradientEditor, OpacityFieldRoundsHalfUp)
{
    int32_t selected = -1;
    gradient_rig g({{0, RED}, {1, BLUE & 0x80ffffffu}}, 8);
    g.selected = &selected;
    g.rig.h.run();
    EXPECT_EQ(selected, 0) << "a caller's -1 reads as the first stop";
    selected = 1;
    g.rig.h.run(2);
    EXPECT_NE(node_with_text(g.rig.h.ctx, "50"), nullptr) << "alpha 128 shows as 50";
    auto type_opacity = [&](const char* text) {
        g.rig.click_on(scoped_id(g.rig.h.ctx, "gradient", "Opacity"));
        g.rig.h.run();
        g.rig.h.type(text);
        g.rig.h.run();
        g.rig.h.tap(QEL_KEY_ENTER);
        g.rig.h.run();
    };
    type_opacity("90");
    EXPECT_EQ(g.stops[1].color >> 24, 230u) << "229.5 rounds up";
    type_opacity("50");
    EXPECT_EQ(g.stops[1].color >> 24, 128u) << "127.5 rounds up";
    EXPECT_EQ(g.stops[1].color & 0xffffffu, BLUE & 0xffffffu);
}

TEST(GradientEditor, ADragHoldsWhileThePointerIsOutsideTheWindow)
{
    gradient_rig g({{0, RED}, {0.5f, GREEN}, {1, BLUE}}, 8);
    g.press(g.at(0.5f));
    g.move(g.at(0.55f));
    float held = g.stops[1].pos;
    qel_input_mouse_leave(g.rig.h.ctx);
    g.rig.h.run(2);
    EXPECT_EQ(g.stops[1].pos, held);
    g.release();
    EXPECT_EQ(g.count, 3) << "never dragged off by the far-away position";
}

TEST(GradientEditor, AStopWithoutAPlaceAddsNothingToTheBar)
{
    // A position that is not finite is the caller's mistake: it gives the mesh no edge (sorting it
    // would scramble the others) and draws no marker, so the frame is what it is without it.
    std::vector<qel_gradient_stop> stops = {{0, RED}, {0.3f, BLUE}, {0.6f, RED}, {1, BLUE}};
    gradient_rig plain(stops, 4);
    stops.push_back({NAN, GREEN});
    gradient_rig with_nan(stops, 5);
    EXPECT_EQ(with_nan.rig.h.draw_data().vertex_count, plain.rig.h.draw_data().vertex_count);
}

TEST(GradientEditor, NarrowPanelsStackTheirFields)
{
    enum { ONE_ROW, FIELDS_BELOW, ALL_STACKED };
    const struct {
        float width;
        int layout;
    } cases[] = {{540, ONE_ROW}, {400, FIELDS_BELOW}, {300, ALL_STACKED}};
    for (const auto& w : cases) {
        gradient_rig g({{0, RED}, {1, BLUE}}, 4, 0);
        g.rig.h.ui = [&](qel_context* ctx) {
            qel_gradient_editor_opts o = {};
            o.width = fixed(w.width);
            g.last = qel_gradient_editor(ctx, "gradient", g.stops.data(), &g.count, 4, &o);
        };
        g.rig.h.run(3);
        qel_context* ctx = g.rig.h.ctx;
        qel_rect picker = g.rig.h.rect(scoped_id(ctx, "gradient", "##color"));
        qel_rect location = g.rig.h.rect(scoped_id(ctx, "gradient", "Location"));
        qel_rect opacity = g.rig.h.rect(scoped_id(ctx, "gradient", "Opacity"));
        SCOPED_TRACE(w.width);
        ASSERT_GT(location.w, 0);
        if (w.layout == ONE_ROW) {
            EXPECT_EQ(location.y + location.h / 2, picker.y + picker.h / 2);
        } else {
            EXPECT_GT(location.y, picker.y + picker.h);
        }
        if (w.layout == ALL_STACKED) {
            EXPECT_GT(opacity.y, location.y + location.h);
        } else {
            EXPECT_EQ(opacity.y, location.y);
        }
    }
}
