// Banners, countdowns and onboarding checklists: their nodes, the per-id motion (visibility,
// digit rolls, step springs) and the frame requests that keep a countdown on the second.
#include "qel/notices.h"

#include <cmath>

#include "core/core.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/button.h"
#include "qel/collapsibles.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/frame.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/text_units.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/timeline_rings.h"
#include "qel/widget_feel.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

static const float ROLL_SECONDS = 0.3f, HOVER_SECONDS = 0.14f, DONE_SECONDS = 0.18f, STEP_PERIOD = 0.32f;
static const float BANNER_PERIOD = 0.32f;
static const char ARROW_GLYPH[] = QEL_ICON_ARROW_RIGHT;
static const char CLOSE_GLYPH[] = QEL_ICON_X;
static const uint32_t BANNER_KEY = 0xBA22u, BANNER_INNER_KEY = 0xBA23u;
static const char* const UNIT_CAPTIONS[4] = {"Days", "Hours", "Minutes", "Seconds"};

// --- Banner ---

struct banner_state {
    float shown[2];  // spring
    float height;    // of the last frame that laid the strip out
    uint8_t started;
};

static void banner_line_draw(qel_context* ctx, const qel_node* node, void* user)
{
    qel_rect r = {node->rect.x, node->rect.y + node->rect.h - 1, node->rect.w, 1};
    qel_draw_rect(ctx, &r, nullptr, *(const qel_color*)user);
}

// Whether the message and action stack in a column: when a known width leaves the message less
// than 170 units beside the action, icon and close button.
static bool banner_stacks(qel_context* ctx, float width, const qel_banner_options* o, bool closable)
{
    if (!o->action || width <= 0) return false;
    float room = width - 26 - 10 -
                 (qel_text_width_measured(ctx, QEL_FONT_MEDIUM, qel_text_small_scaled(ctx), o->action, -1, false) + 40);
    if (o->icon) room -= 26;
    if (closable) room -= 34;
    return room < 170;
}

static int32_t banner_strip(qel_context* ctx, uint32_t id, uint32_t kind, float t, bool stacked)
{
    bool dark = qel_dark_mode(ctx);
    bool plain_accent = kind == 8 && qel_theme_get_accent(ctx) == 0;  // a neutral accent needs a lighter tint
    qel_color c = qel_color_semantic(ctx, kind);
    float tint = plain_accent ? (dark ? 0.1f : 0.045f) : (dark ? 0.16f : 0.09f);
    int32_t index = qel_node_open(ctx, id);
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->align = stacked ? QEL_ALIGN_START : QEL_ALIGN_CENTER;
    n->width = {QEL_SIZE_GROW, 1};
    n->gap = 10;
    n->pad_top = n->pad_bottom = 9;
    n->pad_left = 16;
    n->pad_right = 10;
    n->fill = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_SURFACE), c, tint);
    n->opacity = t;
    qel_color line = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_BORDER), c, 0.25f);
    qel_node_draw_with(ctx, index, banner_line_draw, &line, sizeof line, false);
    return index;
}

static bool banner_action(qel_context* ctx, const char* action, qel_color c)
{
    qel_style keep = {};
    int32_t box = qel_node_open(ctx, 0);
    qel_node_apply_style(ctx, box, &keep);
    qel_node_at(ctx, box)->flags |= QEL_NODE_NO_SHRINK;
    qel_node_push(ctx, box);
    qel_button_opts b = {};
    b.variant = QEL_BUTTON_LINK;
    b.size = 1;
    b.trailing_icon = ARROW_GLYPH;
    b.custom_color = c;
    bool clicked = qel_button(ctx, action, &b);
    qel_node_pop(ctx);
    return clicked;
}

bool qel_dismissible_banner(qel_context* ctx, const char* label, uint8_t* visible, const qel_banner_options* options)
{
    const qel_banner_options none = {};
    const qel_banner_options* o = options ? options : &none;
    uint32_t id = qel_id(ctx, label), outer = id ^ BANNER_KEY, inner = id ^ BANNER_INNER_KEY;
    bool shown = !visible || *visible;
    auto* s = (banner_state*)qel_state_get(ctx, outer, sizeof(banner_state));
    float value = qel_open_spring(ctx, s->shown, &s->started, shown, BANNER_PERIOD);
    if (!shown && value <= 0.002f) return false;
    float t = fminf(value, 1.0f);
    t = t < 0.001f ? 0.001f : t;
    uint32_t kind = o->kind ? o->kind : 8;
    qel_color c = qel_color_semantic(ctx, kind);
    qel_rect last = qel_id_rect(ctx, inner);
    if (last.h > 0) s->height = last.h;
    bool closable = o->dismissible && visible;
    bool stacked = banner_stacks(ctx, last.w, o, closable);

    int32_t clip = qel_node_open(ctx, outer);
    qel_node* k = qel_node_at(ctx, clip);
    k->flags |= QEL_NODE_CLIP;
    k->width = {QEL_SIZE_GROW, 1};
    k->align_self = QEL_ALIGN_STRETCH;
    if (t < 0.999f && s->height > 0) k->height = {QEL_SIZE_FIXED, s->height * t};
    qel_node_push(ctx, clip);
    qel_node_push(ctx, banner_strip(ctx, inner, kind, t, stacked));
    if (!stacked) qel_spacer(ctx);
    if (o->icon) qel_icon_glyph(ctx, o->icon, 16, c);
    if (stacked) {
        qel_style column = {};
        column.width = {QEL_SIZE_GROW, 1};
        column.gap = 2;
        column.align = QEL_ALIGN_START;
        qel_column_begin(ctx, &column);
    }
    qel_color ink = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_TEXT), c,
                                  qel_dark_mode(ctx) ? 0.25f : 0.35f);
    qel_text_leaf(ctx, label, qel_label_visible_len(label), QEL_FONT_MEDIUM, qel_text_small_scaled(ctx), ink, true,
                  1.35f);
    qel_push_id(ctx, label);
    bool clicked = o->action && banner_action(ctx, o->action, c);
    if (stacked) qel_container_end(ctx);
    if (!stacked) qel_spacer(ctx);
    if (closable) {
        qel_button_opts b = {};
        b.size = 1;
        b.tooltip = "Dismiss";
        b.width = {QEL_SIZE_FIXED, 24};
        if (qel_icon_button(ctx, CLOSE_GLYPH, &b)) *visible = 0;
    }
    qel_pop_id(ctx);
    qel_node_pop(ctx);
    qel_node_pop(ctx);
    qel_set_last_item(ctx, outer);
    return clicked;
}

// --- Countdown ---

struct digit_state {
    int32_t current, previous;
    float progress;  // of the roll, 0..1
    uint8_t started;
};

struct countdown_look {
    float box_w, box_h, digits, gap, radius;
};

// The time left as seconds in 0..INT32_MAX: NaN and negatives are 0, the rest saturates.
static double seconds_left(double seconds)
{
    if (!(seconds > 0)) return 0;
    return fmin(seconds, 2147483647.0);
}

static countdown_look countdown_size(qel_context* ctx, uint32_t id, int32_t n, bool compact)
{
    float ui = ctx->theme.current.ui_scale;
    if (compact) return {44, 44, 20 * ui, 6, 8};
    countdown_look look = {68, 72, 32 * ui, 12, 12};
    float w = qel_id_rect(ctx, id).w;
    if (w <= 0 || n * 68.0f + (n - 1) * 12.0f <= w) return look;
    float b = floorf((w - (n - 1) * 8.0f) / n);
    look.gap = 8;
    if (b >= 68) return look;
    float k = fmaxf(b, 52.0f) / 68.0f;
    return {truncf(68 * k), truncf(72 * k), truncf(32 * k) * ui, 8, 12};
}

static void digit_text(qel_context* ctx, int32_t value, const countdown_look& look, float shift, float opacity)
{
    int32_t leaf = qel_text_leaf(ctx, qel_arena_sprintf(ctx, "%02d", value), -1, QEL_FONT_HEADING, look.digits,
                                 qel_color_token(QEL_COLOR_TEXT), false, 1);
    qel_node* n = qel_node_at(ctx, leaf);
    n->flags |= QEL_NODE_TABULAR;
    n->translate_y = shift;
    n->opacity = opacity;
}

static void digit_box(qel_context* ctx, uint32_t id, int32_t unit, int32_t value, const countdown_look& look)
{
    auto* d = (digit_state*)qel_state_get(ctx, qel_hash_bytes(&unit, sizeof unit, id), sizeof(digit_state));
    if (!d->started) {
        *d = {value, value, 1, 1};
    } else if (d->current != value) {
        d->previous = d->current, d->current = value, d->progress = 0;
    }
    float p = qel_anim_exp(ctx, &d->progress, 1, ROLL_SECONDS);
    qel_style s = {};
    s.direction = QEL_DIR_STACK;
    s.width = {QEL_SIZE_FIXED, look.box_w};
    s.height = {QEL_SIZE_FIXED, look.box_h};
    s.align = QEL_ALIGN_CENTER;
    s.justify = QEL_JUSTIFY_CENTER;
    s.fill = qel_color_token(QEL_COLOR_SURFACE);
    s.border = qel_color_token(QEL_COLOR_BORDER);
    s.border_width = 1;
    s.clip = 1;
    s.radius = look.radius;
    qel_container_begin(ctx, &s);
    if (p < 1) digit_text(ctx, d->previous, look, -0.6f * look.box_h * p, fmaxf(1 - p, 0.001f));
    digit_text(ctx, d->current, look, p < 1 ? 0.6f * look.box_h * (1 - p) : 0, p < 1 ? fmaxf(p, 0.001f) : 1);
    qel_container_end(ctx);
}

void qel_countdown(qel_context* ctx, const char* label, double seconds, const qel_countdown_options* options)
{
    const qel_countdown_options none = {};
    const qel_countdown_options* o = options ? options : &none;
    const qel_theme* th = &ctx->theme.current;
    double x = seconds_left(seconds);
    auto s = (int32_t)x;
    int32_t values[4] = {s / 86400, (s / 3600) % 24, (s / 60) % 60, s % 60};
    int32_t first = o->no_days ? 1 : 0;
    if (o->no_days) values[1] = s / 3600;
    int32_t n = 4 - first;
    uint32_t id = qel_id(ctx, label);
    countdown_look look = countdown_size(ctx, id, n, o->compact);

    int32_t row = qel_node_open(ctx, id);
    qel_node* r = qel_node_at(ctx, row);
    r->direction = QEL_DIR_ROW;
    r->align = QEL_ALIGN_START;
    r->gap = look.gap;
    r->align_self = QEL_ALIGN_OWN_SIZE;
    if (r->direction_mode == 0) r->direction_mode = 1;  // digits keep their order in every direction
    if (!o->compact) {
        r->flags |= QEL_NODE_MIN_FLOOR;
        r->min_w = n * 52.0f + (n - 1) * 8.0f;
    }
    qel_node_push(ctx, row);
    for (int32_t u = first; u < 4; u++) {
        if (o->compact && u > first)
            qel_text_leaf(ctx, ":", -1, QEL_FONT_HEADING, look.digits, qel_color_token(QEL_COLOR_TEXT_MUTED), false,
                          look.box_h / look.digits);
        qel_style column = {};
        column.align = QEL_ALIGN_CENTER;
        column.gap = 8;
        qel_column_begin(ctx, &column);
        digit_box(ctx, id, u, values[u], look);
        if (!o->compact)
            qel_text_leaf(ctx, UNIT_CAPTIONS[u], -1, QEL_FONT_MEDIUM, th->text_xs * th->ui_scale,
                          qel_color_token(QEL_COLOR_TEXT_MUTED), false, 1.2f);
        qel_container_end(ctx);
    }
    qel_node_pop(ctx);
    if (x > 0) {
        double fraction = x - floor(x);
        qel_request_redraw_in(ctx, fraction > 0.001 ? (float)(fraction + 0.005) : 1.005f);
    }
    qel_set_last_item(ctx, id);
}

// --- Onboarding checklist ---

struct step_state {
    float expand[2];  // spring
    float done;
    float hover;
    uint8_t started;
};

struct circle_record {
    float done, hover;
    uint8_t dark;
    uint8_t ring;  // drawn with the circle: the node holds one draw callback
};

static void circle_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* c = (const circle_record*)user;
    qel_vec2 centre = {node->rect.x + node->rect.w / 2, node->rect.y + node->rect.h / 2};
    float radius = node->rect.w / 2;
    qel_color success = qel_theme_color(ctx, QEL_COLOR_SUCCESS);
    if (c->done < 0.999f)
        qel_draw_arc(ctx, centre, radius - 1, 0, 6.2831853f, 1.5f,
                     qel_color_mix(qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG), success, 0.5f * c->hover));
    if (c->done > 0.001f) {
        qel_draw_circle(ctx, centre, (0.55f + 0.45f * c->done) * radius, qel_color_alpha(success, c->done));
        float inset = 0.27f * node->rect.w;
        qel_rect box = {node->rect.x + inset, node->rect.y + inset, node->rect.w - 2 * inset, node->rect.h - 2 * inset};
        qel_draw_checkmark(ctx, &box, c->done, 1.7f, c->dark ? 0xFF101A08u : 0xFFFFFFFFu);
    }
    if (c->ring) qel_draw_focus_ring(ctx, &node->rect, node->radii, 1.0f);
}

static void checklist_header(qel_context* ctx, const char* label, const qel_checklist_options* o, int32_t done,
                             int32_t count)
{
    const qel_theme* th = &ctx->theme.current;
    qel_style row = {};
    row.align = QEL_ALIGN_CENTER;
    row.gap = 14;
    row.padding = 12;
    row.padding_top = 10;
    qel_row_begin(ctx, &row);
    qel_style words = {};
    words.width = {QEL_SIZE_GROW, 1};
    words.gap = 3;
    qel_column_begin(ctx, &words);
    qel_text_leaf(ctx, o->title ? o->title : "Get started", -1, QEL_FONT_MEDIUM, (th->text_body + 1) * th->ui_scale,
                  qel_color_token(QEL_COLOR_TEXT), true, 1.35f);
    const char* subtitle = o->subtitle ? o->subtitle : qel_arena_sprintf(ctx, "%d of %d complete", done, count);
    qel_text_leaf(ctx, subtitle, -1, QEL_FONT_BODY, qel_text_small_scaled(ctx),
                  qel_color_token(QEL_COLOR_TEXT_SECONDARY), true, 1.4f);
    qel_container_end(ctx);
    qel_progress_ring(ctx, qel_arena_sprintf(ctx, "##%s-ring", label), count > 0 ? (float)done / (float)count : 0, 46);
    qel_container_end(ctx);
}

static void step_circle(qel_context* ctx, uint32_t id, const step_state* s, bool ring)
{
    int32_t index = qel_node_sized(ctx, id, {QEL_SIZE_FIXED, 22}, {QEL_SIZE_FIXED, 22});
    circle_record c = {s->done, s->hover, (uint8_t)qel_dark_mode(ctx), (uint8_t)ring};
    qel_node_draw_with(ctx, index, circle_draw, &c, sizeof c, false);
    qel_node_clickable(ctx, index, id, qel_is_disabled(ctx));
}

// The description and action of a step, growing open by e; true when the action was clicked.
static bool step_details(qel_context* ctx, uint32_t id, int32_t i, const qel_checklist_item* item, float e,
                         bool current)
{
    float measured = qel_id_rect(ctx, id).h;
    qel_style clip = {};
    clip.width = {QEL_SIZE_GROW, 1};
    clip.clip = 1;
    if (e < 0.999f && measured > 0) clip.height = {QEL_SIZE_FIXED, measured * e};
    qel_container_begin(ctx, &clip);
    qel_node_at(ctx, qel_node_parent(ctx))->opacity = e;
    int32_t details = qel_node_open(ctx, id);
    qel_node* d = qel_node_at(ctx, details);
    d->gap = 10;
    d->pad_bottom = 2;
    qel_node_push(ctx, details);
    if (item->description)
        qel_text_leaf(ctx, item->description, -1, QEL_FONT_BODY, qel_text_small_scaled(ctx),
                      qel_color_token(QEL_COLOR_TEXT_SECONDARY), true, 1.45f);
    bool clicked = false;
    if (item->action) {
        qel_push_id_int(ctx, i);
        if (!current) qel_push_disabled(ctx, true);
        qel_button_opts b = {};
        b.variant = QEL_BUTTON_PRIMARY;
        b.size = 1;
        b.trailing_icon = ARROW_GLYPH;
        clicked = qel_button(ctx, item->action, &b) && current;
        if (!current) qel_pop_disabled(ctx);
        qel_pop_id(ctx);
    }
    qel_node_pop(ctx);
    qel_container_end(ctx);
    return clicked;
}

static bool checklist_step(qel_context* ctx, uint32_t list, int32_t i, qel_checklist_item* item, bool current)
{
    const qel_theme* th = &ctx->theme.current;
    uint32_t id = qel_hash_bytes(&i, sizeof i, list), circle = id ^ 0xC1u;
    auto* s = qel_state_record_of<step_state>(ctx, id, "step_state");
    qel_interaction it = qel_interact_item(ctx, circle, QEL_INTERACT_FOCUSABLE, false);
    if (it.clicked) item->done = !item->done;
    if (!s->started) s->done = item->done ? 1.0f : 0.0f;
    float e = qel_unit_clamp(qel_open_spring(ctx, s->expand, &s->started, current, STEP_PERIOD));
    qel_anim_exp(ctx, &s->done, item->done ? 1.0f : 0.0f, DONE_SECONDS);
    qel_anim_exp(ctx, &s->hover, it.hovered ? 1.0f : 0.0f, HOVER_SECONDS);

    int32_t row = qel_node_open(ctx, id);
    qel_node* r = qel_node_at(ctx, row);
    r->direction = QEL_DIR_ROW;
    r->align = QEL_ALIGN_START;
    r->gap = 12;
    r->pad_top = r->pad_bottom = 10;
    r->pad_left = r->pad_right = 12;
    qel_node_round(r, th->radius_small - 2);
    r->fill = qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_SUBTLE), e);
    qel_node_push(ctx, row);
    step_circle(ctx, circle, s, it.focused && it.focus_visible);
    qel_style words = {};
    words.width = {QEL_SIZE_GROW, 1};
    words.gap = 4;
    qel_column_begin(ctx, &words);
    qel_text_leaf(ctx, item->title, -1, QEL_FONT_MEDIUM, qel_text_body_scaled(ctx),
                  qel_color_mix(qel_theme_color(ctx, QEL_COLOR_TEXT), qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), s->done),
                  false, 1.45f);
    bool clicked = false;
    if (e > 0.001f && (item->description || item->action))
        clicked = step_details(ctx, id ^ 0xB0u, i, item, e, current);
    qel_container_end(ctx);
    qel_node_pop(ctx);
    return clicked;
}

int32_t qel_onboarding_checklist(qel_context* ctx, const char* label, qel_checklist_item* items, int32_t count,
                                 const qel_checklist_options* options)
{
    const qel_checklist_options none = {};
    const qel_checklist_options* o = options ? options : &none;
    if (!items || count < 0) count = 0;
    int32_t done = 0, current = -1;
    for (int32_t i = 0; i < count; i++) {
        done += items[i].done != 0;
        if (current < 0 && !items[i].done) current = i;
    }
    uint32_t id = qel_id(ctx, label);
    qel_style card = {};
    card.width = {QEL_SIZE_GROW, 1};
    card.fill = qel_color_token(QEL_COLOR_SURFACE);
    card.border = qel_color_token(QEL_COLOR_BORDER);
    card.border_width = 1;
    card.radius = ctx->theme.current.radius_medium;
    card.padding = 8;
    int32_t node = qel_node_open(ctx, id);
    qel_node_apply_style(ctx, node, &card);
    qel_node_push(ctx, node);
    checklist_header(ctx, label, o, done, count);
    int32_t result = -1;
    for (int32_t i = 0; i < count; i++)
        if (checklist_step(ctx, id, i, &items[i], i == current)) result = i;
    qel_node_pop(ctx);
    qel_set_last_item(ctx, id);
    return result;
}
