// Screenshots as the shell writes them: RGBA pixels by a UTF-8 name decode (stb_image, a decoder
// apart from the encoder) to the pixels given, and a path that cannot be written fails without
// leaving a file.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "files/png_file.h"
#include "support/picture.h"
#include "support/scratch.h"

TEST(Screenshot, DecodesToThePixelsWritten)
{
    const int32_t w = 5, h = 3;
    std::vector<uint32_t> pixels;
    for (int32_t i = 0; i < w * h; i++) pixels.push_back(0x80000000u | (uint32_t)(i * 17) << 8 | (uint32_t)i);
    std::string path = scratch_path("shot \xC3\xA9.png");
    ASSERT_TRUE(png_write_file(path.c_str(), pixels.data(), w, h, 4));

    // Half alpha in every pixel: an image written without its alpha channel would not compare.
    picture decoded;
    ASSERT_TRUE(picture_read_png(path, &decoded));
    EXPECT_EQ(decoded.width, w);
    EXPECT_EQ(decoded.height, h);
    ASSERT_EQ(decoded.rgba.size(), pixels.size() * 4);
    EXPECT_EQ(memcmp(decoded.rgba.data(), pixels.data(), pixels.size() * 4), 0);
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
