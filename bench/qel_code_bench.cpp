// Speed of the code viewers: tokenizing C source, a frame with a 1,000-line code block, a frame
// of a JSON view with 4,096 values expanded, and the code editor on a 100,000-line C file with
// the caret at the end and one key typed each frame.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "frame_timing.h"
#include "qel/qel.h"

namespace {

const char* const C_LINES[] = {
    "#include <stdio.h>",
    "/* Prints one label for every row of the sheet. */",
    "static int print_row(const struct row* r, size_t index)",
    "{",
    "    char line[64];  // the price as shown",
    "    int n = snprintf(line, sizeof line, \"%s %d.%02d\", r->name, r->cents / 100, r->cents % 100);",
    "    if (n < 0 || index > 0x7FFFFFFF) return -1;",
    "    return Label_write(line, (size_t)n) ? 0 : 1;",
    "}",
    "",
};

std::string c_source(int32_t lines)
{
    std::string s;
    for (int32_t i = 0; i < lines; i++) {
        s += C_LINES[i % 10];
        s += '\n';
    }
    return s;
}

qel_context* bench_context()
{
    qel_context* ctx = qel_ctx_create(nullptr);
    qel_ctx_set_display(ctx, 1120, 760, 1);
    qel_theme_set_reduced_motion(ctx, 1);
    return ctx;
}

}  // namespace

static void tokenize_c(benchmark::State& state)
{
    std::string source = c_source(20000);
    qel_code_token tokens[QEL_CODE_MAX_TOKENS];
    for (auto _ : state) {
        uint8_t comment = 0;
        int32_t total = 0;
        for (size_t start = 0; start < source.size();) {
            size_t end = source.find('\n', start);
            total += qel_code_tokenize("c", source.data() + start, (int32_t)(end - start), &comment, tokens,
                                       QEL_CODE_MAX_TOKENS);
            start = end + 1;
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)source.size());
}
BENCHMARK(tokenize_c)->Unit(benchmark::kMillisecond);

static void code_block_frame(benchmark::State& state)
{
    qel_context* ctx = bench_context();
    std::string source = c_source(1000);
    qel_code_block_opts o = {};
    o.language = "c";
    o.title = "label.c";
    o.show_line_numbers = 1;
    o.highlight_first = 40;
    o.highlight_last = 44;
    auto frame = [&] {
        qel_begin_frame(ctx, 1.0f / 60.0f);
        qel_code_block(ctx, "block", source.c_str(), &o);
        qel_end_frame(ctx);
    };
    frame();
    time_frames(state, ctx, frame);
    qel_ctx_destroy(ctx);
}
BENCHMARK(code_block_frame)->Unit(benchmark::kMicrosecond);

// 1,023 objects of three members in one array: 4,093 values, every one shown.
static void json_view_frame(benchmark::State& state)
{
    qel_context* ctx = bench_context();
    std::string text = "[";
    for (int i = 0; i < 1023; i++)
        text += std::string(i ? "," : "") + "{\"name\": \"Sencha " + std::to_string(i) +
                "\", \"price\": 4.5, \"open\": true}";
    text += "]";
    qel_json_view_options o = {100, 0};
    auto frame = [&] {
        qel_begin_frame(ctx, 1.0f / 60.0f);
        qel_json_view(ctx, "json", text.c_str(), &o);
        qel_end_frame(ctx);
    };
    frame();
    time_frames(state, ctx, frame);
    qel_ctx_destroy(ctx);
}
BENCHMARK(json_view_frame)->Unit(benchmark::kMicrosecond);

// About 3 MB of C with the caret at its end; each frame types one character.
static void code_editor_typing_frame(benchmark::State& state)
{
    qel_context* ctx = bench_context();
    std::string source = c_source(100000);
    std::vector<char> buffer(source.size() + (4u << 20), '\0');
    memcpy(buffer.data(), source.data(), source.size());
    qel_code_editor_opts o = {};
    o.language = "c";
    o.height = 700;
    o.autofocus = 1;
    auto frame = [&] {
        qel_begin_frame(ctx, 1.0f / 60.0f);
        qel_code_editor(ctx, "editor", buffer.data(), (int32_t)buffer.size(), &o);
        qel_end_frame(ctx);
    };
    frame();
    qel_code_editor_set_selection(ctx, "editor", (int32_t)source.size(), (int32_t)source.size());
    frame();
    frame();
    for (auto _ : state) {
        qel_input_chars(ctx, "x");
        frame();
        benchmark::DoNotOptimize(qel_get_draw_data(ctx)->vertex_count);
    }
    state.counters["bytes"] = (double)strlen(buffer.data());
    qel_ctx_destroy(ctx);
}
BENCHMARK(code_editor_typing_frame)->Unit(benchmark::kMicrosecond);
