// Widgets that show or hide a body: the chevron every collapsible widget draws, the collapsing
// header (a full-width section title whose body slides open) and the tree node (an indented row
// whose children are built only while it is open). The caller owns the open flags; only the
// motion is kept per id.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_tree_node; null means all zero.
struct qel_tree_node_opts {
    uint64_t reserved;
    const char* icon;  // icon glyphs; null: a file, or a folder open or closed
    uint8_t leaf;      // no children: no chevron, never opens
    uint8_t selected;
};

// --- Chevron ---

// A size x size leaf, centred across its row, drawing a chevron turned by angle radians: 0 points
// down, -pi/2 right, pi up.
void qel_chevron_icon(qel_context* ctx, float angle, float size, qel_color color);

// --- Collapsing header ---

// A section title that toggles *open when clicked. True when the body is to be built this frame:
// while open, and while it is still closing (then faded and not reacting). After a true return
// the caller builds the body and calls qel_collapsing_header_end; after false it calls nothing.
// Headers nest 32 deep.
bool qel_collapsing_header(qel_context* ctx, const char* label, bool* open);
void qel_collapsing_header_end(qel_context* ctx);

// --- Parts other collapsible widgets share ---

// A spring (value and velocity) toward 1 when open, else 0, settled there the first time
// (*started 0); returns its value.
float qel_open_spring(qel_context* ctx, float spring[2], uint8_t* started, bool open, float period);

// Counts a collapsible body opened, in the same 32 levels as the headers; a closing body (shown
// while it shuts) opens a disabled scope that the matching pop closes.
void qel_collapsible_body_push(qel_context* ctx, bool closing);
void qel_collapsible_body_pop(qel_context* ctx);

// Opens a clip faded to opacity and in it the body node (id body) of a collapsible shown at t
// (0..1), both across their parent; while t < 1 the clip holds t of the body's height last laid
// out, kept in *height. Returns the body; the caller pops both.
int32_t qel_collapsible_body_open(qel_context* ctx, uint32_t body, float t, float opacity, float* height);

// --- Tree node ---

// An indented row with a chevron, an icon and the label's visible part. A click toggles *open of
// a branch; Right and Left open and close it while its focus ring shows. Without an open flag, or
// for a leaf, it never opens. True when the children are to be built; the caller then builds them
// and calls qel_tree_node_end.
bool qel_tree_node(qel_context* ctx, const char* label, bool* open, const qel_tree_node_opts* options);
void qel_tree_node_end(qel_context* ctx);

// Whether the latest tree node was clicked this frame (leaves and nodes without a flag too).
uint8_t qel_tree_node_clicked(qel_context* ctx);

// --- Draw callbacks ---

// The chevron; user is its frame-arena payload.
void qel_chevron_draw(qel_context* ctx, const qel_node* node, void* user);
