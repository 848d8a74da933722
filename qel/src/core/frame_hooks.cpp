// The table of modules registered with a context: registration in hook order, their records,
// and the moments of the frame cycle run over them.
#include "core/frame_hooks.h"

#include <cstring>

#include "core/array_grow.h"
#include "core/core.h"
#include "qel/arena.h"

static qel_frame_hook_entry* entry_of(qel_context* ctx, const qel_frame_hooks* hooks)
{
    qel_frame_hook_table* t = &ctx->hooks;
    for (int32_t i = 0; i < t->count; i++)
        if (t->entries[i].hooks == hooks) return &t->entries[i];
    return nullptr;
}

void* qel_frame_hooks_find(qel_context* ctx, const qel_frame_hooks* hooks)
{
    qel_frame_hook_entry* e = entry_of(ctx, hooks);
    return e ? e->record : nullptr;
}

void* qel_frame_hooks_record(qel_context* ctx, const qel_frame_hooks* hooks)
{
    if (qel_frame_hook_entry* e = entry_of(ctx, hooks)) return e->record;
    qel_frame_hook_table* t = &ctx->hooks;
    t->entries = qel_array_grow(ctx, t->entries, &t->capacity, (int64_t)t->count + 1, 8);
    // After the modules of the same or a lower order, so equal orders run as they registered.
    int32_t at = t->count;
    while (at > 0 && t->entries[at - 1].hooks->order > hooks->order) at--;
    memmove(&t->entries[at + 1], &t->entries[at], (size_t)(t->count - at) * sizeof *t->entries);
    void* record = qel_mem_alloc(ctx, hooks->record_size ? hooks->record_size : 1);
    memset(record, 0, hooks->record_size);
    t->entries[at] = {hooks, record};
    t->count++;
    return record;
}

// Runs the hook picked by member over the modules in order, from a copy of the table: a module
// that a hook registers waits for the next moment.
static void run(qel_context* ctx, void (*qel_frame_hooks::*member)(qel_context*, void*))
{
    const qel_frame_hook_table* t = &ctx->hooks;
    int32_t n = t->count;
    if (n == 0) return;
    auto* copy = (qel_frame_hook_entry*)qel_arena_alloc(ctx, (size_t)n * sizeof *t->entries);
    memcpy(copy, t->entries, (size_t)n * sizeof *t->entries);
    for (int32_t i = 0; i < n; i++)
        if (copy[i].hooks->*member) (copy[i].hooks->*member)(ctx, copy[i].record);
}

void qel_frame_hooks_begin(qel_context* ctx)
{
    run(ctx, &qel_frame_hooks::begin);
}

void qel_frame_hooks_end(qel_context* ctx)
{
    run(ctx, &qel_frame_hooks::end);
}

void qel_frame_hooks_renderer_changed(qel_context* ctx)
{
    run(ctx, &qel_frame_hooks::renderer_changed);
}

void qel_frame_hooks_destroy(qel_context* ctx)
{
    run(ctx, &qel_frame_hooks::destroy);
    qel_frame_hook_table* t = &ctx->hooks;
    for (int32_t i = 0; i < t->count; i++) qel_mem_free(ctx, t->entries[i].record);
    qel_mem_free(ctx, t->entries);
    *t = {};
}

int32_t qel_keys_blocked(qel_context* ctx)
{
    int32_t most = 0;
    const qel_frame_hook_table* t = &ctx->hooks;
    for (int32_t i = 0; i < t->count; i++) {
        const qel_frame_hook_entry& e = t->entries[i];
        if (!e.hooks->keys_blocked) continue;
        int32_t b = e.hooks->keys_blocked(ctx, e.record);
        if (b > most) most = b;
    }
    return most;
}
