// The trigger field: the label column and the surface row that open a popup list or calendar,
// bordered by hover and by the open popup's focus colour.
#include "kit/field_trigger.h"

#include <cmath>

#include "core/core.h"
#include "kit/widget_nodes.h"
#include "qel/color.h"
#include "qel/input.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"

static const float PREFERRED_WIDTH = 220.0f;

int32_t qel_field_trigger_begin(qel_context* ctx, const qel_field_trigger* f)
{
    bool labelled = f->label && *f->label;
    if (labelled) {
        qel_style col = {};
        col.gap = 6;
        col.width = f->width.kind != QEL_SIZE_FIT ? f->width : qel_size{QEL_SIZE_GROW, 1};
        qel_column_begin(ctx, &col);
        qel_field_label_leaf(ctx, f->label);
    }
    float height = qel_control_height(ctx, 0);
    int32_t index = qel_node_open(ctx, f->id);
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->gap = 8;
    n->height = {QEL_SIZE_FIXED, height};
    if (labelled) n->width = {QEL_SIZE_GROW, 1};
    else qel_node_set_width(n, f->width, f->width.kind == QEL_SIZE_FIT ? PREFERRED_WIDTH : 0);
    n->pad_left = f->pad_left;
    n->pad_right = f->pad_right;
    n->fill = qel_color_token(QEL_COLOR_SURFACE);
    n->border_width = 1;
    qel_node_round(n, fminf(qel_theme_block_get(ctx)->radius_small, height / 2));
    n->border = qel_color_mix(qel_field_border_color(ctx, f->hover), qel_focus_color(ctx), f->open ? 1.0f : 0.0f);
    n->opacity = f->disabled ? 0.45f : 1.0f;
    qel_node_mark_interactive(ctx, index, QEL_INTERACT_FOCUSABLE);
    if (!f->disabled && qel_hovered_id(ctx) == f->id) qel_set_cursor(ctx, QEL_CURSOR_HAND);
    qel_node_push(ctx, index);
    return index;
}

void qel_field_trigger_end(qel_context* ctx, const qel_field_trigger* f, int32_t node, float focus_ring)
{
    qel_node_pop(ctx);
    qel_focus_ring(ctx, node, focus_ring);
    if (f->label && *f->label) qel_container_end(ctx);
}
