// TSPL labels as two hexadecimal images each: graphics drawn first, text ORed over them.
#include "tspl.h"

#include <cstring>

#include "render.h"

namespace {

// Each byte's two upper-case hexadecimal digits, looked up whole: images are most of a job.
struct tspl_hex_digits {
    char of[256][2];
    constexpr tspl_hex_digits() : of()
    {
        const char digits[] = "0123456789ABCDEF";
        for (int b = 0; b < 256; b++) {
            of[b][0] = digits[b >> 4];
            of[b][1] = digits[b & 15];
        }
    }
};
constexpr tspl_hex_digits tspl_hex;

struct tspl_writer {
    const label_model* model;
    const csv_table* table;
    byte_sink* sink;
};

engine_error tspl_print_row(void* writer, int32_t row, int32_t labels)
{
    const tspl_writer* w = (const tspl_writer*)writer;
    const label_model* m = w->model;
    raster text = {}, graphics = {};
    engine_error error = label_render_row_pass(m, w->table, row, RENDER_TEXT, &text);
    if (error) return error;
    error = label_render_row_pass(m, w->table, row, RENDER_GRAPHICS, &graphics);
    if (error) {
        raster_free(&text);
        return error;
    }
    byte_sink_printf(w->sink, "SIZE %.2f mm,%.2f mm\n", (double)m->width_mm, (double)m->height_mm);
    if (m->gap_mm > 0) byte_sink_printf(w->sink, "GAP %.2f mm,0 mm\n", (double)m->gap_mm);
    else byte_sink_printf(w->sink, "GAP 0,0\n");
    byte_sink_printf(w->sink, "DIRECTION 1\nREFERENCE 0,0\nCLS\n");
    error = tspl_write_bitmap(w->sink, &graphics, 0);
    if (!error) error = tspl_write_bitmap(w->sink, &text, 1);
    raster_free(&text);
    raster_free(&graphics);
    if (!error) byte_sink_printf(w->sink, "PRINT %d,1\n", labels);
    return error;
}

}  // namespace

engine_error tspl_write_bitmap(byte_sink* sink, const raster* r, int mode)
{
    if (!sink || !r || !r->bits) return ERR_INVALID;
    byte_sink_printf(sink, "BITMAP 0,0,%d,%d,%d,", r->stride, r->height, mode);
    char chunk[254];
    size_t used = 0;
    const size_t total = (size_t)r->stride * (size_t)r->height;
    for (size_t i = 0; i < total; i++) {
        memcpy(chunk + used, tspl_hex.of[r->bits[i]], 2);
        used += 2;
        if (used == sizeof chunk) {
            byte_sink_write(sink, chunk, used);
            used = 0;
        }
    }
    byte_sink_write(sink, chunk, used);
    byte_sink_write(sink, "\n", 1);
    return byte_sink_status(sink);
}

engine_error tspl_write_job(const label_model* model, const csv_table* table, int32_t first_row, int32_t row_count,
                            const job_options* options, byte_sink* sink)
{
    if (!model || !table || !sink) return ERR_INVALID;
    if (label_width_dots(model) < 1) return ERR_RANGE;
    tspl_writer w = {model, table, sink};
    engine_error error = job_each_row(table, first_row, row_count, options, tspl_print_row, &w);
    return error ? error : byte_sink_status(sink);
}
