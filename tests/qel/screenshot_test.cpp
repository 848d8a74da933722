// Screenshots: the PNG decodes (stb_image, a decoder apart from the encoder) to the pixels given,
// and a path that cannot be written fails without leaving a file.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/png_file.h"
#include "support/scratch.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb_image.h>

TEST(Screenshot, DecodesToThePixelsWritten)
{
    const int32_t w = 5, h = 3;
    std::vector<uint32_t> pixels;
    for (int32_t i = 0; i < w * h; i++) pixels.push_back(0x80000000u | (uint32_t)(i * 17) << 8 | (uint32_t)i);
    std::string path = scratch_path("shot \xC3\xA9.png");
    ASSERT_TRUE(png_write_file(path.c_str(), pixels.data(), w, h, 4));

    std::string bytes;
    ASSERT_TRUE(scratch_read(path, &bytes));
    int dw, dh, channels;
    stbi_uc* decoded = stbi_load_from_memory((const stbi_uc*)bytes.data(), (int)bytes.size(), &dw, &dh, &channels, 4);
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(dw, w);
    EXPECT_EQ(dh, h);
    EXPECT_EQ(channels, 4);
    EXPECT_EQ(memcmp(decoded, pixels.data(), pixels.size() * 4), 0);
    stbi_image_free(decoded);
}

TEST(Screenshot, FailuresLeaveNoFile)
{
    uint32_t pixel = 0xFFFFFFFF;
    std::string missing_dir = scratch_path("no such folder/shot.png");
    EXPECT_FALSE(png_write_file(missing_dir.c_str(), &pixel, 1, 1, 4));
    EXPECT_FALSE(scratch_exists(missing_dir));
    std::string path = scratch_path("empty.png");
    EXPECT_FALSE(png_write_file(path.c_str(), &pixel, 0, 1, 4));
    EXPECT_FALSE(png_write_file(path.c_str(), nullptr, 1, 1, 4));
    EXPECT_FALSE(png_write_file(nullptr, &pixel, 1, 1, 4));
    EXPECT_FALSE(scratch_exists(path));
}
