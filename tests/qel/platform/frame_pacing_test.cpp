// Frame timing: refresh rates, waits between frames, the vertical-sync probe, time steps and the
// screenshot countdown.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/frame_pacing.h"

TEST(FramePacing, UnknownOrAbsurdRefreshRatesAre60)
{
    const double rows[][2] = {{0, 60},     {-1, 60},   {23.9, 60},  {24, 24},           {59.94, 59.94},
                              {144, 144},  {1000, 1000}, {1000.5, 60}, {2000, 60}, {NAN, 60}};
    for (const auto& r : rows) EXPECT_DOUBLE_EQ(qel_pacing_refresh_rate(r[0]), r[1]) << r[0];
}

TEST(FramePacing, PeriodByRendererAndSync)
{
    struct row {
        bool software, vsync_off, broken;
        double hz, period;
    };
    const row rows[] = {
        {true, false, false, 60, 1 / 60.0},     {true, false, false, 144, 1 / 144.0},
        {true, true, false, 60, 1 / 120.0},     {true, true, false, 144, 1 / 144.0},
        {false, true, false, 60, 1 / 120.0},    {false, true, false, 120, 1 / 120.0},
        {false, true, false, 240, 1 / 240.0},   {false, false, true, 75, 1 / 75.0},
        {false, false, false, 60, 0.0},  // the swap blocks instead
    };
    for (const row& r : rows) {
        EXPECT_DOUBLE_EQ(qel_pacing_period(r.software, r.vsync_off, r.broken, r.hz), r.period)
            << r.software << r.vsync_off << r.broken << " " << r.hz;
    }
}

TEST(FramePacing, DeadlinesKeepToTheirGrid)
{
    const struct {
        double last, period, now, next;
    } rows[] = {
        {1.0, 0.01, 1.004, 1.01},   // on time: the next step
        {1.0, 0.01, 1.013, 1.01},   // late: due at once, still on the grid
        {1.0, 0.01, 1.0351, 1.03},  // three steps missed: due at once, none caught up
        {0.0, 1 / 60.0, 500.0, 500.0 - std::fmod(500.0, 1 / 60.0)},  // the first frame
        {1.0, 0.0, 1.5, 1.5},       // the swap paces: no wait
    };
    for (const auto& r : rows)
        EXPECT_NEAR(qel_pacing_next_deadline(r.last, r.period, r.now), r.next, 1e-9) << r.last << " " << r.now;

    // A timer that oversleeps 1.6 ms every wait still gives one frame a step.
    const double period = 1 / 60.0;
    double now = 0, deadline = 0;
    int frames = 0;
    for (; now < 1.0; frames++) {
        now += 0.003;  // the frame's work
        deadline = qel_pacing_next_deadline(deadline, period, now);
        if (deadline > now) now = deadline + 0.0016;
    }
    EXPECT_GE(frames, 59);
    EXPECT_LE(frames, 61);
}

// Feeds 21 presents spaced by step seconds from t; returns whether sync was found broken.
static bool probe_window(qel_vsync_probe* probe, double* t, double step, double hz)
{
    for (int i = 0; i < 21; i++) {
        if (i == 20) {
            EXPECT_EQ(probe->frames, 20u) << "only the 21st present judges";
        }
        qel_pacing_probe(probe, *t, hz);
        *t += step;
    }
    *t -= step;  // the next window starts at the last present
    return probe->broken;
}

TEST(FramePacing, TwoFastWindowsInARowBreakSync)
{
    qel_vsync_probe probe = {};
    double t = 10.0;
    EXPECT_FALSE(probe_window(&probe, &t, 1 / 240.0, 60));  // first strike
    EXPECT_EQ(probe.strikes, 1u);
    EXPECT_TRUE(probe_window(&probe, &t, 1 / 240.0, 60));
    qel_pacing_probe(&probe, t + 1, 60);
    EXPECT_TRUE(probe.broken) << "for good";
}

TEST(FramePacing, SyncedWindowsOrIdleClearStrikes)
{
    qel_vsync_probe probe = {};
    double t = 0.0;
    probe_window(&probe, &t, 1 / 240.0, 60);
    probe_window(&probe, &t, 1 / 60.0, 60);  // paced: strikes back to 0
    EXPECT_EQ(probe.strikes, 0u);
    probe_window(&probe, &t, 1 / 240.0, 60);
    qel_pacing_probe_rest(&probe);  // an idle step in between
    EXPECT_FALSE(probe_window(&probe, &t, 1 / 240.0, 60));
    // Just under 1.3 x the refresh is no strike; no time at all resets too.
    probe_window(&probe, &t, 1 / (1.29 * 60), 60);
    EXPECT_EQ(probe.strikes, 0u);
    probe_window(&probe, &t, 1 / 240.0, 60);
    probe_window(&probe, &t, 0.0, 60);
    EXPECT_EQ(probe.strikes, 0u);
    EXPECT_FALSE(probe.broken);
}

TEST(FramePacing, TimeStepIsMeasuredOr1Over120)
{
    double last = 5.0;
    EXPECT_FLOAT_EQ(qel_pacing_time_step(5.25, &last), 0.25f);
    EXPECT_DOUBLE_EQ(last, 5.25);
    EXPECT_FLOAT_EQ(qel_pacing_time_step(5.25, &last), 1 / 120.0f);  // exactly 0
    EXPECT_FLOAT_EQ(qel_pacing_time_step(4.0, &last), 1 / 120.0f);   // a clock that went back
    EXPECT_DOUBLE_EQ(last, 4.0);
}

TEST(FramePacing, ScreenshotAfterTheWantedPresent)
{
    for (int32_t wanted : {90, 3, 1, 0, -7}) {
        int32_t done = 0, presents = 0;
        bool due = false;
        while (!due && presents < 1000) {
            due = qel_pacing_screenshot_due(&done, wanted);
            presents++;
        }
        EXPECT_EQ(presents, wanted < 1 ? 1 : wanted) << wanted;
    }
}
