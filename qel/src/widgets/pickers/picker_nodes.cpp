// Shared pieces of the picker widgets: accent colours, prefix matching, pointer tests, the popup
// pickers' trigger field, checklist rows and fling-measuring drags. The widgets themselves decide
// what to build.
#include "widgets/pickers/picker_nodes.h"


#include "core/core.h"
#include "kit/field_trigger.h"
#include "qel/anim.h"
#include "qel/color.h"
#include "qel/popup.h"
#include "qel/state.h"
#include "qel/text_units.h"
#include "qel/theme.h"
#include "kit/widget_nodes.h"

qel_color qel_picker_accent(qel_context* ctx, uint32_t fallback_slot)
{
    return qel_theme_color(ctx, qel_theme_get_accent(ctx) ? (int32_t)QEL_COLOR_ACCENT : (int32_t)fallback_slot);
}

bool qel_starts_with_nocase(const char* text, const char* prefix, int32_t length)
{
    for (int32_t i = 0; i < length; i++)
        if (!text[i] || qel_ascii_lower(text[i]) != qel_ascii_lower(prefix[i])) return false;
    return true;
}

bool qel_picker_pointer_over(qel_context* ctx, uint32_t id)
{
    qel_rect r = qel_id_rect(ctx, id);
    qel_vec2 m = qel_mouse_pos(ctx);
    return m.x >= r.x && m.x < r.x + r.w && m.y >= r.y && m.y < r.y + r.h;
}

float qel_picker_row_height(float given, float fallback)
{
    if (!(given > 0)) return fallback;
    return given < 1 ? 1 : given > 10000 ? 10000 : given;
}

// --- Fields that open a popup ---

qel_picker_field qel_picker_field_interact(qel_context* ctx, const char* label, uint32_t popup_key, size_t state_size)
{
    qel_picker_field f = {};
    f.id = qel_id(ctx, label);
    f.popup = f.id ^ popup_key;
    f.hover = (float*)qel_state_get(ctx, f.id, state_size < sizeof(float) ? sizeof(float) : state_size);
    f.it = qel_interact(ctx, f.id, QEL_INTERACT_FOCUSABLE);
    f.slot = qel_popup_find(ctx, f.popup, true);
    qel_anim_exp(ctx, f.hover, f.it.hovered ? 1.0f : 0.0f, 0.14f);
    return f;
}

static qel_field_trigger trigger_of(const qel_picker_field* f, const char* label, qel_size width)
{
    return {f->id, label, width, *f->hover, f->slot && f->slot->open, false, 12, 10};
}

int32_t qel_picker_field_begin(qel_context* ctx, const qel_picker_field* f, const char* label, qel_size width,
                               float min_width)
{
    qel_field_trigger t = trigger_of(f, label, width);
    int32_t node = qel_field_trigger_begin(ctx, &t);
    qel_node* n = qel_node_at(ctx, node);
    n->pad_top = n->pad_bottom = 3;
    if (!(label && *label)) n->min_w = min_width;
    return node;
}

void qel_picker_field_end(qel_context* ctx, const qel_picker_field* f, const char* label, qel_size width, int32_t node)
{
    qel_field_trigger t = trigger_of(f, label, width);
    qel_field_trigger_end(ctx, &t, node, f->it.focused && f->it.focus_visible ? 1.0f : 0.0f);
    qel_set_last_item(ctx, f->id);
}

// --- Checklist rows ---

int32_t qel_picker_check_row(qel_context* ctx, uint32_t id, float height, float tint, bool hovered)
{
    int32_t row = qel_node_sized(ctx, id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, height});
    qel_node* n = qel_node_at(ctx, row);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->pad_left = n->pad_right = 10;
    n->gap = 10;
    qel_node_round(n, qel_row_radius(ctx));
    n->fill = qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_ACTIVE), tint);
    qel_node_mark_interactive(ctx, row, 0);
    if (hovered) qel_set_cursor(ctx, QEL_CURSOR_HAND);
    qel_node_push(ctx, row);
    return row;
}

// --- Drags with a fling ---

void qel_picker_drag_press(qel_context* ctx, qel_picker_drag* d, float pointer, float value)
{
    d->dragging = 1;
    d->fling = 0;
    d->start = d->last = pointer;
    d->start_value = value;
    d->last_time = qel_ctx_time(ctx);
}

float qel_picker_drag_move(qel_context* ctx, qel_picker_drag* d, float pointer, float value_per_unit)
{
    double now = qel_ctx_time(ctx);
    float dt = (float)(now - d->last_time);
    if (dt > 0.001f) {
        d->fling += (-(pointer - d->last) * value_per_unit / dt - d->fling) * 0.4f;
        d->last_time = now;
        d->last = pointer;
    }
    qel_request_redraw(ctx);
    return d->start_value - (pointer - d->start) * value_per_unit;
}
