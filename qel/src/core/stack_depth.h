// Depth bookkeeping for the context's fixed-capacity stacks (ids, parents, overlay layers,
// disabled scopes, clips, transforms). A push past capacity is counted instead of stored, and the
// pops that follow consume that count first: an unbalanced or too deep caller never removes an
// entry it did not push and never writes out of bounds.
#pragma once

#include <cstdint>

struct qel_stack_depth {
    int32_t depth;     // stored entries
    int32_t overflow;  // pushes that found the stack full and are still unmatched
};

// True when the caller may store its entry at index depth - 1.
inline bool qel_stack_push(qel_stack_depth* s, int32_t capacity)
{
    if (s->depth < capacity) {
        s->depth++;
        return true;
    }
    s->overflow++;
    return false;
}

// True when an entry was removed. The stack never drops below floor (the base entries).
inline bool qel_stack_pop(qel_stack_depth* s, int32_t floor)
{
    if (s->overflow > 0) {
        s->overflow--;
        return false;
    }
    if (s->depth <= floor) return false;
    s->depth--;
    return true;
}
