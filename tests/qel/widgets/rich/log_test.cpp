// The log buffer's own cases; seeded runs against a model of everything appended are
// log_vs_model.py's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qel/log.h"

namespace {

struct ring_log {
    std::vector<qel_log_entry> entries;
    std::vector<char> text;
    qel_log log = {};

    ring_log(int32_t entry_capacity, uint32_t text_capacity) : entries((size_t)entry_capacity), text(text_capacity)
    {
        qel_log_init(&log, entries.data(), entry_capacity, text.data(), text_capacity);
    }

    std::vector<std::string> lines() const
    {
        std::vector<std::string> out;
        const char* t;
        for (int32_t i = 0; qel_log_line(&log, i, &t); i++) out.push_back(t);
        return out;
    }
};

TEST(log_buffer, cleans_and_levels_each_line)
{
    struct {
        const char* text;
        int32_t length, level;
        const char* stored;
        uint8_t stored_level;
    } cases[] = {
        {"abc\r\n", -1, QEL_LOG_WARN, "abc", QEL_LOG_WARN},
        {"\n\n", -1, QEL_LOG_ERROR, "", QEL_LOG_ERROR},
        {"a\tb", -1, QEL_LOG_DEBUG, "a b", QEL_LOG_DEBUG},
        {"x\x7fy", -1, QEL_LOG_TRACE, "x y", QEL_LOG_TRACE},
        {"caf\xc3\xa9 \xe2\x82\xac", -1, 9, "caf\xc3\xa9 \xe2\x82\xac", QEL_LOG_INFO},
        {"neg", -1, -1, "neg", QEL_LOG_INFO},
        {"a\0b\n", 4, QEL_LOG_INFO, "a b", QEL_LOG_INFO},
        {nullptr, 5, QEL_LOG_INFO, "", QEL_LOG_INFO},
        {"cut here", 3, QEL_LOG_INFO, "cut", QEL_LOG_INFO},
    };
    for (const auto& c : cases) {
        ring_log r(4, 64);
        qel_log_append(&r.log, c.level, 1.5, c.text, c.length);
        const char* text = nullptr;
        const qel_log_entry* e = qel_log_line(&r.log, 0, &text);
        ASSERT_NE(e, nullptr) << c.stored;
        EXPECT_STREQ(text, c.stored);
        EXPECT_EQ(e->length, strlen(c.stored));
        EXPECT_EQ(e->level, c.stored_level) << c.stored;
        EXPECT_EQ(e->time, 1.5);
        EXPECT_EQ(r.log.level_counts[c.stored_level], 1u);
    }
}

TEST(log_buffer, drops_the_oldest_lines)
{
    ring_log tiny(4, 1);
    qel_log_append(&tiny.log, QEL_LOG_INFO, 0, "hello", -1);
    qel_log_append(&tiny.log, QEL_LOG_INFO, 0, "world", -1);
    EXPECT_EQ(tiny.lines(), std::vector<std::string>({""}));

    ring_log three(3, 256);
    for (const char* t : {"one", "two", "three", "four"}) qel_log_append(&three.log, QEL_LOG_ERROR, 0, t, -1);
    EXPECT_EQ(three.log.total, 4u);
    EXPECT_EQ(three.lines(), std::vector<std::string>({"two", "three", "four"}));
    EXPECT_EQ(three.log.level_counts[QEL_LOG_ERROR], 3u);

    // 10 + 10 bytes fill 20 of 24; the third line cannot fit before the end, so it is written at
    // 0 over the first, and the line in the abandoned tail goes too.
    ring_log wrap(8, 24);
    qel_log_append(&wrap.log, QEL_LOG_INFO, 0, "aaaaaaaaa", -1);
    qel_log_append(&wrap.log, QEL_LOG_INFO, 0, "bbbbbbbbb", -1);
    qel_log_append(&wrap.log, QEL_LOG_INFO, 0, "ccccccc", -1);
    EXPECT_EQ(wrap.lines(), std::vector<std::string>({"bbbbbbbbb", "ccccccc"}));
    EXPECT_EQ(wrap.log.entries[(wrap.log.head + 1) % 8].text_offset, 0u);
    qel_log_append(&wrap.log, QEL_LOG_INFO, 0, "dddddddddddddddd", -1);
    EXPECT_EQ(wrap.lines(), std::vector<std::string>({"dddddddddddddddd"}));
}

TEST(log_buffer, clear_keeps_the_total)
{
    ring_log r(4, 64);
    qel_log_append(&r.log, QEL_LOG_WARN, 0, "a", -1);
    qel_log_append(&r.log, QEL_LOG_WARN, 0, "b", -1);
    qel_log_clear(&r.log);
    const char* text = "unset";
    EXPECT_EQ(qel_log_line(&r.log, 0, &text), nullptr);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(r.log.count, 0u);
    EXPECT_EQ(r.log.total, 2u);
    EXPECT_EQ(r.log.level_counts[QEL_LOG_WARN], 0u);
    qel_log_append(&r.log, QEL_LOG_WARN, 0, "c", -1);
    EXPECT_EQ(r.lines(), std::vector<std::string>({"c"}));
}

TEST(log_buffer, formats_long_lines_whole)
{
    ring_log r(4, 2048);
    r.log.now = 42.25;
    std::string long_text(600, 'x');
    qel_log_printf(&r.log, QEL_LOG_DEBUG, "%s\n", long_text.c_str());
    qel_log_printf(&r.log, QEL_LOG_INFO, "n=%d", 7);
    EXPECT_EQ(r.lines(), std::vector<std::string>({long_text, "n=7"}));
    EXPECT_EQ(qel_log_line(&r.log, 0, nullptr)->time, 42.25);

    ring_log small(4, 100);
    qel_log_printf(&small.log, QEL_LOG_INFO, "%s", long_text.c_str());
    EXPECT_EQ(small.lines(), std::vector<std::string>({std::string(99, 'x')}));
}

TEST(log_buffer, without_rings_ignores_everything)
{
    qel_log_entry entries[2];
    qel_log log;
    qel_log_init(&log, entries, 2, nullptr, 16);
    qel_log_append(&log, QEL_LOG_INFO, 0, "x", -1);
    qel_log_printf(&log, QEL_LOG_INFO, "x");
    EXPECT_EQ(log.count, 0u);
    EXPECT_EQ(log.total, 0u);
    qel_log_append(nullptr, QEL_LOG_INFO, 0, "x", -1);
    EXPECT_EQ(qel_log_line(nullptr, 0, nullptr), nullptr);
}

}  // namespace
