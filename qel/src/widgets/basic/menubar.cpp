// The menu bar: Alt and F10 tracking, keyboard mode with its saved focus, mnemonics, arrow travel
// and pointer switching decided as the bar begins from the titles of the last frame; the titles
// and their popups as the menus are built. Also the bar row and slots the toolbar and status bar
// share, and whether an overlay lies above. Popups and menu rows are the popup layer's.
#include "qel/menubar.h"

#include <cmath>

#include "widgets/basic/bar_slots.h"
#include "core/core.h"
#include "qel/anim.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/popup.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/text_units.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/scopes.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

static const uint32_t POPUP_KEY = 0x3e40b4u;
static const float HOVER_SECONDS = 0.14f;
static const int32_t KEY_F10 = QEL_KEY_F1 + 9;

// --- Shared by bars ---

void qel_bar_edge_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const qel_bar_edge_payload*)user;
    const qel_rect& r = node->rect;
    qel_rect line = {r.x, p->top ? r.y : r.y + r.h - 1, r.w, 1};
    qel_draw_rect(ctx, &line, nullptr, p->color);
}

int32_t qel_bar_row_node(qel_context* ctx, uint32_t id, bool edge_line, bool top_edge)
{
    int32_t index = qel_node_sized(ctx, id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node* n = qel_node_at(ctx, index);
    n->flags |= QEL_NODE_CLIP;
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->align_self = QEL_ALIGN_STRETCH;
    n->gap = 2;
    n->pad_top = n->pad_bottom = 3;
    n->pad_left = n->pad_right = 6;
    if (edge_line) {
        qel_bar_edge_payload p = {qel_color_token(QEL_COLOR_BORDER), (uint8_t)top_edge};
        qel_node_draw_with(ctx, index, qel_bar_edge_draw, &p, sizeof p, false);
    }
    return index;
}

bool qel_overlay_above(qel_context* ctx)
{
    return qel_keys_blocked(ctx) != 0;
}

void qel_menubar_spacer(qel_context* ctx)
{
    const auto* toolbar = qel_scope_find<qel_toolbar_record>(ctx);
    if (!toolbar || !toolbar->overflowing) qel_spacer(ctx);
}

// The state of the menu bar being built, or null.
static qel_menubar_state* open_menubar(qel_context* ctx)
{
    const auto* r = qel_scope_find<qel_menubar_record>(ctx);
    return r ? r->state : nullptr;
}

// --- Keyboard mode ---

static void enter_keyboard(qel_context* ctx, qel_menubar_state* s)
{
    if (s->keyboard) return;
    s->keyboard = 1;
    s->saved_focus = qel_focused_id(ctx);
    qel_set_focus(ctx, 0, false);
}

// The focus saved on entering goes back unless another widget has taken the focus since.
static void leave_keyboard(qel_context* ctx, qel_menubar_state* s)
{
    if (!s->keyboard) return;
    s->keyboard = 0;
    if (!qel_focused_id(ctx) && s->saved_focus) qel_set_focus(ctx, s->saved_focus, true);
    s->saved_focus = 0;
}

static bool popup_open(qel_context* ctx, uint32_t id)
{
    const qel_popup_slot* slot = qel_popup_find(ctx, id, false);
    return slot && slot->open;
}

// The next enabled menu from index in steps of step, wrapping; index itself when none is.
static int32_t next_enabled(const qel_menubar_state* s, int32_t n, int32_t index, int32_t step)
{
    for (int32_t k = 1; k <= n; k++) {
        int32_t j = ((index + step * k) % n + n) % n;
        if (!s->disabled[j]) return j;
    }
    return index;
}

void qel_menubar_switch(qel_context* ctx, qel_menubar_state* s, int32_t index, bool by_keyboard)
{
    if (s->open >= 0 && s->open != index) qel_popup_set_open(ctx, s->popup[s->open], false);
    s->open = index;
    if (index < 0) return;
    qel_popup_set_open(ctx, s->popup[index], true);
    qel_popup_slot* slot = qel_popup_find(ctx, s->popup[index], false);
    if (slot) slot->at_point = 0;
    if (by_keyboard) {
        qel_popup_nav* nav = qel_popup_nav_of(ctx, s->popup[index]);
        nav->highlighted = 0;
        nav->moved_by_keyboard = 1;
    }
}

// A popup closed by the popup layer (Escape, an outside press, a chosen row) while it was the
// open menu: after Escape the bar stays in keyboard mode on that menu, otherwise it leaves it.
static void closed_by_layer(qel_context* ctx, qel_menubar_state* s, int32_t i)
{
    if (i != s->open || popup_open(ctx, s->popup[i])) return;
    s->open = -1;
    if (s->escape) {
        enter_keyboard(ctx, s);
        s->highlighted = i;
    } else {
        leave_keyboard(ctx, s);
    }
}

// --- Begin: what the keys and the pointer do to the bar ---

static bool any_mouse_press(qel_context* ctx)
{
    return qel_mouse_pressed(ctx, 0) || qel_mouse_pressed(ctx, 1) || qel_mouse_pressed(ctx, 2);
}

static bool any_key_press(qel_context* ctx)
{
    for (int32_t k = 1; k < QEL_KEY_COUNT; k++)
        if (ctx->input.key_presses[k]) return true;
    return false;
}

// A lone Alt tap (down and up with nothing else between) or F10 alone toggles keyboard mode.
static bool alt_or_f10_toggle(qel_context* ctx, qel_menubar_state* s)
{
    bool alt = (qel_modifiers(ctx) & QEL_MOD_ALT) != 0;
    bool mouse = any_mouse_press(ctx);
    if (alt && !s->alt_held && !mouse) s->alt_alone = 1;
    if (any_key_press(ctx) || mouse || !ctx->input.window_focused) s->alt_alone = 0;
    bool toggle = (!alt && s->alt_held && s->alt_alone) || qel_shortcut_pressed(ctx, 0, KEY_F10);
    s->alt_held = alt;
    s->underlines = alt;
    if (toggle) s->underlines = s->alt_held = s->alt_alone = 0;
    return toggle;
}

static void toggle_keyboard(qel_context* ctx, qel_menubar_state* s, int32_t n)
{
    qel_key_take(ctx, KEY_F10);
    if (s->open >= 0) {
        s->open = -1;
        leave_keyboard(ctx, s);
    } else if (s->keyboard) {
        leave_keyboard(ctx, s);
    } else {
        enter_keyboard(ctx, s);
        s->highlighted = s->disabled[0] ? next_enabled(s, n, 0, 1) : 0;
    }
}

static int32_t mnemonic_key(uint8_t c)
{
    if (c >= 'a' && c <= 'z') return QEL_KEY_A + (c - 'a');
    if (c >= 'A' && c <= 'Z') return QEL_KEY_A + (c - 'A');
    if (c >= '0' && c <= '9') return QEL_KEY_0 + (c - '0');
    return 0;
}

static void mnemonics(qel_context* ctx, qel_menubar_state* s, int32_t n)
{
    uint32_t mods = qel_modifiers(ctx);
    bool by_alt = (mods & QEL_MOD_ALT) && !(mods & (QEL_MOD_CTRL | QEL_MOD_SUPER));
    bool in_mode = s->keyboard && s->open < 0 && !(mods & (QEL_MOD_CTRL | QEL_MOD_ALT | QEL_MOD_SUPER));
    if (!by_alt && !in_mode) return;
    for (int32_t i = 0; i < n; i++) {
        int32_t key = mnemonic_key(s->mnemonic[i]);
        if (s->disabled[i] || !key || !qel_key_take(ctx, key)) continue;
        enter_keyboard(ctx, s);
        qel_menubar_switch(ctx, s, i, true);
        return;
    }
}

static void travel_titles(qel_context* ctx, qel_menubar_state* s, int32_t n)
{
    int32_t h = s->highlighted;
    if (qel_key_take(ctx, QEL_KEY_LEFT)) h = next_enabled(s, n, h, -1);
    if (qel_key_take(ctx, QEL_KEY_RIGHT)) h = next_enabled(s, n, h, 1);
    if (qel_key_take(ctx, QEL_KEY_HOME)) h = s->disabled[0] ? next_enabled(s, n, 0, 1) : 0;
    if (qel_key_take(ctx, QEL_KEY_END)) h = s->disabled[n - 1] ? next_enabled(s, n, n - 1, -1) : n - 1;
    s->highlighted = h;
    static const int32_t OPENING[] = {QEL_KEY_ENTER, QEL_KEY_SPACE, QEL_KEY_DOWN, QEL_KEY_UP};
    bool open = false;
    for (int32_t key : OPENING) open |= qel_key_take(ctx, key);
    if (open && !s->disabled[h]) qel_menubar_switch(ctx, s, h, true);
    bool leave = qel_key_take(ctx, QEL_KEY_ESCAPE);
    leave |= qel_key_take(ctx, QEL_KEY_TAB);
    if (leave) leave_keyboard(ctx, s);
}

static void follow_pointer(qel_context* ctx, qel_menubar_state* s, int32_t n)
{
    uint32_t hovered = qel_hovered_id(ctx);
    int32_t h = -1;
    for (int32_t i = 0; hovered && i < n; i++)
        if (s->title[i] == hovered) h = i;
    if (!any_mouse_press(ctx)) {
        if (s->open >= 0 && qel_mouse_moved(ctx) && h >= 0 && h != s->open && !s->disabled[h]) qel_menubar_switch(ctx, s, h, false);
        return;
    }
    if (h >= 0 && !s->disabled[h] && qel_mouse_pressed(ctx, 0)) {
        leave_keyboard(ctx, s);
        qel_menubar_switch(ctx, s, h == s->open ? -1 : h, false);
    } else if (h < 0 && s->keyboard && s->open < 0) {
        leave_keyboard(ctx, s);
    }
}

// True when a popup opened above the open menu's own, or any overlay above the bar's layer.
static bool bar_blocked(qel_context* ctx, const qel_menubar_state* s)
{
    if (s->open < 0) return qel_overlay_above(ctx);
    const qel_popup_slot* mine = qel_popup_find(ctx, s->popup[s->open], false);
    return mine && qel_popup_open_above(ctx, mine->z);
}

void qel_menubar_begin(qel_context* ctx, const char* label, const qel_menubar_opts* options)
{
    const qel_menubar_opts zero = {};
    const qel_menubar_opts* o = options ? options : &zero;
    uint32_t id = qel_id(ctx, label);
    auto* s = qel_state_record_of<qel_menubar_state>(ctx, id, "qel_menubar_state");
    if (!s->started) s->open = -1, s->started = 1;
    int32_t n = s->last_count < QEL_MENUBAR_MAX_MENUS ? s->last_count : QEL_MENUBAR_MAX_MENUS;
    if (s->open >= n) s->open = -1;
    if (s->highlighted >= n) s->highlighted = 0;
    s->escape = qel_key_pressed(ctx, QEL_KEY_ESCAPE);

    if (s->keyboard && qel_focused_id(ctx)) s->keyboard = 0, s->saved_focus = 0;
    if (s->open >= 0 && !popup_open(ctx, s->popup[s->open])) {
        s->open = -1;
        leave_keyboard(ctx, s);
    }
    bool blocked = bar_blocked(ctx, s);
    bool toggle = alt_or_f10_toggle(ctx, s);
    if (n > 0 && !blocked) {
        if (toggle) toggle_keyboard(ctx, s, n);
        mnemonics(ctx, s, n);
        if (s->keyboard && s->open < 0) travel_titles(ctx, s, n);
        if (s->open >= 0 && n >= 2) {
            if (qel_key_take(ctx, QEL_KEY_LEFT)) qel_menubar_switch(ctx, s, next_enabled(s, n, s->open, -1), true);
            if (qel_key_take(ctx, QEL_KEY_RIGHT)) qel_menubar_switch(ctx, s, next_enabled(s, n, s->open, 1), true);
        }
    }
    follow_pointer(ctx, s, n);

    int32_t row = qel_bar_row_node(ctx, id, !o->no_border, false);
    qel_node_push(ctx, row);
    qel_push_id(ctx, label);
    s->counted = 0;
    s->last_menu = -1;
    s->last_menu_open = 0;
    qel_scope_push<qel_menubar_record>(ctx)->state = s;
}

void qel_menubar_end(qel_context* ctx)
{
    qel_menubar_state* s = open_menubar(ctx);
    if (!s) return;
    s->last_count = s->counted < QEL_MENUBAR_MAX_MENUS ? s->counted : QEL_MENUBAR_MAX_MENUS;
    for (int32_t i = s->last_count; i < QEL_MENUBAR_MAX_MENUS; i++) s->title[i] = 0;
    qel_pop_id(ctx);
    qel_node_pop(ctx);
    qel_scope_pop<qel_menubar_record>(ctx);
}

// --- Menus ---

struct title_state {
    float hover, ring;
};

struct underline_payload {
    int32_t offset, length;
    qel_color color;
};

void qel_menubar_title_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const underline_payload*)user;
    if (!node->text || p->offset + p->length > node->text_length) return;
    int32_t font = (int32_t)node->font;
    float x = node->rect.x + qel_text_width(ctx, font, node->font_size, node->text, p->offset, 0);
    float w = qel_text_width(ctx, font, node->font_size, node->text + p->offset, p->length, 0);
    float y = floorf(node->rect.y + (node->rect.h - qel_line_height(ctx, font, node->font_size)) * 0.5f +
                     qel_font_ascent(ctx, font, node->font_size) + 2);
    qel_rect line = {x, y, w, 1};
    qel_draw_rect(ctx, &line, nullptr, p->color);
}

static uint8_t default_mnemonic(const char* label)
{
    int32_t visible = qel_label_visible_len(label);
    for (int32_t i = 0; i < visible; i++)
        if (mnemonic_key((uint8_t)label[i])) return (uint8_t)label[i];
    return 0;
}

static int32_t mnemonic_offset(const char* label, uint8_t mnemonic)
{
    int32_t visible = qel_label_visible_len(label);
    char want = qel_ascii_lower((char)mnemonic);
    for (int32_t i = 0; i < visible; i++)
        if (qel_ascii_lower(label[i]) == want) return i;
    return -1;
}

static void title_node(qel_context* ctx, uint32_t id, const char* label, const qel_menubar_state* s, int32_t i,
                       const title_state& look)
{
    const qel_theme* t = &ctx->theme.current;
    float h = qel_control_height(ctx, 1);
    bool disabled = s->disabled[i] != 0;
    int32_t index = qel_node_pill_row(ctx, id, h, 10, 0, fminf(t->radius_small, h * 0.5f));
    qel_node* n = qel_node_at(ctx, index);
    n->fill = s->open == i ? qel_theme_color(ctx, QEL_COLOR_ACTIVE)
                           : qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_HOVER), look.hover);
    if (disabled) n->opacity = 0.45f;
    qel_node_mark_interactive(ctx, index, 0);
    if (qel_hovered_id(ctx) == id) qel_set_cursor(ctx, QEL_CURSOR_HAND);
    qel_focus_ring(ctx, index, look.ring);
    qel_node_push(ctx, index);
    int32_t text = qel_text_leaf(ctx, label, qel_label_visible_len(label), QEL_FONT_BODY, qel_text_body_scaled(ctx),
                                 qel_theme_color(ctx, QEL_COLOR_TEXT), false, 1.3f);
    int32_t offset = s->mnemonic[i] ? mnemonic_offset(label, s->mnemonic[i]) : -1;
    if (offset >= 0 && (s->keyboard || s->underlines) && !disabled) {
        underline_payload p = {offset, 1, qel_theme_color(ctx, QEL_COLOR_TEXT)};
        qel_node_draw_with(ctx, text, qel_menubar_title_draw, &p, sizeof p, true);
    }
    qel_node_pop(ctx);
    qel_set_last_item(ctx, id);
}

bool qel_menubar_menu(qel_context* ctx, const char* label, const qel_menu_opts* options)
{
    qel_menubar_state* s = open_menubar(ctx);
    if (!s || !label) return false;
    s->last_menu = -1;
    s->last_menu_open = 0;
    int32_t i = s->counted++;
    if (i >= QEL_MENUBAR_MAX_MENUS) return false;
    const qel_menu_opts zero = {};
    const qel_menu_opts* o = options ? options : &zero;
    uint32_t id = qel_id(ctx, label), popup = id ^ POPUP_KEY;
    s->title[i] = id;
    s->popup[i] = popup;
    s->mnemonic[i] = o->mnemonic ? o->mnemonic : default_mnemonic(label);
    s->disabled[i] = qel_item_disabled(ctx, o->disabled);

    qel_interaction it = qel_interact_item(ctx, id, QEL_INTERACT_KEEP_FOCUS, s->disabled[i]);
    auto* look = qel_state_record_of<title_state>(ctx, id, "title_state");
    bool highlighted = s->keyboard && s->open < 0 && s->highlighted == i;
    qel_anim_exp(ctx, &look->hover, highlighted || (it.hovered && s->open < 0) ? 1.0f : 0.0f, HOVER_SECONDS);
    qel_anim_exp(ctx, &look->ring, highlighted ? 1.0f : 0.0f, HOVER_SECONDS);
    title_node(ctx, id, label, s, i, *look);

    if (popup_open(ctx, popup) != (s->open == i)) qel_popup_set_open(ctx, popup, s->open == i);
    bool was_open = s->open == i;
    bool built = qel_popup_begin(ctx, popup, id, QEL_PLACE_BELOW_START, 0, 6, 0, true);
    if (built) {
        qel_node* panel = qel_node_at(ctx, qel_node_parent(ctx));
        if (panel && panel->min_w < o->min_width) panel->min_w = o->min_width;
    }
    if (was_open) closed_by_layer(ctx, s, i);
    s->last_menu = i;
    s->last_menu_open = built;
    return built;
}

void qel_menubar_menu_end(qel_context* ctx)
{
    qel_menubar_state* s = open_menubar(ctx);
    if (!s || s->last_menu < 0) return;
    if (s->last_menu_open) qel_popup_end(ctx);
    closed_by_layer(ctx, s, s->last_menu);
    s->last_menu_open = 0;
}
