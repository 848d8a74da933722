// When the shell's next frame is due: the display's refresh rate, the wait between frames, the
// probe that notices a driver ignoring vertical sync, the time step handed to the toolkit and the
// screenshot countdown. Clock readings come in as arguments; nothing here waits.
#pragma once

#include <cstdint>

// Watches the presents of an OpenGL window whose swap is meant to block on vertical sync.
struct qel_vsync_probe {
    uint32_t frames;   // presents counted in the current window of 20 intervals
    uint32_t strikes;  // windows in a row that ran clearly faster than the display
    uint8_t broken;    // set for good after the second strike
    double start;      // time of the window's first present
};

// A rate outside 24..1000 Hz (unknown, 0 or absurd) is taken as 60 Hz.
double qel_pacing_refresh_rate(double reported_hz);

// Seconds to wait after a frame begin before the next; 0 when the swap is left to pace frames
// (OpenGL with vertical sync that is not known to be broken).
double qel_pacing_period(bool software, bool vsync_off, bool vsync_broken, double refresh_hz);

// The next frame's deadline on a grid of period steps through the last deadline, so that a late
// wake-up does not push every later frame back. A frame that missed whole steps (a long one, or
// the first after idling) is due at once and does not catch up on them. A period of 0: now.
double qel_pacing_next_deadline(double last_deadline, double period, double now);

// Counts one paced present at last_present; every 21st judges the 20 intervals before it, and the
// second fast judgement in a row sets broken. Idle steps clear frames and strikes.
void qel_pacing_probe(qel_vsync_probe* probe, double last_present, double refresh_hz);
void qel_pacing_probe_rest(qel_vsync_probe* probe);

// The step since *last_frame (updated to now): 1/120 s when not positive. The toolkit clamps it.
float qel_pacing_time_step(double now, double* last_frame);

// Counts a presented frame; true when the screenshot is due (a wanted count below 1 makes the
// first present due).
bool qel_pacing_screenshot_due(int32_t* frames_done, int32_t frames_wanted);
