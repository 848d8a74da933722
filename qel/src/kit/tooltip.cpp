// The tooltip: the hover timing of the items that ask for it, and its panel drawn at frame end
// above every other layer through its frame hook. Which item is hovered is the interaction
// module's.
#include "qel/tooltip.h"

#include <cmath>
#include <cstring>

#include "core/core.h"
#include "qel/anim.h"
#include "qel/color.h"
#include "qel/font.h"
#include "qel/frame.h"
#include "qel/state.h"
#include "qel/text_units.h"
#include "qel/theme.h"
#include "kit/widget_nodes.h"

static const uint32_t STATE_KEY = 0x7001717u, LAYER = 0x7001718u;
static const int32_t LAYER_Z = 0x7FFFFFF0;
static const float ITEM_DELAY = 0.55f, EXPLICIT_DELAY = 0.7f, RECENT = 0.4f;
static const char SEPARATOR[] = "  \xC2\xB7  ";  // two spaces, U+00B7, two spaces

struct tooltip_state {
    char text[256];
    uint32_t target, shown;
    float visibility[2], offset_x[2], offset_y[2];
    double last_visible;  // 0: never visible
    uint8_t pending, explicit_id;
};

// The item whose hover is timed (0 none) and since when; kept in the context for its frame hook.
struct tooltip_hover {
    uint32_t item;
    double start;
};

static void frame_end(qel_context* ctx, void*);

// After the overlay layer's toasts: the tooltip is drawn over everything.
static const qel_frame_hooks TOOLTIP_HOOKS = {200, sizeof(tooltip_hover), nullptr, frame_end, nullptr, nullptr, nullptr};

static tooltip_state* state(qel_context* ctx)
{
    return (tooltip_state*)qel_state_get(ctx, STATE_KEY, sizeof(tooltip_state));
}

// Times the hover of id; once the delay has passed the tooltip is requested for this frame.
static void request(qel_context* ctx, uint32_t id, const char* text, bool over, float delay, bool explicit_id)
{
    auto* hover = (tooltip_hover*)qel_frame_hooks_record(ctx, &TOOLTIP_HOOKS);
    tooltip_state* st = state(ctx);
    if (!over) {
        if (hover->item == id) hover->item = 0;
        return;
    }
    double now = ctx->clock.time;
    if (hover->item != id) {
        hover->item = id;
        hover->start = now;
    }
    if (st->last_visible > 0 && now - st->last_visible < RECENT) delay = 0;
    double elapsed = now - hover->start;
    if (elapsed < delay) {
        qel_request_redraw_in(ctx, (float)(delay - elapsed) + 0.01f);
        return;
    }
    qel_utf8_copy(st->text, (int32_t)sizeof st->text, text);
    st->target = id;
    st->pending = 1;
    st->explicit_id = explicit_id;
}

void qel_tooltip(qel_context* ctx, const char* text)
{
    uint32_t item = qel_last_item_id(ctx);
    if (!item || !text) return;
    const qel_interaction_state* in = &ctx->interaction;
    bool over = in->hovered == item && !in->active && !ctx->input.down[0];
    request(ctx, item, text, over, ITEM_DELAY, false);
}

void qel_tooltip_for(qel_context* ctx, uint32_t id, const char* text)
{
    if (!id || !text) return;
    tooltip_state* st = state(ctx);
    if (st->pending && !st->explicit_id) return;
    const qel_interaction_state* in = &ctx->interaction;
    bool over = !in->active && in->hover_layer == ctx->tree.current_layer;
    request(ctx, id, text, over, EXPLICIT_DELAY, true);
}

// --- Frame end ---

static qel_color tone(qel_context* ctx, float dark, float light)
{
    return qel_color_oklch(qel_dark_mode(ctx) ? dark : light, 0, 0, 1);
}

// The words after the separator as keycaps in a row.
static void keycaps(qel_context* ctx, const char* keys, qel_color text_color)
{
    const qel_theme* th = qel_theme_block_get(ctx);
    qel_style row = {};
    row.gap = 3;
    qel_row_begin(ctx, &row);
    for (const char* p = keys; *p;) {
        while (*p == ' ') p++;
        int32_t length = (int32_t)strcspn(p, " ");
        if (length == 0) break;
        qel_style cap = {};
        cap.min_w = 18;
        cap.padding_top = cap.padding_bottom = 1;
        cap.padding_left = cap.padding_right = 5;
        cap.radius = 4;
        cap.align = QEL_ALIGN_CENTER;
        cap.justify = QEL_JUSTIFY_CENTER;
        cap.fill = qel_color_alpha(text_color, 0.14f);
        qel_row_begin(ctx, &cap);
        qel_text_leaf(ctx, p, length, QEL_FONT_MEDIUM, qel_scaled(ctx, th->text_xs),
                      qel_color_alpha(text_color, 0.75f), false, 1.4f);
        qel_container_end(ctx);
        p += length;
    }
    qel_container_end(ctx);
}

static void panel(qel_context* ctx, tooltip_state* st, float t)
{
    int32_t root = qel_overlay_begin(ctx, LAYER, LAYER_Z, st->target, QEL_PLACE_ABOVE_CENTER, 6);
    qel_node* n = qel_node_at(ctx, root);
    n->fill = tone(ctx, 0.93f, 0.2f);
    qel_node_round(n, qel_row_radius(ctx));
    n->pad_top = n->pad_bottom = 5;
    n->pad_left = n->pad_right = 9;
    n->opacity = t;
    n->scale = 0.96f + 0.04f * t;
    n->translate_x = st->offset_x[0];
    n->translate_y = (1 - t) * 3 + st->offset_y[0];
    n->max_w = 280;
    n->elevation = 2;
    qel_color text_color = tone(ctx, 0.18f, 0.98f);
    float size = qel_text_small_scaled(ctx);
    const char* keys = strstr(st->text, SEPARATOR);
    if (keys) {
        n->direction = QEL_DIR_ROW;
        n->align = QEL_ALIGN_CENTER;
        n->pad_right = 5;
        n->pad_left = 8;
        n->gap = 8;
        qel_text_leaf(ctx, st->text, (int32_t)(keys - st->text), QEL_FONT_MEDIUM, size, text_color, false, 1.35f);
        keycaps(ctx, keys + strlen(SEPARATOR), text_color);
    } else {
        qel_text_leaf(ctx, st->text, -1, QEL_FONT_MEDIUM, size, text_color, true, 1.35f);
    }
    qel_overlay_end(ctx);
}

// Moves the offsets so the tooltip glides over from the item it was shown for.
static void follow_target(qel_context* ctx, tooltip_state* st)
{
    if (st->target == st->shown) return;
    if (st->shown && st->visibility[0] > 0.3f && qel_id_seen(ctx, st->shown) && qel_id_seen(ctx, st->target)) {
        qel_rect from = qel_id_rect(ctx, st->shown), to = qel_id_rect(ctx, st->target);
        st->offset_x[0] += (from.x + from.w / 2) - (to.x + to.w / 2);
        st->offset_y[0] += from.y - to.y;
    }
    st->shown = st->target;
}

static void frame_end(qel_context* ctx, void*)
{
    tooltip_state* st = (tooltip_state*)qel_state_find(ctx, STATE_KEY, sizeof(tooltip_state), false);
    if (!st) return;
    bool shows = st->pending && (st->explicit_id || st->target == ctx->interaction.hovered);
    qel_anim_spring(ctx, st->visibility, shows ? 1.0f : 0.0f, shows ? 0.2f : 0.12f, 0);
    if (shows) st->last_visible = ctx->clock.time;
    st->pending = st->explicit_id = 0;
    if (!(st->visibility[0] > 0.01f) || !st->target) {
        st->shown = 0;
        st->offset_x[0] = st->offset_x[1] = st->offset_y[0] = st->offset_y[1] = 0;
        return;
    }
    follow_target(ctx, st);
    qel_anim_spring(ctx, st->offset_x, 0, 0.32f, 0.08f);
    qel_anim_spring(ctx, st->offset_y, 0, 0.32f, 0.08f);
    panel(ctx, st, fminf(fmaxf(st->visibility[0], 0.0f), 1.0f));
}
