// The terminal driven over scripted frames: soft wrapping with selection and copy across wrapped
// rows, submitting and the history, Ctrl+C with and without a selection, Ctrl+L, following the
// end; and the colours its stored sequences give.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qel/qel.h"
#include "rich_rig.h"
#include "widgets/rich/terminal_style.h"

namespace {

struct term_rig : clipboard_rig {
    std::vector<char> text;
    std::vector<qel_terminal_line> records;
    qel_terminal_buffer buffer = {};
    qel_terminal_opts opts = {};
    std::vector<std::string> submitted;
    int interrupts = 0;

    explicit term_rig(float width = 500, float height = 300, uint32_t mode = QEL_THEME_LIGHT)
        : clipboard_rig(width, height, mode), text(1 << 16), records(1024)
    {
        qel_terminal_init(&buffer, text.data(), (uint32_t)text.size(), records.data(), 1024);
        opts.height = -1;
        rig.h.ui = [this](qel_context* ctx) {
            qel_terminal_result r = qel_terminal(ctx, "term", &buffer, &opts);
            if (r.submitted) submitted.push_back(r.submitted);
            interrupts += r.interrupted;
        };
        rig.h.run(2);
    }
    uint32_t id() { return qel_id(rig.h.ctx, "term"); }
    uint32_t view() { return id() ^ 0x7e2du; }
    uint32_t input() { return qel_hash_str("#term-input", id()); }
    double scroll() { return *(double*)qel_state_get(rig.h.ctx, id(), sizeof(double)); }
    float cell() { return qel_text_width(rig.h.ctx, QEL_FONT_MONO, 13, "0", 1, 0); }
    float row() { return ceilf(13 * 1.45f); }
    void write(const char* bytes) { qel_terminal_write(&buffer, bytes, -1); }
    std::vector<std::string> lines()
    {
        std::vector<std::string> out;
        for (int32_t i = 0; i < buffer.count; i++) {
            const qel_terminal_line& l = buffer.lines[(buffer.head + i) % buffer.line_capacity];
            out.emplace_back(buffer.text + l.start, l.length);
        }
        return out;
    }
    // A drag over the view from one cell to another (row from the top of the view, column).
    void drag(int row0, int col0, int row1, int col1)
    {
        qel_rect v = rig.h.rect(view());
        auto x = [&](int c) { return v.x + 10 + (float)c * cell(); };
        auto y = [&](int r) { return v.y + 6 + ((float)r + 0.5f) * row(); };
        rig.h.move(x(col0), y(row0));
        rig.h.button(0, true);
        rig.h.run();
        rig.h.move(x(col1), y(row1));
        rig.h.run();
        rig.h.button(0, false);
        rig.h.run();
    }
    void enter(const char* command)
    {
        rig.h.type(command);
        rig.h.run();
        rig.h.tap(QEL_KEY_ENTER);
    }
};

TEST(Terminal, WrapsLongLinesAndCopiesAcrossWrappedRows)
{
    term_rig t;
    t.opts.width = {QEL_SIZE_FIXED, 80};
    t.write("first\nabcdefghijklmnopqrst\nlast");
    t.rig.h.run(2);
    t.drag(1, 2, 3, 3);
    EXPECT_EQ(t.rig.h.ctx->interaction.focused, t.input()) << "the release hands the keyboard to the input";
    t.rig.h.tap(QEL_KEY_A + 2, QEL_MOD_CTRL);
    t.rig.h.run();
    EXPECT_EQ(t.last_copy(), "cdefghijklmnopqrs") << "20 characters take three rows of 8";
    EXPECT_EQ(t.interrupts, 0) << "with a selection Ctrl+C copies";

    t.drag(0, 3, 4, 2);
    t.rig.h.tap(QEL_KEY_A + 2, QEL_MOD_CTRL);
    t.rig.h.run();
    EXPECT_EQ(t.last_copy(), "st\nabcdefghijklmnopqrst\nla");
}

TEST(Terminal, SubmitsEchoesAndKeepsAHistory)
{
    term_rig t;
    t.rig.click_on(t.input());
    t.enter("ls");
    t.enter("ls");
    EXPECT_EQ(t.submitted, std::vector<std::string>({"ls", "ls"}));
    EXPECT_EQ(t.lines()[0], "\x1b[2m$ \x1b[0mls");
    t.rig.h.tap(QEL_KEY_UP);
    t.rig.h.tap(QEL_KEY_UP);
    t.rig.h.tap(QEL_KEY_ENTER);
    EXPECT_EQ(t.submitted.back(), "ls") << "one entry: the repeat was not added";
    const std::string half(150, 'a');  // typed in two frames, past what one frame takes
    for (int i = 0; i < 2; i++) {
        t.rig.h.type(half.c_str());
        t.rig.h.run();
        t.enter(half.c_str());
        ASSERT_EQ(t.submitted.back().size(), 300u);
    }
    t.rig.h.tap(QEL_KEY_UP);
    t.rig.h.tap(QEL_KEY_UP);
    t.rig.h.tap(QEL_KEY_ENTER);
    EXPECT_EQ(t.submitted.back(), "ls") << "a command longer than an entry is kept once as well";

    for (int i = 0; i < 33; i++) t.enter(("c" + std::to_string(i)).c_str());
    for (int i = 0; i < 40; i++) t.rig.h.tap(QEL_KEY_UP);
    t.rig.h.tap(QEL_KEY_ENTER);
    EXPECT_EQ(t.submitted.back(), "c1") << "the 33rd entry dropped the oldest";
    t.rig.h.tap(QEL_KEY_UP);
    t.rig.h.tap(QEL_KEY_DOWN);
    t.rig.h.tap(QEL_KEY_DOWN);
    t.rig.h.type("x");
    t.rig.h.run();
    t.rig.h.tap(QEL_KEY_ENTER);
    EXPECT_EQ(t.submitted.back(), "x") << "down past the newest entry empties the line";
}

TEST(Terminal, CtrlCInterruptsAndCtrlLClears)
{
    term_rig t;
    t.write("running\n");
    t.rig.click_on(t.input());
    t.rig.h.type("half typed");
    t.rig.h.run();
    t.rig.h.tap(QEL_KEY_A + 2, QEL_MOD_CTRL);
    t.rig.h.run();
    EXPECT_EQ(t.interrupts, 1);
    EXPECT_EQ(t.lines(), std::vector<std::string>({"running", "^C", ""}));
    EXPECT_TRUE(t.clipboard.empty());
    t.rig.h.tap(QEL_KEY_ENTER);
    EXPECT_EQ(t.submitted, std::vector<std::string>({""})) << "the input was emptied";

    uint64_t total = t.buffer.line_total;
    t.rig.h.tap(QEL_KEY_A + 11, QEL_MOD_CTRL);
    t.rig.h.run();
    EXPECT_EQ(t.lines(), std::vector<std::string>({""}));
    EXPECT_EQ(t.buffer.line_total, total + 1);
}

TEST(Terminal, FollowsOutputUntilScrolledUp)
{
    term_rig t;
    for (int i = 0; i < 200; i++) qel_terminal_printf(&t.buffer, "line %d\n", i);
    t.rig.h.run(2);
    double end = t.scroll();
    EXPECT_GT(end, 150);
    t.rig.move_to(t.view());
    t.rig.h.wheel(0, 2);
    t.rig.h.run();
    EXPECT_DOUBLE_EQ(t.scroll(), end - 6);
    for (int i = 0; i < 50; i++) qel_terminal_printf(&t.buffer, "more %d\n", i);
    t.rig.h.run(2);
    EXPECT_DOUBLE_EQ(t.scroll(), end - 6) << "new output leaves the view in place";
    t.rig.h.wheel(0, -40);
    t.rig.h.run();
    qel_terminal_printf(&t.buffer, "last\n");
    t.rig.h.run();
    EXPECT_DOUBLE_EQ(t.scroll(), end + 51) << "at the bottom it follows again";
}

TEST(Terminal, SelectionsKeepToTheLinesStillHeld)
{
    term_rig t;
    std::vector<char> text(64);
    std::vector<qel_terminal_line> records(4);
    qel_terminal_init(&t.buffer, text.data(), 64, records.data(), 4);
    t.write("aaaa\nbbbb\ncccc");
    t.rig.h.run(2);
    t.drag(0, 1, 2, 2);
    t.write("\ndddd\neeee");
    t.rig.h.run();
    t.rig.click_on(t.input());
    t.rig.h.tap(QEL_KEY_A + 2, QEL_MOD_CTRL);
    t.rig.h.run();
    EXPECT_EQ(t.last_copy(), "bbbb\ncc") << "the line that left is not copied, the next is whole";

    t.write("\x1b[2J\x80\x1b[1ma\xe2\x96\x88\xbf|\xff");
    t.rig.h.run();
    t.drag(0, 0, 0, 9);
    t.rig.h.tap(QEL_KEY_A + 2, QEL_MOD_CTRL);
    t.rig.h.run();
    EXPECT_EQ(t.last_copy(), "a\xe2\x96\x88\xbf|\xff") << "cells as the columns were counted";
}

TEST(TerminalColours, ExtendedColoursAndAttributes)
{
    struct {
        const char* sequence;
        qel_color fg;
        uint8_t has_fg, bold;
    } cases[] = {
        {"\x1b[38;5;196m", 0xFF0000FFu, 1, 0},
        {"\x1b[38;5;244m", 0xFF808080u, 1, 0},
        {"\x1b[38:5:16m", 0xFF000000u, 1, 0},
        {"\x1b[38;5;231m", 0xFFFFFFFFu, 1, 0},
        {"\x1b[38;5;300m", 0, 0, 0},
        {"\x1b[38;5;99999999999999999999m", 0, 0, 0},
        {"\x1b[38;2;256;1;513m", 0xFF010100u, 1, 0},
        {"\x1b[38;5m", 0, 0, 0},
        {"\x1b[1;31m", 0xFF2B30C4u, 1, 1},
        {"\x1b[31;0m", 0, 0, 0},
        {"\x1b[38;2;1m", 0, 0, 1},
        {"\x1b[m", 0, 0, 0},
    };
    for (const auto& c : cases) {
        qel_terminal_attrs a = {};
        qel_terminal_apply_sgr(&a, c.sequence, (int32_t)strlen(c.sequence), false);
        EXPECT_EQ(a.has_fg, c.has_fg) << c.sequence + 1;
        if (c.has_fg) {
            EXPECT_EQ(a.fg, c.fg) << c.sequence + 1;
        }
        EXPECT_EQ(a.bold, c.bold) << c.sequence + 1;
    }
    qel_terminal_attrs a = {};
    qel_terminal_apply_sgr(&a, "\x1b[7;2;4;48;5;21m", 16, true);
    EXPECT_TRUE(a.inverse && a.dim && a.underline && a.has_bg);
    EXPECT_EQ(a.bg, 0xFFFF0000u);
    qel_terminal_apply_sgr(&a, "\x1b[27;22;24;49m", 14, true);
    EXPECT_FALSE(a.inverse || a.dim || a.underline || a.has_bg);
}

}  // namespace
