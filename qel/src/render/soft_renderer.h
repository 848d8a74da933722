// The software renderer's records and the calls its rasteriser and its tests reach: texture
// slots, the dirty-texture list, region rendering and how a region is split into bands.
#pragma once

#include <cstdint>

#include "qel/soft_renderer.h"

struct qel_worker_crew;

enum {
    QEL_SOFT_TILE = 64,  // tile side in pixels
    QEL_SOFT_DIRTY_TEXTURES = 32,
    QEL_SOFT_MAX_WORKERS = 32,
};

// One texture: width x height x channels bytes, rows packed; 1 channel is coverage, 4 are
// straight RGBA.
struct qel_soft_texture {
    int32_t width, height, channels;
    uint8_t* pixels;
    uint8_t used;
};

// A framebuffer as a render call received it.
struct qel_soft_framebuffer {
    void* pixels;
    int32_t width, height, stride, format;
};

// A texture area changed since the last render, in texels (x1, y1 exclusive).
struct qel_soft_dirty_texture {
    uint64_t texture;
    int32_t x0, y0, x1, y1;
};

struct qel_soft_renderer {
    qel_soft_texture* slots;
    int32_t slot_count, slot_capacity;
    int32_t workers;
    qel_worker_crew* crew;  // workers - 1 parked threads, started by the first render that splits
    uint8_t incremental;
    uint8_t tiles_unavailable;      // the tile arrays could not be had: every frame is drawn whole
    qel_soft_framebuffer previous;  // pixels null: no previous frame
    uint64_t* tile_hash;            // this frame's, one per tile
    uint64_t* previous_tile_hash;
    int32_t tile_capacity;
    uint8_t* tile_forced;  // tiles that sample an updated texture area
    int32_t dirty_x0, dirty_y0, dirty_x1, dirty_y1;
    qel_soft_dirty_texture dirty_textures[QEL_SOFT_DIRTY_TEXTURES];
    int32_t dirty_texture_count;
    uint8_t dirty_overflow;  // more textures changed than the list holds: redraw everything
};

// Starts the parked worker threads now rather than with the first render that splits, so that
// they are up by then (a thread takes milliseconds to start under Wine). Nothing with one worker.
void qel_soft_start_workers(qel_soft_renderer* soft);

// The live slot a handle names, or null.
const qel_soft_texture* qel_soft_slot(const qel_soft_renderer* soft, uint64_t texture);

// Adds a changed texture area to the list the next incremental render reads.
void qel_soft_mark_texture_dirty(qel_soft_renderer* soft, uint64_t texture, int32_t x0, int32_t y0, int32_t x1,
                                 int32_t y1);

// How many bands a region of rows x columns is split into, with their height in *band_height:
// several only for large regions of many indices, at least 16 rows each.
int32_t qel_soft_band_plan(int32_t workers, int32_t rows, int32_t columns, uint32_t index_count, int32_t* band_height);

// Clears the rectangle (x1, y1 exclusive) to the frame's clear colour and draws the frame into
// it, band by band on the parked worker threads when it is large.
void qel_soft_render_region(qel_soft_renderer* soft, const qel_draw_data* dd, const qel_soft_framebuffer* fb,
                            int32_t x0, int32_t y0, int32_t x1, int32_t y1);
