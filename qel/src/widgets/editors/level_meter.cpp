// The level meter: the ballistics, the bars with their zones, segments, peak marks and scale
// (shared with the fader's built-in meter), and the clip indicator with its latches.
#include "kit/state_records.h"
#include "qel/level_meter.h"

#include <algorithm>
#include <cmath>

#include "core/core.h"
#include "kit/widget_nodes.h"
#include "qel/arena.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/frame.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/theme.h"
#include "qel/tooltip.h"
#include "qel/widget_feel.h"
#include "widgets/editors/meter_bars.h"

static const uint32_t CLIP_KEY = 0xc11b;
static const float ZONE_WARNING_DB = -18, ZONE_DANGER_DB = -6;

bool qel_meter_update(float dt, qel_meter_channel* states, const float* levels, int32_t channels, float floor_db,
                      float ceil_db, float hold_seconds, float fall_db_per_second)
{
    dt = dt > 0 ? std::min(dt, 0.1f) : 0;
    float fall = fall_db_per_second * dt;
    bool moving = false;
    for (int32_t c = 0; c < channels; c++) {
        qel_meter_channel* s = &states[c];
        float x = levels ? levels[c] : 0, t = std::min(ceil_db, floor_db - 1);
        if (x > 0) {
            t = std::clamp(20 * std::log10(x), floor_db - 1, ceil_db);
            if (x >= 1) s->clipped = 1;
        }
        s->level = std::max(t, s->level - fall);
        if (t >= s->peak) {
            s->peak = t;
            s->held = 0;
        } else {
            s->held += dt;
            if (s->held > hold_seconds) s->peak = std::max(s->level, s->peak - fall);
        }
        moving = moving || s->level > t + 0.01f || s->peak > s->level + 0.01f;
    }
    return moving;
}

void qel_meter_paint_colors(qel_context* ctx, qel_meter_paint* p)
{
    p->subtle = qel_theme_color(ctx, QEL_COLOR_SUBTLE);
    p->success = qel_theme_color(ctx, QEL_COLOR_SUCCESS);
    p->warning = qel_theme_color(ctx, QEL_COLOR_WARNING);
    p->danger = qel_theme_color(ctx, QEL_COLOR_DANGER);
    p->muted = qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED);
    const qel_theme& t = ctx->theme.current;
    p->label_size = 0.9f * t.text_xs * t.ui_scale;
}

float qel_meter_cross_size(int32_t count, float thickness)
{
    return (float)count * thickness + (float)(count - 1) * 2;
}

static qel_color zone_color(const qel_meter_paint* p, float db)
{
    return db >= ZONE_DANGER_DB ? p->danger : db >= ZONE_WARNING_DB ? p->warning : p->success;
}

// One bar's piece from a to b (lengths from the base) in the bar's rectangle along the axis.
static qel_rect bar_piece(const qel_meter_paint* p, qel_rect bar, float a, float b)
{
    if (p->horizontal) return {bar.x + a, bar.y, b - a, bar.h};
    return {bar.x, bar.y + bar.h - b, bar.w, b - a};
}

static void meter_scale(qel_context* ctx, const qel_meter_paint* p, qel_rect r, float length, float bars_x)
{
    static const float marks[] = {6, 3, 0, -3, -6, -9, -12, -18, -24, -30, -36, -42, -48, -54, -60, -72, -84, -96};
    float last = -1e9f, span = p->ceil_db - p->floor_db;
    float cross = qel_meter_cross_size(p->count, p->thickness);
    for (float m : marks) {
        if (m < p->floor_db - 0.01f || m > p->ceil_db + 0.01f) continue;
        float f = std::clamp((m - p->floor_db) / span, 0.0f, 1.0f) * length;
        float at = p->horizontal ? r.x + f : r.y + r.h - f;
        if (std::fabs(at - last) < (p->horizontal ? 26 : 13)) continue;
        last = at;
        const char* text = qel_arena_sprintf(ctx, "%g", (double)m);
        if (p->horizontal)
            qel_draw_text_aligned(ctx, QEL_FONT_BODY, p->label_size, at, r.y + cross + 8, 1, p->muted, text, 0);
        else
            qel_draw_text_aligned(ctx, QEL_FONT_BODY, p->label_size, bars_x - 5, at, 2, p->muted, text, 0);
    }
}

static void meter_fill(qel_context* ctx, const qel_meter_paint* p, qel_rect bar, float length, float filled)
{
    float span = p->ceil_db - p->floor_db, radius = std::min(p->thickness / 2, 2.0f);
    if (p->segmented) {
        int32_t cells = (int32_t)std::min(length / 4, 1e6f) + 1;  // a bar longer than any screen draws no more
        float radii[4] = {0.5f, 0.5f, 0.5f, 0.5f};
        for (int32_t k = 0; k < cells && (float)k * 4 + 3 <= filled + 0.01f; k++) {
            qel_rect cell = bar_piece(p, bar, (float)k * 4, (float)k * 4 + 3);
            qel_draw_rect(ctx, &cell, radii, zone_color(p, p->floor_db + ((float)k * 4 + 2) / length * span));
        }
        return;
    }
    const float bounds[4] = {-INFINITY, ZONE_WARNING_DB, ZONE_DANGER_DB, INFINITY};
    const qel_color colors[3] = {p->success, p->warning, p->danger};
    bool first = true;
    for (int32_t z = 0; z < 3; z++) {
        float a = std::clamp((bounds[z] - p->floor_db) / span, 0.0f, 1.0f) * length;
        float b = std::min(std::clamp((bounds[z + 1] - p->floor_db) / span, 0.0f, 1.0f) * length, filled);
        if (b <= a) continue;
        float radii[4] = {};
        if (first) {
            // The base corners: bottom ones of a vertical bar, left ones of a horizontal one.
            radii[3] = radius;
            radii[p->horizontal ? 0 : 2] = radius;
        }
        first = false;
        qel_rect piece = bar_piece(p, bar, a, b);
        qel_draw_rect(ctx, &piece, radii, colors[z]);
    }
}

void qel_meter_bars(qel_context* ctx, const qel_meter_paint* p, qel_rect r)
{
    float length = p->horizontal ? r.w : r.h, span = p->ceil_db - p->floor_db;
    if (!(length > 2) || !(span > 0)) return;
    float bars_x = r.x + p->scale_width;
    if (p->show_scale) meter_scale(ctx, p, r, length, bars_x);
    float radius = std::min(p->thickness / 2, 2.0f), radii[4] = {radius, radius, radius, radius};
    for (int32_t c = 0; c < p->count; c++) {
        const qel_meter_channel& ch = p->channels[c];
        float offset = (float)c * (p->thickness + 2);
        qel_rect bar = p->horizontal ? qel_rect{r.x, r.y + offset, length, p->thickness}
                                     : qel_rect{bars_x + offset, r.y, p->thickness, length};
        qel_draw_rect(ctx, &bar, radii, p->subtle);
        meter_fill(ctx, p, bar, length, std::clamp((ch.level - p->floor_db) / span, 0.0f, 1.0f) * length);
        if (ch.peak > p->floor_db + 0.01f) {
            float at = std::clamp((ch.peak - p->floor_db) / span, 0.0f, 1.0f) * length;
            qel_rect mark = bar_piece(p, bar, std::max(at - 2, 0.0f), std::max(at, 2.0f));
            qel_draw_rect(ctx, &mark, nullptr, zone_color(p, ch.peak));
        }
    }
}

static void qel_meter_draw(qel_context* ctx, const qel_node* node, void* user)
{
    qel_meter_bars(ctx, (const qel_meter_paint*)user, node->rect);
}

static void qel_meter_clip_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const qel_meter_paint*)user;
    float radius = std::min(p->thickness / 2, 1.5f), radii[4] = {radius, radius, radius, radius};
    qel_rect r = node->rect;
    for (int32_t c = 0; c < p->count; c++) {
        float offset = (float)c * (p->thickness + 2);
        qel_rect cell = p->horizontal ? qel_rect{r.x, r.y + offset, r.w, p->thickness}
                                      : qel_rect{r.x + p->scale_width + offset, r.y, p->thickness, r.h};
        qel_draw_rect(ctx, &cell, radii, p->channels[c].clipped ? p->danger : p->subtle);
    }
}

struct meter_state {
    qel_meter_channel channels[QEL_METER_MAX_CHANNELS];
    uint8_t started;
};

static float finite_above_zero(float v, float fallback)
{
    return std::isfinite(v) && v > 0 ? v : fallback;
}

// The scale and ballistics of the options, with every unusable field at its default.
static void meter_settings(const qel_level_meter_opts& o, float* floor_db, float* ceil_db, float* hold, float* fall)
{
    *floor_db = std::isfinite(o.floor_db) && o.floor_db < 0 ? o.floor_db : -60;
    *ceil_db = std::isfinite(o.ceil_db) && o.ceil_db != 0 ? o.ceil_db : 6;
    if (!(*ceil_db > *floor_db)) *ceil_db = *floor_db + 1;
    *hold = o.hold_seconds > 0 || o.hold_seconds < 0 ? o.hold_seconds : 1.5f;
    *fall = o.fall_db_per_second > 0 ? o.fall_db_per_second : 20;
}

static void meter_nodes(qel_context* ctx, uint32_t id, uint32_t clip_id, const qel_meter_paint& p, float length,
                        bool lit, bool clip_hovered)
{
    float cross = qel_meter_cross_size(p.count, p.thickness);
    qel_style box = {};
    box.direction = p.horizontal ? QEL_DIR_ROW : QEL_DIR_COLUMN;
    box.gap = 3;
    int32_t node = qel_node_open(ctx, id);
    qel_node_apply_style(ctx, node, &box);
    qel_node_push(ctx, node);
    auto clip = [&](qel_size w, qel_size h) {
        int32_t cells = qel_node_sized(ctx, clip_id, w, h);
        qel_node_draw_with(ctx, cells, qel_meter_clip_draw, &p, sizeof p, false);
        if (!lit) return;
        qel_node_mark_interactive(ctx, cells, 0);
        qel_tooltip_for(ctx, clip_id, "Clipped. Click to reset");
        if (clip_hovered) qel_set_cursor(ctx, QEL_CURSOR_HAND);
    };
    auto bars = [&](qel_size w, qel_size h) {
        qel_node_draw_with(ctx, qel_node_sized(ctx, 0, w, h), qel_meter_draw, &p, sizeof p, false);
    };
    if (p.horizontal) {
        bars({QEL_SIZE_FIXED, length}, {QEL_SIZE_FIXED, cross + (p.show_scale ? 16 : 0)});
        clip({QEL_SIZE_FIXED, 4}, {QEL_SIZE_FIXED, cross});
    } else {
        clip({QEL_SIZE_FIXED, cross + p.scale_width}, {QEL_SIZE_FIXED, 4});
        bars({QEL_SIZE_FIXED, cross + p.scale_width}, {QEL_SIZE_FIXED, length});
    }
    qel_node_pop(ctx);
}

bool qel_level_meter(qel_context* ctx, const char* label, const float* levels, int32_t channels,
                     const qel_level_meter_opts* options)
{
    qel_level_meter_opts o = options ? *options : qel_level_meter_opts{};
    qel_meter_paint p = {};
    meter_settings(o, &p.floor_db, &p.ceil_db, &o.hold_seconds, &o.fall_db_per_second);
    if (channels < 1) levels = nullptr;  // one silent channel stands in; an empty array is not read
    p.count = std::clamp(channels, 1, (int32_t)QEL_METER_MAX_CHANNELS);
    p.thickness = finite_above_zero(o.thickness, 6);
    p.horizontal = o.horizontal;
    p.show_scale = o.show_scale;
    p.segmented = o.segmented;
    qel_meter_paint_colors(ctx, &p);
    if (!p.horizontal && p.show_scale)
        p.scale_width = std::ceil(qel_text_width_measured(ctx, QEL_FONT_BODY, p.label_size, "-60", -1, false)) + 9;
    uint32_t id = qel_id(ctx, label ? label : "meter"), clip_id = id ^ CLIP_KEY;
    auto* s = qel_state_record_of<meter_state>(ctx, id, "meter_state");
    if (!s->started) {
        for (qel_meter_channel& c : s->channels) c = {p.floor_db - 1, p.floor_db - 1, 0, 0};
        s->started = 1;
    }
    bool lit = false;
    for (int32_t c = 0; c < p.count; c++) lit = lit || s->channels[c].clipped;
    qel_interaction it = qel_interact(ctx, clip_id, 0);
    bool reset = lit && it.clicked;
    if (reset)
        for (qel_meter_channel& c : s->channels) c.clipped = 0;
    if (qel_meter_update(ctx->clock.dt, s->channels, levels, p.count, p.floor_db, p.ceil_db, o.hold_seconds,
                         o.fall_db_per_second))
        qel_request_redraw(ctx);
    std::copy(s->channels, s->channels + p.count, p.channels);
    meter_nodes(ctx, id, clip_id, p, finite_above_zero(o.length, 160), lit, it.hovered);
    qel_set_last_item(ctx, id);
    return reset;
}
