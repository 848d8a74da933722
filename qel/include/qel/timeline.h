// The timeline: a header column of nested tracks with fold, visibility and lock buttons, a time
// ruler in frames, seconds or timecode, and one lane per visible track with its clips and keys,
// a playhead, an optional in/out work range, zoom and scroll. The tracks, keys and clips are the
// caller's (qel/timeline_tracks.h) and are edited in place during the call.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/timeline_tracks.h"
#include "qel/types.h"

enum qel_timeline_time_format : uint32_t {
    QEL_TIMELINE_FRAMES = 0,
    QEL_TIMELINE_SECONDS = 1,
    QEL_TIMELINE_TIMECODE = 2,
};

enum qel_timeline_header_mode : int32_t {
    QEL_TIMELINE_HEADER_BUTTONS = 0,  // names with visibility and lock buttons
    QEL_TIMELINE_HEADER_NAMES = 1,
    QEL_TIMELINE_HEADER_NARROW = 2,  // fold chevrons and icons only; names in tooltips
};

// What the pointer is doing.
enum qel_timeline_drag : int32_t {
    QEL_TIMELINE_IDLE = 0,
    QEL_TIMELINE_SCRUB = 1,
    QEL_TIMELINE_DRAG_KEYS = 2,
    QEL_TIMELINE_BOX = 3,
    QEL_TIMELINE_MOVE_CLIP = 4,
    QEL_TIMELINE_TRIM_START = 5,
    QEL_TIMELINE_TRIM_END = 6,
    QEL_TIMELINE_PAN = 7,
    QEL_TIMELINE_DRAG_IN = 8,
    QEL_TIMELINE_DRAG_OUT = 9,
    QEL_TIMELINE_PRESSED = 10,  // the press was handled and nothing is dragged
};

// Null means all zero. Invalid values take the defaults given.
struct qel_timeline_options {
    uint32_t reserved;
    float range_start, range_end;  // either not finite: 0..10; end <= start: start + 10
    float fps;                     // <= 0 or not finite: 30; above 1000: 1000
    uint32_t time_format;          // qel_timeline_time_format; others read as frames
    float* view;                   // {start, end, vertical scroll px}; null: the widget keeps its own
    float* range_in;               // the work range, when both are set
    float* range_out;
    int32_t* focus_track;  // the current track; null: the widget keeps its own (starts at -1)
    int32_t* focus_key;    // the current key of that track; null: kept by the widget
    qel_size width;        // kind 0 with value 0: grow with weight 1
    float height;          // <= 0: min(360, max(3, track count) x row height + 30)
    float row_height;      // <= 0: 26; at least 12
    float header_width;    // <= 0: automatic
    uint8_t track_buttons;  // visibility and lock buttons where the header has room
    uint8_t no_snap;        // drags and double-click adds do not snap to frames
};

struct qel_timeline_result {
    uint8_t changed;            // tracks, keys or clips were edited
    uint8_t playhead_changed;   // differs from its value at the start of the call
    uint8_t scrubbing;          // the playhead is dragged in the ruler
    uint8_t play_toggled;       // Space while focused
    uint8_t selection_changed;  // key or clip flags changed
    uint8_t view_changed;
    uint8_t keys_moved;  // by dragging or nudging
    int32_t added_track, added_key;        // a double-click's new key, else -1, -1
    int32_t keys_deleted, clips_deleted;   // by Delete or Backspace
    int32_t clip_track, clip_index;        // the clip moved or trimmed, else -1, -1
    int32_t toggled_track;                 // fold, visibility or lock toggled, else -1
    int32_t focus_track, focus_key;        // after this frame
    int32_t hover_track, hover_key;        // the key under the pointer, else -1, -1
};

// The widget. A null label is "timeline"; null tracks or a negative count mean no tracks; a null
// playhead is kept by the widget, and one that is not finite is set to the range start. Registers
// one focusable item and is the last item afterwards.
qel_timeline_result qel_timeline(qel_context* ctx, const char* label, qel_timeline_track* tracks, int32_t count,
                                 float* playhead, const qel_timeline_options* options);

// The geometry of a widget rectangle: header width and mode from the requested header width
// (<= 0 automatic) and track_buttons, the lanes, the 28 px ruler and the rows below it.
void qel_timeline_compute_layout(qel_timeline_layout* out, qel_rect widget, float row_height, float header_width,
                                 uint8_t track_buttons);

// Keeps view {start, end} inside range_min..range_max with a span of at least min(min_span, the
// range); a span that is not positive and finite becomes the whole range.
void qel_timeline_clamp_view(float* view, float range_min, float range_max, float min_span);

// Texts in the frame arena. Timecode: [h:]mm:ss:ff at whole fps (minutes not wrapped without
// hours), a leading "-" before zero. The time text is the tooltip form (timecode with hours from
// a range end of 3600 s, "%.2f s" or "Frame N"); the tick text labels the ruler at a step.
// Seconds that are not finite read as 0, and frame numbers stay within the 64-bit range.
const char* qel_timecode_text(qel_context* ctx, double seconds, float fps, bool with_hours);
const char* qel_timeline_time_text(qel_context* ctx, uint32_t time_format, float fps, float range_end, double seconds);
const char* qel_timeline_tick_text(qel_context* ctx, float range_end, float fps, uint32_t time_format, double seconds,
                                   double step);

// The draw callback of the widget's node, painting the display lists the call built.
void qel_timeline_draw(qel_context* ctx, const qel_node* node, void* payload);
