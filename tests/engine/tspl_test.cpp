#include "engine/tspl.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "engine/catalog.h"
#include "engine/render.h"
#include "job_decoders.h"
#include "job_fixture.h"

TEST(Tspl, CommandsOfEachLabel)
{
    job_fixture f(JOB_TEST_CSV, 50.8f, 25.4f, 203, "barcode");
    f.model.gap_mm = 1.0f;
    std::vector<tspl_label> labels;
    ASSERT_EQ(tspl_decode(f.build(PRINTER_LANG_TSPL, &by_quantity), 406, &labels), "");
    ASSERT_EQ(labels.size(), 2u);  // the row of quantity 0 writes nothing
    const std::vector<std::string> head = {"SIZE 50.80 mm,25.40 mm", "GAP 1.00 mm,0 mm", "DIRECTION 1", "REFERENCE 0,0",
                                           "CLS"};
    EXPECT_EQ(labels[0].commands, [&] { auto c = head; c.push_back("PRINT 2,1"); return c; }());
    EXPECT_EQ(labels[1].commands.back(), "PRINT 1,1");

    f.model.gap_mm = 0;
    labels.clear();
    ASSERT_EQ(tspl_decode(f.build(PRINTER_LANG_TSPL, nullptr, 0, 1), 406, &labels), "");
    EXPECT_EQ(labels[0].commands[1], "GAP 0,0");
}

// The images are the two rendering passes, and together they are the whole label.
TEST(Tspl, ImagesAreTheRenderedLayers)
{
    for (const char* layout : {"barcode", "price", "name", "plain"}) {
        job_fixture f(JOB_TEST_CSV, 50.8f, 25.4f, 300, layout);
        std::vector<tspl_label> labels;
        ASSERT_EQ(tspl_decode(f.build(PRINTER_LANG_TSPL), 600, &labels), "") << layout;
        ASSERT_EQ(labels.size(), 3u);
        for (int32_t row = 0; row < 3; row++) {
            raster text = {}, graphics = {};
            ASSERT_EQ(label_render_row_pass(&f.model, &f.table, row, RENDER_TEXT, &text), ERR_OK);
            ASSERT_EQ(label_render_row_pass(&f.model, &f.table, row, RENDER_GRAPHICS, &graphics), ERR_OK);
            EXPECT_EQ(picture_difference(labels[row].text, picture_of(text)), "") << layout << " row " << row;
            EXPECT_EQ(picture_difference(labels[row].graphics, picture_of(graphics)), "") << layout << " row " << row;
            picture both = labels[row].text;
            for (size_t i = 0; i < both.dots.size(); i++) both.dots[i] |= labels[row].graphics.dots[i];
            EXPECT_EQ(picture_difference(both, f.preview(row)), "") << layout << " row " << row;
            raster_free(&text);
            raster_free(&graphics);
        }
    }
}

TEST(Tspl, BitmapCommand)
{
    raster r = {};
    ASSERT_EQ(raster_create(&r, 10, 2), ERR_OK);
    raster_set(&r, 0, 0, 1);
    raster_set(&r, 9, 0, 1);
    raster_set(&r, 3, 1, 1);
    byte_buffer b = {};
    byte_sink sink = byte_sink_buffer(&b);
    EXPECT_EQ(tspl_write_bitmap(&sink, &r, 1), ERR_OK);
    EXPECT_EQ(std::string((const char*)b.data, b.length), "BITMAP 0,0,2,2,1,80401000\n");
    raster_free(&r);
    EXPECT_EQ(tspl_write_bitmap(&sink, &r, 0), ERR_INVALID);
    byte_buffer_free(&b);

    // 406 dots make 51 bytes a row; 203 rows of them, two digits a byte.
    job_fixture f("Name\n \n", 50.8f, 25.4f, 203, "name");
    const std::string job = f.build(PRINTER_LANG_TSPL);
    size_t image = job.find("BITMAP 0,0,51,203,0,");
    ASSERT_NE(image, std::string::npos);
    size_t digits = image + 20;
    EXPECT_EQ(job.find('\n', digits) - digits, 20706u);
    EXPECT_NE(job.find("BITMAP 0,0,51,203,1,"), std::string::npos);  // an empty text layer still goes
}

// Every byte's two digits, whatever room the sink lends: blocks of one place up, and a buffer.
TEST(Tspl, BitmapDigitsInAnyRoom)
{
    raster r = {};
    ASSERT_EQ(raster_create(&r, 1203, 6), ERR_OK);  // 151 bytes a row: blank runs, steps and a tail
    std::mt19937 rnd(5);
    for (int32_t i = 2 * r.stride; i < 4 * r.stride; i++) r.bits[i] = (uint8_t)rnd();
    r.bits[5 * r.stride - 1] = 0xA5;
    r.bits[5 * r.stride + 77] = 0x0F;
    std::string want = "BITMAP 0,0,151,6,0,";
    for (int32_t i = 0; i < r.stride * r.height; i++) {
        char digits[3];
        snprintf(digits, sizeof digits, "%02X", r.bits[i]);
        want += digits;
    }
    want += "\n";

    byte_buffer b = {};
    byte_sink to_buffer = byte_sink_buffer(&b);
    ASSERT_EQ(tspl_write_bitmap(&to_buffer, &r, 0), ERR_OK);
    EXPECT_EQ(std::string((const char*)b.data, b.length), want);
    byte_buffer_free(&b);

    for (size_t size : {1, 2, 31, 32, 33, 127, 4096}) {
        std::string got;
        std::vector<uint8_t> block(size);
        byte_sink staged = byte_sink_to(
            [](void* target, const void* bytes, size_t count) {
                ((std::string*)target)->append((const char*)bytes, count);
                return 1;
            },
            &got);
        byte_sink_stage(&staged, block.data(), size);
        ASSERT_EQ(tspl_write_bitmap(&staged, &r, 0), ERR_OK);
        ASSERT_EQ(byte_sink_flush(&staged), 1);
        EXPECT_EQ(got, want) << "blocks of " << size;
        EXPECT_EQ(staged.written, want.size());
    }
    raster_free(&r);
}
