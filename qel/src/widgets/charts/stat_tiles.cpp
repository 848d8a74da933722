// Sparklines and stat tiles: the sparkline node and its drawing, and the tile's card of text
// nodes with the change row and trend line. The card itself is the basic widgets'.
#include "qel/stat_tiles.h"

#include <cmath>

#include "widgets/charts/chart_parts.h"
#include "core/core.h"
#include "qel/arena.h"
#include "qel/cards_progress.h"
#include "qel/chart_frame.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/icons.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/widget_nodes.h"

static const char* const ARROW_UP = QEL_ICON_TRENDING_UP;
static const char* const ARROW_DOWN = QEL_ICON_TRENDING_DOWN;

// --- Sparkline ---

void qel_sparkline(qel_context* ctx, const float* values, int32_t count, qel_size width, float height,
                   qel_color color)
{
    int32_t n = values && count > 0 ? count : 0;
    qel_size w = width.kind != QEL_SIZE_FIT ? width : qel_size{QEL_SIZE_FIXED, 120};
    int32_t index = qel_node_sized(ctx, 0, w, {QEL_SIZE_FIXED, height > 0 ? height : 32});
    auto* p = (qel_sparkline_payload*)qel_arena_alloc(ctx, sizeof(qel_sparkline_payload));
    p->values = qel_chart_copy_values(ctx, values, n);
    p->count = n;
    p->color = qel_color_resolve(ctx, qel_color_arg(color, qel_color_token(QEL_COLOR_CHART1)));
    qel_node* node = qel_node_at(ctx, index);
    if (w.kind == QEL_SIZE_GROW) node->align_self = QEL_ALIGN_STRETCH;
    node->draw = qel_sparkline_draw;
    node->draw_user = p;
}

void qel_sparkline_draw(qel_context* ctx, const qel_node* node, void* user)
{
    auto* p = (const qel_sparkline_payload*)user;
    int32_t n = p->count;
    if (n < 2) return;
    double lo = p->values[0], hi = p->values[0];
    for (int32_t i = 1; i < n; i++) lo = std::fmin(lo, p->values[i]), hi = std::fmax(hi, p->values[i]);
    if (hi <= lo) hi = lo + 1;
    qel_rect r = node->rect;
    auto* pts = (qel_vec2*)qel_arena_alloc(ctx, sizeof(qel_vec2) * (size_t)n);
    for (int32_t i = 0; i < n; i++)
        pts[i] = {r.x + 2 + (float)i * (r.w - 4) / (float)(n - 1),
                  r.y + 3 + (float)((1 - (p->values[i] - lo) / (hi - lo)) * (r.h - 6))};
    qel_draw_polyline(ctx, pts, n, 1.75f, p->color, 0);
    qel_draw_circle(ctx, pts[n - 1], 3, p->color);
}

// --- Stat tile ---

static int32_t tile_text(qel_context* ctx, const char* text, uint32_t font, float size, qel_theme_slot color,
                         float line_height, bool tabular)
{
    int32_t index = qel_text_leaf(ctx, text, -1, font, size, qel_color_token(color), false, line_height);
    if (tabular) qel_node_at(ctx, index)->flags |= QEL_NODE_TABULAR;
    return index;
}

static void row_begin(qel_context* ctx, float gap, uint32_t align)
{
    qel_style s = {};
    s.direction = QEL_DIR_ROW;
    s.gap = gap;
    s.align = align;
    qel_container_begin(ctx, &s);
}

// The arrow and change text, green when the change is good.
static void change_row(qel_context* ctx, const qel_stat_tile_options* o, float delta)
{
    bool good = delta == 0 || (o->lower_is_better ? delta <= 0 : delta >= 0);
    qel_theme_slot color = good ? QEL_COLOR_SUCCESS : QEL_COLOR_DANGER;
    qel_style s = {};
    s.direction = QEL_DIR_ROW;
    s.gap = 3;
    s.padding_bottom = 4;
    qel_container_begin(ctx, &s);
    qel_icon_glyph(ctx, delta >= 0 ? ARROW_UP : ARROW_DOWN, 14, qel_theme_color(ctx, color));
    const char* text = o->delta_text ? o->delta_text : qel_arena_sprintf(ctx, "%+.1f%%", (double)delta);
    tile_text(ctx, text, QEL_FONT_MEDIUM, qel_text_small_scaled(ctx), color, 1.2f, true);
    qel_container_end(ctx);
}

void qel_stat_tile(qel_context* ctx, const char* caption, const char* value, const qel_stat_tile_options* options)
{
    const qel_stat_tile_options none = {};
    const qel_stat_tile_options* o = options ? options : &none;
    float delta = std::isfinite(o->delta) ? o->delta : 0.0f;
    qel_card_opts card = {};
    card.padding = 20;
    card.gap = 10;
    card.width = o->width.kind != QEL_SIZE_FIT ? o->width : qel_size{QEL_SIZE_GROW, 1};
    qel_card_begin(ctx, &card);
    row_begin(ctx, 8, QEL_ALIGN_AUTO);
    qel_icon_glyph(ctx, o->icon, 16, qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY));
    tile_text(ctx, caption ? caption : "", QEL_FONT_BODY, qel_text_body_scaled(ctx), QEL_COLOR_TEXT_SECONDARY, 1.3f,
              false);
    qel_container_end(ctx);
    row_begin(ctx, 10, QEL_ALIGN_END);
    tile_text(ctx, value ? value : "", QEL_FONT_HEADING, qel_scaled(ctx, 28), QEL_COLOR_TEXT, 1.1f, true);
    if (delta != 0 || o->delta_text) change_row(ctx, o, delta);
    qel_container_end(ctx);
    if (o->trend_values && o->trend_count > 1) {
        bool bad = o->lower_is_better ? delta > 0 : delta < 0;
        qel_gap(ctx, 2);
        qel_sparkline(ctx, o->trend_values, o->trend_count, {QEL_SIZE_GROW, 1}, 36,
                      qel_color_token(bad ? QEL_COLOR_DANGER : QEL_COLOR_CHART1));
    }
    qel_card_end(ctx);
}
