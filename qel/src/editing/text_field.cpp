// A text field's behaviour: focus, the pointer and keyboard editing step with the clipboard and
// undo, the caret kept in view, and the text area's drawing. The box, label and buttons around it are text_input.cpp's.
#include "editing/text_field.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "core/core.h"
#include "qel/anim.h"
#include "qel/color.h"
#include "qel/font.h"
#include "qel/frame.h"
#include "qel/state.h"
#include "qel/text_units.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/state_records.h"
#include "text/text_lines.h"

static const float EASE_SECONDS = 0.14f;
static const float WHEEL_STEP = 40.0f;
static const float UNKNOWN_WRAP_WIDTH = 200.0f;
static const uint32_t LINES_KEY = 0x11E5;  // the field's kept line table
static const char BULLET[] = "\xE2\x80\xA2";
static const int32_t BULLET_BYTES = 3;

bool qel_text_edit_active(qel_context* ctx)
{
    return ctx->text_fields.active || ctx->text_fields.active_last_frame;
}

void qel_text_activate(qel_context* ctx, uint32_t id)
{
    qel_set_focus(ctx, id, false);
    ctx->text_fields.select_all = id;
}

void qel_text_font_override(qel_context* ctx, int32_t font, float size)
{
    qel_text_fields* t = &ctx->text_fields;
    t->override_set = 1;
    t->override_font = font;
    t->override_size = size;
}

void qel_text_set_active(qel_context* ctx, qel_text_input_state* state)
{
    ctx->text_fields.active = state;
}

void qel_text_caret_moved(qel_context* ctx)
{
    ctx->text_fields.caret_time = ctx->clock.time;
}

void qel_keep_tab(qel_context* ctx, uint32_t id)
{
    ctx->interaction.tab_keeper = id;
}

// --- The shown text ---
// A masked field shows one bullet per character; positions map between the buffer and the bullets,
// so that hits, the caret and the selection land where the bullets are drawn.

static bool is_continuation(char c)
{
    return ((uint8_t)c & 0xC0) == 0x80;
}

static int32_t chars_before(const char* text, int32_t offset)
{
    int32_t n = 0;
    for (int32_t i = 0; i < offset; i++) n += !is_continuation(text[i]);
    return n;
}

static int32_t to_shown(const qel_text_field* f, int32_t offset)
{
    return f->masked ? BULLET_BYTES * chars_before(f->buffer, offset) : offset;
}

static int32_t from_shown(const qel_text_field* f, int32_t shown)
{
    if (!f->masked) return shown;
    int32_t chars = shown / BULLET_BYTES, offset = 0;
    while (chars-- > 0 && offset < f->length) offset = qel_utf8_next(f->buffer, f->length, offset);
    return offset;
}

static void refresh(qel_text_field* f)
{
    if (!f->stale) return;
    f->stale = 0;
    f->shown = f->buffer;
    f->shown_length = f->length;
    if (f->masked) {
        int32_t n = chars_before(f->buffer, f->length);
        char* bullets = (char*)qel_arena_alloc(f->ctx, (size_t)(n * BULLET_BYTES + 1));
        for (int32_t i = 0; i < n; i++) memcpy(bullets + i * BULLET_BYTES, BULLET, BULLET_BYTES);
        f->shown = bullets;
        f->shown_length = n * BULLET_BYTES;
    }
    if (!f->multiline) return;
    float wrap = f->area.w > 0 ? f->area.w : UNKNOWN_WRAP_WIDTH;
    // The lines are kept from frame to frame, so that an edit re-wraps only its paragraph.
    uint32_t key = f->id ^ LINES_KEY;
    auto* cache = (qel_text_lines_cache*)qel_state_get(f->ctx, key, sizeof(qel_text_lines_cache));
    qel_state_set_destructor(f->ctx, key, qel_text_lines_release);
    f->line_count = qel_text_lines_build(f->ctx, cache, f->font, f->size, f->shown, f->shown_length, wrap, &f->lines);
}

static float shown_width(const qel_text_field* f, int32_t from, int32_t to)
{
    return qel_text_width(f->ctx, f->font, f->size, f->shown + from, to - from, 0);
}

static int32_t caret_line(qel_text_field* f)
{
    refresh(f);
    return qel_text_line_index(f->lines, f->line_count, to_shown(f, f->st->caret));
}

// The caret's x from the start of its line (of the text, in one line).
static float caret_x(qel_text_field* f)
{
    refresh(f);
    int32_t start = 0;
    if (f->multiline) {
        int32_t row = caret_line(f);
        start = f->lines[row].start;
    }
    return shown_width(f, start, to_shown(f, f->st->caret));
}

// The offset nearest to x on a line; a hit at the end of a soft-wrapped line stays on that line.
static int32_t hit_in_line(qel_text_field* f, int32_t row, float x)
{
    const qel_text_line& line = f->lines[row];
    int32_t o = line.start + qel_text_hit(f->ctx, f->font, f->size, f->shown + line.start, line.end - line.start, x);
    if (o == line.end && o > line.start && row + 1 < f->line_count && f->lines[row + 1].start == o)
        o = qel_utf8_prev(f->shown, o);
    return from_shown(f, o);
}

static int32_t hit_at(qel_text_field* f, float px, float py)
{
    refresh(f);
    float x = px - f->area.x + f->st->scroll_x;
    if (!f->multiline) return from_shown(f, qel_text_hit(f->ctx, f->font, f->size, f->shown, f->shown_length, x));
    int32_t row = (int32_t)floorf((py - f->area.y + f->st->scroll_y) / f->row_height);
    return hit_in_line(f, std::clamp(row, 0, f->line_count - 1), x);
}

// --- Editing ---

static int32_t selection_start(const qel_text_input_state* s)
{
    return std::min(s->caret, s->anchor);
}

static int32_t selection_end(const qel_text_input_state* s)
{
    return std::max(s->caret, s->anchor);
}

static void caret_to(qel_text_field* f, int32_t offset, bool extend)
{
    f->st->caret = offset;
    if (!extend) f->st->anchor = offset;
    f->st->preferred_x = -1;
    qel_text_caret_moved(f->ctx);
}

static void changed(qel_text_field* f)
{
    f->result |= QEL_INPUT_CHANGED;
    f->st->caret_after_edit = f->st->caret;
    f->st->preferred_x = -1;
    f->stale = 1;
    qel_text_caret_moved(f->ctx);
}

static void delete_range(qel_text_field* f, uint32_t kind, int32_t from, int32_t to)
{
    if (from >= to) return;
    qel_text_push_undo(f->ctx, f->st, f->buffer, kind);
    qel_text_delete(f->buffer, &f->length, from, to);
    f->st->caret = f->st->anchor = from;
    changed(f);
}

// Replaces the selection by text; nothing when neither a selection nor room for text is there.
static void replace_selection(qel_text_field* f, uint32_t kind, const char* text, int32_t length)
{
    qel_text_input_state* s = f->st;
    int32_t from = selection_start(s), to = selection_end(s);
    if (from == to && f->length >= f->capacity - 1) return;
    qel_text_push_undo(f->ctx, s, f->buffer, kind);
    qel_text_delete(f->buffer, &f->length, from, to);
    int32_t stored = qel_text_insert_raw(f->buffer, &f->length, f->capacity, from, text, length, f->multiline);
    s->caret = s->anchor = from + stored;
    changed(f);
}

static void copy_selection(qel_text_field* f)
{
    const qel_platform& p = f->ctx->platform;
    int32_t from = selection_start(f->st), to = selection_end(f->st);
    if (f->masked || from == to || !p.set_clipboard) return;
    p.set_clipboard(p.user, qel_arena_strdup(f->ctx, f->buffer + from, to - from));
}

static void paste(qel_text_field* f)
{
    const qel_platform& p = f->ctx->platform;
    const char* text = p.get_clipboard ? p.get_clipboard(p.user) : nullptr;
    if (!text || !*text) return;
    replace_selection(f, QEL_EDIT_OTHER, text, (int32_t)strlen(text));
    f->st->last_edit_time = 0;
}

static void undo(qel_text_field* f, bool redo)
{
    if (!qel_text_undo(f->ctx, f->st, f->buffer, f->capacity, redo)) return;
    f->length = (int32_t)strlen(f->buffer);
    changed(f);
}

static void select_word(qel_text_field* f, int32_t hit)
{
    const char* t = f->buffer;
    bool on_word = hit < f->length && qel_text_char_class((uint8_t)t[hit]);
    f->st->anchor = qel_text_prev_word(t, on_word ? hit + 1 : hit);
    f->st->caret = qel_text_next_word(t, f->length, hit);
}

static void edit_pointer(qel_text_field* f)
{
    qel_text_input_state* s = f->st;
    const qel_input* in = &f->ctx->input;
    if (f->it.active && (in->down[0] || in->pressed[0]) && f->area.w > 0) {
        int32_t hit = hit_at(f, in->mouse_x, in->mouse_y);
        bool moved = true;
        if (in->pressed[0] && in->click_count > 2) {
            s->anchor = 0;
            s->caret = f->length;
        } else if (in->pressed[0] && in->click_count == 2) {
            select_word(f, hit);
        } else if (in->pressed[0]) {
            caret_to(f, hit, (in->modifiers & QEL_MOD_SHIFT) != 0);
        } else if (s->dragging && in->click_count < 2) {
            s->caret = hit;
        } else {
            moved = false;
        }
        if (in->pressed[0]) s->dragging = 1;
        if (moved) {
            qel_text_caret_moved(f->ctx);
            s->preferred_x = -1;
        }
    }
    if (!in->down[0]) s->dragging = 0;
}

// Up or down a line at the preferred x, kept while moving vertically; past the first line to the
// start, past the last to the end.
static void move_vertically(qel_text_field* f, int32_t direction, bool extend)
{
    qel_text_input_state* s = f->st;
    if (s->preferred_x < 0) s->preferred_x = caret_x(f);
    int32_t row = caret_line(f) + direction;
    int32_t to = row < 0 ? 0 : row >= f->line_count ? f->length : hit_in_line(f, row, s->preferred_x);
    float keep = s->preferred_x;
    caret_to(f, to, extend);
    s->preferred_x = keep;  // only moving up and down remembers where the caret came from
}

static int32_t line_home(qel_text_field* f)
{
    int32_t row = caret_line(f);
    return from_shown(f, f->lines[row].start);
}

// The end of the caret's line, before the blank of a soft break so the caret stays on it.
static int32_t line_end(qel_text_field* f)
{
    int32_t row = caret_line(f);
    const qel_text_line& line = f->lines[row];
    int32_t end = line.end;
    if (row + 1 < f->line_count && f->lines[row + 1].start == end && end > line.start)
        end = qel_utf8_prev(f->shown, end);
    return from_shown(f, end);
}

static void horizontal_keys(qel_text_field* f, bool shift, bool ctrl)
{
    qel_text_input_state* s = f->st;
    const qel_input* in = &f->ctx->input;
    for (int32_t n = in->key_presses[QEL_KEY_LEFT]; n > 0; n--) {
        int32_t to = s->caret != s->anchor && !shift ? selection_start(s)
                     : ctrl                          ? qel_text_prev_word(f->buffer, s->caret)
                                                     : qel_utf8_prev(f->buffer, s->caret);
        caret_to(f, to, shift);
    }
    for (int32_t n = in->key_presses[QEL_KEY_RIGHT]; n > 0; n--) {
        int32_t to = s->caret != s->anchor && !shift ? selection_end(s)
                     : ctrl                          ? qel_text_next_word(f->buffer, f->length, s->caret)
                                                     : qel_utf8_next(f->buffer, f->length, s->caret);
        caret_to(f, to, shift);
    }
    bool by_line = f->multiline && !ctrl;
    if (qel_key_pressed(f->ctx, QEL_KEY_HOME)) caret_to(f, by_line ? line_home(f) : 0, shift);
    if (qel_key_pressed(f->ctx, QEL_KEY_END)) caret_to(f, by_line ? line_end(f) : f->length, shift);
}

static void deleting_keys(qel_text_field* f, bool ctrl)
{
    qel_text_input_state* s = f->st;
    const qel_input* in = &f->ctx->input;
    for (int32_t n = in->key_presses[QEL_KEY_BACKSPACE]; n > 0; n--) {
        if (s->caret != s->anchor)
            delete_range(f, QEL_EDIT_OTHER, selection_start(s), selection_end(s));
        else
            delete_range(f, QEL_EDIT_DELETING,
                         ctrl ? qel_text_prev_word(f->buffer, s->caret) : qel_utf8_prev(f->buffer, s->caret), s->caret);
    }
    for (int32_t n = in->key_presses[QEL_KEY_DELETE]; n > 0; n--) {
        if (s->caret != s->anchor)
            delete_range(f, QEL_EDIT_OTHER, selection_start(s), selection_end(s));
        else
            delete_range(f, QEL_EDIT_DELETING, s->caret,
                         ctrl ? qel_text_next_word(f->buffer, f->length, s->caret)
                              : qel_utf8_next(f->buffer, f->length, s->caret));
    }
}

static constexpr int32_t letter(char c)
{
    return QEL_KEY_A + (c - 'A');
}

// Ctrl with a letter, but not Ctrl+Alt, which types characters on many keyboards.
static bool command(qel_context* ctx, int32_t key)
{
    uint32_t m = qel_modifiers(ctx);
    return (m & QEL_MOD_CTRL) && !(m & QEL_MOD_ALT) && qel_key_pressed(ctx, key);
}

static void command_keys(qel_text_field* f, bool shift)
{
    qel_context* ctx = f->ctx;
    qel_text_input_state* s = f->st;
    if (command(ctx, letter('A'))) {
        s->anchor = 0;
        caret_to(f, f->length, true);
    }
    if (command(ctx, letter('C'))) copy_selection(f);
    if (command(ctx, letter('X'))) {
        copy_selection(f);
        if (f->editable) delete_range(f, QEL_EDIT_OTHER, selection_start(s), selection_end(s));
    }
    if (!f->editable) return;
    if (command(ctx, letter('V'))) paste(f);
    if (command(ctx, letter('Z'))) undo(f, shift);
    if (command(ctx, letter('Y'))) undo(f, true);
}

static void edit_keys(qel_text_field* f)
{
    qel_context* ctx = f->ctx;
    qel_text_input_state* s = f->st;
    uint32_t mods = qel_modifiers(ctx);
    bool shift = (mods & QEL_MOD_SHIFT) != 0, ctrl = (mods & QEL_MOD_CTRL) != 0;
    horizontal_keys(f, shift, ctrl);
    if (f->multiline && qel_key_pressed(ctx, QEL_KEY_UP)) move_vertically(f, -1, shift);
    if (f->multiline && qel_key_pressed(ctx, QEL_KEY_DOWN)) move_vertically(f, 1, shift);
    command_keys(f, shift);
    if (f->editable) deleting_keys(f, ctrl);
    if (qel_key_pressed(ctx, QEL_KEY_ENTER)) {
        if (!f->multiline || ctrl)
            f->result |= QEL_INPUT_SUBMITTED;
        else if (f->editable)
            replace_selection(f, QEL_EDIT_OTHER, "\n", 1);
    }
    if (qel_key_pressed(ctx, QEL_KEY_ESCAPE)) {
        if (s->caret != s->anchor) {
            s->anchor = s->caret;
        } else {
            qel_set_focus(ctx, 0, false);
            f->focused = 0;
            f->result |= QEL_INPUT_FOCUS_LOST;
        }
    }
    const qel_input* in = &ctx->input;
    if (f->editable && in->text_length > 0 && (!ctrl || (mods & QEL_MOD_ALT)))
        replace_selection(f, s->caret != s->anchor ? QEL_EDIT_OTHER : QEL_EDIT_TYPING, in->text, in->text_length);
}

// --- Keeping the caret in view ---

static void keep_caret_in_view(qel_text_field* f)
{
    qel_text_input_state* s = f->st;
    float w = f->area.w, h = f->area.h;
    if (w <= 0) return;  // not laid out yet
    if (!f->multiline) {
        float c = caret_x(f);
        if (c - s->scroll_x > w - 2) s->scroll_x = c - w + 2;
        if (c - s->scroll_x < 0) s->scroll_x = c;
        float text_w = shown_width(f, 0, f->shown_length);
        if (text_w - s->scroll_x < w - 2) s->scroll_x = std::max(0.0f, text_w - w + 2);
        return;
    }
    float rh = f->row_height, y = (float)caret_line(f) * rh;
    if (y - s->scroll_y > h - rh) s->scroll_y = y - h + rh;
    if (y - s->scroll_y < 0) s->scroll_y = y;
    s->scroll_y = std::min(s->scroll_y, std::max(0.0f, (float)f->line_count * rh - h));
}

static void report_caret(qel_text_field* f)
{
    const qel_platform& p = f->ctx->platform;
    if (!p.set_text_caret_rect) return;
    float x = f->multiline ? f->area.x : f->area.x + caret_x(f) - f->st->scroll_x;
    p.set_text_caret_rect(p.user, x, f->area.y, 1, f->area.h);
}

static void snap_to_characters(qel_text_field* f)
{
    qel_text_input_state* s = f->st;
    s->caret = qel_text_char_start(f->buffer, f->length, s->caret);
    s->anchor = qel_text_char_start(f->buffer, f->length, s->anchor);
}

static void edit(qel_text_field* f)
{
    edit_pointer(f);
    edit_keys(f);
    snap_to_characters(f);  // hits and word starts in broken text may fall on a stray continuation byte
    if (!f->focused) return;  // Escape gave the focus up
    keep_caret_in_view(f);
    report_caret(f);
    qel_request_redraw_in(f->ctx, (float)QEL_CARET_BLINK_SECONDS);
}

// --- The field's frame ---

// The text's length; a buffer without a terminator is cut before its last byte, at a character.
static int32_t terminated_length(char* buffer, int32_t capacity)
{
    const char* end = (const char*)memchr(buffer, 0, (size_t)capacity);
    if (end) return (int32_t)(end - buffer);
    int32_t n = qel_text_char_start(buffer, capacity, capacity - 1);
    buffer[n] = 0;
    return n;
}

static void choose_font(qel_text_field* f)
{
    qel_text_fields* t = &f->ctx->text_fields;
    if (t->override_set) {
        f->font = t->override_font;
        f->size = t->override_size;
        t->override_set = 0;
    } else {
        const qel_theme* theme = qel_theme_block_get(f->ctx);
        f->font = QEL_FONT_BODY;
        f->size = (f->opts->size == 1 ? theme->text_small : theme->text_body) * theme->ui_scale;
    }
    f->row_height = f->size * (f->size > 18 ? 1.3f : 1.5f);
}

static void focus_step(qel_text_field* f)
{
    qel_text_input_state* s = f->st;
    f->focused = qel_focused_id(f->ctx) == f->id;
    if (!f->focused) {
        if (s->focused_last_frame) f->result |= QEL_INPUT_FOCUS_LOST;
        s->focused_last_frame = s->dragging = 0;
        return;
    }
    if (!s->focused_last_frame) {
        f->result |= QEL_INPUT_FOCUS_GAINED;
        qel_text_caret_moved(f->ctx);
    }
    edit(f);
    s->focused_last_frame = f->focused;
    if (f->focused) qel_text_set_active(f->ctx, s);
}

static void wheel(qel_text_field* f)
{
    qel_input* in = &f->ctx->input;
    if (!f->multiline || !f->it.hovered || in->wheel_y == 0) return;
    refresh(f);
    float most = std::max(0.0f, (float)f->line_count * f->row_height - f->area.h);
    f->st->scroll_y = std::clamp(f->st->scroll_y - WHEEL_STEP * in->wheel_y, 0.0f, most);
    in->wheel_x = in->wheel_y = 0;
}

uint32_t qel_text_field_begin(qel_text_field* f, qel_context* ctx, uint32_t id, char* buffer, int32_t capacity,
                              const qel_text_input_opts* opts, bool multiline)
{
    *f = {};
    f->ctx = ctx;
    f->id = id;
    f->buffer = buffer;
    f->capacity = capacity;
    f->opts = opts;
    f->multiline = multiline;
    f->stale = 1;
    f->disabled = qel_item_disabled(ctx, opts->disabled);
    f->editable = !f->disabled && !opts->read_only;
    f->length = terminated_length(buffer, capacity);
    qel_text_input_state* s = f->st = qel_state_record_of<qel_text_input_state>(ctx, id, "qel_text_input_state");
    if (!s->initialised) {
        qel_text_state_init(ctx, id, s);
        if (opts->autofocus) qel_set_focus(ctx, id, false);
    }
    if (ctx->text_fields.select_all == id && qel_focused_id(ctx) == id) {
        s->caret = f->length;
        s->anchor = 0;
        s->scroll_x = 0;
        ctx->text_fields.select_all = 0;
    }
    f->it = qel_interact_item(ctx, id, QEL_INTERACT_FOCUSABLE | QEL_INTERACT_HOLD_OUTSIDE | QEL_INTERACT_NO_KEYS,
                              f->disabled);
    if (f->it.hovered) qel_set_cursor(ctx, QEL_CURSOR_IBEAM);
    choose_font(f);
    f->masked = opts->password && !s->password_shown;
    snap_to_characters(f);
    f->area = qel_id_rect(ctx, qel_text_area_id(id));
    focus_step(f);
    qel_anim_exp(ctx, &s->hover, f->it.hovered ? 1.0f : 0.0f, EASE_SECONDS);
    qel_anim_exp(ctx, &s->focus, f->focused ? 1.0f : 0.0f, EASE_SECONDS);
    wheel(f);
    return f->result;
}

// --- Drawing ---

// What the draw callback paints, copied into the frame arena. Offsets are into the shown text.
struct qel_text_draw {
    const char* text;
    int32_t length, caret, anchor;
    uint8_t focused, multiline;
    float scroll_x, scroll_y;
    double caret_age;  // seconds since the caret last moved
    int32_t font;
    float size, row_height;
    const char* placeholder;
    qel_color text_color, placeholder_color, caret_color, selection_color;
    const qel_text_line* lines;
    int32_t line_count;
};

static qel_color selection_color(qel_context* ctx, bool accent)
{
    if (accent) return qel_color_alpha(qel_color_resolve(ctx, qel_color_token(QEL_COLOR_ACCENT)), 0.26f);
    return qel_color_alpha(qel_color_oklch(0.6f, 0.13f, 250, 1), 0.28f);
}

static void fill_draw_record(qel_text_field* f, qel_text_draw* d)
{
    qel_context* ctx = f->ctx;
    refresh(f);
    bool accent = qel_theme_get_accent(ctx) != QEL_ACCENT_NEUTRAL;
    d->text = qel_arena_strdup(ctx, f->shown, f->shown_length);
    d->length = f->shown_length;
    d->caret = to_shown(f, f->st->caret);
    d->anchor = to_shown(f, f->st->anchor);
    d->focused = f->focused;
    d->multiline = f->multiline;
    d->scroll_x = f->st->scroll_x;
    d->scroll_y = f->st->scroll_y;
    d->caret_age = ctx->clock.time - ctx->text_fields.caret_time;
    d->font = f->font;
    d->size = f->size;
    d->row_height = f->row_height;
    d->placeholder = qel_arena_strdup(ctx, f->opts->placeholder, -1);
    d->text_color = qel_color_token(QEL_COLOR_TEXT);
    d->placeholder_color = qel_color_token(QEL_COLOR_TEXT_MUTED);
    d->caret_color = qel_color_token(accent ? QEL_COLOR_ACCENT : QEL_COLOR_TEXT);
    d->selection_color = selection_color(ctx, accent);
    d->lines = f->lines;
    d->line_count = f->line_count;
}

static float draw_width(qel_context* ctx, const qel_text_draw* d, int32_t from, int32_t to)
{
    return qel_text_width(ctx, d->font, d->size, d->text + from, to - from, 0);
}

// A blinking bar; at the very start it stands inside the area rather than half outside it.
static void draw_caret(qel_context* ctx, const qel_text_draw* d, float x, float y, float line_h, bool at_start)
{
    double t = d->caret_age;
    if (!d->focused || d->caret != d->anchor) return;
    if (!(cos(2 * std::numbers::pi * t / 1.06) * 0.5 + 0.5 > 0.35 || t < 0.5)) return;
    float ps = ctx->clock.scale;
    float cx = roundf(x * ps) / ps - (at_start ? 0.0f : 0.5f);
    const float radii[4] = {0.75f, 0.75f, 0.75f, 0.75f};
    qel_rect bar = {cx, y, 1.5f, line_h};
    qel_draw_rect(ctx, &bar, radii, d->caret_color);
}

static void draw_placeholder(qel_context* ctx, const qel_node* node, const qel_text_draw* d, float line_h)
{
    const qel_rect& r = node->rect;
    if (d->length > 0 || !d->placeholder) return;
    float x = r.x;
    if (node->rtl) x += std::max(0.0f, r.w - qel_text_width(ctx, d->font, d->size, d->placeholder, -1, 0));
    float y = d->multiline ? r.y - d->scroll_y + (d->row_height - line_h) * 0.5f : r.y + (r.h - line_h) * 0.5f;
    qel_draw_text_ellipsis(ctx, d->font, d->size, x, y, r.w, d->placeholder_color, d->placeholder, -1, 0);
}

static void draw_line(qel_context* ctx, const qel_rect& r, const qel_text_draw* d, float line_h)
{
    float tx = r.x - d->scroll_x, ty = r.y + (r.h - line_h) * 0.5f;
    int32_t lo = std::min(d->caret, d->anchor), hi = std::max(d->caret, d->anchor);
    if (d->focused && lo != hi) {
        float x0 = tx + draw_width(ctx, d, 0, lo), x1 = tx + draw_width(ctx, d, 0, hi);
        const float radii[4] = {3, 3, 3, 3};
        qel_rect sel = {x0, ty - 1, x1 - x0, line_h + 2};
        qel_draw_rect(ctx, &sel, radii, d->selection_color);
    }
    qel_draw_text(ctx, d->font, d->size, tx, ty, d->text_color, d->text, d->length, 0);
    float cx = draw_width(ctx, d, 0, d->caret);
    draw_caret(ctx, d, tx + cx, ty, line_h, cx == 0);
}

static void draw_rows(qel_context* ctx, const qel_rect& r, const qel_text_draw* d, float line_h)
{
    int32_t lo = std::min(d->caret, d->anchor), hi = std::max(d->caret, d->anchor);
    int32_t caret_row = qel_text_line_index(d->lines, d->line_count, d->caret);
    const float radii[4] = {2, 2, 2, 2};
    for (int32_t i = 0; i < d->line_count; i++) {
        float y = r.y - d->scroll_y + (float)i * d->row_height;
        if (y + d->row_height <= r.y || y >= r.y + r.h) continue;
        float ty = y + (d->row_height - line_h) * 0.5f;
        const qel_text_line& line = d->lines[i];
        int32_t s = std::max(lo, line.start), e = std::min(hi, line.end);
        if (d->focused && lo != hi && (s < e || (lo <= line.end && hi > line.end))) {
            float x0 = r.x + draw_width(ctx, d, line.start, s), x1 = r.x + draw_width(ctx, d, line.start, e);
            if (hi > line.end) x1 += 4;  // the selection goes on past the row
            qel_rect sel = {x0, y, x1 - x0, d->row_height};
            qel_draw_rect(ctx, &sel, radii, d->selection_color);
        }
        qel_draw_text(ctx, d->font, d->size, r.x, ty, d->text_color, d->text + line.start, line.end - line.start, 0);
        if (i != caret_row) continue;
        float cx = draw_width(ctx, d, line.start, d->caret);
        draw_caret(ctx, d, r.x + cx, ty, line_h, cx == 0);
    }
}

static void qel_input_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* d = (const qel_text_draw*)user;
    float line_h = qel_line_height(ctx, d->font, d->size);
    qel_draw_push_clip(ctx, &node->rect);
    draw_placeholder(ctx, node, d, line_h);
    if (d->multiline)
        draw_rows(ctx, node->rect, d, line_h);
    else
        draw_line(ctx, node->rect, d, line_h);
    qel_draw_pop_clip(ctx);
}

int32_t qel_text_field_area(qel_text_field* f)
{
    int32_t index = qel_node_open(f->ctx, qel_text_area_id(f->id));
    qel_node* n = qel_node_at(f->ctx, index);
    n->width = {QEL_SIZE_GROW, 1};
    if (f->multiline) {
        n->height = {QEL_SIZE_GROW, 1};
        n->align_self = QEL_ALIGN_STRETCH;
    } else {
        n->height = {QEL_SIZE_FIXED, f->row_height};
        n->align_self = QEL_ALIGN_CENTER;
    }
    f->draw = (qel_text_draw*)qel_arena_alloc(f->ctx, sizeof(qel_text_draw));
    fill_draw_record(f, f->draw);
    n->draw = qel_input_draw;
    n->draw_user = f->draw;
    return index;
}

void qel_text_field_clear(qel_text_field* f)
{
    qel_text_input_state* s = f->st;
    qel_text_push_undo(f->ctx, s, f->buffer, QEL_EDIT_OTHER);
    f->buffer[0] = 0;
    f->length = s->caret = s->anchor = 0;
    s->scroll_x = s->scroll_y = 0;
    s->last_edit_time = 0;
    qel_set_focus(f->ctx, f->id, false);
    changed(f);
    if (f->draw) fill_draw_record(f, f->draw);  // the area was built before the button
}
