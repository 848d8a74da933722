// Renders arbitrary spreadsheets with every template, and hand-made elements with odd field
// values, and checks the renderer's and encoders' promises.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/barcode.h"
#include "engine/catalog.h"
#include "engine/render.h"

static void check_render(const label_model* m, const csv_table* t, int32_t row, uint32_t pass)
{
    raster r = {};
    engine_error e = label_render_row_pass(m, t, row, pass, &r);
    if (e == ERR_OK) {
        if (!r.bits || r.width != label_width_dots(m) || r.height != label_height_dots(m)) abort();
    } else if (r.bits || (e != ERR_INVALID && e != ERR_RANGE && e != ERR_NO_GLYPH)) {
        abort();
    }
    // Checking a row finds what rendering it finds, without drawing.
    if (pass == RENDER_ALL && label_check_row(m, t, row) != e) abort();
    raster_free(&r);
}

static void check_encode(uint32_t symbology, const char* text)
{
    barcode_symbol s;
    engine_error e = barcode_encode(symbology, text, &s);
    if (e == ERR_OK && (s.module_count < 1 || s.module_count > BARCODE_MAX_MODULES || s.text_length > 31 ||
                        strlen(s.text) != (size_t)s.text_length))
        abort();
    if (e != ERR_OK && e != ERR_INVALID && e != ERR_RANGE) abort();
}

// Field values that push the arithmetic: none, negative, tiny, typical, huge and not numbers.
static float odd_value(uint8_t byte)
{
    static const float values[] = {0, -1, 0.1f, 0.25f, 2, 3, 10, 45, 1e9f, NAN, INFINITY, -INFINITY};
    return values[byte % (sizeof values / sizeof values[0])];
}

static void fuzz_elements(const uint8_t* data, size_t size)
{
    label_model m;
    label_model_init(&m, "fuzz", 40, 30, 96 + 100 * (data[0] % 6));
    for (size_t at = 1; at + 10 <= size && m.element_count < LABEL_MAX_ELEMENTS; at += 10) {
        const uint8_t* f = data + at;
        label_element* e = label_add_element(&m, f[0] % 4);
        e->x_mm = odd_value(f[1]);
        e->y_mm = odd_value(f[2]);
        e->width_mm = odd_value(f[3]);
        e->height_mm = odd_value(f[4]);
        e->size_mm = odd_value(f[5]);
        e->module_mm = odd_value(f[6]);
        e->align = f[7] % 4;
        e->symbology = f[8] % 4;
        e->rotation_deg = (int8_t)f[9] * 45;
        e->max_lines = (int8_t)f[9];
        e->bold = f[9] & 1;
        memcpy(e->text, f, 10);
        e->text[10] = '\0';
    }
    for (uint32_t pass = RENDER_ALL; pass <= RENDER_GRAPHICS; pass++) check_render(&m, nullptr, 0, pass);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2) return 0;
    if (data[0] & 0x80) {
        fuzz_elements(data, size);
        return 0;
    }
    const stock_def* stock = catalog_stock_at(data[0] % catalog_stock_count());
    const char* layout = catalog_layout_id((data[0] >> 3) % catalog_layout_count());
    csv_table t = {};
    // Text that is not UTF-8 (NUL bytes, UTF-16) makes no table, which csv's own target checks.
    engine_error parsed = csv_parse(&t, (const char*)data + 1, size - 1, nullptr, 0);
    if (parsed == ERR_FORMAT) return 0;
    if (parsed != ERR_OK) abort();
    label_model m;
    label_model_init(&m, stock->description, stock->width_mm, stock->height_mm, data[0] & 0x40 ? 300 : 203);
    if (layout_build(&m, layout, &t) != ERR_OK) abort();
    for (int32_t row = 0; row < t.rows && row < 4; row++) {
        check_render(&m, &t, row, RENDER_ALL);
        for (int32_t c = 0; c < t.columns; c++)
            for (uint32_t symbology = 0; symbology < 3; symbology++) check_encode(symbology, csv_cell(&t, row, c));
    }
    csv_table_clear(&t);
    return 0;
}
