// Text at the Windows boundary: conversions into fixed buffers, cuts at character boundaries,
// the dialogs' filter list and clipboard line ends.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/platform_text.h"

using units = std::vector<uint16_t>;

static units to_utf16(const char* text, int32_t capacity, bool* complete, int32_t* count)
{
    units out((size_t)capacity, 0xAAAA);
    *count = qel_utf16_from_utf8(text, out.data(), capacity, complete);
    EXPECT_EQ(out[(size_t)*count], 0) << "NUL-terminated";
    return units(out.begin(), out.begin() + *count);
}

TEST(PlatformText, Utf8ToUtf16CutsOnlyBetweenCharacters)
{
    struct row {
        const char* text;
        int32_t capacity;
        units expected;
        bool complete;
    };
    const row rows[] = {
        {"", 1, {}, true},
        {"ab", 1, {}, false},
        {"h\xC3\xA9\xE2\x82\xAC", 8, {'h', 0xE9, 0x20AC}, true},
        {"\xF0\x9F\x98\x80!", 8, {0xD83D, 0xDE00, '!'}, true},
        {"a\xF0\x9F\x98\x80", 3, {'a'}, false},  // the pair does not fit in 2 units
        {"a\xF0\x9F\x98\x80", 4, {'a', 0xD83D, 0xDE00}, true},
        {"x\xFFy", 8, {'x', 0xFFFD, 'y'}, true},        // broken byte
        {"\xED\xA0\x80", 8, {0xFFFD}, true},            // an encoded surrogate is no character
        {"a\xC0\x80" "b", 8, {'a', 0xFFFD, 'b'}, true},   // an overlong NUL must not end the text
        {nullptr, 4, {}, true},
    };
    for (const row& r : rows) {
        bool complete = !r.complete;
        int32_t count;
        EXPECT_EQ(to_utf16(r.text, r.capacity, &complete, &count), r.expected) << (r.text ? r.text : "(null)");
        EXPECT_EQ(complete, r.complete) << (r.text ? r.text : "(null)");
    }
}

TEST(PlatformText, Utf16ToUtf8CutsOnlyBetweenCharacters)
{
    struct row {
        units text;
        int32_t capacity;
        std::string expected;
        bool complete;
    };
    const row rows[] = {
        {{'h', 0xE9, 0x20AC}, 16, "h\xC3\xA9\xE2\x82\xAC", true},
        {{0xD83D, 0xDE00}, 16, "\xF0\x9F\x98\x80", true},
        {{0xD83D, 0xDE00}, 4, "", false},  // four bytes and the NUL need five
        {{'a', 0xE9}, 3, "a", false},
        {{0xDE00, 'a', 0xD83D}, 16, "\xEF\xBF\xBD" "a\xEF\xBF\xBD", true},  // lone halves
        {{'a', 0xD83D, 'b'}, 16, "a\xEF\xBF\xBD" "b", true},
    };
    for (const row& r : rows) {
        std::string out((size_t)r.capacity, '\x55');
        bool complete = !r.complete;
        int32_t n = qel_utf8_from_utf16(r.text.data(), (int32_t)r.text.size(), out.data(), r.capacity, &complete);
        EXPECT_EQ(out.substr(0, (size_t)n), r.expected);
        EXPECT_EQ(out[(size_t)n], '\0');
        EXPECT_EQ(complete, r.complete) << r.expected;
    }
    // NUL-terminated input, and the worst case of three bytes per unit.
    const uint16_t terminated[] = {0x20AC, 0x20AC, 0};
    char exact[7];
    bool complete = false;
    EXPECT_EQ(qel_utf8_from_utf16(terminated, -1, exact, 7, &complete), 6);
    EXPECT_TRUE(complete);

    // A heap copy always has room for the whole text.
    const uint16_t pair_and_half[] = {0x20AC, 0xD83D, 0xDE00, 0xDE00};
    char* copy = qel_utf8_alloc_from_utf16(pair_and_half, 4);
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy, "\xE2\x82\xAC\xF0\x9F\x98\x80\xEF\xBF\xBD");
    free(copy);
}

TEST(PlatformText, CopyCutKeepsWholeCharacters)
{
    char out[6];
    qel_utf8_copy_cut(out, sizeof out, "abc\xE2\x82\xAC");  // the euro sign needs bytes 3..5
    EXPECT_STREQ(out, "abc");
    qel_utf8_copy_cut(out, sizeof out, "ab\xE2\x82\xAC");
    EXPECT_STREQ(out, "ab\xE2\x82\xAC");
    qel_utf8_copy_cut(out, sizeof out, nullptr);
    EXPECT_STREQ(out, "");
    std::string long_title(300, 'x');
    char title[256];
    qel_utf8_copy_cut(title, sizeof title, long_title.c_str());
    EXPECT_EQ(std::string(title), std::string(255, 'x'));
}

// The filter's strings, split at the NULs, and whether it ended with the extra NUL.
static std::vector<std::string> filter_strings(const char* name, const char* extensions, int32_t capacity)
{
    units buffer((size_t)capacity + 1, 0xAAAA);
    int32_t n = qel_file_filter_build(name, extensions, buffer.data(), capacity);
    EXPECT_LE(n, capacity);
    EXPECT_EQ(buffer[(size_t)capacity], 0xAAAA) << "wrote past the capacity";
    std::vector<std::string> strings;
    std::string current;
    for (int32_t i = 0; i + 1 < n; i++) {
        if (buffer[(size_t)i] == 0) {
            strings.push_back(current);
            current.clear();
        } else {
            current += (char)buffer[(size_t)i];
        }
    }
    if (n > 0) {
        EXPECT_EQ(buffer[(size_t)n - 1], 0);
        EXPECT_TRUE(current.empty()) << "ends with a NUL after the last string";
    }
    return strings;
}

TEST(PlatformText, FileFilterPairs)
{
    using strings = std::vector<std::string>;
    EXPECT_EQ(filter_strings("Images", "png;jpg", 511), (strings{"Images", "*.png;*.jpg", "All files", "*.*"}));
    EXPECT_EQ(filter_strings(nullptr, "csv", 511), (strings{"Files", "*.csv", "All files", "*.*"}));
    EXPECT_EQ(filter_strings("Images", nullptr, 511), (strings{"All files", "*.*"}));
    EXPECT_EQ(filter_strings("Images", "", 511), (strings{"All files", "*.*"}));
    EXPECT_EQ(filter_strings("Images", ";;", 511), (strings{"All files", "*.*"}));
    EXPECT_EQ(filter_strings("T", "a;;b;", 511), (strings{"T", "*.a;*.b", "All files", "*.*"}));
    // "Images\0*.png\0" needs 13 units and "All files\0*.*\0" 14, with the final NUL 28.
    EXPECT_EQ(filter_strings("Images", "png", 28), (strings{"Images", "*.png", "All files", "*.*"}));
    EXPECT_EQ(filter_strings("Images", "png", 27), (strings{"All files", "*.*"}));
    EXPECT_EQ(filter_strings("Images", "png", 15), (strings{"All files", "*.*"}));
    EXPECT_EQ(filter_strings("Images", "png", 14), (strings{}));
    EXPECT_EQ(filter_strings("Images", "png", 1), (strings{}));
}

TEST(PlatformText, LongExtensionListsEndOnAWholePattern)
{
    std::string extensions;
    for (int i = 0; i < 100; i++) extensions += "abcdefgh;";
    std::vector<std::string> strings = filter_strings("Many", extensions.c_str(), 511);
    ASSERT_EQ(strings.size(), 4u);
    const std::string& patterns = strings[1];
    EXPECT_LT(patterns.size(), 400u);
    EXPECT_GT(patterns.size(), 380u);
    EXPECT_EQ(patterns.size() % 11, 10u) << "only whole \"*.abcdefgh\" items joined by ';'";
    EXPECT_EQ(patterns.substr(patterns.size() - 10), "*.abcdefgh");
}

TEST(PlatformText, ClipboardLineEndsBecomeLineFeeds)
{
    const char* rows[][2] = {
        {"a\r\nb\r\n", "a\nb\n"}, {"a\rb", "a\nb"}, {"\r\r\n\n", "\n\n\n"}, {"plain", "plain"}, {"", ""}, {"\r", "\n"},
    };
    for (const auto& r : rows) {
        std::string text = r[0];
        qel_text_unix_line_ends(text.data());
        EXPECT_STREQ(text.c_str(), r[1]);
    }
}
