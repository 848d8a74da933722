// The status line, fixed-size copies and releasing the state.
#include "app/app_state.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// The length of the longest prefix of text's first `length` bytes that does not end inside a
// UTF-8 character.
static size_t whole_characters(const char* text, size_t length)
{
    size_t start = length;
    while (start > 0 && length - start < 3 && ((unsigned char)text[start - 1] & 0xC0) == 0x80) start--;
    if (start == 0) return length;
    unsigned char lead = (unsigned char)text[start - 1];
    size_t size = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return start - 1 + size > length ? start - 1 : length;
}

void app_copy_text(char* field, size_t capacity, const char* text)
{
    if (capacity == 0) return;
    if (!text) text = "";
    size_t n = strnlen(text, capacity);
    if (n == capacity) n = whole_characters(text, capacity - 1);
    memcpy(field, text, n);
    field[n] = '\0';
}

[[gnu::format(ENGINE_PRINTF, 3, 0)]] static void status_format(app_state* state, uint32_t kind, const char* format,
                                                            va_list args)
{
    // Escaping never shortens a text, so the cut before it loses nothing the line could show.
    char text[sizeof state->status_text];
    int n = vsnprintf(text, sizeof text, format, args);
    if (n >= (int)sizeof text) text[whole_characters(text, sizeof text - 1)] = '\0';
    engine_message_escape(state->status_text, sizeof state->status_text, text);
    state->status_kind = kind;
    state->status_from_preview = 0;
}

void app_status_set(app_state* state, uint32_t kind, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    status_format(state, kind, format, args);
    va_end(args);
}

void app_status_error(app_state* state, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    status_format(state, APP_STATUS_ERROR, format, args);
    va_end(args);
}

void app_status_clear(app_state* state)
{
    app_status_set(state, APP_STATUS_INFO, "%s", "");
}

const char* app_path_file_name(const char* path)
{
    const char* name = path;
    for (const char* c = path; *c; c++)
        if (*c == '/' || *c == '\\') name = c + 1;
    return name;
}

void app_state_free(app_state* state)
{
    if (!state) return;
    raster_free(&state->raster);
    csv_table_free(&state->table);
    csv_table_free(&state->saved_table);
    free(state);
}
