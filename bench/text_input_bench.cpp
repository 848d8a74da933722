// Speed of typing: one character typed into a multi-line field holding 4 KiB of prose, with the
// whole frame built, laid out and drawn, as the window does for every key the user presses.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "core.h"
#include "qel/qel.h"
#include "text_field.h"

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

void build(qel_context* ctx, uint32_t id, std::vector<char>& buffer, const qel_text_input_opts* opts)
{
    qel_text_field f;
    qel_text_field_begin(&f, ctx, id, buffer.data(), (int32_t)buffer.size(), opts, true);
    int32_t box = qel_node_open(ctx, id);
    qel_node* n = qel_node_at(ctx, box);
    n->direction = QEL_DIR_ROW;
    n->width = {QEL_SIZE_GROW, 1};
    n->height = {QEL_SIZE_FIXED, 96};  // the default height of a multi-line field
    qel_node_mark_interactive(ctx, box, QEL_INTERACT_FOCUSABLE);
    qel_node_push(ctx, box);
    qel_text_field_area(&f);
    qel_node_pop(ctx);
}

void type_into_4k_field(benchmark::State& state)
{
    qel_context* ctx = qel_ctx_create(nullptr);
    qel_ctx_set_display(ctx, 640, 480, 1);
    const std::string text = prose();
    std::vector<char> buffer(8192, 0);
    qel_text_input_opts opts = {};
    const uint32_t id = 0x7E57;
    auto frame = [&] {
        qel_begin_frame(ctx, 1.0f / 60);
        build(ctx, id, buffer, &opts);
        qel_end_frame(ctx);
    };
    auto reset = [&] {
        memcpy(buffer.data(), text.c_str(), text.size() + 1);
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
