// The terminal buffer's intake: the byte-by-byte parser of text, controls and escape sequences,
// printable runs appended in one copy each, and the rings' upkeep that drops the oldest lines
// whose bytes a write is about to cover.
#include "qel/terminal_buffer.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "terminal_lines.h"

static const uint32_t MAX_TEXT = 0x7fffffffu, MIN_TEXT = 64;
static const int32_t MIN_LINES = 2, PRINTF_BUFFER = 2048;

enum { TEXT = 0, AFTER_ESC = 1, CONTROL = 2, OS_COMMAND = 3, OS_ESC = 4 };

static bool usable(const qel_terminal_buffer* b)
{
    return b && b->line_capacity > 0;
}

static qel_terminal_line* current(qel_terminal_buffer* b)
{
    return &b->lines[(b->head + b->count - 1) % b->line_capacity];
}

static void drop_oldest(qel_terminal_buffer* b)
{
    b->head = (b->head + 1) % b->line_capacity;
    b->count--;
}

static void start_over(qel_terminal_buffer* b)
{
    b->head = 0;
    b->count = 1;
    b->lines[0] = {};
    b->write_offset = 0;
    b->cr_pending = 0;
}

void qel_terminal_init(qel_terminal_buffer* buffer, char* text, uint32_t text_capacity, qel_terminal_line* lines,
                       int32_t line_capacity)
{
    if (!buffer) return;
    *buffer = {};
    buffer->text = text;
    buffer->text_capacity = text_capacity < MAX_TEXT ? text_capacity : MAX_TEXT;
    buffer->lines = lines;
    if (!text || text_capacity < MIN_TEXT || !lines || line_capacity < MIN_LINES) return;
    buffer->line_capacity = line_capacity;
    start_over(buffer);
    buffer->line_total = 1;
}

void qel_terminal_clear(qel_terminal_buffer* buffer)
{
    if (!usable(buffer)) return;
    buffer->line_total++;
    start_over(buffer);
    buffer->state = TEXT;
}

// Drops every held line older than the current one whose bytes meet [from, to), together with
// all lines older than it. An empty line holds no bytes, so it goes only with a newer one.
// Older lines lie in ring order: first those left of the last lap (from the write offset on,
// ascending), then this lap's up to the current line; whole is set when they must all be looked at.
static void drop_covered(qel_terminal_buffer* b, uint32_t from, uint32_t to, bool whole)
{
    int32_t last_hit = -1;
    for (int32_t i = 0; i + 1 < b->count; i++) {
        const qel_terminal_line& l = qel_terminal_line_of(b, i);
        if (l.length > 0 && l.start < to && from < l.start + l.length) last_hit = i;
        else if (!whole && (l.start >= to || l.start < from)) break;
    }
    for (int32_t i = 0; i <= last_hit; i++) drop_oldest(b);
}

// Appends n bytes taking c cells to the current line.
static void append(qel_terminal_buffer* b, const char* bytes, uint32_t n, uint32_t c)
{
    qel_terminal_line* line = current(b);
    if ((uint64_t)line->length + n > b->text_capacity) return;
    if ((uint64_t)line->start + line->length + n > b->text_capacity) {
        drop_covered(b, 0, line->length + n, true);
        line = current(b);
        memmove(b->text, b->text + line->start, line->length);
        line->start = 0;
        b->write_offset = line->length;
    } else {
        drop_covered(b, b->write_offset, b->write_offset + n, false);
    }
    memcpy(b->text + b->write_offset, bytes, n);
    b->write_offset += n;
    line->length += n;
    line->columns += c;
}

static void reset_line(qel_terminal_buffer* b)
{
    qel_terminal_line* line = current(b);
    b->write_offset = line->start;
    line->length = line->columns = 0;
    b->cr_pending = 0;
}

static void new_line(qel_terminal_buffer* b)
{
    b->cr_pending = 0;
    if (b->count == b->line_capacity) drop_oldest(b);
    b->count++;
    *current(b) = {b->write_offset, 0, 0};
    b->line_total++;
}

static void tab(qel_terminal_buffer* b)
{
    static const char SPACES[8] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
    if (b->cr_pending) reset_line(b);
    uint32_t n = 8 - current(b)->columns % 8;
    append(b, SPACES, n, n);
}

static void backspace(qel_terminal_buffer* b)
{
    qel_terminal_line* line = current(b);
    if (line->length == 0 || line->length != line->columns) return;
    line->length--;
    line->columns--;
    b->write_offset--;
}

static void run(qel_terminal_buffer* b, const char* from, const char* to)
{
    if (from == to) return;
    if (b->cr_pending) reset_line(b);
    uint32_t cells = 0;
    for (const char* p = from; p < to; p++) cells += qel_terminal_cell_start((uint8_t)*p);
    append(b, from, (uint32_t)(to - from), cells);
}

static void end_sequence(qel_terminal_buffer* b, char final)
{
    b->state = TEXT;
    const char* seq = b->sequence;
    uint8_t n = b->sequence_length;
    if (final == 'm' && seq[n - 1] == 'm') {
        if (b->cr_pending) reset_line(b);
        append(b, seq, n, 0);
    } else if (final == 'K' && b->cr_pending) {
        reset_line(b);
    } else if (final == 'J' && memchr(seq, '2', n)) {
        qel_terminal_clear(b);
    }
}

static void control_byte(qel_terminal_buffer* b, uint8_t c)
{
    switch (c) {
    case 27:
        b->sequence[0] = 27;
        b->sequence_length = 1;
        b->state = AFTER_ESC;
        break;
    case '\n': new_line(b); break;
    case '\r': b->cr_pending = 1; break;
    case '\t': tab(b); break;
    case 8: backspace(b); break;
    default: break;  // every other control is dropped
    }
}

static void sequence_byte(qel_terminal_buffer* b, uint8_t c)
{
    switch (b->state) {
    case AFTER_ESC:
        if (c == '[') {
            b->sequence[b->sequence_length++] = '[';
            b->state = CONTROL;
        } else {
            b->state = c == ']' ? OS_COMMAND : TEXT;
        }
        break;
    case CONTROL:
        if (b->sequence_length < QEL_TERMINAL_SEQUENCE) b->sequence[b->sequence_length++] = (char)c;
        if (c >= 0x40 && c <= 0x7E) end_sequence(b, (char)c);
        break;
    case OS_COMMAND:
        if (c == 7) b->state = TEXT;
        else if (c == 27) b->state = OS_ESC;
        break;
    default: b->state = c == '\\' ? TEXT : OS_COMMAND; break;
    }
}

void qel_terminal_write(qel_terminal_buffer* buffer, const char* bytes, int32_t length)
{
    if (!usable(buffer) || !bytes) return;
    size_t n = length < 0 ? strlen(bytes) : (size_t)length;
    const char* p = bytes;
    const char* end = bytes + n;
    while (p < end) {
        if (buffer->state != TEXT) {
            sequence_byte(buffer, (uint8_t)*p++);
            continue;
        }
        const char* printable = p;
        while (p < end && (uint8_t)*p >= 32 && *p != 127) p++;
        run(buffer, printable, p);
        if (p < end) control_byte(buffer, (uint8_t)*p++);
    }
}

void qel_terminal_printf(qel_terminal_buffer* buffer, const char* format, ...)
{
    if (!format) return;
    char local[PRINTF_BUFFER];
    va_list args;
    va_start(args, format);
    int result = vsnprintf(local, sizeof local, format, args);
    va_end(args);
    if (result < 1) return;
    qel_terminal_write(buffer, local, result < PRINTF_BUFFER - 1 ? result : PRINTF_BUFFER - 1);
}
