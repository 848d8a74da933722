// Row rendering: a label model and one data row become a 1-bit raster of the label's exact size
// in printer dots, in one pass or split into a text layer and a graphics layer. Every printer
// language, the preview and the image files start from it; what they do with it is theirs.
#pragma once

#include <cstdint>

#include "csv.h"
#include "errors.h"
#include "label_model.h"
#include "barcode.h"
#include "raster.h"

enum render_pass : uint32_t {
    RENDER_ALL = 0,
    RENDER_TEXT = 1,      // text elements only
    RENDER_GRAPHICS = 2,  // barcodes and rules only
};

// A rectangle in dots.
struct label_rect {
    int32_t x, y, width, height;
};

// How a text element is drawn: upright into a box of its own, which lands on the label at
// (x, y) turned by `rotation`.
struct label_text_layout {
    int32_t rotation;     // 0, 90, 180 or 270
    int32_t font_px;      // the font's ladder size
    int32_t line_height;
    int32_t box_width;    // what alignment and wrapping use
    int32_t max_lines;
    int32_t text_width;   // the text on one line
    bool one_line;        // drawn on one line rather than wrapped
    int32_t room_lines;   // the lines the box makes room for
    int32_t x, y;         // the box's top-left corner on the label, before a turned box is aligned
};

// How a barcode element is drawn: its symbol upright, bars hanging from the top and the
// human-readable line under them, in a drawing that lands on the label at (x, y) turned by
// `rotation`.
struct label_barcode_layout {
    barcode_symbol symbol;
    int32_t rotation;      // 0, 90, 180 or 270
    int32_t module;        // dots a module
    int32_t bar_height;    // dots of an ordinary bar
    int32_t block_height;  // of the bars, guards included
    int32_t band_height;   // of the human-readable line; 0 without one
    int32_t font_px;       // the line's font size
    int32_t width;         // the upright drawing: the symbol's modules, quiet zones included
    int32_t height;        // bars and line
    label_rect bars;       // the bars in the upright drawing, first to last, ordinary height
    int32_t x, y;          // where the drawing lands
};

// --- Units ---

// round(mm * dpi / 25.4) in single precision, half away from zero; NaN gives 0 and results
// beyond +-2^30 are held there.
int32_t label_mm_to_dots(float mm, int32_t dpi);

// The label's raster size; 0 for NULL.
int32_t label_width_dots(const label_model* model);
int32_t label_height_dots(const label_model* model);

// --- Element texts ---

// The cell of the element's column in the row ("" outside the table), or its literal text.
const char* label_element_text(const label_element* element, const csv_table* table, int32_t row);

// Binds every literal "{Column}" element to the table's column of that name and empties its text.
// 0 when at least one element was bound, else 1 (also for NULL arguments or no elements).
int label_bind_placeholders(label_model* model, const csv_table* table);

// --- Layout (what rendering draws, for writers that send elements rather than dots) ---

// 0, 90, 180 or 270: a rotation as drawn (other values, negative ones included, draw upright).
int32_t label_rotation(int32_t degrees);

// A rectangle of an upright drawing of width x height dots that lands at (x, y) turned by
// rotation, as it lands on the label.
label_rect label_turn_rect(label_rect r, int32_t width, int32_t height, int32_t x, int32_t y, int32_t rotation);

// Lays a text element out for its text; 6 for a character outside the font, 2 for a box too
// large for a raster.
engine_error label_layout_text(const label_model* model, const label_element* element, const char* text,
                               label_text_layout* out);

// Lays a barcode element out for its text; the encoder's code for a text it refuses; 2 for a
// module under one dot, a symbol longer than the label, bars under 2 mm, a drawing too large
// for a raster, or bars that run past the label's edge from where they are placed (a cut
// symbol cannot be read).
engine_error label_layout_barcode(const label_model* model, const label_element* element, const char* text,
                                  label_barcode_layout* out);

// --- Rendering ---
// On success *out is a new raster for the caller to free with raster_free; on failure nothing is
// left allocated. Results: 1 NULL model or out; 2 or 3 when a raster cannot be made; the
// layouts' codes above; 6 for a text with a character outside the font. A text or graphics
// pass leaves out the other layer's elements and never fails for them. Element kinds other than
// text and rule draw as barcodes.

engine_error label_render_pass(const label_model* model, const csv_table* table, int32_t row, raster* out,
                               uint32_t pass);
engine_error label_render_row_pass(const label_model* model, const csv_table* table, int32_t row, uint32_t pass,
                                   raster* out);
engine_error label_render_row(const label_model* model, const csv_table* table, int32_t row, raster* out);

// As label_render_row_pass into `out`, a white raster of the label's size that the caller made
// and keeps (a writer whitens and reuses one for every row); on failure it is left white. 1 for
// a NULL argument or a raster of another size.
engine_error label_render_over(const label_model* model, const csv_table* table, int32_t row, uint32_t pass,
                               raster* out);

// Renders against an empty table: column elements get "", literal ones their text.
engine_error label_render_literal(const label_model* model, raster* out);

// What label_render_row gives for the row, decided from the layouts alone and drawing nothing:
// every result but running out of memory (which it cannot foresee). 1 for a NULL model.
engine_error label_check_row(const label_model* model, const csv_table* table, int32_t row);
