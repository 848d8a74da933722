// Banners, countdowns and onboarding checklists: their nodes, the per-id motion (visibility,
// digit rolls, step springs) and the frame requests that keep a countdown on the second.
#include "qel/notices.h"

#include <cmath>

#include "core.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/color.h"
#include "qel/font.h"
#include "qel/frame.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/theme.h"
#include "widget_nodes.h"

static const float ROLL_SECONDS = 0.3f;
static const char* const UNIT_CAPTIONS[4] = {"Days", "Hours", "Minutes", "Seconds"};

// --- Countdown ---

struct digit_state {
    int32_t current, previous;
    float progress;  // of the roll, 0..1
    uint8_t started;
};

struct countdown_look {
    float box_w, box_h, digits, gap, radius;
};

// The time left as seconds in 0..INT32_MAX: NaN and negatives are 0, the rest saturates.
static double seconds_left(double seconds)
{
    if (!(seconds > 0)) return 0;
    return fmin(seconds, 2147483647.0);
}

static countdown_look countdown_size(qel_context* ctx, uint32_t id, int32_t n, bool compact)
{
    float ui = ctx->theme.current.ui_scale;
    if (compact) return {44, 44, 20 * ui, 6, 8};
    countdown_look look = {68, 72, 32 * ui, 12, 12};
    float w = qel_id_rect(ctx, id).w;
    if (w <= 0 || n * 68.0f + (n - 1) * 12.0f <= w) return look;
    float b = floorf((w - (n - 1) * 8.0f) / n);
    look.gap = 8;
    if (b >= 68) return look;
    float k = fmaxf(b, 52.0f) / 68.0f;
    return {truncf(68 * k), truncf(72 * k), truncf(32 * k) * ui, 8, 12};
}

static void digit_text(qel_context* ctx, int32_t value, const countdown_look& look, float shift, float opacity)
{
    int32_t leaf = qel_text_leaf(ctx, qel_arena_sprintf(ctx, "%02d", value), -1, QEL_FONT_HEADING, look.digits,
                                 qel_color_token(QEL_COLOR_TEXT), false, 1);
    qel_node* n = qel_node_at(ctx, leaf);
    n->flags |= QEL_NODE_TABULAR;
    n->translate_y = shift;
    n->opacity = opacity;
}

static void digit_box(qel_context* ctx, uint32_t id, int32_t unit, int32_t value, const countdown_look& look)
{
    auto* d = (digit_state*)qel_state_get(ctx, qel_hash_bytes(&unit, sizeof unit, id), sizeof(digit_state));
    if (!d->started) {
        *d = {value, value, 1, 1};
    } else if (d->current != value) {
        d->previous = d->current, d->current = value, d->progress = 0;
    }
    float p = qel_anim_exp(ctx, &d->progress, 1, ROLL_SECONDS);
    qel_style s = {};
    s.direction = QEL_DIR_STACK;
    s.width = {QEL_SIZE_FIXED, look.box_w};
    s.height = {QEL_SIZE_FIXED, look.box_h};
    s.align = QEL_ALIGN_CENTER;
    s.justify = QEL_JUSTIFY_CENTER;
    s.fill = qel_color_token(QEL_COLOR_SURFACE);
    s.border = qel_color_token(QEL_COLOR_BORDER);
    s.border_width = 1;
    s.clip = 1;
    s.radius = look.radius;
    qel_container_begin(ctx, &s);
    if (p < 1) digit_text(ctx, d->previous, look, -0.6f * look.box_h * p, fmaxf(1 - p, 0.001f));
    digit_text(ctx, d->current, look, p < 1 ? 0.6f * look.box_h * (1 - p) : 0, p < 1 ? fmaxf(p, 0.001f) : 1);
    qel_container_end(ctx);
}

void qel_countdown(qel_context* ctx, const char* label, double seconds, const qel_countdown_options* options)
{
    const qel_countdown_options none = {};
    const qel_countdown_options* o = options ? options : &none;
    const qel_theme* th = &ctx->theme.current;
    double x = seconds_left(seconds);
    auto s = (int32_t)x;
    int32_t values[4] = {s / 86400, (s / 3600) % 24, (s / 60) % 60, s % 60};
    int32_t first = o->no_days ? 1 : 0;
    if (o->no_days) values[1] = s / 3600;
    int32_t n = 4 - first;
    uint32_t id = qel_id(ctx, label);
    countdown_look look = countdown_size(ctx, id, n, o->compact);

    int32_t row = qel_node_open(ctx, id);
    qel_node* r = qel_node_at(ctx, row);
    r->direction = QEL_DIR_ROW;
    r->align = QEL_ALIGN_START;
    r->gap = look.gap;
    r->align_self = QEL_ALIGN_OWN_SIZE;
    if (r->direction_mode == 0) r->direction_mode = 1;  // digits keep their order in every direction
    if (!o->compact) {
        r->flags |= QEL_NODE_MIN_FLOOR;
        r->min_w = n * 52.0f + (n - 1) * 8.0f;
    }
    qel_node_push(ctx, row);
    for (int32_t u = first; u < 4; u++) {
        if (o->compact && u > first)
            qel_text_leaf(ctx, ":", -1, QEL_FONT_HEADING, look.digits, qel_color_token(QEL_COLOR_TEXT_MUTED), false,
                          look.box_h / look.digits);
        qel_style column = {};
        column.align = QEL_ALIGN_CENTER;
        column.gap = 8;
        qel_column_begin(ctx, &column);
        digit_box(ctx, id, u, values[u], look);
        if (!o->compact)
            qel_text_leaf(ctx, UNIT_CAPTIONS[u], -1, QEL_FONT_MEDIUM, th->text_xs * th->ui_scale,
                          qel_color_token(QEL_COLOR_TEXT_MUTED), false, 1.2f);
        qel_container_end(ctx);
    }
    qel_node_pop(ctx);
    if (x > 0) {
        double fraction = x - floor(x);
        qel_request_redraw_in(ctx, fraction > 0.001 ? (float)(fraction + 0.005) : 1.005f);
    }
    qel_set_last_item(ctx, id);
}
