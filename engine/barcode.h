// Barcode encoders: Code 128 (switching between code sets B and C by itself), EAN-13 and UPC-A.
// They compute the module pattern with its quiet zones, long guard ranges and human-readable
// text; turning modules into dots is left to row rendering.
#pragma once

#include <cstdint>

#include "errors.h"

enum barcode_symbology : uint32_t {
    SYMBOLOGY_CODE128 = 0,
    SYMBOLOGY_EAN13 = 1,
    SYMBOLOGY_UPCA = 2,
};

enum {
    BARCODE_MAX_MODULES = 512,
    BARCODE_TEXT_SIZE = 32,
    BARCODE_MAX_GUARDS = 3,
    CODE128_MAX_VALUES = 42,  // symbol values of the longest symbol, start included, check not
};

// A module range [first, end) whose bars are drawn longer.
struct barcode_guard {
    int32_t first;
    int32_t end;
};

// An encoded symbol, one byte a module (1 a bar, 0 a space), quiet zones included.
struct barcode_symbol {
    int32_t module_count;
    uint8_t modules[BARCODE_MAX_MODULES];
    int32_t quiet_zone;   // blank modules on the left: 10 Code 128, 11 EAN-13, 9 UPC-A
    int32_t guard_count;  // 0 for Code 128, 3 for EAN-13 and UPC-A
    barcode_guard guards[BARCODE_MAX_GUARDS];
    int32_t text_length;  // at most 31
    char text[BARCODE_TEXT_SIZE];  // the human-readable line
};

// --- Encoding ---

// Zeroes the symbol and encodes text in the symbology. 1 for a NULL argument, an unknown
// symbology or a text the symbology cannot carry; 2 for a Code 128 text too long for the symbol.
// A failed symbol must not be drawn.
engine_error barcode_encode(uint32_t symbology, const char* text, barcode_symbol* symbol);

// Code 128 into a zeroed symbol: bytes 32..126 only, at most 43 symbol characters with start
// and check; starts in code C for an even run of four or more digits, else in code B, and
// switches to code C for runs of four or more digits.
engine_error code128_encode(const char* text, barcode_symbol* symbol);

// The Code 128 symbol values code128_encode chooses for a text: the start value, then the data
// and code-set switches (99 to code C, 100 to code B), without the check value. Their count, or
// -1 for a text the symbology cannot carry or more values than max.
int32_t code128_values(const char* text, int32_t* values, int32_t max);

// The modulo-10 check digit of a digit string (weights 3, 1, 3... from the rightmost digit);
// -1 for NULL, an empty text or a non-digit.
int ean_check_digit(const char* digits);

// --- Names ---

// "Code128", "EAN-13", "UPC-A", else "?".
const char* barcode_symbology_name(uint32_t symbology);

// The printer command of the symbology: "^BC", "^BE", "^BU", else "".
const char* zpl_barcode_command(uint32_t symbology);
