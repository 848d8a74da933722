// The difference search shared by the line and the character diff, and the growable arrays of
// the diff engine, which fail softly where the toolkit's own growth would stop the program.
#pragma once

#include <cstddef>
#include <cstdint>

#include "qel/diff.h"

// Makes *capacity cover need elements of element bytes: from 64, doubling, exactly need once
// 2^30 is reached. On failure the block and capacity stay as they were and it returns false.
bool qel_diff_grow(const qel_diff_allocator* alloc, void** block, int64_t* capacity, int64_t need, size_t element);

// 32-bit FNV-1a of the bytes, as lines, tokens and language names are hashed.
uint32_t qel_diff_fnv1a(const char* bytes, size_t length);

// Allocates count elements, or null when that size cannot be had.
void* qel_diff_alloc_array(const qel_diff_allocator* alloc, int64_t count, size_t element);

// Marks (sets to 1) the elements of a[0, n) and b[0, m) that the search leaves unmatched; the
// marks must start cleared. False only when memory ran out.
bool qel_diff_search_run(qel_diff_search* search, const int32_t* a, int32_t n, const int32_t* b, int32_t m,
                         uint8_t* a_changed, uint8_t* b_changed);

// qel_diff_token_diff telling a decline (0) from running out of memory (-1); 1 on success.
int32_t qel_diff_token_compare(qel_diff_search* search, const char* old_text, int32_t old_length,
                               const char* new_text, int32_t new_length, qel_diff_range* old_ranges,
                               int32_t* old_count, qel_diff_range* new_ranges, int32_t* new_count, int32_t max_ranges);
