// The icon navigation bar (its items, badges, keys and the sliding indicator) and the toggle tile
// (its colours between off and on, the soft look of the dark neutral theme, the icon circle and
// the two lines of text).
#include "kit/state_records.h"
#include "qel/icon_nav_toggle.h"

#include <algorithm>
#include <cstdio>

#include "core/core.h"
#include "kit/widget_nodes.h"
#include "qel/anim.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/text_units.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "widgets/editors/showcase_parts.h"

static const float EASE = 0.14f;

// --- Navigation bar ---

// An item's state under its id: the shared hover and focus motion, then how selected it looks.
struct nav_item_state {
    qel_widget_motion motion;
    float selected;
};

struct nav_bar_state {
    float x[2], width[2];  // the indicator, from the bar's left edge
    uint8_t started;
};

struct nav_indicator_payload {
    float x, width;
    qel_color color;
};

static const uint32_t NAV_ITEM_SEED = 0x7ab;

static void nav_indicator_draw(qel_context* ctx, const qel_node* bar, void* user)
{
    auto* p = (const nav_indicator_payload*)user;
    if (!(p->width > 0)) return;
    float h = bar->rect.h - 12;
    qel_rect r = {bar->rect.x + p->x, bar->rect.y + 6, p->width, h};
    const float radii[4] = {h / 2, h / 2, h / 2, h / 2};
    qel_draw_rect(ctx, &r, radii, p->color);
}

static void nav_badge(qel_context* ctx, int32_t count)
{
    int32_t badge = qel_node_floating(ctx, 0, 13, -4, 16, 16);
    qel_node* n = qel_node_at(ctx, badge);
    n->fill = qel_color_token(QEL_COLOR_DANGER);
    n->border = qel_color_token(QEL_COLOR_ELEVATED);
    n->border_width = 1.5f;
    qel_node_round(n, 8);
    n->align = QEL_ALIGN_CENTER;
    n->justify = QEL_JUSTIFY_CENTER;
    n->direction = QEL_DIR_ROW;
    n->flags |= QEL_NODE_ON_TOP;  // over the glyph it belongs to
    char text[8];
    snprintf(text, sizeof text, count > 9 ? "9+" : "%d", count);
    qel_node_push(ctx, badge);
    qel_text_leaf_scaled(ctx, text, QEL_FONT_MEDIUM, 10, 0xFFFFFFFFu, 1.0f);
    qel_node_pop(ctx);
}

// One item; true when the user chose it. next is set when the arrow keys pick a neighbour.
static bool nav_item(qel_context* ctx, uint32_t bar_id, const qel_icon_nav_item* item, int32_t i, bool selected,
                     bool label_only_selected, int32_t* next)
{
    uint32_t id = qel_hash_bytes(&i, sizeof i, bar_id ^ NAV_ITEM_SEED);
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
    auto* s = qel_state_record_of<nav_item_state>(ctx, id, "nav_item_state");
    qel_widget_motion motion = qel_widget_motion_update(ctx, id, &it, 1);
    float sel = qel_anim_exp(ctx, &s->selected, selected ? 1.0f : 0.0f, EASE);
    if (it.focused) {
        if (qel_key_take(ctx, QEL_KEY_RIGHT)) *next = i + 1;
        if (qel_key_take(ctx, QEL_KEY_LEFT)) *next = i - 1;
    }
    qel_color rest = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY),
                                   motion.hover);
    qel_color c = qel_color_mix(rest, qel_color_resolve(ctx, qel_accent_or_text(ctx)), sel);
    int32_t node = qel_node_sized(ctx, id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_GROW, 1});
    qel_node* n = qel_node_at(ctx, node);
    n->direction = QEL_DIR_COLUMN;
    n->align = QEL_ALIGN_CENTER;
    n->justify = QEL_JUSTIFY_CENTER;
    n->gap = 3;
    qel_node_round(n, ctx->theme.current.radius_large - 6);
    qel_node_clickable(ctx, node, id, false);
    qel_focus_ring(ctx, node, motion.focus);
    qel_node_push(ctx, node);
    int32_t holder = qel_node_centred(ctx, 0, {QEL_SIZE_FIXED, 22}, {QEL_SIZE_FIXED, 22}, QEL_DIR_ROW, 0);
    qel_node_at(ctx, holder)->scale = 1 + 0.06f * sel;
    qel_node_push(ctx, holder);
    qel_icon_glyph(ctx, item->icon ? item->icon : QEL_ICON_CIRCLE, 20, c);
    if (item->badge > 0) nav_badge(ctx, item->badge);
    qel_node_pop(ctx);
    if (item->label && (!label_only_selected || selected))
        qel_text_leaf_scaled(ctx, item->label, selected ? QEL_FONT_MEDIUM : QEL_FONT_BODY, 11, c, 1.2f);
    qel_node_pop(ctx);
    return it.clicked;
}

// The indicator glides to the selected item's place of the last frame.
static nav_indicator_payload nav_indicator(qel_context* ctx, nav_bar_state* s, uint32_t bar_id, uint32_t item_id)
{
    qel_rect bar = qel_id_rect(ctx, bar_id), item = qel_id_rect(ctx, item_id);
    if (item.w > 0) {
        if (!s->started) s->x[0] = item.x - bar.x, s->width[0] = item.w, s->started = 1;
        qel_anim_spring(ctx, s->x, item.x - bar.x, 0.4f, 0);
        qel_anim_spring(ctx, s->width, item.w, 0.4f, 0);
    }
    bool accent = qel_theme_get_accent(ctx) != QEL_ACCENT_NEUTRAL;
    qel_color tint = accent ? qel_theme_color(ctx, QEL_COLOR_ACCENT_TINT)
                            : qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_TEXT), qel_dark_mode(ctx) ? 0.12f : 0.07f);
    return {s->x[0], s->started ? s->width[0] : 0, tint};
}

bool qel_icon_nav_bar(qel_context* ctx, const char* id_label, const qel_icon_nav_item* items, int32_t count,
                      int32_t* selected, const qel_icon_nav_options* options)
{
    const qel_icon_nav_options none = {};
    const qel_icon_nav_options* o = options ? options : &none;
    if (!items || count < 0) count = 0;
    uint32_t id = qel_id(ctx, id_label);
    int32_t chosen = selected ? *selected : 0, was = chosen;
    bool dark = qel_dark_mode(ctx);
    qel_style style = {};
    style.direction = QEL_DIR_ROW;
    style.gap = 4;
    style.padding = 6;
    style.width = o->width.kind != QEL_SIZE_FIT ? o->width : qel_size{QEL_SIZE_GROW, 1};
    style.height = {QEL_SIZE_FIXED, 64};
    style.radius = ctx->theme.current.radius_large;
    style.fill = qel_color_token(QEL_COLOR_ELEVATED);
    style.border = dark ? qel_color_token(QEL_COLOR_BORDER) : 0x12000000u;
    style.border_width = 1;
    style.elevation = 2;
    int32_t bar = qel_node_open(ctx, id);
    qel_node_apply_style(ctx, bar, &style);
    qel_node_push(ctx, bar);
    qel_push_id(ctx, id_label);
    for (int32_t i = 0; i < count; i++) {
        int32_t next = -1;
        if (nav_item(ctx, id, &items[i], i, i == was, o->label_mode == 1, &next)) chosen = i;
        if (next >= 0 && next < count) {
            chosen = next;
            qel_set_focus(ctx, qel_hash_bytes(&next, sizeof next, id ^ NAV_ITEM_SEED), true);
        }
    }
    auto* s = qel_state_record_of<nav_bar_state>(ctx, id, "nav_bar_state");
    nav_indicator_payload p = nav_indicator(ctx, s, id, qel_hash_bytes(&was, sizeof was, id ^ NAV_ITEM_SEED));
    qel_node_draw_with(ctx, bar, nav_indicator_draw, &p, sizeof p, false);
    qel_pop_id(ctx);
    qel_node_pop(ctx);
    if (selected) *selected = chosen;
    qel_set_last_item(ctx, id);
    return chosen != was;
}

// --- Toggle tile ---

struct toggle_state {
    qel_widget_motion motion;
    float on;
    uint8_t started;
};

// The tile's colours at this frame's hover.
struct toggle_colors {
    qel_color fill, text_on, circle_on, glyph_on;
    bool soft;
};

struct toggle_payload {
    float gloss, focus;
};

static toggle_colors toggle_palette(qel_context* ctx, qel_color own, float hover, float on)
{
    bool dark = qel_dark_mode(ctx), accent = qel_theme_get_accent(ctx) != QEL_ACCENT_NEUTRAL;
    bool token = qel_color_is_token(own);
    qel_color text = qel_theme_color(ctx, QEL_COLOR_TEXT), surface = qel_theme_color(ctx, QEL_COLOR_SURFACE);
    qel_color off = dark ? qel_color_mix(surface, text, 0.08f + 0.04f * hover)
                         : qel_color_mix(qel_theme_color(ctx, QEL_COLOR_SUBTLE), text, 0.035f * hover);
    qel_color on_fill = qel_color_resolve(ctx, qel_color_arg(own, qel_color_token(accent ? QEL_COLOR_ACCENT : QEL_COLOR_PRIMARY)));
    qel_color text_on = token ? 0xFFFFFFFFu : qel_theme_color(ctx, accent ? QEL_COLOR_ON_ACCENT : QEL_COLOR_ON_PRIMARY);
    toggle_colors c = {};
    c.soft = dark && !accent && !token;
    if (c.soft) on_fill = qel_color_mix(surface, text, 0.15f + 0.03f * hover), text_on = text;
    c.fill = qel_color_mix(off, on_fill, on);
    c.text_on = text_on;
    c.circle_on = c.soft ? qel_theme_color(ctx, QEL_COLOR_PRIMARY) : qel_color_alpha(text_on, 0.2f);
    c.glyph_on = c.soft ? qel_theme_color(ctx, QEL_COLOR_ON_PRIMARY) : text_on;
    return c;
}

static void toggle_tile_draw(qel_context* ctx, const qel_node* node, void* user)
{
    auto* p = (const toggle_payload*)user;
    if (p->gloss > 0) qel_draw_top_highlight_small(ctx, &node->rect, node->radii, p->gloss);
    qel_draw_focus_ring(ctx, &node->rect, node->radii, p->focus);
}

static void toggle_icon_circle(qel_context* ctx, const char* icon, const toggle_colors& c, float on)
{
    qel_color text = qel_theme_color(ctx, QEL_COLOR_TEXT), surface = qel_theme_color(ctx, QEL_COLOR_SURFACE);
    qel_color base = qel_dark_mode(ctx) ? qel_color_mix(surface, text, 0.14f) : surface;
    int32_t circle = qel_node_centred(ctx, 0, {QEL_SIZE_FIXED, 36}, {QEL_SIZE_FIXED, 36}, QEL_DIR_ROW, 18);
    qel_node_at(ctx, circle)->fill = qel_color_mix(base, c.circle_on, on);
    qel_node_push(ctx, circle);
    qel_icon_glyph(ctx, icon ? icon : QEL_ICON_ZAP, 18, qel_color_mix(text, c.glyph_on, on));
    qel_node_pop(ctx);
}

bool qel_toggle_tile(qel_context* ctx, const char* label, bool* on, const qel_toggle_tile_options* options)
{
    const qel_toggle_tile_options none = {};
    const qel_toggle_tile_options* o = options ? options : &none;
    uint32_t id = qel_id(ctx, label);
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
    bool toggled = it.clicked && on;
    if (toggled) *on = !*on;
    bool state = on && *on;
    auto* s = qel_state_record_of<toggle_state>(ctx, id, "toggle_state");
    if (!s->started) s->on = state ? 1.0f : 0.0f, s->started = 1;
    float v = qel_anim_exp(ctx, &s->on, state ? 1.0f : 0.0f, 0.18f);
    qel_widget_motion motion = qel_widget_motion_update(ctx, id, &it, 0.97f);
    toggle_colors c = toggle_palette(ctx, o->color, motion.hover, v);
    bool dark = qel_dark_mode(ctx);
    qel_style style = {};
    style.direction = o->row_layout ? QEL_DIR_ROW : QEL_DIR_COLUMN;
    style.align = o->row_layout ? QEL_ALIGN_CENTER : QEL_ALIGN_START;
    style.gap = o->row_layout ? 12.0f : 14.0f;
    style.min_h = o->row_layout ? 64.0f : 112.0f;
    style.padding = 14;
    style.width = o->width.kind != QEL_SIZE_FIT ? o->width : qel_size{QEL_SIZE_GROW, 1};
    style.radius = ctx->theme.current.radius_large;
    style.fill = c.fill;
    if (!dark) style.border = qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_BORDER), 1 - v), style.border_width = 1;
    int32_t tile = qel_node_open(ctx, id);
    qel_node_apply_style(ctx, tile, &style);
    qel_node_at(ctx, tile)->scale = motion.press[0];
    qel_node_clickable(ctx, tile, id, false);
    toggle_payload p = {v > 0.01f && !c.soft ? 0.45f * v : 0, motion.focus};
    qel_node_draw_with(ctx, tile, toggle_tile_draw, &p, sizeof p, false);
    qel_node_push(ctx, tile);
    toggle_icon_circle(ctx, o->icon, c, v);
    qel_column_begin(ctx, nullptr);
    qel_color text = qel_theme_color(ctx, QEL_COLOR_TEXT);
    qel_text_leaf(ctx, label, qel_label_visible_len(label), QEL_FONT_MEDIUM, qel_text_small_scaled(ctx),
                  qel_color_mix(text, c.text_on, v), false, 1.3f);
    const char* status = o->status ? o->status : state ? "On" : "Off";
    qel_text_leaf(ctx, status, -1, QEL_FONT_BODY, qel_scaled(ctx, ctx->theme.current.text_xs),
                  qel_color_mix(qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), qel_color_alpha(c.text_on, 0.75f), v),
                  false, 1.3f);
    qel_container_end(ctx);
    qel_node_pop(ctx);
    qel_set_last_item(ctx, id);
    return toggled;
}
