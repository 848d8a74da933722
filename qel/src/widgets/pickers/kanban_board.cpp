// The kanban board: the stack of open boards, picking a card up by pointer or keyboard, the drop
// target and the room made for it, the drop report and the glide into place, and the nodes of
// board, columns and cards. The cards' contents and data are the caller's.
#include "qel/kanban_board.h"

#include <algorithm>
#include <cmath>

#include "core/core.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/button.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/layout.h"
#include "qel/scroll_container.h"
#include "qel/state.h"
#include "qel/text_units.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/scopes.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

static const float LIFT_TRAVEL_SQUARED = 25, CARD_GAP = 8, BOARD_GAP = 14, DROP_ZONE = 7;
static const float DEFAULT_COLUMN_WIDTH = 280, GLIDE_PERIOD = 0.4f;


struct kanban_state {
    int32_t lifted, origin_column;
    float grab_x, grab_y;
    float lifted_height;
    uint8_t pending;
    int32_t pressed, pressed_column;
    float press_x, press_y;
    float lift[2];
    uint32_t generation;
    int32_t dropped;
    float drop_dx, drop_dy;
    uint8_t drop_pending;
    float home_x, home_y;
    uint8_t keyboard, drop_requested;
    int32_t target_column, target_row, column_count;
    float target_x, target_y;
    float glide_x[2], glide_y[2];
    uint8_t initialised;
    // Where the pointer was last inside the window, which a lifted card follows when it leaves.
    float pointer_x, pointer_y;
};

struct kanban_card_state {
    float offset[2];
    float dx[2], dy[2];
    float hover;
    uint32_t generation;
};

struct kanban_column_state {
    float highlight;
    float end_gap;
    uint32_t generation;
};

struct qel_kanban_record {
    uint32_t id;
    kanban_state* state;
    int32_t column;
    float column_y, column_width;
    int32_t row;
    uint8_t passed_lifted;
    int32_t drop_column;
    int32_t insert_index;
    float insert_x, insert_y;
    uint8_t is_target;
};

// --- The lifted card ---

static void lift_pending(qel_context* ctx, kanban_state* st)
{
    if (!st->pending || st->lifted >= 0) return;
    if (!qel_mouse_down(ctx, 0)) {
        st->pending = 0;
        return;
    }
    float dx = st->pointer_x - st->press_x, dy = st->pointer_y - st->press_y;
    if (dx * dx + dy * dy <= LIFT_TRAVEL_SQUARED) return;
    st->lifted = st->pressed, st->origin_column = st->pressed_column;
    st->dropped = -1, st->pending = 0, st->keyboard = 0;
}

static void keyboard_input(qel_context* ctx, kanban_state* st)
{
    if (qel_key_take(ctx, QEL_KEY_ESCAPE)) {
        st->lifted = -1, st->keyboard = 0, st->drop_requested = 0;
        return;
    }
    if (qel_key_take(ctx, QEL_KEY_UP)) st->target_row = std::max(0, st->target_row - 1);
    if (qel_key_take(ctx, QEL_KEY_DOWN)) st->target_row++;
    if (qel_key_take(ctx, QEL_KEY_LEFT)) st->target_column = std::max(0, st->target_column - 1);
    if (qel_key_take(ctx, QEL_KEY_RIGHT)) st->target_column = std::min(std::max(st->column_count - 1, 0), st->target_column + 1);
    bool enter = qel_key_take(ctx, QEL_KEY_ENTER), space = qel_key_take(ctx, QEL_KEY_SPACE);
    if (enter || space) st->drop_requested = 1;
}

void qel_kanban_begin(qel_context* ctx, const char* label)
{
    uint32_t id = qel_id(ctx, label);
    auto* st = qel_state_record_of<kanban_state>(ctx, id, "kanban_state");
    if (!st->initialised) {
        st->initialised = 1;
        st->lifted = st->dropped = st->pressed = -1;
    }
    if (qel_mouse_in_window(ctx)) st->pointer_x = ctx->input.mouse_x, st->pointer_y = ctx->input.mouse_y;
    auto* rec = qel_scope_push<qel_kanban_record>(ctx);
    rec->id = id, rec->state = st, rec->column = -1, rec->drop_column = -1;

    lift_pending(ctx, st);
    if (st->lifted >= 0 && !st->keyboard) {
        ctx->interaction.active = id;
        qel_set_cursor(ctx, QEL_CURSOR_MOVE);
        qel_request_redraw(ctx);
    } else if (st->lifted >= 0) {
        keyboard_input(ctx, st);
        qel_anim_spring(ctx, st->glide_x, st->target_x, GLIDE_PERIOD, 0);
        qel_anim_spring(ctx, st->glide_y, st->target_y, GLIDE_PERIOD, 0);
    }
    qel_anim_spring(ctx, st->lift, st->lifted >= 0 ? 1.0f : 0.0f, 0.26f, 0.12f);

    qel_style scroll = {};
    scroll.width = {QEL_SIZE_GROW, 1};
    qel_scroll_state* ss = (qel_scroll_state*)qel_state_get(ctx, id ^ 0x5C2, sizeof(qel_scroll_state));
    ss->fade_color = qel_inherited_background(ctx);
    qel_scroll_begin(ctx, id ^ 0x5C2, &scroll, true);
    qel_style row = {};
    row.gap = BOARD_GAP, row.align = QEL_ALIGN_START, row.padding_bottom = 8;
    qel_row_begin(ctx, &row);
    qel_push_id_int(ctx, (int32_t)id);
}

// --- Columns ---

struct column_paint {
    float highlight;
    qel_color color;
};

static void column_outline(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const column_paint*)user;
    if (p->highlight < 0.01f) return;
    qel_draw_rect_bordered(ctx, &node->rect, node->radii, 0, qel_color_alpha(p->color, p->highlight), 1);
}

// The id of the record's current column.
static uint32_t column_id_of(const qel_kanban_record* rec)
{
    return qel_hash_bytes(&rec->column, 4, rec->id ^ 0xC01);
}

static float column_width(const qel_kanban_column_options* o)
{
    return std::isfinite(o->width) && o->width > 0 ? std::min(o->width, 100000.0f) : DEFAULT_COLUMN_WIDTH;
}

static void find_target(qel_context* ctx, qel_kanban_record* rec, uint32_t column_id)
{
    const kanban_state* st = rec->state;
    rec->is_target = 0;
    if (st->lifted < 0 || !qel_id_seen(ctx, column_id)) return;
    qel_rect r = qel_id_rect(ctx, column_id);
    bool target = st->keyboard ? rec->column == st->target_column
                               : qel_mouse_in_window(ctx) && ctx->input.mouse_x >= r.x - DROP_ZONE &&
                                     ctx->input.mouse_x < r.x + r.w + DROP_ZONE;
    if (!target) return;
    rec->is_target = 1;
    rec->drop_column = rec->column, rec->insert_index = 0;
    rec->insert_x = r.x + 8, rec->insert_y = r.y + 50;
}

static void column_header(qel_context* ctx, const char* title, int32_t cards, const qel_kanban_column_options* o,
                          bool* add_clicked)
{
    const qel_theme* t = &ctx->theme.current;
    qel_style s = {};
    s.height = {QEL_SIZE_FIXED, 32}, s.width = {QEL_SIZE_GROW, 1};
    s.align = QEL_ALIGN_CENTER, s.gap = 8, s.padding_left = 6, s.padding_right = 2;
    qel_row_begin(ctx, &s);
    if ((o->color >> 24) != 0 || qel_color_is_token(o->color)) {
        int32_t dot = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, 8}, {QEL_SIZE_FIXED, 8});
        qel_node_at(ctx, dot)->fill = o->color;
        qel_node_round(qel_node_at(ctx, dot), 4);
    }
    float small = qel_text_small_scaled(ctx), xs = qel_scaled(ctx, t->text_xs);
    qel_text_leaf(ctx, title, qel_label_visible_len(title), QEL_FONT_MEDIUM, small, qel_color_token(QEL_COLOR_TEXT),
                  false, 1.3f);
    const char* count = o->limit >= 1 ? qel_arena_sprintf(ctx, "%d / %d", cards, o->limit) : qel_arena_sprintf(ctx, "%d", cards);
    qel_theme_slot color = o->limit >= 1 && o->limit < cards ? QEL_COLOR_DANGER : QEL_COLOR_TEXT_MUTED;
    qel_text_leaf(ctx, count, -1, QEL_FONT_MEDIUM, xs, qel_color_token(color), false, 1.3f);
    qel_spacer(ctx);
    qel_button_opts add = {};
    add.variant = QEL_BUTTON_GHOST, add.size = 1, add.tooltip = "Add card";
    add.width = {QEL_SIZE_FIXED, 26};
    *add_clicked = qel_icon_button(ctx, QEL_ICON_PLUS, &add);
    qel_container_end(ctx);
}

int32_t qel_kanban_column_begin(qel_context* ctx, const char* title, int32_t card_count,
                                const qel_kanban_column_options* options)
{
    qel_kanban_record* rec = qel_scope_find<qel_kanban_record>(ctx);
    if (!rec) return 0;
    const qel_kanban_column_options none = {};
    const qel_kanban_column_options* o = options ? options : &none;
    rec->column++;
    uint32_t column_id = column_id_of(rec);
    find_target(ctx, rec, column_id);
    auto* cs = (kanban_column_state*)qel_state_get(ctx, column_id, sizeof(kanban_column_state));
    qel_anim_exp(ctx, &cs->highlight, rec->is_target ? 1.0f : 0.0f, 0.18f);

    const qel_theme* t = &ctx->theme.current;
    bool dark = qel_dark_mode(ctx), accent = qel_theme_get_accent(ctx) != 0;
    float width = column_width(o);
    qel_style s = {};
    s.width = {QEL_SIZE_FIXED, width}, s.min_h = 120, s.gap = CARD_GAP, s.padding_y = 10, s.padding_x = 8;
    s.radius = t->radius_medium;
    int32_t index = qel_node_open(ctx, column_id);
    qel_node_apply_style(ctx, index, &s);
    qel_node* n = qel_node_at(ctx, index);
    n->fill = dark ? qel_color_mix(qel_theme_color(ctx, QEL_COLOR_BACKGROUND), qel_theme_color(ctx, QEL_COLOR_SURFACE), 0.55f)
                   : qel_color_token(QEL_COLOR_SUBTLE);
    if (rec->state->lifted >= 0 && rec->state->origin_column == rec->column) n->flags |= QEL_NODE_ON_TOP;
    column_paint paint = {cs->highlight, accent ? qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_ACCENT), 0.45f)
                                                : qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG)};
    qel_node_draw_with(ctx, index, column_outline, &paint, sizeof paint, true);
    qel_node_push(ctx, index);
    qel_rect r = qel_id_rect(ctx, column_id);
    rec->column_y = r.y, rec->column_width = width;
    rec->row = 0, rec->passed_lifted = 0;

    bool add = false;
    column_header(ctx, title ? title : "", card_count, o, &add);
    qel_push_id_int(ctx, rec->column);
    return add;
}

void qel_kanban_column_end(qel_context* ctx)
{
    qel_kanban_record* rec = qel_scope_find<qel_kanban_record>(ctx);
    if (!rec) return;
    const kanban_state* st = rec->state;
    qel_pop_id(ctx);
    uint32_t column_id = column_id_of(rec);
    auto* cs = (kanban_column_state*)qel_state_get(ctx, column_id, sizeof(kanban_column_state));
    bool foreign = rec->is_target && st->origin_column != rec->column;
    qel_anim_exp(ctx, &cs->end_gap, foreign ? st->lifted_height + CARD_GAP : 0.0f, 0.16f);
    if (cs->end_gap > 0.5f) qel_gap(ctx, cs->end_gap - CARD_GAP);
    if (rec->is_target) {
        bool dark = qel_dark_mode(ctx), accent = qel_theme_get_accent(ctx) != 0;
        int32_t p = qel_node_floating(ctx, 0, 8, rec->insert_y - rec->column_y, rec->column_width - 16, st->lifted_height);
        qel_node* n = qel_node_at(ctx, p);
        n->fill = accent ? qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_ACCENT), dark ? 0.07f : 0.045f)
                         : qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_TEXT), 0.025f);
        n->border = accent ? qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_ACCENT), 0.4f)
                           : qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG);
        n->border_width = 1;
        qel_node_round(n, ctx->theme.current.radius_small - 2);
    }
    qel_node_pop(ctx);
}

// --- Cards ---

static void press_card(qel_context* ctx, qel_kanban_record* rec, uint32_t card_id, qel_rect r)
{
    kanban_state* st = rec->state;
    st->pending = 1, st->pressed = (int32_t)card_id, st->pressed_column = rec->column;
    st->press_x = ctx->input.mouse_x, st->press_y = ctx->input.mouse_y;
    st->grab_x = st->press_x - r.x, st->grab_y = st->press_y - r.y;
    st->lifted_height = r.h;
}

static void lift_by_key(qel_kanban_record* rec, uint32_t card_id, qel_rect r)
{
    kanban_state* st = rec->state;
    st->lifted = (int32_t)card_id, st->origin_column = rec->column, st->keyboard = 1, st->drop_requested = 0;
    st->target_column = rec->column, st->target_row = rec->row;
    st->home_x = st->target_x = r.x, st->home_y = st->target_y = r.y;
    st->glide_x[0] = r.x, st->glide_y[0] = r.y, st->glide_x[1] = st->glide_y[1] = 0;
    st->lifted_height = r.h, st->dropped = -1, st->pending = 0;
}

// How far a card other than the lifted one moves aside, and the insertion point it sets.
static float make_room(qel_kanban_record* rec, qel_rect r)
{
    const kanban_state* st = rec->state;
    float room = st->lifted_height + CARD_GAP, shift = 0;
    if (rec->column == st->origin_column && rec->passed_lifted) shift -= room;
    if (rec->is_target) {
        bool above = st->keyboard ? rec->row < st->target_row : st->pointer_y > r.y + shift + r.h / 2;
        if (above) {
            rec->insert_index = rec->row + 1;
            rec->insert_y = r.y + shift + r.h + CARD_GAP;
        } else {
            shift += room;
        }
    }
    return shift;
}

static void card_springs(qel_context* ctx, kanban_state* st, kanban_card_state* cs, uint32_t card_id, float shift)
{
    if (cs->generation != st->generation) {
        cs->offset[0] = cs->offset[1] = cs->dx[0] = cs->dx[1] = cs->dy[0] = cs->dy[1] = 0;
        cs->generation = st->generation;
    }
    if ((int32_t)card_id == st->dropped && st->drop_pending) {
        cs->dx[0] = st->drop_dx, cs->dy[0] = st->drop_dy, cs->dx[1] = cs->dy[1] = 0;
        cs->offset[0] = cs->offset[1] = 0;
        st->drop_pending = 0;
    }
    qel_anim_spring(ctx, cs->offset, shift, GLIDE_PERIOD, 0);
    qel_anim_spring(ctx, cs->dx, 0, GLIDE_PERIOD, 0);
    qel_anim_spring(ctx, cs->dy, 0, GLIDE_PERIOD, 0);
}

static void card_look(qel_context* ctx, qel_node* n, const kanban_state* st, const kanban_card_state* cs, bool lifted)
{
    n->fill = qel_color_token(QEL_COLOR_SURFACE);
    n->border = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_BORDER), qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG), cs->hover);
    n->border_width = 1;
    qel_node_round(n, ctx->theme.current.radius_small - 2);
    n->elevation = 1;
    n->translate_x = cs->dx[0];
    n->translate_y = cs->dy[0] + cs->offset[0] - 1.5f * cs->hover;
    if (cs->hover > 0.01f) n->elevation = 2, n->elevation_strength = 0.4f + 0.6f * cs->hover;
    bool gliding = fabsf(cs->dx[0]) > 0.5f || fabsf(cs->dy[0]) > 0.5f;
    if (lifted || gliding) {
        n->elevation = 3;
        n->elevation_strength = std::max(0.25f, st->lift[0]);
        n->flags |= QEL_NODE_ON_TOP;
    }
    if (lifted) n->scale = 1 + 0.03f * st->lift[0];
}

int32_t qel_kanban_card(qel_context* ctx, uint32_t card_id)
{
    qel_kanban_record* rec = qel_scope_find<qel_kanban_record>(ctx);
    if (!rec) {
        qel_node_push(ctx, qel_node_open(ctx, 0));
        qel_push_id_int(ctx, (int32_t)card_id);
        return 0;
    }
    kanban_state* st = rec->state;
    uint32_t item = qel_hash_bytes(&card_id, 4, rec->id ^ 0xCA2D);
    qel_rect r = qel_id_rect(ctx, item);
    bool key_focus = qel_focused_id(ctx) == item && ctx->interaction.focus_visible;
    if (st->lifted < 0 && key_focus && qel_key_take(ctx, QEL_KEY_SPACE)) lift_by_key(rec, card_id, r);
    qel_interaction it = qel_interact(ctx, item, QEL_INTERACT_FOCUSABLE);
    if (it.hovered && qel_mouse_pressed(ctx, 0) && st->lifted < 0) press_card(ctx, rec, card_id, r);

    auto* cs = (kanban_card_state*)qel_state_get(ctx, item ^ 0x51, sizeof(kanban_card_state));
    bool lifted = st->lifted == (int32_t)card_id;
    float shift = 0;
    if (lifted) {
        rec->passed_lifted = 1;
        st->home_x = r.x, st->home_y = r.y;
    } else {
        // Counted with no card lifted too: a keyboard lift starts at the card's own row.
        if (st->lifted >= 0) shift = make_room(rec, r);
        rec->row++;
    }
    card_springs(ctx, st, cs, card_id, shift);
    qel_anim_exp(ctx, &cs->hover, it.hovered && st->lifted < 0 ? 1.0f : 0.0f, 0.14f);

    int32_t index = qel_node_open(ctx, item);
    qel_style s = {};
    s.width = {QEL_SIZE_GROW, 1}, s.padding = 12, s.gap = 8;
    qel_node_apply_style(ctx, index, &s);
    qel_node_mark_interactive(ctx, index, QEL_INTERACT_FOCUSABLE);
    qel_node* n = qel_node_at(ctx, index);
    card_look(ctx, n, st, cs, lifted);
    if (lifted) {
        float x = st->keyboard ? st->glide_x[0] : st->pointer_x - st->grab_x;
        float y = st->keyboard ? st->glide_y[0] : st->pointer_y - st->grab_y;
        n->translate_x = x - r.x, n->translate_y = y - r.y;
    }
    if (it.hovered && st->lifted < 0) qel_set_cursor(ctx, QEL_CURSOR_HAND);
    if (it.focus_visible) qel_focus_ring(ctx, index, 1);
    qel_set_last_item(ctx, item);
    qel_node_push(ctx, index);
    qel_push_id_int(ctx, (int32_t)card_id);
    return it.clicked && st->lifted < 0;
}

void qel_kanban_pop(qel_context* ctx)
{
    qel_pop_id(ctx);
    qel_node_pop(ctx);
}

// --- Dropping ---

static void write_move(kanban_state* st, const qel_kanban_record* rec, qel_kanban_move* move)
{
    if (move) *move = {(uint32_t)st->lifted, st->origin_column, rec->drop_column, rec->insert_index};
    st->generation++;
}

static int32_t drop(kanban_state* st, const qel_kanban_record* rec, qel_kanban_move* move)
{
    int32_t result = 0;
    if (!st->keyboard) {
        float x = st->pointer_x - st->grab_x, y = st->pointer_y - st->grab_y;
        if (rec->drop_column >= 0) {
            write_move(st, rec, move);
            st->drop_dx = x - rec->insert_x, st->drop_dy = y - rec->insert_y;
            result = 1;
        } else {
            st->drop_dx = x - st->home_x, st->drop_dy = y - st->home_y;
        }
    } else {
        if (rec->drop_column < 0) return 0;
        st->target_row = rec->insert_index;
        st->target_x = rec->insert_x, st->target_y = rec->insert_y;
        if (!st->drop_requested) return 0;
        write_move(st, rec, move);
        st->drop_dx = st->glide_x[0] - st->target_x, st->drop_dy = st->glide_y[0] - st->target_y;
        st->keyboard = st->drop_requested = 0;
        result = 1;
    }
    st->dropped = st->lifted, st->drop_pending = 1, st->lifted = -1;
    return result;
}

int32_t qel_kanban_end(qel_context* ctx, qel_kanban_move* move)
{
    qel_kanban_record* rec = qel_scope_find<qel_kanban_record>(ctx);
    if (!rec) return 0;
    kanban_state* st = rec->state;
    qel_pop_id(ctx);
    qel_container_end(ctx);
    qel_scroll_end(ctx);
    int32_t result = 0;
    if (st->lifted >= 0 && (st->keyboard || !qel_mouse_down(ctx, 0))) result = drop(st, rec, move);
    st->column_count = rec->column + 1;
    qel_scope_pop<qel_kanban_record>(ctx);
    return result;
}
