// Per-id state: what a widget keeps from one frame to the next (scroll offsets, animation
// values, text buffers, last frame's rectangle), keyed by its id. Entries nobody touches for 30
// frames (300 when they hold data or a destructor) are collected at frame end.
#pragma once

#include <cstddef>

#include "qel/types.h"

// Called once for the entry's data when it is collected or the context is destroyed; the
// toolkit frees the data itself afterwards.
typedef void (*qel_state_destructor)(qel_context* ctx, void* blob);

// --- Widget data ---

// The id's data, at least size bytes: created zeroed, grown keeping its bytes and zeroing the new
// tail, never shrunk. Valid until the frame ends or the same id asks for more. Size 0 on an
// entry without data gives null. Id 0 names no item and keeps nothing: it gets a zeroed scratch
// block, valid until the next call for id 0.
void* qel_state_get(qel_context* ctx, uint32_t id, size_t size);

// With create, qel_state_get. Without, the data only when the entry exists and holds at least
// size bytes; otherwise null and nothing changes.
void* qel_state_find(qel_context* ctx, uint32_t id, size_t size, bool create);

// Sets or clears the destructor, creating the entry when needed; nothing for id 0. The _safe
// form accepts a null context.
void qel_state_set_destructor(qel_context* ctx, uint32_t id, qel_state_destructor destructor);
void qel_state_set_destructor_safe(qel_context* ctx, uint32_t id, qel_state_destructor destructor);

// --- Last frame's layout ---

// The id's rectangle as laid out last frame; zeros when unknown. Neither creates nor keeps alive.
qel_rect qel_id_rect(qel_context* ctx, uint32_t id);
void qel_id_rect_of(qel_rect* out, qel_context* ctx, uint32_t id);

// True when the id was laid out last frame.
bool qel_id_seen(qel_context* ctx, uint32_t id);
