// Speed of a frame of the data table: 100,000 rows of 8 columns, without and with a selection
// (whose check column reads every flag), scrolled to the middle of a 1120 x 760 window, built,
// laid out and drawn into the draw list. Only the rows in view are built, so the frame should
// cost about what a screenful costs; the target is 0.5 ms on one core.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

#include "frame_timing.h"
#include "qel/qel.h"

static void data_table_frame(benchmark::State& state)
{
    qel_context* ctx = qel_ctx_create(nullptr);
    qel_ctx_set_display(ctx, 1120, 760, 1);
    const int32_t rows = 100000;
    std::vector<uint8_t> selection((size_t)rows);
    qel_data_table_column columns[8];
    static const char* const titles[8] = {"Name", "Price", "Barcode", "Stock", "Shelf", "Size", "Maker", "Note"};
    for (int32_t c = 0; c < 8; c++) columns[c] = {titles[c], 130, c == 1 ? 2u : 0u, 1, 0, c > 4 ? c : 0};
    qel_data_table_options o = {};
    o.selection = state.range(0) ? selection.data() : nullptr;
    o.striped = 1;
    char cell[32];
    auto frame = [&] {
        qel_begin_frame(ctx, 1.0f / 60.0f);
        int32_t first = 0, last = 0;
        qel_data_table_begin(ctx, "table", columns, 8, rows, &first, &last, &o);
        for (int32_t r = first; r < last; r++) {
            qel_data_table_row(ctx, r);
            for (int32_t c = 0; c < 8; c++) {
                snprintf(cell, sizeof cell, "Row %d col %d", r, c);
                qel_data_table_cell_text(ctx, cell);
            }
        }
        qel_data_table_end(ctx);
        qel_end_frame(ctx);
    };
    frame();
    auto* s = (qel_scroll_state*)qel_state_get(ctx, qel_id(ctx, "table") ^ 0x5c011, sizeof(qel_scroll_state));
    s->target_y = 40.0f * rows / 2;
    qel_theme_set_reduced_motion(ctx, 1);
    frame();
    frame();
    time_frames(state, ctx, frame);
    qel_ctx_destroy(ctx);
}
BENCHMARK(data_table_frame)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
