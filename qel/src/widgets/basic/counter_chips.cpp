// Counter chips: each chip's click, the rolling count and the pop of its icon, and the chip's
// colours. The cursor and focus ring are widget_feel's.
#include "qel/counter_chips.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "core/core.h"
#include "qel/anim.h"
#include "qel/color.h"
#include "qel/font.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/layout.h"
#include "qel/state.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/widget_nodes.h"

static const float ROLL_DISTANCE = 14, COUNT_HEIGHT = 18;

struct chip_state {
    int32_t shown, previous;
    float progress;
    int32_t direction;  // +1 up, -1 down
    float on;
    float scale[2];
    uint8_t started;
};

// Clicks flip the item; counts that differ from the one shown start a roll.
static bool update_chip(qel_context* ctx, chip_state* s, qel_counter_item* item, const qel_interaction& it)
{
    if (!s->started) {
        s->shown = s->previous = item->count;
        s->progress = 1;
        s->on = item->on ? 1.0f : 0.0f;
        s->scale[0] = 1;
        s->started = 1;
    }
    if (it.clicked) {
        item->on = !item->on;
        if (item->on) item->count = item->count < 0 ? 0 : item->count < INT32_MAX ? item->count + 1 : INT32_MAX;
        else item->count = item->count > 0 ? item->count - 1 : 0;
        if (item->on) s->scale[0] = 1.18f;
    }
    if (item->count != s->shown) {
        s->direction = item->count > s->shown ? 1 : -1;
        s->previous = s->shown;
        s->shown = item->count;
        s->progress = 0;
    }
    qel_anim_exp(ctx, &s->progress, 1, 0.2f);
    qel_anim_exp(ctx, &s->on, item->on ? 1.0f : 0.0f, 0.18f);
    qel_anim_spring(ctx, s->scale, 1, 0.35f, 0.35f);
    return it.clicked;
}

// A count leaving or arriving, moved and faded by the roll.
static void count_text(qel_context* ctx, int32_t value, float offset, float opacity, qel_color color)
{
    char text[16];
    snprintf(text, sizeof text, "%d", value);
    int32_t index = qel_text_leaf(ctx, text, -1, QEL_FONT_BODY, qel_text_small_scaled(ctx), color, false, 1.2f);
    qel_node* n = qel_node_at(ctx, index);
    n->translate_y = offset;
    n->opacity = fmaxf(opacity, 0.001f);
}

static void count_box(qel_context* ctx, const chip_state* s, qel_color color)
{
    float size = qel_text_small_scaled(ctx);
    bool rolling = s->progress < 1;
    char shown[16], previous[16];
    snprintf(shown, sizeof shown, "%d", s->shown);
    snprintf(previous, sizeof previous, "%d", s->previous);
    float width = qel_text_width_measured(ctx, QEL_FONT_BODY, size, shown, -1, false);
    if (rolling) width = fmaxf(width, qel_text_width_measured(ctx, QEL_FONT_BODY, size, previous, -1, false));
    int32_t box = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, width}, {QEL_SIZE_FIXED, COUNT_HEIGHT});
    qel_node* n = qel_node_at(ctx, box);
    n->direction = QEL_DIR_STACK;
    n->justify = QEL_JUSTIFY_CENTER;
    n->flags |= QEL_NODE_CLIP;
    qel_node_push(ctx, box);
    float d = (float)s->direction;
    if (rolling) count_text(ctx, s->previous, -ROLL_DISTANCE * d * s->progress, 1 - s->progress, color);
    count_text(ctx, s->shown, rolling ? ROLL_DISTANCE * d * (1 - s->progress) : 0, rolling ? s->progress : 1, color);
    qel_node_pop(ctx);
}

static void chip_node(qel_context* ctx, uint32_t id, const chip_state* s, const qel_interaction& it, const char* icon)
{
    qel_color c = qel_theme_color(ctx, qel_theme_get_accent(ctx) != QEL_ACCENT_NEUTRAL ? QEL_COLOR_ACCENT : QEL_COLOR_TEXT);
    qel_color surface = qel_theme_color(ctx, QEL_COLOR_SURFACE);
    qel_color text = qel_theme_color(ctx, QEL_COLOR_TEXT), secondary = qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY);
    bool dark = qel_dark_mode(ctx);
    int32_t index = qel_node_sized(ctx, id, {QEL_SIZE_FIT, 0}, {QEL_SIZE_FIXED, 30});
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->pad_left = n->pad_right = 11;
    n->gap = 6;
    qel_node_round(n, 15);
    qel_color base = it.hovered ? qel_color_mix(surface, text, 0.06f) : surface;
    n->fill = qel_color_mix(base, qel_color_mix(surface, c, dark ? 0.18f : 0.1f), s->on);
    n->border = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_BORDER), qel_color_alpha(c, 0.55f), s->on);
    n->border_width = 1;
    qel_node_clickable(ctx, index, id, false);
    qel_focus_ring(ctx, index, it.focused && it.focus_visible ? 1.0f : 0.0f);
    qel_node_push(ctx, index);
    int32_t glyph = qel_icon(ctx, icon, 14, qel_color_mix(secondary, c, s->on));
    if (qel_node* g = qel_node_at(ctx, glyph)) g->scale = s->scale[0];
    count_box(ctx, s, qel_color_mix(secondary, text, s->on));
    qel_node_pop(ctx);
}

int32_t qel_counter_chips(qel_context* ctx, const char* label, qel_counter_item* items, int32_t count)
{
    uint32_t id = qel_id(ctx, label);
    qel_style row = {};
    row.name = label;
    row.direction = QEL_DIR_ROW;
    row.gap = 6;
    row.align = QEL_ALIGN_CENTER;
    qel_row_begin(ctx, &row);
    qel_node_at(ctx, qel_node_parent(ctx))->align_self = QEL_ALIGN_OWN_SIZE;
    int32_t clicked = -1;
    for (int32_t i = 0; items && i < count; i++) {
        uint32_t chip = qel_hash_bytes(&i, sizeof i, id);
        qel_interaction it = qel_interact(ctx, chip, QEL_INTERACT_FOCUSABLE);
        auto* s = (chip_state*)qel_state_get(ctx, chip, sizeof(chip_state));
        if (update_chip(ctx, s, &items[i], it)) clicked = i;
        chip_node(ctx, chip, s, it, items[i].icon);
    }
    qel_container_end(ctx);
    qel_set_last_item(ctx, id);
    return clicked;
}
