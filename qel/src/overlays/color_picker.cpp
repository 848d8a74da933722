// The colour picker: HSV conversions, the per-picker HSV state, the swatch field, and its popup
// with the saturation/value square, the hue bar and the preset swatches. The popup's life cycle
// is the popup layer's; the gradients are drawn with the draw list's triangles.
#include "qel/color_picker.h"

#include <cmath>

#include "core/core.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/id.h"
#include "qel/popup.h"
#include "qel/state.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

static const uint32_t POPUP_KEY = 0xC010Eu;
static const uint32_t PRESETS[8] = {0x111111, 0x7747FF, 0x0562EF, 0x00864B, 0xF3AD20, 0xC25300, 0xD1403A, 0xD23286};
static const qel_color HAIRLINE = 0x1E000000u;  // black at 12 %
static const qel_color WHITE = 0xFFFFFFFFu;

struct picker_state {
    float hue, saturation, value;
    uint8_t synced;
};

// --- Conversions ---

static uint8_t channel(float x)
{
    return (uint8_t)(fminf(fmaxf(x, 0.0f), 1.0f) * 255 + 0.5f);
}

static qel_color rgb(float r, float g, float b)
{
    return 0xFF000000u | (uint32_t)channel(b) << 16 | (uint32_t)channel(g) << 8 | channel(r);
}

qel_color qel_hsv_to_rgb(float hue, float saturation, float value)
{
    float h = fmodf(hue, 360.0f);
    if (!(h >= 0)) h = h < 0 ? h + 360 : 0;  // negative, or not a number
    float c = saturation * value, sector = h / 60;
    float x = c * (1 - fabsf(fmodf(sector, 2) - 1)), m = value - c;
    switch ((int)sector) {
    case 0: return rgb(c + m, x + m, m);
    case 1: return rgb(x + m, c + m, m);
    case 2: return rgb(m, c + m, x + m);
    case 3: return rgb(m, x + m, c + m);
    case 4: return rgb(x + m, m, c + m);
    default: return rgb(c + m, m, x + m);
    }
}

void qel_rgb_to_hsv(uint8_t r, uint8_t g, uint8_t b, float* hue, float* saturation, float* value)
{
    float rf = r / 255.0f, gf = g / 255.0f, bf = b / 255.0f;
    float hi = fmaxf(rf, fmaxf(gf, bf)), lo = fminf(rf, fminf(gf, bf)), d = hi - lo;
    float h = 0;
    if (d > 0) {
        if (hi == rf) h = 60 * fmodf((gf - bf) / d, 6);
        else if (hi == gf) h = 60 * ((bf - rf) / d + 2);
        else h = 60 * ((rf - gf) / d + 4);
        if (h < 0) h += 360;
    }
    if (hue) *hue = h;
    if (saturation) *saturation = hi > 0 ? d / hi : 0;
    if (value) *value = hi;
}

static void sync(picker_state* st, qel_color c)
{
    qel_rgb_to_hsv(c & 0xFF, c >> 8 & 0xFF, c >> 16 & 0xFF, &st->hue, &st->saturation, &st->value);
    st->synced = 1;
}

static qel_color from_rgb24(uint32_t v)
{
    return 0xFF000000u | (v & 0xFF) << 16 | (v & 0xFF00) | (v >> 16 & 0xFF);
}

void qel_color_picker_open(qel_context* ctx, uint32_t picker_id, qel_color colour)
{
    sync(qel_state_record_of<picker_state>(ctx, picker_id, "picker_state"), colour);
    qel_popup_set_open(ctx, picker_id ^ POPUP_KEY, true);
    qel_popup_slot* slot = qel_popup_find(ctx, picker_id ^ POPUP_KEY, false);
    if (slot) slot->at_point = 0;
}

// --- Drawing ---

// A quad of four corner colours: top-left, top-right, bottom-right, bottom-left.
static void quad(qel_context* ctx, qel_rect r, qel_color tl, qel_color tr, qel_color br, qel_color bl)
{
    const qel_triangle_vertex v[4] = {{r.x, r.y, tl}, {r.x + r.w, r.y, tr}, {r.x + r.w, r.y + r.h, br}, {r.x, r.y + r.h, bl}};
    const uint32_t indices[6] = {0, 1, 2, 0, 2, 3};
    qel_draw_triangles(ctx, v, 4, indices, 6);
}

static void square_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const picker_state* hsv = (const picker_state*)user;
    qel_rect r = node->rect;
    qel_color pure = qel_hsv_to_rgb(hsv->hue, 1, 1);
    qel_draw_push_clip(ctx, &r);
    quad(ctx, r, WHITE, pure, pure, WHITE);
    quad(ctx, r, 0, 0, 0xFF000000u, 0xFF000000u);
    qel_draw_pop_clip(ctx);
    qel_draw_rect_bordered(ctx, &r, node->radii, 0, HAIRLINE, 1);
    qel_vec2 marker = {r.x + hsv->saturation * r.w, r.y + (1 - hsv->value) * r.h};
    qel_draw_circle(ctx, marker, 7, WHITE);
    qel_draw_circle(ctx, marker, 5, qel_hsv_to_rgb(hsv->hue, hsv->saturation, hsv->value));
}

static void hue_bar_draw(qel_context* ctx, const qel_node* node, void* user)
{
    float hue = *(const float*)user;
    qel_rect r = node->rect;
    static const float STOPS[7] = {0, 60, 120, 180, 240, 300, 359.9f};
    qel_draw_push_clip(ctx, &r);
    for (int i = 0; i < 6; i++) {
        qel_rect part = {r.x + r.w * (float)i / 6, r.y + 2, r.w / 6, r.h - 4};
        qel_color a = qel_hsv_to_rgb(STOPS[i], 1, 1), b = qel_hsv_to_rgb(STOPS[i + 1], 1, 1);
        quad(ctx, part, a, b, b, a);
    }
    qel_rect handle = {r.x + r.w * hue / 360 - 4, r.y, 8, r.h};
    const float radii[4] = {4, 4, 4, 4};
    qel_draw_rect_bordered(ctx, &handle, radii, qel_hsv_to_rgb(hue, 1, 1), WHITE, 2);
    qel_draw_pop_clip(ctx);
}

// --- Picker ---

static void trigger(qel_context* ctx, uint32_t id, qel_color colour, float hover, bool hovered)
{
    const qel_theme* th = qel_theme_block_get(ctx);
    int32_t index = qel_node_open(ctx, id);
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->height = {QEL_SIZE_FIXED, 36};
    n->pad_left = 6;
    n->pad_right = 12;
    n->gap = 8;
    n->align_self = QEL_ALIGN_OWN_SIZE;
    n->fill = qel_color_token(QEL_COLOR_SURFACE);
    n->border = qel_field_border_color(ctx, hover);
    n->border_width = 1;
    qel_node_round(n, fminf(th->radius_small, 18));
    qel_node_mark_interactive(ctx, index, QEL_INTERACT_FOCUSABLE);
    if (hovered) qel_set_cursor(ctx, QEL_CURSOR_HAND);
    qel_node_push(ctx, index);
    int32_t dot = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, 24}, {QEL_SIZE_FIXED, 24});
    qel_node* d = qel_node_at(ctx, dot);
    qel_node_round(d, 12);
    d->fill = colour;
    d->border = HAIRLINE;
    d->border_width = 1;
    const char* hex = qel_arena_sprintf(ctx, "#%02X%02X%02X", colour & 0xFF, colour >> 8 & 0xFF, colour >> 16 & 0xFF);
    qel_text_leaf(ctx, hex, -1, QEL_FONT_MONO, qel_text_body_scaled(ctx), qel_color_token(QEL_COLOR_TEXT), false, 1.3f);
    qel_node_pop(ctx);
}

// Fraction 0..1 of the pointer across a rectangle's width or height.
static float across(float pointer, float start, float length)
{
    return fminf(fmaxf((pointer - start) / length, 0.0f), 1.0f);
}

static void drag(qel_context* ctx, picker_state* st, qel_color* colour)
{
    uint32_t sv = qel_id(ctx, "#sv"), bar = qel_id(ctx, "#hue");
    qel_interaction a = qel_interact(ctx, sv, QEL_INTERACT_HOLD_OUTSIDE);
    qel_interaction b = qel_interact(ctx, bar, QEL_INTERACT_HOLD_OUTSIDE);
    qel_vec2 p = qel_mouse_pos(ctx);
    bool down = qel_mouse_down(ctx, 0);
    bool moved = false;
    qel_rect r = qel_id_rect(ctx, sv);
    if (a.active && down && r.w > 0 && r.h > 0) {
        st->saturation = across(p.x, r.x, r.w);
        st->value = 1 - across(p.y, r.y, r.h);
        moved = true;
    }
    r = qel_id_rect(ctx, bar);
    if (b.active && down && r.w > 0) {
        st->hue = fminf(across(p.x, r.x, r.w), 0.9999f) * 360;
        moved = true;
    }
    if (moved) *colour = qel_hsv_to_rgb(st->hue, st->saturation, st->value);
}

static void gradient_node(qel_context* ctx, const char* name, float height, float radius, qel_draw_fn draw, void* user)
{
    int32_t index = qel_node_sized(ctx, qel_id(ctx, name), {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, height});
    qel_node* n = qel_node_at(ctx, index);
    qel_node_round(n, radius);
    n->draw = draw;
    n->draw_user = user;
    qel_node_mark_interactive(ctx, index, 0);
}

static void swatches(qel_context* ctx, uint32_t popup, picker_state* st, qel_color* colour)
{
    qel_style row = {};
    row.justify = QEL_JUSTIFY_BETWEEN;
    row.width = {QEL_SIZE_GROW, 1};
    qel_row_begin(ctx, &row);
    for (int32_t i = 0; i < 8; i++) {
        uint32_t id = qel_hash_bytes(&i, sizeof i, popup);
        qel_interaction it = qel_interact(ctx, id, 0);
        qel_color swatch = from_rgb24(PRESETS[i]);
        int32_t index = qel_node_sized(ctx, id, {QEL_SIZE_FIXED, 22}, {QEL_SIZE_FIXED, 22});
        qel_node* n = qel_node_at(ctx, index);
        qel_node_round(n, 11);
        n->fill = swatch;
        if ((swatch & 0xFFFFFF) == (*colour & 0xFFFFFF)) {
            n->border = qel_color_token(QEL_COLOR_ELEVATED);
            n->border_width = 2;
            n->elevation = 1;
        }
        qel_node_mark_interactive(ctx, index, 0);
        if (it.hovered) qel_set_cursor(ctx, QEL_CURSOR_HAND);
        if (!it.clicked) continue;
        *colour = swatch;
        sync(st, swatch);
    }
    qel_container_end(ctx);
}

bool qel_color_picker(qel_context* ctx, const char* label, qel_color* colour)
{
    qel_color scratch = 0xFF000000u;
    qel_color* c = colour ? colour : &scratch;
    qel_color before = *c;
    uint32_t id = qel_id(ctx, label);
    picker_state* st = qel_state_record_of<picker_state>(ctx, id, "picker_state");
    if (!st->synced) sync(st, *c);
    qel_popup_slot* slot = qel_popup_find(ctx, id ^ POPUP_KEY, true);
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
    if (slot && it.clicked) {
        qel_popup_set_open(ctx, slot->id, !slot->open);
        slot->at_point = 0;
        sync(st, *c);
    }
    float hover = qel_anim_flash(ctx, id ^ 1, it.hovered, 0.14f);
    trigger(ctx, id, *c, hover, it.hovered);
    qel_set_last_item(ctx, id);
    if (!slot || !qel_popup_begin(ctx, slot->id, id, QEL_PLACE_BELOW_START, 240, 12, 12, false)) return false;
    drag(ctx, st, c);
    picker_state* copy = (picker_state*)qel_arena_alloc(ctx, sizeof(picker_state));
    *copy = *st;
    gradient_node(ctx, "#sv", 150, 10, square_draw, copy);
    gradient_node(ctx, "#hue", 14, 0, hue_bar_draw, &copy->hue);
    swatches(ctx, slot->id, st, c);
    qel_popup_end(ctx);
    return *c != before;
}
