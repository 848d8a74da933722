// Speed of the timeline: a frame of 20 tracks of 10,000 keys and 500 clips zoomed out, whose
// target is 1 ms on one core, and dragging half the keys of a 10,000-key track across the whole
// range in one frame, re-sort included, whose target is 2 ms.
#include <benchmark/benchmark.h>

#include <vector>

#include "frame_timing.h"
#include "qel/qel.h"

// Every track spans 0..1000 s: keys 0.1 s apart, clips of 1.5 s every 2 s.
static void timeline_frame(benchmark::State& state)
{
    qel_context* ctx = qel_ctx_create(nullptr);
    qel_ctx_set_display(ctx, 1280, 720, 1);
    qel_theme_set_reduced_motion(ctx, 1);
    const int32_t tracks_n = 20, keys_n = 10000, clips_n = 500;
    std::vector<std::vector<qel_curve_key>> keys((size_t)tracks_n);
    std::vector<std::vector<uint8_t>> flags((size_t)tracks_n);
    std::vector<std::vector<qel_timeline_clip>> clips((size_t)tracks_n);
    std::vector<qel_timeline_track> tracks((size_t)tracks_n);
    for (int32_t t = 0; t < tracks_n; t++) {
        for (int32_t k = 0; k < keys_n; k++)
            keys[(size_t)t].push_back({(float)k * 0.1f, (float)k, 0, 0, 0, 0, (uint8_t)(k % 4)});
        flags[(size_t)t].assign((size_t)keys_n, 0);
        for (int32_t c = 0; c < clips_n; c++)
            clips[(size_t)t].push_back({(float)c * 2, (float)c * 2 + 1.5f, 0, "clip", (uint8_t)(c % 7 == 0)});
        qel_timeline_track& tr = tracks[(size_t)t];
        tr = {};
        tr.name = "Track";
        tr.depth = t % 5 == 0 ? 0 : 1;
        tr.keys = keys[(size_t)t].data();
        tr.key_count = tr.key_capacity = keys_n;
        tr.key_selected = flags[(size_t)t].data();
        tr.clips = clips[(size_t)t].data();
        tr.clip_count = clips_n;
    }
    float playhead = 0;
    qel_timeline_options o = {};
    o.range_end = 1000;
    o.height = 700;
    o.row_height = 30;
    auto frame = [&] {
        qel_begin_frame(ctx, 1.0f / 60.0f);
        qel_timeline(ctx, "timeline", tracks.data(), tracks_n, &playhead, &o);
        qel_end_frame(ctx);
    };
    frame();
    qel_input_mouse_move(ctx, 640, 300);
    frame();
    time_frames(state, ctx, frame);
    qel_ctx_destroy(ctx);
}
BENCHMARK(timeline_frame)->Unit(benchmark::kMicrosecond);

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
