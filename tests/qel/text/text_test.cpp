#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "qel/icons.h"
#include "qel/text.h"
#include "support/qel_fixture.h"

class TextTest : public QelTest {
protected:
    void SetUp() override
    {
        QelTest::SetUp();
        next_frame();
    }

    float width(const char* text, float size = 16, int32_t font = QEL_FONT_BODY)
    {
        return qel_text_width(ctx, font, size, text, -1, 0);
    }

    std::vector<qel_text_line> wrap(const std::string& text, float max_width, float size = 16)
    {
        std::vector<qel_text_line> lines(200);
        int32_t n = qel_text_wrap(ctx, QEL_FONT_BODY, size, text.data(), (int32_t)text.size(), max_width, lines.data(), 200);
        lines.resize((size_t)n);
        return lines;
    }

    static std::vector<std::string> texts_of(const std::string& text, const std::vector<qel_text_line>& lines)
    {
        std::vector<std::string> out;
        for (const qel_text_line& l : lines) out.push_back(text.substr((size_t)l.start, (size_t)(l.end - l.start)));
        return out;
    }

    // Left and right ends of the glyph quads drawn since vertex `from`, in pixels.
    std::pair<float, float> drawn_span(uint32_t from) const
    {
        float lo = 1e9f, hi = -1e9f;
        for (uint32_t i = from; i < ctx->draw.vertex_count; i++) {
            lo = std::min(lo, ctx->draw.vertices[i].pos[0]);
            hi = std::max(hi, ctx->draw.vertices[i].pos[0]);
        }
        return {lo, hi};
    }
};

TEST_F(TextTest, WidthIsTheWidestLine)
{
    EXPECT_FLOAT_EQ(width("ab\ncde"), width("cde"));
    EXPECT_FLOAT_EQ(width("abcdef\nx"), width("abcdef"));
    EXPECT_EQ(width("\n"), 0.0f);
    EXPECT_EQ(width(""), 0.0f);
    EXPECT_EQ(qel_text_width(ctx, QEL_FONT_BODY, 16, nullptr, 5, 0), 0.0f);
    EXPECT_FLOAT_EQ(qel_text_width(ctx, QEL_FONT_BODY, 16, "abcdef", 3, 0), width("abc"));
    // No kerning across a line feed: "A\nV" is as wide as the wider letter alone.
    EXPECT_FLOAT_EQ(width("A\nV"), std::max(width("A"), width("V")));
    EXPECT_LT(width("AV"), width("A") + width("V"));
    // Invalid handles measure in font 0.
    EXPECT_FLOAT_EQ(qel_text_width(ctx, 7, 16, "Tea", -1, 0), width("Tea"));
}

TEST_F(TextTest, SizesAndLineMetrics)
{
    qel_text_metrics m = qel_text_size(ctx, QEL_FONT_BODY, 10, "a\n\nb", -1);
    EXPECT_FLOAT_EQ(m.height, 43.5f);
    EXPECT_FLOAT_EQ(m.line_height, 14.5f);
    EXPECT_FLOAT_EQ(m.width, std::max(width("a", 10), width("b", 10)));
    EXPECT_FLOAT_EQ(qel_text_size(ctx, QEL_FONT_BODY, 10, nullptr, -1).height, 14.5f);
    const qel_font& body = ctx->fonts.fonts[0];
    EXPECT_FLOAT_EQ(m.ascent, body.ascent * 10);
    EXPECT_FLOAT_EQ(m.descent, body.descent * 10);
    EXPECT_FLOAT_EQ(qel_line_height(ctx, QEL_FONT_BODY, 10), (body.ascent - body.descent) * 10);
    EXPECT_FLOAT_EQ(qel_line_height(ctx, QEL_FONT_ICON, 10), 10.0f);
    EXPECT_FLOAT_EQ(qel_font_ascent(ctx, QEL_FONT_BODY, 10), body.ascent * 10);
}

TEST_F(TextTest, HitFindsTheNearerSideOfACharacter)
{
    const char* text = "W\xC3\xA9t";  // W, e acute (2 bytes), t
    float half = width("W") / 2;
    EXPECT_EQ(qel_text_hit(ctx, QEL_FONT_BODY, 16, text, 4, half - 0.05f), 0);
    EXPECT_EQ(qel_text_hit(ctx, QEL_FONT_BODY, 16, text, 4, half + 0.05f), 1);
    EXPECT_EQ(qel_text_hit(ctx, QEL_FONT_BODY, 16, text, 4, width("W\xC3\xA9") + 0.2f), 3);
    EXPECT_EQ(qel_text_hit(ctx, QEL_FONT_BODY, 16, text, 4, 1000), 4);
    EXPECT_EQ(qel_text_hit(ctx, QEL_FONT_BODY, 16, text, 4, 0), 0);
}

TEST_F(TextTest, MaxWordWidth)
{
    EXPECT_FLOAT_EQ(qel_text_max_word_width(ctx, QEL_FONT_BODY, 16, "tea wonderful\tpot\ncup", 21), width("wonderful"));
    EXPECT_FLOAT_EQ(qel_text_max_word_width(ctx, QEL_FONT_BODY, 16, "a\rb c", 5), width("a\rb"));
    EXPECT_EQ(qel_text_max_word_width(ctx, QEL_FONT_BODY, 16, "tea", -1), 0.0f);
}

// Every way of wrapping keeps every word, in order, and no line passes the width unless it is a
// single character.
TEST_F(TextTest, WrappedLinesFitAndLoseNothing)
{
    const std::string texts[] = {
        "Darjeeling first flush, 100 g tin, organic and fair trade",
        "Sencha  Kabusecha   Gyokuro\tMatcha",
        "Supercalifragilisticexpialidocious tea",
        "line one\nline two is a little longer\n\nfour",
        "Caf\xC3\xA9 cr\xC3\xA8me br\xC3\xBBl\xC3\xA9\x65 \xE2\x82\xAC 4,50 \xE2\x80\x94 f\xC3\xBCr alle",
        "   leading and trailing   ",
        "",
    };
    for (float size : {12.0f, 16.0f, 24.0f}) {
        for (float max_width : {1.0f, 40.0f, 90.0f, 160.0f, 400.0f}) {
            for (const std::string& text : texts) {
                SCOPED_TRACE(text + " at " + std::to_string(max_width) + " size " + std::to_string(size));
                auto lines = wrap(text, max_width, size);
                ASSERT_GE(lines.size(), 1u);
                std::string words, joined;
                for (char c : text) words += c == '\t' || c == '\n' ? ' ' : c;
                int32_t previous_end = 0;
                for (const qel_text_line& l : lines) {
                    EXPECT_LE(previous_end, l.start);
                    previous_end = l.end;
                    std::string part = text.substr((size_t)l.start, (size_t)(l.end - l.start));
                    EXPECT_NEAR(l.width, qel_text_width(ctx, QEL_FONT_BODY, size, part.c_str(), -1, 0), 0.01f) << part;
                    int32_t characters = 0;
                    for (char c : part) characters += ((uint8_t)c & 0xC0) != 0x80;
                    if (characters > 1) {
                        EXPECT_LE(l.width, max_width + 0.51f) << part;
                    }
                    joined += part + " ";
                }
                auto squeeze = [](const std::string& s) {
                    std::string out;
                    for (char c : s)
                        if (c != ' ' && c != '\t' && c != '\n') out += c;
                    return out;
                };
                EXPECT_EQ(squeeze(joined), squeeze(words));
            }
        }
    }
}

TEST_F(TextTest, LongWordsAreCut)
{
    auto lines = texts_of("Gyokuro", wrap("Gyokuro", width("Gyo") + 1));
    EXPECT_EQ(lines, (std::vector<std::string>{"Gyo", "kur", "o"}));
    // A character wider than the width still takes a line of its own.
    EXPECT_EQ(texts_of("WW", wrap("WW", 2)), (std::vector<std::string>{"W", "W"}));
    auto breaks = texts_of("a\n\nb", wrap("a\n\nb", 100));
    EXPECT_EQ(breaks, (std::vector<std::string>{"a", "", "b"}));
}

TEST_F(TextTest, LoneLastWordGetsCompany)
{
    const std::string text = "Fresh green tea from Uji";
    float full = width(text.c_str());
    // A width at which greedy breaking leaves "Uji" alone on the second line.
    float max_width = width("Fresh green tea from") + 2;
    ASSERT_LT(max_width, full);
    auto lines = texts_of(text, wrap(text, max_width));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "from Uji");
    // Not across a line feed, and not after a line of fewer than three words.
    EXPECT_EQ(texts_of("tea from\nUji", wrap("tea from\nUji", 500)).back(), "Uji");
    auto short_lines = texts_of("green Uji", wrap("green Uji", width("green") + 2));
    EXPECT_EQ(short_lines.back(), "Uji");
}

TEST_F(TextTest, HeadingsAreBalanced)
{
    const std::string text = "Tea shop labels for every product on the shelf";
    const float size = 24, max_width = width(text.c_str(), size) * 0.75f;
    auto lines = wrap(text, max_width, size);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_LT(std::abs(lines[0].width - lines[1].width), width("every", size));
    // The same text as body text stays greedy: the first line is filled.
    std::vector<qel_text_line> body(8);
    int32_t n = qel_text_wrap(ctx, QEL_FONT_BODY, 19, text.data(), (int32_t)text.size(), width(text.c_str(), 19) * 0.75f,
                              body.data(), 8);
    ASSERT_EQ(n, 2);
    EXPECT_GT(body[0].width, body[1].width * 2);
}

TEST_F(TextTest, LineCountIsCompleteWhateverTheBuffer)
{
    std::string many;
    for (int32_t i = 0; i < 150; i++) many += "tea\n";
    EXPECT_EQ(qel_text_wrap(ctx, QEL_FONT_BODY, 16, many.data(), (int32_t)many.size(), 500, nullptr, 0), 151);
    qel_text_line two[2];
    EXPECT_EQ(qel_text_wrap(ctx, QEL_FONT_BODY, 16, many.data(), (int32_t)many.size(), 500, two, 2), 151);
    EXPECT_EQ(two[1].start, 4);
    EXPECT_EQ(qel_text_wrap(ctx, QEL_FONT_BODY, 16, "a b c", -1, 500, two, 2), 1);
}

TEST_F(TextTest, EllipsisFitsTheWidth)
{
    const char* text = "Darjeeling second flush";
    float full = width(text);
    // Fits within half a unit: drawn whole, one quad per visible character.
    uint32_t from = ctx->draw.vertex_count;
    qel_draw_text_ellipsis(ctx, QEL_FONT_BODY, 16, 0, 0, full - 0.4f, 0xFFFFFFFF, text, -1, 0);
    EXPECT_EQ(ctx->draw.vertex_count - from, 21u * 4);
    // Cut: the kept part and the ellipsis stay within the width.
    for (float max_width : {30.0f, 60.0f, 100.0f}) {
        from = ctx->draw.vertex_count;
        qel_draw_text_ellipsis(ctx, QEL_FONT_BODY, 16, 0, 0, max_width, 0xFFFFFFFF, text, -1, 0);
        auto span = drawn_span(from);
        EXPECT_GT(ctx->draw.vertex_count, from);
        EXPECT_LE(span.second, max_width + 1.0f) << max_width;
    }
    // Spaces before the cut go: the ellipsis follows the last word.
    float dots = width("\xE2\x80\xA6");
    from = ctx->draw.vertex_count;
    qel_draw_text_ellipsis(ctx, QEL_FONT_BODY, 16, 0, 0, width("Darjeeling ") + dots + 0.1f, 0xFFFFFFFF, text, -1, 0);
    qel_vertex cut = ctx->draw.vertices[ctx->draw.vertex_count - 4];
    EXPECT_EQ(ctx->draw.vertex_count - from, 11u * 4);
    qel_draw_text(ctx, QEL_FONT_BODY, 16, width("Darjeeling"), 0, 0xFFFFFFFF, "\xE2\x80\xA6", -1, 0);
    EXPECT_FLOAT_EQ(cut.pos[0], ctx->draw.vertices[ctx->draw.vertex_count - 4].pos[0]);
    // Not even the ellipsis fits: nothing.
    from = ctx->draw.vertex_count;
    qel_draw_text_ellipsis(ctx, QEL_FONT_BODY, 16, 0, 0, width("\xE2\x80\xA6") - 0.1f, 0xFFFFFFFF, text, -1, 0);
    EXPECT_EQ(ctx->draw.vertex_count, from);
}

TEST_F(TextTest, DrawingAtAPointDrawsTheRunThere)
{
    uint32_t from = ctx->draw.vertex_count;
    qel_draw_text(ctx, QEL_FONT_BODY, 16, 12, 30, 0xFFFFFFFF, "0123", -1, 0);
    uint32_t run = ctx->draw.vertex_count - from;
    qel_draw_text_at(ctx, QEL_FONT_BODY, 16, {12, 30}, 0xFFFFFFFF, "0123", -1);
    ASSERT_EQ(ctx->draw.vertex_count - from, 2 * run);
    for (uint32_t i = 0; i < run; i++) {
        EXPECT_EQ(ctx->draw.vertices[from + run + i].pos[0], ctx->draw.vertices[from + i].pos[0]);
        EXPECT_EQ(ctx->draw.vertices[from + run + i].pos[1], ctx->draw.vertices[from + i].pos[1]);
    }
}

TEST_F(TextTest, DrawingSkipsBlanksAndClearColours)
{
    uint32_t from = ctx->draw.vertex_count;
    qel_draw_text(ctx, QEL_FONT_BODY, 16, 0, 0, 0xFFFFFFFF, "a b\tc\nd", -1, 0);
    EXPECT_EQ(ctx->draw.vertex_count - from, 16u);
    qel_draw_text(ctx, QEL_FONT_BODY, 16, 0, 0, 0x00FFFFFF, "abc", -1, 0);
    qel_draw_text(ctx, QEL_FONT_BODY, 0.5f, 0, 0, 0xFFFFFFFF, "abc", -1, 0);  // under one pixel
    qel_draw_text(ctx, QEL_FONT_BODY, 16, 0, 0, 0xFFFFFFFF, nullptr, -1, 0);
    EXPECT_EQ(ctx->draw.vertex_count - from, 16u);
    // Glyph quads carry the run colour and the glyph kind.
    EXPECT_EQ(ctx->draw.vertices[from].fill, 0xFFFFFFFFu);
    EXPECT_EQ(ctx->draw.vertices[from].kind, (float)QEL_SHAPE_GLYPH);
}

TEST_F(TextTest, SizesAndPlacesThatAreNoNumberDrawNothing)
{
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const struct {
        float size, x, y;
    } cases[] = {{nan, 0, 0}, {inf, 0, 0}, {-inf, 0, 0}, {16, nan, 0}, {16, 0, inf}, {16, -inf, nan}};
    uint32_t from = ctx->draw.vertex_count;
    for (auto c : cases) {
        qel_draw_text(ctx, QEL_FONT_BODY, c.size, c.x, c.y, 0xFFFFFFFF, "0123 ab", -1, 1);
        ASSERT_EQ(ctx->draw.vertex_count, from) << c.size << " " << c.x << " " << c.y;
    }
    // The largest finite sizes overflow the pen; whatever is drawn must still be numbers.
    qel_draw_text(ctx, QEL_FONT_BODY, 3e38f, 0, 0, 0xFFFFFFFF, "0123 ab", -1, 1);
    for (uint32_t i = from; i < ctx->draw.vertex_count; i++) ASSERT_TRUE(std::isfinite(ctx->draw.vertices[i].pos[0]));
}

TEST_F(TextTest, IconsAreCentredInTheirRectangle)
{
    const char* check = QEL_ICON_CHECK;
    qel_rect r = {100, 50, 24, 24};
    uint32_t from = ctx->draw.vertex_count;
    qel_draw_text_in_rect(ctx, check, &r, 16, 0xFFFFFFFF);
    std::vector<qel_vertex> in_rect(ctx->draw.vertices + from, ctx->draw.vertices + ctx->draw.vertex_count);
    ASSERT_EQ(in_rect.size(), 4u);
    from = ctx->draw.vertex_count;
    qel_draw_text(ctx, QEL_FONT_ICON, 16, 104, 54, 0xFFFFFFFF, check, -1, 0);
    for (size_t i = 0; i < 4; i++) {
        EXPECT_FLOAT_EQ(in_rect[i].pos[0], ctx->draw.vertices[from + i].pos[0]);
        EXPECT_FLOAT_EQ(in_rect[i].pos[1], ctx->draw.vertices[from + i].pos[1]);
    }
    // The icon's box lies inside the em square below (104, 54).
    EXPECT_GE(in_rect[0].pos[0], 104.0f);
    EXPECT_LE(in_rect[2].pos[0], 120.0f);
    EXPECT_GE(in_rect[0].pos[1], 54.0f);
    EXPECT_LE(in_rect[2].pos[1], 70.5f);
}

TEST_F(TextTest, IconsInTextSitOnTheCapHeight)
{
    uint32_t from = ctx->draw.vertex_count;
    qel_draw_text(ctx, QEL_FONT_BODY, 20, 0, 0, 0xFFFFFFFF, "H\xEE\x81\xB6", -1, 0);  // H, U+E076 circle
    ASSERT_EQ(ctx->draw.vertex_count - from, 8u);
    const qel_vertex* h = ctx->draw.vertices + from;
    float h_middle = (h[0].pos[1] + h[2].pos[1]) / 2, icon_middle = (h[4].pos[1] + h[6].pos[1]) / 2;
    EXPECT_NEAR(icon_middle, h_middle, 1.5f);
    EXPECT_GT(h[6].pos[1] - h[4].pos[1], (h[2].pos[1] - h[0].pos[1]) * 1.1f);  // set at 1.15 times the size
}

// Marks the glyph at byte 2 red and lifts it; hides the one at byte 4.
static qel_color paint(qel_context*, void* user, int32_t offset, float, float, float* y_shift, qel_color color)
{
    ++*(int32_t*)user;
    if (offset == 12) *y_shift = 3;
    return offset == 12 ? 0xFF0000FF : offset == 14 ? 0 : color;
}

TEST_F(TextTest, GlyphColourHook)
{
    int32_t calls = 0;
    ctx->fonts.color_hook = {paint, &calls, 10, 0};
    uint32_t from = ctx->draw.vertex_count;
    qel_draw_text(ctx, QEL_FONT_BODY, 16, 0, 0, 0xFFFFFFFF, "abcde", -1, 0);
    EXPECT_EQ(calls, 5);
    ASSERT_EQ(ctx->draw.vertex_count - from, 16u);
    const qel_vertex* v = ctx->draw.vertices + from;
    EXPECT_EQ(v[8].fill, 0xFF0000FFu);
    EXPECT_EQ(v[4].fill, 0xFFFFFFFFu);
    EXPECT_NEAR(v[10].pos[1], v[2].pos[1] + 3, 1);  // moved down by 3 units, baseline to baseline
    // The ellipsis is drawn without the hook, which comes back afterwards.
    calls = 0;
    qel_draw_text_ellipsis(ctx, QEL_FONT_BODY, 16, 0, 0, width("abc"), 0xFFFFFFFF, "abcdefgh", -1, 0);
    int32_t kept = calls;
    EXPECT_GT(kept, 0);
    EXPECT_LT(kept, 8);
    EXPECT_EQ(ctx->fonts.color_hook.fn, paint);
    ctx->fonts.color_hook = {};
}
