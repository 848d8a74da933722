#include "engine/job.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/brother_ql.h"
#include "engine/catalog.h"
#include "engine/render.h"
#include "engine/tspl.h"
#include "files/file_io.h"
#include "job_fixture.h"
#include "support/scratch.h"

namespace {

const uint32_t languages[] = {PRINTER_LANG_ZPL, PRINTER_LANG_TSPL, PRINTER_LANG_BROTHER_QL, PRINTER_LANG_DYMO};
const job_options three_copies = {3, nullptr, 0, 0, 0, 0};

std::string written(uint32_t language, const job_fixture& f, const job_options* options, int32_t first, int32_t count)
{
    const std::string path = scratch_path("written.job");
    FILE* out = file_open(path.c_str(), "wb");
    EXPECT_NE(out, nullptr);
    EXPECT_EQ(job_write(language, &f.model, &f.table, first, count, options, out), ERR_OK);
    fclose(out);
    std::string bytes;
    EXPECT_TRUE(scratch_read(path, &bytes));
    return bytes;
}

}  // namespace

TEST(Job, BuildGivesTheBytesThatWriteGivesAFile)
{
    job_fixture f(JOB_TEST_CSV, 50.8f, 25.4f, 300, "barcode");
    const struct {
        const job_options* options;
        int32_t first, count;
    } runs[] = {{nullptr, 0, 3}, {&by_quantity, 0, 3}, {&three_copies, 1, 100}, {&by_quantity, 1, 2}};
    for (uint32_t language : languages) {
        for (const auto& run : runs) {
            const std::string built = f.build(language, run.options, run.first, run.count);
            EXPECT_FALSE(built.empty());
            EXPECT_TRUE(built == written(language, f, run.options, run.first, run.count))
                << printer_lang_name(language) << " from row " << run.first;
        }
    }
}

// Rows of quantity 0, a row count of 0 and a first row past the end all print nothing: the
// text languages then write nothing at all, the raster ones their start and end sequences.
TEST(Job, RunsWithoutLabels)
{
    job_fixture f(JOB_TEST_CSV, 50.8f, 25.4f, 203, "price");
    const job_options none = {0, "Qty", 0, 0, 0, 0};
    const size_t expect[] = {0, 0, 11, 169};
    for (uint32_t language : languages) {
        EXPECT_EQ(f.build(language, &none, 1, 1).size(), expect[language]) << printer_lang_name(language);
        EXPECT_EQ(f.build(language, nullptr, 0, 0).size(), expect[language]);
        EXPECT_EQ(f.build(language, nullptr, 3, 5).size(), expect[language]);
    }
    EXPECT_EQ(f.build(PRINTER_LANG_BROTHER_QL, &none, 1, 1), bytes_of("1B 40 1B 69 61 01 1B 69 61 01 1A"));
}

TEST(Job, RowsPastTheEndAreLeftOut)
{
    job_fixture f(JOB_TEST_CSV, 50.8f, 25.4f, 203, "name");
    for (uint32_t language : languages)
        EXPECT_EQ(f.build(language, nullptr, 1, 1000), f.build(language, nullptr, 1, 2)) << printer_lang_name(language);
}

TEST(Job, BadQuantityFailsTheWholeJob)
{
    job_fixture f("Name,Qty\nfine,1\nbad,1.5\n", 50.8f, 25.4f, 203, "name");
    for (uint32_t language : languages) {
        uint8_t* data = (uint8_t*)1;
        size_t length = 7;
        EXPECT_EQ(job_build(language, &f.model, &f.table, 0, 2, &by_quantity, &data, &length), ERR_INVALID);
        EXPECT_EQ(data, nullptr);
        EXPECT_EQ(length, 0u);
        job_options too_many = {501, nullptr, 0, 0, 0, 0};
        EXPECT_EQ(job_build(language, &f.model, &f.table, 0, 1, &too_many, &data, &length), ERR_INVALID);
    }
}

TEST(Job, Refusals)
{
    job_fixture f(JOB_TEST_CSV, 50.8f, 25.4f, 203, "price");
    uint8_t* data = nullptr;
    size_t length = 0;
    EXPECT_EQ(job_build(0, nullptr, &f.table, 0, 1, nullptr, &data, &length), ERR_INVALID);
    EXPECT_EQ(job_build(0, &f.model, nullptr, 0, 1, nullptr, &data, &length), ERR_INVALID);
    EXPECT_EQ(job_build(0, &f.model, &f.table, -1, 1, nullptr, &data, &length), ERR_INVALID);
    EXPECT_EQ(job_build(0, &f.model, &f.table, 0, -1, nullptr, &data, &length), ERR_INVALID);
    EXPECT_EQ(job_build(4, &f.model, &f.table, 0, 1, nullptr, &data, &length), ERR_INVALID);
    EXPECT_EQ(job_build(0, &f.model, &f.table, 0, 1, nullptr, nullptr, &length), ERR_INVALID);
    EXPECT_EQ(job_build(0, &f.model, &f.table, 0, 1, nullptr, &data, nullptr), ERR_INVALID);
    EXPECT_EQ(job_write(0, &f.model, &f.table, 0, 1, nullptr, nullptr), ERR_INVALID);
    EXPECT_EQ(job_build_plain(0, &f.model, &f.table, 0, 1, &data, &length), ERR_OK);
    free(data);
}

// A stream that takes no bytes is an error for every language, never a job written.
TEST(Job, StreamThatFailsIsReported)
{
    job_fixture f(JOB_TEST_CSV, 50.8f, 25.4f, 203, "barcode");
    const std::string path = scratch_path("read-only.job");
    ASSERT_TRUE(scratch_write(path, ""));
    for (uint32_t language : languages) {
        FILE* in = file_open(path.c_str(), "rb");
        ASSERT_NE(in, nullptr);
        EXPECT_EQ(job_write_plain(language, &f.model, &f.table, 0, 3, in), ERR_IO) << printer_lang_name(language);
        fclose(in);
    }
}

// Where a language knows its job's size ahead, it is the size of the job written.
TEST(Job, KnownSizesAreExact)
{
    job_fixture f(JOB_TEST_CSV, 57.15f, 31.75f, 300, "barcode");
    f.model.gap_mm = 1.0f;
    const job_options copies = {12, nullptr, 0, 0, 0, 0}, wide = {0, "Qty", 0, 0, 162, 0};
    const job_options* runs[] = {nullptr, &by_quantity, &copies, &wide};
    for (const job_options* options : runs) {
        for (int32_t count : {0, 1, 3}) {
            EXPECT_EQ(tspl_job_size(&f.model, &f.table, 0, count, options), f.build(PRINTER_LANG_TSPL, options, 0, count).size());
            EXPECT_EQ(brother_ql_job_size(&f.model, &f.table, 0, count, options),
                      f.build(PRINTER_LANG_BROTHER_QL, options, 0, count).size());
        }
    }
}

// Every language refuses a label whose raster cannot be made, with the reason.
TEST(Job, LabelSizeIsCheckedForEveryLanguage)
{
    job_fixture f(JOB_TEST_CSV, 50.8f, 25.4f, 100000, "price");
    for (uint32_t language : languages) {
        char msg[160];
        EXPECT_EQ(job_check(language, &f.model, nullptr, msg, sizeof msg), ERR_RANGE);
        EXPECT_STREQ(msg, "a 50.8 x 25.4 mm label at 100000 dpi is 200000 x 100000 dots; a label takes 1 x 1 to "
                          "32768 x 65535");
        engine_error error = ERR_OK;
        EXPECT_EQ(f.build(language, nullptr, 0, 3, &error), "");
        EXPECT_EQ(error, ERR_RANGE) << printer_lang_name(language);
    }
    f.model.dpi = 203;
    for (uint32_t language : languages) EXPECT_EQ(job_check(language, &f.model, nullptr, nullptr, 0), ERR_OK);
    EXPECT_EQ(job_check(4, &f.model, nullptr, nullptr, 0), ERR_INVALID);
    EXPECT_EQ(job_check(0, nullptr, nullptr, nullptr, 0), ERR_INVALID);
}

// The text languages refuse what the raster ones cannot render, whatever they would print.
TEST(Job, EveryLanguageRefusesWhatTheRendererRefuses)
{
    const struct {
        const char* csv;
        const char* layout;
        float module_mm;
        engine_error expect;
    } cases[] = {
        {"Name,Barcode\nCaf\xC3\xA9,1234\n", "barcode", 0.25f, ERR_NO_GLYPH},
        {"Name,Barcode\nTea,1234\n", "barcode", 0.1f, ERR_RANGE},  // a module under a dot
        {"Name,Barcode\nTea,ABCDEFGHIJKLMNOPQRSTUV\n", "barcode", 0.25f, ERR_RANGE},
    };
    for (const auto& c : cases) {
        job_fixture f(c.csv, 50.8f, 25.4f, 96, c.layout);
        f.model.elements[1].module_mm = c.module_mm;
        raster r = {};
        EXPECT_EQ(label_render_row(&f.model, &f.table, 0, &r), c.expect) << c.csv;
        for (uint32_t language : languages) {
            engine_error error = ERR_OK;
            EXPECT_EQ(f.build(language, nullptr, 0, 1, &error), "");
            EXPECT_EQ(error, c.expect) << printer_lang_name(language) << " " << c.csv;
        }
    }
}
