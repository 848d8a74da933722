// Toasts: the queue in the context, the timers that dismiss them, and the stack built at frame
// end with its collapsed pile, fan-out under the pointer, swipe to dismiss and countdown bar.
// Buttons inside the cards are the button module's.
#include "qel/toast.h"

#include <cmath>
#include <cstring>

#include "core/core.h"
#include "overlays/overlay_state.h"
#include "qel/anim.h"
#include "qel/button.h"
#include "qel/draw.h"
#include "qel/frame.h"
#include "qel/font.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/text_units.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/widget_nodes.h"

static const uint32_t LAYER = 0x70A57u;
static const int32_t LAYER_Z = 0x7FFFFF00;
static const float GAP = 8.0f, EDGE = 16.0f, MAX_WIDTH = 360.0f, NEW_HEIGHT = 64.0f;
static const char* const KIND_GLYPHS[] = {QEL_ICON_INFO, QEL_ICON_CIRCLE_CHECK, QEL_ICON_TRIANGLE_ALERT, QEL_ICON_CIRCLE_ALERT};

static qel_toast* find(qel_context* ctx, uint32_t id)
{
    qel_overlay_state* o = qel_overlays(ctx);
    for (int32_t i = 0; i < o->toast_count; i++)
        if (o->toasts[i].id == id) return &o->toasts[i];
    return nullptr;
}

uint32_t qel_toast_push(qel_context* ctx, const char* title, const qel_toast_options* options)
{
    const qel_toast_options none = {};
    const qel_toast_options* op = options ? options : &none;
    qel_overlay_state* o = qel_overlays(ctx);
    if (o->toast_count == QEL_TOAST_CAPACITY) {
        memmove(o->toasts, o->toasts + 1, sizeof o->toasts[0] * (QEL_TOAST_CAPACITY - 1));
        o->toast_count--;
    }
    qel_toast* t = &o->toasts[o->toast_count++];
    *t = {};
    t->id = ++o->toast_ids;
    qel_utf8_copy(t->title, (int32_t)sizeof t->title, title);
    qel_utf8_copy(t->body, (int32_t)sizeof t->body, op->body);
    qel_utf8_copy(t->action, (int32_t)sizeof t->action, op->action);
    t->kind = op->kind;
    t->countdown_bar = op->countdown_bar;
    t->duration = op->duration != 0 ? op->duration : op->countdown_bar ? 6.0f : 4.0f;
    t->height = NEW_HEIGHT;
    qel_request_redraw(ctx);
    return t->id;
}

bool qel_toast_action_clicked(qel_context* ctx, uint32_t id)
{
    qel_toast* t = find(ctx, id);
    if (!t || !t->action_clicked) return false;
    t->action_clicked = 0;
    return true;
}

void qel_toast_dismiss(qel_context* ctx, uint32_t id)
{
    qel_overlay_state* o = qel_overlays(ctx);
    for (int32_t i = 0; i < o->toast_count; i++)
        if (o->toasts[i].id == id) o->toasts[i].dismissed = 1;
}

// --- The stack ---

// What one frame's stack needs of the pointer and the sizes.
struct stack_frame {
    float e;       // expansion 0..1
    bool over;     // the pointer is over the toasts
    float width;   // of every toast
    float height;  // of the stack
};

static void run_clocks(qel_context* ctx, const stack_frame& f)
{
    qel_overlay_state* o = qel_overlays(ctx);
    for (int32_t i = 0; i < o->toast_count; i++) {
        qel_toast* t = &o->toasts[i];
        if (!f.over && t->duration > 0 && !t->dismissed) {
            t->elapsed += ctx->clock.dt;
            if (t->elapsed >= t->duration) t->dismissed = 1;
            else qel_request_redraw_in(ctx, t->duration - t->elapsed + 0.01f);
        }
        qel_anim_spring(ctx, t->visibility, t->dismissed ? 0.0f : 1.0f, t->dismissed ? 0.22f : 0.38f, 0);
    }
}

static void remove_finished(qel_context* ctx, float width)
{
    qel_overlay_state* o = qel_overlays(ctx);
    int32_t kept = 0;
    for (int32_t i = 0; i < o->toast_count; i++) {
        const qel_toast& t = o->toasts[i];
        bool swiped = t.swipe[0] > 0.5f;
        bool gone = t.dismissed && (swiped ? t.swipe[0] >= width + 40 : t.visibility[0] <= 0.01f);
        if (!gone) o->toasts[kept++] = t;
    }
    o->toast_count = kept;
}

static float stack_height(qel_context* ctx, float e)
{
    const qel_overlay_state* o = qel_overlays(ctx);
    float newest = o->toasts[o->toast_count - 1].height, sum = 0;
    int32_t live = 0;
    for (int32_t i = 0; i < o->toast_count; i++) {
        if (o->toasts[i].dismissed) continue;
        sum += o->toasts[i].height + (live > 0 ? GAP : 0);
        live++;
    }
    if (e > 0.5f) return sum < 1 ? newest : sum;
    return newest + fminf(10.0f * (float)(live > 1 ? live - 1 : 0), 20.0f);
}

static void swipe(qel_context* ctx, qel_toast* t, uint32_t id, float width)
{
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_HOLD_OUTSIDE);
    float x = qel_mouse_pos(ctx).x;
    if (it.active && qel_mouse_pressed(ctx, 0)) {
        t->dragging = 1;
        t->grab_x = x - t->swipe[0];
        t->drag_velocity = 0;
    }
    if (!t->dragging) return;
    if (qel_mouse_down(ctx, 0)) {
        float d = x - t->grab_x, before = t->swipe[0];
        t->swipe[0] = d >= 0 ? d : width * d * 0.55f / (width - 0.55f * d) * 0.35f;
        float dt = ctx->clock.dt;
        if (dt > 0) t->drag_velocity += ((t->swipe[0] - before) / dt - t->drag_velocity) * 0.5f;
        t->swipe[1] = 0;
        if (fabsf(d) > 3) qel_set_cursor(ctx, QEL_CURSOR_MOVE);
        qel_request_redraw(ctx);
        return;
    }
    t->dragging = 0;
    if (t->swipe[0] <= 0.35f * width && t->drag_velocity <= 600) {
        t->swipe[1] = fmaxf(t->drag_velocity, -1500);
    } else {
        t->dismissed = 1;
        t->swipe[1] = fminf(fmaxf(t->drag_velocity, 900), 2400);
    }
}

struct progress_payload {
    float fraction, radius;
    qel_color color;
};

static void qel_toast_progress_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const progress_payload* p = (const progress_payload*)user;
    float length = (node->rect.w - 2 * p->radius) * p->fraction;
    if (p->fraction < 0 || !(length > 0)) return;
    qel_rect bar = {node->rect.x + p->radius, node->rect.y + node->rect.h - 5, length, 2};
    const float radii[4] = {1, 1, 1, 1};
    qel_draw_rect(ctx, &bar, radii, qel_color_resolve(ctx, p->color));
}

static void countdown(qel_context* ctx, int32_t card, const qel_toast* t, const stack_frame& f)
{
    if (!t->countdown_bar || !(t->duration > 0)) return;
    progress_payload p = {1 - t->elapsed / t->duration, qel_theme_block_get(ctx)->radius_small,
                          qel_color_token(qel_theme_get_accent(ctx) ? QEL_COLOR_ACCENT : QEL_COLOR_TEXT_MUTED)};
    qel_node_draw_with(ctx, card, qel_toast_progress_draw, &p, sizeof p, true);
    if (!f.over && !t->dismissed) qel_request_redraw(ctx);
}

static void card_content(qel_context* ctx, qel_toast* t, const stack_frame& f)
{
    const qel_theme* th = qel_theme_block_get(ctx);
    qel_push_id_int(ctx, (int32_t)t->id);
    if (t->kind >= QEL_TOAST_INFO && t->kind <= QEL_TOAST_DANGER) {
        qel_style box = {};
        box.padding_top = 1;
        qel_container_begin(ctx, &box);
        qel_icon(ctx, KIND_GLYPHS[t->kind - 1], 16, qel_color_semantic(ctx, t->kind));
        qel_container_end(ctx);
    }
    qel_style col = {};
    col.gap = 2;
    col.width = {QEL_SIZE_GROW, 1};
    qel_column_begin(ctx, &col);
    qel_text_leaf(ctx, t->title, -1, QEL_FONT_MEDIUM, qel_text_body_scaled(ctx), qel_color_token(QEL_COLOR_TEXT),
                  true, 1.4f);
    if (t->body[0])
        qel_node_text(ctx, t->body, -1, QEL_FONT_BODY, (th->text_body - 0.5f) * th->ui_scale,
                      qel_color_token(QEL_COLOR_TEXT_SECONDARY), true);
    qel_container_end(ctx);
    qel_button_opts small = {};
    small.size = 1;
    if (t->action[0] && qel_button(ctx, t->action, &small)) t->dismissed = t->action_clicked = 1;
    qel_button_opts close = small;
    close.custom_color = qel_color_token(QEL_COLOR_TEXT_MUTED);
    if (qel_icon_button(ctx, QEL_ICON_X, &close)) t->dismissed = 1;
    qel_node* n = qel_node_at(ctx, qel_node_latest_with_id(ctx, qel_last_item_id(ctx)));
    if (n) {
        n->width = n->height = {QEL_SIZE_FIXED, 24};
        n->opacity = 0.35f + 0.65f * f.e;
    }
    qel_pop_id(ctx);
}

// One card at its place in the pile; k is the number of live toasts newer than it.
static void card(qel_context* ctx, qel_toast* t, int32_t k, float y_target, const stack_frame& f)
{
    if (t->y[0] == 0 && t->y[1] == 0) t->y[0] = y_target;
    qel_anim_spring(ctx, t->y, y_target, 0.4f, 0);
    uint32_t id = qel_hash_bytes(&t->id, sizeof t->id, LAYER);
    if (!t->dismissed) swipe(ctx, t, id, f.width);
    if (!t->dragging) {
        bool flying = t->dismissed && t->swipe[0] > 0.5f;
        qel_anim_spring(ctx, t->swipe, flying ? f.width + 48 : 0.0f, flying ? 0.3f : 0.42f, flying ? 0.0f : 0.2f);
    }
    bool flying = t->dismissed && t->swipe[0] > 0.5f;
    float offset = t->swipe[0], visibility = fminf(fmaxf(t->visibility[0], 0.0f), 1.0f);
    float y = t->y[0] + (offset <= 0.5f ? (1 - visibility) * 24 : 0.0f);
    int32_t index = qel_node_floating(ctx, id, offset, y, f.width, t->height);
    qel_node* n = qel_node_at(ctx, index);
    n->height = {QEL_SIZE_FIT, 0};
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_START;
    n->gap = 12;
    n->pad_top = n->pad_bottom = 14;
    n->pad_left = 16;
    n->pad_right = 12;
    qel_overlay_panel_style(ctx, n, qel_theme_block_get(ctx)->radius_small, 0.07f);
    n->elevation_strength = 0.8f;
    qel_node_mark_interactive(ctx, index, 0);
    float hidden = k > 2 && f.e <= 0.5f ? 0.0f : 1.0f;
    n->opacity = (1 - 0.7f * fminf(fmaxf(offset / f.width, 0.0f), 1.0f)) * hidden * (flying ? 1.0f : visibility);
    float s = 1 - 0.05f * (float)(k < 3 ? k : 3);
    n->scale = s + (1 - s) * f.e;
    countdown(ctx, index, t, f);
    qel_node_push(ctx, index);
    card_content(ctx, t, f);
    qel_node_pop(ctx);
    if (k > 0)
        for (int32_t c = qel_node_at(ctx, index)->first_child; c >= 0; c = qel_node_at(ctx, c)->next_sibling)
            qel_node_at(ctx, c)->opacity = fmaxf(f.e, 0.001f);
    float laid = qel_id_rect(ctx, id).h;
    if (laid > 0) t->height = laid;
}

// Each card's place between collapsed and fanned out, worked out from the newest to the oldest;
// the cards are then built oldest first, so the newest lies on top.
static void place_cards(qel_context* ctx, const stack_frame& f)
{
    qel_overlay_state* o = qel_overlays(ctx);
    float h0 = o->toasts[o->toast_count - 1].height, bottom = f.height;
    float targets[QEL_TOAST_CAPACITY];
    int32_t newer[QEL_TOAST_CAPACITY], k = 0;
    for (int32_t i = o->toast_count - 1; i >= 0; i--) {
        const qel_toast* t = &o->toasts[i];
        float h = t->height, expanded = bottom - h;
        float collapsed = k == 0 ? f.height - h : (h0 - h) + (f.height - h0 - 10.0f * (float)(k <= 2 ? k : 3));
        targets[i] = collapsed + f.e * (expanded - collapsed);
        newer[i] = k;
        if (t->dismissed) continue;
        bottom -= h + GAP;
        k++;
    }
    for (int32_t i = 0; i < o->toast_count; i++) card(ctx, &o->toasts[i], newer[i], targets[i], f);
}

void qel_toast_draw_stack(qel_context* ctx)
{
    qel_overlay_state* o = qel_overlays(ctx);
    if (o->toast_count == 0) return;
    stack_frame f = {};
    f.over = ctx->interaction.hover_layer == LAYER;
    float* e = (float*)qel_state_get(ctx, LAYER, sizeof(float));
    f.e = qel_anim_exp(ctx, e, f.over ? 1.0f : 0.0f, 0.14f);
    qel_vec2 display = qel_ctx_display_size(ctx);
    f.width = fminf(display.x - 32, MAX_WIDTH);
    run_clocks(ctx, f);
    remove_finished(ctx, f.width);
    if (o->toast_count == 0) return;
    f.height = stack_height(ctx, f.e);
    int32_t layer = qel_overlay_begin(ctx, LAYER, LAYER_Z, 0, QEL_PLACE_AT, 0);
    qel_node* n = qel_node_at(ctx, layer);
    n->x = display.x - f.width - EDGE;
    n->y = display.y - EDGE - f.height;
    n->width = {QEL_SIZE_FIXED, f.width};
    n->height = {QEL_SIZE_FIXED, f.height};
    n->flags |= QEL_NODE_HOVER_OPAQUE;
    place_cards(ctx, f);
    qel_overlay_end(ctx);
}
