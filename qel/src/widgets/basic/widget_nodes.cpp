// Node helpers of the basic widgets: latest node of an id, measured text widths, corners. The
// tree itself is the layout module's.
#include "widget_nodes.h"

#include <cmath>

#include "core.h"
#include "qel/text.h"

int32_t qel_node_latest_with_id(qel_context* ctx, uint32_t id)
{
    for (int32_t i = ctx->tree.count - 1; i >= 0; i--)
        if (ctx->tree.nodes[i].id == id) return i;
    return -1;
}

float qel_text_width_measured(qel_context* ctx, uint32_t font, float size, const char* text, int32_t length,
                              bool tabular)
{
    if (!text) return 0.0f;
    return ceilf(qel_text_width(ctx, (int32_t)font, size, text, length, tabular) * 4.0f) / 4.0f;
}

void qel_node_round(qel_node* node, float radius)
{
    for (float& r : node->radii) r = radius;
}
