// Speed of the flame graph and the orb in a 1120 x 760 window: a frame over 1,000,000 spans in
// 30 depths zoomed out to the whole trace (target 2 ms) and zoomed in to a thousandth of it
// (target 0.3 ms), the pointer over the bars; a frame of an orb of 160 px with motion on, its
// looks cross-fading (target 0.2 ms); a frame of 50 chat messages with Markdown bodies of 20 KB
// in all in a scroll container (target 3 ms).
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "frame_timing.h"
#include "qel/qel.h"

// Each depth tiles the trace with spans of random lengths, deeper rows with more of them.
static std::vector<qel_flame_span> big_trace()
{
    static const char* const names[4] = {"layout", "render", "encode", "send"};
    std::mt19937 random(11);
    std::vector<qel_flame_span> spans;
    const int per_depth[30] = {1,     2,     4,     8,     16,    32,    64,    128,   256,   512,
                               1024,  2048,  4096,  8192,  16384, 32768, 40000, 50000, 60000, 70000,
                               80000, 80000, 80000, 80000, 80000, 80000, 80000, 60000, 20000, 74465};
    for (int d = 0; d < 30; d++) {
        double step = 100.0 / per_depth[d];
        for (int i = 0; i < per_depth[d]; i++) {
            double start = i * step, length = step * (0.5 + 0.5 * (double)(random() % 1000) / 1000);
            spans.push_back({names[random() % 4], start, start + length, d, 0});
        }
    }
    qel_flame_sort_spans(spans.data(), (int32_t)spans.size());
    return spans;
}

static void flame_frame(benchmark::State& state, double view_width)
{
    static const std::vector<qel_flame_span> spans = big_trace();
    qel_context* ctx = qel_ctx_create(nullptr);
    qel_ctx_set_display(ctx, 1120, 760, 1);
    qel_flame_view view = {50, 50 + view_width, 0};
    qel_flame_options o = {};
    o.height = 700;
    auto run = [&] {
        qel_begin_frame(ctx, 1.0f / 60.0f);
        qel_flame_graph(ctx, "trace", spans.data(), (int32_t)spans.size(), &view, nullptr, &o);
        qel_end_frame(ctx);
    };
    run();
    qel_input_mouse_move(ctx, 560, 300);
    run();
    time_frames(state, ctx, run);
    qel_ctx_destroy(ctx);
}

static void flame_zoomed_out(benchmark::State& state)
{
    flame_frame(state, 1000);
}
BENCHMARK(flame_zoomed_out)->Unit(benchmark::kMicrosecond);

static void flame_zoomed_in(benchmark::State& state)
{
    flame_frame(state, 0.1);
}
BENCHMARK(flame_zoomed_in)->Unit(benchmark::kMicrosecond);

static void orb_frame(benchmark::State& state)
{
    qel_context* ctx = qel_ctx_create(nullptr);
    qel_ctx_set_display(ctx, 1120, 760, 1);
    int frame = 0;
    auto run = [&] {
        qel_begin_frame(ctx, 1.0f / 60.0f);
        qel_assistant_orb(ctx, "orb", frame / 30 % 4, 0.5f + 0.5f * (float)(frame % 7) / 7, nullptr);
        qel_end_frame(ctx);
        frame++;
    };
    run();
    time_frames(state, ctx, run);
    qel_ctx_destroy(ctx);
}
BENCHMARK(orb_frame)->Unit(benchmark::kMicrosecond);

static void chat_frame(benchmark::State& state)
{
    qel_context* ctx = qel_ctx_create(nullptr);
    qel_ctx_set_display(ctx, 1120, 760, 1);
    std::vector<std::string> bodies;
    size_t total = 0;
    for (int i = 0; i < 50; i++) {
        std::string body = "Label run **" + std::to_string(i) + "**: the `A-100` prices changed.\n\n";
        while (body.size() < 400)
            body += "- shelf tag for [item " + std::to_string(body.size()) + "](https://example.org) *now*\n";
        total += body.size();
        bodies.push_back(body);
    }
    state.counters["bytes"] = (double)total;
    auto run = [&] {
        qel_begin_frame(ctx, 1.0f / 60.0f);
        qel_style s = {};
        s.width = {QEL_SIZE_GROW, 1};
        s.height = {QEL_SIZE_GROW, 1};
        qel_scroll_begin(ctx, qel_id(ctx, "chat"), &s, false);
        for (int i = 0; i < 50; i++) {
            qel_chat_message_opts o = {};
            o.mine = i % 3 == 0;
            o.name = "Ann Ash";
            o.time = "09:41";
            o.grouped = i % 2;
            o.last = 1;
            o.markdown = 1;
            qel_chat_message(ctx, bodies[(size_t)i].c_str(), &o);
        }
        qel_scroll_end(ctx);
        qel_end_frame(ctx);
    };
    run();
    run();
    run();
    time_frames(state, ctx, run);
    qel_ctx_destroy(ctx);
}
BENCHMARK(chat_frame)->Unit(benchmark::kMicrosecond);
