// Speed of the keyframe curves and their editors: 1,000 evaluations spread over a 10,000-key
// curve of Smooth and Free Bezier segments, whose target is 0.2 ms; and frames of both editors.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "frame_timing.h"
#include "qel/qel.h"

// Keys 0.01 apart on a wave of the given angular step per key.
static std::vector<qel_curve_key> bezier_keys(int32_t count, float wave)
{
    std::vector<qel_curve_key> keys;
    for (int32_t i = 0; i < count; i++) {
        float x = (float)i * 0.01f, y = std::sin((float)i * wave) * 5.0f;
        uint8_t mode = i % 3 == 0 ? QEL_CURVE_FREE : QEL_CURVE_SMOOTH;
        keys.push_back({x, y, -0.004f, 0.3f, 0.006f, -0.2f, mode});
    }
    return keys;
}

static void curve_evaluations(benchmark::State& state)
{
    std::vector<qel_curve_key> keys = bezier_keys(10000, 0.7f);
    float last = keys.back().x;
    for (auto _ : state) {
        float sum = 0;
        for (int32_t q = 0; q < 1000; q++) sum += qel_curve_evaluate(keys.data(), 10000, last * ((float)q + 0.37f) / 1000);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(curve_evaluations)->Unit(benchmark::kMicrosecond);

// A frame of a curve editor of 2,000 keys along a few waves in a 1120 x 760 window, the pointer
// over the plot so the read-out runs; the target is 1 ms on one core.
static void curve_editor_frame(benchmark::State& state)
{
    qel_context* ctx = qel_ctx_create(nullptr);
    qel_ctx_set_display(ctx, 1120, 760, 1);
    qel_theme_set_reduced_motion(ctx, 1);
    std::vector<qel_curve_key> keys = bezier_keys(2000, 0.02f);
    int32_t count = 2000;
    qel_curve_editor_opts o = {};
    o.x_max = keys.back().x;
    o.y_min = -6;
    o.y_max = 6;
    o.plot_height = 600;
    auto frame = [&] {
        qel_begin_frame(ctx, 1.0f / 60.0f);
        qel_curve_editor(ctx, "curve", keys.data(), &count, count, &o);
        qel_end_frame(ctx);
    };
    frame();
    qel_input_mouse_move(ctx, 500, 300);
    frame();
    time_frames(state, ctx, frame);
    qel_ctx_destroy(ctx);
}
BENCHMARK(curve_editor_frame)->Unit(benchmark::kMicrosecond);

// A frame of a gradient editor of 256 stops, every other one translucent so the checkerboard is
// drawn, in a 1120 x 760 window; the target is 1 ms on one core.
static void gradient_editor_frame(benchmark::State& state)
{
    qel_context* ctx = qel_ctx_create(nullptr);
    qel_ctx_set_display(ctx, 1120, 760, 1);
    qel_theme_set_reduced_motion(ctx, 1);
    std::vector<qel_gradient_stop> stops;
    for (int32_t i = 0; i < 256; i++) {
        qel_color alpha = i % 2 ? 0x80000000u : 0xff000000u;
        stops.push_back({(float)i / 255, alpha | ((uint32_t)(i * 0x010305) & 0xffffffu)});
    }
    int32_t count = 256;
    auto frame = [&] {
        qel_begin_frame(ctx, 1.0f / 60.0f);
        qel_gradient_editor(ctx, "gradient", stops.data(), &count, count, nullptr);
        qel_end_frame(ctx);
    };
    frame();
    qel_input_mouse_move(ctx, 500, 40);
    frame();
    time_frames(state, ctx, frame);
    qel_ctx_destroy(ctx);
}
BENCHMARK(gradient_editor_frame)->Unit(benchmark::kMicrosecond);
