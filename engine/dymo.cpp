// DYMO LabelWriter raster jobs: lines cut to their inked bytes, blank lines skipped in runs,
// each line sent raw or run-length compressed, whichever is shorter. Labels go to the sink as
// they are made.
#include "dymo.h"

#include <cstring>

#include "render.h"

namespace {

struct dymo_writer {
    const label_model* model;
    const csv_table* table;
    uint16_t length;  // label length in dots
    byte_sink* sink;
};

// An inked line as sent around its bytes-per-line command: the dot tab, then the data.
struct dymo_line {
    uint8_t tab[3];                          // 1B 42 and the bytes skipped at the line's start
    uint8_t data[1 + DYMO_MAX_LINE_BYTES];  // 16 and the bytes, or 17 and the runs
    size_t data_length;
};

int dymo_bit(const uint8_t* span, int pos)
{
    return span[pos >> 3] >> (7 - (pos & 7)) & 1;
}

// The length of the run of equal bits from pos, taking whole bytes where it can.
int dymo_run(const uint8_t* span, int total, int pos)
{
    const int bit = dymo_bit(span, pos);
    const uint8_t fill = bit ? 0xFF : 0x00;
    int end = pos + 1;
    while (end < total) {
        if ((end & 7) == 0 && span[end >> 3] == fill) end += 8;
        else if (dymo_bit(span, end) == bit) end++;
        else break;
    }
    return end - pos;
}

// The span's runs of equal bits, cut at 128, one byte each (the bit, then the run's length
// less one); -1 when that would not be shorter than the span's n bytes.
int dymo_compress(const uint8_t* span, int n, uint8_t* out)
{
    const int total = n * 8;
    int used = 0;
    for (int pos = 0; pos < total;) {
        const int bit = dymo_bit(span, pos);
        int run = dymo_run(span, total, pos);
        pos += run;
        for (; run > 0; run -= 128) {
            if (used + 1 >= n) return -1;
            out[used++] = (uint8_t)(bit << 7 | ((run < 128 ? run : 128) - 1));
        }
    }
    return used;
}

void dymo_encode_line(const uint8_t* row, int32_t first, int32_t n, dymo_line* line)
{
    line->tab[0] = 0x1B;
    line->tab[1] = 0x42;
    line->tab[2] = (uint8_t)first;
    int runs = dymo_compress(row + first, n, line->data + 1);
    if (runs >= 0) {
        line->data[0] = 0x17;
        line->data_length = 1 + (size_t)runs;
    } else {
        line->data[0] = 0x16;
        memcpy(line->data + 1, row + first, (size_t)n);
        line->data_length = 1 + (size_t)n;
    }
}

void dymo_write_label(byte_sink* sink, const raster* r, uint16_t length)
{
    const uint8_t length_command[4] = {0x1B, 0x4C, (uint8_t)(length >> 8), (uint8_t)length};
    byte_sink_write(sink, length_command, sizeof length_command);
    int32_t blank = 0, last_bytes = -1;
    const uint8_t* previous = nullptr;  // the row just sent, while it was inked
    dymo_line line;
    for (int32_t y = 0; y < r->height && !sink->error; y++) {
        const uint8_t* row = r->bits + (size_t)y * (size_t)r->stride;
        // Bars make long runs of equal rows: such a row is sent as the one before it, which
        // already set the bytes per line.
        if (previous && memcmp(row, previous, (size_t)r->stride) == 0) {
            byte_sink_write(sink, line.tab, 3);
            byte_sink_write(sink, line.data, line.data_length);
            continue;
        }
        int32_t first = 0, last = r->stride - 1;
        while (first < r->stride && row[first] == 0) first++;
        if (first == r->stride) {
            blank++;
            previous = nullptr;
            continue;
        }
        while (row[last] == 0) last--;
        const int32_t n = last - first + 1;
        for (; blank > 0; blank -= blank < 255 ? blank : 255) {
            const uint8_t skip[4] = {0x1B, 0x66, 0x01, (uint8_t)(blank < 255 ? blank : 255)};
            byte_sink_write(sink, skip, 4);
        }
        dymo_encode_line(row, first, n, &line);
        byte_sink_write(sink, line.tab, 3);
        if (n != last_bytes) {
            const uint8_t bytes_per_line[3] = {0x1B, 0x44, (uint8_t)n};
            byte_sink_write(sink, bytes_per_line, 3);
            last_bytes = n;
        }
        byte_sink_write(sink, line.data, line.data_length);
        previous = row;
    }
    // Blank lines at the bottom are never sent: the form feed passes them.
    byte_sink_write(sink, "\x1B\x45", 2);
}

engine_error dymo_print_row(void* writer, int32_t row, int32_t labels)
{
    dymo_writer* w = (dymo_writer*)writer;
    raster r = {};
    engine_error error = label_render_row(w->model, w->table, row, &r);
    if (error) return error;
    for (int32_t i = 0; i < labels && !w->sink->error; i++) dymo_write_label(w->sink, &r, w->length);
    raster_free(&r);
    return byte_sink_status(w->sink);
}

// The label's length in dots, as the printer counts it; outside 1..65534 when it cannot say it.
float dymo_length(const label_model* model)
{
    return model->height_mm * (float)model->dpi / 25.4f + 0.5f;
}

}  // namespace

engine_error dymo_check(const label_model* model, const job_options*, char* msg, size_t msg_size)
{
    engine_error error = job_check_label_size(model, msg, msg_size);
    if (error) return error;
    // The dot tab and the bytes per line are one byte each: a wider line cannot be described.
    const int32_t width = label_width_dots(model);
    if ((width + 7) / 8 > DYMO_MAX_LINE_BYTES) {
        engine_message(msg, msg_size, "the label is %d dots wide; a line holds at most %d", width,
                       DYMO_MAX_LINE_BYTES * 8);
        return ERR_RANGE;
    }
    const float length = dymo_length(model);
    if (!(length >= 1.0f && length < 65535.0f)) {
        engine_message(msg, msg_size, "the label is %.0f dots long; the printer takes 1 to 65534", (double)length);
        return ERR_RANGE;
    }
    return ERR_OK;
}

engine_error dymo_write_job(const label_model* model, const csv_table* table, int32_t first_row, int32_t row_count,
                            const job_options* options, byte_sink* sink)
{
    if (!model || !table || !sink) return ERR_INVALID;
    engine_error error = dymo_check(model, options, nullptr, 0);
    if (error) return error;
    if (first_row < 0 || row_count < 0) return ERR_INVALID;

    dymo_writer w = {model, table, (uint16_t)dymo_length(model), sink};
    uint8_t start[169];
    memset(start, 0x1B, 156);
    // Then the set-up commands, ending with dot tab 0, graphics mode and normal density.
    memcpy(start + 156, "\x1B\x79\x1B\x51\x00\x00\x1B\x42\x00\x1B\x69\x1B\x65", 13);
    byte_sink_write(sink, start, sizeof start);
    error = job_each_row(table, first_row, row_count, options, dymo_print_row, &w);
    return error ? error : byte_sink_status(sink);
}
