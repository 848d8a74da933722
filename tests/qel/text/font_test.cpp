#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "text/embedded_fonts.h"
#include "text/inflate.h"
#include "qel/font.h"
#include "qel/icons.h"
#include "qel/text.h"
#include "support/qel_fixture.h"
#include "support/scratch.h"

static std::string inflated_font(int32_t role)
{
    const uint8_t* stream;
    uint32_t compressed, inflated;
    EXPECT_TRUE(qel_embedded_font(role, &stream, &compressed, &inflated));
    std::string font(inflated, '\0');
    EXPECT_EQ(qel_inflate(stream, compressed, (uint8_t*)font.data(), font.size()), inflated);
    return font;
}

class FontTest : public QelTest {
protected:
    const qel_font& font(int32_t index) const { return ctx->fonts.fonts[index]; }

    // Each character of a text with the font that supplies it and the size it is set at.
    std::vector<qel_glyph_iter> walk(int32_t handle, float size, const char* text, uint8_t tabular = 0)
    {
        std::vector<qel_glyph_iter> steps;
        qel_glyph_iter it;
        qel_glyph_iter_init(&it, ctx, qel_font_resolve(ctx, handle), size, text, (int32_t)strlen(text), tabular);
        while (qel_glyph_iter_next(&it)) steps.push_back(it);
        return steps;
    }
};

TEST_F(FontTest, EmbeddedFontsTakeTheirRoles)
{
    ASSERT_EQ(ctx->fonts.font_count, 5);
    const float units[5] = {2048, 2048, 1000, 1000, 1000};
    for (int32_t role = 0; role < 5; role++) {
        EXPECT_EQ(ctx->fonts.roles[role], role);
        EXPECT_EQ(font(role).units_per_em, units[role]);
        EXPECT_EQ(font(role).icon, role == QEL_FONT_ICON);
        EXPECT_TRUE(font(role).owns_data);
        EXPECT_GT(font(role).ascent, 0.5f);
    }
    for (int32_t role = 0; role < 4; role++) {
        EXPECT_LT(font(role).descent, -0.1f) << role;
        EXPECT_GT(font(role).cap_height, 0.6f) << role;
        EXPECT_LT(font(role).cap_height, font(role).ascent) << role;
    }
    EXPECT_EQ(font(QEL_FONT_HEADING).fallback_count, 1);
    EXPECT_EQ(font(QEL_FONT_HEADING).fallbacks[0], QEL_FONT_MEDIUM);
    EXPECT_EQ(font(QEL_FONT_MONO).fallbacks[0], QEL_FONT_BODY);
    // The heading font lacks the check mark; its fallback has it.
    EXPECT_EQ(walk(QEL_FONT_HEADING, 16, "\xE2\x9C\x93")[0].glyph_font, QEL_FONT_MEDIUM);
}

TEST_F(FontTest, HandlesResolve)
{
    const struct {
        int32_t handle, font;
    } cases[] = {{QEL_FONT_BODY, 0}, {QEL_FONT_ICON, 4}, {7, 0}, {-1, 0}, {16, 0}, {20, 4}, {21, 0}, {15, 0}};
    for (const auto& c : cases) EXPECT_EQ(qel_font_resolve(ctx, c.handle), c.font) << c.handle;
    qel_font_set_role(ctx, QEL_FONT_HEADING, 16 + QEL_FONT_MONO);
    EXPECT_EQ(qel_font_resolve(ctx, QEL_FONT_HEADING), QEL_FONT_MONO);
    qel_font_set_role(ctx, QEL_FONT_ICON, 99);  // an invalid handle binds font 0, now an icon font
    EXPECT_EQ(qel_font_resolve(ctx, QEL_FONT_ICON), 0);
    EXPECT_TRUE(font(0).icon);
    qel_font_set_role(ctx, 5, 16);  // not a role
    qel_font_set_role(ctx, QEL_FONT_BODY, 16);
    EXPECT_FALSE(font(0).icon);
}

TEST_F(FontTest, FallbacksStopAtFour)
{
    for (int32_t i = 0; i < 5; i++) qel_font_add_fallback(ctx, QEL_FONT_BODY, 16 + i);
    EXPECT_EQ(font(0).fallback_count, 4);
    EXPECT_EQ(font(0).fallbacks[3], 3);
}

TEST_F(FontTest, AddsFontsAndRefusesWhatIsNoFont)
{
    std::string mono = inflated_font(QEL_FONT_MONO);
    EXPECT_EQ(qel_font_add_memory(ctx, (const uint8_t*)mono.data(), (int32_t)mono.size(), 1), 16 + 5);
    EXPECT_TRUE(font(5).owns_data);
    EXPECT_EQ(font(5).units_per_em, 1000);

    std::string wrong_tag = mono, short_directory = mono.substr(0, 40), table_past_end = mono.substr(0, mono.size() / 2);
    wrong_tag[0] = 'X';
    std::string collection = std::string("ttcf\0\1\0\0\0\0\0\1\0\0\0\x10", 16) + mono.substr(0, 200);
    const std::string bad[] = {"", "OTTO", wrong_tag, short_directory, table_past_end, collection};
    for (const std::string& data : bad) {
        EXPECT_EQ(qel_font_add_memory(ctx, (const uint8_t*)data.data(), (int32_t)data.size(), 1), -1) << data.size();
        EXPECT_EQ(qel_font_add_memory(ctx, (const uint8_t*)data.data(), (int32_t)data.size(), 0), -1);
    }
    EXPECT_EQ(qel_font_add_memory(ctx, nullptr, 100, 0), -1);
    EXPECT_EQ(ctx->fonts.font_count, 6);
}

TEST_F(FontTest, AddsFontFilesAndFreesWhatFails)
{
    std::string good = scratch_path("good.ttf"), bad = scratch_path("bad.ttf"), empty = scratch_path("empty.ttf");
    std::string mono = inflated_font(QEL_FONT_MONO);
    ASSERT_TRUE(scratch_write(good, mono));
    ASSERT_TRUE(scratch_write(bad, mono.substr(0, 1000)));
    ASSERT_TRUE(scratch_write(empty, ""));
    int64_t before = counter.live;
    EXPECT_EQ(qel_font_add_file(ctx, bad.c_str()), -1);
    EXPECT_EQ(qel_font_add_file(ctx, empty.c_str()), -1);
    EXPECT_EQ(qel_font_add_file(ctx, scratch_path("missing.ttf").c_str()), -1);
    EXPECT_EQ(qel_font_add_file(ctx, nullptr), -1);
    EXPECT_EQ(counter.live, before) << "a failed font kept its buffer";
    EXPECT_EQ(qel_font_add_file(ctx, good.c_str()), 16 + 5);
    EXPECT_TRUE(font(5).owns_data);
}

TEST_F(FontTest, PrivateUseCharactersComeFromTheIconFont)
{
    auto steps = walk(QEL_FONT_BODY, 20, "a\xEE\x81\xAC");  // a, U+E06C check
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[1].glyph_font, QEL_FONT_ICON);
    EXPECT_NE(steps[1].glyph, 0);
    EXPECT_FLOAT_EQ(steps[1].size_used, 23.0f);
    // No tracking for icon glyphs: the advance is the icon's own.
    int32_t advance, bearing;
    stbtt_GetGlyphHMetrics(&font(4).info, steps[1].glyph, &advance, &bearing);
    EXPECT_FLOAT_EQ(steps[1].advance, 23.0f * (float)advance / 1000.0f);
    // A code point no font has keeps the run's font and glyph 0, and still advances.
    auto missing = walk(QEL_FONT_BODY, 20, "\xE4\xB8\xAD");  // U+4E2D
    EXPECT_EQ(missing[0].glyph, 0);
    EXPECT_EQ(missing[0].glyph_font, QEL_FONT_BODY);
    EXPECT_GT(missing[0].advance, 0.0f);
}

// A module with fonts of its own (colour emoji) reads outlines through a bare font record.
TEST_F(FontTest, FontInfoReadsOutlinesOfTheCallersData)
{
    const std::string icons = inflated_font(QEL_FONT_ICON);
    int64_t before = counter.live;
    EXPECT_EQ(qel_font_info_create(ctx, (const uint8_t*)icons.data() + 4, 0), nullptr) << "not a font";
    EXPECT_EQ(qel_font_info_create(ctx, nullptr, 0), nullptr);
    EXPECT_EQ(counter.live, before) << "a refused record was kept";
    qel_font_info* info = qel_font_info_create(ctx, (const uint8_t*)icons.data(), 0);
    ASSERT_NE(info, nullptr);
    int32_t ascent = 0, descent = 0;
    qel_font_info_vmetrics(info, &ascent, &descent);
    EXPECT_GT(ascent, 0);
    EXPECT_LE(descent, 0);
    qel_font_info_vmetrics(info, nullptr, nullptr);
    int32_t glyph = walk(QEL_FONT_ICON, 20, QEL_ICON_CHECK)[0].glyph;  // U+E06C check
    int32_t x0, y0, x1, y1;
    ASSERT_TRUE(qel_font_info_glyph_box(info, glyph, 0.02f, &x0, &y0, &x1, &y1));
    int32_t w = x1 - x0, h = y1 - y0;
    std::vector<uint8_t> coverage((size_t)(w * h));
    qel_font_info_glyph_bitmap(info, glyph, 0.02f, coverage.data(), w, h, w);
    EXPECT_GT(*std::max_element(coverage.begin(), coverage.end()), 200) << "the check mark has solid ink";
    qel_mem_free(ctx, info);
    EXPECT_EQ(counter.live, before);
}

TEST_F(FontTest, TabularDigitsShareOneWidth)
{
    const float size = 15;
    float cell = font(0).widest_digit * size + walk(QEL_FONT_BODY, size, "0")[0].tracking;
    for (const char* digits : {"0123456789", "1111111111", "7474747474"})
        EXPECT_NEAR(qel_text_width(ctx, QEL_FONT_BODY, size, digits, -1, 1), 10 * cell, 1e-3) << digits;
    EXPECT_LT(qel_text_width(ctx, QEL_FONT_BODY, size, "1111111111", -1, 0), 10 * cell - 1);
    // The digit sits in the middle of its cell.
    auto one = walk(QEL_FONT_BODY, size, "1", 1)[0];
    float natural = font(0).ascii_advance[(int)'1'] * size;
    EXPECT_NEAR(one.x_offset, (font(0).widest_digit * size - natural) / 2 + one.tracking / 2, 1e-4);
}

TEST_F(FontTest, KerningPullsPairsTogether)
{
    const float size = 20;
    auto av = walk(QEL_FONT_BODY, size, "AV");
    float apart = av[0].advance;
    EXPECT_LT(av[1].pen_before, apart - 0.03f * size);  // about -140 units of 2048
    // Not across fonts, and not between digits when they are tabular.
    auto digits = walk(QEL_FONT_BODY, size, "17", 1);
    EXPECT_FLOAT_EQ(digits[1].pen_before, digits[0].advance);
    auto icon = walk(QEL_FONT_BODY, size, "A\xEE\x81\xAC");
    EXPECT_FLOAT_EQ(icon[1].pen_before, icon[0].advance);
}

class NoFontTest : public QelTest {
protected:
    void SetUp() override
    {
        qel_config config = counting_config(&counter);
        config.no_embedded_fonts = 1;
        ctx = qel_ctx_create(&config);
        ASSERT_NE(ctx, nullptr);
    }
};

TEST_F(NoFontTest, MeasuresZeroAndDrawsNothing)
{
    EXPECT_EQ(ctx->fonts.font_count, 0);
    EXPECT_EQ(qel_font_resolve(ctx, QEL_FONT_BODY), -1);
    EXPECT_EQ(qel_text_width(ctx, QEL_FONT_BODY, 16, "Hello", -1, 0), 0.0f);
    EXPECT_EQ(qel_line_height(ctx, QEL_FONT_BODY, 16), 16.0f);
    EXPECT_EQ(qel_font_ascent(ctx, QEL_FONT_BODY, 16), 16.0f);
    qel_font_add_fallback(ctx, 0, 1);
    qel_font_set_role(ctx, 0, 16);
    qel_draw_text(ctx, QEL_FONT_BODY, 16, 0, 0, 0xFFFFFFFF, "Hello", -1, 0);
    EXPECT_EQ(ctx->draw.vertex_count, 0u);
}

// --- Damaged fonts ---

// Big-endian numbers of a font's bytes, read and written in place.
static uint32_t get_be(const std::string& font, size_t at, int bytes)
{
    uint32_t v = 0;
    for (int i = 0; i < bytes; i++) v = v << 8 | (uint8_t)font[at + (size_t)i];
    return v;
}

static void put_be(std::string* font, size_t at, uint32_t v, int bytes)
{
    for (int i = bytes - 1; i >= 0; i--, v >>= 8) (*font)[at + (size_t)i] = (char)(v & 0xFF);
}

// The directory record of a table: its offset is 8 bytes in, its length 12.
static size_t table_record(const std::string& font, const char* tag)
{
    for (size_t i = 0, n = get_be(font, 4, 2); i < n; i++)
        if (font.compare(12 + 16 * i, 4, tag) == 0) return 12 + 16 * i;
    ADD_FAILURE() << "no table " << tag;
    return 0;
}

static size_t table_at(const std::string& font, const char* tag)
{
    return get_be(font, table_record(font, tag) + 8, 4);
}

// The first glyph of a font (with short loca offsets) that has an outline whose contour count
// passes the test: its index and where its bytes start.
static std::pair<uint32_t, size_t> first_glyph(const std::string& font, bool (*contours_wanted)(int16_t))
{
    size_t loca = table_at(font, "loca"), glyf = table_at(font, "glyf");
    for (uint32_t g = 0, n = get_be(font, table_at(font, "maxp") + 4, 2); g < n; g++) {
        size_t at = glyf + 2 * get_be(font, loca + 2 * g, 2);
        if (get_be(font, loca + 2 * g + 2, 2) != get_be(font, loca + 2 * g, 2) && contours_wanted((int16_t)get_be(font, at, 2)))
            return {g, at};
    }
    ADD_FAILURE() << "no such glyph";
    return {0, 0};
}

static bool composite(int16_t contours)
{
    return contours < 0;
}

static bool simple(int16_t contours)
{
    return contours > 0;
}

// Turns the post table into a horizontal kern table that promises more pairs than it holds.
static void cut_kern_table(std::string* f)
{
    size_t record = table_record(*f, "post"), at = get_be(*f, record + 8, 4);
    f->replace(record, 4, "kern");
    put_be(f, at, 0, 2);         // version 0
    put_be(f, at + 2, 1, 2);     // one subtable
    put_be(f, at + 8, 1, 2);     // horizontal
    put_be(f, at + 10, 500, 2);  // pairs
}

// Each damage of an embedded font sends the rasteriser somewhere outside the data, or round in a
// circle; the font is refused and nothing is kept of it.
TEST_F(FontTest, DamagedFontsAreRefused)
{
    const std::string body = inflated_font(QEL_FONT_BODY), mono = inflated_font(QEL_FONT_MONO),
                      heading = inflated_font(QEL_FONT_HEADING);
    ASSERT_EQ(get_be(mono, table_at(mono, "head") + 50, 2), 0u) << "the cases below read short loca offsets";
    const struct {
        const char* what;
        const std::string* font;
        std::function<void(std::string*)> damage;
    } cases[] = {
        {"cmap records point far away", &mono,
         [](std::string* f) {
             for (size_t r = 0; r < 2; r++) put_be(f, table_at(*f, "cmap") + 8 + 8 * r, 0x40000000, 4);
         }},
        {"cmap segments run past the table", &mono,
         [](std::string* f) {
             size_t sub = table_at(*f, "cmap") + get_be(*f, table_at(*f, "cmap") + 16, 4);
             put_be(f, sub + 6, 0xFFFE, 2);
         }},
        {"cmap search fields reach past the table", &mono,
         [](std::string* f) {
             size_t sub = table_at(*f, "cmap") + get_be(*f, table_at(*f, "cmap") + 16, 4);
             put_be(f, sub + 12, 0xFFFE, 2);
         }},
        {"no horizontal metrics", &mono, [](std::string* f) { put_be(f, table_at(*f, "hhea") + 34, 0, 2); }},
        {"more glyphs than metrics and locations", &mono,
         [](std::string* f) { put_be(f, table_at(*f, "maxp") + 4, 0xFFFF, 2); }},
        {"a glyph ends past glyf", &mono,
         [](std::string* f) { put_be(f, table_at(*f, "loca") + 2 * 20, 0xFFFF, 2); }},
        {"instructions run past the glyph", &mono,
         [](std::string* f) {
             size_t at = first_glyph(*f, simple).second;
             put_be(f, at + 10 + 2 * get_be(*f, at, 2), 0xFFFF, 2);
         }},
        {"a composite contains itself", &mono,
         [](std::string* f) {
             auto [glyph, at] = first_glyph(*f, composite);
             put_be(f, at + 12, glyph, 2);
         }},
        {"a composite is placed by point numbers", &mono,
         [](std::string* f) {
             size_t at = first_glyph(*f, composite).second;
             put_be(f, at + 10, get_be(*f, at + 10, 2) & ~2u, 2);
         }},
        {"kern pairs run past the table", &mono, cut_kern_table},
        {"GPOS at offset 0 is none, so kern pairs are read", &body,
         [](std::string* f) {
             put_be(f, table_record(*f, "GPOS") + 8, 0, 4);
             cut_kern_table(f);
         }},
        {"GPOS lookups lie past the table", &body,
         [](std::string* f) { put_be(f, table_at(*f, "GPOS") + 8, 0xFFF0, 2); }},
        {"CFF indexes run past the table", &heading,
         [](std::string* f) { put_be(f, table_record(*f, "CFF ") + 12, 200, 4); }},
        {"CFF header skips past the table", &heading,
         [](std::string* f) { (*f)[table_at(*f, "CFF ") + 2] = (char)0xFF; }},
    };
    int64_t live = counter.live;
    for (const auto& c : cases) {
        std::string damaged = *c.font;
        c.damage(&damaged);
        EXPECT_EQ(qel_font_add_memory(ctx, (const uint8_t*)damaged.data(), (int32_t)damaged.size(), 1), -1) << c.what;
    }
    EXPECT_EQ(ctx->fonts.font_count, 5);
    EXPECT_EQ(counter.live, live);
}

// A few changed bytes anywhere: the font is refused, or it loads and its text is measured and
// drawn like any other (the sanitized build watches every read).
TEST_F(FontTest, RandomlyDamagedFontsAreRefusedOrDrawn)
{
    uint32_t seed = 20240611;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    int refused = 0, drawn = 0;
    for (int32_t role = 0; role < 5; role++) {
        const std::string good = inflated_font(role);
        for (int round = 0; round < 40; round++) {
            std::string damaged = good;
            for (uint32_t n = 1 + next() % 20; n > 0; n--) damaged[next() % damaged.size()] = (char)(next() >> 24);
            int32_t handle = qel_font_add_memory(ctx, (const uint8_t*)damaged.data(), (int32_t)damaged.size(), 1);
            if (handle < 0) {
                refused++;
                continue;
            }
            drawn++;
            const char* text = "Tagmoor 0123 AV To \xC3\xA9\xE2\x82\xAC \xEE\x80\xB8\xE2\x9C\x93";
            EXPECT_GE(qel_text_width(ctx, handle, 16, text, -1, 0), 0.0f);
            qel_draw_text(ctx, handle, 15, 10, 10, 0xFFFFFFFF, text, -1, 0);
            qel_draw_text(ctx, handle, 64, 10, 40, 0xFFFFFFFF, text, -1, 1);
        }
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(drawn, 0);
}
