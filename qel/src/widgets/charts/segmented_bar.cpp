// The segmented bar: the segment layout, the legend's flow (shared by hit test, height and
// drawing), the entry and the drawing of track, segments and legend.
#include "qel/segmented_bar.h"

#include <cmath>

#include "widgets/charts/chart_parts.h"
#include "core/core.h"
#include "qel/arena.h"
#include "qel/chart_values.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/text.h"
#include "qel/theme.h"
#include "kit/widget_nodes.h"

static const float SEGMENT_GAP = 2, ENTRY_GAP = 22, LINE_PITCH = 26, LINE_HEIGHT = 20;

void qel_chart_segment_layout(float x, float y, float width, const qel_chart_item* items, int32_t count, float total,
                              float height, float t, qel_rect* out)
{
    int32_t positive = 0;
    for (int32_t i = 0; i < count; i++) positive += items[i].value > 0;
    float available = std::fmax(0.0f, positive > 0 ? width - SEGMENT_GAP * (float)(positive - 1) : width);
    float cursor = x;
    for (int32_t i = 0; i < count; i++) {
        float w = total > 0 ? items[i].value / total * available * t : 0.0f;
        out[i] = {cursor, y, w, height};
        if (items[i].value > 0) cursor += w + SEGMENT_GAP * t;
    }
}

static const char* value_text(qel_context* ctx, const qel_segmented_bar_payload* p, int32_t i)
{
    return qel_arena_sprintf(ctx, "%s  %s", qel_chart_format_value(ctx, p->options.format, p->items[i].value),
                             qel_chart_percent_text(ctx, p->items[i].value, p->total));
}

// Each legend entry's box (its width, a line high) flowing from (x, y) within width; returns the
// number of lines.
static int32_t legend_flow(qel_context* ctx, const qel_segmented_bar_payload* p, float x, float y, float width,
                           qel_rect* boxes)
{
    float size = qel_text_small_scaled(ctx), cx = x, cy = y;
    int32_t lines = 1;
    for (int32_t i = 0; i < p->count; i++) {
        const char* name = p->items[i].label ? p->items[i].label : "";
        float w = qel_text_width(ctx, QEL_FONT_MEDIUM, size, name, -1, 0) + 14 + 8 +
                  qel_text_width(ctx, QEL_FONT_BODY, size, value_text(ctx, p, i), -1, 1);
        if (cx > x && cx + w > x + width) {
            cx = x;
            cy += LINE_PITCH;
            lines++;
        }
        boxes[i] = {cx, cy, w, LINE_HEIGHT};
        cx += w + ENTRY_GAP;
    }
    return lines;
}

static qel_rect* arena_rects(qel_context* ctx, int32_t count)
{
    return (qel_rect*)qel_arena_alloc(ctx, sizeof(qel_rect) * (size_t)(count > 0 ? count : 1));
}

static int32_t hit_item(qel_context* ctx, const qel_segmented_bar_payload* p, const qel_rect& r, qel_vec2 m)
{
    qel_rect* rects = arena_rects(ctx, p->count);
    int32_t hit = -1;
    if (m.y < r.y + p->height + 6) {
        qel_chart_segment_layout(r.x, r.y, r.w, p->items, p->count, p->total, p->height, 1, rects);
        for (int32_t i = 0; i < p->count; i++)
            if (p->items[i].value > 0 && m.x >= rects[i].x - 1 && m.x <= rects[i].x + rects[i].w + 1) hit = i;
        return hit;
    }
    if (p->options.hide_legend || p->count < 1) return -1;
    legend_flow(ctx, p, r.x, r.y + p->height + 14, r.w, rects);
    for (int32_t i = 0; i < p->count; i++)
        if (m.x >= rects[i].x && m.x < rects[i].x + rects[i].w && m.y >= rects[i].y && m.y < rects[i].y + LINE_HEIGHT)
            return i;
    return -1;
}

int32_t qel_segmented_bar(qel_context* ctx, const char* label, const qel_chart_item* items, int32_t count,
                          const qel_segmented_bar_options* options)
{
    const qel_segmented_bar_options none = {};
    const qel_segmented_bar_options* o = options ? options : &none;
    if (!items || count < 0) count = 0;
    qel_chart_entry e = qel_chart_entry_begin(ctx, label);
    auto* p = (qel_segmented_bar_payload*)qel_arena_alloc(ctx, sizeof(qel_segmented_bar_payload));
    p->items = qel_chart_copy_items(ctx, items, (uint32_t)count);
    p->count = count;
    p->total = (float)qel_chart_items_total(p->items, count);
    p->options = *o;
    p->options.format = qel_arena_strdup(ctx, o->format, -1);
    p->height = o->bar_height > 0 ? o->bar_height : 10;
    int32_t hit = qel_chart_entry_hovering(&e) ? hit_item(ctx, p, e.rect, e.pointer) : -1;
    qel_chart_entry_view(ctx, &e, hit, count, &p->view);
    if (p->view.hovered >= 0)
        qel_chart_tip_value_share(ctx, &p->view.tip, p->items[p->view.hovered].label, p->options.format,
                                  p->items[p->view.hovered].value, p->total,
                                  qel_chart_indexed_color(ctx, p->items[p->view.hovered].color, p->view.hovered));
    float legend = 0;
    if (!o->hide_legend && count < 1) legend = 14;
    if (!o->hide_legend && count > 0) {
        int32_t lines = legend_flow(ctx, p, 0, 0, e.rect.w > 0 ? e.rect.w : 400, arena_rects(ctx, count));
        legend = 20 + 14 + LINE_PITCH * (float)(lines - 1);
    }
    qel_size width = o->width.kind != QEL_SIZE_FIT ? o->width : qel_size{QEL_SIZE_GROW, 1};
    qel_chart_entry_node(ctx, &e, width, {QEL_SIZE_FIXED, p->height + legend}, qel_segmented_bar_draw, p, false);
    return qel_chart_entry_clicked(&e);
}

static void draw_segments(qel_context* ctx, const qel_segmented_bar_payload* p, const qel_rect& r, float t)
{
    float h = p->height, inner = std::fmin(h / 2, 3.0f);
    const float track_radii[4] = {h / 2, h / 2, h / 2, h / 2};
    qel_rect track = {r.x, r.y, r.w, h};
    qel_draw_rect(ctx, &track, track_radii, qel_chart_empty_color(ctx));
    int32_t first = -1, last = -1;
    for (int32_t i = 0; i < p->count; i++)
        if (p->items[i].value > 0) last = i, first = first < 0 ? i : first;
    qel_rect* rects = arena_rects(ctx, p->count);
    qel_chart_segment_layout(r.x, r.y, r.w, p->items, p->count, p->total, h, t, rects);
    for (int32_t i = 0; i < p->count; i++) {
        if (!(p->items[i].value > 0)) continue;
        float left = i == first ? h / 2 : inner, right = i == last && t > 0.99f ? h / 2 : inner;
        const float radii[4] = {left, right, right, left};
        qel_color c = qel_chart_dim_others(ctx, &p->view, i, qel_chart_indexed_color(ctx, p->items[i].color, i), 0.5f);
        qel_draw_rect(ctx, &rects[i], radii, c);
    }
}

static void draw_legend(qel_context* ctx, const qel_segmented_bar_payload* p, const qel_rect& r)
{
    qel_rect* boxes = arena_rects(ctx, p->count);
    legend_flow(ctx, p, r.x, r.y + p->height + 14, r.w, boxes);
    float size = qel_text_small_scaled(ctx);
    const float radii[4] = {2.5f, 2.5f, 2.5f, 2.5f};
    for (int32_t i = 0; i < p->count; i++) {
        float f = p->view.hovered >= 0 && i != p->view.hovered ? 0.5f : 1.0f, cy = boxes[i].y + LINE_HEIGHT / 2;
        const char* name = p->items[i].label ? p->items[i].label : "";
        qel_rect swatch = {boxes[i].x, boxes[i].y + 6, 8, 8};
        qel_draw_rect(ctx, &swatch, radii, qel_color_alpha(qel_chart_indexed_color(ctx, p->items[i].color, i), f));
        qel_draw_text_aligned(ctx, QEL_FONT_MEDIUM, size, boxes[i].x + 14, cy, 0,
                              qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_TEXT), f), name, 0);
        float name_w = qel_text_width(ctx, QEL_FONT_MEDIUM, size, name, -1, 0);
        qel_draw_text_aligned(ctx, QEL_FONT_BODY, size, boxes[i].x + 14 + name_w + 8, cy, 0,
                              qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), f), value_text(ctx, p, i), 1);
    }
}

void qel_segmented_bar_draw(qel_context* ctx, const qel_node* node, void* user)
{
    auto* p = (const qel_segmented_bar_payload*)user;
    draw_segments(ctx, p, node->rect, std::fmin(std::fmax(p->view.intro, 0.0f), 1.0f));
    if (!p->options.hide_legend) draw_legend(ctx, p, node->rect);
    if (p->view.hovered >= 0 && p->view.tip.title) qel_chart_tooltip(ctx, &p->view.tip);
}
