// The frame arena: memory for strings and payloads that live for one frame. Everything taken
// from it is released together at the next frame begin; callers never free it.
#pragma once

#include <cstdarg>
#include <cstddef>

#include "qel/types.h"

// size zeroed bytes, 16-byte aligned; a size of 0 gives a valid empty block.
void* qel_arena_alloc(qel_context* ctx, size_t size);

// A NUL-terminated copy of length bytes; a negative length copies up to the terminator. Null
// text gives null.
char* qel_arena_strdup(qel_context* ctx, const char* text, int length);

// printf-style formatting into the arena; returns the terminated string.
[[gnu::format(printf, 2, 0)]] char* qel_arena_vsprintf(qel_context* ctx, const char* format, va_list args);
[[gnu::format(printf, 2, 3)]] char* qel_arena_sprintf(qel_context* ctx, const char* format, ...);
