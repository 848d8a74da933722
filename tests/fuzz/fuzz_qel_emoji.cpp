// Loads the small colour-emoji fonts changed at a few places and maps and draws random emoji
// sequences from them; skin tones are applied to random UTF-8. Nothing read may lie outside the
// font, and a drawn emoji may only be rasterised into its own cell.
//
// Input: a byte choosing the font, a byte counting font changes (up to 16, of 8 bytes each, as
// apply_font_change reads them), a byte for the pixel size, then the text.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_qel_support.h"
#include "qel/emoji.h"
#include "qel/frame.h"

namespace {

const char* const emoji_fonts[] = {
    TAGMOOR_EMOJI_FONTS "/colr.ttf",
    TAGMOOR_EMOJI_FONTS "/colr_zero.ttf",
    TAGMOOR_EMOJI_FONTS "/cbdt.ttf",
    TAGMOOR_EMOJI_FONTS "/sbix.ttf",
};
constexpr size_t EMOJI_FONT_COUNT = sizeof emoji_fonts / sizeof *emoji_fonts;

const std::vector<uint8_t>& emoji_font(size_t index)
{
    static std::vector<uint8_t> loaded[EMOJI_FONT_COUNT];
    std::vector<uint8_t>& bytes = loaded[index];
    if (bytes.empty()) {
        FILE* f = fopen(emoji_fonts[index], "rb");
        if (!f) {
            fprintf(stderr, "fuzz_qel_emoji: cannot read %s\n", emoji_fonts[index]);
            abort();
        }
        int c;
        while ((c = fgetc(f)) != EOF) bytes.push_back((uint8_t)c);
        fclose(f);
    }
    return bytes;
}

uint64_t create(void*, int32_t, int32_t, int32_t, const void*)
{
    return 1;
}

void update(void*, uint64_t, int32_t x, int32_t y, int32_t w, int32_t h, const void*, int32_t)
{
    if (x < 0 || y < 0 || x + w > 1024 || y + h > 1024) abort();
}

void destroy(void*, uint64_t) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3) return 0;
    std::vector<uint8_t> bytes = emoji_font(data[0] % EMOJI_FONT_COUNT);
    size_t at = 3;
    for (int n = data[1] % 17; n > 0 && at + 8 <= size; n--, at += 8) apply_font_change(&bytes, data + at);
    std::string text((const char*)data + at, size - at);
    qel_config config = {};
    config.no_embedded_fonts = 1;
    qel_context* ctx = qel_ctx_create(&config);
    qel_renderer r = {nullptr, create, update, destroy};
    qel_ctx_set_renderer(ctx, &r);
    qel_begin_frame(ctx, 1.0f / 60);
    if (qel_emoji_font_from_memory(ctx, bytes.data(), bytes.size(), false)) {
        qel_emoji_can_render(ctx, text.c_str(), (int32_t)text.size());
        float side = (float)data[2] + 1;
        qel_emoji_draw(ctx, text.c_str(), (int32_t)text.size(), {0, 0, side, side});
    }
    qel_end_frame(ctx);
    qel_ctx_destroy(ctx);
    return 0;
}
