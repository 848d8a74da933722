// Animation primitives. Each scales its time by the theme's motion scale, snaps to its target
// with reduced motion, on a context's first frame or for a period that is not positive, and asks
// for another frame while it still moves.
#include <cmath>

#include "core/core.h"
#include "qel/anim.h"
#include "qel/state.h"

static const float TWO_PI = 6.2831855f;
static const float MAX_SPRING_STEP = 0.1f, SPRING_SUBSTEP = 1.0f / 240.0f;
static const float EXP_RATE = 4.6f, EXP_SNAP = 0.002f;
static const uint32_t SPRING_KEY = 0xa11a11u;

struct spring_blob {
    float value, velocity;
    uint8_t started;
};

// The animation time of duration seconds, or 0 when the primitive must jump to its end.
static float scaled_duration(qel_context* ctx, float duration)
{
    float s = ctx->theme.current.motion_scale;
    if (!(s > 0.0f) || ctx->clock.frame_count < 2 || !(duration > 0.0f)) return 0.0f;
    return s * duration;
}

float qel_anim_spring(qel_context* ctx, float state[2], float target, float period, float bounce)
{
    float t = scaled_duration(ctx, period);
    if (t <= 0.0f) {
        state[0] = target;
        state[1] = 0.0f;
        return target;
    }
    float omega = TWO_PI / t;
    float damping = 2.0f * (1.0f - bounce) * omega;
    float dt = fminf(ctx->clock.dt, MAX_SPRING_STEP);
    int steps = (int)fmaxf(1.0f, ceilf(dt / SPRING_SUBSTEP));
    float h = dt / (float)steps;
    float value = state[0], velocity = state[1];
    for (int i = 0; i < steps; i++) {
        velocity += (-(omega * omega) * (value - target) - damping * velocity) * h;
        value += velocity * h;
    }
    float tolerance = 0.002f + 0.0005f * fabsf(target);
    if (fabsf(value - target) >= tolerance || fabsf(velocity) >= 10.0f * tolerance) {
        state[0] = value;
        state[1] = velocity;
        qel_request_redraw(ctx);
        return value;
    }
    state[0] = target;
    state[1] = 0.0f;
    return target;
}

float qel_anim_exp(qel_context* ctx, float* value, float target, float duration)
{
    float t = scaled_duration(ctx, duration);
    if (t > 0.0f) *value += (target - *value) * (1.0f - expf(-EXP_RATE * ctx->clock.dt / t));
    if (t <= 0.0f || fabsf(*value - target) < EXP_SNAP) {
        *value = target;
        return target;
    }
    qel_request_redraw(ctx);
    return *value;
}

float qel_anim_flash(qel_context* ctx, uint32_t id, bool trigger, float duration)
{
    float* value = (float*)qel_state_find(ctx, id, sizeof(float), trigger);
    if (!value || (!trigger && !(*value > 0.0f))) return 0.0f;
    return qel_anim_exp(ctx, value, trigger ? 1.0f : 0.0f, duration);
}

float qel_anim_value_rate(qel_context* ctx, uint32_t id, float target, float period, float bounce)
{
    spring_blob* s = (spring_blob*)qel_state_get(ctx, id ^ SPRING_KEY, sizeof(spring_blob));
    if (!s->started) {
        s->started = 1;
        s->value = target;
    }
    float state[2] = {s->value, s->velocity};
    float v = qel_anim_spring(ctx, state, target, period, bounce);
    s->value = state[0];
    s->velocity = state[1];
    return v;
}

float qel_anim_value(qel_context* ctx, uint32_t id, float target)
{
    return qel_anim_value_rate(ctx, id, target, 0.4f, 0.0f);
}
