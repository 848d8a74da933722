// The gradient editor: stop drags, presses that add stops, keys, the picker and the number fields
// judged against last frame's bar and track, and the bar's mesh and the markers drawn from frame
// copies of the stops. Nothing moves or is added while the bar had no width, and a drag holds
// still while the pointer is outside the window, where the core's position is no place.
#include "kit/state_records.h"
#include "qel/gradient_editor.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/core.h"
#include "kit/widget_nodes.h"
#include "widgets/editors/editor_panel.h"
#include "qel/arena.h"
#include "qel/color.h"
#include "qel/color_picker.h"
#include "qel/drag_number.h"
#include "qel/draw.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"

static const uint32_t BAR_KEY = 0x7a3bu, TRACK_KEY = 0x7ac4u, STATE_KEY = 0x6e5du, STOP_SEED = 0x6a57u;
static const float BAR_HEIGHT = 28, TRACK_HEIGHT = 26, STOP_NODE_W = 22, DRAG_OFF = 32, CHECKER_CELL = 7;
static const float COMPACT_BELOW = 440, NARROW_BELOW = 320, FIELD_WIDTH = 140;
static const char PICKER_LABEL[] = "##color";
static const float QUARTER_TURN = 1.57079633f;

struct gradient_editor_state {
    int32_t selected;
    float grab;
    uint8_t drag_off;
    uint8_t initialised;
    float drag_off_y;  // the pointer's height over the track's middle while dragged off
};

// One frame's input.
struct gradient_frame {
    uint32_t id, picker;
    qel_gradient_stop* stops;
    int32_t n;
    int32_t* count;
    int32_t capacity;
    qel_rect bar, track;
    gradient_editor_state* state;
    int32_t selected, remove;
    qel_gradient_editor_result result;
};

static uint32_t stop_id(uint32_t id, int32_t index)
{
    return qel_hash_bytes(&index, 4, id ^ STOP_SEED);
}

// The stop whose item id is, -1 for none.
static int32_t stop_of(const gradient_frame* f, uint32_t id)
{
    for (int32_t i = 0; id && i < f->n; i++)
        if (stop_id(f->id, i) == id) return i;
    return -1;
}

// Re-sorts stop i after its position changed; the press and the keyboard focus follow it.
static int32_t resorted(qel_context* ctx, gradient_frame* f, int32_t i)
{
    int32_t to = qel_gradient_stop_resort(f->stops, f->n, i);
    f->result.changed = 1;
    if (to == i) return to;
    uint32_t from_id = stop_id(f->id, i), to_id = stop_id(f->id, to);
    if (ctx->interaction.active == from_id) ctx->interaction.active = to_id;
    if (ctx->interaction.focused == from_id) qel_set_focus(ctx, to_id, ctx->interaction.focus_visible);
    return to;
}

static void set_position(qel_context* ctx, gradient_frame* f, int32_t i, float pos)
{
    if (pos == f->stops[i].pos) return;
    f->stops[i].pos = pos;
    f->selected = resorted(ctx, f, i);
}

static void drag(qel_context* ctx, gradient_frame* f)
{
    int32_t i = stop_of(f, ctx->interaction.active);
    if (i < 0 || !qel_mouse_down(ctx, 0) || qel_mouse_pressed(ctx, 0)) return;
    if (!qel_mouse_in_window(ctx) || !(f->bar.w > 0)) return;
    qel_vec2 p = qel_mouse_pos(ctx);
    if (f->n > 2 && (p.y > f->track.y + f->track.h + DRAG_OFF || p.y < f->bar.y - DRAG_OFF)) {
        f->state->drag_off = 1;
        f->state->drag_off_y = p.y - (f->track.y + f->track.h / 2);
    } else {
        f->state->drag_off = 0;
        set_position(ctx, f, i, std::clamp((p.x - f->state->grab - f->bar.x) / f->bar.w, 0.0f, 1.0f));
    }
    qel_set_cursor(ctx, QEL_CURSOR_MOVE);
}

static void stop_keys(qel_context* ctx, gradient_frame* f, int32_t i)
{
    float fine = qel_modifiers(ctx) & QEL_MOD_SHIFT ? 0.001f : 0.01f;
    float step = qel_key_take(ctx, QEL_KEY_RIGHT) ? fine : qel_key_take(ctx, QEL_KEY_LEFT) ? -fine : 0;
    if (step != 0) set_position(ctx, f, i, std::clamp(f->stops[i].pos + step, 0.0f, 1.0f));
}

// Presses, releases, cursors and keys of the markers; true when one of them took the press.
static bool stop_items(qel_context* ctx, gradient_frame* f)
{
    bool pressed = false;
    for (int32_t i = 0; i < f->n; i++) {
        qel_interaction it = qel_interact(ctx, stop_id(f->id, i), QEL_INTERACT_FOCUSABLE | QEL_INTERACT_HOLD_OUTSIDE);
        if (it.hovered && it.active && qel_mouse_pressed(ctx, 0)) {
            f->selected = i;
            f->state->drag_off = 0;
            f->state->grab = qel_mouse_pos(ctx).x - (f->stops[i].pos * f->bar.w + f->bar.x);
            if (it.double_clicked) qel_color_picker_open(ctx, f->picker, f->stops[i].color);
            pressed = true;
        }
        if (it.released) {
            if (f->state->drag_off && f->n >= 3) f->remove = i;
            f->state->drag_off = 0;
        }
        if (it.active) qel_set_cursor(ctx, QEL_CURSOR_MOVE);
        else if (it.hovered) qel_set_cursor(ctx, QEL_CURSOR_HAND);
        if (it.focus_visible) {
            f->selected = i;
            if (it.activated_by_key) qel_color_picker_open(ctx, f->picker, f->stops[i].color);
            stop_keys(ctx, f, i);
        }
        if (it.focused && (qel_key_take(ctx, QEL_KEY_DELETE) || qel_key_take(ctx, QEL_KEY_BACKSPACE))) f->remove = i;
    }
    return pressed;
}

static void add_stop(qel_context* ctx, gradient_frame* f)
{
    float t = std::clamp((qel_mouse_pos(ctx).x - f->bar.x) / f->bar.w, 0.0f, 1.0f);
    qel_color colour = f->n > 0 ? qel_gradient_eval_stops(f->stops, f->n, t) : 0;
    int32_t at = 0;
    while (at < f->n && !(f->stops[at].pos > t)) at++;
    memmove(&f->stops[at + 1], &f->stops[at], (size_t)(f->n - at) * sizeof(qel_gradient_stop));
    f->stops[at] = {t, colour};
    *f->count = ++f->n;
    f->selected = at;
    f->result.added = at;
    f->result.changed = 1;
    // The press that added the stop goes on as its drag.
    uint32_t id = stop_id(f->id, at);
    ctx->interaction.active = id;
    qel_set_focus(ctx, id, false);
    f->state->grab = 0;
    f->state->drag_off = 0;
}

static void bar_items(qel_context* ctx, gradient_frame* f, bool taken)
{
    for (uint32_t key : {BAR_KEY, TRACK_KEY}) {
        qel_interaction it = qel_interact(ctx, f->id ^ key, 0);
        if (it.hovered && f->n < f->capacity) qel_set_cursor(ctx, QEL_CURSOR_HAND);
        if (taken || !it.hovered || !it.active || !qel_mouse_pressed(ctx, 0)) continue;
        if (f->stops && f->count && f->n < f->capacity && f->remove < 0 && f->bar.w > 0) add_stop(ctx, f);
    }
}

static void remove_stop(qel_context* ctx, gradient_frame* f, int32_t i)
{
    if (i < 0 || i >= f->n || f->n < 3 || !f->count) return;
    bool had_focus = qel_focused_id(ctx) == stop_id(f->id, i);
    memmove(&f->stops[i], &f->stops[i + 1], (size_t)(f->n - i - 1) * sizeof(qel_gradient_stop));
    *f->count = --f->n;
    f->result.removed = i;
    f->result.changed = 1;
    f->selected = std::min(i, f->n - 1);
    if (had_focus) qel_set_focus(ctx, stop_id(f->id, f->selected), ctx->interaction.focus_visible);
}

// --- Drawing ---

struct gradient_colours {
    qel_color surface, checker, outline, selection, hover, border;
};

struct gradient_paint {
    const qel_gradient_stop* stops;
    int32_t n, selected, hovered, drag_off, focus_ring;
    float drag_off_y;
    gradient_colours c;
};

static bool any_translucent(const qel_gradient_stop* stops, int32_t n)
{
    for (int32_t i = 0; i < n; i++)
        if (stops[i].color >> 24 < 255) return true;
    return false;
}

static void checkerboard(qel_context* ctx, const gradient_paint* p, qel_rect r, float radius)
{
    int32_t columns = (int32_t)std::ceil(r.w / CHECKER_CELL), rows = (int32_t)std::ceil(r.h / CHECKER_CELL);
    for (int32_t row = 0; row < rows; row++) {
        for (int32_t column = 0; column < columns; column++) {
            if ((row + column) % 2) continue;
            float x = r.x + (float)column * CHECKER_CELL, y = r.y + (float)row * CHECKER_CELL;
            qel_rect cell = {x, y, std::fmin(CHECKER_CELL, r.x + r.w - x), std::fmin(CHECKER_CELL, r.y + r.h - y)};
            // A cell in one of the bar's corners takes that corner's rounding.
            bool top = row == 0, bottom = row == rows - 1, left = column == 0, right = column == columns - 1;
            float radii[4] = {top && left ? radius : 0, top && right ? radius : 0, bottom && right ? radius : 0,
                              bottom && left ? radius : 0};
            qel_draw_rect(ctx, &cell, radii, p->c.checker);
        }
    }
}

// The vertical edges of the bar's mesh: both ends, the steps of the rounded corners, every stop.
static int32_t mesh_edges(const gradient_paint* p, qel_rect r, float radius, float* edges)
{
    int32_t n = 0;
    edges[n++] = r.x;
    edges[n++] = r.x + r.w;
    for (int k = 1; k <= 8; k++) {
        float inset = (1 - std::cos((float)k * 0.125f * QUARTER_TURN)) * radius;
        edges[n++] = r.x + inset;
        edges[n++] = r.x + r.w - inset;
    }
    for (int32_t i = 0; i < p->n; i++) {
        // A position that is not finite has no place; sorting it would be undefined.
        if (std::isfinite(p->stops[i].pos)) edges[n++] = r.x + std::clamp(p->stops[i].pos, 0.0f, 1.0f) * r.w;
    }
    std::sort(edges, edges + n);
    int32_t kept = 1;
    for (int32_t i = 1; i < n; i++)
        if (edges[i] - edges[kept - 1] >= 0.001f) edges[kept++] = edges[i];
    return kept;
}

static void gradient_mesh(qel_context* ctx, const gradient_paint* p, qel_rect r, float radius)
{
    auto* edges = (float*)qel_arena_alloc(ctx, (size_t)(p->n + 18) * sizeof(float));
    int32_t n = mesh_edges(p, r, radius, edges);
    auto* v = (qel_triangle_vertex*)qel_arena_alloc(ctx, (size_t)n * 2 * sizeof(qel_triangle_vertex));
    auto* idx = (uint32_t*)qel_arena_alloc(ctx, (size_t)std::max(n - 1, 0) * 6 * sizeof(uint32_t));
    for (int32_t i = 0; i < n; i++) {
        float x = edges[i], d = std::fmin(std::fmax(r.x + radius - x, x - (r.x + r.w - radius)), radius);
        // Only an edge inside a rounded corner is inset.
        float inset = d > 0 ? radius - std::sqrt(radius * radius - d * d) : 0;
        qel_color c = qel_gradient_eval_stops(p->stops, p->n, (x - r.x) / r.w);
        v[2 * i] = {x, r.y + inset, c};
        v[2 * i + 1] = {x, r.y + r.h - inset, c};
    }
    for (int32_t i = 0; i + 1 < n; i++) {
        uint32_t a = (uint32_t)(2 * i);
        const uint32_t quad[6] = {a, a + 2, a + 1, a + 1, a + 2, a + 3};
        memcpy(&idx[6 * i], quad, sizeof quad);
    }
    qel_draw_triangles(ctx, v, 2 * n, idx, 6 * std::max(n - 1, 0));
}

static void qel_gradient_bar_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const gradient_paint*)user;
    qel_rect r = node->rect;
    if (r.w < 4 || p->n < 1) return;
    float radius = std::fmin(r.h / 2, 8.0f), radii[4] = {radius, radius, radius, radius};
    if (any_translucent(p->stops, p->n)) {
        qel_draw_rect(ctx, &r, radii, p->c.surface);
        checkerboard(ctx, p, r, radius);
    }
    gradient_mesh(ctx, p, r, radius);
    qel_draw_rect_bordered(ctx, &r, radii, 0, p->c.outline, 1);
}

static void marker(qel_context* ctx, const gradient_paint* p, qel_rect track, int32_t i)
{
    const qel_gradient_stop& s = p->stops[i];
    float x = std::round(track.x + std::clamp(s.pos, 0.0f, 1.0f) * track.w), y = track.y;
    if (!std::isfinite(x)) return;
    bool off = i == p->drag_off;
    if (off) qel_draw_push_transform(ctx, 1, x, y, 0.4f, 0, p->drag_off_y);
    bool selected = i == p->selected;
    qel_color ink = selected ? p->c.selection : i == p->hovered ? p->c.hover : p->c.border;
    qel_vec2 tip[3] = {{x, y + 1}, {x + 5, y + 7}, {x - 5, y + 7}};
    qel_draw_convex_polygon(ctx, tip, 3, ink);
    qel_rect body = {x - 8, y + 6, 16, 16};
    float body_radii[4] = {5, 5, 5, 5};
    qel_draw_rect_bordered(ctx, &body, body_radii, p->c.surface, ink, selected ? 2.0f : 1.0f);
    qel_rect swatch = {x - 5, y + 9, 10, 10};
    float swatch_radii[4] = {2.5f, 2.5f, 2.5f, 2.5f};
    if (s.color >> 24 < 255) {
        qel_draw_rect(ctx, &swatch, swatch_radii, p->c.surface);
        qel_rect top_left = {x - 5, y + 9, 5, 5}, bottom_right = {x, y + 14, 5, 5};
        float tl[4] = {2.5f, 0, 0, 0}, br[4] = {0, 0, 2.5f, 0};
        qel_draw_rect(ctx, &top_left, tl, p->c.checker);
        qel_draw_rect(ctx, &bottom_right, br, p->c.checker);
    }
    qel_draw_rect_bordered(ctx, &swatch, swatch_radii, s.color, p->c.outline, 1);
    // The core's ring grows 3 px around the body: 22 x 22 with radius 8.
    if (i == p->focus_ring) qel_draw_focus_ring(ctx, &body, body_radii, 1);
    if (off) qel_draw_pop_transform(ctx);
}

static void qel_gradient_stops_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const gradient_paint*)user;
    for (int32_t i = 0; i < p->n; i++)
        if (i != p->selected) marker(ctx, p, node->rect, i);
    if (p->selected >= 0) marker(ctx, p, node->rect, p->selected);
}

static gradient_colours colours(qel_context* ctx)
{
    bool dark = qel_dark_mode(ctx);
    qel_color surface = qel_theme_color(ctx, QEL_COLOR_SURFACE), text = qel_theme_color(ctx, QEL_COLOR_TEXT);
    bool accent = qel_theme_get_accent(ctx) != QEL_ACCENT_NEUTRAL;
    return {surface,
            qel_color_mix(surface, text, dark ? 0.16f : 0.1f),
            qel_color_alpha(text, dark ? 0.16f : 0.12f),
            accent ? qel_theme_color(ctx, QEL_COLOR_ACCENT) : text,
            qel_field_border_color(ctx, 1),
            qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG)};
}

static gradient_paint paint_of(qel_context* ctx, const gradient_frame* f)
{
    gradient_paint p = {};
    auto* copy = (qel_gradient_stop*)qel_arena_alloc(ctx, (size_t)std::max(f->n, 1) * sizeof(qel_gradient_stop));
    if (f->n > 0) memcpy(copy, f->stops, (size_t)f->n * sizeof(qel_gradient_stop));
    p.stops = copy;
    p.n = f->n;
    p.selected = f->selected;
    p.hovered = stop_of(f, qel_hovered_id(ctx));
    int32_t active = stop_of(f, ctx->interaction.active);
    p.drag_off = f->state->drag_off ? active : -1;
    p.drag_off_y = f->state->drag_off_y;
    p.focus_ring = ctx->interaction.focus_visible ? stop_of(f, ctx->interaction.focused) : -1;
    p.c = colours(ctx);
    return p;
}

// --- Nodes ---

static void remove_button(qel_context* ctx, gradient_frame* f)
{
    if (qel_editor_remove_button(ctx, "Remove stop", f->n < 3)) f->remove = f->selected;
}

static void colour_picker(qel_context* ctx, gradient_frame* f)
{
    qel_gradient_stop& s = f->stops[f->selected];
    qel_color picked = s.color;
    if (!qel_color_picker(ctx, PICKER_LABEL, &picked)) return;
    qel_color kept = (picked & 0x00FFFFFFu) | (s.color & 0xFF000000u);
    if (kept == s.color) return;
    s.color = kept;
    f->result.changed = 1;
}

static void number_fields(qel_context* ctx, gradient_frame* f, bool grow)
{
    qel_drag_number_opts o = {};
    o.step = 1;
    o.format = "%.0f";
    o.suffix = "%";
    o.width = qel_editor_size(grow, FIELD_WIDTH);
    int32_t i = f->selected;
    float location = f->stops[i].pos * 100;
    if (qel_drag_number(ctx, "Location", &location, 0, 100, &o))
        set_position(ctx, f, i, std::clamp(location / 100, 0.0f, 1.0f));
    i = f->selected;
    qel_gradient_stop& s = f->stops[i];
    float opacity = (float)(s.color >> 24) * 100 / 255;
    if (qel_drag_number(ctx, "Opacity", &opacity, 0, 100, &o)) {
        // Half up in single steps: 50 gives 128, as 127.5 rounds; 2.55 in binary gives 127.
        double alpha = std::trunc((double)opacity * 255 / 100 + 0.5);
        uint32_t a = (uint32_t)std::clamp(std::isfinite(alpha) ? alpha : 0.0, 0.0, 255.0);
        qel_color c = (s.color & 0x00FFFFFFu) | a << 24;
        if (c != s.color) f->result.changed = 1;
        s.color = c;
    }
}

static void panel(qel_context* ctx, gradient_frame* f, float last_width)
{
    bool compact = last_width > 0 && last_width <= COMPACT_BELOW, narrow = compact && last_width < NARROW_BELOW;
    qel_style s = {};
    s.direction = compact ? QEL_DIR_COLUMN : QEL_DIR_ROW;
    s.width = {QEL_SIZE_GROW, 1};
    s.padding_top = 6;
    s.gap = 8;
    s.align = compact ? QEL_ALIGN_STRETCH : QEL_ALIGN_CENTER;
    qel_container_begin(ctx, &s);
    if (f->stops && f->selected >= 0) {
        if (compact) qel_editor_panel_row(ctx, QEL_DIR_ROW);
        colour_picker(ctx, f);
        if (compact) {
            qel_spacer(ctx);
            remove_button(ctx, f);
            qel_container_end(ctx);
            qel_editor_panel_row(ctx, narrow ? QEL_DIR_COLUMN : QEL_DIR_ROW);
        }
        number_fields(ctx, f, compact);
        if (compact) {
            qel_container_end(ctx);
        } else {
            qel_spacer(ctx);
            remove_button(ctx, f);
        }
    }
    qel_container_end(ctx);
}

// The markers' hit areas over the track, centred on each stop.
static void stop_nodes(qel_context* ctx, const gradient_frame* f)
{
    qel_rect t = f->track;
    for (int32_t i = 0; i < f->n; i++) {
        float x = std::clamp(f->stops[i].pos, 0.0f, 1.0f) * t.w - STOP_NODE_W / 2;
        int32_t node = qel_node_floating(ctx, stop_id(f->id, i), std::isfinite(x) ? x : 0, 0, STOP_NODE_W, TRACK_HEIGHT);
        qel_node_mark_interactive(ctx, node, QEL_INTERACT_FOCUSABLE);
    }
}

static uint32_t picker_id(qel_context* ctx, const char* label)
{
    qel_push_id(ctx, label);
    uint32_t id = qel_id(ctx, PICKER_LABEL);
    qel_pop_id(ctx);
    return id;
}

qel_gradient_editor_result qel_gradient_editor(qel_context* ctx, const char* label, qel_gradient_stop* stops,
                                               int32_t* count, int32_t capacity,
                                               const qel_gradient_editor_opts* options)
{
    const qel_gradient_editor_opts none = {};
    const qel_gradient_editor_opts* o = options ? options : &none;
    uint32_t id = qel_id(ctx, label);
    auto* s = qel_state_record_of<gradient_editor_state>(ctx, id ^ STATE_KEY, "gradient_editor_state");
    if (!s->initialised) {
        s->selected = 0;
        s->initialised = 1;
    }
    gradient_frame f = {};
    f.id = id;
    f.picker = picker_id(ctx, label);
    f.stops = stops;
    f.n = stops && count ? std::max(*count, 0) : 0;
    f.count = count;
    f.capacity = capacity;
    f.bar = qel_id_rect(ctx, id ^ BAR_KEY);
    f.track = qel_id_rect(ctx, id ^ TRACK_KEY);
    f.state = s;
    f.selected = o->selected ? *o->selected : s->selected;
    if (f.selected < 0 || f.selected >= f.n) f.selected = f.n > 0 ? 0 : -1;
    f.remove = -1;
    f.result = {0, -1, -1, -1};

    drag(ctx, &f);
    bool taken = stop_items(ctx, &f);
    bar_items(ctx, &f, taken);

    qel_rect last = qel_id_rect(ctx, id);
    int32_t outer = qel_node_sized(ctx, id, o->width.kind ? o->width : qel_size{QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node_push(ctx, outer);
    qel_style column = {};
    column.width = {QEL_SIZE_GROW, 1};
    column.padding_left = column.padding_right = 9;
    qel_column_begin(ctx, &column);
    float height = o->bar_height > 0 ? std::fmin(o->bar_height, 1e4f) : BAR_HEIGHT;
    int32_t bar = qel_node_sized(ctx, id ^ BAR_KEY, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, height});
    qel_node_mark_interactive(ctx, bar, 0);
    int32_t track = qel_node_sized(ctx, id ^ TRACK_KEY, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, TRACK_HEIGHT});
    qel_node_at(ctx, track)->direction = QEL_DIR_STACK;
    qel_node_mark_interactive(ctx, track, 0);
    qel_container_end(ctx);
    qel_push_id(ctx, label);
    panel(ctx, &f, last.w);
    qel_pop_id(ctx);
    qel_node_pop(ctx);

    remove_stop(ctx, &f, f.remove);
    qel_node_push(ctx, track);
    stop_nodes(ctx, &f);
    qel_node_pop(ctx);
    gradient_paint p = paint_of(ctx, &f);
    qel_node_draw_with(ctx, bar, qel_gradient_bar_draw, &p, sizeof p, false);
    qel_node_draw_with(ctx, track, qel_gradient_stops_draw, &p, sizeof p, false);

    if (o->selected) *o->selected = f.selected;
    else s->selected = f.selected;
    f.result.selected = f.selected;
    qel_set_last_item(ctx, id);
    return f.result;
}
