// The bidirectional algorithm's own cases; Unicode's test data is bidi_vs_unicode.py's.
#include <gtest/gtest.h>

#include <vector>

#include "qel/bidi.h"

namespace {

constexpr uint32_t HEBREW_ALEF = 0x05D0, HEBREW_BET = 0x05D1;

struct paragraph {
    std::vector<qel_bidi_char> chars;
    int level = 0;
    std::vector<uint32_t> visual;
    std::vector<uint8_t> levels;

    paragraph(std::vector<uint32_t> text, int direction)
    {
        for (uint32_t cp : text) chars.push_back({cp, 0, 0, 0, 0});
        level = qel_bidi_resolve_levels(chars.data(), (int)chars.size(), direction);
        visual.resize(chars.size());
        levels.resize(chars.size());
        qel_bidi_reorder(chars.data(), 0, (int)chars.size(), level, visual.data(), levels.data());
    }

    std::vector<int> resolved_levels() const
    {
        std::vector<int> out;
        for (const qel_bidi_char& c : chars) out.push_back(c.level);
        return out;
    }

    std::vector<int> line_levels() const { return std::vector<int>(levels.begin(), levels.end()); }
};

TEST(bidi, resolves_levels)
{
    struct {
        const char* what;
        std::vector<uint32_t> text;
        int direction;
        int paragraph;
        std::vector<int> levels;  // before the line's whitespace is reset
    } cases[] = {
        {"no strong letter", {'1', ' ', '!'}, -1, 0, {0, 0, 0}},
        {"digits, a space, Hebrew", {'1', ' ', HEBREW_ALEF}, -1, 1, {2, 1, 1}},
        {"Latin, digits, Hebrew", {'a', ' ', '1', ' ', HEBREW_ALEF}, 0, 0, {0, 0, 0, 0, 1}},
        {"Hebrew, digits", {HEBREW_ALEF, ' ', '1'}, 0, 0, {1, 1, 2}},
        {"parenthesised Latin among Latin", {'a', '(', 'b', ')', 'c'}, 1, 1, {2, 2, 2, 2, 2}},
        {"parenthesised Latin after Hebrew", {HEBREW_ALEF, '(', 'b', ')'}, 1, 1, {1, 1, 2, 1}},
        {"parenthesised Hebrew", {'a', '(', HEBREW_ALEF, ')'}, 1, 1, {2, 1, 1, 1}},
        {"an embedding is BN at its predecessor's level", {HEBREW_ALEF, 0x202B, 'a'}, 0, 0, {1, 1, 0}},
    };
    for (const auto& c : cases) {
        paragraph p(c.text, c.direction);
        EXPECT_EQ(p.level, c.paragraph) << c.what;
        EXPECT_EQ(p.resolved_levels(), c.levels) << c.what;
    }
}

TEST(bidi, resets_separators_and_the_whitespace_before_them)
{
    // The space and the tab between Hebrew letters resolve to R; on the line the tab, and the
    // space before it, take the paragraph's level.
    paragraph p({HEBREW_ALEF, ' ', '\t', HEBREW_BET, ' ', 0x202B}, 0);
    EXPECT_EQ(p.resolved_levels(), (std::vector<int>{1, 1, 1, 1, 0, 0}));
    EXPECT_EQ(p.line_levels(), (std::vector<int>{1, 0, 0, 1, 0, 0}));
    EXPECT_EQ(p.visual, (std::vector<uint32_t>{0, 1, 2, 3, 4, 5}));
}

TEST(bidi, reverses_runs_of_a_line_counted_from_the_paragraph)
{
    paragraph p({'a', ' ', HEBREW_ALEF, HEBREW_BET, ' '}, 0);
    EXPECT_EQ(p.visual, (std::vector<uint32_t>{0, 1, 3, 2, 4}));
    std::vector<uint32_t> visual(2);
    std::vector<uint8_t> levels(2);
    qel_bidi_reorder(p.chars.data(), 2, 2, p.level, visual.data(), levels.data());
    EXPECT_EQ(visual, (std::vector<uint32_t>{3, 2}));
}

TEST(bidi, stops_pairing_brackets_past_sixty_three)
{
    // In a right-to-left paragraph, brackets around Latin after Latin become L; 64 openers
    // overflow the stack, after which the same brackets resolve as neutrals between L and R.
    std::vector<uint32_t> text = {'a'};
    for (int i = 0; i < 63; i++) text.push_back('(');
    text.insert(text.end(), {'b', ')', HEBREW_ALEF});
    paragraph paired(text, 1);
    EXPECT_NE(paired.chars[63].partner, -1);
    EXPECT_EQ(paired.chars[63].level, 2);

    text.insert(text.begin() + 1, '(');
    paragraph overflowing(text, 1);
    for (const qel_bidi_char& c : overflowing.chars) EXPECT_EQ(c.partner, -1);
    EXPECT_EQ(overflowing.chars[64].level, 2);  // "(" between "(" ... "a" and "b": L on both sides
    EXPECT_EQ(overflowing.chars[66].level, 1);  // ")" between "b" and Hebrew
}

TEST(bidi, handles_empty_paragraphs)
{
    qel_bidi_char c = {'a', 7, 7, 7, 7};
    EXPECT_EQ(qel_bidi_resolve_levels(&c, 0, -1), 0);
    EXPECT_EQ(qel_bidi_resolve_levels(&c, 0, 1), 1);
    EXPECT_EQ(c.partner, 7);
    uint32_t visual = 9;
    qel_bidi_reorder(&c, 0, 0, 0, &visual, nullptr);
    EXPECT_EQ(visual, 9u);
}

TEST(bidi, mirrors_on_odd_levels_both_ways)
{
    struct {
        uint32_t cp;
        int level;
        uint32_t shown;
    } cases[] = {
        {'(', 1, ')'}, {')', 1, '('}, {'(', 2, '('}, {'<', 3, '>'}, {0x2208, 1, 0x220B}, {0x220B, 1, 0x2208},
        {'a', 1, 'a'}, {0x1D6DB, 1, 0x1D6DB},
    };
    for (const auto& c : cases) EXPECT_EQ(qel_bidi_mirror(c.cp, c.level), c.shown) << std::hex << c.cp;
}

TEST(bidi, gives_the_direction_of_letters)
{
    EXPECT_EQ(qel_bidi_direction('a'), 0);
    EXPECT_EQ(qel_bidi_direction(HEBREW_ALEF), 1);
    EXPECT_EQ(qel_bidi_direction(0x0627), 1);
    EXPECT_EQ(qel_bidi_direction('1'), -1);
    EXPECT_EQ(qel_bidi_direction(0x10FFFF), -1);
}

}  // namespace
