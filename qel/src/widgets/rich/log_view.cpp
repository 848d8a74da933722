// The log viewer: its toolbar, the array of matching sequence numbers kept up to date as lines
// arrive and leave, selection by pointer and keys, following the end, copying, and the rows that
// are built and drawn only where they show.
#include "kit/state_records.h"
#include "qel/log_view.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/array_grow.h"
#include "core/core.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/button.h"
#include "qel/choice_controls.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/frame.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/scroll_container.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/text_input.h"
#include "qel/text_units.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/widget_nodes.h"

static const uint32_t STATE_KEY = 0x106bu, LIST_KEY = 0x11575u, SCROLL_KEY = 0x5c2011u;
static const int FILTER_BYTES = 128, ROW_TEXT_BYTES = 1024;
static const float NARROW_WIDTH = 460, PAD = 6, COPY_FEEDBACK = 1.2f;
static const char* const LEVEL_NAMES[5] = {"trace", "debug", "info", "warn", "error"};
static const char* const LONG_LABELS[5] = {"Trace", "Debug", "Info", "Warn", "Error"};
static const char* const SHORT_LABELS[5] = {"T", "D", "I", "W", "E"};

namespace {

struct log_view_state {
    uint8_t initialised, follow, dragging, built;
    bool enabled[5];
    char filter[FILTER_BYTES];
    const qel_log* cached_log;
    uint32_t cached_mask;
    char cached_filter[FILTER_BYTES];
    uint64_t next_scan;
    uint64_t* matches;
    int32_t match_first, match_count, match_capacity;  // the matches are from match_first on
    uint8_t selection_active, has_cursor;
    uint64_t anchor, cursor;
    float widest;
    float hover_fade;
    double copy_time;
};

struct log_colors {
    qel_color message[5], name[5], tint[5];
    qel_color muted, selection, hover, highlight, bar;
};

// What every row of a frame shares.
struct log_view_record {
    float s, h;
    float time_x, level_x, message_x;
    uint8_t show_timestamps;
    const char* filter;
    int32_t filter_length;
    char folded[256];
    log_colors colors;
};

struct log_row {
    const log_view_record* view;
    const char* text;
    int32_t length;
    uint32_t cut;  // bytes not shown
    uint8_t level, selected, cursor;
    const char* timestamp;
    float hover;
};

}  // namespace

// --- Matching ---

static void fold_table(char folded[256])
{
    for (int c = 0; c < 256; c++) folded[c] = qel_ascii_lower((char)c);
}

// The first ASCII case-insensitive occurrence of the needle at or after from, bytes compared
// through the folding table; -1 when none.
static int32_t find_folded(const char* folded, const char* text, int32_t length, int32_t from, const char* needle,
                           int32_t n)
{
    char first = folded[(uint8_t)needle[0]];
    for (int32_t i = from; i + n <= length; i++) {
        if (folded[(uint8_t)text[i]] != first) continue;
        int32_t k = 1;
        while (k < n && folded[(uint8_t)text[i + k]] == folded[(uint8_t)needle[k]]) k++;
        if (k == n) return i;
    }
    return -1;
}

static uint32_t level_mask(const log_view_state* s)
{
    uint32_t mask = 0;
    for (uint32_t l = 0; l < 5; l++) mask |= s->enabled[l] ? 1u << l : 0;
    return mask;
}

static uint64_t oldest_of(const qel_log* log)
{
    return log ? log->total - log->count : 0;
}

static const char* line_of(const qel_log* log, uint64_t sequence, const qel_log_entry** entry)
{
    const char* text = nullptr;
    *entry = qel_log_line(log, (int32_t)(sequence - oldest_of(log)), &text);
    return text;
}

// The matches held, oldest first.
static uint64_t* live(const log_view_state* s)
{
    return s->matches + s->match_first;
}

// Room for one more match: the dropped front is given back first, else the array grows to 256,
// then double, at most the log's line count and at least one more than it holds.
static void make_room(qel_context* ctx, log_view_state* s, const qel_log* log)
{
    if (s->match_first + s->match_count < s->match_capacity) return;
    if (s->match_first > 0) {
        memmove(s->matches, live(s), (size_t)s->match_count * sizeof(uint64_t));
        s->match_first = 0;
        if (s->match_count < s->match_capacity) return;
    }
    int64_t grown = s->match_capacity ? 2 * (int64_t)s->match_capacity : 256;
    if (grown > log->entry_capacity) grown = log->entry_capacity;
    if (grown < s->match_count + 1) grown = s->match_count + 1;
    s->matches = qel_array_grow(ctx, s->matches, &s->match_capacity, grown, grown);
}

static void scan(qel_context* ctx, log_view_state* s, const qel_log* log, uint32_t mask)
{
    uint64_t total = log ? log->total : 0;
    int32_t n = (int32_t)strlen(s->filter);
    char folded[256];
    fold_table(folded);
    for (uint64_t seq = s->next_scan; seq < total; seq++) {
        const qel_log_entry* e;
        const char* text = line_of(log, seq, &e);
        if (!e || !(mask >> e->level & 1)) continue;
        if (n > 0 && find_folded(folded, text, (int32_t)e->length, 0, s->filter, n) < 0) continue;
        make_room(ctx, s, log);
        live(s)[s->match_count++] = seq;
    }
    s->next_scan = total;
}

// Brings the match array up to date; returns how many matches left its front.
static int32_t upkeep(qel_context* ctx, log_view_state* s, const qel_log* log)
{
    uint32_t mask = level_mask(s);
    uint64_t oldest = oldest_of(log), total = log ? log->total : 0;
    int32_t dropped = 0;
    if (s->built && s->cached_log == log && s->cached_mask == mask && !strcmp(s->cached_filter, s->filter) &&
        s->next_scan <= total) {
        while (dropped < s->match_count && live(s)[dropped] < oldest) dropped++;
        s->match_first += dropped;
        s->match_count -= dropped;
        if (s->next_scan < oldest) s->next_scan = oldest;
    } else {
        s->built = 1;
        s->cached_log = log;
        s->cached_mask = mask;
        memcpy(s->cached_filter, s->filter, sizeof s->filter);
        s->match_first = s->match_count = 0;
        s->widest = 0;
        s->next_scan = oldest;
    }
    scan(ctx, s, log, mask);
    // With no match left there is no first match for the selection to stay above.
    uint64_t later = s->anchor > s->cursor ? s->anchor : s->cursor;
    if (s->selection_active && (s->match_count == 0 || later < live(s)[0])) s->selection_active = 0;
    return dropped;
}

// The position of the first match not below the sequence; the last match when there is none.
static int32_t index_of(const log_view_state* s, uint64_t sequence)
{
    int32_t lo = 0, hi = s->match_count;
    while (lo < hi) {
        int32_t mid = lo + (hi - lo) / 2;
        if (live(s)[mid] < sequence) lo = mid + 1;
        else hi = mid;
    }
    return lo < s->match_count ? lo : s->match_count - 1;
}

// --- Text ---

static void time_of_day(char out[16], double t)
{
    uint64_t ms = 0;
    if (t >= 0 && t <= 1e12) ms = (uint64_t)(t * 1000 + 0.5);
    snprintf(out, 16, "%02u:%02u:%02u.%03u", (unsigned)(ms / 3600000 % 24), (unsigned)(ms / 60000 % 60),
             (unsigned)(ms / 1000 % 60), (unsigned)(ms % 1000));
}

// The selection's range as positions in the match array, or every match without one.
static void copy_range(const log_view_state* s, int32_t* from, int32_t* to)
{
    *from = 0, *to = s->match_count;
    if (!s->selection_active) return;
    uint64_t lo = s->anchor < s->cursor ? s->anchor : s->cursor, hi = s->anchor < s->cursor ? s->cursor : s->anchor;
    *from = index_of(s, lo);
    *to = *from;
    while (*to < s->match_count && live(s)[*to] <= hi) (*to)++;
}

static void copy_lines(qel_context* ctx, log_view_state* s, const qel_log* log, bool timestamps)
{
    s->copy_time = ctx->clock.time;
    if (!ctx->platform.set_clipboard || s->match_count == 0) return;
    int32_t from, to;
    copy_range(s, &from, &to);
    uint64_t size = 1;
    const qel_log_entry* e;
    for (int32_t i = from; i < to; i++)
        if (line_of(log, live(s)[i], &e)) size += (uint64_t)e->length + 20;
    if (size > SIZE_MAX) return;
    char* buffer = (char*)qel_mem_alloc(ctx, (size_t)size);
    size_t used = 0;
    for (int32_t i = from; i < to; i++) {
        const char* text = line_of(log, live(s)[i], &e);
        if (!text) continue;
        char stamp[16];
        time_of_day(stamp, e->time);
        used += (size_t)(timestamps ? snprintf(buffer + used, 20, "%s %-5s ", stamp, LEVEL_NAMES[e->level])
                                    : snprintf(buffer + used, 20, "%-5s ", LEVEL_NAMES[e->level]));
        memcpy(buffer + used, text, e->length);
        used += e->length;
        buffer[used++] = '\n';
    }
    buffer[used ? used - 1 : 0] = 0;
    ctx->platform.set_clipboard(ctx->platform.user, buffer);
    qel_mem_free(ctx, buffer);
}

// --- Colours ---

static log_colors colors_of(qel_context* ctx, qel_color list_fill)
{
    bool dark = qel_dark_mode(ctx);
    bool neutral = qel_theme_get_accent(ctx) == QEL_ACCENT_NEUTRAL;
    qel_color text = qel_theme_color(ctx, QEL_COLOR_TEXT), muted = qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED);
    qel_color warning = qel_theme_color(ctx, QEL_COLOR_WARNING), danger = qel_theme_color(ctx, QEL_COLOR_DANGER);
    qel_color accent = neutral ? text : qel_theme_color(ctx, QEL_COLOR_ACCENT);
    log_colors c = {};
    c.message[0] = muted;
    c.message[1] = qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY);
    c.message[2] = text;
    c.message[3] = qel_color_mix(text, warning, dark ? 0.45f : 0.35f);
    c.message[4] = qel_color_mix(text, danger, dark ? 0.50f : 0.40f);
    c.name[0] = c.name[1] = muted;
    c.name[2] = qel_theme_color(ctx, QEL_COLOR_INFO);
    c.name[3] = warning;
    c.name[4] = danger;
    c.tint[3] = qel_color_alpha(warning, dark ? 0.10f : 0.08f);
    c.tint[4] = qel_color_alpha(danger, dark ? 0.12f : 0.07f);
    c.muted = muted;
    c.selection = neutral ? qel_theme_color(ctx, QEL_COLOR_ACTIVE)
                          : qel_color_mix(list_fill, qel_theme_color(ctx, QEL_COLOR_ACCENT), dark ? 0.18f : 0.11f);
    c.hover = qel_theme_color(ctx, QEL_COLOR_HOVER);
    c.highlight = qel_color_alpha(accent, dark ? 0.32f : 0.20f);
    c.bar = accent;
    return c;
}

// --- Drawing ---

static void draw_row(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* row = (const log_row*)user;
    const log_view_record* v = row->view;
    const log_colors& c = v->colors;
    qel_rect r = node->rect;
    if (row->selected) {
        qel_draw_rect(ctx, &r, nullptr, c.selection);
    } else {
        if (c.tint[row->level] >> 24) qel_draw_rect(ctx, &r, nullptr, c.tint[row->level]);
        if (row->hover > 0) qel_draw_rect(ctx, &r, nullptr, qel_color_alpha(c.hover, row->hover));
    }
    if (row->cursor) {
        qel_rect bar = {r.x, r.y, 2, r.h};
        qel_draw_rect(ctx, &bar, nullptr, c.bar);
    }
    float y = r.y + (v->h - qel_line_height(ctx, QEL_FONT_MONO, v->s)) * 0.5f;
    if (row->timestamp) qel_draw_text(ctx, QEL_FONT_MONO, v->s, r.x + v->time_x, y, c.muted, row->timestamp, -1, 0);
    qel_draw_text(ctx, QEL_FONT_MONO, v->s, r.x + v->level_x, y, c.name[row->level], LEVEL_NAMES[row->level], -1, 0);
    float x = r.x + v->message_x;
    if (v->filter_length > 0) {
        float radii[4] = {3, 3, 3, 3};
        for (int32_t at = find_folded(v->folded, row->text, row->length, 0, v->filter, v->filter_length); at >= 0;
             at = find_folded(v->folded, row->text, row->length, at + v->filter_length, v->filter, v->filter_length)) {
            float before = qel_text_width(ctx, QEL_FONT_MONO, v->s, row->text, at, 0);
            float width = qel_text_width(ctx, QEL_FONT_MONO, v->s, row->text + at, v->filter_length, 0);
            qel_rect mark = {x + before - 1, r.y + 3, width + 2, v->h - 6};
            qel_draw_rect(ctx, &mark, radii, c.highlight);
        }
    }
    qel_draw_text(ctx, QEL_FONT_MONO, v->s, x, y, c.message[row->level], row->text, row->length, 0);
    if (row->cut) {
        char more[48];
        snprintf(more, sizeof more, "  ... %u more bytes", row->cut);
        float w = qel_text_width(ctx, QEL_FONT_MONO, v->s, row->text, row->length, 0);
        qel_draw_text(ctx, QEL_FONT_MONO, v->s, x + w, y, c.muted, more, -1, 0);
    }
}

// --- The frame ---

namespace {

// What one frame of the viewer works with.
struct log_frame {
    qel_context* ctx;
    log_view_state* s;
    qel_log* log;
    uint32_t id, list_id, scroll_id;
    float size, h, view_h;
    bool timestamps;
    bool key_left_last, end_pressed;
};

}  // namespace

static void clear_clicked(log_frame& f)
{
    qel_log_clear(f.log);
    f.s->selection_active = 0;
}

static void toolbar(log_frame& f)
{
    qel_context* ctx = f.ctx;
    log_view_state* s = f.s;
    qel_style row = {};
    row.gap = 8;
    row.align = QEL_ALIGN_CENTER;
    row.width = {QEL_SIZE_GROW, 1};
    qel_row_begin(ctx, &row);

    qel_rect last = qel_id_rect(ctx, f.id);
    bool narrow = last.w > 0 && last.w < NARROW_WIDTH;
    const char* labels[5];
    for (int l = 0; l < 5; l++) {
        labels[l] = narrow ? SHORT_LABELS[l] : LONG_LABELS[l];
        uint32_t held = f.log ? f.log->level_counts[l] : 0;
        if (l >= QEL_LOG_WARN && held > 0) labels[l] = qel_arena_sprintf(ctx, "%s %u", labels[l], held);
    }
    qel_toggle_group(ctx, "levels", labels, 5, s->enabled, nullptr);

    qel_style field = {};
    field.width = {QEL_SIZE_GROW, 1};
    field.min_w = 140;
    qel_row_begin(ctx, &field);
    qel_text_input_opts search = {};
    search.placeholder = "Filter lines";
    if (s->filter[0] && s->built && !strcmp(s->cached_filter, s->filter))
        search.suffix = qel_arena_sprintf(ctx, "%d found", s->match_count);
    qel_search_box(ctx, "search", s->filter, FILTER_BYTES, &search);
    qel_container_end(ctx);

    qel_style actions = {};
    actions.gap = 4;
    actions.align = QEL_ALIGN_CENTER;
    qel_row_begin(ctx, &actions);
    const char* follow_label[1] = {"Follow"};
    const char* follow_icon[1] = {QEL_ICON_ARROW_DOWN};
    qel_toggle_group_opts follow_opts = {0, follow_icon};
    bool follow = s->follow != 0;
    if (qel_toggle_group(ctx, "follow", follow_label, 1, &follow, &follow_opts)) {
        if (follow) ((qel_scroll_state*)qel_state_get(ctx, f.scroll_id, sizeof(qel_scroll_state)))->target_y = 1e9f;
        s->follow = follow;
    }
    double since = ctx->clock.time - s->copy_time;
    bool copied = s->copy_time > 0 && since >= 0 && since < COPY_FEEDBACK;
    if (copied) qel_request_redraw_in(ctx, (float)(COPY_FEEDBACK - since) + 0.01f);
    qel_button_opts copy = {};
    copy.tooltip = "Copy lines";
    copy.disabled = s->match_count == 0;
    if (copied) copy.custom_color = qel_theme_color(ctx, QEL_COLOR_SUCCESS);
    if (qel_icon_button(ctx, copied ? QEL_ICON_CHECK : QEL_ICON_COPY, &copy)) copy_lines(ctx, s, f.log, f.timestamps);
    qel_button_opts clear = {};
    clear.tooltip = "Clear log";
    clear.disabled = !f.log || f.log->count == 0;
    if (qel_icon_button(ctx, QEL_ICON_TRASH_2, &clear)) clear_clicked(f);
    qel_container_end(ctx);
    qel_container_end(ctx);
}

static void move_selection(log_view_state* s, int32_t index, bool shift)
{
    uint64_t old_cursor = s->cursor;
    bool had_cursor = s->has_cursor;
    s->cursor = live(s)[index];
    if (!shift) s->anchor = s->cursor;
    else if (!s->selection_active) s->anchor = had_cursor ? old_cursor : s->cursor;
    s->selection_active = s->has_cursor = 1;
}

static void pointer(log_frame& f, const qel_interaction& it, int32_t* hovered)
{
    qel_context* ctx = f.ctx;
    log_view_state* s = f.s;
    qel_rect list = qel_id_rect(ctx, f.list_id);
    qel_vec2 m = qel_mouse_pos(ctx);
    double r = floor((m.y - list.y - PAD) / f.h);
    bool valid = r >= 0 && r < s->match_count;
    *hovered = it.hovered && valid ? (int32_t)r : -1;
    if (it.hovered && qel_mouse_pressed(ctx, 0)) {
        if (valid) {
            move_selection(s, (int32_t)r, (qel_modifiers(ctx) & QEL_MOD_SHIFT) != 0);
            s->dragging = 1;
        } else {
            s->selection_active = 0;
        }
    } else if (s->dragging && qel_mouse_down(ctx, 0)) {
        if (s->match_count > 0) {
            double clamped = r < 0 ? 0 : r >= s->match_count ? s->match_count - 1 : r;
            s->cursor = live(s)[(int32_t)clamped];
        }
    }
    if (!qel_mouse_down(ctx, 0)) s->dragging = 0;
    bool lit = *hovered >= 0 && !qel_mouse_down(ctx, 0);
    qel_anim_exp(ctx, &s->hover_fade, lit ? 1.0f : 0.0f, 0.1f);
}

static void keyboard(log_frame& f, const qel_interaction& it)
{
    qel_context* ctx = f.ctx;
    log_view_state* s = f.s;
    if (!it.focused || s->match_count == 0) return;
    bool ctrl = (qel_modifiers(ctx) & QEL_MOD_CTRL) != 0, shift = (qel_modifiers(ctx) & QEL_MOD_SHIFT) != 0;
    if (ctrl && qel_key_take(ctx, QEL_KEY_A)) {
        s->anchor = live(s)[0];
        s->cursor = live(s)[s->match_count - 1];
        s->selection_active = s->has_cursor = 1;
    }
    if (ctrl && qel_key_take(ctx, QEL_KEY_A + 2)) copy_lines(ctx, s, f.log, f.timestamps);
    if (s->selection_active && qel_key_take(ctx, QEL_KEY_ESCAPE)) s->selection_active = 0;

    int32_t page = (int32_t)fmaxf(2, floorf(f.view_h / f.h));
    int32_t current = s->has_cursor ? index_of(s, s->cursor) : s->match_count - 1;
    int64_t next = current;
    bool moved = true;
    if (qel_key_take(ctx, QEL_KEY_DOWN)) next = current + 1;
    else if (qel_key_take(ctx, QEL_KEY_UP)) next = current - 1;
    else if (qel_key_take(ctx, QEL_KEY_PAGE_DOWN)) next = current + (page - 1);
    else if (qel_key_take(ctx, QEL_KEY_PAGE_UP)) next = current - (page - 1);
    else if (qel_key_take(ctx, QEL_KEY_HOME)) next = 0;
    else if (qel_key_take(ctx, QEL_KEY_END)) next = s->match_count - 1, f.end_pressed = true;
    else moved = false;
    if (!moved) return;
    int32_t index = (int32_t)(next < 0 ? 0 : next >= s->match_count ? s->match_count - 1 : next);
    move_selection(s, index, shift);
    if (index != s->match_count - 1) {
        s->follow = 0;
        f.key_left_last = true;
    }
    auto* scroll = (qel_scroll_state*)qel_state_get(ctx, f.scroll_id, sizeof(qel_scroll_state));
    float top = (float)index * f.h, bottom = top + f.h + 12 - f.view_h;
    if (scroll->target_y > top) scroll->target_y = top;
    if (scroll->target_y < bottom) scroll->target_y = bottom;
    qel_request_redraw(ctx);
}

static void following(log_frame& f)
{
    qel_context* ctx = f.ctx;
    log_view_state* s = f.s;
    auto* scroll = (qel_scroll_state*)qel_state_get(ctx, f.scroll_id, sizeof(qel_scroll_state));
    float wheel = ctx->interaction.scroll_target == f.scroll_id ? ctx->input.wheel_y : 0;
    float max = fmaxf(scroll->content_h - scroll->view_h, 0);
    bool at_end = scroll->target_y >= max - 1;
    if (!s->follow) {
        if ((wheel < 0 || scroll->dragging || f.end_pressed) && at_end) s->follow = 1;
    } else {
        s->follow = wheel <= 0 && !f.key_left_last && (!scroll->dragging || at_end);
    }
    if (!s->follow) return;
    float pinned = fmaxf((float)s->match_count * f.h + 12 - f.view_h, 0);
    if (scroll->target_y != pinned) {
        scroll->target_y = pinned;
        qel_request_redraw(ctx);
    }
}

static void keep_rows_in_place(log_frame& f, int32_t dropped)
{
    if (dropped == 0 || f.s->follow) return;
    auto* scroll = (qel_scroll_state*)qel_state_get(f.ctx, f.scroll_id, sizeof(qel_scroll_state));
    float by = (float)dropped * f.h;
    scroll->scroll_y = fmaxf(scroll->scroll_y - by, 0);
    scroll->target_y = fmaxf(scroll->target_y - by, 0);
}

static log_view_record* view_record(log_frame& f, qel_color list_fill)
{
    qel_context* ctx = f.ctx;
    auto* v = (log_view_record*)qel_arena_alloc(ctx, sizeof(log_view_record));
    *v = {};
    v->s = f.size;
    v->h = f.h;
    v->time_x = 12;
    v->level_x = f.timestamps ? 12 + qel_text_width(ctx, QEL_FONT_MONO, f.size, "00:00:00.000", -1, 0) + 14 : 12;
    v->message_x = v->level_x + qel_text_width(ctx, QEL_FONT_MONO, f.size, "error", -1, 0) + 14;
    v->show_timestamps = f.timestamps;
    v->filter_length = (int32_t)strlen(f.s->filter);
    v->filter = qel_arena_strdup(ctx, f.s->filter, v->filter_length);
    fold_table(v->folded);
    v->colors = colors_of(ctx, list_fill);
    return v;
}

static void row_node(log_frame& f, const log_view_record* v, int32_t index, int32_t hovered, bool ring)
{
    qel_context* ctx = f.ctx;
    log_view_state* s = f.s;
    uint64_t seq = live(s)[index];
    const qel_log_entry* e;
    const char* text = line_of(f.log, seq, &e);
    log_row row = {};
    row.view = v;
    int32_t shown = (int32_t)e->length;
    if (shown > ROW_TEXT_BYTES) {
        shown = ROW_TEXT_BYTES;
        while (shown > 0 && ((uint8_t)text[shown] & 0xC0) == 0x80) shown--;
    }
    row.text = qel_arena_strdup(ctx, text, shown);
    row.length = shown;
    row.cut = e->length - (uint32_t)shown;
    row.level = e->level;
    uint64_t lo = s->anchor < s->cursor ? s->anchor : s->cursor, hi = s->anchor < s->cursor ? s->cursor : s->anchor;
    row.selected = s->selection_active && seq >= lo && seq <= hi;
    row.cursor = ring && s->has_cursor && seq == s->cursor;
    row.hover = index == hovered ? s->hover_fade : 0;
    if (f.timestamps) {
        char stamp[16];
        time_of_day(stamp, e->time);
        row.timestamp = qel_arena_strdup(ctx, stamp, -1);
    }
    float width = qel_text_width(ctx, QEL_FONT_MONO, f.size, row.text, row.length, 0);
    if (row.cut) width += qel_text_width(ctx, QEL_FONT_MONO, f.size, "  ... 000000 more bytes", -1, 0);
    if (width > s->widest) s->widest = width;
    int32_t node = qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, f.h});
    qel_node_draw_with(ctx, node, draw_row, &row, sizeof row, false);
}

static void list_body(log_frame& f, const qel_interaction& it, int32_t hovered)
{
    qel_context* ctx = f.ctx;
    log_view_state* s = f.s;
    bool dark = qel_dark_mode(ctx);
    qel_color fill = dark ? qel_color_mix(qel_theme_color(ctx, QEL_COLOR_SURFACE), qel_theme_color(ctx, QEL_COLOR_BACKGROUND), 0.4f)
                          : qel_theme_color(ctx, QEL_COLOR_SUBTLE);
    qel_style box = {};
    box.width = {QEL_SIZE_GROW, 1};
    box.height = {QEL_SIZE_GROW, 1};
    box.min_h = 80;
    box.border = qel_theme_color(ctx, QEL_COLOR_BORDER);
    box.border_width = 1;
    box.radius = ctx->theme.current.radius_small;
    box.clip = 1;
    box.fill = fill;
    qel_container_begin(ctx, &box);
    int32_t box_node = qel_node_parent(ctx);
    bool ring = it.focused && it.focus_visible;
    if (it.focused) qel_focus_ring(ctx, box_node, ring ? 1.0f : 0.0f);

    qel_style scroller = {};
    scroller.width = {QEL_SIZE_GROW, 1};
    scroller.height = {QEL_SIZE_GROW, 1};
    qel_scroll_begin(ctx, f.scroll_id, &scroller, true);
    const log_view_record* v = view_record(f, fill);
    float content_h = fmaxf((float)s->match_count * f.h + 12, f.view_h);
    int32_t content = qel_node_sized(ctx, f.list_id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, content_h});
    qel_node_mark_interactive(ctx, content, QEL_INTERACT_FOCUSABLE | QEL_INTERACT_HOLD_OUTSIDE);
    qel_node_push(ctx, content);
    if (s->match_count == 0) {
        qel_node* c = qel_node_at(ctx, content);
        c->align = QEL_ALIGN_CENTER;
        c->justify = QEL_JUSTIFY_CENTER;
        const char* empty = !f.log || f.log->count == 0 ? "No log lines yet" : "No lines match the filter";
        qel_node_text(ctx, empty, -1, QEL_FONT_BODY, qel_text_body_scaled(ctx), qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), false);
    } else {
        const auto* scroll = (const qel_scroll_state*)qel_state_get(ctx, f.scroll_id, sizeof(qel_scroll_state));
        double first_d = floor((scroll->scroll_y - PAD) / f.h) - 2;
        int32_t first = first_d > 0 ? (int32_t)fmin(first_d, s->match_count) : 0;
        double last_d = ceil((scroll->scroll_y + f.view_h) / f.h) + 2;
        int32_t last = last_d < s->match_count ? (int32_t)fmax(last_d, first) : s->match_count;
        qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, (float)first * f.h + PAD});
        for (int32_t i = first; i < last; i++) row_node(f, v, i, hovered, ring);
        qel_node_at(ctx, content)->min_w = v->message_x + s->widest + 12;
    }
    qel_node_pop(ctx);
    qel_scroll_end(ctx);
    qel_container_end(ctx);
}

static log_view_state* state_of(qel_context* ctx, uint32_t id)
{
    uint32_t key = id ^ STATE_KEY;
    auto* s = qel_state_record_of<log_view_state>(ctx, key, "log_view_state");
    if (!s->initialised) {
        s->initialised = s->follow = 1;
        for (bool& on : s->enabled) on = true;
        qel_state_set_destructor(ctx, key, [](qel_context* c, void* blob) {
            qel_mem_free(c, ((log_view_state*)blob)->matches);
        });
    }
    return s;
}

void qel_log_view_ex(qel_context* ctx, const char* label, qel_log* log, const qel_log_view_opts* options)
{
    const qel_log_view_opts none = {};
    const qel_log_view_opts* o = options ? options : &none;
    log_frame f = {};
    f.ctx = ctx;
    f.log = log && log->entries && log->text ? log : nullptr;
    f.id = qel_id(ctx, label);
    f.list_id = f.id ^ LIST_KEY;
    f.scroll_id = f.id ^ SCROLL_KEY;
    f.s = state_of(ctx, f.id);
    f.size = (o->font_size > 0 ? o->font_size : 12) * ctx->theme.current.ui_scale;
    f.h = roundf(f.size * 1.8f);
    f.timestamps = o->show_timestamps != 0;
    const auto* scroll = (const qel_scroll_state*)qel_state_get(ctx, f.scroll_id, sizeof(qel_scroll_state));
    f.view_h = scroll->view_h > 0 ? scroll->view_h : 300;

    qel_style outer = {};
    outer.name = nullptr;
    outer.gap = 8;
    outer.width = o->width.kind == QEL_SIZE_FIT ? qel_size{QEL_SIZE_GROW, 1} : o->width;
    outer.height = o->height < 0 ? qel_size{QEL_SIZE_GROW, 1} : qel_size{QEL_SIZE_FIXED, o->height == 0 ? 320 : o->height};
    qel_column_begin(ctx, &outer);
    qel_node_at(ctx, qel_node_parent(ctx))->id = f.id;
    qel_push_id(ctx, label);

    if (!o->hide_toolbar) toolbar(f);
    int32_t dropped = upkeep(ctx, f.s, f.log);
    keep_rows_in_place(f, dropped);
    qel_interaction it = qel_interact(ctx, f.list_id, QEL_INTERACT_FOCUSABLE | QEL_INTERACT_HOLD_OUTSIDE);
    int32_t hovered = -1;
    pointer(f, it, &hovered);
    keyboard(f, it);
    following(f);
    list_body(f, it, hovered);

    qel_pop_id(ctx);
    qel_container_end(ctx);
    qel_set_last_item(ctx, f.id);
}

void qel_log_view(qel_context* ctx, const char* label, qel_log* log, const qel_log_view_opts* options)
{
    qel_log_view_ex(ctx, label, log, options);
    int32_t box = qel_node_latest_with_id(ctx, qel_id(ctx, label));
    qel_node* n = qel_node_at(ctx, box);
    if (n && n->direction_mode == 0) n->direction_mode = 1;
}
