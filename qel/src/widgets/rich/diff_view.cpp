// The diff viewer's frame: the record kept per id (the diff, syntax states, display rows and
// folds), recomputed only when its inputs change; the hunk binding, pointer and keys; and the
// box with its header and the virtualised list of rows.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/core.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/color.h"
#include "qel/font.h"
#include "qel/frame.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/scroll_container.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "widgets/rich/diff_search.h"
#include "widgets/rich/diff_view_parts.h"
#include "widgets/rich/viewer_box.h"

namespace {

constexpr uint32_t STATE_KEY = 0xd1ff0, LIST_KEY = 0xd1ff11, SCROLL_KEY = 0xd1ff5c;

struct view_frame {
    qel_context* ctx;
    const qel_diff_view_options* o;
    uint32_t id, list_id, scroll_id;
    qel_diff_view_state* st;
    qel_diff_record* rec;
    qel_scroll_state* scroll;
    qel_rect list;  // last frame's
    float size, row_h, d, number_w;
    bool unified;
    int32_t context;
};

void release(qel_diff_record* rec, void* block)
{
    if (block) rec->alloc.free_fn(block, rec->alloc.user);
}

qel_diff_record* make_record(qel_context* ctx)
{
    auto* rec = (qel_diff_record*)ctx->alloc.malloc_fn(sizeof(qel_diff_record), ctx->alloc.user);
    if (!rec) return nullptr;
    *rec = {};
    rec->alloc = {ctx->alloc.malloc_fn, ctx->alloc.realloc_fn, ctx->alloc.free_fn, ctx->alloc.user};
    rec->diff.alloc = &rec->alloc;
    return rec;
}

void free_states(qel_diff_record* rec)
{
    for (uint8_t*& s : rec->states) release(rec, s), s = nullptr;
    rec->states_valid = 0;
}

bool same_inputs(const qel_diff_result& d, const char* a, uint64_t al, const char* b, uint64_t bl, bool ignore)
{
    return d.old_text && d.new_text && d.old_length == al && d.new_length == bl && d.ignore_line_endings == ignore &&
           memcmp(d.old_text, a, al) == 0 && memcmp(d.new_text, b, bl) == 0;
}

// The diff, and with it everything that belongs to its lines: folds, hunk rows, rows and the
// syntax states (kept for new lines they would colour wrongly, or read past their end).
void recompute(view_frame& f, const char* a, const char* b)
{
    qel_diff_record* rec = f.rec;
    uint64_t al = strnlen(a, QEL_DIFF_MAX_TEXT + 1), bl = strnlen(b, QEL_DIFF_MAX_TEXT + 1);
    bool ignore = f.o->ignore_line_endings != 0;
    if (same_inputs(rec->diff, a, al, b, bl, ignore)) return;
    qel_diff_compute(&rec->diff, a, al, b, bl, ignore, true);
    rec->rows_valid = 0;
    free_states(rec);
    release(rec, rec->expanded);
    release(rec, rec->hunk_rows);
    int32_t hunks = rec->diff.hunk_count;
    rec->expanded = (uint8_t*)qel_diff_alloc_array(&rec->alloc, (int64_t)hunks + 1, 1);
    rec->hunk_rows = (int32_t*)qel_diff_alloc_array(&rec->alloc, hunks, sizeof(int32_t));
    if (rec->expanded) memset(rec->expanded, 0, (size_t)hunks + 1);
    if (rec->hunk_rows) memset(rec->hunk_rows, 0, (size_t)hunks * sizeof(int32_t));
    f.st->current_hunk = std::min(f.st->current_hunk, hunks - 1);
}

void syntax_states(view_frame& f)
{
    qel_diff_record* rec = f.rec;
    const char* language = f.o->language;
    if (!language || !*language) return;
    uint32_t hash = qel_diff_fnv1a(language, strlen(language));
    if (rec->states_valid && rec->language_hash == hash) return;
    free_states(rec);
    qel_code_token tokens[QEL_CODE_MAX_TOKENS];
    for (int32_t side = 0; side < 2; side++) {
        const qel_diff_result& d = rec->diff;
        int32_t count = side ? d.new_line_count : d.old_line_count;
        const qel_diff_line* lines = side ? d.new_lines : d.old_lines;
        const char* text = side ? d.new_text : d.old_text;
        uint8_t* states = (uint8_t*)qel_diff_alloc_array(&rec->alloc, count, 1);
        rec->states[side] = states;
        uint8_t state = 0;
        for (int32_t i = 0; states && i < count; i++) {
            states[i] = state;
            int32_t length = std::min((int32_t)lines[i].length, QEL_DIFF_SHOWN_BYTES);
            qel_code_tokenize(language, text + lines[i].start, length, &state, tokens, QEL_CODE_MAX_TOKENS);
        }
    }
    rec->language_hash = hash;
    rec->states_valid = 1;
}

bool row_push(qel_diff_record* rec, uint8_t kind, int32_t old_line, int32_t new_line, int32_t hunk)
{
    if (rec->row_count == rec->row_capacity) {
        int64_t capacity = rec->row_capacity ? (int64_t)rec->row_capacity * 2 : 256;
        if (capacity > INT32_MAX) return false;
        void* grown = rec->alloc.realloc_fn(rec->rows, (size_t)capacity * sizeof(qel_diff_row), rec->alloc.user);
        if (!grown) return false;
        rec->rows = (qel_diff_row*)grown;
        rec->row_capacity = (int32_t)capacity;
    }
    rec->rows[rec->row_count++] = {old_line, new_line, hunk, -1, 0, kind};
    return true;
}

bool context_rows(qel_diff_record* rec, int32_t old_line, int32_t new_line, int32_t count)
{
    for (int32_t i = 0; i < count; i++)
        if (!row_push(rec, QEL_DIFF_ROW_CONTEXT, old_line + i, new_line + i, -1)) return false;
    return true;
}

bool hunk_rows(qel_diff_record* rec, const qel_diff_hunk& h, int32_t index, bool unified)
{
    if (unified) {
        for (int32_t i = 0; i < h.old_count; i++)
            if (!row_push(rec, QEL_DIFF_ROW_REMOVED, h.old_start + i, -1, index)) return false;
        for (int32_t i = 0; i < h.new_count; i++)
            if (!row_push(rec, QEL_DIFF_ROW_ADDED, -1, h.new_start + i, index)) return false;
        return true;
    }
    for (int32_t i = 0; i < std::max(h.old_count, h.new_count); i++) {
        bool o = i < h.old_count, n = i < h.new_count;
        uint8_t kind = o && n ? QEL_DIFF_ROW_CHANGED : o ? QEL_DIFF_ROW_REMOVED : QEL_DIFF_ROW_ADDED;
        if (!row_push(rec, kind, o ? h.old_start + i : -1, n ? h.new_start + i : -1, index)) return false;
    }
    return true;
}

// Gap g runs up to hunk g (the last to the texts' ends); a run of at least 3 lines beyond the
// context kept around hunks folds unless it was opened.
bool qel_diff_build_rows(view_frame& f)
{
    qel_diff_record* rec = f.rec;
    const qel_diff_result& d = rec->diff;
    rec->row_count = rec->folds = rec->folded_lines = 0;
    int32_t c = f.context, old_at = 0, new_at = 0;
    for (int32_t g = 0; g <= d.hunk_count; g++) {
        bool last = g == d.hunk_count;
        int32_t end = last ? d.old_line_count : d.hunks[g].old_start;
        int32_t length = end - old_at;
        int32_t before = g == 0 ? 0 : c, after = last ? 0 : c;
        int64_t foldable = (int64_t)length - before - after;  // any context count, without overflow
        bool fold = foldable >= 3 && !f.o->expand_all && !(rec->expanded && rec->expanded[g]);
        if (fold) {
            if (!context_rows(rec, old_at, new_at, before) || !row_push(rec, QEL_DIFF_ROW_FOLD, -1, -1, -1) ||
                !context_rows(rec, end - after, new_at + length - after, after))
                return false;
            qel_diff_row& row = rec->rows[rec->row_count - 1 - after];
            row.gap = g, row.folded = (int32_t)foldable;
            rec->folds++, rec->folded_lines += (int32_t)foldable;
        } else if (!context_rows(rec, old_at, new_at, length)) {
            return false;
        }
        if (last) break;
        const qel_diff_hunk& h = d.hunks[g];
        if (rec->hunk_rows) rec->hunk_rows[g] = rec->row_count;
        if (!hunk_rows(rec, h, g, f.unified)) return false;
        old_at = h.old_start + h.old_count, new_at = h.new_start + h.new_count;
    }
    return true;
}

int32_t top_row(const view_frame& f)
{
    return (int32_t)floorf((f.scroll->scroll_y - 4) / f.row_h + 0.5f);
}

void scroll_to(view_frame& f, float y)
{
    f.scroll->target_y = f.scroll->scroll_y = std::max(0.0f, y);
}

// Rebuilds when the rows are stale; a list already shown keeps the line at its top there.
void rows(view_frame& f)
{
    qel_diff_record* rec = f.rec;
    bool options_changed = rec->rows_unified != f.unified || rec->rows_context != f.context ||
                           rec->rows_expand_all != (f.o->expand_all != 0);
    if (rec->rows_valid && !options_changed) return;
    int32_t keep_side = -1, keep_line = -1;
    if (rec->rows_valid && rec->row_count > 0) {
        const qel_diff_row& top = rec->rows[std::clamp(top_row(f), 0, rec->row_count - 1)];
        keep_side = top.old_line >= 0 ? 0 : top.new_line >= 0 ? 1 : -1;
        keep_line = keep_side == 0 ? top.old_line : top.new_line;
    }
    rec->rows_failed = !qel_diff_build_rows(f);
    if (rec->rows_failed) rec->row_count = 0;
    rec->rows_valid = 1;
    rec->rows_unified = f.unified;
    rec->rows_context = f.context;
    rec->rows_expand_all = f.o->expand_all != 0;
    for (int32_t i = 0; keep_side >= 0 && i < rec->row_count; i++) {
        int32_t line = keep_side == 0 ? rec->rows[i].old_line : rec->rows[i].new_line;
        if (line >= keep_line) {
            scroll_to(f, (float)i * f.row_h + 4);
            break;
        }
    }
}

void bind_current(view_frame& f)
{
    qel_diff_view_state* st = f.st;
    if (!f.o->current_hunk) return;
    int32_t v = std::max(*f.o->current_hunk, -1);
    v = std::min(v, f.rec->diff.hunk_count - 1);
    if (st->reported && (v == st->reported_value || v == st->current_hunk)) return;
    st->current_hunk = v;
    if (v >= 0) st->scroll_request = 1;
}

void go_to_hunk(view_frame& f, int32_t hunk)
{
    f.st->current_hunk = hunk;
    f.st->scroll_request = 1;
}

void step_hunk(view_frame& f, bool next)
{
    int32_t count = f.rec->diff.hunk_count, current = f.st->current_hunk;
    if (count == 0 || !f.rec->hunk_rows) return;
    if (current >= 0) {
        go_to_hunk(f, std::clamp(current + (next ? 1 : -1), 0, count - 1));
        return;
    }
    int32_t top = top_row(f), pick = next ? count - 1 : 0;
    if (next) {
        for (int32_t h = count - 1; h >= 0; h--)
            if (f.rec->hunk_rows[h] >= top) pick = h;
    } else {
        for (int32_t h = 0; h < count; h++)
            if (f.rec->hunk_rows[h] < top) pick = h;
    }
    go_to_hunk(f, pick);
}

void scroll_to_hunk(view_frame& f)
{
    qel_diff_view_state* st = f.st;
    qel_scroll_state* s = f.scroll;
    if (!st->scroll_request || st->current_hunk < 0 || !f.rec->hunk_rows || s->view_h <= 0) return;
    st->scroll_request = 0;
    const qel_diff_hunk& h = f.rec->diff.hunks[st->current_hunk];
    int32_t rows_of = f.unified ? h.old_count + h.new_count : std::max(h.old_count, h.new_count);
    float top = (float)f.rec->hunk_rows[st->current_hunk] * f.row_h + 4;
    float bottom = top + (float)rows_of * f.row_h;
    if (top >= s->target_y && bottom <= s->target_y + s->view_h) return;
    float y = bottom - top > 0.75f * s->view_h ? top - f.row_h : top - std::min(0.25f * s->view_h, 3 * f.row_h);
    s->target_y = std::clamp(y, 0.0f, std::max(0.0f, (float)f.rec->row_count * f.row_h + 8 - s->view_h));
}

float text_extent(const view_frame& f)
{
    const qel_diff_result& d = f.rec->diff;
    float widest = std::min((float)QEL_DIFF_SHOWN_BYTES * f.d, (float)std::max(d.old_max_width, d.new_max_width) * f.d);
    qel_diff_column_set c = qel_diff_columns(f.unified, f.number_w, f.d);
    float area = f.unified ? f.list.w - c.text : floorf(f.list.w / 2) - c.text;
    return std::max(0.0f, std::max(widest, (float)f.st->widest) + 3 * f.d - area);
}

void keys(view_frame& f)
{
    qel_context* ctx = f.ctx;
    uint32_t mods = qel_modifiers(ctx);
    if (qel_key_take(ctx, QEL_KEY_ESCAPE)) f.st->current_hunk = -1;
    if (mods & (QEL_MOD_CTRL | QEL_MOD_SUPER)) return;
    bool alt = (mods & QEL_MOD_ALT) != 0;
    bool next = qel_key_take(ctx, alt ? QEL_KEY_DOWN : QEL_KEY_A + ('N' - 'A'));
    bool previous = qel_key_take(ctx, alt ? QEL_KEY_UP : QEL_KEY_A + ('P' - 'A'));
    if (previous || next) step_hunk(f, !previous);
    if (alt) return;
    qel_scroll_state* s = f.scroll;
    float page = std::max(f.row_h, s->view_h - f.row_h);
    if (qel_key_take(ctx, QEL_KEY_UP)) s->target_y -= f.row_h;
    if (qel_key_take(ctx, QEL_KEY_DOWN)) s->target_y += f.row_h;
    if (qel_key_take(ctx, QEL_KEY_PAGE_UP)) s->target_y -= page;
    if (qel_key_take(ctx, QEL_KEY_PAGE_DOWN)) s->target_y += page;
    if (qel_key_take(ctx, QEL_KEY_HOME)) s->target_y = 0;
    if (qel_key_take(ctx, QEL_KEY_END)) s->target_y = (float)f.rec->row_count * f.row_h + 8;
    s->target_y = std::max(0.0f, s->target_y);
    float extent = text_extent(f);
    if (qel_key_take(ctx, QEL_KEY_LEFT)) f.rec->scroll_x = std::max(0.0f, f.rec->scroll_x - 8 * f.d);
    if (qel_key_take(ctx, QEL_KEY_RIGHT)) f.rec->scroll_x = std::min(extent, f.rec->scroll_x + 8 * f.d);
    if (qel_key_take(ctx, QEL_KEY_A + ('E' - 'A')) && f.rec->expanded) {
        memset(f.rec->expanded, (mods & QEL_MOD_SHIFT) ? 0 : 1, (size_t)f.rec->diff.hunk_count + 1);
        f.rec->rows_valid = 0;
    }
}

// The row under the pointer counts only inside the rows: a click below the last one or above
// the first opens nothing and picks nothing.
void pointer(view_frame& f, const qel_interaction& it)
{
    qel_diff_record* rec = f.rec;
    qel_diff_view_state* st = f.st;
    st->hovered_row = -1;
    if (it.hovered) {
        float y = qel_mouse_pos(f.ctx).y - (f.list.y - f.scroll->scroll_y) - 4;
        auto row = (int32_t)floorf(y / f.row_h);
        if (row >= 0 && row < rec->row_count) st->hovered_row = row;
    }
    const qel_diff_row* row = st->hovered_row >= 0 ? &rec->rows[st->hovered_row] : nullptr;
    bool fold = row && row->kind == QEL_DIFF_ROW_FOLD;
    if (fold) qel_set_cursor(f.ctx, QEL_CURSOR_HAND);
    qel_anim_exp(f.ctx, &st->fold_hover, fold ? 1.0f : 0.0f, 0.1f);
    if (!it.clicked || it.activated_by_key || !row) return;
    if (fold && rec->expanded) {
        rec->expanded[row->gap] = 1;
        rec->rows_valid = 0;
        rows(f);
    } else if (row->hunk >= 0) {
        go_to_hunk(f, row->hunk);
    }
}

qel_diff_look* make_look(view_frame& f)
{
    qel_context* ctx = f.ctx;
    auto* look = (qel_diff_look*)qel_arena_alloc(ctx, sizeof(qel_diff_look));
    *look = {};
    bool dark = qel_dark_mode(ctx);
    look->size = f.size, look->char_width = f.d, look->row_height = f.row_h, look->number_width = f.number_w;
    look->scroll_x = f.rec->scroll_x;
    look->unified = f.unified, look->dark = dark;
    const char* language = f.o->language;
    look->highlighted = language && *language;
    look->json = qel_code_json_name(language);
    look->lang = qel_code_language(look->json ? nullptr : language);
    qel_color text = qel_theme_color(ctx, QEL_COLOR_TEXT);
    look->text = text;
    look->muted = qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED);
    look->secondary = qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY);
    look->hover = qel_theme_color(ctx, QEL_COLOR_HOVER);
    look->filler = qel_color_alpha(text, dark ? 0.035f : 0.03f);
    bool accent = qel_theme_get_accent(ctx) != QEL_ACCENT_NEUTRAL;
    look->fold_tint = qel_color_alpha(accent ? qel_theme_color(ctx, QEL_COLOR_ACCENT) : text, dark ? 0.06f : 0.045f);
    look->frame = qel_viewer_fill(ctx);
    const qel_color kinds[3] = {0, qel_theme_color(ctx, QEL_COLOR_DANGER), qel_theme_color(ctx, QEL_COLOR_SUCCESS)};
    for (int32_t k = 1; k < 3; k++) {
        look->row_tint[k] = qel_color_alpha(kinds[k], dark ? 0.13f : 0.085f);
        look->gutter_tint[k] = qel_color_alpha(kinds[k], dark ? 0.08f : 0.07f);
        look->highlight[k] = qel_color_alpha(kinds[k], dark ? 0.3f : 0.22f);
        look->number[k] = qel_color_mix(look->muted, kinds[k], 0.55f);
        look->marker[k] = qel_color_mix(text, kinds[k], dark ? 0.75f : 0.85f);
    }
    qel_code_palette(ctx, look->palette);
    return look;
}

void row_node(view_frame& f, const qel_diff_look* look, int32_t index)
{
    const qel_diff_row& row = f.rec->rows[index];
    qel_diff_row_payload p = {};
    p.look = look;
    p.kind = row.kind;
    p.folded = row.folded;
    p.hover = index == f.st->hovered_row ? f.st->fold_hover : 0;
    if (row.kind != QEL_DIFF_ROW_FOLD && f.unified) {
        uint8_t kind = row.kind == QEL_DIFF_ROW_REMOVED ? QEL_DIFF_LOOK_REMOVED
                       : row.kind == QEL_DIFF_ROW_ADDED ? QEL_DIFF_LOOK_ADDED
                                                        : QEL_DIFF_LOOK_CONTEXT;
        bool old_side = row.old_line >= 0;
        qel_diff_line_display(f.ctx, f.rec, old_side ? 0 : 1, old_side ? row.old_line : row.new_line, kind, &p.side[0]);
        p.side[0].number = row.old_line + 1;
        p.side[1].number = row.new_line + 1;
    } else if (row.kind != QEL_DIFF_ROW_FOLD) {
        bool context = row.kind == QEL_DIFF_ROW_CONTEXT;
        if (row.old_line >= 0)
            qel_diff_line_display(f.ctx, f.rec, 0, row.old_line, context ? QEL_DIFF_LOOK_CONTEXT : QEL_DIFF_LOOK_REMOVED,
                                  &p.side[0]);
        else
            p.side[0].look = QEL_DIFF_LOOK_FILLER;
        if (row.new_line >= 0)
            qel_diff_line_display(f.ctx, f.rec, 1, row.new_line, context ? QEL_DIFF_LOOK_CONTEXT : QEL_DIFF_LOOK_ADDED,
                                  &p.side[1]);
        else
            p.side[1].look = QEL_DIFF_LOOK_FILLER;
    }
    // Characters wider than a column (a CJK text, say) reach further than the column count says.
    for (const qel_diff_side_display& s : p.side)
        if (s.length > 0)
            f.st->widest = std::max(f.st->widest, (double)qel_text_width(f.ctx, QEL_FONT_MONO, f.size, s.text, s.length, 0));
    int32_t node = qel_node_sized(f.ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, f.row_h});
    qel_node_draw_with(f.ctx, node, qel_diff_draw_row, &p, sizeof p, false);
}

void spacer(qel_context* ctx, float height)
{
    if (height > 0) qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, height});
}

// Only the rows in view, two more on each side, get nodes; spacers stand for the others.
void row_list(view_frame& f, const qel_diff_look* look)
{
    qel_style style = {};
    style.width = {QEL_SIZE_GROW, 1};
    style.height = {QEL_SIZE_GROW, 1};
    qel_scroll_begin(f.ctx, f.scroll_id, &style, false);
    float view_h = f.scroll->view_h > 0 ? f.scroll->view_h : 420;
    float y = f.scroll->scroll_y;
    int32_t count = f.rec->row_count;
    int32_t first = std::clamp((int32_t)floorf((y - 4) / f.row_h) - 2, 0, count - 1);
    int32_t last = std::clamp((int32_t)ceilf((y + view_h) / f.row_h) + 2, first, count - 1);
    spacer(f.ctx, (float)first * f.row_h + 4);
    for (int32_t i = first; i <= last; i++) row_node(f, look, i);
    spacer(f.ctx, (float)(count - 1 - last) * f.row_h + 4);
    qel_scroll_end(f.ctx);
}

void empty_line(view_frame& f)
{
    const char* text = f.rec && !f.rec->diff.failed && !f.rec->rows_failed ? "Both texts are empty"
                                                                            : "Not enough memory to compare these texts";
    qel_node_push(f.ctx, qel_node_centred(f.ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_GROW, 1}, QEL_DIR_ROW, 0));
    qel_text_leaf(f.ctx, text, -1, QEL_FONT_BODY, qel_text_body_scaled(f.ctx), qel_color_token(QEL_COLOR_TEXT_MUTED),
                  false, 1.3f);
    qel_node_pop(f.ctx);
}

float box_height(const view_frame& f, float header)
{
    if (f.o->height != 0) return f.o->height;
    int32_t rows = f.rec ? f.rec->row_count : 0;
    float body = std::max((float)rows * f.row_h + 8, 2 * f.row_h + 8);
    return std::min(header + body + 2, 420.0f);
}

void setup(view_frame& f, qel_context* ctx, const char* label, const qel_diff_view_options* o)
{
    f.ctx = ctx;
    f.o = o;
    f.id = qel_id(ctx, label);
    f.list_id = f.id ^ LIST_KEY;
    f.scroll_id = f.id ^ SCROLL_KEY;
    f.st = qel_state_record_of<qel_diff_view_state>(ctx, f.id ^ STATE_KEY, "qel_diff_view_state");
    qel_state_set_destructor(ctx, f.id ^ STATE_KEY, qel_diff_state_free);
    if (!f.st->initialised) {
        f.st->current_hunk = f.st->hovered_row = -1;
        f.st->initialised = 1;
    }
    if (!f.st->record) f.st->record = make_record(ctx);
    f.rec = f.st->record;
    f.scroll = (qel_scroll_state*)qel_state_get(ctx, f.scroll_id, sizeof(qel_scroll_state));
    f.list = qel_id_rect(ctx, f.list_id);
    f.size = (o->font_size > 0 ? o->font_size : 12) * qel_theme_block_get(ctx)->ui_scale;
    f.row_h = roundf(1.75f * f.size);
    f.d = qel_viewer_char_width(ctx, f.size);
    f.context = o->context_lines < 1 ? 3 : o->context_lines;
    float split = o->split_min_width > 0 ? o->split_min_width : 560;
    if (f.list.w > 0) {
        f.unified = o->unified || f.list.w < split;
    } else {
        f.unified = o->unified != 0;
        qel_request_redraw_in(ctx, 0);
    }
}

int32_t decimal_digits(int32_t n)
{
    int32_t digits = 1;
    for (; n >= 10; n /= 10) digits++;
    return digits;
}

void header(view_frame& f, const qel_diff_look* look)
{
    qel_diff_header_payload p = {};
    p.look = look;
    p.old_title = f.o->old_title ? qel_arena_strdup(f.ctx, f.o->old_title, -1) : nullptr;
    p.new_title = f.o->new_title ? qel_arena_strdup(f.ctx, f.o->new_title, -1) : nullptr;
    if (f.rec) p.added = f.rec->diff.lines_added, p.removed = f.rec->diff.lines_removed, p.hunks = f.rec->diff.hunk_count;
    int32_t node = qel_node_sized(f.ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, 32});
    qel_node_draw_with(f.ctx, node, qel_diff_draw_header, &p, sizeof p, false);
}

}  // namespace

void qel_diff_state_free(qel_context* ctx, void* blob)
{
    auto* st = (qel_diff_view_state*)blob;
    qel_diff_record* rec = st->record;
    if (!rec) return;
    qel_diff_free(&rec->diff);
    free_states(rec);
    release(rec, rec->rows);
    release(rec, rec->hunk_rows);
    release(rec, rec->expanded);
    ctx->alloc.free_fn(rec, ctx->alloc.user);
    st->record = nullptr;
}

qel_diff_view_result qel_diff_view(qel_context* ctx, const char* label, const char* old_text, const char* new_text,
                                   const qel_diff_view_options* options)
{
    const qel_diff_view_options none = {};
    view_frame f = {};
    setup(f, ctx, label, options ? options : &none);
    qel_diff_view_state* st = f.st;
    int32_t start_hunk = st->current_hunk;
    qel_diff_record* rec = f.rec;
    if (rec) {
        recompute(f, old_text ? old_text : "", new_text ? new_text : "");
        syntax_states(f);
        bind_current(f);
        int32_t lines = std::max(rec->diff.old_line_count, rec->diff.new_line_count);
        f.number_w = (float)(lines > 99 ? decimal_digits(lines) : 2) * f.d;
        rows(f);
        qel_interaction it = qel_interact(ctx, f.list_id, QEL_INTERACT_FOCUSABLE);
        pointer(f, it);
        if (qel_focused_id(ctx) == f.list_id) keys(f);
        rows(f);
        if (f.list.w > 0) scroll_to_hunk(f);
        rec->scroll_x = std::min(rec->scroll_x, text_extent(f));
    }
    bool titled = f.o->old_title || f.o->new_title;
    float header_h = titled ? 32.0f : 0.0f;
    int32_t box = qel_viewer_box_begin(ctx, f.id);
    qel_node* n = qel_node_at(ctx, box);
    n->width = f.o->width.kind == QEL_SIZE_FIT ? qel_size{QEL_SIZE_GROW, 1} : f.o->width;
    float height = box_height(f, header_h);
    n->height = height < 0 ? qel_size{QEL_SIZE_GROW, 1} : qel_size{QEL_SIZE_FIXED, height};
    qel_diff_look* look = rec ? make_look(f) : nullptr;
    if (titled && look) header(f, look);
    int32_t list = qel_node_sized(ctx, f.list_id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_GROW, 1});
    qel_node_push(ctx, list);
    qel_node_mark_interactive(ctx, list, QEL_INTERACT_FOCUSABLE);
    if (look) qel_node_draw_with(ctx, list, qel_diff_draw_list, &look, sizeof look, true);
    if (rec && rec->row_count > 0)
        row_list(f, look);
    else
        empty_line(f);
    qel_node_pop(ctx);
    if (qel_focused_id(ctx) == f.list_id) qel_focus_ring(ctx, box, ctx->interaction.focus_visible ? 1.0f : 0.0f);
    qel_viewer_box_end(ctx, box, f.id);

    if (f.o->current_hunk) *f.o->current_hunk = st->current_hunk;
    st->reported = 1;
    st->reported_value = st->current_hunk;
    qel_diff_view_result r = {};
    if (rec) {
        r.lines_added = rec->diff.lines_added;
        r.lines_removed = rec->diff.lines_removed;
        r.hunk_count = rec->diff.hunk_count;
        r.folds = rec->folds;
        r.folded_lines = rec->folded_lines;
        r.limit_reached = rec->diff.limit_reached;
    }
    r.current_hunk = st->current_hunk;
    r.hunk_changed = st->current_hunk != start_hunk;
    r.unified = f.unified;
    return r;
}

int32_t qel_diff_view_rows(qel_context* ctx, const char* label, int32_t* out, int32_t first, int32_t max)
{
    auto* st = (qel_diff_view_state*)qel_state_find(ctx, qel_id(ctx, label) ^ STATE_KEY, sizeof(qel_diff_view_state),
                                                    false);
    if (!st || !st->record || !st->record->rows_valid || st->record->row_count == 0) return 0;
    const qel_diff_record* rec = st->record;
    if (out && max >= 1 && first >= 0 && first < rec->row_count) {
        for (int32_t i = first; i < rec->row_count && i - first < max; i++, out += 5) {
            const qel_diff_row& row = rec->rows[i];
            out[0] = row.kind, out[1] = row.old_line, out[2] = row.new_line, out[3] = row.hunk, out[4] = row.folded;
        }
    }
    return rec->row_count;
}
