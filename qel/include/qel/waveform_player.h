// The waveform and the audio player card. A waveform draws amplitude samples as a row of rounded
// bars and, given a playback position, is a seek bar (click, drag, arrow keys). The player card
// shows a caller-owned track: cover, title and artist, previous / play-pause / next and a seek bar
// between the elapsed and remaining times. Neither plays audio; they report what the user did.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_waveform; null means all zero, and a zero field its default.
struct qel_waveform_options {
    uint32_t reserved;
    qel_size width;   // kind 0: grow 1
    float height;     // not above 0: 40
    float bar_width;  // not above 0: 3
    float bar_gap;    // not above 0: 2
    qel_color color;  // with a position the played colour, else the bars' colour
};

// A track the caller plays.
struct qel_audio_track {
    const char* title;   // null: none shown
    const char* artist;
    uint64_t cover;      // texture drawn over the cover square; 0 for none
    qel_color color;     // the cover square; not given: the subtle colour
    float position;      // seconds
    float duration;      // seconds
    uint8_t playing;
};

// Options of qel_audio_player; null means all zero.
struct qel_audio_player_options {
    uint32_t reserved;
    qel_size width;  // kind 0: a preferred width of 360 (340 compact)
    uint8_t compact;
};

// What qel_audio_player reports, as bits.
enum qel_audio_player_result : int32_t {
    QEL_AUDIO_PLAY_PAUSE = 1,  // playing was flipped
    QEL_AUDIO_PREVIOUS = 2,
    QEL_AUDIO_NEXT = 4,
    QEL_AUDIO_SEEK = 8,  // position was set
};

// --- Widgets ---

// count amplitudes 0..1 (a negative count is 0; NaN reads 0) as bars, at most one per pixel
// column, each the largest of its samples. With position (the playback fraction 0..1, read and
// written) it is a focusable seek bar; returns true when the position changed in this call.
bool qel_waveform(qel_context* ctx, uint32_t id, const float* samples, int32_t count, float* position,
                  const qel_waveform_options* options);

// The player card for track (null: nothing, 0). Returns qel_audio_player_result bits.
int32_t qel_audio_player(qel_context* ctx, uint32_t id, qel_audio_track* track, const qel_audio_player_options* options);
