// The waveform and the audio player driven by the pointer and keys: bars over more bars than
// samples and over millions of samples, samples it must not read, the seek drag with the pointer
// leaving the window and a press that began elsewhere, the arrow keys at the end, the times the
// card shows, play and pause, and a seek that lands within the track.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "guard_page.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

// Rows of ink in the picture's column x between y0 and y1: pixels unlike the one at y0.
static int column_ink(const picture& p, int x, int y0, int y1)
{
    auto at = [&](int y) { return &p.rgba[((size_t)y * (size_t)p.width + (size_t)x) * 4]; };
    int ink = 0;
    for (int y = y0; y < y1; y++) ink += memcmp(at(y), at(y0), 3) != 0;
    return ink;
}

struct waveform_scene {
    widget_rig rig;
    const float* samples = nullptr;
    int32_t count = 0;
    float position = 0;
    float* position_arg = &position;
    qel_waveform_options o = {};
    int changes = 0;
    explicit waveform_scene(float width = 400) : rig(width, 120)
    {
        o.width = {QEL_SIZE_FIXED, width - 40};
        rig.h.ui = [this](qel_context* ctx) {
            board_begin(ctx);
            row_begin(ctx, 0);
            changes += qel_waveform(ctx, 77, samples, count, position_arg, &o);
            qel_container_end(ctx);
            qel_container_end(ctx);
        };
    }
    qel_rect r() { return rig.h.rect(77); }
    float x_at(float f) { return r().x + f * r().w; }
};

TEST(Waveform, EachBarTakesAtLeastOneSampleAndLongArraysAreCountedIn64Bits)
{
    float ten[10];
    for (int i = 0; i < 10; i++) ten[i] = (float)(i + 1) / 10;
    waveform_scene s;
    s.o.width = {QEL_SIZE_FIXED, 248};  // 50 bars of 3 px, 2 px apart
    s.samples = ten;
    s.count = 10;
    s.position_arg = nullptr;
    s.rig.h.run(3);
    picture p = s.rig.shot();
    qel_rect r = s.r();
    for (int bar = 0; bar < 50; bar++) {
        int ink = column_ink(p, (int)(r.x + 5 * bar + 1.5f), (int)r.y - 2, (int)(r.y + r.h + 2));
        EXPECT_NEAR(ink, 40 * (bar / 5 + 1) / 10, 1.01) << bar;
    }
    // Ten million samples over 1000 bars: i x count passes 2^31.
    std::vector<float> many(10000000, 0.1f);
    many.back() = 1;
    waveform_scene big(1100);
    big.o.width = {QEL_SIZE_FIXED, 1001};
    big.o.bar_width = 1;
    big.o.bar_gap = 0.001f;
    big.samples = many.data();
    big.count = (int32_t)many.size();
    big.position_arg = nullptr;
    big.rig.h.run(3);
    picture q = big.rig.shot();
    qel_rect b = big.r();
    EXPECT_GE(column_ink(q, (int)(b.x + b.w - 0.5f), (int)b.y - 2, (int)(b.y + b.h + 2)), 39) << "the last bar";
    EXPECT_LE(column_ink(q, (int)(b.x + b.w / 2), (int)b.y - 2, (int)(b.y + b.h + 2)), 5);
}

TEST(Waveform, EmptyNullAndNaNSamplesDrawFlatBars)
{
    guard_page_block empty(0);
    float nans[3] = {std::nanf(""), std::nanf(""), std::nanf("")};
    struct {
        const float* samples;
        int32_t count;
    } cases[] = {{(const float*)empty.data, 0}, {nullptr, 40}, {(const float*)empty.data, -5}, {nans, 3}};
    for (auto c : cases) {
        waveform_scene s;
        s.samples = c.samples;
        s.count = c.count;
        s.o.bar_width = -1;
        s.o.bar_gap = std::numeric_limits<float>::infinity();
        s.rig.h.run(3);
        picture p = s.rig.shot();
        qel_rect r = s.r();
        EXPECT_LE(column_ink(p, (int)(r.x + r.w / 2), (int)r.y - 2, (int)(r.y + r.h + 2)), 4) << c.count;
    }
}

TEST(Waveform, SeekDragFollowsOnlyItsOwnPressAndHoldsOutsideTheWindow)
{
    waveform_scene s;
    s.rig.h.run(2);
    float y = s.r().y + 20;
    s.rig.h.move(s.x_at(0.25f), y);
    s.rig.h.run();
    s.rig.h.button(0, true);
    s.rig.h.run();
    EXPECT_NEAR(s.position, 0.25f, 0.01f);
    s.rig.h.move(s.x_at(0.75f), y);
    s.rig.h.run();
    EXPECT_NEAR(s.position, 0.75f, 0.01f);
    qel_input_mouse_leave(s.rig.h.ctx);
    s.rig.h.run(2);
    EXPECT_NEAR(s.position, 0.75f, 0.01f);
    s.rig.h.button(0, false);
    s.rig.h.run();
    // A press that began elsewhere never seeks.
    s.rig.h.move(s.x_at(0.5f), y + 40);
    s.rig.h.run();
    s.rig.h.button(0, true);
    s.rig.h.run();
    s.rig.h.move(s.x_at(0.1f), y);
    s.rig.h.run(2);
    s.rig.h.button(0, false);
    s.rig.h.run();
    EXPECT_NEAR(s.position, 0.75f, 0.01f);
}

TEST(Waveform, ArrowKeysStopAtTheEndsAndNoPositionMeansNoSeek)
{
    waveform_scene s;
    s.position = 0.98f;
    s.rig.h.run(2);
    s.rig.click_on(77);
    s.position = 0.98f;
    s.changes = 0;
    s.rig.h.tap(QEL_KEY_RIGHT);
    EXPECT_EQ(s.position, 1.0f);
    EXPECT_EQ(s.changes, 1);
    s.position = std::nanf("");
    s.changes = 0;
    s.rig.h.run(3);
    EXPECT_EQ(s.changes, 0) << "a NaN position left alone is no change";
    waveform_scene still;
    still.position_arg = nullptr;
    still.rig.h.run(2);
    still.rig.click_on(77);
    still.rig.h.tap(QEL_KEY_RIGHT);
    EXPECT_EQ(still.changes, 0);
}

struct player_scene {
    widget_rig rig;
    qel_audio_track track = {"Morning tea", "The Labels", 0, 0, 0, 200, 0};
    qel_audio_player_options o = {};
    int32_t results = 0;
    player_scene() : rig(460, 200)
    {
        rig.h.ui = [this](qel_context* ctx) {
            board_begin(ctx);
            results |= qel_audio_player(ctx, 9, &track, &o);
            qel_container_end(ctx);
        };
        rig.h.run(2);
    }
    uint32_t seek() { return 9u ^ 0x5c8bu; }
};

TEST(AudioPlayer, ShowsFiniteTimes)
{
    const float nan = std::nanf("");
    struct {
        float position, duration;
        const char *elapsed, *remaining;
    } cases[] = {{0, 0, "0:00", "-0:00"}, {125.7f, 200, "2:05", "-1:14"}, {nan, 60, "0:00", "-1:00"},
                 {-5, 1e30f, "0:00", "-166666:40"}, {1e30f, 100, "166666:40", "-0:00"}};
    for (auto c : cases) {
        player_scene s;
        s.track.position = c.position;
        s.track.duration = c.duration;
        s.rig.h.run();
        EXPECT_NE(node_with_text(s.rig.h.ctx, c.elapsed), nullptr) << c.position << " " << c.duration;
        EXPECT_NE(node_with_text(s.rig.h.ctx, c.remaining), nullptr) << c.position << " " << c.duration;
    }
}

TEST(AudioPlayer, PlayFlipsAndSeekCommitsWithinTheTrack)
{
    player_scene s;
    s.track.playing = 1;
    s.rig.click_on(9u ^ 0x91a7u);
    EXPECT_EQ(s.track.playing, 0);
    EXPECT_EQ(s.results, 1);
    s.results = 0;
    qel_rect bar = s.rig.h.rect(s.seek());
    s.rig.h.move(bar.x + bar.w / 2, bar.y + 7);
    s.rig.h.run();
    s.rig.h.button(0, true);
    s.rig.h.run();
    s.rig.h.move(bar.x + bar.w * 0.25f, bar.y + 7);
    s.rig.h.run();
    qel_input_mouse_leave(s.rig.h.ctx);
    s.rig.h.run();
    EXPECT_EQ(s.track.position, 0) << "nothing committed while scrubbing";
    s.rig.h.button(0, false);
    s.rig.h.run();
    EXPECT_EQ(s.results, 8);
    EXPECT_NEAR(s.track.position, 50, 1);
    player_scene nan_track;
    nan_track.track.duration = std::nanf("");
    qel_rect nb = nan_track.rig.h.rect(nan_track.seek());
    nan_track.rig.h.click(nb.x + nb.w / 2, nb.y + 7);
    EXPECT_EQ(nan_track.results, 8);
    EXPECT_EQ(nan_track.track.position, 0);
    EXPECT_NE(node_with_text(nan_track.rig.h.ctx, "-0:00"), nullptr);
}
