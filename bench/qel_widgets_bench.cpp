// Speed of a frame of foundation widgets: 200 buttons and 500 lines of text in a scroll area of
// a 1120 x 760 window, built, laid out and drawn into the draw list, as the windowed program
// rebuilds itself every frame. Half way down the list, so the scrolled-out rows are culled.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "frame_timing.h"
#include "qel/qel.h"

static void buttons_and_text_frame(benchmark::State& state)
{
    qel_context* ctx = qel_ctx_create(nullptr);
    qel_ctx_set_display(ctx, 1120, 760, 1);
    static char labels[200][16], lines[500][48];
    for (int i = 0; i < 200; i++) snprintf(labels[i], sizeof labels[i], "Button %d", i);
    for (int i = 0; i < 500; i++) snprintf(lines[i], sizeof lines[i], "Line %d of the product list, 4.20 each", i);
    qel_style buttons = {};
    buttons.wrap = 1;
    buttons.gap = 6;
    qel_text_opts line = {};
    line.single_line = 1;
    qel_scroll_area_options area = {};
    area.name = "list";
    area.padding = 12;
    area.gap = 4;
    area.fades = 1;
    auto frame = [&] {
        qel_begin_frame(ctx, 1.0f / 60.0f);
        qel_scroll_area_begin(ctx, &area);
        qel_row_begin(ctx, &buttons);
        for (const char* label : labels) qel_button(ctx, label, nullptr);
        qel_container_end(ctx);
        for (const char* text : lines) qel_text_ex(ctx, text, &line);
        qel_scroll_area_end(ctx);
        qel_end_frame(ctx);
    };
    frame();
    frame();
    qel_scroll_to_y(ctx, "list", 4000);
    qel_theme_set_reduced_motion(ctx, 1);
    frame();
    time_frames(state, ctx, frame);
    qel_ctx_destroy(ctx);
}
BENCHMARK(buttons_and_text_frame)->Unit(benchmark::kMicrosecond);

// A virtual list over a million list rows scrolled to the middle: only the rows in view are
// built, so the frame costs what a screenful costs.
static void virtual_list_frame(benchmark::State& state)
{
    qel_context* ctx = qel_ctx_create(nullptr);
    qel_ctx_set_display(ctx, 1120, 760, 1);
    const int32_t rows = 1000000;
    auto frame = [&] {
        qel_begin_frame(ctx, 1.0f / 60.0f);
        int32_t first = 0, last = 0;
        qel_virtual_list_begin(ctx, "rows", rows, 38, {QEL_SIZE_FIT, 0}, &first, &last);
        for (int32_t i = first; i < last; i++) {
            qel_push_id_int(ctx, i);
            qel_list_item(ctx, qel_arena_sprintf(ctx, "Product %d", i), nullptr);
            qel_pop_id(ctx);
        }
        qel_virtual_list_end(ctx);
        qel_end_frame(ctx);
    };
    frame();
    auto* s = (qel_scroll_state*)qel_state_get(ctx, qel_id(ctx, "rows"), sizeof(qel_scroll_state));
    s->target_y = 38.0f * rows / 2;
    qel_theme_set_reduced_motion(ctx, 1);
    frame();
    frame();
    time_frames(state, ctx, frame);
    qel_ctx_destroy(ctx);
}
BENCHMARK(virtual_list_frame)->Unit(benchmark::kMicrosecond);
