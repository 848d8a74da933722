// Radio cards, the tag input with its tag-list string helpers, the one-time-code cells and the
// password-strength meter: their nodes, keys and per-id motion. The tag input's text field is
// text_input's; badges are badges_avatars'.
#include "qel/form_widgets.h"

#include <cmath>
#include <cstring>

#include "core/core.h"
#include "qel/anim.h"
#include "qel/badges_avatars.h"
#include "qel/button.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/frame.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/text_input.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

static const float HOVER_SECONDS = 0.14f, SELECT_SECONDS = 0.18f;
static const char CLOSE_GLYPH[] = QEL_ICON_X;

static qel_color accent_or_text(qel_context* ctx)
{
    return qel_theme_color(ctx, qel_theme_get_accent(ctx) ? QEL_COLOR_ACCENT : QEL_COLOR_TEXT);
}

static bool ascii_alnum(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// --- Radio cards ---

struct radio_card_state {
    float selected, hover;
    uint8_t started;
    uint8_t rtl;  // the card's resolved direction, written by its dot as it is drawn
};

struct radio_dot_payload {
    float selected, hover;
    uint8_t* rtl;
};

void qel_radio_card_dot_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const radio_dot_payload*)user;
    *p->rtl = node->rtl;
    qel_vec2 c = {node->rect.x + node->rect.w * 0.5f, node->rect.y + node->rect.h * 0.5f};
    float r = node->rect.w * 0.5f;
    qel_color primary = qel_theme_color(ctx, QEL_COLOR_PRIMARY);
    qel_rect box = node->rect;
    float radii[4] = {r, r, r, r};
    qel_draw_rect_bordered(ctx, &box, radii, qel_color_mix(qel_theme_color(ctx, QEL_COLOR_SURFACE), primary, p->selected),
                           qel_color_mix(qel_field_border_color(ctx, p->hover), primary, p->selected), 1);
    if (p->selected > 0.02f) qel_draw_circle(ctx, c, 3.5f * p->selected, qel_theme_color(ctx, QEL_COLOR_ON_PRIMARY));
}

static void radio_card(qel_context* ctx, uint32_t id, const qel_radio_card_item& item, radio_card_state* s,
                       bool chosen, bool ring)
{
    const qel_theme* t = &ctx->theme.current;
    int32_t index = qel_node_open(ctx, id);
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_START;
    n->gap = 12;
    n->pad_top = n->pad_right = n->pad_bottom = n->pad_left = 16;
    qel_node_round(n, t->radius_small);
    n->fill = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_SURFACE), qel_theme_color(ctx, QEL_COLOR_ACCENT_TINT),
                            0.6f * s->selected);
    n->border_width = 1 + 0.5f * s->selected;
    n->border = qel_color_mix(qel_color_mix(qel_theme_color(ctx, QEL_COLOR_BORDER), qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG), s->hover), accent_or_text(ctx), s->selected);
    qel_node_clickable(ctx, index, id, false);
    qel_node_focus_ring_full(ctx, index, ring);
    qel_node_push(ctx, index);

    if (item.icon) {
        int32_t box = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, 20}, {QEL_SIZE_FIXED, 22});
        qel_node_at(ctx, box)->align = QEL_ALIGN_CENTER;
        qel_node_at(ctx, box)->justify = QEL_JUSTIFY_CENTER;
        qel_node_push(ctx, box);
        qel_icon_glyph(ctx, item.icon, 18, qel_theme_color(ctx, chosen ? QEL_COLOR_TEXT : QEL_COLOR_TEXT_SECONDARY));
        qel_node_pop(ctx);
    }
    qel_style column = {};
    column.width = {QEL_SIZE_GROW, 1};
    column.gap = 3;
    qel_column_begin(ctx, &column);
    qel_style title_row = {};
    title_row.width = {QEL_SIZE_GROW, 1};
    title_row.gap = 8;
    title_row.align = QEL_ALIGN_START;
    qel_row_begin(ctx, &title_row);
    int32_t title = qel_text_leaf(ctx, item.title, -1, QEL_FONT_MEDIUM, qel_text_body_scaled(ctx),
                                  qel_theme_color(ctx, QEL_COLOR_TEXT), true, 1.35f);
    qel_node_at(ctx, title)->width = {QEL_SIZE_GROW, 1};
    if (item.badge) {
        qel_badge_opts badge = {};
        badge.kind = QEL_SEMANTIC_ACCENT;
        badge.size = 1;
        qel_badge(ctx, item.badge, &badge);
    }
    qel_container_end(ctx);
    if (item.description)
        qel_text_leaf(ctx, item.description, -1, QEL_FONT_BODY, qel_text_small_scaled(ctx),
                      qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), true, 0);
    qel_container_end(ctx);

    int32_t dot = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, 18}, {QEL_SIZE_FIXED, 18});
    radio_dot_payload p = {s->selected, s->hover, &s->rtl};
    qel_node_draw_with(ctx, dot, qel_radio_card_dot_draw, &p, sizeof p, false);
    qel_node_pop(ctx);
}

// The arrow keys on the card showing its ring move the choice one card over, mirrored for cards
// laid out right to left.
static int32_t card_by_keys(qel_context* ctx, int32_t i, int32_t count, bool rtl)
{
    bool right = qel_key_pressed(ctx, rtl ? QEL_KEY_LEFT : QEL_KEY_RIGHT);
    bool left = qel_key_pressed(ctx, rtl ? QEL_KEY_RIGHT : QEL_KEY_LEFT);
    if ((right || qel_key_pressed(ctx, QEL_KEY_DOWN)) && i < count - 1) return i + 1;
    if ((left || qel_key_pressed(ctx, QEL_KEY_UP)) && i > 0) return i - 1;
    return i;
}

bool qel_radio_cards(qel_context* ctx, const char* label, const qel_radio_card_item* items, uint32_t count,
                     uint32_t* selected, const qel_radio_cards_opts* options)
{
    const qel_radio_cards_opts zero = {};
    const qel_radio_cards_opts* o = options ? options : &zero;
    uint32_t own = 0;
    uint32_t* choice = selected ? selected : &own;
    uint32_t before = *choice;
    uint32_t group = qel_id(ctx, label);
    int32_t n = items ? (int32_t)(count < INT32_MAX ? count : INT32_MAX) : 0;
    qel_push_id(ctx, label);
    qel_style grid = {};
    grid.direction = QEL_DIR_GRID;
    grid.gap = 12;
    grid.grid_cell_width = 220;
    grid.grid_columns = (uint32_t)(o->columns >= 1 ? o->columns : n <= 3 ? n : 2);
    qel_container_begin(ctx, &grid);

    bool moved = false;
    for (int32_t i = 0; i < n; i++) {
        uint32_t id = qel_hash_bytes(&i, sizeof i, group);
        qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
        auto* s = qel_state_record_of<radio_card_state>(ctx, id, "radio_card_state");
        if (it.clicked) *choice = (uint32_t)i;
        if (it.focused && it.focus_visible && !moved) {
            int32_t next = card_by_keys(ctx, i, n, s->rtl != 0);
            if (next != i) {
                *choice = (uint32_t)next;
                qel_set_focus(ctx, qel_hash_bytes(&next, sizeof next, group), true);
                moved = true;
            }
        }
        bool chosen = *choice == (uint32_t)i;
        if (!s->started) s->selected = chosen ? 1.0f : 0.0f, s->started = 1;
        qel_anim_exp(ctx, &s->selected, chosen ? 1.0f : 0.0f, SELECT_SECONDS);
        qel_anim_exp(ctx, &s->hover, it.hovered ? 1.0f : 0.0f, HOVER_SECONDS);
        radio_card(ctx, id, items[i], s, chosen, qel_focused_id(ctx) == id && ctx->interaction.focus_visible);
    }
    qel_container_end(ctx);
    qel_pop_id(ctx);
    return *choice != before;
}

// --- Tag lists ---

int32_t qel_tags_split(const char* text, int32_t starts[QEL_TAGS_MAX], int32_t lengths[QEL_TAGS_MAX])
{
    if (!text) return 0;
    int32_t count = 0, i = 0;
    while (text[i] && count < QEL_TAGS_MAX) {
        while (text[i] == ',' || text[i] == ' ') i++;
        int32_t start = i;
        while (text[i] && text[i] != ',') i++;
        int32_t end = i;
        while (end > start && text[end - 1] == ' ') end--;
        if (end > start) {
            starts[count] = start;
            lengths[count++] = end - start;
        }
    }
    return count;
}

void qel_tags_append(char* buffer, uint64_t capacity, const char* text)
{
    if (!buffer || capacity == 0 || !text) return;
    size_t length = strlen(text);
    while (length > 0 && text[0] == ' ') text++, length--;
    while (length > 0 && text[length - 1] == ' ') length--;
    size_t used = strnlen(buffer, capacity - 1);
    if (length == 0 || used + length + 3 >= capacity) return;
    if (used > 0) memcpy(buffer + used, ", ", 2), used += 2;
    memcpy(buffer + used, text, length);
    buffer[used + length] = 0;
}

// Kept tags are first moved left joined by single commas: each lands at or before where it was
// read, as tags are split apart by at least one byte, so source may be buffer. Then, when it
// fits, each comma is widened to ", " from the end backwards.
void qel_tags_remove(char* buffer, uint64_t capacity, const char* source, const int32_t* starts,
                     const int32_t* lengths, int32_t count, int32_t index)
{
    if (!buffer || capacity == 0) return;
    size_t source_length = source ? strlen(source) : 0, used = 0, limit = capacity - 1;
    int32_t kept = 0;
    for (int32_t i = 0; source && i < count && i < QEL_TAGS_MAX; i++) {
        if (i == index || starts[i] < 0 || lengths[i] <= 0 || (size_t)starts[i] >= source_length) continue;
        size_t length = lengths[i];
        if (length > source_length - starts[i]) length = source_length - starts[i];
        if (kept > 0 && used < limit) buffer[used++] = ',';
        if (length > limit - used) length = limit - used;
        memmove(buffer + used, source + starts[i], length);
        used += length;
        kept++;
    }
    buffer[used] = 0;
    size_t widened = used + (kept > 1 ? kept - 1 : 0);
    if (widened > limit || widened == used) return;
    buffer[widened] = 0;
    for (size_t from = used, to = widened; from > 0;) {
        char c = buffer[--from];
        if (c == ',') buffer[--to] = ' ';
        buffer[--to] = c;
    }
}

// --- Tag input ---

struct tag_input_state {
    char typing[QEL_TAG_TYPING_CAPACITY];
    float hover;
};

// A chip with the tag and its remove button; true when that was clicked.
static bool tag_chip(qel_context* ctx, const char* text, int32_t length, int32_t index)
{
    int32_t chip = qel_node_pill_row(ctx, 0, 24, 9, 2, 12);
    qel_node* n = qel_node_at(ctx, chip);
    n->fill = qel_theme_color(ctx, QEL_COLOR_ACTIVE);
    n->pad_right = 3;
    qel_node_push(ctx, chip);
    qel_text_leaf(ctx, text, length, QEL_FONT_MEDIUM, qel_text_small_scaled(ctx), qel_theme_color(ctx, QEL_COLOR_TEXT),
                  false, 1.2f);
    qel_push_id_int(ctx, index);
    bool remove = qel_field_button(ctx, chip, CLOSE_GLYPH, {}, 18);
    qel_pop_id(ctx);
    qel_node_pop(ctx);
    return remove;
}

static int32_t tag_field(qel_context* ctx, uint32_t id, const qel_tag_input_opts* o, bool focused, float hover)
{
    const qel_theme* t = &ctx->theme.current;
    float h = qel_control_height(ctx, 0);
    int32_t field = qel_node_open(ctx, id);
    qel_node* n = qel_node_at(ctx, field);
    n->direction = QEL_DIR_ROW;
    n->flags |= QEL_NODE_WRAP | QEL_NODE_CLIP;
    n->align = QEL_ALIGN_CENTER;
    n->gap = 6;
    n->min_h = h;
    n->width = o->label || o->width.kind == QEL_SIZE_FIT ? qel_size{QEL_SIZE_GROW, 1} : o->width;
    n->pad_left = 6;
    n->pad_right = 12;
    n->fill = qel_theme_color(ctx, QEL_COLOR_SURFACE);
    n->border_width = 1;
    n->border = focused ? qel_focus_color(ctx) : qel_field_border_color(ctx, hover);
    qel_node_round(n, fminf(t->radius_small, h * 0.5f));
    qel_node_mark_interactive(ctx, field, 0);
    if (qel_hovered_id(ctx) == id) qel_set_cursor(ctx, QEL_CURSOR_IBEAM);
    return field;
}

// Pieces typed before a comma become tags; what follows the last comma stays typed.
static void take_pieces(char* typing, char* buffer, uint64_t capacity, bool full)
{
    char* comma;
    while ((comma = strchr(typing, ',')) != nullptr) {
        *comma = 0;
        if (!full) qel_tags_append(buffer, capacity, typing);
        memmove(typing, comma + 1, strlen(comma + 1) + 1);
    }
}

bool qel_tag_input(qel_context* ctx, const char* label, char* buffer, uint64_t capacity,
                   const qel_tag_input_opts* options)
{
    if (!buffer || capacity == 0) return false;
    const qel_tag_input_opts zero = {};
    const qel_tag_input_opts* o = options ? options : &zero;
    uint32_t id = qel_id(ctx, label), text_id = id ^ 0x7a6u;
    auto* s = qel_state_record_of<tag_input_state>(ctx, id, "tag_input_state");
    int32_t starts[QEL_TAGS_MAX], lengths[QEL_TAGS_MAX];
    int32_t count = qel_tags_split(buffer, starts, lengths);
    bool full = o->max_tags > 0 && count >= o->max_tags;
    bool changed = false;

    bool typing_focused = qel_focused_id(ctx) == text_id;
    if (typing_focused && qel_key_pressed(ctx, QEL_KEY_BACKSPACE) && s->typing[0] == 0 && count > 0) {
        qel_tags_remove(buffer, capacity, buffer, starts, lengths, count, count - 1);
        count = qel_tags_split(buffer, starts, lengths);
        changed = true;
    }
    qel_interaction it = qel_interact(ctx, id, 0);
    if (it.clicked) qel_set_focus(ctx, text_id, false);
    float hover = qel_anim_exp(ctx, &s->hover, it.hovered ? 1.0f : 0.0f, HOVER_SECONDS);

    if (o->label) {
        qel_style column = {};
        column.gap = 6;
        column.width = o->width.kind != QEL_SIZE_FIT ? o->width : qel_size{QEL_SIZE_GROW, 1};
        qel_column_begin(ctx, &column);
        qel_field_label(ctx, o->label);
    }
    int32_t field = tag_field(ctx, id, o, typing_focused, hover);
    qel_node_push(ctx, field);
    int32_t remove = -1;
    for (int32_t i = 0; i < count; i++)
        if (tag_chip(ctx, buffer + starts[i], lengths[i], i)) remove = i;
    qel_text_input_opts text = {};
    text.placeholder = count == 0 ? (o->placeholder ? o->placeholder : "Add a tag") : nullptr;
    text.read_only = full;
    uint32_t result = qel_input_text_ex(ctx, text_id, s->typing, QEL_TAG_TYPING_CAPACITY, &text, false, true, nullptr);
    qel_node* input = qel_node_at(ctx, qel_node_latest_with_id(ctx, text_id));
    if (input) input->min_w = 60;
    qel_node_pop(ctx);
    if (o->label) qel_container_end(ctx);

    if (remove >= 0) {
        qel_tags_remove(buffer, capacity, buffer, starts, lengths, count, remove);
        changed = true;
    }
    if ((result & QEL_INPUT_CHANGED) && strchr(s->typing, ',')) {
        take_pieces(s->typing, buffer, capacity, full);
        changed = true;
    }
    if ((result & QEL_INPUT_SUBMITTED) && s->typing[0] && !full) {
        qel_tags_append(buffer, capacity, s->typing);
        s->typing[0] = 0;
        changed = true;
    }
    qel_set_last_item(ctx, text_id);
    return changed;
}

// --- One-time code ---

struct otp_state {
    qel_text_input_state text;  // stands as the frame's active text field while focused
    float focus;
    uint8_t complete;
};

static const double CARET_LIT_AFTER_EDIT = 0.5, CARET_PERIOD = 1.06, CARET_ON = 0.6;
static const float CARET_REDRAW = 0.53f;

static void otp_edit(qel_context* ctx, char* buffer, int32_t* length, int32_t n)
{
    bool edited = false;
    for (int32_t i = 0; i < ctx->input.text_length; i++) {
        unsigned char c = (unsigned char)ctx->input.text[i];
        if (ascii_alnum(c) && *length < n) buffer[(*length)++] = (char)c, edited = true;
    }
    if (qel_key_pressed(ctx, QEL_KEY_BACKSPACE) && *length > 0) --*length, edited = true;
    const char* clip = ctx->platform.get_clipboard && qel_shortcut_pressed(ctx, QEL_MOD_CTRL, QEL_KEY_A + ('V' - 'A'))
                           ? ctx->platform.get_clipboard(ctx->platform.user)
                           : nullptr;
    if (clip) {
        *length = 0;
        for (const char* p = clip; *p && *length < n; p++)
            if (ascii_alnum((unsigned char)*p)) buffer[(*length)++] = *p;
        edited = true;
    }
    buffer[*length] = 0;
    if (edited) qel_text_caret_moved(ctx);
}

static void otp_cell(qel_context* ctx, char c, bool caret, bool filled)
{
    int32_t cell = qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, 52});
    qel_node* n = qel_node_at(ctx, cell);
    n->min_w = 30;
    n->max_w = 44;
    n->align = QEL_ALIGN_CENTER;
    n->justify = QEL_JUSTIFY_CENTER;
    n->direction = QEL_DIR_ROW;
    n->fill = qel_theme_color(ctx, QEL_COLOR_SURFACE);
    qel_node_round(n, ctx->theme.current.radius_small);
    qel_color ink = accent_or_text(ctx);
    n->border_width = caret ? 1.5f : 1.0f;
    n->border = caret ? ink : qel_theme_color(ctx, filled ? QEL_COLOR_TEXT_MUTED : QEL_COLOR_BORDER_STRONG);
    qel_node_push(ctx, cell);
    if (filled) {
        int32_t glyph = qel_text_leaf(ctx, &c, 1, QEL_FONT_HEADING, 22 * ctx->theme.current.ui_scale,
                                      qel_theme_color(ctx, QEL_COLOR_TEXT), false, 1.0f);
        qel_node_at(ctx, glyph)->content_align = 1;
    } else if (caret) {
        double since = ctx->clock.time - ctx->text_fields.caret_time;
        bool lit = since < CARET_LIT_AFTER_EDIT || fmod(since, CARET_PERIOD) < CARET_ON;
        int32_t bar = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, 1.5f}, {QEL_SIZE_FIXED, 22});
        if (lit) qel_node_at(ctx, bar)->fill = ink;
    }
    qel_node_pop(ctx);
}

bool qel_otp_input(qel_context* ctx, const char* label, char* buffer, int32_t cells)
{
    if (cells < 1 || !buffer) return false;
    int32_t n = cells < QEL_OTP_MAX_CELLS ? cells : QEL_OTP_MAX_CELLS;
    uint32_t id = qel_id(ctx, label);
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE | QEL_INTERACT_NO_KEYS);
    auto* s = qel_state_record_of<otp_state>(ctx, id, "otp_state");
    int32_t length = (int32_t)strnlen(buffer, (size_t)n);
    buffer[length] = 0;
    if (it.focused) {
        qel_text_set_active(ctx, &s->text);
        otp_edit(ctx, buffer, &length, n);
        if (qel_key_pressed(ctx, QEL_KEY_ESCAPE)) qel_set_focus(ctx, 0, false);
        qel_request_redraw_in(ctx, CARET_REDRAW);
    }
    qel_anim_exp(ctx, &s->focus, it.focused ? 1.0f : 0.0f, HOVER_SECONDS);

    int32_t row = qel_node_sized(ctx, id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node* r = qel_node_at(ctx, row);
    r->direction = QEL_DIR_ROW;
    r->align_self = QEL_ALIGN_START;
    r->gap = 8;
    r->max_w = (float)n * 44 + (float)(n - 1) * 8 + (n > 5 ? 18.0f : 0.0f);
    if (r->direction_mode == 0) r->direction_mode = 1;  // codes read left to right everywhere
    qel_node_mark_interactive(ctx, row, QEL_INTERACT_FOCUSABLE);
    if (it.hovered) qel_set_cursor(ctx, QEL_CURSOR_IBEAM);
    qel_node_focus_ring_full(ctx, row, it.focused && it.focus_visible);
    qel_node_push(ctx, row);
    int32_t caret = it.focused ? (length < n - 1 ? length : n - 1) : -1;
    for (int32_t i = 0; i < n; i++) {
        otp_cell(ctx, i < length ? buffer[i] : 0, i == caret, i < length);
        if (n > 5 && i == n / 2 - 1) {
            int32_t dash = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, 10}, {QEL_SIZE_FIXED, 2});
            qel_node* d = qel_node_at(ctx, dash);
            d->align_self = QEL_ALIGN_CENTER;
            d->fill = qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG);
            qel_node_round(d, 1);
        }
    }
    qel_node_pop(ctx);

    bool complete = length == n;
    bool became = complete && !s->complete;
    s->complete = complete;
    return became;
}

// --- Password strength ---

int32_t qel_password_strength(qel_context* ctx, const char* password)
{
    bool lower = false, upper = false, digit = false, other = false;
    size_t length = password ? strlen(password) : 0;
    for (size_t i = 0; i < length; i++) {
        unsigned char c = (unsigned char)password[i];
        if (c >= 'a' && c <= 'z') lower = true;
        else if (c >= 'A' && c <= 'Z') upper = true;
        else if (c >= '0' && c <= '9') digit = true;
        else other = true;
    }
    int32_t classes = (int32_t)digit + (int32_t)(lower && upper) + (int32_t)other;
    int32_t score = length == 0 ? 0 : length < 8 ? (classes < 1 ? classes : 1) : length < 12 ? classes + 1
                                                                              : (classes + 2 < 4 ? classes + 2 : 4);
    static const int32_t COLORS[5] = {QEL_COLOR_TEXT_MUTED, QEL_COLOR_DANGER, QEL_COLOR_WARNING, QEL_COLOR_SUCCESS,
                                      QEL_COLOR_SUCCESS};
    static const char* const WORDS[5] = {"Too short", "Weak", "Fair", "Good", "Strong"};
    qel_color color = qel_theme_color(ctx, COLORS[score]);

    int32_t nodes = ctx->tree.count;
    uint32_t base = qel_hash_bytes(&nodes, sizeof nodes, qel_id(ctx, "#strength"));
    qel_style row = {};
    row.align = QEL_ALIGN_CENTER;
    row.gap = 4;
    qel_row_begin(ctx, &row);
    qel_color track = qel_theme_color(ctx, QEL_COLOR_TRACK);
    for (int32_t k = 0; k < 4; k++) {
        float lit = qel_anim_value(ctx, base + (uint32_t)k, length > 0 && score > k ? 1.0f : 0.0f);
        int32_t bar = qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, 4});
        qel_node_at(ctx, bar)->fill = qel_color_mix(track, color, lit);
        qel_node_round(qel_node_at(ctx, bar), 2);
    }
    qel_gap(ctx, 6);
    int32_t word = qel_text_leaf(ctx, length > 0 ? WORDS[score] : "", -1, QEL_FONT_MEDIUM, qel_text_small_scaled(ctx),
                                 color, false, 1.3f);
    qel_node_at(ctx, word)->min_w = 60;
    qel_node_at(ctx, word)->content_align = 2;
    qel_container_end(ctx);
    return score;
}
