// Size snapping, measuring, drawing and wrapping with the generated glyph tables.
#include "bitmap_font.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "bitmap_font_data.h"

// Index of the ladder size nearest px; the first of two equally near sizes wins.
static int font_size_index(int px)
{
    int best = 0;
    int64_t best_diff = INT64_MAX;
    for (int i = 0; i < BITMAP_FONT_SIZES; i++) {
        int64_t diff = (int64_t)bitmap_font_sizes[i].px - px;
        if (diff < 0) diff = -diff;
        if (diff < best_diff) {
            best = i;
            best_diff = diff;
        }
    }
    return best;
}

static const bitmap_glyph* font_glyph_at(int size_index, unsigned char c)
{
    if (c < BITMAP_FONT_FIRST || c >= BITMAP_FONT_FIRST + BITMAP_FONT_CHARS) c = '?';
    return &bitmap_font_glyphs[size_index * BITMAP_FONT_CHARS + (c - BITMAP_FONT_FIRST)];
}

// The pen movement of one byte as measured: line ends take no room.
static int font_advance(int size_index, unsigned char c)
{
    return c == '\r' || c == '\n' ? 0 : font_glyph_at(size_index, c)->advance;
}

int bitmap_font_size_for_height(float px)
{
    // Far beyond the ladder every request lands on its top; the cap keeps the cast defined.
    if (!(px > 1)) px = 1;
    if (px > 10000) px = 10000;
    return bitmap_font_sizes[font_size_index((int)(px + 0.5f))].px;
}

int bitmap_font_size_for_mm(float mm, int32_t dpi)
{
    return bitmap_font_size_for_height(mm * (float)dpi / 25.4f);
}

int bitmap_font_ascent(int px) { return bitmap_font_sizes[font_size_index(px)].ascent; }
int bitmap_font_descent(int px) { return bitmap_font_sizes[font_size_index(px)].descent; }

static int font_line_height(int size_index)
{
    return bitmap_font_sizes[size_index].ascent + bitmap_font_sizes[size_index].descent;
}

int bitmap_font_line_height(int px)
{
    return font_line_height(font_size_index(px));
}

int bitmap_font_measure(const char* text, int px)
{
    int index = font_size_index(px);
    int64_t width = 0;
    for (const unsigned char* p = (const unsigned char*)text; *p; p++) width += font_advance(index, *p);
    return width > INT_MAX ? INT_MAX : (int)width;
}

bitmap_font_ink bitmap_font_line_ink(const char* text, int px, int bold)
{
    const int index = font_size_index(px);
    bitmap_font_ink ink = {INT64_MAX, INT64_MAX, INT64_MIN, INT64_MIN};
    int64_t pen = 0;
    for (const unsigned char* p = (const unsigned char*)text; *p; p++) {
        const bitmap_glyph* g = font_glyph_at(index, *p);
        if (g->width > 0 && g->height > 0) {
            ink.left = std::min(ink.left, pen + g->x_offset);
            ink.right = std::max(ink.right, pen + g->x_offset + g->width + (bold ? 1 : 0));
            ink.top = std::min<int64_t>(ink.top, g->y_offset);
            ink.bottom = std::max<int64_t>(ink.bottom, g->y_offset + g->height);
        }
        pen += g->advance;
    }
    return ink.left == INT64_MAX ? bitmap_font_ink{0, 0, 0, 0} : ink;
}

int bitmap_font_text_width(const char* text, int px)
{
    return text ? bitmap_font_measure(text, px) : 0;
}

int bitmap_font_missing_count(const char* text)
{
    if (!text) return 0;
    int missing = 0;
    for (const unsigned char* p = (const unsigned char*)text; *p; p++)
        if (!(*p == '\t' || *p == '\n' || *p == '\r' || (*p >= 32 && *p <= 126))) missing++;
    return missing;
}

const bitmap_glyph* bitmap_font_glyph(int px, unsigned char c)
{
    return font_glyph_at(font_size_index(px), c);
}

void bitmap_font_draw_glyph(raster* r, const bitmap_glyph* glyph, int32_t x, int32_t y)
{
    if (!glyph || glyph->width == 0 || glyph->height == 0) return;
    // A glyph bitmap is laid out as a raster; the blit only reads it.
    raster bitmap = {glyph->width, glyph->height, (glyph->width + 7) / 8,
                     const_cast<uint8_t*>(bitmap_font_bitmaps + glyph->offset)};
    raster_blit_rotated(r, &bitmap, x, y, 0);
}

// Draws the first `length` bytes of text; the pen stops once nothing further could show.
static void font_draw_span(raster* r, int32_t x, int32_t baseline_y, int size_index, const char* text, size_t length,
                           int bold)
{
    if (!r || !r->bits) return;
    int64_t pen = x;
    for (size_t i = 0; i < length && pen < (int64_t)r->width + 128; i++) {
        const bitmap_glyph* glyph = font_glyph_at(size_index, (unsigned char)text[i]);
        if (pen >= -1024) {
            int32_t gx = (int32_t)pen + glyph->x_offset;
            int64_t gy = (int64_t)baseline_y + glyph->y_offset;
            if (gy >= INT32_MIN && gy <= INT32_MAX) {
                bitmap_font_draw_glyph(r, glyph, gx, (int32_t)gy);
                if (bold) bitmap_font_draw_glyph(r, glyph, gx + 1, (int32_t)gy);
            }
        }
        pen += glyph->advance;
    }
}

void bitmap_font_draw_line(raster* r, int32_t x, int32_t baseline_y, int px, const char* text, int bold)
{
    if (!text) return;
    font_draw_span(r, x, baseline_y, font_size_index(px), text, strlen(text), bold);
}

enum { FONT_WRAP_MAX = 254 };

// Length of the next wrapped line of text: up to the last space when the line overflows the box
// or reaches the longest line, else up to the character that overflows, else the whole text.
static size_t font_wrap_length(const char* text, int size_index, int32_t box_width)
{
    int64_t width = 0;
    size_t last_space = 0, n = 0;
    while (text[n]) {
        width += font_advance(size_index, (unsigned char)text[n]);
        n++;
        if (n > 1 && text[n - 1] == ' ') last_space = n - 1;
        if (n > 1 && width > box_width) return last_space ? last_space : n - 1;
        if (n == FONT_WRAP_MAX) return last_space ? last_space : n;
    }
    return n;
}

int bitmap_font_draw_box(raster* r, int32_t x, int32_t baseline_y, int px, int32_t box_width, const char* text,
                         int bold, int max_lines)
{
    if (!text) return 0;
    int index = font_size_index(px);
    int64_t baseline = baseline_y;
    int lines = 0;
    while (*text && lines < max_lines) {
        size_t length = font_wrap_length(text, index, box_width);
        if (baseline >= INT32_MIN && baseline <= INT32_MAX)
            font_draw_span(r, x, (int32_t)baseline, index, text, length, bold);
        lines++;
        baseline += font_line_height(index);
        text += length;
        while (*text == ' ') text++;
    }
    return lines;
}
