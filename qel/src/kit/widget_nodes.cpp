// Node helpers of the widgets: scaled sizes, the clamp, points in rectangles, the dark mode, the
// row radius, pushed nodes, the latest node of an id, measured text widths, text leaves, corners,
// the full focus ring, selectable and pill rows, centred boxes, panels and scroll strips. The tree
// itself is the layout module's, scrolling the scroll container's.
#include "kit/widget_nodes.h"

#include <cmath>

#include "core/core.h"
#include "qel/color.h"
#include "qel/scroll_container.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/text_units.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"

float qel_scaled(qel_context* ctx, float size)
{
    return size * ctx->theme.current.ui_scale;
}

float qel_text_body_scaled(qel_context* ctx)
{
    return qel_scaled(ctx, ctx->theme.current.text_body);
}

float qel_text_small_scaled(qel_context* ctx)
{
    return qel_scaled(ctx, ctx->theme.current.text_small);
}

float qel_control_text_size(qel_context* ctx, uint32_t size)
{
    if (size == 1) return qel_text_small_scaled(ctx);
    if (size == 2) return qel_scaled(ctx, ctx->theme.current.text_large - 1);
    return qel_text_body_scaled(ctx);
}

float qel_unit_clamp(float t)
{
    return fminf(fmaxf(t, 0.0f), 1.0f);
}

bool qel_rect_contains(qel_rect r, qel_vec2 p)
{
    return p.x >= r.x && p.x < r.x + r.w && p.y >= r.y && p.y < r.y + r.h;
}

bool qel_dark_mode(qel_context* ctx)
{
    return qel_theme_get_mode(ctx) == QEL_THEME_DARK;
}

float qel_row_radius(qel_context* ctx)
{
    return fmaxf(6.0f, ctx->theme.current.radius_medium - 6.0f);
}

int32_t qel_node_sized_pushed(qel_context* ctx, uint32_t id, qel_size width, qel_size height)
{
    int32_t index = qel_node_sized(ctx, id, width, height);
    qel_node_push(ctx, index);
    return index;
}

int32_t qel_node_latest_with_id(qel_context* ctx, uint32_t id)
{
    for (int32_t i = ctx->tree.count - 1; i >= 0; i--)
        if (ctx->tree.nodes[i].id == id) return i;
    return -1;
}

float qel_text_width_measured(qel_context* ctx, uint32_t font, float size, const char* text, int32_t length,
                              bool tabular)
{
    if (!text) return 0.0f;
    return ceilf(qel_text_width(ctx, (int32_t)font, size, text, length, tabular) * 4.0f) / 4.0f;
}

void qel_node_round(qel_node* node, float radius)
{
    for (float& r : node->radii) r = radius;
}

int32_t qel_text_leaf(qel_context* ctx, const char* text, int32_t length, uint32_t font, float size,
                      qel_color color, bool wrap, float line_height)
{
    int32_t index = qel_node_text(ctx, text, length, font, size, color, wrap);
    if (line_height > 0) qel_node_at(ctx, index)->line_height = line_height;
    return index;
}

int32_t qel_text_leaf_scaled(qel_context* ctx, const char* text, uint32_t font, float size, qel_color color,
                             float line_height)
{
    return qel_text_leaf(ctx, text, -1, font, qel_scaled(ctx, size), color, false, line_height);
}

int32_t qel_field_label_leaf(qel_context* ctx, const char* label)
{
    return qel_text_leaf(ctx, label, qel_label_visible_len(label), QEL_FONT_MEDIUM, qel_text_body_scaled(ctx),
                         qel_color_token(QEL_COLOR_TEXT), false, 1.35f);
}

void qel_node_focus_ring_full(qel_context* ctx, int32_t node, bool shown)
{
    qel_node* n = qel_node_at(ctx, node);
    if (!n || !shown) return;
    n->draw = qel_focus_ring_full_draw;
    n->flags |= QEL_NODE_DRAW_AFTER;
}

void qel_node_selectable_row(qel_context* ctx, int32_t node, uint32_t id, bool selected, float hover, bool ring)
{
    qel_node* n = qel_node_at(ctx, node);
    if (!n) return;
    qel_node_round(n, qel_row_radius(ctx));
    n->fill = selected ? qel_theme_color(ctx, QEL_COLOR_ACTIVE)
                       : qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_HOVER), hover);
    qel_node_clickable(ctx, node, id, false);
    qel_node_focus_ring_full(ctx, node, ring);
}

int32_t qel_node_pill_row(qel_context* ctx, uint32_t id, float height, float pad_x, float gap, float radius)
{
    int32_t index = qel_node_sized(ctx, id, {QEL_SIZE_FIT, 0}, {QEL_SIZE_FIXED, height});
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->align_self = QEL_ALIGN_OWN_SIZE;
    n->pad_left = n->pad_right = pad_x;
    n->gap = gap;
    qel_node_round(n, radius);
    return index;
}

int32_t qel_node_centred(qel_context* ctx, uint32_t id, qel_size width, qel_size height, uint32_t direction,
                         float radius)
{
    int32_t node = qel_node_sized(ctx, id, width, height);
    qel_node* n = qel_node_at(ctx, node);
    n->direction = (uint8_t)direction;
    n->align = QEL_ALIGN_CENTER;
    n->justify = QEL_JUSTIFY_CENTER;
    qel_node_round(n, radius);
    return node;
}

int32_t qel_scroll_strip_begin(qel_context* ctx, uint32_t id, const qel_style* style, qel_color fade)
{
    int32_t node = qel_scroll_begin(ctx, id, style, true);
    ((qel_scroll_state*)qel_state_get(ctx, id, sizeof(qel_scroll_state)))->fade_color = fade;
    qel_node_at(ctx, node)->flags &= ~(uint32_t)QEL_NODE_SCROLL_Y;
    return node;
}

void qel_node_focusable_panel(qel_context* ctx, int32_t node)
{
    qel_node* n = qel_node_at(ctx, node);
    n->fill = qel_theme_color(ctx, QEL_COLOR_SURFACE);
    n->border = qel_theme_color(ctx, QEL_COLOR_BORDER);
    n->border_width = 1;
    n->flags |= QEL_NODE_CLIP;
    qel_node_round(n, ctx->theme.current.radius_small);
    qel_node_mark_interactive(ctx, node, QEL_INTERACT_FOCUSABLE);
}
