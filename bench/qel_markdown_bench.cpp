// Speed of the Markdown viewer: a frame of a chat-sized message of 10 KB, a frame of a 1 MB mixed
// document with the frame arena it takes against the text's size, and a frame of each hostile
// megabyte (link scans that never close, alternating list markers, 200,000 nested quotes, lines of 3,000 nested list markers, runs of
// delimiters, a 40-column table, one long word).
#include <benchmark/benchmark.h>

#include <string>

#include "core/core.h"
#include "frame_timing.h"
#include "qel/qel.h"

namespace {

const char* const MIXED =
    "## Labels for the tea shop\n"
    "Every row prints **one label** with the *name*, the `price` and a [barcode](https://example.org/code128).\n"
    "Rows without a price are skipped; see www.example.org/help for ~~old~~ new rules.\n"
    "\n"
    "> The printer must be loaded with 2x1 stock.\n"
    "\n"
    "1. Open the sheet\n"
    "2. Check the columns\n"
    "   - [x] name\n"
    "   - [ ] price\n"
    "\n"
    "| Tea | Price | Stock |\n"
    "|:----|:-----:|------:|\n"
    "| Sencha | 4.50 | 12 |\n"
    "| Oolong | 5.20 | 3 |\n"
    "\n"
    "```c\n"
    "int main(void) { return print_labels(); }\n"
    "```\n"
    "---\n";

std::string repeated(const char* unit, size_t size)
{
    std::string s;
    while (s.size() < size) s += unit;
    return s;
}

std::string hostile(int which)
{
    const size_t mb = 1u << 20;
    switch (which) {
    case 0: return repeated("[a](b (", mb);
    case 1: return repeated("[a](x", mb);
    case 2: return repeated("[a](<", mb);
    case 3: return repeated("- a\n* b\n", mb);
    case 4: return std::string(200000, '>') + " a";
    case 5: return repeated((repeated("- ", 6000) + "a\n").c_str(), mb);
    case 6: return repeated("*", mb);
    case 7: return repeated("`a", mb);
    case 8: return repeated("\\", mb);
    case 9: return repeated("![", mb);
    case 10: {
        std::string row = "|";
        for (int i = 0; i < 40; i++) row += " c |";
        return repeated((row + "\n" + repeated("|---", 160) + "|\n").c_str(), 1) + repeated((row + "\n").c_str(), mb);
    }
    default: return repeated("word", mb);
    }
}

void markdown_frames(benchmark::State& state, const std::string& text)
{
    qel_context* ctx = qel_ctx_create(nullptr);
    qel_ctx_set_display(ctx, 1120, 760, 1);
    qel_theme_set_reduced_motion(ctx, 1);
    qel_markdown_options o = {};
    o.length = (int32_t)text.size();
    auto frame = [&] {
        qel_begin_frame(ctx, 1.0f / 60.0f);
        qel_markdown(ctx, "md", text.c_str(), &o);
        qel_end_frame(ctx);
    };
    frame();
    frame();
    time_frames(state, ctx, frame);
    state.counters["arena_per_byte"] = (double)ctx->arena.used / (double)text.size();
    qel_ctx_destroy(ctx);
}

}  // namespace

static void markdown_chat_message(benchmark::State& state)
{
    markdown_frames(state, repeated(MIXED, 10u << 10));
}
BENCHMARK(markdown_chat_message)->Unit(benchmark::kMicrosecond);

static void markdown_mixed_megabyte(benchmark::State& state)
{
    markdown_frames(state, repeated(MIXED, 1u << 20));
}
BENCHMARK(markdown_mixed_megabyte)->Unit(benchmark::kMillisecond);

static void markdown_hostile(benchmark::State& state)
{
    markdown_frames(state, hostile((int)state.range(0)));
}
BENCHMARK(markdown_hostile)->DenseRange(0, 11)->Unit(benchmark::kMillisecond);
