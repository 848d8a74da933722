// The draw list's record and the calls the primitives, text and the frame cycle build on: reset,
// reservation in the current command, clip culling, point mapping and the one shape quad.
#pragma once

#include <cmath>
#include <cstdint>

#include "qel/color.h"
#include "qel/draw.h"
#include "core/stack_depth.h"

// Maps framebuffer pixels to framebuffer pixels: p x scale + offset.
struct qel_transform {
    float scale;
    float offset_x, offset_y;
    float alpha;
    uint64_t reserved;
};

enum { QEL_CLIP_STACK_CAPACITY = 64, QEL_TRANSFORM_STACK_CAPACITY = 32 };

struct qel_draw_list {
    qel_vertex* vertices;
    uint32_t vertex_count, vertex_capacity;
    uint32_t* indices;
    uint32_t index_count, index_capacity;
    qel_draw_cmd* commands;
    uint32_t command_count, command_capacity;
    qel_rect clip[QEL_CLIP_STACK_CAPACITY];  // framebuffer pixels; entry 0 is the display
    qel_stack_depth clip_depth;
    qel_transform transform[QEL_TRANSFORM_STACK_CAPACITY];  // entry 0 is the identity
    qel_stack_depth transform_depth;
    uint64_t texture;  // texture the next reservation's command must carry
};

// Frees the arrays.
void qel_draw_release(qel_context* ctx);

// Renderers turn vertex fields into pixel and table indices; what is not finite becomes 0.
inline float qel_finite_or_zero(float v)
{
    return std::isfinite(v) ? v : 0.0f;
}

// The four radii given, or four zeros for square corners (null).
inline const float* qel_draw_radii(const float* radii)
{
    static const float SQUARE[4] = {0, 0, 0, 0};
    return radii ? radii : SQUARE;
}

// A colour drawn under a transform's alpha: unchanged at full alpha, else its alpha scaled.
inline qel_color qel_draw_fade(qel_color c, float transform_alpha)
{
    return transform_alpha < 1.0f ? qel_color_alpha(c, transform_alpha) : c;
}

// The transform everything is drawn under now.
const qel_transform* qel_draw_top_transform(qel_context* ctx);

// The clip everything is drawn within now, framebuffer pixels.
const qel_rect* qel_draw_top_clip(qel_context* ctx);

// Empties the list; the base clip is the whole framebuffer and the base transform the identity.
void qel_draw_reset(qel_context* ctx);

// Room for vertex_count cleared vertices and index_count indices in a command of the current
// clip and texture. Returns the first vertex and stores its index in *first_vertex; the caller
// writes its indices at the end of the index array and advances index_count itself.
qel_vertex* qel_draw_reserve(qel_context* ctx, int32_t vertex_count, int32_t index_count, uint32_t* first_vertex);

// qel_draw_reserve for callers that write every field of every vertex: nothing is cleared.
qel_vertex* qel_draw_reserve_whole(qel_context* ctx, int32_t vertex_count, int32_t index_count,
                                   uint32_t* first_vertex);

// Takes back the vertices reserved from `first` on with `index_count` indices of the last command.
void qel_draw_take_back(qel_context* ctx, uint32_t first, uint32_t index_count);

// Writes the two triangles of the quad whose first vertex is b and advances the index count.
void qel_draw_quad_indices(qel_context* ctx, uint32_t b);

// True when the box lies outside the current clip, the clip is empty, or the box is not finite.
bool qel_draw_culled(qel_context* ctx, float x0, float y0, float x1, float y1);

// The points mapped from logical units to framebuffer pixels, copied into the frame arena.
qel_vec2* qel_draw_transform_points(qel_context* ctx, const qel_vec2* points, uint32_t count);

// One quad of a shape under the current transform; lengths in framebuffer pixels, colours
// resolved, fills per corner (top-left, top-right, bottom-right, bottom-left).
void qel_draw_shape(qel_context* ctx, float centre_x, float centre_y, float half_w, float half_h, float pad,
                    const float radii[4], float param, int32_t kind, qel_color fill_tl, qel_color fill_tr,
                    qel_color fill_br, qel_color fill_bl, qel_color border, uint64_t texture, float u_min, float v_min,
                    float u_max, float v_max);
