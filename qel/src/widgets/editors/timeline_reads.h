// How the timeline reads a caller's track, shared by the track operations and the widget: depth
// clamped, counts that are 0 without arrays, and the sorted-key search.
#pragma once

#include <algorithm>
#include <cstdint>

#include "qel/timeline_tracks.h"

static const int32_t QEL_TIMELINE_MAX_DEPTH = 1000;

inline int32_t timeline_depth(const qel_timeline_track* t)
{
    return std::clamp(t->depth, 0, QEL_TIMELINE_MAX_DEPTH);
}

inline int32_t timeline_keys(const qel_timeline_track* t)
{
    return t->keys && t->key_count > 0 ? t->key_count : 0;
}

inline int32_t timeline_clips(const qel_timeline_track* t)
{
    return t->clips && t->clip_count > 0 ? t->clip_count : 0;
}

// Keys that can carry a selection: an unlocked track with keys and flags.
inline bool timeline_keys_editable(const qel_timeline_track* t)
{
    return !t->locked && t->key_selected && timeline_keys(t) > 0;
}

// The first key at or after time from index `from` on (NaN keys count as not before it),
// galloping first: the key wanted is usually a few keys ahead when scanning pixel by pixel.
inline int32_t timeline_first_key(const qel_timeline_track* t, int32_t from, float time)
{
    int32_t n = timeline_keys(t), step = 1, lo = from, hi = from;
    while (hi < n && t->keys[hi].x < time) {
        lo = hi + 1;
        hi = std::min(n, hi + step);
        step *= 2;
    }
    return (int32_t)(std::partition_point(t->keys + lo, t->keys + hi,
                                          [time](const qel_curve_key& k) { return k.x < time; }) -
                     t->keys);
}

// The first clip that ends after time.
inline int32_t timeline_first_clip(const qel_timeline_track* t, float time)
{
    int32_t n = timeline_clips(t);
    return (int32_t)(std::partition_point(t->clips, t->clips + n,
                                          [time](const qel_timeline_clip& c) { return !(c.end > time); }) -
                     t->clips);
}
