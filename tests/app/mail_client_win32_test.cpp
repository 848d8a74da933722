// The mail draft through the system's own link handling: with the mailto handler of the prefix
// pointing at a program that is not there, the report says no mail client would open.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/problem_report.h"
#include "app_fixture.h"
#include "support/scratch.h"

namespace {

const wchar_t* const mail_command_key = L"mailto\\shell\\open\\command";

// The handler's command line, read or set; restored by the destructor.
struct mail_handler {
    std::wstring kept;
    bool had = false;
    mail_handler()
    {
        wchar_t value[1024];
        DWORD size = sizeof value;
        had = RegGetValueW(HKEY_CLASSES_ROOT, mail_command_key, nullptr, RRF_RT_REG_SZ, nullptr, value, &size) ==
              ERROR_SUCCESS;
        if (had) kept = value;
    }
    ~mail_handler()
    {
        if (had) set(kept);
    }
    static bool set(const std::wstring& command)
    {
        HKEY key;
        if (RegCreateKeyExW(HKEY_CLASSES_ROOT, mail_command_key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            return false;
        bool ok = RegSetValueExW(key, nullptr, 0, REG_SZ, (const BYTE*)command.c_str(),
                                 (DWORD)((command.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
        RegCloseKey(key);
        return ok;
    }
};

}  // namespace

TEST(AppReportOnWindows, AMissingMailClientGivesTheErrorLine)
{
    mail_handler handler;
    ASSERT_TRUE(mail_handler::set(L"\"C:\\no\\such\\mailer.exe\" \"%1\""));
    app_temporary_folders env(scratch_path("").c_str(), nullptr, nullptr);
    app_fixture f;
    app_set_link_opener(nullptr);  // the system's, through the shell
    app_report_problem(f.state);
    EXPECT_TRUE(f.state->problem_dialog_open);
    EXPECT_EQ(app_status(f.state), "No mail client would open. The facts are below, and the job is at " +
                                       std::string(f.state->report.job_path));
    EXPECT_EQ(f.state->status_kind, APP_STATUS_ERROR);
}
