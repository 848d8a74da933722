#include "engine/raster.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

TEST(Raster, CreateChecksLimitsAndLeavesRecordOnRangeError)
{
    raster r = {};
    EXPECT_EQ(raster_create(nullptr, 1, 1), ERR_INVALID);
    const struct {
        int32_t w, h;
    } bad[] = {{0, 1}, {1, 0}, {32769, 1}, {1, 65536}, {-5, 3}};
    for (auto c : bad) {
        r = {7, 8, 9, nullptr};
        EXPECT_EQ(raster_create(&r, c.w, c.h), ERR_RANGE) << c.w << "x" << c.h;
        EXPECT_EQ(r.width, 7);
        EXPECT_EQ(r.stride, 9);
    }
    ASSERT_EQ(raster_create(&r, 32768, 65535), ERR_OK);
    EXPECT_EQ(r.stride, 4096);
    EXPECT_EQ(raster_count_ink(&r), 0);
    raster_free(&r);
    EXPECT_EQ(r.bits, nullptr);
    EXPECT_EQ(r.width, 0);
    EXPECT_EQ(r.height, 65535);
    raster_free(&r);  // twice is harmless
    raster_free(nullptr);
}

TEST(Raster, BitOrderIsMostSignificantFirst)
{
    raster r = {};
    ASSERT_EQ(raster_create(&r, 9, 2), ERR_OK);
    EXPECT_EQ(r.stride, 2);
    raster_set(&r, 8, 1, 1);
    raster_set(&r, 0, 0, 1);
    EXPECT_EQ(r.bits[0], 0x80);
    EXPECT_EQ(r.bits[3], 0x80);
    EXPECT_EQ(raster_get(&r, 8, 1), 1);
    raster_set(&r, 8, 1, 0);
    EXPECT_EQ(r.bits[3], 0);
    // Outside the raster nothing is read or written.
    raster_set(&r, 9, 0, 1);
    raster_set(&r, -1, 0, 1);
    raster_set(&r, 0, 2, 1);
    EXPECT_EQ(raster_get(&r, 9, 0), 0);
    EXPECT_EQ(raster_get(&r, 0, -1), 0);
    EXPECT_EQ(raster_count_ink(&r), 1);
    raster_free(&r);
    EXPECT_EQ(raster_get(&r, 0, 0), 0);
    raster_set(&r, 0, 0, 1);
    raster_fill(&r, 1);
    raster_fill_rect(&r, 0, 0, 5, 5, 1);
    EXPECT_EQ(raster_count_ink(&r), 0);
}

TEST(Raster, FillCountsPaddingBits)
{
    raster r = {};
    ASSERT_EQ(raster_create(&r, 10, 3), ERR_OK);
    raster_fill(&r, 1);
    EXPECT_EQ(raster_count_ink(&r), 3 * 16);
    raster_fill(&r, 0);
    EXPECT_EQ(raster_count_ink(&r), 0);
    raster_free(&r);
}

// Every rectangle of a small raster, including ones hanging over each edge, against a
// dot-by-dot reference.
TEST(Raster, FillRectMatchesDotByDotReference)
{
    const int W = 37, H = 5;
    for (int x = -10; x < W + 2; x += 3) {
        for (int w = 0; w < 50; w += 1) {
            for (int black = 0; black < 2; black++) {
                raster r = {};
                ASSERT_EQ(raster_create(&r, W, H), ERR_OK);
                if (!black) raster_fill(&r, 1);
                raster_fill_rect(&r, x, -1, w, 3, black);
                for (int yy = 0; yy < H; yy++)
                    for (int xx = 0; xx < W; xx++) {
                        bool inside = xx >= x && xx < x + w && yy < 2;
                        ASSERT_EQ(raster_get(&r, xx, yy), inside ? black : !black) << x << " " << w << " " << xx;
                    }
                raster_free(&r);
            }
        }
    }
}

TEST(Raster, FillRectToleratesExtremeSizes)
{
    raster r = {};
    ASSERT_EQ(raster_create(&r, 16, 4), ERR_OK);
    raster_fill_rect(&r, INT32_MAX - 1, 0, INT32_MAX, 4, 1);
    raster_fill_rect(&r, 2, 1, INT32_MAX, INT32_MAX, 1);
    raster_fill_rect(&r, INT32_MIN, INT32_MIN, 4, 4, 1);
    EXPECT_EQ(raster_count_ink(&r), 3 * 14);
    raster_free(&r);
}

TEST(Raster, QuarterTurnOfARow)
{
    raster src = {}, dst = {};
    ASSERT_EQ(raster_create(&src, 3, 1), ERR_OK);
    ASSERT_EQ(raster_create(&dst, 4, 4), ERR_OK);
    raster_fill_rect(&src, 0, 0, 3, 1, 1);
    raster_blit_rotated(&dst, &src, 0, 0, 90);
    EXPECT_EQ(raster_count_ink(&dst), 3);
    for (int y = 0; y < 3; y++) EXPECT_EQ(raster_get(&dst, 0, y), 1);
    // Blitting ORs: white source dots never clear.
    raster_fill(&dst, 1);
    raster_blit_rotated(&dst, &src, 1, 1, 0);
    EXPECT_EQ(raster_count_ink(&dst), 4 * 8);  // padding bits included
    // Clipped at every edge.
    raster_fill(&dst, 0);
    raster_blit_rotated(&dst, &src, -2, 3, 270);
    raster_blit_rotated(&dst, &src, 3, 3, 180);
    EXPECT_EQ(raster_count_ink(&dst), 1);
    raster_free(&src);
    raster_free(&dst);
}

// Random sources, padding bits set, at offsets hanging over every edge, against the dot-by-dot
// placement rule. Every other source repeats rows, as a bar block does, and some stand for their
// first row repeated.
TEST(Raster, BlitMatchesDotByDotReference)
{
    std::mt19937 rnd(7);
    for (int round = 0; round < 600; round++) {
        raster src = {}, got = {}, want = {};
        // Narrow sources and wide ones (glyphs and blocks), on destinations up to 33 bytes a row.
        const int32_t width = round % 3 ? 1 + (int32_t)(rnd() % 40) : 1 + (int32_t)(rnd() % 200);
        ASSERT_EQ(raster_create(&src, width, 1 + (int)(rnd() % 12)), ERR_OK);
        ASSERT_EQ(raster_create(&got, 1 + (int)(rnd() % 260), 1 + (int)(rnd() % 30)), ERR_OK);
        ASSERT_EQ(raster_create(&want, got.width, got.height), ERR_OK);
        for (int i = 0; i < src.stride * src.height; i++) src.bits[i] = (uint8_t)rnd();
        for (int32_t row = 1; round % 2 && row < src.height; row++)
            if (rnd() % 4) memcpy(src.bits + row * src.stride, src.bits + (row - 1) * src.stride, (size_t)src.stride);
        int32_t x = (int32_t)(rnd() % 300) - 60, y = (int32_t)(rnd() % 50) - 25;
        int rotation = (int)(rnd() % 5) * 90;
        // Every third round blits the first row alone as all of the source's rows.
        const bool repeated = round % 3 == 1;
        if (repeated) raster_blit_row_repeated(&got, &src, src.height, x, y, rotation);
        else raster_blit_rotated(&got, &src, x, y, rotation);
        int32_t w = src.width, h = src.height;
        for (int32_t sy = 0; sy < h; sy++) {
            for (int32_t sx = 0; sx < w; sx++) {
                if (!raster_get(&src, sx, repeated ? 0 : sy)) continue;
                switch (rotation) {
                case 90: raster_set(&want, x + h - 1 - sy, y + sx, 1); break;
                case 180: raster_set(&want, x + w - 1 - sx, y + h - 1 - sy, 1); break;
                case 270: raster_set(&want, x + sy, y + w - 1 - sx, 1); break;
                default: raster_set(&want, x + sx, y + sy, 1); break;
                }
            }
        }
        ASSERT_EQ(memcmp(got.bits, want.bits, (size_t)got.stride * got.height), 0)
            << w << "x" << h << " at " << x << "," << y << " turned " << rotation << (repeated ? ", one row" : "");
        raster_free(&src);
        raster_free(&got);
        raster_free(&want);
    }
}

TEST(Raster, FitScale)
{
    const struct {
        int32_t w, h;
        float pixels, dots, vw, vh, margin, expect;
    } cases[] = {
        {406, 203, 96, 203, 440, 240, 20, 400.0f / (406 * 96.0f / 203)},  // width limits
        {203, 406, 96, 203, 440, 240, 20, 200.0f / (406 * 96.0f / 203)},  // height limits
        {100, 100, 100, 100, 300, 300, -7, 3.0f},                          // negative margin is 0
        {0, 100, 96, 203, 400, 400, 0, 1.0f},
        {100, -1, 96, 203, 400, 400, 0, 1.0f},
        {100, 100, 0, 203, 400, 400, 0, 1.0f},
        {100, 100, 96, 0, 400, 400, 0, 1.0f},
        {100, 100, 96, 203, 41, 400, 20, 1.0f},  // view less margins is 1
        {100, 100, 96, 203, 400, 30, 20, 1.0f},
        {100, 100, NAN, 203, 400, 400, 0, 1.0f},
    };
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(raster_fit_scale(c.w, c.h, c.pixels, c.dots, c.vw, c.vh, c.margin), c.expect)
            << c.w << "x" << c.h << " in " << c.vw << "x" << c.vh;
}

TEST(Engine, ErrorTextsAndVersion)
{
    EXPECT_STREQ(engine_error_text(0), "ok");
    EXPECT_STREQ(engine_error_text(ERR_FORMAT), "unrecognised file");
    EXPECT_STREQ(engine_error_text(6), "the built-in font has no glyph for this text");
    EXPECT_STREQ(engine_error_text(7), "unknown");
    EXPECT_STREQ(engine_error_text(-1), "unknown");
    EXPECT_STREQ(engine_version(), "0.9.0-beta.3 (2026-11-10, b6c6179)");
}

// Text a message quotes keeps the message on one line and cannot drive a terminal; what is
// printable UTF-8, backslashes included, is shown as it is.
TEST(Engine, MessagesShowControlCharactersEscaped)
{
    const struct {
        const char* text;
        const char* shown;
    } cases[] = {
        {"Caf\xC3\xA9 \xE8\x8C\xB6 \xF0\x9F\x8D\xB5, C:\\shop\\x.csv",
         "Caf\xC3\xA9 \xE8\x8C\xB6 \xF0\x9F\x8D\xB5, C:\\shop\\x.csv"},
        {"a\nb\r\tc", "a\\nb\\r\\tc"},
        {"\x1B]0;owned\x07\x1B[2J\x7F\x01", "\\x1b]0;owned\\x07\\x1b[2J\\x7f\\x01"},
        {"\xC2\x85\xC2\x9B\xC2\x9F\xC2\xA0", "\\u0085\\u009b\\u009f\xC2\xA0"},  // C1 controls; no-break space
        {"\xE9t\xE9 \x9B", "\\xe9t\\xe9 \\x9b"},                                // Latin-1, a lone CSI byte
        {"\xC0\xAF \xED\xA0\x80 \xF4\x90\x80\x80", "\\xc0\\xaf \\xed\\xa0\\x80 \\xf4\\x90\\x80\\x80"},
        {"cut \xE8\x8C", "cut \\xe8\\x8c"},
        {"", ""},
    };
    for (const auto& c : cases) {
        char out[128];
        EXPECT_EQ(engine_message_escape(out, sizeof out, c.text), strlen(c.shown)) << c.text;
        EXPECT_STREQ(out, c.shown);
    }
    // Cut to the buffer at a whole character or escape.
    const struct {
        const char* text;
        size_t size;
        const char* shown;
    } cuts[] = {
        {"a\nb", 4, "a\\n"}, {"a\nb", 3, "a"}, {"\xC3\xA9", 2, ""}, {"\xC3\xA9", 3, "\xC3\xA9"}, {"\x1B", 4, ""},
    };
    for (const auto& c : cuts) {
        char out[16];
        memset(out, 'x', sizeof out);
        EXPECT_EQ(engine_message_escape(out, c.size, c.text), strlen(c.shown));
        EXPECT_STREQ(out, c.shown) << c.size;
    }
    char out[4] = "abc";
    EXPECT_EQ(engine_message_escape(out, 0, "x"), 0u);
    EXPECT_STREQ(out, "abc");
    EXPECT_EQ(engine_message_escape(nullptr, 4, "x"), 0u);
    EXPECT_EQ(engine_message_escape(out, sizeof out, nullptr), 0u);
    EXPECT_STREQ(out, "");
}
