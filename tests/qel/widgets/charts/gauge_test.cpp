// The gauge: sweeps and start angles, the dial's height for needle and arc, the range and value
// read safely, and the needle settling on a pinned value.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "chart_rig.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

TEST(GaugeSweep, SweepsAreClampedAndTheGapCentredAtTheBottom)
{
    const float deg = 3.14159265f / 180;
    const struct {
        float option, sweep, start;
    } cases[] = {{0, 240, 150}, {-5, 240, 150}, {300, 300, 120}, {45, 90, 225}, {330, 300, 120}, {180, 180, 180}};
    for (const auto& c : cases) {
        float sweep = qel_gauge_sweep(c.option);
        EXPECT_NEAR(sweep, c.sweep * deg, 1e-5f) << c.option;
        EXPECT_NEAR(qel_gauge_start(sweep), c.start * deg, 1e-5f) << c.option;
    }
}

struct gauge_scene : chart_scene<qel_gauge_payload> {
    float value = 40, min = 0, max = 100;
    qel_gauge_options options = {};
    gauge_scene() : chart_scene(400, 400, "gauge")
    {
        rig.h.ui = [this](qel_context* ctx) { qel_gauge(ctx, "gauge", value, min, max, &options); };
        rig.h.run(2);
    }
};

TEST(Gauge, TheDialIsAsTallAsItsEndsAndTexts)
{
    gauge_scene s;
    const struct {
        uint8_t arc;
        const char* caption;
        float height;
    } cases[] = {{0, nullptr, 163}, {0, "Ribbon", 185}, {1, nullptr, 154}, {1, "", 154}};
    for (const auto& c : cases) {
        s.options.arc_style = c.arc;
        s.options.caption = c.caption;
        s.rig.h.run();
        qel_rect r = s.rig.h.rect(s.id());
        EXPECT_EQ(r.w, 200);
        EXPECT_EQ(r.h, c.height) << (int)c.arc << (c.caption ? c.caption : "-");
    }
}

TEST(Gauge, RangesValuesZonesAndTicksAreReadSafely)
{
    gauge_scene s;
    s.options.ticks = -1;
    s.max = -3;
    s.min = 2;
    s.value = 2.5f;
    s.rig.h.run();
    EXPECT_EQ(s.payload()->max, 3) << "an empty range becomes one unit";
    EXPECT_FLOAT_EQ(s.payload()->target, 0.5f);
    EXPECT_EQ(s.payload()->ticks, 0);
    s.value = NAN;
    s.options.ticks = 0;
    std::vector<qel_gauge_zone> zones(20, {2.8f, 3});
    s.options.zones = zones.data();
    s.options.zone_count = 20;
    s.rig.h.run();
    EXPECT_EQ(s.payload()->target, 0);
    EXPECT_EQ(s.payload()->ticks, 5);
    EXPECT_EQ(s.payload()->zone_count, 16);
    EXPECT_TRUE(all_vertices_finite(s.rig.h.draw_data()));
}

TEST(Gauge, TheNeedleSettlesOnAPinnedValue)
{
    gauge_scene s;
    s.value = 250;
    s.rig.h.run(120);
    EXPECT_EQ(s.payload()->target, 1);
    EXPECT_NEAR(s.payload()->fraction, 1, 0.01f);
}
