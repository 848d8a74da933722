// Alerts, empty states, meters and images: their nodes and colours, the alert's dismissed flag and
// the image draw callback (avatars draw through it too). Buttons and the progress bar inside
// them are the button and cards_progress modules'.
#include "qel/display_blocks.h"

#include "core/core.h"
#include "qel/arena.h"
#include "qel/button.h"
#include "qel/cards_progress.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/text_units.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

static const uint32_t ALERT_KEY = 0xA1E70010u;
static const float DISMISS_SIDE = 24.0f, IMAGE_SIDE = 64.0f;
static const char DISMISS_GLYPH[] = QEL_ICON_X;
static const char ACTION_GLYPH[] = QEL_ICON_PLUS;

// --- Alerts ---

static const char* default_alert_icon(uint32_t kind)
{
    switch (kind) {
    case QEL_SEMANTIC_SUCCESS: return QEL_ICON_CIRCLE_CHECK;
    case QEL_SEMANTIC_WARNING: return QEL_ICON_TRIANGLE_ALERT;
    case QEL_SEMANTIC_DANGER: return QEL_ICON_CIRCLE_ALERT;
    default: return QEL_ICON_INFO;
    }
}

static void alert_node(qel_context* ctx, uint32_t id, bool semantic, qel_color c)
{
    int32_t index = qel_node_open(ctx, id);
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_START;
    n->gap = 12;
    n->pad_top = n->pad_right = n->pad_bottom = 14;
    n->pad_left = 16;
    qel_node_round(n, ctx->theme.current.radius_small);
    n->border_width = 1;
    if (semantic) {
        n->fill = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_SURFACE), c, qel_dark_mode(ctx) ? 0.12f : 0.07f);
        n->border = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_BORDER), c, qel_dark_mode(ctx) ? 0.2f : 0.12f);
    } else {
        n->fill = qel_theme_color(ctx, QEL_COLOR_SUBTLE);
        n->border = qel_theme_color(ctx, QEL_COLOR_BORDER);
    }
    qel_node_push(ctx, index);
}

// The small dismiss button at the alert's end; true when clicked.
static bool dismiss_button(qel_context* ctx, const char* title)
{
    qel_push_id(ctx, title);
    qel_button_opts o = {};
    o.size = 1;
    o.tooltip = "Dismiss";
    bool clicked = qel_icon_button(ctx, DISMISS_GLYPH, &o);
    if (qel_node* n = qel_node_at(ctx, qel_node_latest_with_id(ctx, qel_last_item_id(ctx)))) {
        n->width = {QEL_SIZE_FIXED, DISMISS_SIDE};
        n->height = {QEL_SIZE_FIXED, DISMISS_SIDE};
    }
    qel_pop_id(ctx);
    return clicked;
}

bool qel_alert(qel_context* ctx, const char* title, const qel_alert_opts* options)
{
    const qel_alert_opts none = {};
    const qel_alert_opts* o = options ? options : &none;
    uint32_t id = qel_id(ctx, title) ^ ALERT_KEY;
    auto* dismissed = qel_state_record_of<uint8_t>(ctx, id, "alert");
    if (*dismissed) return false;
    bool semantic = o->kind >= QEL_SEMANTIC_INFO && o->kind <= QEL_SEMANTIC_ACCENT;
    qel_color c = semantic ? qel_color_semantic(ctx, o->kind) : qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY);

    alert_node(ctx, id, semantic, c);
    int32_t icon_box = qel_node_open(ctx, 0);
    qel_node_at(ctx, icon_box)->pad_top = 1;
    qel_node_push(ctx, icon_box);
    qel_icon_glyph(ctx, o->icon ? o->icon : default_alert_icon(o->kind), 16, c);
    qel_node_pop(ctx);

    qel_style column = {};
    column.width = {QEL_SIZE_GROW, 1};
    column.gap = 3;
    qel_column_begin(ctx, &column);
    qel_text_leaf(ctx, title, qel_label_visible_len(title), QEL_FONT_MEDIUM, qel_text_body_scaled(ctx),
                  qel_theme_color(ctx, QEL_COLOR_TEXT), true, 1.4f);
    if (o->text) {
        qel_color secondary = qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY);
        qel_color ink = semantic ? qel_color_mix(secondary, c, qel_dark_mode(ctx) ? 0.18f : 0.22f) : secondary;
        qel_text_leaf(ctx, o->text, -1, QEL_FONT_BODY, qel_text_body_scaled(ctx), ink, true, 0);
    }
    qel_container_end(ctx);
    bool clicked = o->dismissible && dismiss_button(ctx, title);
    qel_node_pop(ctx);
    if (clicked) *qel_state_record_of<uint8_t>(ctx, id, "alert") = 1;
    return !clicked;
}

// --- Empty states ---

bool qel_empty_state(qel_context* ctx, const char* title, const qel_empty_state_opts* options)
{
    const qel_empty_state_opts none = {};
    const qel_empty_state_opts* o = options ? options : &none;
    qel_style column = {};
    column.width = {QEL_SIZE_GROW, 1};
    column.align = QEL_ALIGN_CENTER;
    column.gap = 6;
    column.padding_x = 24;
    column.padding_y = 40;
    qel_column_begin(ctx, &column);
    if (o->icon) {
        int32_t box = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, 32}, {QEL_SIZE_FIXED, 32});
        qel_node* n = qel_node_at(ctx, box);
        n->direction = QEL_DIR_STACK;
        n->align = QEL_ALIGN_CENTER;
        n->justify = QEL_JUSTIFY_CENTER;
        qel_node_push(ctx, box);
        qel_icon_glyph(ctx, o->icon, 28, qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED));
        qel_node_pop(ctx);
        qel_gap(ctx, 8);
    }
    const qel_theme* t = &ctx->theme.current;
    int32_t heading = qel_text_leaf(ctx, title, -1, QEL_FONT_MEDIUM, t->text_large * t->ui_scale,
                                qel_theme_color(ctx, QEL_COLOR_TEXT), true, 0);
    qel_node_at(ctx, heading)->content_align = 1;
    qel_node_at(ctx, heading)->align_self = QEL_ALIGN_CENTER;
    if (o->text) {
        int32_t text = qel_text_leaf(ctx, o->text, -1, QEL_FONT_BODY, qel_text_body_scaled(ctx),
                                     qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), true, 0);
        qel_node* n = qel_node_at(ctx, text);
        n->content_align = 1;
        n->align_self = QEL_ALIGN_CENTER;
        n->max_w = 360;
    }
    bool clicked = false;
    if (o->action) {
        qel_gap(ctx, 10);
        qel_button_opts b = {};
        b.variant = QEL_BUTTON_PRIMARY;
        b.leading_icon = ACTION_GLYPH;
        clicked = qel_button_ex(ctx, o->action, nullptr, &b);
        if (qel_node* n = qel_node_at(ctx, qel_node_latest_with_id(ctx, qel_last_item_id(ctx))))
            n->align_self = QEL_ALIGN_CENTER;
    }
    qel_container_end(ctx);
    return clicked;
}

// --- Meters ---

void qel_meter(qel_context* ctx, const char* label, float value, float max, const char* unit)
{
    float ratio = max > 0 ? value / max : 0.0f;
    qel_style column = {};
    column.gap = 8;
    qel_column_begin(ctx, &column);
    qel_style row = {};
    row.gap = 6;
    qel_row_begin(ctx, &row);
    qel_text_leaf(ctx, label, qel_label_visible_len(label), QEL_FONT_MEDIUM, qel_text_body_scaled(ctx),
                  qel_theme_color(ctx, QEL_COLOR_TEXT), false, 1.3f);
    qel_spacer(ctx);
    const char* reading = qel_arena_sprintf(ctx, "%g / %g %s", (double)value, (double)max, unit ? unit : "");
    int32_t figures = qel_text_leaf(ctx, reading, -1, QEL_FONT_BODY, qel_text_body_scaled(ctx),
                                    qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), false, 1.3f);
    qel_node_at(ctx, figures)->flags |= QEL_NODE_TABULAR;
    qel_container_end(ctx);
    qel_push_id(ctx, label);
    qel_progress_opts bar = {};
    bar.kind = ratio > 0.9f ? QEL_SEMANTIC_DANGER : ratio > 0.75f ? QEL_SEMANTIC_WARNING : 0u;
    qel_progress_bar(ctx, ratio, &bar);
    qel_pop_id(ctx);
    qel_container_end(ctx);
}

// --- Images ---

void qel_image_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* image = (const qel_image_record*)user;
    qel_draw_image(ctx, image->texture, &node->rect, nullptr, node->radii, image->tint);
}

void qel_image(qel_context* ctx, uint64_t texture, const qel_image_opts* options)
{
    const qel_image_opts none = {};
    const qel_image_opts* o = options ? options : &none;
    const qel_size side = {QEL_SIZE_FIXED, IMAGE_SIDE};
    int32_t index = qel_node_sized(ctx, 0, o->width.kind == QEL_SIZE_FIT ? side : o->width,
                                   o->height.kind == QEL_SIZE_FIT ? side : o->height);
    qel_node* n = qel_node_at(ctx, index);
    n->align_self = QEL_ALIGN_OWN_SIZE;
    qel_node_round(n, o->radius);
    auto* image = (qel_image_record*)qel_arena_alloc(ctx, sizeof(qel_image_record));
    *image = {texture, qel_color_resolve(ctx, qel_color_arg(o->tint, 0xFFFFFFFFu))};
    n->draw = qel_image_draw;
    n->draw_user = image;
}
