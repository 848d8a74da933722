// Modal sheets: the dialog and side sheet container with its scrim, panel, title row and body,
// the topmost-sheet record that decides who takes Escape and the scrim's click, and the keyboard
// focus that a modal opening takes away from the page. Popups share the z counter (popup.cpp).
#include "qel/sheet.h"

#include <cmath>

#include "core/core.h"
#include "overlays/overlay_state.h"
#include "qel/button.h"
#include "qel/font.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/scroll_container.h"
#include "qel/state.h"
#include "qel/text_units.h"
#include "qel/theme.h"
#include "kit/widget_nodes.h"

static const uint32_t DIALOG_KEY = 0xD1A106u, SIDE_SHEET_KEY = 0x5EE7u;
static const uint32_t SCRIM_KEY = 0x5C819u, PANEL_KEY = 0x9A4Eu;

struct sheet_state {
    float spring[2];
    uint64_t opened_frame;
    uint8_t open;
    int32_t z;
};

// --- The topmost modal ---

bool qel_modal_is_topmost(qel_context* ctx, uint32_t id)
{
    const qel_overlay_state* o = qel_overlays(ctx);
    if (o->last_top_sheet && o->last_top_sheet != id) return false;
    for (int32_t i = 0; i < o->slot_count; i++)
        if (o->slots[i].open) return false;
    return true;
}

void qel_modal_claim_top(qel_context* ctx, uint32_t id, int32_t z, bool opened_now)
{
    qel_overlay_state* o = qel_overlays(ctx);
    if (o->top_sheet && z <= o->top_sheet_z) return;
    o->top_sheet = id;
    o->top_sheet_z = z;
    qel_interaction_state* in = &ctx->interaction;
    if (z > in->top_layer_z) {
        in->top_layer = id;
        in->top_layer_z = z;
    }
    if (opened_now) qel_set_focus(ctx, 0, false);  // nothing behind keeps the keyboard
}

int32_t qel_scrim_begin(qel_context* ctx, uint32_t layer, int32_t z, float t, bool* clicked)
{
    uint32_t scrim = layer ^ SCRIM_KEY;
    qel_interaction it = qel_interact(ctx, scrim, 0);
    *clicked = it.clicked;
    qel_overlay_begin(ctx, layer, z, 0, QEL_PLACE_FILL, 0);
    int32_t index = qel_node_sized(ctx, scrim, {QEL_SIZE_GROW, 1}, {QEL_SIZE_GROW, 1});
    qel_node* n = qel_node_at(ctx, index);
    n->fill = qel_color_alpha(qel_color_resolve(ctx, qel_color_token(QEL_COLOR_SCRIM)), t);
    n->flags |= QEL_NODE_INTERACTIVE | QEL_NODE_BLOCKING;
    n->direction = QEL_DIR_STACK;
    qel_node_push(ctx, index);
    return index;
}

void qel_scrim_end(qel_context* ctx)
{
    qel_node_pop(ctx);
    qel_overlay_end(ctx);
}

void qel_overlay_panel_style(qel_context* ctx, qel_node* n, float radius, float light_border_alpha)
{
    n->fill = qel_color_token(QEL_COLOR_ELEVATED);
    n->border = qel_dark_mode(ctx) ? qel_color_token(QEL_COLOR_BORDER)
                                   : qel_color_alpha(0xFF000000u, light_border_alpha);
    n->border_width = 1;
    qel_node_round(n, radius);
    n->elevation = 3;
    n->flags |= QEL_NODE_HOVER_OPAQUE;
}

// --- Sheets ---

// Opening, closing and dismissal; false once a closed sheet has faded out.
static bool advance(qel_context* ctx, sheet_state* st, uint8_t* open, bool side_sheet, float* t)
{
    bool is_open = open && *open;
    if (is_open && !st->open) {
        st->opened_frame = ctx->clock.frame_count;
        st->z = qel_overlay_next_z(ctx);
    }
    st->open = is_open;
    return qel_overlay_fade(ctx, st->spring, is_open, side_sheet ? 0.42f : 0.34f, 0.16f, t);
}

static void place_panel(qel_context* ctx, int32_t scrim, int32_t panel, float size, bool side_sheet, uint32_t side,
                        float t)
{
    const qel_theme* th = qel_theme_block_get(ctx);
    qel_vec2 display = qel_ctx_display_size(ctx);
    qel_node* s = qel_node_at(ctx, scrim);
    qel_node* p = qel_node_at(ctx, panel);
    qel_overlay_panel_style(ctx, p, th->radius_large, 0.06f);
    p->gap = 16;
    p->pad_top = p->pad_right = p->pad_bottom = p->pad_left = 24;
    if (!side_sheet) {
        s->align = QEL_ALIGN_CENTER;
        s->justify = QEL_JUSTIFY_CENTER;
        p->width = {QEL_SIZE_FIXED, fminf(size, display.x - 32)};
        p->max_h = display.y - 48;
        p->opacity = t;
        p->scale = 0.96f + 0.04f * t;
        p->translate_y = (1 - t) * 10;
        return;
    }
    s->pad_top = s->pad_right = s->pad_bottom = s->pad_left = 8;
    s->align = side == QEL_SHEET_RIGHT ? QEL_ALIGN_END : QEL_ALIGN_START;
    s->justify = side == QEL_SHEET_BOTTOM ? QEL_JUSTIFY_END : QEL_JUSTIFY_START;
    float slide = (size + 24) * (1 - t);
    bool across = side == QEL_SHEET_BOTTOM || side == QEL_SHEET_TOP;
    p->width = {QEL_SIZE_FIXED, across ? display.x - 16 : fminf(size, display.x - 16)};
    p->height = {QEL_SIZE_FIXED, across ? fminf(size, display.y - 16) : display.y - 16};
    float sign = side == QEL_SHEET_LEFT || side == QEL_SHEET_TOP ? -1.0f : 1.0f;
    (across ? p->translate_y : p->translate_x) = sign * slide;
}

static void header(qel_context* ctx, const char* title, const char* description, uint8_t* open, bool close_button)
{
    const qel_theme* th = qel_theme_block_get(ctx);
    qel_style row = {};
    row.gap = 12;
    row.align = QEL_ALIGN_START;
    qel_row_begin(ctx, &row);
    qel_style col = {};
    col.gap = 6;
    col.width = {QEL_SIZE_GROW, 1};
    qel_column_begin(ctx, &col);
    qel_text_leaf(ctx, title, qel_label_visible_len(title), QEL_FONT_MEDIUM, qel_scaled(ctx, th->heading[3]),
                  qel_color_token(QEL_COLOR_TEXT), true, 1.3f);
    if (description)
        qel_text_leaf(ctx, description, -1, QEL_FONT_BODY, qel_text_body_scaled(ctx),
                      qel_color_token(QEL_COLOR_TEXT_SECONDARY), true, 1.5f);
    qel_container_end(ctx);
    if (close_button) {
        qel_button_opts b = {};
        b.size = 1;
        b.tooltip = "Close";
        if (qel_icon_button(ctx, QEL_ICON_X, &b) && open) *open = 0;
        qel_node* n = qel_node_at(ctx, qel_node_latest_with_id(ctx, qel_last_item_id(ctx)));
        if (n) {
            n->translate_x = 6;
            n->translate_y = -4;
        }
    }
    qel_container_end(ctx);
}

bool qel_sheet_begin(qel_context* ctx, uint32_t sheet_id, const char* title, uint8_t* open, const char* description,
                     float size, bool no_dismiss, bool close_button, bool side_sheet, uint32_t side)
{
    sheet_state* st = (sheet_state*)qel_state_get(ctx, sheet_id, sizeof(sheet_state));
    float t = 0;
    if (!advance(ctx, st, open, side_sheet, &t)) return false;
    bool closing = !st->open;
    bool dismissable = !closing && !no_dismiss && qel_modal_is_topmost(ctx, sheet_id);
    if (dismissable && !ctx->text_fields.active_last_frame && qel_key_take(ctx, QEL_KEY_ESCAPE)) *open = 0;
    if (!closing) qel_modal_claim_top(ctx, sheet_id, st->z, st->opened_frame == ctx->clock.frame_count);

    bool scrim_clicked = false;
    int32_t scrim = qel_scrim_begin(ctx, sheet_id, st->z, t, &scrim_clicked);
    if (dismissable && scrim_clicked) *open = 0;
    int32_t panel = qel_node_open(ctx, sheet_id ^ PANEL_KEY);
    place_panel(ctx, scrim, panel, size, side_sheet, side, t);
    qel_node_push(ctx, panel);
    qel_stack_push(&qel_overlays(ctx)->sheet_depth, QEL_SHEET_STACK_CAPACITY);
    qel_push_disabled(ctx, closing);  // a closing sheet's body takes no input
    qel_push_id_int(ctx, (int32_t)sheet_id);
    header(ctx, title ? title : "", description, open, close_button);
    if (side_sheet) {
        qel_style body = {};
        body.height = {QEL_SIZE_GROW, 1};
        body.width = {QEL_SIZE_GROW, 1};
        body.gap = 16;
        qel_scroll_begin(ctx, qel_id(ctx, "#sheet-body"), &body, false);
    }
    return true;
}

void qel_sheet_end(qel_context* ctx, bool side_sheet)
{
    qel_overlay_state* o = qel_overlays(ctx);
    if (o->sheet_depth.depth == 0 && o->sheet_depth.overflow == 0) return;
    if (side_sheet) qel_scroll_end(ctx);
    qel_pop_id(ctx);
    qel_node_pop(ctx);
    qel_scrim_end(ctx);
    qel_stack_pop(&o->sheet_depth, 0);
    qel_pop_disabled(ctx);
}

bool qel_dialog_begin(qel_context* ctx, const char* label, uint8_t* open, const qel_dialog_options* options)
{
    const qel_dialog_options none = {};
    const qel_dialog_options* op = options ? options : &none;
    return qel_sheet_begin(ctx, qel_id(ctx, label) ^ DIALOG_KEY, label, open, op->description,
                           op->width > 0 ? op->width : 440, op->no_dismiss, !op->hide_close_button, false, 0);
}

void qel_dialog_end(qel_context* ctx)
{
    qel_sheet_end(ctx, false);
}

void qel_dialog_footer_begin(qel_context* ctx)
{
    qel_style row = {};
    row.justify = QEL_JUSTIFY_END;
    row.padding_top = 8;
    row.gap = 8;
    row.width = {QEL_SIZE_GROW, 1};
    qel_row_begin(ctx, &row);
}

void qel_dialog_footer_end(qel_context* ctx)
{
    qel_container_end(ctx);
}

bool qel_side_sheet_begin(qel_context* ctx, const char* label, uint8_t* open, const qel_side_sheet_options* options)
{
    const qel_side_sheet_options none = {};
    const qel_side_sheet_options* op = options ? options : &none;
    return qel_sheet_begin(ctx, qel_id(ctx, label) ^ SIDE_SHEET_KEY, label, open, op->description,
                           op->size > 0 ? op->size : 400, false, true, true, op->side);
}

void qel_side_sheet_end(qel_context* ctx)
{
    qel_sheet_end(ctx, true);
}
