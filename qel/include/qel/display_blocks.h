// Message and display blocks: the alert banner (a semantic kind, title, text and an optional
// dismiss button that hides it for good), the empty-state block (icon, title, text and an
// optional primary action), the meter (label, "value / max unit" and a bar that turns warning
// and then danger near the maximum) and the image widget (a texture in a sized, rounded box).
// The bar is cards_progress's; textures are the caller's, made through textures.h.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_alert; null means all defaults.
struct qel_alert_opts {
    uint64_t reserved;
    const char* text;   // below the title
    uint32_t kind;      // qel_semantic; 0 neutral
    const char* icon;   // icon glyphs; null: the kind's own
    uint8_t dismissible;
};

// Options of qel_empty_state; null means all defaults.
struct qel_empty_state_opts {
    uint64_t reserved;
    const char* icon;
    const char* text;
    const char* action;  // the label of a primary button
};

// Options of qel_image; null means all defaults (64 x 64, square corners, no tint).
struct qel_image_opts {
    uint32_t reserved;
    qel_size width, height;  // kind fit: fixed 64
    float radius;
    qel_color tint;  // a literal or token; otherwise white
};

// What an image's draw callback paints: the whole texture over the node with its corners.
struct qel_image_record {
    uint64_t texture;
    qel_color tint;
};

// --- Blocks ---

// True while the alert is shown; false from the frame its dismiss button is clicked on, for as
// long as the toolkit keeps the title's state.
bool qel_alert(qel_context* ctx, const char* title, const qel_alert_opts* options);

// True in the frame the action button is clicked.
bool qel_empty_state(qel_context* ctx, const char* title, const qel_empty_state_opts* options);

// value of max (max <= 0 shows an empty bar) with the unit (null: none).
void qel_meter(qel_context* ctx, const char* label, float value, float max, const char* unit);

void qel_image(qel_context* ctx, uint64_t texture, const qel_image_opts* options);

// --- Draw callbacks ---

// user points to a qel_image_record.
void qel_image_draw(qel_context* ctx, const qel_node* node, void* user);
