// The editing model: in-place edits of a fixed-capacity UTF-8 buffer that never store part of a
// character, word motion, undo snapshots, and the frame cycle's bookkeeping of the active field
// and the caret blink. Line tables are text_lines.cpp's; which keys do what, and how a field
// looks, is the text field's business (text_field.cpp).
#include "qel/text_edit.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/core.h"
#include "qel/frame.h"
#include "qel/state.h"
#include "text/text_fields.h"

static const double COALESCE_SECONDS = 1.0;

static bool is_continuation(uint8_t b)
{
    return (b & 0xC0) == 0x80;
}

// Carriage returns are dropped as Windows line ends; a NUL would end the text early and lose its
// tail.
static bool never_stored(char c)
{
    return c == '\r' || c == 0;
}

int32_t qel_text_char_start(const char* text, int32_t length, int32_t offset)
{
    offset = std::clamp(offset, 0, std::max(length, 0));
    while (offset > 0 && offset < length && is_continuation((uint8_t)text[offset])) offset--;
    return offset;
}

// --- Buffer edits ---

// The end of the source bytes that fill at most room bytes of the buffer without cutting a
// character; *stored receives how many bytes they store.
static int32_t fitting_source(const char* text, int32_t text_length, int32_t room, int32_t* stored)
{
    int32_t end = 0, k = 0;
    while (end < text_length && k < room) {
        if (!never_stored(text[end])) k++;
        end++;
    }
    int32_t next = end;
    while (next < text_length && never_stored(text[next])) next++;
    if (next < text_length && is_continuation((uint8_t)text[next])) {
        // The cut falls inside a character: drop it back to before its lead byte.
        while (end > 0 && (never_stored(text[end - 1]) || is_continuation((uint8_t)text[end - 1])))
            if (!never_stored(text[--end])) k--;
        if (end > 0 && (uint8_t)text[end - 1] >= 0xC0) {
            end--;
            k--;
        }
    }
    *stored = k;
    return end;
}

int32_t qel_text_insert_raw(char* buffer, int32_t* length, int32_t capacity, int32_t offset, const char* text,
                            int32_t text_length, bool multiline)
{
    if (!buffer || !length || !text || text_length < 1 || *length < 0 || *length >= capacity) return 0;
    int32_t k;
    int32_t end = fitting_source(text, text_length, capacity - 1 - *length, &k);
    if (k < 1) return 0;
    offset = qel_text_char_start(buffer, *length, offset);
    memmove(buffer + offset + k, buffer + offset, (size_t)(*length - offset + 1));
    char* out = buffer + offset;
    for (int32_t i = 0; i < end; i++) {
        char c = text[i];
        if (never_stored(c)) continue;
        if (!multiline && (c == '\t' || c == '\n')) c = ' ';
        *out++ = c;
    }
    *length += k;
    return k;
}

int32_t qel_text_insert(char* buffer, int32_t* length, int32_t capacity, int32_t offset, const char* text,
                        int32_t text_length)
{
    return qel_text_insert_raw(buffer, length, capacity, offset, text, text_length, true);
}

void qel_text_delete(char* buffer, int32_t* length, int32_t from, int32_t to)
{
    if (!buffer || !length) return;
    from = qel_text_char_start(buffer, *length, from);
    to = qel_text_char_start(buffer, *length, to);
    if (from >= to) return;
    memmove(buffer + from, buffer + to, (size_t)(*length - to + 1));
    *length -= to - from;
}

// --- Characters and words ---

int32_t qel_text_char_class(uint8_t b)
{
    return b >= 0x80 || b == '_' || (b >= '0' && b <= '9') || ((b | 0x20) >= 'a' && (b | 0x20) <= 'z');
}

int32_t qel_text_next_word(const char* text, int32_t length, int32_t offset)
{
    offset = std::clamp(offset, 0, std::max(length, 0));
    while (offset < length && !qel_text_char_class((uint8_t)text[offset])) offset++;
    while (offset < length && qel_text_char_class((uint8_t)text[offset])) offset++;
    return offset;
}

int32_t qel_text_prev_word(const char* text, int32_t offset)
{
    offset = std::max(offset, 0);
    while (offset > 0 && !qel_text_char_class((uint8_t)text[offset - 1])) offset--;
    while (offset > 0 && qel_text_char_class((uint8_t)text[offset - 1])) offset--;
    return offset;
}

// --- State and undo ---

static void free_snapshots(qel_context* ctx, qel_text_input_state* s, int32_t from)
{
    for (int32_t i = from; i < s->undo_count; i++) {
        qel_mem_free(ctx, s->undo_text[i]);
        s->undo_text[i] = nullptr;
    }
    s->undo_count = std::min(s->undo_count, from);
}

static void qel_text_state_release(qel_context* ctx, void* blob)
{
    auto* s = (qel_text_input_state*)blob;
    free_snapshots(ctx, s, 0);
    s->undo_position = 0;
}

void qel_text_state_init(qel_context* ctx, uint32_t id, qel_text_input_state* state)
{
    if (state->initialised) return;
    state->initialised = 1;
    state->preferred_x = -1;
    qel_state_set_destructor(ctx, id, qel_text_state_release);
}

int32_t qel_text_push_undo(qel_context* ctx, qel_text_input_state* s, const char* text, uint32_t kind)
{
    double now = qel_ctx_time(ctx);
    if (now - s->last_edit_time < COALESCE_SECONDS && s->undo_position == s->undo_count &&
        kind == s->last_edit_kind && kind != QEL_EDIT_OTHER && s->caret == s->caret_after_edit) {
        s->last_edit_time = now;
        return s->undo_count;
    }
    s->last_edit_kind = kind;
    s->last_edit_time = now;
    free_snapshots(ctx, s, s->undo_position);
    if (s->undo_count == QEL_TEXT_UNDO_DEPTH) {
        qel_mem_free(ctx, s->undo_text[0]);
        std::copy(s->undo_text + 1, s->undo_text + QEL_TEXT_UNDO_DEPTH, s->undo_text);
        std::copy(s->undo_caret + 1, s->undo_caret + QEL_TEXT_UNDO_DEPTH, s->undo_caret);
        s->undo_text[--s->undo_count] = nullptr;
    }
    size_t n = strlen(text);
    char* copy = (char*)qel_mem_alloc(ctx, n + 1);
    memcpy(copy, text, n + 1);
    s->undo_text[s->undo_count] = copy;
    s->undo_caret[s->undo_count] = s->caret;
    s->undo_position = ++s->undo_count;
    return s->undo_count;
}

static void restore(qel_text_input_state* s, int32_t index, char* buffer, int32_t capacity)
{
    const char* snap = s->undo_text[index];
    int32_t n = (int32_t)strlen(snap);
    if (n > capacity - 1) n = qel_text_char_start(snap, n, capacity - 1);
    memcpy(buffer, snap, (size_t)n);
    buffer[n] = 0;
    s->caret = s->anchor = qel_text_char_start(buffer, n, s->undo_caret[index]);
    s->undo_position = index;
}

int32_t qel_text_undo(qel_context* ctx, qel_text_input_state* s, char* buffer, int32_t capacity, bool redo)
{
    if (!buffer || capacity < 1 || s->undo_count == 0) return 0;
    if (redo) {
        if (s->undo_position + 1 >= s->undo_count) return 0;
        restore(s, s->undo_position + 1, buffer, capacity);
        return 1;
    }
    if (s->undo_position == s->undo_count) {
        // The text as it stands becomes the step that redo comes back to.
        qel_text_push_undo(ctx, s, buffer, QEL_EDIT_OTHER);
        s->last_edit_time = 0;
        s->undo_position = s->undo_count - 1;
    }
    if (s->undo_position < 1) return 0;
    restore(s, s->undo_position - 1, buffer, capacity);
    return 1;
}

// --- The frame cycle's calls ---

void qel_text_fields_begin_frame(qel_context* ctx)
{
    ctx->text_fields.active = nullptr;
    ctx->text_fields.override_set = 0;  // an override no field used is not carried into the next frame
}

void qel_text_fields_end_frame(qel_context* ctx)
{
    qel_text_fields* t = &ctx->text_fields;
    t->active_last_frame = t->active != nullptr;
    if (!t->active) return;
    double since = std::max(0.0, ctx->clock.time - t->caret_time);
    qel_request_redraw_in(ctx, (float)(QEL_CARET_BLINK_SECONDS - fmod(since, QEL_CARET_BLINK_SECONDS)));
}
