// The signature pad: a surface on which the user draws strokes with the mouse, thinner as the
// pointer moves faster, over a baseline with a cross, with a "Clear" button once something is
// drawn. Each pad keeps its strokes in its own per-id state, freed with it.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_signature_pad; null means all defaults.
struct qel_signature_options {
    uint32_t reserved;        // not read
    qel_size width;           // kind fit: grow 1
    float height;             // <= 0: 180
    const char* placeholder;  // shown while empty; null: "Sign here"
    qel_color ink;            // a literal (alpha not 0) or a token; else the text colour
};

// A pad holds at most this many points; further movement adds nothing.
enum { QEL_SIGNATURE_MAX_POINTS = 65536 };

// --- The pad ---

// Returns 1 in a frame in which the drawing changed (a stroke began, a point was added, or Clear
// was pressed).
int32_t qel_signature_pad(qel_context* ctx, const char* label, const qel_signature_options* options);

// --- The drawing ---

// The pad's point count. *points gets its points as x, y pairs in pad units (valid until the pad
// changes); *stroke_ends the exclusive end index of each stroke, the last being the point count
// (a frame-arena copy, valid until the next frame); *stroke_count their number. Any out-pointer
// may be null; a pad never built has 0 points and no strokes.
int32_t qel_signature_strokes(qel_context* ctx, const char* label, const float** points, const int32_t** stroke_ends,
                              int32_t* stroke_count);

// Empties the pad; its storage is kept.
void qel_signature_clear(qel_context* ctx, const char* label);
