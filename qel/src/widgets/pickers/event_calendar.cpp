// The event calendar: the month's grid and its lane layout, pointer and keyboard input on the
// grid, the header, the compact agenda and the grid's drawing. Days are civil_date.h's numbers;
// the caller's records are only read, apart from the view and the selected date it hands in.
#include "qel/event_calendar.h"

#include <algorithm>
#include <cmath>

#include "core/core.h"
#include "qel/arena.h"
#include "qel/button.h"
#include "qel/color.h"
#include "qel/date_picker.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/layout.h"
#include "qel/popup.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

static const float DEFAULT_ROW = 104, COMPACT_ROW = 46, LANE_TOP = 26, LANE_STEP = 19, SEGMENT_HEIGHT = 17;
static const float COMPACT_BELOW = 520;
static const int32_t DEFAULT_LANES = 3, COMPACT_LANES = 99;


// --- Days ---

// The month delta months away, as a count of months from year 0.
static qel_calendar_view month_step(qel_calendar_view v, int32_t delta)
{
    int64_t m = (int64_t)v.year * 12 + (v.month - 1) + delta;
    int64_t y = m >= 0 ? m / 12 : (m - 11) / 12;
    return {(int32_t)y, (int32_t)(m - y * 12) + 1};
}

// An event's first and last day and whether it shows as a bar.
struct event_span {
    int32_t start, end;
    bool bar;
};

static event_span span_of(const qel_calendar_event* e)
{
    int32_t start = qel_days_from_civil(e->start);
    int32_t end = e->end.year == 0 ? start : std::max(start, qel_days_from_civil(e->end));
    return {start, end, end > start || e->all_day != 0};
}

// --- Pieces ---

const char* qel_event_time_label(qel_context* ctx, float hour, bool twelve_hour)
{
    int32_t minutes = hour >= 0 ? (int32_t)lroundf(fminf(hour, 24) * 60) : 0;
    int32_t h = minutes / 60 % 24, mm = minutes % 60;
    if (!twelve_hour) return qel_arena_sprintf(ctx, "%d:%02d", h, mm);
    int32_t h12 = h % 12 == 0 ? 12 : h % 12;
    char suffix = h < 12 ? 'a' : 'p';
    if (mm) return qel_arena_sprintf(ctx, "%d:%02d%c", h12, mm, suffix);
    return qel_arena_sprintf(ctx, "%d%c", h12, suffix);
}

void qel_event_calendar_grid(int32_t year, int32_t month, int32_t first_weekday, int32_t* grid_start, int32_t* rows)
{
    int32_t first = qel_days_from_civil({year, month, 1});
    int32_t offset = (qel_weekday(first) - first_weekday + 7) % 7;
    *grid_start = first - offset;
    *rows = (offset + qel_days_in_month(year, month) + 6) / 7;
}

static bool chip_before(const qel_calendar_chip& a, const qel_calendar_chip& b)
{
    if (a.day != b.day) return a.day < b.day;
    bool a_nan = std::isnan(a.start_hour), b_nan = std::isnan(b.start_hour);
    if (a_nan != b_nan) return b_nan;
    if (!a_nan && a.start_hour != b.start_hour) return a.start_hour < b.start_hour;
    return a.event < b.event;
}

qel_calendar_chip* qel_event_calendar_collect_timed(qel_context* ctx, int32_t first, int32_t days,
                                                    const qel_calendar_event* events, int32_t count, int32_t* n)
{
    auto* chips = (qel_calendar_chip*)qel_arena_alloc(ctx, sizeof(qel_calendar_chip) * (size_t)std::max(count, 1));
    *n = 0;
    for (int32_t i = 0; i < count; i++) {
        event_span s = span_of(&events[i]);
        if (s.bar || s.start < first || s.start - first >= days) continue;
        chips[(*n)++] = {s.start, events[i].start_hour, i};
    }
    std::sort(chips, chips + *n, chip_before);
    return chips;
}

// Lane bookkeeping of one week.
struct week_lanes {
    int32_t end[QEL_CALENDAR_LANE_MAX];  // the column after the last one each lane holds
    int32_t used[7];
    int32_t hidden[7];
};

static void place_bars(week_lanes* w, qel_calendar_segment* out, int32_t* n, int32_t row, int32_t d0, int32_t lanes,
                       const qel_calendar_event* events, int32_t count, bool multi_day)
{
    for (int32_t i = 0; i < count; i++) {
        event_span s = span_of(&events[i]);
        if (!s.bar || (s.end > s.start) != multi_day || s.end < d0 || s.start > d0 + 6) continue;
        int32_t c0 = std::max(s.start, d0) - d0, c1 = std::min(s.end, d0 + 6) - d0;
        int32_t lane = 0;
        while (lane < QEL_CALENDAR_LANE_MAX && w->end[lane] > c0) lane++;
        if (lane == QEL_CALENDAR_LANE_MAX) continue;
        w->end[lane] = c1 + 1;
        for (int32_t c = c0; c <= c1; c++) w->used[c] = std::max(w->used[c], lane + 1);
        if (lane >= lanes || *n >= QEL_CALENDAR_SEGMENT_MAX) {
            for (int32_t c = c0; c <= c1; c++) w->hidden[c]++;
            continue;
        }
        out[(*n)++] = {(int16_t)row, (int16_t)c0, (int16_t)c1, (int16_t)lane, QEL_SEGMENT_BAR, s.start < d0,
                       s.end > d0 + 6, i, 0, d0 + c0};
    }
}

// True when a segment of the lane runs across column c, so that making room there splits it.
static bool splits_at(const qel_calendar_segment* out, int32_t first, int32_t n, int32_t lane, int32_t c)
{
    for (int32_t k = first; k < n; k++)
        if (out[k].kind == QEL_SEGMENT_BAR && out[k].lane == lane && out[k].first_col < c && out[k].last_col > c)
            return true;
    return false;
}

// Gives column c of the last lane up to a more chip: segments there shrink, split or go. The
// caller has made sure the table holds the split's right part.
static int32_t clear_for_more(qel_calendar_segment* out, int32_t* n, int32_t week_first, int32_t lane, int32_t c,
                              int32_t d0)
{
    int32_t taken = 0, end = *n;
    for (int32_t k = week_first; k < end; k++) {
        qel_calendar_segment* s = &out[k];
        if (s->kind == QEL_SEGMENT_DROPPED || s->kind == QEL_SEGMENT_MORE || s->lane != lane || s->first_col > c ||
            s->last_col < c)
            continue;
        taken++;
        if (s->first_col == s->last_col) {
            s->kind = QEL_SEGMENT_DROPPED;
        } else if (s->first_col == c) {
            s->first_col++, s->first_day++, s->continues_before = 1;
        } else if (s->last_col == c) {
            s->last_col--, s->continues_after = 1;
        } else {
            qel_calendar_segment right = *s;
            right.first_col = (int16_t)(c + 1), right.first_day = d0 + c + 1, right.continues_before = 1;
            s->last_col = (int16_t)(c - 1), s->continues_after = 1;
            out[(*n)++] = right;
        }
    }
    return taken;
}

int32_t qel_event_calendar_layout(qel_calendar_segment* out, int32_t grid_start, int32_t rows, int32_t lanes,
                                  const qel_calendar_event* events, int32_t count, const qel_calendar_chip* chips,
                                  int32_t chip_count)
{
    int32_t n = 0, next_chip = 0;
    lanes = std::max(lanes, 1);
    for (int32_t row = 0; row < rows; row++) {
        int32_t d0 = grid_start + 7 * row, week_first = n;
        week_lanes w = {};
        place_bars(&w, out, &n, row, d0, lanes, events, count, true);
        place_bars(&w, out, &n, row, d0, lanes, events, count, false);
        while (next_chip < chip_count && chips[next_chip].day < d0) next_chip++;
        for (; next_chip < chip_count && chips[next_chip].day <= d0 + 6; next_chip++) {
            int32_t c = chips[next_chip].day - d0, lane = w.used[c]++;
            if (lane >= lanes || n >= QEL_CALENDAR_SEGMENT_MAX) {
                w.hidden[c]++;
                continue;
            }
            out[n++] = {(int16_t)row, (int16_t)c, (int16_t)c, (int16_t)lane, QEL_SEGMENT_CHIP, 0, 0,
                        chips[next_chip].event, 0, chips[next_chip].day};
        }
        for (int32_t c = 0; c < 7; c++) {
            // A more chip that would split a bar needs two places; without them the day's
            // hidden events stay hidden and the bar stays whole.
            int32_t need = 1 + splits_at(out, week_first, n, lanes - 1, c);
            if (!w.hidden[c] || n + need > QEL_CALENDAR_SEGMENT_MAX) continue;
            int32_t hidden = w.hidden[c] + clear_for_more(out, &n, week_first, lanes - 1, c, d0);
            out[n++] = {(int16_t)row, (int16_t)c, (int16_t)c, (int16_t)(lanes - 1), QEL_SEGMENT_MORE, 0, 0, -1, hidden,
                        d0 + c};
        }
    }
    int32_t kept = 0;
    for (int32_t k = 0; k < n; k++)
        if (out[k].kind != QEL_SEGMENT_DROPPED) out[kept++] = out[k];
    return kept;
}

qel_rect qel_event_segment_rect(const qel_calendar_segment* s, float x0, float y0, float cw, float rh)
{
    return {x0 + s->first_col * cw + 3, y0 + s->row * rh + LANE_TOP + s->lane * LANE_STEP,
            (s->last_col - s->first_col + 1) * cw - 6, SEGMENT_HEIGHT};
}

// --- The frame's model ---

struct calendar_state {
    uint8_t initialised;
    int32_t cursor;
    int32_t popup_day;  // -1 none
    qel_calendar_view view;  // the month shown when the caller keeps none
};

// What one frame of the calendar works with.
struct calendar_frame {
    const qel_calendar_event* events;
    int32_t count;
    int32_t first_weekday;
    bool compact, twelve_hour;
    float row_height;
    int32_t lanes;
    int32_t today;
    const char* month_names[12];
    const char* weekday_names[7];
    bool custom_weekdays;
    // Of the shown month.
    int32_t grid_start, rows, month_first, month_days;
    qel_calendar_segment* segments;
    int32_t segment_count;
};

static void names_of(qel_context* ctx, calendar_frame* f, const qel_event_calendar_options* o)
{
    for (int32_t i = 0; i < 12; i++)
        f->month_names[i] = o->month_names && o->month_names[i] ? o->month_names[i] : qel_month_name(ctx, i);
    f->custom_weekdays = o->weekday_names != nullptr;
    for (int32_t i = 0; i < 7; i++)
        f->weekday_names[i] = o->weekday_names && o->weekday_names[i] ? o->weekday_names[i] : qel_weekday_name(ctx, i);
}

// Lays out the shown month again.
static void compute_month(qel_context* ctx, calendar_frame* f, qel_calendar_view view)
{
    qel_event_calendar_grid(view.year, view.month, f->first_weekday, &f->grid_start, &f->rows);
    f->month_first = qel_days_from_civil({view.year, view.month, 1});
    f->month_days = qel_days_in_month(view.year, view.month);
    int32_t chip_count = 0;
    qel_calendar_chip* chips =
        qel_event_calendar_collect_timed(ctx, f->grid_start, f->rows * 7, f->events, f->count, &chip_count);
    f->segments = (qel_calendar_segment*)qel_arena_alloc(ctx, sizeof(qel_calendar_segment) * QEL_CALENDAR_SEGMENT_MAX);
    f->segment_count = qel_event_calendar_layout(f->segments, f->grid_start, f->rows, f->lanes, f->events, f->count,
                                                 chips, chip_count);
}

static qel_calendar_view view_of_day(int32_t day)
{
    qel_date d = qel_civil_from_days(day);
    return {d.year, d.month};
}

// The same day of the month delta months away, cut to that month's length.
static int32_t same_day_months_away(int32_t day, int32_t delta)
{
    qel_date d = qel_civil_from_days(day);
    qel_calendar_view v = month_step({d.year, d.month}, delta);
    return qel_days_from_civil({v.year, v.month, std::min(d.day, qel_days_in_month(v.year, v.month))});
}

// --- Input ---

// Where the pointer lies on last frame's grid: the day (INT32_MIN when off the grid) and the
// segment under it (-1 none).
struct grid_hover {
    int32_t day;
    int32_t segment;
};

static grid_hover hover_on(qel_context* ctx, const calendar_frame* f, qel_rect r)
{
    grid_hover h = {INT32_MIN, -1};
    qel_vec2 m = qel_mouse_pos(ctx);
    // The pointer's far-away position while outside the window lies outside every grid too.
    if (r.w <= 0 || r.h <= 0 || m.x < r.x || m.y < r.y || m.x >= r.x + r.w || m.y >= r.y + f->rows * f->row_height)
        return h;
    float cw = r.w / 7;
    int32_t col = std::min((int32_t)((m.x - r.x) / cw), 6), row = (int32_t)((m.y - r.y) / f->row_height);
    if (row < 0 || row >= f->rows) return h;
    h.day = f->grid_start + 7 * row + col;
    if (f->compact) return h;
    for (int32_t k = 0; k < f->segment_count; k++) {
        qel_rect s = qel_event_segment_rect(&f->segments[k], r.x, r.y, cw, f->row_height);
        if (m.x >= s.x && m.x < s.x + s.w && m.y >= s.y && m.y < s.y + s.h) {
            h.segment = k;
            break;
        }
    }
    return h;
}

// The cursor's move from this frame's keys, or false when no key moved it.
static bool key_move(qel_context* ctx, int32_t* cursor, int32_t today)
{
    if (qel_key_pressed(ctx, QEL_KEY_DOWN)) return *cursor += 7, true;
    if (qel_key_pressed(ctx, QEL_KEY_UP)) return *cursor -= 7, true;
    if (qel_key_pressed(ctx, QEL_KEY_RIGHT)) return *cursor += 1, true;
    if (qel_key_pressed(ctx, QEL_KEY_LEFT)) return *cursor -= 1, true;
    if (qel_key_pressed(ctx, QEL_KEY_PAGE_UP)) return *cursor = same_day_months_away(*cursor, -1), true;
    if (qel_key_pressed(ctx, QEL_KEY_PAGE_DOWN)) return *cursor = same_day_months_away(*cursor, 1), true;
    if (qel_key_pressed(ctx, QEL_KEY_HOME)) return *cursor = today, true;
    return false;
}

// --- Drawing ---

struct paint_event {
    const char* title;
    const char* time;
    qel_color color;
};

struct calendar_paint {
    int32_t grid_start, rows, today, selected, hovered_event, hovered_day, month_first, month_days, cursor;
    uint8_t compact, has_selection, focus_visible;
    float row_height;
    const qel_calendar_segment* segments;
    int32_t segment_count;
    const paint_event* events;
    qel_color grid_line, today_fill, today_text, selected_fill, hover_fill, surface, text, text_muted, text_secondary,
        background;
    uint8_t dark;
};

static void draw_more(qel_context* ctx, const calendar_paint* p, const qel_calendar_segment* s, qel_rect r)
{
    bool hovered = p->hovered_event == -2 && p->hovered_day == s->first_day;
    const char* text = qel_arena_sprintf(ctx, "+%d more", s->hidden);
    float size = qel_scaled(ctx, ctx->theme.current.text_xs);
    float y = r.y + (r.h - qel_line_height(ctx, QEL_FONT_MEDIUM, size)) / 2;
    qel_draw_text_ellipsis(ctx, QEL_FONT_MEDIUM, size, r.x + 6, y, r.w - 8, hovered ? p->text : p->text_secondary, text,
                           -1, 0);
}

static void draw_bar(qel_context* ctx, const calendar_paint* p, const qel_calendar_segment* s, qel_rect r)
{
    const paint_event* e = &p->events[s->event];
    bool hovered = p->hovered_event == s->event;
    float t = p->dark ? (hovered ? 0.34f : 0.26f) : (hovered ? 0.24f : 0.16f);
    float radii[4] = {4, 4, 4, 4};
    if (s->continues_before) r.x -= 3, r.w += 3, radii[0] = radii[3] = 0;
    if (s->continues_after) r.w += 3, radii[1] = radii[2] = 0;
    qel_draw_rect(ctx, &r, radii, qel_color_mix(p->surface, e->color, t));
    float text_x = r.x + 6;
    if (!s->continues_before) {
        qel_rect strip = {r.x, r.y, 3, r.h};
        float strip_radii[4] = {4, 0, 0, 4};
        qel_draw_rect(ctx, &strip, strip_radii, e->color);
        text_x = r.x + 8;
    }
    float size = qel_scaled(ctx, ctx->theme.current.text_xs);
    float y = r.y + (r.h - qel_line_height(ctx, QEL_FONT_MEDIUM, size)) / 2;
    qel_draw_text_ellipsis(ctx, QEL_FONT_MEDIUM, size, text_x, y, r.x + r.w - 4 - text_x, p->text, e->title, -1, 0);
}

static void draw_chip(qel_context* ctx, const calendar_paint* p, const qel_calendar_segment* s, qel_rect r)
{
    const paint_event* e = &p->events[s->event];
    if (p->hovered_event == s->event) {
        float radii[4] = {4, 4, 4, 4};
        qel_draw_rect(ctx, &r, radii, p->hover_fill);
    }
    float cy = r.y + r.h / 2;
    qel_draw_circle(ctx, {r.x + 7, cy}, 3, e->color);
    float size = qel_scaled(ctx, ctx->theme.current.text_xs);
    float y = cy - qel_line_height(ctx, QEL_FONT_BODY, size) / 2;
    float x = r.x + 15;
    float time_w = qel_text_width(ctx, QEL_FONT_BODY, size, e->time, -1, 0);
    if (r.w > time_w + 50) {
        qel_draw_text(ctx, QEL_FONT_BODY, size, x, y, p->text_muted, e->time, -1, 0);
        x += time_w + 5;
    }
    qel_draw_text_ellipsis(ctx, QEL_FONT_BODY, size, x, y, r.x + r.w - 2 - x, p->text, e->title, -1, 0);
}

static void draw_full_cell(qel_context* ctx, const calendar_paint* p, int32_t day, qel_rect cell)
{
    if (p->has_selection && day == p->selected)
        qel_draw_rect(ctx, &cell, nullptr, p->selected_fill);
    else if (day == p->hovered_day && p->hovered_event == -1)
        qel_draw_rect(ctx, &cell, nullptr, p->hover_fill);
    const char* number = qel_arena_sprintf(ctx, "%d", qel_civil_from_days(day).day);
    bool today = day == p->today, in_month = day >= p->month_first && day < p->month_first + p->month_days;
    uint32_t font = today ? QEL_FONT_MEDIUM : QEL_FONT_BODY;
    float size = qel_text_small_scaled(ctx);
    qel_color color = in_month ? p->text : p->text_muted;
    if (today) {
        float w = std::max(22.0f, qel_text_width(ctx, font, size, number, -1, 0) + 10);
        qel_rect pill = {cell.x + 3, cell.y + 4, w, 20};
        float radii[4] = {10, 10, 10, 10};
        qel_draw_rect(ctx, &pill, radii, p->today_fill);
        color = p->today_text;
    }
    qel_draw_text_aligned(ctx, font, size, cell.x + 8, cell.y + 5 + 9, 0, color, number, 0);
    if (p->focus_visible && day == p->cursor) {
        qel_rect ring = {cell.x + 2, cell.y + 2, cell.w - 4, cell.h - 4};
        float radii[4] = {4, 4, 4, 4};
        qel_draw_focus_ring(ctx, &ring, radii, 1);
    }
}

static void draw_compact_cell(qel_context* ctx, const calendar_paint* p, int32_t day, qel_rect cell)
{
    qel_vec2 c = {cell.x + cell.w / 2, cell.y + 16};
    const char* number = qel_arena_sprintf(ctx, "%d", qel_civil_from_days(day).day);
    bool in_month = day >= p->month_first && day < p->month_first + p->month_days;
    qel_color color = in_month ? p->text : p->text_muted;
    uint32_t font = QEL_FONT_BODY;
    if (p->has_selection && day == p->selected) {
        qel_draw_circle(ctx, c, 13, p->text);
        color = p->background, font = QEL_FONT_MEDIUM;
    } else if (day == p->today) {
        qel_draw_arc(ctx, c, 12.5f, 0, 6.2831853f, 1.5f, p->today_fill);
        color = p->today_fill;
    }
    qel_draw_text_aligned(ctx, font, qel_text_small_scaled(ctx), c.x, c.y, 1, color, number, 0);
    if (p->focus_visible && day == p->cursor) {
        qel_rect ring = {c.x - 15, c.y - 15, 30, 30};
        float radii[4] = {15, 15, 15, 15};
        qel_draw_focus_ring(ctx, &ring, radii, 1);
    }
    int32_t dots = 0;
    qel_color colors[3];
    for (int32_t k = 0; k < p->segment_count && dots < 3; k++) {
        const qel_calendar_segment* s = &p->segments[k];
        int32_t first = s->first_day, last = s->first_day + (s->last_col - s->first_col);
        if (s->event >= 0 && day >= first && day <= last) colors[dots++] = p->events[s->event].color;
    }
    for (int32_t i = 0; i < dots; i++) qel_draw_circle(ctx, {c.x + (i - (dots - 1) / 2.0f) * 7, cell.y + 35}, 2.2f, colors[i]);
}

static void calendar_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const calendar_paint*)user;
    qel_rect r = node->rect;
    float cw = r.w / 7, rh = p->row_height;
    for (int32_t row = 0; row < p->rows; row++)
        for (int32_t col = 0; col < 7; col++) {
            qel_rect cell = {r.x + col * cw, r.y + row * rh, cw, rh};
            int32_t day = p->grid_start + row * 7 + col;
            if (p->compact)
                draw_compact_cell(ctx, p, day, cell);
            else
                draw_full_cell(ctx, p, day, cell);
        }
    if (p->compact) return;
    for (int32_t row = 1; row < p->rows; row++)
        qel_draw_line(ctx, {r.x, r.y + row * rh}, {r.x + r.w, r.y + row * rh}, 1, p->grid_line);
    for (int32_t col = 1; col < 7; col++)
        qel_draw_line(ctx, {r.x + col * cw, r.y}, {r.x + col * cw, r.y + r.h}, 1, p->grid_line);
    for (int32_t k = 0; k < p->segment_count; k++) {
        const qel_calendar_segment* s = &p->segments[k];
        qel_rect sr = qel_event_segment_rect(s, r.x, r.y, cw, rh);
        if (sr.w < 4) continue;
        if (s->kind == QEL_SEGMENT_MORE)
            draw_more(ctx, p, s, sr);
        else if (s->kind == QEL_SEGMENT_BAR)
            draw_bar(ctx, p, s, sr);
        else
            draw_chip(ctx, p, s, sr);
    }
}

static const paint_event* paint_events(qel_context* ctx, const calendar_frame* f)
{
    auto* out = (paint_event*)qel_arena_alloc(ctx, sizeof(paint_event) * (size_t)std::max(f->count, 1));
    for (int32_t i = 0; i < f->count; i++) {
        const qel_calendar_event* e = &f->events[i];
        out[i].title = e->title ? qel_arena_strdup(ctx, e->title, -1) : "";
        out[i].time = qel_event_time_label(ctx, e->start_hour, f->twelve_hour);
        out[i].color = qel_color_semantic(ctx, e->color ? e->color : 1);
    }
    return out;
}

static calendar_paint* paint_of(qel_context* ctx, const calendar_frame* f, const calendar_state* st, int32_t selected,
                                bool has_selection, grid_hover hover, bool focus_visible)
{
    auto* p = (calendar_paint*)qel_arena_alloc(ctx, sizeof(calendar_paint));
    p->grid_start = f->grid_start, p->rows = f->rows, p->today = f->today, p->selected = selected;
    p->hovered_event = -1;
    if (hover.segment >= 0) p->hovered_event = f->segments[hover.segment].event >= 0 ? f->segments[hover.segment].event : -2;
    p->hovered_day = hover.day, p->month_first = f->month_first, p->month_days = f->month_days;
    p->cursor = st->cursor, p->compact = f->compact, p->has_selection = has_selection;
    p->focus_visible = focus_visible, p->row_height = f->row_height;
    p->segments = f->segments, p->segment_count = f->segment_count, p->events = paint_events(ctx, f);
    bool accent = qel_theme_get_accent(ctx) != 0;
    p->surface = qel_theme_color(ctx, QEL_COLOR_SURFACE), p->text = qel_theme_color(ctx, QEL_COLOR_TEXT);
    p->grid_line = qel_theme_color(ctx, QEL_COLOR_BORDER_SUBTLE);
    p->text_muted = qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED);
    p->text_secondary = qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY);
    p->background = qel_theme_color(ctx, QEL_COLOR_BACKGROUND);
    p->today_fill = accent ? qel_theme_color(ctx, QEL_COLOR_ACCENT) : p->text;
    p->today_text = accent ? qel_theme_color(ctx, QEL_COLOR_ON_ACCENT) : p->background;
    p->selected_fill = qel_color_mix(p->surface, p->text, 0.045f);
    p->hover_fill = qel_color_mix(p->surface, p->text, 0.025f);
    p->dark = qel_dark_mode(ctx);
    return p;
}

// --- Building ---

static int32_t text_leaf(qel_context* ctx, const char* text, uint32_t font, float size, qel_theme_slot color,
                         float line_height)
{
    return qel_text_leaf_scaled(ctx, text, font, size, qel_color_token(color), line_height);
}

// The month title and the buttons; returns true when they moved the view.
static bool build_header(qel_context* ctx, calendar_frame* f, qel_calendar_view* view, calendar_state* st)
{
    const qel_theme* t = &ctx->theme.current;
    qel_style s = {};
    s.gap = 4;
    s.align = QEL_ALIGN_CENTER;
    s.width = {QEL_SIZE_GROW, 1};
    qel_row_begin(ctx, &s);
    const char* title = qel_arena_sprintf(ctx, "%s %d", f->month_names[view->month - 1], view->year);
    int32_t title_node = text_leaf(ctx, title, QEL_FONT_MEDIUM, f->compact ? t->text_body + 1 : t->text_body + 3,
                                   QEL_COLOR_TEXT, 1.3f);
    qel_node_at(ctx, title_node)->width = {QEL_SIZE_GROW, 1};
    qel_calendar_view before = *view;
    qel_button_opts today = {};
    today.variant = QEL_BUTTON_OUTLINE, today.size = 1;
    if (qel_button(ctx, qel_today_label(ctx), &today)) {
        *view = view_of_day(f->today);
        st->cursor = f->today;
    }
    qel_button_opts step = {};
    step.variant = QEL_BUTTON_GHOST, step.size = 1;
    step.tooltip = "Previous month";
    if (qel_icon_button(ctx, QEL_ICON_CHEVRON_LEFT, &step)) *view = month_step(*view, -1);
    step.tooltip = "Next month";
    if (qel_icon_button(ctx, QEL_ICON_CHEVRON_RIGHT, &step)) *view = month_step(*view, 1);
    qel_container_end(ctx);
    return view->year != before.year || view->month != before.month;
}

static void build_weekdays(qel_context* ctx, const calendar_frame* f)
{
    qel_style s = {};
    s.width = {QEL_SIZE_GROW, 1};
    qel_row_begin(ctx, &s);
    // The layout leaves a text node's own padding out, so a full-mode name sits in a padded cell.
    qel_style cell = {};
    cell.width = {QEL_SIZE_GROW, 1};
    cell.padding_left = 8;
    for (int32_t i = 0; i < 7; i++) {
        int32_t wd = (f->first_weekday + i) % 7;
        const char* name = f->custom_weekdays ? f->weekday_names[wd] : qel_weekday_name_short(ctx, wd);
        int32_t length = f->compact && !f->custom_weekdays ? 1 : -1;
        if (!f->compact) qel_row_begin(ctx, &cell);
        int32_t index = qel_node_text(ctx, name, length, QEL_FONT_BODY, qel_scaled(ctx, ctx->theme.current.text_xs),
                                      qel_color_token(QEL_COLOR_TEXT_MUTED), false);
        qel_node* n = qel_node_at(ctx, index);
        n->line_height = 1.6f;
        n->width = {QEL_SIZE_GROW, 1};
        if (f->compact) n->content_align = 1;
        else qel_container_end(ctx);
    }
    qel_container_end(ctx);
}

// A clickable, focusable row under id, laid out left to right; returns its interaction.
static qel_interaction list_row_begin(qel_context* ctx, uint32_t id, const qel_style* style)
{
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
    int32_t index = qel_node_open(ctx, id);
    qel_node_apply_style(ctx, index, style);
    qel_node_at(ctx, index)->direction = QEL_DIR_ROW;
    qel_node_clickable(ctx, index, id, false);
    qel_node* n = qel_node_at(ctx, index);
    if (it.hovered) n->fill = qel_color_token(QEL_COLOR_HOVER);
    qel_focus_ring(ctx, index, it.focus_visible ? 1.0f : 0.0f);
    qel_node_push(ctx, index);
    return it;
}

static bool agenda_row(qel_context* ctx, const calendar_frame* f, uint32_t seed, int32_t i)
{
    const qel_calendar_event* e = &f->events[i];
    event_span sp = span_of(e);
    const qel_theme* t = &ctx->theme.current;
    qel_style s = {};
    s.padding_y = 7, s.padding_x = 8, s.gap = 10, s.radius = t->radius_small, s.align = QEL_ALIGN_CENTER;
    s.width = {QEL_SIZE_GROW, 1};
    qel_interaction it = list_row_begin(ctx, qel_hash_bytes(&i, 4, seed), &s);
    int32_t strip = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, 3}, {QEL_SIZE_FIXED, 30});
    qel_node_at(ctx, strip)->fill = qel_color_semantic(ctx, e->color ? e->color : 1);
    qel_node_round(qel_node_at(ctx, strip), 1.5f);
    qel_style c = {};
    c.width = {QEL_SIZE_GROW, 1};
    qel_column_begin(ctx, &c);
    text_leaf(ctx, e->title ? e->title : "", QEL_FONT_MEDIUM, t->text_small, QEL_COLOR_TEXT, 1.35f);
    const char* sub = sp.end > sp.start ? qel_arena_sprintf(ctx, "%d days", sp.end - sp.start + 1)
                      : sp.bar          ? "All day"
                                        : qel_event_time_label(ctx, e->start_hour, f->twelve_hour);
    text_leaf(ctx, sub, QEL_FONT_BODY, t->text_xs, QEL_COLOR_TEXT_SECONDARY, 1.3f);
    qel_container_end(ctx);
    qel_node_pop(ctx);
    return it.clicked != 0;
}

// The chosen day's events under the compact grid; returns the clicked event or -1.
static int32_t build_agenda(qel_context* ctx, const calendar_frame* f, uint32_t id, int32_t day)
{
    const qel_theme* t = &ctx->theme.current;
    qel_style s = {};
    s.name = nullptr, s.gap = 2, s.padding_top = 6, s.width = {QEL_SIZE_GROW, 1};
    int32_t column = qel_node_open(ctx, id ^ 0xA6E0);
    qel_node_apply_style(ctx, column, &s);
    qel_node_push(ctx, column);
    qel_date d = qel_civil_from_days(day);
    int32_t wd = qel_weekday(day);
    const char* title = f->custom_weekdays
                            ? qel_arena_sprintf(ctx, "%s %d %s", f->weekday_names[wd], d.day, f->month_names[d.month - 1])
                            : qel_arena_sprintf(ctx, "%s, %d %s", f->weekday_names[wd], d.day, f->month_names[d.month - 1]);
    text_leaf(ctx, title, QEL_FONT_MEDIUM, t->text_small, QEL_COLOR_TEXT, 1.6f);
    int32_t clicked = -1, shown = 0;
    uint32_t seed = id ^ 0xA6E1;
    for (int32_t i = 0; i < f->count; i++) {
        event_span sp = span_of(&f->events[i]);
        if (!sp.bar || day < sp.start || day > sp.end) continue;
        shown++;
        if (agenda_row(ctx, f, seed, i)) clicked = i;
    }
    int32_t chip_count = 0;
    qel_calendar_chip* chips = qel_event_calendar_collect_timed(ctx, day, 1, f->events, f->count, &chip_count);
    for (int32_t k = 0; k < chip_count; k++, shown++)
        if (agenda_row(ctx, f, seed, chips[k].event)) clicked = chips[k].event;
    if (!shown) text_leaf(ctx, "No events", QEL_FONT_BODY, t->text_small, QEL_COLOR_TEXT_MUTED, 1.8f);
    qel_node_pop(ctx);
    return clicked;
}

// A row of the more chip's list of one day's events; true when it was clicked.
static bool popup_row(qel_context* ctx, const calendar_frame* f, uint32_t seed, int32_t i)
{
    const qel_calendar_event* e = &f->events[i];
    const qel_theme* t = &ctx->theme.current;
    qel_style s = {};
    s.padding_y = 5, s.padding_x = 6, s.gap = 8, s.radius = 6, s.align = QEL_ALIGN_CENTER;
    s.width = {QEL_SIZE_GROW, 1};
    qel_interaction it = list_row_begin(ctx, qel_hash_bytes(&i, 4, seed), &s);
    int32_t dot = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, 8}, {QEL_SIZE_FIXED, 8});
    qel_node_at(ctx, dot)->fill = qel_color_semantic(ctx, e->color ? e->color : 1);
    qel_node_round(qel_node_at(ctx, dot), 4);
    int32_t title = text_leaf(ctx, e->title ? e->title : "", QEL_FONT_BODY, t->text_small, QEL_COLOR_TEXT, 1.45f);
    qel_node_at(ctx, title)->width = {QEL_SIZE_GROW, 1};
    const char* when = span_of(e).bar ? "All day" : qel_event_time_label(ctx, e->start_hour, f->twelve_hour);
    text_leaf(ctx, when, QEL_FONT_BODY, t->text_xs, QEL_COLOR_TEXT_MUTED, 1.45f);
    qel_node_pop(ctx);
    return it.clicked != 0;
}

// The more chip's popup over the grid node; returns the clicked event or -1.
static int32_t build_more_popup(qel_context* ctx, const calendar_frame* f, calendar_state* st, uint32_t id,
                                qel_rect grid)
{
    uint32_t popup = id ^ 0x6A1E;
    int32_t k = st->popup_day - f->grid_start;
    if (st->popup_day < 0 || k < 0 || k >= f->rows * 7) {
        if (st->popup_day >= 0) qel_popup_set_open(ctx, popup, false);
        st->popup_day = -1;
        return -1;
    }
    float cw = grid.w / 7;
    qel_node_floating(ctx, id ^ 0x6A1F, (float)(k % 7) * cw,
                      (float)(k / 7) * f->row_height + LANE_TOP + (float)(f->lanes - 1) * LANE_STEP, cw, LANE_STEP);
    if (!qel_popup_begin(ctx, popup, id ^ 0x6A1F, QEL_PLACE_BELOW_START, 240, 10, 4, false)) {
        st->popup_day = -1;
        return -1;
    }
    qel_date d = qel_civil_from_days(st->popup_day);
    const qel_theme* t = &ctx->theme.current;
    text_leaf(ctx, qel_arena_sprintf(ctx, "%s %d", f->month_names[d.month - 1], d.day), QEL_FONT_MEDIUM, t->text_small,
              QEL_COLOR_TEXT, 1.6f);
    int32_t clicked = -1;
    for (int32_t i = 0; i < f->count; i++) {
        event_span sp = span_of(&f->events[i]);
        if (st->popup_day < sp.start || st->popup_day > sp.end) continue;
        if (popup_row(ctx, f, id ^ 0x6A20, i)) clicked = i;
    }
    qel_popup_end(ctx);
    if (clicked >= 0) qel_popup_set_open(ctx, popup, false);
    return clicked;
}

static void frame_of(qel_context* ctx, calendar_frame* f, bool compact, const qel_event_calendar_options* o,
                     const qel_calendar_event* events, int32_t count)
{
    f->events = events && count > 0 ? events : nullptr;
    f->count = f->events ? count : 0;
    f->first_weekday = std::clamp(o->first_weekday, 0, 6);
    f->compact = compact;
    f->twelve_hour = o->twelve_hour != 0;
    qel_date today = o->today.year ? o->today : qel_today(nullptr);
    f->today = qel_days_from_civil(today);
    names_of(ctx, f, o);
    if (compact) {
        f->row_height = COMPACT_ROW, f->lanes = COMPACT_LANES;
    } else if (std::isfinite(o->cell_height) && o->cell_height > 0) {
        // A height past any screen would only overflow the lane count.
        f->row_height = std::min(o->cell_height, 10000.0f);
        f->lanes = std::max(1, (int32_t)((f->row_height - LANE_TOP - 4) / LANE_STEP));
    } else {
        f->row_height = DEFAULT_ROW, f->lanes = DEFAULT_LANES;
    }
}

qel_event_calendar_result qel_event_calendar(qel_context* ctx, const char* label, qel_calendar_view* view,
                                             const qel_calendar_event* events, int32_t count,
                                             const qel_event_calendar_options* options)
{
    const qel_event_calendar_options none = {};
    const qel_event_calendar_options* o = options ? options : &none;
    qel_event_calendar_result result = {-1, 0, 0, 0};
    uint32_t id = qel_id(ctx, label ? label : "month");
    uint32_t grid_id = id ^ 0x6A1D;
    float width = qel_id_rect(ctx, id).w;
    calendar_frame f = {};
    frame_of(ctx, &f, width > 0 && width < COMPACT_BELOW, o, events, count);

    auto* st = qel_state_record_of<calendar_state>(ctx, id, "calendar_state");
    if (!view) view = &st->view;
    if (view->year == 0) *view = view_of_day(f.today);
    view->month = std::clamp(view->month, 1, 12);
    bool has_selection = o->selected && o->selected->year != 0;
    int32_t selected = has_selection ? qel_days_from_civil(*o->selected) : 0;
    if (!st->initialised) {
        st->initialised = 1;
        st->cursor = has_selection ? selected : f.today;
        st->popup_day = -1;
    }

    qel_push_id_int(ctx, (int32_t)id);
    qel_style s = {};
    s.gap = 8, s.width = {QEL_SIZE_GROW, 1};
    int32_t root = qel_node_open(ctx, id);
    qel_node_apply_style(ctx, root, &s);
    qel_node_at(ctx, root)->align_self = QEL_ALIGN_STRETCH;
    qel_node_push(ctx, root);

    bool month_changed = build_header(ctx, &f, view, st);
    compute_month(ctx, &f, *view);
    grid_hover hover = hover_on(ctx, &f, qel_id_rect(ctx, grid_id));
    if (hover.segment >= 0) qel_set_cursor(ctx, QEL_CURSOR_HAND);
    qel_interaction it = qel_interact(ctx, grid_id, QEL_INTERACT_FOCUSABLE);
    int32_t old_selected = selected, old_cursor = st->cursor;
    bool old_has = has_selection;
    if (it.clicked && !it.activated_by_key && hover.day != INT32_MIN) {
        const qel_calendar_segment* seg = hover.segment >= 0 ? &f.segments[hover.segment] : nullptr;
        if (seg && seg->kind == QEL_SEGMENT_MORE) {
            st->popup_day = hover.day;
            qel_popup_set_open(ctx, id ^ 0x6A1E, true);
        } else if (seg) {
            result.clicked_event = seg->event;
        } else {
            selected = hover.day, has_selection = true;
            result.date_activated = it.double_clicked || ctx->input.click_count >= 2;
        }
        st->cursor = hover.day;
    }
    if (it.focused) {
        if (key_move(ctx, &st->cursor, f.today)) selected = st->cursor, has_selection = true;
        if (qel_key_pressed(ctx, QEL_KEY_ENTER)) selected = st->cursor, has_selection = true, result.date_activated = 1;
        if (qel_key_pressed(ctx, QEL_KEY_SPACE)) selected = st->cursor, has_selection = true;
    }
    // The view follows the cursor only when the cursor moved: a month stepped to with the buttons
    // stays when the grid takes the focus with a press.
    if (it.focused && st->cursor != old_cursor &&
        (st->cursor < f.month_first || st->cursor >= f.month_first + f.month_days))
        *view = view_of_day(st->cursor);
    result.date_changed = has_selection != old_has || selected != old_selected;
    if (result.date_changed && o->selected) *o->selected = qel_civil_from_days(selected);
    qel_date shown = qel_civil_from_days(f.month_first);
    if (view->year != shown.year || view->month != shown.month) {
        month_changed = true;
        compute_month(ctx, &f, *view);
        hover = {INT32_MIN, -1};
    }
    if (month_changed) {
        result.month_changed = 1;
        qel_request_redraw(ctx);
    }

    build_weekdays(ctx, &f);
    int32_t grid = qel_node_sized(ctx, grid_id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, f.rows * f.row_height});
    qel_node_mark_interactive(ctx, grid, QEL_INTERACT_FOCUSABLE);
    qel_node* g = qel_node_at(ctx, grid);
    g->fill = qel_color_token(QEL_COLOR_SURFACE);
    if (!f.compact) {
        g->border = qel_color_token(QEL_COLOR_BORDER);
        g->border_width = 1;
        qel_node_round(g, ctx->theme.current.radius_small);
    }
    g->draw = calendar_draw;
    g->draw_user = paint_of(ctx, &f, st, selected, has_selection, hover, it.focus_visible != 0);
    if (!f.compact) {
        qel_node_push(ctx, grid);
        int32_t clicked = build_more_popup(ctx, &f, st, id, qel_id_rect(ctx, grid_id));
        if (clicked >= 0) result.clicked_event = clicked;
        qel_node_pop(ctx);
    }
    if (f.compact) {
        int32_t clicked = build_agenda(ctx, &f, id, has_selection ? selected : st->cursor);
        if (clicked >= 0) result.clicked_event = clicked;
    }
    qel_node_pop(ctx);
    qel_pop_id(ctx);
    return result;
}
