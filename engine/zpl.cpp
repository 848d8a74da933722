// ZPL label formats: positions and sizes in printer dots taken from the elements' layouts, text
// in the printer's scalable font, barcodes by the printer's own symbology commands with the
// symbol's values as field data, so that the printer draws what the preview shows.
#include "zpl.h"

#include <cstdio>

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

const char* zpl_orientation(int32_t rotation)
{
    return rotation == 90 ? "R" : rotation == 180 ? "I" : rotation == 270 ? "B" : "N";
}

// Field data with the field-hex escapes; in Code 128 data a '>' would start an invocation code,
// so it goes as "><", the printer's literal '>'.
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

// A text in the printer's font at the ladder size px, in a block `width` dots wide.
void zpl_text_field(byte_sink* sink, int32_t x, int32_t y, int32_t rotation, int32_t px, int32_t width,
                    int32_t lines, const char* justify, const char* text)
{
    byte_sink_printf(sink, "^FO%d,%d^A0%s,%d,%d^FB%d,%d,0,%s", x, y, zpl_orientation(rotation), px, px * 55 / 100,
                     width, lines, justify);
    zpl_field(sink, text, false);
}

engine_error zpl_text(const zpl_writer* w, const label_element* e, const char* text)
{
    label_text_layout t;
    engine_error error = label_layout_text(w->model, e, text, &t);
    if (error) return error;
    const char* justify = e->align == ALIGN_CENTER ? "C" : e->align == ALIGN_RIGHT ? "R" : "L";
    // Bold prints the field again one dot to the right, as the preview draws it.
    for (int shift = 0; shift <= (e->bold ? 1 : 0); shift++)
        zpl_text_field(w->sink, t.x + shift, t.y, t.rotation, t.font_px, t.box_width, t.max_lines, justify, text);
    return ERR_OK;
}

void zpl_rule(const zpl_writer* w, const label_element* e)
{
    const label_model* m = w->model;
    int32_t length = label_mm_to_dots(e->width_mm > 0 ? e->width_mm : m->width_mm, m->dpi);
    int32_t thickness = label_mm_to_dots(e->size_mm > 0 ? e->size_mm : 0.2f, m->dpi);
    if (thickness < 1) thickness = 1;
    byte_sink_printf(w->sink, "^FO%d,%d^GB%d,%d,%d^FS\n", label_mm_to_dots(e->x_mm, m->dpi),
                     label_mm_to_dots(e->y_mm, m->dpi), length, thickness, thickness);
}

// Code 128 field data that makes the printer choose the code sets the preview's symbol has:
// the start code, then the data and switches by invocation codes.
void zpl_code128_data(byte_sink* sink, const char* text)
{
    int32_t values[CODE128_MAX_VALUES];
    int32_t count = code128_values(text, values, CODE128_MAX_VALUES);
    bool code_c = count > 0 && values[0] == 105;
    byte_sink_write(sink, code_c ? ">;" : ">:", 2);
    for (int32_t i = 1; i < count; i++) {
        // 99 switches code B to code C, 100 code C to code B; in code C 99 is the digits 99.
        if (values[i] == (code_c ? 100 : 99)) {
            code_c = !code_c;
            byte_sink_write(sink, code_c ? ">5" : ">6", 2);
        } else if (code_c) {
            byte_sink_printf(sink, "%02d", values[i]);
        } else {
            const char c[2] = {(char)(values[i] + 32), '\0'};
            zpl_field_data(sink, c, true);
        }
    }
}

engine_error zpl_barcode(const zpl_writer* w, const label_element* e, const char* text)
{
    label_barcode_layout b;
    engine_error error = label_layout_barcode(w->model, e, text, &b);
    if (error) return error;
    // The printer's field starts at the first bar and draws no quiet zones; its line under the
    // bars would be in its own font and place, so the preview's line goes as a text field.
    const label_rect bars = label_turn_rect(b.bars, b.width, b.height, b.x, b.y, b.rotation);
    const char* orientation = zpl_orientation(b.rotation);
    byte_sink_printf(w->sink, "^FO%d,%d^BY%d,2,%d", bars.x, bars.y, b.module, b.bar_height);
    byte_sink_printf(w->sink, "%s%s,%d,N,N%s", zpl_barcode_command(e->symbology), orientation, b.bar_height,
                     e->symbology == SYMBOLOGY_CODE128 ? ",N" : "");
    byte_sink_write(w->sink, "^FH\\^FD", 7);
    const barcode_symbol& s = b.symbol;
    if (e->symbology == SYMBOLOGY_CODE128) {
        zpl_code128_data(w->sink, text);
    } else {
        // The printer adds the retail check digit itself.
        char digits[BARCODE_TEXT_SIZE];
        snprintf(digits, sizeof digits, "%.*s", (int)s.text_length - 1, s.text);
        zpl_field_data(w->sink, digits, false);
    }
    byte_sink_write(w->sink, "^FS\n", 4);
    if (b.band_height > 0) {
        const label_rect line = {0, b.block_height, b.width, b.band_height};
        const label_rect band = label_turn_rect(line, b.width, b.height, b.x, b.y, b.rotation);
        zpl_text_field(w->sink, band.x, band.y, b.rotation, b.font_px, b.width, 1, "C", s.text);
    }
    return ERR_OK;
}

engine_error zpl_print_row(void* writer, int32_t row, int32_t labels)
{
    const zpl_writer* w = (const zpl_writer*)writer;
    // ^CI28: the field data is UTF-8, as the table's texts are.
    byte_sink_printf(w->sink, "^XA\n^CI28\n^PW%d\n^LL%d\n^LH0,0\n", w->width, w->height);
    if (labels != 1) byte_sink_printf(w->sink, "^PQ%d\n", labels);
    for (int32_t i = 0; i < w->model->element_count && i < LABEL_MAX_ELEMENTS; i++) {
        const label_element* e = &w->model->elements[i];
        const char* text = label_element_text(e, w->table, row);
        engine_error error = ERR_OK;
        if (e->kind == LABEL_TEXT) error = zpl_text(w, e, text);
        else if (e->kind == LABEL_RULE) zpl_rule(w, e);
        else error = zpl_barcode(w, e, text);
        if (error) return error;
    }
    byte_sink_write(w->sink, "^XZ\n", 4);
    return byte_sink_status(w->sink);
}

}  // namespace

void zpl_write_field_data(byte_sink* sink, const char* text)
{
    zpl_field_data(sink, text, false);
}

engine_error zpl_check(const label_model* model, const job_options*, char* msg, size_t msg_size)
{
    return job_check_label_size(model, msg, msg_size);
}

engine_error zpl_write_job(const label_model* model, const csv_table* table, int32_t first_row, int32_t row_count,
                           const job_options* options, byte_sink* sink)
{
    if (!model || !table || !sink) return ERR_INVALID;
    engine_error error = zpl_check(model, options, nullptr, 0);
    if (error) return error;
    zpl_writer w = {model, table, sink, label_width_dots(model), label_height_dots(model)};
    return job_each_row(table, first_row, row_count, options, zpl_print_row, &w);
}
