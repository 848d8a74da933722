// Reading the command line: numbers held at the ends of their types instead of overflowing,
// the value forms of --rows and --media, and the job settings made from the options.
#include "cli/options.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// Parses "tagmoor job" followed by the words.
int parse(std::vector<const char*> words, cli_options* o)
{
    words.insert(words.begin(), {"tagmoor", "job"});
    return cli_parse_options((int)words.size(), const_cast<char**>(words.data()), o);
}

}  // namespace

TEST(CliOptions, NumbersReadAsTheyBeginAndHeldAtTheirEnds)
{
    const struct {
        const char* option;
        const char* value;
        int32_t cli_options::*field;
        int32_t expect;
    } cases[] = {
        {"--dpi", "300", &cli_options::dpi, 300},
        {"--dpi", " 300dpi", &cli_options::dpi, 300},
        {"--dpi", "abc", &cli_options::dpi, 0},
        {"--dpi", "1e3", &cli_options::dpi, 1},
        {"--dpi", "99999999999", &cli_options::dpi, INT32_MAX},
        {"--row", "-99999999999999999999999", &cli_options::row, INT32_MIN},
        {"--row", "-3", &cli_options::row, -3},
        {"--copies", "+7", &cli_options::copies, 7},
        {"--copies", "0x10", &cli_options::copies, 0},
    };
    for (const auto& c : cases) {
        cli_options o;
        ASSERT_EQ(parse({c.option, c.value}, &o), 1) << c.option << " " << c.value;
        EXPECT_EQ(o.*c.field, c.expect) << c.option << " " << c.value;
    }
}

TEST(CliOptions, ModuleWidthStaysFinite)
{
    const struct {
        const char* value;
        float expect;
    } cases[] = {{"0.3", 0.3f}, {"abc", 0.0f}, {"1e999", FLT_MAX}, {"-1e999", -FLT_MAX}, {"1e-999", 0.0f}};
    for (const auto& c : cases) {
        cli_options o;
        ASSERT_EQ(parse({"--module", c.value}, &o), 1);
        EXPECT_EQ(o.module_mm, c.expect) << c.value;
    }
    cli_options o;
    ASSERT_EQ(parse({"--module", "nan"}, &o), 1);
    EXPECT_TRUE(std::isnan(o.module_mm));
}

TEST(CliOptions, RowsNeedBothNumbers)
{
    const struct {
        const char* value;
        int ok;
        int32_t first, count;
    } cases[] = {
        {"5:0", 1, 5, 0},       {"3:10", 1, 3, 10},     {" 3: 10x", 1, 3, 10},
        {"-1:2", 1, -1, 2},     {"0:99999999999", 1, 0, INT32_MAX},
        {"5", 0, 0, 0},         {"5:", 0, 0, 0},        {":5", 0, 0, 0},
        {"5 :3", 0, 0, 0},      {"a:b", 0, 0, 0},
    };
    for (const auto& c : cases) {
        cli_options o;
        ASSERT_EQ(parse({"--rows", c.value}, &o), c.ok) << c.value;
        if (!c.ok) continue;
        EXPECT_EQ(o.rows_given, 1);
        EXPECT_EQ(o.rows_first, c.first) << c.value;
        EXPECT_EQ(o.rows_count, c.count) << c.value;
    }
}

TEST(CliOptions, ValuesAreTakenWhateverTheyLookLike)
{
    cli_options o;
    ASSERT_EQ(parse({"--out", "--csv", "a", "--size", "1x2", "--dry-run", "-d.zpl", "b"}, &o), 1);
    EXPECT_STREQ(o.out, "-d.zpl");
    EXPECT_EQ(o.dry_run, 1);
    EXPECT_EQ(o.csv, nullptr);
    EXPECT_STREQ(o.size, "1x2");
    EXPECT_STREQ(o.layout, "price");
    ASSERT_EQ(o.positional_count, 2);
    EXPECT_STREQ(o.positional[0], "a");
    EXPECT_STREQ(o.positional[1], "b");
}

TEST(CliOptions, BrotherMediaFromTheMediaText)
{
    const struct {
        const char* media;
        int32_t width, length, line_bytes;
    } cases[] = {
        {nullptr, 0, 0, 0},  {"", 0, 0, 0},         {"x29", 0, 0, 0},        {"62", 62, 0, 90},
        {"62x29", 62, 29, 90}, {"102x0", 102, 0, 90}, {"103x0", 103, 0, 162}, {"62x", 62, 0, 90},
        {"99999999999x5", INT32_MAX, 5, 162},
    };
    for (const auto& c : cases) {
        cli_options o;
        ASSERT_EQ(parse({"--copies", "3", "--quantity-column", "Qty"}, &o), 1);
        o.media = c.media;
        job_options job = cli_job_options(&o);
        const char* shown = c.media ? c.media : "(none)";
        EXPECT_EQ(job.copies, 3);
        EXPECT_STREQ(job.quantity_column, "Qty");
        EXPECT_EQ(job.media_width_mm, c.width) << shown;
        EXPECT_EQ(job.media_length_mm, c.length) << shown;
        EXPECT_EQ(job.line_bytes, c.line_bytes) << shown;
        EXPECT_EQ(job.feed_margin_dots, 0);
    }
}
