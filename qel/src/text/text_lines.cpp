// Line tables of multi-line text: the wrap of text.cpp with the blanks of a soft break kept on the
// line before and an empty last line after a final line feed; with a cache, only the paragraphs
// an edit touched are wrapped again. Which line a caret stands on is decided here too.
#include "text/text_lines.h"

#include <algorithm>
#include <cstring>

#include "core/array_grow.h"
#include "core/core.h"
#include "qel/font.h"
#include "text/text_wrap.h"

// The greedy lines of text in the frame arena, one record spare.
static int32_t greedy_lines(qel_context* ctx, int32_t font, float size, const char* text, int32_t length, float width,
                            qel_text_line** out)
{
    int32_t room = length / 8 + 16;  // a guess; the wrap tells the full count when it was short
    auto* lines = (qel_text_line*)qel_arena_alloc(ctx, (size_t)(room + 1) * sizeof(qel_text_line));
    int32_t n = qel_text_wrap_greedy(ctx, font, size, text, length, width, lines, room);
    if (n > room) {
        lines = (qel_text_line*)qel_arena_alloc(ctx, (size_t)(n + 1) * sizeof(qel_text_line));
        qel_text_wrap_greedy(ctx, font, size, text, length, width, lines, n);
    }
    *out = lines;
    return n;
}

static bool cache_fits(const qel_text_lines_cache* c, int32_t font, float size, float width)
{
    return c && c->text && c->font == font && c->size == size && c->width == width;
}

// The greedy lines of text from the cache's, wrapping again only the paragraphs between the
// first and the last byte that differ. The greedy pass starts every paragraph afresh, so the
// lines come out as a wrap of the whole text would give them.
static int32_t greedy_from_cache(qel_context* ctx, const qel_text_lines_cache* c, int32_t font, float size,
                                 const char* text, int32_t length, float width, qel_text_line** out)
{
    int32_t old_length = c->length, shorter = std::min(old_length, length);
    int32_t prefix = (int32_t)(std::mismatch(text, text + shorter, c->text).first - text);
    int32_t suffix = 0;
    while (suffix < shorter - prefix && text[length - 1 - suffix] == c->text[old_length - 1 - suffix]) suffix++;
    int32_t start = prefix, end = length - suffix;
    while (start > 0 && text[start - 1] != '\n') start--;
    while (end < length && text[end] != '\n') end++;
    bool more_after = end < length;  // then the paragraph's line feed is wrapped with it
    qel_text_line* mid;
    int32_t mid_count = greedy_lines(ctx, font, size, text + start, end + more_after - start, width, &mid);
    mid_count -= more_after;  // the empty line after that line feed belongs to the next paragraph
    int32_t delta = length - old_length;
    const qel_text_line *old = c->greedy, *old_end = c->greedy + c->count;
    // Old lines before the paragraphs wrapped again stay; those after them move by the change in length.
    auto before = [&](const qel_text_line& l) { return l.start < start; };
    auto up_to_end = [&](const qel_text_line& l) { return l.start <= end - delta; };
    const qel_text_line* head_end = std::partition_point(old, old_end, before);
    const qel_text_line* tail = more_after ? std::partition_point(old, old_end, up_to_end) : old_end;
    int32_t head = (int32_t)(head_end - old), tail_count = (int32_t)(old_end - tail);
    int32_t n = head + mid_count + tail_count;
    auto* lines = (qel_text_line*)qel_arena_alloc(ctx, (size_t)(n + 1) * sizeof(qel_text_line));
    std::copy(old, head_end, lines);
    for (int32_t i = 0; i < mid_count; i++) lines[head + i] = {mid[i].start + start, mid[i].end + start, mid[i].width};
    for (int32_t i = 0; i < tail_count; i++)
        lines[head + mid_count + i] = {tail[i].start + delta, tail[i].end + delta, tail[i].width};
    *out = lines;
    return n;
}

static void remember(qel_context* ctx, qel_text_lines_cache* c, int32_t font, float size, float width,
                     const char* text, int32_t length, const qel_text_line* lines, int32_t n)
{
    c->text = qel_array_grow(ctx, c->text, &c->text_capacity, length + 1ll);
    memcpy(c->text, text, (size_t)length);
    c->text[length] = 0;
    c->length = length;
    c->greedy = qel_array_grow(ctx, c->greedy, &c->capacity, n);
    std::copy(lines, lines + n, c->greedy);
    c->count = n;
    c->font = font;
    c->size = size;
    c->width = width;
}

int32_t qel_text_lines_build(qel_context* ctx, qel_text_lines_cache* cache, int32_t handle, float size,
                             const char* text, int32_t length, float wrap_width, qel_text_line** out)
{
    if (!(wrap_width > 0)) wrap_width = 1;
    int32_t font = qel_font_resolve(ctx, handle);
    qel_text_line* lines;
    int32_t n = cache_fits(cache, font, size, wrap_width)
                    ? greedy_from_cache(ctx, cache, font, size, text, length, wrap_width, &lines)
                    : greedy_lines(ctx, font, size, text, length, wrap_width, &lines);
    if (cache) remember(ctx, cache, font, size, wrap_width, text, length, lines, n);
    qel_text_wrap_refine(ctx, font, size, text, length, wrap_width, lines, n);
    // The blanks at a soft break stay with the line before, so every byte belongs to a line.
    for (int32_t i = 0; i + 1 < n; i++)
        if (lines[i].end < lines[i + 1].start && text[lines[i].end] != '\n') lines[i].end = lines[i + 1].start;
    lines[n - 1].end = length;
    // The wrap ends a text that ends in a line feed with an empty line already; the caret stands there.
    if (length > 0 && text[length - 1] == '\n' && lines[n - 1].start < length) lines[n++] = {length, length, 0};
    *out = lines;
    return n;
}

void qel_text_lines_release(qel_context* ctx, void* blob)
{
    auto* c = (qel_text_lines_cache*)blob;
    qel_mem_free(ctx, c->text);
    qel_mem_free(ctx, c->greedy);
    *c = {};
}

int32_t qel_text_build_lines(qel_context* ctx, int32_t font, float size, const char* text, int32_t length,
                             float wrap_width, qel_text_line** out)
{
    return qel_text_lines_build(ctx, nullptr, font, size, text, length, wrap_width, out);
}

int32_t qel_text_line_index(const qel_text_line* lines, int32_t count, int32_t offset)
{
    for (int32_t i = 0; i < count; i++) {
        if (lines[i].end > offset) return i;
        if (lines[i].end == offset && (i == count - 1 || lines[i + 1].start > offset)) return i;
    }
    return count - 1;
}
