// Shared pieces of the picker widgets: text leaves, draw payloads, accent colours and row radii.
// The widgets themselves decide what to build.
#include "picker_nodes.h"

#include <cmath>
#include <cstring>

#include "core.h"
#include "qel/arena.h"
#include "qel/theme.h"

int32_t qel_picker_text(qel_context* ctx, const char* text, int32_t length, uint32_t font, float size,
                        qel_color color, float line_height)
{
    int32_t index = qel_node_text(ctx, text, length, font, size, color, false);
    qel_node_at(ctx, index)->line_height = line_height;
    return index;
}

void* qel_picker_payload(qel_context* ctx, const void* data, size_t size)
{
    void* copy = qel_arena_alloc(ctx, size);
    memcpy(copy, data, size);
    return copy;
}

void qel_picker_draw(qel_context* ctx, int32_t node, qel_draw_fn draw, const void* payload, size_t size, bool after)
{
    void* copy = qel_picker_payload(ctx, payload, size);
    qel_node* n = qel_node_at(ctx, node);
    if (!n) return;
    n->draw = draw;
    n->draw_user = copy;
    if (after) n->flags |= QEL_NODE_DRAW_AFTER;
}

qel_color qel_picker_accent(qel_context* ctx, uint32_t fallback_slot)
{
    return qel_theme_color(ctx, qel_theme_get_accent(ctx) ? (int32_t)QEL_COLOR_ACCENT : (int32_t)fallback_slot);
}

float qel_picker_row_radius(qel_context* ctx)
{
    return fmaxf(6.0f, ctx->theme.current.radius_medium - 6.0f);
}

float qel_picker_scaled(qel_context* ctx, float size)
{
    return size * ctx->theme.current.ui_scale;
}

bool qel_picker_dark(qel_context* ctx)
{
    return qel_theme_get_mode(ctx) == QEL_THEME_DARK;
}
