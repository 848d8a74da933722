// Canvases and textures: a canvas paints inside a clip of its box with the caller's data (copied
// when asked, so the caller's buffer may go), reports the pointer against last frame's box; and
// textures made from pixels and from PNG and JPEG files reach the renderer as 8-bit RGBA, while
// other formats, damaged files and images past the size limits are refused with their reason.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "qel/qel.h"
#include "support/scratch.h"
#include "support/test_images.h"
#include "support/widget_rig.h"

// --- Canvas ---

struct painted {
    int calls = 0;
    qel_rect rect = {};
    qel_rect clip = {};
    std::vector<int> values;
    const void* user = nullptr;
};
static painted g_painted;

static void paint(qel_context* ctx, qel_rect rect, const void* user)
{
    g_painted.calls++;
    g_painted.rect = rect;
    g_painted.clip = *qel_draw_top_clip(ctx);
    g_painted.user = user;
    g_painted.values.assign((const int*)user, (const int*)user + 3);
}

TEST(Canvas, PaintsItsBoxWithTheCallersDataEvenAfterItIsGone)
{
    qel_headless h(400, 300);
    g_painted = {};
    std::vector<qel_canvas_result> results;
    h.ui = [&](qel_context* ctx) {
        qel_gap(ctx, 20);
        std::vector<int> data = {7, 8, 9};
        results.push_back(qel_canvas(ctx, "plot", {QEL_SIZE_FIXED, 120}, {QEL_SIZE_FIXED, 80}, paint, data.data(),
                                     data.size() * sizeof(int)));
        data.assign({0, 0, 0});  // the caller's buffer changes and goes before the draw pass
    };
    h.run(2);
    EXPECT_EQ(g_painted.calls, 2);
    EXPECT_EQ(g_painted.values, (std::vector<int>{7, 8, 9}));
    EXPECT_EQ(g_painted.rect.y, 20);
    EXPECT_EQ(g_painted.rect.w, 120);
    EXPECT_EQ(g_painted.clip.y, 20) << "painting is clipped to the box";
    EXPECT_EQ(g_painted.clip.h, 80);
    EXPECT_EQ(results[0].width, 0) << "no box in the first frame";
    EXPECT_EQ(results[1].height, 80);
    EXPECT_EQ(qel_last_item_id(h.ctx), qel_id(h.ctx, "plot"));

    static const int kept[3] = {1, 2, 3};
    h.ui = [&](qel_context* ctx) { qel_canvas(ctx, nullptr, {QEL_SIZE_FIXED, 10}, {QEL_SIZE_FIXED, 10}, paint, kept, 0); };
    h.run();
    EXPECT_EQ(g_painted.user, kept) << "without a size the pointer is passed as it is";
    EXPECT_NE(node_with_id(h.ctx, qel_id(h.ctx, "canvas")), nullptr);
}

TEST(Canvas, ReportsThePointerAndKeepsAPressDraggedOutside)
{
    qel_headless h(400, 300);
    qel_canvas_result r = {};
    h.ui = [&](qel_context* ctx) {
        r = qel_canvas(ctx, "pad", {QEL_SIZE_FIXED, 100}, {QEL_SIZE_FIXED, 100}, nullptr, nullptr, 0);
    };
    h.run(2);
    h.move(30, 40);
    h.run();
    EXPECT_TRUE(r.hovered);
    EXPECT_EQ(r.pointer_x, 30);
    EXPECT_EQ(r.pointer_y, 40);
    h.button(0, true);
    h.run();
    h.move(250, 250);
    h.run();
    EXPECT_TRUE(r.held) << "held outside the box";
    EXPECT_EQ(r.pointer_x, 250);
    h.move(50, 50);
    h.button(0, false);
    h.run();
    EXPECT_TRUE(r.clicked);
}

// --- Textures ---

// A renderer that keeps what it is given.
struct recorded_texture {
    int32_t width, height, channels;
    std::vector<uint8_t> pixels;
};

struct recording_renderer {
    std::vector<recorded_texture> made;
    std::vector<uint64_t> released;
    bool fail = false;

    qel_renderer interface()
    {
        qel_renderer r = {};
        r.user = this;
        r.create = [](void* user, int32_t w, int32_t h, int32_t channels, const void* pixels) -> uint64_t {
            auto* self = (recording_renderer*)user;
            if (self->fail) return 0;
            const uint8_t* p = (const uint8_t*)pixels;
            self->made.push_back({w, h, channels, std::vector<uint8_t>(p, p + (size_t)w * h * channels)});
            return self->made.size() + 100;
        };
        r.destroy = [](void* user, uint64_t texture) { ((recording_renderer*)user)->released.push_back(texture); };
        return r;
    }
};

TEST(Texture, MadeAndReleasedThroughTheRenderer)
{
    qel_headless h;
    const uint8_t px[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    qel_ctx_set_renderer(h.ctx, nullptr);
    EXPECT_EQ(qel_texture_create(h.ctx, 2, 1, px), 0u);
    qel_texture_release(h.ctx, 5);  // nothing to call

    recording_renderer rec;
    qel_renderer r = rec.interface();
    qel_ctx_set_renderer(h.ctx, &r);
    uint64_t t = qel_texture_create(h.ctx, 2, 1, px);
    ASSERT_EQ(rec.made.size(), 1u);
    EXPECT_EQ(rec.made[0].channels, 4);
    EXPECT_EQ(rec.made[0].pixels, std::vector<uint8_t>(px, px + 8));
    qel_texture_release(h.ctx, 0);
    qel_texture_release(h.ctx, t);
    EXPECT_EQ(rec.released, std::vector<uint64_t>{t});
    qel_ctx_set_renderer(h.ctx, nullptr);
}

struct image_rig {
    qel_headless h;
    recording_renderer rec;
    uint64_t texture = 77;
    uint32_t width = 77, height = 77;

    image_rig()
    {
        qel_renderer r = rec.interface();
        qel_ctx_set_renderer(h.ctx, &r);
    }
    ~image_rig() { qel_ctx_set_renderer(h.ctx, nullptr); }
    qel_image_result load(const std::string& path) { return qel_image_load(h.ctx, path.c_str(), &texture, &width, &height); }
};

TEST(ImageFile, SixteenBitPngBecomesEightBitRgba)
{
    image_rig rig;
    ASSERT_EQ(rig.load(image_path("gradient16.png")), QEL_IMAGE_OK);
    EXPECT_NE(rig.texture, 0u);
    EXPECT_EQ(rig.width, 13u);
    EXPECT_EQ(rig.height, 9u);
    ASSERT_EQ(rig.rec.made.size(), 1u);
    const recorded_texture& t = rig.rec.made[0];
    ASSERT_EQ(t.channels, 4);
    int wrong = 0;
    for (int y = 0; y < 9; y++)
        for (int x = 0; x < 13; x++) {
            // The generator's pixel(), each channel's top byte.
            const uint32_t expected[4] = {(uint32_t)(x * 5041), (uint32_t)(y * 8191),
                                          (uint32_t)((x * y * 997 + 4000) % 65536), (uint32_t)(65535 - x * y * 500)};
            for (int k = 0; k < 4; k++) wrong += t.pixels[(size_t)(y * 13 + x) * 4 + k] != (expected[k] >> 8);
        }
    EXPECT_EQ(wrong, 0);
}

// A binary PPM (P6, maxval 255) as RGB bytes.
TEST(ImageFile, JpegDecodesAsLibjpegReadsIt)
{
    image_rig rig;
    int w, h;
    std::vector<uint8_t> oracle;
    ASSERT_TRUE(read_ppm(image_path("gradient.jpg.ppm"), &w, &h, &oracle));
    ASSERT_EQ(rig.load(image_path("gradient.jpg")), QEL_IMAGE_OK);
    EXPECT_EQ(rig.width, (uint32_t)w);
    EXPECT_EQ(rig.height, (uint32_t)h);
    ASSERT_EQ(rig.rec.made.size(), 1u);
    int worst = 0;
    for (int i = 0; i < w * h; i++) {
        for (int k = 0; k < 3; k++) worst = std::max(worst, abs(rig.rec.made[0].pixels[i * 4 + k] - oracle[i * 3 + k]));
        EXPECT_EQ(rig.rec.made[0].pixels[i * 4 + 3], 255);
    }
    EXPECT_LE(worst, 2) << "two decoders' rounding";
}

// The first 33 bytes of a PNG: signature and header chunk (the loader reads no further before it
// refuses), for an image of the given size.
static std::string png_header(uint32_t w, uint32_t h)
{
    std::string s("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
    for (uint32_t v : {w, h})
        for (int shift = 24; shift >= 0; shift -= 8) s += (char)(v >> shift);
    s += std::string("\x08\x06\0\0\0", 5) + std::string(4, '\0');
    return s;
}

TEST(ImageFile, RefusalsSayWhyAndZeroTheOutputs)
{
    std::string png;
    ASSERT_TRUE(scratch_read(image_path("gradient16.png"), &png));
    const std::string truncated = scratch_path("truncated.png"), huge = scratch_path("huge.png"),
                      crowded = scratch_path("crowded.png"), empty = scratch_path("empty.png"),
                      overrun = scratch_path("overrun.jpg"), liar = scratch_path("liar.png");
    ASSERT_TRUE(scratch_write(truncated, png.substr(0, png.size() / 2)));
    ASSERT_TRUE(scratch_write(huge, png_header(20000, 16)));
    ASSERT_TRUE(scratch_write(crowded, png_header(9000, 9000)));
    ASSERT_TRUE(scratch_write(empty, ""));
    // Image data claiming a gigabyte in a file of a few dozen bytes.
    ASSERT_TRUE(scratch_write(liar, png_header(16, 16) + std::string("\x40\0\0\0IDAT", 8) + std::string(16, 'x')));
    // A Huffman table counting 16 x 255 codes, past the 256 a decoder's tables hold.
    ASSERT_TRUE(scratch_write(overrun, std::string("\xFF\xD8\xFF\xC4\x00\x13\x00", 7) + std::string(16, '\xFF')));
    const struct {
        std::string path;
        qel_image_result result;
        uint32_t width, height;
    } cases[] = {
        {image_path("tiny.bmp"), QEL_IMAGE_NOT_DECODED, 0, 0},
        {image_path("tiny.gif"), QEL_IMAGE_NOT_DECODED, 0, 0},
        {image_path("tiny.tga"), QEL_IMAGE_NOT_DECODED, 0, 0},
        {truncated, QEL_IMAGE_NOT_DECODED, 0, 0},
        {empty, QEL_IMAGE_NOT_DECODED, 0, 0},
        {overrun, QEL_IMAGE_NOT_DECODED, 0, 0},
        {liar, QEL_IMAGE_NOT_DECODED, 0, 0},
        {huge, QEL_IMAGE_TOO_LARGE, 20000, 16},
        {crowded, QEL_IMAGE_TOO_LARGE, 9000, 9000},
        {scratch_path("missing.png"), QEL_IMAGE_CANNOT_OPEN, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        image_rig rig;
        EXPECT_EQ(rig.load(c.path), c.result);
        EXPECT_EQ(rig.texture, 0u);
        EXPECT_EQ(rig.width, c.width);
        EXPECT_EQ(rig.height, c.height);
        EXPECT_TRUE(rig.rec.made.empty());
        EXPECT_EQ(qel_image_load_texture(rig.h.ctx, c.path.c_str(), nullptr, nullptr), 0u);
    }
    image_rig rig;
    EXPECT_EQ(qel_image_load(rig.h.ctx, nullptr, nullptr, nullptr, nullptr), QEL_IMAGE_CANNOT_OPEN);
}

TEST(ImageFile, WithoutATextureTheSizeIsStillReported)
{
    image_rig rig;
    rig.rec.fail = true;
    EXPECT_EQ(rig.load(image_path("gradient.jpg")), QEL_IMAGE_NO_TEXTURE);
    EXPECT_EQ(rig.texture, 0u);
    EXPECT_EQ(rig.width, 13u);
    qel_ctx_set_renderer(rig.h.ctx, nullptr);
    uint32_t w = 0, h = 0;
    EXPECT_EQ(qel_image_load_texture(rig.h.ctx, image_path("gradient16.png").c_str(), &w, &h), 0u);
    EXPECT_EQ(w, 13u);
    EXPECT_EQ(h, 9u);
}

TEST(ImageFile, ANameInAnyScriptOpens)
{
    std::string png;
    ASSERT_TRUE(scratch_read(image_path("gradient16.png"), &png));
    const std::string path = scratch_path("\xc3\xa9tiquette \xe6\xa0\x87\xe7\xad\xbe.png");
    ASSERT_TRUE(scratch_write(path, png));
    image_rig rig;
    EXPECT_EQ(rig.load(path), QEL_IMAGE_OK);
    EXPECT_EQ(rig.width, 13u);
}
