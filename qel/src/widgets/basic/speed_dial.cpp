// Speed dials: the button with its press and hover motion, the open spring, and the staggered
// stack of actions on an overlay layer of its own. Dismissal by Escape or an outside press is here;
// drawing buttons and crossfading glyphs are the button module's.
#include "qel/speed_dial.h"

#include <cmath>

#include "core/core.h"
#include "qel/anim.h"
#include "qel/button.h"
#include "qel/color.h"
#include "qel/font.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/layout.h"
#include "qel/popup.h"
#include "qel/state.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/tooltip.h"
#include "qel/widget_feel.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

enum { DIAL_MAX_ACTIONS = 16 };
static const uint32_t LAYER_KEY = 0xF10A7u, HOVERS_KEY = 0x17E5u, ICON_KEY = 0x1C0Fu, MOTION_KEY = 0x3071u;
static const float HOVER_SECONDS = 0.14f;
static const char OPEN_GLYPH[] = QEL_ICON_PLUS;
static const char CLOSE_GLYPH[] = QEL_ICON_X;

struct dial_state {
    uint8_t open;
    float progress[2];  // spring
    int32_t z;
};

static void dial_button(qel_context* ctx, uint32_t id, const qel_speed_dial_options* o, const dial_state* s,
                        const qel_interaction& it, const qel_widget_motion& m)
{
    qel_button_style palette;
    qel_button_palette(&palette, ctx, QEL_BUTTON_PRIMARY, false);
    int32_t index = qel_node_centred(ctx, id, {QEL_SIZE_FIXED, 52}, {QEL_SIZE_FIXED, 52}, QEL_DIR_STACK, 26);
    qel_node* n = qel_node_at(ctx, index);
    n->fill = qel_color_mix(palette.background, palette.hover, m.hover);
    n->elevation = 2;
    n->scale = m.press[0];
    qel_node_clickable(ctx, index, id, qel_is_disabled(ctx));
    qel_node_focus_ring_full(ctx, index, it.focused && it.focus_visible);
    qel_node_push(ctx, index);
    qel_crossfade_label(ctx, id ^ ICON_KEY, s->open ? CLOSE_GLYPH : (o->icon ? o->icon : OPEN_GLYPH), 22, palette.text);
    qel_node_pop(ctx);
    qel_set_last_item(ctx, id);
    if (!s->open && o->tooltip) qel_tooltip(ctx, o->tooltip);
}

// One action's row, k places from the button; true when clicked.
static bool dial_action(qel_context* ctx, uint32_t id, int32_t k, const qel_speed_dial_action* a, float p, bool below,
                        float* hover)
{
    float d = 0.07f * (float)k;
    float t = fminf(fmaxf((p - d) / fmaxf(0.2f, 1 - d), 0.0f), 1.2f), shown = fminf(t, 1.0f);
    uint32_t action = qel_hash_bytes(&k, sizeof k, id ^ 0xA0u);
    qel_interaction it = qel_interact(ctx, action, QEL_INTERACT_FOCUSABLE);
    qel_anim_exp(ctx, hover, it.hovered ? 1.0f : 0.0f, HOVER_SECONDS);
    qel_style row = {};
    row.align = QEL_ALIGN_CENTER;
    row.gap = 10;
    qel_row_begin(ctx, &row);
    qel_node* r = qel_node_at(ctx, qel_node_parent(ctx));
    r->translate_y = (1 - t) * (below ? -18.0f : 18.0f);
    r->opacity = fmaxf(shown, 0.001f);
    r->scale = 0.85f + 0.15f * shown;
    if (a->label) {
        qel_style chip = {};
        chip.fill = qel_color_token(QEL_COLOR_ELEVATED);
        chip.border = qel_color_token(QEL_COLOR_BORDER);
        chip.border_width = 1;
        chip.elevation = 2;
        chip.padding_y = 5;
        chip.padding_x = 10;
        chip.radius = 8;
        qel_container_begin(ctx, &chip);
        qel_text_leaf(ctx, a->label, -1, QEL_FONT_BODY, qel_text_small_scaled(ctx), qel_color_token(QEL_COLOR_TEXT), false, 1.3f);
        qel_container_end(ctx);
    }
    int32_t index = qel_node_centred(ctx, action, {QEL_SIZE_FIXED, 42}, {QEL_SIZE_FIXED, 42}, QEL_DIR_STACK, 21);
    qel_node* n = qel_node_at(ctx, index);
    n->fill = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_ELEVATED), qel_theme_color(ctx, QEL_COLOR_TEXT), 0.07f * *hover);
    n->border = qel_color_token(QEL_COLOR_BORDER);
    n->border_width = 1;
    n->elevation = 1;
    qel_node_clickable(ctx, index, action, qel_is_disabled(ctx));
    qel_node_focus_ring_full(ctx, index, it.focused && it.focus_visible);
    qel_node_push(ctx, index);
    qel_icon_glyph(ctx, a->icon, 18, qel_color_token(QEL_COLOR_TEXT));
    qel_node_pop(ctx);
    qel_container_end(ctx);
    return it.clicked;
}

int32_t qel_speed_dial(qel_context* ctx, const char* label, const qel_speed_dial_action* actions, int32_t count,
                       const qel_speed_dial_options* options)
{
    const qel_speed_dial_options none = {};
    const qel_speed_dial_options* o = options ? options : &none;
    int32_t shown = actions && count > 0 ? (count < DIAL_MAX_ACTIONS ? count : DIAL_MAX_ACTIONS) : 0;
    uint32_t id = qel_id(ctx, label), layer = id ^ LAYER_KEY;
    uint32_t placement = o->placement ? o->placement : (uint32_t)QEL_PLACE_ABOVE_END;
    auto* s = qel_state_record_of<dial_state>(ctx, id, "dial_state");
    auto* hovers = (float*)qel_state_get(ctx, id ^ HOVERS_KEY, sizeof(float) * DIAL_MAX_ACTIONS);
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
    if (it.clicked) {
        s->open = !s->open;
        if (s->open) s->z = qel_overlay_next_z(ctx);
    }
    if (s->open && !it.clicked) {
        bool over = it.hovered || ctx->interaction.hover_layer == layer;
        if (qel_key_take(ctx, QEL_KEY_ESCAPE)) {
            s->open = 0;
            ctx->interaction.focus_visible = 0;
        } else if ((qel_mouse_pressed(ctx, 0) || qel_mouse_pressed(ctx, 1)) && !over) {
            s->open = 0;
        }
    }
    float p = s->open ? qel_anim_spring(ctx, s->progress, 1, 0.42f, 0.18f) : qel_anim_spring(ctx, s->progress, 0, 0.24f, 0);
    dial_button(ctx, id, o, s, it, qel_widget_motion_update(ctx, id ^ MOTION_KEY, &it, 0.97f));

    int32_t result = -1;
    if (p <= 0.01f || shown == 0) return result;
    qel_overlay_begin(ctx, layer, s->z ? s->z : 1100, id, (uint8_t)placement, 12);
    qel_style column = {};
    column.padding_right = 5;
    column.gap = 10;
    qel_column_begin(ctx, &column);
    bool closing = !s->open;
    if (closing) qel_push_disabled(ctx, true);
    bool below = placement < 3;
    for (int32_t j = 0; j < shown; j++) {
        int32_t k = below ? j : shown - 1 - j;
        if (dial_action(ctx, id, k, &actions[k], p, below, &hovers[k])) result = k;
    }
    if (closing) qel_pop_disabled(ctx);
    qel_container_end(ctx);
    qel_overlay_end(ctx);
    if (result >= 0) s->open = 0;
    return result;
}
