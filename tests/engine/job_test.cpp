#include "engine/job.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/catalog.h"
#include "files/file_io.h"
#include "job_fixture.h"
#include "support/scratch.h"

namespace {

const uint32_t languages[] = {PRINTER_LANG_ZPL, PRINTER_LANG_TSPL, PRINTER_LANG_BROTHER_QL, PRINTER_LANG_DYMO};
const job_options by_quantity = {0, "Qty", 0, 0, 0, 0};
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
