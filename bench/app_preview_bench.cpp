// Stepping the preview to the next row of the sample at 300 dpi: a new raster, a new grey image
// and its upload into the software renderer's texture. Fit in the window's usual preview, and
// the largest image the program makes (3x on a dense screen).
#include <benchmark/benchmark.h>

#include <cstring>

#include "app/preview.h"
#include "app/startup.h"
#include "engine/catalog.h"
#include "qel/context.h"
#include "qel/soft_renderer.h"
#include "qel/textures.h"

static void preview_next_row(benchmark::State& state)
{
    char program[] = "tagmoor-app";
    char* argv[] = {program};
    app_state* app = nullptr;
    if (app_start(1, argv, &app) != APP_EXIT_OK) return state.SkipWithError("no state");
    for (uint32_t i = 0; i < catalog_printer_count(); i++)
        if (strcmp(catalog_printer_at(i)->id, "zebra-zd421-300") == 0) app->printer = i;
    // The barcode template: the most ink.
    for (uint32_t i = 0; i < catalog_layout_count(); i++)
        if (strcmp(catalog_layout_id(i), "barcode") == 0) app->layout = i;
    app->zoom = (uint32_t)state.range(0);
    app->canvas_width = 760;
    app->canvas_height = 640;
    const float display_scale = (float)state.range(1);
    qel_soft_renderer* soft = qel_soft_create();
    qel_renderer renderer;
    qel_soft_fill_renderer(&renderer, soft);
    qel_context* ctx = qel_ctx_create(nullptr);
    qel_ctx_set_renderer(ctx, &renderer);
    qel_ctx_set_display(ctx, 1120, 760, display_scale);
    app_preview_step(ctx, app);
    for (auto _ : state) {
        app->row = (app->row + 1) % app->table.rows;
        app_preview_step(ctx, app);
        if (!app->raster_valid || !app->texture) state.SkipWithError("no preview");
    }
    state.counters["texture_px"] = (double)app->texture_width * app->texture_height;
    qel_texture_release(ctx, app->texture);
    qel_ctx_destroy(ctx);
    qel_soft_destroy(soft);
    app_state_free(app);
}
BENCHMARK(preview_next_row)->Args({APP_ZOOM_FIT, 1})->Args({APP_ZOOM_3X, 2})->Unit(benchmark::kMicrosecond);
