// What the timeline's call hands its draw callback: the frame's display lists in the frame arena
// and the colours and geometry to paint them with.
#pragma once

#include <cstdint>

#include "qel/timeline.h"

enum timeline_row_flags : uint8_t {
    TL_ROW_PARENT = 1,
    TL_ROW_COLLAPSED = 2,
    TL_ROW_HIDDEN = 4,
    TL_ROW_LOCKED = 8,
    TL_ROW_CURRENT = 16,
    TL_ROW_HOVERED = 32,
};

// The header part under the pointer.
enum timeline_header_part : uint8_t { TL_PART_NONE = 0, TL_PART_CHEVRON = 1, TL_PART_VISIBILITY = 2, TL_PART_LOCK = 3 };

enum timeline_mark_flags : uint8_t { TL_MARK_SELECTED = 1, TL_MARK_HOT = 2, TL_MARK_HIDDEN = 4, TL_MARK_SUMMARY = 8 };

enum timeline_clip_flags : uint8_t {
    TL_CLIP_SELECTED = 1,
    TL_CLIP_HIDDEN = 2,
    TL_CLIP_HOVER_BODY = 4,
    TL_CLIP_HOVER_START = 8,
    TL_CLIP_HOVER_END = 16,
};

struct timeline_row {
    int32_t visible;  // visible row number
    const char* name;
    const char* icon;
    int32_t depth;  // 0..64
    uint8_t color, flags, part;
};

struct timeline_clip_mark {
    float start, end;
    int32_t row;
    uint8_t color, flags;
    const char* label;
};

// 12 bytes a key mark.
struct timeline_mark {
    float time;
    int32_t row;
    uint8_t shape, flags, color;
};

struct timeline_mark_list {
    timeline_mark* items;
    int32_t count, capacity;
};

// Marks are drawn in layers, each over the one before.
enum timeline_mark_layer { TL_LAYER_SUMMARY, TL_LAYER_PLAIN, TL_LAYER_SELECTED, TL_LAYERS };

struct timeline_paint {
    float row_h, header_request;
    uint8_t track_buttons;
    double view_start, view_end;
    float scroll;
    uint32_t format;
    float range_start, range_end, fps, playhead;
    uint8_t has_work, in_hot, out_hot;
    float work_in, work_out;
    uint8_t box;
    float box_x0, box_y0, box_x1, box_y1;
    uint8_t no_tracks;
    int32_t visible_rows;
    const timeline_row* rows;
    int32_t row_count;
    const timeline_clip_mark* clips;
    int32_t clip_count;
    timeline_mark_list marks[TL_LAYERS];
    float radius, ring, scale;
    uint32_t wheel_id;
    uint8_t dark;
    qel_color surface, subtle, border, border_subtle, border_strong, text, secondary, muted, accent_tint, accent,
        hover, playhead_color;
    qel_color chart[6];
};

// Appends a mark, doubling the list in the frame arena (it starts at 256).
void qel_timeline_push_mark(qel_context* ctx, timeline_mark_list* list, timeline_mark mark);
