// Timing a widget scene: its frame run over and over once the scene is set up, with the vertex
// count of the last frame reported beside the time. Setting up the scene is each benchmark's own.
#pragma once

#include <benchmark/benchmark.h>

#include "qel/qel.h"

template <class Frame>
inline void time_frames(benchmark::State& state, qel_context* ctx, Frame frame)
{
    for (auto _ : state) {
        frame();
        benchmark::DoNotOptimize(qel_get_draw_data(ctx)->vertex_count);
    }
    state.counters["vertices"] = qel_get_draw_data(ctx)->vertex_count;
}
