// The text input widget: the field box around a text field (label above, leading icon, prefix and
// suffix, clear and password-reveal buttons, help or error line below, frame and focus ring), and
// the search box made of it. What the field does with input and how it draws its text is
// text_field.cpp's.
#include <algorithm>

#include "core/core.h"
#include "qel/button.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "editing/text_field.h"

static const float MULTILINE_HEIGHT = 96, MULTILINE_MIN_HEIGHT = 80, MIN_WIDTH = 80;
static const char CLEAR_GLYPH[] = QEL_ICON_X, SHOW_GLYPH[] = QEL_ICON_EYE, HIDE_GLYPH[] = QEL_ICON_EYE_OFF;
static const char SEARCH_GLYPH[] = QEL_ICON_SEARCH;

static bool given(const char* text)
{
    return text && *text;
}

// A column holding the label, the field box and the hint line, when any of those is given.
static bool open_wrapper(qel_context* ctx, const qel_text_input_opts* o, bool multiline)
{
    if (!given(o->label) && !given(o->help) && !given(o->error)) return false;
    qel_style column = {};
    column.gap = 6;
    column.width = o->width.kind ? o->width : qel_size{QEL_SIZE_GROW, 1};
    if (multiline && o->multiline_height < 0) column.height = {QEL_SIZE_GROW, 1};
    qel_column_begin(ctx, &column);
    qel_field_label(ctx, o->label);
    return true;
}

static void frame_box(qel_context* ctx, qel_node* n, const qel_text_field* f, bool icon)
{
    const qel_text_input_opts* o = f->opts;
    float height = n->height.kind == QEL_SIZE_FIXED ? n->height.value : MULTILINE_MIN_HEIGHT;
    float radius = std::min(qel_theme_block_get(ctx)->radius_small, height / 2);
    std::fill(n->radii, n->radii + 4, radius);
    n->pad_left = icon ? 10.0f : 12.0f;
    n->pad_right = 12;
    if (f->multiline) n->pad_top = n->pad_bottom = 8;
    n->fill = qel_color_resolve(ctx, qel_color_token(f->disabled ? QEL_COLOR_SUBTLE : QEL_COLOR_SURFACE));
    n->border_width = 1;
    n->border = given(o->error) ? qel_theme_color(ctx, QEL_COLOR_DANGER)
                                : qel_color_mix(qel_field_border_color(ctx, f->st->hover), qel_focus_color(ctx),
                                                f->st->focus);
}

static int32_t open_box(qel_context* ctx, const qel_text_field* f, bool wrapped, bool frameless, bool icon)
{
    const qel_text_input_opts* o = f->opts;
    int32_t index = qel_node_open(ctx, f->id);
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->gap = given(o->prefix) || given(o->suffix) ? 4.0f : 8.0f;
    if (!f->multiline) {
        n->align = QEL_ALIGN_CENTER;
        n->height = {QEL_SIZE_FIXED, qel_control_height(ctx, o->size)};
    } else {
        n->align = QEL_ALIGN_START;
        if (o->multiline_height < 0) {
            n->height = {QEL_SIZE_GROW, 1};
            n->min_h = MULTILINE_MIN_HEIGHT;
        } else {
            n->height = {QEL_SIZE_FIXED, o->multiline_height > 0 ? o->multiline_height : MULTILINE_HEIGHT};
        }
    }
    n->width = !wrapped && o->width.kind ? o->width : qel_size{QEL_SIZE_GROW, 1};
    n->min_w = MIN_WIDTH;
    if (!frameless) frame_box(ctx, n, f, icon);
    if (f->disabled) n->opacity = 0.45f;
    qel_node_mark_interactive(ctx, index, QEL_INTERACT_FOCUSABLE);
    return index;
}

// Muted text beside the field's text, in its font size.
static void side_text(qel_context* ctx, const qel_text_field* f, const char* text)
{
    if (!given(text)) return;
    qel_node* n = qel_node_at(ctx, qel_node_text(ctx, text, -1, QEL_FONT_BODY, f->size,
                                                 qel_color_token(QEL_COLOR_TEXT_MUTED), false));
    n->line_height = 1.3f;
    n->align_self = QEL_ALIGN_CENTER;
}

static void leading_icon(qel_context* ctx, const qel_text_field* f, const char* glyphs)
{
    int32_t holder = qel_node_open(ctx, 0);
    if (f->multiline) qel_node_at(ctx, holder)->pad_top = (f->row_height - 16) / 2;
    qel_node_push(ctx, holder);
    qel_icon(ctx, glyphs, 16, qel_color_token(QEL_COLOR_TEXT_MUTED));
    qel_node_pop(ctx);
}

static void field_buttons(qel_context* ctx, qel_text_field* f, int32_t box)
{
    qel_text_input_state* s = f->st;
    qel_push_id_int(ctx, (int32_t)f->id);
    if (f->opts->clear_button && f->length > 0 && f->editable) {
        qel_node_at(ctx, box)->pad_right = 8;
        if (qel_field_button(ctx, box, CLEAR_GLYPH, {}, 22)) qel_text_field_clear(f);
    }
    if (f->opts->password) {
        qel_node_at(ctx, box)->pad_right = 6;
        bool shown = s->password_shown;
        qel_button_opts reveal = {};
        reveal.tooltip = shown ? "Hide password" : "Show password";
        reveal.custom_color = qel_color_token(QEL_COLOR_TEXT_MUTED);
        if (qel_field_button(ctx, box, shown ? HIDE_GLYPH : SHOW_GLYPH, reveal, 26)) s->password_shown = !shown;
    }
    qel_pop_id(ctx);
}

uint32_t qel_input_text_ex(qel_context* ctx, uint32_t id, char* buffer, int32_t capacity,
                           const qel_text_input_opts* opts, bool multiline, bool frameless, const char* icon)
{
    if (!buffer || capacity < 1) return 0;
    const qel_text_input_opts none = {};
    const qel_text_input_opts* o = opts ? opts : &none;
    const char* glyphs = given(o->icon) ? o->icon : icon;
    qel_text_field f;
    qel_text_field_begin(&f, ctx, id, buffer, capacity, o, multiline);
    bool wrapped = !frameless && open_wrapper(ctx, o, multiline);
    int32_t box = open_box(ctx, &f, wrapped, frameless, given(glyphs));
    qel_node_push(ctx, box);
    side_text(ctx, &f, o->prefix);
    if (given(glyphs)) leading_icon(ctx, &f, glyphs);
    qel_text_field_area(&f);
    side_text(ctx, &f, o->suffix);
    field_buttons(ctx, &f, box);
    qel_node_pop(ctx);
    if (!frameless && !multiline && f.st->focus > 0.01f && f.it.focus_visible) qel_focus_ring(ctx, box, 1);
    if (wrapped) {
        qel_field_hint(ctx, o->help, o->error);
        qel_container_end(ctx);
    }
    qel_set_last_item(ctx, id);
    return f.result;
}

uint32_t qel_input_text(qel_context* ctx, const char* label, char* buffer, int32_t capacity,
                        const qel_text_input_opts* opts)
{
    return qel_input_text_ex(ctx, qel_id(ctx, label), buffer, capacity, opts, false, false, nullptr);
}

uint32_t qel_input_multiline(qel_context* ctx, const char* label, char* buffer, int32_t capacity,
                             const qel_text_input_opts* opts)
{
    return qel_input_text_ex(ctx, qel_id(ctx, label), buffer, capacity, opts, true, false, nullptr);
}

uint32_t qel_search_box(qel_context* ctx, const char* label, char* buffer, int32_t capacity,
                        const qel_text_input_opts* opts)
{
    qel_text_input_opts o = opts ? *opts : qel_text_input_opts{};
    o.clear_button = 1;
    if (!o.placeholder) o.placeholder = "Search";
    return qel_input_text_ex(ctx, qel_id(ctx, label), buffer, capacity, &o, false, false, SEARCH_GLYPH);
}
