// The guided tour: spotlight springs and the card's fade in per-id state, the scrim layer with
// its click blockers around the hole, the card layer with its counter, dots and buttons, and the
// keys. The hole's corners are filled by triangle fans so the scrim meets the ring exactly.
#include "kit/state_records.h"
#include "qel/tour.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/core.h"
#include "kit/widget_nodes.h"
#include "qel/anim.h"
#include "qel/button.h"
#include "qel/color.h"
#include "qel/context.h"
#include "qel/draw.h"
#include "qel/frame.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/text_input.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"

static const uint32_t STATE_KEY = 0x7053u, SCRIM_LAYER = 0x7051u, CARD_LAYER = 0x70c4u, CARD_KEY = 0x70cau;
static const uint32_t DOT_KEY = 0x70d0u, BLOCK_KEY = 0x7b0u;
static const int32_t SCRIM_Z = 1900, CARD_Z = 1901, MAX_DOTS = 12, CORNER_POINTS = 9;
static const float PI = 3.14159265358979f, HOLE_RADIUS = 10, RING = 1.5f, CARD_GAP = 10, DIP = 0.6f;

struct qel_tour_state {
    float rect[4][2];  // x, y, w, h: spring value and velocity
    float fade[2];
    int32_t shown_step, moved_step;
    uint8_t shown, animating;
};

struct tour_spotlight {
    qel_rect hole;
    float radius, fade, scale;
    uint8_t has_target;
    qel_color scrim, ring;
};

// --- Drawing ---

static float snap_px(float v, float scale)
{
    return std::round(v * scale) / scale;
}

// The area between a hole corner and its quarter circle: the corner and nine arc points.
static void corner_fan(qel_context* ctx, qel_vec2 corner, qel_vec2 centre, float r, float from_angle, qel_color c)
{
    qel_triangle_vertex v[CORNER_POINTS + 1];
    uint32_t idx[(CORNER_POINTS - 1) * 3];
    v[0] = {corner.x, corner.y, c};
    for (int32_t i = 0; i < CORNER_POINTS; i++) {
        float a = from_angle + (float)i * PI / 16;
        v[i + 1] = {centre.x + r * std::cos(a), centre.y + r * std::sin(a), c};
    }
    for (int32_t i = 0; i < CORNER_POINTS - 1; i++) {
        idx[i * 3] = 0;
        idx[i * 3 + 1] = (uint32_t)i + 1;
        idx[i * 3 + 2] = (uint32_t)i + 2;
    }
    qel_draw_triangles(ctx, v, CORNER_POINTS + 1, idx, (CORNER_POINTS - 1) * 3);
}

void qel_tour_spotlight_draw(qel_context* ctx, const qel_node* node, void* payload)
{
    const auto* p = (const tour_spotlight*)payload;
    qel_rect all = node->rect;
    qel_color scrim = qel_color_alpha(p->scrim, p->fade);
    if (!p->has_target) return qel_draw_rect(ctx, &all, nullptr, scrim);
    float scale = p->scale > 0 ? p->scale : 1;
    float x0 = snap_px(p->hole.x, scale), y0 = snap_px(p->hole.y, scale);
    float x1 = snap_px(p->hole.x + p->hole.w, scale), y1 = snap_px(p->hole.y + p->hole.h, scale);
    float right = all.x + all.w, bottom = all.y + all.h;
    qel_rect parts[4] = {{all.x, all.y, all.w, y0 - all.y},
                         {all.x, y1, all.w, bottom - y1},
                         {all.x, y0, x0 - all.x, y1 - y0},
                         {x1, y0, right - x1, y1 - y0}};
    for (qel_rect& r : parts) {
        r.w = std::max(0.0f, r.w), r.h = std::max(0.0f, r.h);
        qel_draw_rect(ctx, &r, nullptr, scrim);
    }
    float r = std::min(p->radius, std::min(x1 - x0, y1 - y0) / 2);
    if (r > 0.5f) {
        corner_fan(ctx, {x0, y0}, {x0 + r, y0 + r}, r, PI, scrim);
        corner_fan(ctx, {x1, y0}, {x1 - r, y0 + r}, r, 1.5f * PI, scrim);
        corner_fan(ctx, {x1, y1}, {x1 - r, y1 - r}, r, 0, scrim);
        corner_fan(ctx, {x0, y1}, {x0 + r, y1 - r}, r, 0.5f * PI, scrim);
    }
    qel_rect ring = {x0 - RING, y0 - RING, x1 - x0 + 2 * RING, y1 - y0 + 2 * RING};
    float rr = std::max(r, 0.0f) + RING, radii[4] = {rr, rr, rr, rr};
    qel_draw_rect_bordered(ctx, &ring, radii, 0, qel_color_alpha(p->ring, p->fade), RING);
}

// --- State ---

static qel_rect grown(qel_rect r, float by)
{
    return {r.x - by, r.y - by, r.w + 2 * by, r.h + 2 * by};
}

static void jump_to(qel_tour_state* s, qel_rect target)
{
    float v[4] = {target.x, target.y, target.w, target.h};
    for (int i = 0; i < 4; i++) s->rect[i][0] = v[i], s->rect[i][1] = 0;
}

static qel_rect spotlight_rect(const qel_tour_state* s)
{
    return {s->rect[0][0], s->rect[1][0], s->rect[2][0], s->rect[3][0]};
}

// Springs toward the target until close and slow, then snaps; returns the summed speed.
static float move_spotlight(qel_context* ctx, qel_tour_state* s, int32_t step, qel_rect target)
{
    if (!s->shown) {
        jump_to(s, target);
        s->fade[0] = s->fade[1] = 0;
        s->shown_step = s->moved_step = step;
        s->shown = 1;
        s->animating = 0;
    } else if (step != s->moved_step) {
        s->moved_step = step;
        s->animating = 1;
    }
    if (!s->animating) {
        jump_to(s, target);
        return 0;
    }
    float v[4] = {target.x, target.y, target.w, target.h}, distance = 0, speed = 0;
    for (int i = 0; i < 4; i++) {
        qel_anim_spring(ctx, s->rect[i], v[i], 0.42f, 0.16f);
        distance += std::fabs(s->rect[i][0] - v[i]);
        speed += std::fabs(s->rect[i][1]);
    }
    if (distance < 0.5f && speed < 0.5f) {
        jump_to(s, target);
        s->animating = 0;
        return 0;
    }
    return speed;
}

static float card_fade(qel_context* ctx, qel_tour_state* s, int32_t step)
{
    if (step != s->shown_step) {
        s->shown_step = step;
        s->fade[0] = std::min(s->fade[0], DIP);
    }
    qel_anim_spring(ctx, s->fade, 1, 0.28f, 0);
    s->fade[0] = std::clamp(s->fade[0], 0.0f, 1.0f);
    return s->fade[0];
}

// --- Layers ---

static void blocker(qel_context* ctx, uint32_t id, qel_rect r)
{
    if (!(r.w > 0) || !(r.h > 0)) return;
    qel_interact(ctx, id, 0);
    int32_t node = qel_node_floating(ctx, id, r.x, r.y, r.w, r.h);
    qel_node_mark_interactive(ctx, node, 0);
}

static void scrim_layer(qel_context* ctx, uint32_t id, const tour_spotlight* p, bool block_all, qel_vec2 view)
{
    qel_overlay_begin(ctx, id ^ SCRIM_LAYER, SCRIM_Z, 0, QEL_PLACE_FILL, 0);
    int32_t node = qel_node_sized(ctx, id ^ SCRIM_LAYER, {QEL_SIZE_GROW, 1}, {QEL_SIZE_GROW, 1});
    qel_node_at(ctx, node)->direction = QEL_DIR_STACK;
    qel_node_draw_with(ctx, node, qel_tour_spotlight_draw, p, sizeof *p, false);
    qel_node_push(ctx, node);
    qel_rect h = p->hole;
    if (block_all) {
        blocker(ctx, id ^ BLOCK_KEY, {0, 0, view.x, view.y});
    } else {
        blocker(ctx, id ^ BLOCK_KEY, {0, 0, view.x, h.y});
        blocker(ctx, id ^ (BLOCK_KEY + 1), {0, h.y + h.h, view.x, view.y - (h.y + h.h)});
        blocker(ctx, id ^ (BLOCK_KEY + 2), {0, h.y, h.x, h.h});
        blocker(ctx, id ^ (BLOCK_KEY + 3), {h.x + h.w, h.y, view.x - (h.x + h.w), h.h});
    }
    qel_node_pop(ctx);
    qel_overlay_end(ctx);
}

// Exactly two int conversions (flags and a width of at most two digits), so printing the step
// and the count through it is sound.
static bool takes_two_ints(const char* format)
{
    int conversions = 0;
    for (const char* p = format; *p; p++) {
        if (*p != '%') continue;
        if (*++p == '%') continue;
        p += strspn(p, "-+ 0");
        for (int digits = 0; *p >= '0' && *p <= '9'; p++)
            if (++digits > 2) return false;
        if (*p != 'd' && *p != 'i') return false;
        conversions++;
    }
    return conversions == 2;
}

static const char* counter_text(qel_context* ctx, const char* format, int32_t step, int32_t count)
{
    if (!format || !takes_two_ints(format)) return qel_arena_sprintf(ctx, "%d of %d", step, count);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    // Checked above: the format consumes exactly the two ints passed.
    return qel_arena_sprintf(ctx, format, step, count);
#pragma GCC diagnostic pop
}

static void text_line(qel_context* ctx, const char* text, float size, qel_theme_slot color, float line_height,
                      bool grow)
{
    qel_text_opts t = {};
    t.size = size;
    t.color = qel_color_token(color);
    t.line_height = line_height;
    if (grow) t.width = {QEL_SIZE_GROW, 1};
    qel_text_ex(ctx, text, &t);
}

static void dots(qel_context* ctx, uint32_t id, int32_t count, int32_t current)
{
    for (int32_t i = 0; i < count; i++) {
        bool now = i == current;
        int32_t node = qel_node_sized(ctx, qel_hash_bytes(&i, sizeof i, id ^ DOT_KEY), {QEL_SIZE_FIXED, now ? 14.0f : 6.0f},
                                      {QEL_SIZE_FIXED, 6});
        qel_node* n = qel_node_at(ctx, node);
        n->fill = qel_theme_color(ctx, now ? QEL_COLOR_TEXT : QEL_COLOR_BORDER_STRONG);
        qel_node_round(n, 3);
    }
}

struct tour_card {
    uint32_t id;
    const qel_tour_step* step;
    int32_t current, count;
    float width, fade;
    const qel_tour_options* o;
};

static qel_tour_action card_content(qel_context* ctx, const tour_card* c)
{
    qel_tour_action action = QEL_TOUR_NONE;
    const qel_theme& th = ctx->theme.current;
    float scale = th.ui_scale > 0 ? th.ui_scale : 1;
    qel_style row = {};
    row.width = {QEL_SIZE_GROW, 1};
    row.align = QEL_ALIGN_CENTER;
    qel_row_begin(ctx, &row);
    text_line(ctx, counter_text(ctx, c->o->counter_format, c->current + 1, c->count), th.text_xs * scale,
              QEL_COLOR_TEXT_MUTED, 1.4f, true);
    qel_button_opts close = {};
    close.variant = QEL_BUTTON_GHOST;
    close.size = 1;
    close.tooltip = "End the tour";
    close.width = {QEL_SIZE_FIXED, 24};
    if (qel_icon_button(ctx, QEL_ICON_X, &close)) action = QEL_TOUR_END;
    qel_container_end(ctx);
    if (c->step->title && *c->step->title)
        text_line(ctx, c->step->title, (th.text_large + 1) * scale, QEL_COLOR_TEXT, 1.35f, false);
    if (c->step->body && *c->step->body)
        text_line(ctx, c->step->body, th.text_body * scale, QEL_COLOR_TEXT_SECONDARY, 1.5f, false);
    qel_style footer = row;
    footer.padding_top = 6;
    footer.gap = 6;
    qel_row_begin(ctx, &footer);
    if (c->count <= MAX_DOTS) dots(ctx, c->id, c->count, c->current);
    qel_spacer(ctx);
    qel_button_opts back = {};
    back.variant = QEL_BUTTON_GHOST;
    back.size = 1;
    if (c->current >= 1 && qel_button(ctx, c->o->back_label ? c->o->back_label : "Back", &back)) action = QEL_TOUR_BACK;
    qel_button_opts next = back;
    next.variant = QEL_BUTTON_PRIMARY;
    bool last = c->current == c->count - 1;
    const char* label = last ? (c->o->done_label ? c->o->done_label : "Done") : (c->o->next_label ? c->o->next_label : "Next");
    if (qel_button(ctx, label, &next)) action = last ? QEL_TOUR_DONE : QEL_TOUR_NEXT;
    qel_container_end(ctx);
    return action;
}

static qel_tour_action card_layer(qel_context* ctx, const tour_card* c, const char* label, bool has_target,
                                  float padding)
{
    if (has_target) qel_overlay_begin(ctx, c->id ^ CARD_LAYER, CARD_Z, c->step->target, (uint8_t)c->step->placement, padding + CARD_GAP);
    else qel_overlay_begin(ctx, c->id ^ CARD_LAYER, CARD_Z, 0, QEL_PLACE_CENTER, 0);
    bool dark = qel_theme_get_mode(ctx) == QEL_THEME_DARK;
    qel_style s = {};
    s.width = {QEL_SIZE_FIXED, c->width};
    s.fill = qel_color_token(QEL_COLOR_ELEVATED);
    s.border = dark ? qel_color_token(QEL_COLOR_BORDER) : qel_color_alpha(0xff000000u, 0.06f);
    s.border_width = 1;
    s.radius = ctx->theme.current.radius_medium;
    s.elevation = 3;
    s.padding_top = s.padding_bottom = 16;
    s.padding_left = s.padding_right = 18;
    s.gap = 8;
    s.opacity = std::max(c->fade, 0.001f);
    int32_t node = qel_node_sized(ctx, c->id ^ CARD_KEY, s.width, {QEL_SIZE_FIT, 0});
    qel_node_apply_style(ctx, node, &s);
    qel_node* n = qel_node_at(ctx, node);
    n->direction = QEL_DIR_COLUMN;
    n->translate_y = (1 - c->fade) * 6;
    qel_node_push(ctx, node);
    qel_push_id(ctx, label);
    qel_tour_action action = card_content(ctx, c);
    qel_pop_id(ctx);
    qel_node_pop(ctx);
    qel_overlay_end(ctx);
    return action;
}

static qel_tour_action tour_keys(qel_context* ctx, int32_t current, int32_t count)
{
    if (qel_text_edit_active(ctx)) return QEL_TOUR_NONE;
    bool last = current == count - 1;
    if (qel_key_take(ctx, QEL_KEY_ESCAPE)) return QEL_TOUR_END;
    if (qel_key_take(ctx, QEL_KEY_RIGHT) || (!ctx->interaction.focus_visible && qel_key_take(ctx, QEL_KEY_ENTER)))
        return last ? QEL_TOUR_DONE : QEL_TOUR_NEXT;
    if (current >= 1 && qel_key_take(ctx, QEL_KEY_LEFT)) return QEL_TOUR_BACK;
    return QEL_TOUR_NONE;
}

static float settle_width(float width, float view_w)
{
    float most = std::max(0.0f, view_w - 24);
    if (!std::isfinite(width) || width <= 0) return std::min(300.0f, most);
    return std::min(width, most);
}

qel_tour_action qel_tour(qel_context* ctx, const char* label, const qel_tour_step* steps, int32_t count,
                         int32_t* current, const qel_tour_options* options)
{
    if (!steps || count < 1 || !current || *current < 0) return QEL_TOUR_NONE;
    const qel_tour_options none = {};
    const qel_tour_options* o = options ? options : &none;
    if (*current >= count) *current = count - 1;
    label = label ? label : "tour";
    uint32_t id = qel_id(ctx, label);
    auto* s = qel_state_record_of<qel_tour_state>(ctx, id ^ STATE_KEY, "qel_tour_state");
    const qel_tour_step* step = &steps[*current];
    qel_vec2 view = qel_ctx_display_size(ctx);
    float padding = std::isfinite(o->padding) && o->padding > 0 ? o->padding : 6;

    qel_rect last = step->target ? qel_id_rect(ctx, step->target) : qel_rect{};
    bool laid_out = last.w > 0, has_target = laid_out && last.h > 0;
    qel_rect target = grown(laid_out ? last : qel_rect{}, padding);
    float speed = move_spotlight(ctx, s, *current, target);
    float fade = card_fade(ctx, s, *current);

    bool dark = qel_theme_get_mode(ctx) == QEL_THEME_DARK;
    tour_spotlight p = {};
    p.hole = spotlight_rect(s);
    p.radius = HOLE_RADIUS;
    p.fade = fade;
    p.scale = qel_ctx_scale(ctx);
    p.has_target = has_target;
    p.scrim = qel_theme_color(ctx, QEL_COLOR_SCRIM);
    p.ring = qel_color_alpha(0xffffffffu, (dark ? 200.0f : 235.0f) / 255);
    scrim_layer(ctx, id, &p, !has_target || o->block_target, view);

    tour_card c = {id, step, *current, count, settle_width(o->width, view.x), fade, o};
    qel_tour_action action = card_layer(ctx, &c, label, has_target, padding);
    if (action == QEL_TOUR_NONE) action = tour_keys(ctx, *current, count);

    if (action == QEL_TOUR_NEXT) *current += 1;
    else if (action == QEL_TOUR_BACK) *current -= 1;
    else if (action == QEL_TOUR_DONE || action == QEL_TOUR_END) *current = -1, s->shown = 0;
    if (fade < 0.999f || speed > 0.01f) qel_request_redraw(ctx);
    return action;
}
