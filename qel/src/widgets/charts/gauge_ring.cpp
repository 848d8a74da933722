// The gauge ring: its eased value under the label's id and the drawing of track, value arc, caps
// and texts. The spring is the core's.
#include "qel/gauge_ring.h"

#include <cmath>

#include "widgets/charts/chart_parts.h"
#include "core/core.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/id.h"
#include "qel/text.h"
#include "qel/text_units.h"
#include "qel/theme.h"

static const float PI = 3.14159265f;
static const float START = 0.75f * PI, SWEEP = 1.5f * PI;

void qel_gauge_ring(qel_context* ctx, const char* label, float value, float size)
{
    uint32_t id = qel_id(ctx, label ? label : "gauge");
    float target = value > 0 ? std::fmin(value, 1.0f) : 0.0f;  // NaN gives 0
    auto* p = (qel_gauge_ring_payload*)qel_arena_alloc(ctx, sizeof(qel_gauge_ring_payload));
    p->value = qel_anim_value(ctx, id, target);
    p->caption = label ? qel_arena_strdup(ctx, label, qel_label_visible_len(label)) : nullptr;
    float side = size > 0 ? size : 140;
    int32_t index = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, side}, {QEL_SIZE_FIXED, side});
    qel_node* n = qel_node_at(ctx, index);
    n->align_self = QEL_ALIGN_OWN_SIZE;
    n->draw = qel_gauge_ring_draw;
    n->draw_user = p;
}

void qel_gauge_ring_draw(qel_context* ctx, const qel_node* node, void* user)
{
    auto* p = (const qel_gauge_ring_payload*)user;
    qel_rect rect = node->rect;
    float d = std::fmin(rect.w, rect.h), stroke = 0.09f * d, r = d / 2 - stroke;
    if (!(r > 0)) return;
    qel_vec2 c = {rect.x + rect.w / 2, rect.y + rect.h / 2};
    qel_draw_arc(ctx, c, r, START, START + SWEEP, stroke, qel_color_token(QEL_COLOR_TRACK));
    float v = p->value > 0 ? std::fmin(p->value, 1.0f) : 0.0f;
    qel_color color = qel_color_token(v > 0.9f ? QEL_COLOR_DANGER : v > 0.75f ? QEL_COLOR_WARNING : QEL_COLOR_PRIMARY);
    if (v <= 0.001f) {
        qel_draw_circle(ctx, qel_chart_polar(c, r, START), stroke / 2, qel_color_token(QEL_COLOR_TRACK));
    } else {
        float end = START + v * SWEEP;
        qel_draw_arc(ctx, c, r, START, end, stroke, color);
        qel_draw_circle(ctx, qel_chart_polar(c, r, START), stroke / 2, color);
        qel_draw_circle(ctx, qel_chart_polar(c, r, end), stroke / 2, color);
    }
    const char* percent = qel_arena_sprintf(ctx, "%.0f%%", (double)v * 100);
    float size = 0.2f * d, line = qel_line_height(ctx, QEL_FONT_HEADING, size);
    float w = qel_text_width(ctx, QEL_FONT_HEADING, size, percent, -1, 1);
    qel_draw_text(ctx, QEL_FONT_HEADING, size, c.x - w / 2, c.y - 0.55f * line, qel_color_token(QEL_COLOR_TEXT),
                  percent, -1, 1);
    if (!p->caption) return;
    float small = ctx->theme.current.text_small;
    float cw = qel_text_width(ctx, QEL_FONT_BODY, small, p->caption, -1, 0);
    qel_draw_text(ctx, QEL_FONT_BODY, small, c.x - cw / 2, c.y + 0.45f * line,
                  qel_color_token(QEL_COLOR_TEXT_SECONDARY), p->caption, -1, 0);
}
