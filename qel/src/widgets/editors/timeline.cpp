// The timeline's call: options and view settled, pointer, wheel and keys applied to the caller's
// tracks against last frame's geometry, the fit animation and playhead follow, then the display
// lists for the draw callback. Drags re-check the caller's counts each frame and hold still while
// the pointer is outside the window, where its position is no place on the timeline.
#include "kit/state_records.h"
#include "qel/timeline.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>

#include "core/core.h"
#include "kit/widget_nodes.h"
#include "widgets/editors/timeline_paint.h"
#include "widgets/editors/timeline_reads.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/color.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/text_input.h"
#include "qel/text_units.h"
#include "qel/theme.h"
#include "qel/tooltip.h"
#include "qel/widget_feel.h"

static const uint32_t STATE_KEY = 0x71aeu, WHEEL_KEY = 0x71ae5c01u, TIP_KEY = 0x7117u;
static const float DEFAULT_ROW = 26, LEAST_ROW = 12, ROWS_GAP = 29, ROWS_LESS = 30;
static const float KEY_REACH = 7, MARKER_REACH = 5, DRAG_SLOP_SQ = 9, WHEEL_PX = 40, WHEEL_ZOOM = 1.12f;
// Marks reserved at most before the rows are listed (a frame with more doubles its list).
static const int32_t MARKS_RESERVED = 1 << 20;
static const float INDENT = 14, CHEVRON_AT = 8, BUTTON = 22, BUTTON_INSET = 4, LIST_SLACK = 8;
static const int32_t DRAWN_DEPTH = 64;

struct qel_timeline_state {
    int32_t drag;
    qel_vec2 press, last;
    uint8_t moved, pending_single;
    uint32_t press_mods;
    int32_t press_track, press_index, press_row;
    float press_key_time;
    float clip_start, clip_end, clip_offset;
    float view[3];
    float playhead;
    int32_t focus_track, focus_key;
    uint8_t initialised;
    float fit[2];
    uint8_t fit_active;
    double fit_from[2], fit_to[2];
    float prev_playhead;
    float ring;
};

// One call's working set.
struct tl_frame {
    qel_context* ctx;
    uint32_t id;
    qel_timeline_track* tracks;
    int32_t count;
    const qel_timeline_options* o;
    qel_timeline_state* s;
    float range_start, range_end, fps, frame, min_span, row_h, height, header_request;
    uint32_t format;
    float* view;
    float* playhead;
    int32_t *focus_track, *focus_key;
    float *work_in, *work_out;
    int32_t* rows;
    uint8_t* colors;
    int32_t* ends;
    int32_t nrows;
    qel_timeline_layout L;
    qel_interaction it;
    qel_timeline_result r;
    bool fold_toggled;
    int32_t node;
};

// --- Settling the options ---

static bool finite(float v)
{
    return std::isfinite(v);
}

static void settle_range(const qel_timeline_options* o, float* start, float* end)
{
    *start = o->range_start;
    *end = o->range_end;
    if (!finite(*start) || !finite(*end)) *start = 0, *end = 10;
    if (*end <= *start) *end = *start + 10;
    // Where start + 10 is start again or the span overflows there is no usable range.
    if (!finite(*end - *start) || !(*start + 10 > *start)) *start = 0, *end = 10;
}

static float settle_fps(float fps)
{
    if (!finite(fps) || fps <= 0) return 30;
    return std::min(fps, 1000.0f);
}

static float settle_row_height(float h)
{
    if (!finite(h) || h <= 0) return DEFAULT_ROW;
    return std::clamp(h, LEAST_ROW, 1e4f);
}

static float span_of(const float* view)
{
    return view[1] - view[0];
}

static float px_per_s(const tl_frame* f)
{
    return f->L.content_w / span_of(f->view);
}

// Time and pixel of this frame's view, taken once for loops over many keys.
struct tl_axis {
    float view_start, pps, content_x;
    float pixel(float t) const { return (t - view_start) * pps + content_x; }
    float time(float x) const { return (x - content_x) / pps + view_start; }
};

static tl_axis axis_of(const tl_frame* f)
{
    return {f->view[0], px_per_s(f), f->L.content_x};
}

static float time_at(const tl_frame* f, float x)
{
    return axis_of(f).time(x);
}

static float pixel_of(const tl_frame* f, float t)
{
    return axis_of(f).pixel(t);
}

static float snapped(const tl_frame* f, float t)
{
    return (float)(std::round((double)t * f->fps) / f->fps);
}

static bool has_children(const tl_frame* f, int32_t track)
{
    return f->ends[track] > track + 1;
}

// --- Public helpers ---

void qel_timeline_compute_layout(qel_timeline_layout* out, qel_rect r, float row_height, float header_width,
                                 uint8_t track_buttons)
{
    float header, w = r.w;
    int32_t mode = QEL_TIMELINE_HEADER_NAMES;
    if (header_width > 0) {
        if (w >= 3 * header_width) header = header_width, mode = header_width <= 40 ? 2 : 1;
        else if (w < 380) header = 40, mode = QEL_TIMELINE_HEADER_NARROW;
        else header = 0.32f * w;
    } else if (w >= 552) {
        header = 184;
    } else if (w >= 380) {
        header = std::min(184.0f, 0.32f * w);
    } else {
        header = 40, mode = QEL_TIMELINE_HEADER_NARROW;
    }
    if (mode == QEL_TIMELINE_HEADER_NAMES && track_buttons && header >= 160) mode = QEL_TIMELINE_HEADER_BUTTONS;
    *out = {};
    out->x = r.x, out->y = r.y, out->w = r.w, out->h = r.h;
    out->header = header;
    out->header_mode = mode;
    out->lane_x = r.x + header;
    out->lane_w = std::max(1.0f, w - header);
    out->content_x = out->lane_x + 10;
    out->content_w = std::max(1.0f, out->lane_w - 20);
    out->rows_top = r.y + ROWS_GAP;
    out->rows_h = std::max(0.0f, r.h - ROWS_LESS);
    out->row_h = row_height;
}

void qel_timeline_clamp_view(float* view, float range_min, float range_max, float min_span)
{
    float range = range_max - range_min, span = view[1] - view[0];
    if (!(span > 0) || !finite(span)) span = range;
    span = std::clamp(span, std::min(min_span, range), range);
    float start = finite(view[0]) ? view[0] : range_min;
    if (start + span > range_max) start = range_max - span;
    if (start < range_min) start = range_min;
    view[0] = start;
    view[1] = span == range ? range_max : start + span;
}

// Frames as a 64-bit count: not finite reads 0, beyond the range the nearest end.
static long long frame_count(double seconds, double fps)
{
    double v = seconds * fps;
    if (!std::isfinite(v)) return std::isnan(v) ? 0 : v > 0 ? LLONG_MAX : -LLONG_MAX;
    if (v >= 9.2e18) return LLONG_MAX;
    if (v <= -9.2e18) return -LLONG_MAX;
    return std::llround(v);
}

const char* qel_timecode_text(qel_context* ctx, double seconds, float fps, bool with_hours)
{
    double rounded = std::floor((double)fps + 0.5);
    long long whole = rounded >= 1 ? (long long)std::min(rounded, 1e9) : 1;
    long long n = std::isfinite(seconds) ? frame_count(seconds, fps) : 0;
    const char* sign = n < 0 ? "-" : "";
    long long a = n < 0 ? -n : n, s = a / whole, fr = a % whole;
    if (with_hours) return qel_arena_sprintf(ctx, "%s%lld:%02lld:%02lld:%02lld", sign, s / 3600, s / 60 % 60, s % 60, fr);
    return qel_arena_sprintf(ctx, "%s%02lld:%02lld:%02lld", sign, s / 60, s % 60, fr);
}

const char* qel_timeline_time_text(qel_context* ctx, uint32_t time_format, float fps, float range_end, double seconds)
{
    if (time_format == QEL_TIMELINE_TIMECODE) return qel_timecode_text(ctx, seconds, fps, range_end >= 3600);
    if (time_format == QEL_TIMELINE_SECONDS) return qel_arena_sprintf(ctx, "%.2f s", std::isfinite(seconds) ? seconds : 0);
    return qel_arena_sprintf(ctx, "Frame %lld", frame_count(seconds, fps));
}

const char* qel_timeline_tick_text(qel_context* ctx, float range_end, float fps, uint32_t time_format, double seconds,
                                   double step)
{
    if (time_format == QEL_TIMELINE_TIMECODE) return qel_timecode_text(ctx, seconds, fps, range_end >= 3600);
    if (time_format == QEL_TIMELINE_SECONDS) {
        double d = std::ceil(-std::log10(step) - 1e-9);
        int decimals = std::isfinite(d) ? (int)std::clamp(d, 0.0, 3.0) : 0;
        if (!std::isfinite(seconds) || std::fabs(seconds) < 1e-9) seconds = 0;
        return qel_arena_sprintf(ctx, "%.*f s", decimals, seconds);
    }
    return qel_arena_sprintf(ctx, "%lld", frame_count(seconds, fps));
}

// --- Focus and selection ---

static void check_focus(tl_frame* f)
{
    if (*f->focus_track < -1 || *f->focus_track >= f->count) *f->focus_track = -1, *f->focus_key = -1;
    int32_t n = *f->focus_track >= 0 ? timeline_keys(&f->tracks[*f->focus_track]) : 0;
    if (*f->focus_key < -1 || *f->focus_key >= n) *f->focus_key = -1;
}

static void set_focus(tl_frame* f, int32_t track, int32_t key)
{
    *f->focus_track = track;
    *f->focus_key = key;
}

static void clear_selection(tl_frame* f)
{
    if (qel_timeline_clear_selection(f->tracks, f->count)) f->r.selection_changed = 1;
}

static void set_flag(tl_frame* f, uint8_t* flag, uint8_t value)
{
    if ((*flag != 0) != (value != 0)) f->r.selection_changed = 1;
    *flag = value;
}

// Ctrl toggles, Shift adds, neither makes it the only selection or, when it already was
// selected, waits for the release to decide. Returns whether the item ends up selected.
static bool press_select(tl_frame* f, uint8_t* flag)
{
    uint32_t mods = f->s->press_mods;
    if (mods & QEL_MOD_CTRL) {
        set_flag(f, flag, !*flag);
        return *flag != 0;
    }
    if (!(mods & QEL_MOD_SHIFT)) {
        if (*flag) {
            f->s->pending_single = 1;
            return true;
        }
        clear_selection(f);
    }
    set_flag(f, flag, 1);
    return true;
}

static void select_all(tl_frame* f)
{
    for (int32_t v = 0; v < f->nrows; v++) {
        qel_timeline_track* t = &f->tracks[f->rows[v]];
        if (!timeline_keys_editable(t)) continue;
        for (int32_t k = 0; k < t->key_count; k++) set_flag(f, &t->key_selected[k], 1);
    }
}

// --- Rows ---

static void build_rows(tl_frame* f)
{
    size_t n = (size_t)std::max(f->count, 1);
    f->rows = (int32_t*)qel_arena_alloc(f->ctx, n * sizeof(int32_t));
    f->ends = (int32_t*)qel_arena_alloc(f->ctx, n * sizeof(int32_t));
    f->colors = (uint8_t*)qel_arena_alloc(f->ctx, n);
    f->nrows = qel_timeline_build_rows(f->tracks, f->count, f->rows, f->colors, f->ends);
}

static int32_t row_at(const tl_frame* f, float y)
{
    float r = std::floor((y - f->L.rows_top + f->view[2]) / f->row_h);
    return r >= 0 && r < (float)f->nrows ? (int32_t)r : r < 0 ? -1 : f->nrows;
}

static float indent_of(int32_t depth)
{
    return INDENT * (float)depth;
}

static float header_right(const tl_frame* f)
{
    return f->L.x + f->L.header;
}

// The header part under x on a track's row.
static uint8_t header_part(const tl_frame* f, int32_t track, float x)
{
    const qel_timeline_track* t = &f->tracks[track];
    if (has_children(f, track)) {
        if (f->L.header_mode == QEL_TIMELINE_HEADER_NARROW) return TL_PART_CHEVRON;
        float cx = f->L.x + CHEVRON_AT + indent_of(timeline_depth(t));
        if (x >= cx - 4 && x <= cx + 18) return TL_PART_CHEVRON;
    }
    if (f->L.header_mode == QEL_TIMELINE_HEADER_BUTTONS) {
        float lock = header_right(f) - BUTTON_INSET - BUTTON;
        if (x >= lock && x < lock + BUTTON) return TL_PART_LOCK;
        if (x >= lock - BUTTON && x < lock) return TL_PART_VISIBILITY;
    }
    return TL_PART_NONE;
}

// --- Presses ---

static void toggle(tl_frame* f, int32_t track, uint8_t* field)
{
    *field = !*field;
    f->r.changed = 1;
    f->r.toggled_track = track;
    f->fold_toggled |= field == &f->tracks[track].collapsed;
}

static void press_header(tl_frame* f, int32_t track, float x)
{
    qel_timeline_track* t = &f->tracks[track];
    uint8_t part = header_part(f, track, x);
    if (part == TL_PART_CHEVRON) return toggle(f, track, &t->collapsed);
    if (part == TL_PART_LOCK) return toggle(f, track, &t->locked);
    if (part == TL_PART_VISIBILITY) return toggle(f, track, &t->hidden);
    if (f->it.double_clicked && has_children(f, track)) return toggle(f, track, &t->collapsed);
    if (!(f->s->press_mods & (QEL_MOD_SHIFT | QEL_MOD_CTRL))) clear_selection(f);
    if (!t->locked && t->key_selected)
        for (int32_t k = 0; k < timeline_keys(t); k++) set_flag(f, &t->key_selected[k], 1);
    set_focus(f, track, -1);
}

static void press_key(tl_frame* f, int32_t track, int32_t key)
{
    qel_timeline_track* t = &f->tracks[track];
    set_focus(f, track, key);
    if (t->locked || !t->key_selected) return;
    if (!press_select(f, &t->key_selected[key])) return;
    f->s->drag = QEL_TIMELINE_DRAG_KEYS;
    f->s->press_key_time = t->keys[key].x;
}

static void press_clip(tl_frame* f, int32_t track, int32_t clip, int32_t part)
{
    qel_timeline_clip* c = &f->tracks[track].clips[clip];
    if (!press_select(f, &c->selected)) return;
    static const int32_t modes[] = {QEL_TIMELINE_MOVE_CLIP, QEL_TIMELINE_TRIM_START, QEL_TIMELINE_TRIM_END};
    f->s->drag = modes[part];
    f->s->clip_start = c->start;
    f->s->clip_end = c->end;
    f->s->clip_offset = c->offset;
}

static void add_key(tl_frame* f, int32_t track, float t)
{
    qel_timeline_track* tr = &f->tracks[track];
    if (!f->o->no_snap) t = snapped(f, t);
    uint8_t existed = 0;
    int32_t k = qel_timeline_add_key(tr, std::clamp(t, f->range_start, f->range_end), &existed);
    if (k < 0) return;
    clear_selection(f);
    if (tr->key_selected) set_flag(f, &tr->key_selected[k], 1);
    set_focus(f, track, k);
    if (existed) return;
    f->r.added_track = track;
    f->r.added_key = k;
    f->r.changed = 1;
}

static void press_lane(tl_frame* f, int32_t track, qel_vec2 p)
{
    qel_timeline_track* t = &f->tracks[track];
    qel_timeline_state* s = f->s;
    float pps = px_per_s(f), time = time_at(f, p.x);
    int32_t key = qel_timeline_key_at(t, time, KEY_REACH / pps);
    if (key >= 0) {
        s->press_index = key;
        return press_key(f, track, key);
    }
    int32_t part = 0, clip = qel_timeline_clip_at(t, &f->L, f->view[0], pps, p.x, &part);
    if (clip >= 0) {
        s->press_index = clip;
        if (!t->locked) return press_clip(f, track, clip, part);
        s->drag = QEL_TIMELINE_BOX;
        return;
    }
    if (f->it.double_clicked && !t->locked) return add_key(f, track, time);
    s->drag = QEL_TIMELINE_BOX;
}

static void press_ruler(tl_frame* f, float x)
{
    if (x < f->L.lane_x) return;
    if (f->work_in && f->work_out) {
        float din = std::fabs(x - pixel_of(f, *f->work_in)), dout = std::fabs(x - pixel_of(f, *f->work_out));
        if (std::min(din, dout) <= MARKER_REACH) {
            f->s->drag = din <= dout ? QEL_TIMELINE_DRAG_IN : QEL_TIMELINE_DRAG_OUT;
            return;
        }
    }
    f->s->drag = QEL_TIMELINE_SCRUB;
    qel_set_cursor(f->ctx, QEL_CURSOR_RESIZE_EW);
}

static void left_press(tl_frame* f)
{
    qel_timeline_state* s = f->s;
    qel_vec2 p = qel_mouse_pos(f->ctx);
    s->drag = QEL_TIMELINE_PRESSED;
    s->press = s->last = p;
    s->press_mods = qel_modifiers(f->ctx);
    s->moved = s->pending_single = 0;
    s->press_track = s->press_index = -1;
    s->press_row = row_at(f, p.y);
    if (p.y < f->L.rows_top - 1) return press_ruler(f, p.x);
    if (s->press_row < 0 || s->press_row >= f->nrows) {
        if (p.x >= f->L.lane_x) s->drag = QEL_TIMELINE_BOX;
        return;
    }
    s->press_track = f->rows[s->press_row];
    if (p.x < f->L.lane_x) return press_header(f, s->press_track, p.x);
    press_lane(f, s->press_track, p);
}

// --- Drags ---

static void drag_keys(tl_frame* f, float travel, bool snap)
{
    qel_timeline_state* s = f->s;
    float target = s->press_key_time + travel;
    if (snap) target = snapped(f, target);
    float now = f->tracks[s->press_track].keys[s->press_index].x;
    if (qel_timeline_move_keys(f->tracks, f->count, target - now, snap, f->fps, f->range_start, f->range_end,
                               s->press_track, &s->press_index, target, *f->focus_track, f->focus_key))
        f->r.changed = f->r.keys_moved = 1;
    qel_set_cursor(f->ctx, QEL_CURSOR_MOVE);
}

static void set_clip(tl_frame* f, qel_timeline_clip* c, float start, float end, float offset)
{
    if (c->start == start && c->end == end && c->offset == offset) return;
    c->start = start, c->end = end, c->offset = offset;
    f->r.changed = 1;
    f->r.clip_track = f->s->press_track;
    f->r.clip_index = f->s->press_index;
}

static void drag_clip(tl_frame* f, float travel, bool snap)
{
    qel_timeline_state* s = f->s;
    qel_timeline_track* t = &f->tracks[s->press_track];
    int32_t i = s->press_index;
    qel_timeline_clip* c = &t->clips[i];
    float lo = f->range_start, hi = f->range_end;
    if (i > 0) lo = std::max(lo, t->clips[i - 1].end);
    if (i + 1 < t->clip_count) hi = std::min(hi, t->clips[i + 1].start);
    auto place = [&](float v) { return snap ? snapped(f, v + travel) : v + travel; };
    if (s->drag == QEL_TIMELINE_MOVE_CLIP) {
        float length = s->clip_end - s->clip_start, start = place(s->clip_start);
        start = start < lo ? lo : std::min(start, std::max(lo, hi - length));
        set_clip(f, c, start, start + length, c->offset);
        qel_set_cursor(f->ctx, QEL_CURSOR_MOVE);
        return;
    }
    // Bounds closer than a frame (or crossed) leave the edge where it was at the press.
    if (s->drag == QEL_TIMELINE_TRIM_START && lo <= s->clip_end - f->frame) {
        float start = std::clamp(place(s->clip_start), lo, s->clip_end - f->frame);
        set_clip(f, c, start, c->end, s->clip_offset + (start - s->clip_start));
    } else if (s->drag == QEL_TIMELINE_TRIM_END && c->start + f->frame <= hi) {
        set_clip(f, c, c->start, std::clamp(place(s->clip_end), c->start + f->frame, hi), c->offset);
    }
    qel_set_cursor(f->ctx, QEL_CURSOR_RESIZE_EW);
}

static void drag_work_range(tl_frame* f, float t)
{
    float *in = f->work_in, *out = f->work_out;
    if (f->s->drag == QEL_TIMELINE_DRAG_IN && f->range_start <= *out - f->frame) {
        float v = std::clamp(t, f->range_start, *out - f->frame);
        f->r.changed |= v != *in;
        *in = v;
    } else if (f->s->drag == QEL_TIMELINE_DRAG_OUT && *in + f->frame <= f->range_end) {
        float v = std::clamp(t, *in + f->frame, f->range_end);
        f->r.changed |= v != *out;
        *out = v;
    }
    qel_set_cursor(f->ctx, QEL_CURSOR_RESIZE_EW);
}

// The pressed track and item still exist in the caller's arrays.
static bool press_target_valid(const tl_frame* f)
{
    const qel_timeline_state* s = f->s;
    int32_t d = s->drag;
    bool keys = d == QEL_TIMELINE_DRAG_KEYS, clips = d >= QEL_TIMELINE_MOVE_CLIP && d <= QEL_TIMELINE_TRIM_END;
    if (!keys && !clips) return true;
    if (s->press_track < 0 || s->press_track >= f->count) return false;
    const qel_timeline_track* t = &f->tracks[s->press_track];
    return s->press_index >= 0 && s->press_index < (keys ? timeline_keys(t) : timeline_clips(t));
}

static void drag_update(tl_frame* f)
{
    qel_timeline_state* s = f->s;
    if (!press_target_valid(f)) {
        s->drag = QEL_TIMELINE_IDLE;
        return;
    }
    if (!qel_mouse_in_window(f->ctx)) return;
    qel_vec2 p = qel_mouse_pos(f->ctx);
    s->last = p;
    float dx = p.x - s->press.x, dy = p.y - s->press.y;
    if (dx * dx + dy * dy > DRAG_SLOP_SQ) s->moved = 1;
    bool snap = !f->o->no_snap && !(qel_modifiers(f->ctx) & QEL_MOD_SHIFT);
    float t = time_at(f, p.x), travel = dx / px_per_s(f);
    switch (s->drag) {
    case QEL_TIMELINE_SCRUB: {
        float v = std::clamp(snap ? snapped(f, t) : t, f->range_start, f->range_end);
        *f->playhead = v;
        f->r.scrubbing = 1;
        qel_set_cursor(f->ctx, QEL_CURSOR_RESIZE_EW);
        break;
    }
    case QEL_TIMELINE_DRAG_IN:
    case QEL_TIMELINE_DRAG_OUT:
        if (f->work_in && f->work_out) drag_work_range(f, snap ? snapped(f, t) : t);
        break;
    case QEL_TIMELINE_DRAG_KEYS:
        if (s->moved) drag_keys(f, travel, snap);
        break;
    case QEL_TIMELINE_MOVE_CLIP:
        if (s->moved) drag_clip(f, travel, snap);
        break;
    case QEL_TIMELINE_TRIM_START:
    case QEL_TIMELINE_TRIM_END:
        drag_clip(f, travel, snap);
        break;
    default:
        break;
    }
}

// The rows and times a moved box covers.
static void box_bounds(const tl_frame* f, int32_t* r0, int32_t* r1, float* t0, float* t1)
{
    int32_t a = row_at(f, f->s->press.y), b = row_at(f, f->s->last.y);
    *r0 = std::clamp(std::min(a, b), 0, f->nrows - 1);
    *r1 = std::clamp(std::max(a, b), 0, f->nrows - 1);
    float ta = time_at(f, f->s->press.x), tb = time_at(f, f->s->last.x);
    *t0 = std::min(ta, tb), *t1 = std::max(ta, tb);
}

static void release_box(tl_frame* f)
{
    qel_timeline_state* s = f->s;
    bool additive = s->press_mods & (QEL_MOD_SHIFT | QEL_MOD_CTRL);
    if (!s->moved) {
        if (additive) return;
        clear_selection(f);
        *f->focus_key = -1;
        if (s->press_row >= 0 && s->press_row < f->nrows) *f->focus_track = f->rows[s->press_row];
        return;
    }
    if (!additive) clear_selection(f);
    if (f->nrows < 1) return;
    int32_t r0, r1;
    float t0, t1;
    box_bounds(f, &r0, &r1, &t0, &t1);
    for (int32_t v = r0; v <= r1; v++) {
        qel_timeline_track* t = &f->tracks[f->rows[v]];
        if (!timeline_keys_editable(t)) continue;
        for (int32_t k = 0; k < t->key_count; k++)
            if (t->keys[k].x >= t0 && t->keys[k].x <= t1) set_flag(f, &t->key_selected[k], 1);
    }
}

static void release(tl_frame* f)
{
    qel_timeline_state* s = f->s;
    if (s->drag == QEL_TIMELINE_BOX) release_box(f);
    bool single = !s->moved && s->pending_single && press_target_valid(f);
    if (single && s->drag == QEL_TIMELINE_DRAG_KEYS) {
        clear_selection(f);
        set_flag(f, &f->tracks[s->press_track].key_selected[s->press_index], 1);
    } else if (single && s->drag >= QEL_TIMELINE_MOVE_CLIP && s->drag <= QEL_TIMELINE_TRIM_END) {
        clear_selection(f);
        set_flag(f, &f->tracks[s->press_track].clips[s->press_index].selected, 1);
    }
    s->drag = QEL_TIMELINE_IDLE;
}

// --- View ---

static void stop_fit(tl_frame* f)
{
    f->s->fit_active = 0;
}

static void set_span_about(tl_frame* f, float span, float at_time, float u)
{
    span = std::clamp(span, f->min_span, f->range_end - f->range_start);
    f->view[0] = at_time - u * span;
    f->view[1] = f->view[0] + span;
    stop_fit(f);
}

static void pan_by_pixels(tl_frame* f, float px)
{
    float dt = px / f->L.content_w * span_of(f->view);
    f->view[0] -= dt;
    f->view[1] -= dt;
    stop_fit(f);
}

static void wheel(tl_frame* f)
{
    qel_context* ctx = f->ctx;
    if (ctx->interaction.scroll_target != (f->id ^ WHEEL_KEY)) return;
    float wx = ctx->input.wheel_x, wy = ctx->input.wheel_y;
    if (wx == 0 && wy == 0) return;
    ctx->input.wheel_x = ctx->input.wheel_y = 0;
    bool shift = qel_modifiers(ctx) & QEL_MOD_SHIFT;
    float pan = wx != 0 ? wx : shift ? wy : 0;
    if (pan != 0) return pan_by_pixels(f, pan * WHEEL_PX);
    qel_vec2 p = qel_mouse_pos(ctx);
    if (p.x >= f->L.lane_x) {
        float u = (p.x - f->L.content_x) / f->L.content_w, t = time_at(f, p.x);
        set_span_about(f, span_of(f->view) / std::pow(WHEEL_ZOOM, wy), t, u);
    } else {
        f->view[2] -= wy * WHEEL_PX;
    }
}

static void middle_pan(tl_frame* f)
{
    qel_timeline_state* s = f->s;
    if (!qel_mouse_down(f->ctx, 2)) {
        s->drag = QEL_TIMELINE_IDLE;
        return;
    }
    qel_set_cursor(f->ctx, QEL_CURSOR_MOVE);
    if (!qel_mouse_in_window(f->ctx)) return;
    qel_vec2 p = qel_mouse_pos(f->ctx);
    pan_by_pixels(f, p.x - s->last.x);
    f->view[2] -= p.y - s->last.y;
    s->last = p;
}

// --- Keys ---

static float frame_step(const tl_frame* f, float t, int32_t dir, int32_t n)
{
    double fr = (double)t * f->fps;
    if (std::fabs(fr - std::round(fr)) >= 0.001) fr = dir > 0 ? std::floor(fr) : std::ceil(fr);
    float v = (float)((std::round(fr) + dir * n) / f->fps);
    return std::clamp(v, f->range_start, f->range_end);
}

static void arrow(tl_frame* f, int32_t dir)
{
    uint32_t mods = qel_modifiers(f->ctx);
    int32_t n = mods & QEL_MOD_SHIFT ? 10 : 1;
    if (!(mods & QEL_MOD_ALT)) {
        *f->playhead = frame_step(f, *f->playhead, dir, n);
        return;
    }
    if (qel_timeline_move_keys(f->tracks, f->count, (float)dir * (float)n * f->frame, 1, f->fps, f->range_start,
                               f->range_end, -1, nullptr, 0, *f->focus_track, f->focus_key))
        f->r.changed = f->r.keys_moved = 1;
}

// The nearest key time below (dir < 0) or above the playhead over the visible tracks.
static void jump_to_key(tl_frame* f, int32_t dir)
{
    float p = *f->playhead, ignore = 0.01f * f->frame;
    bool found = false;
    float best = 0;
    for (int32_t v = 0; v < f->nrows; v++) {
        const qel_timeline_track* t = &f->tracks[f->rows[v]];
        int32_t n = timeline_keys(t);
        if (n == 0) continue;
        float bound = dir < 0 ? p - ignore : p + ignore;
        int32_t i = (int32_t)(std::partition_point(t->keys, t->keys + n,
                                                   [&](const qel_curve_key& k) {
                                                       return dir < 0 ? k.x < bound : !(k.x > bound);
                                                   }) -
                              t->keys);
        int32_t k = dir < 0 ? i - 1 : i;
        if (k < 0 || k >= n || !finite(t->keys[k].x)) continue;
        float x = t->keys[k].x;
        if (!found || (dir < 0 ? x > best : x < best)) best = x, found = true;
    }
    if (found) *f->playhead = std::clamp(best, f->range_start, f->range_end);
}

static void zoom_key(tl_frame* f, float factor)
{
    float p = std::clamp(*f->playhead, f->view[0], f->view[1]), span = span_of(f->view);
    set_span_about(f, span * factor, p, (p - f->view[0]) / span);
}

static void start_fit(tl_frame* f)
{
    qel_timeline_state* s = f->s;
    s->fit_active = 1;
    s->fit[0] = s->fit[1] = 0;
    s->fit_from[0] = f->view[0], s->fit_from[1] = f->view[1];
    s->fit_to[0] = f->range_start, s->fit_to[1] = f->range_end;
}

static void delete_selected(tl_frame* f)
{
    int32_t keys = 0, clips = 0;
    qel_timeline_delete_selected(f->tracks, f->count, *f->focus_track, f->focus_key, &keys, &clips);
    if (keys + clips == 0) return;
    f->r.changed = f->r.selection_changed = 1;
    f->r.keys_deleted = keys;
    f->r.clips_deleted = clips;
}

static void keyboard(tl_frame* f)
{
    qel_context* ctx = f->ctx;
    if (!f->it.focused || qel_text_edit_active(ctx)) return;
    if (qel_key_take(ctx, QEL_KEY_LEFT)) arrow(f, -1);
    if (qel_key_take(ctx, QEL_KEY_RIGHT)) arrow(f, 1);
    if (qel_key_take(ctx, QEL_KEY_UP)) jump_to_key(f, -1);
    if (qel_key_take(ctx, QEL_KEY_DOWN)) jump_to_key(f, 1);
    if (qel_key_take(ctx, QEL_KEY_HOME)) *f->playhead = f->range_start;
    if (qel_key_take(ctx, QEL_KEY_END)) *f->playhead = f->range_end;
    if (qel_key_take(ctx, QEL_KEY_SPACE)) f->r.play_toggled = 1;
    if (qel_key_take(ctx, QEL_KEY_DELETE) || qel_key_take(ctx, QEL_KEY_BACKSPACE)) delete_selected(f);
    if (qel_key_take(ctx, QEL_KEY_ESCAPE)) {
        clear_selection(f);
        *f->focus_key = -1;
    }
    bool ctrl = qel_modifiers(ctx) & QEL_MOD_CTRL;
    if (ctrl && qel_key_take(ctx, QEL_KEY_A)) select_all(f);
    if (qel_key_take(ctx, QEL_KEY_EQUAL)) zoom_key(f, 0.8f);
    if (qel_key_take(ctx, QEL_KEY_MINUS)) zoom_key(f, 1.25f);
    if (!ctrl && qel_key_take(ctx, QEL_KEY_A + ('F' - 'A'))) start_fit(f);
}

static void interact(tl_frame* f)
{
    qel_timeline_state* s = f->s;
    wheel(f);
    if (s->drag == QEL_TIMELINE_PAN) middle_pan(f);
    else if (s->drag == QEL_TIMELINE_IDLE && f->it.hovered && qel_mouse_pressed(f->ctx, 2)) {
        s->drag = QEL_TIMELINE_PAN;
        s->last = qel_mouse_pos(f->ctx);
    }
    if (f->it.hovered && qel_mouse_pressed(f->ctx, 0) && s->drag != QEL_TIMELINE_PAN) left_press(f);
    else if (s->drag != QEL_TIMELINE_IDLE && s->drag != QEL_TIMELINE_PAN) {
        if (qel_mouse_down(f->ctx, 0)) drag_update(f);
        else release(f);
    }
    keyboard(f);
}

// The fit animation's view at u: geometric in the span about the fixed point, so zooming reads as
// one steady motion.
static void fit_step(tl_frame* f)
{
    qel_timeline_state* s = f->s;
    float value = qel_anim_spring(f->ctx, s->fit, 1, 0.32f, 0);
    double u = std::min(value, 1.0f);
    double s0 = s->fit_from[1] - s->fit_from[0], s1 = s->fit_to[1] - s->fit_to[0], start, end;
    if (!(s0 > 0) || !(s1 > 0) || std::fabs(s1 - s0) < s0 * 1e-6) {
        start = s->fit_from[0] + (s->fit_to[0] - s->fit_from[0]) * u;
        end = s->fit_from[1] + (s->fit_to[1] - s->fit_from[1]) * u;
    } else {
        double span = std::exp(std::log(s0) + (std::log(s1) - std::log(s0)) * u);
        double p = (s1 * s->fit_from[0] - s->fit_to[0] * s0) / (s1 - s0);
        start = p - (p - s->fit_from[0]) / s0 * span;
        end = start + span;
    }
    if (u >= 1 && s->fit[1] == 0) {
        start = s->fit_to[0], end = s->fit_to[1];
        s->fit_active = 0;
    }
    f->view[0] = (float)start;
    f->view[1] = (float)end;
}

static void follow_playhead(tl_frame* f)
{
    qel_timeline_state* s = f->s;
    float p = *f->playhead, span = span_of(f->view);
    bool still = s->drag == QEL_TIMELINE_SCRUB || s->drag == QEL_TIMELINE_PAN;
    if (p != s->prev_playhead && !still) {
        if (p > f->view[1]) f->view[0] = p - 0.1f * span, f->view[1] = f->view[0] + span;
        else if (p < f->view[0]) f->view[0] = p - 0.9f * span, f->view[1] = f->view[0] + span;
    }
}

static void clamp_scroll(tl_frame* f)
{
    float most = std::max(0.0f, (float)f->nrows * f->row_h - f->L.rows_h);
    f->view[2] = finite(f->view[2]) ? std::clamp(f->view[2], 0.0f, most) : 0;
}

// --- Display lists ---

// Grows the list to `capacity` marks in the frame arena; false when the arena has no room.
static bool reserve_marks(qel_context* ctx, timeline_mark_list* list, int32_t capacity)
{
    if (capacity <= list->capacity) return true;
    auto* items = (timeline_mark*)qel_arena_alloc(ctx, (size_t)capacity * sizeof(timeline_mark));
    if (!items) return false;
    if (list->count) memcpy(items, list->items, (size_t)list->count * sizeof(timeline_mark));
    list->items = items;
    list->capacity = capacity;
    return true;
}

void qel_timeline_push_mark(qel_context* ctx, timeline_mark_list* list, timeline_mark mark)
{
    if (list->count == list->capacity && !reserve_marks(ctx, list, list->capacity ? list->capacity * 2 : 256)) return;
    list->items[list->count++] = mark;
}

// Which keys show as selected: during a moved box, those inside it on eligible rows (and, with
// Shift or Ctrl, those already selected).
struct tl_box_view {
    bool active, additive;
    int32_t r0, r1;
    float t0, t1;
};

static bool shown_selected(const tl_box_view* b, const qel_timeline_track* t, int32_t vis, int32_t k)
{
    bool flag = t->key_selected && t->key_selected[k];
    if (!b->active) return flag;
    bool inside = vis >= b->r0 && vis <= b->r1 && timeline_keys_editable(t) && t->keys[k].x >= b->t0 && t->keys[k].x <= b->t1;
    return inside || (b->additive && flag);
}

static uint8_t shape_of(uint8_t mode)
{
    return mode == QEL_CURVE_LINEAR ? 1 : mode == QEL_CURVE_STEP ? 2 : 0;
}

static void row_keys(tl_frame* f, timeline_paint* p, const tl_box_view* b, int32_t vis, int32_t hover_track,
                     int32_t hover_key)
{
    int32_t track = f->rows[vis];
    const qel_timeline_track* t = &f->tracks[track];
    int32_t n = timeline_keys(t);
    const tl_axis axis = axis_of(f);
    float slack = LIST_SLACK / axis.pps, hi = f->view[1] + slack;
    float last_px = -FLT_MAX;
    uint8_t hidden = t->hidden ? TL_MARK_HIDDEN : 0, color = f->colors[track];
    int32_t hot_key = track == hover_track ? hover_key : -1, current_key = track == *f->focus_track ? *f->focus_key : -1;
    for (int32_t k = timeline_first_key(t, 0, f->view[0] - slack); k < n && t->keys[k].x <= hi;) {
        const qel_curve_key& key = t->keys[k];
        float px = axis.pixel(key.x);
        bool selected = shown_selected(b, t, vis, k);
        if (px < last_px + 1 && !selected) {
            // Skip to the next pixel column in one search.
            k = std::max(k + 1, timeline_first_key(t, k, axis.time(last_px + 1)));
            continue;
        }
        bool hot = k == hot_key || k == current_key;
        uint8_t flags = (uint8_t)((selected ? TL_MARK_SELECTED : 0) | (hot ? TL_MARK_HOT : 0) | hidden);
        timeline_mark_list* layer = &p->marks[selected ? TL_LAYER_SELECTED : TL_LAYER_PLAIN];
        qel_timeline_push_mark(f->ctx, layer, {key.x, vis, shape_of(key.mode), flags, color});
        last_px = px;
        k++;
    }
}

// Keys of a folded parent's hidden descendants, one small mark per pixel column.
static void summary_marks(tl_frame* f, timeline_paint* p, int32_t vis)
{
    int32_t track = f->rows[vis];
    const tl_axis axis = axis_of(f);
    int32_t columns = (int32_t)std::min(f->L.lane_w + 44, 1e6f);
    auto* mask = (uint8_t*)qel_arena_alloc(f->ctx, (size_t)columns);
    if (!mask) return;
    memset(mask, 0, (size_t)columns);
    for (int32_t d = track + 1; d < f->ends[track]; d++) {
        const qel_timeline_track* t = &f->tracks[d];
        int32_t n = timeline_keys(t);
        for (int32_t k = timeline_first_key(t, 0, f->view[0]); k < n && t->keys[k].x <= f->view[1];) {
            float px = axis.pixel(t->keys[k].x);
            int32_t col = (int32_t)std::floor(px - f->L.lane_x + 20);
            if (col >= 0 && col < columns && !mask[col]) {
                mask[col] = 1;
                qel_timeline_push_mark(f->ctx, &p->marks[TL_LAYER_SUMMARY],
                                       {t->keys[k].x, vis, 0, TL_MARK_SUMMARY, f->colors[track]});
            }
            k = std::max(k + 1, timeline_first_key(t, k, axis.time(std::floor(px) + 1)));
        }
    }
}

static void row_clips(tl_frame* f, timeline_clip_mark* out, int32_t* count, int32_t vis,
                      int32_t hover_clip, int32_t hover_part)
{
    int32_t track = f->rows[vis];
    const qel_timeline_track* t = &f->tracks[track];
    int32_t n = timeline_clips(t);
    float slack = LIST_SLACK / px_per_s(f), lo = f->view[0] - slack, hi = f->view[1] + slack;
    for (int32_t c = timeline_first_clip(t, lo); c < n && t->clips[c].start < hi; c++) {
        const qel_timeline_clip& x = t->clips[c];
        uint8_t flags = (uint8_t)((x.selected ? TL_CLIP_SELECTED : 0) | (t->hidden ? TL_CLIP_HIDDEN : 0));
        if (c == hover_clip) flags |= hover_part == 1 ? TL_CLIP_HOVER_START : hover_part == 2 ? TL_CLIP_HOVER_END : TL_CLIP_HOVER_BODY;
        out[(*count)++] = {x.start, x.end, vis, f->colors[track], flags, x.label};
    }
}

// --- Hover and tooltips ---

struct tl_hover {
    int32_t vis = -1, track = -1, key = -1, clip = -1, clip_part = 0;
    uint8_t header_part = TL_PART_NONE;
    bool header = false, in_marker = false, out_marker = false;
};

static uint32_t tip_id(const tl_frame* f, int32_t kind, int32_t track, int32_t index)
{
    int32_t key[3] = {kind, track, index};
    return qel_hash_bytes(key, sizeof key, f->id ^ TIP_KEY);
}

static const char* value_text(qel_context* ctx, float v)
{
    float a = std::fabs(v);
    int decimals = a >= 100 ? 0 : a >= 10 ? 1 : 2;
    return qel_arena_sprintf(ctx, "%.*f", decimals, a < 0.005f || !finite(v) ? 0.0 : (double)v);
}

static const char* time_text(const tl_frame* f, float t)
{
    return qel_timeline_time_text(f->ctx, f->format, f->fps, f->range_end, t);
}

// The tooltip of a part the widget hit-tests itself, anchored on a box of that part: a floating
// node under the tooltip's id gives the tooltip a rectangle to sit against.
static void tooltip_on(tl_frame* f, uint32_t tip, qel_rect box, const char* text)
{
    qel_node_push(f->ctx, f->node);
    qel_node_floating(f->ctx, tip, box.x - f->L.x, box.y - f->L.y, box.w, box.h);
    qel_node_pop(f->ctx);
    qel_tooltip_for(f->ctx, tip, text);
}

static qel_rect row_box(const tl_frame* f, int32_t vis, float x, float w)
{
    return {x, f->L.rows_top + (float)vis * f->row_h - f->view[2], w, f->row_h};
}

static void key_tooltip(tl_frame* f, const tl_hover* h)
{
    const qel_timeline_track* t = &f->tracks[h->track];
    const qel_curve_key& k = t->keys[h->key];
    const char* name = t->name ? t->name : "";
    tooltip_on(f, tip_id(f, 0, h->track, h->key), row_box(f, h->vis, pixel_of(f, k.x) - 6, 12),
               qel_arena_sprintf(f->ctx, "%.*s\n%s · %s", (int)qel_label_visible_len(name), name, time_text(f, k.x),
                                 value_text(f->ctx, k.y)));
}

static void clip_tooltip(tl_frame* f, const tl_hover* h)
{
    const qel_timeline_clip& c = f->tracks[h->track].clips[h->clip];
    const char* label = c.label ? c.label : "";
    float x0 = std::max(pixel_of(f, c.start), f->L.lane_x), x1 = std::min(pixel_of(f, c.end), f->L.lane_x + f->L.lane_w);
    tooltip_on(f, tip_id(f, 1, h->track, h->clip), row_box(f, h->vis, x0, std::max(1.0f, x1 - x0)),
               qel_arena_sprintf(f->ctx, "%.*s\n%s · %.2f s", (int)qel_label_visible_len(label), label,
                                 time_text(f, c.start), finite(c.end - c.start) ? (double)(c.end - c.start) : 0.0));
}

static void header_tooltip(tl_frame* f, const tl_hover* h)
{
    const qel_timeline_track* t = &f->tracks[h->track];
    const char* text = nullptr;
    if (h->header_part == TL_PART_VISIBILITY) text = t->hidden ? "Show track" : "Hide track";
    else if (h->header_part == TL_PART_LOCK) text = t->locked ? "Unlock track" : "Lock track";
    else if (f->L.header_mode == QEL_TIMELINE_HEADER_NARROW && t->name)
        text = qel_arena_sprintf(f->ctx, "%.*s", (int)qel_label_visible_len(t->name), t->name);
    float lock = header_right(f) - BUTTON_INSET - BUTTON;
    float x = h->header_part == TL_PART_LOCK ? lock : h->header_part == TL_PART_VISIBILITY ? lock - BUTTON : f->L.x;
    float w = h->header_part == TL_PART_NONE ? f->L.header : BUTTON;
    if (text) tooltip_on(f, tip_id(f, 2 + h->header_part, h->track, 0), row_box(f, h->vis, x, w), text);
}

static tl_hover hover(tl_frame* f)
{
    tl_hover h;
    qel_context* ctx = f->ctx;
    int32_t d = f->s->drag;
    bool resting = d == QEL_TIMELINE_IDLE || (d == QEL_TIMELINE_PRESSED && !f->s->moved);
    if (!f->it.hovered || !resting || qel_mouse_down(ctx, 0) || qel_mouse_down(ctx, 2) || !qel_mouse_in_window(ctx))
        return h;
    qel_vec2 p = qel_mouse_pos(ctx);
    if (p.y < f->L.rows_top - 1) {
        if (p.x >= f->L.lane_x && f->work_in && f->work_out) {
            float din = std::fabs(p.x - pixel_of(f, *f->work_in)), dout = std::fabs(p.x - pixel_of(f, *f->work_out));
            h.in_marker = din <= MARKER_REACH && din <= dout;
            h.out_marker = !h.in_marker && dout <= MARKER_REACH;
            if (h.in_marker || h.out_marker) qel_set_cursor(ctx, QEL_CURSOR_RESIZE_EW);
        }
        return h;
    }
    int32_t vis = row_at(f, p.y);
    if (vis < 0 || vis >= f->nrows) return h;
    h.vis = vis;
    h.track = f->rows[vis];
    const qel_timeline_track* t = &f->tracks[h.track];
    if (p.x < f->L.lane_x) {
        h.header = true;
        h.header_part = header_part(f, h.track, p.x);
        if (h.header_part != TL_PART_NONE) qel_set_cursor(ctx, QEL_CURSOR_HAND);
        header_tooltip(f, &h);
        return h;
    }
    float pps = px_per_s(f);
    h.key = qel_timeline_key_at(t, time_at(f, p.x), KEY_REACH / pps);
    if (h.key >= 0) {
        if (timeline_keys_editable(t)) qel_set_cursor(ctx, QEL_CURSOR_HAND);
        f->r.hover_track = h.track;
        f->r.hover_key = h.key;
        key_tooltip(f, &h);
        return h;
    }
    if (t->locked) return h;
    h.clip = qel_timeline_clip_at(t, &f->L, f->view[0], pps, p.x, &h.clip_part);
    if (h.clip < 0) return h;
    qel_set_cursor(ctx, h.clip_part == 0 ? QEL_CURSOR_HAND : QEL_CURSOR_RESIZE_EW);
    clip_tooltip(f, &h);
    return h;
}

// --- Painting ---

static void fill_colors(qel_context* ctx, timeline_paint* p)
{
    p->surface = qel_theme_color(ctx, QEL_COLOR_SURFACE);
    p->subtle = qel_theme_color(ctx, QEL_COLOR_SUBTLE);
    p->border = qel_theme_color(ctx, QEL_COLOR_BORDER);
    p->border_subtle = qel_theme_color(ctx, QEL_COLOR_BORDER_SUBTLE);
    p->border_strong = qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG);
    p->text = qel_theme_color(ctx, QEL_COLOR_TEXT);
    p->secondary = qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY);
    p->muted = qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED);
    p->accent_tint = qel_theme_color(ctx, QEL_COLOR_ACCENT_TINT);
    p->accent = qel_theme_color(ctx, QEL_COLOR_ACCENT);
    p->hover = qel_theme_color(ctx, QEL_COLOR_HOVER);
    bool neutral = qel_theme_get_accent(ctx) == QEL_ACCENT_NEUTRAL;
    p->playhead_color = neutral ? p->text : p->accent;
    for (int32_t i = 0; i < 6; i++) p->chart[i] = qel_theme_color(ctx, QEL_COLOR_CHART1 + i);
    p->dark = qel_theme_get_mode(ctx) == QEL_THEME_DARK;
}

static void paint(tl_frame* f, int32_t node, const tl_hover* h)
{
    qel_context* ctx = f->ctx;
    qel_timeline_state* s = f->s;
    timeline_paint p = {};
    p.row_h = f->row_h;
    p.header_request = f->header_request;
    p.track_buttons = f->o->track_buttons;
    p.view_start = f->view[0], p.view_end = f->view[1];
    p.scroll = f->view[2];
    p.format = f->format;
    p.range_start = f->range_start, p.range_end = f->range_end, p.fps = f->fps;
    p.playhead = std::clamp(*f->playhead, f->range_start, f->range_end);
    p.has_work = f->work_in && f->work_out;
    if (p.has_work) p.work_in = *f->work_in, p.work_out = *f->work_out;
    p.in_hot = h->in_marker || s->drag == QEL_TIMELINE_DRAG_IN;
    p.out_hot = h->out_marker || s->drag == QEL_TIMELINE_DRAG_OUT;
    tl_box_view b = {};
    if (s->drag == QEL_TIMELINE_BOX && s->moved) {
        p.box = 1;
        p.box_x0 = std::min(s->press.x, s->last.x), p.box_x1 = std::max(s->press.x, s->last.x);
        p.box_y0 = std::min(s->press.y, s->last.y), p.box_y1 = std::max(s->press.y, s->last.y);
        b.active = f->nrows > 0;
        b.additive = s->press_mods & (QEL_MOD_SHIFT | QEL_MOD_CTRL);
        if (b.active) box_bounds(f, &b.r0, &b.r1, &b.t0, &b.t1);
    }
    p.no_tracks = f->count == 0;
    p.visible_rows = f->nrows;
    // Rows inside the scrolled window.
    int32_t first = std::max(0, (int32_t)std::floor(f->view[2] / f->row_h));
    int32_t last = std::min(f->nrows, (int32_t)std::ceil((f->view[2] + f->L.rows_h) / f->row_h) + 1);
    int32_t shown = std::max(0, last - first);
    auto* rows = (timeline_row*)qel_arena_alloc(ctx, (size_t)std::max(shown, 1) * sizeof(timeline_row));
    int32_t clip_room = 0;
    for (int32_t v = first; v < last; v++) clip_room += timeline_clips(&f->tracks[f->rows[v]]);
    auto* clips = (timeline_clip_mark*)qel_arena_alloc(ctx, (size_t)std::max(clip_room, 1) * sizeof(timeline_clip_mark));
    int32_t nclips = 0;
    for (int32_t v = first; v < last && rows && clips; v++) {
        int32_t track = f->rows[v];
        const qel_timeline_track* t = &f->tracks[track];
        bool parent = has_children(f, track);
        timeline_row& r = rows[p.row_count++];
        const char* name = t->name ? t->name : "";
        r.visible = v;
        r.name = qel_arena_strdup(ctx, name, qel_label_visible_len(name));
        r.icon = t->icon && *t->icon ? qel_arena_strdup(ctx, t->icon, -1) : nullptr;
        r.depth = std::min(timeline_depth(t), DRAWN_DEPTH);
        r.color = f->colors[track];
        r.flags = (uint8_t)((parent ? TL_ROW_PARENT : 0) | (t->collapsed ? TL_ROW_COLLAPSED : 0) |
                            (t->hidden ? TL_ROW_HIDDEN : 0) | (t->locked ? TL_ROW_LOCKED : 0) |
                            (track == *f->focus_track ? TL_ROW_CURRENT : 0) |
                            (h->header && h->vis == v ? TL_ROW_HOVERED : 0));
        r.part = h->header && h->vis == v ? h->header_part : (uint8_t)TL_PART_NONE;
        row_clips(f, clips, &nclips, v, h->vis == v ? h->clip : -1, h->clip_part);
        if (parent && t->collapsed) summary_marks(f, &p, v);
    }
    // Room for a mark per pixel column of each row at once, rather than doubling up to it.
    float columns = std::max(0.0f, f->L.lane_w + 2 * LIST_SLACK + 2);
    reserve_marks(ctx, &p.marks[TL_LAYER_PLAIN], (int32_t)std::min((float)shown * columns, (float)MARKS_RESERVED));
    for (int32_t v = first; v < last; v++) row_keys(f, &p, &b, v, h->track, h->key);
    p.rows = rows;
    p.clips = clips;
    p.clip_count = nclips;
    p.radius = ctx->theme.current.radius_medium;
    bool ring = f->it.focused && ctx->interaction.focus_visible;
    p.ring = qel_anim_exp(ctx, &s->ring, ring ? 1.0f : 0.0f, 0.14f);
    p.scale = qel_ctx_scale(ctx);
    p.wheel_id = f->id ^ WHEEL_KEY;
    fill_colors(ctx, &p);
    qel_node_draw_with(ctx, node, qel_timeline_draw, &p, sizeof p, false);
}

// --- The call ---

static void settle(tl_frame* f, qel_context* ctx, const qel_timeline_options* o, qel_timeline_track* tracks,
                   int32_t count, float* playhead)
{
    f->ctx = ctx;
    f->o = o;
    f->tracks = tracks && count > 0 ? tracks : nullptr;
    f->count = f->tracks ? count : 0;
    settle_range(o, &f->range_start, &f->range_end);
    f->fps = settle_fps(o->fps);
    f->frame = 1 / f->fps;
    f->min_span = std::min(8 * f->frame, f->range_end - f->range_start);
    f->row_h = settle_row_height(o->row_height);
    f->header_request = finite(o->header_width) ? o->header_width : 0;
    f->format = o->time_format <= QEL_TIMELINE_TIMECODE ? o->time_format : QEL_TIMELINE_FRAMES;
    float auto_height = std::min(360.0f, (float)std::max(3, f->count) * f->row_h + ROWS_LESS);
    f->height = finite(o->height) && o->height > 0 ? std::min(o->height, 1e5f) : auto_height;
    qel_timeline_state* s = f->s;
    if (!s->initialised) {
        s->focus_track = s->focus_key = -1;
        s->view[0] = f->range_start, s->view[1] = f->range_end;
        s->playhead = f->range_start;
        s->initialised = 1;
    }
    f->view = o->view ? o->view : s->view;
    f->playhead = playhead ? playhead : &s->playhead;
    if (!finite(*f->playhead)) *f->playhead = f->range_start;
    f->focus_track = o->focus_track ? o->focus_track : &s->focus_track;
    f->focus_key = o->focus_key ? o->focus_key : &s->focus_key;
    f->work_in = o->range_in && o->range_out ? o->range_in : nullptr;
    f->work_out = f->work_in ? o->range_out : nullptr;
    f->r.added_track = f->r.added_key = f->r.clip_track = f->r.clip_index = -1;
    f->r.toggled_track = f->r.hover_track = f->r.hover_key = -1;
}

qel_timeline_result qel_timeline(qel_context* ctx, const char* label, qel_timeline_track* tracks, int32_t count,
                                 float* playhead, const qel_timeline_options* options)
{
    const qel_timeline_options none = {};
    tl_frame f = {};
    f.id = qel_id(ctx, label ? label : "timeline");
    f.s = qel_state_record_of<qel_timeline_state>(ctx, f.id ^ STATE_KEY, "qel_timeline_state");
    settle(&f, ctx, options ? options : &none, tracks, count, playhead);
    check_focus(&f);
    float start_playhead = *f.playhead, start_view[3] = {f.view[0], f.view[1], f.view[2]};

    build_rows(&f);
    qel_rect last = qel_id_rect(ctx, f.id);
    bool laid_out = last.w > 0 || last.h > 0;
    qel_timeline_compute_layout(&f.L, laid_out ? last : qel_rect{0, 0, 800, 300}, f.row_h, f.header_request,
                                f.o->track_buttons);
    if (!(f.view[1] > f.view[0]) || !finite(f.view[0]) || !finite(f.view[1]) || !finite(span_of(f.view))) {
        f.view[0] = f.range_start, f.view[1] = f.range_end;
        stop_fit(&f);
    }
    if (!finite(f.view[2])) f.view[2] = 0;
    qel_timeline_clamp_view(f.view, f.range_start, f.range_end, f.min_span);

    f.it = qel_interact(ctx, f.id, QEL_INTERACT_FOCUSABLE | QEL_INTERACT_HOLD_OUTSIDE);
    if (laid_out) interact(&f);
    if (f.s->fit_active) fit_step(&f);
    else follow_playhead(&f);
    qel_timeline_clamp_view(f.view, f.range_start, f.range_end, f.min_span);
    if (f.fold_toggled) build_rows(&f);
    clamp_scroll(&f);
    check_focus(&f);
    f.s->prev_playhead = *f.playhead;

    qel_size width = f.o->width.kind == 0 && f.o->width.value == 0 ? qel_size{QEL_SIZE_GROW, 1} : f.o->width;
    int32_t node = qel_node_sized(ctx, f.id, width, {QEL_SIZE_FIXED, f.height});
    f.node = node;
    qel_node* n = qel_node_at(ctx, node);
    n->fill = qel_theme_color(ctx, QEL_COLOR_SURFACE);
    n->border = qel_theme_color(ctx, QEL_COLOR_BORDER);
    n->border_width = 1;
    qel_node_round(n, ctx->theme.current.radius_medium);
    qel_node_mark_interactive(ctx, node, QEL_INTERACT_FOCUSABLE | QEL_INTERACT_HOLD_OUTSIDE);
    tl_hover h = hover(&f);
    paint(&f, node, &h);

    f.r.playhead_changed = *f.playhead != start_playhead;
    f.r.view_changed = f.view[0] != start_view[0] || f.view[1] != start_view[1] || f.view[2] != start_view[2];
    f.r.focus_track = *f.focus_track;
    f.r.focus_key = *f.focus_key;
    qel_set_last_item(ctx, f.id);
    return f.r;
}
