// Speed of the software renderer on a typical window of the label program: 1120 x 760 pixels
// with a sidebar, a toolbar, a dozen shadowed cards, a table, a few hundred boxes in all and
// 2,000 glyphs from a coverage atlas. Drawn whole on one thread and on four, and again unchanged
// in incremental mode.
#include <benchmark/benchmark.h>

#include <vector>

#include "core/core.h"
#include "qel/qel.h"
#include "qel/soft_renderer.h"

namespace {

const int WIDTH = 1120, HEIGHT = 760;
const int CELL_W = 8, CELL_H = 13, ATLAS = 256;  // glyph cells of the atlas, drawn at their size

// An atlas of glyph-like coverage: each cell holds a few soft strokes.
std::vector<uint8_t> glyph_atlas()
{
    std::vector<uint8_t> texels(ATLAS * ATLAS, 0);
    uint32_t seed = 12345;
    for (int cy = 0; cy + CELL_H <= ATLAS; cy += CELL_H)
        for (int cx = 0; cx + CELL_W <= ATLAS; cx += CELL_W)
            for (int stroke = 0; stroke < 3; stroke++) {
                seed = seed * 1664525u + 1013904223u;
                bool vertical = seed >> 31;
                int at = 1 + (int)(seed >> 8) % (vertical ? CELL_W - 2 : CELL_H - 2);
                for (int i = 2; i < (vertical ? CELL_H - 2 : CELL_W - 1); i++) {
                    int x = cx + (vertical ? at : i), y = cy + (vertical ? i : at);
                    texels[(size_t)y * ATLAS + x] = 255;
                    texels[(size_t)y * ATLAS + x + (vertical ? 1 : 0) + (vertical ? 0 : ATLAS)] = 110;
                }
            }
    return texels;
}

struct window_scene {
    qel_context* ctx;
    qel_soft_renderer* soft;
    uint64_t atlas;
    int glyphs = 0, boxes = 0;
    std::vector<uint32_t> framebuffer;
    qel_draw_data dd;

    window_scene()
    {
        ctx = qel_ctx_create(nullptr);
        soft = qel_soft_create();
        std::vector<uint8_t> texels = glyph_atlas();
        atlas = qel_soft_texture_create(soft, ATLAS, ATLAS, 1, texels.data());
        qel_ctx_set_display(ctx, WIDTH, HEIGHT, 1);
        qel_draw_reset(ctx);
        draw();
        const qel_draw_list& d = ctx->draw;
        dd = {d.vertices,      d.vertex_count, d.indices, d.index_count, d.commands,
              d.command_count, WIDTH,          HEIGHT,    0xFFF5F5F5,    atlas};
        framebuffer.assign((size_t)WIDTH * HEIGHT, 0);
    }
    ~window_scene()
    {
        qel_soft_destroy(soft);
        qel_ctx_destroy(ctx);
    }

    void render() { qel_soft_render(soft, &dd, framebuffer.data(), WIDTH, HEIGHT, WIDTH * 4, QEL_SOFT_BGRA); }

    void text(float x, float y, int count, qel_color color)
    {
        const int columns = ATLAS / CELL_W;
        for (int i = 0; i < count; i++, x += CELL_W) {
            int cell = (glyphs * 7 + i) % (columns * (ATLAS / CELL_H));
            float u = (float)(cell % columns * CELL_W) / ATLAS, v = (float)(cell / columns * CELL_H) / ATLAS;
            qel_draw_glyph(ctx, x, y, x + CELL_W, y + CELL_H, u, v, u + (float)CELL_W / ATLAS,
                           v + (float)CELL_H / ATLAS, color);
        }
        glyphs += count;
    }
    void box(float x, float y, float w, float h, float radius, qel_color fill, qel_color border = 0)
    {
        const float radii[4] = {radius, radius, radius, radius};
        qel_rect r = {x, y, w, h};
        qel_draw_rect_bordered(ctx, &r, radii, fill, border, 1);
        boxes++;
    }

    void draw()
    {
        // Sidebar with navigation rows.
        box(0, 0, 232, HEIGHT, 0, 0xFFEDEDED, 0xFFD8D8D8);
        for (int i = 0; i < 16; i++) {
            float y = 64 + (float)i * 40;
            box(12, y, 208, 32, 8, i == 3 ? 0xFFE0C8A8 : 0xFFF0F0F0);
            qel_draw_circle(ctx, {32, y + 16}, 8, 0xFF808080);
            text(48, y + 10, 14, 0xFF303030);
        }
        // Toolbar.
        qel_rect bar = {232, 0, WIDTH - 232, 52};
        qel_draw_rect_gradient(ctx, &bar, nullptr, 0xFFFFFFFF, 0xFFF0F0F0);
        for (int i = 0; i < 8; i++) {
            box(248 + (float)i * 104, 10, 96, 32, 6, 0xFFFFFFFF, 0xFFC8C8C8);
            text(262 + (float)i * 104, 20, 8, 0xFF202020);
        }
        // Cards with elevation, a title, lines of text, two buttons and a chip.
        const float card_radii[4] = {12, 12, 12, 12};
        for (int i = 0; i < 12; i++) {
            float x = 252 + (float)(i % 4) * 216, y = 72 + (float)(i / 4) * 168;
            qel_rect card = {x, y, 200, 152};
            qel_draw_elevation(ctx, &card, card_radii, 1 + i % 3, 1);
            box(x, y, 200, 152, 12, 0xFFFFFFFF, 0xFFE2E2E2);
            text(x + 16, y + 14, 18, 0xFF101010);
            for (int line = 0; line < 3; line++) text(x + 16, y + 40 + (float)line * 18, 22, 0xFF606060);
            for (int tag = 0; tag < 8; tag++) box(x + 16 + (float)tag * 14, y + 94, 10, 8, 3, 0xFFC0D0E0);
            for (int b = 0; b < 2; b++) {
                box(x + 16 + (float)b * 88, y + 108, 80, 28, 6, b ? 0xFFFFFFFF : 0xFFD06020, 0xFFB0B0B0);
                text(x + 28 + (float)b * 88, y + 116, 7, b ? 0xFF202020 : 0xFFFFFFFF);
            }
            box(x + 140, y + 12, 44, 20, 10, 0x30D06020);
        }
        // A table under the cards, clipped to its frame.
        qel_rect frame = {252, 580, 848, 164};
        qel_draw_rect_bordered(ctx, &frame, card_radii, 0xFFFFFFFF, 0xFFDADADA, 1);
        qel_draw_push_clip(ctx, &frame);
        for (int row = 0; row < 8; row++) {
            float y = 588 + (float)row * 20;
            if (row % 2) box(253, y, 846, 20, 0, 0xFFF7F7F7);
            for (int col = 0; col < 4; col++) {
                box(260 + (float)col * 210, y + 5, 10, 10, 2, 0xFFFFFFFF, 0xFF909090);
                text(276 + (float)col * 210, y + 4, 14, 0xFF404040);
            }
            box(1060, y + 4, 24, 12, 6, row % 3 ? 0xFF40A040 : 0xFF4040C0);
        }
        qel_draw_pop_clip(ctx);
        // A status bar.
        box(232, HEIGHT - 16, WIDTH - 232, 16, 0, 0xFFE8E8E8);
        text(240, HEIGHT - 15, 88, 0xFF505050);
    }
};

void full_frame(benchmark::State& state)
{
    window_scene scene;
    qel_soft_set_workers(scene.soft, (int32_t)state.range(0));
    for (auto _ : state) {
        scene.render();
        benchmark::DoNotOptimize(scene.framebuffer.data());
    }
    state.counters["glyphs"] = scene.glyphs;
    state.counters["boxes"] = scene.boxes;
}
BENCHMARK(full_frame)->Arg(1)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond)->UseRealTime();

void unchanged_frame_incremental(benchmark::State& state)
{
    window_scene scene;
    qel_soft_set_workers(scene.soft, 1);
    qel_soft_set_incremental(scene.soft, true);
    scene.render();  // the first frame is drawn whole
    for (auto _ : state) {
        scene.render();
        benchmark::DoNotOptimize(scene.framebuffer.data());
    }
    if (qel_soft_dirty_rect(scene.soft, nullptr, nullptr, nullptr, nullptr)) state.SkipWithError("frame redrawn");
}
BENCHMARK(unchanged_frame_incremental)->Unit(benchmark::kMillisecond);

}  // namespace
