// The icon dock: the fitting of the tiles to the display, the bar, each tile's magnification,
// press and hover motion, and its drawing with the running dot and the count badge.
#include "kit/state_records.h"
#include "qel/icon_dock.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/core.h"
#include "kit/scopes.h"
#include "kit/widget_nodes.h"
#include "qel/anim.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/layout.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/theme.h"
#include "qel/tooltip.h"
#include "qel/widget_feel.h"

namespace {

// The dock open in this frame.
struct dock_record {
    uint32_t id;
    float icon, magnification, gap;
    bool hovered;
    int32_t items, separators;
};

}  // namespace

// What the dock remembers of the last frame, under its id XOR 0xd0c5.
struct dock_counts {
    int32_t items, separators;
};

// A tile's state under its id: the shared hover, press and focus motion, then its scale spring.
struct dock_item_state {
    qel_widget_motion motion;
    float scale[2];
};

struct dock_tile_payload {
    qel_color fill, glyph_color;
    const char* icon;  // frame arena
    float focus, hover;
    uint8_t running;
    int32_t badge;
};

static const uint32_t COUNTS_KEY = 0xd0c5, ITEM_SEED = 0xd0c;
static const float PI = 3.14159265f;

// Shrinks the tiles when last frame's items do not fit the display's width.
static void dock_fit(qel_context* ctx, dock_record* d, const dock_counts* last)
{
    int32_t n = last->items, m = last->separators;
    if (n < 1) return;
    float available = ctx->clock.display_w - 32 - 16 - (float)m;
    float s = std::floor((available - 8 * (float)(n + m - 1)) / (float)n);
    if (s < 36) {
        d->gap = 4;
        s = std::floor((available - 4 * (float)(n + m - 1)) / (float)n);
    }
    if (d->icon > s) {
        d->magnification = 1;
        d->icon = std::max(24.0f, s);
    }
}

// The pointer over last frame's bar, widened for the tiles that grow above it.
static bool dock_hovered(qel_context* ctx, const dock_record* d)
{
    qel_rect r = qel_id_rect(ctx, d->id);
    if (!(r.w > 0) || !qel_mouse_in_window(ctx)) return false;
    float above = (d->magnification - 1) * d->icon + 16;
    qel_rect zone = {r.x - 8, r.y - above, r.w + 16, r.h + above + 4};
    return qel_rect_contains(zone, qel_mouse_pos(ctx));
}

void qel_icon_dock_begin(qel_context* ctx, const char* id_label, const qel_icon_dock_options* options)
{
    const qel_icon_dock_options none = {};
    const qel_icon_dock_options* o = options ? options : &none;
    auto* d = qel_scope_push<dock_record>(ctx);
    d->id = qel_id(ctx, id_label);
    d->icon = o->icon_size > 0 ? o->icon_size : 46;
    d->magnification = o->magnification > 0 ? o->magnification : 1.55f;
    d->gap = 8;
    dock_fit(ctx, d, qel_state_record_of<dock_counts>(ctx, d->id ^ COUNTS_KEY, "dock_counts"));
    d->hovered = dock_hovered(ctx, d);
    bool dark = qel_dark_mode(ctx);
    qel_style s = {};
    s.direction = QEL_DIR_ROW;
    s.align = QEL_ALIGN_END;
    s.gap = d->gap;
    s.padding_top = s.padding_right = s.padding_left = 8;
    s.padding_bottom = 12;
    s.height = {QEL_SIZE_FIXED, d->icon + 20};
    s.radius = 0.5f * d->icon + 4;
    s.fill = qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_ELEVATED), dark ? 0.9f : 0.82f);
    s.border = dark ? qel_color_token(QEL_COLOR_BORDER) : 0x14000000u;
    s.border_width = 1;
    s.elevation = 3;
    int32_t bar = qel_node_open(ctx, d->id);
    qel_node_apply_style(ctx, bar, &s);
    qel_node_at(ctx, bar)->align_self = QEL_ALIGN_CENTER;
    qel_node_push(ctx, bar);
    qel_push_id(ctx, id_label);
}

static void dock_badge(qel_context* ctx, qel_rect tile, int32_t count)
{
    char text[8];
    snprintf(text, sizeof text, count > 99 ? "99+" : "%d", count);
    float size = qel_scaled(ctx, 11);
    float w = std::max(18.0f, qel_text_width(ctx, QEL_FONT_MEDIUM, size, text, -1, 0) + 10);
    qel_rect badge = {tile.x + tile.w - 0.6f * w, tile.y - 5, w, 18};
    const float radii[4] = {9, 9, 9, 9};
    qel_draw_rect_bordered(ctx, &badge, radii, qel_theme_color(ctx, QEL_COLOR_DANGER),
                           qel_theme_color(ctx, QEL_COLOR_ELEVATED), 1.5f);
    qel_draw_text_aligned(ctx, QEL_FONT_MEDIUM, size, badge.x + w / 2, badge.y + 9, 1, 0xFFFFFFFFu, text, 0);
}

static void dock_tile_draw(qel_context* ctx, const qel_node* node, void* user)
{
    auto* p = (const dock_tile_payload*)user;
    qel_rect r = node->rect;
    float radius = 0.26f * r.w;
    const float radii[4] = {radius, radius, radius, radius};
    qel_draw_rect(ctx, &r, radii, p->fill);
    qel_draw_top_highlight_small(ctx, &r, radii, 0.9f);
    if (p->hover > 0.01f) qel_draw_rect(ctx, &r, radii, qel_color_alpha(0xFFFFFFFFu, 0.08f * p->hover));
    qel_draw_text_in_rect(ctx, p->icon, &r, 0.48f * r.w, p->glyph_color);
    if (p->running)
        qel_draw_circle(ctx, {r.x + r.w / 2, r.y + r.h + 6}, 2, qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY));
    if (p->badge > 0) dock_badge(ctx, r, p->badge);
    qel_draw_focus_ring(ctx, &r, radii, p->focus);
}

// The scale a tile grows to with the pointer d tile widths away from its centre.
static float dock_target_scale(qel_context* ctx, const dock_record* d, uint32_t id)
{
    qel_rect last = qel_id_rect(ctx, id);
    if (!d->hovered || !(last.w > 0)) return 1;
    float dist = (qel_mouse_pos(ctx).x - (last.x + last.w / 2)) / (2.4f * d->icon);
    if (!(std::fabs(dist) < 1)) return 1;
    return 1 + (d->magnification - 1) * (0.5f + 0.5f * std::cos(PI * dist));
}

bool qel_icon_dock_item(qel_context* ctx, const char* icon, const char* label, const qel_icon_dock_item_options* options)
{
    auto* d = qel_scope_find<dock_record>(ctx);
    if (!d) return false;
    const qel_icon_dock_item_options none = {};
    const qel_icon_dock_item_options* o = options ? options : &none;
    int32_t index = d->items++;
    uint32_t id = qel_hash_bytes(&index, sizeof index, d->id ^ ITEM_SEED);
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
    auto* s = qel_state_record_of<dock_item_state>(ctx, id, "dock_item_state");
    if (s->scale[0] == 0 || d->magnification <= 1) s->scale[0] = 1, s->scale[1] = 0;
    float scale = qel_anim_spring(ctx, s->scale, dock_target_scale(ctx, d, id), 0.28f, 0);
    qel_widget_motion motion = qel_widget_motion_update(ctx, id, &it, 0.9f);
    float side = d->icon * scale;
    int32_t tile = qel_node_sized(ctx, id, {QEL_SIZE_FIXED, side}, {QEL_SIZE_FIXED, side});
    qel_node_at(ctx, tile)->scale = motion.press[0];
    bool dark = qel_dark_mode(ctx);
    bool colored = qel_color_arg(o->color, 0) != 0;
    dock_tile_payload p = {};
    p.fill = colored ? qel_color_resolve(ctx, o->color)
                     : dark ? qel_color_mix(qel_theme_color(ctx, QEL_COLOR_ELEVATED), qel_theme_color(ctx, QEL_COLOR_TEXT), 0.1f)
                            : qel_theme_color(ctx, QEL_COLOR_SUBTLE);
    p.glyph_color = colored ? 0xFFFFFFFFu : qel_theme_color(ctx, QEL_COLOR_TEXT);
    p.icon = qel_arena_strdup(ctx, icon, -1);
    p.focus = motion.focus;
    p.hover = motion.hover;
    p.running = o->running;
    p.badge = o->badge;
    qel_node_draw_with(ctx, tile, dock_tile_draw, &p, sizeof p, false);
    qel_node_clickable(ctx, tile, id, false);
    qel_set_last_item(ctx, id);
    if (label) qel_tooltip(ctx, label);
    if (d->hovered || std::fabs(scale - 1) > 0.001f) qel_request_redraw(ctx);
    return it.clicked;
}

void qel_icon_dock_separator(qel_context* ctx)
{
    auto* d = qel_scope_find<dock_record>(ctx);
    float height = d ? 0.7f * d->icon : 30;
    if (d) d->separators++;
    int32_t rule = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, 1}, {QEL_SIZE_FIXED, height});
    qel_node* n = qel_node_at(ctx, rule);
    n->fill = qel_color_token(QEL_COLOR_BORDER);
    n->align_self = QEL_ALIGN_CENTER;
}

void qel_icon_dock_end(qel_context* ctx)
{
    auto* d = qel_scope_find<dock_record>(ctx);
    if (!d) return;
    qel_pop_id(ctx);
    qel_node_pop(ctx);
    *qel_state_record_of<dock_counts>(ctx, d->id ^ COUNTS_KEY, "dock_counts") = {d->items, d->separators};
    qel_scope_pop<dock_record>(ctx);
    qel_set_last_item(ctx, d->id);
}
