// The dockspace frame: the dockspace's begin and end, the tree built as split panes and tab
// groups over the basic tab bar, the narrow one-strip mode, and panels declared, placed and
// drawn. Tab dragging is dock_drag's; the model and its text are dock_layout's.
#include "qel/dockspace.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/core.h"
#include "kit/scopes.h"
#include "kit/widget_nodes.h"
#include "qel/arena.h"
#include "qel/frame.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/split_pane.h"
#include "qel/state.h"
#include "qel/tab_bar.h"
#include "qel/text_units.h"
#include "qel/theme.h"
#include "widgets/editors/dock_drag.h"

static const uint32_t LEAF_KEY = 0x1eaf, STRIP_KEY = 0x5717, BODY_KEY = 0xb0d1, CONTENT_KEY = 0x9a4e1;
static const uint32_t NARROW_KEY = 0xc0a7, NARROW_BODY_KEY = 0x7076, NARROW_SERIAL = 49319;
static const float DEFAULT_MIN_W = 120, DEFAULT_MIN_H = 96;
static const float NARROW_EXTRA = 180, LEAST_SIZE = 16, STRIP_FALLBACK_H = 36;
static const float SPLIT_LOW = 0.02f, SPLIT_HIGH = 0.98f;

namespace {
struct dock_scope {
    qel_dock_frame* frame;
};
}  // namespace

qel_dock_frame* qel_dockspace_current(qel_context* ctx)
{
    dock_scope* s = qel_scope_find<dock_scope>(ctx);
    return s ? s->frame : nullptr;
}

uint32_t qel_dock_leaf_id(const qel_dock_frame* f, int32_t leaf)
{
    uint32_t serial = f->ds->nodes[leaf].serial;
    return qel_hash_bytes(&serial, sizeof serial, f->seed ^ LEAF_KEY);
}

uint32_t qel_dock_body_id(const qel_dock_frame* f, int32_t leaf)
{
    return qel_dock_leaf_id(f, leaf) ^ BODY_KEY;
}

static float min_or_default(float value, float fallback)
{
    return std::isfinite(value) && value > 0 ? value : fallback;
}

static qel_size grow_unless_given(qel_size size)
{
    return size.kind == QEL_SIZE_FIT ? qel_size{QEL_SIZE_GROW, 1} : size;
}

// --- Live flags ---

// Begun in the frame of the dockspace's latest begin: at begin time, the previous frame.
static bool panel_shown(const qel_dockspace* ds, int32_t panel, int32_t leaf)
{
    const qel_dock_panel& p = ds->panels[panel];
    return p.used && p.declared && p.open && p.node == leaf && p.last_frame == ds->frame;
}

int32_t qel_dock_shown_tabs(const qel_dock_frame* f, int32_t leaf, int32_t* out)
{
    int32_t all[QEL_DOCK_MAX_PANELS];
    int32_t count = qel_dock_leaf_panels(f->ds, leaf, all, -1), shown = 0;
    for (int32_t i = 0; i < count; i++)
        if (panel_shown(f->ds, all[i], leaf)) out[shown++] = all[i];
    return shown;
}

static bool mark_live(qel_dock_frame* f, int32_t node)
{
    const qel_dock_node& n = f->ds->nodes[node];
    int32_t tabs[QEL_DOCK_MAX_PANELS];
    bool live;
    if (n.kind == QEL_DOCK_LEAF) {
        live = qel_dock_shown_tabs(f, node, tabs) > 0;
    } else {
        bool first = mark_live(f, n.first);
        live = mark_live(f, n.second) || first;
    }
    f->live[node] = live;
    return live;
}

void qel_dock_compute_live(qel_dock_frame* f)
{
    memset(f->live, 0, sizeof f->live);
    if (f->ds->root >= 0) mark_live(f, f->ds->root);
}

int32_t qel_dock_resolve(const qel_dock_frame* f, int32_t node)
{
    const qel_dockspace* ds = f->ds;
    while (ds->nodes[node].kind == QEL_DOCK_SPLIT) {
        const qel_dock_node& n = ds->nodes[node];
        bool a = f->live[n.first], b = f->live[n.second];
        if (a && b) break;
        node = a ? n.first : n.second;
    }
    return node;
}

// The least extent of a subtree along the width ('h') or the height ('v').
static float min_extent(const qel_dock_frame* f, int32_t node, uint8_t vertical)
{
    const qel_dock_node& n = f->ds->nodes[qel_dock_resolve(f, node)];
    if (n.kind == QEL_DOCK_LEAF) return vertical ? f->min_h : f->min_w;
    float a = min_extent(f, n.first, vertical), b = min_extent(f, n.second, vertical);
    return n.orientation == vertical ? a + b + 1 : fmaxf(a, b);
}

// --- Begin ---

static void read_leaf_rects(qel_context* ctx, qel_dock_frame* f)
{
    for (int32_t i = 0; i < QEL_DOCK_MAX_NODES; i++) {
        if (!f->live[i] || f->ds->nodes[i].kind != QEL_DOCK_LEAF) continue;
        uint32_t id = qel_dock_leaf_id(f, i);
        f->leaf_rect[i] = qel_id_rect(ctx, id);
        f->strip_rect[i] = qel_id_rect(ctx, id ^ STRIP_KEY);
        if (f->strip_rect[i].h <= 0) {
            f->strip_rect[i] = f->leaf_rect[i];
            f->strip_rect[i].h = fminf(f->strip_rect[i].h, STRIP_FALLBACK_H);
        }
    }
}

static int32_t live_leaf_at(const qel_dock_frame* f, qel_vec2 p)
{
    for (int32_t i = 0; i < QEL_DOCK_MAX_NODES; i++)
        if (f->live[i] && f->ds->nodes[i].kind == QEL_DOCK_LEAF && qel_rect_contains(f->leaf_rect[i], p)) return i;
    return -1;
}

static void follow_focus(qel_context* ctx, qel_dock_frame* f)
{
    int32_t leaf = -1;
    if (qel_mouse_pressed(ctx, 0)) {
        leaf = live_leaf_at(f, qel_mouse_pos(ctx));
    } else if (uint32_t focused = qel_focused_id(ctx)) {
        qel_rect r = qel_id_rect(ctx, focused);
        if (r.w > 0 || r.h > 0) leaf = live_leaf_at(f, {r.x + r.w / 2, r.y + r.h / 2});
    }
    if (leaf >= 0) f->ds->focus_leaf = leaf;
}

static uint32_t tab_id_in(qel_context* ctx, uint32_t serial, const char* title)
{
    char scope[16];
    snprintf(scope, sizeof scope, "t%u", serial);
    qel_push_id(ctx, scope);
    uint32_t id = qel_id(ctx, title);
    qel_pop_id(ctx);
    return id;
}

static void compute_tab_ids(qel_context* ctx, qel_dock_frame* f)
{
    int32_t tabs[QEL_DOCK_MAX_PANELS];
    for (int32_t i = 0; i < QEL_DOCK_MAX_NODES; i++) {
        if (!f->live[i] || f->ds->nodes[i].kind != QEL_DOCK_LEAF) continue;
        uint32_t serial = f->narrow ? NARROW_SERIAL : f->ds->nodes[i].serial;
        int32_t count = qel_dock_shown_tabs(f, i, tabs);
        for (int32_t t = 0; t < count; t++) f->tab_id[tabs[t]] = tab_id_in(ctx, serial, f->ds->panels[tabs[t]].title);
    }
}

// A drag whose panel no longer shows ends.
static bool drag_panel_gone(const qel_dockspace* ds)
{
    const qel_dock_drag& d = ds->drag;
    if (d.phase == 0 || d.panel < 0 || d.panel >= QEL_DOCK_MAX_PANELS) return d.phase != 0;
    const qel_dock_panel& p = ds->panels[d.panel];
    return !p.used || !p.declared || !p.open || p.node < 0 || p.last_frame != ds->frame;
}

static void frame_setup(qel_context* ctx, qel_dock_frame* f, const char* name, const qel_dockspace_options* o)
{
    bool created;
    f->ds = qel_dockspace_get(ctx, name, &created);
    if (created && o->layout) qel_dock_layout_apply(ctx, f->ds, o->layout);
    f->id = qel_id(ctx, name);
    f->frame = qel_ctx_frame_count(ctx);
    f->generation = f->ds->layout_generation;
    f->min_w = min_or_default(o->min_panel_width, DEFAULT_MIN_W);
    f->min_h = min_or_default(o->min_panel_height, DEFAULT_MIN_H);
    f->keyboard = o->keyboard;
    f->drag_source = -1;
    for (int32_t i = 0; i < QEL_DOCK_MAX_NODES; i++) f->body[i] = f->shown[i] = -1;
    qel_push_id(ctx, name);
    f->seed = qel_id_stack_top(&ctx->ids, 0);
}

// --- Tree build ---

static void build_node(qel_context* ctx, qel_dock_frame* f, int32_t node);

static void open_filled(qel_context* ctx, uint32_t id, qel_theme_slot slot, uint32_t direction)
{
    int32_t n = qel_node_open(ctx, id);
    qel_node* node = qel_node_at(ctx, n);
    node->width = node->height = {QEL_SIZE_GROW, 1};
    node->direction = (uint8_t)direction;
    node->fill = qel_color_token(slot);
    node->flags |= QEL_NODE_CLIP;
    qel_node_push(ctx, n);
}

// The content area that the panels of a group fill; not pushed, as each panel pushes it.
static int32_t open_body(qel_context* ctx, uint32_t id)
{
    int32_t body = qel_node_open(ctx, id);
    qel_node* b = qel_node_at(ctx, body);
    b->width = b->height = {QEL_SIZE_GROW, 1};
    b->fill = qel_color_token(QEL_COLOR_SURFACE);
    b->flags |= QEL_NODE_CLIP;
    return body;
}

// The split's share within what the two sides' least extents leave.
static void build_split(qel_context* ctx, qel_dock_frame* f, int32_t node)
{
    qel_dock_node& n = f->ds->nodes[node];
    char label[16];
    snprintf(label, sizeof label, "s%u", n.serial);
    qel_rect r = qel_id_rect(ctx, qel_id(ctx, label));
    float extent = n.orientation ? r.h : r.w;
    float a = min_extent(f, n.first, n.orientation), b = min_extent(f, n.second, n.orientation);
    float lo = SPLIT_LOW, hi = SPLIT_HIGH;
    if (extent > 2) {
        if (a + b > extent - 1) {
            float scale = (extent - 1) / (a + b);
            a *= scale;
            b *= scale;
        }
        lo = a / extent;
        hi = 1 - b / extent;
        if (lo > hi) lo = hi = 0.5f;
    }
    // Within the pane's own bounds, so that only a drag changes it; fmaxf also turns NaN into lo.
    float ratio = fminf(fmaxf(n.ratio, fmaxf(lo, SPLIT_LOW)), fminf(hi, SPLIT_HIGH));
    float before = ratio;
    qel_split_options opts = {};
    opts.stacked = n.orientation;
    opts.first_min = fmaxf(1, a);
    opts.second_min = fmaxf(1, b);
    qel_split_begin(ctx, label, &ratio, &opts);
    if (ratio != before && !std::isnan(ratio)) n.ratio = fminf(fmaxf(ratio, fmaxf(0.01f, lo)), fminf(0.99f, hi));
    build_node(ctx, f, n.first);
    qel_splitter(ctx);
    build_node(ctx, f, n.second);
    qel_split_end(ctx);
}

static bool any_closable(const qel_dockspace* ds, const int32_t* tabs, int32_t count)
{
    for (int32_t i = 0; i < count; i++)
        if (ds->panels[tabs[i]].closable) return true;
    return false;
}

static qel_tab_item* tab_items(qel_context* ctx, const qel_dockspace* ds, const int32_t* tabs, int32_t count)
{
    auto* items = (qel_tab_item*)qel_arena_alloc(ctx, sizeof(qel_tab_item) * (size_t)(count ? count : 1));
    for (int32_t i = 0; i < count; i++) {
        const qel_dock_panel& p = ds->panels[tabs[i]];
        items[i] = {p.title, p.icon[0] ? p.icon : nullptr, nullptr, p.modified};
    }
    return items;
}

// The tab bar of a dragged tab's own group sees the button up, so that it neither selects nor
// reorders while the drag is the dockspace's.
static qel_tab_bar_result tab_bar_button_up(qel_context* ctx, const char* label, const qel_tab_item* items,
                                            int32_t count, uint32_t* selected, const qel_tab_bar_opts* opts)
{
    qel_input saved = ctx->input;
    ctx->input.down[0] = ctx->input.pressed[0] = ctx->input.released[0] = 0;
    qel_tab_bar_result r = qel_tab_bar(ctx, label, items, count, selected, opts);
    ctx->input.down[0] = saved.down[0];
    ctx->input.pressed[0] = saved.pressed[0];
    ctx->input.released[0] = saved.released[0];
    return r;
}

static void request_close(qel_dockspace* ds, const int32_t* tabs, int32_t count, int32_t index)
{
    if (index >= 0 && index < count && ds->panels[tabs[index]].closable) ds->panels[tabs[index]].close_requested = 1;
}

// A tab moved from index from to index to among the shown tabs.
static void move_tab(qel_dockspace* ds, int32_t leaf, int32_t* tabs, int32_t count, int32_t from, int32_t to)
{
    if (from < 0 || to < 0 || from >= count || to >= count || from == to) return;
    int32_t before = from > to ? tabs[to] : (to + 1 < count ? tabs[to + 1] : -1);
    int32_t panel = tabs[from];
    qel_dock_panel_insert(ds, panel, leaf, before);
    if (from < to) memmove(&tabs[from], &tabs[from + 1], (size_t)(to - from) * sizeof tabs[0]);
    else memmove(&tabs[to + 1], &tabs[to], (size_t)(from - to) * sizeof tabs[0]);
    tabs[to] = panel;
}

static void mark_tabs(qel_context* ctx, qel_dock_frame* f, const int32_t* tabs, int32_t count, uint32_t serial)
{
    qel_dockspace* ds = f->ds;
    for (int32_t i = 0; i < count; i++) {
        f->tab_id[tabs[i]] = tab_id_in(ctx, serial, ds->panels[tabs[i]].title);
        f->tab_shown[tabs[i]] = 1;
        if (ds->focus_panel != tabs[i]) continue;
        qel_set_focus(ctx, f->tab_id[tabs[i]], ctx->interaction.focus_visible);
        ds->focus_panel = -1;
    }
}

static void build_leaf(qel_context* ctx, qel_dock_frame* f, int32_t leaf)
{
    qel_dockspace* ds = f->ds;
    qel_dock_node& n = ds->nodes[leaf];
    int32_t tabs[QEL_DOCK_MAX_PANELS];
    int32_t count = qel_dock_shown_tabs(f, leaf, tabs);
    uint32_t selected = 0;
    for (int32_t i = 0; i < count; i++)
        if (tabs[i] == n.active_panel) selected = (uint32_t)i;
    if (count) n.active_panel = tabs[selected];

    uint32_t id = qel_dock_leaf_id(f, leaf);
    open_filled(ctx, id, QEL_COLOR_SUBTLE, QEL_DIR_COLUMN);
    int32_t strip = qel_node_open(ctx, id ^ STRIP_KEY);
    qel_node_at(ctx, strip)->width = {QEL_SIZE_GROW, 1};
    qel_node_push(ctx, strip);
    mark_tabs(ctx, f, tabs, count, n.serial);

    char label[16];
    snprintf(label, sizeof label, "t%u", n.serial);
    qel_tab_bar_opts opts = {};
    bool dragging = ds->drag.phase == 2;
    opts.shortcuts = f->keyboard && ds->focus_leaf == leaf && !dragging;
    opts.not_closable = !any_closable(ds, tabs, count);
    qel_tab_item* items = tab_items(ctx, ds, tabs, count);
    if (dragging && f->drag_source == leaf) {
        tab_bar_button_up(ctx, label, items, count, &selected, &opts);
    } else {
        qel_tab_bar_result r = qel_tab_bar(ctx, label, items, count, &selected, &opts);
        request_close(ds, tabs, count, r.close);
        move_tab(ds, leaf, tabs, count, r.move_from, r.move_to);
        if (selected < (uint32_t)count) n.active_panel = tabs[selected];
    }
    qel_node_pop(ctx);

    f->shown[leaf] = count ? n.active_panel : -1;
    f->body[leaf] = open_body(ctx, qel_dock_body_id(f, leaf));
    qel_node_pop(ctx);
}

static void build_node(qel_context* ctx, qel_dock_frame* f, int32_t node)
{
    node = qel_dock_resolve(f, node);
    if (f->ds->nodes[node].kind == QEL_DOCK_LEAF) build_leaf(ctx, f, node);
    else build_split(ctx, f, node);
}

// --- Narrow mode ---

static int32_t narrow_tabs(const qel_dock_frame* f, int32_t node, int32_t* out, int32_t count)
{
    const qel_dock_node& n = f->ds->nodes[node];
    if (!f->live[node]) return count;
    if (n.kind == QEL_DOCK_LEAF) return count + qel_dock_shown_tabs(f, node, out + count);
    return narrow_tabs(f, n.second, out, narrow_tabs(f, n.first, out, count));
}

static int32_t index_of(const int32_t* list, int32_t count, int32_t value)
{
    for (int32_t i = 0; value >= 0 && i < count; i++)
        if (list[i] == value) return i;
    return -1;
}

static void build_narrow(qel_context* ctx, qel_dock_frame* f)
{
    qel_dockspace* ds = f->ds;
    int32_t tabs[QEL_DOCK_MAX_PANELS];
    int32_t count = narrow_tabs(f, ds->root, tabs, 0);
    int32_t sel = index_of(tabs, count, ds->narrow_panel);
    if (sel < 0 && ds->focus_leaf >= 0) sel = index_of(tabs, count, ds->nodes[ds->focus_leaf].active_panel);
    uint32_t selected = sel < 0 ? 0 : (uint32_t)sel;

    open_filled(ctx, f->id ^ NARROW_KEY, QEL_COLOR_SUBTLE, QEL_DIR_COLUMN);
    mark_tabs(ctx, f, tabs, count, NARROW_SERIAL);
    char label[16];
    snprintf(label, sizeof label, "t%u", NARROW_SERIAL);
    qel_tab_bar_opts opts = {};
    opts.shortcuts = f->keyboard;
    opts.not_closable = !any_closable(ds, tabs, count);
    opts.no_reorder = 1;
    qel_tab_bar_result r = qel_tab_bar(ctx, label, tab_items(ctx, ds, tabs, count), count, &selected, &opts);
    request_close(ds, tabs, count, r.close);

    int32_t body = open_body(ctx, f->id ^ NARROW_BODY_KEY);
    for (int32_t i = 0; i < QEL_DOCK_MAX_NODES; i++)
        if (f->live[i]) f->body[i] = body;
    if (selected < (uint32_t)count) {
        int32_t panel = tabs[selected], leaf = ds->panels[panel].node;
        ds->narrow_panel = panel;
        f->shown[leaf] = ds->nodes[leaf].active_panel = panel;
        ds->focus_leaf = leaf;
    }
    qel_node_pop(ctx);
}

// --- The dockspace ---

void qel_dockspace_begin(qel_context* ctx, const char* name, const qel_dockspace_options* options)
{
    const qel_dockspace_options none = {};
    const qel_dockspace_options* o = options ? options : &none;
    if (!name) name = "dock";
    auto* f = (qel_dock_frame*)qel_arena_alloc(ctx, sizeof(qel_dock_frame));
    memset(f, 0, sizeof *f);
    frame_setup(ctx, f, name, o);
    qel_dockspace* ds = f->ds;

    qel_rect last = qel_id_rect(ctx, f->id);
    f->narrow = last.w > 0 && 2 * f->min_w + NARROW_EXTRA > last.w;
    if (f->narrow || drag_panel_gone(ds)) ds->drag.phase = 0;
    qel_dock_compute_live(f);
    read_leaf_rects(ctx, f);
    follow_focus(ctx, f);
    compute_tab_ids(ctx, f);
    f->overlay = (qel_dock_overlay*)qel_arena_alloc(ctx, sizeof(qel_dock_overlay));
    memset(f->overlay, 0, sizeof *f->overlay);
    f->overlay->hovered = -1;
    qel_dock_drag_update(ctx, f);

    f->container = qel_node_open(ctx, f->id);
    qel_node* c = qel_node_at(ctx, f->container);
    c->width = grow_unless_given(o->width);
    c->height = grow_unless_given(o->height);
    c->direction = QEL_DIR_COLUMN;
    qel_node_push(ctx, f->container);

    f->collapsed = qel_id_seen(ctx, f->id) && (last.w < LEAST_SIZE || last.h < LEAST_SIZE);
    if (!f->collapsed && ds->root >= 0 && f->live[ds->root]) {
        if (f->narrow) build_narrow(ctx, f);
        else build_node(ctx, f, ds->root);
    }
    ds->frame = f->frame;
    qel_scope_push<dock_scope>(ctx)->frame = f;
}

// --- Panels ---

static const char* panel_name(const char* label)
{
    const char* marker = strstr(label, "###");
    return marker ? marker + 3 : label;
}

static int32_t largest_live_leaf(const qel_dock_frame* f)
{
    int32_t best = -1;
    float best_area = -1;
    for (int32_t i = 0; i < QEL_DOCK_MAX_NODES; i++) {
        if (!f->live[i] || f->ds->nodes[i].kind != QEL_DOCK_LEAF) continue;
        float area = f->leaf_rect[i].w * f->leaf_rect[i].h;
        if (area > best_area) best = i, best_area = area;
    }
    return best;
}

static int32_t first_leaf(const qel_dockspace* ds)
{
    int32_t node = ds->root;
    while (node >= 0 && ds->nodes[node].kind == QEL_DOCK_SPLIT) node = ds->nodes[node].first;
    return node;
}

static bool any_live(const qel_dock_frame* f)
{
    for (uint8_t live : f->live)
        if (live) return true;
    return false;
}

// An open panel without a leaf goes to the largest shown group, else the first group, else a new
// root.
static void place(qel_context* ctx, qel_dock_frame* f, int32_t panel, bool reopened)
{
    qel_dockspace* ds = f->ds;
    qel_dock_panel& p = ds->panels[panel];
    qel_request_redraw(ctx);
    // Right after a layout load nothing shows yet: the next frame shows where the panels are.
    if (!any_live(f) && !p.placed && ds->root >= 0) {
        p.placed = 1;
        return;
    }
    p.placed = 1;
    int32_t leaf = largest_live_leaf(f);
    if (leaf < 0) leaf = first_leaf(ds);
    if (leaf < 0 && (leaf = qel_dock_node_alloc(ds, QEL_DOCK_LEAF)) >= 0) ds->root = leaf;
    if (leaf < 0) return;
    qel_dock_panel_insert(ds, panel, leaf, -1);
    if (reopened || ds->nodes[leaf].active_panel < 0) ds->nodes[leaf].active_panel = panel;
}

// Settles the open state against the caller's flag; false when the panel is closed.
static bool settle_open(qel_dockspace* ds, int32_t panel, bool* open, bool* reopened)
{
    qel_dock_panel& p = ds->panels[panel];
    if (p.pending_open != 255) {
        if (open) *open = p.pending_open != 0;
        p.pending_open = 255;
    }
    if (p.close_requested && open) {
        p.close_requested = 0;
        *open = false;
        p.declared = 1;
        p.open = 0;
        return false;
    }
    p.close_requested = 0;
    if (open && p.declared && !p.open) {
        if (!*open) return false;
        p.open = 1;
        *reopened = true;
        if (p.node >= 0) ds->nodes[p.node].active_panel = panel;
    } else {
        p.open = open ? *open : true;
    }
    p.declared = 1;
    return p.open;
}

int32_t qel_dock_panel_begin(qel_context* ctx, const char* label, bool* open, const qel_dock_panel_options* options)
{
    qel_dock_frame* f = qel_dockspace_current(ctx);
    if (!f || !label || f->in_panel) return 0;
    char name[QEL_DOCK_NAME_BYTES];
    if (qel_utf8_copy(name, sizeof name, panel_name(label)) == 0) return 0;
    qel_dockspace* ds = f->ds;
    int32_t panel = qel_dock_panel_find(ds, name);
    if (panel < 0 && (panel = qel_dock_panel_alloc(ds, name)) < 0) return 0;
    qel_dock_panel& p = ds->panels[panel];
    if (p.declared && p.last_frame == f->frame) return 0;
    qel_utf8_copy(p.title, sizeof p.title, label);
    qel_utf8_copy(p.icon, sizeof p.icon, options ? options->icon : nullptr);
    p.closable = open != nullptr;
    p.modified = options ? options->modified : 0;

    bool reopened = false;
    bool shown = settle_open(ds, panel, open, &reopened);
    p.last_frame = f->frame;
    if (!shown) return 0;
    if (p.node < 0) {
        place(ctx, f, panel, reopened);
        return 0;
    }
    int32_t leaf = p.node;
    bool draws = f->tab_shown[panel] && ds->layout_generation == f->generation && f->body[leaf] >= 0 &&
                 f->shown[leaf] == panel;
    if (!draws) {
        // A dockspace too small to build anything shows no tab until it grows.
        if (!f->tab_shown[panel] && !f->collapsed) qel_request_redraw(ctx);
        return 0;
    }
    qel_node_push(ctx, f->body[leaf]);
    int32_t content = qel_node_open(ctx, qel_hash_str(p.name, f->seed ^ CONTENT_KEY));
    qel_node_at(ctx, content)->width = qel_node_at(ctx, content)->height = {QEL_SIZE_GROW, 1};
    qel_node_push(ctx, content);
    qel_push_id(ctx, label);
    f->in_panel = 1;
    qel_set_last_item(ctx, f->tab_id[panel]);
    return 1;
}

void qel_dock_panel_end(qel_context* ctx)
{
    qel_dock_frame* f = qel_dockspace_current(ctx);
    if (!f || !f->in_panel) return;
    qel_pop_id(ctx);
    qel_node_pop(ctx);
    qel_node_pop(ctx);
    f->in_panel = 0;
}

void qel_dockspace_end(qel_context* ctx)
{
    qel_dock_frame* f = qel_dockspace_current(ctx);
    if (!f) return;
    qel_dock_panel_end(ctx);
    qel_dock_drag_finish(ctx, f);
    qel_pop_id(ctx);
    qel_node_pop(ctx);
    qel_scope_pop<dock_scope>(ctx);
    qel_set_last_item(ctx, f->id);
}
