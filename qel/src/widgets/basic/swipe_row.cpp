// The swipe row: the drag and wheel gesture with its resistance, settling and snapping, the row's
// stacked layout and the action strips behind the content, and the records that carry the result
// to the end call. Springs are anim's; semantic colours and contrast are the theme's.
#include "qel/swipe_row.h"

#include <cmath>

#include "core/core.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/color.h"
#include "qel/font.h"
#include "qel/frame.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/layout.h"
#include "qel/state.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "kit/scopes.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

static const uint32_t CONTENT_KEY = 0x5f1f;
static const float ACTION_WIDTH = 76, TAKE_FRACTION = 0.6f, RESISTANCE = 0.25f, WHEEL_STEP = 30;
static const float DRAG_SLOP = 6, SCROLL_SLOP = 8;
static const double WHEEL_SETTLE = 0.14;

struct swipe_state {
    float offset[2];  // spring
    float snap;
    uint8_t dragging, tracking;
    float press_x, press_y, press_offset;
    double wheel_time;  // of the last wheel step; 0: none
};

// The frame's open rows, innermost first.
struct qel_swipe_record {
    int32_t result;
};

struct swipe_sides {
    int32_t leading, trailing;
};

// Where a finished gesture leaves the row: open on a side, closed, or a side's first action taken.
static void settle(swipe_state* s, swipe_sides n, float row_width, int32_t* result)
{
    float off = s->offset[0];
    s->snap = 0;
    if (off > 0 && n.leading > 0) {
        if (off > TAKE_FRACTION * row_width) *result = 0;
        else if (off > (float)n.leading * ACTION_WIDTH / 2) s->snap = (float)n.leading * ACTION_WIDTH;
    } else if (off < 0 && n.trailing > 0) {
        if (-off > TAKE_FRACTION * row_width) *result = QEL_SWIPE_TRAILING;
        else if (-off > (float)n.trailing * ACTION_WIDTH / 2) s->snap = -(float)n.trailing * ACTION_WIDTH;
    }
}

// A drag sideways moves the row; one mostly downward is left to scrolling.
static void track_pointer(qel_context* ctx, swipe_state* s, swipe_sides n)
{
    qel_vec2 p = qel_mouse_pos(ctx);
    float dx = p.x - s->press_x, dy = p.y - s->press_y;
    if (!s->dragging) {
        if (fabsf(dx) > DRAG_SLOP && fabsf(dx) > fabsf(dy)) s->dragging = 1;
        else if (fabsf(dy) > SCROLL_SLOP) s->tracking = 0;
    }
    if (!s->dragging) return;
    float off = s->press_offset + dx;
    if ((off > 0 && n.leading == 0) || (off < 0 && n.trailing == 0)) off *= RESISTANCE;
    s->offset[0] = off;
    s->offset[1] = 0;
    qel_request_redraw(ctx);
}

static void take_wheel(qel_context* ctx, swipe_state* s, swipe_sides n, qel_rect row)
{
    if (!qel_rect_contains(row, qel_mouse_pos(ctx)) || ctx->input.wheel_x == 0 || (n.leading == 0 && n.trailing == 0))
        return;
    float off = s->offset[0] + ctx->input.wheel_x * WHEEL_STEP;
    if (n.leading == 0) off = fminf(off, 0.0f);
    if (n.trailing == 0) off = fmaxf(off, 0.0f);
    s->offset[0] = off;
    s->offset[1] = 0;
    ctx->input.wheel_x = 0;
    s->wheel_time = qel_ctx_time(ctx);
}

// This frame's gesture; the result of a long swipe goes to *result.
static void gesture(qel_context* ctx, swipe_state* s, uint32_t id, swipe_sides n, int32_t* result)
{
    qel_rect row = qel_id_rect(ctx, id);
    float width = row.w > 0 ? row.w : 400.0f;
    qel_interaction it = qel_interact(ctx, id ^ CONTENT_KEY, QEL_INTERACT_HOLD_OUTSIDE);
    bool was_dragging = s->dragging;
    if (it.active && qel_mouse_pressed(ctx, 0)) {
        s->tracking = 1;
        s->dragging = 0;
        s->press_x = qel_mouse_pos(ctx).x;
        s->press_y = qel_mouse_pos(ctx).y;
        s->press_offset = s->offset[0];
    }
    if (s->tracking && qel_mouse_down(ctx, 0)) {
        track_pointer(ctx, s, n);
    } else {
        if (s->dragging) settle(s, n, width, result);
        s->tracking = s->dragging = 0;
    }
    take_wheel(ctx, s, n, row);
    if (s->wheel_time > 0 && qel_ctx_time(ctx) - s->wheel_time >= WHEEL_SETTLE) {
        settle(s, n, width, result);
        s->wheel_time = 0;
    } else if (s->wheel_time > 0) {
        qel_request_redraw(ctx);
    }
    bool pressed = qel_mouse_pressed(ctx, 0) || qel_mouse_pressed(ctx, 1);
    bool pressed_outside = pressed && row.w > 0 && !qel_rect_contains(row, qel_mouse_pos(ctx));
    if ((it.clicked && !was_dragging) || pressed_outside) s->snap = 0;
    if (s->wheel_time == 0 && !s->dragging) qel_anim_spring(ctx, s->offset, s->snap, 0.26f, 0.12f);
}

// --- Action strips ---

static qel_color action_color(qel_context* ctx, uint32_t kind)
{
    return kind >= 1 && kind <= 8 ? qel_color_semantic(ctx, kind) : qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED);
}

static void action_node(qel_context* ctx, uint32_t id, const qel_swipe_action& a, float radius, bool round_left,
                        bool round_right)
{
    qel_interaction it = qel_interact(ctx, id, 0);
    qel_color c = action_color(ctx, a.kind);
    qel_color fill = it.hovered ? qel_color_mix(c, 0xFF000000u, 0.1f) : c;
    qel_color content = qel_dark_mode(ctx) ? qel_color_tone(c, 0.24f, 0.5f) : 0xFFFFFFFFu;
    content = qel_color_contrast(content, fill, 4.5f);
    int32_t index = qel_node_sized(ctx, id, {QEL_SIZE_FIXED, ACTION_WIDTH}, {QEL_SIZE_GROW, 1});
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_COLUMN;
    n->align = QEL_ALIGN_CENTER;
    n->justify = QEL_JUSTIFY_CENTER;
    n->align_self = QEL_ALIGN_STRETCH;
    n->flags |= QEL_NODE_NO_SHRINK;
    n->gap = 3;
    n->fill = fill;
    n->radii[0] = n->radii[3] = round_left ? radius : 0;
    n->radii[1] = n->radii[2] = round_right ? radius : 0;
    qel_node_mark_interactive(ctx, index, 0);
    if (it.hovered) qel_set_cursor(ctx, QEL_CURSOR_HAND);
    qel_node_push(ctx, index);
    if (a.icon) qel_icon_glyph(ctx, a.icon, 18, content);
    if (a.label) {
        const qel_theme* t = &ctx->theme.current;
        qel_text_leaf(ctx, a.label, -1, QEL_FONT_BODY, t->text_xs * t->ui_scale, content, false, 1.2f);
    }
    qel_node_pop(ctx);
}

void qel_action_row(qel_context* ctx, uint32_t row_id, const qel_swipe_action* actions, int32_t count, bool leading,
                    float revealed, int32_t* clicked)
{
    int32_t index = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, fmaxf(revealed, 0.0f)}, {QEL_SIZE_GROW, 1});
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->align_self = QEL_ALIGN_STRETCH;
    n->justify = leading ? QEL_JUSTIFY_START : QEL_JUSTIFY_END;
    n->flags |= QEL_NODE_CLIP;
    qel_node_push(ctx, index);
    float radius = qel_row_radius(ctx);
    for (int32_t i = 0; actions && i < count; i++) {
        int32_t action = leading ? i : QEL_SWIPE_TRAILING + i;
        uint32_t id = qel_hash_bytes(&action, sizeof action, row_id);
        if (qel_interact(ctx, id, 0).clicked && clicked) *clicked = action;
        action_node(ctx, id, actions[i], radius, leading && i == 0, !leading && i == count - 1);
    }
    qel_node_pop(ctx);
}

// --- The row ---

static void behind(qel_context* ctx, uint32_t id, const qel_swipe_action* leading, const qel_swipe_action* trailing,
                   swipe_sides n, float offset, int32_t* clicked)
{
    int32_t index = qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_GROW, 1});
    qel_node* b = qel_node_at(ctx, index);
    b->direction = QEL_DIR_ROW;
    b->align_self = QEL_ALIGN_STRETCH;
    qel_node_push(ctx, index);
    qel_action_row(ctx, id, leading, n.leading, true, fmaxf(offset, 0.0f), clicked);
    qel_spacer(ctx);
    qel_action_row(ctx, id, trailing, n.trailing, false, fmaxf(-offset, 0.0f), clicked);
    qel_node_pop(ctx);
}

void qel_swipe_row(qel_context* ctx, const char* label, const qel_swipe_action* leading, int32_t leading_count,
                   const qel_swipe_action* trailing, int32_t trailing_count)
{
    swipe_sides n = {leading ? (leading_count > 0 ? leading_count : 0) : 0,
                     trailing ? (trailing_count > 0 ? trailing_count : 0) : 0};
    uint32_t id = qel_id(ctx, label), content = id ^ CONTENT_KEY;
    auto* record = qel_scope_push<qel_swipe_record>(ctx);
    record->result = -1;
    auto* s = qel_state_record_of<swipe_state>(ctx, id, "swipe_state");
    gesture(ctx, s, id, n, &record->result);

    float radius = qel_row_radius(ctx);
    int32_t row = qel_node_sized(ctx, id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node* r = qel_node_at(ctx, row);
    r->direction = QEL_DIR_STACK;
    r->align_self = QEL_ALIGN_STRETCH;
    r->flags |= QEL_NODE_CLIP;
    qel_node_round(r, radius);
    qel_node_push(ctx, row);
    int32_t clicked = -1;
    behind(ctx, id, leading, trailing, n, s->offset[0], &clicked);
    if (clicked >= 0) {
        record->result = clicked;
        s->snap = 0;
    }
    int32_t c = qel_node_sized(ctx, content, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node* cn = qel_node_at(ctx, c);
    cn->direction = QEL_DIR_ROW;
    cn->align = QEL_ALIGN_CENTER;
    cn->align_self = QEL_ALIGN_STRETCH;
    cn->pad_top = cn->pad_bottom = 10;
    cn->pad_left = cn->pad_right = 12;
    cn->gap = 12;
    cn->fill = qel_color_token(QEL_COLOR_SURFACE);
    cn->translate_x = s->offset[0];
    qel_node_round(cn, radius);
    qel_node_mark_interactive(ctx, c, QEL_INTERACT_HOLD_OUTSIDE);
    if (s->dragging) qel_set_cursor(ctx, QEL_CURSOR_MOVE);
    qel_node_push(ctx, c);
    qel_push_id(ctx, label);
}

int32_t qel_swipe_row_end(qel_context* ctx)
{
    const auto* record = qel_scope_find<qel_swipe_record>(ctx);
    if (!record) return -1;
    qel_scope_pop<qel_swipe_record>(ctx);
    qel_pop_id(ctx);
    qel_node_pop(ctx);  // content
    qel_node_pop(ctx);  // row
    return record->result;
}
