// Brother QL raster jobs: per label a print-information header and one uncompressed line per
// raster row, mirrored because the print head's first dot is the label's right edge.
#include "brother_ql.h"

#include <cstring>

#include "render.h"

namespace {

struct brother_settings {
    int32_t line_bytes;
    int32_t feed_margin;
    uint8_t media_type;    // 0x0B die-cut labels, 0x0A continuous tape
    uint8_t media_width;   // mm
    uint8_t media_length;  // mm, 0 for tape
};

struct brother_writer {
    const label_model* model;
    const csv_table* table;
    brother_settings settings;
    byte_buffer job;
};

// Bytes with their bit order reversed, for mirroring whole bytes at a time.
struct brother_reversed_bytes {
    uint8_t of[256];
    constexpr brother_reversed_bytes() : of()
    {
        for (int b = 0; b < 256; b++)
            for (int k = 0; k < 8; k++)
                if (b >> k & 1) of[b] = (uint8_t)(of[b] | 0x80 >> k);
    }
};
constexpr brother_reversed_bytes brother_reversed;

brother_settings brother_settings_from(const job_options* options)
{
    job_options o = options ? *options : job_options{};
    brother_settings s;
    s.line_bytes = o.line_bytes >= 1 ? o.line_bytes : 90;
    s.feed_margin = o.feed_margin_dots > 0 ? o.feed_margin_dots : 35;
    // By default the media is as wide as the line at 300 dpi.
    s.media_width = (uint8_t)(o.media_width_mm > 0 ? o.media_width_mm : s.line_bytes * 2032 / 3000);
    s.media_type = o.media_length_mm > 0 ? 0x0B : 0x0A;
    s.media_length = (uint8_t)(o.media_length_mm > 0 ? o.media_length_mm : 0);
    return s;
}

// Raster row y mirrored into a line of line_bytes: the row's rightmost dot becomes the line's
// first bit and the line's bits past the row's width stay clear.
void brother_mirror_row(const raster* r, int32_t y, uint8_t* line, int32_t line_bytes)
{
    memset(line, 0, (size_t)line_bytes);
    const uint8_t* row = r->bits + (size_t)y * (size_t)r->stride;
    // Reversing the row's bytes mirrors it over its padded width; the padding dots then lead
    // and are shifted out.
    const int shift = r->stride * 8 - r->width;
    for (int32_t j = 0; j < r->stride; j++) {
        unsigned here = brother_reversed.of[row[r->stride - 1 - j]];
        unsigned next = j + 1 < r->stride ? brother_reversed.of[row[r->stride - 2 - j]] : 0;
        line[j] = (uint8_t)(here << shift | next >> (8 - shift));
    }
}

bool brother_append_page(byte_buffer* job, const raster* r, const brother_settings* s)
{
    const uint8_t information[] = {0x1B, 0x69, 0x53, 0x1B, 0x69, 0x7A, 0xCE, s->media_type, s->media_width,
                                   s->media_length};
    const uint8_t modes[] = {0x00, 0x00, 0x1B, 0x69, 0x4D, 0x40, 0x1B, 0x69, 0x41, 0x01,
                             0x1B, 0x69, 0x4B, 0x08, 0x1B, 0x69, 0x64};
    bool ok = byte_buffer_append(job, information, sizeof information) &&
              byte_buffer_append_u32_le(job, (uint32_t)r->height) && byte_buffer_append(job, modes, sizeof modes) &&
              byte_buffer_append_u16_le(job, (uint16_t)s->feed_margin);
    uint8_t line[3 + BROTHER_QL_MAX_LINE_BYTES] = {0x67, 0x00, (uint8_t)s->line_bytes};
    for (int32_t y = 0; ok && y < r->height; y++) {
        brother_mirror_row(r, y, line + 3, s->line_bytes);
        ok = byte_buffer_append(job, line, 3 + (size_t)s->line_bytes);
    }
    return ok;
}

engine_error brother_print_row(void* writer, int32_t row, int32_t labels)
{
    brother_writer* w = (brother_writer*)writer;
    raster r = {};
    engine_error error = label_render_row(w->model, w->table, row, &r);
    if (error) return error;
    if (r.width > w->settings.line_bytes * 8) error = ERR_RANGE;
    for (int32_t i = 0; !error && i < labels; i++)
        if (!brother_append_page(&w->job, &r, &w->settings)) error = ERR_NOMEM;
    raster_free(&r);
    return error;
}

}  // namespace

engine_error brother_ql_write_job(const label_model* model, const csv_table* table, int32_t first_row,
                                  int32_t row_count, const job_options* options, byte_sink* sink)
{
    if (!model || !table || !sink) return ERR_INVALID;
    if (options && options->line_bytes > BROTHER_QL_MAX_LINE_BYTES) return ERR_RANGE;
    brother_writer w = {model, table, brother_settings_from(options), {}};
    // Initialise, then raster mode, sent twice.
    const uint8_t start[] = {0x1B, 0x40, 0x1B, 0x69, 0x61, 0x01, 0x1B, 0x69, 0x61, 0x01};
    engine_error error = byte_buffer_append(&w.job, start, sizeof start) ? ERR_OK : ERR_NOMEM;
    if (!error) error = job_each_row(table, first_row, row_count, options, brother_print_row, &w);
    if (!error && !byte_buffer_append_byte(&w.job, 0x1A)) error = ERR_NOMEM;
    return byte_sink_finish(sink, &w.job, error);
}
