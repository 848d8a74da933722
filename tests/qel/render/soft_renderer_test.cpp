#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "support/qel_fixture.h"
#include "render/worker_thread.h"
#include "soft_fixture.h"

namespace {

struct dirty_rect {
    bool any;
    int32_t x, y, w, h;
};

class SoftRendererTest : public QelTest {
protected:
    void SetUp() override
    {
        QelTest::SetUp();
        soft = qel_soft_create();
        ASSERT_NE(soft, nullptr);
    }
    void TearDown() override
    {
        qel_soft_destroy(soft);
        QelTest::TearDown();
    }

    // Renders the recorded frame into fb, sized for it.
    void render(std::vector<uint8_t>* fb, qel_color clear, int32_t format = QEL_SOFT_RGBA, uint64_t atlas = 0)
    {
        qel_draw_data dd = recorded_frame(ctx, clear, atlas);
        fb->resize((size_t)dd.framebuffer_width * (size_t)dd.framebuffer_height * 4);
        qel_soft_render(soft, &dd, fb->data(), dd.framebuffer_width, dd.framebuffer_height, dd.framebuffer_width * 4,
                        format);
    }
    dirty_rect dirty() const
    {
        dirty_rect d;
        d.any = qel_soft_dirty_rect(soft, &d.x, &d.y, &d.w, &d.h);
        return d;
    }
    void rect(float x, float y, float w, float h, qel_color color = 0xFF2080F0)
    {
        qel_rect r = {x, y, w, h};
        qel_draw_rect(ctx, &r, nullptr, color);
    }
    const qel_soft_texture& slot(uint64_t texture) const { return *qel_soft_slot(soft, texture); }

    qel_soft_renderer* soft = nullptr;
};

}  // namespace

TEST_F(SoftRendererTest, TexturesTakeFreeSlotsAndRefuseSizesTheyCannotHold)
{
    qel_renderer r;
    qel_soft_fill_renderer(&r, soft);
    qel_ctx_set_renderer(ctx, &r);
    const uint8_t px[4] = {1, 2, 3, 4};
    uint64_t a = ctx->renderer.create(ctx->renderer.user, 2, 2, 1, nullptr);
    uint64_t b = ctx->renderer.create(ctx->renderer.user, 1, 1, 4, px);
    EXPECT_EQ(a, 1u);
    EXPECT_EQ(b, 2u);
    EXPECT_EQ(slot(a).pixels[3], 0);  // no pixels given: zeros
    EXPECT_EQ(slot(b).pixels[2], 3);
    ctx->renderer.destroy(ctx->renderer.user, a);
    EXPECT_EQ(qel_soft_slot(soft, a), nullptr);
    EXPECT_EQ(qel_soft_texture_create(soft, 3, 3, 1, nullptr), a);  // the freed slot again
    for (int i = 0; i < 40; i++) EXPECT_EQ(qel_soft_texture_create(soft, 1, 1, 1, nullptr), 3u + i);

    const struct {
        int32_t w, h, channels;
    } refused[] = {{0, 5, 1},         {5, 0, 1},
                   {-1, 5, 4},        {5, -7, 1},
                   {5, 5, 3},         {5, 5, 0},
                   {46341, 46341, 1},  // just over 2 GiB
                   {65536, 65536, 4}, {INT32_MAX, INT32_MAX, 4}};
    for (const auto& k : refused)
        EXPECT_EQ(qel_soft_texture_create(soft, k.w, k.h, k.channels, nullptr), 0u) << k.w << " x " << k.h;
    qel_soft_texture_delete(soft, 0);  // names nothing
    qel_soft_texture_delete(soft, 999);
    qel_soft_texture_update(soft, 999, 0, 0, 1, 1, px, 0);
    EXPECT_EQ(qel_soft_texture_create(nullptr, 1, 1, 1, nullptr), 0u);
    qel_ctx_set_renderer(ctx, nullptr);
}

TEST_F(SoftRendererTest, TextureUpdatesAreCutToTheTexture)
{
    uint64_t t = qel_soft_texture_create(soft, 4, 3, 1, nullptr);
    uint8_t source[8 * 5];
    for (int i = 0; i < 40; i++) source[i] = (uint8_t)(i + 1);
    const struct {
        const char* name;
        int32_t x, y, w, h, stride;
        std::vector<uint8_t> expected;  // the 4 x 3 texels afterwards
    } cases[] = {
        {"inside, packed", 1, 1, 2, 2, 0, {0, 0, 0, 0, 0, 1, 2, 0, 0, 3, 4, 0}},
        {"over the top left, rows 8 apart", -1, -1, 3, 3, 8, {10, 11, 0, 0, 18, 19, 0, 0, 0, 0, 0, 0}},
        {"over the bottom right", 2, 1, 5, 4, 5, {0, 0, 0, 0, 0, 0, 1, 2, 0, 0, 6, 7}},
        {"wholly outside", 4, 0, 2, 2, 0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"far outside", INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, 0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"empty", 0, 0, 0, 3, 0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& k : cases) {
        memset(slot(t).pixels, 0, 12);
        qel_soft_texture_update(soft, t, k.x, k.y, k.w, k.h, source, k.stride);
        EXPECT_EQ(std::vector<uint8_t>(slot(t).pixels, slot(t).pixels + 12), k.expected) << k.name;
    }
    qel_soft_texture_update(soft, t, 0, 0, 4, 3, nullptr, 0);  // no pixels: nothing
    EXPECT_EQ(slot(t).pixels[0], 0);

    uint64_t image = qel_soft_texture_create(soft, 2, 2, 4, nullptr);
    qel_soft_texture_update(soft, image, 1, 0, 1, 2, source, 0);  // packed rows of 4 bytes
    const uint8_t expected[16] = {0, 0, 0, 0, 1, 2, 3, 4, 0, 0, 0, 0, 5, 6, 7, 8};
    EXPECT_EQ(memcmp(slot(image).pixels, expected, 16), 0);
}

TEST_F(SoftRendererTest, OnlyChangedTilesAreRedrawn)
{
    qel_soft_set_incremental(soft, true);
    qel_ctx_set_display(ctx, 100, 70, 1);  // 2 x 2 tiles
    std::vector<uint8_t> fb;
    next_frame();
    rect(70, 66, 5, 2);
    render(&fb, 0xFF101010);
    EXPECT_EQ(dirty().w, 100);  // the first frame is drawn whole
    render(&fb, 0xFF101010);
    dirty_rect same = dirty();
    EXPECT_FALSE(same.any);
    EXPECT_EQ(same.x, 100);
    EXPECT_EQ(same.y, 70);
    EXPECT_EQ(same.w, -100);
    EXPECT_EQ(same.h, -70);

    next_frame();
    rect(80, 66, 5, 2);  // moved within tile (1, 1)
    render(&fb, 0xFF101010);
    dirty_rect moved = dirty();
    EXPECT_TRUE(moved.any);
    EXPECT_EQ(moved.x, 64);
    EXPECT_EQ(moved.y, 64);
    EXPECT_EQ(moved.w, 36);
    EXPECT_EQ(moved.h, 6);

    render(&fb, 0xFF101011);  // only the clear colour changed
    EXPECT_EQ(dirty().w, 100);
    EXPECT_EQ(dirty().h, 70);
    EXPECT_FALSE(qel_soft_dirty_rect(nullptr, nullptr, nullptr, nullptr, nullptr));
}

TEST_F(SoftRendererTest, DirtyTilesMergeIntoRectanglesRowByRow)
{
    struct merge_case {
        const char* name;
        std::vector<int> row0, row1;  // tile columns with a change
        std::vector<qel_rect> redrawn;
    };
    const merge_case cases[] = {
        {"columns 3..5, then 6..7: two rectangles", {3, 5}, {6, 7}, {{192, 0, 192, 64}, {384, 64, 128, 64}}},
        {"columns 3..5, then 1..2: one rectangle", {3, 5}, {1, 2}, {{64, 0, 320, 128}}},
        {"one tile", {2}, {}, {{128, 0, 64, 64}}},
    };
    qel_ctx_set_display(ctx, 512, 128, 1);
    for (const merge_case& k : cases) {
        qel_soft_set_incremental(soft, true);
        std::vector<uint8_t> fb;
        next_frame();
        render(&fb, 0xFF000000);
        std::fill(fb.begin(), fb.end(), 7);  // whatever is redrawn loses this
        next_frame();
        for (int c : k.row0) rect(c * 64 + 20.0f, 20, 10, 10);
        for (int c : k.row1) rect(c * 64 + 20.0f, 84, 10, 10);
        render(&fb, 0xFF000000);
        for (int y = 0; y < 128; y++)
            for (int x = 0; x < 512; x++) {
                bool expected = false;
                for (const qel_rect& r : k.redrawn) expected |= x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
                ASSERT_EQ(fb[((size_t)y * 512 + x) * 4 + 3] != 7, expected) << k.name << " at " << x << ", " << y;
            }
    }
}

TEST_F(SoftRendererTest, UpdatedTextureAreasRedrawWhatSamplesThem)
{
    qel_soft_set_incremental(soft, true);
    qel_ctx_set_display(ctx, 256, 128, 1);
    std::vector<uint8_t> atlas_texels(64 * 64, 200);
    uint64_t atlas = qel_soft_texture_create(soft, 64, 64, 1, atlas_texels.data());
    std::vector<uint8_t> fb;
    auto glyphs = [&] {
        next_frame();
        qel_draw_glyph(ctx, 10, 10, 18, 18, 0, 0, 0.125f, 0.125f, WHITE);            // atlas texels 0..8
        qel_draw_glyph(ctx, 200, 90, 208, 98, 0.5f, 0.5f, 0.625f, 0.625f, WHITE);    // atlas texels 32..40
        qel_draw_glyph(ctx, 100, 10, 108, 18, -0.5f, 0.5f, -0.375f, 0.625f, WHITE);  // left of the atlas: column 0
        render(&fb, 0xFF000000, QEL_SOFT_RGBA, atlas);
    };
    glyphs();
    glyphs();
    EXPECT_FALSE(dirty().any);

    const uint8_t dark[4] = {9, 9, 9, 9};
    qel_soft_texture_update(soft, atlas, 34, 34, 2, 2, dark, 0);
    glyphs();
    dirty_rect d = dirty();
    EXPECT_EQ(d.x, 192);  // the second glyph's tile and nothing else
    EXPECT_EQ(d.y, 64);
    EXPECT_EQ(d.w, 64);
    EXPECT_EQ(d.h, 64);

    qel_soft_texture_update(soft, atlas, 0, 36, 1, 1, dark, 0);  // an edge texel sampled from outside
    glyphs();
    d = dirty();
    EXPECT_EQ(d.x, 64);
    EXPECT_EQ(d.y, 0);
    EXPECT_EQ(d.w, 64);
    EXPECT_EQ(d.h, 64);

    // More changed textures than the list holds: everything.
    for (int i = 0; i < 33; i++)
        qel_soft_texture_update(soft, qel_soft_texture_create(soft, 1, 1, 1, nullptr), 0, 0, 1, 1, dark, 0);
    glyphs();
    EXPECT_EQ(dirty().w, 256);
    EXPECT_EQ(dirty().h, 128);
}

// A frame of the scripted sequence: shapes that move with the frame number, text from the
// atlas, an image, lines and a clipped region.
static void scene(qel_context* ctx, int frame, uint64_t image)
{
    const float radii[4] = {8, 8, 2, 14};
    float shift = (float)frame * 13.7f;
    qel_rect card = {20 + shift, 30, 140, 90};
    qel_draw_elevation(ctx, &card, radii, 2, 1);
    qel_draw_rect_bordered(ctx, &card, radii, 0xFFF4F4F4, 0xFF8A8A8A, 1.5f);
    qel_rect bar = {0, 0, 400, 24};
    qel_draw_rect_gradient(ctx, &bar, nullptr, 0xFF303030, 0xFF202020);
    for (int i = 0; i < 12; i++) {
        float x = 30 + (float)i * 9 + (i == frame % 12 ? 0.5f : 0);
        qel_draw_glyph(ctx, x, 50, x + 8, 62, (float)(i % 4) * 0.25f, 0, (float)(i % 4) * 0.25f + 0.25f, 0.375f,
                       0xFF101010);
    }
    qel_rect photo = {260, 140 - (float)frame, 80, 60};
    qel_draw_image(ctx, image, &photo, nullptr, radii, frame == 3 ? 0x80FFFFFF : 0);
    qel_rect clip = {200, 100, 150, 120};
    qel_draw_push_clip(ctx, &clip);
    qel_draw_line(ctx, {190, 110}, {360 - (float)frame * 5, 230}, 2.5f, 0xFF0060FF);
    qel_draw_circle(ctx, {300, 200}, 25 + (float)(frame % 3), 0xA000C000);
    qel_draw_pop_clip(ctx);
    qel_draw_arc(ctx, {80, 220}, 30, 0, 4.5f, 3, 0xFFFF8000);
}

TEST_F(SoftRendererTest, IncrementalRenderingGivesTheSamePicturesAsFullRendering)
{
    qel_soft_renderer* full = qel_soft_create();
    qel_soft_set_incremental(soft, true);
    qel_soft_set_workers(soft, 4);
    qel_soft_set_workers(full, 1);
    std::vector<uint8_t> atlas_texels(32 * 32), image_texels(8 * 8 * 4);
    for (size_t i = 0; i < atlas_texels.size(); i++) atlas_texels[i] = (uint8_t)(i * 37 % 251);
    for (size_t i = 0; i < image_texels.size(); i++) image_texels[i] = (uint8_t)(i * 13 % 256);
    uint64_t atlas = 0, image = 0;
    for (qel_soft_renderer* r : {soft, full}) {
        atlas = qel_soft_texture_create(r, 32, 32, 1, atlas_texels.data());
        image = qel_soft_texture_create(r, 8, 8, 4, image_texels.data());
    }
    std::vector<uint8_t> kept, whole;
    qel_color clear = 0xFFE8E8E8;
    int32_t format = QEL_SOFT_RGBA;
    qel_ctx_set_display(ctx, 400, 260, 1);
    // Each change comes in a frame of its own: the picture stays while the clear colour (4), a
    // texture (6), the size (8) and the format (10) change and the image goes (12); the last
    // frames repeat it all.
    const int pictures[15] = {0, 1, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 7, 7};
    for (int frame = 0; frame < 15; frame++) {
        const uint8_t patch[6] = {255, 0, 255, 0, 255, 0};
        if (frame == 4) clear = 0xFFD0D8E0;
        if (frame == 6)
            for (qel_soft_renderer* r : {soft, full}) qel_soft_texture_update(r, atlas, 9, 2, 3, 2, patch, 0);
        if (frame == 8) qel_ctx_set_display(ctx, 430, 250, 1);
        if (frame == 10) format = QEL_SOFT_BGRA;
        if (frame == 12)
            for (qel_soft_renderer* r : {soft, full}) qel_soft_texture_delete(r, image);
        next_frame();
        scene(ctx, pictures[frame], image);
        render(&kept, clear, format, atlas);
        qel_draw_data dd = recorded_frame(ctx, clear, atlas);
        whole.assign(kept.size(), 0);
        qel_soft_render(full, &dd, whole.data(), dd.framebuffer_width, dd.framebuffer_height, dd.framebuffer_width * 4,
                        format);
        ASSERT_EQ(kept, whole) << "frame " << frame;
    }
    EXPECT_FALSE(dirty().any);
    qel_soft_destroy(full);
}

TEST_F(SoftRendererTest, WorkersSplitLargeRegionsWithoutChangingThePicture)
{
    const struct {
        int32_t workers, rows, columns;
        uint32_t indices;
        int32_t bands, band_height;
    } plans[] = {
        {8, 1000, 800, 10000, 8, 125},  {8, 100, 3000, 600, 6, 17},     {8, 63, 5000, 10000, 1, 63},
        {8, 1000, 199, 10000, 1, 1000}, {8, 1000, 800, 599, 1, 1000},   {32, 1000, 800, 10000, 32, 32},
        {32, 520, 800, 10000, 32, 17},  {1, 1000, 800, 10000, 1, 1000},
    };
    for (const auto& p : plans) {
        int32_t height = 0;
        EXPECT_EQ(qel_soft_band_plan(p.workers, p.rows, p.columns, p.indices, &height), p.bands) << p.rows;
        EXPECT_EQ(height, p.band_height) << p.rows;
    }

    qel_ctx_set_display(ctx, 800, 600, 1);
    next_frame();
    for (int i = 0; i < 200; i++) {
        qel_rect r = {(float)(i % 20) * 40 + 0.3f, (float)(i / 20) * 60 + 0.6f, 36, 50};
        const float radii[4] = {6, 6, 6, 6};
        qel_draw_box_shadow(ctx, &r, radii, 8, 0, {0, 2}, 0x40000000);
        qel_draw_rect_bordered(ctx, &r, radii, 0xFFFAFAFA, 0xFF999999, 1);
    }
    // Each count twice: the parked threads draw the next frame too, and a new count parks anew.
    const int32_t workers[] = {1, 8, 8, 32, 32, 8};
    std::vector<uint8_t> first, picture;
    for (int32_t n : workers) {
        qel_soft_set_workers(soft, n);
        render(&picture, 0xFFFFFFFF);
        if (first.empty()) first = picture;
        EXPECT_EQ(picture, first) << n << " workers";
    }
}

static int count_run(void* counter)
{
    ++*(int*)counter;
    return 0;
}

// A run hands job i to thread i and returns when all are done; threads without a job stay parked.
TEST(WorkerCrew, EachRunDoesEachJobOnce)
{
    qel_worker_crew* crew = qel_crew_start(5);
    ASSERT_NE(crew, nullptr);
    EXPECT_EQ(qel_crew_size(crew), 5);
    int counts[5] = {};
    void* args[6] = {&counts[0], &counts[1], &counts[2], &counts[3], &counts[4], nullptr};
    int expected[5] = {};
    for (int run = 0; run < 300; run++) {
        int32_t jobs = run % 7;  // up to one more than the crew has
        qel_crew_dispatch(crew, count_run, args, jobs);
        qel_crew_wait(crew);
        for (int i = 0; i < 5; i++) expected[i] += i < jobs;
        ASSERT_EQ(memcmp(counts, expected, sizeof counts), 0) << "run " << run;
    }
    qel_crew_stop(crew);
    qel_crew_stop(nullptr);
}

TEST_F(SoftRendererTest, NothingIsDrawnIntoAFramebufferOfNoSize)
{
    qel_ctx_set_display(ctx, 8, 8, 1);
    next_frame();
    rect(0, 0, 8, 8);
    qel_draw_data dd = recorded_frame(ctx, 0xFF000000);
    std::vector<uint8_t> fb(8 * 8 * 4, 7);
    const struct {
        const char* name;
        const qel_draw_data* dd;
        void* pixels;
        int32_t width, height, stride;
    } cases[] = {
        {"width 0", &dd, fb.data(), 0, 8, 32},
        {"negative height", &dd, fb.data(), 8, -3, 32},
        {"stride short of a row", &dd, fb.data(), 8, 8, 31},
        {"no draw data", nullptr, fb.data(), 8, 8, 32},
        {"no framebuffer", &dd, nullptr, 8, 8, 32},
    };
    for (bool incremental : {false, true}) {
        qel_soft_set_incremental(soft, incremental);
        for (const auto& k : cases) {
            qel_soft_render(soft, k.dd, k.pixels, k.width, k.height, k.stride, QEL_SOFT_RGBA);
            EXPECT_EQ(fb, std::vector<uint8_t>(8 * 8 * 4, 7)) << k.name;
            EXPECT_FALSE(dirty().any) << k.name;
        }
    }
    qel_soft_render(nullptr, &dd, fb.data(), 8, 8, 32, QEL_SOFT_RGBA);
    qel_soft_set_incremental(nullptr, true);
    EXPECT_EQ(qel_soft_set_workers(nullptr, 4), 1);
    qel_soft_destroy(nullptr);
    EXPECT_EQ(fb[0], 7);

    // A sound call clears to the clear colour with full alpha, in the format's byte order.
    qel_draw_data cleared = dd;
    cleared.command_count = 0;
    cleared.clear_color = 0x00302010;
    qel_soft_render(soft, &cleared, fb.data(), 1, 1, 4, QEL_SOFT_BGRA);
    EXPECT_EQ(std::vector<uint8_t>(fb.begin(), fb.begin() + 5), (std::vector<uint8_t>{0x30, 0x20, 0x10, 255, 7}));
}
