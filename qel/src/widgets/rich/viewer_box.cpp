// The content viewers' common box, so code blocks, JSON views and editors look alike side by
// side and keep their text's order inside a right-to-left interface.
#include "viewer_box.h"

#include "core/core.h"
#include "kit/widget_nodes.h"
#include "qel/color.h"
#include "qel/font.h"
#include "qel/input.h"
#include "qel/layout.h"
#include "qel/text.h"
#include "qel/theme.h"

qel_color qel_viewer_fill(qel_context* ctx)
{
    if (!qel_dark_mode(ctx)) return qel_theme_color(ctx, QEL_COLOR_SUBTLE);
    return qel_color_mix(qel_theme_color(ctx, QEL_COLOR_SURFACE), qel_theme_color(ctx, QEL_COLOR_BACKGROUND), 0.4f);
}

int32_t qel_viewer_box_begin(qel_context* ctx, uint32_t id)
{
    int32_t box = qel_node_sized_pushed(ctx, id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node* n = qel_node_at(ctx, box);
    n->fill = qel_viewer_fill(ctx);
    n->border = qel_theme_color(ctx, QEL_COLOR_BORDER);
    n->border_width = 1;
    qel_node_round(n, ctx->theme.current.radius_small);
    n->flags |= QEL_NODE_CLIP;
    return box;
}

void qel_viewer_box_end(qel_context* ctx, int32_t box, uint32_t id)
{
    qel_node_pop(ctx);
    qel_node* n = qel_node_at(ctx, box);
    if (n->direction_mode == 0) n->direction_mode = 1;
    qel_set_last_item(ctx, id);
}

float qel_viewer_char_width(qel_context* ctx, float size)
{
    return qel_text_width(ctx, QEL_FONT_MONO, size, "0000000000000000", 16, 0) / 16;
}
