// Loads one of the embedded fonts changed at a few places, as a damaged or hostile file would
// have it, and when the font is taken measures and draws text with it: nothing the rasteriser
// reads may lie outside the font, and no glyph may send it in circles.
//
// Input: one byte choosing the font, then up to 20 changes of 8 bytes each:
//   byte 0: bits 0-1 the width (1, 2 or 4 bytes), bit 2 set: the place is inside a table;
//   bytes 1-3: a table's number and a big-endian offset into it, or a big-endian offset into the
//   whole font; bytes 4-7: the big-endian value, of which the last width bytes are written.
#include <algorithm>
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

static uint32_t be(const uint8_t* p, int bytes)
{
    uint32_t v = 0;
    for (int i = 0; i < bytes; i++) v = v << 8 | p[i];
    return v;
}

// The place a change names: inside a table (the font's own directory says where), or anywhere.
static size_t place_of(const std::vector<uint8_t>& font, const uint8_t* change)
{
    uint32_t tables = std::min<uint32_t>(be(&font[4], 2), (uint32_t)(font.size() - 12) / 16);
    if (!(change[0] & 4) || !tables) return be(change + 1, 3) % font.size();
    const uint8_t* record = &font[12 + 16 * (change[1] % tables)];
    uint32_t at = be(record + 8, 4), length = be(record + 12, 4);
    return (at + be(change + 2, 2) % (length ? length : 1)) % font.size();
}

static void apply(std::vector<uint8_t>* font, const uint8_t* change)
{
    int width = 1 << (change[0] & 3) % 3;
    size_t at = place_of(*font, change);
    for (int i = 0; i < width && at + (size_t)i < font->size(); i++) (*font)[at + (size_t)i] = change[8 - width + i];
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    std::vector<uint8_t> font = embedded_font(data[0] % QEL_EMBEDDED_FONT_COUNT);
    for (size_t at = 1, n = 0; at + 8 <= size && n < 20; at += 8, n++) apply(&font, data + at);

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
