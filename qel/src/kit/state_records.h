// A widget's state record that no other kind of widget may hand it: a widget of another kind
// given the same label (a caller's slip, but an easy one) leaves a record of its own size and
// meaning under the shared id, and reading one's values out of the other's bytes is unsound.
#pragma once

#include <cstddef>
#include <cstdint>

#include "qel/types.h"

// The record of size bytes under id, as qel_state_get, owned by kind (a constant of the widget's
// own). A record of another size, or written by another kind, is dropped first (its destructor
// runs) and the widget starts from zeros. Id 0 gets qel_state_get's scratch block.
void* qel_state_record(qel_context* ctx, uint32_t id, size_t size, uint32_t kind);

// A kind from the record's name (its type's, as a rule): FNV-1a, never 0.
constexpr uint32_t qel_state_kind(const char* name)
{
    uint32_t h = 2166136261u;
    for (; *name; name++) h = (h ^ (uint8_t)*name) * 16777619u;
    return h ? h : 1;
}

// The record of type T under id, owned by the kind named name.
template <typename T>
T* qel_state_record_of(qel_context* ctx, uint32_t id, const char* name)
{
    return (T*)qel_state_record(ctx, id, sizeof(T), qel_state_kind(name));
}
