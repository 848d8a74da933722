// Id hashing and the id stack. The top of the stack seeds every hash, so the same label gives
// different ids in different scopes.
#include <cstring>

#include "core/core.h"
#include "qel/id.h"

static const uint32_t EMPTY_STACK_SEED = 0x9e3779b9u;
static const uint32_t FNV_BASIS = 0x811c9dc5u, FNV_PRIME = 16777619u;

static uint32_t fnv_step(uint32_t h, uint8_t byte)
{
    return (h ^ byte) * FNV_PRIME;
}

// Mixes the FNV state so that nearby labels land far apart; 0 is kept for "no id".
static uint32_t finalise(uint32_t h)
{
    h = (h ^ (h >> 16)) * 0x7feb352du;
    h = (h ^ (h >> 15)) * 0x846ca68bu;
    h ^= h >> 16;
    return h ? h : 1;
}

uint32_t qel_hash_bytes(const void* data, size_t length, uint32_t seed)
{
    const uint8_t* p = (const uint8_t*)data;
    uint32_t h = seed ^ FNV_BASIS;
    for (size_t i = 0; i < length; i++) h = fnv_step(h, p[i]);
    return finalise(h);
}

uint32_t qel_hash_str(const char* text, uint32_t seed)
{
    return qel_hash_bytes(text, text ? strlen(text) : 0, seed);
}

// One pass over the label: hashing starts again at the first "###", so only the part from the
// marker on counts.
uint32_t qel_id(qel_context* ctx, const char* label)
{
    uint32_t seed = qel_id_stack_top(&ctx->ids, EMPTY_STACK_SEED);
    uint32_t h = seed ^ FNV_BASIS;
    bool marked = false;
    for (const char* p = label; p && *p; p++) {
        if (p[0] == '#' && p[1] == '#' && p[2] == '#' && !marked) {
            marked = true;
            h = seed ^ FNV_BASIS;
        }
        h = fnv_step(h, (uint8_t)*p);
    }
    return finalise(h);
}

static void push_scope(qel_context* ctx, uint32_t id)
{
    qel_id_stack* s = &ctx->ids;
    if (!qel_stack_push(&s->depth, QEL_ID_STACK_CAPACITY)) return;
    s->id[s->depth.depth - 1] = id;
    *qel_id_stack_counter(s) = 0;
}

void qel_push_id(qel_context* ctx, const char* text)
{
    push_scope(ctx, qel_id(ctx, text));
}

void qel_push_id_int(qel_context* ctx, int32_t value)
{
    uint32_t v = (uint32_t)value;
    uint8_t bytes[4] = {(uint8_t)v, (uint8_t)(v >> 8), (uint8_t)(v >> 16), (uint8_t)(v >> 24)};
    push_scope(ctx, qel_hash_bytes(bytes, sizeof bytes, qel_id_stack_top(&ctx->ids, EMPTY_STACK_SEED)));
}

void qel_pop_id(qel_context* ctx)
{
    qel_stack_pop(&ctx->ids.depth, 0);
}
