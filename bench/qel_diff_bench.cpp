// Speed of the line diff: two 10,000-line files with 1 % of their lines changed (target 5 ms),
// and two 100,000-line files holding the same lines shuffled, which reaches the bounds (target
// 300 ms); a diff viewer frame over 100,000 rows scrolled to the middle once computed (target
// 0.5 ms), and a hex viewer frame over 1 GiB scrolled to its end (target 0.3 ms).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <sys/mman.h>

#include "frame_timing.h"
#include "qel/qel.h"

#include "qel/diff.h"

namespace {

std::vector<std::string> numbered_lines(int32_t count)
{
    std::vector<std::string> lines;
    for (int32_t i = 0; i < count; i++)
        lines.push_back("    total += price_of(row_" + std::to_string(i % 977) + ", " + std::to_string(i) + ");\n");
    return lines;
}

std::string joined(const std::vector<std::string>& lines)
{
    std::string s;
    for (const std::string& line : lines) s += line;
    return s;
}

void run_diff(benchmark::State& state, const std::string& a, const std::string& b)
{
    qel_diff_summary s = {};
    for (auto _ : state) benchmark::DoNotOptimize(qel_diff_texts(a.data(), a.size(), b.data(), b.size(), 0, nullptr, 0, &s));
    state.counters["hunks"] = s.hunk_count;
    state.counters["limit"] = s.limit_reached;
}

}  // namespace

static void diff_one_percent(benchmark::State& state)
{
    std::vector<std::string> lines = numbered_lines(10000);
    std::string a = joined(lines);
    std::mt19937 rng(5);
    for (int32_t i = 0; i < 100; i++) lines[rng() % lines.size()] = "    changed();\n";
    run_diff(state, a, joined(lines));
}
BENCHMARK(diff_one_percent)->Unit(benchmark::kMillisecond);

static void diff_shuffled(benchmark::State& state)
{
    std::vector<std::string> lines = numbered_lines(100000);
    std::string a = joined(lines);
    std::shuffle(lines.begin(), lines.end(), std::mt19937(9));
    run_diff(state, a, joined(lines));
}
BENCHMARK(diff_shuffled)->Unit(benchmark::kMillisecond);

static void diff_view_frame(benchmark::State& state)
{
    qel_context* ctx = qel_ctx_create(nullptr);
    qel_ctx_set_display(ctx, 1120, 760, 1);
    qel_theme_set_reduced_motion(ctx, 1);
    std::vector<std::string> lines = numbered_lines(66668);
    std::string a = joined(lines);
    for (size_t i = 0; i < lines.size(); i += 2) lines[i] = "    changed(" + std::to_string(i) + ");\n";
    std::string b = joined(lines);
    qel_diff_view_options o = {};
    o.unified = 1;
    o.language = "c";
    o.height = 700;
    o.expand_all = 1;
    qel_diff_view_result r = {};
    auto frame = [&] {
        qel_begin_frame(ctx, 1.0f / 60.0f);
        r = qel_diff_view(ctx, "diff", a.c_str(), b.c_str(), &o);
        qel_end_frame(ctx);
    };
    frame();
    frame();
    auto* scroll = (qel_scroll_state*)qel_state_get(ctx, qel_id(ctx, "diff") ^ 0xd1ff5c, sizeof(qel_scroll_state));
    int32_t rows = qel_diff_view_rows(ctx, "diff", nullptr, 0, 0);
    scroll->target_y = scroll->scroll_y = (float)rows * 21 / 2;
    frame();
    time_frames(state, ctx, frame);
    state.counters["rows"] = rows;
    qel_ctx_destroy(ctx);
}
BENCHMARK(diff_view_frame)->Unit(benchmark::kMicrosecond);

static void hex_view_frame(benchmark::State& state)
{
    const uint64_t size = (uint64_t)1 << 30;
    void* block = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (block == MAP_FAILED) {
        state.SkipWithError("no room for 1 GiB");
        return;
    }
    qel_context* ctx = qel_ctx_create(nullptr);
    qel_ctx_set_display(ctx, 1120, 760, 1);
    qel_theme_set_reduced_motion(ctx, 1);
    qel_hex_view_options o = {};
    o.height = 700;
    auto frame = [&] {
        qel_begin_frame(ctx, 1.0f / 60.0f);
        qel_hex_view(ctx, "hex", (const uint8_t*)block, size, nullptr, &o);
        qel_end_frame(ctx);
    };
    frame();
    qel_hex_view_scroll_to(ctx, "hex", size - 1);
    frame();
    frame();
    time_frames(state, ctx, frame);
    qel_ctx_destroy(ctx);
    munmap(block, size);
}
BENCHMARK(hex_view_frame)->Unit(benchmark::kMicrosecond);
