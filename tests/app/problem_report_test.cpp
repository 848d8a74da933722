// The problem report: its folder under the temporary folder the environment names, the files
// the engine writes there, the mail link and when it is opened, and the status lines.
#include "app/problem_report.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "app/data_source.h"
#include "app_fixture.h"
#include "engine/catalog.h"
#include "engine/job.h"
#include "files/file_io.h"
#include "support/scratch.h"

namespace {

namespace fs = std::filesystem;

fs::path fs_path(const std::string& utf8)
{
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string make_folder(const std::string& name)
{
    const std::string path = scratch_path(name);
    fs::create_directories(fs_path(path));
    return path;
}

std::string folder_of(const std::string& file)
{
    const std::u8string parent = fs_path(file).parent_path().u8string();
    return std::string(parent.begin(), parent.end());
}

// The text of a percent-encoded link, decoded here without the program's encoder.
std::string percent_decoded(const std::string& link)
{
    std::string text;
    for (size_t i = 0; i < link.size(); i++) {
        if (link[i] == '%' && i + 2 < link.size()) {
            text += (char)std::stoi(link.substr(i + 1, 2), nullptr, 16);
            i += 2;
        } else {
            text += link[i];
        }
    }
    return text;
}

std::string crlf(std::string text)
{
    for (size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 2) text.insert(at, "\r");
    return text;
}

}  // namespace

TEST(AppReport, WritesTheJobOfEveryRowOnceAndTheReport)
{
    const std::string tmp = make_folder("rapports \xC3\xA9\xE8\x8C\xB6");
    app_temporary_folders env(tmp.c_str(), nullptr, nullptr);
    app_fixture f;
    app_open_csv(f.state, app_scratch_csv("qty-report.csv", "Name,Price,Qty\nA,1,3\nB,2,0\nC,3,x\n").c_str());
    const long long before = (long long)time(nullptr);
    app_report_problem(f.state);
    const problem_report& r = f.state->report;

    const std::string folder = folder_of(r.job_path);
    const std::string prefix = tmp + FILE_SEPARATOR "tagmoor-report-";
    ASSERT_EQ(folder.rfind(prefix, 0), 0u) << folder;
    const long long stamp = std::stoll(folder.substr(prefix.size()));
    EXPECT_GE(stamp, before);
    EXPECT_LE(stamp, (long long)time(nullptr));
    EXPECT_EQ(std::string(r.job_path), folder + FILE_SEPARATOR "tagmoor-job.zpl");
    EXPECT_EQ(std::string(r.report_path), folder + FILE_SEPARATOR "tagmoor-report.txt");
    EXPECT_STREQ(r.subject, "Tagmoor 0.9.0-beta.3: a label came out wrong (Zebra ZD230 (203 dpi, ZPL))");
    const std::string body =
        "Tagmoor 0.9.0-beta.3 - a label came out wrong\n\nPrinter:  Zebra ZD230 (203 dpi, ZPL)\n"
        "Stock:    2 \xC3\x97 1 in, landscape price tag, 50.8 x 25.4 mm\nTemplate: Price\nLabels:   3\n"
        "File:     qty-report.csv\n\nThe printer job this window would have sent is in the file below. Attach it to\n"
        "this message:\n" + std::string(r.job_path) + "\n\nNothing has been sent anywhere yet. This text is in your "
        "own mail client and\nleaves the machine when you press Send.\n";
    EXPECT_EQ(std::string(r.body), body);
    std::string text, job;
    ASSERT_TRUE(scratch_read(r.report_path, &text));
    EXPECT_EQ(text, body);

    // Every row once, whatever its quantity says.
    label_model model;
    ASSERT_TRUE(app_build_label_model(f.state, &model));
    uint8_t* data = nullptr;
    size_t length = 0;
    ASSERT_EQ(job_build_plain(PRINTER_LANG_ZPL, &model, &f.state->table, 0, 3, &data, &length), ERR_OK);
    ASSERT_TRUE(scratch_read(r.job_path, &job));
    EXPECT_EQ(job, std::string((const char*)data, length));
    free(data);

    EXPECT_TRUE(f.state->problem_dialog_open);
    EXPECT_EQ(app_status(f.state), "A message is waiting in your mail client. Nothing is sent until you press Send.");
    EXPECT_EQ(f.state->status_kind, APP_STATUS_INFO);
    ASSERT_EQ(app_links().links.size(), 1u);
}

TEST(AppReport, TheMailLinkCarriesOnlyEncodedText)
{
    app_temporary_folders env(make_folder("link & %PATH% ^(\xC3\xA9)").c_str(), nullptr, nullptr);
    app_fixture f;
    app_report_problem(f.state);
    ASSERT_EQ(app_links().links.size(), 1u);
    const std::string link = app_links().links[0];
    const std::string head = "mailto:support@tagmoor.example?subject=";
    ASSERT_EQ(link.rfind(head, 0), 0u);
    const size_t body_at = link.find("&body=");
    ASSERT_NE(body_at, std::string::npos);
    // Nothing a command line or the link itself could read as syntax.
    for (size_t i = head.size(); i < link.size(); i++) {
        if (i >= body_at && i < body_at + 6) continue;
        const char c = link[i];
        EXPECT_TRUE(isalnum((unsigned char)c) || strchr("-._~%", c)) << link.substr(i);
    }
    EXPECT_EQ(percent_decoded(link.substr(head.size(), body_at - head.size())), f.state->report.subject);
    EXPECT_EQ(percent_decoded(link.substr(body_at + 6)), crlf(f.state->report.body));
}

TEST(AppReport, ALinkTooLongForTheShellLeavesTheBodyOut)
{
    problem_report report = {};
    strcpy(report.subject, "Tagmoor: caf\xC3\xA9");
    for (int i = 0; i < 1000; i++) strcat(report.body, "\xC3\xA9");  // 6000 bytes encoded
    char link[APP_MAIL_LINK_SIZE];
    ASSERT_TRUE(app_mail_link(&report, link, sizeof link));
    EXPECT_STREQ(link, "mailto:support@tagmoor.example?subject=Tagmoor%3A%20caf%C3%A9");
    char tiny[40];
    EXPECT_FALSE(app_mail_link(&report, tiny, sizeof tiny));
}

TEST(AppReport, NoMailClientAndScreenshotRuns)
{
    app_temporary_folders env(make_folder("no-mail").c_str(), nullptr, nullptr);
    app_fixture refused;
    app_links().accept = false;
    app_report_problem(refused.state);
    EXPECT_EQ(app_links().links.size(), 1u);
    EXPECT_TRUE(refused.state->problem_dialog_open);
    EXPECT_EQ(app_status(refused.state),
              "No mail client would open. The facts are below, and the job is at " +
                  std::string(refused.state->report.job_path));
    EXPECT_EQ(refused.state->status_kind, APP_STATUS_ERROR);

    app_set_env("QEL_SCREENSHOT", "shot.png");
    app_fixture shot;
    app_report_problem(shot.state);
    EXPECT_TRUE(app_links().links.empty());
    EXPECT_TRUE(shot.state->problem_dialog_open);
    EXPECT_TRUE(scratch_exists(shot.state->report.job_path));
    EXPECT_EQ(app_status(shot.state),
              "No mail client would open. The facts are below, and the job is at " +
                  std::string(shot.state->report.job_path));
    app_set_env("QEL_SCREENSHOT", nullptr);
}

TEST(AppReport, TheFolderComesFromTheFirstVariableSet)
{
    const std::string a = make_folder("tmp-a"), b = make_folder("tmp-b"), c = make_folder("tmp-c");
    const struct {
        const char *tmpdir, *temp, *tmp;
        std::string base;
    } cases[] = {
        {a.c_str(), b.c_str(), c.c_str(), a},
        {nullptr, b.c_str(), c.c_str(), b},
        {"", "", c.c_str(), c},
#ifndef _WIN32
        {nullptr, nullptr, nullptr, "/tmp"},
#endif
    };
    for (const auto& k : cases) {
        app_temporary_folders env(k.tmpdir, k.temp, k.tmp);
        char folder[512];
        ASSERT_TRUE(app_report_folder(folder, sizeof folder)) << k.base;
        EXPECT_EQ(std::string(folder).rfind(k.base + FILE_SEPARATOR "tagmoor-report-", 0), 0u) << folder;
        EXPECT_TRUE(fs::is_directory(fs_path(folder)));
        fs::remove(fs_path(folder));
    }
}

TEST(AppReport, ATakenNameGetsANumber)
{
    const std::string base = make_folder("taken");
    app_temporary_folders env(base.c_str(), nullptr, nullptr);
    // Both seconds the call may fall in are taken already.
    const long long now = (long long)time(nullptr);
    for (long long second : {now, now + 1})
        fs::create_directory(fs_path(base + FILE_SEPARATOR "tagmoor-report-" + std::to_string(second)));
    char folder[512];
    ASSERT_TRUE(app_report_folder(folder, sizeof folder));
    const std::string name = folder;
    EXPECT_EQ(name.substr(name.size() - 2), "-2") << name;
    EXPECT_TRUE(fs::is_directory(fs_path(name)));
}

TEST(AppReport, WhatStopsAReport)
{
    const std::string file = app_scratch_csv("not-a-folder", "x");
    app_temporary_folders env((file + "/below").c_str(), nullptr, nullptr);
    app_fixture f;
    app_report_problem(f.state);
    EXPECT_EQ(app_status(f.state).rfind("Cannot make the report folder " + file + "/below" FILE_SEPARATOR "tagmoor-report-",
                                        0),
              0u)
        << app_status(f.state);
    EXPECT_EQ(f.state->status_kind, APP_STATUS_ERROR);
    EXPECT_FALSE(f.state->problem_dialog_open);
    EXPECT_TRUE(app_links().links.empty());

    app_fixture wide({"--size", "a4-3x8"});
    wide.state->printer = app_printer_index("brother-ql-800");
    app_report_problem(wide.state);
    EXPECT_EQ(app_status(wide.state), "This stock does not fit this printer, so there is no job to report.");

    wide.state->loaded = 0;
    app_report_problem(wide.state);
    EXPECT_EQ(app_status(wide.state), "Open a CSV first: the report carries the job it is about.");
    wide.state->loaded = 1;  // the fixture frees the table
    EXPECT_FALSE(wide.state->problem_dialog_open);
}
