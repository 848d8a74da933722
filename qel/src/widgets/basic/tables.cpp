// Tables: the outer frame with its sideways scroller, the header row with sorting, rows with
// zebra, hover and selection, cells sized by their columns, and the chain of open tables in the
// context. What the cells hold is the caller's; the scrollers are the scroll container's.
#include "qel/tables.h"

#include "core/core.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/color.h"
#include "qel/font.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/scroll_container.h"
#include "qel/state.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/scopes.h"
#include "kit/widget_nodes.h"

static const uint32_t SCROLL_KEY = 0x7ab1e5u, HEADER_KEY = 0x4eadu, ROW_KEY = 0x20bu;
static const float LOOSE_COLUMN = 96.0f, CONTENT_SLACK = 16.0f;
static const float HOVER_SECONDS = 0.1f;
static const char SORTED_DOWN_GLYPH[] = QEL_ICON_ARROW_DOWN;
static const char SORTED_UP_GLYPH[] = QEL_ICON_ARROW_UP;
static const char UNSORTED_GLYPH[] = QEL_ICON_CHEVRONS_UP_DOWN;

static qel_size cell_width(const qel_table_column& c)
{
    return c.width.kind != QEL_SIZE_FIT ? c.width : qel_size{QEL_SIZE_GROW, 1};
}

static uint32_t indexed_id(int32_t index, uint32_t seed)
{
    return qel_hash_bytes(&index, sizeof index, seed);
}

static void divider(qel_context* ctx, qel_color color)
{
    int32_t line = qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, 1});
    qel_node_at(ctx, line)->fill = color;
}

// --- The frame and the header ---

static float content_width(const qel_table_column* columns, int32_t count)
{
    float width = CONTENT_SLACK;
    for (int32_t i = 0; i < count; i++)
        width += columns[i].width.kind == QEL_SIZE_FIXED ? columns[i].width.value : LOOSE_COLUMN;
    return width;
}

static void frame_nodes(qel_context* ctx, uint32_t id, const qel_table_column* columns, int32_t count, qel_size height)
{
    bool fixed = height.kind != QEL_SIZE_FIT;
    int32_t outer = qel_node_sized(ctx, id, {QEL_SIZE_GROW, 1}, fixed ? height : qel_size{QEL_SIZE_FIT, 0});
    qel_node* n = qel_node_at(ctx, outer);
    n->align_self = QEL_ALIGN_STRETCH;
    n->border_width = 1;
    n->border = qel_theme_color(ctx, QEL_COLOR_BORDER);
    n->fill = qel_theme_color(ctx, QEL_COLOR_SURFACE);
    n->flags |= QEL_NODE_CLIP;
    qel_node_round(n, ctx->theme.current.radius_small);
    qel_color fill = n->fill;
    qel_node_push(ctx, outer);

    qel_style style = {};
    style.width = {QEL_SIZE_GROW, 1};
    if (fixed) style.height = {QEL_SIZE_GROW, 1};
    qel_scroll_strip_begin(ctx, id ^ SCROLL_KEY, &style, fill);

    int32_t column = qel_node_open(ctx, 0);
    n = qel_node_at(ctx, column);
    n->preferred_width = content_width(columns, count);
    n->align_self = QEL_ALIGN_STRETCH;
    if (fixed) n->height = {QEL_SIZE_GROW, 1};
    qel_node_push(ctx, column);
}

// A click on a new column sorts it ascending; on the sorted one it turns the order round.
static void header_cell(qel_context* ctx, uint32_t table, int32_t i, const qel_table_column& c, qel_table_sort* sort)
{
    uint32_t id = indexed_id(i, table ^ HEADER_KEY);
    bool sorting = c.sortable && sort;
    qel_interaction it = {};
    if (sorting) {
        it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
        if (it.clicked && sort->column != (uint32_t)i) *sort = {(uint32_t)i, 0};
        else if (it.clicked) sort->descending = !sort->descending;
    }
    bool sorted = sorting && sort->column == (uint32_t)i;

    int32_t cell = qel_node_sized(ctx, id, cell_width(c), {QEL_SIZE_GROW, 1});
    qel_node* n = qel_node_at(ctx, cell);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->gap = 4;
    n->pad_left = n->pad_right = 8;
    n->content_align = (uint8_t)c.align;
    if (sorting) qel_node_clickable(ctx, cell, id, false);
    qel_node_push(ctx, cell);
    qel_color title = qel_theme_color(ctx, sorted || it.hovered ? QEL_COLOR_TEXT : QEL_COLOR_TEXT_SECONDARY);
    qel_text_leaf(ctx, c.title, -1, QEL_FONT_MEDIUM, qel_text_small_scaled(ctx), title, false, 1.3f);
    if (sorted) qel_icon_glyph(ctx, sort->descending ? SORTED_DOWN_GLYPH : SORTED_UP_GLYPH, 12, qel_theme_color(ctx, QEL_COLOR_TEXT));
    else if (sorting) qel_icon_glyph(ctx, UNSORTED_GLYPH, 12, qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED));
    qel_node_pop(ctx);
}

static void header_row(qel_context* ctx, uint32_t table, const qel_table_column* columns, int32_t count,
                       qel_table_sort* sort)
{
    int32_t row = qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, 38});
    qel_node* n = qel_node_at(ctx, row);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->pad_left = n->pad_right = 8;
    n->fill = qel_theme_color(ctx, QEL_COLOR_SUBTLE);
    n->radii[0] = n->radii[1] = ctx->theme.current.radius_small - 1;
    qel_node_push(ctx, row);
    for (int32_t i = 0; i < count; i++) header_cell(ctx, table, i, columns[i], sort);
    qel_node_pop(ctx);
}

bool qel_table_begin(qel_context* ctx, const char* label, const qel_table_column* columns, int32_t count,
                     const qel_table_opts* options)
{
    const qel_table_opts zero = {};
    const qel_table_opts* o = options ? options : &zero;
    if (!columns || count < 0) count = 0;
    uint32_t id = qel_id(ctx, label);
    auto* r = qel_scope_push<qel_table_record>(ctx);
    *r = {id, columns, count, 0, 0, 0, o->compact, o->zebra, o->clickable_rows, 0};
    qel_push_id(ctx, label);

    frame_nodes(ctx, id, columns, count, o->height);
    header_row(ctx, id, columns, count, o->sort);
    divider(ctx, qel_theme_color(ctx, QEL_COLOR_BORDER));
    if (o->height.kind != QEL_SIZE_FIT) {
        qel_style body = {};
        body.width = {QEL_SIZE_GROW, 1};
        body.height = {QEL_SIZE_GROW, 1};
        qel_scroll_begin(ctx, qel_id(ctx, "#body"), &body, false);
        r->body_open = 1;
    }
    return true;
}

// --- Rows and cells ---

bool qel_table_next_row(qel_context* ctx, bool selected)
{
    qel_table_record* r = qel_scope_find<qel_table_record>(ctx);
    if (!r) return false;
    if (r->row_open) qel_table_flush_cells(ctx, r);
    if (r->rows > 0) divider(ctx, qel_theme_color(ctx, QEL_COLOR_BORDER_SUBTLE));

    int32_t index = r->rows;
    uint32_t id = indexed_id(index, r->id ^ ROW_KEY);
    qel_interaction it = qel_interact(ctx, id, r->clickable_rows ? QEL_INTERACT_FOCUSABLE : 0u);
    float hover = qel_anim_flash(ctx, id, it.hovered, HOVER_SECONDS);

    int32_t row = qel_node_sized(ctx, id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node* n = qel_node_at(ctx, row);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->min_h = r->compact ? 36.0f : 44.0f;
    n->pad_left = n->pad_right = 8;
    qel_color base = r->zebra && index % 2 == 1 ? qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_TEXT), 0.018f) : 0u;
    n->fill = selected ? qel_theme_color(ctx, QEL_COLOR_ACCENT_TINT)
                       : qel_color_mix(base, qel_theme_color(ctx, QEL_COLOR_HOVER), hover);
    if (r->clickable_rows) qel_node_clickable(ctx, row, id, false);
    else qel_node_mark_interactive(ctx, row, 0);
    qel_node_push(ctx, row);
    r->row_open = 1;
    r->cell = 0;
    r->rows++;
    return it.clicked;
}

void qel_table_next_cell(qel_context* ctx)
{
    qel_table_record* r = qel_scope_find<qel_table_record>(ctx);
    if (!r || !r->row_open) return;
    if (r->cell > 0) qel_node_pop(ctx);
    r->cell++;
    if (r->cell > r->column_count) {
        qel_node_push(ctx, qel_node_open(ctx, 0));  // surplus content, kept but unstyled
        return;
    }
    const qel_table_column& c = r->columns[r->cell - 1];
    int32_t cell = qel_node_sized(ctx, 0, cell_width(c), {QEL_SIZE_FIT, 0});
    qel_node* n = qel_node_at(ctx, cell);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->gap = 8;
    n->flags |= QEL_NODE_CLIP;
    n->content_align = (uint8_t)c.align;
    n->pad_top = n->pad_bottom = 6;
    n->pad_left = n->pad_right = 8;
    qel_node_push(ctx, cell);
}

void qel_table_cell_text(qel_context* ctx, const char* text)
{
    qel_table_next_cell(ctx);
    const qel_table_record* r = qel_scope_find<qel_table_record>(ctx);
    int32_t index = qel_text_leaf(ctx, text, -1, QEL_FONT_BODY, qel_text_body_scaled(ctx),
                                  qel_theme_color(ctx, QEL_COLOR_TEXT), false, 1.3f);
    bool right = r && r->row_open && r->cell <= r->column_count && r->columns[r->cell - 1].align == 2;
    if (right) qel_node_at(ctx, index)->flags |= QEL_NODE_TABULAR;
}

void qel_table_cell_textf(qel_context* ctx, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const char* text = qel_arena_vsprintf(ctx, format, args);
    va_end(args);
    qel_table_cell_text(ctx, text);
}

void qel_table_flush_cells(qel_context* ctx, qel_table_record* r)
{
    if (!r || !r->row_open) return;
    if (r->cell > 0) qel_node_pop(ctx);
    for (int32_t i = r->cell; i < r->column_count; i++) qel_node_sized(ctx, 0, cell_width(r->columns[i]), {QEL_SIZE_FIT, 0});
    qel_node_pop(ctx);
    r->row_open = 0;
}

void qel_table_end(qel_context* ctx)
{
    qel_table_record* r = qel_scope_find<qel_table_record>(ctx);
    if (!r) return;
    qel_table_flush_cells(ctx, r);
    if (r->body_open) qel_scroll_end(ctx);
    qel_node_pop(ctx);  // column
    qel_scroll_end(ctx);
    qel_node_pop(ctx);  // outer
    qel_pop_id(ctx);
    qel_scope_pop<qel_table_record>(ctx);
}
