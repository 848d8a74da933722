// The number stepper: a text input whose text is a double, the buttons and keys that step it and
// the clamping. The field itself is text_input.cpp's; numbers as text are number_text's.
#include "qel/number_stepper.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/core.h"
#include "qel/button.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/text_input.h"
#include "qel/text_widgets.h"
#include "qel/widget_feel.h"
#include "text/number_text.h"
#include "editing/text_field.h"

static const uint32_t STATE_KEY = 0x4E554D;
static const char DECREASE_GLYPH[] = QEL_ICON_MINUS, INCREASE_GLYPH[] = QEL_ICON_PLUS;

struct stepper_state {
    char text[64];  // the field's buffer
    double value;   // the value the text was made from
    uint8_t initialised;
};

// value + delta, or value when that is no longer a finite number.
static double stepped(double value, double delta)
{
    double v = value + delta;
    return std::isfinite(v) ? v : value;
}

struct range {
    double lo, hi;
};

static range ordered(double min, double max)
{
    if (std::isnan(min)) min = -INFINITY;
    if (std::isnan(max)) max = INFINITY;
    return min <= max ? range{min, max} : range{max, min};
}

// The row the field stands in, under the label when there is one.
static bool open_rows(qel_context* ctx, const qel_number_stepper_opts* o)
{
    bool labelled = o->label && *o->label;
    qel_style row = {};
    if (labelled) {
        qel_style column = {};
        column.gap = 6;
        qel_column_begin(ctx, &column);
        qel_node_set_width(qel_node_at(ctx, qel_node_parent(ctx)), o->width, 160);
        qel_field_label(ctx, o->label);
    }
    row.align = QEL_ALIGN_CENTER;
    qel_row_begin(ctx, &row);
    qel_node* n = qel_node_at(ctx, qel_node_parent(ctx));
    if (labelled)
        n->align_self = QEL_ALIGN_STRETCH;  // across the column
    else
        qel_node_set_width(n, o->width, 160);
    return labelled;
}

static bool step_button(qel_context* ctx, int32_t box, const char* glyph, const char* tooltip, bool disabled)
{
    qel_button_opts b = {};
    b.tooltip = tooltip;
    b.disabled = disabled;
    return qel_field_button(ctx, box, glyph, b, 26);
}

// The unit and the two buttons, added to the field's box after its text.
static void box_extras(qel_context* ctx, const char* label, int32_t box, const qel_number_stepper_opts* o,
                       double* value, range r, double step, bool disabled)
{
    qel_node_at(ctx, box)->pad_right = 4;
    qel_node_push(ctx, box);
    if (o->unit && *o->unit) {
        const qel_theme* t = qel_theme_block_get(ctx);
        int32_t unit = qel_node_text(ctx, o->unit, -1, QEL_FONT_BODY, t->text_body * t->ui_scale,
                                     qel_color_token(QEL_COLOR_TEXT_MUTED), false);
        qel_node_at(ctx, unit)->line_height = 1.3f;
    }
    qel_push_id(ctx, label);
    if (step_button(ctx, box, DECREASE_GLYPH, "Decrease", disabled || *value <= r.lo)) *value = stepped(*value, -step);
    if (step_button(ctx, box, INCREASE_GLYPH, "Increase", disabled || *value >= r.hi)) *value = stepped(*value, step);
    qel_pop_id(ctx);
    qel_node_pop(ctx);
}

bool qel_number_stepper(qel_context* ctx, const char* label, double* value, double min, double max,
                        const qel_number_stepper_opts* opts)
{
    const qel_number_stepper_opts none = {};
    const qel_number_stepper_opts* o = opts ? opts : &none;
    uint32_t id = qel_id(ctx, label);
    double step = o->step > 0 && std::isfinite(o->step) ? o->step : 1.0;
    range r = ordered(min, max);
    if (!std::isfinite(*value)) *value = std::clamp(0.0, r.lo, r.hi);
    const double start = *value;
    auto* s = (stepper_state*)qel_state_get(ctx, id ^ STATE_KEY, sizeof(stepper_state));
    bool was_focused = qel_focused_id(ctx) == id;
    if (!s->initialised || (!was_focused && *value != s->value)) {
        qel_number_format(s->text, sizeof s->text, *value, o->decimals);
        s->value = *value;
        s->initialised = 1;
    }

    bool labelled = open_rows(ctx, o);
    qel_text_input_opts field = {};
    field.disabled = o->disabled;
    uint32_t flags = qel_input_text_ex(ctx, id, s->text, sizeof s->text, &field, false, false, nullptr);
    bool focused = qel_focused_id(ctx) == id;
    // The field reports the focus lost however it went: by Escape in the call, or by Tab or a click
    // elsewhere before it, which a look at the focus around the call would miss.
    bool commit = (flags & (QEL_INPUT_SUBMITTED | QEL_INPUT_FOCUS_LOST)) != 0;
    bool edited = (flags & QEL_INPUT_CHANGED) != 0;
    if (edited) qel_number_read(s->text, value);
    if (focused) {
        double keyed = qel_modifiers(ctx) & QEL_MOD_SHIFT ? 10 * step : step;
        if (qel_key_pressed(ctx, QEL_KEY_UP)) *value = stepped(*value, keyed);
        if (qel_key_pressed(ctx, QEL_KEY_DOWN)) *value = stepped(*value, -keyed);
    }
    int32_t box = qel_node_at(ctx, qel_node_parent(ctx))->last_child;
    box_extras(ctx, label, box, o, value, r, step, qel_item_disabled(ctx, o->disabled));
    qel_container_end(ctx);
    if (labelled) qel_container_end(ctx);

    *value = std::clamp(*value, r.lo, r.hi);
    if (*value != start || commit) {
        if (!edited && !(*value == start && focused)) qel_number_format(s->text, sizeof s->text, *value, o->decimals);
        s->value = *value;
    }
    qel_set_last_item(ctx, id);
    return *value != start;
}
