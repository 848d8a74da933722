// The image viewer: zoom and pan from the wheel, drags, double-clicks, keys and the toolbar, held
// within the image; the springs that show them; and the image and checkerboard drawn clipped to
// the rounded viewport, which the cropper draws with too.
#include "kit/state_records.h"
#include "qel/image_viewer.h"

#include <algorithm>
#include <cmath>

#include "core/core.h"
#include "kit/marks.h"
#include "kit/widget_nodes.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/button.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/frame.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "widgets/editors/image_view_parts.h"

static const uint32_t VIEWER_WHEEL_KEY = 0x1a6e1, VIEWER_TOOLBAR_KEY = 0x1a6e2;

qel_rect qel_rect_intersect(qel_rect a, qel_rect b)
{
    float x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
    float x1 = std::min(a.x + a.w, b.x + b.w), y1 = std::min(a.y + a.h, b.y + b.h);
    return {x0, y0, std::max(x1 - x0, 0.0f), std::max(y1 - y0, 0.0f)};
}

void qel_draw_image_in_viewport(qel_context* ctx, uint64_t texture, qel_rect image, qel_rect viewport, float radius,
                                qel_color tint)
{
    qel_rect v = qel_rect_intersect(image, viewport);
    if (!(image.w > 0 && image.h > 0 && v.w > 0 && v.h > 0)) return;
    qel_rect uv = {(v.x - image.x) / image.w, (v.y - image.y) / image.h, v.w / image.w, v.h / image.h};
    bool left = std::fabs(v.x - viewport.x) <= 0.5f, top = std::fabs(v.y - viewport.y) <= 0.5f;
    bool right = std::fabs(v.x + v.w - viewport.x - viewport.w) <= 0.5f;
    bool bottom = std::fabs(v.y + v.h - viewport.y - viewport.h) <= 0.5f;
    float radii[4] = {left && top ? radius : 0, right && top ? radius : 0, right && bottom ? radius : 0,
                      left && bottom ? radius : 0};
    qel_draw_image(ctx, texture, &v, &uv, radii, tint);
}

void qel_draw_checkerboard(qel_context* ctx, qel_rect r, bool dark)
{
    if (!(r.w > 0 && r.h > 0)) return;
    qel_draw_rect(ctx, &r, nullptr, dark ? 0xFF322E2E : 0xFFEEECEC);
    qel_color square = dark ? 0xFF3E3A3A : 0xFFFBFAFA;
    // Only the squares in view: a very large view would step a float past its precision.
    qel_mark_run rows = qel_marks_in_view(ctx, r.y, (double)r.y + r.h, 10, true);
    qel_mark_run columns = qel_marks_in_view(ctx, r.x, (double)r.x + r.w, 10, false);
    int64_t phase = std::llround((rows.first - r.y) / 10) + std::llround((columns.first - r.x) / 10);
    for (int32_t row = 0; row < rows.count; row++) {
        double y = rows.first + 10.0 * row;
        for (int32_t column = (int32_t)((phase + row) & 1); column < columns.count; column += 2) {
            double x = columns.first + 10.0 * column;
            qel_rect cell = {(float)x, (float)y, (float)std::min(10.0, (double)r.x + r.w - x),
                             (float)std::min(10.0, (double)r.y + r.h - y)};
            qel_draw_rect(ctx, &cell, nullptr, square);
        }
    }
}

namespace {

// The view this frame is after: its zoom and centre in image pixels, and its limits.
struct viewer_target {
    float zoom, cx, cy;
    bool fit_mode;
    float fit, min_zoom, max_zoom;
    float iw, ih, W, H;
};

}  // namespace

struct viewer_state {
    float zoom[2], cx[2], cy[2];  // displayed, with their springs' velocities
    uint8_t started, dragging;
    float anchor_px, anchor_py, anchor_cx, anchor_cy;
};

struct viewer_paint {
    uint64_t texture;
    float iw, ih, zoom, cx, cy;
    uint32_t wheel_id;
    uint8_t checkerboard, dark, ring;
    float radius;
};

static float clamp_zoom(const viewer_target& t, float z)
{
    return std::clamp(z, t.min_zoom, t.max_zoom);
}

// Back to fit mode: the fitted zoom, the image's centre.
static void view_fit(viewer_target* t)
{
    t->fit_mode = true;
    t->zoom = t->fit;
    t->cx = t->iw / 2;
    t->cy = t->ih / 2;
}

// A new zoom about a screen point: the image point under it stays there.
static void zoom_about(viewer_target* t, float zoom, float sx, float sy, qel_rect vp)
{
    float z = clamp_zoom(*t, zoom), dx = sx - (vp.x + t->W / 2), dy = sy - (vp.y + t->H / 2);
    t->cx += dx / t->zoom - dx / z;
    t->cy += dy / t->zoom - dy / z;
    t->zoom = z;
    t->fit_mode = false;
}

// The centre on each axis: the image's middle while the image fits it, else kept within it.
static void clamp_centre(viewer_target* t)
{
    auto axis = [&](float* c, float size, float view) {
        if (size * t->zoom <= view) *c = size / 2;
        else *c = std::clamp(*c, view / 2 / t->zoom, size - view / 2 / t->zoom);
    };
    axis(&t->cx, t->iw, t->W);
    axis(&t->cy, t->ih, t->H);
}

static viewer_target viewer_start(const qel_image_view& v, qel_rect prev, const qel_image_viewer_opts& o, float iw,
                                  float ih)
{
    viewer_target t = {};
    t.iw = iw, t.ih = ih;
    t.W = prev.w > 0 ? prev.w : 480;
    t.H = prev.h > 0 ? prev.h : o.height.kind == QEL_SIZE_FIXED ? o.height.value : 360;
    if (!(t.H > 0)) t.H = 360;  // a fixed height of 0 or less would fit to nothing
    t.fit = std::min(t.W / iw, t.H / ih);
    t.min_zoom = std::min(t.fit, 1.0f);
    t.max_zoom = std::max(std::isfinite(o.max_zoom) && o.max_zoom > 0 ? o.max_zoom : 16, t.fit);
    if (!(v.zoom > 0) || !std::isfinite(v.zoom)) {
        view_fit(&t);
        return t;
    }
    t.zoom = clamp_zoom(t, v.zoom);
    t.cx = std::isfinite(v.centre_x) ? v.centre_x : iw / 2;
    t.cy = std::isfinite(v.centre_y) ? v.centre_y : ih / 2;
    return t;
}

static void viewer_pointer(qel_context* ctx, viewer_state* s, viewer_target* t, const qel_interaction& it, uint32_t id,
                           qel_rect prev)
{
    bool laid_out = prev.w > 0;
    qel_input* in = &ctx->input;
    qel_vec2 m = qel_mouse_pos(ctx);
    if (laid_out && ctx->interaction.scroll_target == (id ^ VIEWER_WHEEL_KEY) && in->wheel_y != 0) {
        zoom_about(t, t->zoom * std::pow(1.2f, in->wheel_y), m.x, m.y, prev);
        in->wheel_y = 0;
    }
    if (it.double_clicked) {
        if (t->zoom >= 0.999f && !t->fit_mode) view_fit(t);
        else zoom_about(t, std::min(t->max_zoom, 1.0f), m.x, m.y, prev);
    }
    if (!(laid_out && it.held && qel_mouse_down(ctx, 0))) {
        s->dragging = 0;
        return;
    }
    if (!qel_mouse_in_window(ctx)) return;
    if (qel_mouse_pressed(ctx, 0) || !s->dragging) {
        s->dragging = 1;
        s->anchor_px = m.x, s->anchor_py = m.y, s->anchor_cx = t->cx, s->anchor_cy = t->cy;
    }
    if (m.x != s->anchor_px || m.y != s->anchor_py) {
        t->cx = s->anchor_cx - (m.x - s->anchor_px) / t->zoom;
        t->cy = s->anchor_cy - (m.y - s->anchor_py) / t->zoom;
        t->fit_mode = false;
    }
    qel_set_cursor(ctx, QEL_CURSOR_MOVE);
}

static void viewer_keys(qel_context* ctx, viewer_target* t)
{
    float step = 48 / t->zoom;
    auto zoom_to = [&](float z) {
        t->zoom = clamp_zoom(*t, z);
        t->fit_mode = false;
    };
    auto pan = [&](float dx, float dy) {
        t->cx += dx, t->cy += dy;
        t->fit_mode = false;
    };
    if (qel_key_pressed(ctx, QEL_KEY_EQUAL)) zoom_to(t->zoom * 1.5f);
    if (qel_key_pressed(ctx, QEL_KEY_MINUS)) zoom_to(t->zoom / 1.5f);
    if (qel_key_pressed(ctx, QEL_KEY_0 + 1)) zoom_to(std::min(t->max_zoom, 1.0f));
    if (qel_key_pressed(ctx, QEL_KEY_LEFT)) pan(-step, 0);
    if (qel_key_pressed(ctx, QEL_KEY_RIGHT)) pan(step, 0);
    if (qel_key_pressed(ctx, QEL_KEY_UP)) pan(0, -step);
    if (qel_key_pressed(ctx, QEL_KEY_DOWN)) pan(0, step);
    if (qel_key_pressed(ctx, QEL_KEY_0)) view_fit(t);
}

static void view_write(viewer_target* t, qel_image_view* view)
{
    if (t->fit_mode) view_fit(t);
    clamp_centre(t);
    *view = {t->fit_mode ? 0 : t->zoom, t->cx, t->cy};
}

static void viewer_springs(qel_context* ctx, viewer_state* s, const viewer_target& t)
{
    if (!s->started) {
        s->zoom[0] = t.zoom, s->cx[0] = t.cx, s->cy[0] = t.cy;
        s->zoom[1] = s->cx[1] = s->cy[1] = 0;
        s->started = 1;
    }
    if (s->dragging) {
        s->cx[0] = t.cx, s->cy[0] = t.cy, s->cx[1] = s->cy[1] = 0;
        qel_anim_spring(ctx, s->zoom, t.zoom, 0.4f, 0);
    } else {
        qel_anim_spring(ctx, s->zoom, t.zoom, 0.28f, 0);
        qel_anim_spring(ctx, s->cx, t.cx, 0.28f, 0);
        qel_anim_spring(ctx, s->cy, t.cy, 0.28f, 0);
    }
    if (std::fabs(s->zoom[1]) + std::fabs(s->cx[1]) + std::fabs(s->cy[1]) > 0.001f) qel_request_redraw(ctx);
}

static void qel_image_viewer_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const viewer_paint*)user;
    qel_rect r = node->rect;
    qel_hit_rect_add_clipped(ctx, p->wheel_id, r);
    qel_rect image = {r.x + r.w / 2 - p->zoom * p->cx, r.y + r.h / 2 - p->zoom * p->cy, p->zoom * p->iw, p->zoom * p->ih};
    if (p->checkerboard) qel_draw_checkerboard(ctx, qel_rect_intersect(image, r), p->dark);
    qel_draw_image_in_viewport(ctx, p->texture, image, r, p->radius, 0xFFFFFFFF);
    float radii[4] = {p->radius, p->radius, p->radius, p->radius};
    if (p->ring) qel_draw_focus_ring(ctx, &r, radii, 1);
}

static bool toolbar_button(qel_context* ctx, const char* icon, const char* tooltip)
{
    qel_button_opts b = {};
    b.variant = QEL_BUTTON_GHOST;
    b.size = 1;
    b.tooltip = tooltip;
    return qel_icon_button(ctx, icon, &b);
}

static void viewer_toolbar(qel_context* ctx, uint32_t id, viewer_target* t)
{
    int32_t bar = qel_node_floating(ctx, id ^ VIEWER_TOOLBAR_KEY, t->W - 182, t->H - 42, 172, 32);
    qel_node* n = qel_node_at(ctx, bar);
    bool dark = qel_dark_mode(ctx);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->pad_left = n->pad_right = 3;
    n->fill = qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_ELEVATED), 0.94f);
    qel_node_round(n, 16);
    n->border = dark ? qel_theme_color(ctx, QEL_COLOR_BORDER) : 0x16000000;
    n->border_width = 1;
    n->elevation = 2;
    qel_node_push(ctx, bar);
    qel_push_id_int(ctx, (int32_t)id);
    if (toolbar_button(ctx, QEL_ICON_MINUS, "Zoom out")) t->zoom = clamp_zoom(*t, t->zoom / 1.5f), t->fit_mode = false;
    const qel_theme& th = ctx->theme.current;
    int32_t label = qel_text_leaf(ctx, qel_arena_sprintf(ctx, "%.0f%%", 100 * (double)t->zoom), -1, QEL_FONT_MEDIUM,
                                  th.text_small * th.ui_scale, qel_color_token(QEL_COLOR_TEXT), false, 0);
    qel_node_at(ctx, label)->width = {QEL_SIZE_GROW, 1};
    qel_node_at(ctx, label)->content_align = 1;
    if (toolbar_button(ctx, QEL_ICON_PLUS, "Zoom in")) t->zoom = clamp_zoom(*t, t->zoom * 1.5f), t->fit_mode = false;
    if (toolbar_button(ctx, QEL_ICON_MAXIMIZE_2, "Fit")) view_fit(t);
    qel_pop_id(ctx);
    qel_node_pop(ctx);
}

int32_t qel_image_viewer(qel_context* ctx, const char* label, uint64_t texture, int32_t width, int32_t height,
                         qel_image_view* view, const qel_image_viewer_opts* options)
{
    qel_image_viewer_opts o = options ? *options : qel_image_viewer_opts{};
    qel_image_view local = {};
    if (!view) view = &local;
    qel_image_view entry = *view;
    uint32_t id = qel_id(ctx, label ? label : "viewer");
    auto* s = qel_state_record_of<viewer_state>(ctx, id, "viewer_state");
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE | QEL_INTERACT_HOLD_OUTSIDE);
    qel_rect prev = qel_id_rect(ctx, id);
    viewer_target t = viewer_start(*view, prev, o, (float)std::max(width, 1), (float)std::max(height, 1));
    viewer_pointer(ctx, s, &t, it, id, prev);
    if (it.focused) viewer_keys(ctx, &t);
    view_write(&t, view);
    viewer_springs(ctx, s, t);
    if (it.hovered && !it.held) qel_set_cursor(ctx, t.zoom > t.fit + 0.001f ? QEL_CURSOR_MOVE : QEL_CURSOR_ARROW);
    bool dark = qel_dark_mode(ctx);
    int32_t node = qel_node_sized(ctx, id, o.width.kind ? o.width : qel_size{QEL_SIZE_GROW, 1},
                                  o.height.kind ? o.height : qel_size{QEL_SIZE_FIXED, 360});
    qel_node* n = qel_node_at(ctx, node);
    n->fill = qel_color_mix(qel_theme_color(ctx, dark ? QEL_COLOR_BACKGROUND : QEL_COLOR_SURFACE),
                            qel_theme_color(ctx, QEL_COLOR_TEXT), dark ? 0.04f : 0.035f);
    float radius = ctx->theme.current.radius_small;
    qel_node_round(n, radius);
    qel_node_mark_interactive(ctx, node, QEL_INTERACT_FOCUSABLE);
    viewer_paint p = {texture, t.iw, t.ih, s->zoom[0], s->cx[0], s->cy[0], id ^ VIEWER_WHEEL_KEY,
                      o.checkerboard, dark, (uint8_t)(it.focused && it.focus_visible), radius};
    qel_node_draw_with(ctx, node, qel_image_viewer_draw, &p, sizeof p, false);
    if (!o.hide_toolbar) {
        qel_node_push(ctx, node);
        viewer_toolbar(ctx, id, &t);
        qel_node_pop(ctx);
        view_write(&t, view);
    }
    qel_set_last_item(ctx, id);
    return entry.zoom != view->zoom || entry.centre_x != view->centre_x || entry.centre_y != view->centre_y;
}
