#include "qel/dir_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

static bool match(const char* pattern, const char* name)
{
    return qel_wildcard_match(pattern, pattern + strlen(pattern), name);
}

TEST(Wildcard, MatchesStarsQuestionMarksAndLettersOfEitherCase)
{
    const struct {
        const char* pattern;
        const char* name;
        bool matches;
    } cases[] = {
        {"*.png", "photo.PNG", true},
        {"*.png", ".png", true},
        {"*.PNG", "photo.png", true},
        {"*.png", "photo.png.txt", false},
        {"a?c", "abc", true},
        {"a?c", "ac", false},
        {"a*", "a", true},
        {"a**", "a", false},  // a trailing run of stars needs one more character
        {"a**", "ab", true},
        {"**", "", false},
        {"*", "", true},
        {"", "", true},
        {"", "a", false},
        {"a*b*c", "aXbYc", true},
        {"a*b*c", "aXbY", false},
        {"*x*", "x", true},
        {"?.txt", "\xC3\xA9.txt", true},  // one character, two bytes
        {"??.txt", "\xC3\xA9.txt", false},
        {"\xC3\x89*", "\xC3\xA9t\xC3\xA9", false},  // only A to Z fold
        {"[a].txt", "[A].txt", true},
    };
    for (const auto& c : cases) EXPECT_EQ(match(c.pattern, c.name), c.matches) << c.pattern << " / " << c.name;
}

TEST(Wildcard, ReadsOnlyItsSliceOfThePattern)
{
    const char* patterns = "*.png;*.jpg";
    EXPECT_TRUE(qel_wildcard_match(patterns, patterns + 5, "a.png"));
    EXPECT_FALSE(qel_wildcard_match(patterns, patterns + 5, "a.jpg"));
    EXPECT_TRUE(qel_wildcard_match(patterns + 6, patterns + 11, "a.JPG"));
}

TEST(Wildcard, ManyStarsOverALongNameEndQuickly)
{
    // Trying every split of every star would take longer than the universe has.
    std::string name(250, 'a');
    EXPECT_FALSE(match("*a*a*a*a*a*a*a*a*a*a*a*a*b", name.c_str()));
    EXPECT_TRUE(match("*a*a*a*a*a*a*a*a*a*a*a*a*", name.c_str()));
}

namespace {

struct listing {
    std::vector<qel_dir_entry> entries;

    void add(const char* name, bool is_dir, uint64_t size = 0, int64_t mtime = 0)
    {
        entries.push_back({name, (uint8_t)is_dir, size, mtime});
    }

    std::vector<std::string> sorted(int32_t mode, bool descending) const
    {
        std::vector<int32_t> order(entries.size());
        for (size_t i = 0; i < order.size(); i++) order[i] = (int32_t)i;
        qel_dir_sort_view view = {entries.data(), mode, (uint8_t)descending};
        qel_file_browser_sort(&view, order.data(), (int32_t)order.size());
        std::vector<std::string> listed;
        for (int32_t i : order) listed.push_back(entries[(size_t)i].name);
        return listed;
    }
};

using names = std::vector<std::string>;

}  // namespace

TEST(BrowserOrder, NamesSortNaturallyWithFoldersFirst)
{
    listing l;
    for (const char* file : {"file10", "File2", "file1", "b", "007", "8", "a-1", "a", "_x", "Zeta", "a10b", "a9c"})
        l.add(file, false);
    l.add("src", true);
    l.add("Docs", true);
    names up = {"Docs", "src", "007", "8", "_x", "a", "a-1", "a9c", "a10b", "b", "file1", "File2", "file10", "Zeta"};
    EXPECT_EQ(l.sorted(0, false), up);
    names down = {"src", "Docs", "Zeta", "file10", "File2", "file1", "b", "a10b", "a9c", "a-1", "a", "_x", "8", "007"};
    EXPECT_EQ(l.sorted(0, true), down);
}

TEST(BrowserOrder, DateAndSizeFallBackToNames)
{
    listing l;
    l.add("new", false, 300, 2000);
    l.add("old", false, 100, 1000);
    l.add("b-same", false, 200, 1500);
    l.add("a-same", false, 200, 1500);
    l.add("dir2", true, 0, 9000);
    l.add("dir10", true, 0, 1);
    EXPECT_EQ(l.sorted(1, false), (names{"dir10", "dir2", "old", "a-same", "b-same", "new"}));
    EXPECT_EQ(l.sorted(1, true), (names{"dir2", "dir10", "new", "b-same", "a-same", "old"}));
    // Folder sizes are all 0, so folders keep their name order, before every file.
    EXPECT_EQ(l.sorted(2, false), (names{"dir2", "dir10", "old", "a-same", "b-same", "new"}));
    EXPECT_EQ(l.sorted(2, true), (names{"dir10", "dir2", "new", "b-same", "a-same", "old"}));
}

TEST(BrowserOrder, ComparesOnlyDuringASort)
{
    int32_t a = 0, b = 1;
    EXPECT_EQ(qel_file_browser_compare(&a, &b), 0);
}
