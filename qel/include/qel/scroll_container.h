// Scroll containers: a layout node whose content moves under a clip, driven by the wheel (with a
// short glide), by dragging its vertical thumb, or by the caller; with edge fades and bars that
// show while it moves. The per-id scroll state (qel_scroll_state, layout.h) is open to callers,
// who may read it and set its targets to bring content into view. Wheel routing to the container under the pointer is the
// interaction module's; sizing the content is the layout passes'.
#pragma once

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// A scroll area's options; null means all defaults.
struct qel_scroll_area_options {
    void* reserved;
    const char* name;  // null: an automatic id, stable while earlier siblings come and go
    qel_size width;
    qel_size height;  // kind fit: grow 1
    uint8_t horizontal;
    float padding;  // all sides
    float gap;
    uint8_t fades;
    qel_color fade_color;  // alpha 0 and no token: the inherited background
};

// --- Containers ---

// Opens and pushes a scroll container under id with the style (its scroll fields are not read):
// vertical scrolling always, horizontal too when asked. Returns the node's index. Close it with
// qel_scroll_end. qel_container_begin comes here for a style with scrolling.
int32_t qel_scroll_begin(qel_context* ctx, uint32_t id, const qel_style* style, bool horizontal);
void qel_scroll_end(qel_context* ctx);

// A scroll container from options: sized (height grow 1 when not given), padded, with fades in
// the background colour when asked.
void qel_scroll_area_begin(qel_context* ctx, const qel_scroll_area_options* options);
void qel_scroll_area_end(qel_context* ctx);

// --- Moving ---

// Glides the named container (qel_id of name) to y, no less than 0 and no more than its end.
void qel_scroll_to_y(qel_context* ctx, const char* name, float y);

// --- Shared with other widgets ---

// The fill of the nearest fully opaque node from the current parent up, else the theme's
// background: the colour that content over it fades into.
qel_color qel_inherited_background(qel_context* ctx);

// Draw pass: the fades and bars of a scroll container, after its children, and the hit strip of
// its vertical thumb.
void qel_scroll_decorations(qel_context* ctx, const qel_node* node, qel_rect rect);
