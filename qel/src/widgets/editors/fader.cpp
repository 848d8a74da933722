// The fader: the thumb's jump and drag along the travel, its marks and value text, and the
// built-in meter whose ballistics and bars are the level meter's.
#include "kit/state_records.h"
#include "qel/fader.h"

#include <algorithm>
#include <cmath>

#include "core/core.h"
#include "kit/widget_nodes.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/frame.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/knob.h"
#include "qel/level_meter.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/text_units.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "widgets/editors/knob_parts.h"
#include "widgets/editors/meter_bars.h"

static const uint32_t FADER_ITEM_KEY = 0xfad0, FADER_WHEEL_KEY = 0xfad1;
static const float FADER_INSET = 8, FADER_TRACK = 30, FADER_JUMP = 10;
enum { FADER_MAX_MARKS = 32 };

struct fader_state {
    float shown[2];
    float press;
    qel_knob_drag drag;
    uint8_t started, meter_started;
    qel_meter_channel meter[QEL_METER_MAX_CHANNELS];
};

struct fader_paint {
    uint32_t wheel_id;
    uint8_t wheel, dark, horizontal, has_meter;
    float shown, hover, press, focus;
    float label_column, base_cross;  // the marks' labels before the track; the track's strip
    int32_t mark_count;
    float mark_pos[FADER_MAX_MARKS];
    const char* mark_text[FADER_MAX_MARKS];  // frame arena
    float label_size;
    qel_color track, track_hover, text, muted, thumb;
    qel_meter_paint meter;
};

// The travel of the thumb's centre: start at position 0, end at position 1.
static void fader_travel(qel_rect r, bool horizontal, float* start, float* end)
{
    *start = horizontal ? r.x + FADER_INSET : r.y + r.h - FADER_INSET;
    *end = horizontal ? r.x + r.w - FADER_INSET : r.y + FADER_INSET;
}

static void fader_marks(qel_context* ctx, fader_paint* p, const qel_fader_opts& o, const qel_knob_range& range)
{
    p->mark_count = o.marks ? std::clamp(o.mark_count, 0, (int32_t)FADER_MAX_MARKS) : 0;
    float widest = 0;
    for (int32_t i = 0; i < p->mark_count; i++) {
        p->mark_pos[i] = (float)qel_knob_norm(o.marks[i], range.min, range.max, false);
        p->mark_text[i] = qel_arena_sprintf(ctx, "%g", (double)o.marks[i]);
        widest = std::max(widest, qel_text_width_measured(ctx, QEL_FONT_BODY, p->label_size, p->mark_text[i], -1, false));
    }
    p->label_column = p->mark_count > 0 && !p->horizontal ? std::ceil(widest) + 10 : 0;
}

// The built-in meter: the fader's own dB range when it starts below 0, else -60 to 6 dB.
static void fader_meter(qel_context* ctx, fader_state* s, fader_paint* p, const qel_fader_opts& o,
                        const qel_knob_range& range)
{
    int32_t n = std::min(o.meter_channels, (int32_t)QEL_METER_MAX_CHANNELS);
    p->has_meter = o.meter_levels && n > 0;
    if (!p->has_meter) return;
    qel_meter_paint* m = &p->meter;
    bool own = range.usable && range.min < 0;
    m->floor_db = own ? (float)range.min : -60;
    m->ceil_db = own ? (float)range.max : 6;
    m->count = n;
    m->thickness = 4;
    m->horizontal = p->horizontal;
    qel_meter_paint_colors(ctx, m);
    if (!s->meter_started) {
        for (qel_meter_channel& c : s->meter) c = {m->floor_db - 1, m->floor_db - 1, 0, 0};
        s->meter_started = 1;
    }
    if (qel_meter_update(ctx->clock.dt, s->meter, o.meter_levels, n, m->floor_db, m->ceil_db, 1.5f, 20))
        qel_request_redraw(ctx);
    std::copy(s->meter, s->meter + n, m->channels);
}

static void fader_thumb(qel_context* ctx, const fader_paint* p, qel_vec2 c)
{
    float scale = 1 + 0.04f * p->hover - 0.03f * p->press;
    float w = (p->horizontal ? 16 : 30) * scale, h = (p->horizontal ? 30 : 16) * scale;
    qel_rect r = {c.x - w / 2, c.y - h / 2, w, h};
    float radii[4] = {4, 4, 4, 4};
    qel_color black = 0xFF000000;
    qel_draw_box_shadow(ctx, &r, radii, 2, 0, {0, 1}, qel_color_alpha(black, (p->dark ? 0x5a : 0x26) / 255.0f));
    qel_draw_box_shadow(ctx, &r, radii, 6, 0, {0, 2}, qel_color_alpha(black, (p->dark ? 50 : 16) / 255.0f));
    qel_draw_rect_bordered(ctx, &r, radii, p->thumb, p->dark ? 0x18FFFFFF : 0x1E000000, 1);
    float across = (p->horizontal ? h : w) - 10;
    qel_rect groove = p->horizontal ? qel_rect{c.x - 0.75f, c.y - across / 2, 1.5f, across}
                                    : qel_rect{c.x - across / 2, c.y - 0.75f, across, 1.5f};
    float g[4] = {0.75f, 0.75f, 0.75f, 0.75f};
    qel_draw_rect(ctx, &groove, g, 0x73000000);
    if (p->focus > 0.01f) qel_draw_focus_ring(ctx, &r, radii, p->focus);
}

static void fader_mark_draw(qel_context* ctx, const fader_paint* p, qel_rect r, float at, const char* text)
{
    qel_color tick = qel_color_alpha(p->text, 0.55f);
    if (p->horizontal) {
        qel_rect t = {at - 0.5f, r.y + FADER_TRACK + 1, 1, 4};
        qel_draw_rect(ctx, &t, nullptr, tick);
        qel_draw_text_aligned(ctx, QEL_FONT_BODY, p->label_size, at, t.y + 9, 1, p->muted, text, 0);
        return;
    }
    qel_rect t = {r.x + p->label_column + 1, at - 0.5f, 6, 1};
    qel_draw_rect(ctx, &t, nullptr, tick);
    qel_draw_text_aligned(ctx, QEL_FONT_BODY, p->label_size, r.x + p->label_column - 2, at, 2, p->muted, text, 0);
}

static void qel_fader_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const fader_paint*)user;
    qel_rect r = node->rect;
    if (p->wheel) qel_hit_rect_add_clipped(ctx, p->wheel_id, r);
    float start, end;
    fader_travel(r, p->horizontal, &start, &end);
    float centre = p->horizontal ? r.y + FADER_TRACK / 2 : r.x + p->label_column + FADER_TRACK / 2;
    qel_rect track = p->horizontal ? qel_rect{r.x + 2, centre - 2, r.w - 4, 4} : qel_rect{centre - 2, r.y + 2, 4, r.h - 4};
    float radii[4] = {2, 2, 2, 2};
    qel_draw_rect(ctx, &track, radii, qel_color_mix(p->track, p->track_hover, p->hover));
    for (int32_t i = 0; i < p->mark_count; i++)
        fader_mark_draw(ctx, p, r, start + (end - start) * p->mark_pos[i], p->mark_text[i]);
    if (p->has_meter) {
        float cross = qel_meter_cross_size(p->meter.count, 4), lo = std::min(start, end);
        qel_rect strip = p->horizontal ? qel_rect{lo, r.y + p->base_cross + 4, std::fabs(end - start), cross}
                                       : qel_rect{centre + FADER_TRACK / 2 + 6, lo, cross, std::fabs(end - start)};
        qel_meter_bars(ctx, &p->meter, strip);
    }
    float at = start + (end - start) * p->shown;
    fader_thumb(ctx, p, p->horizontal ? qel_vec2{at, centre} : qel_vec2{centre, at});
}

// Jumps to a press away from the thumb, then follows the drag along the travel.
static double fader_drag(qel_context* ctx, fader_state* s, uint32_t item, bool horizontal, double p)
{
    float start, end;
    fader_travel(qel_id_rect(ctx, item), horizontal, &start, &end);
    if (!(std::fabs(end - start) > 1)) return p;
    qel_vec2 m = qel_mouse_pos(ctx), prev = qel_mouse_prev_pos(ctx);
    float pointer = horizontal ? m.x : m.y;
    if (!s->drag.dragging && qel_mouse_in_window(ctx)) {
        float thumb = start + (end - start) * (float)p;
        if (std::fabs(pointer - thumb) > FADER_JUMP) {
            p = qel_unit_clamp((pointer - start) / (end - start));
            s->shown[1] = 0;
        }
    }
    return qel_knob_drag_follow(ctx, &s->drag, p, pointer, horizontal ? prev.x : prev.y, 1 / (end - start));
}

static float fader_node_cross(const fader_paint& p)
{
    float meter = p.has_meter ? qel_meter_cross_size(p.meter.count, 4) : 0;
    if (p.horizontal) return p.base_cross + (p.has_meter ? 4 + meter : 0);
    return FADER_TRACK + p.label_column + std::max(p.label_column, p.has_meter ? meter + 6 : 0);
}

static void fader_nodes(qel_context* ctx, const char* label, uint32_t w, uint32_t item, const fader_paint& paint,
                        float value, float min, float max, const qel_fader_opts& o, bool disabled)
{
    const qel_theme& t = ctx->theme.current;
    float value_size = t.text_small * t.ui_scale, caption_size = t.text_xs * t.ui_scale;
    const char* format = o.format ? o.format : "%.1f";
    const char* caption = o.caption ? o.caption : label ? qel_arena_strdup(ctx, label, qel_label_visible_len(label)) : "";
    const char* text = o.hide_value ? nullptr : qel_knob_value_text(ctx, format, format, o.unit, value);
    float length = std::isfinite(o.length) && o.length > 0 ? o.length : 160, cross = fader_node_cross(paint);
    qel_style col = {};
    col.gap = 6;
    col.align = QEL_ALIGN_CENTER;
    col.opacity = disabled ? 0.45f : 0;
    int32_t column = qel_node_open(ctx, w);
    qel_node_apply_style(ctx, column, &col);
    qel_node_push(ctx, column);
    if (paint.horizontal) {
        qel_style head = {};
        head.width = {QEL_SIZE_FIXED, length};
        head.align = QEL_ALIGN_CENTER;
        qel_row_begin(ctx, &head);
        qel_text_leaf(ctx, caption, -1, QEL_FONT_MEDIUM, value_size, qel_color_token(QEL_COLOR_TEXT), false, 1.3f);
        qel_spacer(ctx);
        if (text) qel_text_leaf(ctx, text, -1, QEL_FONT_BODY, value_size, qel_color_token(QEL_COLOR_TEXT_SECONDARY), false, 1.3f);
        qel_container_end(ctx);
    } else {
        float widest = o.hide_value ? 0 : qel_knob_value_width(ctx, value_size, format, o.unit, min, max);
        qel_node_at(ctx, column)->width = {QEL_SIZE_FIXED, std::max(cross, widest)};
        if (text) qel_knob_caption(ctx, text, value_size, qel_color_token(QEL_COLOR_TEXT), QEL_FONT_MEDIUM);
    }
    int32_t node = paint.horizontal ? qel_node_sized(ctx, item, {QEL_SIZE_FIXED, length}, {QEL_SIZE_FIXED, cross})
                                    : qel_node_sized(ctx, item, {QEL_SIZE_FIXED, cross}, {QEL_SIZE_FIXED, length});
    qel_node_mark_interactive(ctx, node, QEL_INTERACT_FOCUSABLE);
    qel_node_draw_with(ctx, node, qel_fader_draw, &paint, sizeof paint, false);
    if (!paint.horizontal && *caption)
        qel_knob_caption(ctx, caption, caption_size, qel_color_token(QEL_COLOR_TEXT_SECONDARY), QEL_FONT_BODY);
    qel_node_pop(ctx);
}

static void fader_paint_colors(qel_context* ctx, fader_paint* p)
{
    p->dark = qel_dark_mode(ctx);
    p->track = qel_theme_color(ctx, QEL_COLOR_TRACK);
    p->track_hover = qel_theme_color(ctx, QEL_COLOR_TRACK_HOVER);
    p->text = qel_theme_color(ctx, QEL_COLOR_TEXT);
    p->muted = qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED);
    p->thumb = qel_theme_color(ctx, QEL_COLOR_THUMB);
    const qel_theme& t = ctx->theme.current;
    p->label_size = 0.92f * t.text_xs * t.ui_scale;
}

bool qel_fader(qel_context* ctx, const char* label, float* value, float min, float max, const qel_fader_opts* options)
{
    if (!value) return false;
    qel_fader_opts o = options ? *options : qel_fader_opts{};
    uint32_t w = qel_id(ctx, label ? label : "fader"), item = w ^ FADER_ITEM_KEY;
    qel_knob_range range = qel_knob_range_of(min, max);
    bool disabled = qel_item_disabled(ctx, o.disabled), live = !disabled && range.usable;
    auto* s = qel_state_record_of<fader_state>(ctx, w, "fader_state");
    qel_interaction it = qel_interact_item(ctx, item, QEL_INTERACT_FOCUSABLE | QEL_INTERACT_HOLD_OUTSIDE, disabled);
    float entry = *value;
    double p = qel_knob_norm(entry, range.min, range.max, false);
    if (!s->started) s->shown[0] = (float)p, s->started = 1;
    if (live && it.held && qel_mouse_down(ctx, 0)) p = fader_drag(ctx, s, item, o.horizontal, p);
    else s->drag.dragging = 0;
    if (live) {
        double def = qel_knob_norm(o.default_value, range.min, range.max, false);
        p = qel_knob_keys(ctx, it.double_clicked, it.focused, w ^ FADER_WHEEL_KEY, p, range.min, range.max, o.step, def);
        *value = qel_knob_denorm(p, range.min, range.max, o.step, false);
    }
    if (s->drag.dragging) s->shown[0] = (float)p, s->shown[1] = 0;
    else qel_anim_spring(ctx, s->shown, (float)qel_knob_norm(*value, range.min, range.max, false), 0.26f, 0);
    qel_widget_motion m = qel_widget_motion_update(ctx, item, &it, 1);
    qel_anim_exp(ctx, &s->press, it.held ? 1.0f : 0.0f, 0.18f);
    if (!disabled && (it.hovered || it.held)) qel_set_cursor(ctx, o.horizontal ? QEL_CURSOR_RESIZE_EW : QEL_CURSOR_RESIZE_NS);
    fader_paint paint = {};
    paint.wheel_id = w ^ FADER_WHEEL_KEY;
    paint.wheel = !disabled && it.focused;
    paint.horizontal = o.horizontal;
    paint.shown = qel_unit_clamp(s->shown[0]);
    paint.hover = m.hover;
    paint.press = s->press;
    paint.focus = m.focus;
    fader_paint_colors(ctx, &paint);
    fader_marks(ctx, &paint, o, range);
    paint.base_cross = o.horizontal ? (paint.mark_count > 0 ? 46.0f : FADER_TRACK) : 0;
    fader_meter(ctx, s, &paint, o, range);
    fader_nodes(ctx, label, w, item, paint, *value, min, max, o, disabled);
    qel_set_last_item(ctx, item);
    return !(*value == entry) && !(std::isnan(*value) && std::isnan(entry));
}
