// The box the content viewers (code block, JSON view, code editor) share, and the monospace
// character width their columns are measured in.
#pragma once

#include <cstdint>

#include "qel/types.h"

// The fill of the viewers' box: SURFACE mixed 40 % toward BACKGROUND in dark mode, else SUBTLE.
qel_color qel_viewer_fill(qel_context* ctx);

// Opens and pushes the box under id: full width, BORDER border 1 wide, small corners, children
// clipped. Returns its node.
int32_t qel_viewer_box_begin(qel_context* ctx, uint32_t id);

// Pops the box, keeps its text left to right unless a direction was chosen for it, and makes
// id the last item.
void qel_viewer_box_end(qel_context* ctx, int32_t box, uint32_t id);

// The advance of one monospace character at size.
float qel_viewer_char_width(qel_context* ctx, float size);
