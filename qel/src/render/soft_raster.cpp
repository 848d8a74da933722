// The rasteriser: shading of the five shape kinds, premultiplied blending in either byte order,
// the quad fast path with opaque and table-blended spans, and triangles filled by the top-left
// rule. Every float that becomes a pixel or texel index is limited first, so no vertex, however
// wrong, can index outside the band or a texture.
#include "render/soft_raster.h"

#include <array>
#include <cmath>
#include <cstring>

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

// trunc(clamp(v, 0, 1) x 255 + 0.5); NaN gives 0.
inline uint8_t to_byte(float v)
{
    return !(v > 0.0f) ? 0 : v >= 1.0f ? 255 : (uint8_t)(int32_t)(v * 255.0f + 0.5f);
}

// One byte of "over": the premultiplied source value plus what the destination keeps.
inline uint8_t over_byte(float source, float keep, uint8_t dst)
{
    return to_byte(source + unit(dst) * keep);
}

// Blends a premultiplied colour and alpha (framebuffer byte order) into one pixel.
inline void blend(uint8_t* px, const float s[4])
{
    float a = s[3];
    if (!(a > 0.0005f)) return;
    if (a >= 0.9995f) {
        for (int i = 0; i < 3; i++) px[i] = to_byte(s[i]);
        px[3] = 255;
        return;
    }
    float keep = 1.0f - a;
    for (int i = 0; i < 4; i++) px[i] = over_byte(s[i], keep, px[i]);
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
    s.mode = mode == QEL_SHAPE_GLYPH || mode == QEL_SHAPE_ROUNDED_BOX || mode == QEL_SHAPE_SHADOW ||
                     mode == QEL_SHAPE_SOLID
                 ? mode
                 : QEL_SHAPE_IMAGE;
    s.hw = a->half[0];
    s.hh = a->half[1];
    float limit = fminf(s.hw, s.hh);
    for (int i = 0; i < 4; i++) s.radius[i] = fminf(a->radii[i], limit);
    s.param = a->param;
    load_color(a->border, bgr, s.border);
    s.inv_sigma = 1.0f / (fmaxf(a->param, 0.01f) * 1.4142135f);
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
    float ox = fmaxf(qx, 0.0f), oy = fmaxf(qy, 0.0f);
    return fminf(fmaxf(qx, qy), 0.0f) + sqrtf(ox * ox + oy * oy) - r;
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

// The premultiplied colour of the shape's pixel at local position (lx, ly) with fill c and
// texture coordinates (u, v), in framebuffer order; false when the pixel is left alone.
bool shade(const shape& s, float lx, float ly, const float c[4], float u, float v, float out[4])
{
    switch (s.mode) {
    case QEL_SHAPE_SOLID:
        scaled(c, c[3], out);
        return true;
    case QEL_SHAPE_GLYPH: {
        bool coverage = s.slot && s.slot->channels == 1;
        float a = coverage ? qel_soft_sample_alpha(s.slot->width, s.slot->height, s.slot->pixels, u, v) : 1.0f;
        scaled(c, c[3] * a, out);
        return true;
    }
    case QEL_SHAPE_ROUNDED_BOX: {
        float d = distance(s, lx, ly);
        float outer = 0.5f - d;
        if (!(outer > 0.0f)) return false;
        outer = fminf(outer, 1.0f);
        float inner = outer;
        if (s.param > 0.0f) {
            inner = 0.5f - (d + s.param);
            inner = inner < 0.0f ? 0.0f : fminf(inner, 1.0f);
        }
        float fa = c[3] * inner, ba = s.border[3] * (outer - inner);
        for (int i = 0; i < 3; i++) out[i] = c[i] * fa + s.border[i] * ba;
        out[3] = fa + ba;
        return true;
    }
    case QEL_SHAPE_SHADOW: {
        float factor;
        if (!shadow_factor(s, distance(s, lx, ly), &factor)) return false;
        scaled(c, c[3] * factor, out);
        return true;
    }
    default: {
        float cov = 0.5f - distance(s, lx, ly);
        if (!(cov > 0.0f)) return false;
        float k = c[3] * fminf(cov, 1.0f);
        if (!s.slot || s.slot->channels != 4) {
            scaled(c, k, out);
            return true;
        }
        qel_soft_rgba t = qel_soft_sample_rgba(s.slot, u, v);
        out[0] = (s.bgr ? t.b : t.r) * c[0] * k;
        out[1] = t.g * c[1] * k;
        out[2] = (s.bgr ? t.r : t.b) * c[2] * k;
        out[3] = t.a * k;
        return true;
    }
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

void shade_pixel(const shape& s, const quad_frame& q, const quad_row& r, int32_t x)
{
    float dx = (float)x + 0.5f - q.left;
    float out[4];
    if (shade(s, dx + q.local_x, r.ly, r.c, q.u + dx * q.du, r.v, out)) blend(r.pixels + 4 * x, out);
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

// Boxes, shadows and solids: the pixels where the shape is certainly whole are one span, filled
// without distances; the rest are shaded one by one.
void span_row(const shape& s, const quad_frame& q, const quad_row& r, int32_t x0, int32_t x1, span_tables* tables)
{
    int32_t a = x0, b = x1;
    if (s.mode != QEL_SHAPE_SOLID) {
        // Inside these margins a box has full coverage and a shadow a factor of exactly 1.
        float margin = s.mode == QEL_SHAPE_SHADOW ? fmaxf(s.param, 0.01f) * 5.656854f : s.param + 0.5f;
        float rmax = fmaxf(fmaxf(s.radius[0], s.radius[1]), fmaxf(s.radius[2], s.radius[3]));
        float ay = fabsf(r.ly);
        float limit = !(ay <= s.hh - margin) ? -1.0f : ay <= s.hh - margin - rmax ? s.hw - margin : s.hw - margin - rmax;
        auto interior = [&](int32_t x) { return fabsf((float)x + 0.5f - q.left + q.local_x) <= limit; };
        for (; a < b && !interior(a); a++) shade_pixel(s, q, r, a);
        for (; b > a && !interior(b - 1); b--) shade_pixel(s, q, r, b - 1);
    }
    fill_span(r.pixels, a, b, r.c, s.mode != QEL_SHAPE_SHADOW, tables);
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
    return {from->pos[0], from->pos[1], to->pos[0] - from->pos[0], to->pos[1] - from->pos[1], forward ? 1.0f : -1.0f,
            dy < 0.0f || (dy == 0.0f && dx > 0.0f)};
}

// Widens [lo, hi] by where the edge crosses the row line py.
void edge_crossing(const edge& e, float py, float* lo, float* hi)
{
    if (!(py >= e.y && py <= e.y + e.dy)) return;
    if (e.dy == 0.0f) {
        *lo = fminf(*lo, e.x);
        *hi = fmaxf(*hi, e.x + e.dx);
        return;
    }
    float x = e.x + (py - e.y) * e.dx / e.dy;
    *lo = fminf(*lo, x);
    *hi = fmaxf(*hi, x);
}

void raster_triangle(const qel_soft_band* job, const qel_vertex* A, const qel_vertex* B, const qel_vertex* C,
                     const qel_soft_texture* slot, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    float area = (B->pos[0] - A->pos[0]) * (C->pos[1] - A->pos[1]) - (B->pos[1] - A->pos[1]) * (C->pos[0] - A->pos[0]);
    if (!(fabsf(area) >= 1e-8f)) return;
    float sign = area > 0.0f ? 1.0f : -1.0f, inv_area = 1.0f / area;
    float min_x = fminf(fminf(A->pos[0], B->pos[0]), C->pos[0]), max_x = fmaxf(fmaxf(A->pos[0], B->pos[0]), C->pos[0]);
    float min_y = fminf(fminf(A->pos[1], B->pos[1]), C->pos[1]), max_y = fmaxf(fmaxf(A->pos[1], B->pos[1]), C->pos[1]);
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
            float c[4], mix[6] = {0, 0, 0, 0, 0, 0};
            for (int k = 0; k < 4; k++)
                c[k] = one_color ? colors[0][k] : w[0] * colors[0][k] + w[1] * colors[1][k] + w[2] * colors[2][k];
            for (int i = 0; i < 3; i++) {
                const qel_vertex* q = corner[i];
                const float values[4] = {q->uv[0], q->uv[1], q->local[0], q->local[1]};
                for (int k = 0; k < 4; k++) mix[k] += w[i] * values[k];
            }
            float out[4];
            if (shade(s, mix[2], mix[3], c, mix[0], mix[1], out)) blend(row + 4 * x, out);
        }
    }
}

bool vertex_finite(const qel_vertex* v)
{
    const float* f = v->pos;
    for (int i = 0; i < 14; i++)
        if (!std::isfinite(f[i])) return false;
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
    size_t r0 = (size_t)(cy < 0 ? 0 : cy) * (size_t)width, r1 = (size_t)(cy + 1 < height ? cy + 1 : height - 1) * (size_t)width;
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
    float left = q0->pos[0], right = q1->pos[0], top = q0->pos[1], bottom = q3->pos[1];
    bool rectangle = top == q1->pos[1] && right == q2->pos[0] && bottom == q2->pos[1] && left == q3->pos[0] &&
                     left < right && top < bottom;
    if (!rectangle || q0->fill != q1->fill || q3->fill != q2->fill) return false;
    // A pixel belongs to the quad when its centre lies in [left, right) x [top, bottom).
    int32_t cx0 = to_index(ceilf(left - 0.5f), x0, x1), cx1 = to_index(ceilf(right - 0.5f), x0, x1);
    int32_t cy0 = to_index(ceilf(top - 0.5f), y0, y1), cy1 = to_index(ceilf(bottom - 0.5f), y0, y1);
    if (cx0 >= cx1 || cy0 >= cy1) return true;

    target t = target_of(job);
    shape s = shape_of(q0, slot, t.bgr);
    quad_frame q = {left,      top,       q0->local[0], q0->local[1], q0->uv[0], q0->uv[1],
                    (q1->uv[0] - q0->uv[0]) / (right - left), (q3->uv[1] - q0->uv[1]) / (bottom - top)};
    bool one_texel_per_pixel = s.mode == QEL_SHAPE_GLYPH && slot && slot->channels == 1 &&
                               fabsf((float)slot->width * q.du - 1.0f) < 0.001f &&
                               fabsf((float)slot->height * q.dv - 1.0f) < 0.001f;
    bool spans = s.mode == QEL_SHAPE_ROUNDED_BOX || s.mode == QEL_SHAPE_SHADOW || s.mode == QEL_SHAPE_SOLID;
    float top_c[4], bottom_c[4];
    load_color(q0->fill, t.bgr, top_c);
    load_color(q3->fill, t.bgr, bottom_c);
    bool gradient = q0->fill != q3->fill;
    span_tables tables;

    for (int32_t y = cy0; y < cy1; y++) {
        float dy = (float)y + 0.5f - top;
        quad_row r;
        r.pixels = t.row(y);
        float k = dy / (bottom - top);
        for (int i = 0; i < 4; i++) r.c[i] = gradient ? top_c[i] + (bottom_c[i] - top_c[i]) * k : top_c[i];
        r.ly = dy + q.local_y;
        r.v = q.v + dy * q.dv;
        if (one_texel_per_pixel)
            glyph_row(s, q, r, cx0, cx1);
        else if (spans)
            span_row(s, q, r, cx0, cx1, &tables);
        else
            for (int32_t x = cx0; x < cx1; x++) shade_pixel(s, q, r, x);
    }
    return true;
}

void qel_soft_raster_band(const qel_soft_band* job)
{
    const qel_draw_data* dd = job->dd;
    for (uint32_t c = 0; c < dd->command_count; c++) {
        const qel_draw_cmd* cmd = &dd->commands[c];
        int32_t b[4];
        uint64_t first, end;
        if (!qel_soft_clip_bounds(&cmd->clip, job->x0, job->y0, job->x1, job->y1, b)) continue;
        if (!qel_soft_command_indices(dd, cmd, &first, &end)) continue;
        const qel_soft_texture* slot = qel_soft_slot(job->soft, cmd->texture ? cmd->texture : dd->atlas_texture);
        for (uint64_t t = first; t + 3 <= end;) {
            const uint32_t* ix = &dd->indices[t];
            if (t + 6 <= end && is_quad(ix, dd->vertex_count)) {
                const qel_vertex* q = &dd->vertices[ix[0]];
                bool sound = vertex_finite(q) && vertex_finite(q + 1) && vertex_finite(q + 2) && vertex_finite(q + 3);
                if (sound && qel_soft_fill_quad(job, q, q + 1, q + 2, q + 3, slot, b[0], b[1], b[2], b[3])) {
                    t += 6;
                    continue;
                }
            }
            const qel_vertex* v[3];
            if (qel_soft_triangle(dd, ix, v)) raster_triangle(job, v[0], v[1], v[2], slot, b[0], b[1], b[2], b[3]);
            t += 3;
        }
    }
}
