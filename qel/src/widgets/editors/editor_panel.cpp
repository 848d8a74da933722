// The editors' panel pieces: rows, growing sizes and the Remove button, built on the layout and
// the foundation's icon button.
#include "widgets/editors/editor_panel.h"

#include "qel/button.h"
#include "qel/icons.h"

qel_size qel_editor_size(bool grow, float fixed)
{
    return grow ? qel_size{QEL_SIZE_GROW, 1} : qel_size{QEL_SIZE_FIXED, fixed};
}

void qel_editor_panel_row(qel_context* ctx, uint32_t direction)
{
    qel_style row = {};
    row.direction = direction;
    row.width = {QEL_SIZE_GROW, 1};
    row.gap = 8;
    row.align = direction == QEL_DIR_ROW ? QEL_ALIGN_CENTER : QEL_ALIGN_STRETCH;
    qel_container_begin(ctx, &row);
}

bool qel_editor_remove_button(qel_context* ctx, const char* tooltip, bool disabled)
{
    qel_button_opts remove = {};
    remove.variant = QEL_BUTTON_GHOST;
    remove.tooltip = tooltip;
    remove.disabled = disabled;
    return qel_icon_button(ctx, QEL_ICON_TRASH_2, &remove);
}
