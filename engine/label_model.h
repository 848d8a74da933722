// Label designs: a label's size and resolution with up to 24 positioned elements, and the four
// built-in templates, which compute their elements from the label size and the table's header so
// that one template fits every stock. Drawing a design is left to row rendering.
#pragma once

#include <cstdint>

#include "barcode.h"
#include "csv.h"
#include "errors.h"

enum label_element_kind : uint32_t {
    LABEL_TEXT = 0,
    LABEL_BARCODE = 1,
    LABEL_RULE = 2,
};

enum text_align : uint32_t {
    ALIGN_LEFT = 0,
    ALIGN_CENTER = 1,
    ALIGN_RIGHT = 2,
};

enum { LABEL_MAX_ELEMENTS = 24, LABEL_TEXT_SIZE = 96 };

// One text, barcode or rule, placed in millimetres from the label's top-left corner.
struct label_element {
    uint32_t kind;          // a label_element_kind
    float x_mm, y_mm;       // top-left corner of the element's box
    float width_mm;         // text: alignment and wrapping width; barcode: alignment width;
                            // rule: length. 0 or less: the label's width
    float height_mm;        // barcode: box height to centre the symbol in (0 or less: none)
    float size_mm;          // text: glyph height; barcode: bar height; rule: thickness
    float module_mm;        // barcode: narrowest bar
    int32_t bold;           // text drawn bold when non-zero
    uint32_t align;         // a text_align within the box width
    uint32_t symbology;     // a barcode_symbology
    int32_t human_readable; // barcode: print its text under the bars when non-zero
    int32_t column;         // data column that supplies the text; -1 uses `text`
    int32_t rotation_deg;   // 0, 90, 180 or 270, clockwise
    int32_t max_lines;      // most lines a wrapped text takes; less than 1 means 2
    char text[LABEL_TEXT_SIZE];  // literal text, NUL-terminated
};

struct label_model {
    const char* description;  // kept, not copied
    float width_mm, height_mm;
    float gap_mm;             // between labels on the roll; 0 from label_model_init, the caller
                              // sets the stock's where a writer needs it
    int32_t dpi;
    int32_t element_count;    // 0..LABEL_MAX_ELEMENTS
    label_element elements[LABEL_MAX_ELEMENTS];
};

// --- Designing by hand ---

// Zeroes the model and sets its description, size and resolution (203 dpi when dpi < 1).
void label_model_init(label_model* model, const char* description, float width_mm, float height_mm, int32_t dpi);

// Appends an element of the given kind with the defaults: size 3 mm, module 0.25 mm,
// human-readable text on, column -1, everything else 0. NULL when the model is full or NULL.
label_element* label_add_element(label_model* model, uint32_t kind);

// The most lines a text element takes: its max_lines, or 2 when that is below 1.
int32_t label_text_line_limit(const label_element* element);

// --- Templates ---

// Replaces the model's elements with those of the template "price", "barcode", "name" or "plain"
// (case-sensitive), finding the name, price and barcode columns through their header synonyms.
// A column the table lacks (or a NULL table) leaves the literal "{Name}", "{Price}" or
// "{Barcode}". The model's size and dpi must be set. 1 for a NULL model or id, or an unknown id
// (the model is then left without elements).
engine_error layout_build(label_model* model, const char* template_id, const csv_table* table);

// The first role ("name", "price" or "barcode") that the model's template prints but found no
// column for, so that it still holds its placeholder; NULL when every role found one.
const char* layout_missing_role(const label_model* model);
