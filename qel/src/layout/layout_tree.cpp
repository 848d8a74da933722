// Building the frame's layout tree: nodes appended to a flat array under the current parent,
// styles applied to them, containers, spacers, overlays and floating nodes. Sizing and placing
// them is the layout passes' work.
#include <cstring>

#include "core/array_grow.h"
#include "core/core.h"
#include "qel/id.h"
#include "qel/scroll_container.h"
#include "qel/theme.h"

static const float NO_MAX = 1e9f;
static const uint32_t EMPTY_STACK_AUTO_SEED = 0x51ed270bu;

static qel_node* node_of(qel_context* ctx, int32_t index)
{
    return &ctx->tree.nodes[index];
}

// A node with its defaults, linked to nothing yet; its parent is the current one.
static int32_t append_node(qel_context* ctx, uint32_t id)
{
    qel_layout_tree* t = &ctx->tree;
    t->nodes = qel_array_grow(ctx, t->nodes, &t->capacity, t->count + 1ll);
    int32_t index = t->count++;
    qel_node* n = node_of(ctx, index);
    memset(n, 0, sizeof *n);
    n->id = id;
    n->parent = qel_node_parent(ctx);
    n->first_child = n->last_child = n->next_sibling = -1;
    n->first_floating = n->last_floating = n->origin = -1;
    n->max_w = n->max_h = NO_MAX;
    n->line_height = 1.45f;
    n->opacity = n->scale = n->elevation_strength = 1.0f;
    t->last_opened = index;
    return index;
}

// Appends the node to a list chained by next_sibling.
static void link_last(qel_context* ctx, int32_t* first, int32_t* last, int32_t index)
{
    if (*last >= 0) node_of(ctx, *last)->next_sibling = index;
    else *first = index;
    *last = index;
}

int32_t qel_node_open(qel_context* ctx, uint32_t id)
{
    int32_t index = append_node(ctx, id);
    int32_t parent = node_of(ctx, index)->parent;
    if (parent >= 0) {
        qel_node* p = node_of(ctx, parent);
        link_last(ctx, &p->first_child, &p->last_child, index);
        p->child_count++;
    }
    return index;
}

qel_node* qel_node_at(qel_context* ctx, int32_t index)
{
    return index >= 0 && index < ctx->tree.count ? node_of(ctx, index) : nullptr;
}

int32_t qel_node_parent(qel_context* ctx)
{
    const qel_layout_tree* t = &ctx->tree;
    return t->parent_depth.depth > 0 ? t->parents[t->parent_depth.depth - 1] : -1;
}

uint32_t qel_node_measured_id(qel_context* ctx, int32_t index, uint32_t key)
{
    qel_node* n = qel_node_at(ctx, index);
    if (!n) return 0;
    if (!n->id) n->id = key;
    return n->id;
}

void qel_node_push(qel_context* ctx, int32_t index)
{
    qel_layout_tree* t = &ctx->tree;
    // An index outside the tree keeps the current parent, so the matching pop stays balanced.
    if (index < 0 || index >= t->count) index = qel_node_parent(ctx);
    if (qel_stack_push(&t->parent_depth, QEL_PARENT_STACK_CAPACITY)) t->parents[t->parent_depth.depth - 1] = index;
}

void qel_node_pop(qel_context* ctx)
{
    qel_stack_pop(&ctx->tree.parent_depth, 0);
}

int32_t qel_node_sized(qel_context* ctx, uint32_t id, qel_size width, qel_size height)
{
    int32_t index = qel_node_open(ctx, id);
    qel_node* n = node_of(ctx, index);
    n->width = width;
    n->height = height;
    return index;
}

void qel_node_set_width(qel_node* node, qel_size size, float preferred)
{
    if (size.kind != QEL_SIZE_FIT) {
        node->width = size;
        return;
    }
    node->width = {QEL_SIZE_FIT, 0};
    node->preferred_width = preferred;
    node->align_self = QEL_ALIGN_OWN_SIZE;
}

int32_t qel_node_text(qel_context* ctx, const char* text, int32_t length, uint32_t font, float size,
                      qel_color color, bool wrap)
{
    if (!text) text = "", length = 0;
    if (length < 0) length = (int32_t)strlen(text);
    int32_t index = qel_node_open(ctx, 0);
    qel_node* n = node_of(ctx, index);
    n->flags = QEL_NODE_TEXT | (wrap ? QEL_NODE_WRAP_TEXT : 0u);
    n->text = qel_arena_strdup(ctx, text, length);
    n->text_length = length;
    n->font = font;
    n->font_size = size;
    n->text_color = qel_color_resolve(ctx, color);
    return index;
}

static float positive_or(float value, float fallback)
{
    return value > 0.0f ? value : fallback;
}

void qel_node_apply_style(qel_context* ctx, int32_t node, const qel_style* s)
{
    if (!s) return;
    qel_node* n = node_of(ctx, node);
    n->direction = (uint8_t)s->direction;
    n->direction_mode = s->direction_mode;
    n->width = s->width;
    n->height = s->height;
    n->align = (uint8_t)s->align;
    n->justify = (uint8_t)s->justify;
    n->min_w = positive_or(s->min_w, n->min_w);
    n->max_w = positive_or(s->max_w, n->max_w);
    n->min_h = positive_or(s->min_h, n->min_h);
    n->max_h = positive_or(s->max_h, n->max_h);
    n->grid_cell_width = positive_or(s->grid_cell_width, n->grid_cell_width);
    n->opacity = positive_or(s->opacity, n->opacity);
    float horizontal = positive_or(s->padding_x, s->padding), vertical = positive_or(s->padding_y, s->padding);
    n->pad_top = positive_or(s->padding_top, vertical);
    n->pad_bottom = positive_or(s->padding_bottom, vertical);
    n->pad_right = positive_or(s->padding_right, horizontal);
    n->pad_left = positive_or(s->padding_left, horizontal);
    n->gap = s->gap;
    n->grid_columns = (int32_t)s->grid_columns;
    if (s->wrap && s->direction == QEL_DIR_ROW) n->flags |= QEL_NODE_WRAP;
    n->fill = qel_color_resolve(ctx, s->fill);
    bool default_border = (s->border >> 24) == 0 && !qel_color_is_token(s->border);
    n->border = default_border ? qel_theme_color(ctx, QEL_COLOR_BORDER) : qel_color_resolve(ctx, s->border);
    n->border_width = s->border_width;
    n->elevation = s->elevation;
    const float corners[4] = {s->radius_top_left, s->radius_top_right, s->radius_bottom_right, s->radius_bottom_left};
    for (int i = 0; i < 4; i++) n->radii[i] = positive_or(corners[i], s->radius);
    if (s->clip) n->flags |= QEL_NODE_CLIP;
}

uint32_t qel_layout_automatic_id(qel_context* ctx)
{
    uint32_t counter = (*qel_id_stack_counter(&ctx->ids))++;
    int32_t parent = qel_node_parent(ctx);
    uint32_t parent_id = parent >= 0 ? node_of(ctx, parent)->id : 0;
    uint8_t bytes[8];
    for (int i = 0; i < 4; i++) {
        bytes[i] = (uint8_t)(counter >> (8 * i));
        bytes[4 + i] = (uint8_t)(parent_id >> (8 * i));
    }
    return qel_hash_bytes(bytes, sizeof bytes, qel_id_stack_top(&ctx->ids, EMPTY_STACK_AUTO_SEED));
}

uint32_t qel_container_begin(qel_context* ctx, const qel_style* style)
{
    uint32_t id = 0;
    bool scrolls = style && (style->scroll_x || style->scroll_y);
    if (style && style->name) id = qel_id(ctx, style->name);
    else if (scrolls) id = qel_layout_automatic_id(ctx);
    if (scrolls) {
        qel_scroll_begin(ctx, id, style, style->scroll_x != 0);
        return id;
    }
    int32_t index = qel_node_open(ctx, id);
    qel_node_apply_style(ctx, index, style);
    qel_node_push(ctx, index);
    return id;
}

void qel_container_end(qel_context* ctx)
{
    qel_node_pop(ctx);
}

static uint32_t directed_begin(qel_context* ctx, const qel_style* style, qel_direction direction)
{
    qel_style s = style ? *style : qel_style{};
    s.direction = direction;
    return qel_container_begin(ctx, &s);
}

uint32_t qel_row_begin(qel_context* ctx, const qel_style* style)
{
    return directed_begin(ctx, style, QEL_DIR_ROW);
}

uint32_t qel_column_begin(qel_context* ctx, const qel_style* style)
{
    return directed_begin(ctx, style, QEL_DIR_COLUMN);
}

static bool parent_is_row(qel_context* ctx)
{
    int32_t parent = qel_node_parent(ctx);
    return parent >= 0 && node_of(ctx, parent)->direction == QEL_DIR_ROW;
}

// A node sized `along` on the parent's main axis and `across` on the other.
static qel_node* axis_node(qel_context* ctx, qel_size along, qel_size across)
{
    bool row = parent_is_row(ctx);
    int32_t index = qel_node_sized(ctx, 0, row ? along : across, row ? across : along);
    return node_of(ctx, index);
}

void qel_spacer(qel_context* ctx)
{
    axis_node(ctx, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
}

void qel_gap(qel_context* ctx, float size)
{
    axis_node(ctx, {QEL_SIZE_FIXED, size}, {QEL_SIZE_FIXED, 0})->align_self = QEL_ALIGN_START;
}

void qel_divider(qel_context* ctx)
{
    qel_node* n = axis_node(ctx, {QEL_SIZE_FIXED, 1}, {QEL_SIZE_GROW, 1});
    n->align_self = QEL_ALIGN_STRETCH;
    n->fill = qel_theme_color(ctx, QEL_COLOR_BORDER);
}

int32_t qel_overlay_begin(qel_context* ctx, uint32_t layer, int32_t z, uint32_t anchor, uint8_t placement,
                          float gap)
{
    qel_layout_tree* t = &ctx->tree;
    int32_t index = append_node(ctx, layer);
    qel_node* n = node_of(ctx, index);
    n->flags = QEL_NODE_OVERLAY;
    n->z = z;
    n->anchor = anchor;
    n->placement = placement;
    n->anchor_gap = gap;
    n->overlay_index = t->overlay_count;
    t->overlays = qel_array_grow(ctx, t->overlays, &t->overlay_capacity, t->overlay_count + 1ll);
    t->overlays[t->overlay_count++] = index;
    qel_node_push(ctx, index);
    if (qel_stack_push(&t->layer_depth, QEL_LAYER_STACK_CAPACITY)) {
        t->layers[t->layer_depth.depth - 1] = t->current_layer;
        t->current_layer = layer;
    }
    return index;
}

void qel_overlay_end(qel_context* ctx)
{
    qel_layout_tree* t = &ctx->tree;
    qel_node_pop(ctx);
    if (qel_stack_pop(&t->layer_depth, 0)) t->current_layer = t->layers[t->layer_depth.depth];
}

int32_t qel_node_floating(qel_context* ctx, uint32_t id, float x, float y, float width, float height)
{
    int32_t index = append_node(ctx, id);
    qel_node* n = node_of(ctx, index);
    n->flags = QEL_NODE_FLOATING;
    n->width = {QEL_SIZE_FIXED, width};
    n->height = {QEL_SIZE_FIXED, height};
    n->x = x;
    n->y = y;
    if (n->parent >= 0) {
        qel_node* p = node_of(ctx, n->parent);
        link_last(ctx, &p->first_floating, &p->last_floating, index);
    }
    return index;
}

void qel_layout_tree_begin(qel_context* ctx)
{
    qel_layout_tree* t = &ctx->tree;
    t->count = 0;
    t->overlay_count = 0;
    t->parent_depth = {};
    t->layer_depth = {};
    t->current_layer = 0;
    t->last_opened = -1;
    const qel_frame_clock* c = &ctx->clock;
    int32_t root = qel_node_sized(ctx, qel_hash_str("#root", 0), {QEL_SIZE_FIXED, c->display_w},
                                  {QEL_SIZE_FIXED, c->display_h});
    qel_node* n = node_of(ctx, root);
    n->direction_mode = (uint8_t)c->root_direction;
    n->flags = QEL_NODE_CLIP;
    qel_node_push(ctx, root);
}

void qel_layout_tree_release(qel_context* ctx)
{
    qel_mem_free(ctx, ctx->tree.nodes);
    qel_mem_free(ctx, ctx->tree.overlays);
    ctx->tree = {};
}
