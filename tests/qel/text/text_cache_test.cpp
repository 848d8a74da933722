#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "qel/font.h"
#include "qel/text.h"
#include "support/qel_fixture.h"
#include "text/embedded_fonts.h"
#include "text/inflate.h"

namespace {

// Labels of every kind the walk treats apart: ASCII with kerning pairs, digits, accents and
// symbols from the font's own tables, icons from the icon font, characters no font has, broken
// UTF-8, control characters, tabs and line feeds.
const char* const CACHE_TEXTS[] = {
    "Matcha 120 g 7.90",
    "AV To Wa yo T.",
    "Sencha 50 g \xE2\x82\xAC" "7.90",
    "caf\xC3\xA9 cr\xC3\xA8me br\xC3\xBBl\xC3\xA9" "e",
    "A\xC3\xA9V \xC3\xA9" "AV",
    "0123456789 1111 10.01",
    "a\tb\nAV\nTo 7",
    "\x01\x7F ab",
    "x\xEE\x81\xAC" "AV y",
    "\xE4\xB8\xAD" "AV \xE2\x86\x92 A",
    "\xC3" "A\x80V",
    " ",
};

qel_color keep_run_colour(qel_context*, void*, int32_t, float, float, float*, qel_color run_color)
{
    return run_color;
}

std::string cache_test_font(int32_t role)
{
    const uint8_t* stream;
    uint32_t compressed, inflated;
    EXPECT_TRUE(qel_embedded_font(role, &stream, &compressed, &inflated));
    std::string font(inflated, '\0');
    EXPECT_EQ(qel_inflate(stream, compressed, (uint8_t*)font.data(), font.size()), inflated);
    return font;
}

}  // namespace

class TextCacheTest : public QelTest {
protected:
    // A context of its own, with the fixture's counting allocator.
    qel_context* another_context(bool embedded_fonts = true)
    {
        qel_config config = counting_config(&counter);
        config.no_embedded_fonts = !embedded_fonts;
        return qel_ctx_create(&config);
    }

    // The width the glyph walk gives one character at a time, with nothing in front of it.
    static float walked_width(qel_context* c, int32_t handle, float size, const std::string& text, uint8_t tabular = 0)
    {
        qel_glyph_iter it;
        qel_glyph_iter_init(&it, c, qel_font_resolve(c, handle), size, text.data(), (int32_t)text.size(), tabular);
        float widest = 0;
        while (qel_glyph_iter_next(&it)) {
            if (it.code_point != '\n') continue;
            widest = std::max(widest, it.pen_before);
            it.pen_x = 0;
            it.prev_font = -1;
        }
        return std::max(widest, it.pen_x);
    }

    static float measure(qel_context* c, int32_t handle, float size, const std::string& text, uint8_t tabular = 0)
    {
        return qel_text_width(c, handle, size, text.data(), (int32_t)text.size(), tabular);
    }

    // The vertices of one text drawn at x, on an empty draw list.
    static std::vector<qel_vertex> drawn(qel_context* c, int32_t handle, float size, float x, const std::string& text,
                                         uint8_t tabular = 0)
    {
        qel_draw_reset(c);
        qel_draw_text(c, handle, size, x, 7.25f, 0xFF202020, text.data(), (int32_t)text.size(), tabular);
        return std::vector<qel_vertex>(c->draw.vertices, c->draw.vertices + c->draw.vertex_count);
    }

    // Drawn with a colour hook that changes nothing, which walks the text afresh each time.
    static std::vector<qel_vertex> drawn_walking(qel_context* c, int32_t handle, float size, float x,
                                                 const std::string& text, uint8_t tabular = 0)
    {
        c->fonts.color_hook = {keep_run_colour, nullptr, 0, 0};
        std::vector<qel_vertex> v = drawn(c, handle, size, x, text, tabular);
        c->fonts.color_hook = {};
        return v;
    }

    static bool same_vertices(const std::vector<qel_vertex>& a, const std::vector<qel_vertex>& b)
    {
        return a.size() == b.size() && (a.empty() || memcmp(a.data(), b.data(), a.size() * sizeof(qel_vertex)) == 0);
    }

    // Measured and drawn with the kept runs and widths, and as the walk gives them: the same.
    static void expect_as_walked(qel_context* c, int32_t handle, float size, const std::string& text, const char* what)
    {
        EXPECT_EQ(measure(c, handle, size, text), walked_width(c, handle, size, text)) << what;
        EXPECT_TRUE(same_vertices(drawn(c, handle, size, 3, text), drawn_walking(c, handle, size, 3, text))) << what;
    }

    static bool same_walk(const qel_glyph_iter& a, const qel_glyph_iter& b)
    {
        return a.position == b.position && a.pen_x == b.pen_x && a.prev_code_point == b.prev_code_point &&
               a.prev_glyph == b.prev_glyph && a.prev_font == b.prev_font && a.code_point == b.code_point &&
               a.glyph == b.glyph && a.glyph_font == b.glyph_font && a.pen_before == b.pen_before &&
               a.size_used == b.size_used && a.advance == b.advance && a.x_offset == b.x_offset &&
               a.byte_start == b.byte_start && a.byte_end == b.byte_end;
    }

    // Bytes the kept widths and runs hold.
    int64_t cache_bytes() const
    {
        int64_t bytes = 0;
        for (const qel_text_generation& g : ctx->fonts.texts.generations)
            bytes += (int64_t)g.capacity * (int64_t)sizeof(qel_text_entry) + (int64_t)g.slot_count * 4 + g.bytes_capacity +
                     (int64_t)g.glyph_capacity * (int64_t)sizeof(qel_run_glyph);
        return bytes;
    }
};

TEST_F(TextCacheTest, KeptWidthsAreTheWalksInEveryFontSizeAndDigitMode)
{
    std::string paragraph;
    while (paragraph.size() < 1500) paragraph += "Loose-leaf caf\xC3\xA9 teas, AV 7.90\xE2\x82\xAC; To Wa. ";
    std::vector<std::string> texts(std::begin(CACHE_TEXTS), std::end(CACHE_TEXTS));
    texts.push_back(paragraph);
    for (int32_t round = 0; round < 2; round++)  // the first round fills the cache, the second reads it
        for (int32_t handle = QEL_FONT_BODY; handle <= QEL_FONT_ICON; handle++)
            for (float size : {9.0f, 14.0f, 14.25f, 24.5f})
                for (uint8_t tabular = 0; tabular < 2; tabular++)
                    for (const std::string& text : texts)
                        ASSERT_EQ(measure(ctx, handle, size, text, tabular), walked_width(ctx, handle, size, text, tabular))
                            << "round " << round << ", font " << handle << ", size " << size << ", tabular "
                            << (int)tabular << ": " << text;
}

TEST_F(TextCacheTest, SkippingASCIILeavesTheWalkWhereSteppingDoes)
{
    for (const char* text : CACHE_TEXTS)
        for (uint8_t tabular = 0; tabular < 2; tabular++) {
            qel_glyph_iter stepped, skipped;
            qel_glyph_iter_init(&stepped, ctx, 0, 15, text, (int32_t)strlen(text), tabular);
            qel_glyph_iter_init(&skipped, ctx, 0, 15, text, (int32_t)strlen(text), tabular);
            while (skipped.position < skipped.length) {
                int32_t n = qel_glyph_iter_skip_ascii(&skipped);
                if (!n) n = qel_glyph_iter_next(&skipped) ? 1 : 0;
                for (int32_t i = 0; i < n; i++) ASSERT_TRUE(qel_glyph_iter_next(&stepped));
                ASSERT_TRUE(same_walk(stepped, skipped)) << text << " at byte " << skipped.position;
            }
        }
}

TEST_F(TextCacheTest, KeptRunsDrawWhatTheWalkDrawsAtEveryScale)
{
    std::string long_line(700, 'x');
    std::vector<std::string> texts(std::begin(CACHE_TEXTS), std::end(CACHE_TEXTS));
    texts.push_back(long_line);
    for (float scale : {1.0f, 1.5f, 2.0f, 1.25f, 1.0f})
        for (float x : {10.0f, 10.34f, 10.67f})
            for (const std::string& text : texts) {
                ctx->clock.scale = scale;
                drawn(ctx, QEL_FONT_BODY, 14, x, text);  // fills the cache at another scale first
                std::vector<qel_vertex> kept = drawn(ctx, QEL_FONT_BODY, 14, x, text);
                ASSERT_TRUE(same_vertices(kept, drawn_walking(ctx, QEL_FONT_BODY, 14, x, text)))
                    << "scale " << scale << ", x " << x << ": " << text;
                ASSERT_TRUE(same_vertices(drawn(ctx, QEL_FONT_MONO, 12, x, text, 1),
                                          drawn_walking(ctx, QEL_FONT_MONO, 12, x, text, 1)));
            }
    ctx->clock.scale = 1;
}

TEST_F(TextCacheTest, RolesBoundAnewAreMeasuredAfresh)
{
    const std::string text = "Tea AV 7.90 \xE2\x82\xAC a\xEE\x81\xAC";
    struct change {
        const char* what;
        void (*apply)(qel_context*);
    };
    const change changes[] = {
        {"body role to the mono font", [](qel_context* c) { qel_font_set_role(c, QEL_FONT_BODY, QEL_FONT_MONO); }},
        {"icon role to the medium font", [](qel_context* c) { qel_font_set_role(c, QEL_FONT_ICON, QEL_FONT_MEDIUM); }},
    };
    for (const change& ch : changes) {
        qel_context* warm = another_context();
        float before = measure(warm, QEL_FONT_BODY, 14, text);
        drawn(warm, QEL_FONT_BODY, 14, 3, text);
        ch.apply(warm);
        qel_context* cold = another_context();
        ch.apply(cold);
        EXPECT_NE(measure(warm, QEL_FONT_BODY, 14, text), before) << ch.what;
        EXPECT_EQ(measure(warm, QEL_FONT_BODY, 14, text), measure(cold, QEL_FONT_BODY, 14, text)) << ch.what;
        expect_as_walked(warm, QEL_FONT_BODY, 14, text, ch.what);
        qel_ctx_destroy(cold);
        qel_ctx_destroy(warm);
    }
}

// A character the first font lacks comes from a font added later, and then from a fallback
// named for it.
TEST_F(TextCacheTest, AddedFontsAndFallbacksSupplyWhatWasMissing)
{
    const std::string fonts[] = {cache_test_font(QEL_FONT_MONO), cache_test_font(QEL_FONT_BODY),
                                 cache_test_font(QEL_FONT_MEDIUM)};
    const std::string text = "a\xE2\x8C\x98\xE2\x9C\x93" "b";  // the mono font has no command sign, no tick
    qel_context* warm = another_context(false);
    std::vector<float> widths;
    for (const std::string& font : fonts) {
        ASSERT_GE(qel_font_add_memory(warm, (const uint8_t*)font.data(), (int32_t)font.size(), 1), 0);
        widths.push_back(measure(warm, QEL_FONT_BODY, 14, text));
        expect_as_walked(warm, QEL_FONT_BODY, 14, text, "added");
    }
    qel_font_add_fallback(warm, QEL_FONT_HANDLE_BASE, QEL_FONT_HANDLE_BASE + 2);
    widths.push_back(measure(warm, QEL_FONT_BODY, 14, text));
    expect_as_walked(warm, QEL_FONT_BODY, 14, text, "fallback");
    EXPECT_NE(widths[1], widths[0]) << "the signs come from the body font once it is there";
    EXPECT_EQ(widths[2], widths[1]) << "the body font comes first";
    EXPECT_NE(widths[3], widths[2]) << "the fallback comes before the other fonts";
    qel_ctx_destroy(warm);
}

TEST_F(TextCacheTest, MemoryStaysBoundedUnderAFloodOfTexts)
{
    const std::string first = "row 0 of a long list";
    float first_width = measure(ctx, QEL_FONT_BODY, 14, first);
    int64_t halfway = 0;
    for (int32_t i = 0; i < 120000; i++) {
        std::string text = "row " + std::to_string(i) + " of a long list \xE2\x82\xAC";
        measure(ctx, QEL_FONT_BODY, 14, text);
        if (i % 3 == 0) drawn(ctx, QEL_FONT_MEDIUM, 13, 5, text);
        if (i % 1000 == 0) next_frame();
        if (i == 60000) halfway = cache_bytes();
    }
    EXPECT_EQ(cache_bytes(), halfway) << "it grew after it was full";
    EXPECT_LT(cache_bytes(), 4 << 20);
    // Dropped long ago, measured again right.
    EXPECT_EQ(measure(ctx, QEL_FONT_BODY, 14, first), first_width);
    EXPECT_EQ(first_width, walked_width(ctx, QEL_FONT_BODY, 14, first));
}
