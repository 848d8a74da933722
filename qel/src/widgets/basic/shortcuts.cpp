// Key names, shortcut text and the shortcut recorder: arming, capturing a key from this frame's
// presses, and the field's three looks. Key intake is the input module's; the chips and the
// clear button are text_widgets' and button's.
#include "qel/shortcuts.h"

#include <cmath>
#include <cstring>

#include "core/core.h"
#include "qel/anim.h"
#include "qel/arena.h"
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

static const char* const KEY_NAMES[] = {
    "",   "Tab", "Enter", "Esc", "Backspace", "Delete", "Space", "Left", "Right", "Up", "Down", "Home", "End",
    "PgUp", "PgDn", "A",  "B",   "C",   "D",   "E",   "F",   "G",   "H",   "I",   "J",   "K",   "L",   "M",
    "N",  "O",   "P",   "Q",   "R",   "S",   "T",   "U",   "V",   "W",   "X",   "Y",   "Z",   "0",   "1",
    "2",  "3",   "4",   "5",   "6",   "7",   "8",   "9",   "-",   "=",   ",",   ".",   "/",   "F1",  "F2",
    "F3", "F4",  "F5",  "F6",  "F7",  "F8",  "F9",  "F10", "F11", "F12",
};
static_assert(sizeof KEY_NAMES / sizeof KEY_NAMES[0] == QEL_KEY_COUNT);

static const char KEYBOARD_GLYPH[] = QEL_ICON_KEYBOARD;
static const char CLEAR_GLYPH[] = QEL_ICON_X;
static const float EASE_SECONDS = 0.14f;

const char* qel_key_name(int32_t key)
{
    return key > 0 && key < QEL_KEY_COUNT ? KEY_NAMES[key] : "";
}

// The modifier words in the order given, each followed by a space.
static void append_modifiers(char* out, size_t size, uint32_t modifiers, const char* super_word)
{
    const struct {
        uint32_t bit;
        const char* word;
    } words[] = {{QEL_MOD_CTRL, "Ctrl "}, {QEL_MOD_SUPER, super_word}, {QEL_MOD_ALT, "Alt "}, {QEL_MOD_SHIFT, "Shift "}};
    for (const auto& w : words)
        if (modifiers & w.bit) strncat(out, w.word, size - strlen(out) - 1);
}

const char* qel_shortcut_text(qel_context* ctx, qel_shortcut shortcut)
{
    int32_t key = qel_shortcut_key(shortcut);
    if (key == 0) return "";
    char text[64] = "";
    append_modifiers(text, sizeof text, qel_shortcut_modifiers(shortcut), "Win ");
    strncat(text, qel_key_name(key), sizeof text - strlen(text) - 1);
    return qel_arena_strdup(ctx, text, -1);
}

// --- Recorder ---

struct recorder_state {
    uint8_t recording;
    float focus, pulse;
};

// The first key pressed this frame, consumed; 0 when none.
static int32_t take_key(qel_context* ctx)
{
    for (int32_t key = 1; key < QEL_KEY_COUNT; key++) {
        if (!ctx->input.key_presses[key]) continue;
        ctx->input.key_presses[key] = 0;
        return key;
    }
    return 0;
}

// Applies a captured key; true when the shortcut changed.
static bool record_key(int32_t key, uint32_t modifiers, qel_shortcut* shortcut)
{
    qel_shortcut before = *shortcut;
    bool alone = modifiers == 0;
    if (alone && (key == QEL_KEY_ESCAPE || key == QEL_KEY_TAB)) return false;
    if (alone && (key == QEL_KEY_BACKSPACE || key == QEL_KEY_DELETE)) *shortcut = 0;
    else *shortcut = qel_shortcut_make(modifiers, key);
    return *shortcut != before && (qel_shortcut_key(before) != 0 || qel_shortcut_key(*shortcut) != 0);
}

// Arming, capturing and disarming for this frame; true when the shortcut changed.
static bool run_recorder(qel_context* ctx, uint32_t id, recorder_state* s, const qel_interaction& it,
                         qel_shortcut* shortcut)
{
    if (it.clicked) {
        s->recording = 1;
        qel_set_focus(ctx, id, false);
    } else if (it.focused && it.focus_visible &&
               (qel_key_pressed(ctx, QEL_KEY_ENTER) || qel_key_pressed(ctx, QEL_KEY_SPACE))) {
        s->recording = 1;
        ctx->input.key_presses[QEL_KEY_ENTER] = ctx->input.key_presses[QEL_KEY_SPACE] = 0;
        return false;
    }
    if (!s->recording) return false;
    if (qel_focused_id(ctx) != id) {
        s->recording = 0;
        return false;
    }
    if ((qel_mouse_pressed(ctx, 0) || qel_mouse_pressed(ctx, 1)) && qel_hovered_id(ctx) != id) {
        s->recording = 0;
        return false;
    }
    qel_keep_tab(ctx, id);  // Tab is a key to record, not a focus move
    qel_request_redraw_in(ctx, 0.05f);
    int32_t key = take_key(ctx);
    if (!key) return false;
    s->recording = 0;
    return record_key(key, qel_modifiers(ctx), shortcut);
}

void qel_record_dot_draw(qel_context* ctx, const qel_node* node, void* user)
{
    float alpha = *(const float*)user;
    qel_vec2 c = {node->rect.x + node->rect.w / 2, node->rect.y + node->rect.h / 2};
    qel_color danger = qel_theme_color(ctx, QEL_COLOR_DANGER);
    float wave = 0.5f + 0.5f * sinf(5.0f * (float)qel_ctx_time(ctx));
    qel_draw_circle(ctx, c, 3.5f + 3.0f * wave, qel_color_alpha(danger, 0.22f * alpha));
    qel_draw_circle(ctx, c, 3.5f, qel_color_alpha(danger, alpha));
}

static void small_text(qel_context* ctx, const char* text, qel_theme_slot color)
{
    qel_text_leaf(ctx, text, -1, QEL_FONT_BODY, qel_text_body_scaled(ctx), qel_color_token(color), false, 1.3f);
}

static void armed_contents(qel_context* ctx, float pulse)
{
    int32_t dot = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, 14}, {QEL_SIZE_FIXED, 14});
    qel_node_draw_with(ctx, dot, qel_record_dot_draw, &pulse, sizeof pulse, false);
    char held[32] = "";
    append_modifiers(held, sizeof held, qel_modifiers(ctx), "Super ");
    small_text(ctx, held[0] ? held : "Press a shortcut", QEL_COLOR_TEXT_SECONDARY);
}

// The chips of the shortcut and the button that clears it; true when it was cleared.
static bool shortcut_contents(qel_context* ctx, const char* label, qel_shortcut* shortcut)
{
    qel_word_chips(ctx, qel_shortcut_text(ctx, *shortcut));
    qel_spacer(ctx);
    qel_push_id(ctx, label);
    qel_button_opts clear = {};
    clear.size = 1;
    clear.tooltip = "Clear";
    bool cleared = qel_icon_button(ctx, CLEAR_GLYPH, &clear);
    qel_pop_id(ctx);
    if (cleared) *shortcut = 0;
    return cleared;
}

static int32_t recorder_node(qel_context* ctx, uint32_t id, const recorder_state* s, qel_size width)
{
    float h = qel_control_height(ctx, 0);
    int32_t index = qel_node_sized(ctx, id, width, {QEL_SIZE_FIXED, h});
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->gap = 8;
    n->pad_left = 12;
    n->pad_right = 6;
    n->fill = qel_color_token(QEL_COLOR_SURFACE);
    n->border_width = 1;
    n->border = qel_color_mix(qel_field_border_color(ctx, 0), qel_focus_color(ctx), s->focus);
    qel_node_round(n, fminf(ctx->theme.current.radius_small, h / 2));
    qel_node_clickable(ctx, index, id, false);
    return index;
}

bool qel_shortcut_recorder(qel_context* ctx, const char* label, qel_shortcut* shortcut,
                           const qel_shortcut_opts* options)
{
    const qel_shortcut_opts none = {};
    const qel_shortcut_opts* o = options ? options : &none;
    uint32_t id = qel_id(ctx, label);
    auto* s = qel_state_record_of<recorder_state>(ctx, id, "recorder_state");
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE | QEL_INTERACT_NO_KEYS);
    qel_shortcut own = 0;
    qel_shortcut* value = shortcut ? shortcut : &own;
    bool changed = run_recorder(ctx, id, s, it, value);
    qel_anim_exp(ctx, &s->focus, it.focused || s->recording ? 1.0f : 0.0f, EASE_SECONDS);
    qel_anim_exp(ctx, &s->pulse, s->recording ? 1.0f : 0.0f, EASE_SECONDS);

    int32_t index = recorder_node(ctx, id, s, o->width);
    bool ring = qel_focused_id(ctx) == id && ctx->interaction.focus_visible;
    qel_node_push(ctx, index);
    if (s->recording) {
        armed_contents(ctx, s->pulse);
    } else if (qel_shortcut_key(*value) == 0) {
        small_text(ctx, o->placeholder ? o->placeholder : "Click to record", QEL_COLOR_TEXT_MUTED);
        qel_icon_glyph(ctx, KEYBOARD_GLYPH, 16, qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED));
    } else {
        changed |= shortcut_contents(ctx, label, value);
    }
    qel_node_pop(ctx);
    qel_focus_ring(ctx, index, ring ? 1.0f : 0.0f);
    qel_set_last_item(ctx, id);
    return changed;
}
