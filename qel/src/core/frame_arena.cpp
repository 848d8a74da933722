// The frame arena: bump allocation from one main block, overflow blocks when a frame outgrows
// it, and a main block resized at frame begin to the whole of the last frame's demand.
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "core/core.h"
#include "qel/arena.h"

static const uint64_t ARENA_ALIGN = 16;
static const uint64_t ARENA_FIRST_SIZE = 65536, ARENA_SECOND_SIZE = 131072;
// Room for the chain word and the step to a 16-byte boundary in an overflow block.
static const uint64_t OVERFLOW_HEADER = 32;

static uint8_t* align_up(void* p)
{
    uintptr_t a = (uintptr_t)p;
    return (uint8_t*)((a + ARENA_ALIGN - 1) & ~(uintptr_t)(ARENA_ALIGN - 1));
}

// The allocator hooks promise no alignment, so blocks carry slack up to a 16-byte boundary.
static void* allocate_block(qel_context* ctx, uint64_t bytes)
{
    return qel_mem_alloc(ctx, (size_t)(bytes + ARENA_ALIGN));
}

static void free_overflow(qel_context* ctx)
{
    void* block = ctx->arena.overflow;
    while (block) {
        void* next;
        memcpy(&next, block, sizeof next);
        qel_mem_free(ctx, block);
        block = next;
    }
    ctx->arena.overflow = nullptr;
}

void* qel_arena_alloc(qel_context* ctx, size_t size)
{
    qel_frame_arena* a = &ctx->arena;
    if (size > SIZE_MAX / 2) qel_out_of_memory();  // no arithmetic below can wrap
    uint64_t rounded = ((uint64_t)size + ARENA_ALIGN - 1) & ~(ARENA_ALIGN - 1);
    uint8_t* p;
    if (a->block && a->used + rounded <= a->capacity) {
        p = align_up(a->block) + a->used;
    } else {
        // Before the first frame has sized the main block, even an empty request lands here.
        void* block = qel_mem_alloc(ctx, (size_t)(rounded + OVERFLOW_HEADER));
        memcpy(block, &a->overflow, sizeof a->overflow);
        a->overflow = block;
        p = align_up((uint8_t*)block + sizeof(void*));
    }
    a->used += rounded;
    memset(p, 0, (size_t)rounded);
    return p;
}

static uint64_t grown_capacity(uint64_t capacity, uint64_t used)
{
    if (capacity == 0) {
        if (used <= ARENA_FIRST_SIZE) return ARENA_FIRST_SIZE;
        capacity = ARENA_SECOND_SIZE;
    }
    while (capacity < used) capacity *= 2;
    return capacity;
}

void qel_arena_reset(qel_context* ctx)
{
    qel_frame_arena* a = &ctx->arena;
    free_overflow(ctx);
    if (a->capacity < a->used) {
        a->capacity = grown_capacity(a->capacity, a->used);
        qel_mem_free(ctx, a->block);
        a->block = allocate_block(ctx, a->capacity);
    }
    a->used = 0;
}

void qel_arena_trim(qel_context* ctx, uint64_t mark)
{
    qel_frame_arena* a = &ctx->arena;
    if (a->capacity <= ARENA_FIRST_SIZE || 4 * mark >= a->capacity || a->overflow) return;
    uint64_t capacity = ARENA_FIRST_SIZE;
    while (capacity < 2 * mark) capacity *= 2;
    qel_mem_free(ctx, a->block);
    a->block = allocate_block(ctx, capacity);
    a->capacity = capacity;
}

void qel_arena_release(qel_context* ctx)
{
    free_overflow(ctx);
    qel_mem_free(ctx, ctx->arena.block);
    ctx->arena = {};
}

char* qel_arena_strdup(qel_context* ctx, const char* text, int length)
{
    if (!text) return nullptr;
    size_t n = length < 0 ? strlen(text) : (size_t)length;
    char* copy = (char*)qel_arena_alloc(ctx, n + 1);
    memcpy(copy, text, n);
    return copy;
}

char* qel_arena_vsprintf(qel_context* ctx, const char* format, va_list args)
{
    // Measuring consumes an argument list, so it runs on a copy.
    va_list measure;
    va_copy(measure, args);
    int n = vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    size_t size = (size_t)(n > 0 ? n : 0) + 1;
    char* text = (char*)qel_arena_alloc(ctx, size);
    if (n > 0) vsnprintf(text, size, format, args);
    return text;
}

char* qel_arena_sprintf(qel_context* ctx, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    char* text = qel_arena_vsprintf(ctx, format, args);
    va_end(args);
    return text;
}
