// Speed of typing: one character typed into a multi-line field holding 4 KiB of prose, with the
// whole frame built, laid out and drawn, as the window does for every key the user presses.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "qel/qel.h"

namespace {

std::string prose()
{
    std::string text;
    for (int i = 0; text.size() < 4000; i++) {
        text += "Loose-leaf teas keep best in a dark, airtight tin; weigh 3 g for a 250 ml cup. ";
        if (i % 4 == 3) text += "\n";
    }
    text.resize(4000);
    return text;
}

void type_into_4k_field(benchmark::State& state)
{
    qel_context* ctx = qel_ctx_create(nullptr);
    qel_ctx_set_display(ctx, 640, 480, 1);
    const std::string text = prose();
    std::vector<char> buffer(8192, 0);
    uint32_t id = 0;
    auto frame = [&] {
        qel_begin_frame(ctx, 1.0f / 60);
        id = qel_id(ctx, "notes");
        qel_input_multiline(ctx, "notes", buffer.data(), (int32_t)buffer.size(), nullptr);  // 96 high
        qel_end_frame(ctx);
    };
    auto reset = [&] {
        memcpy(buffer.data(), text.c_str(), text.size() + 1);
        frame();
        qel_text_activate(ctx, id);
        frame();
        auto* s = (qel_text_input_state*)qel_state_get(ctx, id, sizeof(qel_text_input_state));
        s->caret = s->anchor = 2000;  // typing in the middle
        frame();
    };
    reset();
    int64_t typed = 0;
    for (auto _ : state) {
        qel_input_chars(ctx, "x");
        frame();
        if (++typed % 64 == 0) {  // keep the text near 4 KiB
            state.PauseTiming();
            reset();
            state.ResumeTiming();
        }
    }
    state.counters["glyphs"] = qel_get_draw_data(ctx)->vertex_count / 4;
    qel_ctx_destroy(ctx);
}
BENCHMARK(type_into_4k_field)->Unit(benchmark::kMicrosecond);

}  // namespace
