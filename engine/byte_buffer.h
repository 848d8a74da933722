// Growable byte arrays in which in-memory jobs are built, and the byte sink through which every
// job writer emits its bytes: to a stream, onto the end of such an array, or to a function of
// the caller's (a print queue, say). Neither knows anything about printers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "errors.h"

// A growable byte array; all zero is a valid empty buffer. The block comes from malloc/realloc,
// so whoever takes it over releases it with free().
struct byte_buffer {
    uint8_t* data;    // heap block owned by the buffer; NULL while nothing was allocated
    size_t length;    // bytes in use
    size_t capacity;  // bytes allocated
};

// Takes count bytes for a function sink; 1 when it took them all.
typedef int (*byte_sink_function)(void* target, const void* bytes, size_t count);

// Where a writer's bytes go: a stream when `stream` is set, a function when `function` is,
// else the end of `buffer`. The first failure is remembered and later writes are dropped: a
// job is whole or it is an error.
struct byte_sink {
    FILE* stream;
    byte_buffer* buffer;
    byte_sink_function function;
    void* target;        // the function's
    engine_error error;  // 4 after a short write to a stream or a failed function, 3 when
                         // memory ran out, 1 when a text could not be formatted
    uint64_t written;    // bytes taken so far
    uint8_t* staging;    // see byte_sink_stage; NULL for none
    size_t staging_size;
    size_t staged;       // bytes in the staging block not yet handed on
};

// --- Buffers (1 on success, 0 on failure; a failed append leaves the buffer as it was) ---

// Zeroes the buffer; 0 for NULL.
int byte_buffer_init(byte_buffer* buffer);

// Frees the block and zeroes the buffer; NULL is ignored.
void byte_buffer_free(byte_buffer* buffer);

// Makes the capacity at least `capacity` bytes in one allocation, for a caller that knows its
// size ahead.
int byte_buffer_reserve(byte_buffer* buffer, size_t capacity);

// Appends count bytes (0 appends nothing). Growth doubles the capacity, from 64 KiB, until the
// bytes fit.
int byte_buffer_append(byte_buffer* buffer, const void* bytes, size_t count);

// Appends the low 8 bits of value.
int byte_buffer_append_byte(byte_buffer* buffer, int value);

int byte_buffer_append_u16_le(byte_buffer* buffer, uint16_t value);
int byte_buffer_append_u32_le(byte_buffer* buffer, uint32_t value);
int byte_buffer_append_u16_be(byte_buffer* buffer, uint16_t value);

// --- Sinks ---

byte_sink byte_sink_stream(FILE* stream);
byte_sink byte_sink_buffer(byte_buffer* buffer);
byte_sink byte_sink_to(byte_sink_function function, void* target);

// Gathers the bytes for a stream or function in `block` (`size` bytes, the caller's, kept until
// the sink is done with it) and hands them on a full block at a time, the rest at byte_sink_flush:
// pieces as large as the target likes, and room a writer can fill in place.
void byte_sink_stage(byte_sink* sink, void* block, size_t size);

// Hands on the bytes gathered so far; as byte_sink_write.
int byte_sink_flush(byte_sink* sink);

// Writes count bytes; 1 when they were taken, 0 when this or an earlier write failed.
int byte_sink_write(byte_sink* sink, const void* bytes, size_t count);

// The room at the free end of a buffer (grown when it has none) or of a staging block, for a
// writer to fill in place: its start, with its size (at least 1) in *room; the bytes are taken
// once byte_sink_took is told how many were written there. NULL when the sink lends no room (a
// plain stream or function) or has failed: write through byte_sink_write then.
char* byte_sink_room(byte_sink* sink, size_t* room);
void byte_sink_took(byte_sink* sink, size_t count);

// Writes printf-formatted text; as byte_sink_write.
[[gnu::format(ENGINE_PRINTF, 2, 3)]] int byte_sink_printf(byte_sink* sink, const char* fmt, ...);

// The sink's error, or 4 when its stream's error flag is set; 0 when all went through.
engine_error byte_sink_status(const byte_sink* sink);
