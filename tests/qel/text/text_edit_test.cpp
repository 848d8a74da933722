#include "qel/text_edit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/qel_fixture.h"
#include "text/text_lines.h"

// A buffer of the given capacity holding text, as a field owns it.
struct edit_buffer {
    std::vector<char> bytes;
    int32_t length;

    edit_buffer(const std::string& text, int32_t capacity)
        : bytes((size_t)capacity + 1, '#'), length((int32_t)text.size())
    {
        bytes[(size_t)capacity] = '!';  // a canary just past the capacity
        memcpy(bytes.data(), text.c_str(), text.size() + 1);
    }
    int32_t capacity() const { return (int32_t)bytes.size() - 1; }
    std::string text() const { return std::string(bytes.data()); }
    char* data() { return bytes.data(); }
};

// --- Buffer edits ---

TEST(TextEdit, InsertStoresWholeCharactersThatFit)
{
    const std::string euro = "\xE2\x82\xAC", e_acute = "\xC3\xA9";
    const struct {
        std::string text;
        int32_t capacity, offset;
        std::string insert;
        bool multiline;
        std::string expect;
        int32_t stored;
    } cases[] = {
        {"ab", 16, 1, "\r\n", false, "a b", 1},  // CR dropped, LF a space in one line
        {"ab", 16, 1, "\r\n", true, "a\nb", 1},
        {"ab", 16, 1, "\t", false, "a b", 1},
        {"ab", 16, 1, "\t", true, "a\tb", 1},
        {"ab", 16, 2, std::string("x\0y", 3), true, "abxy", 2},  // a NUL neither stored nor ending the text
        {"ab", 5, 2, euro, true, "ab", 0},                      // two bytes of room, a three-byte character
        {"ab", 6, 2, "a" + euro, true, "aba", 1},                // the cut would split the euro sign
        {"ab", 6, 2, euro + "x", true, "ab" + euro, 3},
        {"ab", 6, 2, "\r\r" + euro, true, "ab" + euro, 3},       // carriage returns take no room
        {"ab", 3, 0, "x", true, "ab", 0},                       // full
        {"ab", 16, 0, "", true, "ab", 0},
        {e_acute, 16, 1, "x", true, "x" + e_acute, 1},  // an offset inside a character moves to its start
        {"ab", 16, 99, "c", true, "abc", 1},
        {"ab", 16, -4, "c", true, "cab", 1},
    };
    for (const auto& c : cases) {
        edit_buffer b(c.text, c.capacity);
        int32_t stored = qel_text_insert_raw(b.data(), &b.length, c.capacity, c.offset, c.insert.data(),
                                             (int32_t)c.insert.size(), c.multiline);
        EXPECT_EQ(stored, c.stored) << c.text << " + " << c.insert;
        EXPECT_EQ(b.text(), c.expect) << c.text << " + " << c.insert;
        EXPECT_EQ(b.length, (int32_t)c.expect.size());
        EXPECT_EQ(b.bytes.back(), '!');
    }
    edit_buffer b("ab", 16);
    EXPECT_EQ(qel_text_insert(b.data(), &b.length, 16, 1, "\r\n", 2), 1);  // the public form is multi-line
    EXPECT_EQ(b.text(), "a\nb");
}

TEST(TextEdit, DeleteRemovesWholeCharacters)
{
    const std::string text = "a\xC3\xA9z";  // a, e acute, z
    const struct {
        int32_t from, to;
        std::string expect;
    } cases[] = {{0, 1, "\xC3\xA9z"}, {1, 3, "az"}, {2, 4, "a"}, {1, 2, text}, {3, 1, text}, {-5, 99, ""}};
    for (const auto& c : cases) {
        edit_buffer b(text, 8);
        qel_text_delete(b.data(), &b.length, c.from, c.to);
        EXPECT_EQ(b.text(), c.expect) << c.from << ".." << c.to;
        EXPECT_EQ(b.length, (int32_t)c.expect.size());
    }
}

// --- Words ---

TEST(TextEdit, WordsRunOverAccentsDigitsAndUnderscores)
{
    const std::string text = "caf\xC3\xA9_2 tea-pot. x";  // "café_2 tea-pot. x"
    const char* t = text.c_str();
    const int32_t n = (int32_t)text.size();
    const struct {
        int32_t offset, next, prev;
    } cases[] = {
        {0, 7, 0},     // through the accented letter, digit and underscore
        {3, 7, 0},     // from inside the word
        {7, 11, 0},    // past the blank to the end of "tea"
        {11, 15, 8},   // stops at the hyphen; back to the start of "tea"
        {12, 15, 8},   // back over the hyphen, then "tea"
        {15, 18, 12},  // past ". " to "x"; back to "pot"
        {n, n, 17},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qel_text_next_word(t, n, c.offset), c.next) << c.offset;
        EXPECT_EQ(qel_text_prev_word(t, c.offset), c.prev) << c.offset;
    }
    for (int b = 0; b < 256; b++) {
        bool word = b >= 0x80 || b == '_' || isalnum(b);
        EXPECT_EQ(qel_text_char_class((uint8_t)b), word ? 1 : 0) << b;
    }
}

// --- Undo ---

class TextUndo : public QelTest {
protected:
    void SetUp() override
    {
        QelTest::SetUp();
        fresh(ID);
    }

    // An empty buffer and a new field's state under id.
    void fresh(uint32_t id)
    {
        b = edit_buffer("", 64);
        s = (qel_text_input_state*)qel_state_get(ctx, id, sizeof *s);
        qel_text_state_init(ctx, id, s);
    }

    // One edit as a field makes it: snapshot first, then change the text and move the caret.
    void edit(uint32_t kind, double at, const std::string& after, int32_t caret)
    {
        ctx->clock.time = at;
        qel_text_push_undo(ctx, s, b.data(), kind);
        memcpy(b.data(), after.c_str(), after.size() + 1);
        b.length = (int32_t)after.size();
        s->caret = s->anchor = s->caret_after_edit = caret;
    }

    // Undoes until nothing is left, returning the texts passed through.
    std::vector<std::string> undo_all()
    {
        std::vector<std::string> seen;
        while (qel_text_undo(ctx, s, b.data(), b.capacity(), false)) seen.push_back(b.text());
        return seen;
    }

    static const uint32_t ID = 77;
    edit_buffer b{"", 64};
    qel_text_input_state* s = nullptr;
};

TEST_F(TextUndo, RunsOfOneKindCoalesce)
{
    EXPECT_EQ(s->preferred_x, -1);
    EXPECT_EQ(s->initialised, 1);
    // Each row types "a", "b", "c" (or as the row says) and counts the undo steps.
    const struct {
        const char* what;
        uint32_t kinds[3];
        double times[3];
        int32_t caret_jump;  // added to the caret before the third edit
        size_t steps;
    } cases[] = {
        {"three letters within a second", {1, 1, 1}, {2.0, 2.3, 2.9}, 0, 1},
        {"a pause of a second", {1, 1, 1}, {2.0, 2.5, 3.5}, 0, 2},
        {"the caret moved", {1, 1, 1}, {2.0, 2.3, 2.6}, -1, 2},
        {"typing, then deleting", {1, 1, 2}, {2.0, 2.3, 2.6}, 0, 2},
        {"other edits never coalesce", {3, 3, 3}, {2.0, 2.1, 2.2}, 0, 3},
    };
    uint32_t id = ID;
    for (const auto& c : cases) {
        fresh(++id);
        edit(c.kinds[0], c.times[0], "a", 1);
        edit(c.kinds[1], c.times[1], "ab", 2);
        s->caret += c.caret_jump;
        edit(c.kinds[2], c.times[2], "abc", 3);
        EXPECT_EQ(undo_all().size(), c.steps) << c.what;
        EXPECT_EQ(b.text(), "") << c.what;
    }
}

TEST_F(TextUndo, UndoAndRedoRoundTrip)
{
    edit(3, 1.0, "tea", 3);
    edit(3, 2.0, "green tea", 9);
    ASSERT_EQ(qel_text_undo(ctx, s, b.data(), b.capacity(), false), 1);
    EXPECT_EQ(b.text(), "tea");
    EXPECT_EQ(s->caret, 3);  // where it was before the edit
    EXPECT_EQ(s->anchor, 3);
    ASSERT_EQ(qel_text_undo(ctx, s, b.data(), b.capacity(), true), 1);
    EXPECT_EQ(b.text(), "green tea");
    EXPECT_EQ(s->caret, 9);
    EXPECT_EQ(qel_text_undo(ctx, s, b.data(), b.capacity(), true), 0);  // nothing more to redo
    EXPECT_EQ(undo_all(), (std::vector<std::string>{"tea", ""}));
    EXPECT_EQ(qel_text_undo(ctx, s, b.data(), b.capacity(), false), 0);
    // A new edit after undoing drops the redo steps.
    edit(3, 5.0, "black", 5);
    EXPECT_EQ(qel_text_undo(ctx, s, b.data(), b.capacity(), true), 0);
    EXPECT_EQ(undo_all(), (std::vector<std::string>{""}));
}

TEST_F(TextUndo, KeepsTheLatest48Snapshots)
{
    for (int i = 1; i <= 60; i++) edit(3, i, std::to_string(i), 1);
    EXPECT_EQ(s->undo_count, QEL_TEXT_UNDO_DEPTH);
    std::vector<std::string> seen = undo_all();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), "59");
    EXPECT_EQ(seen.back(), "13");  // older texts are gone
    EXPECT_EQ(s->undo_count, QEL_TEXT_UNDO_DEPTH);
}

TEST_F(TextUndo, RestoreIsCutAtAWholeCharacter)
{
    edit(3, 1.0, "ab\xE2\x82\xAC", 5);  // "ab€"
    edit(3, 2.0, "", 0);
    char small[5];  // room for four bytes: "ab" and not the euro sign's first two
    memcpy(small, "", 1);
    ASSERT_EQ(qel_text_undo(ctx, s, small, 5, false), 1);
    EXPECT_STREQ(small, "ab");
    EXPECT_EQ(s->caret, 2);
}

TEST_F(TextUndo, SnapshotsAreFreedWithTheState)
{
    for (int i = 1; i <= 5; i++) edit(3, i, std::string(50, (char)(0x60 + i)), 1);
    int64_t with_snapshots = counter.live;
    for (int f = 0; f < 400; f++) next_frame();  // nobody touches the field: it is collected
    EXPECT_LT(counter.live, with_snapshots - 4);
    EXPECT_EQ(qel_state_find(ctx, ID, sizeof *s, false), nullptr);
}

// --- Lines ---

class TextLines : public QelTest {};

TEST_F(TextLines, LinesCoverTheTextAndEndWithAnEmptyLineAfterALineFeed)
{
    const char* texts[] = {"", "one", "one\n", "one\ntwo\n\n", "\n"};
    for (const char* t : texts) {
        qel_text_line* lines = nullptr;
        int32_t n = qel_text_build_lines(ctx, QEL_FONT_BODY, 13, t, (int32_t)strlen(t), 500, &lines);
        int32_t feeds = (int32_t)std::count(t, t + strlen(t), '\n');
        EXPECT_EQ(n, feeds + 1) << t;
        EXPECT_EQ(lines[n - 1].end, (int32_t)strlen(t)) << t;
        EXPECT_EQ(lines[0].start, 0);
    }
}

TEST_F(TextLines, SoftBreaksKeepTheirBlanksOnTheLineBefore)
{
    std::string text = "tea  pot kettle\ncup";
    qel_text_line* lines = nullptr;
    float one_word = qel_text_width(ctx, QEL_FONT_BODY, 13, "kettle", 6, 0);
    int32_t n = qel_text_build_lines(ctx, QEL_FONT_BODY, 13, text.c_str(), (int32_t)text.size(), one_word + 1, &lines);
    ASSERT_EQ(n, 4);
    const int32_t starts[] = {0, 5, 9, 16}, ends[] = {5, 9, 15, 19};
    for (int32_t i = 0; i < n; i++) {
        EXPECT_EQ(lines[i].start, starts[i]) << i;
        EXPECT_EQ(lines[i].end, ends[i]) << i;
    }
    // A caret at a soft break stands on the next line; before a line feed, on its own line.
    const struct {
        int32_t offset, line;
    } cases[] = {{0, 0}, {4, 0}, {5, 1}, {9, 2}, {15, 2}, {16, 3}, {19, 3}, {99, 3}};
    for (const auto& c : cases) EXPECT_EQ(qel_text_line_index(lines, n, c.offset), c.line) << c.offset;
    EXPECT_EQ(qel_text_line_index(lines, 0, 0), -1);
    // A width that is no number at all wraps as the narrowest one does.
    qel_text_line* narrow = nullptr;
    EXPECT_EQ(qel_text_build_lines(ctx, QEL_FONT_BODY, 13, "ab", 2, NAN, &narrow), 2);
}

TEST_F(TextLines, KeptTablesMatchAWholeWrapAfterEveryEdit)
{
    // Random edits of a text of short paragraphs, blank runs and a long word; after each one the
    // table built from the last matches one built from nothing, line for line.
    const char* pieces[] = {"tea ", "pot ", "  ", "\n", "\n\n", "caf\xC3\xA9 ", "kettlekettlekettlekettle", "x"};
    std::string text;
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    };
    qel_text_lines_cache cache = {};
    for (int round = 0; round < 400; round++) {
        size_t at = text.empty() ? 0 : next((uint32_t)text.size() + 1);
        while (at > 0 && at < text.size() && ((uint8_t)text[at] & 0xC0) == 0x80) at--;
        if (next(3) == 0 && !text.empty()) {
            size_t to = std::min(text.size(), at + 1 + next(12));
            while (to < text.size() && ((uint8_t)text[to] & 0xC0) == 0x80) to++;
            text.erase(at, to - at);
        } else {
            text.insert(at, pieces[next(8)]);
        }
        float width = round % 50 == 49 ? 90.0f : 140.0f;  // now and then the width changes too
        qel_text_line *kept = nullptr, *whole = nullptr;
        const char* t = text.c_str();
        int32_t length = (int32_t)text.size();
        int32_t n = qel_text_lines_build(ctx, &cache, QEL_FONT_BODY, 13, t, length, width, &kept);
        int32_t m = qel_text_build_lines(ctx, QEL_FONT_BODY, 13, t, length, width, &whole);
        ASSERT_EQ(n, m) << round << ": " << text;
        for (int32_t i = 0; i < n; i++) {
            ASSERT_EQ(kept[i].start, whole[i].start) << round << " line " << i;
            ASSERT_EQ(kept[i].end, whole[i].end) << round << " line " << i;
            ASSERT_EQ(kept[i].width, whole[i].width) << round << " line " << i;
        }
        next_frame();
    }
    qel_text_lines_release(ctx, &cache);
}
