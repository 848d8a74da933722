// The emoji picker: the recent list, the results and their sections, the top row with the search
// field and the tone selector, the category tabs, the grid's pointer and keys, the footer, and
// choosing an emoji. The grid's geometry and drawing are emoji_picker_grid.cpp's.
#include "kit/state_records.h"
#include "qel/emoji_picker.h"

#include <cmath>
#include <cstring>

#include "core/array_grow.h"
#include "core/core.h"
#include "emoji_picker_grid.h"
#include "kit/widget_nodes.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/emoji.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/layout.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/text_input.h"
#include "qel/theme.h"
#include "qel/tooltip.h"
#include "qel/widget_feel.h"

namespace {

const char* const DEFAULT_TAB_LABELS[QEL_EMOJI_TABS] = {
    "Recent", "Smileys & emotion", "People & body", "Animals & nature", "Food & drink",
    "Travel & places", "Activities", "Objects", "Symbols", "Flags",
};
const char* const TAB_EMOJI[QEL_EMOJI_TABS] = {
    "\uE087", "😀", "👋", "🐻", "🍔", "✈️", "⚽", "💡", "🔣", "🏁",
};
const char* const TONE_HANDS[6] = {"✋", "✋🏻", "✋🏼", "✋🏽", "✋🏾", "✋🏿"};
const char SEARCH_ICON[] = "\uE151";

const float TONE_BUTTON = 36, TAB_HEIGHT = 34, FOOTER_HEIGHT = 48, WHEEL_STEP = 48, DRAG_SLOP = 6;
const float SCROLL_DURATION = 0.2f;
const uint32_t RECENT_HASH_OFFSET = 0x811C9DC5u, RECENT_HASH_PRIME = 16777619u;

// What one call works with.
struct picker {
    qel_emoji_picker_state* ps;
    qel_emoji_state* st;
    qel_emoji_recent* recent;  // frame arena
    char* recent_buffer;
    uint64_t recent_capacity;
    int32_t* tone;
    float grid_height, emoji_size;
    const char* const* labels;
    const char* empty_text;
    bool available;
    uint32_t grid_id, hit_id, search_id;  // the grid is hit-tested and focused as hit_id
    qel_emoji_grid_layout layout;
    int32_t chosen;  // result chosen this frame, -1 none
};

void free_state(qel_context* ctx, void* blob)
{
    qel_mem_free(ctx, ((qel_emoji_picker_state*)blob)->results);
}

// --- Results ---

bool has_word(const char* query)
{
    for (const char* q = query; *q; q++)
        if (*q != ' ') return true;
    return false;
}

bool name_starts_with(const char* name, int32_t length, const char* query)
{
    int32_t n = (int32_t)strlen(query);
    if (n > length) return false;
    for (int32_t k = 0; k < n; k++) {
        char a = name[k], b = query[k];
        if ((a >= 'A' && a <= 'Z' ? a + 32 : a) != (b >= 'A' && b <= 'Z' ? b + 32 : b)) return false;
    }
    return true;
}

void add_section(qel_emoji_picker_state* ps, int32_t first, int32_t count, int32_t label)
{
    if (ps->section_count < QEL_EMOJI_MAX_SECTIONS) ps->sections[ps->section_count++] = {first, count, label};
}

void search_results(const qel_emoji_state* st, qel_emoji_picker_state* ps)
{
    const char* query = ps->query;
    for (int pass = 0; pass < 2; pass++) {
        for (int32_t i = 0; i < st->entry_count; i++) {
            const qel_emoji_entry& e = st->entries[i];
            const char* name = st->catalogue + e.name;
            if (!st->renderable[i] || !qel_emoji_name_matches(name, e.name_length, query)) continue;
            if (name_starts_with(name, e.name_length, query) == (pass == 0)) ps->results[ps->result_count++] = i;
        }
    }
    if (ps->result_count > 0) add_section(ps, 0, (int32_t)ps->result_count, QEL_EMOJI_LABEL_SEARCH);
}

// Recent items, then one section per category: a run over the renderable entries, so an entry
// the font lacks does not split its category.
void browse_results(const qel_emoji_state* st, const qel_emoji_recent* recent, qel_emoji_picker_state* ps)
{
    for (int32_t k = 0; k < recent->count; k++) ps->results[ps->result_count++] = -1 - k;
    if (recent->count > 0) add_section(ps, 0, recent->count, QEL_EMOJI_LABEL_RECENT);
    int32_t category = -1, first = 0;
    for (int32_t i = 0; i < st->entry_count; i++) {
        if (!st->renderable[i]) continue;
        int32_t c = st->entries[i].category;
        if (c != category) {
            if (category >= 0) add_section(ps, first, (int32_t)ps->result_count - first, category + 1);
            category = c;
            first = (int32_t)ps->result_count;
        }
        ps->results[ps->result_count++] = i;
    }
    if (category >= 0) add_section(ps, first, (int32_t)ps->result_count - first, category + 1);
}

// Rebuilds the results when the query, the recent list or the renderable flags changed.
bool update_results(qel_context* ctx, picker* pk)
{
    qel_emoji_picker_state* ps = pk->ps;
    const qel_emoji_state* st = pk->st;
    if (ps->results_valid && strcmp(ps->query, ps->previous_query) == 0 && ps->recent_hash == pk->recent->hash &&
        ps->recent_count == (uint32_t)pk->recent->count && ps->renderable_mark == st->renderable_generation)
        return false;
    ps->results = qel_array_grow(ctx, ps->results, &ps->result_capacity, st->entry_count + QEL_EMOJI_RECENT_MAX);
    ps->result_count = 0;
    ps->section_count = 0;
    bool searching = has_word(ps->query);
    if (searching) search_results(st, ps);
    else browse_results(st, pk->recent, ps);
    memcpy(ps->previous_query, ps->query, sizeof ps->previous_query);
    ps->recent_hash = pk->recent->hash;
    ps->recent_count = (uint32_t)pk->recent->count;
    ps->renderable_mark = st->renderable_generation;
    ps->results_valid = 1;
    if (searching) {
        ps->scroll = ps->scroll_target = 0;
        ps->highlight = ps->result_count > 0 ? 0 : -1;
    } else {
        ps->highlight = -1;
    }
    return true;
}

// --- Scrolling and the highlight ---

float clamp_scroll(const picker* pk, float v)
{
    return fminf(fmaxf(v, 0.0f), pk->layout.max_scroll);
}

void jump_to(picker* pk, float y)
{
    pk->ps->scroll = pk->ps->scroll_target = clamp_scroll(pk, y);
}

// Scrolls the highlighted cell into view.
void reveal_highlight(picker* pk)
{
    qel_emoji_picker_state* ps = pk->ps;
    qel_emoji_cell_pos pos = qel_emoji_grid_cell_pos(pk->layout, ps, ps->highlight);
    if (pos.section < 0) return;
    if (pos.y < ps->scroll_target) ps->scroll_target = clamp_scroll(pk, pos.y);
    else if (pos.y + pk->layout.cell > ps->scroll_target + pk->layout.height)
        ps->scroll_target = clamp_scroll(pk, pos.y + pk->layout.cell - pk->layout.height);
    ps->highlight_moved = 1;
}

int32_t current_tab(const picker* pk)
{
    const qel_emoji_picker_state* ps = pk->ps;
    int32_t tab = -1;
    for (uint32_t i = 0; i < ps->section_count; i++) {
        if (ps->sections[i].label == QEL_EMOJI_LABEL_SEARCH) return -1;
        if (qel_emoji_section_top(pk->layout, ps, (int32_t)i) <= ps->scroll + 1) tab = ps->sections[i].label;
    }
    return tab;
}

int32_t section_of_label(const qel_emoji_picker_state* ps, int32_t label)
{
    for (uint32_t i = 0; i < ps->section_count; i++)
        if (ps->sections[i].label == label) return (int32_t)i;
    return -1;
}

// The highlight one row down (+1) or up (-1), crossing into the neighbouring section; false at
// either end.
bool move_row(picker* pk, int32_t direction)
{
    qel_emoji_picker_state* ps = pk->ps;
    int32_t columns = pk->layout.columns;
    qel_emoji_cell_pos pos = qel_emoji_grid_cell_pos(pk->layout, ps, ps->highlight);
    if (pos.section < 0) return false;
    const qel_emoji_section& s = ps->sections[pos.section];
    int32_t k = ps->highlight - s.first, column = k % columns, target = k + direction * columns;
    if (target >= 0 && target < s.count) {
        ps->highlight = s.first + target;
        return true;
    }
    if (direction > 0 && target >= s.count && (k / columns) < (s.count - 1) / columns) {
        ps->highlight = s.first + s.count - 1;  // the short last row
        return true;
    }
    int32_t next = pos.section + direction;
    if (next < 0 || next >= (int32_t)ps->section_count) return false;
    const qel_emoji_section& n = ps->sections[next];
    int32_t row = direction > 0 ? 0 : (n.count - 1) / columns, at = row * columns + column;
    ps->highlight = n.first + (at < n.count ? at : n.count - 1);
    return true;
}

void choose(picker* pk, int32_t result)
{
    pk->chosen = result;
    pk->ps->highlight = result;
}

// Keys of the grid (grid) or of the search field.
void handle_keys(qel_context* ctx, picker* pk, bool grid, bool submitted)
{
    qel_emoji_picker_state* ps = pk->ps;
    int32_t count = (int32_t)ps->result_count, before = ps->highlight;
    if (count == 0) return;
    if (grid && qel_key_take(ctx, QEL_KEY_LEFT)) ps->highlight = ps->highlight > 0 ? ps->highlight - 1 : 0;
    if (grid && qel_key_take(ctx, QEL_KEY_RIGHT)) ps->highlight = ps->highlight + 1 < count ? ps->highlight + 1 : count - 1;
    if (grid && qel_key_take(ctx, QEL_KEY_HOME)) ps->highlight = 0;
    if (grid && qel_key_take(ctx, QEL_KEY_END)) ps->highlight = count - 1;
    if (qel_key_take(ctx, QEL_KEY_DOWN)) {
        if (ps->highlight < 0) ps->highlight = 0;
        else move_row(pk, 1);
        if (!grid && !has_word(ps->query)) qel_set_focus(ctx, pk->hit_id, true);
    }
    if (qel_key_take(ctx, QEL_KEY_UP)) {
        if (ps->highlight < 0) ps->highlight = 0;
        else if (!move_row(pk, -1) && grid) {
            ps->highlight = -1;
            qel_set_focus(ctx, pk->search_id, true);
        }
    }
    bool enter = grid ? qel_key_take(ctx, QEL_KEY_ENTER) : submitted;
    if (enter || (grid && qel_key_take(ctx, QEL_KEY_SPACE))) choose(pk, ps->highlight >= 0 ? ps->highlight : 0);
    if (ps->highlight != before && ps->highlight >= 0) reveal_highlight(pk);
}

// --- The rows ---

bool tone_button(qel_context* ctx, uint32_t id, const char* text, bool current)
{
    qel_interaction it = qel_interact(ctx, id, 0);
    int32_t node = qel_emoji_tab_node(ctx, id, false, TONE_BUTTON, TONE_BUTTON, text, false, 1.0f, false);
    qel_node_mark_interactive(ctx, node, 0);
    qel_node* n = qel_node_at(ctx, node);
    if (current) n->fill = qel_color_token(QEL_COLOR_HOVER);
    else if (it.hovered) n->fill = qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_HOVER), 0.5f);
    return it.clicked;
}

void top_row(qel_context* ctx, picker* pk, const qel_emoji_picker_options& o, uint32_t* field_result)
{
    qel_emoji_picker_state* ps = pk->ps;
    if (o.hide_search && o.hide_skin_tones) return;
    qel_style row = {};
    row.direction = QEL_DIR_ROW, row.width = {QEL_SIZE_GROW, 1}, row.gap = 6, row.align = QEL_ALIGN_CENTER;
    qel_row_begin(ctx, &row);
    if (ps->tone_list_open) {
        for (int32_t t = 0; t < 6; t++) {
            qel_push_id_int(ctx, t);
            if (tone_button(ctx, qel_id(ctx, "#tone"), TONE_HANDS[t], *pk->tone == t)) {
                *pk->tone = t;
                ps->tone_list_open = 0;
                ps->results_valid = 0;
            }
            qel_pop_id(ctx);
        }
        if (qel_key_take(ctx, QEL_KEY_ESCAPE)) ps->tone_list_open = 0;
    } else {
        if (o.hide_search) {
            qel_spacer(ctx);
        } else {
            qel_text_input_opts field = {};
            field.placeholder = o.placeholder ? o.placeholder : "Search emoji";
            *field_result = qel_input_text_ex(ctx, pk->search_id, ps->query, sizeof ps->query, &field, false, false,
                                              SEARCH_ICON);
        }
        if (!o.hide_skin_tones && tone_button(ctx, qel_id(ctx, "#tones"), TONE_HANDS[*pk->tone], false))
            ps->tone_list_open = 1;
    }
    qel_container_end(ctx);
}

void tab_row(qel_context* ctx, picker* pk)
{
    qel_emoji_picker_state* ps = pk->ps;
    qel_style row = {};
    row.direction = QEL_DIR_ROW, row.width = {QEL_SIZE_GROW, 1}, row.gap = 2;
    qel_row_begin(ctx, &row);
    int32_t current = current_tab(pk);
    for (int32_t tab = pk->recent->count > 0 ? 0 : 1; tab < QEL_EMOJI_TABS; tab++) {
        qel_push_id_int(ctx, tab);
        uint32_t id = qel_id(ctx, "#tab");
        qel_interaction it = qel_interact(ctx, id, 0);
        bool lit = it.hovered || tab == current;
        int32_t node = qel_emoji_tab_node(ctx, id, it.hovered, 0, TAB_HEIGHT, TAB_EMOJI[tab], tab == 0,
                                          lit ? 1.0f : 0.5f, tab == current);
        qel_node_mark_interactive(ctx, node, 0);
        if (it.hovered) qel_tooltip_for(ctx, id, pk->labels[tab]);
        if (it.clicked) {
            if (has_word(ps->query)) {
                ps->query[0] = '\0';
                ps->tab_after_clear = tab + 1;
            } else {
                int32_t s = section_of_label(ps, tab);
                if (s >= 0) ps->scroll_target = clamp_scroll(pk, qel_emoji_section_top(pk->layout, ps, s));
            }
        }
        qel_pop_id(ctx);
    }
    qel_container_end(ctx);
}

// The grid's pointer: hover, the wheel, the press and the drag; returns the hovered result.
int32_t grid_pointer(qel_context* ctx, picker* pk, const qel_interaction& it, qel_rect r)
{
    qel_emoji_picker_state* ps = pk->ps;
    qel_vec2 m = qel_mouse_pos(ctx);
    bool over = it.hovered || (m.x >= r.x && m.y >= r.y && m.x < r.x + r.w && m.y < r.y + r.h && it.active);
    int32_t hovered = over ? qel_emoji_grid_hit(pk->layout, ps, m.x - r.x, m.y - r.y) : -1;
    if (it.hovered && ctx->input.wheel_y != 0) {
        jump_to(pk, ps->scroll - ctx->input.wheel_y * WHEEL_STEP);
        ctx->input.wheel_y = 0;
    }
    if (it.held && qel_mouse_pressed(ctx, 0)) {
        ps->drag_started = 1, ps->dragging = 0;
        ps->press_y = m.y, ps->scroll_at_press = ps->scroll, ps->pressed_cell = hovered;
    }
    if (ps->drag_started && it.held) {
        if (fabsf(m.y - ps->press_y) > DRAG_SLOP) ps->dragging = 1;
        if (ps->dragging) jump_to(pk, ps->scroll_at_press - (m.y - ps->press_y));
    }
    if (ps->drag_started && !it.held) {
        if (it.released && !ps->dragging && hovered >= 0 && hovered == ps->pressed_cell) choose(pk, hovered);
        ps->drag_started = ps->dragging = 0;
    }
    if (hovered >= 0) qel_set_cursor(ctx, QEL_CURSOR_HAND);
    return hovered;
}

void grid(qel_context* ctx, picker* pk, bool searching_focused, int32_t hovered, const qel_interaction& it)
{
    qel_emoji_picker_state* ps = pk->ps;
    int32_t node = qel_node_sized(ctx, pk->grid_id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, pk->grid_height});
    qel_node_push(ctx, node);
    int32_t hit = qel_node_sized(ctx, pk->hit_id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_GROW, 1});
    qel_node_mark_interactive(ctx, hit, QEL_INTERACT_FOCUSABLE);
    qel_node_pop(ctx);
    qel_emoji_grid_paint p = {};
    p.layout = pk->layout;
    memcpy(p.sections, ps->sections, sizeof p.sections);
    p.section_count = (int32_t)ps->section_count;
    int32_t* results = (int32_t*)qel_arena_alloc(ctx, (ps->result_count + 1) * sizeof(int32_t));
    if (ps->result_count) memcpy(results, ps->results, ps->result_count * sizeof(int32_t));
    p.results = results;
    p.recent = pk->recent;
    p.st = pk->st;
    p.hovered = hovered, p.highlighted = ps->highlight;
    p.show_highlight = (it.focused && it.focus_visible) || (searching_focused && has_word(ps->query));
    p.focus_ring = it.focused && it.focus_visible;
    p.available = pk->available;
    p.scroll = ps->scroll, p.tone = *pk->tone;
    p.labels = pk->labels;
    p.hover = qel_theme_color(ctx, QEL_COLOR_HOVER), p.focus = qel_theme_color(ctx, QEL_COLOR_FOCUS_RING);
    p.text = qel_theme_color(ctx, QEL_COLOR_TEXT), p.muted = qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED);
    qel_node* n = qel_node_at(ctx, node);
    p.pinned_fill = n->fill >> 24 ? n->fill : qel_theme_color(ctx, QEL_COLOR_SURFACE);
    p.empty_text = pk->empty_text;
    qel_node_draw_with(ctx, node, qel_emoji_grid_draw_cb, &p, sizeof p, false);
}

// The name of a result, from its entry or, for a recent item, the entry it is (toned or not).
const qel_emoji_entry* entry_of(const picker* pk, int32_t result)
{
    const qel_emoji_state* st = pk->st;
    if (result >= 0) return &st->entries[result];
    const char* item = pk->recent->items[-1 - result];
    size_t length = strlen(item);
    for (int32_t i = 0; i < st->entry_count; i++) {
        const qel_emoji_entry& e = st->entries[i];
        if (e.sequence_length == length && memcmp(st->catalogue + e.sequence, item, length) == 0) return &e;
        for (int32_t tone = 1; e.skin_tone && tone <= 5; tone++) {
            qel_emoji_text toned = qel_emoji_apply_skin_tone(st->catalogue + e.sequence, e.sequence_length, tone);
            if (toned.length == length && memcmp(toned.text, item, length) == 0) return &e;
        }
    }
    return nullptr;
}

struct name_paint {
    const char* text;
    int32_t length;
    qel_color color;
};

void name_draw_cb(qel_context* ctx, const qel_node* node, void* user)
{
    const name_paint* n = (const name_paint*)user;
    float size = qel_scaled(ctx, 13);
    float y = node->rect.y + (node->rect.h - qel_line_height(ctx, QEL_FONT_MEDIUM, size)) / 2;
    qel_draw_text_ellipsis(ctx, QEL_FONT_MEDIUM, size, node->rect.x, y, node->rect.w, n->color, n->text, n->length, 0);
}

void footer(qel_context* ctx, picker* pk, int32_t hovered, const char* hint)
{
    qel_emoji_picker_state* ps = pk->ps;
    qel_style row = {};
    row.direction = QEL_DIR_ROW, row.width = {QEL_SIZE_GROW, 1}, row.height = {QEL_SIZE_FIXED, FOOTER_HEIGHT};
    row.gap = 8, row.align = QEL_ALIGN_CENTER, row.padding_x = 6;
    qel_row_begin(ctx, &row);
    int32_t shown = hovered >= 0 ? hovered : ps->highlight;
    if (pk->available && shown >= 0 && shown < (int32_t)ps->result_count) {
        int32_t result = ps->results[shown];
        qel_emoji_text text = qel_emoji_entry_text(pk->st, pk->recent, result, *pk->tone);
        qel_emoji_image(ctx, text.text, 28);
        const qel_emoji_entry* e = entry_of(pk, result);
        name_paint n = {"", 0, qel_theme_color(ctx, QEL_COLOR_TEXT)};
        if (e) {
            char* name = qel_arena_strdup(ctx, pk->st->catalogue + e->name, e->name_length);
            if (name[0] >= 'a' && name[0] <= 'z') name[0] = (char)(name[0] - 'a' + 'A');
            n.text = name, n.length = e->name_length;
        }
        int32_t node = qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, 20});
        qel_node_draw_with(ctx, node, name_draw_cb, &n, sizeof n, false);
    } else {
        qel_text_leaf_scaled(ctx, hint, QEL_FONT_BODY, 13, qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), 0);
    }
    qel_container_end(ctx);
}

}  // namespace

// --- Recent list ---

void qel_emoji_recent_read(const char* text, uint64_t capacity, qel_emoji_recent* out)
{
    out->count = 0;
    out->hash = RECENT_HASH_OFFSET;
    uint64_t at = 0;
    while (at < capacity && text[at] && out->count < QEL_EMOJI_RECENT_MAX) {
        if (text[at] == ' ') {
            at++;
            continue;
        }
        uint64_t length = 0;
        while (at + length < capacity && text[at + length] && text[at + length] != ' ') length++;
        if (length < QEL_EMOJI_RECENT_ITEM) {
            char* slot = out->items[out->count++];
            memcpy(slot, text + at, length);
            slot[length] = '\0';
            for (uint64_t k = 0; k < length; k++) out->hash = (out->hash ^ (uint8_t)slot[k]) * RECENT_HASH_PRIME;
        }
        at += length;
    }
}

// The chosen emoji first, then the earlier items that differ, while they fit; a buffer that
// cannot hold the choice itself is left as it was.
void qel_emoji_recent_write(const qel_emoji_recent* recent, const qel_emoji_text& chosen, char* buffer, uint64_t capacity)
{
    if (capacity <= 7 || chosen.length + 1 > capacity) return;
    uint64_t length = chosen.length;
    memcpy(buffer, chosen.text, length);
    int32_t items = 1;
    for (int32_t i = 0; i < recent->count && items < QEL_EMOJI_RECENT_MAX; i++) {
        const char* item = recent->items[i];
        uint64_t n = strlen(item);
        if (n == chosen.length && memcmp(item, chosen.text, n) == 0) continue;
        if (length + 1 + n >= capacity) break;
        buffer[length] = ' ';
        memcpy(buffer + length + 1, item, n);
        length += 1 + n;
        items++;
    }
    buffer[length] = '\0';
}

const char* qel_emoji_picker(qel_context* ctx, const char* label, const qel_emoji_picker_options* options)
{
    qel_emoji_picker_options o = options ? *options : qel_emoji_picker_options{};
    const char* name = label ? label : "emoji";
    uint32_t id = qel_id(ctx, name);
    qel_push_id(ctx, name);
    picker pk = {};
    pk.ps = qel_state_record_of<qel_emoji_picker_state>(ctx, id, "qel_emoji_picker_state");
    qel_state_set_destructor(ctx, id, free_state);
    qel_emoji_picker_state* ps = pk.ps;
    pk.st = qel_emoji_state_of(ctx);
    pk.available = qel_emoji_font_ensure(ctx) && qel_emoji_catalogue_ready(ctx, pk.st);
    pk.recent_buffer = o.recent && o.recent_capacity ? o.recent : ps->recent;
    pk.recent_capacity = o.recent && o.recent_capacity ? o.recent_capacity : sizeof ps->recent;
    pk.tone = o.skin_tone ? o.skin_tone : &ps->skin_tone;
    *pk.tone = *pk.tone < 0 ? 0 : *pk.tone > 5 ? 5 : *pk.tone;
    pk.grid_height = o.grid_height > 0 ? o.grid_height : 280;
    pk.emoji_size = o.emoji_size > 0 ? o.emoji_size : 26;
    pk.labels = o.tab_labels ? o.tab_labels : DEFAULT_TAB_LABELS;
    pk.empty_text = o.empty_text ? o.empty_text : "No emoji found";
    pk.grid_id = qel_id(ctx, "#grid");
    pk.hit_id = pk.grid_id ^ 0x3E1Du;
    pk.search_id = qel_id(ctx, "#search");
    pk.chosen = -1;
    pk.recent = (qel_emoji_recent*)qel_arena_alloc(ctx, sizeof(qel_emoji_recent));
    qel_emoji_recent_read(pk.recent_buffer, pk.recent_capacity, pk.recent);

    qel_style column = {};
    column.direction = QEL_DIR_COLUMN, column.width = {QEL_SIZE_GROW, 1}, column.gap = 6;
    qel_column_begin(ctx, &column);
    uint32_t field = 0;
    top_row(ctx, &pk, o, &field);
    // The sections follow the query typed this frame.
    bool rebuilt = pk.available && update_results(ctx, &pk);
    qel_rect r = qel_id_rect(ctx, pk.grid_id);
    pk.layout = qel_emoji_grid_layout_of(ps, r.w, pk.grid_height, pk.emoji_size);
    if (rebuilt && ps->tab_after_clear && !has_word(ps->query)) {
        int32_t s = section_of_label(ps, ps->tab_after_clear - 1);
        if (s >= 0) jump_to(&pk, qel_emoji_section_top(pk.layout, ps, s));
        ps->tab_after_clear = 0;
    }
    if (pk.available) tab_row(ctx, &pk);

    qel_interaction it = qel_interact(ctx, pk.hit_id, QEL_INTERACT_FOCUSABLE);
    int32_t hovered = pk.available ? grid_pointer(ctx, &pk, it, r) : -1;
    bool search_focused = qel_focused_id(ctx) == pk.search_id;
    if (pk.available && (it.focused || search_focused))
        handle_keys(ctx, &pk, it.focused, search_focused && (field & QEL_INPUT_SUBMITTED));
    ps->scroll_target = clamp_scroll(&pk, ps->scroll_target);
    ps->scroll = clamp_scroll(&pk, qel_anim_exp(ctx, &ps->scroll, ps->scroll_target, SCROLL_DURATION));
    ps->scroll_animating = fabsf(ps->scroll - ps->scroll_target) >= 0.5f;
    if (ps->scroll_animating) qel_request_redraw(ctx);
    grid(ctx, &pk, search_focused, hovered, it);
    if (!o.hide_footer) footer(ctx, &pk, hovered, o.footer_hint ? o.footer_hint : "Pick an emoji");
    qel_container_end(ctx);
    qel_pop_id(ctx);

    if (pk.chosen < 0 || pk.chosen >= (int32_t)ps->result_count) return nullptr;
    qel_emoji_text chosen = qel_emoji_entry_text(pk.st, pk.recent, ps->results[pk.chosen], *pk.tone);
    qel_emoji_recent_write(pk.recent, chosen, pk.recent_buffer, pk.recent_capacity);
    return qel_arena_strdup(ctx, chosen.text, (int)chosen.length);
}
