// The timeline's painting: ruler, row bands, ticks, work range, clips, playhead, key marks, box,
// header and scrollbar from the display lists of the call. Drawing reads only the payload, so the
// picture is what the frame's call decided.
#include <algorithm>
#include <cmath>

#include "core/core.h"
#include "widgets/editors/timeline_paint.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/icons.h"
#include "qel/layout.h"
#include "qel/text.h"

static const float RULER = 28, HIDDEN_ALPHA = 0.45f, MIN_TICK_GAP = 44;
static const int32_t MAX_TICKS = 400, MAX_MINOR = 2000;

// What painting works with: the payload and the geometry of this frame's rectangle.
struct tl_canvas {
    const timeline_paint* p;
    qel_timeline_layout L;
    float pps, bottom, label_size;
    // Per colour slot, mixed once a frame: clip fill, clip border and the hovered key's colour.
    qel_color clip_fill[6], clip_border[6], key_hot[6];
};

static void mix_slots(tl_canvas* c)
{
    const timeline_paint* p = c->p;
    for (int32_t i = 0; i < 6; i++) {
        c->clip_fill[i] = qel_color_mix(p->surface, p->chart[i], p->dark ? 0.32f : 0.2f);
        c->clip_border[i] = qel_color_mix(p->surface, p->chart[i], 0.6f);
        c->key_hot[i] = qel_color_mix(p->chart[i], p->text, 0.35f);
    }
}

static float x_of(const tl_canvas* c, double t)
{
    return (float)((t - c->p->view_start) * c->pps) + c->L.content_x;
}

static float row_top(const tl_canvas* c, int32_t visible)
{
    return c->L.rows_top + (float)visible * c->p->row_h - c->p->scroll;
}

// A band across the widget that takes the rounded bottom corners where it reaches them.
static void qel_timeline_fill_band(const tl_canvas* c, qel_context* ctx, qel_rect r, qel_color color)
{
    float radius = c->p->radius, radii[4] = {0, 0, 0, 0};
    if (r.y + r.h > c->bottom - radius) {
        float corner = std::max(0.0f, radius - 1);
        if (r.x <= c->L.x + 1) radii[3] = corner;
        if (r.x + r.w >= c->L.x + c->L.w - 1) radii[2] = corner;
    }
    qel_draw_rect(ctx, &r, radii, color);
}

// A vertical line down through the rows, kept off the rounded bottom corners.
static void qel_timeline_grid_line(const tl_canvas* c, qel_context* ctx, float x, float width, qel_color color)
{
    float bottom = c->bottom;
    float radius = c->p->radius;
    float from_edge = std::min(x - c->L.x, c->L.x + c->L.w - x);
    if (from_edge < radius) bottom -= radius - from_edge;
    qel_rect r = {x - width / 2, c->L.rows_top - 1, width, std::max(0.0f, bottom - (c->L.rows_top - 1))};
    qel_draw_rect(ctx, &r, nullptr, color);
}

// A key mark of one shape and size worked out once a frame: each mark is its vertices moved to
// the mark's centre, the very vertices the shape and triangle calls would write, without the way
// there, which cost most of a zoomed-out frame's drawing.
struct tl_stamp {
    qel_vertex v[4];  // positions hold the corners' offsets from the centre, in framebuffer pixels
    float ex, ey;     // half extents of what it may touch
};

// The transform marks are drawn under, mapping logical points to framebuffer pixels.
struct tl_mapping {
    float map, offset_x, offset_y, alpha;
};

static tl_mapping qel_timeline_mapping(qel_context* ctx)
{
    const qel_transform& t = *qel_draw_top_transform(ctx);
    return {ctx->clock.scale * t.scale, t.offset_x, t.offset_y, t.alpha};
}

// A diamond (0), circle (1) or rounded square (2) of half size s.
static tl_stamp qel_timeline_stamp(qel_context* ctx, uint8_t shape, float s)
{
    tl_stamp st = {};
    const float map = qel_timeline_mapping(ctx).map, sx[4] = {-1, 1, 1, -1}, sy[4] = {-1, -1, 1, 1};
    if (shape != 1 && shape != 2) {
        // Solid triangles: top, right, bottom and left corners.
        const float dx[4] = {0, 1, 0, -1}, dy[4] = {-1, 0, 1, 0};
        st.ex = st.ey = s * map;
        for (int i = 0; i < 4; i++) {
            st.v[i].kind = QEL_SHAPE_SOLID;
            st.v[i].pos[0] = dx[i] * st.ex;
            st.v[i].pos[1] = dy[i] * st.ey;
        }
        return st;
    }
    float size = 2 * 0.9f * s, corner = 0.9f * s;
    if (shape == 2) size = 1.68f * s, corner = std::min(0.336f * s, 1.5f);
    const float t_scale = qel_draw_top_transform(ctx)->scale;
    float h = size * 0.5f * map, pad = 1.0f * t_scale;
    if (!(pad >= 1.0f)) pad = 1.0f;
    st.ex = st.ey = h + pad;
    float r = qel_finite_or_zero(corner * map);
    if (!(r < h)) r = h;
    for (int i = 0; i < 4; i++)
        st.v[i] = {{sx[i] * st.ex, sy[i] * st.ey}, {0, 0}, {sx[i] * st.ex, sy[i] * st.ey}, {h, h}, {r, r, r, r},
                   0, (float)QEL_SHAPE_ROUNDED_BOX, 0, 0};
    return st;
}

// Marks written straight into one reservation of the draw list; what culling leaves unused is
// given back at the end.
struct tl_stamp_run {
    qel_context* ctx;
    qel_vertex* v;
    uint32_t first, quads, room;
    uint32_t* idx;
    float clip_x0, clip_y0, clip_x1, clip_y1;
};

static tl_stamp_run qel_timeline_stamp_begin(qel_context* ctx, uint32_t room)
{
    const qel_rect k = *qel_draw_top_clip(ctx);
    tl_stamp_run run = {ctx, nullptr, 0, 0, room, nullptr, k.x, k.y, k.x + k.w, k.y + k.h};
    if (!(k.w > 0 && k.h > 0)) run.clip_x1 = run.clip_x0 - 1;  // an empty clip culls every mark
    ctx->draw.texture = 0;
    run.v = qel_draw_reserve_whole(ctx, (int32_t)(4 * room), (int32_t)(6 * room), &run.first);
    run.idx = &ctx->draw.indices[ctx->draw.index_count];
    return run;
}

static void qel_timeline_stamp_end(tl_stamp_run* run)
{
    run->ctx->draw.index_count += 6 * run->quads;
    qel_draw_take_back(run->ctx, run->first + 4 * run->quads, 6 * (run->room - run->quads));
}

// The stamp at a framebuffer centre the caller kept to the clip, in a colour already faded.
static inline void qel_timeline_stamp_at(tl_stamp_run* run, const tl_stamp& st, float cx, float cy, qel_color c)
{
    qel_vertex* v = &run->v[4 * run->quads];
    for (int i = 0; i < 4; i++) {
        const qel_vertex& s = st.v[i];
        v[i] = {{cx + s.pos[0], cy + s.pos[1]}, {s.uv[0], s.uv[1]}, {s.local[0], s.local[1]}, {s.half[0], s.half[1]},
                {s.radii[0], s.radii[1], s.radii[2], s.radii[3]}, s.param, s.kind, c, c};
    }
    uint32_t b = run->first + 4 * run->quads, *idx = &run->idx[6 * run->quads];
    idx[0] = b, idx[1] = b + 1, idx[2] = b + 2, idx[3] = b, idx[4] = b + 2, idx[5] = b + 3;
    run->quads++;
}

// --- Ruler ---

static double tick_step(qel_context* ctx, const tl_canvas* c)
{
    const timeline_paint* p = c->p;
    double steps[64];
    int32_t n = 0;
    if (p->format == QEL_TIMELINE_SECONDS) {
        for (double decade = 0.001; decade < 1e6 && n < 60; decade *= 10)
            for (double m : {1.0, 2.0, 5.0}) steps[n++] = decade * m;
    } else if (p->format == QEL_TIMELINE_TIMECODE) {
        double whole = std::max(1.0, std::floor(p->fps + 0.5));
        for (double fr : {1.0, 2.0, 5.0, 10.0})
            if (fr < whole) steps[n++] = fr / p->fps;
        for (double sec : {1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200, 18000, 36000})
            steps[n++] = sec * whole / p->fps;
    } else {
        for (double decade = 1; decade < 1e8 && n < 60; decade *= 10)
            for (double m : {1.0, 2.0, 5.0}) steps[n++] = decade * m / p->fps;
    }
    float end_width = 0;
    if (p->format != QEL_TIMELINE_SECONDS) {
        const char* end = qel_timeline_tick_text(ctx, p->range_end, p->fps, p->format, p->range_end, steps[0]);
        end_width = qel_text_width(ctx, QEL_FONT_BODY, c->label_size, end, -1, 1);
    }
    for (int32_t i = 0; i < n; i++) {
        float width = end_width;
        if (p->format == QEL_TIMELINE_SECONDS) {
            const char* end = qel_timeline_tick_text(ctx, p->range_end, p->fps, p->format, p->range_end, steps[i]);
            width = qel_text_width(ctx, QEL_FONT_BODY, c->label_size, end, -1, 1);
        }
        if (steps[i] * c->pps >= std::max(MIN_TICK_GAP, width + 14)) return steps[i];
    }
    return steps[n - 1];
}

static void minor_ticks(qel_context* ctx, const tl_canvas* c, double step)
{
    const timeline_paint* p = c->p;
    double minor = 0, frame = 1.0 / p->fps;
    if (p->format != QEL_TIMELINE_SECONDS && frame * c->pps >= 6) minor = frame;
    else if (step / 5 * c->pps >= 8) minor = step / 5;
    else if (step / 2 * c->pps >= 8) minor = step / 2;
    if (minor <= 0) return;
    double first = std::ceil(p->view_start / minor - 1e-6), last = std::floor(p->view_end / minor + 1e-6);
    for (double i = first, drawn = 0; i <= last && drawn < MAX_MINOR; i++, drawn++) {
        qel_rect r = {x_of(c, i * minor), c->L.y + RULER - 3, 1, 3};
        qel_draw_rect(ctx, &r, nullptr, p->border);
    }
}

static void ticks(qel_context* ctx, const tl_canvas* c)
{
    const timeline_paint* p = c->p;
    double step = tick_step(ctx, c);
    minor_ticks(ctx, c, step);
    double first = std::ceil(p->view_start / step - 1e-6), last = std::floor(p->view_end / step + 1e-6);
    float lane_right = c->L.lane_x + c->L.lane_w;
    for (double i = first, drawn = 0; i <= last && drawn < MAX_TICKS; i++, drawn++) {
        double t = i * step;
        float x = x_of(c, t);
        qel_timeline_grid_line(c, ctx, x, 1, p->border_subtle);
        qel_rect mark = {x, c->L.y + RULER - 6, 1, 6};
        qel_draw_rect(ctx, &mark, nullptr, p->border_strong);
        const char* text = qel_timeline_tick_text(ctx, p->range_end, p->fps, p->format, t, step);
        float w = qel_text_width(ctx, QEL_FONT_BODY, c->label_size, text, -1, 1);
        if (x + 4 + w < lane_right) qel_draw_text(ctx, QEL_FONT_BODY, c->label_size, x + 4, c->L.y + 6, p->secondary, text, -1, 1);
    }
}

static void work_markers(qel_context* ctx, const tl_canvas* c)
{
    const timeline_paint* p = c->p;
    float values[2] = {p->work_in, p->work_out};
    uint8_t hot[2] = {p->in_hot, p->out_hot};
    for (int i = 0; i < 2; i++) {
        float x = x_of(c, values[i]);
        qel_color color = hot[i] ? p->text : p->secondary;
        qel_draw_line(ctx, {x, c->L.y + 4}, {x, c->L.y + RULER}, 1.5f, color);
        // A small flag pointing into the range.
        float dir = i == 0 ? 1.0f : -1.0f;
        qel_triangle_vertex v[3] = {{x, c->L.y + 4, color}, {x + 6 * dir, c->L.y + 7, color}, {x, c->L.y + 10, color}};
        uint32_t idx[3] = {0, 1, 2};
        qel_draw_triangles(ctx, v, 3, idx, 3);
    }
}

static void work_shade(qel_context* ctx, const tl_canvas* c)
{
    const timeline_paint* p = c->p;
    qel_color shade = qel_color_alpha(p->text, p->dark ? 0.08f : 0.05f);
    float lane_right = c->L.lane_x + c->L.lane_w;
    float a = std::clamp(x_of(c, p->work_in), c->L.lane_x, lane_right);
    float b = std::clamp(x_of(c, p->work_out), c->L.lane_x, lane_right);
    qel_rect left = {c->L.lane_x, c->L.rows_top, a - c->L.lane_x, c->bottom - c->L.rows_top};
    qel_rect right = {b, c->L.rows_top, lane_right - b, c->bottom - c->L.rows_top};
    if (left.w > 0) qel_timeline_fill_band(c, ctx, left, shade);
    if (right.w > 0) qel_timeline_fill_band(c, ctx, right, shade);
}

// --- Rows and clips ---

static void row_bands(qel_context* ctx, const tl_canvas* c)
{
    const timeline_paint* p = c->p;
    for (int32_t i = 0; i < p->row_count; i++) {
        const timeline_row& r = p->rows[i];
        float top = row_top(c, r.visible);
        qel_rect band = {c->L.x, top, c->L.w, p->row_h};
        if (r.flags & TL_ROW_PARENT) qel_timeline_fill_band(c, ctx, band, qel_color_alpha(p->subtle, 0.7f));
        if (r.flags & TL_ROW_CURRENT) qel_timeline_fill_band(c, ctx, band, p->accent_tint);
        if (r.flags & TL_ROW_HOVERED) {
            qel_rect head = {c->L.x, top, c->L.header, p->row_h};
            qel_timeline_fill_band(c, ctx, head, p->hover);
        }
        qel_rect line = {c->L.x, top + p->row_h - 1, c->L.w, 1};
        qel_draw_rect(ctx, &line, nullptr, p->border_subtle);
    }
}

static void clip_draw(qel_context* ctx, const tl_canvas* c, const timeline_clip_mark& m)
{
    const timeline_paint* p = c->p;
    float lane_right = c->L.lane_x + c->L.lane_w;
    float x0 = std::max(x_of(c, m.start), c->L.lane_x - 8), x1 = std::min(x_of(c, m.end), lane_right - 6);
    qel_rect r = {x0, row_top(c, m.row) + 3, std::max(1.0f, x1 - x0), p->row_h - 7};
    qel_color fill = c->clip_fill[m.color % 6];
    if (m.flags & TL_CLIP_HIDDEN) fill = qel_color_alpha(fill, HIDDEN_ALPHA);
    float radius = std::min(6.0f, std::min(r.w, r.h) / 2), radii[4] = {radius, radius, radius, radius};
    bool selected = m.flags & TL_CLIP_SELECTED;
    qel_color border = selected ? p->playhead_color : c->clip_border[m.color % 6];
    qel_draw_rect_bordered(ctx, &r, radii, fill, border, selected ? 1.5f : 1);
    if (r.w > 8 && (m.flags & (TL_CLIP_HOVER_START | TL_CLIP_HOVER_END))) {
        float gx = m.flags & TL_CLIP_HOVER_START ? r.x + 2.5f : r.x + r.w - 4.5f;
        qel_rect grip = {gx, r.y + r.h / 4, 2, r.h / 2};
        qel_draw_rect(ctx, &grip, nullptr, border);
    }
    float room = r.w - 16;
    if (m.label && room >= 20) {
        qel_color text = qel_color_contrast(p->text, fill, 4.5f);
        float y = r.y + (r.h - c->label_size * 1.3f) / 2;
        qel_draw_text_ellipsis(ctx, QEL_FONT_BODY, c->label_size, r.x + 8, y, room, text, m.label, -1, 0);
    }
}

// Each mark's stamps: halo and key of a plain and of a selected key per shape.
struct tl_mark_stamps {
    tl_stamp summary, dot, halo[3], key[3], selected_halo[3], selected_key[3];
};

// The colours marks take, resolved once a frame; [hidden] fades a hidden track's marks.
struct tl_mark_colors {
    qel_color summary[6], surface[2], selected[2], key[6][2][2];  // key: [slot][hot][hidden]
};

// Resolved and faded by the transform's alpha.
static qel_color mark_color(qel_context* ctx, qel_color c, float alpha, float transform_alpha)
{
    return qel_draw_fade(qel_color_resolve(ctx, qel_color_alpha(c, alpha)), transform_alpha);
}

static void mark_colors(qel_context* ctx, const tl_canvas* c, float fade, tl_mark_colors* out)
{
    const timeline_paint* p = c->p;
    for (int hidden = 0; hidden < 2; hidden++) {
        float alpha = hidden ? HIDDEN_ALPHA : 1;
        out->surface[hidden] = mark_color(ctx, p->surface, alpha, fade);
        out->selected[hidden] = mark_color(ctx, p->playhead_color, alpha, fade);
        for (int slot = 0; slot < 6; slot++) {
            out->key[slot][0][hidden] = mark_color(ctx, p->chart[slot], alpha, fade);
            out->key[slot][1][hidden] = mark_color(ctx, c->key_hot[slot], alpha, fade);
        }
    }
    for (int slot = 0; slot < 6; slot++) out->summary[slot] = mark_color(ctx, p->chart[slot], 0.8f, fade);
}

// One layer's marks; a mark whose halo, its largest part, lies outside the clip draws nothing.
template <typename stamps_of>
static void layer_draw(const tl_canvas* c, const timeline_mark_list& list, const tl_mapping& to_fb, float reach,
                       tl_stamp_run* run, stamps_of stamps)
{
    const timeline_paint* p = c->p;
    for (int32_t i = 0; i < list.count; i++) {
        const timeline_mark& m = list.items[i];
        float x = x_of(c, m.time) * to_fb.map + to_fb.offset_x;
        float y = (row_top(c, m.row) + p->row_h / 2) * to_fb.map + to_fb.offset_y;
        if (!(x + reach >= run->clip_x0 && x - reach <= run->clip_x1 && y + reach >= run->clip_y0 &&
              y - reach <= run->clip_y1))
            continue;  // NaN and infinities too
        stamps(m, x, y);
    }
}

static void marks_draw(qel_context* ctx, const tl_canvas* c)
{
    const timeline_mark_list* layers = c->p->marks;
    uint32_t quads = (uint32_t)layers[TL_LAYER_SUMMARY].count + 2 * (uint32_t)layers[TL_LAYER_PLAIN].count +
                     3 * (uint32_t)layers[TL_LAYER_SELECTED].count;
    if (!quads) return;
    tl_mark_stamps st;
    st.summary = qel_timeline_stamp(ctx, 0, 3);
    st.dot = qel_timeline_stamp(ctx, 1, 2);
    for (uint8_t shape = 0; shape < 3; shape++) {
        st.halo[shape] = qel_timeline_stamp(ctx, shape, 6.5f);
        st.key[shape] = qel_timeline_stamp(ctx, shape, 5);
        st.selected_halo[shape] = qel_timeline_stamp(ctx, shape, 7.5f);
        st.selected_key[shape] = qel_timeline_stamp(ctx, shape, 6);
    }
    const tl_mapping to_fb = qel_timeline_mapping(ctx);
    tl_mark_colors colors;
    mark_colors(ctx, c, to_fb.alpha, &colors);
    float reach = 0;
    for (const tl_stamp& s : st.selected_halo) reach = std::max(reach, std::max(s.ex, s.ey));
    tl_stamp_run run = qel_timeline_stamp_begin(ctx, quads);
    auto shape_of = [](const timeline_mark& m) { return m.shape == 1 || m.shape == 2 ? m.shape : 0; };
    auto hidden_of = [](const timeline_mark& m) { return m.flags & TL_MARK_HIDDEN ? 1 : 0; };
    layer_draw(c, layers[TL_LAYER_SUMMARY], to_fb, reach, &run, [&](const timeline_mark& m, float x, float y) {
        qel_timeline_stamp_at(&run, st.summary, x, y, colors.summary[m.color % 6]);
    });
    layer_draw(c, layers[TL_LAYER_PLAIN], to_fb, reach, &run, [&](const timeline_mark& m, float x, float y) {
        int shape = shape_of(m), hidden = hidden_of(m);
        qel_timeline_stamp_at(&run, st.halo[shape], x, y, colors.surface[hidden]);
        qel_timeline_stamp_at(&run, st.key[shape], x, y, colors.key[m.color % 6][m.flags & TL_MARK_HOT ? 1 : 0][hidden]);
    });
    layer_draw(c, layers[TL_LAYER_SELECTED], to_fb, reach, &run, [&](const timeline_mark& m, float x, float y) {
        int shape = shape_of(m), hidden = hidden_of(m);
        qel_timeline_stamp_at(&run, st.selected_halo[shape], x, y, colors.surface[hidden]);
        qel_timeline_stamp_at(&run, st.selected_key[shape], x, y, colors.selected[hidden]);
        qel_timeline_stamp_at(&run, st.dot, x, y, colors.surface[hidden]);
    });
    qel_timeline_stamp_end(&run);
}

// --- Header ---

static void header_row(qel_context* ctx, const tl_canvas* c, const timeline_row& r)
{
    const timeline_paint* p = c->p;
    float top = row_top(c, r.visible), mid = top + p->row_h / 2, right = c->L.x + c->L.header;
    float x = c->L.x + 8 + 14 * (float)r.depth;
    bool narrow = c->L.header_mode == QEL_TIMELINE_HEADER_NARROW;
    if (narrow) x = c->L.x + 11;
    qel_color secondary = r.part == TL_PART_CHEVRON ? p->text : p->secondary;
    if (r.flags & TL_ROW_PARENT) {
        qel_rect box = {x, mid - 9, 18, 18};
        qel_draw_text_in_rect(ctx, r.flags & TL_ROW_COLLAPSED ? QEL_ICON_CHEVRON_RIGHT : QEL_ICON_CHEVRON_DOWN, &box, 14,
                              secondary);
    }
    if (narrow) return;
    x += 18;
    if (r.icon) {
        qel_rect box = {x, mid - 8, 16, 16};
        qel_draw_text_in_rect(ctx, r.icon, &box, 14, p->secondary);
        x += 21;
    }
    float buttons = c->L.header_mode == QEL_TIMELINE_HEADER_BUTTONS ? 48 : 0;
    float room = right - 8 - buttons - x;
    qel_color name = r.flags & TL_ROW_HIDDEN ? p->muted : p->text;
    if (room > 12 && r.name && *r.name)
        qel_draw_text_ellipsis(ctx, QEL_FONT_BODY, c->label_size + 1, x, mid - (c->label_size + 1) * 0.65f, room, name,
                               r.name, -1, 0);
    if (!buttons) return;
    bool hovered = r.flags & TL_ROW_HOVERED;
    qel_rect lock = {right - 4 - 22, mid - 11, 22, 22}, eye = {lock.x - 22, mid - 11, 22, 22};
    if (hovered || (r.flags & TL_ROW_HIDDEN))
        qel_draw_text_in_rect(ctx, r.flags & TL_ROW_HIDDEN ? QEL_ICON_EYE_OFF : QEL_ICON_EYE, &eye, 14,
                              r.part == TL_PART_VISIBILITY ? p->text : p->secondary);
    if (hovered || (r.flags & TL_ROW_LOCKED))
        qel_draw_text_in_rect(ctx, r.flags & TL_ROW_LOCKED ? QEL_ICON_LOCK : QEL_ICON_LOCK_OPEN, &lock, 14,
                              r.part == TL_PART_LOCK ? p->text : p->secondary);
}

static void scrollbar(qel_context* ctx, const tl_canvas* c)
{
    const timeline_paint* p = c->p;
    float area = c->L.rows_h, content = (float)p->visible_rows * p->row_h;
    if (content <= area || area <= 8) return;
    float length = std::max(16.0f, area * area / content);
    float y = c->L.rows_top + (area - length) * (p->scroll / (content - area));
    qel_rect thumb = {c->L.x + c->L.w - 5, y, 3, length};
    float radii[4] = {1.5f, 1.5f, 1.5f, 1.5f};
    qel_draw_rect(ctx, &thumb, radii, qel_color_alpha(p->text, 0.4f));
}

void qel_timeline_draw(qel_context* ctx, const qel_node* node, void* payload)
{
    const auto* p = (const timeline_paint*)payload;
    tl_canvas c = {};
    c.p = p;
    qel_timeline_compute_layout(&c.L, node->rect, p->row_h, p->header_request, p->track_buttons);
    c.pps = (float)(c.L.content_w / (p->view_end - p->view_start));
    c.bottom = node->rect.y + node->rect.h;
    c.label_size = ctx->theme.current.text_xs;
    mix_slots(&c);
    qel_hit_rect_add_clipped(ctx, p->wheel_id, node->rect);

    float top_radii[4] = {p->radius, p->radius, 0, 0};
    qel_rect ruler = {c.L.x, c.L.y, c.L.w, RULER};
    qel_draw_rect(ctx, &ruler, top_radii, p->subtle);
    qel_rect below = {c.L.x, c.L.y + RULER, c.L.w, 1};
    qel_draw_rect(ctx, &below, nullptr, p->border);

    qel_rect rows = {c.L.x, c.L.rows_top, c.L.w, std::max(0.0f, c.bottom - c.L.rows_top)};
    qel_draw_push_clip(ctx, &rows);
    row_bands(ctx, &c);
    qel_draw_pop_clip(ctx);

    qel_rect lanes = {c.L.lane_x, c.L.y, c.L.lane_w, node->rect.h};
    qel_draw_push_clip(ctx, &lanes);
    ticks(ctx, &c);
    if (p->has_work) work_markers(ctx, &c);
    qel_draw_pop_clip(ctx);

    qel_rect lane_rows = {c.L.lane_x, c.L.rows_top, c.L.lane_w, rows.h};
    qel_draw_push_clip(ctx, &lane_rows);
    if (p->has_work) work_shade(ctx, &c);
    for (int32_t i = 0; i < p->clip_count; i++) clip_draw(ctx, &c, p->clips[i]);
    qel_timeline_grid_line(&c, ctx, x_of(&c, p->playhead), 1.5f, p->playhead_color);
    marks_draw(ctx, &c);
    if (p->box) {
        qel_rect box = {p->box_x0, p->box_y0, p->box_x1 - p->box_x0, p->box_y1 - p->box_y0};
        float radii[4] = {2, 2, 2, 2};
        qel_draw_rect_bordered(ctx, &box, radii, p->accent_tint, p->accent, 1);
    }
    qel_draw_pop_clip(ctx);

    qel_rect header = {c.L.x, c.L.rows_top, c.L.header, rows.h};
    qel_draw_push_clip(ctx, &header);
    for (int32_t i = 0; i < p->row_count; i++) header_row(ctx, &c, p->rows[i]);
    qel_draw_pop_clip(ctx);
    qel_rect divider = {c.L.lane_x - 1, c.L.y, 1, node->rect.h};
    qel_draw_rect(ctx, &divider, nullptr, p->border_subtle);
    scrollbar(ctx, &c);
    if (p->no_tracks) {
        const char* text = "No tracks";
        float size = ctx->theme.current.text_small;
        float w = qel_text_width(ctx, QEL_FONT_BODY, size, text, -1, 0);
        qel_draw_text(ctx, QEL_FONT_BODY, size, c.L.lane_x + (c.L.lane_w - w) / 2,
                      c.L.rows_top + (rows.h - size) / 2 - 2, p->muted, text, -1, 0);
    }
    if (p->ring > 0.01f) {
        float radii[4] = {p->radius, p->radius, p->radius, p->radius};
        qel_draw_focus_ring(ctx, &node->rect, radii, p->ring);
    }
}
