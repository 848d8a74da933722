// Sliders, range sliders and the star rating: values picked by dragging or clicking along a track.
// The thumb springs to a clicked place, the track stretches like rubber when dragged past its
// ends, and arrow keys step the value. Hover, press and focus feel are widget_feel's.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_slider; null means all defaults.
struct qel_slider_opts {
    uint32_t reserved;
    float step;           // <= 0: continuous
    uint8_t show_value;   // the formatted value at the right of the label row
    const char* format;   // printf format of the value; null: "%.0f"
    uint8_t disabled;     // 0: as the enclosing disabled scope
    qel_size width;       // kind fit: grow with weight 1
};

// What qel_slider_draw paints, made per frame.
struct qel_slider_record {
    uint32_t state_id;  // whose right-to-left flag the drawing refreshes
    uint8_t range;      // two thumbs, the fill between them
    float low, high;    // thumb positions 0..1 (high alone for one thumb)
    float rubber;       // units the track stretches past the end it points to
    float hover, press, focus;
};

// What qel_rating_star_draw paints.
struct qel_star_record {
    float scale;
    qel_color color;
};

// --- Sliders ---
// A max not above min counts as min + 1. Each returns true when a value changed this frame.

// The id comes from "slider" when label is null. Left and Down decrease, Right and Up increase by
// the step (1 % of the range when continuous; ten times with Shift), Home and End jump to the
// ends; a step rounds every value to min + a multiple of it.
bool qel_slider(qel_context* ctx, const char* label, float* value, float min, float max,
                const qel_slider_opts* options);

// Two thumbs on one track; a press takes the nearer (the high one on a tie), and neither passes
// the other. The label row reads "low – high"; the id comes from "range" when label is null.
bool qel_range_slider(qel_context* ctx, const char* label, float* low, float* high, float min, float max);

// Hides the label row of the next range slider built this frame (widgets that draw their own).
void qel_range_slider_hide_next_label(qel_context* ctx);

// --- Rating ---

// stars below 1 give 5, above 16 give 16; *value is 0 (none) to stars. Clicking star i sets i,
// or clears the rating when it was i. True when a star was clicked.
bool qel_rating(qel_context* ctx, const char* label, int32_t* value, int32_t stars);

// --- Pieces ---

// A row with the label's visible text, a spacer and the value text (either may be null).
void qel_slider_label_row(qel_context* ctx, const char* label, const char* value_text);

// user points to a qel_slider_record.
void qel_slider_draw(qel_context* ctx, const qel_node* node, void* user);

// user points to a qel_star_record.
void qel_rating_star_draw(qel_context* ctx, const qel_node* node, void* user);
