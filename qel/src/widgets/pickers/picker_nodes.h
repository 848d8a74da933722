// Pieces the picker widgets share: text leaves in a role, size and line height, payloads copied
// into the frame arena for draw callbacks, the accent-or-fallback colour and the corner radius of
// list rows.
#pragma once

#include <cstddef>
#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// A text leaf of length bytes (< 0: up to the terminator) at size (already scaled) with the
// line height factor; returns its node.
int32_t qel_picker_text(qel_context* ctx, const char* text, int32_t length, uint32_t font, float size,
                        qel_color color, float line_height);

// A frame-arena copy of size bytes for a draw callback.
void* qel_picker_payload(qel_context* ctx, const void* data, size_t size);

// Gives the node a draw callback with a frame-arena copy of the payload, after its children when
// asked.
void qel_picker_draw(qel_context* ctx, int32_t node, qel_draw_fn draw, const void* payload, size_t size, bool after);

// The accent palette slot when an accent preset is set, else the fallback slot.
qel_color qel_picker_accent(qel_context* ctx, uint32_t fallback_slot);

// The corner radius of rows and cells in lists: max(6, medium radius - 6).
float qel_picker_row_radius(qel_context* ctx);

// The theme's size (extra-small, small, body ...) times the UI scale.
float qel_picker_scaled(qel_context* ctx, float size);

// True in dark mode.
bool qel_picker_dark(qel_context* ctx);
