// Confirm and async buttons: the cross-fading body (width and press springs, the two faces, the
// countdown line), the confirm button's arming and timing and the async button's phases and
// faces. Palettes and the spinner are button.cpp's.
#include "qel/crossfade_buttons.h"

#include <cmath>
#include <cstring>

#include "core/core.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/button.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/frame.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/state.h"
#include "qel/text_units.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/widget_nodes.h"

static const uint32_t CONFIRM_KEY = 0xc0f1, ASYNC_KEY = 0x57a7;
static const char WARNING_GLYPH[] = QEL_ICON_TRIANGLE_ALERT;
static const char DONE_GLYPH[] = QEL_ICON_CHECK;
static const char FAILED_GLYPH[] = QEL_ICON_CIRCLE_ALERT;
static const char SPIN[] = "spin";
static const float EASE_SECONDS = 0.14f;

// --- The body ---

struct face_size {
    float text, icon;
    float pad, pad_icon, icon_only;  // added to the text width; the side of an icon alone
};

static face_size face_size_of(qel_context* ctx, uint32_t size)
{
    float text = qel_control_text_size(ctx, size);
    if (size == 1) return {text, 14, 24, 44, 38};
    if (size == 2) return {text, 18, 40, 64, 58};
    return {text, 16, 30, 52, 46};
}

float qel_label_width(qel_context* ctx, const qel_face* face, uint32_t size)
{
    face_size fs = face_size_of(ctx, size);
    int32_t visible = qel_label_visible_len(face->text);
    bool icon = face->icon != nullptr;
    if (visible == 0) return icon ? fs.icon_only : fs.pad;
    float text = qel_text_width_measured(ctx, QEL_FONT_MEDIUM, fs.text, face->text, visible, false);
    return text + (icon ? fs.pad_icon : fs.pad);
}

struct body_record {
    float countdown, focus;
    qel_color line;
};

static void body_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* b = (const body_record*)user;
    const qel_rect& r = node->rect;
    if (b->countdown > 0) {
        float radii[4] = {1, 1, 1, 1};
        qel_rect line = {r.x, r.y + r.h - 2, b->countdown * r.w, 2};
        qel_draw_rect(ctx, &line, radii, qel_color_alpha(b->line, 0.45f));
    }
    qel_draw_focus_ring(ctx, &r, node->radii, b->focus);
}

// One face: a centred row of icon and text, faded and moved.
static void face_node(qel_context* ctx, const qel_face* face, uint32_t size, float opacity, float offset)
{
    face_size fs = face_size_of(ctx, size);
    int32_t index = qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_GROW, 1});
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->justify = QEL_JUSTIFY_CENTER;
    n->align_self = QEL_ALIGN_STRETCH;
    n->gap = 6;
    n->opacity = fmaxf(opacity, 0.001f);
    n->translate_y = offset;
    qel_node_push(ctx, index);
    if (face->icon && strcmp(face->icon, SPIN) == 0) qel_spinner_node(ctx, fs.icon - 2, face->text_color);
    else if (face->icon) qel_icon_glyph(ctx, face->icon, fs.icon, face->text_color);
    if (int32_t visible = qel_label_visible_len(face->text)) {
        qel_text_leaf(ctx, face->text, visible, QEL_FONT_MEDIUM, fs.text, face->text_color, false, 1.2f);
    }
    qel_node_pop(ctx);
}

void qel_crossfade_body(qel_context* ctx, uint32_t id, qel_crossfade_state* s, bool hovered, bool held,
                        bool focus_visible, const qel_face* a, const qel_face* b, float t, bool show_b_width,
                        uint32_t size, float countdown)
{
    float h = qel_control_height(ctx, size);
    float width = qel_label_width(ctx, show_b_width ? b : a, size);
    if (!s->started) {
        s->width[0] = width;
        s->scale[0] = 1;
        s->started = 1;
    }
    qel_anim_spring(ctx, s->width, width, 0.42f, 0.16f);
    qel_anim_spring(ctx, s->scale, held ? 0.97f : 1.0f, 0.26f, 0.12f);
    qel_anim_exp(ctx, &s->hover, hovered ? 1.0f : 0.0f, EASE_SECONDS);
    qel_anim_exp(ctx, &s->focus, focus_visible ? 1.0f : 0.0f, EASE_SECONDS);

    int32_t index = qel_node_sized(ctx, id, {QEL_SIZE_FIXED, fmaxf(h, s->width[0])}, {QEL_SIZE_FIXED, h});
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_STACK;
    n->align_self = QEL_ALIGN_OWN_SIZE;
    n->flags |= QEL_NODE_CLIP;
    qel_node_round(n, fminf(ctx->theme.current.radius_small, h / 2));
    n->scale = s->scale[0];
    if (held) {
        n->fill = qel_color_mix(a->press, b->press, t);
    } else {
        n->fill = qel_color_mix(qel_color_mix(a->fill, a->hover, s->hover), qel_color_mix(b->fill, b->hover, s->hover), t);
    }
    n->border = qel_color_mix(a->border, b->border, t);
    n->border_width = n->border >> 24 ? 1.0f : 0.0f;
    body_record record = {countdown, s->focus, b->text_color};
    qel_node_draw_with(ctx, index, body_draw, &record, sizeof record, true);
    qel_node_mark_interactive(ctx, index, QEL_INTERACT_FOCUSABLE);
    if (hovered) qel_set_cursor(ctx, QEL_CURSOR_HAND);
    qel_node_push(ctx, index);
    if (t < 0.999f) face_node(ctx, a, size, 1 - t, -10 * t);
    if (t > 0.001f) face_node(ctx, b, size, t, 10 * (1 - t));
    qel_node_pop(ctx);
    qel_set_last_item(ctx, id);
}

// A face in a variant's colours.
static qel_face palette_face(qel_context* ctx, const char* icon, const char* text, uint32_t variant)
{
    qel_button_style p;
    qel_button_palette(&p, ctx, variant, false);
    return {icon, text, p.background, p.hover, p.press, p.text, p.border};
}

static void set_opacity(qel_context* ctx, uint32_t id, float opacity)
{
    if (qel_node* n = qel_node_at(ctx, qel_node_latest_with_id(ctx, id))) n->opacity = opacity;
}

// --- Confirm button ---

struct confirm_state {
    qel_crossfade_state body;
    uint8_t armed;
    double armed_at;
    float mix[2];
};

// Escape, a press elsewhere or the time running out disarm; while armed, frames keep coming.
static void keep_or_disarm(qel_context* ctx, confirm_state* s, uint32_t id, const qel_interaction& it, float limit)
{
    if (!s->armed) return;
    if ((it.focused || it.hovered) && qel_key_take(ctx, QEL_KEY_ESCAPE)) {
        s->armed = 0;
    } else if (qel_ctx_time(ctx) - s->armed_at > limit ||
               ((qel_mouse_pressed(ctx, 0) || qel_mouse_pressed(ctx, 1)) && qel_hovered_id(ctx) != id)) {
        s->armed = 0;
    } else {
        qel_request_redraw(ctx);
    }
}

bool qel_confirm_button(qel_context* ctx, const char* label, const qel_confirm_opts* options)
{
    const qel_confirm_opts none = {};
    const qel_confirm_opts* o = options ? options : &none;
    float limit = o->time_limit > 0 ? o->time_limit : 3.0f;
    uint32_t id = qel_id(ctx, label);
    auto* s = (confirm_state*)qel_state_get(ctx, id ^ CONFIRM_KEY, sizeof(confirm_state));
    bool disabled = qel_is_disabled(ctx);
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
    keep_or_disarm(ctx, s, id, it, limit);
    bool confirmed = false;
    if (it.clicked && !disabled) {
        confirmed = s->armed != 0;
        s->armed = !s->armed;
        s->armed_at = qel_ctx_time(ctx);
    }
    if (!s->body.started) s->mix[0] = s->armed;
    qel_anim_spring(ctx, s->mix, s->armed ? 1.0f : 0.0f, 0.3f, 0);

    qel_face a = palette_face(ctx, o->icon, label, o->variant ? o->variant : (uint32_t)QEL_BUTTON_SECONDARY);
    qel_face b = palette_face(ctx, WARNING_GLYPH, o->confirm_text ? o->confirm_text : "Click to confirm",
                              QEL_BUTTON_DANGER);
    float countdown = s->armed ? 1 - (float)(qel_ctx_time(ctx) - s->armed_at) / limit : 0.0f;
    float t = qel_unit_clamp(s->mix[0]);
    qel_crossfade_body(ctx, id, &s->body, it.hovered, it.held, it.focused && it.focus_visible, &a, &b, t, s->armed,
                       o->size, countdown);
    if (disabled) set_opacity(ctx, id, 0.45f);
    return confirmed;
}

// --- Async button ---

struct async_state {
    qel_crossfade_state body;
    int32_t phase, previous;
    float progress;
};

static qel_face async_face(qel_context* ctx, const char* label, int32_t phase, const qel_async_opts* o)
{
    uint32_t v = o->variant;
    bool primary_like = v == 0 || v == QEL_BUTTON_PRIMARY;
    uint32_t base = v ? v : (uint32_t)QEL_BUTTON_PRIMARY;
    switch (phase) {
    case QEL_ASYNC_BUSY: {
        const char* text = o->busy_text;
        if (!text) {
            int32_t visible = qel_label_visible_len(label);
            char* busy = (char*)qel_arena_alloc(ctx, (size_t)visible + 4);
            memcpy(busy, label, (size_t)visible);
            memcpy(busy + visible, "\xE2\x80\xA6", 4);  // "…" and the terminator
            text = busy;
        }
        return palette_face(ctx, SPIN, text, base);
    }
    case QEL_ASYNC_DONE: {
        qel_face f = palette_face(ctx, DONE_GLYPH, o->done_text ? o->done_text : "Done", base);
        if (!primary_like) {
            f.text_color = qel_theme_color(ctx, QEL_COLOR_SUCCESS);
            return f;
        }
        qel_color success = qel_theme_color(ctx, QEL_COLOR_SUCCESS);
        f.fill = f.hover = f.press = success;
        f.text_color = qel_dark_mode(ctx) ? 0xFF101A08u : 0xFFFFFFFFu;
        return f;
    }
    case QEL_ASYNC_FAILED: {
        const char* text = o->failed_text ? o->failed_text : "Failed";
        if (primary_like || v == QEL_BUTTON_DANGER) return palette_face(ctx, FAILED_GLYPH, text, QEL_BUTTON_DANGER);
        qel_face f = palette_face(ctx, FAILED_GLYPH, text, v);
        f.text_color = qel_theme_color(ctx, QEL_COLOR_DANGER);
        return f;
    }
    default: return palette_face(ctx, o->icon, label, base);
    }
}

bool qel_async_button(qel_context* ctx, const char* label, int32_t phase, const qel_async_opts* options)
{
    const qel_async_opts none = {};
    const qel_async_opts* o = options ? options : &none;
    if (phase < QEL_ASYNC_IDLE || phase > QEL_ASYNC_FAILED) phase = QEL_ASYNC_IDLE;
    uint32_t id = qel_id(ctx, label);
    auto* s = (async_state*)qel_state_get(ctx, id ^ ASYNC_KEY, sizeof(async_state));
    if (!s->body.started) {
        s->phase = s->previous = phase;
        s->progress = 1;
    } else if (phase != s->phase) {
        s->previous = s->phase;
        s->phase = phase;
        s->progress = 0;
    }
    float progress = fminf(qel_anim_exp(ctx, &s->progress, 1, 0.22f), 1.0f);
    bool disabled = qel_is_disabled(ctx);
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);

    qel_face b = async_face(ctx, label, phase, o);
    qel_face a = progress >= 1 ? b : async_face(ctx, label, s->previous, o);
    qel_crossfade_body(ctx, id, &s->body, it.hovered, it.held, it.focused && it.focus_visible, &a, &b, progress, true,
                       o->size, 0);
    if (phase == QEL_ASYNC_BUSY) set_opacity(ctx, id, 0.92f);
    return phase == QEL_ASYNC_IDLE && it.clicked && !disabled;
}
