// The image cropper: the hit zones of the crop, the drags that move, resize or draw it under its
// aspect ratio, the keys, and the dimmed image with the hole, guides, handles and size label.
#include "kit/state_records.h"
#include "qel/image_cropper.h"

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
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "widgets/editors/image_view_parts.h"

static const float CROP_TOLERANCE = 12, CROP_MARGIN = 14;

namespace {

struct crop_rect {
    float x, y, w, h;
};

// The image on screen: its origin and scale.
struct crop_map {
    float ox, oy, s;
};

// The image and the crop's limits.
struct crop_space {
    float W, H, aspect, min_size;  // aspect 0: free
    bool circle;
};

}  // namespace

struct cropper_state {
    uint32_t zone;
    float press_x, press_y;
    crop_rect at_press;
    float guides;
};

struct cropper_paint {
    uint64_t texture;
    crop_space space;
    crop_rect crop;
    float guides, radius, label_size;
    uint32_t hover;
    uint8_t ring;
};

static crop_map crop_mapping(qel_rect vp, float W, float H)
{
    float s = std::max(std::min((vp.w - 2 * CROP_MARGIN) / W, (vp.h - 2 * CROP_MARGIN) / H), 0.0001f);
    return {vp.x + (vp.w - W * s) / 2, vp.y + (vp.h - H * s) / 2, s};
}

static qel_rect crop_on_screen(const crop_map& m, const crop_rect& c)
{
    return {m.ox + c.x * m.s, m.oy + c.y * m.s, c.w * m.s, c.h * m.s};
}

static crop_rect crop_default(const crop_space& sp)
{
    if (!(sp.aspect > 0)) return {0.1f * sp.W, 0.1f * sp.H, 0.8f * sp.W, 0.8f * sp.H};
    float w = sp.W, h = sp.W / sp.aspect;
    if (h > sp.H) h = sp.H, w = sp.aspect * sp.H;
    w *= 0.86f, h *= 0.86f;
    return {(sp.W - w) / 2, (sp.H - h) / 2, w, h};
}

static void crop_normalise(const crop_space& sp, crop_rect* c)
{
    c->w = std::clamp(c->w, sp.min_size, sp.W);
    c->h = std::clamp(c->h, sp.min_size, sp.H);
    c->x = std::clamp(c->x, 0.0f, sp.W - c->w);
    c->y = std::clamp(c->y, 0.0f, sp.H - c->h);
}

static uint32_t crop_hover_zone(const crop_space& sp, qel_rect r, qel_vec2 p)
{
    const float t = CROP_TOLERANCE;
    if (!(p.x > r.x - t && p.x < r.x + r.w + t && p.y > r.y - t && p.y < r.y + r.h + t)) return QEL_CROP_NONE;
    bool left = std::fabs(p.x - r.x) <= t, right = std::fabs(p.x - r.x - r.w) <= t;
    bool top = std::fabs(p.y - r.y) <= t, bottom = std::fabs(p.y - r.y - r.h) <= t;
    if (left && top) return QEL_CROP_TOP_LEFT;
    if (right && top) return QEL_CROP_TOP_RIGHT;
    if (left && bottom) return QEL_CROP_BOTTOM_LEFT;
    if (right && bottom) return QEL_CROP_BOTTOM_RIGHT;
    if (!sp.circle) {
        if (top) return QEL_CROP_TOP;
        if (bottom) return QEL_CROP_BOTTOM;
        if (left) return QEL_CROP_LEFT;
        if (right) return QEL_CROP_RIGHT;
    }
    return p.x >= r.x && p.x <= r.x + r.w && p.y >= r.y && p.y <= r.y + r.h ? QEL_CROP_MOVE : QEL_CROP_NONE;
}

// One axis of a new rectangle: from the press (held in the image) toward the pointer, at least
// the minimum, its length and direction.
static float new_side(float press, float pointer, float min_size, float* dir)
{
    *dir = pointer >= press ? 1.0f : -1.0f;
    return std::max(std::fabs(pointer - press), min_size);
}

// Limits w x h to the room, keeping the aspect when there is one.
static void fit_room(const crop_space& sp, float* w, float* h, float room_x, float room_y)
{
    if (*w > room_x) {
        *w = room_x;
        if (sp.aspect > 0) *h = *w / sp.aspect;
    }
    if (*h > room_y) {
        *h = room_y;
        if (sp.aspect > 0) *w = *h * sp.aspect;
    }
}

static crop_rect crop_new(const crop_space& sp, float px, float py, float qx, float qy)
{
    px = std::clamp(px, 0.0f, sp.W), py = std::clamp(py, 0.0f, sp.H);
    float dx, dy, w = new_side(px, qx, sp.min_size, &dx), h = new_side(py, qy, sp.min_size, &dy);
    if (sp.aspect > 0) w = std::max(w, h * sp.aspect), h = w / sp.aspect;
    fit_room(sp, &w, &h, dx > 0 ? sp.W - px : px, dy > 0 ? sp.H - py : py);
    return {dx > 0 ? px : px - w, dy > 0 ? py : py - h, w, h};
}

// Resizing by edges and corners: the dragged edges move, the opposite ones stay.
static crop_rect crop_resize(const crop_space& sp, uint32_t zone, const crop_rect& c0, float dx, float dy)
{
    bool left = zone == QEL_CROP_LEFT || zone == QEL_CROP_TOP_LEFT || zone == QEL_CROP_BOTTOM_LEFT;
    bool right = zone == QEL_CROP_RIGHT || zone == QEL_CROP_TOP_RIGHT || zone == QEL_CROP_BOTTOM_RIGHT;
    bool top = zone == QEL_CROP_TOP || zone == QEL_CROP_TOP_LEFT || zone == QEL_CROP_TOP_RIGHT;
    bool bottom = zone == QEL_CROP_BOTTOM || zone == QEL_CROP_BOTTOM_LEFT || zone == QEL_CROP_BOTTOM_RIGHT;
    float x1 = c0.x + c0.w, y1 = c0.y + c0.h;
    float room_x = left ? x1 : sp.W - c0.x, room_y = top ? y1 : sp.H - c0.y;
    float w = c0.w, h = c0.h;
    if (left) w = std::clamp(c0.w - dx, sp.min_size, room_x);
    if (right) w = std::clamp(c0.w + dx, sp.min_size, room_x);
    if (top) h = std::clamp(c0.h - dy, sp.min_size, room_y);
    if (bottom) h = std::clamp(c0.h + dy, sp.min_size, room_y);
    float cx = c0.x + c0.w / 2, cy = c0.y + c0.h / 2;
    if (sp.aspect > 0) {
        if ((left || right) && (top || bottom)) {
            w = std::max(w, h * sp.aspect), h = w / sp.aspect;
            fit_room(sp, &w, &h, room_x, room_y);
        } else if (top || bottom) {
            w = h * sp.aspect;  // centred on the old middle, within the image
            fit_room(sp, &w, &h, 2 * std::min(cx, sp.W - cx), room_y);
        } else {
            h = w / sp.aspect;
            fit_room(sp, &w, &h, room_x, 2 * std::min(cy, sp.H - cy));
        }
    }
    crop_rect c = {left ? x1 - w : c0.x, top ? y1 - h : c0.y, w, h};
    if (sp.aspect > 0 && !(left || right)) c.x = cx - w / 2;
    if (sp.aspect > 0 && !(top || bottom)) c.y = cy - h / 2;
    return c;
}

static void crop_drag(const cropper_state* s, const crop_space& sp, crop_rect* c, qel_vec2 p)
{
    float dx = p.x - s->press_x, dy = p.y - s->press_y;
    const crop_rect& c0 = s->at_press;
    if (s->zone == QEL_CROP_MOVE)
        *c = {std::clamp(c0.x + dx, 0.0f, sp.W - c0.w), std::clamp(c0.y + dy, 0.0f, sp.H - c0.h), c0.w, c0.h};
    else if (s->zone == QEL_CROP_NEW)
        *c = crop_new(sp, s->press_x, s->press_y, p.x, p.y);
    else
        *c = crop_resize(sp, s->zone, c0, dx, dy);
}

static void crop_keys(qel_context* ctx, crop_rect* c)
{
    float step = qel_modifiers(ctx) & QEL_MOD_SHIFT ? 10.0f : 1.0f;
    if (qel_key_pressed(ctx, QEL_KEY_LEFT)) c->x -= step;
    if (qel_key_pressed(ctx, QEL_KEY_RIGHT)) c->x += step;
    if (qel_key_pressed(ctx, QEL_KEY_UP)) c->y -= step;
    if (qel_key_pressed(ctx, QEL_KEY_DOWN)) c->y += step;
}

static void crop_cursor(qel_context* ctx, uint32_t zone)
{
    if (zone == QEL_CROP_TOP || zone == QEL_CROP_BOTTOM) qel_set_cursor(ctx, QEL_CURSOR_RESIZE_NS);
    else if (zone == QEL_CROP_LEFT || zone == QEL_CROP_RIGHT) qel_set_cursor(ctx, QEL_CURSOR_RESIZE_EW);
    else if (zone == QEL_CROP_MOVE || zone >= QEL_CROP_TOP_RIGHT) qel_set_cursor(ctx, QEL_CURSOR_MOVE);
}

// --- Drawing ---

static void fill(qel_context* ctx, float x, float y, float w, float h, qel_color c)
{
    qel_rect r = {x, y, w, h};
    qel_draw_rect(ctx, &r, nullptr, c);
}

// In circle mode, the corners of the hole outside its circle: a fan from each corner to its
// quarter of the circle.
static void dim_corners(qel_context* ctx, qel_rect h, float radius, qel_color c)
{
    const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int32_t k = 0; k < 4; k++) {
        float cx = h.x + corners[k][0] * h.w, cy = h.y + corners[k][1] * h.h;
        float ox = corners[k][0] ? cx - radius : cx + radius, oy = corners[k][1] ? cy - radius : cy + radius;
        float start = 3.14159265f * (1 + 0.5f * (float)k);
        qel_triangle_vertex v[14];
        uint32_t index[36];
        v[0] = {cx, cy, c};
        for (int32_t i = 0; i <= 12; i++) {
            float a = start + 1.5707963f * (float)i / 12;
            v[1 + i] = {ox + radius * std::cos(a), oy + radius * std::sin(a), c};
        }
        for (uint32_t i = 0; i < 12; i++) index[3 * i] = 0, index[3 * i + 1] = 1 + i, index[3 * i + 2] = 2 + i;
        qel_draw_triangles(ctx, v, 14, index, 36);
    }
}

static void crop_dim(qel_context* ctx, const cropper_paint* p, qel_rect image, qel_rect hole)
{
    qel_color dim = 0x8C000000;
    float top = hole.y - image.y, bottom = image.y + image.h - hole.y - hole.h;
    fill(ctx, image.x, image.y, image.w, top, dim);
    fill(ctx, image.x, hole.y + hole.h, image.w, bottom, dim);
    fill(ctx, image.x, hole.y, hole.x - image.x, hole.h, dim);
    fill(ctx, hole.x + hole.w, hole.y, image.x + image.w - hole.x - hole.w, hole.h, dim);
    if (p->space.circle) dim_corners(ctx, hole, std::min(hole.w, hole.h) / 2, dim);
}

static void crop_handles(qel_context* ctx, const cropper_paint* p, qel_rect h)
{
    float len = std::min(0.3f * h.h, 18.0f), radii[4] = {1, 1, 1, 1};
    auto bar = [&](float x, float y, float w, float hh) {
        qel_rect r = {x, y, w, hh};
        qel_draw_box_shadow(ctx, &r, radii, 3, 0, {0, 1}, 0x3C000000);
        qel_draw_rect(ctx, &r, radii, 0xFFFFFFFF);
    };
    float l = h.x - 3, t = h.y - 3, r = h.x + h.w, b = h.y + h.h;
    bar(l, t, len + 3, 3), bar(l, t, 3, len + 3);
    bar(r - len, t, len + 3, 3), bar(r, t, 3, len + 3);
    bar(l, b, len + 3, 3), bar(l, b - len, 3, len + 3);
    bar(r - len, b, len + 3, 3), bar(r, b - len, 3, len + 3);
    if (p->space.circle || !(h.w > 60 && h.h > 60)) return;
    float mx = h.x + h.w / 2, my = h.y + h.h / 2;
    bar(mx - 8, t, 16, 3), bar(mx - 8, b, 16, 3);
    bar(l, my - 8, 3, 16), bar(r, my - 8, 3, 16);
}

static void crop_guides_and_label(qel_context* ctx, const cropper_paint* p, qel_rect h, qel_rect vp)
{
    if (!(p->guides > 0.01f)) return;
    qel_color line = (qel_color)((uint32_t)(p->guides * 120) << 24 | 0xFFFFFF);
    for (int32_t i = 1; i < 3; i++) {
        fill(ctx, h.x + h.w * (float)i / 3, h.y, 1, h.h, line);
        fill(ctx, h.x, h.y + h.h * (float)i / 3, h.w, 1, line);
    }
    const char* text = qel_arena_sprintf(ctx, "%.0f \xC3\x97 %.0f", (double)p->crop.w, (double)p->crop.h);
    float w = qel_text_width(ctx, QEL_FONT_MEDIUM, p->label_size, text, -1, 0) + 14;
    qel_rect pill = {h.x + h.w / 2 - w / 2, std::min(h.y + h.h + 8, vp.y + vp.h - 22), w, 20};
    float radii[4] = {10, 10, 10, 10};
    qel_draw_rect(ctx, &pill, radii, (qel_color)((uint32_t)(p->guides * 170) << 24));
    qel_draw_text_aligned(ctx, QEL_FONT_MEDIUM, p->label_size, pill.x + 7, pill.y + 10, 0,
                          (qel_color)((uint32_t)(p->guides * 255) << 24 | 0xFFFFFF), text, 0);
}

static void qel_image_cropper_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const cropper_paint*)user;
    qel_rect vp = node->rect;
    crop_map m = crop_mapping(vp, p->space.W, p->space.H);
    qel_rect image = {m.ox, m.oy, p->space.W * m.s, p->space.H * m.s};
    qel_draw_image_in_viewport(ctx, p->texture, image, vp, p->radius, 0xFFFFFFFF);
    // The hole on whole device pixels, so its edges stay sharp.
    float scale = ctx->clock.scale > 0 ? ctx->clock.scale : 1;
    qel_rect c = crop_on_screen(m, p->crop);
    float x0 = std::round(c.x * scale) / scale, y0 = std::round(c.y * scale) / scale;
    float x1 = std::round((c.x + c.w) * scale) / scale, y1 = std::round((c.y + c.h) * scale) / scale;
    qel_rect hole = {x0, y0, x1 - x0, y1 - y0};
    crop_dim(ctx, p, image, hole);
    crop_guides_and_label(ctx, p, hole, vp);
    float none[4] = {}, round = std::min(hole.w, hole.h) / 2;
    if (p->space.circle) {
        qel_draw_arc(ctx, {hole.x + hole.w / 2, hole.y + hole.h / 2}, round, 0, 6.2831853f, 1.5f, 0xFFFFFFFF);
        qel_draw_rect_bordered(ctx, &hole, none, 0, 0x6EFFFFFF, 1);
    } else {
        qel_draw_rect_bordered(ctx, &hole, none, 0, 0xFFFFFFFF, 1.5f);
    }
    crop_handles(ctx, p, hole);
    float radii[4] = {p->radius, p->radius, p->radius, p->radius};
    if (p->ring) qel_draw_focus_ring(ctx, &vp, radii, 1);
}

// --- Widget ---

static crop_space crop_space_of(const qel_image_cropper_opts& o, int32_t width, int32_t height)
{
    crop_space sp = {(float)std::max(width, 1), (float)std::max(height, 1), 0, 16, o.circle};
    if (o.circle) sp.aspect = 1;
    else if (std::isfinite(o.aspect) && o.aspect > 0) sp.aspect = o.aspect;
    if (std::isfinite(o.min_size) && o.min_size > 0) sp.min_size = o.min_size;
    sp.min_size = std::min(sp.min_size, std::min(sp.W, sp.H));
    return sp;
}

int32_t qel_image_cropper(qel_context* ctx, const char* label, uint64_t texture, int32_t width, int32_t height,
                          float* crop, const qel_image_cropper_opts* options)
{
    qel_image_cropper_opts o = options ? *options : qel_image_cropper_opts{};
    float local[4] = {};
    if (!crop) crop = local;
    const float entry[4] = {crop[0], crop[1], crop[2], crop[3]};
    crop_space sp = crop_space_of(o, width, height);
    uint32_t id = qel_id(ctx, label ? label : "cropper");
    auto* s = qel_state_record_of<cropper_state>(ctx, id, "cropper_state");
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE | QEL_INTERACT_HOLD_OUTSIDE);
    crop_rect c = {crop[0], crop[1], crop[2], crop[3]};
    bool finite = std::isfinite(c.x) && std::isfinite(c.y) && std::isfinite(c.w) && std::isfinite(c.h);
    if (!finite || !(c.w > 0) || !(c.h > 0)) c = crop_default(sp);
    qel_rect vp = qel_id_rect(ctx, id);
    bool laid_out = vp.w > 0;
    crop_map m = crop_mapping(laid_out ? vp : qel_rect{0, 0, 480, 360}, sp.W, sp.H);
    qel_vec2 mouse = qel_mouse_pos(ctx), p = {(mouse.x - m.ox) / m.s, (mouse.y - m.oy) / m.s};
    uint32_t hover = it.hovered && laid_out ? crop_hover_zone(sp, crop_on_screen(m, c), mouse) : QEL_CROP_NONE;
    if (laid_out && it.held && qel_mouse_pressed(ctx, 0)) {
        s->zone = hover ? hover : (uint32_t)QEL_CROP_NEW;
        s->press_x = p.x, s->press_y = p.y;
        s->at_press = c;
    }
    if (!(it.held && qel_mouse_down(ctx, 0))) s->zone = QEL_CROP_NONE;
    if (s->zone && qel_mouse_in_window(ctx)) crop_drag(s, sp, &c, p);
    if (it.focused) crop_keys(ctx, &c);
    crop_normalise(sp, &c);
    crop[0] = c.x, crop[1] = c.y, crop[2] = c.w, crop[3] = c.h;
    qel_anim_exp(ctx, &s->guides, s->zone ? 1.0f : 0.0f, 0.18f);
    crop_cursor(ctx, s->zone ? s->zone : hover);
    int32_t node = qel_node_sized(ctx, id, o.width.kind ? o.width : qel_size{QEL_SIZE_GROW, 1},
                                  o.height.kind ? o.height : qel_size{QEL_SIZE_FIXED, 360});
    qel_node* n = qel_node_at(ctx, node);
    n->fill = qel_dark_mode(ctx) ? qel_color_mix(qel_theme_color(ctx, QEL_COLOR_BACKGROUND),
                                                 qel_theme_color(ctx, QEL_COLOR_TEXT), 0.04f)
                                 : 0xFF1B1818;
    float radius = ctx->theme.current.radius_small;
    qel_node_round(n, radius);
    qel_node_mark_interactive(ctx, node, QEL_INTERACT_FOCUSABLE);
    const qel_theme& th = ctx->theme.current;
    cropper_paint paint = {texture, sp, c, s->guides, radius, th.text_xs * th.ui_scale, hover,
                           (uint8_t)(it.focused && it.focus_visible)};
    qel_node_draw_with(ctx, node, qel_image_cropper_draw, &paint, sizeof paint, false);
    qel_set_last_item(ctx, id);
    for (int32_t i = 0; i < 4; i++)
        if (!(crop[i] == entry[i])) return 1;
    return 0;
}
