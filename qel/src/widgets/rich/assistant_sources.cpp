// The assistant's references and controls: source cards, citation chips with their hover card,
// the context-usage meter with its breakdown, the actions under a message and the grid of
// suggested prompts.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "kit/widget_nodes.h"
#include "qel/action_buttons.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/assistant.h"
#include "qel/button.h"
#include "qel/chart_values.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/hover_cards.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/layout.h"
#include "qel/scroll_container.h"
#include "qel/segmented_bar.h"
#include "qel/state.h"
#include "qel/theme.h"
#include "qel/tooltip.h"
#include "qel/widget_feel.h"
#include "widgets/rich/assistant_parts.h"

namespace {

const uint32_t SOURCE_KEY = 0x50C, SUGGESTION_KEY = 0x9A0, METER_KEY = 0xC0E7;
const float FLASH_SECONDS = 0.14f, PI = 3.14159265f;

// A node under id, pushed, laid out in direction with the gap and padding.
int32_t box_pushed(qel_context* ctx, uint32_t id, qel_size width, uint32_t direction, float gap, float pad_y,
                   float pad_x)
{
    int32_t node = qel_node_sized_pushed(ctx, id, width, {QEL_SIZE_FIT, 0});
    qel_node* n = qel_node_at(ctx, node);
    n->direction = (uint8_t)direction;
    n->gap = gap;
    n->pad_top = n->pad_bottom = pad_y;
    n->pad_left = n->pad_right = pad_x;
    return node;
}

}  // namespace

// --- Sources ---

static bool source_card(qel_context* ctx, uint32_t id, int32_t number, const qel_assistant_source& src)
{
    bool dark = qel_dark_mode(ctx);
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
    float flash = qel_anim_flash(ctx, id, it.hovered, FLASH_SECONDS);
    int32_t card = box_pushed(ctx, id, {QEL_SIZE_FIXED, 196}, QEL_DIR_COLUMN, 6, 10, 12);
    qel_node* c = qel_node_at(ctx, card);
    qel_node_round(c, qel_theme_block_get(ctx)->radius_medium);
    c->border =
        qel_color_mix(qel_theme_color(ctx, QEL_COLOR_BORDER_SUBTLE), qel_theme_color(ctx, QEL_COLOR_BORDER), flash);
    c->border_width = 1;
    qel_color base =
        dark ? qel_color_mix(qel_theme_color(ctx, QEL_COLOR_SURFACE), qel_theme_color(ctx, QEL_COLOR_TEXT), 0.04f)
             : qel_theme_color(ctx, QEL_COLOR_SUBTLE);
    c->fill = qel_color_mix(base, qel_theme_color(ctx, QEL_COLOR_TEXT), 0.04f * flash);
    qel_node_clickable(ctx, card, id, false);
    qel_focus_ring(ctx, card, it.focused && it.focus_visible ? 1.0f : 0.0f);
    const char* host = qel_assistant_url_host(ctx, src.url);
    int32_t top = box_pushed(ctx, 0, {QEL_SIZE_GROW, 1}, QEL_DIR_ROW, 6, 0, 0);
    qel_node_at(ctx, top)->align = QEL_ALIGN_CENTER;
    qel_assistant_monogram(ctx, host, 16);
    int32_t h = qel_text_leaf(ctx, host, -1, QEL_FONT_BODY, qel_assistant_xs_size(ctx),
                              qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), false, 1.3f);
    qel_node_at(ctx, h)->width = {QEL_SIZE_GROW, 1};
    char text[16];
    std::snprintf(text, sizeof text, "%d", number);
    qel_assistant_tabular_leaf(ctx, text, QEL_FONT_MEDIUM, qel_scaled(ctx, 10.5f),
                               qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED));
    qel_node_pop(ctx);
    float size = qel_text_small_scaled(ctx) - 0.5f;
    int32_t title = qel_text_leaf(ctx, src.title ? src.title : host, -1, QEL_FONT_MEDIUM, size,
                                  qel_theme_color(ctx, QEL_COLOR_TEXT), true, 1.35f);
    qel_node* t = qel_node_at(ctx, title);
    t->max_h = 2 * 1.35f * size;  // two lines
    t->flags |= QEL_NODE_CLIP;
    qel_node_pop(ctx);
    qel_set_last_item(ctx, id);
    if (src.url) qel_tooltip(ctx, src.url);
    return it.clicked;
}

int32_t qel_assistant_sources(qel_context* ctx, const char* label, const qel_assistant_source* sources, int32_t count)
{
    uint32_t id = qel_id(ctx, label);
    if (!sources) count = 0;
    qel_style strip = {};
    strip.width = {QEL_SIZE_GROW, 1};
    qel_scroll_strip_begin(ctx, id, &strip, 0);
    int32_t row = box_pushed(ctx, 0, {QEL_SIZE_FIT, 0}, QEL_DIR_ROW, 8, 0, 0);
    qel_node_at(ctx, row)->pad_top = 0;
    qel_node_at(ctx, row)->pad_bottom = 4;
    qel_node_at(ctx, row)->align = QEL_ALIGN_STRETCH;
    int32_t clicked = -1;
    for (int32_t i = 0; i < count; i++)
        if (source_card(ctx, qel_hash_bytes(&i, sizeof i, id ^ SOURCE_KEY), i + 1, sources[i])) clicked = i;
    qel_node_pop(ctx);
    qel_scroll_end(ctx);
    qel_set_last_item(ctx, id);
    return clicked;
}

// --- Citation ---

static void citation_card(qel_context* ctx, const char* host, const qel_assistant_source& src)
{
    qel_tooltip_delayed_options o = {3, 300, 0.3f};
    if (!qel_tooltip_delayed_begin(ctx, "cite-card", &o)) return;
    int32_t top = box_pushed(ctx, 0, {QEL_SIZE_GROW, 1}, QEL_DIR_ROW, 6, 0, 0);
    qel_node_at(ctx, top)->align = QEL_ALIGN_CENTER;
    qel_assistant_monogram(ctx, host, 18);
    qel_text_leaf(ctx, host, -1, QEL_FONT_BODY, qel_assistant_xs_size(ctx), qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED),
                  false, 0);
    qel_node_pop(ctx);
    if (src.title)
        qel_text_leaf(ctx, src.title, -1, QEL_FONT_MEDIUM, qel_text_small_scaled(ctx),
                      qel_theme_color(ctx, QEL_COLOR_TEXT), true, 1.35f);
    if (src.snippet)
        qel_text_leaf(ctx, src.snippet, -1, QEL_FONT_BODY, qel_assistant_xs_size(ctx) + 0.5f,
                      qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), true, 1.45f);
    qel_tooltip_delayed_end(ctx);
}

bool qel_assistant_citation(qel_context* ctx, int32_t number, const qel_assistant_source* source)
{
    char name[24];
    std::snprintf(name, sizeof name, "cite%d", number);
    uint32_t id = qel_id(ctx, name);
    bool dark = qel_dark_mode(ctx);
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
    float flash = qel_anim_flash(ctx, id, it.hovered, FLASH_SECONDS);
    int32_t chip = box_pushed(ctx, id, {QEL_SIZE_FIT, 0}, QEL_DIR_ROW, 4, 1, 7);
    qel_node* c = qel_node_at(ctx, chip);
    c->align = QEL_ALIGN_CENTER;
    c->align_self = QEL_ALIGN_OWN_SIZE;
    qel_node_round(c, 9);
    qel_color base =
        dark ? qel_color_mix(qel_theme_color(ctx, QEL_COLOR_SURFACE), qel_theme_color(ctx, QEL_COLOR_TEXT), 0.10f)
             : qel_theme_color(ctx, QEL_COLOR_SUBTLE);
    c->fill = qel_color_mix(base, qel_assistant_accent_or_text(ctx), 0.16f * flash);
    qel_node_clickable(ctx, chip, id, false);
    qel_focus_ring(ctx, chip, it.focused && it.focus_visible ? 1.0f : 0.0f);
    const char* host = source ? qel_assistant_url_host(ctx, source->url) : "";
    const char* text = *host ? host : qel_arena_strdup(ctx, name + 4, -1);
    qel_text_leaf(
        ctx, text, -1, QEL_FONT_MEDIUM, qel_scaled(ctx, 11),
        qel_color_mix(qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), qel_theme_color(ctx, QEL_COLOR_TEXT), flash),
        false, 1.5f);
    qel_node_pop(ctx);
    qel_set_last_item(ctx, id);
    if (source) citation_card(ctx, host, *source);
    return it.clicked;
}

// --- Context meter ---

namespace {

struct ring_payload {
    float value;
    qel_color arc;
};

}  // namespace

static void ring_draw(qel_context* ctx, const qel_node* node, void* user)
{
    auto* p = (const ring_payload*)user;
    qel_rect r = node->rect;
    qel_vec2 c = {r.x + r.w / 2, r.y + r.h / 2};
    float radius = std::fmin(r.w, r.h) / 2 - 1.25f;
    qel_draw_arc(ctx, c, radius, 0, 2 * PI, 2.5f, qel_theme_color(ctx, QEL_COLOR_TRACK));
    if (p->value > 0.001f)
        qel_draw_arc(ctx, c, radius, -PI / 2, -PI / 2 + std::fmin(1.0f, p->value) * 2 * PI, 2.5f, p->arc);
}

static void meter_legend(qel_context* ctx, const qel_assistant_context_opts& o)
{
    float size = qel_assistant_xs_size(ctx) + 0.5f;
    for (int32_t i = 0; i < o.segment_count; i++) {
        const qel_chart_item& seg = o.segments[i];
        int32_t row = box_pushed(ctx, 0, {QEL_SIZE_GROW, 1}, QEL_DIR_ROW, 6, 0, 0);
        qel_node_at(ctx, row)->align = QEL_ALIGN_CENTER;
        bool own = (seg.color >> 24) == 0xFF || qel_color_is_token(seg.color);
        int32_t swatch = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, 8}, {QEL_SIZE_FIXED, 8});
        qel_node_at(ctx, swatch)->fill =
            own ? qel_color_resolve(ctx, seg.color) : qel_theme_color(ctx, QEL_COLOR_CHART1 + i % 6);
        qel_node_round(qel_node_at(ctx, swatch), 2.5f);
        int32_t name = qel_text_leaf(ctx, seg.label ? seg.label : "", -1, QEL_FONT_BODY, size,
                                     qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), false, 0);
        qel_node_at(ctx, name)->width = {QEL_SIZE_GROW, 1};
        int32_t v = qel_assistant_tabular_leaf(ctx, qel_chart_format_value(ctx, nullptr, seg.value), QEL_FONT_MEDIUM,
                                               size, qel_theme_color(ctx, QEL_COLOR_TEXT));
        qel_node_at(ctx, v)->line_height = 1.4f;
        qel_node_pop(ctx);
    }
}

static void meter_card(qel_context* ctx, float used, float total, float u, const qel_assistant_context_opts& o)
{
    qel_tooltip_delayed_options t = {4, 260, 0.2f};
    if (!qel_tooltip_delayed_begin(ctx, "context-card", &t)) return;
    qel_text_leaf(ctx, "Context", -1, QEL_FONT_MEDIUM, qel_text_small_scaled(ctx), qel_theme_color(ctx, QEL_COLOR_TEXT),
                  false, 0);
    const char* a = qel_chart_format_value(ctx, nullptr, used);
    const char* b = qel_chart_format_value(ctx, nullptr, total);
    const char* unit = o.unit ? o.unit : "tokens";
    size_t n = std::strlen(a) + std::strlen(b) + std::strlen(unit) + 8;
    auto* line = (char*)qel_arena_alloc(ctx, n);
    std::snprintf(line, n, "%s / %s %s", a, b, unit);
    qel_assistant_tabular_leaf(ctx, line, QEL_FONT_BODY, qel_assistant_xs_size(ctx),
                               qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED));
    if (o.segments && o.segment_count > 0) {
        int32_t n_items = o.segment_count + 1;
        auto* items = (qel_chart_item*)qel_arena_alloc(ctx, sizeof(qel_chart_item) * (size_t)n_items);
        float sum = 0;
        for (int32_t i = 0; i < o.segment_count; i++) {
            items[i] = o.segments[i];
            sum += items[i].value > 0 ? items[i].value : 0;
        }
        items[o.segment_count] = {"Free", std::max(0.0f, total - sum), qel_color_token(QEL_COLOR_TRACK)};
        qel_segmented_bar_options s = {};
        s.bar_height = 8;
        s.hide_legend = 1;
        qel_segmented_bar(ctx, "ctx-bar", items, n_items, &s);
        meter_legend(ctx, o);
    }
    if (u >= 0.8f) {
        const char* text = u >= 0.95f ? "Nearly full: older messages will be summarized."
                                      : "Filling up: consider starting a new conversation.";
        qel_text_leaf(ctx, text, -1, QEL_FONT_BODY, qel_assistant_xs_size(ctx),
                      qel_theme_color(ctx, u >= 0.95f ? QEL_COLOR_DANGER : QEL_COLOR_WARNING), true, 1.4f);
    }
    qel_tooltip_delayed_end(ctx);
}

void qel_assistant_context_meter(qel_context* ctx, const char* label, float used, float total,
                                 const qel_assistant_context_opts* options)
{
    const qel_assistant_context_opts none = {};
    const qel_assistant_context_opts& o = options ? *options : none;
    uint32_t id = qel_id(ctx, label);
    float u = total > 0 ? used / total : 0;
    auto* shown = (float*)qel_state_get(ctx, id ^ METER_KEY, sizeof(float));
    float ring = qel_anim_exp(ctx, shown, qel_unit_clamp(u), 0.3f);
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
    int32_t row = box_pushed(ctx, id, {QEL_SIZE_FIT, 0}, QEL_DIR_ROW, 6, 4, 8);
    qel_node* n = qel_node_at(ctx, row);
    n->align = QEL_ALIGN_CENTER;
    n->align_self = QEL_ALIGN_OWN_SIZE;
    qel_node_round(n, 12);
    if (it.hovered) n->fill = qel_theme_color(ctx, QEL_COLOR_HOVER);
    qel_node_mark_interactive(ctx, row, QEL_INTERACT_FOCUSABLE);
    qel_focus_ring(ctx, row, it.focused && it.focus_visible ? 1.0f : 0.0f);
    ring_payload p = {ring, u >= 0.95f  ? qel_theme_color(ctx, QEL_COLOR_DANGER)
                            : u >= 0.8f ? qel_theme_color(ctx, QEL_COLOR_WARNING)
                                        : qel_assistant_accent_or_text(ctx)};
    int32_t dial = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, 16}, {QEL_SIZE_FIXED, 16});
    qel_node_draw_with(ctx, dial, ring_draw, &p, sizeof p, false);
    char text[32];
    std::snprintf(text, sizeof text, "%.0f%%", std::fmin(std::fmax(100 * u, -1e9f), 1e9f));
    qel_assistant_tabular_leaf(ctx, text, QEL_FONT_MEDIUM, qel_assistant_xs_size(ctx),
                               qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY));
    qel_node_pop(ctx);
    qel_set_last_item(ctx, id);
    meter_card(ctx, used, total, u, o);
}

// --- Message actions ---

static bool action_button(qel_context* ctx, uint32_t glyph, const char* name, bool selected)
{
    qel_button_opts b = {};
    b.variant = QEL_BUTTON_GHOST;
    b.size = 1;
    b.tooltip = name;
    b.selected = selected;
    if (selected) b.custom_color = qel_assistant_accent_or_text(ctx);
    return qel_icon_button(ctx, qel_assistant_glyph(ctx, glyph), &b);
}

uint32_t qel_assistant_message_actions(qel_context* ctx, const char* label, const qel_assistant_actions_opts* options)
{
    const qel_assistant_actions_opts none = {};
    const qel_assistant_actions_opts& o = options ? *options : none;
    uint32_t id = qel_id(ctx, label);
    int32_t fb = o.feedback ? *o.feedback : 0;
    int32_t row = qel_assistant_row_pushed(ctx, id, {QEL_SIZE_FIT, 0}, QEL_ALIGN_CENTER, 2);
    qel_node_at(ctx, row)->align_self = QEL_ALIGN_OWN_SIZE;
    qel_push_id(ctx, label);
    uint32_t bits = 0;
    if (o.copy_text && qel_copy_button(ctx, "copy", o.copy_text)) bits |= QEL_ASSISTANT_COPIED;
    if (!o.hide_regenerate && action_button(ctx, 0xE145, "Regenerate", false)) bits |= QEL_ASSISTANT_REGENERATE;
    if (action_button(ctx, 0xE18A, "Good response", fb > 0)) {
        bits |= QEL_ASSISTANT_GOOD;
        fb = fb > 0 ? 0 : 1;
    }
    if (action_button(ctx, 0xE189, "Bad response", fb < 0)) {
        bits |= QEL_ASSISTANT_BAD;
        fb = fb < 0 ? 0 : -1;
    }
    if (!o.hide_share && action_button(ctx, 0xE156, "Share", false)) bits |= QEL_ASSISTANT_SHARE;
    qel_pop_id(ctx);
    qel_node_pop(ctx);
    if (o.feedback) *o.feedback = fb;
    qel_set_last_item(ctx, id);
    return bits;
}

// --- Suggestions ---

static bool suggestion(qel_context* ctx, uint32_t id, const qel_assistant_suggestion& item)
{
    bool dark = qel_dark_mode(ctx);
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
    qel_widget_motion m = qel_widget_motion_update(ctx, id, &it, 0.98f);
    int32_t node = box_pushed(ctx, id, {QEL_SIZE_GROW, 1}, QEL_DIR_ROW, 12, 12, 14);
    qel_node* n = qel_node_at(ctx, node);
    n->align = QEL_ALIGN_START;
    n->scale = m.press[0] > 0 ? m.press[0] : 1;
    qel_node_round(n, qel_theme_block_get(ctx)->radius_medium);
    n->fill = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_SURFACE), qel_theme_color(ctx, QEL_COLOR_TEXT),
                            0.03f * m.hover + (dark ? 0.04f : 0));
    n->border =
        qel_color_mix(qel_theme_color(ctx, QEL_COLOR_BORDER), qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG), m.hover);
    n->border_width = 1;
    qel_node_clickable(ctx, node, id, false);
    qel_focus_ring(ctx, node, m.focus);
    if (item.icon) {
        int32_t box = qel_node_centred(ctx, 0, {QEL_SIZE_FIXED, 18}, {QEL_SIZE_FIXED, 20}, QEL_DIR_ROW, 0);
        qel_node_push(ctx, box);
        qel_text_leaf(ctx, item.icon, -1, QEL_FONT_ICON, 16, qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), false, 0);
        qel_node_pop(ctx);
    }
    box_pushed(ctx, 0, {QEL_SIZE_GROW, 1}, QEL_DIR_COLUMN, 2, 0, 0);
    qel_text_leaf(ctx, item.title ? item.title : "", -1, QEL_FONT_MEDIUM, qel_text_small_scaled(ctx),
                  qel_theme_color(ctx, QEL_COLOR_TEXT), true, 1.35f);
    if (item.subtitle)
        qel_text_leaf(ctx, item.subtitle, -1, QEL_FONT_BODY, qel_assistant_xs_size(ctx) + 0.5f,
                      qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), true, 1.4f);
    qel_node_pop(ctx);
    qel_rect last = qel_id_rect(ctx, id);
    float x = last.w > 0 ? last.w - 26 + 3 * m.hover : -1e4f;
    int32_t arrow = qel_node_floating(ctx, 0, x, 12 - 3 * m.hover, 14, 14);
    qel_node_push(ctx, arrow);
    qel_assistant_glyph_leaf(ctx, 0xE04D, 14, qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED));
    qel_node_pop(ctx);
    qel_node_at(ctx, arrow)->opacity = std::max(0.001f, m.hover);
    qel_node_pop(ctx);
    return it.clicked;
}

int32_t qel_assistant_suggestions(qel_context* ctx, const char* label, const qel_assistant_suggestion* items,
                                  int32_t count, const qel_assistant_suggestions_opts* options)
{
    uint32_t id = qel_id(ctx, label);
    if (!items) count = 0;
    int32_t columns = options && options->columns >= 1 ? options->columns : 2;
    int32_t grid = qel_node_sized_pushed(ctx, id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node* g = qel_node_at(ctx, grid);
    g->direction = QEL_DIR_GRID;
    g->grid_columns = columns;
    g->grid_cell_width = 200;
    g->gap = 10;
    int32_t clicked = -1;
    for (int32_t i = 0; i < count; i++)
        if (suggestion(ctx, qel_hash_bytes(&i, sizeof i, id ^ SUGGESTION_KEY), items[i])) clicked = i;
    qel_node_pop(ctx);
    qel_set_last_item(ctx, id);
    return clicked;
}
