#include "engine/csv.h"

#include <gtest/gtest.h>

#include <string>

#include "support/scratch.h"

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

// The table as "header|fields/row|fields/...", enough to compare whole tables in one line.
static std::string csv_show(const csv_table& t)
{
    std::string s;
    for (int32_t c = 0; c < t.columns; c++) s += (c ? "|" : "") + std::string(t.header[c]);
    for (int32_t r = 0; r < t.rows; r++) {
        s += "/";
        for (int32_t c = 0; c < t.columns; c++) s += (c ? "|" : "") + std::string(csv_cell(&t, r, c));
    }
    return s;
}

static std::string csv_parse_show(const std::string& text)
{
    csv_table t = {};
    char msg[64] = "junk";
    engine_error e = csv_parse(&t, text.data(), text.size(), msg, sizeof msg);
    EXPECT_STREQ(msg, "");
    std::string shown = e == ERR_OK ? csv_show(t) : "error " + std::to_string(e);
    csv_table_clear(&t);
    return shown;
}

TEST(Csv, ParsesRecordsFieldsAndQuotes)
{
    const struct {
        const char* text;
        const char* table;
    } cases[] = {
        {"a;b;c\n1;2;3\n", "a|b|c/1|2|3"},
        {"x,y;z;w\n1,2;3;4", "x,y|z|w/1,2|3|4"},  // semicolon wins 2 to 1
        {"x,y;z\n", "x|y;z"},                       // a tie goes to comma
        {"\"a;b\",c\n", "a;b|c"},                   // quoted delimiters do not count
        {"a\tb;c\n1\t2\n", "a|b;c/1|2"},
        {"a,b\r\n1,2\r\n3,4", "a|b/1|2/3|4"},
        {"a,b\r1,2\r3,4", "a|b/1|2/3|4"},
        {"a,b\n1,2\n3,4", "a|b/1|2/3|4"},
        {"a,b\n1\n1,2,3\n", "a|b/1|/1|2"},           // short rows padded, long ones cut
        {"a,b\n1,2\n\n", "a|b/1|2"},                 // a blank last line is no row
        {"a,b\n\n1,2\n", "a|b/|/1|2"},               // a blank line inside is a row
        {"a,b\n1,", "a|b/1|"},
        {"a,b\n1,\n", "a|b/1|"},
        {"a\n\"\"\"hi\"\"\"\n", "a/\"hi\""},
        {"a,b\n\"ab\" ,c\n", "a|b/ab|c"},            // blanks after a closing quote are skipped
        {"a,b\n\"ab\"\t\n", "a|b/ab|"},
        {"a,b\n\"ab\"x,c\n", "a|b/abx|c"},           // bytes after a closing quote stay in the field
        {"a,b\n\"ab\" x,c\n", "a|b/ab x|c"},
        {"a,b\n\"x,\ny\"\"\",z\n", "a|b/x,\ny\"|z"}, // line ends and delimiters inside quotes
        {"a,b\nx\"y,z\"\n", "a|b/x\"y|z\""},           // a quote inside a plain field is a byte
        {"a,b\n\"unterminated,z\n", "a|b/unterminated,z\n|"},
        {"a,b\n1,\"", "a|b/1|"},                      // a quote as the very last byte
        {"", ""},
        {"\xEF\xBB\xBF", ""},
        {"\xEF\xBB\xBF" "Name,Price\nTea,3", "Name|Price/Tea|3"},
        {"\xEF\xBB", "\xEF\xBB"},                     // too short for a byte-order mark
        {"\n", ""},
        {"a,b\n  x , y \n", "a|b/  x | y "},          // nothing is trimmed
        {"h\n\xC3\xA9t\xC3\xA9\n", "h/\xC3\xA9t\xC3\xA9"},
    };
    for (const auto& c : cases) EXPECT_EQ(csv_parse_show(c.text), c.table) << "text: " << c.text;
}

TEST(Csv, EmptyTextIsOneUnnamedColumn)
{
    csv_table t = {};
    ASSERT_EQ(csv_parse(&t, "", 0, nullptr, 0), ERR_OK);
    EXPECT_EQ(t.columns, 1);
    EXPECT_EQ(t.rows, 0);
    EXPECT_STREQ(t.header[0], "");
    csv_table_clear(&t);
    EXPECT_EQ(t.header, nullptr);
    EXPECT_EQ(t.columns, 0);
}

TEST(Csv, ParseDoesNotReadPastLength)
{
    // A range cut from a longer text: the bytes after it must not be seen.
    const char text[] = "a,b\n1,2\n3,4";
    EXPECT_EQ(csv_parse_show(std::string(text, 9)), "a|b/1|2/3|");
    csv_table t = {};
    ASSERT_EQ(csv_parse(&t, text, 5, nullptr, 0), ERR_OK);
    EXPECT_EQ(csv_show(t), "a|b/1|");
    csv_table_clear(&t);
}

TEST(Csv, NullArguments)
{
    csv_table t = {};
    EXPECT_EQ(csv_parse_memory(nullptr, "a", 1, nullptr, 0), ERR_INVALID);
    EXPECT_EQ(csv_parse_memory(&t, nullptr, 1, nullptr, 0), ERR_INVALID);
    EXPECT_EQ(csv_read_file(nullptr, "x", nullptr, 0), ERR_INVALID);
    EXPECT_EQ(csv_read_file(&t, nullptr, nullptr, 0), ERR_INVALID);
    EXPECT_EQ(csv_table_one_label(nullptr, "a", "b", "c"), ERR_INVALID);
    csv_table_free(nullptr);
    csv_table_clear(nullptr);
}

TEST(Csv, CellsAndColumns)
{
    csv_table t = {};
    const std::string text = "name,Name,Price\nTea,Green,3\n";
    ASSERT_EQ(csv_parse_memory(&t, text.data(), text.size(), nullptr, 0), ERR_OK);
    EXPECT_EQ(csv_find_column(&t, "Name"), 1);   // exact match first
    EXPECT_EQ(csv_find_column(&t, "NAME"), 0);   // then ignoring case
    EXPECT_EQ(csv_find_column(&t, "price"), 2);
    EXPECT_EQ(csv_find_column(&t, "barcode"), -1);
    EXPECT_EQ(csv_find_column(&t, nullptr), -1);
    EXPECT_EQ(csv_find_column(nullptr, "Name"), -1);
    EXPECT_STREQ(csv_cell(&t, 0, 2), "3");
    EXPECT_STREQ(csv_cell(&t, -1, 0), "");
    EXPECT_STREQ(csv_cell(&t, 0, 3), "");
    EXPECT_STREQ(csv_cell(&t, 1, 0), "");
    EXPECT_STREQ(csv_cell(nullptr, 0, 0), "");
    csv_table_clear(&t);
}

TEST(Csv, CaseFoldingIsAsciiOnly)
{
    csv_table t = {};
    const std::string text = "\xC3\x89T\xC3\x89\n";  // "ÉTÉ"
    ASSERT_EQ(csv_parse_memory(&t, text.data(), text.size(), nullptr, 0), ERR_OK);
    EXPECT_EQ(csv_find_column(&t, "\xC3\x89t\xC3\x89"), 0);
    EXPECT_EQ(csv_find_column(&t, "\xC3\xA9t\xC3\xA9"), -1);
    csv_table_clear(&t);
}

TEST(Csv, OneLabelTable)
{
    csv_table t = {};
    ASSERT_EQ(csv_table_one_label(&t, "Sencha", nullptr, "4006381333931"), ERR_OK);
    EXPECT_EQ(csv_show(t), "Name|Price|Barcode/Sencha||4006381333931");
    csv_table_free(&t);
    EXPECT_EQ(t.cells, nullptr);
}

class CsvFile : public ::testing::Test {
protected:
    csv_table table = {};
    char msg[256] = "junk";
    void TearDown() override { csv_table_clear(&table); }
};

TEST_F(CsvFile, ReadsAFileWithANonAsciiName)
{
    std::string path = scratch_path("pr\xC3\xA9" "fix-\xD1\x87\xD0\xB0\xD0\xB9-\xE8\x8C\xB6.csv");
    ASSERT_TRUE(scratch_write(path, "Name;Price\r\nGyokuro;12,50\r\n"));
    ASSERT_EQ(csv_read_file(&table, path.c_str(), msg, sizeof msg), ERR_OK) << msg;
    EXPECT_STREQ(msg, "");
    EXPECT_EQ(csv_show(table), "Name|Price/Gyokuro|12,50");
}

TEST_F(CsvFile, MissingFileCannotBeOpened)
{
    std::string path = scratch_path("no-such-file.csv");
    EXPECT_EQ(csv_read_file(&table, path.c_str(), msg, sizeof msg), ERR_IO);
    EXPECT_EQ(std::string(msg), "cannot open " + path);
}

TEST_F(CsvFile, MessageIsCutToItsBuffer)
{
    char small[8];
    EXPECT_EQ(csv_read_file(&table, "/no/such/folder/file.csv", small, sizeof small), ERR_IO);
    EXPECT_STREQ(small, "cannot ");
}

// What is not a file is refused by what it is, without waiting for a pipe's writer.
TEST_F(CsvFile, OnlyRegularFilesAreRead)
{
    const std::string folder = scratch_dir();
    EXPECT_EQ(csv_read_file(&table, folder.c_str(), msg, sizeof msg), ERR_IO);
    EXPECT_EQ(std::string(msg), folder + " is a folder, not a file");
    EXPECT_EQ(table.header, nullptr);
#ifdef _WIN32
    const std::string device = "NUL";
#else
    const std::string device = "/dev/zero", pipe = scratch_path("pipe.csv");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(csv_read_file(&table, pipe.c_str(), msg, sizeof msg), ERR_IO);
    EXPECT_EQ(std::string(msg), pipe + " is a device or a pipe, not a file");
#endif
    EXPECT_EQ(csv_read_file(&table, device.c_str(), msg, sizeof msg), ERR_IO);
    EXPECT_EQ(std::string(msg), device + " is a device or a pipe, not a file");
}

#if !defined(_WIN32) && !defined(TAGMOOR_SANITIZED)
// Reads a large file with too little address space left for its block; exits with 0 when the
// failure says so. _exit leaves the scratch folder alone.
static void read_without_memory(const std::string& path)
{
    // What the process maps already, and 16 MiB more.
    long pages = 0;
    FILE* statm = fopen("/proc/self/statm", "r");
    if (!statm || fscanf(statm, "%ld", &pages) != 1) _exit(2);
    fclose(statm);
    const rlim_t bytes = (rlim_t)pages * (rlim_t)sysconf(_SC_PAGESIZE) + (16u << 20);
    const rlimit limit = {bytes, bytes};
    setrlimit(RLIMIT_AS, &limit);
    csv_table t = {};
    char message[256];
    engine_error e = csv_read_file(&t, path.c_str(), message, sizeof message);
    _exit(e == ERR_NOMEM && std::string(message) == "not enough memory to read " + path ? 0 : 1);
}

TEST_F(CsvFile, MemoryShortageIsSaidSo)
{
    std::string bytes(60 << 20, 'x');
    bytes.replace(0, 4, "a,b\n");
    const std::string path = scratch_path("large.csv");
    ASSERT_TRUE(scratch_write(path, bytes));
    bytes.clear();
    EXPECT_EXIT(read_without_memory(path), testing::ExitedWithCode(0), "");
}
#endif

TEST_F(CsvFile, SizeLimitIs64MiB)
{
    std::string bytes(CSV_MAX_FILE_SIZE, 'x');
    bytes.replace(0, 6, "a,b\n1,");
    std::string path = scratch_path("limit.csv");
    ASSERT_TRUE(scratch_write(path, bytes));
    ASSERT_EQ(csv_read_file(&table, path.c_str(), msg, sizeof msg), ERR_OK) << msg;
    EXPECT_EQ(table.rows, 1);
    EXPECT_EQ(strlen(csv_cell(&table, 0, 1)), (size_t)CSV_MAX_FILE_SIZE - 6);
    csv_table_clear(&table);

    bytes += 'x';
    ASSERT_TRUE(scratch_write(path, bytes));
    EXPECT_EQ(csv_read_file(&table, path.c_str(), msg, sizeof msg), ERR_IO);
    EXPECT_STREQ(msg, "unusable file size");
}

// Text that is not UTF-8 is refused with its cause, by file and from memory alike.
TEST(Csv, RefusesTextThatIsNotUtf8)
{
    const struct {
        std::string text;
        const char* message;
    } cases[] = {
        {std::string("\xFF\xFEN\0a\0m\0e\0\n\0", 12), "UTF-16 text; save the spreadsheet as UTF-8 CSV"},
        {std::string("\xFE\xFF\0N\0a", 6), "UTF-16 text; save the spreadsheet as UTF-8 CSV"},
        {std::string("Name\nTea\0\n", 10), "holds NUL bytes, so it is not UTF-8 text"},
        {std::string("N\0a\0m\0e\0", 8), "holds NUL bytes, so it is not UTF-8 text"},
    };
    for (const auto& c : cases) {
        csv_table t = {};
        char msg[80];
        EXPECT_EQ(csv_parse_memory(&t, c.text.data(), c.text.size(), msg, sizeof msg), ERR_FORMAT);
        EXPECT_STREQ(msg, c.message);
        EXPECT_EQ(t.header, nullptr);
        const std::string path = scratch_path("not-utf8.csv");
        ASSERT_TRUE(scratch_write(path, c.text));
        EXPECT_EQ(csv_read_file(&t, path.c_str(), msg, sizeof msg), ERR_FORMAT);
        EXPECT_STREQ(msg, c.message);
    }
}

// (rows + 1) x columns up to the limit are a table; one row more is refused before the cells
// of the rows past the limit are made.
TEST(Csv, CellLimit)
{
    const int32_t columns = 4096, rows = CSV_MAX_CELLS / columns - 1;
    const std::string line = std::string(columns - 1, ',') + "\n";
    std::string text;
    for (int32_t r = 0; r <= rows; r++) text += line;
    csv_table t = {};
    char msg[160];
    ASSERT_EQ(csv_parse(&t, text.data(), text.size(), msg, sizeof msg), ERR_OK) << msg;
    EXPECT_EQ(t.columns, columns);
    EXPECT_EQ(t.rows, rows);
    EXPECT_STREQ(csv_cell(&t, rows - 1, columns - 1), "");
    csv_table_clear(&t);

    text += "\n";  // a blank last line is no row
    ASSERT_EQ(csv_parse(&t, text.data(), text.size(), msg, sizeof msg), ERR_OK) << msg;
    EXPECT_EQ(t.rows, rows);
    csv_table_clear(&t);

    text += "x\n";
    EXPECT_EQ(csv_parse(&t, text.data(), text.size(), msg, sizeof msg), ERR_RANGE);
    EXPECT_STREQ(msg, "4097 rows of 4096 columns with their header are more than the 16777216 cells a table may hold");
    EXPECT_EQ(t.header, nullptr);

    const std::string header(CSV_MAX_CELLS, ',');
    EXPECT_EQ(csv_parse(&t, header.data(), header.size(), msg, sizeof msg), ERR_RANGE);
    EXPECT_STREQ(msg, "16777217 columns are more than the 16777216 cells a table may hold");
}

TEST(Csv, TabDelimitedQuotedFieldKeepsItsEmptyNeighbour)
{
    EXPECT_EQ(csv_parse_show("a\tb\n\"x\"\t\n"), "a|b/x|");
    EXPECT_EQ(csv_parse_show("a\tb\tc\n\"x\"\t\ty\n"), "a|b|c/x||y");
    EXPECT_EQ(csv_parse_show("a,b\n\"x\"\t ,y\n"), "a|b/x|y");
}

// The reader finds fields 64 bytes at a time: a CR LF, a quoted field with line ends and
// doubled quotes in it, and a NUL byte read the same wherever they fall against those steps.
TEST(Csv, EveryPlaceAgainstTheReadersSteps)
{
    for (size_t pad = 0; pad < 140; pad++) {
        const std::string x(pad, 'x');
        const std::string text = "a,b\r\n" + x + ",\"q,\r\n\"\"z\"\"\" \r\n1,\"\"\r\n" + x + ".\r\n";
        EXPECT_EQ(csv_parse_show(text), "a|b/" + x + "|q,\r\n\"z\"/1|/" + x + ".|") << pad;

        std::string with_nul = text;
        with_nul[pad % with_nul.size()] = '\0';
        csv_table t = {};
        char msg[64];
        EXPECT_EQ(csv_parse(&t, with_nul.data(), with_nul.size(), msg, sizeof msg), ERR_FORMAT) << pad;
        EXPECT_STREQ(msg, "holds NUL bytes, so it is not UTF-8 text");
    }
}
