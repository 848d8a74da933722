#include "engine/image_file.h"

#include <gtest/gtest.h>

#include <string>

#include "support/scratch.h"

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#endif

static std::string read_file(const std::string& path)
{
    std::string bytes;
    EXPECT_TRUE(scratch_read(path, &bytes)) << path;
    return bytes;
}

// A raster with a fixed speckle of dots.
static raster speckled(int32_t width, int32_t height)
{
    raster r = {};
    EXPECT_EQ(raster_create(&r, width, height), ERR_OK);
    uint32_t seed = 1;
    for (int32_t y = 0; y < height; y++) {
        for (int32_t x = 0; x < width; x++) {
            seed = seed * 1103515245u + 12345u;
            raster_set(&r, x, y, (int)((seed >> 16) & 1));
        }
    }
    return r;
}

TEST(ImageFile, PbmIsHeaderAndRowsAsStored)
{
    raster r = {};
    ASSERT_EQ(raster_create(&r, 10, 2), ERR_OK);
    raster_set(&r, 0, 0, 1);
    raster_set(&r, 9, 0, 1);
    raster_set(&r, 8, 1, 1);
    std::string path = scratch_path("small.pbm");
    ASSERT_EQ(pbm_write_raster(&r, path.c_str()), ERR_OK);
    EXPECT_EQ(read_file(path), std::string("P4\n10 2\n\x80\x40\x00\x80", 12));
    raster_fill(&r, 1);  // padding bits too: rows go out exactly as stored
    ASSERT_EQ(pbm_write_raster(&r, path.c_str()), ERR_OK);
    EXPECT_EQ(read_file(path), std::string("P4\n10 2\n\xFF\xFF\xFF\xFF", 12));
    raster_free(&r);
}

TEST(ImageFile, PngSizeFollowsTheScale)
{
    raster r = speckled(10, 2);
    const struct {
        int32_t scale, width, height;
    } cases[] = {{1, 10, 2}, {3, 30, 6}};
    for (const auto& c : cases) {
        std::string path = scratch_path("scaled.png");
        ASSERT_EQ(c.scale == 1 ? png_write_raster_1x(&r, path.c_str()) : png_write_raster(&r, path.c_str(), c.scale),
                  ERR_OK);
        std::string png = read_file(path);
        ASSERT_GT(png.size(), 33u);
        EXPECT_EQ(png.substr(0, 16), std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16));
        // Width and height big-endian, then 8 bits a sample, colour type 0 (greyscale).
        EXPECT_EQ(png.substr(16, 10), std::string("\0\0\0", 3) + (char)c.width + std::string("\0\0\0", 3) +
                                          (char)c.height + "\x08" + std::string(1, '\0'));
    }
    raster_free(&r);
}

TEST(ImageFile, Refusals)
{
    raster r = speckled(32, 4), none = {};
    const std::string png = scratch_path("refused.png"), pbm = scratch_path("refused.pbm");
    const struct {
        const char* what;
        const raster* r;
        bool path;
        int32_t scale;
        engine_error png, pbm;
    } cases[] = {
        {"no raster", nullptr, true, 1, ERR_INVALID, ERR_INVALID},
        {"no bits", &none, true, 1, ERR_INVALID, ERR_INVALID},
        {"no path", &r, false, 1, ERR_INVALID, ERR_INVALID},
        {"scale 0", &r, true, 0, ERR_INVALID, ERR_OK},
        {"negative scale", &r, true, -3, ERR_INVALID, ERR_OK},
        // Past what the encoder can count, long before memory runs out.
        {"too wide", &r, true, 1 << 24, ERR_RANGE, ERR_OK},
        {"too many pixels", &r, true, 8192, ERR_RANGE, ERR_OK},
        {"largest scale", &r, true, INT32_MAX, ERR_RANGE, ERR_OK},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(png_write_raster(c.r, c.path ? png.c_str() : nullptr, c.scale), c.png) << c.what;
        EXPECT_FALSE(scratch_exists(png)) << c.what;
        EXPECT_EQ(pbm_write_raster(c.r, c.path ? pbm.c_str() : nullptr), c.pbm) << c.what;
    }
    std::string missing = scratch_path("no-such-folder/label.png");
    EXPECT_EQ(png_write_raster(&r, missing.c_str(), 1), ERR_IO);
    EXPECT_EQ(pbm_write_raster(&r, missing.c_str()), ERR_IO);
    raster_free(&r);
}

TEST(ImageFile, Utf8Names)
{
    raster r = speckled(12, 5);
    const std::string png = scratch_path("\xC3\xA9tiquette-\xE6\xA8\x99\xE7\xB1\xA4.png");
    const std::string pbm = scratch_path("\xC3\xA9tiquette-\xE6\xA8\x99\xE7\xB1\xA4.pbm");
    ASSERT_EQ(png_write_raster(&r, png.c_str(), 2), ERR_OK);
    ASSERT_EQ(pbm_write_raster(&r, pbm.c_str()), ERR_OK);
    EXPECT_EQ(read_file(png).substr(1, 3), "PNG");
    EXPECT_EQ(read_file(pbm).substr(0, 8), "P4\n12 5\n");
    raster_free(&r);
}

#ifndef _WIN32
// With the process's file size limit below the image's size, the write stops short and the
// half-written file must not stay behind.
TEST(ImageFile, IncompleteFilesAreRemoved)
{
    raster r = speckled(300, 300);
    const std::string png = scratch_path("cut.png"), pbm = scratch_path("cut.pbm");
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*handler)(int) = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    engine_error png_result = png_write_raster(&r, png.c_str(), 1);
    engine_error pbm_result = pbm_write_raster(&r, pbm.c_str());
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
    signal(SIGXFSZ, handler);
    EXPECT_EQ(png_result, ERR_IO);
    EXPECT_EQ(pbm_result, ERR_IO);
    EXPECT_FALSE(scratch_exists(png));
    EXPECT_FALSE(scratch_exists(pbm));
    raster_free(&r);
}

// A device whose writes fail (a node like /dev/full, made here where it may go) stays.
TEST(ImageFile, AFailingDeviceStays)
{
    const std::string device = scratch_path("full");
    if (mknod(device.c_str(), S_IFCHR | 0600, makedev(1, 7)) != 0) GTEST_SKIP() << "cannot make a device node here";
    raster r = speckled(300, 300);
    EXPECT_EQ(pbm_write_raster(&r, device.c_str()), ERR_IO);
    EXPECT_TRUE(scratch_exists(device));
    raster_free(&r);
}
#endif
