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
