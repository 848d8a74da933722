// Containers and progress indicators: the card (a bordered surface that may be clickable and
// lifts on hover), the activity spinner, the progress bar (determinate with an optional label and
// percentage, or indeterminate) and the skeleton placeholder with a sweeping highlight. Moving
// parts follow the theme's motion scale and ask for frames only while they move.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_card_begin; null means all defaults.
struct qel_card_opts {
    uint64_t reserved;
    const char* id;    // a clickable card's id label; null or empty: one from its position
    qel_size width, height;
    float min_width, max_width;    // used when > 0
    float padding;                 // <= 0: 24
    float padding_x, padding_y;    // > 0: overrides the padding on that axis
    float gap;                     // <= 0: 12
    uint32_t direction;            // qel_direction
    uint32_t align;                // qel_align
    uint8_t wrap;                  // rows only
    uint8_t clickable;
    uint8_t flat;                  // a subtle fill instead of surface and border
    uint8_t selected;              // an accent border
};

// Options of qel_progress_bar; null means all defaults.
struct qel_progress_opts {
    uint32_t reserved;
    uint8_t indeterminate;
    uint32_t kind;          // qel_semantic of the fill; 0: the primary colour
    float height;           // <= 0: 6
    const char* label;      // shown above the bar; also names its id ("progress" when null)
    uint8_t show_value;     // "N%" above a determinate bar
    qel_size width;         // kind fit: grow 1
};

// What a progress bar's draw callback paints.
struct qel_progress_record {
    float value;  // as shown, 0..1
    uint8_t indeterminate;
    qel_color track, fill;
    double time;  // of the frame
};

// What a skeleton's draw callback paints.
struct qel_skeleton_record {
    double time;  // of the frame
    qel_color base, highlight;
};

// --- Cards ---

// Opens a card and makes it the current parent; close it with qel_card_end. True in the frame a
// clickable card is clicked; a plain card has no id and returns false.
bool qel_card_begin(qel_context* ctx, const qel_card_opts* options);
void qel_card_end(qel_context* ctx);

// --- Progress ---

// A turning arc of size (<= 0: 20) in the secondary text colour.
void qel_activity_spinner(qel_context* ctx, float size);

// A bar filled to value (clamped to 0..1 and eased there), or a segment sweeping across it.
void qel_progress_bar(qel_context* ctx, float value, const qel_progress_opts* options);

// A placeholder of width (kind fit: grow 1) and height (<= 0: 14) with a highlight sweeping over
// it while motion is on.
void qel_skeleton(qel_context* ctx, qel_size width, float height);

// --- Draw callbacks ---

// user points to a qel_progress_record.
void qel_progress_draw(qel_context* ctx, const qel_node* node, void* user);

// user points to a qel_skeleton_record.
void qel_skeleton_draw(qel_context* ctx, const qel_node* node, void* user);
