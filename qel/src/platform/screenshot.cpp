// The PNG encoder is compiled here, private to this file, writing through our own file opening
// so that UTF-8 paths work on Windows too.
#include "screenshot.h"

#include <cstdio>

#include "engine/file_io.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

struct png_output {
    FILE* f;
    bool ok;
};

static void write_bytes(void* context, void* data, int size)
{
    auto* out = (png_output*)context;
    if (size > 0 && fwrite(data, 1, (size_t)size, out->f) != (size_t)size) out->ok = false;
}

bool qel_screenshot_write(const char* path, const uint32_t* rgba, int32_t width, int32_t height)
{
    if (!path || !rgba || width < 1 || height < 1) return false;
    png_output out = {file_open(path, "wb"), true};
    if (!out.f) return false;
    if (!stbi_write_png_to_func(write_bytes, &out, width, height, 4, rgba, width * 4)) out.ok = false;
    if (fclose(out.f) != 0) out.ok = false;
    if (!out.ok) file_remove(path);
    return out.ok;
}
