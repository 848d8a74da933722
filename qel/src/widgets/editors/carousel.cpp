// The carousel: the drag with its rubber band and flick, the wheel, keys and autoplay that pick
// the next slide, the track that springs to it, and the arrows and page dots of its end.
#include "kit/state_records.h"
#include "qel/carousel.h"

#include <algorithm>
#include <cmath>

#include "core/core.h"
#include "kit/scopes.h"
#include "kit/widget_nodes.h"
#include "qel/anim.h"
#include "qel/button.h"
#include "qel/color.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "widgets/editors/showcase_parts.h"
#include "widgets/pickers/picker_nodes.h"

enum { MAX_DOTS = 64 };

struct carousel_state {
    float position[2];  // the slide shown, as a fraction, with its spring's velocity
    uint8_t started;
    qel_picker_drag drag;  // its value the position, its fling in slides a second
    double changed;        // when the index last changed
    float arrows;          // visibility 0..1
    float dots[MAX_DOTS][2];
    int32_t index;  // kept for a caller that passes none
};

namespace {

// The carousel open in this frame.
struct carousel_record {
    uint32_t id, viewport_id;
    int32_t count;
    int32_t* index;  // the caller's, or the state's
    qel_carousel_opts o;
    carousel_state* s;
    float viewport_width;
    int32_t viewport;
};

}  // namespace

static const uint32_t VIEWPORT_KEY = 0x71E3, DOT_SEED = 0xD07;
static const float FLICK = 1.2f, FAST = 8;

// Turns a slide wanted by the keys, wheel, buttons or timer into the index.
static void carousel_go(qel_context* ctx, carousel_record* c, int32_t target)
{
    if (c->o.wrap && c->count > 0) {
        if (target >= c->count) target = 0;
        else if (target < 0) target = c->count - 1;
    }
    target = std::clamp(target, 0, std::max(c->count - 1, 0));
    if (target == *c->index) return;
    *c->index = target;
    c->s->changed = ctx->clock.time;
}

// Position under the drag, pulled back to a third beyond either end.
static float rubber_band(float p, int32_t count)
{
    float last = (float)std::max(count - 1, 0);
    if (p < 0) return p * 0.3f;
    if (p > last) return last + (p - last) * 0.3f;
    return p;
}

// The slide a released drag settles on: a quick flick goes on by one even short of half way.
static int32_t release_target(const carousel_record* c)
{
    float p = c->s->position[0], v = c->s->drag.fling;
    int32_t index = *c->index;
    if (v < -FAST) {
        int32_t t = (int32_t)std::lround(p - 0.96f);
        return t == index ? index - 1 : t;
    }
    int32_t t = (int32_t)std::lround(p + std::min(v, FAST) * 0.12f);
    if (t == index && std::fabs(v) > FLICK) return v > 0 ? index + 1 : index - 1;
    return t;
}

// The drag follows the pointer while the viewport holds the press and the pointer is in the
// window; a release, seen or not, ends it.
static int32_t carousel_drag(qel_context* ctx, carousel_record* c, const qel_interaction& it, float step, int32_t target)
{
    carousel_state* s = c->s;
    if (it.hovered && qel_mouse_pressed(ctx, 0) && qel_mouse_in_window(ctx))
        qel_picker_drag_press(ctx, &s->drag, qel_mouse_pos(ctx).x, s->position[0]);
    if (!s->drag.dragging) return target;
    if (!it.held) {
        s->drag.dragging = 0;
        return release_target(c);
    }
    if (qel_mouse_in_window(ctx))
        s->position[0] = rubber_band(qel_picker_drag_move(ctx, &s->drag, qel_mouse_pos(ctx).x, 1 / step), c->count);
    s->position[1] = 0;
    qel_request_redraw(ctx);
    return target;
}

// Autoplay: the next slide once the interval has passed, the first after the last.
static int32_t carousel_autoplay(qel_context* ctx, const carousel_record* c, bool hovered, int32_t target)
{
    if (!(c->o.autoplay > 0) || hovered || c->s->drag.dragging || c->count < 2) return target;
    double left = c->s->changed + c->o.autoplay - ctx->clock.time;
    if (left > 0) {
        qel_redraw_after(ctx, left + 0.01);
        return target;
    }
    return *c->index + 1 >= c->count ? 0 : *c->index + 1;
}

static void carousel_nodes(qel_context* ctx, carousel_record* c, const qel_interaction& it, float step, float height)
{
    qel_style outer = {};
    outer.width = {QEL_SIZE_GROW, 1};
    outer.align = QEL_ALIGN_CENTER;
    outer.gap = 12;
    int32_t column = qel_node_open(ctx, c->id);
    qel_node_apply_style(ctx, column, &outer);
    qel_node_push(ctx, column);
    c->viewport = qel_node_sized(ctx, c->viewport_id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, height});
    qel_node* v = qel_node_at(ctx, c->viewport);
    v->flags |= QEL_NODE_CLIP;
    v->align_self = QEL_ALIGN_STRETCH;
    qel_node_round(v, ctx->theme.current.radius_medium);
    qel_node_mark_interactive(ctx, c->viewport, QEL_INTERACT_FOCUSABLE);
    if (it.hovered && c->s->drag.dragging) qel_set_cursor(ctx, QEL_CURSOR_MOVE);
    qel_node_focus_ring_full(ctx, c->viewport, it.focused && it.focus_visible);
    qel_node_push(ctx, c->viewport);
    int32_t track = qel_node_floating(ctx, 0, -c->s->position[0] * step, 0, (float)c->count * step, height);
    qel_node* t = qel_node_at(ctx, track);
    t->direction = QEL_DIR_ROW;
    t->gap = step - c->viewport_width;
    qel_node_push(ctx, track);
}

bool qel_carousel_begin(qel_context* ctx, const char* label, int32_t count, int32_t* index,
                        const qel_carousel_opts* options)
{
    auto* c = qel_scope_push<carousel_record>(ctx);
    c->id = qel_id(ctx, label);
    c->viewport_id = c->id ^ VIEWPORT_KEY;
    c->count = std::max(count, 0);
    if (options) c->o = *options;
    c->s = qel_state_record_of<carousel_state>(ctx, c->id, "carousel_state");
    carousel_state* s = c->s;
    c->index = index ? index : &s->index;
    *c->index = std::clamp(*c->index, 0, std::max(c->count - 1, 0));
    if (!s->started) s->position[0] = (float)*c->index, s->started = 1, s->changed = ctx->clock.time;
    float measured = qel_id_rect(ctx, c->viewport_id).w;
    c->viewport_width = measured > 0 ? measured : 600;
    float gap = c->o.gap > 0 ? c->o.gap : 12, step = c->viewport_width + gap;
    float height = c->o.height > 0 ? c->o.height : 220;
    qel_interaction it = qel_interact(ctx, c->viewport_id, QEL_INTERACT_FOCUSABLE | QEL_INTERACT_HOLD_OUTSIDE);
    qel_anim_exp(ctx, &s->arrows, it.hovered ? 1.0f : 0.0f, 0.14f);
    int32_t target = *c->index;
    if (it.hovered && !s->drag.dragging && ctx->input.wheel_x != 0) {
        target += ctx->input.wheel_x > 0 ? 1 : -1;
        ctx->input.wheel_x = 0;
    }
    target = carousel_drag(ctx, c, it, step, target);
    if (it.focused) {
        if (qel_key_take(ctx, QEL_KEY_RIGHT)) target++;
        if (qel_key_take(ctx, QEL_KEY_LEFT)) target--;
    }
    target = carousel_autoplay(ctx, c, it.hovered, target);
    carousel_go(ctx, c, target);
    if (!s->drag.dragging) qel_anim_spring(ctx, s->position, (float)*c->index, 0.5f, 0.02f);
    carousel_nodes(ctx, c, it, step, height);
    return true;
}

void qel_carousel_slide_begin(qel_context* ctx)
{
    auto* c = qel_scope_find<carousel_record>(ctx);
    int32_t slide = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, c ? c->viewport_width : 600}, {QEL_SIZE_GROW, 1});
    qel_node* n = qel_node_at(ctx, slide);
    n->flags |= QEL_NODE_CLIP;
    qel_node_round(n, ctx->theme.current.radius_medium);
    qel_node_push(ctx, slide);
}

void qel_carousel_slide_end(qel_context* ctx)
{
    qel_node_pop(ctx);
}

// Previous (step -1) or Next (+1): a small floating button over the viewport.
static void carousel_arrow(qel_context* ctx, carousel_record* c, int32_t step, float x, float height)
{
    bool disabled = !c->o.wrap && (step < 0 ? *c->index == 0 : *c->index == c->count - 1);
    int32_t holder = qel_node_floating(ctx, 0, x, height / 2 - 18, 36, 36);
    qel_node* n = qel_node_at(ctx, holder);
    n->border = qel_color_token(QEL_COLOR_BORDER);
    n->border_width = 1;
    n->fill = qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_ELEVATED), 0.92f);
    n->elevation = 2;
    n->opacity = std::max(0.001f, c->s->arrows) * (disabled ? 0.4f : 1.0f);
    qel_node_push(ctx, holder);
    qel_push_id_int(ctx, (int32_t)(c->id + (step > 0 ? 1 : 0)));
    qel_button_opts b = {};
    b.variant = QEL_BUTTON_SECONDARY;
    b.disabled = disabled;
    b.tooltip = step < 0 ? "Previous" : "Next";
    if (qel_icon_button(ctx, step < 0 ? QEL_ICON_CHEVRON_LEFT : QEL_ICON_CHEVRON_RIGHT, &b))
        carousel_go(ctx, c, *c->index + step);
    qel_pop_id(ctx);
    qel_node_pop(ctx);
}

static void carousel_dots(qel_context* ctx, carousel_record* c)
{
    qel_style row = {};
    row.gap = 6;
    row.align = QEL_ALIGN_CENTER;
    qel_row_begin(ctx, &row);
    qel_color rest = qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG), hot = qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED);
    qel_color current = qel_theme_color(ctx, QEL_COLOR_TEXT);
    int32_t shown = *c->index;
    for (int32_t k = 0; k < std::min(c->count, (int32_t)MAX_DOTS); k++) {
        uint32_t id = qel_hash_bytes(&k, sizeof k, c->id ^ DOT_SEED);
        qel_interaction it = qel_interact(ctx, id, 0);
        if (it.clicked) carousel_go(ctx, c, k);
        float a = std::min(qel_anim_spring(ctx, c->s->dots[k], k == shown ? 1.0f : 0.0f, 0.26f, 0.12f), 1.3f);
        int32_t dot = qel_node_sized(ctx, id, {QEL_SIZE_FIXED, 14 * a + 6}, {QEL_SIZE_FIXED, 6});
        qel_node* n = qel_node_at(ctx, dot);
        qel_node_round(n, 3);
        n->fill = qel_color_mix(qel_color_mix(rest, hot, it.hovered ? 1.0f : 0.0f), current, qel_unit_clamp(a));
        qel_node_mark_interactive(ctx, dot, 0);
        if (it.hovered) qel_set_cursor(ctx, QEL_CURSOR_HAND);
    }
    qel_container_end(ctx);
}

void qel_carousel_end(qel_context* ctx)
{
    auto* c = qel_scope_find<carousel_record>(ctx);
    if (!c) return;
    qel_node_pop(ctx);
    float height = qel_node_at(ctx, c->viewport)->height.value;
    if (!c->o.hide_arrows && c->count >= 2) {
        carousel_arrow(ctx, c, -1, 12, height);
        carousel_arrow(ctx, c, 1, c->viewport_width - 48, height);
    }
    qel_node_pop(ctx);
    if (!c->o.hide_dots && c->count >= 2) carousel_dots(ctx, c);
    qel_node_pop(ctx);
    qel_scope_pop<carousel_record>(ctx);
    qel_set_last_item(ctx, c->id);
}
