// Speed of the log buffer and viewer and of the terminal: a million 60-byte log appends; a viewer
// frame following the end of a million-line log that grows by a thousand lines a frame; a filter
// change over a million lines; terminal intake of 10 MB of mixed output; a terminal frame at the
// end of 100,000 held lines.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "frame_timing.h"
#include "qel/qel.h"

static const int32_t MILLION = 1000000;

// A log with room for a million lines of about 60 bytes.
struct big_log {
    std::vector<qel_log_entry> entries = std::vector<qel_log_entry>(MILLION);
    std::vector<char> text = std::vector<char>(72u * MILLION);
    qel_log log = {};
    big_log() { qel_log_init(&log, entries.data(), MILLION, text.data(), (uint32_t)text.size()); }
    // Lines of 60 bytes, every seventh mentioning a 7 where the others do not.
    void fill(int32_t lines)
    {
        static const char* const texts[7] = {
            "worker 01 finished job 00001234 in  512 ms, queue depth ok..",
            "worker 02 finished job 00001235 in  613 ms, queue depth ok..",
            "worker 03 finished job 00001236 in  514 ms, queue depth ok..",
            "worker 04 finished job 00001238 in  615 ms, queue depth ok..",
            "worker 05 finished job 00001239 in  516 ms, queue depth ok..",
            "worker 06 finished job 00001230 in  618 ms, queue depth ok..",
            "worker 07 finished job 00001237 in  517 ms, queue depth ok..",
        };
        for (int32_t i = 0; i < lines; i++) qel_log_append(&log, i % 5, i, texts[i % 7], 60);
    }
};

static void log_million_appends(benchmark::State& state)
{
    big_log b;
    const char* line = "worker 07 finished job 00001234 in  512 ms, queue depth ok.";
    for (auto _ : state)
        for (int32_t i = 0; i < MILLION; i++) qel_log_append(&b.log, i % 5, i, line, 60);
    benchmark::DoNotOptimize(b.log.total);
}
BENCHMARK(log_million_appends)->Unit(benchmark::kMillisecond);

static qel_context* window()
{
    qel_context* ctx = qel_ctx_create(nullptr);
    qel_ctx_set_display(ctx, 1120, 760, 1);
    qel_theme_set_reduced_motion(ctx, 1);
    return ctx;
}

static void log_view_following_frame(benchmark::State& state)
{
    qel_context* ctx = window();
    big_log b;
    b.fill(MILLION);
    qel_log_view_opts opts = {};
    opts.height = -1;
    opts.show_timestamps = 1;
    auto frame = [&] {
        b.fill(1000);
        qel_begin_frame(ctx, 1.0f / 60.0f);
        qel_log_view(ctx, "log", &b.log, &opts);
        qel_end_frame(ctx);
    };
    frame();
    frame();
    time_frames(state, ctx, frame);
    qel_ctx_destroy(ctx);
}
BENCHMARK(log_view_following_frame)->Unit(benchmark::kMicrosecond);

// Typing a letter into the filter and taking it back, a frame each: every frame rebuilds the
// matches over the million lines.
static void log_view_filter_change(benchmark::State& state)
{
    qel_context* ctx = window();
    big_log b;
    b.fill(MILLION);
    auto frame = [&] {
        qel_begin_frame(ctx, 1.0f / 60.0f);
        qel_log_view(ctx, "log", &b.log, nullptr);
        qel_end_frame(ctx);
    };
    frame();
    qel_push_id(ctx, "log");
    uint32_t search = qel_id(ctx, "search");
    qel_pop_id(ctx);
    qel_set_focus(ctx, search, false);
    frame();
    bool typed = false;
    for (auto _ : state) {
        if (typed) {
            qel_input_key(ctx, QEL_KEY_BACKSPACE, true, 0);
            qel_input_key(ctx, QEL_KEY_BACKSPACE, false, 0);
        } else {
            qel_input_chars(ctx, "7");
        }
        typed = !typed;
        frame();
    }
    qel_ctx_destroy(ctx);
}
BENCHMARK(log_view_filter_change)->Unit(benchmark::kMillisecond);

// Build output as a terminal sees it: coloured lines, progress lines redrawn after a carriage
// return, tabs and a title now and then.
static std::string mixed_output(size_t size)
{
    std::string out;
    char line[160];
    for (int i = 0; out.size() < size; i++) {
        if (i % 7 == 0) snprintf(line, sizeof line, "\x1b[1;32m[%3d%%]\x1b[0m Building CXX object src/module_%d.cpp.o\n", i % 101, i);
        else if (i % 7 == 1) snprintf(line, sizeof line, "progress %d/%d\r\x1b[K", i, i * 2);
        else if (i % 7 == 2) snprintf(line, sizeof line, "name\t%d\tvalue\t\x1b[38;5;%dm%d\x1b[0m\n", i, i % 256, i * 3);
        else if (i % 97 == 3) snprintf(line, sizeof line, "\x1b]0;build %d\x07", i);
        else snprintf(line, sizeof line, "warning: unused variable 'x%d' [-Wunused-variable] caf\xc3\xa9 \xe2\x96\x88\n", i);
        out += line;
    }
    return out;
}

static void terminal_write_mixed(benchmark::State& state)
{
    std::string output = mixed_output(10u << 20);
    std::vector<char> text(4u << 20);
    std::vector<qel_terminal_line> lines(65536);
    qel_terminal_buffer b;
    qel_terminal_init(&b, text.data(), (uint32_t)text.size(), lines.data(), 65536);
    for (auto _ : state)
        for (size_t at = 0; at < output.size(); at += 65536) {
            size_t n = output.size() - at < 65536 ? output.size() - at : 65536;
            qel_terminal_write(&b, output.data() + at, (int32_t)n);
        }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)output.size());
}
BENCHMARK(terminal_write_mixed)->Unit(benchmark::kMillisecond);

static void terminal_frame_at_end(benchmark::State& state)
{
    qel_context* ctx = window();
    std::string output = mixed_output(12u << 20);
    std::vector<char> text(16u << 20);
    std::vector<qel_terminal_line> lines(100000);
    qel_terminal_buffer b;
    qel_terminal_init(&b, text.data(), (uint32_t)text.size(), lines.data(), 100000);
    qel_terminal_write(&b, output.data(), (int32_t)output.size());
    auto frame = [&] {
        qel_begin_frame(ctx, 1.0f / 60.0f);
        qel_terminal(ctx, "term", &b, nullptr);
        qel_end_frame(ctx);
    };
    frame();
    frame();
    state.counters["lines"] = b.count;
    time_frames(state, ctx, frame);
    qel_ctx_destroy(ctx);
}
BENCHMARK(terminal_frame_at_end)->Unit(benchmark::kMicrosecond);
