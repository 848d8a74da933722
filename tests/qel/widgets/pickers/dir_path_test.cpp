#include "qel/dir_list.h"

#include <gtest/gtest.h>

#include <string>

TEST(PathJoin, PutsOneSeparatorOfTheFoldersKind)
{
    const struct {
        const char* dir;
        const char* name;
        const char* joined;
    } cases[] = {
        {"C:\\", "a.txt", "C:\\a.txt"},
        {"/home/u", "a", "/home/u/a"},
        {"", "a", "a"},
        {nullptr, "a", "a"},
        {"/home/u/", "a", "/home/u/a"},
        {"C:\\Users", "a", "C:\\Users\\a"},
        {"C:/Users", "a", "C:/Users/a"},
        {"C:", "a", "C:a"},  // the drive's current folder, not its root
        {"c:", "a", "c:a"},
        {"ab", "c", "ab\\c"},
        {"1:", "c", "1:\\c"},
        {"C:x", "a", "C:x\\a"},
        {"d\xC3\xA9j\xC3\xA0", "\xE2\x82\xAC", "d\xC3\xA9j\xC3\xA0\\\xE2\x82\xAC"},
        {"/x", nullptr, "/x/"},
    };
    for (const auto& c : cases) {
        char out[64];
        EXPECT_TRUE(qel_path_join(out, sizeof out, c.dir, c.name)) << c.dir;
        EXPECT_STREQ(out, c.joined) << c.dir;
    }
}

TEST(PathJoin, RefusesWhatDoesNotFitWhole)
{
    // "/a/b" + "/" + "name" needs 9 bytes with the terminator; anything cut would name another file.
    char out[16];
    EXPECT_TRUE(qel_path_join(out, 10, "/a/b", "name"));
    EXPECT_STREQ(out, "/a/b/name");
    for (size_t capacity : {9, 5, 1}) {
        memset(out, 'x', sizeof out);
        EXPECT_FALSE(qel_path_join(out, capacity, "/a/b", "name")) << capacity;
        EXPECT_STREQ(out, "") << capacity;
    }
    EXPECT_FALSE(qel_path_join(out, 0, "/a", "b"));
    EXPECT_FALSE(qel_path_join(nullptr, 8, "/a", "b"));
}

TEST(PathJoin, JoinsInPlace)
{
    char path[32] = "C:\\Users";
    EXPECT_TRUE(qel_path_join(path, sizeof path, path, "me"));
    EXPECT_STREQ(path, "C:\\Users\\me");
    EXPECT_FALSE(qel_path_join(path, 12, path, "x"));
}

TEST(PathParent, ClimbsToTheParentAndStopsAtTheRoot)
{
    const struct {
        const char* path;
        const char* parent;  // null: no parent, the path stays as it was
    } cases[] = {
        {"C:\\Users", "C:\\"},
        {"C:\\Users\\me\\", "C:\\Users"},
        {"C:/Users", "C:/"},
        {"C:\\", nullptr},
        {"C:", nullptr},
        {"/home", "/"},
        {"/home/u//", "/home"},
        {"/", nullptr},
        {"//", "/"},
        {"a/b", "a"},
        {"a", nullptr},
        {"a/", nullptr},
        {"", nullptr},
        {"\\x", "\\"},
        {"d\xC3\xA9j\xC3\xA0/\xE2\x82\xAC", "d\xC3\xA9j\xC3\xA0"},
    };
    for (const auto& c : cases) {
        char path[64];
        strcpy(path, c.path);
        EXPECT_EQ(qel_path_parent(path), c.parent != nullptr) << c.path;
        EXPECT_STREQ(path, c.parent ? c.parent : c.path) << c.path;
    }
}
