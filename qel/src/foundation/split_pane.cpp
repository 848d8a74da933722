// Split panes: the divider's drag turned into the caller's ratio, the container with its two
// clipping panes, and the grip drawn over the divider line. An open split is a record on the
// scope stack.
#include "qel/split_pane.h"

#include <cmath>

#include "core/core.h"
#include "kit/scopes.h"
#include "kit/state_records.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/draw.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/theme.h"

static const uint32_t HANDLE_KEY = 119, LINE_KEY = 120;
static const float DEFAULT_MIN = 120.0f;
static const float RATIO_MIN = 0.02f, RATIO_MAX = 0.98f;
static const float WEIGHT_SCALE = 1000.0f;
static const float GRIP = 9.0f, GRIP_BEFORE = 4.0f;
static const float HIGHLIGHT_SECONDS = 0.14f;

struct qel_split_record {
    uint32_t id;
    float* ratio;
    uint8_t stacked;
    int32_t container;
    float first_min, second_min;
    float highlight;
};

// Kept under the split's id between frames.
struct split_state {
    float highlight;
    uint8_t rtl;  // the container's resolved direction, for the drag of the next frame
};

struct grip_payload {
    float amount;
    uint8_t stacked;
};

// The pointer's distance from the start of the first pane along the split axis.
static float pointer_along(qel_context* ctx, qel_rect r, bool stacked, bool rtl)
{
    qel_vec2 p = qel_mouse_pos(ctx);
    if (stacked) return p.y - r.y;
    return rtl ? r.x + r.w - p.x : p.x - r.x;
}

static void drag_divider(qel_context* ctx, const qel_split_record* s, split_state* st)
{
    qel_rect r = qel_id_rect(ctx, s->id);
    qel_interaction it = qel_interact(ctx, s->id ^ HANDLE_KEY, QEL_INTERACT_HOLD_OUTSIDE);
    float size = s->stacked ? r.h : r.w;
    if ((it.held || it.released) && size > 0) {
        float pos = pointer_along(ctx, r, s->stacked, st->rtl);
        *s->ratio = pos < s->first_min ? s->first_min / size : fminf(size - s->second_min, pos) / size;
    }
    bool hot = it.hovered || it.held;
    if (hot) qel_set_cursor(ctx, s->stacked ? QEL_CURSOR_RESIZE_NS : QEL_CURSOR_RESIZE_EW);
    qel_anim_exp(ctx, &st->highlight, hot ? 1.0f : 0.0f, HIGHLIGHT_SECONDS);
}

// Sizes a node along the split axis and across it.
static void size_along(qel_node* n, bool stacked, qel_size along, qel_size across)
{
    n->width = stacked ? across : along;
    n->height = stacked ? along : across;
}

static void open_pane(qel_context* ctx, const qel_split_record* s, float share, float minimum)
{
    int32_t pane = qel_node_open(ctx, 0);
    qel_node* n = qel_node_at(ctx, pane);
    n->flags |= QEL_NODE_CLIP;
    size_along(n, s->stacked, {QEL_SIZE_GROW, share * WEIGHT_SCALE}, {QEL_SIZE_GROW, 1});
    (s->stacked ? n->min_h : n->min_w) = minimum;
    qel_node_push(ctx, pane);
}

// The state is looked up again here: a later call of the frame may have grown and moved it.
static void container_draw(qel_context* ctx, const qel_node* node, void*)
{
    if (auto* st = (split_state*)qel_state_find(ctx, node->id, sizeof(split_state), false)) st->rtl = node->rtl;
}

static qel_size grow_unless_given(qel_size size)
{
    return size.kind == QEL_SIZE_FIT ? qel_size{QEL_SIZE_GROW, 1} : size;
}

void qel_split_begin(qel_context* ctx, const char* name, float* ratio, const qel_split_options* options)
{
    const qel_split_options none = {};
    const qel_split_options* o = options ? options : &none;
    auto* s = qel_scope_push<qel_split_record>(ctx);
    s->id = qel_id(ctx, name);
    s->ratio = ratio;
    if (!s->ratio) *(s->ratio = (float*)qel_arena_alloc(ctx, sizeof(float))) = 0.5f;
    s->stacked = o->stacked != 0;
    s->first_min = o->first_min > 0 ? o->first_min : DEFAULT_MIN;
    s->second_min = o->second_min > 0 ? o->second_min : DEFAULT_MIN;

    auto* st = qel_state_record_of<split_state>(ctx, s->id, "split_state");
    drag_divider(ctx, s, st);
    s->highlight = st->highlight;

    s->container = qel_node_open(ctx, s->id);
    qel_node* n = qel_node_at(ctx, s->container);
    n->direction = s->stacked ? QEL_DIR_COLUMN : QEL_DIR_ROW;
    n->width = grow_unless_given(o->width);
    n->height = grow_unless_given(o->height);
    n->align_self = QEL_ALIGN_STRETCH;
    n->draw = container_draw;
    qel_node_push(ctx, s->container);
    *s->ratio = fminf(fmaxf(*s->ratio, RATIO_MIN), RATIO_MAX);  // NaN too becomes the least
    open_pane(ctx, s, *s->ratio, s->first_min);
}

static void grip_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* g = (const grip_payload*)user;
    if (!(g->amount > 0.01f)) return;
    const qel_rect& r = node->rect;
    float cx = r.x + r.w * 0.5f, cy = r.y + r.h * 0.5f;
    qel_rect line = g->stacked ? qel_rect{r.x, cy - 0.5f, r.w, 1} : qel_rect{cx - 0.5f, r.y, 1, r.h};
    qel_rect pill = g->stacked ? qel_rect{cx - 16, cy - 2, 32, 4} : qel_rect{cx - 2, cy - 16, 4, 32};
    qel_color accent = qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_ACCENT), g->amount);
    const float radii[4] = {2, 2, 2, 2};
    qel_draw_rect(ctx, &line, nullptr, accent);
    qel_draw_rect(ctx, &pill, radii, accent);
}

// The grip lies over the divider line where that line was last frame, on top of both panes.
static void place_grip(qel_context* ctx, const qel_split_record* s, int32_t line)
{
    qel_rect last = qel_id_rect(ctx, s->id ^ LINE_KEY);
    if (!(last.w > 0) || !(last.h > 0)) return;
    int32_t grip = s->stacked ? qel_node_floating(ctx, s->id ^ HANDLE_KEY, 0, -GRIP_BEFORE, last.w, GRIP)
                              : qel_node_floating(ctx, s->id ^ HANDLE_KEY, -GRIP_BEFORE, 0, GRIP, last.h);
    auto* payload = (grip_payload*)qel_arena_alloc(ctx, sizeof(grip_payload));
    *payload = {s->highlight, s->stacked};
    qel_node* n = qel_node_at(ctx, grip);
    n->origin = line;
    n->flags |= QEL_NODE_ON_TOP;
    n->draw = grip_draw;
    n->draw_user = payload;
    qel_node_mark_interactive(ctx, grip, 0);
}

void qel_splitter(qel_context* ctx)
{
    const auto* s = qel_scope_find<qel_split_record>(ctx);
    if (!s) return;
    qel_node_pop(ctx);
    int32_t line = qel_node_open(ctx, s->id ^ LINE_KEY);
    qel_node* n = qel_node_at(ctx, line);
    size_along(n, s->stacked, {QEL_SIZE_FIXED, 1}, {QEL_SIZE_GROW, 1});
    n->fill = qel_color_token(QEL_COLOR_BORDER);
    place_grip(ctx, s, line);
    open_pane(ctx, s, 1.0f - *s->ratio, s->second_min);
}

void qel_split_end(qel_context* ctx)
{
    if (!qel_scope_pop<qel_split_record>(ctx)) return;
    qel_node_pop(ctx);
    qel_node_pop(ctx);
}
