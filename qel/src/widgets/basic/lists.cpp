// List rows and virtual lists: the row's nodes and hover, the range of items a virtual list
// builds from its scroll offset and view, and the spacers that keep its scroll height. An open
// virtual list's record on the scope stack pairs its begin with its end.
#include "qel/lists.h"

#include <cmath>

#include "core/core.h"
#include "qel/anim.h"
#include "qel/badges_avatars.h"
#include "qel/font.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/scroll_container.h"
#include "qel/state.h"
#include "qel/text_units.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "kit/scopes.h"
#include "kit/widget_nodes.h"

static const uint32_t ITEM_KEY = 0x115e0008u;
static const float HOVER_SECONDS = 0.14f;
static const float DEFAULT_ITEM_HEIGHT = 36.0f, DEFAULT_VIEW = 400.0f;
static const int32_t EXTRA_ROWS = 2;

namespace {

// What an open virtual list's end call needs to reserve the space below its built rows.
struct virtual_list_scope {
    int32_t count;
    float item_height;
    int32_t first;
};

}  // namespace

// --- List rows ---

bool qel_list_item(qel_context* ctx, const char* label, const qel_list_item_opts* options)
{
    const qel_list_item_opts zero = {};
    const qel_list_item_opts* o = options ? options : &zero;
    bool two_lines = o->subtitle != nullptr;
    uint32_t id = qel_id(ctx, label) ^ ITEM_KEY;
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
    float hover = qel_anim_flash(ctx, id, it.hovered, HOVER_SECONDS);

    int32_t row = qel_node_sized(ctx, id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node* n = qel_node_at(ctx, row);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->align_self = QEL_ALIGN_STRETCH;
    n->gap = 12;
    n->pad_left = n->pad_right = 12;
    n->pad_top = n->pad_bottom = two_lines ? 10.0f : 8.0f;
    n->min_h = two_lines ? 52.0f : 38.0f;
    qel_node_selectable_row(ctx, row, id, o->selected != 0, hover, it.focused && it.focus_visible);
    qel_node_push(ctx, row);
    if (o->avatar) {
        qel_avatar_opts a = {};
        a.size = two_lines ? 34.0f : 26.0f;
        qel_avatar(ctx, o->avatar, &a);
    } else {
        qel_icon_glyph(ctx, o->icon, 16, qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY));
    }
    qel_style column = {};
    column.width = {QEL_SIZE_GROW, 1};
    column.gap = 1;
    qel_column_begin(ctx, &column);
    qel_text_leaf(ctx, label, qel_label_visible_len(label), QEL_FONT_MEDIUM, qel_text_body_scaled(ctx),
                  qel_theme_color(ctx, QEL_COLOR_TEXT), false, 1.35f);
    if (two_lines)
        qel_text_leaf(ctx, o->subtitle, -1, QEL_FONT_BODY, qel_text_small_scaled(ctx),
                      qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), false, 1.4f);
    qel_container_end(ctx);
    if (o->trailing) {
        int32_t trailing = qel_text_leaf(ctx, o->trailing, -1, QEL_FONT_BODY, qel_text_small_scaled(ctx),
                                         qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), false, 1.3f);
        qel_node_at(ctx, trailing)->flags |= QEL_NODE_TABULAR;
    }
    qel_node_pop(ctx);
    qel_set_last_item(ctx, id);
    return it.clicked;
}

// --- Virtual lists ---

static void spacer(qel_context* ctx, double height)
{
    qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, (float)height});
}

void qel_virtual_list_begin(qel_context* ctx, const char* label, int32_t count, float item_height, qel_size height,
                            int32_t* first, int32_t* last)
{
    double h = item_height > 0 ? item_height : DEFAULT_ITEM_HEIGHT;
    if (count < 0) count = 0;
    uint32_t id = qel_id(ctx, label);
    qel_style style = {};
    style.width = {QEL_SIZE_GROW, 1};
    style.height = height.kind == QEL_SIZE_FIT ? qel_size{QEL_SIZE_GROW, 1} : height;
    int32_t container = qel_scroll_begin(ctx, id, &style, false);
    const auto* scroll = (const qel_scroll_state*)qel_state_get(ctx, id, sizeof(qel_scroll_state));
    double view = scroll->view_h > 0 ? scroll->view_h : DEFAULT_VIEW;
    double offset = qel_node_at(ctx, container)->content_offset_y;

    // In doubles: at a million rows the products leave float's exact range.
    double above = floor(offset / h);
    int64_t from = (int64_t)above - EXTRA_ROWS, to = (int64_t)ceil((offset + view) / h) + EXTRA_ROWS;
    int32_t begin = (int32_t)(from > 0 ? (from < count ? from : count) : 0);
    int32_t end = (int32_t)(to < count ? to : count);
    if (end < begin) end = begin;
    if (first) *first = begin;
    if (last) *last = end;
    if (above > EXTRA_ROWS) spacer(ctx, begin * h);

    *qel_scope_push<virtual_list_scope>(ctx) = {count, (float)h, begin};
    int32_t items = qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, (float)((end - begin) * h)});
    qel_node_push(ctx, items);
}

void qel_virtual_list_end(qel_context* ctx)
{
    qel_node_pop(ctx);
    const virtual_list_scope* list = qel_scope_find<virtual_list_scope>(ctx);
    if (list) {
        qel_scope_pop<virtual_list_scope>(ctx);
        const virtual_list_scope& f = *list;
        const qel_node* container = qel_node_at(ctx, qel_node_parent(ctx));
        const qel_node* items = container ? qel_node_at(ctx, container->last_child) : nullptr;
        double built = items ? items->height.value : 0.0;
        double below = (double)f.count * f.item_height - (double)f.first * f.item_height - built;
        if (below > 0) spacer(ctx, below);
    }
    qel_scroll_end(ctx);
}
