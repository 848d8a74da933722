// Widget ids: 32-bit hashes of labels (or strings and integers), scoped by the id stack. An id is
// never 0, so 0 means no id everywhere in the toolkit.
#pragma once

#include <cstddef>

#include "qel/types.h"

// --- Hashing ---

// FNV-1a over the bytes from the seed, then a 32-bit finaliser.
uint32_t qel_hash_bytes(const void* data, size_t length, uint32_t seed);

// The same over a NUL-terminated string; null hashes as the empty string.
uint32_t qel_hash_str(const char* text, uint32_t seed);

// --- Ids in scope ---

// The id of a label under the current scope. A label holding "###" hashes only from that marker
// on, so its visible text may change; otherwise the whole label is hashed, "##" suffix included.
uint32_t qel_id(qel_context* ctx, const char* label);

// Open a scope named by a label (same rules as qel_id) or an integer. Up to 64 scopes nest;
// deeper pushes are counted, not stored, and their pops only undo the count.
void qel_push_id(qel_context* ctx, const char* text);
void qel_push_id_int(qel_context* ctx, int32_t value);

// Closes the innermost scope; nothing when none is open.
void qel_pop_id(qel_context* ctx);
