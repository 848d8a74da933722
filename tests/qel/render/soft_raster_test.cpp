#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

#include "support/qel_fixture.h"
#include "soft_fixture.h"

static std::vector<qel_vertex> solid_quad(float x0, float y0, float x1, float y1, qel_color top = WHITE,
                                          qel_color bottom = WHITE)
{
    return {solid_vertex(x0, y0, top), solid_vertex(x1, y0, top), solid_vertex(x1, y1, bottom),
            solid_vertex(x0, y1, bottom)};
}

static qel_vertex flat(qel_shape_kind kind, float hw, float hh, float radius, float param, qel_color fill,
                       qel_color border = 0)
{
    qel_vertex v = {};
    v.kind = kind;
    v.half[0] = hw;
    v.half[1] = hh;
    for (float& r : v.radii) r = radius;
    v.param = param;
    v.fill = fill;
    v.border = border;
    return v;
}

// Which quad path a case goes through: the fast path takes the draw list's index pattern.
static const bool BOTH_PATHS[2] = {false, true};

TEST(SoftRaster, QuadsCoverThePixelsWhoseCentresTheyHold)
{
    struct coverage_case {
        const char* name;
        float x0, y0, x1, y1;
        int cx0, cy0, cx1, cy1;  // covered pixels, ends exclusive
    };
    const coverage_case cases[] = {
        {"edges on pixel centres", 0.5f, 0.5f, 10.5f, 10.5f, 0, 0, 10, 10},
        {"edges on pixel corners", 0, 0, 10, 10, 0, 0, 10, 10},
        {"one pixel by its left and top centre lines", 2.5f, 2.5f, 3.5f, 3.5f, 2, 2, 3, 3},
        {"no centre inside", 2.6f, 2.6f, 3.4f, 3.4f, 0, 0, 0, 0},
        {"edges between centres", 0.4f, 0.6f, 3.6f, 3.4f, 0, 1, 4, 3},
        {"partly left of and above the band", -3, -3, 2, 2, 0, 0, 2, 2},
        {"past the far edges", 9.2f, 9.7f, 30, 30, 9, 10, 12, 12},
    };
    for (const coverage_case& k : cases) {
        for (bool triangles : BOTH_PATHS) {
            frame_builder f;
            f.quad(solid_quad(k.x0, k.y0, k.x1, k.y1), triangles);
            qel_draw_data dd = f.data(12, 12);
            canvas c(12, 12);
            c.raster(dd);
            for (int y = 0; y < 12; y++)
                for (int x = 0; x < 12; x++) {
                    bool inside = x >= k.cx0 && x < k.cx1 && y >= k.cy0 && y < k.cy1;
                    ASSERT_EQ(c.channel(x, y, 3), inside ? 255 : 0)
                        << k.name << (triangles ? " (triangles)" : " (quad)") << " at " << x << ", " << y;
                }
        }
    }
}

// Whether (x, y) lies inside the convex polygon by more than a hair.
static bool strictly_inside(const std::vector<qel_vec2>& poly, double x, double y)
{
    int sign = 0;
    for (size_t i = 0; i < poly.size(); i++) {
        const qel_vec2 &p = poly[i], &q = poly[(i + 1) % poly.size()];
        double len = std::hypot(q.x - p.x, q.y - p.y);
        double side = ((q.x - p.x) * (y - p.y) - (q.y - p.y) * (x - p.x)) / len;
        if (std::fabs(side) < 1e-3) return false;
        int s = side > 0 ? 1 : -1;
        if (sign && s != sign) return false;
        sign = s;
    }
    return true;
}

TEST(SoftRaster, TheQuadFastPathTakesOnlyAxisAlignedRectangles)
{
    canvas c(8, 8);
    frame_builder f;
    qel_draw_data dd = f.data(8, 8);
    qel_soft_band job = {&dd, nullptr, c.bytes.data(), 8, 8, 32, QEL_SOFT_RGBA, 0, 0, 8, 8};
    std::vector<qel_vertex> tilted = solid_quad(1, 1, 6, 1, WHITE);
    tilted[2].pos[0] = 7;  // a bottom-right corner out of line: no rectangle
    EXPECT_FALSE(qel_soft_fill_quad(&job, &tilted[0], &tilted[1], &tilted[2], &tilted[3], nullptr, 0, 0, 8, 8));
    EXPECT_EQ(c.channel(3, 3, 3), 0) << "a refused quad draws nothing";
    std::vector<qel_vertex> q = solid_quad(2, 2, 6, 5, WHITE);
    ASSERT_TRUE(qel_soft_fill_quad(&job, &q[0], &q[1], &q[2], &q[3], nullptr, 0, 0, 8, 8));
    EXPECT_EQ(c.channel(2, 2, 0), 255);
    EXPECT_EQ(c.channel(5, 4, 3), 255);
    EXPECT_EQ(c.channel(6, 4, 3), 0) << "the right edge is outside";
    EXPECT_EQ(c.channel(3, 5, 3), 0) << "so is the bottom one";
}

TEST(SoftRaster, TrianglesSharingAnEdgeBlendEachPixelOnceWithoutGaps)
{
    struct mesh {
        const char* name;
        std::vector<qel_vec2> points;
        std::vector<uint32_t> triangles;
        std::vector<qel_vec2> outline;  // convex
    };
    std::vector<mesh> meshes = {
        {"square cut on a diagonal through pixel centres",
         {{0.5f, 0.5f}, {8.5f, 0.5f}, {8.5f, 8.5f}, {0.5f, 8.5f}},
         {0, 1, 2, 0, 2, 3},
         {{0.5f, 0.5f}, {8.5f, 0.5f}, {8.5f, 8.5f}, {0.5f, 8.5f}}},
        {"grid with edges along centre lines, mixed windings",
         {{0.5f, 0.5f},
          {4.5f, 0.5f},
          {9.5f, 0.5f},
          {0.5f, 4.5f},
          {4.5f, 4.5f},
          {9.5f, 4.5f},
          {0.5f, 9.5f},
          {4.5f, 9.5f},
          {9.5f, 9.5f}},
         {0, 1, 4, 4, 3, 0, 1, 2, 5, 1, 5, 4, 3, 4, 6, 4, 7, 6, 4, 5, 8, 8, 7, 4},
         {{0.5f, 0.5f}, {9.5f, 0.5f}, {9.5f, 9.5f}, {0.5f, 9.5f}}},
        {"windings opposed across a slanted edge",
         {{1.2f, 1.1f}, {10.7f, 2.3f}, {3.1f, 10.4f}, {11.3f, 11.6f}},
         {0, 1, 2, 2, 1, 3},
         {{1.2f, 1.1f}, {10.7f, 2.3f}, {11.3f, 11.6f}, {3.1f, 10.4f}}},
    };
    mesh fan = {"fan around a fractional centre", {{6.3f, 5.7f}}, {}, {}};
    for (int i = 0; i < 7; i++) {
        float angle = (float)i * 6.2831853f / 7 + 0.3f;
        fan.points.push_back({6.3f + 5.5f * cosf(angle), 5.7f + 5.5f * sinf(angle)});
        fan.outline.push_back(fan.points.back());
        fan.triangles.insert(fan.triangles.end(), {0, (uint32_t)i + 1, (uint32_t)(i + 1) % 7 + 1});
    }
    meshes.push_back(fan);

    for (const mesh& m : meshes) {
        frame_builder f;
        for (size_t t = 0; t < m.triangles.size(); t += 3) {
            auto corner = [&](size_t i) {
                qel_vec2 p = m.points[m.triangles[t + i]];
                return solid_vertex(p.x, p.y, 0x80FFFFFF);
            };
            f.triangle(corner(0), corner(1), corner(2));
        }
        qel_draw_data dd = f.data(14, 14);
        canvas c(14, 14);
        c.raster(dd);
        for (int y = 0; y < 14; y++)
            for (int x = 0; x < 14; x++) {
                int alpha = c.channel(x, y, 3);
                // Half alpha once is 128; twice it would be 192.
                ASSERT_TRUE(alpha == 0 || alpha == 128) << m.name << ": blended twice at " << x << ", " << y;
                if (strictly_inside(m.outline, x + 0.5, y + 0.5)) {
                    ASSERT_EQ(alpha, 128) << m.name << ": gap at " << x << ", " << y;
                }
            }
    }
}

TEST(SoftRaster, TrianglesOfNoAreaDrawNothing)
{
    const qel_vec2 cases[][3] = {
        {{0, 0}, {5, 5}, {10, 10}},                 // collinear
        {{2, 2}, {2, 2}, {8, 3}},                   // a repeated corner
        {{0, 0.5f}, {8, 0.5f}, {8, 0.5f + 1e-9f}},  // area below 1e-8
    };
    for (const auto& k : cases) {
        frame_builder f;
        f.triangle(solid_vertex(k[0].x, k[0].y), solid_vertex(k[1].x, k[1].y), solid_vertex(k[2].x, k[2].y));
        f.quad(solid_quad(2, 3, 9, 3));  // a quad of no height falls back to its empty triangles
        qel_draw_data dd = f.data(12, 12);
        canvas c(12, 12);
        c.raster(dd);
        EXPECT_EQ(max_byte_difference(c.bytes, canvas(12, 12).bytes), 0);
    }
}

// Signed distance to a rounded rectangle of half size (hw, hh) and one corner radius.
static double box_distance(double px, double py, double hw, double hh, double r)
{
    double qx = std::fabs(px) - hw + r, qy = std::fabs(py) - hh + r;
    return std::min(std::max(qx, qy), 0.0) + std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) - r;
}

TEST(SoftRaster, BorderedBoxIsOpaqueInsideAndPartialOnlyAlongItsOutline)
{
    for (bool triangles : BOTH_PATHS) {
        frame_builder f;
        f.quad(shape_quad(5.3f, 4.4f, 27.3f, 20.4f, flat(QEL_SHAPE_ROUNDED_BOX, 10, 7, 4, 1, 0xFF0000FF, 0xFFFF0000)),
               triangles);
        qel_draw_data dd = f.data(32, 24);
        canvas c(32, 24);
        c.raster(dd);
        int partial = 0;
        for (int y = 0; y < 24; y++)
            for (int x = 0; x < 32; x++) {
                double d = box_distance(x + 0.5 - 16.3, y + 0.5 - 12.4, 10, 7, 4);
                int alpha = c.channel(x, y, 3);
                if (d <= -0.501) {
                    ASSERT_EQ(alpha, 255) << x << ", " << y;
                } else if (d >= 0.501) {
                    ASSERT_EQ(alpha, 0) << x << ", " << y;
                }
                partial += alpha > 0 && alpha < 255;
                if (d <= -1.501) {  // past the border: the fill alone
                    ASSERT_EQ(c.channel(x, y, 0), 255);
                    ASSERT_EQ(c.channel(x, y, 2), 0);
                } else if (d <= -0.55 && d >= -0.95) {  // on the border: mostly its colour
                    ASSERT_GT(c.channel(x, y, 2), c.channel(x, y, 0)) << x << ", " << y;
                }
            }
        EXPECT_GT(partial, 40);
    }
}

TEST(SoftRaster, ShadowTableFollowsErfcAndShadowsReachTheirColourInside)
{
    const float* e = qel_soft_shadow_table();
    for (int i = 0; i < QEL_SOFT_SHADOW_TABLE_SIZE; i++) {
        double x = -4.0 + i * 6.8 / 1024;
        ASSERT_NEAR(e[i], 0.5 * std::erfc(x), 1e-6) << i;
    }
    EXPECT_GT(e[0], 0.99999f);

    // Sigma 2, so z = d / 2.83: the middle is far below -4, the quad's rim beyond 2.8.
    const qel_color color = 0xC81E140A;  // R 10, G 20, B 30, A 200
    frame_builder f;
    f.quad(shape_quad(0, 0, 40, 40, flat(QEL_SHAPE_SHADOW, 10, 10, 0, 2, color)));
    qel_draw_data dd = f.data(40, 40);
    canvas c(40, 40, 7);
    const uint8_t clear[4] = {0, 0, 0, 0};
    c.set(20, 20, clear);
    c.raster(dd);
    double a = 200 / 255.0;
    const int expected[4] = {(int)(10 / 255.0 * a * 255 + 0.5), (int)(20 / 255.0 * a * 255 + 0.5),
                             (int)(30 / 255.0 * a * 255 + 0.5), 200};
    for (int k = 0; k < 4; k++) EXPECT_EQ(c.channel(20, 20, k), expected[k]) << "z below -4: the colour itself";
    for (int k = 0; k < 4; k++) EXPECT_EQ(c.channel(0, 20, k), 7) << "z above 2.8 leaves the pixel";
    // Between the ends the factor follows erfc: pixel 31's centre is 1.5 outside the box.
    double sa = a * 0.5 * std::erfc(1.5 / (2 * 1.41421356));
    EXPECT_NEAR(c.channel(31, 20, 3), (sa + 7 / 255.0 * (1 - sa)) * 255, 1.0);
}

// A one-pixel quad at (x, y) on the edge of a large rounded box, placed so that the box covers
// the pixel centre by `coverage`.
static std::vector<qel_vertex> coverage_quad(int x, int y, float coverage, qel_color fill)
{
    std::vector<qel_vertex> q =
        shape_quad((float)x, (float)y, (float)x + 1, (float)y + 1, flat(QEL_SHAPE_ROUNDED_BOX, 20, 20, 0, 0, fill));
    for (qel_vertex& v : q) v.local[0] += 20.5f - coverage;  // distance 0.5 - coverage at the centre
    return q;
}

// Bytes of a packed colour in a format's order.
static void ordered(qel_color c, int32_t format, uint8_t out[4])
{
    uint8_t r = c & 0xFF, g = c >> 8 & 0xFF, b = c >> 16 & 0xFF, a = c >> 24;
    bool bgr = format == QEL_SOFT_BGRA;
    out[0] = bgr ? b : r;
    out[1] = g;
    out[2] = bgr ? r : b;
    out[3] = a;
}

TEST(SoftRaster, BlendingIsPremultipliedOverWithItsThresholds)
{
    struct blend_case {
        float coverage;
        qel_color fill, destination;
        int tolerance;
    };
    const blend_case cases[] = {
        {0.9996f, 0xFF204080, 0x00C8C80A, 0},  // opaque: the destination plays no part
        {0.9994f, 0xFF204080, 0x00C8C80A, 1},
        {0.5f, 0xFF204080, 0xFFC8C80A, 1},
        {0.5f, 0x80FFFFFF, 0x40000000, 1},
        {0.3f, 0xB4103050, 0x7F7F7F7F, 1},
        {0.0006f, 0xFFFFFFFF, 0x00000000, 1},
        {0.0004f, 0xFFFFFFFF, 0x7B2C1D0E, 0},  // too faint: the pixel stays as it was
    };
    for (int32_t format : {QEL_SOFT_RGBA, QEL_SOFT_BGRA}) {
        for (const blend_case& k : cases) {
            frame_builder f;
            f.quad(coverage_quad(0, 0, k.coverage, k.fill));
            qel_draw_data dd = f.data(1, 1);
            canvas c(1, 1, 0, format);
            uint8_t dst[4], fill[4];
            ordered(k.destination, format, dst);
            ordered(k.fill, format, fill);
            c.set(0, 0, dst);
            c.raster(dd);
            double a = fill[3] / 255.0 * k.coverage;
            for (int i = 0; i < 4; i++) {
                double s = i < 3 ? fill[i] / 255.0 * a : a;
                double expected = a <= 0.0005   ? dst[i]
                                  : a >= 0.9995 ? (i < 3 ? s * 255 : 255)
                                                : (s + dst[i] / 255.0 * (1 - a)) * 255;
                EXPECT_NEAR(c.channel(0, 0, i), std::floor(expected + 0.5), k.tolerance)
                    << "coverage " << k.coverage << " format " << format << " byte " << i;
            }
        }
    }
}

TEST(SoftRaster, FormatOneSwapsRedAndBlue)
{
    const struct {
        int32_t format;
        int red_at, blue_at;
    } cases[] = {{QEL_SOFT_RGBA, 0, 2}, {QEL_SOFT_BGRA, 2, 0}, {7, 0, 2}};
    for (const auto& k : cases) {
        frame_builder f;
        f.quad(solid_quad(0, 0, 4, 1, 0xFF302010, 0xFF302010));  // an opaque span
        f.triangle(solid_vertex(0, 1, 0x80302010), solid_vertex(4, 1, 0x80302010), solid_vertex(0, 5, 0x80302010));
        qel_draw_data dd = f.data(4, 4);
        canvas c(4, 4, 0, k.format);
        c.raster(dd);
        EXPECT_EQ(c.channel(1, 0, k.red_at), 0x10);
        EXPECT_EQ(c.channel(1, 0, 1), 0x20);
        EXPECT_EQ(c.channel(1, 0, k.blue_at), 0x30);
        EXPECT_EQ(c.channel(1, 0, 3), 255);
        EXPECT_EQ(c.channel(0, 1, k.red_at), 8);  // 0x10 at half alpha
        EXPECT_EQ(c.channel(0, 1, k.blue_at), 24);
    }
}

// Bilinear coverage of 1-byte texels in double precision, edges repeated.
static double bilinear(const uint8_t* texels, int w, int h, double u, double v)
{
    double x = u * w - 0.5, y = v * h - 0.5, x0 = std::floor(x), y0 = std::floor(y), fx = x - x0, fy = y - y0;
    auto at = [&](double tx, double ty) {
        int cx = (int)std::clamp(tx, 0.0, w - 1.0), cy = (int)std::clamp(ty, 0.0, h - 1.0);
        return texels[cy * w + cx] / 255.0;
    };
    return at(x0, y0) * (1 - fx) * (1 - fy) + at(x0 + 1, y0) * fx * (1 - fy) + at(x0, y0 + 1) * (1 - fx) * fy +
           at(x0 + 1, y0 + 1) * fx * fy;
}

class SoftRasterTextures : public ::testing::Test {
protected:
    void SetUp() override { soft = qel_soft_create(); }
    void TearDown() override { qel_soft_destroy(soft); }
    qel_soft_renderer* soft = nullptr;
};

static const uint8_t GLYPH[12] = {0, 40, 255, 90, 128, 0, 200, 10, 60, 255, 0, 30};  // 4 x 3

TEST_F(SoftRasterTextures, GlyphsTakeTheirCoverageFromTheAtlas)
{
    uint64_t atlas = qel_soft_texture_create(soft, 4, 3, 1, GLYPH);
    const qel_vertex glyph = flat(QEL_SHAPE_GLYPH, 0, 0, 0, 0, WHITE);
    frame_builder f;
    f.atlas = atlas;
    f.quad(shape_quad(2, 3, 6, 6, glyph));   // one texel a pixel
    f.quad(shape_quad(8, 0, 16, 6, glyph));  // twice the size: bilinear
    f.command();
    f.quad(shape_quad(0, 8, 3, 10, glyph));  // a texture that is not there: full coverage
    f.command({0, 0, 100, 100}, 99);
    qel_draw_data dd = f.data(16, 10);
    canvas c(16, 10, 7);
    c.raster(dd, soft);
    auto over_seven = [](double a) { return (a + 7 / 255.0 * (1 - a)) * 255; };
    for (int y = 0; y < 3; y++)
        for (int x = 0; x < 4; x++) {
            uint8_t t = GLYPH[y * 4 + x];
            EXPECT_NEAR(c.channel(2 + x, 3 + y, 3), t ? over_seven(t / 255.0) : 7, 0.5) << x << ", " << y;
        }
    for (int y = 0; y < 6; y++)
        for (int x = 0; x < 8; x++)
            EXPECT_NEAR(c.channel(8 + x, y, 3), over_seven(bilinear(GLYPH, 4, 3, (x + 0.5) / 8, (y + 0.5) / 6)), 1)
                << x << ", " << y;
    EXPECT_EQ(c.channel(1, 9, 3), 255);
}

TEST_F(SoftRasterTextures, ImagesArePremultipliedTintedAndCutToTheirCorners)
{
    const uint8_t rgba[16] = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 255, 255, 255, 64};
    uint64_t image = qel_soft_texture_create(soft, 2, 2, 4, rgba);
    frame_builder f;
    f.quad(shape_quad(2, 2, 4, 4, flat(QEL_SHAPE_IMAGE, 1, 1, 0, 0, WHITE)));
    f.quad(shape_quad(6, 2, 8, 4, flat(QEL_SHAPE_IMAGE, 1, 1, 0, 0, 0xFF0080FF)));  // tint halves green
    f.quad(shape_quad(0, 6, 20, 26, flat(QEL_SHAPE_IMAGE, 10, 10, 10, 0, WHITE)));  // a round cut
    f.command({0, 0, 100, 100}, image);
    f.quad(shape_quad(10, 0, 12, 2, flat(QEL_SHAPE_IMAGE, 1, 1, 0, 0, 0xFF336699)));  // no texture: the tint
    f.command({0, 0, 100, 100}, 42);
    qel_draw_data dd = f.data(20, 26);
    canvas c(20, 26);
    c.raster(dd, soft);
    const struct {
        int x, y;
        uint8_t px[4];
    } expected[] = {
        {2, 2, {255, 0, 0, 255}}, {3, 2, {0, 128, 0, 128}},   {2, 3, {0, 0, 0, 0}},
        {3, 3, {64, 64, 64, 64}}, {7, 2, {0, 64, 0, 128}},    {7, 3, {64, 32, 0, 64}},
        {0, 6, {0, 0, 0, 0}},     {15, 21, {64, 64, 64, 64}}, {10, 0, {0x99, 0x66, 0x33, 255}},
    };
    for (const auto& e : expected)
        for (int k = 0; k < 4; k++)
            EXPECT_NEAR(c.channel(e.x, e.y, k), e.px[k], 1) << e.x << ", " << e.y << " byte " << k;
}

TEST(SoftRaster, BilinearSamplesRepeatTheEdgeTexels)
{
    const uint8_t texels[4] = {0, 100, 200, 255};
    const struct {
        float u, v;
        double expected;
    } cases[] = {
        {0.25f, 0.25f, 0},
        {0.75f, 0.25f, 100 / 255.0},
        {0.25f, 0.75f, 200 / 255.0},
        {0.5f, 0.5f, 555 / 4.0 / 255},
        {0.5f, 0.25f, 50 / 255.0},
        {0, 0, 0},
        {-3, 0.25f, 0},
        {1.5f, 1.5f, 1},
        {1e30f, -1e30f, 100 / 255.0},
    };
    for (const auto& k : cases) EXPECT_NEAR(qel_soft_sample_alpha(2, 2, texels, k.u, k.v), k.expected, 1e-5) << k.u;
    EXPECT_TRUE(std::isnan(qel_soft_sample_alpha(2, 2, texels, NAN, 0.5f)));

    uint8_t rgba[4] = {255, 128, 0, 128};
    qel_soft_texture slot = {1, 1, 4, rgba, 1};
    qel_soft_rgba s = qel_soft_sample_rgba(&slot, 0.3f, 0.9f);
    EXPECT_NEAR(s.r, 128 / 255.0, 1e-6);
    EXPECT_NEAR(s.g, 128 / 255.0 * 128 / 255.0, 1e-6);
    EXPECT_EQ(s.b, 0);
    EXPECT_NEAR(s.a, 128 / 255.0, 1e-6);
}

// A framebuffer that is not one colour, so that blending shows.
static canvas patterned(int32_t w, int32_t h)
{
    canvas c(w, h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            const uint8_t px[4] = {(uint8_t)(x * 7), (uint8_t)(y * 5), (uint8_t)(x * y), (uint8_t)(255 - x - y)};
            c.set(x, y, px);
        }
    return c;
}

TEST_F(SoftRasterTextures, FastPathAgreesWithTheTrianglePath)
{
    uint64_t atlas = qel_soft_texture_create(soft, 4, 3, 1, GLYPH);
    const uint8_t rgba[16] = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 30, 255, 255, 255, 200};
    uint64_t image = qel_soft_texture_create(soft, 2, 2, 4, rgba);
    qel_vertex gradient = flat(QEL_SHAPE_ROUNDED_BOX, 30, 20, 6, 2, 0xC02080F0, 0xFF10F010);
    std::vector<qel_vertex> graded = shape_quad(8.3f, 5.7f, 72.3f, 49.7f, gradient);
    graded[2].fill = graded[3].fill = 0x6040A020;
    const struct {
        const char* name;
        std::vector<qel_vertex> quad;
        uint64_t texture;
    } cases[] = {
        {"bordered box with a vertical gradient", graded, 0},
        {"wide translucent box", shape_quad(0, 2, 120, 30, flat(QEL_SHAPE_ROUNDED_BOX, 59, 13, 8, 0, 0x90FF8040)), 0},
        {"opaque box with mixed radii",
         shape_quad(4, 4, 50, 40, flat(QEL_SHAPE_ROUNDED_BOX, 22, 17, 12, 0, 0xFF123456)), 0},
        {"shadow", shape_quad(0, 0, 90, 60, flat(QEL_SHAPE_SHADOW, 30, 15, 10, 5, 0xB0000000)), 0},
        {"solid gradient", solid_quad(3.5f, 2.25f, 61.5f, 40.75f, 0xFF0000FF, 0x40FF0000), 0},
        {"image cut to round corners", shape_quad(5, 5, 45, 35, flat(QEL_SHAPE_IMAGE, 19, 14, 9, 0, 0xFFC0FFFF)),
         image},
        {"glyph at one and a half times its size",
         shape_quad(2.5f, 3, 8.5f, 7.5f, flat(QEL_SHAPE_GLYPH, 0, 0, 0, 0, WHITE)), atlas},
        {"glyph at its size", shape_quad(2, 3, 6, 6, flat(QEL_SHAPE_GLYPH, 0, 0, 0, 0, 0xC0FFFFFF)), atlas},
    };
    for (const auto& k : cases) {
        canvas drawn[2] = {patterned(128, 64), patterned(128, 64)};
        for (int path = 0; path < 2; path++) {
            frame_builder f;
            f.quad(k.quad, path == 1);
            f.command({0, 0, 128, 64}, k.texture);
            qel_draw_data dd = f.data(128, 64);
            drawn[path].raster(dd, soft);
        }
        EXPECT_LE(max_byte_difference(drawn[0].bytes, drawn[1].bytes), 1) << k.name;
        EXPECT_GT(max_byte_difference(drawn[0].bytes, patterned(128, 64).bytes), 20) << k.name << " drew nothing";
    }
}

TEST(SoftRaster, SpansAndRunsGiveTheBytesOfPixelByPixelShading)
{
    // Clipped to one column, every span and run of a quad is one pixel long: what the fast path
    // fills in spans, through blend tables or in runs of one colour must match that exactly.
    std::vector<qel_vertex> graded =
        shape_quad(3.3f, 2.6f, 121.3f, 40.4f, flat(QEL_SHAPE_ROUNDED_BOX, 58, 18, 9, 1.5f, 0xA0F08020, 0xFF2020F0));
    graded[2].fill = graded[3].fill = 0x60208040;
    const struct {
        const char* name;
        std::vector<qel_vertex> quad;
    } cases[] = {
        {"translucent box with a border and a gradient", graded},
        {"wide translucent box",
         shape_quad(0.5f, 4.25f, 127.5f, 40.75f, flat(QEL_SHAPE_ROUNDED_BOX, 62.5f, 17.25f, 6, 0, 0x90FF8040))},
        {"opaque box",
         shape_quad(10.2f, 5.9f, 100.6f, 50.1f, flat(QEL_SHAPE_ROUNDED_BOX, 44.2f, 21.1f, 14, 0, 0xFF123456))},
        {"shadow", shape_quad(0, 0, 128, 64, flat(QEL_SHAPE_SHADOW, 40, 14, 10, 6, 0xB0000000))},
        {"narrow shadow", shape_quad(20, -10, 60, 74, flat(QEL_SHAPE_SHADOW, 8, 30, 4, 3, 0xFF804020))},
        {"solid gradient", solid_quad(3.5f, 2.25f, 121.5f, 60.75f, 0xC00000FF, 0x40FF0000)},
    };
    for (const auto& k : cases) {
        canvas drawn[2] = {patterned(128, 64), patterned(128, 64)};
        for (int columns = 0; columns < 2; columns++) {
            frame_builder f;
            for (int x = 0; x < (columns ? 128 : 1); x++) {
                f.quad(k.quad);
                f.command(columns ? qel_rect{(float)x, 0, 1, 64} : qel_rect{0, 0, 128, 64});
            }
            qel_draw_data dd = f.data(128, 64);
            drawn[columns].raster(dd);
        }
        EXPECT_EQ(max_byte_difference(drawn[0].bytes, drawn[1].bytes), 0) << k.name;
    }
}

TEST(SoftRaster, ShadowPixelsHiddenByALaterOpaqueBoxAreSkippedWithoutTrace)
{
    // A shadow followed in its command by an opaque box is not shaded where the box's interior
    // will overwrite it; with the box in a command of its own nothing is skipped.
    const qel_vertex shadow = flat(QEL_SHAPE_SHADOW, 30, 20, 8, 6, 0x90200000);
    std::vector<qel_vertex> graded =
        shape_quad(20.5f, 15.25f, 81.5f, 56.75f, flat(QEL_SHAPE_ROUNDED_BOX, 29.5f, 19.75f, 8, 1, WHITE, 0xFF808080));
    graded[2].fill = graded[3].fill = 0xFF8090A0;
    const struct {
        const char* name;
        std::vector<qel_vertex> box;
        bool something_between;
    } cases[] = {
        {"opaque card with a border",
         shape_quad(20.5f, 15.25f, 81.5f, 56.75f, flat(QEL_SHAPE_ROUNDED_BOX, 29.5f, 19.75f, 8, 1, WHITE, 0xFF808080)),
         false},
        {"opaque gradient card", graded, false},
        {"card off the shadow's centre",
         shape_quad(40, 5, 110, 40, flat(QEL_SHAPE_ROUNDED_BOX, 34, 16.5f, 12, 0, 0xFF3060F0)), false},
        {"a translucent box between",
         shape_quad(20.5f, 15.25f, 81.5f, 56.75f, flat(QEL_SHAPE_ROUNDED_BOX, 29.5f, 19.75f, 0, 0, 0xFFF0F0F0)), true},
        {"translucent card",
         shape_quad(20.5f, 15.25f, 81.5f, 56.75f, flat(QEL_SHAPE_ROUNDED_BOX, 29.5f, 19.75f, 8, 0, 0xF0FFFFFF)), false},
        {"clear card with a border",
         shape_quad(20.5f, 15.25f, 81.5f, 56.75f, flat(QEL_SHAPE_ROUNDED_BOX, 29.5f, 19.75f, 8, 2, 0, 0xFF000000)),
         false},
    };
    for (const auto& k : cases) {
        canvas drawn[2] = {patterned(120, 72), patterned(120, 72)};
        for (int split = 0; split < 2; split++) {
            frame_builder f;
            f.quad(shape_quad(3.5f, -2.5f, 98.5f, 74.5f, shadow));
            if (k.something_between)
                f.quad(shape_quad(30, 30, 60, 45, flat(QEL_SHAPE_ROUNDED_BOX, 14, 6.5f, 3, 0, 0x80FF00FF)));
            if (split) f.command();
            f.quad(k.box);
            qel_draw_data dd = f.data(120, 72);
            drawn[split].raster(dd);
        }
        EXPECT_EQ(max_byte_difference(drawn[0].bytes, drawn[1].bytes), 0) << k.name;
    }
}

// The OpenGL fragment stage written plainly in double precision over a transparent pixel: what
// the rasteriser must reproduce whichever path it takes.
struct fragment_case {
    const char* name;
    float cx, cy, hw, hh, pad;
    float radii[4];
    float param;
    qel_shape_kind kind;
    qel_color fill, border;
};

static double unit(qel_color c, int byte)
{
    return (c >> (8 * byte) & 0xFF) / 255.0;
}

static void fragment(const fragment_case& k, const uint8_t* texels, int tw, int th, int channels, double px, double py,
                     double out[4])
{
    double lx = px - k.cx, ly = py - k.cy;
    double r = lx < 0 ? (ly < 0 ? k.radii[0] : k.radii[3]) : (ly < 0 ? k.radii[1] : k.radii[2]);
    r = std::min<double>(r, std::min(k.hw, k.hh));
    double d = box_distance(lx, ly, k.hw, k.hh, r);
    double c[4] = {unit(k.fill, 0), unit(k.fill, 1), unit(k.fill, 2), unit(k.fill, 3)};
    double a = 0, rgb[3] = {c[0], c[1], c[2]};
    if (k.kind == QEL_SHAPE_ROUNDED_BOX) {
        double outer = std::clamp(0.5 - d, 0.0, 1.0), inner = std::clamp(0.5 - (d + k.param), 0.0, 1.0);
        double fa = c[3] * inner, ba = unit(k.border, 3) * (outer - inner);
        for (int i = 0; i < 3; i++) rgb[i] = c[i] * fa + unit(k.border, i) * ba;
        a = fa + ba;
    } else if (k.kind == QEL_SHAPE_SHADOW) {
        a = c[3] * 0.5 * std::erfc(d / (k.param * std::sqrt(2.0)));
        for (double& v : rgb) v *= a;
    } else if (k.kind == QEL_SHAPE_IMAGE) {
        double u = (lx + k.hw) / (2 * k.hw), v = (ly + k.hh) / (2 * k.hh), t[4];
        for (int i = 0; i < 4; i++) {
            std::vector<uint8_t> plane((size_t)tw * th);
            for (size_t j = 0; j < plane.size(); j++) plane[j] = texels[j * channels + i];
            t[i] = bilinear(plane.data(), tw, th, u, v);
        }
        double cov = std::clamp(0.5 - d, 0.0, 1.0);
        a = t[3] * c[3] * cov;
        for (int i = 0; i < 3; i++) rgb[i] = t[i] * c[i] * a;
    } else {  // glyph over the quad without pad
        double u = (lx + k.hw) / (2 * k.hw), v = (ly + k.hh) / (2 * k.hh);
        a = c[3] * bilinear(texels, tw, th, u, v);
        for (double& x : rgb) x *= a;
    }
    for (int i = 0; i < 3; i++) out[i] = rgb[i];
    out[3] = a;
}

TEST_F(SoftRasterTextures, ShadesLikeTheOpenGLFragmentStage)
{
    const uint8_t rgba[24] = {250, 20,  20, 255, 20, 250, 20,  255, 20,  20, 250, 255,
                              200, 200, 40, 255, 40, 200, 200, 255, 120, 60, 180, 255};  // 3 x 2, opaque
    uint64_t image = qel_soft_texture_create(soft, 3, 2, 4, rgba);
    uint64_t atlas = qel_soft_texture_create(soft, 4, 3, 1, GLYPH);
    const fragment_case cases[] = {
        {"box with a border",
         40.3f,
         30.6f,
         25,
         15,
         1,
         {12, 3, 0, 8},
         2.5f,
         QEL_SHAPE_ROUNDED_BOX,
         0xE6326400,
         0xFFFA2814},
        {"thin border on a clear box", 40, 30, 30, 20, 1, {6, 6, 6, 6}, 1, QEL_SHAPE_ROUNDED_BOX, 0, 0xFFFFFFFF},
        {"shadow", 40, 31.5f, 20, 12, 12, {6, 6, 6, 6}, 4, QEL_SHAPE_SHADOW, 0xA0000000, 0},
        {"image", 40, 30, 24, 16, 1, {10, 10, 2, 0}, 0, QEL_SHAPE_IMAGE, 0xFF64C8FF, 0},
        {"glyph", 22.25f, 17.5f, 12, 9, 0, {0, 0, 0, 0}, 0, QEL_SHAPE_GLYPH, 0xFF1E1E1E, 0},
    };
    for (const fragment_case& k : cases) {
        qel_context* ctx = qel_ctx_create(nullptr);
        qel_ctx_set_display(ctx, 80, 60, 1);
        qel_draw_reset(ctx);
        if (k.kind == QEL_SHAPE_GLYPH)
            qel_draw_glyph(ctx, k.cx - k.hw, k.cy - k.hh, k.cx + k.hw, k.cy + k.hh, 0, 0, 1, 1, k.fill);
        else
            qel_draw_shape(ctx, k.cx, k.cy, k.hw, k.hh, k.pad, k.radii, k.param, k.kind, k.fill, k.fill, k.fill, k.fill,
                           k.border, k.kind == QEL_SHAPE_IMAGE ? image : 0, 0, 0, 1, 1);
        qel_draw_data dd = recorded_frame(ctx, 0, atlas);
        canvas c(80, 60);
        c.raster(dd, soft);
        qel_ctx_destroy(ctx);

        bool glyph = k.kind == QEL_SHAPE_GLYPH;
        float grow = glyph ? 0 : std::max(k.pad, k.kind == QEL_SHAPE_SHADOW ? 0.0f : 1.0f);
        int worst = 0;
        for (int y = 0; y < 60; y++)
            for (int x = 0; x < 80; x++) {
                double px = x + 0.5, py = y + 0.5, f[4] = {0, 0, 0, 0};
                bool in_quad = px >= k.cx - k.hw - grow && px < k.cx + k.hw + grow && py >= k.cy - k.hh - grow &&
                               py < k.cy + k.hh + grow;
                if (in_quad) fragment(k, glyph ? GLYPH : rgba, glyph ? 4 : 3, glyph ? 3 : 2, glyph ? 1 : 4, px, py, f);
                for (int i = 0; i < 4; i++) {
                    double expected = f[3] <= 0.0005 ? 0 : std::floor(f[i] * 255 + 0.5);
                    worst = std::max(worst, (int)std::fabs(c.channel(x, y, i) - expected));
                }
            }
        EXPECT_LE(worst, 2) << k.name;
    }
}

TEST(SoftRaster, WrongNumbersAreLeftOutWithoutHarm)
{
    const float nan = NAN, inf = INFINITY;
    const struct {
        const char* name;
        std::function<void(frame_builder&)> spoil;
        bool draws_in_spoiled_area;
    } cases[] = {
        {"position not a number", [&](frame_builder& f) { f.vertices[4].pos[0] = nan; }, false},
        {"position infinite", [&](frame_builder& f) { f.vertices[4].pos[1] = -inf; }, false},
        {"half size not a number", [&](frame_builder& f) { f.vertices[4].half[0] = nan; }, false},
        {"radius infinite", [&](frame_builder& f) { f.vertices[4].radii[2] = inf; }, false},
        {"texture coordinate not a number", [&](frame_builder& f) { f.vertices[6].uv[1] = nan; }, false},
        {"kind not a number", [&](frame_builder& f) { f.vertices[4].kind = nan; }, false},
        {"huge positions",
         [&](frame_builder& f) {
             for (int i = 4; i < 8; i++) f.vertices[i].pos[0] = i == 4 || i == 7 ? -1e30f : 1e30f;
         },
         false},
        {"huge local positions",
         [&](frame_builder& f) {
             for (int i = 4; i < 8; i++) f.vertices[i].local[1] = 3e38f;
         },
         false},
        {"huge texture coordinates",
         [&](frame_builder& f) {
             f.vertices[5].uv[0] = 1e30f;
             f.vertices[6].uv[0] = -1e30f;
         },
         true},
        {"huge kind",
         [&](frame_builder& f) {
             for (int i = 4; i < 8; i++) f.vertices[i].kind = 3e9f;
         },
         true},
        {"clip not a number", [&](frame_builder& f) { f.commands[1].clip.w = nan; }, false},
        {"huge clip",
         [&](frame_builder& f) {
             f.commands[1].clip = {-1e30f, -1e30f, 3e30f, 3e30f};
         },
         true},
        {"index past the vertices",
         [&](frame_builder& f) {
             f.indices[7] = 1000;
             f.indices[9] = 1000;
         },
         false},
        {"range past the indices", [&](frame_builder& f) { f.commands[1].index_count = 1u << 31; }, true},
        {"range starting past the indices", [&](frame_builder& f) { f.commands[1].first_index = 0xFFFFFFF0u; }, false},
    };
    for (const auto& k : cases) {
        frame_builder f;
        f.quad(solid_quad(0, 0, 8, 8, 0xFF0000FF));  // stays sound: always drawn
        f.command();
        f.quad(shape_quad(10, 0, 20, 8, flat(QEL_SHAPE_ROUNDED_BOX, 5, 4, 2, 1, 0xFF00FF00, 0xFFFFFFFF)));
        f.command({0, 0, 20, 8});
        k.spoil(f);
        qel_draw_data dd = f.data(20, 8);
        canvas c(20, 8);
        c.raster(dd);
        EXPECT_EQ(c.channel(4, 4, 0), 255) << k.name;
        if (!k.draws_in_spoiled_area) {
            EXPECT_EQ(c.channel(15, 4, 3), 0) << k.name;
        }
    }
}
