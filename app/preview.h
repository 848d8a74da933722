// The preview's pictures: the current row rendered at the printer's resolution when what it
// shows changes, a grey image of it at the view's size kept as a texture of the renderer, and
// that image drawn as a card on the preview canvas. Placing the canvas is the window's.
#pragma once

#include <cstdint>

#include "app/app_state.h"
#include "engine/raster.h"
#include "qel/context.h"
#include "qel/types.h"

// --- Records ---

// What the preview canvas draws with, copied for the frame. The texture, raster size and flag
// are filled only while the raster is valid and a texture exists.
struct app_preview_payload {
    uint64_t texture;
    int32_t raster_width, raster_height;  // dots
    float screen_dpi, printer_dpi;  // the screen's in logical pixels an inch
    uint32_t zoom;  // app_zoom
    int32_t has_texture;
    app_state* state;  // receives the canvas's laid-out size; may be null
};

// --- What is shown ---

// Both keys to none, so that the next step renders again (after a change of printer, table or
// quantity column).
void app_preview_forget(app_state* state);

// Moves the row stepper to a row that an action found cannot print and takes that row as
// rendered and failed, so that the preview keeps the action's line in the status line.
void app_preview_show_failed_row(app_state* state, int32_t row);

// --- The preview step, once a frame ---

// Renders the current row (or, without rows, the template's literal texts) when the stock,
// template, row or table changed since the last render, clamping the row into the table; a
// failure is said in the status line once, as the preview's, and a later render that succeeds
// clears it. Then refits the view (Fit zoom, a canvas above 1 x 1 pixel) and brings the texture
// in line with the raster through the context's renderer, at twice the pixels on screens of a
// display scale above 1.5. True when the fit scale changed, so that what shows it needs another
// frame.
bool app_preview_step(qel_context* ctx, app_state* state);

// --- Drawing ---

// The payload of the state as the step left it.
void app_preview_payload_fill(qel_context* ctx, app_preview_payload* payload, app_state* state);

// The canvas's draw callback: the subtle background, and the texture centred at its scale as a
// white card with a soft shadow and a hairline border. Keeps the canvas's size in the state and,
// in Fit, asks for another frame when it changed, so that the fit follows the window.
void app_preview_draw(qel_context* ctx, qel_rect rect, const void* payload);

// --- The grey image ---

// Averages the raster's dots over width x height pixels (integer areas of at least one dot)
// into opaque grey RGBA, 255 for white. False when scratch memory runs out.
bool app_preview_grey(const raster* r, int32_t width, int32_t height, uint8_t* rgba);
