// Frame timing rules of the shell. A period of 1/120 s serves when vertical sync is off on a
// display below 120 Hz: a faster display gets one frame per refresh.
#include "platform/frame_pacing.h"

#include <cmath>

static const double QEL_UNSYNCED_PERIOD = 1.0 / 120.0;
static const uint32_t QEL_PROBE_INTERVALS = 20;
static const double QEL_PROBE_TOLERANCE = 1.3;  // faster than this times the refresh: not synced
static const float QEL_FALLBACK_STEP = 1.0f / 120.0f;

double qel_pacing_refresh_rate(double reported_hz)
{
    return reported_hz >= 24.0 && reported_hz <= 1000.0 ? reported_hz : 60.0;  // NaN too gives 60
}

double qel_pacing_period(bool software, bool vsync_off, bool vsync_broken, double refresh_hz)
{
    double refresh_period = 1.0 / refresh_hz;
    if (vsync_off) return refresh_hz < 120.0 ? QEL_UNSYNCED_PERIOD : refresh_period;
    if (software || vsync_broken) return refresh_period;
    return 0.0;
}

double qel_pacing_next_deadline(double last_deadline, double period, double now)
{
    if (!(period > 0.0)) return now;
    double next = last_deadline + period;
    if (next > now) return next;
    return next + floor((now - next) / period) * period;
}

void qel_pacing_probe(qel_vsync_probe* probe, double last_present, double refresh_hz)
{
    if (probe->broken) return;
    probe->frames++;
    if (probe->frames == 1) probe->start = last_present;
    if (probe->frames <= QEL_PROBE_INTERVALS) return;
    double elapsed = last_present - probe->start;
    bool too_fast = elapsed > 0.0 && QEL_PROBE_INTERVALS / elapsed > QEL_PROBE_TOLERANCE * refresh_hz;
    probe->strikes = too_fast ? probe->strikes + 1 : 0;
    probe->frames = 0;
    if (probe->strikes >= 2) probe->broken = 1;
}

void qel_pacing_probe_rest(qel_vsync_probe* probe)
{
    probe->frames = 0;
    probe->strikes = 0;
}

float qel_pacing_time_step(double now, double* last_frame)
{
    double dt = now - *last_frame;
    *last_frame = now;
    return dt > 0.0 ? (float)dt : QEL_FALLBACK_STEP;
}

bool qel_pacing_screenshot_due(int32_t* frames_done, int32_t frames_wanted)
{
    (*frames_done)++;
    return *frames_done >= frames_wanted;
}
