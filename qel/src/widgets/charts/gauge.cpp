// The gauge: the value's fraction and spring, the sweep and height of the dial, and the drawing
// of track, zones, value arc, ticks, target marker, texts and needle.
#include "qel/gauge.h"

#include <algorithm>
#include <cmath>

#include "widgets/charts/chart_parts.h"
#include "core/core.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/chart_frame.h"
#include "qel/chart_values.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/id.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/theme.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

static const float PI = 3.14159265f, TAU = 2 * PI;

float qel_gauge_sweep(float degrees)
{
    return (degrees > 0 ? std::clamp(degrees, 90.0f, 300.0f) : 240.0f) * PI / 180;
}

float qel_gauge_start(float sweep)
{
    return PI / 2 + (TAU - sweep) / 2;
}

static const char* copy_text(qel_context* ctx, const char* text)
{
    return text && text[0] ? qel_arena_strdup(ctx, text, -1) : nullptr;
}

static qel_color value_color(qel_context* ctx, const qel_gauge_payload* p, float value)
{
    if (p->zone_count < 1) return qel_chart_series_color(ctx, 0);
    int32_t z = 0;
    while (z < p->zone_count - 1 && !(p->zones[z].value >= value)) z++;
    return qel_color_semantic(ctx, p->zones[z].kind);
}

// The room the dial needs below its centre: the sweep's ends, and the texts under the needle or
// in the arc.
static float room_below(const qel_gauge_payload* p)
{
    float ends = std::sin(p->start) * p->radius + 6;
    if (p->needle) return std::fmax(ends, 0.42f * p->radius + 22 + (p->caption ? 22 : 0));
    return std::fmax(ends, p->caption ? 36.0f : 16.0f);
}

void qel_gauge(qel_context* ctx, const char* label, float value, float min, float max,
               const qel_gauge_options* options)
{
    const qel_gauge_options none = {};
    const qel_gauge_options* o = options ? options : &none;
    if (!(max > min)) max = min + 1;
    uint32_t id = qel_id(ctx, label ? label : "gauge");
    auto* p = (qel_gauge_payload*)qel_arena_alloc(ctx, sizeof(qel_gauge_payload));
    float target = std::clamp((value - min) / (max - min), 0.0f, 1.0f);
    p->target = std::isnan(target) ? 0 : target;
    auto* st = qel_state_record_of<qel_gauge_state>(ctx, id, "qel_gauge_state");
    st->initialised = 1;
    p->fraction = qel_anim_spring(ctx, &st->fraction, p->target, 0.55f, 0.16f);
    p->min = min;
    p->max = max;
    float size = o->size > 0 ? o->size : 200;
    p->radius = size / 2 - 4;
    p->sweep = qel_gauge_sweep(o->sweep);
    p->start = qel_gauge_start(p->sweep);
    p->ticks = o->ticks < 0 ? 0 : o->ticks == 0 ? 5 : std::min(o->ticks, 20);
    p->zone_count = o->zones ? std::clamp(o->zone_count, 0, (int32_t)QEL_GAUGE_ZONES) : 0;
    p->zones = (qel_gauge_zone*)qel_arena_alloc(ctx, sizeof(qel_gauge_zone) * (size_t)std::max(p->zone_count, 1));
    std::copy(o->zones, o->zones + p->zone_count, p->zones);
    p->needle = !o->arc_style;
    p->show_target = o->show_target;
    p->value_color = value_color(ctx, p, value);
    p->format = copy_text(ctx, o->format);
    p->value_text = qel_chart_format_value(ctx, p->format, value);
    p->unit = copy_text(ctx, o->unit);
    p->caption = copy_text(ctx, o->caption);
    float height = std::ceil(room_below(p) + p->radius + 4);
    int32_t index = qel_node_sized(ctx, id, {QEL_SIZE_FIXED, size}, {QEL_SIZE_FIXED, height});
    qel_node* n = qel_node_at(ctx, index);
    n->align_self = QEL_ALIGN_OWN_SIZE;
    n->draw = qel_gauge_draw;
    n->draw_user = p;
}

struct dial {
    qel_vec2 centre;
    float r, thickness, arc_r;
    qel_color track;
};

static float angle_of(const qel_gauge_payload* p, float f)
{
    return p->start + p->sweep * f;
}

static void draw_track(qel_context* ctx, const qel_gauge_payload* p, const dial& d)
{
    float f = 0;
    for (int32_t i = 0; i < p->zone_count; i++) {
        float z = std::clamp((p->zones[i].value - p->min) / (p->max - p->min), 0.0f, 1.0f);
        if (z > f) {
            qel_color c = qel_color_semantic(ctx, p->zones[i].kind);
            if (!p->needle) c = qel_color_mix(d.track, c, 0.35f);
            float seam = i < p->zone_count - 1 ? 0.01f : 0;
            qel_draw_arc(ctx, d.centre, d.arc_r, angle_of(p, f), angle_of(p, z) + seam, d.thickness, c);
        }
        f = std::fmax(f, z);
    }
    if (f < 1) qel_draw_arc(ctx, d.centre, d.arc_r, angle_of(p, f), p->start + p->sweep, d.thickness, d.track);
}

static void draw_value_arc(qel_context* ctx, const qel_gauge_payload* p, const dial& d)
{
    if (!(p->fraction > 0.001f)) return;
    float end = angle_of(p, std::fmin(p->fraction, 1.0f));
    qel_draw_arc(ctx, d.centre, d.arc_r, p->start, end, d.thickness, p->value_color);
    qel_draw_circle(ctx, qel_chart_polar(d.centre, d.arc_r, p->start), d.thickness / 2, p->value_color);
    qel_draw_circle(ctx, qel_chart_polar(d.centre, d.arc_r, end), d.thickness / 2, p->value_color);
}

static void draw_ticks(qel_context* ctx, const qel_gauge_payload* p, const dial& d)
{
    int32_t marks = 5 * p->ticks;
    float inner = d.r - d.thickness - 3, fs = qel_chart_xs_size(ctx);
    for (int32_t j = 0; j <= marks; j++) {
        float a = angle_of(p, (float)j / (float)marks);
        bool major = j % 5 == 0;
        qel_draw_line(ctx, qel_chart_polar(d.centre, inner, a), qel_chart_polar(d.centre, inner - (major ? 7 : 3.5f), a),
                      major ? 1.4f : 1, qel_theme_color(ctx, major ? QEL_COLOR_BORDER_STRONG : QEL_COLOR_BORDER));
        if (!major || d.r < 60) continue;
        const char* text = qel_chart_format_value(ctx, p->format, p->min + (p->max - p->min) * (float)j / (float)marks);
        qel_vec2 at = qel_chart_polar(d.centre, inner - 17, a);
        qel_draw_text_aligned(ctx, QEL_FONT_BODY, fs, at.x, at.y, 1, qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), text, 1);
    }
}

static void draw_target(qel_context* ctx, const qel_gauge_payload* p, const dial& d)
{
    float a = angle_of(p, p->target);
    qel_vec2 c = d.centre;
    qel_draw_line(ctx, qel_chart_polar(c, d.r - d.thickness - 3, a), qel_chart_polar(c, d.r + 3, a), 2.5f,
                  qel_theme_color(ctx, QEL_COLOR_SURFACE));
    qel_draw_line(ctx, qel_chart_polar(c, d.r - d.thickness - 2, a), qel_chart_polar(c, d.r + 2, a), 1.5f,
                  qel_theme_color(ctx, QEL_COLOR_TEXT));
}

static void draw_texts(qel_context* ctx, const qel_gauge_payload* p, const dial& d)
{
    float size = qel_scaled(ctx, d.r >= 70 ? 26 : 18);
    float small = qel_text_small_scaled(ctx), line = qel_line_height(ctx, QEL_FONT_HEADING, size);
    float y = p->needle ? d.centre.y + 0.42f * d.r : p->caption ? d.centre.y - 6 : d.centre.y;
    float vw = qel_text_width(ctx, QEL_FONT_HEADING, size, p->value_text, -1, 1);
    float uw = p->unit ? qel_text_width(ctx, QEL_FONT_MEDIUM, small, p->unit, -1, 0) + 3 : 0;
    float x = d.centre.x - (vw + uw) / 2;
    qel_draw_text_aligned(ctx, QEL_FONT_HEADING, size, x, y, 0, qel_theme_color(ctx, QEL_COLOR_TEXT), p->value_text, 1);
    float bottom = y + line / 2;
    if (p->unit) {
        float unit_line = qel_line_height(ctx, QEL_FONT_MEDIUM, small);
        qel_draw_text_aligned(ctx, QEL_FONT_MEDIUM, small, x + vw + 3, bottom - 0.08f * line - unit_line / 2, 0,
                              qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), p->unit, 0);
    }
    if (p->caption)
        qel_draw_text_aligned(ctx, QEL_FONT_BODY, small, d.centre.x, bottom + 10, 1,
                              qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), p->caption, 0);
}

static void draw_needle(qel_context* ctx, const qel_gauge_payload* p, const dial& d)
{
    float a = angle_of(p, std::clamp(p->fraction, 0.0f, 1.0f));
    qel_vec2 c = d.centre, tip = qel_chart_polar(c, d.r - d.thickness - 5, a), back = qel_chart_polar(c, -10, a);
    qel_vec2 side = {-std::sin(a) * 3.2f, std::cos(a) * 3.2f};
    const qel_vec2 needle[3] = {tip, {back.x + side.x, back.y + side.y}, {back.x - side.x, back.y - side.y}};
    qel_color text = qel_theme_color(ctx, QEL_COLOR_TEXT);
    qel_draw_convex_polygon(ctx, needle, 3, text);
    qel_draw_circle(ctx, c, 6.5f, text);
    qel_draw_circle(ctx, c, 2.5f, qel_theme_color(ctx, QEL_COLOR_SURFACE));
}

void qel_gauge_draw(qel_context* ctx, const qel_node* node, void* user)
{
    auto* p = (const qel_gauge_payload*)user;
    const qel_rect& r = node->rect;
    dial d = {};
    d.r = p->radius;
    d.centre = {r.x + r.w / 2, r.y + 4 + d.r};
    d.thickness = p->needle ? std::fmax(3.0f, 0.075f * d.r) : std::fmax(6.0f, 0.17f * d.r);
    d.arc_r = d.r - d.thickness / 2;
    d.track = qel_chart_empty_color(ctx);
    draw_track(ctx, p, d);
    if (!p->needle) draw_value_arc(ctx, p, d);
    if (p->ticks > 0) draw_ticks(ctx, p, d);
    if (p->show_target) draw_target(ctx, p, d);
    draw_texts(ctx, p, d);
    if (p->needle) draw_needle(ctx, p, d);
}
