// Drawing primitives. Shapes are one quad each, shaded by the renderer from the vertex fields;
// lines and polygons are triangles with a one-pixel anti-aliased fringe built here. Every colour
// argument may be a theme token and is resolved first.
#include <cmath>
#include <cstring>

#include "core/core.h"
#include "qel/theme.h"

static const float FULL_TURN = 6.2831855f;
static const qel_color WHITE_RGB = 0x00FFFFFF;

static uint32_t alpha_of(qel_color c)
{
    return c >> 24;
}

static qel_color with_alpha(qel_color c, uint32_t alpha)
{
    return (c & 0x00FFFFFF) | alpha << 24;
}

// Truncates a value meant as an alpha byte, limited to 0..255; NaN gives 0.
static uint32_t alpha_byte(float v)
{
    return !(v > 0.0f) ? 0 : v >= 255.0f ? 255 : (uint32_t)(int)v;
}

static bool rect_empty(const qel_rect* r)
{
    return !r || !(r->w > 0.0f) || !(r->h > 0.0f);
}

static bool finite_point(qel_vec2 p)
{
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// --- Shapes ---

// One shape quad for a logical rectangle grown by `grow` on every side (radii too) and moved by
// offset; the display scale turns it into framebuffer pixels.
struct shape_style {
    float grow;
    qel_vec2 offset;
    float pad, param;  // framebuffer pixels
    int32_t kind;
    qel_color top, bottom, border;
    uint64_t texture;
    qel_rect uv;
};

static void draw_rect_shape(qel_context* ctx, const qel_rect* r, const float* radii, const shape_style& st)
{
    float s = ctx->clock.scale;
    float scaled[4];
    const float* given = qel_draw_radii(radii);
    for (int i = 0; i < 4; i++) scaled[i] = (given[i] + st.grow) * s;
    qel_draw_shape(ctx, (r->x + r->w * 0.5f + st.offset.x) * s, (r->y + r->h * 0.5f + st.offset.y) * s,
                   (r->w * 0.5f + st.grow) * s, (r->h * 0.5f + st.grow) * s, st.pad, scaled, st.param, st.kind, st.top,
                   st.top, st.bottom, st.bottom, st.border, st.texture, st.uv.x, st.uv.y, st.uv.x + st.uv.w,
                   st.uv.y + st.uv.h);
}

static shape_style box_style(qel_color fill, qel_color border, float param)
{
    return {0, {0, 0}, 1.0f, param, QEL_SHAPE_ROUNDED_BOX, fill, fill, border, 0, {0, 0, 0, 0}};
}

void qel_draw_rect(qel_context* ctx, const qel_rect* r, const float* radii, qel_color color)
{
    if (rect_empty(r)) return;
    qel_color c = qel_color_resolve(ctx, color);
    if (!alpha_of(c)) return;
    draw_rect_shape(ctx, r, radii, box_style(c, c, 0));
}

void qel_draw_rect_bordered(qel_context* ctx, const qel_rect* r, const float* radii, qel_color fill, qel_color border,
                            float border_width)
{
    if (rect_empty(r)) return;
    qel_color b = qel_color_resolve(ctx, border);
    if (!(border_width > 0.0f) || !alpha_of(b)) {
        qel_draw_rect(ctx, r, radii, fill);
        return;
    }
    float param = fmaxf(border_width * ctx->clock.scale, 1.0f);
    draw_rect_shape(ctx, r, radii, box_style(qel_color_resolve(ctx, fill), b, param));
}

void qel_draw_rect_gradient(qel_context* ctx, const qel_rect* r, const float* radii, qel_color top, qel_color bottom)
{
    if (rect_empty(r)) return;
    qel_color t = qel_color_resolve(ctx, top);
    shape_style st = box_style(t, t, 0);
    st.bottom = qel_color_resolve(ctx, bottom);
    draw_rect_shape(ctx, r, radii, st);
}

void qel_draw_box_shadow(qel_context* ctx, const qel_rect* r, const float* radii, float blur, float spread,
                         qel_vec2 offset, qel_color color)
{
    if (rect_empty(r) || !(r->w * 0.5f + spread > 0.0f) || !(r->h * 0.5f + spread > 0.0f)) return;
    qel_color c = qel_color_resolve(ctx, color);
    if (!alpha_of(c)) return;
    float sigma = fmaxf(blur * 0.5f, 0.5f) * ctx->clock.scale;
    draw_rect_shape(ctx, r, radii, {spread, offset, 3.0f * sigma, sigma, QEL_SHAPE_SHADOW, c, c, c, 0, {0, 0, 0, 0}});
}

void qel_draw_image(qel_context* ctx, uint64_t texture, const qel_rect* r, const qel_rect* uv, const float* radii,
                    qel_color tint)
{
    if (!texture || rect_empty(r)) return;
    qel_color t = qel_color_resolve(ctx, tint);
    if (!alpha_of(t)) t = 0xFFFFFFFF;
    draw_rect_shape(ctx, r, radii,
                    {0, {0, 0}, 0, 0, QEL_SHAPE_IMAGE, t, t, t, texture, uv ? *uv : qel_rect{0, 0, 1, 1}});
}

void qel_draw_circle(qel_context* ctx, qel_vec2 centre, float radius, qel_color color)
{
    qel_rect r = {centre.x - radius, centre.y - radius, 2 * radius, 2 * radius};
    const float radii[4] = {radius, radius, radius, radius};
    qel_draw_rect(ctx, &r, radii, color);
}

// --- Glyphs ---

void qel_draw_glyph(qel_context* ctx, float x0, float y0, float x1, float y1, float u_min, float v_min, float u_max,
                    float v_max, qel_color color)
{
    if (!alpha_of(color)) return;
    const qel_transform* t = qel_draw_top_transform(ctx);
    if (t->scale != 1.0f || t->offset_x != 0.0f || t->offset_y != 0.0f || t->alpha != 1.0f) {
        x0 = x0 * t->scale + t->offset_x;
        x1 = x1 * t->scale + t->offset_x;
        y0 = y0 * t->scale + t->offset_y;
        y1 = y1 * t->scale + t->offset_y;
        color = qel_draw_fade(color, t->alpha);
    }
    if (qel_draw_culled(ctx, x0, y0, x1, y1)) return;
    ctx->draw.texture = 0;
    uint32_t b;
    qel_vertex* v = qel_draw_reserve_whole(ctx, 4, 6, &b);
    const float xs[4] = {x0, x1, x1, x0}, ys[4] = {y0, y0, y1, y1};
    const float us[4] = {u_min, u_max, u_max, u_min}, vs[4] = {v_min, v_min, v_max, v_max};
    for (int i = 0; i < 4; i++) {
        v[i] = {};
        v[i].pos[0] = xs[i];
        v[i].pos[1] = ys[i];
        v[i].uv[0] = qel_finite_or_zero(us[i]);
        v[i].uv[1] = qel_finite_or_zero(vs[i]);
        v[i].kind = QEL_SHAPE_GLYPH;
        v[i].fill = color;
    }
    qel_draw_quad_indices(ctx, b);
}

// --- Lines and polygons ---

// Every field written, so the vertices need no clearing first.
static void solid_vertex(qel_vertex* v, qel_vec2 p, qel_color c)
{
    *v = {};
    v->pos[0] = p.x;
    v->pos[1] = p.y;
    v->kind = QEL_SHAPE_SOLID;
    v->fill = c;
}

// Zero for a finite value, NaN otherwise: summed over positions, one test finds any that is not.
static float not_finite_mark(qel_vec2 p)
{
    return p.x * 0.0f + p.y * 0.0f;
}

// (d.y, -d.x) for the unit direction d from a to b; a zero-length segment gives (0, 0).
static qel_vec2 unit_normal(qel_vec2 a, qel_vec2 b)
{
    float dx = b.x - a.x, dy = b.y - a.y;
    float len = sqrtf(dx * dx + dy * dy);
    if (len > 0.0f) {
        dx /= len;
        dy /= len;
    }
    return {dy, -dx};
}

// The mean of two normals stretched to a miter, at most 25 times as long.
static qel_vec2 miter(qel_vec2 a, qel_vec2 b)
{
    qel_vec2 m = {(a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f};
    float len2 = m.x * m.x + m.y * m.y;
    if (len2 > 0.000001f) {
        float k = 1.0f / len2 < 25.0f ? 1.0f / len2 : 25.0f;
        m.x *= k;
        m.y *= k;
    }
    return m;
}

static qel_vec2 along(qel_vec2 p, qel_vec2 d, float k)
{
    return {p.x + d.x * k, p.y + d.y * k};
}

// Quads between two rails of `lanes` vertices starting at p and q.
static uint32_t* join_rails(uint32_t* idx, uint32_t p, uint32_t q, int lanes)
{
    for (uint32_t l = 0; l + 1 < (uint32_t)lanes; l++) {
        const uint32_t quad[6] = {p + l, q + l, q + l + 1, p + l, q + l + 1, p + l + 1};
        for (uint32_t i : quad) *idx++ = i;
    }
    return idx;
}

// join_rails() from the four vertices at p to the next point's four, written out whole: it runs
// once for every segment of every line.
static uint32_t* join_next_point(uint32_t* idx, uint32_t p)
{
    const uint32_t quads[18] = {p,     p + 4, p + 5, p,     p + 5, p + 1, p + 1, p + 5, p + 6,
                                p + 1, p + 6, p + 2, p + 2, p + 6, p + 7, p + 2, p + 7, p + 3};
    memcpy(idx, quads, sizeof quads);
    return idx + 18;
}

// Reservation sizes the list's 32-bit counts cannot hold are out of memory by another name.
static int32_t checked_count(int64_t n)
{
    if (n > INT32_MAX) qel_out_of_memory();
    return (int32_t)n;
}

// Logical units to framebuffer pixels under the current transform.
struct point_map {
    float scale, x, y;
    qel_vec2 operator()(qel_vec2 p) const { return {p.x * scale + x, p.y * scale + y}; }
};

static point_map current_map(qel_context* ctx)
{
    const qel_transform* t = qel_draw_top_transform(ctx);
    return {ctx->clock.scale * t->scale, t->offset_x, t->offset_y};
}

// Four vertices across the line at each point: fringe, edge, edge, fringe. Points are mapped and
// segment normals found as the walk reaches them, so nothing is stored on the side.
static void stroke(qel_context* ctx, const qel_vec2* points, int32_t n, point_map map, float w, qel_color c,
                   bool closed)
{
    float hw = w * 0.5f;
    if (hw < 0.5f) {
        if (w > 0.0f) c = with_alpha(c, alpha_byte(alpha_of(c) * w));
        hw = 0.5f;
    }
    int32_t segments = closed ? n : n - 1;
    ctx->draw.texture = 0;
    uint32_t b;
    int32_t ends = closed ? 0 : 1;
    int32_t index_count = checked_count(18ll * segments + 36 * ends);
    qel_vertex* v = qel_draw_reserve_whole(ctx, checked_count(4ll * n + 8 * ends), index_count, &b);
    qel_color clear = with_alpha(c, 0);
    const float across[4] = {hw + 1, hw, -hw, -hw - 1};
    const qel_color colors[4] = {clear, c, c, clear};

    qel_vec2 first = map(points[0]), here = first, next = map(points[1]);
    qel_vec2 normal = unit_normal(here, next), first_normal = normal;
    qel_vec2 before = closed ? unit_normal(map(points[n - 1]), first) : normal;
    float marks = 0;
    for (int32_t i = 0; i < n; i++) {
        qel_vec2 m = miter(before, normal), at[4];
        for (int k = 0; k < 4; k++) {
            at[k] = along(here, m, across[k]);
            solid_vertex(&v[4 * i + k], at[k], colors[k]);
        }
        // The inner pair lies between the fringes: were those finite, so are they.
        marks += not_finite_mark(at[0]) + not_finite_mark(at[3]);
        before = normal;
        if (i + 1 == n) break;
        here = next;
        // An open line's last point keeps the last segment's normal.
        if (i + 1 < segments) {
            next = i + 2 < n ? map(points[i + 2]) : first;
            normal = unit_normal(here, next);
        }
    }
    // Fringe caps one pixel beyond each end, along the end segment's direction.
    const int32_t source[2] = {0, n - 1};
    const qel_vec2 dir[2] = {{first_normal.y, -first_normal.x}, {-normal.y, normal.x}};
    for (int e = 0; e < 2 * ends; e++) {
        for (int k = 0; k < 4; k++) {
            const qel_vertex& s = v[4 * source[e] + k];
            solid_vertex(&v[4 * n + 4 * e + k], along({s.pos[0], s.pos[1]}, dir[e], 1.0f), clear);
        }
    }
    // A cap moves a finite point by at most a pixel, which cannot overflow.
    if (!(marks == 0.0f)) return qel_draw_take_back(ctx, b, (uint32_t)index_count);

    uint32_t* idx = &ctx->draw.indices[ctx->draw.index_count];
    for (int32_t i = 0; i + 1 < n; i++) idx = join_next_point(idx, b + 4 * (uint32_t)i);
    if (closed) idx = join_rails(idx, b + 4 * (n - 1), b, 4);
    for (int e = 0; e < 2 * ends; e++) idx = join_rails(idx, b + 4 * source[e], b + 4 * n + 4 * e, 4);
    ctx->draw.index_count = (uint32_t)(idx - ctx->draw.indices);
}

void qel_draw_polyline(qel_context* ctx, const qel_vec2* points, int32_t count, float width, qel_color color,
                       uint8_t closed)
{
    if (!points || count < 2) return;
    const qel_transform* t = qel_draw_top_transform(ctx);
    qel_color c = qel_draw_fade(qel_color_resolve(ctx, color), t->alpha);
    if (!alpha_of(c)) return;
    stroke(ctx, points, count, current_map(ctx), width * ctx->clock.scale * t->scale, c, closed != 0);
}

void qel_draw_line(qel_context* ctx, qel_vec2 a, qel_vec2 b, float width, qel_color color)
{
    const qel_vec2 points[2] = {a, b};
    qel_draw_polyline(ctx, points, 2, width, color, 0);
}

void qel_draw_convex_polygon(qel_context* ctx, const qel_vec2* points, int32_t count, qel_color color)
{
    if (!points || count < 3) return;
    int32_t n = count;
    qel_color c = qel_draw_fade(qel_color_resolve(ctx, color), qel_draw_top_transform(ctx)->alpha);
    if (!alpha_of(c)) return;
    qel_vec2* p = qel_draw_transform_points(ctx, points, (uint32_t)n);
    // Normals point outwards whichever way round the points go.
    float area = 0;
    for (int32_t i = 0; i < n; i++) area += p[i].x * p[(i + 1) % n].y - p[(i + 1) % n].x * p[i].y;
    float sign = area >= 0.0f ? 1.0f : -1.0f;
    qel_vec2* normal = (qel_vec2*)qel_arena_alloc(ctx, (size_t)n * sizeof(qel_vec2));
    for (int32_t i = 0; i < n; i++) {
        qel_vec2 e = unit_normal(p[i], p[(i + 1) % n]);
        normal[i] = {e.x * sign, e.y * sign};
    }

    ctx->draw.texture = 0;
    uint32_t b;
    int32_t index_count = checked_count(3ll * (n - 2) + 6ll * n);
    qel_vertex* v = qel_draw_reserve_whole(ctx, checked_count(2ll * n), index_count, &b);
    float marks = 0;
    for (int32_t i = 0; i < n; i++) {
        qel_vec2 m = miter(normal[(i + n - 1) % n], normal[i]);
        qel_vec2 inner = along(p[i], m, -0.5f), outer = along(p[i], m, 0.5f);
        solid_vertex(&v[2 * i], inner, c);
        solid_vertex(&v[2 * i + 1], outer, with_alpha(c, 0));
        marks += not_finite_mark(inner) + not_finite_mark(outer);
    }
    if (!(marks == 0.0f)) return qel_draw_take_back(ctx, b, (uint32_t)index_count);
    uint32_t* idx = &ctx->draw.indices[ctx->draw.index_count];
    for (uint32_t k = 1; k + 1 < (uint32_t)n; k++) {
        *idx++ = b;
        *idx++ = b + 2 * k;
        *idx++ = b + 2 * k + 2;
    }
    for (int32_t i = 0; i < n; i++) idx = join_rails(idx, b + 2 * i, b + 2 * ((i + 1) % n), 2);
    ctx->draw.index_count = (uint32_t)(idx - ctx->draw.indices);
}

void qel_draw_arc(qel_context* ctx, qel_vec2 centre, float radius, float angle_from, float angle_to, float width,
                  qel_color color)
{
    float sweep = angle_to - angle_from;
    float span = fabsf(sweep);
    if (!(span > 0.0001f)) return;
    float segments = radius * span * ctx->clock.scale / 3.0f;
    int32_t count = !(segments >= 8.0f) ? 8 : segments >= 256.0f ? 256 : (int32_t)segments;
    qel_vec2* p = (qel_vec2*)qel_arena_alloc(ctx, (size_t)(count + 1) * sizeof(qel_vec2));
    for (int32_t i = 0; i <= count; i++) {
        float a = angle_from + (float)i * sweep / (float)count;
        p[i] = {centre.x + cosf(a) * radius, centre.y + sinf(a) * radius};
    }
    bool full = span >= FULL_TURN - 0.001f;
    qel_draw_polyline(ctx, p, full ? count : count + 1, width, color, full);
}

// Caller-built triangles are mostly a few vertices: positions that fit here stay off the arena.
enum { TRIANGLES_ON_STACK = 16 };

void qel_draw_triangles(qel_context* ctx, const qel_triangle_vertex* vertices, int32_t vertex_count,
                        const uint32_t* indices, int32_t index_count)
{
    if (!vertices || !indices || vertex_count < 1 || index_count < 1) return;
    const qel_transform* t = qel_draw_top_transform(ctx);
    point_map map = current_map(ctx);
    qel_vec2 stack[TRIANGLES_ON_STACK];
    qel_vec2* p = vertex_count <= TRIANGLES_ON_STACK
                      ? stack
                      : (qel_vec2*)qel_arena_alloc(ctx, (size_t)vertex_count * sizeof(qel_vec2));
    for (int32_t i = 0; i < vertex_count; i++) p[i] = map({vertices[i].x, vertices[i].y});
    // A renderer trusts every index it is given: triangles that reach past the vertices or sit
    // on a point that is not finite are left out (so is an incomplete last one).
    auto usable = [&](int32_t first) {
        for (int32_t k = 0; k < 3; k++) {
            uint32_t i = indices[first + k];
            if (i >= (uint32_t)vertex_count || !finite_point(p[i])) return false;
        }
        return true;
    };
    int32_t whole = index_count / 3, kept = 0;
    for (int32_t i = 0; i < whole; i++) kept += usable(3 * i);
    if (!kept) return;

    ctx->draw.texture = 0;
    uint32_t b;
    qel_vertex* v = qel_draw_reserve_whole(ctx, vertex_count, 3 * kept, &b);
    // Runs of one colour are the rule: each is resolved once.
    qel_color given = vertices[0].color, shown = qel_draw_fade(qel_color_resolve(ctx, given), t->alpha);
    for (int32_t i = 0; i < vertex_count; i++) {
        if (vertices[i].color != given) {
            given = vertices[i].color;
            shown = qel_draw_fade(qel_color_resolve(ctx, given), t->alpha);
        }
        solid_vertex(&v[i], p[i], shown);
    }
    uint32_t* idx = &ctx->draw.indices[ctx->draw.index_count];
    for (int32_t i = 0; i < 3 * whole; i += 3) {
        if (kept < whole && !usable(i)) continue;
        for (int32_t k = 0; k < 3; k++) *idx++ = b + indices[i + k];
    }
    ctx->draw.index_count += 3 * (uint32_t)kept;
}

// --- Compositions ---

// Rings of a one-unit white border, each clipped a little deeper from the top edge down, so the
// overlapping rings are brightest at the top.
static void highlight_rings(qel_context* ctx, const qel_rect* r, const float* radii, int layers, float depth,
                            uint32_t alpha)
{
    qel_color white = with_alpha(WHITE_RGB, alpha);
    for (int i = 1; i <= layers; i++) {
        qel_rect clip = {r->x - 1, r->y - 1, r->w + 2, (float)i * depth / (float)layers + 1};
        qel_draw_push_clip(ctx, &clip);
        qel_draw_rect_bordered(ctx, r, radii, 0, white, 1.0f);
        qel_draw_pop_clip(ctx);
    }
}

void qel_draw_top_highlight(qel_context* ctx, const qel_rect* r, const float* radii, float strength)
{
    if (!r || !(r->w >= 4.0f) || !(r->h >= 4.0f) || !(strength > 0.0f)) return;
    highlight_rings(ctx, r, radii, 10, fminf(r->h * 0.5f, 60.0f), alpha_byte(strength * 255.0f / 10.0f + 0.5f));
}

void qel_draw_top_highlight_small(qel_context* ctx, const qel_rect* r, const float* radii, float strength)
{
    if (!r || !(r->w >= 2.0f) || !(r->h >= 2.0f) || !(strength > 0.0f)) return;
    highlight_rings(ctx, r, radii, 8, r->h * 0.42f, alpha_byte(40.8f * strength * 0.125f + 0.5f));
}

void qel_draw_checkmark(qel_context* ctx, const qel_rect* box, float progress, float width, qel_color color)
{
    if (!box || !(progress > 0.001f)) return;
    qel_vec2 p[3] = {{box->x + 0.22f * box->w, box->y + 0.53f * box->h},
                     {box->x + 0.42f * box->w, box->y + 0.72f * box->h},
                     {box->x + 0.78f * box->w, box->y + 0.32f * box->h}};
    float l1 = hypotf(p[1].x - p[0].x, p[1].y - p[0].y), l2 = hypotf(p[2].x - p[1].x, p[2].y - p[1].y);
    float t = fminf(progress, 1.0f) * (l1 + l2);
    int32_t n = 3;
    if (t < l1) {
        p[1] = {p[0].x + (p[1].x - p[0].x) * t / l1, p[0].y + (p[1].y - p[0].y) * t / l1};
        n = 2;
    } else {
        float k = (t - l1) / l2;
        p[2] = {p[1].x + (p[2].x - p[1].x) * k, p[1].y + (p[2].y - p[1].y) * k};
    }
    qel_draw_polyline(ctx, p, n, width, color, 0);
}

void qel_draw_spinner(qel_context* ctx, qel_vec2 centre, float radius, float width, qel_color color)
{
    float t = (float)ctx->clock.time;
    // Resolved before fading: a token's own alpha byte is 0.
    qel_color c = qel_color_resolve(ctx, color);
    qel_draw_arc(ctx, centre, radius, 0, FULL_TURN, width, qel_color_alpha(c, 0.18f));
    float start = 5.2f * t;
    qel_draw_arc(ctx, centre, radius, start, start + sinf(2.4f * t) * 0.9f + 1.2f, width, c);
    qel_request_redraw(ctx);
}

void qel_draw_focus_ring(qel_context* ctx, const qel_rect* r, const float* radii, float strength)
{
    if (!r || !(strength > 0.01f)) return;
    qel_rect ring = {r->x - 3, r->y - 3, r->w + 6, r->h + 6};
    float grown[4];
    for (int i = 0; i < 4; i++) grown[i] = (radii ? radii[i] : 0.0f) + 3;
    qel_color c = qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_FOCUS_RING), strength);
    qel_draw_rect_bordered(ctx, &ring, grown, 0, c, 2.0f);
}

void qel_draw_elevation(qel_context* ctx, const qel_rect* r, const float* radii, uint32_t level, float strength)
{
    if (!level || !(strength > 0.0f)) return;
    const qel_shadow_layer* pair = ctx->theme.current.shadow[(level < 3 ? level : 3) - 1];
    for (int i = 1; i >= 0; i--) {
        const qel_shadow_layer& l = pair[i];
        if (!(l.alpha > 0.0f)) continue;
        qel_color black = with_alpha(0, alpha_byte(l.alpha * 255.0f * strength));
        qel_draw_box_shadow(ctx, r, radii, l.blur, l.spread, {0, l.offset_y}, black);
    }
}
