// PNG through png_file's encoder, PBM by hand; both written through the engine's file writing,
// so that UTF-8 names work everywhere and a file is replaced only by a complete one.
#include "image_file.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "files/file_io.h"
#include "files/png_file.h"

namespace {

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
    if (!png_fits(width, height, 1)) return ERR_RANGE;
    uint8_t* pixels = png_pixels(r, scale, (size_t)width, (size_t)height);
    if (!pixels) return ERR_NOMEM;
    bool written = png_write_file(path, pixels, (int32_t)width, (int32_t)height, 1);
    free(pixels);
    return written ? ERR_OK : ERR_IO;
}

engine_error png_write_raster_1x(const raster* r, const char* path)
{
    return png_write_raster(r, path, 1);
}

engine_error pbm_write_raster(const raster* r, const char* path)
{
    if (!r || !r->bits || !path) return ERR_INVALID;
    file_writing file;
    if (!file_write_begin(&file, path)) return ERR_IO;
    size_t size = (size_t)r->stride * (size_t)r->height;
    bool ok = fprintf(file.f, "P4\n%d %d\n", (int)r->width, (int)r->height) >= 0 &&
              fwrite(r->bits, 1, size, file.f) == size;
    return file_write_end(&file, ok) ? ERR_OK : ERR_IO;
}
