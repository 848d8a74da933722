// The line diff on the small cases where the answer is known by hand (line endings, slides onto
// blank lines, the hunk count past the caller's array, texts over the size cap, every allocation
// failing in turn), the in-line pass, and the character diff's ranges and refusals.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "qel/diff.h"

static std::string hunks_text(const char* old_text, const char* new_text, uint32_t flags, qel_diff_summary* s)
{
    qel_diff_hunk hunks[16];
    int32_t n = qel_diff_texts(old_text, strlen(old_text), new_text, strlen(new_text), flags, hunks, 16, s);
    std::string out;
    for (int32_t i = 0; i < n && i < 16; i++)
        out += (i ? ";" : "") + std::to_string(hunks[i].old_start) + "," + std::to_string(hunks[i].old_count) + "," +
               std::to_string(hunks[i].new_start) + "," + std::to_string(hunks[i].new_count);
    return out;
}

struct lines_case {
    const char* old_text;
    const char* new_text;
    uint32_t flags;
    const char* hunks;
    int32_t old_lines, new_lines;
};

TEST(DiffLines, KnownCases)
{
    static const lines_case cases[] = {
        {"", "", 0, "", 0, 0},
        {"a\n", "a", 0, "0,1,0,1", 1, 1},
        {"a\n", "a", QEL_DIFF_IGNORE_LINE_ENDINGS, "", 1, 1},
        {"a\r\nb\r\n", "a\nb\n", 0, "0,2,0,2", 2, 2},
        {"a\r\nb\r\n", "a\nb\n", QEL_DIFF_IGNORE_LINE_ENDINGS, "", 2, 2},
        {"a\nb\n", "c\nd\ne\n", 0, "0,2,0,3", 2, 3},
        {"", "x\ny", 0, "0,0,0,2", 0, 2},
        {"x\ny\n", "", 0, "0,2,0,0", 2, 0},
        {"a\nb\nc\nd\n", "a\nc\nd\ne\n", 0, "1,1,1,0;4,0,3,1", 4, 4},
        // The inserted paragraph and its blank line slide to end on a blank line.
        {"a\n\nb\n", "a\n\nP\n\nb\n", 0, "2,0,2,2", 3, 5},
        {"a\n\nb\n\nc\n", "a\n\nb\n\nP\n\nc\n", 0, "4,0,4,2", 5, 7},
    };
    for (const lines_case& c : cases) {
        qel_diff_summary s;
        EXPECT_EQ(hunks_text(c.old_text, c.new_text, c.flags, &s), c.hunks) << c.old_text << " | " << c.new_text;
        EXPECT_EQ(s.old_lines, c.old_lines);
        EXPECT_EQ(s.new_lines, c.new_lines);
        EXPECT_FALSE(s.limit_reached);
    }
}

TEST(DiffLines, CountsPastTheCallersArrayAndFailsOverTheCap)
{
    const char* a = "1\n2\n3\n4\n5\n6\n";
    const char* b = "1\nx\n3\n4\ny\n6\n7\n";
    qel_diff_summary s;
    EXPECT_EQ(qel_diff_texts(a, strlen(a), b, strlen(b), 0, nullptr, 0, &s), 3);
    EXPECT_EQ(s.hunk_count, 3);
    EXPECT_EQ(s.lines_added, 3);
    EXPECT_EQ(s.lines_removed, 2);
    qel_diff_hunk one[1] = {};
    EXPECT_EQ(qel_diff_texts(a, strlen(a), b, strlen(b), 0, one, 1, nullptr), 3);
    EXPECT_EQ(one[0].old_start, 1);
    // A side past the cap would lose its tail; it fails before a byte of it is read.
    EXPECT_EQ(qel_diff_texts(a, QEL_DIFF_MAX_TEXT + 1, a, strlen(a), 0, nullptr, 0, &s), -1);
    EXPECT_EQ(s.old_lines, 0);
    qel_diff_result r = {};
    r.alloc = &qel_diff_default_allocator;
    EXPECT_FALSE(qel_diff_compute(&r, a, strlen(a), a, (uint64_t)QEL_DIFF_MAX_TEXT + 1, false, true));
    EXPECT_TRUE(r.failed);
    EXPECT_EQ(r.old_text, nullptr);
}

// Refuses the allocation numbered fail_at (from 0); counts the others and what is still held.
struct failing_heap {
    int32_t calls, fail_at, held;
};

static void* failing_malloc(size_t size, void* user)
{
    failing_heap* h = (failing_heap*)user;
    if (h->calls++ == h->fail_at) return nullptr;
    h->held++;
    return malloc(size);
}

static void* failing_realloc(void* block, size_t size, void* user)
{
    failing_heap* h = (failing_heap*)user;
    if (h->calls++ == h->fail_at) return nullptr;
    if (!block) h->held++;
    return realloc(block, size);
}

static void failing_free(void* block, void* user)
{
    ((failing_heap*)user)->held--;
    free(block);
}

TEST(DiffLines, EveryAllocationFailureIsReportedAndLeavesNothing)
{
    const char* a = "int a;\nint b = 1;\nreturn a;\n\nx\n";
    const char* b = "int a;\nint c = 2;\nreturn b;\ny\n";
    bool succeeded = false;
    for (int32_t fail_at = 0; !succeeded && fail_at < 100; fail_at++) {
        failing_heap heap = {0, fail_at, 0};
        qel_diff_allocator alloc = {failing_malloc, failing_realloc, failing_free, &heap};
        qel_diff_result r = {};
        r.alloc = &alloc;
        succeeded = qel_diff_compute(&r, a, strlen(a), b, strlen(b), false, true);
        if (!succeeded) {
            EXPECT_TRUE(r.failed) << fail_at;
            EXPECT_EQ(heap.held, 0) << fail_at;
            EXPECT_EQ(r.hunks, nullptr);
        } else {
            EXPECT_EQ(r.hunk_count, 1);
            EXPECT_GT(r.range_count, 0);
        }
        qel_diff_free(&r);
        EXPECT_EQ(heap.held, 0);
    }
    EXPECT_TRUE(succeeded);
}

TEST(DiffLines, InLinePassMarksEndingsAndWords)
{
    qel_diff_result r = {};
    r.alloc = &qel_diff_default_allocator;
    const char* a = "a\r\nfoo(bar)\r\n";
    const char* b = "a\nfoo(baz)\n";
    ASSERT_TRUE(qel_diff_compute(&r, a, strlen(a), b, strlen(b), false, true));
    ASSERT_EQ(r.hunk_count, 1);
    EXPECT_EQ(r.old_lines[0].ending, QEL_DIFF_END_CRLF);
    EXPECT_EQ(r.new_lines[0].ending, QEL_DIFF_END_LF);
    EXPECT_EQ(r.old_lines[0].flags & QEL_DIFF_LINE_SAME_TEXT, QEL_DIFF_LINE_SAME_TEXT);
    EXPECT_EQ(r.new_lines[0].flags & QEL_DIFF_LINE_SAME_TEXT, QEL_DIFF_LINE_SAME_TEXT);
    EXPECT_EQ(r.old_range_first[0], -1);
    ASSERT_EQ(r.old_range_count[1], 1);
    ASSERT_EQ(r.new_range_count[1], 1);
    EXPECT_EQ(r.ranges[r.old_range_first[1]].start, 4);
    EXPECT_EQ(r.ranges[r.new_range_first[1]].length, 3);
    EXPECT_EQ(r.old_max_width, 8);
    qel_diff_free(&r);
    EXPECT_EQ(r.alloc, &qel_diff_default_allocator);
    EXPECT_EQ(r.ranges, nullptr);
}

TEST(DiffLines, ShuffledLinesReachTheBoundAndStayValid)
{
    std::string a, b;
    for (int32_t i = 0; i < 20000; i++) a += "row " + std::to_string(i) + "\n";
    srand(7);
    for (int32_t i = 0; i < 20000; i++) b += "row " + std::to_string((i * 7919) % 20000) + "\n";
    qel_diff_summary s;
    int32_t n = qel_diff_texts(a.data(), a.size(), b.data(), b.size(), 0, nullptr, 0, &s);
    EXPECT_GT(n, 0);
    EXPECT_TRUE(s.limit_reached);
    EXPECT_GE(s.lines_added + s.lines_removed, 2 * (20000 - 2000));
}

struct chars_case {
    const char* old_text;
    const char* new_text;
    bool ok;
    const char* old_ranges;
    const char* new_ranges;
};

static std::string ranges_text(const qel_diff_range* r, int32_t n)
{
    std::string out;
    for (int32_t i = 0; i < n; i++)
        out += (i ? ";" : "") + std::to_string(r[i].start) + "," + std::to_string(r[i].length);
    return out;
}

TEST(DiffChars, RangesAndRefusals)
{
    std::string long_text(2001, 'a');
    std::string tokens513, tokens512;
    for (int32_t i = 0; i < 256; i++) tokens512 += "a,";
    tokens513 = tokens512 + "b";
    static const chars_case fixed[] = {
        {"foo(bar)", "foo(baz)", true, "4,3", "4,3"},
        {"a b c", "x b y", true, "0,1;4,1", "0,1;4,1"},
        {"let a b = 1", "let x y = 1", true, "4,3", "4,3"},
        {"the quick brown fox jumps", "a lazy dog sleeps all day", false, "", ""},
        {"", "", true, "", ""},
        {"same", "same", true, "", ""},
    };
    std::vector<chars_case> cases(std::begin(fixed), std::end(fixed));
    cases.push_back({long_text.c_str(), "a", false, "", ""});
    cases.push_back({tokens513.c_str(), tokens513.c_str(), false, "", ""});
    cases.push_back({tokens512.c_str(), tokens512.c_str(), true, "", ""});
    for (const chars_case& c : cases) {
        qel_diff_range a[64], b[64];
        int32_t na = -1, nb = -1;
        EXPECT_EQ(qel_diff_chars(c.old_text, -1, c.new_text, -1, a, &na, b, &nb, 64), c.ok) << c.old_text;
        EXPECT_EQ(ranges_text(a, na), c.old_ranges) << c.old_text;
        EXPECT_EQ(ranges_text(b, nb), c.new_ranges) << c.new_text;
    }
    int32_t n = -1;
    EXPECT_FALSE(qel_diff_chars("a", 1, "b", 1, nullptr, &n, nullptr, nullptr, 0));
    EXPECT_EQ(n, 0);
}

TEST(DiffChars, TokensAndTheRangeLimit)
{
    int32_t bounds[QEL_DIFF_MAX_TOKENS + 1];
    ASSERT_EQ(qel_diff_tokenize("foo(bar) \t caf\xc3\xa9", 16, bounds), 6);
    const int32_t want[] = {0, 3, 4, 7, 8, 11, 16};
    for (int32_t i = 0; i < 7; i++) EXPECT_EQ(bounds[i], want[i]);
    EXPECT_EQ(qel_diff_tokenize("x", 0, bounds), 0);
    EXPECT_EQ(bounds[0], 0);
    // Three changed words a comma apart: with room for two ranges the second runs to the end.
    qel_diff_range a[2], b[2];
    int32_t na = 0, nb = 0;
    ASSERT_TRUE(qel_diff_chars("a,k,b,k,c,k,d,k", -1, "x,k,y,k,z,k,d,k", -1, a, &na, b, &nb, 2));
    EXPECT_EQ(ranges_text(a, na), "0,1;4,11");
    // The word comparison itself declines a limit without room for a range.
    for (int32_t limit : {0, -1}) {
        qel_diff_search search = {};
        search.alloc = &qel_diff_default_allocator;
        search.budget = 1000000;
        na = nb = -1;
        EXPECT_FALSE(qel_diff_token_diff(&search, "a,k,b", 5, "x,k,b", 5, a, &na, b, &nb, limit)) << limit;
        EXPECT_EQ(na + nb, 0);
        qel_diff_search_free(&search);
    }
}
