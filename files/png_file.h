// PNG files from 8-bit pixels, for the engine's label images and the toolkit's screenshots: the
// program's one copy of the encoder. Files open by UTF-8 name and replace their targets only
// when complete.
#pragma once

#include <cstdint>

// Whether the encoder can take width x height pixels of channels bytes each: it counts in int,
// and its compressed output, up to 9/8 of its filtered input, grows by doubling, so filtered
// images (a filter byte a row) stay at 2^29 bytes.
bool png_fits(int64_t width, int64_t height, int32_t channels);

// Writes the pixels, channels (1 grey to 4 RGBA) bytes each and rows packed, as a PNG file.
// False for a NULL argument, an empty image, one png_fits refuses, or a file that cannot be
// written completely, in which case a file already there is left as it was.
bool png_write_file(const char* path, const void* pixels, int32_t width, int32_t height, int32_t channels);
