// The status bar: its record of widths against the last frame's, the text, item and progress
// nodes, and the progress bar's drawing with its moving segment. The bar row is menubar's.
#include "qel/statusbar.h"

#include <cmath>

#include "core/core.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/button.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/frame.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/menubar.h"
#include "qel/state.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/tooltip.h"
#include "qel/widget_feel.h"
#include "kit/scopes.h"
#include "kit/widget_nodes.h"

static const uint32_t TOTAL_KEY = 0x5ba8u, PROGRESS_SEED = 22439u;
static const float UNKNOWN_WIDTH = 1e9f, EDGE = 12.0f, ICON_SIZE = 12.0f;
static const float DEFAULT_BAR = 64.0f;

static float label_width(qel_context* ctx, const char* text)
{
    if (!text || !text[0]) return 0.0f;
    return qel_text_width_measured(ctx, QEL_FONT_BODY, qel_text_small_scaled(ctx), text, -1, true);
}

static void small_label(qel_context* ctx, const char* text, qel_color color)
{
    int32_t index = qel_text_leaf(ctx, text, -1, QEL_FONT_BODY, qel_text_small_scaled(ctx), color, false, 1.3f);
    qel_node_at(ctx, index)->flags |= QEL_NODE_TABULAR;
}

static qel_color kind_color(qel_context* ctx, uint32_t kind, qel_color fallback)
{
    return kind ? qel_color_semantic(ctx, kind) : fallback;
}

// --- The bar ---

void qel_statusbar_begin(qel_context* ctx, const char* label, const qel_statusbar_opts* options)
{
    const qel_statusbar_opts zero = {};
    const qel_statusbar_opts* o = options ? options : &zero;
    uint32_t id = qel_id(ctx, label);
    auto* r = qel_scope_push<qel_statusbar_record>(ctx);
    r->available = qel_id_seen(ctx, id) ? qel_id_rect(ctx, id).w - EDGE : UNKNOWN_WIDTH;
    r->remembered = (float*)qel_state_get(ctx, id ^ TOTAL_KEY, sizeof(float));
    r->overflowing = *r->remembered > r->available + 0.5f;
    int32_t row = qel_bar_row_node(ctx, id, !o->no_border, true);
    qel_node_at(ctx, row)->gap = 4;
    qel_node_push(ctx, row);
    qel_push_id(ctx, label);
}

void qel_statusbar_end(qel_context* ctx)
{
    const auto* r = qel_scope_find<qel_statusbar_record>(ctx);
    if (!r) return;
    qel_scope_pop<qel_statusbar_record>(ctx);
    *r->remembered = r->total;
    qel_pop_id(ctx);
    qel_node_pop(ctx);
}

bool qel_status_measure(qel_statusbar_record* r, float label_w, bool has_icon, float extra, bool* compact)
{
    *compact = false;
    if (!r) return true;
    float width;
    if (has_icon) {
        width = 30 + label_w + extra + (r->total > 0 ? 4.0f : 0.0f);
        r->total += width;
        if (r->overflowing && label_w > 0) {
            *compact = true;
            width = extra + 24 + (r->used > 0 ? 4.0f : 0.0f);
        }
    } else {
        width = label_w + 12 + extra + (r->total > 0 ? 4.0f : 0.0f);
        r->total += width;
    }
    if (r->overflowing && r->used + width > r->available) return false;
    r->used += width;
    return true;
}

int32_t qel_status_node(qel_context* ctx, uint32_t id)
{
    return qel_node_pill_row(ctx, id, 22, 6, 6, 6);
}

void qel_status_spacer(qel_context* ctx)
{
    qel_spacer(ctx);
}

// --- Items ---

void qel_status_text(qel_context* ctx, const char* text, const qel_status_text_opts* options)
{
    const qel_status_text_opts zero = {};
    const qel_status_text_opts* o = options ? options : &zero;
    bool compact = false;
    if (!qel_status_measure(qel_scope_find<qel_statusbar_record>(ctx), label_width(ctx, text), o->icon != nullptr, 0, &compact)) return;
    qel_color secondary = qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY);
    qel_node_push(ctx, qel_status_node(ctx, 0));
    qel_icon_glyph(ctx, o->icon, ICON_SIZE, kind_color(ctx, o->kind, secondary));
    if (!compact && text) small_label(ctx, text, secondary);
    qel_node_pop(ctx);
}

bool qel_status_item(qel_context* ctx, const char* label, const qel_status_item_opts* options)
{
    const qel_status_item_opts zero = {};
    const qel_status_item_opts* o = options ? options : &zero;
    bool labelled = label && label[0];
    bool compact = false;
    if (!qel_status_measure(qel_scope_find<qel_statusbar_record>(ctx), labelled ? label_width(ctx, label) : 0, o->icon != nullptr, 0,
                            &compact))
        return false;
    uint32_t id = qel_id(ctx, labelled ? label : o->tooltip ? o->tooltip : "#status-item");
    bool disabled = qel_item_disabled(ctx, o->disabled);
    qel_interaction it = qel_interact_item(ctx, id, QEL_INTERACT_FOCUSABLE, disabled);
    qel_widget_motion m = qel_widget_motion_update(ctx, id, &it, 1.0f);
    float hover = m.hover;

    int32_t node = qel_status_node(ctx, id);
    qel_node_at(ctx, node)->fill = it.held ? qel_theme_color(ctx, QEL_COLOR_ACTIVE)
                                           : qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_HOVER), hover);
    qel_node_clickable(ctx, node, id, disabled);
    qel_focus_ring(ctx, node, m.focus);
    qel_color color = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), qel_theme_color(ctx, QEL_COLOR_TEXT), hover);
    qel_node_push(ctx, node);
    qel_icon_glyph(ctx, o->icon, ICON_SIZE, kind_color(ctx, o->kind, color));
    if (labelled && !compact) small_label(ctx, label, color);
    qel_node_pop(ctx);
    qel_set_last_item(ctx, id);
    qel_tooltip(ctx, o->tooltip ? o->tooltip : compact && labelled ? label : nullptr);
    return it.clicked && !disabled;
}

struct progress_payload {
    float value;
    uint8_t indeterminate;
    double time;
    float time_scale;
    qel_color track, fill;
};

void qel_status_progress(qel_context* ctx, float value, const qel_status_progress_opts* options)
{
    const qel_status_progress_opts zero = {};
    const qel_status_progress_opts* o = options ? options : &zero;
    float bar = o->bar_width > 0 ? o->bar_width : DEFAULT_BAR;
    float label_w = o->label ? label_width(ctx, o->label) + 8 : 0.0f;
    bool compact = false;
    if (!qel_status_measure(qel_scope_find<qel_statusbar_record>(ctx), label_w, false, bar, &compact)) return;
    int32_t node = qel_status_node(ctx, 0);
    qel_node_at(ctx, node)->gap = 8;
    qel_node_push(ctx, node);
    if (o->label) small_label(ctx, o->label, qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY));
    float shown = qel_anim_value(ctx, qel_scoped_id(ctx, PROGRESS_SEED), qel_unit_clamp(value));
    progress_payload p = {shown, o->indeterminate, ctx->clock.time, ctx->theme.current.motion_scale,
                          qel_theme_color(ctx, QEL_COLOR_TRACK), qel_theme_color(ctx, QEL_COLOR_PRIMARY)};
    int32_t track = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, bar}, {QEL_SIZE_FIXED, 4});
    qel_node_at(ctx, track)->align_self = QEL_ALIGN_CENTER;
    qel_node_draw_with(ctx, track, qel_status_progress_draw, &p, sizeof p, false);
    qel_node_pop(ctx);
}

void qel_status_progress_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const progress_payload*)user;
    const qel_rect& r = node->rect;
    float radius = r.h * 0.5f;
    float radii[4] = {radius, radius, radius, radius};
    qel_draw_rect(ctx, &r, radii, p->track);
    if (!p->indeterminate) {
        if (p->value <= 0) return;
        qel_rect fill = {r.x, r.y, fmaxf(r.h, p->value * r.w), r.h};
        qel_draw_rect(ctx, &fill, radii, p->fill);
        return;
    }
    float segment = 0.4f * r.w, left = r.x + (r.w - segment) * 0.5f;
    if (p->time_scale > 0) {
        double cycles = 0.75 * p->time / p->time_scale;
        float t = (float)(cycles - floor(cycles));
        left = r.x - segment + (3 - 2 * t) * t * t * (r.w + segment);
        qel_request_redraw(ctx);
    }
    qel_rect moving = {left, r.y, segment, r.h};
    qel_draw_push_clip(ctx, &r);
    qel_draw_rect(ctx, &moving, radii, p->fill);
    qel_draw_pop_clip(ctx);
}
