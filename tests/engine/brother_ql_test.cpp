#include "engine/brother_ql.h"

#include <gtest/gtest.h>

#include "engine/catalog.h"
#include "engine/render.h"
#include "job_decoders.h"
#include "job_fixture.h"

// The printed pages, mirrored back, are the rendered labels, and a row of quantity n gives
// n pages.
TEST(BrotherQl, PagesAreTheRenderedLabels)
{
    // Widths of 600 and 375 dots: whole bytes, and a row that ends inside its last byte.
    const struct {
        float width_mm, height_mm;
        const char* layout;
    } labels[] = {{50.8f, 25.4f, "barcode"}, {50.8f, 25.4f, "price"}, {31.75f, 57.15f, "barcode"}, {31.75f, 57.15f, "plain"}};
    for (const auto& l : labels) {
        job_fixture f(JOB_TEST_CSV, l.width_mm, l.height_mm, 300, l.layout);
        std::vector<brother_page> pages;
        const int32_t width = label_width_dots(&f.model);
        ASSERT_EQ(brother_decode(f.build(PRINTER_LANG_BROTHER_QL, &by_quantity), width, &pages), "");
        ASSERT_EQ(pages.size(), 3u);
        const int32_t rows[] = {0, 0, 2};
        for (size_t i = 0; i < pages.size(); i++) {
            EXPECT_EQ(picture_difference(pages[i].dots, f.preview(rows[i])), "") << l.layout << " " << width << " page " << i;
            EXPECT_EQ(pages[i].line_bytes, 90);
            EXPECT_EQ(pages[i].media_type, 0x0A);
            EXPECT_EQ(pages[i].media_width, 60);
            EXPECT_EQ(pages[i].media_length, 0);
            EXPECT_EQ(pages[i].feed_margin, 35);
        }
    }
}

TEST(BrotherQl, SizesAndSettings)
{
    // 720 dots by 300 lines, once: start, a 33-byte header, 300 lines of 93 bytes, the end.
    job_fixture f("Name\nx\n", mm_of_dots(720, 300), mm_of_dots(300, 300), 300, "name");
    EXPECT_EQ(f.build(PRINTER_LANG_BROTHER_QL).size(), 27944u);

    const struct {
        job_options options;
        uint8_t type, width, length;
        uint16_t margin;
        int line_bytes;
    } cases[] = {
        {{0, nullptr, 0, 29, 0, 0}, 0x0B, 60, 29, 35, 90},
        {{0, nullptr, 62, 0, 162, 12}, 0x0A, 62, 0, 12, 162},
        {{0, nullptr, 0, 0, 162, 0}, 0x0A, 109, 0, 35, 162},
        {{0, nullptr, 255, 255, 0, 65535}, 0x0B, 255, 255, 65535, 90},
    };
    for (const auto& c : cases) {
        std::vector<brother_page> pages;
        ASSERT_EQ(brother_decode(f.build(PRINTER_LANG_BROTHER_QL, &c.options), 720, &pages), "");
        ASSERT_EQ(pages.size(), 1u);
        EXPECT_EQ(pages[0].media_type, c.type);
        EXPECT_EQ(pages[0].media_width, c.width);
        EXPECT_EQ(pages[0].media_length, c.length);
        EXPECT_EQ(pages[0].feed_margin, c.margin);
        EXPECT_EQ(pages[0].line_bytes, c.line_bytes);
    }
}

// What the print-information and margin commands cannot hold is refused, not cut to fit.
TEST(BrotherQl, SettingsPastTheHeaderAreRefused)
{
    job_fixture f("Name\nx\n", mm_of_dots(720, 300), mm_of_dots(300, 300), 300, "name");
    const struct {
        job_options options;
        const char* message;
    } cases[] = {
        {{0, nullptr, 256, 0, 0, 0}, "media of 256 x 0 mm: the printer takes widths and lengths up to 255 mm"},
        {{0, nullptr, 300, 300, 0, 0}, "media of 300 x 300 mm: the printer takes widths and lengths up to 255 mm"},
        {{0, nullptr, 62, 256, 0, 0}, "media of 62 x 256 mm: the printer takes widths and lengths up to 255 mm"},
        {{0, nullptr, 0, 0, 0, 65536}, "a feed margin of 65536 dots is more than the 65535 the printer takes"},
        {{0, nullptr, 0, 0, 163, 0}, "a raster line of 163 bytes is more than the 162 the printer takes"},
    };
    for (const auto& c : cases) {
        char msg[128];
        EXPECT_EQ(job_check(PRINTER_LANG_BROTHER_QL, &f.model, &c.options, msg, sizeof msg), ERR_RANGE);
        EXPECT_STREQ(msg, c.message);
        engine_error error = ERR_OK;
        EXPECT_EQ(f.build(PRINTER_LANG_BROTHER_QL, &c.options, 0, 1, &error), "");
        EXPECT_EQ(error, ERR_RANGE);
    }
}

TEST(BrotherQl, LabelsWiderThanTheLine)
{
    job_fixture f("Name\nx\n", mm_of_dots(721, 300), mm_of_dots(100, 300), 300, "name");
    engine_error error = ERR_OK;
    f.build(PRINTER_LANG_BROTHER_QL, nullptr, 0, 1, &error);
    EXPECT_EQ(error, ERR_RANGE);
    char msg[128];
    EXPECT_EQ(job_check(PRINTER_LANG_BROTHER_QL, &f.model, nullptr, msg, sizeof msg), ERR_RANGE);
    EXPECT_STREQ(msg, "the label is 721 dots wide, more than the 720 of a 90-byte raster line");
    const job_options wide = {0, nullptr, 0, 0, 162, 0};
    std::vector<brother_page> pages;
    EXPECT_EQ(brother_decode(f.build(PRINTER_LANG_BROTHER_QL, &wide), 721, &pages), "");

    // Too long a line is refused before anything is written.
    const job_options too_long = {0, nullptr, 0, 0, 163, 0};
    byte_buffer b = {};
    byte_sink sink = byte_sink_buffer(&b);
    EXPECT_EQ(brother_ql_write_job(&f.model, &f.table, 0, 1, &too_long, &sink), ERR_RANGE);
    EXPECT_EQ(b.length, 0u);
    EXPECT_EQ(brother_ql_write_job(nullptr, &f.table, 0, 1, nullptr, &sink), ERR_INVALID);
}

// The label's rightmost dot is a line's first bit, its leftmost dot bit width - 1.
TEST(BrotherQl, LinesAreMirrored)
{
    job_fixture f("Name\nx\n", mm_of_dots(100, 300), mm_of_dots(2, 300), 300, nullptr);
    label_element* rule = label_add_element(&f.model, LABEL_RULE);
    rule->width_mm = mm_of_dots(1, 300);
    rule->size_mm = mm_of_dots(2, 300);
    const std::string job = f.build(PRINTER_LANG_BROTHER_QL);
    const size_t first_line = 10 + 33;
    ASSERT_EQ(job.size(), first_line + 2 * 93 + 1);
    const std::string line = job.substr(first_line, 93);
    EXPECT_EQ(line.substr(0, 3), bytes_of("67 00 5A"));
    EXPECT_EQ(line.substr(3), std::string(12, '\0') + "\x10" + std::string(77, '\0'));
}
