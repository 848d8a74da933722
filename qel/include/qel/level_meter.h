// The level meter: up to 8 audio channels as bars in decibels with the ballistics of a mixing
// desk (instant rise, linear fall, a held peak), green, amber and red zones, an optional dB scale,
// and a clip latch per channel that stays lit until the user clicks it. The fader's built-in
// meter runs the same ballistics and bars.
#pragma once

#include <cstdint>

#include "qel/types.h"

// --- Records ---

// Options of qel_level_meter; null means all zero, and a zero field its default.
struct qel_level_meter_opts {
    float floor_db;      // bottom of the scale when negative; else -60
    float ceil_db;       // top; 0 means 6, and one not above the floor becomes floor + 1
    float length;        // bar length when above 0; else 160
    float thickness;     // bar thickness per channel when above 0; else 6
    uint8_t horizontal;  // bars run left to right; else bottom to top
    uint8_t show_scale;  // dB labels beside the bars
    uint8_t segmented;   // the fill in 3 px cells
    float hold_seconds;  // peak hold: above 0 as given, 0 means 1.5, below 0 no hold
    float fall_db_per_second;  // above 0 as given; else 20
};

// The ballistics of one channel.
struct qel_meter_channel {
    float level;  // displayed, dB
    float peak;   // dB
    float held;   // seconds the peak has been held
    uint8_t clipped;
};

// --- Widget ---

// A meter of channels (1..8; below 1 one silent channel) over levels, linear amplitudes with 1.0
// at 0 dB full scale (null: silence). Returns true in the frame the user clicked the clip
// indicator, which resets the latches.
bool qel_level_meter(qel_context* ctx, const char* label, const float* levels, int32_t channels,
                     const qel_level_meter_opts* options);

// --- Ballistics ---

// Advances channels states by dt (at most 0.1 s) toward levels (null: silence) on floor..ceiling:
// a level rises at once and falls fall_db_per_second; the peak holds hold_seconds (below 0 not
// at all) and then falls as fast, never below the level; an amplitude of 1.0 or more latches the
// clip. Returns true while any channel still moves.
bool qel_meter_update(float dt, qel_meter_channel* states, const float* levels, int32_t channels, float floor_db,
                      float ceil_db, float hold_seconds, float fall_db_per_second);
