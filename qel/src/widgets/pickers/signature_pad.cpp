// The signature pad: the pad's own point, width and stroke arrays in its state (freed by its
// destructor), the pointer recorded in pad units with speed-dependent widths, and the strokes
// drawn scaled about the baseline when the pad narrows. The Clear button is button.h's.
#include "qel/signature_pad.h"

#include <cmath>

#include "core/array_grow.h"
#include "core/core.h"
#include "widgets/pickers/picker_nodes.h"
#include "qel/arena.h"
#include "qel/button.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

static const uint32_t CANVAS_KEY = 0x5161u;
static const float BASELINE = 0.72f;
static const float PAD_HEIGHT = 180.0f;
static const float FIRST_WIDTH = 2.6f, STILL_WIDTH = 2.74f, MIN_WIDTH = 1.1f, MAX_WIDTH = 3.4f;
static const float MIN_MOVE = 1.5f, SPEED_THINNING = 0.0022f, WIDTH_EASING = 0.35f;
static const int32_t FIRST_POINTS = 512, FIRST_STROKES = 32;
static const char CROSS_GLYPH[] = QEL_ICON_X;
static const char CLEAR_GLYPH[] = QEL_ICON_ROTATE_CCW;

struct signature_state {
    qel_vec2* points;
    int32_t point_count, capacity;
    float* widths;  // one per point
    int32_t* starts;  // first point of the second, third ... stroke
    int32_t start_count, start_capacity;
    uint8_t drawing;
    double last_time;
    float reference_width;  // the pad's width when its first point was recorded
};

struct signature_payload {
    const qel_vec2* points;
    const float* widths;
    const int32_t* starts;
    int32_t start_count, point_count;
    qel_color ink, baseline, muted;
    const char* placeholder;
    uint8_t empty;
    float reference_width, placeholder_size;
};

static void signature_free(qel_context* ctx, void* blob)
{
    auto* s = (signature_state*)blob;
    qel_mem_free(ctx, s->points);
    qel_mem_free(ctx, s->widths);
    qel_mem_free(ctx, s->starts);
}

static signature_state* state_of(qel_context* ctx, uint32_t id)
{
    auto* s = qel_state_record_of<signature_state>(ctx, id, "signature_state");
    qel_state_set_destructor(ctx, id, signature_free);
    return s;
}

// Adds a point; false when the pad is full.
static bool add_point(qel_context* ctx, signature_state* s, qel_vec2 p, float width)
{
    if (s->point_count >= QEL_SIGNATURE_MAX_POINTS) return false;
    int32_t capacity = s->capacity;  // the two arrays share one capacity
    s->points = qel_array_grow(ctx, s->points, &capacity, s->point_count + 1ll, FIRST_POINTS);
    s->widths = qel_array_grow(ctx, s->widths, &s->capacity, s->point_count + 1ll, FIRST_POINTS);
    s->points[s->point_count] = p;
    s->widths[s->point_count++] = width;
    return true;
}

static void add_stroke_start(qel_context* ctx, signature_state* s)
{
    s->starts = qel_array_grow(ctx, s->starts, &s->start_capacity, s->start_count + 1ll, FIRST_STROKES);
    s->starts[s->start_count++] = s->point_count;
}

// How much the drawing shrinks to fit a pad narrower than when it was begun; never enlarged.
static float drawing_scale(int32_t point_count, float reference_width, float width)
{
    if (point_count > 0 && reference_width > 0 && width > 0 && width < reference_width)
        return width / reference_width;
    return 1.0f;
}

static float distance(qel_vec2 a, qel_vec2 b)
{
    return hypotf(b.x - a.x, b.y - a.y);
}

// Records the pointer: a press starts a stroke, moves of more than 1.5 units add points whose
// width follows the speed.
static bool record(qel_context* ctx, signature_state* s, const qel_interaction& it, qel_rect r)
{
    if (s->point_count == 0) s->reference_width = r.w;
    float scale = drawing_scale(s->point_count, s->reference_width, r.w);
    qel_vec2 m = qel_mouse_pos(ctx);
    float base = BASELINE * r.h;
    qel_vec2 p = {(m.x - r.x) / scale, (m.y - r.y - base) / scale + base};
    double now = qel_ctx_time(ctx);
    if (it.hovered && qel_mouse_pressed(ctx, 0) && r.w > 0) {
        s->drawing = 1;
        s->last_time = now;
        // A full pad starts no stroke: it would be an empty one.
        if (s->point_count >= QEL_SIGNATURE_MAX_POINTS) return false;
        if (s->point_count > 0) add_stroke_start(ctx, s);
        return add_point(ctx, s, p, FIRST_WIDTH);
    }
    if (!qel_mouse_down(ctx, 0)) {
        s->drawing = 0;
        return false;
    }
    if (!s->drawing || s->point_count == 0) return false;
    float moved = distance(s->points[s->point_count - 1], p);
    if (!(moved > MIN_MOVE)) return false;
    float dt = (float)(now - s->last_time);
    float target = dt > 0.0005f ? fmaxf(MIN_WIDTH, MAX_WIDTH - moved / dt * SPEED_THINNING) : STILL_WIDTH;
    float previous = s->widths[s->point_count - 1];
    if (!add_point(ctx, s, p, previous + (target - previous) * WIDTH_EASING)) return false;
    s->last_time = now;
    return true;
}

static void stroke_draw(qel_context* ctx, const signature_payload* p, qel_rect r, int32_t from, int32_t to,
                        float scale, float width_scale)
{
    float base = r.y + BASELINE * r.h;
    auto at = [&](int32_t i) {
        return qel_vec2{r.x + p->points[i].x * scale, (p->points[i].y - BASELINE * r.h) * scale + base};
    };
    if (to - from == 1) {
        qel_draw_circle(ctx, at(from), p->widths[from] * width_scale * 0.5f, p->ink);
        return;
    }
    for (int32_t i = from + 1; i < to; i++) {
        float w = (p->widths[i - 1] + p->widths[i]) * 0.5f * width_scale;
        qel_draw_line(ctx, at(i - 1), at(i), w, p->ink);
        qel_draw_circle(ctx, at(i), w * 0.5f, p->ink);
    }
}

static void signature_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const signature_payload*)user;
    const qel_rect& r = node->rect;
    float base = r.y + BASELINE * r.h;
    qel_draw_line(ctx, {r.x + 24, base}, {r.x + r.w - 24, base}, 1, p->baseline);
    qel_rect cross = {r.x + 24, base - 22, 16, 16};
    qel_draw_text_in_rect(ctx, CROSS_GLYPH, &cross, 13, p->muted);
    if (p->empty) {
        float w = qel_text_width(ctx, QEL_FONT_BODY, p->placeholder_size, p->placeholder, -1, 0);
        qel_draw_text(ctx, QEL_FONT_BODY, p->placeholder_size, r.x + (r.w - w) * 0.5f, base - 36, p->muted,
                      p->placeholder, -1, 0);
    }
    qel_draw_push_clip(ctx, &r);
    float scale = drawing_scale(p->point_count, p->reference_width, r.w);
    float width_scale = scale > 0.5f ? scale : 0.5f;
    for (int32_t k = 0, from = 0; k <= p->start_count; k++) {
        int32_t to = k < p->start_count ? p->starts[k] : p->point_count;
        if (to > from) stroke_draw(ctx, p, r, from, to, scale, width_scale);
        from = to;
    }
    qel_draw_pop_clip(ctx);
}

int32_t qel_signature_pad(qel_context* ctx, const char* label, const qel_signature_options* options)
{
    const qel_signature_options none = {};
    const qel_signature_options* o = options ? options : &none;
    uint32_t id = qel_id(ctx, label), canvas = id ^ CANVAS_KEY;
    signature_state* s = state_of(ctx, id);
    qel_interaction it = qel_interact(ctx, canvas, QEL_INTERACT_HOLD_OUTSIDE);
    bool changed = record(ctx, s, it, qel_id_rect(ctx, canvas));

    int32_t pad = qel_node_sized(ctx, id, o->width.kind ? o->width : qel_size{QEL_SIZE_GROW, 1},
                                 {QEL_SIZE_FIXED, o->height > 0 ? fminf(o->height, 1e6f) : PAD_HEIGHT});
    qel_node* n = qel_node_at(ctx, pad);
    n->direction = QEL_DIR_STACK;
    n->fill = qel_theme_color(ctx, QEL_COLOR_SURFACE);
    n->border_width = 1;
    n->border = qel_theme_color(ctx, it.hovered || s->drawing ? QEL_COLOR_BORDER_STRONG : QEL_COLOR_BORDER);
    qel_node_round(n, ctx->theme.current.radius_small - 2);
    n->flags |= QEL_NODE_CLIP;
    qel_node_push(ctx, pad);

    int32_t leaf = qel_node_sized(ctx, canvas, {QEL_SIZE_GROW, 1}, {QEL_SIZE_GROW, 1});
    qel_node_mark_interactive(ctx, leaf, 0);
    if (it.hovered) qel_set_cursor(ctx, QEL_CURSOR_ARROW);
    signature_payload p = {s->points,
                           s->widths,
                           s->starts,
                           s->start_count,
                           s->point_count,
                           qel_color_arg(o->ink, qel_color_token(QEL_COLOR_TEXT)),
                           qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG),
                           qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED),
                           qel_arena_strdup(ctx, o->placeholder ? o->placeholder : "Sign here", -1),
                           s->point_count == 0,
                           s->reference_width,
                           qel_text_body_scaled(ctx)};
    qel_node_draw_with(ctx, leaf, signature_draw, &p, sizeof p, false);

    if (s->point_count > 0) {
        qel_style row = {};
        row.width = {QEL_SIZE_GROW, 1};
        row.justify = QEL_JUSTIFY_END;
        row.padding_top = row.padding_right = 8;
        qel_row_begin(ctx, &row);
        qel_push_id(ctx, label);
        qel_button_opts clear = {};
        clear.variant = QEL_BUTTON_GHOST;
        clear.size = 1;
        clear.leading_icon = CLEAR_GLYPH;
        if (qel_button(ctx, "Clear", &clear)) {
            s->point_count = s->start_count = 0;
            changed = true;
        }
        qel_pop_id(ctx);
        qel_container_end(ctx);
    }
    qel_node_pop(ctx);
    qel_set_last_item(ctx, id);
    return changed ? 1 : 0;
}

int32_t qel_signature_strokes(qel_context* ctx, const char* label, const float** points, const int32_t** stroke_ends,
                              int32_t* stroke_count)
{
    auto* s = (signature_state*)qel_state_find(ctx, qel_id(ctx, label), sizeof(signature_state), false);
    int32_t count = s ? s->point_count : 0, strokes = count > 0 ? s->start_count + 1 : 0;
    if (points) *points = s && s->points ? &s->points[0].x : nullptr;
    if (stroke_count) *stroke_count = strokes;
    if (stroke_ends) {
        auto* ends = (int32_t*)qel_arena_alloc(ctx, (size_t)strokes * sizeof(int32_t));
        for (int32_t k = 0; k + 1 < strokes; k++) ends[k] = s->starts[k];
        if (strokes > 0) ends[strokes - 1] = count;
        *stroke_ends = ends;
    }
    return count;
}

void qel_signature_clear(qel_context* ctx, const char* label)
{
    auto* s = (signature_state*)qel_state_find(ctx, qel_id(ctx, label), sizeof(signature_state), false);
    if (s) s->point_count = s->start_count = 0;
}
