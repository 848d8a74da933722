// The assistant's input side: the model selector with its popup list, the composer (attachment
// chips, the growing prompt field, the attach button and Send/Stop) and the orb, whose blobs are
// triangle fans wobbling over time and level.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "kit/state_records.h"
#include "kit/widget_nodes.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/assistant.h"
#include "qel/badges_avatars.h"
#include "qel/button.h"
#include "qel/collapsibles.h"
#include "qel/color.h"
#include "qel/context.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/layout.h"
#include "qel/popup.h"
#include "qel/state.h"
#include "qel/text_edit.h"
#include "qel/text_input.h"
#include "qel/theme.h"
#include "qel/tooltip.h"
#include "qel/widget_feel.h"
#include "widgets/rich/assistant_parts.h"

namespace {

const uint32_t POPUP_KEY = 0x30DE, FIELD_KEY = 0xF1E1D, SEND_KEY = 0x5E7D, COMPOSER_KEY = 0xC0C0, ORB_KEY = 0x0EB;
const float PI = 3.14159265f;

}  // namespace

// --- Model selector ---

static bool model_row(qel_context* ctx, qel_popup_nav* nav, const qel_assistant_model& m, bool selected)
{
    int32_t row_index = nav->rows++;
    uint32_t id = qel_id(ctx, m.name ? m.name : "model");
    qel_interaction it = qel_interact(ctx, id, 0);
    if (it.hovered && (qel_mouse_moved(ctx) || !nav->moved_by_keyboard)) {
        nav->highlighted = row_index;
        nav->moved_by_keyboard = 0;
    }
    bool highlighted = nav->highlighted == row_index;
    float amount = qel_anim_flash(ctx, id, highlighted, 0.1f);
    int32_t row = qel_assistant_row_pushed(ctx, id, {QEL_SIZE_GROW, 1}, QEL_ALIGN_CENTER, 10);
    qel_node* n = qel_node_at(ctx, row);
    n->pad_top = n->pad_bottom = 8;
    n->pad_left = n->pad_right = 10;
    n->align_self = QEL_ALIGN_STRETCH;
    qel_node_round(n, qel_row_radius(ctx));
    n->fill = qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_ACTIVE), amount);
    qel_node_mark_interactive(ctx, row, 0);
    if (it.hovered) qel_set_cursor(ctx, QEL_CURSOR_HAND);
    if (m.icon)
        qel_text_leaf(ctx, m.icon, -1, QEL_FONT_ICON, 16, qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), false, 0);
    int32_t col = qel_node_sized_pushed(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node_at(ctx, col)->gap = 1;
    qel_assistant_row_pushed(ctx, 0, {QEL_SIZE_FIT, 0}, QEL_ALIGN_CENTER, 6);
    qel_text_leaf(ctx, m.name ? m.name : "", -1, QEL_FONT_MEDIUM, qel_text_small_scaled(ctx),
                  qel_theme_color(ctx, QEL_COLOR_TEXT), false, 1.35f);
    if (m.badge) {
        qel_badge_opts b = {};
        b.kind = QEL_SEMANTIC_ACCENT;
        b.size = 1;
        qel_badge(ctx, m.badge, &b);
    }
    qel_node_pop(ctx);
    if (m.description)
        qel_text_leaf(ctx, m.description, -1, QEL_FONT_BODY, qel_assistant_xs_size(ctx),
                      qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), true, 1.4f);
    qel_node_pop(ctx);
    if (selected) qel_assistant_glyph_leaf(ctx, 0xE06C, 16, qel_theme_color(ctx, QEL_COLOR_TEXT));
    qel_node_pop(ctx);
    if (!(it.clicked || (highlighted && qel_key_pressed(ctx, QEL_KEY_ENTER)))) return false;
    qel_popup_close_all(ctx);
    qel_key_take(ctx, QEL_KEY_ENTER);
    return true;
}

static void model_trigger(qel_context* ctx, uint32_t id, const qel_interaction& it, const qel_assistant_model* m,
                          bool borderless, bool open)
{
    float flash = qel_anim_flash(ctx, id, it.hovered || open, 0.14f);
    int32_t trigger = qel_node_pill_row(ctx, id, 30, 0, 6, std::min(qel_theme_block_get(ctx)->radius_small, 15.0f));
    qel_node* n = qel_node_at(ctx, trigger);
    n->pad_left = 10;
    n->pad_right = 8;
    if (borderless) {
        n->fill = qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_HOVER), 1.4f * flash);
    } else {
        n->fill =
            qel_color_mix(qel_theme_color(ctx, QEL_COLOR_SUBTLE), qel_theme_color(ctx, QEL_COLOR_TEXT), 0.04f * flash);
        n->border = qel_theme_color(ctx, QEL_COLOR_BORDER);
        n->border_width = 1;
    }
    qel_node_clickable(ctx, trigger, id, false);
    qel_focus_ring(ctx, trigger, it.focused && it.focus_visible ? 1.0f : 0.0f);
    qel_node_push(ctx, trigger);
    if (m && m->icon)
        qel_text_leaf(ctx, m->icon, -1, QEL_FONT_ICON, 14, qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), false, 0);
    qel_text_leaf(ctx, m && m->name ? m->name : "Model", -1, QEL_FONT_MEDIUM, qel_text_small_scaled(ctx),
                  qel_theme_color(ctx, QEL_COLOR_TEXT), false, 1.3f);
    qel_chevron_icon(ctx, open ? PI : 0, 13, qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED));
    qel_node_pop(ctx);
}

bool qel_assistant_model_select(qel_context* ctx, const char* label, const qel_assistant_model* models, int32_t count,
                                int32_t* selected, const qel_assistant_model_select_opts* options)
{
    if (!models || count < 0) count = 0;
    uint32_t id = qel_id(ctx, label), popup = id ^ POPUP_KEY;
    int32_t current = selected ? *selected : 0;
    if (current < 0 || current >= count) current = 0;
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
    const qel_popup_slot* slot_of = qel_popup_find(ctx, popup, false);
    bool open = slot_of && slot_of->open;
    if (it.clicked) {
        open = it.activated_by_key || !open;
        qel_popup_set_open(ctx, popup, open);
    }
    model_trigger(ctx, id, it, count > 0 ? &models[current] : nullptr, options && options->borderless, open);
    qel_set_last_item(ctx, id);
    uint32_t placement = options && options->placement ? options->placement : (uint32_t)QEL_PLACE_ABOVE_START;
    bool changed = false;
    if (qel_popup_begin(ctx, popup, id, placement, 0, 0, 6, true)) {
        qel_node_at(ctx, qel_node_parent(ctx))->min_w = 300;
        qel_popup_nav* nav = qel_popup_nav_of(ctx, popup);
        for (int32_t i = 0; i < count; i++) {
            qel_push_id_int(ctx, i);
            if (model_row(ctx, nav, models[i], i == current) && i != current) {
                changed = true;
                if (selected) *selected = i;
            }
            qel_pop_id(ctx);
        }
        qel_popup_end(ctx);
    }
    return changed;
}

// --- Composer ---

namespace {

struct composer_state {
    float focus;
    float press[2];
};

bool blank(const char* text)
{
    return text[std::strspn(text, " \t\n")] == 0;
}

}  // namespace

static void attachment_chip(qel_context* ctx, int32_t index, const char* name, bool dark, uint32_t* bits,
                            int32_t* removed)
{
    int32_t chip = qel_assistant_row_pushed(ctx, 0, {QEL_SIZE_FIT, 0}, QEL_ALIGN_CENTER, 6);
    qel_node* n = qel_node_at(ctx, chip);
    n->pad_top = n->pad_right = n->pad_bottom = 4;
    n->pad_left = 6;
    qel_node_round(n, qel_row_radius(ctx));
    n->fill = dark ? qel_color_mix(qel_theme_color(ctx, QEL_COLOR_SURFACE), qel_theme_color(ctx, QEL_COLOR_TEXT), 0.08f)
                   : qel_theme_color(ctx, QEL_COLOR_SUBTLE);
    n->border = qel_theme_color(ctx, QEL_COLOR_BORDER_SUBTLE);
    n->border_width = 1;
    int32_t box = qel_node_centred(ctx, 0, {QEL_SIZE_FIXED, 24}, {QEL_SIZE_FIXED, 24}, QEL_DIR_ROW, 6);
    qel_node_at(ctx, box)->fill = qel_theme_color(ctx, QEL_COLOR_SURFACE);
    qel_node_push(ctx, box);
    qel_assistant_glyph_leaf(ctx, 0xE0CC, 14, qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY));
    qel_node_pop(ctx);
    int32_t file = qel_text_leaf(ctx, name ? name : "", -1, QEL_FONT_MEDIUM, qel_assistant_xs_size(ctx) + 0.5f,
                                 qel_theme_color(ctx, QEL_COLOR_TEXT), false, 1.3f);
    qel_node_at(ctx, file)->max_w = 160;
    qel_push_id_int(ctx, index);
    qel_button_opts b = {};
    b.variant = QEL_BUTTON_GHOST;
    b.size = 1;
    b.tooltip = "Remove";
    b.width = {QEL_SIZE_FIXED, 22};
    if (qel_icon_button(ctx, qel_assistant_glyph(ctx, 0xE1B2), &b) && removed) {
        *bits |= QEL_COMPOSER_REMOVED;
        *removed = index;
    }
    qel_pop_id(ctx);
    qel_node_pop(ctx);
}

static float field_height(qel_context* ctx, uint32_t field, const char* text, int32_t max_lines)
{
    float body = qel_text_body_scaled(ctx);
    float width = qel_id_rect(ctx, field).w;
    int32_t lines = 1;
    if (width > 0) {
        qel_text_line* out = nullptr;
        lines =
            std::max(1, qel_text_build_lines(ctx, QEL_FONT_BODY, body, text, (int32_t)std::strlen(text), width, &out));
    }
    return (float)std::min(max_lines, lines) * 1.5f * body + 12;
}

static uint32_t send_button(qel_context* ctx, uint32_t id, composer_state* s, bool enabled, bool busy)
{
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
    float scale = qel_anim_spring(ctx, s->press, it.held && enabled ? 0.88f : 1.0f, 0.26f, 0.12f);
    float radius = std::max(0.0f, qel_theme_block_get(ctx)->radius_large - 10);
    int32_t button = qel_node_centred(ctx, id, {QEL_SIZE_FIXED, 32}, {QEL_SIZE_FIXED, 32}, QEL_DIR_STACK, radius);
    qel_node* n = qel_node_at(ctx, button);
    n->scale = scale;
    bool accent = qel_theme_get_accent(ctx) != 0;
    qel_color ink = enabled ? qel_theme_color(ctx, accent ? QEL_COLOR_ON_ACCENT : QEL_COLOR_BACKGROUND)
                            : qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED);
    qel_color fill = qel_assistant_accent_or_text(ctx);
    if (it.hovered) fill = qel_color_mix(fill, qel_theme_color(ctx, QEL_COLOR_BACKGROUND), 0.12f);
    n->fill = enabled ? fill : qel_theme_color(ctx, QEL_COLOR_TRACK);
    qel_node_mark_interactive(ctx, button, QEL_INTERACT_FOCUSABLE);
    if (enabled && it.hovered) qel_set_cursor(ctx, QEL_CURSOR_HAND);
    qel_focus_ring(ctx, button, it.focused && it.focus_visible ? 1.0f : 0.0f);
    qel_node_push(ctx, button);
    int32_t face = qel_node_centred(ctx, 0, {QEL_SIZE_FIXED, 32}, {QEL_SIZE_FIXED, 32}, QEL_DIR_ROW, radius);
    if (enabled) qel_node_gloss(ctx, face, 1);
    qel_node_push(ctx, face);
    if (busy) {
        int32_t square = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, 10}, {QEL_SIZE_FIXED, 10});
        qel_node_at(ctx, square)->fill = ink;
        qel_node_round(qel_node_at(ctx, square), 2.5f);
    } else {
        qel_assistant_glyph_leaf(ctx, 0xE04A, 16, ink);
    }
    qel_node_pop(ctx);
    qel_node_pop(ctx);
    qel_set_last_item(ctx, id);
    qel_tooltip(ctx, busy ? "Stop" : "Send");
    if (!it.clicked || !enabled) return 0;
    return busy ? QEL_COMPOSER_STOP : QEL_COMPOSER_SEND;
}

static uint32_t bottom_row(qel_context* ctx, const qel_assistant_composer_opts& o, uint32_t id, composer_state* s,
                           bool blank_text)
{
    uint32_t bits = 0;
    qel_assistant_row_pushed(ctx, 0, {QEL_SIZE_GROW, 1}, QEL_ALIGN_CENTER, 6);
    qel_button_opts attach = {};
    attach.variant = QEL_BUTTON_OUTLINE;
    attach.size = 1;
    attach.tooltip = "Attach files";
    if (qel_icon_button(ctx, qel_assistant_glyph(ctx, 0xE13D), &attach)) bits |= QEL_COMPOSER_ATTACH;
    int32_t last = qel_node_latest_with_id(ctx, qel_last_item_id(ctx));
    if (last >= 0) qel_node_round(qel_node_at(ctx, last), std::max(0.0f, qel_theme_block_get(ctx)->radius_large - 10));
    if (o.models && o.model_count > 0) {
        qel_assistant_model_select_opts m = {};
        m.borderless = 1;
        if (qel_assistant_model_select(ctx, "model", o.models, o.model_count, o.selected_model, &m))
            bits |= QEL_COMPOSER_MODEL;
    }
    qel_spacer(ctx);
    bits |= send_button(ctx, id ^ SEND_KEY, s, !blank_text || o.busy, o.busy);
    qel_node_pop(ctx);
    return bits;
}

uint32_t qel_assistant_composer(qel_context* ctx, const char* label, char* buffer, int32_t capacity,
                                const qel_assistant_composer_opts* options)
{
    if (!buffer || capacity < 1) return 0;
    const qel_assistant_composer_opts none = {};
    const qel_assistant_composer_opts& o = options ? *options : none;
    uint32_t id = qel_id(ctx, label), field = id ^ FIELD_KEY, bits = 0;
    auto* s = qel_state_record_of<composer_state>(ctx, id ^ COMPOSER_KEY, "composer_state");
    bool focused = qel_focused_id(ctx) == field;
    float focus = qel_anim_exp(ctx, &s->focus, focused ? 1.0f : 0.0f, 0.14f);
    uint32_t held = qel_modifiers(ctx) & (QEL_MOD_SHIFT | QEL_MOD_CTRL | QEL_MOD_SUPER);
    if (focused && !held && qel_key_take(ctx, QEL_KEY_ENTER) && !blank(buffer) && !o.busy) bits |= QEL_COMPOSER_SEND;
    bool dark = qel_dark_mode(ctx);

    qel_size width = o.width.kind == 0 ? qel_size{QEL_SIZE_GROW, 1} : o.width;
    int32_t frame = qel_node_sized_pushed(ctx, id, width, {QEL_SIZE_FIT, 0});
    qel_node* f = qel_node_at(ctx, frame);
    f->pad_top = f->pad_right = f->pad_bottom = f->pad_left = 10;
    f->gap = 4;
    qel_node_round(f, qel_theme_block_get(ctx)->radius_large);
    f->fill = dark ? qel_color_mix(qel_theme_color(ctx, QEL_COLOR_SURFACE), qel_theme_color(ctx, QEL_COLOR_TEXT), 0.04f)
                   : qel_theme_color(ctx, QEL_COLOR_SURFACE);
    f->border =
        qel_color_mix(qel_theme_color(ctx, QEL_COLOR_BORDER), qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG), focus);
    f->border_width = 1;
    f->elevation = 2;
    f->elevation_strength = 0.6f + 0.4f * focus;
    qel_push_id(ctx, label);
    if (o.attachments && o.attachment_count > 0) {
        int32_t chips = qel_assistant_row_pushed(ctx, 0, {QEL_SIZE_GROW, 1}, QEL_ALIGN_CENTER, 6);
        qel_node* c = qel_node_at(ctx, chips);
        c->flags |= QEL_NODE_WRAP;
        c->pad_left = c->pad_right = 2;
        c->pad_bottom = 4;
        for (int32_t i = 0; i < o.attachment_count; i++)
            attachment_chip(ctx, i, o.attachments[i], dark, &bits, o.removed);
        qel_node_pop(ctx);
    }
    qel_text_input_opts t = {};
    t.placeholder = o.placeholder ? o.placeholder : "Ask anything";
    t.width = {QEL_SIZE_GROW, 1};
    t.multiline_height = field_height(ctx, field, buffer, o.max_lines >= 1 ? o.max_lines : 8);
    qel_input_text_ex(ctx, field, buffer, capacity, &t, true, true, nullptr);
    bits |= bottom_row(ctx, o, id, s, blank(buffer));
    qel_pop_id(ctx);
    qel_node_pop(ctx);
    qel_set_last_item(ctx, id);
    return bits;
}

// --- Orb ---

namespace {

struct orb_state {
    float level[2], press[2], weight[4];
    uint8_t initialised;
};

struct orb_payload {
    float time, level, weight[4];
    qel_color main, light, lighter;
    float hovered, focus;
};

struct blob {
    qel_vec2 centre;
    float radius, wobble, time, phase;
    qel_color inner, rim;
    bool outline;
};

const int BLOB_POINTS = 72;

void draw_blob(qel_context* ctx, const blob& b)
{
    qel_triangle_vertex v[BLOB_POINTS + 1];
    uint32_t index[BLOB_POINTS * 3];
    qel_vec2 rim[BLOB_POINTS];
    v[0] = {b.centre.x, b.centre.y, b.inner};
    for (int k = 0; k < BLOB_POINTS; k++) {
        float a = 2 * PI * (float)k / BLOB_POINTS;
        float d = b.radius * (1 + b.wobble * (0.55f * std::sin(3 * a + 1.7f * b.time + b.phase) +
                                              0.3f * std::sin(5 * a - 2.3f * b.time + 2 * b.phase) +
                                              0.15f * std::sin(2 * a + 0.9f * b.time)));
        rim[k] = {b.centre.x + d * std::cos(a), b.centre.y + d * std::sin(a)};
        v[k + 1] = {rim[k].x, rim[k].y, b.rim};
        index[3 * k] = 0;
        index[3 * k + 1] = (uint32_t)k + 1;
        index[3 * k + 2] = (uint32_t)(k + 1) % BLOB_POINTS + 1;
    }
    qel_draw_triangles(ctx, v, BLOB_POINTS + 1, index, BLOB_POINTS * 3);
    if (b.outline) qel_draw_polyline(ctx, rim, BLOB_POINTS, 1.2f, qel_color_alpha(b.rim, 0.8f), 1);
}

const qel_color WHITE = 0xFFFFFFFFu, BLACK = 0xFF000000u;

}  // namespace

static void soft_box(qel_context* ctx, qel_rect r, float radius, float blur, qel_color color)
{
    const float radii[4] = {radius, radius, radius, radius};
    qel_draw_box_shadow(ctx, &r, radii, blur, 0, {0, 0}, color);
}

static void orb_draw(qel_context* ctx, const qel_node* node, void* user)
{
    auto* p = (const orb_payload*)user;
    const float t = p->time, L = p->level, *w = p->weight;
    qel_rect r = node->rect;
    qel_vec2 c = {r.x + r.w / 2, r.y + r.h / 2};
    float R = 0.34f * r.w, g = 1 + L * (0.1f * w[3] + 0.05f * w[1]);
    float radius = (1 + 0.025f * w[0] * std::sin(1.6f * t)) * R * g;
    float amp = (L + 0.3f) * (0.09f * w[1] + 0.06f * w[3]) + 0.015f * w[0] + 0.03f;
    float glow = 1.05f * R * g;
    soft_box(ctx, {c.x - glow, c.y - glow, 2 * glow, 2 * glow}, glow, 0.55f * R,
             qel_color_alpha(p->main, std::min(1.0f, 0.14f + 0.1f * p->hovered + 0.3f * L * (w[1] + w[3]))));
    draw_blob(ctx, {c, radius, amp, t, 0, p->light, qel_color_mix(p->main, BLACK, 0.08f), true});
    qel_vec2 c2 = {c.x + 0.2f * R * std::cos(0.7f * t), c.y + 0.2f * R * std::sin(0.7f * t)};
    draw_blob(ctx, {c2, 0.56f * radius, 1.6f * amp, 1.2f * t, 2.1f, qel_color_alpha(p->lighter, 0.85f),
                    qel_color_alpha(p->lighter, 0), false});
    qel_vec2 c3 = {c.x + 0.22f * R * std::cos(0.55f * t + 2.4f), c.y + 0.22f * R * std::sin(0.55f * t + 2.4f)};
    draw_blob(ctx, {c3, 0.5f * radius, 1.4f * amp, 0.9f * t, 4.2f,
                    qel_color_alpha(qel_color_mix(p->main, BLACK, 0.18f), 0.55f), qel_color_alpha(p->main, 0), false});
    draw_blob(ctx, {{c.x - 0.08f * R, c.y - 0.1f * R},
                    0.62f * radius,
                    amp,
                    0.8f * t,
                    5.3f,
                    qel_color_alpha(WHITE, 0.42f),
                    qel_color_alpha(WHITE, 0),
                    false});
    float s = 0.42f * radius;
    soft_box(ctx, {c.x - 1.5f * s, c.y - (0.46f * radius + 0.5f * s), s, 0.8f * s}, 0.45f * s, 0.55f * s,
             qel_color_alpha(WHITE, 0.38f));
    if (w[2] > 0.01f)
        for (int i = 0; i < 12; i++) {
            float a = 2.4f * t + (float)i * PI / 6;
            float alpha = ((0.5f * std::sin(4 * t - 0.6f * (float)i) + 0.5f) * 0.6f + 0.25f) * w[2];
            qel_draw_circle(ctx, {c.x + 1.28f * R * std::cos(a), c.y + 1.28f * R * std::sin(a)}, 2.2f,
                            qel_color_alpha(p->main, alpha));
        }
    if (p->focus > 0.01f) {
        float half = r.w / 2;
        const float radii[4] = {half, half, half, half};
        qel_draw_focus_ring(ctx, &r, radii, p->focus);
    }
}

static qel_color orb_color(qel_context* ctx, qel_color c)
{
    if ((c >> 24) == 0xFF || qel_color_is_token(c)) return qel_color_resolve(ctx, c);
    return qel_theme_get_accent(ctx) ? qel_theme_color(ctx, QEL_COLOR_ACCENT) : 0xFFF67C4Fu;
}

bool qel_assistant_orb(qel_context* ctx, const char* label, int32_t look, float level,
                       const qel_assistant_orb_opts* options)
{
    const qel_assistant_orb_opts none = {};
    const qel_assistant_orb_opts& o = options ? *options : none;
    uint32_t id = qel_id(ctx, label);
    auto* s = qel_state_record_of<orb_state>(ctx, id ^ ORB_KEY, "orb_state");
    if (!s->initialised) {
        s->initialised = 1;
        s->weight[look & 3] = 1;
        s->press[0] = 1;
    }
    for (int i = 0; i < 4; i++) qel_anim_exp(ctx, &s->weight[i], i == look ? 1.0f : 0.0f, 0.18f);
    float lv = qel_anim_spring(ctx, s->level, qel_unit_clamp(level), 0.18f, 0);
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
    float scale = qel_anim_spring(ctx, s->press, it.held ? 0.97f : 1.0f, 0.26f, 0.12f);
    float size = o.size > 0 ? o.size : 160;
    int32_t node = qel_node_sized(ctx, id, {QEL_SIZE_FIXED, size}, {QEL_SIZE_FIXED, size});
    qel_node_at(ctx, node)->scale = scale;
    qel_node_mark_interactive(ctx, node, QEL_INTERACT_FOCUSABLE);
    if (it.hovered) qel_set_cursor(ctx, QEL_CURSOR_HAND);
    qel_color main = orb_color(ctx, o.color);
    bool moving = qel_theme_block_get(ctx)->motion_scale > 0;
    if (moving) qel_request_redraw(ctx);
    orb_payload p = {moving ? (float)std::fmod(qel_ctx_time(ctx), 10000.0) : 0,
                     lv,
                     {s->weight[0], s->weight[1], s->weight[2], s->weight[3]},
                     main,
                     qel_color_mix(main, WHITE, 0.28f),
                     qel_color_mix(main, WHITE, 0.5f),
                     it.hovered ? 1.0f : 0.0f,
                     it.focused && it.focus_visible ? 1.0f : 0.0f};
    qel_node_draw_with(ctx, node, orb_draw, &p, sizeof p, false);
    qel_set_last_item(ctx, id);
    return it.clicked;
}
