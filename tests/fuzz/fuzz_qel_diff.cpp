// Compares two texts cut from one input: the hunks are ordered, non-empty and apart, rebuild
// the new lines from the old ones, and add up to the summary; every in-line range lies in its
// line. The same two texts through the character diff give ordered ranges inside each string.
//
// Input: a flags byte, two bytes of split position, then the bytes of both texts.
#include <cstdlib>
#include <cstring>

#include "qel/diff.h"

static void check_ranges(const qel_diff_range* r, int32_t n, int32_t length)
{
    int32_t end = 0;
    for (int32_t i = 0; i < n; i++) {
        if (r[i].start < end || r[i].length < 1 || r[i].start + r[i].length > length) abort();
        end = r[i].start + r[i].length;
    }
}

static void check_lines(const qel_diff_result& r)
{
    int32_t old_at = 0, new_at = 0;
    for (int32_t h = 0; h < r.hunk_count; h++) {
        const qel_diff_hunk& k = r.hunks[h];
        if (k.old_count + k.new_count < 1 || k.old_start < old_at || k.new_start - new_at != k.old_start - old_at ||
            (h > 0 && k.old_start == old_at))
            abort();
        for (int32_t i = 0; i < k.old_start - old_at; i++) {
            const qel_diff_line& a = r.old_lines[old_at + i];
            const qel_diff_line& b = r.new_lines[new_at + i];
            if (a.length != b.length || memcmp(r.old_text + a.start, r.new_text + b.start, a.length) != 0) abort();
        }
        old_at = k.old_start + k.old_count, new_at = k.new_start + k.new_count;
    }
    if (r.old_line_count - old_at != r.new_line_count - new_at) abort();
    for (int32_t side = 0; side < 2; side++) {
        const int32_t* first = side ? r.new_range_first : r.old_range_first;
        const uint8_t* count = side ? r.new_range_count : r.old_range_count;
        const qel_diff_line* lines = side ? r.new_lines : r.old_lines;
        int32_t n = side ? r.new_line_count : r.old_line_count;
        for (int32_t i = 0; first && i < n; i++)
            if (first[i] >= 0) check_ranges(r.ranges + first[i], count[i], (int32_t)lines[i].length);
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3) return 0;
    bool ignore = data[0] & 1;
    size_t cut = (size_t)(data[1] | data[2] << 8) % (size - 2);
    const char* old_text = (const char*)data + 3;
    const char* new_text = old_text + cut;
    size_t old_length = cut, new_length = size - 3 - cut;
    qel_diff_result r = {};
    r.alloc = &qel_diff_default_allocator;
    if (!qel_diff_compute(&r, old_text, old_length, new_text, new_length, ignore, true)) abort();
    check_lines(r);
    qel_diff_summary s;
    int32_t n = qel_diff_texts(old_text, old_length, new_text, new_length, ignore, nullptr, 0, &s);
    if (n != r.hunk_count || s.lines_added != r.lines_added || s.lines_removed != r.lines_removed) abort();
    qel_diff_free(&r);
    qel_diff_range a[QEL_DIFF_MAX_RANGES], b[QEL_DIFF_MAX_RANGES];
    int32_t na = 0, nb = 0;
    int32_t la = (int32_t)(old_length < 2000 ? old_length : 2000), lb = (int32_t)(new_length < 2000 ? new_length : 2000);
    if (qel_diff_chars(old_text, la, new_text, lb, a, &na, b, &nb, 1 + data[0] % 64)) {
        check_ranges(a, na, la);
        check_ranges(b, nb, lb);
    } else if (na || nb) {
        abort();
    }
    return 0;
}
