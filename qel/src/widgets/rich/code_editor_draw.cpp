// The code editor's text area as drawn: current line, gutter numbers, selection, find matches,
// the bracket pair, highlighted lines, the placeholder, the caret and the scroll bars, from the
// payload its frame built.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "code_editor_view.h"
#include "core/core.h"
#include "kit/widget_nodes.h"
#include "qel/code_doc.h"
#include "qel/code_editor.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/layout.h"
#include "qel/text.h"
#include "qel/theme.h"

namespace {

struct draw_frame {
    qel_context* ctx;
    const qel_code_editor_view* v;
    qel_rect r;
    float origin_x;  // column 0 of the text
    float font_line;
    bool dark;
    qel_color accent;  // A
};

float row_top(const draw_frame& d, int32_t line)
{
    return d.r.y + QEL_CODE_EDITOR_TOP + (float)line * d.v->line_height - (float)d.v->scroll_y;
}

int32_t line_start(const qel_code_editor_view* v, int32_t k)
{
    return v->base + v->starts[k];
}

int32_t line_end(const qel_code_editor_view* v, int32_t k)
{
    return v->base + v->starts[k + 1] - 1;
}

// The visual column of an offset inside visible line k.
float column_x(const draw_frame& d, int32_t k, int32_t offset)
{
    const qel_code_editor_view* v = d.v;
    int32_t start = v->starts[k];
    int32_t columns = qel_code_columns(v->text + start, offset - v->base - start, v->tab_width);
    return d.origin_x + (float)columns * v->char_width;
}

void box(qel_context* ctx, float x, float y, float w, float h, float radius, qel_color fill, qel_color border)
{
    qel_rect b = {x, y, w, h};
    const float radii[4] = {radius, radius, radius, radius};
    if (border) qel_draw_rect_bordered(ctx, &b, radii, fill, border, 1);
    else qel_draw_rect(ctx, &b, radii, fill);
}

void numbers(const draw_frame& d)
{
    const qel_code_editor_view* v = d.v;
    qel_color muted = qel_color_alpha(qel_theme_color(d.ctx, QEL_COLOR_TEXT_MUTED), 0.7f);
    qel_color current = qel_theme_color(d.ctx, QEL_COLOR_TEXT_SECONDARY);
    for (int32_t k = 0; k < v->lines && v->numbers; k++) {
        int32_t line = v->first_line + k;
        char digits[16];
        int32_t n = snprintf(digits, sizeof digits, "%d", line + 1);
        float w = qel_text_width(d.ctx, QEL_FONT_MONO, v->size, digits, n, 0);
        float top = row_top(d, line) + (v->line_height - d.font_line) / 2;
        qel_color c = v->focused && line == v->caret_line ? current : muted;
        qel_draw_text(d.ctx, QEL_FONT_MONO, v->size, d.r.x + v->gutter - 12 - w, top, c, digits, n, 0);
    }
    if (v->scroll_x > 0.5f)
        box(d.ctx, d.r.x + v->gutter - 1, d.r.y, 1, d.r.h, 0, qel_theme_color(d.ctx, QEL_COLOR_BORDER), 0);
}

void selection(const draw_frame& d)
{
    const qel_code_editor_view* v = d.v;
    int32_t lo = std::min(v->caret, v->anchor), hi = std::max(v->caret, v->anchor);
    if (lo == hi) return;
    bool neutral = !v->accent;
    qel_color fill = v->focused ? qel_color_alpha(d.accent, neutral ? 0.28f : 0.26f)
                                : qel_color_alpha(qel_theme_color(d.ctx, QEL_COLOR_TEXT), d.dark ? 0.12f : 0.08f);
    for (int32_t k = 0; k < v->lines; k++) {
        int32_t start = line_start(v, k), end = line_end(v, k);
        if (hi < start || lo > end) continue;
        float x0 = column_x(d, k, std::max(lo, start)), x1 = column_x(d, k, std::min(hi, end));
        if (hi > end) x1 += 0.6f * v->char_width;
        if (x1 > x0) box(d.ctx, x0, row_top(d, v->first_line + k), x1 - x0, v->line_height, 2, fill, 0);
    }
}

void matches(const draw_frame& d)
{
    const qel_code_editor_view* v = d.v;
    if (!v->find) return;
    qel_color fill = qel_color_alpha(d.accent, 0.12f), border = qel_color_alpha(d.accent, d.dark ? 0.55f : 0.45f);
    int32_t total = v->starts[v->lines] - 1;
    for (int32_t k = 0; k < v->lines; k++) {
        float top = row_top(d, v->first_line + k) + (v->line_height - d.font_line) / 2;
        for (int32_t at = v->starts[k]; at < v->starts[k + 1] - 1; at++) {
            if (!qel_code_doc_match_at(v->text, total, at, v->find, v->find_length)) continue;
            float x0 = column_x(d, k, v->base + at), x1 = column_x(d, k, v->base + at + v->find_length);
            box(d.ctx, x0 - 1, top + 1, x1 - x0 + 2, d.font_line - 2, 3, fill, border);
        }
    }
}

void brackets(const draw_frame& d)
{
    const qel_code_editor_view* v = d.v;
    qel_color fill = qel_color_alpha(qel_theme_color(d.ctx, QEL_COLOR_TEXT), d.dark ? 0.10f : 0.06f);
    qel_color border = qel_color_alpha(qel_theme_color(d.ctx, QEL_COLOR_TEXT_MUTED), 0.55f);
    for (int32_t offset : {v->bracket, v->matching_bracket}) {
        if (offset < 0) continue;
        for (int32_t k = 0; k < v->lines; k++)
            if (offset >= line_start(v, k) && offset < line_end(v, k))
                box(d.ctx, column_x(d, k, offset), row_top(d, v->first_line + k) + 2, v->char_width + 1,
                    v->line_height - 4, 3, fill, border);
    }
}

void text_lines(const draw_frame& d)
{
    const qel_code_editor_view* v = d.v;
    qel_color palette[QEL_CODE_CLASS_COUNT];
    qel_code_palette(d.ctx, palette);
    qel_code_line_style style = {&v->lang, v->json, v->size, v->char_width, v->tab_width, palette,
                                 d.r.x + v->gutter, d.r.x + d.r.w};
    uint8_t state = v->comment_state;
    for (int32_t k = 0; k < v->lines; k++) {
        float top = row_top(d, v->first_line + k) + (v->line_height - d.font_line) / 2;
        qel_code_draw_line(d.ctx, &style, v->text + v->starts[k], v->starts[k + 1] - 1 - v->starts[k], &state,
                           d.origin_x, top);
    }
    if (v->empty && v->placeholder)
        qel_draw_text(d.ctx, QEL_FONT_MONO, v->size, d.origin_x, row_top(d, 0) + (v->line_height - d.font_line) / 2,
                      qel_theme_color(d.ctx, QEL_COLOR_TEXT_MUTED), v->placeholder, -1, 0);
}

void caret(const draw_frame& d)
{
    const qel_code_editor_view* v = d.v;
    int32_t k = v->caret_line - v->first_line;
    if (!v->focused || k < 0 || k >= v->lines) return;
    float scale = d.ctx->clock.scale > 0 ? d.ctx->clock.scale : 1;
    float x = roundf(column_x(d, k, v->caret) * scale) / scale;
    float top = row_top(d, v->caret_line) + (v->line_height - d.font_line) / 2;
    double since = d.ctx->clock.time - v->caret_time;
    auto alpha = (float)(0.5 + 0.5 * cos(2 * std::numbers::pi * since / 1.06));
    qel_color c = v->accent ? d.accent : qel_theme_color(d.ctx, QEL_COLOR_TEXT);
    box(d.ctx, x, top, 1.5f, d.font_line, 0.75f, qel_color_alpha(c, alpha), 0);
}

void scroll_bars(const draw_frame& d)
{
    const qel_code_editor_view* v = d.v;
    if (v->bar_fade <= 0.01f) return;
    bool tall = v->content_h > v->view_h, wide = v->content_w > v->view_w;
    qel_color base = v->accent ? d.accent : qel_theme_color(d.ctx, QEL_COLOR_TEXT);
    const qel_rect& r = d.r;
    if (tall) {
        qel_code_editor_bar b = qel_code_editor_bar_of(r.y, r.h, wide, v->view_h, v->content_h, (float)v->scroll_y);
        float thick = v->bar_drag == 1 ? 8.0f : 6.0f;
        box(d.ctx, r.x + r.w - 3 - thick, b.track_start + b.thumb_start, thick, b.thumb, thick / 2,
            qel_color_alpha(base, v->bar_fade * (v->bar_drag == 1 ? 0.38f : 0.26f)), 0);
    }
    if (wide) {
        float left = r.x + v->gutter;
        qel_code_editor_bar b =
            qel_code_editor_bar_of(left, r.w - v->gutter, tall, v->view_w, v->content_w, v->scroll_x);
        float thick = v->bar_drag == 2 ? 8.0f : 6.0f;
        box(d.ctx, b.track_start + b.thumb_start, r.y + r.h - 3 - thick, b.thumb, thick, thick / 2,
            qel_color_alpha(base, v->bar_fade * (v->bar_drag == 2 ? 0.38f : 0.26f)), 0);
    }
}

}  // namespace

qel_code_editor_bar qel_code_editor_bar_of(float start, float side, bool corner, float view, float content,
                                           float scroll)
{
    qel_code_editor_bar b = {start + 3, side - 6 - (corner ? QEL_CODE_EDITOR_BAR_ZONE : 0), 0, 0};
    b.thumb = std::min(b.track, std::max(28.0f, content > 0 ? view / content * b.track : b.track));
    float most = content - view;
    b.thumb_start = most > 0 ? std::clamp(scroll / most, 0.0f, 1.0f) * (b.track - b.thumb) : 0;
    return b;
}

void qel_code_editor_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* v = (const qel_code_editor_view*)user;
    draw_frame d = {ctx, v, node->rect, 0, qel_line_height(ctx, QEL_FONT_MONO, v->size), qel_dark_mode(ctx), 0};
    d.origin_x = d.r.x + v->gutter + QEL_CODE_EDITOR_TEXT_GAP - v->scroll_x;
    d.accent = v->accent ? qel_theme_color(ctx, QEL_COLOR_ACCENT) : qel_color_oklch(0.60f, 0.13f, 250, 1);
    qel_hit_rect_add_clipped(ctx, v->region_id, d.r);
    qel_draw_push_clip(ctx, &d.r);
    int32_t k = v->caret_line - v->first_line;
    if (v->focused && v->caret == v->anchor && k >= 0 && k < v->lines)
        box(ctx, d.r.x, row_top(d, v->caret_line), d.r.w, v->line_height, 0,
            qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_TEXT), d.dark ? 0.05f : 0.04f), 0);
    numbers(d);
    qel_rect text = {d.r.x + v->gutter, d.r.y, d.r.w - v->gutter, d.r.h};
    qel_draw_push_clip(ctx, &text);
    selection(d);
    matches(d);
    brackets(d);
    text_lines(d);
    caret(d);
    qel_draw_pop_clip(ctx);
    scroll_bars(d);
    qel_draw_pop_clip(ctx);
}
