// Speed of the keyframe curves: 1,000 evaluations spread over a 10,000-key curve of Smooth and
// Free Bezier segments, whose target is 0.2 ms.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "qel/qel.h"

static std::vector<qel_curve_key> bezier_keys(int32_t count)
{
    std::vector<qel_curve_key> keys;
    for (int32_t i = 0; i < count; i++) {
        float x = (float)i * 0.01f, y = std::sin((float)i * 0.7f) * 5.0f;
        uint8_t mode = i % 3 == 0 ? QEL_CURVE_FREE : QEL_CURVE_SMOOTH;
        keys.push_back({x, y, -0.004f, 0.3f, 0.006f, -0.2f, mode});
    }
    return keys;
}

static void curve_evaluations(benchmark::State& state)
{
    std::vector<qel_curve_key> keys = bezier_keys(10000);
    float last = keys.back().x;
    for (auto _ : state) {
        float sum = 0;
        for (int32_t q = 0; q < 1000; q++) sum += qel_curve_evaluate(keys.data(), 10000, last * ((float)q + 0.37f) / 1000);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(curve_evaluations)->Unit(benchmark::kMicrosecond);
