// Text and icon leaves: the theme's roles, sizes, colours and line heights for each kind of
// text, the chips and the link. Laying the text out and drawing it are the layout's and text
// module's; the link's hover and focus feel is widget_feel's.
#include "qel/text_widgets.h"

#include <cstdarg>
#include <cstring>

#include "core/core.h"
#include "qel/arena.h"
#include "qel/font.h"
#include "qel/id.h"
#include "qel/text_units.h"
#include "qel/theme.h"
#include "qel/tooltip.h"
#include "qel/widget_feel.h"
#include "kit/widget_nodes.h"

static const uint32_t LINK_KEY = 0x11AC0009u;
static const float ICON_DEFAULT_SIZE = 16.0f;
static const float HEADING_FONT_FROM = 26.0f;  // headings this large take the heading font

// How a kind of text looks.
struct leaf_style {
    uint32_t font;
    float size;
    qel_color color;
    bool wrap;
    float line_height;  // 0: the node's default
};

static const qel_theme* theme(qel_context* ctx)
{
    return &ctx->theme.current;
}

static int32_t leaf(qel_context* ctx, const char* text, int32_t length, const leaf_style& s)
{
    return qel_text_leaf(ctx, text, length, s.font, s.size, s.color, s.wrap, s.line_height);
}

static bool empty(const char* text)
{
    return !text || !*text;
}

// --- Text ---

// A single line cut by its parent shows its whole text as a tooltip while the pointer rests on it.
static void cut_line_tooltip(qel_context* ctx, int32_t index, const char* text)
{
    if (empty(text)) return;
    uint32_t id = qel_id(ctx, text) ^ ((uint32_t)index * 0x9E3779B1u);
    qel_node* n = qel_node_at(ctx, index);
    n->id = id;
    qel_rect r = qel_id_rect(ctx, id);
    qel_vec2 p = qel_mouse_pos(ctx);
    bool inside = p.x >= r.x && p.x < r.x + r.w && p.y >= r.y && p.y < r.y + r.h;
    if (!(r.w > 0) || qel_mouse_down(ctx, 0) || !inside) return;
    float full = qel_text_width_measured(ctx, n->font, n->font_size, text, -1, (n->flags & QEL_NODE_TABULAR) != 0);
    if (full > r.w + 0.5f) qel_tooltip_for(ctx, id, text);
}

void qel_text_ex(qel_context* ctx, const char* text, const qel_text_opts* options)
{
    const qel_text_opts none = {};
    const qel_text_opts* o = options ? options : &none;
    float size = qel_scaled(ctx, o->size > 0.0f ? o->size : theme(ctx)->text_body);
    qel_color color = qel_color_arg(o->color, qel_color_token(QEL_COLOR_TEXT));
    int32_t index = leaf(ctx, text, -1, {o->font, size, color, !o->single_line, o->line_height});
    qel_node* n = qel_node_at(ctx, index);
    n->content_align = (uint8_t)o->align;
    n->direction_mode = (uint8_t)o->direction_mode;
    if (o->tabular) n->flags |= QEL_NODE_TABULAR;
    if (o->width.kind != QEL_SIZE_FIT) n->width = o->width;
    else if (o->align != 0 && o->align != 3) n->align_self = QEL_ALIGN_STRETCH;
    if (o->single_line) cut_line_tooltip(ctx, index, text);
}

void qel_textf(qel_context* ctx, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const char* text = qel_arena_vsprintf(ctx, format, args);
    va_end(args);
    qel_text_ex(ctx, text, nullptr);
}

void qel_text_sized(qel_context* ctx, const char* text, uint32_t font, float size, qel_color color)
{
    leaf(ctx, text, qel_label_visible_len(text), {font, size, color, false, 1.3f});
}

int32_t qel_text_medium(qel_context* ctx, const char* text)
{
    float size = qel_scaled(ctx, theme(ctx)->text_body);
    return leaf(ctx, text, qel_label_visible_len(text),
                {QEL_FONT_MEDIUM, size, qel_color_token(QEL_COLOR_TEXT), true, 1.35f});
}

void qel_text_muted(qel_context* ctx, const char* text)
{
    leaf(ctx, text, -1,
         {QEL_FONT_BODY, qel_scaled(ctx, theme(ctx)->text_body), qel_color_token(QEL_COLOR_TEXT_SECONDARY), true, 0});
}

int32_t qel_text_small(qel_context* ctx, const char* text)
{
    return leaf(ctx, text, -1,
                {QEL_FONT_BODY, qel_scaled(ctx, theme(ctx)->text_small), qel_color_token(QEL_COLOR_TEXT_MUTED),
                 true, 0});
}

void qel_heading(qel_context* ctx, const char* text, int32_t level)
{
    level = level < 1 ? 1 : level > 4 ? 4 : level;
    float size = theme(ctx)->heading[level - 1];
    bool large = size >= HEADING_FONT_FROM;
    leaf(ctx, text, -1,
         {large ? (uint32_t)QEL_FONT_HEADING : (uint32_t)QEL_FONT_MEDIUM, qel_scaled(ctx, size),
          qel_color_token(QEL_COLOR_TEXT), true, large ? 1.15f : 1.3f});
}

// --- Icons ---

static int32_t icon_leaf(qel_context* ctx, const char* glyphs, float size, qel_color color)
{
    int32_t index = leaf(ctx, glyphs, -1, {QEL_FONT_ICON, size, color, false, 1.0f});
    qel_node_at(ctx, index)->align_self = QEL_ALIGN_CENTER;
    return index;
}

void qel_icon_glyph(qel_context* ctx, const char* glyphs, float size, qel_color color)
{
    if (glyphs) icon_leaf(ctx, glyphs, size, color);
}

int32_t qel_icon(qel_context* ctx, const char* glyphs, float size, qel_color color)
{
    if (!glyphs) return -1;
    return icon_leaf(ctx, glyphs, size > 0.0f ? size : ICON_DEFAULT_SIZE,
                     qel_color_arg(color, qel_color_token(QEL_COLOR_TEXT)));
}

// --- Around form controls ---

void qel_field_label(qel_context* ctx, const char* text)
{
    if (!empty(text)) qel_field_label_leaf(ctx, text);
}

void qel_field_hint(qel_context* ctx, const char* help, const char* error)
{
    bool is_error = !empty(error);
    if (!is_error && empty(help)) return;
    qel_color color = qel_color_token(is_error ? QEL_COLOR_DANGER : QEL_COLOR_TEXT_SECONDARY);
    leaf(ctx, is_error ? error : help, -1,
         {QEL_FONT_BODY, qel_scaled(ctx, theme(ctx)->text_small), color, true, 1.4f});
}

// --- Chips and links ---

void qel_code_chip(qel_context* ctx, const char* text)
{
    int32_t chip = qel_node_open(ctx, 0);
    qel_node* n = qel_node_at(ctx, chip);
    n->pad_left = n->pad_right = 6;
    n->pad_top = n->pad_bottom = 2;
    n->fill = qel_color_token(QEL_COLOR_ACTIVE);
    for (float& r : n->radii) r = 6;
    n->align_self = QEL_ALIGN_OWN_SIZE;
    qel_node_push(ctx, chip);
    leaf(ctx, text, -1,
         {QEL_FONT_MONO, qel_scaled(ctx, theme(ctx)->text_small), qel_color_token(QEL_COLOR_TEXT), false, 1.4f});
    qel_node_pop(ctx);
}

static void word_chip(qel_context* ctx, const char* word, int32_t length, qel_color border)
{
    int32_t chip = qel_node_sized(ctx, 0, {QEL_SIZE_FIT, 0}, {QEL_SIZE_FIXED, 20});
    qel_node* n = qel_node_at(ctx, chip);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->justify = QEL_JUSTIFY_CENTER;
    n->min_w = 20;
    n->pad_left = n->pad_right = 5;
    for (float& r : n->radii) r = 5;
    n->fill = qel_color_token(QEL_COLOR_SURFACE);
    n->border = border;
    n->border_width = 1;
    qel_node_push(ctx, chip);
    leaf(ctx, word, length,
         {QEL_FONT_MEDIUM, qel_scaled(ctx, theme(ctx)->text_xs), qel_color_token(QEL_COLOR_TEXT_SECONDARY), false,
          1.2f});
    qel_node_pop(ctx);
}

void qel_word_chips(qel_context* ctx, const char* text)
{
    int32_t row = qel_node_open(ctx, 0);
    qel_node* n = qel_node_at(ctx, row);
    n->direction = QEL_DIR_ROW;
    n->gap = 3;
    n->align_self = QEL_ALIGN_OWN_SIZE;
    qel_node_push(ctx, row);
    qel_color border =
        qel_color_mix(qel_theme_color(ctx, QEL_COLOR_BORDER), qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG), 0.5775f);
    bool any = false;
    for (const char* p = text ? text : ""; *p;) {
        if (*p == ' ') {
            p++;
            continue;
        }
        const char* end = strchr(p, ' ');
        int32_t length = end ? (int32_t)(end - p) : (int32_t)strlen(p);
        word_chip(ctx, p, length, border);
        any = true;
        p += length;
    }
    qel_node_pop(ctx);
    n = qel_node_at(ctx, row);
    if (any && n->direction_mode == 0) n->direction_mode = 1;
}

bool qel_link(qel_context* ctx, const char* label)
{
    uint32_t id = qel_id(ctx, label) ^ LINK_KEY;
    bool disabled = qel_is_disabled(ctx);
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
    qel_widget_motion motion = qel_widget_motion_update(ctx, id, &it, 1.0f);
    qel_color color = qel_color_token(qel_theme_get_accent(ctx) ? QEL_COLOR_ACCENT_STRONG : QEL_COLOR_TEXT);
    int32_t index = leaf(ctx, label, qel_label_visible_len(label),
                         {QEL_FONT_MEDIUM, qel_scaled(ctx, theme(ctx)->text_body), color, false, 0});
    qel_node* n = qel_node_at(ctx, index);
    n->id = id;
    n->align_self = QEL_ALIGN_OWN_SIZE;
    for (float& r : n->radii) r = 4;
    qel_node_clickable(ctx, index, id, disabled);
    qel_node_underline(ctx, index, motion.hover, color, motion.focus);
    qel_set_last_item(ctx, id);
    return it.clicked;
}
