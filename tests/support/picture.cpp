// Test pictures: PNG files written by the program's own encoder and read back by stb_image's
// decoder, which is compiled here and nowhere else.
#include "support/picture.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "files/png_file.h"
#include "support/scratch.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb_image.h>

picture picture_render(qel_soft_renderer* soft, const qel_draw_data* dd)
{
    picture p;
    p.width = std::max(dd->framebuffer_width, 0);
    p.height = std::max(dd->framebuffer_height, 0);
    p.rgba.assign((size_t)p.width * (size_t)p.height * 4, 0);
    qel_soft_set_incremental(soft, false);
    qel_soft_render(soft, dd, p.rgba.data(), p.width, p.height, p.width * 4, QEL_SOFT_RGBA);
    return p;
}

bool picture_write_png(const picture& p, const std::string& path)
{
    return png_write_file(path.c_str(), p.rgba.data(), p.width, p.height, 4);
}

bool picture_read_png(const std::string& path, picture* p)
{
    std::string png;
    if (!scratch_read(path, &png)) return false;
    int w, h, channels;
    uint8_t* pixels = stbi_load_from_memory((const uint8_t*)png.data(), (int)png.size(), &w, &h, &channels, 4);
    if (!pixels) return false;
    p->width = w;
    p->height = h;
    p->rgba.assign(pixels, pixels + (size_t)w * (size_t)h * 4);
    stbi_image_free(pixels);
    return true;
}

static std::string utf8(const std::filesystem::path& path)
{
    std::u8string u = path.u8string();
    return std::string(u.begin(), u.end());
}

::testing::AssertionResult picture_matches(const picture& actual, const std::string& name, int tolerance)
{
    const char* data = getenv("TAGMOOR_TEST_DATA");  // else the source tree's, from any folder
    std::string reference_path = std::string(data ? data : TAGMOOR_TEST_DATA_DIR) + "/" + name;
    picture reference;
    std::string problem;
    if (!picture_read_png(reference_path, &reference)) {
        problem = "no readable reference picture " + reference_path;
    } else if (reference.width != actual.width || reference.height != actual.height) {
        problem = "size " + std::to_string(actual.width) + " x " + std::to_string(actual.height) + " differs from " +
                  std::to_string(reference.width) + " x " + std::to_string(reference.height) + " of " + reference_path;
    } else {
        int worst = 0;
        size_t pixels_off = 0;
        for (size_t i = 0; i < actual.rgba.size(); i += 4) {
            int off = 0;
            for (size_t k = 0; k < 4; k++) off = std::max(off, std::abs(actual.rgba[i + k] - reference.rgba[i + k]));
            worst = std::max(worst, off);
            pixels_off += off > tolerance;
        }
        if (!pixels_off) return ::testing::AssertionSuccess();
        problem = std::to_string(pixels_off) + " pixels differ from " + reference_path + " by up to " +
                  std::to_string(worst) + " steps (tolerance " + std::to_string(tolerance) + ")";
    }
    std::string drawn = utf8(std::filesystem::current_path() / std::filesystem::path(name).filename());
    bool saved = picture_write_png(actual, drawn);
    return ::testing::AssertionFailure() << problem << "; the picture drawn "
                                         << (saved ? "is in " : "could not be written to ") << drawn;
}
