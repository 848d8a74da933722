// The preview's pictures: the current row rendered at the printer's resolution when what it
// shows changes, and a grey image of it at the view's size, kept as a texture of the renderer.
// Drawing that texture on the window and asking for frames are the window's.
#pragma once

#include <cstdint>

#include "app/app_state.h"
#include "engine/raster.h"
#include "qel/context.h"

// --- Keys of what is shown ---

// The render the current choices ask for: stock, template, row and whether a table is loaded.
int64_t app_raster_key(const app_state* state);

// The grey image of that render at a screen resolution and texture scale.
int64_t app_texture_key(int64_t raster_key, float screen_dpi, float texture_scale);

// Both keys to none, so that the next step renders again (after a change of printer, table or
// quantity column).
void app_preview_forget(app_state* state);

// --- The preview step, once a frame ---

// Renders the current row (or, without rows, the template's literal texts) when the raster key
// changed, clamping the row into the table. A failure is said in the status line once, as the
// preview's, and a later render that succeeds clears it. True when the raster is valid.
bool app_preview_render(app_state* state);

// The raster's size on screen at zoom 1:1 times the scale, in whole pixels (at least 1).
int32_t app_preview_extent(int32_t dots, float screen_dpi, float printer_dpi, float scale);

// Renders when needed, refits the view (Fit zoom, a canvas above 1 x 1 pixel) and brings the
// texture in line with the raster through the renderer; display_scale is the toolkit's. True
// when the fit scale changed, so that what shows it needs another frame.
bool app_preview_step(app_state* state, const qel_renderer* renderer, float display_scale);

// --- The grey image ---

// Averages the raster's dots over width x height pixels (integer areas of at least one dot)
// into opaque grey RGBA, 255 for white. False when scratch memory runs out.
bool app_preview_grey(const raster* r, int32_t width, int32_t height, uint8_t* rgba);
