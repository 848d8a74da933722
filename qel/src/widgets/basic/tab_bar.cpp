// The tab bar: shortcuts, arrow travel and Shift+arrow moves, pressing, dragging and dropping
// on the last frame's tab rectangles, the slides that carry a moved tab to its new place, the
// scrolling strip that reveals the selected tab, and the tabs with their close boxes. The strip
// is a scroll container; the bar's hairline is menubar's.
#include "qel/tab_bar.h"

#include <cmath>

#include "core/core.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/frame.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/menubar.h"
#include "qel/scroll_container.h"
#include "qel/state.h"
#include "qel/text_units.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/tooltip.h"
#include "qel/widget_feel.h"
#include "kit/reorder.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

static const uint32_t EMPTY_KEY = 0xd7bu, CLOSE_KEY = 0xc105eu, STRIP_KEY = 0xd0c7u, ROW_KEY = 0x5707u;
static const float HOVER_SECONDS = 0.14f, TAB_GAP = 2.0f;
static const float EDGE_SCROLL = 28.0f, EDGE_SPEED = 520.0f, WHEEL_STEP = 44.0f, REVEAL_MARGIN = 24.0f;
static const char CLOSE_GLYPH[] = QEL_ICON_X;

struct tab_bar_state {
    qel_reorder drag;
    int32_t last_selected;  // + 1; 0 none
    uint32_t slide_generation;
    uint64_t slide_frame;  // from which the recorded slide applies
    uint32_t slide_tab;
    float slide_offset;
};

struct tab_state {
    float hover, close_hover, close_visible, ring;
    float slide[2];
    uint32_t generation;
};

// One bar in one frame: the tabs' ids and last rectangles.
struct tab_bar_frame {
    qel_context* ctx;
    uint32_t id;
    tab_bar_state* s;
    const qel_tab_item* tabs;
    int32_t count;
    uint32_t* ids;
    float *x, *w;
    qel_reorder_items items;
    bool shortcuts;  // the bar's keys are on, so the close box names its shortcut
};

// The moved tab starts the next frame where it was left, offset from its new slot; others at 0.
static void record_slide(tab_bar_frame& f, int32_t from, int32_t to, float left)
{
    tab_bar_state* s = f.s;
    s->slide_generation++;
    s->slide_frame = f.ctx->clock.frame_count + 1;
    s->slide_tab = f.ids[from];
    s->slide_offset = left - (f.x[to] + (to > from ? f.w[to] - f.w[from] : 0.0f));
}

// Takes the key's press away from later widgets when it came with exactly the modifiers.
static bool take_shortcut(qel_context* ctx, uint32_t modifiers, int32_t key)
{
    return qel_shortcut_pressed(ctx, modifiers, key) && qel_key_take(ctx, key);
}

static void shortcuts(tab_bar_frame& f, int32_t* sel, bool closable, qel_tab_bar_result* r)
{
    qel_context* ctx = f.ctx;
    int32_t n = f.count, before = *sel;
    bool valid = *sel >= 0 && *sel < n;
    bool next = take_shortcut(ctx, QEL_MOD_CTRL, QEL_KEY_TAB);
    next |= take_shortcut(ctx, QEL_MOD_CTRL, QEL_KEY_PAGE_DOWN);
    bool back = take_shortcut(ctx, QEL_MOD_CTRL | QEL_MOD_SHIFT, QEL_KEY_TAB);
    back |= take_shortcut(ctx, QEL_MOD_CTRL, QEL_KEY_PAGE_UP);
    bool close = take_shortcut(ctx, QEL_MOD_CTRL, QEL_KEY_A + ('W' - 'A'));
    if (n == 0) return;  // nothing to choose among: no modulo by zero
    if (next) *sel = valid ? (*sel + 1) % n : 0;
    if (back) *sel = valid ? (*sel + n - 1) % n : n - 1;
    if (close && closable && valid) r->close = before;
    if (*sel != before && valid && qel_focused_id(ctx) == f.ids[before]) qel_set_focus(ctx, f.ids[*sel], true);
}

static void keyboard_travel(tab_bar_frame& f, int32_t* sel, bool closable, bool reorder, qel_tab_bar_result* r)
{
    qel_context* ctx = f.ctx;
    if (*sel < 0 || *sel >= f.count || qel_focused_id(ctx) != f.ids[*sel] || qel_overlay_above(ctx)) return;
    uint32_t mods = qel_modifiers(ctx);
    int32_t target = -1;
    if (qel_key_take(ctx, QEL_KEY_LEFT) && *sel > 0) target = *sel - 1;
    if (qel_key_take(ctx, QEL_KEY_RIGHT) && *sel < f.count - 1) target = *sel + 1;
    if (take_shortcut(ctx, 0, QEL_KEY_HOME)) target = 0;
    if (take_shortcut(ctx, 0, QEL_KEY_END)) target = f.count - 1;
    bool del = take_shortcut(ctx, 0, QEL_KEY_DELETE);
    if (target >= 0 || del) ctx->interaction.focus_visible = 1;
    if (del && closable) r->close = *sel;
    if (target < 0 || target == *sel) return;
    if (mods == QEL_MOD_SHIFT && reorder) {
        r->move_from = *sel;
        r->move_to = target;
        if (f.items.all_known) record_slide(f, *sel, target, f.x[*sel]);
    } else if (mods == 0) {
        *sel = target;
        qel_set_focus(ctx, f.ids[target], true);
    }
}

static float drag_left(const tab_bar_frame& f)
{
    int32_t d = f.s->drag.dragged, last = f.count - 1;
    float left = qel_mouse_pos(f.ctx).x - f.s->drag.grab;
    float high = fmaxf(f.x[0], f.x[last] + f.w[last] - f.w[d]);
    return fminf(fmaxf(left, f.x[0]), high);
}

static void edge_scroll(tab_bar_frame& f, qel_scroll_state* strip, qel_rect view)
{
    if (strip->content_w <= strip->view_w + 0.5f) return;
    float mx = qel_mouse_pos(f.ctx).x, step = EDGE_SPEED * f.ctx->clock.dt;
    if (mx < view.x + EDGE_SCROLL) strip->target_x -= step;
    else if (mx > view.x + view.w - EDGE_SCROLL) strip->target_x += step;
    else return;
    qel_request_redraw(f.ctx);
}

static void pointer(tab_bar_frame& f, int32_t* sel, bool reorder, qel_scroll_state* strip, qel_rect view,
                    qel_tab_bar_result* r)
{
    qel_context* ctx = f.ctx;
    qel_reorder* s = &f.s->drag;
    bool down = qel_mouse_down(ctx, 0);
    uint32_t hovered = qel_hovered_id(ctx);
    for (int32_t i = 0; i < f.count && qel_mouse_pressed(ctx, 0); i++) {
        if (f.ids[i] != hovered) continue;
        *sel = i;
        qel_set_focus(ctx, f.ids[i], false);
        if (!reorder) break;
        qel_reorder_press(s, i, qel_mouse_pos(ctx).x);
    }
    // The dragged tab's left edge against the others' middles, and its right edge after it.
    if (qel_reorder_follow(s, &f.items, qel_mouse_pos(ctx).x, down)) {
        float left = drag_left(f);
        s->target = qel_reorder_target(&f.items, s->dragged, left, left + f.w[s->dragged]);
        if (down) {
            edge_scroll(f, strip, view);
            ctx->interaction.active = f.id;
        } else {
            if (s->target == s->dragged) {
                auto* t = (tab_state*)qel_state_get(ctx, f.ids[s->dragged] ^ 1, sizeof(tab_state));
                t->slide[0] = left - f.x[s->dragged];
            } else {
                r->move_from = s->dragged;
                r->move_to = s->target;
                record_slide(f, s->dragged, s->target, left);
            }
            s->dragged = -1;
        }
    }
    qel_reorder_lift(ctx, s);
}

// A newly selected tab that the strip cuts off is scrolled into view with room to spare.
static void reveal(tab_bar_frame& f, int32_t sel, qel_scroll_state* strip, qel_rect view)
{
    tab_bar_state* s = f.s;
    if (sel < 0 || sel >= f.count || sel + 1 == s->last_selected || !f.items.all_known) return;
    s->last_selected = sel + 1;
    if (strip->content_w <= strip->view_w + 0.5f) return;
    if (f.x[sel] < view.x) strip->target_x -= view.x - f.x[sel] + REVEAL_MARGIN;
    else if (f.x[sel] + f.w[sel] > view.x + view.w)
        strip->target_x += f.x[sel] + f.w[sel] - (view.x + view.w) + REVEAL_MARGIN;
}

static void wheel(qel_context* ctx, qel_scroll_state* strip, qel_rect view)
{
    qel_input* in = &ctx->input;
    bool over = qel_rect_contains(view, qel_mouse_pos(ctx));
    if (in->wheel_y == 0 || in->wheel_x != 0 || !over || strip->content_w <= strip->view_w + 0.5f) return;
    strip->target_x -= WHEEL_STEP * in->wheel_y;
    strip->last_activity = ctx->clock.time;
    in->wheel_y = 0;
}

// --- Drawing ---

struct tab_shape {
    qel_color fill, border;
    float radius;
    uint8_t raised;
    float ring;  // the focus ring's strength, drawn with the shape
};

void qel_tab_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const tab_shape*)user;
    float r = p->radius;
    if (p->raised) {
        float radii[4] = {r, r, r, r};
        qel_draw_rect_bordered(ctx, &node->rect, radii, p->fill, p->border, 1);
    } else {
        // Taller than the tab with square bottom corners, clipped: the bottom edge stays open.
        float radii[4] = {r, r, 0, 0};
        qel_rect taller = {node->rect.x, node->rect.y, node->rect.w, node->rect.h + 4};
        qel_draw_push_clip(ctx, &node->rect);
        qel_draw_rect_bordered(ctx, &taller, radii, p->fill, p->border, 1);
        qel_draw_pop_clip(ctx);
    }
    if (p->ring > 0.01f) qel_draw_focus_ring(ctx, &node->rect, node->radii, p->ring);
}

struct modified_dot {
    qel_color color;
    float alpha;
};

void qel_tab_modified_dot_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const modified_dot*)user;
    if (p->alpha <= 0.01f) return;
    qel_vec2 c = {node->rect.x + node->rect.w * 0.5f, node->rect.y + node->rect.h * 0.5f};
    qel_draw_circle(ctx, c, 4, qel_color_alpha(p->color, p->alpha));
}

// --- Tabs ---

static float tab_slide(tab_bar_frame& f, int32_t i, tab_state* t)
{
    const tab_bar_state* s = f.s;
    if (t->generation != s->slide_generation && f.ctx->clock.frame_count >= s->slide_frame) {
        t->slide[0] = f.ids[i] == s->slide_tab ? s->slide_offset : 0.0f;
        t->slide[1] = 0;
        t->generation = s->slide_generation;
    }
    int32_t d = s->drag.dragged;
    if (d == i) return t->slide[0] = drag_left(f) - f.x[i];
    return qel_reorder_slide(f.ctx, &s->drag, i, t->slide, d >= 0 ? f.w[d] + TAB_GAP : 0.0f);
}

static void close_box(qel_context* ctx, uint32_t id, const tab_state* t, const qel_interaction& it, bool modified)
{
    int32_t box = qel_node_centred(ctx, id, {QEL_SIZE_FIXED, 20}, {QEL_SIZE_FIXED, 20}, QEL_DIR_STACK, 6);
    qel_node* n = qel_node_at(ctx, box);
    n->fill = it.held ? qel_theme_color(ctx, QEL_COLOR_ACTIVE)
                      : qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_HOVER), 1.6f * t->close_hover);
    qel_node_mark_interactive(ctx, box, 0);
    if (it.hovered) qel_set_cursor(ctx, QEL_CURSOR_HAND);
    qel_node_push(ctx, box);
    qel_color secondary = qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY);
    qel_icon_glyph(ctx, CLOSE_GLYPH, 14, qel_color_mix(secondary, qel_theme_color(ctx, QEL_COLOR_TEXT), t->close_hover));
    qel_node_at(ctx, ctx->tree.last_opened)->opacity = fmaxf(0.001f, t->close_visible);
    int32_t dot = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, 20}, {QEL_SIZE_FIXED, 20});
    modified_dot p = {secondary, modified ? 1 - t->close_visible : 0.0f};
    qel_node_draw_with(ctx, dot, qel_tab_modified_dot_draw, &p, sizeof p, false);
    qel_node_pop(ctx);
}

static void tab_node(tab_bar_frame& f, int32_t i, int32_t sel, bool closable, qel_tab_bar_result* r)
{
    qel_context* ctx = f.ctx;
    const qel_tab_item& tab = f.tabs[i];
    uint32_t id = f.ids[i], close = id ^ CLOSE_KEY;
    bool selected = i == sel, dragged = f.s->drag.dragged == i, dragging = f.s->drag.dragged >= 0;
    qel_interaction it = qel_interact(ctx, id, selected ? QEL_INTERACT_FOCUSABLE : QEL_INTERACT_KEEP_FOCUS);
    qel_interaction ci = closable ? qel_interact(ctx, close, QEL_INTERACT_KEEP_FOCUS) : qel_interaction{};
    uint32_t hovered = qel_hovered_id(ctx);
    bool middle = qel_mouse_pressed(ctx, 2) && (hovered == id || (closable && hovered == close)) && !dragging;
    if (closable && (ci.clicked || middle)) r->close = i;

    auto* t = (tab_state*)qel_state_get(ctx, id ^ 1, sizeof(tab_state));
    float offset = tab_slide(f, i, t);
    bool ring = it.focused && it.focus_visible;
    bool over = it.hovered || ci.hovered;
    qel_anim_exp(ctx, &t->hover, over && !dragging ? 1.0f : 0.0f, HOVER_SECONDS);
    qel_anim_exp(ctx, &t->close_hover, ci.hovered ? 1.0f : 0.0f, HOVER_SECONDS);
    bool visible = (over && closable) || ring || (selected && !tab.modified);
    qel_anim_exp(ctx, &t->close_visible, visible ? 1.0f : 0.0f, HOVER_SECONDS);
    qel_anim_exp(ctx, &t->ring, ring ? 1.0f : 0.0f, HOVER_SECONDS);

    float radius = qel_row_radius(ctx);
    int32_t index = qel_node_sized(ctx, id, {QEL_SIZE_FIT, 0}, {QEL_SIZE_FIXED, 32});
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->align_self = QEL_ALIGN_END;
    n->pad_left = 12;
    n->pad_right = closable ? 6.0f : 12.0f;
    n->gap = 8;
    n->radii[0] = n->radii[1] = radius;
    n->translate_x = offset;
    qel_node_mark_interactive(ctx, index, selected ? QEL_INTERACT_FOCUSABLE : 0u);
    if (selected || dragged) {
        tab_shape p = {qel_theme_color(ctx, selected ? QEL_COLOR_SURFACE : QEL_COLOR_ELEVATED),
                       qel_theme_color(ctx, QEL_COLOR_BORDER), radius, (uint8_t)dragged, t->ring};
        qel_node_draw_with(ctx, index, qel_tab_draw, &p, sizeof p, false);
    } else {
        n->fill = qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_HOVER), t->hover);
        qel_focus_ring(ctx, index, t->ring);
    }
    n = qel_node_at(ctx, index);
    if (dragged) {
        qel_node_round(n, radius);
        n->elevation = 3;
        n->elevation_strength = f.s->drag.lift[0];
        n->flags |= QEL_NODE_ON_TOP;
        if (it.hovered) qel_set_cursor(ctx, QEL_CURSOR_MOVE);
    } else if (it.hovered) {
        qel_set_cursor(ctx, QEL_CURSOR_HAND);
    }
    qel_node_push(ctx, index);
    qel_color text = selected ? qel_theme_color(ctx, QEL_COLOR_TEXT)
                              : qel_color_mix(qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY),
                                              qel_theme_color(ctx, QEL_COLOR_TEXT), 0.7f * t->hover);
    qel_icon_glyph(ctx, tab.icon, 14, qel_theme_color(ctx, selected ? QEL_COLOR_TEXT : QEL_COLOR_TEXT_SECONDARY));
    int32_t label = qel_text_leaf(ctx, tab.label, tab.label ? qel_label_visible_len(tab.label) : 0, QEL_FONT_BODY,
                                  qel_text_body_scaled(ctx), text, false, 1.3f);
    qel_node_at(ctx, label)->max_w = 200;
    if (closable) close_box(ctx, close, t, ci, tab.modified != 0);
    qel_node_pop(ctx);
    if (ci.hovered) qel_tooltip_for(ctx, close, selected && f.shortcuts ? "Close  \xC2\xB7  Ctrl W" : "Close");
    else if (it.hovered && !dragging) qel_tooltip_for(ctx, id, tab.tooltip);
}

static void strip_begin(qel_context* ctx, uint32_t id)
{
    qel_style style = {};
    style.width = {QEL_SIZE_GROW, 1};
    int32_t strip = qel_scroll_strip_begin(ctx, id ^ STRIP_KEY, &style, qel_inherited_background(ctx));
    qel_node* n = qel_node_at(ctx, strip);
    n->align_self = QEL_ALIGN_STRETCH;
    qel_bar_edge_payload edge = {qel_color_token(QEL_COLOR_BORDER), 0};
    qel_node_draw_with(ctx, strip, qel_bar_edge_draw, &edge, sizeof edge, false);
    int32_t row = qel_node_open(ctx, id ^ ROW_KEY);
    n = qel_node_at(ctx, row);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_END;
    n->pad_top = 4;
    n->pad_left = n->pad_right = 6;
    n->gap = TAB_GAP;
    qel_node_push(ctx, row);
}

// A reported move carries the selection along.
static int32_t follow_move(int32_t sel, const qel_tab_bar_result& r)
{
    if (r.move_from < 0) return sel;
    if (sel == r.move_from) return r.move_to;
    if (r.move_from < sel && sel <= r.move_to) return sel - 1;
    if (r.move_to <= sel && sel < r.move_from) return sel + 1;
    return sel;
}

qel_tab_bar_result qel_tab_bar(qel_context* ctx, const char* label, const qel_tab_item* tabs, int32_t count,
                               uint32_t* selected, const qel_tab_bar_opts* options)
{
    const qel_tab_bar_opts zero = {};
    const qel_tab_bar_opts* o = options ? options : &zero;
    qel_tab_bar_result r = {0, -1, -1, -1};
    if (!tabs || count < 0) count = 0;
    bool closable = !o->not_closable, reorder = !o->no_reorder;
    tab_bar_frame f = {ctx, qel_id(ctx, label), nullptr, tabs, count, nullptr, nullptr, nullptr, {}, o->shortcuts != 0};
    tab_bar_state* s = f.s = qel_state_record_of<tab_bar_state>(ctx, f.id, "tab_bar_state");
    qel_reorder_begin(&s->drag, count);
    qel_push_id(ctx, label);
    f.ids = (uint32_t*)qel_arena_alloc(ctx, (size_t)count * sizeof(uint32_t));
    f.x = (float*)qel_arena_alloc(ctx, (size_t)count * sizeof(float));
    f.w = (float*)qel_arena_alloc(ctx, (size_t)count * sizeof(float));
    f.items = {f.x, f.w, count, true};
    for (int32_t i = 0; i < count; i++) {
        const char* name = tabs[i].label;
        f.ids[i] = name && name[0] ? qel_id(ctx, name) : qel_hash_bytes(&i, sizeof i, f.id ^ EMPTY_KEY);
        qel_rect rect = qel_id_rect(ctx, f.ids[i]);
        f.x[i] = rect.x;
        f.w[i] = rect.w;
        f.items.all_known = f.items.all_known && qel_id_seen(ctx, f.ids[i]);
    }
    int32_t sel = selected ? (int32_t)*selected : -1;
    int32_t before = sel;
    uint32_t strip_id = f.id ^ STRIP_KEY;
    auto* strip = (qel_scroll_state*)qel_state_get(ctx, strip_id, sizeof(qel_scroll_state));
    qel_rect view = qel_id_rect(ctx, strip_id);

    if (o->shortcuts) shortcuts(f, &sel, closable, &r);
    keyboard_travel(f, &sel, closable, reorder, &r);
    pointer(f, &sel, reorder, strip, view, &r);
    reveal(f, sel, strip, view);
    wheel(ctx, strip, view);

    strip_begin(ctx, f.id);
    for (int32_t i = 0; i < count; i++) tab_node(f, i, sel, closable, &r);
    qel_node_pop(ctx);
    qel_scroll_end(ctx);
    qel_pop_id(ctx);

    sel = follow_move(sel, r);
    if (selected && sel != before && sel >= 0) {
        *selected = (uint32_t)sel;
        r.changed = 1;
    }
    qel_set_last_item(ctx, f.id);
    return r;
}
