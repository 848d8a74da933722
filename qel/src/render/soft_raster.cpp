// The rasteriser: shading of the five shape kinds, premultiplied blending in either byte order,
// the quad fast path with opaque and table-blended spans, and triangles filled by the top-left
// rule. Every float that becomes a pixel or texel index is limited first, so no vertex, however
// wrong, can index outside the band or a texture.
#include "render/soft_raster.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <type_traits>

namespace {

// c = byte / 255, looked up.
constexpr std::array<float, 256> UNIT = [] {
    std::array<float, 256> t{};
    for (int i = 0; i < 256; i++) t[(size_t)i] = (float)i / 255.0f;
    return t;
}();

inline float unit(uint8_t b)
{
    return UNIT[b];
}

// f limited to lo..hi and truncated; NaN gives lo.
inline int32_t to_index(float f, int32_t lo, int32_t hi)
{
    return !(f > (float)lo) ? lo : f >= (float)hi ? hi : (int32_t)f;
}

// min and max without the library calls; NaN gives the second argument.
inline float min_of(float a, float b)
{
    return a < b ? a : b;
}

inline float max_of(float a, float b)
{
    return a > b ? a : b;
}

// trunc(clamp(v, 0, 1) x 255 + 0.5); NaN gives 0.
inline uint8_t to_byte(float v)
{
    return (uint8_t)(int32_t)(min_of(max_of(v, 0.0f), 1.0f) * 255.0f + 0.5f);
}

// One byte of "over": the premultiplied source value plus what the destination keeps.
inline uint8_t over_byte(float source, float keep, uint8_t dst)
{
    return to_byte(source + unit(dst) * keep);
}

// Four channels at once through the compilers' generic vectors: the same IEEE operations as
// to_byte and over_byte, so every path writes the same bytes.
typedef float float4 __attribute__((vector_size(16)));
typedef int32_t int4 __attribute__((vector_size(16)));

inline float4 unit4(const uint8_t* px)
{
    return float4{unit(px[0]), unit(px[1]), unit(px[2]), unit(px[3])};
}

inline void store_bytes(uint8_t* px, float4 v)
{
    const float4 zero = {0, 0, 0, 0}, one = {1, 1, 1, 1};
    v = v > zero ? v : zero;
    v = v < one ? v : one;
    int4 b = __builtin_convertvector(v * 255.0f + 0.5f, int4);
    uint32_t word = (uint32_t)b[0] | (uint32_t)b[1] << 8 | (uint32_t)b[2] << 16 | (uint32_t)b[3] << 24;
    memcpy(px, &word, 4);  // bytes in memory order: the machine is little-endian
}

// Blends a premultiplied colour and alpha (framebuffer byte order) into one pixel.
inline void blend(uint8_t* px, const float s[4])
{
    float a = s[3];
    if (!(a > 0.0005f)) return;
    float4 source = {s[0], s[1], s[2], a};
    if (a >= 0.9995f) {
        source[3] = 1.0f;
        store_bytes(px, source);
        return;
    }
    store_bytes(px, source + unit4(px) * (1.0f - a));
}

// A packed colour (bytes R, G, B, A) as four floats in the framebuffer's byte order.
inline void load_color(qel_color c, bool bgr, float out[4])
{
    float r = unit(c & 0xFF), b = unit(c >> 16 & 0xFF);
    out[0] = bgr ? b : r;
    out[1] = unit(c >> 8 & 0xFF);
    out[2] = bgr ? r : b;
    out[3] = unit(c >> 24);
}

// The band's framebuffer as the pixel loops use it.
struct target {
    uint8_t* pixels;
    ptrdiff_t stride;
    bool bgr;

    uint8_t* row(int32_t y) const { return pixels + y * stride; }
};

target target_of(const qel_soft_band* job)
{
    return {job->framebuffer, job->stride, job->format == QEL_SOFT_BGRA};
}

// What stays the same over all pixels of one shape: its first vertex's flat values.
struct shape {
    int32_t mode;
    float hw, hh;
    float radius[4];  // each at most the smaller half size
    float param;
    float border[4];
    float inv_sigma;  // shadows: 1 / (sigma sqrt 2)
    const qel_soft_texture* slot;
    bool bgr;
    const float* shadow_table;
};

shape shape_of(const qel_vertex* a, const qel_soft_texture* slot, bool bgr)
{
    shape s;
    int32_t mode = to_index(a->kind + 0.5f, -1, QEL_SHAPE_SOLID + 1);
    s.mode = mode >= QEL_SHAPE_GLYPH && mode <= QEL_SHAPE_SOLID ? mode : QEL_SHAPE_IMAGE;  // others shade as images
    s.hw = a->half[0];
    s.hh = a->half[1];
    float limit = min_of(s.hw, s.hh);
    for (int i = 0; i < 4; i++) s.radius[i] = min_of(a->radii[i], limit);
    s.param = a->param;
    load_color(a->border, bgr, s.border);
    s.inv_sigma = 1.0f / (max_of(a->param, 0.01f) * 1.4142135f);
    s.slot = slot;
    s.bgr = bgr;
    s.shadow_table = qel_soft_shadow_table();
    return s;
}

// Signed distance from the local position p to the shape's rounded rectangle; negative inside.
inline float distance(const shape& s, float px, float py)
{
    float r = px < 0 ? (py < 0 ? s.radius[0] : s.radius[3]) : (py < 0 ? s.radius[1] : s.radius[2]);
    float qx = fabsf(px) - s.hw + r, qy = fabsf(py) - s.hh + r;
    float ox = max_of(qx, 0.0f), oy = max_of(qy, 0.0f);
    return min_of(max_of(qx, qy), 0.0f) + sqrtf(ox * ox + oy * oy) - r;
}

// The shadow's opacity factor at distance d from the table; false where it adds nothing.
inline bool shadow_factor(const shape& s, float d, float* factor)
{
    float z = d * s.inv_sigma;
    if (!(z <= 2.8f)) return false;
    if (z <= -4.0f) {
        *factor = 1.0f;
        return true;
    }
    float f = (z + 4.0f) * 150.58823f;
    int32_t i = (int32_t)f;
    const float* e = s.shadow_table;
    *factor = i < 1024 ? e[i] + (e[i + 1] - e[i]) * (f - (float)i) : e[1024];
    return true;
}

inline void scaled(const float c[4], float a, float out[4])
{
    out[0] = c[0] * a;
    out[1] = c[1] * a;
    out[2] = c[2] * a;
    out[3] = a;
}

// The premultiplied colour of a pixel of a shape of the given mode at local position (lx, ly)
// with fill c and texture coordinates (u, v), in framebuffer order; false when the pixel is
// left alone. One copy per mode keeps the pixel loops free of the choice.
template <int MODE>
inline bool shade(const shape& s, float lx, float ly, const float c[4], float u, float v, float out[4])
{
    if constexpr (MODE == QEL_SHAPE_SOLID) {
        scaled(c, c[3], out);
    } else if constexpr (MODE == QEL_SHAPE_GLYPH) {
        bool coverage = s.slot && s.slot->channels == 1;
        float a = coverage ? qel_soft_sample_alpha(s.slot->width, s.slot->height, s.slot->pixels, u, v) : 1.0f;
        scaled(c, c[3] * a, out);
    } else if constexpr (MODE == QEL_SHAPE_ROUNDED_BOX) {
        float d = distance(s, lx, ly);
        float outer = 0.5f - d;
        if (!(outer > 0.0f)) return false;
        outer = min_of(outer, 1.0f);
        float inner = outer;
        if (s.param > 0.0f) inner = max_of(min_of(0.5f - (d + s.param), 1.0f), 0.0f);
        float fa = c[3] * inner, ba = s.border[3] * (outer - inner);
        for (int i = 0; i < 3; i++) out[i] = c[i] * fa + s.border[i] * ba;
        out[3] = fa + ba;
    } else if constexpr (MODE == QEL_SHAPE_SHADOW) {
        float factor;
        if (!shadow_factor(s, distance(s, lx, ly), &factor)) return false;
        scaled(c, c[3] * factor, out);
    } else {
        float cov = 0.5f - distance(s, lx, ly);
        if (!(cov > 0.0f)) return false;
        float k = c[3] * min_of(cov, 1.0f);
        if (!s.slot || s.slot->channels != 4) {
            scaled(c, k, out);
            return true;
        }
        qel_soft_rgba t = qel_soft_sample_rgba(s.slot, u, v);
        out[0] = (s.bgr ? t.b : t.r) * c[0] * k;
        out[1] = t.g * c[1] * k;
        out[2] = (s.bgr ? t.r : t.b) * c[2] * k;
        out[3] = t.a * k;
    }
    return true;
}

// Calls f with the shape mode as a compile-time constant.
template <typename F>
void with_mode(int32_t mode, F f)
{
    switch (mode) {
    case QEL_SHAPE_GLYPH: return f(std::integral_constant<int, QEL_SHAPE_GLYPH>{});
    case QEL_SHAPE_ROUNDED_BOX: return f(std::integral_constant<int, QEL_SHAPE_ROUNDED_BOX>{});
    case QEL_SHAPE_SHADOW: return f(std::integral_constant<int, QEL_SHAPE_SHADOW>{});
    case QEL_SHAPE_SOLID: return f(std::integral_constant<int, QEL_SHAPE_SOLID>{});
    default: return f(std::integral_constant<int, QEL_SHAPE_IMAGE>{});
    }
}

// --- Quad fast path ---

// Per byte position, what "over" makes of every destination byte for one source; long
// translucent spans look their bytes up here.
struct span_tables {
    uint8_t byte[4][256];
    float source[4];
    bool built = false;

    void prepare(const float s[4])
    {
        if (built && memcmp(source, s, sizeof source) == 0) return;
        memcpy(source, s, sizeof source);
        built = true;
        float keep = 1.0f - s[3];
        for (int i = 0; i < 4; i++)
            for (int v = 0; v < 256; v++) byte[i][v] = over_byte(s[i], keep, (uint8_t)v);
    }
};

const int32_t TABLE_SPAN = 96;  // spans at least this long blend through tables

// Fills columns a..b of a row with the shape's interior colour c: opaque stores, tables, or
// per-pixel blending.
void fill_span(uint8_t* row, int32_t a, int32_t b, const float c[4], bool may_store, span_tables* tables)
{
    if (a >= b) return;
    if (may_store && c[3] >= 0.999f) {
        uint8_t word[4] = {to_byte(c[0]), to_byte(c[1]), to_byte(c[2]), 255};
        for (int32_t x = a; x < b; x++) memcpy(row + 4 * x, word, 4);
        return;
    }
    if (!(c[3] > 0.0005f)) return;
    float s[4];
    scaled(c, c[3], s);
    if (b - a < TABLE_SPAN || c[3] >= 0.9995f) {
        for (int32_t x = a; x < b; x++) blend(row + 4 * x, s);
        return;
    }
    tables->prepare(s);
    for (int32_t x = a; x < b; x++) {
        uint8_t* px = row + 4 * x;
        for (int i = 0; i < 4; i++) px[i] = tables->byte[i][px[i]];
    }
}

// The quad as its rows see it: the top-left vertex's position, local position and texture
// coordinates, and their steps per pixel.
struct quad_frame {
    float left, top;
    float local_x, local_y;
    float u, v, du, dv;
};

// One row of a quad: its pixels, fill colour, local y and texture v.
struct quad_row {
    uint8_t* pixels;
    float c[4];
    float ly, v;
};

// Shades columns x0..x1 of a quad's row pixel by pixel.
template <int MODE>
void shade_columns(const shape& s, const quad_frame& q, const quad_row& r, int32_t x0, int32_t x1)
{
    for (int32_t x = x0; x < x1; x++) {
        float dx = (float)x + 0.5f - q.left;
        float out[4];
        if (shade<MODE>(s, dx + q.local_x, r.ly, r.c, q.u + dx * q.du, r.v, out)) blend(r.pixels + 4 * x, out);
    }
}

// A glyph drawn at its atlas size: one texel per pixel, empty texels skipped.
void glyph_row(const shape& s, const quad_frame& q, const quad_row& r, int32_t x0, int32_t x1)
{
    const qel_soft_texture* t = s.slot;
    float fy = (float)t->height * r.v;
    if (!(fy >= 0.0f && fy < (float)t->height)) return;
    const uint8_t* texels = t->pixels + (size_t)to_index(fy, 0, t->height - 1) * (size_t)t->width;
    for (int32_t x = x0; x < x1; x++) {
        float fx = (float)t->width * (q.u + ((float)x + 0.5f - q.left) * q.du);
        if (!(fx >= 0.0f && fx < (float)t->width)) continue;
        uint8_t texel = texels[to_index(fx, 0, t->width - 1)];
        if (!texel) continue;
        float out[4];
        scaled(r.c, r.c[3] * unit(texel), out);
        blend(r.pixels + 4 * x, out);
    }
}

// Where a box or shadow is certainly whole: within `margin` of its edges a box has full
// coverage and a shadow a factor of exactly 1; the corners take another rmax.
struct interior_bounds {
    float margin, rmax;
};

interior_bounds interior_of(const shape& s)
{
    float margin = s.mode == QEL_SHAPE_SHADOW ? max_of(s.param, 0.01f) * 5.656854f : s.param + 0.5f;
    return {margin, max_of(max_of(s.radius[0], s.radius[1]), max_of(s.radius[2], s.radius[3]))};
}

// A quad the fast path takes: its shape, how its rows map to local and texture coordinates, its
// pixels (ends exclusive) and its top and bottom colours.
struct quad_plan {
    shape s;
    interior_bounds in;
    quad_frame q;
    int32_t cx0, cy0, cx1, cy1;
    float top_c[4], bottom_c[4];
    float height;
    bool gradient, one_texel_per_pixel;

    bool empty() const { return cx0 >= cx1 || cy0 >= cy1; }

    quad_row row(const target& t, int32_t y) const
    {
        float dy = (float)y + 0.5f - q.top;
        quad_row r;
        r.pixels = t.row(y);
        float k = dy / height;
        for (int i = 0; i < 4; i++) r.c[i] = gradient ? top_c[i] + (bottom_c[i] - top_c[i]) * k : top_c[i];
        r.ly = dy + q.local_y;
        r.v = q.v + dy * q.dv;
        return r;
    }
};

// Plans the quad q0..q3 within the pixel bounds (x0, y0, x1, y1); false when it is not an
// axis-aligned rectangle in corner order without horizontal colour change.
bool plan_quad(const qel_vertex* const qv[4], const qel_soft_texture* slot, bool bgr, const int32_t bounds[4],
               quad_plan* p)
{
    float left = qv[0]->pos[0], right = qv[1]->pos[0], top = qv[0]->pos[1], bottom = qv[3]->pos[1];
    bool rectangle = top == qv[1]->pos[1] && right == qv[2]->pos[0] && bottom == qv[2]->pos[1] &&
                     left == qv[3]->pos[0] && left < right && top < bottom;
    if (!rectangle || qv[0]->fill != qv[1]->fill || qv[3]->fill != qv[2]->fill) return false;
    // A pixel belongs to the quad when its centre lies in [left, right) x [top, bottom).
    p->cx0 = to_index(ceilf(left - 0.5f), bounds[0], bounds[2]);
    p->cx1 = to_index(ceilf(right - 0.5f), bounds[0], bounds[2]);
    p->cy0 = to_index(ceilf(top - 0.5f), bounds[1], bounds[3]);
    p->cy1 = to_index(ceilf(bottom - 0.5f), bounds[1], bounds[3]);
    p->s = shape_of(qv[0], slot, bgr);
    p->in = interior_of(p->s);
    p->q = {left,
            top,
            qv[0]->local[0],
            qv[0]->local[1],
            qv[0]->uv[0],
            qv[0]->uv[1],
            (qv[1]->uv[0] - qv[0]->uv[0]) / (right - left),
            (qv[3]->uv[1] - qv[0]->uv[1]) / (bottom - top)};
    p->one_texel_per_pixel = p->s.mode == QEL_SHAPE_GLYPH && slot && slot->channels == 1 &&
                             fabsf((float)slot->width * p->q.du - 1.0f) < 0.001f &&
                             fabsf((float)slot->height * p->q.dv - 1.0f) < 0.001f;
    load_color(qv[0]->fill, bgr, p->top_c);
    load_color(qv[3]->fill, bgr, p->bottom_c);
    p->gradient = qv[0]->fill != qv[3]->fill;
    p->height = bottom - top;
    return true;
}

// The columns [a, b) of a row at local y where a box, shadow or solid is whole.
template <int MODE>
void interior_columns(const quad_plan& p, float ly, int32_t* a, int32_t* b)
{
    *a = p.cx0;
    *b = p.cx1;
    if constexpr (MODE != QEL_SHAPE_SOLID) {
        const shape& s = p.s;
        float ay = fabsf(ly), m = p.in.margin;
        float limit = !(ay <= s.hh - m) ? -1.0f : ay <= s.hh - m - p.in.rmax ? s.hw - m : s.hw - m - p.in.rmax;
        if (!(limit >= 0.0f)) {
            *b = *a;  // no pixel of the row is whole
            return;
        }
        auto interior = [&](int32_t x) { return fabsf((float)x + 0.5f - p.q.left + p.q.local_x) <= limit; };
        while (*a < *b && !interior(*a)) ++*a;
        while (*b > *a && !interior(*b - 1)) --*b;
    }
}

// Calls draw on the parts of [lo, hi) outside [hide_a, hide_b).
template <typename F>
void outside(int32_t lo, int32_t hi, int32_t hide_a, int32_t hide_b, F draw)
{
    if (hide_a >= hide_b) {
        draw(lo, hi);
        return;
    }
    draw(lo, std::min(hi, hide_a));
    draw(std::max(lo, hide_b), hi);
}

// Shades columns lo..hi of a box's or shadow's row. Where a pixel lies no nearer its side edge
// than the top or bottom one, its distance depends on the row and the corner alone: such runs
// are shaded once and blended with that one colour, to the same bytes.
template <int MODE>
void shade_edges(const quad_plan& p, const quad_row& r, int32_t lo, int32_t hi)
{
    const shape& s = p.s;
    float ay = fabsf(r.ly);
    auto flat = [&](float lx) {
        float radius = lx < 0 ? (r.ly < 0 ? s.radius[0] : s.radius[3]) : (r.ly < 0 ? s.radius[1] : s.radius[2]);
        return fabsf(lx) - s.hw + radius <= min_of(ay - s.hh + radius, 0.0f);
    };
    auto lx_of = [&](int32_t x) { return ((float)x + 0.5f - p.q.left) + p.q.local_x; };
    for (int32_t x = lo; x < hi;) {
        float lx = lx_of(x);
        int32_t end = x + 1;
        if (flat(lx))
            while (end < hi && (lx_of(end) < 0) == (lx < 0) && flat(lx_of(end))) end++;
        float out[4];
        if (shade<MODE>(s, lx, r.ly, r.c, 0, 0, out))
            for (; x < end; x++) blend(r.pixels + 4 * x, out);
        x = end;
    }
}

// Boxes, shadows and solids: the pixels where the shape is whole are one span, filled without
// distances; the rest are shaded one by one. Columns hide_a..hide_b are left alone.
template <int MODE>
void span_row(const quad_plan& p, const quad_row& r, int32_t hide_a, int32_t hide_b, span_tables* tables)
{
    int32_t a, b;
    interior_columns<MODE>(p, r.ly, &a, &b);
    auto shade_part = [&](int32_t lo, int32_t hi) { shade_edges<MODE>(p, r, lo, hi); };
    outside(p.cx0, a, hide_a, hide_b, shade_part);
    outside(b, p.cx1, hide_a, hide_b, shade_part);
    outside(a, b, hide_a, hide_b,
            [&](int32_t lo, int32_t hi) { fill_span(r.pixels, lo, hi, r.c, MODE != QEL_SHAPE_SHADOW, tables); });
}

// The columns of row y that an opaque box's interior span will overwrite; none when the box does
// not reach the row.
void hidden_columns(const quad_plan* box, int32_t y, int32_t* a, int32_t* b)
{
    *a = *b = 0;
    if (!box || y < box->cy0 || y >= box->cy1) return;
    float dy = (float)y + 0.5f - box->q.top;
    interior_columns<QEL_SHAPE_ROUNDED_BOX>(*box, dy + box->q.local_y, a, b);
}

// Draws a planned quad; what `cover`, a later opaque box, will overwrite is skipped.
void draw_quad(const qel_soft_band* job, const quad_plan& p, const quad_plan* cover)
{
    if (p.empty()) return;
    target t = target_of(job);
    span_tables tables;
    with_mode(p.s.mode, [&](auto mode) {
        constexpr int MODE = decltype(mode)::value;
        for (int32_t y = p.cy0; y < p.cy1; y++) {
            quad_row r = p.row(t, y);
            if constexpr (MODE == QEL_SHAPE_GLYPH) {
                if (p.one_texel_per_pixel)
                    glyph_row(p.s, p.q, r, p.cx0, p.cx1);
                else
                    shade_columns<MODE>(p.s, p.q, r, p.cx0, p.cx1);
            } else if constexpr (MODE == QEL_SHAPE_IMAGE) {
                shade_columns<MODE>(p.s, p.q, r, p.cx0, p.cx1);
            } else {
                int32_t hide_a, hide_b;
                hidden_columns(cover, y, &hide_a, &hide_b);
                span_row<MODE>(p, r, hide_a, hide_b, &tables);
            }
        }
    });
}

// --- Triangles ---

// One edge's function, evaluated from the same end for every triangle that shares the edge, so
// that a pixel centre on it is inside exactly one of them.
struct edge {
    float x, y, dx, dy;  // the end first in (y, x) order, and the way to the other
    float orient;        // +1 when the triangle runs the edge that way, else -1
    bool owns_zero;      // top-left rule: a centre exactly on the edge belongs to the triangle

    float at(float px, float py) const { return orient * (dx * (py - y) - dy * (px - x)); }
};

edge edge_of(const qel_vertex* p, const qel_vertex* q, float sign)
{
    bool forward = p->pos[1] < q->pos[1] || (p->pos[1] == q->pos[1] && p->pos[0] < q->pos[0]);
    const qel_vertex* from = forward ? p : q;
    const qel_vertex* to = forward ? q : p;
    float dy = (q->pos[1] - p->pos[1]) * sign, dx = (q->pos[0] - p->pos[0]) * sign;
    return {from->pos[0],
            from->pos[1],
            to->pos[0] - from->pos[0],
            to->pos[1] - from->pos[1],
            forward ? 1.0f : -1.0f,
            dy < 0.0f || (dy == 0.0f && dx > 0.0f)};
}

// Widens [lo, hi] by where the edge crosses the row line py.
void edge_crossing(const edge& e, float py, float* lo, float* hi)
{
    if (!(py >= e.y && py <= e.y + e.dy)) return;
    if (e.dy == 0.0f) {
        *lo = min_of(*lo, e.x);
        *hi = max_of(*hi, e.x + e.dx);
        return;
    }
    float x = e.x + (py - e.y) * e.dx / e.dy;
    *lo = min_of(*lo, x);
    *hi = max_of(*hi, x);
}

void raster_triangle(const qel_soft_band* job, const qel_vertex* A, const qel_vertex* B, const qel_vertex* C,
                     const qel_soft_texture* slot, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    float area = (B->pos[0] - A->pos[0]) * (C->pos[1] - A->pos[1]) - (B->pos[1] - A->pos[1]) * (C->pos[0] - A->pos[0]);
    if (!(fabsf(area) >= 1e-8f)) return;
    float sign = area > 0.0f ? 1.0f : -1.0f, inv_area = 1.0f / area;
    float min_x = min_of(min_of(A->pos[0], B->pos[0]), C->pos[0]),
          max_x = max_of(max_of(A->pos[0], B->pos[0]), C->pos[0]);
    float min_y = min_of(min_of(A->pos[1], B->pos[1]), C->pos[1]),
          max_y = max_of(max_of(A->pos[1], B->pos[1]), C->pos[1]);
    int32_t bx0 = to_index(floorf(min_x), x0, x1), bx1 = to_index(ceilf(max_x), x0, x1);
    int32_t by0 = to_index(floorf(min_y), y0, y1), by1 = to_index(ceilf(max_y), y0, y1);
    if (bx0 >= bx1 || by0 >= by1) return;

    const edge edges[3] = {edge_of(B, C, sign), edge_of(C, A, sign), edge_of(A, B, sign)};
    const qel_vertex* corner[3] = {A, B, C};
    target t = target_of(job);
    shape s = shape_of(A, slot, t.bgr);
    bool one_color = A->fill == B->fill && B->fill == C->fill;
    float colors[3][4];
    for (int i = 0; i < 3; i++) load_color(corner[i]->fill, t.bgr, colors[i]);

    with_mode(s.mode, [&](auto mode) {
        constexpr int MODE = decltype(mode)::value;
        for (int32_t y = by0; y < by1; y++) {
            float py = (float)y + 0.5f;
            float lo = INFINITY, hi = -INFINITY;
            for (const edge& e : edges) edge_crossing(e, py, &lo, &hi);
            if (!(lo <= hi)) continue;
            int32_t cx0 = to_index(floorf(lo) - 1.0f, bx0, bx1), cx1 = to_index(ceilf(hi) + 2.0f, bx0, bx1);
            uint8_t* row = t.row(y);
            for (int32_t x = cx0; x < cx1; x++) {
                float px = (float)x + 0.5f;
                float w[3];
                bool inside = true;
                for (int i = 0; i < 3 && inside; i++) {
                    float e = edges[i].at(px, py), side = e * sign;
                    inside = side > 0.0f || (side == 0.0f && edges[i].owns_zero);
                    w[i] = e * inv_area;
                }
                if (!inside) continue;
                float c[4], mix[4] = {0, 0, 0, 0};
                for (int k = 0; k < 4; k++)
                    c[k] = one_color ? colors[0][k] : w[0] * colors[0][k] + w[1] * colors[1][k] + w[2] * colors[2][k];
                for (int i = 0; i < 3; i++) {
                    const qel_vertex* v = corner[i];
                    const float values[4] = {v->uv[0], v->uv[1], v->local[0], v->local[1]};
                    for (int k = 0; k < 4; k++) mix[k] += w[i] * values[k];
                }
                float out[4];
                if (shade<MODE>(s, mix[2], mix[3], c, mix[0], mix[1], out)) blend(row + 4 * x, out);
            }
        }
    });
}

bool vertex_finite(const qel_vertex* v)
{
    float f[14];
    memcpy(f, v, sizeof f);
    for (float x : f)
        if (!std::isfinite(x)) return false;
    return true;
}

bool is_quad(const uint32_t* ix, uint32_t vertex_count)
{
    uint32_t a = ix[0];
    return a < vertex_count && vertex_count - a >= 4 && ix[1] == a + 1 && ix[2] == a + 2 && ix[3] == a &&
           ix[4] == a + 2 && ix[5] == a + 3;
}

// 0.5 (1 - erf(x)) in single precision, erf by Abramowitz and Stegun 7.1.26 as the OpenGL
// fragment stage computes it.
float half_erfc(float x)
{
    float sign = x < 0.0f ? -1.0f : 1.0f, ax = fabsf(x);
    float t = 1.0f / (1.0f + 0.3275911f * ax);
    float poly = ((((1.061405429f * t - 1.453152027f) * t + 1.421413741f) * t - 0.284496736f) * t + 0.254829592f) * t;
    return 0.5f * (1.0f - sign * (1.0f - poly * expf(-ax * ax)));
}

}  // namespace

static_assert(sizeof(qel_vertex) == 64 && offsetof(qel_vertex, pos) == 0 && offsetof(qel_vertex, kind) == 52,
              "vertex_finite reads the 14 floats from pos to kind");

const float* qel_soft_shadow_table()
{
    static const std::array<float, QEL_SOFT_SHADOW_TABLE_SIZE> table = [] {
        std::array<float, QEL_SOFT_SHADOW_TABLE_SIZE> e{};
        for (int i = 0; i < QEL_SOFT_SHADOW_TABLE_SIZE; i++)
            e[(size_t)i] = half_erfc(-4.0f + (float)i * 6.8f / 1024.0f);
        return e;
    }();
    return table.data();
}

bool qel_soft_clip_bounds(const qel_rect* clip, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t out[4])
{
    if (!std::isfinite(clip->x) || !std::isfinite(clip->y) || !std::isfinite(clip->w) || !std::isfinite(clip->h))
        return false;
    out[0] = to_index(floorf(clip->x), x0, x1);
    out[1] = to_index(floorf(clip->y), y0, y1);
    out[2] = to_index(ceilf(clip->x + clip->w), x0, x1);
    out[3] = to_index(ceilf(clip->y + clip->h), y0, y1);
    return out[0] < out[2] && out[1] < out[3];
}

bool qel_soft_command_indices(const qel_draw_data* dd, const qel_draw_cmd* cmd, uint64_t* first, uint64_t* end)
{
    *first = cmd->first_index;
    uint64_t last = *first + cmd->index_count;
    *end = last < dd->index_count ? last : dd->index_count;
    return cmd->index_count >= 3 && *first + 3 <= *end;
}

bool qel_soft_triangle(const qel_draw_data* dd, const uint32_t* ix, const qel_vertex* out[3])
{
    for (int i = 0; i < 3; i++) {
        if (ix[i] >= dd->vertex_count || !vertex_finite(&dd->vertices[ix[i]])) return false;
        out[i] = &dd->vertices[ix[i]];
    }
    return true;
}

namespace {

// The four texels around (u, v), edges repeated, and their bilinear weights.
struct bilinear {
    size_t at[4];  // texel indices: top-left, top-right, bottom-left, bottom-right
    float weight[4];
};

bilinear bilinear_of(int32_t width, int32_t height, float u, float v)
{
    float x = u * (float)width - 0.5f, y = v * (float)height - 0.5f;
    float fx0 = floorf(x), fy0 = floorf(y);
    float fx = x - fx0, fy = y - fy0;
    int32_t cx = to_index(fx0, -1, width - 1), cy = to_index(fy0, -1, height - 1);
    size_t c0 = (size_t)(cx < 0 ? 0 : cx), c1 = (size_t)(cx + 1 < width ? cx + 1 : width - 1);
    size_t r0 = (size_t)(cy < 0 ? 0 : cy) * (size_t)width,
           r1 = (size_t)(cy + 1 < height ? cy + 1 : height - 1) * (size_t)width;
    return {{r0 + c0, r0 + c1, r1 + c0, r1 + c1},
            {(1.0f - fx) * (1.0f - fy), fx * (1.0f - fy), (1.0f - fx) * fy, fx * fy}};
}

}  // namespace

qel_soft_rgba qel_soft_sample_rgba(const qel_soft_texture* slot, float u, float v)
{
    bilinear b = bilinear_of(slot->width, slot->height, u, v);
    qel_soft_rgba out = {0, 0, 0, 0};
    for (int i = 0; i < 4; i++) {
        const uint8_t* t = slot->pixels + 4 * b.at[i];
        float a = unit(t[3]), w = b.weight[i];
        out.r += unit(t[0]) * a * w;
        out.g += unit(t[1]) * a * w;
        out.b += unit(t[2]) * a * w;
        out.a += a * w;
    }
    return out;
}

float qel_soft_sample_alpha(int32_t width, int32_t height, const uint8_t* texels, float u, float v)
{
    bilinear b = bilinear_of(width, height, u, v);
    float sum = 0.0f;
    for (int i = 0; i < 4; i++) sum += unit(texels[b.at[i]]) * b.weight[i];
    return sum;
}

bool qel_soft_fill_quad(const qel_soft_band* job, const qel_vertex* q0, const qel_vertex* q1, const qel_vertex* q2,
                        const qel_vertex* q3, const qel_soft_texture* slot, int32_t x0, int32_t y0, int32_t x1,
                        int32_t y1)
{
    const qel_vertex* const qv[4] = {q0, q1, q2, q3};
    const int32_t bounds[4] = {x0, y0, x1, y1};
    quad_plan p;
    if (!plan_quad(qv, slot, job->format == QEL_SOFT_BGRA, bounds, &p)) return false;
    draw_quad(job, p, nullptr);
    return true;
}

namespace {

// The four vertices of a quad written in the draw list's order at ix, when they exist and are
// finite.
bool quad_at(const qel_draw_data* dd, const uint32_t* ix, const qel_vertex* q[4])
{
    if (!is_quad(ix, dd->vertex_count)) return false;
    for (int i = 0; i < 4; i++) {
        q[i] = &dd->vertices[ix[0] + i];
        if (!vertex_finite(q[i])) return false;
    }
    return true;
}

// Whether all four corners of the quad at ix lie beyond one side of the pixel bounds, so that
// neither the fast path nor its two triangles could reach a pixel; a NaN is never beyond. Every
// band meets every quad of the frame, and most of them lie in other bands.
bool quad_beyond(const qel_draw_data* dd, const uint32_t* ix, const int32_t bounds[4])
{
    bool left = true, above = true, right = true, below = true;
    for (uint32_t i = 0; i < 4; i++) {
        const float* pos = dd->vertices[ix[0] + i].pos;
        left = left && pos[0] <= (float)bounds[0];
        above = above && pos[1] <= (float)bounds[1];
        right = right && pos[0] >= (float)bounds[2];
        below = below && pos[1] >= (float)bounds[3];
    }
    return left || above || right || below;
}

// Among the next few primitives of a command from index t, the first quad the fast path will
// fill whose interior is opaque: a box whose fill has full alpha at top and bottom. Shadows
// under their own cards need not be shaded where the card hides them.
bool find_cover(const qel_draw_data* dd, uint64_t t, uint64_t end, const int32_t bounds[4], quad_plan* cover)
{
    for (int seen = 0; seen < 3 && t + 3 <= end; seen++) {
        const qel_vertex* q[4];
        if (t + 6 <= end && quad_at(dd, &dd->indices[t], q) && plan_quad(q, nullptr, false, bounds, cover)) {
            if (cover->s.mode == QEL_SHAPE_ROUNDED_BOX && q[0]->fill >> 24 == 255 && q[3]->fill >> 24 == 255)
                return true;
            t += 6;
        } else {
            t += 3;
        }
    }
    return false;
}

}  // namespace

void qel_soft_raster_band(const qel_soft_band* job)
{
    const qel_draw_data* dd = job->dd;
    bool bgr = job->format == QEL_SOFT_BGRA;
    for (uint32_t c = 0; c < dd->command_count; c++) {
        const qel_draw_cmd* cmd = &dd->commands[c];
        int32_t b[4];
        uint64_t first, end;
        if (!qel_soft_clip_bounds(&cmd->clip, job->x0, job->y0, job->x1, job->y1, b)) continue;
        if (!qel_soft_command_indices(dd, cmd, &first, &end)) continue;
        const qel_soft_texture* slot = qel_soft_slot(job->soft, cmd->texture ? cmd->texture : dd->atlas_texture);
        for (uint64_t t = first; t + 3 <= end;) {
            const uint32_t* ix = &dd->indices[t];
            bool quad = t + 6 <= end && is_quad(ix, dd->vertex_count);
            if (quad && quad_beyond(dd, ix, b)) {
                t += 6;
                continue;
            }
            const qel_vertex* q[4];
            quad_plan p, cover;
            if (quad && quad_at(dd, ix, q) && plan_quad(q, slot, bgr, b, &p)) {
                bool covered = p.s.mode == QEL_SHAPE_SHADOW && !p.empty() && find_cover(dd, t + 6, end, b, &cover);
                draw_quad(job, p, covered ? &cover : nullptr);
                t += 6;
                continue;
            }
            const qel_vertex* v[3];
            if (qel_soft_triangle(dd, ix, v)) raster_triangle(job, v[0], v[1], v[2], slot, b[0], b[1], b[2], b[3]);
            t += 3;
        }
    }
}
