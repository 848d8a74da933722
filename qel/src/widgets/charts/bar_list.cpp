// The bar list: the order, each row's springs under its label's hash, the hovered row, and the
// drawing of highlight, bar, label and value. Items and colours are the chart frame's.
#include "qel/bar_list.h"

#include <cmath>

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

static const float ROW_PITCH = 40, BAR_HEIGHT = 34;
static const uint32_t ROW_SEED = 0xB1;

static int32_t* list_order(qel_context* ctx, const qel_chart_item* items, int32_t count, bool keep)
{
    if (!keep && count > 1) return qel_chart_order_by_value(ctx, items, count);
    auto* order = (int32_t*)qel_arena_alloc(ctx, sizeof(int32_t) * (size_t)(count > 0 ? count : 1));
    for (int32_t i = 0; i < count; i++) order[i] = i;
    return order;
}

static qel_color bar_color(qel_context* ctx, const qel_bar_list_options* o, const qel_chart_item& item)
{
    return qel_chart_series_color(ctx, qel_color_arg(o->color, item.color));
}

// Advances the row of position k toward its place and length; true when it is to be drawn.
static bool advance_row(qel_context* ctx, qel_bar_list_row_state* st, int32_t k, int32_t shown, float fraction,
                        bool hovered)
{
    float target_y = (float)(k < shown ? k : shown) * ROW_PITCH;
    if (!st->set) {
        st->y[0] = target_y;
        st->set = 1;
    }
    qel_anim_spring(ctx, st->y, target_y, 0.4f, 0);
    qel_anim_spring(ctx, st->fraction, fraction, 0.6f, 0);
    qel_anim_exp(ctx, &st->hover, hovered ? 1.0f : 0.0f, 0.14f);
    return k < shown || std::fabs(st->y[0] - target_y) > 0.5f;
}

int32_t qel_bar_list(qel_context* ctx, const char* label, const qel_chart_item* items, int32_t count,
                     const qel_bar_list_options* options)
{
    const qel_bar_list_options none = {};
    const qel_bar_list_options* o = options ? options : &none;
    if (!items || count < 0) count = 0;
    uint32_t id = qel_id(ctx, label);
    qel_interaction it = qel_interact(ctx, id, 0);
    qel_rect r = qel_id_rect(ctx, id);
    qel_chart_item* copies = qel_chart_copy_items(ctx, items, (uint32_t)count);
    int32_t* order = list_order(ctx, copies, count, o->keep_order);
    int32_t shown = o->max_rows < 1 || o->max_rows > count ? count : o->max_rows;
    float largest = 0;
    for (int32_t i = 0; i < count; i++) largest = std::fmax(largest, copies[i].value);
    double row = it.hovered && r.w > 0 ? std::floor((qel_mouse_pos(ctx).y - r.y + 3) / ROW_PITCH) : -1;
    int32_t hovered = row >= 0 && row < shown ? (int32_t)row : -1;

    auto* p = (qel_bar_list_payload*)qel_arena_alloc(ctx, sizeof(qel_bar_list_payload));
    p->rows = (qel_bar_list_row*)qel_arena_alloc(ctx, sizeof(qel_bar_list_row) * (size_t)(count > 0 ? count : 1));
    float size = qel_text_small_scaled(ctx);
    for (int32_t k = 0; k < count; k++) {
        const qel_chart_item& item = copies[order[k]];
        const char* name = item.label ? item.label : "";
        auto* st = (qel_bar_list_row_state*)qel_state_get(ctx, qel_hash_str(name, id ^ ROW_SEED),
                                                          sizeof(qel_bar_list_row_state));
        if (!advance_row(ctx, st, k, shown, largest > 0 ? item.value / largest : 0.0f, k == hovered)) continue;
        qel_bar_list_row& out = p->rows[p->count++];
        out = {name, qel_chart_format_value(ctx, o->format, item.value), st->y[0],
               std::fmin(std::fmax(st->fraction[0], 0.0f), 1.05f), st->hover, bar_color(ctx, o, item)};
        p->widest_value = std::fmax(p->widest_value, qel_text_width(ctx, QEL_FONT_MEDIUM, size, out.value_text, -1, 1));
    }
    qel_size width = o->width.kind != QEL_SIZE_FIT ? o->width : qel_size{QEL_SIZE_GROW, 1};
    float height = shown > 0 ? (float)shown * ROW_PITCH - 6 : 0;
    int32_t node = qel_node_sized(ctx, id, width, {QEL_SIZE_FIXED, height});
    qel_node_at(ctx, node)->draw = qel_bar_list_draw;
    qel_node_at(ctx, node)->draw_user = p;
    qel_node_mark_interactive(ctx, node, 0);
    qel_set_last_item(ctx, id);
    if (hovered >= 0) qel_set_cursor(ctx, QEL_CURSOR_HAND);
    return it.clicked && hovered >= 0 ? order[hovered] : -1;
}

void qel_bar_list_draw(qel_context* ctx, const qel_node* node, void* user)
{
    auto* p = (const qel_bar_list_payload*)user;
    qel_rect r = node->rect;
    float space = std::fmax(0.0f, r.w - p->widest_value - 16), size = qel_text_small_scaled(ctx);
    float alpha = qel_dark_mode(ctx) ? 0.26f : 0.16f;
    const float highlight_radii[4] = {10, 10, 10, 10}, bar_radii[4] = {8, 8, 8, 8};
    qel_draw_push_clip(ctx, &r);
    for (int32_t i = 0; i < p->count; i++) {
        const qel_bar_list_row& row = p->rows[i];
        float ry = r.y + row.y;
        if (row.hover > 0.01f) {
            qel_rect highlight = {r.x - 6, ry - 2, r.w + 12, 38};
            qel_draw_rect(ctx, &highlight, highlight_radii,
                          qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_HOVER), row.hover));
        }
        qel_rect bar = {r.x, ry, std::fmax(4.0f, row.fraction * space), BAR_HEIGHT};
        qel_draw_rect(ctx, &bar, bar_radii, qel_color_alpha(row.color, alpha + 0.1f * row.hover));
        qel_rect label_clip = {r.x, ry, space, BAR_HEIGHT};
        qel_draw_push_clip(ctx, &label_clip);
        qel_draw_text_aligned(ctx, QEL_FONT_MEDIUM, size, r.x + 12, ry + 17, 0, qel_theme_color(ctx, QEL_COLOR_TEXT),
                              row.label, 0);
        qel_draw_pop_clip(ctx);
        qel_draw_text_aligned(ctx, QEL_FONT_MEDIUM, size, r.x + r.w, ry + 17, 2,
                              qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), row.value_text, 1);
    }
    qel_draw_pop_clip(ctx);
}
