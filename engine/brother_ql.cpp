// Brother QL raster jobs: per label a print-information header and one uncompressed line per
// raster row, mirrored because the print head's first dot is the label's right edge. Pages go
// to the sink as they are made.
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
    byte_sink* sink;
    int64_t pages;  // written so far
};

// Initialise, then raster mode, sent twice.
const uint8_t brother_start[] = {0x1B, 0x40, 0x1B, 0x69, 0x61, 0x01, 0x1B, 0x69, 0x61, 0x01};
// A page's header: status request and print information (then its 4 bytes of line count), the
// modes (automatic cut after every label, cut at the end) and the margin command (then its 2
// bytes).
const uint8_t brother_information[] = {0x1B, 0x69, 0x53, 0x1B, 0x69, 0x7A, 0xCE};
const uint8_t brother_modes[] = {0x00, 0x00, 0x1B, 0x69, 0x4D, 0x40, 0x1B, 0x69, 0x41, 0x01,
                                 0x1B, 0x69, 0x4B, 0x08, 0x1B, 0x69, 0x64};
const size_t brother_page_header = sizeof brother_information + 3 + 4 + sizeof brother_modes + 2;
// Print commands: after every page but the last, and after the last.
const uint8_t brother_next_page = 0x0C, brother_last_page = 0x1A;

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

void brother_write_page(byte_sink* sink, const raster* r, const brother_settings* s)
{
    const uint8_t media[3] = {s->media_type, s->media_width, s->media_length};
    const uint8_t lines[4] = {(uint8_t)r->height, (uint8_t)(r->height >> 8), (uint8_t)(r->height >> 16),
                              (uint8_t)(r->height >> 24)};
    const uint8_t margin[2] = {(uint8_t)s->feed_margin, (uint8_t)(s->feed_margin >> 8)};
    byte_sink_write(sink, brother_information, sizeof brother_information);
    byte_sink_write(sink, media, sizeof media);
    byte_sink_write(sink, lines, sizeof lines);
    byte_sink_write(sink, brother_modes, sizeof brother_modes);
    byte_sink_write(sink, margin, sizeof margin);
    // Lines are gathered and written many at a time. Each is the raster row mirrored, since
    // the print head's first dot is the label's right edge, with the bits past the row clear;
    // a row equal to the one before it is sent as that one was.
    const size_t line_size = 3 + (size_t)s->line_bytes;
    uint8_t lines_out[64 * (3 + BROTHER_QL_MAX_LINE_BYTES)];
    uint8_t line[3 + BROTHER_QL_MAX_LINE_BYTES] = {0x67, 0x00, (uint8_t)s->line_bytes};
    size_t used = 0;
    for (int32_t y = 0; y < r->height && !sink->error; y++) {
        const uint8_t* row = r->bits + (size_t)y * (size_t)r->stride;
        if (y == 0 || memcmp(row, row - r->stride, (size_t)r->stride) != 0) raster_mirror_row(row, r->width, line + 3);
        if (used + line_size > sizeof lines_out) {
            byte_sink_write(sink, lines_out, used);
            used = 0;
        }
        memcpy(lines_out + used, line, line_size);
        used += line_size;
    }
    byte_sink_write(sink, lines_out, used);
}

engine_error brother_print_row(void* writer, int32_t row, int32_t labels)
{
    brother_writer* w = (brother_writer*)writer;
    raster r = {};
    engine_error error = label_render_row(w->model, w->table, row, &r);
    if (error) return error;
    for (int32_t i = 0; i < labels && !w->sink->error; i++) {
        // A page is printed by the command that follows it, once it is known not to be the last.
        if (w->pages++ > 0) byte_sink_write(w->sink, &brother_next_page, 1);
        brother_write_page(w->sink, &r, &w->settings);
    }
    raster_free(&r);
    return byte_sink_status(w->sink);
}

}  // namespace

engine_error brother_ql_check(const label_model* model, const job_options* options, char* msg, size_t msg_size)
{
    engine_error error = job_check_label_size(model, msg, msg_size);
    if (error) return error;
    job_options o = options ? *options : job_options{};
    if (o.line_bytes > BROTHER_QL_MAX_LINE_BYTES) {
        engine_message(msg, msg_size, "a raster line of %d bytes is more than the %d the printer takes", o.line_bytes,
                       BROTHER_QL_MAX_LINE_BYTES);
        return ERR_RANGE;
    }
    if (o.media_width_mm > BROTHER_QL_MAX_MEDIA_MM || o.media_length_mm > BROTHER_QL_MAX_MEDIA_MM) {
        engine_message(msg, msg_size, "media of %d x %d mm: the printer takes widths and lengths up to %d mm",
                       o.media_width_mm, o.media_length_mm, BROTHER_QL_MAX_MEDIA_MM);
        return ERR_RANGE;
    }
    if (o.feed_margin_dots > BROTHER_QL_MAX_FEED_MARGIN) {
        engine_message(msg, msg_size, "a feed margin of %d dots is more than the %d the printer takes",
                       o.feed_margin_dots, BROTHER_QL_MAX_FEED_MARGIN);
        return ERR_RANGE;
    }
    const int32_t width = label_width_dots(model), line_dots = brother_settings_from(options).line_bytes * 8;
    if (width > line_dots) {
        engine_message(msg, msg_size, "the label is %d dots wide, more than the %d of a %d-byte raster line", width,
                       line_dots, line_dots / 8);
        return ERR_RANGE;
    }
    return ERR_OK;
}

engine_error brother_ql_write_job(const label_model* model, const csv_table* table, int32_t first_row,
                                  int32_t row_count, const job_options* options, byte_sink* sink)
{
    if (!model || !table || !sink) return ERR_INVALID;
    engine_error error = brother_ql_check(model, options, nullptr, 0);
    if (error) return error;
    brother_writer w = {model, table, brother_settings_from(options), sink, 0};
    byte_sink_write(sink, brother_start, sizeof brother_start);
    error = job_each_row(table, first_row, row_count, options, brother_print_row, &w);
    if (error) return error;
    byte_sink_write(sink, &brother_last_page, 1);
    return byte_sink_status(sink);
}

size_t brother_ql_job_size(const label_model* model, const csv_table* table, int32_t first_row, int32_t row_count,
                           const job_options* options)
{
    int64_t pages = job_count_labels(table, first_row, row_count, options);
    if (pages < 0) return 0;
    const size_t page = brother_page_header +
                        (size_t)label_height_dots(model) * (3 + (size_t)brother_settings_from(options).line_bytes);
    // Every page ends with its print command, and a job without pages with the last one alone.
    return sizeof brother_start + (size_t)pages * (page + 1) + (pages == 0 ? 1 : 0);
}
