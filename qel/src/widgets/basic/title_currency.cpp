// The editable title (its display form, the switch into a frameless field with the saved copy of
// the text, commit and cancel) and the currency field (the text it shows in and out of focus and
// the filter on typing). The field is text_input.cpp's; numbers as text are number_text's.
#include "qel/title_currency.h"

#include <cmath>
#include <cstring>

#include "core/core.h"
#include "text/number_text.h"
#include "qel/anim.h"
#include "qel/color.h"
#include "qel/font.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/state.h"
#include "qel/text_input.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

static const uint32_t EDIT_KEY = 0x1d17, CURRENCY_KEY = 0x3077;
static const char PENCIL_GLYPH[] = QEL_ICON_PENCIL;
static const int32_t MAX_DECIMALS = 17;

// --- Editable title ---

// The saved copy is on the heap, so a title of any length comes back whole on Escape.
struct title_state {
    uint8_t editing;
    char* saved;
    float hover;
};

static void title_state_free(qel_context* ctx, void* blob)
{
    qel_mem_free(ctx, ((title_state*)blob)->saved);
}

struct title_look {
    uint32_t font;
    float size, line_height;
};

static title_look look_of(qel_context* ctx, const qel_title_opts* o)
{
    const qel_theme* t = &ctx->theme.current;
    float s = (o->size > 0 ? o->size : t->text_body) * t->ui_scale;
    float row = s > 18 ? s * 1.3f : s * 1.5f;
    return {o->font ? o->font : (uint32_t)QEL_FONT_MEDIUM, s, row / s};
}

static int32_t title_node(qel_context* ctx, uint32_t id, const qel_title_opts* o, float hover, bool editing,
                          float preferred)
{
    int32_t index = qel_node_open(ctx, id);
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->align_self = QEL_ALIGN_OWN_SIZE;
    n->gap = 8;
    n->pad_top = n->pad_bottom = 2;
    n->pad_left = n->pad_right = 6;
    qel_node_round(n, qel_row_radius(ctx));
    qel_node_set_width(n, o->width, preferred);
    if (editing) {
        n->fill = qel_color_token(QEL_COLOR_SURFACE);
        n->border = qel_focus_color(ctx);
        n->border_width = 1;
    } else {
        n->fill = qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_HOVER), hover);
    }
    return index;
}

static void saved_copy(qel_context* ctx, uint32_t id, title_state* s, const char* text)
{
    size_t length = strlen(text);
    qel_mem_free(ctx, s->saved);
    s->saved = (char*)qel_mem_alloc(ctx, length + 1);
    memcpy(s->saved, text, length + 1);
    qel_state_set_destructor(ctx, id, title_state_free);
}

// The display form; true when editing starts.
static bool title_display(qel_context* ctx, uint32_t id, title_state* s, const char* buffer, const qel_title_opts* o)
{
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
    float hover = qel_anim_exp(ctx, &s->hover, it.hovered ? 1.0f : 0.0f, 0.14f);
    title_look look = look_of(ctx, o);
    int32_t index = title_node(ctx, id, o, hover, false, 0);
    qel_node_mark_interactive(ctx, index, QEL_INTERACT_FOCUSABLE);
    if (it.hovered) qel_set_cursor(ctx, QEL_CURSOR_IBEAM);
    qel_focus_ring(ctx, index, it.focused && it.focus_visible ? 1.0f : 0.0f);
    qel_node_push(ctx, index);
    bool empty = buffer[0] == 0;
    const char* text = empty ? (o->placeholder ? o->placeholder : "Untitled") : buffer;
    qel_text_leaf(ctx, text, -1, look.font, look.size,
                  qel_color_token(empty ? QEL_COLOR_TEXT_MUTED : QEL_COLOR_TEXT), false, look.line_height);
    int32_t pencil = qel_node_text(ctx, PENCIL_GLYPH, -1, QEL_FONT_ICON, fmaxf(12.0f, 0.62f * look.size),
                                   qel_color_token(QEL_COLOR_TEXT_MUTED), false);
    qel_node_at(ctx, pencil)->opacity = fmaxf(hover, 0.001f);
    qel_node_pop(ctx);
    return (it.clicked && !it.activated_by_key) || (it.focused && it.focus_visible && qel_key_pressed(ctx, QEL_KEY_ENTER));
}

// The editing form; *ended tells whether editing ended this frame.
static void title_editing(qel_context* ctx, uint32_t id, title_state* s, char* buffer, size_t capacity,
                          const qel_title_opts* o, bool* ended)
{
    uint32_t edit_id = id ^ EDIT_KEY;
    title_look look = look_of(ctx, o);
    float text_width = qel_text_width_measured(ctx, look.font, look.size, buffer, -1, false);
    int32_t index = title_node(ctx, id, o, 0, true, 0);
    qel_node_push(ctx, index);
    qel_text_input_opts field = {};
    field.width = o->width.kind == QEL_SIZE_FIT ? qel_size{QEL_SIZE_FIXED, fmaxf(80.0f, text_width + 24)} : o->width;
    qel_text_font_override(ctx, (int32_t)look.font, look.size);
    int32_t cap = capacity > INT32_MAX ? INT32_MAX : (int32_t)capacity;
    uint32_t result = qel_input_text_ex(ctx, edit_id, buffer, cap, &field, false, true, nullptr);
    qel_node_pop(ctx);
    if (result & QEL_INPUT_SUBMITTED) ctx->input.key_presses[QEL_KEY_ENTER] = 0;  // it must not reopen
    *ended = (result & (QEL_INPUT_SUBMITTED | QEL_INPUT_FOCUS_LOST)) != 0;
    if (*ended) {
        s->editing = 0;
        if (result & QEL_INPUT_SUBMITTED) qel_set_focus(ctx, id, false);
    }
}

bool qel_editable_title(qel_context* ctx, const char* label, char* buffer, size_t capacity,
                        const qel_title_opts* options)
{
    if (!buffer || capacity < 1) return false;
    const qel_title_opts none = {};
    const qel_title_opts* o = options ? options : &none;
    uint32_t id = qel_id(ctx, label);
    auto* s = qel_state_record_of<title_state>(ctx, id, "title_state");
    bool changed = false;
    if (s->editing && qel_focused_id(ctx) == (id ^ EDIT_KEY) && qel_key_take(ctx, QEL_KEY_ESCAPE)) {
        size_t n = strnlen(s->saved, capacity - 1);
        memcpy(buffer, s->saved, n);
        buffer[n] = 0;
        s->editing = 0;
        qel_set_focus(ctx, id, false);
    }
    if (s->editing) {
        bool ended = false;
        title_editing(ctx, id, s, buffer, capacity, o, &ended);
        changed = ended && strcmp(buffer, s->saved) != 0;
    } else if (title_display(ctx, id, s, buffer, o)) {
        s = qel_state_record_of<title_state>(ctx, id, "title_state");
        saved_copy(ctx, id, s, buffer);
        s->editing = 1;
        qel_text_activate(ctx, id ^ EDIT_KEY);
    }
    qel_set_last_item(ctx, id);
    return changed;
}

// --- Currency field ---

struct currency_state {
    char text[64];
    uint8_t focused_last;
    double last_shown;
    uint8_t valid;
};

// -1,234.50: the value with its decimals, the integer digits grouped by three.
static void display_text(qel_context* ctx, currency_state* s, double value, int32_t decimals)
{
    char plain[64];
    qel_number_format(plain, sizeof plain, value, decimals);
    const char* grouped = qel_group_thousands(ctx, plain);
    size_t n = strnlen(grouped, sizeof s->text - 1);
    memcpy(s->text, grouped, n);
    s->text[n] = 0;
    s->valid = 1;
}

static double rounded(double value, int32_t decimals)
{
    double scale = pow(10.0, decimals);
    double r = round(value * scale) / scale;
    return std::isfinite(r) ? r : value;
}

// Keeps digits and one decimal point ("." or "," typed) with at most decimals digits after it.
static void filter_typed(char* text, int32_t decimals)
{
    char out[64];
    size_t n = 0;
    int32_t after = -1;  // digits after the point; -1 before it
    for (const char* p = text; *p && n < sizeof out - 1; p++) {
        bool digit = *p >= '0' && *p <= '9';
        if (digit && after < decimals) {
            out[n++] = *p;
            if (after >= 0) after++;
        } else if ((*p == '.' || *p == ',') && after < 0 && decimals > 0) {
            out[n++] = '.';
            after = 0;
        }
    }
    out[n] = 0;
    if (strcmp(out, text) != 0) memcpy(text, out, n + 1);
}

// The text before the field is built: plain while focused, formatted otherwise.
static void upkeep(qel_context* ctx, currency_state* s, bool focused, double* value, int32_t decimals)
{
    if (focused && !s->focused_last) {
        if (*value == 0) s->text[0] = 0;
        else qel_number_format(s->text, sizeof s->text, *value, decimals);
        return;
    }
    if (focused) return;
    if (s->focused_last) {
        double typed;
        if (qel_number_read(s->text, &typed)) *value = rounded(typed, decimals);
        else if (s->text[0] == 0) *value = 0;
        display_text(ctx, s, *value, decimals);
    } else if (!s->valid || *value != s->last_shown) {
        display_text(ctx, s, *value, decimals);
    }
}

bool qel_currency_input(qel_context* ctx, const char* label, double* value, const qel_currency_opts* options)
{
    const qel_currency_opts none = {};
    const qel_currency_opts* o = options ? options : &none;
    int32_t decimals = o->decimals > 0 ? (o->decimals < MAX_DECIMALS ? o->decimals : MAX_DECIMALS)
                       : o->decimals == 0 ? 2
                                          : 0;
    double own = 0;
    double* v = value ? value : &own;
    double start = *v;
    uint32_t id = qel_id(ctx, label);
    auto* s = (currency_state*)qel_state_get(ctx, id ^ CURRENCY_KEY, sizeof(currency_state));
    bool focused = qel_focused_id(ctx) == id;
    upkeep(ctx, s, focused, v, decimals);

    qel_text_input_opts field = {};
    field.label = o->label;
    field.help = o->help;
    field.width = o->width;
    field.prefix = o->prefix ? o->prefix : "$";
    field.suffix = o->suffix;
    field.placeholder = decimals > 0 ? "0.00" : "0";
    uint32_t result = qel_input_text_ex(ctx, id, s->text, sizeof s->text, &field, false, false, nullptr);
    if (focused && (result & QEL_INPUT_CHANGED)) {
        filter_typed(s->text, decimals);
        double typed;
        *v = qel_number_read(s->text, &typed) ? typed : 0;
    }
    s->last_shown = *v;
    s->focused_last = focused;
    return !(*v == start);
}
