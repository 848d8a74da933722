// The colour-emoji font and atlas on the small fonts of tests/data/qel/emoji
// (tools/make_emoji_fonts.py), with a renderer that keeps its textures' pixels so that cells can
// be read back, and a platform emoji renderer where one is wanted.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "qel_headless.h"
#include "scratch.h"
#include "widget_rig.h"
#include "widgets/rich/emoji_font.h"

namespace {

std::string emoji_font_bytes(const char* name)
{
    const char* data = getenv("TAGMOOR_TEST_DATA");
    std::string bytes;
    EXPECT_TRUE(scratch_read(std::string(data ? data : "tests/data") + "/qel/emoji/" + name + ".ttf", &bytes));
    return bytes;
}

// Textures as plain RGBA arrays.
struct pixel_renderer {
    std::map<uint64_t, std::pair<int32_t, std::vector<uint8_t>>> textures;
    uint64_t next = 1;
    int32_t destroyed = 0;

    static uint64_t create(void* user, int32_t w, int32_t h, int32_t channels, const void*)
    {
        auto* r = (pixel_renderer*)user;
        r->textures[r->next] = {w, std::vector<uint8_t>((size_t)w * h * channels)};
        return r->next++;
    }
    static void update(void* user, uint64_t t, int32_t x, int32_t y, int32_t w, int32_t h, const void* px,
                       int32_t stride)
    {
        auto& tex = ((pixel_renderer*)user)->textures[t];
        for (int32_t row = 0; row < h; row++)
            memcpy(&tex.second[((size_t)(y + row) * tex.first + x) * 4], (const uint8_t*)px + (size_t)row * stride,
                   (size_t)w * 4);
    }
    static void destroy(void* user, uint64_t t)
    {
        auto* r = (pixel_renderer*)user;
        r->textures.erase(t);
        r->destroyed++;
    }
    qel_renderer interface()
    {
        return {this, create, update, destroy};
    }
};

void set_windows_folder(const char* path)
{
#ifdef _WIN32
    _putenv_s("WINDIR", path);
#else
    setenv("WINDIR", path, 1);
#endif
}

struct emoji_rig {
    pixel_renderer pixels;  // outlives the context, which releases its texture
    std::string font;
    qel_headless h;

    explicit emoji_rig(const char* name = nullptr)
    {
        set_windows_folder("/nonexistent-windows");
        qel_renderer r = pixels.interface();
        qel_ctx_set_renderer(h.ctx, &r);
        if (name) {
            font = emoji_font_bytes(name);
            EXPECT_TRUE(qel_emoji_font_from_memory(h.ctx, (const uint8_t*)font.data(), font.size(), false));
        }
    }
    qel_emoji_state* st()
    {
        return qel_emoji_state_of(h.ctx);
    }
    // Draws each (text, side) in one frame; what draw_ex returned and its missing flags.
    std::vector<std::pair<bool, uint8_t>> frame(const std::vector<std::pair<std::string, float>>& draws)
    {
        std::vector<std::pair<bool, uint8_t>> out;
        h.ui = [&](qel_context* ctx) {
            for (const auto& [text, side] : draws) {
                uint8_t missing = 9;
                bool drawn = qel_emoji_draw_ex(ctx, text.c_str(), -1, {10, 10, side, side}, 1.0f, &missing);
                out.push_back({drawn, missing});
            }
        };
        h.run();
        h.ui = nullptr;
        return out;
    }
    int32_t cell_of(const std::string& text, int32_t p)
    {
        for (int32_t i = 0; i < st()->cell_capacity; i++) {
            const qel_emoji_cache_entry& c = st()->cells[i];
            if (c.state == QEL_EMOJI_CELL_READY && c.pixel_size == p) {
                (void)text;
                return i;
            }
        }
        return -1;
    }
    int32_t ready_cells()
    {
        int32_t n = 0;
        for (const qel_emoji_cache_entry& c : st()->cells) n += c.state == QEL_EMOJI_CELL_READY;
        return n;
    }
    // A pixel of the glyph square of the cell, (0, 0) its top-left.
    std::vector<int> at(int32_t cell, int32_t x, int32_t y)
    {
        const auto& tex = pixels.textures.at(st()->texture);
        int32_t c = st()->cell_side, col = cell % st()->cells_per_row, row = cell / st()->cells_per_row;
        const uint8_t* p = &tex.second[((size_t)(row * c + 1 + y) * tex.first + (size_t)(col * c + 1 + x)) * 4];
        return {p[0], p[1], p[2], p[3]};
    }
};

const char HEART[] = "\u2764", HEART_VS[] = "\u2764\uFE0F", STAR[] = "\u2B50", STAR_VS[] = "\u2B50\uFE0F";
const char FAMILY[] = "\U0001F468\u200D\U0001F469", MAN_ZWJ[] = "\U0001F468\u200D", GRINNING[] = "\U0001F600";
const char APPLE[] = "\U0001F34E", PEAR[] = "\U0001F34F", HUGE_PNG[] = "\U0001F350";

void expect_near(const std::vector<int>& got, const std::vector<int>& want, int tolerance, const char* where)
{
    for (size_t k = 0; k < 4; k++) EXPECT_NEAR(got[k], want[k], tolerance) << where << " channel " << k;
}

}  // namespace

TEST(EmojiFont, SequencesMapThroughTheCharacterMapAndLigatures)
{
    emoji_rig rig("colr");
    struct {
        const char* text;
        uint32_t glyph;
    } cases[] = {
        {HEART, 3},      // a lone code point: its own glyph
        {HEART_VS, 5},   // the pair's ligature
        {STAR_VS, 6},    // no ligature: the first code point's glyph
        {FAMILY, 10},    // a ZWJ sequence as one ligature
        {MAN_ZWJ, 0},    // two glyphs left: none
        {GRINNING, 0},   // not in the font
        {"\U0001F600\uFE0F", 0},
        {"", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qel_emoji_glyph_for_sequence(rig.st(), c.text, (int32_t)strlen(c.text)), c.glyph) << c.text;
        EXPECT_EQ(qel_emoji_can_render(rig.h.ctx, c.text, -1), c.glyph != 0) << c.text;
    }
    EXPECT_FALSE(qel_emoji_can_render(rig.h.ctx, nullptr, -1));
}

TEST(EmojiFont, ALigatureOfNoComponentsReplacesNothing)
{
    emoji_rig rig("colr_zero");
    EXPECT_EQ(qel_emoji_glyph_for_sequence(rig.st(), FAMILY, (int32_t)strlen(FAMILY)), 0u);
    EXPECT_EQ(qel_emoji_glyph_for_sequence(rig.st(), HEART_VS, (int32_t)strlen(HEART_VS)), 5u);
}

TEST(EmojiFont, BadSourcesKeepOrDropTheFontAsDocumented)
{
    emoji_rig rig("colr");
    std::string eleven = scratch_path("eleven.ttf");
    ASSERT_TRUE(scratch_write(eleven, std::string(11, '\1')));
    EXPECT_FALSE(qel_emoji_font_from_file(rig.h.ctx, eleven.c_str()));
    EXPECT_FALSE(qel_emoji_font_from_file(rig.h.ctx, scratch_path("absent.ttf").c_str()));
    EXPECT_FALSE(qel_emoji_font_from_memory(rig.h.ctx, (const uint8_t*)rig.font.data(), 11, false));
    EXPECT_TRUE(qel_emoji_can_render(rig.h.ctx, HEART, -1));  // still the loaded font
    // Twelve bytes of nothing are read and refused: no font is left.
    std::string junk(64, '\0');
    EXPECT_FALSE(qel_emoji_font_from_memory(rig.h.ctx, (const uint8_t*)junk.data(), junk.size(), true));
    EXPECT_FALSE(rig.st()->loaded);
    // The same font read from its file draws the same.
    std::string path = scratch_path("colr.ttf");
    ASSERT_TRUE(scratch_write(path, rig.font));
    EXPECT_TRUE(qel_emoji_font_from_file(rig.h.ctx, path.c_str()));
    EXPECT_EQ(rig.frame({{HEART_VS, 32}})[0], std::make_pair(true, (uint8_t)0));
}

TEST(EmojiFont, WithoutAnySourceDrawingReportsMissingAndTheSystemFontIsTriedOnce)
{
    emoji_rig rig;
    EXPECT_FALSE(rig.st()->system_tried);
    EXPECT_EQ(rig.frame({{HEART, 32}})[0], std::make_pair(false, (uint8_t)1));
    EXPECT_TRUE(rig.st()->system_tried);
    EXPECT_FALSE(qel_emoji_font_ensure(rig.h.ctx));
    EXPECT_FALSE(qel_emoji_can_render(rig.h.ctx, HEART, -1));
    EXPECT_EQ(rig.st()->texture, 0u);
}

TEST(EmojiCache, ColrLayersCompositeOverOneAnother)
{
    emoji_rig rig("colr");
    EXPECT_EQ(rig.frame({{HEART, 64}})[0], std::make_pair(true, (uint8_t)0));
    int32_t cell = rig.cell_of(HEART, 64);
    ASSERT_GE(cell, 0);
    // 1000 units high at 64 x 0.94 / 1000: the square spans x 8..56, y 11..59; the disc's
    // centre is at (32, 35), radius 15. Blue at alpha 128/255 over opaque red, straight alpha.
    float a = 128.0f / 255.0f;
    int over_r = (int)(255 * (1 - a) + 0.5f), over_b = (int)(255 * a + 0.5f);
    expect_near(rig.at(cell, 32, 35), {over_r, 0, over_b, 255}, 2, "disc over square");
    expect_near(rig.at(cell, 12, 15), {255, 0, 0, 255}, 2, "square alone");
    expect_near(rig.at(cell, 3, 3), {0, 0, 0, 0}, 0, "outside");
    EXPECT_EQ(rig.st()->cells[cell].tint, 0);
}

TEST(EmojiCache, PixelSizesClampAndEachSizeTakesItsOwnCell)
{
    emoji_rig rig("colr");
    rig.frame({{HEART, 4}});
    EXPECT_GE(rig.cell_of(HEART, 8), 0);
    EXPECT_EQ(rig.st()->cell_side, 16);
    EXPECT_EQ(rig.st()->atlas_side, 512);
    rig.frame({{HEART, 20}});
    EXPECT_EQ(rig.ready_cells(), 1);  // the cell side grew from 16 to 24: the cache was emptied
    rig.frame({{HEART, 18}, {HEART, 20}});
    EXPECT_EQ(rig.ready_cells(), 2);
    rig.frame({{HEART, 300}});
    EXPECT_GE(rig.cell_of(HEART, 254), 0);
    EXPECT_EQ(rig.st()->cell_side, 256);
    EXPECT_EQ(rig.st()->atlas_side, 1024);
    EXPECT_EQ(rig.st()->cell_capacity, 16);
    EXPECT_EQ(rig.frame({{HEART, 0}})[0].first, false);
    EXPECT_EQ(rig.frame({{HEART, std::numeric_limits<float>::infinity()}})[0].first, false);
}

TEST(EmojiCache, TwelveRastersAFrameAndTheRestInTheNext)
{
    emoji_rig rig("colr");
    std::vector<std::pair<std::string, float>> draws;
    for (int i = 0; i < 13; i++) draws.push_back({HEART, 30.0f - (float)i});
    auto first = rig.frame(draws);
    for (int i = 0; i < 12; i++) EXPECT_TRUE(first[i].first) << i;
    EXPECT_EQ(first[12], std::make_pair(false, (uint8_t)0));
    EXPECT_TRUE(qel_needs_redraw(rig.h.ctx));
    auto second = rig.frame(draws);
    for (const auto& d : second) EXPECT_TRUE(d.first);
}

TEST(EmojiCache, FailuresAreCachedAndReported)
{
    emoji_rig rig("colr");
    for (int pass = 0; pass < 2; pass++) {
        auto got = rig.frame({{GRINNING, 32}, {FAMILY, 32}});
        EXPECT_EQ(got[0], std::make_pair(false, (uint8_t)1));
        EXPECT_EQ(got[1], std::make_pair(true, (uint8_t)0));
    }
}

TEST(EmojiCache, FlatVerticalMetricsFailTheGlyph)
{
    emoji_rig rig("colr_flat");
    EXPECT_EQ(rig.frame({{HEART, 32}})[0], std::make_pair(false, (uint8_t)1));
}

TEST(EmojiCache, SbixPicturesAreReducedWithAlphaWeighting)
{
    emoji_rig rig("sbix");
    // A 256-pixel picture into 64: a 4-fold box reduction of 2-pixel red squares on transparency.
    auto got = rig.frame({{APPLE, 64}, {PEAR, 63}});
    EXPECT_TRUE(got[0].first && got[1].first);
    int32_t cell = rig.cell_of(APPLE, 64);
    ASSERT_GE(cell, 0);
    for (int32_t xy : {0, 17, 63}) expect_near(rig.at(cell, xy, xy), {255, 0, 0, 128}, 1, "box");
    // The dupe shows the same picture.
    expect_near(rig.at(rig.cell_of(PEAR, 63), 30, 30), {255, 0, 0, 128}, 2, "dupe");
    // 8-fold: the cell is left transparent.
    rig.frame({{APPLE, 32}});
    int32_t small = rig.cell_of(APPLE, 32);
    ASSERT_GE(small, 0);
    for (int32_t xy : {0, 15, 31}) expect_near(rig.at(small, xy, xy), {0, 0, 0, 0}, 0, "8-fold");
    // A picture declaring 16384 x 16384 is refused before it is decoded.
    EXPECT_EQ(rig.frame({{HUGE_PNG, 32}})[0], std::make_pair(false, (uint8_t)1));
}

TEST(EmojiCache, TheTextureGoesWithTheRendererAndTheContext)
{
    // The glyph atlas shares the renderer: only the emoji texture is followed.
    emoji_rig rig("colr");
    rig.frame({{HEART, 32}});
    uint64_t first = rig.st()->texture;
    ASSERT_TRUE(rig.pixels.textures.count(first));
    qel_renderer r = rig.pixels.interface();
    qel_ctx_set_renderer(rig.h.ctx, &r);
    EXPECT_FALSE(rig.pixels.textures.count(first));
    EXPECT_EQ(rig.st()->texture, 0u);
    EXPECT_EQ(rig.ready_cells(), 0);
    rig.frame({{HEART, 32}});
    uint64_t second = rig.st()->texture;
    ASSERT_TRUE(rig.pixels.textures.count(second));
    // Unused for 600 frames it stays; for more than 600 it goes.
    rig.h.run(600);
    EXPECT_TRUE(rig.pixels.textures.count(second));
    rig.h.run(1);
    EXPECT_FALSE(rig.pixels.textures.count(second));
    rig.frame({{HEART, 32}});
    uint64_t third = rig.st()->texture;
    qel_ctx_destroy(rig.h.ctx);
    rig.h.ctx = nullptr;
    EXPECT_FALSE(rig.pixels.textures.count(third));
}

namespace {

struct platform_emoji {
    std::vector<std::string> texts;
    static bool render(void* user, const char* utf8, int32_t length, float size, uint8_t* rgba)
    {
        ((platform_emoji*)user)->texts.emplace_back(utf8, (size_t)length);
        for (int32_t i = 0; i < (int32_t)size * (int32_t)size; i++) memcpy(rgba + i * 4, "\x10\x20\x30\xff", 4);
        return length < 40;
    }
};

}  // namespace

TEST(EmojiCache, ThePlatformDrawsWhenNoFontIsLoaded)
{
    emoji_rig rig;
    platform_emoji platform;
    qel_platform p = {};
    p.user = &platform;
    p.render_emoji = platform_emoji::render;
    qel_ctx_set_platform(rig.h.ctx, &p);
    // A toned kiss: 35 bytes, copied whole by the image leaf.
    const char kiss[] = "\U0001F9D1\U0001F3FB\u200D\u2764\uFE0F\u200D\U0001F48B\u200D\U0001F9D1\U0001F3FF";
    ASSERT_EQ(strlen(kiss), 35u);
    rig.h.ui = [&](qel_context* ctx) { qel_emoji_image(ctx, kiss, 24); };
    rig.h.run();
    ASSERT_EQ(platform.texts.size(), 1u);
    EXPECT_EQ(platform.texts[0], kiss);
    EXPECT_FALSE(rig.st()->system_tried);
    int32_t cell = rig.cell_of(kiss, 24);
    ASSERT_GE(cell, 0);
    expect_near(rig.at(cell, 5, 5), {0x10, 0x20, 0x30, 0xff}, 0, "platform");
    // Longer texts are cut at a code point within 63 bytes; the platform refuses this one.
    std::string long_text;
    for (int i = 0; i < 20; i++) long_text += "\U0001F600";
    auto got = rig.frame({{long_text, 24}});
    EXPECT_EQ(got[0], std::make_pair(false, (uint8_t)1));
    rig.h.ui = [&](qel_context* ctx) { qel_emoji_image(ctx, long_text.c_str(), 24); };
    rig.h.run();
    EXPECT_EQ(platform.texts.back().size(), 60u);
}

TEST(EmojiCache, CbdtPicturesOfFormats17And19)
{
    emoji_rig rig("cbdt");
    // Format 19 at 128: taken as it is; format 17 at 64: the 128 ppem strike reduced twofold.
    auto got = rig.frame({{"\U0001F353", 128}, {"\U0001F352", 64}});
    EXPECT_TRUE(got[0].first && got[1].first);
    struct {
        int32_t p, x, y;
        std::vector<int> rgba;
    } cases[] = {
        {64, 10, 10, {255, 0, 0, 255}},  {64, 50, 10, {0, 0, 255, 128}},   {64, 10, 50, {0, 0, 0, 0}},
        {64, 50, 50, {255, 255, 255, 255}}, {128, 100, 20, {0, 0, 255, 128}}, {128, 20, 100, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        int32_t cell = rig.cell_of("", c.p);
        ASSERT_GE(cell, 0);
        expect_near(rig.at(cell, c.x, c.y), c.rgba, 1, "cbdt");
    }
}

namespace {

// A row of one emoji at three sizes, drawn through the software renderer. The smaller bitmaps
// are reduced 8-fold or more from their strikes and stay empty.
const int32_t ROW_PART = 140;

picture emoji_row(uint32_t mode, const char* font_name, const char* text)
{
    widget_rig rig(ROW_PART, 56, mode);
    std::string font = emoji_font_bytes(font_name);
    EXPECT_TRUE(qel_emoji_font_from_memory(rig.h.ctx, (const uint8_t*)font.data(), font.size(), false));
    rig.h.ui = [&](qel_context* ctx) {
        qel_style row = {};
        row.direction = QEL_DIR_ROW, row.gap = 8, row.padding = 6, row.align = QEL_ALIGN_END;
        qel_row_begin(ctx, &row);
        for (float size : {24.0f, 36.0f, 44.0f}) qel_emoji_image(ctx, text, size);
        qel_container_end(ctx);
    };
    rig.h.run(3);
    return rig.shot();
}

}  // namespace

class EmojiRowPictures : public ::testing::TestWithParam<uint32_t> {};

TEST_P(EmojiRowPictures, ColrCbdtAndSbixSideBySide)
{
    picture parts[3] = {emoji_row(GetParam(), "colr", HEART_VS), emoji_row(GetParam(), "cbdt", "\U0001F352"),
                        emoji_row(GetParam(), "sbix", APPLE)};
    picture row;
    row.width = 3 * ROW_PART, row.height = 56;
    row.rgba.resize((size_t)row.width * row.height * 4);
    for (int k = 0; k < 3; k++) {
        ASSERT_EQ(parts[k].width, ROW_PART);
        for (int32_t y = 0; y < row.height; y++)
            memcpy(&row.rgba[((size_t)y * row.width + ROW_PART * k) * 4], &parts[k].rgba[(size_t)y * ROW_PART * 4],
                   ROW_PART * 4);
    }
    EXPECT_TRUE(picture_matches(row, themed_picture("qel/emoji_", "row", GetParam()), PICTURE_TOLERANCE));
}

INSTANTIATE_TEST_SUITE_P(Themes, EmojiRowPictures, theme_modes());

TEST(EmojiFont, DamagedCopiesOfALargeFontAreReadWithinTheirBounds)
{
    std::string noto;
    if (!scratch_read("/usr/share/fonts/truetype/noto/NotoColorEmoji.ttf", &noto)) GTEST_SKIP() << "no Noto Color Emoji";
    const char* texts[] = {"😀", "❤️", "👋🏽", "🧑🏻‍❤️‍💋‍🧑🏿", "🇯🇵", "#️⃣", "👨‍👩‍👧‍👦", "🏳️‍🌈", "a", "🫠"};
    uint32_t seed = 20261211;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (int copy = 0; copy < 24; copy++) {
        std::string damaged = noto;
        // A truncation, or a handful of bytes overwritten in the first megabyte (the tables the
        // mapping reads) and anywhere.
        if (copy % 4 == 0) damaged.resize(12 + next() % damaged.size());
        for (int k = 0; k < 16; k++) {
            size_t at = (k % 2 ? next() % damaged.size() : next() % std::min<size_t>(damaged.size(), 1 << 20));
            damaged[at] = (char)(next() >> 24);
        }
        emoji_rig rig;
        if (!qel_emoji_font_from_memory(rig.h.ctx, (const uint8_t*)damaged.data(), damaged.size(), false)) continue;
        std::vector<std::pair<std::string, float>> draws;
        for (const char* t : texts) {
            qel_emoji_can_render(rig.h.ctx, t, -1);
            draws.push_back({t, 40});
        }
        rig.frame(draws);
    }
}

TEST(EmojiFont, ALigatureFarPastTheWalksBoundIsNotMade)
{
    // 29,999 lookups of 1,000 ligatures each that never match come before the one that does.
    emoji_rig rig("colr_loop");
    EXPECT_EQ(qel_emoji_glyph_for_sequence(rig.st(), FAMILY, (int32_t)strlen(FAMILY)), 0u);
    EXPECT_EQ(qel_emoji_glyph_for_sequence(rig.st(), HEART, (int32_t)strlen(HEART)), 3u);
}

namespace {

int32_t hook_calls;

void count_hook(qel_context*, int32_t)
{
    hook_calls++;
}

}  // namespace

TEST(EmojiFont, TheApplicationKeepsItsUserPointerAndEventHook)
{
    int mine = 0;
    emoji_rig rig;
    qel_ctx_set_user(rig.h.ctx, &mine);
    qel_ctx_set_event_hook(rig.h.ctx, count_hook);
    hook_calls = 0;
    std::string font = emoji_font_bytes("colr");
    ASSERT_TRUE(qel_emoji_font_from_memory(rig.h.ctx, (const uint8_t*)font.data(), font.size(), false));
    rig.frame({{HEART, 32}});
    EXPECT_EQ(qel_ctx_user(rig.h.ctx), &mine);
    EXPECT_GT(hook_calls, 0);
    // Set after the emoji state exists, they leave it working.
    qel_ctx_set_user(rig.h.ctx, nullptr);
    qel_ctx_set_event_hook(rig.h.ctx, nullptr);
    EXPECT_EQ(rig.frame({{HEART, 32}})[0], std::make_pair(true, (uint8_t)0));
}

TEST(EmojiCache, AnSbixGlyphWhoseNextOffsetComesFirstHasNoPicture)
{
    emoji_rig rig;
    std::string font = emoji_font_bytes("sbix");
    auto be32 = [&font](size_t at) {
        return (uint32_t)(uint8_t)font[at] << 24 | (uint32_t)(uint8_t)font[at + 1] << 16 |
               (uint32_t)(uint8_t)font[at + 2] << 8 | (uint8_t)font[at + 3];
    };
    size_t sbix = 0;
    for (size_t record = 12; record < 12 + 16 * (size_t)((uint8_t)font[4] << 8 | (uint8_t)font[5]); record += 16)
        if (font.compare(record, 4, "sbix") == 0) sbix = be32(record + 8);
    ASSERT_GT(sbix, 0u);
    // The red apple is glyph 1: its offset and the next one trade places.
    size_t offsets = sbix + be32(sbix + 8) + 4 + 4 * 1;
    std::swap_ranges(font.begin() + (long)offsets, font.begin() + (long)offsets + 4, font.begin() + (long)offsets + 4);
    ASSERT_TRUE(qel_emoji_font_from_memory(rig.h.ctx, (const uint8_t*)font.data(), font.size(), false));
    EXPECT_EQ(rig.frame({{APPLE, 40}})[0], std::make_pair(false, (uint8_t)1));
}
