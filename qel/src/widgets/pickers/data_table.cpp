// The data table: column widths and responsive hiding, the rows in view, the keyboard cursor and
// selection, the sticky header with sorting and resizing, rows and cells, in-place editing and the
// check boxes. The rows, flags and sort record are the caller's; scrolling is the scroll
// container's and editing text the text input's.
#include "qel/data_table.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/core.h"
#include "widgets/pickers/picker_nodes.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/scroll_container.h"
#include "qel/state.h"
#include "qel/text_input.h"
#include "qel/text_units.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/scopes.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

static const float DEFAULT_WIDTH = 150, MIN_WIDTH = 60, MAX_WIDTH = 900;
static const float CHECK_WIDTH = 44, HEADER_HEIGHT = 40, DEFAULT_ROW_HEIGHT = 40, CELL_PAD = 12;
static const float HANDLE_WIDTH = 12, DEFAULT_VIEW_HEIGHT = 400, MIN_TABLE_HEIGHT = 120;
static const float HEADER_FLASH = 0.14f, ROW_FLASH = 0.1f, CHECK_EASE = 0.18f;
static const uint32_t SCROLL_KEY = 0x5c011, HEADER_KEY = 0x4ead, SELECT_ALL_KEY = 0xa11, HEADER_CELL_KEY = 0x4e1,
                      HANDLE_KEY = 0x7e5, ROW_KEY = 0x20b, CHECK_KEY = 0xc4e, EDIT_KEY = 0xED17, FIELD_KEY = 0xf1d;
static const char SORT_UP[] = QEL_ICON_ARROW_UP;
static const char SORT_DOWN[] = QEL_ICON_ARROW_DOWN;
static const char SORTABLE[] = QEL_ICON_CHEVRONS_UP_DOWN;

struct table_state {
    float widths[QEL_DATA_TABLE_MAX_COLUMNS];
    uint8_t initialised;
    int32_t resizing;
    float drag_x, drag_width;
    int32_t cursor, anchor;
    int32_t edit_row, edit_column;
    // The edited cell's text before editing, whole, for Escape.
    char* saved;
    int32_t saved_capacity;
};

struct qel_data_table {
    uint32_t id, scroll_id;
    const qel_data_table_column* columns;
    int32_t column_count, row_count;
    qel_data_table_options opts;
    table_state* st;
    float row_height, content_width, extra;
    uint8_t hidden[QEL_DATA_TABLE_MAX_COLUMNS];
    int32_t last_visible;
    bool checks;
    int32_t row, cell;  // current row; cells opened in it
    bool in_row, in_cell, activated, focused, enter_taken;
    int32_t first, last;
};

// --- Small pieces ---

static uint32_t hash_index(int32_t index, uint32_t seed)
{
    return qel_hash_bytes(&index, sizeof index, seed);
}

static bool row_inside(const qel_data_table* t, int32_t row)
{
    return row >= 0 && row < t->row_count;
}

static void free_state(qel_context* ctx, void* blob)
{
    qel_mem_free(ctx, ((table_state*)blob)->saved);
}

static table_state* state_of(qel_context* ctx, uint32_t id, const qel_data_table_column* columns, int32_t count)
{
    auto* s = qel_state_record_of<table_state>(ctx, id, "table_state");
    if (s->initialised) return s;
    for (int32_t i = 0; i < QEL_DATA_TABLE_MAX_COLUMNS; i++)
        s->widths[i] = i < count && columns[i].width > 0 ? columns[i].width : DEFAULT_WIDTH;
    s->resizing = s->cursor = s->anchor = s->edit_row = s->edit_column = -1;
    s->initialised = 1;
    qel_state_set_destructor(ctx, id, free_state);
    return s;
}

static float column_width(const qel_data_table* t, int32_t column)
{
    return t->st->widths[column] + (column == t->last_visible ? t->extra : 0.0f);
}

static void set_all(const qel_data_table* t, uint8_t value)
{
    if (t->opts.selection) memset(t->opts.selection, value, (size_t)t->row_count);
}

// Every flag 1 from a to b (either order), 0 elsewhere.
static void select_range(const qel_data_table* t, int32_t a, int32_t b)
{
    set_all(t, 0);
    memset(t->opts.selection + std::min(a, b), 1, (size_t)(std::abs(a - b) + 1));
}

static void write_back(const qel_data_table* t)
{
    if (t->opts.cursor) *t->opts.cursor = t->st->cursor;
    if (t->opts.anchor) *t->opts.anchor = t->st->anchor;
}

static void end_editing(table_state* s)
{
    s->edit_row = s->edit_column = -1;
}

// --- Begin: widths, rows in view, cursor ---

// Resize drags run before the widths are read, so the frame shows the width it was dragged to.
static void drag_handles(qel_context* ctx, qel_data_table* t)
{
    table_state* s = t->st;
    for (int32_t c = 0; c < t->column_count; c++) {
        if (t->columns[c].fixed_width) continue;
        uint32_t id = hash_index(c, t->id ^ HANDLE_KEY);
        qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_HOLD_OUTSIDE);
        if (it.hovered || (s->resizing == c && it.held)) qel_set_cursor(ctx, QEL_CURSOR_RESIZE_EW);
        if (it.held && qel_mouse_pressed(ctx, 0)) {
            s->resizing = c;
            s->drag_x = qel_mouse_pos(ctx).x;
            s->drag_width = s->widths[c];
        }
        if (s->resizing != c) continue;
        if (it.held)
            s->widths[c] = std::clamp(s->drag_width + qel_mouse_pos(ctx).x - s->drag_x, MIN_WIDTH, MAX_WIDTH);
        else
            s->resizing = -1;
    }
}

// Hides columns by priority, highest first (the later on a tie), until the rest fit the view; the
// last visible column takes the room left over.
static void fit_columns(qel_data_table* t, float view_width)
{
    float check = t->checks ? CHECK_WIDTH : 0.0f, total = check;
    for (int32_t c = 0; c < t->column_count; c++) total += t->st->widths[c];
    int32_t visible = t->column_count;
    while (view_width > 0 && total > view_width + 0.5f && visible > 1) {
        int32_t pick = -1;
        for (int32_t c = 0; c < t->column_count; c++)
            if (!t->hidden[c] && t->columns[c].hide_priority > 0 &&
                (pick < 0 || t->columns[c].hide_priority >= t->columns[pick].hide_priority))
                pick = c;
        if (pick < 0) break;
        t->hidden[pick] = 1;
        total -= t->st->widths[pick];
        visible--;
    }
    t->last_visible = -1;
    for (int32_t c = 0; c < t->column_count; c++)
        if (!t->hidden[c]) t->last_visible = c;
    t->extra = view_width > 0 ? std::max(view_width - total, 0.0f) : 0.0f;
    t->content_width = total + t->extra;
}

static void scroll_into_view(qel_context* ctx, const qel_data_table* t, int32_t row)
{
    auto* sc = (qel_scroll_state*)qel_state_get(ctx, t->scroll_id, sizeof(qel_scroll_state));
    float h = t->row_height, view = sc->view_h > 0 ? sc->view_h : DEFAULT_VIEW_HEIGHT;
    float top = (float)row * h + HEADER_HEIGHT;
    if (sc->target_y > (float)row * h) sc->target_y = (float)row * h;
    if (top + h > sc->target_y + view) sc->target_y = top + h - view;
}

// The caller's cursor and anchor, then both checked against the rows as they are now: rows may
// have gone since the last frame, and no flag is written through a stale index.
static void take_cursor(qel_context* ctx, qel_data_table* t)
{
    table_state* s = t->st;
    int32_t previous = s->cursor;
    if (t->opts.cursor && *t->opts.cursor >= 0) {
        s->cursor = *t->opts.cursor;
        if (row_inside(t, s->cursor) && s->cursor != previous) scroll_into_view(ctx, t, s->cursor);
    }
    if (t->opts.anchor && *t->opts.anchor >= 0) s->anchor = *t->opts.anchor;
    if (s->cursor >= t->row_count) s->cursor = t->row_count - 1;
    if (!row_inside(t, s->anchor)) s->anchor = -1;
    if (s->edit_row >= t->row_count) end_editing(s);
}

static int32_t key_target(qel_context* ctx, const qel_data_table* t, float view)
{
    // At least one row, so the page keys move even in a short table.
    int32_t page = std::max((int32_t)floorf(view / t->row_height) - 1, 1);
    int32_t c = std::max(t->st->cursor, 0), target = c;
    if (qel_key_pressed(ctx, QEL_KEY_DOWN)) target = c + 1;
    if (qel_key_pressed(ctx, QEL_KEY_UP)) target = c - 1;
    if (qel_key_pressed(ctx, QEL_KEY_PAGE_DOWN)) target = c + page;
    if (qel_key_pressed(ctx, QEL_KEY_PAGE_UP)) target = c - page;
    if (qel_key_pressed(ctx, QEL_KEY_HOME)) target = 0;
    if (qel_key_pressed(ctx, QEL_KEY_END)) target = t->row_count - 1;
    return std::clamp(target, 0, t->row_count - 1);
}

static void handle_keys(qel_context* ctx, qel_data_table* t, float view)
{
    table_state* s = t->st;
    if (!t->focused || t->row_count == 0 || s->edit_row >= 0) return;
    int32_t target = key_target(ctx, t, view);
    if (target != s->cursor) {
        bool shift = (qel_modifiers(ctx) & QEL_MOD_SHIFT) != 0;
        if (shift && t->opts.selection) {
            if (s->anchor < 0) s->anchor = s->cursor >= 0 ? s->cursor : target;
            select_range(t, s->anchor, target);
        } else {
            s->anchor = target;
        }
        s->cursor = target;
        scroll_into_view(ctx, t, target);
        qel_request_redraw(ctx);
    }
    if (t->opts.selection) {
        if (qel_key_pressed(ctx, QEL_KEY_SPACE) && row_inside(t, s->cursor))
            t->opts.selection[s->cursor] = !t->opts.selection[s->cursor];
        if (qel_shortcut_pressed(ctx, QEL_MOD_CTRL, QEL_KEY_A)) set_all(t, 1);
        if (qel_key_pressed(ctx, QEL_KEY_ESCAPE)) set_all(t, 0);
    }
}

// --- Check boxes ---

struct checkbox_look {
    float checked, indeterminate;
};

void qel_data_table_checkbox_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* look = (const checkbox_look*)user;
    float on = std::max(look->checked, look->indeterminate);
    qel_color strong = qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG), primary = qel_theme_color(ctx, QEL_COLOR_PRIMARY);
    qel_color surface = qel_theme_color(ctx, QEL_COLOR_SURFACE), mark = qel_theme_color(ctx, QEL_COLOR_ON_PRIMARY);
    const qel_rect& r = node->rect;
    const float radii[4] = {5, 5, 5, 5};
    qel_draw_rect_bordered(ctx, &r, radii, qel_color_mix(surface, primary, on), qel_color_mix(strong, primary, on), 1);
    if (look->indeterminate > 0.01f && look->checked < 0.5f) {
        qel_rect dash = {r.x + 4, r.y + r.h / 2 - 0.8f, r.w - 8, 1.6f};
        const float round[4] = {0.8f, 0.8f, 0.8f, 0.8f};
        qel_draw_rect(ctx, &dash, round, mark);
    } else if (look->checked > 0.02f) {
        qel_rect inset = {r.x + 3.5f, r.y + 3.5f, r.w - 7, r.h - 7};
        qel_draw_checkmark(ctx, &inset, look->checked, 1.6f, mark);
    }
}

void qel_data_table_checkbox(qel_context* ctx, uint32_t id, bool checked, bool indeterminate)
{
    auto* s = (checkbox_look*)qel_state_get(ctx, id, sizeof(checkbox_look));
    checkbox_look look = {qel_anim_exp(ctx, &s->checked, checked ? 1.0f : 0.0f, CHECK_EASE),
                          qel_anim_exp(ctx, &s->indeterminate, indeterminate ? 1.0f : 0.0f, CHECK_EASE)};
    int32_t index = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, 16}, {QEL_SIZE_FIXED, 16});
    qel_node_draw_with(ctx, index, qel_data_table_checkbox_draw, &look, sizeof look, false);
}

// A 44-unit cell, content centred, that is clicked as an item of its own.
static bool check_cell(qel_context* ctx, uint32_t id, float height)
{
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_KEEP_FOCUS);
    int32_t index = qel_node_sized(ctx, id, {QEL_SIZE_FIXED, CHECK_WIDTH}, {QEL_SIZE_FIXED, height});
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->justify = QEL_JUSTIFY_CENTER;
    qel_node_mark_interactive(ctx, index, 0);
    if (it.hovered) qel_set_cursor(ctx, QEL_CURSOR_HAND);
    qel_node_push(ctx, index);
    return it.clicked;
}

// --- The header ---

static void header_line_draw(qel_context* ctx, const qel_node* node, void*)
{
    qel_rect line = {node->rect.x, node->rect.y + node->rect.h - 1, node->rect.w, 1};
    qel_draw_rect(ctx, &line, nullptr, qel_theme_color(ctx, QEL_COLOR_BORDER));
}

static void grip_draw(qel_context* ctx, const qel_node* node, void* user)
{
    qel_rect grip = {node->rect.x + 5, node->rect.y + 9, 2, 22};
    qel_draw_rect(ctx, &grip, nullptr, *(const qel_color*)user);
}

// Eight flags a step: the header asks this of every row each frame.
static bool any_flag(const uint8_t* flags, int32_t count)
{
    int32_t i = 0;
    for (uint64_t word; i + 8 <= count; i += 8) {
        memcpy(&word, flags + i, sizeof word);
        if (word) return true;
    }
    for (; i < count; i++)
        if (flags[i]) return true;
    return false;
}

static void select_all_cell(qel_context* ctx, qel_data_table* t)
{
    uint32_t id = t->id ^ SELECT_ALL_KEY;
    uint8_t* flags = t->opts.selection;
    bool all = t->row_count > 0 && !memchr(flags, 0, (size_t)t->row_count);
    bool some = all || any_flag(flags, t->row_count);
    if (check_cell(ctx, id, HEADER_HEIGHT)) {
        set_all(t, all ? 0 : 1);
        all = !all && t->row_count > 0;
        some = all;
    }
    qel_data_table_checkbox(ctx, id, all, some && !all);
    qel_node_pop(ctx);
}

static void sort_click(const qel_data_table* t, int32_t column)
{
    qel_data_table_sort* sort = t->opts.sort;
    if (!sort) return;
    if (sort->column == column) {
        sort->descending = !sort->descending;
    } else {
        sort->column = column;
        sort->descending = 0;
    }
}

static void header_cell(qel_context* ctx, qel_data_table* t, int32_t c)
{
    const qel_data_table_column& col = t->columns[c];
    uint32_t id = hash_index(c, t->id ^ HEADER_CELL_KEY);
    uint32_t flags = col.sortable ? (uint32_t)QEL_INTERACT_FOCUSABLE : 0u;
    qel_interaction it = qel_interact(ctx, id, flags);
    if (col.sortable && it.clicked) sort_click(t, c);
    float flash = col.sortable ? qel_anim_flash(ctx, id, it.hovered, HEADER_FLASH) : 0.0f;
    bool sorted = col.sortable && t->opts.sort && t->opts.sort->column == c;

    int32_t index = qel_node_sized(ctx, id, {QEL_SIZE_FIXED, column_width(t, c)}, {QEL_SIZE_GROW, 1});
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->justify = (uint8_t)std::min(col.alignment, 2u);
    n->pad_left = n->pad_right = CELL_PAD;
    n->gap = 4;
    n->flags |= QEL_NODE_CLIP;
    n->fill = qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_HOVER), flash);
    qel_node_mark_interactive(ctx, index, flags);
    if (col.sortable && it.hovered) qel_set_cursor(ctx, QEL_CURSOR_HAND);
    if (it.focused && it.focus_visible) qel_focus_ring(ctx, index, 1);
    qel_node_push(ctx, index);
    const char* title = col.title ? col.title : "";
    qel_color color = qel_theme_color(ctx, sorted ? QEL_COLOR_TEXT : QEL_COLOR_TEXT_SECONDARY);
    qel_text_leaf(ctx, title, qel_label_visible_len(title), QEL_FONT_MEDIUM, qel_text_small_scaled(ctx), color, false,
                  1.3f);
    if (col.sortable) {
        if (sorted)
            qel_icon_glyph(ctx, t->opts.sort->descending ? SORT_DOWN : SORT_UP, 12, qel_theme_color(ctx, QEL_COLOR_TEXT));
        else
            qel_icon_glyph(ctx, SORTABLE, 12,
                           qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), 0.4f + 0.6f * flash));
    }
    qel_node_pop(ctx);
}

// The handle floats over the boundary at the header row's level, so neither cell clips it.
static void resize_handle(qel_context* ctx, const qel_data_table* t, int32_t c, float right)
{
    uint32_t id = hash_index(c, t->id ^ HANDLE_KEY);
    int32_t index = qel_node_floating(ctx, id, right - HANDLE_WIDTH / 2, 0, HANDLE_WIDTH, HEADER_HEIGHT);
    qel_node_mark_interactive(ctx, index, QEL_INTERACT_HOLD_OUTSIDE);
    qel_node* n = qel_node_at(ctx, index);
    n->flags |= QEL_NODE_ON_TOP;
    bool dragging = t->st->resizing == c;
    if (!dragging && qel_hovered_id(ctx) != id) return;
    qel_color color = dragging ? qel_picker_accent(ctx, QEL_COLOR_TEXT) : qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG);
    qel_node_draw_with(ctx, index, grip_draw, &color, sizeof color, false);
}

// A wrapper of no height, moved down by the scroll offset and drawn over the rows, keeps the
// header on top while the rows scroll under it.
static void header(qel_context* ctx, qel_data_table* t, float scroll_y, float scroll_x)
{
    int32_t wrap = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, t->content_width}, {QEL_SIZE_FIXED, 0});
    qel_node* w = qel_node_at(ctx, wrap);
    w->translate_y = scroll_y;
    w->flags |= QEL_NODE_ON_TOP;
    qel_node_push(ctx, wrap);
    int32_t index =
        qel_node_sized(ctx, t->id ^ HEADER_KEY, {QEL_SIZE_FIXED, t->content_width}, {QEL_SIZE_FIXED, HEADER_HEIGHT});
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->fill = qel_theme_color(ctx, QEL_COLOR_SUBTLE);
    float r = ctx->theme.current.radius_small - 1;
    n->radii[0] = scroll_x > 0.5f ? 0 : r;
    n->radii[1] = r;
    qel_node_draw_with(ctx, index, header_line_draw, nullptr, 0, true);
    qel_node_push(ctx, index);
    if (t->checks) select_all_cell(ctx, t);
    float x = t->checks ? CHECK_WIDTH : 0.0f;
    for (int32_t c = 0; c < t->column_count; c++) {
        if (t->hidden[c]) continue;
        header_cell(ctx, t, c);
        x += column_width(t, c);
        if (!t->columns[c].fixed_width) resize_handle(ctx, t, c, x);
    }
    qel_node_pop(ctx);
    qel_node_pop(ctx);
}

static void space(qel_context* ctx, float width, float height)
{
    if (height > 0) qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, width}, {QEL_SIZE_FIXED, height});
}

// --- Begin and end ---

static int32_t table_node(qel_context* ctx, const qel_data_table* t)
{
    const qel_data_table_options& o = t->opts;
    qel_size width = o.width.kind == QEL_SIZE_FIT ? qel_size{QEL_SIZE_GROW, 1} : o.width;
    qel_size height = o.height.kind == QEL_SIZE_FIT ? qel_size{QEL_SIZE_GROW, 1} : o.height;
    qel_interaction it = qel_interact(ctx, t->id, QEL_INTERACT_FOCUSABLE);
    int32_t index = qel_node_sized(ctx, t->id, width, height);
    qel_node* n = qel_node_at(ctx, index);
    n->min_h = MIN_TABLE_HEIGHT;
    qel_node_focusable_panel(ctx, index);
    if (it.focused && it.focus_visible) qel_focus_ring(ctx, index, 1);
    return index;
}

bool qel_data_table_begin(qel_context* ctx, const char* label, const qel_data_table_column* columns,
                          int32_t column_count, int32_t row_count, int32_t* first, int32_t* last,
                          const qel_data_table_options* options)
{
    auto* t = qel_scope_push<qel_data_table>(ctx);
    if (options) t->opts = *options;
    t->id = qel_id(ctx, label);
    t->scroll_id = t->id ^ SCROLL_KEY;
    t->columns = columns;
    t->column_count = columns ? std::clamp(column_count, 0, (int32_t)QEL_DATA_TABLE_MAX_COLUMNS) : 0;
    t->row_count = std::max(row_count, 0);
    t->st = state_of(ctx, t->id, columns, t->column_count);
    t->row_height = qel_picker_row_height(t->opts.row_height, DEFAULT_ROW_HEIGHT);
    t->checks = t->opts.selection && !t->opts.hide_checks;
    t->focused = qel_focused_id(ctx) == t->id;
    t->row = -1;

    drag_handles(ctx, t);
    auto* sc = (qel_scroll_state*)qel_state_get(ctx, t->scroll_id, sizeof(qel_scroll_state));
    fit_columns(t, sc->view_w);
    float view = sc->view_h > 0 ? sc->view_h : DEFAULT_VIEW_HEIGHT, h = t->row_height;
    t->first = std::max((int32_t)floorf((sc->scroll_y - HEADER_HEIGHT) / h) - 2, 0);
    t->last = std::min(t->row_count, t->first + (int32_t)ceilf(view / h) + 5);
    t->first = std::min(t->first, t->last);
    take_cursor(ctx, t);
    handle_keys(ctx, t, view);
    write_back(t);

    qel_node_push(ctx, table_node(ctx, t));
    qel_style grow = {};
    grow.width = grow.height = {QEL_SIZE_GROW, 1};
    int32_t scroll = qel_scroll_begin(ctx, t->scroll_id, &grow, true);
    float scroll_y = qel_node_at(ctx, scroll)->content_offset_y, scroll_x = qel_node_at(ctx, scroll)->content_offset_x;
    qel_node_push(ctx, qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, t->content_width}, {QEL_SIZE_FIT, 0}));
    header(ctx, t, scroll_y, scroll_x);
    space(ctx, 1, HEADER_HEIGHT);
    space(ctx, 1, (float)t->first * h);
    if (first) *first = t->first;
    if (last) *last = t->last;
    return true;
}

void qel_data_table_end(qel_context* ctx)
{
    qel_data_table* t = qel_scope_find<qel_data_table>(ctx);
    if (!t) return;
    if (t->in_row) qel_data_table_row_end(ctx, t);
    space(ctx, 1, (float)(t->row_count - t->last) * t->row_height);
    if (t->row_count == 0) {
        int32_t index = qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
        qel_node* n = qel_node_at(ctx, index);
        n->direction = QEL_DIR_ROW;
        n->justify = QEL_JUSTIFY_CENTER;
        n->align = QEL_ALIGN_CENTER;
        n->pad_top = n->pad_bottom = 36;
        qel_node_push(ctx, index);
        qel_node_text(ctx, "No rows", -1, QEL_FONT_BODY, qel_text_body_scaled(ctx),
                      qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), false);
        qel_node_pop(ctx);
    }
    qel_node_pop(ctx);  // content column
    qel_scroll_end(ctx);
    qel_node_pop(ctx);  // table node
    qel_scope_pop<qel_data_table>(ctx);
    qel_set_last_item(ctx, t->id);
}

// --- Rows ---

struct row_look {
    qel_color line, bar;
};

static void row_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* look = (const row_look*)user;
    const qel_rect& r = node->rect;
    qel_rect line = {r.x, r.y + r.h - 1, r.w, 1}, bar = {r.x, r.y, 2, r.h};
    qel_draw_rect(ctx, &line, nullptr, look->line);
    qel_draw_rect(ctx, &bar, nullptr, look->bar);
}

static qel_color selected_fill(qel_context* ctx)
{
    if (qel_theme_get_accent(ctx) == QEL_ACCENT_NEUTRAL) return qel_theme_color(ctx, QEL_COLOR_ACTIVE);
    float amount = qel_dark_mode(ctx) ? 0.16f : 0.09f;
    return qel_color_mix(qel_theme_color(ctx, QEL_COLOR_SURFACE), qel_theme_color(ctx, QEL_COLOR_ACCENT), amount);
}

static void click_row(qel_context* ctx, qel_data_table* t, int32_t row)
{
    table_state* s = t->st;
    if (s->edit_row < 0) qel_set_focus(ctx, t->id, false);
    t->activated = ctx->input.click_count >= 2;
    if (t->opts.selection) {
        uint32_t mods = qel_modifiers(ctx);
        if ((mods & QEL_MOD_CTRL) && !(mods & QEL_MOD_SHIFT)) {
            t->opts.selection[row] = !t->opts.selection[row];
            s->anchor = row;
        } else if (mods & QEL_MOD_SHIFT) {
            if (s->anchor < 0) s->anchor = row;
            select_range(t, s->anchor, row);
        } else {
            select_range(t, row, row);
            s->anchor = row;
        }
    }
    s->cursor = row;
    write_back(t);
}

static void row_node(qel_context* ctx, qel_data_table* t, int32_t row, uint32_t id, bool hovered)
{
    bool selected = t->opts.selection && t->opts.selection[row];
    qel_color base = t->opts.striped && (row & 1) ? qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_TEXT), 0.02f) : 0;
    float flash = qel_anim_flash(ctx, id, hovered, ROW_FLASH);
    row_look look = {};
    if (row + 1 < t->row_count) look.line = qel_theme_color(ctx, QEL_COLOR_BORDER_SUBTLE);
    if (t->focused && ctx->interaction.focus_visible && row == t->st->cursor)
        look.bar = qel_picker_accent(ctx, QEL_COLOR_TEXT);

    int32_t index = qel_node_sized(ctx, id, {QEL_SIZE_FIXED, t->content_width}, {QEL_SIZE_FIXED, t->row_height});
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->fill = selected ? selected_fill(ctx) : qel_color_mix(base, qel_theme_color(ctx, QEL_COLOR_HOVER), flash);
    qel_node_draw_with(ctx, index, row_draw, &look, sizeof look, true);
    qel_node_mark_interactive(ctx, index, 0);
    qel_node_push(ctx, index);
}

bool qel_data_table_row(qel_context* ctx, int32_t row)
{
    qel_data_table* t = qel_scope_find<qel_data_table>(ctx);
    if (!t) return false;
    if (t->in_row) qel_data_table_row_end(ctx, t);
    uint32_t id = hash_index(row, t->id ^ ROW_KEY);
    qel_interaction it = qel_interact(ctx, id, 0);
    bool clicked = it.clicked && row_inside(t, row);
    t->activated = false;
    if (clicked) click_row(ctx, t, row);
    row_node(ctx, t, row, id, it.hovered);
    t->row = row;
    t->cell = 0;
    t->in_row = true;
    t->enter_taken = false;
    if (t->checks) {
        uint32_t check = id ^ CHECK_KEY;
        if (check_cell(ctx, check, t->row_height) && row_inside(t, row)) {
            t->opts.selection[row] = !t->opts.selection[row];
            t->st->anchor = row;
            write_back(t);
        }
        qel_data_table_checkbox(ctx, check, row_inside(t, row) && t->opts.selection[row], false);
        qel_node_pop(ctx);
    }
    return clicked;
}

// --- Cells ---

static void close_cell(qel_context* ctx, qel_data_table* t)
{
    if (!t->in_cell) return;
    qel_node_pop(ctx);
    t->in_cell = false;
}

void qel_data_table_cell(qel_context* ctx)
{
    qel_data_table* t = qel_scope_find<qel_data_table>(ctx);
    if (!t || !t->in_row) return;
    close_cell(ctx, t);
    int32_t c = t->cell++;
    int32_t index;
    if (c >= t->column_count) {
        index = qel_node_open(ctx, 0);
    } else if (t->hidden[c]) {
        index = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, 0}, {QEL_SIZE_FIXED, 0});
        qel_node_at(ctx, index)->flags |= QEL_NODE_CLIP;
    } else {
        index = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, column_width(t, c)}, {QEL_SIZE_GROW, 1});
        qel_node* n = qel_node_at(ctx, index);
        n->direction = QEL_DIR_ROW;
        n->align = QEL_ALIGN_CENTER;
        n->justify = (uint8_t)std::min(t->columns[c].alignment, 2u);
        n->gap = 8;
        n->pad_left = n->pad_right = CELL_PAD;
        n->flags |= QEL_NODE_CLIP;
    }
    qel_node_push(ctx, index);
    t->in_cell = true;
}

void qel_data_table_cell_text(qel_context* ctx, const char* text)
{
    qel_data_table* t = qel_scope_find<qel_data_table>(ctx);
    qel_data_table_cell(ctx);
    if (!t || !t->in_row) return;
    int32_t c = t->cell - 1;
    qel_text_opts o = {};
    o.single_line = 1;
    o.line_height = 1.3f;
    o.tabular = c < t->column_count && t->columns[c].alignment == 2;
    qel_text_ex(ctx, text ? text : "", &o);
}

void qel_data_table_row_end(qel_context* ctx, qel_data_table* t)
{
    if (!t || !t->in_row) return;
    close_cell(ctx, t);
    for (int32_t c = t->cell; c < t->column_count; c++)
        if (!t->hidden[c]) space(ctx, column_width(t, c), 1);
    t->cell = t->column_count;
    qel_node_pop(ctx);
    t->in_row = false;
}

// --- Editing ---

static void save_text(qel_context* ctx, table_state* s, const char* text)
{
    int32_t length = (int32_t)strlen(text);
    if (length + 1 > s->saved_capacity) {
        s->saved = (char*)qel_mem_realloc(ctx, s->saved, (size_t)length + 1);
        s->saved_capacity = length + 1;
    }
    memcpy(s->saved, text, (size_t)length + 1);
}

// Restores the whole saved text, cut to the buffer when the caller's buffer shrank.
static void restore_text(const table_state* s, char* buffer, int32_t capacity)
{
    int32_t length = std::min((int32_t)strlen(s->saved), capacity - 1);
    memcpy(buffer, s->saved, (size_t)length);
    buffer[length] = 0;
}

static bool wants_edit(qel_context* ctx, qel_data_table* t, uint32_t cell_id)
{
    if (t->st->edit_row >= 0) return false;
    if (t->activated && qel_picker_pointer_over(ctx, cell_id)) return true;
    if (t->enter_taken || !t->focused || t->st->cursor != t->row || !qel_key_take(ctx, QEL_KEY_ENTER)) return false;
    t->enter_taken = true;
    return true;
}

static void cell_label(qel_context* ctx, uint32_t cell_id, const char* buffer)
{
    int32_t index = qel_text_leaf(ctx, buffer, -1, QEL_FONT_BODY, qel_text_body_scaled(ctx),
                                  qel_theme_color(ctx, QEL_COLOR_TEXT), false, 1.3f);
    qel_node* n = qel_node_at(ctx, index);
    n->id = cell_id;
    n->width = {QEL_SIZE_GROW, 1};
}

bool qel_data_table_cell_edit(qel_context* ctx, char* buffer, int32_t capacity)
{
    qel_data_table* t = qel_scope_find<qel_data_table>(ctx);
    if (!t || !t->in_cell || !buffer || capacity < 1) return false;
    table_state* s = t->st;
    int32_t column = t->cell - 1;
    const int32_t key[3] = {t->row, column, (int32_t)EDIT_KEY};
    uint32_t cell_id = qel_hash_bytes(key, sizeof key, t->id), field_id = cell_id ^ FIELD_KEY;
    if (wants_edit(ctx, t, cell_id)) {
        s->edit_row = t->row;
        s->edit_column = column;
        save_text(ctx, s, buffer);
        qel_text_activate(ctx, field_id);
    }
    bool editing = s->edit_row == t->row && s->edit_column == column;
    if (editing && qel_focused_id(ctx) == field_id && qel_key_take(ctx, QEL_KEY_ESCAPE)) {
        restore_text(s, buffer, capacity);
        end_editing(s);
        qel_set_focus(ctx, t->id, false);
        editing = false;
    }
    if (!editing) {
        cell_label(ctx, cell_id, buffer);
        if (qel_picker_pointer_over(ctx, cell_id)) qel_set_cursor(ctx, QEL_CURSOR_IBEAM);
        return false;
    }
    uint32_t result = qel_input_text_ex(ctx, field_id, buffer, capacity, nullptr, false, false, nullptr);
    if (result & QEL_INPUT_SUBMITTED) {
        end_editing(s);
        qel_set_focus(ctx, t->id, false);
        return true;
    }
    if (qel_focused_id(ctx) == field_id) return false;
    end_editing(s);
    return strcmp(buffer, s->saved) != 0;
}

bool qel_data_table_next_cell_edit(qel_context* ctx, char* buffer, int32_t capacity)
{
    qel_data_table_cell(ctx);
    return qel_data_table_cell_edit(ctx, buffer, capacity);
}
