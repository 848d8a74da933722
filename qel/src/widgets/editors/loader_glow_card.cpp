// The loader's node and its five drawings from the clock, and the glow card: the pointer's glow
// under the contents, the border glow over them and the light that runs around the border.
#include "kit/state_records.h"
#include "qel/loader_glow_card.h"

#include <algorithm>
#include <cmath>

#include "core/core.h"
#include "kit/scopes.h"
#include "kit/widget_nodes.h"
#include "qel/anim.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/frame.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "widgets/editors/showcase_parts.h"

static const float TAU = 6.2831853f;

// --- Loader ---

struct loader_payload {
    uint32_t style;
    float phase;  // seconds
    qel_color color;
};

static float unit_fract(float v)
{
    return v - std::floor(v);
}

static void loader_dots(qel_context* ctx, qel_vec2 c, float s, float t, qel_color color)
{
    for (int i = 0; i < 3; i++) {
        float a = std::max(0.0f, std::sin(TAU * 1.2f * t - 0.7f * (float)i));
        qel_draw_circle(ctx, {c.x + (float)(i - 1) * 0.3f * s, c.y + 0.1f * s - 0.16f * s * a}, 0.1f * s,
                        qel_color_alpha(color, 0.45f + 0.55f * a));
    }
}

static void loader_bars(qel_context* ctx, qel_vec2 c, float s, float t, qel_color color)
{
    float w = 0.12f * s, gap = 0.1f * s, left = c.x - (4 * w + 3 * gap) * 0.5f;
    const float r[4] = {w / 2, w / 2, w / 2, w / 2};
    for (int i = 0; i < 4; i++) {
        float h = (0.32f + 0.5f * (0.5f + 0.5f * std::sin(TAU * 1.1f * t - 0.9f * (float)i))) * s;
        qel_rect bar = {left + (float)i * (w + gap), c.y - h / 2, w, h};
        qel_draw_rect(ctx, &bar, r, color);
    }
}

static void loader_pulse(qel_context* ctx, qel_vec2 c, float s, float t, qel_color color)
{
    for (int k = 0; k < 2; k++) {
        float p = unit_fract(0.5f * (float)k + 0.9f * t), rest = 1 - std::min(p, 1.0f);
        float radius = std::max(1.0f, 0.5f * s * (1 - rest * rest * rest));
        qel_draw_arc(ctx, c, radius, 0, TAU, 2, qel_color_alpha(color, 0.9f * (1 - p)));
    }
    qel_draw_circle(ctx, c, 0.12f * s, color);
}

static void loader_orbit(qel_context* ctx, qel_vec2 c, float s, float t, qel_color color)
{
    float radius = 0.36f * s;
    qel_draw_arc(ctx, c, radius, 0, TAU, 1.5f, qel_color_alpha(color, 0.15f));
    for (int i = 0; i < 7; i++) {
        float angle = TAU * 0.9f * t - 0.22f * (float)i;
        qel_draw_circle(ctx, {c.x + radius * std::cos(angle), c.y + radius * std::sin(angle)},
                        0.075f * s * (1 - 0.08f * (float)i), qel_color_alpha(color, 1 - (float)i / 7));
    }
}

static void loader_grid(qel_context* ctx, qel_vec2 c, float s, float t, qel_color color)
{
    float cell = 0.24f * s, gap = 0.1f * s, left = c.x - 1.5f * cell - gap, top = c.y - 1.5f * cell - gap;
    for (int row = 0; row < 3; row++) {
        for (int col = 0; col < 3; col++) {
            float v = 0.5f + 0.5f * std::sin(TAU * t - 0.55f * (float)(row + col));
            float side = (0.55f + 0.45f * v) * cell;
            const float r[4] = {side / 4, side / 4, side / 4, side / 4};
            qel_rect sq = {left + (float)col * (cell + gap) + (cell - side) / 2,
                           top + (float)row * (cell + gap) + (cell - side) / 2, side, side};
            qel_draw_rect(ctx, &sq, r, qel_color_alpha(color, 0.3f + 0.7f * v));
        }
    }
}

static void loader_draw(qel_context* ctx, const qel_node* node, void* user)
{
    auto* p = (const loader_payload*)user;
    static void (*const styles[5])(qel_context*, qel_vec2, float, float, qel_color) = {
        loader_dots, loader_bars, loader_pulse, loader_orbit, loader_grid};
    if (p->style >= 5) return;
    qel_rect r = node->rect;
    float s = p->style == QEL_LOADER_DOTS ? std::min(r.w, 2 * r.h) : std::min(r.w, r.h);
    styles[p->style](ctx, {r.x + r.w / 2, r.y + r.h / 2}, s, p->phase, p->color);
}

void qel_loader(qel_context* ctx, const qel_loader_options* options)
{
    const qel_loader_options none = {};
    const qel_loader_options* o = options ? options : &none;
    float size = o->size > 0 ? o->size : 24;
    int32_t index = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, size},
                                   {QEL_SIZE_FIXED, o->style == QEL_LOADER_DOTS ? size / 2 : size});
    qel_node_at(ctx, index)->align_self = QEL_ALIGN_CENTER;
    bool moving = qel_motion_on(ctx);
    loader_payload p = {o->style, moving ? (float)std::fmod(ctx->clock.time, 1000.0) : 0,
                        qel_color_resolve(ctx, qel_color_arg(o->color, qel_color_token(QEL_COLOR_TEXT_SECONDARY)))};
    qel_node_draw_with(ctx, index, loader_draw, &p, sizeof p, false);
    if (moving) qel_request_redraw(ctx);
}

// --- Glow card ---

struct glow_state {
    float hover;
    float x, y;  // the pointer, from the card's top-left corner
    uint8_t has_position;
};

struct glow_payload {
    float hover;
    float x, y;
    qel_color color;
    uint8_t running;
    float time;
};

static const float GLOW_EASE = 0.14f, RUN_SPEED = 140;

// Approaches the pointer while it is over the card's last rectangle, else lets the glow fade.
static void glow_track(qel_context* ctx, glow_state* s, qel_rect r)
{
    qel_vec2 m = qel_mouse_pos(ctx);
    bool over = r.w > 0 && qel_mouse_in_window(ctx) && qel_rect_contains(r, m);
    qel_anim_exp(ctx, &s->hover, over ? 1.0f : 0.0f, GLOW_EASE);
    if (over || !s->has_position) s->x = m.x - r.x, s->y = m.y - r.y, s->has_position = 1;
}

// A glow point of spread R at (x, y): the card's outline stroked in 12 ever smaller squares
// around it, so the layers pile up near the point.
static void glow_point(qel_context* ctx, const qel_node* card, float x, float y, float spread, qel_color color)
{
    qel_color layer = qel_color_alpha(color, 1.0f / 12);
    for (int i = 0; i < 12; i++) {
        float r = (1 - (float)i / 12) * spread;
        qel_rect square = {x - r, y - r, 2 * r, 2 * r};
        qel_draw_push_clip(ctx, &square);
        qel_draw_rect_bordered(ctx, &card->rect, card->radii, 0, layer, 1.5f);
        qel_draw_pop_clip(ctx);
    }
}

// Where the running light stands after travelling p along the border clockwise from the
// top-left corner.
static qel_vec2 border_point(qel_rect r, float p)
{
    if (p < r.w) return {r.x + p, r.y};
    if (p < r.w + r.h) return {r.x + r.w, r.y + p - r.w};
    if (p < 2 * r.w + r.h) return {r.x + r.w - (p - r.w - r.h), r.y + r.h};
    return {r.x, r.y + r.h - (p - 2 * r.w - r.h)};
}

static void glow_border_draw(qel_context* ctx, const qel_node* card, void* user)
{
    auto* p = (const glow_payload*)user;
    qel_rect r = card->rect;
    if (p->hover > 0.01f) glow_point(ctx, card, r.x + p->x, r.y + p->y, 120, qel_color_alpha(p->color, p->hover));
    float perimeter = 2 * (r.w + r.h);
    if (p->running && perimeter > 0) {
        qel_vec2 at = border_point(r, std::fmod(RUN_SPEED * p->time, perimeter));
        glow_point(ctx, card, at.x, at.y, 70, p->color);
    }
}

static void glow_background_draw(qel_context* ctx, const qel_node* layer, void* user)
{
    auto* p = (const glow_payload*)user;
    if (!(p->hover > 0.01f)) return;
    qel_rect r = layer->rect;
    qel_rect inside = {r.x + 1, r.y + 1, r.w - 2, r.h - 2};
    float s = std::min(220.0f, 0.45f * std::max(r.w, r.h));
    qel_rect disc = {r.x + p->x - s / 2, r.y + p->y - s / 2, s, s};
    const float radii[4] = {s / 2, s / 2, s / 2, s / 2};
    float strength = p->hover * (qel_dark_mode(ctx) ? 0.16f : 0.1f);
    qel_draw_push_clip(ctx, &inside);
    qel_draw_box_shadow(ctx, &disc, radii, 0.6f * s, 0, {0, 0}, qel_color_alpha(p->color, strength));
    qel_draw_pop_clip(ctx);
}

const qel_glow_card_entry* qel_glow_card_begin(qel_context* ctx, const char* id_label, const qel_glow_card_options* options)
{
    const qel_glow_card_options none = {};
    const qel_glow_card_options* o = options ? options : &none;
    uint32_t id = qel_id(ctx, id_label);
    qel_rect last = qel_id_rect(ctx, id);
    auto* s = qel_state_record_of<glow_state>(ctx, id, "glow_state");
    glow_track(ctx, s, last);
    qel_style style = {};
    style.width = o->width.kind != QEL_SIZE_FIT ? o->width : qel_size{QEL_SIZE_GROW, 1};
    style.height = o->height;
    style.padding = o->padding > 0 ? o->padding : 20;
    style.gap = o->gap > 0 ? o->gap : 10;
    style.fill = qel_color_token(QEL_COLOR_SURFACE);
    style.border = qel_color_token(QEL_COLOR_BORDER);
    style.border_width = 1;
    style.radius = ctx->theme.current.radius_medium;
    int32_t card = qel_node_open(ctx, id);
    qel_node_apply_style(ctx, card, &style);
    qel_node_push(ctx, card);
    glow_payload p = {s->hover, s->x, s->y, qel_color_resolve(ctx, qel_color_arg(o->color, qel_accent_or_text(ctx))),
                      (uint8_t)(o->animate && qel_motion_on(ctx)), (float)std::fmod(ctx->clock.time, 10000.0)};
    qel_node_draw_with(ctx, card, glow_border_draw, &p, sizeof p, true);
    if (p.running || s->hover > 0.01f) qel_request_redraw(ctx);
    // Floating nodes stand from the content's corner; the glow covers the whole card.
    int32_t layer = qel_node_floating(ctx, 0, -style.padding, -style.padding, last.w, last.h);
    qel_node_draw_with(ctx, layer, glow_background_draw, &p, sizeof p, false);
    auto* entry = qel_scope_push<qel_glow_card_entry>(ctx);
    entry->glow_layer = layer;
    qel_set_last_item(ctx, id);
    return entry;
}

void qel_glow_card_end(qel_context* ctx)
{
    if (qel_scope_pop<qel_glow_card_entry>(ctx)) qel_node_pop(ctx);
}
