// The terminal widget: soft-wrapped rows counted from the stored columns, scrolling and following,
// selection by the pointer and its copy, the keys (Ctrl+C, Ctrl+L, history), the input line with
// its echo, and the draw callback that lays the cells out with their colours and attributes.
#include "kit/state_records.h"
#include "qel/terminal.h"

#include <cmath>
#include <cstring>

#include "core/core.h"
#include "qel/arena.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/frame.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/text_input.h"
#include "qel/text_units.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/widget_nodes.h"
#include "terminal_lines.h"
#include "terminal_style.h"

static const uint32_t VIEW_KEY = 0x7e2du, WHEEL_KEY = 0x7e2eu;
static const int32_t INPUT_BYTES = 1024, HISTORY = 32, ENTRY_BYTES = 256;
static const size_t COPY_BYTES = 262144, COPY_LIMIT = 262142;
static const float INSET_X = 10, INSET_Y = 6, DRAG_SLOP = 3;

namespace {

// A place in the scrollback: a line id and a cell counted across the line's wrapped rows.
struct term_point {
    uint64_t line;
    uint32_t column;
};

struct terminal_state {
    double scroll;  // rows from the top
    uint8_t follow, initialised, dragging, has_selection;
    term_point anchor, end;
    char input[INPUT_BYTES];
    char history[HISTORY][ENTRY_BYTES];
    int32_t history_count, browse;
    uint8_t browsing;
    float press_x, press_y;
};

struct term_metrics {
    float s, cw, lh;
    int32_t cols;
    float view_h;
    qel_rect view;  // last frame's; w 0 when unknown
    double total_rows, max_scroll;
};

// What the view's draw callback reads, in the frame arena.
struct term_view {
    const qel_terminal_buffer* buffer;
    double scroll, total_rows;
    int32_t cols;
    float cw, lh, s, baseline, pixel;
    uint8_t selecting, dark;
    term_point lo, hi;
    qel_color text, surface, selection, bar;
    float bar_visibility;
    uint32_t wheel_id;
};

struct terminal_frame {
    qel_context* ctx;
    terminal_state* s;
    qel_terminal_buffer* buffer;  // null unless usable
    uint32_t id, view_id, input_id, wheel_id;
    const char* prompt;
    bool hide_input;
    term_metrics m;
    qel_terminal_result result;
};

}  // namespace

// Most lines fit one row, and they are told apart without a division.
static uint32_t rows_of(uint32_t columns, int32_t cols)
{
    return columns <= (uint32_t)cols ? 1 : (columns + (uint32_t)cols - 1) / (uint32_t)cols;
}

static uint64_t oldest_id(const qel_terminal_buffer* b)
{
    return b->line_total - (uint64_t)b->count;
}

static bool before(term_point a, term_point b)
{
    return a.line < b.line || (a.line == b.line && a.column < b.column);
}

// The selection ordered and clamped to the lines still held and to their columns; false when
// nothing of it is held.
static bool held_selection(const qel_terminal_buffer* b, const terminal_state* s, term_point* lo, term_point* hi)
{
    if (!b || !s->has_selection) return false;
    *lo = before(s->end, s->anchor) ? s->end : s->anchor;
    *hi = before(s->end, s->anchor) ? s->anchor : s->end;
    uint64_t oldest = oldest_id(b), newest = b->line_total - 1;
    if (hi->line < oldest || lo->line > newest) return false;
    if (lo->line < oldest) *lo = {oldest, 0};
    if (hi->line > newest) *hi = {newest, UINT32_MAX};
    uint32_t lo_columns = qel_terminal_line_of(b, (int32_t)(lo->line - oldest)).columns;
    uint32_t hi_columns = qel_terminal_line_of(b, (int32_t)(hi->line - oldest)).columns;
    if (lo->column > lo_columns) lo->column = lo_columns;
    if (hi->column > hi_columns) hi->column = hi_columns;
    return true;
}

// --- Metrics and scrolling ---

static term_metrics metrics_of(terminal_frame& f, float font_size, float option_height)
{
    qel_context* ctx = f.ctx;
    term_metrics m = {};
    m.s = font_size * ctx->theme.current.ui_scale;
    m.cw = qel_text_width(ctx, QEL_FONT_MONO, m.s, "0", 1, 0);
    if (!(m.cw > 0)) m.cw = m.s * 0.6f;
    m.lh = ceilf(m.s * 1.45f);
    m.view = qel_id_rect(ctx, f.view_id);
    float text_w = m.view.w > 0 ? m.view.w - 20 : 580;
    m.view_h = m.view.w > 0 ? m.view.h : option_height > 0 ? option_height - 40 : 280;
    float cols = truncf(text_w / m.cw);
    m.cols = cols > 8 ? (int32_t)fminf(cols, 1e6f) : 8;
    if (const qel_terminal_buffer* b = f.buffer)
        for (int32_t i = 0, k = b->head; i < b->count; i++, k = qel_terminal_ring_next(b, k))
            m.total_rows += rows_of(b->lines[k].columns, m.cols);
    m.max_scroll = fmax(m.total_rows - (m.view_h - 12) / m.lh, 0.0);
    return m;
}

static void scrolling(terminal_frame& f)
{
    qel_context* ctx = f.ctx;
    terminal_state* s = f.s;
    float wheel = ctx->input.wheel_y;
    if (ctx->interaction.scroll_target == f.wheel_id && wheel != 0) {
        s->scroll -= wheel * 3;
        s->follow = s->scroll >= f.m.max_scroll - 0.5;
        ctx->input.wheel_y = 0;
    }
    s->scroll = s->follow ? f.m.max_scroll : fmin(fmax(s->scroll, 0.0), f.m.max_scroll);
    if (s->scroll >= f.m.max_scroll - 0.01) s->follow = 1;
}

// --- Pointer ---

static term_point point_at(const terminal_frame& f, qel_vec2 p)
{
    const qel_terminal_buffer* b = f.buffer;
    const term_metrics& m = f.m;
    double row = fmax((p.y - m.view.y - INSET_Y) / m.lh + f.s->scroll, 0.0);
    double start = 0;
    int32_t i = 0;
    for (int32_t k = b->head; i + 1 < b->count; i++, k = qel_terminal_ring_next(b, k)) {
        double rows = rows_of(b->lines[k].columns, m.cols);
        if (row < start + rows) break;
        start += rows;
    }
    const qel_terminal_line& line = qel_terminal_line_of(b, i);
    double within = floor(row - start);
    double column = fmin(fmax(floor((p.x - m.view.x - INSET_X) / m.cw + 0.5), 0.0), (double)m.cols);
    double cell = fmin(column + (double)m.cols * within, (double)line.columns);
    return {oldest_id(b) + (uint64_t)i, (uint32_t)cell};
}

static void focus_after_drag(terminal_frame& f)
{
    qel_set_focus(f.ctx, f.hide_input ? f.view_id : f.input_id, false);
}

static void pointer(terminal_frame& f, const qel_interaction& it)
{
    qel_context* ctx = f.ctx;
    terminal_state* s = f.s;
    if (it.hovered) qel_set_cursor(ctx, QEL_CURSOR_IBEAM);
    if (!f.buffer || !(f.m.view.w > 0)) return;
    qel_vec2 p = qel_mouse_pos(ctx);
    if (it.hovered && qel_mouse_pressed(ctx, 0)) {
        s->anchor = s->end = point_at(f, p);
        s->dragging = 1;
        s->has_selection = 0;
        s->press_x = p.x, s->press_y = p.y;
        return;
    }
    if (!s->dragging) return;
    if (!qel_mouse_down(ctx, 0)) {
        s->dragging = 0;
        focus_after_drag(f);
        return;
    }
    s->end = point_at(f, p);
    if (fabsf(p.x - s->press_x) + fabsf(p.y - s->press_y) > DRAG_SLOP) s->has_selection = 1;
    if (p.y < f.m.view.y) {
        s->scroll = fmax(s->scroll - 0.5, 0.0);
        s->follow = 0;
        qel_request_redraw(ctx);
    } else if (p.y > f.m.view.y + f.m.view.h) {
        s->scroll = fmin(s->scroll + 0.5, f.m.max_scroll);
        qel_request_redraw(ctx);
    }
}

// --- Copy ---

static void copy_selection(terminal_frame& f)
{
    qel_context* ctx = f.ctx;
    term_point lo, hi;
    if (!ctx->platform.set_clipboard || !held_selection(f.buffer, f.s, &lo, &hi)) return;
    const qel_terminal_buffer* b = f.buffer;
    char* out = (char*)qel_mem_alloc(ctx, COPY_BYTES);
    size_t used = 0;
    bool full = false;
    for (uint64_t id = lo.line; id <= hi.line && !full; id++) {
        const qel_terminal_line& line = qel_terminal_line_of(b, (int32_t)(id - oldest_id(b)));
        uint32_t from = id == lo.line ? lo.column : 0, to = id == hi.line ? hi.column : UINT32_MAX;
        if (id != lo.line) {
            if (used + 1 > COPY_LIMIT) break;
            out[used++] = '\n';
        }
        const char* p = b->text + line.start;
        const char* end = p + line.length;
        for (uint32_t column = 0; p < end && column < to;) {
            bool sequence;
            const char* next = qel_terminal_next(p, end, &sequence);
            if (!sequence && qel_terminal_cell_start((uint8_t)*p)) {
                size_t n = (size_t)(next - p);
                if (column >= from) {
                    if (used + n > COPY_LIMIT) {
                        full = true;
                        break;
                    }
                    memcpy(out + used, p, n);
                    used += n;
                }
                column++;
            }
            p = next;
        }
    }
    out[used] = 0;
    ctx->platform.set_clipboard(ctx->platform.user, out);
    qel_mem_free(ctx, out);
}

// --- Keys ---

static qel_text_input_state* input_state(terminal_frame& f)
{
    return qel_state_record_of<qel_text_input_state>(f.ctx, f.input_id, "qel_text_input_state");
}

static void set_input(terminal_frame& f, const char* text)
{
    qel_utf8_copy(f.s->input, INPUT_BYTES, text);
    qel_text_input_state* ts = input_state(f);
    ts->caret = ts->anchor = (int32_t)strlen(f.s->input);
}

static void browse_history(terminal_frame& f)
{
    qel_context* ctx = f.ctx;
    terminal_state* s = f.s;
    int step = qel_key_pressed(ctx, QEL_KEY_UP) ? -1 : qel_key_pressed(ctx, QEL_KEY_DOWN) ? 1 : 0;
    if (step == 0) return;
    qel_key_take(ctx, step < 0 ? QEL_KEY_UP : QEL_KEY_DOWN);
    if (!s->browsing) s->browse = s->history_count, s->browsing = 1;
    s->browse += step;
    s->browse = s->browse < 0 ? 0 : s->browse > s->history_count ? s->history_count : s->browse;
    set_input(f, s->browse < s->history_count ? s->history[s->browse] : "");
}

static void keys(terminal_frame& f)
{
    qel_context* ctx = f.ctx;
    terminal_state* s = f.s;
    uint32_t focused = qel_focused_id(ctx);
    bool on_input = focused == f.input_id, on_view = focused == f.view_id;
    if (!on_input && !on_view) return;
    bool ctrl = (qel_modifiers(ctx) & QEL_MOD_CTRL) != 0;
    if (ctrl && qel_key_pressed(ctx, QEL_KEY_A + 2)) {
        const qel_text_input_state* ts = input_state(f);
        if (on_view || ts->anchor == ts->caret) {
            qel_key_take(ctx, QEL_KEY_A + 2);
            if (s->has_selection) {
                copy_selection(f);
                s->has_selection = 0;
            } else {
                if (f.buffer) qel_terminal_write(f.buffer, "^C\n", 3);
                set_input(f, "");
                f.result.interrupted = 1;
            }
        }
    }
    if (ctrl && f.buffer && qel_key_take(ctx, QEL_KEY_A + 11)) {
        qel_terminal_clear(f.buffer);
        s->scroll = 0;
        s->follow = 1;
        s->has_selection = 0;
    }
    if (on_input && s->history_count > 0) browse_history(f);
}

// --- Input line ---

static void remember(terminal_state* s)
{
    int32_t n = (int32_t)strlen(s->input);
    if (n > ENTRY_BYTES - 1) {
        n = ENTRY_BYTES - 1;
        while (n > 0 && ((uint8_t)s->input[n] & 0xC0) == 0x80) n--;
    }
    // A repeat is the newest entry again as it would be kept, cut or not.
    const char* newest = s->history_count > 0 ? s->history[s->history_count - 1] : nullptr;
    if (n == 0 || (newest && !strncmp(newest, s->input, (size_t)n) && newest[n] == 0)) return;
    if (s->history_count == HISTORY) {
        memmove(s->history[0], s->history[1], sizeof s->history[0] * (HISTORY - 1));
        s->history_count--;
    }
    memcpy(s->history[s->history_count], s->input, (size_t)n);
    s->history[s->history_count++][n] = 0;
}

static void submit(terminal_frame& f)
{
    terminal_state* s = f.s;
    if (f.buffer) {
        qel_terminal_write(f.buffer, "\x1b[2m", -1);
        qel_terminal_write(f.buffer, f.prompt, -1);
        qel_terminal_write(f.buffer, "\x1b[0m", -1);
        qel_terminal_write(f.buffer, s->input, -1);
        qel_terminal_write(f.buffer, "\n", 1);
    }
    remember(s);
    f.result.submitted = qel_arena_strdup(f.ctx, s->input, -1);
    s->input[0] = 0;
    s->browsing = 0;
    s->follow = 1;
    qel_text_input_state* ts = input_state(f);
    ts->caret = ts->anchor = 0;
    ts->scroll_x = 0;
}

static void input_row(terminal_frame& f)
{
    qel_context* ctx = f.ctx;
    int32_t divider = qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, 1});
    qel_node_at(ctx, divider)->fill = qel_theme_color(ctx, QEL_COLOR_BORDER_SUBTLE);
    qel_style row = {};
    row.width = {QEL_SIZE_GROW, 1};
    row.height = {QEL_SIZE_FIXED, 34};
    row.align = QEL_ALIGN_CENTER;
    row.padding_left = row.padding_right = 10;
    qel_row_begin(ctx, &row);
    bool neutral = qel_theme_get_accent(ctx) == QEL_ACCENT_NEUTRAL;
    qel_color prompt = qel_theme_color(ctx, neutral ? QEL_COLOR_TEXT_SECONDARY : QEL_COLOR_ACCENT);
    qel_node_text(ctx, f.prompt, -1, QEL_FONT_MONO, f.m.s, prompt, false);
    qel_text_font_override(ctx, QEL_FONT_MONO, f.m.s);
    qel_text_input_opts field = {};
    uint32_t result = qel_input_text_ex(ctx, f.input_id, f.s->input, INPUT_BYTES, &field, false, true, nullptr);
    if (result & QEL_INPUT_CHANGED) f.s->browsing = 0;
    if (result & QEL_INPUT_SUBMITTED) submit(f);
    qel_container_end(ctx);
}

// --- Drawing ---

static float snap(float v, float pixel)
{
    return roundf(v * pixel) / pixel;
}

static void snapped_rect(qel_context* ctx, const term_view* v, float x0, float y0, float x1, float y1, qel_color c)
{
    qel_rect r = {snap(x0, v->pixel), snap(y0, v->pixel), 0, 0};
    r.w = snap(x1, v->pixel) - r.x;
    r.h = snap(y1, v->pixel) - r.y;
    qel_draw_rect(ctx, &r, nullptr, c);
}

// Block elements U+2580..U+2593 as rectangles of the cell; false for any other code point.
static bool draw_block(qel_context* ctx, const term_view* v, uint32_t cp, float x, float y, qel_color color)
{
    if (cp < 0x2580 || cp > 0x2593) return false;
    float w = v->cw, h = v->lh;
    int32_t k = (int32_t)(cp - 0x2580);
    if (k == 0) snapped_rect(ctx, v, x, y, x + w, y + h * 0.5f, color);
    else if (k <= 8) snapped_rect(ctx, v, x, y + h - h * (float)k / 8, x + w, y + h, color);
    else if (k <= 15) snapped_rect(ctx, v, x, y, x + w * (float)(16 - k) / 8, y + h, color);
    else if (k == 16) snapped_rect(ctx, v, x + w * 0.5f, y, x + w, y + h, color);
    else snapped_rect(ctx, v, x, y, x + w, y + h, qel_color_alpha(color, 0.25f * (float)(k - 16)));
    return true;
}

static bool right_to_left(uint32_t cp)
{
    return (cp >= 0x0580 && cp <= 0x07FF) || (cp >= 0xFB00 && cp <= 0xFEFF);
}

// Characters from p to end in one row and one set of attributes, the first in cell column.
static void draw_run(qel_context* ctx, const term_view* v, const qel_terminal_attrs& a, const char* p,
                     const char* end, uint32_t column, float x, float top)
{
    qel_color fg = a.has_fg ? a.fg : v->text, fill = a.has_bg ? a.bg : 0;
    bool filled = a.has_bg;
    if (a.inverse) {
        fill = fg;
        filled = true;
        fg = a.has_bg ? a.bg : v->surface;
    }
    if (a.dim) fg = qel_color_alpha(fg, 0.6f);
    float y = top + (float)(column / (uint32_t)v->cols) * v->lh;
    float x0 = x + INSET_X + (float)(column % (uint32_t)v->cols) * v->cw;
    uint32_t cells = 0;
    bool rtl = false;
    const char* first_visible = nullptr;
    uint32_t first_visible_cell = 0;
    for (const char* q = p; q < end;) {
        uint32_t cp;
        int32_t n = qel_utf8_decode((const uint8_t*)q, (int32_t)(end - q), &cp);
        if (qel_terminal_cell_start((uint8_t)*q)) {
            if (!first_visible && cp != ' ') first_visible = q, first_visible_cell = cells;
            rtl = rtl || right_to_left(cp);
            cells++;
        }
        q += n;
    }
    if (filled) {
        qel_rect r = {x0, y, (float)cells * v->cw, v->lh};
        qel_draw_rect(ctx, &r, nullptr, fill);
    }
    float text_y = y + v->baseline;
    if (rtl && first_visible) {
        qel_draw_text(ctx, QEL_FONT_MONO, v->s, x0 + (float)first_visible_cell * v->cw, text_y, fg, first_visible,
                      (int32_t)(end - first_visible), 0);
    } else {
        uint32_t cell = 0;
        for (const char* q = p; q < end;) {
            bool sequence;
            const char* next = qel_terminal_next(q, end, &sequence);
            if (qel_terminal_cell_start((uint8_t)*q)) {
                uint32_t cp;
                qel_utf8_decode((const uint8_t*)q, (int32_t)(next - q), &cp);
                float cx = x0 + (float)cell * v->cw;
                if (cp != ' ' && !draw_block(ctx, v, cp, cx, y, fg)) {
                    qel_draw_text(ctx, QEL_FONT_MONO, v->s, cx, text_y, fg, q, (int32_t)(next - q), 0);
                    if (a.bold) qel_draw_text(ctx, QEL_FONT_MONO, v->s, cx + 0.45f, text_y, fg, q, (int32_t)(next - q), 0);
                }
                cell++;
            }
            q = next;
        }
    }
    if (a.underline) {
        qel_rect u = {x0, y + v->lh - 3, (float)cells * v->cw, 1};
        qel_draw_rect(ctx, &u, nullptr, fg);
    }
}

static void draw_selection(qel_context* ctx, const term_view* v, uint64_t id, uint32_t columns, float x, float top)
{
    if (!v->selecting || id < v->lo.line || id > v->hi.line) return;
    uint32_t from = id == v->lo.line ? v->lo.column : 0, to = id == v->hi.line ? v->hi.column : columns + 1;
    uint32_t cols = (uint32_t)v->cols, rows = rows_of(columns, v->cols);
    if (to > rows * cols) to = rows * cols;  // the cell past a full last row is not the next line's
    for (uint32_t row = from / cols; row * cols < to; row++) {
        uint32_t a = from > row * cols ? from : row * cols, b = to < (row + 1) * cols ? to : (row + 1) * cols;
        if (b <= a) continue;
        qel_rect r = {x + INSET_X + (float)(a - row * cols) * v->cw, top + (float)row * v->lh, (float)(b - a) * v->cw, v->lh};
        qel_draw_rect(ctx, &r, nullptr, v->selection);
    }
}

static void draw_line(qel_context* ctx, const term_view* v, int32_t index, float x, float top)
{
    const qel_terminal_buffer* b = v->buffer;
    const qel_terminal_line& line = qel_terminal_line_of(b, index);
    draw_selection(ctx, v, oldest_id(b) + (uint64_t)index, line.columns, x, top);
    qel_terminal_attrs attrs = {};
    const char* p = b->text + line.start;
    const char* end = p + line.length;
    uint32_t column = 0, cols = (uint32_t)v->cols;
    while (p < end) {
        bool sequence;
        const char* next = qel_terminal_next(p, end, &sequence);
        if (sequence) {
            qel_terminal_apply_sgr(&attrs, p, (int32_t)(next - p), v->dark);
            p = next;
            continue;
        }
        const char* run = p;
        uint32_t first = column;
        while (p < end && *p != 27) {
            bool cell = qel_terminal_cell_start((uint8_t)*p);
            if (cell && column > first && column % cols == 0) break;
            column += cell;
            p = qel_terminal_next(p, end, &sequence);
        }
        draw_run(ctx, v, attrs, run, p, first, x, top);
    }
}

static void draw_scroll_bar(qel_context* ctx, const term_view* v, qel_rect r)
{
    double content = v->total_rows * v->lh;
    if (v->bar_visibility <= 0.01f || content <= r.h) return;
    float thumb = fmaxf(24, (float)(r.h * r.h / content));
    double span = v->total_rows - (r.h - 12) / v->lh;
    float t = span > 0 ? (float)fmin(fmax(v->scroll / span, 0.0), 1.0) : 1;
    qel_rect bar = {r.x + r.w - 6, r.y + t * (r.h - thumb), 3, thumb};
    float radii[4] = {1.5f, 1.5f, 1.5f, 1.5f};
    qel_draw_rect(ctx, &bar, radii, qel_color_alpha(v->bar, v->bar_visibility));
}

// The first line whose rows reach below the top row, and the rows before it; walked from the
// nearer end, so that a view following the output costs only what it shows.
static int32_t first_visible(const term_view* v, double top_row, double* start)
{
    const qel_terminal_buffer* b = v->buffer;
    if (top_row * 2 < v->total_rows) {
        *start = 0;
        int32_t i = 0;
        for (int32_t k = b->head; i < b->count; i++, k = qel_terminal_ring_next(b, k)) {
            double rows = rows_of(b->lines[k].columns, v->cols);
            if (*start + rows > top_row) break;
            *start += rows;
        }
        return i;
    }
    *start = v->total_rows;
    int32_t i = b->count - 1;
    for (; i > 0; i--) {
        *start -= rows_of(qel_terminal_line_of(b, i).columns, v->cols);
        if (*start <= top_row) return i;
    }
    *start = 0;
    return 0;
}

static void draw_view(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* v = (const term_view*)user;
    qel_rect r = node->rect;
    qel_hit_rect_add_clipped(ctx, v->wheel_id, r);
    const qel_terminal_buffer* b = v->buffer;
    if (b) {
        double top_row = floor(v->scroll), part = v->scroll - top_row;
        float clip_top = r.y + 3;
        if (part > 0) clip_top = fmaxf(clip_top, r.y + INSET_Y + (float)((1 - part) * v->lh));
        qel_rect clip = {r.x, clip_top, r.w, fmaxf(r.y + r.h - 3 - clip_top, 0)};
        qel_draw_push_clip(ctx, &clip);
        double start;
        int32_t i = first_visible(v, top_row, &start);
        for (; i < b->count; i++) {
            float line_top = r.y + INSET_Y + (float)((start - v->scroll) * v->lh);
            if (line_top >= r.y + r.h) break;
            draw_line(ctx, v, i, r.x, line_top);
            start += rows_of(qel_terminal_line_of(b, i).columns, v->cols);
        }
        qel_draw_pop_clip(ctx);
    }
    draw_scroll_bar(ctx, v, r);
}

// --- Layout ---

static void view_node(terminal_frame& f, bool hovered)
{
    qel_context* ctx = f.ctx;
    bool dark = qel_dark_mode(ctx);
    term_view v = {};
    v.buffer = f.buffer;
    v.scroll = f.s->scroll;
    v.total_rows = f.m.total_rows;
    v.cols = f.m.cols;
    v.cw = f.m.cw;
    v.lh = f.m.lh;
    v.s = f.m.s;
    v.baseline = (f.m.lh - qel_line_height(ctx, QEL_FONT_MONO, f.m.s)) * 0.5f;
    v.pixel = ctx->clock.scale > 0 ? ctx->clock.scale : 1;
    v.dark = dark;
    v.selecting = held_selection(f.buffer, f.s, &v.lo, &v.hi);
    v.text = qel_theme_color(ctx, QEL_COLOR_TEXT);
    v.surface = qel_theme_color(ctx, QEL_COLOR_SURFACE);
    bool neutral = qel_theme_get_accent(ctx) == QEL_ACCENT_NEUTRAL;
    v.selection = qel_color_alpha(neutral ? v.text : qel_theme_color(ctx, QEL_COLOR_ACCENT), dark ? 0.30f : 0.18f);
    v.bar = qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG);
    v.bar_visibility = hovered || !f.s->follow ? 1.0f : 0.0f;
    v.wheel_id = f.wheel_id;
    int32_t view = qel_node_sized(ctx, f.view_id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_GROW, 1});
    qel_node_mark_interactive(ctx, view, QEL_INTERACT_FOCUSABLE | QEL_INTERACT_HOLD_OUTSIDE);
    qel_node_draw_with(ctx, view, draw_view, &v, sizeof v, false);
}

static terminal_state* state_of(qel_context* ctx, uint32_t id)
{
    auto* s = qel_state_record_of<terminal_state>(ctx, id, "terminal_state");
    if (!s->initialised) s->initialised = s->follow = 1;
    return s;
}

qel_terminal_result qel_terminal(qel_context* ctx, const char* label, qel_terminal_buffer* buffer,
                                 const qel_terminal_opts* options)
{
    const qel_terminal_opts none = {};
    const qel_terminal_opts* o = options ? options : &none;
    terminal_frame f = {};
    f.ctx = ctx;
    f.buffer = buffer && buffer->line_capacity > 0 ? buffer : nullptr;
    f.id = qel_id(ctx, label ? label : "terminal");
    f.view_id = f.id ^ VIEW_KEY;
    f.input_id = qel_hash_str("#term-input", f.id);
    f.wheel_id = f.id ^ WHEEL_KEY;
    f.prompt = o->prompt ? o->prompt : "$ ";
    f.hide_input = o->hide_input != 0;
    f.s = state_of(ctx, f.id);
    f.m = metrics_of(f, o->font_size > 0 ? o->font_size : 13, o->height);

    scrolling(f);
    qel_interaction it = qel_interact(ctx, f.view_id, QEL_INTERACT_FOCUSABLE | QEL_INTERACT_HOLD_OUTSIDE);
    pointer(f, it);
    keys(f);

    bool dark = qel_dark_mode(ctx);
    qel_color surface = qel_theme_color(ctx, QEL_COLOR_SURFACE);
    qel_style outer = {};
    outer.width = o->width.kind == QEL_SIZE_FIT ? qel_size{QEL_SIZE_GROW, 1} : o->width;
    outer.height = o->height < 0 ? qel_size{QEL_SIZE_GROW, 1} : qel_size{QEL_SIZE_FIXED, o->height == 0 ? 320 : o->height};
    outer.fill = dark ? qel_color_mix(qel_theme_color(ctx, QEL_COLOR_BACKGROUND), surface, 0.5f) : surface;
    outer.border = qel_theme_color(ctx, QEL_COLOR_BORDER);
    outer.border_width = 1;
    outer.radius = ctx->theme.current.radius_small;
    outer.clip = 1;
    qel_column_begin(ctx, &outer);
    int32_t box = qel_node_parent(ctx);
    qel_node_at(ctx, box)->align_self = QEL_ALIGN_STRETCH;
    view_node(f, it.hovered);
    if (!f.hide_input) input_row(f);
    qel_container_end(ctx);
    qel_node* n = qel_node_at(ctx, box);
    if (n->direction_mode == 0) n->direction_mode = 1;
    qel_set_last_item(ctx, f.hide_input ? f.view_id : f.input_id);
    return f.result;
}
