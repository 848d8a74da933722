// The knob: the value mapping, keys and wheel it shares with the fader, its vertical drag, and
// the arc, face and pointer it draws.
#include "kit/state_records.h"
#include "qel/knob.h"

#include <algorithm>
#include <cmath>

#include "core/core.h"
#include "kit/widget_nodes.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/text_units.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "text/number_text.h"
#include "widgets/editors/knob_parts.h"

static const uint32_t KNOB_ITEM_KEY = 0x4b0b, KNOB_WHEEL_KEY = 0x4b0c;
static const float KNOB_PI = 3.14159265f;

static double unit_clamp_d(double t)
{
    return t > 0 ? std::min(t, 1.0) : 0.0;  // NaN gives 0
}

double qel_knob_norm(double value, double min, double max, bool logarithmic)
{
    if (!(max > min)) return 0;
    if (logarithmic && min > 0) return unit_clamp_d(std::log(std::max(value, min) / min) / std::log(max / min));
    return unit_clamp_d((value - min) / (max - min));
}

float qel_knob_denorm(double pos, double min, double max, double step, bool logarithmic)
{
    pos = unit_clamp_d(pos);
    double v = logarithmic && min > 0 && max > min ? min * std::pow(max / min, pos) : min + pos * (max - min);
    if (step > 0) v = min + std::round((v - min) / step) * step;
    return (float)std::clamp(v, min, max);
}

// Both presses are taken, whichever came.
static bool take_either(qel_context* ctx, int32_t a, int32_t b)
{
    bool first = qel_key_take(ctx, a), second = qel_key_take(ctx, b);
    return first || second;
}

double qel_knob_keys(qel_context* ctx, bool reset, bool focused, uint32_t wheel_id, double pos, double min,
                     double max, double step, double default_pos)
{
    double unit = step > 0 && max > min ? step / (max - min) : 0.01;
    bool shift = (qel_modifiers(ctx) & QEL_MOD_SHIFT) != 0;
    if (reset) pos = default_pos;
    if (focused) {
        double m = shift ? 10 : 1;
        if (take_either(ctx, QEL_KEY_UP, QEL_KEY_RIGHT)) pos += m * unit;
        if (take_either(ctx, QEL_KEY_DOWN, QEL_KEY_LEFT)) pos -= m * unit;
        if (qel_key_take(ctx, QEL_KEY_PAGE_UP)) pos += 10 * unit;
        if (qel_key_take(ctx, QEL_KEY_PAGE_DOWN)) pos -= 10 * unit;
        if (qel_key_take(ctx, QEL_KEY_HOME)) pos = 0;
        if (qel_key_take(ctx, QEL_KEY_END)) pos = 1;
        if (take_either(ctx, QEL_KEY_DELETE, QEL_KEY_BACKSPACE)) pos = default_pos;
    }
    qel_input* in = &ctx->input;
    if (ctx->interaction.scroll_target == wheel_id && (in->wheel_x != 0 || in->wheel_y != 0)) {
        double delta = in->wheel_y != 0 ? in->wheel_y : -in->wheel_x;
        pos += unit * delta * (shift ? 0.25 : 1);
        in->wheel_x = in->wheel_y = 0;
    }
    return unit_clamp_d(pos);
}

qel_knob_range qel_knob_range_of(float min, float max)
{
    if (!(max > min)) max = min + 1.0f;  // in float, as the caller's value: empty again from 2^24 on
    qel_knob_range r = {min, max, false};
    r.usable = std::isfinite(r.min) && std::isfinite(r.max) && r.max > r.min;
    return r;
}

double qel_knob_drag_follow(qel_context* ctx, qel_knob_drag* d, double pos, float pointer, float prev_pointer,
                            float per_unit)
{
    if (!qel_mouse_in_window(ctx)) return pos;
    bool shift = (qel_modifiers(ctx) & QEL_MOD_SHIFT) != 0;
    if (!d->dragging) {
        *d = {pointer, (float)pos, 1, shift};
    } else if (shift != (d->fine != 0)) {
        // Where the pointer was when Shift changed: the last frame saw it (unless it was outside).
        *d = {prev_pointer > -1e5f ? prev_pointer : pointer, (float)pos, 1, shift};
    }
    return unit_clamp_d(d->ref_pos + (double)(pointer - d->ref_pointer) * per_unit * (d->fine ? 0.1 : 1));
}

const char* qel_knob_value_text(qel_context* ctx, const char* format, const char* fallback, const char* unit,
                                double value)
{
    const char* text = qel_format_number(ctx, format ? format : fallback, value);
    return unit && *unit ? qel_arena_sprintf(ctx, "%s %s", text, unit) : text;
}

float qel_knob_value_width(qel_context* ctx, float size, const char* format, const char* unit, float min, float max)
{
    double lo = min, hi = max;
    double probes[5] = {lo, hi, (lo + hi) / 2, lo + 0.111 * (hi - lo), -0.999 * std::max(std::fabs(lo), std::fabs(hi))};
    float widest = 0;
    for (int32_t i = 0; i < (min < 0 ? 5 : 4); i++) {
        const char* text = qel_knob_value_text(ctx, format, "%.0f", unit, probes[i]);
        widest = std::max(widest, qel_text_width_measured(ctx, QEL_FONT_MEDIUM, size, text, -1, false));
    }
    return std::ceil(widest);
}

int32_t qel_knob_caption(qel_context* ctx, const char* text, float size, qel_color color, uint32_t font)
{
    int32_t leaf = qel_text_leaf(ctx, text, -1, font, size, color, false, 1.3f);
    qel_node* n = qel_node_at(ctx, leaf);
    n->width = {QEL_SIZE_GROW, 1};
    n->content_align = 1;
    return leaf;
}

struct knob_state {
    float shown[2];  // displayed position and its spring's velocity
    float press;
    qel_knob_drag drag;
    uint8_t started;
};

struct knob_paint {
    uint32_t wheel_id;
    uint8_t wheel;  // enabled and focused: the wheel turns it
    uint8_t dark;
    float shown, origin, hover, press, focus;
    qel_color value, track, track_hover, face, text;
};

static void knob_cap(qel_context* ctx, qel_vec2 c, float radius, float angle, float cap, qel_color color)
{
    qel_draw_circle(ctx, {c.x + radius * std::cos(angle), c.y + radius * std::sin(angle)}, cap, color);
}

static void knob_arc(qel_context* ctx, qel_vec2 c, float radius, float from, float to, float width, float cap,
                     qel_color color)
{
    qel_draw_arc(ctx, c, radius, from, to, width, color);
    knob_cap(ctx, c, radius, from, cap, color);
    knob_cap(ctx, c, radius, to, cap, color);
}

static void knob_face(qel_context* ctx, const knob_paint* p, qel_vec2 c, float rf, float angle)
{
    qel_rect face = {c.x - rf, c.y - rf, 2 * rf, 2 * rf};
    float radii[4] = {rf, rf, rf, rf};
    qel_color black = 0xFF000000;
    qel_draw_box_shadow(ctx, &face, radii, 2, 0, {0, 1}, qel_color_alpha(black, (p->dark ? 0x5a : 0x22) / 255.0f));
    qel_draw_box_shadow(ctx, &face, radii, 8, 0, {0, 3}, qel_color_alpha(black, (p->dark ? 60 : 18) / 255.0f));
    qel_color fill = qel_color_mix(p->face, p->text, 0.035f * p->hover + 0.03f * p->press);
    qel_draw_rect_bordered(ctx, &face, radii, fill, p->dark ? 0x14FFFFFF : 0x18000000, 1);
    qel_draw_top_highlight_small(ctx, &face, radii, 0.8f);
    qel_vec2 dir = {std::cos(angle), std::sin(angle)};
    qel_vec2 a = {c.x + dir.x * 0.3f * rf, c.y + dir.y * 0.3f * rf}, b = {c.x + dir.x * (rf - 4), c.y + dir.y * (rf - 4)};
    qel_draw_line(ctx, a, b, 2, p->text);
    qel_draw_circle(ctx, a, 1, p->text);
    qel_draw_circle(ctx, b, 1, p->text);
}

static void qel_knob_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const knob_paint*)user;
    qel_rect r = node->rect;
    if (p->wheel) qel_hit_rect_add_clipped(ctx, p->wheel_id, r);
    qel_vec2 c = {r.x + r.w / 2, r.y + r.h / 2};
    float R = std::min(r.w, r.h) / 2 - 1;
    float th = 0.12f * R, cap = th / 2;
    if (th < 2.5f) th = 2.5f, cap = 1.25f;
    if (th > 4) th = 4, cap = 2;
    float ra = R - cap, start = 0.75f * KNOB_PI, sweep = 1.5f * KNOB_PI;
    knob_arc(ctx, c, ra, start, start + sweep, th, cap, qel_color_mix(p->track, p->track_hover, p->hover));
    float from = start + sweep * p->origin, to = start + sweep * p->shown;
    if (std::fabs(to - from) > 0.002f) knob_arc(ctx, c, ra, std::min(from, to), std::max(from, to), th, cap, p->value);
    float rf = R - th - 4;
    if (rf >= 4) knob_face(ctx, p, c, rf, to);
    float radii[4] = {R, R, R, R};
    qel_rect ring = {c.x - R, c.y - R, 2 * R, 2 * R};
    if (p->focus > 0.01f) qel_draw_focus_ring(ctx, &ring, radii, p->focus);
}

static knob_paint knob_paint_of(qel_context* ctx, const knob_state* s, const qel_widget_motion& m, uint32_t wheel_id,
                                bool wheel, const qel_knob_opts& o)
{
    knob_paint p = {};
    p.wheel_id = wheel_id;
    p.wheel = wheel;
    p.dark = qel_dark_mode(ctx);
    p.shown = qel_unit_clamp(s->shown[0]);
    p.origin = o.bipolar ? 0.5f : 0;
    p.hover = m.hover;
    p.press = s->press;
    p.focus = m.focus;
    p.value = qel_color_resolve(ctx, qel_color_arg(o.color, qel_color_token(QEL_COLOR_PRIMARY)));
    p.track = qel_theme_color(ctx, QEL_COLOR_TRACK);
    p.track_hover = qel_theme_color(ctx, QEL_COLOR_TRACK_HOVER);
    p.text = qel_theme_color(ctx, QEL_COLOR_TEXT);
    qel_color elevated = qel_theme_color(ctx, QEL_COLOR_ELEVATED);
    p.face = p.dark ? qel_color_mix(elevated, p.text, 0.06f) : elevated;
    return p;
}

static void knob_nodes(qel_context* ctx, const char* label, uint32_t item, const knob_paint& paint, float value,
                       float min, float max, const qel_knob_opts& o, float d, bool disabled)
{
    const qel_theme& t = ctx->theme.current;
    float value_size = t.text_small * t.ui_scale, caption_size = t.text_xs * t.ui_scale;
    const char* caption = o.caption ? o.caption : label ? qel_arena_strdup(ctx, label, qel_label_visible_len(label)) : "";
    float width = d;
    if (!o.hide_value) width = std::max(width, qel_knob_value_width(ctx, value_size, o.format, o.unit, min, max));
    float caption_w = qel_text_width_measured(ctx, QEL_FONT_BODY, caption_size, caption, -1, false);
    width = std::max(width, std::min(caption_w, 2 * d));
    qel_style col = {};
    col.width = {QEL_SIZE_FIXED, width};
    col.gap = 2;
    col.align = QEL_ALIGN_CENTER;
    col.opacity = disabled ? 0.45f : 0;
    qel_column_begin(ctx, &col);
    int32_t knob = qel_node_sized(ctx, item, {QEL_SIZE_FIXED, d}, {QEL_SIZE_FIXED, d});
    qel_node_mark_interactive(ctx, knob, QEL_INTERACT_FOCUSABLE);
    qel_node_draw_with(ctx, knob, qel_knob_draw, &paint, sizeof paint, false);
    if (!o.hide_value)
        qel_knob_caption(ctx, qel_knob_value_text(ctx, o.format, "%.0f", o.unit, value), value_size,
                         qel_color_token(QEL_COLOR_TEXT), QEL_FONT_MEDIUM);
    if (*caption) qel_knob_caption(ctx, caption, caption_size, qel_color_token(QEL_COLOR_TEXT_SECONDARY), QEL_FONT_BODY);
    qel_container_end(ctx);
}

bool qel_knob(qel_context* ctx, const char* label, float* value, float min, float max, const qel_knob_opts* options)
{
    if (!value) return false;
    qel_knob_opts o = options ? *options : qel_knob_opts{};
    uint32_t w = qel_id(ctx, label ? label : "knob"), item = w ^ KNOB_ITEM_KEY;
    qel_knob_range range = qel_knob_range_of(min, max);
    bool logarithmic = o.logarithmic && range.min > 0, disabled = qel_item_disabled(ctx, o.disabled);
    auto* s = qel_state_record_of<knob_state>(ctx, w, "knob_state");
    qel_interaction it = qel_interact_item(ctx, item, QEL_INTERACT_FOCUSABLE | QEL_INTERACT_HOLD_OUTSIDE, disabled);
    float entry = *value;
    double p = qel_knob_norm(entry, range.min, range.max, logarithmic);
    if (!s->started) s->shown[0] = (float)p, s->started = 1;
    bool live = !disabled && range.usable;
    if (live && it.held && qel_mouse_down(ctx, 0))
        p = qel_knob_drag_follow(ctx, &s->drag, p, qel_mouse_pos(ctx).y, qel_mouse_prev_pos(ctx).y, -1.0f / 200);
    else
        s->drag.dragging = 0;
    if (live) {
        double def = qel_knob_norm(o.default_value, range.min, range.max, logarithmic);
        p = qel_knob_keys(ctx, it.double_clicked, it.focused, w ^ KNOB_WHEEL_KEY, p, range.min, range.max,
                          logarithmic ? 0 : o.step, def);
        *value = qel_knob_denorm(p, range.min, range.max, o.step, logarithmic);
    }
    if (s->drag.dragging) s->shown[0] = (float)p, s->shown[1] = 0;
    else qel_anim_spring(ctx, s->shown, (float)qel_knob_norm(*value, range.min, range.max, logarithmic), 0.26f, 0);
    qel_widget_motion m = qel_widget_motion_update(ctx, item, &it, 1);
    qel_anim_exp(ctx, &s->press, it.held ? 1.0f : 0.0f, 0.18f);
    if (!disabled && (it.hovered || it.held)) qel_set_cursor(ctx, QEL_CURSOR_RESIZE_NS);
    knob_paint paint = knob_paint_of(ctx, s, m, w ^ KNOB_WHEEL_KEY, !disabled && it.focused, o);
    knob_nodes(ctx, label, item, paint, *value, min, max, o, o.size > 0 ? o.size : 48, disabled);
    qel_set_last_item(ctx, item);
    return !(*value == entry) && !(std::isnan(*value) && std::isnan(entry));
}
