// The tree view over the data table: the visible rows of the caller's forest, expanding with lazy
// loads, the hierarchy's keys and type-ahead, the tree cell with its expander, selection written
// back into the node flags, the stable sort of sibling lists, and the outline row. Links outside
// the array count as none and every walk is bounded by the node count, so a broken or cyclic
// forest cannot hang the frame. Rows, cursor and selection flags per row are the table's.
#include "qel/tree_view.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

#include "core/array_grow.h"
#include "core/core.h"
#include "widgets/pickers/picker_nodes.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/cards_progress.h"
#include "qel/collapsibles.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/text_units.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/scopes.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

static const uint32_t STATE_KEY = 0x7ee5, COLUMN_KEY = 0x4a3e5, EXPANDER_KEY = 0xc4e7, OUTLINE_KEY = 0x7ce1;
static const float INDENT = 16, EXPANDER = 20, DEFAULT_ROW_HEIGHT = 32, HOVER_EASE = 0.14f;
static const float EXPAND_PERIOD = 0.32f, OUTLINE_PERIOD = 0.26f, OUTLINE_BOUNCE = 0.12f;
static const double TYPE_AHEAD_SECONDS = 1.0;
static const float PI = 3.14159265f;

struct tree_row {
    int32_t node;  // -2 - node for the "Loading" row under node
    int32_t depth;
};

struct tree_state {
    int32_t cursor, anchor;
    char typed[64];
    int32_t typed_length;
    double typed_time;
    tree_row* rows;
    int32_t rows_capacity;
    uint8_t* flags;
    int32_t flags_capacity;
    uint8_t initialised;
};

namespace {

struct tree_record {
    uint32_t id;
    tree_state* st;
    qel_tree_view_node* nodes;
    int32_t count;
    qel_tree_view_options opts;
    int32_t row_count;  // visible rows
    int32_t next, last, current;
    int32_t table_cursor, table_anchor;
    float column_width;
    bool plain_selection, escape;
    int32_t sort_column;
    uint8_t sort_descending;
    qel_tree_view_result result;
    int32_t* loads;
};

}  // namespace

// --- Links ---

static bool valid(const tree_record* t, int32_t node)
{
    return node >= 0 && node < t->count;
}

static int32_t parent_of(const tree_record* t, int32_t node)
{
    int32_t p = t->nodes[node].parent;
    return valid(t, p) ? p : -1;
}

static int32_t child_of(const tree_record* t, int32_t node)
{
    int32_t c = t->nodes[node].first_child;
    return valid(t, c) ? c : -1;
}

static int32_t sibling_of(const tree_record* t, int32_t node)
{
    int32_t s = t->nodes[node].next_sibling;
    return valid(t, s) ? s : -1;
}

static bool has(const tree_record* t, int32_t node, uint32_t flag)
{
    return (t->nodes[node].flags & flag) != 0;
}

static bool expandable(const tree_record* t, int32_t node)
{
    return has(t, node, QEL_TREE_HAS_CHILDREN) || child_of(t, node) >= 0;
}

// The node of a row; a "Loading" row stands for the node it loads.
static int32_t node_of_row(const tree_record* t, int32_t row)
{
    if (row < 0 || row >= t->row_count) return -1;
    int32_t v = t->st->rows[row].node;
    return v >= 0 ? v : -2 - v;
}

// --- Current tree and state ---

static tree_record* current(qel_context* ctx)
{
    return qel_scope_find<tree_record>(ctx);
}

static void free_state(qel_context* ctx, void* blob)
{
    auto* s = (tree_state*)blob;
    qel_mem_free(ctx, s->rows);
    qel_mem_free(ctx, s->flags);
}

// --- Visible rows ---

// Depth first over expanded nodes; a node loading its children gets one "Loading" row instead.
// At most 2 x count + 2 rows, so a cycle in the links ends.
static void build_rows(qel_context* ctx, tree_record* t)
{
    tree_state* s = t->st;
    int32_t limit = 2 * t->count + 2, n = 0;
    s->rows = qel_array_grow(ctx, s->rows, &s->rows_capacity, limit);
    int32_t node = valid(t, t->opts.root) ? t->opts.root : -1, depth = 0;
    while (node >= 0 && n < limit) {
        s->rows[n++] = {node, depth};
        if (has(t, node, QEL_TREE_EXPANDED)) {
            if (has(t, node, QEL_TREE_LOAD_REQUESTED)) {
                if (n < limit) s->rows[n++] = {-2 - node, depth + 1};
            } else if (child_of(t, node) >= 0) {
                node = child_of(t, node);
                depth++;
                continue;
            }
        }
        while (sibling_of(t, node) < 0 && depth > 0 && parent_of(t, node) >= 0) {
            node = parent_of(t, node);
            depth--;
        }
        node = sibling_of(t, node);
    }
    t->row_count = n;
}

static int32_t row_of(const tree_record* t, int32_t node)
{
    for (int32_t r = 0; r < t->row_count; r++)
        if (t->st->rows[r].node == node) return r;
    return -1;
}

// --- Acting on nodes ---

static void expand(qel_context* ctx, tree_record* t, int32_t node)
{
    if (!expandable(t, node) || has(t, node, QEL_TREE_EXPANDED)) return;
    uint32_t& flags = t->nodes[node].flags;
    if (child_of(t, node) < 0 && !(flags & QEL_TREE_LOAD_REQUESTED)) {
        if (t->result.load_request_count >= QEL_TREE_MAX_LOADS) return;
        flags |= QEL_TREE_EXPANDED | QEL_TREE_LOAD_REQUESTED;
        t->loads[t->result.load_request_count++] = node;
    } else {
        flags |= QEL_TREE_EXPANDED;
    }
    if (t->result.expanded < 0) t->result.expanded = node;
    qel_request_redraw(ctx);
}

static void collapse(qel_context* ctx, tree_record* t, int32_t node)
{
    t->nodes[node].flags &= ~(uint32_t)QEL_TREE_EXPANDED;
    if (t->result.collapsed < 0) t->result.collapsed = node;
    qel_request_redraw(ctx);
}

static void clear_selection(tree_record* t)
{
    for (int32_t i = 0; i < t->count; i++) t->nodes[i].flags &= ~(uint32_t)QEL_TREE_SELECTED;
}

static void select_node(qel_context* ctx, tree_record* t, int32_t node)
{
    t->st->cursor = node;
    if (qel_modifiers(ctx) & QEL_MOD_CTRL) return;
    clear_selection(t);
    t->nodes[node].flags |= QEL_TREE_SELECTED;
    t->st->anchor = node;
    t->result.selection_changed = 1;
}

// --- Keys ---

static void type_ahead_search(qel_context* ctx, tree_record* t)
{
    tree_state* s = t->st;
    if (!t->opts.label || t->row_count == 0) return;
    int32_t start = std::max(row_of(t, s->cursor), 0);
    if (s->typed_length == 1) start++;
    for (int32_t k = 0; k < t->row_count; k++) {
        int32_t node = s->rows[(start + k) % t->row_count].node;
        if (node < 0) continue;
        const char* label = t->opts.label(t->opts.label_user, node);
        if (qel_starts_with_nocase(label ? label : "", s->typed, s->typed_length)) {
            select_node(ctx, t, node);
            return;
        }
    }
}

static void expand_siblings(qel_context* ctx, tree_record* t, int32_t node)
{
    int32_t p = parent_of(t, node);
    int32_t sibling = p >= 0 ? child_of(t, p) : (valid(t, t->opts.root) ? t->opts.root : -1);
    for (int32_t steps = 0; sibling >= 0 && steps < t->count; steps++) {
        expand(ctx, t, sibling);
        sibling = sibling_of(t, sibling);
    }
}

static void typed_text(qel_context* ctx, tree_record* t, int32_t node)
{
    tree_state* s = t->st;
    const qel_input* in = &ctx->input;
    if (in->text_length == 0 || (in->modifiers & (QEL_MOD_CTRL | QEL_MOD_ALT | QEL_MOD_SUPER))) return;
    bool appended = false;
    for (int32_t i = 0; i < in->text_length; i++) {
        char c = in->text[i];
        if (c == '*') {
            expand_siblings(ctx, t, node);
            continue;
        }
        if (c == ' ') continue;
        if (!appended && ctx->clock.time - s->typed_time > TYPE_AHEAD_SECONDS) s->typed_length = 0;
        appended = true;
        if (s->typed_length < 63) s->typed[s->typed_length++] = c;
    }
    if (!appended) return;
    s->typed[s->typed_length] = 0;
    s->typed_time = ctx->clock.time;
    type_ahead_search(ctx, t);
}

static void handle_keys(qel_context* ctx, tree_record* t)
{
    int32_t node = valid(t, t->st->cursor) ? t->st->cursor : t->st->rows[0].node;
    if (qel_key_take(ctx, QEL_KEY_RIGHT)) {
        if (expandable(t, node) && !has(t, node, QEL_TREE_EXPANDED)) expand(ctx, t, node);
        else if (has(t, node, QEL_TREE_EXPANDED) && child_of(t, node) >= 0 && !has(t, node, QEL_TREE_LOAD_REQUESTED))
            select_node(ctx, t, child_of(t, node));
    }
    if (qel_key_take(ctx, QEL_KEY_LEFT)) {
        int32_t p = parent_of(t, node);
        if (has(t, node, QEL_TREE_EXPANDED)) collapse(ctx, t, node);
        else if (p >= 0 && row_of(t, p) >= 0) select_node(ctx, t, p);
    }
    if (qel_key_take(ctx, QEL_KEY_ENTER)) t->result.activated = node;
    if (qel_key_pressed(ctx, QEL_KEY_ESCAPE)) t->escape = true;
    typed_text(ctx, t, node);
    // The rows change only when a key opened or closed a node.
    if (t->result.expanded >= 0 || t->result.collapsed >= 0) build_rows(ctx, t);
}

// The cursor's row; a cursor inside a collapsed ancestor moves up to the nearest one shown.
static int32_t cursor_row(tree_record* t)
{
    int32_t node = t->st->cursor;
    for (int32_t steps = 0; node >= 0 && steps <= t->count; steps++) {
        int32_t r = row_of(t, node);
        if (r >= 0) {
            t->st->cursor = node;
            return r;
        }
        node = parent_of(t, node);
    }
    return -1;
}

static bool moved_by_keys(qel_context* ctx)
{
    static const int32_t KEYS[] = {QEL_KEY_UP,  QEL_KEY_DOWN,    QEL_KEY_HOME,
                                   QEL_KEY_END, QEL_KEY_PAGE_UP, QEL_KEY_PAGE_DOWN};
    return std::any_of(std::begin(KEYS), std::end(KEYS), [ctx](int32_t k) { return qel_key_pressed(ctx, k); });
}

// After the table moved its cursor: a "Loading" row is passed over in the move's direction, the
// cursor node follows, and without Shift or Ctrl that row alone is selected.
static void follow_table_cursor(qel_context* ctx, tree_record* t, int32_t before)
{
    int32_t row = t->table_cursor;
    if (row < 0 || row >= t->row_count || row == before) return;
    if (t->st->rows[row].node < 0) {
        int32_t step = row > before ? 1 : -1;
        row = row + step >= 0 && row + step < t->row_count ? row + step : row - step;
        row = std::clamp(row, 0, t->row_count - 1);
    }
    t->table_cursor = row;
    t->st->cursor = node_of_row(t, row);
    if (qel_modifiers(ctx) & (QEL_MOD_SHIFT | QEL_MOD_CTRL)) return;
    memset(t->st->flags, 0, (size_t)t->row_count);
    t->st->flags[row] = 1;
    t->table_anchor = row;
    t->plain_selection = true;
}

// --- Begin, next, end ---

static tree_state* state_of(qel_context* ctx, uint32_t id)
{
    auto* s = (tree_state*)qel_state_get(ctx, id ^ STATE_KEY, sizeof(tree_state));
    if (!s->initialised) {
        s->cursor = s->anchor = -1;
        s->initialised = 1;
        qel_state_set_destructor(ctx, id ^ STATE_KEY, free_state);
    }
    return s;
}

void qel_tree_view_begin(qel_context* ctx, const char* label, const qel_data_table_column* columns,
                         int32_t column_count, qel_tree_view_node* nodes, int32_t node_count,
                         const qel_tree_view_options* options)
{
    auto* t = qel_scope_push<tree_record>(ctx);
    if (options) t->opts = *options;
    t->id = qel_id(ctx, label);
    t->st = state_of(ctx, t->id);
    t->nodes = nodes && node_count > 0 ? nodes : nullptr;
    t->count = t->nodes ? node_count : 0;
    t->result = {-1, -1, -1, nullptr, 0, 0, 0};
    t->loads = (int32_t*)qel_arena_alloc(ctx, QEL_TREE_MAX_LOADS * sizeof(int32_t));
    t->result.load_requests = t->loads;
    t->current = -1;
    tree_state* s = t->st;
    if (t->opts.cursor && valid(t, *t->opts.cursor)) s->cursor = *t->opts.cursor;
    if (!valid(t, s->cursor)) s->cursor = -1;
    if (!valid(t, s->anchor)) s->anchor = -1;
    t->column_width = qel_id_rect(ctx, t->id ^ COLUMN_KEY).w;

    build_rows(ctx, t);
    bool focused = qel_focused_id(ctx) == t->id;
    if (focused && t->row_count > 0) handle_keys(ctx, t);
    t->table_cursor = cursor_row(t);
    t->table_anchor = row_of(t, s->anchor);
    s->flags = qel_array_grow(ctx, s->flags, &s->flags_capacity, std::max(t->row_count, 1));
    for (int32_t r = 0; r < t->row_count; r++) {
        int32_t node = s->rows[r].node;
        s->flags[r] = node >= 0 && has(t, node, QEL_TREE_SELECTED);
    }
    if (t->opts.sort) t->sort_column = t->opts.sort->column, t->sort_descending = t->opts.sort->descending;

    qel_data_table_options table = {};
    table.width = t->opts.width;
    table.height = t->opts.height;
    table.row_height = qel_picker_row_height(t->opts.row_height, DEFAULT_ROW_HEIGHT);
    table.selection = s->flags;
    table.sort = t->opts.sort;
    table.cursor = &t->table_cursor;
    table.anchor = &t->table_anchor;
    table.hide_checks = 1;
    int32_t before = t->table_cursor;
    qel_data_table_begin(ctx, label, columns, column_count, t->row_count, &t->next, &t->last, &table);
    if (focused && moved_by_keys(ctx)) follow_table_cursor(ctx, t, before);
}

static float indent_of(const tree_record* t, int32_t depth, float reserved)
{
    float indent = (float)std::max(depth, 0) * INDENT;
    if (t->column_width > 0)
        indent = std::min(indent, std::max(floorf((t->column_width - 24 - reserved) / INDENT) * INDENT, 0.0f));
    return indent;
}

struct guide_look {
    int32_t count;
    float row_height;
};

static void guides_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* g = (const guide_look*)user;
    qel_color color = qel_theme_color(ctx, QEL_COLOR_BORDER_SUBTLE);
    float top = node->rect.y + (node->rect.h - g->row_height) / 2;
    for (int32_t i = 0; i < g->count; i++) {
        qel_rect line = {floorf(node->rect.x + 22 + (float)i * INDENT), top, 1, g->row_height};
        qel_draw_rect(ctx, &line, nullptr, color);
    }
}

// The indentation of a tree cell, with guide lines on the cell when asked.
static void indentation(qel_context* ctx, const tree_record* t, int32_t cell, float indent)
{
    if (indent <= 0) return;
    qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, indent}, {QEL_SIZE_FIXED, 1});
    if (!t->opts.guides) return;
    float row_height = qel_picker_row_height(t->opts.row_height, DEFAULT_ROW_HEIGHT);
    guide_look g = {(int32_t)lroundf(indent / INDENT), row_height};
    qel_node_draw_with(ctx, cell, guides_draw, &g, sizeof g, false);
}

static void loading_row(qel_context* ctx, const tree_record* t, int32_t depth)
{
    qel_data_table_cell(ctx);
    int32_t cell = qel_node_parent(ctx);
    qel_node_at(ctx, cell)->gap = 0;
    indentation(ctx, t, cell, indent_of(t, depth, 120));
    qel_gap(ctx, 26);
    qel_activity_spinner(ctx, 14);
    qel_gap(ctx, 8);
    qel_text_leaf(ctx, "Loading", -1, QEL_FONT_BODY, qel_text_small_scaled(ctx),
                  qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), false, 1.3f);
}

int32_t qel_tree_view_next(qel_context* ctx)
{
    tree_record* t = current(ctx);
    if (!t) return -1;
    while (t->next < t->last) {
        int32_t row = t->next++;
        bool clicked = qel_data_table_row(ctx, row);
        tree_row r = t->st->rows[row];
        if (r.node < 0) {
            loading_row(ctx, t, r.depth);
            continue;
        }
        t->current = row;
        if (clicked) {
            t->st->cursor = r.node;
            if (!(qel_modifiers(ctx) & (QEL_MOD_SHIFT | QEL_MOD_CTRL))) {
                t->plain_selection = true;
                if (ctx->input.click_count >= 2) t->result.activated = r.node;
            }
        }
        return r.node;
    }
    t->current = -1;
    return -1;
}

int32_t qel_tree_view_depth(qel_context* ctx)
{
    tree_record* t = current(ctx);
    return t && t->current >= 0 ? t->st->rows[t->current].depth : 0;
}

struct expander_state {
    float rotation[2];
    float hover;
    uint8_t initialised;
};

// The 20-unit button holding the chevron, turned from right (0) to down (1) by the rotation.
static void expander_button(qel_context* ctx, uint32_t id, bool hovered, const expander_state* s, qel_color chevron)
{
    int32_t index = qel_node_sized(ctx, id, {QEL_SIZE_FIXED, EXPANDER}, {QEL_SIZE_FIXED, EXPANDER});
    qel_node* n = qel_node_at(ctx, index);
    qel_node_round(n, 6);
    n->fill = qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_HOVER), 1.2f * s->hover);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->justify = QEL_JUSTIFY_CENTER;
    qel_node_mark_interactive(ctx, index, 0);
    if (hovered) qel_set_cursor(ctx, QEL_CURSOR_HAND);
    qel_node_push(ctx, index);
    qel_chevron_icon(ctx, PI * s->rotation[0] / 2 - PI / 2, 14, chevron);
    qel_node_pop(ctx);
}

static void expander(qel_context* ctx, tree_record* t, int32_t node)
{
    uint32_t id = qel_hash_bytes(&node, sizeof node, t->id ^ EXPANDER_KEY);
    qel_interaction it = qel_interact(ctx, id, 0);
    bool open = has(t, node, QEL_TREE_EXPANDED);
    if (it.clicked) {
        if (open) collapse(ctx, t, node);
        else expand(ctx, t, node);
        qel_set_focus(ctx, t->id, false);
    }
    auto* s = qel_state_record_of<expander_state>(ctx, id, "expander_state");
    float target = open ? 1.0f : 0.0f;
    if (!s->initialised) {
        s->rotation[0] = target;
        s->initialised = 1;
    }
    qel_anim_spring(ctx, s->rotation, target, EXPAND_PERIOD, 0);
    float hover = qel_anim_exp(ctx, &s->hover, it.hovered ? 1.0f : 0.0f, HOVER_EASE);
    qel_color color = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), qel_theme_color(ctx, QEL_COLOR_TEXT), hover);
    expander_button(ctx, id, it.hovered, s, color);
}

void qel_tree_view_row(qel_context* ctx, const char* label, const char* icon)
{
    tree_record* t = current(ctx);
    if (!t || t->current < 0) {
        qel_data_table_cell_text(ctx, label);
        return;
    }
    tree_row r = t->st->rows[t->current];
    qel_data_table_cell(ctx);
    int32_t cell = qel_node_parent(ctx);
    qel_node* n = qel_node_at(ctx, cell);
    n->gap = 0;
    if (n->width.kind == QEL_SIZE_FIXED && n->width.value > 0) n->id = t->id ^ COLUMN_KEY;
    indentation(ctx, t, cell, indent_of(t, r.depth, icon ? 106.0f : 82.0f));
    if (expandable(t, r.node)) expander(ctx, t, r.node);
    else qel_gap(ctx, EXPANDER);
    qel_gap(ctx, 6);
    if (icon) {
        qel_icon_glyph(ctx, icon, 16, qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY));
        qel_gap(ctx, 8);
    }
    qel_text_opts o = {};
    o.single_line = 1;
    o.line_height = 1.3f;
    qel_text_ex(ctx, label ? label : "", &o);
}

// The rows' flags back into the nodes: after a plain selection or Escape every other node's flag
// goes too.
static void write_selection(tree_record* t)
{
    int32_t visible_selected = 0, selected = 0;
    for (int32_t r = 0; r < t->row_count; r++) {
        int32_t node = t->st->rows[r].node;
        if (node < 0) continue;
        bool was = has(t, node, QEL_TREE_SELECTED);
        visible_selected += was;
        if (was != (t->st->flags[r] != 0)) t->result.selection_changed = 1;
    }
    if (t->plain_selection || t->escape) {
        for (int32_t i = 0; i < t->count; i++) selected += has(t, i, QEL_TREE_SELECTED);
        if (selected > visible_selected) t->result.selection_changed = 1;
        clear_selection(t);
    }
    for (int32_t r = 0; r < t->row_count; r++) {
        int32_t node = t->st->rows[r].node;
        if (node < 0) continue;
        if (t->st->flags[r]) t->nodes[node].flags |= QEL_TREE_SELECTED;
        else t->nodes[node].flags &= ~(uint32_t)QEL_TREE_SELECTED;
    }
}

qel_tree_view_result qel_tree_view_end(qel_context* ctx)
{
    tree_record* t = current(ctx);
    if (!t) return {-1, -1, -1, nullptr, 0, 0, 0};
    qel_data_table_end(ctx);
    write_selection(t);
    int32_t cursor = node_of_row(t, t->table_cursor);
    if (cursor >= 0) t->st->cursor = cursor;
    t->st->anchor = node_of_row(t, t->table_anchor);
    if (t->opts.cursor) *t->opts.cursor = t->st->cursor;
    if (t->opts.sort)
        t->result.sort_changed = t->opts.sort->column != t->sort_column || t->opts.sort->descending != t->sort_descending;
    qel_scope_pop<tree_record>(ctx);
    return t->result;
}

// --- Sorting ---

struct sort_context {
    qel_tree_view_node* nodes;
    int32_t count;
    qel_tree_view_compare_fn compare;
    void* user;
};

static int32_t link_of(const sort_context& s, int32_t node)
{
    int32_t next = s.nodes[node].next_sibling;
    return next >= 0 && next < s.count ? next : -1;
}

// Merges an earlier and a later run; the later one gives way on ties, so the sort is stable.
static int32_t merge(const sort_context& s, int32_t earlier, int32_t later)
{
    int32_t head = -1, tail = -1;
    for (int32_t steps = 0; (earlier >= 0 || later >= 0) && steps < s.count; steps++) {
        int32_t* from = later >= 0 && (earlier < 0 || s.compare(s.user, later, earlier) < 0) ? &later : &earlier;
        int32_t node = *from;
        *from = link_of(s, node);
        if (tail >= 0) s.nodes[tail].next_sibling = node;
        else head = node;
        tail = node;
    }
    if (tail >= 0) s.nodes[tail].next_sibling = -1;
    return head;
}

// A bottom-up merge sort of one sibling list in 32 bins.
static int32_t sort_list(const sort_context& s, int32_t head)
{
    int32_t bins[32];
    std::fill(std::begin(bins), std::end(bins), -1);
    int32_t node = head >= 0 && head < s.count ? head : -1;
    for (int32_t steps = 0; node >= 0 && steps < s.count; steps++) {
        int32_t next = link_of(s, node), carry = node;
        s.nodes[node].next_sibling = -1;
        for (int32_t i = 0; i < 32; i++) {
            if (bins[i] < 0) {
                bins[i] = carry;
                break;
            }
            carry = merge(s, bins[i], carry);
            bins[i] = -1;
            if (i == 31) bins[i] = carry;
        }
        node = next;
    }
    int32_t result = -1;
    for (int32_t bin : bins)
        if (bin >= 0) result = merge(s, bin, result);
    return result;
}

int32_t qel_tree_view_sort(qel_tree_view_node* nodes, int32_t count, int32_t root, qel_tree_view_compare_fn compare,
                           void* user)
{
    if (!nodes || count < 1 || !compare) return root;
    sort_context s = {nodes, count, compare, user};
    for (int32_t i = 0; i < count; i++) {
        int32_t child = nodes[i].first_child;
        if (child >= 0 && child < count) nodes[i].first_child = sort_list(s, child);
    }
    return root >= 0 && root < count ? sort_list(s, root) : root;
}

// --- Outline rows ---

bool qel_outline_row(qel_context* ctx, const char* label, int32_t depth, bool expandable_row, uint8_t* open,
                     const char* icon)
{
    uint32_t id = qel_id(ctx, label);
    auto* s = (expander_state*)qel_state_get(ctx, id ^ OUTLINE_KEY, sizeof(expander_state));
    bool is_open = open && *open;
    if (!s->initialised) {
        s->rotation[0] = is_open ? 1.0f : 0.0f;
        s->initialised = 1;
    }
    qel_style row = {};
    row.gap = 6;
    row.width = {QEL_SIZE_GROW, 1};
    row.align = QEL_ALIGN_CENTER;
    row.padding_left = (float)std::max(depth, 0) * 18;
    qel_row_begin(ctx, &row);
    bool toggled = false;
    if (expandable_row) {
        qel_interaction it = qel_interact(ctx, id, 0);
        if (it.clicked && open) {
            *open = !*open;
            is_open = *open;
            toggled = true;
        }
        qel_anim_exp(ctx, &s->hover, it.hovered ? 1.0f : 0.0f, HOVER_EASE);
        qel_anim_spring(ctx, s->rotation, is_open ? 1.0f : 0.0f, OUTLINE_PERIOD, OUTLINE_BOUNCE);
        expander_button(ctx, id, it.hovered, s, qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY));
    } else {
        qel_gap(ctx, EXPANDER);
    }
    if (icon) qel_icon_glyph(ctx, icon, 16, qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY));
    qel_text_leaf(ctx, label, qel_label_visible_len(label), expandable_row ? QEL_FONT_MEDIUM : QEL_FONT_BODY,
                  qel_text_body_scaled(ctx), qel_theme_color(ctx, QEL_COLOR_TEXT), false, 1.3f);
    qel_container_end(ctx);
    return toggled;
}
