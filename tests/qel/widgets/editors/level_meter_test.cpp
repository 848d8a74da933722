// The level meter: its ballistics over frames (fall, peak hold, the capped frame step), the clip
// latch and its click, the scale options it repairs, channel counts it clamps without reading an
// empty array, and amplitudes that read as silence.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "guard_page.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

static qel_meter_channel silent_channel(float floor_db)
{
    return {floor_db - 1, floor_db - 1, 0, 0};
}

TEST(LevelMeter, FallsAfterTheHoldAndNeverDropsThePeakBelowTheBar)
{
    qel_meter_channel ch = silent_channel(-60);
    float full = 1.0f, silence = 0;
    qel_meter_update(1.0f / 60, &ch, &full, 1, -60, 6, 1.5f, 20);
    EXPECT_EQ(ch.level, 0);
    EXPECT_TRUE(ch.clipped);
    for (int f = 0; f < 60; f++) qel_meter_update(1.0f / 60, &ch, &silence, 1, -60, 6, 1.5f, 20);
    EXPECT_NEAR(ch.level, -20, 1e-3) << "20 dB in one second";
    EXPECT_EQ(ch.peak, 0) << "held";
    for (int f = 0; f < 36; f++) qel_meter_update(1.0f / 60, &ch, &silence, 1, -60, 6, 1.5f, 20);
    EXPECT_LT(ch.peak, 0) << "falls after 1.5 s";
    for (int f = 0; f < 600; f++) {
        qel_meter_update(1.0f / 60, &ch, &silence, 1, -60, 6, 1.5f, 20);
        ASSERT_GE(ch.peak, ch.level);
    }
    EXPECT_EQ(ch.level, -61);
    EXPECT_FALSE(qel_meter_update(1.0f / 60, &ch, &silence, 1, -60, 6, 1.5f, 20)) << "at rest";
    EXPECT_TRUE(ch.clipped) << "the latch stays";
    qel_meter_channel once = {0, 0, 0, 0};
    qel_meter_update(1.0f, &once, &silence, 1, -60, 6, -1, 20);
    EXPECT_NEAR(once.level, -2, 1e-4) << "a 1 s step counts as 0.1 s";
    EXPECT_NEAR(once.peak, -2, 1e-4) << "no hold";
    float odd[3] = {std::nanf(""), -0.5f, std::numeric_limits<float>::infinity()};
    qel_meter_channel three[3] = {silent_channel(-60), silent_channel(-60), silent_channel(-60)};
    qel_meter_update(0.01f, three, odd, 3, -60, 6, 1.5f, 20);
    EXPECT_EQ(three[0].level, -61) << "NaN is silence";
    EXPECT_EQ(three[1].level, -61) << "negative is silence";
    EXPECT_EQ(three[2].level, 6);
}

struct meter_scene {
    widget_rig rig;
    std::vector<float> levels;
    const float* data;
    int32_t channels;
    qel_level_meter_opts o = {};
    int clicks = 0;
    meter_scene(int32_t n, float level) : rig(300, 260), levels((size_t)std::max(n, 1), level), channels(n)
    {
        data = levels.data();
        rig.h.ui = [this](qel_context* ctx) {
            board_begin(ctx);
            row_begin(ctx, 0);
            clicks += qel_level_meter(ctx, "vu", data, channels, &o);
            qel_container_end(ctx);
            qel_container_end(ctx);
        };
    }
    uint32_t id() { return qel_id(rig.h.ctx, "vu"); }
    uint32_t clip() { return id() ^ 0xc11bu; }
};

TEST(LevelMeter, ClipLatchStaysLitUntilClicked)
{
    meter_scene s(2, 1.0f);
    s.rig.h.run(2);
    s.levels.assign(2, 0.1f);
    s.rig.h.run(5);
    s.rig.move_to(s.clip());
    s.rig.h.run(40);
    EXPECT_NE(node_with_text(s.rig.h.ctx, "Clipped. Click to reset"), nullptr);
    EXPECT_EQ(s.clicks, 0);
    s.rig.click_on(s.clip());
    EXPECT_EQ(s.clicks, 1);
    s.rig.click_on(s.clip());
    EXPECT_EQ(s.clicks, 1) << "nothing to reset";
}

TEST(LevelMeter, ChannelCountsAndSizesAreClampedAndEmptyArraysNeverRead)
{
    const float nan = std::nanf(""), inf = std::numeric_limits<float>::infinity();
    struct {
        int32_t channels;
        float thickness, length;
        float w, h;
    } cases[] = {
        {0, 0, 0, 6, 4 + 3 + 160},      // one channel
        {-3, nan, inf, 6, 4 + 3 + 160},
        {12, 6, 100, 8 * 6 + 7 * 2, 4 + 3 + 100},
        {2, 10, -5, 22, 4 + 3 + 160},
    };
    for (auto c : cases) {
        meter_scene s(c.channels, 0.5f);
        guard_page_block empty(0);
        if (c.channels < 1) s.data = (const float*)empty.data;
        s.o.thickness = c.thickness;
        s.o.length = c.length;
        s.rig.h.run(2);
        qel_rect r = s.rig.h.rect(s.id());
        EXPECT_EQ(r.w, c.w) << c.channels;
        EXPECT_EQ(r.h, c.h) << c.channels;
    }
}

// The bar's pixel at a fraction of its length from the base.
static const uint8_t* bar_pixel(meter_scene& s, const picture& p, float fraction)
{
    qel_rect r = s.rig.h.rect(s.id());
    int x = (int)(r.x + 3), y = (int)(r.y + r.h - 1 - fraction * (r.h - 7));
    return &p.rgba[((size_t)y * (size_t)p.width + (size_t)x) * 4];
}

TEST(LevelMeter, ScaleOptionsAreRepairedBeforeDrawing)
{
    // A ceiling of -70 over the floor of -60 becomes -59: -59.5 dB fills more than half the bar.
    meter_scene s(1, std::pow(10.0f, -59.5f / 20));
    s.o.ceil_db = -70;
    s.rig.h.run(2);
    picture p = s.rig.shot();
    const uint8_t* lit = bar_pixel(s, p, 0.4f);
    const uint8_t* dark = bar_pixel(s, p, 0.6f);
    EXPECT_NE(lit[0] * 65536 + lit[1] * 256 + lit[2], dark[0] * 65536 + dark[1] * 256 + dark[2]);
    // A floor of 0 becomes -60 and a NaN ceiling 6: -27 dB fills half the bar.
    meter_scene z(1, std::pow(10.0f, -27.0f / 20));
    z.o.floor_db = 0;
    z.o.ceil_db = std::nanf("");
    z.rig.h.run(2);
    picture q = z.rig.shot();
    const uint8_t* below = bar_pixel(z, q, 0.45f);
    const uint8_t* above = bar_pixel(z, q, 0.55f);
    EXPECT_NE(below[0] * 65536 + below[1] * 256 + below[2], above[0] * 65536 + above[1] * 256 + above[2]);
}
