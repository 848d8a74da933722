// TSPL labels as two hexadecimal images each: graphics drawn first, text ORed over them.
#include "tspl.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "render.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The upper-case hexadecimal digits of sixteen bytes, high half first, at `out`: blank ones
// (most of a label) as zeros at once, others with each half spread to a byte of its own and
// those of 10 and more moved on from the digits to the letters.
[[gnu::always_inline]] inline void tspl_hex16(const uint8_t* bytes, char* out)
{
#if defined(__SSE2__)
    const __m128i v = _mm_loadu_si128((const __m128i*)bytes), zero_digits = _mm_set1_epi8('0');
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_setzero_si128())) == 0xFFFF) {
        _mm_storeu_si128((__m128i*)out, zero_digits);
        _mm_storeu_si128((__m128i*)(out + 16), zero_digits);
        return;
    }
    const __m128i low_halves = _mm_set1_epi8(0x0F);
    const __m128i high = _mm_and_si128(_mm_srli_epi16(v, 4), low_halves), low = _mm_and_si128(v, low_halves);
    for (int i = 0; i < 2; i++) {
        const __m128i halves = i ? _mm_unpackhi_epi8(high, low) : _mm_unpacklo_epi8(high, low);
        const __m128i letters = _mm_and_si128(_mm_cmpgt_epi8(halves, _mm_set1_epi8(9)), _mm_set1_epi8(7));
        _mm_storeu_si128((__m128i*)(out + 16 * i), _mm_add_epi8(_mm_add_epi8(halves, zero_digits), letters));
    }
#else
    for (int i = 0; i < 16; i += 4) {
        const uint64_t v = (uint64_t)bytes[i] | (uint64_t)bytes[i + 1] << 16 | (uint64_t)bytes[i + 2] << 32 |
                           (uint64_t)bytes[i + 3] << 48;
        const uint64_t low_halves = 0x000F000F000F000Full;
        const uint64_t halves = (v >> 4 & low_halves) | (v & low_halves) << 8;
        const uint64_t letters = ((halves + 0x0606060606060606ull) >> 4) & 0x0101010101010101ull;
        const uint64_t digits = halves + 0x3030303030303030ull + letters * 7;
        for (int k = 0; k < 8; k++) out[2 * i + k] = (char)(digits >> (8 * k));
    }
#endif
}

// Whether sixty-four bytes are all blank, as most of a label is.
bool tspl_blank64(const uint8_t* bytes)
{
#if defined(__SSE2__)
    const __m128i* v = (const __m128i*)bytes;
    const __m128i any = _mm_or_si128(_mm_or_si128(_mm_loadu_si128(v), _mm_loadu_si128(v + 1)),
                                     _mm_or_si128(_mm_loadu_si128(v + 2), _mm_loadu_si128(v + 3)));
    return _mm_movemask_epi8(_mm_cmpeq_epi8(any, _mm_setzero_si128())) == 0xFFFF;
#else
    uint64_t any = 0;
    for (int k = 0; k < 64; k += 8) {
        uint64_t word;
        memcpy(&word, bytes + k, 8);
        any |= word;
    }
    return any == 0;
#endif
}

// The digits of n bytes at `out`: blank runs of sixty-four bytes and more at once, the rest
// sixteen a step, then the last few one by one. With `clear` (the same bytes, writable) the
// bytes that were not blank are whitened once encoded, while they are at hand.
void tspl_hex(const uint8_t* bytes, size_t n, char* out, uint8_t* clear)
{
    size_t i = 0;
    while (n - i >= 64) {
        // A blank run is written in one go, in the widest stores the machine has.
        size_t blank = i;
        while (n - blank >= 64 && tspl_blank64(bytes + blank)) blank += 64;
        if (blank > i) {
            memset(out + 2 * i, '0', 2 * (blank - i));
            i = blank;
            continue;
        }
        for (int k = 0; k < 64; k += 16) tspl_hex16(bytes + i + k, out + 2 * (i + k));
        if (clear) memset(clear + i, 0, 64);
        i += 64;
    }
    for (; n - i >= 16; i += 16) {
        tspl_hex16(bytes + i, out + 2 * i);
        if (clear) memset(clear + i, 0, 16);
    }
    static const char digits[] = "0123456789ABCDEF";
    for (; i < n; i++) {
        out[2 * i] = digits[bytes[i] >> 4];
        out[2 * i + 1] = digits[bytes[i] & 15];
        if (clear) clear[i] = 0;
    }
}

struct tspl_writer {
    const label_model* model;
    const csv_table* table;
    byte_sink* sink;
    char header[256];  // the same for every label
    size_t header_length;
    raster text, graphics;  // every label's, made for the first and white again once written
};

// The commands before a label's images, into `text`; their length.
size_t tspl_header(const label_model* m, char* text, size_t size)
{
    char gap[48] = "GAP 0,0\n";
    if (m->gap_mm > 0) snprintf(gap, sizeof gap, "GAP %.2f mm,0 mm\n", (double)m->gap_mm);
    int n = snprintf(text, size, "SIZE %.2f mm,%.2f mm\n%sDIRECTION 1\nREFERENCE 0,0\nCLS\n", (double)m->width_mm,
                     (double)m->height_mm, gap);
    return n < 0 ? 0 : (size_t)n;
}

// An image command before its data, into `text`; its length.
size_t tspl_bitmap_command(int32_t stride, int32_t height, int mode, char* text, size_t size)
{
    int n = snprintf(text, size, "BITMAP 0,0,%d,%d,%d,", stride, height, mode);
    return n < 0 ? 0 : (size_t)n;
}

// The print command after a label's images, into `text`; its length.
size_t tspl_print_command(int32_t labels, char* text, size_t size)
{
    int n = snprintf(text, size, "PRINT %d,1\n", labels);
    return n < 0 ? 0 : (size_t)n;
}

// The image command and its digits; with `clear` (the raster's bits) the raster is white after.
engine_error tspl_write_bits(byte_sink* sink, const raster* r, int mode, uint8_t* clear)
{
    char chunk[1 << 15];
    byte_sink_write(sink, chunk, tspl_bitmap_command(r->stride, r->height, mode, chunk, sizeof chunk));
    const size_t total = (size_t)r->stride * (size_t)r->height;
    // Straight into the sink's room where it lends some, else through the chunk.
    for (size_t i = 0; i < total && !sink->error;) {
        size_t room = 0;
        char* out = byte_sink_room(sink, &room);
        if (!out) {
            out = chunk;
            room = sizeof chunk;
        }
        const size_t n = std::min(total - i, room / 2);
        if (n == 0) {
            // One place left: a byte's two digits go through the sink, the room's end between them.
            tspl_hex(r->bits + i, 1, chunk, clear ? clear + i : nullptr);
            byte_sink_write(sink, chunk, 2);
            i++;
            continue;
        }
        tspl_hex(r->bits + i, n, out, clear ? clear + i : nullptr);
        if (out == chunk) byte_sink_write(sink, chunk, 2 * n);
        else byte_sink_took(sink, 2 * n);
        i += n;
    }
    byte_sink_write(sink, "\n", 1);
    return byte_sink_status(sink);
}

engine_error tspl_print_row(void* writer, int32_t row, int32_t labels)
{
    tspl_writer* w = (tspl_writer*)writer;
    const label_model* m = w->model;
    engine_error error = ERR_OK;
    if (!w->text.bits) error = raster_create(&w->text, label_width_dots(m), label_height_dots(m));
    if (!error && !w->graphics.bits) error = raster_create(&w->graphics, label_width_dots(m), label_height_dots(m));
    if (!error) error = label_render_over(m, w->table, row, RENDER_TEXT, &w->text);
    if (error) return error;
    error = label_render_over(m, w->table, row, RENDER_GRAPHICS, &w->graphics);
    if (error) {
        raster_fill(&w->text, 0);
        return error;
    }
    byte_sink_write(w->sink, w->header, w->header_length);
    error = tspl_write_bits(w->sink, &w->graphics, 0, w->graphics.bits);
    if (!error) error = tspl_write_bits(w->sink, &w->text, 1, w->text.bits);
    if (error) {
        raster_fill(&w->text, 0);
        raster_fill(&w->graphics, 0);
    }
    char command[32];
    if (!error) byte_sink_write(w->sink, command, tspl_print_command(labels, command, sizeof command));
    return error ? error : byte_sink_status(w->sink);
}

// A job's size as its rows are walked: every label as long as the label's size makes it, and
// its print command.
struct tspl_size {
    size_t label;
    size_t total;
};

engine_error tspl_size_row(void* size, int32_t, int32_t labels)
{
    tspl_size* s = (tspl_size*)size;
    char command[32];
    s->total += s->label + tspl_print_command(labels, command, sizeof command);
    return ERR_OK;
}

}  // namespace

engine_error tspl_write_bitmap(byte_sink* sink, const raster* r, int mode)
{
    if (!sink || !r || !r->bits) return ERR_INVALID;
    return tspl_write_bits(sink, r, mode, nullptr);
}

engine_error tspl_check(const label_model* model, const job_options*, char* msg, size_t msg_size)
{
    return job_check_label_size(model, msg, msg_size);
}

engine_error tspl_write_job(const label_model* model, const csv_table* table, int32_t first_row, int32_t row_count,
                            const job_options* options, byte_sink* sink)
{
    if (!model || !table || !sink) return ERR_INVALID;
    engine_error error = tspl_check(model, options, nullptr, 0);
    if (error) return error;
    tspl_writer w = {model, table, sink, {}, 0, {}, {}};
    w.header_length = tspl_header(model, w.header, sizeof w.header);
    error = job_each_row(table, first_row, row_count, options, tspl_print_row, &w);
    raster_free(&w.text);
    raster_free(&w.graphics);
    return error ? error : byte_sink_status(sink);
}

size_t tspl_job_size(const label_model* model, const csv_table* table, int32_t first_row, int32_t row_count,
                     const job_options* options)
{
    const int32_t stride = (label_width_dots(model) + 7) / 8, height = label_height_dots(model);
    char command[256];
    tspl_size size = {tspl_header(model, command, sizeof command), 0};
    for (int mode = 0; mode <= 1; mode++)
        size.label += tspl_bitmap_command(stride, height, mode, command, sizeof command) + 2 * (size_t)stride * height + 1;
    return job_each_row(table, first_row, row_count, options, tspl_size_row, &size) ? 0 : size.total;
}
