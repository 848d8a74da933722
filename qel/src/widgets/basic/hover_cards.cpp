// Delayed tooltips and confirm popovers: the hover and leave timers of a card, and the confirm
// popover's contents. Opening, placing and dismissing them is the popup layer's.
#include "qel/hover_cards.h"

#include "core/core.h"
#include "qel/button.h"
#include "qel/font.h"
#include "qel/frame.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/layout.h"
#include "qel/popup.h"
#include "qel/state.h"
#include "qel/theme.h"
#include "kit/widget_nodes.h"

static const uint32_t TIMER_KEY = 0x4C4Cu, CARD_KEY = 0x4C4Du;
static const double GRACE_SECONDS = 0.2;

// --- Delayed tooltip ---

struct hover_timers {
    double hover_start;  // 0: none
    double left_at;      // 0: none
};

static void hover_begins(hover_timers* t, double now)
{
    if (t->hover_start == 0) t->hover_start = now;
    t->left_at = 0;
}

static void hover_ends(hover_timers* t, double now)
{
    t->hover_start = 0;
    if (t->left_at == 0) t->left_at = now;
}

bool qel_tooltip_delayed_begin(qel_context* ctx, const char* label, const qel_tooltip_delayed_options* options)
{
    const qel_tooltip_delayed_options none = {};
    const qel_tooltip_delayed_options* o = options ? options : &none;
    double delay = o->delay > 0 ? o->delay : 0.45, now = ctx->clock.time;
    uint32_t id = qel_id(ctx, label), popup = id ^ CARD_KEY;
    qel_popup_slot* slot = qel_popup_find(ctx, popup, true);
    if (!slot) return false;
    auto* t = (hover_timers*)qel_state_get(ctx, id ^ TIMER_KEY, sizeof(hover_timers));
    uint32_t anchor = qel_last_item_id(ctx);
    if (anchor && qel_hovered_id(ctx) == anchor) {
        hover_begins(t, now);
        double rested = now - t->hover_start;
        if (slot->open && qel_mouse_pressed(ctx, 0)) {
            qel_popup_set_open(ctx, popup, false);
        } else if (!slot->open && rested >= delay && !qel_mouse_down(ctx, 0)) {
            qel_popup_set_open(ctx, popup, true);
            slot->at_point = 0;
        } else if (!slot->open) {
            qel_request_redraw_in(ctx, (float)(delay - rested + 0.01));
        }
    } else if (!slot->open) {
        hover_ends(t, now);
    } else if (ctx->interaction.hover_layer == popup) {
        hover_begins(t, now);
    } else {
        hover_ends(t, now);
        double gone = now - t->left_at;
        if (gone <= GRACE_SECONDS)
            qel_request_redraw_in(ctx, (float)(GRACE_SECONDS - gone + 0.01));
        else
            qel_popup_set_open(ctx, popup, false);
    }
    return qel_popup_begin(ctx, popup, anchor, o->placement, o->width > 0 ? o->width : 300, 16, 10, false);
}

void qel_tooltip_delayed_end(qel_context* ctx)
{
    qel_popup_end(ctx);
}

// --- Confirm popover ---

static void confirm_texts(qel_context* ctx, const qel_confirm_options* o)
{
    if (o->title)
        qel_text_leaf(ctx, o->title, -1, QEL_FONT_MEDIUM, qel_text_body_scaled(ctx), qel_color_token(QEL_COLOR_TEXT),
                      true, 1.4f);
    if (o->message)
        qel_text_leaf(ctx, o->message, -1, QEL_FONT_BODY, qel_text_small_scaled(ctx),
                      qel_color_token(QEL_COLOR_TEXT_SECONDARY), true, 1.45f);
}

// The Cancel and Confirm row; true when Confirm was clicked.
static bool confirm_row(qel_context* ctx, uint32_t popup, const qel_confirm_options* o, bool just_opened)
{
    qel_style row = {};
    row.width = {QEL_SIZE_GROW, 1};
    row.justify = QEL_JUSTIFY_END;
    row.gap = 8;
    row.padding_top = 8;
    qel_row_begin(ctx, &row);
    qel_button_opts b = {};
    b.size = 1;
    if (qel_button(ctx, o->cancel ? o->cancel : "Cancel", &b)) qel_popup_set_open(ctx, popup, false);
    b.variant = o->destructive ? QEL_BUTTON_DANGER : QEL_BUTTON_PRIMARY;
    bool confirmed = qel_button(ctx, o->confirm ? o->confirm : "Confirm", &b);
    if (just_opened) qel_set_focus(ctx, qel_last_item_id(ctx), true);
    qel_container_end(ctx);
    return confirmed;
}

bool qel_confirm_buttons(qel_context* ctx, const char* label, const qel_confirm_options* options)
{
    const qel_confirm_options none = {};
    const qel_confirm_options* o = options ? options : &none;
    uint32_t id = qel_id(ctx, label);
    const qel_popup_slot* slot = qel_popup_find(ctx, id, false);
    bool just_opened = slot && slot->open && ctx->clock.frame_count - slot->opened_frame < 2;
    qel_popover_options p = {};
    p.placement = o->placement;
    p.width = 290;
    p.padding = 16;
    p.gap = 6;
    if (!qel_popover_begin(ctx, label, &p)) return false;
    confirm_texts(ctx, o);
    bool confirmed = confirm_row(ctx, id, o, just_opened);
    const qel_popup_slot* now = qel_popup_find(ctx, id, false);
    if (now && now->open && qel_key_take(ctx, QEL_KEY_ENTER)) confirmed = true;
    qel_popover_end(ctx);
    if (confirmed) qel_popup_set_open(ctx, id, false);
    return confirmed;
}
