// Checkboxes, switches and radios: the shared body (interaction, springs, the row with its label
// and description) and the box's drawing in its three shapes. What a click changes is each
// wrapper's; the disabled look and cursor are widget_feel's.
#include "qel/check_controls.h"

#include <cmath>

#include "core/core.h"
#include "qel/anim.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/id.h"
#include "qel/state.h"
#include "qel/text_units.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

static const uint32_t CHECKBOX_KEY = 0xC0EC0001u, SWITCH_KEY = 0x5D17C002u, RADIO_KEY = 0x4AD10003u;
static const float EASE_SECONDS = 0.14f;

struct check_state {
    float hover, focus;
    float check[2];  // value and velocity
    float press[2];
    uint8_t initialised;
};

// The check spring: the switch glides; the others settle quickly from the keyboard and pop a
// little when the mouse checks them.
static void animate_check(qel_context* ctx, check_state* s, uint32_t mode, float target, bool by_key)
{
    if (mode == QEL_CHECK_SWITCH) qel_anim_spring(ctx, s->check, target, 0.4f, 0);
    else if (by_key) qel_anim_spring(ctx, s->check, target, 0.2f, 0);
    else qel_anim_spring(ctx, s->check, target, 0.26f, target > 0.5f ? 0.22f : 0.0f);
}

static void label_column(qel_context* ctx, const char* label, const char* description)
{
    qel_style s = {};
    s.gap = 2;
    qel_column_begin(ctx, &s);
    qel_text_leaf(ctx, label, qel_label_visible_len(label), QEL_FONT_BODY, qel_text_body_scaled(ctx),
                  qel_color_token(QEL_COLOR_TEXT), false, description ? 1.38f : 1.3f);
    if (description) {
        qel_text_leaf(ctx, description, -1, QEL_FONT_BODY, qel_text_small_scaled(ctx),
                      qel_color_token(QEL_COLOR_TEXT_SECONDARY), true, 1.4f);
    }
    qel_container_end(ctx);
}

qel_interaction qel_check_body(qel_context* ctx, uint32_t id, uint32_t mode, bool checked, const char* label,
                               const qel_check_opts* options, bool* out_disabled)
{
    const qel_check_opts none = {};
    const qel_check_opts* o = options ? options : &none;
    bool disabled = qel_item_disabled(ctx, o->disabled);
    if (out_disabled) *out_disabled = disabled;
    qel_interaction it = qel_interact_item(ctx, id, QEL_INTERACT_FOCUSABLE, disabled);

    // The wrapper applies a click after this returns; the box already moves toward it.
    bool target = mode == QEL_CHECK_RADIO ? checked || it.clicked : checked != (it.clicked != 0);
    auto* s = qel_state_record_of<check_state>(ctx, id, "check_state");
    if (!s->initialised) {
        s->check[0] = target ? 1.0f : 0.0f;
        s->initialised = 1;
    }
    qel_anim_exp(ctx, &s->hover, it.hovered ? 1.0f : 0.0f, EASE_SECONDS);
    qel_anim_exp(ctx, &s->focus, it.focused && it.focus_visible ? 1.0f : 0.0f, EASE_SECONDS);
    animate_check(ctx, s, mode, target ? 1.0f : 0.0f, it.activated_by_key);
    qel_anim_spring(ctx, s->press, it.held ? 1.0f : 0.0f, 0.26f, 0.12f);

    int32_t row = qel_node_open(ctx, id);
    qel_node* n = qel_node_at(ctx, row);
    n->direction = QEL_DIR_ROW;
    n->align = o->description ? QEL_ALIGN_START : QEL_ALIGN_CENTER;
    n->gap = mode == QEL_CHECK_SWITCH ? 12.0f : 10.0f;
    qel_node_clickable(ctx, row, id, disabled);
    qel_node_push(ctx, row);
    bool is_switch = mode == QEL_CHECK_SWITCH;
    int32_t box = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, is_switch ? 36.0f : 18.0f},
                                 {QEL_SIZE_FIXED, is_switch ? 20.0f : 18.0f});
    qel_check_record record = {s->check[0], s->check[1], s->hover, s->press[0], s->focus, o->indeterminate, mode};
    qel_node_draw_with(ctx, box, qel_check_draw, &record, sizeof record, false);
    if (qel_label_visible_len(label) > 0) label_column(ctx, label, o->description);
    qel_node_pop(ctx);
    qel_set_last_item(ctx, id);
    return it;
}

// --- Drawing ---

static qel_color black(uint32_t alpha)
{
    return alpha << 24;
}

static void draw_knob_shadows(qel_context* ctx, const qel_rect* r, const float* radii, bool dark)
{
    qel_draw_box_shadow(ctx, r, radii, 2, 0, {0, 1}, black(dark ? 90 : 36));
    qel_draw_box_shadow(ctx, r, radii, 6, 0, {0, 2}, black(dark ? 50 : 16));
}

static void draw_switch(qel_context* ctx, const qel_node* node, const qel_check_record* c, float p, bool dark)
{
    const qel_rect& r = node->rect;
    float track_radii[4] = {r.h / 2, r.h / 2, r.h / 2, r.h / 2};
    qel_color track = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_TRACK), qel_theme_color(ctx, QEL_COLOR_TRACK_HOVER),
                                    c->hover);
    qel_draw_rect(ctx, &r, track_radii, qel_color_mix(track, qel_theme_color(ctx, QEL_COLOR_PRIMARY), p));
    qel_draw_top_highlight_small(ctx, &r, track_radii, 0.5f * p);

    // The knob stretches with the spring's speed and widens while pressed.
    float d = r.h - 4, base = d + 4 * c->press;
    float travel = r.w - 4 - d - 4 * c->press;
    float stretch_factor = fminf(fabsf(c->velocity) * travel / 900.0f, 0.28f);
    float kw = base * (1 + stretch_factor), kh = d / (1 + stretch_factor);
    float stretch = kw - base;
    float left = fmaxf(fminf(r.x + r.w - 2 - kw, r.x + 2 + p * (travel - stretch)), r.x + 2);
    if (node->rtl) left = r.x + r.w - (left - r.x) - kw;
    qel_rect knob = {left, r.y + (r.h - kh) / 2, kw, kh};
    float knob_radii[4] = {d / 2, d / 2, d / 2, d / 2};
    draw_knob_shadows(ctx, &knob, knob_radii, dark);
    qel_color fill = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_THUMB), qel_theme_color(ctx, QEL_COLOR_THUMB_ON), p);
    qel_draw_rect_bordered(ctx, &knob, knob_radii, fill, black(18), 0.5f);
    qel_draw_focus_ring(ctx, &r, track_radii, c->focus);
}

// The checkbox square or radio circle, popping as the spring overshoots and shrinking while pressed.
static void draw_box(qel_context* ctx, const qel_node* node, const qel_check_record* c, float p)
{
    const qel_rect& r = node->rect;
    float scale = (1 + 0.35f * fmaxf(c->value - 1, 0.0f)) * (1 - 0.06f * c->press);
    qel_rect box = {r.x + r.w * (1 - scale) / 2, r.y + r.h * (1 - scale) / 2, r.w * scale, r.h * scale};
    bool radio = c->mode == QEL_CHECK_RADIO;
    float radius = radio ? box.w / 2 : 5.0f;
    float radii[4] = {radius, radius, radius, radius};
    qel_color primary = qel_theme_color(ctx, QEL_COLOR_PRIMARY);
    qel_color fill = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_SURFACE), primary, p);
    qel_color border = qel_color_mix(qel_field_border_color(ctx, c->hover), primary, p);
    qel_draw_rect_bordered(ctx, &box, radii, fill, border, 1);
    qel_draw_top_highlight_small(ctx, &box, radii, 0.55f * p);
    qel_color mark = qel_theme_color(ctx, QEL_COLOR_ON_PRIMARY);
    if (radio) {
        float dot = 7 * c->value;
        if (dot > 0.2f) qel_draw_circle(ctx, {box.x + box.w / 2, box.y + box.h / 2}, dot / 2, mark);
    } else if (c->indeterminate) {
        qel_rect bar = {box.x + 4.5f, box.y + (box.h - 1.8f) / 2, box.w - 9, 1.8f};
        qel_draw_rect(ctx, &bar, nullptr, qel_color_alpha(mark, p));
    } else {
        qel_draw_checkmark(ctx, &box, p, 1.9f, mark);
    }
    qel_draw_focus_ring(ctx, &box, radii, c->focus);
}

void qel_check_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* c = (const qel_check_record*)user;
    float p = qel_unit_clamp(c->value);
    if (c->mode == QEL_CHECK_SWITCH) draw_switch(ctx, node, c, p, qel_dark_mode(ctx));
    else draw_box(ctx, node, c, p);
}

// --- Wrappers ---

static bool toggle(qel_context* ctx, const char* label, bool* value, const qel_check_opts* options, uint32_t mode,
                   uint32_t key)
{
    bool disabled = false;
    bool checked = value && *value;
    qel_interaction it = qel_check_body(ctx, qel_id(ctx, label) ^ key, mode, checked, label, options, &disabled);
    if (!it.clicked || disabled) return false;
    if (value) *value = !*value;
    return true;
}

bool qel_checkbox(qel_context* ctx, const char* label, bool* value, const qel_check_opts* options)
{
    return toggle(ctx, label, value, options, QEL_CHECK_BOX, CHECKBOX_KEY);
}

bool qel_toggle_switch(qel_context* ctx, const char* label, bool* value, const qel_check_opts* options)
{
    return toggle(ctx, label, value, options, QEL_CHECK_SWITCH, SWITCH_KEY);
}

bool qel_radio(qel_context* ctx, const char* label, int32_t* selected, int32_t value, const qel_check_opts* options)
{
    uint32_t id = qel_hash_bytes(&value, sizeof value, qel_id(ctx, label) ^ RADIO_KEY);
    bool checked = selected && *selected == value;
    bool disabled = false;
    qel_interaction it = qel_check_body(ctx, id, QEL_CHECK_RADIO, checked, label, options, &disabled);
    if (!it.clicked || disabled || checked) return false;
    if (selected) *selected = value;
    return selected != nullptr;
}

bool qel_radio_group(qel_context* ctx, const char* id_label, const char* const* labels, int32_t count,
                     int32_t* selected)
{
    bool changed = false;
    qel_push_id(ctx, id_label);
    qel_style s = {};
    s.gap = 10;
    qel_column_begin(ctx, &s);
    for (int32_t i = 0; labels && i < count; i++) changed |= qel_radio(ctx, labels[i], selected, i, nullptr);
    qel_container_end(ctx);
    qel_pop_id(ctx);
    return changed;
}
