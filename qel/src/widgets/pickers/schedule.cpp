// The week schedule: dragging, resizing and keyboard moves of the caller's events in quarter
// hours, the side-by-side and cascaded placement of overlapping events, the header, the hour
// grid with the current-time line, and the event blocks. The events and the week are the caller's.
#include "qel/schedule.h"

#include <algorithm>
#include <cmath>
#include <ctime>

#include "core/core.h"
#include "qel/arena.h"
#include "qel/color.h"
#include "qel/date_picker.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/frame.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/scroll_container.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

static const float TIME_COLUMN = 60, DEFAULT_HOUR_HEIGHT = 52, DEFAULT_DAY_WIDTH = 110, RESIZE_ZONE = 7;
static const float QUARTER = 0.25f;

enum schedule_drag_mode : int32_t { DRAG_MOVE = 1, DRAG_RESIZE = 2 };

struct schedule_state {
    int32_t dragged;  // event index + 1, 0 none
    int32_t mode;     // schedule_drag_mode
    float grab;       // from the block's top to the press
    uint8_t moved;
    float press_x, press_y;
};

// What one frame of the schedule works with.
struct schedule_frame {
    uint32_t id;
    qel_schedule_event* events;
    int32_t count;
    float first, last, hour_height, day_width;
    qel_rect body;  // last frame's
    bool read_only;
    int32_t today;  // day number
};

static bool shown(const schedule_frame* f, const qel_schedule_event* e)
{
    return e->day >= 0 && e->day <= 6 && std::isfinite(e->start) && std::isfinite(e->end) && e->end > f->first &&
           e->start < f->last;
}

static uint32_t block_id(const schedule_frame* f, int32_t index)
{
    return qel_hash_bytes(&index, 4, f->id ^ 0xE7);
}

// --- Editing ---

// The quarter hour nearest to a point p pixels below the body's top.
static float snap(const schedule_frame* f, float p)
{
    return roundf((p / f->hour_height + f->first) * 4) / 4;
}

static void move_to(const schedule_frame* f, qel_schedule_event* e, float start)
{
    float duration = e->end - e->start;
    e->start = start < f->first ? f->first : std::min(f->last - duration, start);
    e->end = e->start + duration;
}

static void resize_to(const schedule_frame* f, qel_schedule_event* e, float end)
{
    e->end = e->start + QUARTER > end ? e->start + QUARTER : std::min(f->last, end);
}

static void apply_drag(const schedule_frame* f, const schedule_state* st, qel_schedule_event* e, qel_vec2 m)
{
    if (st->mode == DRAG_RESIZE) {
        resize_to(f, e, snap(f, m.y - f->body.y));
        return;
    }
    // The column is found in floating point and clamped before it becomes a number of days.
    float column = floorf((m.x - f->body.x - TIME_COLUMN) / f->day_width);
    e->day = (int32_t)std::clamp(column, 0.0f, 6.0f);
    move_to(f, e, snap(f, m.y - f->body.y - st->grab));
}

// The running drag, judged before the layout; returns the event clicked by it or -1.
static int32_t drag_step(qel_context* ctx, const schedule_frame* f, schedule_state* st)
{
    int32_t index = st->dragged - 1;
    if (index < 0 || index >= f->count) return -1;
    if (!qel_mouse_down(ctx, 0)) {
        int32_t clicked = st->moved ? -1 : index;
        *st = {};
        return clicked;
    }
    // The core's far-away position while the pointer is outside the window is no time or day.
    qel_vec2 m = qel_mouse_pos(ctx);
    bool inside = qel_mouse_in_window(ctx);
    if (inside && fabsf(m.x - st->press_x) + fabsf(m.y - st->press_y) > 4) st->moved = 1;
    if (inside && st->moved && !f->read_only && shown(f, &f->events[index])) apply_drag(f, st, &f->events[index], m);
    ctx->interaction.active = block_id(f, index);
    qel_set_cursor(ctx, st->mode == DRAG_RESIZE ? QEL_CURSOR_RESIZE_NS : QEL_CURSOR_MOVE);
    return -1;
}

static void key_edit(qel_context* ctx, const schedule_frame* f, qel_schedule_event* e)
{
    bool down = qel_key_take(ctx, QEL_KEY_DOWN), up = qel_key_take(ctx, QEL_KEY_UP);
    if (down || up) {
        float change = down ? QUARTER : -QUARTER;
        if (qel_modifiers(ctx) & QEL_MOD_SHIFT)
            resize_to(f, e, e->end + change);
        else
            move_to(f, e, e->start + change);
    }
    bool right = qel_key_take(ctx, QEL_KEY_RIGHT), left = qel_key_take(ctx, QEL_KEY_LEFT);
    if (right || left) e->day = std::clamp(e->day + (right ? 1 : -1), 0, 6);
}

// Presses, hover cursors and keys of one block; returns true when it was activated by key.
static bool block_input(qel_context* ctx, const schedule_frame* f, schedule_state* st, int32_t i)
{
    uint32_t id = block_id(f, i);
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE | QEL_INTERACT_HOLD_OUTSIDE);
    qel_rect r = qel_id_rect(ctx, id);
    qel_vec2 m = qel_mouse_pos(ctx);
    bool edge = !f->read_only && m.y >= r.y + r.h - RESIZE_ZONE;
    if (it.hovered && qel_mouse_pressed(ctx, 0) && !st->dragged) {
        *st = {i + 1, edge ? DRAG_RESIZE : DRAG_MOVE, m.y - r.y, 0, m.x, m.y};
    } else if (it.hovered && !st->dragged) {
        qel_set_cursor(ctx, edge ? QEL_CURSOR_RESIZE_NS : QEL_CURSOR_HAND);
    }
    if (it.focus_visible && !f->read_only) key_edit(ctx, f, &f->events[i]);
    return it.activated_by_key != 0;
}

// --- Overlaps ---

struct block_place {
    int32_t column, columns;
    uint8_t close_start;
};

static bool overlap(const qel_schedule_event* a, const qel_schedule_event* b)
{
    return a->day == b->day && a->start < b->end && b->start < a->end;
}

static block_place* place_blocks(qel_context* ctx, const schedule_frame* f)
{
    auto* out = (block_place*)qel_arena_alloc(ctx, sizeof(block_place) * (size_t)std::max(f->count, 1));
    const qel_schedule_event* ev = f->events;
    for (int32_t i = 0; i < f->count; i++) {
        if (!shown(f, &ev[i])) continue;
        for (int32_t c = 0;; c++) {
            bool taken = false;
            for (int32_t j = 0; j < i && !taken; j++)
                taken = shown(f, &ev[j]) && out[j].column == c && overlap(&ev[i], &ev[j]);
            if (!taken) {
                out[i].column = c;
                break;
            }
        }
    }
    for (int32_t i = 0; i < f->count; i++) {
        if (!shown(f, &ev[i])) continue;
        out[i].columns = out[i].column + 1;
        for (int32_t j = 0; j < f->count; j++) {
            if (j == i || !shown(f, &ev[j]) || !overlap(&ev[i], &ev[j])) continue;
            out[i].columns = std::max(out[i].columns, out[j].column + 1);
            if (fabsf(ev[j].start - ev[i].start) < 0.5f) out[i].close_start = 1;
        }
    }
    return out;
}

// --- Drawing ---

struct grid_paint {
    float first, last, hour_height, day_width;
    int32_t today_column;  // -1 when today is not in the week
    float now;             // hours, or -1
    qel_color line, half_line, label, now_color;
};

static void grid_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const grid_paint*)user;
    qel_rect r = node->rect;
    float left = r.x + TIME_COLUMN, right = r.x + r.w, xs = ctx->theme.current.text_xs * ctx->theme.current.ui_scale;
    float first_hour = ceilf(p->first);
    int32_t hours = (int32_t)ceilf(p->last - first_hour);  // the hours are clamped to -48..72
    for (int32_t h = 0; h < hours; h++) {
        float hour = first_hour + (float)h;
        float y = r.y + (hour - p->first) * p->hour_height;
        qel_draw_line(ctx, {left, y + 0.5f}, {right, y + 0.5f}, 1, p->line);
        float half = y + p->hour_height / 2;
        if (half < r.y + r.h - 1) qel_draw_line(ctx, {left, half + 0.5f}, {right, half + 0.5f}, 1, p->half_line);
        if (hour > p->first) {
            const char* label = qel_arena_sprintf(ctx, "%02d:00", (int32_t)hour % 24);
            qel_draw_text_aligned(ctx, QEL_FONT_BODY, xs, left - 10, y, 2, p->label, label, 0);
        }
    }
    for (int32_t d = 0; d < 7; d++) {
        float x = left + (float)d * p->day_width + 0.5f;
        qel_draw_line(ctx, {x, r.y}, {x, r.y + r.h}, 1, p->line);
    }
    if (p->today_column < 0 || p->now < p->first || p->now > p->last) return;
    float x = left + (float)p->today_column * p->day_width, y = r.y + (p->now - p->first) * p->hour_height;
    qel_draw_line(ctx, {x, y}, {x + p->day_width, y}, 2, p->now_color);
    qel_draw_circle(ctx, {x, y}, 4.5f, p->now_color);
}

struct block_paint {
    qel_color strip;
    float focus;
};

static void block_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const block_paint*)user;
    qel_rect strip = {node->rect.x + 3, node->rect.y + 4, 3, node->rect.h - 8};
    float radii[4] = {1.5f, 1.5f, 1.5f, 1.5f};
    qel_draw_rect(ctx, &strip, radii, p->strip);
    // The ring is drawn here: a node holds one draw callback, so qel_focus_ring would replace the strip.
    qel_draw_focus_ring(ctx, &node->rect, node->radii, p->focus);
}

// --- Building ---

// A time of a shown block (finite) as whole minutes first, so that 9.999 reads 10:00, never 9:60.
static const char* clock_text(qel_context* ctx, float hour)
{
    int32_t minutes = (int32_t)lroundf(std::clamp(hour, -48.0f, 96.0f) * 60);
    minutes = ((minutes % 1440) + 1440) % 1440;
    return qel_arena_sprintf(ctx, "%d:%02d", minutes / 60, minutes % 60);
}

static void day_header(qel_context* ctx, int32_t column, int32_t day, bool today)
{
    const qel_theme* t = &ctx->theme.current;
    bool accent = qel_theme_get_accent(ctx) != 0;
    qel_style s = {};
    s.width = {QEL_SIZE_GROW, 1}, s.gap = 8, s.align = QEL_ALIGN_CENTER, s.justify = QEL_JUSTIFY_CENTER;
    qel_row_begin(ctx, &s);
    qel_theme_slot name_color = today ? (accent ? QEL_COLOR_ACCENT : QEL_COLOR_TEXT) : QEL_COLOR_TEXT_MUTED;
    qel_text_leaf_scaled(ctx, qel_weekday_name_short(ctx, column), QEL_FONT_MEDIUM, t->text_xs,
                         qel_color_token(name_color), 1.3f);
    qel_style c = {};
    c.width = {QEL_SIZE_FIXED, 30}, c.height = {QEL_SIZE_FIXED, 30}, c.radius = 15;
    c.align = QEL_ALIGN_CENTER, c.justify = QEL_JUSTIFY_CENTER;
    if (today) c.fill = qel_color_token(accent ? QEL_COLOR_ACCENT : QEL_COLOR_PRIMARY);
    qel_column_begin(ctx, &c);
    qel_theme_slot number_color = today ? (accent ? QEL_COLOR_ON_ACCENT : QEL_COLOR_ON_PRIMARY) : QEL_COLOR_TEXT;
    qel_text_leaf(ctx, qel_arena_sprintf(ctx, "%d", qel_civil_from_days(day).day), -1, QEL_FONT_HEADING,
                  16 * t->ui_scale, qel_color_token(number_color), false, 1.0f);
    qel_container_end(ctx);
    qel_container_end(ctx);
}

static void header(qel_context* ctx, int32_t first_day, int32_t today)
{
    qel_style s = {};
    s.height = {QEL_SIZE_FIXED, 56}, s.width = {QEL_SIZE_GROW, 1}, s.align = QEL_ALIGN_CENTER;
    qel_row_begin(ctx, &s);
    qel_gap(ctx, TIME_COLUMN);
    for (int32_t d = 0; d < 7; d++) day_header(ctx, d, first_day + d, first_day + d == today);
    qel_container_end(ctx);
    qel_divider(ctx);
}

static void block_texts(qel_context* ctx, const qel_schedule_event* e, float width, float raw_height, qel_color text)
{
    const qel_theme* t = &ctx->theme.current;
    float title_size = (t->text_xs + 0.5f) * t->ui_scale, xs = t->text_xs * t->ui_scale;
    const char* title = e->title ? e->title : "";
    qel_text_leaf(ctx, title, -1, QEL_FONT_MEDIUM, title_size, text, false, 1.3f);
    qel_color secondary = qel_color_alpha(text, 0.75f);
    const char* start = clock_text(ctx, e->start);
    if (raw_height < 30) {
        float need = qel_text_width_measured(ctx, QEL_FONT_MEDIUM, title_size, title, -1, false) +
                     qel_text_width_measured(ctx, QEL_FONT_BODY, xs, start, -1, false) + 6;
        if (width - 18 >= need) qel_text_leaf(ctx, start, -1, QEL_FONT_BODY, xs, secondary, false, 1.3f);
        return;
    }
    if (raw_height > 34 && width > 76) {
        const char* range = qel_arena_sprintf(ctx, "%s \xE2\x80\x93 %s", start, clock_text(ctx, e->end));
        if (qel_text_width_measured(ctx, QEL_FONT_BODY, xs, range, -1, false) > width - 18) range = start;
        qel_text_leaf(ctx, range, -1, QEL_FONT_BODY, xs, secondary, false, 1.3f);
    }
    if (raw_height > 54 && e->subtitle) qel_text_leaf(ctx, e->subtitle, -1, QEL_FONT_BODY, xs, secondary, false, 1.3f);
}

static void block_node(qel_context* ctx, const schedule_frame* f, const schedule_state* st, const block_place* p,
                       int32_t i)
{
    const qel_schedule_event* e = &f->events[i];
    uint32_t id = block_id(f, i);
    float usable = f->day_width - 6, x = TIME_COLUMN + (float)e->day * f->day_width + 3, width = usable;
    if (!p->close_start && p->columns > 1) {
        float shift = std::min(0.3f * f->day_width, 32.0f) * (float)p->column;
        x += shift, width -= shift;
    } else {
        width = usable / (float)p->columns;
        x += width * (float)p->column;
    }
    float top = std::max(e->start, f->first), raw = (std::min(e->end, f->last) - top) * f->hour_height - 2;
    int32_t index = qel_node_floating(ctx, id, x, (top - f->first) * f->hour_height + 1, width - 2, std::max(18.0f, raw));
    qel_node_mark_interactive(ctx, index, QEL_INTERACT_FOCUSABLE);
    qel_node* n = qel_node_at(ctx, index);
    bool dark = qel_dark_mode(ctx), hovered = qel_hovered_id(ctx) == id;
    qel_color color = qel_color_semantic(ctx, e->color ? e->color : 8), surface = qel_theme_color(ctx, QEL_COLOR_SURFACE);
    n->fill = qel_color_mix(surface, color, dark ? (hovered ? 0.3f : 0.24f) : (hovered ? 0.2f : 0.14f));
    qel_node_round(n, 6);
    n->pad_top = 5, n->pad_right = 6, n->pad_bottom = 4, n->pad_left = 12, n->gap = 1;
    if (raw < 30) n->direction = QEL_DIR_ROW, n->align = QEL_ALIGN_CENTER, n->gap = 6, n->pad_top = n->pad_bottom = 0;
    if (!p->close_start && p->columns > 1 && p->column > 0) n->border = surface, n->border_width = 1.5f;
    if (st->dragged == i + 1 && st->moved) n->elevation = 3, n->flags |= QEL_NODE_ON_TOP;
    block_paint paint = {color, qel_focused_id(ctx) == id && ctx->interaction.focus_visible ? 1.0f : 0.0f};
    qel_node_draw_with(ctx, index, block_draw, &paint, sizeof paint, false);
    qel_node_push(ctx, index);
    block_texts(ctx, e, width - 2, raw, qel_color_mix(qel_theme_color(ctx, QEL_COLOR_TEXT), color, dark ? 0.2f : 0.45f));
    qel_node_pop(ctx);
}

// Today's column in the week and the local time in hours; asks for the frame of the next minute.
static grid_paint grid_of(qel_context* ctx, const schedule_frame* f, int32_t first_day)
{
    grid_paint p = {f->first, f->last, f->hour_height, f->day_width, -1, -1, qel_theme_color(ctx, QEL_COLOR_BORDER_SUBTLE),
                    qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_BORDER_SUBTLE), 0.5f),
                    qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), qel_theme_color(ctx, QEL_COLOR_DANGER)};
    int32_t column = f->today - first_day;
    if (column < 0 || column > 6) return p;
    time_t now = time(nullptr);
    const tm* t = localtime(&now);
    if (!t) return p;
    p.today_column = column;
    p.now = (float)t->tm_hour + (float)t->tm_min / 60;
    qel_request_redraw_in(ctx, (float)(60 - t->tm_sec));
    return p;
}

static void hour_area(qel_context* ctx, const schedule_frame* f, const schedule_state* st, int32_t first_day,
                      const qel_schedule_options* o)
{
    qel_style s = {};
    s.width = {QEL_SIZE_GROW, 1};
    s.height = o->body_height.kind ? o->body_height : qel_size{QEL_SIZE_FIXED, 460};
    qel_scroll_begin(ctx, f->id ^ 0x5C3, &s, false);
    int32_t body = qel_node_sized(ctx, f->id ^ 0x6E1D, {QEL_SIZE_GROW, 1},
                                  {QEL_SIZE_FIXED, (f->last - f->first) * f->hour_height + 1});
    grid_paint grid = grid_of(ctx, f, first_day);
    qel_node_draw_with(ctx, body, grid_draw, &grid, sizeof grid, false);
    qel_node_push(ctx, body);
    const block_place* places = place_blocks(ctx, f);
    for (int32_t i = 0; i < f->count; i++)
        if (shown(f, &f->events[i])) block_node(ctx, f, st, &places[i], i);
    qel_node_pop(ctx);
    qel_scroll_end(ctx);
}

static void frame_of(qel_context* ctx, schedule_frame* f, const char* label, qel_schedule_event* events, int32_t count,
                     const qel_schedule_options* o)
{
    f->id = qel_id(ctx, label);
    f->events = events;
    f->count = events && count > 0 ? count : 0;
    f->first = o->first_hour, f->last = o->last_hour;
    if (!std::isfinite(f->first) || !std::isfinite(f->last) || !(f->last > f->first)) f->first = 7, f->last = 21;
    // Hours past a day either side only make a grid no screen can show.
    f->first = std::clamp(f->first, -48.0f, 48.0f), f->last = std::clamp(f->last, f->first + QUARTER, 72.0f);
    f->hour_height = std::isfinite(o->hour_height) && o->hour_height > 0 ? std::min(o->hour_height, 1000.0f)
                                                                          : DEFAULT_HOUR_HEIGHT;
    f->body = qel_id_rect(ctx, f->id ^ 0x6E1D);
    f->day_width = f->body.w > TIME_COLUMN ? (f->body.w - TIME_COLUMN) / 7 : DEFAULT_DAY_WIDTH;
    f->read_only = o->read_only != 0;
    f->today = qel_days_from_civil(qel_today(nullptr));
}

int32_t qel_schedule_ex(qel_context* ctx, const char* label, const qel_date* start, qel_schedule_event* events,
                        int32_t count, const qel_schedule_options* options)
{
    const qel_schedule_options none = {};
    const qel_schedule_options* o = options ? options : &none;
    schedule_frame f = {};
    frame_of(ctx, &f, label, events, count, o);
    auto* st = qel_state_record_of<schedule_state>(ctx, f.id, "schedule_state");
    int32_t clicked = drag_step(ctx, &f, st);
    for (int32_t i = 0; i < f.count; i++)
        if (shown(&f, &f.events[i]) && block_input(ctx, &f, st, i)) clicked = i;

    int32_t first_day = start ? qel_days_from_civil(*start) : 0;
    int32_t root = qel_node_open(ctx, f.id);
    qel_style s = {};
    s.width = {QEL_SIZE_GROW, 1}, s.fill = qel_color_token(QEL_COLOR_SURFACE);
    s.border = qel_color_token(QEL_COLOR_BORDER), s.border_width = 1, s.radius = ctx->theme.current.radius_medium;
    s.clip = 1;
    qel_node_apply_style(ctx, root, &s);
    qel_node_push(ctx, root);
    qel_style scroll = {};
    scroll.width = {QEL_SIZE_GROW, 1};
    qel_scroll_begin(ctx, f.id ^ 0x7EE4, &scroll, true);
    qel_style week = {};
    week.width = {QEL_SIZE_GROW, 1}, week.min_w = 592;
    qel_column_begin(ctx, &week);
    header(ctx, first_day, f.today);
    hour_area(ctx, &f, st, first_day, o);
    qel_container_end(ctx);
    qel_scroll_end(ctx);
    qel_node_pop(ctx);
    return clicked;
}

int32_t qel_schedule(qel_context* ctx, const char* label, const qel_date* start, qel_schedule_event* events,
                     int32_t count, const qel_schedule_options* options)
{
    int32_t clicked = qel_schedule_ex(ctx, label, start, events, count, options);
    qel_node* root = qel_node_at(ctx, qel_node_latest_with_id(ctx, qel_id(ctx, label)));
    if (root && root->direction_mode == 0) root->direction_mode = 1;
    return clicked;
}
