// Timeline data: the caller's tracks with their keyframes and clips, and the plain operations the
// timeline widget runs on them each frame (visible rows, selection, deletion, hit tests, moving and
// adding keys). Everything works in place on the caller's arrays; nothing is allocated for them.
#pragma once

#include <cstdint>

#include "qel/curve.h"

// --- Records ---

// One clip of a track. Clips of a track are sorted by start and do not overlap.
struct qel_timeline_clip {
    float start, end;   // seconds, end > start
    float offset;       // content offset: trimming the start moves it by as much as the start
    const char* label;  // UTF-8, may be null
    uint8_t selected;
};

// One track, in display order. Keys are sorted by x. key_selected, when set, holds key_capacity
// flags (adding a key moves the flags above it up by one); without it keys cannot be selected or
// dragged. Negative counts read as 0; depth is clamped to 0..1000 by every reader.
struct qel_timeline_track {
    const char* name;  // shown up to "##"; null shows nothing
    const char* icon;  // icon-font glyph text drawn before the name; null or empty: none
    int32_t depth;
    uint8_t collapsed;  // children folded away
    uint8_t hidden;     // keys and clips drawn faded; still editable
    uint8_t locked;     // keys and clips cannot be selected, moved, added or deleted
    uint8_t color;      // 1..6: that chart colour; anything else: automatic
    qel_curve_key* keys;
    int32_t key_count;
    int32_t key_capacity;
    uint8_t* key_selected;
    qel_timeline_clip* clips;
    int32_t clip_count;
};

// Where a pointer hits a clip.
enum qel_timeline_clip_part : int32_t {
    QEL_TIMELINE_CLIP_BODY = 0,
    QEL_TIMELINE_CLIP_START = 1,
    QEL_TIMELINE_CLIP_END = 2,
};

// The widget's geometry (see qel_timeline_compute_layout in qel/timeline.h). The clip hit test
// reads content_x only.
struct qel_timeline_layout {
    float x, y, w, h;
    float header;         // header column width
    int32_t header_mode;  // qel_timeline_header_mode
    float lane_x, lane_w;
    float content_x, content_w;  // the lanes less 10 px on each side: where times map to pixels
    float rows_top, rows_h;
    float row_h;
};

// --- Rows ---

// One pass over the nesting: writes the indices of the tracks not folded away into rows and
// returns their number; colors gets each track's colour slot 0..5 (explicit, else its parent's,
// else the next automatic root colour); ends gets the index one past each track's last
// descendant. Parents are followed 16 levels deep; deeper tracks belong to the deepest of those.
// The outputs hold count entries each; a count below 1 writes nothing and returns 0.
int32_t qel_timeline_build_rows(const qel_timeline_track* tracks, int32_t count, int32_t* rows, uint8_t* colors,
                                int32_t* ends);

// --- Selection ---

// Clears every key and clip flag, locked tracks included. Non-zero when any flag was set.
uint8_t qel_timeline_clear_selection(qel_timeline_track* tracks, int32_t count);

// Removes the selected keys and clips of every unlocked track, keeping the order of the rest.
// The focus key of focus_track follows its key, or becomes -1 when that key was removed (left
// alone when the track lost nothing). The totals removed go to keys_deleted and clips_deleted
// (either may be null).
void qel_timeline_delete_selected(qel_timeline_track* tracks, int32_t count, int32_t focus_track,
                                  int32_t* focus_key, int32_t* keys_deleted, int32_t* clips_deleted);

// --- Hit tests ---

// The key nearest to time within radius seconds, or -1. Of keys at equal distance a selected one
// wins, and the later of two selected ones. Looks at no more than 64 keys.
int32_t qel_timeline_key_at(const qel_timeline_track* track, float time, float radius);

// The clip under pointer_x (pixel = (t - view_start) x px_per_s + content_x, with 1 px of slack
// on each side), or -1; part gets the qel_timeline_clip_part: the edges are min(6 px, a third of
// the clip) wide, the start edge tested first. -1 without clips or with px_per_s <= 0.
int32_t qel_timeline_clip_at(const qel_timeline_track* track, const qel_timeline_layout* layout, float view_start,
                             float px_per_s, float pointer_x, int32_t* part);

// --- Edits ---

// Moves every selected key of every unlocked track by delta seconds, limited so the selection
// stays inside range_min..range_max. With snap (and fps positive and finite) keys that sat on a
// frame land on one. When the delta was not limited, the key anchor_key of anchor_track lands on
// anchor_time exactly (when that is finite). Changed tracks are re-sorted stably by x, the flags,
// anchor_key and follow_key (of follow_track) following their keys. Never writes a time that is
// not finite. Non-zero when any key moved.
uint8_t qel_timeline_move_keys(qel_timeline_track* tracks, int32_t count, float delta, uint8_t snap, float fps,
                               float range_min, float range_max, int32_t anchor_track, int32_t* anchor_key,
                               float anchor_time, int32_t follow_track, int32_t* follow_key);

// Adds a key at time with the curve's value there, unselected, Linear or Step when the key before
// it is, else Smooth. A key already within 1e-5 s of time is returned instead with existed set.
// -1 for a time that is not finite, null keys, a locked track or a full array. existed may be null.
int32_t qel_timeline_add_key(qel_timeline_track* track, float time, uint8_t* existed);
