// The 1-bit raster every label is rendered into, and the few operations the font, barcode and
// row renderers and the printer writers draw with. Rasters are plain values owned by their
// creator; nothing here keeps state.
#pragma once

#include <cstdint>

#include "errors.h"

// A 1-bit image in printer dots: rows of whole bytes, leftmost dot in the most significant bit,
// a set bit is black. Bits past `width` in each row are padding and normally stay clear.
struct raster {
    int32_t width;   // dots per row, 1..32768
    int32_t height;  // rows, 1..65535
    int32_t stride;  // bytes per row, (width + 7) / 8
    uint8_t* bits;   // height * stride bytes
};

enum { RASTER_MAX_WIDTH = 32768, RASTER_MAX_HEIGHT = 65535 };

// --- Making and releasing ---

// Allocates an all-white raster. NULL record -> 1; a size out of range -> 2 (record untouched);
// no memory -> 3 with bits NULL.
engine_error raster_create(raster* r, int32_t width, int32_t height);

// Frees the bits; NULL-tolerant and safe to call twice. Height keeps its value.
void raster_free(raster* r);

// --- Reading and drawing (all clipped; NULL rasters and rasters without bits are ignored) ---

void raster_fill(raster* r, int black);
int raster_get(const raster* r, int32_t x, int32_t y);
void raster_set(raster* r, int32_t x, int32_t y, int black);
void raster_fill_rect(raster* r, int32_t x, int32_t y, int32_t w, int32_t h, int black);

// Number of set bits in the whole buffer, padding included.
int64_t raster_count_ink(const raster* r);

// ORs the source's black dots into dst at (x, y), turned clockwise by 90, 180 or 270 degrees
// (any other rotation draws it upright). A quarter turn makes the footprint H wide and W high.
void raster_blit_rotated(raster* dst, const raster* src, int32_t x, int32_t y, int rotation);

// As raster_blit_rotated for a source of `rows` rows each equal to the source's first, which is
// all it reads: a bar block without drawing its rows.
void raster_blit_row_repeated(raster* dst, const raster* src, int32_t rows, int32_t x, int32_t y, int rotation);

// Writes the row of `width` dots at `row` mirrored left to right into (width + 7) / 8 bytes at
// `out`: its last dot first, the padding bits clear whatever the row's hold.
void raster_mirror_row(const uint8_t* row, int32_t width, uint8_t* out);

// --- Preview ---

// The zoom at which a label of width_dots x height_dots fits a view of view_w x view_h with
// `margin` on each side, when one dot is pixels / dots view pixels. 1.0 when it cannot tell.
float raster_fit_scale(int32_t width_dots, int32_t height_dots, float pixels, float dots, float view_w,
                       float view_h, float margin);
