// Compares text pairs for the GNU diff oracle. Reads a file of records "FLAGS OLD NEW\n" followed
// by OLD bytes of the old text and NEW bytes of the new one, and prints for each "HUNKS ADDED
// REMOVED OLD_LINES NEW_LINES LIMIT" and then one line per hunk: old start, old count, new start,
// new count.
#include <cstdio>
#include <vector>

#include "qel/diff.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: diff_tool FILE\n");
        return 2;
    }
    FILE* in = fopen(argv[1], "rb");
    if (!in) return 2;
    unsigned flags = 0;
    unsigned long old_length = 0, new_length = 0;
    while (fscanf(in, "%u %lu %lu", &flags, &old_length, &new_length) == 3 && fgetc(in) == '\n') {
        std::vector<char> text(old_length + new_length + 1);
        if (fread(text.data(), 1, old_length + new_length, in) != old_length + new_length) return 2;
        qel_diff_summary s;
        int32_t count = qel_diff_texts(text.data(), old_length, text.data() + old_length, new_length, flags, nullptr,
                                       0, &s);
        if (count < 0) return 3;
        std::vector<qel_diff_hunk> hunks((size_t)count + 1);
        qel_diff_texts(text.data(), old_length, text.data() + old_length, new_length, flags, hunks.data(), count,
                       nullptr);
        printf("%d %d %d %d %d %d\n", count, s.lines_added, s.lines_removed, s.old_lines, s.new_lines,
               s.limit_reached);
        for (int32_t i = 0; i < count; i++)
            printf("%d %d %d %d\n", hunks[(size_t)i].old_start, hunks[(size_t)i].old_count, hunks[(size_t)i].new_start,
                   hunks[(size_t)i].new_count);
    }
    return 0;
}
