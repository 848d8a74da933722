// The terminal buffer's own cases; seeded streams against another terminal emulator are
// terminal_vs_pyte.py's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qel/terminal_buffer.h"
#include "widgets/rich/terminal_lines.h"

namespace {

struct ring_terminal {
    std::vector<char> text;
    std::vector<qel_terminal_line> records;
    qel_terminal_buffer b = {};

    explicit ring_terminal(uint32_t text_capacity = 4096, int32_t line_capacity = 64)
        : text(text_capacity), records((size_t)line_capacity)
    {
        qel_terminal_init(&b, text.data(), text_capacity, records.data(), line_capacity);
    }
    ring_terminal& operator<<(const std::string& bytes)
    {
        qel_terminal_write(&b, bytes.data(), (int32_t)bytes.size());
        return *this;
    }
    // The held lines' bytes, stored sequences included.
    std::vector<std::string> lines() const
    {
        std::vector<std::string> out;
        for (int32_t i = 0; i < b.count; i++) {
            const qel_terminal_line& l = qel_terminal_line_of(&b, i);
            out.emplace_back(b.text + l.start, l.length);
        }
        return out;
    }
    const qel_terminal_line& current() const { return qel_terminal_line_of(&b, b.count - 1); }
};

using lines = std::vector<std::string>;

TEST(terminal_buffer, interprets_controls_and_sequences)
{
    struct {
        const char* what;
        std::string input;
        lines expected;
    } cases[] = {
        {"progress", "10%\r20%\r30%", {"30%"}},
        {"erase after CR", "abc\r\x1b[K", {""}},
        {"erase without CR", "abc\x1b[K", {"abc"}},
        {"tab after three", "abc\tx", {"abc     x"}},
        {"tab at eight", "abcdefgh\tx", {"abcdefgh        x"}},
        {"backspace", "abc\b", {"ab"}},
        {"backspace over UTF-8", "a\xc3\xa9\b", {"a\xc3\xa9"}},
        {"backspace over a colour", "\x1b[31mab\b", {"\x1b[31mab"}},
        {"colour kept", "\x1b[31mred", {"\x1b[31mred"}},
        {"clear screen", "one\ntwo\x1b[2Jthree", {"three"}},
        {"title dropped", "a\x1b]0;title\x07" "b\x1b]2;t\x1b\\c", {"abc"}},
        {"other sequences dropped", "a\x1b[2Ab\x1b(Bc\x01\x7f", {"abBc"}},
        {"CR LF", "one\r\ntwo\r\n", {"one", "two", ""}},
        {"cut colour dropped", "\x1b[" + std::string(40, '1') + "mx", {"x"}},
        {"colour after CR resets", "abc\r\x1b[32mz", {"\x1b[32mz"}},
    };
    for (const auto& c : cases) {
        ring_terminal t;
        t << c.input;
        EXPECT_EQ(t.lines(), c.expected) << c.what;
    }
}

TEST(terminal_buffer, counts_cells_not_bytes)
{
    ring_terminal t;
    t << "\x1b[31m" << "a\xc3\xa9\xe2\x96\x88";
    EXPECT_EQ(t.current().length, 11u);
    EXPECT_EQ(t.current().columns, 3u);
    t << "\x80\x80";
    EXPECT_EQ(t.current().columns, 3u) << "stray continuation bytes take no cell";
}

TEST(terminal_buffer, keeps_sequences_split_across_writes)
{
    ring_terminal t;
    for (char c : std::string("x\x1b[1;31my\r\x1b[K\x1b]0;t\x07z")) t << std::string(1, c);
    EXPECT_EQ(t.lines(), lines({"z"}));
}

TEST(terminal_buffer, drops_the_oldest_lines)
{
    ring_terminal two(4096, 2);
    two << "\n\n\n";
    EXPECT_EQ(two.lines(), lines({"", ""}));
    EXPECT_EQ(two.b.line_total, 4u);

    ring_terminal small(64, 8);
    small << "keep\n" << std::string(100, 'x');
    EXPECT_EQ(small.lines(), lines({"keep", ""})) << "a run longer than the ring is dropped whole";
}

TEST(terminal_buffer, keeps_empty_lines_whose_place_text_reaches)
{
    ring_terminal t(64, 8);
    t << "\nabc";
    EXPECT_EQ(t.lines(), lines({"", "abc"}));
    t << "\x1b[2J\n\nxyz";
    EXPECT_EQ(t.lines(), lines({"", "", "xyz"}));
}

TEST(terminal_buffer, moves_the_current_line_without_losing_lines_it_misses)
{
    // 40 bytes of one line, then a line that outgrows the ring's end and moves to its start,
    // covering only the first line's bytes; the empty line after it holds none.
    ring_terminal t(64, 8);
    t << std::string(30, 'a') << "\n\n" << std::string(20, 'b');
    EXPECT_EQ(t.current().start, 30u);
    t << std::string(20, 'c');
    EXPECT_EQ(t.lines(), lines({"", std::string(20, 'b') + std::string(20, 'c')}));
    EXPECT_EQ(t.current().start, 0u);
}

TEST(terminal_buffer, unusable_buffers_ignore_writes)
{
    char text[63];
    qel_terminal_line records[4];
    qel_terminal_buffer b;
    qel_terminal_init(&b, text, sizeof text, records, 4);
    EXPECT_EQ(b.line_capacity, 0);
    qel_terminal_write(&b, "abc", -1);
    qel_terminal_clear(&b);
    EXPECT_EQ(b.count, 0);
    qel_terminal_write(nullptr, "abc", 3);

    ring_terminal t;
    qel_terminal_printf(&t.b, "%d items%s", 3, "\n");
    qel_terminal_printf(&t.b, "%s", "");
    EXPECT_EQ(t.lines(), lines({"3 items", ""}));
}

}  // namespace
