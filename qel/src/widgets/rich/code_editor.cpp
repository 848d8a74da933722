// The code editor's frame: its state and the caller's buffer, the requests of the application,
// the find and go-to bars, the pointer and the keys, scrolling, and the nodes and payload the
// text area is drawn from.
#include "kit/state_records.h"
#include "qel/code_editor.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "code_editor_view.h"
#include "core/core.h"
#include "kit/widget_nodes.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/button.h"
#include "qel/code_doc.h"
#include "qel/color.h"
#include "qel/frame.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/text_input.h"
#include "qel/text_units.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "viewer_box.h"

namespace {

const uint32_t STATE_KEY = 0xed17c0de, AREA_KEY = 0xed1b0d1, REGION_KEY = 0xed15c011;
const float BAR_HEIGHT = 41, COMPACT_WIDTH = 360;

constexpr int32_t letter_key(char c)
{
    return QEL_KEY_A + (c - 'A');
}

struct editor_frame {
    qel_context* ctx;
    uint32_t id, area_id, region_id, find_id, goto_id;
    qel_code_editor_state* st;
    const qel_code_editor_opts* o;
    qel_code_doc doc;
    qel_code_lang lang;
    bool json;
    uint8_t indent;
    float size, line_h, cw, gutter;
    qel_rect area;            // the text area, last frame
    float view_h, view_w;     // the scrolled views
    bool focused, in_fields;  // the text area; the bar's fields
    bool vertical;            // the caret moved up or down this frame
};

qel_code_editor_state* state_of(qel_context* ctx, const char* label)
{
    return qel_state_record_of<qel_code_editor_state>(ctx, qel_id(ctx, label) ^ STATE_KEY, "qel_code_editor_state");
}

uint8_t indent_style(const char* language)
{
    static const char* const brackets[] = {"c", "cpp", "c++", "h", "js", "ts", "javascript", "typescript",
                                           "rust", "rs", "go"};
    if (!language) return QEL_CODE_INDENT_NONE;
    for (const char* name : brackets)
        if (strcmp(name, language) == 0) return QEL_CODE_INDENT_BRACKETS;
    bool python = strcmp(language, "python") == 0 || strcmp(language, "py") == 0;
    return python ? QEL_CODE_INDENT_COLON : QEL_CODE_INDENT_NONE;
}

int32_t digits_of(int32_t n)
{
    int32_t d = 1;
    for (; n >= 10; n /= 10) d++;
    return d;
}

int32_t lo_of(const qel_code_editor_state* st)
{
    return std::min(st->edit.caret, st->edit.anchor);
}

int32_t hi_of(const qel_code_editor_state* st)
{
    return std::max(st->edit.caret, st->edit.anchor);
}

float editor_height(const qel_code_editor_opts* o)
{
    return o->height == 0 ? 320.0f : o->height;
}

void setup(editor_frame& f, qel_context* ctx, const char* label, char* buffer, int32_t capacity,
           const qel_code_editor_opts* o)
{
    static char empty_text[1];
    if (!buffer || capacity < 1) {
        empty_text[0] = 0;
        buffer = empty_text;
        capacity = 1;
    }
    if (!memchr(buffer, 0, (size_t)capacity)) buffer[capacity - 1] = 0;
    f.ctx = ctx;
    f.o = o;
    f.id = qel_id(ctx, label);
    f.area_id = f.id ^ AREA_KEY;
    f.region_id = f.id ^ REGION_KEY;
    qel_push_id(ctx, label);
    f.find_id = qel_id(ctx, "find");
    f.goto_id = qel_id(ctx, "goto");
    qel_pop_id(ctx);
    f.st = state_of(ctx, label);
    qel_code_editor_state* st = f.st;
    if (!st->initialised) {
        qel_text_state_init(ctx, f.id ^ STATE_KEY, &st->edit);
        st->remembered_column = -1;
        st->initialised = 1;
        if (o->autofocus) qel_set_focus(ctx, f.area_id, false);
    }
    f.json = qel_code_json_name(o->language);
    f.lang = qel_code_language(f.json ? nullptr : o->language);
    f.indent = indent_style(o->language);
    f.size = (o->font_size > 0 ? o->font_size : 13) * ctx->theme.current.ui_scale;
    f.line_h = roundf(1.6f * f.size);
    f.cw = qel_viewer_char_width(ctx, f.size);
    int32_t tab = o->tab_width < 1 ? 4 : std::min(o->tab_width, (int32_t)QEL_CODE_MAX_TAB_WIDTH);
    auto length = (int32_t)strlen(buffer);
    f.doc = {ctx, &st->edit, &st->remembered_column, st->find_text, buffer, capacity, length, nullptr, 0, 0,
             tab, o->use_tabs, o->read_only, 0, 0, 0, 0};
    qel_code_doc_index_lines(&f.doc);
    f.gutter = o->hide_line_numbers ? 8 : (float)std::max(2, digits_of(f.doc.line_count)) * f.cw + 26;
    f.area = qel_id_rect(ctx, f.area_id);
    if (f.area.w <= 0) {
        float height = editor_height(o) > 0 ? editor_height(o) : 320;
        f.area = {0, 0, 480, height - 2 - (st->bar_mode ? BAR_HEIGHT : 0)};
    }
    f.view_h = std::max(f.line_h, f.area.h - 12);
    f.view_w = std::max(1.0f, f.area.w - f.gutter - QEL_CODE_EDITOR_TEXT_GAP);
    st->edit.caret = std::clamp(st->edit.caret, 0, length);
    st->edit.anchor = std::clamp(st->edit.anchor, 0, length);
    st->first_start = std::clamp(st->first_start, 0, length);
    st->first_end = std::clamp(st->first_end, 0, length);
    f.focused = qel_focused_id(ctx) == f.area_id;
    f.in_fields = qel_focused_id(ctx) == f.find_id || qel_focused_id(ctx) == f.goto_id;
}

void focus_text(editor_frame& f)
{
    qel_set_focus(f.ctx, f.area_id, false);
    f.focused = true;
}

void select_range(editor_frame& f, int32_t anchor, int32_t caret, bool centre)
{
    f.st->edit.anchor = std::clamp(anchor, 0, f.doc.length);
    f.st->edit.caret = std::clamp(caret, 0, f.doc.length);
    f.doc.scroll_to_caret = 1;
    f.doc.center_caret |= centre;
}

void go_to(editor_frame& f, int32_t line, int32_t column)
{
    line = std::clamp(line, 1, f.doc.line_count);
    int32_t at = qel_code_doc_column_to_offset(&f.doc, line - 1, column > 1 ? (float)(column - 1) : 0.0f);
    select_range(f, at, at, true);
    f.st->remembered_column = -1;
    focus_text(f);
}

void requests(editor_frame& f)
{
    qel_code_editor_state* st = f.st;
    if (st->pending_select) {
        select_range(f, st->request_anchor, st->request_caret, true);
        st->remembered_column = -1;
        focus_text(f);
    }
    if (st->pending_goto) go_to(f, st->request_line, st->request_column);
    if (st->pending_find) qel_code_doc_find(&f.doc, lo_of(st), 1);
    st->pending_select = st->pending_goto = st->pending_find = 0;
}

void bar_keys(editor_frame& f)
{
    qel_context* ctx = f.ctx;
    qel_code_editor_state* st = f.st;
    if (!f.focused && !f.in_fields) return;
    bool ctrl = (qel_modifiers(ctx) & QEL_MOD_CTRL) != 0;
    if (ctrl && qel_key_take(ctx, letter_key('F'))) {
        st->bar_mode = 1;
        st->focus_field = 1;
        int32_t lo = lo_of(st), n = hi_of(st) - lo;
        if (n > 0 && n < 128 && !memchr(f.doc.text + lo, '\n', (size_t)n)) {
            memcpy(st->find_text, f.doc.text + lo, (size_t)n);
            st->find_text[n] = 0;
        }
    }
    if (ctrl && qel_key_take(ctx, letter_key('G'))) {
        st->bar_mode = 2;
        st->goto_text[0] = 0;
        st->focus_field = 1;
    }
    if (f.in_fields && qel_key_take(ctx, QEL_KEY_ESCAPE)) {
        st->bar_mode = 0;
        focus_text(f);
    }
}

// --- Pointer ---

int32_t line_at(const editor_frame& f, float y)
{
    auto line = (int32_t)floorf((y - f.area.y - QEL_CODE_EDITOR_TOP + (float)f.st->scroll_y) / f.line_h);
    return std::clamp(line, 0, f.doc.line_count - 1);
}

int32_t offset_at(const editor_frame& f, qel_vec2 p)
{
    float column = (p.x - f.area.x - f.gutter - QEL_CODE_EDITOR_TEXT_GAP + f.st->scroll_x) / f.cw;
    return qel_code_doc_column_to_offset(&f.doc, line_at(f, p.y), column);
}

// The unit of a word or line selection around an offset.
void unit_at(const editor_frame& f, int32_t mode, int32_t at, int32_t* start, int32_t* end)
{
    if (mode == 2) {
        qel_code_doc_word_bounds(&f.doc, at, start, end);
        return;
    }
    int32_t line = qel_code_doc_line_of(&f.doc, at);
    *start = f.doc.line_starts[line];
    *end = std::min(f.doc.line_starts[line + 1], f.doc.length);
}

float content_h(const editor_frame& f)
{
    return (float)f.doc.line_count * f.line_h;
}

float content_w(const editor_frame& f)
{
    int32_t caret_column = qel_code_doc_column_of(&f.doc, f.st->edit.caret);
    return (float)std::max(f.doc.longest_line, caret_column) * f.cw + 32;
}

void drag_bar(editor_frame& f, qel_vec2 p)
{
    qel_code_editor_state* st = f.st;
    const qel_rect& r = f.area;
    bool tall = content_h(f) > f.view_h, wide = content_w(f) > f.view_w;
    if (st->bar_drag == 1) {
        qel_code_editor_bar b = qel_code_editor_bar_of(r.y, r.h, wide, f.view_h, content_h(f), (float)st->scroll_y);
        float travel = std::max(1.0f, b.track - b.thumb);
        st->scroll_y = (p.y - b.track_start - st->grab) / travel * (content_h(f) - f.view_h);
    } else {
        qel_code_editor_bar b = qel_code_editor_bar_of(r.x + f.gutter, r.w - f.gutter, tall, f.view_w, content_w(f),
                                                       st->scroll_x);
        float travel = std::max(1.0f, b.track - b.thumb);
        st->scroll_x = (p.x - b.track_start - st->grab) / travel * (content_w(f) - f.view_w);
    }
    st->last_scroll = f.ctx->clock.time;
}

void press(editor_frame& f, qel_vec2 p)
{
    qel_code_editor_state* st = f.st;
    const qel_input* in = &f.ctx->input;
    const qel_rect& r = f.area;
    bool tall = content_h(f) > f.view_h, wide = content_w(f) > f.view_w;
    st->released = 0;
    if (tall && p.x >= r.x + r.w - QEL_CODE_EDITOR_BAR_ZONE) {
        qel_code_editor_bar b = qel_code_editor_bar_of(r.y, r.h, wide, f.view_h, content_h(f), (float)st->scroll_y);
        float at = p.y - b.track_start - b.thumb_start;
        st->bar_drag = 1;
        st->grab = at >= 0 && at <= b.thumb ? at : b.thumb / 2;
        drag_bar(f, p);
        return;
    }
    if (wide && p.y >= r.y + r.h - QEL_CODE_EDITOR_BAR_ZONE && p.x > r.x + f.gutter) {
        qel_code_editor_bar b = qel_code_editor_bar_of(r.x + f.gutter, r.w - f.gutter, tall, f.view_w, content_w(f),
                                                       st->scroll_x);
        float at = p.x - b.track_start - b.thumb_start;
        st->bar_drag = 2;
        st->grab = at >= 0 && at <= b.thumb ? at : b.thumb / 2;
        drag_bar(f, p);
        return;
    }
    int32_t at = offset_at(f, p);
    bool gutter = p.x < r.x + f.gutter;
    st->mouse_mode = gutter || in->click_count >= 3 ? 3 : in->click_count == 2 ? 2 : 1;
    if (st->mouse_mode == 1) {
        select_range(f, (in->modifiers & QEL_MOD_SHIFT) ? st->edit.anchor : at, at, false);
        return;
    }
    unit_at(f, st->mouse_mode, at, &st->first_start, &st->first_end);
    select_range(f, st->first_start, st->first_end, false);
}

void drag(editor_frame& f, qel_vec2 p)
{
    qel_code_editor_state* st = f.st;
    const qel_rect& r = f.area;
    float dt = f.ctx->clock.dt;
    float top = r.y, bottom = r.y + r.h;
    double lines = 0;
    if (p.y < top) lines = -(8 + 10 * (top - p.y) / f.line_h);
    if (p.y > bottom) lines = 8 + 10 * (p.y - bottom) / f.line_h;
    float text_left = r.x + f.gutter + QEL_CODE_EDITOR_TEXT_GAP, right = r.x + r.w;
    float sideways = 0;
    if (st->mouse_mode != 3 && p.x < text_left) sideways = -(text_left - p.x + 12);
    if (st->mouse_mode != 3 && p.x > right) sideways = p.x - right + 12;
    if (lines != 0 || sideways != 0) {
        st->scroll_y += lines * f.line_h * dt;
        st->scroll_x += sideways * f.cw * dt;
        st->last_scroll = f.ctx->clock.time;
        qel_request_redraw(f.ctx);
    }
    int32_t at = offset_at(f, p);
    if (st->mouse_mode == 1) {
        select_range(f, st->edit.anchor, at, false);
        return;
    }
    int32_t start = 0, end = 0;
    unit_at(f, st->mouse_mode, at, &start, &end);
    if (start < st->first_start) select_range(f, st->first_end, start, false);
    else select_range(f, st->first_start, std::max(end, st->first_end), false);
}

void pointer(editor_frame& f, const qel_interaction& it)
{
    qel_code_editor_state* st = f.st;
    const qel_input* in = &f.ctx->input;
    qel_vec2 p = qel_mouse_pos(f.ctx);
    if (it.hovered || it.active) {
        bool bars = (content_h(f) > f.view_h && p.x >= f.area.x + f.area.w - QEL_CODE_EDITOR_BAR_ZONE) ||
                    (content_w(f) > f.view_w && p.y >= f.area.y + f.area.h - QEL_CODE_EDITOR_BAR_ZONE);
        bool arrow = p.x < f.area.x + f.gutter || bars || st->bar_drag;
        qel_set_cursor(f.ctx, arrow ? QEL_CURSOR_ARROW : QEL_CURSOR_IBEAM);
    }
    if (it.active && in->pressed[0]) {
        press(f, p);
        qel_text_caret_moved(f.ctx);
    } else if (it.active && in->down[0]) {
        if (st->bar_drag) drag_bar(f, p);
        else if (qel_mouse_moved(f.ctx) || p.y < f.area.y || p.y > f.area.y + f.area.h) drag(f, p);
    }
    if (!in->down[0]) st->bar_drag = 0;
}

// --- Keys ---

void copy_text(editor_frame& f, int32_t from, int32_t to)
{
    const qel_platform& p = f.ctx->platform;
    if (p.set_clipboard && to > from) p.set_clipboard(p.user, qel_arena_strdup(f.ctx, f.doc.text + from, to - from));
}

// The selection, or the caret's whole line with its line feed.
void copy_range(const editor_frame& f, int32_t* from, int32_t* to)
{
    *from = lo_of(f.st);
    *to = hi_of(f.st);
    if (*from != *to) return;
    int32_t line = qel_code_doc_line_of(&f.doc, *from);
    *from = f.doc.line_starts[line];
    *to = std::min(f.doc.line_starts[line + 1], f.doc.length);
}

void move_caret(editor_frame& f, int32_t to, bool extend)
{
    f.st->edit.caret = std::clamp(to, 0, f.doc.length);
    if (!extend) f.st->edit.anchor = f.st->edit.caret;
}

void move_lines(editor_frame& f, int32_t lines, bool extend)
{
    qel_code_editor_state* st = f.st;
    if (st->remembered_column < 0) st->remembered_column = qel_code_doc_column_of(&f.doc, st->edit.caret);
    int32_t column = st->remembered_column;
    int32_t line = qel_code_doc_line_of(&f.doc, st->edit.caret) + lines;
    int32_t to = line < 0 ? 0 : line >= f.doc.line_count ? f.doc.length
                                                         : qel_code_doc_column_to_offset(&f.doc, line, (float)column);
    move_caret(f, to, extend);
    st->remembered_column = column;
    f.vertical = true;
}

void motion_keys(editor_frame& f, bool shift, bool ctrl)
{
    qel_code_editor_state* st = f.st;
    qel_context* ctx = f.ctx;
    const char* t = f.doc.text;
    int32_t n = f.doc.length;
    for (int32_t k = ctx->input.key_presses[QEL_KEY_LEFT]; k > 0; k--)
        move_caret(f, st->edit.caret != st->edit.anchor && !shift && !ctrl ? lo_of(st)
                      : ctrl                                              ? qel_text_prev_word(t, st->edit.caret)
                                                                          : qel_utf8_prev(t, st->edit.caret),
                   shift);
    for (int32_t k = ctx->input.key_presses[QEL_KEY_RIGHT]; k > 0; k--)
        move_caret(f, st->edit.caret != st->edit.anchor && !shift && !ctrl ? hi_of(st)
                      : ctrl                                              ? qel_text_next_word(t, n, st->edit.caret)
                                                                          : qel_utf8_next(t, n, st->edit.caret),
                   shift);
    for (int32_t k = ctx->input.key_presses[QEL_KEY_UP]; k > 0; k--) move_lines(f, -1, shift);
    for (int32_t k = ctx->input.key_presses[QEL_KEY_DOWN]; k > 0; k--) move_lines(f, 1, shift);
    int32_t page = std::max(1, (int32_t)(f.view_h / f.line_h) - 1);
    for (int32_t k = ctx->input.key_presses[QEL_KEY_PAGE_UP]; k > 0; k--) {
        move_lines(f, -page, shift);
        st->scroll_y -= page * f.line_h;
    }
    for (int32_t k = ctx->input.key_presses[QEL_KEY_PAGE_DOWN]; k > 0; k--) {
        move_lines(f, page, shift);
        st->scroll_y += page * f.line_h;
    }
    bool ctrl_home = (qel_modifiers(ctx) & (QEL_MOD_CTRL | QEL_MOD_SUPER)) != 0;
    int32_t line = qel_code_doc_line_of(&f.doc, st->edit.caret);
    if (qel_key_pressed(ctx, QEL_KEY_HOME)) {
        int32_t indent = qel_code_doc_line_indent(t, f.doc.line_starts, line);
        move_caret(f, ctrl_home ? 0 : st->edit.caret == indent ? f.doc.line_starts[line] : indent, shift);
    }
    if (qel_key_pressed(ctx, QEL_KEY_END)) move_caret(f, ctrl_home ? n : f.doc.line_starts[line + 1] - 1, shift);
    if (ctrl && qel_key_pressed(ctx, QEL_KEY_A)) {
        st->edit.anchor = 0;
        st->edit.caret = n;
    }
}

// Backspace within a line's leading blanks after a space goes back to the previous tab stop.
int32_t backspace_from(const editor_frame& f, bool ctrl)
{
    int32_t caret = f.st->edit.caret;
    const char* t = f.doc.text;
    if (ctrl) return qel_text_prev_word(t, caret);
    int32_t line = qel_code_doc_line_of(&f.doc, caret);
    int32_t indent = qel_code_doc_line_indent(t, f.doc.line_starts, line);
    if (caret > f.doc.line_starts[line] && caret <= indent && t[caret - 1] == ' ') {
        int32_t column = qel_code_doc_column_of(&f.doc, caret);
        int32_t stop = (column - 1) / f.doc.tab_width * f.doc.tab_width;
        int32_t at = caret;
        while (column > stop && at > f.doc.line_starts[line] && t[at - 1] == ' ') {
            at--;
            column--;
        }
        return at;
    }
    return qel_utf8_prev(t, caret);
}

void undo_step(editor_frame& f, bool redo)
{
    if (!qel_text_undo(f.ctx, &f.st->edit, f.doc.text, (int32_t)std::min<int64_t>(f.doc.capacity, INT32_MAX), redo))
        return;
    f.doc.length = (int32_t)strlen(f.doc.text);
    qel_code_doc_index_lines(&f.doc);
    f.doc.changed = f.doc.scroll_to_caret = 1;
}

void edit_keys(editor_frame& f, bool shift, bool ctrl)
{
    qel_code_editor_state* st = f.st;
    qel_context* ctx = f.ctx;
    qel_code_doc* d = &f.doc;
    const qel_input* in = &ctx->input;
    int32_t from = 0, to = 0;
    if (ctrl && qel_key_pressed(ctx, letter_key('C'))) {
        copy_range(f, &from, &to);
        copy_text(f, from, to);
    }
    if (ctrl && qel_key_pressed(ctx, letter_key('X'))) {
        copy_range(f, &from, &to);
        copy_text(f, from, to);
        if (!d->read_only) qel_code_doc_insert(d, from, to, "", 0, QEL_EDIT_OTHER);
    }
    if (d->read_only) return;
    const qel_platform& p = ctx->platform;
    if (ctrl && qel_key_pressed(ctx, letter_key('V')) && p.get_clipboard) {
        const char* text = p.get_clipboard(p.user);
        if (text && *text) qel_code_doc_insert(d, lo_of(st), hi_of(st), text, (int32_t)strlen(text), QEL_EDIT_OTHER);
    }
    if (ctrl && qel_key_pressed(ctx, letter_key('Z'))) undo_step(f, shift);
    if (ctrl && qel_key_pressed(ctx, letter_key('Y'))) undo_step(f, true);
    for (int32_t k = in->key_presses[QEL_KEY_BACKSPACE]; k > 0; k--) {
        if (st->edit.caret != st->edit.anchor) qel_code_doc_insert(d, lo_of(st), hi_of(st), "", 0, QEL_EDIT_OTHER);
        else qel_code_doc_insert(d, backspace_from(f, ctrl), st->edit.caret, "", 0, QEL_EDIT_DELETING);
    }
    for (int32_t k = in->key_presses[QEL_KEY_DELETE]; k > 0; k--) {
        if (st->edit.caret != st->edit.anchor) {
            qel_code_doc_insert(d, lo_of(st), hi_of(st), "", 0, QEL_EDIT_OTHER);
            continue;
        }
        int32_t end = ctrl ? qel_text_next_word(d->text, d->length, st->edit.caret)
                           : qel_utf8_next(d->text, d->length, st->edit.caret);
        qel_code_doc_insert(d, st->edit.caret, end, "", 0, QEL_EDIT_DELETING);
    }
    for (int32_t k = ctrl ? 0 : in->key_presses[QEL_KEY_ENTER]; k > 0; k--) qel_code_doc_newline(d, f.indent);
    for (int32_t k = ctrl ? 0 : in->key_presses[QEL_KEY_TAB]; k > 0; k--) {
        if (shift || st->edit.caret != st->edit.anchor) {
            qel_code_doc_indent_lines(d, shift);
            continue;
        }
        int32_t column = qel_code_doc_column_of(d, st->edit.caret);
        char spaces[17] = "                ";
        int32_t count = d->use_tabs ? 1 : d->tab_width - column % d->tab_width;
        qel_code_doc_insert(d, st->edit.caret, st->edit.caret, d->use_tabs ? "\t" : spaces, count, QEL_EDIT_OTHER);
    }
    bool alt = (qel_modifiers(ctx) & QEL_MOD_ALT) != 0;
    if (in->text_length > 0 && (!ctrl || alt)) qel_code_doc_type(d, in->text, in->text_length, f.indent);
}

void escape_key(editor_frame& f)
{
    qel_code_editor_state* st = f.st;
    if (!qel_key_take(f.ctx, QEL_KEY_ESCAPE)) return;
    if (st->bar_mode) st->bar_mode = 0;
    else if (st->edit.caret != st->edit.anchor) st->edit.anchor = st->edit.caret;
    else st->released = 1;
}

void keys(editor_frame& f)
{
    qel_code_editor_state* st = f.st;
    qel_context* ctx = f.ctx;
    uint32_t mods = qel_modifiers(ctx);
    bool shift = (mods & QEL_MOD_SHIFT) != 0, ctrl = (mods & QEL_MOD_CTRL) != 0;
    int32_t caret = st->edit.caret, anchor = st->edit.anchor;
    const qel_input* in = &ctx->input;
    for (int32_t key = 1; key < QEL_KEY_COUNT; key++)
        if (in->key_presses[key] && key != QEL_KEY_TAB && key != QEL_KEY_ESCAPE) st->released = 0;
    if (in->text_length > 0) st->released = 0;
    escape_key(f);
    motion_keys(f, shift, ctrl);
    edit_keys(f, shift, ctrl);
    for (int32_t key : {QEL_KEY_LEFT, QEL_KEY_RIGHT, QEL_KEY_UP, QEL_KEY_DOWN, QEL_KEY_PAGE_UP, QEL_KEY_PAGE_DOWN,
                        QEL_KEY_HOME, QEL_KEY_END, QEL_KEY_BACKSPACE, QEL_KEY_DELETE, QEL_KEY_ENTER, QEL_KEY_TAB})
        ctx->input.key_presses[key] = 0;
    if (caret != st->edit.caret || anchor != st->edit.anchor || f.doc.changed) {
        qel_text_caret_moved(ctx);
        f.doc.scroll_to_caret = 1;
        if (!f.vertical) st->remembered_column = -1;
    }
}

// --- Scrolling ---

void scroll(editor_frame& f)
{
    qel_code_editor_state* st = f.st;
    qel_context* ctx = f.ctx;
    qel_input* in = &ctx->input;
    if (ctx->interaction.scroll_target == f.region_id && (in->wheel_x != 0 || in->wheel_y != 0)) {
        float dx = in->wheel_x, dy = in->wheel_y;
        if ((in->modifiers & QEL_MOD_SHIFT) && dx == 0) std::swap(dx, dy);
        st->scroll_y -= dy * 3 * f.line_h;
        st->scroll_x -= dx * 44;
        in->wheel_x = in->wheel_y = 0;
        st->last_scroll = ctx->clock.time;
    }
    float max_y = std::max(0.0f, content_h(f) - f.view_h), max_x = std::max(0.0f, content_w(f) - f.view_w);
    if (f.doc.scroll_to_caret) {
        int32_t line = qel_code_doc_line_of(&f.doc, st->edit.caret);
        float top = (float)line * f.line_h;
        if (f.doc.center_caret && (top < st->scroll_y || top + f.line_h > st->scroll_y + f.view_h)) {
            float lines = roundf((top - f.view_h / 2) / f.line_h);
            st->scroll_y = lines > 0 ? lines * f.line_h + QEL_CODE_EDITOR_TOP : 0;
        } else if (top < st->scroll_y) {
            st->scroll_y = top;
        } else if (top + f.line_h > st->scroll_y + f.view_h) {
            st->scroll_y = top + f.line_h - f.view_h;
        }
        float x = (float)qel_code_doc_column_of(&f.doc, st->edit.caret) * f.cw;
        float margin = std::min(4 * f.cw, f.view_w / 4);
        bool outside = x < st->scroll_x + margin || x > st->scroll_x + f.view_w - margin;
        if (f.doc.center_caret && outside) st->scroll_x = x - f.view_w / 2;
        else if (x < st->scroll_x + margin) st->scroll_x = x - margin;
        else if (x > st->scroll_x + f.view_w - margin) st->scroll_x = x - f.view_w + margin;
    }
    st->scroll_y = std::clamp(st->scroll_y, 0.0, (double)max_y);
    st->scroll_x = std::clamp(st->scroll_x, 0.0f, max_x);
    double since = ctx->clock.time - st->last_scroll;
    bool shown = st->last_scroll > 0 && since < 0.9;
    qel_anim_exp(ctx, &st->bar_fade, shown || st->bar_drag ? 1.0f : 0.0f, 0.12f);
    if (shown) qel_request_redraw_in(ctx, (float)(0.9 - since));
}

// --- Bars ---

int32_t count_matches(const editor_frame& f, int32_t* current)
{
    const char* needle = f.st->find_text;
    auto n = (int32_t)strlen(needle);
    int32_t count = 0, lo = lo_of(f.st);
    *current = 0;
    for (int32_t at = 0; n > 0 && at + n <= f.doc.length; at++) {
        if (!qel_code_doc_match_at(f.doc.text, f.doc.length, at, needle, n)) continue;
        count++;
        if (at == lo && hi_of(f.st) == at + n) *current = count;
    }
    return count;
}

bool bar_button(qel_context* ctx, const char* icon, const char* tooltip, const char* shortcut, bool disabled)
{
    qel_button_opts b = {};
    b.variant = QEL_BUTTON_GHOST;
    b.size = 1;
    b.tooltip = tooltip;
    b.shortcut = shortcut;
    b.disabled = disabled;
    b.width = {QEL_SIZE_FIXED, 26};
    return qel_icon_button(ctx, icon, &b);
}

// The bar's field; it takes the focus when the bar asked for it.
uint32_t bar_field(editor_frame& f, uint32_t id, char* text, int32_t capacity, const char* placeholder,
                   const char* icon)
{
    if (f.st->focus_field) qel_set_focus(f.ctx, id, false);
    f.st->focus_field = 0;
    qel_text_input_opts o = {};
    o.placeholder = placeholder;
    o.size = 1;
    o.width = {QEL_SIZE_GROW, 1};
    return qel_input_text_ex(f.ctx, id, text, capacity, &o, false, false, icon);
}

void find_bar(editor_frame& f, bool compact)
{
    qel_context* ctx = f.ctx;
    qel_code_editor_state* st = f.st;
    uint32_t r = bar_field(f, f.find_id, st->find_text, sizeof st->find_text, "Find",
                           compact ? nullptr : QEL_ICON_SEARCH);
    bool shift = (qel_modifiers(ctx) & QEL_MOD_SHIFT) != 0;
    int32_t lo = lo_of(st);
    if (r & QEL_INPUT_CHANGED) qel_code_doc_find(&f.doc, lo, 1);
    if ((r & QEL_INPUT_SUBMITTED) && shift) qel_code_doc_find(&f.doc, lo, 0);
    else if (r & QEL_INPUT_SUBMITTED) qel_code_doc_find(&f.doc, lo + (hi_of(st) > lo ? 1 : 0), 1);
    int32_t current = 0, count = count_matches(f, &current);
    if (st->find_text[0]) {
        const char* status = current ? qel_arena_sprintf(ctx, compact ? "%d/%d" : "%d of %d", current, count)
                             : count ? (compact ? qel_arena_sprintf(ctx, "%d", count)
                                                : qel_arena_sprintf(ctx, "%d match%s", count, count == 1 ? "" : "es"))
                                     : "No results";
        qel_color c = qel_theme_color(ctx, count ? QEL_COLOR_TEXT_SECONDARY : QEL_COLOR_TEXT_MUTED);
        qel_text_leaf(ctx, status, -1, QEL_FONT_BODY, qel_text_small_scaled(ctx), c, false, 0);
    }
    if (bar_button(ctx, QEL_ICON_CHEVRON_UP, "Previous match", "Shift Enter", count == 0))
        qel_code_doc_find(&f.doc, lo_of(st), 0);
    if (bar_button(ctx, QEL_ICON_CHEVRON_DOWN, "Next match", "Enter", count == 0))
        qel_code_doc_find(&f.doc, lo_of(st) + (hi_of(st) > lo_of(st) ? 1 : 0), 1);
}

// A decimal number at *p, saturating instead of overflowing; false when none starts there.
bool read_number(const char** p, int32_t* out)
{
    const char* s = *p;
    bool negative = *s == '-';
    if (negative || *s == '+') s++;
    if (*s < '0' || *s > '9') return false;
    int64_t value = 0;
    for (; *s >= '0' && *s <= '9'; s++) value = std::min<int64_t>(value * 10 + (*s - '0'), INT32_MAX);
    *out = (int32_t)(negative ? -value : value);
    *p = s;
    return true;
}

void goto_bar(editor_frame& f, bool compact)
{
    qel_code_editor_state* st = f.st;
    const char* placeholder =
        compact ? "Go to line" : qel_arena_sprintf(f.ctx, "Go to line, 1 to %d", f.doc.line_count);
    uint32_t r = bar_field(f, f.goto_id, st->goto_text, sizeof st->goto_text, placeholder,
                           compact ? nullptr : QEL_ICON_ARROW_DOWN);
    const char* p = st->goto_text;
    int32_t line = 0, column = 1;
    if (!(r & QEL_INPUT_SUBMITTED) || !read_number(&p, &line)) return;
    if (*p == ':') {
        p++;
        read_number(&p, &column);
    }
    go_to(f, line, column);
    st->bar_mode = 0;
}

void bar(editor_frame& f)
{
    qel_context* ctx = f.ctx;
    qel_code_editor_state* st = f.st;
    if (!st->bar_mode) return;
    bool compact = f.area.w + 2 < COMPACT_WIDTH;
    int32_t row = qel_node_sized_pushed(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node* n = qel_node_at(ctx, row);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->pad_top = n->pad_right = n->pad_bottom = n->pad_left = 6;
    n->gap = 4;
    n->fill = qel_theme_color(ctx, QEL_COLOR_SURFACE);
    qel_push_id(ctx, "bar");
    if (st->bar_mode == 1) find_bar(f, compact);
    else goto_bar(f, compact);
    if (bar_button(ctx, QEL_ICON_X, "Close", "Esc", false)) {
        st->bar_mode = 0;
        focus_text(f);
    }
    qel_pop_id(ctx);
    qel_node_pop(ctx);
    int32_t divider = qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, 1});
    qel_node_at(ctx, divider)->fill = qel_theme_color(ctx, QEL_COLOR_BORDER);
}

// --- Brackets and the payload ---

// The partner of the bracket at offset, counting the nesting of its pair through the text.
int32_t partner_of(const qel_code_doc* d, int32_t offset)
{
    static const char pairs[] = "()[]{}";
    const char* at = strchr(pairs, d->text[offset]);
    auto k = (int32_t)(at - pairs);
    char open = pairs[k & ~1], close = pairs[k | 1];
    int32_t step = (k & 1) ? -1 : 1, depth = 0;
    for (int32_t i = offset; i >= 0 && i < d->length; i += step) {
        if (d->text[i] == open) depth += step;
        else if (d->text[i] == close) depth -= step;
        if (depth == 0) return i;
    }
    return -1;
}

void bracket_pair(const editor_frame& f, int32_t* bracket, int32_t* partner)
{
    *bracket = *partner = -1;
    int32_t c = f.st->edit.caret;
    if (!f.focused || c != f.st->edit.anchor) return;
    auto is_bracket = [&](int32_t i) {
        return i >= 0 && i < f.doc.length && f.doc.text[i] && strchr("()[]{}", f.doc.text[i]);
    };
    int32_t at = is_bracket(c - 1) ? c - 1 : is_bracket(c) ? c : -1;
    if (at < 0) return;
    *bracket = at;
    *partner = partner_of(&f.doc, at);
}

// The next "/*" in [from, to), or null: a line without one cannot open a comment.
const char* next_opener(const char* text, int32_t from, int32_t to)
{
    const char* end = text + to;
    for (const char* p = text + from; p + 1 < end; p++) {
        p = (const char*)memchr(p, '/', (size_t)(end - 1 - p));
        if (!p) return nullptr;
        if (p[1] == '*') return p;
    }
    return nullptr;
}

// The block-comment state at the start of line. Outside a comment the scan jumps to the next
// line holding a "/*", as no comment opens in the lines before it.
uint8_t comment_state_at(const editor_frame& f, int32_t line)
{
    const qel_code_doc& d = f.doc;
    uint8_t state = 0;
    int32_t end = d.line_starts[line];
    for (int32_t at = 0; at < line && f.lang.block_comments; at++) {
        if (!state) {
            const char* opener = next_opener(d.text, d.line_starts[at], end);
            if (!opener) break;
            at = qel_code_doc_line_of(&d, (int32_t)(opener - d.text));
        }
        state = qel_code_doc_comment_state(&f.lang, d.text, d.line_starts[at], d.line_starts[at + 1] - 1, state);
    }
    return state;
}

qel_code_editor_view view_of(const editor_frame& f, int32_t bracket, int32_t partner, bool matches_shown)
{
    const qel_code_doc& d = f.doc;
    const qel_code_editor_state* st = f.st;
    qel_code_editor_view v = {};
    v.lang = f.lang;
    v.json = f.json;
    int32_t first = std::max(0, (int32_t)floor((st->scroll_y - QEL_CODE_EDITOR_TOP) / f.line_h));
    int32_t last = (int32_t)ceil((st->scroll_y + f.area.h + 12) / f.line_h) + 1;
    first = std::min(first, d.line_count - 1);
    last = std::clamp(last, first, d.line_count - 1);
    v.comment_state = comment_state_at(f, first);
    v.base = d.line_starts[first];
    v.first_line = first;
    v.lines = last - first + 1;
    int32_t end = d.line_starts[last + 1] - 1;
    v.text = qel_arena_strdup(f.ctx, d.text + v.base, end - v.base);
    auto* starts = (int32_t*)qel_arena_alloc(f.ctx, sizeof(int32_t) * (size_t)(v.lines + 1));
    for (int32_t k = 0; k <= v.lines; k++) starts[k] = d.line_starts[first + k] - v.base;
    v.starts = starts;
    v.line_count = d.line_count;
    v.caret = st->edit.caret;
    v.anchor = st->edit.anchor;
    v.caret_line = qel_code_doc_line_of(&d, st->edit.caret);
    v.bracket = bracket;
    v.matching_bracket = partner;
    v.find = matches_shown ? qel_arena_strdup(f.ctx, st->find_text, -1) : nullptr;
    v.find_length = (int32_t)strlen(st->find_text);
    v.placeholder = f.o->placeholder ? qel_arena_strdup(f.ctx, f.o->placeholder, -1) : nullptr;
    v.focused = f.focused;
    v.empty = d.length == 0;
    v.numbers = !f.o->hide_line_numbers;
    v.accent = qel_theme_get_accent(f.ctx) != QEL_ACCENT_NEUTRAL;
    v.tab_width = d.tab_width;
    v.size = f.size;
    v.line_height = f.line_h;
    v.char_width = f.cw;
    v.gutter = f.gutter;
    v.scroll_y = st->scroll_y;
    v.scroll_x = st->scroll_x;
    v.region_id = f.region_id;
    v.view_h = f.view_h;
    v.view_w = f.view_w;
    v.content_h = content_h(f);
    v.content_w = content_w(f);
    v.bar_fade = st->bar_fade;
    v.bar_drag = st->bar_drag;
    v.caret_time = f.ctx->text_fields.caret_time;
    return v;
}

void report_caret(const editor_frame& f)
{
    const qel_platform& p = f.ctx->platform;
    if (!p.set_text_caret_rect) return;
    int32_t line = qel_code_doc_line_of(&f.doc, f.st->edit.caret);
    float x = f.area.x + f.gutter + QEL_CODE_EDITOR_TEXT_GAP - f.st->scroll_x +
              (float)qel_code_doc_column_of(&f.doc, f.st->edit.caret) * f.cw;
    float y = f.area.y + QEL_CODE_EDITOR_TOP + (float)line * f.line_h - (float)f.st->scroll_y;
    p.set_text_caret_rect(p.user, x, y, 1, f.line_h);
}

}  // namespace

qel_code_editor_result qel_code_editor(qel_context* ctx, const char* label, char* buffer, int32_t capacity,
                                       const qel_code_editor_opts* options)
{
    const qel_code_editor_opts none = {};
    editor_frame f = {};
    setup(f, ctx, label, buffer, capacity, options ? options : &none);
    qel_code_editor_state* st = f.st;
    requests(f);
    bar_keys(f);
    qel_interaction it = qel_interact(ctx, f.area_id, QEL_INTERACT_FOCUSABLE | QEL_INTERACT_HOLD_OUTSIDE);
    f.focused = qel_focused_id(ctx) == f.area_id;
    pointer(f, it);
    if (f.focused) {
        qel_keep_tab(ctx, f.area_id);
        keys(f);
    }
    scroll(f);

    int32_t box = qel_viewer_box_begin(ctx, f.id);
    qel_node* n = qel_node_at(ctx, box);
    n->width = f.o->width.kind == QEL_SIZE_FIT ? qel_size{QEL_SIZE_GROW, 1} : f.o->width;
    float height = editor_height(f.o);
    n->height = height < 0 ? qel_size{QEL_SIZE_GROW, 1} : qel_size{QEL_SIZE_FIXED, height};
    n->min_h = 80;
    qel_anim_exp(ctx, &st->focus, f.focused ? 1.0f : 0.0f, 0.14f);
    n->border = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_BORDER), qel_focus_color(ctx), st->focus);
    bar(f);
    f.focused = qel_focused_id(ctx) == f.area_id;
    f.in_fields = qel_focused_id(ctx) == f.find_id || qel_focused_id(ctx) == f.goto_id;
    int32_t area = qel_node_sized(ctx, f.area_id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_GROW, 1});
    qel_node_mark_interactive(ctx, area, QEL_INTERACT_FOCUSABLE);
    int32_t bracket = -1, partner = -1;
    bracket_pair(f, &bracket, &partner);
    int32_t current = 0;
    int32_t matches = st->bar_mode == 1 ? count_matches(f, &current) : 0;
    qel_code_editor_view v = view_of(f, bracket, partner, st->bar_mode == 1 && st->find_text[0]);
    qel_node_draw_with(ctx, area, qel_code_editor_draw, &v, sizeof v, false);
    if (f.focused) {
        report_caret(f);
        qel_focus_ring(ctx, box, it.focus_visible ? 1.0f : 0.0f);
        if (!f.doc.read_only && !st->released) qel_text_set_active(ctx, &st->edit);
    }
    qel_viewer_box_end(ctx, box, f.id);

    qel_code_editor_result r = {};
    r.changed = f.doc.changed;
    r.refused = f.doc.refused;
    r.focused = f.focused || f.in_fields;
    r.caret = st->edit.caret;
    r.anchor = st->edit.anchor;
    r.line = qel_code_doc_line_of(&f.doc, st->edit.caret) + 1;
    r.column = qel_code_doc_column_of(&f.doc, st->edit.caret) + 1;
    r.line_count = f.doc.line_count;
    r.length = f.doc.length;
    r.bracket = bracket;
    r.matching_bracket = partner;
    r.match_count = matches;
    r.current_match = current;
    return r;
}

void qel_code_editor_goto(qel_context* ctx, const char* label, int32_t line, int32_t column)
{
    qel_code_editor_state* st = state_of(ctx, label);
    st->request_line = line;
    st->request_column = column;
    st->pending_goto = 1;
    qel_request_redraw(ctx);
}

void qel_code_editor_set_selection(qel_context* ctx, const char* label, int32_t anchor, int32_t caret)
{
    qel_code_editor_state* st = state_of(ctx, label);
    st->request_anchor = anchor;
    st->request_caret = caret;
    st->pending_select = 1;
    qel_request_redraw(ctx);
}

void qel_code_editor_find(qel_context* ctx, const char* label, const char* text)
{
    qel_code_editor_state* st = state_of(ctx, label);
    if (!text) {
        st->bar_mode = 0;
        return;
    }
    qel_utf8_copy(st->find_text, QEL_CODE_FIND_MAX + 1, text);
    st->bar_mode = 1;
    st->focus_field = 1;
    st->pending_find = 1;
    qel_request_redraw(ctx);
}
