// Image files as a user may drop them on the window: arbitrary bytes in a file loaded into a
// texture. Whatever the bytes, the loader must not crash, must hand the renderer only whole RGBA
// images within the size limits, and must report sizes only for images it could read.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_qel_support.h"
#include "qel/qel.h"

static uint64_t made;

static uint64_t check_create(void*, int32_t width, int32_t height, int32_t channels, const void* pixels)
{
    if (channels != 4 || !pixels || width < 1 || height < 1 || width > QEL_IMAGE_MAX_SIDE ||
        height > QEL_IMAGE_MAX_SIDE || (int64_t)width * height > QEL_IMAGE_MAX_PIXELS)
        abort();
    const uint8_t* p = (const uint8_t*)pixels;
    volatile uint8_t last = p[(size_t)width * height * 4 - 1];  // the whole image is readable
    (void)last;
    return ++made;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static qel_context* ctx = [] {
        qel_config config = {};
        config.no_embedded_fonts = 1;
        config.renderer.create = check_create;
        return qel_ctx_create(&config);
    }();
    static const std::string path = "/tmp/fuzz_qel_image." + std::to_string(getpid());
    FILE* f = fopen(path.c_str(), "wb");
    if (!f || fwrite(data, 1, size, f) != size || fclose(f) != 0) abort();
    uint64_t texture;
    uint32_t width, height;
    uint64_t before = made;
    qel_image_result result = qel_image_load(ctx, path.c_str(), &texture, &width, &height);
    bool sized = result == QEL_IMAGE_OK || result == QEL_IMAGE_TOO_LARGE;
    if ((result == QEL_IMAGE_OK) != (texture != 0) || (texture != 0) != (made > before) ||
        sized != (width > 0 && height > 0))
        abort();
    return 0;
}
