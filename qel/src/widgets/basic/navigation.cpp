// Navigation lists, breadcrumbs, pagination and steps: the group record that carries the sliding
// highlight, the items and headings, the crumb texts and their chevrons, the choice of which page
// numbers show for the width at hand, the page cells, and the steps row with its circles and
// connectors. Buttons and tooltips are the button module's.
#include "qel/navigation.h"

#include <cstdio>

#include "core/core.h"
#include "qel/anim.h"
#include "qel/button.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/layout.h"
#include "qel/state.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

static const char CHEVRON_LEFT[] = QEL_ICON_CHEVRON_LEFT;
static const char CHEVRON_RIGHT[] = QEL_ICON_CHEVRON_RIGHT;
static const char ELLIPSIS[] = QEL_ICON_ELLIPSIS;
static const float HOVER_SECONDS = 0.14f, GLYPH_SIZE = 14.0f, CELL = 32.0f;
static const int32_t ELLIPSIS_ENTRY = -1, MAX_ENTRIES = 16;

// A row of its own size with gap, pushed.
static void fit_row_begin(qel_context* ctx, float gap)
{
    int32_t row = qel_node_open(ctx, 0);
    qel_node* n = qel_node_at(ctx, row);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->align_self = QEL_ALIGN_OWN_SIZE;
    n->gap = gap;
    qel_node_push(ctx, row);
}

// --- Navigation lists ---

static const uint32_t NAV_ITEM_KEY = 0x4A570005u;
static const float HIGHLIGHT_PERIOD = 0.42f, HIGHLIGHT_BOUNCE = 0.16f;

// What the items of one list share, kept under the group's id.
struct nav_group {
    uint64_t frame;      // in which the group was last begun
    uint32_t first_id;   // the group's first item this frame
    float selected_y, selected_h;  // relative to the first item, from the last frame
    uint8_t known, started;
    float y[2], h[2];  // the highlight's springs
};

void qel_nav_item_draw(qel_context* ctx, const qel_node* node, void* user)
{
    (void)user;
    const float radii[4] = {10, 10, 10, 10};
    qel_draw_rect(ctx, &node->rect, radii, qel_theme_color(ctx, QEL_COLOR_ACTIVE));
}

// The highlight, carried by the group's first item once a selection is known.
static void nav_highlight(qel_context* ctx, nav_group* g, int32_t item)
{
    if (!g->known) return;
    if (!g->started) {
        g->y[0] = g->selected_y, g->h[0] = g->selected_h, g->y[1] = g->h[1] = 0;
        g->started = 1;
    }
    qel_anim_spring(ctx, g->y, g->selected_y, HIGHLIGHT_PERIOD, HIGHLIGHT_BOUNCE);
    qel_anim_spring(ctx, g->h, g->selected_h, HIGHLIGHT_PERIOD, HIGHLIGHT_BOUNCE);
    qel_node* n = qel_node_at(ctx, item);
    float width = qel_id_rect(ctx, g->first_id).w;
    int32_t floating = qel_node_floating(ctx, 0, -n->pad_left, g->y[0], width, g->h[0]);
    qel_node_draw_with(ctx, floating, qel_nav_item_draw, nullptr, 0, true);
}

// The group's record; the first item of the group this frame takes it over.
static nav_group* nav_group_enter(qel_context* ctx, const char* group, uint32_t id, bool* first)
{
    auto* g = qel_state_record_of<nav_group>(ctx, qel_id(ctx, group ? group : "#nav"), "nav_group");
    *first = g->frame != ctx->clock.frame_count;
    if (*first) g->frame = ctx->clock.frame_count, g->first_id = id;
    return g;
}

int32_t qel_nav_list(qel_context* ctx, const char* label, const qel_nav_item_opts* options)
{
    const qel_nav_item_opts zero = {};
    const qel_nav_item_opts* o = options ? options : &zero;
    uint32_t id = qel_id(ctx, label) ^ NAV_ITEM_KEY;
    qel_interaction it = qel_interact_item(ctx, id, QEL_INTERACT_FOCUSABLE, false);
    qel_widget_motion m = qel_widget_motion_update(ctx, id, &it, 0.98f);
    bool first = false, selected = o->selected != 0;
    nav_group* g = nav_group_enter(ctx, o->group, id, &first);
    qel_rect own = qel_id_rect(ctx, id), top = qel_id_rect(ctx, g->first_id);
    if (selected && own.h > 0) g->selected_y = own.y - top.y, g->selected_h = own.h, g->known = 1;

    int32_t item = qel_node_pill_row(ctx, id, 32, 10, 10, 0);
    qel_node* n = qel_node_at(ctx, item);
    n->width = {QEL_SIZE_GROW, 1};
    n->align_self = QEL_ALIGN_STRETCH;
    n->scale = m.press[0] > 0 ? m.press[0] : 1;
    qel_node_selectable_row(ctx, item, id, false, selected ? 0 : m.hover, m.focus > 0.01f);
    qel_node_push(ctx, item);
    qel_color text = qel_theme_color(ctx, QEL_COLOR_TEXT), secondary = qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY);
    qel_icon_glyph(ctx, o->icon, 16, selected ? text : secondary);
    int32_t name = qel_text_leaf(ctx, label, -1, selected ? QEL_FONT_MEDIUM : QEL_FONT_BODY, qel_text_body_scaled(ctx),
                                 selected ? text : qel_color_mix(secondary, text, 0.6f * m.hover), false, 1.3f);
    qel_node_at(ctx, name)->width = {QEL_SIZE_GROW, 1};
    if (o->trailing) {
        const qel_theme* th = &ctx->theme.current;
        int32_t count = qel_text_leaf(ctx, o->trailing, -1, QEL_FONT_MEDIUM, th->text_xs * th->ui_scale, secondary,
                                      false, 1.2f);
        qel_node_at(ctx, count)->flags |= QEL_NODE_TABULAR;
    }
    if (first) nav_highlight(ctx, g, item);
    qel_node_pop(ctx);
    return it.clicked;
}

void qel_header_row_end(qel_context* ctx, const char* label)
{
    int32_t box = qel_node_open(ctx, 0);
    qel_node* n = qel_node_at(ctx, box);
    n->pad_top = 14;
    n->pad_bottom = 4;
    n->pad_left = 10;
    qel_node_push(ctx, box);
    qel_text_leaf(ctx, label, -1, QEL_FONT_MEDIUM, qel_text_small_scaled(ctx),
                  qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), false, 1.3f);
    qel_node_pop(ctx);
}

// --- Breadcrumbs ---

static bool crumb(qel_context* ctx, const char* label)
{
    uint32_t id = qel_id(ctx, label);
    qel_interaction it = qel_interact_item(ctx, id, QEL_INTERACT_FOCUSABLE, false);
    float flash = qel_anim_flash(ctx, id, it.hovered, HOVER_SECONDS);
    qel_color color = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY),
                                    qel_theme_color(ctx, QEL_COLOR_TEXT), flash);
    int32_t text = qel_text_leaf(ctx, label, -1, QEL_FONT_BODY, qel_text_body_scaled(ctx), color, false, 1.3f);
    qel_node_at(ctx, text)->id = id;
    qel_node_clickable(ctx, text, id, qel_is_disabled(ctx));
    qel_node_focus_ring_full(ctx, text, it.focused && it.focus_visible);
    qel_icon_glyph(ctx, CHEVRON_RIGHT, GLYPH_SIZE, qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED));
    return it.clicked;
}

int32_t qel_breadcrumbs(qel_context* ctx, const char* const labels[], int32_t count)
{
    if (!labels || count < 1) return -1;
    fit_row_begin(ctx, 6);
    int32_t clicked = -1;
    for (int32_t i = 0; i + 1 < count; i++)
        if (crumb(ctx, labels[i])) clicked = i;
    qel_text_leaf(ctx, labels[count - 1], -1, QEL_FONT_BODY, qel_text_body_scaled(ctx),
                  qel_theme_color(ctx, QEL_COLOR_TEXT), false, 1.3f);
    qel_node_pop(ctx);
    return clicked;
}

// --- Pagination ---

// The width the enclosing container had last frame inside its padding, else the display's less
// a margin. Asked before the pagination opens its own row.
static float available_width(qel_context* ctx)
{
    int32_t parent = qel_node_parent(ctx);
    uint32_t id = qel_node_measured_id(ctx, parent, qel_id(ctx, "#container"));
    if (id && qel_id_seen(ctx, id)) {
        const qel_node* n = qel_node_at(ctx, parent);
        return qel_id_rect(ctx, id).w - n->pad_left - n->pad_right;
    }
    return ctx->clock.display_w - 32;
}

static void add_range(int32_t* entries, int32_t* n, int32_t first, int32_t last)
{
    for (int32_t i = first; i <= last; i++) entries[(*n)++] = i;
}

// The page indexes to show, ELLIPSIS_ENTRY where pages are folded away; returns how many.
static int32_t page_entries(int32_t current, int32_t count, bool narrow, int32_t entries[MAX_ENTRIES])
{
    int32_t n = 0, last = count - 1;
    if (count < 8) {
        add_range(entries, &n, 0, last);
        return n;
    }
    entries[n++] = 0;
    if (narrow) {
        if (current >= 2) entries[n++] = ELLIPSIS_ENTRY;
        if (current >= 1 && current < last) entries[n++] = current;
        if (current < last - 1) entries[n++] = ELLIPSIS_ENTRY;
    } else {
        int32_t end;
        if (current < 3) {
            add_range(entries, &n, 1, end = 3);
        } else if (current >= count - 3) {
            entries[n++] = ELLIPSIS_ENTRY;
            add_range(entries, &n, count - 4, end = count - 2);
        } else {
            entries[n++] = ELLIPSIS_ENTRY;
            add_range(entries, &n, current - 1, end = current + 1);
        }
        if (end < count - 2) entries[n++] = ELLIPSIS_ENTRY;
    }
    entries[n++] = last;
    return n;
}

static bool page_cell(qel_context* ctx, int32_t index, bool current)
{
    const qel_theme* th = &ctx->theme.current;
    uint32_t id = qel_hash_bytes(&index, sizeof index, qel_id(ctx, "#page"));
    qel_interaction it = qel_interact_item(ctx, id, QEL_INTERACT_FOCUSABLE, false);
    float flash = qel_anim_flash(ctx, id, it.hovered, HOVER_SECONDS);
    float radius = th->radius_small < 16 ? th->radius_small : 16;
    int32_t cell = qel_node_centred(ctx, id, {QEL_SIZE_FIT, 0}, {QEL_SIZE_FIXED, CELL}, QEL_DIR_ROW, radius);
    qel_node* n = qel_node_at(ctx, cell);
    n->min_w = CELL;
    n->fill = current ? qel_theme_color(ctx, QEL_COLOR_ACTIVE)
                      : qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_HOVER), flash);
    qel_node_clickable(ctx, cell, id, qel_is_disabled(ctx));
    qel_node_focus_ring_full(ctx, cell, it.focused && it.focus_visible);
    qel_node_push(ctx, cell);
    char number[16];
    snprintf(number, sizeof number, "%d", index + 1);
    int32_t text = qel_text_leaf(ctx, number, -1, current ? QEL_FONT_MEDIUM : QEL_FONT_BODY, qel_text_body_scaled(ctx),
                                 qel_theme_color(ctx, current ? QEL_COLOR_TEXT : QEL_COLOR_TEXT_SECONDARY), false,
                                 1.2f);
    qel_node_at(ctx, text)->flags |= QEL_NODE_TABULAR;
    qel_node_pop(ctx);
    return it.clicked;
}

static void ellipsis_cell(qel_context* ctx)
{
    qel_node_push(ctx, qel_node_centred(ctx, 0, {QEL_SIZE_FIXED, 24}, {QEL_SIZE_FIXED, CELL}, QEL_DIR_ROW, 0));
    qel_icon_glyph(ctx, ELLIPSIS, GLYPH_SIZE, qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED));
    qel_node_pop(ctx);
}

static bool step_button(qel_context* ctx, const char* glyph, const char* tooltip, bool disabled)
{
    qel_button_opts o = {};
    o.tooltip = tooltip;
    o.disabled = disabled;
    return qel_icon_button(ctx, glyph, &o);
}

int32_t qel_pagination(qel_context* ctx, const char* label, int32_t* page, int32_t count)
{
    if (!page) return 0;
    if (count < 1) count = 1;
    int32_t entry = *page, last = count - 1;
    // Out-of-range pages show as the nearest one until clamped below.
    int32_t current = entry < 0 ? 0 : (entry > last ? last : entry);
    qel_push_id(ctx, label);
    bool narrow = available_width(ctx) < 312;
    fit_row_begin(ctx, 2);
    if (step_button(ctx, CHEVRON_LEFT, "Previous page", current == 0)) *page = current - 1;
    int32_t entries[MAX_ENTRIES];
    int32_t n = page_entries(current, count, narrow, entries);
    for (int32_t i = 0; i < n; i++) {
        if (entries[i] == ELLIPSIS_ENTRY) ellipsis_cell(ctx);
        else if (page_cell(ctx, entries[i], entries[i] == current)) *page = entries[i];
    }
    if (step_button(ctx, CHEVRON_RIGHT, "Next page", current == last)) *page = current + 1;
    qel_node_pop(ctx);
    if (*page < 0) *page = 0;
    if (*page > last) *page = last;
    qel_pop_id(ctx);
    return *page != entry;
}

// --- Steps ---

static const uint32_t STEPS_KEY = 0x57E9u;
static const float CIRCLE = 24.0f;

void qel_step_draw(qel_context* ctx, const qel_node* node, void* user)
{
    uint32_t state = *(const uint32_t*)user;
    const qel_rect& r = node->rect;
    float half = r.w < r.h ? r.w / 2 : r.h / 2;
    const float radii[4] = {half, half, half, half};
    if (state == QEL_STEP_DONE) {
        qel_draw_rect(ctx, &r, radii, qel_theme_color(ctx, QEL_COLOR_PRIMARY));
        qel_rect mark = {r.x + 3, r.y + 3, r.w - 6, r.h - 6};
        qel_draw_checkmark(ctx, &mark, 1, 1.8f, qel_theme_color(ctx, QEL_COLOR_ON_PRIMARY));
        return;
    }
    bool current = state == QEL_STEP_CURRENT;
    qel_draw_rect_bordered(ctx, &r, radii, qel_theme_color(ctx, QEL_COLOR_SURFACE),
                           qel_theme_color(ctx, current ? QEL_COLOR_PRIMARY : QEL_COLOR_BORDER_STRONG),
                           current ? 1.5f : 1.0f);
}

static uint32_t label_font(bool current)
{
    return current ? QEL_FONT_MEDIUM : QEL_FONT_BODY;
}

// Too narrow for every label: the row's width last frame falls short of the labels' own.
static bool steps_compact(qel_context* ctx, uint32_t id, const char* const labels[], int32_t count, int32_t current)
{
    float size = qel_text_body_scaled(ctx), natural = 0;
    for (int32_t i = 0; i < count; i++)
        natural += qel_text_width_measured(ctx, label_font(i == current), size, labels[i], -1, false) + 32 +
                   (i + 1 < count ? 36 : 0);
    float width = qel_id_seen(ctx, id) ? qel_id_rect(ctx, id).w : 0;
    return width > 0 && natural > width + 0.5f;
}

static void step(qel_context* ctx, const char* label, int32_t i, uint32_t state, bool show_label)
{
    fit_row_begin(ctx, 8);
    int32_t circle = qel_node_centred(ctx, 0, {QEL_SIZE_FIXED, CIRCLE}, {QEL_SIZE_FIXED, CIRCLE}, QEL_DIR_ROW, 0);
    qel_node_draw_with(ctx, circle, qel_step_draw, &state, sizeof state, false);
    if (state != QEL_STEP_DONE) {
        qel_node_push(ctx, circle);
        char number[16];
        snprintf(number, sizeof number, "%d", i + 1);
        qel_text_leaf(ctx, number, -1, QEL_FONT_MEDIUM, qel_text_small_scaled(ctx),
                      qel_theme_color(ctx, state == QEL_STEP_CURRENT ? QEL_COLOR_TEXT : QEL_COLOR_TEXT_MUTED), false,
                      1.0f);
        qel_node_pop(ctx);
    }
    if (show_label && label)
        qel_text_leaf(ctx, label, -1, label_font(state == QEL_STEP_CURRENT), qel_text_body_scaled(ctx),
                      qel_theme_color(ctx, state == QEL_STEP_UPCOMING ? QEL_COLOR_TEXT_SECONDARY : QEL_COLOR_TEXT),
                      false, 1.3f);
    qel_node_pop(ctx);
}

static void connector(qel_context* ctx, bool after_done, bool compact)
{
    int32_t line = qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, 1});
    qel_node* n = qel_node_at(ctx, line);
    n->min_w = compact ? 12.0f : 16.0f;
    n->fill = qel_theme_color(ctx, after_done ? QEL_COLOR_PRIMARY : QEL_COLOR_BORDER);
}

void qel_steps(qel_context* ctx, const char* const labels[], int32_t count, int32_t current)
{
    if (!labels || count < 1) return;
    uint32_t id = labels[0] ? qel_id(ctx, labels[0]) ^ STEPS_KEY : 0;
    bool compact = id && steps_compact(ctx, id, labels, count, current);
    int32_t row = qel_node_sized(ctx, id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node* n = qel_node_at(ctx, row);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->align_self = QEL_ALIGN_STRETCH;
    n->gap = compact ? 6.0f : 10.0f;
    qel_node_push(ctx, row);
    for (int32_t i = 0; i < count; i++) {
        uint32_t state = i < current ? QEL_STEP_DONE : (i == current ? QEL_STEP_CURRENT : QEL_STEP_UPCOMING);
        if (i > 0) connector(ctx, i - 1 < current, compact);
        step(ctx, labels[i], i, state, !compact || i == current);
    }
    qel_node_pop(ctx);
}
