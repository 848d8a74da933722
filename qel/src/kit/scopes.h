// Begin/end scopes: one stack of typed records in the context. A widget's begin pushes its record,
// the widgets inside find the innermost record of a type, and its end pops that record. Records
// live in the frame arena and frame begin empties the stack, so an end call forgotten in one
// frame is gone by the next. A record's C++ type is its type on the stack: a widget family
// declares its own record types and changes nothing here. A type of one file's own belongs in an
// anonymous namespace, so that another file's type of the same name stays apart.
#pragma once

#include <cstddef>
#include <cstdint>

#include "qel/types.h"

// A button group is open: plain buttons inside it turn ghost. Button groups push it, buttons
// look for it.
struct qel_button_group_scope {
    uint8_t unused;
};

// Each record on the stack follows its header; 16 bytes keep the arena's alignment for it.
struct alignas(16) qel_scope_header {
    const void* key;            // the record's type (qel_scope_key)
    qel_scope_header* outer;    // the record opened before it; null for the outermost
};

// The innermost open record's header, or null when no scope is open.
qel_scope_header* qel_scope_innermost(qel_context* ctx);

// --- Typed records ---

// The stack's name for the record type T.
template <typename T>
const void* qel_scope_key()
{
    static char key;  // written nowhere: only its address counts, and no linker merges it
    return &key;
}

// A zeroed record of type T pushed on the stack, valid until the next frame begins.
void* qel_scope_push_keyed(qel_context* ctx, const void* key, size_t size);
template <typename T>
T* qel_scope_push(qel_context* ctx)
{
    return (T*)qel_scope_push_keyed(ctx, qel_scope_key<T>(), sizeof(T));
}

// The innermost open record of type T, or null.
void* qel_scope_find_keyed(qel_context* ctx, const void* key);
template <typename T>
T* qel_scope_find(qel_context* ctx)
{
    return (T*)qel_scope_find_keyed(ctx, qel_scope_key<T>());
}

// Takes the innermost record of type T off the stack, wherever it lies; false when none is open.
// The record stays readable until the next frame begins.
bool qel_scope_pop_keyed(qel_context* ctx, const void* key);
template <typename T>
bool qel_scope_pop(qel_context* ctx)
{
    return qel_scope_pop_keyed(ctx, qel_scope_key<T>());
}

// How many records of type T are open.
int32_t qel_scope_count_keyed(qel_context* ctx, const void* key);
template <typename T>
int32_t qel_scope_count(qel_context* ctx)
{
    return qel_scope_count_keyed(ctx, qel_scope_key<T>());
}
