// Barcode symbologies the engine encodes.
#pragma once

#include <cstdint>

enum barcode_symbology : uint32_t {
    SYMBOLOGY_CODE128 = 0,
    SYMBOLOGY_EAN13 = 1,
    SYMBOLOGY_UPCA = 2,
};
