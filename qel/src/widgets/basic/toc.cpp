// Tables of contents: anchors, the scroll-spy that picks the active entry from the last frame's
// layout, the entries with their hover, and the track with its progress and sliding indicator.
// Scrolling itself is the scroll container's.
#include "qel/toc.h"

#include <cmath>

#include "core/core.h"
#include "qel/anim.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/layout.h"
#include "qel/scroll_container.h"
#include "qel/state.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/widget_nodes.h"

enum { TOC_MAX_ENTRIES = 64 };
static const uint32_t TOC_KEY = 0x70CCu, ANCHOR_SEED = 0x70C0A7u;
static const float HOVER_SECONDS = 0.14f, PROGRESS_SECONDS = 0.08f, INDICATOR_PERIOD = 0.42f, INDICATOR_BOUNCE = 0.16f;

struct toc_state {
    float y[2], height[2];  // indicator springs
    float progress;         // as shown
    uint8_t started;
    float hover[TOC_MAX_ENTRIES];
};

struct track_record {
    float y, height, progress;
    qel_color line, done, indicator;
};

static uint32_t anchor_id(const char* name)
{
    return qel_hash_str(name ? name : "", ANCHOR_SEED);
}

int32_t qel_toc_anchor(qel_context* ctx, const char* name)
{
    int32_t index = qel_node_sized(ctx, anchor_id(name), {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, 0});
    qel_node_at(ctx, index)->align_self = QEL_ALIGN_STRETCH;
    return index;
}

static void track_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* t = (const track_record*)user;
    const qel_rect& r = node->rect;
    qel_rect whole = {r.x, r.y, 1, r.h};
    qel_draw_rect(ctx, &whole, nullptr, qel_color_resolve(ctx, t->line));
    qel_rect done = {r.x, r.y, 1, r.h * qel_unit_clamp(t->progress)};
    qel_draw_rect(ctx, &done, nullptr, qel_color_resolve(ctx, t->done));
    if (t->height <= 0) return;
    const float radii[4] = {1, 1, 1, 1};
    qel_rect bar = {r.x - 0.5f, r.y + t->y, 2, t->height};
    qel_draw_rect(ctx, &bar, radii, qel_color_resolve(ctx, t->indicator));
}

static float indent(int32_t level)
{
    if (level <= 0) return 0;
    return level >= 4 ? 48.0f : 12.0f * (float)level;
}

// The entry the reader is at: the last whose anchor is within the top 30 % of the container, or
// the last of all once the page is scrolled to its end.
static int32_t active_entry(qel_context* ctx, const qel_toc_entry* entries, int32_t shown, qel_rect box, bool at_end)
{
    if (at_end) return shown - 1;
    int32_t active = 0;
    for (int32_t i = 0; i < shown; i++) {
        qel_rect a = qel_id_rect(ctx, anchor_id(entries[i].anchor));
        if (a.w > 0 && a.y - box.y <= 0.3f * box.h + 1) active = i;
    }
    return active;
}

// One entry's row; true when clicked.
static bool toc_row(qel_context* ctx, uint32_t contents, int32_t i, const qel_toc_entry* e, bool active, float* hover)
{
    uint32_t id = qel_hash_bytes(&i, sizeof i, contents);
    qel_interaction it = qel_interact_item(ctx, id, QEL_INTERACT_FOCUSABLE, false);
    qel_anim_exp(ctx, hover, it.hovered ? 1.0f : 0.0f, HOVER_SECONDS);
    int32_t index = qel_node_sized(ctx, id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->pad_top = n->pad_bottom = 5;
    n->pad_left = indent(e->level);
    qel_node_clickable(ctx, index, id, qel_is_disabled(ctx));
    qel_node_focus_ring_full(ctx, index, it.focused && it.focus_visible);
    qel_node_push(ctx, index);
    qel_color color = active ? qel_color_token(QEL_COLOR_TEXT)
                             : qel_color_mix(qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY),
                                             qel_theme_color(ctx, QEL_COLOR_TEXT), 0.7f * *hover);
    int32_t text = qel_text_leaf(ctx, e->title, -1, active ? QEL_FONT_MEDIUM : QEL_FONT_BODY,
                                 qel_text_small_scaled(ctx), color, true, 1.4f);
    qel_node_at(ctx, text)->width = {QEL_SIZE_GROW, 1};
    qel_node_pop(ctx);
    return it.clicked;
}

int32_t qel_toc(qel_context* ctx, const char* scroll_label, const qel_toc_entry* entries, int32_t count)
{
    uint32_t scroll = qel_id(ctx, scroll_label), contents = scroll ^ TOC_KEY;
    int32_t shown = entries && count > 0 ? (count < TOC_MAX_ENTRIES ? count : TOC_MAX_ENTRIES) : 0;
    auto* view = (qel_scroll_state*)qel_state_get(ctx, scroll, sizeof(qel_scroll_state));
    qel_rect box = qel_id_rect(ctx, scroll);
    float range = view->content_h - view->view_h;
    float p = range > 1 ? qel_unit_clamp(view->scroll_y / range) : 0;
    int32_t active = shown ? active_entry(ctx, entries, shown, box, range > 1 && p >= 0.995f) : -1;
    auto* s = (toc_state*)qel_state_get(ctx, contents, sizeof(toc_state));
    qel_anim_exp(ctx, &s->progress, p, PROGRESS_SECONDS);

    qel_rect row = qel_id_rect(ctx, contents), at = active >= 0 ? qel_id_rect(ctx, qel_hash_bytes(&active, sizeof active, contents)) : qel_rect{};
    if (at.h > 0 && row.h > 0 && box.h > 0) {
        float y = at.y - row.y;
        if (!s->started) s->y[0] = y, s->height[0] = at.h, s->y[1] = s->height[1] = 0, s->started = 1;
        qel_anim_spring(ctx, s->y, y, INDICATOR_PERIOD, INDICATOR_BOUNCE);
        qel_anim_spring(ctx, s->height, at.h, INDICATOR_PERIOD, INDICATOR_BOUNCE);
    }

    int32_t node = qel_node_open(ctx, contents);
    qel_node* c = qel_node_at(ctx, node);
    c->direction = QEL_DIR_ROW;
    c->align = QEL_ALIGN_STRETCH;
    c->gap = 14;
    qel_node_push(ctx, node);
    track_record track = {s->y[0], s->started ? s->height[0] : 0, s->progress, qel_color_token(QEL_COLOR_BORDER),
                          qel_color_token(QEL_COLOR_BORDER_STRONG),
                          qel_color_token(qel_theme_get_accent(ctx) ? QEL_COLOR_ACCENT : QEL_COLOR_TEXT)};
    int32_t line = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, 1}, {QEL_SIZE_GROW, 1});
    qel_node_draw_with(ctx, line, track_draw, &track, sizeof track, false);
    qel_style list = {};
    list.width = {QEL_SIZE_GROW, 1};
    list.gap = 2;
    qel_column_begin(ctx, &list);
    int32_t result = active;
    for (int32_t i = 0; i < shown; i++) {
        if (!toc_row(ctx, contents, i, &entries[i], i == active, &s->hover[i])) continue;
        qel_rect a = qel_id_rect(ctx, anchor_id(entries[i].anchor));
        if (a.w <= 0 || box.h <= 0) continue;
        qel_scroll_to_y(ctx, scroll_label, a.y - box.y + view->scroll_y - 12);
        result = i;
    }
    qel_container_end(ctx);
    qel_node_pop(ctx);
    qel_set_last_item(ctx, contents);
    return result;
}
