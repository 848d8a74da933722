// The preview's pictures: the current row rendered at the printer's resolution when what it
// shows changes, and a grey image of it at the view's size, kept as a texture of the renderer.
// Drawing that texture on the window and asking for frames are the window's.
#pragma once

#include <cstdint>

#include "app/app_state.h"
#include "engine/raster.h"
#include "qel/context.h"

// --- What is shown ---

// Both keys to none, so that the next step renders again (after a change of printer, table or
// quantity column).
void app_preview_forget(app_state* state);

// --- The preview step, once a frame ---

// Renders the current row (or, without rows, the template's literal texts) when the stock,
// template, row or table changed since the last render, clamping the row into the table; a
// failure is said in the status line once, as the preview's, and a later render that succeeds
// clears it. Then refits the view (Fit zoom, a canvas above 1 x 1 pixel) and brings the texture
// in line with the raster through the renderer, whose members may be null; display_scale is
// the toolkit's. True when the fit scale changed, so that what shows it needs another frame.
bool app_preview_step(app_state* state, const qel_renderer* renderer, float display_scale);

// --- The grey image ---

// Averages the raster's dots over width x height pixels (integer areas of at least one dot)
// into opaque grey RGBA, 255 for white. False when scratch memory runs out.
bool app_preview_grey(const raster* r, int32_t width, int32_t height, uint8_t* rgba);
