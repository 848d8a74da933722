// The command palette: its open and fade state, the fuzzy match and ranking of the commands, the
// list with keyboard and pointer highlight, and the footer of key hints. The scrim, the topmost
// modal record and the panel's look are shared with the sheets (sheet.cpp).
#include "qel/command_palette.h"

#include <cmath>
#include <cstring>

#include "core/core.h"
#include "overlays/overlay_state.h"
#include "qel/arena.h"
#include "qel/font.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/scroll_container.h"
#include "qel/state.h"
#include "qel/text_input.h"
#include "qel/text_units.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

static const uint32_t PANEL_KEY = 0x9A4Eu;
static const int32_t PALETTE_Z = 0x7FFF0000;
static const float ROW_HEIGHT = 40.0f, LIST_MAX_HEIGHT = 340.0f, MARGIN = 6.0f;

struct palette_state {
    char query[128];
    int32_t highlighted;  // position in the ranked list
    uint8_t open;
    float spring[2];
};

// --- Matching ---

// The label's score for the query; -1 when it does not hold the query's characters in order.
static int32_t score_of(const char* query, const char* label)
{
    if (!label) label = "";
    if (!query || !*query) return 1;
    int32_t score = 0, run = 0, at = 0, length = (int32_t)strlen(label);
    for (const char* q = query; *q; q++) {
        if (*q == ' ') continue;
        int32_t start = at;
        while (at < length && qel_ascii_lower(label[at]) != qel_ascii_lower(*q)) at++;
        if (at == length) return -1;
        if (at > start) run = 0;
        score += (at == 0 || label[at - 1] == ' ' ? 5 : 2) + run;
        run++;
        at++;
    }
    return score;
}

struct ranked {
    uint32_t index;
    int32_t score;
};

// The matches in array order, then sorted by score (stable) when the query is not empty.
static int32_t rank(qel_context* ctx, const char* query, const qel_command* commands, uint32_t count, ranked** out)
{
    ranked* r = (ranked*)qel_arena_alloc(ctx, sizeof(ranked) * (count ? count : 1));
    int32_t n = 0;
    for (uint32_t i = 0; i < count && commands; i++) {
        int32_t s = score_of(query, commands[i].label);
        if (s >= 0) r[n++] = {i, s};
    }
    if (query[0])
        for (int32_t i = 1; i < n; i++)
            for (int32_t j = i; j > 0 && r[j].score > r[j - 1].score; j--) {
                ranked t = r[j];
                r[j] = r[j - 1];
                r[j - 1] = t;
            }
    *out = r;
    return n;
}

static void keys(qel_context* ctx, palette_state* st, int32_t n)
{
    if (n <= 0) return;  // nothing to move over
    if (qel_key_pressed(ctx, QEL_KEY_DOWN)) st->highlighted = (st->highlighted + 1) % n;
    if (qel_key_pressed(ctx, QEL_KEY_UP)) st->highlighted = (st->highlighted + n - 1) % n;
    if (st->highlighted >= n) st->highlighted = n - 1;
    if (st->highlighted < 0) st->highlighted = 0;
}

// --- Building ---

static void query_row(qel_context* ctx, palette_state* st)
{
    qel_style row = {};
    row.padding_top = row.padding_bottom = 8;
    row.padding_left = row.padding_right = 10;
    row.width = {QEL_SIZE_GROW, 1};
    qel_container_begin(ctx, &row);
    uint32_t field = qel_id(ctx, "#query");
    if (st->open) qel_set_focus(ctx, field, false);
    qel_text_input_opts o = {};
    o.placeholder = "Type a command or search";
    o.size = 2;
    uint32_t result = qel_input_text_ex(ctx, field, st->query, (int32_t)sizeof st->query, &o, false, true, QEL_ICON_SEARCH);
    if (result & QEL_INPUT_CHANGED) st->highlighted = 0;
    qel_container_end(ctx);
    qel_divider(ctx);
}

static void group_caption(qel_context* ctx, const char* group, bool first)
{
    qel_style box = {};
    box.padding_top = first ? 4.0f : 10.0f;
    box.padding_bottom = 4;
    box.padding_left = 10;
    qel_container_begin(ctx, &box);
    qel_text_leaf_scaled(ctx, group, QEL_FONT_MEDIUM, qel_theme_block_get(ctx)->text_small,
                         qel_color_token(QEL_COLOR_TEXT_MUTED), 1.3f);
    qel_container_end(ctx);
}

// Moves the list's scroll so the highlighted row shows with a margin.
static void reveal(qel_context* ctx, uint32_t list, uint32_t row)
{
    if (!qel_id_seen(ctx, row)) return;
    qel_rect r = qel_id_rect(ctx, row), l = qel_id_rect(ctx, list);
    qel_scroll_state* s = (qel_scroll_state*)qel_state_get(ctx, list, sizeof(qel_scroll_state));
    if (r.y + r.h > l.y + l.h - MARGIN) s->target_y += r.y + r.h - (l.y + l.h) + MARGIN;
    else if (r.y < l.y + MARGIN) s->target_y -= l.y - r.y + MARGIN;
}

// One command row; true when it was chosen.
static bool command_row(qel_context* ctx, uint32_t palette, palette_state* st, const qel_command& c, uint32_t index,
                        int32_t position, uint32_t list)
{
    const qel_theme* th = qel_theme_block_get(ctx);
    uint32_t id = qel_hash_bytes(&index, sizeof index, palette);
    qel_interaction it = qel_interact(ctx, id, 0);
    if (it.hovered && qel_mouse_moved(ctx)) st->highlighted = position;
    bool highlighted = st->highlighted == position;
    if (highlighted && (qel_key_pressed(ctx, QEL_KEY_UP) || qel_key_pressed(ctx, QEL_KEY_DOWN))) reveal(ctx, list, id);
    int32_t node = qel_node_open(ctx, id);
    qel_node* n = qel_node_at(ctx, node);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->height = {QEL_SIZE_FIXED, ROW_HEIGHT};
    n->pad_left = n->pad_right = 12;
    n->gap = 12;
    qel_node_round(n, th->radius_medium - 6);
    if (highlighted) n->fill = qel_color_token(QEL_COLOR_ACTIVE);
    qel_node_mark_interactive(ctx, node, 0);
    if (it.hovered) qel_set_cursor(ctx, QEL_CURSOR_HAND);
    qel_node_push(ctx, node);
    if (c.icon) qel_icon(ctx, c.icon, 16, qel_color_token(highlighted ? QEL_COLOR_TEXT : QEL_COLOR_TEXT_SECONDARY));
    int32_t text = qel_text_leaf(ctx, c.label ? c.label : "", -1, QEL_FONT_BODY, qel_scaled(ctx, th->text_body + 0.5f),
                                 qel_color_token(QEL_COLOR_TEXT), false, 1.3f);
    qel_node_at(ctx, text)->width = {QEL_SIZE_GROW, 1};
    if (c.shortcut) qel_word_chips(ctx, c.shortcut);
    qel_node_pop(ctx);
    return it.clicked || (highlighted && qel_key_pressed(ctx, QEL_KEY_ENTER));
}

static int32_t command_list(qel_context* ctx, uint32_t palette, palette_state* st, const qel_command* commands,
                            const ranked* matches, int32_t n)
{
    if (n == 0) {
        qel_style box = {};
        box.padding_top = box.padding_bottom = 28;
        box.width = {QEL_SIZE_GROW, 1};
        box.align = QEL_ALIGN_CENTER;
        qel_container_begin(ctx, &box);
        qel_text_leaf_scaled(ctx, "No results found", QEL_FONT_BODY, qel_theme_block_get(ctx)->text_body,
                             qel_color_token(QEL_COLOR_TEXT_MUTED), 1.3f);
        qel_container_end(ctx);
        return -1;
    }
    uint32_t list = qel_id(ctx, "#list");
    qel_style style = {};
    style.padding = 6;
    style.max_h = LIST_MAX_HEIGHT;
    style.width = {QEL_SIZE_GROW, 1};
    qel_scroll_begin(ctx, list, &style, false);
    const char* last_group = nullptr;
    int32_t chosen = -1;
    for (int32_t k = 0; k < n; k++) {
        const qel_command& c = commands[matches[k].index];
        if (!st->query[0] && c.group && (!last_group || strcmp(c.group, last_group) != 0)) {
            group_caption(ctx, c.group, k == 0);
            last_group = c.group;
        }
        if (command_row(ctx, palette, st, c, matches[k].index, k, list)) chosen = (int32_t)matches[k].index;
    }
    qel_scroll_end(ctx);
    return chosen;
}

static void footer(qel_context* ctx)
{
    const qel_theme* th = qel_theme_block_get(ctx);
    qel_divider(ctx);
    qel_style row = {};
    row.wrap = 1;
    row.gap = 16;
    row.padding_top = row.padding_bottom = 10;
    row.padding_left = row.padding_right = 14;
    row.fill = qel_color_token(QEL_COLOR_SUBTLE);
    row.width = {QEL_SIZE_GROW, 1};
    row.radius_bottom_left = row.radius_bottom_right = th->radius_medium - 1;
    qel_row_begin(ctx, &row);
    static const char* const HINTS[3][2] = {
        {"\xE2\x86\x91 \xE2\x86\x93", "Navigate"}, {"\xE2\x86\xB5", "Select"}, {"Esc", "Close"}};
    for (const auto& hint : HINTS) {
        qel_style pair = {};
        pair.gap = 6;
        pair.align = QEL_ALIGN_CENTER;
        qel_row_begin(ctx, &pair);
        qel_word_chips(ctx, hint[0]);
        qel_text_leaf_scaled(ctx, hint[1], QEL_FONT_BODY, th->text_small, qel_color_token(QEL_COLOR_TEXT_SECONDARY),
                             1.3f);
        qel_container_end(ctx);
    }
    qel_container_end(ctx);
}

// Opening, closing and dismissal; false once a closed palette has faded out.
static bool advance(qel_context* ctx, uint32_t id, palette_state* st, uint8_t* open, float* t)
{
    bool is_open = open && *open;
    bool opening = is_open && !st->open;
    if (opening) {
        st->query[0] = 0;
        st->highlighted = 0;
    }
    st->open = is_open;
    if (!qel_overlay_fade(ctx, st->spring, is_open, 0.28f, 0.16f, t)) return false;
    if (!is_open) return true;
    if (qel_key_take(ctx, QEL_KEY_ESCAPE)) *open = 0;
    qel_modal_claim_top(ctx, id, PALETTE_Z, opening);
    return true;
}

int32_t qel_command_palette(qel_context* ctx, uint8_t* open, const qel_command* commands, uint32_t count)
{
    uint32_t id = qel_id(ctx, "#command-palette");
    palette_state* st = qel_state_record_of<palette_state>(ctx, id, "palette_state");
    float t = 0;
    if (!advance(ctx, id, st, open, &t)) return -1;
    bool closing = !st->open;
    bool scrim_clicked = false;
    int32_t scrim = qel_scrim_begin(ctx, id, PALETTE_Z, 0.7f * t, &scrim_clicked);
    if (scrim_clicked && !closing) *open = 0;
    qel_vec2 display = qel_ctx_display_size(ctx);
    qel_node* s = qel_node_at(ctx, scrim);
    s->align = QEL_ALIGN_CENTER;
    s->justify = QEL_JUSTIFY_START;
    s->pad_top = fmaxf(24, 0.14f * display.y);
    qel_push_disabled(ctx, closing);
    qel_push_id(ctx, "#palette");
    int32_t panel = qel_node_open(ctx, id ^ PANEL_KEY);
    qel_node* p = qel_node_at(ctx, panel);
    qel_overlay_panel_style(ctx, p, qel_theme_block_get(ctx)->radius_medium, 0.07f);
    p->width = {QEL_SIZE_FIXED, fminf(display.x - 32, 580)};
    p->flags |= QEL_NODE_CLIP;
    p->opacity = t;
    p->scale = 0.96f + 0.04f * t;
    p->translate_y = (1 - t) * -8;
    qel_node_push(ctx, panel);
    query_row(ctx, st);
    ranked* matches = nullptr;
    int32_t n = rank(ctx, st->query, commands, count, &matches);
    keys(ctx, st, n);
    int32_t chosen = command_list(ctx, id, st, commands, matches, n);
    footer(ctx);
    qel_node_pop(ctx);
    qel_pop_id(ctx);
    qel_pop_disabled(ctx);
    qel_scrim_end(ctx);
    if (chosen >= 0 && open) {
        *open = 0;
        ctx->input.key_presses[QEL_KEY_ENTER] = 0;
    }
    return chosen;
}
