// The frame cycle: one pass of the application's widget code between qel_begin_frame and
// qel_end_frame, ending with draw data for a renderer, and the redraw rules by which an idle
// window runs no frames at all (qel_needs_redraw and qel_wake_timeout are context.h's).
#pragma once

#include "qel/draw.h"
#include "qel/types.h"

// Starts a frame dt seconds after the last one (clamped to 0..0.25); a frame still open is
// finished first. Hover and focus are resolved here from the last frame's layout.
void qel_begin_frame(qel_context* ctx, float dt);

// Closes what the widget code left open, lays out and draws the tree and fills the draw data.
// Nothing when no frame is open.
void qel_end_frame(qel_context* ctx);

// The last finished frame; valid until the next qel_begin_frame, whose drawing overwrites it.
// A renderer reads it in between.
const qel_draw_data* qel_get_draw_data(qel_context* ctx);

// Asks for a frame within seconds (negative counts as 0); the earliest request of a frame wins.
// The _safe form accepts a null context.
void qel_request_redraw_in(qel_context* ctx, float seconds);
void qel_request_redraw_in_safe(qel_context* ctx, float seconds);
