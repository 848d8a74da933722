// The scope stack: a list of typed records in the frame arena, innermost first, whose head the
// context keeps through the stack's frame hook.
#include "kit/scopes.h"

#include "core/frame_hooks.h"
#include "qel/arena.h"

struct scope_stack {
    qel_scope_header* innermost;
};

static void frame_begin(qel_context*, void* record)
{
    ((scope_stack*)record)->innermost = nullptr;
}

// Emptied before the other modules' frame begins, which may open scopes of their own.
static const qel_frame_hooks SCOPE_HOOKS = {0, sizeof(scope_stack), frame_begin, nullptr, nullptr, nullptr, nullptr};

static scope_stack* stack_of(qel_context* ctx)
{
    return (scope_stack*)qel_frame_hooks_record(ctx, &SCOPE_HOOKS);
}

qel_scope_header* qel_scope_innermost(qel_context* ctx)
{
    return stack_of(ctx)->innermost;
}

void* qel_scope_push_keyed(qel_context* ctx, const void* key, size_t size)
{
    scope_stack* s = stack_of(ctx);
    auto* h = (qel_scope_header*)qel_arena_alloc(ctx, sizeof(qel_scope_header) + size);
    h->key = key;
    h->outer = s->innermost;
    s->innermost = h;
    return h + 1;
}

void* qel_scope_find_keyed(qel_context* ctx, const void* key)
{
    for (qel_scope_header* h = qel_scope_innermost(ctx); h; h = h->outer)
        if (h->key == key) return h + 1;
    return nullptr;
}

bool qel_scope_pop_keyed(qel_context* ctx, const void* key)
{
    for (qel_scope_header** link = &stack_of(ctx)->innermost; *link; link = &(*link)->outer) {
        if ((*link)->key != key) continue;
        *link = (*link)->outer;
        return true;
    }
    return false;
}

int32_t qel_scope_count_keyed(qel_context* ctx, const void* key)
{
    int32_t count = 0;
    for (const qel_scope_header* h = qel_scope_innermost(ctx); h; h = h->outer) count += h->key == key;
    return count;
}
