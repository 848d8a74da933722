// Start-up cost of the embedded fonts: inflating all five.
#include <benchmark/benchmark.h>

#include <vector>

#include "text/embedded_fonts.h"
#include "text/inflate.h"

static void inflate_embedded_fonts(benchmark::State& state)
{
    std::vector<uint8_t> buffers[QEL_EMBEDDED_FONT_COUNT];
    const uint8_t* streams[QEL_EMBEDDED_FONT_COUNT];
    uint32_t compressed[QEL_EMBEDDED_FONT_COUNT], inflated[QEL_EMBEDDED_FONT_COUNT];
    for (int32_t i = 0; i < QEL_EMBEDDED_FONT_COUNT; i++) {
        if (!qel_embedded_font(i, &streams[i], &compressed[i], &inflated[i])) return state.SkipWithError("no font record");
        buffers[i].resize(inflated[i]);
    }
    for (auto _ : state) {
        for (int32_t i = 0; i < QEL_EMBEDDED_FONT_COUNT; i++)
            benchmark::DoNotOptimize(qel_inflate(streams[i], compressed[i], buffers[i].data(), buffers[i].size()));
    }
}
BENCHMARK(inflate_embedded_fonts)->Unit(benchmark::kMillisecond);
