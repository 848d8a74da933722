// The candlestick chart: the view's set-up, wheel, drag and keys with its clamps, the hover, the
// eased price range and axis width, the bars in view (merged per pixel column when candles are
// too narrow), labels and tooltip, and the drawing of grid, labels, volume, candles, overlays,
// last-price marker and crosshair. A candle whose prices are not finite numbers with its low at
// most its high is left out of ranges, buckets and drawing.
#include "qel/candlestick_chart.h"

#include <algorithm>
#include <cmath>

#include "widgets/charts/chart_parts.h"
#include "core/core.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/chart_values.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/state.h"
#include "qel/theme.h"
#include "qel/text.h"
#include "qel/widget_feel.h"
#include "kit/marks.h"
#include "kit/widget_nodes.h"

static const float DEFAULT_HEIGHT = 320, DEFAULT_AXIS = 60, UNKNOWN_WIDTH = 600;
static const float RANGE_SECONDS = 0.18f, MERGE_BELOW = 2.5f;
static const double ZOOM_STEP = 1.18, KEY_ZOOM = 1.4, PAN_SHARE = 0.06, OVERSCROLL = 0.2;
static const int32_t LABEL_STEPS[] = {1,   2,   5,    10,   20,   25,   50,    100,   200,
                                      250, 500, 1000, 2000, 5000, 10000, 20000, 50000, 100000};

// --- Candles ---

static bool usable(const qel_candle& c)
{
    return std::isfinite(c.open) && std::isfinite(c.close) && std::isfinite(c.high) && std::isfinite(c.low) &&
           c.low <= c.high;
}

static float volume_of(const qel_candle& c)
{
    return c.volume > 0 && std::isfinite(c.volume) ? c.volume : 0.0f;
}

static bool any_volume(const qel_candle* candles, int32_t n)
{
    for (int32_t i = 0; i < n; i++)
        if (volume_of(candles[i]) > 0) return true;
    return false;
}

static qel_color candle_color(const qel_candlestick_payload* p, const qel_candle& k)
{
    return k.close < k.open ? p->down_color : p->up_color;
}

// An overlay's value at a candle; NaN past its values.
static float overlay_at(const qel_line_series& s, int32_t i)
{
    return s.values && i < s.count ? s.values[i] : NAN;
}

// --- The view ---

// Everything one frame's entry works with.
struct candle_frame {
    const qel_candle* candles;
    int32_t n;
    qel_candlestick_options o;
    int32_t overlay_count;
    qel_chart_entry e;
    qel_candlestick_view* view;
    float axis;           // the price axis band this frame reserves
    qel_chart_plot plot;  // on last frame's rectangle; its areas do not follow the zoom
    double min_visible, max_visible;
    bool volume_on, dragging, set_up;
};

static double clampd(double v, double lo, double hi)
{
    return std::fmax(lo, std::fmin(v, hi));
}

static void plan_plot(candle_frame* f)
{
    qel_rect r = f->e.rect;
    float height = f->o.height > 0 ? f->o.height : DEFAULT_HEIGHT;
    if (!(r.w > 0)) r = {0, 0, UNKNOWN_WIDTH, height};
    f->axis = f->view->axis_width > 0 ? f->view->axis_width : DEFAULT_AXIS;
    f->plot = qel_chart_plot_rect(&r, f->axis, f->view->visible, f->volume_on);
}

static double slot_width(const candle_frame* f)
{
    return f->plot.full.w / f->view->visible;
}

// A first look that shows about 9 px per candle up to the newest; again once the width is real.
// The zoom is kept within its bounds as the data changes, and a following view keeps the newest
// candle at its end.
static void set_up_view(candle_frame* f)
{
    qel_candlestick_view* v = f->view;
    bool sized = f->e.rect.w > 0;
    double n = f->n;
    if (!v->initialised || (!v->sized && sized) || !std::isfinite(v->visible) || !std::isfinite(v->start)) {
        v->visible = f->n > 0 ? clampd(f->plot.full.w / 9.0, f->min_visible, n) : 1;
        v->start = n - v->visible;
        v->selected = f->n - 1;
        v->follow = 1;
        v->initialised = 1;
        v->sized = sized;
        f->set_up = true;
    }
    v->visible = clampd(v->visible, f->min_visible, f->max_visible);
    if ((uint32_t)f->n != v->last_count && v->follow) v->start = n - v->visible;
}

static void zoom_about(candle_frame* f, double share, double visible)
{
    qel_candlestick_view* v = f->view;
    double next = clampd(visible, f->min_visible, f->max_visible);
    v->start += share * v->visible - share * next;
    v->visible = next;
}

// The wheel reaches the chart through the rectangle its drawing registered: vertical zooms
// about the pointer, sideways (or with Shift) pans.
static void take_wheel(qel_context* ctx, candle_frame* f)
{
    qel_input* in = &ctx->input;
    if (ctx->interaction.scroll_target != (f->e.id ^ QEL_CANDLESTICK_WHEEL_KEY)) return;
    if (in->wheel_x == 0 && in->wheel_y == 0) return;
    bool shift = (in->modifiers & QEL_MOD_SHIFT) != 0;
    const qel_rect& a = f->plot.full;
    qel_candlestick_view* v = f->view;
    if (in->wheel_y != 0 && !shift) {
        double share = clampd((f->e.pointer.x - a.x) / a.w, 0, 1);
        zoom_about(f, share, v->visible * std::pow(ZOOM_STEP, -(double)in->wheel_y));
    }
    double pan = in->wheel_x + (shift ? in->wheel_y : 0.0f);
    v->start -= pan * v->visible * PAN_SHARE;
    in->wheel_x = in->wheel_y = 0;
}

static void drag(qel_context* ctx, candle_frame* f)
{
    qel_candlestick_view* v = f->view;
    if (!f->dragging) return;
    if (qel_mouse_pressed(ctx, 0)) {
        v->drag_x = f->e.pointer.x;
        v->drag_start = v->start;
    }
    v->start = v->drag_start - (f->e.pointer.x - v->drag_x) / slot_width(f);
    qel_set_cursor(ctx, QEL_CURSOR_MOVE);
}

// The selection a Left or Right starts from: the selected candle in keyboard mode, else the
// last one in view.
static int32_t selection_base(const candle_frame* f)
{
    const qel_candlestick_view* v = f->view;
    if (v->keyboard) return v->selected;
    double last = std::trunc(v->start + v->visible);
    return (int32_t)std::min((double)f->n, std::fmax(1.0, last)) - 1;
}

// Moves the view just enough to show the selected candle.
static void reveal_selection(candle_frame* f)
{
    qel_candlestick_view* v = f->view;
    v->selected = std::clamp(v->selected, 0, f->n - 1);
    v->keyboard = 1;
    if (v->selected < v->start) v->start = v->selected;
    if (v->selected + 1 > v->start + v->visible) v->start = v->selected + 1 - v->visible;
}

static void take_keys(qel_context* ctx, candle_frame* f)
{
    qel_candlestick_view* v = f->view;
    if (!f->e.interaction.focused || f->n <= 0) return;
    int32_t step = (qel_modifiers(ctx) & QEL_MOD_SHIFT) ? 10 : 1;
    bool moved = true;
    if (qel_key_pressed(ctx, QEL_KEY_LEFT)) v->selected = selection_base(f) - step;
    else if (qel_key_pressed(ctx, QEL_KEY_RIGHT)) v->selected = selection_base(f) + step;
    else if (qel_key_pressed(ctx, QEL_KEY_HOME)) v->selected = 0;
    else if (qel_key_pressed(ctx, QEL_KEY_END)) v->selected = f->n - 1;
    else moved = false;
    if (moved) reveal_selection(f);
    if (qel_key_pressed(ctx, QEL_KEY_EQUAL)) zoom_about(f, 0.5, v->visible / KEY_ZOOM);
    if (qel_key_pressed(ctx, QEL_KEY_MINUS)) zoom_about(f, 0.5, v->visible * KEY_ZOOM);
    if (qel_key_pressed(ctx, QEL_KEY_0)) {
        v->start = 0;
        v->visible = std::fmax(f->n, f->min_visible);
    }
}

// A fifth of a screen of over-scroll at each end; when the data is shorter than that allows, the
// view rests at the start.
static void clamp_view(qel_context* ctx, candle_frame* f)
{
    qel_candlestick_view* v = f->view;
    if (qel_mouse_moved(ctx)) v->keyboard = 0;
    v->start = std::fmax(-OVERSCROLL * v->visible, std::fmin(v->start, f->n - (1 - OVERSCROLL) * v->visible));
    v->follow = v->start + v->visible >= f->n - 0.01;
}

// The candle under the pointer, or the selected one in keyboard mode with focus; -1 for none.
static int32_t hovered_candle(const candle_frame* f)
{
    const qel_candlestick_view* v = f->view;
    if (v->keyboard && f->e.interaction.focused) return v->selected >= 0 && v->selected < f->n ? v->selected : -1;
    const qel_rect& a = f->plot.full;
    qel_vec2 m = f->e.pointer;
    if (f->dragging || !qel_chart_entry_hovering(&f->e)) return -1;
    if (!qel_rect_contains(a, m)) return -1;
    double i = std::floor((m.x - a.x) / slot_width(f) + v->start);
    return i >= 0 && i < f->n ? (int32_t)i : -1;
}

// --- The price range ---

// The candles the range and the bars read: the first in view to one past the last.
static void range_span(const candle_frame* f, int32_t* first, int32_t* end)
{
    const qel_candlestick_view* v = f->view;
    *first = (int32_t)clampd(std::floor(v->start), 0, f->n);
    *end = (int32_t)clampd(std::ceil(v->start + v->visible) + 1, 0, f->n);
}

static void widen(float* lo, float* hi, float value)
{
    if (!std::isfinite(value)) return;
    *lo = std::min(*lo, value);
    *hi = std::max(*hi, value);
}

// The lowest low and highest high in view with the overlays' values there, padded by 7 %, and
// the largest volume.
static void price_range(const candle_frame* f, float* lower, float* upper, float* largest)
{
    int32_t first, end;
    range_span(f, &first, &end);
    float lo = INFINITY, hi = -INFINITY;
    *largest = 0;
    for (int32_t i = first; i < end; i++) {
        const qel_candle& c = f->candles[i];
        if (usable(c)) lo = std::min(lo, c.low), hi = std::max(hi, c.high);
        *largest = std::max(*largest, volume_of(c));
        for (int32_t k = 0; k < f->overlay_count; k++) widen(&lo, &hi, overlay_at(f->o.overlays[k], i));
    }
    if (!(lo <= hi)) lo = 0, hi = 1;
    if (hi - lo < 1e-6f) lo -= 0.5f, hi += 0.5f;
    float pad = (hi - lo) * 0.07f;
    *lower = lo - pad;
    *upper = hi + pad;
}

static void ease_range(qel_context* ctx, candle_frame* f, float lower, float upper)
{
    qel_candlestick_view* v = f->view;
    bool jump = f->set_up || f->dragging || !std::isfinite(v->y_min) || !std::isfinite(v->y_max);
    if (jump) {
        v->y_min = lower;
        v->y_max = upper;
        return;
    }
    qel_anim_exp(ctx, &v->y_min, lower, RANGE_SECONDS);
    qel_anim_exp(ctx, &v->y_max, upper, RANGE_SECONDS);
}

// The price axis band the next frame reserves: the widest of the range's ends and middle.
static float axis_width(qel_context* ctx, const char* format, float lower, float upper)
{
    float size = qel_chart_xs_size(ctx), widest = 0;
    for (float price : {upper, lower, (lower + upper) / 2}) {
        const char* text = qel_chart_format_value(ctx, format, price);
        widest = std::fmax(widest, qel_text_width(ctx, QEL_FONT_MEDIUM, size, text, -1, 1));
    }
    return std::ceil(widest) + 22;
}

// --- The bars in view ---

static void allocate_bars(qel_context* ctx, qel_candlestick_payload* p, int32_t capacity)
{
    size_t n = (size_t)std::max(capacity, 1);
    p->bars = (qel_candle*)qel_arena_alloc(ctx, sizeof(qel_candle) * n);
    p->bar_slots = (int32_t*)qel_arena_alloc(ctx, sizeof(int32_t) * n);
    for (int32_t k = 0; k < p->overlay_count; k++)
        p->overlay_values[k] = (float*)qel_arena_alloc(ctx, sizeof(float) * n);
}

static void copy_candles(qel_context* ctx, const candle_frame* f, qel_candlestick_payload* p)
{
    int32_t first, end;
    range_span(f, &first, &end);
    allocate_bars(ctx, p, end - first);
    for (int32_t i = first; i < end; i++) {
        int32_t b = p->bar_count++;
        p->bars[b] = f->candles[i];
        p->bar_slots[b] = i;
        for (int32_t k = 0; k < p->overlay_count; k++) p->overlay_values[k][b] = overlay_at(f->o.overlays[k], i);
    }
}

// One bucket of candles from first to end: open of the first usable candle, close of the last,
// the extremes and the summed volume; false when none is usable.
static bool merge(const qel_candle* candles, int32_t first, int32_t end, qel_candle* out, int32_t* last)
{
    bool any = false;
    for (int32_t i = first; i < end; i++) {
        const qel_candle& c = candles[i];
        if (!usable(c)) continue;
        if (!any) *out = {c.open, c.high, c.low, c.close, 0};
        out->high = std::max(out->high, c.high);
        out->low = std::min(out->low, c.low);
        out->close = c.close;
        out->volume += volume_of(c);
        *last = i;
        any = true;
    }
    return any;
}

// One bar per pixel column, each over the candles whose slots start in it; columns past the data
// or holding no usable candle are left out.
static void merge_candles(qel_context* ctx, const candle_frame* f, qel_candlestick_payload* p)
{
    int32_t columns = std::max(1, (int32_t)f->plot.full.w);
    double per_column = 1 / slot_width(f), start = f->view->start;
    allocate_bars(ctx, p, columns);
    for (int32_t j = 0; j < columns; j++) {
        double from = std::floor(start + j * per_column), to = std::floor(start + (j + 1) * per_column);
        int32_t first = (int32_t)clampd(from, 0, f->n), end = (int32_t)clampd(std::fmax(to, from + 1), 0, f->n);
        int32_t b = p->bar_count, last = first;
        if (first >= end || !merge(f->candles, first, end, &p->bars[b], &last)) continue;
        p->bar_slots[b] = j;
        for (int32_t k = 0; k < p->overlay_count; k++) p->overlay_values[k][b] = overlay_at(f->o.overlays[k], last);
        p->bar_count++;
    }
}

// Labels every step candles, the step a round number giving them about 90 px each, kept 20 px
// inside the plot's ends.
static void pick_labels(qel_context* ctx, const candle_frame* f, qel_candlestick_payload* p)
{
    if (!f->o.labels || f->n <= 0) return;
    double cw = slot_width(f), want = std::ceil(90 / std::fmax(0.01, cw)), step = want;
    for (int32_t s : LABEL_STEPS)
        if (s >= want) {
            step = s;
            break;
        }
    const qel_rect& a = f->plot.full;
    const qel_candlestick_view* v = f->view;
    double first = std::fmax(0.0, std::floor(v->start));
    first -= std::fmod(first, step);
    // Counted, not stepped, like every run of marks.
    double count = std::ceil((std::fmin(v->start + v->visible, (double)f->n) - first) / step);
    if (!(count > 0)) return;
    for (int32_t k = 0; k < (int32_t)std::fmin(count, (double)f->n) && p->label_count < QEL_CANDLESTICK_LABELS; k++) {
        double c = first + step * k;
        double x = (c + 0.5 - v->start) * cw;
        if (c < 0 || x < 20 || x > a.w - 20 || !f->o.labels[(int32_t)c]) continue;
        p->label_slots[p->label_count] = (int32_t)c;
        p->label_texts[p->label_count++] = qel_arena_strdup(ctx, f->o.labels[(int32_t)c], -1);
    }
}

// --- The tooltip ---

static const char* volume_text(qel_context* ctx, float volume)
{
    if (volume >= 1e6f) return qel_arena_sprintf(ctx, "%.2fM", volume / 1e6);
    if (volume >= 10000) return qel_arena_sprintf(ctx, "%.1fk", volume / 1000.0);
    return qel_arena_sprintf(ctx, "%.0f", (double)volume);
}

static void fill_tip(qel_context* ctx, const candle_frame* f, qel_candlestick_payload* p, int32_t i)
{
    const qel_candle& c = f->candles[i];
    qel_chart_tip* tip = &p->view.tip;
    const char* label = f->o.labels ? f->o.labels[i] : nullptr;
    tip->title = label ? qel_arena_strdup(ctx, label, -1) : qel_arena_sprintf(ctx, "#%d", i + 1);
    const char* format = p->price_format;
    qel_chart_tip_add(tip, "Open", qel_chart_format_value(ctx, format, c.open), 0);
    qel_chart_tip_add(tip, "High", qel_chart_format_value(ctx, format, c.high), 0);
    qel_chart_tip_add(tip, "Low", qel_chart_format_value(ctx, format, c.low), 0);
    qel_chart_tip_add(tip, "Close", qel_chart_format_value(ctx, format, c.close), candle_color(p, c));
    double reference = i > 0 ? f->candles[i - 1].close : c.open;
    double change = (c.close - reference) / reference * 100;
    if (reference != 0 && std::isfinite(change))
        qel_chart_tip_add(tip, "Change", qel_arena_sprintf(ctx, "%+.2f%%", change), 0);
    if (p->volume_on) qel_chart_tip_add(tip, "Volume", volume_text(ctx, volume_of(c)), 0);
    if (!p->keyboard) return;
    const qel_rect& a = f->plot.full;
    tip->anchor_x = (float)(a.x + (i + 0.5 - f->view->start) * slot_width(f));
    tip->anchor_y = f->plot.plot.y + 0.3f * f->plot.plot.h;
}

// --- The entry ---

static candle_frame begin_frame(qel_context* ctx, const char* label, const qel_candle* candles, int32_t count,
                                const qel_candlestick_options* options)
{
    candle_frame f = {};
    f.candles = candles;
    f.n = candles && count > 0 ? count : 0;
    if (options) f.o = *options;
    f.overlay_count = f.o.overlays ? std::clamp((int32_t)f.o.overlay_count, 0, (int32_t)QEL_CANDLESTICK_OVERLAYS) : 0;
    f.e = qel_chart_entry_begin_with(ctx, label ? label : "candles", QEL_INTERACT_FOCUSABLE);
    uint32_t view_id = f.e.id ^ QEL_CANDLESTICK_VIEW_KEY;
    f.view = (qel_candlestick_view*)qel_state_get(ctx, view_id, sizeof(qel_candlestick_view));
    f.min_visible = f.n > 0 ? std::min(f.n, 8) : 1;
    f.max_visible = std::fmax(1.1 * f.n, 8);
    f.volume_on = !f.o.hide_volume && any_volume(candles, f.n);
    f.dragging = f.e.interaction.active;
    return f;
}

static void steer(qel_context* ctx, candle_frame* f)
{
    plan_plot(f);
    set_up_view(f);
    take_wheel(ctx, f);
    drag(ctx, f);
    take_keys(ctx, f);
    clamp_view(ctx, f);
}

static qel_candlestick_payload* make_payload(qel_context* ctx, candle_frame* f)
{
    auto* p = (qel_candlestick_payload*)qel_arena_alloc(ctx, sizeof(qel_candlestick_payload));
    qel_candlestick_view* v = f->view;
    p->wheel_id = f->e.id ^ QEL_CANDLESTICK_WHEEL_KEY;
    p->start = v->start;
    p->visible = v->visible;
    p->axis_width = f->axis;
    p->up_color = qel_color_resolve(ctx, qel_color_arg(f->o.up_color, qel_color_token(QEL_COLOR_SUCCESS)));
    p->down_color = qel_color_resolve(ctx, qel_color_arg(f->o.down_color, qel_color_token(QEL_COLOR_DANGER)));
    p->price_format = qel_arena_strdup(ctx, f->o.price_format ? f->o.price_format : "%.2f", -1);
    p->volume_on = f->volume_on;
    p->ohlc_bars = f->o.ohlc_bars != 0;
    p->keyboard = v->keyboard && f->e.interaction.focused;
    p->focus_ring = f->e.interaction.focused && f->e.interaction.focus_visible;
    p->wheel_routed = f->e.interaction.hovered || f->e.interaction.focused;
    p->pointer_y = f->e.pointer.y;
    p->overlay_count = f->overlay_count;
    for (int32_t k = 0; k < f->overlay_count; k++)
        p->overlay_colors[k] = qel_chart_indexed_color(ctx, f->o.overlays[k].color, k);
    return p;
}

int32_t qel_candlestick_chart(qel_context* ctx, const char* label, const qel_candle* candles, int32_t count,
                              const qel_candlestick_options* options)
{
    candle_frame f = begin_frame(ctx, label, candles, count, options);
    steer(ctx, &f);
    int32_t hit = hovered_candle(&f);
    qel_candlestick_payload* p = make_payload(ctx, &f);
    float lower, upper;
    price_range(&f, &lower, &upper, &p->largest_volume);
    ease_range(ctx, &f, lower, upper);
    f.view->axis_width = axis_width(ctx, p->price_format, lower, upper);
    f.view->last_count = (uint32_t)f.n;
    p->y_min = f.view->y_min;
    p->y_max = f.view->y_max;
    p->aggregated = slot_width(&f) < MERGE_BELOW;
    if (p->aggregated) merge_candles(ctx, &f, p);
    else copy_candles(ctx, &f, p);
    pick_labels(ctx, &f, p);
    if (f.n > 0 && std::isfinite(candles[f.n - 1].close)) {
        p->last_shown = 1;
        p->last_close = candles[f.n - 1].close;
        p->last_rising = candles[f.n - 1].close >= candles[f.n - 1].open;
    }
    qel_chart_entry_view(ctx, &f.e, hit, f.n, &p->view);
    if (p->view.hovered >= 0) {
        p->hovered_candle = candles[p->view.hovered];
        fill_tip(ctx, &f, p, p->view.hovered);
    }
    qel_size width = f.o.width.kind ? f.o.width : qel_size{QEL_SIZE_GROW, 1};
    float height = f.o.height > 0 ? f.o.height : DEFAULT_HEIGHT;
    int32_t node = qel_chart_node(ctx, f.e.id, width, {QEL_SIZE_FIXED, height}, qel_candlestick_draw, p, hit >= 0);
    qel_node_mark_interactive(ctx, node, QEL_INTERACT_FOCUSABLE);
    if (f.e.interaction.hovered && !f.dragging) qel_set_cursor(ctx, QEL_CURSOR_ARROW);
    return hit;
}

// --- Drawing ---

// The drawing's frame: the plot split on this frame's rectangle and the price scale.
struct candle_canvas {
    qel_chart_plot plot;
    double cw;
    float lower, upper;
};

static float price_y(const candle_canvas& c, float price)
{
    const qel_rect& p = c.plot.plot;
    return p.y + p.h - (price - c.lower) / (c.upper - c.lower) * p.h;
}

static float bar_x(const candle_canvas& c, const qel_candlestick_payload* p, int32_t slot)
{
    const qel_rect& a = c.plot.full;
    return p->aggregated ? a.x + (float)slot + 0.5f : (float)(a.x + (slot + 0.5 - p->start) * c.cw);
}

static float body_width(const candle_canvas& c, const qel_candlestick_payload* p)
{
    return p->aggregated ? 1.0f : std::fmax(1.0f, std::floor((float)c.cw * 0.68f));
}

// A pill at the price axis centred on y with the text in the medium role.
static void price_pill(qel_context* ctx, const candle_canvas& c, float y, const char* text, qel_color fill,
                       qel_color ink)
{
    const qel_rect& p = c.plot.plot;
    float size = qel_chart_xs_size(ctx), w = qel_text_width(ctx, QEL_FONT_MEDIUM, size, text, -1, 1) + 10;
    const float radii[4] = {4, 4, 4, 4};
    qel_rect pill = {p.x + p.w + 2, y - 9, w, 18};
    qel_draw_rect(ctx, &pill, radii, fill);
    qel_draw_text_aligned(ctx, QEL_FONT_MEDIUM, size, pill.x + 5, y, 0, ink, text, 1);
}

static bool last_in_range(const candle_canvas& c, const qel_candlestick_payload* p)
{
    return p->last_shown && p->last_close >= c.lower && p->last_close <= c.upper;
}

static void draw_grid(qel_context* ctx, const candle_canvas& c, const qel_candlestick_payload* p)
{
    const qel_rect& P = c.plot.plot;
    float lower, upper, step;
    qel_chart_nice_range(c.lower, c.upper, std::max(2, (int)(P.h / 40)), &lower, &upper, &step);
    int32_t ticks = qel_chart_tick_count(lower, upper, step);
    float slack = (c.upper - c.lower) * 0.01f, marker = last_in_range(c, p) ? price_y(c, p->last_close) : -INFINITY;
    qel_color line = qel_theme_color(ctx, QEL_COLOR_BORDER_SUBTLE), muted = qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED);
    for (int32_t k = 0; k < ticks; k++) {
        float tick = lower + (float)k * step;
        if (tick < c.lower - slack || tick > c.upper + slack) continue;
        float y = price_y(c, tick);
        qel_rect rule = {P.x, y - 0.5f, P.w, 1};
        qel_draw_rect(ctx, &rule, nullptr, line);
        if (std::fabs(y - marker) >= 16)
            qel_draw_text_aligned(ctx, QEL_FONT_BODY, qel_chart_xs_size(ctx), P.x + P.w + 8, y, 0, muted,
                                  qel_chart_format_value(ctx, p->price_format, tick), 1);
    }
}

static void draw_labels(qel_context* ctx, const candle_canvas& c, const qel_candlestick_payload* p)
{
    const qel_rect& a = c.plot.full;
    qel_color line = qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_BORDER_SUBTLE), 0.6f);
    qel_color muted = qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED);
    for (int32_t k = 0; k < p->label_count; k++) {
        float x = (float)(a.x + (p->label_slots[k] + 0.5 - p->start) * c.cw);
        qel_rect rule = {x - 0.5f, a.y, 1, a.h};
        qel_draw_rect(ctx, &rule, nullptr, line);
        qel_draw_text_aligned(ctx, QEL_FONT_BODY, qel_chart_xs_size(ctx), x, a.y + a.h + 13, 1, muted,
                              p->label_texts[k], 0);
    }
}

static void draw_volume(qel_context* ctx, const candle_canvas& c, const qel_candlestick_payload* p,
                        const qel_candle& k, float x, float w)
{
    float volume = volume_of(k);
    if (!p->volume_on || !(p->largest_volume > 0) || !(volume > 0)) return;
    const qel_rect& v = c.plot.band;
    float h = volume / p->largest_volume * v.h;
    float alpha = qel_dark_mode(ctx) ? 0.42f : 0.32f;
    qel_rect bar = {x - w / 2, v.y + v.h - h, w, h};
    qel_draw_rect(ctx, &bar, nullptr, qel_color_alpha(candle_color(p, k), alpha));
}

// A vertical run from y0 down to y1, at least one pixel tall, centred on x.
static void draw_stem(qel_context* ctx, float x, float y0, float y1, float width, float radius, qel_color color)
{
    const float radii[4] = {radius, radius, radius, radius};
    qel_rect r = {x - width / 2, y0, width, std::fmax(1.0f, y1 - y0)};
    qel_draw_rect(ctx, &r, radius > 0 ? radii : nullptr, color);
}

static void draw_candle(qel_context* ctx, const candle_canvas& c, const qel_candlestick_payload* p,
                        const qel_candle& k, float x, float w)
{
    qel_color color = candle_color(p, k);
    float high = price_y(c, k.high), low = price_y(c, k.low), open = price_y(c, k.open), close = price_y(c, k.close);
    if (w < 3 || p->aggregated) return draw_stem(ctx, x, high, low, 1, 0, color);
    if (p->ohlc_bars) {
        float tick = std::fmax(2.0f, w / 2);
        draw_stem(ctx, x, high, low, 1.5f, 0, color);
        qel_rect left = {x - tick, open - 0.75f, tick, 1.5f}, right = {x, close - 0.75f, tick, 1.5f};
        qel_draw_rect(ctx, &left, nullptr, color);
        qel_draw_rect(ctx, &right, nullptr, color);
        return;
    }
    draw_stem(ctx, x, high, low, 1, 0, color);
    draw_stem(ctx, x, std::fmin(open, close), std::fmax(open, close), w, w >= 6 ? 1.5f : 0, color);
}

static void draw_highlight(qel_context* ctx, const candle_canvas& c, const qel_candlestick_payload* p, float w)
{
    const qel_candle& k = p->hovered_candle;
    if (p->view.hovered < 0 || !usable(k)) return;
    float x = (float)(c.plot.full.x + (p->view.hovered + 0.5 - p->start) * c.cw), top = price_y(c, k.high);
    const float radii[4] = {3, 3, 3, 3};
    qel_rect box = {x - w / 2 - 2, top - 2, w + 4, price_y(c, k.low) - top + 4};
    qel_draw_rect(ctx, &box, radii, qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_TEXT), 0.06f));
}

static void draw_bars(qel_context* ctx, const candle_canvas& c, const qel_candlestick_payload* p)
{
    float w = body_width(c, p);
    draw_highlight(ctx, c, p, w);
    for (int32_t b = 0; b < p->bar_count; b++) {
        const qel_candle& k = p->bars[b];
        if (!usable(k)) continue;
        float x = bar_x(c, p, p->bar_slots[b]);
        draw_volume(ctx, c, p, k, x, w);
        draw_candle(ctx, c, p, k, x, w);
    }
}

// Each overlay as lines over its runs of two or more numbers in a row.
static void draw_overlays(qel_context* ctx, const candle_canvas& c, const qel_candlestick_payload* p)
{
    auto* points = (qel_vec2*)qel_arena_alloc(ctx, sizeof(qel_vec2) * (size_t)std::max(p->bar_count, 1));
    for (int32_t k = 0; k < p->overlay_count; k++) {
        int32_t run = 0;
        for (int32_t b = 0; b <= p->bar_count; b++) {
            float value = b < p->bar_count ? p->overlay_values[k][b] : NAN;
            if (std::isfinite(value)) {
                points[run++] = {bar_x(c, p, p->bar_slots[b]), price_y(c, value)};
                continue;
            }
            if (run >= 2) qel_draw_polyline(ctx, points, run, 1.5f, p->overlay_colors[k], 0);
            run = 0;
        }
    }
}

static void draw_last_price(qel_context* ctx, const candle_canvas& c, const qel_candlestick_payload* p)
{
    if (!last_in_range(c, p)) return;
    const qel_rect& a = c.plot.full;
    qel_color color = p->last_rising ? p->up_color : p->down_color;
    qel_color dash = qel_color_alpha(color, 0.7f);
    float y = price_y(c, p->last_close);
    double end = (double)a.x + a.w;
    qel_mark_run dashes = qel_marks_in_view(ctx, a.x, end, 6, false);
    for (int32_t k = 0; k < dashes.count; k++) {
        double x = dashes.first + 6.0 * k;
        qel_rect piece = {(float)x, y - 0.5f, (float)std::fmin(3.0, end - x), 1};
        qel_draw_rect(ctx, &piece, nullptr, dash);
    }
    price_pill(ctx, c, y, qel_chart_format_value(ctx, p->price_format, p->last_close), color, qel_chart_ink_on(color));
}

static void draw_crosshair(qel_context* ctx, const candle_canvas& c, const qel_candlestick_payload* p)
{
    float fade = p->view.tip_alpha;
    if (p->view.hovered < 0 || !(fade > 0.01f)) return;
    const qel_rect& a = c.plot.full;
    const qel_rect& P = c.plot.plot;
    float x = (float)(a.x + (p->view.hovered + 0.5 - p->start) * c.cw);
    qel_rect vertical = {x - 0.5f, a.y, 1, a.h};
    qel_draw_rect(ctx, &vertical, nullptr, qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG), fade));
    float y = p->pointer_y;
    if (p->keyboard || y < P.y || y > P.y + P.h) return;
    qel_rect across = {a.x, y - 0.5f, a.w, 1};
    qel_draw_rect(ctx, &across, nullptr, qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG), fade));
    float price = c.lower + (P.y + P.h - y) / P.h * (c.upper - c.lower);
    price_pill(ctx, c, y, qel_chart_format_value(ctx, p->price_format, price),
               qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_TEXT), fade),
               qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_BACKGROUND), fade));
}

void qel_candlestick_draw(qel_context* ctx, const qel_node* node, void* user)
{
    auto* p = (const qel_candlestick_payload*)user;
    const qel_rect& r = node->rect;
    if (p->wheel_routed) qel_hit_rect_add_clipped(ctx, p->wheel_id, r);
    candle_canvas c = {};
    c.plot = qel_chart_plot_rect(&r, p->axis_width, p->visible, p->volume_on);
    c.cw = c.plot.full.w / p->visible;
    c.lower = p->y_min;
    c.upper = p->y_max > p->y_min ? p->y_max : p->y_min + 1;
    draw_grid(ctx, c, p);
    draw_labels(ctx, c, p);
    const qel_rect& P = c.plot.plot;
    qel_rect base = {P.x, P.y + P.h - 0.5f, P.w, 1};
    qel_draw_rect(ctx, &base, nullptr, qel_theme_color(ctx, QEL_COLOR_BORDER));
    qel_draw_push_clip(ctx, &c.plot.full);
    draw_bars(ctx, c, p);
    draw_overlays(ctx, c, p);
    qel_draw_pop_clip(ctx);
    draw_last_price(ctx, c, p);
    draw_crosshair(ctx, c, p);
    if (p->focus_ring) qel_draw_focus_ring(ctx, &r, node->radii, 1);
    if (p->view.tip_alpha > 0.01f && p->view.hovered >= 0 && p->view.tip.title) qel_chart_tooltip(ctx, &p->view.tip);
}
