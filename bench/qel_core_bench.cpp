// Speed of the toolkit's hottest foundations: recording boxes into the draw list and hashing
// widget labels into ids.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <vector>

#include "core/core.h"
#include "qel/qel.h"

// 10,000 rounded boxes with borders, as a busy frame of widgets records them.
static void rounded_boxes_with_borders(benchmark::State& state)
{
    qel_context* ctx = qel_ctx_create(nullptr);
    qel_ctx_set_display(ctx, 1920, 1080, 1);
    const float radii[4] = {6, 6, 6, 6};
    const qel_color fill = qel_color_token(QEL_COLOR_SURFACE), border = qel_color_token(QEL_COLOR_BORDER);
    for (auto _ : state) {
        qel_draw_reset(ctx);
        for (int i = 0; i < 10000; i++) {
            qel_rect r = {(float)(i % 100) * 19.0f, (float)(i / 100) * 10.0f, 17, 8};
            qel_draw_rect_bordered(ctx, &r, radii, fill, border, 1);
        }
        benchmark::DoNotOptimize(ctx->draw.vertices);
    }
    qel_ctx_destroy(ctx);
}
BENCHMARK(rounded_boxes_with_borders)->Unit(benchmark::kMillisecond);

// 1,000,000 ids of 16-byte labels under one scope.
static void label_ids(benchmark::State& state)
{
    qel_context* ctx = qel_ctx_create(nullptr);
    std::vector<std::array<char, 17>> labels(1024);
    for (size_t i = 0; i < labels.size(); i++) snprintf(labels[i].data(), 17, "Button #%08zu", i);
    qel_push_id(ctx, "#panel");
    for (auto _ : state) {
        uint32_t all = 0;
        for (int i = 0; i < 1000000; i++) all ^= qel_id(ctx, labels[i & 1023].data());
        benchmark::DoNotOptimize(all);
    }
    qel_ctx_destroy(ctx);
}
BENCHMARK(label_ids)->Unit(benchmark::kMillisecond);
