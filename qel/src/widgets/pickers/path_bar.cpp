// The path bar: measuring and collapsing the segments, the pills and separators, the ellipsis
// menu, edit mode over the text field and the separator popup's begin and end. The field is the
// text input's, the popups the popup layer's.
#include "qel/path_bar.h"

#include <algorithm>
#include <cstring>

#include "core/core.h"
#include "widgets/pickers/picker_nodes.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/button.h"
#include "qel/color.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/menu.h"
#include "qel/popup.h"
#include "qel/state.h"
#include "qel/text_input.h"
#include "qel/text_units.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/widget_nodes.h"

static const uint32_t STATE_KEY = 0x9a7b0, FIELD_KEY = 0xed17, SEP_POPUP_KEY = 0x5e9a0, MORE_POPUP_KEY = 0x3011e;
static const int32_t EDIT_CAPACITY = 1024;
static const float GAP = 4, ELLIPSIS_WIDTH = 30, HOVER_RATE = 0.14f;
static const char CHEVRON[] = QEL_ICON_CHEVRON_RIGHT;
static const char CHEVRON_OPEN[] = QEL_ICON_CHEVRON_DOWN;
static const char ELLIPSIS[] = QEL_ICON_ELLIPSIS;

struct path_bar_state {
    uint8_t editing, focus_pending;
    int32_t popup_segment;
    uint32_t popup_anchor, previous_focus;
    float hover;
    uint8_t initialised;
    char edit[EDIT_CAPACITY];
};

// What one frame of the display needs to know about the bar.
struct bar_frame {
    uint32_t id;
    const char** segments;
    int32_t count;
    const qel_path_bar_options* o;
    path_bar_state* s;
    float height;
    float font_size;
    bool separator_open_shown;
};

static path_bar_state* bar_state(qel_context* ctx, uint32_t id, bool create)
{
    auto* s = (path_bar_state*)qel_state_find(ctx, id ^ STATE_KEY, sizeof(path_bar_state), create);
    if (s && !s->initialised) {
        s->popup_segment = -1;
        s->initialised = 1;
    }
    return s;
}

static const char* segment_text(const bar_frame& f, int32_t i)
{
    return f.segments[i] ? f.segments[i] : "";
}

static float separator_width(const bar_frame& f)
{
    return f.o->separator_menus ? 20.0f : 18.0f;
}

static float segment_width(qel_context* ctx, const bar_frame& f, int32_t i)
{
    const char* t = segment_text(f, i);
    uint32_t font = i == f.count - 1 ? QEL_FONT_MEDIUM : QEL_FONT_BODY;
    return qel_text_width_measured(ctx, font, f.font_size, t, qel_label_visible_len(t), false) + 16;
}

// The run [*first, *end) of segments hidden behind the ellipsis; empty when all fit. Each
// segment is measured once.
static void hidden_run(qel_context* ctx, const bar_frame& f, float available, int32_t* first, int32_t* end)
{
    *first = *end = 0;
    if (f.count < 2) return;
    auto* widths = (float*)qel_arena_alloc(ctx, (size_t)f.count * sizeof(float));
    float step = separator_width(f) + GAP;
    float total = -step;
    for (int32_t i = 0; i < f.count; i++) {
        widths[i] = segment_width(ctx, f, i);
        total += widths[i] + step;
    }
    if (total <= available) return;
    if (f.count == 2) {
        *end = 1;
        return;
    }
    total += ELLIPSIS_WIDTH + step;
    int32_t i = 1;
    for (; i < f.count - 1 && total > available; i++) total -= widths[i] + step;
    *first = total > available ? 0 : 1;
    *end = i;
}

// A pill of the bar: hover tint, hand cursor, focus ring; padded, or of a fixed width above 0 with
// its content centred. Pushed; the caller pops it.
static int32_t pill(qel_context* ctx, const bar_frame& f, uint32_t id, float pad, float width, qel_interaction* it,
                    float* hover)
{
    *it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
    *hover = qel_anim_flash(ctx, id, it->hovered, HOVER_RATE);
    float radius = std::max(ctx->theme.current.radius_small - 4, 6.0f);
    int32_t index = qel_node_pill_row(ctx, id, f.height - 8, pad, 0, radius);
    qel_node* n = qel_node_at(ctx, index);
    n->fill = qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_HOVER), std::min(1.0f, *hover * (it->held ? 1.6f : 1)));
    if (width > 0) {
        n->width = {QEL_SIZE_FIXED, width};
        n->justify = QEL_JUSTIFY_CENTER;
    }
    qel_node_clickable(ctx, index, id, false);
    if (it->focused && it->focus_visible) qel_focus_ring(ctx, index, 1);
    qel_node_push(ctx, index);
    return index;
}

static void enter_edit(qel_context* ctx, const bar_frame& f, bool by_click)
{
    path_bar_state* s = f.s;
    if (f.o->full_path) {
        qel_utf8_copy(s->edit, EDIT_CAPACITY, f.o->full_path);
    } else {
        s->edit[0] = 0;
        int32_t used = 0;
        for (int32_t i = 0; i < f.count; i++) {
            const char* t = segment_text(f, i);
            int32_t len = qel_label_visible_len(t), room = EDIT_CAPACITY - 1 - used - (i > 0);
            if (room < len) break;
            if (i > 0) s->edit[used++] = '/';
            memcpy(s->edit + used, t, (size_t)len);
            used += len;
            s->edit[used] = 0;
        }
    }
    s->editing = s->focus_pending = 1;
    s->previous_focus = qel_focused_id(ctx);
    if (!by_click) return;
    qel_popup_close_all(ctx);
    qel_request_redraw(ctx);
}

static void leave_edit(qel_context* ctx, path_bar_state* s)
{
    s->editing = 0;
    qel_set_focus(ctx, s->previous_focus, false);
}

// Edit mode: the field; fills the result's typed path on Enter.
static void edit_field(qel_context* ctx, const bar_frame& f, qel_size width, qel_path_bar_result* r)
{
    path_bar_state* s = f.s;
    uint32_t field = f.id ^ FIELD_KEY;
    if (qel_focused_id(ctx) == field && qel_key_take(ctx, QEL_KEY_ESCAPE)) {
        leave_edit(ctx, s);
        return;
    }
    if (s->focus_pending) qel_text_activate(ctx, field);
    qel_text_input_opts t = {};
    t.placeholder = f.o->placeholder ? f.o->placeholder : "Type a path";
    t.size = f.o->size;
    t.width = width;
    uint32_t got = qel_input_text_ex(ctx, field, s->edit, EDIT_CAPACITY, &t, false, false, f.o->icon);
    qel_node* n = qel_node_at(ctx, qel_node_at(ctx, qel_node_parent(ctx))->last_child);
    n->height = {QEL_SIZE_FIXED, f.height};
    bool pending = s->focus_pending;
    s->focus_pending = 0;
    if (got & QEL_INPUT_SUBMITTED) {
        r->typed_path = qel_arena_strdup(ctx, s->edit, -1);
        leave_edit(ctx, s);
    } else if (!pending && qel_focused_id(ctx) != field) {
        s->editing = 0;
    }
}

// The segment pill i; true when it was clicked.
static bool segment_pill(qel_context* ctx, const bar_frame& f, int32_t i)
{
    qel_push_id_int(ctx, i);
    uint32_t id = qel_id(ctx, "seg");
    qel_pop_id(ctx);
    qel_interaction it;
    float hover;
    pill(ctx, f, id, 8, 0, &it, &hover);
    bool last = i == f.count - 1;
    qel_color text = qel_theme_color(ctx, QEL_COLOR_TEXT);
    qel_color color = last ? text : qel_color_mix(qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), text, hover);
    const char* t = segment_text(f, i);
    qel_text_leaf(ctx, t, qel_label_visible_len(t), last ? QEL_FONT_MEDIUM : QEL_FONT_BODY, f.font_size, color,
                  false, 1.3f);
    qel_node_pop(ctx);
    return it.clicked;
}

// The separator after segment i: a chevron, or a button opening the segment popup.
static void separator(qel_context* ctx, bar_frame& f, int32_t i)
{
    float w = separator_width(f);
    if (!f.o->separator_menus) {
        int32_t box = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, w}, {QEL_SIZE_FIT, 0});
        qel_node_at(ctx, box)->align = QEL_ALIGN_CENTER;
        qel_node_at(ctx, box)->justify = QEL_JUSTIFY_CENTER;
        qel_node_push(ctx, box);
        qel_icon_glyph(ctx, CHEVRON, 14, qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED));
        qel_node_pop(ctx);
        return;
    }
    path_bar_state* s = f.s;
    uint32_t popup = f.id ^ SEP_POPUP_KEY;
    qel_push_id_int(ctx, i);
    uint32_t id = qel_id(ctx, "sep");
    qel_pop_id(ctx);
    const qel_popup_slot* slot = qel_popup_find(ctx, popup, false);
    bool open = slot && slot->open && s->popup_segment == i && s->popup_anchor == id;
    qel_interaction it;
    float hover;
    int32_t index = pill(ctx, f, id, 0, w, &it, &hover);
    if (it.clicked) {
        if (!open) {
            s->popup_segment = i;
            s->popup_anchor = id;
        }
        open = !open;
        qel_popup_set_open(ctx, popup, open);
    }
    if (open) qel_node_at(ctx, index)->fill = qel_theme_color(ctx, QEL_COLOR_ACTIVE);
    f.separator_open_shown |= open;
    qel_color text = qel_theme_color(ctx, QEL_COLOR_TEXT);
    qel_color color = open ? text : qel_color_mix(qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), text, hover);
    qel_crossfade_label(ctx, id, open ? CHEVRON_OPEN : CHEVRON, 14, color);
    qel_node_pop(ctx);
}

// The ellipsis pill and its menu of the hidden run; returns the picked segment or -1.
static int32_t ellipsis(qel_context* ctx, const bar_frame& f, int32_t first, int32_t end)
{
    uint32_t id = qel_id(ctx, "more"), popup = f.id ^ MORE_POPUP_KEY;
    qel_interaction it;
    float hover;
    pill(ctx, f, id, 0, ELLIPSIS_WIDTH, &it, &hover);
    qel_icon_glyph(ctx, ELLIPSIS, 16, qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY));
    qel_node_pop(ctx);
    const qel_popup_slot* slot = qel_popup_find(ctx, popup, it.clicked);
    if (it.clicked) qel_popup_set_open(ctx, popup, !(slot && slot->open));
    int32_t picked = -1;
    if (!qel_popup_begin(ctx, popup, id, QEL_PLACE_BELOW_START, 0, 6, 0, true)) return -1;
    for (int32_t i = first; i < end; i++) {
        qel_menu_item_options m = {};
        if (i == 0) m.icon = f.o->icon;
        qel_push_id_int(ctx, i);
        if (qel_menu_item(ctx, segment_text(f, i), &m)) picked = i;
        qel_pop_id(ctx);
    }
    qel_popup_end(ctx);
    return picked;
}

// Display mode: the row of pills; fills the result's clicked segment.
static void display(qel_context* ctx, bar_frame& f, qel_size width, qel_path_bar_result* r)
{
    path_bar_state* s = f.s;
    bool editable = !f.o->read_only;
    qel_interaction it = qel_interact(ctx, f.id, 0);
    qel_rect last = qel_id_rect(ctx, f.id);
    bool inside = qel_picker_pointer_over(ctx, f.id);
    qel_anim_exp(ctx, &s->hover, inside ? 1.0f : 0.0f, HOVER_RATE);
    if (inside && editable) qel_set_cursor(ctx, QEL_CURSOR_IBEAM);

    float pad_left = f.o->icon ? 10.0f : 4.0f;
    float available = 1e9f;
    if (last.w > 0) available = last.w - pad_left - 4 - 2 - (f.o->icon ? 22.0f : 0.0f);
    int32_t first = 0, end = 0;
    hidden_run(ctx, f, available, &first, &end);

    int32_t bar = qel_node_sized(ctx, f.id, width, {QEL_SIZE_FIXED, f.height});
    qel_node* n = qel_node_at(ctx, bar);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->gap = 2;
    n->pad_left = pad_left;
    n->pad_right = 4;
    n->fill = qel_theme_color(ctx, QEL_COLOR_SURFACE);
    n->border = qel_border_color(ctx, editable ? s->hover : 0);
    n->border_width = 1;
    qel_node_round(n, std::min(ctx->theme.current.radius_small, f.height / 2));
    qel_node_mark_interactive(ctx, bar, 0);
    qel_node_push(ctx, bar);
    if (f.o->icon) {
        qel_icon_glyph(ctx, f.o->icon, 16, qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY));
        qel_gap(ctx, 4);
    }
    bool enter = editable && it.clicked;
    for (int32_t i = 0; i < f.count; i++) {
        if (i >= first && i < end) {
            if (i == first) {
                int32_t picked = ellipsis(ctx, f, first, end);
                if (picked >= 0) r->clicked = picked;
                if (end < f.count) separator(ctx, f, end - 1);
            }
            continue;
        }
        if (segment_pill(ctx, f, i)) {
            if (i < f.count - 1) r->clicked = i;
            else enter = editable;
        }
        if (i < f.count - 1) separator(ctx, f, i);
    }
    qel_node_pop(ctx);
    if (enter) enter_edit(ctx, f, true);
    if (!f.separator_open_shown && s->popup_segment >= 0) {
        const qel_popup_slot* slot = qel_popup_find(ctx, f.id ^ SEP_POPUP_KEY, false);
        if (slot && slot->open) qel_popup_set_open(ctx, f.id ^ SEP_POPUP_KEY, false);
    }
}

qel_path_bar_result qel_path_bar(qel_context* ctx, const char* label, const char** segments, int32_t count,
                                 const qel_path_bar_options* options)
{
    static const qel_path_bar_options defaults = {};
    const qel_path_bar_options* o = options ? options : &defaults;
    uint32_t id = qel_id(ctx, label);
    bar_frame f = {id, segments, segments && count > 0 ? count : 0, o, bar_state(ctx, id, true),
                   qel_control_height(ctx, o->size), qel_text_body_scaled(ctx),
                   false};
    qel_size width = o->width.kind ? o->width : qel_size{QEL_SIZE_GROW, 1};
    qel_path_bar_result r = {-1, nullptr, 0};
    if (!o->read_only && !f.s->editing && !qel_text_edit_active(ctx) &&
        qel_shortcut_pressed(ctx, QEL_MOD_CTRL, QEL_KEY_A + ('L' - 'A'))) {
        qel_key_take(ctx, QEL_KEY_A + ('L' - 'A'));
        enter_edit(ctx, f, false);
    }
    qel_push_id(ctx, label);
    if (f.s->editing) edit_field(ctx, f, width, &r);
    if (!f.s->editing && !r.typed_path) display(ctx, f, width, &r);
    qel_pop_id(ctx);
    r.editing = f.s->editing;
    qel_set_last_item(ctx, id);
    return r;
}

bool qel_path_bar_popup_begin(qel_context* ctx, const char* label, int32_t* segment)
{
    uint32_t id = qel_id(ctx, label);
    path_bar_state* s = bar_state(ctx, id, false);
    if (!s || s->editing || s->popup_segment < 0) return false;
    const qel_popup_slot* slot = qel_popup_find(ctx, id ^ SEP_POPUP_KEY, false);
    if (!slot || !slot->open) return false;
    if (!qel_popup_begin(ctx, id ^ SEP_POPUP_KEY, s->popup_anchor, QEL_PLACE_BELOW_START, 0, 6, 0, true)) return false;
    if (segment) *segment = s->popup_segment;
    return true;
}

void qel_path_bar_popup_end(qel_context* ctx)
{
    qel_popup_end(ctx);
}
