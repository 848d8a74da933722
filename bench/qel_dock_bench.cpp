// Speed of the dockspace: saving and loading the layout text of a full dockspace (48 panels, each
// in its own group), each under 20 us; and a 1120 x 760 frame of 48 panels in 24 groups, idle and
// while a tab is dragged over another group, each under 1 ms on one core.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "frame_timing.h"
#include "qel/qel.h"

static std::string balanced(int32_t lo, int32_t hi, int32_t per_leaf)
{
    if (hi - lo == per_leaf) {
        std::string leaf = "[*";
        for (int32_t i = lo; i < hi; i++) leaf += (i > lo ? ",Panel " : "Panel ") + std::to_string(i);
        return leaf + "]";
    }
    int32_t mid = lo + (hi - lo) / per_leaf / 2 * per_leaf;
    return std::string((hi - lo) / per_leaf % 2 ? "v0.5(" : "h0.5(") + balanced(lo, mid, per_leaf) + "," +
           balanced(mid, hi, per_leaf) + ")";
}

static void layout_save(benchmark::State& state)
{
    qel_context* ctx = qel_ctx_create(nullptr);
    std::string text = "dock1 " + balanced(0, 48, 1);
    qel_dock_layout_load(ctx, "bench", text.c_str());
    char buf[4096];
    for (auto _ : state) benchmark::DoNotOptimize(qel_dock_layout_save(ctx, "bench", buf, sizeof buf));
    state.counters["bytes"] = (double)qel_dock_layout_save(ctx, "bench", nullptr, 0);
    qel_ctx_destroy(ctx);
}
BENCHMARK(layout_save)->Unit(benchmark::kMicrosecond);

static void layout_load(benchmark::State& state)
{
    qel_context* ctx = qel_ctx_create(nullptr);
    std::string text = "dock1 " + balanced(0, 48, 1);
    for (auto _ : state) benchmark::DoNotOptimize(qel_dock_layout_load(ctx, "bench", text.c_str()));
    qel_ctx_destroy(ctx);
}
BENCHMARK(layout_load)->Unit(benchmark::kMicrosecond);

struct dock_scene {
    qel_context* ctx;
    std::string names[48];

    dock_scene()
    {
        ctx = qel_ctx_create(nullptr);
        qel_ctx_set_display(ctx, 1120, 760, 1);
        qel_theme_set_reduced_motion(ctx, 1);
        qel_dock_layout_load(ctx, "work", ("dock1 " + balanced(0, 48, 2)).c_str());
        for (int32_t i = 0; i < 48; i++) names[i] = "Panel " + std::to_string(i);
        for (int32_t i = 0; i < 4; i++) frame();
    }
    ~dock_scene() { qel_ctx_destroy(ctx); }
    void frame()
    {
        qel_begin_frame(ctx, 1.0f / 60.0f);
        qel_dockspace_begin(ctx, "work", nullptr);
        for (const std::string& name : names) {
            if (!qel_dock_panel_begin(ctx, name.c_str(), nullptr, nullptr)) continue;
            qel_text_muted(ctx, name.c_str());
            qel_dock_panel_end(ctx);
        }
        qel_dockspace_end(ctx);
        qel_end_frame(ctx);
    }
    qel_rect tab(const char* name)
    {
        qel_dockspace* ds = qel_dockspace_get(ctx, "work", nullptr);
        char scope[16];
        snprintf(scope, sizeof scope, "t%u", ds->nodes[ds->panels[qel_dock_panel_find(ds, name)].node].serial);
        qel_push_id(ctx, "work");
        qel_push_id(ctx, scope);
        uint32_t id = qel_id(ctx, name);
        qel_pop_id(ctx);
        qel_pop_id(ctx);
        return qel_id_rect(ctx, id);
    }
};

static void dock_frame_idle(benchmark::State& state)
{
    dock_scene s;
    time_frames(state, s.ctx, [&] { s.frame(); });
}
BENCHMARK(dock_frame_idle)->Unit(benchmark::kMicrosecond);

static void dock_frame_dragging(benchmark::State& state)
{
    dock_scene s;
    qel_rect t = s.tab("Panel 0");
    qel_input_mouse_move(s.ctx, t.x + 10, t.y + t.h / 2);
    s.frame();
    qel_input_mouse_button(s.ctx, 0, true);
    s.frame();
    qel_input_mouse_move(s.ctx, 800, 400);
    s.frame();
    time_frames(state, s.ctx, [&] { s.frame(); });
    qel_dockspace* ds = qel_dockspace_get(s.ctx, "work", nullptr);
    if (ds->drag.phase != 2) state.SkipWithError("no drag under way");
}
BENCHMARK(dock_frame_dragging)->Unit(benchmark::kMicrosecond);
