#include "qel/anim.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/core.h"
#include "qel_headless.h"

// Animation calls between frames, as widgets make them inside one: past the first frame, with a
// chosen step and the redraw request cleared.
struct animating {
    qel_headless h;

    animating() { h.run(2); }

    void step(float dt)
    {
        h.ctx->clock.dt = dt;
        h.ctx->clock.redraw_requested = 0;
    }

    bool redraw() const { return h.ctx->clock.redraw_requested != 0; }
};

TEST(Anim, SpringSettlesExactlyAndAsksForFramesUntilThen)
{
    animating a;
    float s[2] = {0, 0};
    int frames = 0;
    float v = 0, peak = 0;
    for (; frames < 600; frames++) {
        a.step(1.0f / 60.0f);
        v = qel_anim_spring(a.h.ctx, s, 1, 0.4f, 0);
        peak = std::max(peak, v);
        if (v == 1.0f) break;
        ASSERT_TRUE(a.redraw()) << frames;
    }
    EXPECT_EQ(v, 1.0f);
    EXPECT_EQ(s[1], 0.0f);
    EXPECT_LT(frames, 120);
    EXPECT_LT(peak, 1.002f);  // critically damped: no overshoot past the tolerance
    a.step(1.0f / 60.0f);
    EXPECT_EQ(qel_anim_spring(a.h.ctx, s, 1, 0.4f, 0), 1.0f);
    EXPECT_FALSE(a.redraw());
}

TEST(Anim, LongFramesAdvanceSpringsByAtMostATenth)
{
    animating a;
    float once[2] = {0, 0}, capped[2] = {0, 0};
    a.step(1.0f);
    qel_anim_spring(a.h.ctx, once, 1, 0.4f, 0.3f);
    a.step(0.1f);
    qel_anim_spring(a.h.ctx, capped, 1, 0.4f, 0.3f);
    EXPECT_EQ(once[0], capped[0]);
    EXPECT_EQ(once[1], capped[1]);
    EXPECT_GT(once[0], 0.0f);
    EXPECT_LT(once[0], 1.0f);
}

TEST(Anim, ApproachConvergesAndSnaps)
{
    animating a;
    float v = 0;
    a.step(0.14f);
    qel_anim_exp(a.h.ctx, &v, 1, 0.14f);
    EXPECT_NEAR(v, 1 - std::exp(-4.6f), 1e-5f);  // 99 % of the way in its duration
    EXPECT_TRUE(a.redraw());
    for (int i = 0; i < 10 && v != 1.0f; i++) {
        a.step(0.05f);
        qel_anim_exp(a.h.ctx, &v, 1, 0.14f);
    }
    EXPECT_EQ(v, 1.0f);
    a.step(0.05f);
    qel_anim_exp(a.h.ctx, &v, 1, 0.14f);
    EXPECT_FALSE(a.redraw());
}

TEST(Anim, EveryPrimitiveSnapsWhenItCannotMove)
{
    const struct {
        const char* name;
        bool reduced;
        float period;
    } cases[] = {
        {"reduced motion", true, 0.4f}, {"zero period", false, 0}, {"negative period", false, -1},
        {"not a number", false, NAN},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        animating a;
        qel_theme_set_reduced_motion(a.h.ctx, c.reduced);
        a.step(1.0f / 60.0f);
        float s[2] = {0, 3}, v = 0;
        EXPECT_EQ(qel_anim_spring(a.h.ctx, s, 5, c.period, 0), 5.0f);
        EXPECT_EQ(s[1], 0.0f);
        EXPECT_EQ(qel_anim_exp(a.h.ctx, &v, 2, c.period), 2.0f);
        EXPECT_EQ(v, 2.0f);
        EXPECT_EQ(qel_anim_flash(a.h.ctx, 9, true, c.period), 1.0f);
        EXPECT_EQ(qel_anim_value_rate(a.h.ctx, 10, 1, c.period, 0), 1.0f);
        EXPECT_EQ(qel_anim_value_rate(a.h.ctx, 10, 4, c.period, 0), 4.0f);
        EXPECT_FALSE(a.redraw());
    }
}

TEST(Anim, FirstFrameSnaps)
{
    qel_headless h;
    float got = -1;
    h.ui = [&](qel_context* ctx) {
        float s[2] = {0, 0};
        got = qel_anim_spring(ctx, s, 7, 0.4f, 0);
    };
    h.run();
    EXPECT_EQ(got, 7.0f);
}

TEST(Anim, PerIdValuesStartAtTheirFirstTarget)
{
    animating a;
    a.step(1.0f / 60.0f);
    EXPECT_EQ(qel_anim_value(a.h.ctx, 1, 5), 5.0f);
    EXPECT_FALSE(a.redraw());
    float v = qel_anim_value(a.h.ctx, 1, 10);
    EXPECT_GT(v, 5.0f);
    EXPECT_LT(v, 10.0f);
    EXPECT_TRUE(a.redraw());
    EXPECT_GT(qel_anim_value(a.h.ctx, 1, 10), v);  // moving on
    EXPECT_EQ(qel_anim_value(a.h.ctx, 2, -3), -3.0f);  // ids are independent
}

TEST(Anim, FlashRisesWhileTriggeredAndFallsAfter)
{
    animating a;
    a.step(1.0f / 60.0f);
    int32_t entries = a.h.ctx->state.count;
    EXPECT_EQ(qel_anim_flash(a.h.ctx, 3, false, 0.2f), 0.0f);
    EXPECT_EQ(qel_state_find(a.h.ctx, 3, 0, false), nullptr);  // nothing created
    EXPECT_EQ(a.h.ctx->state.count, entries);
    float up = qel_anim_flash(a.h.ctx, 3, true, 0.2f);
    EXPECT_GT(up, 0.0f);
    float higher = qel_anim_flash(a.h.ctx, 3, true, 0.2f);
    EXPECT_GT(higher, up);
    float down = qel_anim_flash(a.h.ctx, 3, false, 0.2f);
    EXPECT_LT(down, higher);
    for (int i = 0; i < 200 && down > 0; i++) down = qel_anim_flash(a.h.ctx, 3, false, 0.2f);
    EXPECT_EQ(down, 0.0f);
    EXPECT_EQ(qel_anim_flash(a.h.ctx, 3, false, 0.2f), 0.0f);
}
