// Window screenshots as PNG files: the encoder and the file, by UTF-8 name. What to capture and
// when is the shell's.
#pragma once

#include <cstdint>

// Writes width x height pixels of R, G, B, A bytes, rows width x 4 bytes apart. False when the
// file cannot be written whole; a partly written file is removed.
bool qel_screenshot_write(const char* path, const uint32_t* rgba, int32_t width, int32_t height);
