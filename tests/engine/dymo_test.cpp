#include "engine/dymo.h"

#include <gtest/gtest.h>

#include <thread>

#include "engine/catalog.h"
#include "job_decoders.h"
#include "job_fixture.h"

namespace {

const std::string dymo_start = std::string(156, '\x1b') + bytes_of("1B 79 1B 51 00 00 1B 42 00 1B 69 1B 65");

// A label of the given size in dots at 203 dpi with one rule at (x, y), w by h dots.
struct dymo_rule_label : job_fixture {
    dymo_rule_label(int width, int height, int x, int y, int w, int h)
        : job_fixture("Name\nx\n", mm_of_dots(width, 203), mm_of_dots(height, 203), 203, nullptr)
    {
        label_element* rule = label_add_element(&model, LABEL_RULE);
        rule->x_mm = mm_of_dots(x, 203);
        rule->y_mm = mm_of_dots(y, 203);
        rule->width_mm = mm_of_dots(w, 203);
        rule->size_mm = mm_of_dots(h, 203);
    }
    // The one label's commands between its length and its form feed.
    std::string lines() const
    {
        const std::string job = build(PRINTER_LANG_DYMO);
        EXPECT_EQ(job.compare(0, dymo_start.size(), dymo_start), 0);
        EXPECT_EQ(job.substr(job.size() - 2), "\x1b" "E");
        return job.substr(dymo_start.size() + 4, job.size() - dymo_start.size() - 6);
    }
};

}  // namespace

TEST(Dymo, LabelsAreTheRenderedLabels)
{
    for (int32_t dpi : {203, 300}) {
        for (const char* layout : {"barcode", "price", "plain"}) {
            job_fixture f(JOB_TEST_CSV, 50.8f, 25.4f, dpi, layout);
            std::vector<dymo_label> labels;
            const int32_t width = dpi == 203 ? 406 : 600;
            ASSERT_EQ(dymo_decode(f.build(PRINTER_LANG_DYMO, &by_quantity), width, &labels), "") << layout;
            ASSERT_EQ(labels.size(), 3u);
            const int32_t rows[] = {0, 0, 2};
            for (size_t i = 0; i < labels.size(); i++) {
                const picture preview = f.preview(rows[i]);
                EXPECT_EQ(labels[i].length, preview.height);
                EXPECT_EQ(picture_difference(labels[i].dots, preview), "") << layout << " at " << dpi << " label " << i;
            }
        }
    }
}

TEST(Dymo, Lines)
{
    const struct {
        int width, height, x, y, w, h;
        const char* expect;
    } cases[] = {
        // Ink in bytes 10 to 13: dot tab 10, four bytes a line, 32 black dots in one run.
        {406, 3, 80, 0, 32, 1, "1B 42 0A 1B 44 04 17 9F"},
        // Runs are cut at 128 dots.
        {406, 3, 0, 0, 160, 1, "1B 42 00 1B 44 14 17 FF 9F"},
        // A one-byte line would grow by compressing and goes as it is.
        {406, 3, 0, 0, 1, 1, "1B 42 00 1B 44 01 16 80"},
        // Blank lines before ink are skipped 255 at a time; equal lines share one length command.
        {406, 320, 8, 300, 8, 2, "1B 66 01 FF 1B 66 01 2D 1B 42 01 1B 44 01 16 FF 1B 42 01 16 FF"},
        // An all-white label is its length and form feed alone.
        {406, 3, 0, 0, 0, 0, ""},
    };
    for (const auto& c : cases) {
        dymo_rule_label f(c.width, c.height, c.x, c.y, c.w, c.h);
        if (c.w == 0) f.model.element_count = 0;
        EXPECT_EQ(f.lines(), bytes_of(c.expect)) << c.x << "," << c.y << " " << c.w << "x" << c.h;
    }
    // A label 25.4 mm long at 203 dpi is 203 dots long, high byte first.
    job_fixture f("Name\nx\n", 50.8f, 25.4f, 203, "name");
    EXPECT_EQ(f.build(PRINTER_LANG_DYMO).substr(dymo_start.size(), 4), bytes_of("1B 4C 00 CB"));
}

TEST(Dymo, Refusals)
{
    const struct {
        float width_mm, height_mm;
        int32_t dpi;
        engine_error expect;
    } cases[] = {
        {50.8f, 25.4f, 203, ERR_OK},
        {0.05f, 25.4f, 203, ERR_RANGE},
        {50.8f, 0.05f, 203, ERR_RANGE},
        {50.8f, 8200.0f, 203, ERR_RANGE},  // longer than 65,534 dots
        // 2,040 dots make 255 bytes a line, the most the protocol can describe; 2,041 do not.
        {mm_of_dots(2040, 600), 10.0f, 600, ERR_OK},
        {mm_of_dots(2041, 600), 10.0f, 600, ERR_RANGE},
    };
    for (const auto& c : cases) {
        job_fixture f("Name\nx\n", c.width_mm, c.height_mm, c.dpi, nullptr);
        byte_buffer b = {};
        byte_sink sink = byte_sink_buffer(&b);
        EXPECT_EQ(dymo_write_job(&f.model, &f.table, 0, 1, nullptr, &sink), c.expect) << c.width_mm << "x" << c.height_mm;
        if (c.expect) {
            EXPECT_EQ(b.length, 0u);
        }
        byte_buffer_free(&b);
    }
    job_fixture f("Name\nx\n", 50.8f, 25.4f, 203, "name");
    byte_buffer b = {};
    byte_sink sink = byte_sink_buffer(&b);
    EXPECT_EQ(dymo_write_job(&f.model, &f.table, -1, 1, nullptr, &sink), ERR_INVALID);
    EXPECT_EQ(dymo_write_job(&f.model, &f.table, 0, -1, nullptr, &sink), ERR_INVALID);
    EXPECT_EQ(dymo_write_job(&f.model, nullptr, 0, 1, nullptr, &sink), ERR_INVALID);
    EXPECT_EQ(b.length, 0u);
}

// Each call has its own scratch space, so jobs may be written side by side.
TEST(Dymo, JobsInParallel)
{
    job_fixture f(JOB_TEST_CSV, 50.8f, 25.4f, 300, "barcode");
    const std::string expect = f.build(PRINTER_LANG_DYMO);
    std::string got[4];
    std::thread threads[4];
    for (int i = 0; i < 4; i++)
        threads[i] = std::thread([&, i] {
            for (int n = 0; n < 20; n++) got[i] = f.build(PRINTER_LANG_DYMO);
        });
    for (std::thread& t : threads) t.join();
    for (const std::string& g : got) EXPECT_TRUE(g == expect);
}
