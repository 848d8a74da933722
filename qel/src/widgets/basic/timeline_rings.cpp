// Timeline entries and progress rings: the rail, badge and content nodes of an entry, and the
// ring's node with its draw callback. Easing of the ring's value is the animation module's.
#include "qel/timeline_rings.h"

#include <cmath>

#include "core/core.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/text.h"
#include "qel/text_units.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/widget_nodes.h"

static const float PI = 3.14159265f;

// --- Timeline ---

static void timeline_badge(qel_context* ctx, const qel_timeline_opts* o, qel_color c)
{
    qel_style s = {};
    s.direction = QEL_DIR_STACK;
    s.width = {QEL_SIZE_FIXED, 30};
    s.height = {QEL_SIZE_FIXED, 30};
    s.radius = 14;
    s.align = QEL_ALIGN_CENTER;
    s.justify = QEL_JUSTIFY_CENTER;
    s.border_width = 1;
    if (o->kind) {
        s.fill = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_SURFACE), c, qel_dark_mode(ctx) ? 0.22f : 0.12f);
        s.border = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_BORDER), c, 0.25f);
    } else {
        s.fill = qel_color_token(QEL_COLOR_SUBTLE);
        s.border = qel_color_token(QEL_COLOR_BORDER);
    }
    qel_container_begin(ctx, &s);
    qel_icon_glyph(ctx, o->icon ? o->icon : QEL_ICON_DOT, 14, c);
    qel_container_end(ctx);
}

static void timeline_rail(qel_context* ctx, const qel_timeline_opts* o, qel_color c)
{
    qel_style s = {};
    s.width = {QEL_SIZE_FIXED, 30};
    s.align = QEL_ALIGN_CENTER;
    s.gap = 4;
    s.padding_bottom = o->last ? 0 : 4;
    qel_column_begin(ctx, &s);
    timeline_badge(ctx, o, c);
    if (!o->last) {
        int32_t line = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, 1}, {QEL_SIZE_GROW, 1});
        qel_node* n = qel_node_at(ctx, line);
        n->min_h = 12;
        n->align_self = QEL_ALIGN_CENTER;
        n->fill = qel_dark_mode(ctx) ? qel_color_mix(qel_theme_color(ctx, QEL_COLOR_BORDER),
                                                     qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG), 0.45f)
                                     : qel_color_token(QEL_COLOR_BORDER);
    }
    qel_container_end(ctx);
}

static void timeline_content(qel_context* ctx, const char* title, const qel_timeline_opts* o)
{
    qel_style s = {};
    s.width = {QEL_SIZE_GROW, 1};
    s.gap = 3;
    s.padding_top = 4;
    s.padding_bottom = o->last ? 0 : 18;
    qel_column_begin(ctx, &s);
    qel_style row = {};
    row.gap = 8;
    qel_row_begin(ctx, &row);
    int32_t head = qel_text_leaf(ctx, title, -1, QEL_FONT_MEDIUM, qel_text_body_scaled(ctx),
                                 qel_color_token(QEL_COLOR_TEXT), true, 1.4f);
    qel_node_at(ctx, head)->width = {QEL_SIZE_GROW, 1};
    if (o->time)
        qel_text_leaf(ctx, o->time, -1, QEL_FONT_BODY, qel_text_small_scaled(ctx),
                      qel_color_token(QEL_COLOR_TEXT_MUTED), false, 1.6f);
    qel_container_end(ctx);
    if (o->description)
        qel_text_leaf(ctx, o->description, -1, QEL_FONT_BODY, qel_text_body_scaled(ctx),
                      qel_color_token(QEL_COLOR_TEXT_SECONDARY), true, 0);
    qel_container_end(ctx);
}

void qel_timeline_entry(qel_context* ctx, const char* title, const qel_timeline_opts* options)
{
    const qel_timeline_opts none = {};
    const qel_timeline_opts* o = options ? options : &none;
    qel_color c = o->kind ? qel_color_semantic(ctx, o->kind) : qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY);
    qel_style s = {};
    s.align = QEL_ALIGN_STRETCH;
    s.gap = 14;
    qel_row_begin(ctx, &s);
    timeline_rail(ctx, o, c);
    timeline_content(ctx, title, o);
    qel_container_end(ctx);
}

// --- Progress rings ---

void qel_progress_ring(qel_context* ctx, const char* label, float value, float size)
{
    uint32_t id = qel_id(ctx, label ? label : "#ring");
    float target = qel_unit_clamp(value);  // NaN gives 0
    float side = size > 0 ? size : 96;
    int32_t visible = label ? qel_label_visible_len(label) : 0;
    qel_ring_record record = {qel_anim_value(ctx, id, target),
                              visible > 0 ? qel_arena_strdup(ctx, label, visible) : nullptr};
    int32_t index = qel_node_sized(ctx, id, {QEL_SIZE_FIXED, side}, {QEL_SIZE_FIXED, side});
    qel_node_at(ctx, index)->align_self = QEL_ALIGN_OWN_SIZE;
    qel_node_draw_with(ctx, index, qel_ring_draw, &record, sizeof record, false);
}

void qel_ring_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* r = (const qel_ring_record*)user;
    float s = fminf(node->rect.w, node->rect.h);
    qel_vec2 c = {node->rect.x + node->rect.w / 2, node->rect.y + node->rect.h / 2};
    float t = fmaxf(4.0f, 0.08f * s);
    float radius = s / 2 - t / 2 - 1;
    qel_draw_arc(ctx, c, radius, 0, 2 * PI, t, qel_theme_color(ctx, QEL_COLOR_TRACK));
    float v = qel_unit_clamp(r->value);
    if (v > 0.001f) {
        qel_color fill = qel_theme_color(ctx, QEL_COLOR_PRIMARY);
        float end = 2 * PI * v - PI / 2;
        qel_draw_arc(ctx, c, radius, -PI / 2, end, t, fill);
        qel_draw_circle(ctx, {c.x, c.y - radius}, t / 2, fill);
        qel_draw_circle(ctx, {c.x + radius * cosf(end), c.y + radius * sinf(end)}, t / 2, fill);
    }
    float size = 0.22f * s;
    float line = qel_line_height(ctx, QEL_FONT_HEADING, size);
    const char* percent = qel_arena_sprintf(ctx, "%.0f%%", 100 * v);
    float top = c.y - (r->label ? 0.62f : 0.5f) * line;
    qel_draw_text_aligned(ctx, QEL_FONT_HEADING, size, c.x, top + line / 2, 1, qel_theme_color(ctx, QEL_COLOR_TEXT),
                          percent, 0);
    if (!r->label) return;
    float label_size = fmaxf(10.0f, 0.09f * s);
    float label_top = c.y + 0.38f * line;
    qel_draw_text_aligned(ctx, QEL_FONT_BODY, label_size, c.x, label_top + qel_line_height(ctx, QEL_FONT_BODY, label_size) / 2,
                          1, qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), r->label, 0);
}
