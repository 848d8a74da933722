// Label images for people to look at: a greyscale PNG, enlarged by a whole factor, or a binary
// PBM holding the dots exactly. Which one a path gets is the caller's choice.
#pragma once

#include <cstdint>

#include "errors.h"
#include "raster.h"

// Writes the raster as an 8-bit greyscale PNG in which every dot is a scale x scale block,
// black 0 and white 255. 1 for a NULL raster or path, a raster without bits or a scale under 1;
// 2 for an image too large for the PNG writer; 3 out of memory; 4 when the file cannot be written
// completely, in which case a file already at the path is left as it was.
engine_error png_write_raster(const raster* r, const char* path, int32_t scale);

// png_write_raster at scale 1.
engine_error png_write_raster_1x(const raster* r, const char* path);

// Writes the raster as a binary PBM (P4): the header "P4\n<width> <height>\n" and then the rows
// exactly as stored. 1 for a NULL raster or path or a raster without bits; 4 when the file cannot
// be written completely, in which case a file already at the path is left as it was.
engine_error pbm_write_raster(const raster* r, const char* path);
