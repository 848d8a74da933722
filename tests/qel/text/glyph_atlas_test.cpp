#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "qel/font.h"
#include "qel/icons.h"
#include "qel/text.h"
#include "support/qel_fixture.h"

// A renderer that keeps a copy of every texture and records what the atlas asks of it.
struct recording_renderer {
    struct call {
        char op;  // 'c'reate, 'u'pdate, 'd'elete
        uint64_t texture;
        int32_t x, y, w, h;
    };
    std::vector<call> calls;
    uint64_t next_texture = 1;

    static uint64_t create(void* user, int32_t w, int32_t h, int32_t channels, const void*)
    {
        auto* r = (recording_renderer*)user;
        EXPECT_EQ(channels, 1);
        r->calls.push_back({'c', r->next_texture, 0, 0, w, h});
        return r->next_texture++;
    }
    static void update(void* user, uint64_t texture, int32_t x, int32_t y, int32_t w, int32_t h, const void*, int32_t)
    {
        ((recording_renderer*)user)->calls.push_back({'u', texture, x, y, w, h});
    }
    static void destroy(void* user, uint64_t texture)
    {
        ((recording_renderer*)user)->calls.push_back({'d', texture, 0, 0, 0, 0});
    }
    qel_renderer interface() { return {this, create, update, destroy}; }
};

class AtlasTest : public QelTest {
protected:
    void SetUp() override
    {
        QelTest::SetUp();
        next_frame();
    }

    // Installs a renderer that outlives the context (members go after TearDown).
    void use(recording_renderer* r)
    {
        qel_renderer ri = r->interface();
        qel_ctx_set_renderer(ctx, &ri);
    }

    recording_renderer renderer, other;

    const qel_glyph_atlas& atlas() const { return ctx->fonts.atlas; }
    int32_t glyphs() const { return ctx->fonts.glyph_count; }
    void draw(const char* text, float size, float x = 10) { qel_draw_text(ctx, QEL_FONT_BODY, size, x, 10, 0xFFFFFFFF, text, -1, 0); }

    std::vector<uint8_t> pixels_of(const qel_glyph& g) const
    {
        std::vector<uint8_t> out;
        for (int32_t y = 0; y < g.height; y++) {
            const uint8_t* row = atlas().pixels + (size_t)(g.atlas_y + y) * (size_t)atlas().width + g.atlas_x;
            out.insert(out.end(), row, row + g.width);
        }
        return out;
    }

    // Letters at growing sizes, one at a time so that none is clipped away, until the atlas
    // reaches the given width or overflows.
    void fill_until(int32_t width)
    {
        for (float size = 150; atlas().width < width && !atlas().overflowed; size += 10)
            for (char c = 'A'; c <= 'Z' && atlas().width < width; c++) draw(std::string(1, c).c_str(), size);
    }
};

TEST_F(AtlasTest, OneEntryPerSubpixelPhase)
{
    const struct {
        float x;
        int32_t entries;
    } steps[] = {{10.0f, 1}, {10.34f, 2}, {10.67f, 3}, {10.9f, 3}, {10.0f, 3}};
    for (const auto& s : steps) {
        draw("H", 16, s.x);
        EXPECT_EQ(glyphs(), s.entries) << s.x;
    }
    draw("H", 16.25f);  // another quarter-pixel size
    EXPECT_EQ(glyphs(), 4);
    draw(" \t\n", 16);  // advance, never drawn, never cached
    EXPECT_EQ(glyphs(), 4);
}

TEST_F(AtlasTest, UploadsTheDirtyRectangleOnly)
{
    recording_renderer& r = renderer;
    use(&r);
    qel_atlas_upload(ctx);
    ASSERT_EQ(r.calls.size(), 1u);
    EXPECT_EQ(r.calls[0].op, 'c');
    EXPECT_EQ(r.calls[0].w, 1024);

    draw("W", 30);
    const qel_glyph& g = ctx->fonts.glyphs[glyphs() - 1];
    qel_atlas_upload(ctx);
    ASSERT_EQ(r.calls.size(), 2u);
    const auto& u = r.calls[1];
    EXPECT_EQ(u.op, 'u');
    EXPECT_EQ(u.texture, 1u);
    EXPECT_EQ(u.x, g.atlas_x);
    EXPECT_EQ(u.y, g.atlas_y);
    EXPECT_EQ(u.w, g.width);
    EXPECT_EQ(u.h, g.height);

    draw("W", 30);  // cached: nothing new to upload
    qel_atlas_upload(ctx);
    EXPECT_EQ(r.calls.size(), 2u);

    // A new renderer: the old one deletes the texture, the new one gets the whole atlas.
    use(&other);
    ASSERT_EQ(r.calls.size(), 3u);
    EXPECT_EQ(r.calls[2].op, 'd');
    qel_atlas_upload(ctx);
    ASSERT_EQ(other.calls.size(), 1u);
    EXPECT_EQ(other.calls[0].op, 'c');
}

TEST_F(AtlasTest, GrowsKeepingItsGlyphs)
{
    recording_renderer& r = renderer;
    use(&r);
    draw("Q", 40);
    std::vector<uint8_t> before = pixels_of(ctx->fonts.glyphs[0]);
    qel_atlas_upload(ctx);
    fill_until(2048);
    ASSERT_EQ(atlas().width, 2048);
    EXPECT_EQ(atlas().height, 2048);
    EXPECT_FALSE(atlas().overflowed);
    EXPECT_EQ(pixels_of(ctx->fonts.glyphs[0]), before);
    // Quads drawn after the growth use the new size, and those drawn before it in the same frame
    // follow it: the Q still samples its own texels.
    const qel_vertex* v = ctx->draw.vertices + ctx->draw.vertex_count - 4;
    const qel_glyph& last = ctx->fonts.glyphs[glyphs() - 1];
    EXPECT_FLOAT_EQ(v[2].uv[0], (float)(last.atlas_x + last.width) / 2048.0f);
    const qel_glyph& q = ctx->fonts.glyphs[0];
    const qel_vertex* first = ctx->draw.vertices;
    EXPECT_FLOAT_EQ(first[0].uv[0], (float)q.atlas_x / 2048.0f);
    EXPECT_FLOAT_EQ(first[0].uv[1], (float)q.atlas_y / 2048.0f);
    EXPECT_FLOAT_EQ(first[2].uv[0], (float)(q.atlas_x + q.width) / 2048.0f);
    EXPECT_FLOAT_EQ(first[2].uv[1], (float)(q.atlas_y + q.height) / 2048.0f);
    qel_atlas_upload(ctx);
    ASSERT_EQ(r.calls.size(), 3u);
    EXPECT_EQ(r.calls[1].op, 'd');
    EXPECT_EQ(r.calls[2].op, 'c');
    EXPECT_EQ(r.calls[2].w, 2048);
}

TEST_F(AtlasTest, OverflowDropsGlyphsUntilTheNextFrameClearsIt)
{
    fill_until(QEL_ATLAS_MAX_SIZE + 1);
    ASSERT_TRUE(atlas().overflowed);
    EXPECT_EQ(atlas().width, QEL_ATLAS_MAX_SIZE);
    int32_t cached = glyphs();
    uint32_t vertices = ctx->draw.vertex_count;
    draw("Z", 900);
    EXPECT_EQ(glyphs(), cached) << "a glyph that found no room was cached";
    EXPECT_EQ(ctx->draw.vertex_count, vertices) << "a glyph that found no room was drawn";

    ctx->clock.input_frames = 0;
    next_frame();
    qel_atlas_compact(ctx);
    EXPECT_FALSE(atlas().overflowed);
    EXPECT_EQ(atlas().width, QEL_ATLAS_MAX_SIZE);
    EXPECT_EQ(glyphs(), 0);
    EXPECT_GE(ctx->clock.input_frames, 1);
    EXPECT_TRUE(atlas().dirty);
    draw("Z", 900);
    EXPECT_EQ(glyphs(), 1);
}

TEST_F(AtlasTest, GlyphsWiderThanTheAtlasMakeItGrow)
{
    draw("W", 1400);
    ASSERT_EQ(glyphs(), 1);
    const qel_glyph& g = ctx->fonts.glyphs[0];
    EXPECT_GT(g.width, 1024);
    EXPECT_EQ(atlas().width, 2048);
    EXPECT_LT(g.atlas_x + g.width, atlas().width);
}

// The atlas holds what the rasteriser draws, darkened by the gamma curve; icons as drawn.
TEST_F(AtlasTest, GlyphPixelsAreTheRasterisersThroughGamma)
{
    for (int32_t font : {QEL_FONT_BODY, QEL_FONT_ICON}) {
        qel_draw_text(ctx, font, 24, 10.5f, 10, 0xFFFFFFFF, font == QEL_FONT_ICON ? QEL_ICON_CHECK : "g", -1, 0);
        const qel_glyph& g = ctx->fonts.glyphs[glyphs() - 1];
        ASSERT_EQ(g.size_q, 96);
        const qel_font& f = ctx->fonts.fonts[font];
        float scale = 24.0f / f.units_per_em;
        std::vector<uint8_t> expected((size_t)g.width * g.height);
        stbtt_MakeGlyphBitmapSubpixel(&f.info, expected.data(), g.width, g.height, g.width, scale, scale, g.phase / 3.0f, 0,
                                      (int)g.glyph);
        if (font != QEL_FONT_ICON)
            for (uint8_t& v : expected) v = (uint8_t)(int)(std::pow(v / 255.0, 0.82) * 255 + 0.5);
        EXPECT_EQ(pixels_of(g), expected) << font;
    }
}

TEST_F(AtlasTest, SkipsGlyphsLargerThanAnyAtlas)
{
    draw("W", 6000);
    EXPECT_EQ(glyphs(), 0);
    EXPECT_EQ(ctx->draw.vertex_count, 0u);
    EXPECT_FALSE(atlas().overflowed);
    EXPECT_EQ(atlas().width, 1024);
    // A size past the quarter-pixel range is clamped, and skipped the same way.
    draw("W", 20000);
    EXPECT_EQ(glyphs(), 0);
}

TEST_F(AtlasTest, ShrinksToTheGlyphsInUse)
{
    recording_renderer& r = renderer;
    use(&r);
    fill_until(2048);
    ASSERT_EQ(atlas().width, 2048);
    qel_atlas_upload(ctx);

    ctx->clock.frame_count += 200;
    qel_atlas_compact(ctx);  // not yet 300 frames since the last compaction
    EXPECT_EQ(atlas().width, 2048);

    ctx->clock.frame_count += 200;
    draw("ok", 14);
    int32_t used = glyphs();
    std::vector<uint8_t> k = pixels_of(ctx->fonts.glyphs[used - 1]);
    qel_atlas_compact(ctx);
    ASSERT_EQ(atlas().width, 1024);
    EXPECT_EQ(glyphs(), 2) << "only the glyphs of the last 300 frames stay";
    EXPECT_LT(glyphs(), used);
    // They are found again, at their new places.
    uint32_t vertices = ctx->draw.vertex_count;
    draw("ok", 14);
    EXPECT_EQ(glyphs(), 2);
    // Repacked tallest first: "k" before "o".
    const qel_glyph& kept = ctx->fonts.glyphs[0];
    EXPECT_EQ(kept.glyph, (uint32_t)ctx->fonts.fonts[0].ascii_glyph[(int)'k']);
    EXPECT_EQ(pixels_of(kept), k);
    EXPECT_FLOAT_EQ(ctx->draw.vertices[vertices + 4].uv[0], (float)kept.atlas_x / 1024.0f);

    qel_atlas_upload(ctx);
    ASSERT_EQ(r.calls.size(), 3u);
    EXPECT_EQ(r.calls[1].op, 'd');
    EXPECT_EQ(r.calls[2].op, 'c');
    EXPECT_EQ(r.calls[2].w, 1024);
}

// Repacking moves "o" and "k" to each other's cache places; each is still drawn from its own.
TEST_F(AtlasTest, RepackedGlyphsAreFoundAtTheirNewPlaces)
{
    draw("ok", 14);
    ASSERT_EQ(glyphs(), 2);
    const int32_t o = ctx->fonts.fonts[0].ascii_glyph[(int)'o'], k = ctx->fonts.fonts[0].ascii_glyph[(int)'k'];
    ASSERT_EQ(ctx->fonts.glyphs[0].glyph, (uint32_t)o);
    fill_until(2048);
    ctx->clock.frame_count += 400;
    draw("ok", 14);
    qel_atlas_compact(ctx);
    ASSERT_EQ(atlas().width, 1024);
    ASSERT_EQ(ctx->fonts.glyphs[0].glyph, (uint32_t)k);
    qel_draw_reset(ctx);
    draw("ok", 14);
    ASSERT_EQ(ctx->draw.vertex_count, 8u);
    for (int32_t i = 0; i < 2; i++) {
        const qel_glyph& g = ctx->fonts.glyphs[i];
        const qel_vertex& v = ctx->draw.vertices[g.glyph == (uint32_t)o ? 0 : 4];
        EXPECT_FLOAT_EQ(v.uv[0], (float)g.atlas_x / 1024.0f);
        EXPECT_FLOAT_EQ(v.uv[1], (float)g.atlas_y / 1024.0f);
    }
}
