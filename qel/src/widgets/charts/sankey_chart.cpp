// The Sankey diagram: the layout of columns, scale, nodes and ribbon ends, the hit test of nodes
// and ribbons, and the drawing of ribbons, nodes and their labels.
#include "qel/sankey_chart.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "widgets/charts/chart_parts.h"
#include "core/core.h"
#include "qel/arena.h"
#include "qel/chart_values.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/text.h"
#include "qel/theme.h"
#include "kit/widget_nodes.h"

static const float GAP = 14, DEFAULT_HEIGHT = 300, DEFAULT_NODE_WIDTH = 12;
static const int32_t RIBBON_STEPS = 28;

// n zeroed elements (at least one) in the frame arena.
template <class T>
static T* arena_array(qel_context* ctx, int32_t n)
{
    return (T*)qel_arena_alloc(ctx, sizeof(T) * (size_t)std::max(n, 1));
}

static const char* label_of(const char* const* labels, int32_t i)
{
    return labels && labels[i] ? labels[i] : "";
}

static float flow(const qel_sankey_layout* l, int32_t i)
{
    return std::fmax(l->inflow[i], l->outflow[i]);
}

static void keep_links(qel_context* ctx, const qel_sankey_link* links, int32_t count, qel_sankey_layout* l)
{
    l->links = arena_array<qel_sankey_link>(ctx, count);
    for (int32_t k = 0; k < count; k++) {
        const qel_sankey_link& s = links[k];
        if (s.source < 0 || s.source >= l->node_count || s.target < 0 || s.target >= l->node_count ||
            s.source == s.target || !(s.value > 0))
            continue;
        l->links[l->link_count++] = s;
        l->inflow[s.target] += s.value;
        l->outflow[s.source] += s.value;
    }
}

// Each target one column right of its furthest source; a cycle stops at the last possible column.
static void columns(qel_sankey_layout* l)
{
    for (int32_t pass = 0; pass < l->node_count; pass++) {
        bool changed = false;
        for (int32_t k = 0; k < l->link_count; k++) {
            int32_t s = l->links[k].source, t = l->links[k].target;
            if (l->column[s] >= l->column[t] && l->column[s] + 1 < l->node_count) {
                l->column[t] = l->column[s] + 1;
                changed = true;
            }
        }
        if (!changed) break;
    }
    for (int32_t i = 0; i < l->node_count; i++) l->last_column = std::max(l->last_column, l->column[i]);
}

static void sink_ranks(qel_sankey_layout* l)
{
    for (int32_t i = 0; i < l->node_count; i++) l->sink_rank[i] = -1;
    for (int32_t rank = 0;; rank++) {
        int32_t best = -1;
        for (int32_t i = 0; i < l->node_count; i++)
            if (l->sink_rank[i] < 0 && l->outflow[i] <= 0 && l->inflow[i] > 0 &&
                (best < 0 || l->inflow[i] > l->inflow[best]))
                best = i;
        if (best < 0) return;
        l->sink_rank[best] = rank;
    }
}

static float right_margin(qel_context* ctx, const qel_sankey_layout* l, const char* format)
{
    float fs = qel_chart_xs_size(ctx), m = 0;
    for (int32_t i = 0; l->last_column > 0 && i < l->node_count; i++) {
        if (l->column[i] != l->last_column || !(flow(l, i) > 0)) continue;
        m = std::fmax(m, qel_text_width(ctx, QEL_FONT_MEDIUM, fs, label_of(l->labels, i), -1, 0) + 6 +
                             qel_text_width(ctx, QEL_FONT_BODY, fs, qel_chart_format_value(ctx, format, flow(l, i)),
                                            -1, 1) + 10);
    }
    return m;
}

static void place_nodes(qel_context* ctx, const qel_rect* r, float node_width, float shared_width,
                        qel_sankey_layout* l)
{
    int32_t columns_used = l->last_column + 1;
    auto* sum = arena_array<float>(ctx, columns_used);
    auto* count = arena_array<int32_t>(ctx, columns_used);
    for (int32_t i = 0; i < l->node_count; i++) {
        sum[l->column[i]] += flow(l, i);
        count[l->column[i]]++;
    }
    bool any = false;
    for (int32_t c = 0; c < columns_used; c++) {
        if (count[c] < 1 || !(sum[c] > 0)) continue;
        float s = (r->h - (float)(count[c] - 1) * GAP) / sum[c];
        l->scale = any ? std::fmin(l->scale, s) : s;
        any = true;
    }
    l->scale = std::fmax(l->scale, 0.0f);
    auto* y = arena_array<float>(ctx, columns_used);
    for (int32_t c = 0; c < columns_used; c++)
        y[c] = r->y + (r->h - (sum[c] * l->scale + (float)std::max(count[c] - 1, 0) * GAP)) / 2;
    for (int32_t i = 0; i < l->node_count; i++) {
        int32_t c = l->column[i];
        float x = l->last_column > 0 ? r->x + (float)c * shared_width / (float)l->last_column : r->x;
        l->nodes[i] = {x, y[c], node_width, std::fmax(2.0f, flow(l, i) * l->scale)};
        y[c] += flow(l, i) * l->scale + GAP;
    }
}

// Ribbons leave a node ordered by where they arrive, and arrive ordered by where they come from.
static void ribbon_ends(qel_context* ctx, qel_sankey_layout* l)
{
    auto* order = arena_array<int32_t>(ctx, l->link_count);
    auto* used = arena_array<float>(ctx, l->node_count);
    std::iota(order, order + l->link_count, 0);
    auto by = [l](bool source) {
        return [l, source](int32_t a, int32_t b) {
            const qel_sankey_link &la = l->links[a], &lb = l->links[b];
            return l->nodes[source ? la.source : la.target].y < l->nodes[source ? lb.source : lb.target].y;
        };
    };
    std::stable_sort(order, order + l->link_count, by(false));
    for (int32_t k = 0; k < l->link_count; k++) {
        const qel_sankey_link& s = l->links[order[k]];
        l->source_y[order[k]] = l->nodes[s.source].y + used[s.source];
        used[s.source] += s.value * l->scale;
    }
    std::fill(used, used + l->node_count, 0.0f);
    std::stable_sort(order, order + l->link_count, by(true));
    for (int32_t k = 0; k < l->link_count; k++) {
        const qel_sankey_link& s = l->links[order[k]];
        l->target_y[order[k]] = l->nodes[s.target].y + used[s.target];
        used[s.target] += s.value * l->scale;
    }
}

void qel_chart_sankey_layout(qel_context* ctx, const qel_rect* r, const char* const* labels, int32_t node_count,
                             const qel_sankey_link* links, int32_t link_count, float node_width, const char* format,
                             qel_sankey_layout* out)
{
    qel_sankey_layout* l = out;
    *l = {};
    l->node_count = std::max(node_count, 0);
    l->labels = labels;
    l->inflow = arena_array<float>(ctx, l->node_count);
    l->outflow = arena_array<float>(ctx, l->node_count);
    l->column = arena_array<int32_t>(ctx, l->node_count);
    l->sink_rank = arena_array<int32_t>(ctx, l->node_count);
    l->nodes = arena_array<qel_rect>(ctx, l->node_count);
    keep_links(ctx, links, links ? std::max(link_count, 0) : 0, l);
    l->source_y = arena_array<float>(ctx, l->link_count);
    l->target_y = arena_array<float>(ctx, l->link_count);
    columns(l);
    float shared = r->w - (l->last_column > 0 ? right_margin(ctx, l, format) : 0) - node_width;
    sink_ranks(l);
    place_nodes(ctx, r, node_width, shared, l);
    ribbon_ends(ctx, l);
}

static float ribbon_top(float y0, float y1, float u)
{
    return y0 + (y1 - y0) * u * u * (3 - 2 * u);
}

// A drawn node (its rectangle widened a little), else a ribbon offset by the node count; -1 none.
static int32_t hit_item(const qel_sankey_layout* l, qel_vec2 m)
{
    int32_t hit = -1;
    for (int32_t i = 0; i < l->node_count; i++) {
        const qel_rect& n = l->nodes[i];
        if (flow(l, i) > 0 && m.x >= n.x - 4 && m.x < n.x + n.w + 4 && m.y >= n.y - 2 && m.y < n.y + n.h + 2) hit = i;
    }
    if (hit >= 0) return hit;
    for (int32_t k = 0; k < l->link_count; k++) {
        const qel_sankey_link& s = l->links[k];
        float x0 = l->nodes[s.source].x + l->nodes[s.source].w, x1 = l->nodes[s.target].x;
        if (!(x0 < x1) || m.x < x0 || m.x > x1) continue;
        float top = ribbon_top(l->source_y[k], l->target_y[k], (m.x - x0) / (x1 - x0));
        if (m.y >= top && m.y <= top + std::fmax(3.0f, s.value * l->scale)) hit = l->node_count + k;
    }
    return hit;
}

static qel_color ranked_color(qel_context* ctx, int32_t rank, qel_theme_slot otherwise)
{
    return rank >= 0 ? qel_chart_indexed_color(ctx, 0, rank) : qel_theme_color(ctx, otherwise);
}

static void fill_tip(qel_context* ctx, const qel_sankey_layout* l, const char* format, qel_chart_view* view)
{
    qel_chart_tip* tip = &view->tip;
    int32_t i = view->hovered;
    if (i < l->node_count) {
        tip->title = label_of(l->labels, i);
        if (l->inflow[i] > 0) qel_chart_tip_add(tip, "In", qel_chart_format_value(ctx, format, l->inflow[i]), 0);
        if (l->outflow[i] > 0) qel_chart_tip_add(tip, "Out", qel_chart_format_value(ctx, format, l->outflow[i]), 0);
        return;
    }
    const qel_sankey_link& s = l->links[i - l->node_count];
    tip->title = qel_arena_sprintf(ctx, "%s \u2192 %s", label_of(l->labels, s.source), label_of(l->labels, s.target));
    qel_chart_tip_add(tip, "Flow", qel_chart_format_value(ctx, format, s.value),
                      ranked_color(ctx, l->sink_rank[s.target], QEL_COLOR_TEXT_MUTED));
    if (l->outflow[s.source] > 0)
        qel_chart_tip_add(tip, "Of the source", qel_chart_percent_text(ctx, s.value, l->outflow[s.source]), 0);
}

int32_t qel_sankey_chart(qel_context* ctx, const char* label, const char* const* node_labels, int32_t node_count,
                         const qel_sankey_link* links, int32_t link_count, const qel_sankey_options* options)
{
    const qel_sankey_options none = {};
    const qel_sankey_options* o = options ? options : &none;
    qel_chart_entry e = qel_chart_entry_begin(ctx, label);
    auto* p = (qel_sankey_payload*)qel_arena_alloc(ctx, sizeof(qel_sankey_payload));
    p->node_count = std::max(node_count, 0);
    p->link_count = links ? std::max(link_count, 0) : 0;
    p->labels = node_labels;
    p->links = arena_array<qel_sankey_link>(ctx, p->link_count);
    if (p->link_count) std::copy(links, links + p->link_count, p->links);
    p->format = qel_arena_strdup(ctx, o->format, -1);
    p->node_width = o->node_width > 0 ? o->node_width : DEFAULT_NODE_WIDTH;
    float height = o->height > 0 ? o->height : DEFAULT_HEIGHT;
    qel_rect area = e.rect.w > 0 ? e.rect : qel_rect{0, 0, 600, height};
    qel_sankey_layout l;
    qel_chart_sankey_layout(ctx, &area, p->labels, p->node_count, p->links, p->link_count, p->node_width, p->format,
                            &l);
    int32_t hit = qel_chart_entry_hovering(&e) ? hit_item(&l, e.pointer) : -1;
    qel_chart_entry_view(ctx, &e, hit, l.node_count + l.link_count, &p->view);
    if (p->view.hovered >= 0) fill_tip(ctx, &l, p->format, &p->view);
    qel_size width = o->width.kind ? o->width : qel_size{QEL_SIZE_GROW, 1};
    qel_chart_entry_node(ctx, &e, width, {QEL_SIZE_FIXED, height}, qel_sankey_chart_draw, p, true);
    int32_t clicked = qel_chart_entry_clicked(&e);
    return clicked < p->node_count ? clicked : -1;
}

struct sankey_look {
    bool active, dark;
    float fade, fs;
    int32_t node, ribbon;  // hovered, -1 none
};

static void draw_ribbon(qel_context* ctx, const qel_sankey_layout* l, const sankey_look& k, int32_t i, float grown)
{
    const qel_sankey_link& s = l->links[i];
    int32_t rank = l->sink_rank[s.target];
    float a = rank >= 0 ? (k.dark ? 0.38f : 0.3f) : (k.dark ? 0.26f : 0.2f);
    if (k.active) {
        bool lit = k.ribbon == i || k.node == s.source || k.node == s.target;
        a += ((lit ? 0.6f : 0.1f) - a) * k.fade;
    }
    qel_color c = qel_color_alpha(ranked_color(ctx, rank, QEL_COLOR_TEXT_MUTED), a);
    float x0 = l->nodes[s.source].x + l->nodes[s.source].w, x1 = l->nodes[s.target].x, h = s.value * l->scale;
    qel_triangle_vertex v[2 * (RIBBON_STEPS + 1)];
    uint32_t idx[6 * RIBBON_STEPS];
    for (int32_t j = 0; j <= RIBBON_STEPS; j++) {
        float u = (float)j / RIBBON_STEPS * grown, x = x0 + (x1 - x0) * u;
        float top = ribbon_top(l->source_y[i], l->target_y[i], u);
        v[2 * j] = {x, top, c};
        v[2 * j + 1] = {x, top + h, c};
    }
    for (uint32_t j = 0; j < RIBBON_STEPS; j++) {
        const uint32_t quad[6] = {2 * j, 2 * j + 1, 2 * j + 2, 2 * j + 1, 2 * j + 3, 2 * j + 2};
        std::copy(quad, quad + 6, idx + 6 * j);
    }
    qel_draw_triangles(ctx, v, 2 * (RIBBON_STEPS + 1), idx, 6 * RIBBON_STEPS);
}

// The room before the next column's first drawn node, 1e9 when none.
static float free_room(const qel_sankey_layout* l, int32_t i, float lx)
{
    float room = 1e9f;
    for (int32_t j = 0; j < l->node_count; j++)
        if (l->column[j] == l->column[i] + 1 && flow(l, j) > 0) room = std::fmin(room, l->nodes[j].x - lx - 6);
    return room;
}

static void draw_label(qel_context* ctx, const qel_sankey_layout* l, const sankey_look& k, const char* format,
                       int32_t i)
{
    const qel_rect& n = l->nodes[i];
    float lx = n.x + n.w + 8, ly = n.y + n.h / 2;
    const char* name = label_of(l->labels, i);
    const char* value = qel_chart_format_value(ctx, format, flow(l, i));
    float nw = qel_text_width(ctx, QEL_FONT_MEDIUM, k.fs, name, -1, 0);
    float vw = qel_text_width(ctx, QEL_FONT_BODY, k.fs, value, -1, 1);
    qel_color text = qel_theme_color(ctx, QEL_COLOR_TEXT), muted = qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED);
    qel_color pill = qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_SURFACE), k.dark ? 0.5f : 0.7f);
    const float radii[4] = {6, 6, 6, 6};
    bool last = l->column[i] == l->last_column;
    float room = last ? 1e9f : free_room(l, i, lx);
    if (nw + 6 + vw <= room) {
        qel_rect back = {lx - 4, ly - 9, nw + vw + 14, 18};
        if (!last) qel_draw_rect(ctx, &back, radii, pill);
        qel_draw_text_aligned(ctx, QEL_FONT_MEDIUM, k.fs, lx, ly, 0, text, name, 0);
        qel_draw_text_aligned(ctx, QEL_FONT_BODY, k.fs, lx + nw + 6, ly, 0, muted, value, 1);
        return;
    }
    room = std::fmax(room, 8.0f);
    qel_rect back = {lx - 4, ly - 16, std::fmin(std::fmax(nw, vw), room) + 8, 32};
    qel_draw_rect(ctx, &back, radii, pill);
    float line = qel_line_height(ctx, QEL_FONT_MEDIUM, k.fs);
    qel_draw_text_ellipsis(ctx, QEL_FONT_MEDIUM, k.fs, lx, ly - 7 - line / 2, room, text, name, -1, 0);
    qel_draw_text_ellipsis(ctx, QEL_FONT_BODY, k.fs, lx, ly + 7 - line / 2, room, muted, value, -1, 1);
}

void qel_sankey_chart_draw(qel_context* ctx, const qel_node* node, void* user)
{
    auto* p = (const qel_sankey_payload*)user;
    qel_sankey_layout l;
    qel_chart_sankey_layout(ctx, &node->rect, p->labels, p->node_count, p->links, p->link_count, p->node_width,
                            p->format, &l);
    sankey_look k = {};
    k.active = p->view.hovered >= 0;
    k.fade = p->view.tip_alpha;
    k.dark = qel_dark_mode(ctx);
    k.fs = qel_chart_xs_size(ctx);
    k.node = k.active && p->view.hovered < l.node_count ? p->view.hovered : -1;
    k.ribbon = k.active && p->view.hovered >= l.node_count ? p->view.hovered - l.node_count : -1;
    float grown = std::clamp(p->view.intro, 0.0f, 1.0f);
    for (int32_t i = 0; i < l.link_count; i++) draw_ribbon(ctx, &l, k, i, grown);
    const float radii[4] = {3, 3, 3, 3};
    for (int32_t i = 0; i < l.node_count; i++) {
        if (!(flow(&l, i) > 0)) continue;
        qel_color c = ranked_color(ctx, l.sink_rank[i], QEL_COLOR_BORDER_STRONG);
        if (k.node >= 0 && k.node != i) c = qel_color_mix(c, qel_theme_color(ctx, QEL_COLOR_SURFACE), k.fade * 0.3f);
        qel_draw_rect(ctx, &l.nodes[i], radii, c);
    }
    for (int32_t i = 0; i < l.node_count; i++)
        if (flow(&l, i) > 0) draw_label(ctx, &l, k, p->format, i);
    if (p->view.hovered >= 0 && p->view.tip.title) qel_chart_tooltip(ctx, &p->view.tip);
}
