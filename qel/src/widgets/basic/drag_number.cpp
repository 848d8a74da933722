// The drag number: dragging and keys on the field, the switch to and from its text field with
// the reading of what was typed, and the range track. The text field is text_input.cpp's and
// reading numbers is number_text's.
#include "qel/drag_number.h"

#include <cmath>
#include <cstdio>

#include "core/core.h"
#include "kit/state_records.h"
#include "text/number_text.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/id.h"
#include "qel/state.h"
#include "qel/text_input.h"
#include "qel/text_units.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/widget_nodes.h"

static const uint32_t EDIT_KEY = 0x5c2b;
static const float DRAG_THRESHOLD = 3, DEFAULT_WIDTH = 160;

struct drag_state {
    uint8_t editing, dragged;
    char text[48];
    float hover;
    float press_x, press_value;
    float shown;
    uint8_t shown_set;
};

struct drag_setup {
    uint32_t id;
    float min, max, step;
    const char* format;
    qel_size width;
};

static float clamped(float v, float min, float max)
{
    return fminf(fmaxf(v, min), max);
}

// --- Editing ---

// Takes a finite number typed into the buffer, clamped; anything else leaves the value.
static void take_typed(const drag_state* s, const drag_setup& d, float* value)
{
    double typed;
    if (qel_number_read(s->text, &typed)) *value = (float)fmin(fmax(typed, (double)d.min), (double)d.max);
}

static void edit_frame(qel_context* ctx, const char* label, drag_state* s, const drag_setup& d, float* value)
{
    uint32_t edit_id = d.id ^ EDIT_KEY;
    if (qel_focused_id(ctx) == edit_id && qel_key_take(ctx, QEL_KEY_ESCAPE)) {
        s->editing = 0;
        qel_set_focus(ctx, d.id, false);
        return;
    }
    qel_text_input_opts o = {};
    o.placeholder = qel_arena_strdup(ctx, label ? label : "", qel_label_visible_len(label));
    o.width = d.width;
    uint32_t result = qel_input_text_ex(ctx, edit_id, s->text, sizeof s->text, &o, false, false, nullptr);
    if (result & QEL_INPUT_SUBMITTED) {
        ctx->input.key_presses[QEL_KEY_ENTER] = 0;  // the field's; it must not reopen it
        take_typed(s, d, value);
        s->editing = 0;
        qel_set_focus(ctx, d.id, false);
    } else if (result & QEL_INPUT_FOCUS_LOST) {
        take_typed(s, d, value);
        s->editing = 0;
    }
}

static void start_editing(qel_context* ctx, drag_state* s, const drag_setup& d, float value)
{
    snprintf(s->text, sizeof s->text, "%s", qel_format_number(ctx, d.format, value));
    s->editing = 1;
    qel_text_activate(ctx, d.id ^ EDIT_KEY);
}

// --- Dragging and keys ---

static void drag_frame(qel_context* ctx, drag_state* s, const drag_setup& d, const qel_interaction& it, float* value)
{
    float x = qel_mouse_pos(ctx).x;
    if (it.active && qel_mouse_pressed(ctx, 0)) {
        s->press_x = x;
        s->press_value = *value;
        s->dragged = 0;
    }
    if (it.active && qel_mouse_down(ctx, 0)) {
        float dx = x - s->press_x;
        if (fabsf(dx) > DRAG_THRESHOLD) s->dragged = 1;
        if (s->dragged) {
            float step = qel_modifiers(ctx) & QEL_MOD_SHIFT ? d.step / 10 : d.step;
            *value = clamped(roundf((s->press_value + dx * step) / step) * step, d.min, d.max);
        }
    }
    bool enter = it.focused && it.focus_visible && qel_key_pressed(ctx, QEL_KEY_ENTER);
    if ((it.clicked && !it.activated_by_key && !s->dragged) || enter) {
        start_editing(ctx, s, d, *value);
        return;
    }
    if (!it.focused) return;
    float step = d.step * (qel_modifiers(ctx) & QEL_MOD_SHIFT ? 10.0f : 1.0f);
    if (qel_key_pressed(ctx, QEL_KEY_RIGHT) || qel_key_pressed(ctx, QEL_KEY_UP))
        *value = clamped(*value + step, d.min, d.max);
    if (qel_key_pressed(ctx, QEL_KEY_LEFT) || qel_key_pressed(ctx, QEL_KEY_DOWN))
        *value = clamped(*value - step, d.min, d.max);
}

// --- Look ---

void qel_drag_number_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* d = (const qel_drag_number_record*)user;
    const qel_rect& r = node->rect;
    float radius = fminf(node->radii[0], r.h / 2);
    float inset = 0.9f * radius + 2, width = r.w - 2 * inset;
    if (width > 0) {
        float radii[4] = {0.75f, 0.75f, 0.75f, 0.75f};
        qel_rect track = {r.x + inset, r.y + r.h - 3.5f, width, 1.5f};
        qel_draw_rect(ctx, &track, radii, qel_color_alpha(d->track, 0.5f + 0.5f * d->hover));
        if (d->fraction > 0) {
            qel_rect filled = {track.x, track.y, d->fraction * width, 1.5f};
            qel_draw_rect(ctx, &filled, radii, qel_color_alpha(d->fill, 0.55f + 0.45f * d->hover));
        }
    }
    qel_draw_focus_ring(ctx, &r, node->radii, d->focus);
}

static void field_contents(qel_context* ctx, const char* label, const qel_drag_number_opts* o, const char* value_text)
{
    float small = qel_text_small_scaled(ctx);
    qel_color muted = qel_color_token(QEL_COLOR_TEXT_MUTED);
    if (o->icon) {
        qel_icon_glyph(ctx, o->icon, 16, qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED));
    } else if (int32_t visible = qel_label_visible_len(label)) {
        qel_node_at(ctx, qel_node_text(ctx, label, visible, QEL_FONT_BODY, small, muted, false))->line_height = 1.3f;
    }
    qel_spacer(ctx);
    qel_text_leaf(ctx, value_text, -1, QEL_FONT_BODY, qel_text_body_scaled(ctx),
                  qel_color_token(QEL_COLOR_TEXT), false, 1.3f);
    if (o->suffix) qel_node_text(ctx, o->suffix, -1, QEL_FONT_BODY, small, muted, false);
}

static void field_node(qel_context* ctx, const char* label, const qel_drag_number_opts* o, const drag_setup& d,
                       const drag_state* s, const qel_interaction& it, float value)
{
    float h = qel_control_height(ctx, 0);
    int32_t index = qel_node_sized(ctx, d.id, {QEL_SIZE_FIXED, DEFAULT_WIDTH}, {QEL_SIZE_FIXED, h});
    qel_node* n = qel_node_at(ctx, index);
    if (d.width.kind != QEL_SIZE_FIT || d.width.value != 0) n->width = d.width;
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->pad_left = n->pad_right = 12;
    n->gap = o->suffix ? 4.0f : 8.0f;
    n->fill = qel_color_token(QEL_COLOR_SURFACE);
    n->border_width = 1;
    n->border = qel_field_border_color(ctx, s->hover);
    qel_node_round(n, fminf(ctx->theme.current.radius_small, h / 2));
    qel_drag_number_record record = {qel_unit_clamp(s->shown), s->hover,
                                     it.focused && it.focus_visible ? 1.0f : 0.0f, qel_focus_color(ctx),
                                     qel_theme_color(ctx, QEL_COLOR_BORDER)};
    qel_node_draw_with(ctx, index, qel_drag_number_draw, &record, sizeof record, true);
    qel_node_mark_interactive(ctx, index, QEL_INTERACT_FOCUSABLE);
    if (it.hovered || s->dragged) qel_set_cursor(ctx, QEL_CURSOR_RESIZE_EW);
    qel_node_push(ctx, index);
    field_contents(ctx, label, o, qel_format_number(ctx, d.format, value));
    qel_node_pop(ctx);
}

bool qel_drag_number(qel_context* ctx, const char* label, float* value, float min, float max,
                     const qel_drag_number_opts* options)
{
    const qel_drag_number_opts none = {};
    const qel_drag_number_opts* o = options ? options : &none;
    float own = min;
    float* v = value ? value : &own;
    float before = *v;
    drag_setup d = {qel_id(ctx, label), min, max, o->step, o->format ? o->format : "%.0f", o->width};
    if (!(d.step > 0)) d.step = (max - min) / 100;
    if (!(d.step > 0)) d.step = 1;
    auto* s = qel_state_record_of<drag_state>(ctx, d.id, "drag_state");

    if (s->editing) edit_frame(ctx, label, s, d, v);
    if (!s->editing) {
        qel_interaction it = qel_interact(ctx, d.id, QEL_INTERACT_FOCUSABLE | QEL_INTERACT_HOLD_OUTSIDE);
        drag_frame(ctx, s, d, it, v);
        s = qel_state_record_of<drag_state>(ctx, d.id, "drag_state");
        float fill = max > min ? (*v - min) / (max - min) : 0.0f;
        if (!s->shown_set) {
            s->shown = fill;
            s->shown_set = 1;
        }
        qel_anim_exp(ctx, &s->shown, fill, 0.08f);
        qel_anim_exp(ctx, &s->hover, it.hovered ? 1.0f : 0.0f, 0.14f);
        field_node(ctx, label, o, d, s, it, *v);
    }
    qel_set_last_item(ctx, d.id);
    return !(*v == before);
}
