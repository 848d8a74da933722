// Colour emoji with Debian's Noto Color Emoji: a picker frame once every visible emoji is in the
// atlas, the pass that marks which catalogue entries the font draws, and twelve 64-pixel
// rasterisations in one frame (the most a frame makes).
#include <benchmark/benchmark.h>

#include <cstdio>

#include "frame_timing.h"
#include "widgets/rich/emoji_catalogue.h"

namespace {

const char NOTO_EMOJI[] = "/usr/share/fonts/truetype/noto/NotoColorEmoji.ttf";

uint64_t bench_create(void*, int32_t, int32_t, int32_t, const void*)
{
    return 1;
}

void bench_update(void*, uint64_t, int32_t, int32_t, int32_t, int32_t, const void*, int32_t) {}

void bench_destroy(void*, uint64_t) {}

// A context with the font and a renderer that keeps nothing; null when the font is missing.
qel_context* emoji_context(benchmark::State& state)
{
    qel_context* ctx = qel_ctx_create(nullptr);
    qel_renderer r = {nullptr, bench_create, bench_update, bench_destroy};
    qel_ctx_set_renderer(ctx, &r);
    qel_ctx_set_display(ctx, 400, 500, 1);
    if (!qel_emoji_font_from_file(ctx, NOTO_EMOJI)) {
        state.SkipWithError("Noto Color Emoji is not installed");
        qel_ctx_destroy(ctx);
        return nullptr;
    }
    return ctx;
}

void picker_frame(qel_context* ctx)
{
    qel_begin_frame(ctx, 1.0f / 60);
    qel_emoji_picker(ctx, "emoji", nullptr);
    qel_end_frame(ctx);
}

void BM_PickerFrameCached(benchmark::State& state)
{
    qel_context* ctx = emoji_context(state);
    if (!ctx) return;
    for (int i = 0; i < 60; i++) picker_frame(ctx);  // every visible emoji rasterised
    time_frames(state, ctx, [&] { picker_frame(ctx); });
    qel_ctx_destroy(ctx);
}
BENCHMARK(BM_PickerFrameCached)->Unit(benchmark::kMicrosecond);

void BM_RenderablePass(benchmark::State& state)
{
    qel_context* ctx = emoji_context(state);
    if (!ctx) return;
    qel_emoji_state* st = qel_emoji_state_of(ctx);
    for (auto _ : state) {
        st->renderable_checked = 0;
        qel_emoji_catalogue_ready(ctx, st);
    }
    qel_ctx_destroy(ctx);
}
BENCHMARK(BM_RenderablePass)->Unit(benchmark::kMillisecond);

void BM_TwelveRasters64(benchmark::State& state)
{
    qel_context* ctx = emoji_context(state);
    if (!ctx) return;
    const char* faces[12] = {"😀", "😃", "😄", "😁", "😆", "😅", "🤣", "😂", "🙂", "🙃", "🫠", "😉"};
    qel_emoji_state* st = qel_emoji_state_of(ctx);
    for (auto _ : state) {
        state.PauseTiming();
        qel_emoji_cache_release(ctx, st);
        qel_begin_frame(ctx, 1.0f / 60);
        state.ResumeTiming();
        for (int i = 0; i < 12; i++) qel_emoji_draw(ctx, faces[i], -1, {(float)(i % 6) * 66, (float)(i / 6) * 66, 64, 64});
        state.PauseTiming();
        qel_end_frame(ctx);
        state.ResumeTiming();
    }
    qel_ctx_destroy(ctx);
}
BENCHMARK(BM_TwelveRasters64)->Unit(benchmark::kMillisecond);

}  // namespace
