// Toggle cells: the joined row, each cell's click and arrow keys, and the fades of hover and on.
// The cursor and focus ring are widget_feel's, the tooltips of icon-only cells tooltip.cpp's.
#include "qel/toggle_cells.h"

#include <cmath>

#include "core/core.h"
#include "qel/anim.h"
#include "qel/color.h"
#include "qel/font.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/layout.h"
#include "qel/state.h"
#include "qel/text_units.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/tooltip.h"
#include "qel/widget_feel.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

enum { MAX_CELLS = 32 };

struct cells_state {
    float on[MAX_CELLS];
    float hover[MAX_CELLS];
    uint8_t started;
};

struct cell_look {
    const char* icon;
    const char* text;     // null when only the icon shows
    const char* tooltip;  // the text of a cell that shows only its icon
    float on, hover, focus;
};

static void container_node(qel_context* ctx, uint32_t id, float h)
{
    int32_t index = qel_node_open(ctx, id);
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->align_self = QEL_ALIGN_OWN_SIZE;
    n->pad_top = n->pad_right = n->pad_bottom = n->pad_left = 3;
    n->gap = 2;
    n->fill = qel_color_token(QEL_COLOR_SURFACE);
    n->border = qel_color_token(QEL_COLOR_BORDER);
    n->border_width = 1;
    qel_node_round(n, fminf(ctx->theme.current.radius_small, h / 2));
    qel_node_push(ctx, index);
}

static void cell_node(qel_context* ctx, uint32_t id, const cell_look& look, float cell, uint32_t size)
{
    int32_t index = qel_node_sized(ctx, id, {QEL_SIZE_FIT, 0}, {QEL_SIZE_FIXED, cell});
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->justify = QEL_JUSTIFY_CENTER;
    n->gap = 6;
    if (look.text) n->pad_left = n->pad_right = 11;
    else n->width = {QEL_SIZE_FIXED, cell};
    qel_node_round(n, fminf(ctx->theme.current.radius_small - 3, cell / 2));
    qel_color hover = qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_HOVER), look.hover);
    n->fill = qel_color_mix(hover, qel_theme_color(ctx, QEL_COLOR_ACTIVE), look.on);
    qel_node_clickable(ctx, index, id, false);
    qel_focus_ring(ctx, index, look.focus);

    qel_color text = qel_theme_color(ctx, QEL_COLOR_TEXT);
    qel_color color =
        qel_color_mix(qel_color_mix(qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), text, 0.6f * look.hover), text, look.on);
    float font = qel_control_text_size(ctx, size);
    qel_node_push(ctx, index);
    if (look.icon) qel_icon_glyph(ctx, look.icon, size == 1 ? 14.0f : 16.0f, color);
    if (look.text) qel_node_text(ctx, look.text, qel_label_visible_len(look.text), QEL_FONT_BODY, font, color, false);
    qel_node_pop(ctx);
    if (look.tooltip) {
        qel_set_last_item(ctx, id);
        qel_tooltip(ctx, look.tooltip);
    }
}

// Left and Right hand the keyboard focus to the neighbouring cell.
static void move_focus(qel_context* ctx, const uint32_t* ids, int32_t i, int32_t n)
{
    int32_t next = i;
    if (qel_key_pressed(ctx, QEL_KEY_RIGHT) && i + 1 < n) next = i + 1;
    if (qel_key_pressed(ctx, QEL_KEY_LEFT) && i > 0) next = i - 1;
    if (next != i) qel_set_focus(ctx, ids[next], ctx->interaction.focus_visible);
}

bool qel_code_input(qel_context* ctx, const char* label, const char* const* texts, int32_t count, uint8_t* flags,
                    const qel_toggle_cells_opts* options)
{
    if (count < 1) return false;
    const qel_toggle_cells_opts none = {};
    const qel_toggle_cells_opts* o = options ? options : &none;
    int32_t n = count < MAX_CELLS ? count : MAX_CELLS;
    uint32_t id = qel_id(ctx, label);
    float h = qel_control_height(ctx, o->size);
    auto* s = qel_state_record_of<cells_state>(ctx, id, "cells_state");

    uint32_t ids[MAX_CELLS];
    qel_interaction its[MAX_CELLS];
    bool clicked = false;
    for (int32_t i = 0; i < n; i++) {
        ids[i] = qel_hash_bytes(&i, sizeof i, id);
        its[i] = qel_interact(ctx, ids[i], QEL_INTERACT_FOCUSABLE);
        if (!its[i].clicked) continue;
        clicked = true;
        if (flags && o->single)
            for (int32_t j = 0; j < n; j++) flags[j] = j == i;
        else if (flags)
            flags[i] = !flags[i];
    }
    for (int32_t i = 0; i < n; i++)
        if (its[i].focused) move_focus(ctx, ids, i, n);

    container_node(ctx, id, h);
    for (int32_t i = 0; i < n; i++) {
        float target = flags && flags[i] ? 1.0f : 0.0f;
        if (!s->started) s->on[i] = target;
        cell_look look = {o->icons ? o->icons[i] : nullptr, texts ? texts[i] : nullptr, nullptr,
                          qel_anim_exp(ctx, &s->on[i], target, 0.18f),
                          qel_anim_exp(ctx, &s->hover[i], its[i].hovered ? 1.0f : 0.0f, 0.14f),
                          its[i].focused && its[i].focus_visible ? 1.0f : 0.0f};
        if (look.text && !qel_label_visible_len(look.text)) look.text = nullptr;
        if (look.icon && o->icon_only) {
            look.tooltip = look.text;
            look.text = nullptr;
        }
        cell_node(ctx, ids[i], look, h - 6, o->size);
    }
    qel_node_pop(ctx);
    s->started = 1;
    qel_set_last_item(ctx, id);
    return clicked;
}
