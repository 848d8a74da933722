// The hex viewer's frame: its per-id state (scroll in rows, its own selection, requests, the
// half-typed byte), fitting the rows to last frame's width, keys, typing, pointer and scroll bar,
// copying, and the nodes whose draw callbacks show only the visible rows.
#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstring>

#include "core/core.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/frame.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/theme.h"
#include "qel/tooltip.h"
#include "qel/widget_feel.h"
#include "widgets/rich/hex_view_parts.h"
#include "widgets/rich/viewer_box.h"

namespace {

constexpr uint32_t STATE_KEY = 0x4e3a11, LIST_KEY = 0x4e5b0d1, HEADER_KEY = 0x4e5c011;
constexpr uint64_t copy_limit = 4194304;
constexpr float bar_zone = 12;

struct hex_state {
    double scroll, target;
    qel_hex_selection own;
    uint64_t pending;
    uint64_t nibble_at;
    double last_wheel;
    uint8_t scroll_pending, dragging, drag_ascii, nibble;
    uint8_t frames, bar_drag;
    float bar_grab, bar_fade;
};

struct hex_frame {
    qel_context* ctx;
    const qel_hex_view_options* o;
    uint32_t id, list_id;
    hex_state* st;
    qel_hex_selection* sel;
    uint8_t* editable;
    const uint8_t* data;
    uint64_t size, rows;
    qel_hex_layout l;
    float size_px, row_h;
    qel_rect list;
    double visible;
    qel_hex_view_result r;
};

double max_scroll(const hex_frame& f)
{
    return std::max(0.0, (double)f.rows - f.visible);
}

void into_view(hex_frame& f, uint64_t offset)
{
    double row = (double)(offset / (uint64_t)f.l.per_row);
    hex_state* st = f.st;
    if (row < st->target || row + 1 > st->target + f.visible)
        st->target = std::clamp(row - f.visible / 2 + 0.5, 0.0, max_scroll(f));
}

// Without Shift the cursor byte alone; with it, from the end of the old selection the cursor
// did not hold (or the old cursor) to the new cursor.
void move_to(hex_frame& f, uint64_t to, bool shift)
{
    qel_hex_selection* s = f.sel;
    uint64_t anchor = s->cursor;
    if (s->length) anchor = s->cursor == s->start ? s->start + s->length - 1 : s->start;
    if (to != s->cursor) f.st->nibble = 0;
    s->cursor = to;
    s->start = shift ? std::min(anchor, to) : to;
    s->length = shift ? (std::max(anchor, to) - s->start + 1) : 1;
    into_view(f, to);
}

void copy(hex_frame& f, bool as_text)
{
    qel_platform& pf = f.ctx->platform;
    uint64_t length = std::min(f.sel->length, copy_limit);
    if (!pf.set_clipboard || length == 0) return;
    char* out = (char*)qel_arena_alloc(f.ctx, (size_t)length * 3 + 1);
    static const char digits[] = "0123456789ABCDEF";
    size_t n = 0;
    for (uint64_t i = 0; i < length; i++) {
        uint8_t v = f.data[f.sel->start + i];
        if (as_text) {
            out[n++] = v >= 0x20 && v <= 0x7E ? (char)v : '.';
            continue;
        }
        if (i) out[n++] = ' ';
        out[n++] = digits[v >> 4], out[n++] = digits[v & 15];
    }
    out[n] = 0;
    pf.set_clipboard(pf.user, out);
    f.r.copied = 1;
}

uint64_t vertical_target(const hex_frame& f, int32_t key, bool ctrl)
{
    uint64_t n = (uint64_t)f.l.per_row, c = f.sel->cursor, last = f.size - 1;
    uint64_t page = (uint64_t)std::max(1.0, floor(f.visible)) * n;
    switch (key) {
    case QEL_KEY_UP: return c >= n ? c - n : c;
    case QEL_KEY_DOWN: return c + n <= last ? c + n : (c / n < last / n ? last : c);
    case QEL_KEY_PAGE_UP: return c >= page ? c - page : c % n;
    case QEL_KEY_PAGE_DOWN: return c + page <= last ? c + page : last;
    case QEL_KEY_HOME: return ctrl ? 0 : c - c % n;
    case QEL_KEY_END: return ctrl ? last : std::min(c - c % n + n - 1, last);
    case QEL_KEY_LEFT: return c > 0 ? c - 1 : c;
    default: return c < last ? c + 1 : c;
    }
}

void keys(hex_frame& f)
{
    qel_context* ctx = f.ctx;
    uint32_t mods = qel_modifiers(ctx);
    bool shift = (mods & QEL_MOD_SHIFT) != 0, ctrl = (mods & QEL_MOD_CTRL) != 0;
    static const int32_t moves[] = {QEL_KEY_LEFT, QEL_KEY_RIGHT, QEL_KEY_UP, QEL_KEY_DOWN, QEL_KEY_PAGE_UP,
                                    QEL_KEY_PAGE_DOWN, QEL_KEY_HOME, QEL_KEY_END};
    for (int32_t key : moves)
        if (qel_key_take(ctx, key)) move_to(f, vertical_target(f, key, ctrl), shift);
    if (ctrl && qel_key_take(ctx, QEL_KEY_A)) *f.sel = {0, f.size, f.size - 1};
    if (ctrl && qel_key_take(ctx, QEL_KEY_A + ('C' - 'A'))) copy(f, shift);
    if (qel_key_take(ctx, QEL_KEY_ESCAPE)) {
        f.sel->length = 0;
        f.st->nibble = 0;
    }
    if (!f.editable || (mods & (QEL_MOD_CTRL | QEL_MOD_ALT | QEL_MOD_SUPER))) return;
    qel_input* in = &ctx->input;
    uint64_t start = 0, length = 0;
    if (qel_hex_type(f.editable, f.size, f.sel, &f.st->nibble, &f.st->nibble_at, in->text, in->text_length, &start,
                     &length)) {
        f.r.edited = 1, f.r.edit_start = start, f.r.edit_length = length;
        into_view(f, f.sel->cursor);
    }
    in->text_length = 0;
    in->text[0] = 0;
}

// Rows per second while a drag holds the pointer beyond the rows.
void drag_scroll(hex_frame& f, float y)
{
    float below = y - (f.list.h - 4), above = 4 - y;
    float distance = above > 0 ? above : below > 0 ? below : 0;
    if (distance <= 0) return;
    double step = (6 + 8 * distance / f.row_h) * f.ctx->clock.dt;
    f.st->target = std::clamp(f.st->target + (above > 0 ? -step : step), 0.0, max_scroll(f));
    f.st->scroll = f.st->target;
    qel_request_redraw_in(f.ctx, 0);
}

void bar_drag(hex_frame& f, float y, bool pressed)
{
    hex_state* st = f.st;
    float track = f.list.h - 8;
    float thumb = std::max(28.0f, (float)(track * f.visible / (double)f.rows));
    double range = max_scroll(f);
    float thumb_y = 4 + (float)(st->scroll / std::max(range, 1e-9)) * (track - thumb);
    if (pressed) st->bar_grab = y >= thumb_y && y < thumb_y + thumb ? y - thumb_y : thumb / 2;
    double t = std::clamp((double)(y - st->bar_grab - 4) / std::max(1.0f, track - thumb), 0.0, 1.0);
    st->scroll = st->target = t * range;
}

void pointer(hex_frame& f, const qel_interaction& it)
{
    qel_context* ctx = f.ctx;
    hex_state* st = f.st;
    qel_vec2 m = qel_mouse_pos(ctx);
    float x = m.x - f.list.x, y = m.y - f.list.y;
    bool pressed = it.active && qel_mouse_pressed(ctx, 0);
    bool scrollable = (double)f.rows > f.visible;
    if (pressed && scrollable && x >= f.list.w - bar_zone) st->bar_drag = 1;
    if (st->bar_drag) {
        if (it.held) bar_drag(f, y, pressed);
        else st->bar_drag = 0;
        return;
    }
    bool ascii = false;
    if (pressed) {
        int64_t at = qel_hex_hit(&f.l, st->scroll, f.row_h, x, y, f.size, false, &ascii);
        if (at >= 0) {
            move_to(f, (uint64_t)at, (qel_modifiers(ctx) & QEL_MOD_SHIFT) != 0);
            st->dragging = 1, st->drag_ascii = ascii;
        }
    } else if (st->dragging && it.held) {
        drag_scroll(f, y);
        // The drag stays in the column it started in.
        float ascii_edge = f.l.ascii_x - f.l.c;
        if (f.l.ascii) x = st->drag_ascii ? std::max(x, ascii_edge) : std::min(x, ascii_edge - 0.5f);
        int64_t at = qel_hex_hit(&f.l, st->scroll, f.row_h, x, y, f.size, true, &ascii);
        if (at >= 0 && (uint64_t)at != f.sel->cursor) move_to(f, (uint64_t)at, true);
    }
    if (!it.held) st->dragging = 0;
    if (it.hovered) f.r.hovered = qel_hex_hit(&f.l, st->scroll, f.row_h, x, y, f.size, false, &ascii);
}

void wheel_and_glide(hex_frame& f)
{
    qel_context* ctx = f.ctx;
    hex_state* st = f.st;
    qel_input* in = &ctx->input;
    if (ctx->interaction.scroll_target == f.list_id && in->wheel_y != 0) {
        st->target -= in->wheel_y * 3;
        in->wheel_y = 0;
        st->last_wheel = ctx->clock.time;
    }
    st->target = std::clamp(st->target, 0.0, max_scroll(f));
    float motion = qel_theme_block_get(ctx)->motion_scale;
    if (motion <= 0 || st->frames < 2) {
        st->scroll = st->target;
    } else {
        st->scroll += (st->target - st->scroll) * (1 - exp(-4.6 * ctx->clock.dt / (motion * 0.14)));
        if (fabs(st->target - st->scroll) < 0.01) st->scroll = st->target;
        else qel_request_redraw_in(ctx, 0);
    }
    st->scroll = std::clamp(st->scroll, 0.0, max_scroll(f));
    double since = ctx->clock.time - st->last_wheel;
    bool shown = st->bar_drag || qel_hovered_id(ctx) == f.list_id || (st->last_wheel > 0 && since < 0.9);
    qel_anim_exp(ctx, &st->bar_fade, shown ? 1.0f : 0.0f, 0.12f);
}

// Regions cut at the data's end without wrapping; those starting past it are dropped.
qel_hex_span* clipped_regions(hex_frame& f, int32_t* count)
{
    int32_t n = f.o->regions ? f.o->region_count : 0;
    *count = 0;
    if (n <= 0) return nullptr;
    auto* spans = (qel_hex_span*)qel_arena_alloc(f.ctx, sizeof(qel_hex_span) * (size_t)n);
    for (int32_t i = 0; i < n; i++) {
        const qel_hex_region& r = f.o->regions[i];
        if (r.start >= f.size || r.length == 0) continue;
        spans[(*count)++] = {r.start, r.start + std::min(r.length, f.size - r.start), r.color};
    }
    return spans;
}

void region_tooltip(hex_frame& f)
{
    if (f.r.hovered < 0) return;
    auto at = (uint64_t)f.r.hovered;
    int32_t n = f.o->regions ? f.o->region_count : 0;
    for (int32_t i = n - 1; i >= 0; i--) {
        const qel_hex_region& r = f.o->regions[i];
        if (r.start >= f.size || at < r.start || at - r.start >= r.length) continue;
        if (!r.label || !*r.label) return;
        uint64_t length = std::min(r.length, f.size - r.start);
        qel_tooltip_for(f.ctx, f.list_id,
                        qel_arena_sprintf(f.ctx, "%s, %" PRIu64 " byte%s", r.label, length, length == 1 ? "" : "s"));
        return;
    }
}

void clamp_selection(hex_frame& f)
{
    qel_hex_selection* s = f.sel;
    if (f.size == 0) {
        *s = {};
        return;
    }
    s->cursor = std::min(s->cursor, f.size - 1);
    if (s->start >= f.size) s->length = 0;
    else s->length = std::min(s->length, f.size - s->start);
}

float automatic_height(const hex_frame& f, float header)
{
    float body = f.size ? (float)std::min<double>((double)f.rows * f.row_h + 8, 320) : 96;
    return std::min(body + header + 2, 320.0f);
}

qel_hex_draw_payload payload_of(hex_frame& f)
{
    qel_hex_draw_payload p = {};
    p.l = f.l;
    p.size = f.size_px, p.row_height = f.row_h;
    p.scroll = f.st->scroll;
    p.first_row = (uint64_t)floor(f.st->scroll);
    uint64_t last = std::min(f.rows, p.first_row + (uint64_t)ceil(f.visible) + 2);
    p.row_count = (int32_t)(last > p.first_row ? last - p.first_row : 0);
    p.size_bytes = f.size, p.base = f.o->base_offset;
    uint64_t from = p.first_row * (uint64_t)f.l.per_row;
    uint64_t bytes = std::min(f.size - std::min(from, f.size), (uint64_t)p.row_count * (uint64_t)f.l.per_row);
    auto* copy = (uint8_t*)qel_arena_alloc(f.ctx, (size_t)bytes + 1);
    if (bytes) memcpy(copy, f.data + from, (size_t)bytes);
    p.bytes = copy;
    p.sel = *f.sel;
    p.hovered = f.r.hovered;
    p.regions = clipped_regions(f, &p.region_count);
    p.rows = f.rows, p.visible = f.visible;
    p.bar_fade = f.st->bar_fade;
    p.bar_hovered = f.st->bar_drag || (qel_hovered_id(f.ctx) == f.list_id &&
                                       qel_mouse_pos(f.ctx).x >= f.list.x + f.list.w - bar_zone);
    p.list_id = f.list_id;
    return p;
}

void setup(hex_frame& f, qel_context* ctx, const char* label, const uint8_t* data, uint64_t size,
           qel_hex_selection* selection, const qel_hex_view_options* o)
{
    f.ctx = ctx;
    f.o = o;
    f.id = qel_id(ctx, label);
    f.list_id = f.id ^ LIST_KEY;
    f.st = qel_state_record_of<hex_state>(ctx, f.id ^ STATE_KEY, "hex_state");
    f.sel = selection ? selection : &f.st->own;
    f.editable = o->editable;
    f.data = o->editable ? o->editable : data;
    f.size = f.data ? size : 0;
    f.size_px = (o->font_size > 0 ? o->font_size : 12) * qel_theme_block_get(ctx)->ui_scale;
    f.row_h = roundf(1.7f * f.size_px);
    float c = qel_viewer_char_width(ctx, f.size_px);
    int32_t per_row = o->bytes_per_row == 8 || o->bytes_per_row == 32 ? o->bytes_per_row : 16;
    int32_t digits = qel_hex_offset_digits(o->base_offset, f.size);
    f.list = qel_id_rect(ctx, f.list_id);
    if (f.list.w > 0) {
        f.l = qel_hex_fit(c, digits, per_row, !o->hide_ascii, f.list.w);
    } else {
        f.l = qel_hex_layout_for(c, digits, per_row, !o->hide_ascii, false);
        qel_request_redraw_in(ctx, 0);
    }
    f.rows = f.size ? (f.size - 1) / (uint64_t)f.l.per_row + 1 : 0;
    f.visible = std::max(1.0, (double)(f.list.h > 0 ? f.list.h - 8 : 312) / f.row_h);
    f.r.hovered = -1;
    clamp_selection(f);
}

}  // namespace

qel_hex_view_result qel_hex_view(qel_context* ctx, const char* label, const uint8_t* data, uint64_t size,
                                 qel_hex_selection* selection, const qel_hex_view_options* options)
{
    const qel_hex_view_options none = {};
    hex_frame f = {};
    setup(f, ctx, label, data, size, selection, options ? options : &none);
    hex_state* st = f.st;
    qel_hex_selection before = *f.sel;
    if (f.size && st->scroll_pending) {
        st->scroll_pending = 0;
        st->nibble = 0;
        uint64_t at = std::min(st->pending, f.size - 1);
        *f.sel = {at, 1, at};
        into_view(f, at);
    }
    qel_interaction it = qel_interact(ctx, f.list_id, QEL_INTERACT_FOCUSABLE | QEL_INTERACT_HOLD_OUTSIDE);
    bool focused = qel_focused_id(ctx) == f.list_id;
    if (f.size) {
        pointer(f, it);
        if (focused) keys(f);
        wheel_and_glide(f);
        region_tooltip(f);
    }
    if (st->frames < 2) st->frames++;

    bool header = !f.o->hide_header && f.size;
    float header_h = header ? f.row_h + 1 : 0;
    int32_t box = qel_viewer_box_begin(ctx, f.id);
    qel_node* n = qel_node_at(ctx, box);
    n->width = f.o->width.kind == QEL_SIZE_FIT ? qel_size{QEL_SIZE_GROW, 1} : f.o->width;
    float height = f.o->height != 0 ? f.o->height : automatic_height(f, header_h);
    n->height = height < 0 ? qel_size{QEL_SIZE_GROW, 1} : qel_size{QEL_SIZE_FIXED, height};
    qel_hex_draw_payload p = {};
    if (f.size) p = payload_of(f);
    if (header) {
        int32_t h = qel_node_sized(ctx, f.id ^ HEADER_KEY, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, header_h});
        qel_node_draw_with(ctx, h, qel_hex_draw_header, &p, sizeof p, false);
    }
    int32_t list = qel_node_sized(ctx, f.list_id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_GROW, 1});
    qel_node_mark_interactive(ctx, list, QEL_INTERACT_FOCUSABLE);
    if (f.size) {
        qel_node_draw_with(ctx, list, qel_hex_draw, &p, sizeof p, false);
    } else {
        qel_node_push(ctx, list);
        qel_node_push(ctx, qel_node_centred(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_GROW, 1}, QEL_DIR_ROW, 0));
        qel_text_leaf(ctx, "No data", -1, QEL_FONT_BODY, qel_text_body_scaled(ctx),
                      qel_color_token(QEL_COLOR_TEXT_MUTED), false, 1.3f);
        qel_node_pop(ctx);
        qel_node_pop(ctx);
    }
    if (focused) qel_focus_ring(ctx, box, it.focus_visible ? 1.0f : 0.0f);
    qel_viewer_box_end(ctx, box, f.id);

    f.r.start = f.sel->start, f.r.length = f.sel->length, f.r.cursor = f.sel->cursor;
    f.r.selection_changed = memcmp(&before, f.sel, sizeof before) != 0;
    return f.r;
}

void qel_hex_view_scroll_to(qel_context* ctx, const char* label, uint64_t offset)
{
    auto* st = qel_state_record_of<hex_state>(ctx, qel_id(ctx, label) ^ STATE_KEY, "hex_state");
    st->pending = offset;
    st->scroll_pending = 1;
    qel_request_redraw_in(ctx, 0);
}
