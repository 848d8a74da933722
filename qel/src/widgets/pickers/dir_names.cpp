// Comparing file names: the wildcard match of file-type patterns and the browser's sort order.
// Both fold only A to Z, so names in other scripts compare by their bytes.
#include <cstdlib>
#include <cstring>

#include "qel/dir_list.h"
#include "qel/text_units.h"

static bool is_digit(uint8_t c)
{
    return c >= '0' && c <= '9';
}

// --- Wildcards ---

// A pattern as the matcher reads it. A trailing run of two or more stars needs one more
// character, so it reads as "?*" (with one star the run may match nothing).
struct glob_pattern {
    const char* text;
    int32_t literal_len;  // pattern bytes read as they stand
    bool tail_needs_char;
};

static glob_pattern glob_read(const char* begin, const char* end)
{
    int32_t n = (int32_t)(end - begin), stars = 0;
    while (stars < n && begin[n - 1 - stars] == '*') stars++;
    if (stars < 2) return {begin, n, false};
    return {begin, n - stars, true};
}

static int32_t glob_length(const glob_pattern* p)
{
    return p->literal_len + (p->tail_needs_char ? 2 : 0);
}

static char glob_at(const glob_pattern* p, int32_t i)
{
    if (i < p->literal_len) return p->text[i];
    return i == p->literal_len ? '?' : '*';
}

// Steps one pattern item over the name at *pos; false when it cannot.
static bool glob_step(char item, const char* name, int32_t name_len, int32_t* pos)
{
    if (*pos >= name_len) return false;
    if (item == '?') {
        *pos = qel_utf8_next(name, name_len, *pos);
        return true;
    }
    if (qel_ascii_lower(item) != qel_ascii_lower(name[*pos])) return false;
    (*pos)++;
    return true;
}

// Greedy with a return to the last star: each star first takes nothing and one byte more whenever
// what follows fails, so no pattern costs more than length x length steps. Stars step by bytes,
// which is what keeps the return to the last star exact; on UTF-8 it matches as stepping by
// characters would, since no pattern item can start inside a character.
bool qel_wildcard_match(const char* pattern, const char* pattern_end, const char* name)
{
    glob_pattern p = glob_read(pattern, pattern_end);
    int32_t plen = glob_length(&p), nlen = (int32_t)strlen(name);
    int32_t pi = 0, ni = 0, star = -1, star_ni = 0;
    while (ni < nlen || (pi < plen && glob_at(&p, pi) == '*')) {
        if (pi < plen && glob_at(&p, pi) == '*') {
            star = pi++;
            star_ni = ni;
        } else if (pi < plen && glob_step(glob_at(&p, pi), name, nlen, &ni)) {
            pi++;
        } else if (star >= 0 && star_ni < nlen) {
            pi = star + 1;
            ni = ++star_ni;
        } else {
            return false;
        }
    }
    return pi == plen;
}

// --- Sort order ---

// Compares the digit runs at *a and *b as numbers (leading zeros do not count) and steps past
// them.
static int digit_runs_compare(const uint8_t** a, const uint8_t** b)
{
    while (**a == '0') (*a)++;
    while (**b == '0') (*b)++;
    size_t na = 0, nb = 0;
    while (is_digit((*a)[na])) na++;
    while (is_digit((*b)[nb])) nb++;
    int order = na != nb ? (na < nb ? -1 : 1) : memcmp(*a, *b, na);
    *a += na;
    *b += nb;
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

static int name_compare(const char* name_a, const char* name_b)
{
    const uint8_t* a = (const uint8_t*)name_a;
    const uint8_t* b = (const uint8_t*)name_b;
    while (*a) {
        if (!*b) return 1;
        if (is_digit(*a) && *b < '0') return 1;
        if (is_digit(*a) && *b > '9') return -1;
        if (is_digit(*a)) {
            int order = digit_runs_compare(&a, &b);
            if (order) return order;
            continue;
        }
        uint8_t fa = (uint8_t)qel_ascii_lower((char)*a++), fb = (uint8_t)qel_ascii_lower((char)*b++);
        if (fa != fb) return fa < fb ? -1 : 1;
    }
    return *b ? -1 : 0;
}

template <typename T>
static int three_way(T a, T b)
{
    return a < b ? -1 : a > b ? 1 : 0;
}

// The view of the sort in progress; the standard quicksort gives its comparison no context.
static const qel_dir_sort_view* sorting;

int qel_file_browser_compare(const void* a, const void* b)
{
    if (!sorting) return 0;
    const qel_dir_entry* ea = &sorting->entries[*(const int32_t*)a];
    const qel_dir_entry* eb = &sorting->entries[*(const int32_t*)b];
    if (ea->is_dir != eb->is_dir) return ea->is_dir ? -1 : 1;
    int order = sorting->mode == 1 ? three_way(ea->mtime, eb->mtime) : sorting->mode == 2 ? three_way(ea->size, eb->size) : 0;
    if (!order) order = name_compare(ea->name, eb->name);
    return sorting->descending ? -order : order;
}

void qel_file_browser_sort(const qel_dir_sort_view* view, int32_t* indices, int32_t count)
{
    if (!view || !view->entries || !indices || count < 2) return;
    sorting = view;
    qsort(indices, (size_t)count, sizeof *indices, qel_file_browser_compare);
    sorting = nullptr;
}
