// Speed of a whole toolkit frame: 1,000 text nodes in 100 rows built, laid out and drawn into
// the draw list, as an immediate-mode window rebuilds itself every frame.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "qel/qel.h"

static void text_rows_frame(benchmark::State& state)
{
    qel_context* ctx = qel_ctx_create(nullptr);
    qel_ctx_set_display(ctx, 1920, 2400, 1);  // every row on screen: none is culled
    char cells[1000][16];
    for (int i = 0; i < 1000; i++) snprintf(cells[i], sizeof cells[i], "Item %d", i);
    qel_style row = {};
    row.gap = 8;
    row.padding = 2;
    for (auto _ : state) {
        qel_begin_frame(ctx, 1.0f / 120.0f);
        qel_column_begin(ctx, nullptr);
        for (int r = 0; r < 100; r++) {
            qel_row_begin(ctx, &row);
            for (int c = 0; c < 10; c++)
                qel_node_text(ctx, cells[r * 10 + c], -1, QEL_FONT_BODY, 13, qel_color_token(QEL_COLOR_TEXT), false);
            qel_container_end(ctx);
        }
        qel_container_end(ctx);
        qel_end_frame(ctx);
        benchmark::DoNotOptimize(qel_get_draw_data(ctx)->vertex_count);
    }
    state.counters["vertices"] = qel_get_draw_data(ctx)->vertex_count;
    qel_ctx_destroy(ctx);
}
BENCHMARK(text_rows_frame)->Unit(benchmark::kMicrosecond);
