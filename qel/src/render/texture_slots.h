// What both renderers share about their textures: a handle is a slot index + 1 (0 names none),
// the slot table grows to 16 and then doubles, and the toolkit's texture interface calls the
// renderer's own create, update and delete. What a slot holds is each renderer's.
#pragma once

#include <cstdint>
#include <cstdlib>

#include "qel/context.h"

// The index of the slot a handle names among count slots, or -1; whether it is in use is the
// caller's to check.
inline int32_t qel_texture_slot_index(uint64_t texture, int32_t count)
{
    return texture >= 1 && texture <= (uint64_t)count ? (int32_t)(texture - 1) : -1;
}

// The first slot that is_free accepts, else a zeroed one appended to the grown table; -1 when
// the table cannot grow.
template <typename T, typename F>
int32_t qel_texture_slot_take(T** slots, int32_t* count, int32_t* capacity, F is_free)
{
    for (int32_t i = 0; i < *count; i++)
        if (is_free((*slots)[i])) return i;
    if (*count == *capacity) {
        int32_t larger = *capacity ? *capacity * 2 : 16;
        T* grown = (T*)realloc(*slots, (size_t)larger * sizeof(T));
        if (!grown) return -1;
        *slots = grown;
        *capacity = larger;
    }
    (*slots)[*count] = {};
    return (*count)++;
}

// The toolkit's texture interface over a renderer R and its three texture calls.
template <typename R, uint64_t (*Create)(R*, int32_t, int32_t, int32_t, const void*),
          void (*Update)(R*, uint64_t, int32_t, int32_t, int32_t, int32_t, const void*, int32_t),
          void (*Delete)(R*, uint64_t)>
qel_renderer qel_texture_interface(R* renderer)
{
    return {renderer,
            [](void* user, int32_t width, int32_t height, int32_t channels, const void* pixels) {
                return Create((R*)user, width, height, channels, pixels);
            },
            [](void* user, uint64_t texture, int32_t x, int32_t y, int32_t width, int32_t height, const void* pixels,
               int32_t stride) { Update((R*)user, texture, x, y, width, height, pixels, stride); },
            [](void* user, uint64_t texture) { Delete((R*)user, texture); }};
}
