// The gauge: a dial with a track over a chosen sweep, coloured zones, ticks with value labels, an
// optional target marker, and a springing needle or thick value arc, with the value, a unit and a
// caption in the middle. Display only: it takes no input and lays out its own node.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

enum { QEL_GAUGE_ZONES = 16 };

// A zone up to value (in value units), in a semantic colour kind 1..8.
struct qel_gauge_zone {
    float value;
    uint32_t kind;
};

// Options of qel_gauge; null means all zero.
struct qel_gauge_options {
    uint64_t reserved;
    const char* caption;  // under the value; null or empty: none
    const char* format;   // value and tick labels; null: compact
    const char* unit;     // after the value; null or empty: none
    float size;           // width and dial diameter; <= 0: 200
    float sweep;          // degrees; <= 0: 240, else 90..300
    const qel_gauge_zone* zones;  // ascending by value
    int32_t zone_count;           // 0..16
    int32_t ticks;                // major intervals: < 0 none, 0: 5, at most 20
    float target;
    uint8_t show_target;
    uint8_t arc_style;  // a thick value arc instead of the needle
};

// What qel_gauge keeps under its id.
struct qel_gauge_state {
    float fraction, velocity;
    uint32_t initialised;
};

// What the draw callback reads.
struct qel_gauge_payload {
    float fraction;  // animated
    float min, max;
    float start, sweep;  // radians, clockwise on screen from +x
    float radius;
    float target;  // fraction
    int32_t ticks;
    int32_t zone_count;
    uint8_t needle, show_target;
    const char* value_text;
    const char* unit;
    const char* caption;
    const char* format;
    qel_gauge_zone* zones;
    qel_color value_color;
};

// --- Widget ---

// A null label reads as "gauge". When max <= min the range is min..min + 1.
void qel_gauge(qel_context* ctx, const char* label, float value, float min, float max,
               const qel_gauge_options* options);

// The sweep in radians for a sweep option in degrees, and the start angle centring its gap at
// the bottom.
float qel_gauge_sweep(float degrees);
float qel_gauge_start(float sweep);

// user is a qel_gauge_payload.
void qel_gauge_draw(qel_context* ctx, const qel_node* node, void* user);
