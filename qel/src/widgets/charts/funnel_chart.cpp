// The funnel chart: the entry's row hit test and tooltip of count and shares, and the drawing of
// staggered bars, connectors, value texts, stage names and share texts.
#include "qel/funnel_chart.h"

#include <algorithm>
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
#include "qel/widget_feel.h"
#include "kit/widget_nodes.h"

static const float ROW = 40, PITCH = 54, SIDE = 64;
// However many stages, the last stays clearly apart from the surface.
static const float STAGE_FADE = 0.13f, MOST_FADE = 0.65f;

int32_t qel_funnel_row_at(float y, int32_t count)
{
    double row = std::floor((y + 7) / PITCH);
    return row >= 0 && row < count ? (int32_t)row : -1;
}

static const char* label_of(const qel_chart_item& item)
{
    return item.label ? item.label : "";
}

static void fill_tip(qel_context* ctx, qel_funnel_payload* p)
{
    int32_t i = p->view.hovered;
    qel_chart_tip* tip = &p->view.tip;
    tip->title = label_of(p->items[i]);
    qel_chart_tip_add(tip, "Count", qel_chart_format_value(ctx, p->options.format, p->items[i].value), 0);
    qel_chart_tip_add(tip, "Of the first stage", qel_chart_percent_text(ctx, p->items[i].value, p->items[0].value), 0);
    if (i > 0)
        qel_chart_tip_add(tip, "From the stage before",
                          qel_chart_percent_text(ctx, p->items[i].value, p->items[i - 1].value), 0);
}

int32_t qel_funnel_chart(qel_context* ctx, const char* label, const qel_chart_item* items, int32_t count,
                         const qel_funnel_options* options)
{
    const qel_funnel_options none = {};
    if (!items || count < 0) count = 0;
    qel_chart_entry e = qel_chart_entry_begin(ctx, label);
    auto* p = (qel_funnel_payload*)qel_arena_alloc(ctx, sizeof(qel_funnel_payload));
    p->items = qel_chart_copy_items(ctx, items, (uint32_t)count);
    p->count = count;
    p->options = options ? *options : none;
    p->base = qel_chart_series_color(ctx, p->options.color);
    float widest = 0, size = qel_text_small_scaled(ctx);
    for (int32_t i = 0; i < count; i++) {
        p->vmax = std::fmax(p->vmax, p->items[i].value);
        widest = std::fmax(widest, qel_text_width(ctx, QEL_FONT_MEDIUM, size, label_of(p->items[i]), -1, 0));
    }
    p->label_width = widest + 20;
    int32_t hit = qel_chart_entry_hovering(&e) ? qel_funnel_row_at(e.pointer.y - e.rect.y, count) : -1;
    qel_chart_entry_view(ctx, &e, hit, count, &p->view);
    if (p->view.hovered >= 0) fill_tip(ctx, p);
    qel_size width = p->options.width.kind ? p->options.width : qel_size{QEL_SIZE_GROW, 1};
    float height = count > 0 ? (float)count * ROW + (float)(count - 1) * (PITCH - ROW) : 0;
    qel_chart_entry_node(ctx, &e, width, {QEL_SIZE_FIXED, height}, qel_funnel_chart_draw, p, false);
    return qel_chart_entry_clicked(&e);
}

static qel_color stage_color(qel_context* ctx, const qel_funnel_payload* p, int32_t i)
{
    qel_color surface = qel_theme_color(ctx, QEL_COLOR_SURFACE);
    qel_color c = qel_color_resolve(
        ctx, qel_color_arg(p->items[i].color, qel_color_mix(p->base, surface, std::fmin(STAGE_FADE * (float)i, MOST_FADE))));
    return qel_chart_dim_others(ctx, &p->view, i, c, 0.3f);
}

struct funnel_geometry {
    float x, y, right, cx, plot_w, small, tiny;
};

// The shares at the right edge: of the first stage, and from the third stage on also of the
// previous one when a form of it fits beside the bar's content ending at content_end.
static void draw_shares(qel_context* ctx, const qel_funnel_payload* p, const funnel_geometry& g, int32_t i,
                        float top, float content_end)
{
    qel_color text = qel_theme_color(ctx, QEL_COLOR_TEXT);
    const char* first = qel_chart_percent_text(ctx, p->items[i].value, p->items[0].value);
    const char* second = nullptr;
    if (i >= 2) {
        const char* share = qel_chart_percent_text(ctx, p->items[i].value, p->items[i - 1].value);
        const char* forms[2] = {qel_arena_sprintf(ctx, "%s of previous", share),
                                qel_arena_sprintf(ctx, "%s of prev.", share)};
        for (const char* t : forms) {
            if (g.right - qel_text_width(ctx, QEL_FONT_BODY, g.tiny, t, -1, 1) >= content_end + 6) {
                second = t;
                break;
            }
        }
    }
    if (!second) {
        qel_draw_text_aligned(ctx, QEL_FONT_MEDIUM, g.small, g.right, top + ROW / 2, 2, text, first, 1);
        return;
    }
    qel_draw_text_aligned(ctx, QEL_FONT_MEDIUM, g.small, g.right, top + 13, 2, text, first, 1);
    qel_draw_text_aligned(ctx, QEL_FONT_BODY, g.tiny, g.right, top + 29, 2, qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED),
                          second, 1);
}

static void draw_stage(qel_context* ctx, const qel_funnel_payload* p, const funnel_geometry& g, int32_t i,
                       float* previous_w)
{
    float top = g.y + PITCH * (float)i;
    float grown = qel_chart_stagger(p->view.intro, (float)i / (float)p->count, 0.6f);
    float share = p->vmax > 0 ? p->items[i].value / p->vmax : 0;
    float w = std::fmax(6.0f, share * g.plot_w * grown);
    qel_color c = stage_color(ctx, p, i);
    if (i > 0) {
        float above = top - PITCH + ROW;
        const qel_vec2 quad[4] = {{g.cx - *previous_w / 2, above}, {g.cx + *previous_w / 2, above},
                                  {g.cx + w / 2, top}, {g.cx - w / 2, top}};
        qel_draw_convex_polygon(ctx, quad, 4, qel_color_alpha(c, 0.16f));
    }
    *previous_w = w;
    const float radii[4] = {8, 8, 8, 8};
    qel_rect bar = {g.cx - w / 2, top, w, ROW};
    qel_draw_rect(ctx, &bar, radii, c);
    const char* value = qel_chart_format_value(ctx, p->options.format, p->items[i].value);
    float vw = qel_text_width(ctx, QEL_FONT_MEDIUM, g.small, value, -1, 1), content_end = bar.x + w;
    if (w > vw + 20) {
        qel_draw_text_aligned(ctx, QEL_FONT_MEDIUM, g.small, g.cx, top + ROW / 2, 1, qel_chart_ink_on(c), value, 1);
    } else {
        qel_draw_text_aligned(ctx, QEL_FONT_MEDIUM, g.small, content_end + 8, top + ROW / 2, 0,
                              qel_theme_color(ctx, QEL_COLOR_TEXT), value, 1);
        content_end += 8 + vw;
    }
    bool emphasised = p->view.hovered == i;
    qel_draw_text_aligned(ctx, emphasised ? QEL_FONT_MEDIUM : QEL_FONT_BODY, g.small, g.x, top + ROW / 2, 0,
                          qel_theme_color(ctx, QEL_COLOR_TEXT), label_of(p->items[i]), 0);
    draw_shares(ctx, p, g, i, top, content_end);
}

void qel_funnel_chart_draw(qel_context* ctx, const qel_node* node, void* user)
{
    auto* p = (const qel_funnel_payload*)user;
    if (p->count < 1) return;
    const qel_rect& r = node->rect;
    funnel_geometry g = {};
    g.x = r.x;
    g.y = r.y;
    g.right = r.x + r.w;
    g.plot_w = r.w - p->label_width - SIDE;
    g.cx = r.x + p->label_width + g.plot_w / 2;
    g.small = qel_text_small_scaled(ctx);
    g.tiny = qel_chart_xs_size(ctx);
    float previous_w = 0;
    for (int32_t i = 0; i < p->count; i++) draw_stage(ctx, p, g, i, &previous_w);
    if (p->view.hovered >= 0 && p->view.tip.title) qel_chart_tooltip(ctx, &p->view.tip);
}
