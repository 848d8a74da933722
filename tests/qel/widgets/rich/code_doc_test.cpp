// The code document: inserting within the buffer's capacity, finding with wrap-around, Enter
// and Tab with their indentation rules, typing a closing brace, words, columns and the comment
// state, each on small texts whose caret ("|") and anchor ("^") are marked in the text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "qel/code_doc.h"
#include "qel/qel.h"

// A document over a buffer of the test's, its caret and anchor read from markers.
struct doc_rig {
    qel_headless h;
    qel_text_input_state edit = {};
    int32_t column = -1;
    char find[QEL_CODE_FIND_MAX + 1] = {};
    std::string buffer;
    qel_code_doc doc = {};

    explicit doc_rig(const std::string& marked, int64_t capacity = 256, int32_t tab_width = 4, bool tabs = false)
    {
        std::string text;
        int32_t caret = -1, anchor = -1;
        for (char c : marked) {
            if (c == '|') caret = (int32_t)text.size();
            else if (c == '^') anchor = (int32_t)text.size();
            else text += c;
        }
        if (caret < 0) caret = 0;
        buffer.assign((size_t)std::min<int64_t>(capacity, 4096), '\0');
        memcpy(buffer.data(), text.data(), text.size());
        edit.caret = caret;
        edit.anchor = anchor < 0 ? caret : anchor;
        qel_text_state_init(h.ctx, 0xD0C, &edit);
        doc = {h.ctx, &edit, &column, find, buffer.data(), capacity, (int32_t)text.size(), nullptr, 0, 0,
               tab_width, (uint8_t)tabs, 0, 0, 0, 0, 0};
        qel_code_doc_index_lines(&doc);
    }
    ~doc_rig()
    {
        for (char*& snapshot : edit.undo_text) qel_mem_free(h.ctx, snapshot);
    }
    doc_rig(const doc_rig&) = delete;
    doc_rig& operator=(const doc_rig&) = delete;

    // The text with its markers, the anchor's only when there is a selection.
    std::string marked() const
    {
        std::string out;
        for (int32_t i = 0; i <= doc.length; i++) {
            if (i == edit.anchor && edit.anchor != edit.caret) out += '^';
            if (i == edit.caret) out += '|';
            if (i < doc.length) out += doc.text[i];
        }
        return out;
    }
};

TEST(CodeDoc, InsertKeepsWithinTheCapacity)
{
    doc_rig r("abcdefgh|", 10);
    EXPECT_EQ(qel_code_doc_insert(&r.doc, 8, 8, "i", 1, QEL_EDIT_TYPING), 1) << "9 bytes and the terminator fit";
    EXPECT_EQ(qel_code_doc_insert(&r.doc, 9, 9, "j", 1, QEL_EDIT_TYPING), 0);
    EXPECT_EQ(r.doc.refused, 1);
    EXPECT_EQ(r.marked(), "abcdefghi|");
    EXPECT_EQ(qel_code_doc_insert(&r.doc, 0, 2, "\r\nX\r\n", 5, QEL_EDIT_OTHER), 0) << "10 bytes and the terminator";
    EXPECT_EQ(qel_code_doc_insert(&r.doc, 0, 3, "\r\nX\r\n", 5, QEL_EDIT_OTHER), 1)
        << "three stored bytes for three: carriage returns are not counted";
    EXPECT_EQ(r.marked(), "\nX\n|defghi");
    EXPECT_EQ(r.doc.line_count, 3);
    EXPECT_EQ(r.doc.longest_line, 6);
    EXPECT_EQ(qel_text_undo(r.h.ctx, &r.edit, r.doc.text, 10, false), 1);
    EXPECT_STREQ(r.doc.text, "abcdefghi");
}

// Start and end come ordered and clamped; the caret follows the bytes really stored.
TEST(CodeDoc, InsertOrdersClampsAndCountsStoredBytes)
{
    struct insert_case {
        const char* before;
        int32_t start, end;
        const char* bytes;
        int32_t count;
        const char* after;
    };
    static const insert_case cases[] = {
        {"abc", 3, 1, "X", 1, "aX|"},
        {"abc", -5, 99, "", 0, "|"},
        {"abc", 99, 99, "d", 1, "abcd|"},
        {"abc", 1, 1, "x\0y", 3, "axy|bc"},
        {"abc", 1, 1, "\r", 1, "|abc"},  // nothing stored, nothing moved
    };
    for (const insert_case& c : cases) {
        doc_rig r(c.before);
        qel_code_doc_insert(&r.doc, c.start, c.end, c.bytes, c.count, QEL_EDIT_OTHER);
        EXPECT_EQ(r.marked(), c.after) << c.before << " " << c.start << ".." << c.end;
    }
    doc_rig huge("ab|", (int64_t)1 << 40);
    EXPECT_EQ(qel_code_doc_insert(&huge.doc, 2, 2, "c", 1, QEL_EDIT_TYPING), 1) << "a capacity past 2^31";
    EXPECT_EQ(huge.marked(), "abc|");
    doc_rig locked("ab|");
    locked.doc.read_only = 1;
    EXPECT_EQ(qel_code_doc_insert(&locked.doc, 0, 2, "x", 1, QEL_EDIT_OTHER), 0);
    EXPECT_EQ(locked.doc.refused, 0);
}

TEST(CodeDoc, FindWrapsBothWays)
{
    doc_rig r("Tea tea TEA");
    strcpy(r.find, "tEa");
    qel_code_doc_find(&r.doc, 9, 1);
    EXPECT_EQ(r.marked(), "^Tea| tea TEA") << "forward from past the last match wraps to the first";
    qel_code_doc_find(&r.doc, 0, 0);
    EXPECT_EQ(r.marked(), "Tea tea ^TEA|") << "backward from the first wraps to the last";
    EXPECT_EQ(r.doc.center_caret, 1);
    qel_code_doc_find(&r.doc, 1, 1);
    EXPECT_EQ(r.marked(), "Tea ^tea| TEA");
    qel_code_doc_find(&r.doc, 50, 0);
    EXPECT_EQ(r.marked(), "Tea tea ^TEA|") << "from beyond the end, backward from the last start";
    strcpy(r.find, "coffee");
    qel_code_doc_find(&r.doc, 0, 1);
    EXPECT_EQ(r.marked(), "Tea tea ^TEA|") << "no match changes nothing";
    EXPECT_EQ(qel_code_doc_match_at("ab", 2, 1, "b", 1), 1);
    EXPECT_EQ(qel_code_doc_match_at("ab", 2, 1, "bc", 2), 0);
    EXPECT_EQ(qel_code_doc_match_at("ab", 2, -1, "a", 1), 0);
    EXPECT_EQ(qel_code_doc_match_at("ab", 2, 0, "", 0), 0);
}

enum doc_action { ENTER, TAB, SHIFT_TAB, TYPE };

struct edit_case {
    const char* before;
    doc_action action;
    uint8_t style;
    const char* typed;
    const char* after;
    bool tabs;
};

TEST(CodeDoc, EnterTabAndTypingFollowTheIndentRules)
{
    static const edit_case cases[] = {
        {"  if (x) {|}", ENTER, 1, nullptr, "  if (x) {\n      |\n  }", false},
        {"  if (x) {|   }", ENTER, 1, nullptr, "  if (x) {\n      |\n  }", false},
        {"\tf(|)", ENTER, 1, nullptr, "\tf(\n\t\t|\n\t)", true},
        {"  a = [|", ENTER, 1, nullptr, "  a = [\n      |", false},
        {"  x|", ENTER, 1, nullptr, "  x\n  |", false},
        {"    |  x", ENTER, 1, nullptr, "    \n    |  x", false},
        {"def f():|", ENTER, 2, nullptr, "def f():\n    |", false},
        {"  {|}", ENTER, 0, nullptr, "  {\n  |}", false},
        {"  a ^b| c", ENTER, 0, nullptr, "  a \n  | c", false},
        {"^a\nb\n|c", TAB, 0, nullptr, "    ^a\n    b\n|c", false},
        {"a\n\n|b", TAB, 0, nullptr, "a\n\n    |b", false},
        {"^  a\n\tb\n      c|", SHIFT_TAB, 0, nullptr, "^a\nb\n  c|", false},
        {"  |a", SHIFT_TAB, 0, nullptr, "|a", false},
        {"x\n a|", SHIFT_TAB, 0, nullptr, "x\na|", false},
        {"a|", SHIFT_TAB, 0, nullptr, "a|", false},
        {"    |", TYPE, 1, "}", "}|", false},
        {"      |", TYPE, 1, "}", "  }|", false},
        {"\t\t|", TYPE, 1, "}", "\t}|", false},
        {"  x |", TYPE, 1, "}", "  x }|", false},
        {"    |", TYPE, 0, "}", "    }|", false},
        {"a^bc|d", TYPE, 1, "}", "a}|d", false},
    };
    for (const edit_case& c : cases) {
        doc_rig r(c.before, 256, 4, c.tabs);
        if (c.action == ENTER) qel_code_doc_newline(&r.doc, c.style);
        if (c.action == TAB || c.action == SHIFT_TAB) qel_code_doc_indent_lines(&r.doc, c.action == SHIFT_TAB);
        if (c.action == TYPE) qel_code_doc_type(&r.doc, c.typed, (int32_t)strlen(c.typed), c.style);
        EXPECT_EQ(r.marked(), c.after) << c.before;
    }
    // Lines are indented byte for byte, whatever they hold: one opening with a stray continuation
    // byte keeps the line feed before it, and a carriage return stays.
    doc_rig stray("^a\n\xA3" "b\r|", 256, 2);
    qel_code_doc_indent_lines(&stray.doc, false);
    EXPECT_EQ(std::string(stray.doc.text, (size_t)stray.doc.length), "  a\n  \xA3" "b\r");
    EXPECT_EQ(stray.doc.line_count, 2);
    // A tab width past the largest indents by the largest.
    doc_rig wide("|a", 256, 40);
    qel_code_doc_indent_lines(&wide.doc, false);
    EXPECT_EQ(wide.marked(), std::string(QEL_CODE_MAX_TAB_WIDTH, ' ') + "|a");
}

TEST(CodeDoc, WordsColumnsAndLines)
{
    doc_rig r("x\tyz  é!\n\nab");
    struct word_case {
        int32_t at, start, end;
    };
    static const word_case words[] = {{0, 0, 1}, {2, 2, 4}, {4, 4, 6}, {6, 6, 8}, {8, 8, 9},
                                      {9, 8, 9}, {10, 10, 10}, {11, 11, 13}, {13, 11, 13}};
    for (const word_case& w : words) {
        int32_t start = -1, end = -1;
        qel_code_doc_word_bounds(&r.doc, w.at, &start, &end);
        EXPECT_EQ(start, w.start) << w.at;
        EXPECT_EQ(end, w.end) << w.at;
    }
    struct column_case {
        int32_t line;
        float column;
        int32_t offset;
    };
    static const column_case columns[] = {{0, 0.4f, 0}, {0, 0.6f, 1}, {0, 2.4f, 1}, {0, 2.6f, 2}, {0, 4.4f, 2},
                                          {0, 4.6f, 3}, {0, 99, 9},   {-3, 1, 1},   {1, 5, 10},   {9, 1, 12}};
    for (const column_case& c : columns)
        EXPECT_EQ(qel_code_doc_column_to_offset(&r.doc, c.line, c.column), c.offset) << c.line << ":" << c.column;
    EXPECT_EQ(qel_code_doc_column_of(&r.doc, 3), 5);
    EXPECT_EQ(r.doc.line_count, 3);
    EXPECT_EQ(r.doc.line_starts[3], r.doc.length + 1);
    for (int32_t offset : {0, 9, 10, 11, 13})
        EXPECT_EQ(qel_code_doc_line_of(&r.doc, offset), offset < 10 ? 0 : offset < 11 ? 1 : 2);
    EXPECT_EQ(qel_code_doc_line_indent("  a\n\t\n", r.doc.line_starts, 0), 2);
}

TEST(CodeDoc, CommentStateOfPartOfALine)
{
    qel_code_lang c = qel_code_language("c"), js = qel_code_language("js");
    struct state_case {
        const qel_code_lang* lang;
        const char* text;
        uint8_t state, expected;
    };
    const state_case cases[] = {
        {&c, "a /* b", 0, 1},     {&c, "a /* b */", 0, 0},  {&c, "x */ y", 1, 0},  {&c, "x * / y", 1, 1},
        {&c, "// /* no", 0, 0},   {&c, "\"/*\" x", 0, 0},    {&c, "'/*", 0, 0},     {&c, "/*/", 0, 0},
        {&c, "a b", 0, 0},        {&js, "`/*` /*", 0, 1},    {&c, "`/*`", 0, 1},    {&c, "\"\\\"/*\" /*", 0, 1},
    };
    for (const state_case& s : cases)
        EXPECT_EQ(qel_code_doc_comment_state(s.lang, s.text, 0, (int32_t)strlen(s.text), s.state), s.expected)
            << s.text;
}
