// Month and weekday names with the installed table, today's date, the month calendar and the
// date field that opens it in a popup. Day numbers and weekdays come from civil_date; the popup
// and the trigger field are the popup layer's and the select's.
#include "qel/date_picker.h"

#include <cmath>
#include <ctime>

#include "core/core.h"
#include "overlays/overlay_state.h"
#include "kit/field_trigger.h"
#include "kit/state_records.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/button.h"
#include "qel/font.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/popup.h"
#include "qel/state.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/widget_nodes.h"

static const uint32_t POPUP_KEY = 0xDA7Eu;
static const int32_t MAX_YEAR = 5000000;  // day numbers of every date up to here fit 32 bits
static const float FADE = 0.14f;

// --- Names ---

static const char* const ENGLISH[QEL_DATE_NAME_COUNT] = {
    "January", "February", "March", "April", "May", "June", "July", "August", "September", "October", "November",
    "December", "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec", "Monday",
    "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat",
    "Sun", "Mo", "Tu", "We", "Th", "Fr", "Sa", "Su", "Today"};

enum { MONTHS = 0, MONTHS_SHORT = 12, WEEKDAYS = 24, WEEKDAYS_SHORT = 31, WEEKDAYS_NARROW = 38, TODAY = 45 };

void qel_date_names_set(qel_context* ctx, const char* const* table)
{
    qel_overlays(ctx)->date_names = table;
}

const char* const* qel_date_names_get(qel_context* ctx)
{
    return qel_overlays(ctx)->date_names;
}

static int32_t wrap(int32_t index, int32_t count)
{
    return (index % count + count) % count;
}

static const char* name(qel_context* ctx, int32_t entry)
{
    const char* const* table = qel_overlays(ctx)->date_names;
    return table && table[entry] ? table[entry] : ENGLISH[entry];
}

const char* qel_month_name(qel_context* ctx, int32_t index)
{
    return name(ctx, MONTHS + wrap(index, 12));
}

const char* qel_month_name_short(qel_context* ctx, int32_t index)
{
    return name(ctx, MONTHS_SHORT + wrap(index, 12));
}

const char* qel_weekday_name(qel_context* ctx, int32_t index)
{
    return name(ctx, WEEKDAYS + wrap(index, 7));
}

const char* qel_weekday_name_short(qel_context* ctx, int32_t index)
{
    return name(ctx, WEEKDAYS_SHORT + wrap(index, 7));
}

const char* qel_weekday_name_narrow(qel_context* ctx, int32_t index)
{
    return name(ctx, WEEKDAYS_NARROW + wrap(index, 7));
}

const char* qel_today_label(qel_context* ctx)
{
    return name(ctx, TODAY);
}

qel_date qel_today(qel_date* out)
{
    time_t now = time(nullptr);
    const struct tm* local = localtime(&now);
    qel_date d = {};
    if (local) d = {local->tm_year + 1900, local->tm_mon + 1, local->tm_mday};
    if (out) *out = d;
    return d;
}

// --- Calendar ---

struct calendar_view {
    int32_t year, month;
    uint8_t initialised;
};

static bool same_day(qel_date a, qel_date b)
{
    return a.year == b.year && a.month == b.month && a.day == b.day;
}

// Moves the view by delta months, keeping it within years 1 to MAX_YEAR.
static void step_view(calendar_view* v, int32_t delta)
{
    int32_t months = (v->year - 1) * 12 + (v->month - 1) + delta;
    if (months < 0 || months >= MAX_YEAR * 12) return;
    v->year = months / 12 + 1;
    v->month = months % 12 + 1;
}

static void show(calendar_view* v, qel_date d)
{
    v->year = d.year < 1 ? 1 : d.year > MAX_YEAR ? MAX_YEAR : d.year;
    v->month = wrap(d.month - 1, 12) + 1;
}

static void calendar_header(qel_context* ctx, calendar_view* v)
{
    const qel_theme* th = qel_theme_block_get(ctx);
    qel_style row = {};
    row.padding_left = 6;
    row.gap = 2;
    row.align = QEL_ALIGN_CENTER;
    qel_row_begin(ctx, &row);
    const char* title = qel_arena_sprintf(ctx, "%s %d", qel_month_name(ctx, v->month - 1), v->year);
    int32_t text = qel_text_leaf(ctx, title, -1, QEL_FONT_MEDIUM, qel_scaled(ctx, th->text_body + 1),
                                 qel_color_token(QEL_COLOR_TEXT), false, 1.3f);
    qel_node_at(ctx, text)->width = {QEL_SIZE_GROW, 1};
    qel_button_opts b = {};
    b.size = 1;
    b.tooltip = "Previous month";
    if (qel_icon_button(ctx, QEL_ICON_CHEVRON_LEFT, &b)) step_view(v, -1);
    b.tooltip = "Next month";
    if (qel_icon_button(ctx, QEL_ICON_CHEVRON_RIGHT, &b)) step_view(v, 1);
    qel_container_end(ctx);
}

struct day_cell {
    qel_date date;
    bool outside, today, selected;
};

// One day; true when it was clicked.
static bool calendar_cell(qel_context* ctx, uint32_t calendar, int32_t day_number, const day_cell& c, float size)
{
    uint32_t id = qel_hash_bytes(&day_number, sizeof day_number, calendar);
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
    float hover = qel_anim_flash(ctx, id, it.hovered, FADE);
    int32_t index = qel_node_open(ctx, id);
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->justify = QEL_JUSTIFY_CENTER;
    n->height = {QEL_SIZE_FIXED, size};
    qel_node_round(n, size / 2);
    qel_color text = qel_color_token(c.outside ? QEL_COLOR_TEXT_MUTED : QEL_COLOR_TEXT);
    if (c.selected) {
        n->fill = qel_color_token(QEL_COLOR_PRIMARY);
        text = qel_color_token(QEL_COLOR_ON_PRIMARY);
    } else {
        n->fill = qel_color_alpha(qel_color_resolve(ctx, qel_color_token(QEL_COLOR_HOVER)), 1.4f * hover);
        if (c.today) {
            n->border = qel_color_token(QEL_COLOR_BORDER_STRONG);
            n->border_width = 1;
        }
    }
    qel_node_clickable(ctx, index, id, false);
    qel_node_push(ctx, index);
    const char* digits = qel_arena_sprintf(ctx, "%d", c.date.day);
    int32_t label = qel_text_leaf(ctx, digits, -1, c.today || c.selected ? QEL_FONT_MEDIUM : QEL_FONT_BODY,
                                  qel_text_body_scaled(ctx), text, false, 1.0f);
    qel_node_at(ctx, label)->flags |= QEL_NODE_TABULAR;
    qel_node_pop(ctx);
    qel_focus_ring(ctx, index, it.focused && it.focus_visible ? 1.0f : 0.0f);
    return it.clicked;
}

static void weekday_row(qel_context* ctx)
{
    for (int32_t i = 0; i < 7; i++) {
        int32_t text = qel_text_leaf(ctx, qel_weekday_name_narrow(ctx, i), -1, QEL_FONT_BODY,
                                     qel_text_small_scaled(ctx), qel_color_token(QEL_COLOR_TEXT_MUTED), false, 2.0f);
        qel_node_at(ctx, text)->content_align = 1;
    }
}

bool qel_date_picker_calendar(qel_context* ctx, const char* label, qel_date* date)
{
    uint32_t id = qel_id(ctx, label);
    calendar_view* v = qel_state_record_of<calendar_view>(ctx, id, "calendar_view");
    qel_date today = qel_today(nullptr);
    if (!v->initialised) {
        show(v, date && date->year != 0 ? *date : today);
        v->initialised = 1;
    }
    qel_push_id(ctx, label);
    qel_rect last = qel_id_rect(ctx, id);
    float size = last.w > 0 ? fminf(fmaxf(floorf((last.w - 12) / 7), 28), 34) : 34;
    int32_t root = qel_node_open(ctx, id);
    qel_node* r = qel_node_at(ctx, root);
    r->gap = 8;
    r->preferred_width = 250;
    r->min_w = 208;
    r->flags |= QEL_NODE_MIN_FLOOR;
    qel_node_push(ctx, root);
    calendar_header(ctx, v);
    qel_style grid = {};
    grid.direction = QEL_DIR_GRID;
    grid.grid_columns = 7;
    grid.gap = 2;
    grid.width = {QEL_SIZE_GROW, 1};
    qel_container_begin(ctx, &grid);
    weekday_row(ctx);
    int32_t first = qel_days_from_civil({v->year, v->month, 1});
    int32_t start = first - wrap(first + 3, 7);  // the Monday on or before the first
    bool picked = false;
    for (int32_t k = 0; k < 42; k++) {
        int32_t day_number = start + k;
        day_cell c = {qel_civil_from_days(day_number), false, false, false};
        c.outside = c.date.month != v->month;
        c.today = same_day(c.date, today);
        c.selected = date && same_day(c.date, *date);
        if (!calendar_cell(ctx, id, day_number, c, size) || !date) continue;
        *date = c.date;
        picked = true;
        if (c.outside) show(v, c.date);
    }
    qel_container_end(ctx);
    qel_node_pop(ctx);
    qel_pop_id(ctx);
    return picked;
}

// --- Date field ---

static void date_text(qel_context* ctx, const qel_date* date, const qel_date_picker_options* o)
{
    qel_icon(ctx, QEL_ICON_CALENDAR, 16, qel_color_token(QEL_COLOR_TEXT_MUTED));
    bool has = date && date->year > 0;
    const char* text = has ? qel_arena_sprintf(ctx, "%s %d, %d", qel_month_name_short(ctx, date->month - 1),
                                               date->day, date->year)
                           : o->placeholder ? o->placeholder
                                            : "Pick a date";
    int32_t index = qel_text_leaf(ctx, text, -1, QEL_FONT_BODY, qel_text_body_scaled(ctx),
                                  qel_color_token(has ? QEL_COLOR_TEXT : QEL_COLOR_TEXT_MUTED), false, 1.3f);
    qel_node_at(ctx, index)->width = {QEL_SIZE_GROW, 1};
}

bool qel_date_picker(qel_context* ctx, const char* label, qel_date* date, const qel_date_picker_options* options)
{
    const qel_date_picker_options none = {};
    const qel_date_picker_options* o = options ? options : &none;
    uint32_t id = qel_id(ctx, label);
    qel_popup_slot* slot = qel_popup_find(ctx, id ^ POPUP_KEY, true);
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
    if (slot && it.clicked) {
        qel_popup_set_open(ctx, slot->id, !slot->open);
        slot->at_point = 0;
    }
    float hover = qel_anim_flash(ctx, id, it.hovered, FADE);
    qel_field_trigger f = {id, o->label, o->width, hover, slot && slot->open, false, 10, 12};
    int32_t node = qel_field_trigger_begin(ctx, &f);
    date_text(ctx, date, o);
    qel_field_trigger_end(ctx, &f, node, 0);
    qel_set_last_item(ctx, id);
    if (!slot || !qel_popup_begin(ctx, slot->id, id, QEL_PLACE_BELOW_START, 0, 12, 0, false)) return false;
    bool picked = qel_date_picker_calendar(ctx, "#cal", date);
    if (picked) qel_popup_set_open(ctx, slot->id, false);
    qel_popup_end(ctx);
    return picked;
}
