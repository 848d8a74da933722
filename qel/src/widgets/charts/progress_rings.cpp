// Progress rings: the size fitted to last frame's width, the rings' springs, the hit test of the
// drawn rings and legend rows, and the drawing of tracks, arcs, overlap shadows, centre texts and
// the legend.
#include "qel/progress_rings.h"

#include <algorithm>
#include <cmath>

#include "widgets/charts/chart_parts.h"
#include "core/core.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/theme.h"
#include "kit/widget_nodes.h"

static const float PI = 3.14159265f, TOP = -PI / 2;
static const float RING_GAP = 3, LEGEND_ROW = 26, LEGEND_GAP = 28;
static const uint32_t SPRINGS_ID = 0x5E11u;

const char* qel_progress_percent_text(qel_context* ctx, float value)
{
    float p = value * 100;
    bool tenths = p < 10 && p != std::floor(p);
    return qel_arena_sprintf(ctx, tenths ? "%.1f%%" : "%.0f%%", (double)p);
}

float qel_progress_ring_radius(float s, float t, int32_t k)
{
    return s / 2 - t / 2 - (float)k * (t + RING_GAP);
}

// How many rings fit before one would be too small to draw.
static int32_t drawn_rings(const qel_progress_payload* p)
{
    int32_t k = 0;
    while (k < p->count && qel_progress_ring_radius(p->size, p->thickness, k) > p->thickness / 2) k++;
    return k;
}

static const char* label_of(const qel_chart_item& item)
{
    return item.label ? item.label : "";
}

static float legend_width(qel_context* ctx, qel_progress_payload* p)
{
    if (!p->options.show_legend) return 0;
    if (p->count < 1) return 58;
    float widest_percent = 0;
    for (int32_t i = 0; i < p->count; i++) {
        p->widest_label = std::fmax(p->widest_label,
                                    qel_text_width(ctx, QEL_FONT_BODY, p->small_size, label_of(p->items[i]), -1, 0));
        widest_percent = std::fmax(widest_percent, qel_text_width(ctx, QEL_FONT_MEDIUM, p->small_size,
                                                                  qel_progress_percent_text(ctx, p->items[i].value), -1, 1));
    }
    return p->widest_label + 44 + 14 + widest_percent;
}

static qel_vec2 centre_of(const qel_progress_payload* p, const qel_rect& r)
{
    return {p->options.show_legend ? r.x + p->size / 2 : r.x + r.w / 2, r.y + p->size / 2};
}

// The drawn ring under m, the innermost on an overlap, else the legend row beside it; -1 none.
static int32_t hit_item(const qel_progress_payload* p, const qel_rect& r, qel_vec2 m)
{
    qel_vec2 c = centre_of(p, r);
    float d = std::hypot(m.x - c.x, m.y - c.y);
    int32_t hit = -1;
    for (int32_t k = 0; k < drawn_rings(p); k++)
        if (std::fabs(d - qel_progress_ring_radius(p->size, p->thickness, k)) <= p->thickness / 2 + 1.5f) hit = k;
    if (hit >= 0 || !p->options.show_legend || p->count < 1 || m.x < r.x + p->size + LEGEND_GAP) return hit;
    float top = c.y - (float)p->count * LEGEND_ROW / 2;
    if (m.y < top || m.y >= top + (float)p->count * LEGEND_ROW) return -1;
    return std::clamp((int32_t)std::floor((m.y - top) / LEGEND_ROW), 0, p->count - 1);
}

static qel_color item_color(qel_context* ctx, const qel_progress_payload* p, int32_t i)
{
    return qel_chart_indexed_color(ctx, p->items[i].color, i);
}

int32_t qel_progress_list(qel_context* ctx, const char* label, const qel_chart_item* items, int32_t count,
                          const qel_progress_list_options* options)
{
    const qel_progress_list_options none = {};
    count = items ? std::clamp(count, 0, (int32_t)QEL_PROGRESS_RINGS) : 0;
    qel_chart_entry e = qel_chart_entry_begin(ctx, label);
    auto* p = (qel_progress_payload*)qel_arena_alloc(ctx, sizeof(qel_progress_payload));
    p->items = qel_chart_copy_items(ctx, items, (uint32_t)count);
    p->count = count;
    p->options = options ? *options : none;
    p->small_size = qel_text_small_scaled(ctx);
    float lw = legend_width(ctx, p);
    float asked = p->options.size > 0 ? p->options.size : 150;
    float smallest = p->options.size > 0 && p->options.size < 96 ? asked : 96;
    p->size = asked;
    if (e.rect.w > 0 && asked + lw > e.rect.w) p->size = std::fmin(asked, std::fmax(std::floor(e.rect.w - lw), smallest));
    p->thickness = p->options.thickness > 0 ? p->options.thickness : std::fmax(8.0f, 0.1f * p->size);
    auto* st = (qel_progress_state*)qel_state_get(ctx, e.id ^ SPRINGS_ID, sizeof(qel_progress_state));
    for (int32_t i = 0; i < count; i++)
        p->values[i] = qel_anim_spring(ctx, st->springs[i], std::clamp(p->items[i].value, 0.0f, 4.0f),
                                       0.9f + 0.1f * (float)i, 0);
    int32_t hit = qel_chart_entry_hovering(&e) ? hit_item(p, e.rect, e.pointer) : -1;
    qel_chart_entry_view(ctx, &e, hit, count, &p->view);
    if (p->view.hovered >= 0) {
        const qel_chart_item& item = p->items[p->view.hovered];
        p->view.tip.title = label_of(item);
        qel_chart_tip_add(&p->view.tip, "Progress", qel_progress_percent_text(ctx, item.value),
                          item_color(ctx, p, p->view.hovered));
    }
    int32_t index = qel_chart_entry_node(ctx, &e, {QEL_SIZE_FIT, 0}, {QEL_SIZE_FIXED, p->size},
                                         qel_progress_list_draw, p, false);
    qel_node* node = qel_node_at(ctx, index);
    qel_node_set_width(node, {QEL_SIZE_FIT, 0}, asked + lw);
    node->flags |= QEL_NODE_MIN_FLOOR;
    node->min_w = smallest + lw;
    return qel_chart_entry_clicked(&e);
}

// Another item's colour fades toward the surface while one is hovered.
static qel_color shown_color(qel_context* ctx, const qel_progress_payload* p, int32_t i)
{
    return qel_chart_dim_others(ctx, &p->view, i, item_color(ctx, p, i), 0.4f);
}

// Past a full turn the ring is whole, and a shadow under the head marks where it overlaps.
static void draw_overlap(qel_context* ctx, qel_vec2 c, float r, float t, float end, qel_color color, bool dark)
{
    qel_draw_arc(ctx, c, r, 0, 2 * PI, t, color);
    qel_rect bounds = {c.x - r - t, c.y - r - t, 2 * (r + t), 2 * (r + t)};
    qel_draw_push_clip(ctx, &bounds);
    qel_vec2 at = qel_chart_polar(c, r, end + 0.25f * t / r);
    qel_rect square = {at.x - t / 2, at.y - t / 2, t, t};
    const float radii[4] = {t / 2, t / 2, t / 2, t / 2};
    qel_draw_box_shadow(ctx, &square, radii, 0.3f * t, 0, {0, 0}, dark ? 0x96000000u : 0x46000000u);
    qel_draw_pop_clip(ctx);
    qel_draw_arc(ctx, c, r, end - 0.6f, end, t, color);
}

static void draw_rings(qel_context* ctx, const qel_progress_payload* p, qel_vec2 c)
{
    bool dark = qel_dark_mode(ctx);
    float t = p->thickness;
    for (int32_t i = 0; i < drawn_rings(p); i++) {
        float r = qel_progress_ring_radius(p->size, t, i), v = p->values[i];
        qel_color c_i = shown_color(ctx, p, i);
        qel_draw_arc(ctx, c, r, 0, 2 * PI, t, qel_color_alpha(c_i, dark ? 0.22f : 0.16f));
        if (v <= 0.001f) continue;
        float end = 2 * PI * v + TOP;
        if (v < 1) {
            qel_draw_arc(ctx, c, r, TOP, end, t, c_i);
            qel_draw_circle(ctx, qel_chart_polar(c, r, TOP), t / 2, c_i);
        } else {
            draw_overlap(ctx, c, r, t, end, c_i, dark);
        }
        qel_draw_circle(ctx, qel_chart_polar(c, r, end), t / 2, c_i);
    }
}

static void draw_centre(qel_context* ctx, const qel_progress_payload* p, qel_vec2 c)
{
    const qel_progress_list_options& o = p->options;
    float big = qel_scaled(ctx, 0.16f * p->size);
    if (o.center_text)
        qel_draw_text_aligned(ctx, QEL_FONT_HEADING, big, c.x, o.center_caption ? c.y - 7 : c.y, 1,
                              qel_theme_color(ctx, QEL_COLOR_TEXT), o.center_text, 1);
    if (o.center_caption)
        qel_draw_text_aligned(ctx, QEL_FONT_BODY, qel_chart_xs_size(ctx), c.x, c.y + 0.55f * big, 1,
                              qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), o.center_caption, 0);
}

static void draw_legend(qel_context* ctx, const qel_progress_payload* p, const qel_rect& r, qel_vec2 c)
{
    float x0 = r.x + p->size + LEGEND_GAP;
    const float radii[4] = {2.5f, 2.5f, 2.5f, 2.5f};
    for (int32_t i = 0; i < p->count; i++) {
        float y = c.y - (float)p->count * LEGEND_ROW / 2 + LEGEND_ROW / 2 + LEGEND_ROW * (float)i;
        qel_rect swatch = {x0, y - 4, 8, 8};
        qel_draw_rect(ctx, &swatch, radii, shown_color(ctx, p, i));
        qel_draw_text_aligned(ctx, QEL_FONT_BODY, p->small_size, x0 + 16, y, 0,
                              qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), label_of(p->items[i]), 0);
        qel_draw_text_aligned(ctx, QEL_FONT_MEDIUM, p->small_size, x0 + 16 + p->widest_label + 14, y, 0,
                              qel_theme_color(ctx, QEL_COLOR_TEXT), qel_progress_percent_text(ctx, p->items[i].value),
                              1);
    }
}

void qel_progress_list_draw(qel_context* ctx, const qel_node* node, void* user)
{
    auto* p = (const qel_progress_payload*)user;
    qel_vec2 c = centre_of(p, node->rect);
    draw_rings(ctx, p, c);
    draw_centre(ctx, p, c);
    if (p->options.show_legend) draw_legend(ctx, p, node->rect, c);
    if (p->view.hovered >= 0 && p->view.tip.title) qel_chart_tooltip(ctx, &p->view.tip);
}
