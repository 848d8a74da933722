// The line and character diff: two UTF-8 texts compared line by line into hunks, with the changed
// words inside paired lines on request. It needs no context and allocates only through the
// caller's allocator record, treating every null result as a failure it reports, never a stop.
#pragma once

#include <cstdint>

#include "qel/context.h"

// --- Records ---

// The four fields of the context's allocator record, in its order, so a widget hands that record
// over as it is.
struct qel_diff_allocator {
    qel_malloc_fn malloc_fn;
    qel_realloc_fn realloc_fn;
    qel_free_fn free_fn;
    void* user;
};

// The runtime library's allocator; the user pointer is null.
extern const qel_diff_allocator qel_diff_default_allocator;

// A run of changed lines. An empty side starts where its lines would stand.
struct qel_diff_hunk {
    int32_t old_start;
    int32_t old_count;
    int32_t new_start;
    int32_t new_count;
};

struct qel_diff_summary {
    int32_t lines_added;
    int32_t lines_removed;
    int32_t hunk_count;
    int32_t old_lines;
    int32_t new_lines;
    uint8_t limit_reached;  // a bound was hit: the diff is valid but may not be minimal
};

enum qel_diff_ending : uint8_t { QEL_DIFF_END_NONE = 0, QEL_DIFF_END_LF = 1, QEL_DIFF_END_CRLF = 2 };
enum { QEL_DIFF_LINE_SAME_TEXT = 1 };  // the pair differs only in its line ending

struct qel_diff_line {
    uint32_t start;   // in the side's text copy
    uint32_t length;  // without the line ending
    uint8_t ending;   // qel_diff_ending
    uint8_t flags;
};

// A changed byte range within one line.
struct qel_diff_range {
    int32_t start;
    int32_t length;
};

// One comparison. Create it zeroed with alloc set; qel_diff_free empties it again.
struct qel_diff_result {
    const qel_diff_allocator* alloc;
    char* old_text;
    uint64_t old_length;
    char* new_text;
    uint64_t new_length;
    qel_diff_line* old_lines;
    int32_t old_line_count;
    qel_diff_line* new_lines;
    int32_t new_line_count;
    qel_diff_hunk* hunks;
    int32_t hunk_count;
    int32_t lines_added;
    int32_t lines_removed;
    uint8_t limit_reached;
    uint8_t failed;  // the last computation ran out of memory (or a text was too long)
    uint8_t ignore_line_endings;
    int32_t* old_range_first;  // per line, -1 without ranges; null without the in-line pass
    uint8_t* old_range_count;
    int32_t* new_range_first;
    uint8_t* new_range_count;
    qel_diff_range* ranges;
    int32_t range_count;
    int32_t range_capacity;
    int32_t old_max_width;  // widest line in columns: tabs to multiples of 4, UTF-8 continuations 0
    int32_t new_max_width;
};

// The search shared by the line comparison and the word comparisons of one computation: its
// cost counts work done, and reaching budget ends the search heuristically, never in failure.
struct qel_diff_search {
    const qel_diff_allocator* alloc;
    int32_t* frontier;  // forward and reverse frontiers in one block
    int64_t frontier_capacity;
    int32_t* stack;  // pending sub-problems, four values each
    int64_t stack_count;
    int64_t stack_capacity;
    int64_t cost;
    int64_t budget;
    uint8_t limit_reached;
};

// --- Line diff ---

// Longest side compared; a longer one fails the computation rather than being cut.
enum : uint64_t { QEL_DIFF_MAX_TEXT = 0x3FFFFFF0 };

// Compares two texts (null is empty, lengths in bytes, no NUL needed) after freeing what the
// result held. Lines end at LF; a CR before it is part of the ending, and endings count as text
// unless ignore_line_endings. With in_line, paired changed lines also get their changed word
// ranges. False on running out of memory or a side longer than QEL_DIFF_MAX_TEXT: the result then
// holds no arrays and has failed set.
bool qel_diff_compute(qel_diff_result* result, const char* old_text, uint64_t old_length, const char* new_text,
                      uint64_t new_length, bool ignore_line_endings, bool in_line);

// Releases every array of the result and clears all but alloc.
void qel_diff_free(qel_diff_result* result);

// Releases the search's arrays and zeroes their pointers and counts.
void qel_diff_search_free(qel_diff_search* search);

enum { QEL_DIFF_IGNORE_LINE_ENDINGS = 1 };

// One-shot comparison with the default allocator and no in-line ranges. The summary (when not
// null) is zeroed, then filled; up to max_hunks hunks are copied out. Returns the total number of
// hunks (it may exceed max_hunks), 0 for identical texts, -1 on failure (summary left zeroed).
int32_t qel_diff_texts(const char* old_text, uint64_t old_length, const char* new_text, uint64_t new_length,
                       uint32_t flags, qel_diff_hunk* hunks, int32_t max_hunks, qel_diff_summary* summary);

// Hunks from per-line change marks (non-zero = changed); with a null out it only counts.
int32_t qel_diff_flags_to_hunks(const uint8_t* old_changed, int32_t old_count, const uint8_t* new_changed,
                                int32_t new_count, qel_diff_hunk* out);

// --- Character diff ---

enum { QEL_DIFF_MAX_TOKENS = 512, QEL_DIFF_MAX_RANGES = 64, QEL_DIFF_MAX_CHARS = 2000 };

// Token starts of the first length bytes (words, blank runs, single other bytes), then length:
// T + 1 entries. Returns T; a length of 0 or less is stored alone and returns 0; -1 past 512.
int32_t qel_diff_tokenize(const char* text, int32_t length, int32_t* boundaries);

// Changed ranges of two strings by tokens, at most max_ranges per string (the last one runs to
// the string's end when there would be more). The search bounds it, together with whatever else
// shares the search. False when it declines (too many tokens, under 30 % of the non-blank bytes
// kept, max_ranges below 1) or runs out of memory.
bool qel_diff_token_diff(qel_diff_search* search, const char* old_text, int32_t old_length, const char* new_text,
                         int32_t new_length, qel_diff_range* old_ranges, int32_t* old_count,
                         qel_diff_range* new_ranges, int32_t* new_count, int32_t max_ranges);

// The public form: a null text is empty, a negative length runs to the NUL, max_ranges is cut to
// 64 and below 1 declines, as does a string over 2,000 bytes. Arrays and count pointers may be
// null; counts are 0 when it declines.
bool qel_diff_chars(const char* old_text, int32_t old_length, const char* new_text, int32_t new_length,
                    qel_diff_range* old_ranges, int32_t* old_count, qel_diff_range* new_ranges,
                    int32_t* new_count, int32_t max_ranges);
