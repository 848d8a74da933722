// Pictures of rendered frames for tests: a frame's draw data drawn on the processor, PNG files
// written and read, and comparison with committed reference pictures.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "qel/soft_renderer.h"

// RGBA bytes, rows top-down and packed.
struct picture {
    int32_t width = 0, height = 0;
    std::vector<uint8_t> rgba;
};

// The frame drawn whole at its framebuffer size by soft, which holds the textures it samples.
// Switches soft's incremental mode off: a fresh buffer may sit where the last one was.
picture picture_render(qel_soft_renderer* soft, const qel_draw_data* dd);

bool picture_write_png(const picture& p, const std::string& path);
bool picture_read_png(const std::string& path, picture* p);

// Compares with the committed picture tests/data/<name>: the same size and every channel of every
// pixel within tolerance steps. On a mismatch, or without a reference, the picture drawn is
// written into the test's working folder under the reference's file name, for a person to see.
::testing::AssertionResult picture_matches(const picture& actual, const std::string& name, int tolerance);
