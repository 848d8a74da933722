// The stat strip's items and dots, and the ticker: three copies of the strip on a floating row
// that scrolls by the measured width of one, and the fade over both edges.
#include "kit/state_records.h"
#include "qel/stat_strip.h"

#include <cmath>

#include "core/core.h"
#include "kit/widget_nodes.h"
#include "qel/arena.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/frame.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "widgets/editors/showcase_parts.h"

static const uint32_t MEASURED_COPY = 0x5E7;
static const float UNKNOWN_ROW_WIDTH = 6000, FADE_WIDTH = 48;

// --- Strip ---

static void stat_change(qel_context* ctx, const qel_stat_item* item, float delta)
{
    bool good = item->lower_is_better ? delta < 0 : delta > 0;
    qel_color color = qel_theme_color(ctx, good ? QEL_COLOR_SUCCESS : QEL_COLOR_DANGER);
    qel_icon_glyph(ctx, delta > 0 ? QEL_ICON_TRENDING_UP : QEL_ICON_TRENDING_DOWN, 12, color);
    qel_text_leaf(ctx, qel_arena_sprintf(ctx, "%+.1f%%", (double)delta), -1, QEL_FONT_BODY,
                  qel_scaled(ctx, ctx->theme.current.text_xs), color, false, 1.3f);
}

static void stat_item(qel_context* ctx, const qel_stat_item* item)
{
    qel_style s = {};
    s.gap = 8;
    s.padding_left = s.padding_right = 18;
    s.align = QEL_ALIGN_CENTER;
    qel_row_begin(ctx, &s);
    float size = qel_text_small_scaled(ctx);
    qel_text_leaf(ctx, item->label, -1, QEL_FONT_MEDIUM, size, qel_color_token(QEL_COLOR_TEXT_SECONDARY), false, 1.3f);
    if (item->value)
        qel_text_leaf(ctx, item->value, -1, QEL_FONT_MEDIUM, size, qel_color_token(QEL_COLOR_TEXT), false, 1.3f);
    // A change that is no number is not shown.
    if (item->delta != 0 && std::isfinite(item->delta)) stat_change(ctx, item, item->delta);
    qel_container_end(ctx);
    int32_t dot = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, 4}, {QEL_SIZE_FIXED, 4});
    qel_node* n = qel_node_at(ctx, dot);
    n->fill = qel_color_token(QEL_COLOR_BORDER_STRONG);
    qel_node_round(n, 2);
}

void qel_stat_strip(qel_context* ctx, uint32_t id, const qel_stat_item* items, int32_t count)
{
    int32_t row = qel_node_open(ctx, id);
    qel_node* n = qel_node_at(ctx, row);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    qel_node_push(ctx, row);
    for (int32_t i = 0; items && i < count; i++) stat_item(ctx, &items[i]);
    qel_node_pop(ctx);
}

// --- Ticker ---

struct ticker_state {
    float offset;
    float strip_width;  // of one copy; 0 until measured
};

void qel_ticker_fade_draw(qel_context* ctx, const qel_node* node, void* user)
{
    auto* p = (const qel_ticker_fade_payload*)user;
    qel_rect r = node->rect;
    float step = p->width / 16;
    const float none[4] = {0, 0, 0, 0};
    for (int k = 0; k < 16; k++) {
        float f = 1 - ((float)k + 0.5f) / 16;
        qel_color c = qel_color_alpha(qel_color_resolve(ctx, p->color), f * f);
        qel_rect left = {r.x + (float)k * step, r.y, step + 0.5f, r.h};
        qel_rect right = {r.x + r.w - (float)(k + 1) * step - 0.5f, r.y, step + 0.5f, r.h};
        qel_draw_rect(ctx, &left, none, c);
        qel_draw_rect(ctx, &right, none, c);
    }
}

// Scrolls on by this frame's travel, wrapped into one strip width however far it went.
static void ticker_advance(qel_context* ctx, ticker_state* s, float speed)
{
    if (!(s->strip_width > 0) || !qel_motion_on(ctx)) return;
    s->offset = std::fmod(s->offset + speed * ctx->clock.dt, s->strip_width);
    qel_request_redraw(ctx);
}

void qel_stat_ticker(qel_context* ctx, const char* label, const qel_stat_item* items, int32_t count,
                     const qel_stat_ticker_opts* options)
{
    const qel_stat_ticker_opts none = {};
    const qel_stat_ticker_opts* o = options ? options : &none;
    float speed = std::isfinite(o->speed) && o->speed > 0 ? o->speed : 40;
    float height = std::isfinite(o->height) && o->height > 0 ? o->height : 40;
    uint32_t id = qel_id(ctx, label);
    auto* s = qel_state_record_of<ticker_state>(ctx, id, "ticker_state");
    bool hovered = qel_interact(ctx, id, 0).hovered;
    float measured = qel_id_rect(ctx, id ^ MEASURED_COPY).w;
    if (measured > 0) s->strip_width = measured;
    if (!hovered) ticker_advance(ctx, s, speed);
    int32_t box = qel_node_sized(ctx, id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, height});
    qel_node* n = qel_node_at(ctx, box);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->flags |= QEL_NODE_CLIP;
    qel_node_mark_interactive(ctx, box, 0);
    qel_ticker_fade_payload fade = {qel_color_token(QEL_COLOR_BACKGROUND), FADE_WIDTH};
    qel_node_draw_with(ctx, box, qel_ticker_fade_draw, &fade, sizeof fade, true);
    qel_node_push(ctx, box);
    float width = s->strip_width > 0 ? s->strip_width * 3 + 16 : UNKNOWN_ROW_WIDTH;
    int32_t row = qel_node_floating(ctx, 0, -s->offset, 0, width, height);
    qel_node* r = qel_node_at(ctx, row);
    r->direction = QEL_DIR_ROW;
    r->align = QEL_ALIGN_CENTER;
    qel_node_push(ctx, row);
    qel_stat_strip(ctx, id ^ MEASURED_COPY, items, count);
    qel_stat_strip(ctx, 0, items, count);
    qel_stat_strip(ctx, 0, items, count);
    qel_node_pop(ctx);
    qel_node_pop(ctx);
    qel_set_last_item(ctx, id);
}
