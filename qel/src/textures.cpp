// Textures through the context's renderer interface, and image files decoded into them with
// stb_image (PNG and JPEG only), read through callbacks over a file opened by UTF-8 name. The
// renderer owns what it makes; drawing is qel_draw_image's.
#include "qel/textures.h"

#include <cstdio>

#include "core.h"
#include "files/file_io.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#include <stb_image.h>

// --- Textures from pixels ---

uint64_t qel_texture_create(qel_context* ctx, int32_t width, int32_t height, const uint8_t* rgba)
{
    const qel_renderer* r = &ctx->renderer;
    return r->create ? r->create(r->user, width, height, 4, rgba) : 0;
}

void qel_texture_release(qel_context* ctx, uint64_t texture)
{
    const qel_renderer* r = &ctx->renderer;
    if (texture && r->destroy) r->destroy(r->user, texture);
}

// --- Textures from image files ---

static int read_file(void* user, char* data, int size)
{
    return (int)fread(data, 1, (size_t)size, (FILE*)user);
}

static void skip_file(void* user, int n)
{
    fseek((FILE*)user, n, SEEK_CUR);
}

static int file_ended(void* user)
{
    return feof((FILE*)user) || ferror((FILE*)user);
}

static const stbi_io_callbacks FILE_READER = {read_file, skip_file, file_ended};

static bool fits_limits(int width, int height)
{
    return width <= QEL_IMAGE_MAX_SIDE && height <= QEL_IMAGE_MAX_SIDE &&
           (int64_t)width * height <= QEL_IMAGE_MAX_PIXELS;
}

// The image's size from its header, then its pixels once the size is known to be acceptable.
static qel_image_result decode(FILE* f, uint8_t** pixels, int* width, int* height)
{
    int channels;
    if (!stbi_info_from_callbacks(&FILE_READER, f, width, height, &channels)) return QEL_IMAGE_NOT_DECODED;
    if (!fits_limits(*width, *height)) return QEL_IMAGE_TOO_LARGE;
    if (fseek(f, 0, SEEK_SET) != 0) return QEL_IMAGE_CANNOT_OPEN;
    clearerr(f);
    int w, h;
    *pixels = stbi_load_from_callbacks(&FILE_READER, f, &w, &h, &channels, 4);
    if (!*pixels) return QEL_IMAGE_NOT_DECODED;
    if (w != *width || h != *height) {  // the file changed under us
        stbi_image_free(*pixels);
        *pixels = nullptr;
        return QEL_IMAGE_NOT_DECODED;
    }
    return QEL_IMAGE_OK;
}

qel_image_result qel_image_load(qel_context* ctx, const char* path, uint64_t* out_texture, uint32_t* out_width,
                                uint32_t* out_height)
{
    if (out_texture) *out_texture = 0;
    if (out_width) *out_width = 0;
    if (out_height) *out_height = 0;
    FILE* f = path ? file_open(path, "rb") : nullptr;
    if (!f) return QEL_IMAGE_CANNOT_OPEN;
    uint8_t* pixels = nullptr;
    int width = 0, height = 0;
    qel_image_result result = decode(f, &pixels, &width, &height);
    fclose(f);
    if (result == QEL_IMAGE_OK || result == QEL_IMAGE_TOO_LARGE) {
        if (out_width) *out_width = (uint32_t)width;
        if (out_height) *out_height = (uint32_t)height;
    }
    if (result != QEL_IMAGE_OK) return result;
    uint64_t texture = qel_texture_create(ctx, width, height, pixels);
    stbi_image_free(pixels);
    if (out_texture) *out_texture = texture;
    return texture ? QEL_IMAGE_OK : QEL_IMAGE_NO_TEXTURE;
}

uint64_t qel_image_load_texture(qel_context* ctx, const char* path, uint32_t* out_width, uint32_t* out_height)
{
    uint64_t texture;
    qel_image_load(ctx, path, &texture, out_width, out_height);
    return texture;
}
