// Textures for images: made from RGBA pixels or from PNG and JPEG files through the renderer
// interface installed in the context, and released through it again. The caller owns every
// texture it gets here; qel_draw_image draws them.
#pragma once

#include "qel/types.h"

// --- Records ---

// Image files are untrusted (a user may drop anything on the window): larger ones are refused
// before their pixels are decoded.
enum { QEL_IMAGE_MAX_SIDE = 16384, QEL_IMAGE_MAX_PIXELS = 8192 * 8192 };

enum qel_image_result : int32_t {
    QEL_IMAGE_OK = 0,
    QEL_IMAGE_CANNOT_OPEN = 1,  // missing, unreadable or no path
    QEL_IMAGE_NOT_DECODED = 2,  // not a PNG or JPEG, or damaged
    QEL_IMAGE_TOO_LARGE = 3,    // a side above QEL_IMAGE_MAX_SIDE or more pixels than QEL_IMAGE_MAX_PIXELS
    QEL_IMAGE_NO_TEXTURE = 4,   // decoded, but the renderer made no texture (or there is none)
};

// --- Textures from pixels ---

// A texture of width x height straight RGBA pixels, rows top-down; 0 without a renderer interface
// or when the renderer fails.
uint64_t qel_texture_create(qel_context* ctx, int32_t width, int32_t height, const uint8_t* rgba);

// Releases a texture; nothing for 0 or a renderer that cannot release.
void qel_texture_release(qel_context* ctx, uint64_t texture);

// --- Textures from image files ---

// Decodes a PNG or JPEG file (UTF-8 path) into 8-bit RGBA and makes a texture of it. The sizes
// are zeroed first and written once the image's header is read (also for an image too large or
// when no texture can be made); the texture is 0 unless the result is QEL_IMAGE_OK. Any pointer
// may be null.
qel_image_result qel_image_load(qel_context* ctx, const char* path, uint64_t* out_texture, uint32_t* out_width,
                                uint32_t* out_height);

// The same, giving only the texture (0 on any failure).
uint64_t qel_image_load_texture(qel_context* ctx, const char* path, uint32_t* out_width, uint32_t* out_height);
