// Growth of the context's growable arrays (nodes, hit rectangles, focus orders, the draw list,
// state entries, fonts, glyphs, dropped paths): a first size, then doubling; the memory is kept
// from one use to the next.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

#include "qel/context.h"

// The array with room for needed elements, reallocated through the context when it has less.
// Counts the capacity's type cannot double are out of memory by another name.
template <typename T, typename C>
T* qel_array_grow(qel_context* ctx, T* array, C* capacity, int64_t needed, int64_t first = 64)
{
    if (needed <= (int64_t)*capacity) return array;
    if (needed > (int64_t)(std::numeric_limits<C>::max() / 2)) qel_out_of_memory();
    int64_t c = *capacity ? (int64_t)*capacity : first;
    while (c < needed) c *= 2;
    *capacity = (C)c;
    return (T*)qel_mem_realloc(ctx, array, (size_t)c * sizeof(T));
}
