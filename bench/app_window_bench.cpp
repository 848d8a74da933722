// One frame of the main window on the sample shop, headless: the frame's widgets, layout and draw
// list with the preview settled (no render, no new texture), as each input event costs.
#include <benchmark/benchmark.h>

#include "app/app_ui_frame.h"
#include "app/startup.h"
#include "qel/qel.h"
#include "qel/soft_renderer.h"

static void main_window_frame(benchmark::State& state)
{
    char program[] = "tagmoor-app";
    char* argv[] = {program};
    app_state* app = nullptr;
    if (app_start(1, argv, &app) != APP_EXIT_OK) return state.SkipWithError("no state");
    app->queue_count = 0;
    qel_soft_renderer* soft = qel_soft_create();
    qel_renderer renderer;
    qel_soft_fill_renderer(&renderer, soft);
    qel_context* ctx = qel_ctx_create(nullptr);
    qel_ctx_set_renderer(ctx, &renderer);
    qel_ctx_set_display(ctx, 1120, 760, 1);
    auto frame = [&] {
        qel_begin_frame(ctx, 1.0f / 60);
        app_ui_frame(ctx, app);
        qel_end_frame(ctx);
    };
    for (int i = 0; i < 10; i++) frame();
    if (!app->texture) state.SkipWithError("no preview");
    for (auto _ : state) frame();
    state.counters["vertices"] = (double)qel_get_draw_data(ctx)->vertex_count;
    qel_texture_release(ctx, app->texture);
    qel_ctx_destroy(ctx);
    qel_soft_destroy(soft);
    app_state_free(app);
}
BENCHMARK(main_window_frame)->Unit(benchmark::kMicrosecond);
