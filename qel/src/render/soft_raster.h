// The software rasteriser: draws every command of a frame into one band of a framebuffer with
// the OpenGL renderer's shading. Axis-aligned quads take a fast path of whole-row spans; other
// triangles are filled by the top-left rule. Splitting a frame into bands is the renderer's.
#pragma once

#include <cstdint>

#include "render/soft_renderer.h"

// One raster job: the rows y0..y1 and columns x0..x1 (exclusive ends) of a framebuffer.
struct qel_soft_band {
    const qel_draw_data* dd;
    const qel_soft_renderer* soft;  // for its texture slots
    uint8_t* framebuffer;
    int32_t width, height, stride, format;
    int32_t x0, y0, x1, y1;
};

// Premultiplied colour and alpha, each 0..1.
struct qel_soft_rgba {
    float r, g, b, a;
};

enum { QEL_SOFT_SHADOW_TABLE_SIZE = 1026 };

// --- Rasterising ---

// Draws every command of the band's draw data into the band, blending premultiplied "over". A
// shadow is not shaded where an opaque box drawn soon after it in its command will overwrite it.
void qel_soft_raster_band(const qel_soft_band* job);

// The quad fast path for the quad q0..q3 (top-left, top-right, bottom-right, bottom-left) within
// the pixel bounds x0..x1, y0..y1. False when the quad is not an axis-aligned rectangle without
// horizontal colour change; the caller then draws its two triangles.
bool qel_soft_fill_quad(const qel_soft_band* job, const qel_vertex* q0, const qel_vertex* q1, const qel_vertex* q2,
                        const qel_vertex* q3, const qel_soft_texture* slot, int32_t x0, int32_t y0, int32_t x1,
                        int32_t y1);

// --- What the renderer's tile hashing shares with the rasteriser ---

// The pixel bounds of a command's clip within x0..x1, y0..y1 (exclusive ends) as x0, y0, x1, y1;
// false when empty or not finite.
bool qel_soft_clip_bounds(const qel_rect* clip, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t out[4]);

// The command's index range [first, end), cut to the draw data's indices; false when it holds no
// whole triangle.
bool qel_soft_command_indices(const qel_draw_data* dd, const qel_draw_cmd* cmd, uint64_t* first, uint64_t* end);

// The vertices of the triangle whose three indices start at ix; false when an index is past the
// vertices or a vertex holds a number that is not finite (such triangles are never drawn).
bool qel_soft_triangle(const qel_draw_data* dd, const uint32_t* ix, const qel_vertex* out[3]);

// --- Sampling ---

// Bilinear samples with texel centres at (i + 0.5) / size and edge texels repeated: premultiplied
// RGBA of a 4-channel slot, coverage of 1-byte texels.
qel_soft_rgba qel_soft_sample_rgba(const qel_soft_texture* slot, float u, float v);
float qel_soft_sample_alpha(int32_t width, int32_t height, const uint8_t* texels, float u, float v);

// 0.5 (1 - erf(x)) for x = -4 + i 6.8 / 1024, built on first use with the OpenGL renderer's erf.
const float* qel_soft_shadow_table();
