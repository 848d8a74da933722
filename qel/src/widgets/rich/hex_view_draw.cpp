// The hex viewer's drawing: the column header, and per visible row the region and selection
// backgrounds, the cursor box, the hover outline, the offset, the bytes and their characters,
// then the viewer's own scroll bar.
#include <cinttypes>
#include <cmath>
#include <cstdio>

#include "core/core.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/text.h"
#include "qel/theme.h"
#include "widgets/rich/hex_view_parts.h"

namespace {

struct hex_colors {
    qel_color normal, bright, dim, selection, cursor, outline;
};

hex_colors colors_of(qel_context* ctx)
{
    qel_color accent = qel_theme_color(ctx, QEL_COLOR_ACCENT);
    return {qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), qel_theme_color(ctx, QEL_COLOR_TEXT),
            qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), qel_color_alpha(accent, 0.2f), qel_color_alpha(accent, 0.4f),
            qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY)};
}

qel_color region_fill(qel_context* ctx, int32_t kind)
{
    return qel_color_alpha(qel_color_semantic(ctx, (uint32_t)kind), 0.18f);
}

// The last region holding offset, or null.
const qel_hex_span* region_of(const qel_hex_draw_payload* p, uint64_t offset)
{
    for (int32_t i = p->region_count - 1; i >= 0; i--)
        if (offset >= p->regions[i].start && offset < p->regions[i].end) return &p->regions[i];
    return nullptr;
}

void text_at(qel_context* ctx, const qel_hex_draw_payload* p, float x, float row_y, qel_color color, const char* s,
             int32_t length)
{
    float top = row_y + floorf((p->row_height - qel_line_height(ctx, QEL_FONT_MONO, p->size)) / 2);
    qel_draw_text(ctx, QEL_FONT_MONO, p->size, x, top, color, s, length, 0);
}

// Backgrounds of one row: regions, then the selection.
void row_backgrounds(qel_context* ctx, const qel_hex_draw_payload* p, float x0, float y, uint64_t row_start,
                     int32_t count, const hex_colors& c)
{
    uint64_t row_end = row_start + (uint64_t)count;
    for (int32_t i = 0; i < p->region_count; i++) {
        const qel_hex_span& s = p->regions[i];
        if (s.end <= row_start || s.start >= row_end) continue;
        int32_t a = s.start > row_start ? (int32_t)(s.start - row_start) : 0;
        int32_t b = s.end < row_end ? (int32_t)(s.end - row_start) - 1 : count - 1;
        qel_hex_draw_span(ctx, p, x0, y, a, b, region_fill(ctx, s.color));
    }
    uint64_t sel_end = p->sel.start + p->sel.length;
    if (p->sel.length && sel_end > row_start && p->sel.start < row_end) {
        int32_t a = p->sel.start > row_start ? (int32_t)(p->sel.start - row_start) : 0;
        int32_t b = sel_end < row_end ? (int32_t)(sel_end - row_start) - 1 : count - 1;
        qel_hex_draw_span(ctx, p, x0, y, a, b, c.selection);
    }
}

void cell_marks(qel_context* ctx, const qel_hex_draw_payload* p, float x0, float y, uint64_t row_start,
                int32_t count, const hex_colors& c)
{
    const qel_hex_layout& l = p->l;
    if (p->sel.cursor >= row_start && p->sel.cursor < row_start + (uint64_t)count) {
        auto i = (int32_t)(p->sel.cursor - row_start);
        float r4[4] = {4, 4, 4, 4}, r3[4] = {3, 3, 3, 3};
        qel_rect box = {x0 + qel_hex_byte_x(&l, i) - 3, y + 1, 2 * l.c + 6, p->row_height - 2};
        qel_draw_rect(ctx, &box, r4, c.cursor);
        if (l.ascii) {
            qel_rect a = {x0 + qel_hex_ascii_x(&l, i) - 1, y + 1, l.c + 2, p->row_height - 2};
            qel_draw_rect(ctx, &a, r3, c.cursor);
        }
    }
    if (p->hovered >= 0 && (uint64_t)p->hovered >= row_start && (uint64_t)p->hovered < row_start + (uint64_t)count) {
        auto i = (int32_t)((uint64_t)p->hovered - row_start);
        float r4[4] = {4, 4, 4, 4};
        qel_rect box = {x0 + qel_hex_byte_x(&l, i) - 3, y + 1, 2 * l.c + 6, p->row_height - 2};
        qel_draw_rect_bordered(ctx, &box, r4, 0, c.outline, 1.5f);
    }
}

void row_text(qel_context* ctx, const qel_hex_draw_payload* p, float x0, float y, uint64_t row, const uint8_t* bytes,
              int32_t count, const hex_colors& c)
{
    const qel_hex_layout& l = p->l;
    uint64_t row_start = row * (uint64_t)l.per_row;
    uint64_t n = (uint64_t)l.per_row;
    bool bright_row = p->sel.cursor / n == row || (p->hovered >= 0 && (uint64_t)p->hovered / n == row);
    char text[24];
    int32_t length = snprintf(text, sizeof text, "%0*" PRIX64, l.digits, p->base + row_start);
    text_at(ctx, p, x0 + l.pad, y, bright_row ? c.bright : c.dim, text, length);
    static const char digits[] = "0123456789ABCDEF";
    for (int32_t i = 0; i < count; i++) {
        uint64_t at = row_start + (uint64_t)i;
        uint8_t v = bytes[i];
        bool marked = (at >= p->sel.start && at < p->sel.start + p->sel.length) || at == p->sel.cursor;
        const qel_hex_span* region = region_of(p, at);
        qel_color color = marked ? (v ? c.normal : c.bright)
                          : !v   ? c.dim
                          : region ? qel_color_mix(c.bright, qel_color_semantic(ctx, (uint32_t)region->color), 0.7f)
                                   : c.normal;
        char pair[2] = {digits[v >> 4], digits[v & 15]};
        text_at(ctx, p, x0 + qel_hex_byte_x(&l, i), y, color, pair, 2);
        if (!l.ascii) continue;
        bool shown = v >= 0x20 && v <= 0x7E;
        char ch = shown ? (char)v : '.';
        text_at(ctx, p, x0 + qel_hex_ascii_x(&l, i), y, shown ? c.normal : c.dim, &ch, 1);
    }
}

void scroll_bar(qel_context* ctx, const qel_hex_draw_payload* p, qel_rect r)
{
    double view_rows = p->visible;
    if ((double)p->rows <= view_rows || !(p->bar_fade > 0)) return;
    float width = p->bar_hovered ? 8.0f : 6.0f, track = r.h - 8;
    float thumb = fmaxf(28, (float)(track * view_rows / (double)p->rows));
    double range = (double)p->rows - view_rows;
    float y = r.y + 4 + (float)(p->scroll / range) * (track - thumb);
    qel_rect bar = {r.x + r.w - 3 - width, y, width, thumb};
    float radii[4] = {width / 2, width / 2, width / 2, width / 2};
    qel_color color = qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_TEXT), (p->bar_hovered ? 0.38f : 0.26f) * p->bar_fade);
    qel_draw_rect(ctx, &bar, radii, color);
}

}  // namespace

void qel_hex_draw_span(qel_context* ctx, const qel_hex_draw_payload* p, float x0, float row_y, int32_t a, int32_t b,
                       qel_color color)
{
    const qel_hex_layout& l = p->l;
    qel_rect hex = {x0 + qel_hex_byte_x(&l, a) - l.c / 2, row_y, qel_hex_byte_x(&l, b) - qel_hex_byte_x(&l, a) + 3 * l.c,
                    p->row_height};
    qel_draw_rect(ctx, &hex, nullptr, color);
    if (!l.ascii) return;
    qel_rect ascii = {x0 + qel_hex_ascii_x(&l, a), row_y, (float)(b - a + 1) * l.c, p->row_height};
    qel_draw_rect(ctx, &ascii, nullptr, color);
}

void qel_hex_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const qel_hex_draw_payload*)user;
    qel_rect r = node->rect;
    hex_colors c = colors_of(ctx);
    qel_hit_rect_add_clipped(ctx, p->list_id, r);
    uint64_t n = (uint64_t)p->l.per_row;
    for (int32_t k = 0; k < p->row_count; k++) {
        uint64_t row = p->first_row + (uint64_t)k;
        uint64_t row_start = row * n;
        auto count = (int32_t)(p->size_bytes - row_start < n ? p->size_bytes - row_start : n);
        float y = r.y + 4 + (float)((double)row - p->scroll) * p->row_height;
        row_backgrounds(ctx, p, r.x, y, row_start, count, c);
        cell_marks(ctx, p, r.x, y, row_start, count, c);
        row_text(ctx, p, r.x, y, row, p->bytes + (size_t)k * n, count, c);
    }
    scroll_bar(ctx, p, r);
}

void qel_hex_draw_header(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const qel_hex_draw_payload*)user;
    const qel_hex_layout& l = p->l;
    qel_rect r = node->rect;
    hex_colors c = colors_of(ctx);
    auto column = (int32_t)(p->sel.cursor % (uint64_t)l.per_row);
    static const char digits[] = "0123456789ABCDEF";
    for (int32_t i = 0; i < l.per_row; i++) {
        qel_color color = i == column ? c.bright : c.dim;
        char pair[2] = {digits[(i >> 4) & 15], digits[i & 15]};
        text_at(ctx, p, r.x + qel_hex_byte_x(&l, i), r.y, color, pair, 2);
        if (l.ascii) text_at(ctx, p, r.x + qel_hex_ascii_x(&l, i), r.y, color, pair + 1, 1);
    }
    qel_rect line = {r.x, r.y + r.h - 1, r.w, 1};
    qel_draw_rect(ctx, &line, nullptr, qel_theme_color(ctx, QEL_COLOR_BORDER));
}
