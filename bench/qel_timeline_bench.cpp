// Speed of the timeline: dragging half the keys of a 10,000-key track across the whole range in
// one frame, re-sort included, whose target is 2 ms.
#include <benchmark/benchmark.h>

#include <vector>

#include "qel/qel.h"

// Keys 0.001 s apart over 0..10 s; the first half is selected, so a move of 5 s lands each of
// them between two resting keys and back.
static void timeline_drag_half(benchmark::State& state)
{
    const int32_t n = 10000;
    std::vector<qel_curve_key> keys((size_t)n);
    std::vector<uint8_t> flags((size_t)n);
    for (int32_t i = 0; i < n; i++) {
        keys[(size_t)i] = {(float)i * 0.001f + 0.0005f, (float)i, 0, 0, 0, 0, QEL_CURVE_LINEAR};
        flags[(size_t)i] = i < n / 2;
    }
    qel_timeline_track track{};
    track.keys = keys.data();
    track.key_count = track.key_capacity = n;
    track.key_selected = flags.data();
    int32_t anchor = 0, follow = n / 4;
    float delta = 5;
    for (auto _ : state) {
        benchmark::DoNotOptimize(qel_timeline_move_keys(&track, 1, delta, 0, 30, 0, 10, 0, &anchor,
                                                        keys[(size_t)anchor].x + delta, 0, &follow));
        delta = -delta;
    }
}
BENCHMARK(timeline_drag_half)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
