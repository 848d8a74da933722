// The system lister on a real folder: its limits, its refusals and the current folder. What it
// reports of each item is compared with Python's own listing by files_vs_python.py.
#include "qel/dir_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/scratch.h"

namespace fs = std::filesystem;

namespace {

fs::path utf8_path(const std::string& s)
{
    return fs::path(std::u8string(s.begin(), s.end()));
}

// A folder of four files and two folders, two of each hidden by their leading dot.
const std::string& tree()
{
    static const std::string dir = [] {
        std::string d = scratch_path("tree");
        fs::create_directories(utf8_path(d + "/sub"));
        fs::create_directories(utf8_path(d + "/.git"));
        for (const char* name : {"a.txt", "bb.txt", "\xC3\xA9t\xC3\xA9.txt", ".hidden"}) scratch_write(d + "/" + name, "xyz");
        return d;
    }();
    return dir;
}

struct listed {
    int32_t count;
    std::vector<qel_dir_entry> entries;
    std::vector<char> names;

    std::vector<std::string> sorted_names() const
    {
        std::vector<std::string> out;
        for (int32_t i = 0; i < count; i++) out.push_back(entries[(size_t)i].name);
        std::sort(out.begin(), out.end());
        return out;
    }
};

listed list(const char* dir, int32_t max_entries = 16, uint64_t names_capacity = 4096, bool show_hidden = false)
{
    listed l;
    l.entries.resize(16);
    l.names.resize(4096);
    l.count = qel_dir_list(nullptr, dir, l.entries.data(), max_entries, l.names.data(), names_capacity, show_hidden);
    return l;
}

using names = std::vector<std::string>;

const names VISIBLE = {"a.txt", "bb.txt", "sub", "\xC3\xA9t\xC3\xA9.txt"};

}  // namespace

TEST(DirList, HidesDotNamesUnlessAskedAndNeverListsDotAndDotDot)
{
    EXPECT_EQ(list(tree().c_str()).sorted_names(), VISIBLE);
    names all = {".git", ".hidden", "a.txt", "bb.txt", "sub", "\xC3\xA9t\xC3\xA9.txt"};
    EXPECT_EQ(list(tree().c_str(), 16, 4096, true).sorted_names(), all);
}

TEST(DirList, ATrailingSeparatorListsTheSameFolder)
{
    EXPECT_EQ(list((tree() + "/").c_str()).sorted_names(), VISIBLE);
#ifdef _WIN32
    EXPECT_EQ(list((tree() + "\\").c_str()).sorted_names(), VISIBLE);
#endif
}

TEST(DirList, StopsAtMaxEntriesKeepingWhatItWrote)
{
    for (int32_t max : {0, 1, 3, 4, 5}) EXPECT_EQ(list(tree().c_str(), max).count, std::min(max, 4)) << max;
    EXPECT_EQ(list(tree().c_str(), -5).count, 0);
    EXPECT_EQ(qel_dir_list(nullptr, tree().c_str(), nullptr, 16, nullptr, 0, false), 0);
}

TEST(DirList, StopsBeforeANameThatDoesNotFitWhole)
{
    listed all = list(tree().c_str());
    ASSERT_EQ(all.count, 4);
    // Room for exactly the first two names, in the system's order, then one byte less.
    uint64_t two = strlen(all.entries[0].name) + 1 + strlen(all.entries[1].name) + 1;
    listed fits = list(tree().c_str(), 16, two);
    ASSERT_EQ(fits.count, 2);
    EXPECT_STREQ(fits.entries[0].name, all.entries[0].name);
    EXPECT_EQ(fits.entries[1].name, fits.names.data() + strlen(all.entries[0].name) + 1);
    EXPECT_STREQ(fits.entries[1].name, all.entries[1].name);
    EXPECT_EQ(list(tree().c_str(), 16, two - 1).count, 1);
    EXPECT_EQ(list(tree().c_str(), 16, 0).count, 0);
}

TEST(DirList, RefusesWhatIsNoReadableFolder)
{
    EXPECT_EQ(list((tree() + "/missing").c_str()).count, -1);
    EXPECT_EQ(list((tree() + "/a.txt").c_str()).count, -1);
    std::string too_long = tree() + "/" + std::string(2000, 'x');
    EXPECT_EQ(list(too_long.c_str()).count, -1);
    EXPECT_EQ(list("\xFF\xFE").count, -1);
}

TEST(DirList, NoFolderMeansTheCurrentOne)
{
    fs::path before = fs::current_path();
    fs::current_path(utf8_path(tree()));
    for (const char* dir : {(const char*)nullptr, "", "."}) EXPECT_EQ(list(dir).sorted_names(), VISIBLE) << (dir ? dir : "null");
    fs::current_path(before);
}
