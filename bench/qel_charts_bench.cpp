// Speed of a frame of a Sankey diagram of 200 links among 60 nodes in four columns, hovered so
// that the hit test runs, in a 1120 x 760 window: the layout runs in the entry and again in the
// draw callback; and of a candlestick chart of 100,000 candles zoomed out until they merge into
// one bar per pixel column, hovered, in the same window. The target of each is 1 ms on one core.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "frame_timing.h"
#include "qel/qel.h"

static void sankey_frame(benchmark::State& state)
{
    qel_context* ctx = qel_ctx_create(nullptr);
    qel_ctx_set_display(ctx, 1120, 760, 1);
    qel_theme_set_reduced_motion(ctx, 1);
    const int32_t nodes = 60, per_column = 15;
    std::vector<qel_sankey_link> links;
    for (int32_t k = 0; k < 200; k++) {
        int32_t column = k % 3, source = column * per_column + k % per_column;
        links.push_back({source, (column + 1) * per_column + (k * 7) % per_column, 1.0f + (float)(k % 13)});
    }
    qel_sankey_options o = {};
    o.height = 700;
    auto frame = [&] {
        qel_begin_frame(ctx, 1.0f / 60.0f);
        qel_sankey_chart(ctx, "flow", nullptr, nodes, links.data(), (int32_t)links.size(), &o);
        qel_end_frame(ctx);
    };
    frame();
    qel_input_mouse_move(ctx, 400, 300);
    frame();
    time_frames(state, ctx, frame);
    qel_ctx_destroy(ctx);
}
BENCHMARK(sankey_frame)->Unit(benchmark::kMicrosecond);

static void candlestick_frame(benchmark::State& state)
{
    qel_context* ctx = qel_ctx_create(nullptr);
    qel_ctx_set_display(ctx, 1120, 760, 1);
    qel_theme_set_reduced_motion(ctx, 1);
    std::vector<qel_candle> candles;
    float price = 100;
    for (int32_t i = 0; i < 100000; i++) {
        float close = price + std::sin((float)i * 0.37f) * 0.8f;
        float volume = 1000.0f + (float)(i % 97);
        candles.push_back({price, std::fmax(price, close) + 0.3f, std::fmin(price, close) - 0.3f, close, volume});
        price = close;
    }
    qel_candlestick_options o = {};
    o.height = 700;
    auto frame = [&] {
        qel_begin_frame(ctx, 1.0f / 60.0f);
        qel_candlestick_chart(ctx, "prices", candles.data(), (int32_t)candles.size(), &o);
        qel_end_frame(ctx);
    };
    frame();
    qel_input_mouse_move(ctx, 500, 300);
    for (int i = 0; i < 3; i++) frame();
    qel_input_wheel(ctx, 0, -60);  // out to every candle and a tenth more
    frame();
    time_frames(state, ctx, frame);
    qel_ctx_destroy(ctx);
}
BENCHMARK(candlestick_frame)->Unit(benchmark::kMicrosecond);
