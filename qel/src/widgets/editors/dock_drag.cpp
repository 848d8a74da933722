// Tab drag and drop: the drag's phases, the target under the pointer (a group's tab strip, its
// zone buttons or zones, the dockspace's outer buttons), the drop that re-docks the panel, the
// overlay of buttons, preview and marker, and the ghost that follows the pointer.
#include "widgets/editors/dock_drag.h"

#include <cmath>
#include <cstring>

#include "core/core.h"
#include "kit/widget_nodes.h"
#include "qel/anim.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/frame.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/text_units.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"

static const uint32_t HOLD_KEY = 0xd4a6, GHOST_KEY = 0x6057;
static const int32_t GHOST_Z = 1900;
static const float STRIP_SLACK = 8, OUTER_HIT = 4, LEAF_HIT = 3;
static const float OUTER_SIZE = 28, OUTER_INSET = 8, OUTER_LEAST_ROOM = 112;
static const float CENTRE_SHARE = 0.28f;
static const float PREVIEW_SECONDS = 0.18f, FADE_SECONDS = 0.14f;
static const float GHOST_PERIOD = 0.26f, GHOST_BOUNCE = 0.12f;

enum { ZONE_NONE = 0, ZONE_CENTRE = 1, ZONE_LEFT = 2, ZONE_RIGHT = 3, ZONE_TOP = 4, ZONE_BOTTOM = 5 };
enum { DROP_NONE = 0, DROP_LEAF = 1, DROP_OUTER = 2 };

qel_rect qel_dock_zone_rect(qel_rect r, int32_t zone, float f)
{
    switch (zone) {
    case ZONE_LEFT: return {r.x, r.y, r.w * f, r.h};
    case ZONE_RIGHT: return {r.x + (1 - f) * r.w, r.y, r.w * f, r.h};
    case ZONE_TOP: return {r.x, r.y, r.w, r.h * f};
    case ZONE_BOTTOM: return {r.x, r.y + (1 - f) * r.h, r.w, r.h * f};
    default: return r;
    }
}

static qel_rect grown(qel_rect r, float by)
{
    return {r.x - by, r.y - by, r.w + 2 * by, r.h + 2 * by};
}

// --- Depth: every saved layout must load, so no drop may put a node below the parser's limit ---

static int32_t depth_of(const qel_dockspace* ds, int32_t node)
{
    int32_t depth = 0;
    for (int32_t n = ds->nodes[node].parent; n >= 0; n = ds->nodes[n].parent) depth++;
    return depth;
}

static int32_t height_of(const qel_dockspace* ds, int32_t node)
{
    const qel_dock_node& n = ds->nodes[node];
    if (n.kind != QEL_DOCK_SPLIT) return 0;
    int32_t a = height_of(ds, n.first), b = height_of(ds, n.second);
    return 1 + (a > b ? a : b);
}

// --- Targeting ---

struct target_scan {
    qel_context* ctx;
    qel_dock_frame* f;
    qel_dock_overlay* o;
    qel_vec2 p;
};

static void add_button(qel_dock_overlay* o, qel_rect r, int32_t zone, bool outer)
{
    if (o->button_count >= 9) return;
    o->buttons[o->button_count] = r;
    o->zones[o->button_count] = zone;
    o->outer[o->button_count] = outer;
    o->button_count++;
}

static void set_target(qel_dock_drag* d, int32_t kind, int32_t target, int32_t zone)
{
    d->drop_kind = kind;
    d->target = target;
    d->zone = zone;
}

static float outer_fraction(float least, float extent)
{
    if (!(extent > 0)) return 0.25f;
    return fminf(0.5f, fmaxf(0.25f, least / extent));
}

// The four buttons at the dockspace's edges; true when the pointer is over one.
static bool outer_buttons(target_scan& s, qel_rect* preview)
{
    qel_dockspace* ds = s.f->ds;
    qel_rect r = qel_id_rect(s.ctx, s.f->id);
    if (r.w < OUTER_LEAST_ROOM || r.h < OUTER_LEAST_ROOM) return false;
    float cx = r.x + r.w / 2, cy = r.y + r.h / 2, half = OUTER_SIZE / 2;
    const struct {
        float x, y;
        int32_t zone;
    } spots[4] = {{r.x + OUTER_INSET, cy - half, ZONE_LEFT},
                  {r.x + r.w - OUTER_INSET - OUTER_SIZE, cy - half, ZONE_RIGHT},
                  {cx - half, r.y + OUTER_INSET, ZONE_TOP},
                  {cx - half, r.y + r.h - OUTER_INSET - OUTER_SIZE, ZONE_BOTTOM}};
    bool room = ds->root >= 0 && height_of(ds, ds->root) + 1 <= QEL_DOCK_MAX_DEPTH;
    for (const auto& spot : spots) {
        qel_rect b = {roundf(spot.x), roundf(spot.y), OUTER_SIZE, OUTER_SIZE};
        add_button(s.o, b, spot.zone, true);
        if (!qel_rect_contains(grown(b, OUTER_HIT), s.p)) continue;
        if (!room) return true;  // over the button, which has nothing to offer
        bool across = spot.zone == ZONE_LEFT || spot.zone == ZONE_RIGHT;
        float f = across ? outer_fraction(s.f->min_w, r.w) : outer_fraction(s.f->min_h, r.h);
        set_target(&ds->drag, DROP_OUTER, -1, spot.zone);
        *preview = qel_dock_zone_rect(r, spot.zone, f);
        s.o->hovered = s.o->button_count - 1;
        return true;
    }
    return false;
}

// The cross of zone buttons around the centre of the group's content area.
static void leaf_buttons(target_scan& s, int32_t leaf, qel_rect body)
{
    float m = fminf(s.f->leaf_rect[leaf].w, body.h);
    float size = (m - 24) / 3.4f, offset = size + 6;
    if (size > 32) size = 32, offset = 38;
    if (!(size >= 20)) return;
    float cx = body.x + body.w / 2, cy = body.y + body.h / 2;
    const struct {
        float dx, dy;
        int32_t zone;
    } spots[5] = {{0, 0, ZONE_CENTRE}, {-1, 0, ZONE_LEFT}, {1, 0, ZONE_RIGHT}, {0, -1, ZONE_TOP}, {0, 1, ZONE_BOTTOM}};
    for (const auto& spot : spots) {
        if (spot.zone == ZONE_CENTRE && leaf == s.f->ds->drag.source) continue;
        float x = cx + spot.dx * offset, y = cy + spot.dy * offset;
        add_button(s.o, {roundf(x - size / 2), roundf(y - size / 2), size, size}, spot.zone, false);
    }
}

// A drop into the strip: before the first tab whose left half holds the pointer, else at the end.
static void strip_drop(target_scan& s, int32_t leaf)
{
    qel_dock_drag* d = &s.f->ds->drag;
    int32_t tabs[QEL_DOCK_MAX_PANELS];
    int32_t count = qel_dock_shown_tabs(s.f, leaf, tabs);
    qel_rect strip = s.f->strip_rect[leaf];
    float marker_x = strip.x + 5;
    d->before = -1;
    for (int32_t i = 0; i < count; i++) {
        if (tabs[i] == d->panel) continue;
        qel_rect tab = qel_id_rect(s.ctx, s.f->tab_id[tabs[i]]);
        if (s.p.x < tab.x + tab.w / 2) {
            d->before = tabs[i];
            marker_x = tab.x - 2;
            break;
        }
        marker_x = tab.x + tab.w;
    }
    set_target(d, DROP_LEAF, leaf, ZONE_CENTRE);
    s.o->marker = 1;
    s.o->marker_rect = {marker_x, strip.y + 6, 2, fmaxf(0, strip.h - 10)};
}

// The zone that the pointer's place in the content area suggests; none while it has no area.
static int32_t zone_at(qel_rect body, qel_vec2 p)
{
    if (!(body.w > 0) || !(body.h > 0)) return ZONE_NONE;
    float fx = (p.x - body.x) / body.w, fy = (p.y - body.y) / body.h;
    float d = fminf(fminf(fx, 1 - fx), fminf(fy, 1 - fy));
    if (d >= CENTRE_SHARE) return ZONE_CENTRE;
    if (1 - fy < fminf(fminf(fx, 1 - fx), fy)) return ZONE_BOTTOM;
    if (fy < fminf(fx, 1 - fx)) return ZONE_TOP;
    return fx > 1 - fx ? ZONE_RIGHT : ZONE_LEFT;
}

static void find_target(qel_context* ctx, qel_dock_frame* f, qel_rect* preview)
{
    qel_dockspace* ds = f->ds;
    qel_dock_drag* d = &ds->drag;
    target_scan s = {ctx, f, f->overlay, qel_mouse_pos(ctx)};
    set_target(d, DROP_NONE, -1, ZONE_NONE);
    d->before = -1;
    int32_t tabs[QEL_DOCK_MAX_PANELS];
    bool alone = qel_dock_shown_tabs(f, d->source, tabs) < 2;
    if (ds->root < 0 || (alone && qel_dock_resolve(f, ds->root) == d->source)) return;
    if (outer_buttons(s, preview)) return;
    int32_t leaf = -1;
    for (int32_t i = 0; i < QEL_DOCK_MAX_NODES && leaf < 0; i++)
        if (f->live[i] && ds->nodes[i].kind == QEL_DOCK_LEAF && qel_rect_contains(f->leaf_rect[i], s.p)) leaf = i;
    if (leaf < 0 || (leaf == d->source && alone)) return;

    qel_rect body = qel_id_rect(ctx, qel_dock_body_id(f, leaf));
    int32_t first_button = s.o->button_count;
    leaf_buttons(s, leaf, body);
    *preview = f->leaf_rect[leaf];
    if (qel_rect_contains(f->strip_rect[leaf], s.p)) return strip_drop(s, leaf);
    int32_t zone = ZONE_NONE;
    for (int32_t i = first_button; i < s.o->button_count && !zone; i++)
        if (qel_rect_contains(grown(s.o->buttons[i], LEAF_HIT), s.p)) zone = s.o->zones[i];
    if (!zone) zone = zone_at(body, s.p);
    if (zone == ZONE_NONE || (zone == ZONE_CENTRE && leaf == d->source)) return;
    if (zone != ZONE_CENTRE && depth_of(ds, leaf) + 1 > QEL_DOCK_MAX_DEPTH) return;
    set_target(d, DROP_LEAF, leaf, zone);
    *preview = qel_dock_zone_rect(f->leaf_rect[leaf], zone, 0.5f);
    for (int32_t i = first_button; i < s.o->button_count; i++)
        if (s.o->zones[i] == zone) s.o->hovered = i;
}

// --- The drop ---

static int32_t free_nodes(const qel_dockspace* ds)
{
    int32_t n = 0;
    for (const qel_dock_node& node : ds->nodes) n += node.kind == QEL_DOCK_FREE;
    return n;
}

static void new_root_with(qel_dockspace* ds, int32_t panel)
{
    int32_t leaf = qel_dock_node_alloc(ds, QEL_DOCK_LEAF);
    if (leaf < 0) return;
    ds->root = leaf;
    qel_dock_panel_insert(ds, panel, leaf, -1);
    ds->nodes[leaf].active_panel = panel;
    ds->focus_leaf = leaf;
}

// A new group for the panel beside target, the two under a new split in target's place.
static void split_beside(qel_dockspace* ds, int32_t panel, int32_t target, int32_t zone, float f)
{
    int32_t split = qel_dock_node_alloc(ds, QEL_DOCK_SPLIT);
    if (split < 0) return;
    int32_t leaf = qel_dock_node_alloc(ds, QEL_DOCK_LEAF);
    if (leaf < 0) {
        ds->nodes[split].kind = QEL_DOCK_FREE;
        return;
    }
    int32_t parent = ds->nodes[target].parent;
    if (parent < 0) ds->root = split;
    else (ds->nodes[parent].first == target ? ds->nodes[parent].first : ds->nodes[parent].second) = split;
    bool leads = zone == ZONE_LEFT || zone == ZONE_TOP;
    qel_dock_node& s = ds->nodes[split];
    s.parent = parent;
    s.orientation = zone == ZONE_TOP || zone == ZONE_BOTTOM;
    s.first = leads ? leaf : target;
    s.second = leads ? target : leaf;
    s.ratio = leads ? f : 1 - f;
    ds->nodes[target].parent = ds->nodes[leaf].parent = split;
    qel_dock_panel_insert(ds, panel, leaf, -1);
    ds->nodes[leaf].active_panel = panel;
    ds->focus_leaf = leaf;
}

static void drop(qel_context* ctx, qel_dock_frame* f)
{
    qel_dockspace* ds = f->ds;
    qel_dock_drag& d = ds->drag;
    if (d.drop_kind == DROP_NONE || d.panel < 0 || !ds->panels[d.panel].used) return;
    if (qel_focused_id(ctx) == f->tab_id[d.panel]) ds->focus_panel = d.panel;
    if (d.zone == ZONE_CENTRE) {
        if (ds->panels[d.panel].node != d.target) qel_dock_panel_detach(ds, d.panel);
        qel_dock_panel_insert(ds, d.panel, d.target, d.before);
        ds->nodes[d.target].active_panel = d.panel;
        ds->focus_leaf = d.target;
        return;
    }
    if (free_nodes(ds) < 2) return;
    qel_dock_panel_detach(ds, d.panel);
    qel_rect r = qel_id_rect(ctx, f->id);
    bool across = d.zone == ZONE_LEFT || d.zone == ZONE_RIGHT;
    float share = d.drop_kind == DROP_LEAF ? 0.5f
                  : across                 ? outer_fraction(f->min_w, r.w)
                                           : outer_fraction(f->min_h, r.h);
    int32_t target = d.drop_kind == DROP_LEAF ? d.target : ds->root;
    if (target < 0 || ds->nodes[target].kind == QEL_DOCK_FREE) return new_root_with(ds, d.panel);
    split_beside(ds, d.panel, target, d.zone, share);
}

// --- Phases ---

static void start_on_press(qel_context* ctx, qel_dock_frame* f)
{
    qel_dock_drag& d = f->ds->drag;
    if (d.phase != 0 || f->narrow || !qel_mouse_pressed(ctx, 0)) return;
    uint32_t hovered = qel_hovered_id(ctx);
    for (int32_t i = 0; hovered && i < QEL_DOCK_MAX_PANELS; i++) {
        const qel_dock_panel& p = f->ds->panels[i];
        if (f->tab_id[i] != hovered || p.node < 0 || !f->live[p.node]) continue;
        qel_rect tab = qel_id_rect(ctx, hovered);
        qel_vec2 m = qel_mouse_pos(ctx);
        d = {};
        d.phase = 1;
        d.panel = i;
        d.source = p.node;
        d.target = -1;
        d.grab_x = m.x - tab.x;
        d.grab_y = m.y - tab.y;
        return;
    }
}

static void animate(qel_context* ctx, qel_dock_frame* f, bool down, const qel_rect& preview)
{
    qel_dock_drag& d = f->ds->drag;
    if (down && d.phase == 2) {
        bool target = d.drop_kind != DROP_NONE;
        if (target) {
            const float to[4] = {preview.x, preview.y, preview.w, preview.h};
            for (int32_t i = 0; i < 4; i++) {
                if (d.preview_alpha <= 0.01f) d.preview[i] = to[i];
                else qel_anim_exp(ctx, &d.preview[i], to[i], PREVIEW_SECONDS);
            }
        }
        qel_anim_exp(ctx, &d.preview_alpha, target ? 1.0f : 0.0f, FADE_SECONDS);
        qel_anim_exp(ctx, &d.buttons_alpha, 1.0f, FADE_SECONDS);
    }
    qel_anim_spring(ctx, d.ghost, d.phase == 2 ? 1.0f : 0.0f, GHOST_PERIOD, GHOST_BOUNCE);
    qel_dock_overlay* o = f->overlay;
    o->buttons_alpha = d.phase == 2 ? d.buttons_alpha : 0;
    o->preview_alpha = d.phase == 2 ? d.preview_alpha : 0;
    o->preview = {d.preview[0], d.preview[1], d.preview[2], d.preview[3]};
}

// Released: dropped, unless the release only came from the window losing focus.
static void release(qel_context* ctx, qel_dock_frame* f)
{
    if (!ctx->input.release_cancelled) drop(ctx, f);
    f->ds->drag.phase = 0;
    f->ds->drag.buttons_alpha = f->ds->drag.preview_alpha = 0;
    qel_dock_compute_live(f);
    qel_request_redraw(ctx);
}

void qel_dock_drag_update(qel_context* ctx, qel_dock_frame* f)
{
    qel_dock_drag& d = f->ds->drag;
    start_on_press(ctx, f);
    bool down = qel_mouse_down(ctx, 0);
    if (d.phase == 1 && !down) d.phase = 0;
    if (d.phase == 1 && !qel_rect_contains(grown(f->strip_rect[d.source], STRIP_SLACK), qel_mouse_pos(ctx))) {
        d.phase = 2;
        d.target = -1;
        d.drop_kind = DROP_NONE;
        d.preview_alpha = 0;
    }
    if (d.phase == 2 && qel_key_take(ctx, QEL_KEY_ESCAPE)) d.phase = 3;
    if (d.phase == 3 && !down) d.phase = 0;
    qel_rect preview = {};
    if (d.phase == 2 && down) {
        f->drag_source = d.source;
        find_target(ctx, f, &preview);
        ctx->interaction.active = f->id ^ HOLD_KEY;
        qel_set_cursor(ctx, QEL_CURSOR_MOVE);
    } else if (d.phase == 2) {
        release(ctx, f);
    }
    animate(ctx, f, down, preview);
    if (d.phase != 0 || d.ghost[0] > 0.001f) qel_request_redraw(ctx);
}

// --- Drawing ---

static qel_color faded(qel_context* ctx, qel_theme_slot slot, float alpha)
{
    return qel_color_alpha(qel_theme_color(ctx, slot), alpha);
}

static void draw_button(qel_context* ctx, const qel_dock_overlay* o, int32_t i)
{
    float a = o->buttons_alpha;
    bool hot = i == o->hovered;
    const qel_rect& r = o->buttons[i];
    const float radii[4] = {8, 8, 8, 8}, frame_radii[4] = {3, 3, 3, 3}, fill_radii[4] = {1.5f, 1.5f, 1.5f, 1.5f};
    qel_draw_elevation(ctx, &r, radii, 3, 0.6f * a);
    qel_draw_rect_bordered(ctx, &r, radii, faded(ctx, QEL_COLOR_ELEVATED, a),
                           faded(ctx, hot ? QEL_COLOR_ACCENT : QEL_COLOR_BORDER, a), 1);
    float cx = r.x + r.w / 2, cy = r.y + r.h / 2;
    qel_rect icon = {roundf(cx - 8), roundf(cy - 7), 16, 14};
    qel_draw_rect_bordered(ctx, &icon, frame_radii, 0, faded(ctx, QEL_COLOR_TEXT_MUTED, a), 1);
    qel_rect area = {icon.x + 2.5f, icon.y + 2.5f, 11, 9};
    qel_rect part = qel_dock_zone_rect(area, o->zones[i], o->outer[i] ? 0.34f : 0.5f);
    qel_color fill = hot ? faded(ctx, QEL_COLOR_ACCENT, a) : faded(ctx, QEL_COLOR_TEXT_SECONDARY, 0.55f * a);
    qel_draw_rect(ctx, &part, fill_radii, fill);
}

void qel_dock_overlay_draw(qel_context* ctx, const qel_node*, void* user)
{
    const auto* o = (const qel_dock_overlay*)user;
    float a = o->preview_alpha;
    if (a > 0.01f && o->preview.w > 0 && o->preview.h > 0) {
        qel_rect r = {o->preview.x + 3, o->preview.y + 3, o->preview.w - 6, o->preview.h - 6};
        float radius = qel_row_radius(ctx);
        const float radii[4] = {radius, radius, radius, radius};
        qel_draw_rect_bordered(ctx, &r, radii, faded(ctx, QEL_COLOR_ACCENT, 0.12f * a),
                               faded(ctx, QEL_COLOR_ACCENT, 0.55f * a), 1);
        if (o->marker) {
            const float marker_radii[4] = {1, 1, 1, 1};
            qel_draw_rect(ctx, &o->marker_rect, marker_radii, faded(ctx, QEL_COLOR_ACCENT, a));
        }
    }
    if (o->buttons_alpha > 0.01f)
        for (int32_t i = 0; i < o->button_count; i++) draw_button(ctx, o, i);
}

static void ghost(qel_context* ctx, qel_dock_frame* f)
{
    const qel_dock_drag& d = f->ds->drag;
    const qel_dock_panel& p = f->ds->panels[d.panel];
    float value = d.ghost[0];
    qel_vec2 m = qel_mouse_pos(ctx);
    int32_t layer = qel_overlay_begin(ctx, f->id ^ GHOST_KEY, GHOST_Z, 0, QEL_PLACE_AT, 0);
    qel_node* n = qel_node_at(ctx, layer);
    n->x = m.x - d.grab_x;
    n->y = m.y - d.grab_y;
    int32_t row = qel_node_pill_row(ctx, 0, 32, 12, 8, qel_row_radius(ctx));
    n = qel_node_at(ctx, row);
    n->fill = qel_color_token(QEL_COLOR_ELEVATED);
    n->border = qel_color_token(QEL_COLOR_BORDER);
    n->border_width = 1;
    n->elevation = 3;
    n->elevation_strength = value;
    n->opacity = value < 0.001f ? 0.00096f : 0.96f * fminf(value, 1);
    qel_node_push(ctx, row);
    if (p.icon[0]) qel_icon_glyph(ctx, p.icon, 14, qel_theme_color(ctx, QEL_COLOR_TEXT));
    int32_t title = qel_text_leaf(ctx, p.title, qel_label_visible_len(p.title), QEL_FONT_BODY,
                                  qel_text_body_scaled(ctx), qel_theme_color(ctx, QEL_COLOR_TEXT), false, 1.3f);
    qel_node_at(ctx, title)->max_w = 200;
    qel_node_pop(ctx);
    qel_overlay_end(ctx);
}

void qel_dock_drag_finish(qel_context* ctx, qel_dock_frame* f)
{
    qel_node* c = qel_node_at(ctx, f->container);
    c->draw = qel_dock_overlay_draw;
    c->draw_user = f->overlay;
    c->flags |= QEL_NODE_DRAW_AFTER;
    if (f->ds->drag.phase == 2) ghost(ctx, f);
}
