// Loads one of the embedded fonts changed at a few places, as a damaged or hostile file would
// have it, and when the font is taken measures and draws text with it: nothing the rasteriser
// reads may lie outside the font, and no glyph may send it in circles.
//
// Input: one byte choosing the font, then up to 20 changes of 8 bytes each (apply_font_change).
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "text/embedded_fonts.h"
#include "fuzz_qel_support.h"
#include "text/inflate.h"
#include "qel/qel.h"

static const std::vector<uint8_t>& embedded_font(int32_t role)
{
    static std::vector<uint8_t> fonts[QEL_EMBEDDED_FONT_COUNT];
    std::vector<uint8_t>& font = fonts[role];
    if (font.empty()) {
        const uint8_t* stream;
        uint32_t compressed, inflated;
        if (!qel_embedded_font(role, &stream, &compressed, &inflated)) abort();
        font.resize(inflated);
        if (qel_inflate(stream, compressed, font.data(), inflated) != inflated) abort();
    }
    return font;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    std::vector<uint8_t> font = embedded_font(data[0] % QEL_EMBEDDED_FONT_COUNT);
    for (size_t at = 1, n = 0; at + 8 <= size && n < 20; at += 8, n++) apply_font_change(&font, data + at);

    qel_config config = {};
    config.no_embedded_fonts = 1;
    qel_context* ctx = qel_ctx_create(&config);
    int32_t handle = qel_font_add_memory(ctx, font.data(), (int32_t)font.size(), 0);
    if (handle >= 0) {
        // Letters, digits, kerning pairs, accents, symbols and icons, plainly and with tabular digits.
        static const char* const texts[] = {"Tagmoor AV To Wa 0123456789 $4.50",
                                            "\xC3\xA9\xC3\xBC\xC3\x9F \xE2\x82\xAC \xE2\x9C\x93 \xE2\x80\xA6",
                                            "\xEE\x80\xB8\xEE\x81\xAE\xEE\x97\x96 \xEF\xBF\xBD"};
        qel_begin_frame(ctx, 1.0f / 60.0f);
        for (const char* text : texts) {
            if (!(qel_text_width(ctx, handle, 16, text, -1, 0) >= 0)) abort();
            qel_draw_text(ctx, handle, 11, 4, 4, 0xFFFFFFFF, text, -1, 0);
            qel_draw_text(ctx, handle, 37.5f, 4, 40, 0xFFFFFFFF, text, -1, 1);
        }
        qel_end_frame(ctx);
        check_draw_list(ctx);
    }
    qel_ctx_destroy(ctx);
    return 0;
}
