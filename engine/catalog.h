// The built-in, read-only catalogs a user chooses from: label stocks, printer models and
// templates, and the names of the printer languages. Rows are pointers into constant tables.
#pragma once

#include <cstdint>

enum printer_lang : uint32_t {
    PRINTER_LANG_ZPL = 0,
    PRINTER_LANG_TSPL = 1,
    PRINTER_LANG_BROTHER_QL = 2,
    PRINTER_LANG_DYMO = 3,
};

// A label stock (paper size); the gap between labels on the roll is 0 for a sheet.
struct stock_def {
    const char* id;
    const char* description;
    float width_mm;
    float height_mm;
    float gap_mm;
};

struct printer_def {
    const char* id;
    const char* description;
    uint32_t dpi;
    uint32_t language;  // a printer_lang
    float max_width_mm; // widest printable width
};

struct layout_def {
    const char* id;
    const char* description;
};

// --- Stocks ---
uint32_t catalog_stock_count();
const stock_def* catalog_stock_at(uint32_t index);  // NULL past the end
const stock_def* catalog_stock_find(const char* id); // exact, case-sensitive; NULL if none

// --- Printer models ---
uint32_t catalog_printer_count();
const printer_def* catalog_printer_at(uint32_t index);
const printer_def* catalog_printer_find(const char* id);

// --- Templates ---
uint32_t catalog_layout_count();
const char* catalog_layout_id(uint32_t index);           // NULL past the end
const char* catalog_layout_description(uint32_t index);  // NULL past the end

// --- Printer languages ---

// "zpl", "tspl", "brother-ql", "dymo-lw"; "?" for any other value.
const char* printer_lang_name(uint32_t lang);

// 1 and *out for "zpl", "tspl", "brother-ql" or "brother", "dymo" or "dymo-lw" (exact case);
// 0 with *out untouched otherwise.
int printer_lang_parse(const char* text, uint32_t* out);
