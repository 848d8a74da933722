// Split buttons and account menus: the joined button group with its divider, the account trigger
// with its emphasis, and the keys that open their menus. Panels, rows, buttons and avatars are the
// popup, menu, button and avatar modules'.
#include "qel/split_account.h"

#include <cmath>

#include "core/core.h"
#include "qel/anim.h"
#include "qel/badges_avatars.h"
#include "qel/button.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/layout.h"
#include "qel/menu.h"
#include "qel/popup.h"
#include "qel/state.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/widget_nodes.h"

static const uint32_t SPLIT_POPUP_KEY = 0x6557u, SPLIT_GROUP_KEY = 0x5b17u;
static const uint32_t ACCOUNT_POPUP_KEY = 0x3ba4u, ACCOUNT_TRIGGER_KEY = 0x5e4u;
static const char SPLIT_CHEVRON[] = QEL_ICON_CHEVRON_DOWN;
static const char ACCOUNT_CHEVRON[] = QEL_ICON_CHEVRONS_UP_DOWN;
static const float LINE_HEIGHT = 1.35f;

static bool has_keyboard_focus(qel_context* ctx, uint32_t id)
{
    return ctx->interaction.focused == id && ctx->interaction.focus_visible;
}

// --- Split button ---

// The divider before the chevron, in the colour kept as the group's border.
static void split_divider(qel_context* ctx, const qel_node* node, void*)
{
    const qel_node* chevron = qel_node_at(ctx, node->last_child);
    if (!chevron) return;
    float h = node->rect.h;
    qel_rect bar = {chevron->rect.x - 0.5f, node->rect.y + 0.22f * h, 1, 0.56f * h};
    qel_draw_rect(ctx, &bar, nullptr, node->border);
}

// Squares the latest item's corners on the side facing its partner; returns its node, or null.
static qel_node* square_corners(qel_context* ctx, bool right)
{
    qel_node* n = qel_node_at(ctx, qel_node_latest_with_id(ctx, qel_last_item_id(ctx)));
    if (!n) return nullptr;
    n->radii[right ? 1 : 0] = 0;
    n->radii[right ? 2 : 3] = 0;
    return n;
}

static uint32_t split_group_begin(qel_context* ctx, uint32_t id, uint32_t variant, bool solid, float h)
{
    qel_button_style palette;
    qel_button_palette(&palette, ctx, variant, false);
    int32_t index = qel_node_open(ctx, id ^ SPLIT_GROUP_KEY);
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->align_self = QEL_ALIGN_OWN_SIZE;
    n->border = solid ? qel_color_alpha(palette.text, 0.28f) : qel_border_color(ctx, 0);
    n->border_width = variant == QEL_BUTTON_OUTLINE ? 1.0f : 0.0f;
    n->flags |= QEL_NODE_CLIP | QEL_NODE_DRAW_AFTER;
    n->draw = split_divider;
    qel_node_round(n, fminf(ctx->theme.current.radius_small, h * 0.5f));
    qel_node_push(ctx, index);
    return n->id;
}

int32_t qel_split_button(qel_context* ctx, const char* label, const char* const* items, int32_t count,
                         const qel_split_button_options* options)
{
    const qel_split_button_options none = {};
    const qel_split_button_options* o = options ? options : &none;
    uint32_t id = qel_id(ctx, label), popup = id ^ SPLIT_POPUP_KEY;
    qel_popup_slot* slot = qel_popup_find(ctx, popup, true);
    bool open = slot && slot->open;
    uint32_t variant = o->variant ? o->variant : (uint32_t)QEL_BUTTON_PRIMARY;
    bool solid = variant == QEL_BUTTON_PRIMARY || variant == QEL_BUTTON_DANGER;
    bool pressed_look = open && variant != QEL_BUTTON_OUTLINE && variant != QEL_BUTTON_GHOST;
    float h = qel_control_height(ctx, o->size);
    uint32_t group = split_group_begin(ctx, id, variant, solid, h);

    qel_push_id(ctx, label);
    qel_button_opts main = {};
    main.variant = variant;
    main.size = o->size;
    main.leading_icon = o->icon;
    main.shortcut = o->shortcut;
    int32_t result = qel_button(ctx, label, &main) ? 0 : -1;
    qel_node* m = square_corners(ctx, true);
    if (m) m->pad_right = o->size == 1 ? 10.0f : o->size == 2 ? 18.0f : 13.0f;

    qel_button_opts more = {};
    more.variant = variant;
    more.size = o->size;
    more.tooltip = "More options";
    more.selected = open;
    more.width = {QEL_SIZE_FIXED, h - 4};
    bool toggled = qel_icon_button(ctx, SPLIT_CHEVRON, &more);
    uint32_t chevron = qel_last_item_id(ctx);
    qel_node* c = square_corners(ctx, false);
    if (c && pressed_look) {
        qel_button_style palette;
        c->fill = qel_button_palette(&palette, ctx, variant, false)->press;
    }
    qel_pop_id(ctx);
    qel_node_pop(ctx);
    qel_set_last_item(ctx, group);

    if (toggled) qel_popup_set_open(ctx, popup, !open);
    else if (!open && has_keyboard_focus(ctx, chevron) && qel_key_pressed(ctx, QEL_KEY_DOWN))
        qel_popup_set_open(ctx, popup, true);
    if (!qel_popup_begin(ctx, popup, group, QEL_PLACE_BELOW_END, 0, 6, 0, true)) return result;
    for (int32_t i = 0; items && i < count; i++) {
        qel_menu_item_options row = {};
        row.icon = o->item_icons ? o->item_icons[i] : nullptr;
        qel_push_id_int(ctx, i);
        if (qel_menu_item(ctx, items[i], &row)) result = i + 1;
        qel_pop_id(ctx);
    }
    qel_popup_end(ctx);
    return result;
}

// --- Account menu ---

// A column that takes the room left, with the name and, when given, the subtitle.
static void account_names(qel_context* ctx, const char* name, float name_size, const char* subtitle,
                          float subtitle_size, qel_theme_slot subtitle_color)
{
    qel_style column = {};
    column.width = {QEL_SIZE_GROW, 1};
    qel_column_begin(ctx, &column);
    qel_text_leaf_scaled(ctx, name, QEL_FONT_BODY, name_size, qel_color_token(QEL_COLOR_TEXT), LINE_HEIGHT);
    if (subtitle)
        qel_text_leaf_scaled(ctx, subtitle, QEL_FONT_BODY, subtitle_size, qel_color_token(subtitle_color), LINE_HEIGHT);
    qel_container_end(ctx);
}

static void account_trigger(qel_context* ctx, uint32_t trigger, const char* name, const qel_account_menu_options* o,
                            const qel_interaction& it, float emphasis)
{
    const qel_theme* th = &ctx->theme.current;
    int32_t index = qel_node_open(ctx, trigger);
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->pad_top = 6, n->pad_right = 8, n->pad_bottom = 6, n->pad_left = 6;
    n->gap = 10;
    n->fill = qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_ACTIVE), emphasis);
    qel_node_round(n, fmaxf(6.0f, th->radius_small - 6));
    if (o->compact) n->align_self = QEL_ALIGN_OWN_SIZE;
    else n->width = {QEL_SIZE_GROW, 1};
    qel_node_clickable(ctx, index, trigger, qel_is_disabled(ctx));
    qel_node_focus_ring_full(ctx, index, it.focused && it.focus_visible);
    if (it.hovered) qel_set_cursor(ctx, QEL_CURSOR_HAND);
    qel_node_push(ctx, index);
    qel_avatar_opts avatar = {};
    avatar.size = o->compact ? 28.0f : 32.0f;
    avatar.texture = o->texture;
    avatar.presence = o->presence;
    qel_avatar(ctx, name, &avatar);
    if (!o->compact) {
        account_names(ctx, name, th->text_small, o->subtitle, th->text_xs, QEL_COLOR_TEXT_MUTED);
        qel_icon_glyph(ctx, ACCOUNT_CHEVRON, 14, qel_color_token(QEL_COLOR_TEXT_MUTED));
    }
    qel_node_pop(ctx);
    qel_set_last_item(ctx, trigger);
}

static void account_header(qel_context* ctx, const char* name, const qel_account_menu_options* o)
{
    const qel_theme* th = &ctx->theme.current;
    qel_style row = {};
    row.align = QEL_ALIGN_CENTER;
    row.padding = 8;
    row.padding_top = 6;
    row.gap = 10;
    qel_row_begin(ctx, &row);
    qel_avatar_opts avatar = {};
    avatar.size = 36;
    avatar.texture = o->texture;
    qel_avatar(ctx, name, &avatar);
    account_names(ctx, name, th->text_body, o->subtitle, th->text_small, QEL_COLOR_TEXT_SECONDARY);
    qel_container_end(ctx);
    qel_menu_separator(ctx);
}

bool qel_account_menu(qel_context* ctx, const char* name, const qel_account_menu_options* options)
{
    const qel_account_menu_options none = {};
    const qel_account_menu_options* o = options ? options : &none;
    uint32_t id = qel_id(ctx, name), popup = id ^ ACCOUNT_POPUP_KEY, trigger = id ^ ACCOUNT_TRIGGER_KEY;
    qel_popup_slot* slot = qel_popup_find(ctx, popup, true);
    bool open = slot && slot->open;
    qel_interaction it = qel_interact(ctx, trigger, QEL_INTERACT_FOCUSABLE);
    bool keys = has_keyboard_focus(ctx, trigger) && (qel_key_pressed(ctx, QEL_KEY_ENTER) || qel_key_pressed(ctx, QEL_KEY_SPACE));
    if (it.clicked || keys) {
        open = !open;
        qel_popup_set_open(ctx, popup, open);
        qel_popup_nav* nav = qel_popup_nav_of(ctx, popup);
        nav->highlighted = -1;
        nav->moved_by_keyboard = 0;
    }
    auto* emphasis = (float*)qel_state_get(ctx, trigger, sizeof(float));
    qel_anim_exp(ctx, emphasis, it.hovered || open ? 1.0f : 0.0f, 0.14f);
    account_trigger(ctx, trigger, name, o, it, *emphasis);

    uint32_t placement = o->placement ? o->placement
                                      : (uint32_t)(o->compact ? QEL_PLACE_BELOW_END : QEL_PLACE_ABOVE_START);
    float width = o->width > 0 ? o->width : 248.0f;
    if (!qel_popup_begin(ctx, popup, trigger, placement, width, 6, 0, true)) return false;
    account_header(ctx, name, o);
    return true;
}

void qel_account_menu_end(qel_context* ctx)
{
    qel_popup_end(ctx);
}
