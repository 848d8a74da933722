// Shaping Arabic with Noto Naskh Arabic, a word per call and as one run, and resolving and
// reordering mixed Hebrew, Arabic and Latin paragraphs.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "qel/bidi.h"
#include "qel/shaper.h"

namespace {

constexpr uint32_t ARAB = 0x61726162;

uint32_t next_random(uint32_t* state)
{
    *state = *state * 1664525u + 1013904223u;
    return *state >> 8;
}

// Seeded words of 2 to 7 Arabic letters, some with a haraka, some with lam-alef.
std::vector<std::vector<uint32_t>> arabic_words(int count)
{
    uint32_t seed = 20261210;
    std::vector<std::vector<uint32_t>> words(count);
    for (std::vector<uint32_t>& word : words) {
        for (int n = 2 + (int)(next_random(&seed) % 6); n > 0; n--) {
            uint32_t r = next_random(&seed) % 100;
            if (r < 10) {
                word.insert(word.end(), {0x0644, 0x0627});
            } else {
                uint32_t letter = 0x0621 + next_random(&seed) % 42;
                word.push_back(letter > 0x063A ? letter + 6 : letter);
            }
            if (r > 60) word.push_back(0x064B + next_random(&seed) % 8);
        }
    }
    return words;
}

struct naskh {
    std::vector<uint8_t> bytes;
    qel_shaper shaper = {};

    naskh()
    {
        FILE* f = fopen("/usr/share/fonts/truetype/noto/NotoNaskhArabic-Regular.ttf", "rb");
        if (!f) abort();
        int c;
        while ((c = fgetc(f)) != EOF) bytes.push_back((uint8_t)c);
        fclose(f);
        if (!qel_shaper_init(&shaper, bytes.data(), bytes.size(), 0)) abort();
    }
};

void fill(std::vector<qel_shaped_glyph>* glyphs, const std::vector<uint32_t>& text)
{
    glyphs->assign(text.size() * 2 + 8, qel_shaped_glyph{});
    for (size_t i = 0; i < text.size(); i++) (*glyphs)[i] = {text[i], 0, (uint32_t)i, 0, 0, 0, 0, 0, 0};
}

void shape_words_one_per_call(benchmark::State& state)
{
    naskh font;
    std::vector<std::vector<uint32_t>> words = arabic_words(10000);
    std::vector<qel_shaped_glyph> glyphs;
    for (auto _ : state) {
        for (const std::vector<uint32_t>& word : words) {
            fill(&glyphs, word);
            benchmark::DoNotOptimize(qel_shape_text(&font.shaper, glyphs.data(), (int)word.size(),
                                                    (int)glyphs.size(), ARAB, 1, 0));
        }
    }
}
BENCHMARK(shape_words_one_per_call)->Unit(benchmark::kMillisecond);

void shape_words_as_one_run(benchmark::State& state)
{
    naskh font;
    std::vector<uint32_t> run;
    for (const std::vector<uint32_t>& word : arabic_words(10000)) {
        if (!run.empty()) run.push_back(' ');
        run.insert(run.end(), word.begin(), word.end());
    }
    std::vector<qel_shaped_glyph> glyphs;
    for (auto _ : state) {
        fill(&glyphs, run);
        int n = qel_shape_text(&font.shaper, glyphs.data(), (int)run.size(), (int)glyphs.size(), ARAB, 1, 0);
        if (n < 0) state.SkipWithError("the run did not shape");
    }
    state.counters["code points"] = (double)run.size();
}
BENCHMARK(shape_words_as_one_run)->Unit(benchmark::kMillisecond);

// 1 MB of UTF-8: words of Hebrew, Arabic or Latin letters with digits, brackets and
// punctuation, in paragraphs of 1,000 characters.
std::vector<std::vector<qel_bidi_char>> mixed_paragraphs()
{
    uint32_t seed = 7;
    std::vector<std::vector<qel_bidi_char>> paragraphs(1);
    size_t bytes = 0;
    while (bytes < (1u << 20)) {
        uint32_t kind = next_random(&seed) % 10;
        uint32_t first = kind < 3 ? 0x05D0 : kind < 6 ? 0x0627 : kind < 9 ? 'a' : '0';
        uint32_t span = kind < 3 ? 27 : kind < 6 ? 20 : 10;
        for (int n = 1 + (int)(next_random(&seed) % 8); n > 0; n--) {
            uint32_t cp = first + next_random(&seed) % span;
            paragraphs.back().push_back({cp, 0, 0, 0, 0});
            bytes += cp < 0x80 ? 1 : 2;
        }
        static const uint32_t between[] = {' ', ' ', ' ', ' ', ',', '(', ')', '.', '-', ' '};
        paragraphs.back().push_back({between[next_random(&seed) % 10], 0, 0, 0, 0});
        bytes++;
        if (paragraphs.back().size() >= 1000) paragraphs.emplace_back();
    }
    return paragraphs;
}

void resolve_and_reorder_mixed_text(benchmark::State& state)
{
    std::vector<std::vector<qel_bidi_char>> paragraphs = mixed_paragraphs();
    std::vector<uint32_t> visual(2000);
    std::vector<uint8_t> levels(2000);
    for (auto _ : state) {
        for (std::vector<qel_bidi_char>& p : paragraphs) {
            int n = (int)p.size(), level = qel_bidi_resolve_levels(p.data(), n, -1);
            qel_bidi_reorder(p.data(), 0, n, level, visual.data(), levels.data());
            benchmark::DoNotOptimize(visual.data());
        }
    }
    state.counters["paragraphs"] = (double)paragraphs.size();
}
BENCHMARK(resolve_and_reorder_mixed_text)->Unit(benchmark::kMillisecond);

}  // namespace
