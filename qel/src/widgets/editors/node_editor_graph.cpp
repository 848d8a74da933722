// The node editor's graph: nodes with their pin rows and widget blocks, the links with their
// curve and hit test, the link-drag gesture that reports links made and broken, and how nodes,
// pins and links are drawn. The canvas around them is node_editor.cpp's.
#include <algorithm>
#include <cmath>

#include "core/core.h"
#include "kit/widget_nodes.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/text_units.h"
#include "qel/theme.h"
#include "widgets/editors/node_editor_parts.h"

static const float NODE_WIDTH = 184.0f, TITLE_HEIGHT = 34.0f, FIRST_ROW = 40.0f, ROW_HEIGHT = 26.0f;
static const float EMPTY_HEIGHT = 36.0f, BOTTOM_PAD = 8.0f, LABEL_INSET = 14.0f, BLOCK_INSET = 14.0f;
static const float BLOCK_TOP = 3.0f, BLOCK_GAP = 6.0f, FIRST_BLOCK_HEIGHT = 30.0f;
static const float PIN_HIT_LEAST = 14.0f, PIN_HIT = 18.0f, TARGET_REACH = 18.0f, LINK_REACH = 5.0f;
static const float DRAG_SLOP = 3.0f, HOVER_TIME = 0.14f;
static const uint32_t BLOCK_SEED = 0xc0e7u, HOVER_KEY = 0x51u, FOCUS_KEY = 0x52u, PIN_HOVER_KEY = 1u;
static const int32_t BLOCK_SCOPE_BASE = 28672;

static inline uint32_t pin_key(const qel_node_editor_pin_info& p)
{
    return p.pin;
}

// --- Indexes ---

bool qel_node_editor_has_node(const qel_node_editor_buffer* b, uint32_t node)
{
    return qel_node_editor_lookup(&b->node_index, b->nodes.items, node, qel_node_editor_node_key) >= 0;
}

const qel_node_editor_pin_info* qel_node_editor_pin_find(const qel_node_editor_buffer* b, uint32_t pin)
{
    int32_t i = qel_node_editor_lookup(&b->pin_index, b->pin_infos.items, pin, pin_key);
    return i >= 0 ? &b->pin_infos.items[i] : nullptr;
}

// The info of a pin id, made when the id is new.
static qel_node_editor_pin_info* pin_info(qel_context* ctx, qel_node_editor_buffer* b, uint32_t pin)
{
    int32_t* slot = qel_node_editor_slot_of(&b->pin_index, b->pin_infos.items, pin, pin_key);
    if (!*slot) {
        qel_node_editor_push(ctx, &b->pin_infos, qel_node_editor_pin_info{pin, -1, 0, 0, -1});
        *slot = b->pin_infos.count;
    }
    return &b->pin_infos.items[*slot - 1];
}

void qel_node_editor_index_buffer(qel_context* ctx, qel_node_editor_buffer* b)
{
    qel_node_editor_index_all(ctx, &b->node_index, b->nodes, qel_node_editor_node_key);
    b->pin_infos.count = 0;
    qel_node_editor_index_reset(ctx, &b->pin_index, b->pins.count + 2 * b->links.count);
    for (int32_t i = 0; i < b->pins.count; i++) {
        qel_node_editor_pin_info* p = pin_info(ctx, b, b->pins.items[i].pin);
        if (p->entry < 0) p->entry = i;
    }
    for (int32_t i = 0; i < b->links.count; i++) {
        const qel_node_editor_link_entry& l = b->links.items[i];
        qel_node_editor_pin_info* start = pin_info(ctx, b, l.start_pin);
        start->starts++;
        bool start_known = start->entry >= 0;
        qel_node_editor_pin_info* end = pin_info(ctx, b, l.end_pin);
        end->ends++;
        if (end->first_end_link < 0 && start_known) end->first_end_link = i;
    }
}

// The pin entry of a pin id in the buffer, or null when it was not submitted there.
static const qel_node_editor_pin_entry* submitted_pin(const qel_node_editor_buffer* b, uint32_t pin)
{
    const qel_node_editor_pin_info* p = qel_node_editor_pin_find(b, pin);
    return p && p->entry >= 0 ? &b->pins.items[p->entry] : nullptr;
}

// --- The link curve ---

// How far the control points reach out horizontally.
static float curve_reach(qel_vec2 p0, qel_vec2 p1, float zoom, float* length)
{
    float dx = p1.x - p0.x, dy = p1.y - p0.y, d = fabsf(dx) / 2;
    *length = sqrtf(dx * dx + dy * dy);
    float k = fmaxf(d, fminf(40 * zoom, *length / 2));
    if (dx < 0) k = fmaxf(k, fminf(fabsf(dy) / 4 + d, 160 * zoom));
    return k;
}

int32_t qel_node_editor_curve(qel_vec2 p0, qel_vec2 p1, float zoom, qel_vec2* out)
{
    float length, k = curve_reach(p0, p1, zoom, &length);
    // Clamped while still a float: a huge or NaN length must not become an integer.
    float steps = (2 * k + length) / 5;
    int32_t n = steps >= 95 ? 95 : steps >= 12 ? (int32_t)steps : 12;
    qel_vec2 c0 = {p0.x + k, p0.y}, c1 = {p1.x - k, p1.y};
    for (int32_t i = 0; i <= n; i++) {
        float t = (float)i / (float)n, u = 1 - t;
        float a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
        out[i] = {a * p0.x + b * c0.x + c * c1.x + d * p1.x, a * p0.y + b * c0.y + c * c1.y + d * p1.y};
    }
    return n + 1;
}

// Whether the curve's control polygon, widened by margin, misses the rectangle.
static bool curve_misses(qel_vec2 p0, qel_vec2 p1, float zoom, qel_rect r, float margin)
{
    float length, k = curve_reach(p0, p1, zoom, &length);
    float x0 = fminf(p0.x, p1.x - k) - margin, x1 = fmaxf(p0.x + k, p1.x) + margin;
    float y0 = fminf(p0.y, p1.y) - margin, y1 = fmaxf(p0.y, p1.y) + margin;
    return !(x0 <= r.x + r.w && x1 >= r.x && y0 <= r.y + r.h && y1 >= r.y);
}

static float segment_distance(qel_vec2 p, qel_vec2 a, qel_vec2 b)
{
    float dx = b.x - a.x, dy = b.y - a.y, len = dx * dx + dy * dy;
    float t = len > 0 ? fminf(fmaxf(((p.x - a.x) * dx + (p.y - a.y) * dy) / len, 0.0f), 1.0f) : 0.0f;
    return hypotf(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

// The screen ends of a link whose two pins were submitted, and its start pin; null otherwise.
static const qel_node_editor_pin_entry* link_ends(const qel_node_editor_frame* f, const qel_node_editor_buffer* b,
                                                  const qel_node_editor_link_entry& l, qel_vec2* p0, qel_vec2* p1)
{
    const qel_node_editor_pin_entry* start = submitted_pin(b, l.start_pin);
    const qel_node_editor_pin_entry* end = submitted_pin(b, l.end_pin);
    if (!start || !end) return nullptr;
    *p0 = qel_node_editor_to_screen(f, start->x, start->y);
    *p1 = qel_node_editor_to_screen(f, end->x, end->y);
    return std::isfinite(p0->x + p0->y + p1->x + p1->y) ? start : nullptr;
}

int32_t qel_node_editor_link_hit(const qel_node_editor_frame* f, qel_vec2 p)
{
    const qel_node_editor_buffer* b = qel_node_editor_previous(f->state);
    qel_vec2 points[QEL_NODE_EDITOR_CURVE_MAX];
    int32_t best = -1;
    float best_distance = LINK_REACH;
    for (int32_t i = 0; i < b->links.count; i++) {
        qel_vec2 p0, p1;
        if (!link_ends(f, b, b->links.items[i], &p0, &p1)) continue;
        if (curve_misses(p0, p1, f->zoom, {p.x, p.y, 0, 0}, LINK_REACH)) continue;
        int32_t n = qel_node_editor_curve(p0, p1, f->zoom, points);
        for (int32_t k = 0; k + 1 < n; k++) {
            float d = segment_distance(p, points[k], points[k + 1]);
            if (d < best_distance) best_distance = d, best = i;
        }
    }
    return best;
}

// --- Link drag ---

static bool compatible(int32_t a, int32_t b)
{
    return a <= 0 || b <= 0 || a == b;
}

static bool candidate(const qel_node_editor_state* s, uint32_t is_output, uint32_t node, int32_t type)
{
    return (is_output != 0) != (s->start_is_output != 0) && node != s->start_node && compatible(type, s->start_type);
}

static void report_drop(qel_context* ctx, qel_node_editor_state* s, const qel_node_editor_buffer* b)
{
    if (!s->over_target) {
        if (s->detaching) qel_node_editor_destroy_link(ctx, s, s->detached_link);
        return;
    }
    if (s->detaching && s->target_pin == s->grabbed_pin) return;
    if (s->detaching) qel_node_editor_destroy_link(ctx, s, s->detached_link);
    uint32_t output = s->start_is_output ? s->start_pin : s->target_pin;
    uint32_t input = s->start_is_output ? s->target_pin : s->start_pin;
    bool exists = false;
    for (int32_t i = 0; i < b->links.count; i++) {
        const qel_node_editor_link_entry& l = b->links.items[i];
        if (s->detaching && l.link == s->detached_link) continue;
        if (l.end_pin == input && l.start_pin != output) qel_node_editor_destroy_link(ctx, s, l.link);
        exists |= l.start_pin == output && l.end_pin == input;
    }
    if (exists) return;
    qel_node_editor_push(ctx, &s->created, output);
    qel_node_editor_push(ctx, &s->created, input);
}

void qel_node_editor_link_drag_step(qel_context* ctx, qel_node_editor_frame* f)
{
    qel_node_editor_state* s = f->state;
    const qel_node_editor_buffer* b = qel_node_editor_previous(s);
    qel_vec2 p = qel_node_editor_pointer(ctx, s);
    s->over_target = false;
    float nearest = TARGET_REACH;
    for (int32_t i = 0; i < b->pins.count; i++) {
        const qel_node_editor_pin_entry& pin = b->pins.items[i];
        if (!candidate(s, pin.is_output, pin.node, pin.type)) continue;
        qel_vec2 c = qel_node_editor_to_screen(f, pin.x, pin.y);
        float d = hypotf(c.x - p.x, c.y - p.y);
        if (d < nearest) nearest = d, s->over_target = true, s->target_pin = pin.pin;
    }
    qel_request_redraw(ctx);
    const qel_input* in = &ctx->input;
    if (in->down[0]) return;
    // A release the core marks as no click (another window took the press) reports nothing.
    if (!in->release_cancelled && hypotf(p.x - s->press_x, p.y - s->press_y) >= DRAG_SLOP) report_drop(ctx, s, b);
    s->mode = QEL_NODE_EDITOR_IDLE;
    s->over_target = false;
}

// A press on a pin starts a drag; on an input with a link it picks that link up instead.
static void start_link_drag(qel_context* ctx, qel_node_editor_frame* f, const qel_node_editor_pin_entry& pin)
{
    qel_node_editor_state* s = f->state;
    const qel_node_editor_buffer* b = qel_node_editor_previous(s);
    f->captured = true;
    s->grabbed_pin = s->start_pin = pin.pin;
    s->start_is_output = pin.is_output;
    s->start_type = pin.type;
    s->start_node = pin.node;
    s->detaching = false;
    const qel_node_editor_pin_info* info = qel_node_editor_pin_find(b, pin.pin);
    if (!pin.is_output && info && info->first_end_link >= 0) {
        const qel_node_editor_link_entry& l = b->links.items[info->first_end_link];
        const qel_node_editor_pin_entry* start = submitted_pin(b, l.start_pin);
        s->detaching = true;
        s->detached_link = l.link;
        s->start_pin = l.start_pin;
        s->start_is_output = 1;
        s->start_type = start->type;
        s->start_node = start->node;
    }
    s->mode = QEL_NODE_EDITOR_LINK_DRAG;
    s->over_target = false;
    qel_vec2 p = qel_mouse_pos(ctx);
    s->press_x = s->last_x = p.x;
    s->press_y = s->last_y = p.y;
}

// --- Nodes ---

// A layout node and id scope that stand in for a refused node or block, so the ends balance.
static void open_empty(qel_context* ctx)
{
    qel_node_push(ctx, qel_node_open(ctx, 0));
}

static bool idle(const qel_node_editor_frame* f)
{
    return f->state->mode == QEL_NODE_EDITOR_IDLE;
}

static bool press_starts(qel_context* ctx, const qel_node_editor_frame* f, const qel_interaction& it)
{
    return it.hovered && qel_mouse_pressed(ctx, 0) && !f->captured && idle(f);
}

static void press_node(qel_context* ctx, qel_node_editor_frame* f, uint32_t node)
{
    qel_node_editor_state* s = f->state;
    uint32_t mods = qel_modifiers(ctx);
    bool ctrl = (mods & QEL_MOD_CTRL) != 0, additive = (mods & (QEL_MOD_SHIFT | QEL_MOD_CTRL)) != 0;
    bool was = qel_node_editor_selected(ctx, s, node);
    f->captured = true;
    s->press_additive = additive;
    s->pressed_was_selected = was;
    if (ctrl && was) qel_node_editor_deselect(s, node);
    else if (!additive && !was) qel_node_editor_select_only(ctx, s, node);
    else if (additive && !was) qel_node_editor_select_add(ctx, s, node);
    s->has_selected_link = false;
    if (!qel_node_editor_selected(ctx, s, node)) return;
    s->mode = QEL_NODE_EDITOR_NODE_PRESSED;
    qel_vec2 p = qel_mouse_pos(ctx);
    s->press_x = s->last_x = p.x;
    s->press_y = s->last_y = p.y;
    s->pressed_node = node;
}

// A node reached by Tab becomes the only selected one.
static void follow_keyboard(qel_context* ctx, qel_node_editor_frame* f, uint32_t node, const qel_interaction& it)
{
    qel_node_editor_state* s = f->state;
    bool marked = s->has_focused_node && s->focused_node == node;
    if (it.focused && it.focus_visible && !marked) {
        if (!qel_node_editor_selected(ctx, s, node)) {
            qel_node_editor_select_only(ctx, s, node);
            s->has_selected_link = false;
        }
        s->focused_node = node;
        s->has_focused_node = true;
    } else if (marked && !it.focused) {
        s->has_focused_node = false;
    }
}

static void node_draw(qel_context* ctx, const qel_node* node, void* user);

static void open_node_layout(qel_context* ctx, qel_node_editor_frame* f, const char* title, const char* icon)
{
    qel_node_editor_state* s = f->state;
    float z = f->zoom;
    qel_node_push(ctx, f->canvas_node);
    int32_t index = qel_node_floating(ctx, f->node_item, f->node_sx - f->canvas.x, f->node_sy - f->canvas.y,
                                      f->node_w * z, 0);
    qel_node* n = qel_node_at(ctx, index);
    n->origin = f->canvas_node;
    qel_node_round(n, qel_theme_block_get(ctx)->radius_small * z);
    auto* d = (qel_node_editor_node_draw*)qel_arena_alloc(ctx, sizeof(qel_node_editor_node_draw));
    d->frame = f;
    d->node = f->node_id;
    d->first_row = f->first_row;
    d->title_length = (int32_t)qel_label_visible_len(title);
    d->title = qel_arena_strdup(ctx, title ? title : "", d->title_length);
    d->icon = icon ? qel_arena_strdup(ctx, icon, -1) : nullptr;
    d->selected = f->selected;
    d->lift = f->selected && s->lift[0] > 0.01f ? s->lift[0] : 0.0f;
    n->draw = node_draw;
    n->draw_user = d;
    f->draw = d;
    qel_node_mark_interactive(ctx, index, QEL_INTERACT_FOCUSABLE);
    if (f->node_ref_count == f->node_ref_capacity) {
        int32_t capacity = f->node_ref_capacity ? f->node_ref_capacity * 2 : 32;
        size_t bytes = (size_t)capacity * sizeof(qel_node_editor_node_ref);
        auto* refs = (qel_node_editor_node_ref*)qel_arena_alloc(ctx, bytes);
        for (int32_t i = 0; i < f->node_ref_count; i++) refs[i] = f->node_refs[i];
        f->node_refs = refs;
        f->node_ref_capacity = capacity;
    }
    f->node_refs[f->node_ref_count++] = {index, f->selected};
    f->node_layout = index;
    qel_node_push(ctx, index);
}

int32_t qel_node_editor_node_begin(qel_context* ctx, uint32_t node_id, float* x, float* y, const char* title,
                                   const qel_node_editor_node_opts* opts)
{
    qel_node_editor_frame* f = qel_node_editor_find(ctx);
    if (!f || f->in_node || f->refused_nodes > 0 || !x || !y) {
        if (f) f->refused_nodes++;
        open_empty(ctx);
        qel_push_id_int(ctx, (int32_t)node_id);
        return 0;
    }
    qel_node_editor_state* s = f->state;
    bool selected = qel_node_editor_selected(ctx, s, node_id);
    if (selected && (s->nudge_x != 0 || s->nudge_y != 0)) *x += s->nudge_x, *y += s->nudge_y;
    uint32_t item = qel_node_editor_node_item(f, node_id);
    qel_interaction it = qel_interact(ctx, item, QEL_INTERACT_FOCUSABLE | QEL_INTERACT_HOLD_OUTSIDE);
    if (press_starts(ctx, f, it)) press_node(ctx, f, node_id);
    follow_keyboard(ctx, f, node_id, it);
    selected = qel_node_editor_selected(ctx, s, node_id);
    if (it.hovered && idle(f)) qel_set_cursor(ctx, QEL_CURSOR_HAND);
    f->in_node = true;
    f->node_id = node_id;
    f->node_item = item;
    f->node_x = *x, f->node_y = *y;
    f->node_w = opts && opts->width > 0 ? opts->width : NODE_WIDTH;
    f->row_cursor = FIRST_ROW;
    f->first_row = s->rows.count;
    f->block_counter = 0;
    f->selected = selected;
    qel_vec2 screen = qel_node_editor_to_screen(f, *x, *y);
    f->node_sx = screen.x, f->node_sy = screen.y;
    open_node_layout(ctx, f, title, opts ? opts->icon : nullptr);
    f->draw->hover = qel_anim_flash(ctx, item ^ HOVER_KEY, it.hovered, HOVER_TIME);
    f->draw->focus = qel_anim_flash(ctx, item ^ FOCUS_KEY, it.focused && it.focus_visible, HOVER_TIME);
    qel_push_id_int(ctx, (int32_t)node_id);
    qel_set_last_item(ctx, item);
    return selected;
}

void qel_node_editor_node_end(qel_context* ctx)
{
    qel_node_editor_frame* f = qel_node_editor_find(ctx);
    if (!f || f->refused_nodes > 0) {
        if (f) f->refused_nodes--;
        qel_pop_id(ctx);
        qel_node_pop(ctx);
        return;
    }
    if (!f->in_node) return;
    if (f->in_block) qel_node_editor_content_end(ctx);
    qel_pop_id(ctx);
    qel_node_editor_state* s = f->state;
    bool rows = s->rows.count > f->first_row;
    float height = rows ? f->row_cursor + BOTTOM_PAD : EMPTY_HEIGHT;
    qel_node_at(ctx, f->node_layout)->height = {QEL_SIZE_FIXED, height * f->zoom};
    f->draw->row_count = s->rows.count - f->first_row;
    qel_node_editor_push(ctx, &s->buffers[s->current].nodes,
                         qel_node_editor_node_entry{f->node_id, f->node_x, f->node_y, f->node_w, height});
    qel_node_pop(ctx);
    qel_node_pop(ctx);
    qel_set_last_item(ctx, f->node_item);
    f->in_node = false;
}

// --- Pins ---

static int32_t pin_row(qel_context* ctx, uint32_t pin_id, const char* label, const qel_node_editor_pin_opts* opts,
                       uint32_t is_output)
{
    qel_node_editor_frame* f = qel_node_editor_find(ctx);
    if (!f || !f->in_node || f->in_block || f->refused_nodes > 0) return 0;
    qel_node_editor_state* s = f->state;
    const qel_node_editor_pin_info* info = qel_node_editor_pin_find(qel_node_editor_previous(s), pin_id);
    int32_t links = info ? (is_output ? info->starts : info->ends) : 0;
    bool dragging = s->mode == QEL_NODE_EDITOR_LINK_DRAG;
    if (dragging && s->detaching && pin_id == (is_output ? s->start_pin : s->grabbed_pin)) links--;
    bool connected = links > 0;
    float z = f->zoom, px = is_output ? f->node_w : 0, py = f->row_cursor + ROW_HEIGHT / 2;
    float side = fmaxf(PIN_HIT_LEAST, PIN_HIT * z);
    uint32_t item = qel_node_editor_pin_item(f, pin_id);
    int32_t index = qel_node_floating(ctx, item, px * z - side / 2, py * z - side / 2, side, side);
    qel_node_mark_interactive(ctx, index, 0);
    qel_interaction it = qel_interact(ctx, item, QEL_INTERACT_HOLD_OUTSIDE | QEL_INTERACT_KEEP_FOCUS);
    qel_node_editor_pin_entry pin = {pin_id, f->node_id, is_output, opts ? opts->type : 0, f->node_x + px,
                                     f->node_y + py};
    if (press_starts(ctx, f, it)) start_link_drag(ctx, f, pin);
    dragging = s->mode == QEL_NODE_EDITOR_LINK_DRAG;
    bool lit = dragging ? s->over_target && s->target_pin == pin_id : it.hovered && idle(f);
    if (!dragging && lit) qel_set_cursor(ctx, QEL_CURSOR_HAND);
    float hover = qel_anim_flash(ctx, item ^ PIN_HOVER_KEY, lit, HOVER_TIME);
    qel_node_editor_push(ctx, &s->buffers[s->current].pins, pin);
    int32_t length = (int32_t)qel_label_visible_len(label);
    const char* text = qel_arena_strdup(ctx, label ? label : "", length);
    qel_node_editor_row row = {is_output, pin_id, pin.type, connected, text, length, f->row_cursor, ROW_HEIGHT, hover};
    qel_node_editor_push(ctx, &s->rows, row);
    f->row_cursor += ROW_HEIGHT;
    qel_set_last_item(ctx, item);
    return connected;
}

int32_t qel_node_editor_input_pin(qel_context* ctx, uint32_t pin_id, const char* label,
                                  const qel_node_editor_pin_opts* opts)
{
    return pin_row(ctx, pin_id, label, opts, 0);
}

int32_t qel_node_editor_output_pin(qel_context* ctx, uint32_t pin_id, const char* label,
                                   const qel_node_editor_pin_opts* opts)
{
    return pin_row(ctx, pin_id, label, opts, 1);
}

// --- Widget blocks ---

void qel_node_editor_content_begin(qel_context* ctx)
{
    qel_node_editor_frame* f = qel_node_editor_find(ctx);
    if (!f || !f->in_node || f->in_block || f->refused_nodes > 0 || f->refused_blocks > 0) {
        if (f) f->refused_blocks++;
        open_empty(ctx);
        return;
    }
    float z = f->zoom, w = f->node_w - 2 * BLOCK_INSET;
    uint32_t item = qel_hash_bytes(&f->block_counter, sizeof f->block_counter, f->node_item ^ BLOCK_SEED);
    float h = qel_id_seen(ctx, item) ? qel_id_rect(ctx, item).h : FIRST_BLOCK_HEIGHT;
    int32_t index = qel_node_floating(ctx, item, BLOCK_INSET * z, (f->row_cursor + BLOCK_TOP) * z, w, 0);
    qel_node* n = qel_node_at(ctx, index);
    n->height = {QEL_SIZE_FIT, 0};
    n->gap = BLOCK_GAP;
    if (fabsf(z - 1) > 0.0001f) {
        // The layout scales about the centre; the offset turns that into the top-left corner.
        n->scale = z;
        n->translate_x = 0.5f * w * (z - 1);
        n->translate_y = 0.5f * h * (z - 1);
    }
    qel_input* in = &ctx->input;
    f->saved_pointer = {in->mouse_x, in->mouse_y};
    f->saved_prev_pointer = {in->prev_mouse_x, in->prev_mouse_y};
    float ox = f->node_sx + BLOCK_INSET * z, oy = f->node_sy + (f->row_cursor + BLOCK_TOP) * z;
    if (in->mouse_inside) {
        in->mouse_x = (in->mouse_x - ox) / z + ox, in->mouse_y = (in->mouse_y - oy) / z + oy;
        in->prev_mouse_x = (in->prev_mouse_x - ox) / z + ox, in->prev_mouse_y = (in->prev_mouse_y - oy) / z + oy;
    }
    f->in_block = true;
    f->block_height = h;
    qel_node_push(ctx, index);
    qel_push_id_int(ctx, f->block_counter + BLOCK_SCOPE_BASE);
    f->block_counter++;
}

void qel_node_editor_content_end(qel_context* ctx)
{
    qel_node_editor_frame* f = qel_node_editor_find(ctx);
    if (!f || f->refused_blocks > 0) {
        if (f) f->refused_blocks--;
        qel_node_pop(ctx);
        return;
    }
    if (!f->in_block) return;
    qel_pop_id(ctx);
    qel_node_pop(ctx);
    qel_input* in = &ctx->input;
    in->mouse_x = f->saved_pointer.x, in->mouse_y = f->saved_pointer.y;
    in->prev_mouse_x = f->saved_prev_pointer.x, in->prev_mouse_y = f->saved_prev_pointer.y;
    f->in_block = false;
    float height = f->block_height + BLOCK_GAP;
    qel_node_editor_row row = {2, 0, 0, false, "", 0, f->row_cursor, height, 0};
    qel_node_editor_push(ctx, &f->state->rows, row);
    f->row_cursor += height;
}

// --- Links ---

int32_t qel_node_editor_link(qel_context* ctx, uint32_t link_id, uint32_t start_pin, uint32_t end_pin)
{
    qel_node_editor_frame* f = qel_node_editor_find(ctx);
    if (!f) return 0;
    qel_node_editor_state* s = f->state;
    qel_node_editor_push(ctx, &s->buffers[s->current].links, qel_node_editor_link_entry{link_id, start_pin, end_pin});
    return s->has_selected_link && s->selected_link == link_id;
}

// --- Drawing ---

static qel_color pin_color(qel_context* ctx, int32_t type)
{
    if (type <= 0) return qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED);
    return qel_theme_color(ctx, (int32_t)QEL_COLOR_CHART1 + (type - 1) % 6);
}

static float link_width(float zoom)
{
    return fmaxf(1.1f, fminf(1.75f * zoom, 3.0f));
}

static bool segment_meets(qel_vec2 a, qel_vec2 b, qel_rect r)
{
    return std::min(a.x, b.x) <= r.x + r.w && std::max(a.x, b.x) >= r.x && std::min(a.y, b.y) <= r.y + r.h &&
           std::max(a.y, b.y) >= r.y;
}

// Only the runs of a curve that come near the visible rectangle: a long link crossing the canvas
// is mostly outside it.
static void draw_visible_runs(qel_context* ctx, const qel_vec2* points, int32_t n, float width, qel_color color,
                              qel_rect visible)
{
    float m = width + 2;
    qel_rect near = {visible.x - m, visible.y - m, visible.w + 2 * m, visible.h + 2 * m};
    int32_t start = -1;
    for (int32_t k = 0; k + 1 < n; k++) {
        bool meets = segment_meets(points[k], points[k + 1], near);
        if (meets && start < 0) start = k;
        if (!meets && start >= 0) {
            qel_draw_polyline(ctx, points + start, k - start + 1, width, color, 0);
            start = -1;
        }
    }
    if (start >= 0) qel_draw_polyline(ctx, points + start, n - start, width, color, 0);
}

void qel_node_editor_draw_links(qel_context* ctx, const qel_node_editor_frame* f, qel_rect visible)
{
    const qel_node_editor_state* s = f->state;
    const qel_node_editor_buffer* b = f->submitted;
    bool dragging_off = s->mode == QEL_NODE_EDITOR_LINK_DRAG && s->detaching;
    float w = link_width(f->zoom);
    qel_color accent = qel_theme_color(ctx, QEL_COLOR_ACCENT);
    qel_vec2 points[QEL_NODE_EDITOR_CURVE_MAX];
    for (int32_t i = 0; i < b->links.count; i++) {
        const qel_node_editor_link_entry& l = b->links.items[i];
        qel_vec2 p0, p1;
        if (dragging_off && l.link == s->detached_link) continue;
        const qel_node_editor_pin_entry* start = link_ends(f, b, l, &p0, &p1);
        if (!start || curve_misses(p0, p1, f->zoom, visible, w)) continue;
        int32_t n = qel_node_editor_curve(p0, p1, f->zoom, points);
        bool chosen = s->has_selected_link && l.link == s->selected_link;
        qel_color c = chosen ? accent : qel_color_alpha(pin_color(ctx, start->type), 0.85f);
        draw_visible_runs(ctx, points, n, chosen ? w + 0.5f : w, c, visible);
    }
}

void qel_node_editor_draw_link_preview(qel_context* ctx, const qel_node_editor_frame* f)
{
    const qel_node_editor_state* s = f->state;
    const qel_node_editor_pin_entry* start = submitted_pin(f->submitted, s->start_pin);
    if (!start) return;
    qel_vec2 from = qel_node_editor_to_screen(f, start->x, start->y), to = {s->last_x, s->last_y};
    const qel_node_editor_pin_entry* target = s->over_target ? submitted_pin(f->submitted, s->target_pin) : nullptr;
    if (target) to = qel_node_editor_to_screen(f, target->x, target->y);
    qel_vec2 points[QEL_NODE_EDITOR_CURVE_MAX];
    int32_t n = s->start_is_output ? qel_node_editor_curve(from, to, f->zoom, points)
                                   : qel_node_editor_curve(to, from, f->zoom, points);
    qel_color accent = qel_theme_color(ctx, QEL_COLOR_ACCENT);
    qel_draw_polyline(ctx, points, n, link_width(f->zoom), accent, 0);
    if (!target) qel_draw_circle(ctx, to, fmaxf(2.5f, 3 * f->zoom), accent);
}

static void disc(qel_context* ctx, qel_vec2 c, float r, qel_color fill, qel_color border, float border_width)
{
    qel_rect box = {c.x - r, c.y - r, 2 * r, 2 * r};
    float radii[4] = {r, r, r, r};
    qel_draw_rect_bordered(ctx, &box, radii, fill, border, border_width);
}

static void draw_pin_dot(qel_context* ctx, const qel_node_editor_node_draw* d, const qel_node_editor_row& row,
                         qel_vec2 c, qel_color body)
{
    const qel_node_editor_state* s = d->frame->state;
    float z = d->frame->zoom, r = (1 + 0.22f * row.hover) * fmaxf(2.5f, 4.5f * z);
    float thin = fminf(fmaxf(1.0f, 1.5f * z), 1.25f), ring = fmaxf(1.0f, 1.5f * z);
    qel_color color = pin_color(ctx, row.type), accent = qel_theme_color(ctx, QEL_COLOR_ACCENT);
    bool dragging = s->mode == QEL_NODE_EDITOR_LINK_DRAG;
    if (dragging && row.pin == s->start_pin) {
        disc(ctx, c, r, accent, body, thin);
        return;
    }
    if (dragging && s->over_target && row.pin == s->target_pin) {
        qel_draw_circle(ctx, c, 1.3f * r + 2.5f, qel_color_alpha(accent, 0.18f));
        qel_draw_circle(ctx, c, 1.3f * r, accent);
        return;
    }
    if (row.connected) disc(ctx, c, r, color, body, thin);
    else disc(ctx, c, r, body, color, ring);
    if (dragging && candidate(s, row.kind, d->node, row.type))
        disc(ctx, c, r + 3, 0, qel_color_alpha(accent, 0.45f), 1);
}

static void draw_pin_label(qel_context* ctx, const qel_node_editor_row& row, qel_rect r, float z, float cy)
{
    float size = qel_text_small_scaled(ctx) * z;
    if (size < 3 || row.label_length == 0) return;
    float room = r.w - 2 * LABEL_INSET * z, top = cy - qel_line_height(ctx, QEL_FONT_BODY, size) / 2;
    float x = r.x + LABEL_INSET * z;
    if (row.kind == 1) x = r.x + r.w - LABEL_INSET * z - fminf(room, qel_text_width(ctx, QEL_FONT_BODY, size, row.label,
                                                                                     row.label_length, 0));
    qel_draw_text_ellipsis(ctx, QEL_FONT_BODY, size, x, top, room, qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY),
                           row.label, row.label_length, 0);
}

static void draw_title(qel_context* ctx, const qel_node_editor_node_draw* d, qel_rect r, float z)
{
    float x = r.x + 12 * z, bar = TITLE_HEIGHT * z;
    if (d->icon && 14 * z >= 4) {
        qel_rect box = {x, r.y + (bar - 14 * z) / 2, 14 * z, 14 * z};
        qel_draw_text_in_rect(ctx, d->icon, &box, 14 * z, qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY));
        x += 21 * z;
    }
    float size = qel_text_body_scaled(ctx) * z;
    if (size < 3) return;
    float top = r.y + (bar - qel_line_height(ctx, QEL_FONT_MEDIUM, size)) / 2;
    qel_draw_text_ellipsis(ctx, QEL_FONT_MEDIUM, size, x, top, r.x + r.w - 12 * z - x,
                           qel_theme_color(ctx, QEL_COLOR_TEXT), d->title, d->title_length, 0);
}

static void node_draw(qel_context* ctx, const qel_node* node, void* user)
{
    auto* d = (const qel_node_editor_node_draw*)user;
    const qel_node_editor_frame* f = d->frame;
    if (!f->submitted) return;  // the editor was never ended: its rows were not published
    float z = f->zoom, radius = qel_theme_block_get(ctx)->radius_small * z;
    float radii[4] = {radius, radius, radius, radius};
    qel_rect r = node->rect;
    bool dark = qel_dark_mode(ctx);
    if (d->lift > 0.01f) qel_draw_elevation(ctx, &r, radii, 3, d->lift);
    qel_color body = qel_theme_color(ctx, dark ? QEL_COLOR_ELEVATED : QEL_COLOR_SURFACE);
    qel_color border = d->selected ? qel_theme_color(ctx, QEL_COLOR_ACCENT)
                                   : qel_color_mix(qel_theme_color(ctx, QEL_COLOR_BORDER),
                                                   qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG), 0.7f * d->hover);
    qel_draw_rect_bordered(ctx, &r, radii, body, border, 1);
    if (dark) qel_draw_top_highlight(ctx, &r, radii, 0.045f);
    draw_title(ctx, d, r, z);
    qel_rect line = {r.x + 1, r.y + TITLE_HEIGHT * z, r.w - 2, 1};
    qel_draw_rect(ctx, &line, nullptr, qel_theme_color(ctx, QEL_COLOR_BORDER));
    for (int32_t i = d->first_row; i < d->first_row + d->row_count; i++) {
        const qel_node_editor_row& row = f->rows[i];
        if (row.kind == 2) continue;
        float cy = r.y + (row.y + ROW_HEIGHT / 2) * z;
        draw_pin_label(ctx, row, r, z, cy);
        draw_pin_dot(ctx, d, row, {row.kind == 1 ? r.x + r.w : r.x, cy}, body);
    }
    if (d->focus > 0.01f) qel_draw_focus_ring(ctx, &r, radii, d->focus);
}
