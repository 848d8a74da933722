// Small scenes drawn through the drawing primitives and compared with committed pictures. Every
// channel may differ by two steps: the shadow table's exp and the compilers' float code differ a
// little between the native and the Windows builds.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "support/qel_fixture.h"
#include "soft_fixture.h"
#include "support/picture.h"
#include "support/scratch.h"

static const int TOLERANCE = 2;

// Five-by-seven letters, '#' inked, for an atlas made here.
static const char* const LETTERS = "TAGMOR09.";
static const char* const BITMAPS[9][7] = {
    {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."},
    {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"},
    {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".###."},
    {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"},
    {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."},
    {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"},
    {".###.", "#..##", "#.#.#", "#.#.#", "##..#", "#...#", ".###."},
    {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."},
    {".....", ".....", ".....", ".....", ".....", ".##..", ".##.."},
};
static const int CELL_W = 12, CELL_H = 16;  // each letter doubled, softened, with a margin

// A coverage atlas of the letters in one row of cells, edges softened as a rasteriser would.
static std::vector<uint8_t> letter_atlas()
{
    const int w = CELL_W * 9, h = CELL_H;
    std::vector<float> ink((size_t)w * h, 0);
    for (int g = 0; g < 9; g++)
        for (int y = 0; y < 14; y++)
            for (int x = 0; x < 10; x++)
                if (BITMAPS[g][y / 2][x / 2] == '#') ink[(size_t)(y + 1) * w + g * CELL_W + x + 1] = 1;
    std::vector<uint8_t> texels((size_t)w * h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            float sum = 0, weight = 0;
            for (int dy = -1; dy <= 1; dy++)
                for (int dx = -1; dx <= 1; dx++) {
                    if (x + dx < 0 || x + dx >= w || y + dy < 0 || y + dy >= h) continue;
                    float k = dx == 0 && dy == 0 ? 4.0f : 1.0f;
                    sum += ink[(size_t)(y + dy) * w + x + dx] * k;
                    weight += k;
                }
            texels[(size_t)y * w + x] = (uint8_t)(sum / weight * 255 + 0.5f);
        }
    return texels;
}

// A straight RGBA image: a colour ramp, a transparent corner and a checker of half alpha.
static std::vector<uint8_t> ramp_image(int w, int h)
{
    std::vector<uint8_t> px((size_t)w * h * 4);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            uint8_t* p = &px[((size_t)y * w + x) * 4];
            p[0] = (uint8_t)(255 * x / (w - 1));
            p[1] = (uint8_t)(255 * y / (h - 1));
            p[2] = (uint8_t)(255 - 255 * x / (w - 1));
            p[3] = x < 3 && y < 3 ? 0 : (x / 4 + y / 4) % 2 ? 128 : 255;
        }
    return px;
}

class SoftPictureTest : public QelTest {
protected:
    void SetUp() override
    {
        QelTest::SetUp();
        soft = qel_soft_create();
        qel_ctx_set_display(ctx, 160, 120, 1);
        next_frame();
    }
    void TearDown() override
    {
        qel_soft_destroy(soft);
        QelTest::TearDown();
    }
    picture draw(qel_color clear, uint64_t atlas = 0)
    {
        qel_draw_data dd = recorded_frame(ctx, clear, atlas);
        return picture_render(soft, &dd);
    }
    void text(const char* s, float x, float y, float scale, qel_color color)
    {
        const float aw = CELL_W * 9, ah = CELL_H;
        for (; *s; s++, x += (CELL_W - 1) * scale) {
            const char* at = strchr(LETTERS, *s);
            if (!at) continue;
            float u0 = (float)((at - LETTERS) * CELL_W) / aw;
            qel_draw_glyph(ctx, x, y, x + CELL_W * scale, y + CELL_H * scale, u0, 0, u0 + CELL_W / aw, CELL_H / ah,
                           color);
        }
    }
    uint64_t letters()
    {
        std::vector<uint8_t> texels = letter_atlas();
        return qel_soft_texture_create(soft, CELL_W * 9, CELL_H, 1, texels.data());
    }

    qel_soft_renderer* soft = nullptr;
};

static void boxes(qel_context* ctx)
{
    const float round[4] = {10, 10, 10, 10}, mixed[4] = {0, 16, 4, 24}, pill[4] = {12, 12, 12, 12};
    qel_rect a = {8, 8, 64, 40}, b = {84, 8, 68, 48}, c = {8.5f, 60.5f, 70, 24}, d = {90, 66, 56, 44};
    qel_draw_rect_bordered(ctx, &a, round, 0xFFF2E8DC, 0xFF5A3C28, 2);
    qel_draw_rect_bordered(ctx, &b, mixed, 0xC03070E0, 0xFFFFFFFF, 1);
    qel_draw_rect_gradient(ctx, &c, pill, 0xFF40C0FF, 0xFF2040A0);
    qel_draw_rect_bordered(ctx, &d, round, 0x00000000, 0xFF00A060, 3.5f);
    qel_draw_focus_ring(ctx, &c, pill, 1);
    qel_draw_circle(ctx, {40, 100}, 13.3f, 0xFF1020E0);
    qel_draw_circle(ctx, {52, 104}, 9, 0x8000E0E0);
}

static void shadows(qel_context* ctx)
{
    const float radii[4] = {8, 8, 8, 8};
    qel_rect cards[3] = {{12, 14, 40, 36}, {62, 14, 40, 36}, {112, 14, 40, 36}};
    for (uint32_t level = 1; level <= 3; level++) {
        qel_draw_elevation(ctx, &cards[level - 1], radii, level, 1);
        qel_draw_rect(ctx, &cards[level - 1], radii, 0xFFFFFFFF);
    }
    qel_rect wide = {20, 70, 120, 30};
    qel_draw_box_shadow(ctx, &wide, radii, 16, 4, {3, 6}, 0xA0402000);
    qel_draw_rect(ctx, &wide, radii, 0xFFF8F0E8);
    qel_rect sharp = {70, 76, 20, 14};
    qel_draw_box_shadow(ctx, &sharp, nullptr, 1, 0, {0, 0}, 0xFF0000C0);
}

TEST_F(SoftPictureTest, BoxesWithRadiiAndBorders)
{
    boxes(ctx);
    EXPECT_TRUE(picture_matches(draw(0xFFF8F8F8), "qel/soft_boxes.png", TOLERANCE));
}

TEST_F(SoftPictureTest, Shadows)
{
    shadows(ctx);
    EXPECT_TRUE(picture_matches(draw(0xFFE4E4E4), "qel/soft_shadows.png", TOLERANCE));
}

TEST_F(SoftPictureTest, TextAtItsSizeAndScaled)
{
    uint64_t atlas = letters();
    text("TAGMOOR", 6, 6, 1, 0xFF202020);
    text("0.9", 96, 6, 1, 0xFF0050D0);
    text("TAGMOOR", 6.5f, 30.25f, 1.5f, 0xFF802000);
    text("MOOR", 10, 64, 2.75f, 0xA0000000);
    EXPECT_TRUE(picture_matches(draw(0xFFFFFFF4, atlas), "qel/soft_text.png", TOLERANCE));
}

TEST_F(SoftPictureTest, ImagesLinesAndPolygons)
{
    std::vector<uint8_t> px = ramp_image(16, 12);
    uint64_t image = qel_soft_texture_create(soft, 16, 12, 4, px.data());
    const float radii[4] = {14, 0, 14, 0};
    qel_rect whole = {6, 6, 64, 48}, part = {80, 6, 32, 32}, small = {120, 8, 16, 12}, uv = {0.25f, 0.25f, 0.5f, 0.5f};
    qel_draw_image(ctx, image, &whole, nullptr, radii, 0);
    qel_draw_image(ctx, image, &part, &uv, nullptr, 0xFFFFA0A0);
    qel_draw_image(ctx, image, &small, nullptr, nullptr, 0x80FFFFFF);
    const qel_vec2 zigzag[5] = {{10, 70}, {30, 100}, {50, 72}, {70, 110}, {90, 66}};
    qel_draw_polyline(ctx, zigzag, 5, 3, 0xFF9020C0, 0);
    qel_draw_line(ctx, {10, 112}, {150, 96}, 0.5f, 0xFF000000);
    const qel_vec2 hexagon[6] = {{120, 60}, {140, 68}, {142, 88}, {124, 98}, {104, 90}, {102, 70}};
    qel_draw_convex_polygon(ctx, hexagon, 6, 0xC0F08000);
    qel_draw_arc(ctx, {122, 79}, 26, -1.2f, 3.4f, 4, 0xFF00A0A0);
    EXPECT_TRUE(picture_matches(draw(0xFF303038), "qel/soft_image.png", TOLERANCE));
}

// Works in a folder of its own, so that the pictures it saves never replace (or remove) the one
// a failing test saved under the same name.
TEST_F(SoftPictureTest, AMismatchSavesThePictureDrawnForAPerson)
{
    struct in_scratch {
        std::filesystem::path before = std::filesystem::current_path();
        in_scratch() { std::filesystem::current_path(std::u8string(scratch_dir().begin(), scratch_dir().end())); }
        ~in_scratch() { std::filesystem::current_path(before); }
    } here;
    boxes(ctx);
    picture p = draw(0xFFF8F8F8);
    p.rgba[(50 * 160 + 20) * 4] ^= 0x08;  // one channel of one pixel, past the tolerance
    ::testing::AssertionResult r = picture_matches(p, "qel/soft_boxes.png", TOLERANCE);
    EXPECT_FALSE(r);
    EXPECT_NE(std::string(r.message()).find("1 pixels differ"), std::string::npos) << r.message();
    picture saved;
    ASSERT_TRUE(picture_read_png("soft_boxes.png", &saved));
    EXPECT_EQ(saved.rgba, p.rgba);
    EXPECT_FALSE(picture_matches(p, "qel/no_such_picture.png", TOLERANCE));
}
