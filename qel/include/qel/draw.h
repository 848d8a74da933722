// Drawing: the draw list a frame produces for a renderer, the clip and transform stacks, and the
// primitives widgets and canvases draw with. Primitives take logical units (times the display
// scale for framebuffer pixels) and colours that may be theme tokens; what they add is quads and
// triangles whose shading the renderer does from the vertex fields.
#pragma once

#include <bit>
#include <cstddef>

#include "qel/types.h"

// --- Records a renderer consumes ---

// How a renderer shades a vertex.
enum qel_shape_kind : int32_t {
    QEL_SHAPE_GLYPH = 0,        // atlas coverage times the fill colour
    QEL_SHAPE_ROUNDED_BOX = 1,  // rounded rectangle, border of width param
    QEL_SHAPE_SHADOW = 2,       // rounded rectangle blurred with sigma param
    QEL_SHAPE_IMAGE = 3,        // texture times the fill colour, cut to the rounded rectangle
    QEL_SHAPE_SOLID = 4,        // plain vertex colour
};

// One vertex, 64 bytes, all lengths in framebuffer pixels (y down). Fields a shape does not use
// are zero. Colours are packed 0xAABBGGRR, so their bytes are R, G, B, A in memory.
struct qel_vertex {
    float pos[2];
    float uv[2];
    float local[2];  // position relative to the shape's centre
    float half[2];   // half size of the shape, without its pad margin
    float radii[4];  // top-left, top-right, bottom-right, bottom-left
    float param;     // border width (rounded box) or blur sigma (shadow)
    float kind;      // qel_shape_kind
    qel_color fill;
    qel_color border;
};

static_assert(sizeof(qel_vertex) == 64 && offsetof(qel_vertex, uv) == 8 && offsetof(qel_vertex, local) == 16 &&
                  offsetof(qel_vertex, half) == 24 && offsetof(qel_vertex, radii) == 32 &&
                  offsetof(qel_vertex, param) == 48 && offsetof(qel_vertex, kind) == 52 &&
                  offsetof(qel_vertex, fill) == 56 && offsetof(qel_vertex, border) == 60,
              "renderers bind the vertex fields at these offsets");
static_assert(std::endian::native == std::endian::little, "colours must reach renderers as R, G, B, A bytes");

// A run of indices drawn under one clip rectangle and texture.
struct qel_draw_cmd {
    qel_rect clip;     // framebuffer pixels, whole numbers
    uint64_t texture;  // 0: the glyph atlas
    uint32_t first_index;
    uint32_t index_count;
};

// One finished frame. The arrays belong to the context and stay valid until the next frame
// begins drawing.
struct qel_draw_data {
    qel_vertex* vertices;
    uint32_t vertex_count;
    uint32_t* indices;
    uint32_t index_count;
    qel_draw_cmd* commands;
    uint32_t command_count;
    int32_t framebuffer_width, framebuffer_height;
    qel_color clear_color;
    uint64_t atlas_texture;
};

static_assert(sizeof(qel_draw_data) == 64);

// --- Clip and transform ---

// Clips to r (logical units) within the current clip, snapped outward to whole pixels. Up to 64
// levels; deeper pushes are counted and their pops only undo the count.
void qel_draw_push_clip(qel_context* ctx, const qel_rect* r);
void qel_draw_pop_clip(qel_context* ctx);

// Scales by scale about the pivot, then moves by the offset (logical units), within the current
// transform; alpha multiplies the alpha of everything drawn. Up to 32 levels, counted beyond.
void qel_draw_push_transform(qel_context* ctx, float scale, float pivot_x, float pivot_y, float alpha, float offset_x,
                             float offset_y);
void qel_draw_pop_transform(qel_context* ctx);

// --- Shapes ---
// Each draws nothing for an empty rectangle. radii are four lengths (top-left, top-right,
// bottom-right, bottom-left; null for square corners).

void qel_draw_rect(qel_context* ctx, const qel_rect* r, const float* radii, qel_color color);

// A border of at least one pixel over the fill; without a visible border, qel_draw_rect.
void qel_draw_rect_bordered(qel_context* ctx, const qel_rect* r, const float* radii, qel_color fill, qel_color border,
                            float border_width);

// A vertical gradient, drawn whatever its alphas.
void qel_draw_rect_gradient(qel_context* ctx, const qel_rect* r, const float* radii, qel_color top, qel_color bottom);

void qel_draw_box_shadow(qel_context* ctx, const qel_rect* r, const float* radii, float blur, float spread,
                         qel_vec2 offset, qel_color color);

// uv is (u, v, width, height) in texture coordinates, null for the whole texture. A tint of
// alpha 0 shows the image unchanged; texture 0 draws nothing.
void qel_draw_image(qel_context* ctx, uint64_t texture, const qel_rect* r, const qel_rect* uv, const float* radii,
                    qel_color tint);

void qel_draw_circle(qel_context* ctx, qel_vec2 centre, float radius, qel_color color);

// --- Lines and polygons ---

// Anti-aliased by a one-pixel fringe; lines under a pixel wide are drawn one pixel wide and
// fainter.
void qel_draw_polyline(qel_context* ctx, const qel_vec2* points, int32_t count, float width, qel_color color,
                       uint8_t closed);
void qel_draw_line(qel_context* ctx, qel_vec2 a, qel_vec2 b, float width, qel_color color);
void qel_draw_convex_polygon(qel_context* ctx, const qel_vec2* points, int32_t count, qel_color color);

// Angles in radians; a full turn is drawn closed.
void qel_draw_arc(qel_context* ctx, qel_vec2 centre, float radius, float angle_from, float angle_to, float width,
                  qel_color color);

// A vertex of caller-built triangles: logical units and a colour (token or literal).
struct qel_triangle_vertex {
    float x, y;
    qel_color color;
};

// Triangles by index into vertices. A triangle with an index past the vertices or a position
// that is not finite is left out.
void qel_draw_triangles(qel_context* ctx, const qel_triangle_vertex* vertices, int32_t vertex_count,
                        const uint32_t* indices, int32_t index_count);

// --- Compositions ---

// A white glow along the top edge fading downwards (the small form for small controls).
void qel_draw_top_highlight(qel_context* ctx, const qel_rect* r, const float* radii, float strength);
void qel_draw_top_highlight_small(qel_context* ctx, const qel_rect* r, const float* radii, float strength);

// A check mark drawn to progress 0..1 of its path inside the box.
void qel_draw_checkmark(qel_context* ctx, const qel_rect* box, float progress, float width, qel_color color);

// A turning arc over a faint ring; asks for the next frame while drawn.
void qel_draw_spinner(qel_context* ctx, qel_vec2 centre, float radius, float width, qel_color color);

// The theme's focus ring three units outside the rectangle, faded by strength.
void qel_draw_focus_ring(qel_context* ctx, const qel_rect* r, const float* radii, float strength);

// The theme's shadow pair for elevation level 1, 2 or 3 (higher levels use 3).
void qel_draw_elevation(qel_context* ctx, const qel_rect* r, const float* radii, uint32_t level, float strength);

// --- Text ---

// One glyph quad in framebuffer pixels with atlas coordinates and a resolved colour; text drawing
// ends here.
void qel_draw_glyph(qel_context* ctx, float x0, float y0, float x1, float y1, float u_min, float v_min, float u_max,
                    float v_max, qel_color color);
