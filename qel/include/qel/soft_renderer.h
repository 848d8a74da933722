// The software renderer: draws a frame's draw data into a 32-bit framebuffer in memory with the
// same shading as the OpenGL renderer, keeps textures in memory behind the qel_renderer
// interface, redraws only the 64 x 64 tiles that changed (incremental mode) and splits large
// regions into bands on worker threads. Presenting the framebuffer is the shell's.
#pragma once

#include "qel/context.h"
#include "qel/draw.h"

// --- Records ---

struct qel_soft_renderer;

// Byte order of a framebuffer pixel.
enum qel_soft_format : int32_t {
    QEL_SOFT_RGBA = 0,  // R, G, B, A (any value other than QEL_SOFT_BGRA reads as this)
    QEL_SOFT_BGRA = 1,  // B, G, R, A, what a Windows bitmap blit expects
};

// --- Making and releasing ---

// A renderer with one worker per processor (at most 8) and incremental mode off; null when it
// cannot be allocated. Its worker threads start with the first render that splits a region and
// stay parked between renders; they touch nothing outside a render.
qel_soft_renderer* qel_soft_create();

// Joins the worker threads and frees the renderer and every texture it holds; null is ignored.
void qel_soft_destroy(qel_soft_renderer* soft);

// --- Settings ---

// Bands a large region is split into, limited to 1..32; a different number parks a new set of
// threads at the next render. Call it between renders. Returns 1.
int32_t qel_soft_set_workers(qel_soft_renderer* soft, int32_t workers);

// With incremental mode on, a render redraws only the tiles whose content changed since the
// previous render into the same framebuffer. Setting it forgets the previous frame.
void qel_soft_set_incremental(qel_soft_renderer* soft, bool on);

// --- Textures ---
// Handles are a slot index + 1; 0 names no texture.

// The renderer's texture interface, to install in a context.
void qel_soft_fill_renderer(qel_renderer* out, qel_soft_renderer* soft);

// A texture of 1 (coverage) or 4 (straight RGBA) channels, rows packed; null pixels give zeros.
// 0 for any other channel count, a size that is not positive, or one of 2 GiB or more.
uint64_t qel_soft_texture_create(qel_soft_renderer* soft, int32_t width, int32_t height, int32_t channels,
                                 const void* pixels);

// Replaces a rectangle of the texture from rows stride bytes apart (0: packed). The part outside
// the texture is left out; null pixels, an empty rectangle or a stale handle do nothing.
void qel_soft_texture_update(qel_soft_renderer* soft, uint64_t texture, int32_t x, int32_t y, int32_t width,
                             int32_t height, const void* pixels, int32_t stride);

// Frees the texture; its slot serves the next creation, and what still samples the handle is
// redrawn by the next incremental render. Stale handles are ignored.
void qel_soft_texture_delete(qel_soft_renderer* soft, uint64_t texture);

// --- Rendering ---

// Draws the frame into the framebuffer of width x height pixels, rows stride bytes apart, in the
// given qel_soft_format. A null argument, a size that is not positive or a stride shorter than a
// row draws nothing and leaves the dirty rectangle empty.
void qel_soft_render(qel_soft_renderer* soft, const qel_draw_data* dd, void* framebuffer, int32_t width, int32_t height,
                     int32_t stride, int32_t format);

// The rectangle the last render redrew, as position and size (any output may be null). False
// when nothing was redrawn (then x and y are the framebuffer size and the size is negative) or
// for a null renderer.
bool qel_soft_dirty_rect(const qel_soft_renderer* soft, int32_t* x, int32_t* y, int32_t* width, int32_t* height);
