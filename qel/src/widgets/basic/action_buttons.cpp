// Button groups, copy buttons and press-and-hold buttons: the group node with its separators,
// measured width and corners; the copy button's confirmation time and clipboard write; the hold
// timer and its fill. The buttons inside are button.cpp's; the clipboard is the platform's.
#include "qel/action_buttons.h"

#include <cmath>

#include "core/core.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/button.h"
#include "qel/draw.h"
#include "qel/frame.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/scopes.h"
#include "kit/widget_nodes.h"

static const uint32_t GROUP_KEY = 0xb6a0u, COPY_KEY = 0xc0b7u, HOLD_KEY = 0x401du;
static const float TIGHT_PAD = 8.0f;
static const double COPIED_SECONDS = 1.6;
static const float HOLD_SECONDS = 1.2f, DRAIN_PERIOD = 0.35f;
static const qel_color HOLD_FILL = 0x38000000u;  // black at 0.22

// --- Button groups ---

void qel_button_group_separator(qel_context* ctx, const qel_node* node, void*)
{
    const qel_node* first = qel_node_at(ctx, node->first_child);
    if (!first) return;
    for (const qel_node* c = qel_node_at(ctx, first->next_sibling); c; c = qel_node_at(ctx, c->next_sibling)) {
        qel_rect line = {c->rect.x - 0.5f, node->rect.y + 1, 1, node->rect.h - 2};
        qel_draw_rect(ctx, &line, nullptr, qel_color_token(QEL_COLOR_BORDER_STRONG));
    }
}

void qel_button_group_begin(qel_context* ctx)
{
    int32_t index = qel_node_open(ctx, 0);
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->align_self = QEL_ALIGN_OWN_SIZE;
    n->border_width = 1;
    n->border = qel_border_color(ctx, 0);
    n->flags |= QEL_NODE_CLIP | QEL_NODE_DRAW_AFTER;
    n->draw = qel_button_group_separator;
    float radius = fminf(ctx->theme.current.radius_small, qel_control_height(ctx, 0) * 0.5f);
    qel_node_round(n, radius);
    qel_node_push(ctx, index);
    qel_scope_push<qel_button_group_scope>(ctx);
}

// A fit child's content width: its padding, its text and fixed leaves and the gaps between them;
// -1 when a leaf of another kind makes it unknown.
static float fit_child_width(qel_context* ctx, const qel_node* child)
{
    float sum = child->pad_left + child->pad_right;
    int32_t leaves = 0;
    for (const qel_node* l = qel_node_at(ctx, child->first_child); l; l = qel_node_at(ctx, l->next_sibling)) {
        if (l->flags & QEL_NODE_TEXT)
            sum += qel_text_width_measured(ctx, l->font, l->font_size, l->text, l->text_length,
                                           (l->flags & QEL_NODE_TABULAR) != 0);
        else if (l->width.kind == QEL_SIZE_FIXED) sum += l->width.value;
        else return -1;
        leaves++;
    }
    return leaves > 1 ? sum + child->gap * (float)(leaves - 1) : sum;
}

// The width the group's buttons want side by side; 0 when some child's width cannot be told.
static float natural_width(qel_context* ctx, const qel_node* group)
{
    float sum = 0;
    for (const qel_node* c = qel_node_at(ctx, group->first_child); c; c = qel_node_at(ctx, c->next_sibling)) {
        float w = c->width.kind == QEL_SIZE_FIXED ? c->width.value
                  : c->width.kind == QEL_SIZE_FIT ? fit_child_width(ctx, c)
                                                  : -1;
        if (w < 0) return 0;
        sum += w;
    }
    return sum;
}

// Takes the width the buttons want, and tightens their padding when last frame gave less.
static void fit_group(qel_context* ctx, qel_node* group)
{
    const qel_node* first = qel_node_at(ctx, group->first_child);
    if (!first->id) return;
    group->id = first->id ^ GROUP_KEY;
    float sum = natural_width(ctx, group);
    if (!(sum > 0)) return;
    float preferred = sum + group->pad_left + group->pad_right;
    qel_node_set_width(group, {QEL_SIZE_FIT, 0}, preferred);
    qel_rect last = qel_id_rect(ctx, group->id);
    if (!qel_id_seen(ctx, group->id) || !(preferred - 0.5f > last.w)) return;
    for (qel_node* c = qel_node_at(ctx, group->first_child); c; c = qel_node_at(ctx, c->next_sibling))
        if (c->width.kind == QEL_SIZE_FIT && c->pad_right > TIGHT_PAD) c->pad_left = c->pad_right = TIGHT_PAD;
}

// Only the group's outer corners are round; its buttons lose their borders and press shrink.
static void join_children(qel_context* ctx, const qel_node* group)
{
    float radius = group->radii[0];
    for (qel_node* c = qel_node_at(ctx, group->first_child); c; c = qel_node_at(ctx, c->next_sibling)) {
        bool first = c == qel_node_at(ctx, group->first_child), last = c->next_sibling < 0;
        c->radii[0] = c->radii[3] = first ? radius : 0;
        c->radii[1] = c->radii[2] = last ? radius : 0;
        c->border_width = 0;
        c->scale = 1;
    }
}

void qel_button_group_end(qel_context* ctx)
{
    qel_node* group = qel_node_at(ctx, qel_node_parent(ctx));
    if (!group || group->draw != qel_button_group_separator) return;  // no group is open
    qel_scope_pop<qel_button_group_scope>(ctx);
    if (group->first_child >= 0) {
        fit_group(ctx, group);
        join_children(ctx, group);
    }
    qel_node_pop(ctx);
}

// --- Copy button ---

struct copy_look {
    const char* glyph;
    const char* tooltip;
};

static const copy_look COPY = {QEL_ICON_COPY, "Copy"};
static const copy_look COPIED = {QEL_ICON_CHECK, "Copied"};

// The id the icon button of a look has in the current scope.
static uint32_t look_id(qel_context* ctx, const copy_look& look)
{
    return qel_hash_str(look.glyph, qel_id(ctx, look.tooltip));
}

bool qel_copy_button(qel_context* ctx, const char* label, const char* text)
{
    uint32_t state_id = qel_id(ctx, label) ^ COPY_KEY;
    double clicked_at = *(double*)qel_state_get(ctx, state_id, sizeof(double));
    double elapsed = ctx->clock.time - clicked_at;
    bool confirming = clicked_at > 0 && elapsed < COPIED_SECONDS;
    const copy_look& look = confirming ? COPIED : COPY;

    qel_push_id(ctx, label);
    // The two looks are two buttons; the keyboard focus passes from one to the other.
    if (qel_focused_id(ctx) == look_id(ctx, confirming ? COPY : COPIED))
        qel_set_focus(ctx, look_id(ctx, look), ctx->interaction.focus_visible);
    qel_button_opts o = {};
    o.tooltip = look.tooltip;
    if (confirming) {
        o.custom_color = qel_color_token(QEL_COLOR_SUCCESS);
        qel_request_redraw_in(ctx, (float)(COPIED_SECONDS - elapsed) + 0.01f);
    }
    bool clicked = qel_icon_button(ctx, look.glyph, &o);
    qel_pop_id(ctx);
    if (clicked) {
        if (text && ctx->platform.set_clipboard) ctx->platform.set_clipboard(ctx->platform.user, text);
        *(double*)qel_state_get(ctx, state_id, sizeof(double)) = ctx->clock.time;
    }
    return clicked;
}

// --- Press-and-hold button ---

struct hold_state {
    float progress;
    float spring[2];
    uint8_t done;
};

// Pressed on it with the pointer still there, or Space or Enter down while it shows the focus.
static bool holding(qel_context* ctx, uint32_t id)
{
    const qel_interaction_state* s = &ctx->interaction;
    if (qel_is_disabled(ctx)) return false;
    bool pointer = s->active == id && s->hovered == id && qel_mouse_down(ctx, 0);
    bool keys = s->focused == id && s->focus_visible &&
                (qel_key_down(ctx, QEL_KEY_SPACE) || qel_key_down(ctx, QEL_KEY_ENTER));
    return pointer || keys;
}

// Advances the hold; true in the frame it completes.
static bool advance_hold(qel_context* ctx, hold_state* s, bool held, float duration)
{
    if (held && !s->done) {
        s->progress = fminf(s->progress + ctx->clock.dt / duration, 1.0f);
        s->spring[0] = s->progress;
        s->spring[1] = 0;
        qel_request_redraw(ctx);
        s->done = s->progress >= 1.0f;
        return s->done;
    }
    if (!held) s->done = 0;
    s->progress = qel_anim_spring(ctx, s->spring, 0, DRAIN_PERIOD, 0);
    return false;
}

void qel_hold_progress_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* h = (const qel_hold_record*)user;
    qel_draw_top_highlight_small(ctx, &node->rect, node->radii, 1.0f);
    if (!(h->progress > 0.001f)) return;
    qel_rect filled = {node->rect.x, node->rect.y, node->rect.w * h->progress, node->rect.h};
    qel_draw_push_clip(ctx, &filled);
    qel_draw_rect(ctx, &node->rect, node->radii, h->color);
    qel_draw_pop_clip(ctx);
}

bool qel_hold_button(qel_context* ctx, const char* label, const qel_hold_opts* options)
{
    const qel_hold_opts none = {};
    const qel_hold_opts* o = options ? options : &none;
    float duration = o->duration > 0 ? o->duration : HOLD_SECONDS;
    uint32_t id = qel_id(ctx, label);
    auto* s = (hold_state*)qel_state_get(ctx, id ^ HOLD_KEY, sizeof(hold_state));
    bool fired = advance_hold(ctx, s, holding(ctx, id), duration);
    float progress = s->progress;

    qel_button_opts b = {};
    b.variant = o->variant ? o->variant : (uint32_t)QEL_BUTTON_DANGER;
    b.leading_icon = o->leading_icon;
    b.tooltip = "Press and hold";
    qel_button(ctx, label, &b);
    if (qel_node* n = qel_node_at(ctx, qel_node_latest_with_id(ctx, id))) {
        auto* record = (qel_hold_record*)qel_arena_alloc(ctx, sizeof(qel_hold_record));
        *record = {progress, HOLD_FILL};
        n->flags = (n->flags | QEL_NODE_CLIP) & ~(uint32_t)QEL_NODE_DRAW_AFTER;
        n->draw = qel_hold_progress_draw;
        n->draw_user = record;
    }
    return fired;
}
