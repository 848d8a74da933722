// The preview: one render per change of what is shown, the grey image against averages worked
// by hand, the texture made and replaced through the renderer, and the preview's status lines.
#include "app/preview.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "app/data_source.h"
#include "app_fixture.h"
#include "qel_headless.h"
#include "engine/render.h"

namespace {

// A texture interface that keeps what it was given.
struct recording_renderer {
    struct texture {
        int32_t width, height;
        std::vector<uint8_t> rgba;
    };
    std::map<uint64_t, texture> textures;
    uint64_t next = 1;
    int creates = 0, destroys = 0;
    qel_renderer iface = {this, create, nullptr, destroy};

    static uint64_t create(void* user, int32_t width, int32_t height, int32_t channels, const void* pixels)
    {
        auto* r = (recording_renderer*)user;
        EXPECT_EQ(channels, 4);
        auto* bytes = (const uint8_t*)pixels;
        r->textures[r->next] = {width, height, std::vector<uint8_t>(bytes, bytes + (size_t)width * height * 4)};
        r->creates++;
        return r->next++;
    }
    static void destroy(void* user, uint64_t id)
    {
        auto* r = (recording_renderer*)user;
        EXPECT_EQ(r->textures.erase(id), 1u);
        r->destroys++;
    }
};

// A raster from rows of '#' (black) and '.' (white).
raster raster_of(const std::vector<std::string>& rows)
{
    raster r = {};
    EXPECT_EQ(raster_create(&r, (int32_t)rows[0].size(), (int32_t)rows.size()), ERR_OK);
    for (size_t y = 0; y < rows.size(); y++)
        for (size_t x = 0; x < rows[y].size(); x++) raster_set(&r, (int32_t)x, (int32_t)y, rows[y][x] == '#');
    return r;
}

// The grey levels of an image, row by row; every pixel checked to be opaque grey.
std::vector<int> greys(const raster& r, int32_t width, int32_t height)
{
    std::vector<uint8_t> rgba((size_t)width * height * 4);
    EXPECT_TRUE(app_preview_grey(&r, width, height, rgba.data()));
    std::vector<int> levels;
    for (size_t i = 0; i < rgba.size(); i += 4) {
        EXPECT_EQ(rgba[i], rgba[i + 1]);
        EXPECT_EQ(rgba[i], rgba[i + 2]);
        EXPECT_EQ(rgba[i + 3], 255);
        levels.push_back(rgba[i]);
    }
    return levels;
}

// The sample on the 2x1 stock at 203 dpi: 406 x 203 dots, 192 x 96 pixels at 1:1, previewed
// through a context whose renderer records the textures.
struct preview_fixture : app_fixture {
    recording_renderer renderer;
    qel_headless h;
    explicit preview_fixture(std::vector<const char*> words = {}) : app_fixture(words)
    {
        qel_ctx_set_renderer(h.ctx, &renderer.iface);
        state->canvas_width = 800;
        state->canvas_height = 500;
    }
    // A step on a screen of the display scale, whose resolution is 96 dpi times the scale.
    bool step(float display_scale = 1)
    {
        state->screen_dpi = 96 * display_scale;
        qel_ctx_set_display(h.ctx, 800, 600, display_scale);
        return app_preview_step(h.ctx, state);
    }
};

}  // namespace

TEST(AppPreviewGrey, AreaAveragesWorkedByHand)
{
    raster r = raster_of({"##..#", ".#.##", "#####"});
    // Columns 0-1 and 2-4, rows 0 and 1-2: 2 of 2, 1 of 3, 3 of 4 and 5 of 6 dots black.
    EXPECT_EQ(greys(r, 2, 2), (std::vector<int>{0, 255 - 255 / 3, 255 - 765 / 4, 255 - 1275 / 6}));
    EXPECT_EQ(greys(r, 1, 1), (std::vector<int>{255 - 255 * 11 / 15}));
    EXPECT_EQ(greys(r, 5, 3), (std::vector<int>{0, 0, 255, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0, 0, 0}));
    raster_free(&r);

    // Enlarged, every pixel covers at least one dot: columns 0, 0 and 1 over row 0 twice.
    raster small = raster_of({"#."});
    EXPECT_EQ(greys(small, 3, 2), (std::vector<int>{0, 0, 255, 0, 0, 255}));
    raster_free(&small);
}

TEST(AppPreviewGrey, PaddingBitsAreNotDots)
{
    raster r = raster_of({"#.."});
    r.bits[0] = 0x9F;  // the first dot and five padding bits
    EXPECT_EQ(greys(r, 1, 1), (std::vector<int>{255 - 255 / 3}));
    raster_free(&r);
}

TEST(AppPreviewGrey, AgreesWithDotByDotCountsAtRandomSizes)
{
    std::mt19937 random(20261210);
    for (int round = 0; round < 300; round++) {
        const int32_t rw = 1 + (int32_t)(random() % 40), rh = 1 + (int32_t)(random() % 40);
        const int32_t tw = 1 + (int32_t)(random() % 60), th = 1 + (int32_t)(random() % 60);
        raster r = {};
        ASSERT_EQ(raster_create(&r, rw, rh), ERR_OK);
        // Padding bits too: they must never count.
        for (int32_t i = 0; i < r.stride * rh; i++) r.bits[i] = (uint8_t)random();
        std::vector<int> expect;
        for (int64_t y = 0; y < th; y++) {
            const int64_t top = y * rh / th, bottom = std::min(std::max((y + 1) * rh / th, top + 1), (int64_t)rh);
            for (int64_t x = 0; x < tw; x++) {
                const int64_t left = x * rw / tw, right = std::min(std::max((x + 1) * rw / tw, left + 1), (int64_t)rw);
                int64_t black = 0;
                for (int64_t v = top; v < bottom; v++)
                    for (int64_t u = left; u < right; u++) black += raster_get(&r, (int32_t)u, (int32_t)v);
                expect.push_back((int)(255 - 255 * black / ((right - left) * (bottom - top))));
            }
        }
        ASSERT_EQ(greys(r, tw, th), expect) << rw << "x" << rh << " to " << tw << "x" << th;
        raster_free(&r);
    }
}

TEST(AppPreview, RendersOnceAndKeepsTheTextureWhileNothingChanges)
{
    preview_fixture f;
    EXPECT_TRUE(f.step());  // the first fit
    ASSERT_TRUE(f.state->raster_valid);
    EXPECT_EQ(f.state->raster.width, 406);
    EXPECT_EQ(f.state->raster.height, 203);
    // The label of 192 x 96 pixels fitted into 760 x 460.
    EXPECT_FLOAT_EQ(f.state->fit_scale, 760.0f / 192);
    ASSERT_EQ(f.renderer.creates, 1);
    EXPECT_EQ(f.state->texture, 1u);
    EXPECT_EQ(f.state->texture_width, 760);
    EXPECT_EQ(f.state->texture_height, 380);
    const auto& texture = f.renderer.textures.at(1);
    std::vector<uint8_t> expect((size_t)760 * 380 * 4);
    ASSERT_TRUE(app_preview_grey(&f.state->raster, 760, 380, expect.data()));
    EXPECT_EQ(texture.rgba, expect);
    EXPECT_EQ(app_status(f.state), "20 sample rows. Open your CSV to replace them.");

    EXPECT_FALSE(f.step());
    EXPECT_EQ(f.renderer.creates + f.renderer.destroys, 1);
}

TEST(AppPreview, NextRowRendersAgainIntoAFreshTextureInPlaceOfTheOld)
{
    preview_fixture f;
    f.step();
    const std::vector<uint8_t> first = f.renderer.textures.at(1).rgba;
    f.state->row++;
    EXPECT_FALSE(f.step());
    EXPECT_EQ(f.renderer.creates, 2);
    EXPECT_EQ(f.renderer.destroys, 1);
    ASSERT_EQ(f.renderer.textures.size(), 1u);
    EXPECT_EQ(f.state->texture, 2u);
    EXPECT_NE(f.renderer.textures.at(2).rgba, first);
}

TEST(AppPreview, ResizingInFitChangesOnlyTheTexture)
{
    preview_fixture f;
    f.step();
    // A dot of our own: a render would wipe it.
    f.state->raster.bits[0] ^= 0x80;
    f.state->canvas_width = 400;
    EXPECT_TRUE(f.step());
    EXPECT_FLOAT_EQ(f.state->fit_scale, 360.0f / 192);
    EXPECT_EQ(f.state->texture_width, 360);
    EXPECT_EQ(f.renderer.destroys, 1);
    EXPECT_EQ(f.renderer.creates, 2);
    EXPECT_EQ(f.renderer.textures.size(), 1u);
    raster fresh = {};
    label_model model;
    ASSERT_TRUE(app_build_label_model(f.state, &model));
    ASSERT_EQ(label_render_row(&model, &f.state->table, 0, &fresh), ERR_OK);
    EXPECT_NE(fresh.bits[0] & 0x80, f.state->raster.bits[0] & 0x80);
    raster_free(&fresh);

    // A view of a pixel or less keeps the last fit.
    f.state->canvas_height = 1;
    EXPECT_FALSE(f.step());
    EXPECT_FLOAT_EQ(f.state->fit_scale, 360.0f / 192);
}

TEST(AppPreview, ZoomsAndDenseScreens)
{
    const struct {
        const char* zoom;
        float display_scale;
        int32_t width, height;
    } cases[] = {{"1", 1, 192, 96}, {"2", 1, 384, 192}, {"3", 1.5f, 576, 288}, {"1", 2, 384, 192},
                 {"3", 2, 1152, 576}};
    for (const auto& c : cases) {
        preview_fixture f({"--zoom", c.zoom});
        EXPECT_FALSE(f.step(c.display_scale));
        EXPECT_EQ(f.state->texture_width, c.width) << c.zoom << " at " << c.display_scale;
        EXPECT_EQ(f.state->texture_height, c.height);
        EXPECT_EQ(f.state->fit_scale, 1.0f);
    }
}

TEST(AppPreview, RowOutsideTheTableIsHeldToIt)
{
    preview_fixture f;
    f.state->row = 99;
    f.step();
    EXPECT_EQ(f.state->row, 19);
    f.state->row = -5;
    f.step();
    EXPECT_EQ(f.state->row, 0);
}

TEST(AppPreview, WithoutATableTheTemplateShowsItsPlaceholders)
{
    preview_fixture f;
    csv_table_free(&f.state->table);
    f.state->loaded = 0;
    EXPECT_TRUE(f.step());
    EXPECT_TRUE(f.state->raster_valid);
    EXPECT_EQ(f.renderer.creates, 1);
}

TEST(AppPreview, StockWiderThanThePrinterIsSaidOnceAndNeverOverANewerLine)
{
    preview_fixture f({"--size", "a4-3x8"});
    f.state->printer = app_printer_index("brother-ql-800");
    EXPECT_FALSE(f.step());
    EXPECT_FALSE(f.state->raster_valid);
    EXPECT_EQ(app_status(f.state), "This stock does not fit this printer.");
    EXPECT_EQ(f.state->status_kind, APP_STATUS_ERROR);
    EXPECT_EQ(f.renderer.creates, 0);

    // A later action's line stays while the preview shows the same thing...
    app_status_set(f.state, APP_STATUS_INFO, "Saved.");
    f.step();
    EXPECT_EQ(app_status(f.state), "Saved.");
    // ...and when it renders again.
    f.state->printer = app_printer_index("zebra-zd230");
    app_preview_forget(f.state);
    f.step();
    EXPECT_TRUE(f.state->raster_valid);
    EXPECT_EQ(app_status(f.state), "Saved.");

    // The preview's own line goes once a render succeeds.
    f.state->printer = app_printer_index("brother-ql-800");
    app_preview_forget(f.state);
    f.step();
    EXPECT_EQ(app_status(f.state), "This stock does not fit this printer.");
    f.state->printer = app_printer_index("zebra-zd230");
    app_preview_forget(f.state);
    f.step();
    EXPECT_EQ(app_status(f.state), "");
    EXPECT_EQ(f.state->status_kind, APP_STATUS_INFO);
}

TEST(AppPreview, OneLabelWithoutItsBarcodeAsksForIt)
{
    preview_fixture f({"--one", "--layout", "barcode", "--name", "Tea"});
    EXPECT_FALSE(f.step());
    EXPECT_EQ(app_status(f.state), "Type the barcode to see this label.");
    EXPECT_EQ(f.state->status_kind, APP_STATUS_INFO);
    EXPECT_EQ(f.renderer.creates, 0);

    app_copy_text(f.state->barcode, sizeof f.state->barcode, "4006381333931");
    app_rebuild_one_label_table(f.state);
    f.step();
    EXPECT_TRUE(f.state->raster_valid);
    EXPECT_EQ(app_status(f.state), "");
    EXPECT_EQ(f.renderer.creates, 1);
}

TEST(AppPreview, ARowThatCannotBeLaidOutSaysWhy)
{
    preview_fixture f;
    app_open_csv(f.state, app_scratch_csv("emoji.csv", "Name,Price\nTea \xF0\x9F\x8D\xB5,1\n").c_str());
    EXPECT_FALSE(f.step());
    EXPECT_EQ(app_status(f.state), "This row cannot be laid out: the built-in font has no glyph for this text");
    EXPECT_EQ(f.state->status_kind, APP_STATUS_ERROR);
}
