// Speed of a node editor frame over 1,000 nodes of two pins each and 2,000 links in a 1120 x 760
// window: with every node selected and being dragged (at zoom 1, and at 0.25 with half the graph
// on screen), during a box selection over them, and in a frame whose press on the empty canvas
// hit-tests every link. The target of each is 2 ms on one core.
#include <benchmark/benchmark.h>

#include <vector>

#include "frame_timing.h"
#include "qel/qel.h"

namespace {

const int32_t NODES = 1000, COLUMNS = 40;

struct big_graph {
    qel_context* ctx;
    std::vector<float> x, y;
    qel_node_editor_view view;

    // The canvas left of and above the nodes in view: at zoom 1 some 35 nodes show, at 0.25 half
    // of them.
    explicit big_graph(float zoom = 1) : view{200, 100, zoom}
    {
        ctx = qel_ctx_create(nullptr);
        qel_ctx_set_display(ctx, 1120, 760, 1);
        qel_theme_set_reduced_motion(ctx, 1);
        for (int32_t i = 0; i < NODES; i++) {
            x.push_back(220.0f * (float)(i % COLUMNS));
            y.push_back(120.0f * (float)(i / COLUMNS));
        }
    }
    ~big_graph() { qel_ctx_destroy(ctx); }

    void frame()
    {
        qel_begin_frame(ctx, 1.0f / 60.0f);
        qel_node_editor_opts o = {};
        o.height = {QEL_SIZE_FIXED, 760};
        o.show_minimap = true;
        if (qel_node_editor_begin(ctx, "graph", &view, &o)) {
            for (int32_t i = 0; i < NODES; i++) {
                uint32_t id = (uint32_t)i;
                qel_node_editor_node_begin(ctx, id, &x[(size_t)i], &y[(size_t)i], "Node", nullptr);
                qel_node_editor_pin_opts typed = {0, 1 + i % 3};
                qel_node_editor_input_pin(ctx, 2 * id, "in", &typed);
                qel_node_editor_output_pin(ctx, 2 * id + 1, "out", &typed);
                qel_node_editor_node_end(ctx);
            }
            for (int32_t i = 0; i < NODES; i++) {
                uint32_t out = 2 * (uint32_t)i + 1;
                qel_node_editor_link(ctx, 2 * (uint32_t)i, out, 2 * (uint32_t)((i + 1) % NODES));
                qel_node_editor_link(ctx, 2 * (uint32_t)i + 1, out, 2 * (uint32_t)((i + 7) % NODES));
            }
            qel_node_editor_end(ctx);
        }
        qel_end_frame(ctx);
    }
    // A point of the canvas under the view; the canvas lies at the window's top-left.
    void move_to(float cx, float cy)
    {
        qel_input_mouse_move(ctx, cx * view.zoom + view.pan_x, cy * view.zoom + view.pan_y);
    }
    void button(bool down)
    {
        qel_input_mouse_button(ctx, 0, down);
        frame();
    }
};

void drag_all_nodes(benchmark::State& state)
{
    big_graph g((float)state.range(0) / 100);
    g.frame();
    g.move_to(-100, -50);  // empty, no link near: the click gives the editor the keyboard
    g.frame();
    g.button(true);
    g.button(false);
    qel_input_key(g.ctx, QEL_KEY_A, true, QEL_MOD_CTRL);
    g.frame();
    qel_input_key(g.ctx, QEL_KEY_A, false, 0);
    qel_input_key(g.ctx, QEL_KEY_NONE, false, 0);
    g.move_to(40, 10);  // a title bar
    g.frame();
    g.button(true);
    float step = 8;
    time_frames(state, g.ctx, [&] {
        step = -step;
        g.move_to(40 + step, 10);
        g.frame();
    });
}
BENCHMARK(drag_all_nodes)->Arg(100)->Arg(25)->Unit(benchmark::kMicrosecond);

void box_selection(benchmark::State& state)
{
    big_graph g;
    g.frame();
    g.move_to(-100, -50);
    g.frame();
    g.button(true);
    float far = 8000;
    time_frames(state, g.ctx, [&] {
        far = far == 8000 ? 7000 : 8000;
        g.move_to(far, far / 2);
        g.frame();
    });
}
BENCHMARK(box_selection)->Unit(benchmark::kMicrosecond);

void press_hit_testing_links(benchmark::State& state)
{
    big_graph g;
    g.frame();
    g.move_to(-100, -50);
    g.frame();
    for (auto _ : state) {
        g.button(true);
        state.PauseTiming();
        g.button(false);
        state.ResumeTiming();
    }
}
BENCHMARK(press_hit_testing_links)->Unit(benchmark::kMicrosecond);

}  // namespace
