// The chart frame: data copies, the chart node and entry steps, colours and the ramp, legend and
// tooltip box, and the plot and XY layouts. Values that are not finite are missing wherever they
// are copied or scanned, so no NaN reaches a bound, a colour or an animation.
#include "qel/chart_frame.h"

#include <cmath>
#include <cstring>

#include "kit/state_records.h"
#include "widgets/charts/chart_parts.h"
#include "core/core.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/chart_values.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/widget_nodes.h"

static const float INTRO_PERIOD = 0.7f, TIP_SECONDS = 0.14f;
static const float TIP_ROW = 18, TIP_RADIUS = 12, SWATCH = 8, SWATCH_RADIUS = 2.5f;
static const qel_color LIGHT_TIP_BORDER = 0x12000000u;

static bool has_own_color(qel_color c)
{
    return (c >> 24) != 0 || qel_color_is_token(c);
}

// --- Copies ---

float* qel_chart_copy_values(qel_context* ctx, const float* values, int32_t count)
{
    int32_t n = count < 1 ? 1 : count;
    auto* out = (float*)qel_arena_alloc(ctx, sizeof(float) * (size_t)n);
    if (values && count > 0)
        for (int32_t i = 0; i < count; i++) out[i] = std::isfinite(values[i]) ? values[i] : 0.0f;
    return out;
}

qel_chart_item* qel_chart_copy_items(qel_context* ctx, const qel_chart_item* items, uint32_t count)
{
    size_t n = count == 0 ? 1 : count;
    auto* out = (qel_chart_item*)qel_arena_alloc(ctx, sizeof(qel_chart_item) * n);
    if (!items) return out;
    for (uint32_t i = 0; i < count; i++) {
        out[i] = items[i];
        if (!(out[i].value >= 0) || !std::isfinite(out[i].value)) out[i].value = 0;
    }
    return out;
}

// --- The chart node and the entry ---

int32_t qel_chart_node(qel_context* ctx, uint32_t id, qel_size width, qel_size height, qel_draw_fn draw,
                       void* payload, bool hot)
{
    int32_t index = qel_node_open(ctx, id);
    qel_node* n = qel_node_at(ctx, index);
    n->width = width;
    n->height = height;
    n->draw = draw;
    n->draw_user = payload;
    n->flags |= QEL_NODE_DRAW_AFTER | (hot ? QEL_NODE_ON_TOP : 0u);
    qel_node_mark_interactive(ctx, index, 0);
    qel_set_last_item(ctx, id);
    return index;
}

qel_chart_entry qel_chart_entry_begin(qel_context* ctx, const char* label)
{
    return qel_chart_entry_begin_with(ctx, label, 0);
}

qel_chart_entry qel_chart_entry_begin_with(qel_context* ctx, const char* label, uint32_t interact_flags)
{
    qel_chart_entry e = {};
    e.id = qel_id(ctx, label);
    e.state = qel_state_record_of<qel_chart_state>(ctx, e.id, "qel_chart_state");
    qel_anim_spring(ctx, &e.state->intro, 1.0f, INTRO_PERIOD, 0);
    e.interaction = qel_interact(ctx, e.id, interact_flags);
    e.rect = qel_id_rect(ctx, e.id);
    e.pointer = qel_mouse_pos(ctx);
    return e;
}

bool qel_chart_entry_hovering(const qel_chart_entry* e)
{
    return e->interaction.hovered && e->rect.w > 0 && e->rect.h > 0;
}

void qel_chart_entry_view(qel_context* ctx, qel_chart_entry* e, int32_t hit, int32_t count, qel_chart_view* view)
{
    qel_chart_state* st = e->state;
    st->hovered = hit >= 0 ? hit : -1;
    if (hit >= 0) st->last_hovered = hit;
    qel_anim_exp(ctx, &st->tip_alpha, hit >= 0 ? 1.0f : 0.0f, TIP_SECONDS);
    view->intro = st->intro;
    view->tip_alpha = st->tip_alpha;
    view->hovered = -1;
    if (!(st->tip_alpha > 0.01f) || st->last_hovered < 0 || st->last_hovered >= count) return;
    view->hovered = st->last_hovered;
    qel_chart_tip* tip = &view->tip;
    tip->alpha = st->tip_alpha;
    tip->anchor_x = e->pointer.x;
    tip->anchor_y = e->pointer.y;
    tip->bounds_x = e->rect.x;
    tip->bounds_y = e->rect.y;
    tip->bounds_w = e->rect.w;
    tip->bounds_h = e->rect.h;
}

int32_t qel_chart_entry_node(qel_context* ctx, const qel_chart_entry* e, qel_size width, qel_size height,
                             qel_draw_fn draw, void* payload, bool hand)
{
    bool hot = e->state->hovered >= 0;
    if (hand && hot) qel_set_cursor(ctx, QEL_CURSOR_HAND);
    return qel_chart_node(ctx, e->id, width, height, draw, payload, hot);
}

int32_t qel_chart_entry_clicked(const qel_chart_entry* e)
{
    return e->interaction.clicked && e->state->hovered >= 0 ? e->state->hovered : -1;
}

void qel_chart_tip_value_share(qel_context* ctx, qel_chart_tip* tip, const char* title, const char* format,
                               float value, float total, qel_color swatch)
{
    tip->title = title ? title : "";
    qel_chart_tip_add(tip, "Value", qel_chart_format_value(ctx, format, value), swatch);
    qel_chart_tip_add(tip, "Share", qel_chart_percent_text(ctx, value, total), 0);
}

// --- Shared looks and orders ---

qel_color qel_chart_empty_color(qel_context* ctx)
{
    float tint = qel_dark_mode(ctx) ? 0.07f : 0.055f;
    return qel_color_mix(qel_theme_color(ctx, QEL_COLOR_SURFACE), qel_theme_color(ctx, QEL_COLOR_TEXT), tint);
}

qel_vec2 qel_chart_polar(qel_vec2 c, float r, float angle)
{
    return {c.x + r * std::cos(angle), c.y + r * std::sin(angle)};
}

qel_color qel_chart_ink_on(qel_color fill)
{
    float lum = (0.2126f * (float)(fill & 0xFF) + 0.7152f * (float)((fill >> 8) & 0xFF) +
                 0.0722f * (float)((fill >> 16) & 0xFF)) / 255;
    return lum >= 0.52f ? 0xFF141414u : 0xFFFFFFFFu;
}

qel_color qel_chart_indexed_color(qel_context* ctx, qel_color own, int32_t index)
{
    int32_t slot = QEL_COLOR_CHART1 + (index % 6 + 6) % 6;
    return qel_color_resolve(ctx, qel_color_arg(own, qel_color_token((qel_theme_slot)slot)));
}

float qel_chart_stagger(float intro, float share, float lag)
{
    return std::fmin(std::fmax(intro * (1 + lag) - share * lag, 0.0f), 1.0f);
}

qel_color qel_chart_dim_others(qel_context* ctx, const qel_chart_view* view, int32_t i, qel_color c, float strength)
{
    if (view->hovered < 0 || view->hovered == i) return c;
    return qel_color_mix(c, qel_theme_color(ctx, QEL_COLOR_SURFACE), view->tip_alpha * strength);
}

void qel_chart_cell_ring(qel_context* ctx, float x, float y, float cell, float radius, float alpha)
{
    qel_rect ring = {x - 1.5f, y - 1.5f, cell + 3, cell + 3};
    const float radii[4] = {radius + 1.5f, radius + 1.5f, radius + 1.5f, radius + 1.5f};
    qel_draw_rect_bordered(ctx, &ring, radii, 0, qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_TEXT), alpha), 1.5f);
}

float qel_chart_xs_size(qel_context* ctx)
{
    return qel_scaled(ctx, ctx->theme.current.text_xs);
}

int32_t* qel_chart_order_by_value(qel_context* ctx, const qel_chart_item* items, int32_t count)
{
    int32_t n = count < 1 ? 1 : count;
    auto* order = (int32_t*)qel_arena_alloc(ctx, sizeof(int32_t) * (size_t)n);
    for (int32_t i = 0; i < count; i++) {
        int32_t k = i;
        while (k > 0 && items[i].value > items[order[k - 1]].value) {
            order[k] = order[k - 1];
            k--;
        }
        order[k] = i;
    }
    return order;
}

double qel_chart_items_total(const qel_chart_item* items, int32_t count)
{
    double total = 0;
    for (int32_t i = 0; i < count; i++) total += items[i].value;
    return total;
}

// --- Colours ---

qel_color qel_chart_series_color(qel_context* ctx, qel_color color)
{
    qel_theme_slot slot = qel_theme_get_accent(ctx) == QEL_ACCENT_NEUTRAL ? QEL_COLOR_CHART1 : QEL_COLOR_ACCENT;
    return qel_color_resolve(ctx, qel_color_arg(color, qel_color_token(slot)));
}

qel_color qel_chart_color_ramp(qel_context* ctx, qel_color base, float t)
{
    t = std::isfinite(t) ? std::fmin(std::fmax(t, 0.0f), 1.0f) : 0.0f;
    base = qel_color_resolve(ctx, base);
    bool dark = qel_dark_mode(ctx);
    qel_color low = qel_color_mix(qel_chart_empty_color(ctx), base, dark ? 0.28f : 0.2f);
    qel_color high = dark ? qel_color_mix(base, 0xFFFFFFFFu, 0.12f) : qel_color_mix(base, 0xFF000000u, 0.22f);
    if (t < 0.6f) return qel_color_mix(low, base, t / 0.6f);
    return qel_color_mix(base, high, (t - 0.6f) / 0.4f);
}

qel_color qel_chart_item_color(qel_context* ctx, const qel_chart_item* items, const int32_t* order, int32_t i)
{
    if (has_own_color(items[i].color)) return qel_color_resolve(ctx, items[i].color);
    float largest = items[order[0]].value;
    float t = largest > 0 ? items[i].value / largest * 0.88f + 0.12f : 0.12f;
    return qel_chart_color_ramp(ctx, qel_chart_series_color(ctx, 0), t);
}

// --- Legend ---

float qel_chart_legend(qel_context* ctx, float x, float y, float width, const char* const* labels,
                       const qel_color* colors, int32_t count, int32_t highlighted, bool draw)
{
    if (count < 1) return 0;
    float size = qel_chart_xs_size(ctx), line = qel_line_height(ctx, QEL_FONT_BODY, size);
    float cx = x, cy = y;
    for (int32_t i = 0; i < count; i++) {
        const char* text = labels && labels[i] ? labels[i] : "";
        float w = qel_text_width(ctx, QEL_FONT_BODY, size, text, -1, 0);
        if (cx > x && cx + w + 14 > x + width) {
            cy += 22;
            cx = x;
        }
        if (draw) {
            float f = highlighted < 0 || highlighted == i ? 1.0f : 0.45f;
            const float radii[4] = {SWATCH_RADIUS, SWATCH_RADIUS, SWATCH_RADIUS, SWATCH_RADIUS};
            qel_rect swatch = {cx, cy + 5, SWATCH, SWATCH};
            qel_draw_rect(ctx, &swatch, radii, qel_color_alpha(qel_color_resolve(ctx, colors[i]), f));
            qel_color ink = qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), f);
            qel_draw_text(ctx, QEL_FONT_BODY, size, cx + 13, cy + (18 - line) / 2, ink, text, -1, 0);
        }
        cx += w + 30;
    }
    return cy - y + 18;
}

// --- Tooltip ---

void qel_chart_tip_add(qel_chart_tip* tip, const char* label, const char* value, qel_color color)
{
    if (tip->row_count < 0 || tip->row_count >= QEL_CHART_TIP_ROWS) return;
    tip->row_labels[tip->row_count] = label;
    tip->row_values[tip->row_count] = value;
    tip->row_colors[tip->row_count] = color;
    tip->row_count++;
}

static int32_t tip_rows(const qel_chart_tip* tip)
{
    return tip->row_count < 0 ? 0 : tip->row_count > QEL_CHART_TIP_ROWS ? QEL_CHART_TIP_ROWS : tip->row_count;
}

static const char* or_empty(const char* text)
{
    return text ? text : "";
}

void qel_chart_tip_size(qel_context* ctx, const qel_chart_tip* tip, float* w, float* h)
{
    float s = ctx->theme.current.text_small;
    int32_t rows = tip_rows(tip);
    float content = qel_text_width(ctx, QEL_FONT_MEDIUM, s, or_empty(tip->title), -1, 0);
    for (int32_t i = 0; i < rows; i++) {
        float swatch = (tip->row_colors[i] >> 24) ? 14.0f : 0.0f;
        float row = swatch + qel_text_width(ctx, QEL_FONT_BODY, s, or_empty(tip->row_labels[i]), -1, 0) + 18 +
                    qel_text_width(ctx, QEL_FONT_MEDIUM, s, or_empty(tip->row_values[i]), -1, 1);
        content = std::fmax(content, row);
    }
    *w = content + 20;
    *h = (float)(rows + 1) * TIP_ROW + 20 + (rows > 0 ? 2.0f : 0.0f);
}

void qel_chart_tip_box(qel_context* ctx, const qel_chart_tip* tip, float x, float y, float w, float h)
{
    float s = ctx->theme.current.text_small, line = qel_line_height(ctx, QEL_FONT_MEDIUM, s);
    const float radii[4] = {TIP_RADIUS, TIP_RADIUS, TIP_RADIUS, TIP_RADIUS};
    const float swatch_radii[4] = {SWATCH_RADIUS, SWATCH_RADIUS, SWATCH_RADIUS, SWATCH_RADIUS};
    qel_rect box = {x, y, w, h};
    qel_draw_push_transform(ctx, 1, 0, 0, tip->alpha, 0, 0);
    qel_draw_elevation(ctx, &box, radii, 2, 1);
    qel_color border = qel_dark_mode(ctx) ? qel_theme_color(ctx, QEL_COLOR_BORDER) : LIGHT_TIP_BORDER;
    qel_draw_rect_bordered(ctx, &box, radii, qel_theme_color(ctx, QEL_COLOR_ELEVATED), border, 1);
    qel_color text = qel_theme_color(ctx, QEL_COLOR_TEXT);
    qel_draw_text(ctx, QEL_FONT_MEDIUM, s, x + 10, y + 10 + (TIP_ROW - line) / 2, text, or_empty(tip->title), -1, 0);
    for (int32_t i = 0; i < tip_rows(tip); i++) {
        float row_y = y + 30 + TIP_ROW * (float)i, label_x = x + 10;
        if (tip->row_colors[i] >> 24) {
            qel_rect swatch = {x + 10, row_y + 5, SWATCH, SWATCH};
            qel_draw_rect(ctx, &swatch, swatch_radii, tip->row_colors[i]);
            label_x += 14;
        }
        float text_y = row_y + (TIP_ROW - line) / 2;
        qel_draw_text(ctx, QEL_FONT_BODY, s, label_x, text_y, qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY),
                      or_empty(tip->row_labels[i]), -1, 0);
        const char* value = or_empty(tip->row_values[i]);
        float value_w = qel_text_width(ctx, QEL_FONT_MEDIUM, s, value, -1, 1);
        qel_draw_text(ctx, QEL_FONT_MEDIUM, s, x + w - 10 - value_w, text_y, text, value, -1, 1);
    }
    qel_draw_pop_transform(ctx);
}

void qel_chart_tooltip(qel_context* ctx, const qel_chart_tip* tip)
{
    if (!tip || !(tip->alpha > 0)) return;
    float w, h;
    qel_chart_tip_size(ctx, tip, &w, &h);
    float x = tip->anchor_x + 14, y = tip->anchor_y - h - 10;
    if (x + w > tip->bounds_x + tip->bounds_w + 20) x = tip->anchor_x - 14 - w;
    if (y < tip->bounds_y - 30) y = tip->anchor_y + 18;
    qel_chart_tip_box(ctx, tip, x, y, w, h);
}

// --- Layouts of charts with axes ---

qel_chart_plot qel_chart_plot_rect(const qel_rect* r, float reserve_right, double slots, bool band)
{
    qel_chart_plot p = {};
    float top = r->y + 6;
    float w = std::fmax(10.0f, r->w - reserve_right), h = std::fmax(10.0f, r->h - 28);
    p.full = {r->x, top, w, h};
    if (band) {
        float b = std::fmax(24.0f, 0.18f * h);
        p.plot = {r->x, top, w, h - 8 - b};
        p.band = {r->x, top + h - b, w, b};
    } else {
        p.plot = p.full;
        p.band = {r->x, top + h, w, 0};
    }
    p.slot_width = slots > 0 ? (float)(w / slots) : w;
    return p;
}

// One axis's extent over the points, padded by share of its span; 0..1 without points.
struct axis_extent {
    float min, max, padding;
};

static axis_extent padded_extent(float min, float max, float share)
{
    if (!(min <= max)) return {0, 1, share};
    return {min, max, (max - min) * share};
}

// The nice range, grown by the padding where the data would touch a bound other than 0.
static void padded_range(axis_extent e, int ticks, float* lower, float* upper, float* step)
{
    qel_chart_nice_range(e.min, e.max, ticks, lower, upper, step);
    bool grown = false;
    if (*upper - e.max < e.padding) e.max += e.padding, grown = true;
    if (e.min - *lower < e.padding && *lower != 0) e.min -= e.padding, grown = true;
    if (grown) qel_chart_nice_range(e.min, e.max, ticks, lower, upper, step);
}

qel_chart_axes qel_chart_xy_axes(qel_context* ctx, const qel_rect* r, const qel_xy_series* series, int32_t count,
                                 const qel_bubble_options* options, float top_extra)
{
    const qel_bubble_options none = {};
    const qel_bubble_options* o = options ? options : &none;
    float x_min = INFINITY, x_max = -INFINITY, y_min = INFINITY, y_max = -INFINITY, largest = 0;
    for (int32_t s = 0; series && s < count; s++) {
        const qel_xy_series& sr = series[s];
        for (int32_t i = 0; sr.xy && i < sr.count; i++) {
            float x = sr.xy[2 * i], y = sr.xy[2 * i + 1];
            if (!std::isfinite(x) || !std::isfinite(y)) continue;
            x_min = std::fmin(x_min, x), x_max = std::fmax(x_max, x);
            y_min = std::fmin(y_min, y), y_max = std::fmax(y_max, y);
            if (sr.sizes && std::isfinite(sr.sizes[i])) largest = std::fmax(largest, sr.sizes[i]);
        }
    }
    qel_chart_axes a = {};
    a.largest_size = largest;
    padded_range(padded_extent(x_min, x_max, 0.015f), 5, &a.x_lower, &a.x_upper, &a.x_step);
    padded_range(padded_extent(y_min, y_max, 0.03f), 4, &a.y_lower, &a.y_upper, &a.y_step);
    float size = qel_chart_xs_size(ctx), label_w = 0;
    int32_t ticks = qel_chart_tick_count(a.y_lower, a.y_upper, a.y_step);
    for (int32_t i = 0; i < ticks; i++) {
        const char* text = qel_chart_format_value(ctx, o->y_format, a.y_lower + (float)i * a.y_step);
        label_w = std::fmax(label_w, qel_text_width(ctx, QEL_FONT_BODY, size, text, -1, 0));
    }
    float top = top_extra + (o->y_title ? 22.0f : 6.0f), bottom = o->x_title ? 46.0f : 26.0f;
    a.plot = {r->x + label_w + 10, r->y + top, std::fmax(0.0f, r->w - label_w - 14),
              std::fmax(0.0f, r->h - top - bottom)};
    return a;
}
