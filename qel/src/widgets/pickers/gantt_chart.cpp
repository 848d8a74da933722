// The Gantt chart: dragging and keyboard edits of the caller's tasks in whole days, the task
// column, the month and day header, the bars as floating nodes and the body's grid, weekends,
// dependency arrows and marker drawn from frame copies of the tasks.
#include "qel/gantt_chart.h"

#include <algorithm>
#include <cmath>

#include "core/core.h"
#include "qel/arena.h"
#include "qel/badges_avatars.h"
#include "qel/color.h"
#include "qel/date_picker.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/layout.h"
#include "qel/scroll_container.h"
#include "qel/state.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

static const float DEFAULT_DAY_WIDTH = 30, DEFAULT_ROW_HEIGHT = 40, EDGE = 7, HEADER = 52, COMPACT_BELOW = 480;

enum gantt_drag_mode : int32_t { DRAG_MOVE = 1, DRAG_START = 2, DRAG_END = 3 };

struct gantt_state {
    int32_t dragged;  // task index + 1, 0 none
    int32_t mode;     // gantt_drag_mode
    int32_t start0, end0;
    float press_x;
    uint8_t moved;
};

// What one frame of the chart works with.
struct gantt_frame {
    uint32_t id;
    qel_gantt_task* tasks;
    int32_t count, days, first_day, marker;
    float dw, rh;
    bool read_only, compact, dark;
};

static float size_or(float value, float fallback)
{
    return std::isfinite(value) && value > 0 ? std::min(value, 10000.0f) : fallback;
}

static uint32_t bar_id(const gantt_frame* f, int32_t index)
{
    return qel_hash_bytes(&index, 4, f->id ^ 0x6A7);
}

static qel_color task_color(qel_context* ctx, const qel_gantt_task* t)
{
    return qel_color_semantic(ctx, t->color ? t->color : 8);
}

// --- Editing ---

static void move_task(qel_gantt_task* t, int32_t start0, int32_t end0, int32_t delta, int32_t days)
{
    int32_t length = end0 - start0;
    t->start = std::min(days - length, std::max(start0 + delta, 0));
    t->end = t->start + length;
}

// Moves the end (the day after the last) to end, keeping at least one day after start.
static void move_end(qel_gantt_task* t, int32_t start, int32_t end, int32_t days)
{
    t->end = std::min(days, std::max(start + 1, end));
}

static void apply_drag(const gantt_frame* f, const gantt_state* st, qel_gantt_task* t, float pointer_x)
{
    // A whole-day count from the pointer's travel, kept within the chart before it is converted.
    float days = roundf((pointer_x - st->press_x) / f->dw);
    int32_t delta = (int32_t)std::clamp(days, -(float)f->days - 1, (float)f->days + 1);
    if (st->mode == DRAG_MOVE)
        move_task(t, st->start0, st->end0, delta, f->days);
    else if (st->mode == DRAG_START)
        t->start = std::min(std::max(st->start0 + delta, 0), st->end0 - 1);
    else
        move_end(t, st->start0, st->end0 + delta, f->days);
}

// The running drag, judged before the layout; returns the task clicked by it or -1.
static int32_t drag_step(qel_context* ctx, const gantt_frame* f, gantt_state* st)
{
    int32_t index = st->dragged - 1;
    if (index < 0 || index >= f->count) return -1;
    if (!qel_mouse_down(ctx, 0)) {
        int32_t clicked = st->moved ? -1 : index;
        *st = {};
        return clicked;
    }
    // The core's far-away position while the pointer is outside the window is no place on the chart.
    bool inside = qel_mouse_in_window(ctx);
    if (inside && fabsf(ctx->input.mouse_x - st->press_x) > 3) st->moved = 1;
    if (inside && st->moved && !f->read_only) apply_drag(f, st, &f->tasks[index], ctx->input.mouse_x);
    ctx->interaction.active = bar_id(f, index);
    qel_set_cursor(ctx, st->mode == DRAG_MOVE ? QEL_CURSOR_MOVE : QEL_CURSOR_RESIZE_EW);
    return -1;
}

static int32_t edge_zone(const qel_gantt_task* t, qel_rect r, float x)
{
    if (t->milestone) return DRAG_MOVE;
    if (x < r.x + EDGE) return DRAG_START;
    if (x >= r.x + r.w - EDGE) return DRAG_END;
    return DRAG_MOVE;
}

static void key_edit(qel_context* ctx, const gantt_frame* f, qel_gantt_task* t)
{
    bool right = qel_key_take(ctx, QEL_KEY_RIGHT), left = qel_key_take(ctx, QEL_KEY_LEFT);
    if (!right && !left) return;
    int32_t step = right ? 1 : -1;
    if (!(qel_modifiers(ctx) & QEL_MOD_SHIFT))
        move_task(t, t->start, t->end, step, f->days);
    else if (!t->milestone)
        move_end(t, t->start, t->end + step, f->days);
}

// Pointer presses, hover cursors and keys of one bar; returns true when it was clicked by key.
static bool bar_input(qel_context* ctx, const gantt_frame* f, gantt_state* st, int32_t i)
{
    qel_gantt_task* t = &f->tasks[i];
    uint32_t id = bar_id(f, i);
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE | QEL_INTERACT_HOLD_OUTSIDE);
    qel_rect r = qel_id_rect(ctx, id);
    float x = ctx->input.mouse_x;
    if (it.hovered && qel_mouse_pressed(ctx, 0) && !st->dragged) {
        *st = {i + 1, f->read_only ? DRAG_MOVE : edge_zone(t, r, x), t->start, t->end, x, 0};
    } else if (it.hovered && !st->dragged) {
        qel_set_cursor(ctx, !f->read_only && edge_zone(t, r, x) != DRAG_MOVE ? QEL_CURSOR_RESIZE_EW : QEL_CURSOR_HAND);
    }
    if (it.focus_visible && !f->read_only) key_edit(ctx, f, t);
    return it.activated_by_key != 0;
}

// --- Drawing ---

struct gantt_task_copy {
    int32_t start, end, depends_on;
};

struct gantt_body_paint {
    int32_t first_day, days, count, marker;
    float dw, rh;
    const gantt_task_copy* tasks;
    qel_color weekend, monday, row_line, arrow, marker_color;
};

static void draw_arrow(qel_context* ctx, const gantt_body_paint* p, qel_rect r, int32_t from, int32_t to)
{
    float xe = r.x + (float)p->tasks[from].end * p->dw, ye = r.y + ((float)from + 0.5f) * p->rh;
    float xs = r.x + (float)p->tasks[to].start * p->dw, yt = r.y + ((float)to + 0.5f) * p->rh;
    qel_vec2 pts[6];
    int32_t n = 0;
    pts[n++] = {xe, ye};
    pts[n++] = {xe + 8, ye};
    if (xs - 10 >= xe + 8) {
        pts[n++] = {xe + 8, yt};
    } else {
        float ym = ye + (yt >= ye ? p->rh / 2 : -p->rh / 2);
        pts[n++] = {xe + 8, ym};
        pts[n++] = {xs - 10, ym};
        pts[n++] = {xs - 10, yt};
    }
    pts[n++] = {xs - 2, yt};
    qel_draw_polyline(ctx, pts, n, 1.4f, p->arrow, false);
    qel_vec2 head[3] = {{xs - 1, yt}, {xs - 6, yt - 3.5f}, {xs - 6, yt + 3.5f}};
    qel_draw_convex_polygon(ctx, head, 3, p->arrow);
}

static void body_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const gantt_body_paint*)user;
    qel_rect r = node->rect;
    for (int32_t d = 0; d < p->days; d++) {
        int32_t wd = qel_weekday(p->first_day + d);
        float x = r.x + (float)d * p->dw;
        if (wd >= 5) {
            qel_rect shade = {x, r.y, p->dw, r.h};
            qel_draw_rect(ctx, &shade, nullptr, p->weekend);
        }
        if (wd == 0) qel_draw_line(ctx, {x + 0.5f, r.y}, {x + 0.5f, r.y + r.h}, 1, p->monday);
    }
    for (int32_t row = 1; row < p->count; row++) {
        float y = r.y + (float)row * p->rh;
        qel_draw_line(ctx, {r.x, y}, {r.x + r.w, y}, 1, p->row_line);
    }
    for (int32_t i = 0; i < p->count; i++) {
        int32_t dep = p->tasks[i].depends_on;
        if (dep >= 0 && dep < p->count && dep != i) draw_arrow(ctx, p, r, dep, i);
    }
    if (p->marker >= 1 && p->marker < p->days) {
        float x = r.x + ((float)p->marker + 0.5f) * p->dw;
        qel_draw_line(ctx, {x, r.y}, {x, r.y + r.h}, 1.5f, p->marker_color);
    }
}

struct gantt_bar_paint {
    float progress, focus;
    qel_color fill, progress_color;
    uint8_t milestone;
};

static void bar_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const gantt_bar_paint*)user;
    qel_rect r = node->rect;
    if (p->milestone) {
        float cx = r.x + r.w / 2, cy = r.y + r.h / 2;
        qel_vec2 diamond[4] = {{cx, r.y}, {r.x + r.w, cy}, {cx, r.y + r.h}, {r.x, cy}};
        qel_draw_convex_polygon(ctx, diamond, 4, p->progress_color);
    } else {
        qel_draw_rect(ctx, &r, node->radii, p->fill);
        if (p->progress > 0) {
            qel_rect done = {r.x, r.y, r.w * std::min(p->progress, 1.0f), r.h};
            qel_draw_push_clip(ctx, &done);
            qel_draw_rect(ctx, &r, node->radii, p->progress_color);
            qel_draw_pop_clip(ctx);
        }
    }
    // The ring is drawn here: a node holds one draw callback, so qel_focus_ring would replace the bar.
    qel_draw_focus_ring(ctx, &r, node->radii, p->focus);
}

// --- Building ---

static void task_column(qel_context* ctx, const gantt_frame* f, const gantt_state* st)
{
    const qel_theme* t = &ctx->theme.current;
    qel_style s = {};
    s.width = {QEL_SIZE_FIXED, f->compact ? 128.0f : 230.0f};
    qel_column_begin(ctx, &s);
    qel_style head = {};
    head.height = {QEL_SIZE_FIXED, HEADER}, head.width = {QEL_SIZE_GROW, 1};
    head.fill = qel_color_token(QEL_COLOR_SUBTLE), head.justify = QEL_JUSTIFY_END;
    head.padding_bottom = 9, head.padding_left = f->compact ? 12 : 16;
    qel_column_begin(ctx, &head);
    qel_text_leaf_scaled(ctx, "Task", QEL_FONT_MEDIUM, t->text_xs, qel_color_token(QEL_COLOR_TEXT_MUTED), 1.3f);
    qel_container_end(ctx);
    qel_divider(ctx);
    for (int32_t i = 0; i < f->count; i++) {
        const qel_gantt_task* task = &f->tasks[i];
        qel_style row = {};
        row.height = {QEL_SIZE_FIXED, f->rh}, row.width = {QEL_SIZE_GROW, 1}, row.align = QEL_ALIGN_CENTER;
        row.gap = f->compact ? 8 : 10, row.padding_left = f->compact ? 12 : 16, row.padding_right = f->compact ? 8 : 12;
        if (st->dragged == i + 1) row.fill = qel_color_token(QEL_COLOR_HOVER);
        qel_row_begin(ctx, &row);
        int32_t swatch = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, 8}, {QEL_SIZE_FIXED, 8});
        qel_node_at(ctx, swatch)->fill = task_color(ctx, task);
        qel_node_round(qel_node_at(ctx, swatch), task->milestone ? 1 : 4);
        int32_t title = qel_text_leaf_scaled(ctx, task->title ? task->title : "", QEL_FONT_BODY, t->text_small,
                                  qel_color_token(QEL_COLOR_TEXT), 1.3f);
        qel_node_at(ctx, title)->width = {QEL_SIZE_GROW, 1};
        if (!f->compact && task->assignee) {
            qel_avatar_opts a = {};
            a.size = 22;
            qel_avatar(ctx, task->assignee, &a);
        }
        qel_container_end(ctx);
    }
    qel_container_end(ctx);
}

static void header_cell(qel_context* ctx, float width, float height, const char* text, uint32_t font, qel_color color,
                        float line_height, bool centred)
{
    qel_style s = {};
    s.width = {QEL_SIZE_FIXED, width}, s.height = {QEL_SIZE_FIXED, height};
    s.justify = centred ? QEL_JUSTIFY_CENTER : QEL_JUSTIFY_END;
    s.align = centred ? QEL_ALIGN_CENTER : QEL_ALIGN_START;
    s.padding_left = centred ? 0 : 8;
    s.clip = !centred;
    qel_column_begin(ctx, &s);
    qel_text_leaf_scaled(ctx, text, font, ctx->theme.current.text_xs, color, line_height);
    qel_container_end(ctx);
}

static void date_header(qel_context* ctx, const gantt_frame* f)
{
    qel_style s = {};
    s.height = {QEL_SIZE_FIXED, HEADER}, s.width = {QEL_SIZE_GROW, 1}, s.fill = qel_color_token(QEL_COLOR_SUBTLE);
    qel_column_begin(ctx, &s);
    if (f->days > 0) {
        qel_row_begin(ctx, nullptr);
        for (int32_t d = 0; d < f->days;) {
            qel_date date = qel_civil_from_days(f->first_day + d);
            int32_t run = 1;
            while (d + run < f->days && qel_civil_from_days(f->first_day + d + run).month == date.month) run++;
            const char* text = qel_arena_sprintf(ctx, "%s %d", qel_month_name(ctx, date.month - 1), date.year);
            header_cell(ctx, (float)run * f->dw, 24, text, QEL_FONT_MEDIUM, qel_color_token(QEL_COLOR_TEXT_SECONDARY),
                        1.6f, false);
            d += run;
        }
        qel_container_end(ctx);
    }
    qel_style days = {};
    days.height = {QEL_SIZE_FIXED, 30};
    qel_row_begin(ctx, &days);
    for (int32_t d = 0; d < f->days; d++) {
        int32_t day = f->first_day + d;
        bool marker = f->marker >= 1 && d == f->marker;
        qel_theme_slot color = marker ? QEL_COLOR_DANGER : qel_weekday(day) >= 5 ? QEL_COLOR_TEXT_MUTED : QEL_COLOR_TEXT_SECONDARY;
        const char* text = qel_arena_sprintf(ctx, "%d", qel_civil_from_days(day).day);
        header_cell(ctx, f->dw, 30, text, marker ? QEL_FONT_MEDIUM : QEL_FONT_BODY, qel_color_token(color), 1.3f, true);
    }
    qel_container_end(ctx);
    qel_container_end(ctx);
}

static void bar_node(qel_context* ctx, const gantt_frame* f, const gantt_state* st, int32_t i)
{
    const qel_gantt_task* t = &f->tasks[i];
    uint32_t id = bar_id(f, i);
    float y = (float)i * f->rh + 8, h = f->rh - 16, x, w;
    if (t->milestone) {
        float side = f->rh - 12;
        x = (float)t->start * f->dw - side / 2, w = side, h = side, y = (float)i * f->rh + 6;
    } else {
        x = (float)t->start * f->dw + 2, w = std::max(f->dw - 4, (float)(t->end - t->start) * f->dw - 4);
    }
    int32_t index = qel_node_floating(ctx, id, x, y, w, h);
    qel_node_mark_interactive(ctx, index, QEL_INTERACT_FOCUSABLE);
    qel_node* n = qel_node_at(ctx, index);
    qel_node_round(n, 6);
    n->pad_left = 10, n->pad_right = 8;
    n->direction = QEL_DIR_ROW, n->align = QEL_ALIGN_CENTER;
    bool dragged = st->dragged == i + 1 && st->moved;
    if (dragged) n->elevation = 2;
    bool hovered = qel_hovered_id(ctx) == id;
    qel_color color = task_color(ctx, t), surface = qel_theme_color(ctx, QEL_COLOR_SURFACE);
    gantt_bar_paint p = {};
    p.progress = t->progress, p.milestone = t->milestone;
    p.focus = qel_focused_id(ctx) == id && ctx->interaction.focus_visible ? 1.0f : 0.0f;
    p.fill = qel_color_mix(surface, color, f->dark ? (hovered ? 0.36f : 0.28f) : (hovered ? 0.3f : 0.22f));
    p.progress_color = f->dark ? qel_color_mix(color, surface, 0.5f) : color;
    qel_node_draw_with(ctx, index, bar_draw, &p, sizeof p, false);
    if (t->milestone || w <= 60) return;
    qel_node_push(ctx, index);
    qel_color text = t->progress > 0.5f ? 0xFFFFFFFFu : qel_color_mix(qel_theme_color(ctx, QEL_COLOR_TEXT), color, 0.3f);
    qel_text_leaf_scaled(ctx, t->title ? t->title : "", QEL_FONT_MEDIUM, ctx->theme.current.text_xs, text, 1.2f);
    qel_node_pop(ctx);
}

static void chart_area(qel_context* ctx, const gantt_frame* f, const gantt_state* st)
{
    qel_style scroll = {};
    scroll.width = {QEL_SIZE_GROW, 1};
    auto* ss = (qel_scroll_state*)qel_state_get(ctx, f->id ^ 0x5C4, sizeof(qel_scroll_state));
    ss->fade_color = qel_inherited_background(ctx);
    qel_scroll_begin(ctx, f->id ^ 0x5C4, &scroll, true);
    float width = (float)f->days * f->dw;
    qel_style col = {};
    col.width = {QEL_SIZE_FIXED, width};
    qel_column_begin(ctx, &col);
    date_header(ctx, f);
    qel_divider(ctx);
    int32_t body = qel_node_sized(ctx, f->id ^ 0xB0D7, {QEL_SIZE_FIXED, width}, {QEL_SIZE_FIXED, (float)f->count * f->rh});
    auto* copies = (gantt_task_copy*)qel_arena_alloc(ctx, sizeof(gantt_task_copy) * (size_t)std::max(f->count, 1));
    for (int32_t i = 0; i < f->count; i++) copies[i] = {f->tasks[i].start, f->tasks[i].end, f->tasks[i].depends_on};
    gantt_body_paint p = {f->first_day, f->days, f->count, f->marker, f->dw, f->rh, copies,
                          qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_TEXT), f->dark ? 0.025f : 0.022f),
                          qel_theme_color(ctx, QEL_COLOR_BORDER_SUBTLE),
                          qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_BORDER_SUBTLE), 0.5f),
                          qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED),
                          qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_DANGER), 0.8f)};
    qel_node_draw_with(ctx, body, body_draw, &p, sizeof p, false);
    qel_node_push(ctx, body);
    for (int32_t i = 0; i < f->count; i++) bar_node(ctx, f, st, i);
    qel_node_pop(ctx);
    qel_container_end(ctx);
    qel_scroll_end(ctx);
}

int32_t qel_gantt_ex(qel_context* ctx, const char* label, qel_gantt_task* tasks, int32_t count,
                     const qel_date* start, int32_t days, const qel_gantt_options* options)
{
    const qel_gantt_options none = {};
    const qel_gantt_options* o = options ? options : &none;
    gantt_frame f = {};
    f.id = qel_id(ctx, label);
    f.tasks = tasks;
    f.count = tasks && count > 0 ? count : 0;
    f.days = std::max(days, 0);
    f.first_day = start ? qel_days_from_civil(*start) : 0;
    f.marker = o->marker_day;
    f.dw = size_or(o->day_width, DEFAULT_DAY_WIDTH), f.rh = size_or(o->row_height, DEFAULT_ROW_HEIGHT);
    f.read_only = o->read_only != 0;
    float width = qel_id_rect(ctx, f.id).w;
    f.compact = width > 0 && width < COMPACT_BELOW;
    f.dark = qel_dark_mode(ctx);
    auto* st = qel_state_record_of<gantt_state>(ctx, f.id, "gantt_state");

    int32_t clicked = drag_step(ctx, &f, st);
    for (int32_t i = 0; i < f.count; i++)
        if (bar_input(ctx, &f, st, i)) clicked = i;

    int32_t root = qel_node_open(ctx, f.id);
    qel_style s = {};
    s.direction = QEL_DIR_ROW, s.align = QEL_ALIGN_STRETCH, s.width = {QEL_SIZE_GROW, 1};
    s.fill = qel_color_token(QEL_COLOR_SURFACE), s.border = qel_color_token(QEL_COLOR_BORDER), s.border_width = 1;
    s.radius = ctx->theme.current.radius_medium, s.clip = 1;
    qel_node_apply_style(ctx, root, &s);
    qel_node_push(ctx, root);
    task_column(ctx, &f, st);
    qel_divider(ctx);
    chart_area(ctx, &f, st);
    qel_node_pop(ctx);
    return clicked;
}

int32_t qel_gantt(qel_context* ctx, const char* label, qel_gantt_task* tasks, int32_t count, const qel_date* start,
                  int32_t days, const qel_gantt_options* options)
{
    int32_t clicked = qel_gantt_ex(ctx, label, tasks, count, start, days, options);
    qel_node* root = qel_node_at(ctx, qel_node_latest_with_id(ctx, qel_id(ctx, label)));
    if (root && root->direction_mode == 0) root->direction_mode = 1;
    return clicked;
}
