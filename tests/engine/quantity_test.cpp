#include "engine/quantity.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// A table of the given quantity cells under the header Name,Qty, one row each.
struct quantity_table {
    csv_table t = {};
    explicit quantity_table(std::initializer_list<std::string> cells)
    {
        std::string text = "Name,Qty\n";
        for (const std::string& cell : cells) {
            std::string quoted;
            for (char c : cell) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
            text += "x,\"" + quoted + "\"\n";
        }
        EXPECT_EQ(csv_parse(&t, text.data(), text.size(), nullptr, 0), ERR_OK);
    }
    ~quantity_table() { csv_table_clear(&t); }
};

const job_options by_column = {0, "Qty", 0, 0, 0, 0};

}  // namespace

TEST(Quantity, CellsOfTheQuantityColumn)
{
    const struct {
        std::string cell;
        int32_t expect;
        const char* message;
    } cases[] = {
        {" 3 ", 3, ""},
        {"\t7\r", 7, ""},
        {"0", 0, ""},
        {"", 1, ""},
        {"   ", 1, ""},
        {"500", 500, ""},
        {"0007", 7, ""},
        {"501", -1, "data row 2: quantity 501 is more than 500 of one label"},
        {"99999999999", -1, "data row 2: quantity 9999999 is more than 500 of one label"},
        {"2.5", -1, "data row 2: quantity \"2.5\" is not a whole number"},
        {"1,000", -1, "data row 2: quantity \"1,000\" is not a whole number"},
        {"abc", -1, "data row 2: quantity \"abc\" is not a number"},
        {"+3", -1, "data row 2: quantity \"+3\" is not a number"},
        {"-", -1, "data row 2: quantity \"-\" is not a number"},
        {"--2", -1, "data row 2: quantity \"--2\" is not a number"},
        {"1 2", -1, "data row 2: quantity \"1 2\" is not a number"},
        {"-2", -1, "data row 2: quantity \"-2\" cannot be printed"},
        {"-0", -1, "data row 2: quantity \"-0\" cannot be printed"},
        {"-2.5", -1, "data row 2: quantity \"-2.5\" is not a whole number"},
        // Long texts are quoted by their first 40 bytes, but read whole.
        {std::string(45, 'y'), -1, "data row 2: quantity \"yyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyy\" is not a number"},
        {std::string(70, '0') + "1", 1, ""},
        {std::string(70, '0') + "x", -1, "data row 2: quantity \"0000000000000000000000000000000000000000\" is not a number"},
    };
    for (const auto& c : cases) {
        quantity_table q({"1", c.cell});
        char msg[160] = "stale";
        EXPECT_EQ(quantity_for_row(&q.t, 1, &by_column, msg, sizeof msg), c.expect) << '"' << c.cell << '"';
        EXPECT_STREQ(msg, c.message) << '"' << c.cell << '"';
    }
}

TEST(Quantity, CopyCountWithoutAQuantityColumn)
{
    quantity_table q({"250"});
    const struct {
        int32_t copies;
        const char* column;
        int32_t expect;
        const char* message;
    } cases[] = {
        {0, nullptr, 1, ""},
        {-4, nullptr, 1, ""},
        {1, nullptr, 1, ""},
        {500, nullptr, 500, ""},
        {501, nullptr, -1, "501 copies is more than 500 of one label"},
        {3, "Count", 3, ""},  // a column the table lacks falls back to the copies
        {3, "qty", 250, ""},  // found ignoring case
    };
    for (const auto& c : cases) {
        job_options options = {c.copies, c.column, 0, 0, 0, 0};
        char msg[160] = "stale";
        EXPECT_EQ(quantity_for_row(&q.t, 0, &options, msg, sizeof msg), c.expect) << c.copies;
        EXPECT_STREQ(msg, c.message);
    }
    EXPECT_EQ(quantity_for_row(&q.t, 0, nullptr, nullptr, 0), 1);
}

TEST(Quantity, RowsOutsideTheTableAreRefusedSilently)
{
    quantity_table q({"2"});
    char msg[64] = "stale";
    EXPECT_EQ(quantity_for_row(&q.t, 1, &by_column, msg, sizeof msg), -1);
    EXPECT_STREQ(msg, "");
    EXPECT_EQ(quantity_for_row(&q.t, -1, &by_column, msg, sizeof msg), -1);
    EXPECT_EQ(quantity_for_row(nullptr, 0, &by_column, msg, sizeof msg), -1);
    EXPECT_STREQ(msg, "");
    // A short buffer holds the start of the message.
    quantity_table bad({"abc"});
    char small[8];
    EXPECT_EQ(quantity_for_row(&bad.t, 0, &by_column, small, sizeof small), -1);
    EXPECT_STREQ(small, "data ro");
}

TEST(QuantityTotal, CountsSkippedAndOnceRows)
{
    quantity_table q({"0", "", " ", "2", "0", "4"});
    int32_t skipped = -1, once = -1;
    EXPECT_EQ(quantity_job_total(&q.t, 0, 6, &by_column, nullptr, 0, &skipped, &once), 8);
    EXPECT_EQ(skipped, 2);
    EXPECT_EQ(once, 2);
    // Only the run is visited, and rows past the end are not.
    EXPECT_EQ(quantity_job_total(&q.t, 3, 100, &by_column, nullptr, 0, &skipped, &once), 6);
    EXPECT_EQ(skipped, 1);
    EXPECT_EQ(once, 0);
    EXPECT_EQ(quantity_job_total(&q.t, 6, 5, &by_column, nullptr, 0, &skipped, &once), 0);
    EXPECT_EQ(quantity_job_total(&q.t, 2, 0, &by_column, nullptr, 0, nullptr, nullptr), 0);
    // Without a quantity column blank cells mean nothing.
    job_options copies = {2, nullptr, 0, 0, 0, 0};
    EXPECT_EQ(quantity_job_total(&q.t, 0, 6, &copies, nullptr, 0, &skipped, &once), 12);
    EXPECT_EQ(skipped, 0);
    EXPECT_EQ(once, 0);
    EXPECT_EQ(quantity_job_total(&q.t, 0, 6, nullptr, nullptr, 0, nullptr, nullptr), 6);
}

TEST(QuantityTotal, Refusals)
{
    quantity_table q({"1", "x", "1"});
    char msg[160] = "stale";
    int32_t skipped = 9, once = 9;
    EXPECT_EQ(quantity_job_total(&q.t, 0, 3, &by_column, msg, sizeof msg, &skipped, &once), -1);
    EXPECT_STREQ(msg, "data row 2: quantity \"x\" is not a number");
    EXPECT_EQ(quantity_job_total(&q.t, 2, 1, &by_column, msg, sizeof msg, &skipped, &once), 1);
    EXPECT_STREQ(msg, "");

    job_options missing = {0, "Menge", 0, 0, 0, 0};
    EXPECT_EQ(quantity_job_total(&q.t, 0, 0, &missing, msg, sizeof msg, nullptr, nullptr), -1);
    EXPECT_STREQ(msg, "no column is named \"Menge\"");

    strcpy(msg, "stale");
    EXPECT_EQ(quantity_job_total(&q.t, -1, 2, &by_column, msg, sizeof msg, &skipped, &once), -1);
    EXPECT_STREQ(msg, "");
    EXPECT_EQ(skipped, 0);
    EXPECT_EQ(once, 0);
    EXPECT_EQ(quantity_job_total(&q.t, 0, -1, &by_column, msg, sizeof msg, nullptr, nullptr), -1);
    EXPECT_EQ(quantity_job_total(nullptr, 0, 1, &by_column, msg, sizeof msg, nullptr, nullptr), -1);
}

TEST(QuantityTotal, JobLimit)
{
    quantity_table full({"500", "500", "500", "500", "500", "500", "500", "500", "500", "500", "1"});
    char msg[160];
    EXPECT_EQ(quantity_job_total(&full.t, 0, 10, &by_column, msg, sizeof msg, nullptr, nullptr), 5000);
    EXPECT_EQ(quantity_job_total(&full.t, 0, 11, &by_column, msg, sizeof msg, nullptr, nullptr), -1);
    EXPECT_STREQ(msg, "this job would print 5001 labels; 5000 is the limit - split it with --rows FIRST:COUNT");
}

// A total past 2^32 is reported in full, not wrapped. The copy count needs no cells, so the
// table can be millions of rows long without holding any.
TEST(QuantityTotal, HugeTotalIsReportedWhole)
{
    char name[] = "Name";
    char* header[] = {name};
    csv_table huge = {1, 8600000, header, nullptr, nullptr};
    job_options copies = {500, nullptr, 0, 0, 0, 0};
    char msg[160];
    EXPECT_EQ(quantity_job_total(&huge, 0, huge.rows, &copies, msg, sizeof msg, nullptr, nullptr), -1);
    EXPECT_STREQ(msg, "this job would print 4300000000 labels; 5000 is the limit - split it with --rows FIRST:COUNT");
}
