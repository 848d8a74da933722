// Chips, segmented controls and tab strips: the shared body (items, keys, the selection that
// springs between them, padding that tightens when room is short), the scrolling strip around
// tabs and the toggle chip. Hover, press and focus feel come from widget_feel.
#include "qel/choice_controls.h"

#include <cmath>

#include "core/core.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/scroll_container.h"
#include "qel/state.h"
#include "qel/text_units.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

enum { MAX_ITEMS = 32 };

static const float HOVER_SECONDS = 0.14f;
static const float LEAD_PERIOD = 0.26f, TRAIL_PERIOD = 0.42f, TRAIL_BOUNCE = 0.14f;
static const float MIN_SELECTION = 4.0f;
static const float TRACK_PAD = 3.0f, TAB_GAP = 4.0f, UNDERLINE_INSET = 10.0f, ICON_GAP = 6.0f;
static const float ICON_SIZE = 16.0f;
static const float TIGHT_PAD = 8.0f;
static const float REVEAL_MARGIN = 24.0f;
static const uint32_t STRIP_KEY = 0x7AB5u, REVEALED_KEY = 0x7AB4u, CHIP_KEY = 0xC41B0004u;
static const char CHECK_GLYPH[] = QEL_ICON_CHECK;

// --- The body ---

struct segmented_state {
    float x, width;  // the selection, relative to the control
    float left[2], right[2];  // edge springs
    uint8_t initialised;
    float hover[MAX_ITEMS];
};

// The drawn look of the selection.
struct selection_look {
    qel_color fill, shadow, border;
};

// The geometry one mode gives items and selection, for a control of height h.
struct body_metrics {
    float item_height;  // also the side of an icon-only item
    float container_pad, gap, item_pad;
    float selection_y, selection_height, radius;
};

static body_metrics metrics_of(qel_context* ctx, uint32_t mode, float h)
{
    float small = ctx->theme.current.radius_small;
    switch (mode) {
    case QEL_SEGMENTED_UNDERLINE: return {h, 0, TAB_GAP, 10, h - 2, 2, 1};
    case QEL_SEGMENTED_PILLS: return {h - 4, 0, TAB_GAP, 10, 0, h - 4, fminf(small, (h - 4) * 0.5f)};
    default: return {h - 6, TRACK_PAD, 0, 14, TRACK_PAD, h - 6, fminf(small - 3, (h - 6) * 0.5f)};
    }
}

static uint32_t item_id(uint32_t control, int32_t index)
{
    return qel_hash_bytes(&index, sizeof index, control);
}

static const char* item_text(const char* const* labels, int32_t i)
{
    return labels && labels[i] ? labels[i] : "";
}

static const char* item_icon(const char* const* icons, int32_t i)
{
    return icons && icons[i] && icons[i][0] ? icons[i] : nullptr;
}

// The width the items want at their full padding, the track's own padding included.
static float measure_items(qel_context* ctx, const char* const* labels, const char* const* icons, int32_t shown,
                           float font_size, uint32_t mode, const body_metrics& m, float h)
{
    float sum = 2 * m.container_pad + (float)(shown - 1) * m.gap;
    for (int32_t i = 0; i < shown; i++) {
        const char* text = item_text(labels, i);
        int32_t visible = qel_label_visible_len(text);
        if (visible == 0) {
            sum += h - (mode == QEL_SEGMENTED_TRACK ? 6.0f : 4.0f);
            continue;
        }
        sum += 2 * m.item_pad + qel_text_width_measured(ctx, QEL_FONT_MEDIUM, font_size, text, visible, false);
        if (const char* icon = item_icon(icons, i))
            sum += qel_text_width_measured(ctx, QEL_FONT_ICON, ICON_SIZE, icon, -1, false) + ICON_GAP;
    }
    return sum;
}

// Left and Right move focus and choice among the items while one of them shows a keyboard focus.
static void step_by_keys(qel_context* ctx, const uint32_t* ids, const qel_interaction* its, int32_t shown,
                         int32_t* selected)
{
    for (int32_t i = 0; i < shown; i++) {
        if (!its[i].focused || !its[i].focus_visible) continue;
        int32_t next = i;
        if (qel_key_pressed(ctx, QEL_KEY_RIGHT) && i + 1 < shown) next = i + 1;
        if (qel_key_pressed(ctx, QEL_KEY_LEFT) && i > 0) next = i - 1;
        if (next != i) {
            qel_set_focus(ctx, ids[next], true);
            *selected = next;
        }
        return;
    }
}

// The edge leading the move springs quickly, the trailing one follows slower with a little
// bounce, so the selection stretches on its way.
static void slide_selection(qel_context* ctx, segmented_state* s, float left, float right)
{
    if (!s->initialised) {
        s->left[0] = left, s->right[0] = right;
        s->left[1] = s->right[1] = 0;
        s->initialised = 1;
    } else {
        bool rightwards = left + right > s->left[0] + s->right[0];
        float* lead = rightwards ? s->right : s->left;
        float* trail = rightwards ? s->left : s->right;
        qel_anim_spring(ctx, lead, rightwards ? right : left, LEAD_PERIOD, 0);
        qel_anim_spring(ctx, trail, rightwards ? left : right, TRAIL_PERIOD, TRAIL_BOUNCE);
    }
    s->x = s->left[0];
    s->width = fmaxf(MIN_SELECTION, s->right[0] - s->left[0]);
}

static selection_look look_of(qel_context* ctx, uint32_t mode)
{
    if (mode == QEL_SEGMENTED_UNDERLINE) return {qel_theme_color(ctx, QEL_COLOR_TEXT), 0, 0};
    if (mode == QEL_SEGMENTED_PILLS) return {qel_theme_color(ctx, QEL_COLOR_ACTIVE), 0, 0};
    qel_color elevated = qel_theme_color(ctx, QEL_COLOR_ELEVATED);
    if (qel_dark_mode(ctx))
        return {qel_color_mix(elevated, qel_theme_color(ctx, QEL_COLOR_TEXT), 0.17f), 0x46000000u, 0x18000000u};
    return {elevated, 0x14000000u, 0x10000000u};
}

void qel_segmented_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* look = (const selection_look*)user;
    if (look->shadow >> 24) qel_draw_box_shadow(ctx, &node->rect, node->radii, 3, 0, {0, 1}, look->shadow);
    qel_draw_rect_bordered(ctx, &node->rect, node->radii, look->fill, look->border, 0.5f);
}

static void selection_node(qel_context* ctx, int32_t control, const segmented_state* s, uint32_t mode,
                           const body_metrics& m)
{
    int32_t index = qel_node_floating(ctx, 0, s->x, m.selection_y, s->width, m.selection_height);
    auto* look = (selection_look*)qel_arena_alloc(ctx, sizeof(selection_look));
    *look = look_of(ctx, mode);
    qel_node* n = qel_node_at(ctx, index);
    n->origin = control;
    qel_node_round(n, m.radius);
    n->draw = qel_segmented_draw;
    n->draw_user = look;
}

struct item_look {
    const char* text;
    const char* icon;
    bool selected, ring, disabled;
    float hover, font_size;
};

static int32_t item_node(qel_context* ctx, uint32_t id, const item_look& look, uint32_t mode, const body_metrics& m,
                         float pad, bool full_width)
{
    int32_t visible = qel_label_visible_len(look.text);
    int32_t index = qel_node_sized(ctx, id, {QEL_SIZE_FIT, 0}, {QEL_SIZE_FIXED, m.item_height});
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->justify = QEL_JUSTIFY_CENTER;
    n->gap = ICON_GAP;
    if (visible == 0) n->width = {QEL_SIZE_FIXED, m.item_height};
    else n->pad_left = n->pad_right = pad;
    if (full_width) n->width = {QEL_SIZE_GROW, 1};
    qel_node_round(n, m.radius);
    if (mode == QEL_SEGMENTED_PILLS && !look.selected) n->fill = qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_HOVER), look.hover);
    qel_node_clickable(ctx, index, id, look.disabled);
    qel_node_focus_ring_full(ctx, index, look.ring);
    qel_color color = look.selected ? qel_theme_color(ctx, QEL_COLOR_TEXT)
                                    : qel_color_mix(qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), qel_theme_color(ctx, QEL_COLOR_TEXT),
                                                    0.7f * look.hover);
    qel_node_push(ctx, index);
    if (look.icon) qel_icon_glyph(ctx, look.icon, ICON_SIZE, color);
    if (visible > 0) qel_node_text(ctx, look.text, visible, QEL_FONT_MEDIUM, look.font_size, color, false);
    qel_node_pop(ctx);
    return index;
}

// The control node: a row of the items, on a tinted track in segmented mode.
static int32_t control_node(qel_context* ctx, uint32_t id, uint32_t mode, const body_metrics& m, float h,
                            bool full_width, float preferred)
{
    int32_t index = qel_node_open(ctx, id);
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->justify = QEL_JUSTIFY_CENTER;  // spare room of tightened items is shared at both ends
    n->gap = m.gap;
    n->pad_top = n->pad_right = n->pad_bottom = n->pad_left = m.container_pad;
    if (full_width) {
        n->width = {QEL_SIZE_GROW, 1};
        n->align_self = QEL_ALIGN_STRETCH;
    } else {
        qel_node_set_width(n, {QEL_SIZE_FIT, 0}, preferred);
    }
    if (mode == QEL_SEGMENTED_TRACK) {
        float radius = fminf(ctx->theme.current.radius_small, h * 0.5f);
        qel_node_round(n, radius);
        n->fill = qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_TEXT), 0.06f);
    }
    return index;
}

bool qel_segmented_body(qel_context* ctx, const char* label, const char* const* labels, const char* const* icons,
                        int32_t count, int32_t* selected, uint32_t mode, uint32_t size, bool full_width)
{
    if (count < 1) return false;
    if (mode > QEL_SEGMENTED_PILLS) mode = QEL_SEGMENTED_TRACK;
    int32_t shown = count < MAX_ITEMS ? count : MAX_ITEMS;
    int32_t own = 0;
    int32_t* choice = selected ? selected : &own;
    int32_t before = *choice;
    uint32_t id = qel_id(ctx, label);
    bool disabled = qel_is_disabled(ctx);

    uint32_t ids[MAX_ITEMS];
    qel_interaction its[MAX_ITEMS];
    for (int32_t i = 0; i < shown; i++) {
        ids[i] = item_id(id, i);
        its[i] = qel_interact(ctx, ids[i], QEL_INTERACT_FOCUSABLE);
        if (its[i].clicked) *choice = i;
    }
    step_by_keys(ctx, ids, its, shown, choice);
    *choice = *choice < 0 ? 0 : *choice >= shown ? shown - 1 : *choice;

    auto* s = qel_state_record_of<segmented_state>(ctx, id, "segmented_state");
    float h = qel_control_height(ctx, size);
    body_metrics m = metrics_of(ctx, mode, h);
    if (qel_id_seen(ctx, id) && qel_id_seen(ctx, ids[*choice])) {
        qel_rect control = qel_id_rect(ctx, id), item = qel_id_rect(ctx, ids[*choice]);
        float inset = mode == QEL_SEGMENTED_UNDERLINE ? UNDERLINE_INSET : 0.0f;
        float left = item.x - control.x + inset;
        slide_selection(ctx, s, left, left + item.w - 2 * inset);
    }

    const qel_theme* t = &ctx->theme.current;
    float font_size = (size == 1 ? t->text_small : t->text_body) * t->ui_scale;
    float pad = m.item_pad, preferred = 0;
    if (!full_width || mode == QEL_SEGMENTED_UNDERLINE) {
        preferred = measure_items(ctx, labels, icons, shown, font_size, mode, m, h);
        qel_rect last = qel_id_rect(ctx, id);
        if (last.w > 0 && preferred > last.w + 0.5f) pad = TIGHT_PAD;
    }

    int32_t control = control_node(ctx, id, mode, m, h, full_width, preferred);
    qel_node_push(ctx, control);
    if (s->initialised) selection_node(ctx, control, s, mode, m);
    uint32_t focused = qel_focused_id(ctx);
    for (int32_t i = 0; i < shown; i++) {
        item_look look = {item_text(labels, i), item_icon(icons, i), i == *choice,
                          focused == ids[i] && ctx->interaction.focus_visible, disabled,
                          qel_anim_exp(ctx, &s->hover[i], its[i].hovered ? 1.0f : 0.0f, HOVER_SECONDS), font_size};
        item_node(ctx, ids[i], look, mode, m, pad, full_width);
    }
    qel_node_pop(ctx);
    qel_set_last_item(ctx, id);
    return *choice != before;
}

// --- Toggle groups ---

// Each item on is its own raised slab, as the segmented track's selection looks at rest.
bool qel_toggle_group(qel_context* ctx, const char* label, const char* const* labels, int32_t count, bool* flags,
                      const qel_toggle_group_opts* options)
{
    if (count < 1 || !flags) return false;
    const char* const* icons = options ? options->icons : nullptr;
    int32_t shown = count < MAX_ITEMS ? count : MAX_ITEMS;
    uint32_t id = qel_id(ctx, label);
    bool disabled = qel_is_disabled(ctx), flipped = false;
    uint32_t ids[MAX_ITEMS];
    qel_interaction its[MAX_ITEMS];
    for (int32_t i = 0; i < shown; i++) {
        ids[i] = item_id(id, i);
        its[i] = qel_interact(ctx, ids[i], QEL_INTERACT_FOCUSABLE);
        if (its[i].clicked) flags[i] = !flags[i], flipped = true;
    }

    auto* s = qel_state_record_of<segmented_state>(ctx, id, "segmented_state");
    float h = qel_control_height(ctx, 0);
    body_metrics m = metrics_of(ctx, QEL_SEGMENTED_TRACK, h);
    float font_size = ctx->theme.current.text_body * ctx->theme.current.ui_scale;
    float preferred = measure_items(ctx, labels, icons, shown, font_size, QEL_SEGMENTED_TRACK, m, h);
    qel_rect last = qel_id_rect(ctx, id);
    float pad = last.w > 0 && preferred > last.w + 0.5f ? TIGHT_PAD : m.item_pad;
    selection_look slab = look_of(ctx, QEL_SEGMENTED_TRACK);

    int32_t control = control_node(ctx, id, QEL_SEGMENTED_TRACK, m, h, false, preferred);
    qel_node_push(ctx, control);
    uint32_t focused = qel_focused_id(ctx);
    for (int32_t i = 0; i < shown; i++) {
        item_look look = {item_text(labels, i), item_icon(icons, i), flags[i],
                          focused == ids[i] && ctx->interaction.focus_visible, disabled,
                          qel_anim_exp(ctx, &s->hover[i], its[i].hovered ? 1.0f : 0.0f, HOVER_SECONDS), font_size};
        qel_node* n = qel_node_at(ctx, item_node(ctx, ids[i], look, QEL_SEGMENTED_TRACK, m, pad, false));
        if (!flags[i]) continue;
        n->fill = slab.fill;
        n->border = slab.border;
        n->border_width = 0.5f;
    }
    qel_node_pop(ctx);
    qel_set_last_item(ctx, id);
    return flipped;
}

// --- Segmented controls and tab strips ---

bool qel_segmented(qel_context* ctx, const char* label, const char* const* labels, int32_t count, int32_t* selected,
                   const qel_segmented_opts* options)
{
    const qel_segmented_opts none = {};
    const qel_segmented_opts* o = options ? options : &none;
    return qel_segmented_body(ctx, label, labels, o->icons, count, selected, QEL_SEGMENTED_TRACK, o->size,
                              o->full_width != 0);
}

void qel_tab_strip_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const qel_rect& r = node->rect;
    qel_rect line = {r.x, r.y + r.h - 1, r.w, 1};
    qel_draw_rect(ctx, &line, nullptr, *(const qel_color*)user);
}

// A newly chosen tab that the strip cuts off on either side is scrolled fully into view. The
// choice is remembered only once the strip has been laid out, so a tab chosen from the start is
// brought into view too.
static void reveal_choice(qel_context* ctx, uint32_t id, int32_t count, const int32_t* selected)
{
    auto* remembered = (int32_t*)qel_state_get(ctx, id ^ REVEALED_KEY, sizeof(int32_t));
    uint32_t strip = id ^ STRIP_KEY;
    if (!selected || *selected < 0 || *selected >= count || *selected >= MAX_ITEMS) return;
    if (*selected + 1 == *remembered || !qel_id_seen(ctx, strip)) return;
    auto* s = (qel_scroll_state*)qel_state_get(ctx, strip, sizeof(qel_scroll_state));
    qel_rect tab = qel_id_rect(ctx, item_id(id, *selected)), view = qel_id_rect(ctx, strip);
    if (s->content_w > s->view_w + 0.5f && tab.w > 0) {
        if (tab.x < view.x) s->target_x -= view.x - tab.x + REVEAL_MARGIN;
        else if (tab.x + tab.w > view.x + view.w) s->target_x += tab.x + tab.w - (view.x + view.w) + REVEAL_MARGIN;
    }
    *remembered = *selected + 1;
}

bool qel_tab_strip(qel_context* ctx, const char* label, const char* const* labels, int32_t count, int32_t* selected,
                   const qel_tab_strip_opts* options)
{
    const qel_tab_strip_opts none = {};
    const qel_tab_strip_opts* o = options ? options : &none;
    bool pills = o->variant == QEL_TABS_PILLS;
    if (count < 1) return false;
    if (pills && o->full_width)
        return qel_segmented_body(ctx, label, labels, o->icons, count, selected, QEL_SEGMENTED_PILLS, 0, true);

    uint32_t id = qel_id(ctx, label);
    reveal_choice(ctx, id, count, selected);
    qel_style style = {};
    style.direction = QEL_DIR_ROW;
    style.width = {QEL_SIZE_GROW, 1};
    int32_t strip = qel_scroll_strip_begin(ctx, id ^ STRIP_KEY, &style, qel_inherited_background(ctx));
    qel_node* n = qel_node_at(ctx, strip);
    if (pills) {
        n->align_self = QEL_ALIGN_OWN_SIZE;
    } else {
        n->align_self = QEL_ALIGN_STRETCH;
        auto* color = (qel_color*)qel_arena_alloc(ctx, sizeof(qel_color));
        *color = qel_color_token(QEL_COLOR_BORDER);
        n->draw = qel_tab_strip_draw;
        n->draw_user = color;
    }
    bool changed = qel_segmented_body(ctx, label, labels, o->icons, count, selected,
                                      pills ? QEL_SEGMENTED_PILLS : QEL_SEGMENTED_UNDERLINE, 0, false);
    qel_scroll_end(ctx);
    return changed;
}

// --- Toggle chip ---

// The chip's motion is widget_feel's record at the front of its state, which the feel finds there.
struct chip_state {
    qel_widget_motion motion;
    float selected;
};

static int32_t chip_node(qel_context* ctx, uint32_t id, const qel_widget_motion& m, float on, bool disabled)
{
    int32_t index = qel_node_sized(ctx, id, {QEL_SIZE_FIT, 0}, {QEL_SIZE_FIXED, 30});
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->align_self = QEL_ALIGN_OWN_SIZE;
    n->pad_left = n->pad_right = 12;
    n->gap = 6;
    qel_node_round(n, 15);
    n->scale = m.press[0];
    qel_color hover = qel_color_mix(0, qel_theme_color(ctx, QEL_COLOR_HOVER), m.hover);
    n->fill = qel_color_mix(hover, qel_theme_color(ctx, QEL_COLOR_ACCENT_TINT), on);
    n->border_width = 1;
    qel_color on_border = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_ACCENT), qel_theme_color(ctx, QEL_COLOR_BACKGROUND), 0.45f);
    n->border = qel_color_mix(qel_border_color(ctx, m.hover), on_border, on);
    qel_node_clickable(ctx, index, id, disabled);
    qel_focus_ring(ctx, index, m.focus);
    return index;
}

bool qel_toggle_chip(qel_context* ctx, const char* label, bool* value, const qel_chip_opts* options)
{
    const qel_chip_opts none = {};
    const qel_chip_opts* o = options ? options : &none;
    uint32_t id = qel_id(ctx, label) ^ CHIP_KEY;
    bool disabled = qel_item_disabled(ctx, o->disabled);
    qel_interaction it = qel_interact_item(ctx, id, QEL_INTERACT_FOCUSABLE, disabled);
    bool clicked = it.clicked && !disabled;
    if (clicked && value) *value = !*value;
    bool is_on = value && *value;

    auto* s = qel_state_record_of<chip_state>(ctx, id, "chip_state");
    qel_widget_motion m = qel_widget_motion_update(ctx, id, &it, 0.97f);
    float on = qel_anim_exp(ctx, &s->selected, is_on ? 1.0f : 0.0f, 0.18f);

    int32_t index = chip_node(ctx, id, m, on, disabled);
    qel_color color = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_TEXT), qel_theme_color(ctx, QEL_COLOR_ACCENT_STRONG), on);
    const qel_theme* t = &ctx->theme.current;
    qel_node_push(ctx, index);
    if (is_on) qel_icon_glyph(ctx, CHECK_GLYPH, 14, color);
    else if (o->icon) qel_icon_glyph(ctx, o->icon, 14, qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY));
    qel_node_text(ctx, label, qel_label_visible_len(label), QEL_FONT_MEDIUM, (t->text_small + 0.5f) * t->ui_scale,
                  color, false);
    qel_node_pop(ctx);
    return clicked;
}
