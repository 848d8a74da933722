// The node editor's canvas: its per-id state and the frame between begin and end, panning and
// zooming, selection by click, box and keys, the keyboard commands, the grid and the minimap, and
// the three queues through which users' edits reach the program. Nodes, pins and links are
// node_editor_graph.cpp's.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/core.h"
#include "kit/scopes.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/text_input.h"
#include "qel/theme.h"
#include "widgets/editors/node_editor_parts.h"

static const float DEFAULT_HEIGHT = 440.0f, CANVAS_PADDING = 12.0f, CANVAS_GAP = 8.0f;
static const float WHEEL_ZOOM = 1.12f, WHEEL_PAN = 40.0f, KEY_ZOOM = 1.25f;
static const float NUDGE = 10.0f, FINE_NUDGE = 1.0f, DRAG_SLOP = 3.0f;
static const float FIT_MARGIN = 80.0f, GRID_SPACING = 24.0f, GRID_LEAST = 14.0f, DOT = 1.1f;
static const double GRID_MOST_LINES = 4096;
static const float MINIMAP_W = 168.0f, MINIMAP_H = 108.0f, MINIMAP_INSET = 12.0f, MINIMAP_PAD = 8.0f;
static const float LIFT_PERIOD = 0.26f, LIFT_BOUNCE = 0.12f;
static const uint32_t SLOT_SEED = 19981u;
static const int32_t KEY_F = QEL_KEY_A + 5;

// Which editor ended last and in which frame, for the queries after its end.
struct qel_node_editor_slot {
    uint32_t last_editor;
    uint64_t frame_number;
};

// The open editor, found by every node, pin and link call: on the scope stack, which a frame
// begin empties, so a record of an earlier frame is never found.
struct qel_node_editor_scope {
    qel_node_editor_frame* frame;
};

// --- Ids, indexes and helpers ---

uint32_t qel_node_editor_node_item(const qel_node_editor_frame* f, uint32_t node)
{
    return qel_hash_bytes(&node, sizeof node, f->id ^ QEL_NODE_EDITOR_NODE_SEED);
}

uint32_t qel_node_editor_pin_item(const qel_node_editor_frame* f, uint32_t pin)
{
    return qel_hash_bytes(&pin, sizeof pin, f->id ^ QEL_NODE_EDITOR_PIN_SEED);
}

void qel_node_editor_index_reset(qel_context* ctx, qel_node_editor_index* x, int32_t count)
{
    int32_t needed = 16;
    while (needed < 2 * count) needed *= 2;
    if (needed > x->capacity) {
        x->slots = (int32_t*)qel_mem_realloc(ctx, x->slots, (size_t)needed * sizeof(int32_t));
        x->capacity = needed;
    }
    memset(x->slots, 0, (size_t)x->capacity * sizeof(int32_t));
}

template <typename T>
static void array_free(qel_context* ctx, qel_node_editor_array<T>* a)
{
    qel_mem_free(ctx, a->items);
}

static void state_free(qel_context* ctx, void* blob)
{
    auto* s = (qel_node_editor_state*)blob;
    for (qel_node_editor_buffer& b : s->buffers) {
        array_free(ctx, &b.nodes);
        array_free(ctx, &b.pins);
        array_free(ctx, &b.links);
        array_free(ctx, &b.pin_infos);
        qel_mem_free(ctx, b.node_index.slots);
        qel_mem_free(ctx, b.pin_index.slots);
    }
    array_free(ctx, &s->rows);
    array_free(ctx, &s->selection);
    array_free(ctx, &s->base_selection);
    qel_mem_free(ctx, s->selection_index.slots);
    array_free(ctx, &s->created);
    array_free(ctx, &s->destroyed);
    array_free(ctx, &s->deleted);
}

const qel_node_editor_buffer* qel_node_editor_previous(const qel_node_editor_state* s)
{
    return &s->buffers[s->current ^ 1];
}

qel_vec2 qel_node_editor_to_screen(const qel_node_editor_frame* f, float x, float y)
{
    return {x * f->zoom + f->origin_x, y * f->zoom + f->origin_y};
}

qel_vec2 qel_node_editor_pointer(qel_context* ctx, qel_node_editor_state* s)
{
    if (!qel_mouse_in_window(ctx)) return {s->last_x, s->last_y};
    return qel_mouse_pos(ctx);
}

static bool finite_rect(const qel_node_editor_node_entry& n)
{
    return std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.w) && std::isfinite(n.h);
}

static qel_node_editor_slot* slot_of(qel_context* ctx)
{
    static const uint32_t id = qel_hash_str("qel.node_editor", SLOT_SEED);
    return qel_state_record_of<qel_node_editor_slot>(ctx, id, "qel_node_editor_slot");
}

// --- Selection ---

static void selection_reindex(qel_context* ctx, qel_node_editor_state* s)
{
    qel_node_editor_index_all(ctx, &s->selection_index, s->selection, qel_node_editor_id_key);
    s->selection_index_stale = false;
}

bool qel_node_editor_selected(qel_context* ctx, qel_node_editor_state* s, uint32_t node)
{
    if (s->selection_index_stale) selection_reindex(ctx, s);
    return qel_node_editor_lookup(&s->selection_index, s->selection.items, node, qel_node_editor_id_key) >= 0;
}

void qel_node_editor_select_add(qel_context* ctx, qel_node_editor_state* s, uint32_t node)
{
    if (qel_node_editor_selected(ctx, s, node)) return;
    qel_node_editor_push(ctx, &s->selection, node);
    if (2 * s->selection.count > s->selection_index.capacity) s->selection_index_stale = true;
    else
        qel_node_editor_index_add(&s->selection_index, s->selection.items, s->selection.count - 1,
                                  qel_node_editor_id_key);
}

static void selection_clear(qel_node_editor_state* s)
{
    s->selection.count = 0;
    s->selection_index_stale = true;
}

void qel_node_editor_select_only(qel_context* ctx, qel_node_editor_state* s, uint32_t node)
{
    selection_clear(s);
    qel_node_editor_select_add(ctx, s, node);
}

// The last entry takes the removed one's place.
static void selection_remove_at(qel_node_editor_state* s, int32_t i)
{
    s->selection.items[i] = s->selection.items[--s->selection.count];
    s->selection_index_stale = true;
}

void qel_node_editor_deselect(qel_node_editor_state* s, uint32_t node)
{
    for (int32_t i = 0; i < s->selection.count; i++)
        if (s->selection.items[i] == node) return selection_remove_at(s, i);
}

static void selection_from_base(qel_context* ctx, qel_node_editor_state* s)
{
    selection_clear(s);
    for (int32_t i = 0; i < s->base_selection.count; i++)
        qel_node_editor_select_add(ctx, s, s->base_selection.items[i]);
}

void qel_node_editor_destroy_link(qel_context* ctx, qel_node_editor_state* s, uint32_t link)
{
    for (int32_t i = 0; i < s->destroyed.count; i++)
        if (s->destroyed.items[i] == link) return;
    qel_node_editor_push(ctx, &s->destroyed, link);
}

// --- View ---

static float clamp_zoom(const qel_node_editor_frame* f, float z)
{
    return fminf(fmaxf(z, f->min_zoom), f->max_zoom);
}

static void update_origin(qel_node_editor_frame* f)
{
    f->pan_x = f->view->pan_x, f->pan_y = f->view->pan_y;
    f->origin_x = f->canvas.x + f->pan_x;
    f->origin_y = f->canvas.y + f->pan_y;
}

// Keeps the canvas point under p where it is.
static void zoom_about(qel_node_editor_frame* f, float zoom, qel_vec2 p)
{
    if (std::isnan(zoom)) return;
    float z = f->zoom, next = clamp_zoom(f, zoom);
    f->view->zoom = f->zoom = next;
    f->view->pan_x = (p.x - f->canvas.x) - ((p.x - f->origin_x) / z) * next;
    f->view->pan_y = (p.y - f->canvas.y) - ((p.y - f->origin_y) / z) * next;
    update_origin(f);
}

static qel_vec2 canvas_centre(const qel_node_editor_frame* f)
{
    return {f->canvas.x + f->canvas.w * 0.5f, f->canvas.y + f->canvas.h * 0.5f};
}

// Not a finite pan reads as 0: nothing that overflowed is handed back.
static void keep_view_finite(qel_node_editor_frame* f)
{
    qel_node_editor_view* v = f->view;
    if (!std::isfinite(v->pan_x)) v->pan_x = 0;
    if (!std::isfinite(v->pan_y)) v->pan_y = 0;
    update_origin(f);
}

static void read_options(qel_node_editor_frame* f, const qel_node_editor_opts* o)
{
    float lo = o ? o->min_zoom : 0, hi = o ? o->max_zoom : 0;
    f->min_zoom = lo > 0 && std::isfinite(lo) ? lo : 0.25f;
    f->max_zoom = hi > f->min_zoom && std::isfinite(hi) ? hi : fmaxf(2.0f, f->min_zoom);
    f->show_grid = !(o && o->hide_grid);
    f->show_minimap = o && o->show_minimap;
}

static void read_view(qel_node_editor_frame* f)
{
    qel_node_editor_view* v = f->view;
    float z = v->zoom > 0 && std::isfinite(v->zoom) ? v->zoom : 1.0f;
    v->zoom = f->zoom = clamp_zoom(f, z);
    keep_view_finite(f);
}

// --- Begin ---

// Whether id is the item of a node (or a pin) of the last frame.
static bool names_item(const qel_node_editor_frame* f, uint32_t id, bool pins)
{
    if (!id) return false;
    const qel_node_editor_buffer* b = qel_node_editor_previous(f->state);
    for (int32_t i = 0; i < b->nodes.count; i++)
        if (qel_node_editor_node_item(f, b->nodes.items[i].node) == id) return true;
    for (int32_t i = 0; pins && i < b->pins.count; i++)
        if (qel_node_editor_pin_item(f, b->pins.items[i].pin) == id) return true;
    return false;
}

static void delete_selection(qel_context* ctx, qel_node_editor_frame* f)
{
    qel_node_editor_state* s = f->state;
    const qel_node_editor_buffer* b = qel_node_editor_previous(s);
    for (int32_t i = 0; i < s->selection.count; i++)
        if (qel_node_editor_has_node(b, s->selection.items[i]))
            qel_node_editor_push(ctx, &s->deleted, s->selection.items[i]);
    auto attached = [&](uint32_t pin) {
        const qel_node_editor_pin_info* info = qel_node_editor_pin_find(b, pin);
        return info && info->entry >= 0 && qel_node_editor_selected(ctx, s, b->pins.items[info->entry].node);
    };
    for (int32_t i = 0; i < b->links.count; i++) {
        const qel_node_editor_link_entry& l = b->links.items[i];
        bool chosen = s->has_selected_link && l.link == s->selected_link;
        if (chosen || attached(l.start_pin) || attached(l.end_pin)) qel_node_editor_destroy_link(ctx, s, l.link);
    }
    selection_clear(s);
    s->has_selected_link = false;
}

static void nudge_by_key(qel_context* ctx, qel_node_editor_state* s, int32_t key, float dx, float dy)
{
    int32_t presses = ctx->input.key_presses[key];
    if (!qel_key_take(ctx, key)) return;
    float step = (qel_modifiers(ctx) & QEL_MOD_SHIFT) ? FINE_NUDGE : NUDGE;
    s->nudge_x += dx * step * (float)presses;
    s->nudge_y += dy * step * (float)presses;
}

static void keyboard(qel_context* ctx, qel_node_editor_frame* f)
{
    qel_node_editor_state* s = f->state;
    bool ctrl = (qel_modifiers(ctx) & QEL_MOD_CTRL) != 0;
    bool erase = qel_key_take(ctx, QEL_KEY_DELETE);
    if (qel_key_take(ctx, QEL_KEY_BACKSPACE) || erase) delete_selection(ctx, f);
    if (!ctrl && qel_key_take(ctx, KEY_F)) s->fit_requested = true;
    if (ctrl && qel_key_take(ctx, QEL_KEY_A)) {
        const qel_node_editor_buffer* b = qel_node_editor_previous(s);
        selection_clear(s);
        for (int32_t i = 0; i < b->nodes.count; i++) qel_node_editor_select_add(ctx, s, b->nodes.items[i].node);
    }
    if (qel_key_take(ctx, QEL_KEY_ESCAPE)) {
        if (s->mode == QEL_NODE_EDITOR_BOX_SELECT || s->mode == QEL_NODE_EDITOR_LINK_DRAG) {
            s->mode = QEL_NODE_EDITOR_IDLE;
        } else {
            selection_clear(s);
            s->has_selected_link = false;
        }
    }
    if (s->selection.count > 0) {
        nudge_by_key(ctx, s, QEL_KEY_LEFT, -1, 0);
        nudge_by_key(ctx, s, QEL_KEY_RIGHT, 1, 0);
        nudge_by_key(ctx, s, QEL_KEY_UP, 0, -1);
        nudge_by_key(ctx, s, QEL_KEY_DOWN, 0, 1);
    }
    if (qel_key_take(ctx, QEL_KEY_EQUAL)) zoom_about(f, f->zoom * KEY_ZOOM, canvas_centre(f));
    if (qel_key_take(ctx, QEL_KEY_MINUS)) zoom_about(f, f->zoom / KEY_ZOOM, canvas_centre(f));
    if (qel_key_take(ctx, QEL_KEY_0)) zoom_about(f, 1.0f, canvas_centre(f));
}

static void take_wheel(qel_context* ctx, qel_node_editor_frame* f)
{
    qel_input* in = &ctx->input;
    if (!f->seen || ctx->interaction.scroll_target != (f->id ^ QEL_NODE_EDITOR_WHEEL_KEY)) return;
    if (in->wheel_y != 0) zoom_about(f, f->zoom * powf(WHEEL_ZOOM, in->wheel_y), qel_mouse_pos(ctx));
    if (in->wheel_x != 0) {
        f->view->pan_x += WHEEL_PAN * in->wheel_x;
        update_origin(f);
    }
    in->wheel_x = in->wheel_y = 0;
}

// Fits the nodes of the last frame into the canvas, never zooming in past 1.
static void fit(qel_node_editor_frame* f)
{
    qel_node_editor_state* s = f->state;
    if (!s->fit_requested || !f->seen) return;
    s->fit_requested = false;
    const qel_node_editor_buffer* b = qel_node_editor_previous(s);
    float x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
    for (int32_t i = 0; i < b->nodes.count; i++) {
        const qel_node_editor_node_entry& n = b->nodes.items[i];
        if (!finite_rect(n)) continue;
        x0 = fminf(x0, n.x), y0 = fminf(y0, n.y);
        x1 = fmaxf(x1, n.x + n.w), y1 = fmaxf(y1, n.y + n.h);
    }
    if (!(x0 <= x1)) return;
    float w = f->canvas.w, h = f->canvas.h;
    float z = fminf(fminf((w - FIT_MARGIN) / fmaxf(1, x1 - x0), (h - FIT_MARGIN) / fmaxf(1, y1 - y0)), 1.0f);
    f->view->zoom = f->zoom = clamp_zoom(f, z);
    f->view->pan_x = w / 2 - (x0 + x1) / 2 * f->zoom;
    f->view->pan_y = h / 2 - (y0 + y1) / 2 * f->zoom;
    update_origin(f);
}

static bool pan_starts(qel_context* ctx, const qel_node_editor_frame* f)
{
    const qel_input* in = &ctx->input;
    if (f->state->mode != QEL_NODE_EDITOR_IDLE || qel_text_edit_active(ctx)) return false;
    if (!qel_mouse_in_window(ctx) || !qel_rect_contains(f->canvas, qel_mouse_pos(ctx))) return false;
    if (ctx->interaction.hover_layer != ctx->tree.current_layer || !qel_hovered_id(ctx)) return false;
    return in->pressed[2] || (in->pressed[0] && in->key_down[QEL_KEY_SPACE]);
}

static float distance(qel_vec2 a, float x, float y)
{
    return hypotf(a.x - x, a.y - y);
}

static qel_vec2 to_canvas(const qel_node_editor_frame* f, qel_vec2 p)
{
    return {(p.x - f->origin_x) / f->zoom, (p.y - f->origin_y) / f->zoom};
}

// The selection the box gives: the base, then the nodes under the box in submission order.
static void box_select(qel_context* ctx, qel_node_editor_frame* f)
{
    qel_node_editor_state* s = f->state;
    float x0 = fminf(s->box_x0, s->box_x1), x1 = fmaxf(s->box_x0, s->box_x1);
    float y0 = fminf(s->box_y0, s->box_y1), y1 = fmaxf(s->box_y0, s->box_y1);
    selection_from_base(ctx, s);
    const qel_node_editor_buffer* b = qel_node_editor_previous(s);
    for (int32_t i = 0; i < b->nodes.count; i++) {
        const qel_node_editor_node_entry& n = b->nodes.items[i];
        if (n.x < x1 && n.x + n.w > x0 && n.y < y1 && n.y + n.h > y0) qel_node_editor_select_add(ctx, s, n.node);
    }
}

static void set_box_end(qel_node_editor_frame* f, qel_vec2 p)
{
    qel_vec2 c = to_canvas(f, p);
    f->state->box_x1 = c.x;
    f->state->box_y1 = c.y;
}

// One step of the current gesture. While the pointer is outside the window every gesture holds
// at the last place it was seen there.
static void mode_step(qel_context* ctx, qel_node_editor_frame* f)
{
    qel_node_editor_state* s = f->state;
    const qel_input* in = &ctx->input;
    qel_vec2 p = qel_node_editor_pointer(ctx, s);
    bool left = in->down[0] != 0;
    switch (s->mode) {
    case QEL_NODE_EDITOR_PANNING:
        f->view->pan_x += p.x - s->last_x;
        f->view->pan_y += p.y - s->last_y;
        update_origin(f);
        ctx->interaction.active = f->id;
        qel_set_cursor(ctx, QEL_CURSOR_MOVE);
        if (!left && !in->down[2]) s->mode = QEL_NODE_EDITOR_IDLE;
        break;
    case QEL_NODE_EDITOR_NODE_PRESSED:
        if (!left) {
            if (!s->press_additive && s->pressed_was_selected) {
                qel_node_editor_select_only(ctx, s, s->pressed_node);
                s->has_selected_link = false;
            }
            s->mode = QEL_NODE_EDITOR_IDLE;
        } else if (distance(p, s->press_x, s->press_y) > DRAG_SLOP) {
            s->mode = QEL_NODE_EDITOR_NODE_DRAG;
        }
        break;
    case QEL_NODE_EDITOR_NODE_DRAG:
        s->nudge_x += (p.x - s->last_x) / f->zoom;
        s->nudge_y += (p.y - s->last_y) / f->zoom;
        qel_set_cursor(ctx, QEL_CURSOR_MOVE);
        qel_request_redraw(ctx);
        if (!left) s->mode = QEL_NODE_EDITOR_IDLE;
        break;
    case QEL_NODE_EDITOR_BOX_PRESSED:
        set_box_end(f, p);
        if (!left) s->mode = QEL_NODE_EDITOR_IDLE;
        else if (distance(p, s->press_x, s->press_y) > DRAG_SLOP) s->mode = QEL_NODE_EDITOR_BOX_SELECT;
        break;
    case QEL_NODE_EDITOR_BOX_SELECT:
        set_box_end(f, p);
        box_select(ctx, f);
        qel_request_redraw(ctx);
        if (!left) s->mode = QEL_NODE_EDITOR_IDLE;
        break;
    case QEL_NODE_EDITOR_LINK_DRAG: qel_node_editor_link_drag_step(ctx, f); break;
    case QEL_NODE_EDITOR_MINIMAP_DRAG:
        if (s->minimap_valid && s->minimap_scale > 0) {
            float wx = (p.x - s->minimap_origin_x) / s->minimap_scale + s->minimap_world_x;
            float wy = (p.y - s->minimap_origin_y) / s->minimap_scale + s->minimap_world_y;
            f->view->pan_x = f->canvas.w / 2 - wx * f->zoom;
            f->view->pan_y = f->canvas.h / 2 - wy * f->zoom;
            update_origin(f);
            ctx->interaction.active = f->id ^ QEL_NODE_EDITOR_MINIMAP_KEY;
        }
        if (!left) s->mode = QEL_NODE_EDITOR_IDLE;
        break;
    default: break;
    }
    s->last_x = p.x, s->last_y = p.y;
}

static void press_canvas(qel_context* ctx, qel_node_editor_frame* f)
{
    qel_node_editor_state* s = f->state;
    qel_vec2 p = qel_mouse_pos(ctx);
    bool additive = (qel_modifiers(ctx) & (QEL_MOD_SHIFT | QEL_MOD_CTRL)) != 0;
    f->captured = true;
    int32_t hit = qel_node_editor_link_hit(f, p);
    if (hit >= 0) {
        if (!additive) selection_clear(s);
        s->has_selected_link = true;
        s->selected_link = qel_node_editor_previous(s)->links.items[hit].link;
        return;
    }
    s->has_selected_link = false;
    if (!additive) {
        selection_clear(s);
    } else {
        s->base_selection.count = 0;
        for (int32_t i = 0; i < s->selection.count; i++)
            qel_node_editor_push(ctx, &s->base_selection, s->selection.items[i]);
    }
    s->mode = QEL_NODE_EDITOR_BOX_PRESSED;
    s->press_x = s->last_x = p.x;
    s->press_y = s->last_y = p.y;
    qel_vec2 c = to_canvas(f, p);
    s->box_x0 = s->box_x1 = c.x;
    s->box_y0 = s->box_y1 = c.y;
}

static void canvas_draw(qel_context* ctx, const qel_node* node, void* user);

static void open_canvas(qel_context* ctx, qel_node_editor_frame* f, const qel_node_editor_opts* o, bool hovered)
{
    int32_t index = qel_node_open(ctx, f->id);
    qel_node* n = qel_node_at(ctx, index);
    bool width_given = o && (o->width.kind || o->width.value != 0);
    bool height_given = o && (o->height.kind || o->height.value != 0);
    n->width = width_given ? o->width : qel_size{QEL_SIZE_GROW, 1};
    n->height = height_given ? o->height : qel_size{QEL_SIZE_FIXED, DEFAULT_HEIGHT};
    n->fill = qel_dark_mode(ctx) ? qel_color_mix(qel_theme_color(ctx, QEL_COLOR_BACKGROUND),
                                                 qel_theme_color(ctx, QEL_COLOR_SURFACE), 0.45f)
                                 : qel_color_token(QEL_COLOR_SUBTLE);
    n->border = qel_color_token(QEL_COLOR_BORDER);
    n->border_width = 1;
    qel_node_round(n, qel_theme_block_get(ctx)->radius_medium);
    n->pad_top = n->pad_right = n->pad_bottom = n->pad_left = CANVAS_PADDING;
    n->gap = CANVAS_GAP;
    n->flags |= QEL_NODE_CLIP;  // nodes dragged past the edge must not cover other widgets
    n->draw = canvas_draw;
    n->draw_user = f;
    qel_node_mark_interactive(ctx, index, QEL_INTERACT_FOCUSABLE);
    f->canvas_node = index;
    if (hovered && f->state->mode == QEL_NODE_EDITOR_IDLE && qel_key_down(ctx, QEL_KEY_SPACE))
        qel_set_cursor(ctx, QEL_CURSOR_MOVE);
    qel_node_push(ctx, index);
}

static qel_node_editor_state* state_of(qel_context* ctx, uint32_t id)
{
    auto* s = qel_state_record_of<qel_node_editor_state>(ctx, id, "qel_node_editor_state");
    qel_state_set_destructor(ctx, id, state_free);
    return s;
}

// Flips the buffers: the last frame's submissions serve hit testing, the other one is emptied.
static void start_frame(qel_node_editor_state* s)
{
    s->current ^= 1;
    qel_node_editor_buffer* b = &s->buffers[s->current];
    b->nodes.count = b->pins.count = b->links.count = b->pin_infos.count = 0;
    s->rows.count = 0;
    s->created.count = s->destroyed.count = s->deleted.count = 0;
    s->created_read = s->destroyed_read = s->deleted_read = 0;
    s->nudge_x = s->nudge_y = 0;
}

int32_t qel_node_editor_begin(qel_context* ctx, const char* label, qel_node_editor_view* view,
                              const qel_node_editor_opts* opts)
{
    if (!view || qel_node_editor_find(ctx)) return 0;
    auto* f = (qel_node_editor_frame*)qel_arena_alloc(ctx, sizeof(qel_node_editor_frame));
    const char* name = label ? label : "node-editor";
    f->id = qel_id(ctx, name);
    f->frame_number = qel_ctx_frame_count(ctx);
    f->view = view;
    read_options(f, opts);
    qel_node_editor_state* s = f->state = state_of(ctx, f->id);
    start_frame(s);
    f->seen = qel_id_seen(ctx, f->id);
    f->canvas = qel_id_rect(ctx, f->id);
    read_view(f);
    uint32_t minimap = f->id ^ QEL_NODE_EDITOR_MINIMAP_KEY;
    qel_interaction it = qel_interact(ctx, f->id, QEL_INTERACT_FOCUSABLE | QEL_INTERACT_HOLD_OUTSIDE);
    qel_interaction map = qel_interact(ctx, minimap, QEL_INTERACT_HOLD_OUTSIDE | QEL_INTERACT_KEEP_FOCUS);
    uint32_t hovered_id = qel_hovered_id(ctx), focused_id = qel_focused_id(ctx);
    bool hovered = hovered_id == f->id || hovered_id == minimap || names_item(f, hovered_id, true);
    bool focused = focused_id == f->id || names_item(f, focused_id, false);
    f->focus_visible = it.focused && it.focus_visible;
    take_wheel(ctx, f);
    if (focused && !qel_text_edit_active(ctx)) keyboard(ctx, f);
    fit(f);
    if (pan_starts(ctx, f)) {
        s->mode = QEL_NODE_EDITOR_PANNING;
        s->last_x = qel_mouse_pos(ctx).x, s->last_y = qel_mouse_pos(ctx).y;
        f->captured = true;
    }
    mode_step(ctx, f);
    bool idle = s->mode == QEL_NODE_EDITOR_IDLE, pressed = ctx->input.pressed[0] != 0;
    if (!map.hovered && it.hovered && pressed && !f->captured && idle) press_canvas(ctx, f);
    if (map.hovered && pressed && !f->captured && s->mode == QEL_NODE_EDITOR_IDLE) {
        s->mode = QEL_NODE_EDITOR_MINIMAP_DRAG;
        f->captured = true;
    }
    if (s->mode >= QEL_NODE_EDITOR_NODE_PRESSED && s->mode != QEL_NODE_EDITOR_MINIMAP_DRAG &&
        ctx->input.down[0] && !ctx->interaction.active)
        ctx->interaction.active = f->id;
    qel_anim_spring(ctx, s->lift, s->mode == QEL_NODE_EDITOR_NODE_DRAG ? 1.0f : 0.0f, LIFT_PERIOD, LIFT_BOUNCE);
    keep_view_finite(f);
    open_canvas(ctx, f, opts, hovered);
    qel_push_id(ctx, name);
    qel_scope_push<qel_node_editor_scope>(ctx)->frame = f;
    return 1;
}

// --- End ---

static void overlay_draw(qel_context* ctx, const qel_node* node, void* user);

// Selected nodes draw above the others, the overlay and the minimap above all.
static void order_children(qel_context* ctx, qel_node_editor_frame* f, int32_t overlay, int32_t minimap)
{
    qel_node* canvas = qel_node_at(ctx, f->canvas_node);
    uint8_t* rank = (uint8_t*)qel_arena_alloc(ctx, (size_t)ctx->tree.count);
    for (int32_t i = 0; i < f->node_ref_count; i++) rank[f->node_refs[i].layout] = f->node_refs[i].selected ? 1 : 0;
    rank[overlay] = 2;
    if (minimap >= 0) rank[minimap] = 2;
    int32_t first[3] = {-1, -1, -1}, last[3] = {-1, -1, -1};
    for (int32_t c = canvas->first_floating; c >= 0;) {
        qel_node* n = qel_node_at(ctx, c);
        int32_t next = n->next_sibling, r = rank[c];
        n->next_sibling = -1;
        if (last[r] >= 0) qel_node_at(ctx, last[r])->next_sibling = c;
        else first[r] = c;
        last[r] = c;
        c = next;
    }
    canvas = qel_node_at(ctx, f->canvas_node);
    canvas->first_floating = canvas->last_floating = -1;
    for (int32_t r = 0; r < 3; r++) {
        if (first[r] < 0) continue;
        if (canvas->last_floating >= 0) qel_node_at(ctx, canvas->last_floating)->next_sibling = first[r];
        else canvas->first_floating = first[r];
        canvas->last_floating = last[r];
    }
}

static int32_t float_on_canvas(qel_context* ctx, const qel_node_editor_frame* f, uint32_t id, qel_rect r)
{
    int32_t index = qel_node_floating(ctx, id, r.x, r.y, r.w, r.h);
    qel_node* n = qel_node_at(ctx, index);
    n->origin = f->canvas_node;
    n->flags |= QEL_NODE_ON_TOP;
    return index;
}

// What users may no longer act on: nodes, a link and a link drag whose parts were not submitted.
static void forget_vanished(qel_context* ctx, qel_node_editor_state* s)
{
    const qel_node_editor_buffer* b = &s->buffers[s->current];
    for (int32_t i = s->selection.count - 1; i >= 0; i--)
        if (!qel_node_editor_has_node(b, s->selection.items[i])) selection_remove_at(s, i);
    if (s->selection_index_stale) selection_reindex(ctx, s);
    if (s->has_selected_link) {
        bool found = false;
        for (int32_t i = 0; i < b->links.count && !found; i++) found = b->links.items[i].link == s->selected_link;
        s->has_selected_link = found;
    }
    if (s->mode == QEL_NODE_EDITOR_LINK_DRAG) {
        const qel_node_editor_pin_info* start = qel_node_editor_pin_find(b, s->start_pin);
        if (!start || start->entry < 0) s->mode = QEL_NODE_EDITOR_IDLE;
    }
}

void qel_node_editor_end(qel_context* ctx)
{
    qel_node_editor_frame* f = qel_node_editor_find(ctx);
    if (!f) return;
    while (f->in_node || f->refused_nodes > 0) qel_node_editor_node_end(ctx);
    qel_pop_id(ctx);
    qel_node_push(ctx, f->canvas_node);
    int32_t overlay = float_on_canvas(ctx, f, 0, {0, 0, 0, 0});
    qel_node_at(ctx, overlay)->draw = overlay_draw;
    qel_node_at(ctx, overlay)->draw_user = f;
    qel_node_editor_state* s = f->state;
    int32_t minimap = -1;
    if (f->show_minimap && s->minimap_valid) {
        qel_rect r = s->minimap_rect;
        r.x -= f->canvas.x, r.y -= f->canvas.y;
        minimap = float_on_canvas(ctx, f, f->id ^ QEL_NODE_EDITOR_MINIMAP_KEY, r);
        qel_node_mark_interactive(ctx, minimap, 0);
    }
    qel_node_pop(ctx);
    order_children(ctx, f, overlay, minimap);
    qel_node_pop(ctx);
    qel_node_editor_buffer* b = &s->buffers[s->current];
    qel_node_editor_index_buffer(ctx, b);
    forget_vanished(ctx, s);
    f->submitted = b;
    f->rows = s->rows.items;
    qel_scope_pop<qel_node_editor_scope>(ctx);
    *slot_of(ctx) = {f->id, f->frame_number};
    qel_set_last_item(ctx, f->id);
}

qel_node_editor_frame* qel_node_editor_find(qel_context* ctx)
{
    qel_node_editor_scope* scope = qel_scope_find<qel_node_editor_scope>(ctx);
    return scope ? scope->frame : nullptr;
}

// --- Queues ---

// The state whose queues the queries read: the open editor's, else the one that ended in this
// frame.
static qel_node_editor_state* queue_owner(qel_context* ctx)
{
    qel_node_editor_frame* f = qel_node_editor_find(ctx);
    if (f) return f->state;
    qel_node_editor_slot* slot = slot_of(ctx);
    if (!slot->last_editor || slot->frame_number != qel_ctx_frame_count(ctx)) return nullptr;
    return (qel_node_editor_state*)qel_state_find(ctx, slot->last_editor, sizeof(qel_node_editor_state), false);
}

int32_t qel_node_editor_link_created(qel_context* ctx, uint32_t* start, uint32_t* end)
{
    qel_node_editor_state* s = queue_owner(ctx);
    if (!s || s->created_read + 2 > s->created.count) return 0;
    if (start) *start = s->created.items[s->created_read];
    if (end) *end = s->created.items[s->created_read + 1];
    s->created_read += 2;
    return 1;
}

static int32_t take_entry(qel_node_editor_array<uint32_t>* queue, int32_t* read, uint32_t* out)
{
    if (*read >= queue->count) return 0;
    if (out) *out = queue->items[*read];
    ++*read;
    return 1;
}

int32_t qel_node_editor_link_destroyed(qel_context* ctx, uint32_t* link)
{
    qel_node_editor_state* s = queue_owner(ctx);
    return s ? take_entry(&s->destroyed, &s->destroyed_read, link) : 0;
}

int32_t qel_node_editor_node_deleted(qel_context* ctx, uint32_t* node)
{
    qel_node_editor_state* s = queue_owner(ctx);
    return s ? take_entry(&s->deleted, &s->deleted_read, node) : 0;
}

// --- Drawing ---

static qel_rect inset(qel_rect r, float by)
{
    return {r.x + by, r.y + by, r.w - 2 * by, r.h - 2 * by};
}

// The part of r inside the current clip.
static qel_rect visible_part(qel_context* ctx, qel_rect r)
{
    const qel_rect* c = qel_draw_top_clip(ctx);
    float k = ctx->clock.scale;
    float x0 = fmaxf(r.x, c->x / k), y0 = fmaxf(r.y, c->y / k);
    float x1 = fminf(r.x + r.w, (c->x + c->w) / k), y1 = fminf(r.y + r.h, (c->y + c->h) / k);
    return {x0, y0, x1 - x0, y1 - y0};
}

// How many grid lines of spacing s fit in a length, held to a bound before it becomes an integer.
static int32_t grid_lines(float length, double s)
{
    return (int32_t)std::fmin(length / s + 1, GRID_MOST_LINES);
}

// Dots at origin + k * spacing over the visible part r of the canvas. They come from an index range bounded by
// what is visible, never from stepping a coordinate: beyond 2^24 adding the spacing to a float
// changes nothing, and a canvas may be laid out far larger than the window.
static void draw_grid(qel_context* ctx, const qel_node_editor_frame* f, qel_rect r)
{
    if (!(r.w > 0 && r.h > 0)) return;
    double s = GRID_SPACING * f->zoom;
    while (s < GRID_LEAST) s *= 2;
    double kx = std::ceil((r.x - f->origin_x) / s), ky = std::ceil((r.y - f->origin_y) / s);
    int32_t nx = grid_lines(r.w, s), ny = grid_lines(r.h, s);
    qel_color c = qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG), qel_dark_mode(ctx) ? 0.32f : 0.42f);
    float radii[4] = {DOT / 2, DOT / 2, DOT / 2, DOT / 2};
    for (int32_t j = 0; j < ny; j++) {
        float y = (float)(f->origin_y + (ky + j) * s);
        if (y > r.y + r.h) break;
        for (int32_t i = 0; i < nx; i++) {
            float x = (float)(f->origin_x + (kx + i) * s);
            if (x > r.x + r.w) break;
            qel_rect dot = {x - DOT / 2, y - DOT / 2, DOT, DOT};
            qel_draw_rect(ctx, &dot, radii, c);
        }
    }
}

// The draw pass places everything against where the canvas is laid out in this frame. The
// caller's view may be gone by then: its pan was kept.
static void canvas_draw(qel_context* ctx, const qel_node* node, void* user)
{
    auto* f = (qel_node_editor_frame*)user;
    if (!f->submitted) return;  // begun but never ended: nothing was published
    qel_rect r = node->rect, clip = inset(r, 1);
    f->canvas = r;
    f->origin_x = r.x + f->pan_x, f->origin_y = r.y + f->pan_y;
    qel_draw_push_clip(ctx, &clip);
    qel_hit_rect_add_clipped(ctx, f->id ^ QEL_NODE_EDITOR_WHEEL_KEY, r);
    qel_rect visible = visible_part(ctx, r);
    if (f->show_grid) draw_grid(ctx, f, visible);
    qel_node_editor_draw_links(ctx, f, visible);
    qel_draw_pop_clip(ctx);
}

static void draw_box(qel_context* ctx, const qel_node_editor_frame* f)
{
    const qel_node_editor_state* s = f->state;
    qel_vec2 a = qel_node_editor_to_screen(f, s->box_x0, s->box_y0);
    qel_vec2 b = qel_node_editor_to_screen(f, s->box_x1, s->box_y1);
    qel_rect r = {fminf(a.x, b.x), fminf(a.y, b.y), fabsf(b.x - a.x), fabsf(b.y - a.y)};
    qel_color fill = qel_theme_get_accent(ctx) ? qel_theme_color(ctx, QEL_COLOR_ACCENT_TINT)
                                               : qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_TEXT), 0.04f);
    float radii[4] = {2, 2, 2, 2};
    qel_draw_rect_bordered(ctx, &r, radii, fill, qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_ACCENT), 0.55f), 1);
}

// The world box: every node of this frame and the visible view.
static void minimap_world(const qel_node_editor_frame* f, float* x0, float* y0, float* x1, float* y1)
{
    qel_vec2 v = to_canvas(f, {f->canvas.x, f->canvas.y});
    *x0 = v.x, *y0 = v.y;
    *x1 = v.x + f->canvas.w / f->zoom, *y1 = v.y + f->canvas.h / f->zoom;
    const qel_node_editor_buffer* b = f->submitted;
    for (int32_t i = 0; i < b->nodes.count; i++) {
        const qel_node_editor_node_entry& n = b->nodes.items[i];
        if (!finite_rect(n)) continue;
        *x0 = fminf(*x0, n.x), *y0 = fminf(*y0, n.y);
        *x1 = fmaxf(*x1, n.x + n.w), *y1 = fmaxf(*y1, n.y + n.h);
    }
}

static void draw_minimap(qel_context* ctx, const qel_node_editor_frame* f)
{
    qel_node_editor_state* s = f->state;
    s->minimap_valid = false;
    if (!f->show_minimap || f->submitted->nodes.count == 0) return;
    qel_rect c = f->canvas;
    float k = std::clamp(0.28f * c.w / MINIMAP_W, 0.5f, 1.0f);
    qel_rect m = {c.x + c.w - MINIMAP_INSET - MINIMAP_W * k, c.y + c.h - MINIMAP_INSET - MINIMAP_H * k, MINIMAP_W * k,
                  MINIMAP_H * k};
    if (!(m.x > c.x + MINIMAP_INSET && m.y > c.y + MINIMAP_INSET)) return;
    float x0, y0, x1, y1;
    minimap_world(f, &x0, &y0, &x1, &y1);
    float scale = fminf((m.w - 2 * MINIMAP_PAD) / fmaxf(1, x1 - x0), (m.h - 2 * MINIMAP_PAD) / fmaxf(1, y1 - y0));
    if (!std::isfinite(scale)) return;
    s->minimap_origin_x = m.x + (m.w - (x1 - x0) * scale) / 2;
    s->minimap_origin_y = m.y + (m.h - (y1 - y0) * scale) / 2;
    s->minimap_scale = scale;
    s->minimap_world_x = x0, s->minimap_world_y = y0;
    s->minimap_rect = m;
    s->minimap_valid = true;
    float back = fmaxf(6, qel_theme_block_get(ctx)->radius_medium - 6);
    float back_radii[4] = {back, back, back, back}, small[4] = {1.5f, 1.5f, 1.5f, 1.5f}, view[4] = {2, 2, 2, 2};
    qel_draw_rect_bordered(ctx, &m, back_radii, qel_theme_color(ctx, QEL_COLOR_SURFACE),
                           qel_theme_color(ctx, QEL_COLOR_BORDER), 1);
    qel_rect clip = inset(m, 1);
    qel_draw_push_clip(ctx, &clip);
    auto place = [&](float x, float y, float w, float h) {
        return qel_rect{s->minimap_origin_x + (x - x0) * scale, s->minimap_origin_y + (y - y0) * scale, w * scale,
                        h * scale};
    };
    qel_color chosen = qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_ACCENT), 0.7f);
    qel_color other =
        qel_color_mix(qel_theme_color(ctx, QEL_COLOR_BORDER), qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG), 0.35f);
    const qel_node_editor_buffer* b = f->submitted;
    for (int32_t i = 0; i < b->nodes.count; i++) {
        const qel_node_editor_node_entry& n = b->nodes.items[i];
        if (!finite_rect(n)) continue;
        qel_rect r = place(n.x, n.y, n.w, n.h);
        r.w = fmaxf(r.w, 2), r.h = fmaxf(r.h, 2);
        qel_draw_rect(ctx, &r, small, qel_node_editor_selected(ctx, s, n.node) ? chosen : other);
    }
    qel_vec2 v = to_canvas(f, {c.x, c.y});
    qel_rect vr = place(v.x, v.y, c.w / f->zoom, c.h / f->zoom);
    qel_color text = qel_theme_color(ctx, QEL_COLOR_TEXT);
    qel_draw_rect_bordered(ctx, &vr, view, qel_color_alpha(text, 0.025f), qel_color_alpha(text, 0.3f), 1);
    qel_draw_pop_clip(ctx);
}

static void overlay_draw(qel_context* ctx, const qel_node*, void* user)
{
    auto* f = (const qel_node_editor_frame*)user;
    if (f->state->mode == QEL_NODE_EDITOR_LINK_DRAG) qel_node_editor_draw_link_preview(ctx, f);
    if (f->state->mode == QEL_NODE_EDITOR_BOX_SELECT) draw_box(ctx, f);
    if (f->focus_visible) {
        qel_rect r = inset(f->canvas, 1);
        float radius = qel_theme_block_get(ctx)->radius_medium - 1;
        float radii[4] = {radius, radius, radius, radius};
        qel_draw_rect_bordered(ctx, &r, radii, 0, qel_theme_color(ctx, QEL_COLOR_FOCUS_RING), 2);
    }
    draw_minimap(ctx, f);
}
