// PNG through stb_image_write's encoder, PBM by hand; both written through the engine's file
// opening so that UTF-8 names work everywhere, and removed again when they end up incomplete.
#include "image_file.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "file_io.h"

// The encoder is compiled here, private to this file, with its own file handling left out.
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace {

// The encoder counts in int, and its compressed output, up to 9/8 of its filtered input, grows
// by doubling: filtered images (a filter byte a row) stay at 2^29 bytes.
const int64_t png_max_filtered = (int64_t)1 << 29;

// An image file being written; `ok` turns false at the first failed write.
struct image_output {
    FILE* f;
    bool ok;
};

void image_write(void* context, void* data, int size)
{
    image_output* out = (image_output*)context;
    if (size > 0 && fwrite(data, 1, (size_t)size, out->f) != (size_t)size) out->ok = false;
}

// Closes the file; one that was not written completely is removed, unless it is a device.
engine_error image_close(image_output* out, const char* path)
{
    return file_close_written(out->f, path, out->ok) ? ERR_OK : ERR_IO;
}

// Greyscale pixels of the raster with each dot a scale x scale block.
uint8_t* png_pixels(const raster* r, int32_t scale, size_t width, size_t height)
{
    uint8_t* pixels = (uint8_t*)malloc(width * height);
    if (!pixels) return nullptr;
    for (int32_t y = 0; y < r->height; y++) {
        uint8_t* row = pixels + (size_t)y * scale * width;
        for (int32_t x = 0; x < r->width; x++)
            memset(row + (size_t)x * scale, raster_get(r, x, y) ? 0 : 255, (size_t)scale);
        for (int32_t copy = 1; copy < scale; copy++) memcpy(row + copy * width, row, width);
    }
    return pixels;
}

}  // namespace

engine_error png_write_raster(const raster* r, const char* path, int32_t scale)
{
    if (!r || !r->bits || !path || scale < 1) return ERR_INVALID;
    int64_t width = (int64_t)r->width * scale, height = (int64_t)r->height * scale;
    if (width >= png_max_filtered || height >= png_max_filtered || (width + 1) * height > png_max_filtered)
        return ERR_RANGE;
    uint8_t* pixels = png_pixels(r, scale, (size_t)width, (size_t)height);
    if (!pixels) return ERR_NOMEM;
    image_output out = {file_open(path, "wb"), true};
    if (!out.f) {
        free(pixels);
        return ERR_IO;
    }
    if (!stbi_write_png_to_func(image_write, &out, (int)width, (int)height, 1, pixels, (int)width)) out.ok = false;
    free(pixels);
    return image_close(&out, path);
}

engine_error png_write_raster_1x(const raster* r, const char* path)
{
    return png_write_raster(r, path, 1);
}

engine_error pbm_write_raster(const raster* r, const char* path)
{
    if (!r || !r->bits || !path) return ERR_INVALID;
    image_output out = {file_open(path, "wb"), true};
    if (!out.f) return ERR_IO;
    if (fprintf(out.f, "P4\n%d %d\n", (int)r->width, (int)r->height) < 0) out.ok = false;
    size_t size = (size_t)r->stride * (size_t)r->height;
    if (out.ok && fwrite(r->bits, 1, size, out.f) != size) out.ok = false;
    return image_close(&out, path);
}
