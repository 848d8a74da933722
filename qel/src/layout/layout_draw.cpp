// The draw pass: paints the laid-out tree into the draw list (shadows, fills, borders, draw
// callbacks, text, clips and transforms) and registers the hit rectangles that the next frame's
// hover resolution walks. The root is drawn first, then the overlay roots by z order.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/array_grow.h"
#include "core/core.h"
#include "qel/scroll_container.h"
#include "qel/text.h"
#include "qel/text_units.h"
#include "qel/theme.h"

static const uint32_t HIT_FLAGS =
    QEL_NODE_INTERACTIVE | QEL_NODE_SCROLL_X | QEL_NODE_SCROLL_Y | QEL_NODE_BLOCKING | QEL_NODE_HOVER_OPAQUE;
static const uint32_t CLIP_FLAGS = QEL_NODE_CLIP | QEL_NODE_SCROLL_X | QEL_NODE_SCROLL_Y;
static const float ENDLESS_CONTENT = 1e6f;

static qel_node* node_of(qel_context* ctx, int32_t index)
{
    return &ctx->tree.nodes[index];
}

static qel_rect intersect(qel_rect a, qel_rect b)
{
    float x0 = fmaxf(a.x, b.x), y0 = fmaxf(a.y, b.y);
    float x1 = fminf(a.x + a.w, b.x + b.w), y1 = fminf(a.y + a.h, b.y + b.h);
    return {x0, y0, fmaxf(0.0f, x1 - x0), fmaxf(0.0f, y1 - y0)};
}

static bool overlaps(qel_rect a, qel_rect b)
{
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

void qel_transform_rect(qel_rect* out, qel_context* ctx, qel_rect r)
{
    const qel_transform* t = qel_draw_top_transform(ctx);
    if (t->scale == 1.0f && t->offset_x == 0.0f && t->offset_y == 0.0f) {
        *out = r;
        return;
    }
    float k = ctx->clock.scale, s = t->scale;
    *out = {(r.x * k * s + t->offset_x) / k, (r.y * k * s + t->offset_y) / k, r.w * s, r.h * s};
}

void qel_hit_rect_add(qel_context* ctx, uint32_t id, qel_rect r, uint32_t flags)
{
    if (!(r.w > 0.0f) || !(r.h > 0.0f)) return;
    qel_hit_list* list = &ctx->interaction.hits;
    list->rects = qel_array_grow(ctx, list->rects, &list->capacity, list->count + 1ll);
    uint32_t sequence = (uint32_t)list->count + 1;
    list->rects[list->count++] = {id, r.x, r.y, r.w, r.h, flags, ctx->tree.current_layer, sequence};
}

void qel_hit_rect_push(qel_context* ctx, uint32_t id, qel_rect r, uint32_t flags)
{
    qel_hit_rect_add(ctx, id, r, flags);
}

void qel_hit_rect_add_visible(qel_context* ctx, uint32_t id, qel_rect r, uint32_t flags)
{
    qel_rect mapped;
    qel_transform_rect(&mapped, ctx, r);
    const qel_rect* c = qel_draw_top_clip(ctx);
    float k = ctx->clock.scale;
    qel_hit_rect_add(ctx, id, intersect(mapped, {c->x / k, c->y / k, c->w / k, c->h / k}), flags);
}

void qel_hit_rect_add_clipped(qel_context* ctx, uint32_t id, qel_rect r)
{
    qel_scroll_state* s = (qel_scroll_state*)qel_state_get(ctx, id, sizeof(qel_scroll_state));
    s->view_w = r.w;
    s->view_h = r.h;
    s->content_w = r.w + ENDLESS_CONTENT;
    s->content_h = r.h + ENDLESS_CONTENT;
    qel_hit_rect_add_visible(ctx, id, r, QEL_NODE_SCROLL_X | QEL_NODE_SCROLL_Y);
}

// --- Text ---

// The icons that point along the reading direction, in pairs that swap in right-to-left.
static const uint32_t MIRRORED_ICONS[3][2] = {{0xE06E, 0xE06F}, {0xE072, 0xE073}, {0xE048, 0xE049}};

// The partner of a mirrored icon, or null when the text is not one.
static const char* mirrored_icon(qel_context* ctx, const char* text, int32_t length)
{
    uint32_t cp;
    if (length <= 0 || qel_utf8_decode((const uint8_t*)text, length, &cp) != length) return nullptr;
    for (const auto& pair : MIRRORED_ICONS) {
        if (cp != pair[0] && cp != pair[1]) continue;
        char* partner = (char*)qel_arena_alloc(ctx, 5);
        qel_utf8_encode(cp == pair[0] ? pair[1] : pair[0], (uint8_t*)partner);
        return partner;
    }
    return nullptr;
}

// Left edge of a line width wide in the node by its content alignment.
static float aligned_x(const qel_node* n, float width)
{
    float right = n->rect.x + n->rect.w - width;
    switch (n->content_align) {
    case 1: return n->rect.x + (n->rect.w - width) * 0.5f;
    case 2: return right;
    case 3: return n->rect.x;
    case 4: return n->rtl ? n->rect.x : right;
    default: return n->rtl ? right : n->rect.x;
    }
}

static bool starts_left(const qel_node* n)
{
    return n->content_align == 3 || (n->content_align == 0 && !n->rtl) || (n->content_align == 4 && n->rtl);
}

static void draw_text_node(qel_context* ctx, const qel_node* n)
{
    int32_t font = (int32_t)n->font;
    uint8_t tabular = (n->flags & QEL_NODE_TABULAR) != 0;
    float box = n->font_size * n->line_height;
    float top = n->rect.y + (box - qel_line_height(ctx, font, n->font_size)) * 0.5f;
    qel_color color = qel_color_resolve(ctx, n->text_color);
    if (n->flags & QEL_NODE_WRAP_TEXT) {
        for (int32_t i = 0; i < n->line_count; i++) {
            const qel_text_line& line = n->lines[i];
            qel_draw_text(ctx, font, n->font_size, aligned_x(n, line.width), top + (float)i * box, color,
                          n->text + line.start, line.end - line.start, tabular);
        }
        return;
    }
    const char* text = n->text;
    int32_t length = n->text_length;
    if (n->rtl && font == QEL_FONT_ICON) {
        const char* partner = mirrored_icon(ctx, text, length);
        if (partner) text = partner, length = (int32_t)strlen(partner);
    }
    for (int32_t start = 0, line = 0; start <= length; line++) {
        const char* feed = (const char*)memchr(text + start, '\n', (size_t)(length - start));
        int32_t end = feed ? (int32_t)(feed - text) : length;
        float y = top + (float)line * box;
        // A single line was measured by the layout; anything else is measured here.
        bool measured = start == 0 && end == length && text == n->text;
        float w = 0;
        if (measured) w = n->text_w;
        else if (!starts_left(n)) w = qel_text_width(ctx, font, n->font_size, text + start, end - start, tabular);
        float x = w < n->rect.w && !starts_left(n) ? aligned_x(n, w) : n->rect.x;
        if (measured && w <= n->rect.w + 0.5f)
            qel_draw_text(ctx, font, n->font_size, x, y, color, text, length, tabular);
        else
            qel_draw_text_ellipsis(ctx, font, n->font_size, x, y, n->rect.w, color, text + start, end - start,
                                   tabular);
        start = end + 1;
    }
}

// --- Nodes ---

static void draw_list_pass(qel_context* ctx, int32_t first, uint32_t on_top, qel_rect clip)
{
    for (int32_t c = first; c >= 0; c = node_of(ctx, c)->next_sibling)
        if ((node_of(ctx, c)->flags & QEL_NODE_ON_TOP) == on_top) qel_layout_draw_node(ctx, c, clip);
}

// Floating children first, then the others; those on top (floating ones too, such as a split
// pane's grip over its panes) after all the rest.
static void draw_children(qel_context* ctx, const qel_node* n, qel_rect clip)
{
    for (uint32_t on_top : {0u, (uint32_t)QEL_NODE_ON_TOP}) {
        draw_list_pass(ctx, n->first_floating, on_top, clip);
        draw_list_pass(ctx, n->first_child, on_top, clip);
    }
}

static void call_draw(qel_context* ctx, int32_t index)
{
    qel_node* n = node_of(ctx, index);
    if (n->draw) n->draw(ctx, n, n->draw_user);
}

void qel_layout_draw_node(qel_context* ctx, int32_t index, qel_rect clip)
{
    qel_node* n = node_of(ctx, index);
    qel_rect mapped;
    qel_transform_rect(&mapped, ctx, n->rect);
    bool has_area = n->rect.w > 0 && n->rect.h > 0;
    if (!(n->flags & QEL_NODE_OVERLAY) && has_area && !overlaps(mapped, clip)) return;
    bool transformed = n->opacity < 0.999f || n->scale != 1.0f || n->translate_x != 0 || n->translate_y != 0;
    if (transformed) {
        qel_draw_push_transform(ctx, n->scale, n->rect.x + n->rect.w * 0.5f, n->rect.y + n->rect.h * 0.5f,
                                n->opacity, n->translate_x, n->translate_y);
        qel_transform_rect(&mapped, ctx, n->rect);
    }
    if (n->flags & HIT_FLAGS)
        qel_hit_rect_push(ctx, n->id, n->flags & QEL_NODE_BLOCKING ? mapped : intersect(mapped, clip), n->flags);
    if (n->elevation > 0) qel_draw_elevation(ctx, &n->rect, n->radii, n->elevation, n->elevation_strength);
    qel_color fill = qel_color_resolve(ctx, n->fill), border = qel_color_resolve(ctx, n->border);
    bool border_shows = n->border_width > 0 && (border >> 24) != 0;
    bool border_after = border_shows && (n->flags & QEL_NODE_CLIP);
    if (border_shows && !border_after) qel_draw_rect_bordered(ctx, &n->rect, n->radii, fill, border, n->border_width);
    else qel_draw_rect(ctx, &n->rect, n->radii, fill);
    if (qel_theme_get_mode(ctx) == QEL_THEME_DARK && n->elevation > 0 && (fill >> 24) >= 201)
        qel_draw_top_highlight(ctx, &n->rect, n->radii, n->elevation == 1 ? 0.045f : 0.085f);
    if (!(n->flags & QEL_NODE_DRAW_AFTER)) call_draw(ctx, index);
    n = node_of(ctx, index);
    if (n->flags & QEL_NODE_TEXT) draw_text_node(ctx, n);
    bool clips = (n->flags & CLIP_FLAGS) != 0;
    if (clips) {
        qel_draw_push_clip(ctx, &n->rect);
        clip = intersect(clip, mapped);
    }
    draw_children(ctx, n, clip);
    if (clips) qel_draw_pop_clip(ctx);
    n = node_of(ctx, index);
    if (border_after) qel_draw_rect_bordered(ctx, &n->rect, n->radii, 0, border, n->border_width);
    if (n->flags & QEL_NODE_DRAW_AFTER) call_draw(ctx, index);
    n = node_of(ctx, index);
    if ((n->flags & (QEL_NODE_SCROLL_X | QEL_NODE_SCROLL_Y)) && n->id) qel_scroll_decorations(ctx, n, n->rect);
    if (transformed) qel_draw_pop_transform(ctx);
}

void qel_layout_draw(qel_context* ctx)
{
    qel_layout_tree* t = &ctx->tree;
    if (t->count == 0) return;
    qel_rect display = {0, 0, ctx->clock.display_w, ctx->clock.display_h};
    t->current_layer = 0;
    qel_layout_draw_node(ctx, 0, display);
    int32_t* order = (int32_t*)qel_arena_alloc(ctx, (size_t)t->overlay_count * sizeof(int32_t));
    std::copy(t->overlays, t->overlays + t->overlay_count, order);
    std::stable_sort(order, order + t->overlay_count,
                     [ctx](int32_t a, int32_t b) { return node_of(ctx, a)->z < node_of(ctx, b)->z; });
    for (int32_t k = 0; k < t->overlay_count; k++) {
        t->current_layer = node_of(ctx, order[k])->id;
        qel_layout_draw_node(ctx, order[k], display);
    }
    t->current_layer = 0;
}
