#include "engine/report.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "engine/catalog.h"
#include "engine/job.h"
#include "files/file_io.h"
#include "job_fixture.h"
#include "support/scratch.h"

namespace {

const report_info info = {"Zebra ZD230 (203 dpi)", "2 x 1 in", "Price and name", "0.9.0-beta.3", "teas.csv"};

// Ten rows, with quantities the report must not apply.
const char* const ten_rows =
    "Name,Price,Qty\nA,1,0\nB,2,3\nC,3,x\nD,4,0\nE,5,1\nF,6,1\nG,7,1\nH,8,1\nI,9,1\nJ,10,1\n";

std::string folder(const std::string& name)
{
    const std::string path = scratch_path(name);
    std::filesystem::create_directories(std::filesystem::path(std::u8string(path.begin(), path.end())));
    return path;
}

}  // namespace

TEST(Report, WritesTheJobAndTheReport)
{
    job_fixture f(ten_rows, 50.8f, 25.4f, 203, "price");
    const std::string dir = folder("report \xC3\xA9");
    problem_report report;
    ASSERT_EQ(report_write(&report, dir.c_str(), &info, PRINTER_LANG_TSPL, &f.model, &f.table, 3), ERR_OK);
    EXPECT_EQ(std::string(report.job_path), dir + FILE_SEPARATOR "tagmoor-job.tspl");
    EXPECT_EQ(std::string(report.report_path), dir + FILE_SEPARATOR "tagmoor-report.txt");
    EXPECT_STREQ(report.subject, "Tagmoor 0.9.0-beta.3: a label came out wrong (Zebra ZD230 (203 dpi))");
    const std::string body = "Tagmoor 0.9.0-beta.3 - a label came out wrong\n\n"
                             "Printer:  Zebra ZD230 (203 dpi)\nStock:    2 x 1 in\nTemplate: Price and name\n"
                             "Labels:   3\nFile:     teas.csv\n\n"
                             "The printer job this window would have sent is in the file below. Attach it to\n"
                             "this message:\n" + dir + FILE_SEPARATOR "tagmoor-job.tspl\n\n"
                             "Nothing has been sent anywhere yet. This text is in your own mail client and\n"
                             "leaves the machine when you press Send.\n";
    EXPECT_EQ(std::string(report.body), body);
    std::string text, job;
    ASSERT_TRUE(scratch_read(report.report_path, &text));
    EXPECT_EQ(text, body);
    // Every row once, quantities aside.
    ASSERT_TRUE(scratch_read(report.job_path, &job));
    EXPECT_EQ(job, f.build(PRINTER_LANG_TSPL, nullptr, 0, 3));
}

TEST(Report, RowsAndFileNames)
{
    job_fixture f(ten_rows, 50.8f, 25.4f, 203, "name");
    const std::string dir = folder("rows");
    const struct {
        int32_t limit;
        const char* file;
        int labels;
        const char* shown;
    } cases[] = {{0, nullptr, 10, "(none)"}, {10, "", 10, "(none)"}, {11, "a.csv", 10, "a.csv"}, {-2, "b", 10, "b"},
                 {3, "c", 3, "c"}};
    for (const auto& c : cases) {
        report_info named = info;
        named.file_name = c.file;
        problem_report report;
        ASSERT_EQ(report_write(&report, dir.c_str(), &named, PRINTER_LANG_ZPL, &f.model, &f.table, c.limit), ERR_OK);
        const std::string body = report.body;
        EXPECT_NE(body.find("Labels:   " + std::to_string(c.labels) + "\nFile:     " + c.shown + "\n"), std::string::npos)
            << c.limit;
        std::string job;
        ASSERT_TRUE(scratch_read(report.job_path, &job));
        int formats = 0;
        for (size_t at = 0; (at = job.find("^XA", at)) != std::string::npos; at++) formats++;
        EXPECT_EQ(formats, c.labels);
    }
    const char* const extensions[] = {"zpl", "tspl", "bin", "dymo"};
    for (uint32_t language = 0; language < 4; language++) {
        problem_report report;
        ASSERT_EQ(report_write(&report, dir.c_str(), &info, language, &f.model, &f.table, 1), ERR_OK);
        EXPECT_EQ(std::string(report.job_path), dir + FILE_SEPARATOR "tagmoor-job." + extensions[language]);
        std::string job;
        ASSERT_TRUE(scratch_read(report.job_path, &job));
        EXPECT_EQ(job, f.build(language, nullptr, 0, 1));
    }
}

// A path cut to its field would name another file: nothing is written then.
TEST(Report, PathsThatDoNotFit)
{
    job_fixture f(ten_rows, 50.8f, 25.4f, 203, "name");
    const std::string base = folder("long");
    problem_report report;
    for (size_t length : {1024 - 20 - base.size(), 1024 - 19 - base.size(), 2000 - base.size()}) {
        const std::string dir = base + "/" + std::string(length - 1, 'd');
        engine_error error = report_write(&report, dir.c_str(), &info, PRINTER_LANG_ZPL, &f.model, &f.table, 0);
        // "/tagmoor-report.txt" is the longer name: 19 bytes and the terminator.
        EXPECT_EQ(error, dir.size() + 19 < 1024 ? ERR_IO : ERR_RANGE) << dir.size();
        if (error == ERR_RANGE) {
            EXPECT_STREQ(report.job_path, "");
            EXPECT_STREQ(report.report_path, "");
        }
    }
    EXPECT_TRUE(std::filesystem::is_empty(std::filesystem::path(std::u8string(base.begin(), base.end()))));
}

TEST(Report, Refusals)
{
    job_fixture f(ten_rows, 50.8f, 25.4f, 203, "name");
    problem_report report;
    const std::string dir = folder("refusals");
    EXPECT_EQ(report_write(nullptr, dir.c_str(), &info, 0, &f.model, &f.table, 0), ERR_INVALID);
    EXPECT_EQ(report_write(&report, nullptr, &info, 0, &f.model, &f.table, 0), ERR_INVALID);
    EXPECT_EQ(report_write(&report, "", &info, 0, &f.model, &f.table, 0), ERR_INVALID);
    EXPECT_EQ(report_write(&report, dir.c_str(), nullptr, 0, &f.model, &f.table, 0), ERR_INVALID);
    EXPECT_EQ(report_write(&report, dir.c_str(), &info, 0, nullptr, &f.table, 0), ERR_INVALID);
    EXPECT_EQ(report_write(&report, dir.c_str(), &info, 0, &f.model, nullptr, 0), ERR_INVALID);
    EXPECT_EQ(report_write(&report, dir.c_str(), &info, 4, &f.model, &f.table, 0), ERR_INVALID);
    EXPECT_EQ(report_write(&report, (dir + "/missing").c_str(), &info, 0, &f.model, &f.table, 0), ERR_IO);
}
