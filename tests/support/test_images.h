// The image files of the tests (tests/data/qel/images, or TAGMOOR_TEST_DATA's), and the raw PPM
// files that netpbm wrote beside some of them as their oracle.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/scratch.h"

inline std::string image_path(const char* name)
{
    const char* data = getenv("TAGMOOR_TEST_DATA");
    return std::string(data ? data : "tests/data") + "/qel/images/" + name;
}

// A binary PPM of maxval 255: its size and its RGB bytes.
inline bool read_ppm(const std::string& path, int* w, int* h, std::vector<uint8_t>* rgb)
{
    std::string bytes;
    int maxval = 0, consumed = 0;
    if (!scratch_read(path, &bytes) || sscanf(bytes.c_str(), "P6 %d %d %d%n", w, h, &maxval, &consumed) != 3) return false;
    rgb->assign(bytes.begin() + consumed + 1, bytes.end());
    return maxval == 255 && rgb->size() == (size_t)*w * *h * 3;
}
