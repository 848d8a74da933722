// Markdown text blocks: font sets, the joining of paragraph lines, the wrapping of styled spans
// into runs, the text node with its link items, and the drawing of runs, list markers and quote
// bars.
#include <cmath>
#include <cstring>

#include "core/core.h"
#include "core/draw_list.h"
#include "markdown_render.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/text_units.h"
#include "qel/theme.h"
#include "qel/tooltip.h"
#include "qel/widget_feel.h"

namespace {

const uint32_t LINK_SEED = 0x3d11a;

struct layout {
    qel_context* ctx;
    const qel_markdown_inline_result* parsed;
    const qel_markdown_fonts* fonts;
    qel_markdown_run* runs;
    int32_t count, capacity, lines;
    int32_t line_first;  // the current line's first run
    float widest, x, W;
    int32_t alignment;
    float* byte_widths;  // of single ASCII bytes by font, taken once a word is broken; 0 not known
    float spaces[3];     // a space's width by font; 0 not known
};

bool blank_byte(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

int32_t font_of(const qel_markdown_fonts* f, uint8_t style)
{
    return (int32_t)(style & QEL_MD_CODE ? f->code : style & QEL_MD_STRONG ? f->strong : f->regular);
}

float size_of(const qel_markdown_fonts* f, uint8_t style)
{
    return style & QEL_MD_CODE ? f->code_size : f->size;
}

void place_run(layout& l, int32_t span, const char* text, int32_t length, float width)
{
    const qel_markdown_span& s = l.parsed->spans[span];
    if (l.count > l.line_first) {
        qel_markdown_run& last = l.runs[l.count - 1];
        if (last.span == span && last.text + last.length == text) {
            last.length += length;
            last.width = l.x + width - last.x;
            return;
        }
    }
    if (l.count == l.capacity) {
        auto* grown = (qel_markdown_run*)qel_arena_alloc(l.ctx, sizeof(qel_markdown_run) * (size_t)l.capacity * 2);
        memcpy(grown, l.runs, sizeof(qel_markdown_run) * (size_t)l.count);
        l.runs = grown;
        l.capacity *= 2;
    }
    bool starts = (s.style & QEL_MD_CODE) && text == s.text;
    l.runs[l.count++] = {text, length, l.x, width, l.lines, span, s.link, (uint8_t)(s.style & 15), starts};
}

void end_line(layout& l)
{
    float shift = l.alignment == 1 ? (l.W - l.x) / 2 : l.alignment == 2 ? l.W - l.x : 0;
    if (l.W > l.x && shift > 0)
        for (int32_t i = l.line_first; i < l.count; i++) l.runs[i].x += shift;
    if (l.x > l.widest) l.widest = l.x;
    l.lines++;
    l.line_first = l.count;
    l.x = 0;
}

struct word_part {
    int32_t span, from, to;
    float width;
};

// A character of a span as qel_markdown_span_width measures it; a single ASCII byte is measured
// once per font in the block.
float char_width(layout& l, const qel_markdown_span& s, int32_t at, int32_t next)
{
    uint8_t c = (uint8_t)s.text[at];
    if (next != at + 1 || c >= 0x80) return qel_markdown_span_width(l.ctx, l.fonts, &s, at, next);
    if (!l.byte_widths) l.byte_widths = (float*)qel_arena_alloc(l.ctx, sizeof(float) * 3 * 128);
    float& w = l.byte_widths[(s.style & QEL_MD_CODE ? 2 : s.style & QEL_MD_STRONG ? 1 : 0) * 128 + c];
    if (w == 0) w = qel_text_width(l.ctx, font_of(l.fonts, s.style), size_of(l.fonts, s.style), s.text + at, 1, 0);
    float width = w;
    if (s.style & QEL_MD_CODE) {
        if (at == 0) width += l.fonts->code_padding;
        if (next == s.length) width += l.fonts->code_padding;
    }
    return width;
}

// A part too wide for what is left of the line, broken at character boundaries; each character
// is measured once.
void break_part(layout& l, const word_part& part)
{
    const qel_markdown_span& s = l.parsed->spans[part.span];
    int32_t start = part.from, at = part.from;
    float run_x = l.x;
    while (at < part.to) {
        int32_t next = qel_utf8_next(s.text, part.to, at);
        if (next <= at) next = at + 1;
        float w = char_width(l, s, at, next);
        if (l.x + w > l.W && l.x > 0) {
            if (at > start) {
                float x_after = l.x;
                l.x = run_x;
                place_run(l, part.span, s.text + start, at - start, x_after - run_x);
                l.x = x_after;
            }
            end_line(l);
            run_x = 0;
            start = at;
        }
        l.x += w;
        at = next;
    }
    if (at > start) {
        float x_after = l.x;
        l.x = run_x;
        place_run(l, part.span, s.text + start, at - start, x_after - run_x);
        l.x = x_after;
    }
}

void place_word(layout& l, const word_part* parts, int32_t count, float word)
{
    bool fits = l.x + word <= l.W;
    for (int32_t i = 0; i < count; i++) {
        const qel_markdown_span& s = l.parsed->spans[parts[i].span];
        if (fits) {
            place_run(l, parts[i].span, s.text + parts[i].from, parts[i].to - parts[i].from, parts[i].width);
            l.x += parts[i].width;
        } else {
            break_part(l, parts[i]);
        }
    }
}

float blank_width(layout& l, int32_t span)
{
    const qel_markdown_span& s = l.parsed->spans[span];
    float& w = l.spaces[s.style & QEL_MD_CODE ? 2 : s.style & QEL_MD_STRONG ? 1 : 0];
    if (w == 0) w = qel_text_width(l.ctx, font_of(l.fonts, s.style), size_of(l.fonts, s.style), " ", 1, 0);
    return w;
}

// Before a word: the line ends when the word does not fit behind what it holds; a pending blank
// is placed between, or dropped at a line's start or end.
void before_word(layout& l, int32_t pending_span, int32_t pending_at, float word)
{
    if (pending_span < 0) {
        if (l.x > 0 && l.x + word > l.W) end_line(l);
        return;
    }
    if (l.x <= 0) return;
    float b = blank_width(l, pending_span);
    if (l.x + b + word > l.W) {
        end_line(l);
    } else if (b > 0) {
        const qel_markdown_span& ps = l.parsed->spans[pending_span];
        const char* t = ps.text[pending_at] == ' ' ? ps.text + pending_at : " ";
        place_run(l, pending_span, t, 1, b);
        l.x += b;
    }
}

void wrap(layout& l)
{
    const qel_markdown_inline_result* p = l.parsed;
    // Words of more parts than a short one has move to the arena.
    word_part local[8];
    int32_t part_capacity = 8, pending_span = -1, pending_at = 0;
    word_part* parts = local;
    int32_t si = 0, bi = 0;
    while (si < p->span_count) {
        const qel_markdown_span& s = p->spans[si];
        if (s.style & QEL_MD_BREAK) {
            end_line(l);
            pending_span = -1;
            si++;
            bi = 0;
            continue;
        }
        if (bi >= s.length) {
            si++;
            bi = 0;
            continue;
        }
        if (blank_byte(s.text[bi])) {
            if (pending_span < 0) {
                pending_span = si;
                pending_at = bi;
            }
            bi++;
            continue;
        }
        int32_t count = 0;
        float word = 0;
        bool wider = false;  // than the whole line: its parts are broken as they are found
        int32_t sj = si, bj = bi;
        while (sj < p->span_count && !(p->spans[sj].style & QEL_MD_BREAK)) {
            const qel_markdown_span& sp = p->spans[sj];
            int32_t e = bj;
            while (e < sp.length && !blank_byte(sp.text[e])) e++;
            if (e > bj && wider) {
                break_part(l, {sj, bj, e, 0});
            } else if (e > bj) {
                if (count == part_capacity) {
                    auto* grown = (word_part*)qel_arena_alloc(l.ctx, sizeof(word_part) * (size_t)part_capacity * 2);
                    memcpy(grown, parts, sizeof(word_part) * (size_t)count);
                    parts = grown;
                    part_capacity *= 2;
                }
                float w = qel_markdown_span_width(l.ctx, l.fonts, &sp, bj, e);
                parts[count++] = {sj, bj, e, w};
                word += w;
                if (word > l.W) {
                    wider = true;
                    before_word(l, pending_span, pending_at, word);
                    pending_span = -1;
                    for (int32_t k = 0; k < count; k++) break_part(l, parts[k]);
                }
            }
            bj = e;
            if (e < sp.length) break;
            sj++;
            bj = 0;
        }
        if (!wider) {
            before_word(l, pending_span, pending_at, word);
            pending_span = -1;
            place_word(l, parts, count, word);
        }
        si = sj;
        bi = bj;
    }
    if (l.count > l.line_first) end_line(l);
}

uint32_t link_id(const qel_markdown_render* r, int32_t number)
{
    return qel_hash_bytes(&number, 4, r->id ^ LINK_SEED);
}

const char* link_url(qel_context* ctx, const qel_markdown_link& link)
{
    return link.www ? qel_arena_sprintf(ctx, "http://%.*s", link.length, link.url)
                    : qel_arena_strdup(ctx, link.url, link.length);
}

// Each interactive link's hover and focus, cursor, tooltip and result.
void link_items(qel_markdown_render* r, const qel_markdown_inline_result* parsed, int32_t base, const bool* has_runs,
                qel_markdown_text_payload* payload)
{
    qel_context* ctx = r->ctx;
    for (int32_t i = 0; i < parsed->link_count; i++) {
        const qel_markdown_link& link = parsed->links[i];
        if (!has_runs[i] || link.inactive) continue;
        uint32_t id = link_id(r, base + i);
        qel_interaction in = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
        auto* st = (float*)qel_state_get(ctx, id, 2 * sizeof(float));
        payload->hover[i] = qel_anim_exp(ctx, &st[0], in.hovered ? 1.0f : 0.0f, 0.14f);
        payload->focus[i] = qel_anim_exp(ctx, &st[1], in.focus_visible ? 1.0f : 0.0f, 0.14f);
        const char* url = in.hovered || in.clicked ? link_url(ctx, link) : nullptr;
        if (in.hovered) {
            qel_set_cursor(ctx, QEL_CURSOR_HAND);
            r->result->hovered = url;
        }
        if (in.clicked) r->result->clicked = url;
        if (!link.autolink) {
            qel_set_last_item(ctx, id);
            qel_tooltip(ctx, url ? url : "");
        }
    }
}

// Floating hit nodes over each line's stretch of every interactive link.
void link_nodes(qel_markdown_render* r, const qel_markdown_inline_result* parsed, const layout& l, int32_t base)
{
    float lh = l.fonts->line_height;
    for (int32_t i = 0; i < l.count;) {
        const qel_markdown_run& run = l.runs[i];
        int32_t j = i + 1;
        if (run.link < 0 || parsed->links[run.link].inactive) {
            i = j;
            continue;
        }
        float right = run.x + run.width;
        while (j < l.count && l.runs[j].link == run.link && l.runs[j].line == run.line) {
            right = l.runs[j].x + l.runs[j].width;
            j++;
        }
        float w = right - run.x < 1 ? 1 : right - run.x;
        int32_t node = qel_node_floating(r->ctx, link_id(r, base + run.link), run.x, (float)run.line * lh, w, lh);
        qel_node_mark_interactive(r->ctx, node, QEL_INTERACT_FOCUSABLE);
        i = j;
    }
}

// The line without its leading and trailing spaces and tabs: [*from, *end).
void trim_line(const qel_markdown_line& line, int32_t* from, int32_t* end)
{
    int32_t i = 0, e = line.length;
    while (i < e && (line.text[i] == ' ' || line.text[i] == '\t')) i++;
    while (e > i && (line.text[e - 1] == ' ' || line.text[e - 1] == '\t')) e--;
    *from = i;
    *end = e;
}

}  // namespace

// --- Font sets ---

qel_markdown_fonts qel_markdown_paragraph_fonts(const qel_markdown_render* r)
{
    float s = r->size * r->ctx->theme.current.ui_scale;
    return {QEL_FONT_BODY, QEL_FONT_MEDIUM, QEL_FONT_MONO, s, 12.0f / 13 * s, (r->compact ? 1.5f : 1.6f) * s,
            4.0f / 13 * s};
}

qel_markdown_fonts qel_markdown_heading_fonts(const qel_markdown_render* r, int32_t level)
{
    const qel_theme& th = r->ctx->theme.current;
    static const int NORMAL[6] = {1, 2, 3, -1, 0, 0}, COMPACT[6] = {3, -1, 0, 0, 0, 0};
    // Indexes into heading sizes; -1 the large text size, 0 with level above 2 the body size.
    int32_t at = (r->compact ? COMPACT : NORMAL)[level < 1 ? 0 : level > 6 ? 5 : level - 1];
    float theme_size;
    if (at == -1) theme_size = th.text_large;
    else if (at == 0) theme_size = th.text_body;
    else theme_size = th.heading[at];
    float t = r->size / (th.text_body > 0 ? th.text_body : 13) * theme_size;
    float h = t * th.ui_scale;
    bool display = t >= 26;
    uint32_t role = display ? QEL_FONT_HEADING : QEL_FONT_MEDIUM;
    return {role, role, QEL_FONT_MONO, h, 12.0f / 13 * h, (display ? 1.2f : 1.35f) * h, 4.0f / 13 * h};
}

// --- Joining, measuring ---

const char* qel_markdown_join_lines(qel_markdown_render* r, const qel_markdown_line* lines, int32_t count,
                                    int32_t* length)
{
    size_t total = 1;
    for (int32_t i = 0; i < count; i++) total += (size_t)lines[i].length + 1;
    char* out = (char*)qel_arena_alloc(r->ctx, total);
    int32_t n = 0;
    for (int32_t i = 0; i < count; i++) {
        int32_t from = 0, end = 0;
        trim_line(lines[i], &from, &end);
        int32_t trailing = lines[i].length - end;
        bool last = i == count - 1;
        bool backslash = !last && trailing == 0 && end > from && lines[i].text[end - 1] == '\\';
        int32_t keep = end - from - (backslash ? 1 : 0);
        memcpy(out + n, lines[i].text + from, (size_t)keep);
        n += keep;
        if (!last) out[n++] = trailing >= 2 || backslash ? '\n' : ' ';
    }
    out[n] = 0;
    *length = n;
    return out;
}

float qel_markdown_span_width(qel_context* ctx, const qel_markdown_fonts* fonts, const qel_markdown_span* span,
                              int32_t from, int32_t to)
{
    float w = qel_text_width(ctx, font_of(fonts, span->style), size_of(fonts, span->style), span->text + from,
                             to - from, 0);
    if (span->style & QEL_MD_CODE) {
        if (from == 0) w += fonts->code_padding;
        if (to == span->length) w += fonts->code_padding;
    }
    return w;
}

float qel_markdown_natural_width(qel_context* ctx, const qel_markdown_fonts* fonts,
                                 const qel_markdown_inline_result* parsed)
{
    float widest = 0, line = 0;
    for (int32_t i = 0; i < parsed->span_count; i++) {
        const qel_markdown_span& s = parsed->spans[i];
        if (s.style & QEL_MD_BREAK) {
            line = 0;
            continue;
        }
        line += qel_markdown_span_width(ctx, fonts, &s, 0, s.length);
        if (line > widest) widest = line;
    }
    return widest;
}

// --- Text blocks ---

float qel_markdown_layout_text(qel_markdown_render* r, const qel_markdown_inline_result* parsed,
                               const qel_markdown_fonts* fonts, qel_color color, int32_t alignment, float width)
{
    qel_context* ctx = r->ctx;
    layout l = {};
    l.ctx = ctx;
    l.parsed = parsed;
    l.fonts = fonts;
    // Short texts, the many cells and items of a large document, need fewer than the usual 32.
    l.capacity = parsed->span_count < 31 ? parsed->span_count + 1 : 32;
    l.runs = (qel_markdown_run*)qel_arena_alloc(ctx, sizeof(qel_markdown_run) * (size_t)l.capacity);
    l.W = width <= 24 ? 24 : width;
    l.alignment = alignment;
    wrap(l);

    int32_t base = r->links;
    r->links += parsed->link_count;
    qel_markdown_text_payload p = {};
    p.runs = l.runs;
    p.count = l.count;
    p.fonts = *fonts;
    p.text = color;
    p.link = r->custom_color ? color : r->link;
    p.code_background = r->code_background;
    p.custom_color = r->custom_color;
    bool any = false;
    if (parsed->link_count > 0) {
        size_t links = (size_t)parsed->link_count;
        p.hover = (float*)qel_arena_alloc(ctx, sizeof(float) * links);
        p.focus = (float*)qel_arena_alloc(ctx, sizeof(float) * links);
        bool* has_runs = (bool*)qel_arena_alloc(ctx, links);
        for (int32_t i = 0; i < l.count; i++)
            if (l.runs[i].link >= 0) has_runs[l.runs[i].link] = any = true;
        link_items(r, parsed, base, has_runs, &p);
    }

    int32_t node = qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, (float)l.lines * fonts->line_height});
    qel_node_draw_with(ctx, node, qel_markdown_draw_text, &p, sizeof p, false);
    if (any) {
        qel_node_push(ctx, node);
        link_nodes(r, parsed, l, base);
        qel_node_pop(ctx);
    }
    return r->fit ? qel_markdown_natural_width(ctx, fonts, parsed) : 0;
}

float qel_markdown_heading(qel_markdown_render* r, float width, qel_color color, int32_t level, const char* text,
                           int32_t length, bool streaming)
{
    qel_markdown_fonts fonts = qel_markdown_heading_fonts(r, level);
    qel_markdown_inline_result parsed = qel_markdown_inline(r->ctx, text, length, streaming);
    return qel_markdown_layout_text(r, &parsed, &fonts, level == 6 ? r->muted : color, 3, width);
}

float qel_markdown_paragraph(qel_markdown_render* r, const qel_markdown_block_ctx* block, const qel_markdown_line* lines,
                             int32_t count)
{
    if (count < 1) return 0;
    const char* text;
    int32_t length;
    if (count == 1) {
        int32_t from = 0, end = 0;
        trim_line(lines[0], &from, &end);
        text = lines[0].text + from;
        length = end - from;
    } else {
        text = qel_markdown_join_lines(r, lines, count, &length);
    }
    const qel_markdown_line& last = lines[count - 1];
    bool streaming = r->streaming && last.offset + last.length >= r->trimmed;
    qel_markdown_inline_result parsed = qel_markdown_inline(r->ctx, text, length, streaming);
    qel_markdown_fonts fonts = qel_markdown_paragraph_fonts(r);
    return qel_markdown_layout_text(r, &parsed, &fonts, block->color, 3, block->width);
}

// --- Drawing ---

void qel_markdown_draw_text(qel_context* ctx, const qel_node* node, void* payload)
{
    const auto* p = (const qel_markdown_text_payload*)payload;
    const qel_markdown_fonts& f = p->fonts;
    float lh = f.line_height;
    float fm = qel_line_height(ctx, (int32_t)f.regular, f.size);
    float asc = qel_font_ascent(ctx, (int32_t)f.regular, f.size);
    float u = f.size / 13 < 1 ? 1 : f.size / 13;
    const qel_transform* t = qel_draw_top_transform(ctx);
    for (int32_t i = 0; i < p->count; i++) {
        const qel_markdown_run& run = p->runs[i];
        float x = node->rect.x + run.x;
        float top = node->rect.y + (float)run.line * lh;
        float k = ctx->clock.scale * t->scale;
        if (qel_draw_culled(ctx, (x - 4) * k + t->offset_x, top * k + t->offset_y, (x + run.width + 4) * k + t->offset_x,
                            (top + lh) * k + t->offset_y))
            continue;
        float baseline = top + (lh - fm) / 2 + asc;
        qel_color color = run.link >= 0 ? p->link : p->text;
        int32_t font = font_of(&f, run.style);
        float size = size_of(&f, run.style);
        if (run.style & QEL_MD_CODE) {
            const float radii[4] = {4, 4, 4, 4};
            qel_rect box = {x, top + (lh - 1.5f * f.code_size) / 2, run.width, 1.5f * f.code_size};
            qel_draw_rect(ctx, &box, radii, p->code_background);
        }
        float text_x = x + (run.starts_span ? f.code_padding : 0);
        uint32_t first = ctx->draw.vertex_count;
        qel_draw_text(ctx, font, size, text_x, baseline - qel_font_ascent(ctx, font, size), color, run.text, run.length,
                      0);
        if (run.style & QEL_MD_EMPHASIS) {
            float base_px = baseline * k + t->offset_y;
            for (uint32_t v = first; v < ctx->draw.vertex_count; v++)
                ctx->draw.vertices[v].pos[0] += (base_px - ctx->draw.vertices[v].pos[1]) * 0.2f;
        }
        if (run.style & QEL_MD_STRIKE) {
            qel_rect bar = {x, baseline - 0.3f * f.size, run.width, u};
            qel_draw_rect(ctx, &bar, nullptr, color);
        }
        if (run.link >= 0) {
            float hover = p->hover[run.link];
            float fade = p->custom_color ? 0.8f + 0.2f * hover : 0.35f + 0.65f * hover;
            float gap = 0.14f * size < 1.5f ? 1.5f : 0.14f * size;
            qel_rect line = {x, baseline + gap, run.width, u};
            qel_draw_rect(ctx, &line, nullptr, qel_color_alpha(qel_color_resolve(ctx, p->link), fade));
            if (p->focus[run.link] > 0.01f) {
                const float radii[4] = {4, 4, 4, 4};
                qel_rect ring = {x - 2, top + 1, run.width + 4, lh - 2};
                qel_draw_focus_ring(ctx, &ring, radii, p->focus[run.link]);
            }
        }
    }
}

void qel_markdown_draw_marker(qel_context* ctx, const qel_node* node, void* payload)
{
    const auto* m = (const qel_markdown_marker*)payload;
    float s = m->fonts.size / 13;
    float lh = m->fonts.line_height;
    qel_rect r = node->rect;
    if (m->ordered) {
        int32_t font = (int32_t)m->fonts.regular;
        float w = qel_text_width(ctx, font, m->fonts.size, m->number, -1, 0);
        float top = r.y + (lh - qel_line_height(ctx, font, m->fonts.size)) / 2;
        qel_draw_text(ctx, font, m->fonts.size, r.x + r.w - 7 * s - w, top, m->color, m->number, -1, 0);
        return;
    }
    qel_vec2 c = {r.x + 6 * s, r.y + lh / 2};
    switch (m->depth % 3) {
    case 0:
        qel_draw_circle(ctx, c, 2.5f * s, m->color);
        break;
    case 1: {
        float side = 5.5f * s, radius = 2.75f * s;
        const float radii[4] = {radius, radius, radius, radius};
        qel_rect box = {c.x - side / 2, c.y - side / 2, side, side};
        qel_draw_rect_bordered(ctx, &box, radii, 0, m->color, 1.1f * s);
        break;
    }
    default: {
        float side = 4.5f * s;
        const float radii[4] = {0.75f, 0.75f, 0.75f, 0.75f};
        qel_rect box = {c.x - side / 2, c.y - side / 2, side, side};
        qel_draw_rect(ctx, &box, radii, m->color);
        break;
    }
    }
}

void qel_markdown_draw_quote_bar(qel_context* ctx, const qel_node* node, void* payload)
{
    float scale = node->pad_left / 14 > 0.8f ? node->pad_left / 14 : 0.8f;
    float w = 3 * scale;
    const float radii[4] = {w / 2, w / 2, w / 2, w / 2};
    qel_rect bar = {node->rect.x, node->rect.y, w, node->rect.h};
    qel_draw_rect(ctx, &bar, radii, *(const qel_color*)payload);
}

void qel_markdown_check_width(qel_context* ctx, const qel_node* node, void* payload)
{
    if (std::fabs(node->rect.w - *(const float*)payload) > 0.5f) qel_request_redraw(ctx);
}
