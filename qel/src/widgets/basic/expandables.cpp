// Show-more text and expandable cards: their nodes, the height and open springs per id, and the
// fade drawn over a clipped paragraph. Wrapping is the text module's; the nesting counter and the
// closing body's disabled scope are shared with the collapsing headers.
#include "qel/expandables.h"

#include <cmath>

#include "core/core.h"
#include "qel/anim.h"
#include "qel/badges_avatars.h"
#include "qel/collapsibles.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/text_units.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

static const float PI = 3.14159265f;
static const float HOVER_SECONDS = 0.14f, SHOW_PERIOD = 0.4f, CARD_PERIOD = 0.32f;
static const uint32_t SHOW_BODY_KEY = 0xC11Fu, CARD_KEY = 0xEC4Du, CARD_BODY_KEY = 0xEC8Du;

// --- Show-more text ---

struct show_more_state {
    float height[2];  // spring
    uint8_t expanded;
    uint8_t started;
};

struct fade_record {
    float amount;
    float line;  // line height
    qel_color color;
};

static void fade_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* f = (const fade_record*)user;
    if (f->amount <= 0.01f) return;
    float h = fminf(node->rect.h, 1.3f * f->line);
    qel_rect r = {node->rect.x, node->rect.y + node->rect.h - h, node->rect.w, h};
    qel_color c = qel_color_resolve(ctx, f->color);
    qel_draw_rect_gradient(ctx, &r, nullptr, qel_color_alpha(c, 0), qel_color_alpha(c, 0.82f * f->amount));
}

bool qel_show_more_text(qel_context* ctx, const char* label, const char* text, const qel_show_more_options* options)
{
    const qel_show_more_options none = {};
    const qel_show_more_options* o = options ? options : &none;
    const qel_theme* th = &ctx->theme.current;
    int32_t max_lines = o->max_lines < 1 ? 3 : o->max_lines;
    float size = (o->text_size > 0 ? o->text_size : th->text_body) * th->ui_scale, h = 1.45f * size;
    uint32_t id = qel_id(ctx, label), body = id ^ SHOW_BODY_KEY;
    auto* s = qel_state_record_of<show_more_state>(ctx, id, "show_more_state");

    float w = qel_id_rect(ctx, body).w;
    bool measured = w > 0;
    int32_t lines = measured ? qel_text_wrap(ctx, QEL_FONT_BODY, size, text, -1, w, nullptr, 0) : max_lines;
    float collapsed = (float)max_lines * h, full = (float)lines * h;
    float target = s->expanded || lines <= max_lines ? full : collapsed;
    if (!s->started) s->height[0] = target, s->height[1] = 0, s->started = 1;
    float value = qel_anim_spring(ctx, s->height, target, SHOW_PERIOD, 0);
    bool more = lines > max_lines;

    qel_style outer = {};
    outer.width = {QEL_SIZE_GROW, 1};
    outer.gap = 6;
    qel_column_begin(ctx, &outer);
    fade_record fade = {0, h, qel_color_arg(o->fade, qel_color_token(QEL_COLOR_BACKGROUND))};
    int32_t clip = qel_node_sized_pushed(ctx, body, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node* n = qel_node_at(ctx, clip);
    n->flags |= QEL_NODE_CLIP;
    if (!measured) {
        n->height = {QEL_SIZE_FIXED, fmaxf(h, value)};
    } else if (more) {
        n->height = {QEL_SIZE_FIXED, fmaxf(h, value) + (s->expanded ? 0 : 2)};
        fade.amount = 1 - qel_unit_clamp((value - collapsed) / (full - collapsed));
    }
    qel_node_draw_with(ctx, clip, fade_draw, &fade, sizeof fade, true);
    int32_t leaf = qel_text_leaf(ctx, text, -1, QEL_FONT_BODY, size, qel_color_arg(o->text, qel_color_token(QEL_COLOR_TEXT)),
                                 true, 1.45f);
    qel_node_at(ctx, leaf)->width = {QEL_SIZE_GROW, 1};
    qel_node_pop(ctx);
    bool clicked = false;
    if (more) {
        qel_push_id(ctx, label);
        clicked = qel_link(ctx, s->expanded ? "Show less" : "Show more");
        qel_pop_id(ctx);
        if (clicked) s->expanded = !s->expanded;
    }
    qel_container_end(ctx);
    qel_set_last_item(ctx, id);
    return clicked;
}

// --- Expandable card ---

struct card_state {
    float open[2];  // spring
    float hover;
    float body_height;  // of the last frame that laid the body out
    uint8_t started;
};

static void card_header(qel_context* ctx, uint32_t id, const char* label, const qel_expandable_card_options* o, float t,
                        float hover, bool ring)
{
    int32_t index = qel_node_sized_pushed(ctx, id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->pad_top = n->pad_bottom = 14;
    n->pad_left = n->pad_right = 16;
    n->gap = 12;
    n->fill = qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_HOVER), 0.6f * hover);
    qel_node_clickable(ctx, index, id, qel_is_disabled(ctx));
    qel_node_focus_ring_full(ctx, index, ring);
    if (o->icon) {
        qel_style box = {};
        box.direction = QEL_DIR_STACK;
        box.width = {QEL_SIZE_FIXED, 20};
        box.height = {QEL_SIZE_FIXED, 36};
        box.align = QEL_ALIGN_CENTER;
        box.justify = QEL_JUSTIFY_CENTER;
        qel_container_begin(ctx, &box);
        qel_icon_glyph(ctx, o->icon, 18, qel_color_token(QEL_COLOR_TEXT_SECONDARY));
        qel_container_end(ctx);
    }
    qel_style words = {};
    words.width = {QEL_SIZE_GROW, 1};
    words.gap = 2;
    qel_column_begin(ctx, &words);
    qel_text_leaf(ctx, label, qel_label_visible_len(label), QEL_FONT_MEDIUM, qel_text_body_scaled(ctx),
                  qel_color_token(QEL_COLOR_TEXT), true, 1.35f);
    if (o->subtitle)
        qel_text_leaf(ctx, o->subtitle, -1, QEL_FONT_BODY, qel_text_small_scaled(ctx),
                      qel_color_token(QEL_COLOR_TEXT_SECONDARY), true, 1.4f);
    qel_container_end(ctx);
    if (o->badge) {
        qel_badge_opts badge = {};
        badge.kind = o->badge_kind;
        badge.size = 1;
        qel_badge(ctx, o->badge, &badge);
    }
    qel_chevron_icon(ctx, PI * t, 16,
                     qel_color_mix(qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), qel_theme_color(ctx, QEL_COLOR_TEXT), hover));
    qel_node_pop(ctx);
}

bool qel_expandable_card(qel_context* ctx, const char* label, uint8_t* expanded,
                         const qel_expandable_card_options* options)
{
    const qel_expandable_card_options none = {};
    const qel_expandable_card_options* o = options ? options : &none;
    uint8_t shut = 0;
    if (!expanded) expanded = &shut;
    uint32_t id = qel_id(ctx, label), header = id ^ CARD_KEY, body = id ^ CARD_BODY_KEY;
    qel_interaction it = qel_interact_item(ctx, header, QEL_INTERACT_FOCUSABLE, false);
    if (it.clicked) *expanded = !*expanded;
    auto* s = (card_state*)qel_state_get(ctx, header, sizeof(card_state));
    float t = qel_unit_clamp(qel_open_spring(ctx, s->open, &s->started, *expanded, CARD_PERIOD));
    float hover = qel_anim_exp(ctx, &s->hover, it.hovered ? 1.0f : 0.0f, HOVER_SECONDS);

    int32_t card = qel_node_sized_pushed(ctx, id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node* c = qel_node_at(ctx, card);
    c->align_self = QEL_ALIGN_STRETCH;
    c->fill = qel_color_token(QEL_COLOR_SURFACE);
    c->border_width = 1;
    c->border = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_BORDER), qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG),
                              qel_unit_clamp(0.6f * t + hover));
    c->flags |= QEL_NODE_CLIP;
    c->elevation = 1;
    c->elevation_strength = t;
    qel_node_round(c, ctx->theme.current.radius_small + 2);
    card_header(ctx, header, label, o, t, hover, it.focused && it.focus_visible);

    if (t <= 0.001f && !*expanded) {
        qel_node_pop(ctx);
        return false;
    }
    int32_t line = qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, 1});
    qel_node_at(ctx, line)->fill = qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_BORDER), t);
    int32_t inner = qel_collapsible_body_open(ctx, body, t, fmaxf(t, 0.001f), &s->body_height);
    qel_node* b = qel_node_at(ctx, inner);
    b->gap = 10;
    b->pad_top = 14;
    b->pad_right = b->pad_bottom = b->pad_left = 16;
    b->translate_y = (1 - t) * -6;
    qel_collapsible_body_push(ctx, !*expanded);
    return true;
}

void qel_expandable_card_end(qel_context* ctx)
{
    qel_collapsible_body_pop(ctx);
    qel_node_pop(ctx);  // body
    qel_node_pop(ctx);  // clip
    qel_node_pop(ctx);  // card
}
