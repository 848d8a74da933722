// The form layout: the form record of the frame (label width, stacking, the open section body),
// the splitter that moves the label column, rows with their label and field cells, sections that
// spring open and closed, label scrubbing, and the field calls built on the toolkit's inputs.
#include "qel/form_layout.h"

#include <cmath>
#include <cstring>

#include "core/core.h"
#include "widgets/pickers/picker_nodes.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/check_controls.h"
#include "qel/collapsibles.h"
#include "qel/color_picker.h"
#include "qel/color.h"
#include "qel/drag_number.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/menu.h"
#include "qel/state.h"
#include "qel/text_input.h"
#include "qel/text_units.h"
#include "qel/theme.h"
#include "qel/tooltip.h"
#include "qel/widget_feel.h"
#include "kit/scopes.h"
#include "kit/widget_nodes.h"
#include "text/number_text.h"

static const uint32_t FORM_KEY = 0x15EC0u, SPLITTER_KEY = 0x1E5A7u, SECTION_KEY = 0x6A0B9u, BODY_KEY = 0x6106Eu,
                      SCRUB_KEY = 0xD4A6u;
static const float ROW_HEIGHT = 36.0f, DEFAULT_LABEL_WIDTH = 120.0f, DEFAULT_FRACTION = 0.38f;
static const float MIN_FIELD_WIDTH = 160.0f, STACK_BELOW = 380.0f, SCRUB_THRESHOLD = 3.0f;
static const float DISABLED_OPACITY = 0.45f;

struct form_state {
    float fraction;  // of the form's width given to labels; 0 not yet set
    float drag_start_x, drag_start_width;
    float highlight;
};

namespace {

struct form_record {
    uint32_t id, splitter;
    form_state* state;
    float label_width;
    float width, height;  // the form's, last frame
    uint8_t stacked;
    uint8_t section_open;
    int32_t sections;
};

}  // namespace

struct section_state {
    float open[2];  // open amount and its velocity
    float hover;
    float body_height;
    uint8_t initialised;
};

struct scrub_state {
    float press_x;
    double press_value;
    uint8_t dragging;
};

// This frame's form, or null outside one.
static form_record* form_of(qel_context* ctx)
{
    return qel_scope_find<form_record>(ctx);
}

// --- The form ---

static float first_label_width(const qel_form_options* o, form_state* s, float w)
{
    bool given = o->label_width > 0 && std::isfinite(o->label_width);
    if (w <= 0) return given ? o->label_width : DEFAULT_LABEL_WIDTH;
    if (s->fraction == 0) s->fraction = given ? o->label_width / w : DEFAULT_FRACTION;
    return s->fraction * w;
}

// The splitter moves the label column; fields keep at least 160 units.
static float split(qel_context* ctx, form_record* r, float x)
{
    form_state* s = r->state;
    float w = r->width;
    qel_interaction it = qel_interact(ctx, r->splitter, QEL_INTERACT_HOLD_OUTSIDE);
    float mouse_x = qel_mouse_pos(ctx).x;
    if (it.active && qel_mouse_pressed(ctx, 0)) {
        s->drag_start_x = mouse_x;
        s->drag_start_width = x;
    }
    bool dragging = it.active && qel_mouse_down(ctx, 0);
    if (dragging) x = s->drag_start_width + (mouse_x - s->drag_start_x);
    if (w > 0) {
        float lo = fminf(0.3f * w, 56.0f), hi = fmaxf(lo, w - MIN_FIELD_WIDTH);
        x = fminf(fmaxf(x, lo), hi);
        if (dragging) s->fraction = x / w;
    }
    if (it.hovered || it.active) qel_set_cursor(ctx, QEL_CURSOR_RESIZE_EW);
    qel_anim_exp(ctx, &s->highlight, it.hovered || it.active ? 1.0f : 0.0f, 0.14f);
    return x;
}

int32_t qel_form_begin(qel_context* ctx, const char* label, const qel_form_options* options)
{
    const qel_form_options none = {};
    const qel_form_options* o = options ? options : &none;
    uint32_t id = qel_id(ctx, label);
    qel_rect last = qel_id_rect(ctx, id);
    auto* r = qel_scope_push<form_record>(ctx);
    r->id = id;
    r->splitter = id ^ SPLITTER_KEY;
    r->state = (form_state*)qel_state_get(ctx, id ^ FORM_KEY, sizeof(form_state));
    r->width = last.w;
    r->height = last.h;
    r->label_width = roundf(split(ctx, r, first_label_width(o, r->state, last.w)));
    r->stacked = last.w > 0 && last.w < STACK_BELOW;

    int32_t node = qel_node_sized(ctx, id, o->width.kind ? o->width : qel_size{QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node_push(ctx, node);
    qel_push_id(ctx, label);
    return 1;
}

struct splitter_payload {
    float highlight, active;
    qel_color line, accent;
};

static void splitter_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const splitter_payload*)user;
    float v = fmaxf(p->highlight, p->active);
    if (v <= 0.01f) return;
    const qel_rect& r = node->rect;
    qel_rect bar = {r.x + r.w * 0.5f - 1, r.y + 4, 2, fmaxf(0.0f, r.h - 8)};
    const float radii[4] = {1, 1, 1, 1};
    qel_draw_rect(ctx, &bar, radii, qel_color_alpha(qel_color_mix(p->line, p->accent, p->active), v));
}

// Closes the section body the fields of the form were going into.
static void close_section_body(qel_context* ctx, form_record* r)
{
    if (!r || !r->section_open) return;
    qel_pop_disabled(ctx);
    qel_pop_id(ctx);
    for (int i = 0; i < 3; i++) qel_node_pop(ctx);
    r->section_open = 0;
}

void qel_form_end(qel_context* ctx)
{
    form_record* r = form_of(ctx);
    if (!r) return;
    close_section_body(ctx, r);
    if (r->width > 0 && r->height > 0 && !r->stacked) {
        int32_t node = qel_node_floating(ctx, r->splitter, r->label_width + 2, 0, 8, r->height);
        qel_node_mark_interactive(ctx, node, 0);
        bool active = ctx->interaction.active == r->splitter;
        splitter_payload p = {r->state->highlight, active ? 1.0f : 0.0f, qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG),
                              qel_picker_accent(ctx, QEL_COLOR_TEXT)};
        qel_node_draw_with(ctx, node, splitter_draw, &p, sizeof p, false);
    }
    qel_pop_id(ctx);
    qel_node_pop(ctx);
    qel_scope_pop<form_record>(ctx);
    qel_set_last_item(ctx, r->id);
}

// --- Sections ---

static void section_rule(qel_context* ctx)
{
    int32_t rule = qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, 1});
    qel_node_at(ctx, rule)->fill = qel_theme_color(ctx, QEL_COLOR_BORDER_SUBTLE);
}

static void section_header(qel_context* ctx, uint32_t id, const char* title, bool collapsible, float t, float hover,
                           float focus)
{
    int32_t node = qel_node_sized(ctx, id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, 40});
    qel_node* n = qel_node_at(ctx, node);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->gap = 6;
    qel_node_round(n, qel_row_radius(ctx));
    if (collapsible) qel_node_clickable(ctx, node, id, false);
    qel_node_push(ctx, node);
    if (collapsible)
        qel_chevron_icon(ctx, (t - 1) * 3.14159265f * 0.5f, 14,
                         qel_color_mix(qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), qel_theme_color(ctx, QEL_COLOR_TEXT), hover));
    int32_t text = qel_text_leaf(ctx, title, qel_label_visible_len(title), QEL_FONT_MEDIUM, qel_text_body_scaled(ctx),
                                 qel_theme_color(ctx, QEL_COLOR_TEXT), false, 1.3f);
    qel_node_at(ctx, text)->width = {QEL_SIZE_GROW, 1};
    qel_node_pop(ctx);
    qel_focus_ring(ctx, node, focus);
}

// The body's clip (springing its height while it moves) and column, left open for the fields.
static void open_section_body(qel_context* ctx, const char* title, uint32_t title_id, float t, bool closing)
{
    uint32_t body = title_id ^ BODY_KEY;
    float h = qel_id_rect(ctx, body).h;
    int32_t clip = qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node* n = qel_node_at(ctx, clip);
    n->flags |= QEL_NODE_CLIP;
    if (h > 0 && t < 0.999f) n->height = {QEL_SIZE_FIXED, h * t};
    n->opacity = 0.25f + 0.75f * t;
    qel_node_push(ctx, clip);
    int32_t column = qel_node_sized(ctx, body, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    n = qel_node_at(ctx, column);
    n->pad_bottom = 14;
    n->gap = 6;
    qel_node_push(ctx, column);
    qel_push_id(ctx, title);
    qel_push_disabled(ctx, closing);
}

int32_t qel_form_section(qel_context* ctx, const char* title, uint8_t* open)
{
    form_record* r = form_of(ctx);
    close_section_body(ctx, r);
    uint32_t title_id = qel_id(ctx, title), header = title_id ^ SECTION_KEY;
    qel_interaction it = {};
    if (open) {
        it = qel_interact(ctx, header, QEL_INTERACT_FOCUSABLE);
        if (it.clicked) *open = *open ? 0 : 1;
        if (it.focused && it.focus_visible && qel_key_pressed(ctx, QEL_KEY_RIGHT)) *open = 1;
        if (it.focused && it.focus_visible && qel_key_pressed(ctx, QEL_KEY_LEFT)) *open = 0;
    }
    bool is_open = !open || *open;
    auto* s = (section_state*)qel_state_get(ctx, header, sizeof(section_state));
    if (!s->initialised) {
        s->open[0] = is_open ? 1.0f : 0.0f;
        s->initialised = 1;
    }
    qel_anim_spring(ctx, s->open, is_open ? 1.0f : 0.0f, 0.32f, 0);
    qel_anim_exp(ctx, &s->hover, it.hovered ? 1.0f : 0.0f, 0.14f);
    float t = fminf(fmaxf(s->open[0], 0.0f), 1.0f);
    bool shown = t > 0.001f || is_open;

    const qel_node* parent = qel_node_at(ctx, qel_node_parent(ctx));
    if (r ? r->sections > 0 : parent && parent->child_count > 0) section_rule(ctx);
    if (r) r->sections++;
    int32_t outer = qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node_at(ctx, outer)->align_self = QEL_ALIGN_STRETCH;
    qel_node_push(ctx, outer);
    section_header(ctx, header, title, open != nullptr, t, s->hover, it.focused && it.focus_visible ? 1.0f : 0.0f);
    if (!shown) {
        qel_node_pop(ctx);
        return 0;
    }
    open_section_body(ctx, title, title_id, t, !is_open);
    if (r) r->section_open = 1;
    else {
        form_record none = {};
        none.section_open = 1;
        close_section_body(ctx, &none);
    }
    return 1;
}

// --- Rows ---

uint32_t qel_form_row(qel_context* ctx, const char* label, const qel_form_field_options* options, uint8_t scrub)
{
    const qel_form_field_options none = {};
    const qel_form_field_options* o = options ? options : &none;
    form_record* r = form_of(ctx);
    bool stacked = r && r->stacked;
    float label_width = r ? r->label_width : DEFAULT_LABEL_WIDTH;
    int32_t row = qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node* n = qel_node_at(ctx, row);
    if (stacked) {
        n->pad_bottom = 4;
        n->gap = 6;
    } else {
        n->direction = QEL_DIR_ROW;
        n->align = QEL_ALIGN_CENTER;
        n->min_h = ROW_HEIGHT;
        n->gap = 12;
    }
    qel_node_push(ctx, row);
    qel_push_id(ctx, label);
    bool disabled = o->disabled != 0;
    qel_push_disabled(ctx, disabled);

    uint32_t cell_id = qel_id(ctx, "#label");
    int32_t cell = stacked ? qel_node_sized(ctx, cell_id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0})
                           : qel_node_sized(ctx, cell_id, {QEL_SIZE_FIXED, label_width}, {QEL_SIZE_FIXED, ROW_HEIGHT});
    n = qel_node_at(ctx, cell);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    if (disabled) n->opacity = DISABLED_OPACITY;
    if (scrub) qel_node_mark_interactive(ctx, cell, 0);
    qel_node_push(ctx, cell);
    qel_text_leaf(ctx, label, qel_label_visible_len(label), QEL_FONT_BODY, qel_text_body_scaled(ctx),
                  qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), false, 1.3f);
    qel_node_pop(ctx);
    if (o->help && ctx->input.mouse_inside && qel_picker_pointer_over(ctx, cell_id))
        qel_tooltip_for(ctx, cell_id, o->help);

    int32_t field = qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    n = qel_node_at(ctx, field);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->gap = 6;
    qel_node_push(ctx, field);
    return cell_id;
}

// Closes what qel_form_row opened: the field cell, the disabled and id scopes and the row.
static void row_end(qel_context* ctx)
{
    qel_node_pop(ctx);
    qel_pop_disabled(ctx);
    qel_pop_id(ctx);
    qel_node_pop(ctx);
}

// Scrubbing in double, so that whole 32-bit values stay exact: the value moves from where the
// press found it by one step per unit once the pointer moved more than 3 units.
static bool scrub(qel_context* ctx, uint32_t label_cell, double* value, double min, double max, double step)
{
    qel_interaction it = qel_interact(ctx, label_cell, QEL_INTERACT_HOLD_OUTSIDE);
    auto* s = (scrub_state*)qel_state_get(ctx, label_cell ^ SCRUB_KEY, sizeof(scrub_state));
    float x = qel_mouse_pos(ctx).x;
    if (it.active && qel_mouse_pressed(ctx, 0)) {
        s->press_x = x;
        s->press_value = *value;
        s->dragging = 0;
    }
    if (it.hovered || it.active) qel_set_cursor(ctx, QEL_CURSOR_RESIZE_EW);
    if (!(it.active && qel_mouse_down(ctx, 0))) return false;
    double dx = x - s->press_x;
    if (std::fabs(dx) > SCRUB_THRESHOLD) s->dragging = 1;
    if (!s->dragging || !(step > 0)) return false;
    if (qel_modifiers(ctx) & QEL_MOD_SHIFT) step /= 10;
    double v = std::round((dx * step + s->press_value) / step) * step;
    v = std::fmin(std::fmax(v, min), max);
    if (v == *value) return false;
    *value = v;
    return true;
}

bool qel_form_drag_value(qel_context* ctx, uint32_t label_cell, float* value, float min, float max, float step)
{
    if (!value) return false;
    double v = *value;
    if (!scrub(ctx, label_cell, &v, min, max, step)) return false;
    *value = (float)v;
    return true;
}

// --- Fields ---

int32_t qel_form_text(qel_context* ctx, const char* label, char* buffer, size_t capacity,
                      const qel_form_field_options* options)
{
    const qel_form_field_options none = {};
    const qel_form_field_options* o = options ? options : &none;
    qel_form_row(ctx, label, o, 0);
    uint32_t result = 0;
    if (buffer && capacity > 0) {
        qel_text_input_opts in = {};
        in.placeholder = o->placeholder;
        in.suffix = o->suffix;
        in.width = {QEL_SIZE_GROW, 1};
        result = qel_input_text(ctx, "##v", buffer, capacity > INT32_MAX ? INT32_MAX : (int32_t)capacity, &in);
    }
    row_end(ctx);
    return (result & QEL_INPUT_CHANGED) ? 1 : 0;
}

int32_t qel_form_enum(qel_context* ctx, const char* label, const char* const* items, int32_t count, int32_t* index,
                      const qel_form_field_options* options)
{
    const qel_form_field_options none = {};
    const qel_form_field_options* o = options ? options : &none;
    qel_form_row(ctx, label, o, 0);
    qel_select_options select = {};
    select.placeholder = o->placeholder;
    select.width = {QEL_SIZE_GROW, 1};
    bool changed = qel_select(ctx, "##v", items, count > 0 ? (uint32_t)count : 0, index, &select);
    row_end(ctx);
    return changed ? 1 : 0;
}

// --- Number fields ---

static const char* const COMPONENT_LABELS[4] = {"X##0", "Y##1", "Z##2", "W##3"};
static const double INT_LIMIT = 2147483520.0;

struct number_setup {
    double min, max, step;
    const char* format;
    bool bounded;
};

static const char* format_for_step(double step)
{
    return step >= 0.999 ? "%.0f" : step >= 0.0999 ? "%.1f" : step >= 0.00999 ? "%.2f" : "%.3f";
}

static number_setup float_setup(const qel_form_field_options* o)
{
    number_setup n = {};
    n.bounded = std::isfinite(o->min) && std::isfinite(o->max) && o->max > o->min;
    double given = o->step > 0 && std::isfinite(o->step) ? o->step : 0;
    if (n.bounded) {
        n.min = o->min;
        n.max = o->max;
        n.step = given > 0 ? given : (n.max - n.min) / 100;
        if (!(n.step > 0)) n.step = 0.1;
    } else {
        n.min = -1e30;
        n.max = 1e30;
        n.step = given > 0 ? given : 0.1;
    }
    n.format = o->format ? o->format : format_for_step(n.step);
    return n;
}

static number_setup int_setup(const qel_form_field_options* o)
{
    number_setup n = {};
    n.bounded = std::isfinite(o->min) && std::isfinite(o->max) && o->max > o->min;
    double given = o->step > 0 && std::isfinite(o->step) ? std::fmax(1.0, std::round(std::fmin(o->step, 1e9f))) : 0;
    if (n.bounded) {
        n.min = std::fmax(o->min, -INT_LIMIT);
        n.max = std::fmin(o->max, INT_LIMIT);
        n.step = given > 0 ? given : std::fmax(1.0, std::round((n.max - n.min) / 100));
    } else {
        n.min = -INT_LIMIT;
        n.max = INT_LIMIT;
        n.step = given > 0 ? given : 1;
    }
    n.format = o->format ? o->format : "%.0f";
    return n;
}

// The drag number of a row: no minimum width, its range track only when bounded, a component's
// letter in its colour, faded with a disabled row.
static bool number_box(qel_context* ctx, const char* name, float* value, const number_setup& n, const char* suffix,
                       bool disabled, qel_color letter)
{
    qel_drag_number_opts d = {};
    d.step = (float)n.step;
    d.format = n.format;
    d.suffix = suffix;
    d.width = {QEL_SIZE_GROW, 1};
    int32_t first = ctx->tree.count;
    bool changed = qel_drag_number(ctx, name, value, (float)n.min, (float)n.max, &d);
    int32_t box = qel_node_latest_with_id(ctx, qel_id(ctx, name));
    qel_node* b = qel_node_at(ctx, box);
    if (!b) return changed;
    b->min_w = 0;
    if (disabled) b->opacity = DISABLED_OPACITY;
    if (!n.bounded && b->draw == qel_drag_number_draw) {
        float focus = ((const qel_drag_number_record*)b->draw_user)->focus;
        b->draw = nullptr;
        qel_focus_ring(ctx, box, focus);
    }
    if (letter) {
        b->pad_left = b->pad_right = 9;
        b->gap = 4;
        for (int32_t i = first; i < ctx->tree.count; i++) {
            qel_node* t = qel_node_at(ctx, i);
            if ((t->flags & QEL_NODE_TEXT) && t->text_length == 1 && t->text[0] == name[0]) {
                t->text_color = letter;
                break;
            }
        }
    }
    return changed;
}

// The box formats its float copy; a value the float rounded (an integer past 24 bits) is shown
// as it is stored.
static void show_exact(qel_context* ctx, int32_t first, const char* format, float copy, double value)
{
    if ((double)copy == value) return;
    const char* rounded = qel_format_number(ctx, format, copy);
    size_t length = strlen(rounded);
    for (int32_t i = first; i < ctx->tree.count; i++) {
        qel_node* t = qel_node_at(ctx, i);
        if (!(t->flags & QEL_NODE_TEXT) || t->text_length != (int32_t)length || memcmp(t->text, rounded, length))
            continue;
        t->text = qel_format_number(ctx, format, value);
        t->text_length = (int32_t)strlen(t->text);
        return;
    }
}

// A number row: the label scrubs the value unless the row is disabled, then the box.
static bool number_row(qel_context* ctx, const char* label, double* value, const number_setup& n,
                       const qel_form_field_options* o)
{
    uint32_t cell = qel_form_row(ctx, label, o, 1);
    bool changed = false;
    if (!o->disabled) changed = scrub(ctx, cell, value, n.min, n.max, n.step);
    float copy = (float)*value;
    int32_t first = ctx->tree.count;
    if (number_box(ctx, "##v", &copy, n, o->suffix, o->disabled != 0, 0)) {
        *value = std::fmin(std::fmax((double)copy, n.min), n.max);
        changed = true;
    }
    show_exact(ctx, first, n.format, copy, *value);
    row_end(ctx);
    return changed;
}

int32_t qel_form_float(qel_context* ctx, const char* label, float* value, const qel_form_field_options* options)
{
    if (!value) return 0;
    const qel_form_field_options none = {};
    const qel_form_field_options* o = options ? options : &none;
    double v = *value;
    if (!number_row(ctx, label, &v, float_setup(o), o)) return 0;
    *value = (float)v;
    return 1;
}

int32_t qel_form_int(qel_context* ctx, const char* label, int32_t* value, const qel_form_field_options* options)
{
    if (!value) return 0;
    const qel_form_field_options none = {};
    const qel_form_field_options* o = options ? options : &none;
    number_setup n = int_setup(o);
    double v = *value;
    if (!number_row(ctx, label, &v, n, o)) return 0;
    int32_t whole = (int32_t)std::round(std::fmin(std::fmax(v, n.min), n.max));
    if (whole == *value) return 0;
    *value = whole;
    return 1;
}

int32_t qel_form_vector(qel_context* ctx, const char* label, float* components, int32_t count,
                        const qel_form_field_options* options)
{
    if (!components) return 0;
    const qel_form_field_options none = {};
    const qel_form_field_options* o = options ? options : &none;
    count = count < 1 ? 1 : count > 4 ? 4 : count;
    number_setup n = float_setup(o);
    static const uint32_t LETTERS[4] = {39, 37, 35, 41};  // the categorical red, green, blue and violet
    const qel_color* categorical = qel_theme_block_get(ctx)->color;
    qel_form_row(ctx, label, o, 0);
    bool changed = false;
    for (int32_t i = 0; i < count; i++)
        changed |= number_box(ctx, COMPONENT_LABELS[i], &components[i], n, o->suffix, o->disabled != 0,
                              categorical[LETTERS[i]]);
    row_end(ctx);
    return changed ? 1 : 0;
}

int32_t qel_form_bool(qel_context* ctx, const char* label, uint8_t* value, const qel_form_field_options* options)
{
    const qel_form_field_options none = {};
    const qel_form_field_options* o = options ? options : &none;
    qel_form_row(ctx, label, o, 0);
    bool on = value && *value;
    bool changed = value && (o->use_checkbox ? qel_checkbox(ctx, "##v", &on, nullptr) : qel_toggle_switch(ctx, "##v", &on, nullptr));
    if (changed) *value = on ? 1 : 0;
    row_end(ctx);
    return changed ? 1 : 0;
}

int32_t qel_form_color(qel_context* ctx, const char* label, qel_color* colour, const qel_form_field_options* options)
{
    const qel_form_field_options none = {};
    const qel_form_field_options* o = options ? options : &none;
    qel_form_row(ctx, label, o, 0);
    bool changed = qel_color_picker(ctx, "##v", colour);
    uint32_t id = qel_id(ctx, "##v");
    int32_t node = qel_node_latest_with_id(ctx, id);
    if (qel_node* n = qel_node_at(ctx, node)) {
        n->width = {QEL_SIZE_GROW, 1};
        if (o->disabled) n->opacity = DISABLED_OPACITY;
        if (qel_focused_id(ctx) == id && ctx->interaction.focus_visible) qel_focus_ring(ctx, node, 1.0f);
    }
    row_end(ctx);
    return changed ? 1 : 0;
}
