// The treemap: the squarified layout, the entry's hit test and tooltip, and the drawing of tiles
// with their staggered intro, hover dimming and texts. Areas are worked in double so that large
// totals keep their proportions.
#include "qel/treemap.h"

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

static const float DEFAULT_HEIGHT = 300;

// The worst aspect ratio of a row of areas summing to s along a side of length side.
static double worst_ratio(double side, double s, double largest, double smallest)
{
    double s2 = s * s, side2 = side * side;
    if (!(smallest > 0) || !(s2 > 0)) return 1e30;
    return std::fmax(side2 * largest / s2, s2 / (side2 * smallest));
}

qel_rect* qel_chart_treemap_layout(qel_context* ctx, const qel_rect* r, const qel_chart_item* items,
                                   const int32_t* order, int32_t n, float total)
{
    auto* out = (qel_rect*)qel_arena_alloc(ctx, sizeof(qel_rect) * (size_t)(n > 0 ? n : 1));
    auto* area = (double*)qel_arena_alloc(ctx, sizeof(double) * (size_t)(n > 0 ? n : 1));
    double w = std::fmax(r->w, 0.0f), h = std::fmax(r->h, 0.0f);
    int32_t m = 0;
    for (int32_t k = 0; k < n; k++) {
        area[k] = total > 0 ? (double)items[order[k]].value / total * w * h : 0;
        if (area[k] > 0) m = k + 1;
        out[k] = {r->x, r->y, 0, 0};
    }
    double x = r->x, y = r->y;
    int32_t next = 0;
    while (next < m && std::fmin(w, h) > 0) {
        double side = std::fmin(w, h), s = area[next], largest = area[next], smallest = area[next];
        double worst = worst_ratio(side, s, largest, smallest);
        int32_t end = next + 1;
        for (; end < m; end++) {
            double s2 = s + area[end], l2 = std::fmax(largest, area[end]), m2 = std::fmin(smallest, area[end]);
            double w2 = worst_ratio(side, s2, l2, m2);
            if (w2 > worst) break;
            s = s2, largest = l2, smallest = m2, worst = w2;
        }
        double t = s / side, offset = 0;
        for (int32_t k = next; k < end; k++) {
            double along = t > 0 ? area[k] / t : 0;
            if (w >= h) out[k] = {(float)x, (float)(y + offset), (float)t, (float)along};
            else out[k] = {(float)(x + offset), (float)y, (float)along, (float)t};
            offset += along;
        }
        if (w >= h) x += t, w -= t;
        else y += t, h -= t;
        next = end;
    }
    return out;
}

static int32_t hit_item(qel_context* ctx, const qel_treemap_payload* p, const qel_rect& r, qel_vec2 m)
{
    qel_rect* tiles = qel_chart_treemap_layout(ctx, &r, p->items, p->order, p->count, p->total);
    for (int32_t k = 0; k < p->count; k++) {
        const qel_rect& t = tiles[k];
        if (m.x >= t.x && m.x < t.x + t.w && m.y >= t.y && m.y < t.y + t.h) return p->order[k];
    }
    return -1;
}

int32_t qel_treemap(qel_context* ctx, const char* label, const qel_chart_item* items, int32_t count,
                    const qel_treemap_options* options)
{
    const qel_treemap_options none = {};
    const qel_treemap_options* o = options ? options : &none;
    if (!items || count < 0) count = 0;
    qel_chart_entry e = qel_chart_entry_begin(ctx, label);
    auto* p = (qel_treemap_payload*)qel_arena_alloc(ctx, sizeof(qel_treemap_payload));
    p->items = qel_chart_copy_items(ctx, items, (uint32_t)count);
    p->count = count;
    p->order = qel_chart_order_by_value(ctx, p->items, count);
    p->total = (float)qel_chart_items_total(p->items, count);
    p->format = qel_arena_strdup(ctx, o->format, -1);
    int32_t hit = qel_chart_entry_hovering(&e) ? hit_item(ctx, p, e.rect, e.pointer) : -1;
    qel_chart_entry_view(ctx, &e, hit, count, &p->view);
    if (p->view.hovered >= 0)
        qel_chart_tip_value_share(ctx, &p->view.tip, p->items[p->view.hovered].label, p->format,
                                  p->items[p->view.hovered].value, p->total,
                                  qel_chart_item_color(ctx, p->items, p->order, p->view.hovered));
    qel_size width = o->width.kind != QEL_SIZE_FIT ? o->width : qel_size{QEL_SIZE_GROW, 1};
    qel_size height = {QEL_SIZE_FIXED, o->height > 0 ? o->height : DEFAULT_HEIGHT};
    qel_chart_entry_node(ctx, &e, width, height, qel_treemap_draw, p, true);
    return qel_chart_entry_clicked(&e);
}

static void tile_texts(qel_context* ctx, const qel_treemap_payload* p, const qel_rect& tile, int32_t item,
                       qel_color fill, float fade)
{
    const qel_chart_item& it = p->items[item];
    if (!(tile.w > 56 && tile.h > 30) || !it.label) return;
    float size = qel_text_small_scaled(ctx);
    qel_color ink = qel_chart_ink_on(fill);
    qel_draw_push_clip(ctx, &tile);
    qel_draw_text(ctx, QEL_FONT_MEDIUM, size, tile.x + 10, tile.y + 8, qel_color_alpha(ink, fade), it.label, -1, 0);
    if (tile.h > 48)
        qel_draw_text(ctx, QEL_FONT_BODY, size, tile.x + 10, tile.y + 8 + qel_line_height(ctx, QEL_FONT_MEDIUM, size),
                      qel_color_alpha(ink, 0.75f * fade), qel_chart_format_value(ctx, p->format, it.value), -1, 1);
    qel_draw_pop_clip(ctx);
}

void qel_treemap_draw(qel_context* ctx, const qel_node* node, void* user)
{
    auto* p = (const qel_treemap_payload*)user;
    qel_rect r = node->rect;
    qel_rect* tiles = qel_chart_treemap_layout(ctx, &r, p->items, p->order, p->count, p->total);
    for (int32_t k = 0; k < p->count; k++) {
        qel_rect tile = {tiles[k].x + 1, tiles[k].y + 1, tiles[k].w - 2, tiles[k].h - 2};
        if (!(tile.w > 0.5f && tile.h > 0.5f)) continue;
        int32_t item = p->order[k];
        float fade = qel_chart_stagger(p->view.intro, (float)k / (float)p->count, 0.6f);
        float s = 0.92f + 0.08f * fade;
        qel_color fill =
            qel_chart_dim_others(ctx, &p->view, item, qel_chart_item_color(ctx, p->items, p->order, item), 0.35f);
        float radius = std::fmin(0.25f * std::fmin(tile.w, tile.h), 8.0f);
        const float radii[4] = {radius, radius, radius, radius};
        qel_draw_push_transform(ctx, s, tile.x + tile.w / 2, tile.y + tile.h / 2, 1, 0, 0);
        qel_draw_rect(ctx, &tile, radii, qel_color_alpha(fill, fade));
        tile_texts(ctx, p, tile, item, fill, fade);
        qel_draw_pop_transform(ctx);
    }
    if (p->view.hovered >= 0 && p->view.tip.title) qel_chart_tooltip(ctx, &p->view.tip);
}
