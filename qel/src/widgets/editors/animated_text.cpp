// Animated text: the glyph effects (shimmer, stream, word reveal, gradient) on text nodes whose
// glyphs pass through a colour callback, and the rotating words and rolling number, which draw
// their own lines in fixed-height nodes.
#include "kit/state_records.h"
#include "qel/animated_text.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/core.h"
#include "kit/widget_nodes.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/text_units.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "core/array_grow.h"
#include "text/text_lines.h"
#include "widgets/editors/showcase_parts.h"

static const qel_text_fx_options NO_FX = {};

static const qel_text_fx_options* fx_options(const qel_text_fx_options* o)
{
    return o ? o : &NO_FX;
}

static qel_color fx_color(const qel_text_fx_options* o, qel_color fallback)
{
    return qel_color_arg(o->color, fallback);
}

static float fract(double v)
{
    return (float)(v - std::floor(v));
}

// --- Shimmer ---

struct shimmer_payload {
    float band, phase;
    qel_color highlight;
};

static qel_color shimmer_glyph(qel_context*, void* user, int32_t, float x, float, float*, qel_color color)
{
    auto* fx = (const qel_fx_text*)user;
    auto* p = (const shimmer_payload*)fx->payload;
    float centre = (2 * p->band + fx->rect.w) * p->phase + fx->rect.x - p->band;
    float d = (x - centre) / p->band;
    return qel_color_mix(color, p->highlight, std::exp(-2.2f * d * d));
}

void qel_shimmer_text(qel_context* ctx, const char* text, const qel_text_fx_options* options)
{
    const qel_text_fx_options* o = fx_options(options);
    float size = qel_fx_text_size(ctx, o->size);
    qel_color color = qel_color_resolve(ctx, fx_color(o, qel_color_token(QEL_COLOR_TEXT_MUTED)));
    qel_color text_color = qel_theme_color(ctx, QEL_COLOR_TEXT);
    if (!qel_motion_on(ctx)) {
        int32_t index = qel_node_text(ctx, text, -1, o->font, size, qel_color_mix(color, text_color, 0.35f), !o->no_wrap);
        if (o->width.kind != QEL_SIZE_FIT) qel_node_at(ctx, index)->width = o->width;
        return;
    }
    double period = o->rate > 0 && std::isfinite(o->rate) ? 1.0 / o->rate : 1.6666666;
    shimmer_payload p = {size * 3.2f, (float)(std::fmod(ctx->clock.time, period) / period),
                         qel_dark_mode(ctx) ? 0xFFFFFFFFu : text_color};
    qel_fx_text_node(ctx, 0, text, -1, o->font, size, color, !o->no_wrap, o->width, shimmer_glyph, &p, sizeof p);
    qel_request_redraw(ctx);
}

// --- Stream ---

// The lines of a wrapped stream text, kept while neither the text nor its width changes, so
// that a long text is not wrapped again in every frame of its reveal.
struct stream_lines {
    qel_text_lines_cache cache;  // paragraphs an append did not touch are not wrapped again
    qel_text_line* lines;
    int32_t count, capacity;
    float width, size;
    uint32_t font;
};

struct stream_state {
    int32_t count;  // bytes revealed
    float accumulator;
    int32_t length;  // of the last text
    uint32_t hash;
    double start;
    uint8_t started;
    stream_lines wrapped;
};

struct stream_payload {
    int32_t count;
    uint8_t caret;
    uint8_t all_shown;
    uint8_t caret_placed;  // at the first hidden glyph
    float caret_x, caret_line_top;
    qel_color caret_color;
};

static const float STREAM_RATE = 45, CATCH_UP_BYTES = 120;

static qel_color stream_glyph(qel_context*, void* user, int32_t offset, float x, float line_top, float*,
                              qel_color color)
{
    auto* fx = (const qel_fx_text*)user;
    auto* p = (stream_payload*)fx->payload;
    if (offset < p->count) return color;
    if (!p->caret_placed) p->caret_placed = 1, p->caret_x = x, p->caret_line_top = line_top;
    return 0;
}

// The caret 2 right of the first hidden glyph, or of the text's end once all of it shows; none
// while the first hidden glyph lies out of sight.
static void stream_caret(qel_context* ctx, const qel_fx_text* fx)
{
    auto* p = (const stream_payload*)fx->payload;
    if (!p->caret || !(p->caret_placed || p->all_shown)) return;
    float x = p->caret_x, top = p->caret_line_top;
    if (!p->caret_placed) {
        x = fx->rect.x + qel_text_width(ctx, (int32_t)fx->font, fx->size, fx->last_line, fx->last_line_length, 0);
        top = fx->last_line_top;
    }
    float lh = qel_line_height(ctx, (int32_t)fx->font, fx->size);
    qel_rect bar = {x + 2, top + 0.5f * (1.45f * fx->size - lh) + 0.12f * lh, 2, 0.76f * lh};
    const float radii[4] = {1, 1, 1, 1};
    qel_draw_rect(ctx, &bar, radii, p->caret_color);
}

// Moves the reveal on by this frame's share of characters, never past the end of the text.
static void stream_advance(qel_context* ctx, stream_state* s, const char* text, int32_t length, float rate)
{
    int32_t remaining = length - s->count;
    float k = (float)remaining > CATCH_UP_BYTES ? (float)remaining / CATCH_UP_BYTES : 1.0f;
    s->accumulator += rate * ctx->clock.dt * k;
    // A character is at least one byte: an accumulator this large reveals the rest at once.
    if (!(s->accumulator < (float)remaining)) {
        s->count = length;
        s->accumulator = 0;
        return;
    }
    for (; s->accumulator >= 1.0f && s->count < length; s->accumulator -= 1.0f)
        s->count = qel_utf8_next(text, length, s->count);
}

static void stream_state_free(qel_context* ctx, void* blob)
{
    auto* s = (stream_state*)blob;
    qel_text_lines_release(ctx, &s->wrapped.cache);
    qel_mem_free(ctx, s->wrapped.lines);
}

// The text's lines at the node's width of the last frame (the display's before it has one),
// wrapped again only when the text, the width or the font changed.
static const stream_lines* stream_wrap(qel_context* ctx, uint32_t id, stream_state* s, const char* text,
                                       int32_t length, bool same_text, const qel_text_fx_options* o, float size)
{
    stream_lines* w = &s->wrapped;
    float width = o->width.kind == QEL_SIZE_FIXED ? o->width.value : qel_id_rect(ctx, id).w;
    if (!(width > 0)) width = ctx->clock.display_w;
    if (same_text && w->lines && w->width == width && w->size == size && w->font == o->font) return w;
    qel_text_line* lines;
    w->count = qel_text_lines_build(ctx, &w->cache, (int32_t)o->font, size, text, length, width, &lines);
    w->lines = qel_array_grow(ctx, w->lines, &w->capacity, w->count);
    memcpy(w->lines, lines, sizeof(qel_text_line) * (size_t)w->count);
    w->width = width, w->size = size, w->font = o->font;
    return w;
}

bool qel_stream_text(qel_context* ctx, const char* id_label, const char* text, const qel_text_fx_options* options)
{
    const qel_text_fx_options* o = fx_options(options);
    if (!text) text = "";
    uint32_t id = qel_id(ctx, id_label);
    auto* s = qel_state_record_of<stream_state>(ctx, id, "stream_state");
    qel_state_set_destructor(ctx, id, stream_state_free);
    int32_t length = (int32_t)strlen(text);
    double now = ctx->clock.time;
    bool restart = !s->started || length < s->length || qel_hash_bytes(text, (size_t)s->length, 2017) != s->hash;
    bool same_text = !restart && length == s->length;
    if (restart) s->count = 0, s->accumulator = 0, s->start = now, s->started = 1;
    if (!same_text) s->hash = qel_hash_bytes(text, (size_t)length, 2017);
    s->length = length;
    if (!qel_motion_on(ctx)) {
        s->count = length;
    } else if (now - s->start < o->delay) {
        qel_redraw_after(ctx, s->start + o->delay - now);
    } else if (s->count < length) {
        stream_advance(ctx, s, text, length, o->rate > 0 ? o->rate : STREAM_RATE);
        if (s->count < length) qel_request_redraw(ctx);
    }
    float size = qel_fx_text_size(ctx, o->size);
    stream_payload p = {};
    p.count = s->count;
    p.caret = o->caret;
    p.all_shown = s->count >= length;
    p.caret_color = qel_color_resolve(ctx, qel_accent_or_text(ctx));
    qel_color color = fx_color(o, qel_color_token(QEL_COLOR_TEXT));
    qel_fx_text* fx;
    if (o->no_wrap) {
        fx = qel_fx_text_node(ctx, id, text, length, o->font, size, color, false, o->width, stream_glyph, &p, sizeof p);
    } else {
        const stream_lines* w = stream_wrap(ctx, id, s, text, length, same_text, o, size);
        qel_size width = o->width.kind != QEL_SIZE_FIT ? o->width : qel_size{QEL_SIZE_GROW, 1};
        fx = qel_fx_lines_node(ctx, id, text, w->lines, w->count, o->font, size, color, width, stream_glyph, &p,
                               sizeof p);
    }
    fx->after = stream_caret;
    qel_set_last_item(ctx, id);
    return s->count >= length;
}

// --- Word reveal ---

struct word_reveal_state {
    uint32_t hash;
    double start;
    uint8_t started;
};

struct word_reveal_payload {
    const uint16_t* words;  // the word number of each byte
    float elapsed, per_word;
};

static const float WORD_FADE = 0.55f, WORD_DROP = 7;

static bool is_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Word numbers of the bytes: 0 from the start, one more at each non-blank byte after a blank.
static uint16_t* word_numbers(qel_context* ctx, const char* text, int32_t length, int32_t* words)
{
    auto* n = (uint16_t*)qel_arena_alloc(ctx, sizeof(uint16_t) * (size_t)std::max(length, 1));
    uint16_t word = 0;
    for (int32_t i = 0; i < length; i++) {
        if (i > 0 && is_blank(text[i - 1]) && !is_blank(text[i]) && word < 65535) word++;
        n[i] = word;
    }
    *words = word + 1;
    return n;
}

static qel_color word_glyph(qel_context*, void* user, int32_t offset, float, float, float* y_shift, qel_color color)
{
    auto* fx = (const qel_fx_text*)user;
    auto* p = (const word_reveal_payload*)fx->payload;
    float progress = (p->elapsed - (float)p->words[offset] * p->per_word) / WORD_FADE;
    if (progress < 0) return 0;
    float rest = 1 - std::min(progress, 1.0f);
    *y_shift = WORD_DROP * rest * rest * rest;
    return qel_color_alpha(color, std::min(1.4f * progress, 1.0f));
}

void qel_word_reveal(qel_context* ctx, const char* id_label, const char* text, const qel_text_fx_options* options)
{
    const qel_text_fx_options* o = fx_options(options);
    if (!text) text = "";
    uint32_t id = qel_id(ctx, id_label);
    auto* s = qel_state_record_of<word_reveal_state>(ctx, id, "word_reveal_state");
    int32_t length = (int32_t)strlen(text);
    uint32_t hash = qel_hash_bytes(text, (size_t)length, 743);
    if (!s->started || s->hash != hash) *s = {hash, ctx->clock.time, 1};
    int32_t words = 0;
    word_reveal_payload p = {word_numbers(ctx, text, length, &words), 0, o->rate > 0 ? 1 / o->rate : 0.045f};
    p.elapsed = (float)(ctx->clock.time - s->start - o->delay);
    bool running = qel_motion_on(ctx) && p.elapsed < (float)words * p.per_word + WORD_FADE;
    float size = qel_fx_text_size(ctx, o->size);
    qel_color color = fx_color(o, qel_color_token(QEL_COLOR_TEXT));
    if (running) {
        qel_fx_text_node(ctx, id, text, length, o->font, size, color, !o->no_wrap, o->width, word_glyph, &p, sizeof p);
        qel_request_redraw(ctx);
    } else {
        int32_t index = qel_node_text(ctx, text, length, o->font, size, color, !o->no_wrap);
        qel_node* n = qel_node_at(ctx, index);
        n->id = id;
        if (o->width.kind != QEL_SIZE_FIT) n->width = o->width;
    }
    qel_set_last_item(ctx, id);
}

// --- Rotating words ---

struct rotating_state {
    int32_t index, previous;
    double switched;
    float width[2], progress[2];
    uint8_t started;
};

struct rotating_payload {
    const char *current, *previous;  // frame arena; previous null for none
    float t;
    uint32_t font;
    float size;
    qel_color color;
};

static const float ROLL_TRAVEL = 0.9f;

static void rotating_draw(qel_context* ctx, const qel_node* node, void* user)
{
    auto* p = (const rotating_payload*)user;
    qel_rect r = node->rect;
    qel_rect clip = {r.x - 4, r.y, r.w + 8, r.h};
    float lh = qel_line_height(ctx, (int32_t)p->font, p->size);
    float rest = r.y + (r.h - lh) * 0.5f;
    qel_draw_push_clip(ctx, &clip);
    if (p->previous && p->t < 1)
        qel_draw_text(ctx, (int32_t)p->font, p->size, r.x, rest - ROLL_TRAVEL * r.h * p->t,
                      qel_color_alpha(p->color, std::max(0.0f, 1 - 1.3f * p->t)), p->previous, -1, 0);
    qel_draw_text(ctx, (int32_t)p->font, p->size, r.x, rest + ROLL_TRAVEL * r.h * (1 - p->t),
                  qel_color_alpha(p->color, std::min(1.2f * p->t, 1.0f)), p->current, -1, 0);
    qel_draw_pop_clip(ctx);
}

static const char* word_at(const char* const* words, int32_t count, int32_t i)
{
    return words && i >= 0 && i < count && words[i] ? words[i] : "";
}

// Steps to the next word once the interval has passed, else asks for a frame when it will.
static void rotating_switch(qel_context* ctx, rotating_state* s, int32_t count, float interval)
{
    double now = ctx->clock.time, left = s->switched + interval - now;
    if (left > 0) {
        qel_redraw_after(ctx, left + 0.01);
        return;
    }
    s->previous = s->index;
    s->index = (s->index + 1) % count;
    s->switched = now;
    s->progress[0] = s->progress[1] = 0;
}

void qel_rotating_words(qel_context* ctx, const char* id_label, const char* const* words, int32_t count, float interval,
                        const qel_text_fx_options* options)
{
    const qel_text_fx_options* o = fx_options(options);
    if (!words || count < 0) count = 0;
    uint32_t id = qel_id(ctx, id_label);
    auto* s = qel_state_record_of<rotating_state>(ctx, id, "rotating_state");
    // The caller's list may have shrunk since the indices were stored.
    if (s->index >= count || s->index < 0) s->index = 0;
    if (s->previous >= count) s->previous = -1;
    bool first = !s->started;
    if (first) s->previous = -1, s->switched = ctx->clock.time, s->started = 1;
    if (count > 1 && qel_motion_on(ctx)) rotating_switch(ctx, s, count, interval > 0 ? interval : 2.4f);
    float t = qel_anim_spring(ctx, s->progress, 1, 0.55f, 0.12f);
    float size = qel_fx_text_size(ctx, o->size);
    const char* current = word_at(words, count, s->index);
    float target = qel_text_width(ctx, (int32_t)o->font, size, current, -1, 0);
    if (first) s->width[0] = target, s->width[1] = 0;
    float width = qel_anim_spring(ctx, s->width, target, 0.5f, 0);
    int32_t index = qel_node_sized(ctx, id, {QEL_SIZE_FIXED, std::max(1.0f, width)}, {QEL_SIZE_FIXED, 1.3f * size});
    if (count > 0) {
        rotating_payload p = {qel_arena_strdup(ctx, current, -1),
                              s->previous >= 0 ? qel_arena_strdup(ctx, word_at(words, count, s->previous), -1) : nullptr,
                              std::clamp(t, 0.0f, 1.2f), o->font, size,
                              qel_color_resolve(ctx, fx_color(o, qel_accent_or_text(ctx)))};
        qel_node_draw_with(ctx, index, rotating_draw, &p, sizeof p, false);
    }
    qel_set_last_item(ctx, id);
}

// --- Rolling number ---

enum { ROLL_SLOTS = 24, ROLL_AFFIX = 23, ROLL_NUMBER_BYTES = 95 };

// A character of the number: up to four bytes, none when empty.
struct roll_char {
    char bytes[4];
    uint8_t length;
};

struct roll_slot {
    roll_char from, to;
    float progress[2];
    double start;
};

struct rolling_state {
    char prefix[ROLL_AFFIX + 1], suffix[ROLL_AFFIX + 1], number[ROLL_NUMBER_BYTES + 1];
    roll_slot slots[ROLL_SLOTS];  // from the right
    int8_t direction;             // 1 up, -1 down
    float width[2];
    uint8_t started;
};

// The parts of a text: up to its first digit (a minus sign just before it belongs to the number),
// the number up to its last digit, and what follows.
struct roll_parts {
    char prefix[ROLL_AFFIX + 1], suffix[ROLL_AFFIX + 1], number[ROLL_NUMBER_BYTES + 1];
    roll_char chars[ROLL_SLOTS];  // of the number, from the right
    int32_t count;
};

struct rolling_payload {
    const char *prefix, *suffix;
    const roll_slot* slots;
    int32_t count;
    int8_t direction;
    uint32_t font;
    float size;
    qel_color color;
};

static const float ROLL_STAGGER = 0.035f, ROLL_DONE = 0.999f;

static bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

static void roll_split(const char* text, roll_parts* out)
{
    *out = {};
    int32_t length = (int32_t)strlen(text), first = 0, last = length - 1;
    while (first < length && !is_digit(text[first])) first++;
    while (last >= first && !is_digit(text[last])) last--;
    if (first == length) {
        qel_copy_whole_chars(out->prefix, text, length, ROLL_AFFIX);
        return;
    }
    if (first > 0 && text[first - 1] == '-') first--;
    qel_copy_whole_chars(out->prefix, text, first, ROLL_AFFIX);
    qel_copy_whole_chars(out->suffix, text + last + 1, length - last - 1, ROLL_AFFIX);
    const char* number = text + first;
    int32_t span = last + 1 - first, kept = 0, count = 0;
    roll_char chars[ROLL_SLOTS];
    for (int32_t next; kept < span && count < ROLL_SLOTS && (next = qel_utf8_next(number, span, kept)) <= ROLL_NUMBER_BYTES;
         kept = next) {
        chars[count] = {};
        memcpy(chars[count].bytes, number + kept, (size_t)std::min(next - kept, 4));
        chars[count++].length = (uint8_t)std::min(next - kept, 4);
    }
    memcpy(out->number, number, (size_t)kept);
    out->count = count;
    for (int32_t k = 0; k < count; k++) out->chars[k] = chars[count - 1 - k];
}

// The value the digits and decimal point spell, negative after a minus sign. A double, as a
// number of 95 digits overflows every integer.
static double roll_value(const char* number)
{
    double value = 0, scale = 0;
    for (const char* c = number; *c; c++) {
        if (*c == '.' && scale == 0) scale = 1;
        if (!is_digit(*c)) continue;
        if (scale > 0) value += (*c - '0') * (scale *= 0.1);
        else value = value * 10 + (*c - '0');
    }
    return number[0] == '-' ? -value : value;
}

static bool same_char(const roll_char& a, const roll_char& b)
{
    return a.length == b.length && memcmp(a.bytes, b.bytes, a.length) == 0;
}

// Starts a roll in every slot that changed or had not finished, the rightmost first.
static void roll_restart(qel_context* ctx, rolling_state* s, const roll_parts* parts)
{
    s->direction = roll_value(parts->number) >= roll_value(s->number) ? 1 : -1;
    int32_t changed = 0;
    for (int32_t k = 0; k < ROLL_SLOTS; k++) {
        roll_slot& slot = s->slots[k];
        const roll_char& next = parts->chars[k];
        if (same_char(slot.to, next) && slot.progress[0] >= ROLL_DONE) continue;
        slot.from = slot.progress[0] > 0.5f ? slot.to : slot.from;
        slot.to = next;
        slot.progress[0] = slot.progress[1] = 0;
        slot.start = ctx->clock.time + ROLL_STAGGER * (float)changed++;
    }
}

static void roll_advance(qel_context* ctx, roll_slot* slot)
{
    if (!qel_motion_on(ctx)) {
        slot->progress[0] = 1, slot->progress[1] = 0;
        return;
    }
    double wait = slot->start - ctx->clock.time;
    if (wait > 0) qel_redraw_after(ctx, wait);
    else qel_anim_spring(ctx, slot->progress, 1, 0.5f, 0.16f);
}

static float roll_char_width(qel_context* ctx, const rolling_payload* p, const roll_char& c)
{
    return c.length ? qel_text_width(ctx, (int32_t)p->font, p->size, c.bytes, c.length, 0) : 0;
}

static void roll_char_draw(qel_context* ctx, const rolling_payload* p, const roll_char& c, float x, float y, float alpha)
{
    if (c.length && alpha > 0)
        qel_draw_text(ctx, (int32_t)p->font, p->size, x, y, qel_color_alpha(p->color, alpha), c.bytes, c.length, 0);
}

static void rolling_draw(qel_context* ctx, const qel_node* node, void* user)
{
    auto* p = (const rolling_payload*)user;
    qel_rect r = node->rect;
    qel_rect clip = {r.x - 6, r.y, r.w + 12, r.h};
    float lh = qel_line_height(ctx, (int32_t)p->font, p->size), y = r.y + (r.h - lh) * 0.5f;
    float travel = 0.85f * r.h * (float)p->direction;
    qel_draw_push_clip(ctx, &clip);
    qel_draw_text(ctx, (int32_t)p->font, p->size, r.x, y, p->color, p->prefix, -1, 0);
    float right = r.x + r.w - qel_text_width(ctx, (int32_t)p->font, p->size, p->suffix, -1, 0);
    qel_draw_text(ctx, (int32_t)p->font, p->size, right, y, p->color, p->suffix, -1, 0);
    for (int32_t k = 0; k < p->count; k++) {
        const roll_slot& slot = p->slots[k];
        float t = slot.progress[0], old_w = roll_char_width(ctx, p, slot.from), new_w = roll_char_width(ctx, p, slot.to);
        float w = old_w + std::clamp(t, 0.0f, 1.0f) * (new_w - old_w);
        right -= w;
        if (t >= ROLL_DONE || same_char(slot.from, slot.to)) {
            roll_char_draw(ctx, p, slot.to, right + (w - new_w) * 0.5f, y, 1);
            continue;
        }
        roll_char_draw(ctx, p, slot.from, right + (w - old_w) * 0.5f, y - t * travel, std::clamp(1 - 1.4f * t, 0.0f, 1.0f));
        roll_char_draw(ctx, p, slot.to, right + (w - new_w) * 0.5f, y + (1 - t) * travel, std::clamp(1.3f * t, 0.0f, 1.0f));
    }
    qel_draw_pop_clip(ctx);
}

void qel_rolling_number_text(qel_context* ctx, const char* id_label, const char* text, const qel_text_fx_options* options)
{
    const qel_text_fx_options* o = fx_options(options);
    uint32_t id = qel_id(ctx, id_label);
    auto* s = qel_state_record_of<rolling_state>(ctx, id, "rolling_state");
    auto* parts = (roll_parts*)qel_arena_alloc(ctx, sizeof(roll_parts));
    roll_split(text ? text : "", parts);
    bool first = !s->started;
    bool differs = strcmp(parts->prefix, s->prefix) || strcmp(parts->suffix, s->suffix) || strcmp(parts->number, s->number);
    if (first) {
        s->started = 1;
        s->direction = 1;
        for (int32_t k = 0; k < ROLL_SLOTS; k++) s->slots[k] = {parts->chars[k], parts->chars[k], {1, 0}, 0};
    } else if (differs) {
        roll_restart(ctx, s, parts);
    }
    memcpy(s->prefix, parts->prefix, sizeof s->prefix);
    memcpy(s->suffix, parts->suffix, sizeof s->suffix);
    memcpy(s->number, parts->number, sizeof s->number);
    rolling_payload p = {qel_arena_strdup(ctx, s->prefix, -1), qel_arena_strdup(ctx, s->suffix, -1), nullptr, 0,
                         s->direction, o->font, qel_fx_text_size(ctx, o->size),
                         qel_color_resolve(ctx, fx_color(o, qel_color_token(QEL_COLOR_TEXT)))};
    float target = qel_text_width(ctx, (int32_t)o->font, p.size, p.prefix, -1, 0) +
                   qel_text_width(ctx, (int32_t)o->font, p.size, p.suffix, -1, 0);
    for (int32_t k = 0; k < ROLL_SLOTS; k++) {
        roll_slot& slot = s->slots[k];
        if (!same_char(slot.from, slot.to) && !(slot.progress[0] == 1 && slot.progress[1] == 0)) roll_advance(ctx, &slot);
        if (slot.from.length || slot.to.length) p.count = k + 1;
        target += roll_char_width(ctx, &p, slot.to);
    }
    auto* slots = (roll_slot*)qel_arena_alloc(ctx, sizeof(roll_slot) * (size_t)std::max(p.count, 1));
    memcpy(slots, s->slots, sizeof(roll_slot) * (size_t)p.count);
    p.slots = slots;
    if (first) s->width[0] = target, s->width[1] = 0;
    float width = qel_anim_spring(ctx, s->width, target, 0.45f, 0);
    int32_t index = qel_node_sized(ctx, id, {QEL_SIZE_FIXED, std::max(1.0f, width)}, {QEL_SIZE_FIXED, 1.3f * p.size});
    qel_node_draw_with(ctx, index, rolling_draw, &p, sizeof p, false);
    qel_set_last_item(ctx, id);
}

// --- Gradient ---

struct gradient_payload {
    qel_color from, to;
    float phase;
};

static qel_color gradient_glyph(qel_context*, void* user, int32_t, float x, float, float*, qel_color color)
{
    auto* fx = (const qel_fx_text*)user;
    auto* p = (const gradient_payload*)fx->payload;
    float g = fx->rect.w > 0 ? fract((x - fx->rect.x) / fx->rect.w + p->phase) : 0;
    float t = g < 0.5f ? 2 * g : 2 * (1 - g);
    return qel_color_alpha(qel_color_mix(p->from, p->to, t), (float)(color >> 24) / 255.0f);
}

void qel_gradient_text(qel_context* ctx, const char* text, const qel_gradient_text_options* options)
{
    const qel_gradient_text_options none = {};
    const qel_gradient_text_options* o = options ? options : &none;
    qel_color from = qel_color_resolve(ctx, qel_color_arg(o->color, qel_accent_or_text(ctx)));
    qel_color to = qel_color_arg(o->color2, 0);
    gradient_payload p = {from, to ? qel_color_resolve(ctx, to) : qel_color_mix(from, qel_theme_color(ctx, QEL_COLOR_TEXT), 0.6f),
                          0};
    if (o->animate && qel_motion_on(ctx)) {
        p.phase = fract(0.12 * ctx->clock.time);
        qel_request_redraw(ctx);
    }
    qel_fx_text_node(ctx, 0, text, -1, o->font, qel_fx_text_size(ctx, o->size), from, true, o->width, gradient_glyph,
                     &p, sizeof p);
}
