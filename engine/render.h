// Row rendering: a label model and one data row become a 1-bit raster of the label's exact size
// in printer dots, in one pass or split into a text layer and a graphics layer. Every printer
// language, the preview and the image files start from it; what they do with it is theirs.
#pragma once

#include <cstdint>

#include "csv.h"
#include "errors.h"
#include "label_model.h"
#include "raster.h"

enum render_pass : uint32_t {
    RENDER_ALL = 0,
    RENDER_TEXT = 1,      // text elements only
    RENDER_GRAPHICS = 2,  // barcodes and rules only
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

// --- Rendering ---
// On success *out is a new raster for the caller to free with raster_free; on failure nothing is
// left allocated. Results: 1 NULL model or out; 2 or 3 when a raster cannot be made; the encoder's
// code for a barcode text it refuses; 2 for a module under one dot, a symbol longer than the
// label or bars under 2 mm; 6 for a text with a character outside the font. A text or graphics
// pass leaves out the other layer's elements and never fails for them. Element kinds other than
// text and rule draw as barcodes.

engine_error label_render_pass(const label_model* model, const csv_table* table, int32_t row, raster* out,
                               uint32_t pass);
engine_error label_render_row_pass(const label_model* model, const csv_table* table, int32_t row, uint32_t pass,
                                   raster* out);
engine_error label_render_row(const label_model* model, const csv_table* table, int32_t row, raster* out);

// Renders against an empty table: column elements get "", literal ones their text.
engine_error label_render_literal(const label_model* model, raster* out);
