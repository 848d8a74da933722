// Byte buffers that grow by doubling, and sinks that write to a stream, a buffer or a function,
// the first and last through a block of the caller's when one is staged.
#include "byte_buffer.h"

#include <algorithm>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

static const size_t BYTE_BUFFER_FIRST_CAPACITY = 65536;

// Makes room for `more` bytes behind the used ones.
static bool byte_buffer_make_room(byte_buffer* buffer, size_t more)
{
    if (more > SIZE_MAX - buffer->length) return false;
    size_t need = buffer->length + more;
    if (need <= buffer->capacity) return true;
    size_t capacity = buffer->capacity ? buffer->capacity : BYTE_BUFFER_FIRST_CAPACITY;
    while (capacity < need) {
        if (capacity > SIZE_MAX / 2) return false;
        capacity *= 2;
    }
    uint8_t* grown = (uint8_t*)realloc(buffer->data, capacity);
    if (!grown) return false;
    buffer->data = grown;
    buffer->capacity = capacity;
    return true;
}

int byte_buffer_init(byte_buffer* buffer)
{
    if (!buffer) return 0;
    *buffer = {};
    return 1;
}

void byte_buffer_free(byte_buffer* buffer)
{
    if (!buffer) return;
    free(buffer->data);
    *buffer = {};
}

int byte_buffer_reserve(byte_buffer* buffer, size_t capacity)
{
    if (!buffer) return 0;
    if (capacity <= buffer->capacity) return 1;
    uint8_t* grown = (uint8_t*)realloc(buffer->data, capacity);
    if (!grown) return 0;
    buffer->data = grown;
    buffer->capacity = capacity;
    return 1;
}

int byte_buffer_append(byte_buffer* buffer, const void* bytes, size_t count)
{
    if (!buffer || (!bytes && count)) return 0;
    if (count == 0) return 1;
    if (!byte_buffer_make_room(buffer, count)) return 0;
    memcpy(buffer->data + buffer->length, bytes, count);
    buffer->length += count;
    return 1;
}

int byte_buffer_append_byte(byte_buffer* buffer, int value)
{
    uint8_t byte = (uint8_t)value;
    return byte_buffer_append(buffer, &byte, 1);
}

int byte_buffer_append_u16_le(byte_buffer* buffer, uint16_t value)
{
    const uint8_t bytes[2] = {(uint8_t)value, (uint8_t)(value >> 8)};
    return byte_buffer_append(buffer, bytes, 2);
}

int byte_buffer_append_u32_le(byte_buffer* buffer, uint32_t value)
{
    const uint8_t bytes[4] = {(uint8_t)value, (uint8_t)(value >> 8), (uint8_t)(value >> 16), (uint8_t)(value >> 24)};
    return byte_buffer_append(buffer, bytes, 4);
}

int byte_buffer_append_u16_be(byte_buffer* buffer, uint16_t value)
{
    const uint8_t bytes[2] = {(uint8_t)(value >> 8), (uint8_t)value};
    return byte_buffer_append(buffer, bytes, 2);
}

byte_sink byte_sink_stream(FILE* stream)
{
    return byte_sink{stream, nullptr, nullptr, nullptr, ERR_OK, 0, nullptr, 0, 0};
}

byte_sink byte_sink_buffer(byte_buffer* buffer)
{
    return byte_sink{nullptr, buffer, nullptr, nullptr, ERR_OK, 0, nullptr, 0, 0};
}

byte_sink byte_sink_to(byte_sink_function function, void* target)
{
    return byte_sink{nullptr, nullptr, function, target, ERR_OK, 0, nullptr, 0, 0};
}

void byte_sink_stage(byte_sink* sink, void* block, size_t size)
{
    if (sink->buffer || !block || !size) return;
    sink->staging = (uint8_t*)block;
    sink->staging_size = size;
    sink->staged = 0;
}

// Passes bytes to the stream or function.
static void byte_sink_hand_on(byte_sink* sink, const void* bytes, size_t count)
{
    if (sink->stream ? fwrite(bytes, 1, count, sink->stream) != count : !sink->function(sink->target, bytes, count))
        sink->error = ERR_IO;
}

int byte_sink_flush(byte_sink* sink)
{
    if (!sink->error && sink->staged) byte_sink_hand_on(sink, sink->staging, sink->staged);
    sink->staged = 0;
    return sink->error == ERR_OK;
}

// Gathers bytes in the staging block, handing it on whenever it fills; a piece at least a block
// long that finds the block empty goes on as it is.
static void byte_sink_gather(byte_sink* sink, const uint8_t* bytes, size_t count)
{
    while (count > 0 && !sink->error) {
        if (sink->staged == 0 && count >= sink->staging_size) {
            byte_sink_hand_on(sink, bytes, count);
            return;
        }
        size_t n = std::min(sink->staging_size - sink->staged, count);
        memcpy(sink->staging + sink->staged, bytes, n);
        sink->staged += n;
        bytes += n;
        count -= n;
        if (sink->staged == sink->staging_size) byte_sink_flush(sink);
    }
}

int byte_sink_write(byte_sink* sink, const void* bytes, size_t count)
{
    if (sink->error) return 0;
    if (count == 0) return 1;
    if (sink->staging) byte_sink_gather(sink, (const uint8_t*)bytes, count);
    else if (sink->stream || sink->function) byte_sink_hand_on(sink, bytes, count);
    else if (!byte_buffer_append(sink->buffer, bytes, count)) sink->error = ERR_NOMEM;
    if (!sink->error) sink->written += count;
    return sink->error == ERR_OK;
}

char* byte_sink_room(byte_sink* sink, size_t* room)
{
    if (sink->error) return nullptr;
    if (sink->buffer) {
        if (!byte_buffer_make_room(sink->buffer, 1)) {
            sink->error = ERR_NOMEM;
            return nullptr;
        }
        *room = sink->buffer->capacity - sink->buffer->length;
        return (char*)sink->buffer->data + sink->buffer->length;
    }
    if (!sink->staging) return nullptr;
    // A full block was handed on at once.
    *room = sink->staging_size - sink->staged;
    return (char*)sink->staging + sink->staged;
}

void byte_sink_took(byte_sink* sink, size_t count)
{
    sink->written += count;
    if (sink->buffer) {
        sink->buffer->length += count;
        return;
    }
    sink->staged += count;
    if (sink->staged == sink->staging_size) byte_sink_flush(sink);
}

int byte_sink_printf(byte_sink* sink, const char* fmt, ...)
{
    if (sink->error) return 0;
    char local[256];
    va_list args;
    va_start(args, fmt);
    int n = vsnprintf(local, sizeof local, fmt, args);
    va_end(args);
    if (n < 0) {
        sink->error = ERR_INVALID;
        return 0;
    }
    if ((size_t)n < sizeof local) return byte_sink_write(sink, local, (size_t)n);
    char* text = (char*)malloc((size_t)n + 1);
    if (!text) {
        sink->error = ERR_NOMEM;
        return 0;
    }
    va_start(args, fmt);
    vsnprintf(text, (size_t)n + 1, fmt, args);
    va_end(args);
    int ok = byte_sink_write(sink, text, (size_t)n);
    free(text);
    return ok;
}

engine_error byte_sink_status(const byte_sink* sink)
{
    if (sink->error) return sink->error;
    return sink->stream && ferror(sink->stream) ? ERR_IO : ERR_OK;
}
