#include "qel/text_units.h"

#include <gtest/gtest.h>

#include <string>

TEST(Utf8, DecodeTakesWhatIsWellFormedAndReplacesTheRest)
{
    const struct {
        std::string bytes;
        int32_t left;  // bytes the decoder may look at
        uint32_t code_point;
        int32_t consumed;
    } cases[] = {
        {"a", 1, 'a', 1},
        {"\xC3", 1, 0xFFFD, 1},
        {"\xC3\xA9", 2, 0xE9, 2},
        {"\xC3\x41", 2, 0xFFFD, 1},
        {"\xE2\x82", 2, 0xFFFD, 1},
        {"\xE2\x82\xAC", 3, 0x20AC, 3},
        {"\xF0\x9F\x98\x80", 4, 0x1F600, 4},
        {"\xF0\x9F\x98\x80", 3, 0xFFFD, 1},
        {"\x80", 1, 0xFFFD, 1},
        {"\xF8\x80\x80\x80", 4, 0xFFFD, 1},
        {"\xC0\x80", 2, 0, 2},         // overlong forms pass as decoded
        {"\xED\xA0\x80", 3, 0xD800, 3},  // and so do surrogates
        {"x", 0, 0, 1},
        {"x", -3, 0, 1},
    };
    for (const auto& c : cases) {
        uint32_t cp = 1234;
        EXPECT_EQ(qel_utf8_decode((const uint8_t*)c.bytes.data(), c.left, &cp), c.consumed) << c.bytes;
        EXPECT_EQ(cp, c.code_point) << c.bytes;
    }
}

TEST(Utf8, EncodeRoundTripsThroughDecode)
{
    for (uint32_t cp : {0x0u, 0x41u, 0x7Fu, 0x80u, 0x7FFu, 0x800u, 0xFFFFu, 0x10000u, 0x10FFFFu}) {
        uint8_t buf[4];
        int32_t n = qel_utf8_encode(cp, buf);
        EXPECT_EQ(n, cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4);
        uint32_t back;
        EXPECT_EQ(qel_utf8_decode(buf, n, &back), n);
        EXPECT_EQ(back, cp);
    }
    uint8_t euro[4];
    ASSERT_EQ(qel_utf8_encode(0x20AC, euro), 3);
    EXPECT_EQ(std::string((char*)euro, 3), "\xE2\x82\xAC");
}

TEST(Utf8, StepsOverWholeCharacters)
{
    const char* text = "a\xC3\xA9";  // a, e acute
    EXPECT_EQ(qel_utf8_prev(text, 3), 1);
    EXPECT_EQ(qel_utf8_prev(text, 1), 0);
    EXPECT_EQ(qel_utf8_prev(text, 0), 0);
    EXPECT_EQ(qel_utf8_next(text, 3, 1), 3);
    EXPECT_EQ(qel_utf8_next(text, 3, 0), 1);
    EXPECT_EQ(qel_utf8_next(text, 3, 3), 3);
    EXPECT_EQ(qel_utf8_next(text, 2, 1), 2);  // never past the length
    EXPECT_EQ(qel_utf8_prev("\x80\x80\x80", 3), 0);
}

TEST(Labels, VisiblePartEndsAtTheFirstDoubleHash)
{
    const struct {
        const char* label;
        int32_t visible;
    } cases[] = {{"Open##file", 4}, {"Open###file", 4}, {"Save", 4}, {"##hidden", 0}, {"#root", 5}, {"", 0},
                 {nullptr, 0}};
    for (auto c : cases) EXPECT_EQ(qel_label_visible_len(c.label), c.visible) << (c.label ? c.label : "null");
}

TEST(Labels, LowersAsciiLettersOnly)
{
    const struct {
        char in, out;
    } cases[] = {{'A', 'a'}, {'Z', 'z'}, {'m', 'm'}, {'@', '@'}, {'[', '['}, {'`', '`'}, {'7', '7'},
                 {'\xC3', '\xC3'}, {'\x89', '\x89'}, {'\0', '\0'}};
    for (auto c : cases) EXPECT_EQ(qel_ascii_lower(c.in), c.out) << (int)(unsigned char)c.in;
}

TEST(Labels, ContainsIgnoresAsciiCaseOnly)
{
    const struct {
        const char* haystack;
        const char* needle;
        bool found;
    } cases[] = {
        {"Hello World", "world", true}, {"Hello World", "WORLD", true}, {"Hello", "", true},
        {"Hello", nullptr, true},       {"", "a", false},               {nullptr, "a", false},
        {"\xC3\x89t\xC3\xA9", "\xC3\xA9t\xC3\xA9", false},  // only ASCII letters fold
        {"abc", "abcd", false},         {"aab", "ab", true},             {"Zebra", "zEB", true},
    };
    for (auto c : cases) EXPECT_EQ(qel_str_contains_nocase(c.haystack, c.needle), c.found) << c.needle;
}
