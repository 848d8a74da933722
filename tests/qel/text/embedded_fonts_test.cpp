#include "text/embedded_fonts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "text/inflate.h"
#include "stb_truetype.h"

static std::vector<uint8_t> embedded_font(int32_t role)
{
    const uint8_t* stream = nullptr;
    uint32_t compressed = 0, inflated = 0;
    EXPECT_TRUE(qel_embedded_font(role, &stream, &compressed, &inflated));
    // One byte of spare room: a stream that decodes longer than recorded would show here.
    std::vector<uint8_t> font(inflated + 1);
    EXPECT_EQ(qel_inflate(stream, compressed, font.data(), font.size()), inflated);
    font.resize(inflated);
    return font;
}

struct code_range {
    uint32_t first, last;
};

// The characters of the interface texts, and those a source font lacks, by role.
static const code_range text_ranges[] = {
    {0x20, 0x7E},     {0xA0, 0x17F},    {0x2013, 0x2014}, {0x2018, 0x201A}, {0x201C, 0x201E},
    {0x2020, 0x2022}, {0x2026, 0x2026}, {0x2030, 0x2030}, {0x2032, 0x2033}, {0x2039, 0x203A},
    {0x2044, 0x2044}, {0x20AC, 0x20AC}, {0x2122, 0x2122}, {0x2190, 0x2194}, {0x21B5, 0x21B5},
    {0x21C4, 0x21C4}, {0x21E7, 0x21E7}, {0x2212, 0x2212}, {0x221E, 0x221E}, {0x2248, 0x2248},
    {0x2260, 0x2260}, {0x2264, 0x2265}, {0x2318, 0x2318}, {0x2325, 0x2325}, {0x232B, 0x232B},
    {0x25B2, 0x25B2}, {0x25BC, 0x25BC}, {0x2713, 0x2713},
};
static const std::vector<uint32_t> lacking[4] = {
    {0x00AD, 0x0149, 0x21C4},
    {0x00AD, 0x0149, 0x21C4},
    {0x0114, 0x0115, 0x012C, 0x012D, 0x0138, 0x013F, 0x0140, 0x0149, 0x014E, 0x014F, 0x017F, 0x21C4,
     0x2318, 0x2325, 0x232B, 0x2713},
    {0x00AD, 0x21C4},
};

static bool role_covers(int32_t role, uint32_t c)
{
    for (uint32_t missing : lacking[role])
        if (c == missing) return false;
    // The mono font shows code and data: Latin-1 and symbols up to the minus sign.
    return role != 3 || c <= 0xFF || (c >= 0x2000 && c <= 0x2212);
}

// Every icon the widgets draw.
static const uint32_t widget_icons[] = {
    0xE038, 0xE041, 0xE042, 0xE048, 0xE049, 0xE04A, 0xE04D, 0xE063, 0xE064, 0xE06C, 0xE06D, 0xE06E,
    0xE06F, 0xE070, 0xE072, 0xE073, 0xE076, 0xE077, 0xE087, 0xE093, 0xE09E, 0xE0AD, 0xE0B2, 0xE0B6,
    0xE0BA, 0xE0BB, 0xE0C0, 0xE0CC, 0xE0D7, 0xE0DC, 0xE0EB, 0xE0F2, 0xE0F5, 0xE0F6, 0xE0F9, 0xE10B,
    0xE10C, 0xE113, 0xE117, 0xE11C, 0xE11D, 0xE11E, 0xE122, 0xE12E, 0xE13C, 0xE13D, 0xE145, 0xE148,
    0xE151, 0xE156, 0xE15F, 0xE160, 0xE178, 0xE181, 0xE189, 0xE18A, 0xE18E, 0xE190, 0xE191, 0xE193,
    0xE19E, 0xE1A5, 0xE1B2, 0xE1B4, 0xE1F9, 0xE211, 0xE226, 0xE247, 0xE284, 0xE38E, 0xE44F, 0xE596,
};

TEST(EmbeddedFonts, InflateToTheirLengthWithTheirSfntTag)
{
    static const uint8_t truetype[4] = {0, 1, 0, 0};
    for (int32_t role = 0; role < QEL_EMBEDDED_FONT_COUNT; role++) {
        std::vector<uint8_t> font = embedded_font(role);
        ASSERT_GE(font.size(), 12u) << role;
        EXPECT_EQ(memcmp(font.data(), role == 2 ? (const uint8_t*)"OTTO" : truetype, 4), 0) << role;
        stbtt_fontinfo info;
        EXPECT_TRUE(stbtt_InitFont(&info, font.data(), 0)) << role;
    }
    const uint8_t* stream;
    uint32_t compressed, inflated;
    EXPECT_FALSE(qel_embedded_font(5, &stream, &compressed, &inflated));
    EXPECT_FALSE(qel_embedded_font(-1, &stream, &compressed, &inflated));
}

TEST(EmbeddedFonts, TextFontsCoverTheInterfaceCharacters)
{
    for (int32_t role = 0; role < 4; role++) {
        std::vector<uint8_t> font = embedded_font(role);
        stbtt_fontinfo info;
        ASSERT_TRUE(stbtt_InitFont(&info, font.data(), 0));
        for (const code_range& r : text_ranges)
            for (uint32_t c = r.first; c <= r.last; c++) {
                if (!role_covers(role, c)) continue;
                EXPECT_NE(stbtt_FindGlyphIndex(&info, (int)c), 0) << role << " U+" << std::hex << c;
            }
    }
}

TEST(EmbeddedFonts, IconFontHoldsIconsOnly)
{
    std::vector<uint8_t> font = embedded_font(4);
    stbtt_fontinfo info;
    ASSERT_TRUE(stbtt_InitFont(&info, font.data(), 0));
    for (uint32_t c : widget_icons) EXPECT_NE(stbtt_FindGlyphIndex(&info, (int)c), 0) << std::hex << c;
    int icons = 0;
    for (uint32_t c = 0; c < 0x10000; c++) {
        int glyph = stbtt_FindGlyphIndex(&info, (int)c);
        icons += glyph != 0;
        if (glyph && (c < 0xE038 || c > 0xE596)) ADD_FAILURE() << "not an icon: U+" << std::hex << c;
    }
    EXPECT_EQ(icons, 168);
}

TEST(EmbeddedFonts, BodyFontKernsThroughPlainPairLookups)
{
    std::vector<uint8_t> font = embedded_font(0);
    stbtt_fontinfo info;
    ASSERT_TRUE(stbtt_InitFont(&info, font.data(), 0));
    EXPECT_LT(stbtt_GetCodepointKernAdvance(&info, 'A', 'V'), -50);
    EXPECT_LT(stbtt_GetCodepointKernAdvance(&info, 'T', 'o'), -50);
    EXPECT_EQ(stbtt_GetCodepointKernAdvance(&info, 'H', 'H'), 0);
}
