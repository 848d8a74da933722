// The emoji picker's grid: sections of results laid out in cells, the cell under a point, the
// text of a result, and the drawing of the visible rows with the header pinned at the top; the
// category tabs' drawing.
#include <cmath>
#include <cstring>

#include "core/core.h"
#include "emoji_picker_grid.h"
#include "kit/widget_nodes.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/emoji.h"
#include "qel/text.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"

namespace {

const float HEADER_HEIGHT = 30, DEFAULT_GRID_WIDTH = 340;
const int32_t MIN_COLUMNS = 4;

int32_t rows_of(const qel_emoji_grid_layout& g, const qel_emoji_section& s)
{
    return (s.count + g.columns - 1) / g.columns;
}

}  // namespace

float qel_emoji_section_header(const qel_emoji_section& s)
{
    return s.label == QEL_EMOJI_LABEL_SEARCH ? 0.0f : HEADER_HEIGHT;
}

float qel_emoji_section_height(const qel_emoji_grid_layout& g, const qel_emoji_section& s)
{
    return qel_emoji_section_header(s) + (float)rows_of(g, s) * g.cell;
}

float qel_emoji_section_top(const qel_emoji_grid_layout& g, const qel_emoji_picker_state* ps, int32_t section)
{
    float top = 0;
    for (int32_t i = 0; i < section; i++) top += qel_emoji_section_height(g, ps->sections[i]);
    return top;
}

qel_emoji_grid_layout qel_emoji_grid_layout_of(const qel_emoji_picker_state* ps, float width, float height,
                                               float emoji_size)
{
    qel_emoji_grid_layout g = {};
    g.emoji_size = emoji_size;
    g.cell = emoji_size + 12;
    g.width = width > 0 ? width : DEFAULT_GRID_WIDTH;
    g.height = height;
    int32_t columns = (int32_t)((g.width - 12) / g.cell);
    g.columns = columns > MIN_COLUMNS ? columns : MIN_COLUMNS;
    g.margin = floorf((g.width - (float)g.columns * g.cell) / 2);
    g.content_height = qel_emoji_section_top(g, ps, (int32_t)ps->section_count);
    g.max_scroll = fmaxf(0.0f, g.margin + g.content_height - g.height);
    return g;
}

qel_emoji_cell_pos qel_emoji_grid_cell_pos(const qel_emoji_grid_layout& g, const qel_emoji_picker_state* ps,
                                           int32_t result)
{
    float top = 0;
    for (uint32_t i = 0; i < ps->section_count; i++) {
        const qel_emoji_section& s = ps->sections[i];
        if (result >= s.first && result < s.first + s.count) {
            int32_t k = result - s.first;
            return {(int32_t)i, g.margin + (float)(k % g.columns) * g.cell,
                    top + qel_emoji_section_header(s) + (float)(k / g.columns) * g.cell};
        }
        top += qel_emoji_section_height(g, s);
    }
    return {-1, 0, 0};
}

int32_t qel_emoji_grid_hit(const qel_emoji_grid_layout& g, const qel_emoji_picker_state* ps, float x, float y)
{
    float content_y = y + ps->scroll, top = 0;
    if (x < 0 || y < 0 || x >= g.width || y >= g.height) return -1;
    for (uint32_t i = 0; i < ps->section_count; i++) {
        const qel_emoji_section& s = ps->sections[i];
        float height = qel_emoji_section_height(g, s);
        if (content_y >= top && content_y < top + height) {
            float column_x = (x - g.margin) / g.cell, row_y = (content_y - top - qel_emoji_section_header(s)) / g.cell;
            if (column_x < 0 || row_y < 0) return -1;
            int32_t column = (int32_t)column_x, row = (int32_t)row_y;
            if (column >= g.columns) return -1;
            int32_t k = row * g.columns + column;
            return k < s.count ? s.first + k : -1;
        }
        top += height;
    }
    return -1;
}

qel_emoji_text qel_emoji_entry_text(const qel_emoji_state* st, const qel_emoji_recent* recent, int32_t result,
                                    int32_t tone)
{
    qel_emoji_text out = {};
    if (result < 0) {
        const char* item = recent->items[-1 - result];
        out.length = (uint32_t)strlen(item);
        memcpy(out.text, item, out.length);
        return out;
    }
    const qel_emoji_entry& e = st->entries[result];
    const char* sequence = st->catalogue + e.sequence;
    if (e.skin_tone && tone > 0) return qel_emoji_apply_skin_tone(sequence, e.sequence_length, tone);
    out.length = e.sequence_length < sizeof out.text ? e.sequence_length : sizeof out.text - 1;
    memcpy(out.text, sequence, out.length);
    return out;
}

// --- Drawing the grid ---

namespace {

void centred_note(qel_context* ctx, const qel_rect& r, const char* text, qel_color color)
{
    qel_draw_text_aligned(ctx, QEL_FONT_BODY, qel_scaled(ctx, 13), r.x + r.w / 2, r.y + r.h * 0.4f, 1, color, text, 0);
}

void draw_header(qel_context* ctx, const qel_emoji_grid_paint* p, const qel_rect& r, float top, int32_t section)
{
    const char* label = p->labels[p->sections[section].label];
    qel_draw_text_aligned(ctx, QEL_FONT_MEDIUM, qel_scaled(ctx, 12), r.x + p->layout.margin + 6,
                          top + HEADER_HEIGHT / 2 + 2, 0, p->muted, label, 0);
}

void draw_cell(qel_context* ctx, const qel_emoji_grid_paint* p, int32_t result, float x, float y)
{
    const qel_emoji_grid_layout& g = p->layout;
    qel_rect cell = {x, y, g.cell, g.cell};
    bool highlighted = result == p->highlighted && p->show_highlight;
    if (result == p->hovered || highlighted) {
        qel_rect inset = {x + 2, y + 2, g.cell - 4, g.cell - 4};
        float radii[4] = {8, 8, 8, 8};
        if (highlighted && p->focus_ring) qel_draw_rect_bordered(ctx, &inset, radii, p->hover, p->focus, 2);
        else qel_draw_rect(ctx, &inset, radii, p->hover);
    }
    qel_emoji_text text = qel_emoji_entry_text(p->st, p->recent, p->results[result], p->tone);
    qel_rect square = {x + (g.cell - g.emoji_size) / 2, y + (g.cell - g.emoji_size) / 2, g.emoji_size, g.emoji_size};
    uint8_t missing = 0;
    if (qel_emoji_draw_ex(ctx, text.text, (int32_t)text.length, square, 1.0f, &missing) || missing) return;
    float inset = 0.3f * g.cell, side = g.cell - 2 * inset;
    qel_rect placeholder = {cell.x + inset, cell.y + inset, side, side};
    float radii[4] = {side / 2, side / 2, side / 2, side / 2};
    qel_draw_rect(ctx, &placeholder, radii, qel_color_alpha(p->text, 0.12f));
}

void draw_section(qel_context* ctx, const qel_emoji_grid_paint* p, const qel_rect& r, int32_t i, float top)
{
    const qel_emoji_grid_layout& g = p->layout;
    const qel_emoji_section& s = p->sections[i];
    float header = qel_emoji_section_header(s);
    if (header > 0 && top + header > r.y && top < r.y + r.h) draw_header(ctx, p, r, top, i);
    int32_t rows = rows_of(g, s);
    int32_t first_row = (int32_t)fmaxf(0.0f, floorf((r.y - top - header) / g.cell));
    for (int32_t row = first_row; row < rows; row++) {
        float y = top + header + (float)row * g.cell;
        if (y >= r.y + r.h) break;
        for (int32_t column = 0; column < g.columns; column++) {
            int32_t k = row * g.columns + column;
            if (k >= s.count) break;
            draw_cell(ctx, p, s.first + k, r.x + g.margin + (float)column * g.cell, y);
        }
    }
}

// The header of the section at the top edge, pinned there and pushed up by the next one.
void draw_pinned_header(qel_context* ctx, const qel_emoji_grid_paint* p, const qel_rect& r)
{
    const qel_emoji_grid_layout& g = p->layout;
    float top = 0;
    for (int32_t i = 0; i < p->section_count; i++) {
        float height = qel_emoji_section_height(g, p->sections[i]);
        if (p->scroll >= top && p->scroll < top + height) {
            if (qel_emoji_section_header(p->sections[i]) == 0) return;
            float y = r.y + fminf(0.0f, top + height - p->scroll - HEADER_HEIGHT);
            qel_rect band = {r.x, y, r.w, HEADER_HEIGHT};
            qel_draw_rect(ctx, &band, nullptr, p->pinned_fill);
            draw_header(ctx, p, r, y, i);
            return;
        }
        top += height;
    }
}

}  // namespace

void qel_emoji_grid_draw_cb(qel_context* ctx, const qel_node* node, void* user)
{
    const qel_emoji_grid_paint* p = (const qel_emoji_grid_paint*)user;
    const qel_rect& r = node->rect;
    if (!p->available) return centred_note(ctx, r, "No emoji font found", p->muted);
    if (p->section_count == 0) return centred_note(ctx, r, p->empty_text, p->muted);
    qel_draw_push_clip(ctx, &r);
    float top = r.y - p->scroll;
    for (int32_t i = 0; i < p->section_count; i++) {
        float height = qel_emoji_section_height(p->layout, p->sections[i]);
        if (top + height > r.y && top < r.y + r.h) draw_section(ctx, p, r, i, top);
        top += height;
    }
    draw_pinned_header(ctx, p, r);
    qel_draw_pop_clip(ctx);
}

// --- Tabs ---

namespace {

struct tab_paint {
    char text[16];
    uint8_t as_text, current;
    float alpha;
    qel_color text_color, underline;
};

void tab_draw_cb(qel_context* ctx, const qel_node* node, void* user)
{
    const tab_paint* t = (const tab_paint*)user;
    const qel_rect& r = node->rect;
    if (t->as_text) {
        qel_draw_text_in_rect(ctx, t->text, &r, 16, qel_color_alpha(t->text_color, 0.9f * t->alpha));
    } else {
        qel_rect square = {r.x + (r.w - 18) / 2, r.y + (r.h - 18) / 2, 18, 18};
        qel_emoji_draw_ex(ctx, t->text, -1, square, t->alpha, nullptr);
    }
    if (!t->current) return;
    qel_rect line = {r.x + 6, r.y + r.h - 2, r.w - 12, 2};
    float radii[4] = {1, 1, 1, 1};
    qel_draw_rect(ctx, &line, radii, t->underline);
}

}  // namespace

int32_t qel_emoji_tab_node(qel_context* ctx, uint32_t id, bool hovered, float width, float height, const char* text,
                           bool as_text, float alpha, bool current)
{
    qel_size w = width > 0 ? qel_size{QEL_SIZE_FIXED, width} : qel_size{QEL_SIZE_GROW, 1};
    int32_t node = qel_node_sized(ctx, id, w, {QEL_SIZE_FIXED, height});
    qel_node* n = qel_node_at(ctx, node);
    if (hovered) n->fill = qel_color_token(QEL_COLOR_HOVER);
    qel_node_round(n, qel_row_radius(ctx));
    tab_paint t = {};
    strncpy(t.text, text, sizeof t.text - 1);
    t.as_text = as_text, t.current = current, t.alpha = alpha;
    t.text_color = qel_theme_color(ctx, QEL_COLOR_TEXT);
    bool accent = qel_theme_get_accent(ctx) != QEL_ACCENT_NEUTRAL;
    t.underline = qel_theme_color(ctx, accent ? QEL_COLOR_ACCENT : QEL_COLOR_TEXT);
    qel_node_draw_with(ctx, node, tab_draw_cb, &t, sizeof t, true);
    return node;
}
