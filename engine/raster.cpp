// 1-bit raster storage and drawing, clipped everywhere since callers pass layout arithmetic
// straight through.
#include "raster.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>

engine_error raster_create(raster* r, int32_t width, int32_t height)
{
    if (!r) return ERR_INVALID;
    if (width < 1 || width > RASTER_MAX_WIDTH || height < 1 || height > RASTER_MAX_HEIGHT) return ERR_RANGE;
    r->width = width;
    r->height = height;
    r->stride = (width + 7) / 8;
    r->bits = (uint8_t*)calloc((size_t)height, (size_t)r->stride);
    return r->bits ? ERR_OK : ERR_NOMEM;
}

void raster_free(raster* r)
{
    if (!r) return;
    free(r->bits);
    r->bits = nullptr;
    r->width = 0;
    r->stride = 0;
}

static bool raster_usable(const raster* r)
{
    return r && r->bits;
}

static bool raster_holds(const raster* r, int64_t x, int64_t y)
{
    return x >= 0 && y >= 0 && x < r->width && y < r->height;
}

void raster_fill(raster* r, int black)
{
    if (!raster_usable(r)) return;
    memset(r->bits, black ? 0xFF : 0x00, (size_t)r->height * (size_t)r->stride);
}

int raster_get(const raster* r, int32_t x, int32_t y)
{
    if (!raster_usable(r) || !raster_holds(r, x, y)) return 0;
    return (r->bits[(size_t)y * r->stride + (x >> 3)] >> (7 - (x & 7))) & 1;
}

// Sets or clears the dots of byte `at` under `mask`.
static void raster_put_bits(uint8_t* row, int32_t at, uint8_t mask, int black)
{
    row[at] = black ? (uint8_t)(row[at] | mask) : (uint8_t)(row[at] & ~mask);
}

void raster_set(raster* r, int32_t x, int32_t y, int black)
{
    if (!raster_usable(r) || !raster_holds(r, x, y)) return;
    raster_put_bits(r->bits + (size_t)y * r->stride, x >> 3, (uint8_t)(0x80 >> (x & 7)), black);
}

// Sets or clears dots x0..x1-1 of one row: the end bytes under a mask, the whole ones between
// at once (bars are a few dots, so most spans are one or two bytes).
static void raster_span(uint8_t* row, int32_t x0, int32_t x1, int black)
{
    if (x0 >= x1) return;
    const int32_t first = x0 >> 3, last = (x1 - 1) >> 3;
    const uint8_t head = (uint8_t)(0xFF >> (x0 & 7)), tail = (uint8_t)(0xFF << (7 - ((x1 - 1) & 7)));
    if (first == last) {
        raster_put_bits(row, first, head & tail, black);
        return;
    }
    raster_put_bits(row, first, head, black);
    if (last - first > 1) memset(row + first + 1, black ? 0xFF : 0x00, (size_t)(last - first - 1));
    raster_put_bits(row, last, tail, black);
}

void raster_fill_rect(raster* r, int32_t x, int32_t y, int32_t w, int32_t h, int black)
{
    if (!raster_usable(r) || w <= 0 || h <= 0) return;
    // 64-bit ends so that huge sizes from callers cannot wrap.
    int64_t x0 = x < 0 ? 0 : x, y0 = y < 0 ? 0 : y;
    int64_t x1 = (int64_t)x + w, y1 = (int64_t)y + h;
    if (x1 > r->width) x1 = r->width;
    if (y1 > r->height) y1 = r->height;
    if (x0 >= x1 || y0 >= y1) return;
    for (int64_t row = y0; row < y1; row++)
        raster_span(r->bits + (size_t)row * r->stride, (int32_t)x0, (int32_t)x1, black);
}

int64_t raster_count_ink(const raster* r)
{
    if (!raster_usable(r)) return 0;
    int64_t count = 0;
    size_t size = (size_t)r->height * (size_t)r->stride;
    for (size_t i = 0; i < size; i++) count += __builtin_popcount(r->bits[i]);
    return count;
}

// Bytes with their bit order reversed, for mirroring whole bytes at a time.
struct raster_reversed_bytes {
    uint8_t of[256];
    constexpr raster_reversed_bytes() : of()
    {
        for (int b = 0; b < 256; b++)
            for (int k = 0; k < 8; k++)
                if (b >> k & 1) of[b] = (uint8_t)(of[b] | 0x80 >> k);
    }
};
static constexpr raster_reversed_bytes raster_reversed;

void raster_mirror_row(const uint8_t* row, int32_t width, uint8_t* out)
{
    // Reversing the row's bytes mirrors it over its padded width; the padding dots then lead
    // and are shifted out.
    const int32_t stride = (width + 7) / 8;
    const int shift = stride * 8 - width;
    for (int32_t j = 0; j < stride; j++) {
        unsigned here = raster_reversed.of[row[stride - 1 - j]];
        unsigned next = j + 1 < stride ? raster_reversed.of[row[stride - 2 - j]] : 0;
        out[j] = (uint8_t)(here << shift | next >> (8 - shift));
    }
}

// The byte of a row's bits from bit b on (bits outside the row's stride bytes read as clear).
static uint8_t raster_bits_from(const uint8_t* row, int32_t stride, int64_t b)
{
    const int64_t k = b >> 3;  // rounds down, negative bits included
    const int r = (int)(b & 7);
    const unsigned here = k >= 0 && k < stride ? row[k] : 0, next = k + 1 >= 0 && k + 1 < stride ? row[k + 1] : 0;
    return (uint8_t)(here << r | next >> (8 - r));
}

// Where a row's dots sx0..sx1-1 land when dot sx goes to x + sx: the bytes of the destination
// row they touch, into `line` from byte (x + sx0) / 8 on, with the destination's other dots
// clear; their count, or 0 when none of them is black.
static int64_t raster_shift_row(const uint8_t* row, int32_t stride, int64_t x, int64_t sx0, int64_t sx1,
                                uint8_t* line)
{
    const int64_t dx0 = x + sx0, dx1 = x + sx1, first = dx0 >> 3, last = (dx1 - 1) >> 3;
    // Destination byte j takes source bits from j * 8 - x: whole source bytes k and k + 1
    // shifted by r, the same for every byte; eight of them at a time where the row has them.
    const int r = (int)((-x) & 7);
    const int64_t k0 = (first * 8 - x) >> 3;
    line[0] = raster_bits_from(row, stride, first * 8 - x);
    int64_t j = first + 1;
    for (; j + 8 <= last && k0 + (j - first) + 8 < stride; j += 8) {
        const int64_t k = k0 + (j - first);
        uint64_t bits;
        memcpy(&bits, row + k, 8);
        if constexpr (std::endian::native == std::endian::little) bits = __builtin_bswap64(bits);
        bits = bits << r | (uint64_t)(row[k + 8] >> (8 - r));
        if constexpr (std::endian::native == std::endian::little) bits = __builtin_bswap64(bits);
        memcpy(line + (j - first), &bits, 8);
    }
    for (; j <= last && k0 + (j - first) + 1 < stride; j++) {
        const int64_t k = k0 + (j - first);
        line[j - first] = (uint8_t)((unsigned)row[k] << r | (unsigned)row[k + 1] >> (8 - r));
    }
    for (; j <= last; j++) line[j - first] = raster_bits_from(row, stride, j * 8 - x);
    line[0] &= (uint8_t)(0xFF >> (dx0 & 7));
    line[last - first] &= (uint8_t)(0xFF << (7 - ((dx1 - 1) & 7)));
    const int64_t bytes = last - first + 1;
    uint64_t any = 0;
    int64_t i = 0;
    for (; i + 8 <= bytes; i += 8) {
        uint64_t word;
        memcpy(&word, line + i, 8);
        any |= word;
    }
    for (; i < bytes; i++) any |= line[i];
    return any ? last - first + 1 : 0;
}

// Sixteen bytes as one value, for comparing and ORing rows in the machine's vector registers.
typedef uint8_t raster_chunk __attribute__((vector_size(16)));

static raster_chunk raster_chunk_at(const uint8_t* bytes)
{
    raster_chunk chunk;
    memcpy(&chunk, bytes, 16);
    return chunk;
}

// Whether two rows of n bytes are equal, sixteen or eight at a time: rows are short, and most of
// those compared are equal, so this beats a call. The last step may overlap the one before it.
static bool raster_rows_equal(const uint8_t* a, const uint8_t* b, int32_t n)
{
    if (n >= 16) {
        raster_chunk differ = {};
        for (int32_t j = 0;; j += 16) {
            if (j > n - 16) j = n - 16;
            differ |= raster_chunk_at(a + j) ^ raster_chunk_at(b + j);
            if (j == n - 16) break;
        }
        uint64_t halves[2];
        memcpy(halves, &differ, 16);
        return (halves[0] | halves[1]) == 0;
    }
    if (n < 8) {
        for (int32_t j = 0; j < n; j++)
            if (a[j] != b[j]) return false;
        return true;
    }
    uint64_t x[2], y[2];
    memcpy(&x[0], a, 8);
    memcpy(&x[1], a + n - 8, 8);
    memcpy(&y[0], b, 8);
    memcpy(&y[1], b + n - 8, 8);
    return x[0] == y[0] && x[1] == y[1];
}

// ORs n bytes into `to`, sixteen at a time; ORing a byte twice changes nothing, so the last
// step may overlap the one before it.
static void raster_or_bytes(uint8_t* to, const uint8_t* from, int64_t n)
{
    if (n < 16) {
        for (int64_t j = 0; j < n; j++) to[j] |= from[j];
        return;
    }
    for (int64_t j = 0;; j += 16) {
        if (j > n - 16) j = n - 16;
        const raster_chunk both = raster_chunk_at(to + j) | raster_chunk_at(from + j);
        memcpy(to + j, &both, 16);
        if (j == n - 16) return;
    }
}

// ORs a number's bytes, most significant first, into the eight bytes at `to`.
static void raster_or_word(uint8_t* to, uint64_t bits)
{
    if constexpr (std::endian::native == std::endian::little) bits = __builtin_bswap64(bits);
    uint64_t word;
    memcpy(&word, to, 8);
    word |= bits;
    memcpy(to, &word, 8);
}

// Row sy of a raster of at most 64 dots a row as a number, most significant dot first; the bits
// past the row's dots are the next row's, or clear at the end of the raster.
static uint64_t raster_narrow_row(const raster* r, int32_t sy)
{
    const size_t at = (size_t)sy * r->stride, size = (size_t)r->height * r->stride;
    const uint8_t* from = r->bits + at;
    uint64_t bits = 0;
    if (size - at >= 8) {
        memcpy(&bits, from, 8);
        if constexpr (std::endian::native == std::endian::little) bits = __builtin_bswap64(bits);
        return bits;
    }
    for (int32_t k = 0; k < r->stride; k++) bits |= (uint64_t)from[k] << (56 - 8 * k);
    return bits;
}

// An upright blit of a source of at most 64 dots a row (a glyph's), each row taken as one
// number, most significant dot first, and ORed into the up to 9 destination bytes it meets.
static void raster_blit_narrow(raster* dst, const raster* src, int32_t x, int32_t y, int64_t sx0, int64_t sx1)
{
    // The dots sx0..sx1-1 only: the rest would land off the destination.
    const uint64_t keep = (~0ull >> sx0) & (~0ull << (64 - sx1));
    const int64_t base = (int64_t)x >> 3;  // the destination byte of source dot 0's byte, rounded down
    const int shift = x & 7;
    const int64_t first = ((int64_t)x + sx0) >> 3, last = ((int64_t)x + sx1 - 1) >> 3;
    // Inside the row the eight bytes from `base` take their dots in one word (the dots the blit
    // leaves out are clear, so ORing them changes nothing); at its ends, byte by byte.
    const bool whole = base >= 0 && base + 8 <= dst->stride, ninth = whole && shift && base + 8 < dst->stride;
    // Only the rows that land on the destination.
    const int64_t sy0 = std::max<int64_t>(0, -(int64_t)y), sy1 = std::min<int64_t>(src->height, (int64_t)dst->height - y);
    if (sy0 >= sy1) return;
    uint8_t* to = dst->bits + (size_t)(y + sy0) * dst->stride;
    for (int64_t sy = sy0; sy < sy1; sy++, to += dst->stride) {
        const uint64_t bits = raster_narrow_row(src, (int32_t)sy) & keep;
        const uint64_t high = bits >> shift, low = shift ? bits << (64 - shift) : 0;
        if (whole) {
            // Blank rows too: testing for them costs more than ORing them.
            raster_or_word(to + base, high);
            if (ninth) to[base + 8] |= (uint8_t)(low >> 56);
            continue;
        }
        for (int64_t j = first; j <= last; j++) {
            const int64_t i = j - base;  // 0..8
            to[j] |= (uint8_t)(i < 8 ? high >> (56 - 8 * i) : low >> 56);
        }
    }
}

// Source row sy is at bits + sy * step: step is the stride, or 0 for one row standing for all.
static const uint8_t* raster_row_at(const raster* src, size_t step, int32_t sy)
{
    return src->bits + (size_t)sy * step;
}

// Upright and half-turned blits: each source row, mirrored for a half turn, is shifted into
// place once and ORed into its destination row; the equal rows after it (a bar block's) reuse
// it.
static void raster_blit_rows(raster* dst, const raster* src, size_t step, int32_t x, int32_t y, bool half_turn)
{
    // A mirrored row's dot sx lands at x + sx just as an upright one's does.
    const int64_t sx0 = x < 0 ? -(int64_t)x : 0, sx1 = std::min<int64_t>(src->width, (int64_t)dst->width - x);
    if (sx0 >= sx1) return;
    const int64_t first = ((int64_t)x + sx0) >> 3;
    if (!half_turn && src->stride <= 8 && step == (size_t)src->stride) {
        raster_blit_narrow(dst, src, x, y, sx0, sx1);
        return;
    }
    uint8_t mirrored[RASTER_MAX_WIDTH / 8], line[RASTER_MAX_WIDTH / 8];
    const uint8_t* shifted = nullptr;  // the source row `line` was made from
    int64_t bytes = 0;
    for (int32_t sy = 0; sy < src->height; sy++) {
        const int64_t dy = half_turn ? (int64_t)y + (src->height - 1 - sy) : (int64_t)y + sy;
        if (dy < 0 || dy >= dst->height) continue;
        const uint8_t* from = raster_row_at(src, step, sy);
        if (!shifted || (from != shifted && !raster_rows_equal(from, shifted, src->stride))) {
            const uint8_t* bits = from;
            if (half_turn) {
                raster_mirror_row(from, src->width, mirrored);
                bits = mirrored;
            }
            bytes = raster_shift_row(bits, src->stride, x, sx0, sx1, line);
            shifted = from;
        }
        raster_or_bytes(dst->bits + (size_t)dy * dst->stride + first, line, bytes);
    }
}

// Quarter turns: a source row becomes a destination column, so a run of equal source rows
// becomes one span of dots in each destination row that its black dots reach.
static void raster_blit_quarter(raster* dst, const raster* src, size_t step, int32_t x, int32_t y, int rotation)
{
    const int32_t w = src->width, h = src->height;
    for (int32_t sy = 0; sy < h;) {
        const uint8_t* row = raster_row_at(src, step, sy);
        int32_t end = step ? sy + 1 : h;
        while (end < h && raster_rows_equal(raster_row_at(src, step, end), row, src->stride)) end++;
        // The columns of rows sy..end-1.
        int64_t c0 = rotation == 90 ? (int64_t)x + h - end : (int64_t)x + sy, c1 = c0 + (end - sy);
        c0 = std::max<int64_t>(c0, 0);
        c1 = std::min<int64_t>(c1, dst->width);
        for (int32_t sx = 0; c0 < c1 && sx < w; sx++) {
            // Most of a turned block is white: whole clear bytes are passed over at once.
            if (!(sx & 7) && !row[sx >> 3]) {
                sx += 7;
                continue;
            }
            if (!((row[sx >> 3] >> (7 - (sx & 7))) & 1)) continue;
            const int64_t dy = rotation == 90 ? (int64_t)y + sx : (int64_t)y + (w - 1 - sx);
            if (dy >= 0 && dy < dst->height) raster_span(dst->bits + (size_t)dy * dst->stride, (int32_t)c0, (int32_t)c1, 1);
        }
        sy = end;
    }
}

static void raster_blit_stepped(raster* dst, const raster* src, size_t step, int32_t x, int32_t y, int rotation)
{
    if (!raster_usable(dst) || !raster_usable(src)) return;
    if (rotation == 90 || rotation == 270) raster_blit_quarter(dst, src, step, x, y, rotation);
    else raster_blit_rows(dst, src, step, x, y, rotation == 180);
}

void raster_blit_rotated(raster* dst, const raster* src, int32_t x, int32_t y, int rotation)
{
    if (src) raster_blit_stepped(dst, src, (size_t)src->stride, x, y, rotation);
}

void raster_blit_row_repeated(raster* dst, const raster* src, int32_t rows, int32_t x, int32_t y, int rotation)
{
    if (!src || rows < 1) return;
    raster block = *src;
    block.height = rows;
    raster_blit_stepped(dst, &block, 0, x, y, rotation);
}

float raster_fit_scale(int32_t width_dots, int32_t height_dots, float pixels, float dots, float view_w,
                       float view_h, float margin)
{
    if (width_dots <= 0 || height_dots <= 0 || !(pixels > 0) || !(dots > 0)) return 1.0f;
    if (!(margin > 0)) margin = 0;
    float room_w = view_w - 2 * margin, room_h = view_h - 2 * margin;
    if (!(room_w > 1) || !(room_h > 1)) return 1.0f;
    float per_dot = pixels / dots;
    float sx = room_w / (width_dots * per_dot), sy = room_h / (height_dots * per_dot);
    float scale = sx < sy ? sx : sy;
    return scale > 0 && std::isfinite(scale) ? scale : 1.0f;
}
