#include "engine/bitmap_font.h"
#include "engine/bitmap_font_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

static const int ladder[] = {10, 12, 14, 17, 20, 24, 29, 34, 41, 50, 60, 72, 86, 103};

TEST(BitmapFont, NearestLadderSize)
{
    const struct {
        float request;
        int px;
    } cases[] = {
        {11, 10},   {11.6f, 12}, {0.2f, 10},  {500, 103}, {22, 20},  {15.4f, 14}, {15.5f, 17},
        {94.5f, 103}, {-3, 10}, {NAN, 10}, {INFINITY, 103}, {1e30f, 103}, {103, 103},
    };
    for (const auto& c : cases) EXPECT_EQ(bitmap_font_size_for_height(c.request), c.px) << c.request;
    for (int px : ladder) EXPECT_EQ(bitmap_font_size_for_height((float)px), px);
}

TEST(BitmapFont, LadderMetrics)
{
    const int ascent[] = {8, 10, 12, 14, 16, 20, 24, 28, 33, 40, 48, 58, 69, 82};
    const int descent[] = {2, 3, 3, 4, 4, 5, 6, 7, 8, 10, 12, 14, 17, 20};
    const int line[] = {10, 13, 15, 18, 20, 25, 30, 35, 41, 50, 60, 72, 86, 102};
    for (int i = 0; i < 14; i++) {
        EXPECT_EQ(bitmap_font_ascent(ladder[i]), ascent[i]);
        EXPECT_EQ(bitmap_font_descent(ladder[i]), descent[i]);
        EXPECT_EQ(bitmap_font_line_height(ladder[i]), line[i]);
    }
    // Metrics of an off-ladder size are those of the nearest rung.
    EXPECT_EQ(bitmap_font_line_height(11), 10);
    EXPECT_EQ(bitmap_font_ascent(-50), 8);
    EXPECT_EQ(bitmap_font_descent(100000), 20);
}

// Every glyph of every size stays inside its line box, so lines a line height apart never touch,
// and the bitmaps tile the shared block.
TEST(BitmapFont, GlyphsStayWithinTheirLineAndBlock)
{
    uint32_t end = 0;
    for (int px : ladder) {
        for (int c = 32; c < 127; c++) {
            const bitmap_glyph* g = bitmap_font_glyph(px, (unsigned char)c);
            EXPECT_EQ(g->offset, end) << px << " " << (char)c;
            end = g->offset + (uint32_t)g->height * ((g->width + 7) / 8);
            if (c != ' ') {
                EXPECT_GT(g->width * g->height, 0) << px << " " << (char)c;
            }
            EXPECT_LE(-g->y_offset, bitmap_font_ascent(px)) << px << " " << (char)c;
            EXPECT_LE(g->y_offset + g->height, bitmap_font_descent(px)) << px << " " << (char)c;
        }
    }
    EXPECT_EQ(end, bitmap_font_bitmap_size);
}

TEST(BitmapFont, GoldenMetrics)
{
    const int space[] = {2, 3, 3, 4, 4, 5, 6, 7, 9, 11, 13, 16, 19, 23};
    for (int i = 0; i < 14; i++) {
        const bitmap_glyph* g = bitmap_font_glyph(ladder[i], ' ');
        EXPECT_EQ(g->advance, space[i]) << ladder[i];
        EXPECT_EQ(g->width * g->height, 0);
    }
    const struct {
        int px, width, height, x_offset, y_offset, advance;
    } capital_a[] = {
        {10, 6, 7, 0, -7, 6},
        {20, 12, 13, 0, -13, 12},
        {103, 57, 62, 1, -62, 58},
    };
    for (const auto& a : capital_a) {
        const bitmap_glyph* g = bitmap_font_glyph(a.px, 'A');
        EXPECT_EQ(g->width, a.width) << a.px;
        EXPECT_EQ(g->height, a.height) << a.px;
        EXPECT_EQ(g->x_offset, a.x_offset) << a.px;
        EXPECT_EQ(g->y_offset, a.y_offset) << a.px;
        EXPECT_EQ(g->advance, a.advance) << a.px;
    }
    // Bytes the font cannot show are the question mark.
    EXPECT_EQ(bitmap_font_glyph(20, 0xC3), bitmap_font_glyph(20, '?'));
    EXPECT_EQ(bitmap_font_glyph(20, '\t'), bitmap_font_glyph(20, '?'));
    EXPECT_EQ(bitmap_font_glyph(21, 'x'), bitmap_font_glyph(20, 'x'));
}

TEST(BitmapFont, Measuring)
{
    int a = bitmap_font_glyph(20, 'A')->advance, b = bitmap_font_glyph(20, 'B')->advance;
    int question = bitmap_font_glyph(20, '?')->advance;
    EXPECT_EQ(bitmap_font_measure("AB", 20), a + b);
    EXPECT_EQ(bitmap_font_measure("A\nB", 20), a + b);
    EXPECT_EQ(bitmap_font_measure("\rA\r\nB", 20), a + b);
    EXPECT_EQ(bitmap_font_measure("A\tB", 20), a + b + question);
    EXPECT_EQ(bitmap_font_measure("\xC3\xA9", 20), 2 * question);
    EXPECT_EQ(bitmap_font_measure("AB", 21), a + b);
    EXPECT_EQ(bitmap_font_measure("", 20), 0);
    EXPECT_EQ(bitmap_font_text_width(nullptr, 20), 0);
    EXPECT_EQ(bitmap_font_text_width("AB", 20), a + b);

    EXPECT_EQ(bitmap_font_missing_count("caf\xC3\xA9"), 2);
    EXPECT_EQ(bitmap_font_missing_count("a\tb\r\n~ "), 0);
    EXPECT_EQ(bitmap_font_missing_count("\x7F\x01\x1F"), 3);
    EXPECT_EQ(bitmap_font_missing_count(nullptr), 0);
}

// The glyph's own bitmap, read dot by dot, as the dots a raster should hold.
static void expect_glyph_at(const raster& r, const bitmap_glyph* g, int x, int y, const char* what)
{
    raster plain = {};
    ASSERT_EQ(raster_create(&plain, r.width, r.height), ERR_OK);
    bitmap_font_draw_glyph(&plain, g, x, y);
    int64_t ink = 0;
    for (int row = 0; row < g->height; row++)
        for (int col = 0; col < g->width; col++) ink += raster_get(&plain, x + col, y + row);
    EXPECT_EQ(ink, raster_count_ink(&plain)) << what;  // nothing outside the glyph's box
    EXPECT_GT(ink, 0) << what;
    for (int yy = 0; yy < r.height; yy++)
        for (int xx = 0; xx < r.width; xx++)
            ASSERT_EQ(raster_get(&r, xx, yy), raster_get(&plain, xx, yy)) << what << " at " << xx << "," << yy;
    raster_free(&plain);
}

TEST(BitmapFont, DrawsGlyphsAtPenAndBaseline)
{
    raster r = {};
    ASSERT_EQ(raster_create(&r, 40, 30), ERR_OK);
    const bitmap_glyph* g = bitmap_font_glyph(20, 'g');
    bitmap_font_draw_line(&r, 5, 18, 20, "g", 0);
    expect_glyph_at(r, g, 5 + g->x_offset, 18 + g->y_offset, "g");

    // A line end draws the question mark.
    raster_fill(&r, 0);
    bitmap_font_draw_line(&r, 3, 20, 20, "\n", 0);
    const bitmap_glyph* q = bitmap_font_glyph(20, '?');
    expect_glyph_at(r, q, 3 + q->x_offset, 20 + q->y_offset, "LF");

    // Bold doubles each glyph one dot to the right; the second glyph starts at the same pen.
    raster plain = {}, twice = {};
    ASSERT_EQ(raster_create(&plain, 40, 30), ERR_OK);
    ASSERT_EQ(raster_create(&twice, 40, 30), ERR_OK);
    bitmap_font_draw_line(&plain, 2, 20, 20, "Hi", 1);
    int h = bitmap_font_glyph(20, 'H')->advance;
    for (int dx = 0; dx < 2; dx++) {
        bitmap_font_draw_line(&twice, 2 + dx, 20, 20, "H", 0);
        bitmap_font_draw_line(&twice, 2 + h + dx, 20, 20, "i", 0);
    }
    EXPECT_EQ(memcmp(plain.bits, twice.bits, (size_t)plain.stride * plain.height), 0);

    // Clipped at every edge, and nothing for missing arguments.
    raster_fill(&r, 0);
    bitmap_font_draw_line(&r, -7, 3, 103, "W", 0);
    bitmap_font_draw_line(&r, 38, 29, 103, "W", 1);
    bitmap_font_draw_line(&r, INT32_MIN, INT32_MAX, 20, "AAAA", 1);
    bitmap_font_draw_line(&r, INT32_MAX, INT32_MIN, 20, "AAAA", 1);
    bitmap_font_draw_line(nullptr, 0, 10, 20, "A", 0);
    bitmap_font_draw_line(&r, 0, 10, 20, nullptr, 0);
    bitmap_font_draw_glyph(&r, nullptr, 0, 0);
    EXPECT_GT(raster_count_ink(&r), 0);
    raster_free(&r);
    raster_free(&plain);
    raster_free(&twice);
}

// The ink box against the dots a line sets in a raster with room all round it.
TEST(BitmapFont, LineInkIsTheBoxOfTheDrawnDots)
{
    const struct {
        const char* text;
        int px, bold;
    } cases[] = {{"Wg|", 20, 0}, {"Wg|", 20, 1}, {" j_ ", 103, 0}, {"\n\t~", 12, 1}, {"   ", 20, 0}, {"", 20, 1}};
    for (const auto& c : cases) {
        raster r = {};
        ASSERT_EQ(raster_create(&r, 700, 300), ERR_OK);
        const int32_t pen = 200, baseline = 150;
        bitmap_font_draw_line(&r, pen, baseline, c.px, c.text, c.bold);
        int32_t left = INT32_MAX, top = INT32_MAX, right = INT32_MIN, bottom = INT32_MIN;
        for (int32_t y = 0; y < r.height; y++)
            for (int32_t x = 0; x < r.width; x++)
                if (raster_get(&r, x, y)) {
                    left = std::min(left, x - pen);
                    right = std::max(right, x - pen + 1);
                    top = std::min(top, y - baseline);
                    bottom = std::max(bottom, y - baseline + 1);
                }
        const bitmap_font_ink ink = bitmap_font_line_ink(c.text, c.px, c.bold);
        if (left == INT32_MAX) {
            EXPECT_TRUE(ink.left == 0 && ink.top == 0 && ink.right == 0 && ink.bottom == 0) << c.text;
        } else {
            // Glyph bitmaps may carry blank edges, so the box holds the dots and may be larger.
            EXPECT_LE(ink.left, left) << c.text;
            EXPECT_LE(ink.top, top) << c.text;
            EXPECT_GE(ink.right, right) << c.text;
            EXPECT_GE(ink.bottom, bottom) << c.text;
        }
        raster_free(&r);
    }
}

// draw_box against the same lines drawn one by one with draw_line.
TEST(BitmapFont, Wrapping)
{
    const std::string word_300(300, 'a'), words_250_10 = std::string(250, 'a') + " " + std::string(10, 'b');
    const struct {
        std::string text;
        const char* box;  // the widest text that fits; NULL: no limit
        int max_lines;
        std::vector<std::string> lines;
    } cases[] = {
        {"aaa bbb ccc", "aaa bbb", 3, {"aaa bbb", "ccc"}},
        {"aaa bbb ccc", "aaa bbb", 1, {"aaa bbb"}},
        {"aaa bbb ccc", "aaa bb", 3, {"aaa", "bbb", "ccc"}},
        {"aaa   bbb", "aaa", 5, {"aaa", "bbb"}},       // spaces at the start of a line go
        {" aaa", nullptr, 2, {" aaa"}},                // but not at the start of the text
        {"abcdefgh", "abc", 5, {"abc", "def", "gh"}},  // a word wider than the box breaks
        {"WW", "", 5, {"W", "W"}},                     // one character always makes a line
        {"ab cd", "ab cd", 0, {}},
        {word_300, nullptr, 9, {word_300.substr(0, 254), word_300.substr(254)}},
        {words_250_10, nullptr, 9, {std::string(250, 'a'), std::string(10, 'b')}},
        {"", "a", 3, {}},
    };
    for (const auto& c : cases) {
        int box = c.box ? bitmap_font_measure(c.box, 12) : 1 << 30;
        raster got = {}, want = {};
        ASSERT_EQ(raster_create(&got, 120, 80), ERR_OK);
        ASSERT_EQ(raster_create(&want, 120, 80), ERR_OK);
        int lines = bitmap_font_draw_box(&got, 1, 10, 12, box, c.text.c_str(), 0, c.max_lines);
        for (size_t i = 0; i < c.lines.size(); i++)
            bitmap_font_draw_line(&want, 1, 10 + 13 * (int)i, 12, c.lines[i].c_str(), 0);
        EXPECT_EQ(lines, (int)c.lines.size()) << c.text;
        EXPECT_EQ(memcmp(got.bits, want.bits, (size_t)got.stride * got.height), 0) << c.text;
        EXPECT_EQ(bitmap_font_draw_box(nullptr, 1, 10, 12, box, c.text.c_str(), 0, c.max_lines), lines);
        raster_free(&got);
        raster_free(&want);
    }
    EXPECT_EQ(bitmap_font_draw_box(nullptr, 0, 0, 12, 100, nullptr, 0, 2), 0);
}
