// The diff viewer's drawing: one side of a row prepared for display, the columns, and the draw
// callbacks of rows, folds, the header and the side-by-side divider.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/core.h"
#include "qel/arena.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/icons.h"
#include "qel/text.h"
#include "qel/theme.h"
#include "widgets/rich/diff_view_parts.h"

namespace {

const char* ending_note(uint8_t ending)
{
    if (ending == QEL_DIFF_END_CRLF) return "CRLF";
    return ending == QEL_DIFF_END_LF ? "LF" : "No newline at end of file";
}

float text_top(qel_context* ctx, const qel_diff_look* look, float row_y)
{
    return row_y + floorf((look->row_height - qel_line_height(ctx, QEL_FONT_MONO, look->size)) / 2);
}

void fill(qel_context* ctx, qel_rect r, qel_color color)
{
    if (color >> 24) qel_draw_rect(ctx, &r, nullptr, color);
}

void draw_fold(qel_context* ctx, const qel_diff_row_payload* p, qel_rect r)
{
    const qel_diff_look* look = p->look;
    fill(ctx, r, look->frame);
    fill(ctx, r, look->fold_tint);
    fill(ctx, r, qel_color_alpha(look->hover, p->hover));
    float x = r.x + 10 + look->number_width;
    qel_rect icon = {x, r.y + (r.h - 12) / 2, 12, 12};
    qel_draw_text_in_rect(ctx, QEL_ICON_CHEVRONS_UP_DOWN, &icon, 12, look->muted);
    const char* text = qel_arena_sprintf(ctx, "%d unchanged line%s", p->folded, p->folded == 1 ? "" : "s");
    qel_draw_text_aligned(ctx, QEL_FONT_BODY, 0.95f * look->size, x + 20, r.y + r.h / 2, 0, look->muted, text, 1);
}

// The side's text from text_x, its ranges behind it and its note after it, clipped to the side.
void draw_side_text(qel_context* ctx, const qel_diff_look* look, const qel_diff_side_display& s, float text_x,
                    qel_rect side)
{
    qel_rect clip = {text_x - 2, side.y, side.x + side.w - (text_x - 2), side.h};
    if (clip.w <= 0) return;
    float k = ctx->clock.scale;
    qel_rect device = {clip.x * k, clip.y * k, clip.w * k, clip.h * k};
    qel_draw_push_clip(ctx, &device);
    float x = text_x - look->scroll_x, d = look->char_width;
    for (int32_t i = 0; i < s.range_count; i++) {
        float a = (float)qel_code_columns(s.text, s.ranges[i].start, 4) * d;
        float b = (float)qel_code_columns(s.text, s.ranges[i].start + s.ranges[i].length, 4) * d;
        qel_rect box = {x + a - 1, side.y + 2, b - a + 2, side.h - 4};
        float radii[4] = {3, 3, 3, 3};
        qel_draw_rect(ctx, &box, radii, look->highlight[s.look]);
    }
    float y = text_top(ctx, look, side.y);
    if (look->highlighted) {
        qel_code_line_style style = {&look->lang, look->json, look->size, d, 0, look->palette, clip.x, clip.x + clip.w};
        uint8_t state = s.state;
        qel_code_draw_line(ctx, &style, s.text, s.length, &state, x, y);
    } else {
        qel_draw_text(ctx, QEL_FONT_MONO, look->size, x, y, look->text, s.text, s.length, 0);
    }
    if (s.note) {
        float after = x + (float)(qel_code_columns(s.text, s.length, 4) + 1) * d;
        qel_draw_text_aligned(ctx, QEL_FONT_BODY, 0.9f * look->size, after, side.y + side.h / 2, 0, look->muted,
                              s.note, 0);
    }
    qel_draw_pop_clip(ctx);
}

// One side: tints, numbers (old and new when unified), the marker and the text.
void draw_side(qel_context* ctx, const qel_diff_look* look, const qel_diff_side_display& s, const int32_t* numbers,
               qel_rect side, bool unified)
{
    qel_diff_column_set c = qel_diff_columns(unified, look->number_width, look->char_width);
    uint8_t kind = s.look;
    if (kind == QEL_DIFF_LOOK_FILLER) {
        fill(ctx, side, look->filler);
        return;
    }
    if (kind != QEL_DIFF_LOOK_CONTEXT) {
        fill(ctx, side, look->row_tint[kind]);
        fill(ctx, {side.x, side.y, c.marker + look->char_width, side.h}, look->gutter_tint[kind]);
    }
    qel_color number = kind == QEL_DIFF_LOOK_CONTEXT ? look->muted : look->number[kind];
    float mid = side.y + side.h / 2;
    qel_diff_draw_line_number(ctx, look, numbers[0], side.x + c.old_number_end, mid, number);
    if (unified) qel_diff_draw_line_number(ctx, look, numbers[1], side.x + c.new_number_end, mid, number);
    if (kind != QEL_DIFF_LOOK_CONTEXT)
        qel_draw_text_aligned(ctx, QEL_FONT_MONO, look->size, side.x + c.marker, mid, 0, look->marker[kind],
                              kind == QEL_DIFF_LOOK_REMOVED ? "-" : "+", 0);
    draw_side_text(ctx, look, s, side.x + c.text, side);
}

}  // namespace

qel_diff_column_set qel_diff_columns(bool unified, float number_width, float char_width)
{
    float w = number_width;
    if (unified) return {10 + w, 2 * w + 20, 2 * w + 28, 2 * w + 36 + char_width};
    return {10 + w, 10 + w, w + 18, w + 26 + char_width};
}

void qel_diff_line_display(qel_context* ctx, const qel_diff_record* rec, int32_t side, int32_t line, uint8_t look,
                           qel_diff_side_display* out)
{
    const qel_diff_result& d = rec->diff;
    const qel_diff_line& l = side ? d.new_lines[line] : d.old_lines[line];
    const char* src = (side ? d.new_text : d.old_text) + l.start;
    int32_t cut = l.length < (uint32_t)QEL_DIFF_SHOWN_BYTES ? (int32_t)l.length : QEL_DIFF_SHOWN_BYTES;
    if (cut < (int32_t)l.length)
        while (cut > 0 && ((uint8_t)src[cut] & 0xC0) == 0x80) cut--;
    char* text = (char*)qel_arena_alloc(ctx, (size_t)cut * 4 + 1);
    int32_t* map = (int32_t*)qel_arena_alloc(ctx, ((size_t)cut + 1) * sizeof(int32_t));
    int32_t n = 0, column = 0;
    for (int32_t i = 0; i < cut; i++) {
        map[i] = n;
        uint8_t c = (uint8_t)src[i];
        if (c == '\t') {
            for (int32_t k = 4 - column % 4; k > 0; k--, column++) text[n++] = ' ';
            continue;
        }
        text[n++] = c < 32 || c == 127 ? ' ' : (char)c;
        if ((c & 0xC0) != 0x80) column++;
    }
    map[cut] = n;
    text[n] = 0;
    *out = {};
    out->text = text;
    out->length = n;
    out->number = line + 1;
    out->look = look;
    out->state = rec->states[side] ? rec->states[side][line] : 0;
    if (l.flags & QEL_DIFF_LINE_SAME_TEXT) out->note = ending_note(l.ending);
    const int32_t* first = side ? d.new_range_first : d.old_range_first;
    const uint8_t* count = side ? d.new_range_count : d.old_range_count;
    if (!first || first[line] < 0) return;
    auto* ranges = (qel_diff_range*)qel_arena_alloc(ctx, sizeof(qel_diff_range) * count[line]);
    for (int32_t i = 0; i < count[line]; i++) {
        const qel_diff_range& r = d.ranges[first[line] + i];
        int32_t a = r.start < 0 ? 0 : r.start > cut ? cut : r.start;
        int32_t b = r.start + r.length > cut ? cut : r.start + r.length;
        if (b > a) ranges[out->range_count++] = {map[a], map[b] - map[a]};
    }
    out->ranges = ranges;
}

void qel_diff_draw_line_number(qel_context* ctx, const qel_diff_look* look, int32_t number, float right, float y,
                               qel_color color)
{
    if (number < 1) return;
    char text[16];
    snprintf(text, sizeof text, "%d", number);
    qel_draw_text_aligned(ctx, QEL_FONT_MONO, look->size, right, y, 2, color, text, 1);
}

void qel_diff_draw_row(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const qel_diff_row_payload*)user;
    qel_rect r = node->rect;
    if (p->kind == QEL_DIFF_ROW_FOLD) {
        draw_fold(ctx, p, r);
        return;
    }
    int32_t numbers[2] = {p->side[0].number, p->side[1].number};
    if (p->look->unified) {
        draw_side(ctx, p->look, p->side[0], numbers, r, true);
        return;
    }
    float half = floorf(r.w / 2);
    draw_side(ctx, p->look, p->side[0], numbers, {r.x, r.y, half, r.h}, false);
    draw_side(ctx, p->look, p->side[1], numbers + 1, {r.x + half + 1, r.y, r.w - half - 1, r.h}, false);
}

void qel_diff_draw_header(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const qel_diff_header_payload*)user;
    const qel_diff_look* look = p->look;
    qel_rect r = node->rect;
    float size = qel_theme_block_get(ctx)->text_small * qel_theme_block_get(ctx)->ui_scale;
    float mid = r.y + r.h / 2, right = r.x + r.w - 12;
    if (p->hunks > 0) {
        const char* removed = qel_arena_sprintf(ctx, "\xE2\x88\x92%d", p->removed);
        const char* added = qel_arena_sprintf(ctx, "+%d", p->added);
        qel_draw_text_aligned(ctx, QEL_FONT_BODY, size, right, mid, 2, look->marker[QEL_DIFF_LOOK_REMOVED], removed, 1);
        right -= qel_text_width(ctx, QEL_FONT_BODY, size, removed, -1, 1) + 8;
        qel_draw_text_aligned(ctx, QEL_FONT_BODY, size, right, mid, 2, look->marker[QEL_DIFF_LOOK_ADDED], added, 1);
        right -= qel_text_width(ctx, QEL_FONT_BODY, size, added, -1, 1) + 8;
    }
    float line_top = mid - qel_line_height(ctx, QEL_FONT_BODY, size) / 2;
    qel_color title = look->secondary;
    if (!look->unified) {
        float half = floorf(r.w / 2);
        if (p->old_title)
            qel_draw_text_ellipsis(ctx, QEL_FONT_BODY, size, r.x + 12, line_top, half - 24, title, p->old_title, -1, 0);
        if (p->new_title)
            qel_draw_text_ellipsis(ctx, QEL_FONT_BODY, size, r.x + half + 13, line_top, right - (r.x + half + 13),
                                   title, p->new_title, -1, 0);
        fill(ctx, {r.x + half, r.y, 1, r.h}, qel_theme_color(ctx, QEL_COLOR_BORDER));
    } else if (p->old_title && p->new_title && strcmp(p->old_title, p->new_title) != 0) {
        float x = r.x + 12, free = right - x;
        float old_w = fminf(qel_text_width(ctx, QEL_FONT_BODY, size, p->old_title, -1, 0), free / 2 - 14);
        qel_draw_text_ellipsis(ctx, QEL_FONT_BODY, size, x, line_top, old_w, title, p->old_title, -1, 0);
        qel_rect arrow = {x + old_w + 6, mid - 7, 14, 14};
        qel_draw_text_in_rect(ctx, QEL_ICON_ARROW_RIGHT, &arrow, 14, title);
        float nx = arrow.x + 14 + 20;
        qel_draw_text_ellipsis(ctx, QEL_FONT_BODY, size, nx, line_top, right - nx, title, p->new_title, -1, 0);
    } else {
        const char* one = p->old_title ? p->old_title : p->new_title;
        qel_draw_text_ellipsis(ctx, QEL_FONT_BODY, size, r.x + 12, line_top, right - r.x - 12, title, one, -1, 0);
    }
    fill(ctx, {r.x, r.y + r.h - 1, r.w, 1}, qel_theme_color(ctx, QEL_COLOR_BORDER));
}

void qel_diff_draw_list(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* look = *(const qel_diff_look* const*)user;
    if (look->unified) return;
    fill(ctx, {node->rect.x + floorf(node->rect.w / 2), node->rect.y, 1, node->rect.h},
         qel_theme_color(ctx, QEL_COLOR_BORDER));
}
