// Text measuring, hit testing, greedy and balanced line breaking, and the drawing entry points,
// all on the glyph walk of font.cpp. Rasterising and the atlas are glyph_atlas.cpp's.
#include "qel/text.h"

#include <algorithm>
#include <cstring>

#include "core/core.h"
#include "text/text_wrap.h"

namespace {

enum { LOCAL_LINES = 96 };

const float LINE_FACTOR = 1.45f;
const char ELLIPSIS[] = "\xE2\x80\xA6";

int32_t qel_text_length(const char* text, int32_t length)
{
    return length < 0 && text ? (int32_t)strlen(text) : length;
}

bool qel_is_blank(uint32_t c)
{
    return c == ' ' || c == '\t';
}

bool qel_has_blank(const char* text, int32_t start, int32_t end)
{
    for (int32_t i = start; i < end; i++)
        if (qel_is_blank((uint8_t)text[i])) return true;
    return false;
}

int32_t qel_count_spaces(const char* text, int32_t start, int32_t end)
{
    return (int32_t)std::count(text + start, text + end, ' ');
}

struct qel_wrap_out {
    qel_text_line* lines;
    int32_t max_lines;
    int32_t count;
};

void qel_wrap_emit(qel_wrap_out* out, int32_t start, int32_t end, float width)
{
    if (out->lines && out->count < out->max_lines) out->lines[out->count] = {start, end, width};
    out->count++;
}

}  // namespace

int32_t qel_text_wrap_greedy(qel_context* ctx, int32_t font, float size, const char* text, int32_t length,
                             float max_width, qel_text_line* lines, int32_t max_lines)
{
    qel_wrap_out out = {lines, max_lines, 0};
    int32_t line_start = 0, break_at = -1;
    // Widths end at the pen after a line's last glyph: kerning with the next line's first glyph
    // is no part of either. word_pen is where the word after the latest blanks began.
    float start_pen = 0, break_width = 0, pen_end = 0, word_pen = 0;
    bool after_blank = false;
    qel_glyph_iter it;
    qel_glyph_iter_init(&it, ctx, font, size, text, length, 0);
    while (qel_glyph_iter_next(&it)) {
        uint32_t c = it.code_point;
        bool blank = qel_is_blank(c);
        if (after_blank && !blank) word_pen = it.pen_before;
        if (c == '\n') {
            qel_wrap_emit(&out, line_start, it.byte_start, pen_end - start_pen);
            line_start = it.byte_end;
            // Each paragraph starts afresh, as if it stood alone: no pen, nothing to kern against.
            it.pen_x = start_pen = 0;
            it.prev_font = -1;
            break_at = -1;
        } else if (blank) {
            // A run of blanks breaks at its first one, so that none of it belongs to a line.
            if (!after_blank) {
                break_at = it.byte_start;
                break_width = pen_end - start_pen;
            }
        } else if (it.byte_start != line_start && it.pen_before + it.advance - start_pen > max_width + 0.01f) {
            if (break_at >= 0) {
                qel_wrap_emit(&out, line_start, break_at, break_width);
                line_start = break_at;
                while (line_start < it.byte_start && qel_is_blank((uint8_t)text[line_start])) line_start++;
                // The part of the word carried over keeps its width: the new line starts where it did.
                start_pen = word_pen;
            } else {
                qel_wrap_emit(&out, line_start, it.byte_start, pen_end - start_pen);
                line_start = it.byte_start;
                start_pen = it.pen_before;
            }
            break_at = -1;
        }
        after_blank = blank;
        pen_end = it.pen_x;
    }
    int32_t end = length;
    while (end > line_start && qel_is_blank((uint8_t)text[end - 1])) end--;
    qel_wrap_emit(&out, line_start, end, qel_text_width_font(ctx, font, size, text + line_start, end - line_start, 0));
    return out.count;
}

namespace {

// A last line of one word after a line of three words or more, not set apart by a line feed.
bool qel_wrap_lone_last_word(const char* text, const qel_text_line* lines, int32_t n)
{
    if (n < 2 || n > LOCAL_LINES) return false;
    const qel_text_line& last = lines[n - 1];
    const qel_text_line& before = lines[n - 2];
    return last.end > last.start && !qel_has_blank(text, last.start, last.end) && text[last.start - 1] != '\n' &&
           before.end > before.start && qel_count_spaces(text, before.start, before.end) >= 2;
}

// The narrowest width that keeps n lines, so that the lines of a heading come out alike.
bool qel_wrap_balance(qel_context* ctx, int32_t font, float size, const char* text, int32_t length, float max_width,
                      int32_t n, qel_text_line* lines)
{
    float lo = max_width * 0.5f, hi = max_width;
    for (int32_t i = 0; i < 9; i++) {
        float mid = (lo + hi) * 0.5f;
        if (qel_text_wrap_greedy(ctx, font, size, text, length, mid, nullptr, 0) == n)
            hi = mid;
        else
            lo = mid;
    }
    if (hi >= max_width) return false;
    qel_text_line trial[LOCAL_LINES];
    if (qel_text_wrap_greedy(ctx, font, size, text, length, hi + 0.5f, trial, LOCAL_LINES) != n) return false;
    std::copy(trial, trial + n, lines);
    return true;
}

// Narrower widths, 3 % at a time, until a word joins the lone last one without adding a line.
void qel_wrap_companion(qel_context* ctx, int32_t font, float size, const char* text, int32_t length, float max_width,
                        int32_t n, qel_text_line* lines)
{
    qel_text_line trial[LOCAL_LINES];
    for (int32_t i = 1; i <= 10; i++) {
        float width = max_width * (1.0f - 0.03f * (float)i);
        if (qel_text_wrap_greedy(ctx, font, size, text, length, width, trial, LOCAL_LINES) != n) return;
        const qel_text_line& last = trial[n - 1];
        if (qel_has_blank(text, last.start, last.end)) {
            std::copy(trial, trial + n, lines);
            return;
        }
    }
}

}  // namespace

namespace {

float qel_text_width_walk(qel_context* ctx, int32_t font, float size, const char* text, int32_t length,
                          uint8_t tabular_digits)
{
    float widest = 0;
    qel_glyph_iter it;
    qel_glyph_iter_init(&it, ctx, font, size, text, length, tabular_digits);
    while (qel_glyph_iter_skip_ascii(&it), qel_glyph_iter_next(&it)) {
        if (it.code_point != '\n') continue;
        widest = std::max(widest, it.pen_before);
        // The next line starts afresh: no pen, nothing to kern against.
        it.pen_x = 0;
        it.prev_font = -1;
    }
    return std::max(widest, it.pen_x);
}

}  // namespace

float qel_text_width_font(qel_context* ctx, int32_t font, float size, const char* text, int32_t length,
                          uint8_t tabular_digits)
{
    if (!text) return 0;
    length = qel_text_length(text, length);
    qel_text_key key;
    if (!qel_text_key_make(&key, font, size, 0, tabular_digits, text, length))
        return qel_text_width_walk(ctx, font, size, text, length, tabular_digits);
    float width;
    if (qel_text_cache_find_width(ctx, &key, &width)) return width;
    width = qel_text_width_walk(ctx, font, size, text, length, tabular_digits);
    qel_text_cache_put_width(ctx, &key, width);
    return width;
}

float qel_text_width(qel_context* ctx, int32_t handle, float size, const char* text, int32_t length,
                     uint8_t tabular_digits)
{
    return qel_text_width_font(ctx, qel_font_resolve(ctx, handle), size, text, length, tabular_digits);
}

float qel_line_height(qel_context* ctx, int32_t handle, float size)
{
    int32_t font = qel_font_resolve(ctx, handle);
    if (font < 0 || ctx->fonts.fonts[font].icon) return size;
    const qel_font& f = ctx->fonts.fonts[font];
    return (f.ascent - f.descent) * size;
}

float qel_font_ascent(qel_context* ctx, int32_t handle, float size)
{
    int32_t font = qel_font_resolve(ctx, handle);
    return font < 0 ? size : ctx->fonts.fonts[font].ascent * size;
}

qel_text_metrics qel_text_size(qel_context* ctx, int32_t handle, float size, const char* text, int32_t length)
{
    length = text ? qel_text_length(text, length) : 0;
    int32_t lines = 1 + (int32_t)std::count(text, text + length, '\n');
    int32_t font = qel_font_resolve(ctx, handle);
    qel_text_metrics m;
    m.width = qel_text_width_font(ctx, font, size, text, length, 0);
    m.height = (float)lines * LINE_FACTOR * size;
    m.ascent = qel_font_ascent(ctx, handle, size);
    m.descent = font < 0 ? 0 : ctx->fonts.fonts[font].descent * size;
    m.line_height = LINE_FACTOR * size;
    return m;
}

int32_t qel_text_hit(qel_context* ctx, int32_t handle, float size, const char* text, int32_t length, float x)
{
    if (x <= 0 || !text || length <= 0) return 0;
    qel_glyph_iter it;
    qel_glyph_iter_init(&it, ctx, qel_font_resolve(ctx, handle), size, text, length, 0);
    while (qel_glyph_iter_next(&it))
        if (it.pen_before + it.advance * 0.5f > x) return it.byte_start;
    return length;
}

float qel_text_max_word_width(qel_context* ctx, int32_t handle, float size, const char* text, int32_t length)
{
    if (!text || length < 0) return 0;
    int32_t font = qel_font_resolve(ctx, handle);
    float widest = 0;
    for (int32_t start = 0, i = 0; i <= length; i++) {
        if (i < length && text[i] != ' ' && text[i] != '\t' && text[i] != '\n') continue;
        if (i > start) widest = std::max(widest, qel_text_width_font(ctx, font, size, text + start, i - start, 0));
        start = i + 1;
    }
    return widest;
}

void qel_text_wrap_refine(qel_context* ctx, int32_t font, float size, const char* text, int32_t length,
                          float max_width, qel_text_line* lines, int32_t n)
{
    if (n > LOCAL_LINES) return;
    bool lone = qel_wrap_lone_last_word(text, lines, n);
    bool balanced = size >= 20 && n >= 2 && n <= 4 && !memchr(text, '\n', (size_t)length) &&
                    qel_wrap_balance(ctx, font, size, text, length, max_width, n, lines);
    if (lone && !balanced) qel_wrap_companion(ctx, font, size, text, length, max_width, n, lines);
}

int32_t qel_text_wrap(qel_context* ctx, int32_t handle, float size, const char* text, int32_t length, float max_width,
                      qel_text_line* lines, int32_t max_lines)
{
    if (!text) text = "", length = 0;
    length = qel_text_length(text, length);
    int32_t font = qel_font_resolve(ctx, handle);
    qel_text_line local[LOCAL_LINES];
    int32_t n = qel_text_wrap_greedy(ctx, font, size, text, length, max_width, local, LOCAL_LINES);
    if (n > LOCAL_LINES) return qel_text_wrap_greedy(ctx, font, size, text, length, max_width, lines, max_lines);
    qel_text_wrap_refine(ctx, font, size, text, length, max_width, local, n);
    if (lines) std::copy(local, local + std::min(n, std::max(max_lines, 0)), lines);
    return n;
}

void qel_draw_text(qel_context* ctx, int32_t handle, float size, float x, float y, qel_color color, const char* text,
                   int32_t length, uint8_t tabular_digits)
{
    qel_draw_text_run(ctx, handle, size, x, y, color, text, qel_text_length(text, length), tabular_digits);
}

void qel_draw_text_at(qel_context* ctx, int32_t handle, float size, qel_vec2 position, qel_color color,
                      const char* text, int32_t length)
{
    qel_draw_text(ctx, handle, size, position.x, position.y, color, text, length, 0);
}

void qel_draw_text_ellipsis(qel_context* ctx, int32_t handle, float size, float x, float y, float max_width,
                            qel_color color, const char* text, int32_t length, uint8_t tabular_digits)
{
    if (!text) return;
    length = qel_text_length(text, length);
    int32_t font = qel_font_resolve(ctx, handle);
    if (qel_text_width_font(ctx, font, size, text, length, tabular_digits) <= max_width + 0.5f)
        return qel_draw_text_run(ctx, handle, size, x, y, color, text, length, tabular_digits);
    float available = max_width - qel_text_width_font(ctx, font, size, ELLIPSIS, 3, 0);
    if (available <= 0) return;
    int32_t kept = 0;
    qel_glyph_iter it;
    qel_glyph_iter_init(&it, ctx, font, size, text, length, tabular_digits);
    while (qel_glyph_iter_next(&it) && it.pen_x <= available) kept = it.byte_end;
    while (kept > 0 && text[kept - 1] == ' ') kept--;
    float kept_width = qel_text_width_font(ctx, font, size, text, kept, tabular_digits);
    qel_draw_text_run(ctx, handle, size, x, y, color, text, kept, tabular_digits);
    // The ellipsis stands for the text that is cut: no per-glyph colour of its own.
    qel_glyph_color_hook hook = ctx->fonts.color_hook;
    ctx->fonts.color_hook.fn = nullptr;
    qel_draw_text_run(ctx, handle, size, x + kept_width, y, color, ELLIPSIS, 3, 0);
    ctx->fonts.color_hook = hook;
}

void qel_draw_text_in_rect(qel_context* ctx, const char* icon_text, const qel_rect* r, float size, qel_color color)
{
    if (!icon_text || !r) return;
    qel_draw_text(ctx, QEL_FONT_ICON, size, r->x + (r->w - size) * 0.5f, r->y + (r->h - size) * 0.5f, color, icon_text,
                  -1, 0);
}

void qel_draw_text_aligned(qel_context* ctx, int32_t handle, float size, float x, float y, uint32_t align,
                           qel_color color, const char* text, uint8_t tabular_digits)
{
    float width = qel_text_width(ctx, handle, size, text, -1, tabular_digits);
    if (align == 1) x -= width * 0.5f;
    if (align == 2) x -= width;
    qel_draw_text(ctx, handle, size, x, y - qel_line_height(ctx, handle, size) * 0.5f, color, text, -1, tabular_digits);
}
