// Growth of the context's per-frame arrays (nodes, overlay roots, hit rectangles, focus orders):
// 64 elements at first, then doubling; the memory is kept from frame to frame.
#pragma once

#include <cstddef>
#include <cstdint>

#include "qel/context.h"

// The array with room for needed elements, reallocated through the context when it has less.
template <typename T>
T* qel_array_grow(qel_context* ctx, T* array, int32_t* capacity, int64_t needed)
{
    if (needed <= *capacity) return array;
    if (needed > INT32_MAX / 2) qel_out_of_memory();
    int32_t c = *capacity ? *capacity : 64;
    while (c < needed) c *= 2;
    *capacity = c;
    return (T*)qel_mem_realloc(ctx, array, (size_t)c * sizeof(T));
}
