// ZPL label formats: positions and sizes in printer dots, text in the printer's scalable font,
// barcodes by the printer's own symbology commands with the row's values as field data.
#include "zpl.h"

#include "barcode.h"
#include "bitmap_font.h"
#include "render.h"

namespace {

struct zpl_writer {
    const label_model* model;
    const csv_table* table;
    byte_sink* sink;
    int32_t width;   // label, in dots
    int32_t height;
};

int32_t zpl_dots(const label_model* model, float mm)
{
    return label_mm_to_dots(mm, model->dpi);
}

const char* zpl_orientation(int32_t rotation_deg)
{
    int32_t q = (rotation_deg % 360 + 360) % 360;
    return q == 90 ? "R" : q == 180 ? "I" : q == 270 ? "B" : "N";
}

// Field data with the field-hex escapes. In Code 128 data a '>' would start an invocation
// code and print another barcode than the preview shows; "><" is the printer's literal '>'.
void zpl_field_data(byte_sink* sink, const char* text, bool code128)
{
    const char* run = text;
    for (const char* p = text;; p++) {
        unsigned char c = (unsigned char)*p;
        bool escaped = c == '\\' || c == '^' || c == '~';
        bool invocation = code128 && c == '>';
        if (c && !escaped && !invocation) continue;
        byte_sink_write(sink, run, (size_t)(p - run));
        if (!c) return;
        if (escaped) byte_sink_printf(sink, "\\%02X", c);
        else byte_sink_write(sink, "><", 2);
        run = p + 1;
    }
}

void zpl_field(byte_sink* sink, const char* text, bool code128)
{
    byte_sink_write(sink, "^FH\\^FD", 7);
    zpl_field_data(sink, text, code128);
    byte_sink_write(sink, "^FS\n", 4);
}

void zpl_text(const zpl_writer* w, const label_element* e, const char* text)
{
    const label_model* m = w->model;
    int h = bitmap_font_size_for_mm(e->size_mm, m->dpi);
    int32_t x = zpl_dots(m, e->x_mm), y = zpl_dots(m, e->y_mm);
    int32_t block = e->width_mm > 0 ? zpl_dots(m, e->width_mm) : 0;
    const char* justify = e->align == ALIGN_CENTER ? "C" : e->align == ALIGN_RIGHT ? "R" : "L";
    // Bold prints the field again one dot to the right.
    for (int shift = 0; shift <= (e->bold ? 1 : 0); shift++) {
        byte_sink_printf(w->sink, "^FO%d,%d^A0%s,%d,%d", x + shift, y, zpl_orientation(e->rotation_deg), h,
                         h * 55 / 100);
        if (block > 0)
            byte_sink_printf(w->sink, "^FB%d,%d,0,%s", block, label_text_line_limit(e), justify);
        zpl_field(w->sink, text, false);
    }
}

void zpl_rule(const zpl_writer* w, const label_element* e)
{
    const label_model* m = w->model;
    int32_t length = zpl_dots(m, e->width_mm > 0 ? e->width_mm : m->width_mm);
    int32_t thickness = zpl_dots(m, e->size_mm > 0 ? e->size_mm : 0.2f);
    if (thickness < 1) thickness = 1;
    byte_sink_printf(w->sink, "^FO%d,%d^GB%d,%d,%d^FS\n", zpl_dots(m, e->x_mm), zpl_dots(m, e->y_mm), length,
                     thickness, thickness);
}

engine_error zpl_barcode(const zpl_writer* w, const label_element* e, const char* text)
{
    const label_model* m = w->model;
    barcode_symbol symbol;
    engine_error error = barcode_encode(e->symbology, text, &symbol);
    if (error) return error;
    int64_t room = e->rotation_deg == 90 || e->rotation_deg == 270 ? w->height : w->width;
    int32_t module = zpl_dots(m, e->module_mm);
    int64_t extent = (int64_t)module * symbol.module_count;
    if (extent > room) return ERR_RANGE;
    int32_t bars = zpl_dots(m, e->size_mm);
    int32_t x = zpl_dots(m, e->x_mm);
    if (e->align != ALIGN_LEFT) {
        int64_t spare = (e->width_mm > 0 ? zpl_dots(m, e->width_mm) : w->width) - extent;
        if (spare > 0) x += (int32_t)(e->align == ALIGN_CENTER ? spare / 2 : spare);
    }
    byte_sink_printf(w->sink, "^FO%d,%d^BY%d,2,%d", x, zpl_dots(m, e->y_mm), module, bars);
    bool code128 = e->symbology == SYMBOLOGY_CODE128;
    byte_sink_printf(w->sink, "%s%s,%d,%s,N%s", zpl_barcode_command(e->symbology), zpl_orientation(e->rotation_deg),
                     bars, e->human_readable ? "Y" : "N", code128 ? ",N" : "");
    // The printer adds the retail check digit itself.
    if (e->symbology == SYMBOLOGY_EAN13 && symbol.text_length == 13) symbol.text[12] = '\0';
    if (e->symbology == SYMBOLOGY_UPCA && symbol.text_length == 12) symbol.text[11] = '\0';
    zpl_field(w->sink, code128 ? text : symbol.text, code128);
    return ERR_OK;
}

engine_error zpl_print_row(void* writer, int32_t row, int32_t labels)
{
    const zpl_writer* w = (const zpl_writer*)writer;
    byte_sink_printf(w->sink, "^XA\n^PW%d\n^LL%d\n^LH0,0\n", w->width, w->height);
    if (labels != 1) byte_sink_printf(w->sink, "^PQ%d\n", labels);
    for (int32_t i = 0; i < w->model->element_count; i++) {
        const label_element* e = &w->model->elements[i];
        const char* text = label_element_text(e, w->table, row);
        if (e->kind == LABEL_TEXT) {
            zpl_text(w, e, text);
        } else if (e->kind == LABEL_RULE) {
            zpl_rule(w, e);
        } else {
            engine_error error = zpl_barcode(w, e, text);
            if (error) return error;
        }
    }
    byte_sink_write(w->sink, "^XZ\n", 4);
    return ERR_OK;
}

}  // namespace

void zpl_write_field_data(byte_sink* sink, const char* text)
{
    zpl_field_data(sink, text, false);
}

engine_error zpl_write_job(const label_model* model, const csv_table* table, int32_t first_row, int32_t row_count,
                           const job_options* options, byte_sink* sink)
{
    if (!model || !table || !sink) return ERR_INVALID;
    zpl_writer w = {model, table, sink, label_width_dots(model), label_height_dots(model)};
    if (w.width < 1 || w.height < 1) return ERR_RANGE;
    return job_each_row(table, first_row, row_count, options, zpl_print_row, &w);
}
