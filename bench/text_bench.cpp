// Text speed with warm caches: measuring many short labels, and wrapping and drawing a paragraph.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "core/core.h"
#include "qel/text.h"

namespace {

// Short labels such as "Matcha 120 g 7.90"; with accented, each also carries a non-ASCII
// character, whose glyph and kerning come from the font's own tables rather than the ASCII ones.
std::vector<std::string> labels(bool accented)
{
    const char* names[] = {"Sencha", "Darjeeling", "Assam", "Gyokuro", "Earl Grey", "Rooibos", "Matcha", "Oolong"};
    std::vector<std::string> out;
    for (int32_t i = 0; i < 10000; i++)
        out.push_back(std::string(names[i % 8]) + " " + std::to_string(50 + i % 450) + " g " +
                      (accented ? "\xE2\x82\xAC" : "") + std::to_string(i % 90) + ".90");
    return out;
}

std::string paragraph()
{
    std::string text;
    while (text.size() < 2000) text += "Loose-leaf teas keep best in a dark, airtight tin; weigh 3 g for a 250 ml cup. ";
    text.resize(2000);
    return text;
}

void measure_labels(benchmark::State& state)
{
    qel_context* ctx = qel_ctx_create(nullptr);
    std::vector<std::string> all = labels(state.range(0) != 0);
    for (auto _ : state)
        for (const std::string& label : all)
            benchmark::DoNotOptimize(qel_text_width(ctx, QEL_FONT_BODY, 14, label.data(), (int32_t)label.size(), 0));
    qel_ctx_destroy(ctx);
}
BENCHMARK(measure_labels)->ArgName("accented")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void draw_wrapped_paragraph(benchmark::State& state)
{
    qel_context* ctx = qel_ctx_create(nullptr);
    std::string text = paragraph();
    qel_text_line lines[64];
    for (auto _ : state) {
        qel_draw_reset(ctx);
        int32_t n = qel_text_wrap(ctx, QEL_FONT_BODY, 14, text.data(), (int32_t)text.size(), 480, lines, 64);
        for (int32_t i = 0; i < n && i < 64; i++)
            qel_draw_text(ctx, QEL_FONT_BODY, 14, 10, 10 + 20.3f * (float)i, 0xFF202020, text.data() + lines[i].start,
                          lines[i].end - lines[i].start, 0);
    }
    qel_ctx_destroy(ctx);
}
BENCHMARK(draw_wrapped_paragraph)->Unit(benchmark::kMicrosecond);

}  // namespace
