// The date-range picker: the trigger field and its text, the popup with presets and one or two
// month grids laid out by the display's width, and the month grid with its range band, endpoint
// discs and today's ring. Day arithmetic is civil_date's; the popup, trigger field and menu rows
// are the popup layer's.
#include "qel/date_range_picker.h"

#include <cmath>
#include <cstdio>

#include "core/core.h"
#include "widgets/pickers/picker_nodes.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/button.h"
#include "qel/color.h"
#include "qel/date_picker.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/menu.h"
#include "qel/popup.h"
#include "qel/state.h"
#include "qel/text_units.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

static const uint32_t POPUP_KEY = 0xDA7Fu;
static const float GRID_WIDTH = 252.0f, CELL_HEIGHT = 36.0f, PRESET_WIDTH = 156.0f;
static const char CALENDAR_GLYPH[] = QEL_ICON_CALENDAR;
static const char PREVIOUS_GLYPH[] = QEL_ICON_CHEVRON_LEFT;
static const char NEXT_GLYPH[] = QEL_ICON_CHEVRON_RIGHT;

// --- Months ---

struct year_month {
    int32_t year, month;
};

// A month counted from a year: any month number is carried into the year, which stays in range.
static year_month normalised(int64_t year, int64_t month)
{
    int64_t m = month - 1, carry = m / 12 - (m % 12 < 0 ? 1 : 0);
    int64_t y = year + carry;
    y = y < INT32_MIN ? INT32_MIN : y > INT32_MAX ? INT32_MAX : y;
    return {(int32_t)y, (int32_t)(m - carry * 12 + 1)};
}

static bool is_set(qel_date d)
{
    return d.year != 0;
}

// --- The month grid ---

struct cell_payload {
    uint8_t band, round_left, round_right, endpoint, today;
    float hover, focus;
    qel_color band_color, primary, hover_color, ring;
};

static void cell_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const cell_payload*)user;
    const qel_rect& r = node->rect;
    if (p->band) {
        float left = p->round_left ? (r.h - 2) * 0.5f : 0, right = p->round_right ? (r.h - 2) * 0.5f : 0;
        const float radii[4] = {left, right, right, left};
        qel_rect band = {r.x, r.y + 1, r.w, r.h - 2};
        qel_draw_rect(ctx, &band, radii, p->band_color);
    }
    float m = fminf(r.w, r.h), radius = m * 0.5f - 1;
    qel_rect disc = {r.x + (r.w - m) * 0.5f + 1, r.y + (r.h - m) * 0.5f + 1, m - 2, m - 2};
    const float radii[4] = {radius, radius, radius, radius};
    if (p->endpoint) qel_draw_rect(ctx, &disc, radii, p->primary);
    else if (p->hover * 1.4f > 0.01f) qel_draw_rect(ctx, &disc, radii, qel_color_alpha(p->hover_color, fminf(p->hover * 1.4f, 1.0f)));
    if (p->today && !p->endpoint) qel_draw_rect_bordered(ctx, &disc, radii, 0, p->ring, 1);
    qel_draw_focus_ring(ctx, &r, node->radii, p->focus);
}

// The band and endpoints a range shows; the awaited end follows the pointer.
struct range_view {
    bool has_start, range_mode;
    int32_t a, b, lo, hi;
};

static range_view view_of(const qel_range_calendar_state* s, const qel_date_range* range)
{
    range_view v = {};
    v.has_start = is_set(range->start);
    if (!v.has_start) return v;
    v.a = qel_days_from_civil(range->start);
    if (s->selecting && s->hovered_day != 0) {
        v.b = s->hovered_day;
        v.range_mode = true;
    } else if (is_set(range->end)) {
        v.b = qel_days_from_civil(range->end);
        v.range_mode = true;
    }
    v.lo = v.range_mode && v.b < v.a ? v.b : v.a;
    v.hi = v.range_mode && v.b > v.a ? v.b : v.a;
    return v;
}

static void click_day(qel_range_calendar_state* s, qel_date_range* range, int32_t d)
{
    qel_date day = qel_civil_from_days(d);
    if (s->selecting && is_set(range->start)) {
        if (d < qel_days_from_civil(range->start)) {
            range->end = range->start;
            range->start = day;
        } else {
            range->end = day;
        }
        s->selecting = 0;
    } else {
        range->start = day;
        range->end = {0, 0, 0};
        s->selecting = 1;
    }
}

static void empty_cell(qel_context* ctx)
{
    qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, CELL_HEIGHT});
}

static qel_color band_color(qel_context* ctx)
{
    if (!qel_theme_get_accent(ctx)) return qel_theme_color(ctx, QEL_COLOR_ACTIVE);
    return qel_color_mix(qel_theme_color(ctx, QEL_COLOR_SURFACE), qel_theme_color(ctx, QEL_COLOR_ACCENT),
                         qel_dark_mode(ctx) ? 0.22f : 0.14f);
}

static void day_cell(qel_context* ctx, uint32_t calendar_id, qel_range_calendar_state* s, qel_date_range* range,
                     const range_view& v, int32_t d, int32_t day, int32_t last_day, int32_t today, uint8_t* changed,
                     int32_t* hovered_day)
{
    uint32_t id = qel_hash_bytes(&d, sizeof d, calendar_id);
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
    if (it.hovered) *hovered_day = d;
    if (it.clicked) {
        click_day(s, range, d);
        *changed = 1;
    }
    cell_payload p = {};
    p.band = v.range_mode && v.lo <= d && d <= v.hi && v.hi > v.lo;
    int32_t wd = qel_weekday(d);
    p.round_left = d == v.lo || wd == 0 || day == 1;
    p.round_right = d == v.hi || wd == 6 || day == last_day;
    p.endpoint = v.has_start && (d == v.a || (v.range_mode && d == v.b));
    p.today = d == today;
    p.hover = qel_anim_flash(ctx, id, it.hovered != 0, 0.14f);
    p.focus = it.focused && it.focus_visible ? 1.0f : 0.0f;
    p.band_color = band_color(ctx);
    p.primary = qel_theme_color(ctx, QEL_COLOR_PRIMARY);
    p.hover_color = qel_theme_color(ctx, QEL_COLOR_HOVER);
    p.ring = qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG);

    int32_t node = qel_node_centred(ctx, id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, CELL_HEIGHT}, QEL_DIR_ROW, 18);
    qel_node_clickable(ctx, node, id, false);
    qel_node_draw_with(ctx, node, cell_draw, &p, sizeof p, false);
    qel_node_push(ctx, node);
    char text[12];
    snprintf(text, sizeof text, "%d", day);
    qel_text_leaf(ctx, text, -1, p.endpoint ? QEL_FONT_MEDIUM : QEL_FONT_BODY,
                  qel_text_body_scaled(ctx),
                  qel_theme_color(ctx, p.endpoint ? QEL_COLOR_ON_PRIMARY : QEL_COLOR_TEXT), false, 1.0f);
    qel_node_pop(ctx);
}

static void step_view(qel_range_calendar_state* s, int32_t by)
{
    year_month ym = normalised(s->view_year, (int64_t)s->view_month + by);
    s->view_year = ym.year;
    s->view_month = ym.month;
}

static void month_header(qel_context* ctx, qel_range_calendar_state* s, year_month ym, bool previous, bool next)
{
    qel_style row = {};
    row.height = {QEL_SIZE_FIXED, 30};
    row.align = QEL_ALIGN_CENTER;
    qel_row_begin(ctx, &row);
    qel_button_opts button = {};
    button.size = 1;
    if (previous) {
        button.tooltip = "Previous month";
        if (qel_icon_button(ctx, PREVIOUS_GLYPH, &button)) step_view(s, -1);
    } else {
        qel_gap(ctx, 30);
    }
    const char* title = qel_arena_sprintf(ctx, "%s %d", qel_month_name(ctx, ym.month - 1), ym.year);
    int32_t text = qel_text_leaf(ctx, title, -1, QEL_FONT_MEDIUM, qel_text_body_scaled(ctx),
                                 qel_theme_color(ctx, QEL_COLOR_TEXT), false, 1.3f);
    qel_node* n = qel_node_at(ctx, text);
    n->width = {QEL_SIZE_GROW, 1};
    n->content_align = 1;
    if (next) {
        button.tooltip = "Next month";
        if (qel_icon_button(ctx, NEXT_GLYPH, &button)) step_view(s, 1);
    } else {
        qel_gap(ctx, 30);
    }
    qel_container_end(ctx);
}

void qel_month_calendar(qel_context* ctx, uint32_t calendar_id, qel_range_calendar_state* state, int32_t year,
                        int32_t month, qel_date_range* range, uint8_t* changed, uint8_t show_previous,
                        uint8_t show_next, int32_t today, int32_t* hovered_day)
{
    if (!state || !range || !changed || !hovered_day) return;
    year_month ym = normalised(year, month);
    qel_style column = {};
    column.width = {QEL_SIZE_FIXED, GRID_WIDTH};
    column.gap = 8;
    qel_column_begin(ctx, &column);
    month_header(ctx, state, ym, show_previous != 0, show_next != 0);

    qel_style grid = {};
    grid.direction = QEL_DIR_GRID;
    grid.grid_columns = 7;
    grid.width = {QEL_SIZE_GROW, 1};
    qel_container_begin(ctx, &grid);
    for (int32_t i = 0; i < 7; i++) {
        int32_t name = qel_text_leaf(ctx, qel_weekday_name_narrow(ctx, i), -1, QEL_FONT_BODY,
                                     qel_text_small_scaled(ctx),
                                     qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), false, 2.2f);
        qel_node_at(ctx, name)->content_align = 1;
    }
    int32_t first = qel_days_from_civil({ym.year, ym.month, 1});
    int32_t w = qel_weekday(first), last_day = qel_days_in_month(ym.year, ym.month);
    int32_t cells = w + last_day <= 35 ? 35 : 42;
    range_view v = view_of(state, range);
    for (int32_t k = 0; k < cells; k++) {
        int32_t day = k + 1 - w;
        if (day < 1 || day > last_day) empty_cell(ctx);
        else day_cell(ctx, calendar_id, state, range, v, first + day - 1, day, last_day, today, changed, hovered_day);
    }
    qel_container_end(ctx);
    qel_container_end(ctx);
}

// --- The field ---

// The field's text, in the frame arena.
static const char* range_text(qel_context* ctx, const qel_date_range* r)
{
    qel_date s = r->start, e = r->end;
    const char* sm = qel_month_name_short(ctx, normalised(s.year, s.month).month - 1);
    if (!is_set(e)) return qel_arena_sprintf(ctx, "%s %d, %d", sm, s.day, s.year);
    const char* em = qel_month_name_short(ctx, normalised(e.year, e.month).month - 1);
    if (s.year != e.year)
        return qel_arena_sprintf(ctx, "%s %d, %d \xE2\x80\x93 %s %d, %d", sm, s.day, s.year, em, e.day, e.year);
    return qel_arena_sprintf(ctx, "%s %d \xE2\x80\x93 %s %d, %d", sm, s.day, em, e.day, s.year);
}

// --- Presets ---

struct preset {
    const char* label;
    qel_date start, end;
};

static void presets_of(qel_date today, preset out[7])
{
    int32_t t = qel_days_from_civil(today);
    year_month last = normalised(today.year, (int64_t)today.month - 1);
    out[0] = {"Today", today, today};
    out[1] = {"Yesterday", qel_civil_from_days(t - 1), qel_civil_from_days(t - 1)};
    out[2] = {"Last 7 days", qel_civil_from_days(t - 6), today};
    out[3] = {"Last 30 days", qel_civil_from_days(t - 29), today};
    out[4] = {"This month", {today.year, today.month, 1}, today};
    out[5] = {"Last month", {last.year, last.month, 1},
              {last.year, last.month, qel_days_in_month(last.year, last.month)}};
    out[6] = {"This year", {today.year, 1, 1}, today};
}

static bool same_date(qel_date a, qel_date b)
{
    return a.year == b.year && a.month == b.month && a.day == b.day;
}

// The preset rows; a chosen one writes the range and keeps the popup open.
static bool preset_list(qel_context* ctx, uint32_t popup, qel_date_range* range, qel_date today, bool grid)
{
    qel_style s = {};
    s.gap = 2;
    s.padding = 8;
    if (grid) {
        s.direction = QEL_DIR_GRID;
        s.grid_columns = 2;
    } else {
        s.width = {QEL_SIZE_FIXED, PRESET_WIDTH};
    }
    qel_container_begin(ctx, &s);
    preset presets[7];
    presets_of(today, presets);
    bool complete = is_set(range->start) && is_set(range->end), changed = false;
    for (int32_t i = 0; i < 7; i++) {
        qel_push_id_int(ctx, i);
        qel_menu_item_options row = {};
        row.checked = complete && same_date(range->start, presets[i].start) && same_date(range->end, presets[i].end);
        if (qel_menu_item(ctx, presets[i].label, &row)) {
            range->start = presets[i].start;
            range->end = presets[i].end;
            changed = true;
            qel_popup_set_open(ctx, popup, true);  // the row closed every popup
        }
        qel_pop_id(ctx);
    }
    qel_container_end(ctx);
    return changed;
}

// One or two month grids; true when a day click completed a range.
static bool calendars(qel_context* ctx, qel_date_range* range, int32_t months, qel_date today, uint8_t* changed)
{
    uint32_t id = qel_id(ctx, "#rcal");
    auto* s = qel_state_record_of<qel_range_calendar_state>(ctx, id, "qel_range_calendar_state");
    if (!s->initialised) {
        qel_date view = is_set(range->start) ? range->start : today;
        year_month ym = normalised(view.year, view.month);
        s->view_year = ym.year;
        s->view_month = ym.month;
        s->initialised = 1;
    }
    qel_style area = {};
    area.padding = 14;
    area.gap = 24;
    area.align = QEL_ALIGN_START;
    qel_row_begin(ctx, &area);
    bool was_selecting = s->selecting != 0;
    uint8_t clicked = 0;
    int32_t hovered = 0, today_number = qel_days_from_civil(today);
    year_month first = {s->view_year, s->view_month};
    for (int32_t i = 0; i < months; i++) {
        year_month ym = normalised(first.year, (int64_t)first.month + i);
        qel_month_calendar(ctx, id, s, ym.year, ym.month, range, &clicked, i == 0, i == months - 1, today_number, &hovered);
    }
    qel_container_end(ctx);
    s->hovered_day = hovered;
    qel_set_last_item(ctx, id);
    if (clicked) *changed = 1;
    return clicked && was_selecting && is_set(range->end);
}

static bool range_popup(qel_context* ctx, uint32_t popup, qel_date_range* range, const qel_date_range_options* o)
{
    qel_node_at(ctx, qel_node_parent(ctx))->max_h = 1e9f;
    float w = qel_ctx_display_size(ctx).x - 16;
    qel_date today = qel_today(nullptr);
    uint8_t changed = 0;
    bool done = false;
    if (o->no_presets) {
        done = calendars(ctx, range, w >= 556 ? 2 : 1, today, &changed);
    } else {
        bool wide = w >= 437;
        qel_style s = {};
        s.align = QEL_ALIGN_STRETCH;
        if (wide) qel_row_begin(ctx, &s);
        else qel_column_begin(ctx, &s);
        changed |= preset_list(ctx, popup, range, today, !wide);
        qel_divider(ctx);
        done = calendars(ctx, range, wide && w >= 713 ? 2 : 1, today, &changed);
        qel_container_end(ctx);
    }
    if (done) qel_popup_set_open(ctx, popup, false);
    return changed != 0;
}

int32_t qel_date_range_picker(qel_context* ctx, const char* label, qel_date_range* range,
                              const qel_date_range_options* options)
{
    if (!range) return 0;
    const qel_date_range_options none = {};
    const qel_date_range_options* o = options ? options : &none;
    qel_picker_field f = qel_picker_field_interact(ctx, label, POPUP_KEY, sizeof(float));
    if (f.slot && f.it.clicked) qel_popup_set_open(ctx, f.popup, !f.slot->open);
    int32_t node = qel_picker_field_begin(ctx, &f, o->label, o->width, 280);
    qel_icon_glyph(ctx, CALENDAR_GLYPH, 16, qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED));
    bool has_start = is_set(range->start);
    const char* text = has_start ? range_text(ctx, range) : o->placeholder ? o->placeholder : "Pick a date range";
    int32_t leaf = qel_text_leaf(ctx, text, -1, QEL_FONT_BODY, qel_text_body_scaled(ctx),
                                 qel_theme_color(ctx, has_start ? QEL_COLOR_TEXT : QEL_COLOR_TEXT_MUTED), false, 1.3f);
    qel_node_at(ctx, leaf)->width = {QEL_SIZE_GROW, 1};
    qel_picker_field_end(ctx, &f, o->label, o->width, node);

    if (!f.slot || !qel_popup_begin(ctx, f.popup, f.id, QEL_PLACE_BELOW_START, 0, 0, 0, false)) return 0;
    bool changed = range_popup(ctx, f.popup, range, o);
    qel_popup_end(ctx);
    return changed ? 1 : 0;
}
