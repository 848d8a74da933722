// Speed of the audio controls and image widgets, a frame each in a 1120 x 760 window: a waveform
// of 1,000,000 samples over 1,000 bars (target 0.5 ms), 16 knobs, 16 faders with meters and an
// 8-channel meter (target 1 ms), and a 4096 x 4096 image in the viewer with its checkerboard and
// in the cropper (target 1 ms each, one core).
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "frame_timing.h"
#include "qel/qel.h"

// A context whose frames run scene, timed once it has laid out.
template <class Scene>
static void time_scene(benchmark::State& state, Scene scene)
{
    qel_context* ctx = qel_ctx_create(nullptr);
    qel_ctx_set_display(ctx, 1120, 760, 1);
    int frame = 0;
    auto run = [&] {
        qel_begin_frame(ctx, 1.0f / 60.0f);
        scene(ctx, frame++);
        qel_end_frame(ctx);
    };
    run();
    run();
    time_frames(state, ctx, run);
    qel_ctx_destroy(ctx);
}

static void waveform_frame(benchmark::State& state)
{
    std::vector<float> samples(1000000);
    for (size_t i = 0; i < samples.size(); i++) samples[i] = std::fabs(std::sin((float)i * 0.001f));
    float position = 0.3f;
    qel_waveform_options o = {};
    o.width = {QEL_SIZE_FIXED, 1000};
    o.bar_width = 0.5f;
    o.bar_gap = 0.5f;
    time_scene(state, [&](qel_context* ctx, int) {
        qel_waveform(ctx, 1, samples.data(), (int32_t)samples.size(), &position, &o);
    });
}
BENCHMARK(waveform_frame)->Unit(benchmark::kMicrosecond);

static void mixer_frame(benchmark::State& state)
{
    float knobs[16], faders[16], levels[8];
    for (int i = 0; i < 16; i++) knobs[i] = (float)i * 6, faders[i] = -(float)i * 3;
    static const float marks[] = {6, 0, -6, -12, -24, -48, -60};
    time_scene(state, [&](qel_context* ctx, int frame) {
        for (int c = 0; c < 8; c++) levels[c] = 0.5f + 0.5f * std::sin((float)(frame + c * 7) * 0.2f);
        qel_row_begin(ctx, nullptr);
        for (int i = 0; i < 16; i++) {
            qel_push_id_int(ctx, i);
            qel_knob(ctx, "Gain", &knobs[i], 0, 100, nullptr);
            qel_pop_id(ctx);
        }
        qel_container_end(ctx);
        qel_row_begin(ctx, nullptr);
        qel_fader_opts f = {};
        f.marks = marks;
        f.mark_count = 7;
        f.meter_levels = levels;
        f.meter_channels = 2;
        for (int i = 0; i < 16; i++) {
            qel_push_id_int(ctx, i);
            qel_fader(ctx, "Level", &faders[i], -60, 6, &f);
            qel_pop_id(ctx);
        }
        qel_level_meter_opts m = {};
        m.show_scale = 1;
        qel_level_meter(ctx, "bus", levels, 8, &m);
        qel_container_end(ctx);
    });
}
BENCHMARK(mixer_frame)->Unit(benchmark::kMicrosecond);

static void viewer_frame(benchmark::State& state)
{
    qel_image_view view = {1, 2048, 2048};
    qel_image_viewer_opts o = {};
    o.height = {QEL_SIZE_FIXED, 700};
    o.checkerboard = 1;
    time_scene(state, [&](qel_context* ctx, int) { qel_image_viewer(ctx, "viewer", 1, 4096, 4096, &view, &o); });
}
BENCHMARK(viewer_frame)->Unit(benchmark::kMicrosecond);

static void cropper_frame(benchmark::State& state)
{
    float crop[4] = {};
    qel_image_cropper_opts o = {};
    o.height = {QEL_SIZE_FIXED, 700};
    o.circle = 1;
    time_scene(state, [&](qel_context* ctx, int) { qel_image_cropper(ctx, "cropper", 1, 4096, 4096, crop, &o); });
}
BENCHMARK(cropper_frame)->Unit(benchmark::kMicrosecond);
