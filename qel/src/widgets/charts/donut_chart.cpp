// The donut chart: the entry's hit test by angle and distance, the ring size and arrangement
// from last frame's width, the legend of nodes, and the ring's drawing with its centre texts.
#include "qel/donut_chart.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "widgets/charts/chart_parts.h"
#include "core/core.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/chart_frame.h"
#include "qel/chart_values.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/theme.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

static const double TAU = 6.283185307179586;
static const float PI = 3.14159265f;
static const uint32_t RING_ID = 0xD0;
static const float DEFAULT_SIZE = 180, INTRO_PERIOD = 1.0f, HOVER_SECONDS = 0.14f;

int32_t qel_donut_slice_at(const float* values, int32_t count, double total, float angle)
{
    if (!(total > 0)) return -1;
    double end = 0;
    for (int32_t i = 0; i < count; i++) {
        end += TAU * std::fmax(values[i], 0.0f) / total;
        if (end >= angle) return i;
    }
    return -1;
}

static int32_t hit_test(const qel_donut_payload* p, const qel_rect& r, qel_vec2 m)
{
    float dx = m.x - (r.x + r.w / 2), dy = m.y - (r.y + r.h / 2);
    float d = std::sqrt(dx * dx + dy * dy), s = std::fmin(r.w, r.h);
    if (!(d > 0.25f * s && d < 0.5f * s)) return -1;
    float angle = std::atan2(dy, dx) + PI / 2;
    if (angle < 0) angle += (float)TAU;
    return qel_donut_slice_at(p->values, p->count, p->total, angle);
}

static float share_of(const qel_donut_payload* p, int32_t i)
{
    return p->total > 0 ? (float)(p->values[i] / p->total * 100) : 0.0f;
}

static const char* share_text(qel_context* ctx, const qel_donut_payload* p, int32_t i)
{
    return qel_arena_sprintf(ctx, "%.0f%%", (double)share_of(p, i));
}

static qel_donut_payload* make_payload(qel_context* ctx, const float* values, const char* const* labels,
                                       int32_t count, const char* format)
{
    auto* p = (qel_donut_payload*)qel_arena_alloc(ctx, sizeof(qel_donut_payload));
    p->values = qel_chart_copy_values(ctx, values, count);
    p->count = count;
    for (int32_t i = 0; i < count; i++) {
        p->values[i] = std::fmax(p->values[i], 0.0f);
        p->total += p->values[i];
    }
    p->format = qel_arena_strdup(ctx, format, -1);
    if (labels) {
        p->labels = (const char**)qel_arena_alloc(ctx, sizeof(char*) * (size_t)std::max(count, 1));
        for (int32_t i = 0; i < count; i++) p->labels[i] = qel_arena_strdup(ctx, labels[i] ? labels[i] : "", -1);
    }
    return p;
}

// The legend's width: the widest name and share, and room for swatch and gaps.
static float legend_width(qel_context* ctx, const qel_donut_payload* p)
{
    if (p->count < 1) return 50;
    float size = qel_text_body_scaled(ctx), names = 0, shares = 0;
    for (int32_t i = 0; i < p->count; i++) {
        names = std::fmax(names, qel_text_width(ctx, QEL_FONT_BODY, size, p->labels[i], -1, 0));
        shares = std::fmax(shares, qel_text_width(ctx, QEL_FONT_MEDIUM, size, share_text(ctx, p, i), -1, 1));
    }
    return names + shares + 50;
}

static int32_t legend_text(qel_context* ctx, const char* text, uint32_t font, qel_theme_slot color, float size)
{
    return qel_text_leaf(ctx, text, -1, font, size, qel_color_token(color), false, 1.3f);
}

static void legend(qel_context* ctx, const qel_donut_payload* p)
{
    float size = qel_text_body_scaled(ctx);
    qel_style column = {};
    column.direction = QEL_DIR_COLUMN;
    column.gap = 10;
    qel_container_begin(ctx, &column);
    for (int32_t i = 0; i < p->count; i++) {
        qel_style row = {};
        row.direction = QEL_DIR_ROW;
        row.gap = 8;
        row.width = {QEL_SIZE_GROW, 1};
        qel_container_begin(ctx, &row);
        if (p->hovered >= 0 && i != p->hovered)
            qel_node_at(ctx, qel_node_parent(ctx))->opacity = 1 - 0.4f * p->hover_alpha;
        int32_t swatch = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, 8}, {QEL_SIZE_FIXED, 8});
        qel_node_at(ctx, swatch)->fill = qel_chart_indexed_color(ctx, 0, i);
        qel_node_round(qel_node_at(ctx, swatch), 2.5f);
        int32_t name = legend_text(ctx, p->labels[i], QEL_FONT_BODY, QEL_COLOR_TEXT_SECONDARY, size);
        qel_node_at(ctx, name)->flags |= QEL_NODE_NO_SHRINK;
        int32_t spacer = qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
        qel_node_at(ctx, spacer)->min_w = 16;
        int32_t share = legend_text(ctx, share_text(ctx, p, i), QEL_FONT_MEDIUM, QEL_COLOR_TEXT, size);
        qel_node_at(ctx, share)->flags |= QEL_NODE_TABULAR;
        qel_container_end(ctx);
    }
    qel_container_end(ctx);
}

void qel_donut_chart(qel_context* ctx, const char* label, const float* values, const char* const* slice_labels,
                     int32_t count, const qel_series_chart_options* options)
{
    const qel_series_chart_options none = {};
    const qel_series_chart_options* o = options ? options : &none;
    if (!values || count < 0) count = 0;
    uint32_t id = qel_id(ctx, label), ring_id = id ^ RING_ID;
    auto* st = qel_state_record_of<qel_donut_state>(ctx, id, "qel_donut_state");
    qel_interaction it = qel_interact(ctx, ring_id, 0);
    qel_rect ring_rect = qel_id_rect(ctx, ring_id);
    qel_donut_payload* p = make_payload(ctx, values, slice_labels, count, o->format);
    int32_t hit = it.hovered && ring_rect.w > 0 ? hit_test(p, ring_rect, qel_mouse_pos(ctx)) : -1;
    qel_anim_spring(ctx, st->intro, 1.0f, INTRO_PERIOD, 0);
    qel_anim_exp(ctx, &st->hover_alpha, hit >= 0 ? 1.0f : 0.0f, HOVER_SECONDS);
    if (hit >= 0) st->hovered = hit;
    p->intro = st->intro[0];
    p->hover_alpha = st->hover_alpha;
    p->hovered = st->hover_alpha > 0.01f && st->hovered >= 0 && st->hovered < count ? st->hovered : -1;

    bool with_legend = p->labels && o->hide_legend != 1;
    float option_size = o->height > 0 ? o->height : DEFAULT_SIZE, size = option_size;
    float outer_w = qel_id_rect(ctx, id).w, lw = with_legend ? legend_width(ctx, p) : 0;
    bool beside = true;
    if (!with_legend) {
        if (outer_w > 0 && outer_w < 120) size = std::fmax(80.0f, outer_w);
        else if (outer_w >= 120) size = std::fmin(size, outer_w);
    } else if (outer_w > 0 && outer_w - 24 - lw >= 120) {
        size = std::fmin(size, outer_w - 24 - lw);
    } else if (outer_w > 0) {
        size = std::fmin(size, std::fmax(120.0f, outer_w));
        beside = false;
    }
    int32_t outer = qel_node_open(ctx, id);
    qel_style style = {};
    style.direction = beside ? QEL_DIR_ROW : QEL_DIR_COLUMN;
    style.gap = beside ? 24 : 16;
    style.align = beside ? QEL_ALIGN_CENTER : QEL_ALIGN_START;
    qel_node_apply_style(ctx, outer, &style);
    qel_node* n = qel_node_at(ctx, outer);
    qel_node_set_width(n, o->width, with_legend ? option_size + 24 + lw : option_size);
    if (o->width.kind == QEL_SIZE_FIT) {
        n->flags |= QEL_NODE_MIN_FLOOR;
        n->min_w = with_legend ? std::fmax(120.0f, lw) : 80.0f;
    }
    qel_node_push(ctx, outer);
    int32_t ring = qel_node_sized(ctx, ring_id, {QEL_SIZE_FIXED, size}, {QEL_SIZE_FIXED, size});
    qel_node_mark_interactive(ctx, ring, 0);
    qel_node_at(ctx, ring)->draw = qel_donut_chart_draw;
    qel_node_at(ctx, ring)->draw_user = p;
    if (with_legend) legend(ctx, p);
    qel_node_pop(ctx);
    qel_set_last_item(ctx, ring_id);
}

// The slice named in the middle: the hovered one, or for percentage formats the largest.
static int32_t named_slice(const qel_donut_payload* p)
{
    if (p->hovered >= 0 && p->hover_alpha > 0.5f) return p->hovered;
    if (!p->format || !strstr(p->format, "%%") || p->count < 1) return -1;
    int32_t largest = 0;
    for (int32_t i = 1; i < p->count; i++)
        if (p->values[i] > p->values[largest]) largest = i;
    return largest;
}

static void centre_texts(qel_context* ctx, const qel_donut_payload* p, qel_vec2 c, float s)
{
    int32_t slice = named_slice(p);
    const char* big = qel_chart_format_value(ctx, p->format, slice >= 0 ? p->values[slice] : (float)p->total);
    const char* caption = "Total";
    if (slice >= 0) caption = p->labels && p->labels[slice][0] ? p->labels[slice] : share_text(ctx, p, slice);
    float size = std::fmax(14.0f, 0.16f * s), line = qel_line_height(ctx, QEL_FONT_HEADING, size);
    float w = qel_text_width(ctx, QEL_FONT_HEADING, size, big, -1, 1);
    qel_draw_text(ctx, QEL_FONT_HEADING, size, c.x - w / 2, c.y - 0.62f * line, qel_color_token(QEL_COLOR_TEXT), big,
                  -1, 1);
    float small = ctx->theme.current.text_small, cw = qel_text_width(ctx, QEL_FONT_BODY, small, caption, -1, 1);
    qel_draw_text(ctx, QEL_FONT_BODY, small, c.x - cw / 2, c.y + 0.42f * line,
                  qel_color_token(QEL_COLOR_TEXT_SECONDARY), caption, -1, 1);
}

void qel_donut_chart_draw(qel_context* ctx, const qel_node* node, void* user)
{
    auto* p = (const qel_donut_payload*)user;
    qel_rect r = node->rect;
    float s = std::fmin(r.w, r.h), rw = 0.13f * s, radius = s / 2 - rw / 2 - 4;
    if (!(radius > 0)) return;
    qel_vec2 c = {r.x + r.w / 2, r.y + r.h / 2};
    float sweep = std::fmin(std::fmax(p->intro, 0.0f), 1.0f) * (float)TAU;
    if (sweep < TAU - 0.001)
        qel_draw_arc(ctx, c, radius, sweep - PI / 2, 1.5f * PI, rw,
                     qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_TRACK), 0.5f));
    double total = p->total > 0 ? p->total : 1;
    float gap = 2.2f / radius, start = -PI / 2;
    for (int32_t i = 0; i < p->count; i++) {
        float a = (float)(p->values[i] / total * sweep);
        float from = start + gap / 2, to = start + a - gap / 2;
        start += a;
        if (!(a > 0) || !(to > from)) continue;
        bool hovered = i == p->hovered;
        float fade = p->hovered >= 0 && !hovered ? 1 - 0.45f * p->hover_alpha : 1.0f;
        qel_draw_arc(ctx, c, radius, from, to, hovered ? rw + 5 * p->hover_alpha : rw,
                     qel_color_alpha(qel_chart_indexed_color(ctx, 0, i), fade));
    }
    centre_texts(ctx, p, c, s);
}
