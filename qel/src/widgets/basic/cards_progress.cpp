// Cards, spinners, progress bars and skeletons: the card node with its hover lift, the bar and
// skeleton nodes with their draw callbacks. The spinner's drawing is the button module's node;
// the motion scale decides whether the sweeps move.
#include "qel/cards_progress.h"

#include <cmath>

#include "core/core.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/button.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/text_units.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

static const float HOVER_SECONDS = 0.14f, LIFT = -2.0f, LIFT_PERIOD = 0.4f;

static bool moving(qel_context* ctx)
{
    return ctx->theme.current.motion_scale > 0.0f;
}

// --- Cards ---

struct card_state {
    float hover;
    float unused;
    float lift[2];  // spring
};

static uint32_t card_id(qel_context* ctx, const char* label)
{
    if (label && label[0]) return qel_id(ctx, label);
    return qel_hash_str("card", (uint32_t)ctx->tree.count * 0x9E3779B1u);
}

static qel_style card_style(qel_context* ctx, const qel_card_opts* o)
{
    qel_style s = {};
    s.direction = o->direction;
    s.width = o->width;
    s.height = o->height;
    s.min_w = o->min_width;
    s.max_w = o->max_width;
    s.padding = o->padding > 0 ? o->padding : 24;
    s.padding_x = o->padding_x;
    s.padding_y = o->padding_y;
    s.gap = o->gap > 0 ? o->gap : 12;
    s.align = o->align;
    s.wrap = o->wrap;
    s.radius = ctx->theme.current.radius_large;
    s.fill = qel_color_token(o->flat ? QEL_COLOR_SUBTLE : QEL_COLOR_SURFACE);
    return s;
}

bool qel_card_begin(qel_context* ctx, const qel_card_opts* options)
{
    const qel_card_opts none = {};
    const qel_card_opts* o = options ? options : &none;
    uint32_t id = 0;
    qel_interaction it = {};
    card_state motion = {};
    bool disabled = qel_is_disabled(ctx);
    if (o->clickable) {
        id = card_id(ctx, o->id);
        it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
        auto* s = qel_state_record_of<card_state>(ctx, id, "card_state");
        qel_anim_exp(ctx, &s->hover, it.hovered ? 1.0f : 0.0f, HOVER_SECONDS);
        qel_anim_spring(ctx, s->lift, it.hovered ? LIFT : 0.0f, LIFT_PERIOD, 0);
        motion = *s;
    }
    int32_t index = qel_node_open(ctx, id);
    qel_style style = card_style(ctx, o);
    qel_node_apply_style(ctx, index, &style);
    qel_node* n = qel_node_at(ctx, index);
    if (!o->flat) {
        n->border_width = 1;
        n->border = o->selected ? qel_theme_color(ctx, QEL_COLOR_ACCENT)
                                : qel_color_mix(qel_theme_color(ctx, QEL_COLOR_BORDER), qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG),
                                                motion.hover);
    }
    if (o->clickable) {
        n->elevation = 2;
        n->elevation_strength = motion.hover;
        n->translate_y = motion.lift[0];
        qel_node_clickable(ctx, index, id, disabled);
        qel_set_last_item(ctx, id);
    }
    qel_node_push(ctx, index);
    return it.clicked != 0;
}

void qel_card_end(qel_context* ctx)
{
    qel_node_pop(ctx);
}

// --- Progress ---

void qel_activity_spinner(qel_context* ctx, float size)
{
    qel_spinner_node(ctx, size > 0 ? size : 20, qel_color_token(QEL_COLOR_TEXT_SECONDARY));
}

static void attach(qel_node* n, qel_draw_fn draw, void* record)
{
    n->draw = draw;
    n->draw_user = record;
}

static int32_t bar_node(qel_context* ctx, qel_size width, float height, uint8_t align_self)
{
    int32_t index = qel_node_sized(ctx, 0, width, {QEL_SIZE_FIXED, height});
    qel_node* n = qel_node_at(ctx, index);
    n->align_self = align_self;
    qel_node_round(n, height * 0.5f);
    return index;
}

static int32_t line_text(qel_context* ctx, const char* text, int32_t length, uint32_t font, qel_theme_slot color)
{
    return qel_text_leaf(ctx, text, length, font, qel_text_body_scaled(ctx), qel_color_token(color), false, 1.3f);
}

// The whole percent of a value as given, kept within int's range.
static int32_t percent_of(float value)
{
    if (!std::isfinite(value)) return 0;
    return (int32_t)fminf(fmaxf(value * 100.0f + 0.5f, -2e9f), 2e9f);
}

// The label and percentage row above a bar.
static void progress_heading(qel_context* ctx, const char* label, bool with_value, float value)
{
    qel_style row = {};
    row.direction = QEL_DIR_ROW;
    qel_container_begin(ctx, &row);
    if (label) line_text(ctx, label, qel_label_visible_len(label), QEL_FONT_MEDIUM, QEL_COLOR_TEXT);
    qel_spacer(ctx);
    if (with_value) {
        int32_t text = line_text(ctx, qel_arena_sprintf(ctx, "%d%%", percent_of(value)), -1, QEL_FONT_BODY,
                                 QEL_COLOR_TEXT_SECONDARY);
        qel_node_at(ctx, text)->flags |= QEL_NODE_TABULAR;
    }
    qel_container_end(ctx);
}

void qel_progress_bar(qel_context* ctx, float value, const qel_progress_opts* options)
{
    const qel_progress_opts none = {};
    const qel_progress_opts* o = options ? options : &none;
    uint32_t id = qel_id(ctx, o->label ? o->label : "progress");
    int32_t position = ctx->tree.count;
    float target = qel_unit_clamp(value);  // NaN gives 0
    float shown = qel_anim_value(ctx, qel_hash_bytes(&position, sizeof position, id), target);
    float height = o->height > 0 ? o->height : 6;
    bool with_value = !o->indeterminate && o->show_value;
    bool given_width = o->width.kind != QEL_SIZE_FIT;
    qel_size width = given_width ? o->width : qel_size{QEL_SIZE_GROW, 1};

    auto* record = (qel_progress_record*)qel_arena_alloc(ctx, sizeof(qel_progress_record));
    *record = {shown, o->indeterminate, qel_color_token(QEL_COLOR_TRACK),
               o->kind ? qel_color_semantic(ctx, o->kind) : qel_color_token(QEL_COLOR_PRIMARY), ctx->clock.time};
    if (!o->label && !with_value) {
        int32_t bar = bar_node(ctx, width, height, given_width ? QEL_ALIGN_OWN_SIZE : QEL_ALIGN_STRETCH);
        attach(qel_node_at(ctx, bar), qel_progress_draw, record);
        return;
    }
    qel_style column = {};
    column.direction = QEL_DIR_COLUMN;
    column.width = width;
    column.gap = 8;
    qel_container_begin(ctx, &column);
    progress_heading(ctx, o->label, with_value, value);
    int32_t bar = bar_node(ctx, {QEL_SIZE_GROW, 1}, height, QEL_ALIGN_STRETCH);
    attach(qel_node_at(ctx, bar), qel_progress_draw, record);
    qel_container_end(ctx);
}

// Where the sweeping segment's left edge is along a bar at the frame's time: an eased pass from
// just outside the start to just past the end; with motion off it rests in the middle.
static float sweep_x(qel_context* ctx, const qel_rect& r, float segment, double time)
{
    float p = moving(ctx) ? (float)(0.75 * time - floor(0.75 * time)) : 0.5f;
    float s = (3.0f - 2.0f * p) * p * p;
    return r.x - segment + s * (r.w + segment);
}

void qel_progress_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const qel_progress_record*)user;
    const qel_rect& r = node->rect;
    float radii[4] = {r.h * 0.5f, r.h * 0.5f, r.h * 0.5f, r.h * 0.5f};
    qel_draw_rect(ctx, &r, radii, p->track);
    if (!p->indeterminate) {
        if (!(p->value > 0.0f)) return;
        float w = fmaxf(r.h, fminf(p->value, 1.0f) * r.w);
        qel_rect fill = {node->rtl ? r.x + r.w - w : r.x, r.y, w, r.h};
        qel_draw_rect(ctx, &fill, radii, p->fill);
        return;
    }
    float ws = 0.35f * r.w, x = sweep_x(ctx, r, ws, p->time);
    if (node->rtl) x = r.x + r.w - (x - r.x) - ws;
    qel_rect segment = {x, r.y, ws, r.h};
    qel_draw_push_clip(ctx, &r);
    qel_draw_rect(ctx, &segment, radii, p->fill);
    qel_draw_pop_clip(ctx);
    if (moving(ctx)) qel_request_redraw(ctx);
}

// --- Skeletons ---

void qel_skeleton(qel_context* ctx, qel_size width, float height)
{
    float h = height > 0 ? height : 14;
    bool own = width.kind == QEL_SIZE_FIXED || width.kind == QEL_SIZE_PERCENT;
    int32_t index = bar_node(ctx, width.kind == QEL_SIZE_FIT ? qel_size{QEL_SIZE_GROW, 1} : width, h,
                             own ? QEL_ALIGN_OWN_SIZE : QEL_ALIGN_AUTO);
    qel_node* n = qel_node_at(ctx, index);
    qel_node_round(n, fminf(h * 0.5f, 8.0f));
    bool dark = qel_dark_mode(ctx);
    auto* record = (qel_skeleton_record*)qel_arena_alloc(ctx, sizeof(qel_skeleton_record));
    *record = {ctx->clock.time, qel_color_token(QEL_COLOR_ACTIVE),
               qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_TEXT), dark ? 0.06f : 0.05f)};
    attach(n, qel_skeleton_draw, record);
}

void qel_skeleton_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* s = (const qel_skeleton_record*)user;
    const qel_rect& r = node->rect;
    qel_draw_rect(ctx, &r, node->radii, s->base);
    if (!moving(ctx)) return;
    float p = (float)(s->time / 1.6 - floor(s->time / 1.6));
    float bw = fmaxf(80.0f, 0.4f * r.w), x = r.x - bw + p * (r.w + 2 * bw);
    qel_color clear = qel_color_alpha(s->highlight, 0.0f);
    // A band fading in from its left edge to full at its middle and out again to its right edge.
    const qel_triangle_vertex band[6] = {
        {x, r.y, clear},         {x + bw * 0.5f, r.y, s->highlight},         {x + bw, r.y, clear},
        {x, r.y + r.h, clear}, {x + bw * 0.5f, r.y + r.h, s->highlight}, {x + bw, r.y + r.h, clear},
    };
    static const uint32_t INDICES[12] = {0, 1, 4, 0, 4, 3, 1, 2, 5, 1, 5, 4};
    qel_draw_push_clip(ctx, &r);
    qel_draw_triangles(ctx, band, 6, INDICES, 12);
    qel_draw_pop_clip(ctx);
    qel_request_redraw(ctx);
}
