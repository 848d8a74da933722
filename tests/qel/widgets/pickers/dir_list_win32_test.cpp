// What only the Windows lister sees: the hidden attribute and a bare drive's current folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "qel/dir_list.h"
#include "support/scratch.h"

static std::vector<std::string> listed_names(const char* dir, bool show_hidden)
{
    qel_dir_entry entries[8];
    char names[512];
    int32_t n = qel_dir_list(nullptr, dir, entries, 8, names, sizeof names, show_hidden);
    std::vector<std::string> out;
    for (int32_t i = 0; i < n; i++) out.push_back(entries[i].name);
    std::sort(out.begin(), out.end());
    return out;
}

TEST(DirListWin32, AnItemMarkedHiddenShowsOnlyWhenAsked)
{
    std::string dir = scratch_path("marked");
    ASSERT_TRUE(CreateDirectoryW(std::wstring(dir.begin(), dir.end()).c_str(), nullptr));
    ASSERT_TRUE(scratch_write(dir + "\\plain.txt", "1"));
    ASSERT_TRUE(scratch_write(dir + "\\secret.txt", "2"));
    std::string secret = dir + "\\secret.txt";
    ASSERT_TRUE(SetFileAttributesW(std::wstring(secret.begin(), secret.end()).c_str(), FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(listed_names(dir.c_str(), false), std::vector<std::string>{"plain.txt"});
    EXPECT_EQ(listed_names(dir.c_str(), true), (std::vector<std::string>{"plain.txt", "secret.txt"}));
}

TEST(DirListWin32, ABareDriveListsItsCurrentFolderNotItsRoot)
{
    std::string dir = scratch_path("here");
    ASSERT_TRUE(CreateDirectoryW(std::wstring(dir.begin(), dir.end()).c_str(), nullptr));
    ASSERT_TRUE(scratch_write(dir + "\\only-here.txt", "1"));
    ASSERT_EQ(dir[1], ':');
    wchar_t before[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, before);
    ASSERT_TRUE(SetCurrentDirectoryW(std::wstring(dir.begin(), dir.end()).c_str()));
    std::string drive = dir.substr(0, 2);
    EXPECT_EQ(listed_names(drive.c_str(), false), std::vector<std::string>{"only-here.txt"});
    SetCurrentDirectoryW(before);
}
