// Shapes random runs in fonts changed at a few places: the small fonts of every lookup kind and
// two large Arabic fonts. Nothing the shaper reads may lie outside the font, and a run may only
// end within its capacity or fail with -1.
//
// Input: a byte choosing the font, a byte of flags (bits 0-1 the script: arab, latn, DFLT or
// none; bit 2 right to left; bit 3 tabular figures), a byte counting font changes (up to 16, of
// 8 bytes each, as apply_font_change reads them), a byte of extra capacity, then two bytes for
// each code point: the first chooses a kind of character, the second one of that kind.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_qel_support.h"
#include "qel/shaper.h"

namespace {

const char* const fonts[] = {
    TAGMOOR_SHAPING_FONTS "/single.ttf",   TAGMOOR_SHAPING_FONTS "/multiple.ttf",
    TAGMOOR_SHAPING_FONTS "/alternate.ttf", TAGMOOR_SHAPING_FONTS "/ligature.ttf",
    TAGMOOR_SHAPING_FONTS "/context.ttf",  TAGMOOR_SHAPING_FONTS "/extension.ttf",
    TAGMOOR_SHAPING_FONTS "/gpos_single.ttf", TAGMOOR_SHAPING_FONTS "/pair.ttf",
    TAGMOOR_SHAPING_FONTS "/mark.ttf",     TAGMOOR_SHAPING_FONTS "/arabic.ttf",
    TAGMOOR_SHAPING_FONTS "/nesting.ttf",  TAGMOOR_SHAPING_FONTS "/looping.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/noto/NotoNaskhArabic-Regular.ttf",
};
constexpr size_t FONT_COUNT = sizeof fonts / sizeof *fonts;

const std::vector<uint8_t>& font(size_t index)
{
    static std::vector<uint8_t> loaded[FONT_COUNT];
    std::vector<uint8_t>& bytes = loaded[index];
    if (bytes.empty()) {
        FILE* f = fopen(fonts[index], "rb");
        if (!f) {
            fprintf(stderr, "fuzz_qel_shaper: cannot read %s\n", fonts[index]);
            abort();
        }
        int c;
        while ((c = fgetc(f)) != EOF) bytes.push_back((uint8_t)c);
        fclose(f);
    }
    return bytes;
}

// Arabic letters and marks, Latin letters and combining marks, controls and spaces, anything.
uint32_t code_point(uint8_t kind, uint8_t which)
{
    switch (kind % 6) {
    case 0: return 0x0620 + which % 0x2B;
    case 1: return 0x064B + which % 0x15;
    case 2: return 'a' + which % 26;
    case 3: return 0x0300 + which % 0x30;
    case 4: {
        static const uint32_t controls[] = {0x20, 0x200B, 0x200C, 0x200D, 0x200E, 0x202B, 0x2066, 0x0640, 0x06D5, 0x06C1};
        return controls[which % (sizeof controls / sizeof *controls)];
    }
    default: return (uint32_t)kind << 8 | which;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4) return 0;
    std::vector<uint8_t> bytes = font(data[0] % FONT_COUNT);
    size_t at = 4;
    for (int n = data[2] % 17; n > 0 && at + 8 <= size; n--, at += 8) apply_font_change(&bytes, data + at);
    static const uint32_t scripts[] = {0x61726162, 0x6C61746E, 0x44464C54, 0};
    uint32_t script = scripts[data[1] & 3];
    std::vector<qel_shaped_glyph> run;
    for (; at + 2 <= size; at += 2) {
        qel_shaped_glyph g = {};
        g.code_point = code_point(data[at], data[at + 1]);
        g.cluster = (uint32_t)run.size();
        run.push_back(g);
    }
    int count = (int)run.size(), capacity = count + data[3] % 64;
    run.resize((size_t)capacity);
    qel_shaper shaper;
    if (!qel_shaper_init(&shaper, bytes.data(), bytes.size(), 0)) return 0;
    int n = qel_shape_text(&shaper, run.data(), count, capacity, script, data[1] >> 2 & 1, data[1] >> 3 & 1);
    if (n < -1 || n > capacity) abort();
    return 0;
}
