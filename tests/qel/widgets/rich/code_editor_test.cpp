// The code editor driven as a user drives it: typing and smart indentation, motion with Shift and
// Ctrl, mouse selection by word and line, Backspace to a tab stop, cutting a whole line, undo and
// redo, the find bar's count, go-to, read-only mode, a full buffer, a buffer the caller shortens,
// and a very long line drawn to its end.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "qel/code_editor.h"
#include "qel/qel.h"
#include "support/qel_inspect.h"
#include "support/widget_rig.h"

namespace {

constexpr int32_t editor_letter(char c)
{
    return QEL_KEY_A + (c - 'A');
}

// A clipboard the editor writes and reads.
struct editor_clipboard {
    std::string text;
    static void set(void* user, const char* utf8) { ((editor_clipboard*)user)->text = utf8; }
    static const char* get(void* user) { return ((editor_clipboard*)user)->text.c_str(); }
};

struct editor_rig {
    widget_rig rig{640, 400};
    std::vector<char> buffer;
    qel_code_editor_opts opts = {};
    qel_code_editor_result result = {};
    editor_clipboard clipboard;

    explicit editor_rig(const char* text, int32_t capacity = 256, const char* language = "c")
    {
        buffer.assign((size_t)capacity, '\0');
        memcpy(buffer.data(), text, std::min(strlen(text), (size_t)capacity));
        opts.language = language;
        opts.autofocus = 1;
        qel_platform p = {};
        p.user = &clipboard;
        p.set_clipboard = editor_clipboard::set;
        p.get_clipboard = editor_clipboard::get;
        qel_ctx_set_platform(rig.h.ctx, &p);
        rig.h.ui = [this](qel_context* ctx) {
            result = qel_code_editor(ctx, "ed", buffer.data(), (int32_t)buffer.size(), &opts);
        };
        rig.h.run(2);
    }
    std::string text() const { return buffer.data(); }
    void tap(int32_t key, uint32_t mods = 0)
    {
        rig.h.tap(key, mods);
        rig.h.run();
    }
    void type(const char* utf8)
    {
        rig.h.type(utf8);
        rig.h.run();
    }
    void select(int32_t anchor, int32_t caret)
    {
        qel_code_editor_set_selection(rig.h.ctx, "ed", anchor, caret);
        rig.h.run();
    }
    // The point of a line (from 0) and visual column in the text area.
    qel_vec2 point(int32_t line, float column)
    {
        qel_rect r = rig.h.rect(qel_id(rig.h.ctx, "ed") ^ 0xed1b0d1);
        float cw = qel_text_width(rig.h.ctx, QEL_FONT_MONO, 13, "0000000000000000", 16, 0) / 16;
        float gutter = 2 * cw + 26;
        return {r.x + gutter + 8 + column * cw, r.y + 6 + ((float)line + 0.5f) * roundf(1.6f * 13)};
    }
    void press_at(qel_vec2 p)
    {
        rig.h.move(p.x, p.y);
        rig.h.run();
        rig.h.button(0, true);
        rig.h.run();
    }
    void release()
    {
        rig.h.button(0, false);
        rig.h.run();
    }
};

}  // namespace

TEST(CodeEditor, TypingIndentsAndOutdents)
{
    editor_rig e("int f() {}");
    e.select(9, 9);
    e.tap(QEL_KEY_ENTER);
    EXPECT_EQ(e.text(), "int f() {\n    \n}");
    EXPECT_EQ(e.result.line, 2);
    EXPECT_EQ(e.result.column, 5);
    e.type("x;");
    e.tap(QEL_KEY_ENTER);
    e.type("}");
    EXPECT_EQ(e.text(), "int f() {\n    x;\n}\n}");
    EXPECT_TRUE(e.result.changed);
    e.tap(QEL_KEY_Z, QEL_MOD_CTRL);
    EXPECT_EQ(e.text(), "int f() {\n    x;\n    \n}") << "the brace and its outdent are one step";
    e.tap(QEL_KEY_Z, QEL_MOD_CTRL | QEL_MOD_SHIFT);
    EXPECT_EQ(e.text(), "int f() {\n    x;\n}\n}");
    e.tap(QEL_KEY_Z, QEL_MOD_CTRL);
    e.tap(editor_letter('Y'), QEL_MOD_CTRL);
    EXPECT_EQ(e.text(), "int f() {\n    x;\n}\n}");
}

TEST(CodeEditor, MotionWithShiftAndCtrl)
{
    editor_rig e("alpha beta\n  gamma");
    e.select(0, 0);
    e.tap(QEL_KEY_RIGHT, QEL_MOD_CTRL);
    EXPECT_EQ(e.result.caret, 5);
    e.tap(QEL_KEY_RIGHT, QEL_MOD_CTRL | QEL_MOD_SHIFT);
    EXPECT_EQ(e.result.anchor, 5);
    EXPECT_EQ(e.result.caret, 10);
    e.tap(QEL_KEY_LEFT);
    EXPECT_EQ(e.result.caret, 5) << "collapses to the selection's left end";
    e.tap(QEL_KEY_DOWN);
    EXPECT_EQ(e.result.line, 2);
    EXPECT_EQ(e.result.column, 6);
    e.tap(QEL_KEY_HOME);
    EXPECT_EQ(e.result.caret, 13) << "the first non-blank";
    e.tap(QEL_KEY_HOME);
    EXPECT_EQ(e.result.caret, 11) << "then the line's start";
    e.tap(QEL_KEY_END, QEL_MOD_CTRL | QEL_MOD_SHIFT);
    EXPECT_EQ(e.result.anchor, 11);
    EXPECT_EQ(e.result.caret, 18);
    e.tap(QEL_KEY_UP);
    e.tap(QEL_KEY_UP);
    EXPECT_EQ(e.result.caret, 0) << "above the first line";
}

TEST(CodeEditor, MouseSelectsByWordAndLine)
{
    editor_rig e("one two three\nfour");
    qel_vec2 two = e.point(0, 5.2f);
    e.press_at(two);
    e.release();
    EXPECT_EQ(e.result.caret, 5);
    e.press_at(two);
    EXPECT_EQ(e.result.anchor, 4);
    EXPECT_EQ(e.result.caret, 7);
    e.rig.h.move(e.point(0, 9).x, two.y);
    e.rig.h.run();
    EXPECT_EQ(e.result.anchor, 4) << "dragging extends by whole words";
    EXPECT_EQ(e.result.caret, 13);
    e.rig.h.move(e.point(0, 1).x, two.y);
    e.rig.h.run();
    EXPECT_EQ(e.result.anchor, 7) << "before the first word the anchor is its end";
    EXPECT_EQ(e.result.caret, 0);
    e.release();
    qel_vec2 gutter = e.point(1, 0);
    gutter.x -= 20;
    e.press_at(gutter);
    e.release();
    EXPECT_EQ(e.result.anchor, 14);
    EXPECT_EQ(e.result.caret, 18) << "a press in the gutter selects the line";
}

TEST(CodeEditor, BackspaceToATabStopAndCuttingALine)
{
    editor_rig e("      x\nnext\n");
    e.select(6, 6);
    e.tap(QEL_KEY_BACKSPACE);
    EXPECT_EQ(e.text(), "    x\nnext\n") << "back to column 4";
    e.tap(QEL_KEY_BACKSPACE);
    EXPECT_EQ(e.text(), "x\nnext\n");
    e.tap(editor_letter('X'), QEL_MOD_CTRL);
    EXPECT_EQ(e.text(), "next\n");
    EXPECT_EQ(e.clipboard.text, "x\n") << "the whole line with its line feed";
    e.tap(editor_letter('V'), QEL_MOD_CTRL);
    EXPECT_EQ(e.text(), "x\nnext\n");
}

TEST(CodeEditor, FindCountsOverlappingMatches)
{
    editor_rig e("aaa");
    qel_code_editor_find(e.rig.h.ctx, "ed", "a");
    e.rig.h.run();
    EXPECT_EQ(e.result.match_count, 3);
    EXPECT_EQ(e.result.current_match, 1);
    e.select(1, 2);
    EXPECT_EQ(e.result.current_match, 2);
    EXPECT_NE(node_with_text(e.rig.h.ctx, "2 of 3"), nullptr);
    e.tap(QEL_KEY_ESCAPE);
    EXPECT_EQ(e.result.match_count, 0) << "Escape closes the bar";
    e.tap(editor_letter('F'), QEL_MOD_CTRL);
    EXPECT_EQ(e.result.match_count, 3) << "Ctrl+F opens it on the selection";
    qel_code_editor_find(e.rig.h.ctx, "ed", "zz");
    e.rig.h.run();
    EXPECT_NE(node_with_text(e.rig.h.ctx, "No results"), nullptr);
}

TEST(CodeEditor, GoToLineAndColumn)
{
    struct goto_case {
        const char* typed;
        int32_t line, column;
    };
    static const goto_case cases[] = {
        {"4:2", 4, 2}, {"3:5", 3, 5}, {"3:2", 3, 1}, {"0", 1, 1}, {"-4", 1, 1}, {"99", 4, 1},
        {"12345678901234567890123", 4, 1}, {"2:9", 2, 3},
    };
    for (const goto_case& c : cases) {
        editor_rig e("one\nab\n\tx\nlast");
        e.tap(editor_letter('G'), QEL_MOD_CTRL);
        e.type(c.typed);
        e.tap(QEL_KEY_ENTER);
        EXPECT_EQ(e.result.line, c.line) << c.typed;
        EXPECT_EQ(e.result.column, c.column) << c.typed;
        EXPECT_TRUE(e.result.focused);
    }
    editor_rig e("a\nb\nc");
    qel_code_editor_goto(e.rig.h.ctx, "ed", 2, 2);
    e.rig.h.run();
    EXPECT_EQ(e.result.caret, 3);
    qel_code_editor_goto(e.rig.h.ctx, "ed", 3, INT32_MIN);
    e.rig.h.run();
    EXPECT_EQ(e.result.caret, 4) << "the line's start";
}

TEST(CodeEditor, ReadOnlyMovesAndCopiesButNeverEdits)
{
    editor_rig e("keep this");
    e.opts.read_only = 1;
    e.select(0, 4);
    e.type("x");
    e.tap(QEL_KEY_BACKSPACE);
    e.tap(editor_letter('X'), QEL_MOD_CTRL);
    EXPECT_EQ(e.text(), "keep this");
    EXPECT_EQ(e.clipboard.text, "keep");
    e.tap(QEL_KEY_RIGHT);
    EXPECT_EQ(e.result.caret, 4);
    EXPECT_FALSE(e.result.changed);
}

TEST(CodeEditor, AFullBufferRefusesInsertionsButDeletes)
{
    editor_rig e("abc", 4);
    e.select(3, 3);
    e.type("d");
    EXPECT_TRUE(e.result.refused);
    EXPECT_EQ(e.text(), "abc");
    e.rig.h.run();
    EXPECT_FALSE(e.result.refused) << "for that frame only";
    e.tap(QEL_KEY_BACKSPACE);
    EXPECT_EQ(e.text(), "ab");
}

TEST(CodeEditor, FollowsTheCallersBuffer)
{
    editor_rig e("a long first line");
    e.select(17, 17);
    e.buffer[3] = 0;  // the caller shortens the text between frames
    e.rig.h.run();
    EXPECT_EQ(e.result.caret, 3);
    EXPECT_EQ(e.result.length, 3);
    std::vector<char> unterminated(4, 'z');
    qel_code_editor_result r = {};
    e.rig.h.ui = [&](qel_context* ctx) { r = qel_code_editor(ctx, "ed", unterminated.data(), 4, &e.opts); };
    e.rig.h.run();
    EXPECT_EQ(r.length, 3) << "the last byte becomes the terminator";
    e.rig.h.ui = [&](qel_context* ctx) { r = qel_code_editor(ctx, "ed", nullptr, 0, nullptr); };
    e.rig.h.run();
    EXPECT_EQ(r.length, 0);
    EXPECT_EQ(r.line_count, 1);
}

TEST(CodeEditor, MatchesBrackets)
{
    editor_rig e("f(a[1], {b})");
    e.select(2, 2);
    EXPECT_EQ(e.result.bracket, 1);
    EXPECT_EQ(e.result.matching_bracket, 11);
    e.select(11, 11);
    EXPECT_EQ(e.result.bracket, 10);
    EXPECT_EQ(e.result.matching_bracket, 8);
}

// The tokenizer keeps 256 tokens of a line; the editor draws on to the line's end.
TEST(CodeEditor, DrawsALongLineToItsEnd)
{
    std::string line;
    for (int i = 0; i < 1000; i++) line += "a,b";
    line += ",ZZ";
    editor_rig e(line.c_str(), 4096);
    e.select((int32_t)line.size(), (int32_t)line.size());  // scrolled to the end
    e.rig.h.run();
    qel_color type = qel_color_oklch(0.52f, 0.11f, 200, 1);
    int typed = 0;
    const qel_draw_data& dd = e.rig.h.draw_data();
    for (uint32_t i = 0; i + 3 < dd.vertex_count; i += 4)
        typed += dd.vertices[i].kind == (float)QEL_SHAPE_GLYPH && dd.vertices[i].fill == type;
    EXPECT_EQ(typed, 2);
}

TEST(CodeEditor, ScrollsByWheelPageAndThumb)
{
    std::string text;
    for (int i = 0; i < 200; i++) text += "line " + std::to_string(i) + "\n";
    editor_rig e(text.c_str(), 4096);
    auto* st = (qel_code_editor_state*)qel_state_get(e.rig.h.ctx, qel_id(e.rig.h.ctx, "ed") ^ 0xed17c0de,
                                                    sizeof(qel_code_editor_state));
    float line = roundf(1.6f * 13);
    qel_vec2 inside = e.point(3, 2);
    e.rig.h.move(inside.x, inside.y);
    e.rig.h.run();
    e.rig.h.wheel(0, -2);
    e.rig.h.run();
    EXPECT_FLOAT_EQ((float)st->scroll_y, 6 * line) << "three lines a notch";
    e.tap(QEL_KEY_PAGE_DOWN);
    EXPECT_GT(e.result.line, 10);
    int32_t caret = e.result.caret;
    qel_rect area = e.rig.h.rect(qel_id(e.rig.h.ctx, "ed") ^ 0xed1b0d1);
    e.press_at({area.x + area.w - 5, area.y + area.h - 20});
    EXPECT_GT(st->scroll_y, 100 * line) << "a press low in the bar's zone brings the thumb's middle there";
    e.rig.h.move(area.x + area.w - 5, area.y - 50);
    e.rig.h.run();
    EXPECT_EQ(st->scroll_y, 0) << "dragging it above the track scrolls to the top";
    e.release();
    EXPECT_EQ(e.result.caret, caret) << "the caret stays where it was";
}
