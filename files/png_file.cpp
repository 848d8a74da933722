// The PNG encoder is compiled here, private to this file, with its own file handling left out:
// the bytes go through our file opening so that UTF-8 names work everywhere.
#include "png_file.h"

#include <cstdio>

#include "file_io.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace {

const int64_t png_max_filtered = (int64_t)1 << 29;

// A PNG file being written; `ok` turns false at the first failed write.
struct png_output {
    FILE* f;
    bool ok;
};

void png_bytes(void* context, void* data, int size)
{
    png_output* out = (png_output*)context;
    if (size > 0 && fwrite(data, 1, (size_t)size, out->f) != (size_t)size) out->ok = false;
}

}  // namespace

bool png_fits(int64_t width, int64_t height, int32_t channels)
{
    return width < png_max_filtered && height < png_max_filtered &&
           (width * channels + 1) * height <= png_max_filtered;
}

bool png_write_file(const char* path, const void* pixels, int32_t width, int32_t height, int32_t channels)
{
    if (!path || !pixels || width < 1 || height < 1 || channels < 1 || channels > 4) return false;
    if (!png_fits(width, height, channels)) return false;
    file_writing file;
    if (!file_write_begin(&file, path)) return false;
    png_output out = {file.f, true};
    if (!stbi_write_png_to_func(png_bytes, &out, width, height, channels, pixels, width * channels)) out.ok = false;
    return file_write_end(&file, out.ok);
}
