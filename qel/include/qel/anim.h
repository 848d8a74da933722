// Frame-rate-independent animation: a damped spring in fixed sub-steps, an exponential
// approach, and per-id springs and flashes kept in the state store. Each asks for another frame
// while it moves; durations scale with the theme's motion scale, and a scale of 0 (reduced
// motion) makes every one jump to its target.
#pragma once

#include "qel/types.h"

// Advances state {value, velocity} toward target: period in seconds, bounce 0 critically damped.
// Returns the new value.
float qel_anim_spring(qel_context* ctx, float state[2], float target, float period, float bounce);

// Moves *value toward target, 99 % of the way in duration seconds. Returns the new value.
float qel_anim_exp(qel_context* ctx, float* value, float target, float duration);

// A per-id value that rises toward 1 while trigger is set and falls back to 0 afterwards. An id
// never triggered reads 0 and keeps no state.
float qel_anim_flash(qel_context* ctx, uint32_t id, bool trigger, float duration);

// A per-id spring that starts at its first target; period 0.4, no bounce, or the caller's.
float qel_anim_value(qel_context* ctx, uint32_t id, float target);
float qel_anim_value_rate(qel_context* ctx, uint32_t id, float target, float period, float bounce);
